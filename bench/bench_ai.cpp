// Enemy AI: one full enemy phase of 12 units on a 40 x 40 map (set-up, plan and
// every action carried out), reported per action; the set-up and the plan alone.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "../tests/rules/ai/phase_runner.h"
#include "FieldTaskInfo.h"
#include "SkillData.h"
#include "random/gvlRand.h"
#include "table/gvlTableFile.h"

namespace {

const char* kSkills =
    "skillID,name,type,path,power,effect,mp,range1,range2,region1,region2,back_atk,charge,target,critical,cannon,allatk,passive,attr,comment\r\n"
    "1,sword,0,0,30,0,0,1,1,0,0,0,0,0,5,0,0,0,0,x\r\n"
    "2,bow,1,1,25,0,0,2,3,0,0,1,0,0,5,0,0,0,0,x\r\n"
    "3,fire,2,1,30,0,5,1,2,0,0,1,0,0,0,0,0,0,0,x\r\n"
    "4,heal,3,1,10,0,4,1,2,0,0,1,0,0,0,0,0,0,0,x\r\n"
    "5,blast,2,2,20,0,5,1,8,1,3,1,2,0,0,1,0,0,0,x\r\n"
    "9,swift,0,0,0,10,0,0,0,0,0,0,0,0,0,0,0,1,0,x\r\n";

std::unique_ptr<C_FieldTaskInfo> MakeField() {
    CTableFile table;
    std::string s = kSkills;
    table.LoadFromBytes(reinterpret_cast<const unsigned char*>(s.data()), s.size());
    g_SkillData.LoadRows(table.m_vRows);

    auto f = std::make_unique<C_FieldTaskInfo>();
    CFieldDataTable& t = f->m_MapData.GetFieldData();
    t.m_vName = {"plain", "forest", "hill", "wall"};
    t.m_vRecord.assign(4, std::vector<FieldDataRecord>(kMoveClassCount));
    for (int c = 0; c < kMoveClassCount; ++c) {
        t.m_vRecord[0][c] = {1, 0, 0, 0};
        t.m_vRecord[1][c] = {2, 0, 20, 10};
        t.m_vRecord[2][c] = {3, 1, 10, 30};
        t.m_vRecord[3][c] = {99, 2, 0, 0};
    }
    CMapChipTable& chips = f->m_MapData.GetChipTable();
    for (int c = 0; c < 4; ++c) chips.m_mapType[c] = c;
    CMapData& m = f->m_MapData;
    m.m_xSize = m.m_ySize = 40;
    m.m_byMapChip.assign(1600, 0);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const int h = (x * 7 + y * 13 + (x * y) % 5) % 17;
            m.m_byMapChip[(size_t)y * 40 + x] = (uint8_t)(h < 3 ? 1 : h == 5 ? 2 : h == 9 ? 3 : 0);
        }
    m.AddAnabasisRoute({35, 35, 20, 20, 5, 5});
    f->m_vbRangeCell.assign(1600, false);
    f->m_nTurn = 1;

    int n = 0;
    auto add = [&](int x, int y, bool friendSide, int members, int kind) {
        while (f->m_MapData.GetMoveCost(x, y, 0) == 99 || f->m_UnitList.FindUnitAt(x, y) >= 0) x = (x + 1) % 40;
        int unit = -1;
        for (int j = 0; j < members; ++j) {
            PersonRecord p;
            p.nMaxHP = p.nHP = 60;
            p.nMP = 20;
            p.nStr = 20;
            p.nGur = 5 + 10 * (n % 4);
            p.nMag = 15;
            p.nDex = 10 + j;
            p.nSpd = 10;
            p.nClass = n % 4;
            p.nMove = p.nRestMove = 5;
            p.bFriend = friendSide ? 1 : 0;
            p.skill[0] = kind == 1 ? 2 : kind == 2 ? 4 : kind == 3 ? 3 : 1;
            if (kind == 3 && j == 0) p.cskill[0] = 5;
            if (kind == 4) p.pskill[0] = 9;
            const int person = f->m_PersonList.AddPerson(p);
            if (j == 0)
                unit = f->m_UnitList.AddUnitAt(person, x, y);
            else
                f->m_UnitList.AddMember(unit, person);
            f->m_PersonList.SetForward(person, j < 2 ? 1 : 0);
            ++n;
        }
        f->m_UnitList.SetCharge(unit, 2);
    };
    // Twelve enemy units in three groups, eight player units across the middle.
    for (int i = 0; i < 12; ++i) add(24 + (i % 4) * 3 + (i / 4), 22 + (i / 4) * 5, false, 1 + i % 4, i % 5);
    for (int i = 0; i < 8; ++i) add(8 + i * 3, 14 + (i % 3) * 2, true, 1 + i % 3, i % 2);
    f->m_AI.m_bUseView = false;
    return f;
}

void BM_EnemyPhase12Units40x40(benchmark::State& state) {
    int64_t actions = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto f = MakeField();
        g_Rand.SetSeed(99);
        state.ResumeTiming();
        const std::vector<std::string> log = aiphase::RunEnemyPhase(*f);
        actions += (int64_t)log.size();
        benchmark::DoNotOptimize(log.data());
        state.PauseTiming();
        f.reset();
        state.ResumeTiming();
    }
    // Seconds per action (shown as time: lower is better).
    state.counters["per_action"] =
        benchmark::Counter((double)actions, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["actions"] = benchmark::Counter((double)actions, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_EnemyPhase12Units40x40)->Unit(benchmark::kMillisecond);

void BM_SetUpAndPlan12Units40x40(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto f = MakeField();
        g_Rand.SetSeed(99);
        state.ResumeTiming();
        f->m_AI.BeginPhase(*f);
        f->m_AI.UpdatePlan(*f);
        benchmark::DoNotOptimize(f->m_AI.m_lstPlan.size());
        state.PauseTiming();
        f.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SetUpAndPlan12Units40x40)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
