// Hit rate, effect amount and the battle category of skills.
#include "../rules_fixture.h"

using namespace rulestest;

class HitDamage : public RulesField {
protected:
    void SetUp() override {
        RulesField::SetUp();
        OpenMap(6, 6);
    }
    // An attacker at (0,0) and a target at (1,0); returns their person indices.
    std::pair<int, int> Pair(const P& a, const P& t) {
        const int ua = Unit(0, 0, true, {a});
        const int ut = Unit(1, 0, false, {t});
        return {f->m_UnitList.GetMember(ua, 0), f->m_UnitList.GetMember(ut, 0)};
    }
    int Hit(int dex, int spd) {
        P a, t;
        a.dex = dex;
        t.spd = spd;
        auto [pa, pt] = Pair(a, t);
        return f->CalcHitRate(pa, 1, pt);
    }
    int MagicHit(int c, int d) {
        P a, t;
        a.mag = c;
        t.mag = d;
        auto [pa, pt] = Pair(a, t);
        return f->CalcHitRate(pa, 3, pt);
    }
};

TEST_F(HitDamage, DexterityAgainstSpeedCurve) {
    EXPECT_EQ(Hit(10, 10), 100);
    EXPECT_EQ(Hit(10, 18), 100);
    EXPECT_EQ(Hit(10, 19), 97);
    EXPECT_EQ(Hit(10, 20), 95);
    EXPECT_EQ(Hit(10, 30), 75);
    EXPECT_EQ(Hit(10, 40), 65);
    EXPECT_EQ(Hit(10, 100), 45);  // x = -8: 95 + 20 asinh(-14.88) / asinh(1.86)
}

TEST_F(HitDamage, MagicCurve) {
    EXPECT_EQ(MagicHit(10, 10), 90);
    EXPECT_EQ(MagicHit(10, 20), 70);
    EXPECT_EQ(MagicHit(20, 10), 100);
    EXPECT_EQ(MagicHit(15, 10), 100);  // r = 0.5: 101.77
    EXPECT_EQ(MagicHit(12, 10), 94);   // r = 0.2: 94.23
    EXPECT_EQ(MagicHit(10, 12), 86);   // r = -0.2: 86.17
    EXPECT_EQ(MagicHit(1, 100), 0);
}

TEST_F(HitDamage, AbsurdPowerGivesAHugeAmountNotAWrappedOne) {
    P a, t;
    a.str = 1000;
    a.mag = 1000;
    auto [pa, pt] = Pair(a, t);
    const int id = 1;  // sword
    std::vector<std::vector<std::string>> rows = {
        {"skillID", "name", "type", "power", "critical", "effect"},
        {"1", "giant", "0", "2000000000", "0", "0"},
        {"2", "giantheal", "3", "2000000000", "0", "0"},
    };
    g_SkillData.LoadRows(rows);
    const bool crit = true;
    EXPECT_GE(f->CalcEffectAmount(pa, id, pt, true, true, &crit), 1000000000);
    EXPECT_LE(f->CalcEffectAmount(pa, 2, pt, true, true, &crit), -1000000000);
    LoadSkills();
}

TEST_F(HitDamage, StatsFarApartStayWithinTheLimits) {
    // Raw rates beyond the int range (or an infinite one) still end at 0 or 100.
    EXPECT_EQ(MagicHit(3000, 1), 100);
    EXPECT_EQ(MagicHit(1, 3000), 0);
    EXPECT_EQ(Hit(1, 2000000000), 0);
    EXPECT_EQ(Hit(2000000000, 1), 100);
}

TEST_F(HitDamage, ZeroDivisorsCountAsOne) {
    EXPECT_EQ(Hit(10, 0), 100);
    EXPECT_EQ(Hit(0, 10), 45);       // 2 - 10 / 1 = -8, as dex 10 against spd 100
    EXPECT_EQ(Hit(0, 0), 95);   // 0 / 1 = 0
    EXPECT_EQ(MagicHit(0, 10), 0);
    EXPECT_EQ(MagicHit(5, 0), 100);
    EXPECT_EQ(MagicHit(0, 0), 70);  // 0 / 1 - 1 = -1
    // A maximum HP of 0 in the half-HP test of a passive.
    P a;
    a.hp = 0;
    a.passives = {12};
    P t;
    t.gur = 10;
    auto [pa, pt] = Pair(a, t);
    f->m_PersonList.GetPerson(pa).nMaxHP = 0;
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, false, nullptr), 135);
}

