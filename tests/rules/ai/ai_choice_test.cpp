// The action choice, branch by branch: acts, heals, the wounded sent back, cannon
// spells, charging, the attack search, the approach, the walk along the areas and
// the rules for ending a move on another unit.
#include <climits>

#include "ai_fixture.h"

using namespace aitest;

namespace {

class AIChoice : public AIField {
protected:
    // One area map, one troop holding the units, centred on the first.
    int Setup(const std::vector<int>& units, const std::vector<int>& healers = {}) {
        ai().BuildAreaMap(*f);
        ai().m_bInitialized = true;
        return Troop(units, healers);
    }
    bool FrontIsAct() const { return !f->m_AI.m_lstPlan.empty() && f->m_AI.m_lstPlan.front().bAct; }
    static int Dist(int x1, int y1, int x2, int y2) { return std::abs(x1 - x2) + std::abs(y1 - y2); }
};

}  // namespace

TEST_F(AIChoice, EmptyPlanGivesNoActionAndEndsThePhase) {
    OpenMap(5, 5);
    ai().m_bPlanDone = false;
    bool end = false;
    const AIAction a = Next(&end);
    EXPECT_EQ(a.nUnit, -1);
    EXPECT_EQ(a.nKind, -1);
    EXPECT_TRUE(end);
    EXPECT_TRUE(ai().m_bPlanDone);
}

TEST_F(AIChoice, EntriesOfVanishedUnitsAreSkipped) {
    OpenMap(10, 3);
    const int e = Enemy(0, 1, {Sword()});
    const int t = Setup({e});
    Plan(e, t, 0, 5, 1);
    f->m_UnitList.SetUnitPosition(e, 1, 1);
    bool end = false;
    EXPECT_EQ(Next(&end).nUnit, -1);
    EXPECT_TRUE(end);
}

TEST_F(AIChoice, EngagedUnitMovesNextToItsTargetAndThenAttacks) {
    OpenMap(10, 3);
    const int e = Enemy(0, 1, {Sword()});
    Player(3, 1, {Sword()});
    const int t = Setup({e});
    Plan(e, t, 1, 9, 1);
    bool end = false;
    const AIAction move = Next(&end);
    EXPECT_EQ(move.nKind, 0);
    EXPECT_EQ(move.nUnit, e);
    EXPECT_EQ(Dist(move.destX, move.destY, 3, 1), 1);
    EXPECT_TRUE(move.bSelect[0]);
    EXPECT_FALSE(end);
    ASSERT_TRUE(FrontIsAct());
    EXPECT_EQ(ai().m_lstPlan.front().targetX, 3);
    EXPECT_EQ(ai().m_lstPlan.size(), 1u);

    f->m_UnitList.SetUnitPosition(e, move.destX, move.destY);
    const AIAction act = Next(&end);
    EXPECT_EQ(act.nKind, 1);
    EXPECT_EQ(act.destX, move.destX);
    EXPECT_EQ(act.targetX, 3);
    EXPECT_EQ(act.targetY, 1);
    EXPECT_EQ(act.nSkill[0], 1);
    EXPECT_EQ(act.nTarget[0], 0);
    EXPECT_TRUE(end);
}

TEST_F(AIChoice, KeyZeroOnlyWalksEvenWithATargetInReach) {
    OpenMap(10, 3);
    const int e = Enemy(0, 1, {Sword()});
    Player(1, 1, {Sword()});
    const int t = Setup({e});
    Plan(e, t, 0, 9, 1);
    const AIAction a = Next();
    EXPECT_EQ(a.nKind, 0);
    EXPECT_FALSE(FrontIsAct());
    EXPECT_TRUE(ai().m_lstPlan.empty());
    EXPECT_GT(a.destX, 0);
}

TEST_F(AIChoice, AfterMovingOnlyAdjacentTargetsCountWithoutTheKeepReachPassive) {
    OpenMap(10, 3);
    P archer = Sword();
    archer.skills = {2};  // bow, 2..3 tiles
    const int e = Enemy(0, 1, {archer});
    Player(3, 1, {Sword()});
    const int t = Setup({e});
    Plan(e, t, 1, 9, 1);
    const AIAction a = Next();
    // Only its own cell gives the bow its reach.
    EXPECT_EQ(a.nKind, 0);
    EXPECT_EQ(a.destX, 0);
    EXPECT_EQ(a.destY, 1);
    ASSERT_TRUE(FrontIsAct());
    EXPECT_EQ(ai().m_lstPlan.front().x, 0);
}

