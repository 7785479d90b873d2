// Pictures of the field drawn on the software device: the ground and the scenery of
// map 0, units in depth order with their bases, state icons, HP digits in their
// three colours and row marks, a move range, a cannon area and the cursor; then a
// walking unit at the screen centre over the sortie markers of the preparation; the
// ranges of an enemy unit and an enemy's highlight on the pixel of its cell.
#include <gtest/gtest.h>

#include <vector>

#include "../field_test_util.h"
#include "Draw/gvlD3DObjectBase.h"
#include "framework/gvlDXAppBase.h"
#include "map/TaskCursol.h"
#include "map/TaskDispRange.h"
#include "map/TaskDrawMap.h"
#include "resources/GlobalResources.h"
#include "resources/SheetDraw.h"
#include "turn/TaskEnemy.h"
#include "turn/TaskMoveUnit.h"

namespace {

using fieldtest::Field;
using fieldtest::GameFolder;

class FieldDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CreateD3DDevice(false, 640, 480), S_OK);
        InitDrawObjects(g_pD3DDevice);
        SetFixedDeviceState(g_pD3DDevice);  // as the game sets the device up
        f = std::make_unique<Field>();
        ASSERT_TRUE(f->info.m_MapData.LoadMapCsv(0));
        f->info.Reset();  // loads both sheets (the device exists)
        f->info.ResetRangeCells();
        ASSERT_NE(f->info.m_UpperChipTexture.GetTexture()->GetTexture(), nullptr);
    }
    void TearDown() override {
        f.reset();
        EndSpriteBatch();
        ReleaseSheetDrawObjects();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
    }
    // The map's own tasks without the panels of other helpers (minimap, strip).
    void AddMap() {
        f->controller.AddTask(new C_TaskDrawMap(&f->info), 2);
        f->controller.KillTask(11);
    }
    void Frame() {
        f->controller.Update(&f->info);
        f->controller.KillTask(19);
        EndSpriteBatch();
        g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        f->controller.Draw(&f->info);
        EndSpriteBatch();
        f->input.Step();
    }
    // The part (x, y, w, h) of the frame.
    std::vector<uint32_t> Crop(int x, int y, int w, int h) const {
        std::vector<uint32_t> out(size_t(w) * h);
        const uint32_t* back = g_pD3DDevice->BackBuffer();
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) out[size_t(r) * w + c] = back[size_t(y + r) * 640 + x + c];
        return out;
    }

    GameFolder folder;
    // What a cursor answers: kept by the fixture, since the cursor lives until TearDown.
    int32_t cursorResult = 0;
    std::unique_ptr<Field> f;
};

TEST_F(FieldDrawTest, UnitsInDepthOrderWithRangesAndTheCursor) {
    C_FieldTaskInfo& info = f->info;
    // A full friendly troop: members at 40 %, 25 % and full HP.
    const int troop = f->AddUnit(5, 7, true, {10, 12, 11, 15});
    info.m_UnitList.GetMemberPerson(troop, 1).nHP = info.m_UnitList.GetMemberPerson(troop, 1).nMaxHP * 2 / 5;
    info.m_UnitList.GetMemberPerson(troop, 2).nHP = info.m_UnitList.GetMemberPerson(troop, 2).nMaxHP / 4;
    info.m_UnitList.GetMemberPerson(troop, 3).nHP = 105;
    const int hero = f->AddUnit(6, 9, true, {1, 2});  // in front of the troop
    info.m_UnitList.SetActEndAndMoveEnd(hero, 1);       // acted: grey base and the acted icon
    const int enemy = f->AddUnit(8, 6, false, {20, 21, 23});
    info.m_UnitList.SetMoveEnd(enemy, 1);                // moved only
    f->AddUnit(6, 6, false, {24});                       // the bushes of (7, 7) stand in front: see-through
    f->AddUnit(3, 6, false, {22});
    info.m_fCameraX = 5.5f;
    info.m_fCameraY = 7.0f;
    AddMap();
    std::vector<FieldCell> move;
    info.CalcUnitMoveArea(troop, move, 0);
    ASSERT_FALSE(move.empty());
    f->controller.AddTask(new C_TaskDispRange(0, move, &info), 3);
    auto* cannon = new C_TaskDispCannonRange(1, 1, 0);
    f->controller.AddTask(cannon, 4);
    f->controller.AddTask(new C_TaskCursol(&cursorResult, &info), 8);
    f->input.Move(info.GetScreenX(9, 7), info.GetScreenY(9, 7) + 28);
    for (int i = 0; i < 3; ++i) Frame();
    EXPECT_EQ(info.m_nHoverX, 9);
    EXPECT_EQ(info.m_nHoverY, 7);
    EXPECT_EQ(cannon->m_vArea.size(), 5u);
    std::vector<uint32_t> part = Crop(80, 60, 480, 360);
    EXPECT_TRUE(testsupport::MatchesGolden("field/draw/units_ranges_cursor", part.data(), 480, 360));
}

