// Filtered (bilinear) screen-aligned rectangles and sprites: the four-pixel rows give
// exactly the colours and depths of the one-by-one rows, scaled up and down, mirrored,
// at any offset and width (spans that are no multiple of eight, spans that end on the
// target's right edge), with coloured and transparent diffuse, every alpha test and
// depth function, depth writes on and off, blended and not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gfx/device.h"
#include "gfx/raster_pixel.h"
#include "gfx/sprite.h"
#include "gfx_test_util.h"

using namespace gfx;

namespace {

// A texture whose alphas run through 0, 255 and everything between.
std::vector<uint32_t> AlphaTexels(int w, int h, uint32_t seed) {
    std::vector<uint32_t> t(size_t(w) * h);
    uint32_t s = seed * 2654435761u + 7;
    for (size_t i = 0; i < t.size(); ++i) {
        s = s * 1664525u + 1013904223u;
        const uint32_t a = (i % 7 == 0) ? 0u : (i % 5 == 0) ? 255u : (s >> 24);
        t[i] = (s & 0x00FFFFFFu) | (a << 24);
    }
    return t;
}

struct Geometry {
    int tw, th;             // texture
    int w, h;               // target
    int x0, x1, y0, y1;     // the block
    float u0, v0;           // texel coordinates at the block's first pixel centre
    float du, dv;           // texels per pixel across and down
};

struct States {
    bool blend;
    uint32_t diffuse;
    bool alphaTest;
    uint32_t alphaFunc, alphaRef;
    bool zTest, zWrite;
    uint32_t zFunc;
    float z;
};

struct Target {
    std::vector<uint32_t> color;
    std::vector<float> depth;
};

SpanSetup Block(const Geometry& g, const States& st) {
    SpanSetup sp;
    sp.x0 = float(g.x0), sp.y0 = float(g.y0);
    sp.a0[kAttrU] = g.u0 / float(g.tw), sp.a0[kAttrV] = g.v0 / float(g.th);
    sp.a0[kAttrZ] = st.z, sp.a0[kAttrRhw] = 1;
    const uint32_t c = st.diffuse;
    sp.a0[kAttrA] = float(c >> 24) / 255.0f, sp.a0[kAttrR] = float((c >> 16) & 255) / 255.0f;
    sp.a0[kAttrG] = float((c >> 8) & 255) / 255.0f, sp.a0[kAttrB] = float(c & 255) / 255.0f;
    sp.dadx[kAttrU] = g.du / float(g.tw), sp.dady[kAttrV] = g.dv / float(g.th);
    sp.constColor = true;
    sp.minify = std::max(std::fabs(g.du), std::fabs(g.dv)) > 1.0001f;
    return sp;
}

Target Shade(bool simd, const Geometry& g, const States& st, const std::vector<uint32_t>& tex) {
    Target t;
    t.color.resize(size_t(g.w) * g.h);
    t.depth.resize(size_t(g.w) * g.h);
    for (size_t i = 0; i < t.color.size(); ++i) {
        t.color[i] = 0xFF000000u | uint32_t(i * 2246822519u >> 8);
        // Depths below, at and above the block's.
        const float zs[] = {0.2f, st.z, 0.8f, 1.0f, 0.0f, st.z, 0.5f};
        t.depth[i] = zs[(i * 5 + i / size_t(g.w)) % 7];
    }
    PipeState s = gfxtest::SpritePipe(t.color.data(), t.depth.data(), g.w, g.h, tex.data(), g.tw, g.th, true, st.blend);
    s.zTest = st.zTest, s.zWrite = st.zWrite, s.zFunc = st.zFunc;
    s.alphaTest = st.alphaTest, s.alphaFunc = st.alphaFunc, s.alphaRef = st.alphaRef;
    PreparePipe(s);
    SetSimdEnabled(simd);
    ShadeBlock(s, Block(g, st), g.y0, g.y1, g.x0, g.x1);
    SetSimdEnabled(true);
    return t;
}

std::string Describe(const Geometry& g, const States& st) {
    char b[320];
    std::snprintf(b, sizeof b,
                  "tex %dx%d target %dx%d block x[%d,%d) y[%d,%d) uv0 %g,%g step %g,%g | blend %d diffuse %08X "
                  "alpha %d func %u ref %u | z test %d write %d func %u z %g",
                  g.tw, g.th, g.w, g.h, g.x0, g.x1, g.y0, g.y1, double(g.u0), double(g.v0), double(g.du), double(g.dv),
                  st.blend, st.diffuse, st.alphaTest, st.alphaFunc, st.alphaRef, st.zTest, st.zWrite, st.zFunc,
                  double(st.z));
    return b;
}

// Compares both ways; true when they agree.
bool Same(const Geometry& g, const States& st, const std::vector<uint32_t>& tex) {
    const Target a = Shade(true, g, st, tex);
    const Target b = Shade(false, g, st, tex);
    for (size_t i = 0; i < a.color.size(); ++i) {
        if (a.color[i] != b.color[i] || std::memcmp(&a.depth[i], &b.depth[i], sizeof(float)) != 0) {
            ADD_FAILURE() << Describe(g, st) << " | first difference at " << i % size_t(g.w) << ","
                          << i / size_t(g.w) << std::hex << " colour " << a.color[i] << " vs " << b.color[i]
                          << std::dec << " depth " << a.depth[i] << " vs " << b.depth[i];
            return false;
        }
    }
    return true;
}

// Blocks that stay inside their texture, so every row takes the fast path.
std::vector<Geometry> Geometries() {
    std::vector<Geometry> gs;
    // Texels per pixel across (negative: mirrored) and down; up to 3x larger and 0.3x smaller.
    const float steps[][2] = {{0.3f, 0.33f}, {0.5f, 0.5f},   {0.77f, 1.0f}, {1.0f, 1.0f},   {1.0f, 0.45f},
                              {1.3f, 1.7f},  {1.6f, 1.0667f}, {1.75f, 2.5f}, {2.0f, 0.9f},  {2.3f, 1.2f},
                              {3.0f, 3.3f},  {3.3f, 0.6f},   {-1.6f, 1.2f}, {-0.6f, 0.8f}};
    const int widths[] = {1, 3, 5, 7, 8, 9, 13, 16, 23, 31, 40, 57};
    int k = 0;
    for (const auto& st : steps)
        for (int w : widths) {
            Geometry g;
            g.x0 = 3 + (k % 5);
            g.x1 = g.x0 + w;
            g.w = (k % 3 == 0) ? g.x1 : g.x1 + 4 + k % 7;  // every third block ends on the right edge
            g.y0 = 1 + k % 3;
            g.y1 = g.y0 + 9 + k % 6;
            g.h = (k % 4 == 0) ? g.y1 : g.y1 + 2;  // some end on the target's last pixel
            g.du = st[0], g.dv = st[1];
            // Sub-texel offsets of every kind, including none.
            const float offs[] = {0.5f, 0.0f, 0.25f, 0.7f, 0.125f, 0.93f};
            const float span = std::fabs(g.du) * float(w) + 2.0f, down = g.dv * float(g.y1 - g.y0) + 2.0f;
            g.tw = int(span) + 3 + (k % 4) * 2;
            g.th = int(down) + 3 + k % 3;
            g.u0 = (g.du < 0 ? span : 1.0f) + offs[k % 6];
            g.v0 = 1.0f + offs[(k + 2) % 6];
            gs.push_back(g);
            ++k;
        }
    return gs;
}

TEST(AffineFilter, RowsMatchOneByOneAcrossScalesWidthsAndStates) {
    const uint32_t diffuses[] = {0xFFFFFFFFu, 0xC0FF8040u, 0x80FFFFFFu, 0xFF10E0A0u};
    int k = 0;
    for (const Geometry& g : Geometries()) {
        const auto tex = AlphaTexels(g.tw, g.th, uint32_t(k + 1));
        for (bool blend : {true, false})
            for (uint32_t diffuse : diffuses) {
                States st{};
                st.blend = blend;
                st.diffuse = diffuse;
                st.z = 0.5f;
                // The sprite batch's own states: alpha test "greater than 0", depth less-equal with writes.
                st.alphaTest = true, st.alphaFunc = CMP_GREATER, st.alphaRef = 0;
                st.zTest = true, st.zWrite = true, st.zFunc = CMP_LESSEQUAL;
                if (!Same(g, st, tex)) return;
                // Nothing tested, depth written or not.
                st.alphaTest = false, st.zTest = false;
                if (!Same(g, st, tex)) return;
                st.zWrite = false;
                if (!Same(g, st, tex)) return;
                ++k;
            }
    }
}

TEST(AffineFilter, EveryAlphaTestAndDepthFunction) {
    const uint32_t alphas[][2] = {{CMP_GREATER, 0},    {CMP_GREATER, 100},   {CMP_GREATER, 255},  {CMP_GREATER, 300},
                                  {CMP_GREATEREQUAL, 0}, {CMP_GREATEREQUAL, 128}, {CMP_LESS, 90},  {CMP_LESS, 0},
                                  {CMP_LESSEQUAL, 90}, {CMP_LESSEQUAL, 255},  {CMP_EQUAL, 255},    {CMP_EQUAL, 0},
                                  {CMP_NOTEQUAL, 0},   {CMP_NOTEQUAL, 300},   {CMP_NEVER, 0},      {CMP_ALWAYS, 0}};
    const uint32_t zFuncs[] = {CMP_NEVER,   CMP_LESS,     CMP_EQUAL,        CMP_LESSEQUAL,
                               CMP_GREATER, CMP_NOTEQUAL, CMP_GREATEREQUAL, CMP_ALWAYS};
    const std::vector<Geometry> all = Geometries();
    // A few shapes: upscaled, near 1:1, downscaled (pairs within eight texels and not), mirrored.
    const size_t pick[] = {11, 12, 38, 57, 82, 90, 113, 127, 155, 159};
    for (size_t p : pick) {
        const Geometry& g = all[p % all.size()];
        const auto tex = AlphaTexels(g.tw, g.th, uint32_t(p));
        for (bool blend : {true, false})
            for (const auto& a : alphas)
                for (int zCase = 0; zCase < 2 * 8 + 2; ++zCase) {
                    States st{};
                    st.blend = blend;
                    st.diffuse = (zCase % 3 == 0) ? 0xFFFFFFFFu : 0xB0FFA060u;
                    st.alphaTest = true, st.alphaFunc = a[0], st.alphaRef = a[1];
                    st.z = zCase % 5 == 0 ? 1.25f : 0.5f;  // past the far plane: clamped to 1
                    if (zCase < 16) {
                        st.zTest = true;
                        st.zFunc = zFuncs[zCase % 8];
                        st.zWrite = zCase >= 8;
                    } else {
                        st.zTest = false;
                        st.zWrite = zCase == 17;
                    }
                    if (!Same(g, st, tex)) return;
                }
    }
}

TEST(AffineFilter, BlocksReachingPastTheTextureMatchOneByOne) {
    // Rows whose texels would leave the texture go the general way; the others still
    // share their texture rows' blends.
    Geometry g{};
    g.tw = 40, g.th = 20, g.w = 70, g.h = 50;
    g.x0 = 2, g.x1 = 66, g.y0 = 1, g.y1 = 48;
    g.u0 = 0.6f, g.v0 = -3.2f, g.du = 0.55f, g.dv = 0.5f;
    const auto tex = AlphaTexels(g.tw, g.th, 3);
    for (bool blend : {true, false}) {
        States st{};
        st.blend = blend, st.diffuse = 0xE0FFFFFFu, st.z = 0.5f;
        st.alphaTest = true, st.alphaFunc = CMP_GREATER, st.alphaRef = 0;
        st.zTest = true, st.zWrite = true, st.zFunc = CMP_LESSEQUAL;
        EXPECT_TRUE(Same(g, st, tex));
    }
}

// Whole sprites through the batch: scaled, over each other and over the target's edges.
std::vector<uint32_t> Sprites(bool simd, int w, int h) {
    SetSimdEnabled(simd);
    Device d(w, h);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF406080, 1.0f, 0);
    std::unique_ptr<Texture> tex(new Texture(200, 90));
    const auto texels = AlphaTexels(200, 90, 11);
    std::copy(texels.begin(), texels.end(), tex->Pixels());
    Sprite sp(&d);
    sp.Begin(SPRITE_ALPHABLEND);
    const float scales[][2] = {{0.625f, 0.9375f}, {0.3f, 0.35f}, {1.7f, 2.9f}, {0.45f, 1.0f}, {3.0f, 0.5f}, {0.55f, 0.6f}};
    int k = 0;
    for (const auto& sc : scales)
        for (uint32_t color : {0xFFFFFFFFu, 0xA0FF8040u}) {
            sp.SetTransform(vm::Scaling(sc[0], sc[1], 1));
            const vm::Vec3 pos{float((k * 41) % w) - 30.0f + 0.3f * float(k % 3), float((k * 29) % h) - 12.0f, 0};
            const vm::Vec3 scaled{pos.x / sc[0], pos.y / sc[1], 0};
            sp.Draw(tex.get(), nullptr, nullptr, &scaled, color);
            ++k;
        }
    sp.End();
    SetSimdEnabled(true);
    return std::vector<uint32_t>(d.BackBuffer(), d.BackBuffer() + size_t(w) * h);
}

TEST(AffineFilter, ScaledSpritesMatchOneByOne) {
    for (int w : {160, 163, 171}) {
        const auto a = Sprites(true, w, 120);
        const auto b = Sprites(false, w, 120);
        size_t diffs = 0, first = 0;
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i] != b[i] && diffs++ == 0) first = i;
        EXPECT_EQ(diffs, 0u) << "width " << w << " first at " << first % size_t(w) << "," << first / size_t(w);
    }
}

}  // namespace
