#pragma once
// Vector and matrix maths in the conventions the game's 3D code uses: row vectors
// (v' = v * M), row-major 4x4 matrices, left-handed coordinates, quaternions as
// (x, y, z, w).  Single precision throughout.
#include <cmath>

namespace vm {

struct Vec2 { float x = 0, y = 0; };
struct Vec3 {
    float x = 0, y = 0, z = 0;
    Vec3() = default;
    constexpr Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
};
struct Vec4 {
    float x = 0, y = 0, z = 0, w = 0;
    Vec4() = default;
    constexpr Vec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
};
struct Quat {
    float x = 0, y = 0, z = 0, w = 1;
    Quat() = default;
    constexpr Quat(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
};
struct Matrix {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    float& operator()(int r, int c) { return m[r][c]; }
    float operator()(int r, int c) const { return m[r][c]; }
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
inline Vec3 Normalize(Vec3 a) {
    float l = Length(a);
    return l > 0 ? a * (1.0f / l) : Vec3{0, 0, 0};
}

inline Matrix Identity() { return Matrix{}; }

// out = a * b
inline Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}
inline Matrix operator*(const Matrix& a, const Matrix& b) { return Multiply(a, b); }

// (x, y, z, 1) * m, full four components.
inline Vec4 Transform(Vec3 v, const Matrix& m) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2],
            v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + m.m[3][3]};
}
// (x, y, z, 1) * m, divided by w.
inline Vec3 TransformCoord(Vec3 v, const Matrix& m) {
    Vec4 r = Transform(v, m);
    float inv = r.w != 0 ? 1.0f / r.w : 0.0f;
    return {r.x * inv, r.y * inv, r.z * inv};
}
// (x, y, z, 0) * m
inline Vec3 TransformNormal(Vec3 v, const Matrix& m) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0], v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

inline Matrix Translation(float x, float y, float z) {
    Matrix r;
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}
inline Matrix Scaling(float x, float y, float z) {
    Matrix r;
    r.m[0][0] = x;
    r.m[1][1] = y;
    r.m[2][2] = z;
    return r;
}

// Left-handed perspective with a vertical field of view.  A near plane of 0 is
// allowed (every projected depth is then 1).
inline Matrix PerspectiveFovLH(float fovY, float aspect, float zn, float zf) {
    float yScale = 1.0f / std::tan(fovY / 2);
    float xScale = yScale / aspect;
    Matrix r;
    r.m[0][0] = xScale;
    r.m[1][1] = yScale;
    r.m[2][2] = zf / (zf - zn);
    r.m[2][3] = 1;
    r.m[3][2] = -zn * zf / (zf - zn);
    r.m[3][3] = 0;
    return r;
}

inline Matrix LookAtLH(Vec3 eye, Vec3 at, Vec3 up) {
    Vec3 zaxis = Normalize(at - eye);
    Vec3 xaxis = Normalize(Cross(up, zaxis));
    Vec3 yaxis = Cross(zaxis, xaxis);
    Matrix r;
    r.m[0][0] = xaxis.x; r.m[0][1] = yaxis.x; r.m[0][2] = zaxis.x; r.m[0][3] = 0;
    r.m[1][0] = xaxis.y; r.m[1][1] = yaxis.y; r.m[1][2] = zaxis.y; r.m[1][3] = 0;
    r.m[2][0] = xaxis.z; r.m[2][1] = yaxis.z; r.m[2][2] = zaxis.z; r.m[2][3] = 0;
    r.m[3][0] = -Dot(xaxis, eye); r.m[3][1] = -Dot(yaxis, eye); r.m[3][2] = -Dot(zaxis, eye); r.m[3][3] = 1;
    return r;
}

// ---- rotations and general matrix helpers -----------------------------------------
// Every rotation turns a row vector clockwise when looking along the axis towards the
// origin (left-handed), so RotationX(a) * RotationY(b) rotates about X first.

