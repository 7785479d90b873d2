// Damage pop-ups: their ages, sums and texts; the battle window's cells: HP,
// totals, shake and gauge widths.  No device: nothing is drawn, the state is checked.
#include <gtest/gtest.h>

#include "../battle_fixture.h"
#include "BattleWindow.h"
#include "DamagePopup.h"
#include "MeshControl.h"

namespace {

using battletest::BattleTest;

AttackResult Hit(int target, int skill, int amount, int frame, bool miss = false, bool critical = false,
                 bool fall = false) {
    AttackResult r;
    r.nTarget = target;
    r.nSkill = skill;
    r.nAmount = amount;
    r.nHitFrame = frame;
    r.bMiss = miss;
    r.bCritical = critical;
    r.bFall = fall;
    return r;
}

class Popups : public BattleTest {
protected:
    // Runs the pop-ups for frames from..to.
    void Run(int from, int to) {
        for (int f = from; f <= to; ++f) popups.Update(f, formation);
    }
    CDamageEffect popups;
    BattleFormation formation;
};

TEST(PopupAlpha, FadesInOverSixteenFramesAndOutByItsEnd) {
    struct Case { int age; bool fall; int alpha; } cases[] = {
        {0, false, 0},    {1, false, 16},   {15, false, 240}, {16, false, 255}, {100, false, 255},
        {105, false, 240}, {119, false, 16}, {120, false, 0}, {60, true, 255},  {65, true, 240},
        {79, true, 16},   {80, true, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(NumberAlpha(c.age, c.fall), c.alpha) << c.age << " " << c.fall;
}

TEST(PopupDigits, CountsDigitsOfTheMagnitude) {
    EXPECT_EQ(CountDigits(0), 1);
    EXPECT_EQ(CountDigits(9), 1);
    EXPECT_EQ(CountDigits(-25), 2);
    EXPECT_EQ(CountDigits(120), 3);
    EXPECT_EQ(CountDigits(1000), 4);
}

TEST_F(Popups, ANumberLivesUntilAge121AndWithFallUntil81) {
    popups.QueueHit(Hit(4, 100, 12, 10));
    popups.QueueHit(Hit(5, 100, 40, 10, false, false, true));
    Run(0, 9);
    EXPECT_EQ(popups.numbers[4], nullptr);
    Run(10, 10);
    ASSERT_NE(popups.numbers[4], nullptr);
    EXPECT_EQ(popups.numbers[4]->amount, 12);
    Run(11, 90);
    EXPECT_NE(popups.numbers[5], nullptr);
    Run(91, 91);
    EXPECT_EQ(popups.numbers[5], nullptr);  // freed after the draw at age 81
    Run(92, 130);
    EXPECT_NE(popups.numbers[4], nullptr);
    Run(131, 131);
    EXPECT_EQ(popups.numbers[4], nullptr);  // freed after age 121
}

TEST_F(Popups, RepeatedHitsShowTheRunningTotal) {
    popups.QueueHit(Hit(6, 100, 120, 20));
    popups.QueueHit(Hit(6, 100, 30, 22));
    Run(20, 22);
    ASSERT_NE(popups.numbers[6], nullptr);
    EXPECT_EQ(popups.numbers[6]->amount, 150);
    EXPECT_EQ(popups.numbers[6]->startFrame, 22);
    popups.QueueHit(Hit(6, 303, -200, 25));  // a heal larger than the damage
    Run(23, 25);
    EXPECT_EQ(popups.numbers[6]->amount, -50);
}

TEST_F(Popups, MissesAndCriticalsAddTexts) {
    popups.QueueHit(Hit(1, 100, 0, 5, true));         // a weapon miss: "dodged"
    popups.QueueHit(Hit(2, 300, 0, 5, true));         // a spell miss: "resisted"
    popups.QueueHit(Hit(3, 100, 30, 5, false, true)); // critical
    Run(5, 5);
    ASSERT_EQ(popups.strings.size(), 3u);
    EXPECT_EQ(popups.strings[0].kind, 2);
    EXPECT_EQ(popups.strings[1].kind, 0);
    EXPECT_EQ(popups.strings[2].kind, 1);
    EXPECT_EQ(popups.numbers[1]->amount, 0);
    Run(6, 5 + 60);
    EXPECT_EQ(popups.strings.size(), 3u);
    Run(5 + 61, 5 + 61);  // removed after the draw at age 61
    EXPECT_TRUE(popups.strings.empty());
}

TEST_F(Popups, ALateResultShowsInTheNextFrameAndResetKeepsPending) {
    popups.QueueHit(Hit(0, 100, 3, 2));
    popups.QueueHit(Hit(0, 100, 4, 50));
    Run(7, 7);
    ASSERT_NE(popups.numbers[0], nullptr);
    EXPECT_EQ(popups.numbers[0]->startFrame, 7);
    popups.Reset();
    EXPECT_EQ(popups.numbers[0], nullptr);
    EXPECT_EQ(popups.pending.size(), 1u);
}

TEST_F(Popups, TargetsOutsideTheBattleAreDropped) {
    popups.QueueHit(Hit(9, 100, 3, 1));
    popups.QueueHit(Hit(-1, 100, 3, 1));
    Run(1, 1);
    EXPECT_TRUE(popups.pending.empty());
    for (auto* n : popups.numbers) EXPECT_EQ(n, nullptr);
}

TEST(BattleWindowGeometry, CellsOfBothSides) {
    const int xs[8] = {330, 330, 485, 485, 155, 155, 0, 0};
    const int ys[8] = {320, 400, 320, 400, 320, 400, 320, 400};
    for (int s = 0; s < 8; ++s) {
        EXPECT_EQ(GetWindowColumnX(s), xs[s]) << s;
        EXPECT_EQ(GetWindowRowY(s), ys[s]) << s;
    }
    EXPECT_EQ(GaugeWidth(30, 30), 130);
    EXPECT_EQ(GaugeWidth(0, 30), 0);
    EXPECT_EQ(GaugeWidth(1, 30), 5);  // 4.33 + 0.9
    EXPECT_EQ(GaugeWidth(10, 0), 0);  // no maximum: an empty gauge
    // Hit points from a save far outside the maximum stay within the bar.
    EXPECT_EQ(GaugeWidth(INT32_MAX, 1), 130);
    EXPECT_EQ(GaugeWidth(int64_t(INT32_MAX) - INT32_MIN, INT32_MAX), 130);
    EXPECT_EQ(GaugeWidth(INT32_MIN, 30), 0);
}

class WindowRow : public BattleTest {
protected:
    void SetUp() override {
        BattleTest::SetUp();
        const int a = AddUnit({1, 3}, {1, 0}, 1, 1);
        BattleActionRecord& r = AddRecord(a);
        r.nSkill[0] = 100;
        row.Setup(*field_, true, 0, 0);
    }
    CBattleWindowRow row;
};

TEST_F(WindowRow, SetupTakesTheMembersFigures) {
    EXPECT_TRUE(row.shown);
    EXPECT_EQ(row.hp, 30);
    EXPECT_EQ(row.maxHp, 30);
    EXPECT_EQ(row.mode, 0);
    EXPECT_EQ(row.hpText.GetText(), "   30/   30");
    EXPECT_EQ(row.skillText.GetText(), "[" + g_SkillData.GetName(100) + "]");
    CBattleWindowRow none;
    none.Setup(*field_, true, 1, 1);  // the record's unit has a second member with no skill
    EXPECT_TRUE(none.skillText.GetText().empty());
}

TEST_F(WindowRow, OneResultAFrameWithShakeAndTotals) {
    row.actFrame = 3;
    row.Draw(3);
    EXPECT_EQ(row.mode, 1);
    row.QueueHit(Hit(0, 100, 50, 10));
    row.QueueHit(Hit(0, 303, -50, 10));
    row.Draw(10);
    EXPECT_EQ(row.hp, 0);  // damage beyond the HP stops at 0
    EXPECT_EQ(row.total, 50);
    EXPECT_EQ(row.mode, 2);
    EXPECT_EQ(row.shake, 19);
    EXPECT_EQ(row.amountText.GetText(), "ダメージ: 50");
    row.Draw(11);
    EXPECT_EQ(row.hp, 30);  // healing beyond the maximum stops there
    EXPECT_EQ(row.prevHp, 0);
    EXPECT_EQ(row.total, 0);
    EXPECT_EQ(row.gaugeFade, 59);
    row.QueueHit(Hit(0, 303, -20, 12));
    row.Draw(12);
    EXPECT_EQ(row.amountText.GetText(), "回復: 20");
}

TEST_F(WindowRow, AMissChangesNothingButTheLine) {
    row.QueueHit(Hit(0, 100, 0, 4, true));
    row.Draw(4);
    EXPECT_EQ(row.hp, 30);
    EXPECT_EQ(row.shake, 0);
    EXPECT_EQ(row.amountText.GetText(), "ダメージ: 0");
}

TEST_F(WindowRow, NoMaximumHpDrawsWithoutDividing) {
    row.maxHp = 0;
    row.QueueHit(Hit(0, 100, 5, 1));
    row.Draw(1);
    EXPECT_EQ(row.hp, 0);
}

}  // namespace
