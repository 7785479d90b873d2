// The software device: fill rule, texel mapping, blending, depth, culling, lighting,
// render targets, lines, clipping and defaults.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <string>

#include "gfx/device.h"
#include "gfx/sprite.h"
#include "gfx/texture.h"
#include "gfx_test_util.h"
#include "golden.h"

using namespace gfx;
using namespace gfxtest;

namespace {

void Plain2D(Device& d) {
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.SetRenderState(RS_ZENABLE, 0);
}

TEST(DeviceDefaults, MatchTheFixedFunctionDefaults) {
    Device d(16, 16);
    EXPECT_EQ(d.GetRenderState(RS_ZFUNC), CMP_LESSEQUAL);
    EXPECT_EQ(d.GetRenderState(RS_ZWRITEENABLE), 1u);
    EXPECT_EQ(d.GetRenderState(RS_SHADEMODE), SHADE_GOURAUD);
    EXPECT_EQ(d.GetRenderState(RS_CULLMODE), CULL_CCW);
    EXPECT_EQ(d.GetRenderState(RS_LIGHTING), 1u);
    EXPECT_EQ(d.GetRenderState(RS_COLORVERTEX), 1u);
    EXPECT_EQ(d.GetRenderState(RS_DIFFUSEMATERIALSOURCE), MCS_COLOR1);
    EXPECT_EQ(d.GetRenderState(RS_SPECULARMATERIALSOURCE), MCS_COLOR2);
    EXPECT_EQ(d.GetRenderState(RS_AMBIENTMATERIALSOURCE), MCS_MATERIAL);
    EXPECT_EQ(d.GetRenderState(RS_EMISSIVEMATERIALSOURCE), MCS_MATERIAL);
    EXPECT_EQ(d.GetRenderState(RS_SPECULARENABLE), 0u);
    EXPECT_EQ(d.GetRenderState(RS_ALPHATESTENABLE), 0u);
    EXPECT_EQ(d.GetRenderState(RS_FOGENABLE), 0u);
    EXPECT_EQ(d.GetRenderState(RS_BLENDOP), BLENDOP_ADD);
    EXPECT_EQ(d.GetRenderState(RS_SRCBLEND), BLEND_ONE);
    EXPECT_EQ(d.GetRenderState(RS_DESTBLEND), BLEND_ZERO);
    EXPECT_EQ(d.GetRenderState(RS_ALPHAFUNC), CMP_ALWAYS);
    EXPECT_EQ(d.GetSamplerState(0, SAMP_ADDRESSU), TADDRESS_WRAP);
    EXPECT_EQ(d.GetSamplerState(0, SAMP_ADDRESSV), TADDRESS_WRAP);
    EXPECT_EQ(d.GetSamplerState(0, SAMP_MAGFILTER), TEXF_POINT);
    EXPECT_EQ(d.GetSamplerState(0, SAMP_MINFILTER), TEXF_POINT);
    EXPECT_EQ(d.GetSamplerState(0, SAMP_MIPFILTER), TEXF_NONE);
    EXPECT_EQ(d.GetTextureStageState(0, TSS_COLOROP), TOP_MODULATE);
    EXPECT_EQ(d.GetTextureStageState(0, TSS_COLORARG1), TA_TEXTURE);
    EXPECT_EQ(d.GetTextureStageState(0, TSS_COLORARG2), TA_CURRENT);
    EXPECT_EQ(d.GetTextureStageState(0, TSS_ALPHAOP), TOP_SELECTARG1);
    EXPECT_EQ(d.GetTextureStageState(0, TSS_ALPHAARG1), TA_TEXTURE);
    EXPECT_EQ(d.GetTextureStageState(1, TSS_COLOROP), TOP_DISABLE);
    EXPECT_EQ(d.GetTextureStageState(1, TSS_ALPHAOP), TOP_DISABLE);
}

// Two triangles splitting a 5x5 square on its diagonal: 15 + 10 pixels, each hit once.
TEST(DeviceFill, DiagonalSplitGives15And10WithoutCracksOrDoubleHits) {
    Device d(8, 8);
    Plain2D(d);
    d.SetTexture(0, nullptr);
    d.Clear(CLEAR_TARGET, 0xFF000000, 1.0f, 0);
    TL a[3] = {V(0, 0, 0xFFFF0000), V(5, 0, 0xFFFF0000), V(5, 5, 0xFFFF0000)};
    TL b[3] = {V(0, 5, 0xFF00FF00), V(0, 0, 0xFF00FF00), V(5, 5, 0xFF00FF00)};
    d.SetFVF(kFvfTL);
    d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, a, sizeof(TL));
    d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, b, sizeof(TL));
    int red = 0, green = 0;
    for (int i = 0; i < 64; ++i) {
        red += d.BackBuffer()[i] == 0xFFFF0000;
        green += d.BackBuffer()[i] == 0xFF00FF00;
    }
    EXPECT_EQ(red, 15);
    EXPECT_EQ(green, 10);
    EXPECT_TRUE(testsupport::MatchesGolden("platform/gfx/split_5x5", d.BackBuffer(), 8, 8));

    // Additive: every covered pixel is hit exactly once.
    d.Clear(CLEAR_TARGET, 0xFF000000, 1.0f, 0);
    d.SetRenderState(RS_ALPHABLENDENABLE, 1);
    d.SetRenderState(RS_SRCBLEND, BLEND_ONE);
    d.SetRenderState(RS_DESTBLEND, BLEND_ONE);
    for (TL& v : a) v.color = 0xFF010101;
    for (TL& v : b) v.color = 0xFF010101;
    d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, a, sizeof(TL));
    d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, b, sizeof(TL));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(Px(d, x, y), (x < 5 && y < 5) ? 0xFF010101u : 0xFF000000u) << x << "," << y;
}

