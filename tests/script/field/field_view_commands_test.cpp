// The field-event commands for endings, view and tutorial: the game-over sequence, the
// game's end, the mission briefing, the map display cleared, the cursor and the view
// moved, the tutorial's tasks and scripted input; and broken scripts on the field.
#include <random>

#include "field_fixture.h"

namespace fieldtest {
namespace {

class FieldViewTest : public FieldEventTest {
public:
    void AddTasks(std::initializer_list<int> priorities) {
        for (int p : priorities) controller.AddTask(new IdleTask, p);
    }
    std::vector<int> Priorities() const {
        std::vector<int> out;
        for (const C_TaskBase* t : controller.GetTasks()) out.push_back(t->GetPriority());
        return out;
    }
};

TEST_F(FieldViewTest, GameOverWithoutInputRunsItsWholeSequence) {
    AddTasks({1, 2, 10, 19, 20, 104, 220});
    Load({"Script Lost()", "GameOver()", "PlusMoney(1)", "end"});
    Step("Lost");
    EXPECT_EQ(script->GetCommandFrame(), 1);
    EXPECT_FALSE(script->IsGameOverShown());
    for (int f = 1; f < 180; ++f) Step("Lost");
    EXPECT_EQ(g_GlobalResources.GetCurrentBGM(), 102);
    EXPECT_EQ(Priorities().size(), 7u);
    Step("Lost");  // frame 180: the map display goes, the picture shows
    EXPECT_TRUE(script->IsGameOverShown());
    EXPECT_EQ(Priorities(), (std::vector<int>{20, 104, 220}));
    for (int f = 181; f < 2400; ++f) Step("Lost");
    EXPECT_TRUE(script->IsGameOverShown());
    EXPECT_EQ(party.nMoney, 0);
    Step("Lost");  // frame 2400
    EXPECT_FALSE(script->IsGameOverShown());
    Step("Lost");
    EXPECT_EQ(party.nMoney, 1);
}

TEST_F(FieldViewTest, GameOverEndsOnAPushButNotOnTheSkipKey) {
    AddTasks({2});
    Load({"Script Lost()", "GameOver()", "PlusMoney(1)", "end"});
    input.held.insert(11);
    for (int f = 0; f < 10; ++f) Step("Lost");
    EXPECT_EQ(party.nMoney, 0);
    input.push = true;
    Step("Lost");
    Step("Lost");
    EXPECT_EQ(party.nMoney, 1);
    EXPECT_FALSE(script->IsGameOverShown());
    EXPECT_EQ(Priorities(), (std::vector<int>{2}));  // ended before frame 180
}

TEST_F(FieldViewTest, BlackScreenRemovesTheMapDisplayAndTheTutorialTask) {
    AddTasks({1, 2, 3, 8, 19, 20, 104});
    Load({"Script Detected()", "BlackScreen()", "end"});
    Run("Detected");
    EXPECT_EQ(Priorities(), (std::vector<int>{20, 104}));
}

TEST_F(FieldViewTest, EndTutorialRemovesOnlyPriorityOne) {
    AddTasks({1, 1, 2, 104});
    Load({"Script Detected()", "EndTutorial()", "end"});
    Run("Detected");
    EXPECT_EQ(Priorities(), (std::vector<int>{2, 104}));
}

TEST_F(FieldViewTest, TutorialCommandsSetTheScriptedInputAndTheCharge) {
    AddUnit(1, 0, 0, true);
    AddUnit(1, 1, 0, true);
    Load({"Script IMTutorial()", "TutorialSetInput(120,200,1,0)", "TutorialSetCharge(1,4)", "TutorialSetCharge(9,4)",
          "end"});
    Run("IMTutorial");
    EXPECT_EQ(field->m_TutorialInput.GetX(), 120);
    EXPECT_EQ(field->m_TutorialInput.GetY(), 200);
    EXPECT_TRUE(field->m_TutorialInput.IsLButtonDown());
    EXPECT_FALSE(field->m_TutorialInput.IsRButtonDown());
    EXPECT_EQ(field->m_UnitList.GetCharge(1), 4);
    EXPECT_EQ(field->m_UnitList.GetCharge(0), 0);
    EXPECT_NE(log.All().find("TutorialSetCharge"), std::string::npos);
}

TEST_F(FieldViewTest, TutorialTasksAreAddedAtTheirPriorities) {
    Load({"Script IMTutorial()", "StartTutorial()", "TutorialCallCursol()", "end"});
    Run("IMTutorial");
    EXPECT_TRUE(controller.HasTask(1));
    EXPECT_TRUE(controller.HasTask(104));
}

TEST_F(FieldViewTest, TaskCommandsWithoutAControllerAreLogged) {
    field->m_pTaskController = nullptr;
    Load({"Script Detected()", "BlackScreen()", "EndTutorial()", "StartTutorial()", "TutorialCallCursol()", "end"});
    Run("Detected");
    EXPECT_FALSE(log.All().empty());
}

TEST_F(FieldViewTest, CursolMoveSetsTheHoverCellOnTheMapOnly) {
    Load({"Script Detected()", "CursolMove(7,2)", "CursolMove(10,2)", "CursolMove(-1,0)", "Wait(5)", "end"});
    for (int i = 0; i < 4; ++i) Step("Detected");
    EXPECT_EQ(field->m_nHoverX, 7);
    EXPECT_EQ(field->m_nHoverY, 2);
    // The end of the section centres the view and the hover cell on the key unit.
    AddUnit(1, 3, 4, true);
    Run("Detected");
    EXPECT_EQ(field->m_nHoverX, 3);
    EXPECT_EQ(field->m_nHoverY, 4);
    EXPECT_NE(log.All().find("CursolMove"), std::string::npos);
}

TEST_F(FieldViewTest, MissionArgueVariantsTextAndEnd) {
    struct Case {
        int variant;
        const char* back;
        bool half;
    };
    const Case cases[] = {{0, "./graphics/MissionArgueFBack.png", false},
                          {2, "./graphics/MissionArgueCBack.png", true},
                          {1, "./graphics/MissionArgueCBack.png", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variant);
        input.push = false;
        input.held.clear();
        field->EventHandlerFlag[0] = false;
        Load({"Script PhaseStart(0,1)", "MissionArgue(" + std::to_string(c.variant) + ",\"a\")", "/", "b", "/",
              "PlusMoney(1)", "end"});
        party.nMoney = 0;
        for (int i = 0; i < 20; ++i) Step("PhaseStart");
        EXPECT_EQ(script->GetMissionArgueBackName(), c.back);
        EXPECT_EQ(script->IsMissionArgueHalf(), c.half);
        EXPECT_EQ(script->GetMissionArgueTextString(), "a\r\nb\r\n");
        EXPECT_TRUE(script->IsMissionArgueShown());
        EXPECT_TRUE(script->IsMissionArgueBackShown());
        EXPECT_TRUE(script->IsMissionArgueTextShown());
        EXPECT_EQ(party.nMoney, 0);
        // The skip key ends it as well as a push.
        if (c.variant == 1)
            input.push = true;
        else
            input.held.insert(11);
        Step("PhaseStart");
        EXPECT_FALSE(script->IsMissionArgueShown());
        EXPECT_FALSE(script->IsMissionArgueBackShown());
        EXPECT_FALSE(script->IsMissionArgueTextShown());
        Step("PhaseStart");
        EXPECT_EQ(party.nMoney, 1);
    }
}

TEST_F(FieldViewTest, MapViewToUnitGlidesToTheUnitOrReplaysTheLastGlide) {
    AddUnit(10, 8, 6, false);
    Load({"Script Detected()", "MapViewToUnit(10)", "Wait(40)", "MapViewMove(2,2)", "Wait(40)", "MapViewToUnit(1)",
          "Wait(40)", "end"});
    for (int i = 0; i < 35; ++i) Step("Detected");
    EXPECT_FLOAT_EQ(field->m_fCameraX, 8.0f);
    EXPECT_FLOAT_EQ(field->m_fCameraY, 6.0f);
    for (int i = 0; i < 42; ++i) Step("Detected");
    EXPECT_FLOAT_EQ(field->m_fCameraX, 2.0f);
    // No unit of type 1: the glide from (8, 6) to (2, 2) plays again.
    while (script->GetCurrentCommand()->nCommandID != kCmdMapViewToUnit) Step("Detected");
    Step("Detected");
    EXPECT_EQ(script->GetViewFrame(), 1);
    EXPECT_FLOAT_EQ(field->m_fCameraX, 8.0f - 6.0f / 30);
    EXPECT_FLOAT_EQ(field->m_fCameraY, 6.0f - 4.0f / 30);
}

TEST_F(FieldViewTest, WinSkipsTheRestOfItsSection) {
    Load({"Script Detected()", "Win()", "PlusMoney(1)", "GameEnd()", "end", "Script Won()", "PlusMoney(10)", "end"});
    Run("Detected");
    EXPECT_EQ(party.nMoney, 10 + CPartyData::GetMapClearBonus(1));
    EXPECT_EQ(field->m_nExitState, 1);
}

TEST_F(FieldViewTest, DrawPassOfTheBriefingRunsEveryFrame) {
    Load({"Script Detected()", "MissionArgue(0,\"line\")", "end"});
    for (int i = 0; i < 40; ++i) {
        Step("Detected");
        script->DrawFieldEvent("Detected", field.get());
    }
    EXPECT_TRUE(script->IsMissionArgueShown());
}

// ---- broken scripts ------------------------------------------------------------------------

TEST_F(FieldViewTest, NoFieldStateEndsTheEventAndIsLogged) {
    Load({"Script Detected()", "PlusMoney(1)", "end"});
    EXPECT_EQ(script->UpdateFieldEvent("Detected", nullptr), 1);
    EXPECT_NE(log.All().find("Detected"), std::string::npos);
}

TEST_F(FieldViewTest, CommandsWithoutArgumentsOrWithoutPartyAreLoggedNotFatal) {
    field->m_pPartyData = nullptr;
    Load({"Script Detected()", "AddHero()", "PlusMoney()", "SetForces()", "SysBGMSet()", "CreateUnit()", "Appear()",
          "AddStartPoint()", "SetValue()", "GeoChange()", "TroopCanUse()", "MapViewMove()", "MapViewToUnit()",
          "TutorialSetInput()", "TutorialSetCharge()", "CursolMove()", "BannedHero()", "OperationMessage()",
          "MissionName()", "end"});
    Run("Detected");
    EXPECT_NE(log.All().find("パーティ"), std::string::npos);
    EXPECT_NE(log.All().find("引数が足りません"), std::string::npos);
}

// Funds and event values near the int limits are held there, with a line in the log;
// a script may still take the funds below zero.
TEST_F(FieldViewTest, MoneyAndValuesAreHeldAtTheIntLimits) {
    struct Case {
        int32_t start;
        const char* command;
        int32_t money, value;
        bool logged;
    };
    const Case cases[] = {
        {INT32_MAX, "PlusMoney(500)", INT32_MAX, INT32_MAX, true},
        {-100, "PlusMoney(-2147483648)", INT32_MIN, -100, true},
        {100, "PlusMoney(-300)", -200, 100, false},
        {INT32_MAX, "SetValue(1,3,1)", INT32_MAX, INT32_MAX, true},
        {INT32_MIN, "SetValue(2,3,1)", INT32_MIN, INT32_MIN, true},
        {5, "SetValue(2,3,-2147483648)", 5, INT32_MAX, true},
        {5, "SetValue(2,3,7)", 5, -2, false},
    };
    for (const Case& c : cases) {
        NewField();  // each section runs once on a field
        party.nMoney = c.start;
        field->EventValue[3] = c.start;
        const size_t before = log.All().size();
        Load({"Script Detected()", c.command, "end"});
        Run("Detected");
        EXPECT_EQ(party.nMoney, c.money) << c.command;
        EXPECT_EQ(field->EventValue[3], c.value) << c.command;
        EXPECT_EQ(log.All().size() > before, c.logged) << c.command << ": " << log.All().substr(before);
    }
}

TEST_F(FieldViewTest, ValueSectionRaisingItselfEndsAfterTheLocateLimit) {
    Load({"Script Detected()", "SetValue(1,0,1)", "end", "Script Value(1,0,1)", "SetValue(1,0,1)", "PlusMoney(1)",
          "end"});
    const int calls = Run("Detected", 100000);
    EXPECT_LT(calls, 3000);
    EXPECT_EQ(party.nMoney, 0);
    EXPECT_NE(log.All().find("Detected"), std::string::npos);
}

TEST_F(FieldViewTest, RandomCommandsOnASmallFieldNeverCrashOrHang) {
    const char* names[] = {"AddHero", "PlusMoney", "HeroForcedPosition", "HeroForcedPosReset", "CursolMove",
                           "SysBGMSet", "CreateUnit", "SetForces", "BlackScreen", "OperationMessage", "MissionName",
                           "Appear", "AddStartPoint", "ChangeHero", "SetLocateCost", "SetValue", "GeoChange",
                           "SetMaxHero", "SetMinHero", "TroopCanUse", "AddTargetPos", "DeleteUnit", "MapViewMove",
                           "MapViewToUnit", "BannedHero", "EndTutorial", "TutorialSetInput", "TutorialSetCharge",
                           "Wait", "Win", "Lose", "GameEnd"};
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        NewField();
        party = CPartyData();
        std::vector<std::string> lines;
        for (int s = 0; s < 4; ++s) {
            const char* triggers[] = {"Detected()", "Won()", "Lost()", "Value(1,0,1)"};
            lines.push_back(std::string("Script ") + triggers[s]);
            for (int k = 0; k < 12; ++k) {
                std::string cmd = names[rng() % (sizeof names / sizeof names[0])];
                cmd += "(";
                const int n = rng() % 12;
                for (int a = 0; a < n; ++a) cmd += (a ? "," : "") + std::to_string(int(rng() % 40) - 12);
                lines.push_back(cmd + ")");
            }
            lines.push_back("end");
        }
        Load(lines);
        Run("Detected", 100000);
        Load(lines);
        Run("FieldInitialize", 100000);
    }
}

}  // namespace
}  // namespace fieldtest
