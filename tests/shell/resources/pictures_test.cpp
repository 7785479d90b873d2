// The presentation drawn through the software device and compared pixel for pixel
// with recorded pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/gvlDXAppBase.h"
#include "Draw/gvlD3DObjectBase.h"
#include "PersonData.h"
#include "golden.h"
#include "log/ErrorLog.h"
#include "resources/GlobalResources.h"
#include "test_pictures.h"
#include "util/GameUtil.h"

namespace {

constexpr uint32_t kBackground = 0xFF404860;

// A 640x480 device, the test pictures in a fresh current folder, and a loaded
// presentation object; everything is released in reverse order.
class PresentationPictures : public ::testing::Test {
protected:
    void SetUp() override {
        cd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
        pictures::WriteAll(dir_.path());
        ASSERT_EQ(CreateD3DDevice(false, 640, 480), S_OK);
        InitDrawObjects(g_pD3DDevice);
        SetFixedDeviceState(g_pD3DDevice);
        g_ = std::make_unique<CGlobalResources>();
        g_->Load();
        Clear();
    }
    void TearDown() override {
        EndSpriteBatch();
        g_->Release();
        g_.reset();
        ReleaseSheetDrawObjects();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
        cd_.reset();
    }
    void Clear(uint32_t color = kBackground) {
        EndSpriteBatch();
        g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, color, 1.0f, 0);
    }
    ::testing::AssertionResult Matches(const std::string& name) {
        EndSpriteBatch();
        return testsupport::MatchesGolden("shell/resources/" + name, g_pD3DDevice->BackBuffer(), 640, 480);
    }
    std::vector<uint32_t> Frame() const {
        return std::vector<uint32_t>(g_pD3DDevice->BackBuffer(), g_pD3DDevice->BackBuffer() + 640 * 480);
    }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
    std::unique_ptr<CGlobalResources> g_;
};

TEST_F(PresentationPictures, FramedWindowsPanelsAndDigits) {
    g_->DrawWindow(0, 20, 20, 280, 120, 0, 0xC0102040);
    g_->DrawWindowEx(330, 20, 60, 120, 0.5f, 0xC0603020, 0);  // narrower than 100, half open
    g_->DrawWindowEx(460, 80, 150, 60, 0.0f, 0xC0603020, 0);  // closed: frame pieces only
    g_->DrawStatusPanel(1, 20, 160, 0);
    g_->DrawStretchedPanel(260, 160, 136, 192, 0);
    g_->DrawSmallIcon(3, 420, 180, 0);
    g_->DrawSmallIcon(0, 440, 180, 0);
    g_->DrawSmallNumber(600, 200, 305);
    g_->DrawSmallNumber(600, 210, 0);
    g_->DrawSmallNumber(600, 220, 1234567890);
    EXPECT_TRUE(Matches("window_panel_digits"));
}

TEST_F(PresentationPictures, SmallDigitsRightAlignedAndSlideInPlaces) {
    auto px = [](int x, int y) { return g_pD3DDevice->BackBuffer()[size_t(y) * 640 + x]; };
    g_->DrawSmallNumber(40, 10, 305);
    EndSpriteBatch();
    // Each glyph's top row is lit across its three columns: 3 at x 25, 0 at 30, 5 at 35.
    for (int x : {25, 26, 27, 30, 31, 32, 35, 36, 37}) EXPECT_NE(px(x, 11), kBackground) << x;
    for (int x : {24, 28, 29, 33, 34, 38, 39}) EXPECT_EQ(px(x, 11), kBackground) << x;
    // Digit 0: hollow middle; digit 5: right column unlit on its second row.
    EXPECT_EQ(px(31, 12), kBackground);
    EXPECT_EQ(px(37, 12), kBackground);
    EXPECT_NE(px(35, 12), kBackground);

    for (bool fromLeft : {true, false}) {
        g_->ResetIconSlide();
        for (int i = 0; i < 20; ++i) {
            Clear();
            g_->DrawSlideInIcon(2, fromLeft);
        }
        EndSpriteBatch();
        EXPECT_EQ(g_->GetSlideCounter(), 15);
        const int x = fromLeft ? 28 : 400;
        // The label's left edge (a white column) stands at x + 32 over the icon, whose
        // own left edge (black) is at x; both fully faded in.
        EXPECT_EQ(px(x + 32, 55), 0xFFFFFFFFu) << fromLeft;
        EXPECT_EQ(px(x + 31, 55), 0xFF8080FFu) << fromLeft;
        EXPECT_EQ(px(x, 55), 0xFF000000u) << fromLeft;
        EXPECT_EQ(px(x - 1, 55), kBackground) << fromLeft;
    }
}

