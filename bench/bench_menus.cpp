// The menus' per-frame work that runs without the device: wrapping a help line and
// working out which skills a member may choose (done when a skill list opens).
#include <benchmark/benchmark.h>

#include <string>

#include "FieldTaskInfo.h"
#include "SkillData.h"
#include "menu/InstructWindow.h"
#include "menu/SelectSkillMenu.h"
#include "table/gvlTableFile.h"

namespace {

void BM_WrapInstructText(benchmark::State& state) {
    const std::string text =
        "広範囲に攻撃できる砲撃魔法を使用します。/（使用するには一定量のチャージが必要です。/"
        "　また、移動すると溜めていたチャージが/　無効になります）";
    for (auto _ : state) benchmark::DoNotOptimize(WrapInstructText(text));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_WrapInstructText);

void BM_SkillListRows(benchmark::State& state) {
    std::string csv =
        "skillID,name,type,path,power,effect,mp,range1,range2,region1,region2,back_atk,charge,target,critical,cannon,"
        "allatk,passive,attr,comment\r\n";
    for (int id = 1; id <= 12; ++id)
        csv += std::to_string(id) + ",s,0,1,50,0,1," + std::to_string(id % 3) + ",3,0,0,1,0,0,0,0,0,0,0,c\r\n";
    CTableFile table;
    table.LoadFromBytes(reinterpret_cast<const unsigned char*>(csv.data()), csv.size());
    g_SkillData.LoadRows(table.m_vRows);
    C_FieldTaskInfo info;
    info.m_MapData.m_xSize = info.m_MapData.m_ySize = 16;
    info.m_MapData.m_byMapChip.assign(256, 0);
    PersonRecord a, b;
    a.nMP = b.nMP = 50;
    a.bFriend = a.bForward = 1;
    for (int k = 0; k < 12; ++k) a.skill[k] = k + 1;
    b.skill[0] = 1;
    const int own = info.m_UnitList.AddUnitAt(info.m_PersonList.AddPerson(a), 4, 4);
    const int foe = info.m_UnitList.AddUnitAt(info.m_PersonList.AddPerson(b), 6, 4);
    for (auto _ : state) {
        int32_t result = 0, row = 0;
        C_TaskSelectSkillMenu menu(&info, &result, own, 0, foe, &row, false);
        benchmark::DoNotOptimize(menu.m_nItemNum);
    }
}
BENCHMARK(BM_SkillListRows);

}  // namespace

BENCHMARK_MAIN();
