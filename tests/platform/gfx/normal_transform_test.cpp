// Normals under a world matrix that scales unevenly follow the surface (the inverse
// transpose of the world-view part), not the plain matrix: with and without
// normalising, and under vertex blending.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "gfx/device.h"
#include "gfx_test_util.h"

using namespace gfx;
using namespace gfxtest;

namespace {

TEST(DeviceLighting, NormalsFollowTheSurfaceUnderUnevenScale) {
    // The normal (1, 1, 0)/sqrt 2 under diag(1, 3, 1) turns to (1, 1/3, 0)/sqrt 2 (the
    // plain matrix would give (1, 3, 0)/sqrt 2, lit almost fully); under diag(2, 6, 2)
    // half as long again. Lit by a light straight down -y: N.L is its y.
    const float s = 1.0f / std::sqrt(2.0f), y = s / 3.0f, normalised = y / (s * std::sqrt(1.0f + 1.0f / 9.0f));
    const vm::Matrix tall = vm::Scaling(1, 3, 1), taller = vm::Scaling(2, 6, 2);
    const struct {
        const char* what;
        vm::Matrix world1;
        uint32_t vertexBlend;
        bool normalize;
        vm::Matrix view;
        float expected;
    } cases[] = {
        {"normalised", tall, VBF_DISABLE, true, vm::Identity(), normalised},
        {"as transformed", tall, VBF_DISABLE, false, vm::Identity(), y},
        {"under a turned view", tall, VBF_DISABLE, true, vm::RotationZ(0.7f), normalised},
        {"blended, as transformed", taller, VBF_1WEIGHTS, false, vm::Identity(), 0.75f * y},
        {"blended, normalised", taller, VBF_1WEIGHTS, true, vm::Identity(), normalised},
    };
    struct BlendVertex {
        float x, y, z, w0, nx, ny, nz;
        uint32_t diffuse;
    };
    // A small screen-facing quad, the normal slanted; both matrices weigh half.
    const BlendVertex q[4] = {{-0.2f, -0.1f, 0.3f, 0.5f, s, s, 0, ~0u}, {0.2f, -0.1f, 0.3f, 0.5f, s, s, 0, ~0u},
                              {-0.2f, 0.1f, 0.3f, 0.5f, s, s, 0, ~0u}, {0.2f, 0.1f, 0.3f, 0.5f, s, s, 0, ~0u}};
    for (const auto& c : cases) {
        Device d(16, 16);
        d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        d.SetRenderState(RS_CULLMODE, CULL_NONE);
        d.SetRenderState(RS_AMBIENT, 0);
        d.SetRenderState(RS_VERTEXBLEND, c.vertexBlend);
        d.SetRenderState(RS_NORMALIZENORMALS, c.normalize ? 1 : 0);
        d.SetTransform(TS_WORLDMATRIX(0), tall);
        d.SetTransform(TS_WORLDMATRIX(1), c.world1);
        d.SetTransform(TS_VIEW, c.view);
        d.SetTransform(TS_PROJECTION, vm::Identity());
        OneLight(d, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, -1, 0});
        d.SetFVF(FVF_XYZB1 | FVF_NORMAL | FVF_DIFFUSE);
        d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(BlendVertex));
        EXPECT_NEAR(int(Px(d, 8, 8) & 0xFF), c.expected * 255.0f, 1.0f) << c.what;
    }
}

// Measured on Windows (the public Direct3D 9 conformance tests' expected pixels, the
// centre pixel read back with the alpha masked off): a quad of vertex diffuse
// 0xFF0000FF and normal (0, 0, -1) lit by light 0 enabled unset (white, along +z),
// view and projection identity, over a white clear, under four world matrices.  The
// last has a projective last column: its normal matrix, from the whole inverse,
// flattens the normal to nothing.
TEST(DeviceLighting, WorldMatricesAsMeasuredOnWindows) {
    struct Vertex {
        float x, y, z, nx, ny, nz;
        uint32_t diffuse;
    };
    auto quad = [](std::initializer_list<vm::Vec3> corners, vm::Vec3 n) {
        std::vector<Vertex> q;
        for (const vm::Vec3& p : corners) q.push_back({p.x, p.y, p.z, n.x, n.y, n.z, 0xFF0000FF});
        return q;
    };
    const std::vector<Vertex> facing = quad({{-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}, {1, -1, 0}}, {0, 0, -1});
    auto rows = [](std::initializer_list<float> v) {
        vm::Matrix m;
        std::copy(v.begin(), v.end(), &m.m[0][0]);
        return m;
    };
    const struct {
        const char* what;
        vm::Matrix world;
        std::vector<Vertex> quad;
        uint32_t expected;
    } cases[] = {
        {"identity", vm::Identity(), facing, 0x000000FF},
        {"singular", rows({1, 0, 1, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 0, 0.5f, 1}), facing, 0x000000FF},
        {"turned and moved", rows({0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 10, 10, 10, 1}),
         quad({{-10, -11, 11}, {-10, -9, 11}, {-10, -9, 9}, {-10, -11, 9}}, {-1, 0, 0}), 0x000000FF},
        {"projective", rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, -1, 10, 10, 10, 0}),
         quad({{-11, -11, -10}, {-11, -9, -10}, {-9, -9, -10}, {-9, -11, -10}}, {0, 0, -1}), 0x00000000},
    };
    const uint16_t indices[] = {0, 1, 2, 2, 3, 0};
    for (const auto& c : cases) {
        Device d(64, 48);
        d.SetRenderState(RS_ZENABLE, 0);
        d.SetRenderState(RS_CULLMODE, CULL_NONE);
        d.SetTransform(TS_VIEW, vm::Identity());
        d.SetTransform(TS_PROJECTION, vm::Identity());
        d.SetTransform(TS_WORLDMATRIX(0), c.world);
        d.LightEnable(0, true);
        d.Clear(CLEAR_TARGET, 0xFFFFFFFF, 0.0f, 0);
        d.SetFVF(FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE);
        d.DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 0, 4, 2, indices, false, c.quad.data(), sizeof(Vertex));
        EXPECT_EQ(Px(d, 32, 24) & 0x00FFFFFF, c.expected) << c.what;
    }
}

}  // namespace
