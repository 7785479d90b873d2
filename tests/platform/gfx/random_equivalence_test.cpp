// Many random frames drawn twice, with the fast paths and one pixel at a time: the
// colours and depths must be the same to the bit. Each frame mixes sprites through
// the batch (1:1, scaled, mirrored, rotated), screen rectangles and triangles, and
// perspective meshes, under random states. The seeds are fixed, so a failure names
// the frame that shows it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "gfx/device.h"
#include "gfx/sprite.h"
#include "gfx_test_util.h"

using namespace gfx;
using namespace gfxtest;

namespace {

struct Frame {
    std::vector<uint32_t> color;
    std::vector<float> depth;
};

std::unique_ptr<Texture> RandomTexture(std::mt19937& rng, int w, int h) {
    std::unique_ptr<Texture> t(Pattern(w, h, rng()));
    const int alphaKind = int(rng() % 3);  // opaque, mixed, mostly see-through
    for (int i = 0; i < w * h; ++i) {
        uint32_t a = 255;
        if (alphaKind == 1) a = (i % 5 == 0) ? 0u : (i % 3 == 0) ? 255u : uint32_t(rng() & 0xFF);
        if (alphaKind == 2) a = uint32_t(rng() % 96);
        t->Pixels()[i] = (t->Pixels()[i] & 0x00FFFFFFu) | (a << 24);
    }
    return t;
}

uint32_t RandomColor(std::mt19937& rng) {
    switch (rng() % 4) {
        case 0: return 0xFFFFFFFFu;
        case 1: return 0xFF000000u | (rng() & 0xFFFFFF);
        default: return rng();
    }
}

void RandomStates(std::mt19937& rng, Device& d) {
    const uint32_t filters[] = {TEXF_POINT, TEXF_LINEAR};
    const uint32_t addresses[] = {TADDRESS_WRAP, TADDRESS_CLAMP, TADDRESS_MIRROR};
    SetSampling(d, filters[rng() % 2], addresses[rng() % 3]);
    d.SetRenderState(RS_ALPHABLENDENABLE, rng() % 3 != 0);
    d.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    // Source-over, or the source's alpha added to the target (the glows of the effects).
    d.SetRenderState(RS_DESTBLEND, rng() % 3 == 0 ? BLEND_ONE : BLEND_INVSRCALPHA);
    d.SetRenderState(RS_ALPHATESTENABLE, rng() % 2);
    d.SetRenderState(RS_ALPHAFUNC, 1 + rng() % 8);
    const uint32_t refs[] = {0, 1, 128, 254, 255, 300};
    d.SetRenderState(RS_ALPHAREF, refs[rng() % 6]);
    d.SetRenderState(RS_ZENABLE, rng() % 4 != 0);
    d.SetRenderState(RS_ZFUNC, 1 + rng() % 8);
    d.SetRenderState(RS_ZWRITEENABLE, rng() % 3 != 0);
    d.SetRenderState(RS_CULLMODE, CULL_NONE);
    d.SetRenderState(RS_SHADEMODE, rng() % 4 == 0 ? 1 : 2);  // flat or Gouraud
}

float Rnd(std::mt19937& rng, float lo, float hi) {
    return lo + (hi - lo) * float(rng() % 100000) / 100000.0f;
}

void DrawSprites(std::mt19937& rng, Device& d, Texture* tex) {
    Sprite sprite(&d);
    sprite.Begin(rng() % 2 ? SPRITE_ALPHABLEND : 0);
    const int n = 1 + int(rng() % 12);
    for (int i = 0; i < n; ++i) {
        const int tw = tex->Width(), th = tex->Height();
        const int x0 = int(rng() % uint32_t(tw)), y0 = int(rng() % uint32_t(th));
        const Rect src{x0, y0, x0 + 1 + int(rng() % uint32_t(tw - x0)), y0 + 1 + int(rng() % uint32_t(th - y0))};
        vm::Matrix m = vm::Identity();
        switch (rng() % 4) {
            case 0: break;                                                         // 1:1
            case 1: m = vm::Scaling(Rnd(rng, 0.3f, 3.0f), Rnd(rng, 0.3f, 3.0f), 1); break;  // scaled
            case 2: m = vm::Scaling(-Rnd(rng, 0.5f, 2.0f), Rnd(rng, 0.5f, 2.0f), 1); break;  // mirrored
            default: m = vm::RotationZ(Rnd(rng, -1.0f, 1.0f)); break;              // rotated
        }
        sprite.SetTransform(m);
        const bool whole = rng() % 2 == 0;
        const vm::Vec3 pos{whole ? float(int(rng() % 200) - 40) : Rnd(rng, -40, 160),
                           whole ? float(int(rng() % 150) - 30) : Rnd(rng, -30, 120), Rnd(rng, 0, 1)};
        sprite.Draw(tex, &src, nullptr, &pos, RandomColor(rng));
    }
    sprite.End();
}

void DrawScreenShapes(std::mt19937& rng, Device& d) {
    d.SetFVF(kFvfTL);
    const int n = 1 + int(rng() % 6);
    for (int i = 0; i < n; ++i) {
        const float z = Rnd(rng, -0.2f, 1.2f);
        if (rng() % 2) {
            Quad(d, float(int(rng() % 160) - 20), float(int(rng() % 120) - 20), float(1 + rng() % 90),
                 float(1 + rng() % 70), RandomColor(rng), Rnd(rng, -0.5f, 1), Rnd(rng, -0.5f, 1), Rnd(rng, 0, 2),
                 Rnd(rng, 0, 2), z);
        } else {
            TL t[3];
            for (TL& v : t) v = V(Rnd(rng, -30, 170), Rnd(rng, -30, 130), RandomColor(rng), Rnd(rng, -1, 2), Rnd(rng, -1, 2), z);
            d.DrawPrimitiveUP(PT_TRIANGLELIST, 1, t, sizeof(TL));
        }
    }
}

void DrawMesh(std::mt19937& rng, Device& d) {
    d.SetTransform(TS_VIEW, vm::LookAtLH({Rnd(rng, -1, 1), Rnd(rng, 0.5f, 3), -4}, {0, 0, 0}, {0, 1, 0}));
    d.SetTransform(TS_PROJECTION, vm::PerspectiveFovLH(float(std::numbers::pi) / 4, 4.0f / 3.0f, 0.1f, 50));
    d.SetRenderState(RS_LIGHTING, rng() % 2);
    LightMeshScene(d);
    d.SetFVF(FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE | FVF_SPECULAR | FVF_TEX1);
    const int n = 2 + int(rng() % 14);
    const bool sameColour = rng() % 2 == 0;
    const uint32_t c0 = RandomColor(rng);
    std::vector<V3> v;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            const float x = -3.0f + 6.0f * i / n, z = -3.0f + 6.0f * j / n;
            v.push_back({x, 0.4f * std::sin(x + z), z, 0, 1, 0, sameColour ? c0 : RandomColor(rng), 0,
                         float(i) / n * 2 - 0.5f, float(j) / n * 2 - 0.5f});
        }
    std::vector<uint16_t> idx;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const uint16_t a = uint16_t(j * (n + 1) + i), b = uint16_t(a + 1), c = uint16_t(a + n + 1),
                           e = uint16_t(c + 1);
            idx.insert(idx.end(), {a, b, c, b, e, c});
        }
    d.DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 0, uint32_t(v.size()), uint32_t(idx.size() / 3), idx.data(), false,
                             v.data(), sizeof(V3));
}

