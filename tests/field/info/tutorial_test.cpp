// The tutorial's input: the scripted pointer and buttons, the switch the task keeps
// on, and what ending it leaves behind, also from inside an event.
#include "info/TaskFieldTutorial.h"
#include "info_fixture.h"

namespace {

class TutorialTest : public InfoTest {};

// Reads the pointer through the field state as every field task does.
class InputProbe : public C_FieldTaskBase {
public:
    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override {
        IInputManager* in = info->GetInputManager();
        x = in->GetX();
        pushed = in->IsLButtonPush();
        held = in->IsLButtonDown();
        key = in->IsPush(9) || in->IsPress(1);
    }
    void Draw(C_FieldTaskInfo*) override {}
    int x = 0;
    bool pushed = false, held = false, key = false;
};

// Stands for an event task: ends the tutorial (priority 1) in its update, as the
// script's "EndTutorial" does.
class EndTutorialStep : public C_FieldTaskBase {
public:
    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override {
        if (armed) info->m_pTaskController->KillTask(1);
        ran = true;
    }
    void Draw(C_FieldTaskInfo*) override {}
    bool armed = false, ran = false;
};

// Stands for the event step that runs "StartTutorial": adds the tutorial once.
class StartTutorialStep : public C_FieldTaskBase {
public:
    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override {
        info->m_pTaskController->AddTask(new C_TaskFieldTutorial, 1);
        info->m_bTutorialInput = true;
        KillSelf(info);
    }
    void Draw(C_FieldTaskInfo*) override {}
};

TEST_F(TutorialTest, ScriptedButtonCountsAsPressedInEveryFrameItIsHeld) {
    CInputManagerDummy_forTutorial& t = field_->m_TutorialInput;
    EXPECT_EQ(t.GetX(), 320);
    EXPECT_EQ(t.GetY(), 240);
    t.SetState(100, 50, 1, 0);
    for (int f = 0; f < 3; ++f) {
        EXPECT_TRUE(t.IsLButtonPush());
        EXPECT_TRUE(t.IsLButtonDown());
        EXPECT_FALSE(t.IsMButtonPush());
        EXPECT_FALSE(t.IsPush(9));
        EXPECT_FALSE(t.IsPress(1));
    }
    t.SetState(100, 50, 0, 1);
    EXPECT_FALSE(t.IsLButtonPush());
    EXPECT_TRUE(t.IsRButtonPush());
    int x = 0, y = 0;
    t.GetXY(&x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    EXPECT_EQ(t.GetKey(), nullptr);
    EXPECT_EQ(t.GetMouse(), nullptr);
}

TEST_F(TutorialTest, TasksAfterItReadTheScriptedInputAndItNotesTheRealPointer) {
    auto* tutorial = new C_TaskFieldTutorial;
    tasks_.AddTask(tutorial, 1);
    auto* probe = new InputProbe;
    tasks_.AddTask(probe, 26);
    in_.Move(77, 88);
    in_.ClickLeft();
    field_->m_TutorialInput.SetState(400, 300, 0, 0);
    Frame();
    EXPECT_TRUE(tutorial->m_bStarted);
    EXPECT_EQ(tutorial->m_nRealX, 77);
    EXPECT_EQ(tutorial->m_nRealY, 88);
    EXPECT_TRUE(field_->m_bTutorialInput);
    EXPECT_EQ(probe->x, 400);
    EXPECT_FALSE(probe->pushed);  // the player's click does not reach the field
    field_->m_TutorialInput.SetState(400, 300, 1, 0);
    Frame();
    Frame();
    EXPECT_TRUE(probe->pushed);
    EXPECT_FALSE(probe->key);
}

TEST_F(TutorialTest, EndingFromAnEventLeavesRealInputAndNoSelectionOrCursor) {
    tasks_.AddTask(new C_TaskFieldTutorial, 1);
    tasks_.AddTask(new IdleTask, 8);     // the cursor the script called up
    tasks_.AddTask(new IdleTask, 104);   // the unit selection
    auto* probe = new InputProbe;
    tasks_.AddTask(probe, 200);
    auto* step = new EndTutorialStep;
    tasks_.AddTask(step, 220);
    Frame();
    ASSERT_TRUE(field_->m_bTutorialInput);
    step->armed = true;
    in_.Move(12, 34);
    Frame();
    EXPECT_FALSE(field_->m_bTutorialInput);
    EXPECT_FALSE(tasks_.HasTask(1));
    EXPECT_FALSE(tasks_.HasTask(8));
    EXPECT_FALSE(tasks_.HasTask(104));
    in_.Move(56, 78);
    Frame();
    EXPECT_EQ(probe->x, 56);  // the real pointer again
}

TEST_F(TutorialTest, EndingBeforeItsFirstUpdateAndWithTheScene) {
    // Added and removed within one pass, before its first update.
    tasks_.AddTask(new IdleTask, 104);
    tasks_.AddTask(new StartTutorialStep, 50);
    auto* step = new EndTutorialStep;
    step->armed = true;
    tasks_.AddTask(step, 220);
    tasks_.Update(field_.get());
    EXPECT_TRUE(step->ran);
    EXPECT_FALSE(field_->m_bTutorialInput);
    EXPECT_FALSE(tasks_.HasTask(1));
    EXPECT_FALSE(tasks_.HasTask(104));
    tasks_.KillTask(220);
    // Deleted with its controller (the scene's end): the field state is still there.
    {
        auto controller = std::make_unique<C_TaskController>();
        field_->m_pTaskController = controller.get();
        controller->AddTask(new C_TaskFieldTutorial, 1);
        controller->AddTask(new IdleTask, 8);
        controller->Update(field_.get());
        controller.reset();
        field_->m_pTaskController = &tasks_;
    }
    EXPECT_FALSE(field_->m_bTutorialInput);
}

TEST_F(TutorialTest, DrawsItsMarkInTheCorner) {
    tasks_.AddTask(new C_TaskFieldTutorial, 1);
    Clear(0xFFFFFFFF);
    tasks_.Draw(field_.get());
    EndSpriteBatch();
    const uint32_t inside = Pixel(600, 10), outside = Pixel(570, 10), below = Pixel(600, 21);
    EXPECT_EQ(inside & 0xFF, 0x3Fu);  // white under black at alpha 192
    EXPECT_EQ(outside, 0xFFFFFFFFu);
    EXPECT_EQ(below, 0xFFFFFFFFu);
}

}  // namespace

#include "TaskEvent.h"
#include "map/TaskCursol.h"

namespace {

// Stands for the unit selection: owns the flag of its "UnitPosition" event and the
// result of its cursor.
class SelectionStandIn : public IdleTask {
public:
    uint8_t eventDone = 0;
    int32_t cursorResult = 0;
    int32_t chosen = -1;
};

// Ending the tutorial from inside an event, while the selection it ends still waits
// for its own event and its cursor: nothing writes into the ended selection afterwards
// (the sanitizer build watches the writes), and a cursor made by a task that goes on
// answers "cancelled" instead of never.
TEST_F(TutorialTest, EndingLeavesNoTaskWritingIntoAnEndedOneOrWaitingForEver) {
    tasks_.AddTask(new C_TaskFieldTutorial, 1);
    auto* selection = new SelectionStandIn;
    tasks_.AddTask(selection, 104);
    const C_TaskHandle selectionHandle(&tasks_, selection);
    auto* event = new C_TaskEvent(field_.get(), C_TaskReply<uint8_t>(selectionHandle, &selection->eventDone),
                                  "UnitPosition");
    tasks_.AddTask(event, 220);
    tasks_.AddTask(new C_TaskCursol(C_TaskReply<int32_t>(selectionHandle, &selection->cursorResult),
                                    C_TaskReply<int32_t>(selectionHandle, &selection->chosen), {0}, field_.get()),
                   8);
    Frame();  // the tutorial's switch is on
    auto* step = new EndTutorialStep;
    step->armed = true;
    tasks_.AddTask(step, 150);
    Frame();
    EXPECT_FALSE(tasks_.HasTask(104));
    EXPECT_FALSE(tasks_.HasTask(8));
    EXPECT_FALSE(selectionHandle.IsLive());
    for (int f = 0; f < 3; ++f) Frame();  // the event ends; its raiser is gone

    // A cursor made by a task that lives on (an operation choosing a target).
    auto* operation = new SelectionStandIn;
    tasks_.AddTask(operation, 103);
    tasks_.AddTask(new C_TaskFieldTutorial, 1);
    const C_TaskReply<int32_t> answer(C_TaskHandle(&tasks_, operation), &operation->cursorResult);
    tasks_.AddTask(new C_TaskCursol(answer, field_.get()), 8);
    Frame();
    tasks_.KillTask(150);
    auto* again = new EndTutorialStep;
    again->armed = true;
    tasks_.AddTask(again, 150);
    Frame();
    EXPECT_FALSE(tasks_.HasTask(8));
    EXPECT_EQ(operation->cursorResult, 2);  // cancelled: the operation goes on
}

}  // namespace
