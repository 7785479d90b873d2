// Costs of the frame loop's own machinery: the task controller's passes, the frame
// pacer's bookkeeping and the message queue.
#include <benchmark/benchmark.h>

#include "system.h"
#include "task/TaskController.h"
#include "timing/gvlTimer.h"

namespace {

class Idle : public C_TitleTaskBase {
public:
    void Update(C_TitleTaskInfo*) override { benchmark::ClobberMemory(); }
    void Draw(C_TitleTaskInfo*) override {}
    using C_TitleTaskBase::Update;
    using C_TitleTaskBase::Draw;
};

// One frame (update and draw pass) over n tasks.
void BM_TaskFrame(benchmark::State& state) {
    C_TaskController tc;
    C_TitleTaskInfo info{&tc, nullptr, 0};
    for (int i = 0; i < state.range(0); ++i) tc.AddTask(new Idle, i % 300);
    for (auto _ : state) {
        tc.Update(&info);
        tc.Draw(&info);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TaskFrame)->Arg(10)->Arg(100)->Arg(1000);

// A task that hands over to a successor every frame, as the turn flow's stages do
// (the successor takes a lower priority, so it first runs in the next pass).
class Relay : public C_TitleTaskBase {
public:
    void Update(C_TitleTaskInfo* info) override {
        info->pTaskController->AddTask(new Relay, GetPriority() == 255 ? 254 : 255);
        KillSelf(info);
    }
    void Draw(C_TitleTaskInfo*) override {}
    using C_TitleTaskBase::Update;
    using C_TitleTaskBase::Draw;
};

void BM_TaskReplaceSelf(benchmark::State& state) {
    C_TaskController tc;
    C_TitleTaskInfo info{&tc, nullptr, 0};
    for (int i = 0; i < 50; ++i) tc.AddTask(new Idle, i * 10);
    tc.AddTask(new Relay, 255);
    for (auto _ : state) tc.Draw(&info), tc.Update(&info);
}
BENCHMARK(BM_TaskReplaceSelf);

// The pacer's work per frame when the frame ran late (no sleep).
void BM_WaitFrameLate(benchmark::State& state) {
    plat::Shutdown();
    CFPSTimer f;
    f.SetFPS(0);
    for (auto _ : state) {
        f.WaitFrame();
        benchmark::DoNotOptimize(f.GetRealFPS());
    }
}
BENCHMARK(BM_WaitFrameLate);

void BM_MessageQueue(benchmark::State& state) {
    plat::Shutdown();
    plat::Message m;
    for (auto _ : state) {
        for (int i = 0; i < 16; ++i) plat::PostMessage({plat::kMsgMouseMove, 0, plat::MakePointParam(i, i)});
        while (plat::PeekMessage(m)) benchmark::DoNotOptimize(m);
    }
    state.SetItemsProcessed(state.iterations() * 16);
}
BENCHMARK(BM_MessageQueue);

}  // namespace

BENCHMARK_MAIN();
