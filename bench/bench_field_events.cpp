// Field events: locating an event among 200 sections whose tests all fail (the worst
// raise on a 40 x 40 field with 48 units), the free-cell search on a crowded map (all
// 151 probes), and one frame of a running field event.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "FieldEvent.h"
#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "PersonData.h"
#include "ScenarioScript.h"
#include "golden.h"

namespace {

struct BenchField {
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cd{dir.path()};
    CPartyData party;
    std::unique_ptr<C_FieldTaskInfo> field;

    BenchField() {
        std::filesystem::create_directories(dir.path() + "map");
        std::ofstream(dir.path() + "map/map_chip.csv") << "chip,type,under,upper\r\n0,0,0,0\r\n1,1,1,0\r\n";
        std::ofstream(dir.path() + "map/field_data.csv")
            << "id,name,height,i_cost,i_d_guard,i_i_guard,c_cost,c_d_guard,c_i_guard\r\n"
               "0,a,0,1,0,0,1,0,0\r\n1,b,4,99,0,0,99,0,0\r\n";
        CPersonTypeTable::Clear();
        CPersonTypeTable::LoadRows({{"typeID", "name", "hero", "HP"}, {"1", "a", "1", "30"}, {"10", "b", "0", "20"}});
        field = std::make_unique<C_FieldTaskInfo>();
        field->m_pPartyData = &party;
        field->m_MapData.m_xSize = field->m_MapData.m_ySize = 40;
        field->m_MapData.m_byMapChip.assign(1600, 0);
        field->Reset();
        for (int i = 0; i < 48; ++i) {
            const int p = field->m_PersonList.AddPerson(PersonRecord::CreateFromType(i % 2 ? 1 : 10, 1, i % 2, i % 2, 1, 0));
            field->m_UnitList.AddUnitAt(p, (i * 7) % 40, (i * 13) % 40);
        }
    }
};

void BM_LocateAmong200FailingSections(benchmark::State& state) {
    BenchField f;
    std::string text;
    for (int i = 0; i < 200; ++i) text += "Script UnitPosition(-1,0,0,0,0)\r\nPlusMoney(1)\r\nend\r\n";
    C_ScenarioScript s;
    s.Parse(text, "bench.txt");
    for (auto _ : state) benchmark::DoNotOptimize(s.UpdateFieldEvent("UnitPosition", f.field.get()));
}
BENCHMARK(BM_LocateAmong200FailingSections);

void BM_FindFreeCellsCrowded(benchmark::State& state) {
    BenchField f;
    // Walls everywhere near (20, 20): every one of the 151 probes is made.
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 30; ++x) f.field->m_MapData.m_byMapChip[x + 40 * y] = 1;
    for (auto _ : state) benchmark::DoNotOptimize(FindFreeCells(20, 20, 4, *f.field).size());
}
BENCHMARK(BM_FindFreeCellsCrowded);

void BM_FieldEventFrame(benchmark::State& state) {
    BenchField f;
    C_ScenarioScript s;
    s.Parse("Script Detected()\r\nMapViewMove(30,30)\r\nWait(2000000000)\r\nend\r\n", "bench.txt");
    for (auto _ : state) {
        s.UpdateFieldEvent("Detected", f.field.get());
        s.DrawFieldEvent("Detected", f.field.get());
    }
}
BENCHMARK(BM_FieldEventFrame);

}  // namespace

BENCHMARK_MAIN();
