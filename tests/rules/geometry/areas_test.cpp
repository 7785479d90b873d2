// Reach rings with shadows, unit attack and support areas, range bits.
#include <algorithm>
#include <cstdlib>

#include "../rules_fixture.h"

using namespace rulestest;

namespace {

std::vector<std::pair<int, int>> Pairs(const std::vector<FieldCell>& cells) {
    std::vector<std::pair<int, int>> out;
    for (const FieldCell& c : cells) out.push_back({c.x, c.y});
    return out;
}

}  // namespace

class Areas : public RulesField {};

TEST_F(Areas, RingOrderAndMapEdge) {
    OpenMap(5, 5);
    std::vector<FieldCell> cells;
    f->CollectCellsInRange(cells, 2, 2, 0, 1, -1);
    EXPECT_EQ(Pairs(cells), (std::vector<std::pair<int, int>>{{2, 2}}));
    f->CollectCellsInRange(cells, 2, 2, 1, 1, -1);
    EXPECT_EQ(Pairs(cells), (std::vector<std::pair<int, int>>{{2, 2}, {1, 2}, {2, 3}, {2, 1}, {3, 2}}));
    f->CollectCellsInRange(cells, 0, 0, 2, 1, -1);
    EXPECT_EQ(Pairs(cells), (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {1, 0}, {0, 2}, {1, 1}, {2, 0}}));
}

TEST_F(Areas, UnitCastsAShadowInModeOneOnly) {
    OpenMap(7, 5);
    const int shooter = Unit(0, 2, true, {P{}});
    Unit(2, 2, false, {P{}});
    std::vector<FieldCell> cells;
    f->CollectCellsInRange(cells, 0, 2, 4, 1, shooter);
    EXPECT_TRUE(Has(cells, 2, 2));  // the unit itself stays a target
    EXPECT_FALSE(Has(cells, 3, 2));
    EXPECT_FALSE(Has(cells, 4, 2));
    EXPECT_TRUE(Has(cells, 3, 1));
    EXPECT_TRUE(Has(cells, 1, 2));
    f->CollectCellsInRange(cells, 0, 2, 4, 2, shooter);
    EXPECT_TRUE(Has(cells, 3, 2));
    EXPECT_TRUE(Has(cells, 4, 2));
    // A unit farther than the reach casts no shadow.
    f->CollectCellsInRange(cells, 0, 2, 1, 1, shooter);
    EXPECT_EQ(cells.size(), 4u);
}

TEST_F(Areas, WallIsRemovedAndHidesInBothModes) {
    Map({".....",
         ".....",
         "..#..",
         ".....",
         "....."});
    std::vector<FieldCell> cells;
    for (int mode : {1, 2}) {
        f->CollectCellsInRange(cells, 2, 4, 4, mode, -1);
        EXPECT_FALSE(Has(cells, 2, 2)) << mode;
        EXPECT_FALSE(Has(cells, 2, 1)) << mode;
        EXPECT_FALSE(Has(cells, 2, 0)) << mode;
        EXPECT_TRUE(Has(cells, 2, 3)) << mode;
        EXPECT_TRUE(Has(cells, 0, 4)) << mode;
    }
}

TEST_F(Areas, HillStaysTargetableButHidesInModeOne) {
    Map({".....",
         ".....",
         "..h..",
         ".....",
         "....."});
    std::vector<FieldCell> cells;
    f->CollectCellsInRange(cells, 2, 4, 4, 1, -1);
    EXPECT_TRUE(Has(cells, 2, 2));
    EXPECT_FALSE(Has(cells, 2, 1));
    f->CollectCellsInRange(cells, 2, 4, 4, 2, -1);
    EXPECT_TRUE(Has(cells, 2, 1));
}

TEST_F(Areas, HighGroundGivesAtMostFiveCells) {
    Map({".#.",
         ".hh",
         "..."});
    std::vector<FieldCell> cells;
    f->CollectCellsInRange(cells, 1, 1, 10, 1, -1);
    // Own cell, then up (a wall: left out), down, left, right.
    EXPECT_EQ(Pairs(cells), (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {0, 1}, {2, 1}}));
}

TEST_F(Areas, UnitAreasJoinBothModesSortedWithoutDuplicates) {
    OpenMap(7, 7);
    P archer;
    archer.skills = {1, 13};  // sword (mode 1, reach 1), lob (mode 2, reach 4)
    const int u = Unit(3, 3, true, {archer});
    Unit(3, 2, false, {P{}});  // in front: hides nothing from the lob
    std::vector<FieldCell> cells;
    f->CalcUnitAreasFor(cells, u, false, false);
    EXPECT_TRUE(Has(cells, 3, 0));
    EXPECT_TRUE(std::is_sorted(cells.begin(), cells.end(), [](const FieldCell& a, const FieldCell& b) {
        return a.x != b.x ? a.x < b.x : a.y < b.y;
    }));
    size_t diamond = 0;
    for (int x = 0; x < 7; ++x)
        for (int y = 0; y < 7; ++y)
            if (std::abs(x - 3) + std::abs(y - 3) <= 4) ++diamond;
    EXPECT_EQ(cells.size(), diamond);
    // Support area: no support skill, nothing.
    f->CalcUnitAreasFor(cells, u, true, false);
    EXPECT_TRUE(cells.empty());
}

TEST_F(Areas, RestrictedMembersReachOnlyNeighbours) {
    OpenMap(9, 9);
    P archer;
    archer.skills = {17};  // long shot
    const int u = Unit(4, 4, true, {archer});
    std::vector<FieldCell> cells;
    f->CalcUnitAreasFor(cells, u, false, true);
    EXPECT_EQ(cells.size(), 5u);
    Member(u, 0).pskill[0] = 9;  // keeps its reach after moving
    f->CalcUnitAreasFor(cells, u, false, true);
    EXPECT_EQ(cells.size(), 81u);
}

TEST_F(Areas, ReachAboveOneHundredIsCut) {
    OpenMap(103, 1);
    P archer;
    archer.skills = {17};  // "range2" 150
    const int u = Unit(0, 0, true, {archer});
    std::vector<FieldCell> cells;
    f->CalcUnitAreasFor(cells, u, false, false);
    EXPECT_EQ(cells.size(), 101u);
    EXPECT_FALSE(Has(cells, 101, 0));
}

TEST_F(Areas, MarkRangeCellsSetsOnlyTheListedBits) {
    OpenMap(4, 3);
    f->m_vbRangeCell.assign(12, true);
    f->MarkRangeCells({{1, 2}, {3, 0}});
    int set = 0;
    for (bool b : f->m_vbRangeCell) set += b ? 1 : 0;
    EXPECT_EQ(set, 2);
    EXPECT_TRUE(f->m_vbRangeCell[1 + 2 * 4]);
    EXPECT_TRUE(f->m_vbRangeCell[3]);
}
