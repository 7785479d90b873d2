// The general spans of the 3D scenes (several pixels at a time) give exactly the
// colours and depths of the one-by-one path, over the cases where they differ in
// how they walk a span: tiny and long spans, spans ending at the target's right
// edge in targets of odd widths, texture edges with wrap and clamp addressing,
// point and linear filtering, every depth and alpha function, blending on and off,
// Gouraud and flat shading, and triangles partly behind the near side.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "gfx/device.h"
#include "gfx/pixel_internal.h"
#include "gfx/raster_pixel.h"
#include "gfx/texture.h"
#include "gfx_test_util.h"

using namespace gfx;
using namespace gfxtest;

namespace {

struct Config {
    uint32_t filter = TEXF_LINEAR;
    uint32_t minFilter = 0;  // the filter of minified triangles when not `filter`
    uint32_t address = TADDRESS_WRAP;
    bool blend = false;
    int kind = 0;  // 0 modulate colour and alpha, 1 alpha from the texture, 2 no texture
    uint32_t zFunc = CMP_LESSEQUAL;
    bool zWrite = true;
    bool alphaTest = false;
    uint32_t alphaFunc = CMP_ALWAYS;
    bool flat = false;
    bool opaqueTexture = false;  // every texel's alpha 255 (a quad in eight is opaque too)
    int texW = 64, texH = 32;
    int grid = 12;  // quads per side of the meshes: many for tiny spans, few for long ones
    int width = 97, height = 61;

    std::string Name() const {
        return "filter " + std::to_string(filter) + "/" + std::to_string(minFilter) + " address " +
               std::to_string(address) + " blend " + std::to_string(blend) + " kind " + std::to_string(kind) + " zfunc " + std::to_string(zFunc) +
               " zwrite " + std::to_string(zWrite) + " alphatest " + std::to_string(alphaTest) + "/" +
               std::to_string(alphaFunc) + " flat " + std::to_string(flat) + " opaque " + std::to_string(opaqueTexture) + " tex " + std::to_string(texW) + "x" +
               std::to_string(texH) + " grid " + std::to_string(grid) + " target " + std::to_string(width) + "x" +
               std::to_string(height);
    }
};

struct Image {
    std::vector<uint32_t> color;
    std::vector<float> depth;
};

// A wavy mesh in front of a camera that stands inside its area, so the nearest
// triangles cross the near side and are clipped.
void Mesh(Device& d, int n, float lift, float phase, uint32_t colorSeed) {
    std::vector<V3> grid;
    std::vector<uint16_t> idx;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            const float x = -5 + 10.0f * i / n, z = -3 + 10.0f * j / n;
            const float y = lift + 0.4f * std::sin(x * 1.7f + phase) * std::cos(z * 1.3f);
            const uint32_t k = uint32_t(i * 37 + j * 91) * colorSeed;
            const uint32_t c = 0x20000000u * ((i + j) % 8) | (k & 0x00FFFFFF) | 0x1F000000u;
            grid.push_back({x, y, z, 0.1f * std::sin(x), 1, 0.2f * std::cos(z), c, 0, x * 0.9f + phase, z * 0.8f});
        }
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const uint16_t a = uint16_t(j * (n + 1) + i), b = uint16_t(a + 1), c = uint16_t(a + n + 1), e = uint16_t(c + 1);
            idx.insert(idx.end(), {a, b, c, b, e, c});
        }
    d.SetFVF(FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE | FVF_SPECULAR | FVF_TEX1);
    d.DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 0, uint32_t(grid.size()), uint32_t(idx.size() / 3), idx.data(), false,
                             grid.data(), sizeof(V3));
}

struct TLR {  // pre-transformed, with its own 1/w
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};

