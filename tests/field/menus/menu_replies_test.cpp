// The field's menus answer the task that opened them only while it is there.
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
    int32_t result = 77, row = 0, layout[8] = {}, skills[8] = {}, targets[8] = {};
    bool moved[4] = {};
};

using menutest::MenuField;

TEST_F(MenuField, MenusAnswerALiveOpenerOnlyAndCancelOnTheirWayOut) {
    P a;
    a.skills = {1};
    const int u = Unit(2, 2, true, {a, a}, 2), e = Unit(3, 2, false, {a}, 1);
    for (int j = 0; j < 2; ++j) Member(u, j).bOperate = 1;
    static const bool reach[4] = {true, true};
    using F = C_FieldTaskInfo;
    const struct {
        const char* name;
        int priority;
        int32_t cancelled;  // what a menu that goes unanswered leaves
        std::function<C_TaskBase*(F*, Opener*)> open;
    } cases[] = {
        {"operate panel", 23, -1,
         [&](F* i, Opener* o) { return new CTaskOperateUnitMenu(ReplyTo(i, o, &o->result), i, u); }},
        {"move menu", 27, -1,
         [&](F* i, Opener* o) {
             return new C_TaskMoveUnitMenu(ReplyTo(i, o, &o->result), i, u, 5, 5, reach, ReplyTo(i, o, &o->moved),
                                           ReplyTo(i, o, &o->layout));
         }},
        {"battle confirmation", 24, -1,
         [&](F* i, Opener* o) {
             return new C_TaskConfBattleMenu(i, ReplyTo(i, o, &o->result), u, e, ReplyTo(i, o, &o->skills),
                                             ReplyTo(i, o, &o->targets));
         }},
        {"skill list", 28, -1,
         [&](F* i, Opener* o) {
             return new C_TaskSelectSkillMenu(i, ReplyTo(i, o, &o->result), u, 0, e, ReplyTo(i, o, &o->row), false);
         }},
        {"status window", 209, 1,
         [&](F* i, Opener* o) {
             return new C_TaskDispStatus(i, i->m_UnitList.GetMemberPerson(u, 0), 0, ReplyTo(i, o, &o->result), -1, -1);
         }},
    };
    for (const auto& c : cases) {
        for (bool openerFirst : {true, false}) {
            auto* opener = new Opener;
            tasks.AddTask(opener, 103);
            tasks.AddTask(c.open(f.get(), opener), c.priority);
            Frames(20);
            tasks.Draw(f.get());  // a list is built by its first draw
            if (openerFirst) {
                // The menu answers nobody: under the address sanitizer a write stops the test.
                tasks.KillTask(103);
                Right();
                EXPECT_FALSE(Has(c.priority)) << c.name;
            } else {
                tasks.KillTask(c.priority);
                EXPECT_EQ(opener->result, c.cancelled) << c.name;
            }
            tasks.KillTaskRange(-1000, 100000);
        }
    }
}

}  // namespace
