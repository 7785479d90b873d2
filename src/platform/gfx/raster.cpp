// Drawing: vertex processing (transform, vertex blending, lighting), clipping,
// triangle and line rasterization and the pixel pipeline (texture stage 0, alpha
// test, depth test, blending).
//
// Conventions of the 3D API the game was written for:
//  * pixel centres lie on integer screen coordinates;
//  * a triangle covers the pixels whose centres are inside it, with the top-left
//    rule deciding centres exactly on an edge (positions are snapped to 1/256 pixel
//    and the edge tests are exact integer arithmetic, so shared edges never crack
//    or double-hit);
//  * attributes are interpolated perspective-correctly, depth linearly in screen
//    space;
//  * colour arithmetic is 8 bits per channel, a*b/255 rounded to nearest.
#include <algorithm>
#include <cmath>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include <emmintrin.h>

#include "gfx/device.h"
#include "gfx/device_impl.h"
#include "gfx/raster_pixel.h"

namespace gfx {

namespace {

constexpr int kSub = 256;  // sub-pixel steps per pixel
constexpr float kClipW = 1e-5f;   // triangles are clipped at this w (a near plane of 0 is allowed)
constexpr float kGuard = 16.0f;   // guard band, in viewport half-widths

struct FvfLayout {
    int posSize = 0;
    int numBetas = 0;
    bool rhw = false;
    int offNormal = -1, offDiffuse = -1, offSpecular = -1, offTex = -1;
    int texFloats = 0;  // of the coordinate set read
    bool valid = false;
};

// `texSet`: the texture coordinate set stage 0 reads; a vertex without it reads (0, 0).
FvfLayout ParseFvf(uint32_t fvf, uint32_t texSet) {
    FvfLayout l;
    switch (fvf & 0x00E) {
        case FVF_XYZ: l.posSize = 12; break;
        case FVF_XYZRHW: l.posSize = 16; l.rhw = true; break;
        case FVF_XYZB1: l.posSize = 16; l.numBetas = 1; break;
        case FVF_XYZB2: l.posSize = 20; l.numBetas = 2; break;
        case FVF_XYZB3: l.posSize = 24; l.numBetas = 3; break;
        case FVF_XYZB4: l.posSize = 28; l.numBetas = 4; break;
        case 0x00E: l.posSize = 32; l.numBetas = 5; break;
        default: return l;
    }
    int off = l.posSize;
    if (fvf & FVF_NORMAL) { l.offNormal = off; off += 12; }
    if (fvf & 0x020) off += 4;  // point size
    if (fvf & FVF_DIFFUSE) { l.offDiffuse = off; off += 4; }
    if (fvf & FVF_SPECULAR) { l.offSpecular = off; off += 4; }
    if (texSet < TexSets(fvf)) {
        l.offTex = off + int(TexSetBytes(fvf, texSet));
        l.texFloats = TexSetFloats(fvf, texSet);
    }
    l.valid = true;
    return l;
}

inline float RdF(const uint8_t* p) { float f; std::memcpy(&f, p, 4); return f; }
inline uint32_t RdU(const uint8_t* p) { uint32_t u; std::memcpy(&u, p, 4); return u; }

struct Rgba { float r, g, b, a; };
static_assert(sizeof(Rgba) == 16);
// (The four quotients by one instruction: the same as one at a time.)
inline Rgba FromArgb(uint32_t c) {
    const __m128 bytes = _mm_setr_ps(float((c >> 16) & 0xFF), float((c >> 8) & 0xFF), float(c & 0xFF), float(c >> 24));
    const __m128 q = _mm_div_ps(bytes, _mm_set1_ps(255.0f));
    Rgba out;
    _mm_storeu_ps(&out.r, q);
    return out;
}
inline Rgba FromCv(const ColorValue& c) { return {c.r, c.g, c.b, c.a}; }

// The 3x3 determinant of `m` without row `r` and column `c`.
float Minor(const vm::Matrix& m, int r, int c) {
    int rows[3], cols[3];
    for (int i = 0, n = 0; i < 4; ++i)
        if (i != r) rows[n++] = i;
    for (int j = 0, n = 0; j < 4; ++j)
        if (j != c) cols[n++] = j;
    auto at = [&](int i, int j) { return m.m[rows[i]][cols[j]]; };
    return at(0, 0) * (at(1, 1) * at(2, 2) - at(1, 2) * at(2, 1)) -
           at(0, 1) * (at(1, 0) * at(2, 2) - at(1, 2) * at(2, 0)) +
           at(0, 2) * (at(1, 0) * at(2, 1) - at(1, 1) * at(2, 0));
}

// The matrix normals are carried by: the upper 3x3 of the inverse transpose of the
// world-view matrix (normals are planes through the vertex, and planes go by the
// inverse transpose).  For an affine matrix that is the inverse transpose of its upper
// 3x3; a matrix with a projective last column takes the whole 4x4 inverse, which can
// flatten a normal to nothing (the quad is then unlit).  A singular matrix keeps the
// cofactors unscaled.
void NormalMatrix(const vm::Matrix& m, float out[3][3]) {
    if (m.m[0][3] != 0.0f || m.m[1][3] != 0.0f || m.m[2][3] != 0.0f || m.m[3][3] != 1.0f) {
        float cof[3][3];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) cof[i][j] = ((i + j) & 1 ? -1.0f : 1.0f) * Minor(m, i, j);
        float det = m.m[0][0] * cof[0][0] + m.m[0][1] * cof[0][1] + m.m[0][2] * cof[0][2] - m.m[0][3] * Minor(m, 0, 3);
        if (std::fabs(det) < 1e-30f) det = 1.0f;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) out[i][j] = cof[i][j] / det;
        return;
    }
    const float a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
    const float d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
    const float g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
    const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const float D = -(b * i - c * h), E = a * i - c * g, F = -(a * h - b * g);
    const float G = b * f - c * e, H = -(a * f - c * d), I = a * e - b * d;
    float det = a * A + b * B + c * C;
    if (std::fabs(det) < 1e-30f) det = 1.0f;
    const float inv = 1.0f / det;
    // inverse = adj^T / det; inverse-transpose = adj / det (cofactor matrix)
    out[0][0] = A * inv; out[0][1] = B * inv; out[0][2] = C * inv;
    out[1][0] = D * inv; out[1][1] = E * inv; out[1][2] = F * inv;
    out[2][0] = G * inv; out[2][1] = H * inv; out[2][2] = I * inv;
}

inline vm::Vec3 MulN(const vm::Vec3& n, const float m[3][3]) {
    return {n.x * m[0][0] + n.y * m[1][0] + n.z * m[2][0], n.x * m[0][1] + n.y * m[1][1] + n.z * m[2][1],
            n.x * m[0][2] + n.y * m[1][2] + n.z * m[2][2]};
}

struct LightVS {  // a light in view space
    LightType type;
    Rgba diffuse, specular, ambient;
    vm::Vec3 position, dirToLight;  // dirToLight: for directional lights, normalised
    vm::Vec3 spotDir;
    float range, falloff, att0, att1, att2, cosTheta2, cosPhi2;
};

inline float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

}  // namespace

// ---------------------------------------------------------------------------------
// Triangle setup and spans

