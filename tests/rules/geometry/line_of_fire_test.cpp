// Segment test, line of fire, reach test and the view focus.
#include "../rules_fixture.h"

using namespace rulestest;

TEST(SegmentsIntersectTest, CrossingAndEndPoints) {
    EXPECT_TRUE(SegmentsIntersect(0, 0, 2, 2, 0, 2, 2, 0));
    // The first segment's end counts (closed bounds) ...
    EXPECT_TRUE(SegmentsIntersect(0, 0, 1, 1, 0, 2, 2, 0));
    // ... the second segment's end does not (open bounds).
    EXPECT_FALSE(SegmentsIntersect(0, 0, 2, 0, 1, 0, 2, 1));
    EXPECT_FALSE(SegmentsIntersect(0, 0, 2, 2, 3, 0, 2, 1));  // lines cross outside the first segment
}

TEST(SegmentsIntersectTest, ParallelAndVertical) {
    EXPECT_FALSE(SegmentsIntersect(0, 0, 2, 2, 0, 1, 2, 3));    // parallel
    EXPECT_FALSE(SegmentsIntersect(0, 0, 2, 2, 0, 0, 2, 2));    // the same line
    EXPECT_FALSE(SegmentsIntersect(0, 0, 0, 2, 0, -1, 0, 3));   // two verticals, overlapping
    EXPECT_FALSE(SegmentsIntersect(1, 0, 1, 4, 3, 0, 3, 4));    // two verticals apart
    EXPECT_TRUE(SegmentsIntersect(1, -2, 1, 2, 0.5f, 0.5f, 1.5f, -0.5f));  // vertical first segment
    // The open bounds hold for no point of a vertical second segment (the squares'
    // diagonals never are).
    EXPECT_FALSE(SegmentsIntersect(0, 0, 2, 1, 1, -1, 1, 3));
}

TEST(SegmentsIntersectTest, CornerOfACellNeverCuts) {
    // The line (0,0)-(1,1) passes the corner (0.5, 0.5) shared by cells (1,0) and (0,1).
    EXPECT_FALSE(LineCutsCell(0, 0, 1, 1, 1, 0));
    EXPECT_FALSE(LineCutsCell(0, 0, 1, 1, 0, 1));
    EXPECT_TRUE(LineCutsCell(0, 0, 2, 2, 1, 1));
    EXPECT_TRUE(LineCutsCell(0, 2, 4, 2, 2, 2));
}

class LineOfFire : public RulesField {};

TEST_F(LineOfFire, HillsBlockModeOneButNotModeTwo) {
    Map({".....",
         "..h..",
         "....."});
    EXPECT_FALSE(f->IsLineOfFireClear(0, 1, 4, 1, 1, -1));
    EXPECT_FALSE(f->IsLineOfFireClear(0, 1, 4, 1, 0, -1));
    EXPECT_TRUE(f->IsLineOfFireClear(0, 1, 4, 1, 2, -1));
    EXPECT_TRUE(f->IsLineOfFireClear(0, 0, 4, 0, 1, -1));
    // The target standing on the hill is not hidden by its own cell.
    EXPECT_TRUE(f->IsLineOfFireClear(0, 1, 2, 1, 1, -1));
}

TEST_F(LineOfFire, WallsBlockEveryMode) {
    Map({".....",
         "..#..",
         "....."});
    EXPECT_FALSE(f->IsLineOfFireClear(0, 1, 4, 1, 2, -1));
    EXPECT_FALSE(f->IsLineOfFireClear(0, 1, 4, 1, 1, -1));
}

TEST_F(LineOfFire, DiagonalObstaclesSharingACorner) {
    Map({".h.",
         "h..",
         "..."});
    EXPECT_TRUE(f->IsLineOfFireClear(0, 0, 1, 1, 1, -1));
    EXPECT_TRUE(f->IsLineOfFireClear(0, 0, 2, 2, 1, -1));
    f->m_MapData.m_byMapChip[4] = kHill;  // (1,1)
    EXPECT_FALSE(f->IsLineOfFireClear(0, 0, 2, 2, 1, -1));
}

