// The move-unit menu: where members start, what may cross, compacting, the outputs.
#include <gtest/gtest.h>

#include "menu/MoveUnitMenu.h"
#include "menu_fixture.h"

namespace {

using menutest::MenuField;

class MoveMenuTest : public MenuField {
protected:
    int Squad(int x, int y, int n, int front, bool friendSide = true) {
        std::vector<P> members(n);
        const int u = Unit(x, y, friendSide, members, front);
        for (int j = 0; j < n; ++j) Member(u, j).bOperate = 1;
        return u;
    }
    C_TaskMoveUnitMenu* Open(int unit, int tx, int ty, std::initializer_list<bool> reachList) {
        bool reach[4] = {false, false, false, false};
        int k = 0;
        for (bool r : reachList) reach[k++] = r;
        auto* menu = new C_TaskMoveUnitMenu(&result, f.get(), unit, tx, ty, reach, &moved, &layout);
        tasks.AddTask(menu, 27);
        Move(0, 0);
        Frames(12);
        return menu;
    }
    void Click(C_TaskMoveUnitMenu* m, int item) {
        const gfx::Rect& rc = m->m_rcPlace[item];
        Left((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    }
    // The persons of the eight places, "-" for an empty place.
    std::string Places(C_TaskMoveUnitMenu* m) const {
        std::string s;
        for (int i = 0; i < 8; ++i) {
            const int p = m->GetPlacePerson(i);
            s += p < 0 ? '-' : char('0' + p);
            if (i == 3) s += '|';
        }
        return s;
    }
    std::string Movable(C_TaskMoveUnitMenu* m) const {
        std::string s;
        for (int i = 0; i < 8; ++i) {
            s += m->IsPlaceMovable(i) ? 'm' : 'x';
            if (i == 3) s += '|';
        }
        return s;
    }

    int32_t result = 99;
    bool moved[4] = {};
    int32_t layout[8] = {};
};

TEST_F(MoveMenuTest, WithoutATargetReachingMembersStartOnTheRight) {
    const int u = Squad(2, 2, 3, 2);  // persons 0, 1 front, 2 back
    C_TaskMoveUnitMenu* m = Open(u, 4, 2, {true, false, true});
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Places(m), "1---|0-2-");
    EXPECT_EQ(Movable(m), "xmmm|mmmm");
    // The shaded member cannot cross.
    Click(m, 0);
    Click(m, 5);
    EXPECT_EQ(Places(m), "1---|0-2-");
    EXPECT_EQ(m->m_nHold, 0);
    Right();
    EXPECT_EQ(m->m_nHold, -1);
    EXPECT_TRUE(Has(27)) << "the first right click only drops the held place";
    Right();
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(Has(27));
}

TEST_F(MoveMenuTest, MovingTheOnlyFrontMemberAcrossPullsTheBackRowUp) {
    const int u = Squad(2, 2, 3, 1);  // person 0 front, 1 and 2 back
    C_TaskMoveUnitMenu* m = Open(u, 4, 2, {true, true, true});
    EXPECT_EQ(Places(m), "----|0-12") << "back row members keep their places";
    Click(m, 4);
    Click(m, 1);
    EXPECT_EQ(Places(m), "0---|1-2-") << "the first back-row member leads the side now";
    EXPECT_EQ(m->m_nHold, -1);
}

TEST_F(MoveMenuTest, TheMoveButtonWritesWhoGoesAndTheLayout) {
    const int u = Squad(2, 2, 2, 2);
    C_TaskMoveUnitMenu* m = Open(u, 4, 2, {true, true});
    EXPECT_EQ(Places(m), "----|01--");
    Click(m, 4);
    Click(m, 0);
    EXPECT_EQ(Places(m), "0---|1---");
    Click(m, C_TaskMoveUnitMenu::kMoveButton);
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(moved[0]);
    EXPECT_TRUE(moved[1]);
    const int expected[8] = {0, -1, -1, -1, 1, -1, -1, -1};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(layout[i], expected[i]) << i;
}

TEST_F(MoveMenuTest, NobodyOnTheRightMeansTheButtonDoesNothing) {
    const int u = Squad(2, 2, 2, 2);
    C_TaskMoveUnitMenu* m = Open(u, 4, 2, {false, false});
    EXPECT_EQ(Places(m), "01--|----");
    Click(m, C_TaskMoveUnitMenu::kMoveButton);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(Has(27));
    EXPECT_EQ(layout[0], -1) << "the outputs are written only on a move";
    Click(m, C_TaskMoveUnitMenu::kCancelButton);
    EXPECT_EQ(result, -1);
}

TEST_F(MoveMenuTest, AFullTargetUnitTakesNobodyAndKeepsItsMembersOnItsSide) {
    const int u = Squad(2, 2, 2, 1);
    const int t = Squad(3, 2, 4, 2);  // persons 2..5
    C_TaskMoveUnitMenu* m = Open(u, 3, 2, {true, true});
    EXPECT_EQ(m->m_nTargetUnit, t);
    EXPECT_EQ(Places(m), "0-1-|2345");
    EXPECT_EQ(Movable(m), "mmmm|xxxx");
    Click(m, 0);
    Click(m, 4);
    EXPECT_EQ(Places(m), "0-1-|2345") << "no member crosses into a full unit";
    Right();
    Click(m, 4);
    Click(m, 7);
    EXPECT_EQ(Places(m), "0-1-|5342") << "within its own side a target member moves";
}

TEST_F(MoveMenuTest, MergingIntoASmallerUnit) {
    const int u = Squad(2, 2, 2, 2);
    Squad(3, 2, 1, 1);  // person 2
    C_TaskMoveUnitMenu* m = Open(u, 3, 2, {true, false});
    EXPECT_EQ(Places(m), "01--|2---");
    EXPECT_EQ(Movable(m), "mxmm|xmmm");
    Click(m, 0);
    Click(m, 5);
    EXPECT_EQ(Places(m), "1---|20--");
    Click(m, C_TaskMoveUnitMenu::kMoveButton);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(moved[0]);
    EXPECT_FALSE(moved[1]);
}

TEST_F(MoveMenuTest, AnAsleepMemberStaysAndNobodyElseIsFrozen) {
    const int u = Squad(2, 2, 3, 2);  // 0, 1 front; 2 back
    Member(u, 1).nCondition = 1;      // person 1 sleeps
    C_TaskMoveUnitMenu* m = Open(u, 4, 2, {true, true, true});
    EXPECT_EQ(Places(m), "1---|0-2-");
    EXPECT_EQ(Movable(m), "xmmm|mmmm");
    Click(m, 0);
    Click(m, 5);
    EXPECT_EQ(Places(m), "1---|0-2-") << "the asleep member cannot leave";
    // With a unit at the destination the sleeper stays in its own place while the
    // member whose place number it shares elsewhere is free.
    tasks.KillTask(27);
    f->m_UnitList.Clear();
    const int v = Squad(2, 2, 2, 1);  // persons 3 front, 4 back
    Member(v, 0).nCondition = 1;
    Squad(3, 2, 1, 1);  // person 5
    m = Open(v, 3, 2, {true, true});
    EXPECT_EQ(Places(m), "3-4-|5---");
    EXPECT_EQ(Movable(m), "xmmm|xmmm");
    Click(m, 2);
    Click(m, 5);
    EXPECT_EQ(Places(m), "3---|54--");
}

TEST_F(MoveMenuTest, HitTestTakesTheLastRectangle) {
    const int u = Squad(2, 2, 1, 1);
    C_TaskMoveUnitMenu* m = Open(u, 4, 2, {true});
    struct Hit {
        int x, y, item;
    };
    // Corner (15, 45): place 0 (20, 73)-(173, 136), place 4 from x 463.
    const Hit hits[] = {{20, 73, 0},   {173, 136, 0}, {174, 136, -1}, {20, 138, 1},  {20, 234, 2}, {20, 299, 3},
                        {463, 73, 4},  {616, 362, 7}, {617, 362, -1}, {218, 258, 8}, {292, 278, 8}, {293, 278, -1},
                        {341, 258, 9}, {415, 278, 9}, {19, 73, -1}};
    for (const Hit& h : hits) EXPECT_EQ(m->HitTest(h.x, h.y), h.item) << h.x << "," << h.y;
}

TEST_F(MoveMenuTest, NoInputWhileOpeningAndHelpFollowsThePointer) {
    const int u = Squad(2, 2, 1, 1);
    bool reach[4] = {true, false, false, false};
    auto* m = new C_TaskMoveUnitMenu(&result, f.get(), u, 4, 2, reach, &moved, &layout);
    tasks.AddTask(m, 27);
    for (int i = 0; i < 12; ++i) {
        in.ClickRight();
        Frame();
    }
    EXPECT_TRUE(Has(27));
    Move(0, 0);
    Frame();
    EXPECT_EQ(m->m_Instruct.GetText(), "移動させたいキャラを右に、/動かさないキャラを左に配置してください。");
    Move(250, 265);
    Frame();
    EXPECT_EQ(m->m_Instruct.GetText(), "ユニットの移動を行います。");
    Move(20, 73);
    Frame();
    EXPECT_EQ(m->m_Instruct.GetText(), "ユニットの移動を行います。") << "over a place the text stays";
}

TEST(MoveMenuRow, AnEmptyMaximumShowsAnEmptyBar) {
    C_FieldTaskInfo info;
    PersonRecord p;
    p.nHP = 10;
    p.nMaxHP = 0;
    const int i = info.m_PersonList.AddPerson(p);
    MoveMenuRow row(i, true);
    row.SetTexts(&info);
    EXPECT_EQ(row.m_nBar, 0);
    info.m_PersonList.GetPerson(i).nMaxHP = 40;
    info.m_PersonList.GetPerson(i).nHP = 30;
    row.SetTexts(&info);
    EXPECT_EQ(row.m_nBar, 69);
    EXPECT_EQ(row.m_HPText.GetText(), "  30/  40");
}

}  // namespace
