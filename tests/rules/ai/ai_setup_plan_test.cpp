// Enemy phase set-up (areas, troops, healers) and the plan of a phase (routes,
// detection, waypoints, acting order).
#include "ai_fixture.h"

using namespace aitest;

namespace {

class AISetup : public AIField {};
class AIPlan : public AIField {};

bool Linked(const IntGrid& g, int a, int b) {
    for (const AIAreaLink& l : g.vArea[(size_t)a].vLink)
        if (l.nArea == b) return true;
    return false;
}

}  // namespace

TEST_F(AISetup, OpenMapIsOneAreaAndClosedMapNone) {
    OpenMap(7, 4);
    ai().BuildAreaMap(*f);
    ASSERT_EQ(ai().m_AreaMap.vArea.size(), 1u);
    const AIArea& a = ai().m_AreaMap.vArea[0];
    EXPECT_EQ(a.left, 0);
    EXPECT_EQ(a.top, 0);
    EXPECT_EQ(a.right, 6);
    EXPECT_EQ(a.bottom, 3);
    EXPECT_TRUE(a.vLink.empty());
    for (int v : ai().m_AreaMap.vnCell) EXPECT_EQ(v, 0);

    Map({"###", "#m#"});
    ai().BuildAreaMap(*f);
    EXPECT_TRUE(ai().m_AreaMap.vArea.empty());
    EXPECT_EQ(ai().m_AreaMap.nWidth, 3);
    for (int v : ai().m_AreaMap.vnCell) EXPECT_EQ(v, -1);
}

TEST_F(AISetup, AreasGrowFromTheLargestSquareAndLinkAlongSharedEdges) {
    Map({"..#..", "..#..", "....."});
    ai().BuildAreaMap(*f);
    const IntGrid& g = ai().m_AreaMap;
    ASSERT_EQ(g.vArea.size(), 3u);
    EXPECT_EQ(g.vArea[0].left, 0);
    EXPECT_EQ(g.vArea[0].right, 1);
    EXPECT_EQ(g.vArea[0].bottom, 2);
    EXPECT_EQ(g.vArea[1].left, 3);
    EXPECT_EQ(g.vArea[1].right, 4);
    EXPECT_EQ(g.vArea[2].left, 2);
    EXPECT_EQ(g.vArea[2].top, 2);
    EXPECT_EQ(g.vArea[2].right, 2);
    EXPECT_TRUE(Linked(g, 0, 2));
    EXPECT_TRUE(Linked(g, 2, 0));
    EXPECT_TRUE(Linked(g, 1, 2));
    EXPECT_FALSE(Linked(g, 0, 1));
    // The border lies on the gap tile.
    const AIAreaLink& l = g.vArea[0].vLink[0];
    EXPECT_EQ(l.left, 2);
    EXPECT_EQ(l.top, 2);
    EXPECT_EQ(g.vArea[0].vnNeighbour, std::vector<int32_t>({2}));
    EXPECT_EQ(ai().FindAreaPath(0, 1, 0, 0), std::vector<int>({0, 2, 1}));
}

TEST_F(AISetup, CloseTroopsMergeWithHalvesGoingDownAndFarOnesStayAlone) {
    OpenMap(30, 5);
    const int a = Enemy(0, 0, {Sword()});
    const int b = Enemy(3, 0, {Sword()});
    const int c = Enemy(29, 4, {Sword(), Sword(), Sword()});
    const int d = Enemy(25, 4, {Sword()});
    Player(10, 2, {Sword()});
    ai().BeginPhase(*f);
    EXPECT_TRUE(ai().m_bInitialized);
    ASSERT_EQ(ai().m_vTroop.size(), 2u);
    // (0 + 3) / 2 = 1.5 goes down to 1.
    EXPECT_EQ(ai().m_vTroop[0].x, 1);
    EXPECT_EQ(ai().m_vTroop[0].y, 0);
    EXPECT_EQ(ai().m_vTroop[0].MemberID, std::vector<int32_t>({Id(a, 0), Id(b, 0)}));
    // Weighted by members: (3 x 29 + 25) / 4 = 28, rows (3 x 4 + 4) / 4 = 4.
    EXPECT_EQ(ai().m_vTroop[1].x, 28);
    EXPECT_EQ(ai().m_vTroop[1].y, 4);
    EXPECT_EQ(ai().m_vTroop[1].MemberID.size(), 4u);
    EXPECT_EQ(ai().m_vTroop[1].MemberID[3], Id(d, 0));
    (void)c;
}

