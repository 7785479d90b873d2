// The formation and the action schedule of a battle, the worked example of an
// exchange, hits reaching their members, and the battle task's life.
#include <gtest/gtest.h>

#include "../battle_fixture.h"
#include "MeshControl.h"
#include "TaskBattle.h"
#include "task/TaskController.h"

namespace {

using battletest::BattleTest;

class Schedule : public BattleTest {
protected:
    // Three attackers (two front swordsmen, a rear caster) against two archers.
    void WorkedExample() {
        a_ = AddUnit({1, 1, 2}, {1, 1, 0}, 3, 3);
        b_ = AddUnit({3, 3}, {1, 1}, 4, 3);
        BattleActionRecord& r0 = AddRecord(a_);
        r0.nSkill[0] = 100;  // melee
        r0.nSkill[1] = 100;
        r0.nSkill[2] = 300;  // single-target magic
        r0.nTargetSlot[0] = 0;
        r0.nTargetSlot[1] = 1;
        r0.nTargetSlot[2] = 0;
        r0.vResult = {Blow(0, 4, 100, 7), Blow(1, 5, 100, 6), Blow(2, 4, 300, 9)};
        BattleActionRecord& r1 = AddRecord(b_);
        r1.nSkill[0] = 101;  // melee answers
        r1.nSkill[1] = 101;
        r1.nTargetSlot[0] = 0;
        r1.nTargetSlot[1] = 2;
        r1.vResult = {Blow(4, 0, 101, 5), Blow(5, 2, 101, 4)};
    }
    int a_ = -1, b_ = -1;
};

TEST_F(Schedule, WorkedExampleOfAnExchange) {
    WorkedExample();
    C_MeshController c;
    EXPECT_EQ(c.Setup(field_.get()), 367);
    // Two front melee members on each side.
    EXPECT_EQ(c.m_Formation.kind[0], 2);
    EXPECT_EQ(c.m_Formation.kind[1], 2);
    EXPECT_EQ(c.m_Member[0].m_nActionStart, 27);
    EXPECT_EQ(c.m_Member[1].m_nActionStart, 24);
    EXPECT_EQ(c.m_Member[2].m_nActionStart, 21);
    EXPECT_EQ(c.m_Member[0].m_nActionLength, 60);
    EXPECT_EQ(c.m_Member[2].m_nActionLength, 90);
    // Counter start 174: slot 4 at +12, slot 5 at +9.
    EXPECT_EQ(c.m_Member[4].m_nActionStart, 186);
    EXPECT_EQ(c.m_Member[5].m_nActionStart, 183);
    EXPECT_EQ(c.m_Member[4].m_nActionLength, 60);  // answers code 5 with motion 6
    EXPECT_EQ(c.m_Member[5].m_nActionLength, 70);  // a rear attacker is answered with motion 1
    // Melee hit frames: start + atk_time.
    EXPECT_EQ(c.m_Member[0].m_nHitFrame, 27 + 30);
    EXPECT_EQ(c.m_Member[1].m_nHitFrame, 24 + 30);
    EXPECT_EQ(c.m_Member[4].m_nHitFrame, 186 + 33);
    EXPECT_EQ(c.m_Member[5].m_nHitFrame, 183 + 31);
    EXPECT_FALSE(c.m_Member[3].m_bActive);
    EXPECT_FALSE(c.m_Member[6].m_bActive);
    // Approach codes of the front attackers.
    EXPECT_EQ(c.m_Formation.approach[0], 5);
    EXPECT_EQ(c.m_Formation.approach[1], 9);
    EXPECT_EQ(c.m_Formation.approach[2], 10);
}

TEST_F(Schedule, MeleeHitsLandAtTheirFrameOneAFrame) {
    WorkedExample();
    C_MeshController c;
    const int end = c.Setup(field_.get());
    const int hp4 = c.m_Member[4].m_nHP, hp5 = c.m_Member[5].m_nHP, hp0 = c.m_Member[0].m_nHP;
    for (int f = 1; f <= 50; ++f) c.Update(field_.get(), f);
    EXPECT_EQ(c.m_Member[4].m_nHP, hp4);
    c.Update(field_.get(), 51);  // slot 2's spell (start 21, its effect lands 30 frames on)
    EXPECT_EQ(c.m_Member[4].m_nHP, hp4 - 9);
    for (int f = 52; f <= 53; ++f) c.Update(field_.get(), f);
    EXPECT_EQ(c.m_Member[5].m_nHP, hp5);
    c.Update(field_.get(), 54);  // slot 1's blow
    EXPECT_EQ(c.m_Member[5].m_nHP, hp5 - 6);
    for (int f = 55; f <= 56; ++f) c.Update(field_.get(), f);
    EXPECT_EQ(c.m_Member[4].m_nHP, hp4 - 9);
    c.Update(field_.get(), 57);  // slot 0's blow
    EXPECT_EQ(c.m_Member[4].m_nHP, hp4 - 9 - 7);
    ASSERT_EQ(c.m_Member[4].m_WindowRow.results.size(), 2u);
    EXPECT_EQ(c.m_Member[4].m_WindowRow.results[0].nHitFrame, 51);
    EXPECT_EQ(c.m_Member[4].m_WindowRow.results[1].nHitFrame, 57);
    EXPECT_EQ(c.m_Member[4].m_Popups.pending.size(), 2u);
    for (int f = 58; f <= end + 2; ++f) c.Update(field_.get(), f);
    EXPECT_EQ(c.m_Member[0].m_nHP, hp0 - 5);
}

TEST_F(Schedule, AMemberKilledFadesAfterTenFramesAndLeavesAfterForty) {
    WorkedExample();
    field_->m_vBattleAction[0].vResult[0].nAmount = 999;
    C_MeshController c;
    c.Setup(field_.get());
    for (int f = 1; f <= 57; ++f) c.Update(field_.get(), f);
    EXPECT_EQ(c.m_Member[4].m_nDeathFrame, 67);
    for (int f = 58; f <= 67; ++f) c.Update(field_.get(), f);
    EXPECT_FLOAT_EQ(c.m_Member[4].m_fAlpha, 1.0f);
    c.Update(field_.get(), 82);
    EXPECT_NEAR(c.m_Member[4].m_fAlpha, 0.5f, 1e-6f);
    c.Update(field_.get(), 97);
    EXPECT_TRUE(c.m_Member[4].m_bActive);
    c.Update(field_.get(), 98);
    EXPECT_FALSE(c.m_Member[4].m_bActive);
}

TEST_F(Schedule, TwoHitsOnOneFrameAreAppliedOnConsecutiveFrames) {
    WorkedExample();
    C_MeshController c;
    c.Setup(field_.get());
    BattleMember& m = c.m_Member[5];
    const int hp = m.m_nHP;
    std::vector<AttackResult> hits = {Blow(0, 5, 100, 2), Blow(1, 5, 100, 3)};
    c.RouteHits(hits, 5);
    m.Update(*field_, 5, c.m_Formation, c.m_Effects);
    EXPECT_EQ(m.m_nHP, hp - 2);
    m.Update(*field_, 6, c.m_Formation, c.m_Effects);
    EXPECT_EQ(m.m_nHP, hp - 5);
    EXPECT_EQ(m.m_WindowRow.results.size(), 2u);
}

TEST_F(Schedule, NobodyAnsweringEndsThirtyFramesAfterTheCounterStart) {
    const int a = AddUnit({1}, {1}, 1, 1);
    const int b = AddUnit({3, 3}, {1, 0}, 2, 1);
    BattleActionRecord& r0 = AddRecord(a);
    r0.nSkill[0] = 100;
    r0.nTargetSlot[0] = 0;
    r0.vResult = {Blow(0, 4, 100, 3)};
    AddRecord(b);  // no skills: nobody answers
    C_MeshController c;
    // T = 60 (motion 1 of base 100 when both sides stand one in front), c = 3 x 26 + 60;
    // the two idle answerers give U = 3.
    EXPECT_EQ(c.Setup(field_.get()), 3 * 26 + 60 + 3 + 30);
}

TEST_F(Schedule, OneRecordLeavesTheOtherSideEmpty) {
    const int a = AddUnit({1, 1}, {1, 1}, 1, 1);
    BattleActionRecord& r0 = AddRecord(a);
    r0.nSkill[0] = 100;
    r0.nSkill[1] = 100;
    r0.vResult = {Blow(0, 4, 100, 3)};  // a target that does not stand there
    C_MeshController c;
    const int end = c.Setup(field_.get());
    for (int s = 4; s < 8; ++s) EXPECT_FALSE(c.m_Member[s].m_bActive);
    EXPECT_EQ(end, 3 * 27 + c.m_Member[0].m_nActionLength + 30);
    for (int f = 1; f <= end; ++f) c.Update(field_.get(), f);
}

TEST_F(Schedule, SkillOnOwnUnitAimsAtOwnSide) {
    const int a = AddUnit({2, 1}, {0, 1}, 1, 1);
    BattleActionRecord& r0 = AddRecord(a);
    r0.nSkill[0] = 303;  // healing
    r0.nTargetSlot[0] = 1;
    r0.vResult = {Blow(0, 5, 303, -8)};
    AddRecord(a);
    C_MeshController c;
    c.Setup(field_.get());
    for (int s = 4; s < 8; ++s) EXPECT_FALSE(c.m_Member[s].m_bActive);
    ASSERT_EQ(c.m_Member[0].m_vOwnResult.size(), 1u);
    EXPECT_EQ(c.m_Member[0].m_vOwnResult[0].nTarget, 1);
    EXPECT_EQ(c.m_Member[0].m_nActionLength, 90);
}

TEST_F(Schedule, BowAndSpearUsersTakeTheirVariantBases) {
    const int a = AddUnit({1, 1}, {1, 1}, 1, 1);
    const int b = AddUnit({3}, {1}, 2, 1);
    BattleActionRecord& r0 = AddRecord(a);
    r0.nSkill[0] = 200;  // bow
    r0.nSkill[1] = 102;  // spear (back attack)
    r0.vResult = {Blow(0, 4, 200, 3), Blow(1, 4, 102, 3), Blow(1, 5, 102, 2)};
    AddRecord(b);
    C_MeshController c;
    c.Setup(field_.get());
    EXPECT_EQ(c.m_Member[0].m_nKeyframeBase, 180);
    EXPECT_EQ(c.m_Member[1].m_nKeyframeBase, 380);
    EXPECT_TRUE(c.m_Member[1].m_bSpear);
    // Both results of the spear get a hit frame, so each target's number shows.
    EXPECT_EQ(c.m_Member[1].m_vOwnResult[1].nHitFrame, 24 + 45);
}

TEST_F(Schedule, EveryTargetOfOneBlowGetsItsHitFrame) {
    const int a = AddUnit({1}, {1}, 1, 1);
    const int b = AddUnit({3, 3}, {1, 1}, 2, 1);
    BattleActionRecord& r0 = AddRecord(a);
    r0.nSkill[0] = 100;
    r0.nTargetSlot[0] = 0;
    r0.vResult = {Blow(0, 4, 100, 3), Blow(0, 5, 100, 2)};  // a sweep over both
    AddRecord(b);
    C_MeshController c;
    c.Setup(field_.get());
    const int hit = c.m_Member[0].m_nHitFrame;
    ASSERT_GT(hit, 0);
    for (const AttackResult& r : c.m_Member[0].m_vOwnResult) EXPECT_EQ(r.nHitFrame, hit);
    const int hp4 = c.m_Member[4].m_nHP, hp5 = c.m_Member[5].m_nHP;
    for (int f = 1; f <= hit; ++f) c.Update(field_.get(), f);
    EXPECT_EQ(c.m_Member[4].m_nHP, hp4 - 3);
    EXPECT_EQ(c.m_Member[5].m_nHP, hp5 - 2);
}

TEST_F(Schedule, TargetIndicesOutsideTheUnitUseTheResultsOwnTarget) {
    const int a = AddUnit({1}, {1}, 1, 1);
    const int b = AddUnit({3, 3}, {1, 1}, 2, 1);
    BattleActionRecord& r0 = AddRecord(a);
    r0.nSkill[0] = 100;
    r0.nTargetSlot[0] = 0;
    r0.vResult = {Blow(0, 4, 100, 3)};
    BattleActionRecord& r1 = AddRecord(b);
    r1.nSkill[0] = 200;
    r1.nSkill[1] = 100;
    r1.nTargetSlot[0] = 7;   // aimed at "all targets"
    r1.nTargetSlot[1] = -1;
    r1.vResult = {Blow(4, 0, 200, 2), Blow(5, 0, 100, 2)};
    C_MeshController c;
    const int end = c.Setup(field_.get());
    EXPECT_GT(c.m_Member[5].m_nHitFrame, 0);
    EXPECT_GT(end, 0);
    for (int f = 1; f <= end + 2; ++f) c.Update(field_.get(), f);
}

TEST_F(Schedule, CannonShowsOneVolleyAndBlanksBetween) {
    const int a = AddUnit({2}, {1}, 1, 1);
    const int b = AddUnit({3, 3}, {1, 0}, 5, 5);
    const int d = AddUnit({3}, {1}, 6, 6);
    BattleActionRecord& r0 = AddRecord(a);
    r0.nSkill[0] = 409;  // cannon
    AddRecord(b).vResult = {Blow(0, 4, 409, 10), Blow(0, 5, 409, 10)};
    AddRecord(d).vResult = {Blow(0, 8, 409, 10)};
    C_MeshController_Cannon c;
    EXPECT_EQ(c.Setup(field_.get()), 305);
    EXPECT_TRUE(c.m_Member[0].m_bActive);
    EXPECT_EQ(c.m_Member[0].m_nActionStart, 27);
    for (int f = 1; f <= 305; ++f) {
        c.Update(field_.get(), f);
        const bool blank = f >= 121 && f <= 126;
        EXPECT_EQ(c.QueryState(), blank) << f;
        if (f == 126) {
            EXPECT_EQ(c.m_nVolley, 1);
            EXPECT_FALSE(c.m_Member[0].m_bActive);
            EXPECT_TRUE(c.m_Member[4].m_bActive);
            EXPECT_TRUE(c.m_Member[5].m_bActive);
            EXPECT_FALSE(c.m_Member[6].m_bActive);
            EXPECT_EQ(c.m_Formation.kind[1], 0);  // second member stands behind
        }
    }
    EXPECT_EQ(c.m_nVolley, 1);
    c.Update(field_.get(), 306);
    EXPECT_TRUE(c.QueryState());
}

// The battle task in a controller, without a device.
class TaskRun : public BattleTest {
protected:
    int Run(int maxUpdates) {
        C_TaskController controller;
        field_->m_pTaskController = &controller;
        controller.AddTask(new C_TaskBattle(field_.get(), &over_), C_TaskBattle::kPriority);
        EXPECT_EQ(over_, 0);
        int updates = 0;
        while (controller.GetTaskCount() > 0 && updates < maxUpdates) {
            controller.Update(field_.get());
            controller.Draw(field_.get());
            ++updates;
            if (controller.GetTaskCount() > 0) {
                EXPECT_EQ(over_, 0);
            }
        }
        field_->m_pTaskController = nullptr;
        return updates;
    }
    uint8_t over_ = 7;
};

TEST_F(TaskRun, NoRecordsEndsAtOnce) {
    EXPECT_EQ(Run(10), 1);
    EXPECT_EQ(over_, 1);
}

TEST_F(TaskRun, EndsOnTheUpdateAfterPassingTheEndFrame) {
    const int a = AddUnit({1}, {1}, 1, 1);
    const int b = AddUnit({3}, {1}, 2, 1);
    BattleActionRecord& r0 = AddRecord(a);
    r0.nSkill[0] = 100;
    r0.vResult = {Blow(0, 4, 100, 3)};
    AddRecord(b);
    const int end = 3 * 26 + 60 + 30;
    EXPECT_EQ(Run(1000), end + 2);
    EXPECT_EQ(over_, 1);
}

TEST_F(TaskRun, CannonBattleEndsAfterFrame305) {
    const int a = AddUnit({2}, {1}, 1, 1);
    const int b = AddUnit({3}, {1}, 5, 5);
    AddRecord(a).nSkill[0] = 414;
    AddRecord(b).vResult = {Blow(0, 4, 414, 10)};
    EXPECT_EQ(Run(1000), 307);
    EXPECT_EQ(over_, 1);
}

}  // namespace
