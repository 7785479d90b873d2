// The battle confirmation, the skill list and the status window: targeting and
// rebalancing, which skills may be chosen, the texts of the status window.
#include <gtest/gtest.h>

#include "log/ErrorLog.h"
#include "menu/ConfBattleMenu.h"
#include "menu/DispStatus.h"
#include "menu/SelectSkillMenu.h"
#include "menu_fixture.h"

namespace {

using menutest::MenuField;

class BattleMenuTest : public MenuField {
protected:
    void SetUp() override {
        MenuField::SetUp();
        P a;
        a.skills = {1, 6, 8};
        P b;
        b.skills = {1, 2};
        P c;
        c.skills = {2, 3};
        own = Unit(2, 2, true, {a, b, c}, 2);  // 0, 1 front; 2 back
        P e;
        e.skills = {1};
        enemy = Unit(3, 2, false, {e, e, e}, 2);  // 0, 1 front; 2 back
        for (int j = 0; j < 3; ++j) Member(own, j).bOperate = 1;
        for (int k = 0; k < 8; ++k) skills[k] = targets[k] = -1;
    }
    C_TaskConfBattleMenu* OpenConf() {
        auto* menu = new C_TaskConfBattleMenu(f.get(), &result, own, enemy, &skills, &targets);
        tasks.AddTask(menu, 24);
        Move(0, 0);
        Frames(15);
        return menu;
    }
    // Clicks the middle of a confirmation item.
    void ClickConf(C_TaskConfBattleMenu* m, int item) {
        int l, t, r, b;
        C_TaskConfBattleMenu::GetItemRect(item, l, t, r, b);
        Left(m->m_nX + (l + r) / 2, m->m_nY + (t + b) / 2);
    }
    // Clicks row `row` of the open skill list.
    void ClickRow(int row) {
        auto* list = Find<C_TaskSelectSkillMenu>(28);
        ASSERT_NE(list, nullptr);
        Move(0, 0);
        Frames(6);
        tasks.Draw(f.get());  // the first draw builds the list
        Left(list->m_nX + 100, list->m_nY + 40 + 16 * row + 8);
    }