TEST_F(PresentationPictures, SerifWindowWithPortraitAndTwoLines) {
    g_->ResetEventWindows();
    g_->SetSerif(7, {"はじめまして、旅の方。", "ここは北の王都です。"});
    for (int i = 0; i < 20; ++i) {
        Clear();
        g_->DrawSerifShown(false);
    }
    EXPECT_TRUE(Matches("serif_portrait"));
    EXPECT_EQ(g_->GetPortraitCount(), 1u);
    // The explicit release gives every picture back while the device still exists.
    g_->Release();
    EXPECT_EQ(g_->GetPortraitCount(), 0u);
    EXPECT_EQ(g_->GetSystemTexture().GetTexture(), nullptr);
    Clear();
    g_->DrawMessageShown(false);
    g_->DrawStatusPanel(0, 0, 0, 0);
    g_->DrawWindow(0, 10, 10, 100, 100, 0, 0x00000000);  // transparent body, no frame
    EndSpriteBatch();
    for (int i = 0; i < 640 * 480; i += 997) ASSERT_EQ(g_pD3DDevice->BackBuffer()[i], kBackground);
}

TEST_F(PresentationPictures, SerifSpeakersCrossFade) {
    g_->ResetEventWindows();
    g_->SetSerif(7, {"最初の話し手です。", "二行目。", "三行目。"});
    for (int i = 0; i < 20; ++i) g_->DrawSerifShown(false);
    g_->SetSerif(8, {"次の話し手が答える。", "よろしく。"});
    for (int i = 0; i < 4; ++i) {
        Clear();
        g_->DrawSerifShown(false);
    }
    EXPECT_EQ(g_->GetSerifState().nFade, 191);
    EXPECT_TRUE(Matches("serif_crossfade"));
}

TEST_F(PresentationPictures, MessageAndPlaceWindowsMidAnimation) {
    g_->SetPlace({"王都アグリッピナ"});
    g_->SetMessage({"戦いは終わった。", "だが、新たな影が忍び寄る。"});
    for (int i = 0; i < 10; ++i) {
        Clear();
        g_->DrawPlaceShown(false);
        g_->DrawMessageShown(false);
    }
    EXPECT_TRUE(Matches("message_place_mid"));
}

TEST_F(PresentationPictures, UnitPlates) {
    PersonRecord p;
    p.s_name = "アラン";
    p.nHP = 30;
    p.nMaxHP = 48;
    p.nMP = 12;
    p.nCondition = 4;
    p.hero = 1;
    p.nStr = 15, p.nMag = 8, p.nDex = 21, p.nSpd = 9, p.nGur = 3, p.nGurA = 5, p.nGurM = 7;
    UnitPlate detailed, simple;
    detailed.Set(p, 20, 20, 255);
    p.hero = 0;
    p.bForward = 1;
    p.nCondition = 1;
    p.nHP = 48;
    simple.Set(p, 40, 120, 160);
    g_->DrawUnitPlate(detailed, true);
    g_->DrawUnitPlate(simple, false);
    EXPECT_TRUE(Matches("unit_plate"));
}

