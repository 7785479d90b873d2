// Normals under a world matrix that scales unevenly follow the surface (the inverse
// transpose of the world-view part), not the plain matrix: with and without
// normalising, and under vertex blending.
#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