// A fan of thin triangles around a centre covers a disc with no gaps or overlaps.
TEST(DeviceFill, FanOfSlivers_HitsEveryPixelOnce) {
    Device d(64, 64);
    Plain2D(d);
    d.Clear(CLEAR_TARGET, 0xFF000000, 1.0f, 0);
    d.SetRenderState(RS_ALPHABLENDENABLE, 1);
    d.SetRenderState(RS_SRCBLEND, BLEND_ONE);
    d.SetRenderState(RS_DESTBLEND, BLEND_ONE);
    std::vector<TL> fan;
    fan.push_back(V(31.3f, 30.7f, 0xFF010101));
    const int n = 37;
    for (int i = 0; i <= n; ++i) {
        const double a = 2 * std::numbers::pi * i / n;
        fan.push_back(V(float(31.3 + 27.1 * std::cos(a)), float(30.7 + 27.1 * std::sin(a)), 0xFF010101));
    }
    d.SetFVF(kFvfTL);
    d.DrawPrimitiveUP(PT_TRIANGLEFAN, n, fan.data(), sizeof(TL));
    for (int i = 0; i < 64 * 64; ++i) EXPECT_LE(d.BackBuffer()[i] & 0xFF, 1u);
    EXPECT_EQ(Px(d, 31, 31), 0xFF010101u);
}

// A sprite-style quad at x-0.5 .. x+w-0.5 reproduces its texels exactly with point
// and with linear filtering.
TEST(DeviceTexture, OneToOneQuadReproducesTexels) {
    std::unique_ptr<Texture> tex(Pattern(16, 8));
    for (uint32_t filter : {TEXF_POINT, TEXF_LINEAR}) {
        Device d(24, 16);
        Plain2D(d);
        d.Clear(CLEAR_TARGET, 0xFF202020, 1.0f, 0);
        d.SetTexture(0, tex.get());
        d.SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
        d.SetSamplerState(0, SAMP_MAGFILTER, filter);
        d.SetSamplerState(0, SAMP_MINFILTER, filter);
        Quad(d, 3, 5, 16, 8, 0xFFFFFFFF);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) ASSERT_EQ(Px(d, 3 + x, 5 + y), tex->Pixels()[y * 16 + x]) << x << "," << y;
        EXPECT_EQ(Px(d, 2, 5), 0xFF202020u);
        EXPECT_EQ(Px(d, 19, 5), 0xFF202020u);
        EXPECT_TRUE(testsupport::MatchesGolden(filter == TEXF_POINT ? "platform/gfx/texel_point" : "platform/gfx/texel_linear",
                                               d.BackBuffer(), 24, 16));
    }
}

TEST(DeviceTexture, LinearMagnificationAndWrapClamp) {
    Texture tex(2, 2);
    tex.Pixels()[0] = 0xFFFF0000;
    tex.Pixels()[1] = 0xFF00FF00;
    tex.Pixels()[2] = 0xFF0000FF;
    tex.Pixels()[3] = 0xFFFFFFFF;
    Device d(64, 32);
    Plain2D(d);
    d.SetTexture(0, &tex);
    d.SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    d.SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
    Quad(d, 0, 0, 32, 32, 0xFFFFFFFF, -0.5f, -0.5f, 1.5f, 1.5f);  // wrap
    d.SetSamplerState(0, SAMP_ADDRESSU, TADDRESS_CLAMP);
    d.SetSamplerState(0, SAMP_ADDRESSV, TADDRESS_CLAMP);
    Quad(d, 32, 0, 32, 32, 0xFFFFFFFF, -0.5f, -0.5f, 1.5f, 1.5f);
    EXPECT_EQ(Px(d, 32, 0), 0xFFFF0000u);  // clamped corner
    EXPECT_TRUE(testsupport::MatchesGolden("platform/gfx/linear_wrap_clamp", d.BackBuffer(), 64, 32));
}

// A stage with no texture bound, as measured on Windows (the public Direct3D 9
// conformance tests' expected pixels, read back with the alpha masked off): an
// untransformed quad over identity matrices, the centre pixel read.
//  1. SELECTARG1(TEXTURE) for colour and the default alpha, SELECTARG1(TEXTURE), a
//     diffuse of 0x4000FF00 blended SRCALPHA / INVSRCALPHA over a clear of 0x80FF0000.
//  2. Lighting on, no light on, the material's diffuse (0, 0, 0, 1) as the diffuse,
//     SELECTARG1(DIFFUSE | ALPHAREPLICATE) for colour and the default alpha.
//  3. The same stage unlit, a vertex diffuse of alpha 0x80.
TEST(DeviceTexture, MissingTextureAsMeasuredOnWindows) {
    struct Vertex {
        float x, y, z;
        uint32_t diffuse;
    };
    const struct {
        bool lit, blend;
        uint32_t colorArg1, diffuse, clear, expect;
    } cases[] = {
        {false, true, TA_TEXTURE, 0x4000FF00, 0x80FF0000, 0x00BF4000},
        {true, false, TA_DIFFUSE | TA_ALPHAREPLICATE, 0x8000FF00, 0xFFFFFFFF, 0x00FFFFFF},
        {false, false, TA_DIFFUSE | TA_ALPHAREPLICATE, 0x80FF00FF, 0xFFFFFFFF, 0x00808080},
    };
    for (const auto& c : cases) {
        Device d(8, 8);
        d.SetRenderState(RS_ZENABLE, 0);
        d.SetRenderState(RS_CULLMODE, CULL_NONE);
        d.SetRenderState(RS_LIGHTING, c.lit);
        d.SetTransform(TS_PROJECTION, vm::Identity());
        d.Clear(CLEAR_TARGET, c.clear, 1.0f, 0);
        d.SetTexture(0, nullptr);
        if (c.lit) {  // (no light is on)
            Material m;
            m.diffuse = {0, 0, 0, 1};
            d.SetMaterial(m);
            d.SetRenderState(RS_DIFFUSEMATERIALSOURCE, MCS_MATERIAL);
            d.SetRenderState(RS_SPECULARMATERIALSOURCE, MCS_MATERIAL);
        }
        if (c.blend) SetSourceOver(d);
        d.SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
        d.SetTextureStageState(0, TSS_COLORARG1, c.colorArg1);
        const Vertex q[4] = {{-1, -1, 0.1f, c.diffuse}, {1, -1, 0.1f, c.diffuse}, {-1, 1, 0.1f, c.diffuse},
                             {1, 1, 0.1f, c.diffuse}};
        d.SetFVF(FVF_XYZ | FVF_DIFFUSE);
        d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(Vertex));
        EXPECT_EQ(Px(d, 4, 4) & 0x00FFFFFF, c.expect) << std::hex << c.colorArg1 << " " << c.diffuse;
    }
}

