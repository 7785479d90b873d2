// The sortie preparation on the software device: one frame of the hub, one frame
// with the placement step, its card list and the formation list open, and one
// rebuild of the card grid (texts rendered into the list's picture).
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
#include "resources/GlobalResources.h"
#include "resources/SheetDraw.h"
#include "sortie/LocateUnitCreatedTroop.h"
#include "sortie/LocateUnitMainMenu.h"
#include "sortie/LocateUnitSortie.h"
#include "sortie/LocateUnitSortiedList.h"
#include "sortie/TaskLocateUnit.h"
#include "task/TaskController.h"

namespace {

struct Preparation {
    Preparation() {
        cd = std::make_unique<testsupport::ScopedCurrentDir>(game.path());
        CreateD3DDevice(false, 640, 480);
        InitDrawObjects(g_pD3DDevice);
        SetFixedDeviceState(g_pD3DDevice);
        g_GlobalResources.Load();
        CPersonTypeTable::LoadCsv();
        party.Reset();
        party.nMap = 3;
        party.nMoney = 2000;
        party.toInterMission = true;
        for (int id = 1; id <= 4; ++id) party.AddHero(id, id);
        info = std::make_unique<C_FieldTaskInfo>();
        info->m_pTaskController = &controller;
        info->m_pPartyData = &party;
        info->SetInputManager(&input);
        // The demo's 40 x 40 grid, drawn as a third map's (with the cost line and the roster).
        info->m_MapData.LoadMapCsv(2);
        info->m_MapData.num_map = 3;
        info->m_MapData.m_nLocateCost = 1000;
        for (int i = 0; i < 3; ++i) info->m_MapData.AddSortiePosition(7, 20 + 3 * i);
        SortieTroopEntry t;
        t.nTypeID = {10, 11, 12, 10};
        t.nLV = {1, 1, 1, 1};
        t.bForward = {true, true, false, false};
        for (int i = 0; i < 5; ++i) info->m_MapData.m_vnSortiePos[0].m_vTroop.push_back(t);
        info->m_MapData.AddOperationMessage(0, {"勝利条件：敵の全滅", "敗北条件：味方の全滅"});
        controller.AddTask(new C_TaskLocateUnit(info.get(), true), 201);
        Frames(15);
    }
    ~Preparation() {
        controller.KillTaskRange(0, 1000);
        info.reset();
        EndSpriteBatch();
        g_GlobalResources.Release();
        ReleaseSheetDrawObjects();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            controller.Update(info.get());
            EndSpriteBatch();
            g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
            controller.Draw(info.get());
            EndSpriteBatch();
        }
    }
    // The placement step with the first position's cards and the formation list.
    C_TaskLocateUnitSortiedList2* OpenPlacement() {
        C_TaskLocateUnitMainMenu* hub = nullptr;
        for (C_TaskBase* t : controller.GetTasks())
            if (auto* m = dynamic_cast<C_TaskLocateUnitMainMenu*>(t)) hub = m;
        auto* sortie = new C_TaskLocateUnitSortie(info.get(), hub->m_pLocateUnit);
        sortie->OpenChild(hub);
        controller.AddTask(sortie, 206);
        Frames(16);
        sortie->m_pSortiedList->OpenChild(sortie);
        Frames(12);
        sortie->m_pTroopList->OpenChild(sortie->m_pSortiedList);
        sortie->m_pTroopList->m_bVisible = true;
        Frames(12);
        return sortie->m_pSortiedList;
    }

    testsupport::GameCopy game;  // the runnable folder, linked
    std::unique_ptr<testsupport::ScopedCurrentDir> cd;
    FakeInput input = FakeInput::At(270, 213);
    CPartyData party;
    C_TaskController controller;
    std::unique_ptr<C_FieldTaskInfo> info;
};

void BM_HubFrame(benchmark::State& state) {
    Preparation p;
    for (auto _ : state) p.Frames(1);
}
BENCHMARK(BM_HubFrame)->Unit(benchmark::kMicrosecond);

void BM_PlacementFrame(benchmark::State& state) {
    Preparation p;
    p.OpenPlacement();
    for (auto _ : state) p.Frames(1);
}
BENCHMARK(BM_PlacementFrame)->Unit(benchmark::kMicrosecond);

void BM_CardGridRebuild(benchmark::State& state) {
    Preparation p;
    C_TaskLocateUnitSortiedList2* list = p.OpenPlacement();
    for (auto _ : state) {
        list->BuildCards(p.info.get());
        EndSpriteBatch();
    }
}
BENCHMARK(BM_CardGridRebuild)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