TEST_F(AIChoice, CannonFiresWhenReadyAndChargesOtherwise) {
    OpenMap(15, 5);
    P mage = Sword();
    const int e = Enemy(0, 2, {mage});
    Member(e, 0).cskill[0] = 30;  // charge 2
    Player(8, 2, {Sword()});
    Player(9, 2, {Sword()});
    Player(8, 3, {Sword()});
    const int t = Setup({e});
    f->m_UnitList.SetCharge(e, 2);
    Plan(e, t, 1, 0, 2);
    AIAction a = Next();
    EXPECT_EQ(a.nKind, 1);
    EXPECT_EQ(a.nSkill[0], 30);
    EXPECT_EQ(a.destX, 0);
    EXPECT_EQ(a.destY, 2);
    int caught = 0;
    for (int u = 1; u < 4; ++u) caught += f->m_UnitList.IsInRange(u, a.targetX, a.targetY, 2, 0) ? 1 : 0;
    EXPECT_EQ(caught, 3);

    f->m_UnitList.SetCharge(e, 1);
    Plan(e, t, 1, 0, 2);
    a = Next();
    EXPECT_EQ(a.nKind, 2);
    EXPECT_EQ(a.nUnit, e);
    EXPECT_EQ(a.destX, 0);

    // Without the MP the spell is not considered.
    f->m_UnitList.SetCharge(e, 2);
    Member(e, 0).nMP = 4;
    Plan(e, t, 1, 0, 2);
    a = Next();
    EXPECT_EQ(a.nKind, 0);
}

TEST_F(AIChoice, TwoTargetsAreNoCannonCandidate) {
    OpenMap(15, 5);
    const int e = Enemy(0, 2, {Sword()});
    Member(e, 0).cskill[0] = 30;
    Player(8, 2, {Sword()});
    Player(9, 2, {Sword()});
    const int t = Setup({e});
    f->m_UnitList.SetCharge(e, 5);
    Plan(e, t, 1, 0, 2);
    EXPECT_EQ(Next().nKind, 0);
}

TEST_F(AIChoice, OneReadyOfThreeFiresAboutOnceInFour) {
    OpenMap(15, 5);
    const int e = Enemy(0, 2, {Sword()});
    Member(e, 0).cskill[0] = 30;  // 2, ready
    Member(e, 0).cskill[1] = 31;  // 3
    Member(e, 0).cskill[2] = 32;  // 4
    Player(8, 2, {Sword()});
    Player(9, 2, {Sword()});
    Player(8, 3, {Sword()});
    const int t = Setup({e});
    f->m_UnitList.SetCharge(e, 2);
    int fired = 0;
    const int runs = 400;
    for (int i = 0; i < runs; ++i) {
        ai().m_lstPlan.clear();
        Plan(e, t, 1, 0, 2);
        const AIAction a = Next();
        if (a.nKind == 1) {
            ++fired;
            EXPECT_EQ(a.nSkill[0], 30);
        } else {
            EXPECT_EQ(a.nKind, 2);
        }
    }
    EXPECT_GT(fired, runs / 4 - 40);
    EXPECT_LT(fired, runs / 4 + 40);
}

TEST_F(AIChoice, ReadySpellChoiceByChargeRequirement) {
    OpenMap(15, 5);
    const int e = Enemy(0, 2, {Sword()});
    Player(8, 2, {Sword()});
    Player(9, 2, {Sword()});
    Player(8, 3, {Sword()});
    const int t = Setup({e});
    f->m_UnitList.SetCharge(e, 3);
    // Requirements 3 then 2: the second half of the time.
    Member(e, 0).cskill[0] = 31;
    Member(e, 0).cskill[1] = 30;
    int second = 0;
    const int runs = 400;
    for (int i = 0; i < runs; ++i) {
        ai().m_lstPlan.clear();
        Plan(e, t, 1, 0, 2);
        const AIAction a = Next();
        ASSERT_EQ(a.nKind, 1);
        second += a.nSkill[0] == 30 ? 1 : 0;
    }
    EXPECT_GT(second, runs / 2 - 50);
    EXPECT_LT(second, runs / 2 + 50);
    // Requirements 2 then 0: never the second.
    Member(e, 0).cskill[0] = 30;
    Member(e, 0).cskill[1] = 33;
    for (int i = 0; i < 50; ++i) {
        ai().m_lstPlan.clear();
        Plan(e, t, 1, 0, 2);
        EXPECT_EQ(Next().nSkill[0], 30);
    }
    // A lone ready spell without requirement still fires.
    Member(e, 0).cskill[0] = 33;
    Member(e, 0).cskill[1] = -1;
    ai().m_lstPlan.clear();
    Plan(e, t, 1, 0, 2);
    const AIAction a = Next();
    EXPECT_EQ(a.nKind, 1);
    EXPECT_EQ(a.nSkill[0], 33);
}