Image Render(bool simd, const Config& cfg, bool laneMasks = true) {
    SetSimdEnabled(simd);
    pix::SetLaneMasksEnabled(laneMasks);
    Device d(32, 32);
    Texture target(cfg.width, cfg.height, Format::A8R8G8B8, true);
    d.SetRenderTarget(&target);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF203040, 0.8f, 0);
    std::unique_ptr<Texture> tex(Pattern(cfg.texW, cfg.texH, 11));
    for (int i = 0; i < cfg.texW * cfg.texH; ++i)
        tex->Pixels()[i] = (tex->Pixels()[i] & 0x00FFFFFF) | (cfg.opaqueTexture ? 0xFF000000u : uint32_t(i * 29 % 256) << 24);

    d.SetTransform(TS_VIEW, vm::LookAtLH({0.2f, 0.6f, -2.0f}, {0, -0.4f, 1.5f}, {0, 1, 0}));
    d.SetTransform(TS_PROJECTION, vm::PerspectiveFovLH(float(std::numbers::pi) / 3, float(cfg.width) / cfg.height, 0.9f, 40));
    LightMeshScene(d);
    d.SetRenderState(RS_COLORVERTEX, 1);
    d.SetRenderState(RS_DIFFUSEMATERIALSOURCE, MCS_COLOR1);
    SetSampling(d, cfg.filter, cfg.address);
    if (cfg.minFilter) d.SetSamplerState(0, SAMP_MINFILTER, cfg.minFilter);
    if (cfg.kind == 2) {
        d.SetTexture(0, nullptr);
        d.SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG2);
        d.SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG2);
    } else {
        d.SetTexture(0, tex.get());
        d.SetTextureStageState(0, TSS_ALPHAOP, cfg.kind == 1 ? TOP_SELECTARG1 : TOP_MODULATE);
    }
    if (cfg.flat) d.SetRenderState(RS_SHADEMODE, SHADE_FLAT);

    // A first mesh lays down depth with the usual test.
    Mesh(d, cfg.grid, 0.0f, 0.0f, 0x010203u);

    // The second one is drawn with the states under test.
    d.SetRenderState(RS_ZFUNC, cfg.zFunc);
    d.SetRenderState(RS_ZWRITEENABLE, cfg.zWrite ? 1 : 0);
    if (cfg.blend) SetSourceOver(d);
    if (cfg.alphaTest) {
        d.SetRenderState(RS_ALPHATESTENABLE, 1);
        d.SetRenderState(RS_ALPHAFUNC, cfg.alphaFunc);
        d.SetRenderState(RS_ALPHAREF, 0x70);
    }
    Mesh(d, cfg.grid + 3, 0.05f, 0.7f, 0x030105u);

    // Pre-transformed triangles: with perspective (different 1/w) and without (the
    // same 1/w), reaching past the right and bottom edges and onto the left one.
    d.SetRenderState(RS_LIGHTING, 0);
    const float W = float(cfg.width), H = float(cfg.height);
    TLR tris[9] = {
        {W * 0.3f, -3.0f, 0.2f, 1.0f, 0xF0FF8040, -0.3f, -0.2f},
        {W + 9.5f, H * 0.4f, 0.9f, 0.25f, 0x8040FF80, 2.7f, 0.4f},
        {W * 0.6f, H + 2.0f, 0.5f, 0.6f, 0x30FFFFFF, 0.5f, 3.1f},
        {-4.0f, H * 0.1f, 0.1f, 0.5f, 0xFF102030, 0.1f, 0.2f},
        {W * 0.2f, H * 0.15f, 0.3f, 0.5f, 0x90A0B0C0, 1.3f, 0.25f},
        {W * 0.05f, H * 0.9f, 0.6f, 0.5f, 0x10FF00FF, 0.2f, 1.7f},
        {W - 1.3f, 0.2f, 0.4f, 1.0f, 0xC0123456, 0.0f, 0.0f},
        {W + 0.4f, H - 0.7f, 0.45f, 1.0f, 0xC0ABCDEF, 0.1f, 2.0f},
        {W - 2.6f, H - 0.2f, 0.7f, 1.0f, 0x40FFFFFF, -0.05f, 1.9f},
    };
    d.SetFVF(FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1);
    d.DrawPrimitiveUP(PT_TRIANGLELIST, 3, tris, sizeof(TLR));

    SetSimdEnabled(true);
    pix::SetLaneMasksEnabled(true);
    Image img;
    img.color.assign(target.Pixels(), target.Pixels() + size_t(cfg.width) * cfg.height);
    img.depth.assign(target.Depth(), target.Depth() + size_t(cfg.width) * cfg.height);
    d.SetRenderTarget(nullptr);
    return img;
}

