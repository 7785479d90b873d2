// The field sections of the game's chapters, as the build lays them out: together they
// use every field trigger and every field command, their headers carry the arguments
// their triggers test, and each chapter's map plays through its events on its own map
// data (initialised, the sortie brought on, won and lost) without an error line.
// Chapter three is won at its gate only while the gate stands open, the lines said on a
// map come from someone sure to be on it, and every hero who joins the party has a price.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FieldEvent.h"
#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "PersonData.h"
#include "ScenarioScript.h"
#include "golden.h"
#include "input/gvlInputManager.h"
#include "paths.h"
#include "sortie/SortieRules.h"
#include "sortie/TaskLocateUnit.h"
#include "task/TaskController.h"

namespace {

const std::string kGame = VORMANT_GAME_DIR;
const char* const kChapters[] = {"chapter00.txt", "chapter01.txt", "chapter02.txt", "chapter03.txt"};

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

class PushEveryFrame : public IInputManager {
public:
    void Update() override {}
    bool IsLButtonDown() override { return true; }
    bool IsRButtonDown() override { return false; }
    bool IsMButtonDown() override { return false; }
    bool IsLButtonPush() override { return true; }
    bool IsRButtonPush() override { return false; }
    bool IsMButtonPush() override { return false; }
    int GetX() override { return 0; }
    int GetY() override { return 0; }
    void GetXY(int* x, int* y) override { *x = *y = 0; }
    bool IsPush(int) override { return false; }
    bool IsPress(int) override { return false; }
    IKeyBase* GetKey() override { return nullptr; }
    CFixMouseIDP* GetMouse() override { return nullptr; }
};

// Header integers each field trigger reads (0 for those without a test).
size_t ArgsOf(int trigger) {
    switch (trigger) {
        case kTriggerPhaseStart:
        case kTriggerFirstFight:
        case kTriggerPersonSuffered:
            return 2;
        case kTriggerForceSuffered:
        case kTriggerValue:
            return 3;
        case kTriggerForceSufferedAt:
        case kTriggerUnitPosition:
            return 5;
        default:
            return 0;
    }
}

class GameFieldScripts : public ::testing::Test {
protected:
    void SetUp() override {
        if (!plat::FileExists(kGame + "/script/chapter00.txt")) GTEST_SKIP() << "game folder not built";
        // The game's folders, seen from a folder of the test's own (the log goes there).
        for (const char* sub : {"map", "script", "gamedata"})
            std::filesystem::create_directory_symlink(kGame + "/" + sub, dir_.path() + sub);
        cd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
        CPersonTypeTable::Clear();
        CPersonTypeTable::LoadCsv();
    }
    void TearDown() override {
        CPersonTypeTable::Clear();
        cd_.reset();
    }
    // Log lines other than those of tasks the field does not have yet.
    std::vector<std::string> ErrorLines() const {
        std::vector<std::string> out;
        std::ifstream f(dir_.path() + "ErrorLog.txt", std::ios::binary);
        std::string line;
        while (std::getline(f, line))
            if (line.find("StartTutorial:") == std::string::npos &&
                line.find("TutorialCallCursol:") == std::string::npos)
                out.push_back(line);
        return out;
    }

    // A field of the chapter's map, after its "FieldInitialize".
    void StartField(int chapter) {
        party = CPartyData();
        party.Reset();
        party.nMap = chapter;
        party.AddHero(1, 1);
        party.AddHero(2, 1);
        field = std::make_unique<C_FieldTaskInfo>();
        field->SetInputManager(&input);
        field->m_pPartyData = &party;
        field->m_pTaskController = &controller;
        ASSERT_TRUE(field->m_MapData.LoadMapCsv(chapter));
        field->Reset();
        RunFieldInitialize(*field, chapter, false);
    }
    // Runs an event to its end as its event task would (one call a frame).
    void Raise(int chapter, const std::string& event) {
        C_ScenarioScript s;
        s.LoadChapter(chapter);
        int frames = 0;
        while (s.UpdateFieldEvent(event, field.get()) == 0 && frames < 20000) ++frames;
        EXPECT_LT(frames, 20000) << event;
    }

