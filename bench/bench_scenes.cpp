// Scenes of the shell on the software device, run in a copy of the runnable folder:
// the whole preload of the loading scene, and one frame of the slot screen, the
// title menu and the staff roll.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "Draw/gvlD3DObjectBase.h"
#include "PartyData.h"
#include "golden.h"
#include "input/gvlInputManager.h"
#include "preload/GlobalPreloadData.h"
#include "resources/GlobalResources.h"
#include "resources/SheetDraw.h"
#include "save/ArchiveManager.h"
#include "scene/EndingScene.h"
#include "scene/SaveScene.h"
#include "task/TaskController.h"
#include "title/TitleTasks.h"

namespace {

namespace fs = std::filesystem;

struct Game {
    Game() {
        for (const auto& e : fs::directory_iterator(VORMANT_GAME_DIR)) {
            const std::string name = e.path().filename().string();
            if (name == "ErrorLog.txt" || name.rfind("Save", 0) == 0) continue;
            fs::create_symlink(e.path(), dir.path() + name);
        }
        cd = std::make_unique<testsupport::ScopedCurrentDir>(dir.path());
        CreateD3DDevice(false, 640, 480);
        InitDrawObjects(g_pD3DDevice);
        gfx::Device* d = g_pD3DDevice;
        d->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
        d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
        d->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
        d->SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_DIFFUSE);
        g_GlobalResources.Load();
    }
    ~Game() {
        CArchiveManager::DestroyInstance();
        g_GlobalPreloadData.Release();
        EndSpriteBatch();
        g_GlobalResources.Release();
        ReleaseSheetDrawObjects();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
        cd.reset();
    }
    testsupport::TempDir dir;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd;
};

void BM_PreloadTenSteps(benchmark::State& state) {
    Game game;
    for (auto _ : state) {
        for (int step = 0; step < CGlobalPreloadData::kSteps; ++step) g_GlobalPreloadData.Load(step);
        benchmark::DoNotOptimize(g_GlobalPreloadData.GetBlock());
        g_GlobalPreloadData.Release();
    }
}
BENCHMARK(BM_PreloadTenSteps)->Unit(benchmark::kMillisecond);

void BM_SlotScreenFrame(benchmark::State& state) {
    Game game;
    CPartyData party;
    party.Reset();
    C_SaveScene scene(&party);
    for (int slot : {0, 2, 5}) scene.SaveToSlot(slot);
    scene.GetArchiveWindow().m_bRefresh = true;
    scene.Draw();  // the rows are built once
    for (auto _ : state) {
        scene.Update();
        scene.Draw();
        EndSpriteBatch();
    }
}
BENCHMARK(BM_SlotScreenFrame)->Unit(benchmark::kMicrosecond);

void BM_TitleMenuFrame(benchmark::State& state) {
    Game game;
    C_TaskController controller;
    C_TitleSceneInfo info;
    info.pTaskController = &controller;
    info.pInputManager = g_pInputManager;
    info.nExitCode = kTitleExitNone;
    controller.AddTask(new C_TaskTitleMenu, kPriorityTitleMenu);
    for (auto _ : state) {
        controller.Draw(static_cast<C_TitleTaskInfo*>(&info));
        EndSpriteBatch();
    }
}
BENCHMARK(BM_TitleMenuFrame)->Unit(benchmark::kMicrosecond);

void BM_StaffRollFrame(benchmark::State& state) {
    Game game;
    CPartyData party;
    std::unique_ptr<C_EndingScene> scene = std::make_unique<C_EndingScene>(&party);
    for (int i = 0; i < 400; ++i) scene->Draw();  // several entries on screen
    int frames = 0;
    for (auto _ : state) {
        scene->Draw();
        EndSpriteBatch();
        if (++frames == 600) {  // start over before the roll runs out
            state.PauseTiming();
            scene = std::make_unique<C_EndingScene>(&party);
            for (int i = 0; i < 400; ++i) scene->Draw();
            frames = 0;
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_StaffRollFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