TEST_F(AIChoice, HealerTakesTheCellThatCostsMostAndThenHeals) {
    OpenMap(10, 3);
    P healer = Sword();
    healer.skills = {4};  // 1..2 tiles
    P hurt = Sword();
    const int h = Enemy(0, 0, {healer});
    const int w = Enemy(5, 0, {hurt});
    const int t = Setup({h, w}, {h});
    Plan(h, t, -1, 9, 2);
    // Nobody wounded: the healer walks.
    AIAction a = Next();
    EXPECT_EQ(a.nKind, 0);
    EXPECT_FALSE(FrontIsAct());

    Member(w, 0).nHP = 24;  // below 50 / 2
    Plan(h, t, -1, 9, 2);
    a = Next();
    EXPECT_EQ(a.nKind, 0);
    EXPECT_EQ(a.destX, 4);
    EXPECT_EQ(a.destY, 1);
    EXPECT_TRUE(a.bSelect[0]);
    ASSERT_TRUE(FrontIsAct());
    EXPECT_EQ(ai().m_lstPlan.front().targetX, 5);
    EXPECT_EQ(ai().m_lstPlan.front().targetY, 0);

    f->m_UnitList.SetUnitPosition(h, 4, 1);
    a = Next();
    EXPECT_EQ(a.nKind, 1);
    EXPECT_EQ(a.nSkill[0], 4);
    EXPECT_EQ(a.targetX, 5);
}

TEST_F(AIChoice, WoundedGoBackWhileTheTroopHasHealersEnough) {
    OpenMap(20, 3);
    P healer = Sword();
    healer.skills = {4};
    const int h = Enemy(0, 1, {healer});
    const int a = Enemy(5, 1, {Sword(), Sword()}, 2);
    const int b = Enemy(6, 0, {Sword()});
    Player(19, 2, {Sword()});
    const int t = Setup({h, a, b}, {h});
    Member(a, 0).nHP = 10;
    Plan(a, t, 1, 19, 1);
    AIAction r = Next();
    EXPECT_EQ(r.nKind, 0);
    EXPECT_TRUE(r.bSelect[0]);
    EXPECT_FALSE(r.bSelect[1]);
    EXPECT_EQ(r.destX, 1);  // next to the troop's centre (0, 1), which the healer holds
    EXPECT_EQ(r.destY, 1);
    EXPECT_EQ(ai().m_vTroop[(size_t)t].nRetreatCount, 1);
    ASSERT_EQ(ai().m_lstPlan.size(), 1u);  // the healthy member's entry stays
    EXPECT_EQ(ai().m_lstPlan.front().nPersonID, Id(a, 1));

    // A second wounded group needs two healers.
    ai().m_lstPlan.clear();
    Member(b, 0).nHP = 10;
    Plan(b, t, 1, 19, 1);
    r = Next();
    EXPECT_EQ(r.nKind, 0);
    EXPECT_TRUE(r.bSelect[0]);
    EXPECT_GT(r.destX, 6);  // goes on toward the fight
    EXPECT_EQ(ai().m_vTroop[(size_t)t].nRetreatCount, 1);
}

TEST_F(AIChoice, WithoutHealersTheWoundedStayWithTheirUnit) {
    OpenMap(20, 3);
    const int a = Enemy(5, 1, {Sword(), Sword()}, 2);
    Player(19, 1, {Sword()});
    const int t = Setup({a});
    Member(a, 0).nHP = 10;
    Plan(a, t, 0, 19, 1);
    const AIAction r = Next();
    EXPECT_TRUE(r.bSelect[0]);
    EXPECT_TRUE(r.bSelect[1]);
    EXPECT_EQ(r.destX, 10);
    EXPECT_TRUE(ai().m_lstPlan.empty());
}

