// Turn start and end: their stages and timings, the logo frames, the per-turn reset,
// the hand-over to unit selection and to the enemy phase.
#include "turn/TaskDispDamage.h"
#include "turn/TaskEnemy.h"
#include "turn/TaskSelectUnit.h"
#include "turn/TaskTurn.h"
#include "turn_fixture.h"

namespace {

using turntest::TurnField;
using P = turntest::TurnField::P;

class TurnFlow : public TurnField {
protected:
    void SetUp() override {
        TurnField::SetUp();
        OpenMap(8, 8);
        own = Unit(1, 1, true, {P{}, P{}});
        foe = Unit(6, 6, false, {P{}});
    }
    int own = -1, foe = -1;
};

TEST_F(TurnFlow, StartCountsTheTurnAndRaisesPhaseStartInItsConstructor) {
    f->m_nTurn = 3;
    f->m_bPlayerPhase = false;
    controller.AddTask(new C_TaskStartTurn(f.get()), 101);
    EXPECT_EQ(f->m_nTurn, 4);
    EXPECT_TRUE(f->m_bPlayerPhase);
    EXPECT_TRUE(controller.HasTask(220));  // the "PhaseStart" event
}

TEST_F(TurnFlow, StartStagesAndLogoFramesWithNothingToShow) {
    f->m_UnitList.SetActEndAndMoveEnd(own, 1);
    Member(own, 0).nRestMove = 0;
    controller.AddTask(new C_TaskStartTurn(f.get()), 101);
    auto* t = Find<C_TaskStartTurn>();
    // frame 1: the event ends; 2: the effects start; 3: reset and display (it ends in
    // the same frame); 4: closing; from 5 on the closing counter runs 0..41.
    using S = C_TaskStartTurn::Stage;
    const S stages[] = {S::WaitPhaseStart, S::StartTurnEffects, S::WaitTurnEffects, S::Closing, S::Closing};
    for (int i = 0; i < 5; ++i) {
        Frame();
        EXPECT_EQ(t->m_eStage, stages[i]) << "frame " << i + 1;
        if (i == 2) {
            EXPECT_FALSE(f->m_UnitList.IsActEnd(own));
            EXPECT_EQ(Member(own, 0).nRestMove, Member(own, 0).nMove);
        }
    }
    int logoFrames = 0;
    int frames = 5;
    while (Find<C_TaskStartTurn>() != nullptr && frames < 200) {
        if (t->m_nFrame > C_TaskStartTurn::kLogoFrom) ++logoFrames;
        Frame();
        ++frames;
    }
    EXPECT_EQ(logoFrames, 36);
    EXPECT_EQ(frames, 46);
    EXPECT_NE(Find<C_TaskSelectUnit>(), nullptr);
    EXPECT_TRUE(controller.HasTask(104));
}

TEST_F(TurnFlow, StartWaitsForThePoisonDisplay) {
    Member(foe, 0).nCondition = 4;
    controller.AddTask(new C_TaskStartTurn(f.get()), 101);
    auto* t = Find<C_TaskStartTurn>();
    Frames(3);
    EXPECT_EQ(t->m_eStage, C_TaskStartTurn::Stage::WaitTurnEffects);
    ASSERT_NE(Find<C_TaskDispPoisonDamage>(), nullptr);
    Frames(121);
    EXPECT_EQ(t->m_eStage, C_TaskStartTurn::Stage::WaitTurnEffects);
    Frame();
    EXPECT_EQ(t->m_eStage, C_TaskStartTurn::Stage::Closing);
    EXPECT_EQ(Member(foe, 0).nHP, 45);  // dealt before the conditions wear off
}

TEST_F(TurnFlow, RecoveryRunsOnceAtTheStartOfTheClosingStage) {
    Member(own, 0).nMP = 10;
    controller.AddTask(new C_TaskStartTurn(f.get()), 101);
    Frames(4);
    EXPECT_EQ(Member(own, 0).nMP, 10);
    Frame();
    EXPECT_EQ(Member(own, 0).nMP, 12);
    Frames(10);
    EXPECT_EQ(Member(own, 0).nMP, 12);
}

TEST_F(TurnFlow, EndKeepsTheTurnShowsTheLogo45FramesAndStartsTheEnemyPhase) {
    f->m_nTurn = 2;
    controller.AddTask(new C_TaskEndTurn(f.get()), 102);
    EXPECT_FALSE(f->m_bPlayerPhase);
    EXPECT_EQ(f->m_nTurn, 2);
    auto* t = Find<C_TaskEndTurn>();
    int logoFrames = 0, frames = 0;
    while (Find<C_TaskEndTurn>() != nullptr && frames < 200) {
        Frame();
        ++frames;
        if (Find<C_TaskEndTurn>() != nullptr && t->m_nFrame > C_TaskEndTurn::kLogoFrom) ++logoFrames;
    }
    EXPECT_EQ(logoFrames, 45);
    EXPECT_EQ(frames, 51);  // the event (added first at 102) ends before the task counts its first frame
    EXPECT_TRUE(controller.HasTask(105));
    EXPECT_EQ(f->m_nTurn, 2);
}

TEST_F(TurnFlow, ResetClearsEveryUnitsFlagsAndRestoresEveryonesMove) {
    f->m_UnitList.SetActEndAndMoveEnd(own, 1);
    f->m_UnitList.SetActEndAndMoveEnd(foe, 1);
    for (PersonRecord& p : f->m_PersonList.m_vPerson) p.nRestMove = 1;
    ResetTurnFlags(*f);
    for (int u : {own, foe}) {
        EXPECT_FALSE(f->m_UnitList.IsActEnd(u));
        EXPECT_FALSE(f->m_UnitList.IsMoveEnd(u));
    }
    for (const PersonRecord& p : f->m_PersonList.m_vPerson) EXPECT_EQ(p.nRestMove, p.nMove);
}

}  // namespace
