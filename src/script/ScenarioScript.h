#pragma once
// The scenario script interpreter.  One object holds one parsed script file (sections
// opened by a named trigger, each a list of commands with integer and string
// arguments), the keyword tables that turn names into ids, the cursors of the section
// and command being run, and the display state (windows, pictures, background,
// strategy map, full-screen pictures) that the commands change and the draw passes
// read.  The owner calls one runner once per frame in its update and Draw once per
// frame in its draw.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "resources/GlobalResources.h"
#include "util/smart_ptr.h"

class IInputManager;
class CPartyData;
class IScriptDifficultyMenu;
class C_FieldTaskInfo;

// Trigger ids.
enum ScriptTriggerId : int32_t {
    kTriggerMain = 1,
    kTriggerFieldInitialize = 2,
    kTriggerPhaseStart = 3,
    kTriggerFirstFight = 4,
    kTriggerPersonSuffered = 5,
    kTriggerForceSuffered = 6,
    kTriggerForceSufferedAt = 7,
    kTriggerUnitPosition = 8,
    kTriggerFlag = 9,
    kTriggerValue = 10,
    kTriggerWon = 11,
    kTriggerLost = 12,
    kTriggerIMTutorial = 13,
    kTriggerDetected = 14,
};

// Command ids (several names may share one id; 0 is a name without any handler).
enum ScriptCommandId : int32_t {
    kCmdNone = 0,
    kCmdMessage = 1,
    kCmdMessageErase = 2,
    kCmdSerif = 3,
    kCmdSerifErase = 4,
    kCmdPlace = 5,
    kCmdPlaceErase = 6,
    kCmdStrMapOn = 7,
    kCmdStrMapOff = 8,
    kCmdStrategyMap = 9,
    kCmdStrMapBaseLoad = 10,
    kCmdStrMapMove = 12,
    kCmdMakeForcesField = 13,
    kCmdForcesFieldAlpha = 14,
    kCmdDeleteForcesField = 15,
    kCmdBGM = 16,
    kCmdSound = 17,
    kCmdGameOver = 18,
    kCmdGameEnd = 19,
    kCmdFlag = 20,
    kCmdNextStage = 21,
    kCmdBackGround = 22,
    kCmdSoundEffect = 24,  // no name reaches it
    kCmdWait = 25,
    kCmdFadeIn = 26,
    kCmdFadeOut = 27,
    kCmdChapterTitleTerop = 28,
    kCmdSetPicture = 29,
    kCmdMovePicture = 30,
    kCmdErasePicture = 31,
    kCmdSetMarker = 32,
    kCmdMoveMarker = 33,
    kCmdEraseMarker = 34,
    kCmdSelectDifficulty = 35,
    kCmdToBeContinued = 36,
    kCmdAddHero = 37,
    kCmdPlusMoney = 38,
    kCmdHeroForcedPosition = 39,
    kCmdHeroForcedPosReset = 40,
    kCmdCursolMove = 41,
    kCmdWin = 42,
    kCmdLose = 43,
    kCmdSysBGMSet = 44,
    kCmdCreateUnit = 45,
    kCmdSetForces = 46,
    kCmdBlackScreen = 47,
    kCmdOperationMessage = 49,
    kCmdMissionName = 50,
    kCmdAppear = 51,
    kCmdAddStartPoint = 52,
    kCmdChangeHero = 53,
    kCmdSetLocateCost = 54,
    kCmdSetValue = 55,
    kCmdGeoChange = 56,
    kCmdSetMaxHero = 57,
    kCmdSetMinHero = 58,
    kCmdTroopCanUse = 59,
    kCmdAddTargetPos = 60,
    kCmdDeleteUnit = 61,
    kCmdInterMission = 62,
    kCmdMapViewMove = 63,
    kCmdMapViewToUnit = 64,
    kCmdMissionArgue = 65,
    kCmdBannedHero = 66,
    kCmdStartTutorial = 67,
    kCmdEndTutorial = 68,
    kCmdTutorialSetInput = 69,
    kCmdTutorialCallCursol = 70,
    kCmdTutorialSetCharge = 71,
    kCmdTutorialWait = 72,
    kCmdSubAppear = 73,
    kCmdRVTLogo = 74,
};