    int own = -1, enemy = -1;
    int32_t result = 99;
    int32_t skills[8], targets[8];
};

TEST_F(BattleMenuTest, TargetingRule) {
    C_TaskConfBattleMenu menu(f.get(), &result, own, enemy, &skills, &targets);
    struct Case {
        int i, skill, j;
        int otherSkill, otherTarget;  // what own member 0 plans (for i > 0)
        bool expected;
    };
    const Case cases[] = {
        {0, -1, 0, -1, -1, false},  // waiting
        {2, 1, 2, -1, -1, true},    // a back-row member reaches anyone
        {0, 1, 2, -1, -1, false},   // front row, a physical skill, an enemy in the back
        {0, 6, 2, -1, -1, true},    // a skill with back_atk reaches the back
        {0, 1, 0, -1, -1, true},
        {1, 1, 0, 1, 0, false},     // two forward enemies: no second physical blow on one
        {1, 1, 1, 1, 0, true},
        {1, 1, 0, 6, 0, true},      // the earlier blow reaches the back: not counted
        {1, 1, 0, -1, 0, true},
    };
    for (const Case& c : cases) {
        for (int k = 0; k < 4; ++k) menu.m_nSkill[k] = menu.m_nTarget[k] = -1;
        menu.m_nSkill[0] = c.otherSkill;
        menu.m_nTarget[0] = c.otherTarget;
        menu.m_nSkill[c.i] = c.skill;
        EXPECT_EQ(menu.CanTarget(f.get(), c.i, c.j), c.expected) << c.i << " " << c.skill << " -> " << c.j;
    }
    // With one forward enemy every front member may strike it.
    f->m_PersonList.SetForward(f->m_UnitList.GetMember(enemy, 1), 0);
    menu.m_nSkill[0] = menu.m_nSkill[1] = 1;
    menu.m_nTarget[0] = 0;
    EXPECT_TRUE(menu.CanTarget(f.get(), 1, 0));
}

TEST_F(BattleMenuTest, RebalancingMovesALaterPhysicalBlowToTheOtherFront) {
    C_TaskConfBattleMenu menu(f.get(), &result, own, enemy, &skills, &targets);
    menu.m_nSkill[0] = 1;
    menu.m_nSkill[1] = 1;
    menu.m_nTarget[1] = 0;
    menu.m_nTarget[0] = 0;
    menu.Rebalance(f.get(), 0, 0);
    EXPECT_EQ(menu.m_nTarget[1], 1);
    // A skill with back_atk does not push others away.
    menu.m_nSkill[0] = 6;
    menu.m_nTarget[1] = 0;
    menu.Rebalance(f.get(), 0, 0);
    EXPECT_EQ(menu.m_nTarget[1], 0);
    // A back-row target does not either.
    menu.m_nSkill[0] = 1;
    menu.m_nTarget[1] = 2;
    menu.Rebalance(f.get(), 0, 2);
    EXPECT_EQ(menu.m_nTarget[1], 2);
}

TEST_F(BattleMenuTest, ClicksWhileOpeningAreIgnoredAndRightCancels) {
    auto* menu = new C_TaskConfBattleMenu(f.get(), &result, own, enemy, &skills, &targets);
    tasks.AddTask(menu, 24);
    EXPECT_EQ(result, 0);
    for (int i = 0; i < 15; ++i) {
        in.ClickRight();
        Frame();
    }
    EXPECT_TRUE(Has(24));
    Right();
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(Has(24));
}

TEST_F(BattleMenuTest, OkNeedsOnePlannedSkill) {
    C_TaskConfBattleMenu* m = OpenConf();
    ClickConf(m, C_TaskConfBattleMenu::kOK);
    EXPECT_TRUE(Has(24));
    EXPECT_EQ(result, 0);
    m->m_nSkill[2] = 2;
    m->m_nTarget[2] = 0;
    ClickConf(m, C_TaskConfBattleMenu::kOK);
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(Has(24));
    EXPECT_EQ(skills[2], 2) << "the plan is answered with the result";
}

TEST_F(BattleMenuTest, ChoosingASkillThenATarget) {
    skills[0] = 1;
    targets[0] = 0;
    skills[1] = 1;
    targets[1] = 1;
    C_TaskConfBattleMenu* m = OpenConf();
    ClickConf(m, C_TaskConfBattleMenu::kOwnSkill + 1);  // member 1 stands at place 1
    EXPECT_EQ(m->m_nState, C_TaskConfBattleMenu::kSkillMenu);
    EXPECT_EQ(m->m_nSelected, 1);
    ClickRow(1);  // its first skill: 斬撃
    Frame();
    EXPECT_EQ(m->m_nState, C_TaskConfBattleMenu::kTargetChoice);
    EXPECT_EQ(m->m_nSkill[1], 1);
    // Only the other forward enemy may be struck by a second physical blow; the back row never.
    EXPECT_FALSE(m->m_nItemEnable[C_TaskConfBattleMenu::kEnemyRow + 0]);
    EXPECT_TRUE(m->m_nItemEnable[C_TaskConfBattleMenu::kEnemyRow + 1]);
    EXPECT_FALSE(m->m_nItemEnable[C_TaskConfBattleMenu::kEnemyRow + 2]);
    // Hovering an enemy plans it; a click takes it.
    ClickConf(m, C_TaskConfBattleMenu::kEnemyRow + 1);
    EXPECT_EQ(m->m_nTarget[1], 1);
    EXPECT_EQ(m->m_nState, C_TaskConfBattleMenu::kOverview);
}

TEST_F(BattleMenuTest, HoveringAFrontEnemyMovesALaterBlowAway) {
    skills[0] = 1;
    targets[0] = 1;
    skills[1] = 1;
    targets[1] = 0;
    C_TaskConfBattleMenu* m = OpenConf();
    ClickConf(m, C_TaskConfBattleMenu::kOwnSkill + 0);
    ClickRow(1);
    Frame();
    ASSERT_EQ(m->m_nState, C_TaskConfBattleMenu::kTargetChoice);
    int l, t, r, b;
    C_TaskConfBattleMenu::GetItemRect(C_TaskConfBattleMenu::kEnemyRow + 0, l, t, r, b);
    Move(m->m_nX + l + 5, m->m_nY + t + 5);
    Frame();
    EXPECT_EQ(m->m_nTarget[0], 0);
    EXPECT_EQ(m->m_nTarget[1], 1) << "member 1 moved to the other forward enemy";
}

TEST_F(BattleMenuTest, WaitRowAllAttackAndCancelledSkillMenu) {
    skills[0] = 1;
    targets[0] = 0;
    C_TaskConfBattleMenu* m = OpenConf();
    // The wait row clears skill and target.
    ClickConf(m, C_TaskConfBattleMenu::kOwnSkill + 0);
    ClickRow(0);
    Frame();
    EXPECT_EQ(m->m_nSkill[0], -1);
    EXPECT_EQ(m->m_nTarget[0], -1);
    EXPECT_EQ(m->m_nState, C_TaskConfBattleMenu::kOverview);
    // An all-attack skill (なぎ払い, row 3) aims at member 0 and needs no target.
    ClickConf(m, C_TaskConfBattleMenu::kOwnSkill + 0);
    ClickRow(3);
    Frame();
    EXPECT_EQ(m->m_nSkill[0], 8);
    EXPECT_EQ(m->m_nTarget[0], 0);
    EXPECT_EQ(m->m_nState, C_TaskConfBattleMenu::kOverview);
    // Skill chosen, then a right click in the target choice goes back to the list,
    // whose cancel restores the plan as it was before the skill line was clicked.
    ClickConf(m, C_TaskConfBattleMenu::kOwnSkill + 0);
    ClickRow(1);
    Frame();
    ASSERT_EQ(m->m_nState, C_TaskConfBattleMenu::kTargetChoice);
    EXPECT_EQ(m->m_nSkill[0], 1);
    Right();
    EXPECT_EQ(m->m_nState, C_TaskConfBattleMenu::kSkillMenu);
    Frames(6);
    tasks.Draw(f.get());
    Right();
    Frame();
    EXPECT_EQ(m->m_nSkill[0], 8);
    EXPECT_EQ(m->m_nTarget[0], 0);
    EXPECT_EQ(m->m_nState, C_TaskConfBattleMenu::kOverview);
}

TEST_F(BattleMenuTest, MemberRowsOpenTheStatusWithoutACell) {
    C_TaskConfBattleMenu* m = OpenConf();
    ClickConf(m, C_TaskConfBattleMenu::kEnemyRow + 2);
    auto* status = Find<C_TaskDispStatus>(209);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->m_nCellX, -1);
    EXPECT_EQ(m->m_nState, C_TaskConfBattleMenu::kStatus);
    Left(400, 250);  // no cell: a row click shows nothing
    EXPECT_FALSE(status->IsRangeShown());
    Right();
    Frame();
    EXPECT_EQ(m->m_nState, C_TaskConfBattleMenu::kOverview);
    EXPECT_TRUE(Has(24));
}