inline Matrix RotationX(float a) {
    float c = std::cos(a), s = std::sin(a);
    Matrix r;
    r.m[1][1] = c; r.m[1][2] = s;
    r.m[2][1] = -s; r.m[2][2] = c;
    return r;
}
inline Matrix RotationY(float a) {
    float c = std::cos(a), s = std::sin(a);
    Matrix r;
    r.m[0][0] = c; r.m[0][2] = -s;
    r.m[2][0] = s; r.m[2][2] = c;
    return r;
}
inline Matrix RotationZ(float a) {
    float c = std::cos(a), s = std::sin(a);
    Matrix r;
    r.m[0][0] = c; r.m[0][1] = s;
    r.m[1][0] = -s; r.m[1][1] = c;
    return r;
}
// Rotation by `a` radians about `axis` (normalised here).
inline Matrix RotationAxis(Vec3 axis, float a) {
    Vec3 v = Normalize(axis);
    float c = std::cos(a), s = std::sin(a), t = 1.0f - c;
    Matrix r;
    r.m[0][0] = t * v.x * v.x + c;       r.m[0][1] = t * v.x * v.y + s * v.z; r.m[0][2] = t * v.x * v.z - s * v.y;
    r.m[1][0] = t * v.x * v.y - s * v.z; r.m[1][1] = t * v.y * v.y + c;       r.m[1][2] = t * v.y * v.z + s * v.x;
    r.m[2][0] = t * v.x * v.z + s * v.y; r.m[2][1] = t * v.y * v.z - s * v.x; r.m[2][2] = t * v.z * v.z + c;
    return r;
}
// Roll about Z, then pitch about X, then yaw about Y.
inline Matrix RotationYawPitchRoll(float yaw, float pitch, float roll) {
    return RotationZ(roll) * RotationX(pitch) * RotationY(yaw);
}

inline Matrix Transpose(const Matrix& a) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = a.m[j][i];
    return r;
}

inline float Determinant(const Matrix& a) {
    const float(*m)[4] = a.m;
    float s0 = m[0][0] * m[1][1] - m[1][0] * m[0][1], s1 = m[0][0] * m[1][2] - m[1][0] * m[0][2];
    float s2 = m[0][0] * m[1][3] - m[1][0] * m[0][3], s3 = m[0][1] * m[1][2] - m[1][1] * m[0][2];
    float s4 = m[0][1] * m[1][3] - m[1][1] * m[0][3], s5 = m[0][2] * m[1][3] - m[1][2] * m[0][3];
    float c5 = m[2][2] * m[3][3] - m[3][2] * m[2][3], c4 = m[2][1] * m[3][3] - m[3][1] * m[2][3];
    float c3 = m[2][1] * m[3][2] - m[3][1] * m[2][2], c2 = m[2][0] * m[3][3] - m[3][0] * m[2][3];
    float c1 = m[2][0] * m[3][2] - m[3][0] * m[2][2], c0 = m[2][0] * m[3][1] - m[3][0] * m[2][1];
    return s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
}