    // Every unit of one side falls (the player's: only those led by a hero).
    void Fall(bool playerSide) {
        CUnitList& units = field->m_UnitList;
        for (int u = units.GetCount() - 1; u >= 0; --u) {
            if (units.IsFriend(u) != playerSide || (playerSide && !units.IsHero(u))) continue;
            for (int j = 0; j < units.GetMemberCount(u); ++j) units.AddDefeated(playerSide ? 1 : 0, units.GetMemberTypeID(u, j));
            units.RemoveUnit(u);
        }
    }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
    PushEveryFrame input;
    CPartyData party;
    C_TaskController controller;
    std::unique_ptr<C_FieldTaskInfo> field;
};

TEST_F(GameFieldScripts, TogetherUseEveryFieldTriggerAndCommand) {
    std::set<int> triggers, commands;
    for (const char* name : kChapters) {
        C_ScenarioScript s;
        s.Parse(ReadAll(kGame + "/script/" + name), name);
        EXPECT_EQ(s.GetParseErrorCount(), 0) << name;
        EXPECT_LE(s.GetSections().size(), 200u) << name;
        for (const ScriptSection& sec : s.GetSections()) {
            if (sec.nTriggerID == kTriggerMain) continue;
            triggers.insert(sec.nTriggerID);
            EXPECT_EQ(sec.vTriggerArgs.size(), ArgsOf(sec.nTriggerID)) << name << "(" << sec.nLine << ")";
            for (const ScriptCommand& c : sec.vCommands) commands.insert(c.nCommandID);
        }
    }
    for (int t : {2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14}) EXPECT_TRUE(triggers.count(t)) << "trigger " << t;
    std::vector<int> wanted = {18, 19};
    for (int id = 37; id <= 47; ++id) wanted.push_back(id);
    for (int id = 49; id <= 61; ++id) wanted.push_back(id);
    for (int id = 63; id <= 71; ++id) wanted.push_back(id);
    for (int id : wanted) EXPECT_TRUE(commands.count(id)) << "command " << id;
}

TEST_F(GameFieldScripts, EachMapInitialisesOnItsOwnCells) {
    for (int chapter : {0, 1, 2, 3}) {
        SCOPED_TRACE(chapter);
        StartField(chapter);
        const CMapData& m = field->m_MapData;
        EXPECT_GE(m.GetSortiePositionCount(), 2);
        for (const CSortiePosition& p : m.m_vnSortiePos) EXPECT_TRUE(m.IsPassable(p.x, p.y)) << p.x << "," << p.y;
        int enemies = 0;
        for (int u = 0; u < field->m_UnitList.GetCount(); ++u) {
            EXPECT_TRUE(m.IsPassable(field->m_UnitList.GetX(u), field->m_UnitList.GetY(u))) << "unit " << u;
            enemies += !field->m_UnitList.IsFriend(u);
        }
        // Chapter two's garrison comes from its mission tables; its script adds the scouts.
        EXPECT_GE(enemies, chapter == 2 ? 1 : 2);
        for (int r = 0; r < m.GetAnabasisRouteCount(); ++r)
            for (int k = 0; k < m.GetAnabasisRouteSize(r); ++k)
                EXPECT_TRUE(m.IsValidCell(m.GetAnabasisRoutePoint(r, k).x, m.GetAnabasisRoutePoint(r, k).y));
        EXPECT_FALSE(m.GetMissionName(0).empty());
        EXPECT_FALSE(m.OperationMessage.empty());
        EXPECT_GT(m.m_nMaxHero, 0);
    }
    EXPECT_EQ(ErrorLines(), std::vector<std::string>());
}

// Chapter three's map reaches the preparation's rules of the later maps: six points,
// a range of heroes, one kept back, and a cost limit that holds the four other heroes
// and four one-soldier troops, the eight cards of one point.
TEST_F(GameFieldScripts, ChapterThreeReachesEveryPreparationRule) {
    StartField(3);
    const CMapData& m = field->m_MapData;
    EXPECT_EQ(m.GetSortiePositionCount(), 6);
    EXPECT_EQ(m.m_nMinHero, 2);
    EXPECT_EQ(m.m_nMaxHero, 4);
    EXPECT_EQ(field->m_vBannedHero, std::vector<int32_t>{31});
    int cost = 0;
    for (int type : {5, 2, 3, 4, 10, 10, 10, 10}) cost += CPersonTypeTable::Get(type).LocateCost;
    EXPECT_LE(cost, m.m_nLocateCost);
    EXPECT_EQ(ErrorLines(), std::vector<std::string>());
}

TEST_F(GameFieldScripts, EachMapPlaysFromTheSortieToItsEnd) {
    for (int chapter : {0, 1, 2, 3}) {
        SCOPED_TRACE(chapter);
        // Won: the preparation put the heroes on the first point; the first phase
        // brings them on; every enemy falls.
        StartField(chapter);
        field->m_MapData.m_vnSortiePos[0].m_vHero = {SortieHeroEntry{1, 1}, SortieHeroEntry{2, 1}};
        const int before = field->m_UnitList.GetCount();
        field->m_nTurn = 1;
        field->m_bPlayerPhase = true;
        Raise(chapter, "PhaseStart");
        ASSERT_EQ(field->m_UnitList.GetCount(), before + 2);
        EXPECT_TRUE(field->m_UnitList.IsFriend(before));
        EXPECT_EQ(field->m_UnitList.GetMemberTypeID(before, 0), 1);
        field->m_bPlayerPhase = false;
        Raise(chapter, "PhaseStart");
        for (int turn = 2; turn <= 3; ++turn) {
            field->m_nTurn = turn;
            for (bool player : {true, false}) {
                field->m_bPlayerPhase = player;
                Raise(chapter, "PhaseStart");
            }
        }
        Fall(false);
        Raise(chapter, "ForceSuffered");
        EXPECT_EQ(field->m_nExitState, chapter == 3 ? 5 : 1);
        EXPECT_EQ(party.nMap, chapter == 3 ? 3 : chapter + 1);  // the last chapter ends the game without advancing

        // Lost: the heroes fall before any enemy.
        StartField(chapter);
        Fall(true);
        Raise(chapter, "ForceSuffered");
        EXPECT_EQ(field->m_nExitState, 2);
        EXPECT_EQ(party.nMap, chapter);
    }
    EXPECT_EQ(ErrorLines(), std::vector<std::string>());
}

// A friendly hero on a cell by the gate in the player's phase of a turn, then the
// unit-selection event that follows every action.  The gate (11, 4) and (12, 4) stands
// open on the first two turns and is wall from the third; the towers (10, 4) and
// (13, 4) beside it stay passable.
TEST_F(GameFieldScripts, ChapterThreeIsWonAtTheGateOnlyWhileItIsOpen) {
    const struct {
        int x, y, turn;
        bool wins;
    } steps[] = {{11, 4, 2, true},  {12, 4, 1, true},  {10, 4, 2, false}, {13, 4, 2, false},
                 {10, 4, 3, false}, {13, 4, 3, false}, {10, 3, 3, false}, {12, 3, 3, false}};
    for (const auto& s : steps) {
        SCOPED_TRACE(::testing::Message() << "(" << s.x << ", " << s.y << ") on turn " << s.turn);
        StartField(3);
        for (int t = 1; t <= s.turn; ++t)
            for (bool player : {true, false})
                if (t < s.turn || player) {
                    field->m_nTurn = t;
                    field->m_bPlayerPhase = player;
                    Raise(3, "PhaseStart");
                }
        EXPECT_TRUE(field->m_MapData.IsPassable(s.x, s.y));
        EXPECT_EQ(field->m_MapData.IsPassable(11, 4), s.turn < 3);
        field->m_UnitList.AddUnitAt(field->m_PersonList.AddPerson(PersonRecord::CreateFromType(5, 5, 1, 1, 1, 0)), s.x,
                                    s.y);
        Raise(3, "UnitPosition");
        EXPECT_EQ(field->m_nExitState, s.wins ? 5 : 0);  // the win runs on to the game's end
    }
}

// A line said while a map is played comes from someone sure to be on it: the face of
// a person of the map as its preparation opens (those "FieldInitialize" places and the
// mission's own units), of a hero the story binds to a sortie point
// ("HeroForcedPosition" in "Main" or "FieldInitialize", after their last
// "HeroForcedPosReset"), or of a person that "CreateUnit" brings on earlier in the same
// section or in an earlier section of the same event (they run one after the other).
// A hero the player may leave out of the sortie says nothing there: chapter two's calls
// of Mina's, said whether she was sortied or not, broke this.  "Won" and "Lost" are
// played after the map, as a story.
TEST_F(GameFieldScripts, LinesOnTheFieldComeFromSomeoneOnIt) {
    for (int chapter : {0, 1, 2, 3}) {
        SCOPED_TRACE(chapter);
        StartField(chapter);
        C_TaskLocateUnit::LoadMissionUnits(field.get());
        std::set<int> faces;
        for (int u = 0; u < field->m_UnitList.GetCount(); ++u)
            for (int j = 0; j < field->m_UnitList.GetMemberCount(u); ++j)
                faces.insert(CPersonTypeTable::Get(field->m_UnitList.GetMemberTypeID(u, j)).face);
        C_ScenarioScript s;
        const std::string name = kChapters[chapter];
        s.Parse(ReadAll(kGame + "/script/" + name), name);
        std::set<int> bound;
        for (int trigger : {kTriggerMain, kTriggerFieldInitialize})
            for (const ScriptSection& sec : s.GetSections())
                if (sec.nTriggerID == trigger)
                    for (const ScriptCommand& c : sec.vCommands) {
                        if (c.nCommandID == kCmdHeroForcedPosReset) bound.clear();
                        if (c.nCommandID == kCmdHeroForcedPosition) bound.insert(c.Int(0));
                    }
        for (int type : bound) faces.insert(CPersonTypeTable::Get(type).face);
        int lines = 0;
        std::map<std::pair<int, std::vector<int32_t>>, std::set<int>> broughtOn;  // by event
        for (const ScriptSection& sec : s.GetSections()) {
            if (sec.nTriggerID == kTriggerMain || sec.nTriggerID == kTriggerWon || sec.nTriggerID == kTriggerLost ||
                sec.nTriggerID == kTriggerIMTutorial)
                continue;
            std::set<int>& created = broughtOn[{sec.nTriggerID, sec.vTriggerArgs}];
            for (const ScriptCommand& c : sec.vCommands) {
                if (c.nCommandID == kCmdCreateUnit)
                    for (size_t k = 4; k < 11; k += 2)
                        if (c.Int(k) != -1 && c.Int(k - 1) != -1) created.insert(CPersonTypeTable::Get(c.Int(k)).face);
                if (c.nCommandID != kCmdSerif || c.Int(0) == 999) continue;
                ++lines;
                EXPECT_TRUE(faces.count(c.Int(0)) || created.count(c.Int(0)))
                    << name << "(" << c.nLine << "): Serif(" << c.Int(0) << ")";
            }
        }
        EXPECT_GT(lines, 0);
    }
    EXPECT_EQ(ErrorLines(), std::vector<std::string>());
}

// Every hero the chapters bring into the party (and the one Leon becomes) costs
// something to sortie and to strengthen below the highest level.
TEST_F(GameFieldScripts, NoHeroOfThePartyIsPricedZero) {
    std::vector<int> heroes;
    for (const char* name : kChapters) {
        C_ScenarioScript s;
        s.Parse(ReadAll(kGame + "/script/" + name), name);
        for (const ScriptSection& sec : s.GetSections())
            for (const ScriptCommand& c : sec.vCommands) {
                if (c.nCommandID == 37) heroes.push_back(c.vInt.at(0));  // AddHero
                if (c.nCommandID == 53) heroes.push_back(c.vInt.at(1));  // ChangeHero
            }
    }
    EXPECT_EQ(heroes.size(), 6u);
    for (int type : heroes) {
        EXPECT_GT(sortie::LocateCostOf(type), 0) << type;
        for (int level = 1; level < sortie::kMaxLevel; ++level) EXPECT_GT(sortie::LevelUpCost(type, level), 0) << type;
    }
}

}  // namespace
