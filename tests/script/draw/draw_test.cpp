// Script frames drawn through the software device and compared pixel for pixel with
// recorded pictures: a story frame (background, picture, portrait and words) and a
// strategy-map scene with markers and force fields.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/gvlDXAppBase.h"
#include "Draw/gvlD3DObjectBase.h"
#include "PartyData.h"
#include "ScenarioScript.h"
#include "golden.h"
#include "input/gvlInputManager.h"
#include "resources/GlobalResources.h"
#include "test_pictures.h"
#include "util/GameUtil.h"

namespace {

constexpr uint32_t kClear = 0xFF101018;

std::string Crlf(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
}

class NoInput : public IInputManager {
public:
    bool ctrl = false;
    bool push = false;
    void Update() override {}
    bool IsLButtonDown() override { return push; }
    bool IsRButtonDown() override { return false; }
    bool IsMButtonDown() override { return false; }
    bool IsLButtonPush() override { return push; }
    bool IsRButtonPush() override { return false; }
    bool IsMButtonPush() override { return false; }
    int GetX() override { return 0; }
    int GetY() override { return 0; }
    void GetXY(int* x, int* y) override { *x = *y = 0; }
    bool IsPush(int) override { return false; }
    bool IsPress(int key) override { return ctrl && key == 11; }
    IKeyBase* GetKey() override { return nullptr; }
    CFixMouseIDP* GetMouse() override { return nullptr; }
};

// The script's own pictures: the backdrop strip, a background and an event picture.
void WriteScriptPictures(const std::string& root) {
    pictures::Image strip(128, 1024);
    for (int y = 0; y < 1024; ++y)
        strip.Fill(0, y, 128, y + 1, 0xFF000000 | (uint32_t(30 + y / 16) << 16) | (uint32_t(20 + y / 24) << 8) | 60);
    strip.Save(root + "graphics/VisualBackGround.png");

    pictures::Image bg(1024, 512);
    for (int y = 0; y < 512; ++y)
        bg.Fill(0, y, 1024, y + 1, y < 300 ? 0xFF000000 | (uint32_t(90 + y / 4) << 16) | (uint32_t(140 + y / 4) << 8) | 230u
                                            : 0xFF3C6E2A);
    bg.Disc(700, 120, 50, 0xFFFFF0A0);
    for (int i = 0; i < 6; ++i) bg.Fill(220 + 110 * i, 230, 280 + 110 * i, 300, 0xFF705040);
    bg.Save(root + "graphics/BackGround/001.png");  // found case-insensitively

    pictures::Image pic(96, 96);
    pic.Disc(48, 48, 44, 0xFFC0A030);
    pic.Disc(48, 48, 30, 0xFF802020);
    pic.Fill(40, 10, 56, 86, 0xFFFFFFFF);
    pic.Save(root + "graphics/Emblem.png");

    pictures::Image tbc(256, 64);
    tbc.Fill(0, 0, 240, 64, 0xFF202040);
    for (int i = 0; i < 8; ++i) tbc.Fill(12 + 28 * i, 16, 32 + 28 * i, 48, 0xFFF0F0F0);
    tbc.Save(root + "graphics/ToBeContinued.png");

    pictures::Image argue(512, 512);
    argue.Fill(0, 0, 512, 256, 0xFF3050A0);
    argue.Fill(0, 256, 512, 512, 0xFFA05030);
    argue.Disc(256, 128, 60, 0xFFFFFFFF);
    argue.Disc(256, 384, 60, 0xFF000000);
    argue.Save(root + "graphics/MissionArgue.png");
    pictures::Image back(512, 512);
    for (int y = 0; y < 512; ++y) back.Fill(0, y, 512, y + 1, 0xFF000000 | (uint32_t(y / 2) << 8) | 0x40);
    back.Save(root + "graphics/MissionArgueFBack.png");
}

class ScriptPictures : public ::testing::Test {
protected:
    void SetUp() override {
        cd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
        pictures::WriteAll(dir_.path());
        ASSERT_EQ(system(("mkdir -p " + dir_.path() + "graphics/BackGround").c_str()), 0);
        WriteScriptPictures(dir_.path());
        ASSERT_EQ(CreateD3DDevice(false, 640, 480), S_OK);
        InitDrawObjects(g_pD3DDevice);
        SetFixedDeviceState(g_pD3DDevice);
        g_GlobalResources.Load();
        story_.pInputManager = &input_;
        story_.pPartyData = &party_;
        story_.pPartyData2 = &party_;
    }
    void TearDown() override {
        script_.reset();
        EndSpriteBatch();
        g_GlobalResources.Release();
        ReleaseSheetDrawObjects();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
        cd_.reset();
    }
    void Load(const std::vector<std::string>& lines) {
        script_ = std::make_unique<C_ScenarioScript>();
        script_->Parse(Crlf(lines), "test.txt");
        ASSERT_EQ(script_->GetParseErrorCount(), 0);
    }
    // One frame of the story scene.
    int Frame() {
        const int r = script_->UpdateStory("Main", &story_);
        EndSpriteBatch();
        g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, kClear, 1.0f, 0);
        script_->Draw("Main", &story_);
        EndSpriteBatch();
        return r;
    }
    ::testing::AssertionResult Matches(const std::string& name) {
        return testsupport::MatchesGolden("script/" + name, g_pD3DDevice->BackBuffer(), 640, 480);
    }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
    NoInput input_;
    CPartyData party_;
    C_StoryInfo story_;
    std::unique_ptr<C_ScenarioScript> script_;
};

