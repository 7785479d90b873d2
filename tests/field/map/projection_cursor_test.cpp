// The screen projection and its inverse, edge scrolling and dragging with their
// camera limits, the hover cell and the cursor's click rules.
#include <gtest/gtest.h>

#include <cmath>

#include "../field_test_util.h"
#include "info/TaskMiniMap.h"
#include "map/TaskCursol.h"

namespace {

using fieldtest::Field;
using fieldtest::GameFolder;

struct ProjectionCase {
    float camX, camY;
    float cellX, cellY;
    int x, y;
};

TEST(FieldProjection, ScreenPointOfACell) {
    const ProjectionCase cases[] = {
        {0, 0, 0, 0, 320, 240},         // the camera cell at the centre
        {0, 0, 1, 0, 376, 268},         // one column: right and down
        {0, 0, 0, 1, 264, 268},         // one row: left and down
        {0, 0, 1, 1, 320, 296},
        {2.5f, 1.25f, 3, 1, 362, 247},  // fractional camera
        {0.3f, 0, 0, 0, 303, 231},      // truncation toward zero: 303.2, 231.6
        {10, 10, 0, 0, 320, -320},
        {0, 0, -1, 5, -16, 352},        // -16.0 exactly; negative values truncate up
        {0.1f, 0, -5, 0, 34, 97},       // 34.4 and 97.2
    };
    for (const ProjectionCase& c : cases) {
        C_FieldTaskInfo info;
        info.m_fCameraX = c.camX;
        info.m_fCameraY = c.camY;
        const double dx = double(c.cellX) - double(c.camX), dy = double(c.cellY) - double(c.camY);
        EXPECT_EQ(info.GetScreenX(c.cellX, c.cellY), int(56 * dx + 320 - 56 * dy)) << c.cellX << "," << c.cellY;
        EXPECT_EQ(info.GetScreenY(c.cellX, c.cellY), int(28 * dx + 240 + 28 * dy)) << c.cellX << "," << c.cellY;
        EXPECT_EQ(info.GetScreenX(c.cellX, c.cellY), c.x);
        EXPECT_EQ(info.GetScreenY(c.cellX, c.cellY), c.y);
    }
}

TEST(FieldProjection, PointsInsideACellsDiamondMapBackToIt) {
    C_FieldTaskInfo info;
    for (float cam : {0.0f, 3.0f, 4.0f}) {
        info.m_fCameraX = cam;
        info.m_fCameraY = cam / 2;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const int sx = info.GetScreenX(float(x), float(y)), sy = info.GetScreenY(float(x), float(y));
                // The top corner, the centre and points just inside the other corners.
                const int points[][2] = {{0, 2}, {0, 28}, {-50, 28}, {50, 28}, {0, 54}};
                for (const auto& p : points) {
                    int cx = -9, cy = -9;
                    info.ScreenToCell(sx + p[0], sy + p[1], &cx, &cy);
                    EXPECT_EQ(cx, x) << "cell " << x << "," << y << " point " << p[0] << "," << p[1];
                    EXPECT_EQ(cy, y) << "cell " << x << "," << y << " point " << p[0] << "," << p[1];
                }
            }
        }
    }
}

TEST(FieldCursor, EdgeScrollDirections) {
    const int xs[][2] = {{0, -1}, {9, -1}, {10, 0}, {320, 0}, {630, 0}, {631, 1}, {639, 1}};
    for (const auto& c : xs) EXPECT_EQ(EdgeScrollX(c[0]), c[1]) << c[0];
    const int ys[][2] = {{0, -1}, {9, -1}, {10, 0}, {449, 0}, {450, 1}, {479, 1}};
    for (const auto& c : ys) EXPECT_EQ(EdgeScrollY(c[0]), c[1]) << c[0];
}

class CursorTest : public ::testing::Test {
protected:
    void SetUp() override {
        fieldtest::SetGrid(f.info, 12, 10);
        f.info.m_fCameraX = 5;
        f.info.m_fCameraY = 5;
        g_rcFieldMiniMap = RECT{0, 0, -1, -1};
    }
    void TearDown() override { g_rcFieldMiniMap = RECT{0, 0, -1, -1}; }
    C_TaskCursol* AddCursor() {
        auto* cursor = new C_TaskCursol(&result, &f.info);
        f.controller.AddTask(cursor, 8);
        return cursor;
    }
    C_TaskCursol* AddUnitCursor(const std::vector<int32_t>& candidates) {
        auto* cursor = new C_TaskCursol(&result, &chosen, candidates, &f.info);
        f.controller.AddTask(cursor, 8);
        return cursor;
    }
    void PointAtCell(int x, int y) {
        f.input.Move(f.info.GetScreenX(float(x), float(y)), f.info.GetScreenY(float(x), float(y)) + 28);
    }

    // The cursors answer into these until the field's tasks go, so they outlive it.
    int32_t result = -7;
    int32_t chosen = -7;
    GameFolder folder;
    Field f;
};