// The same rule for other stages: each operation reading the missing texture gives
// the diffuse, each other keeps its own result.
TEST(DeviceTexture, MissingTextureGivesTheDiffuseToEachOperationReadingIt) {
    constexpr uint32_t kAlphaRep = TA_DIFFUSE | TA_ALPHAREPLICATE;
    struct Case { uint32_t colorOp, colorArg1, alphaOp, alphaArg1, diffuse, expect; } cases[] = {
        {TOP_MODULATE, TA_TEXTURE, TOP_SELECTARG1, TA_TEXTURE, 0x80402010, 0x80402010},  // the defaults
        {TOP_MODULATE, TA_TEXTURE, TOP_MODULATE, TA_TEXTURE, 0x80402010, 0x80402010},
        {TOP_MODULATE, TA_TEXTURE, TOP_SELECTARG1, TA_DIFFUSE, 0x80402010, 0x80402010},
        {TOP_ADD, TA_TEXTURE, TOP_SELECTARG1, TA_TFACTOR, 0x80402010, 0x40402010},
        {TOP_SELECTARG1, TA_TEXTURE | TA_COMPLEMENT, TOP_SELECTARG1, TA_TFACTOR, 0x80402010, 0x40402010},
        {TOP_SELECTARG1, TA_TFACTOR, TOP_MODULATE, TA_TEXTURE, 0x80402010, 0x80C0C0C0},
        {TOP_SELECTARG1, kAlphaRep, TOP_DISABLE, TA_TEXTURE, 0x80402010, 0x80808080},
    };
    for (const Case& c : cases) {
        Device d(4, 4);
        Plain2D(d);
        d.SetTexture(0, nullptr);
        d.SetRenderState(RS_TEXTUREFACTOR, 0x40C0C0C0);
        d.SetTextureStageState(0, TSS_COLOROP, c.colorOp);
        d.SetTextureStageState(0, TSS_COLORARG1, c.colorArg1);
        d.SetTextureStageState(0, TSS_ALPHAOP, c.alphaOp);
        d.SetTextureStageState(0, TSS_ALPHAARG1, c.alphaArg1);
        Quad(d, 0, 0, 4, 4, c.diffuse);
        EXPECT_EQ(Px(d, 1, 1), c.expect) << c.colorOp << " " << c.colorArg1 << " " << c.alphaOp << " " << c.alphaArg1;
    }
}

std::string g_deviceLogLines;

// Operations, arguments and stages the device does not build are refused with one
// log line naming the state, and the state keeps its value.
TEST(DeviceTexture, RefusesStagesItDoesNotBuild) {
    struct Case { int stage; TextureStageState state; uint32_t value; bool taken; } cases[] = {
        {0, TSS_COLOROP, TOP_ADDSMOOTH, true},       {0, TSS_COLOROP, 12, false},  // blend diffuse alpha
        {0, TSS_ALPHAOP, 18, false},                 {0, TSS_COLOROP, 24, false},  // modulate-add, dot product
        {0, TSS_COLOROP, 26, false},                 {0, TSS_ALPHAOP, 0, false},   // lerp, none
        {0, TSS_COLORARG1, TA_SPECULAR | TA_COMPLEMENT | TA_ALPHAREPLICATE, true},
        {0, TSS_COLORARG2, 5, false},                {0, TSS_ALPHAARG1, 6, false},  // temp, constant
        {0, TSS_ALPHAARG2, TA_DIFFUSE | 0x40, false},
        {1, TSS_COLOROP, TOP_DISABLE, true},         {1, TSS_COLOROP, TOP_MODULATE, false},
        {1, TSS_ALPHAOP, TOP_SELECTARG1, false},     {1, TSS_COLORARG1, TA_TEXTURE, true},
        {0, TSS_TEXCOORDINDEX, 3, true},             {0, TSS_TEXCOORDINDEX, 8, false},
        {0, TSS_TEXCOORDINDEX, 0x10000, false},      {0, TSS_TEXCOORDINDEX, 0x40001, false},  // generated
        {0, TSS_TEXTURETRANSFORMFLAGS, 0, true},     {0, TSS_TEXTURETRANSFORMFLAGS, 2, false},
        {0, TSS_TEXTURETRANSFORMFLAGS, 0x100, false},
        {0, TSS_RESULTARG, TA_CURRENT, true},        {0, TSS_RESULTARG, 5, false},  // temp
    };
    SetDeviceLog([](const char* line) { g_deviceLogLines += std::string(line) + "\n"; });
    for (const Case& c : cases) {
        Device d(4, 4);
        const uint32_t before = d.GetTextureStageState(c.stage, c.state);
        g_deviceLogLines.clear();
        const HRESULT hr = d.SetTextureStageState(c.stage, c.state, c.value);
        EXPECT_EQ(SUCCEEDED(hr), c.taken) << c.stage << " " << c.state << " " << c.value;
        EXPECT_EQ(d.GetTextureStageState(c.stage, c.state), c.taken ? c.value : before);
        EXPECT_EQ(std::count(g_deviceLogLines.begin(), g_deviceLogLines.end(), '\n'), c.taken ? 0 : 1);
    }
    Device d(4, 4);
    g_deviceLogLines.clear();
    d.SetTextureStageState(0, TSS_ALPHAARG1, 5);
    EXPECT_NE(g_deviceLogLines.find("ALPHAARG1"), std::string::npos) << g_deviceLogLines;
    SetDeviceLog(nullptr);
}

