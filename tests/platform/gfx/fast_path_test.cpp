// The fast spans (several pixels at a time, rows in batches, scaled and 1:1 sprites)
// give exactly the pixels of the one-by-one path, at the edges of the target too.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "gfx/device.h"
#include "gfx/raster_pixel.h"
#include "gfx/sprite.h"
#include "gfx_test_util.h"

using namespace gfx;
using namespace gfxtest;

namespace {

// A texture whose alphas run through 0, 255 and everything between.
std::unique_ptr<Texture> AlphaPattern(int w, int h, uint32_t seed) {
    std::unique_ptr<Texture> t(Pattern(w, h, seed));
    for (int i = 0; i < w * h; ++i) {
        const uint32_t a = (i % 7 == 0) ? 0u : (i % 5 == 0) ? 255u : uint32_t((i * 37) & 0xFF);
        t->Pixels()[i] = (t->Pixels()[i] & 0x00FFFFFFu) | (a << 24);
    }
    return t;
}

size_t CountDiffs(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, size_t* first) {
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && n++ == 0) *first = i;
    return n;
}

// A bumpy grid wider and taller than the view (so spans end on the target's last
// column and row), drawn twice: the second pass depth-tested against the first.
// The back buffer keeps the result, so the depth written by the first pass shows
// in which pixels the second pass draws.
std::vector<uint32_t> Mesh(bool simd, int w, int h, uint32_t filter, uint32_t address, bool blend) {
    SetSimdEnabled(simd);
    Device d(w, h);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF203040, 1.0f, 0);
    auto tex = AlphaPattern(32, 64, 3);
    d.SetTransform(TS_VIEW, vm::LookAtLH({0.2f, 0.5f, -6}, {0, 0, 0}, {0, 1, 0}));
    d.SetTransform(TS_PROJECTION, vm::PerspectiveFovLH(float(std::numbers::pi) / 4, float(w) / float(h), 0.1f, 50));
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.SetTexture(0, tex.get());
    SetSampling(d, filter, address);
    if (blend) SetSourceOver(d);
    const int n = 23;
    std::vector<V3> grid;
    std::vector<uint16_t> idx;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            const float x = -4 + 8.0f * i / n, y = 3 - 6.0f * j / n;
            const float z = 0.7f * std::sin(x * 1.7f) * std::cos(y * 1.3f);
            const uint32_t c = 0xFF000000u | (uint32_t(i * 11) << 16) | (uint32_t(255 - j * 9) << 8) | uint32_t(i * j);
            grid.push_back({x, y, z, 0, 0, -1, (uint32_t(128 + i * 5) << 24) | (c & 0xFFFFFF), 0, x * 0.9f - 0.3f,
                            y * 1.1f + 0.2f});
        }
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const uint16_t a = uint16_t(j * (n + 1) + i), b = uint16_t(a + 1), c = uint16_t(a + n + 1),
                           e = uint16_t(c + 1);
            idx.insert(idx.end(), {a, b, c, b, e, c});
        }
    d.SetFVF(FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE | FVF_SPECULAR | FVF_TEX1);
    d.DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 0, uint32_t(grid.size()), uint32_t(idx.size() / 3), idx.data(), false,
                             grid.data(), sizeof(V3));
    // The second pass, shifted in depth so it passes the test in some pixels only.
    for (V3& v : grid) v.z = -v.z * 0.8f;
    d.SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
    d.DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 0, uint32_t(grid.size()), uint32_t(idx.size() / 3), idx.data(), false,
                             grid.data(), sizeof(V3));
    SetSimdEnabled(true);
    return std::vector<uint32_t>(d.BackBuffer(), d.BackBuffer() + size_t(w) * h);
}

TEST(DeviceFastPaths, MeshSpansMatchOneByOneUpToTheTargetEdges) {
    // Widths that leave one, two, three and no pixels after the last group of four.
    for (int w : {61, 62, 63, 64})
        for (uint32_t filter : {TEXF_POINT, TEXF_LINEAR})
            for (uint32_t address : {TADDRESS_WRAP, TADDRESS_CLAMP})
                for (bool blend : {false, true}) {
                    const auto a = Mesh(true, w, 45, filter, address, blend);
                    const auto b = Mesh(false, w, 45, filter, address, blend);
                    size_t first = 0;
                    const size_t diffs = CountDiffs(a, b, &first);
                    EXPECT_EQ(diffs, 0u) << "width " << w << " filter " << filter << " address " << address
                                         << " blend " << blend << " first at " << first % w << "," << first / w;
                }
}

// Blended sprites scaled up and down (bilinear), at 1:1 (texel copies) and with
// colours, over each other and over the target's edges.
std::vector<uint32_t> Sprites(bool simd, int w, int h) {
    SetSimdEnabled(simd);
    Device d(w, h);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF406080, 1.0f, 0);
    auto tex = AlphaPattern(128, 64, 9);
    Sprite sp(&d);
    sp.Begin(SPRITE_ALPHABLEND);
    const float scales[][2] = {{1, 1}, {0.625f, 0.9375f}, {0.5f, 0.5f}, {1.6f, 1.3f}, {0.77f, 1.0f}, {2.0f, 0.4f}};
    int k = 0;
    for (const auto& sc : scales)
        for (uint32_t color : {0xFFFFFFFFu, 0xC0FF8040u}) {
            sp.SetTransform(vm::Scaling(sc[0], sc[1], 1));
            const vm::Vec3 pos{float((k * 37) % w) - 20.0f + 0.25f * float(k % 3), float((k * 23) % h) - 10.0f, 0};
            const vm::Vec3 scaled{pos.x / sc[0], pos.y / sc[1], 0};
            Rect r{(k * 5) % 40, (k * 3) % 20, (k * 5) % 40 + 48 + k, (k * 3) % 20 + 40};
            sp.Draw(tex.get(), &r, nullptr, &scaled, color);
            sp.Draw(tex.get(), nullptr, nullptr, &scaled, color);
            ++k;
        }
    sp.End();
    SetSimdEnabled(true);
    return std::vector<uint32_t>(d.BackBuffer(), d.BackBuffer() + size_t(w) * h);
}

