// The opening and story runners frame by frame, with a scripted input manager: window
// switches, auto advance, waits, cutting the opening short, Ctrl skipping, the
// difficulty choice and the party commands.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "PartyData.h"
#include "PersonData.h"
#include "ScenarioScript.h"
#include "ScriptDifficultyMenu.h"
#include "golden.h"
#include "input/gvlInputManager.h"
#include "task/TaskBase.h"

namespace {

std::string Crlf(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
}

// Input decided by the test for each frame.
class ScriptedInput : public IInputManager {
public:
    bool push = false;
    std::set<int> held;
    int x = 0, y = 0;
    void Update() override {}
    bool IsLButtonDown() override { return push; }
    bool IsRButtonDown() override { return false; }
    bool IsMButtonDown() override { return false; }
    bool IsLButtonPush() override { return push; }
    bool IsRButtonPush() override { return false; }
    bool IsMButtonPush() override { return false; }
    int GetX() override { return x; }
    int GetY() override { return y; }
    void GetXY(int* px, int* py) override {
        *px = x;
        *py = y;
    }
    bool IsPush(int) override { return false; }
    bool IsPress(int key) override { return held.count(key) != 0; }
    IKeyBase* GetKey() override { return nullptr; }
    CFixMouseIDP* GetMouse() override { return nullptr; }
};

class ScriptRunners : public ::testing::Test {
protected:
    void SetUp() override {
        cd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
        title_.pInputManager = &input_;
        story_.pInputManager = &input_;
        story_.pPartyData = &party_;
        story_.pPartyData2 = &party_;
    }
    void TearDown() override {
        script_.reset();
        cd_.reset();
    }
    C_ScenarioScript& Load(const std::vector<std::string>& lines) {
        script_ = std::make_unique<C_ScenarioScript>();
        script_->Parse(Crlf(lines), "test.txt");
        return *script_;
    }
    // One frame of an owner: the runner, then the draw pass.
    int Opening() {
        int r = script_->UpdateEventScript("Main", &title_);
        script_->Draw("Main", &title_);
        return r;
    }
    int Story() {
        int r = script_->UpdateStory("Main", &story_);
        script_->Draw("Main", &story_);
        return r;
    }
    int CurrentId() const {
        const ScriptCommand* c = script_->GetCurrentCommand();
        return c ? c->nCommandID : -1;
    }
    std::string Log() const {
        std::ifstream f(dir_.path() + "ErrorLog.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
    ScriptedInput input_;
    C_TitleTaskInfo title_;
    CPartyData party_;
    C_StoryInfo story_;
    std::unique_ptr<C_ScenarioScript> script_;
};

TEST_F(ScriptRunners, MissingMainEndsAtOnceAndKeepsTrying) {
    Load({"Script Won()", "Wait(1)", "end"});
    EXPECT_EQ(Story(), 1);
    EXPECT_EQ(script_->GetSectionFrame(), 0);
    EXPECT_EQ(Opening(), 1);
    C_ScenarioScript empty;
    EXPECT_EQ(empty.UpdateStory("Main", &story_), 1);
    EXPECT_EQ(empty.UpdateEventScript("Main", &title_), 1);
}

TEST_F(ScriptRunners, LaterMainSectionsAreNeverRun) {
    Load({"Script Won()", "PlusMoney(1)", "end", "Script Main()", "PlusMoney(10)", "end", "Script Main()",
          "PlusMoney(100)", "end"});
    party_.nMoney = 0;
    EXPECT_EQ(Story(), 1);
    EXPECT_EQ(party_.nMoney, 10);
}

TEST_F(ScriptRunners, WaitHoldsForNPlusOneFrames) {
    Load({"Script Main()", "Wait(3)", "Wait(0)", "end"});
    for (int f = 0; f < 3; ++f) {
        EXPECT_EQ(Story(), 0);
        EXPECT_EQ(CurrentId(), 25);
        EXPECT_EQ(script_->GetCommandFrame(), f + 1);
    }
    EXPECT_EQ(Story(), 0);  // frame counter 3: done
    EXPECT_EQ(script_->GetCommandFrame(), 0);
    EXPECT_EQ(Story(), 1);  // "Wait" 0 completes in its first frame, and the section ends
}

TEST_F(ScriptRunners, StoryWindowsWaitForAPushAndSwitchAfterFifteenFrames) {
    Load({"Script Main()", "Serif(2)", "/", "こんにちは", "/", "Message()", "/", "地の文", "/", "Message()", "/",
          "次の頁", "/", "end"});
    EXPECT_EQ(Story(), 0);
    EXPECT_TRUE(script_->IsSerifShown());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Story(), 0);
    EXPECT_EQ(CurrentId(), 3);  // no push: the serif stays
    input_.push = true;
    EXPECT_EQ(Story(), 0);
    input_.push = false;
    EXPECT_EQ(CurrentId(), 1);
    // Message after Serif: the serif closes at once, the message opens 15 frames later.
    EXPECT_EQ(Story(), 0);
    EXPECT_FALSE(script_->IsSerifShown());
    EXPECT_TRUE(script_->IsWindowSwitch());
    for (int f = 1; f < 15; ++f) {
        EXPECT_FALSE(script_->IsMessageShown()) << f;
        Story();
    }
    EXPECT_EQ(script_->GetCommandFrame(), 15);
    Story();
    EXPECT_TRUE(script_->IsMessageShown());
    input_.push = true;
    Story();
    input_.push = false;
    // Message after Message: no switch, the text is replaced at once.
    Story();
    EXPECT_FALSE(script_->IsWindowSwitch());
    EXPECT_TRUE(script_->IsMessageShown());
    input_.push = true;
    EXPECT_EQ(Story(), 1);
}

// A push answers a text window only from the frame after the one that showed its text:
// one seen in that frame or before it (the click that began the scene, clicks while the
// window before was closing) was made before the player could read the line.
TEST_F(ScriptRunners, StoryWindowsIgnorePushesFromBeforeTheirTextWasShown) {
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        int openFrame;
    };
    const Case cases[] = {
        {"first window", {"Script Main()", "Message()", "/", "一", "/", "end"}, 0},
        {"after a serif", {"Script Main()", "Serif(2)", "/", "一", "/", "Message()", "/", "二", "/", "end"}, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Load(c.lines);
        if (c.openFrame > 0) {
            input_.push = false;
            Story();
            input_.push = true;
            Story();  // the serif, shown a frame ago, is answered
        }
        input_.push = true;
        for (int f = 0; f <= c.openFrame; ++f) EXPECT_EQ(Story(), 0) << f;
        EXPECT_TRUE(script_->IsMessageShown());
        EXPECT_EQ(CurrentId(), 1);
        EXPECT_EQ(Story(), 1);
    }
}

TEST_F(ScriptRunners, OpeningAdvancesWindowsByItself) {
    Load({"Script Main()", "Message()", "/", "ある日", "/", "Wait(2)", "Place()", "/", "王都", "/", "M_Erase()",
          "end"});
    EXPECT_EQ(Opening(), 0);
    EXPECT_TRUE(script_->IsMessageShown());
    EXPECT_EQ(CurrentId(), 25);  // "Message" completed in its first frame
    Opening();
    Opening();
    Opening();
    EXPECT_EQ(CurrentId(), 5);
    // "Place" must close the message; it completes before its own window opens.
    EXPECT_EQ(Opening(), 0);
    EXPECT_FALSE(script_->IsMessageShown());
    EXPECT_FALSE(script_->IsPlaceShown());
    EXPECT_EQ(Opening(), 1);
}

TEST_F(ScriptRunners, OpeningCutShortByAPushAfterFourFrames) {
    Load({"Script Main()", "BackGround(3)", "StrMapOn()", "Wait(300)", "end"});
    Opening();
    Opening();
    EXPECT_EQ(script_->GetBackgroundNumber(), 3);
    EXPECT_TRUE(script_->IsStrategyMapShown());
    // A push in the first frames of the wait does nothing.
    input_.push = true;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Opening(), 0) << i;
    input_.push = false;
    for (int i = 0; i < 6; ++i) Opening();
    input_.push = true;
    EXPECT_EQ(Opening(), 1);
    EXPECT_EQ(script_->GetBackgroundNumber(), -1);
    EXPECT_FALSE(script_->IsStrategyMapShown());
    EXPECT_EQ(g_GlobalResources.GetCurrentBGM(), 14);
}

TEST_F(ScriptRunners, OpeningEndClearsBackgroundAndMapWithoutTitleMusic) {
    Load({"Script Main()", "BGM(3)", "BackGround(2)", "StrategyMap(1)", "M_SubAppear()", "end"});
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Opening(), 0);
    EXPECT_TRUE(script_->IsStrategyMapShown());
    EXPECT_EQ(Opening(), 1);
    EXPECT_EQ(script_->GetBackgroundNumber(), -1);
    EXPECT_FALSE(script_->IsStrategyMapShown());
    EXPECT_EQ(g_GlobalResources.GetCurrentBGM(), 3);
}