// Stage 0 reads the coordinate set its index names, past sets of any size; a set the
// vertex does not have reads (0, 0). A 3 x 1 texture: u 0 reads texel 0, set 0 holds
// u 0.5 (texel 1), set 1 u 0.9 (texel 2).
TEST(DeviceTexture, ReadsTheCoordinateSetItsIndexNames) {
    struct Vertex {
        float x, y, z, rhw;
        uint32_t diffuse;
        float f[5];
    };
    constexpr uint32_t kThreeFloatSet0 = 1u << 16;
    const struct {
        uint32_t fvf, index;
        float f[5];
        int texel;
    } cases[] = {
        {FVF_TEX2, 0, {0.5f, 0.5f, 0.9f, 0.5f, 0}, 1},
        {FVF_TEX2, 1, {0.5f, 0.5f, 0.9f, 0.5f, 0}, 2},
        {FVF_TEX2 | kThreeFloatSet0, 1, {0.5f, 0.5f, 0, 0.9f, 0.5f}, 2},
        {FVF_TEX1, 1, {0.5f, 0.5f, 0, 0, 0}, 0},
    };
    Texture tex(3, 1);
    for (int i = 0; i < 3; ++i) tex.Pixels()[i] = 0xFF000000u | (0x40u << (8 * i));
    for (const auto& c : cases) {
        Device d(4, 4);
        Plain2D(d);
        d.SetTexture(0, &tex);
        d.SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
        d.SetTextureStageState(0, TSS_TEXCOORDINDEX, c.index);
        Vertex q[4];
        const float xy[4][2] = {{-0.5f, -0.5f}, {3.5f, -0.5f}, {-0.5f, 3.5f}, {3.5f, 3.5f}};
        for (int k = 0; k < 4; ++k) {
            q[k] = {xy[k][0], xy[k][1], 0, 1, ~0u, {}};
            std::copy(c.f, c.f + 5, q[k].f);
        }
        d.SetFVF(FVF_XYZRHW | FVF_DIFFUSE | c.fvf);
        d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(Vertex));
        EXPECT_EQ(Px(d, 1, 1), tex.Pixels()[c.texel]) << std::hex << c.fvf << " " << c.index;
    }
}

// Untextured geometry under the battle's states over a striped ground: alpha
// blending with the default stage, additive light, and the battle's modulating
// stage; a half-transparent quad keeps its alpha in every case.
TEST(DeviceTexture, UntexturedGeometryUnderTheBattleStates) {
    Device d(48, 16);
    Plain2D(d);
    d.SetTexture(0, nullptr);
    for (int i = 0; i < 16; ++i) Quad(d, 0, float(i), 48, 1, (i & 4) ? 0xFF304870 : 0xFF705030);
    d.SetRenderState(RS_ALPHABLENDENABLE, 1);
    d.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    d.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    Quad(d, 2, 2, 12, 12, 0x80FFFFFF);  // default stage: select the (missing) texture's alpha
    d.SetRenderState(RS_DESTBLEND, BLEND_ONE);
    Quad(d, 18, 2, 12, 12, 0x60FFC080);  // additive light
    d.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    d.SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
    d.SetTextureStageState(0, TSS_ALPHAARG1, TA_TEXTURE);
    d.SetTextureStageState(0, TSS_ALPHAARG2, TA_DIFFUSE);
    Quad(d, 34, 2, 12, 12, 0x60000000);  // a dark veil
    auto m = [](uint32_t a, uint32_t b) { return (a * b + 127) / 255; };
    // White at alpha 0x80 over 0xFF705030 (row 2).
    EXPECT_EQ(Px(d, 5, 2) & 0xFFFFFF, (m(0xFF, 0x80) + m(0x70, 0x7F)) << 16 | (m(0xFF, 0x80) + m(0x50, 0x7F)) << 8 |
                                          (m(0xFF, 0x80) + m(0x30, 0x7F)));
    EXPECT_TRUE(testsupport::MatchesGolden("platform/gfx/untextured_battle_states", d.BackBuffer(), 48, 16));
}

// Modulate: texture x diffuse per channel, rounded to nearest.
TEST(DeviceTexture, ModulateWithDiffuse) {
    Texture tex(4, 4);
    for (int i = 0; i < 16; ++i) tex.Pixels()[i] = 0xFF000000u | uint32_t(i * 17) << 16 | uint32_t(255 - i * 17) << 8 | 0x80;
    Device d(32, 16);
    Plain2D(d);
    d.SetTexture(0, &tex);
    TL q[4] = {V(-0.5f, -0.5f, 0xFFFF0000, 0, 0), V(31.5f, -0.5f, 0xFF00FF00, 1, 0), V(-0.5f, 15.5f, 0xFF0000FF, 0, 1),
               V(31.5f, 15.5f, 0xFFFFFFFF, 1, 1)};
    d.SetFVF(kFvfTL);
    d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(TL));
    EXPECT_TRUE(testsupport::MatchesGolden("platform/gfx/modulate_diffuse", d.BackBuffer(), 32, 16));
    // One exact value: a constant diffuse of 0x80 on every channel over a known texel.
    Device e(4, 4);
    Plain2D(e);
    e.SetTexture(0, &tex);
    Quad(e, 0, 0, 4, 4, 0xFF808080);
    const uint32_t t = tex.Pixels()[5];
    auto m = [](uint32_t a, uint32_t b) { return (a * b + 127) / 255; };
    const uint32_t expect = 0xFF000000u | m((t >> 16) & 0xFF, 128) << 16 | m((t >> 8) & 0xFF, 128) << 8 | m(t & 0xFF, 128);
    EXPECT_EQ(Px(e, 1, 1), expect);
}

struct BlendCase {
    uint32_t src, dst, op;
};