// (On processors with lane masks, the spans are compared written with them and without.)
void ExpectSame(const Config& cfg) {
    const Image b = Render(false, cfg);
    for (bool laneMasks : {true, false}) {
        const Image a = Render(true, cfg, laneMasks);
        size_t colorDiffs = 0, depthDiffs = 0, first = 0;
        for (size_t i = 0; i < a.color.size(); ++i) {
            if (a.color[i] != b.color[i] && colorDiffs++ == 0 && depthDiffs == 0) first = i;
            if (std::memcmp(&a.depth[i], &b.depth[i], sizeof(float)) != 0 && depthDiffs++ == 0 && colorDiffs == 0)
                first = i;
        }
        EXPECT_EQ(colorDiffs, 0u) << cfg.Name() << " lane masks " << laneMasks << " first at " << first % cfg.width
                                  << "," << first / cfg.width << std::hex << " " << a.color[first] << " vs "
                                  << b.color[first];
        EXPECT_EQ(depthDiffs, 0u) << cfg.Name() << " lane masks " << laneMasks << " first at " << first % cfg.width
                                  << "," << first / cfg.width << " " << a.depth[first] << " vs " << b.depth[first];
        // The scene must actually draw something of the second mesh.
        size_t drawn = 0;
        for (uint32_t c : a.color) drawn += c != 0xFF203040u;
        EXPECT_GT(drawn, a.color.size() / 2) << cfg.Name();
    }
}

TEST(GeneralSpans, FiltersAddressingBlendAndKindsMatchOneByOne) {
    for (uint32_t filter : {TEXF_POINT, TEXF_LINEAR})
        for (uint32_t address : {TADDRESS_WRAP, TADDRESS_CLAMP})
            for (bool blend : {false, true})
                for (int kind : {0, 1, 2}) {
                    Config c;
                    c.filter = filter;
                    c.address = address;
                    c.blend = blend;
                    c.kind = kind;
                    ExpectSame(c);
                    // Opaque pixels among blended ones (which simply replace the target).
                    c.opaqueTexture = true;
                    if (blend && kind == 0) ExpectSame(c);
                }
}

// A draw's near triangles are magnified and its far ones minified: each takes its own
// filter, also when the two differ.
TEST(GeneralSpans, MagnifiedAndMinifiedTrianglesOfOneDrawTakeTheirOwnFilter) {
    const uint32_t filters[][2] = {{TEXF_POINT, TEXF_LINEAR}, {TEXF_LINEAR, TEXF_POINT}};
    for (const auto& f : filters)
        for (uint32_t address : {TADDRESS_WRAP, TADDRESS_CLAMP})
            for (bool blend : {false, true}) {
                Config c;
                c.filter = f[0];
                c.minFilter = f[1];
                c.address = address;
                c.blend = blend;
                ExpectSame(c);
            }
}

TEST(GeneralSpans, EveryDepthFunctionWithAndWithoutWritesMatchesOneByOne) {
    for (uint32_t f = CMP_NEVER; f <= CMP_ALWAYS; ++f)
        for (bool write : {true, false}) {
            Config c;
            c.zFunc = f;
            c.zWrite = write;
            ExpectSame(c);
        }
    Config off;  // depth buffer present, test off
    off.zFunc = CMP_ALWAYS;
    off.zWrite = false;
    off.blend = true;
    ExpectSame(off);
}

TEST(GeneralSpans, EveryAlphaFunctionMatchesOneByOne) {
    for (uint32_t f = CMP_NEVER; f <= CMP_ALWAYS; ++f)
        for (int kind : {0, 1}) {
            Config c;
            c.alphaTest = true;
            c.alphaFunc = f;
            c.kind = kind;
            c.blend = f % 2 == 0;
            ExpectSame(c);
        }
}

