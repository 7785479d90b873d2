// The field's information tasks on the software device with the runnable folder's
// content: rendering the minimap picture of the 40 x 40 map (once per field), and one
// frame of the minimap window and of the information strip with a unit's plates.
#include <benchmark/benchmark.h>

#include <memory>

#include "Draw/gvlD3DObjectBase.h"
#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "framework/gvlDXAppBase.h"
#include "golden.h"
#include "info/TaskMiniInfo.h"
#include "info/TaskMiniMap.h"
#include "resources/GlobalResources.h"
#include "task/TaskController.h"

namespace {

struct Field {
    Field() : cd(VORMANT_GAME_DIR) {
        CreateD3DDevice(false, 640, 480);
        InitDrawObjects(g_pD3DDevice);
        SetFixedDeviceState(g_pD3DDevice);
        g_GlobalResources.Load();
        info = std::make_unique<C_FieldTaskInfo>();
        info->m_pTaskController = &tasks;
        info->m_pPartyData = &party;
        party.nMap = 2;
        info->m_MapData.LoadMapCsv(2);
        info->Reset();
        for (int i = 0; i < 24; ++i) {
            const int person = info->m_PersonList.AddPerson(PersonRecord::CreateFromType(i % 2 ? 10 : 20, 3, i % 2, i % 2, 1, 0));
            info->m_UnitList.AddUnitAt(person, (i * 7) % 40, (i * 11) % 40);
        }
        info->m_fCameraX = info->m_fCameraY = 20.0f;
    }
    ~Field() {
        while (tasks.GetTaskCount() > 0) tasks.KillTaskRange(-1000000, 1000000);
        info.reset();
        EndSpriteBatch();
        g_GlobalResources.Release();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
    }
    testsupport::ScopedCurrentDir cd;
    CPartyData party;
    C_TaskController tasks;
    std::unique_ptr<C_FieldTaskInfo> info;
};

void BM_RenderMinimapOf40x40Map(benchmark::State& state) {
    Field f;
    for (auto _ : state) {
        RenderMinimapBase(f.info->m_MapData);
        benchmark::DoNotOptimize(f.info->m_MapData.m_MiniMapBase.GetTexture());
    }
}
BENCHMARK(BM_RenderMinimapOf40x40Map)->Unit(benchmark::kMillisecond);

void BM_MiniMapAndStripFrame(benchmark::State& state) {
    Field f;
    RenderMinimapBase(f.info->m_MapData);
    g_bFieldCursorActive = true;
    f.tasks.AddTask(new C_TaskFieldMiniMap, 11);
    auto* strip = new C_TaskMiniInfo;
    f.tasks.AddTask(strip, 19);
    f.info->m_nHoverX = f.info->m_UnitList.GetX(0);
    f.info->m_nHoverY = f.info->m_UnitList.GetY(0);
    for (int i = 0; i < 30; ++i) f.tasks.Update(f.info.get());  // the plates have slid in
    for (auto _ : state) {
        f.tasks.Update(f.info.get());
        f.tasks.Draw(f.info.get());
        EndSpriteBatch();
    }
    g_bFieldCursorActive = false;
}
BENCHMARK(BM_MiniMapAndStripFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
