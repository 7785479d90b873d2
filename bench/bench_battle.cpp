// One frame of a battle on the software device: eight members' skinned meshes, the
// field's ground and background, the battle window and damage numbers.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "../tests/battle/battle_scene.h"
#include "EffectSelect.h"
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

// The eight members' battle at frame 200 (camera settled), or none (the run skipped)
// when it ended before then.
C_TaskBattle* SettledBattle(benchmark::State& state, BattleStage& s) {
    EightMembers(s);
    s.Start();
    s.RunTo(200);
    C_TaskBattle* task = s.Task();
    if (task && task->GetController()) return task;
    state.SkipWithError("the battle ended early");
    return nullptr;
}

// The battle at frame 200 (camera settled) with the effect brought `age` frames into
// its life; then one drawn frame at a time, as BM_BattleFrame.
void EffectFrame(benchmark::State& state, MakeEffect make, int age) {
    BattleStage s;
    C_TaskBattle* task = SettledBattle(state, s);
    if (!task) return;
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

// ---- every effect over its whole life: its slowest frame ----

// Every registered effect in each look the game asks for by skill (a name no skill
// table gives is swept in its first look).
std::vector<std::pair<std::string, int>> SweptEffects() {
    std::set<std::pair<std::string, int>> looks;
    for (int skill = 0; skill < 1000; ++skill) {
        int flag = 0;
        looks.insert({SingleMagicEffectName(skill), 0});
        const char* area = AreaEffectName(skill, &flag);
        looks.insert({area, flag});
        const char* cannon = CannonEffectName(skill, &flag);
        looks.insert({cannon, flag});
    }
    std::vector<std::pair<std::string, int>> out;
    for (const std::string& name : BattleEffectNames()) {
        bool any = false;
        for (const auto& look : looks)
            if (look.first == name) out.push_back(look), any = true;
        if (!any) out.push_back({name, 0});
    }
    return out;
}

// Starts the effect `age` frames into its life at the battle's `frame`: member 0
// casting at the other side (member 4 alone for single targets), the generator
// seeded as in EffectFrame. False when its life is over by then.
bool StartAtAge(C_MeshController& m, int frame, const std::string& name, int flag, int age) {
    m.m_Effects.Clear();
    // The stage tint the last run left fades out first (it moves one step a frame).
    for (int i = 0; i < 64 && m.m_Effects.GetTint() != 0; ++i) m.m_Effects.Update(frame);
    static const AttackResult kFirst{};
    BattleEffectArgs a;
    a.start = frame - age;
    a.caster = &m.m_Member[0].m_World;
    a.target = &m.m_Member[4].m_World;
    a.targets = Side1(m);
    a.hits = NoBlows();
    a.first = &kFirst;
    a.keyframeId = m.m_Member[0].m_nKeyframeBase;
    a.flag = flag;
    g_Rand.SetSeed(1);
    if (!AddBattleEffect(m.m_Effects, name, a)) return false;
    for (int f = frame - age; f <= frame; ++f) m.m_Effects.Update(f);
    const auto& live = m.m_Effects.GetEffects();
    return std::any_of(live.begin(), live.end(), [](const CBattleEffectBase* e) { return e->IsAlive(); });
}

// The slowest age of each effect and how long it lives, found once (the harness
// calls a benchmark more than once), and the last timing of that age's frame.
struct SlowestFrame {
    int age = 0, ages = 0;
    double ms = 0;
};
std::map<std::string, SlowestFrame> g_slowest;

// The processor time of this thread, in seconds (time spent waiting for the shared
// processor does not count).
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Draws the battle frame with the effect at every age of its life (the quickest of
// three draws each), then times the slowest age's frame as BM_BattleFrame does.
void EffectSweep(benchmark::State& state, const std::string& name, int flag, const std::string& label) {
    BattleStage s;
    C_TaskBattle* task = SettledBattle(state, s);
    if (!task) return;
    C_MeshController& m = *task->GetController();
    const int frame = task->GetFrame();
    auto draw = [&] {
        task->Draw(&s.Field());
        EndSpriteBatch();
    };
    auto found = g_slowest.find(label);
    // VORMANT_EFFECT_AGE=<age> times that age alone, without the sweep (for profilers).
    if (const char* fixed = std::getenv("VORMANT_EFFECT_AGE"); fixed && found == g_slowest.end()) {
        SlowestFrame one;
        one.age = std::atoi(fixed);
        one.ages = one.age + 1;
        found = g_slowest.emplace(label, one).first;
    }
    if (found == g_slowest.end()) {
        constexpr int kMaxAge = 2000;
        SlowestFrame sweep;
        double slowSeconds = -1;
        for (; sweep.ages < kMaxAge && StartAtAge(m, frame, name, flag, sweep.ages); ++sweep.ages) {
            double best = 1e9;
            for (int k = 0; k < 3; ++k) {
                const double t0 = ThreadSeconds();
                draw();
                best = std::min(best, ThreadSeconds() - t0);
            }
            if (best > slowSeconds) slowSeconds = best, sweep.age = sweep.ages;
        }
        if (sweep.ages == 0 || sweep.ages == kMaxAge) {
            state.SkipWithError(sweep.ages == 0 ? "the effect was not made" : "the effect does not end");
            return;
        }
        found = g_slowest.emplace(label, sweep).first;
    }
    StartAtAge(m, frame, name, flag, found->second.age);
    const double t0 = ThreadSeconds();
    for (auto _ : state) draw();
    found->second.ms = (ThreadSeconds() - t0) * 1e3 / double(std::max<benchmark::IterationCount>(1, state.iterations()));
    state.counters["age"] = found->second.age;
    state.counters["ages"] = found->second.ages;
}

void RegisterEffectSweeps() {
    for (const auto& [name, flag] : SweptEffects()) {
        std::string label = name.rfind("CBattleEffect_", 0) == 0 ? name.substr(14) : name;
        if (flag != 0) label += "/look" + std::to_string(flag);
        benchmark::RegisterBenchmark(("BM_EffectSweep/" + label).c_str(),
                                     [name, flag, label](benchmark::State& st) { EffectSweep(st, name, flag, label); })
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    RegisterEffectSweeps();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto worst = std::max_element(g_slowest.begin(), g_slowest.end(),
                                        [](const auto& a, const auto& b) { return a.second.ms < b.second.ms; });
    if (worst != g_slowest.end())
        std::printf("Slowest effect frame: %s at age %d, %.3f ms of processor time\n", worst->first.c_str(),
                    worst->second.age, worst->second.ms);
    return 0;
}