// ---- skill list ------------------------------------------------------------------------------------

class SkillMenuTest : public BattleMenuTest {
protected:
    std::string Enabled(C_TaskSelectSkillMenu& m) const {
        std::string s;
        for (int r = 0; r < m.m_nItemNum; ++r) s += m.IsRowEnabled(r) ? '1' : '0';
        return s;
    }
};

TEST_F(SkillMenuTest, WhichRowsMayBeChosen) {
    // Member 0 (front): 斬撃, 長槍, なぎ払い against the adjacent enemy.
    C_TaskSelectSkillMenu m0(f.get(), &result, own, 0, enemy, nullptr, false);
    EXPECT_EQ(Enabled(m0), "1111");
    // Member 2 (back row): 弓矢 (back_atk), ファイア (back_atk, range 1-2).
    C_TaskSelectSkillMenu m2(f.get(), &result, own, 2, enemy, nullptr, false);
    EXPECT_EQ(Enabled(m2), "111");
    // In the back row a skill without back_atk is greyed.
    Member(own, 2).skill[2] = 1;
    C_TaskSelectSkillMenu back(f.get(), &result, own, 2, enemy, nullptr, false);
    EXPECT_EQ(Enabled(back), "1110");
    // Not enough MP.
    Member(own, 2).nMP = 4;
    C_TaskSelectSkillMenu poor(f.get(), &result, own, 2, enemy, nullptr, false);
    EXPECT_EQ(Enabled(poor), "1100");
    Member(own, 2).nMP = 20;
    // A sealed leader locks type-2 skills for every member.
    Member(own, 0).nCondition = 2;
    C_TaskSelectSkillMenu sealed(f.get(), &result, own, 2, enemy, nullptr, false);
    EXPECT_EQ(Enabled(sealed), "1100");
    Member(own, 0).nCondition = 0;
}