TEST(GeneralSpans, TinyAndLongSpansInTargetsOfOddWidthsMatchOneByOne) {
    const int sizes[][2] = {{97, 61}, {64, 40}, {33, 17}, {161, 123}, {7, 9}, {200, 31}};
    for (const auto& sz : sizes)
        for (int grid : {1, 3, 40}) {
            Config c;
            c.width = sz[0];
            c.height = sz[1];
            c.grid = grid;
            c.blend = grid == 3;
            ExpectSame(c);
        }
}

TEST(GeneralSpans, FlatShadingAndTextureSizesMatchOneByOne) {
    const int texSizes[][2] = {{64, 32}, {1, 1}, {2, 128}, {256, 256}, {48, 20}, {3, 5}};
    for (const auto& ts : texSizes)
        for (bool flat : {false, true})
            for (uint32_t filter : {TEXF_POINT, TEXF_LINEAR})
                for (uint32_t address : {TADDRESS_WRAP, TADDRESS_CLAMP}) {
                    Config c;
                    c.texW = ts[0];
                    c.texH = ts[1];
                    c.flat = flat;
                    c.filter = filter;
                    c.address = address;
                    c.kind = flat ? 1 : 0;
                    ExpectSame(c);
                }
}

}  // namespace

// ---- Rows of a triangle --------------------------------------------------------------
// The rows the set-up hands to the spans cover exactly the pixels whose centres pass
// the three edge tests (positions snapped to 1/256 pixel, the top-left rule for
// centres on an edge), worked out here pixel by pixel.

namespace {

struct Tri {
    float x[3], y[3];
};

// Whether the centre of pixel (px, py) is inside, the device's way.
bool Covers(const Tri& t, int px, int py) {
    int64_t X[3], Y[3];
    for (int i = 0; i < 3; ++i) {
        X[i] = std::llround(double(t.x[i]) * 256.0);
        Y[i] = std::llround(double(t.y[i]) * 256.0);
    }
    const int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
    if (area == 0) return false;
    if (area < 0) {
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
    }
    const int64_t cx = int64_t(px) * 256, cy = int64_t(py) * 256;
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        const int64_t dx = X[j] - X[i], dy = Y[j] - Y[i];
        const int64_t e = dx * (cy - Y[i]) - dy * (cx - X[i]);
        const bool topOrLeft = (dy == 0 && dx > 0) || dy < 0;
        if (e < (topOrLeft ? 0 : 1)) return false;
    }
    return true;
}

}  // namespace

TEST(TriangleRows, CoverageMatchesTheEdgeTestsPixelByPixel) {
    const int W = 53, H = 41;
    Device d(W, H);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.SetRenderState(RS_LIGHTING, 0);
    d.SetRenderState(RS_ZENABLE, 0);
    d.SetTexture(0, nullptr);
    d.SetFVF(FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1);
    std::mt19937 rng(1234);
    auto coord = [&](float lo, float hi, int kind) {
        float v = std::uniform_real_distribution<float>(lo, hi)(rng);
        if (kind == 1) v = std::round(v);                 // on a pixel centre
        else if (kind == 2) v = std::round(v) + 0.5f;     // on a pixel edge
        else if (kind == 3) v = std::round(v * 256.0f) / 256.0f + 1.0f / 512.0f;  // a snapping tie
        return v;
    };
    int drawn = 0;
    for (int n = 0; n < 3000; ++n) {
        const int kind = n % 5;
        const float size = n % 3 == 0 ? 3.0f : (n % 3 == 1 ? 15.0f : 70.0f);
        const float cx = coord(-5.0f, W + 5.0f, 0), cy = coord(-5.0f, H + 5.0f, 0);
        Tri t;
        for (int i = 0; i < 3; ++i) {
            t.x[i] = coord(cx - size, cx + size, kind);
            t.y[i] = coord(cy - size, cy + size, kind);
        }
        if (n % 7 == 0) t.y[1] = t.y[0];  // a horizontal edge
        if (n % 11 == 0) t.x[2] = t.x[1];  // a vertical edge
        TLR v[3];
        for (int i = 0; i < 3; ++i) v[i] = {t.x[i], t.y[i], 0.5f, 1.0f, 0xFFFFFFFF, 0, 0};
        d.Clear(CLEAR_TARGET, 0xFF000000, 1.0f, 0);
        d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, v, sizeof(TLR));
        int wrong = 0, fx = 0, fy = 0;
        for (int py = 0; py < H; ++py)
            for (int px = 0; px < W; ++px) {
                const bool want = Covers(t, px, py);
                drawn += want;
                if ((Px(d, px, py) == 0xFFFFFFFFu) != want && wrong++ == 0) {
                    fx = px;
                    fy = py;
                }
            }
        ASSERT_EQ(wrong, 0) << "triangle " << n << " (" << t.x[0] << "," << t.y[0] << ") (" << t.x[1] << ","
                            << t.y[1] << ") (" << t.x[2] << "," << t.y[2] << ") first at " << fx << "," << fy;
    }
    EXPECT_GT(drawn, 100000);
}