namespace {

// a / b rounded down, and the remainder 0 <= r < b, without a branch.
inline void FloorDivMod(int64_t a, int64_t b, int64_t& q, int64_t& r) {  // b > 0
    const int64_t q0 = a / b, r0 = a % b, neg = r0 >> 63;  // r0 takes a's sign
    q = q0 + neg;
    r = r0 + (b & neg);
}
// The same by the sub-pixel steps per pixel, a power of two: a shift of a signed
// value rounds down.
static_assert(kSub == 256);
inline int64_t FloorSub(int64_t a) { return a >> 8; }
inline int64_t CeilSub(int64_t a) { return -((-a) >> 8); }

// v * 256 rounded to nearest, halves away from zero (as llround), without a library
// call: the product is exact in double and its fraction is exact too.
inline int64_t Snap(float v) {
    const double d = double(v) * kSub;
    if (!(std::fabs(d) < 9.0e18)) return (int64_t)std::llround(d);
    int64_t t = int64_t(d);  // toward zero
    const double frac = d - double(t);
    t += frac >= 0.5 ? 1 : 0;
    t -= frac <= -0.5 ? 1 : 0;
    return t;
}

// The corners' positions snapped, as Snap does it, four lanes at a time, for corners
// within the clipping square (+-kMaxCoord, a little more where the clipping rounds):
// v * 256 is then exact in float too, far below 2^31 (a 32-bit conversion takes it),
// its part toward zero is a float and the fraction left is exact.
inline void SnapCorners(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, int64_t* X, int64_t* Y) {
    const __m128 f = _mm_mul_ps(_mm_setr_ps(a.x, b.x, c.x, a.y), _mm_set1_ps(float(kSub)));
    const __m128 g = _mm_mul_ps(_mm_setr_ps(b.y, c.y, 0.0f, 0.0f), _mm_set1_ps(float(kSub)));
    const auto round = [](__m128 v) {
        __m128i t = _mm_cvttps_epi32(v);  // toward zero
        const __m128 frac = _mm_sub_ps(v, _mm_cvtepi32_ps(t));
        t = _mm_sub_epi32(t, _mm_castps_si128(_mm_cmpge_ps(frac, _mm_set1_ps(0.5f))));
        return _mm_add_epi32(t, _mm_castps_si128(_mm_cmple_ps(frac, _mm_set1_ps(-0.5f))));
    };
    alignas(16) int32_t p[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(p), round(f));
    _mm_store_si128(reinterpret_cast<__m128i*>(p + 4), round(g));
    X[0] = p[0], X[1] = p[1], X[2] = p[2];
    Y[0] = p[3], Y[1] = p[4], Y[2] = p[5];
}

// Builds the attribute planes of a triangle (in screen space, snapped positions)
// and shades the rows of [yTop, yBottom] between the given x limits function.
struct TriSetup {
    float x0, y0;
    float a0[kAttrCount];
    float dx[kAttrCount], dy[kAttrCount];
    int count;
};

void AttrsOf(const ScreenVertex& v, bool persp, float* out) {
    const float w = persp ? v.rhw : 1.0f;
    out[kAttrZ] = v.z;
    out[kAttrRhw] = v.rhw;
    out[kAttrU] = v.u * w;
    out[kAttrV] = v.v * w;
    out[kAttrR] = v.r * w;
    out[kAttrG] = v.g * w;
    out[kAttrB] = v.b * w;
    out[kAttrA] = v.a * w;
    out[kAttrSR] = v.sr * w;
    out[kAttrSG] = v.sg * w;
    out[kAttrSB] = v.sb * w;
}

// The same, four attributes to a vector: [z rhw u v], [r g b a], [sr sg sb -].
inline void AttrsOf4(const ScreenVertex& v, bool persp, __m128* out) {
    const float w = persp ? v.rhw : 1.0f;
    const __m128 vw = _mm_set1_ps(w);
    out[0] = _mm_setr_ps(v.z, v.rhw, v.u * w, v.v * w);
    out[1] = _mm_mul_ps(_mm_setr_ps(v.r, v.g, v.b, v.a), vw);
    out[2] = _mm_mul_ps(_mm_setr_ps(v.sr, v.sg, v.sb, 0.0f), vw);
}

}  // namespace

namespace {
constexpr float kMaxCoord = 1.0e6f;  // screen coordinates beyond this are clipped first
static_assert(kMaxCoord * kSub < 1073741824.0f);  // (SnapCorners takes them in 32-bit lanes)

inline bool Finite(const ScreenVertex& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// 1/w at two corners that agree but for rounding: a square facing the camera has one
// w all over, which the transforms may give its corners a few units in the last place
// apart. Such a triangle is drawn without perspective, as when they are equal.
constexpr uint32_t kSameWUlps = 4;
inline bool SameW(float a, float b) {
    if (a == b) return true;
    if (!(a > 0.0f && b > 0.0f && std::isfinite(a) && std::isfinite(b))) return false;
    uint32_t ia, ib;
    std::memcpy(&ia, &a, 4);
    std::memcpy(&ib, &b, 4);
    return (ia > ib ? ia - ib : ib - ia) <= kSameWUlps;
}
inline bool Inside(const ScreenVertex& v) { return std::fabs(v.x) <= kMaxCoord && std::fabs(v.y) <= kMaxCoord; }

ScreenVertex LerpScreen(const ScreenVertex& a, const ScreenVertex& b, float t) {
    auto l = [t](float p, float q) { return p + (q - p) * t; };
    ScreenVertex r;
    r.x = l(a.x, b.x); r.y = l(a.y, b.y); r.z = l(a.z, b.z); r.rhw = l(a.rhw, b.rhw);
    r.r = l(a.r, b.r); r.g = l(a.g, b.g); r.b = l(a.b, b.b); r.a = l(a.a, b.a);
    r.sr = l(a.sr, b.sr); r.sg = l(a.sg, b.sg); r.sb = l(a.sb, b.sb);
    r.u = l(a.u, b.u); r.v = l(a.v, b.v);
    return r;
}
}  // namespace

void RasterTriangleSnapped(const PipeState& s, const ScreenVertex* va, const ScreenVertex* vb, const ScreenVertex* vc,
                           const ScreenVertex* flatFrom);

// Triangles with absurd screen coordinates (pre-transformed input) are clipped to a
// large square first, so the fixed-point edge arithmetic cannot overflow; triangles
// with non-finite coordinates are dropped.
namespace {
// Corners finite and inside the clipping square, the usual case, told four
// coordinates at a time: x, y, z and 1/w lie one after another, and x and y within
// kMaxCoord and z finite are all that is asked; a coordinate that is not a number
// fails each test.
inline bool UsualCorners(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
    static_assert(offsetof(ScreenVertex, y) == 4 && offsetof(ScreenVertex, z) == 8 &&
                  offsetof(ScreenVertex, rhw) == 12);
    const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 limit = _mm_setr_ps(kMaxCoord, kMaxCoord, std::numeric_limits<float>::max(), 0.0f);
    const auto usual = [&](const ScreenVertex& v) {
        return _mm_cmple_ps(_mm_and_ps(_mm_loadu_ps(&v.x), absMask), limit);
    };
    return (_mm_movemask_ps(_mm_and_ps(_mm_and_ps(usual(a), usual(b)), usual(c))) & 7) == 7;
}
}  // namespace

void RasterTriangle(const PipeState& s, const ScreenVertex* va, const ScreenVertex* vb, const ScreenVertex* vc,
                    const ScreenVertex* flatFrom) {
    if (UsualCorners(*va, *vb, *vc)) {
        RasterTriangleSnapped(s, va, vb, vc, flatFrom);
        return;
    }
    if (!Finite(*va) || !Finite(*vb) || !Finite(*vc)) return;
    if (Inside(*va) && Inside(*vb) && Inside(*vc)) {
        RasterTriangleSnapped(s, va, vb, vc, flatFrom);
        return;
    }
    ScreenVertex bufA[16], bufB[16];
    bufA[0] = *va; bufA[1] = *vb; bufA[2] = *vc;
    ScreenVertex* in = bufA;
    ScreenVertex* out = bufB;
    int n = 3;
    for (int plane = 0; plane < 4 && n >= 3; ++plane) {
        auto dist = [plane](const ScreenVertex& v) {
            switch (plane) {
                case 0: return kMaxCoord + v.x;
                case 1: return kMaxCoord - v.x;
                case 2: return kMaxCoord + v.y;
                default: return kMaxCoord - v.y;
            }
        };
        int m = 0;
        for (int k = 0; k < n; ++k) {
            const ScreenVertex& a = in[k];
            const ScreenVertex& b = in[(k + 1) % n];
            const float da = dist(a), db = dist(b);
            if (da >= 0) out[m++] = a;
            if ((da >= 0) != (db >= 0) && m < 15) out[m++] = LerpScreen(a, b, da / (da - db));
        }
        std::swap(in, out);
        n = m;
    }
    // The smaller triangles keep the original winding.
    for (int k = 1; k + 1 < n; ++k) RasterTriangleSnapped(s, &in[0], &in[k], &in[k + 1], flatFrom);
}

void RasterTriangleSnapped(const PipeState& s, const ScreenVertex* va, const ScreenVertex* vb, const ScreenVertex* vc,
                           const ScreenVertex* flatFrom) {
    int64_t X[3], Y[3];
    SnapCorners(*va, *vb, *vc, X, Y);
    const ScreenVertex* v[3] = {va, vb, vc};
    const int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
    if (area == 0) return;
    // area > 0: clockwise on screen.
    if (s.cull == CULL_CCW && area < 0) return;
    if (s.cull == CULL_CW && area > 0) return;
    if (area < 0) {
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
        std::swap(v[1], v[2]);
    }
    const int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
    int yTop = int(std::max<int64_t>(CeilSub(minY), s.sy0));
    int yBot = int(std::min<int64_t>(FloorSub(maxY), s.sy1 - 1));
    if (yTop > yBot) return;
    const int64_t minX = std::min({X[0], X[1], X[2]}), maxX = std::max({X[0], X[1], X[2]});
    if (CeilSub(minX) >= s.sx1 || FloorSub(maxX) < s.sx0) return;

    // Edges i -> i+1; inside is E >= bias.
    int64_t edx[3], edy[3], ex[3], ey[3], bias[3];
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        edx[i] = X[j] - X[i];
        edy[i] = Y[j] - Y[i];
        ex[i] = X[i];
        ey[i] = Y[i];
        const bool top = edy[i] == 0 && edx[i] > 0;
        const bool left = edy[i] < 0;
        bias[i] = (top || left) ? 0 : 1;
    }