TEST_F(SkillMenuTest, ReachAfterMovingAndTheSideOfTheTarget) {
    // The enemy two cells away: 弓矢 (2-3) reaches, ファイア (1-2) reaches.
    f->m_UnitList.SetUnitPosition(enemy, 4, 2);
    Member(own, 2).skill[2] = 4;  // ヒール
    C_TaskSelectSkillMenu far(f.get(), &result, own, 2, enemy, nullptr, false);
    EXPECT_EQ(Enabled(far), "1110") << "support magic is not for foes";
    // After moving only an adjacent target is in reach...
    f->m_UnitList.SetMoveEnd(own, 1);
    C_TaskSelectSkillMenu moved(f.get(), &result, own, 2, enemy, nullptr, false);
    EXPECT_EQ(Enabled(moved), "1000");
    // ... unless the member has the passive skill of effect 10.
    Member(own, 2).pskill[0] = 9;
    C_TaskSelectSkillMenu swift(f.get(), &result, own, 2, enemy, nullptr, false);
    EXPECT_EQ(Enabled(swift), "11100") << "the passive row itself is never chosen";
    // Against a friendly unit only support magic.
    f->m_UnitList.SetMoveEnd(own, 0);
    P ally;
    const int friendUnit = Unit(2, 3, true, {ally});
    C_TaskSelectSkillMenu support(f.get(), &result, own, 2, friendUnit, nullptr, false);
    EXPECT_EQ(Enabled(support), "10010");
}

TEST_F(SkillMenuTest, CannonModeAndCharge) {
    Member(own, 0).cskill[0] = 5;   // メテオ, charge 2
    Member(own, 0).cskill[1] = 10;  // 雷撃, charge 4
    f->m_UnitList.SetCharge(own, 2);
    C_TaskSelectSkillMenu two(f.get(), &result, own, 0, -1, nullptr, true);
    EXPECT_EQ(Enabled(two), "100010");
    EXPECT_EQ(two.GetRowHelp(f.get(), 5), "雷を落とします。/（必要チャージ値：4）");
    EXPECT_EQ(two.GetRowHelp(f.get(), 0),
              "魔力を溜めることで、チャージ値が１つ増加します。/現在のチャージ値：2");
    f->m_UnitList.SetCharge(own, 3);
    C_TaskSelectSkillMenu three(f.get(), &result, own, 0, -1, nullptr, true);
    EXPECT_EQ(Enabled(three), "000010") << "no more charging at 3";
    // A member without skills shows the wait row only.
    Member(own, 1).skill[0] = Member(own, 1).skill[1] = -1;
    C_TaskSelectSkillMenu none(f.get(), &result, own, 1, enemy, nullptr, false);
    EXPECT_EQ(none.m_nItemNum, 1);
    EXPECT_EQ(none.GetRowHelp(f.get(), 0), "攻撃せず待機します。");
    EXPECT_EQ(none.GetRowHelp(f.get(), -1), "");
}

TEST_F(SkillMenuTest, EveryListOfAPersonWithAllSkillsHasItsRows) {
    // 12 normal skills, 6 cannon skills (メテオ, charge 2) and 4 passive ones: 23 rows,
    // the cannon rows below what the window shows.
    PersonRecord& p = Member(own, 0);
    for (int k = 0; k < 12; ++k) p.skill[k] = 1;
    for (int k = 0; k < 6; ++k) p.cskill[k] = 5;
    for (int k = 0; k < 4; ++k) p.pskill[k] = 9;
    p.nMP = 50;
    f->m_UnitList.SetCharge(own, 2);
    const std::string normal = "1" + std::string(12, '1') + std::string(10, '0');
    const std::string cannon = "1" + std::string(12, '0') + std::string(6, '1') + std::string(4, '0');
    struct Case {
        bool cannonMode;
        const std::string& rows;
    } cases[] = {{false, normal}, {true, cannon}};
    for (const Case& c : cases) {
        g_ErrorLog.Printf("-");
        int32_t chosen = -1;
        auto* m = new C_TaskSelectSkillMenu(f.get(), &result, own, 0, c.cannonMode ? -1 : enemy, &chosen,
                                            c.cannonMode);
        tasks.AddTask(m, 28);
        EXPECT_EQ(Enabled(*m), c.rows) << c.cannonMode;
        EXPECT_EQ(g_ErrorLog.GetLastText(), "-") << "nothing is left out";
        // The last cannon row is pointed at and taken below the window like any row.
        ClickRow(18);
        EXPECT_EQ(result, c.cannonMode ? 1 : 0);
        if (c.cannonMode) {
            EXPECT_EQ(chosen, 18);
            EXPECT_EQ(f->m_UnitList.GetMemberSkillByIndex(own, 0, chosen - 1), 5);
        }
        tasks.KillTask(28);
        Frame();
    }
}

