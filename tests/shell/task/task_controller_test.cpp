// Task order, ending oneself, killing by priority and range, tasks added during a pass,
// handles to tasks and the answers given to the task that waits.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "log/ErrorLog.h"
#include "task/TaskController.h"

namespace {

std::vector<std::string> g_log;

// A title-family task whose behaviour each test fills in.
class Probe : public C_TitleTaskBase {
public:
    explicit Probe(std::string name) : m_name(std::move(name)) {}
    ~Probe() override { g_log.push_back("~" + m_name); if (onDelete) onDelete(); }
    void Update(C_TitleTaskInfo* info) override {
        g_log.push_back("u" + m_name);
        if (onUpdate) onUpdate(info);
    }
    void Draw(C_TitleTaskInfo* info) override {
        g_log.push_back("d" + m_name);
        if (onDraw) onDraw(info);
    }
    using C_TitleTaskBase::Update;
    using C_TitleTaskBase::Draw;
    std::function<void(C_TitleTaskInfo*)> onUpdate, onDraw;
    std::function<void()> onDelete;
    std::string m_name;
};

class TaskTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        info.pTaskController = &tc;
    }
    Probe* Add(const std::string& name, int priority) {
        Probe* p = new Probe(name);
        tc.AddTask(p, priority);
        return p;
    }
    void Frame() {
        tc.Update(&info);
        tc.Draw(&info);
    }
    std::vector<int> Priorities() const {
        std::vector<int> out;
        for (C_TaskBase* t : tc.GetTasks()) out.push_back(t->GetPriority());
        return out;
    }
    C_TaskController tc;
    C_TitleTaskInfo info;
};

TEST_F(TaskTest, AscendingPriorityEqualOnesInOrderOfAdding) {
    Add("5a", 5);
    Add("3", 3);
    Add("5b", 5);
    Add("1", 1);
    tc.Update(&info);
    EXPECT_EQ(g_log, (std::vector<std::string>{"u1", "u3", "u5a", "u5b"}));
    g_log.clear();
    tc.Draw(&info);
    EXPECT_EQ(g_log, (std::vector<std::string>{"d1", "d3", "d5a", "d5b"}));
    EXPECT_EQ(g_pTaskUpdateArg, &info);
}

TEST_F(TaskTest, EndingItselfInUpdateSkipsItsDraw) {
    Probe* a = Add("a", 1);
    Add("b", 2);
    a->onUpdate = [a](C_TitleTaskInfo* i) { a->KillSelf(i); };
    Frame();
    EXPECT_EQ(g_log, (std::vector<std::string>{"ua", "~a", "ub", "db"}));
    EXPECT_EQ(tc.GetTaskCount(), 1);
}

TEST_F(TaskTest, EndingItselfInDrawHasRunItsUpdate) {
    Probe* a = Add("a", 1);
    Add("b", 2);
    a->onDraw = [a](C_TitleTaskInfo* i) { a->KillSelf(i); };
    Frame();
    EXPECT_EQ(g_log, (std::vector<std::string>{"ua", "ub", "da", "~a", "db"}));
    g_log.clear();
    Frame();
    EXPECT_EQ(g_log, (std::vector<std::string>{"ub", "db"}));
}

TEST_F(TaskTest, EndFlagSetOutsideAPassIsForgotten) {
    Add("a", 1);
    tc.EndCurrentTask();
    Frame();
    EXPECT_EQ(tc.GetTaskCount(), 1);
}

TEST_F(TaskTest, TasksAddedDuringAPass) {
    Probe* t = Add("10", 10);
    Add("20", 20);
    bool added = false;
    t->onUpdate = [&](C_TitleTaskInfo*) {
        if (added) return;
        added = true;
        Add("10new", 10);
        Add("9", 9);
    };
    tc.Update(&info);
    // The new 10 runs after the running one in the same pass; the 9 waits.
    EXPECT_EQ(g_log, (std::vector<std::string>{"u10", "u10new", "u20"}));
    g_log.clear();
    tc.Update(&info);
    EXPECT_EQ(g_log, (std::vector<std::string>{"u9", "u10", "u10new", "u20"}));
}

