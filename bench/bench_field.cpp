// One field frame on the 40 x 40 demo map with its 24 units: the ground, the
// scenery and units in depth order, a unit's move range, the cursor, the minimap
// and the information strip, drawn through the software device.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "game_copy.h"
#include "fake_input.h"
#include "Draw/gvlD3DObjectBase.h"
#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "framework/gvlDXAppBase.h"
#include "golden.h"
#include "input/gvlInputManager.h"
#include "map/TaskCursol.h"
#include "map/TaskDispRange.h"
#include "map/TaskDrawMap.h"
#include "resources/SheetDraw.h"
#include "table/gvlTableFile.h"
#include "task/TaskController.h"

namespace {

struct FieldFrame {
    FieldFrame() {
        cd = std::make_unique<testsupport::ScopedCurrentDir>(game.path());
        CreateD3DDevice(false, 640, 480);
        InitDrawObjects(g_pD3DDevice);
        SetFixedDeviceState(g_pD3DDevice);
        party.Reset();
        party.nMap = 2;
        info = std::make_unique<C_FieldTaskInfo>();
        info->m_pTaskController = &controller;
        info->m_pPartyData = &party;
        info->SetInputManager(&input);
        info->m_MapData.LoadMapCsv(2);
        info->Reset();
        info->ResetRangeCells();
        // The mission's units, as the preparation places them.
        CTableFile persons("map/map02_person.csv"), units("map/map02_unit.csv");
        for (int row = 1; row < units.GetRowCount(); ++row) {
            int unit = -1;
            for (int col = 0; col < 4; ++col) {
                const int p = units.GetInt(row, col);
                if (col > 0 && p == -1) break;
                PersonRecord person = PersonRecord::CreateFromMissionRow(persons, p + 1);
                person.bForward = col <= 1;
                const int index = info->m_PersonList.AddPerson(person);
                if (unit < 0) unit = info->m_UnitList.AddUnit(index);
                else info->m_UnitList.AddMember(unit, index);
            }
            info->m_UnitList.SetUnitPosition(unit, units.GetInt(row, 4), units.GetInt(row, 5));
        }
        // The view on the friendly troops, the first one's move range and the cursor.
        info->m_fCameraX = float(info->m_UnitList.GetX(0));
        info->m_fCameraY = float(info->m_UnitList.GetY(0));
        controller.AddTask(new C_TaskDrawMap(info.get()), 2);
        std::vector<FieldCell> move;
        info->CalcUnitMoveArea(0, move, 0);
        controller.AddTask(new C_TaskDispRange(0, move, info.get()), 3);
        controller.AddTask(new C_TaskCursol(&result, info.get()), 8);
        unitCount = info->m_UnitList.GetCount();
        rangeCells = int(move.size());
    }
    ~FieldFrame() {
        controller.KillTaskRange(-1000, 100000);
        info.reset();
        EndSpriteBatch();
        ReleaseSheetDrawObjects();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
    }
    void Frame() {
        controller.Update(info.get());
        EndSpriteBatch();
        g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        controller.Draw(info.get());
        EndSpriteBatch();
    }

    testsupport::GameCopy game;  // the runnable folder, linked
    std::unique_ptr<testsupport::ScopedCurrentDir> cd;
    CPartyData party;
    FakeInput input = FakeInput::At(300, 250);
    C_TaskController controller;
    std::unique_ptr<C_FieldTaskInfo> info;
    int32_t result = 0;
    int unitCount = 0;
    int rangeCells = 0;
};

void BM_FieldFrame40x40(benchmark::State& state) {
    FieldFrame f;
    for (auto _ : state) f.Frame();
    state.counters["units"] = f.unitCount;
    state.counters["range_cells"] = f.rangeCells;
}
BENCHMARK(BM_FieldFrame40x40)->Unit(benchmark::kMillisecond);

// The same frame without the minimap and the information strip: the map layers,
// the range and the cursor alone.
void BM_FieldMapLayers40x40(benchmark::State& state) {
    FieldFrame f;
    f.controller.KillTask(11);
    f.controller.KillTask(19);
    for (auto _ : state) f.Frame();
    state.counters["units"] = f.unitCount;
}
BENCHMARK(BM_FieldMapLayers40x40)->Unit(benchmark::kMillisecond);

// The idle field as the game shows it, frame after frame presented: the device draws
// again only what changed since the frame before (the cursor's pulse).
void BM_FieldIdlePresented40x40(benchmark::State& state) {
    FieldFrame f;
    for (auto _ : state) {
        f.Frame();
        g_pD3DDevice->Present();
    }
}
BENCHMARK(BM_FieldIdlePresented40x40)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
