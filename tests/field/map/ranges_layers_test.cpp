// Range marking and the cannon area, the map layers' task set, the depth order of
// the units, the HP digit colours, the bases' pulse and the walking unit's step.
#include <gtest/gtest.h>

#include "../field_test_util.h"
#include "map/TaskDispRange.h"
#include "map/TaskDrawMap.h"

namespace {

using fieldtest::Field;
using fieldtest::GameFolder;

int MarkedCount(const C_FieldTaskInfo& info) {
    int n = 0;
    for (bool b : info.m_vbRangeCell) n += b;
    return n;
}

TEST(FieldRanges, ADisplayMarksExactlyItsCells) {
    GameFolder folder;
    Field f;
    fieldtest::SetGrid(f.info, 8, 6);
    f.info.m_vbRangeCell.assign(f.info.m_vbRangeCell.size(), true);
    struct Case {
        std::vector<FieldCell> cells;
        int marked;
    } cases[] = {
        {{}, 0},                                  // empty: every bit cleared
        {{{0, 0}}, 1},
        {{{1, 2}, {7, 5}, {1, 2}}, 2},            // a repeated cell marks once
        {{{-1, 0}, {8, 0}, {0, 6}, {3, 3}}, 1},   // off-map cells mark nothing
    };
    for (const Case& c : cases) {
        C_TaskDispRange range(0, c.cells, &f.info);
        EXPECT_EQ(MarkedCount(f.info), c.marked);
        EXPECT_EQ(f.info.m_vbRangeCell.size(), 48u);
        for (const FieldCell& cell : c.cells)
            if (f.info.IsValidCell(cell.x, cell.y)) {
                EXPECT_TRUE(f.info.IsRangeCell(cell.x, cell.y));
            }
        EXPECT_EQ(range.m_vCells[0].size(), c.cells.size());
        EXPECT_TRUE(range.m_vCells[1].empty());
    }
}

TEST(FieldRanges, VisibilityOfAHighlight) {
    const int cases[][3] = {{-56, 0, 0}, {-55, 0, 1}, {695, 0, 1}, {696, 0, 0},
                            {0, -56, 0}, {0, -55, 1}, {0, 535, 1}, {0, 536, 0}};
    for (const auto& c : cases) EXPECT_EQ(IsRangeCellVisible(c[0], c[1]), c[2] != 0) << c[0] << "," << c[1];
}

TEST(FieldRanges, CannonAreaFollowsTheHoverCell) {
    GameFolder folder;
    Field f;
    fieldtest::SetGrid(f.info, 12, 12);
    C_TaskDispCannonRange cannon(1, 2, 0);
    EXPECT_EQ(cannon.m_nCenterX, -1);
    f.info.m_nHoverX = 5;
    f.info.m_nHoverY = 5;
    cannon.Update(&f.info);
    EXPECT_EQ(cannon.m_vArea.size(), 13u);
    // Cells come x outer, y inner.
    EXPECT_EQ(cannon.m_vArea.front().x, 3);
    EXPECT_EQ(cannon.m_vArea.front().y, 5);
    EXPECT_EQ(cannon.m_vArea[1].x, 4);
    EXPECT_EQ(cannon.m_vArea[1].y, 4);
    C_TaskDispCannonRange ring(1, 2, 1);
    ring.Update(&f.info);
    EXPECT_EQ(ring.m_vArea.size(), 12u);
    // The same cell: nothing recomputed.
    cannon.m_vArea.clear();
    cannon.Update(&f.info);
    EXPECT_TRUE(cannon.m_vArea.empty());
    // At a corner the map cuts the area; with no hover cell it is measured from
    // the point off the corner.
    f.info.m_nHoverX = f.info.m_nHoverY = 0;
    cannon.Update(&f.info);
    EXPECT_EQ(cannon.m_vArea.size(), 6u);
    f.info.m_nHoverX = f.info.m_nHoverY = -1;
    cannon.Update(&f.info);
    EXPECT_EQ(cannon.m_vArea.size(), 1u);  // only (0, 0) lies within 2 of (-1, -1)
    // The area never touches the range bits.
    EXPECT_EQ(MarkedCount(f.info), 0);
}

TEST(FieldLayers, TheGroundBringsExactlyOneUpperLayerAndTakesItAway) {
    GameFolder folder;
    Field f;
    fieldtest::SetGrid(f.info, 10, 10);
    f.controller.AddTask(new C_TaskDrawMap(&f.info), 2);
    f.controller.AddTask(new C_TaskDrawMap(&f.info), 2);
    int upper = 0;
    for (C_TaskBase* t : f.controller.GetTasks()) upper += t->GetPriority() == 10;
    EXPECT_EQ(upper, 1);
    f.controller.KillTask(2);
    EXPECT_FALSE(f.controller.HasTask(10));
    EXPECT_FALSE(f.controller.HasTask(11));
}

TEST(FieldLayers, GroundWindowSkipsCellsOffTheMap) {
    GameFolder folder;
    Field f;
    fieldtest::SetGrid(f.info, 10, 10);
    std::vector<std::pair<int, int>> cells;
    C_TaskDrawMap::VisitGroundCells(f.info, cells);
    EXPECT_FALSE(cells.empty());
    EXPECT_LT(cells.size(), 180u);
    for (auto c : cells) {
        EXPECT_TRUE(f.info.IsValidCell(c.first, c.second));
        // Every visited cell lies on screen or just around it.
        const int x = f.info.GetScreenX(float(c.first), float(c.second));
        const int y = f.info.GetScreenY(float(c.first), float(c.second));
        EXPECT_GE(x, -240);
        EXPECT_LE(x, 880);
        EXPECT_GE(y, -120);
        EXPECT_LE(y, 600);
    }
    // On a large map the window is whole: 20 rows of 9.
    fieldtest::SetGrid(f.info, 40, 40);
    f.info.m_fCameraX = f.info.m_fCameraY = 20;
    C_TaskDrawMap::VisitGroundCells(f.info, cells);
    EXPECT_EQ(cells.size(), 180u);
}

TEST(FieldLayers, UnitsAreOrderedByRowThenColumn) {
    GameFolder folder;
    Field f;
    fieldtest::SetGrid(f.info, 20, 20);
    f.info.m_fCameraX = f.info.m_fCameraY = 10;
    const int back = f.AddUnit(9, 9, true, {10});    // row -12
    const int right = f.AddUnit(11, 10, true, {10}); // row -9, column 0
    const int left = f.AddUnit(10, 11, true, {10});  // row -9, column -1
    const int front = f.AddUnit(12, 12, true, {10}); // row -6
    const int far = f.AddUnit(0, 0, true, {10});     // outside the window
    std::vector<UnitDrawOrder> order = OrderUnitsForDrawing(f.info, -1);
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(order[0].unit, back);
    EXPECT_EQ(order[1].unit, left);
    EXPECT_EQ(order[2].unit, right);
    EXPECT_EQ(order[3].unit, front);
    EXPECT_EQ(order[1].a, order[2].a);
    EXPECT_LT(order[1].b, order[2].b);
    // The walking unit is drawn on its own.
    order = OrderUnitsForDrawing(f.info, left);
    EXPECT_EQ(order.size(), 3u);
    (void)far;
}

TEST(FieldLayers, HPDigitColoursAndPulse) {
    const int colours[][3] = {{12, 40, 1}, {10, 40, 2}, {20, 40, 1}, {21, 40, 0}, {40, 40, 0}, {0, 40, 2}, {11, 40, 1},
                              // hit points near the int limits, from a table or a save
                              {1000000000, 1000000000, 0}, {INT32_MAX, INT32_MAX, 0}, {536870911, INT32_MAX, 2},
                              {536870912, INT32_MAX, 1}, {1073741824, INT32_MAX, 0}, {INT32_MIN, 40, 2}};
    for (const auto& c : colours) EXPECT_EQ(HPDigitColour(c[0], c[1]), c[2]) << c[0] << "/" << c[1];
    const int pulses[][2] = {{0, 90}, {300, 190}, {600, 90}, {150, 140}, {301, 190}, {303, 189}, {297, 189}};
    for (const auto& p : pulses) EXPECT_EQ(UnitPulseAlpha(p[0]), p[1]) << p[0];
    EXPECT_EQ(upper_sheet::HPDigit(3, 0).top, 21);
    EXPECT_EQ(upper_sheet::HPDigit(3, 1).top, 91);
    EXPECT_EQ(upper_sheet::HPDigit(3, 2).top, 161);
    EXPECT_EQ(upper_sheet::HPDigit(3, 2).bottom - upper_sheet::HPDigit(3, 2).top, 7);
}

TEST(FieldLayers, AWalkingUnitTakesThirteenFramesPerCellOrThreeWithTheButtonHeld) {
    GameFolder folder;
    Field f;
    fieldtest::SetGrid(f.info, 10, 10);
    const int unit = f.AddUnit(0, 0, true, {10});
    f.info.m_nMovingUnit = unit;
    f.info.m_vMovePath = {{0, 0}, {1, 0}, {2, 0}};
    C_TaskDrawMap_Upper upper;
    for (int i = 0; i < 12; ++i) upper.StepMove(&f.info);
    EXPECT_EQ(f.info.m_vMovePath.size(), 3u);
    EXPECT_NEAR(f.info.m_fCameraX, 11.0f / 12.0f, 1e-5);
    upper.StepMove(&f.info);  // the 13th frame shows t = 12/12 and leaves the cell
    EXPECT_EQ(f.info.m_vMovePath.size(), 2u);
    EXPECT_FLOAT_EQ(f.info.m_fCameraX, 1.0f);
    f.input.left = true;
    for (int i = 0; i < 3; ++i) upper.StepMove(&f.info);
    EXPECT_TRUE(f.info.m_vMovePath.empty());  // one cell left: the move is over
    EXPECT_FLOAT_EQ(f.info.m_fCameraX, 2.0f);
    // A path of one cell is standing still: emptied at once.
    f.info.m_vMovePath = {{4, 4}};
    upper.StepMove(&f.info);
    EXPECT_TRUE(f.info.m_vMovePath.empty());
}

}  // namespace