TEST_F(CursorTest, BringsItsScrollShadeAndTakesItAway) {
    g_bFieldCursorActive = false;
    AddCursor();
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(g_bFieldCursorActive);
    EXPECT_TRUE(f.controller.HasTask(12));
    f.controller.KillTask(8);
    EXPECT_FALSE(f.controller.HasTask(12));
    EXPECT_FALSE(f.controller.HasTask(19));
    EXPECT_FALSE(g_bFieldCursorActive);
}

TEST_F(CursorTest, TenFramesAtTheRightEdgeMoveTheCameraOneColumnAndOneRowBack) {
    AddCursor();
    f.input.Move(635, 240);
    for (int i = 0; i < 10; ++i) f.Frame();
    EXPECT_NEAR(f.info.m_fCameraX, 6.0f, 1e-4);
    EXPECT_NEAR(f.info.m_fCameraY, 4.0f, 1e-4);
    EXPECT_EQ(f.info.m_nHoverX, -1);  // no hover cell while scrolling
    f.input.Move(320, 5);             // up: both back
    for (int i = 0; i < 10; ++i) f.Frame();
    EXPECT_NEAR(f.info.m_fCameraX, 5.0f, 1e-4);
    EXPECT_NEAR(f.info.m_fCameraY, 3.0f, 1e-4);
}

TEST_F(CursorTest, EdgeScrollingStopsOneCellBeforeTheMapsCorner) {
    AddCursor();
    struct Edge {
        int x, y;
    };
    for (Edge e : {Edge{2, 240}, Edge{635, 240}, Edge{320, 2}, Edge{320, 470}, Edge{2, 2}, Edge{635, 470}}) {
        for (int i = 0; i < 400; ++i) {
            f.input.Move(e.x, e.y);
            f.Frame();
            ASSERT_GE(f.info.m_fCameraX, -1.0f);
            ASSERT_GE(f.info.m_fCameraY, -1.0f);
            ASSERT_LE(f.info.m_fCameraX, 11.0f);
            ASSERT_LE(f.info.m_fCameraY, 9.0f);
        }
    }
}

TEST_F(CursorTest, DraggingFollowsThePointerAndStaysOnTheMap) {
    C_TaskCursol* cursor = AddCursor();
    f.info.m_nHoverX = 3;
    f.info.m_nHoverY = 4;
    f.input.Move(300, 200);
    f.input.middle = f.input.middlePush = true;
    f.Frame();
    EXPECT_TRUE(cursor->m_bDragging);
    f.input.Move(412, 200);  // 112 pixels to the right: one column back, one row on
    f.Frame();
    EXPECT_NEAR(f.info.m_fCameraX, 4.0f, 1e-4);
    EXPECT_NEAR(f.info.m_fCameraY, 6.0f, 1e-4);
    EXPECT_EQ(f.info.m_nHoverX, 3);  // kept during a drag
    f.input.Move(300, 256);          // 56 pixels down: one column and one row back
    f.Frame();
    EXPECT_NEAR(f.info.m_fCameraX, 4.0f, 1e-4);
    EXPECT_NEAR(f.info.m_fCameraY, 4.0f, 1e-4);
    f.input.Move(300, 5000);  // far: clamped to the map, never the margin
    f.Frame();
    EXPECT_EQ(f.info.m_fCameraX, 0.0f);
    EXPECT_EQ(f.info.m_fCameraY, 0.0f);
    f.input.Move(-5000, -5000);
    f.Frame();
    EXPECT_EQ(f.info.m_fCameraX, 11.0f);
    EXPECT_EQ(f.info.m_fCameraY, 9.0f);
    f.input.middle = false;  // released: the drag ends with this frame
    f.Frame();
    EXPECT_FALSE(cursor->m_bDragging);
}

TEST_F(CursorTest, HoverCellFollowsThePointerIsHeldOnTheMapAndIsNoneOverTheMinimap) {
    AddCursor();
    PointAtCell(6, 3);
    f.Frame();
    EXPECT_EQ(f.info.m_nHoverX, 6);
    EXPECT_EQ(f.info.m_nHoverY, 3);
    // Beside the map (up and left of it, above its top corner, just outside a top
    // edge, right of it): the nearest border cell.
    f.info.m_fCameraX = 0;
    f.info.m_fCameraY = 0;
    struct Beside {
        int px, py, cellX, cellY;
    };
    for (Beside b : {Beside{20, 100, 0, 0}, Beside{320, 235, 0, 0}, Beside{300, 240, 0, 0}, Beside{340, 240, 0, 0},
                     Beside{620, 240, 2, 0}}) {
        f.input.Move(b.px, b.py);
        f.Frame();
        EXPECT_EQ(f.info.m_nHoverX, b.cellX) << b.px << "," << b.py;
        EXPECT_EQ(f.info.m_nHoverY, b.cellY) << b.px << "," << b.py;
    }
    f.info.m_fCameraX = 11;
    f.info.m_fCameraY = 9;
    f.input.Move(620, 440);  // right of the far corner
    f.Frame();
    EXPECT_EQ(f.info.m_nHoverX, 11);
    EXPECT_EQ(f.info.m_nHoverY, 9);
    f.info.m_fCameraX = 0;
    f.info.m_fCameraY = 0;
    // Just inside the top corner of cell (0, 0).
    f.input.Move(320, 242);
    f.Frame();
    EXPECT_EQ(f.info.m_nHoverX, 0);
    EXPECT_EQ(f.info.m_nHoverY, 0);
    // Over the minimap (edges included): no hover cell.
    g_rcFieldMiniMap = RECT{370, 310, 610, 430};
    for (auto p : {std::pair{370, 310}, std::pair{610, 430}, std::pair{500, 400}}) {
        f.input.Move(p.first, p.second);
        f.Frame();
        EXPECT_EQ(f.info.m_nHoverX, -1);
        EXPECT_EQ(f.info.m_nHoverY, -1);
    }
    f.input.Move(369, 310);
    f.Frame();
    EXPECT_NE(f.info.m_nHoverX, -1);
}

