// Resolution of blows and exchanges with their random draws, and applying the
// resolved records to persons and units.
#include "../rules_fixture.h"

using namespace rulestest;

namespace {

int Roll(CRand& r) { return (int)(r.Get() % 100u) + 1; }

// The first seed from `from` whose draws satisfy `pred` (given a copy of the generator).
template <class Pred>
uint32_t FindSeed(Pred pred, uint32_t from = 1) {
    for (uint32_t s = from; s < from + 100000; ++s) {
        CRand r;
        r.SetSeed(s);
        if (pred(r)) return s;
    }
    return 0;
}

}  // namespace

class Resolve : public RulesField {
protected:
    void SetUp() override {
        RulesField::SetUp();
        OpenMap(6, 6);
    }
};

TEST_F(Resolve, HitThenCriticalRoll) {
    P a;
    a.str = 20;
    P t;
    t.gur = 10;
    t.hp = 200;
    const int ua = Unit(0, 0, true, {a});
    const int ut = Unit(1, 0, false, {t});
    for (bool wantCritical : {true, false}) {
        const uint32_t seed = FindSeed([&](CRand& r) {
            Roll(r);
            return (Roll(r) <= 5) == wantCritical;
        });
        ASSERT_NE(seed, 0u);
        g_Rand.SetSeed(seed);
        CRand copy = g_Rand;
        AttackResult res;
        res.nHitFrame = 77;
        f->ResolveAttack(res, ua, ut, 0, 4, 1, 0);
        EXPECT_EQ(res.bMiss, 0);
        EXPECT_EQ(res.bCritical, wantCritical ? 1 : 0);
        EXPECT_EQ(res.nAmount, wantCritical ? 180 : 90);
        EXPECT_EQ(res.nAttacker, 0);
        EXPECT_EQ(res.nTarget, 4);
        EXPECT_EQ(res.nSkill, 1);
        EXPECT_EQ(res.nHitFrame, 77);
        copy.Get();
        copy.Get();
        EXPECT_EQ(g_Rand.Get(), copy.Get()) << "two draws";
    }
}

TEST_F(Resolve, MissedPhysicalBlowDrawsOnce) {
    P a;
    P t;
    const int ua = Unit(0, 0, true, {a});
    const int ut = Unit(1, 0, false, {t});
    Member(ua, 0).nCondition = 8;  // dazzled: hit rate 10
    const uint32_t seed = FindSeed([](CRand& r) { return Roll(r) > 10; });
    g_Rand.SetSeed(seed);
    CRand copy = g_Rand;
    AttackResult res;
    f->ResolveAttack(res, ua, ut, 0, 4, 15, 0);  // venom: effect 4, critical 100
    EXPECT_EQ(res.bMiss, 1);
    EXPECT_EQ(res.nAmount, 0);
    EXPECT_EQ(res.bCritical, 0);
    EXPECT_EQ(res.nEffect, 0);
    EXPECT_EQ(res.bFall, 0);
    copy.Get();
    EXPECT_EQ(g_Rand.Get(), copy.Get()) << "one draw";
}

TEST_F(Resolve, MissedMagicDrawsTwiceAndDealsHalf) {
    P a;
    a.mag = 1;
    P t;
    t.mag = 100;
    const int ua = Unit(0, 0, true, {a});
    const int ut = Unit(1, 0, false, {t});
    Member(ua, 0).nMag = 4;  // fire: 20 before halving; hit rate stays 0 (4 against 100)
    CRand copy = g_Rand;
    AttackResult res;
    f->ResolveAttack(res, ua, ut, 0, 4, 3, 0);
    EXPECT_EQ(res.bMiss, 1);
    EXPECT_EQ(res.nAmount, 10);
    EXPECT_EQ(res.nEffect, 0);
    copy.Get();
    copy.Get();
    EXPECT_EQ(g_Rand.Get(), copy.Get());
}

TEST_F(Resolve, HitRollAgainstTheRate) {
    P a;
    P t;
    t.spd = 20;  // hit rate 95
    t.hp = 1000;
    const int ua = Unit(0, 0, true, {a});
    const int ut = Unit(1, 0, false, {t});
    int misses = 0;
    for (uint32_t s = 1; s <= 300; ++s) {
        g_Rand.SetSeed(s);
        CRand copy = g_Rand;
        const int roll = Roll(copy);
        AttackResult res;
        f->ResolveAttack(res, ua, ut, 0, 4, 1, 0);
        EXPECT_EQ(res.bMiss, roll > 95 ? 1 : 0) << s;
        misses += res.bMiss;
    }
    EXPECT_GT(misses, 0);
}

