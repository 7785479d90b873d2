// Moving a unit and operating it: the answers of the move task, a waiter gone before
// the move ends, split, merge and undo, the stale undo record, the charge rule and
// its animation's random draws, cancelling after the automatic move, cannon magic
// that finds nobody, an attack from the target choice to the next unit selection.
#include "random/gvlRand.h"
#include "turn/TaskChargeAnime.h"
#include "turn/TaskMoveUnit.h"
#include "turn/TaskOperateUnit.h"
#include "turn/TaskSelectUnit.h"
#include "turn_fixture.h"

namespace {

using turntest::TurnField;
using P = turntest::TurnField::P;

// A unit as the undo must give it back: members in order with their rest move and
// row, place, charge and flags.
struct UnitState {
    std::vector<int> persons, rest, forward;
    int x, y, charge, moveEnd, actEnd;
    bool operator==(const UnitState&) const = default;
};

class MoveTask : public TurnField {
protected:
    void SetUp() override {
        TurnField::SetUp();
        OpenMap(8, 8);
        ShowMap();
    }
    UnitState State(int u) {
        UnitState s{};
        const UnitRecord& r = f->m_UnitList.GetUnit(u);
        for (int p : r.vnPerson) {
            s.persons.push_back(p);
            s.rest.push_back(f->m_PersonList.GetPerson(p).nRestMove);
            s.forward.push_back(f->m_PersonList.GetPerson(p).bForward);
        }
        s.x = r.x, s.y = r.y, s.charge = r.nCharge, s.moveEnd = r.bMoveEnd, s.actEnd = r.bActEnd;
        return s;
    }
    UnitState StateOfPerson(int person) { return State(f->m_UnitList.FindUnitOfPerson(person)); }

    // Starts a move task and answers its cursor with a click on (x, y).
    C_TaskMoveUnit* Start(int* unit, bool moveAll, int x, int y) {
        const bool all[4] = {true, true, true, true};
        controller.AddTask(new C_TaskMoveUnit(&answer, f.get(), *unit, unit, all, &undo, 0, moveAll ? 1 : 0), 26);
        auto* t = Find<C_TaskMoveUnit>();
        Frame();  // the area and the cursor
        Click(t, x, y);
        return t;
    }
    void Click(C_TaskMoveUnit* t, int x, int y) {
        controller.KillTask(8);
        f->m_nHoverX = x;
        f->m_nHoverY = y;
        t->m_nCursor = 1;
        Frame();
    }
    // Answers the member menu.
    void Choose(C_TaskMoveUnit* t, std::vector<bool> select, std::vector<int> order) {
        Frame();  // the member menu opens
        controller.KillTask(27);
        for (int k = 0; k < 4; ++k) t->m_bSelect[k] = k < (int)select.size() && select[k];
        for (int k = 0; k < 8; ++k) t->m_nOrder[k] = k < (int)order.size() ? order[k] : -1;
        t->m_nMenuAnswer = 1;
        Frame();  // the move starts
    }
    // Frames until the map has walked the unit to its cell, and the one it arrives in.
    void Walk() {
        for (int i = 0; i < 1000 && !f->m_vMovePath.empty(); ++i) Frame();
        Frame();
    }

