// The field's menus answer the task that opened them only while it is there, and a
// menu that goes before it answers leaves its opener cancelled (or closed).
#include <gtest/gtest.h>

#include <functional>

#include "menu/ConfBattleMenu.h"
#include "menu/DispStatus.h"
#include "menu/MoveUnitMenu.h"
#include "menu/OperateUnitMenu.h"
#include "menu/SelectSkillMenu.h"
#include "menu_fixture.h"

namespace {

// A turn task's stand-in: it opens a menu and keeps the answers as members.
struct Opener : C_FieldTaskBase {
    void Update(C_FieldTaskInfo*) override {}
    void Draw(C_FieldTaskInfo*) override {}
    int32_t result = 77, row = 0, layout[8] = {}, skills[8] = {1}, targets[8] = {};
    bool moved[4] = {};
};

class MenuReplyTest : public menutest::MenuField {
protected:
    struct Case {
        const char* name;
        int priority;
        std::function<C_TaskBase*(C_FieldTaskInfo*, Opener*)> open;
        int32_t cancelled;  // what a menu that goes unanswered leaves in `result`
    };
    std::vector<Case> Cases() {
        P a;
        a.skills = {1};
        const int u = Unit(2, 2, true, {a, a}, 2), e = Unit(3, 2, false, {a}, 1);
        for (int j = 0; j < 2; ++j) Member(u, j).bOperate = 1;
        static const bool reach[4] = {true, true, false, false};
        return {
            {"operate panel", 23,
             [=](auto* i, Opener* o) { return new CTaskOperateUnitMenu(ReplyTo(i, o, &o->result), i, u); }, -1},
            {"move menu", 27,
             [=](auto* i, Opener* o) {
                 return new C_TaskMoveUnitMenu(ReplyTo(i, o, &o->result), i, u, 5, 5, reach, ReplyTo(i, o, &o->moved),
                                               ReplyTo(i, o, &o->layout));
             },
             -1},
            {"battle confirmation", 24,
             [=](auto* i, Opener* o) {
                 return new C_TaskConfBattleMenu(i, ReplyTo(i, o, &o->result), u, e, ReplyTo(i, o, &o->skills),
                                                 ReplyTo(i, o, &o->targets));
             },
             -1},
            {"skill list", 28,
             [=](auto* i, Opener* o) {
                 return new C_TaskSelectSkillMenu(i, ReplyTo(i, o, &o->result), u, 0, e, ReplyTo(i, o, &o->row), false);
             },
             -1},
            {"status window", 209,
             [=](auto* i, Opener* o) {
                 return new C_TaskDispStatus(i, i->m_UnitList.GetMemberPerson(u, 0), 0, ReplyTo(i, o, &o->result), -1,
                                             -1);
             },
             1},
        };
    }
    Opener* Open(const Case& c) {
        tasks.KillTaskRange(-1000, 100000);
        auto* opener = new Opener;
        tasks.AddTask(opener, 103);
        tasks.AddTask(c.open(f.get(), opener), c.priority);
        EXPECT_EQ(opener->result, 0) << c.name;
        Frames(20);
        tasks.Draw(f.get());  // a list is built by its first draw
        return opener;
    }
};

// Under the address sanitizer, a write into the removed opener stops this test.
TEST_F(MenuReplyTest, AMenuWhoseOpenerIsGoneAnswersNobody) {
    for (const Case& c : Cases()) {
        Open(c);
        tasks.KillTask(103);
        Right();  // the menu answers: a cancel, or the window closes
        EXPECT_FALSE(Has(c.priority)) << c.name;
    }
}

TEST_F(MenuReplyTest, AMenuRemovedBeforeItAnswersLeavesItsOpenerCancelled) {
    for (const Case& c : Cases()) {
        Opener* opener = Open(c);
        tasks.KillTask(c.priority);
        EXPECT_EQ(opener->result, c.cancelled) << c.name;
        EXPECT_EQ(opener->skills[0], 1) << c.name << ": a plan goes back as it stood";
    }
}

}  // namespace
