// The plates of a unit's members beside the map: where each plate stands for the
// slide counter and the side, and its alpha.
#include <gtest/gtest.h>

#include "../field_test_util.h"
#include "resources/UnitPlate.h"

namespace {

TEST(FieldUnitPlates, PlatesSlideInByFormationPosition) {
    fieldtest::GameFolder folder;
    fieldtest::Field f;
    fieldtest::SetGrid(f.info, 6, 6);
    // Leader in front (position 0), a back-row member (position 2).
    const int unit = f.AddUnit(2, 2, true, {10});
    const int back = f.info.m_PersonList.AddPerson(PersonRecord::CreateFromType(12, 3, 1, 1, 0, 0));
    f.info.m_UnitList.AddMember(unit, back);
    ASSERT_EQ(f.info.m_UnitList.GetSlotPosition(unit, 1), 2);
    UnitPlate plates[4];
    struct Case {
        int slide;
        bool left;
        int x0, x2;
        int alpha;
    } cases[] = {
        {15, true, 30, 10, 255},   // 4 s - 10 k - 30
        {0, true, -30, -50, 0},
        {15, false, 393, 413, 255},  // 453 + 10 k - 4 s
        {5, false, 433, 453, 85},
        {40, false, 393, 413, 255},  // held to 15
    };
    for (const Case& c : cases) {
        f.info.DrawUnitPlates(unit, plates, c.slide, c.left);
        EXPECT_EQ(plates[0].x, c.x0) << c.slide;
        EXPECT_EQ(plates[2].x, c.x2) << c.slide;
        EXPECT_EQ(plates[0].y, 70);
        EXPECT_EQ(plates[2].y, 210);
        EXPECT_EQ(plates[0].nAlpha, c.alpha) << c.slide;
    }
    // A unit that does not exist draws nothing.
    plates[0].x = 777;
    f.info.DrawUnitPlates(9, plates, 15, true);
    EXPECT_EQ(plates[0].x, 777);
}

}  // namespace
