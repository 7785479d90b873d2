// The menus as the player sees them, drawn on the software device over a plain
// field state with the game's own pictures: one golden image per menu, cropped to
// the menu.  VORMANT_MENU_DUMP=folder writes the pictures there instead of comparing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "../field_test_util.h"
#include "../menus/menu_fixture.h"
#include "Draw/gvlD3DObjectBase.h"
#include "framework/gvlDXAppBase.h"
#include "golden.h"
#include "menu/ConfBattleMenu.h"
#include "menu/DispStatus.h"
#include "menu/MoveUnitMenu.h"
#include "menu/OperateUnitMenu.h"
#include "menu/SelectSkillMenu.h"
#include "menu/TaskFieldMenu.h"
#include "resources/GlobalResources.h"
#include "resources/SheetDraw.h"

namespace {

class MenuPictures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CreateD3DDevice(false, 640, 480), S_OK);
        InitDrawObjects(g_pD3DDevice);
        SetFixedDeviceState(g_pD3DDevice);
        g_GlobalResources.Load();
        menutest::LoadMenuSkills();
        fld = std::make_unique<fieldtest::Field>();
        C_FieldTaskInfo& info = fld->info;
        info.Reset();
        fieldtest::SetGrid(info, 10, 10, 0);
        info.m_MapData.SetMapChip(5, 4, 4);  // a forest cell
        info.m_MapData.SetMapChip(6, 4, 12);
        own = Squad(4, 4, true, {{"リーナ", "リ", 1, {1, 6, 8}}, {"ガルド", "ガ", 0, {1, 2}}, {"ミア", "ミ", 0, {2, 3, 4}}}, 2);
        enemy = Squad(5, 4, false, {{"盗賊頭", "頭", 0, {1}}, {"盗賊", "盗", 0, {1}}, {"弓兵", "弓", 0, {2}}}, 2);
    }
    void TearDown() override {
        fld.reset();
        EndSpriteBatch();
        g_GlobalResources.Release();
        ReleaseSheetDrawObjects();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
    }

    struct Who {
        const char* name;
        const char* shortName;
        int hero;
        std::vector<int> skills;
    };
    int Squad(int x, int y, bool friendly, const std::vector<Who>& members, int front) {
        int unit = -1;
        int k = 0;
        for (const Who& w : members) {
            PersonRecord p;
            p.name = w.name;
            p.s_name = w.shortName;
            p.hero = (uint8_t)w.hero;
            p.bFriend = p.bOperate = friendly ? 1 : 0;
            p.bForward = k < front ? 1 : 0;
            p.nLevel = 5 + k;
            p.nMaxHP = 60 + 7 * k;
            p.nHP = p.nMaxHP - 9 * k;
            p.nMaxMP = 30;
            p.nMP = 24 - 3 * k;
            p.nStr = 18 + k, p.nMag = 9 + 2 * k, p.nDex = 12, p.nSpd = 11 + k;
            p.nGur = 8, p.nGurA = 6, p.nGurM = 5 + k;
            p.nMove = p.nRestMove = 5;
            p.icon = friendly ? 2 * k : 16 + 2 * k;
            p.face = 1;
            p.comment = "王国に仕える騎士。仲間思いで、/誰よりも先に敵陣へ飛び込む。";
            for (size_t s = 0; s < w.skills.size(); ++s) p.skill[s] = w.skills[s];
            const int index = fld->info.m_PersonList.AddPerson(p);
            if (unit < 0) unit = fld->info.m_UnitList.AddUnit(index);
            else fld->info.m_UnitList.AddMember(unit, index);
            fld->info.m_PersonList.SetForward(index, p.bForward);
            ++k;
        }
        fld->info.m_UnitList.SetUnitPosition(unit, x, y);
        return unit;
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            fld->controller.Update(&fld->info);
            fld->input.Step();
        }
    }
    void Click(int x, int y) {
        fld->input.Move(x, y);
        fld->input.leftPush = true;
        Frames(1);
    }
    // Draws the tasks over a plain backdrop and compares the region with its golden.
    ::testing::AssertionResult Shot(const std::string& name, int left, int top, int right, int bottom) {
        EndSpriteBatch();
        g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF3A5A40, 1.0f, 0);
        fld->controller.Draw(&fld->info);
        EndSpriteBatch();
        const uint32_t* px = g_pD3DDevice->BackBuffer();
        const int w = right - left, h = bottom - top;
        std::vector<uint32_t> crop(size_t(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) crop[size_t(y) * w + x] = px[size_t(top + y) * 640 + left + x];
        if (const char* dump = std::getenv("VORMANT_MENU_DUMP")) {
            testsupport::WritePng(std::string(dump) + "/" + name + ".png", crop.data(), w, h);
            return ::testing::AssertionSuccess();
        }
        return testsupport::MatchesGolden("field/menus/" + name, crop.data(), w, h);
    }

    // What the menus answer, kept here: a menu lives until TearDown and answers on its
    // way out.
    int32_t result = 0, row = 0, closed = 0;
    bool moved[4] = {};
    int32_t layout[8] = {};
    int32_t skills[8] = {1, 2, 8, -1, -1, -1, -1, -1};
    int32_t targets[8] = {0, 1, 0, -1, -1, -1, -1, -1};
    fieldtest::GameFolder folder;
    std::unique_ptr<fieldtest::Field> fld;
    int own = -1, enemy = -1;
};

