// Saving and loading a field in play: 60 persons in 20 units on a 40 x 40 map,
// as a record archive and through a slot file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "archive/gvlStringMap.h"
#include "save/ArchiveManager.h"

namespace {

// A folder of its own with the two map tables, so nothing is logged.
void EnterBenchFolder() {
    static bool entered = false;
    if (entered) return;
    entered = true;
    auto dir = std::filesystem::temp_directory_path() / "vormant_bench_save";
    std::filesystem::create_directories(dir / "map");
    std::ofstream(dir / "map" / "map_chip.csv", std::ios::binary) << "chip,type,under,upper\r\n0,0,0,0\r\n1,1,2,1\r\n";
    std::ofstream(dir / "map" / "field_data.csv", std::ios::binary)
        << "id,name,height,i_cost,i_d_guard,i_i_guard,c_cost,c_d_guard,c_i_guard\r\n"
           "0,plain,0,1,0,0,1,0,0\r\n1,forest,1,2,20,10,3,10,5\r\n";
    std::filesystem::current_path(dir);
    CPersonTypeTable::Clear();
    std::vector<std::vector<std::string>> rows = {{"typeID", "name", "hero", "HP", "HPUP", "MP", "str", "strUP", "move"}};
    for (int t = 1; t <= 12; ++t)
        rows.push_back({std::to_string(t), "type" + std::to_string(t), t <= 3 ? "1" : "0", "30", "2.5", "8", "9",
                        "1.25", "5"});
    CPersonTypeTable::LoadRows(rows);
}

void Fill(C_FieldTaskInfo& f) {
    f.m_MapData.m_xSize = 40;
    f.m_MapData.m_ySize = 40;
    f.m_MapData.m_byMapChip.assign(1600, 0);
    for (int i = 0; i < 1600; i += 7) f.m_MapData.m_byMapChip[i] = 1;
    for (int i = 0; i < 60; ++i) {
        f.m_PersonList.AddPerson(PersonRecord::CreateFromType(1 + i % 12, 1 + i % 20, i < 24, i < 24, i % 2, 0));
        f.m_PersonList.m_vPerson.back().dStr = 1.2345 + i;
    }
    for (int u = 0; u < 20; ++u) {
        int unit = f.m_UnitList.AddUnitAt(u * 3, u % 40, u / 2);
        f.m_UnitList.AddMember(unit, u * 3 + 1);
        f.m_UnitList.AddMember(unit, u * 3 + 2);
    }
    for (int s = 0; s < 6; ++s) f.m_MapData.AddSortiePosition(s, 39);
    f.m_MapData.AddOperationMessage(1, {"敵将を倒せ", "味方の全滅で敗北"});
    f.m_MapData.AddAnabasisRoute({5, 5, 10, 10, 20, 20, 30, 30});
    for (int t = 0; t < 4; ++t) {
        AITroop troop;
        for (int m = 0; m < 9; ++m) troop.MemberID.push_back(1025 + t * 9 + m);
        troop.HealerID.push_back(1025 + t * 9);
        troop.MoveList.push_back(AIMovePoint{10, 10, 0});
        f.m_AI.m_vTroop.push_back(troop);
    }
    f.m_nTurn = 7;
    for (int i = 0; i < 200; i += 3) f.EventHandlerFlag[i] = true;
}

void BM_FieldStateSave(benchmark::State& state) {
    EnterBenchFolder();
    C_FieldTaskInfo f;
    Fill(f);
    for (auto _ : state) {
        CStringMap a = f.Save();
        benchmark::DoNotOptimize(a.GetMap().size());
    }
}
BENCHMARK(BM_FieldStateSave)->Unit(benchmark::kMicrosecond);

void BM_FieldStateLoad(benchmark::State& state) {
    EnterBenchFolder();
    C_FieldTaskInfo f;
    Fill(f);
    CStringMap a = f.Save();
    C_FieldTaskInfo g;
    for (auto _ : state) {
        g.m_AI.m_vTroop.clear();
        g.Load(a);
        benchmark::DoNotOptimize(g.m_PersonList.GetCount());
    }
}
BENCHMARK(BM_FieldStateLoad)->Unit(benchmark::kMicrosecond);

// The whole field save of the menu: party and field record into slot 0 with the
// index, then the title's load and the field's restore.
void BM_FieldSaveSlotRoundTrip(benchmark::State& state) {
    EnterBenchFolder();
    C_FieldTaskInfo f;
    Fill(f);
    CPartyData party;
    party.nMap = 3;
    for (int h = 0; h < 8; ++h) party.AddHero(1 + h, 5 + h);
    CArchiveManager& m = *CArchiveManager::GetInstance();
    size_t bytes = 0;
    for (auto _ : state) {
        m.ClearArchives();
        m.ClearCurrentArchive();
        m.SetArchive(PartyDataKey, party.Save());
        m.SetArchive(FieldTaskInfoKey, f.Save());
        m.SetString(SaveFileChapterKey, "3");
        m.SetString(SaveFileDiffKey, "2");
        m.SetString(SaveFileTypeKey, FieldSave);
        m.Save(0);
        m.Load(0);
        C_FieldTaskInfo g;
        g.RestoreFromArchiveManager(m);
        benchmark::DoNotOptimize(g.m_UnitList.GetCount());
    }
    bytes = std::filesystem::file_size("Save0.dat");
    state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_FieldSaveSlotRoundTrip)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
