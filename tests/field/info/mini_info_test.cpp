// The information strip's texts and the unit plates on hover: when they come, where
// they stand while they slide, and their fade.
#include "info/TaskMiniInfo.h"
#include "info_fixture.h"

namespace {

class MiniInfoTest : public InfoTest {
protected:
    C_TaskMiniInfo* AddPanel() {
        tasks_.AddTask(new CursorStandIn, 8);  // the cursor that owns the panel
        auto* p = new C_TaskMiniInfo;
        tasks_.AddTask(p, 19);
        return p;
    }
    void Hover(int x, int y) {
        field_->m_nHoverX = x;
        field_->m_nHoverY = y;
    }
};

TEST_F(MiniInfoTest, StatusTextPadsTurnLossesAndHeroes) {
    CUnitList& units = field_->m_UnitList;
    units.AddDefeated(1, 1);   // a friendly hero
    units.AddDefeated(1, 10);
    units.AddDefeated(1, 10);
    for (int i = 0; i < 10; ++i) units.AddDefeated(0, 20);
    units.AddDefeated(0, 30);  // two enemy heroes
    units.AddDefeated(0, 31);
    EXPECT_EQ(MiniInfoStatusText(4, units), std::string("Turn: 4  自軍被害数:  3( 1) 敵軍被害数 12( 2)"));
    EXPECT_EQ(MiniInfoStatusText(123, CUnitList()), std::string("Turn:123  自軍被害数:  0( 0) 敵軍被害数  0( 0)"));
}

TEST_F(MiniInfoTest, PositionTextNamesTheTerrainOrNothing) {
    const CMapData& map = field_->m_MapData;
    const std::string name = GetTerrainName(map, 3, 0);
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(MiniInfoPositionText(map, 3, 0), name + " X=  3: Y=  0");
    EXPECT_EQ(MiniInfoPositionText(map, 19, 14), GetTerrainName(map, 19, 14) + " X= 19: Y= 14");
    EXPECT_EQ(MiniInfoPositionText(map, -1, -1), "     X=   : Y=   ");
    EXPECT_EQ(GetTerrainName(map, 20, 0), "");
}

TEST_F(MiniInfoTest, TextsFollowTheHoverCell) {
    auto* p = AddPanel();
    Hover(-1, -1);
    Frame();
    EXPECT_EQ(p->m_PositionText.GetText(), "     X=   : Y=   ");
    field_->m_nTurn = 7;
    Hover(5, 6);
    Frame();
    EXPECT_EQ(p->m_PositionText.GetText(), MiniInfoPositionText(field_->m_MapData, 5, 6));
    EXPECT_EQ(p->m_StatusText.GetText().substr(0, 7), "Turn: 7");
    field_->m_nTurn = 8;  // resting on the cell: the texts are kept
    Frame();
    EXPECT_EQ(p->m_StatusText.GetText().substr(0, 7), "Turn: 7");
}

TEST_F(MiniInfoTest, PlatesComeInTheTenthFrameOfRestAndGoAtOnce) {
    const int unit = AddUnit({1, 10}, 5, 6, true);
    ASSERT_GE(unit, 0);
    auto* p = AddPanel();
    Hover(5, 6);
    in_.Move(100, 200);
    for (int f = 1; f <= 9; ++f) {
        Frame();
        EXPECT_EQ(p->m_nHoverFrame, f);
        EXPECT_TRUE(p->m_pPlates[0].m_NameText.GetText().empty()) << "frame " << f;
    }
    Frame();
    EXPECT_EQ(p->m_nHoverFrame, 10);
    EXPECT_EQ(p->m_pPlates[0].m_NameText.GetText(), field_->m_PersonList.m_vPerson[0].s_name);
    EXPECT_EQ(p->m_nSlide, 0);
    EXPECT_FALSE(p->m_bPlatesLeft);  // pointer on the left half: plates on the right
    for (int f = 1; f <= 20; ++f) {
        Frame();
        EXPECT_EQ(p->m_nSlide, std::min(f, 15));
    }
    Hover(6, 6);
    Frame();
    EXPECT_EQ(p->m_nHoverFrame, 1);  // another cell: the plates are gone
}

TEST_F(MiniInfoTest, WithoutACursorTheRestNeverCounts) {
    AddUnit({1}, 5, 6, true);
    auto* p = new C_TaskMiniInfo;
    tasks_.AddTask(p, 19);
    Hover(5, 6);
    for (int f = 0; f < 20; ++f) Frame();
    EXPECT_EQ(p->m_nHoverFrame, 1);
}

TEST_F(MiniInfoTest, PointerHalfDecidesTheSide) {
    AddUnit({1}, 5, 6, true);
    auto* p = AddPanel();
    Hover(5, 6);
    in_.Move(320, 100);
    for (int f = 0; f < 10; ++f) Frame();
    EXPECT_FALSE(p->m_bPlatesLeft);
    Hover(-1, -1);
    Frame();
    Hover(5, 6);
    in_.Move(321, 100);
    for (int f = 0; f < 10; ++f) Frame();
    EXPECT_TRUE(p->m_bPlatesLeft);
}

TEST_F(MiniInfoTest, PlatesSlideSixtyPixelsAndFadeIn) {
    struct Case {
        int position, slide;
        bool left;
        int x, y, alpha;
    };
    const Case cases[] = {
        {0, 0, true, -30, 70, 0},    {0, 15, true, 30, 70, 255},   {3, 15, true, 0, 280, 255},
        {2, 7, true, -22, 210, 119}, {0, 0, false, 453, 70, 0},    {0, 15, false, 393, 70, 255},
        {1, 15, false, 403, 140, 255}, {3, 1, false, 479, 280, 17},
    };
    for (const Case& c : cases) {
        const UnitPlatePlace p = PlacePlate(c.position, c.slide, c.left);
        EXPECT_EQ(p.x, c.x) << c.position << "," << c.slide << "," << c.left;
        EXPECT_EQ(p.y, c.y);
        EXPECT_EQ(p.alpha, c.alpha);
    }
}

TEST_F(MiniInfoTest, MembersInSlotsZeroAndTwoShowPlatesAtSeventyAndTwoTen) {
    const int unit = AddUnit({10}, 5, 6, true);
    // A back-row member takes formation position 2.
    PersonRecord back = PersonRecord::CreateFromType(12, 3, 1, 1, 0, 0);
    field_->m_UnitList.AddMember(unit, field_->m_PersonList.AddPerson(back));
    ASSERT_EQ(field_->m_UnitList.GetSlotPosition(unit, 0), 0);
    ASSERT_EQ(field_->m_UnitList.GetSlotPosition(unit, 1), 2);
    UnitPlate plates[4];
    field_->DrawUnitPlates(unit, plates, 15, false);
    EXPECT_EQ(plates[0].y, 70);
    EXPECT_EQ(plates[2].y, 210);
    EXPECT_EQ(plates[1].y, 0);  // untouched
}

// The strip over the map and the plates of a unit of three on the left, half slid in.
TEST_F(MiniInfoTest, Picture) {
    const int unit = AddUnit({1, 10}, 5, 6, true);
    PersonRecord back = PersonRecord::CreateFromType(12, 3, 1, 1, 0, 0);
    back.nHP = back.nMaxHP / 3;
    back.nCondition = 4;
    field_->m_UnitList.AddMember(unit, field_->m_PersonList.AddPerson(back));
    field_->m_nTurn = 4;
    field_->m_UnitList.AddDefeated(0, 20);
    auto* p = AddPanel();
    Hover(5, 6);
    in_.Move(500, 200);
    for (int f = 0; f < 18; ++f) Frame();
    ASSERT_EQ(p->m_nSlide, 8);
    Clear();
    tasks_.Draw(field_.get());
    EXPECT_TRUE(Matches("strip_and_plates"));
}

}  // namespace