TEST_F(Resolve, FallCountsDamageAlreadyTaken) {
    P a;
    P t;
    t.hp = 91;
    t.gur = 10;
    const int ua = Unit(0, 0, true, {a});
    const int ut = Unit(1, 0, false, {t});
    const uint32_t seed = FindSeed([](CRand& r) {
        Roll(r);
        return Roll(r) > 5;
    });
    AttackResult res;
    g_Rand.SetSeed(seed);
    f->ResolveAttack(res, ua, ut, 0, 4, 1, 0);
    EXPECT_EQ(res.nAmount, 90);
    EXPECT_EQ(res.bFall, 0);
    g_Rand.SetSeed(seed);
    f->ResolveAttack(res, ua, ut, 0, 4, 1, 1);
    EXPECT_EQ(res.bFall, 1);
}

TEST_F(Resolve, ExchangeDrawOrderAndCounters) {
    P a;
    a.hp = 500;
    P t = a;
    const int ua = Unit(0, 0, true, {a, a}, 2);
    const int ub = Unit(1, 0, false, {t, t}, 2);
    const int targets[8] = {0, 1, -1, -1, 0, 1, -1, -1};
    const int skills[8] = {1, 1, -1, -1, 1, 6, -1, -1};
    g_Rand.SetSeed(2024);
    CRand copy = g_Rand;
    int rolls[8];
    for (int& r : rolls) r = Roll(copy);
    f->ResolveBattle(ua, ub, targets, skills);
    ASSERT_EQ(f->m_vBattleAction.size(), 2u);
    const BattleActionRecord& r0 = f->m_vBattleAction[0];
    const BattleActionRecord& r1 = f->m_vBattleAction[1];
    EXPECT_EQ(r0.nUnit, ua);
    EXPECT_EQ(r1.nUnit, ub);
    ASSERT_EQ(r0.vResult.size(), 2u);
    ASSERT_EQ(r1.vResult.size(), 2u);
    const int crit[4] = {5, 5, 5, 10};
    const AttackResult* blows[4] = {&r0.vResult[0], &r0.vResult[1], &r1.vResult[0], &r1.vResult[1]};
    const int codes[4][2] = {{0, 4}, {1, 5}, {4, 0}, {5, 1}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(blows[k]->nAttacker, codes[k][0]);
        EXPECT_EQ(blows[k]->nTarget, codes[k][1]);
        EXPECT_EQ(blows[k]->bCritical, crit[k] >= rolls[2 * k + 1] ? 1 : 0) << k;
        EXPECT_EQ(blows[k]->nAmount, crit[k] >= rolls[2 * k + 1] ? 200 : 100) << k;  // str 20, no guard
    }
    EXPECT_EQ(r0.nTargetSlot[0], 0);
    EXPECT_EQ(r0.nTargetSlot[1], 1);
    EXPECT_EQ(r1.nSkill[1], 6);
    EXPECT_EQ(r1.nDamage[0], r0.vResult[0].nAmount);
    EXPECT_EQ(r0.nDamage[1], r1.vResult[1].nAmount);
    EXPECT_EQ(g_Rand.Get(), copy.Get());
}

TEST_F(Resolve, FallenDefenderDoesNotCounter) {
    P a;
    P weak;
    weak.hp = 5;
    const int ua = Unit(0, 0, true, {a});
    const int ub = Unit(1, 0, false, {weak, P{}}, 2);
    const int targets[8] = {0, -1, -1, -1, 0, 0, -1, -1};
    const int skills[8] = {1, -1, -1, -1, 1, 1, -1, -1};
    f->ResolveBattle(ua, ub, targets, skills);
    const BattleActionRecord& r1 = f->m_vBattleAction[1];
    EXPECT_EQ(r1.bFall[0], 1);
    EXPECT_EQ(r1.nSkill[0], -1);
    EXPECT_EQ(r1.nSkill[1], 1);
    ASSERT_EQ(r1.vResult.size(), 1u);
    EXPECT_EQ(r1.vResult[0].nAttacker, 5);
}

TEST_F(Resolve, NoCountersAtDistanceTwo) {
    P archer;
    archer.skills = {2};
    const int ua = Unit(0, 0, true, {archer});
    const int ub = Unit(2, 0, false, {archer});
    const int targets[8] = {0, -1, -1, -1, 0, -1, -1, -1};
    const int skills[8] = {2, -1, -1, -1, 2, -1, -1, -1};
    f->ResolveBattle(ua, ub, targets, skills);
    EXPECT_EQ(f->m_vBattleAction[0].vResult.size(), 1u);
    EXPECT_TRUE(f->m_vBattleAction[1].vResult.empty());
    EXPECT_EQ(f->m_vBattleAction[1].nSkill[0], -1);
    EXPECT_EQ(f->m_vBattleAction[1].nTargetSlot[0], -1);
}

