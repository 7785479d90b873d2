// Enemy phase with its tasks: one whole phase on the largest demo map (map 02,
// 40 x 40), the AI choosing every action and the move, charge and act tasks playing
// them frame by frame (updates only; nothing is drawn, the walk along a path is
// taken as done at once).  Reported: frames and actions of the phase.  The AI's map
// of open areas alone on open maps of growing size.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "SkillData.h"
#include "golden.h"
#include "random/gvlRand.h"
#include "table/gvlTableFile.h"
#include "task/TaskController.h"
#include "turn/TaskEnemy.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMap = 2;

struct GameDir {
    GameDir() {
        for (const auto& e : fs::directory_iterator(VORMANT_GAME_DIR)) {
            const std::string name = e.path().filename().string();
            if (name == "ErrorLog.txt" || name.rfind("Save", 0) == 0) continue;
            fs::create_symlink(e.path(), dir.path() + name);
        }
        cd = std::make_unique<testsupport::ScopedCurrentDir>(dir.path());
        g_SkillData.Load();
        CPersonTypeTable::LoadCsv();
    }
    ~GameDir() { cd.reset(); }
    testsupport::TempDir dir;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd;
};

// The mission's units from the map's person and unit tables.
bool PlaceUnits(C_FieldTaskInfo& info) {
    CTableFile persons, units;
    if (!persons.Load("map/map02_person.csv") || !units.Load("map/map02_unit.csv")) return false;
    for (int row = 1; row < units.GetRowCount(); ++row) {
        int unit = -1;
        for (int col = 0; col < 4; ++col) {
            const int p = units.GetInt(row, col);
            if (p < 0 || p + 1 >= persons.GetRowCount()) continue;
            PersonRecord person = PersonRecord::CreateFromMissionRow(persons, p + 1);
            person.bForward = col <= 1 ? 1 : 0;
            const int index = info.m_PersonList.AddPerson(person);
            if (unit < 0) unit = info.m_UnitList.AddUnit(index);
            else info.m_UnitList.AddMember(unit, index);
        }
        if (unit >= 0) info.m_UnitList.SetUnitPosition(unit, units.GetInt(row, 4), units.GetInt(row, 5));
    }
    return info.m_UnitList.GetCount() > 0;
}

struct Field {
    Field() {
        party.nMap = kMap;
        info.m_pPartyData = &party;
        info.m_pTaskController = &controller;
        ok = info.m_MapData.LoadMapCsv(kMap);
        info.Reset();
        info.IsInterMission = false;
        info.m_vbRangeCell.assign((size_t)info.m_MapData.m_xSize * info.m_MapData.m_ySize, false);
        ok = ok && PlaceUnits(info);
        info.m_nTurn = 1;
        info.m_bPlayerPhase = false;
    }
    ~Field() { controller.KillTaskRange(-100000, 100000); }

    // The whole phase; returns its frames.
    int RunPhase(int* actions) {
        auto* driver = new C_TaskOperateEnemy(&info);
        controller.AddTask(driver, 105);
        int frames = 0;
        for (; frames < 200000; ++frames) {
            *actions = driver->m_nActions;
            controller.Update(&info);
            info.m_vMovePath.clear();
            if (!controller.HasTask(105)) break;
        }
        return frames + 1;
    }

    CPartyData party;
    C_TaskController controller;
    C_FieldTaskInfo info;
    bool ok = false;
};

void BM_EnemyPhaseMap02(benchmark::State& state) {
    GameDir game;
    int frames = 0, actions = 0, units = 0;
    for (auto _ : state) {
        state.PauseTiming();
        g_Rand.SetSeed(20240601);
        auto field = std::make_unique<Field>();
        if (!field->ok) {
            state.SkipWithError("map 02 and its unit tables are missing");
            return;
        }
        units = field->info.m_UnitList.GetCount();
        state.ResumeTiming();
        frames = field->RunPhase(&actions);
        state.PauseTiming();
        field.reset();
        state.ResumeTiming();
    }
    state.counters["frames"] = frames;
    state.counters["actions"] = actions;
    state.counters["units"] = units;
}
BENCHMARK(BM_EnemyPhaseMap02)->Unit(benchmark::kMillisecond);

// A sea chip of the demo's chip table (no unit passes it).
constexpr uint8_t kSeaChip = 8;

// An open grass map of w x h cells (map 02's own chips and tables stand beside it).
void OpenMap(Field& field, int w, int h) {
    CMapData& map = field.info.m_MapData;
    map.m_xSize = w;
    map.m_ySize = h;
    map.m_byMapChip.assign(size_t(w) * h, 0);
    field.info.m_vbRangeCell.assign(size_t(w) * h, false);
}

// The AI's map of open areas, built once a field at its first enemy phase, on an open
// map of n x n cells with one wall across it: its cost grows with the cube of n.
void BM_EnemyAreaMapOpenMap(benchmark::State& state) {
    GameDir game;
    const int n = int(state.range(0));
    auto field = std::make_unique<Field>();
    OpenMap(*field, n, n);
    CMapData& map = field->info.m_MapData;
    for (int x = 0; x < n - 1; ++x) map.m_byMapChip[size_t(n / 2) * n + x] = kSeaChip;
    for (auto _ : state) field->info.m_AI.BuildAreaMap(field->info);
}
BENCHMARK(BM_EnemyAreaMapOpenMap)->Arg(40)->Arg(100)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