    // Attribute planes, four attributes at a time (the same float operations as
    // one at a time, so the same values).
    const bool persp = !(SameW(v[0]->rhw, v[1]->rhw) && SameW(v[1]->rhw, v[2]->rhw) && SameW(v[0]->rhw, v[2]->rhw));
    const float fx0 = float(X[0]) / kSub, fy0 = float(Y[0]) / kSub;
    const float fx1 = float(X[1]) / kSub - fx0, fy1 = float(Y[1]) / kSub - fy0;
    const float fx2 = float(X[2]) / kSub - fx0, fy2 = float(Y[2]) / kSub - fy0;
    const float det = fx1 * fy2 - fx2 * fy1;
    const float inv = 1.0f / det;
    SpanSetup sp{SpanSetup::PlanesToFill{}};
    sp.persp = persp;
    {
        static_assert(kAttrLanes == 12);
        __m128 A[3][3];
        for (int i = 0; i < 3; ++i) AttrsOf4(*v[i], persp, A[i]);
        const __m128 vfx1 = _mm_set1_ps(fx1), vfy1 = _mm_set1_ps(fy1), vfx2 = _mm_set1_ps(fx2),
                     vfy2 = _mm_set1_ps(fy2), vinv = _mm_set1_ps(inv);
        for (int k = 0; k < 3; ++k) {
            const __m128 d1 = _mm_sub_ps(A[1][k], A[0][k]), d2 = _mm_sub_ps(A[2][k], A[0][k]);
            _mm_store_ps(sp.dadx + 4 * k, _mm_mul_ps(_mm_sub_ps(_mm_mul_ps(d1, vfy2), _mm_mul_ps(d2, vfy1)), vinv));
            _mm_store_ps(sp.dady + 4 * k, _mm_mul_ps(_mm_sub_ps(_mm_mul_ps(d2, vfx1), _mm_mul_ps(d1, vfx2)), vinv));
            _mm_store_ps(sp.a0 + 4 * k, A[0][k]);
        }
    }
    sp.x0 = fx0;
    sp.y0 = fy0;
    // A perspective triangle whose corners share one colour has that colour
    // everywhere: taken as it is rather than interpolated (which could round it a
    // hair off), as with flat shading.
    // (r g b a and sr sg sb lie one after another: compared four at a time.)
    static_assert(offsetof(ScreenVertex, a) == offsetof(ScreenVertex, r) + 12 &&
                  offsetof(ScreenVertex, sb) == offsetof(ScreenVertex, sr) + 8 &&
                  offsetof(ScreenVertex, sr) + 16 <= sizeof(ScreenVertex));
    auto sameColour = [](const ScreenVertex& a, const ScreenVertex& b) {
        const int c = _mm_movemask_ps(_mm_cmpeq_ps(_mm_loadu_ps(&a.r), _mm_loadu_ps(&b.r)));
        const int h = _mm_movemask_ps(_mm_cmpeq_ps(_mm_loadu_ps(&a.sr), _mm_loadu_ps(&b.sr)));
        return c == 0xF && (h & 7) == 7;
    };
    if (!flatFrom && persp && sameColour(*v[0], *v[1]) && sameColour(*v[0], *v[2])) flatFrom = v[0];
    if (flatFrom) {
        sp.flat = true;
        sp.flatR = flatFrom->r; sp.flatG = flatFrom->g; sp.flatB = flatFrom->b; sp.flatA = flatFrom->a;
        sp.flatSR = flatFrom->sr; sp.flatSG = flatFrom->sg; sp.flatSB = flatFrom->sb;
    }
    // Level of detail for filter choice: texels per pixel along x and y.
    sp.minify = false;
    if (s.tex) {
        float du = std::fabs(sp.dadx[kAttrU]) + std::fabs(sp.dady[kAttrU]);
        float dv = std::fabs(sp.dadx[kAttrV]) + std::fabs(sp.dady[kAttrV]);
        if (persp) {
            const float rhwMid = (v[0]->rhw + v[1]->rhw + v[2]->rhw) / 3.0f;
            if (rhwMid > 0) {  // (both quotients by one instruction)
                const __m128 q = _mm_div_ps(_mm_setr_ps(du, dv, 0.0f, 0.0f), _mm_set1_ps(rhwMid));
                du = _mm_cvtss_f32(q);
                dv = _mm_cvtss_f32(_mm_shuffle_ps(q, q, 1));
            }
        }
        sp.minify = std::max(du * s.tw, dv * s.th) > 1.0001f;
    }

