// The ranges of a unit the player does not operate: one display per click, each held
// until the cursor answers, then back to the unit selection.
#include "map/TaskCursol.h"
#include "map/TaskDispRange.h"
#include "turn/TaskMoveUnit.h"
#include "turn/TaskSelectUnit.h"
#include "turn_fixture.h"

namespace {

using P = turntest::TurnField::P;

class DispMoveRange : public turntest::TurnField {
protected:
    void SetUp() override {
        TurnField::SetUp();
        OpenMap(16, 16);
        P e;
        e.move = 2;
        unit = Unit(3, 3, false, {e, e});
        f->m_fCameraX = f->m_fCameraY = 3.0f;
        controller.AddTask(new C_TaskDispMoveRange(f.get(), unit), 26);
        Frame();
    }
    // The kind of the range on show, 0 for none.
    int Kind() {
        auto* range = Find<C_TaskDispRange>();
        return range ? range->m_nKind : 0;
    }
    // A click through the real cursor on the middle of cell (x, y).
    void Click(int x, int y, bool left) {
        input.Move(f->GetScreenX(float(x), float(y)), f->GetScreenY(float(x), float(y)) + 28);
        if (left) input.ClickLeft();
        else input.ClickRight();
        Frame();
    }

    int unit = -1;
};

TEST_F(DispMoveRange, EachDisplayWaitsForItsClickAndTheLastGoesBackToTheSelection) {
    struct Case {
        bool detected;
        std::vector<int> kinds;  // the displays, one per click
    } cases[] = {{false, {1, 2, 3}}, {true, {1, 2}}};
    for (const Case& c : cases) {
        controller.KillTaskRange(-100000, 100000);
        f->m_AI.m_bDetected = c.detected;
        controller.AddTask(new C_TaskDispMoveRange(f.get(), unit), 26);
        Frame();
        for (size_t k = 0; k < c.kinds.size(); ++k) {
            SCOPED_TRACE(testing::Message() << "detected " << c.detected << ", display " << k);
            EXPECT_EQ(Kind(), c.kinds[k]);
            EXPECT_EQ(Count<C_TaskDispRange>(), 1);
            EXPECT_EQ(Count<C_TaskCursol>(), 1);
            // Held without a click, and a left click beside the map is no answer where
            // the border cell the pointer stands on is not marked.  (The twelve-cell
            // display marks every border cell on screen, so there it would answer.)
            Frames(90);
            EXPECT_EQ(Kind(), c.kinds[k]);
            if (c.kinds[k] != 3) {
                Click(-2, 3, true);
                EXPECT_EQ(Kind(), c.kinds[k]);
            }
            Click(3, 4, k % 2 == 0);  // the next: either button
        }
        EXPECT_EQ(Find<C_TaskDispMoveRange>(), nullptr);
        EXPECT_EQ(Kind(), 0);
        EXPECT_NE(Find<C_TaskSelectUnit>(), nullptr);
    }
}

TEST_F(DispMoveRange, TheDisplaysAreTheMoveAreaTheAttackAreaAndTwelveCellsAround) {
    const std::vector<FieldCell> move = Find<C_TaskDispRange>()->m_vCells[0];
    std::vector<FieldCell> area;
    f->CalcUnitMoveArea(unit, area, 1);
    EXPECT_EQ(move.size(), area.size());
    EXPECT_TRUE(f->IsRangeCell(3, 5));
    EXPECT_FALSE(f->IsRangeCell(3, 8));
    Click(3, 8, true);  // beside the area: no answer
    EXPECT_EQ(Kind(), 1);
    f->m_AI.m_bDetected = false;
    Click(3, 3, false);
    f->CalcUnitAreasFor(area, unit, false, false);
    EXPECT_EQ(Find<C_TaskDispRange>()->m_vCells[0].size(), area.size());
    Click(3, 3, false);
    // Cells within 12 steps, the unit's own cell among them.
    EXPECT_TRUE(f->IsRangeCell(3, 15));
    EXPECT_TRUE(f->IsRangeCell(9, 9));
    EXPECT_FALSE(f->IsRangeCell(10, 9));
    EXPECT_TRUE(f->IsRangeCell(3, 3));
}

}  // namespace