TEST_F(ScriptRunners, LogoRunsUntilItsCounterPasses328) {
    Load({"Script Main()", "RVTLogo()", "Wait(340)", "end"});
    Opening();
    EXPECT_TRUE(script_->IsLogoRunning());
    int frames = 1;
    while (script_->IsLogoRunning() && frames < 400) {
        Opening();
        ++frames;
    }
    EXPECT_FALSE(script_->IsLogoRunning());
    EXPECT_GT(g_GlobalResources.GetLogoCounter(), 328);
    EXPECT_LT(frames, 340);
}

TEST_F(ScriptRunners, CtrlSkipsWindowsAndWaitsButNotTheChoiceOrTheEndSlide) {
    Load({"Script Main()", "Message()", "/", "a", "/", "Serif(1)", "/", "b", "/", "Place()", "/", "c", "/",
          "Wait(100)", "TutorialWait(3)", "ToBeContinued()", "end"});
    input_.held = {11};
    Story();
    EXPECT_EQ(CurrentId(), 3);
    Story();
    EXPECT_EQ(CurrentId(), 5);
    Story();
    EXPECT_EQ(CurrentId(), 25);
    Story();
    EXPECT_EQ(CurrentId(), 72);
    EXPECT_TRUE(script_->IsSkipHeld());
    for (int i = 0; i < 3; ++i) {
        Story();
        EXPECT_EQ(CurrentId(), 72);
    }
    Story();
    EXPECT_EQ(CurrentId(), 36);
    for (int i = 0; i < 150; ++i) EXPECT_EQ(Story(), 0);
    EXPECT_TRUE(script_->IsToBeContinuedShown());
    // Only a push after frame 100 ends it.
    input_.push = true;
    EXPECT_EQ(Story(), 1);
    EXPECT_FALSE(script_->IsToBeContinuedShown());
}

