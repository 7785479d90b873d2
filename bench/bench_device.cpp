// The software device under the game's typical loads.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "Draw/gvlD3DObjectBase.h"
#include "Draw/gvlD3DTextDraw.h"
#include "gfx/device.h"
#include "gfx/sprite.h"
#include "gfx/texture.h"
#include "random/gvlRand.h"

namespace {

std::unique_ptr<gfx::Texture> MakeTexture(int w, int h, uint32_t alpha) {
    auto t = std::make_unique<gfx::Texture>(w, h);
    uint32_t s = 12345;
    for (int i = 0; i < w * h; ++i) {
        s = s * 1664525u + 1013904223u;
        t->Pixels()[i] = (alpha << 24) | (s >> 8);
    }
    return t;
}

void SetPixelCounters(benchmark::State& state, double pixelsPerFrame) {
    state.counters["Mpix/s"] =
        benchmark::Counter(pixelsPerFrame / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// Four full-screen 640x480 quads, each a whole 1024x512 texture of alpha 128,
// through the sprite path with linear filtering and source-alpha blending.
void Blend4(benchmark::State& state) {
    gfx::Device dev(640, 480);
    gfx::Sprite sprite(&dev);
    auto tex = MakeTexture(1024, 512, 128);
    for (auto _ : state) {
        sprite.Begin(gfx::SPRITE_ALPHABLEND);
        sprite.SetTransform(vm::Scaling(640.0f / 1024.0f, 480.0f / 512.0f, 1.0f));
        for (int i = 0; i < 4; ++i) sprite.Draw(tex.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
        sprite.End();
        benchmark::DoNotOptimize(dev.BackBuffer());
    }
    SetPixelCounters(state, 4.0 * 640 * 480);
}
BENCHMARK(Blend4)->Unit(benchmark::kMillisecond);

// 200 sprites of 48x64 from a 1024x1024 sheet at random positions.
void Sprites200(benchmark::State& state) {
    gfx::Device dev(640, 480);
    gfx::Sprite sprite(&dev);
    auto sheet = MakeTexture(1024, 1024, 200);
    CRand rand;
    rand.SetSeed(1);
    struct Item {
        gfx::Rect src;
        vm::Vec3 pos;
    };
    std::vector<Item> items(200);
    for (Item& it : items) {
        const int cx = int(rand.Get() % (1024 / 48)), cy = int(rand.Get() % (1024 / 64));
        it.src = gfx::Rect{cx * 48, cy * 64, cx * 48 + 48, cy * 64 + 64};
        it.pos = vm::Vec3{float(rand.Get() % (640 - 48)), float(rand.Get() % (480 - 64)), 0.0f};
    }
    for (auto _ : state) {
        sprite.Begin(gfx::SPRITE_ALPHABLEND);
        for (const Item& it : items) sprite.Draw(sheet.get(), &it.src, nullptr, &it.pos, 0xFFFFFFFF);
        sprite.End();
        benchmark::DoNotOptimize(dev.BackBuffer());
    }
    SetPixelCounters(state, 200.0 * 48 * 64);
}
BENCHMARK(Sprites200)->Unit(benchmark::kMillisecond);

struct V3 {
    float x, y, z, nx, ny, nz;
    uint32_t diffuse, specular;
    float u, v;
};

// A 50x30 grid of quads (3,000 triangles) filling the view under a pi/4
// perspective, textured 256x256 with linear filtering, one directional light,
// depth test on.
void Tris3000(benchmark::State& state) {
    gfx::Device dev(640, 480);
    auto tex = MakeTexture(256, 256, 255);
    const int nx = 50, ny = 30;
    std::vector<V3> verts;
    std::vector<uint16_t> idx;
    // At distance 10 a pi/4 vertical field of view spans 2 * 10 * tan(pi/8) = 8.28 units.
    const float hh = 10.0f * std::tan(float(std::numbers::pi) / 8.0f), hw = hh * 640.0f / 480.0f;
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) {
            const float x = -hw + 2 * hw * i / nx, y = hh - 2 * hh * j / ny;
            const float z = 0.3f * std::sin(i * 0.4f) * std::cos(j * 0.5f);
            verts.push_back({x, y, z, 0, 0, -1, 0xFFFFFFFF, 0, float(i) / nx * 2, float(j) / ny * 2});
        }
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            const uint16_t a = uint16_t(j * (nx + 1) + i), b = uint16_t(a + 1), c = uint16_t(a + nx + 1),
                           d = uint16_t(c + 1);
            idx.insert(idx.end(), {a, b, c, b, d, c});
        }
    dev.SetTransform(gfx::TS_VIEW, vm::LookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0}));
    dev.SetTransform(gfx::TS_PROJECTION, vm::PerspectiveFovLH(float(std::numbers::pi) / 4, 640.0f / 480.0f, 0.1f, 100));
    gfx::Material m;
    m.diffuse = {1, 1, 1, 1};
    m.ambient = {1, 1, 1, 1};
    dev.SetMaterial(m);
    gfx::Light l;
    l.diffuse = {1, 1, 1, 1};
    l.direction = {0.3f, -0.4f, 1.0f};
    dev.SetLight(0, l);
    dev.LightEnable(0, true);
    dev.SetRenderState(gfx::RS_AMBIENT, 0xFF303030);
    dev.SetTexture(0, tex.get());
    dev.SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
    dev.SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
    dev.SetFVF(gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_DIFFUSE | gfx::FVF_SPECULAR | gfx::FVF_TEX1);
    for (auto _ : state) {
        dev.Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        dev.DrawIndexedPrimitiveUP(gfx::PT_TRIANGLELIST, 0, uint32_t(verts.size()), uint32_t(idx.size() / 3),
                                   idx.data(), false, verts.data(), sizeof(V3));
        benchmark::DoNotOptimize(dev.BackBuffer());
    }
    SetPixelCounters(state, 640.0 * 480);
}
BENCHMARK(Tris3000)->Unit(benchmark::kMillisecond);

