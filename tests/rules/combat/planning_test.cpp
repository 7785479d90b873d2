// Planning of an exchange: healing plans, attack plans with noisy estimates, and
// counter plans.
#include "../rules_fixture.h"

using namespace rulestest;

class Planning : public RulesField {
protected:
    void SetUp() override {
        RulesField::SetUp();
        OpenMap(8, 8);
    }
    void Plan(int a, int b, int x, int y) {
        for (int i = 0; i < 8; ++i) targets[i] = skills[i] = 99;
        f->AssignBattleTargets(a, b, x, y, targets, skills);
    }
    void PlanHere(int a, int b) { Plan(a, b, f->m_UnitList.GetX(a), f->m_UnitList.GetY(a)); }
    int targets[8] = {};
    int skills[8] = {};
};

TEST_F(Planning, HealingGoesToTheMostWounded) {
    P healer;
    healer.skills = {1, 4};
    P sealed = healer;
    P none;
    const int a = Unit(2, 2, true, {healer, healer, sealed, none}, 2);
    Member(a, 2).nCondition = 2;
    const int b = Unit(3, 2, true, {P{}, P{}, P{}}, 2);
    Member(b, 1).nHP = 40;
    Member(b, 2).nHP = 42;
    PlanHere(a, b);
    // Heal amount 5: the first heal goes to slot 1 (10 missing), leaving 5; the
    // second to slot 2 (8 missing).
    EXPECT_EQ(skills[0], 4);
    EXPECT_EQ(targets[0], 1);
    EXPECT_EQ(skills[1], 4);
    EXPECT_EQ(targets[1], 2);
    EXPECT_EQ(skills[2], -1);  // sealed
    EXPECT_EQ(targets[2], -1);
    EXPECT_EQ(skills[3], -1);  // no support skill
    EXPECT_EQ(targets[3], -1);
    EXPECT_EQ(targets[4], 99);  // the answering side's entries are not touched
}

TEST_F(Planning, NobodyWoundedMeansNoHeal) {
    P healer;
    healer.skills = {4};
    const int a = Unit(2, 2, true, {healer});
    const int b = Unit(3, 2, true, {P{}});
    PlanHere(a, b);
    EXPECT_EQ(skills[0], -1);
    EXPECT_EQ(targets[0], -1);
}

TEST_F(Planning, AllTargetHealReplacesASingleOneForSeveralMembers) {
    P healer;
    healer.skills = {4, 14};
    const int a = Unit(2, 2, true, {healer, healer}, 2);
    const int b = Unit(3, 2, true, {P{}, P{}}, 2);
    Member(b, 0).nHP = 30;
    PlanHere(a, b);
    EXPECT_EQ(skills[0], 14);
    EXPECT_EQ(targets[0], 0);
    EXPECT_EQ(skills[1], 14);
    // With one member the single heal is kept.
    const int c = Unit(5, 5, true, {healer});
    const int d = Unit(5, 6, true, {P{}});
    Member(d, 0).nHP = 30;
    PlanHere(c, d);
    EXPECT_EQ(skills[0], 4);
    EXPECT_EQ(targets[0], 0);
}

TEST_F(Planning, HealOutOfReachAfterMoving) {
    P healer;
    healer.skills = {4};
    const int a = Unit(2, 2, true, {healer});
    const int b = Unit(4, 2, true, {P{}});
    Member(b, 0).nHP = 10;
    PlanHere(a, b);
    EXPECT_EQ(skills[0], 4);
    f->m_UnitList.SetMoveEnd(a, 1);
    PlanHere(a, b);
    EXPECT_EQ(skills[0], -1);  // moved: reach 1 only
    Member(a, 0).pskill[0] = 9;
    PlanHere(a, b);
    EXPECT_EQ(skills[0], 4);
}