TEST_F(ScriptRunners, ToBeContinuedIgnoresEarlyPushes) {
    Load({"Script Main()", "ToBeContinued()", "end"});
    input_.push = true;
    for (int f = 0; f <= 100; ++f) EXPECT_EQ(Story(), 0) << f;
    EXPECT_EQ(Story(), 1);
}

TEST_F(ScriptRunners, CommandsWithoutHandlerPassInOneFrameEach) {
    Load({"Script Main()", "Sound(1)", "Flag()", "NextStage()", "Visual()", "GameOver()", "SelectDifficulty()",
          "Wait(0)", "end"});
    // In the opening SelectDifficulty has no handler either.
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Opening(), 0) << i;
    EXPECT_EQ(Opening(), 1);
}

TEST_F(ScriptRunners, PartyCommandsChangeThePartyData) {
    Load({"Script Main()", "AddHero(105,3)", "AddHero(105,5)", "AddHero(2,1)", "PlusMoney(500)", "PlusMoney(-20)",
          "HeroForcedPosition(105,2)", "HeroForcedPosition(77,1)", "InterMission(5)", "end"});
    party_.m_Heros.clear();
    party_.nMoney = 100;
    party_.toInterMission = false;
    for (int i = 0; i < 7; ++i) EXPECT_EQ(Story(), 0);
    EXPECT_EQ(Story(), 1);
    ASSERT_EQ(party_.m_Heros.size(), 3u);
    EXPECT_EQ(party_.m_Heros[0].m_typeID, 105);
    EXPECT_EQ(party_.m_Heros[0].m_LV, 3);
    EXPECT_TRUE(party_.m_Heros[0].m_bForcePlaced);
    EXPECT_EQ(party_.m_Heros[0].m_nPlaced, 2);
    EXPECT_EQ(party_.m_Heros[1].m_LV, 5);
    EXPECT_FALSE(party_.m_Heros[1].m_bForcePlaced);
    EXPECT_EQ(party_.m_Heros[1].m_nPlaced, -1);
    EXPECT_TRUE(party_.m_Heros[1].m_bCanUse);
    EXPECT_EQ(party_.nMoney, 580);
    EXPECT_TRUE(party_.toInterMission);

    Load({"Script Main()", "HeroForcedPosReset()", "InterMission(0)", "end"});
    Story();
    EXPECT_EQ(Story(), 1);
    for (const HeroEntry& h : party_.m_Heros) {
        EXPECT_FALSE(h.m_bForcePlaced);
        EXPECT_EQ(h.m_nPlaced, -1);
    }
    EXPECT_FALSE(party_.toInterMission);
}