    // Per edge, the x limit of each row as an exact integer quotient stepped from row
    // to row (no division inside the loop).
    // The limit q and remainder r (0 <= r < d) step by cq and cr a row, and the
    // remainder carries into the limit when it reaches d. Kept as cq + 1 and cr - d.
    struct EdgeStep {
        int64_t q, r, d, cq1, crd;
        void Step() {
            // Carry without a branch (its outcome follows the edge's slope, which
            // a predictor cannot guess): `back` is all ones when r + cr - d is
            // below zero (no carry), and then gives d back.
            const int64_t over = r + crd, back = over >> 63;
            q += cq1 + back;
            r = over + (d & back);
        }
    };
    // Edge i's limit from row y on.
    auto edgeFrom = [&](int i, int y) {
        EdgeStep e;
        const int64_t K = edx[i] * (int64_t(y) * kSub - ey[i]) + edy[i] * ex[i];
        const int64_t stepK = edx[i] * kSub;
        int64_t n, c;
        if (edy[i] < 0) {  // x >= ceil((bias - K) / D)
            e.d = -edy[i] * kSub;
            n = bias[i] - K + e.d - 1;
            c = -stepK;
        } else {  // x <= floor((K - bias) / D)
            e.d = edy[i] * kSub;
            n = K - bias[i];
            c = stepK;
        }
        FloorDivMod(n, e.d, e.q, e.r);
        int64_t cq, cr;
        FloorDivMod(c, e.d, cq, cr);
        e.cq1 = cq + 1;
        e.crd = cr - e.d;
        return e;
    };
    // A triangle has one edge on one side and one or two on the other (or one on
    // each and a horizontal one). Where a side has two, each row takes the limit of
    // the edge whose height range holds the row: the other edge's line lies outside
    // the triangle there (the triangle is convex), so its limit could only be looser,
    // and both agree on the row through their shared corner.
    int left[2] = {-1, -1}, right[2] = {-1, -1}, nLeft = 0, nRight = 0;
    int horizontal = -1;
    for (int i = 0; i < 3; ++i) {
        if (edy[i] == 0) {
            horizontal = i;
        } else if (edy[i] < 0) {
            left[nLeft++] = i;
        } else {
            right[nRight++] = i;
        }
    }
    // A horizontal edge decides whether the row through it is inside (a top edge
    // keeps it, a bottom edge does not): its test E = edx * (y - ey) >= bias changes
    // once along the rows, so only the first or the last row can fail it.
    if (horizontal >= 0) {
        const int h = horizontal;
        auto passes = [&](int y) { return edx[h] * (int64_t(y) * kSub - ey[h]) >= bias[h]; };
        while (yTop <= yBot && !passes(yTop)) ++yTop;
        while (yBot >= yTop && !passes(yBot)) --yBot;
        if (yTop > yBot) return;
    }
    // Heights are in 1/256 pixel: an edge going up (left side) ends at its top.
    auto topOf = [&](int i) { return std::min(ey[i], ey[i] + edy[i]); };
    auto bottomOf = [&](int i) { return std::max(ey[i], ey[i] + edy[i]); };
    int64_t split = INT64_MAX;  // the shared corner's height, where the two-edge side turns
    if (nLeft == 2) {
        if (topOf(left[1]) < topOf(left[0])) std::swap(left[0], left[1]);
        split = bottomOf(left[0]);
    } else if (nRight == 2) {
        if (topOf(right[1]) < topOf(right[0])) std::swap(right[0], right[1]);
        split = bottomOf(right[0]);
    }
    const int ySplit = split == INT64_MAX ? INT32_MAX : int(std::max<int64_t>(CeilSub(split), yTop));
    EdgeStep el = edgeFrom(left[0], yTop), er = edgeFrom(right[0], yTop);
    const int64_t sxl = s.sx0, sxr = s.sx1 - 1;
    // A triangle whose columns all lie where drawing may land has every row's limits
    // there already: each row's limit lies on an edge whose height range holds the row,
    // so between that edge's ends.
    const bool within = CeilSub(minX) >= sxl && FloorSub(maxX) <= sxr;
    // Rows are handed to the pixel pipeline in batches.
    constexpr int kBatch = 64;
    // The rows' first pixels, then the ends (one past the last pixel) kBatch further on.
    int bx[2 * kBatch];
    int* const bx0 = bx;
    int* const bx1 = bx + kBatch;
    int batchY = yTop, batchN = 0;
    // n rows from the two edges (stepped in locals, which stay in registers) into o
    // (and o + kBatch); Clip: the limits are kept to where drawing may land. The right
    // edge is stepped one past its limit, the row's end: a row whose first pixel would
    // lie past it starts there.
    const auto walk = [&]<bool Clip>(EdgeStep& l, EdgeStep& r, int n, int* o) {
        EdgeStep el2 = l, er2 = r;
        ++er2.q;
        for (int i = 0; i < n; ++i) {
            const int64_t xl = Clip ? std::max(sxl, el2.q) : el2.q;
            const int64_t end = Clip ? std::min(sxr + 1, er2.q) : er2.q;
            el2.Step();
            er2.Step();
            o[i] = int(std::min(xl, end));
            o[i + kBatch] = int(end);
        }
        --er2.q;
        l = el2;
        r = er2;
    };
    // Down to the row before the turn of the two-edge side, then on with its second
    // edge. An empty row gets x0 = x1.
    for (int part = 0; part < 2; ++part) {
        int yFrom = yTop, yTo = std::min(yBot, ySplit - 1);
        if (part == 1) {
            if (ySplit > yBot) break;
            if (nLeft == 2) el = edgeFrom(left[1], ySplit);
            else er = edgeFrom(right[1], ySplit);
            yFrom = ySplit;
            yTo = yBot;
        }
        EdgeStep l = el, r = er;
        for (int y = yFrom; y <= yTo;) {
            if (batchN == kBatch) {
                ShadeRows(s, sp, batchY, batchN, bx0, bx1);
                batchY = y;
                batchN = 0;
            }
            const int n = std::min(kBatch - batchN, yTo - y + 1);
            if (within) walk.template operator()<false>(l, r, n, bx + batchN);
            else walk.template operator()<true>(l, r, n, bx + batchN);
            batchN += n;
            y += n;
        }
        el = l;
        er = r;
    }
    ShadeRows(s, sp, batchY, batchN, bx0, bx1);
}

// Lines: the major axis is stepped pixel by pixel from the first end, the last
// pixel of each segment is left out (so a strip never draws a joint twice).
void RasterLine(const PipeState& s, const ScreenVertex& a, const ScreenVertex& b) {
    if (!Finite(a) || !Finite(b)) return;
    const float dx = b.x - a.x, dy = b.y - a.y;
    const bool xMajor = std::fabs(dx) >= std::fabs(dy);
    const float d = xMajor ? dx : dy;
    if (d == 0) return;
    const float start = xMajor ? a.x : a.y;
    const float end = xMajor ? b.x : b.y;
    // Only the part of the major axis inside the scissor is stepped.
    const float lo = float(xMajor ? s.sx0 : s.sy0) - 1.0f, hi = float(xMajor ? s.sx1 : s.sy1) + 1.0f;
    const int p0 = int(std::floor(std::clamp(start, lo, hi) + 0.5f));
    const int p1 = int(std::floor(std::clamp(end, lo, hi) + 0.5f));
    const int step = p1 > p0 ? 1 : -1;
    const bool persp = a.rhw != b.rhw;
    float A0[kAttrCount], A1[kAttrCount];
    AttrsOf(a, persp, A0);
    AttrsOf(b, persp, A1);
    SpanSetup sp;
    sp.persp = persp;
    for (int k = 0; k < kAttrCount; ++k) sp.dadx[k] = sp.dady[k] = 0;
    sp.minify = false;
    for (int p = p0; p != p1; p += step) {
        float t = (float(p) - start) / d;
        t = Clamp01(t);
        const float other = xMajor ? a.y + t * dy : a.x + t * dx;
        const int q = int(std::floor(other + 0.5f));
        const int px = xMajor ? p : q, py = xMajor ? q : p;
        if (px < s.sx0 || px >= s.sx1 || py < s.sy0 || py >= s.sy1) continue;
        for (int k = 0; k < kAttrCount; ++k) sp.a0[k] = A0[k] + (A1[k] - A0[k]) * t;
        sp.x0 = float(px);
        sp.y0 = float(py);
        ShadeSpan(s, sp, py, px, px + 1);
    }
}

// ---------------------------------------------------------------------------------
// Pipeline state from the device states

