// The enemy phase's tasks: how long a move area is shown (and hurried), the walk with
// the map display and without it, the pause after a move, joining a unit, the charge,
// the attack and cannon waits, a shot that hits nobody, a whole phase that hands back
// to the player's next turn, also when an event takes its action task and the map away.
#include <filesystem>
#include <fstream>

#include "golden.h"
#include "turn/TaskChargeAnime.h"
#include "turn/TaskDispDamage.h"
#include "turn/TaskEnemy.h"
#include "turn/TaskTurn.h"
#include "turn_fixture.h"

namespace {

using turntest::TurnField;
using P = turntest::TurnField::P;
using S = C_TaskActEnemy::Stage;

class EnemyTasks : public TurnField {
protected:
    void SetUp() override {
        TurnField::SetUp();
        OpenMap(10, 10);
        ShowMap();
    }
    // Frames until the done flag is set.
    int RunUntilDone(const uint8_t& done, int limit = 1000) {
        for (int i = 1; i <= limit; ++i) {
            Frame();
            if (done) return i;
        }
        return -1;
    }
    // Frames until unit u stands on (x, y).
    int WalkTo(int u, int x, int y, int limit = 1000) {
        for (int i = 1; i <= limit; ++i) {
            Frame();
            if (f->m_UnitList.GetX(u) == x && f->m_UnitList.GetY(u) == y) return i;
        }
        return -1;
    }
    uint8_t done = 0;
};

TEST_F(EnemyTasks, MoveShowsItsAreaFor30FramesThenPausesFor15) {
    const int u = Unit(2, 2, false, {P{}, P{}});
    const bool all[4] = {true, true, false, false};
    controller.AddTask(new C_TaskMoveEnemy(&done, u, 4, 3, all, f.get()), 9);
    EXPECT_TRUE(controller.HasTask(3));
    int shown = 0;
    while (controller.HasTask(3) && shown < 100) {
        Frame();
        ++shown;
    }
    EXPECT_EQ(shown, 31);  // the area is removed by the 31st update
    EXPECT_FALSE(f->m_vMovePath.empty());
    ASSERT_GT(WalkTo(u, 4, 3), 0);
    EXPECT_TRUE(f->m_UnitList.IsMoveEnd(u));
    EXPECT_EQ(Member(u, 0).nRestMove, 2);
    int pause = 0;
    while (!done && pause < 100) {
        Frame();
        ++pause;
    }
    EXPECT_EQ(pause, 16);
}

// The map's upper layer walks the unit, 13 frames a cell; with the map display taken
// away (as "BlackScreen" and "GameOver" take it) nothing draws the walk, and the unit
// arrives in the first frame of it.
TEST_F(EnemyTasks, TheMapWalksTheUnitAndWithoutTheMapItArrivesAtOnce) {
    struct Row {
        bool mapShown;
        int walkFrames;
    } rows[] = {{true, 39}, {false, 1}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.mapShown ? "map shown" : "map taken away");
        if (!r.mapShown) controller.KillTaskRange(1, 20);
        const int u = Unit(2, 2, false, {P{}});
        const bool all[4] = {true, false, false, false};
        controller.AddTask(new C_TaskMoveEnemy(&done, u, 4, 3, all, f.get()), 9);
        Frames(31);  // the area, then the walk starts
        EXPECT_EQ(WalkTo(u, 4, 3), r.walkFrames);
        EXPECT_GT(RunUntilDone(done), 0);
        TearDown();
        SetUp();
    }
}

TEST_F(EnemyTasks, HoldingTheLeftButtonHurriesTheMove) {
    const int u = Unit(2, 2, false, {P{}});
    const bool all[4] = {true, false, false, false};
    controller.AddTask(new C_TaskMoveEnemy(&done, u, 3, 2, all, f.get()), 9);
    int shown = 0;
    while (controller.HasTask(3) && shown < 100) {
        input.left = true;
        Frame();
        ++shown;
    }
    EXPECT_EQ(shown, 6);
}