TEST_F(AIChoice, ApproachHeadsForTheFreeSideOfTheNearestFoe) {
    OpenMap(30, 3);
    const int e = Enemy(0, 1, {Sword()});
    Player(20, 1, {Sword()});
    const int t = Setup({e});
    Plan(e, t, 1, 0, 0);
    const AIAction a = Next();
    EXPECT_EQ(a.nKind, 0);
    EXPECT_EQ(a.destX, 5);
    EXPECT_EQ(a.destY, 1);
    EXPECT_FALSE(FrontIsAct());
}

TEST_F(AIChoice, NoApproachWithinThirtySixPointsWalksToTheDestination) {
    OpenMap(50, 3);
    const int e = Enemy(10, 1, {Sword()});
    Player(48, 1, {Sword()});
    const int t = Setup({e});
    Plan(e, t, 1, 2, 1);
    const AIAction a = Next();
    EXPECT_EQ(a.destX, 5);
    EXPECT_EQ(a.destY, 1);
}

TEST_F(AIChoice, DestinationInTheSameAreaStopsThereWithPointsLeft) {
    OpenMap(10, 3);
    const int e = Enemy(0, 1, {Sword()});
    const int t = Setup({e});
    Plan(e, t, 0, 2, 1);
    const AIAction a = Next();
    EXPECT_EQ(a.destX, 2);
    EXPECT_EQ(a.destY, 1);
}

TEST_F(AIChoice, WalkFollowsTheAreaChainThroughTheSnake) {
    Map({".........", "########.", ".........", ".########", ".........", "########.", ".........",
         ".########", "........."});
    const int e = Enemy(0, 0, {Sword(10)});
    const int t = Setup({e});
    Plan(e, t, 0, 8, 8);
    const AIAction a = Next();
    EXPECT_EQ(a.destX, 8);
    EXPECT_EQ(a.destY, 2);
}

TEST_F(AIChoice, WithoutAChainTheUnitHeadsStraightForItsDestination) {
    Map({"....#....", "....#....", "....#...."});
    const int e = Enemy(0, 1, {Sword()});
    const int t = Setup({e});
    Plan(e, t, 0, 8, 1);
    const AIAction a = Next();
    EXPECT_EQ(a.destX, 3);
    EXPECT_EQ(a.destY, 1);
}

TEST_F(AIChoice, WithoutAChainAWaderCrossesTowardItsDestination) {
    // Marsh keeps walking class 0 out, so the areas are not linked; a class-1 unit
    // wades through toward the destination.
    Map({"....m....", "....m....", "....m...."});
    P wader = Sword();
    wader.type = 1;
    const int e = Enemy(2, 1, {wader});
    const int t = Setup({e});
    Plan(e, t, 0, 8, 1);
    const AIAction a = Next();
    EXPECT_EQ(a.destX, 6);
    EXPECT_EQ(a.destY, 1);
}

TEST_F(AIChoice, WalkEndsInAChainAreaWithoutAReachableNextArea) {
    // Rooms linked by one-tile gaps: start room, gap, middle room, gap, far room.
    // A player unit holds the second gap, so the walk reaches the far corner of the
    // middle room with points left, finds no further area and stops there.
    Map({"............", "....#...#...", "....#...#...", "#####...#..."});
    const int e = Enemy(0, 0, {Sword(12)});
    Player(8, 0, {Sword()});
    const int t = Setup({e});
    Plan(e, t, 0, 11, 0);
    const AIAction a = Next();
    EXPECT_EQ(a.nKind, 0);
    EXPECT_EQ(a.destX, 7);
    EXPECT_EQ(a.destY, 3);
}

TEST_F(AIChoice, OnlyRangedUnitsEndTheirWalkOnAnAlly) {
    OpenMap(10, 3);
    P archer = Sword();
    archer.skills = {2};
    const int b = Enemy(0, 1, {archer});
    const int x = Enemy(3, 1, {Sword()});
    const int t = Setup({b, x});
    Plan(b, t, 0, 3, 1);
    Plan(x, t, 0, 9, 1);
    bool end = false;
    AIAction a = Next(&end);
    EXPECT_EQ(a.destX, 3);
    EXPECT_EQ(a.destY, 1);
    // The joined unit's entries are spent too.
    EXPECT_TRUE(ai().m_lstPlan.empty());
    EXPECT_TRUE(end);

    Member(b, 0).skill[0] = 1;  // now a sword: range 1
    Plan(b, t, 0, 3, 1);
    a = Next();
    EXPECT_EQ(Dist(a.destX, a.destY, 3, 1), 1);
}