// Every blend pair the game uses, over a striped background.
TEST(DeviceBlend, BlendPairs) {
    const BlendCase cases[] = {
        {BLEND_SRCALPHA, BLEND_INVSRCALPHA, BLENDOP_ADD}, {BLEND_SRCALPHA, BLEND_ONE, BLENDOP_ADD},
        {BLEND_ONE, BLEND_ZERO, BLENDOP_ADD},             {BLEND_ONE, BLEND_ONE, BLENDOP_ADD},
        {BLEND_DESTCOLOR, BLEND_ZERO, BLENDOP_ADD},       {BLEND_ZERO, BLEND_SRCCOLOR, BLENDOP_ADD},
        {BLEND_ZERO, BLEND_INVSRCCOLOR, BLENDOP_ADD},     {BLEND_SRCALPHA, BLEND_INVSRCALPHA, BLENDOP_REVSUBTRACT},
    };
    const int n = int(std::size(cases));
    Device d(16 * n, 16);
    Plain2D(d);
    d.SetTexture(0, nullptr);
    d.SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
    d.SetTextureStageState(0, TSS_ALPHAARG1, TA_DIFFUSE);
    for (int i = 0; i < 16; ++i) Quad(d, 0, float(i), float(16 * n), 1, (i & 2) ? 0xFF3060C0 : 0x80C0A020);
    d.SetRenderState(RS_ALPHABLENDENABLE, 1);
    for (int k = 0; k < n; ++k) {
        d.SetRenderState(RS_SRCBLEND, cases[k].src);
        d.SetRenderState(RS_DESTBLEND, cases[k].dst);
        d.SetRenderState(RS_BLENDOP, cases[k].op);
        Quad(d, float(16 * k + 2), 2, 12, 12, 0x60FF8040);
    }
    // Source over, worked by hand: src 0x60FF8040 over dst 0xFF3060C0 (row 2).
    auto m = [](uint32_t a, uint32_t b) { return (a * b + 127) / 255; };
    const uint32_t sa = 0x60, ia = 255 - sa;
    const uint32_t r = m(0xFF, sa) + m(0x30, ia), g = m(0x80, sa) + m(0x60, ia), b = m(0x40, sa) + m(0xC0, ia);
    const uint32_t a = m(0x60, sa) + m(0xFF, ia);
    EXPECT_EQ(Px(d, 4, 2), a << 24 | r << 16 | g << 8 | b);
    // DESTCOLOR/ZERO multiplies.
    EXPECT_EQ(Px(d, 16 * 4 + 4, 2) & 0xFFFFFF, (m(0xFF, 0x30) << 16) | (m(0x80, 0x60) << 8) | m(0x40, 0xC0));
    EXPECT_TRUE(testsupport::MatchesGolden("platform/gfx/blend_pairs", d.BackBuffer(), 16 * n, 16));
}

TEST(DeviceBlend, AlphaTestDiscards) {
    Texture tex(8, 1);
    for (int i = 0; i < 8; ++i) tex.Pixels()[i] = uint32_t(i * 32) << 24 | 0xFFFFFF;
    Device d(8, 4);
    Plain2D(d);
    d.Clear(CLEAR_TARGET, 0xFF000000, 1, 0);
    d.SetTexture(0, &tex);
    d.SetRenderState(RS_ALPHATESTENABLE, 1);
    d.SetRenderState(RS_ALPHAFUNC, CMP_GREATER);
    d.SetRenderState(RS_ALPHAREF, 0x60);
    Quad(d, 0, 0, 8, 4, 0xFFFFFFFF);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Px(d, x, 1) != 0xFF000000u, x * 32 > 0x60) << x;
    EXPECT_TRUE(testsupport::MatchesGolden("platform/gfx/alpha_test", d.BackBuffer(), 8, 4));
}

TEST(DeviceDepth, DepthTestOnAndOff) {
    Device d(32, 16);
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    // Left half: depth test on; a near quad first, then a far quad over it.
    Quad(d, 2, 2, 10, 10, 0xFFFF0000, 0, 0, 1, 1, 0.25f);
    Quad(d, 6, 6, 10, 10, 0xFF00FF00, 0, 0, 1, 1, 0.75f);
    // Right half: depth test off.
    d.SetRenderState(RS_ZENABLE, 0);
    Quad(d, 18, 2, 10, 10, 0xFFFF0000, 0, 0, 1, 1, 0.25f);
    Quad(d, 22, 6, 10, 10, 0xFF00FF00, 0, 0, 1, 1, 0.75f);
    EXPECT_EQ(Px(d, 8, 8), 0xFFFF0000u);
    EXPECT_EQ(Px(d, 24, 8), 0xFF00FF00u);
    EXPECT_EQ(Px(d, 14, 14), 0xFF00FF00u);
    EXPECT_TRUE(testsupport::MatchesGolden("platform/gfx/depth_test", d.BackBuffer(), 32, 16));
    // ALWAYS passes and writes; LESSEQUAL against an equal depth passes.
    d.SetRenderState(RS_ZENABLE, 1);
    d.SetRenderState(RS_ZFUNC, CMP_ALWAYS);
    Quad(d, 6, 6, 2, 2, 0xFF0000FF, 0, 0, 1, 1, 0.9f);
    EXPECT_EQ(Px(d, 6, 6), 0xFF0000FFu);
    d.SetRenderState(RS_ZFUNC, CMP_LESSEQUAL);
    Quad(d, 6, 6, 2, 2, 0xFFFFFFFF, 0, 0, 1, 1, 0.9f);
    EXPECT_EQ(Px(d, 6, 6), 0xFFFFFFFFu);
}

TEST(DeviceCull, CullModes) {
    Device d(48, 16);
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetRenderState(RS_ZENABLE, 0);
    const uint32_t modes[3] = {CULL_NONE, CULL_CW, CULL_CCW};
    d.SetFVF(kFvfTL);
    for (int k = 0; k < 3; ++k) {
        d.SetRenderState(RS_CULLMODE, modes[k]);
        const float x = float(16 * k);
        TL cw[3] = {V(x + 1, 1, 0xFFFF0000), V(x + 14, 1, 0xFFFF0000), V(x + 1, 7, 0xFFFF0000)};     // clockwise
        TL ccw[3] = {V(x + 1, 9, 0xFF00FF00), V(x + 1, 15, 0xFF00FF00), V(x + 14, 9, 0xFF00FF00)};  // counter-clockwise
        d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, cw, sizeof(TL));
        d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, ccw, sizeof(TL));
    }
    EXPECT_EQ(Px(d, 3, 2), 0xFFFF0000u);
    EXPECT_EQ(Px(d, 3, 10), 0xFF00FF00u);
    EXPECT_EQ(Px(d, 16 + 3, 2), 0u);           // CW culled
    EXPECT_EQ(Px(d, 16 + 3, 10), 0xFF00FF00u);
    EXPECT_EQ(Px(d, 32 + 3, 2), 0xFFFF0000u);  // CCW culled
    EXPECT_EQ(Px(d, 32 + 3, 10), 0u);
    EXPECT_TRUE(testsupport::MatchesGolden("platform/gfx/cull_modes", d.BackBuffer(), 48, 16));
}