TEST_F(ScriptRunners, PartyCommandsWithoutPartyAreSkippedAndLogged) {
    Load({"Script Main()", "PlusMoney(5)", "end"});
    story_.pPartyData = nullptr;
    EXPECT_EQ(Story(), 1);
    EXPECT_NE(Log().find("test.txt(2)"), std::string::npos);
}

TEST_F(ScriptRunners, SelectDifficultyStoresTheChosenRow) {
    for (int row = 0; row < 5; ++row) {
        Load({"Script Main()", "SelectDifficulty()", "end"});
        input_.push = false;
        EXPECT_EQ(Story(), 0);
        ASSERT_NE(script_->GetDifficultyMenu(), nullptr);
        EXPECT_TRUE(script_->IsSerifShown());
        EXPECT_EQ(g_GlobalResources.GetSerifState().nSpeaker, CGlobalResources::kNoSpeaker);
        for (int i = 0; i < 10; ++i) EXPECT_EQ(Story(), 0);
        // Ctrl does not end the choice.
        input_.held = {11};
        EXPECT_EQ(Story(), 0);
        input_.held.clear();
        // The rows of the difficulty menu: 20 pixels high from y = 50, x from 46.
        input_.x = 100;
        input_.y = 60 + 20 * row;
        input_.push = true;
        EXPECT_EQ(Story(), 1);
        EXPECT_EQ(party_.Difficulty, row + 1);
        EXPECT_EQ(GetCurrentDifficulty(), row + 1);
        EXPECT_EQ(script_->GetDifficultyMenu(), nullptr);
        EXPECT_FALSE(script_->IsSerifShown());
    }
    input_.push = false;
}

// A menu put in by the program in place of the built-in one.
class FixedChoice : public IScriptDifficultyMenu {
public:
    static int updates;
    void Reset() override {}
    void Update(IInputManager*) override { ++updates; }
    void Draw() override {}
    int GetResult() const override { return updates >= 3 ? 4 : 0; }
};
int FixedChoice::updates = 0;

TEST_F(ScriptRunners, DifficultyMenuComesFromTheInstalledFactory) {
    FixedChoice::updates = 0;
    SetScriptDifficultyMenuFactory([]() -> IScriptDifficultyMenu* { return new FixedChoice; });
    Load({"Script Main()", "SelectDifficulty()", "end"});
    EXPECT_EQ(Story(), 0);
    EXPECT_EQ(Story(), 0);
    EXPECT_EQ(Story(), 1);
    EXPECT_EQ(party_.Difficulty, 4);
    SetScriptDifficultyMenuFactory(nullptr);
}