// A lit perspective plane whose corners all get the same colour (one directional
// light, one normal) shows exactly that colour everywhere, in both paths: a channel
// of 127.5 rounds to 128 at every pixel, never a hair below.
TEST(GeneralSpans, EvenlyLitPerspectivePlaneHasOneColour) {
    for (bool simd : {true, false}) {
        SetSimdEnabled(simd);
        Device d(160, 120);
        d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        d.SetTransform(TS_VIEW, vm::LookAtLH({0.7f, 3.0f, -5.0f}, {0, 0, 0}, {0, 1, 0}));
        d.SetTransform(TS_PROJECTION, vm::PerspectiveFovLH(float(std::numbers::pi) / 4, 4.0f / 3.0f, 0.1f, 50));
        OneLight(d, {0.5f, 0.5f, 0.5f, 1.0f}, {1, 1, 1, 1}, {0, -1, 0});
        d.SetRenderState(RS_AMBIENT, 0);
        d.SetRenderState(RS_COLORVERTEX, 0);  // the material's own diffuse
        d.SetRenderState(RS_CULLMODE, CULL_NONE);
        d.SetFVF(FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE | FVF_SPECULAR | FVF_TEX1);
        std::vector<V3> v;
        const int n = 9;
        for (int j = 0; j <= n; ++j)
            for (int i = 0; i <= n; ++i)
                v.push_back({-4.0f + 8.0f * i / n, 0.0f, -3.0f + 9.0f * j / n, 0, 1, 0, 0xFFFFFFFF, 0, 0, 0});
        std::vector<uint16_t> idx;
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                const uint16_t a = uint16_t(j * (n + 1) + i), b = uint16_t(a + 1), c = uint16_t(a + n + 1),
                               e = uint16_t(c + 1);
                idx.insert(idx.end(), {a, b, c, b, e, c});
            }
        d.DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 0, uint32_t(v.size()), uint32_t(idx.size() / 3), idx.data(),
                                 false, v.data(), sizeof(V3));
        int lit = 0;
        for (int i = 0; i < 160 * 120; ++i) {
            const uint32_t c = d.BackBuffer()[i];
            if (c == 0xFF000000u) continue;
            ++lit;
            ASSERT_EQ(c, 0xFF808080u) << "pixel " << i << " simd " << simd;
        }
        EXPECT_GT(lit, 5000);
    }
    SetSimdEnabled(true);
}