constexpr uint32_t kFvf3D = FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE | FVF_SPECULAR | FVF_TEX1;

void Camera(Device& d, float nearZ) {
    d.SetTransform(TS_VIEW, vm::LookAtLH({0, 0, -5}, {0, 0, 0}, {0, 1, 0}));
    d.SetTransform(TS_PROJECTION, vm::PerspectiveFovLH(float(std::numbers::pi / 4), 1.0f, nearZ, 100.0f));
}

// A curved strip lit by ambient light and one directional light.
TEST(DeviceLighting, LitStripWithAmbientAndOneDirectionalLight) {
    Device d(64, 64);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    Camera(d, 0.1f);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.SetRenderState(RS_AMBIENT, 0xFF202020);
    Material m;
    m.diffuse = {1, 1, 1, 1};
    m.ambient = {1, 1, 1, 1};
    d.SetMaterial(m);
    Light l;
    l.type = LIGHT_DIRECTIONAL;
    l.diffuse = {1.0f, 0.8f, 0.6f, 1};
    l.direction = {0.5f, -0.5f, 1.0f};
    d.SetLight(0, l);
    d.LightEnable(0, true);
    std::vector<V3> strip;
    for (int i = 0; i <= 8; ++i) {
        const float a = float(i) / 8 * float(std::numbers::pi) - float(std::numbers::pi) / 2;
        const float x = 1.8f * std::sin(a), z = -1.8f * std::cos(a) + 1.0f;
        const float nx = std::sin(a), nz = -std::cos(a);
        strip.push_back({x, -1.2f, z, nx, 0, nz, 0xFF40C0FF, 0, 0, 0});
        strip.push_back({x, 1.2f, z, nx, 0, nz, 0xFF40C0FF, 0, 0, 1});
    }
    d.SetFVF(kFvf3D);
    d.DrawPrimitiveUP(PT_TRIANGLESTRIP, uint32_t(strip.size() - 2), strip.data(), sizeof(V3));
    EXPECT_TRUE(testsupport::MatchesGolden("platform/gfx/lit_strip", d.BackBuffer(), 64, 64));
}

// A flat quad facing a light straight on: colour = diffuse x light + ambient.
TEST(DeviceLighting, DirectionalLightValue) {
    Device d(16, 16);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    Camera(d, 0.1f);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.SetRenderState(RS_AMBIENT, 0xFF202020);
    Material m;
    m.ambient = {1, 1, 1, 1};
    d.SetMaterial(m);
    Light l;
    l.diffuse = {0.5f, 0.5f, 0.5f, 1};
    l.direction = {0, 0, 1};
    d.SetLight(0, l);
    d.LightEnable(0, true);
    V3 q[4] = {{-3, -3, 0, 0, 0, -1, 0xFF808080, 0, 0, 0}, {3, -3, 0, 0, 0, -1, 0xFF808080, 0, 0, 0},
               {-3, 3, 0, 0, 0, -1, 0xFF808080, 0, 0, 0}, {3, 3, 0, 0, 0, -1, 0xFF808080, 0, 0, 0}};
    d.SetFVF(kFvf3D);
    d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(V3));
    // 0x80/255 * 0.5 + 0x20/255 = 0.3765 -> 96
    EXPECT_EQ(Px(d, 8, 8), 0xFF606060u);
}

// Specular with power 0 is the full highlight wherever the light falls on the face.
TEST(DeviceLighting, SpecularPowerZeroIsFullHighlight) {
    Device d(16, 16);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    Camera(d, 0.1f);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.SetRenderState(RS_AMBIENT, 0xFF202020);
    d.SetRenderState(RS_SPECULARENABLE, 1);
    Material m;
    m.ambient = {1, 1, 1, 1};
    m.specular = {1, 1, 1, 1};
    m.power = 0;
    d.SetMaterial(m);
    Light l;
    l.diffuse = {0.5f, 0.5f, 0.5f, 1};
    l.specular = {0.25f, 0.25f, 0.25f, 1};
    l.direction = vm::Normalize(vm::Vec3{0.9f, 0, 0.3f});  // from the side
    d.SetLight(0, l);
    d.LightEnable(0, true);
    // The vertices' specular colour is the material's (the default source).
    V3 q[4] = {{-3, -3, 0, 0, 0, -1, 0xFF808080, 0xFFFFFFFF, 0, 0}, {3, -3, 0, 0, 0, -1, 0xFF808080, 0xFFFFFFFF, 0, 0},
               {-3, 3, 0, 0, 0, -1, 0xFF808080, 0xFFFFFFFF, 0, 0}, {3, 3, 0, 0, 0, -1, 0xFF808080, 0xFFFFFFFF, 0, 0}};
    d.SetFVF(kFvf3D);
    d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(V3));
    const float ndl = 0.3f / vm::Length(vm::Vec3{0.9f, 0, 0.3f});
    const int base = int((0x80 / 255.0f * 0.5f * ndl + 0x20 / 255.0f) * 255.0f);
    const uint32_t c = Px(d, 8, 8) & 0xFF;
    EXPECT_NEAR(int(c), base + 64, 2);
}

// A viewport larger than the target is accepted; drawing and clearing stay inside.
TEST(DeviceState, ViewportLargerThanTheTargetIsClipped) {
    Device d(8, 8);
    Plain2D(d);
    Viewport vp;
    vp.width = 32;
    vp.height = 32;
    EXPECT_EQ(d.SetViewport(vp), S_OK);
    d.Clear(CLEAR_TARGET, 0xFF112233, 1.0f, 0);
    Quad(d, 0, 0, 32, 32, 0xFF405060);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(d.BackBuffer()[i], 0xFF405060u);
}