TEST(DeviceFastPaths, ScaledAndCopiedSpritesMatchOneByOne) {
    for (int w : {97, 98, 99, 100}) {
        const auto a = Sprites(true, w, 70);
        const auto b = Sprites(false, w, 70);
        size_t first = 0;
        const size_t diffs = CountDiffs(a, b, &first);
        EXPECT_EQ(diffs, 0u) << "width " << w << " first at " << first % w << "," << first / w << std::hex << " "
                             << a[first] << " vs " << b[first];
    }
}

// Triangles taller than one batch of rows shade every row once.
TEST(DeviceFastPaths, TallTrianglesCoverEveryRowOnce) {
    for (bool simd : {true, false}) {
        SetSimdEnabled(simd);
        Device d(40, 300);
        d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        d.SetRenderState(RS_LIGHTING, 0);
        d.SetRenderState(RS_ALPHABLENDENABLE, 1);
        d.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
        d.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
        d.SetRenderState(RS_ZENABLE, 0);
        d.SetTextureStageState(0, TSS_ALPHAARG1, TA_DIFFUSE);
        // Half-transparent white over black: a pixel drawn twice would be brighter.
        TL tri[3] = {V(-0.5f, -0.5f, 0x80FFFFFF), V(39.5f, -0.5f, 0x80FFFFFF), V(-0.5f, 299.5f, 0x80FFFFFF)};
        d.SetFVF(kFvfTL);
        d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, tri, sizeof(TL));
        SetSimdEnabled(true);
        int drawn = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 40; ++x) {
                const uint32_t p = Px(d, x, y);
                if (p == 0xFF000000u) continue;
                ++drawn;
                ASSERT_EQ(p & 0xFFFFFF, 0x808080u) << x << "," << y << " simd " << simd;
            }
        // Every row holds part of the triangle (its left edge is the target's).
        for (int y = 0; y < 290; ++y) EXPECT_NE(Px(d, 0, y), 0xFF000000u) << y;
        EXPECT_GT(drawn, 40 * 300 / 2 - 300);
    }
}

// Sprites at two depths with the alpha test under several functions: the texels
// that fail it must leave both colour and depth alone, which the second layer
// (drawn behind the first) shows through the pixels it may still reach.
std::vector<uint32_t> LayeredSprites(bool simd, uint32_t func, uint32_t ref, bool blend) {
    SetSimdEnabled(simd);
    const int w = 131, h = 77;
    Device d(w, h);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF102030, 1.0f, 0);
    auto tex = AlphaPattern(64, 64, 5);
    Sprite sp(&d);
    sp.Begin(blend ? SPRITE_ALPHABLEND : 0);
    d.SetRenderState(RS_ALPHATESTENABLE, 1);
    d.SetRenderState(RS_ALPHAFUNC, func);
    d.SetRenderState(RS_ALPHAREF, ref);
    d.SetRenderState(RS_ZFUNC, CMP_LESSEQUAL);
    d.SetRenderState(RS_ZWRITEENABLE, 1);
    for (int layer = 0; layer < 2; ++layer) {
        for (int k = 0; k < 6; ++k) {
            const vm::Vec3 pos{float(k * 19 + layer * 3) - 8.0f, float(k * 11 + layer * 2) - 5.0f,
                               layer == 0 ? 0.25f : 0.5f};
            const Rect r{k * 3, k * 2, k * 3 + 37 + k, k * 2 + 33};
            sp.Draw(tex.get(), &r, nullptr, &pos, k % 2 ? 0xFFFFFFFFu : 0xA0FFC080u);
        }
        sp.Flush();
    }
    sp.End();
    SetSimdEnabled(true);
    return std::vector<uint32_t>(d.BackBuffer(), d.BackBuffer() + size_t(w) * h);
}

TEST(DeviceFastPaths, AlphaTestedSpritesKeepDepthAndColourLikeOneByOne) {
    const uint32_t cases[][2] = {{CMP_GREATER, 0}, {CMP_GREATER, 100}, {CMP_GREATEREQUAL, 128}, {CMP_LESS, 90},
                                 {CMP_EQUAL, 255}, {CMP_NOTEQUAL, 0}};
    for (const auto& c : cases)
        for (bool blend : {true, false}) {
            const auto a = LayeredSprites(true, c[0], c[1], blend);
            const auto b = LayeredSprites(false, c[0], c[1], blend);
            size_t first = 0;
            EXPECT_EQ(CountDiffs(a, b, &first), 0u)
                << "func " << c[0] << " ref " << c[1] << " blend " << blend << " first at " << first;
        }
}

}  // namespace
