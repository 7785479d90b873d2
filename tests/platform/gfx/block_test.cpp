// A block of rows shaded at once gives the pixels and depths of the same rows
// shaded one by one, for copies, scaled and clamped texels and blocks that reach
// past the texture (rows the block path cannot take).
#include <gtest/gtest.h>

#include <vector>

#include "gfx/device.h"
#include "gfx/raster_pixel.h"
#include "gfx_test_util.h"

using namespace gfx;
using namespace gfxtest;

namespace {

struct Target {
    std::vector<uint32_t> color;
    std::vector<float> depth;
};

Target Shade(bool block, const SpanSetup& sp, bool linear, bool blend, int y0, int y1, int x0, int x1) {
    const int w = 90, h = 60;
    Target t;
    t.color.assign(size_t(w) * h, 0xFF336699u);
    t.depth.assign(size_t(w) * h, 1.0f);
    for (int i = 0; i < w * h; i += 3) t.depth[size_t(i)] = 0.2f;  // some pixels fail the depth test
    std::vector<uint32_t> tex(64 * 32);
    for (size_t i = 0; i < tex.size(); ++i)
        tex[i] = (uint32_t(i % 5 == 0 ? 0 : (i * 53) & 0xFF) << 24) | uint32_t(i * 2654435761u >> 8);
    PipeState s = SpritePipe(t.color.data(), t.depth.data(), w, h, tex.data(), 64, 32, linear, blend);
    s.zTest = s.zWrite = true;
    s.zFunc = CMP_LESSEQUAL;
    s.alphaTest = true;
    s.alphaFunc = CMP_GREATER;
    s.alphaRef = 0;
    PreparePipe(s);
    if (block) ShadeBlock(s, sp, y0, y1, x0, x1);
    else
        for (int y = y0; y < y1; ++y) ShadeSpan(s, sp, y, x0, x1);
    return t;
}

SpanSetup Rect(float x0, float y0, float u0, float v0, float du, float dv, float z, uint32_t color) {
    SpanSetup sp;
    sp.x0 = x0, sp.y0 = y0;
    sp.a0[kAttrU] = u0, sp.a0[kAttrV] = v0, sp.a0[kAttrZ] = z, sp.a0[kAttrRhw] = 1;
    sp.a0[kAttrA] = float(color >> 24) / 255.0f, sp.a0[kAttrR] = float((color >> 16) & 255) / 255.0f;
    sp.a0[kAttrG] = float((color >> 8) & 255) / 255.0f, sp.a0[kAttrB] = float(color & 255) / 255.0f;
    sp.dadx[kAttrU] = du, sp.dady[kAttrV] = dv;
    sp.constColor = true;
    return sp;
}

TEST(ShadeBlock, MatchesRowByRow) {
    struct Case {
        SpanSetup sp;
        int y0, y1, x0, x1;
    };
    const Case cases[] = {
        {Rect(10, 5, 0, 0, 1.0f / 64, 1.0f / 32, 0.5f, 0xFFFFFFFF), 5, 37, 10, 58},        // texel copies
        {Rect(3, 2, 0.1f, 0.05f, 0.6f / 64, 0.7f / 32, 0.1f, 0xC0FF8040), 2, 50, 3, 80},  // scaled
        {Rect(0, 0, 0.5f, 0.5f, 1.0f / 64, 1.0f / 32, 0.0f, 0xFFFFFFFF), 0, 60, 0, 90},   // runs off the texture
        {Rect(7, 9, -0.2f, -0.1f, 1.5f / 64, 0.5f / 32, 0.3f, 0x80FFFFFF), 9, 40, 7, 41}, // starts before it
    };
    for (bool linear : {true, false})
        for (bool blend : {true, false})
            for (size_t i = 0; i < std::size(cases); ++i) {
                const Case& c = cases[i];
                const Target a = Shade(true, c.sp, linear, blend, c.y0, c.y1, c.x0, c.x1);
                const Target b = Shade(false, c.sp, linear, blend, c.y0, c.y1, c.x0, c.x1);
                EXPECT_EQ(a.color, b.color) << "case " << i << " linear " << linear << " blend " << blend;
                EXPECT_EQ(a.depth, b.depth) << "case " << i << " linear " << linear << " blend " << blend;
            }
}

}  // namespace
