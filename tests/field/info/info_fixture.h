#pragma once
// The field's information tasks on the software device, in a fresh folder that sees
// the runnable game's data (tables, chip sheets, the minimap icons, the system
// sheet), with a field state of map 1 (20 x 15) and the test's own input.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "Draw/gvlD3DObjectBase.h"
#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "PersonData.h"
#include "fake_input.h"
#include "framework/gvlDXAppBase.h"
#include "golden.h"
#include "resources/GlobalResources.h"
#include "resources/SheetDraw.h"
#include "task/TaskController.h"

// A task that does nothing: stands for the map cursor (priority 8) and others.
class IdleTask : public C_FieldTaskBase {
public:
    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo*) override {}
    void Draw(C_FieldTaskInfo*) override {}
};

// Stands for the map cursor: the program-wide cursor flag is set while it lives.
class CursorStandIn : public IdleTask {
public:
    CursorStandIn() { g_bFieldCursorActive = true; }
    ~CursorStandIn() override { g_bFieldCursorActive = false; }
};

class InfoTest : public ::testing::Test {
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
        CPersonTypeTable::LoadCsv();
        field_ = std::make_unique<C_FieldTaskInfo>();
        field_->m_pTaskController = &tasks_;
        field_->m_pPartyData = &party_;
        field_->SetInputManager(&in_);
        party_.nMap = 1;
        ASSERT_TRUE(field_->m_MapData.LoadMapCsv(1));
        field_->Reset();
        field_->m_bTutorialInput = false;
        field_->m_vbRangeCell.assign(size_t(field_->m_MapData.m_xSize) * field_->m_MapData.m_ySize, false);
    }
    void TearDown() override {
        while (tasks_.GetTaskCount() > 0) tasks_.KillTaskRange(-1000000, 1000000);
        field_.reset();
        CPersonTypeTable::Clear();
        EndSpriteBatch();
        g_GlobalResources.Release();
        ReleaseSheetDrawObjects();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
        cd_.reset();
    }

    // A unit of person types at (x, y); returns its index.
    int AddUnit(std::initializer_list<int> types, int x, int y, bool friendly) {
        int unit = -1;
        for (int type : types) {
            PersonRecord p = PersonRecord::CreateFromType(type, 3, friendly, friendly, unit < 0, 0);
            const int person = field_->m_PersonList.AddPerson(p);
            if (unit < 0) unit = field_->m_UnitList.AddUnitAt(person, x, y);
            else field_->m_UnitList.AddMember(unit, person);
        }
        return unit;
    }

    // One frame of the field: update then draw.
    void Frame() {
        tasks_.Update(field_.get());
        tasks_.Draw(field_.get());
        in_.Step();
    }
    void Clear(uint32_t color = 0xFF202830) {
        EndSpriteBatch();
        g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, color, 1.0f, 0);
    }
    ::testing::AssertionResult Matches(const std::string& name) {
        EndSpriteBatch();
        return testsupport::MatchesGolden("field/info/" + name, g_pD3DDevice->BackBuffer(), 640, 480);
    }
    uint32_t Pixel(int x, int y) const { return g_pD3DDevice->BackBuffer()[size_t(y) * 640 + x]; }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
    FakeInput in_;
    CPartyData party_;
    C_TaskController tasks_;
    std::unique_ptr<C_FieldTaskInfo> field_;
};