TEST_F(ScriptRunners, OwnerGoingAwayMidChoiceFreesTheMenu) {
    Load({"Script Main()", "SelectDifficulty()", "end"});
    Story();
    ASSERT_NE(script_->GetDifficultyMenu(), nullptr);
    script_.reset();  // no leak, no crash (checked by the sanitizer builds)
}

TEST_F(ScriptRunners, CameraKeysSteerTheStrategyMapWhateverTheCommand) {
    Load({"Script Main()", "Wait(200)", "end"});
    // The map is hidden and the command has nothing to do with it: Z still zooms in.
    input_.held = {5};
    const double z0 = g_GlobalResources.GetMapCamera().zoom;
    Story();
    Story();
    EXPECT_NEAR(g_GlobalResources.GetMapCamera().zoom, z0 + 0.02, 1e-9);
    input_.held = {6};
    Story();
    EXPECT_NEAR(g_GlobalResources.GetMapCamera().zoom, z0 + 0.01, 1e-9);
}

TEST_F(ScriptRunners, PicturesRampAndMissingPicturesAreLogged) {
    Load({"Script Main()", "SetPicture(3,320,240,100,255,30,\"./graphics/none.png\")", "MovePicture(9,0,0,100,0,10)",
          "ErasePicture(3,320,240,50,0,10)", "SetPicture(4,1,2,3,4,0,\"x.png\")", "SetPicture(5)", "end"});
    Story();  // set, drawn once at alpha 0
    ASSERT_EQ(script_->GetPictures().count(3), 1u);
    EXPECT_EQ(script_->GetPictures().at(3).current.alpha, 0);
    Story();  // MovePicture of an unknown id: passed over
    EXPECT_EQ(script_->GetPictures().count(9), 0u);
    EXPECT_NE(Log().find("test.txt(3)"), std::string::npos);
    Story();  // ErasePicture from where the first ramp was heading
    const ScriptPicture& p = script_->GetPictures().at(3);
    EXPECT_EQ(p.start.alpha, 255);
    EXPECT_EQ(p.target.alpha, 0);
    EXPECT_EQ(p.target.scale, 50);
    Story();
    EXPECT_EQ(script_->GetPictures().at(4).nDuration, 1);  // 0 frames: one frame
    EXPECT_EQ(Story(), 1);                                 // too few arguments: logged, no crash
    EXPECT_NE(Log().find("test.txt(6)"), std::string::npos);
}

TEST_F(ScriptRunners, PictureAlphaFollowsTheRampFrameByFrame) {
    Load({"Script Main()", "SetPicture(1,100,100,100,255,30,\"p.png\")", "Wait(100)", "end"});
    for (int k = 0; k <= 32; ++k) {
        Story();
        const int expected = k >= 30 ? 255 : 255 * k / 30;
        EXPECT_EQ(script_->GetPictures().at(1).current.alpha, expected) << k;
    }
}

TEST_F(ScriptRunners, BackgroundChangeOverLastsOneDrawnFrame) {
    Load({"Script Main()", "BackGround(5)", "BackGround(7)", "BackGround(7)", "Wait(3)", "end"});
    Story();
    EXPECT_EQ(script_->GetBackgroundNumber(), 5);
    EXPECT_EQ(script_->GetBackgroundFade(), 0);  // the draw used it up
    Story();
    EXPECT_EQ(script_->GetPrevBackgroundNumber(), 5);
    EXPECT_EQ(script_->GetBackgroundCacheSize(), 2u);
    Story();
    EXPECT_EQ(script_->GetBackgroundCacheSize(), 2u);  // each number loaded once
}