TEST_F(EnemyTasks, MovingLosesTheChargeAndStayingKeepsIt) {
    const int u = Unit(2, 2, false, {P{}});
    f->m_UnitList.SetCharge(u, 2);
    const bool all[4] = {true, false, false, false};
    controller.AddTask(new C_TaskMoveEnemy(&done, u, 3, 2, all, f.get()), 9);
    ASSERT_GT(RunUntilDone(done), 0);
    EXPECT_EQ(f->m_UnitList.GetCharge(u), 0);
}

TEST_F(EnemyTasks, SomeMembersSplitOffAndJoinAUnitThatMarksItselfMoved) {
    const int mover = Unit(2, 2, false, {P{}, P{}, P{}});
    const int holder = Unit(3, 2, false, {P{}});
    const int firstPerson = f->m_UnitList.GetMember(mover, 0);
    const bool sel[4] = {true, false, true, false};
    controller.AddTask(new C_TaskMoveEnemy(&done, mover, 3, 2, sel, f.get()), 9);
    ASSERT_GT(RunUntilDone(done), 0);
    ASSERT_EQ(f->m_UnitList.GetCount(), 2);
    EXPECT_EQ(f->m_UnitList.GetMemberCount(holder), 3);
    EXPECT_TRUE(f->m_UnitList.IsMoveEnd(holder));
    EXPECT_EQ(f->m_UnitList.GetMemberCount(mover), 1);
    EXPECT_EQ(f->m_UnitList.FindUnitOfPerson(firstPerson), holder);
    EXPECT_FALSE(f->m_UnitList.IsMoveEnd(mover));
}

TEST_F(EnemyTasks, AJoinNeverLosesAMemberTheOtherUnitCannotTake) {
    const int mover = Unit(2, 2, false, {P{}, P{}});
    const int holder = Unit(3, 2, false, {P{}, P{}, P{}});
    const int persons = f->m_PersonList.GetCount();
    const bool sel[4] = {true, true, false, false};
    controller.AddTask(new C_TaskMoveEnemy(&done, mover, 3, 2, sel, f.get()), 9);
    ASSERT_GT(RunUntilDone(done), 0);
    EXPECT_EQ(f->m_UnitList.GetMemberCount(holder), 4);
    ASSERT_EQ(f->m_UnitList.GetCount(), 2);
    EXPECT_EQ(f->m_UnitList.GetMemberCount(mover), 1);
    EXPECT_EQ(f->m_UnitList.GetX(mover), 2);  // the one left over stays where it was
    int placed = 0;
    for (int p = 0; p < persons; ++p) placed += f->m_UnitList.FindUnitOfPerson(p) >= 0 ? 1 : 0;
    EXPECT_EQ(placed, persons);
}

TEST_F(EnemyTasks, ChargeTakesTheAnimationAndIsCappedAtThree) {
    struct Row {
        int charge;
        bool focus;
        int expected;
    } rows[] = {{0, false, 1}, {2, false, 3}, {3, false, 3}, {0, true, 2}, {2, true, 3}};
    for (const Row& r : rows) {
        P p;
        if (r.focus) p.passives = {34};
        const int u = Unit(1 + (int)(&r - rows), 1, false, {p});
        f->m_UnitList.SetCharge(u, r.charge);
        done = 0;
        controller.AddTask(new C_TaskChargeEnemy(&done, u), 9);
        EXPECT_EQ(RunUntilDone(done), 82);  // the animation starts in the first frame and ends in the 81st
        EXPECT_EQ(f->m_UnitList.GetCharge(u), r.expected);
        EXPECT_TRUE(f->m_UnitList.IsActEnd(u));
    }
}

