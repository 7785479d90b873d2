// Movement search, paths and move areas.
#include "../rules_fixture.h"

using namespace rulestest;

namespace {

std::vector<std::pair<int, int>> Pairs(const std::vector<FieldCell>& cells) {
    std::vector<std::pair<int, int>> out;
    for (const FieldCell& c : cells) out.push_back({c.x, c.y});
    return out;
}

PassiveTerrainFlags NoFlags() { return {{0, false}, {1, false}, {2, false}, {3, false}}; }

}  // namespace

class Movement : public RulesField {};

TEST_F(Movement, BestFirstOrderOnOpenGround) {
    OpenMap(5, 5);
    std::vector<FieldCell> cells;
    std::vector<MoveSearchNode> nodes;
    f->SearchMoveTree(2, 2, cells, 2, 1, 0, NoFlags(), &nodes);
    const std::vector<std::pair<int, int>> expected = {{2, 2}, {2, 1}, {3, 2}, {2, 3}, {1, 2}, {2, 0}, {3, 1},
                                                       {1, 1}, {4, 2}, {3, 3}, {2, 4}, {1, 3}, {0, 2}};
    EXPECT_EQ(Pairs(cells), expected);
    ASSERT_EQ(nodes.size(), expected.size());
    EXPECT_EQ(nodes[0].nParent, -1);
    EXPECT_EQ(nodes[0].nRest, 2);
    EXPECT_EQ(nodes[1].nRest, 1);
    EXPECT_EQ(nodes[5].nParent, 1);  // (2,0) from (2,1)
    EXPECT_EQ(nodes[6].nParent, 1);  // (3,1) found first from (2,1)
    EXPECT_EQ(nodes[8].nParent, 2);  // (4,2) from (3,2)
    EXPECT_EQ(nodes[12].nRest, 0);
}

TEST_F(Movement, ZeroPointsReachOnlyTheStart) {
    OpenMap(3, 3);
    std::vector<FieldCell> cells;
    f->SearchMoveTree(1, 1, cells, 0, 1, 0, NoFlags());
    EXPECT_EQ(Pairs(cells), (std::vector<std::pair<int, int>>{{1, 1}}));
}

TEST_F(Movement, StepCostingAllPointsLeftIsTaken) {
    Map({".f.."});
    std::vector<FieldCell> cells;
    std::vector<MoveSearchNode> nodes;
    f->SearchMoveTree(0, 0, cells, 2, 1, 0, NoFlags(), &nodes);
    EXPECT_EQ(Pairs(cells), (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}}));
    EXPECT_EQ(nodes[1].nRest, 0);
    // Class 1 pays 3 for the forest: not enough.
    f->SearchMoveTree(0, 0, cells, 2, 1, 1, NoFlags());
    EXPECT_EQ(cells.size(), 1u);
}

TEST_F(Movement, EqualPointsKeepTheFirstRoute) {
    OpenMap(3, 3);
    std::vector<FieldCell> cells;
    std::vector<MoveSearchNode> nodes;
    f->SearchMoveTree(0, 0, cells, 2, 1, 0, NoFlags(), &nodes);
    // (1,1) is reached from (1,0) and from (0,1) with 0 points: the first route stays.
    for (const MoveSearchNode& n : nodes)
        if (n.x == 1 && n.y == 1) {
            EXPECT_EQ(nodes[(size_t)n.nParent].x, 1);
            EXPECT_EQ(nodes[(size_t)n.nParent].y, 0);
        }
}

