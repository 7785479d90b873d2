// The field damage displays: the turn-start amounts (poison, auras, regeneration,
// magic recovery), the order of the walk, the cannon clamp and the display's timing.
#include "turn/TaskDispDamage.h"
#include "turn_fixture.h"

namespace {

using turntest::TurnField;
using P = turntest::TurnField::P;

// ---- worked numbers of one member -----------------------------------------------------

struct Case {
    const char* name;
    int maxHP, hp, mp;
    uint16_t condition;
    std::vector<int> passives;
    int effect;
    int kind;    // -1: no entry
    int amount;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class TurnStartAmounts : public TurnField, public ::testing::WithParamInterface<Case> {};

TEST_P(TurnStartAmounts, WorkedNumbers) {
    const Case& c = GetParam();
    OpenMap(6, 6);
    P p;
    p.hp = c.maxHP;
    p.passives = c.passives;
    const int u = Unit(2, 2, true, {p});
    Member(u, 0).nHP = c.hp;
    Member(u, 0).nMP = c.mp;
    Member(u, 0).nCondition = c.condition;
    uint8_t done = 0;
    C_TaskDispPoisonDamage d(f.get(), &done);
    const bool any = d.ComputeEffect(f.get(), u, c.effect);
    EXPECT_EQ(any, c.kind != -1);
    EXPECT_EQ(d.m_Entry[0].nKind, c.kind);
    EXPECT_EQ(d.m_Entry[0].nAmount, c.amount);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TurnStartAmounts,
    ::testing::Values(Case{"poison", 50, 30, 20, 4, {}, 0, 0, 5},
                      Case{"poison_rounds_down", 55, 30, 20, 4, {}, 0, 0, 5},
                      Case{"poison_never_below_1", 50, 3, 20, 4, {}, 0, 0, 2},
                      Case{"poison_at_1hp", 50, 1, 20, 4, {}, 0, 0, 0},
                      Case{"poison_with_other_conditions", 80, 80, 20, 4 | 1 | 8, {}, 0, 0, 8},
                      Case{"no_poison", 50, 30, 20, 1 | 2 | 8, {}, 0, -1, 0},
                      Case{"regen", 200, 150, 20, 0, {32}, 3, 1, -20},
                      Case{"regen_capped", 200, 195, 20, 0, {32}, 3, 1, -5},
                      Case{"regen_rounds_up", 55, 10, 20, 0, {32}, 3, 1, -6},
                      Case{"regen_full_hp", 200, 200, 20, 0, {32}, 3, -1, 0},
                      Case{"magic_recovery", 50, 50, 50, 0, {33}, 4, 3, -2},
                      Case{"magic_recovery_capped", 50, 50, 98, 0, {33}, 4, 3, -1},
                      Case{"magic_recovery_full", 50, 50, 99, 0, {33}, 4, -1, 0},
                      Case{"regen_without_skill", 200, 150, 20, 0, {}, 3, -1, 0}),
    [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

// ---- auras ------------------------------------------------------------------------------

class Auras : public TurnField {};

TEST_F(Auras, TwoDamagingAurasDoubleTheDamageAndSidesDoNotMatter) {
    OpenMap(6, 6);
    P victim;
    victim.hp = 100;
    P bane;
    bane.passives = {30};
    const int u = Unit(2, 2, true, {victim, victim});
    Unit(1, 2, false, {bane});
    Unit(2, 3, true, {bane});  // an own unit's aura hurts as well
    Unit(4, 4, false, {bane});  // too far
    Member(u, 1).nHP = 15;
    uint8_t done = 0;
    C_TaskDispPoisonDamage d(f.get(), &done);
    EXPECT_EQ(d.m_vDamageAura[u], 2);
    ASSERT_TRUE(d.ComputeEffect(f.get(), u, 1));
    EXPECT_EQ(d.m_Entry[0].nAmount, 20);
    EXPECT_EQ(d.m_Entry[1].nAmount, 14);  // capped at HP - 1
}

TEST_F(Auras, DamagingAuraWinsOverHealingAuraOfTheSameLeader) {
    OpenMap(6, 6);
    P both;
    both.passives = {31, 30};
    P victim;
    victim.hp = 100;
    const int u = Unit(2, 2, true, {victim});
    Member(u, 0).nHP = 50;
    Unit(3, 2, true, {both});
    uint8_t done = 0;
    C_TaskDispPoisonDamage d(f.get(), &done);
    EXPECT_EQ(d.m_vDamageAura[u], 1);
    EXPECT_EQ(d.m_vHealAura[u], 0);
}

TEST_F(Auras, HealingAuraCountsOnlyForAWoundedUnit) {
    OpenMap(6, 6);
    P grace;
    grace.passives = {31};
    P member;
    member.hp = 100;
    const int wounded = Unit(2, 2, true, {member, member});
    const int whole = Unit(4, 3, true, {member});
    Unit(3, 2, true, {grace});  // next to both... (4,3) is at distance 2
    Unit(4, 2, false, {grace});  // next to (4,3) and not to (2,2)
    Member(wounded, 1).nHP = 95;
    uint8_t done = 0;
    C_TaskDispPoisonDamage d(f.get(), &done);
    EXPECT_EQ(d.m_vHealAura[wounded], 1);
    EXPECT_EQ(d.m_vHealAura[whole], 0);
    ASSERT_TRUE(d.ComputeEffect(f.get(), wounded, 2));
    EXPECT_EQ(d.m_Entry[0].nKind, 1);
    EXPECT_EQ(d.m_Entry[0].nAmount, 0);    // already whole: nothing to heal
    EXPECT_EQ(d.m_Entry[1].nAmount, -5);   // capped at what is missing
}

// ---- the walk and the display ----------------------------------------------------------

class DamageDisplay : public TurnField {};

TEST_F(DamageDisplay, WalksUnitsThenEffectsAndAppliesEachBeforeTheNext) {
    OpenMap(8, 8);
    P poisoned;
    poisoned.hp = 100;
    poisoned.passives = {32};  // regeneration after the poison
    P plain;
    const int a = Unit(1, 1, true, {plain});
    const int b = Unit(5, 5, false, {poisoned});
    Member(b, 0).nCondition = 4;
    Member(b, 0).nHP = 60;
    (void)a;
    uint8_t done = 0;
    controller.AddTask(new C_TaskDispPoisonDamage(f.get(), &done), 101);
    Frame();
    auto* d = Find<C_TaskDispPoisonDamage>();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->m_nUnit, b);
    EXPECT_EQ(d->m_nCurrentEffect, 0);
    EXPECT_EQ(f->m_fCameraX, 5.0f);
    Frames(121);  // the poison's display: 121 updates, then the regeneration at once
    EXPECT_EQ(Member(b, 0).nHP, 50);
    EXPECT_EQ(d->m_nCurrentEffect, 3);
    EXPECT_EQ(d->m_Entry[0].nAmount, -10);
    Frames(121);
    EXPECT_EQ(Member(b, 0).nHP, 60);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(Find<C_TaskDispPoisonDamage>(), nullptr);
}

TEST_F(DamageDisplay, NothingToShowEndsInTheFirstUpdate) {
    OpenMap(4, 4);
    Unit(1, 1, true, {P{}});
    uint8_t done = 7;
    controller.AddTask(new C_TaskDispPoisonDamage(f.get(), &done), 101);
    EXPECT_EQ(done, 0);
    Frame();
    EXPECT_EQ(done, 1);
    EXPECT_EQ(controller.GetTaskCount(), 0);
}

TEST_F(DamageDisplay, ClicksBringTheNumbersThenEndTheUnit) {
    OpenMap(4, 4);
    P p;
    const int u = Unit(1, 1, true, {p});
    Member(u, 0).nCondition = 4;
    uint8_t done = 0;
    controller.AddTask(new C_TaskDispPoisonDamage(f.get(), &done), 101);
    Frame();
    Frames(3);
    auto* d = Find<C_TaskDispPoisonDamage>();
    ASSERT_NE(d, nullptr);
    input.ClickLeft();
    Frame();
    EXPECT_EQ(d->m_nFrame, 30);  // the numbers come with the next update
    EXPECT_EQ(Member(u, 0).nHP, 50);
    Frame();
    EXPECT_EQ(d->m_nFrame, 31);
    input.ClickRight();
    Frame();  // a second click ends the unit
    EXPECT_EQ(done, 1);
    EXPECT_EQ(Member(u, 0).nHP, 45);
}

TEST_F(DamageDisplay, CannonAmountsNeverExceedTheHPLeftAndTheCasterPaysFirst) {
    OpenMap(8, 8);
    P caster;
    caster.mp = 20;
    caster.skills = {1};
    const int c = Unit(1, 1, true, {caster});
    f->m_UnitList.SetCharge(c, 2);
    P target;
    target.hp = 30;
    const int t = Unit(5, 5, false, {target, target});
    BattleActionRecord cast;
    cast.nUnit = c;
    cast.nSkill[0] = 5;  // meteor: 10 MP, charge 2
    BattleActionRecord hit;
    hit.nUnit = t;
    hit.nDamage[0] = 45;
    hit.nDamage[1] = 12;
    hit.nEffect[1] = 4;
    f->m_vBattleAction = {cast, hit};
    uint8_t done = 0;
    controller.AddTask(new C_TaskDispCannonDamage(f.get(), &done), 120);
    EXPECT_EQ(Member(c, 0).nMP, 10);
    EXPECT_EQ(f->m_UnitList.GetCharge(c), 0);
    Frame();
    auto* d = Find<C_TaskDispCannonDamage>();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->m_nUnit, t);
    EXPECT_EQ(d->m_Entry[0].nAmount, 30);
    EXPECT_EQ(d->m_Entry[1].nAmount, 12);
    EXPECT_EQ(d->m_Entry[1].bPoisoned, 1);
    Frames(121);
    EXPECT_EQ(done, 1);
    EXPECT_TRUE(f->m_vBattleAction.empty());
}

TEST(DamageDigits, FadeSlideAndCount) {
    // frame: flash alpha, digit alpha, slide
    const int table[][4] = {{31, 251, 12, 29}, {40, 215, 127, 20}, {50, 175, 255, 10}, {60, 135, 255, 0},
                            {94, 0, 255, 0},   {110, 0, 255, 0},   {115, 0, 127, 0},  {120, 0, 0, 0}};
    for (const auto& row : table) {
        EXPECT_EQ(C_TaskDispFieldDamage::FlashAlpha(row[0]), row[1]) << row[0];
        EXPECT_EQ(C_TaskDispFieldDamage::DigitAlpha(row[0]), row[2]) << row[0];
        EXPECT_EQ(C_TaskDispFieldDamage::DigitSlide(row[0]), row[3]) << row[0];
    }
    const int counts[][2] = {{0, 0}, {1, 1}, {9, 1}, {10, 2}, {-100, 3}, {999, 3}, {1000, 4}, {1000000, 7}};
    for (const auto& c : counts) EXPECT_EQ(C_TaskDispFieldDamage::DigitCount(c[0]), c[1]) << c[0];
}

}  // namespace
