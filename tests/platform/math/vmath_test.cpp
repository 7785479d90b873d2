// Rotation, quaternion and inverse helpers against hand-computed values.
#include <gtest/gtest.h>

#include <cmath>

#include "math/vmath.h"

namespace {

constexpr float kPi = 3.14159265f;

void ExpectMatrixNear(const vm::Matrix& a, const vm::Matrix& b, float eps = 1e-5f) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], eps) << "at " << r << "," << c;
}
void ExpectVecNear(vm::Vec3 a, vm::Vec3 b, float eps = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}
bool SameRotation(vm::Quat a, vm::Quat b, float eps = 1e-5f) {
    return std::fabs(std::fabs(vm::Dot(a, b)) - 1.0f) < eps;
}

TEST(Rotations, AxesTurnRowVectorsTheLeftHandedWay) {
    ExpectVecNear(vm::TransformCoord({0, 1, 0}, vm::RotationX(kPi / 2)), {0, 0, 1});
    ExpectVecNear(vm::TransformCoord({0, 0, 1}, vm::RotationY(kPi / 2)), {1, 0, 0});
    ExpectVecNear(vm::TransformCoord({1, 0, 0}, vm::RotationY(kPi / 2)), {0, 0, -1});
    ExpectVecNear(vm::TransformCoord({1, 0, 0}, vm::RotationZ(kPi / 2)), {0, 1, 0});

    vm::Matrix rx = vm::RotationX(0.3f);
    EXPECT_FLOAT_EQ(rx.m[1][1], std::cos(0.3f));
    EXPECT_FLOAT_EQ(rx.m[1][2], std::sin(0.3f));
    EXPECT_FLOAT_EQ(rx.m[2][1], -std::sin(0.3f));
    EXPECT_FLOAT_EQ(rx.m[0][0], 1.0f);
    EXPECT_FLOAT_EQ(rx.m[3][3], 1.0f);
}

TEST(Rotations, AxisRotationMatchesTheAxisRotationsAndNormalisesTheAxis) {
    ExpectMatrixNear(vm::RotationAxis({1, 0, 0}, 0.7f), vm::RotationX(0.7f));
    ExpectMatrixNear(vm::RotationAxis({0, 2, 0}, -1.1f), vm::RotationY(-1.1f));
    ExpectMatrixNear(vm::RotationAxis({0, 0, 5}, 2.0f), vm::RotationZ(2.0f));
    // 120 degrees about (1,1,1) cycles the axes.
    ExpectVecNear(vm::TransformCoord({1, 0, 0}, vm::RotationAxis({1, 1, 1}, 2 * kPi / 3)), {0, 1, 0});
}

TEST(Rotations, YawPitchRollRollsThenPitchesThenYaws) {
    ExpectMatrixNear(vm::RotationYawPitchRoll(0.4f, 0, 0), vm::RotationY(0.4f));
    ExpectMatrixNear(vm::RotationYawPitchRoll(0.4f, -0.2f, 1.3f),
                     vm::RotationZ(1.3f) * vm::RotationX(-0.2f) * vm::RotationY(0.4f));
}

TEST(Matrices, TransposeInverseAndDeterminant) {
    vm::Matrix m = vm::RotationYawPitchRoll(0.3f, 0.2f, 0.1f) * vm::Translation(1, 2, 3);
    vm::Matrix t = vm::Transpose(m);
    EXPECT_FLOAT_EQ(t.m[3][0], m.m[0][3]);
    EXPECT_FLOAT_EQ(t.m[0][3], 1.0f);

    vm::Matrix s = vm::Scaling(2, 3, 4) * vm::Translation(5, 6, 7);
    float det = 0;
    vm::Matrix inv;
    ASSERT_TRUE(vm::Inverse(s, inv, &det));
    EXPECT_FLOAT_EQ(det, 24.0f);
    EXPECT_FLOAT_EQ(inv.m[0][0], 0.5f);
    EXPECT_FLOAT_EQ(inv.m[3][0], -2.5f);
    EXPECT_FLOAT_EQ(inv.m[3][2], -1.75f);
    ExpectMatrixNear(s * inv, vm::Identity());
    ASSERT_TRUE(vm::Inverse(m, inv));
    ExpectMatrixNear(inv * m, vm::Identity());

    vm::Matrix singular = vm::Scaling(1, 0, 1);
    vm::Matrix untouched = vm::Translation(9, 9, 9);
    EXPECT_FALSE(vm::Inverse(singular, untouched, &det));
    EXPECT_EQ(det, 0.0f);
    EXPECT_EQ(untouched.m[3][0], 9.0f);
    EXPECT_FLOAT_EQ(vm::Determinant(s), 24.0f);
}