TEST_F(TaskTest, KillByPriorityAndRange) {
    for (int p : {50, 100, 150, 199, 200, 100}) Add(std::to_string(p), p);
    tc.KillTask(123);  // nobody has it
    EXPECT_EQ(tc.GetTaskCount(), 6);
    tc.KillTask(100);
    EXPECT_EQ(Priorities(), (std::vector<int>{50, 150, 199, 200}));
    Add("100", 100);
    tc.KillTaskRange(100, 200);
    EXPECT_EQ(Priorities(), (std::vector<int>{50, 200}));
    tc.KillTaskRange(0, 0);
    EXPECT_EQ(tc.GetTaskCount(), 2);
}

TEST_F(TaskTest, KilledTasksAfterTheRunningOneAreNotCalled) {
    Probe* a = Add("a", 1);
    Add("b", 5);
    Add("c", 6);
    a->onUpdate = [&](C_TitleTaskInfo*) { tc.KillTask(5); };
    tc.Update(&info);
    EXPECT_EQ(g_log, (std::vector<std::string>{"ua", "~b", "uc"}));
}

TEST_F(TaskTest, RunningTaskKillingItselfByPriorityIsSafe) {
    Probe* a = Add("a", 3);
    Probe* b = Add("b", 3);
    Add("c", 4);
    bool aliveAfterKill = false;
    a->onUpdate = [&](C_TitleTaskInfo*) {
        tc.KillTask(3);  // kills itself and b
        aliveAfterKill = (a->m_name == "a");  // still usable inside its own call
    };
    tc.Update(&info);
    EXPECT_TRUE(aliveAfterKill);
    EXPECT_EQ(g_log, (std::vector<std::string>{"ua", "~b", "~a", "uc"}));
    EXPECT_EQ(Priorities(), (std::vector<int>{4}));
    (void)b;
}

TEST_F(TaskTest, TaskKilledByPriorityStillStartsItsSuccessorThisPass) {
    Probe* a = Add("a", 10);
    Add("c", 20);
    a->onUpdate = [&](C_TitleTaskInfo*) {
        tc.KillTask(10);      // takes itself out of the list
        Add("d", 15);         // after it: runs in this pass, before c
        Add("e", 10);         // same priority, added after it: runs in this pass too
        Add("f", 5);          // before it: first runs in the next pass
    };
    tc.Update(&info);
    EXPECT_EQ(g_log, (std::vector<std::string>{"ua", "~a", "ue", "ud", "uc"}));
    EXPECT_EQ(Priorities(), (std::vector<int>{5, 10, 15, 20}));
}

TEST_F(TaskTest, RunningTaskKillingItselfByRangeInDraw) {
    Probe* a = Add("a", 100);
    Add("b", 150);
    Add("c", 300);
    a->onDraw = [&](C_TitleTaskInfo*) { tc.KillTaskRange(100, 200); };
    Frame();
    EXPECT_EQ(g_log, (std::vector<std::string>{"ua", "ub", "uc", "da", "~b", "~a", "dc"}));
}

TEST_F(TaskTest, DestructorKillingOthersDuringAPass) {
    Probe* a = Add("a", 1);
    Probe* b = Add("b", 2);
    Add("c", 3);
    Add("d", 4);
    // a ends itself; its destructor kills c, which is next-but-one in the walk.
    a->onUpdate = [a](C_TitleTaskInfo* i) { a->KillSelf(i); };
    a->onDelete = [&] { tc.KillTask(3); };
    // b, next in the walk, kills the task after it from its destructor too.
    b->onUpdate = [b](C_TitleTaskInfo* i) { b->KillSelf(i); };
    b->onDelete = [&] { tc.KillTask(4); };
    tc.Update(&info);
    EXPECT_EQ(g_log, (std::vector<std::string>{"ua", "~a", "~c", "ub", "~b", "~d"}));
    EXPECT_EQ(tc.GetTaskCount(), 0);
}

TEST_F(TaskTest, EndAndKillInTheSameCallDeleteOnce) {
    Probe* a = Add("a", 1);
    Add("b", 2);
    a->onUpdate = [&](C_TitleTaskInfo* i) {
        a->KillSelf(i);
        tc.KillTask(1);
    };
    tc.Update(&info);
    EXPECT_EQ(g_log, (std::vector<std::string>{"ua", "~a", "ub"}));
}