TEST_F(AISetup, MergeRoundsTheWeightedCentreToTheNearestWithHalvesDown) {
    OpenMap(20, 3);
    Enemy(0, 0, {Sword()});
    Enemy(5, 1, {Sword(), Sword(), Sword()});
    ai().BeginPhase(*f);
    ASSERT_EQ(ai().m_vTroop.size(), 1u);
    // x = 15 / 4 = 3.75 -> 4; y = 3 / 4 = 0.75 -> 1.
    EXPECT_EQ(ai().m_vTroop[0].x, 4);
    EXPECT_EQ(ai().m_vTroop[0].y, 1);
}

TEST_F(AISetup, WallsKeepTroopsApartAndHealersAreListedOnce) {
    Map({"..#..", "..#..", "..#.."});
    P healer = Sword();
    healer.skills = {1, 4, 14};
    const int a = Enemy(0, 0, {Sword(), healer});
    Enemy(4, 0, {Sword()});
    ai().BeginPhase(*f);
    ASSERT_EQ(ai().m_vTroop.size(), 2u);
    EXPECT_EQ(ai().m_vTroop[0].HealerID, std::vector<int32_t>({Id(a, 1)}));
    EXPECT_TRUE(ai().m_vTroop[1].HealerID.empty());
    EXPECT_TRUE(ai().m_vTroop[0].MoveList.empty());
    EXPECT_FALSE(ai().m_bDetected);
}

TEST_F(AISetup, LoadedTroopsSurviveExceptOnTurnOneAndTheSetUpRunsOnce) {
    OpenMap(10, 3);
    Enemy(0, 0, {Sword()});
    AITroop loaded;
    loaded.MemberID = {4242};
    ai().m_vTroop.push_back(loaded);
    ai().m_bTroopsLoaded = true;
    ai().m_bUseView = false;
    ai().m_bDetected = false;
    f->m_nTurn = 3;
    ai().BeginPhase(*f);
    EXPECT_TRUE(ai().m_bDetected);
    EXPECT_FALSE(ai().m_bTroopsLoaded);
    ASSERT_EQ(ai().m_vTroop.size(), 1u);
    EXPECT_EQ(ai().m_vTroop[0].MemberID[0], 4242);
    // A second call does nothing.
    ai().m_vTroop.clear();
    ai().BeginPhase(*f);
    EXPECT_TRUE(ai().m_vTroop.empty());

    C_AI fresh;
    fresh.m_vTroop.push_back(loaded);
    fresh.m_bTroopsLoaded = true;
    f->m_nTurn = 1;
    fresh.BeginPhase(*f);
    ASSERT_EQ(fresh.m_vTroop.size(), 1u);
    EXPECT_NE(fresh.m_vTroop[0].MemberID[0], 4242);
}

// ---- the plan -----------------------------------------------------------------------------

TEST_F(AIPlan, DetectionReachesTwelveTilesButNotThirteen) {
    OpenMap(30, 3);
    Enemy(0, 1, {Sword()});
    const int p = Player(13, 1, {Sword()});
    ai().BeginPhase(*f);
    ai().UpdatePlan(*f);
    EXPECT_FALSE(ai().m_bDetected);
    EXPECT_EQ(ai().m_vTroop[0].nContact, 0);
    ASSERT_EQ(ai().m_lstPlan.size(), 1u);
    EXPECT_EQ(ai().m_lstPlan.front().nOrderKey, 0);

    f->m_UnitList.SetUnitPosition(p, 12, 1);
    ai().m_bPlanDone = true;
    ai().UpdatePlan(*f);
    EXPECT_TRUE(ai().m_bDetected);
    EXPECT_EQ(ai().m_vTroop[0].nContact, 1);
    ASSERT_FALSE(ai().m_vTroop[0].MoveList.empty());
    EXPECT_EQ(ai().m_vTroop[0].MoveList.front().x, 12);
    EXPECT_EQ(ai().m_vTroop[0].MoveList.front().Type, 1);
    EXPECT_EQ(ai().m_lstPlan.front().nOrderKey, 1);
    EXPECT_EQ(ai().m_lstPlan.front().destX, 12);
    EXPECT_EQ(ai().m_lstPlan.front().destY, 1);
}