TEST_F(Planning, SleepAndEmptyPurseAttackNobody) {
    P sleeper;
    P poor;
    poor.skills = {18};  // costs 99 MP
    P fighter;
    const int a = Unit(2, 2, true, {sleeper, poor, fighter}, 3);
    Member(a, 0).nCondition = 1;
    const int b = Unit(3, 2, false, {P{}});
    PlanHere(a, b);
    EXPECT_EQ(skills[0], -1);
    EXPECT_EQ(targets[0], -1);
    EXPECT_EQ(skills[1], -1);
    EXPECT_EQ(targets[1], -1);
    EXPECT_EQ(skills[2], 1);
    EXPECT_EQ(targets[2], 0);
    EXPECT_EQ(skills[3], -1);
}

TEST_F(Planning, RowsDecideWhatMeleeCanDo) {
    P rear;
    rear.skills = {1, 2};  // sword, bow
    P front;
    const int a = Unit(2, 2, true, {front, rear}, 1);
    const int b = Unit(3, 2, false, {P{}, P{}}, 1);  // slot 1 in the back row
    PlanHere(a, b);
    EXPECT_EQ(skills[0], 1);
    EXPECT_EQ(targets[0], 0);  // melee reaches only the front row
    EXPECT_EQ(skills[1], 2);   // from the back row only the bow ("range1" is not looked at)
    EXPECT_GE(targets[1], 0);
    // At distance 2 the sword is out of reach.
    f->m_UnitList.SetUnitPosition(b, 4, 2);
    PlanHere(a, b);
    EXPECT_EQ(skills[0], -1);
    EXPECT_EQ(skills[1], 2);
    EXPECT_GE(targets[1], 0);
}

TEST_F(Planning, SealedMembersCastNoMagic) {
    P mage;
    mage.skills = {3};
    const int a = Unit(2, 2, true, {mage});
    const int b = Unit(3, 2, false, {P{}});
    Member(a, 0).nCondition = 2;
    PlanHere(a, b);
    EXPECT_EQ(skills[0], -1);
}

TEST_F(Planning, EngagedFrontMemberIsAvoided) {
    P fighter;
    fighter.hp = 500;
    const int a = Unit(2, 2, true, {fighter, fighter}, 2);
    const int b = Unit(3, 2, false, {fighter, fighter}, 2);
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        g_Rand.SetSeed(seed);
        PlanHere(a, b);
        EXPECT_EQ(skills[0], 1);
        EXPECT_EQ(skills[1], 1);
        ASSERT_GE(targets[0], 0);
        ASSERT_GE(targets[1], 0);
        EXPECT_NE(targets[0], targets[1]) << seed;
    }
}

TEST_F(Planning, NoisyEstimateDrawsInOrder) {
    P a;
    P t;
    t.hp = 400;
    const int ua = Unit(2, 2, true, {a});
    const int ub = Unit(3, 2, false, {t});
    g_Rand.SetSeed(99);
    const CRand before = g_Rand;
    PlanHere(ua, ub);
    const CRand after = g_Rand;
    EXPECT_EQ(skills[0], 1);
    EXPECT_EQ(targets[0], 0);
    // One estimate for the choice, one fresh estimate for the planned HP.
    g_Rand = before;
    RandomNormal(100.0, 10.0);
    RandomNormal(100.0, 10.0);
    CRand replay = after;
    EXPECT_EQ(g_Rand.Get(), replay.Get());
    // The same seed plans the same exchange.
    g_Rand.SetSeed(99);
    int t1[8], s1[8];
    f->AssignBattleTargets(ua, ub, 2, 2, t1, s1);
    EXPECT_EQ(t1[0], targets[0]);
    EXPECT_EQ(s1[0], skills[0]);
}

TEST_F(Planning, AllTargetSkillWinsWhenItSpreadsMore) {
    P sweeper;
    sweeper.skills = {1, 8};  // sword 100, sweep 60 on everybody
    P t;
    t.hp = 55;
    const int a = Unit(2, 2, true, {sweeper});
    const int b = Unit(3, 2, false, {t, t, t}, 3);
    g_Rand.SetSeed(5);
    PlanHere(a, b);
    // Sweep fells every member (expected 60 against 55 HP): score 0 beats any
    // single blow, which leaves the others standing.
    EXPECT_EQ(skills[0], 8);
    EXPECT_EQ(targets[0], 0);
}