TEST_F(LineOfFire, UnitsBlockExceptTheExcludedOneAndTheEnds) {
    OpenMap(5, 1);
    const int shooter = Unit(0, 0, true, {P{}});
    const int middle = Unit(2, 0, false, {P{}});
    Unit(4, 0, false, {P{}});
    EXPECT_FALSE(f->IsLineOfFireClear(0, 0, 4, 0, 1, shooter));
    EXPECT_TRUE(f->IsLineOfFireClear(0, 0, 4, 0, 1, middle));
    EXPECT_TRUE(f->IsLineOfFireClear(0, 0, 4, 0, 2, shooter));
    EXPECT_TRUE(f->IsLineOfFireClear(0, 0, 2, 0, 1, shooter));
}

TEST_F(LineOfFire, HighGroundReachesOnlyNeighbours) {
    Map({"h....",
         "....."});
    EXPECT_TRUE(f->IsLineOfFireClear(0, 0, 1, 0, 1, -1));
    EXPECT_TRUE(f->IsLineOfFireClear(0, 0, 0, 1, 1, -1));
    EXPECT_FALSE(f->IsLineOfFireClear(0, 0, 2, 0, 1, -1));
    EXPECT_FALSE(f->IsLineOfFireClear(0, 0, 1, 1, 1, -1));
    // In mode 2 a hill is no high ground.
    EXPECT_TRUE(f->IsLineOfFireClear(0, 0, 4, 1, 2, -1));
}

TEST_F(LineOfFire, AttackReachLimits) {
    OpenMap(6, 1);
    EXPECT_TRUE(f->IsInAttackReach(0, 0, 3, 0, 3, 1, -1, false, false));
    EXPECT_FALSE(f->IsInAttackReach(0, 0, 4, 0, 3, 1, -1, false, false));
    EXPECT_FALSE(f->IsInAttackReach(0, 0, 2, 0, 5, 1, -1, true, false));
    EXPECT_TRUE(f->IsInAttackReach(0, 0, 2, 0, 5, 1, -1, true, true));
    EXPECT_TRUE(f->IsInAttackReach(0, 0, 1, 0, 5, 1, -1, true, false));
}

TEST_F(LineOfFire, FocusPrefersKeyUnitThenFriendlyHero) {
    OpenMap(10, 10);
    P hero;
    hero.hero = true;
    Unit(1, 1, false, {P{}});
    Unit(2, 3, true, {P{}});
    Unit(4, 5, true, {hero});
    Unit(6, 7, true, {P{}});
    f->FocusViewOnKeyUnit();
    EXPECT_EQ(f->m_nHoverX, 4);
    EXPECT_EQ(f->m_nHoverY, 5);
    EXPECT_FLOAT_EQ(f->m_fCameraX, 4.0f);
    EXPECT_FLOAT_EQ(f->m_fCameraY, 5.0f);

    const int boss = Unit(8, 2, false, {P{}});
    Member(boss, 0).name = "黒騎士";
    f->FocusViewOnKeyUnit();
    EXPECT_EQ(f->m_nHoverX, 8);
    EXPECT_EQ(f->m_nHoverY, 2);
}

TEST_F(LineOfFire, FocusFallsBackToLastFriendlyThenOrigin) {
    OpenMap(10, 10);
    Unit(1, 1, true, {P{}});
    Unit(3, 4, true, {P{}});
    Unit(5, 5, false, {P{}});
    f->FocusViewOnKeyUnit();
    EXPECT_EQ(f->m_nHoverX, 3);
    EXPECT_EQ(f->m_nHoverY, 4);

    f->m_UnitList.Clear();
    Unit(5, 5, false, {P{}});
    f->FocusViewOnKeyUnit();
    EXPECT_EQ(f->m_nHoverX, 0);
    EXPECT_EQ(f->m_nHoverY, 0);
    EXPECT_FLOAT_EQ(f->m_fCameraX, 0.0f);
}
