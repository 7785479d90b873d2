// Attack score with its noise, cannon aim with its ring and tie rule, and the
// cheapest chain of areas.
#include <climits>

#include "ai_fixture.h"

using namespace aitest;

namespace {
class AIEvaluate : public AIField {};
}  // namespace

TEST_F(AIEvaluate, NoScoreForOwnSideBlockedLineOrUnusableSkills) {
    Map({"........", "...#....", "........"});
    const int a = Enemy(0, 1, {Sword()});
    const int ally = Enemy(1, 0, {Sword()});
    const int p = Player(4, 1, {Sword()});
    EXPECT_EQ(ai().EvaluateAttack(*f, a, ally, 0, 0), INT_MIN);
    // The wall stands between (2, 1) and the target.
    EXPECT_EQ(ai().EvaluateAttack(*f, a, p, 2, 1), INT_MIN);
    // A sword does not reach 2 tiles.
    EXPECT_EQ(ai().EvaluateAttack(*f, a, p, 4, 0) == INT_MIN, false);
    EXPECT_EQ(ai().EvaluateAttack(*f, a, p, 5, 0), INT_MIN);
    // A back-row member without back attack, and one without the MP, count for nothing.
    P back = Sword();
    P poor = Sword();
    poor.skills = {18};
    const int b = Enemy(6, 2, {poor, back}, 1);
    EXPECT_EQ(ai().EvaluateAttack(*f, b, p, 4, 2), INT_MIN);
}

TEST_F(AIEvaluate, ScoreIsTheBaseWithNormalNoiseFromTheGenerator) {
    OpenMap(8, 3);
    P atk = Sword();
    atk.str = 30;   // sword 100 x 30 / 100 = 30
    P def = Sword();
    def.hp = 60;
    def.str = 20;   // counter 20
    def.gur = 10;   // class 0 vs class 0: attack type 0, guard below 15: +2
    const int a = Enemy(0, 1, {atk});
    const int t = Player(3, 1, {def});
    f->m_UnitList.SetCharge(t, 2);
    // From (2, 1): T = 30 x 10000 / 60 - 20 x 15000 / 50 = 5000 - 6000; S = 2.
    const double base = 2 * 1000 + (5000 - 6000) + 600 * 2;
    g_Rand.SetSeed(77);
    const int expected = (int)RandomNormal(base, 300.0);
    g_Rand.SetSeed(77);
    EXPECT_EQ(ai().EvaluateAttack(*f, a, t, 2, 1), expected);
    // A defender two tiles away gives no counter value; a bow reaches it.
    Member(a, 0).skill[0] = 2;  // bow 80 x 30 / 100 = 24, type 1
    const double far = 2 * 1000 + 24 * 10000 / 60 + 600 * 2;
    g_Rand.SetSeed(78);
    const int expectedFar = (int)RandomNormal(far, 300.0);
    g_Rand.SetSeed(78);
    EXPECT_EQ(ai().EvaluateAttack(*f, a, t, 1, 1), expectedFar);
}

TEST_F(AIEvaluate, ClassMatchupTable) {
    OpenMap(8, 3);
    P atk = Sword();
    atk.str = 0;  // no attack value: only the matchup and the cannon term move the base
    P def = Sword();
    def.str = 0;
    const int a = Enemy(0, 1, {atk});
    const int t = Player(1, 1, {def});
    struct Case {
        int mClass, nClass, guard, expected;
    } cases[] = {{1, 1, 20, 0}, {1, 2, 20, -1}, {1, 3, 20, 1}, {1, 0, 10, 1}, {1, 0, 40, -1},
                 {2, 1, 20, 1}, {3, 2, 20, 1}, {3, 1, 20, -1}, {0, 3, 40, -2}, {0, 2, 20, 0}};
    for (const Case& c : cases) {
        Member(a, 0).nClass = c.mClass;
        Member(t, 0).nClass = c.nClass;
        Member(t, 0).nGur = c.guard;
        Member(t, 0).nGurA = c.guard;
        g_Rand.SetSeed(5);
        const int expected = (int)RandomNormal(600.0 * c.expected, 300.0);
        g_Rand.SetSeed(5);
        EXPECT_EQ(ai().EvaluateAttack(*f, a, t, 0, 1), expected) << c.mClass << " vs " << c.nClass;
    }
}