TEST_F(Planning, CounterPlans) {
    P archer;
    archer.skills = {2};
    P swordsman;
    const int a = Unit(2, 2, true, {swordsman});
    const int b = Unit(5, 2, false, {archer, swordsman}, 2);
    int t[8] = {0, -1, -1, -1, 7, 7, 7, 7};
    int s[8] = {1, -1, -1, -1, 7, 7, 7, 7};
    f->AssignCounterTargets(a, b, t, s);
    for (int i = 4; i < 8; ++i) {
        EXPECT_EQ(t[i], -1);  // three cells apart: no counter
        EXPECT_EQ(s[i], -1);
    }
    f->m_UnitList.SetUnitPosition(b, 4, 2);
    CRand copy = g_Rand;
    f->AssignCounterTargets(a, b, t, s);
    EXPECT_EQ(s[4], 2);  // the bow covers distance 2
    EXPECT_EQ(t[4], 0);
    EXPECT_EQ(s[5], -1);  // the sword does not
    EXPECT_EQ(t[5], -1);
    copy.Get();
    copy.Get();
    EXPECT_EQ(g_Rand.Get(), copy.Get()) << "one draw per member";
    // Same side: nothing.
    const int c = Unit(3, 2, true, {archer});
    f->AssignCounterTargets(a, c, t, s);
    EXPECT_EQ(s[4], -1);
}

TEST_F(Planning, CounterChoosesAmongTheAttackersOfTheMember) {
    P fighter;
    const int a = Unit(2, 2, true, {fighter, fighter, fighter}, 2);
    const int b = Unit(3, 2, false, {fighter, fighter}, 1);  // slot 1 in the back row
    int t[8] = {1, 0, 0, -1, -1, -1, -1, -1};
    int s[8] = {1, 1, 1, -1, -1, -1, -1, -1};
    for (uint32_t seed = 1; seed <= 10; ++seed) {
        g_Rand.SetSeed(seed);
        f->AssignCounterTargets(a, b, t, s);
        EXPECT_TRUE(t[4] == 1 || t[4] == 2) << seed;
        EXPECT_EQ(s[4], 1);
        EXPECT_EQ(t[5], -1);  // a back-row sword never answers
    }
}

TEST_F(Planning, FelledTargetIsLeftOnceAnotherWasWeighed) {
    P fighter;  // sword: expected 100
    P archer;
    archer.skills = {2};  // bow from the back row: expected 80
    P strong;
    strong.hp = 500;
    P weak;
    weak.hp = 10;
    for (uint32_t seed = 1; seed <= 10; ++seed) {
        f->m_UnitList.Clear();
        const int a = Unit(2, 2, true, {fighter, archer}, 1);
        // The weak member stands first: the archer looks at it before anything
        // else was weighed, but a living target weighed later replaces it.
        const int b = Unit(3, 2, false, {weak, strong}, 2);
        g_Rand.SetSeed(seed);
        PlanHere(a, b);
        EXPECT_EQ(targets[0], 0) << seed;
        EXPECT_EQ(targets[1], 1) << seed;
        // The weak member second: once the strong one was weighed the felled one
        // is never chosen.
        f->m_UnitList.Clear();
        const int c = Unit(2, 2, true, {fighter, archer}, 1);
        const int d = Unit(3, 2, false, {strong, weak}, 2);
        g_Rand.SetSeed(seed);
        PlanHere(c, d);
        EXPECT_EQ(targets[0], 1) << seed;
        EXPECT_EQ(targets[1], 0) << seed;
    }
}

TEST_F(Planning, OverkillPrefersTheSturdierTarget) {
    P fighter;  // sword: expected 100
    P small;
    small.hp = 10;
    P larger;
    larger.hp = 20;
    for (uint32_t seed = 1; seed <= 10; ++seed) {
        f->m_UnitList.Clear();
        const int a = Unit(2, 2, true, {fighter});
        const int b = Unit(3, 2, false, {small, larger}, 2);
        g_Rand.SetSeed(seed);
        PlanHere(a, b);
        EXPECT_EQ(targets[0], 1) << seed;
    }
}