TEST_F(EnemyTasks, AttackWaits30FramesThenFightsAndApplies) {
    const int a = Unit(2, 2, false, {P{}});
    const int t = Unit(3, 2, true, {P{}});
    const int targets[4] = {0, -1, -1, -1};
    const int skills[4] = {1, -1, -1, -1};
    controller.AddTask(new C_TaskActEnemy(&done, a, 3, 2, targets, skills, f.get()), 9);
    auto* act = Find<C_TaskActEnemy>();
    EXPECT_EQ(act->m_nTargetUnit, t);
    Frames(30);
    EXPECT_EQ(act->m_eStage, S::ShowAttackArea);
    EXPECT_TRUE(f->m_vBattleAction.empty());
    Frame();
    EXPECT_EQ(act->m_eStage, S::WaitFirstFight);
    EXPECT_EQ(f->m_vBattleAction.size(), 2u);
    const int rest = RunUntilDone(done);
    EXPECT_GT(rest, 0);
    EXPECT_TRUE(f->m_vBattleAction.empty());
    EXPECT_TRUE(f->m_UnitList.IsActEnd(a));
    EXPECT_TRUE(controller.HasTask(2));  // the map drawing is back
}

TEST_F(EnemyTasks, CannonShowsItsReachGlidesThenStrikesAndShowsTheDamage) {
    P mage;
    mage.skills = {1};
    mage.mp = 50;
    const int a = Unit(1, 1, false, {mage});
    f->m_UnitList.SetCharge(a, 1);
    const int t = Unit(6, 6, true, {P{}, P{}});
    const int targets[4] = {-1, -1, -1, -1};
    const int skills[4] = {35, -1, -1, -1};
    controller.AddTask(new C_TaskActEnemy(&done, a, 6, 6, targets, skills, f.get()), 9);
    auto* act = Find<C_TaskActEnemy>();
    EXPECT_EQ(act->m_eStage, S::ShowCannonReach);
    Frames(60);
    EXPECT_EQ(act->m_eStage, S::ShowCannonReach);
    Frame();
    EXPECT_EQ(act->m_eStage, S::AimCannon);
    Frames(90);
    EXPECT_EQ(act->m_eStage, S::AimCannon);
    Frame();
    EXPECT_EQ(act->m_eStage, S::WaitCannonBattle);
    for (int i = 0; i < 3000 && act->m_eStage == S::WaitCannonBattle; ++i) Frame();  // the battle
    EXPECT_EQ(act->m_eStage, S::WaitCannonDamage);
    EXPECT_NE(Find<C_TaskDispCannonDamage>(), nullptr);
    EXPECT_EQ(Member(a, 0).nMP, 45);  // the caster paid as the display started
    EXPECT_EQ(f->m_UnitList.GetCharge(a), 0);
    ASSERT_GT(RunUntilDone(done), 0);
    EXPECT_LT(Member(t, 0).nHP + Member(t, 1).nHP, 100);
}

TEST_F(EnemyTasks, ACannonShotThatHitsNobodySkipsTheBattleAndTheDisplay) {
    const int a = Unit(1, 1, false, {P{}});
    Unit(8, 8, true, {P{}});
    const int targets[4] = {-1, -1, -1, -1};
    const int skills[4] = {35, -1, -1, -1};
    controller.AddTask(new C_TaskActEnemy(&done, a, 4, 4, targets, skills, f.get()), 9);
    bool battle = false, display = false;
    for (int i = 0; i < 400 && !done; ++i) {
        Frame();
        battle = battle || controller.HasTask(160);
        display = display || controller.HasTask(120);
    }
    EXPECT_TRUE(done);
    EXPECT_FALSE(battle);
    EXPECT_FALSE(display);
    EXPECT_TRUE(f->m_UnitList.IsActEnd(a));
}

TEST_F(EnemyTasks, AnActWithoutSkillOrTargetEndsAtOnce) {
    const int a = Unit(1, 1, false, {P{}});
    Unit(2, 1, true, {P{}});
    const int none[4] = {-1, -1, -1, -1};
    controller.AddTask(new C_TaskActEnemy(&done, a, 2, 1, none, none, f.get()), 9);
    EXPECT_EQ(RunUntilDone(done), 1);
}

// ---- the whole phase ---------------------------------------------------------------------