// With the scissor test on, triangles and sprites land only inside both the rectangle
// and the viewport; clears ignore it; off, the viewport alone counts.
struct ScissorCase {
    const char* what;
    bool sprite;
    bool on;
    Rect rect;
    Rect drawn;  // where the drawing must land, all of it
};
const ScissorCase kScissorCases[] = {
    {"triangles clipped", false, true, {3, 2, 11, 9}, {3, 2, 11, 9}},
    {"sprite clipped", true, true, {0, 4, 16, 12}, {0, 4, 16, 12}},
    {"off: the whole viewport", false, false, {3, 2, 11, 9}, {0, 0, 16, 16}},
    {"sprite, off", true, false, {3, 2, 11, 9}, {0, 0, 16, 16}},
    {"larger than the target", false, true, {-20, -5, 400, 300}, {0, 0, 16, 16}},
    {"inverted", true, true, {12, 12, 4, 4}, {0, 0, 0, 0}},
    {"outside the target", false, true, {20, 0, 30, 16}, {0, 0, 0, 0}},
};

TEST(DeviceState, ScissorRectangleLimitsDrawingButNotClears) {
    constexpr Color kClear = 0xFF112233, kInk = 0xFFC08040;
    Texture white(4, 4);
    std::fill_n(white.Pixels(), 16, 0xFFFFFFFFu);
    for (const ScissorCase& c : kScissorCases) {
        SCOPED_TRACE(c.what);
        Device d(16, 16);
        Plain2D(d);
        EXPECT_EQ(d.GetScissorRect().right, 16);
        d.SetScissorRect(c.rect);
        d.SetRenderState(RS_SCISSORTESTENABLE, c.on);
        d.Clear(CLEAR_TARGET, kClear, 1.0f, 0);
        if (!c.sprite) {
            Quad(d, 0, 0, 16, 16, kInk);
        } else {
            Sprite sp(&d);
            sp.Begin(0);
            sp.SetTransform(vm::Scaling(4, 4, 1));
            sp.Draw(&white, nullptr, nullptr, nullptr, kInk);
            sp.End();
        }
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool in = x >= c.drawn.left && x < c.drawn.right && y >= c.drawn.top && y < c.drawn.bottom;
                ASSERT_EQ(Px(d, x, y), in ? kInk : kClear) << x << "," << y;
            }
    }
}

// Vertex blending: two matrices, the second weight implicit.
TEST(DeviceTransform, VertexBlendingWithImplicitLastWeight) {
    struct VB {
        float x, y, z, w0;
        uint32_t c;
    };
    Device d(32, 32);
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.SetRenderState(RS_ZENABLE, 0);
    d.SetRenderState(RS_VERTEXBLEND, VBF_1WEIGHTS);
    // Orthographic-like: projection identity, viewport maps [-1,1] to the screen.
    d.SetTransform(TS_WORLDMATRIX(0), vm::Identity());
    d.SetTransform(TS_WORLDMATRIX(1), vm::Translation(1.0f, 0, 0));
    VB v[3] = {{-1, -1, 0.5f, 1.0f, 0xFFFFFFFF}, {-1, 0, 0.5f, 0.0f, 0xFFFFFFFF}, {-0.5f, -1, 0.5f, 0.5f, 0xFFFFFFFF}};
    d.SetFVF(FVF_XYZB1 | FVF_DIFFUSE);
    d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, v, sizeof(VB));
    // Vertex 1 moved by the second matrix to x = 0 (screen 16), vertex 2 by half to x = 0.
    int lit = 0;
    for (int i = 0; i < 32 * 32; ++i) lit += d.BackBuffer()[i] != 0;
    EXPECT_GT(lit, 0);
    EXPECT_NE(Px(d, 15, 17), 0u);   // inside the moved triangle near (0, -0.05)
    EXPECT_EQ(Px(d, 1, 30), 0u);    // the unblended corner area stays empty
}

// The game's projection has a near plane of 0: every depth is 1.0 and a triangle
// crossing w = 0 is clipped, not lost or flipped.
TEST(DeviceClip, NearPlaneZeroKeepsDepthOne) {
    Device d(32, 32);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    Camera(d, 0.0f);
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    // A floor reaching behind the camera.
    V3 q[4] = {{-3, -1, -10, 0, 1, 0, 0xFF00FF00, 0, 0, 0}, {3, -1, -10, 0, 1, 0, 0xFF00FF00, 0, 0, 0},
               {-3, -1, 10, 0, 1, 0, 0xFF00FF00, 0, 0, 0}, {3, -1, 10, 0, 1, 0, 0xFF00FF00, 0, 0, 0}};
    d.SetFVF(kFvf3D);
    d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(V3));
    EXPECT_EQ(Px(d, 16, 31), 0xFF00FF00u);
    EXPECT_EQ(Px(d, 16, 0), 0xFF000000u);
    // Drawn again at the same depth (1.0), LESSEQUAL lets the later draw win.
    for (V3& v : q) v.diffuse = 0xFFFF0000;
    d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q, sizeof(V3));
    EXPECT_EQ(Px(d, 16, 31), 0xFFFF0000u);
}

TEST(DeviceTarget, RenderTargetRoundTrip) {
    Device d(32, 32);
    Plain2D(d);
    d.Clear(CLEAR_TARGET, 0xFF102030, 1.0f, 0);
    Texture rt(16, 16, Format::A8R8G8B8, true);
    d.SetScissorRect(Rect{1, 2, 3, 4});
    ASSERT_EQ(d.SetRenderTarget(&rt), S_OK);
    EXPECT_EQ(d.GetViewport().width, 16u);
    EXPECT_EQ(d.GetScissorRect().right, 16);  // the scissor rectangle too
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0x00FFFFFF, 1.0f, 0);
    d.SetTexture(0, nullptr);
    Quad(d, 4, 4, 8, 8, 0xFFFF8000);
    d.SetRenderTarget(nullptr);
    EXPECT_EQ(d.GetViewport().width, 32u);
    EXPECT_EQ(rt.Pixels()[5 * 16 + 5], 0xFFFF8000u);
    EXPECT_EQ(rt.Pixels()[0], 0x00FFFFFFu);
    // Draw the target onto the back buffer, blended.
    d.SetTexture(0, &rt);
    d.SetRenderState(RS_ALPHABLENDENABLE, 1);
    d.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    d.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    d.SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
    Quad(d, 8, 8, 16, 16, 0xFFFFFFFF);
    EXPECT_EQ(Px(d, 8, 8), 0xFF102030u);
    EXPECT_EQ(Px(d, 8 + 5, 8 + 5), 0xFFFF8000u);
    EXPECT_TRUE(testsupport::MatchesGolden("platform/gfx/render_target", d.BackBuffer(), 32, 32));
}