TEST_F(HitDamage, ConditionsOverrideTheCurve) {
    P a, t;
    a.dex = 50;
    t.spd = 200;
    auto [pa, pt] = Pair(a, t);
    f->m_PersonList.GetPerson(pt).nCondition = 1;  // asleep
    EXPECT_EQ(f->CalcHitRate(pa, 1, pt), 100);
    f->m_PersonList.GetPerson(pa).nCondition = 8;  // dazzled
    EXPECT_EQ(f->CalcHitRate(pa, 1, pt), 10);
    EXPECT_EQ(f->CalcHitRate(pa, 2, pt), 10);
    // Magic and healing ignore both.
    f->m_PersonList.GetPerson(pa).nCondition = 8;
    EXPECT_EQ(f->CalcHitRate(pa, 3, pt), 90);
    EXPECT_EQ(f->CalcHitRate(pa, 4, pt), 100);
}

TEST_F(HitDamage, TerrainPassiveRaisesMagicHitOnTarget) {
    P a, t;
    a.mag = 10;
    t.mag = 20;
    t.passives = {10};  // effect 0: terrain type 1
    const int ua = Unit(0, 0, true, {a});
    const int ut = Unit(1, 0, false, {t});
    const int pa = f->m_UnitList.GetMember(ua, 0), pt = f->m_UnitList.GetMember(ut, 0);
    EXPECT_EQ(f->CalcHitRate(pa, 3, pt), 70);
    f->m_MapData.m_byMapChip[1] = kForest;
    EXPECT_EQ(f->CalcHitRate(pa, 3, pt), 80);
    f->m_PersonList.GetPerson(pt).pskill[1] = 11;  // a second passive adds again
    EXPECT_EQ(f->CalcHitRate(pa, 3, pt), 90);
    // Not for physical skills.
    f->m_PersonList.GetPerson(pt).nSpd = 10;
    EXPECT_EQ(f->CalcHitRate(pa, 1, pt), 100);
}

TEST_F(HitDamage, PhysicalAmountAndCritical) {
    P a, t;
    a.str = 20;
    t.gur = 10;
    auto [pa, pt] = Pair(a, t);
    const bool crit = true, nocrit = false;
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, false, nullptr), 90);
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, true, &crit), 180);
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, true, &nocrit), 90);
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, false, &crit), 90);
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, false, true, &crit), 0);  // a missed blow
    EXPECT_EQ(f->CalcEffectAmount(pa, 2, pt, false, false, nullptr), 0);
}

TEST_F(HitDamage, RoundingOfTheAmount) {
    P a, t;
    auto [pa, pt] = Pair(a, t);
    PersonRecord& A = f->m_PersonList.GetPerson(pa);
    PersonRecord& T = f->m_PersonList.GetPerson(pt);
    A.nStr = 5;
    T.nGur = 50;  // 100 x 5 / 100 x 5 x 50 / 100 = 12.5
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, false, nullptr), 12);
    A.nStr = 6;
    T.nGur = 58;  // 12.6
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, false, nullptr), 13);
    T.nGur = 100;
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, false, nullptr), 1);
    T.nGur = 250;
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, false, nullptr), 1);
}