Frame Draw(uint32_t seed, bool simd) {
    SetSimdEnabled(simd);
    std::mt19937 rng(seed);
    const int w = 17 + int(rng() % 150), h = 9 + int(rng() % 110);
    Device d(w, h);
    // Drawn into a texture target, whose depth can be read back.
    Texture target(w, h, Format::A8R8G8B8, true);
    d.SetRenderTarget(&target);
    d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, rng(), Rnd(rng, 0, 1), 0);
    const int sizes[] = {1, 7, 8, 16, 48, 64, 100};
    std::unique_ptr<Texture> tex = RandomTexture(rng, sizes[rng() % 7], sizes[rng() % 7]);
    for (int pass = 0; pass < 4; ++pass) {
        RandomStates(rng, d);
        d.SetTexture(0, rng() % 6 == 0 ? nullptr : tex.get());
        switch (rng() % 3) {
            case 0: DrawSprites(rng, d, tex.get()); break;
            case 1: DrawScreenShapes(rng, d); break;
            default: DrawMesh(rng, d); break;
        }
    }
    Frame f;
    f.color.assign(target.Pixels(), target.Pixels() + size_t(w) * h);
    f.depth.assign(target.Depth(), target.Depth() + size_t(w) * h);
    d.SetRenderTarget(nullptr);
    SetSimdEnabled(true);
    return f;
}

TEST(DeviceRandomFrames, FastPathsMatchOneByOne) {
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        const Frame fast = Draw(seed, true), slow = Draw(seed, false);
        ASSERT_EQ(fast.color, slow.color) << "frame " << seed;
        ASSERT_EQ(0, std::memcmp(fast.depth.data(), slow.depth.data(), fast.depth.size() * sizeof(float)))
            << "frame " << seed;
    }
}

}  // namespace