// Field tasks dump themselves when the dump flag is set.
class FieldProbe : public C_FieldTaskBase {
public:
    void Update(C_FieldTaskInfo*) override { g_log.push_back("uf"); }
    void Draw(C_FieldTaskInfo*) override {}
    void DumpName() override { g_log.push_back("dump"); }
    using C_FieldTaskBase::Update;
    using C_FieldTaskBase::Draw;
};

class KillingFieldTask : public C_FieldTaskBase {
public:
    void Update(C_FieldTaskInfo* info) override { KillSelf(info); }
    void Draw(C_FieldTaskInfo*) override {}
    using C_FieldTaskBase::Update;
    using C_FieldTaskBase::Draw;
};

TEST_F(TaskTest, DumpFlagDumpsEachTaskAfterItsUpdateOnce) {
    tc.AddTask(new FieldProbe, 1);
    tc.AddTask(new FieldProbe, 2);
    tc.SetDumpFlag(true);
    tc.Update(nullptr);
    EXPECT_EQ(g_log, (std::vector<std::string>{"uf", "dump", "uf", "dump"}));
    EXPECT_FALSE(tc.GetDumpFlag());
    g_log.clear();
    tc.Update(nullptr);
    tc.Draw(nullptr);
    EXPECT_EQ(g_log, (std::vector<std::string>{"uf", "uf"}));
}

// The field family's own dump: the class name and the object's bytes in the error log.
class DumpedFieldTask : public C_FieldTaskBase {
public:
    void Update(C_FieldTaskInfo*) override {}
    void Draw(C_FieldTaskInfo*) override {}
    using C_FieldTaskBase::Update;
    using C_FieldTaskBase::Draw;
};

TEST_F(TaskTest, FieldTaskDumpWritesItsNameAndBytes) {
    tc.AddTask(new DumpedFieldTask, 7);
    tc.SetDumpFlag(true);
    tc.Update(nullptr);
    const std::string& text = g_ErrorLog.GetLastText();
    EXPECT_NE(text.find("DumpedFieldTask"), std::string::npos) << text;
    EXPECT_NE(text.find("07 00 00 00"), std::string::npos) << text;  // the priority field
}

TEST_F(TaskTest, FieldTaskEndsItselfThroughItsController) {
    tc.AddTask(new KillingFieldTask, 1);
    tc.AddTask(new FieldProbe, 2);
    tc.Update(nullptr);
    EXPECT_EQ(Priorities(), (std::vector<int>{2}));
    EXPECT_EQ(C_TaskController::GetRunning(), nullptr);
}

TEST_F(TaskTest, ControllerDeletesRemainingTasksInOrder) {
    {
        C_TaskController local;
        local.AddTask(new Probe("x"), 2);
        Probe* y = new Probe("y");
        y->onDelete = [&] { local.KillTask(2); };  // a destructor may kill the rest itself
        local.AddTask(y, 1);
    }
    EXPECT_EQ(g_log, (std::vector<std::string>{"~y", "~x"}));
}

// A handle reads as live only while the list holds its task: not before it is added,
// not after it ended or was removed, and never for a later task at the same address.
TEST_F(TaskTest, AHandleReadsAsGoneOnceItsTaskHasLeftTheList) {
    Probe* waiter = new Probe("w");
    const C_TaskHandle handle(&tc, waiter);
    EXPECT_FALSE(handle.IsLive());
    tc.AddTask(waiter, 5);
    EXPECT_TRUE(handle.IsLive());
    EXPECT_FALSE(C_TaskHandle().IsLive());
    waiter->onUpdate = [](C_TitleTaskInfo* i) { i->pTaskController->EndCurrentTask(); };
    Frame();
    EXPECT_FALSE(handle.IsLive());
    Probe* later = Add("later", 5);  // may well reuse the freed block
    EXPECT_FALSE(handle.IsLive());
    EXPECT_TRUE(C_TaskHandle(&tc, later).IsLive());
    // An answer reaches only a live waiter; one not given is given on the way out.
    int value = 7;
    C_TaskReply<int> toGone(handle, &value), toLive(C_TaskHandle(&tc, later), &value);
    toGone.SetUnlessAnswered(1);
    EXPECT_EQ(value, 7);
    toLive.SetUnlessAnswered(2);
    toLive.SetUnlessAnswered(3);
    EXPECT_EQ(value, 2);
}

}  // namespace