class EnemyPhase : public TurnField {
protected:
    void Build() {
        Map({"............", "....##......", "....##..h...", "............", "..f.....##..", "........##..",
             "............", "...mm.......", "............", "............"});
        P sword;
        sword.move = 5;
        P archer = sword;
        archer.move = 4;
        archer.skills = {2};
        P healer = archer;
        healer.skills = {4, 1};
        P mage = archer;
        mage.skills = {3};
        Unit(10, 1, false, {sword, archer}, 1);
        Unit(11, 3, false, {healer});
        Unit(9, 8, false, {sword, sword}, 2);
        Unit(7, 9, false, {mage});
        Unit(1, 1, true, {sword, sword}, 2);
        Unit(2, 6, true, {archer});
        Unit(6, 4, true, {sword});
        f->m_nTurn = 1;
    }
    // Runs the phase; returns the frames it took and a line per frame with an action
    // task's start.
    int Run(uint32_t seed, std::vector<std::string>& log) {
        Build();
        ShowMap();
        g_Rand.SetSeed(seed);
        controller.AddTask(new C_TaskOperateEnemy(f.get()), 105);
        for (int frame = 1; frame <= 20000; ++frame) {
            Frame();
            if (Find<C_TaskOperateEnemy>() == nullptr) return frame;
            std::string line = std::to_string(frame) + ":";
            for (int u = 0; u < f->m_UnitList.GetCount(); ++u) {
                const UnitRecord& r = f->m_UnitList.GetUnit(u);
                line += " " + std::to_string(r.x) + "," + std::to_string(r.y) + "/" + std::to_string(r.vnPerson.size());
            }
            if (log.empty() || log.back().substr(log.back().find(':')) != line.substr(line.find(':')))
                log.push_back(line);
        }
        return -1;
    }
};

TEST_F(EnemyPhase, SameSeedSameFramesAndHandsBackToTheNextTurn) {
    std::vector<std::string> first, second;
    const int frames = Run(7, first);
    ASSERT_GT(frames, 0);
    EXPECT_NE(Find<C_TaskStartTurn>(), nullptr);
    EXPECT_EQ(f->m_nTurn, 2);
    EXPECT_TRUE(f->m_bPlayerPhase);
    EXPECT_GT(first.size(), 3u);
    TearDown();
    SetUp();
    EXPECT_EQ(Run(7, second), frames);
    EXPECT_EQ(first, second);
}

// An event of an attack ("FirstFight") that blanks the screen or shows the game-over
// picture in a section that does not end the map takes the map display away, the
// acting enemy's task with it: the phase goes on, the other enemy walks without the
// map, and the phase hands back to the next turn.
TEST_F(EnemyPhase, AnEventThatTakesTheActionTaskAwayDoesNotLeaveThePhaseWaiting) {
    for (const char* command : {"BlackScreen()", "GameOver()"}) {
        SCOPED_TRACE(command);
        testsupport::TempDir dir;
        testsupport::ScopedCurrentDir cwd(dir.path());
        std::filesystem::create_directories(dir.path() + "script");
        std::ofstream(dir.path() + "script/chapter99.txt", std::ios::binary)
            << "Script FirstFight(1,1)\r\n" << command << "\r\nend\r\n";
        Map({"......", "......", "......", "......"});
        P sword;
        const int enemy = Unit(2, 1, false, {sword});
        Unit(3, 1, true, {sword});
        const int walker = Unit(0, 3, false, {sword});
        f->m_nTurn = 1;
        ShowMap();
        controller.AddTask(new C_TaskOperateEnemy(f.get()), 105);
        bool acted = false;
        int frame = 0;
        for (; frame < 6000 && Find<C_TaskOperateEnemy>() != nullptr; ++frame) {
            acted = acted || Find<C_TaskActEnemy>() != nullptr;
            Frame();
        }
        EXPECT_TRUE(acted);
        EXPECT_EQ(Find<C_TaskOperateEnemy>(), nullptr) << "still waiting after " << frame << " frames";
        EXPECT_NE(Find<C_TaskStartTurn>(), nullptr);
        EXPECT_TRUE(f->m_UnitList.IsValidUnit(enemy));
        EXPECT_TRUE(f->m_UnitList.IsMoveEnd(walker));  // its walk ended, with or without the map
        TearDown();
        SetUp();
    }
}

}  // namespace