TEST_F(PresentationPictures, StrategyMapWithForceFieldsAndMovingMarker) {
    g_->StartMapCameraMove(512, 512, 100);
    g_->MakeForcesField(1, "red.png", 200, 300, 380, 128, 128);
    g_->MakeForcesField(2, "blue.png", 255, 560, 460, 128, 128);
    g_->SetMarker("./graphics/marker.png", 1, 0, 400, 500, 0, 100);
    g_->SkipMapAnimations();
    Clear(0xFF000000);
    g_->DrawStrategyMap(0);
    g_->MoveMarker(1, 700, 600, 90, 10);
    for (int i = 0; i < 6; ++i) {
        Clear(0xFF000000);
        g_->DrawStrategyMap(0);
    }
    EXPECT_TRUE(Matches("strategy_map"));
}

TEST_F(PresentationPictures, ChapterTelopAtTwoFrames) {
    g_->StartChapterTelop("第一章", "はじまりの日", "Chapter One");
    for (int c = 0; c <= 45; ++c) {
        Clear(0xFF000000);
        g_->DrawChapterTelop();
    }
    EXPECT_TRUE(Matches("telop_45"));
    while (g_->GetTelopCounter() <= 270) {
        Clear(0xFF000000);
        g_->DrawChapterTelop();
    }
    EXPECT_TRUE(Matches("telop_270"));
}

TEST_F(PresentationPictures, LogoAtTwoFrames) {
    g_->StartLogo();
    for (int c = 0; c <= 45; ++c) {
        Clear();
        g_->DrawLogo();
    }
    EXPECT_TRUE(Matches("logo_45"));
    while (g_->GetLogoCounter() <= 90) {
        Clear();
        g_->DrawLogo();
    }
    EXPECT_TRUE(Matches("logo_90"));
}

TEST_F(PresentationPictures, ScreenFadeAtHalf) {
    g_->DrawStatusPanel(0, 100, 100, 0);
    g_->DrawStatusPanel(2, 340, 200, 0);
    g_->SetFade(0xFF000000, 2);
    g_->SetFadeFrom(0);
    g_->SetFadeTo(255);
    g_->ResetFadeLevel();
    g_->UpdateFade();
    EXPECT_DOUBLE_EQ(g_->GetFadeLevel(), 127.5);
    EXPECT_TRUE(Matches("fade_half"));
}

TEST_F(PresentationPictures, SheetCellsHighlightsFiguresAndArrow) {
    pictures::Image sheet(1024, 1024, 0);
    for (int n = 0; n < 32; ++n) {
        const int col = n % 16, row = n / 16 + 8;
        sheet.Region(48 * col, 64 * row, 48 * col + 48, 64 * row + 64, 0xFF000000 | uint32_t(n * 8) << 16 | 0x8040,
                     0xFFFFFFFF);
    }
    for (int k = 0; k < 3; ++k)
        for (int y = 0; y < 56; ++y)
            for (int x = 0; x < 112; ++x)
                if (std::abs(x - 56) * 56 + std::abs(y - 28) * 112 <= 56 * 56)
                    sheet.Set(896 + x, 56 * (12 + k) + y, k == 0 ? 0xFFFFFFFF : (k == 1 ? 0xFFFF4040 : 0xFF4040FF));
    ASSERT_TRUE(sheet.Save(dir_.path() + "graphics/chips.png"));
    CD3DDrawTexture chips("./graphics/chips.png");
    ASSERT_NE(chips.GetTexture(), nullptr);
    DrawCellHighlight(&chips, 0, 20, 20, 255);
    DrawCellHighlights(&chips, 1, {{140, 20}, {196, 48}}, 200);
    DrawCellHighlight(&chips, 2, 320, 20, 128);
    DrawCellHighlight(&chips, 3, 440, 20, 160);
    DrawCellHighlight(&chips, 4, 440, 80, 160);
    DrawUnitFigures(&chips, 100, 250, 255, 1, 2, 3, 4);
    DrawUnitFigures(&chips, 250, 250, 255, 5, -1, 6, 7);
    DrawUnitFigures(&chips, 400, 250, 255, 8, -1, 9, -1);
    DrawSheetCell(&chips, 17, 500, 300, 255);
    ArrowVertex a, b;
    a.x = 100, a.y = 400, a.color = 0xFFFFFF00;
    b.x = 300, b.y = 340, b.color = 0xFFFF0000;
    DrawArrowLine(a, b);
    EXPECT_TRUE(Matches("sheet_cells"));
}