TEST_F(SkillMenuTest, PointerAndClicks) {
    int32_t chosen = 77;
    auto* m = new C_TaskSelectSkillMenu(f.get(), &result, own, 1, enemy, &chosen, false);
    tasks.AddTask(m, 28);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(chosen, 0);
    EXPECT_EQ(m->m_nY, 100) << "beside the member's row (place 1)";
    struct Hit {
        int x, y, row;
    };
    const Hit hits[] = {{54, 140, 0}, {53, 140, -1}, {353, 140, 0}, {354, 140, -1}, {60, 139, -1},
                        {60, 156, 1}, {60, 187, 2},  {60, 188, -1}};
    for (const Hit& h : hits) EXPECT_EQ(m->RowAt(h.x, h.y), h.row) << h.x << "," << h.y;
    Left(60, 160);  // while opening: nothing
    Frames(6);
    // Before the first draw built the list no click is taken.
    Left(60, 160);
    EXPECT_TRUE(Has(28));
    m->Draw(f.get());
    Left(60, 160);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(chosen, 1);
}

TEST(SkillTexts, KindLabelsIconsAndRows) {
    menutest::LoadMenuSkills();
    EXPECT_EQ(GetSkillKindLabel(1), "斬撃");
    EXPECT_EQ(GetSkillKindLabel(6), "槍投");
    EXPECT_EQ(GetSkillKindLabel(2), "直射");
    EXPECT_EQ(GetSkillKindLabel(3), "直魔");
    EXPECT_EQ(GetSkillKindLabel(5), "放魔");
    EXPECT_EQ(GetSkillKindIcon(1), 0);
    EXPECT_EQ(GetSkillKindIcon(2), 1);
    EXPECT_EQ(GetSkillKindIcon(3), 2);
    EXPECT_EQ(GetSkillKindIcon(11), 3);
    EXPECT_EQ(GetSkillKindIcon(12), 4);
    EXPECT_EQ(GetSkillKindIcon(4), 6);
    EXPECT_EQ(GetSkillKindIcon(5), 7);
    EXPECT_EQ(GetSkillKindIcon(10), 8);
    EXPECT_EQ(GetSkillKindIcon(9), 9);
    EXPECT_EQ(MakeStatusSkillRow(2), "弓矢                        80   0  2- 3(0) 直射");
    EXPECT_EQ(MakeStatusSkillRow(9), "俊足                         0   0  0- 0(0) ");
    EXPECT_EQ(PadBytes("あいう", 5, true), "あい ");
    EXPECT_EQ(PadBytes("あいう", 5, false), "あいう");
    EXPECT_EQ(PadBytes("ab", 4, true), "ab  ");
    const int id = 3;
    EXPECT_EQ(GetSkillNameById(&id), "ファイア");
}

TEST(SkillTexts, AKindOutsideTheTableIsLoggedAndStaysWithinTheSixLabels) {
    CTableFile table;
    const std::string rows = std::string(menutest::kMenuSkills) +
                             "20,曲がる矢,1,5,80,0,0,2,3,0,0,1,0,0,0,0,0,0,0,道のない矢です。\r\n"
                             "21,無の術,2,0,80,0,0,1,2,0,0,1,0,0,0,0,0,0,1,道のない術です。\r\n"
                             "22,双槍,0,0,80,0,0,1,1,0,0,2,0,0,0,0,0,0,0,旗の値が 1 でない槍です。\r\n";
    table.LoadFromBytes(reinterpret_cast<const unsigned char*>(rows.data()), rows.size());
    g_SkillData.LoadRows(table.m_vRows);
    struct Case {
        int skill;
        const char* label;
        bool logged;
    } cases[] = {{20, "放射", true}, {21, "直魔", true}, {22, "斬撃", false}};
    for (const Case& c : cases) {
        g_ErrorLog.Printf("-");
        EXPECT_EQ(GetSkillKindLabel(c.skill), c.label) << c.skill;
        const int index = GetSkillKindLabelIndex(c.skill);
        EXPECT_GE(index, 0);
        EXPECT_LT(index, 6);
        EXPECT_EQ(g_ErrorLog.GetLastText().find("種類の表にありません") != std::string::npos, c.logged) << c.skill;
    }
    // The row of such a skill is built without reading outside the labels.
    EXPECT_NE(MakeStatusSkillRow(20).find("放射"), std::string::npos);
    menutest::LoadMenuSkills();
}