TEST_F(AIPlan, SightedOnlyUntilTheTargetHasActed) {
    // The hill blocks the direct line but not the view.
    Map({"..........", "....h.....", ".........."});
    Enemy(0, 1, {Sword()});
    const int p = Player(8, 1, {Sword()});
    ai().BeginPhase(*f);
    ai().UpdatePlan(*f);
    EXPECT_FALSE(ai().m_bDetected);
    EXPECT_EQ(ai().m_vTroop[0].nContact, 0);  // sighted, then back to no contact
    EXPECT_EQ(ai().m_vTroop[0].nFoeDistance, 24);
    EXPECT_TRUE(ai().m_vTroop[0].MoveList.empty());

    f->m_UnitList.SetActEnd(p, 1);
    ai().m_bPlanDone = true;
    ai().UpdatePlan(*f);
    EXPECT_TRUE(ai().m_bDetected);
    EXPECT_EQ(ai().m_vTroop[0].nContact, 1);
    EXPECT_EQ(ai().m_vTroop[0].nFoeDistance, 8);
}

TEST_F(AIPlan, ADetectedUnitFartherAwayBeatsANearerOneOnlySighted) {
    Map({"...........", "....h......", "..........."});
    Enemy(5, 1, {Sword()});
    Player(3, 1, {Sword()});   // behind the hill: only sighted, weighted 6
    Player(10, 1, {Sword()});  // in the open 5 tiles away: detected, weighted 5
    ai().BeginPhase(*f);
    ai().UpdatePlan(*f);
    EXPECT_TRUE(ai().m_bDetected);
    EXPECT_EQ(ai().m_vTroop[0].nContact, 1);
    EXPECT_EQ(ai().m_vTroop[0].nFoeX, 10);
    EXPECT_EQ(ai().m_vTroop[0].nFoeDistance, 5);
    // The engagement point lies within 5 tiles of the centre and is passed at once.
    EXPECT_TRUE(ai().m_vTroop[0].MoveList.empty());
}

TEST_F(AIPlan, TroopsTakeTheLongestMatchingRouteTail) {
    OpenMap(30, 3);
    f->m_MapData.AddAnabasisRoute({0, 1, 10, 1, 20, 1});
    f->m_MapData.AddAnabasisRoute({0, 1, 5, 1, 10, 1, 15, 1});
    f->m_MapData.AddAnabasisRoute({-1, -1, 29, 2});
    Enemy(2, 1, {Sword()});
    ai().BeginPhase(*f);
    ai().UpdatePlan(*f);
    const auto& moves = ai().m_vTroop[0].MoveList;
    // (5, 1) lies within 5 tiles of the centre and is dropped at once.
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves.front().x, 10);
    EXPECT_EQ(moves.back().x, 15);
    EXPECT_EQ(moves.front().Type, 0);
    EXPECT_EQ(ai().m_lstPlan.front().destX, 10);
}

TEST_F(AIPlan, DestinationsWalkOnAlongTheWaypoints) {
    OpenMap(12, 6);
    const int a = Enemy(9, 0, {Sword()});
    const int b = Enemy(0, 5, {Sword()});
    ai().BuildAreaMap(*f);
    ai().m_bInitialized = true;
    f->m_UnitList.SetUnitPosition(a, 9, 0);
    AITroop t;
    t.MemberID = {Id(a, 0), Id(b, 0)};
    t.MoveList = {{0, 0, 0}, {10, 0, 0}};
    ai().m_vTroop.push_back(t);
    ai().UpdatePlan(*f);
    // Centre (4.5, 2.5) -> (4, 2), 6 tiles from (0, 0): both waypoints stay.
    EXPECT_EQ(ai().m_vTroop[0].x, 4);
    EXPECT_EQ(ai().m_vTroop[0].y, 2);
    ASSERT_EQ(ai().m_lstPlan.size(), 2u);
    EXPECT_EQ(ai().m_lstPlan.front().destX, 10);  // 1 <= 10 + 2
    EXPECT_EQ(ai().m_lstPlan.back().destX, 0);    // 15 > 12
    EXPECT_EQ(ai().m_lstPlan.back().destY, 0);
}

TEST_F(AIPlan, WaypointsWithinFiveTilesArePassed) {
    OpenMap(20, 3);
    const int a = Enemy(0, 0, {Sword()});
    ai().BuildAreaMap(*f);
    ai().m_bInitialized = true;
    AITroop t;
    t.MemberID = {Id(a, 0)};
    t.MoveList = {{5, 0, 0}, {6, 0, 0}};
    ai().m_vTroop.push_back(t);
    ai().UpdatePlan(*f);
    ASSERT_EQ(ai().m_vTroop[0].MoveList.size(), 1u);
    EXPECT_EQ(ai().m_vTroop[0].MoveList.front().x, 6);
}

