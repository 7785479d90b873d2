// Rows whose texels are read one to one (sprites at their own size) go through the
// eight-pixel copy loop: its colours and depths must be those of the one-by-one
// path for every width (the last pixels of a row under a mask), at the target's
// edges, under every alpha and depth function, with and without blending and
// with white or coloured diffuse.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "gfx/device.h"
#include "gfx/raster_pixel.h"
#include "gfx/sprite.h"
#include "gfx_test_util.h"

using namespace gfx;
using namespace gfxtest;

namespace {

constexpr int kW = 90, kH = 60;      // target: neither a multiple of eight wide nor high
constexpr int kTw = 128, kTh = 64;  // texture

// Alphas run through 0, 255 and everything between; some runs of eight and more
// are wholly transparent or wholly opaque (groups that skip or copy outright).
std::vector<uint32_t> CopyTexture(int th = kTh) {
    std::vector<uint32_t> tex(size_t(kTw) * th);
    uint32_t s = 777;
    for (int y = 0; y < th; ++y)
        for (int x = 0; x < kTw; ++x) {
            s = s * 1664525u + 1013904223u;
            uint32_t a;
            if (y % 9 == 4) a = 0;
            else if (y % 9 == 7) a = 255;
            else if (x % 7 == 0) a = 0;
            else if (x % 5 == 0) a = 255;
            else a = (s >> 24) & 0xFF;
            tex[size_t(y) * kTw + x] = (a << 24) | (s >> 8 & 0xFFFFFF);
        }
    return tex;
}

struct State {
    bool zTest = true, zWrite = true;
    uint32_t zFunc = CMP_LESSEQUAL;
    bool alphaTest = true;
    uint32_t alphaFunc = CMP_GREATER, alphaRef = 0;
    bool blend = true;
    bool linear = true;
    uint32_t diffuse = 0xFFFFFFFFu;
    float z = 0.5f;
    float du = 0.0f, dv = 0.0f;  // texel fractions added to the rectangle's texture coordinates
    float stepU = 1.0f, stepV = 1.0f;  // texels per pixel across and down
};

struct Rect {
    int x0, y0, x1, y1;  // pixels, inside the target
    int tx, ty;          // texel under (x0, y0)
};

struct Target {
    std::vector<uint32_t> color;
    std::vector<float> depth;
};

// How a rectangle is handed to the pixel pipeline.
enum class Feed { Block, Rows };

Target Shade(bool simd, Feed feed, const State& st, const Rect& r, const std::vector<uint32_t>& tex, int h) {
    const int th = int(tex.size() / kTw);
    Target t;
    t.color.resize(size_t(kW) * h);
    t.depth.resize(size_t(kW) * h);
    for (int i = 0; i < kW * h; ++i) {
        t.color[size_t(i)] = 0xFF000000u | uint32_t(i * 2246822519u >> 8);
        // Depths below, at and above the rectangle's, and one NaN now and then.
        const int k = i % 11;
        t.depth[size_t(i)] = k < 3 ? 0.25f : k < 6 ? st.z : k < 10 ? 0.75f : std::numeric_limits<float>::quiet_NaN();
    }
    PipeState s = SpritePipe(t.color.data(), t.depth.data(), kW, h, tex.data(), kTw, th, st.linear, st.blend);
    s.zTest = st.zTest;
    s.zWrite = st.zTest && st.zWrite;
    s.zFunc = st.zFunc;
    s.alphaTest = st.alphaTest;
    s.alphaFunc = st.alphaFunc;
    s.alphaRef = st.alphaRef;
    PreparePipe(s);
    SpanSetup sp;
    sp.x0 = float(r.x0), sp.y0 = float(r.y0);
    // Texel centres under pixel centres: whole texels for both filters.
    sp.a0[kAttrU] = (float(r.tx) + 0.5f + st.du) / kTw;
    sp.a0[kAttrV] = (float(r.ty) + 0.5f + st.dv) / float(th);
    sp.a0[kAttrZ] = st.z;
    sp.a0[kAttrRhw] = 1;
    const uint32_t c = st.diffuse;
    sp.a0[kAttrA] = float(c >> 24), sp.a0[kAttrR] = float((c >> 16) & 255);
    sp.a0[kAttrG] = float((c >> 8) & 255), sp.a0[kAttrB] = float(c & 255);
    sp.dadx[kAttrU] = st.stepU / kTw;
    sp.dady[kAttrV] = st.stepV / float(th);
    sp.constColor = true;
    SetSimdEnabled(simd);
    if (feed == Feed::Block) ShadeBlock(s, sp, r.y0, r.y1, r.x0, r.x1);
    else
        for (int y = r.y0; y < r.y1; ++y) ShadeSpan(s, sp, y, r.x0, r.x1);
    SetSimdEnabled(true);
    return t;
}

// Compares the fast path with the one-by-one path; bit patterns for depths (NaN).
::testing::AssertionResult SameAsOneByOne(Feed feed, const State& st, const Rect& r,
                                          const std::vector<uint32_t>& tex, int h = kH) {
    const Target a = Shade(true, feed, st, r, tex, h);
    const Target b = Shade(false, feed, st, r, tex, h);
    for (size_t i = 0; i < a.color.size(); ++i) {
        if (a.color[i] != b.color[i])
            return ::testing::AssertionFailure()
                   << "colour at " << i % kW << "," << i / kW << ": " << std::hex << a.color[i] << " vs " << b.color[i];
        if (std::memcmp(&a.depth[i], &b.depth[i], sizeof(float)) != 0)
            return ::testing::AssertionFailure()
                   << "depth at " << i % kW << "," << i / kW << ": " << a.depth[i] << " vs " << b.depth[i];
    }
    return ::testing::AssertionSuccess();
}

std::vector<Rect> Rects() {
    std::vector<Rect> rs;
    // Every width from 1 to 19 (groups of eight and the masked rest), some rows each.
    for (int w = 1; w <= 19; ++w) rs.push_back({w, w % 7, w + w, w % 7 + 5, 3 * w, w});
    rs.push_back({10, 5, 58, 37, 0, 0});         // a 48-pixel sprite row
    rs.push_back({kW - 48, 3, kW, 20, 70, 10});  // ends on the target's last column
    rs.push_back({kW - 13, kH - 9, kW, kH, 115, 55});  // the target's corner, texture's right edge
    rs.push_back({0, 0, kW, kH, 0, 0});          // whole target, from the texture's corner
    rs.push_back({5, 40, 5 + 37, kH, 128 - 37, 64 - 20});  // texture's bottom-right corner
    return rs;
}

TEST(AffineCopy, EveryWidthAndEdgeMatchesOneByOne) {
    const auto tex = CopyTexture();
    const uint32_t diffuses[] = {0xFFFFFFFFu, 0xA0FFC080u, 0xFF8040C0u, 0x00FFFFFFu};
    for (const Rect& r : Rects())
        for (bool linear : {true, false})
            for (bool blend : {true, false})
                for (uint32_t dif : diffuses)
                    for (Feed feed : {Feed::Block, Feed::Rows}) {
                        State st;
                        st.linear = linear;
                        st.blend = blend;
                        st.diffuse = dif;
                        EXPECT_TRUE(SameAsOneByOne(feed, st, r, tex))
                            << "rect " << r.x0 << "," << r.y0 << "-" << r.x1 << "," << r.y1 << " linear " << linear
                            << " blend " << blend << " diffuse " << std::hex << dif;
                    }
}

TEST(AffineCopy, EveryAlphaAndDepthFunctionMatchesOneByOne) {
    const auto tex = CopyTexture();
    const Rect rects[] = {{3, 2, 3 + 45, 2 + 21, 7, 3}, {kW - 29, 30, kW, kH, 99, 20}};
    const uint32_t refs[] = {0, 128, 255, 300};  // (the device keeps references to 0..255; spans take any)
    for (const Rect& r : rects)
        for (uint32_t af = CMP_NEVER; af <= CMP_ALWAYS; ++af)
            for (uint32_t ref : refs)
                for (uint32_t zf = CMP_NEVER; zf <= CMP_ALWAYS + 1; ++zf)  // the last: depth test off
                    for (bool zWrite : {true, false})
                        for (bool blend : {true, false}) {
                            State st;
                            st.alphaFunc = af;
                            st.alphaRef = ref;
                            st.zTest = zf <= CMP_ALWAYS;
                            st.zFunc = zf;
                            st.zWrite = zWrite;
                            st.blend = blend;
                            st.diffuse = (af + zf) % 2 ? 0xFFFFFFFFu : 0xC0FFE0A0u;
                            st.linear = (af + ref) % 2 == 0;
                            EXPECT_TRUE(SameAsOneByOne(Feed::Block, st, r, tex))
                                << "alpha " << af << " ref " << ref << " depth " << zf << " write " << zWrite
                                << " blend " << blend;
                        }
    // Alpha test off, depth at the ends of its range (clamped) and beyond.
    for (float z : {-0.5f, 0.0f, 1.0f, 1.5f})
        for (bool blend : {true, false}) {
            State st;
            st.alphaTest = false;
            st.z = z;
            st.blend = blend;
            EXPECT_TRUE(SameAsOneByOne(Feed::Block, st, rects[0], tex)) << "z " << z << " blend " << blend;
            EXPECT_TRUE(SameAsOneByOne(Feed::Rows, st, rects[1], tex)) << "z " << z << " blend " << blend;
        }
}

// Point-sampled rectangles at other steps (scaled and mirrored sprites) gather their
// texels; widths and edges as above, under the alpha and depth functions.
TEST(AffineCopy, ScaledPointSampledRowsMatchOneByOne) {
    const auto tex = CopyTexture();
    const float steps[][2] = {{0.5f, 0.5f}, {0.37f, 1.0f}, {1.5f, 0.75f}, {2.0f, 2.0f}, {-1.0f, 1.0f}, {-0.6f, 0.3f}};
    for (const auto& st2 : steps)
        for (const Rect& r0 : Rects()) {
            Rect r = r0;
            const int w = r.x1 - r.x0, h = r.y1 - r.y0;
            // Keep the texels read inside the texture: start where the row has room.
            const float spanU = std::fabs(st2[0]) * float(w), spanV = st2[1] * float(h);
            if (spanU > kTw - 2 || spanV > kTh - 2) continue;
            r.tx = st2[0] < 0 ? int(spanU) + (r.tx % 3) : std::min(r.tx, kTw - 2 - int(spanU));
            r.ty = std::min(r.ty, kTh - 2 - int(spanV));
            // Also exactly at (and one step of 1/65536 short of) where rounding moves
            // to the next texel: with a step of half a texel, every other pixel is.
            for (float du : {0.0f, -128.0f / 65536.0f, -129.0f / 65536.0f})
                for (bool blend : {true, false})
                    for (uint32_t dif : {0xFFFFFFFFu, 0xB0FF9060u})
                        for (Feed feed : {Feed::Block, Feed::Rows}) {
                            State st;
                            st.linear = false;
                            st.stepU = st2[0];
                            st.stepV = st2[1];
                            st.du = du;
                            st.blend = blend;
                            st.diffuse = dif;
                            EXPECT_TRUE(SameAsOneByOne(feed, st, r, tex))
                                << "rect " << r.x0 << "," << r.y0 << "-" << r.x1 << "," << r.y1 << " step " << st2[0]
                                << "," << st2[1] << " du " << du << " blend " << blend << " diffuse " << std::hex << dif;
                        }
        }
    const Rect r{3, 2, 3 + 45, 2 + 21, 7, 3};
    for (uint32_t af = CMP_NEVER; af <= CMP_ALWAYS; ++af)
        for (uint32_t zf = CMP_NEVER; zf <= CMP_ALWAYS + 1; ++zf)
            for (bool blend : {true, false}) {
                State st;
                st.linear = false;
                st.stepU = 0.7f;
                st.stepV = 1.3f;
                st.alphaFunc = af;
                st.alphaRef = 100;
                st.zTest = zf <= CMP_ALWAYS;
                st.zFunc = zf;
                st.blend = blend;
                EXPECT_TRUE(SameAsOneByOne(Feed::Block, st, r, tex))
                    << "alpha " << af << " depth " << zf << " blend " << blend;
            }
}

// Rectangles taller than a run of copied rows, and rectangles whose rows leave the
// texture above or below (those rows go the general way, the others are copies).
// Texture coordinates between texels: point sampling still copies whole texels,
// linear filtering blends them (not a copy).
TEST(AffineCopy, CoordinatesBetweenTexelsMatchOneByOne) {
    const auto tex = CopyTexture();
    const float fracs[][2] = {{0.3f, 0.0f}, {0.0f, 0.3f}, {-0.45f, 0.6f}, {0.0f, -0.499f}};
    for (const Rect& r : Rects())
        for (const auto& f : fracs)
            for (bool linear : {true, false}) {
                State st;
                st.linear = linear;
                st.du = f[0];
                st.dv = f[1];
                if (r.tx == 0 && st.du < 0) continue;  // would start before the texture: not this test's point
                EXPECT_TRUE(SameAsOneByOne(Feed::Block, st, r, tex))
                    << "rect " << r.x0 << "," << r.y0 << "-" << r.x1 << "," << r.y1 << " linear " << linear << " fraction "
                    << f[0] << "," << f[1];
            }
}

TEST(AffineCopy, LongBlocksAndRowsOffTheTextureMatchOneByOne) {
    const int h = 200;
    const auto tex = CopyTexture(256);
    const Rect rects[] = {
        {0, 0, kW, h, 0, 0},             // 200 rows of 90
        {7, 3, 7 + 48, 3 + 150, 60, 100},  // 150 rows
        {2, 10, 2 + 21, 10 + 130, 30, 200},  // the last 74 rows lie below the texture
        {40, 0, 40 + 50, 90, 20, -30},   // the first 30 rows lie above it
    };
    for (const Rect& r : rects)
        for (bool linear : {true, false})
            for (bool blend : {true, false})
                for (Feed feed : {Feed::Block, Feed::Rows}) {
                    State st;
                    st.linear = linear;
                    st.blend = blend;
                    st.diffuse = blend ? 0xFFFFFFFFu : 0xE0C0FFA0u;
                    EXPECT_TRUE(SameAsOneByOne(feed, st, r, tex, h))
                        << "rect " << r.x0 << "," << r.y0 << "-" << r.x1 << "," << r.y1 << " linear " << linear
                        << " blend " << blend;
                }
}

// Sprites through the batch at many positions, reaching off every edge of a target
// whose width is no multiple of eight, in two layers at different depths (the
// second shows the depths the first wrote).
std::vector<uint32_t> SpriteScene(bool simd, uint32_t flags, uint32_t alphaFunc, uint32_t zFunc, uint32_t filter,
                                  float scaleX = 1.0f, float scaleY = 1.0f) {
    SetSimdEnabled(simd);
    const int w = 133, h = 71;
    Device d(w, h);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF304050, 1.0f, 0);
    std::unique_ptr<Texture> sheet(Pattern(256, 128, 9));
    for (int i = 0; i < 256 * 128; ++i) {
        const uint32_t a = (i / 256) % 6 == 0 ? 0u : (i % 11 == 0) ? 0u : (i % 13 == 0) ? 255u : uint32_t(i * 29) & 0xFF;
        sheet->Pixels()[i] = (sheet->Pixels()[i] & 0x00FFFFFFu) | (a << 24);
    }
    Sprite sp(&d);
    sp.Begin(flags);
    if (alphaFunc) {
        d.SetRenderState(RS_ALPHATESTENABLE, 1);
        d.SetRenderState(RS_ALPHAFUNC, alphaFunc);
        d.SetRenderState(RS_ALPHAREF, 96);
    }
    d.SetRenderState(RS_ZFUNC, zFunc);
    d.SetSamplerState(0, SAMP_MAGFILTER, filter);
    d.SetSamplerState(0, SAMP_MINFILTER, filter);
    // Scaled about the target's middle (mirrored when negative).
    sp.SetTransform(vm::Translation(-w / 2.0f, -h / 2.0f, 0) * vm::Scaling(scaleX, scaleY, 1.0f) *
                    vm::Translation(w / 2.0f, h / 2.0f, 0));
    for (int layer = 0; layer < 2; ++layer) {
        for (int k = 0; k < 24; ++k) {
            const int sw = 1 + (k * 7) % 53, sh = 1 + (k * 5) % 41;
            const vm::Vec3 pos{float((k * 37) % (w + 40)) - 25.0f + layer * 3, float((k * 23) % (h + 30)) - 20.0f,
                               layer == 0 ? 0.3f : 0.6f};
            const gfx::Rect src{(k * 19) % (256 - sw), (k * 13) % (128 - sh), 0, 0};
            const gfx::Rect r{src.left, src.top, src.left + sw, src.top + sh};
            sp.Draw(sheet.get(), &r, nullptr, &pos, k % 3 == 0 ? 0xFFFFFFFFu : k % 3 == 1 ? 0xC0FF8040u : 0xFFFFFF80u);
        }
        sp.Flush();
    }
    sp.End();
    SetSimdEnabled(true);
    return std::vector<uint32_t>(d.BackBuffer(), d.BackBuffer() + size_t(w) * h);
}