TEST_F(Resolve, SecondBlowOnTheSameTargetSeesTheFirst) {
    P a;
    a.skills = {2};  // bow: 80, no critical
    P t;
    t.hp = 150;
    const int ua = Unit(0, 0, true, {a, a}, 2);
    const int ub = Unit(1, 0, false, {t});
    const int targets[8] = {0, 0, -1, -1, -1, -1, -1, -1};
    const int skills[8] = {2, 2, -1, -1, -1, -1, -1, -1};
    f->ResolveBattle(ua, ub, targets, skills);
    const BattleActionRecord& r0 = f->m_vBattleAction[0];
    const BattleActionRecord& r1 = f->m_vBattleAction[1];
    ASSERT_EQ(r0.vResult.size(), 2u);
    EXPECT_EQ(r0.vResult[0].bFall, 0);
    EXPECT_EQ(r0.vResult[1].bFall, 1);
    EXPECT_EQ(r1.nDamage[0], 160);
    EXPECT_EQ(r1.bFall[0], 1);
}

TEST_F(Resolve, AllTargetMissStillLaysItsEffect) {
    P caster;
    caster.mag = 1;
    caster.skills = {22, 7};
    P t;
    t.mag = 100;
    const int ua = Unit(0, 0, true, {caster, caster}, 2);
    const int ub = Unit(1, 0, false, {t, t}, 2);
    const int targets[8] = {-1, 1, -1, -1, -1, -1, -1, -1};
    const int skills[8] = {22, 7, -1, -1, -1, -1, -1, -1};
    f->ResolveBattle(ua, ub, targets, skills);
    const BattleActionRecord& r0 = f->m_vBattleAction[0];
    const BattleActionRecord& r1 = f->m_vBattleAction[1];
    ASSERT_EQ(r0.vResult.size(), 3u);
    EXPECT_EQ(r1.bHitMissed[0], 1);
    EXPECT_EQ(r1.bHitMissed[1], 1);
    EXPECT_EQ(r1.nEffect[0], 1);  // the all-target stupor
    EXPECT_EQ(r1.nEffect[1], 1);
    EXPECT_EQ(r0.nTargetSlot[0], -1);
    EXPECT_EQ(r0.bMiss[1], 1);  // the single-target sleep missed and laid nothing more
    EXPECT_EQ(r0.vResult[2].nEffect, 0);
    EXPECT_EQ(r1.nDamage[0], 1);  // missed magic still deals at least 1
}

TEST_F(Resolve, UnitWideSkillAddsTheCasterOnce) {
    P caster;
    caster.skills = {5};
    const int uc = Unit(0, 0, true, {caster});
    const int u1 = Unit(3, 3, false, {P{}, P{}}, 2);
    const int u2 = Unit(5, 5, false, {P{}});
    f->ResolveSkillOnUnit(uc, u1, 5);
    f->ResolveSkillOnUnit(uc, u2, 5);
    ASSERT_EQ(f->m_vBattleAction.size(), 3u);
    EXPECT_EQ(f->m_vBattleAction[0].nUnit, uc);
    EXPECT_EQ(f->m_vBattleAction[0].nSkill[0], 5);
    EXPECT_TRUE(f->m_vBattleAction[0].vResult.empty());
    EXPECT_EQ(f->m_vBattleAction[1].nUnit, u1);
    EXPECT_EQ(f->m_vBattleAction[1].vResult.size(), 2u);
    EXPECT_EQ(f->m_vBattleAction[1].vResult[1].nTarget, 5);
    EXPECT_EQ(f->m_vBattleAction[1].nSkill[0], -1);
    EXPECT_EQ(f->m_vBattleAction[2].nUnit, u2);
}

TEST_F(Resolve, PendingOrder) {
    std::vector<BattleActionRecord> v(4);
    v[0].nUnit = 0;
    v[1].nUnit = 2;
    v[2].nUnit = 1;
    v[2].nSkill[0] = 5;  // cannon
    v[3].nUnit = 3;
    SortPendingActions(v);
    EXPECT_EQ(v[0].nUnit, 1);
    EXPECT_EQ(v[1].nUnit, 3);
    EXPECT_EQ(v[2].nUnit, 2);
    EXPECT_EQ(v[3].nUnit, 0);
}

class Apply : public Resolve {};