TEST_F(AIChoice, AnActWithoutAnySkillIsNoAction) {
    OpenMap(10, 3);
    P poor = Sword();
    poor.skills = {18};  // needs 99 MP
    const int e = Enemy(2, 1, {poor});
    Player(3, 1, {Sword()});
    const int t = Setup({e});
    AIPlanEntry act;
    ResetAssignmentRecord(act);
    act.bAct = true;
    act.x = 2;
    act.y = 1;
    act.targetX = 3;
    act.targetY = 1;
    act.nPersonID = Id(e, 0);
    act.nTroop = t;
    ai().m_lstPlan.push_back(act);
    ai().m_bPlanDone = false;
    const AIAction a = Next();
    EXPECT_EQ(a.nKind, 0);
    EXPECT_EQ(a.destX, 2);
    EXPECT_EQ(a.destY, 1);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(a.nSkill[k], -1);
    // A vanished target gives the same.
    ai().m_lstPlan.push_back(act);
    ai().m_lstPlan.back().targetX = 7;
    Member(e, 0).skill[0] = 1;
    EXPECT_EQ(Next().nKind, 0);
}

TEST_F(AIChoice, KeepMovingMembersFollowUpTowardTheCentreAndNeverAttack) {
    OpenMap(12, 3);
    P swift = Sword();
    swift.passives = {9};  // effect 10
    const int e = Enemy(2, 1, {swift, Sword()}, 2);
    Player(3, 1, {Sword()});
    const int t = Setup({e});
    ai().m_vTroop[(size_t)t].x = 9;
    ai().m_vTroop[(size_t)t].y = 1;
    AIPlanEntry act;
    ResetAssignmentRecord(act);
    act.bAct = true;
    act.x = 2;
    act.y = 1;
    act.targetX = 3;
    act.targetY = 1;
    act.nPersonID = Id(e, 0);
    act.nTroop = t;
    ai().m_lstPlan.push_back(act);
    ai().m_bPlanDone = false;
    bool end = false;
    AIAction a = Next(&end);
    EXPECT_EQ(a.nKind, 1);
    EXPECT_FALSE(end);
    ASSERT_EQ(ai().m_lstPlan.size(), 1u);
    const AIPlanEntry& follow = ai().m_lstPlan.front();
    EXPECT_TRUE(follow.bFollowUp);
    EXPECT_EQ(follow.nOrderKey, 0);
    EXPECT_EQ(follow.destX, 9);
    EXPECT_EQ(follow.nPersonID, Id(e, 0));

    a = Next(&end);
    EXPECT_EQ(a.nKind, 0);
    EXPECT_TRUE(a.bSelect[0]);
    EXPECT_FALSE(a.bSelect[1]);
    // Five points round the foe that blocks the row: four tiles short of (9, 1).
    EXPECT_EQ(Dist(a.destX, a.destY, 9, 1), 4);
    EXPECT_TRUE(end);
}

TEST_F(AIChoice, AHealerInAWoundedUnitHealsItsOwnUnitWhereItStands) {
    Map({"###", "#.#", "###"});
    P healer = Sword();
    healer.skills = {14};  // all-heal, 1..2 tiles
    P hurt = Sword();
    const int h = Enemy(1, 1, {hurt, healer}, 2);
    const int t = Setup({h}, {h});
    ai().m_vTroop[(size_t)t].HealerID = {Id(h, 1)};
    Member(h, 0).nHP = 5;
    AIPlanEntry e;
    ResetAssignmentRecord(e);
    e.x = 1;
    e.y = 1;
    e.destX = 1;
    e.destY = 1;
    e.nOrderKey = -1;
    e.nPersonID = Id(h, 1);
    e.nTroop = t;
    ai().m_lstPlan.push_back(e);
    ai().m_bPlanDone = false;
    // Distance 0 is below the heal's reach of 1: no cell heals, the healer stays.
    AIAction a = Next();
    EXPECT_EQ(a.nKind, 0);
    EXPECT_EQ(a.destX, 1);
    EXPECT_FALSE(FrontIsAct());
}