// Short rows share their groups of eight pixels (the end of one row and the start of
// the next): small and thin triangles of every slope, in targets narrower and wider
// than a group, touching every edge and corner of the target, give the colours and
// depths of the one-by-one path, with and without blending, with depth tests that
// pass and fail, and with Gouraud and flat colours.
TEST(GeneralSpans, ShortRowsSharingGroupsMatchOneByOne) {
    const int sizes[][2] = {{5, 6}, {7, 9}, {8, 8}, {9, 5}, {13, 11}, {31, 17}, {64, 20}};
    for (const auto& sz : sizes)
        for (int variant = 0; variant < 6; ++variant) {
            const int W = sz[0], H = sz[1];
            Image img[3];  // eight at a time, one by one, eight at a time without lane masks
            for (int pass = 0; pass < 3; ++pass) {
                SetSimdEnabled(pass != 1);
                pix::SetLaneMasksEnabled(pass == 0);
                Device d(8, 8);
                Texture target(W, H, Format::A8R8G8B8, true);
                d.SetRenderTarget(&target);
                d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0x80203040, 0.6f, 0);
                std::unique_ptr<Texture> tex(Pattern(16, 8, 3));
                d.SetTexture(0, variant == 5 ? nullptr : tex.get());
                if (variant == 5) {
                    d.SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG2);
                    d.SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG2);
                }
                d.SetSamplerState(0, SAMP_MAGFILTER, variant == 3 ? TEXF_POINT : TEXF_LINEAR);
                d.SetSamplerState(0, SAMP_MINFILTER, variant == 3 ? TEXF_POINT : TEXF_LINEAR);
                d.SetSamplerState(0, SAMP_ADDRESSU, variant == 4 ? TADDRESS_CLAMP : TADDRESS_WRAP);
                d.SetSamplerState(0, SAMP_ADDRESSV, variant == 4 ? TADDRESS_CLAMP : TADDRESS_WRAP);
                d.SetRenderState(RS_CULLMODE, CULL_NONE);
                d.SetRenderState(RS_LIGHTING, 0);
                d.SetRenderState(RS_ZFUNC, variant == 2 ? CMP_GREATER : CMP_LESSEQUAL);
                d.SetRenderState(RS_ZWRITEENABLE, variant == 2 ? 0 : 1);
                if (variant == 1 || variant == 4) {
                    d.SetRenderState(RS_ALPHABLENDENABLE, 1);
                    d.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
                    d.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
                }
                if (variant == 3) d.SetRenderState(RS_SHADEMODE, SHADE_FLAT);
                d.SetFVF(FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1);
                std::mt19937 rng(77 + variant * 13 + W);
                auto uni = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
                for (int n = 0; n < 400; ++n) {
                    // Around a point anywhere on the target (often on its edges and
                    // corners), from under a pixel to a dozen pixels across.
                    const float cx = n % 4 == 0 ? (n % 8 == 0 ? 0.0f : float(W - 1)) : uni(-2.0f, W + 2.0f);
                    const float cy = n % 6 == 0 ? (n % 12 == 0 ? 0.0f : float(H - 1)) : uni(-2.0f, H + 2.0f);
                    const float size = n % 3 == 0 ? 1.5f : (n % 3 == 1 ? 5.0f : 12.0f);
                    TLR v[3];
                    for (int i = 0; i < 3; ++i) {
                        const uint32_t c = uint32_t(rng());
                        v[i] = {cx + uni(-size, size), cy + uni(-size, size) * (n % 5 == 0 ? 0.2f : 1.0f),
                                uni(0.0f, 1.0f), uni(0.3f, 1.0f), c | (variant == 1 ? 0u : 0xFF000000u),
                                uni(-1.0f, 2.0f), uni(-1.0f, 2.0f)};
                    }
                    d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, v, sizeof(TLR));
                }
                img[pass].color.assign(target.Pixels(), target.Pixels() + size_t(W) * H);
                img[pass].depth.assign(target.Depth(), target.Depth() + size_t(W) * H);
                d.SetRenderTarget(nullptr);
            }
            SetSimdEnabled(true);
            pix::SetLaneMasksEnabled(true);
            for (int p : {0, 2})
                for (int i = 0; i < W * H; ++i) {
                    ASSERT_EQ(img[p].color[i], img[1].color[i]) << "target " << W << "x" << H << " variant " << variant
                                                                << " pass " << p << " at " << i % W << "," << i / W;
                    ASSERT_EQ(std::memcmp(&img[p].depth[i], &img[1].depth[i], sizeof(float)), 0)
                        << "target " << W << "x" << H << " variant " << variant << " pass " << p << " at " << i % W
                        << "," << i / W;
                }
        }
}