TEST(Quaternions, MatricesMatchTheMatrixRotations) {
    vm::Quat q = vm::QuatRotationAxis({0, 0, 1}, kPi / 2);
    EXPECT_NEAR(q.z, std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(q.w, std::sqrt(0.5f), 1e-6f);
    ExpectMatrixNear(vm::RotationQuaternion(q), vm::RotationZ(kPi / 2));
    ExpectMatrixNear(vm::RotationQuaternion(vm::QuatRotationAxis({1, 2, 3}, 0.9f)), vm::RotationAxis({1, 2, 3}, 0.9f));
    ExpectMatrixNear(vm::RotationQuaternion(vm::QuatRotationYawPitchRoll(0.5f, -0.3f, 1.2f)),
                     vm::RotationYawPitchRoll(0.5f, -0.3f, 1.2f));
}

TEST(Quaternions, MultiplyAppliesTheFirstRotationFirst) {
    vm::Quat a = vm::QuatRotationAxis({1, 0, 0}, 0.6f), b = vm::QuatRotationAxis({0, 1, 0}, -0.4f);
    ExpectMatrixNear(vm::RotationQuaternion(vm::QuatMultiply(a, b)), vm::RotationX(0.6f) * vm::RotationY(-0.4f));
    vm::Quat inv = vm::QuatInverse(a);
    vm::Quat id = vm::QuatMultiply(a, inv);
    EXPECT_NEAR(id.w, 1.0f, 1e-6f);
    EXPECT_NEAR(id.x, 0.0f, 1e-6f);
    EXPECT_TRUE(SameRotation(vm::Conjugate(a), inv));
}

TEST(Quaternions, FromMatrixRoundTripsIncludingHalfTurns) {
    const vm::Quat cases[] = {
        vm::QuatRotationAxis({1, 0, 0}, kPi), vm::QuatRotationAxis({0, 1, 0}, kPi), vm::QuatRotationAxis({0, 0, 1}, kPi),
        vm::QuatRotationAxis({1, -2, 0.5f}, 2.5f), vm::QuatRotationAxis({0.3f, 0.3f, 1}, 0.2f), vm::Quat{}};
    for (const vm::Quat& q : cases) {
        vm::Quat back = vm::QuatRotationMatrix(vm::RotationQuaternion(q));
        EXPECT_TRUE(SameRotation(q, back)) << q.x << " " << q.y << " " << q.z << " " << q.w;
    }
}

TEST(Quaternions, SlerpFollowsTheShorterArcAtConstantSpeed) {
    vm::Quat a{}, b = vm::QuatRotationAxis({0, 0, 1}, kPi / 2);
    vm::Quat mid = vm::Slerp(a, b, 0.5f);
    EXPECT_TRUE(SameRotation(mid, vm::QuatRotationAxis({0, 0, 1}, kPi / 4)));
    vm::Quat quarter = vm::Slerp(a, b, 0.25f);
    EXPECT_TRUE(SameRotation(quarter, vm::QuatRotationAxis({0, 0, 1}, kPi / 8)));
    EXPECT_TRUE(SameRotation(vm::Slerp(a, b, 0), a));
    EXPECT_TRUE(SameRotation(vm::Slerp(a, b, 1), b));
    // -b is the same rotation: the path still goes the short way.
    vm::Quat nb{-b.x, -b.y, -b.z, -b.w};
    EXPECT_TRUE(SameRotation(vm::Slerp(a, nb, 0.5f), vm::QuatRotationAxis({0, 0, 1}, kPi / 4)));
    // Nearly equal inputs interpolate without dividing by zero.
    vm::Quat c = vm::Slerp(a, vm::QuatRotationAxis({0, 0, 1}, 1e-5f), 0.5f);
    EXPECT_TRUE(std::isfinite(c.w));
    EXPECT_NEAR(vm::Length(c), 1.0f, 1e-5f);
}

TEST(Quaternions, DecomposeInvertsScaleRotateTranslate) {
    vm::Quat q = vm::QuatRotationAxis({0.2f, 1, -0.4f}, 1.3f);
    vm::Matrix m = vm::ScaleRotateTranslate({2, 3, 0.5f}, q, {4, -5, 6});
    ExpectMatrixNear(m, vm::Scaling(2, 3, 0.5f) * vm::RotationQuaternion(q) * vm::Translation(4, -5, 6));
    vm::Vec3 s, p;
    vm::Quat r;
    ASSERT_TRUE(vm::Decompose(m, s, r, p));
    ExpectVecNear(s, {2, 3, 0.5f});
    ExpectVecNear(p, {4, -5, 6});
    EXPECT_TRUE(SameRotation(r, q));
    EXPECT_FALSE(vm::Decompose(vm::Scaling(0, 1, 1), s, r, p));
}

TEST(Vectors, HermiteSplineAndFourComponentNormalise) {
    vm::Vec3 a{0, 0, 0}, b{4, 0, 0}, ta{5, -5, 5}, tb{0, 0, 0};
    ExpectVecNear(vm::Hermite(a, ta, b, tb, 0), a);
    ExpectVecNear(vm::Hermite(a, ta, b, tb, 1), b);
    // s = 0.5: h1 = 0.5, h2 = 0.125, h3 = 0.5, h4 = -0.125.
    ExpectVecNear(vm::Hermite(a, ta, b, tb, 0.5f), {0.125f * 5 + 0.5f * 4, -0.625f, 0.625f});
    vm::Vec4 n = vm::Normalize(vm::Vec4{1, 2, 2, 4});
    EXPECT_FLOAT_EQ(n.x, 0.2f);
    EXPECT_FLOAT_EQ(n.w, 0.8f);
    vm::Vec4 z = vm::Normalize(vm::Vec4{0, 0, 0, 0});
    EXPECT_EQ(z.x, 0.0f);
}

TEST(Vectors, NormaliseLerpAndTransform) {
    ExpectVecNear(vm::Normalize(vm::Vec3{3, 0, 4}), {0.6f, 0, 0.8f});
    ExpectVecNear(vm::Normalize(vm::Vec3{0, 0, 0}), {0, 0, 0});
    ExpectVecNear(vm::Lerp({0, 2, 4}, {2, 4, 8}, 0.25f), {0.5f, 2.5f, 5});
    ExpectVecNear(vm::TransformNormal({1, 0, 0}, vm::Translation(5, 5, 5) * vm::RotationZ(kPi / 2)), {0, 1, 0});
    vm::Vec4 w = vm::Transform({1, 2, 3}, vm::Translation(1, 1, 1));
    EXPECT_FLOAT_EQ(w.x, 2);
    EXPECT_FLOAT_EQ(w.w, 1);
}

}  // namespace