namespace {

void BuildPipe(Device::Impl& d, PipeState& s) {
    const auto& rs = d.rs;
    s.pitch = d.TargetWidth();
    s.cbuf = d.TargetColor();
    s.zbuf = d.TargetDepth();
    const Viewport& vp = d.viewport;
    s.sx0 = std::min<int>(vp.x, d.TargetWidth());
    s.sy0 = std::min<int>(vp.y, d.TargetHeight());
    s.sx1 = std::min<int>(int(vp.x + vp.width), d.TargetWidth());
    s.sy1 = std::min<int>(int(vp.y + vp.height), d.TargetHeight());
    if (rs[RS_SCISSORTESTENABLE] != 0) {
        // (An empty or inverted rectangle leaves sx0 >= sx1 or sy0 >= sy1: nothing is drawn.)
        const Rect& r = d.scissor;
        s.sx0 = std::max(s.sx0, r.left);
        s.sy0 = std::max(s.sy0, r.top);
        s.sx1 = std::min(s.sx1, r.right);
        s.sy1 = std::min(s.sy1, r.bottom);
    }
    if (d.wantTiles && !d.renderTarget) {
        s.wantTiles = d.wantTiles;
        s.wantTile = d.wantTile;
        s.wantTilesX = (d.width + d.wantTile - 1) / d.wantTile;
        s.spareColor = d.spareColor;
        s.spareDepth = d.spareDepth;
    }
    s.zTest = rs[RS_ZENABLE] != 0 && s.zbuf != nullptr;
    s.zWrite = s.zTest && rs[RS_ZWRITEENABLE] != 0;
    s.zFunc = rs[RS_ZFUNC];
    s.alphaTest = rs[RS_ALPHATESTENABLE] != 0;
    s.alphaFunc = rs[RS_ALPHAFUNC];
    s.alphaRef = rs[RS_ALPHAREF] & 0xFF;
    s.blend = rs[RS_ALPHABLENDENABLE] != 0;
    s.srcBlend = rs[RS_SRCBLEND];
    s.dstBlend = rs[RS_DESTBLEND];
    s.blendOp = rs[RS_BLENDOP];
    s.cull = rs[RS_CULLMODE];
    s.flatShade = rs[RS_SHADEMODE] == SHADE_FLAT;
    s.specular = rs[RS_SPECULARENABLE] != 0;
    s.tfactor = rs[RS_TEXTUREFACTOR];
    s.xrgbTarget = d.renderTarget && d.renderTarget->GetFormat() == Format::X8R8G8B8;
    const auto& t0 = d.tss[0];
    s.colorOp = t0[TSS_COLOROP];
    s.colorArg1 = t0[TSS_COLORARG1];
    s.colorArg2 = t0[TSS_COLORARG2];
    s.alphaOp = t0[TSS_ALPHAOP];
    s.alphaArg1 = t0[TSS_ALPHAARG1];
    s.alphaArg2 = t0[TSS_ALPHAARG2];
    Texture* tex = d.textures[0];
    if (tex == d.renderTarget) tex = nullptr;  // the target being drawn is not sampled: as no texture
    const bool usesTex = PipeUsesTexture(s);
    if (tex && usesTex) {
        s.tex = tex->Pixels();
        s.tw = tex->Width();
        s.th = tex->Height();
        s.addrU = d.samp[0][SAMP_ADDRESSU];
        s.addrV = d.samp[0][SAMP_ADDRESSV];
        s.border = d.samp[0][SAMP_BORDERCOLOR];
        s.magLinear = d.samp[0][SAMP_MAGFILTER] >= TEXF_LINEAR;
        s.minLinear = d.samp[0][SAMP_MINFILTER] >= TEXF_LINEAR;
    } else {
        s.tex = nullptr;
        s.tw = s.th = 1;
    }
    PreparePipe(s);
}

inline uint8_t ClipCode(const ProcVertex& v) {
    uint8_t c = 0;
    if (v.w < kClipW) c |= 1;
    if (v.z < 0) c |= 2;
    if (v.z > v.w) c |= 4;
    const float g = kGuard * std::max(v.w, 0.0f);
    if (v.x < -g) c |= 8;
    if (v.x > g) c |= 16;
    if (v.y < -g) c |= 32;
    if (v.y > g) c |= 64;
    return c;
}

inline float PlaneDist(const ProcVertex& v, int plane) {
    const float g = kGuard;
    switch (plane) {
        case 0: return v.w - kClipW;
        case 1: return v.z;
        case 2: return v.w - v.z;
        case 3: return v.x + g * v.w;
        case 4: return g * v.w - v.x;
        case 5: return v.y + g * v.w;
        default: return g * v.w - v.y;
    }
}

inline ProcVertex Lerp(const ProcVertex& a, const ProcVertex& b, float t) {
    ProcVertex r;
    r.x = a.x + (b.x - a.x) * t;
    r.y = a.y + (b.y - a.y) * t;
    r.z = a.z + (b.z - a.z) * t;
    r.w = a.w + (b.w - a.w) * t;
    r.r = a.r + (b.r - a.r) * t;
    r.g = a.g + (b.g - a.g) * t;
    r.b = a.b + (b.b - a.b) * t;
    r.a = a.a + (b.a - a.a) * t;
    r.sr = a.sr + (b.sr - a.sr) * t;
    r.sg = a.sg + (b.sg - a.sg) * t;
    r.sb = a.sb + (b.sb - a.sb) * t;
    r.u = a.u + (b.u - a.u) * t;
    r.v = a.v + (b.v - a.v) * t;
    return r;
}

struct ViewportXf {
    float ox, oy, sx, sy, minZ, dz;
};

inline ScreenVertex Project(const ProcVertex& p, const ViewportXf& vx) {
    ScreenVertex s;
    const float rhw = 1.0f / p.w;
    s.x = vx.ox + (p.x * rhw + 1.0f) * vx.sx;
    s.y = vx.oy + (1.0f - p.y * rhw) * vx.sy;
    // A true division: with a near plane of 0, z equals w and the depth is exactly 1.
    s.z = vx.minZ + (p.z / p.w) * vx.dz;
    s.rhw = rhw;
    s.r = p.r; s.g = p.g; s.b = p.b; s.a = p.a;
    s.sr = p.sr; s.sg = p.sg; s.sb = p.sb;
    s.u = p.u; s.v = p.v;
    return s;
}

inline ScreenVertex FromPre(const ProcVertex& p) {
    ScreenVertex s;
    s.x = p.x; s.y = p.y; s.z = p.z; s.rhw = p.w;
    s.r = p.r; s.g = p.g; s.b = p.b; s.a = p.a;
    s.sr = p.sr; s.sg = p.sg; s.sb = p.sb;
    s.u = p.u; s.v = p.v;
    return s;
}

}  // namespace

// ---------------------------------------------------------------------------------
// Vertex processing

namespace {

struct VertexProcessor {
    Device::Impl& d;
    FvfLayout L;
    bool lighting = false;
    int numMatrices = 1;  // world matrices blended
    int numWeights = 0;   // weights read from the vertex
    vm::Matrix worldView[4];
    float normalM[4][3][3];
    vm::Matrix proj;
    std::vector<LightVS> lights;
    Rgba globalAmbient{};
    Rgba matDiffuse{}, matAmbient{}, matSpecular{}, matEmissive{};
    float power = 0;
    uint32_t srcDiffuse = 0, srcAmbient = 0, srcSpecular = 0, srcEmissive = 0;
    bool normalize = false, specularOn = false, localViewer = true;

    VertexProcessor(Device::Impl& dev, const FvfLayout& layout) : d(dev), L(layout) {
        if (L.rhw) return;
        const auto& rs = d.rs;
        const uint32_t vb = rs[RS_VERTEXBLEND];
        if (vb >= VBF_1WEIGHTS && vb <= VBF_3WEIGHTS && L.numBetas > 0) {
            numWeights = std::min<int>(int(vb), L.numBetas);
            numMatrices = numWeights + 1;
        } else if (vb == 256) {  // zero weights: world 0 alone
            numMatrices = 1;
        }
        for (int i = 0; i < numMatrices; ++i) {
            worldView[i] = d.world[i] * d.view;
            NormalMatrix(worldView[i], normalM[i]);
        }
        proj = d.proj;
        lighting = rs[RS_LIGHTING] != 0;
        if (lighting) {
            globalAmbient = FromArgb(rs[RS_AMBIENT]);
            const Material& m = d.material;
            matDiffuse = FromCv(m.diffuse);
            matAmbient = FromCv(m.ambient);
            matSpecular = FromCv(m.specular);
            matEmissive = FromCv(m.emissive);
            power = m.power;
            const bool cv = rs[RS_COLORVERTEX] != 0;
            srcDiffuse = cv ? rs[RS_DIFFUSEMATERIALSOURCE] : MCS_MATERIAL;
            srcAmbient = cv ? rs[RS_AMBIENTMATERIALSOURCE] : MCS_MATERIAL;
            srcSpecular = cv ? rs[RS_SPECULARMATERIALSOURCE] : MCS_MATERIAL;
            srcEmissive = cv ? rs[RS_EMISSIVEMATERIALSOURCE] : MCS_MATERIAL;
            normalize = rs[RS_NORMALIZENORMALS] != 0;
            specularOn = rs[RS_SPECULARENABLE] != 0;
            localViewer = rs[RS_LOCALVIEWER] != 0;
            for (const LightSlot& slot : d.lights) {
                if (!slot.enabled) continue;
                const Light& l = slot.light;
                LightVS o{};
                o.type = l.type;
                o.diffuse = FromCv(l.diffuse);
                o.specular = FromCv(l.specular);
                o.ambient = FromCv(l.ambient);
                o.position = vm::TransformCoord(l.position, d.view);
                o.dirToLight = vm::Normalize(vm::TransformNormal(l.direction, d.view) * -1.0f);
                o.spotDir = o.dirToLight;
                o.range = l.range;
                o.falloff = l.falloff;
                o.att0 = l.attenuation0;
                o.att1 = l.attenuation1;
                o.att2 = l.attenuation2;
                o.cosTheta2 = std::cos(l.theta * 0.5f);
                o.cosPhi2 = std::cos(l.phi * 0.5f);
                lights.push_back(o);
            }
        }
    }

    Rgba Source(uint32_t src, const Rgba& material, bool hasD, const Rgba& vd, bool hasS, const Rgba& vs) const {
        if (src == MCS_COLOR1 && hasD) return vd;
        if (src == MCS_COLOR2 && hasS) return vs;
        return material;
    }