// One command of a section.  Integers and strings are numbered separately; the
// strings are the quoted arguments followed by the lines of the command's text block.
struct ScriptCommand {
    int32_t nCommandID = 0;
    std::vector<int32_t> vInt;
    std::vector<std::string> vString;
    // Where the command stands, for error lines.
    int32_t nLine = 0;

    // The k-th integer / string, 0 or empty when the command has fewer.
    int32_t Int(size_t k) const { return k < vInt.size() ? vInt[k] : 0; }
    std::string Str(size_t k) const { return k < vString.size() ? vString[k] : std::string(); }
};

// One section: a trigger with its integer arguments and its commands.
struct ScriptSection {
    int32_t nTriggerID = 0;
    std::vector<int32_t> vTriggerArgs;
    std::vector<ScriptCommand> vCommands;
    // The file the section came from, for error lines.
    std::string strFile;
    int32_t nLine = 0;
};

// A picture of the script: a texture placed by its centre, scaled in percent, with
// one linear ramp from its start key to its target key.
struct ScriptPictureKey {
    double x = 0;
    double y = 0;
    double scale = 100;
    uint8_t alpha = 0;
};

struct ScriptPicture {
    smart_ptr<CD3DDrawTexture> texture;
    ScriptPictureKey current;
    ScriptPictureKey start;
    ScriptPictureKey target;
    int32_t nFrame = 0;
    int32_t nDuration = 1;
};

// What the story scene hands to the story runner.
struct C_StoryInfo {
    IInputManager* pInputManager = nullptr;
    CPartyData* pPartyData = nullptr;
    CPartyData* pPartyData2 = nullptr;
    int32_t nValue = 100;
    int32_t nRunner0 = 0;
    int32_t nRunner1 = 0;
};

class C_ScenarioScript {
public:
    C_ScenarioScript();
    virtual ~C_ScenarioScript();
    C_ScenarioScript(const C_ScenarioScript&) = delete;
    C_ScenarioScript& operator=(const C_ScenarioScript&) = delete;

    // ---- loading --------------------------------------------------------------------
    // Reads "./script/" + name and appends its sections.
    void LoadScript(std::string fileName);
    // "chapter" + two-digit number + ".txt".
    void LoadChapter(int chapter);
    // Appends the sections of a text; `fileName` names it in error lines.
    void Parse(std::string text, const std::string& fileName = "(text)");
    static std::string ChapterFileName(int chapter);

    // ---- runners --------------------------------------------------------------------
    // The title's opening: one frame of "Main"; 1 once the opening is over.
    int32_t UpdateEventScript(std::string sectionName, void* info);
    // The story scene: one frame of "Main" with the story commands; 1 once over.
    int32_t UpdateStory(std::string sectionName, void* storyInfo);

    // A field event: one frame of the sections of the event; 1 once nothing (more) is
    // to run.  With "FieldInitialize" every command completes in the call that runs it
    // (the field scene runs that event in a loop without drawing).
    int32_t UpdateFieldEvent(std::string eventName, C_FieldTaskInfo* info);
    // Set when the field state was restored from a save before "FieldInitialize" runs
    // (or the field state's m_bRestoredFromSave):
    // the commands then leave alone what the save holds (units, sortie points, routes,
    // chips, heroes, money, forces, values, the music slots) and apply only what saves
    // do not keep (sortie limits and cost, banned heroes).
    void SetFieldRestored(bool restored) { m_bFieldRestored = restored; }
    bool IsFieldRestored() const { return m_bFieldRestored; }

    // One step of a command shared by every runner; false for an id it does not
    // handle (then only the camera keys were applied and `complete` not written).
    bool ExecuteCommand(bool pushed, bool skip, bool autoAdvance, bool& complete, bool up, bool left, bool right,
                        bool down, bool zoomIn, bool zoomOut);

    // ---- drawing --------------------------------------------------------------------
    void DrawCommon();
    void Draw(std::string sectionName, void* info);
    // The field event's pass: the common layers, then the mission briefing.
    void DrawFieldEvent(std::string eventName, void* fieldState);