TEST_F(Apply, DamageDefeatAndRemoval) {
    P t;
    t.typeID = 21;
    const int ua = Unit(0, 0, true, {P{}});
    const int ub = Unit(1, 0, false, {t, t, t}, 2);
    const int fallen = f->m_UnitList.GetMember(ub, 1);
    const int third = f->m_UnitList.GetMember(ub, 2);
    BattleActionRecord r;
    r.nUnit = ub;
    r.nDamage[0] = 10;
    r.nDamage[1] = 999;
    r.bFall[1] = 1;
    r.nDamage[2] = -30;
    f->m_PersonList.GetPerson(third).nHP = 40;
    f->m_vBattleAction.push_back(r);
    f->ApplyAllActions();
    EXPECT_TRUE(f->m_vBattleAction.empty());
    EXPECT_EQ(f->m_UnitList.GetMemberCount(ub), 2);
    EXPECT_EQ(f->m_PersonList.GetHP(fallen), 0);
    EXPECT_EQ(f->m_PersonList.GetPerson(fallen).bExist, 0);
    EXPECT_EQ(f->m_UnitList.GetDefeatedCount(0, 21), 1);
    EXPECT_EQ(f->m_UnitList.GetMemberHP(ub, 0), 40);
    EXPECT_EQ(f->m_UnitList.GetMember(ub, 1), third);
    EXPECT_EQ(f->m_PersonList.GetHP(third), 50);  // healed up to the maximum
    (void)ua;
}

TEST_F(Apply, CostsConditionsAndCharge) {
    P a;
    a.mp = 12;
    const int ua = Unit(0, 0, true, {a, a}, 2);
    f->m_UnitList.SetCharge(ua, 3);
    BattleActionRecord r;
    r.nUnit = ua;
    r.nSkill[0] = 3;  // fire: 5 MP
    r.nSkill[1] = 1;  // sword: charge 1
    r.bFall[0] = 1;
    r.nDamage[0] = 999;
    r.nEffect[1] = 0x10004;  // only the low 16 bits are conditions
    Member(ua, 1).nCondition = 1;
    const int first = f->m_UnitList.GetMember(ua, 0);
    const int second = f->m_UnitList.GetMember(ua, 1);
    f->m_vBattleAction.push_back(r);
    f->ApplyNextAction();
    EXPECT_EQ(f->m_PersonList.GetMP(first), 7);  // paid although it fell
    EXPECT_EQ(f->m_PersonList.GetMP(second), 12);
    EXPECT_EQ(f->m_PersonList.GetPerson(second).nCondition, 5);
    EXPECT_EQ(f->m_UnitList.GetCharge(ua), 2);
    EXPECT_EQ(f->m_UnitList.GetMemberCount(ua), 1);
}

// Heals, a cost that gives MP back and the turn's two MP on members at the int limit:
// nobody falls from a heal, nobody's points wrap to nothing.
TEST_F(Apply, HealsAndCostsAtTheIntLimitKeepMembersWhole) {
    const std::string skills = std::string(kSkills) + "23,giveback,0,0,1,0,-2147483648,1,1,0,0,0,0,0,5,0,0,0,0,x\r\n";
    CTableFile table;
    table.LoadFromBytes(reinterpret_cast<const unsigned char*>(skills.data()), skills.size());
    g_SkillData.LoadRows(table.m_vRows);
    P full;
    full.hp = full.mp = INT32_MAX;
    const int ua = Unit(0, 0, true, {full, full, full}, 2);
    AttackResult res;
    f->ResolveAttack(res, ua, ua, 0, 1, 1, INT32_MIN);  // damage "taken" before: a heal
    EXPECT_EQ(res.bFall, 0);
    BattleActionRecord r;
    r.nUnit = ua;
    r.nSkill[0] = 23;
    r.nDamage[0] = -30;
    r.nDamage[1] = r.nDamage[2] = INT32_MIN;
    for (int m = 0; m < 3; ++m) Member(ua, m).nMaxMP = INT32_MAX;
    f->m_vBattleAction.push_back(r);
    f->ApplyAllActions();
    f->RecoverConditions();
    for (int m = 0; m < 3; ++m) EXPECT_EQ(Member(ua, m).nHP + 0LL + Member(ua, m).nMP, 2LL * INT32_MAX) << m;
}

TEST_F(Apply, ChargeStaysWithinZeroAndThree) {
    P a;
    const int ua = Unit(0, 0, true, {a, a, a}, 2);
    f->m_UnitList.SetCharge(ua, 1);
    BattleActionRecord r;
    r.nUnit = ua;
    r.nSkill[0] = r.nSkill[1] = r.nSkill[2] = 1;  // three sword blows, charge 1 each
    f->m_vBattleAction.push_back(r);
    f->ApplyAllActions();
    EXPECT_EQ(f->m_UnitList.GetCharge(ua), 0);
    f->m_UnitList.SetCharge(ua, 7);
    r.nSkill[0] = 2;  // bow: no charge
    r.nSkill[1] = r.nSkill[2] = -1;
    f->m_vBattleAction.push_back(r);
    f->ApplyAllActions();
    EXPECT_EQ(f->m_UnitList.GetCharge(ua), 3);
}

