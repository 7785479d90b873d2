// The operate-unit panel: which commands a unit has, the hit rectangles, reordering
// and the status window opened from a place.
#include <gtest/gtest.h>

#include <functional>

#include "menu/DispStatus.h"
#include "menu/OperateUnitMenu.h"
#include "menu_fixture.h"

namespace {

using menutest::MenuField;

class OperateMenuTest : public MenuField {
protected:
    // A friendly unit of `n` members (the first `front` in front) at (2, 2).
    int Squad(int n, int front = 1, bool hero = false) {
        std::vector<P> members(n);
        for (int j = 0; j < n; ++j) members[j].typeID = 10 + j;
        members[0].hero = hero;
        const int u = Unit(2, 2, true, members, front);
        for (int j = 0; j < n; ++j) Member(u, j).bOperate = 1;
        return u;
    }
    CTaskOperateUnitMenu* Open(int unit) {
        auto* menu = new CTaskOperateUnitMenu(&result, f.get(), unit);
        tasks.AddTask(menu, 23);
        Move(0, 0);
        Frames(5);
        return menu;
    }
    std::string Commands(CTaskOperateUnitMenu* m) const {
        std::string s;
        for (int k = 4; k < 10; ++k) s += m->m_bAreaEnable[k] ? '1' : '0';
        return s;
    }
    // The middle of an item.
    void ClickItem(CTaskOperateUnitMenu* m, int item) {
        int l, t, r, b;
        m->GetItemRect(item, l, t, r, b);
        Left((l + r) / 2, (t + b) / 2);
    }
    int PersonAt(int unit, int place) const {
        const int slot = f->m_UnitList.FindSlotByPosition(unit, place);
        return slot < 0 ? -1 : f->m_UnitList.GetMember(unit, slot);
    }