TEST_F(PresentationPictures, OddArgumentsDrawWithoutHarm) {
    // Broken script or table values reach these draws; none may crash or read outside
    // the pictures.
    g_->MakeForcesField(1, "red.png", 255, 0, 0, -64, -64);
    g_->SetMarker("./graphics/marker.png", 1, 0, 100, 100, 45, 0);
    g_->SetMarker("./graphics/marker.png", 2, 0, 100, 100, 45, -300);
    g_->StartMapCameraMove(-5000, 90000, 0);
    for (int i = 0; i < 3; ++i) g_->DrawStrategyMap(0);
    g_->SkipMapAnimations();
    g_->DrawStrategyMap(0);
    g_->MoveMapCamera(3, 3, -1);  // at zoom 0
    g_->MoveMapCamera(3, 3, 1);
    EXPECT_TRUE(std::isfinite(g_->GetMapCamera().x));
    g_->DrawStrategyMap(0);
    g_->GetBustUpTexture(-4, 0, 0, 0, 255, -1.0);
    g_->DrawSmallNumber(100, 100, -2147483647 - 1);
    g_->DrawSmallIcon(-40, 0, 0, 0);
    g_->DrawStatusPanel(1000, 0, 0, 0);
    g_->DrawStretchedPanel(0, 0, 0, -10, 0);
    g_->DrawWindowEx(0, 0, -50, -50, 2.0f, 0x80FFFFFF, 0);
    DrawSheetCell(&g_->GetSystemTexture(), -37, 10, 10, 255);
    DrawUnitFigures(&g_->GetSystemTexture(), 10, 10, 255, -7, 3, -1, 99999);
    SpriteAnim a;
    a.Set(&g_->GetSystemTexture(), SpriteAnim::kWipe, 3, 10, 0, 0, RECT{0, 100, 50, 20});
    for (int i = 0; i < 12; ++i) a.Draw();
    g_->SetSerif(-1, {});
    g_->DrawSerifShown(false);
    g_->SetMessage({});
    g_->DrawMessageShown(true);
    g_->DrawMessageHidden(false);
    g_->SetPlace({""});
    g_->DrawPlaceHidden(false);
    EndSpriteBatch();
    SUCCEED();
}

TEST_F(PresentationPictures, MissingPicturesAreLoggedAndDrawNothing) {
    const std::vector<uint32_t> before = Frame();
    g_->GetBustUpTexture(55, 0, 0, 0, 255, 1.0);
    EXPECT_NE(g_ErrorLog.GetLastText().find("055.png"), std::string::npos) << g_ErrorLog.GetLastText();
    g_->GetBustUpTexture(55, 0, 0, 0, 255, 1.0);  // cached: not tried again
    g_->MakeForcesField(9, "gone.png", 255, 0, 0, 64, 64);
    g_->SetMarker("./graphics/gone.png", 3, 0, 100, 100, 0, 100);
    g_->SkipMapAnimations();
    CD3DDrawTexture none("./graphics/nothing.png");
    DrawTextureRect(&none, 0, 0, 0, 0, 32, 32, 255);
    DrawCellHighlight(&none, 3, 0, 0, 255);
    DrawTextureRect(nullptr, 0, 0, 0, 0, 32, 32, 255);
    EndSpriteBatch();
    EXPECT_EQ(Frame(), before);
    // The system sheet gone: windows draw their bodies only, nothing crashes.
    ::remove((dir_.path() + "graphics/sys.png").c_str());
    g_->Load();
    g_->DrawStatusPanel(0, 0, 0, 0);
    g_->DrawSmallNumber(50, 50, 12);
    EndSpriteBatch();
    EXPECT_EQ(Frame(), before);
}

}  // namespace