// Many rows handed over at once (more than a batch of the triangles) give the pixels
// of the same rows shaded one by one, Gouraud and constant colours alike, with rows
// of every length, empty ones among them, and rows reaching the target's right edge.
TEST(GeneralSpans, ManyRowsAtOnceMatchOneByOne) {
    const int w = 61, h = 170;
    std::vector<uint32_t> tex(32 * 16);
    for (size_t i = 0; i < tex.size(); ++i) tex[i] = uint32_t(i * 2654435761u) | 0x40000000u;
    for (int variant = 0; variant < 6; ++variant) {
        std::vector<int> x0(160), x1(160);
        std::mt19937 rng(5 + variant);
        for (size_t i = 0; i < x0.size(); ++i) {
            x0[i] = int(rng() % 50);
            x1[i] = i % 9 == 4 ? x0[i] : std::min(w, x0[i] + int(rng() % 22));
        }
        Image img[2];
        for (int pass = 0; pass < 2; ++pass) {
            img[pass].color.assign(size_t(w) * h, 0xFF336699u);
            img[pass].depth.assign(size_t(w) * h, 0.9f);
            for (int i = 0; i < w * h; i += 7) img[pass].depth[size_t(i)] = 0.1f;  // some fail the depth test
            PipeState s;
            s.cbuf = img[pass].color.data();
            s.zbuf = img[pass].depth.data();
            s.pitch = w;
            s.sx0 = 0, s.sy0 = 0, s.sx1 = w, s.sy1 = h;
            s.zTest = s.zWrite = true;
            s.zFunc = CMP_LESSEQUAL;
            s.blend = variant % 2 == 1;
            s.srcBlend = BLEND_SRCALPHA;
            s.dstBlend = BLEND_INVSRCALPHA;
            s.colorOp = s.alphaOp = TOP_MODULATE;
            s.colorArg1 = s.alphaArg1 = TA_TEXTURE;
            s.colorArg2 = s.alphaArg2 = TA_DIFFUSE;
            s.tex = tex.data();
            s.tw = 32, s.th = 16;
            s.addrU = s.addrV = TADDRESS_WRAP;
            s.magLinear = s.minLinear = true;
            PreparePipe(s);
            SpanSetup sp;
            sp.persp = true;
            sp.x0 = 1.5f, sp.y0 = 2.25f;
            const float a0[kAttrSR] = {0.3f, 0.8f, 0.2f, 0.1f, 0.5f, 0.7f, 0.2f, 0.9f};
            const float dx[kAttrSR] = {0.004f, 0.003f, 0.02f, 0.001f, 0.004f, -0.003f, 0.002f, -0.001f};
            const float dy[kAttrSR] = {0.002f, -0.001f, 0.003f, 0.017f, -0.002f, 0.001f, 0.003f, 0.0f};
            for (int k = 0; k < kAttrSR; ++k) {
                sp.a0[k] = a0[k];
                sp.dadx[k] = dx[k];
                sp.dady[k] = dy[k];
            }
            if (variant >= 4) {
                // Colours far past both ends of 0..255 along the rows, and none at all
                // in one channel: each channel as ToByte takes it.
                for (int k = kAttrR; k <= kAttrA; ++k) {
                    sp.a0[k] = 300.0f - 150.0f * float(k - kAttrR);
                    sp.dadx[k] = k % 2 ? 45.0f : -37.0f;
                }
                if (variant == 5) sp.dadx[kAttrG] = std::numeric_limits<float>::quiet_NaN();
            }
            sp.constColor = variant == 2 || variant == 3;  // colour taken at each row's start
            SetSimdEnabled(pass == 0);
            if (pass == 0) ShadeRows(s, sp, 3, int(x0.size()), x0.data(), x1.data());
            else
                for (size_t i = 0; i < x0.size(); ++i) ShadeSpan(s, sp, 3 + int(i), x0[i], x1[i]);
        }
        SetSimdEnabled(true);
        for (int i = 0; i < w * h; ++i) {
            ASSERT_EQ(img[0].color[size_t(i)], img[1].color[size_t(i)])
                << "variant " << variant << " at " << i % w << "," << i / w;
            ASSERT_EQ(std::memcmp(&img[0].depth[size_t(i)], &img[1].depth[size_t(i)], sizeof(float)), 0)
                << "variant " << variant << " at " << i % w << "," << i / w;
        }
    }
}

