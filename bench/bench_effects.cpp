// Battle effects on the software device: one frame of the effect with the most
// particles (and a few other heavy ones) on top of eight members' skinned meshes,
// at the battle's 640 x 480 with the camera where it settles.
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

#include "Draw/gvlD3DObjectBase.h"
#include "Draw/gvlSkinnedMesh.h"
#include "effects/BattleEffects.h"
#include "framework/gvlDXAppBase.h"
#include "golden.h"
#include "preload/GlobalPreloadData.h"
#include "random/gvlRand.h"

namespace {

struct Stage {
    std::unique_ptr<testsupport::ScopedCurrentDir> cwd;
    vm::Matrix members[8];
    std::vector<const vm::Matrix*> targets;
    std::vector<AttackResult> results;

    Stage() {
        cwd = std::make_unique<testsupport::ScopedCurrentDir>(VORMANT_GAME_DIR);
        CreateD3DDevice(false, 640, 480);
        InitDrawObjects(g_pD3DDevice);
        SetFixedDeviceState(g_pD3DDevice);
        for (int step = 1; step <= 4; ++step) g_GlobalPreloadData.Load(step);
        gfx::Device& d = *g_pD3DDevice;
        const vm::Vec3 eye{2.5f, -7.0f, 3.0f}, at{0, 0, 0};
        d.SetTransform(gfx::TS_PROJECTION, vm::PerspectiveFovLH(0.7853982f, 1.3333334f, 1.0f, 20000.0f));
        d.SetTransform(gfx::TS_VIEW, vm::LookAtLH(eye, at, {0, 0, 1}));
        BattleEye = eye;
        BattleTarget = at;
        gfx::Light light;
        light.direction = vm::Normalize(at - eye);
        light.diffuse = {1, 1, 1, 1};
        d.SetLight(0, light);
        d.LightEnable(0, true);
        const float xs[4] = {0.75f, -0.75f, 2.0f, -2.0f}, ys[4] = {2.0f, 2.0f, 3.0f, 3.0f};
        for (int i = 0; i < 4; ++i) {
            members[i] = vm::RotationX(1.5707964f) * vm::Translation(-xs[i], -ys[i], 0);
            members[4 + i] = vm::RotationX(1.5707964f) * vm::RotationZ(3.1415927f) * vm::Translation(xs[i], ys[i], 0);
            targets.push_back(&members[4 + i]);
            AttackResult r;
            r.nTarget = 4 + i;
            results.push_back(r);
        }
    }
    ~Stage() {
        EndSpriteBatch();
        g_GlobalPreloadData.Release();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
    }

    // The stage and eight members, as the battle draws them before its effects.
    void DrawMembers(int frame) {
        gfx::Device& d = *g_pD3DDevice;
        d.Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF424B79, 1.0f, 0);
        d.SetRenderState(gfx::RS_LIGHTING, 1);
        d.SetRenderState(gfx::RS_ZWRITEENABLE, 1);
        d.SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
        d.SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
        static const int kMeshes[8] = {0, 1, 2, 3, 5, 6, 7, 8};
        CPreloadBlock* b = g_GlobalPreloadData.GetBlock();
        for (int i = 0; i < 8; ++i) {
            CD3DSkinnedMesh& m = b->UnitMesh[kMeshes[i]];
            if (!m.IsLoaded()) continue;
            m.AdvanceAnimation(frame / 60.0);
            m.UpdateFrameMatrices(m.m_pFrameRoot, &members[i]);
            m.DrawFrames(&d);
        }
        d.SetTransform(gfx::TS_WORLD, vm::Matrix{});
    }
};

using Make = std::function<CBattleEffectBase*(Stage&, int start)>;

// Plays the effect over and over between relative frames `from` and `to`, one battle
// frame per iteration: members, effect update, effect draw.
void PlayFrames(benchmark::State& state, const Make& make, int from, int to) {
    Stage s;
    CBattleEffectController c;
    const vm::Matrix base;
    int frame = 0, start = 0;
    size_t particles = 0, frames = 0;
    g_Rand.SetSeed(1);
    // A fresh effect brought up to its busy part without being timed.
    auto restart = [&] {
        c.Clear();
        start = frame;
        c.AddEffect(make(s, start));
        for (; frame < start + from; ++frame) c.Update(frame);
    };
    restart();
    for (auto _ : state) {
        if (frame - start > to) {
            state.PauseTiming();
            restart();
            state.ResumeTiming();
        }
        s.DrawMembers(frame);
        c.Update(frame);
        c.Draw(g_pD3DDevice, nullptr, nullptr, &base, frame);
        EndSpriteBatch();
        particles += c.GetLastParticles().size();
        ++frames;
        ++frame;
    }
    state.counters["particles"] = frames ? double(particles) / frames : 0;
}

// Without any effect: what the members alone cost.
void BM_EightMembers(benchmark::State& state) {
    Stage s;
    int frame = 0;
    for (auto _ : state) {
        s.DrawMembers(frame++);
        EndSpriteBatch();
    }
}
BENCHMARK(BM_EightMembers)->Unit(benchmark::kMillisecond);

// The droplet stream: up to about 280 depth-sorted particles at once.
void BM_Beam3OnEightMembers(benchmark::State& state) {
    PlayFrames(state, [](Stage& s, int start) -> CBattleEffectBase* {
        return new CBattleEffect_Beam3(start, &s.members[0], &s.members[4], s.results[0]);
    }, 20, 50);
}
BENCHMARK(BM_Beam3OnEightMembers)->Unit(benchmark::kMillisecond);

void BM_FireAll1OnEightMembers(benchmark::State& state) {
    PlayFrames(state, [](Stage& s, int start) -> CBattleEffectBase* {
        return new CBattleEffect_FireAll1(start, &s.members[0], s.targets, s.results);
    }, 20, 45);
}
BENCHMARK(BM_FireAll1OnEightMembers)->Unit(benchmark::kMillisecond);

void BM_DarkLightAll3OnEightMembers(benchmark::State& state) {
    PlayFrames(state, [](Stage& s, int start) -> CBattleEffectBase* {
        return new CBattleEffect_DarkLightAll3(start, s.targets, s.results, 1);
    }, 35, 55);
}
BENCHMARK(BM_DarkLightAll3OnEightMembers)->Unit(benchmark::kMillisecond);

void BM_PoisonAll2OnEightMembers(benchmark::State& state) {
    PlayFrames(state, [](Stage& s, int start) -> CBattleEffectBase* {
        return new CBattleEffect_PoisonAll2(start, s.targets, s.results);
    }, 100, 170);
}
BENCHMARK(BM_PoisonAll2OnEightMembers)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
