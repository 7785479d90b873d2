// The field's menus answer the task that opened them only while it is there, and a
// menu that goes before it answers leaves its opener "cancelled" (or "closed")
// rather than waiting for ever.
#include <gtest/gtest.h>

#include <functional>

#include "menu/ConfBattleMenu.h"
#include "menu/DispStatus.h"
#include "menu/MoveUnitMenu.h"
#include "menu/OperateUnitMenu.h"
#include "menu/SelectSkillMenu.h"
#include "menu_fixture.h"

namespace {

constexpr int kOpenerPriority = 103;
constexpr int32_t kUnset = 77;

// The task that opens a menu and keeps its answers as members, like the turn tasks.
class Opener : public C_FieldTaskBase {
public:
    void Update(C_FieldTaskInfo*) override {}
    void Draw(C_FieldTaskInfo*) override {}

    int32_t result = kUnset;
    int32_t row = kUnset;
    bool moved[4] = {};
    int32_t layout[8] = {};
    int32_t skills[8] = {1, -1, -1, -1, -1, -1, -1, -1};
    int32_t targets[8] = {0, -1, -1, -1, -1, -1, -1, -1};
};

class MenuReplyTest : public menutest::MenuField {
protected:
    void SetUp() override {
        MenuField::SetUp();
        P a;
        a.skills = {1};
        own = Unit(2, 2, true, {a, a}, 2);
        enemy = Unit(3, 2, false, {a}, 1);
        for (int j = 0; j < 2; ++j) Member(own, j).bOperate = 1;
    }

    struct Case {
        const char* name;
        int priority;
        std::function<C_TaskBase*(C_FieldTaskInfo*, Opener*)> open;
        int32_t cancelled;  // what a menu that goes unanswered leaves in `result`
    };
    std::vector<Case> Cases() const {
        const bool reach[4] = {true, true, false, false};
        const int u = own, e = enemy;
        return {
            {"operate panel", 23,
             [=](C_FieldTaskInfo* info, Opener* o) {
                 return new CTaskOperateUnitMenu(ReplyTo(info, o, &o->result), info, u);
             },
             CTaskOperateUnitMenu::kCancel},
            {"move menu", 27,
             [=](C_FieldTaskInfo* info, Opener* o) {
                 return new C_TaskMoveUnitMenu(ReplyTo(info, o, &o->result), info, u, 5, 5, reach,
                                               ReplyTo(info, o, &o->moved), ReplyTo(info, o, &o->layout));
             },
             -1},
            {"battle confirmation", 24,
             [=](C_FieldTaskInfo* info, Opener* o) {
                 return new C_TaskConfBattleMenu(info, ReplyTo(info, o, &o->result), u, e, ReplyTo(info, o, &o->skills),
                                                 ReplyTo(info, o, &o->targets));
             },
             -1},
            {"skill list", 28,
             [=](C_FieldTaskInfo* info, Opener* o) {
                 return new C_TaskSelectSkillMenu(info, ReplyTo(info, o, &o->result), u, 0, e, ReplyTo(info, o, &o->row),
                                                  false);
             },
             -1},
            {"status window", 209,
             [=](C_FieldTaskInfo* info, Opener* o) {
                 return new C_TaskDispStatus(info, info->m_UnitList.GetMemberPerson(u, 0), 0,
                                             ReplyTo(info, o, &o->result), -1, -1);
             },
             1},
        };
    }
    Opener* OpenThroughOpener(const Case& c) {
        auto* opener = new Opener;
        tasks.AddTask(opener, kOpenerPriority);
        tasks.AddTask(c.open(f.get(), opener), c.priority);
        EXPECT_EQ(opener->result, 0) << c.name << ": the menu starts its answer while its opener builds it";
        Frames(20);
        tasks.Draw(f.get());  // lists are built by their first draw
        return opener;
    }

    int own = -1, enemy = -1;
};

// Under the address sanitizer a write into the removed opener stops this test.
TEST_F(MenuReplyTest, AMenuWhoseOpenerIsGoneAnswersNobody) {
    for (const Case& c : Cases()) {
        OpenThroughOpener(c);
        tasks.KillTask(kOpenerPriority);
        Right();  // the menu answers: cancel, or close the window
        EXPECT_FALSE(Has(c.priority)) << c.name;
        tasks.KillTaskRange(-1000, 100000);
    }
}

TEST_F(MenuReplyTest, AMenuRemovedBeforeItAnswersLeavesItsOpenerCancelled) {
    for (const Case& c : Cases()) {
        Opener* opener = OpenThroughOpener(c);
        tasks.KillTask(c.priority);
        EXPECT_EQ(opener->result, c.cancelled) << c.name;
        EXPECT_EQ(opener->skills[0], 1) << c.name << ": a plan goes back as it stood";
        tasks.KillTaskRange(-1000, 100000);
    }
}

// The panel's status window answers into the panel: closing it after the panel has
// gone writes nowhere.
TEST_F(MenuReplyTest, AStatusWindowOutlivingItsPanelAnswersNobody) {
    auto* panel = new CTaskOperateUnitMenu(C_TaskReply<int32_t>(), f.get(), own);
    tasks.AddTask(panel, 23);
    Frames(6);
    int l, t, r, b;
    panel->GetItemRect(0, l, t, r, b);
    Left((l + r) / 2, (t + b) / 2);
    Left((l + r) / 2, (t + b) / 2);  // a second click on the held place: the status window
    ASSERT_TRUE(Has(40));
    tasks.KillTask(23);
    Right();
    EXPECT_FALSE(Has(40));
}

}  // namespace