TEST_F(AIEvaluate, CannonAimFindsTheCrowdOutsideTheInnerSquare) {
    OpenMap(15, 15);
    P mage = Sword();
    const int u = Enemy(7, 7, {mage});
    Member(u, 0).cskill[0] = 30;  // range 1..9, catches within 2 tiles
    Player(12, 7, {Sword()});
    Player(13, 7, {Sword()});
    Player(12, 8, {Sword()});
    Player(2, 2, {Sword()});
    int x = 0, y = 0;
    g_Rand.SetSeed(3);
    EXPECT_EQ(ai().AimCannon(*f, u, 30, &x, &y), 3);
    EXPECT_LE(std::abs(x - 12) + std::abs(y - 7), 2);
    EXPECT_LE(std::abs(x - 13) + std::abs(y - 7), 2);
    EXPECT_LE(std::abs(x - 12) + std::abs(y - 8), 2);
    // Same seed, same aim.
    int x2 = 0, y2 = 0;
    g_Rand.SetSeed(3);
    ai().AimCannon(*f, u, 30, &x2, &y2);
    EXPECT_EQ(x, x2);
    EXPECT_EQ(y, y2);

    // Without a cannon spell nothing is aimed.
    const int plain = Enemy(0, 14, {Sword()});
    EXPECT_EQ(ai().AimCannon(*f, plain, 30, &x, &y), 0);
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, -1);
}

TEST_F(AIEvaluate, CannonAimSkipsTheInnerSquareAndBlockedLines) {
    OpenMap(9, 9);
    const int u = Enemy(4, 4, {Sword()});
    Member(u, 0).cskill[0] = 34;  // catches only the aimed tile and its neighbours
    // A crowd right next to the caster: inside the square |dx| < 1 and |dy| < 1 is
    // only the caster's own cell, so (4, 3) can still be aimed at.
    Player(4, 2, {Sword()});
    Player(3, 3, {Sword()});
    int x = 0, y = 0;
    g_Rand.SetSeed(9);
    EXPECT_EQ(ai().AimCannon(*f, u, 34, &x, &y), 2);
    EXPECT_FALSE(x == 4 && y == 4);
    // Behind a wall ring only the ring's own cells can be aimed at, and from
    // there nothing farther than one tile is caught.
    Map({".........", ".........", ".........", "...###...", "...#.#...", "...###...", ".........",
         ".........", "........."});
    f->m_UnitList.SetUnitPosition(1, 4, 0);
    f->m_UnitList.SetUnitPosition(2, 0, 4);
    g_Rand.SetSeed(9);
    EXPECT_EQ(ai().AimCannon(*f, u, 34, &x, &y), 0);
    OpenMap(9, 9);
    g_Rand.SetSeed(9);
    EXPECT_EQ(ai().AimCannon(*f, u, 34, &x, &y), 1);
}

TEST_F(AIEvaluate, EqualCountsTakeTheLaterCellOnAnEvenDraw) {
    // One opposing unit, catchable from exactly two aim cells of the ring.
    Map({"#####", "#...#", "#####"});
    const int u = Enemy(1, 1, {Sword()});
    Member(u, 0).cskill[0] = 34;  // distance 0..1 of the aimed cell; range 1..9
    Player(3, 1, {Sword()});
    // Cells: (2, 1) and (3, 1) catch it; in column order (2, 1) comes first.
    uint32_t words[CRand::kN];
    int index = 0;
    g_Rand.SetSeed(1);
    g_Rand.GetState(words, index);
    const uint32_t draw = g_Rand.Get();
    g_Rand.SetState(words, index);
    int x = 0, y = 0;
    EXPECT_EQ(ai().AimCannon(*f, u, 34, &x, &y), 1);
    EXPECT_EQ(x, (draw & 1u) == 0 ? 3 : 2);
}

