// A scripted enemy phase on a small map: the same seed gives the same actions.
#include "ai_fixture.h"
#include "phase_runner.h"

using namespace aitest;

namespace {

class AIPhaseRun : public AIField {
protected:
    void Build() {
        Map({"............", "....##......", "....##..h...", "............", "..f.....##..", "........##..",
             "............", "...mm.......", "............", "............"});
        P archer = Sword(4);
        archer.skills = {2};
        P healer = Sword(4);
        healer.skills = {4, 1};
        P swift = Sword(6);
        swift.passives = {9};
        P mage = Sword(4);
        mage.skills = {3};
        Enemy(10, 1, {Sword(), archer}, 1);
        Enemy(11, 3, {healer});
        Enemy(9, 8, {swift, Sword()}, 2);
        Enemy(7, 9, {mage});
        Player(1, 1, {Sword(), Sword()}, 2);
        Player(2, 6, {archer});
        Player(6, 4, {Sword()});
        f->m_nTurn = 1;
    }
    std::vector<std::string> Run(uint32_t seed) {
        Build();
        g_Rand.SetSeed(seed);
        std::vector<std::string> all = aiphase::RunEnemyPhase(*f);
        // A second phase from the same state.
        for (int u = 0; u < f->m_UnitList.GetCount(); ++u) f->m_UnitList.SetActEndAndMoveEnd(u, 0);
        f->m_nTurn = 2;
        all.push_back("--");
        for (const std::string& s : aiphase::RunEnemyPhase(*f)) all.push_back(s);
        return all;
    }
};

}  // namespace

TEST_F(AIPhaseRun, SameSeedSameActions) {
    const std::vector<std::string> first = Run(2024);
    SetUp();
    const std::vector<std::string> second = Run(2024);
    EXPECT_EQ(first, second);
    EXPECT_GT(first.size(), 4u);
}

TEST_F(AIPhaseRun, RecordedSequence) {
    const std::vector<std::string> got = Run(2024);
    const std::vector<std::string> expected = {
        "move (10,1)->(8,3) 1100",
        "move (9,8)->(7,5) 1100",
        "move (7,9)->(7,5) 1000 join",
        "move (11,3)->(10,5) 1000",
        "--",
        "move (8,3)->(8,3) 1100",
        "act (8,3)->(6,4) skill -1",
        "move (7,5)->(4,6) 1110",
        "move (10,5)->(10,4) 1000",
    };
    std::string joined;
    for (const std::string& s : got) joined += "        \"" + s + "\",\n";
    EXPECT_EQ(got, expected) << joined;
}

TEST_F(AIPhaseRun, StepsThatCostNothingCannotHangThePhase) {
    // Roads that cost no move points at all, split by a wall with one gap.
    SetTerrain(rulestest::kRoad, 0, 0, 0, 0, 0);
    Map({"rrrrr#rrrrr", "rrrrr#rrrrr", "rrrrrrrrrrr", "rrrrr#rrrrr"});
    Enemy(0, 0, {Sword()});
    Enemy(1, 3, {Sword(), Sword()}, 2);
    Enemy(10, 3, {Sword()});
    Player(9, 0, {Sword()});
    f->m_nTurn = 1;
    f->m_AI.m_bUseView = false;
    f->m_MapData.AddAnabasisRoute({0, 0, 10, 0, 10, 3});
    g_Rand.SetSeed(7);
    const std::vector<std::string> log = aiphase::RunEnemyPhase(*f, 100);
    EXPECT_LT(log.size(), 100u);
    EXPECT_TRUE(f->m_AI.m_bPlanDone);
}

TEST_F(AIPhaseRun, WalkOverFreeStepsEndsInTheDestinationArea) {
    SetTerrain(rulestest::kRoad, 0, 0, 0, 0, 0);
    Map({"rrrr#rrrr", "rrrr#rrrr", "rrrrrrrrr"});
    const int e = Enemy(0, 0, {Sword()});
    f->m_AI.BuildAreaMap(*f);
    f->m_AI.m_bInitialized = true;
    const int t = Troop({e});
    Plan(e, t, 0, 8, 0);
    const AIAction a = Next();
    EXPECT_EQ(a.nKind, 0);
    int area = -1, goal = -1;
    f->m_AI.m_AreaMap.GetAt(&area, a.destX, a.destY);
    f->m_AI.m_AreaMap.GetAt(&goal, 8, 0);
    EXPECT_EQ(area, goal);
}