    void Process(const uint8_t* p, ProcVertex& out) const {
        const bool hasD = L.offDiffuse >= 0, hasS = L.offSpecular >= 0;
        const uint32_t vdiff = hasD ? RdU(p + L.offDiffuse) : 0xFFFFFFFFu;
        const uint32_t vhighlight = hasS ? RdU(p + L.offSpecular) : 0u;
        if (L.offTex >= 0) {
            out.u = RdF(p + L.offTex);
            out.v = L.texFloats > 1 ? RdF(p + L.offTex + 4) : 0.0f;
        } else {
            out.u = out.v = 0;
        }
        if (L.rhw) {
            out.x = RdF(p);
            out.y = RdF(p + 4);
            out.z = RdF(p + 8);
            out.w = RdF(p + 12);
            SetColors(out, vdiff, vhighlight);
            return;
        }
        const vm::Vec3 pos{RdF(p), RdF(p + 4), RdF(p + 8)};
        vm::Vec3 n{0, 0, 0};
        if (L.offNormal >= 0) n = {RdF(p + L.offNormal), RdF(p + L.offNormal + 4), RdF(p + L.offNormal + 8)};
        vm::Vec3 pv{0, 0, 0}, nv{0, 0, 0};
        if (numMatrices == 1) {
            const vm::Vec4 t = vm::Transform(pos, worldView[0]);
            pv = {t.x, t.y, t.z};
            if (lighting) nv = MulN(n, normalM[0]);
        } else {
            float wsum = 0;
            for (int i = 0; i < numMatrices; ++i) {
                float w;
                if (i < numWeights) {
                    w = RdF(p + 12 + 4 * i);
                    wsum += w;
                } else {
                    w = 1.0f - wsum;
                }
                const vm::Vec4 t = vm::Transform(pos, worldView[i]);
                pv = pv + vm::Vec3{t.x, t.y, t.z} * w;
                if (lighting) nv = nv + MulN(n, normalM[i]) * w;
            }
        }
        const vm::Vec4 c = vm::Transform(pv, proj);
        out.x = c.x;
        out.y = c.y;
        out.z = c.z;
        out.w = c.w;
        if (!lighting) {
            SetColors(out, vdiff, vhighlight);
            return;
        }
        if (normalize) nv = vm::Normalize(nv);
        const Rgba vd = FromArgb(vdiff), vs = FromArgb(vhighlight);
        const Rgba cd = Source(srcDiffuse, matDiffuse, hasD, vd, hasS, vs);
        const Rgba ca = Source(srcAmbient, matAmbient, hasD, vd, hasS, vs);
        const Rgba cs = Source(srcSpecular, matSpecular, hasD, vd, hasS, vs);
        const Rgba ce = Source(srcEmissive, matEmissive, hasD, vd, hasS, vs);
        float ar = globalAmbient.r, ag = globalAmbient.g, ab = globalAmbient.b;
        float dr = 0, dg = 0, db = 0, sr = 0, sg = 0, sb = 0;
        for (const LightVS& l : lights) {
            vm::Vec3 toL;
            float atten = 1.0f;
            if (l.type == LIGHT_DIRECTIONAL) {
                toL = l.dirToLight;
            } else {
                vm::Vec3 dv = l.position - pv;
                const float dist = vm::Length(dv);
                if (dist > l.range) continue;
                toL = dist > 0 ? dv * (1.0f / dist) : vm::Vec3{0, 0, 1};
                const float den = l.att0 + l.att1 * dist + l.att2 * dist * dist;
                atten = den > 0 ? 1.0f / den : 1.0f;
                if (l.type == LIGHT_SPOT) {
                    const float rho = vm::Dot(l.spotDir, toL);
                    if (rho <= l.cosPhi2) continue;
                    if (rho <= l.cosTheta2) {
                        const float den2 = l.cosTheta2 - l.cosPhi2;
                        const float f = den2 > 0 ? (rho - l.cosPhi2) / den2 : 1.0f;
                        atten *= l.falloff == 1.0f ? f : std::pow(std::max(f, 0.0f), l.falloff);
                    }
                }
            }
            ar += l.ambient.r * atten;
            ag += l.ambient.g * atten;
            ab += l.ambient.b * atten;
            const float ndl = vm::Dot(nv, toL);
            if (ndl > 0) {
                dr += l.diffuse.r * ndl * atten;
                dg += l.diffuse.g * ndl * atten;
                db += l.diffuse.b * ndl * atten;
                if (specularOn && power >= 0) {
                    vm::Vec3 view = localViewer ? vm::Normalize(pv * -1.0f) : vm::Vec3{0, 0, -1};
                    vm::Vec3 h = vm::Normalize(view + toL);
                    const float ndh = vm::Dot(nv, h);
                    // A power of 0 gives the full highlight wherever the light falls
                    // on the face (pow(x, 0) = 1), as on Windows.
                    if (power == 0 || ndh > 0) {
                        const float sp = (power == 0 ? 1.0f : std::pow(ndh, power)) * atten;
                        sr += l.specular.r * sp;
                        sg += l.specular.g * sp;
                        sb += l.specular.b * sp;
                    }
                }
            }
        }
        out.r = Clamp01(ce.r + ca.r * ar + cd.r * dr) * 255.0f;
        out.g = Clamp01(ce.g + ca.g * ag + cd.g * dg) * 255.0f;
        out.b = Clamp01(ce.b + ca.b * ab + cd.b * db) * 255.0f;
        out.a = Clamp01(cd.a) * 255.0f;
        out.sr = Clamp01(cs.r * sr) * 255.0f;
        out.sg = Clamp01(cs.g * sg) * 255.0f;
        out.sb = Clamp01(cs.b * sb) * 255.0f;
    }

    static void SetColors(ProcVertex& out, uint32_t diff, uint32_t highlight) {
        out.r = float((diff >> 16) & 0xFF);
        out.g = float((diff >> 8) & 0xFF);
        out.b = float(diff & 0xFF);
        out.a = float(diff >> 24);
        out.sr = float((highlight >> 16) & 0xFF);
        out.sg = float((highlight >> 8) & 0xFF);
        out.sb = float(highlight & 0xFF);
    }
};

}  // namespace

// ---------------------------------------------------------------------------------
// Primitive assembly

namespace {

bool TryQuad(const PipeState& s, const ScreenVertex* const* tri1, const ScreenVertex* const* tri2);

struct Assembler {
    const PipeState& s;
    bool pre;  // pre-transformed
    ViewportXf vx;
    std::vector<ProcVertex>& pv;
    std::vector<uint8_t>& codes;
    std::vector<ScreenVertex>& screen;

    ScreenVertex Screen(uint32_t i) const { return pre ? FromPre(pv[i]) : Project(pv[i], vx); }

    // Triangles i and j as one rectangle when they make one (see TryQuad); vertices
    // the clipping would touch are left to Triangle.
    bool Quad(const uint32_t* i, const uint32_t* j) {
        // (The first triangle of a pair from a mesh mostly has corners of different
        // depths: told here, before the corners are gathered for TryQuad.)
        const float z = screen[i[0]].z;
        if (screen[i[1]].z != z || screen[i[2]].z != z) return false;
        if (!pre)
            for (int k = 0; k < 3; ++k)
                if (codes[i[k]] || codes[j[k]]) return false;
        const ScreenVertex* t1[3] = {&screen[i[0]], &screen[i[1]], &screen[i[2]]};
        const ScreenVertex* t2[3] = {&screen[j[0]], &screen[j[1]], &screen[j[2]]};
        return TryQuad(s, t1, t2);
    }

    // Corners of the screen as RasterTriangle takes them (the usual ones straight
    // to the set-up).
    void Raster(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, const ScreenVertex* flatFrom) {
        if (UsualCorners(a, b, c)) RasterTriangleSnapped(s, &a, &b, &c, flatFrom);
        else RasterTriangle(s, &a, &b, &c, flatFrom);
    }