TEST(DeviceLines, LineStripLeavesOutEachLastPixel) {
    Device d(32, 32);
    Plain2D(d);
    d.Clear(CLEAR_TARGET, 0xFF000000, 1.0f, 0);
    TL pts[4] = {V(2, 2, 0xFFFF0000), V(28, 2, 0xFF00FF00), V(20, 29, 0xFF0000FF), V(4, 12, 0xFFFFFFFF)};
    d.SetFVF(kFvfTL);
    d.DrawPrimitiveUP(PT_LINESTRIP, 3, pts, sizeof(TL));
    EXPECT_EQ(Px(d, 2, 2), 0xFFFF0000u);
    EXPECT_NE(Px(d, 27, 2), 0xFF000000u);
    EXPECT_EQ(Px(d, 4, 12), 0xFF000000u);  // the strip's very last point is not drawn
    EXPECT_TRUE(testsupport::MatchesGolden("platform/gfx/line_strip", d.BackBuffer(), 32, 32));
}

TEST(DeviceState, BadArgumentsAreRejectedNotFatal) {
    Device d(8, 8);
    EXPECT_EQ(d.SetRenderState(RenderState(300), 1), E_INVALIDARG);
    Viewport vp;
    vp.width = 1u << 30;
    vp.height = 8;
    EXPECT_EQ(d.SetViewport(vp), E_INVALIDARG);
    Texture plain(4, 4);
    EXPECT_EQ(d.SetRenderTarget(&plain), E_INVALIDARG);
    d.SetFVF(0);
    TL v[3] = {};
    EXPECT_EQ(d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, v, sizeof(TL)), E_FAIL);
    d.SetFVF(kFvfTL);
    EXPECT_EQ(d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, nullptr, sizeof(TL)), E_INVALIDARG);
}

}  // namespace

namespace {

// Absurd pre-transformed coordinates are clipped or dropped, never overflow.
TEST(DeviceClip, HugeAndNonFiniteScreenCoordinates) {
    Device d(16, 16);
    Plain2D(d);
    d.Clear(CLEAR_TARGET, 0xFF000000, 1.0f, 0);
    d.SetFVF(kFvfTL);
    TL huge[3] = {V(-1e12f, -1e12f, 0xFFFF0000), V(1e12f, -1e12f, 0xFFFF0000), V(0, 1e12f, 0xFFFF0000)};
    d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, huge, sizeof(TL));
    for (int i = 0; i < 256; ++i) ASSERT_EQ(d.BackBuffer()[i], 0xFFFF0000u);
    const float nan = std::nanf("");
    TL bad[3] = {V(nan, 0, 0xFF00FF00), V(10, 0, 0xFF00FF00), V(0, 10, 0xFF00FF00)};
    d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, bad, sizeof(TL));
    EXPECT_EQ(Px(d, 1, 1), 0xFFFF0000u);
    // A depth that is not finite drops the triangle as well.
    for (float z : {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(), nan}) {
        TL badZ[3] = {V(0, 0, 0xFF00FF00), V(10, 0, 0xFF00FF00, 0, 0, z), V(0, 10, 0xFF00FF00)};
        d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, badZ, sizeof(TL));
        EXPECT_EQ(Px(d, 1, 1), 0xFFFF0000u) << z;
    }
    TL line[2] = {V(-3e9f, 8, 0xFF0000FF), V(3e9f, 8, 0xFF0000FF)};
    d.DrawPrimitiveUP(PT_LINELIST, 1, line, sizeof(TL));
    for (int x = 0; x < 16; ++x) EXPECT_EQ(Px(d, x, 8), 0xFF0000FFu) << x;
}

}  // namespace

namespace {

// With a near plane of 0 every depth is exactly 1.0, wherever the vertices lie, so
// later draws at the same place always pass LESSEQUAL.
TEST(DeviceClip, NearPlaneZeroDepthIsExactlyOne) {
    Device d(64, 48);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    d.SetTransform(TS_VIEW, vm::LookAtLH({0.37f, 3.1f, -7.3f}, {0.1f, 0, 0.2f}, {0, 1, 0}));
    d.SetTransform(TS_PROJECTION, vm::PerspectiveFovLH(0.785f, 4.0f / 3.0f, 0.0f, 1000.0f));
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    std::vector<V3> strip;
    for (int i = 0; i <= 10; ++i) {
        const float x = -5 + i * 1.013f;
        strip.push_back({x, 0.1f * i, -3.3f + 0.7f * i, 0, 1, 0, 0xFF00FF00, 0, 0, 0});
        strip.push_back({x, -1.7f + 0.05f * i, 2.9f + 0.3f * i, 0, 1, 0, 0xFF00FF00, 0, 0, 0});
    }
    d.SetFVF(kFvf3D);
    d.DrawPrimitiveUP(PT_TRIANGLESTRIP, uint32_t(strip.size() - 2), strip.data(), sizeof(V3));
    // Other geometry, far behind, covering the whole view: drawn last, it is seen.
    std::vector<V3> wall;
    for (int i = 0; i <= 12; ++i) {
        const float x = -400 + i * 66.7f;
        wall.push_back({x, -300, 90.0f + 3.1f * i, 0, 0, -1, 0xFFFF0000, 0, 0, 0});
        wall.push_back({x, 300, 95.0f + 2.3f * i, 0, 0, -1, 0xFFFF0000, 0, 0, 0});
    }
    d.DrawPrimitiveUP(PT_TRIANGLESTRIP, uint32_t(wall.size() - 2), wall.data(), sizeof(V3));
    int red = 0;
    for (int i = 0; i < 64 * 48; ++i) red += d.BackBuffer()[i] == 0xFFFF0000u;
    EXPECT_EQ(red, 64 * 48);
}

}  // namespace