TEST_F(FieldDrawTest, AWalkingUnitAtTheCentreOverTheSortieMarkers) {
    C_FieldTaskInfo& info = f->info;
    info.IsInterMission = true;
    info.m_MapData.AddSortiePosition(2, 9);
    info.m_MapData.AddSortiePosition(3, 10);
    info.m_MapData.AddSortiePosition(1, 8);
    const int walker = f->AddUnit(2, 7, true, {1, 10});
    f->AddUnit(3, 8, false, {20});
    info.m_nMovingUnit = walker;
    info.m_vMovePath = {{2, 7}, {2, 8}, {3, 8}};
    AddMap();
    for (int i = 0; i < 7; ++i) Frame();  // half way into the step: camera at (2, 7.5)
    EXPECT_FLOAT_EQ(info.m_fCameraX, 2.0f);
    EXPECT_NEAR(info.m_fCameraY, 7.5f, 1e-5);
    std::vector<uint32_t> part = Crop(120, 100, 400, 300);
    EXPECT_TRUE(testsupport::MatchesGolden("field/draw/walking_unit_sortie", part.data(), 400, 300));
}

TEST_F(FieldDrawTest, EveryUnitIsDrawnOnceEvenTwoOnOneCellOrOneOffTheMap) {
    C_FieldTaskInfo& info = f->info;
    info.m_fCameraX = 6;
    info.m_fCameraY = 6;
    f->AddUnit(5, 5, true, {10});
    f->AddUnit(6, 6, true, {11});
    f->AddUnit(6, 6, true, {12});   // a split unit shares its cell for a moment
    f->AddUnit(-3, 2, false, {20});  // off the map: never met by the pass
    f->AddUnit(8, 7, false, {21});   // in front of all the others
    auto* upper = new C_TaskDrawMap_Upper();
    f->controller.AddTask(upper, 10);
    Frame();
    // The pulse advances once per unit drawn: the four units on the map.
    EXPECT_EQ(upper->m_nPulse, 4);
}

TEST_F(FieldDrawTest, AnEnemysRangesOnePerClick) {
    C_FieldTaskInfo& info = f->info;
    info.m_AI.m_bDetected = false;
    const int enemy = f->AddUnit(6, 6, false, {20, 21, 23});
    f->AddUnit(5, 8, true, {10});
    info.m_fCameraX = info.m_fCameraY = 6.0f;
    AddMap();
    f->controller.AddTask(new C_TaskDispMoveRange(&info, enemy), 26);
    f->input.Move(info.GetScreenX(7, 6), info.GetScreenY(7, 6) + 28);
    for (int i = 0; i < 3; ++i) Frame();
    // The move area, the cursor and the members' names.
    std::vector<uint32_t> part = Crop(0, 140, 480, 320);
    EXPECT_TRUE(testsupport::MatchesGolden("field/draw/enemy_move_range", part.data(), 480, 320));
    f->input.rightPush = true;
    Frame();
    Frame();
    // The attack area.
    part = Crop(160, 140, 320, 220);
    EXPECT_TRUE(testsupport::MatchesGolden("field/draw/enemy_attack_range", part.data(), 320, 220));
}

TEST_F(FieldDrawTest, AnEnemysHighlightLandsOnThePixelTheMapGivesItsCell) {
    C_FieldTaskInfo& info = f->info;
    const int enemy = f->AddUnit(8, 0, false, {20});
    uint8_t done = 0;
    const bool all[4] = {true, true, true, true};
    C_TaskMoveEnemy move(&done, enemy, 8, 0, all, &info);
    f->controller.KillTask(3);
    // A camera between cells (the minimap glides it) where single precision would
    // put the cell one pixel to the right.
    info.m_fCameraX = 8.59713459f;
    info.m_fCameraY = 4.90070534f;
    const auto picture = [&](auto draw) {
        EndSpriteBatch();
        g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        draw();
        EndSpriteBatch();
        return Crop(0, 0, 640, 480);
    };
    const std::vector<uint32_t> highlight = picture([&] { move.Draw(&info); });
    const std::vector<uint32_t> cell = picture([&] {
        DrawCellHighlight(info.m_UpperChipTexture.GetTexture(), 0, info.GetScreenX(8, 0) - 56, info.GetScreenY(8, 0),
                          255);
    });
    EXPECT_NE(std::count(highlight.begin(), highlight.end(), 0xFF000000u), 640 * 480);
    EXPECT_TRUE(highlight == cell);
}

}  // namespace