    // ---- state, for owners and checks ------------------------------------------------
    const std::vector<ScriptSection>& GetSections() const { return m_vSections; }
    int LookupTrigger(const std::string& name) const;   // -1 when unknown
    int LookupCommand(const std::string& name) const;   // -1 when unknown
    const std::map<int32_t, ScriptPicture>& GetPictures() const { return m_mapPicture; }
    const ScriptCommand* GetCurrentCommand() const;
    int32_t GetCommandFrame() const { return m_nCommandFrame; }
    int32_t GetSectionFrame() const { return m_nSectionFrame; }
    int32_t GetBackgroundNumber() const { return m_nBackground; }
    int32_t GetPrevBackgroundNumber() const { return m_nPrevBackground; }
    int32_t GetBackgroundFade() const { return m_nBackgroundFade; }
    size_t GetBackgroundCacheSize() const { return m_mapBackground.size(); }
    bool IsSkipHeld() const { return m_bSkip; }
    bool IsSerifShown() const { return m_bSerifShown; }
    bool IsMessageShown() const { return m_bMessageShown; }
    bool IsStrategyMapShown() const { return m_bStrMapShown; }
    bool IsPlaceShown() const { return m_bPlaceShown; }
    bool IsTelopRunning() const { return m_bTelopRunning; }
    bool IsLogoRunning() const { return m_bLogoRunning; }
    bool IsWindowSwitch() const { return m_bWindowSwitch; }
    bool IsToBeContinuedShown() const { return m_bToBeContinuedShown; }
    IScriptDifficultyMenu* GetDifficultyMenu() const { return m_pDifficultyMenu; }
    // Field event state.
    bool IsEventPending() const { return m_bEventPending; }
    const std::string& GetPendingEventName() const { return m_strPendingEvent; }
    int32_t GetSectionIndex() const { return m_nSectionIndex; }
    bool IsGameOverShown() const { return m_bGameOverShown; }
    bool IsMissionArgueShown() const { return m_bMissionArgueShown; }
    bool IsMissionArgueTextShown() const { return m_bMissionArgueTextShown; }
    bool IsMissionArgueBackShown() const { return m_bMissionArgueBackShown; }
    bool IsMissionArgueHalf() const { return m_bMissionArgueHalf; }
    const std::string& GetMissionArgueBackName() const { return m_MissionArgueFBack.GetFileName(); }
    const std::string& GetMissionArgueTextString() const { return m_MissionArgueText.GetText(); }
    bool IsViewMoving() const { return m_bViewMoving; }
    int32_t GetViewFrame() const { return m_nViewFrame; }
    // Number of problems the parser reported for the loaded files.
    int GetParseErrorCount() const { return m_nParseErrors; }

protected:
    // Finds the first section of the trigger of `sectionName` and puts the command
    // cursor on its first command; false when there is none.
    bool LocateSection(const std::string& sectionName);
    bool AtSectionEnd() const;
    void StepCommand(bool complete);
    void ReportCommand(const char* what) const;
    // Logs once per command when it has fewer arguments than it reads.
    void CheckArgs(size_t ints, size_t strings) const;
    // Whether this frame's push answers what the current command showed in its
    // frame `shownFrame`.  The mouse is sampled before the frame's update, so a push
    // seen in the frame that first shows a line (or in the frames before it) was
    // made before the player could read it: the click that raised an event, or a
    // click on the window that was closing.  Only a later push answers.
    bool PushAfterShown(bool pushed, int shownFrame) const { return pushed && m_nCommandFrame > shownFrame; }
    void WindowCommand(int which, bool pushed, bool skip, bool autoAdvance, bool& complete);
    void ChapterTelop(bool skip, bool& complete);
    void ToBeContinued(bool pushed, bool& complete);
    void SetPicture(const ScriptCommand& c);
    void MovePicture(const ScriptCommand& c);
    void SelectDifficulty(IInputManager* input, CPartyData* party, bool& complete);