struct VBill {
    float x, y, z;
    uint32_t diffuse;
    float u, v;
};

// 100 billboards of about 130x130 pixels facing the camera (so without perspective
// across each), a 128x128 soft round picture of one colour and half alpha, linear
// filtering, depth test without writes: the smoke and flames of the effects.
// Arg: 0 source-over, 1 source alpha added, 2 source-over with depth writes.
void Billboards100(benchmark::State& state) {
    gfx::Device dev(640, 480);
    auto tex = std::make_unique<gfx::Texture>(128, 128);
    uint32_t seed = 777;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const float dx = (x + 0.5f - 64) / 64, dy = (y + 0.5f - 64) / 64;
            const float fall = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
            const uint32_t a = uint32_t(std::min(255.0f, fall * 2.0f * float(seed >> 24)));
            tex->Pixels()[y * 128 + x] = (a << 24) | 0x00C0C8E0u;
        }
    std::vector<VBill> verts;
    uint32_t r = 99;
    auto next = [&r] { r = r * 1664525u + 1013904223u; return float(r >> 8) / float(1u << 24); };
    for (int i = 0; i < 100; ++i) {
        const float cx = -3.0f + 6.0f * next(), cy = -2.0f + 4.0f * next(), h = 1.1f;
        const uint32_t c = (uint32_t(40 + 200 * next()) << 24) | 0xFFFFFF;
        const VBill a{cx - h, cy + h, 0, c, 0, 0}, b{cx + h, cy + h, 0, c, 1, 0}, d{cx - h, cy - h, 0, c, 0, 1},
            e{cx + h, cy - h, 0, c, 1, 1};
        verts.insert(verts.end(), {a, b, d, b, e, d});
    }
    dev.SetTransform(gfx::TS_VIEW, vm::LookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0}));
    dev.SetTransform(gfx::TS_PROJECTION, vm::PerspectiveFovLH(float(std::numbers::pi) / 4, 640.0f / 480.0f, 0.1f, 100));
    dev.SetRenderState(gfx::RS_LIGHTING, 0);
    dev.SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    dev.SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    dev.SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    dev.SetRenderState(gfx::RS_DESTBLEND, state.range(0) == 1 ? gfx::BLEND_ONE : gfx::BLEND_INVSRCALPHA);
    dev.SetRenderState(gfx::RS_ZWRITEENABLE, state.range(0) == 2);
    dev.SetTexture(0, tex.get());
    dev.SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
    dev.SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
    dev.SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
    dev.SetFVF(gfx::FVF_XYZ | gfx::FVF_DIFFUSE | gfx::FVF_TEX1);
    for (auto _ : state) {
        dev.Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF203040, 1.0f, 0);
        dev.DrawPrimitiveUP(gfx::PT_TRIANGLELIST, uint32_t(verts.size() / 3), verts.data(), sizeof(VBill));
        benchmark::DoNotOptimize(dev.BackBuffer());
    }
    SetPixelCounters(state, 100.0 * 130 * 130);
}
BENCHMARK(Billboards100)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// A 40-character Japanese line rendered into its texture.
void Text40(benchmark::State& state) {
    CreateD3DDevice(false, 640, 480);
    InitDrawObjects(g_pD3DDevice);
    CD3DTextDraw text;
    text.SetText("戦闘開始前に部隊の配置を確認してください。敵の増援は三ターン後に北の橋から現れます", 16,
                 0xFFFFFFFF);
    for (auto _ : state) {
        text.Render();
        benchmark::DoNotOptimize(text.GetRenderTarget().GetTexture());
    }
    int w = 0, h = 0;
    text.GetTextSize(w, h);
    SetPixelCounters(state, double(w) * h);
    ReleaseDrawObjects();
    ReleaseD3DDevice();
}
BENCHMARK(Text40)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