TEST_F(Movement, MorePointsWinOverTheFirstRoute) {
    Map({".f.",
         "..."});
    std::vector<FieldCell> cells;
    std::vector<MoveSearchNode> nodes;
    f->SearchMoveTree(0, 0, cells, 3, 1, 0, NoFlags(), &nodes);
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}};
    EXPECT_EQ(Pairs(cells), expected);
    // (1,1): through (0,1) leaves 1 point, through the forest 0.
    EXPECT_EQ(nodes[3].nRest, 1);
    EXPECT_EQ(nodes[3].nParent, 1);
    EXPECT_EQ(nodes[4].nParent, 2);  // (2,0) through the forest

    f->m_nMovingUnit = -1;
    const int u = Unit(0, 0, true, {P{}});
    Member(u, 0).nRestMove = 3;
    f->BuildMovePath(u, 2, 1);
    EXPECT_EQ(Pairs(std::vector<FieldCell>(f->m_vMovePath)),
              (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {1, 1}, {2, 1}}));
    EXPECT_EQ(f->m_nMovingUnit, u);
}

TEST_F(Movement, UnreachableTargetLeavesThePathAlone) {
    OpenMap(4, 1);
    const int u = Unit(0, 0, true, {P{}});
    Member(u, 0).nRestMove = 1;
    f->BuildMovePath(u, 3, 0);
    EXPECT_TRUE(f->m_vMovePath.empty());
}

TEST_F(Movement, OtherSideIsReachedButNotCrossed) {
    OpenMap(5, 1);
    Unit(2, 0, false, {P{}});
    std::vector<FieldCell> cells;
    f->SearchMoveTree(0, 0, cells, 4, 1, 0, NoFlags());
    EXPECT_EQ(Pairs(cells), (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 0}}));
    // A unit of the own side is passed through.
    f->SearchMoveTree(0, 0, cells, 4, 0, 0, NoFlags());
    EXPECT_EQ(cells.size(), 5u);
}

TEST_F(Movement, CellsBehindTheOtherSideByAnotherRoute) {
    OpenMap(5, 2);
    Unit(2, 0, false, {P{}});
    std::vector<FieldCell> cells;
    f->SearchMoveTree(0, 0, cells, 5, 1, 0, NoFlags());
    EXPECT_TRUE(Has(cells, 2, 0));
    EXPECT_TRUE(Has(cells, 3, 0));   // around through the second row: 5 steps
    EXPECT_FALSE(Has(cells, 4, 0));  // would need 6
}

TEST_F(Movement, PassiveTerrainMakesTheStepCheaper) {
    Map({".ff.",});
    std::vector<FieldCell> cells;
    std::vector<MoveSearchNode> nodes;
    PassiveTerrainFlags flags = NoFlags();
    flags[0] = true;  // forest walker
    f->SearchMoveTree(0, 0, cells, 3, 1, 0, flags, &nodes);
    ASSERT_EQ(nodes.size(), 4u);
    EXPECT_EQ(nodes[1].nRest, 2);
    EXPECT_EQ(nodes[2].nRest, 1);
    EXPECT_EQ(nodes[3].nRest, 0);
    // A flag for another terrain changes nothing.
    flags = NoFlags();
    flags[1] = true;
    f->SearchMoveTree(0, 0, cells, 3, 1, 0, flags, &nodes);
    EXPECT_EQ(nodes.size(), 2u);
}

TEST_F(Movement, PassiveOnACostOneTerrainPaysNothing) {
    Map({"ffff"});
    SetTerrain(kForest, 1, 1, 0, 0, 0);
    std::vector<FieldCell> cells;
    std::vector<MoveSearchNode> nodes;
    PassiveTerrainFlags flags = NoFlags();
    flags[0] = true;
    f->SearchMoveTree(0, 0, cells, 1, 1, 0, flags, &nodes);
    ASSERT_EQ(nodes.size(), 4u);
    for (const MoveSearchNode& n : nodes) EXPECT_EQ(n.nRest, 1);
}

TEST_F(Movement, PassiveOnAFreeTerrainNeverAddsPoints) {
    Map({"ffff"});
    SetTerrain(kForest, 0, 0, 0, 0, 0);
    std::vector<FieldCell> cells;
    std::vector<MoveSearchNode> nodes;
    PassiveTerrainFlags flags = NoFlags();
    flags[0] = true;
    f->SearchMoveTree(0, 0, cells, 1, 1, 0, flags, &nodes);
    ASSERT_EQ(nodes.size(), 4u);
    for (const MoveSearchNode& n : nodes) EXPECT_EQ(n.nRest, 1);
}