TEST_F(HitDamage, MissedMagicDealsHalf) {
    P a, t;
    a.mag = 2;  // fire: 100 x 2 / 100 x 5 = 10
    auto [pa, pt] = Pair(a, t);
    const bool crit = true;
    EXPECT_EQ(f->CalcEffectAmount(pa, 3, pt, true, false, nullptr), 10);
    EXPECT_EQ(f->CalcEffectAmount(pa, 3, pt, false, false, nullptr), 5);
    EXPECT_EQ(f->CalcEffectAmount(pa, 3, pt, false, true, &crit), 5);  // no doubling
    EXPECT_EQ(f->CalcEffectAmount(pa, 3, pt, true, true, &crit), 20);
    f->m_PersonList.GetPerson(pa).nMag = 0;
    EXPECT_EQ(f->CalcEffectAmount(pa, 3, pt, false, false, nullptr), 1);
    EXPECT_EQ(f->CalcEffectAmount(pa, 3, pt, true, false, nullptr), 1);
}

TEST_F(HitDamage, HealingIsNegative) {
    P a, t;
    a.mag = 10;
    auto [pa, pt] = Pair(a, t);
    const bool crit = true;
    EXPECT_EQ(f->CalcEffectAmount(pa, 4, pt, true, false, nullptr), -5);
    EXPECT_EQ(f->CalcEffectAmount(pa, 4, pt, true, true, &crit), -10);
    EXPECT_EQ(f->CalcEffectAmount(pa, 21, pt, true, false, nullptr), 0);  // power 0 heals nothing
    f->m_PersonList.GetPerson(pa).nMag = 0;
    EXPECT_EQ(f->CalcEffectAmount(pa, 4, pt, true, false, nullptr), -1);
}

TEST_F(HitDamage, TerrainDefence) {
    P a, t;
    a.str = 20;
    a.mag = 10;
    t.gur = 10;
    auto [pa, pt] = Pair(a, t);
    f->m_MapData.m_byMapChip[1] = kForest;  // d_guard 20, i_guard 10
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, false, nullptr), 70);
    EXPECT_EQ(f->CalcEffectAmount(pa, 2, pt, true, false, nullptr), 72);  // bow: 80 x 20 / 100 x 5 x 90 / 100
    EXPECT_EQ(f->CalcEffectAmount(pa, 3, pt, true, false, nullptr), 45);  // fire: 50 x 90 / 100
}

TEST_F(HitDamage, GuardAndStrengthPassives) {
    P a, t;
    a.str = 20;
    a.mag = 10;
    t.gur = 10;
    t.passives = {10};  // effect 0: plain and forest (types 0 and 1)
    auto [pa, pt] = Pair(a, t);
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, false, nullptr), 80);
    EXPECT_EQ(f->CalcEffectAmount(pa, 3, pt, true, false, nullptr), 50);  // magic takes no passive guard
    f->m_PersonList.GetPerson(pt).pskill[0] = 19;  // effect 1: terrain type 4 only
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, false, nullptr), 90);
    // Berserk target at half HP guards 10 more, berserk attacker strikes with half its strength more.
    PersonRecord& T = f->m_PersonList.GetPerson(pt);
    T.pskill[0] = 12;
    T.nHP = 26;
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, false, nullptr), 90);
    T.nHP = 25;
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, false, nullptr), 80);
    T.pskill[0] = -1;
    PersonRecord& A = f->m_PersonList.GetPerson(pa);
    A.pskill[0] = 12;
    A.nHP = 25;
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, false, nullptr), 135);
    A.pskill[1] = 12;  // two of them add twice
    EXPECT_EQ(f->CalcEffectAmount(pa, 1, pt, true, false, nullptr), 180);
}

TEST_F(HitDamage, SkillCategories) {
    auto cat = [](int id) { return GetSkillCategory(&id); };
    EXPECT_EQ(cat(-1), 0);
    EXPECT_EQ(cat(1), 1);
    EXPECT_EQ(cat(6), 2);
    EXPECT_EQ(cat(2), 3);
    EXPECT_EQ(cat(3), 4);
    EXPECT_EQ(cat(4), 4);
    EXPECT_EQ(cat(14), 5);
    EXPECT_EQ(cat(22), 5);
    EXPECT_EQ(cat(5), 6);
    EXPECT_EQ(cat(8), 1);  // an all-target melee skill stays melee
    EXPECT_EQ(GetSkillCategory(nullptr), 0);
}