// Texture coordinates that are not numbers (from broken vertex data) read the same
// texel in both paths, under clamp and wrap addressing and both filters.
TEST(GeneralSpans, NanTextureCoordinatesMatchOneByOne) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (uint32_t address : {uint32_t(TADDRESS_CLAMP), uint32_t(TADDRESS_WRAP)})
        for (uint32_t filter : {uint32_t(TEXF_POINT), uint32_t(TEXF_LINEAR)}) {
            std::vector<uint32_t> out[2];
            for (int simd = 0; simd < 2; ++simd) {
                SetSimdEnabled(simd == 1);
                Device d(40, 30);
                d.Clear(CLEAR_TARGET, 0xFF000000, 1.0f, 0);
                std::unique_ptr<Texture> tex(Pattern(16, 8, 3));
                d.SetTexture(0, tex.get());
                d.SetSamplerState(0, SAMP_ADDRESSU, address);
                d.SetSamplerState(0, SAMP_ADDRESSV, address);
                d.SetSamplerState(0, SAMP_MAGFILTER, filter);
                d.SetSamplerState(0, SAMP_MINFILTER, filter);
                d.SetRenderState(RS_CULLMODE, CULL_NONE);
                TL tri[3] = {V(1, 1, 0xFFFF0000, nan, 0.5f), V(38, 2, 0xFF00FF00, nan, nan),
                             V(5, 28, 0xFF0000FF, 0.5f, nan)};
                d.SetFVF(kFvfTL);
                d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, tri, sizeof(TL));
                out[simd].assign(d.BackBuffer(), d.BackBuffer() + 40 * 30);
            }
            EXPECT_EQ(out[0], out[1]) << "address " << address << " filter " << filter;
        }
    SetSimdEnabled(true);
}

// Untextured rectangles of one colour blended source-over, opaque and see-through, with
// and without depth writes, overlapping at several depths in widths that end inside a
// window of eight pixels and at the target's last pixels: the same colours and depths
// as one by one.
TEST(GeneralSpans, BlendedRectanglesOfOneColourMatchOneByOne) {
    for (uint32_t c : {0xFF8040C0u, 0x80FF2010u, 0x00FFFFFFu})
        for (int zWrite = 0; zWrite < 2; ++zWrite) {
            Image img[2];
            for (int simd = 0; simd < 2; ++simd) {
                SetSimdEnabled(simd == 1);
                Device d(37, 23);
                Texture target(37, 23, Format::A8R8G8B8, true);
                d.SetRenderTarget(&target);
                d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF102030u, 0.5f, 0);
                d.SetTexture(0, nullptr);
                d.SetRenderState(RS_ALPHABLENDENABLE, 1);
                d.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
                d.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
                d.SetRenderState(RS_ZWRITEENABLE, uint32_t(zWrite));
                for (int w = 1; w <= 37; w += 3)
                    Quad(d, float(37 - w), float(w % 20), float(w), 4, c, 0, 0, 1, 1, 0.1f * float(w % 8));
                img[simd].color.assign(target.Pixels(), target.Pixels() + 37 * 23);
                img[simd].depth.assign(target.Depth(), target.Depth() + 37 * 23);
                d.SetRenderTarget(nullptr);
            }
            SetSimdEnabled(true);
            EXPECT_EQ(img[0].color, img[1].color) << std::hex << c << " zwrite " << zWrite;
            EXPECT_EQ(img[0].depth, img[1].depth) << std::hex << c << " zwrite " << zWrite;
        }
}