// ---- status window ---------------------------------------------------------------------------------

TEST(StatusTexts, ConditionText) {
    PersonRecord p;
    p.nLevel = 7;
    EXPECT_EQ(MakeConditionText(p), "LV.7: Good");
    p.nCondition = 1 | 4;
    EXPECT_EQ(MakeConditionText(p), "LV.7: Sleep/Poison");
    p.nCondition = 2 | 8;
    EXPECT_EQ(MakeConditionText(p), "LV.7: Sealed/Dazzle");
    p.nCondition = 15;
    EXPECT_EQ(MakeConditionText(p), "LV.7: Sleep/Sealed/Poison/Dazzle");
}

TEST(StatusTexts, ChargeMarksShareFortyEightPixels) {
    EXPECT_EQ(C_TaskDispStatus::ChargeMarkX(2, 0), 385);
    EXPECT_EQ(C_TaskDispStatus::ChargeMarkX(2, 1), 401);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(C_TaskDispStatus::ChargeMarkX(5, i), 385 + 48 * i / 5);
    EXPECT_LE(C_TaskDispStatus::ChargeMarkX(5, 4), 385 + 48);
}

TEST_F(BattleMenuTest, StatusWindowTextsRowsAndHelp) {
    PersonRecord p = Member(own, 2);
    p.name = "騎士リーナ";
    p.comment = "王国の騎士。";
    p.m_type = 1;
    p.nMove = 7;
    p.pskill[0] = 9;
    int32_t closed = 5;
    auto* status = new C_TaskDispStatus(f.get(), p, 3, &closed, 2, 2);
    tasks.AddTask(status, 40);
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(status->m_ValueText[C_TaskDispStatus::kMove].GetText(), "  7/騎馬");
    EXPECT_EQ(status->m_nRowCount, 3);
    EXPECT_EQ(status->GetHelpSource(), "王国の騎士。");
    Move(320, 258);  // row 1
    Frame();
    EXPECT_EQ(status->m_nSelected, 1);
    EXPECT_EQ(status->GetHelpSource(), "炎の魔法で敵を焼きます。");
    Move(320, 239);
    Frame();
    EXPECT_EQ(status->m_nSelected, -1);
    Move(516, 245);
    Frame();
    EXPECT_EQ(status->m_nSelected, -1);
    Move(320, 240 + 16 * 3);
    Frame();
    EXPECT_EQ(status->m_nSelected, -1);
    // A passive row shows nothing on the map.
    Left(320, 240 + 16 * 2 + 4);
    EXPECT_FALSE(status->IsRangeShown());
    Right();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(Has(40));
}

TEST_F(BattleMenuTest, StatusRowsPastTwentyAreLogged) {
    PersonRecord p;
    p.name = "多才";
    for (int k = 0; k < 12; ++k) p.skill[k] = 1;
    for (int k = 0; k < 6; ++k) p.cskill[k] = 5;
    for (int k = 0; k < 4; ++k) p.pskill[k] = 9;
    C_TaskDispStatus status(f.get(), p, 0, nullptr, -1, -1);
    EXPECT_EQ(status.m_nRowCount, 20);
    EXPECT_EQ(status.m_nRowSkill[17], 5);
    EXPECT_EQ(status.m_nRowSkill[19], 9);
    EXPECT_NE(g_ErrorLog.GetLastText().find("22"), std::string::npos);
    // Row 14 stands at the screen's lower edge; the rows under it are hit-tested the same.
    EXPECT_EQ(status.RowAt(320, 479), 14);
    EXPECT_EQ(status.RowAt(320, 240 + 16 * 19), 19);
    EXPECT_EQ(status.RowAt(320, 240 + 16 * 20), -1);
}

}  // namespace