TEST_F(ScriptRunners, ChapterTelopEndsWhenItsCounterPasses350) {
    Load({"Script Main()", "ChapterTitleTerop(\"第一章\")", "end"});
    int frames = 0;
    while (Story() == 0 && frames < 1000) ++frames;
    EXPECT_GT(frames, 300);
    EXPECT_LT(frames, 400);
    EXPECT_FALSE(script_->IsTelopRunning());
    // With Ctrl the telop jumps forward to 250.
    Load({"Script Main()", "ChapterTitleTerop(\"第一章\")", "end"});
    input_.held = {11};
    frames = 0;
    while (Story() == 0 && frames < 1000) ++frames;
    EXPECT_LT(frames, 120);
}

TEST_F(ScriptRunners, DestroyedScriptLeavesNothingOnTheStrategyMap) {
    Load({"Script Main()", "SetMarker(\"m.png\",1,0,100,100,0,100)", "MakeStrMapForcesField(2,\"f.png\",255,0,0,64,64)",
          "MoveMarker(1,200,200,90,10)", "EraseMarker(1)", "EraseMarker(8)", "end"});
    for (int i = 0; i < 5; ++i) Story();
    EXPECT_FALSE(g_GlobalResources.GetMarkers().empty());
    script_.reset();
    EXPECT_TRUE(g_GlobalResources.GetMarkers().empty());
    EXPECT_TRUE(g_GlobalResources.GetForcesFields().empty());
}

}  // namespace