// Inverse of `a` into `out`; false (and `out` untouched) when `a` is singular.
// `det`, when given, receives the determinant either way.
inline bool Inverse(const Matrix& a, Matrix& out, float* det = nullptr) {
    const float(*m)[4] = a.m;
    float s0 = m[0][0] * m[1][1] - m[1][0] * m[0][1], s1 = m[0][0] * m[1][2] - m[1][0] * m[0][2];
    float s2 = m[0][0] * m[1][3] - m[1][0] * m[0][3], s3 = m[0][1] * m[1][2] - m[1][1] * m[0][2];
    float s4 = m[0][1] * m[1][3] - m[1][1] * m[0][3], s5 = m[0][2] * m[1][3] - m[1][2] * m[0][3];
    float c5 = m[2][2] * m[3][3] - m[3][2] * m[2][3], c4 = m[2][1] * m[3][3] - m[3][1] * m[2][3];
    float c3 = m[2][1] * m[3][2] - m[3][1] * m[2][2], c2 = m[2][0] * m[3][3] - m[3][0] * m[2][3];
    float c1 = m[2][0] * m[3][2] - m[3][0] * m[2][2], c0 = m[2][0] * m[3][1] - m[3][0] * m[2][1];
    float d = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (det) *det = d;
    if (d == 0.0f || !std::isfinite(d)) return false;
    float inv = 1.0f / d;
    Matrix r;
    r.m[0][0] = (m[1][1] * c5 - m[1][2] * c4 + m[1][3] * c3) * inv;
    r.m[0][1] = (-m[0][1] * c5 + m[0][2] * c4 - m[0][3] * c3) * inv;
    r.m[0][2] = (m[3][1] * s5 - m[3][2] * s4 + m[3][3] * s3) * inv;
    r.m[0][3] = (-m[2][1] * s5 + m[2][2] * s4 - m[2][3] * s3) * inv;
    r.m[1][0] = (-m[1][0] * c5 + m[1][2] * c2 - m[1][3] * c1) * inv;
    r.m[1][1] = (m[0][0] * c5 - m[0][2] * c2 + m[0][3] * c1) * inv;
    r.m[1][2] = (-m[3][0] * s5 + m[3][2] * s2 - m[3][3] * s1) * inv;
    r.m[1][3] = (m[2][0] * s5 - m[2][2] * s2 + m[2][3] * s1) * inv;
    r.m[2][0] = (m[1][0] * c4 - m[1][1] * c2 + m[1][3] * c0) * inv;
    r.m[2][1] = (-m[0][0] * c4 + m[0][1] * c2 - m[0][3] * c0) * inv;
    r.m[2][2] = (m[3][0] * s4 - m[3][1] * s2 + m[3][3] * s0) * inv;
    r.m[2][3] = (-m[2][0] * s4 + m[2][1] * s2 - m[2][3] * s0) * inv;
    r.m[3][0] = (-m[1][0] * c3 + m[1][1] * c1 - m[1][2] * c0) * inv;
    r.m[3][1] = (m[0][0] * c3 - m[0][1] * c1 + m[0][2] * c0) * inv;
    r.m[3][2] = (-m[3][0] * s3 + m[3][1] * s1 - m[3][2] * s0) * inv;
    r.m[3][3] = (m[2][0] * s3 - m[2][1] * s1 + m[2][2] * s0) * inv;
    out = r;
    return true;
}

// ---- vectors ------------------------------------------------------------------------
inline Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 Lerp(Vec3 a, Vec3 b, float t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t}; }
inline float LengthSq(Vec3 a) { return Dot(a, a); }

// Hermite spline from p1 (tangent t1) to p2 (tangent t2) at s in [0, 1].
inline Vec3 Hermite(Vec3 p1, Vec3 t1, Vec3 p2, Vec3 t2, float s) {
    float s2 = s * s, s3 = s2 * s;
    float h1 = 2 * s3 - 3 * s2 + 1, h2 = s3 - 2 * s2 + s, h3 = -2 * s3 + 3 * s2, h4 = s3 - s2;
    return {h1 * p1.x + h2 * t1.x + h3 * p2.x + h4 * t2.x, h1 * p1.y + h2 * t1.y + h3 * p2.y + h4 * t2.y,
            h1 * p1.z + h2 * t1.z + h3 * p2.z + h4 * t2.z};
}
inline float Dot(Vec4 a, Vec4 b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }
inline float Length(Vec4 a) { return std::sqrt(Dot(a, a)); }
// All four components over the four-component length; the zero vector stays zero.
inline Vec4 Normalize(Vec4 a) {
    float l = Length(a);
    if (!(l > 0)) return Vec4{0, 0, 0, 0};
    float inv = 1.0f / l;
    return {a.x * inv, a.y * inv, a.z * inv, a.w * inv};
}