TEST_F(AIPlan, EngagedFirstHealersLastEqualKeysInTheirOrder) {
    OpenMap(40, 3);
    P healer = Sword();
    healer.skills = {4};
    P ranger = Sword();
    ranger.passives = {10};  // a passive of type 0 changes nothing
    const int idle = Enemy(39, 0, {Sword(), healer});
    const int engaged = Enemy(2, 1, {Sword(), ranger});
    const int idle2 = Enemy(39, 2, {Sword()});
    Player(0, 1, {Sword()});
    ai().BeginPhase(*f);
    ASSERT_EQ(ai().m_vTroop.size(), 2u);
    ai().UpdatePlan(*f);
    std::vector<std::pair<int, int>> order;
    for (const AIPlanEntry& e : ai().m_lstPlan) order.push_back({e.nPersonID, e.nOrderKey});
    const std::vector<std::pair<int, int>> expected = {
        {Id(engaged, 0), 1}, {Id(engaged, 1), 1}, {Id(idle, 0), 0}, {Id(idle2, 0), 0}, {Id(idle, 1), -1}};
    EXPECT_EQ(order, expected);
    for (const AIPlanEntry& e : ai().m_lstPlan) {
        EXPECT_FALSE(e.bAct);
        EXPECT_GE(e.destX, 0);
        EXPECT_GE(e.destY, 0);
    }
}

TEST_F(AIPlan, DefeatedMembersLeaveAndTheirTroopGivesNoEntry) {
    OpenMap(30, 3);
    const int a = Enemy(0, 0, {Sword()});
    Enemy(29, 2, {Sword()});
    ai().BeginPhase(*f);
    ASSERT_EQ(ai().m_vTroop.size(), 2u);
    const int person = f->m_UnitList.GetMember(a, 0);
    f->m_PersonList.GetPerson(person).bExist = 0;
    f->m_UnitList.RemoveUnit(a);
    ai().UpdatePlan(*f);
    EXPECT_TRUE(ai().m_vTroop[0].MemberID.empty());
    ASSERT_EQ(ai().m_lstPlan.size(), 1u);
    EXPECT_EQ(ai().m_lstPlan.front().nTroop, 1);
}

TEST_F(AIPlan, AnIdleTroopSupportsAnEngagedTroopOfItsArea) {
    Map({"..............................", "..............................", "#############################."});
    Enemy(5, 1, {Sword()});
    Enemy(25, 1, {Sword()});
    Player(0, 1, {Sword()});
    ai().BeginPhase(*f);
    ASSERT_EQ(ai().m_vTroop.size(), 2u);
    ai().UpdatePlan(*f);
    EXPECT_EQ(ai().m_vTroop[0].nContact, 1);
    EXPECT_EQ(ai().m_vTroop[1].nContact, 0);
    ASSERT_FALSE(ai().m_vTroop[1].MoveList.empty());
    EXPECT_EQ(ai().m_vTroop[1].MoveList.front().x, 5);
    EXPECT_EQ(ai().m_vTroop[1].MoveList.front().Type, 1);
    EXPECT_EQ(ai().m_lstPlan.back().destX, 5);
}

TEST_F(AIPlan, NoSecondPlanWhileThePhaseRuns) {
    OpenMap(10, 3);
    Enemy(0, 0, {Sword()});
    ai().BeginPhase(*f);
    ai().UpdatePlan(*f);
    EXPECT_FALSE(ai().m_bPlanDone);
    ai().m_lstPlan.clear();
    ai().UpdatePlan(*f);
    EXPECT_TRUE(ai().m_lstPlan.empty());
}

TEST_F(AIPlan, AnIdleTroopInAnotherAreaKeepsItsRoute) {
    Map({"..............#...............", "..............#...............", "..............#..............."});
    Enemy(5, 1, {Sword()});
    const int far = Enemy(25, 1, {Sword()});
    Player(0, 1, {Sword()});
    ai().BeginPhase(*f);
    AITroop& idle = ai().m_vTroop[1];
    ASSERT_EQ(idle.MemberID[0], Id(far, 0));
    idle.MoveList = {{16, 0, 0}};
    ai().UpdatePlan(*f);
    EXPECT_EQ(ai().m_vTroop[0].nContact, 1);
    ASSERT_EQ(ai().m_vTroop[1].MoveList.size(), 1u);
    EXPECT_EQ(ai().m_vTroop[1].MoveList.front().Type, 0);
    EXPECT_EQ(ai().m_lstPlan.back().destX, 16);
}