TEST_F(ScriptPictures, StoryFrameWithBackgroundPictureAndPortrait) {
    Load({"Script Main()", "FadeIn(0,0,0,1)", "BackGround(1)", "SetPicture(2,520,120,100,255,10,\"./graphics/Emblem.png\")",
          "Serif(7)", "/", "ここが北の砦か。", "思ったより静かだな。", "/", "end"});
    for (int i = 0; i < 40; ++i) ASSERT_EQ(Frame(), 0);
    EXPECT_TRUE(script_->IsSerifShown());
    EXPECT_EQ(script_->GetPictures().at(2).current.alpha, 255);
    EXPECT_TRUE(Matches("story_frame"));
}

// Fades of lengths at the int limits go on (the longest ones barely move) instead of
// overflowing when their direction is applied.
TEST_F(ScriptPictures, FadesOfLengthsAtTheIntLimits) {
    for (const char* fade : {"FadeIn(0,0,0,-2147483648)", "FadeOut(0,0,0,-2147483648)", "FadeOut(0,0,0,2147483647)"}) {
        Load({"Script Main()", fade, "Wait(3)", "end"});
        for (int i = 0; i < 5; ++i) Frame();
        EXPECT_GE(g_GlobalResources.GetFadeLevel(), 0.0) << fade;
        EXPECT_LE(g_GlobalResources.GetFadeLevel(), 255.0) << fade;
    }
}

TEST_F(ScriptPictures, BackgroundChangeOverAndMessage) {
    Load({"Script Main()", "FadeIn(0,0,0,1)", "BackGround(1)", "Message()", "/", "夜が明けた。", "/", "BackGround(-1)",
          "Wait(5)", "end"});
    for (int i = 0; i < 30; ++i) Frame();
    input_.push = true;
    Frame();  // the message completes
    input_.push = false;
    Frame();  // BackGround -1: the old picture over the backdrop for one frame
    EXPECT_TRUE(Matches("background_changeover"));
    Frame();
    // Nothing is left of the background: the backdrop strips are drawn at alpha 0.
    const uint32_t* px = g_pD3DDevice->BackBuffer();
    EXPECT_EQ(px[10 * 640 + 10], kClear);
}

TEST_F(ScriptPictures, StrategyMapSceneWithMarkersAndForceFields) {
    Load({"Script Main()", "FadeIn(0,0,0,1)", "StrMapMove(512,512,60)", "Wait(0)", "StrMapMove(512,512,60)",
          "MakeStrMapForcesField(1,\"red.png\",200,300,300,128,128)",
          "MakeStrMapForcesField(2,\"blue.png\",200,600,560,128,128)", "SetMarker(\"marker.png\",1,0,360,360,0,100)",
          "SetMarker(\"marker.png\",2,0,660,620,0,100)", "MoveMarker(2,560,520,45,20)", "Place()", "/", "国境の平原",
          "/", "end"});
    input_.ctrl = true;  // every animation jumps to its end
    for (int i = 0; i < 14; ++i) Frame();
    input_.ctrl = false;
    for (int i = 0; i < 30; ++i) Frame();
    EXPECT_TRUE(script_->IsStrategyMapShown());
    EXPECT_TRUE(Matches("strategy_map_scene"));
}

TEST_F(ScriptPictures, ToBeContinuedSlidesInOverTheDarkenedScreen) {
    Load({"Script Main()", "FadeIn(0,0,0,1)", "BackGround(1)", "ToBeContinued()", "end"});
    Frame();
    Frame();
    for (int f = 0; f <= 105; ++f) Frame();
    EXPECT_EQ(script_->GetCommandFrame(), 106);
    EXPECT_TRUE(Matches("to_be_continued"));
}

TEST_F(ScriptPictures, DifficultyChoiceWithItsPrompt) {
    Load({"Script Main()", "FadeIn(0,0,0,1)", "BackGround(1)", "SelectDifficulty()", "end"});
    for (int i = 0; i < 30; ++i) ASSERT_EQ(Frame(), 0);
    ASSERT_NE(script_->GetDifficultyMenu(), nullptr);
    EXPECT_TRUE(Matches("select_difficulty"));
}

// The briefing layers are set by the field's commands; here they are set directly.
class BriefingScript : public C_ScenarioScript {
public:
    void Show(bool half, int frame, const std::string& text) {
        m_bMissionArgueShown = m_bMissionArgueTextShown = m_bMissionArgueBackShown = true;
        m_bMissionArgueHalf = half;
        m_nCommandFrame = frame;
        m_MissionArgueText.SetText(text, 40, 0xFFFFFFFF);
        m_MissionArgueText.Render();
    }
};

TEST_F(ScriptPictures, FieldEventBriefingLayersAtFrame17) {
    BriefingScript s;
    s.Show(true, 17, "勝利条件：敵の全滅");
    EndSpriteBatch();
    g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, kClear, 1.0f, 0);
    s.DrawFieldEvent("FieldInitialize", nullptr);
    EndSpriteBatch();
    EXPECT_TRUE(Matches("briefing_frame17"));
    // The half picture starts off screen at frame 0.
    s.Show(false, 0, "");
    EndSpriteBatch();
    g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, kClear, 1.0f, 0);
    s.DrawFieldEvent("FieldInitialize", nullptr);
    EndSpriteBatch();
    const uint32_t* px = g_pD3DDevice->BackBuffer();
    // Only the dimming square over the clear colour (the backdrop is at alpha 0).
    EXPECT_EQ(px[100 * 640 + 320], px[400 * 640 + 600]);
}

}  // namespace
