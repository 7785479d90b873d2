// The field-event runner: which sections run for which trigger and condition, in what
// order and at what pace, once per field across a save and a load, the events raised
// from within ("Won", "Lost", "Value"), the map's end and the view glide.
#include <functional>

#include "archive/gvlStringMap.h"
#include "field_fixture.h"

namespace fieldtest {
namespace {

struct TriggerCase {
    const char* name;
    const char* header;  // the section header after "Script "
    const char* event;   // the event raised
    std::function<void(FieldEventTest&)> setup;
    bool runs;
};

class TriggerTable : public FieldEventTest {
public:
    void Check(const TriggerCase& c) {
        SCOPED_TRACE(c.name);
        TearDown();
        party = CPartyData();
        SetUp();
        Load({std::string("Script ") + c.header, "PlusMoney(1)", "end"});
        if (c.setup) c.setup(*this);
        Run(c.event);
        EXPECT_EQ(party.nMoney, c.runs ? 1 : 0);
        EXPECT_EQ(field->EventHandlerFlag[0], c.runs);
    }
};

using F = FieldEventTest;
void Turn(F& t, int turn, bool player) {
    t.field->m_nTurn = turn;
    t.field->m_bPlayerPhase = player;
}
void Fight(F& t, int a, int b) {
    t.field->m_nFightingUnit[0] = a;
    t.field->m_nFightingUnit[1] = b;
}
void Hp(F& t, int type, int hp) {
    const int p = t.field->m_PersonList.AddPerson(PersonRecord::CreateFromType(type, 1, 0, 0, 1, 0));
    t.field->m_PersonList.m_vPerson[p].nHP = hp;
    t.field->m_PersonList.m_vPerson[p].nMaxHP = 18;
}

TEST_F(TriggerTable, EachTriggerTestsItsCondition) {
    const TriggerCase cases[] = {
        {"player phase 1", "PhaseStart(0,1)", "PhaseStart", [](F& t) { Turn(t, 1, true); }, true},
        {"enemy section in player phase", "PhaseStart(1,1)", "PhaseStart", [](F& t) { Turn(t, 1, true); }, false},
        {"enemy phase 1", "PhaseStart(1,1)", "PhaseStart", [](F& t) { Turn(t, 1, false); }, true},
        {"other turn", "PhaseStart(0,2)", "PhaseStart", [](F& t) { Turn(t, 1, true); }, false},
        {"another event name", "PhaseStart(0,1)", "Detected", [](F& t) { Turn(t, 1, true); }, false},
        {"friend in square corner", "UnitPosition(-1,2,2,4,4)", "UnitPosition", [](F& t) { t.AddUnit(1, 4, 4, true); },
         true},
        {"friend in square border", "UnitPosition(-1,2,2,4,4)", "UnitPosition", [](F& t) { t.AddUnit(1, 2, 3, true); },
         true},
        {"friend outside", "UnitPosition(-1,2,2,4,4)", "UnitPosition", [](F& t) { t.AddUnit(1, 5, 4, true); }, false},
        {"enemy not a friend", "UnitPosition(-1,2,2,4,4)", "UnitPosition", [](F& t) { t.AddUnit(10, 3, 3, false); },
         false},
        {"enemy inside", "UnitPosition(-2,2,2,4,4)", "UnitPosition", [](F& t) { t.AddUnit(10, 3, 3, false); }, true},
        {"leader type inside", "UnitPosition(10,0,0,9,9)", "UnitPosition", [](F& t) { t.AddUnit(10, 3, 3, false); },
         true},
        {"type only as second member", "UnitPosition(2,0,0,9,9)", "UnitPosition",
         [](F& t) { t.AddMember(t.AddUnit(1, 3, 3, true), 2); }, false},
        {"fight of both types", "FirstFight(1,10)", "FirstFight",
         [](F& t) { Fight(t, t.AddUnit(1, 1, 1, true), t.AddUnit(10, 2, 1, false)); }, true},
        {"both types in one unit", "FirstFight(1,2)", "FirstFight",
         [](F& t) {
             const int u = t.AddUnit(1, 1, 1, true);
             t.AddMember(u, 2);
             Fight(t, u, t.AddUnit(10, 2, 1, false));
         },
         true},
        {"type missing from the fight", "FirstFight(1,11)", "FirstFight",
         [](F& t) { Fight(t, t.AddUnit(1, 1, 1, true), t.AddUnit(10, 2, 1, false)); }, false},
        {"no fighting units stored", "FirstFight(1,10)", "FirstFight",
         [](F& t) {
             t.AddUnit(1, 1, 1, true);
             t.AddUnit(10, 2, 1, false);
         },
         false},
        {"hp at the percentage", "PersonSuffered(10,50)", "PersonSuffered", [](F& t) { Hp(t, 10, 9); }, true},
        {"hp above the percentage", "PersonSuffered(10,50)", "PersonSuffered", [](F& t) { Hp(t, 10, 10); }, false},
        {"only the first person counts", "PersonSuffered(10,50)", "PersonSuffered",
         [](F& t) {
             Hp(t, 10, 18);
             Hp(t, 10, 1);
         },
         false},
        {"nobody of the type, percent 0", "PersonSuffered(10,0)", "PersonSuffered", nullptr, true},
        {"nobody of the type, percent 50", "PersonSuffered(10,50)", "PersonSuffered", nullptr, false},
        {"listed with 0 hp", "PersonSuffered(10,0)", "PersonSuffered", [](F& t) { Hp(t, 10, 0); }, true},
        {"defeated of a type", "ForceSuffered(0,10,2)", "ForceSuffered",
         [](F& t) {
             t.field->m_UnitList.AddDefeated(0, 10);
             t.field->m_UnitList.AddDefeated(0, 10);
         },
         true},
        {"too few defeated", "ForceSuffered(0,10,2)", "ForceSuffered",
         [](F& t) { t.field->m_UnitList.AddDefeated(0, 10); }, false},
        {"other side's defeated", "ForceSuffered(1,10,1)", "ForceSuffered",
         [](F& t) { t.field->m_UnitList.AddDefeated(0, 10); }, false},
        {"defeated total", "ForceSuffered(0,0,3)", "ForceSuffered",
         [](F& t) {
             t.field->m_UnitList.AddDefeated(0, 10);
             t.field->m_UnitList.AddDefeated(0, 11);
             t.field->m_UnitList.AddDefeated(0, 11);
         },
         true},
        {"defeated heroes", "ForceSuffered(1,-1,1)", "ForceSuffered",
         [](F& t) {
             t.field->m_UnitList.AddDefeated(1, 10);
             t.field->m_UnitList.AddDefeated(1, 2);
         },
         true},
        {"no defeated heroes", "ForceSuffered(1,-1,1)", "ForceSuffered",
         [](F& t) { t.field->m_UnitList.AddDefeated(1, 10); }, false},
        {"no enemy left", "ForceSuffered(0,-3,0)", "ForceSuffered", [](F& t) { t.AddUnit(1, 1, 1, true); }, true},
        {"an enemy left", "ForceSuffered(0,-3,0)", "ForceSuffered", [](F& t) { t.AddUnit(10, 1, 1, false); }, false},
        {"one friendly hero unit at most", "ForceSuffered(1,-2,1)", "ForceSuffered",
         [](F& t) {
             t.AddUnit(1, 1, 1, true);
             t.AddUnit(10, 2, 2, true);
         },
         true},
        {"two friendly hero units", "ForceSuffered(1,-2,1)", "ForceSuffered",
         [](F& t) {
             t.AddUnit(1, 1, 1, true);
             t.AddUnit(2, 2, 2, true);
         },
         false},
        {"unknown whom", "ForceSuffered(0,-4,0)", "ForceSuffered", nullptr, false},
        {"within the turns", "ForceSufferedAt(0,0,0,2,3)", "ForceSufferedAt", [](F& t) { Turn(t, 2, true); }, true},
        {"before the first turn", "ForceSufferedAt(0,0,0,2,3)", "ForceSufferedAt", [](F& t) { Turn(t, 1, true); },
         false},
        {"after the last turn", "ForceSufferedAt(0,0,0,2,3)", "ForceSufferedAt", [](F& t) { Turn(t, 4, true); },
         false},
        {"open turns", "ForceSufferedAt(0,0,0,-1,-1)", "ForceSufferedAt", [](F& t) { Turn(t, 40, true); }, true},
        {"open turns, count not reached", "ForceSufferedAt(0,0,1,-1,-1)", "ForceSufferedAt", nullptr, false},
        {"value equal", "Value(0,3,5)", "Value", [](F& t) { t.field->EventValue[3] = 5; }, true},
        {"value not equal", "Value(0,3,5)", "Value", [](F& t) { t.field->EventValue[3] = 6; }, false},
        {"value at least", "Value(1,3,5)", "Value", [](F& t) { t.field->EventValue[3] = 6; }, true},
        {"value below", "Value(1,3,5)", "Value", [](F& t) { t.field->EventValue[3] = 4; }, false},
        {"value at most", "Value(2,3,5)", "Value", [](F& t) { t.field->EventValue[3] = 4; }, true},
        {"unknown comparison", "Value(3,3,5)", "Value", [](F& t) { t.field->EventValue[3] = 5; }, false},
        {"value index outside", "Value(0,50,0)", "Value", nullptr, false},
        {"won", "Won()", "Won", nullptr, true},
        {"lost", "Lost()", "Lost", nullptr, true},
        {"tutorial of the preparation", "IMTutorial()", "IMTutorial", nullptr, true},
        {"detected", "Detected()", "Detected", nullptr, true},
        {"field initialize", "FieldInitialize()", "FieldInitialize", nullptr, true},
        {"main never on the field", "Main()", "Main", nullptr, false},
        {"flag never", "Flag()", "Flag", nullptr, false},
        {"unknown event", "Detected()", "Nothing", nullptr, false},
        {"too few trigger arguments", "UnitPosition(-1,0,0)", "UnitPosition",
         [](F& t) { t.AddUnit(1, 0, 0, true); }, false},
    };
    for (const TriggerCase& c : cases) Check(c);
}

TEST_F(FieldEventTest, SectionsOfOneEventRunInFileOrderOneStepPerCall) {
    Load({"Script PhaseStart(0,3)", "PlusMoney(1)", "PlusMoney(10)", "end", "Script Won()", "PlusMoney(1000)", "end",
          "Script PhaseStart(0,3)", "PlusMoney(100)", "end"});
    field->m_nTurn = 3;
    // The first command runs in the call that finds its section.
    EXPECT_EQ(Step("PhaseStart"), 0);
    EXPECT_EQ(party.nMoney, 1);
    EXPECT_FALSE(field->EventHandlerFlag[0]);
    EXPECT_EQ(Step("PhaseStart"), 0);
    EXPECT_EQ(party.nMoney, 11);
    EXPECT_TRUE(field->EventHandlerFlag[0]);
    EXPECT_EQ(Step("PhaseStart"), 0);
    EXPECT_EQ(party.nMoney, 111);
    EXPECT_TRUE(field->EventHandlerFlag[2]);
    // Over one call after the last section ended.
    EXPECT_EQ(Step("PhaseStart"), 1);
    EXPECT_FALSE(field->EventHandlerFlag[1]);
    EXPECT_EQ(party.nMoney, 111);
}

TEST_F(FieldEventTest, SectionsFireOncePerFieldAlsoAfterASaveAndALoad) {
    const std::vector<std::string> lines = {"Script PhaseStart(0,1)", "PlusMoney(1)", "end", "Script PhaseStart(0,1)",
                                            "Message()", "/", "text", "/", "PlusMoney(10)", "end"};
    Load(lines);
    // The second section waits for a push: only the first one fires.
    for (int i = 0; i < 5; ++i) Step("PhaseStart");
    EXPECT_EQ(party.nMoney, 1);
    EXPECT_TRUE(field->EventHandlerFlag[0]);
    EXPECT_FALSE(field->EventHandlerFlag[1]);

    // Saved here and loaded into a new field: the fired one stays fired, the other runs.
    CStringMap saved = field->Save();
    NewField();
    field->Load(saved);
    Load(lines);
    input.push = true;
    Run("PhaseStart");
    EXPECT_EQ(party.nMoney, 11);
    EXPECT_TRUE(field->EventHandlerFlag[1]);

    // A new event task finds nothing left.
    Load(lines);
    EXPECT_EQ(Step("PhaseStart"), 1);
    EXPECT_EQ(party.nMoney, 11);
}

TEST_F(FieldEventTest, WinRunsTheWonSectionNextAndWinsTheMapOnce) {
    Load({"Script ForceSuffered(0,-3,0)", "PlusMoney(1)", "Win()", "PlusMoney(1000)", "end",
          "Script ForceSuffered(0,-3,0)", "PlusMoney(2)", "end", "Script Won()", "PlusMoney(5)", "end"});
    party.nMap = 2;
    EXPECT_EQ(Step("ForceSuffered"), 0);  // PlusMoney(1)
    EXPECT_EQ(Step("ForceSuffered"), 0);  // Win: the section counts as run
    EXPECT_TRUE(field->EventHandlerFlag[0]);
    EXPECT_TRUE(script->IsEventPending());
    EXPECT_EQ(field->m_nExitState, 0);
    EXPECT_EQ(Step("ForceSuffered"), 0);  // the "Won" section, in the next call
    EXPECT_EQ(field->m_nExitState, 1);
    EXPECT_EQ(party.nMap, 3);
    EXPECT_EQ(party.nMoney, 1 + 5 + CPartyData::GetMapClearBonus(3));
    // The other section of the event still runs; the map is not won a second time.
    const int money = party.nMoney;
    Run("ForceSuffered");
    EXPECT_EQ(party.nMoney, money + 2);
    EXPECT_EQ(party.nMap, 3);
    EXPECT_EQ(field->m_nExitState, 1);
}

TEST_F(FieldEventTest, LoseLosesTheMapAndAWonAfterTheEndChangesNothing) {
    Load({"Script ForceSuffered(1,-2,0)", "Lose()", "end", "Script Lost()", "PlusMoney(5)", "end",
          "Script PhaseStart(0,1)", "Win()", "end", "Script Won()", "PlusMoney(7)", "end"});
    Run("ForceSuffered");
    EXPECT_EQ(field->m_nExitState, 2);
    EXPECT_EQ(party.nMoney, 5);
    EXPECT_EQ(party.nMap, 0);
    Load({"Script ForceSuffered(1,-2,0)", "Lose()", "end", "Script Lost()", "PlusMoney(5)", "end",
          "Script PhaseStart(0,1)", "Win()", "end", "Script Won()", "PlusMoney(7)", "end"});
    Run("PhaseStart");
    EXPECT_EQ(party.nMoney, 12);
    EXPECT_EQ(field->m_nExitState, 2);
    EXPECT_EQ(party.nMap, 0);
}

TEST_F(FieldEventTest, WinWithoutWonSectionEndsTheEventAndTheFieldGoesOn) {
    Load({"Script Detected()", "Win()", "end"});
    EXPECT_EQ(Run("Detected"), 2);
    EXPECT_EQ(field->m_nExitState, 0);
    EXPECT_EQ(party.nMap, 0);
}

TEST_F(FieldEventTest, GameEndInAWonSectionEndsTheGameWithoutAdvancing) {
    Load({"Script Detected()", "Win()", "end", "Script Won()", "GameEnd()", "end"});
    Run("Detected");
    EXPECT_EQ(field->m_nExitState, 5);
    EXPECT_EQ(party.nMap, 0);
    EXPECT_EQ(script->GetPendingEventName(), "");
}

TEST_F(FieldEventTest, SetValueRaisesValueWithinTheSameEvent) {
    Load({"Script PhaseStart(0,1)", "SetValue(2,4,3)", "end", "Script Value(0,4,8)", "PlusMoney(100)", "end",
          "Script Value(0,4,7)", "PlusMoney(1)", "end"});
    field->EventValue[4] = 10;
    EXPECT_EQ(Run("PhaseStart"), 3);
    EXPECT_EQ(field->EventValue[4], 7);
    EXPECT_EQ(party.nMoney, 1);
    EXPECT_TRUE(field->EventHandlerFlag[0]);
    EXPECT_FALSE(field->EventHandlerFlag[1]);
    EXPECT_TRUE(field->EventHandlerFlag[2]);
}

TEST_F(FieldEventTest, SetValueBeforeTheEndAbandonsTheRestOfItsSection) {
    Load({"Script PhaseStart(0,1)", "SetValue(1,0,1)", "PlusMoney(100)", "end", "Script Value(1,0,2)",
          "PlusMoney(1)", "end"});
    // No "Value" section holds at 1: the event ends; the section is not marked.
    Run("PhaseStart");
    EXPECT_EQ(field->EventValue[0], 1);
    EXPECT_EQ(party.nMoney, 0);
    EXPECT_FALSE(field->EventHandlerFlag[0]);
    // The next event runs it again from the top: the value reaches 2 and the "Value"
    // section runs; the unmarked section is then found again in the same event and
    // raises the value once more, with no "Value" section left to hold.
    Load({"Script PhaseStart(0,1)", "SetValue(1,0,1)", "PlusMoney(100)", "end", "Script Value(1,0,2)",
          "PlusMoney(1)", "end"});
    Run("PhaseStart");
    EXPECT_EQ(field->EventValue[0], 3);
    EXPECT_EQ(party.nMoney, 1);
    EXPECT_TRUE(field->EventHandlerFlag[1]);
}

TEST_F(FieldEventTest, SectionWithoutCommandsCountsAsRun) {
    Load({"Script Detected()end", "Script Detected()", "PlusMoney(3)", "end"});
    Run("Detected");
    EXPECT_TRUE(field->EventHandlerFlag[0]);
    EXPECT_EQ(party.nMoney, 3);
}

TEST_F(FieldEventTest, SectionsBeyondTheFlagsAreNeverRunAndLogged) {
    std::vector<std::string> lines;
    for (int i = 0; i < 201; ++i) {
        lines.push_back("Script Detected()");
        lines.push_back("PlusMoney(1)");
        lines.push_back("end");
    }
    Load(lines);
    Run("Detected", 1000);
    EXPECT_EQ(party.nMoney, 200);
    EXPECT_NE(log.All().find("200"), std::string::npos);
}

TEST_F(FieldEventTest, FinishedSectionFocusesTheKeyUnitUnlessTheViewWasMoved) {
    AddUnit(1, 6, 7, true);
    Load({"Script Detected()", "PlusMoney(1)", "end"});
    Run("Detected");
    const float keyX = field->m_fCameraX, keyY = field->m_fCameraY;
    EXPECT_TRUE(keyX != 0.0f || keyY != 0.0f);

    // A glide started by the last command reaches its end point before the event ends.
    field->m_fCameraX = field->m_fCameraY = 0;
    field->EventHandlerFlag[0] = false;
    Load({"Script PhaseStart(0,1)", "MapViewMove(2,3)", "end"});
    EXPECT_EQ(Run("PhaseStart"), 31);
    EXPECT_FLOAT_EQ(field->m_fCameraX, 2.0f);
    EXPECT_FLOAT_EQ(field->m_fCameraY, 3.0f);
}

TEST_F(FieldEventTest, ViewGlidesOverThirtyCallsAndSkipJumps) {
    Load({"Script Detected()", "MapViewMove(10,4)", "Message()", "/", "x", "/", "end"});
    Step("Detected");
    EXPECT_FLOAT_EQ(field->m_fCameraX, 10.0f / 30);
    EXPECT_FLOAT_EQ(field->m_fCameraY, 4.0f / 30);
    for (int i = 1; i < 15; ++i) Step("Detected");
    EXPECT_FLOAT_EQ(field->m_fCameraX, 5.0f);
    EXPECT_FLOAT_EQ(field->m_fCameraY, 2.0f);
    for (int i = 15; i < 40; ++i) Step("Detected");
    EXPECT_FLOAT_EQ(field->m_fCameraX, 10.0f);
    EXPECT_FLOAT_EQ(field->m_fCameraY, 4.0f);

    Load({"Script Detected()", "MapViewMove(0,0)", "Message()", "/", "x", "/", "end"});
    Step("Detected");
    input.held.insert(11);
    Step("Detected");
    EXPECT_FLOAT_EQ(field->m_fCameraX, 0.0f);
    EXPECT_TRUE(script->IsSkipHeld());
}

TEST_F(FieldEventTest, ScriptReadsTheTutorialInputWhileItIsSwitchedOn) {
    Load({"Script Detected()", "Message()", "/", "x", "/", "PlusMoney(1)", "end"});
    input.push = true;
    field->m_bTutorialInput = true;
    for (int i = 0; i < 4; ++i) Step("Detected");
    EXPECT_EQ(party.nMoney, 0);
    field->m_TutorialInput.SetState(0, 0, 1, 0);
    Step("Detected");
    Step("Detected");
    EXPECT_EQ(party.nMoney, 1);
}

// The click that ends a move raises the event in the same frame, so the event's first
// call sees it: the line it opens was not yet on screen and stays; a later click takes
// it away.  The same holds for the briefing screen.
TEST_F(FieldEventTest, TheClickThatRaisesAnEventLeavesItsFirstLineOnScreen) {
    struct Case {
        const char* command;
        bool (C_ScenarioScript::*shown)() const;
    };
    const Case cases[] = {{"Message()", &C_ScenarioScript::IsMessageShown},
                          {"Serif(1)", &C_ScenarioScript::IsSerifShown},
                          {"Place()", &C_ScenarioScript::IsPlaceShown},
                          {"MissionArgue(0)", &C_ScenarioScript::IsMissionArgueShown}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        field->EventHandlerFlag[0] = false;
        party.nMoney = 0;
        Load({"Script UnitPosition(-1,0,0,9,9)", c.command, "/", "一行目", "/", "PlusMoney(1)", "end"});
        AddUnit(1, 3, 3, true);
        input.push = true;
        EXPECT_EQ(Step("UnitPosition"), 0);
        input.push = false;
        for (int i = 0; i < 5; ++i) Step("UnitPosition");
        EXPECT_TRUE((*script.*c.shown)());
        EXPECT_EQ(party.nMoney, 0);
        input.push = true;
        Step("UnitPosition");
        input.push = false;
        Step("UnitPosition");
        EXPECT_EQ(party.nMoney, 1);
    }
}

TEST_F(FieldEventTest, FieldInitializeNeverWaits) {
    Load({"Script FieldInitialize()", "Message()", "/", "x", "/", "Wait(500)", "GameOver()", "MissionArgue(0,\"a\")",
          "TutorialWait(90)", "MapViewMove(5,5)", "PlusMoney(1)", "end"});
    EXPECT_EQ(Run("FieldInitialize"), 8);
    EXPECT_EQ(party.nMoney, 1);
    EXPECT_FLOAT_EQ(field->m_fCameraX, 5.0f);
}

TEST_F(FieldEventTest, RunFieldInitializeClearsItsFlagsAndStopsAtThePassLimit) {
    Write("script/chapter07.txt", Crlf({"Script FieldInitialize()", "PlusMoney(1)", "PlusMoney(1)", "end",
                                         "Script Detected()", "PlusMoney(100)", "end"}));
    field->EventHandlerFlag[0] = true;
    field->EventHandlerFlag[1] = true;
    EXPECT_EQ(RunFieldInitialize(*field, 7, false), 3);
    EXPECT_EQ(party.nMoney, 2);
    EXPECT_TRUE(field->EventHandlerFlag[0]);
    EXPECT_TRUE(field->EventHandlerFlag[1]);  // other triggers keep their flags

    EXPECT_EQ(RunFieldInitialize(*field, 7, false, 1), 1);
    EXPECT_EQ(party.nMoney, 3);
    EXPECT_NE(log.All().find("chapter07.txt"), std::string::npos);
}

TEST_F(FieldEventTest, RunFieldInitializeOfAMissingChapterEndsAtOnce) {
    EXPECT_EQ(RunFieldInitialize(*field, 42, false), 1);
    EXPECT_NE(log.All().find("chapter42.txt"), std::string::npos);
}

}  // namespace
}  // namespace fieldtest