// ---- quaternions (x, y, z, w); a quaternion's matrix turns row vectors -------------
inline float Dot(Quat a, Quat b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }
inline float Length(Quat a) { return std::sqrt(Dot(a, a)); }
inline Quat Normalize(Quat a) {
    float l = Length(a);
    if (!(l > 0)) return Quat{0, 0, 0, 0};
    float inv = 1.0f / l;
    return {a.x * inv, a.y * inv, a.z * inv, a.w * inv};
}
inline Quat Conjugate(Quat a) { return {-a.x, -a.y, -a.z, a.w}; }
inline Quat QuatIdentity() { return Quat{}; }
// The rotation `a` followed by the rotation `b` (the matrix of the result is
// RotationQuaternion(a) * RotationQuaternion(b)).
inline Quat QuatMultiply(Quat a, Quat b) {
    return {b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y, b.w * a.y - b.x * a.z + b.y * a.w + b.z * a.x,
            b.w * a.z + b.x * a.y - b.y * a.x + b.z * a.w, b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z};
}
inline Quat QuatInverse(Quat a) {
    float n = Dot(a, a);
    if (!(n > 0)) return Quat{0, 0, 0, 0};
    float inv = 1.0f / n;
    return {-a.x * inv, -a.y * inv, -a.z * inv, a.w * inv};
}
inline Quat QuatRotationAxis(Vec3 axis, float a) {
    Vec3 v = Normalize(axis);
    float s = std::sin(a * 0.5f);
    return {v.x * s, v.y * s, v.z * s, std::cos(a * 0.5f)};
}
// Same rotation as RotationYawPitchRoll.
inline Quat QuatRotationYawPitchRoll(float yaw, float pitch, float roll) {
    float sy = std::sin(yaw * 0.5f), cy = std::cos(yaw * 0.5f);
    float sp = std::sin(pitch * 0.5f), cp = std::cos(pitch * 0.5f);
    float sr = std::sin(roll * 0.5f), cr = std::cos(roll * 0.5f);
    return {sy * cp * sr + cy * sp * cr, sy * cp * cr - cy * sp * sr, cy * cp * sr - sy * sp * cr,
            cy * cp * cr + sy * sp * sr};
}
inline Matrix RotationQuaternion(Quat q) {
    Matrix r;
    r.m[0][0] = 1.0f - 2.0f * (q.y * q.y + q.z * q.z);
    r.m[0][1] = 2.0f * (q.x * q.y + q.z * q.w);
    r.m[0][2] = 2.0f * (q.x * q.z - q.y * q.w);
    r.m[1][0] = 2.0f * (q.x * q.y - q.z * q.w);
    r.m[1][1] = 1.0f - 2.0f * (q.x * q.x + q.z * q.z);
    r.m[1][2] = 2.0f * (q.y * q.z + q.x * q.w);
    r.m[2][0] = 2.0f * (q.x * q.z + q.y * q.w);
    r.m[2][1] = 2.0f * (q.y * q.z - q.x * q.w);
    r.m[2][2] = 1.0f - 2.0f * (q.x * q.x + q.y * q.y);
    return r;
}
// The quaternion of the rotation part of `m` (rows assumed orthonormal).
inline Quat QuatRotationMatrix(const Matrix& m) {
    Quat q;
    float trace = m.m[0][0] + m.m[1][1] + m.m[2][2];
    if (trace > 0.0f) {
        float s = 2.0f * std::sqrt(trace + 1.0f);
        q.w = 0.25f * s;
        q.x = (m.m[1][2] - m.m[2][1]) / s;
        q.y = (m.m[2][0] - m.m[0][2]) / s;
        q.z = (m.m[0][1] - m.m[1][0]) / s;
    } else if (m.m[0][0] > m.m[1][1] && m.m[0][0] > m.m[2][2]) {
        float s = 2.0f * std::sqrt(1.0f + m.m[0][0] - m.m[1][1] - m.m[2][2]);
        q.x = 0.25f * s;
        q.y = (m.m[0][1] + m.m[1][0]) / s;
        q.z = (m.m[0][2] + m.m[2][0]) / s;
        q.w = (m.m[1][2] - m.m[2][1]) / s;
    } else if (m.m[1][1] > m.m[2][2]) {
        float s = 2.0f * std::sqrt(1.0f + m.m[1][1] - m.m[0][0] - m.m[2][2]);
        q.x = (m.m[0][1] + m.m[1][0]) / s;
        q.y = 0.25f * s;
        q.z = (m.m[1][2] + m.m[2][1]) / s;
        q.w = (m.m[2][0] - m.m[0][2]) / s;
    } else {
        float s = 2.0f * std::sqrt(1.0f + m.m[2][2] - m.m[0][0] - m.m[1][1]);
        q.x = (m.m[0][2] + m.m[2][0]) / s;
        q.y = (m.m[1][2] + m.m[2][1]) / s;
        q.z = 0.25f * s;
        q.w = (m.m[0][1] - m.m[1][0]) / s;
    }
    return q;
}
// Spherical interpolation along the shorter arc; t = 0 gives a, t = 1 gives b
// (or -b, the same rotation).  Nearly equal inputs interpolate linearly.
inline Quat Slerp(Quat a, Quat b, float t) {
    float cosom = Dot(a, b);
    float sign = 1.0f;
    if (cosom < 0.0f) {
        cosom = -cosom;
        sign = -1.0f;
    }
    float k0 = 1.0f - t, k1 = t;
    if (1.0f - cosom > 0.001f) {
        float omega = std::acos(cosom);
        float sinom = std::sin(omega);
        k0 = std::sin((1.0f - t) * omega) / sinom;
        k1 = std::sin(t * omega) / sinom;
    }
    k1 *= sign;
    return {a.x * k0 + b.x * k1, a.y * k0 + b.y * k1, a.z * k0 + b.z * k1, a.w * k0 + b.w * k1};
}