struct ClickCase {
    const char* what;
    bool marked;
    bool left, right;
    int expectedResult;
    bool ends;
};

TEST_F(CursorTest, ClickRulesOfThePlainForm) {
    const ClickCase cases[] = {
        {"left on a marked cell", true, true, false, 1, true},
        {"left on an unmarked cell", false, true, false, 0, false},
        {"right anywhere", false, false, true, 2, true},
        {"left and right at once", true, true, true, 2, true},
        {"nothing", true, false, false, 0, false},
    };
    for (const ClickCase& c : cases) {
        f.controller.KillTask(8);
        f.info.ResetRangeCells();
        if (c.marked) f.info.m_vbRangeCell[3 * 12 + 6] = true;
        AddCursor();
        PointAtCell(6, 3);
        f.Frame();  // hover settles
        f.input.leftPush = c.left;
        f.input.rightPush = c.right;
        f.Frame();
        EXPECT_EQ(result, c.expectedResult) << c.what;
        EXPECT_EQ(f.controller.HasTask(8), !c.ends) << c.what;
    }
}

TEST_F(CursorTest, ClickRulesOfTheUnitForm) {
    const int a = f.AddUnit(6, 3, true, {1});
    const int b = f.AddUnit(7, 3, false, {20});
    f.info.m_vbRangeCell.assign(f.info.m_vbRangeCell.size(), true);
    struct Case {
        int x, y;
        int result, chosen;
    } cases[] = {
        {6, 3, 1, a},   // a candidate
        {7, 3, 0, -1},  // a unit that is no candidate
        {8, 3, 0, -1},  // an empty marked cell
    };
    for (const Case& c : cases) {
        f.controller.KillTask(8);
        AddUnitCursor({a});
        EXPECT_EQ(chosen, -1);
        PointAtCell(c.x, c.y);
        f.Frame();
        f.input.leftPush = true;
        f.Frame();
        EXPECT_EQ(result, c.result) << c.x;
        EXPECT_EQ(chosen, c.chosen) << c.x;
    }
    (void)b;
}

TEST_F(CursorTest, BesideTheMapALeftClickChoosesTheMarkedBorderCellAndARightClickCancels) {
    f.info.m_fCameraX = f.info.m_fCameraY = 0;
    f.info.ResetRangeCells();
    f.info.m_vbRangeCell[1] = true;  // cell (1, 0) only
    AddCursor();
    f.input.Move(20, 100);  // up and left of the map: over cell (0, 0), unmarked
    f.Frame();
    f.input.leftPush = true;
    f.Frame();
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(f.controller.HasTask(8));
    f.input.Move(600, 200);  // right of the map's top corner: over cell (1, 0), marked
    f.Frame();
    EXPECT_EQ(f.info.m_nHoverX, 1);
    EXPECT_EQ(f.info.m_nHoverY, 0);
    f.input.leftPush = true;
    f.Frame();
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(f.controller.HasTask(8));
    AddCursor();
    f.input.Move(20, 100);
    f.input.leftPush = false;
    f.input.rightPush = true;
    f.Frame();
    EXPECT_EQ(result, 2);
    EXPECT_FALSE(f.controller.HasTask(8));
}

TEST_F(CursorTest, ClicksOverTheMinimapAreIgnored) {
    f.info.m_vbRangeCell.assign(f.info.m_vbRangeCell.size(), true);
    g_rcFieldMiniMap = RECT{370, 310, 610, 430};
    AddCursor();
    f.input.Move(500, 400);
    f.Frame();
    f.input.leftPush = f.input.rightPush = true;
    f.Frame();
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(f.controller.HasTask(8));
}

TEST(FieldCursorBlink, AlphaRunsFrom100To250AndBack) {
    EXPECT_EQ(C_TaskCursol::BlinkAlpha(0), 100);
    EXPECT_EQ(C_TaskCursol::BlinkAlpha(30), 250);
    EXPECT_EQ(C_TaskCursol::BlinkAlpha(-30), 250);
    EXPECT_EQ(C_TaskCursol::BlinkAlpha(-1), 105);
}

}  // namespace