    int32_t result = 99;
};

TEST_F(OperateMenuTest, CommandsFollowTheUnitsState) {
    struct Case {
        const char* name;
        std::function<int()> make;
        const char* expected;  // move all, move, attack, cannon, support, close
    };
    const Case cases[] = {
        {"fresh pair", [&] { return Squad(2); }, "111001"},
        {"one member", [&] { return Squad(1); }, "101001"},
        {"hero leader", [&] { return Squad(2, 1, true); }, "101001"},
        {"moved", [&] {
             int u = Squad(2);
             f->m_UnitList.SetMoveEnd(u, 1);
             return u;
         }, "001001"},
        {"acted", [&] {
             int u = Squad(2);
             f->m_UnitList.SetActEnd(u, 1);
             return u;
         }, "000000"},
        {"cannon and support", [&] {
             int u = Squad(2);
             Member(u, 0).cskill[0] = 5;
             Member(u, 1).skill[1] = 4;
             return u;
         }, "111111"},
        {"sealed leader", [&] {
             int u = Squad(2);
             Member(u, 0).cskill[0] = 5;
             Member(u, 1).skill[1] = 4;
             Member(u, 0).nCondition = 2;
             return u;
         }, "111001"},
        {"moved with support", [&] {
             int u = Squad(2);
             Member(u, 0).cskill[0] = 5;
             Member(u, 0).skill[1] = 4;
             f->m_UnitList.SetMoveEnd(u, 1);
             return u;
         }, "001011"},
        {"all asleep", [&] {
             int u = Squad(2);
             Member(u, 0).skill[1] = 4;
             Member(u, 0).nCondition = 1;
             Member(u, 1).nCondition = 1 | 4;
             return u;
         }, "000011"},
        {"one asleep", [&] {
             int u = Squad(2);
             Member(u, 0).nCondition = 1;
             return u;
         }, "111001"},
        {"not operated", [&] {
             int u = Squad(2);
             Member(u, 0).bOperate = 0;
             return u;
         }, "000000"},
        {"sortie view", [&] {
             f->m_bSortieFlag = true;
             return Squad(2);
         }, "000000"},
    };
    for (const Case& c : cases) {
        f->m_UnitList.Clear();
        f->m_bSortieFlag = false;
        const int u = c.make();
        CTaskOperateUnitMenu menu(&result, f.get(), u);
        EXPECT_EQ(Commands(&menu), c.expected) << c.name;
        EXPECT_EQ(result, 0);
    }
}

TEST_F(OperateMenuTest, HitRectanglesAreInclusive) {
    const int u = Squad(2);
    CTaskOperateUnitMenu menu(&result, f.get(), u);
    struct Hit {
        int x, y, item;
    };
    // Panel corner (30, 40).
    const Hit hits[] = {
        {45, 101, 0},  {198, 165, 0}, {199, 165, -1}, {45, 166, 1},  {214, 101, 2}, {367, 230, 3}, {367, 231, -1},
        {44, 101, -1}, {43, 268, 4},  {119, 290, 4},  {120, 290, -1}, {123, 268, 5}, {283, 268, 7},
        {359, 290, 7}, {203, 293, 8}, {279, 315, 8},  {283, 293, 9},  {359, 315, 9}, {360, 315, -1},
        {203, 316, -1}, {100, 300, -1},
    };
    for (const Hit& h : hits) EXPECT_EQ(menu.HitTest(h.x, h.y), h.item) << h.x << "," << h.y;
}

TEST_F(OperateMenuTest, ButtonsWriteTheirCodeAndShadedOnesDoNothing) {
    const int u = Squad(2);
    const int codes[6] = {1, 2, 3, 4, 5, 6};
    for (int k = 4; k < 10; ++k) {
        if (k == 7 || k == 8) continue;  // no cannon or support skill: shaded
        CTaskOperateUnitMenu* m = Open(u);
        ClickItem(m, k);
        EXPECT_EQ(result, codes[k - 4]) << k;
        EXPECT_FALSE(Has(23));
    }
    CTaskOperateUnitMenu* m = Open(u);
    ClickItem(m, 7);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(Has(23));
    Right();
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(Has(23));
}

TEST_F(OperateMenuTest, NoInputWhileThePanelOpens) {
    const int u = Squad(2);
    auto* menu = new CTaskOperateUnitMenu(&result, f.get(), u);
    tasks.AddTask(menu, 23);
    for (int i = 0; i < 5; ++i) {
        in.ClickRight();
        Frame();
    }
    EXPECT_TRUE(Has(23));
    Right();
    EXPECT_FALSE(Has(23));
}

TEST_F(OperateMenuTest, ExchangingFrontAndBackSwapsRows) {
    const int u = Squad(3, 2);  // places 0, 1 front, 2 back
    const int a = PersonAt(u, 0), c = PersonAt(u, 2);
    CTaskOperateUnitMenu* m = Open(u);
    ClickItem(m, 0);
    EXPECT_EQ(m->m_nHold, 0);
    ClickItem(m, 2);
    EXPECT_EQ(m->m_nHold, -1);
    EXPECT_EQ(PersonAt(u, 0), c);
    EXPECT_EQ(PersonAt(u, 2), a);
    EXPECT_TRUE(f->m_PersonList.GetPerson(c).bForward);
    EXPECT_FALSE(f->m_PersonList.GetPerson(a).bForward);
}

TEST_F(OperateMenuTest, TheOnlyFrontMemberCannotLeaveTheFrontRow) {
    const int u = Squad(2, 1);  // place 0 front, place 2 back
    const int a = PersonAt(u, 0);
    CTaskOperateUnitMenu* m = Open(u);
    ClickItem(m, 0);
    ClickItem(m, 3);  // an empty back place
    EXPECT_EQ(m->m_nHold, 0) << "refused: the place stays held";
    EXPECT_EQ(PersonAt(u, 0), a);
    // The second front member may go back: one front member is left.
    tasks.KillTask(23);
    f->m_UnitList.Clear();
    const int v = Squad(2, 2);
    const int b = PersonAt(v, 1);
    m = Open(v);
    ClickItem(m, 1);
    ClickItem(m, 3);
    EXPECT_EQ(m->m_nHold, -1);
    EXPECT_EQ(PersonAt(v, 2), b);
    EXPECT_FALSE(f->m_PersonList.GetPerson(b).bForward);
}

TEST_F(OperateMenuTest, CommandsAreWorkedOutAgainForANewLeader) {
    const int u = Squad(2, 2);
    Member(u, 0).nCondition = 2;  // a sealed leader blocks support magic
    Member(u, 0).skill[1] = 4;
    Member(u, 1).skill[1] = 4;
    CTaskOperateUnitMenu* m = Open(u);
    EXPECT_FALSE(m->m_bAreaEnable[CTaskOperateUnitMenu::kButtonSupport]);
    ClickItem(m, 0);
    ClickItem(m, 1);
    EXPECT_EQ(f->m_UnitList.GetMemberPerson(u, 0).nCondition, 0) << "the unsealed member leads now";
    EXPECT_TRUE(m->m_bAreaEnable[CTaskOperateUnitMenu::kButtonSupport]);
}

TEST_F(OperateMenuTest, SecondClickOnAPlaceShowsTheStatusAndHidesThePanel) {
    const int u = Squad(2);
    f->m_UnitList.SetCharge(u, 2);
    CTaskOperateUnitMenu* m = Open(u);
    ClickItem(m, 0);
    EXPECT_FALSE(Has(40));
    ClickItem(m, 0);
    auto* status = Find<C_TaskDispStatus>(40);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(m->m_nState, 1);
    EXPECT_EQ(status->m_nCharge, 2);
    EXPECT_EQ(status->m_nCellX, 2);
    // The panel takes nothing while the window shows.
    ClickItem(m, CTaskOperateUnitMenu::kButtonAttack);
    EXPECT_EQ(result, 0);
    Right();  // closes the status window
    EXPECT_FALSE(Has(40));
    Frame();
    EXPECT_EQ(m->m_nState, 0);
    ClickItem(m, CTaskOperateUnitMenu::kButtonAttack);
    EXPECT_EQ(result, 3);
}

TEST_F(OperateMenuTest, AUnitThatCannotBeReorderedShowsTheStatusAtOnce) {
    const int u = Squad(2, 1, true);
    CTaskOperateUnitMenu* m = Open(u);
    ClickItem(m, 2);
    EXPECT_TRUE(Has(40));
    EXPECT_EQ(m->m_nHold, -1);
}

TEST_F(OperateMenuTest, AnActedUnitCanStillBeReordered) {
    const int u = Squad(2, 2);
    f->m_UnitList.SetActEnd(u, 1);
    const int a = PersonAt(u, 0), b = PersonAt(u, 1);
    CTaskOperateUnitMenu* m = Open(u);
    EXPECT_EQ(Commands(m), "000000");
    ClickItem(m, 0);
    ClickItem(m, 1);
    EXPECT_EQ(PersonAt(u, 0), b);
    EXPECT_EQ(PersonAt(u, 1), a);
    EXPECT_EQ(Commands(m), "000000");
    ClickItem(m, 9);
    EXPECT_TRUE(Has(23));
    Right();
    EXPECT_EQ(result, -1);
}

TEST_F(OperateMenuTest, RightClickDropsAHeldPlaceFirst) {
    const int u = Squad(2);
    CTaskOperateUnitMenu* m = Open(u);
    ClickItem(m, 0);
    Right();
    EXPECT_EQ(m->m_nHold, -1);
    EXPECT_TRUE(Has(23));
    Right();
    EXPECT_FALSE(Has(23));
}

TEST_F(OperateMenuTest, HelpFollowsThePointer) {
    const int u = Squad(2);
    CTaskOperateUnitMenu* m = Open(u);
    Move(0, 0);
    Frame();
    EXPECT_EQ(m->m_Instruct.GetText(), "ユニットに指示を出してください。");
    Move(50, 275);
    Frame();
    EXPECT_EQ(m->m_Instruct.GetText(), CTaskOperateUnitMenu::GetHelpText(4));
    Move(50, 110);
    Frame();
    EXPECT_EQ(m->m_nCursor, 0);
    // The place's help names the input the panel takes: a second click on the same
    // place (two clicks however far apart), not a double click.
    EXPECT_EQ(m->m_Instruct.GetText(), CTaskOperateUnitMenu::GetHelpText(0));
    EXPECT_NE(CTaskOperateUnitMenu::GetHelpText(0).find("同じ場所をもう一度クリック"), std::string::npos);
    EXPECT_EQ(CTaskOperateUnitMenu::GetHelpText(0).find("ダブルクリック"), std::string::npos);
}

}  // namespace
