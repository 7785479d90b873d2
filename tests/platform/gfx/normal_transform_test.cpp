// Normals under a world matrix that scales unevenly: they follow the surface (the
// inverse transpose of the world-view part), not the plain matrix, with and without
// normalising and under vertex blending.
#include <gtest/gtest.h>

#include <cmath>

#include "gfx/device.h"
#include "gfx_test_util.h"

using namespace gfx;
using namespace gfxtest;

namespace {

struct BlendVertex {
    float x, y, z, w0;
    float nx, ny, nz;
    uint32_t diffuse;
};

struct NormalCase {
    const char* what;
    vm::Matrix world0, world1;
    uint32_t vertexBlend;
    bool normalize;
    vm::Matrix view;
    float expected;  // N.L of the light straight down the world's -y axis
};

TEST(DeviceLighting, NormalsFollowTheSurfaceUnderUnevenScale) {
    const float s = 1.0f / std::sqrt(2.0f);
    // The normal (1, 1, 0)/sqrt 2 under diag(1, 3, 1): the surface's normal turns to
    // (1, 1/3, 0)/sqrt 2 (length 0.745); the plain matrix would give (1, 3, 0)/sqrt 2,
    // lit almost fully. Under diag(2, 6, 2) half as long again.
    const float surfaceY = s / 3.0f, surfaceLength = s * std::sqrt(1.0f + 1.0f / 9.0f);
    const vm::Matrix tall = vm::Scaling(1, 3, 1), taller = vm::Scaling(2, 6, 2);
    const NormalCase cases[] = {
        {"normalised", tall, tall, VBF_DISABLE, true, vm::Identity(), surfaceY / surfaceLength},
        {"as transformed", tall, tall, VBF_DISABLE, false, vm::Identity(), surfaceY},
        {"under a turned view", tall, tall, VBF_DISABLE, true, vm::RotationZ(0.7f), surfaceY / surfaceLength},
        {"blended, as transformed", tall, taller, VBF_1WEIGHTS, false, vm::Identity(), 0.5f * surfaceY + 0.25f * surfaceY},
        {"blended, normalised", tall, taller, VBF_1WEIGHTS, true, vm::Identity(), surfaceY / surfaceLength},
    };
    for (const NormalCase& c : cases) {
        Device d(16, 16);
        d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        d.SetRenderState(RS_CULLMODE, CULL_NONE);
        d.SetRenderState(RS_ZENABLE, 0);
        d.SetRenderState(RS_AMBIENT, 0);
        d.SetRenderState(RS_VERTEXBLEND, c.vertexBlend);
        d.SetRenderState(RS_NORMALIZENORMALS, c.normalize ? 1 : 0);
        d.SetTransform(TS_WORLDMATRIX(0), c.world0);
        d.SetTransform(TS_WORLDMATRIX(1), c.world1);
        d.SetTransform(TS_VIEW, c.view);
        d.SetTransform(TS_PROJECTION, vm::Identity());
        OneLight(d, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, -1, 0});
        // A small screen-facing quad, the normal slanted; both matrices weigh half.
        BlendVertex q[4];
        const float corners[4][2] = {{-0.2f, -0.1f}, {0.2f, -0.1f}, {-0.2f, 0.1f}, {0.2f, 0.1f}};
        for (int i = 0; i < 4; ++i) q[i] = {corners[i][0], corners[i][1], 0.3f, 0.5f, s, s, 0, 0xFFFFFFFF};
        d.SetFVF(FVF_XYZB1 | FVF_NORMAL | FVF_DIFFUSE);
        d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(BlendVertex));
        const int lit = int(Px(d, 8, 8) & 0xFF);
        EXPECT_NEAR(lit, c.expected * 255.0f, 1.0f) << c.what;
    }
}

}  // namespace
