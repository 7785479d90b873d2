// One frame of a battle on the software device: eight members' skinned meshes, the
// field's ground and background, the battle window and damage numbers.
#include <benchmark/benchmark.h>

#include "../tests/battle/battle_scene.h"
#include "effects/BattleEffects.h"
#include "random/gvlRand.h"

namespace {

using battletest::BattleStage;

// Four against four, with blows on every member so that numbers and the window's
// lines show.
void EightMembers(BattleStage& s) {
    const int a = s.AddUnit({1, 10, 12, 13}, {1, 1, 0, 0}, true);
    const int b = s.AddUnit({20, 23, 21, 22}, {1, 1, 0, 0}, false);
    BattleActionRecord& r0 = s.AddRecord(a, {100, 100, 200, 300}, {0, 1, 2, 3});
    r0.vResult = {BattleStage::Blow(0, 4, 100, 12), BattleStage::Blow(1, 5, 100, 9, false, true),
                  BattleStage::Blow(2, 6, 200, 7), BattleStage::Blow(3, 7, 300, 15)};
    BattleActionRecord& r1 = s.AddRecord(b, {100, 101, 200, 301}, {0, 1, 2, 3});
    r1.vResult = {BattleStage::Blow(4, 0, 100, 5), BattleStage::Blow(5, 1, 101, 0, true),
                  BattleStage::Blow(6, 2, 200, 6), BattleStage::Blow(7, 3, 301, 11)};
}

// The battle run to frame `frame`, then one drawn frame at a time (the same frame).
void BM_BattleFrame(benchmark::State& state) {
    BattleStage s;
    EightMembers(s);
    s.Start();
    s.RunTo(int(state.range(0)));
    C_TaskBattle* task = s.Task();
    if (!task) {
        state.SkipWithError("the battle ended early");
        return;
    }
    for (auto _ : state) {
        task->Draw(&s.Field());
        EndSpriteBatch();
    }
    state.counters["frame"] = double(task->GetFrame());
}
// Frame 200: the camera has settled; 60: while it flies, the attackers strike.
BENCHMARK(BM_BattleFrame)->Arg(60)->Arg(200)->Unit(benchmark::kMillisecond);

// Update and draw from the first frame to the end of the exchange, per frame.
void BM_BattleWhole(benchmark::State& state) {
    int frames = 0;
    for (auto _ : state) {
        BattleStage s;
        EightMembers(s);
        s.Start();
        s.RunTo(2000);
        frames = s.Frames();
    }
    state.counters["frames"] = frames;
}
BENCHMARK(BM_BattleWhole)->Unit(benchmark::kMillisecond)->Iterations(1);


// ---- effects: the battle frame with one heavy effect on top of the eight members ----

using MakeEffect = CBattleEffectBase* (*)(C_MeshController& m, int start);

// The battle at frame 200 (camera settled) with the effect brought `age` frames into
// its life; then one drawn frame at a time, as BM_BattleFrame.
void EffectFrame(benchmark::State& state, MakeEffect make, int age) {
    BattleStage s;
    EightMembers(s);
    s.Start();
    s.RunTo(200);
    C_TaskBattle* task = s.Task();
    if (!task || !task->GetController()) {
        state.SkipWithError("the battle ended early");
        return;
    }
    C_MeshController& m = *task->GetController();
    const int frame = task->GetFrame();
    g_Rand.SetSeed(1);
    m.m_Effects.AddEffect(make(m, frame - age));
    for (int f = frame - age; f <= frame; ++f) m.m_Effects.Update(f);
    for (auto _ : state) {
        task->Draw(&s.Field());
        EndSpriteBatch();
    }
    state.counters["particles"] = double(m.m_Effects.GetLastParticles().size());
}

std::vector<const vm::Matrix*> Side1(C_MeshController& m) {
    return {&m.m_Member[4].m_World, &m.m_Member[5].m_World, &m.m_Member[6].m_World, &m.m_Member[7].m_World};
}
std::vector<AttackResult> NoBlows() { return std::vector<AttackResult>(4); }

// The droplet stream: the most particles of any effect (about 250 sorted at once).
void BM_BattleFrameBeam3(benchmark::State& state) {
    EffectFrame(state, [](C_MeshController& m, int start) -> CBattleEffectBase* {
        return new CBattleEffect_Beam3(start, &m.m_Member[0].m_World, &m.m_Member[4].m_World, AttackResult{});
    }, 35);
}
BENCHMARK(BM_BattleFrameBeam3)->Unit(benchmark::kMillisecond);

// The fire area: about 190 large flames (the most covered screen among the particles).
void BM_BattleFrameFireAll1(benchmark::State& state) {
    EffectFrame(state, [](C_MeshController& m, int start) -> CBattleEffectBase* {
        return new CBattleEffect_FireAll1(start, &m.m_Member[0].m_World, Side1(m), NoBlows());
    }, 30);
}
BENCHMARK(BM_BattleFrameFireAll1)->Unit(benchmark::kMillisecond);

// The poison cannon: about 140 large smoke puffs drawn one by one.
void BM_BattleFramePoisonAll2(benchmark::State& state) {
    EffectFrame(state, [](C_MeshController& m, int start) -> CBattleEffectBase* {
        return new CBattleEffect_PoisonAll2(start, Side1(m), NoBlows());
    }, 160);
}
BENCHMARK(BM_BattleFramePoisonAll2)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