    // The field-event runner's parts (FieldEvent*.cpp).
    bool LocateFieldSection(const std::string& eventName, C_FieldTaskInfo* info);
    bool FieldTriggerHolds(const ScriptSection& section, int index, C_FieldTaskInfo* info);
    void FinishFieldSection(C_FieldTaskInfo* info);
    // Commands of units, party and map; false for an id that is not one of them.
    bool ExecuteFieldDataCommand(const ScriptCommand& c, C_FieldTaskInfo* info, bool& complete);
    // Commands of endings, view and tutorial; false for an id that is not one of them.
    bool ExecuteFieldViewCommand(const ScriptCommand& c, C_FieldTaskInfo* info, bool pushed, bool& complete);
    // Raises "Won", "Lost" or "Value" from within: the next call locates with it.
    void RaisePendingEvent(const char* name);
    // Logs a field problem once per section (section index kept in the set).
    void ReportFieldOnce(int section, const char* what);

    void ParseError(const std::string& file, int line, const std::string& what);

    // 1 scratch source rectangle of the draw passes
    RECT m_rcSource{};
    // 2-3 event pending, skip held
    bool m_bEventPending = false;
    bool m_bSkip = false;
    // 4-5 cursors (section index, command index)
    int32_t m_nSectionCursor = -1;
    int32_t m_nCommandCursor = 0;
    // 6-7 pictures and the last one touched
    std::map<int32_t, ScriptPicture> m_mapPicture;
    int32_t m_nPictureCursor = -1;
    // 8-14 full-screen pictures and the briefing layers
    CD3DDrawTexture m_GameOver;
    CD3DDrawTexture m_ToBeContinued;
    CD3DDrawTexture m_VisualBackGround;
    CNamedTexture m_MissionArgue{"./graphics/MissionArgue.png"};
    CNamedTexture m_MissionArgueFBack{"./graphics/MissionArgueFBack.png"};
    CD3DTextDraw m_MissionArgueText;
    CD3DDrawSquare m_DimSquare;
    // 15 difficulty menu (owned while it exists)
    IScriptDifficultyMenu* m_pDifficultyMenu = nullptr;
    // 16 pending event name of the field runner
    std::string m_strPendingEvent;
    // 18-19 keyword tables
    std::map<std::string, int32_t> m_mapTrigger;
    std::map<std::string, int32_t> m_mapCommand;
    // 21 sections in file order
    std::vector<ScriptSection> m_vSections;
    // 22 the trigger id last looked up (-1 none)
    int32_t m_nTriggerLookup = -1;
    // 23-24 current section index of the field runner, frames since the section began
    int32_t m_nSectionIndex = 0;
    int32_t m_nSectionFrame = 0;
    // 25-26 background
    int32_t m_nBackground = -1;
    int32_t m_nPrevBackground = -1;
    int32_t m_nBackgroundFade = 0;
    // 27 field-map view move
    float m_fViewFromX = 0, m_fViewFromY = 0, m_fViewToX = 0, m_fViewToY = 0;
    int32_t m_nViewFrame = 30;
    bool m_bViewMoving = false;
    // 28 background cache (owned textures)
    std::map<int32_t, CD3DDrawTexture*> m_mapBackground;
    // 29 display flags
    bool m_bSerifShown = false;
    bool m_bMessageShown = false;
    bool m_bStrMapShown = false;
    bool m_bPlaceShown = false;
    bool m_bTelopRunning = false;
    bool m_bLogoRunning = false;
    bool m_bGameOverShown = false;
    bool m_bMissionArgueShown = false;
    bool m_bMissionArgueTextShown = false;
    bool m_bMissionArgueBackShown = false;
    bool m_bMissionArgueHalf = false;
    bool m_bWindowSwitch = false;
    bool m_bToBeContinuedShown = false;
    // 30 frames since the current command began
    int32_t m_nCommandFrame = 0;

    int m_nParseErrors = 0;
    // The file being parsed was read before with the same contents: its errors were
    // logged then and are only counted now.
    bool m_bQuietParse = false;
    // The field state was restored from a save (see SetFieldRestored).
    bool m_bFieldRestored = false;
    // In this call: "FieldInitialize" of a field restored from a save.
    bool m_bKeepSaved = false;
    // Sections the field runner has looked for in this object's life.
    int32_t m_nFieldLocates = 0;
    // Sections whose problems (too many sections, missing trigger arguments) were logged.
    std::vector<int32_t> m_vReportedSections;
    // The command whose argument shortage was already reported (section, command).
    mutable int32_t m_nReportedSection = -1;
    mutable int32_t m_nReportedCommand = -1;
};