namespace {

class ScriptCommands : public ScriptRunners {};

TEST_F(ScriptCommands, FadesTakeTheirFramesAndDoNotWait) {
    Load({"Script Main()", "FadeOut(0,0,0,60)", "Wait(70)", "FadeIn(0,0,0,60)", "Wait(70)", "end"});
    Story();  // FadeOut completes in its first frame
    EXPECT_EQ(CurrentId(), 25);
    for (int i = 0; i < 60; ++i) Story();
    EXPECT_NEAR(g_GlobalResources.GetFadeLevel(), 255.0, 1e-6);
    while (CurrentId() == 25) Story();
    Story();
    EXPECT_LT(g_GlobalResources.GetFadeLevel(), 255.0);
    for (int i = 0; i < 60; ++i) Story();
    EXPECT_NEAR(g_GlobalResources.GetFadeLevel(), 0.0, 1e-6);
}

// Whatever fade the last script left (running out, coming back from black, or the
// dimmed range of "ToBeContinued"), the next one starts on a clear screen and its own
// fade-out still reaches black.
TEST_F(ScriptCommands, ANewScriptStartsOnAClearScreenWhateverTheLastLeft) {
    struct Case {
        const char* name;
        std::vector<std::string> last;
        int frames;
    };
    const Case cases[] = {
        {"ended on a fade-out", {"Script Main()", "FadeOut(0,0,0,60)", "Wait(70)", "end"}, 20},
        {"fading in from black", {"Script Main()", "FadeOut(0,0,0,1)", "Wait(5)", "FadeIn(0,0,0,120)", "Wait(200)", "end"}, 20},
        {"dimmed to be continued", {"Script Main()", "ToBeContinued()", "end"}, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load(c.last);
        for (int i = 0; i < c.frames; ++i) Story();
        ASSERT_GT(g_GlobalResources.GetFadeLevel(), 0.0);
        Load({"Script Main()", "Wait(30)", "FadeOut(0,0,0,10)", "Wait(20)", "end"});
        for (int i = 0; i < 30; ++i) {
            Story();
            ASSERT_EQ(g_GlobalResources.GetFadeLevel(), 0.0) << "frame " << i;
        }
        for (int i = 0; i < 15; ++i) Story();
        EXPECT_EQ(g_GlobalResources.GetFadeLevel(), 255.0);
    }
}

TEST_F(ScriptCommands, ErasesAndMapSwitches) {
    Load({"Script Main()", "StrMapOn()", "StrategyMap(2)", "StrategyMap(1)", "StrMapOff()", "Message()", "/", "x", "/",
          "MessageErase()", "Place()", "/", "y", "/", "P_Erase()", "Serif(1)", "/", "z", "/", "S_Erase()", "end"});
    input_.held = {11};
    Story();
    EXPECT_TRUE(script_->IsStrategyMapShown());
    Story();
    EXPECT_FALSE(script_->IsStrategyMapShown());  // only 1 shows it
    Story();
    EXPECT_TRUE(script_->IsStrategyMapShown());
    Story();
    EXPECT_FALSE(script_->IsStrategyMapShown());
    Story();
    EXPECT_TRUE(script_->IsMessageShown());
    Story();
    EXPECT_FALSE(script_->IsMessageShown());
    Story();
    EXPECT_TRUE(script_->IsPlaceShown());
    Story();
    EXPECT_FALSE(script_->IsPlaceShown());
    Story();
    EXPECT_TRUE(script_->IsSerifShown());
    EXPECT_EQ(Story(), 1);
    EXPECT_FALSE(script_->IsSerifShown());
}

TEST_F(ScriptCommands, SkipMakesPicturesJumpToTheirTarget) {
    Load({"Script Main()", "SetPicture(1,100,100,100,200,60,\"p.png\")", "Wait(100)", "end"});
    Story();
    EXPECT_EQ(script_->GetPictures().at(1).current.alpha, 0);
    input_.held = {11};
    Story();  // skip held: the draw jumps the ramp's frame to its end
    input_.held.clear();
    Story();
    EXPECT_EQ(script_->GetPictures().at(1).current.alpha, 200);
}

TEST_F(ScriptCommands, MarkerFadesWhileItKeepsMoving) {
    Load({"Script Main()", "SetMarker(\"m.png\",4,0,100,100,0,100)", "MoveMarker(4,300,100,0,60)", "EraseMarker(4)",
          "Wait(100)", "end"});
    Story();
    Story();
    Story();
    const StrategyMapMarker& m = g_GlobalResources.GetMarkers().at(4);
    EXPECT_EQ(m.nTargetAlpha, 0);
    EXPECT_EQ(m.nStepCount, 30);
    EXPECT_EQ(m.targetX, 300);  // the target position is left as it was
}

TEST_F(ScriptCommands, TelopTakesUpToThreeLines) {
    Load({"Script Main()", "ChapterTitleTerop()", "/", "第二章", "/", "end"});
    Story();
    EXPECT_TRUE(script_->IsTelopRunning());
    EXPECT_EQ(script_->GetParseErrorCount(), 0);
}

}  // namespace

namespace {

// A script whose sections a test may add to directly, for ids that no name reaches.
class InjectableScript : public C_ScenarioScript {
public:
    void AddMainCommand(int32_t id, std::vector<int32_t> ints) {
        if (m_vSections.empty()) {
            ScriptSection s;
            s.nTriggerID = kTriggerMain;
            m_vSections.push_back(s);
        }
        ScriptCommand c;
        c.nCommandID = id;
        c.vInt = std::move(ints);
        m_vSections[0].vCommands.push_back(c);
    }
};

TEST_F(ScriptCommands, SoundNameHasNoHandlerAndTheUnnamedSoundEffectCasePlaysOnce) {
    // "Sound" parses to 17, which no runner handles: passed over, nothing opened.
    Load({"Script Main()", "Sound(3)", "Wait(0)", "end"});
    bool complete = false;
    EXPECT_FALSE(script_->ExecuteCommand(false, false, false, complete, false, false, false, false, false, false));
    EXPECT_FALSE(complete);
    Story();
    EXPECT_EQ(CurrentId(), 25);
    EXPECT_EQ(Log().find("./sound/"), std::string::npos);

    // The executor's own sound-effect case (24) opens the numbered file and completes at once.
    g_GlobalResources.GetSoundTable()[3] = "se-test";
    InjectableScript s;
    s.AddMainCommand(kCmdSoundEffect, {3});
    s.AddMainCommand(kCmdWait, {0});
    EXPECT_EQ(s.UpdateStory("Main", &story_), 0);
    ASSERT_NE(s.GetCurrentCommand(), nullptr);
    EXPECT_EQ(s.GetCurrentCommand()->nCommandID, kCmdWait);
    EXPECT_NE(Log().find("se-test"), std::string::npos);  // no such file here: logged, no crash
}

}  // namespace