TEST_F(AIEvaluate, AreaChainThroughASnakeLongerThanTheMapIsFound) {
    Map({".........", "########.", ".........", ".########", ".........", "########.", ".........",
         ".########", "........."});
    ai().BuildAreaMap(*f);
    const IntGrid& g = ai().m_AreaMap;
    int start = -1, goal = -1;
    g.GetAt(&start, 0, 0);
    g.GetAt(&goal, 8, 8);
    const std::vector<int> chain = ai().FindAreaPath(start, goal, 0, 0);
    ASSERT_EQ(chain.size(), 9u);
    EXPECT_EQ(chain.front(), start);
    EXPECT_EQ(chain.back(), goal);
    for (size_t i = 1; i < chain.size(); ++i) {
        bool linked = false;
        for (const AIAreaLink& l : g.vArea[(size_t)chain[i - 1]].vLink) linked |= l.nArea == chain[i];
        EXPECT_TRUE(linked) << i;
    }
    EXPECT_EQ(ai().FindAreaPath(goal, goal, 8, 8), std::vector<int>({goal}));
}

TEST_F(AIEvaluate, UnreachableAreaGivesNoChain) {
    Map({"....#....", "....#....", "....#...."});
    ai().BuildAreaMap(*f);
    int a = -1, b = -1;
    ai().m_AreaMap.GetAt(&a, 0, 0);
    ai().m_AreaMap.GetAt(&b, 8, 0);
    ASSERT_NE(a, b);
    EXPECT_TRUE(ai().FindAreaPath(a, b, 0, 0).empty());
    EXPECT_TRUE(ai().FindAreaPath(-1, b, 0, 0).empty());
    EXPECT_TRUE(ai().FindAreaPath(a, 99, 0, 0).empty());
}

TEST_F(AIEvaluate, CheaperChainWins) {
    // Two ways round a block: the short one is taken.
    Map({"..........", ".########.", ".########.", ".........."});
    ai().BuildAreaMap(*f);
    int a = -1, b = -1;
    ai().m_AreaMap.GetAt(&a, 0, 0);
    ai().m_AreaMap.GetAt(&b, 1, 3);
    const std::vector<int> chain = ai().FindAreaPath(a, b, 0, 0);
    ASSERT_FALSE(chain.empty());
    for (int area : chain) {
        const AIArea& r = ai().m_AreaMap.vArea[(size_t)area];
        EXPECT_LT(r.left, 5) << "went round the far side";
    }
}

TEST_F(AIEvaluate, CannonRingLeavesOutTheSquareAroundTheCaster) {
    OpenMap(15, 15);
    const int u = Enemy(7, 7, {Sword()});
    Member(u, 0).cskill[0] = 35;  // 3..6 tiles, catches only the aimed tile
    const int p = Player(9, 8, {Sword()});  // |dx| = 2, |dy| = 1: inside the square
    int x = 0, y = 0;
    g_Rand.SetSeed(4);
    EXPECT_EQ(ai().AimCannon(*f, u, 35, &x, &y), 0);
    f->m_UnitList.SetUnitPosition(p, 10, 8);  // |dx| = 3: on the ring
    g_Rand.SetSeed(4);
    EXPECT_EQ(ai().AimCannon(*f, u, 35, &x, &y), 1);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 8);
    f->m_UnitList.SetUnitPosition(p, 14, 7);  // 7 tiles: out of reach
    g_Rand.SetSeed(4);
    EXPECT_EQ(ai().AimCannon(*f, u, 35, &x, &y), 0);
}

TEST_F(AIEvaluate, ABowNeedsAClearLineButASpearDoesNot) {
    OpenMap(8, 3);
    P archer = Sword();
    archer.skills = {2};  // bow: path 1
    const int a = Enemy(0, 1, {archer});
    const int t = Player(3, 1, {Sword()});
    EXPECT_NE(ai().EvaluateAttack(*f, a, t, 1, 1), INT_MIN);
    Enemy(2, 1, {Sword()});  // stands in the way
    EXPECT_EQ(ai().EvaluateAttack(*f, a, t, 0, 1), INT_MIN);
    Member(a, 0).skill[1] = 13;  // lob: path 2, 1..4 tiles
    EXPECT_NE(ai().EvaluateAttack(*f, a, t, 0, 1), INT_MIN);
}