TEST_F(MenuPictures, FieldMenuWithTheTerrainWindow) {
    g_nFieldInfoView = 1;
    fld->info.m_nHoverX = 5;
    fld->info.m_nHoverY = 4;
    fld->controller.AddTask(new C_TaskFieldMenu(&fld->info), 22);
    fld->input.Move(80, 72);
    Frames(12);
    EXPECT_TRUE(Shot("field_menu_terrain", 24, 0, 640, 272));
}

TEST_F(MenuPictures, FieldMenuWithTheOperationInformation) {
    g_nFieldInfoView = 0;
    fld->info.m_MapData.AddOperationMessage(1, {"勝利条件：盗賊頭の撃破", "敗北条件：リーナの戦死", "",
                                                "村を襲う盗賊団を討て。"});
    fld->controller.AddTask(new C_TaskFieldMenu(&fld->info), 22);
    fld->input.Move(0, 0);
    Frames(12);
    EXPECT_TRUE(Shot("field_menu_operation", 24, 16, 620, 240));
    g_nFieldInfoView = 1;
}

TEST_F(MenuPictures, OperateMenuWithAHeldPlace) {
    fld->info.m_UnitList.SetMoveEnd(own, 1);
    fld->info.m_UnitList.GetMemberPerson(own, 0).hero = 0;  // a unit that can be reordered
    auto* menu = new CTaskOperateUnitMenu(&result, &fld->info, own);
    fld->controller.AddTask(menu, 23);
    Frames(6);
    Click(60, 110);  // picks up place 0
    fld->input.Move(60, 280);  // over "MOVE ALL" (shaded: the unit has moved)
    Frames(1);
    EXPECT_TRUE(Shot("operate_menu", 22, 32, 392, 432));
}

TEST_F(MenuPictures, MoveMenuMergingIntoAUnit) {
    const bool reach[4] = {true, false, true, false};
    // A lone ally at the destination: the move becomes a merge.
    const int ally = Squad(4, 5, true, {{"ロウ", "ロ", 0, {1}}}, 1);
    (void)ally;
    fld->controller.AddTask(new C_TaskMoveUnitMenu(&result, &fld->info, own, 4, 5, reach, &moved, &layout), 27);
    Frames(13);
    Click(100, 100);  // holds place 0
    fld->input.Move(250, 265);
    Frames(1);
    EXPECT_TRUE(Shot("move_menu", 0, 0, 640, 466));
}

TEST_F(MenuPictures, BattleConfirmationWithArrows) {
    auto* menu = new C_TaskConfBattleMenu(&fld->info, &result, own, enemy, &skills, &targets);
    fld->controller.AddTask(menu, 24);
    fld->input.Move(150, 110);
    Frames(17);
    EXPECT_TRUE(Shot("battle_confirmation", 26, 22, 494, 432));
}

TEST_F(MenuPictures, SkillListWithItsHelp) {
    fld->controller.AddTask(new C_TaskSelectSkillMenu(&fld->info, &result, own, 0, enemy, &row, false), 28);
    fld->input.Move(80, 40 + 40 + 16 * 2 + 6);
    Frames(8);
    EXPECT_TRUE(Shot("skill_list", 16, 36, 614, 308));
}

TEST_F(MenuPictures, CannonListOfAPersonWithEveryNormalSkill) {
    // Twelve normal skills push the six cannon rows below the window; the pointer on
    // the last of them highlights it there and shows its help.
    PersonRecord& p = fld->info.m_UnitList.GetMemberPerson(own, 0);
    for (int k = 0; k < 12; ++k) p.skill[k] = 1 + k % 3;
    for (int k = 0; k < 6; ++k) p.cskill[k] = k % 2 ? 10 : 5;
    fld->info.m_UnitList.SetCharge(own, 4);
    fld->controller.AddTask(new C_TaskSelectSkillMenu(&fld->info, &result, own, 0, -1, &row, true), 21);
    fld->input.Move(80, 40 + 40 + 16 * 18 + 6);
    Frames(8);
    EXPECT_TRUE(Shot("skill_list_cannon_rows", 16, 36, 614, 400));
}

TEST_F(MenuPictures, StatusWindow) {
    PersonRecord p = fld->info.m_UnitList.GetMemberPerson(own, 0);
    p.hero = 1;
    p.nCondition = 1 | 4;
    p.nAttrLight = 1;
    p.cskill[0] = 5;
    p.pskill[0] = 9;
    fld->controller.AddTask(new C_TaskDispStatus(&fld->info, p, 3, &closed, 4, 4), 40);
    fld->input.Move(330, 258);
    Frames(2);
    EXPECT_TRUE(Shot("status_window", 0, 0, 640, 480));
}

TEST_F(MenuPictures, BattleConfirmationUnfolding) {
    fld->controller.AddTask(new C_TaskConfBattleMenu(&fld->info, &result, own, enemy, &skills, &targets), 24);
    Frames(7);
    EXPECT_TRUE(Shot("battle_confirmation_opening", 96, 26, 494, 330));
}

}  // namespace
