// One frame of a battle on the software device: eight members' skinned meshes, the
// field's ground and background, the battle window and damage numbers.
#include <benchmark/benchmark.h>

#include "../tests/battle/battle_scene.h"

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

}  // namespace
BENCHMARK_MAIN();