TEST_F(Apply, WipedOutUnitKeepsTheOtherIndicesValid) {
    P weak;
    weak.hp = 1;
    weak.typeID = 30;
    P a;
    const int ub = Unit(1, 0, false, {weak, weak}, 2);  // index 0
    const int ua = Unit(0, 0, true, {a});               // index 1
    ASSERT_EQ(ub, 0);
    ASSERT_EQ(ua, 1);
    Member(ua, 0).nSpd = 100;  // the weak ones barely hit back
    const int targets[8] = {-1, -1, -1, -1, 0, 0, -1, -1};
    const int skills[8] = {8, -1, -1, -1, 1, 1, -1, -1};  // sweep fells both
    f->ResolveBattle(ua, ub, targets, skills);
    const int aPerson = f->m_UnitList.GetMember(ua, 0);
    const int hpBefore = f->m_PersonList.GetHP(aPerson);
    f->ApplyAllActions();
    ASSERT_EQ(f->m_UnitList.GetCount(), 1);
    EXPECT_EQ(f->m_UnitList.GetMember(0, 0), aPerson);
    EXPECT_EQ(f->m_UnitList.GetDefeatedCount(0, 30), 2);
    EXPECT_EQ(f->m_PersonList.GetHP(aPerson), hpBefore);  // the fallen never countered
}

TEST_F(Apply, CannonChargesTheCasterOnce) {
    P caster;
    caster.mp = 30;
    caster.mag = 10;
    caster.skills = {5};
    const int uc = Unit(0, 0, true, {caster});
    const int u1 = Unit(3, 3, false, {P{}, P{}}, 2);
    const int u2 = Unit(5, 5, false, {P{}});
    f->m_UnitList.SetCharge(uc, 3);
    f->ResolveSkillOnUnit(uc, u1, 5);
    f->ResolveSkillOnUnit(uc, u2, 5);
    const int damage = f->m_vBattleAction[2].nDamage[0];
    f->ApplyAllActions();
    EXPECT_EQ(f->m_UnitList.GetMemberMP(uc, 0), 20);
    EXPECT_EQ(f->m_UnitList.GetCharge(uc), 1);
    EXPECT_EQ(f->m_UnitList.GetMemberHP(u2, 0), std::max(50 - damage, 0));
}

TEST_F(Apply, CannonRecordOneAtATime) {
    P caster;
    caster.mp = 30;
    caster.skills = {5};
    const int uc = Unit(0, 0, true, {caster});
    const int u1 = Unit(3, 3, false, {P{}});
    f->m_UnitList.SetCharge(uc, 2);
    f->ResolveSkillOnUnit(uc, u1, 5);
    f->ApplyNextAction();
    ASSERT_EQ(f->m_vBattleAction.size(), 1u);
    EXPECT_EQ(f->m_vBattleAction[0].nUnit, u1);
    EXPECT_EQ(f->m_UnitList.GetCharge(uc), 0);
    f->ApplyNextAction();
    EXPECT_TRUE(f->m_vBattleAction.empty());
    f->ApplyNextAction();  // nothing left: logged, no crash
}

TEST_F(Resolve, PlanNamingNoMemberHoldsBack) {
    const int ua = Unit(0, 0, true, {P{}, P{}}, 2);
    const int ub = Unit(1, 0, false, {P{}});
    const int targets[8] = {3, 0, -1, -1, -1, -1, -1, -1};  // unit b has no slot 3
    const int skills[8] = {1, 1, -1, -1, -1, -1, -1, -1};
    f->ResolveBattle(ua, ub, targets, skills);
    const BattleActionRecord& r0 = f->m_vBattleAction[0];
    EXPECT_EQ(r0.nSkill[0], -1);
    EXPECT_EQ(r0.nTargetSlot[0], -1);
    ASSERT_EQ(r0.vResult.size(), 1u);
    EXPECT_EQ(r0.vResult[0].nAttacker, 1);
    // A unit index that does not exist resolves nothing.
    f->m_vBattleAction.clear();
    f->ResolveBattle(ua, 9, targets, skills);
    f->ResolveSkillOnUnit(ua, 9, 5);
    EXPECT_TRUE(f->m_vBattleAction.empty());
}