TEST_F(Movement, PersonSearchUsesPassivesOfEffectElevenAndOwnClass) {
    Map({".ff."});
    P walker;
    walker.move = 3;
    walker.passives = {11};
    const int u = Unit(0, 0, true, {walker});
    std::vector<FieldCell> cells;
    f->SearchPersonMoves(u, 0, cells);
    EXPECT_EQ(cells.size(), 4u);
}

TEST_F(Movement, MixedClassesPayTheLargerCostAndAvoidEitherImpassable) {
    Map({".f..",
         "m..."});
    P foot;
    foot.move = 4;
    P rider;
    rider.move = 4;
    rider.type = 1;
    const int u = Unit(0, 0, true, {foot, rider}, 2);
    std::vector<FieldCell> cells;
    std::vector<MoveSearchNode> nodes;
    f->SearchUnitMoves(u, cells, &nodes);
    EXPECT_FALSE(Has(cells, 0, 1));  // marsh: class 0 cannot enter
    for (const MoveSearchNode& n : nodes)
        if (n.x == 1 && n.y == 0) {
            EXPECT_EQ(n.nRest, 1);  // forest costs 3 for the rider
        }
    // The unit's points are its slowest member's.
    Member(u, 1).nRestMove = 1;
    f->SearchUnitMoves(u, cells);
    EXPECT_EQ(Pairs(cells), (std::vector<std::pair<int, int>>{{0, 0}}));
}

TEST_F(Movement, UnitFlagsNeedEveryMember) {
    Map({".ff."});
    P walker;
    walker.move = 3;
    walker.passives = {10};
    P plain = walker;
    plain.passives = {};
    const int u = Unit(0, 0, true, {walker, plain}, 2);
    std::vector<FieldCell> cells;
    f->SearchUnitMoves(u, cells);
    EXPECT_EQ(cells.size(), 2u);
    Member(u, 1).pskill[0] = 10;
    f->SearchUnitMoves(u, cells);
    EXPECT_EQ(cells.size(), 4u);
}

TEST_F(Movement, MoveAreaModes) {
    OpenMap(5, 5);
    P still;
    still.move = 0;
    P runner;
    runner.move = 1;
    runner.passives = {9};
    const int u = Unit(2, 2, true, {still, runner}, 2);
    std::vector<FieldCell> cells;
    std::vector<MoveSearchNode> trees[4];
    f->CalcUnitMoveArea(u, cells, 0, trees);
    EXPECT_EQ(Pairs(cells), (std::vector<std::pair<int, int>>{{1, 2}, {2, 1}, {2, 2}, {2, 3}, {3, 2}}));
    EXPECT_EQ(trees[0].size(), 1u);
    EXPECT_EQ(trees[1].size(), 5u);
    f->CalcUnitMoveArea(u, cells, 1);
    EXPECT_EQ(Pairs(cells), (std::vector<std::pair<int, int>>{{2, 2}}));
    // Mode 2: the leader lacks the passive, so the output keeps what it held and
    // is intersected with the runner's area.
    cells = {{2, 1}, {0, 0}, {3, 2}};
    f->CalcUnitMoveArea(u, cells, 2);
    EXPECT_EQ(Pairs(cells), (std::vector<std::pair<int, int>>{{2, 1}, {3, 2}}));
    // Other modes leave the output untouched.
    f->CalcUnitMoveArea(u, cells, 3);
    EXPECT_EQ(cells.size(), 2u);
}

TEST_F(Movement, SingleMemberModeOneKeepsSearchOrder) {
    OpenMap(3, 3);
    P p;
    p.move = 1;
    const int u = Unit(1, 1, true, {p});
    std::vector<FieldCell> cells;
    f->CalcUnitMoveArea(u, cells, 1);
    EXPECT_EQ(Pairs(cells), (std::vector<std::pair<int, int>>{{1, 1}, {1, 0}, {2, 1}, {1, 2}, {0, 1}}));
}