TEST(AffineCopy, SpriteBatchesMatchOneByOne) {
    const uint32_t flags[] = {SPRITE_ALPHABLEND, 0u};
    for (uint32_t f : flags)
        for (uint32_t alphaFunc : {0u, uint32_t(CMP_GREATEREQUAL), uint32_t(CMP_LESS), uint32_t(CMP_NOTEQUAL)})
            for (uint32_t zFunc : {uint32_t(CMP_LESSEQUAL), uint32_t(CMP_LESS), uint32_t(CMP_GREATER), uint32_t(CMP_ALWAYS)})
                for (uint32_t filter : {uint32_t(TEXF_LINEAR), uint32_t(TEXF_POINT)}) {
                    const auto a = SpriteScene(true, f, alphaFunc, zFunc, filter);
                    const auto b = SpriteScene(false, f, alphaFunc, zFunc, filter);
                    size_t diffs = 0, first = 0;
                    for (size_t i = 0; i < a.size(); ++i)
                        if (a[i] != b[i] && diffs++ == 0) first = i;
                    EXPECT_EQ(diffs, 0u) << "flags " << f << " alpha " << alphaFunc << " depth " << zFunc << " filter "
                                         << filter << " first at " << first;
                }
}

TEST(AffineCopy, ScaledPointSampledSpriteBatchesMatchOneByOne) {
    const float scales[][2] = {{2.0f, 2.0f}, {1.5f, 0.5f}, {0.75f, 1.25f}, {-1.0f, 1.0f}, {-2.0f, 1.5f}, {3.0f, -1.0f}};
    for (const auto& sc : scales)
        for (uint32_t f : {uint32_t(SPRITE_ALPHABLEND), 0u}) {
            const auto a = SpriteScene(true, f, 0, CMP_LESSEQUAL, TEXF_POINT, sc[0], sc[1]);
            const auto b = SpriteScene(false, f, 0, CMP_LESSEQUAL, TEXF_POINT, sc[0], sc[1]);
            size_t diffs = 0, first = 0;
            for (size_t i = 0; i < a.size(); ++i)
                if (a[i] != b[i] && diffs++ == 0) first = i;
            EXPECT_EQ(diffs, 0u) << "scale " << sc[0] << "," << sc[1] << " flags " << f << " first at " << first;
        }
}

}  // namespace
