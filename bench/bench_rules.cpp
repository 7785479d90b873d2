// Tactics rules: the movement search on a 60 x 60 map for a unit with move 12,
// one resolved exchange of four against four (with and without its planning),
// and the attack area of a long-range unit.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

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
    "6,spear,0,0,30,0,0,1,2,0,0,1,0,0,10,0,0,0,0,x\r\n";

std::unique_ptr<C_FieldTaskInfo> MakeField() {
    CTableFile table;
    std::string s = kSkills;
    table.LoadFromBytes(reinterpret_cast<const unsigned char*>(s.data()), s.size());
    g_SkillData.LoadRows(table.m_vRows);

    auto f = std::make_unique<C_FieldTaskInfo>();
    CFieldDataTable& t = f->m_MapData.GetFieldData();
    t.m_vName = {"plain", "forest", "hill", "wall"};
    t.m_vRecord.assign(4, std::vector<FieldDataRecord>(kMoveClassCount));
    t.m_vRecord[0][0] = {1, 0, 0, 0};
    t.m_vRecord[1][0] = {2, 0, 20, 10};
    t.m_vRecord[2][0] = {3, 1, 10, 30};
    t.m_vRecord[3][0] = {99, 2, 0, 0};
    CMapChipTable& chips = f->m_MapData.GetChipTable();
    for (int c = 0; c < 4; ++c) chips.m_mapType[c] = c;
    CMapData& m = f->m_MapData;
    m.m_xSize = m.m_ySize = 60;
    m.m_byMapChip.assign(3600, 0);
    // Scattered forests, hills and a few walls.
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            const int h = (x * 7 + y * 13 + (x * y) % 5) % 17;
            m.m_byMapChip[(size_t)y * 60 + x] = (uint8_t)(h < 3 ? 1 : h == 5 ? 2 : h == 9 ? 3 : 0);
        }
    f->m_vbRangeCell.assign(3600, false);
    return f;
}

int AddUnit(C_FieldTaskInfo& f, int x, int y, bool friendSide, int members, int move) {
    int unit = -1;
    for (int j = 0; j < members; ++j) {
        PersonRecord p;
        p.nMaxHP = p.nHP = 60;
        p.nMP = 20;
        p.nStr = 20;
        p.nGur = 5;
        p.nMag = 10;
        p.nDex = 10 + j;
        p.nSpd = 10;
        p.nMove = p.nRestMove = move;
        p.bFriend = friendSide ? 1 : 0;
        p.skill[0] = j < 2 ? 1 : 2;
        p.skill[1] = 6;
        const int person = f.m_PersonList.AddPerson(p);
        if (j == 0)
            unit = f.m_UnitList.AddUnitAt(person, x, y);
        else
            f.m_UnitList.AddMember(unit, person);
        f.m_PersonList.SetForward(person, j < 2 ? 1 : 0);
    }
    return unit;
}

void BM_MoveSearch60x60Move12(benchmark::State& state) {
    auto f = MakeField();
    const int u = AddUnit(*f, 30, 30, true, 1, 12);
    f->m_MapData.m_byMapChip[30 * 60 + 30] = 0;
    std::vector<FieldCell> cells;
    std::vector<MoveSearchNode> nodes;
    for (auto _ : state) {
        f->SearchPersonMoves(u, 0, cells, &nodes);
        benchmark::DoNotOptimize(cells.data());
    }
    state.counters["cells"] = (double)cells.size();
}
BENCHMARK(BM_MoveSearch60x60Move12);

void BM_MoveSearchOpenGround(benchmark::State& state) {
    auto f = MakeField();
    std::fill(f->m_MapData.m_byMapChip.begin(), f->m_MapData.m_byMapChip.end(), 0);
    std::vector<FieldCell> cells;
    const PassiveTerrainFlags flags{{0, false}, {1, false}, {2, false}, {3, false}};
    for (auto _ : state) {
        f->SearchMoveTree(30, 30, cells, 12, 1, 0, flags);
        benchmark::DoNotOptimize(cells.data());
    }
    state.counters["cells"] = (double)cells.size();
}
BENCHMARK(BM_MoveSearchOpenGround);

void BM_ResolveExchange4v4(benchmark::State& state) {
    auto f = MakeField();
    const int a = AddUnit(*f, 20, 20, true, 4, 5);
    const int b = AddUnit(*f, 21, 20, false, 4, 5);
    f->m_MapData.m_byMapChip[20 * 60 + 20] = 0;
    f->m_MapData.m_byMapChip[20 * 60 + 21] = 0;
    const int targets[8] = {0, 1, 0, 1, 0, 1, 0, 1};
    const int skills[8] = {1, 1, 2, 2, 1, 1, 2, 2};
    g_Rand.SetSeed(1);
    for (auto _ : state) {
        f->m_vBattleAction.clear();
        f->ResolveBattle(a, b, targets, skills);
        benchmark::DoNotOptimize(f->m_vBattleAction.data());
    }
}
BENCHMARK(BM_ResolveExchange4v4);

void BM_PlanAndResolveExchange4v4(benchmark::State& state) {
    auto f = MakeField();
    const int a = AddUnit(*f, 20, 20, true, 4, 5);
    const int b = AddUnit(*f, 21, 20, false, 4, 5);
    f->m_MapData.m_byMapChip[20 * 60 + 20] = 0;
    f->m_MapData.m_byMapChip[20 * 60 + 21] = 0;
    g_Rand.SetSeed(1);
    int targets[8];
    int skills[8];
    for (auto _ : state) {
        f->m_vBattleAction.clear();
        f->AssignBattleTargets(a, b, 20, 20, targets, skills);
        f->AssignCounterTargets(a, b, targets, skills);
        f->ResolveBattle(a, b, targets, skills);
        benchmark::DoNotOptimize(f->m_vBattleAction.data());
    }
}
BENCHMARK(BM_PlanAndResolveExchange4v4);

void BM_AttackAreaReach8(benchmark::State& state) {
    auto f = MakeField();
    f->m_MapData.m_byMapChip[30 * 60 + 30] = 0;
    std::vector<FieldCell> cells;
    for (auto _ : state) {
        f->CollectCellsInRange(cells, 30, 30, 8, 1, -1);
        benchmark::DoNotOptimize(cells.data());
    }
    state.counters["cells"] = (double)cells.size();
}
BENCHMARK(BM_AttackAreaReach8);

}  // namespace

BENCHMARK_MAIN();