    void Triangle(uint32_t i0, uint32_t i1, uint32_t i2) {
        const bool flat = s.flatShade;
        if (pre) {
            Raster(screen[i0], screen[i1], screen[i2], flat ? &screen[i0] : nullptr);
            return;
        }
        const uint8_t c0 = codes[i0], c1 = codes[i1], c2 = codes[i2];
        if (c0 & c1 & c2) return;
        if ((c0 | c1 | c2) == 0) {
            Raster(screen[i0], screen[i1], screen[i2], flat ? &screen[i0] : nullptr);
            return;
        }
        // Clip the polygon against every plane it crosses.
        ProcVertex bufA[16], bufB[16];
        int n = 3;
        bufA[0] = pv[i0];
        bufA[1] = pv[i1];
        bufA[2] = pv[i2];
        ProcVertex* in = bufA;
        ProcVertex* out = bufB;
        const uint8_t all = c0 | c1 | c2;
        for (int plane = 0; plane < 7 && n >= 3; ++plane) {
            if (!(all & (1u << plane))) continue;
            int m = 0;
            for (int k = 0; k < n; ++k) {
                const ProcVertex& a = in[k];
                const ProcVertex& b = in[(k + 1) % n];
                const float da = PlaneDist(a, plane), db = PlaneDist(b, plane);
                if (da >= 0) out[m++] = a;
                if ((da >= 0) != (db >= 0) && m < 15) out[m++] = Lerp(a, b, da / (da - db));
            }
            std::swap(in, out);
            n = m;
        }
        if (n < 3) return;
        ScreenVertex sv[16];
        for (int k = 0; k < n; ++k) sv[k] = Project(in[k], vx);
        const ScreenVertex flatV = screen[i0].rhw != 0 ? screen[i0] : sv[0];
        ScreenVertex flatC = sv[0];
        flatC.r = pv[i0].r; flatC.g = pv[i0].g; flatC.b = pv[i0].b; flatC.a = pv[i0].a;
        flatC.sr = pv[i0].sr; flatC.sg = pv[i0].sg; flatC.sb = pv[i0].sb;
        (void)flatV;
        for (int k = 1; k + 1 < n; ++k) RasterTriangle(s, &sv[0], &sv[k], &sv[k + 1], flat ? &flatC : nullptr);
    }

    void Line(uint32_t i0, uint32_t i1) {
        if (pre) {
            RasterLine(s, screen[i0], screen[i1]);
            return;
        }
        const uint8_t c0 = codes[i0], c1 = codes[i1];
        if (c0 & c1) return;
        ProcVertex a = pv[i0], b = pv[i1];
        const uint8_t all = c0 | c1;
        for (int plane = 0; plane < 7; ++plane) {
            if (!(all & (1u << plane))) continue;
            const float da = PlaneDist(a, plane), db = PlaneDist(b, plane);
            if (da < 0 && db < 0) return;
            if (da < 0) a = Lerp(a, b, da / (da - db));
            else if (db < 0) b = Lerp(a, b, da / (da - db));
        }
        RasterLine(s, Project(a, vx), Project(b, vx));
    }
};

// Shades the rectangle of corners a, b (a's row) and c (a's column) at snapped
// positions X0 (a, c), X1 (b), Y0 (a, b), Y1 (c), with one colour and one depth, u
// along the rows and v down the columns; `area` the sign of its first triangle's
// winding (for culling). constColor: the colour taken as it is (the screen
// rectangles' path) rather than as a plane of no slope (the triangles' arithmetic).
void ShadeRectangle(const PipeState& s, const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                    int64_t X0, int64_t X1, int64_t Y0, int64_t Y1, int64_t area, bool constColor) {
    if (X0 == X1 || Y0 == Y1) return;  // nothing to draw
    if (s.cull == CULL_CCW && area < 0) return;
    if (s.cull == CULL_CW && area > 0) return;
    const int64_t xl = std::min(X0, X1), xr = std::max(X0, X1), yt = std::min(Y0, Y1), yb = std::max(Y0, Y1);
    const int px0 = int(std::max<int64_t>(CeilSub(xl), s.sx0));
    const int px1 = int(std::min<int64_t>(CeilSub(xr), s.sx1));
    const int py0 = int(std::max<int64_t>(CeilSub(yt), s.sy0));
    const int py1 = int(std::min<int64_t>(CeilSub(yb), s.sy1));
    if (px0 >= px1 || py0 >= py1) return;
    SpanSetup sp;
    sp.persp = false;
    AttrsOf(a, false, sp.a0);
    for (int k = 0; k < kAttrCount; ++k) sp.dadx[k] = sp.dady[k] = 0;
    const float fx = float(X1 - X0) / kSub, fy = float(Y1 - Y0) / kSub;
    sp.dadx[kAttrU] = (b.u - a.u) / fx;
    sp.dady[kAttrV] = (c.v - a.v) / fy;
    sp.x0 = float(X0) / kSub;
    sp.y0 = float(Y0) / kSub;
    sp.constColor = constColor;
    sp.minify = s.tex && std::max(std::fabs(sp.dadx[kAttrU]) * s.tw, std::fabs(sp.dady[kAttrV]) * s.th) > 1.0001f;
    if (s.flatShade) {
        sp.flat = true;
        sp.flatR = a.r; sp.flatG = a.g; sp.flatB = a.b; sp.flatA = a.a;
        sp.flatSR = a.sr; sp.flatSG = a.sg; sp.flatSB = a.sb;
    }
    ShadeBlock(s, sp, py0, py1, px0, px1);
}

// One vertex given twice (a list repeats the corners its triangles share).
bool Same(const ScreenVertex& p, const ScreenVertex& q) { return std::memcmp(&p, &q, sizeof p) == 0; }

bool SameColour(const ScreenVertex& p, const ScreenVertex& q) {
    return p.r == q.r && p.g == q.g && p.b == q.b && p.a == q.a && p.sr == q.sr && p.sg == q.sg && p.sb == q.sb;
}

// A screen-aligned rectangle drawn as a two-triangle strip with one colour, one
// depth and texture coordinates aligned with the axes: shaded as one block.
bool TryRectangle(const PipeState& s, const std::vector<ScreenVertex>& v) {
    const ScreenVertex &a = v[0], &b = v[1], &c = v[2], &e = v[3];
    for (int i = 0; i < 4; ++i)
        if (!Finite(v[i]) || !Inside(v[i])) return false;
    if (!(a.y == b.y && c.y == e.y && a.x == c.x && b.x == e.x)) return false;
    if (!(a.rhw == b.rhw && a.rhw == c.rhw && a.rhw == e.rhw)) return false;
    if (!(a.z == b.z && a.z == c.z && a.z == e.z)) return false;
    if (!(a.u == c.u && b.u == e.u && a.v == b.v && c.v == e.v)) return false;
    if (!(SameColour(a, b) && SameColour(a, c) && SameColour(a, e))) return false;
    const int64_t X0 = Snap(a.x), X1 = Snap(b.x), Y0 = Snap(a.y), Y1 = Snap(c.y);
    // Orientation of the first triangle (a, b, c) decides culling; the second has the same.
    ShadeRectangle(s, a, b, c, X0, X1, Y0, Y1, (X1 - X0) * (Y1 - Y0), true);
    return true;
}

// Two triangles (i0 i1 i2, j0 j1 j2) that share a diagonal of the rectangle aligned
// with the screen that they make together, of one colour and one depth all over,
// one w (but for rounding), and texture coordinates following the rectangle's sides
// (a sprite, particle or billboard facing the camera): shaded as one block. (Shared
// corners are found by value: a list without indices repeats them.) Its
// rows then all start at its left side and share their texel columns. The pixels
// are the two triangles': the rectangle's sides are their snapped edges and the
// diagonal splits it without gap or overlap. False when they are not such a pair.
bool TryQuad(const PipeState& s, const ScreenVertex* const* tri1, const ScreenVertex* const* tri2) {
    // (The triangles of a mesh mostly differ in depth or colour at once: depth, the
    // cheaper test, first.)
    for (int k = 1; k < 3; ++k)
        if (tri1[k]->z != tri1[0]->z || !SameColour(*tri1[0], *tri1[k])) return false;
    // The second triangle's corner that is not one of the first's.
    const ScreenVertex* extra = nullptr;
    const ScreenVertex* shared[2];
    int nShared = 0;
    if (Same(*tri1[0], *tri1[1]) || Same(*tri1[1], *tri1[2]) || Same(*tri1[0], *tri1[2])) return false;
    for (int k = 0; k < 3; ++k) {
        if (Same(*tri2[k], *tri1[0]) || Same(*tri2[k], *tri1[1]) || Same(*tri2[k], *tri1[2])) {
            if (nShared == 2) return false;
            shared[nShared++] = tri2[k];
        } else {
            extra = tri2[k];
        }
    }
    if (nShared != 2 || !extra) return false;
    const ScreenVertex* q[4] = {tri1[0], tri1[1], tri1[2], extra};
    int64_t X[4], Y[4];
    for (int k = 0; k < 4; ++k) {
        if (!Finite(*q[k]) || !Inside(*q[k])) return false;
        if (!SameColour(*q[0], *q[k]) || q[k]->z != q[0]->z || !SameW(q[k]->rhw, q[0]->rhw)) return false;
        X[k] = Snap(q[k]->x);
        Y[k] = Snap(q[k]->y);
    }
    // Each corner of the rectangle once; u the same down its sides, v along them.
    const int64_t xl = std::min({X[0], X[1], X[2], X[3]}), xr = std::max({X[0], X[1], X[2], X[3]});
    const int64_t yt = std::min({Y[0], Y[1], Y[2], Y[3]}), yb = std::max({Y[0], Y[1], Y[2], Y[3]});
    int corner[4], seen = 0;
    const ScreenVertex* at[4] = {};
    for (int k = 0; k < 4; ++k) {
        if ((X[k] != xl && X[k] != xr) || (Y[k] != yt && Y[k] != yb)) return false;
        corner[k] = (X[k] == xr ? 1 : 0) | (Y[k] == yb ? 2 : 0);
        seen |= 1 << corner[k];
        at[corner[k]] = q[k];
    }
    if (seen != 0xF || xl == xr || yt == yb) return false;
    if (!(at[0]->u == at[2]->u && at[1]->u == at[3]->u && at[0]->v == at[1]->v && at[2]->v == at[3]->v)) return false;
    // The shared corners are opposite ones, and both triangles wind the same way.
    auto indexOf = [&](const ScreenVertex* p) { return Same(*p, *q[0]) ? 0 : Same(*p, *q[1]) ? 1 : Same(*p, *q[2]) ? 2 : 3; };
    auto cornerOf = [&](const ScreenVertex* p) { return corner[indexOf(p)]; };
    if ((cornerOf(shared[0]) ^ cornerOf(shared[1])) != 3) return false;
    auto area = [&](const ScreenVertex* const* t) {
        int64_t px[3], py[3];
        for (int k = 0; k < 3; ++k) {
            const int i = indexOf(t[k]);
            px[k] = X[i];
            py[k] = Y[i];
        }
        return (px[1] - px[0]) * (py[2] - py[0]) - (py[1] - py[0]) * (px[2] - px[0]);
    };
    const int64_t a1 = area(tri1), a2 = area(tri2);
    if ((a1 > 0) != (a2 > 0)) return false;
    ShadeRectangle(s, *at[0], *at[1], *at[2], xl, xr, yt, yb, a1, false);
    return true;
}

}  // namespace