// Scale, then rotate, then translate.
inline Matrix ScaleRotateTranslate(Vec3 scale, Quat rot, Vec3 pos) {
    Matrix r = RotationQuaternion(rot);
    for (int j = 0; j < 3; ++j) {
        r.m[0][j] *= scale.x;
        r.m[1][j] *= scale.y;
        r.m[2][j] *= scale.z;
    }
    r.m[3][0] = pos.x;
    r.m[3][1] = pos.y;
    r.m[3][2] = pos.z;
    return r;
}
// Splits an affine matrix into scale, rotation and translation (the inverse of
// ScaleRotateTranslate).  False when a scale is zero; a mirrored matrix gets a
// negative x scale.
inline bool Decompose(const Matrix& m, Vec3& scale, Quat& rot, Vec3& pos) {
    pos = {m.m[3][0], m.m[3][1], m.m[3][2]};
    Vec3 r0{m.m[0][0], m.m[0][1], m.m[0][2]}, r1{m.m[1][0], m.m[1][1], m.m[1][2]}, r2{m.m[2][0], m.m[2][1], m.m[2][2]};
    scale = {Length(r0), Length(r1), Length(r2)};
    if (Dot(Cross(r0, r1), r2) < 0) scale.x = -scale.x;
    if (scale.x == 0 || scale.y == 0 || scale.z == 0) {
        rot = Quat{};
        return false;
    }
    Matrix n;
    r0 = r0 * (1.0f / scale.x);
    r1 = r1 * (1.0f / scale.y);
    r2 = r2 * (1.0f / scale.z);
    n.m[0][0] = r0.x; n.m[0][1] = r0.y; n.m[0][2] = r0.z;
    n.m[1][0] = r1.x; n.m[1][1] = r1.y; n.m[1][2] = r1.z;
    n.m[2][0] = r2.x; n.m[2][1] = r2.y; n.m[2][2] = r2.z;
    rot = Normalize(QuatRotationMatrix(n));
    return true;
}

}  // namespace vm