    int32_t answer = 99;
    UnitUndoRecord undo;
};

TEST_F(MoveTask, TheOwnCellAnswersStayedAndChangesNothing) {
    int u = Unit(2, 2, true, {P{}, P{}});
    f->m_UnitList.SetCharge(u, 2);
    const UnitState before = State(u);
    Start(&u, true, 2, 2);
    EXPECT_EQ(answer, C_TaskMoveUnit::kStayed);
    EXPECT_EQ(State(u), before);
    EXPECT_EQ(Find<C_TaskMoveUnit>(), nullptr);
}

TEST_F(MoveTask, AnEnemyAFullUnitOrAHeroShowTheAreaAgain) {
    int u = Unit(2, 2, true, {P{}});
    Unit(3, 2, false, {P{}});
    Unit(2, 3, true, {P{}, P{}, P{}, P{}});
    P hero;
    hero.hero = true;
    Unit(1, 2, true, {hero});
    auto* t = Start(&u, true, 3, 2);
    EXPECT_EQ(t->m_eStage, C_TaskMoveUnit::Stage::ShowArea);  // the area and the cursor come again with the next update
    for (auto cell : {std::pair{2, 3}, std::pair{1, 2}}) {
        Frame();
        EXPECT_EQ(t->m_eStage, C_TaskMoveUnit::Stage::ChooseCell);
        Click(t, cell.first, cell.second);
        EXPECT_EQ(t->m_eStage, C_TaskMoveUnit::Stage::ShowArea);
        EXPECT_EQ(answer, 0);
    }
    EXPECT_NE(Find<C_TaskMoveUnit>(), nullptr);
}

TEST_F(MoveTask, MovingSetsRestMoveAndMoveEndAndLosesTheCharge) {
    int u = Unit(2, 2, true, {P{}, P{}});
    f->m_UnitList.SetCharge(u, 3);
    Start(&u, true, 4, 3);
    Frame();  // an empty destination needs no member menu: the walk starts
    EXPECT_FALSE(f->m_vMovePath.empty());
    Walk();
    EXPECT_EQ(answer, C_TaskMoveUnit::kMoved);
    EXPECT_EQ(f->m_UnitList.GetX(u), 4);
    EXPECT_EQ(f->m_UnitList.GetY(u), 3);
    EXPECT_TRUE(f->m_UnitList.IsMoveEnd(u));
    EXPECT_FALSE(f->m_UnitList.IsActEnd(u));
    EXPECT_EQ(f->m_UnitList.GetCharge(u), 0);
    EXPECT_EQ(Member(u, 0).nRestMove, 2);
    EXPECT_EQ(f->m_fCameraX, 4.0f);
}

TEST_F(MoveTask, SplitAndMergeThenUndoRestoresBothUnitsExactly) {
    int u = Unit(2, 2, true, {P{}, P{}, P{}}, 2);
    const int v = Unit(4, 2, true, {P{}});
    f->m_UnitList.SetCharge(u, 1);
    f->m_UnitList.SetCharge(v, 2);
    Member(u, 1).nRestMove = 3;
    const int a = f->m_UnitList.GetMember(u, 0), b = f->m_UnitList.GetMember(u, 1), c = f->m_UnitList.GetMember(u, 2);
    const int d = f->m_UnitList.GetMember(v, 0);
    const UnitState beforeU = State(u), beforeV = State(v);

    auto* t = Start(&u, false, 4, 2);
    Choose(t, {true, false, true}, {b, -1, -1, -1, d, a, c, -1});
    ASSERT_EQ(t->m_eStage, C_TaskMoveUnit::Stage::Walking);
    EXPECT_EQ(f->m_UnitList.GetCount(), 3);  // B stays, A and C walk
    Walk();
    EXPECT_EQ(answer, C_TaskMoveUnit::kMerged);
    ASSERT_EQ(f->m_UnitList.GetCount(), 2);
    const int merged = u;
    EXPECT_EQ(f->m_UnitList.GetUnit(merged).vnPerson, (std::vector<int32_t>{d, a, c}));
    EXPECT_EQ(f->m_UnitList.GetX(merged), 4);
    EXPECT_EQ(StateOfPerson(b).persons, std::vector<int>{b});
    EXPECT_NE(undo.nUnitID[0], UnitUndoRecord::kNone);  // the part that stayed
    EXPECT_NE(undo.nUnitID[1], UnitUndoRecord::kNone);  // the merged unit

    const int first = undo.Restore(*f);
    ASSERT_EQ(f->m_UnitList.GetCount(), 2);
    EXPECT_EQ(State(first), beforeU);
    EXPECT_EQ(StateOfPerson(d), beforeV);
}

TEST_F(MoveTask, AWholeUnitMergedAndUndone) {
    int u = Unit(2, 2, true, {P{}});
    const int v = Unit(3, 3, true, {P{}, P{}}, 1);
    const int a = f->m_UnitList.GetMember(u, 0);
    const int d = f->m_UnitList.GetMember(v, 0), e = f->m_UnitList.GetMember(v, 1);
    const UnitState beforeU = State(u), beforeV = State(v);
    auto* t = Start(&u, true, 3, 3);
    Choose(t, {true}, {-1, -1, -1, -1, d, a, e, -1});
    Walk();
    EXPECT_EQ(answer, C_TaskMoveUnit::kMerged);
    EXPECT_EQ(undo.nUnitID[0], UnitUndoRecord::kNone);  // the moving unit is gone into the other
    undo.Restore(*f);
    ASSERT_EQ(f->m_UnitList.GetCount(), 2);
    EXPECT_EQ(StateOfPerson(a), beforeU);
    EXPECT_EQ(StateOfPerson(d), beforeV);
}

TEST_F(MoveTask, AStaleUndoRecordNeverBringsBackAUnit) {
    int u = Unit(2, 2, true, {P{}});
    undo.Saved[1] = f->m_UnitList.GetUnit(u);  // a unit that still exists
    undo.nUnitID[1] = 12345;
    Start(&u, true, 2, 2);  // stays
    EXPECT_TRUE(undo.Saved[0].vnPerson.empty());
    EXPECT_TRUE(undo.Saved[1].vnPerson.empty());
    undo.Restore(*f);
    EXPECT_EQ(f->m_UnitList.GetCount(), 1);
}

TEST_F(MoveTask, CancellingTheMemberMenuReturnsToTheDestinationOrCancels) {
    int pair = Unit(2, 2, true, {P{}, P{}});
    auto* t = Start(&pair, false, 3, 2);
    Frame();
    controller.KillTask(27);
    t->m_nMenuAnswer = -1;
    Frame();
    EXPECT_EQ(t->m_eStage, C_TaskMoveUnit::Stage::ShowArea);
    EXPECT_EQ(answer, 0);
    controller.KillTaskRange(0, 1000);

    int single = Unit(5, 5, true, {P{}});
    auto* s = Start(&single, false, 5, 6);
    Frame();
    controller.KillTask(27);
    s->m_nMenuAnswer = -1;
    Frame();
    EXPECT_EQ(answer, C_TaskMoveUnit::kCancelled);
}

// Stands for the operation that waits on a move; it does nothing itself.
class WaiterStandIn : public C_FieldTaskBase {
public:
    void Update(C_FieldTaskInfo*) override {}
    void Draw(C_FieldTaskInfo*) override {}
};

// The answers name their waiter: while it is there the split-off unit and the undo
// reach it; once it has gone, the merge at the end writes neither the answer, nor
// the merged unit, nor the undo record.
TEST_F(MoveTask, AWaiterRemovedBeforeTheMoveEndsIsNotWritten) {
    const int u = Unit(2, 2, true, {P{}, P{}, P{}});
    const int v = Unit(4, 2, true, {P{}});
    const int a = f->m_UnitList.GetMember(u, 0), b = f->m_UnitList.GetMember(u, 1), c = f->m_UnitList.GetMember(u, 2);
    auto* waiter = new WaiterStandIn;
    controller.AddTask(waiter, 103);
    const C_TaskHandle handle(&controller, waiter);
    int32_t moved = u;
    const bool all[4] = {true, true, true, true};
    controller.AddTask(new C_TaskMoveUnit(C_TaskReply<int32_t>(handle, &answer), f.get(), u,
                                          C_TaskReply<int32_t>(handle, &moved), all,
                                          C_TaskReply<UnitUndoRecord>(handle, &undo), 0, 0),
                       26);
    auto* t = Find<C_TaskMoveUnit>();
    Frame();
    Click(t, 4, 2);
    Choose(t, {true, false, true}, {b, -1, -1, -1, f->m_UnitList.GetMember(v, 0), a, c, -1});
    EXPECT_EQ(answer, C_TaskMoveUnit::kRunning);
    EXPECT_EQ(moved, f->m_UnitList.FindUnitOfPerson(a));  // split off
    EXPECT_NE(undo.nUnitID[1], UnitUndoRecord::kNone);

    controller.KillTask(103);
    answer = 99;
    moved = -5;
    undo.nUnitID[1] = 777;
    Walk();
    EXPECT_EQ(Find<C_TaskMoveUnit>(), nullptr);
    EXPECT_EQ(f->m_UnitList.GetUnit(f->m_UnitList.FindUnitOfPerson(a)).vnPerson.size(), 3u);  // merged
    EXPECT_EQ(answer, 99);
    EXPECT_EQ(moved, -5);
    EXPECT_EQ(undo.nUnitID[1], 777);
}

// ---- operation ---------------------------------------------------------------------------

class Operate : public MoveTask {};

TEST_F(Operate, ChargeRule) {
    struct Row {
        int charge;
        bool focus;
        int expected;
    } rows[] = {{0, false, 1}, {1, false, 2}, {3, false, 3}, {0, true, 2}, {1, true, 3}, {2, true, 3}};
    for (const Row& r : rows) {
        P p;
        if (r.focus) p.passives = {34};
        const int u = Unit((int)(&r - rows), 0, true, {p});
        f->m_UnitList.SetCharge(u, r.charge);
        EXPECT_EQ(C_TaskOperateUnit::ChargeAfter(f.get(), u), r.expected) << r.charge << " " << r.focus;
    }
}

TEST_F(Operate, ChargeAnimationDrawsThreeNumbersPerLineOnEvenCountsAndEndsAt81) {
    const int u = Unit(3, 3, true, {P{}});
    g_Rand.SetSeed(99);
    uint8_t done = 7;
    controller.AddTask(new C_TaskChargeAnime(f.get(), u, &done), 15);
    EXPECT_EQ(done, 0);
    EXPECT_EQ(f->m_fCameraX, 3.0f);
    auto* anime = Find<C_TaskChargeAnime>();
    EXPECT_EQ(anime->m_nCenterX, 320);
    EXPECT_EQ(anime->m_nCenterY, 240);
    int most = 0;
    for (int count = 1; count <= 80; ++count) {
        Frame();
        most = std::max(most, (int)anime->m_vLine.size());
        if (count == 2) {
            CRand check;
            check.SetSeed(99);
            const double r1 = check.Get() / 4294967295.0;
            EXPECT_FLOAT_EQ(anime->m_vLine[0].fInner, (float)(10 + 50 * r1));
        }
        EXPECT_EQ(done, 0);
    }
    EXPECT_TRUE(anime->m_vLine.empty());
    EXPECT_EQ(most, 5);
    Frame();
    EXPECT_EQ(done, 1);
    CRand check;
    check.SetSeed(99);
    for (int i = 0; i < 34 * 3; ++i) check.Get();
    EXPECT_EQ(g_Rand.Get(), check.Get());
}

TEST_F(Operate, CancellingTheMenuAfterTheAutomaticMoveUndoesItAndMovesAgain) {
    const int u = Unit(2, 2, true, {P{}, P{}});
    const UnitState before = State(u);
    controller.AddTask(new C_TaskOperateUnit(f.get(), u, 1), 103);
    auto* op = Find<C_TaskOperateUnit>();
    Frame();
    auto* mv = Find<C_TaskMoveUnit>();
    ASSERT_NE(mv, nullptr);
    Frame();
    Click(mv, 4, 4);
    Frame();
    Walk();
    Frame();  // the move is over: the command menu next
    Frame();  // the command menu
    EXPECT_EQ(op->m_eStage, C_TaskOperateUnit::Stage::WaitCommand);
    EXPECT_EQ(f->m_UnitList.GetX(op->m_nUnit), 4);
    controller.KillTask(23);
    op->m_nMenuResult = C_TaskOperateUnit::kCancel;
    Frame();
    EXPECT_EQ(State(op->m_nUnit).persons, before.persons);
    EXPECT_EQ(f->m_UnitList.GetX(op->m_nUnit), 2);
    EXPECT_FALSE(f->m_UnitList.IsMoveEnd(op->m_nUnit));
    EXPECT_EQ(op->m_nMenuResult, C_TaskOperateUnit::kMoveAll);
    Frame();
    EXPECT_NE(Find<C_TaskMoveUnit>(), nullptr);
    EXPECT_EQ(f->m_UnitList.GetCount(), 2 - 1);
}

TEST_F(Operate, CancellingTheMenuWithoutAMoveEndsTheOperation) {
    const int u = Unit(2, 2, true, {P{}});
    controller.AddTask(new C_TaskOperateUnit(f.get(), u, 0), 103);
    auto* op = Find<C_TaskOperateUnit>();
    Frame();
    controller.KillTask(23);
    op->m_nMenuResult = C_TaskOperateUnit::kCancel;
    Frame();
    EXPECT_EQ(Find<C_TaskOperateUnit>(), nullptr);
    EXPECT_NE(Find<C_TaskSelectUnit>(), nullptr);
}

TEST_F(Operate, ChargingFromTheCannonMenu) {
    P p;
    p.passives = {34};
    const int u = Unit(2, 2, true, {p});
    f->m_UnitList.SetCharge(u, 2);
    controller.AddTask(new C_TaskOperateUnit(f.get(), u, 0), 103);
    auto* op = Find<C_TaskOperateUnit>();
    Frame();
    controller.KillTask(23);
    op->m_nMenuResult = C_TaskOperateUnit::kCannon;
    Frame();  // the skill menu next
    Frame();  // the skill menu
    controller.KillTask(21);
    op->m_nMenuResult = 1;
    op->m_nSkillRow = 0;
    Frame();
    EXPECT_EQ(op->m_eStage, C_TaskOperateUnit::Stage::WaitCharge);
    for (int i = 0; i < 90 && Find<C_TaskOperateUnit>() != nullptr; ++i) Frame();
    EXPECT_EQ(f->m_UnitList.GetCharge(u), 3);
    EXPECT_TRUE(f->m_UnitList.IsActEnd(u));
    EXPECT_NE(Find<C_TaskSelectUnit>(), nullptr);
}

TEST_F(Operate, ACannonShotOnNobodyAsksForATargetAgain) {
    P mage;
    mage.skills = {1};
    mage.passives = {};
    const int u = Unit(1, 1, true, {mage});
    Member(u, 0).cskill[0] = 35;
    f->m_UnitList.SetCharge(u, 1);
    controller.AddTask(new C_TaskOperateUnit(f.get(), u, 0), 103);
    auto* op = Find<C_TaskOperateUnit>();
    op->m_eStage = C_TaskOperateUnit::Stage::WaitSkillMenu;
    op->m_nMenuResult = 1;
    op->m_nSkillRow = 2;  // skill 1, then the cannon skill
    Frame();
    EXPECT_EQ(op->m_nSkill[0], 35);
    Frame();  // ranges and cursor
    controller.KillTask(8);
    f->m_nHoverX = 5;
    f->m_nHoverY = 5;
    op->m_nCursorResult = 1;
    Frame();
    EXPECT_EQ(op->m_eStage, C_TaskOperateUnit::Stage::ShowCannonReach);
    EXPECT_FALSE(controller.HasTask(160));
    EXPECT_EQ(f->m_UnitList.GetCharge(u), 1);
}

TEST_F(Operate, AnAttackFromTheTargetToTheNextSelection) {
    const int u = Unit(2, 2, true, {P{}});
    const int t = Unit(3, 2, false, {P{}});
    controller.AddTask(new C_TaskOperateUnit(f.get(), u, 0), 103);
    auto* op = Find<C_TaskOperateUnit>();
    Frame();
    controller.KillTask(23);
    op->m_nMenuResult = C_TaskOperateUnit::kAttack;
    Frame();  // the targets next
    Frame();  // area and cursor
    EXPECT_EQ(op->m_eStage, C_TaskOperateUnit::Stage::ChooseTarget);
    EXPECT_TRUE(f->m_vbRangeCell[2 * 8 + 3]);
    controller.KillTask(8);
    op->m_nTarget = t;
    op->m_nCursorResult = 1;
    Frame();  // the confirmation next
    Frame();  // planned, confirmation open
    EXPECT_EQ(op->m_eStage, C_TaskOperateUnit::Stage::WaitConfirm);
    EXPECT_EQ(op->m_nSkill[0], 1);
    EXPECT_EQ(op->m_nTargets[0], 0);
    controller.KillTask(24);
    op->m_nMenuResult = 1;
    int frames = 0;
    while (Find<C_TaskOperateUnit>() != nullptr && frames < 500) {
        Frame();
        ++frames;
    }
    EXPECT_LT(frames, 500);
    EXPECT_TRUE(f->m_vBattleAction.empty());
    EXPECT_TRUE(f->m_UnitList.IsActEnd(u));
    EXPECT_LT(Member(t, 0).nHP, 50);
    EXPECT_NE(Find<C_TaskSelectUnit>(), nullptr);
    EXPECT_TRUE(controller.HasTask(2));
}

}  // namespace