HRESULT Device::Impl::Draw(PrimitiveType type, uint32_t count, const void* vertices, uint32_t stride,
                           const void* indices, bool index32, uint32_t, uint32_t) {
    if (!vertices || count == 0) return vertices ? S_OK : E_INVALIDARG;
    const FvfLayout L = ParseFvf(fvf, tss[0][TSS_TEXCOORDINDEX]);
    if (!L.valid || stride == 0) return E_FAIL;
    uint32_t nIdx;
    switch (type) {
        case PT_POINTLIST: nIdx = count; break;
        case PT_LINELIST: nIdx = count * 2; break;
        case PT_LINESTRIP: nIdx = count + 1; break;
        case PT_TRIANGLELIST: nIdx = count * 3; break;
        case PT_TRIANGLESTRIP:
        case PT_TRIANGLEFAN: nIdx = count + 2; break;
        default: return E_INVALIDARG;
    }
    if (count > (1u << 24)) return E_INVALIDARG;
    // Nothing of the target can be drawn on: the vertices are not even processed.
    PipeState s;
    BuildPipe(*this, s);
    if (s.sx0 >= s.sx1 || s.sy0 >= s.sy1) return S_OK;
    auto index = [&](uint32_t k) -> uint32_t {
        if (!indices) return k;
        return index32 ? static_cast<const uint32_t*>(indices)[k] : static_cast<const uint16_t*>(indices)[k];
    };
    uint32_t lo = 0, hi = nIdx - 1;
    if (indices) {
        // (A loop for each width of index, rather than the width asked at each index.)
        const auto range = [&](const auto* idx) {
            lo = 0xFFFFFFFFu;
            hi = 0;
            for (uint32_t k = 0; k < nIdx; ++k) {
                lo = std::min<uint32_t>(lo, idx[k]);
                hi = std::max<uint32_t>(hi, idx[k]);
            }
        };
        if (index32) range(static_cast<const uint32_t*>(indices));
        else range(static_cast<const uint16_t*>(indices));
    }
    const uint32_t nv = hi - lo + 1;
    procVerts.resize(nv);
    procFlags.assign(nv, 0);
    const uint8_t* base = static_cast<const uint8_t*>(vertices);
    VertexProcessor vp(*this, L);
    for (uint32_t i = 0; i < nv; ++i) vp.Process(base + size_t(lo + i) * stride, procVerts[i]);


    Assembler as{s, L.rhw, {}, procVerts, procFlags, screenVerts};
    as.vx.ox = float(viewport.x);
    as.vx.oy = float(viewport.y);
    as.vx.sx = float(viewport.width) * 0.5f;
    as.vx.sy = float(viewport.height) * 0.5f;
    as.vx.minZ = viewport.minZ;
    as.vx.dz = viewport.maxZ - viewport.minZ;
    as.screen.resize(nv);
    for (uint32_t i = 0; i < nv; ++i) {
        if (!L.rhw) {
            procFlags[i] = ClipCode(procVerts[i]);
            if (procFlags[i] == 0) as.screen[i] = Project(procVerts[i], as.vx);
            else as.screen[i].rhw = 0;
        } else {
            as.screen[i] = FromPre(procVerts[i]);
        }
    }
    auto I = [&](uint32_t k) { return index(k) - lo; };

    switch (type) {
        case PT_POINTLIST:
            for (uint32_t k = 0; k < count; ++k) {
                const uint32_t i = I(k);
                if (!L.rhw && procFlags[i]) continue;
                ScreenVertex p = as.screen[i];
                ScreenVertex q = p;
                q.x += 1.0f;
                RasterLine(s, p, q);
            }
            break;
        case PT_LINELIST:
            for (uint32_t k = 0; k < count; ++k) as.Line(I(2 * k), I(2 * k + 1));
            break;
        case PT_LINESTRIP:
            for (uint32_t k = 0; k < count; ++k) as.Line(I(k), I(k + 1));
            break;
        case PT_TRIANGLELIST:
            for (uint32_t k = 0; k < count; ++k) {
                const uint32_t t[6] = {I(3 * k), I(3 * k + 1), I(3 * k + 2),
                                       k + 1 < count ? I(3 * k + 3) : 0, k + 1 < count ? I(3 * k + 4) : 0,
                                       k + 1 < count ? I(3 * k + 5) : 0};
                if (k + 1 < count && as.Quad(t, t + 3)) {
                    ++k;
                    continue;
                }
                as.Triangle(t[0], t[1], t[2]);
            }
            break;
        case PT_TRIANGLESTRIP:
            if (count == 2 && L.rhw && !indices && TryRectangle(s, as.screen)) break;
            for (uint32_t k = 0; k < count; ++k) {
                if (!(k & 1) && k + 1 < count) {
                    const uint32_t t[6] = {I(k), I(k + 1), I(k + 2), I(k + 1), I(k + 3), I(k + 2)};
                    if (as.Quad(t, t + 3)) {
                        ++k;
                        continue;
                    }
                }
                if (k & 1) as.Triangle(I(k), I(k + 2), I(k + 1));
                else as.Triangle(I(k), I(k + 1), I(k + 2));
            }
            break;
        case PT_TRIANGLEFAN:
            for (uint32_t k = 0; k < count; ++k) as.Triangle(I(k + 1), I(k + 2), I(0));
            break;
        default: break;
    }
    return S_OK;
}

}  // namespace gfx
