#pragma once
// The sortie preparation on the software device, in a folder that sees the runnable
// game's tables and pictures: a party, a field of three sortie positions and the
// field's task controller, driven frame by frame with the test's own pointer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "Draw/gvlD3DObjectBase.h"
#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "fake_input.h"
#include "framework/gvlDXAppBase.h"
#include "golden.h"
#include "resources/GlobalResources.h"
#include "resources/SheetDraw.h"
#include "save/ArchiveManager.h"
#include "sortie/LocateUnitCreatedTroop.h"
#include "sortie/LocateUnitLVUP.h"
#include "sortie/LocateUnitMainMenu.h"
#include "sortie/LocateUnitPrompts.h"
#include "sortie/LocateUnitSortie.h"
#include "sortie/LocateUnitSortiedList.h"
#include "sortie/SortieRules.h"
#include "sortie/TaskLocateUnit.h"
#include "task/TaskController.h"

class SortieTest : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        for (const auto& e : fs::directory_iterator(VORMANT_GAME_DIR)) {
            const std::string name = e.path().filename().string();
            if (name == "ErrorLog.txt" || name.rfind("Save", 0) == 0) continue;
            fs::create_symlink(e.path(), dir_.path() + name);
        }
        cd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
        ASSERT_EQ(CreateD3DDevice(false, 640, 480), S_OK);
        InitDrawObjects(g_pD3DDevice);
        SetFixedDeviceState(g_pD3DDevice);
        g_GlobalResources.Load();
        CArchiveManager::DestroyInstance();
        CPersonTypeTable::LoadCsv();

        party_.Reset();
        party_.nMap = 4;
        party_.nMoney = 1000;
        party_.toInterMission = true;
        party_.AddHero(1, 1);
        party_.AddHero(2, 1);
        party_.AddHero(3, 2);
        party_.AddHero(4, 3);
        info_ = std::make_unique<C_FieldTaskInfo>();
        info_->m_pTaskController = &tc_;
        info_->m_pPartyData = &party_;
        info_->SetInputManager(&in_);
        CMapData& map = info_->m_MapData;
        // The demo's 40 x 40 grid (chapter two's), so that a saved field holds together; the
        // mission counts as a fifth map, where the hub shows the cost line and the roster
        // and no tutorial of the preparation runs over it.
        ASSERT_TRUE(map.LoadMapCsv(2));
        map.num_map = 4;
        map.m_nMaxHero = 3;
        map.m_nMinHero = 1;
        map.m_nLocateCost = 1200;
        map.AddSortiePosition(1, 12);
        map.AddSortiePosition(2, 13);
        map.AddSortiePosition(3, 11);
        map.SetMissionName({"第三章", "峠の", "関所"});
        map.AddOperationMessage(0, {"勝利条件：敵将の撃破", "敗北条件：味方の全滅"});
        map.AddOperationMessage(1, {"峠の関所を守る敵は弓兵が多い。", "騎兵で一気に詰め寄ろう。"});
    }
    void TearDown() override {
        tc_.KillTaskRange(0, 1000);
        info_.reset();
        CArchiveManager::DestroyInstance();
        EndSpriteBatch();
        g_GlobalResources.Release();
        ReleaseSheetDrawObjects();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
        cd_.reset();
    }

    // The driver as the field scene starts it, run until its main menu is open.
    C_TaskLocateUnit* Start(bool loaded = false, int frames = 12) {
        driver_ = new C_TaskLocateUnit(info_.get(), loaded);
        tc_.AddTask(driver_, 201);
        Frames(frames);
        return driver_;
    }
    // One frame of the field: every task's update, then every draw; then the
    // pointer's presses end.
    void Frame() {
        tc_.Update(info_.get());
        EndSpriteBatch();
        g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        tc_.Draw(info_.get());
        EndSpriteBatch();
        in_.Step();
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) Frame();
    }
    void Move(int x, int y) {
        in_.Move(x, y);
        Frame();
    }
    // Points at (x, y) for a frame, then clicks there, then lets `after` frames pass.
    void Click(int x, int y, int after = 3) {
        Move(x, y);
        in_.ClickLeft();
        Frame();
        Frames(after);
    }
    void RightClick(int x, int y, int after = 3) {
        Move(x, y);
        in_.ClickRight();
        Frame();
        Frames(after);
    }
    // The middle of a shown row of a window.
    static void RowCentre(C_TaskLocateUnitMenuBase* m, int row, int* x, int* y) {
        const RECT& r = m->m_vItem.at(row).m_rcHit;
        *x = (r.left + r.right) / 2;
        *y = (r.top + r.bottom) / 2;
    }
    void ClickRow(C_TaskLocateUnitMenuBase* m, int row, int after = 3) {
        int x = 0, y = 0;
        RowCentre(m, row, &x, &y);
        Click(x, y, after);
    }
    template <class T>
    T* Find(int priority) {
        for (C_TaskBase* t : tc_.GetTasks())
            if (t->GetPriority() == priority)
                if (T* m = dynamic_cast<T*>(t)) return m;
        return nullptr;
    }
    ::testing::AssertionResult Matches(const std::string& name, int x = 0, int y = 0, int w = 640, int h = 480) {
        // Draw once more without advancing, and compare a region of the screen.
        EndSpriteBatch();
        g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        tc_.Draw(info_.get());
        EndSpriteBatch();
        const uint32_t* bb = g_pD3DDevice->BackBuffer();
        std::vector<uint32_t> part(size_t(w) * h);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) part[size_t(r) * w + c] = bb[size_t(y + r) * 640 + x + c];
        return testsupport::MatchesGolden("field/sortie/" + name, part.data(), w, h);
    }

    std::string Log() const {
        std::ifstream in(dir_.path() + "ErrorLog.txt", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
    FakeInput in_;
    CPartyData party_;
    C_TaskController tc_;
    std::unique_ptr<C_FieldTaskInfo> info_;
    C_TaskLocateUnit* driver_ = nullptr;
};
