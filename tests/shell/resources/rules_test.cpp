// Counters and rules of the presentation object that need no picture: sprite
// animations, logo, fade, story-window timing, camera, force fields, markers, music,
// sound effects, the telop and the unit plate.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

#include "PersonData.h"
#include "audio/sound_device.h"
#include "golden.h"
#include "log/ErrorLog.h"
#include "resources/GlobalResources.h"

namespace {

// ---- sprite animations --------------------------------------------------------------------------

SpriteAnim MakeAnim(int mode, int flags, int length) {
    SpriteAnim a;
    a.Set(nullptr, mode, flags, length, 100, 50, RECT{0, 0, 64, 32});
    return a;
}

std::vector<int> Alphas(SpriteAnim& a, int calls) {
    std::vector<int> out;
    for (int i = 0; i < calls; ++i) {
        const SpriteAnim::Frame f = a.CurrentFrame();
        out.push_back(f.parts ? f.alpha[0] : -1);
        a.Draw();
    }
    return out;
}

TEST(SpriteAnimRules, FadeOutAndFadeIn) {
    SpriteAnim out = MakeAnim(SpriteAnim::kFade, 0, 8);
    EXPECT_EQ(Alphas(out, 10), (std::vector<int>{255, 224, 192, 160, 128, 96, 64, 32, -1, -1}));
    EXPECT_EQ(out.nFrame, 10);
    SpriteAnim in = MakeAnim(SpriteAnim::kFade, 1, 4);
    EXPECT_EQ(Alphas(in, 6), (std::vector<int>{0, 63, 127, 191, 255, 255}));
    SpriteAnim other = MakeAnim(SpriteAnim::kFade, 2, 4);
    EXPECT_EQ(Alphas(other, 2), (std::vector<int>{-1, -1}));
}

TEST(SpriteAnimRules, WipeRisesOrSinksAndEnds) {
    SpriteAnim rise = MakeAnim(SpriteAnim::kWipe, 3, 4);
    rise.nFrame = 1;
    SpriteAnim::Frame f = rise.CurrentFrame();
    ASSERT_EQ(f.parts, 1);
    EXPECT_EQ(f.src[0].bottom, 8);  // top part of height 32 * 1 / 4
    EXPECT_EQ(f.y[0], 50 + 32 - 8);
    SpriteAnim sink = MakeAnim(SpriteAnim::kWipe, 7, 4);
    sink.nFrame = 1;
    f = sink.CurrentFrame();
    EXPECT_EQ(f.src[0].bottom, 24);
    EXPECT_EQ(f.y[0], 58);
    // Run out: flags 7 hide, flags 3 show the whole rectangle.
    sink.nFrame = 5;
    EXPECT_EQ(sink.CurrentFrame().parts, 0);
    rise.nFrame = 5;
    f = rise.CurrentFrame();
    ASSERT_EQ(f.parts, 1);
    EXPECT_EQ(f.src[0].bottom, 32);
    EXPECT_EQ(f.alpha[0], 255);
    // Flags without both low bits draw nothing while running.
    SpriteAnim idle = MakeAnim(SpriteAnim::kWipe, 1, 4);
    EXPECT_EQ(idle.CurrentFrame().parts, 0);
}

TEST(SpriteAnimRules, MergeCopiesMeetThenOneOpaqueCopy) {
    SpriteAnim m = MakeAnim(SpriteAnim::kMerge, 1, 10);
    SpriteAnim::Frame f = m.CurrentFrame();
    ASSERT_EQ(f.parts, 2);
    EXPECT_EQ(f.x[0], 120);
    EXPECT_EQ(f.x[1], 80);
    EXPECT_EQ(f.alpha[0], 0);
    m.nFrame = 10;
    f = m.CurrentFrame();
    ASSERT_EQ(f.parts, 2);
    EXPECT_EQ(f.x[0], 100);
    EXPECT_EQ(f.x[1], 100);
    EXPECT_EQ(f.alpha[0], 150);
    m.nFrame = 11;
    f = m.CurrentFrame();
    ASSERT_EQ(f.parts, 1);
    EXPECT_EQ(f.alpha[0], 255);
}

TEST(SpriteAnimRules, PulseAndZeroLengthsAreSafe) {
    SpriteAnim p;
    p.SetPulse(nullptr, SpriteAnim::kPulse, 0, 100, 200, 4, 0, 0, RECT{0, 0, 8, 8});
    EXPECT_EQ(Alphas(p, 5), (std::vector<int>{100, 150, 200, 150, 100}));
    // Lengths of 0 (and 1 in pulse mode) would divide by zero: they show the end state.
    SpriteAnim z = MakeAnim(SpriteAnim::kWipe, 3, 0);
    EXPECT_EQ(z.CurrentFrame().parts, 1);
    z = MakeAnim(SpriteAnim::kMerge, 1, 0);
    EXPECT_EQ(z.CurrentFrame().alpha[0], 255);
    z = MakeAnim(SpriteAnim::kFade, 0, 0);
    EXPECT_EQ(z.CurrentFrame().parts, 0);
    SpriteAnim one;
    one.SetPulse(nullptr, SpriteAnim::kPulse, 0, 10, 90, 1, 0, 0, RECT{0, 0, 8, 8});
    EXPECT_EQ(one.CurrentFrame().alpha[0], 90);
    EXPECT_EQ(MakeAnim(7, 0, 5).CurrentFrame().parts, 0);
}

// ---- logo and fade ---------------------------------------------------------------------------------

TEST(GlobalObject, BuiltEmptyBeforeTheProgramRuns) {
    EXPECT_FALSE(g_GlobalResources.IsLoaded());
    EXPECT_EQ(g_GlobalResources.GetCurrentBGM(), CGlobalResources::kNoBGM);
    EXPECT_EQ(g_GlobalResources.GetBGMChannel(), nullptr);
    EXPECT_EQ(g_GlobalResources.GetPortraitCount(), 0u);
    EXPECT_TRUE(g_GlobalResources.GetBGMTable().empty());
}

TEST(LogoRules, CountersPiecesAndBackdrop) {
    CGlobalResources g;
    EXPECT_EQ(g.GetLogoBackdropColor(), 0xFFFFFFFFu);  // opaque white before any start
    g.Load();
    g.StartLogo();
    EXPECT_EQ(g.GetLogoBackdropColor(), 0x80000000u);
    for (int c = 0; c < 81; ++c) g.DrawLogo();
    EXPECT_EQ(g.GetSprite(4).nFrame, 0);
    EXPECT_EQ(g.GetSprite(0).nFrame, 70);  // drawn from c = 11 on
    g.DrawLogo();  // c = 81
    EXPECT_EQ(g.GetSprite(4).nFrame, 1);
    while (g.GetLogoCounter() < 201) g.DrawLogo();
    EXPECT_EQ(g.GetLogoBackdropColor(), 0x7F000000u);  // alpha 127 at 201
    EXPECT_EQ(g.GetSprite(4).nFrame, 119);  // no pieces from c = 200 on
    while (g.GetLogoCounter() < 328) g.DrawLogo();
    EXPECT_EQ(g.GetLogoBackdropColor(), 0x00000000u);
    EXPECT_FALSE(g.IsLogoDone());
    g.DrawLogo();
    EXPECT_EQ(g.GetLogoCounter(), 329);
    EXPECT_TRUE(g.IsLogoDone());
    g.DrawLogo();
    EXPECT_EQ(g.GetLogoBackdropColor(), 0x00000000u);  // stays transparent
}

TEST(FadeRules, LevelsOverTime) {
    CGlobalResources g;
    g.Load();
    g.SetFade(0xFF000000, 10);
    g.SetFadeFrom(0);
    g.SetFadeTo(255);
    g.ResetFadeLevel();
    g.UpdateFade();
    EXPECT_DOUBLE_EQ(g.GetFadeLevel(), 25.5);
    for (int i = 0; i < 4; ++i) g.UpdateFade();
    EXPECT_DOUBLE_EQ(g.GetFadeLevel(), 127.5);
    for (int i = 0; i < 10; ++i) g.UpdateFade();
    EXPECT_DOUBLE_EQ(g.GetFadeLevel(), 255);  // held at the end alpha
    // A negative length brings it back down, held at the start alpha.
    g.SetFade(0xFF000000, -5);
    g.UpdateFade();
    EXPECT_DOUBLE_EQ(g.GetFadeLevel(), 204);
    for (int i = 0; i < 10; ++i) g.UpdateFade();
    EXPECT_DOUBLE_EQ(g.GetFadeLevel(), 0);
}

TEST(FadeRules, StartAboveEndIsPinnedAtTheEnd) {
    CGlobalResources g;
    g.Load();
    g.SetFade(0xFFFFFFFF, 4);
    g.SetFadeFrom(200);
    g.SetFadeTo(50);
    g.ResetFadeLevel();
    for (int i = 0; i < 3; ++i) {
        g.UpdateFade();
        EXPECT_DOUBLE_EQ(g.GetFadeLevel(), 50);
    }
    // Length 0 never moves the level.
    g.SetFade(0xFFFFFFFF, 0);
    g.ResetFadeLevel();
    g.UpdateFade();
    EXPECT_DOUBLE_EQ(g.GetFadeLevel(), 0);
}

// ---- story windows --------------------------------------------------------------------------------

TEST(StoryWindowRules, FormatZeroPadded) {
    EXPECT_EQ(FormatZeroPadded(7, 3), "007");
    EXPECT_EQ(FormatZeroPadded(1234, 3), "1234");
    EXPECT_EQ(FormatZeroPadded(-5, 3), "0");
    EXPECT_EQ(FormatZeroPadded(0, 3), "000");
    EXPECT_EQ(FormatZeroPadded(12, 0), "12");
}

TEST(StoryWindowRules, SerifSpeakerFlagsAndCounters) {
    CGlobalResources g;
    g.Load();
    g.ResetEventWindows();
    g.SetSerif(12, {"a"});
    EXPECT_FALSE(g.GetSerifState().bSameKind);  // 999 before, 12 now
    EXPECT_TRUE(g.GetSerifState().bSpeakerChanged);
    g.SetSerif(13, {"b", "c"});
    EXPECT_TRUE(g.GetSerifState().bSameKind);
    EXPECT_EQ(g.GetSerifState().nPrevLineCount, 1);
    g.SetSerif(999, {"d"});
    EXPECT_FALSE(g.GetSerifState().bSameKind);
    EXPECT_EQ(g.GetSerifState().nFade, 255);
    g.DrawSerifShown(false);
    EXPECT_EQ(g.GetSerifState().nFade, 239);
    EXPECT_EQ(g.GetSerifState().nSlide, 14);
    EXPECT_EQ(g.GetSerifState().nLine, 1);
    EXPECT_EQ(g.GetSprite(8).nFrame, 0);
    EXPECT_EQ(g.GetSprite(7).nFrame, 1);
    g.DrawSerifShown(true);
    EXPECT_EQ(g.GetSerifState().nFade, 0);
    EXPECT_EQ(g.GetSerifState().nSlide, 255);
    EXPECT_EQ(g.GetSerifState().nLine, 15);
    EXPECT_EQ(g.GetSprite(7).nFrame, 200);
    g.DrawSerifHidden(false);
    EXPECT_EQ(g.GetSprite(7).nFrame, 0);
    EXPECT_EQ(g.GetSerifState().nSlide, 241);
    EXPECT_EQ(g.GetSerifState().nLine, 14);
    g.DrawSerifHidden(true);
    EXPECT_EQ(g.GetSerifState().nSlide, 0);
    EXPECT_EQ(g.GetSerifState().nLine, 0);
    EXPECT_EQ(g.GetSprite(8).nFrame, 100);
}

TEST(StoryWindowRules, MessageAndPlaceSwitchTiming) {
    CGlobalResources g;
    g.Load();
    g.SetMessage({"one", "two"});
    EXPECT_EQ(g.GetMessageState().nHeight, 40);
    for (int i = 0; i < 20; ++i) g.DrawMessageShown(false);
    EXPECT_EQ(g.GetMessageState().nA, 20);
    EXPECT_EQ(g.GetMessageState().nB, 15);
    for (int i = 0; i < 50; ++i) g.DrawMessageShown(false);
    EXPECT_EQ(g.GetMessageState().nA, 60);
    g.SetMessage({"three"});
    EXPECT_EQ(g.GetMessageState().nA, 0);
    EXPECT_EQ(g.GetMessageState().nPrevLineCount, 2);
    EXPECT_EQ(g.GetMessageState().nPrevHeight, 40);
    g.DrawMessageHidden(false);
    EXPECT_EQ(g.GetMessageState().nA, 1);
    EXPECT_EQ(g.GetMessageState().nB, 14);
    EXPECT_EQ(g.GetMessageState().nLineCount, 1);
    g.DrawMessageHidden(true);
    EXPECT_EQ(g.GetMessageState().nA, 60);
    EXPECT_EQ(g.GetMessageState().nB, 0);
    EXPECT_EQ(g.GetMessageState().nLineCount, 0);

    g.SetPlace({"p"});
    g.DrawPlaceShown(false);
    EXPECT_EQ(g.GetPlaceState().nA, 1);  // text alpha 20, background 15
    EXPECT_EQ(g.GetPlaceState().nB, 1);
    g.DrawPlaceShown(true);
    EXPECT_EQ(g.GetPlaceState().nA, 60);
    EXPECT_EQ(g.GetPlaceState().nB, 15);
    for (int i = 0; i < 20; ++i) g.DrawPlaceHidden(false);
    EXPECT_EQ(g.GetPlaceState().nA, 40);
    EXPECT_EQ(g.GetPlaceState().nB, 0);
    g.DrawPlaceHidden(true);
    EXPECT_EQ(g.GetPlaceState().nA, 0);
}

TEST(StoryWindowRules, TooManyLinesAreCutAndLogged) {
    CGlobalResources g;
    g.Load();
    g.SetMessage({"1", "2", "3", "4", "5", "6", "7"});
    EXPECT_EQ(g.GetMessageState().nLineCount, 6);
    EXPECT_NE(g_ErrorLog.GetLastText().find("6"), std::string::npos);
    g.SetPlace({"1", "2", "3", "4"});
    EXPECT_EQ(g.GetPlaceState().nLineCount, 3);
}

// A line longer than the screen is cut at whole characters within twice its width
// (lines are drawn at half size; 15 pixels a half-width character).
TEST(StoryWindowRules, LinesLongerThanTheScreenAreCutAtItsWidth) {
    CGlobalResources g;
    g.Load();
    for (const auto& [line, halfWidth] : {std::pair{std::string(600, 'a'), 85 * 15 / 2}, {std::string(85, 'a'), 85 * 15 / 2}}) {
        g.SetMessage({line});
        EXPECT_EQ(g.GetMessageState().nWidth, halfWidth) << line.size();
    }
}

// ---- panels ------------------------------------------------------------------------------------------

TEST(PanelRules, SlideInCounterSaturates) {
    CGlobalResources g;
    g.ResetIconSlide();
    for (int i = 0; i < 20; ++i) g.DrawSlideInIcon(1, true);
    EXPECT_EQ(g.GetSlideCounter(), 15);
    g.ResetIconSlide();
    EXPECT_EQ(g.GetSlideCounter(), 0);
}

TEST(PanelRules, ArrowHeadStrokesAndZeroLength) {
    ArrowVertex a, b;
    a.x = 0;
    a.y = 0;
    b.x = 100;
    b.y = 0;
    float head[2][2];
    ASSERT_TRUE(ArrowHeadPoints(a, b, head));
    // Pointing back along the line, 20 degrees either side.
    EXPECT_NEAR(head[0][0], 100 - 10 * std::cos(0.3490658402442932), 1e-4);
    EXPECT_NEAR(std::fabs(head[0][1]), 10 * std::sin(0.3490658402442932), 1e-4);
    EXPECT_NEAR(head[0][1], -head[1][1], 1e-4);
    // Start below the end (start.y - end.y negative side handled by the sign).
    a.x = 50;
    a.y = -50;
    b.x = 50;
    b.y = 0;
    ASSERT_TRUE(ArrowHeadPoints(a, b, head));
    EXPECT_LT(head[0][1], 0);
    EXPECT_LT(head[1][1], 0);
    // Zero length: no head, no division by zero.
    EXPECT_FALSE(ArrowHeadPoints(b, b, head));
    DrawArrowLine(b, b);  // no device: nothing happens
}

// ---- strategy map --------------------------------------------------------------------------------

TEST(StrategyMapRules, CameraMoveStepCounts) {
    CGlobalResources g;
    g.Load();
    const auto& c = g.GetMapCamera();
    EXPECT_EQ(c.x, 1024);
    EXPECT_EQ(c.zoom, 0.5);
    g.StartMapCameraMove(0, 0, 100);
    EXPECT_EQ(c.nStepCount, 1);
    g.DrawStrategyMap(0);
    EXPECT_EQ(c.x, 512);  // first step at the start values
    g.DrawStrategyMap(0);
    EXPECT_EQ(c.x, 0);
    EXPECT_EQ(c.nStep, 2);
    g.StartMapCameraMove(700, 0, 100);
    EXPECT_EQ(c.nStepCount, 8);
    {
        // Far outside the map the 32-bit sum of squares wraps: still a valid count.
        CGlobalResources far;
        far.Load();
        far.StartMapCameraMove(40000, 40000, 100);
        EXPECT_GE(far.GetMapCamera().nStepCount, 1);
        far.StartMapCameraMove(30000, 0, 100);
        EXPECT_EQ(far.GetMapCamera().nStepCount, int(std::sqrt(float(900000000 / 7000.0))));
    }
    EXPECT_EQ(c.startX, 0);
    for (int i = 0; i < 5; ++i) g.DrawStrategyMap(0);
    EXPECT_DOUBLE_EQ(c.x, 700.0 / 8 * 4);
    g.SkipMapAnimations();
    EXPECT_EQ(c.nStep, 7);
    g.DrawStrategyMap(0);
    g.DrawStrategyMap(0);
    EXPECT_DOUBLE_EQ(c.x, 700);
    EXPECT_EQ(g.GetMapAlpha(), 255);
    g.ResetStrategyMapAlpha();
    EXPECT_EQ(g.GetMapAlpha(), 0);
}

TEST(StrategyMapRules, ZoomLimitsAndMapEdges) {
    CGlobalResources g;
    g.Load();
    const auto& c = g.GetMapCamera();
    g.StartMapCameraMove(1000, 1000, 100);
    for (int i = 0; i < 40; ++i) g.DrawStrategyMap(0);
    ASSERT_EQ(c.zoom, 1.0);
    g.MoveMapCamera(0, 0, -80);
    EXPECT_NEAR(c.zoom, 0.2, 1e-12);
    EXPECT_DOUBLE_EQ(c.targetZoom, 0.234375);
    // At zoom 0.2 the map (410 pixels a side) is smaller than the view both ways: it
    // sits in the middle of the screen, not against its right edge.
    EXPECT_DOUBLE_EQ(c.x, 1024);
    EXPECT_DOUBLE_EQ(c.y, 1024);
    EXPECT_DOUBLE_EQ(320 - c.zoom * c.x, 640 - (320 - c.zoom * c.x + c.zoom * 2048));
    g.StartMapCameraMove(1000, 1000, 50);
    EXPECT_DOUBLE_EQ(c.targetZoom, 0.234375);  // current zoom below the limit
    for (int i = 0; i < 40; ++i) g.DrawStrategyMap(0);
    EXPECT_DOUBLE_EQ(c.zoom, 0.234375);
    g.MoveMapCamera(0, 0, 1200);
    EXPECT_DOUBLE_EQ(c.zoom, 10.0);
    EXPECT_DOUBLE_EQ(c.targetZoom, 10.0);
    g.MoveMapCamera(0, 0, -900);  // back to 1.0
    ASSERT_DOUBLE_EQ(c.zoom, 1.0);
    g.MoveMapCamera(500, 0, 0);  // 1000 + 850 is past the right edge
    EXPECT_DOUBLE_EQ(c.x, 1727);
    g.MoveMapCamera(-2000, -2000, 0);
    EXPECT_DOUBLE_EQ(c.x, 320);
    EXPECT_DOUBLE_EQ(c.y, 240);
    // A zoom-out key held for a long time: the view keeps a positive zoom and its
    // centre a finite place inside the map's reach.
    for (int i = 0; i < 300; ++i) g.MoveMapCamera(0, 0, -1);
    EXPECT_GT(c.zoom, 0.0);
    EXPECT_LT(c.zoom, 0.02);
    EXPECT_DOUBLE_EQ(c.targetZoom, 0.234375);
    EXPECT_TRUE(std::isfinite(c.x));
    EXPECT_TRUE(std::isfinite(c.y));
    for (int i = 0; i < 100; ++i) g.MoveMapCamera(0, 0, 1);
    ASSERT_NEAR(c.zoom, 1.0, 0.02);
    EXPECT_GE(c.x, 320 / c.zoom);
    EXPECT_LT(c.x, 2048 - 320 / c.zoom);
    // No moves by delta while a move runs.
    g.StartMapCameraMove(600, 600, 100);
    const double before = c.x;
    g.MoveMapCamera(10, 0, 0);
    EXPECT_EQ(c.x, before);
}

TEST(StrategyMapRules, ForceFieldsFadeAndRemove) {
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cd(dir.path());
    CGlobalResources g;
    g.Load();
    g.MakeForcesField(3, "none.png", 255, 10, 20, 64, 64);
    auto& fields = g.GetForcesFields();
    ASSERT_EQ(fields.size(), 1u);
    for (int i = 0; i < 12; ++i) g.DrawStrategyMap(0);
    EXPECT_EQ(fields[3]->nAlpha, 254);  // integer halving never reaches 255
    g.SkipMapAnimations();
    EXPECT_EQ(fields[3]->nAlpha, 255);
    g.SetForcesFieldAlpha(99, 10);  // unknown keys are ignored
    g.DeleteForcesField(99);
    g.DeleteForcesField(3);
    for (int i = 0; i < 7; ++i) g.DrawStrategyMap(0);  // 127, 63, 31, 15, 7, 3, 1
    EXPECT_EQ(fields.size(), 1u);
    g.DrawStrategyMap(0);
    EXPECT_TRUE(fields.empty());
    g.MakeForcesField(4, "none.png", 128, 0, 0, 8, 8);
    g.MakeForcesField(4, "none.png", 64, 0, 0, 8, 8);  // same record reused
    EXPECT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[4]->nTargetAlpha, 64);
    g.ClearForcesFieldMap();
    EXPECT_TRUE(fields.empty());
}

TEST(StrategyMapRules, MarkersKeepTheirKeyAndStep) {
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cd(dir.path());
    CGlobalResources g;
    g.Load();
    g.SetMarker("m.png", 1, 7, 100, 200, 0, 150);
    g.SetMarker("m.png", 1, 8, 300, 400, 45, 100);  // key present: unchanged
    auto& markers = g.GetMarkers();
    ASSERT_EQ(markers.size(), 1u);
    EXPECT_EQ(markers[1].nExtra, 7);
    EXPECT_EQ(markers[1].x, 100);
    EXPECT_DOUBLE_EQ(markers[1].scale, 1.5);
    EXPECT_EQ(g.GetMarkerImages().size(), 1u);
    for (int i = 0; i < 16; ++i) g.DrawStrategyMap(0);
    EXPECT_EQ(markers[1].nAlpha, 255 * 15 / 30);
    g.SkipMapAnimations();
    g.DrawStrategyMap(0);
    EXPECT_EQ(markers[1].nAlpha, 255);
    g.MoveMarker(1, 160, 200, 90, 3);
    g.DrawStrategyMap(0);
    g.DrawStrategyMap(0);
    EXPECT_DOUBLE_EQ(markers[1].x, 120);
    EXPECT_DOUBLE_EQ(markers[1].angle, 30);
    g.MoveMarker(1, 0, 0, 0, 0);  // no frames: lands at once
    g.DrawStrategyMap(0);
    EXPECT_EQ(markers[1].x, 0);
    g.EraseMarker(1);
    for (int i = 0; i < 31; ++i) g.DrawStrategyMap(0);
    EXPECT_EQ(markers[1].nAlpha, 0);
    g.MoveMarker(42, 1, 1, 1, 1);  // absent: ignored
    EXPECT_EQ(markers.count(42), 0u);
    g.ClearMarkers();
    EXPECT_TRUE(markers.empty());
    EXPECT_TRUE(g.GetMarkerImages().empty());
}

TEST(StrategyMapRules, BaseTableSkipsItsHeader) {
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cd(dir.path());
    {
        std::ofstream f("bases.csv", std::ios::binary);
        f << "a,b,c,d,e,f,g\r\n1,2,3,North,Fort,5,6\r\n7,8,9,South,Port,10,11\r\n";
        std::ofstream h("header.csv", std::ios::binary);
        h << "a,b,c,d,e,f,g\r\n";
    }
    CGlobalResources g;
    g.LoadStrategyMapBase("missing.csv");  // logged by the table reader, nothing added
    EXPECT_TRUE(g.GetStrategyMapBases().empty());
    g.LoadStrategyMapBase("header.csv");
    EXPECT_TRUE(g.GetStrategyMapBases().empty());
    g.LoadStrategyMapBase("bases.csv");
    ASSERT_EQ(g.GetStrategyMapBases().size(), 2u);
    const StrategyMapBase& b = g.GetStrategyMapBases().back();
    EXPECT_EQ(b.nValue0, 7);
    EXPECT_EQ(b.strText0, "South");
    EXPECT_EQ(b.strText1, "Port");
    EXPECT_EQ(b.nValue4, 11);
}

// ---- telop ----------------------------------------------------------------------------------------

TEST(TelopRules, CounterSkipAndDone) {
    CGlobalResources g;
    g.Load();
    g.StartChapterTelop("a", "b", "c");
    EXPECT_EQ(g.GetTelopCounter(), 0);
    g.SkipChapterTelop();
    EXPECT_EQ(g.GetTelopCounter(), 250);
    while (g.GetTelopCounter() < 300) g.DrawChapterTelop();
    g.SkipChapterTelop();
    EXPECT_EQ(g.GetTelopCounter(), 300);
    while (g.GetTelopCounter() < 350) g.DrawChapterTelop();
    EXPECT_FALSE(g.IsChapterTelopDone());
    g.DrawChapterTelop();
    EXPECT_TRUE(g.IsChapterTelopDone());
}

// ---- unit plate -------------------------------------------------------------------------------------

TEST(UnitPlateRules, BarConditionAndZeroMaximum) {
    PersonRecord p;
    p.s_name = "Ann";
    p.nHP = 0;
    p.nMaxHP = 40;
    p.nCondition = 1 | 4;
    p.hero = 1;
    p.nStr = 12;
    UnitPlate plate;
    plate.Set(p, 10, 20, 200);
    EXPECT_EQ(plate.GetHPBarWidth(), 0);
    EXPECT_EQ(plate.m_ConditionText.GetText(), "Poison");
    EXPECT_EQ(plate.m_ConditionText.GetColor(), 0xFFFF0000u);
    EXPECT_EQ(plate.m_HPText.GetText(), "   0/  40");
    EXPECT_EQ(plate.nStr, 12);
    EXPECT_EQ(plate.bHero, 1);
    plate.SetHPText(40, 40);
    EXPECT_EQ(plate.GetHPBarWidth(), 93);
    plate.SetHPText(20, 40);
    EXPECT_EQ(plate.GetHPBarWidth(), 46);
    plate.SetPoisonText(1);
    EXPECT_TRUE(plate.m_ConditionText.GetText().empty());
    // A person without a maximum HP: no division by zero, an empty bar.
    plate.SetHPText(5, 0);
    EXPECT_EQ(plate.GetHPBarWidth(), 0);
    plate.SetNumberText(7);
    EXPECT_EQ(plate.m_MPText.GetText(), "  7");
    plate.SetNumberText(1234567);  // cut to five characters
    EXPECT_EQ(plate.m_MPText.GetText(), "12345");
}

// ---- music and sound effects ---------------------------------------------------------------------

// A short 16-bit mono WAV of silence.
void WriteWav(const std::string& path, int samples = 2205) {
    std::vector<unsigned char> b;
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF); };
    auto u16 = [&](uint16_t v) { b.push_back(v & 0xFF); b.push_back(v >> 8); };
    const uint32_t data = uint32_t(samples) * 2;
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    u32(36 + data);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    u32(16);
    u16(1);
    u16(1);
    u32(22050);
    u32(44100);
    u16(2);
    u16(16);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    u32(data);
    b.resize(b.size() + data, 0);
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

class MusicRules : public ::testing::Test {
protected:
    void SetUp() override {
        audio::SetForceNullOutput(true);
        ASSERT_TRUE(InitSoundSystem(nullptr));
        cd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
        ::mkdir("BGM", 0755);
        ::mkdir("sound", 0755);
    }
    void TearDown() override {
        g_.Release();  // the channels go before the sound system
        ReleaseSoundSystem();
        cd_.reset();
    }
    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
    CGlobalResources g_;
};

TEST_F(MusicRules, TablesAndLoopFlag) {
    g_.Load();
    EXPECT_EQ(g_.GetBGMTable().size(), 21u);
    EXPECT_EQ(g_.GetBGMTable()[9], "badend1.mp3");
    EXPECT_EQ(g_.GetBGMTable()[102], "badend1.mp3");
    EXPECT_EQ(g_.GetSoundTable()[2], "BladeHit.wav");
    g_.PlayBGM(9);
    EXPECT_TRUE(g_.GetBGMLoop());
    g_.PlayBGM(102);
    EXPECT_FALSE(g_.GetBGMLoop());
    EXPECT_EQ(g_.GetCurrentBGM(), 102);
    g_.PlayBGM(3);  // no entry: an empty name is added
    EXPECT_EQ(g_.GetBGMTable().count(3), 1u);
    EXPECT_EQ(g_.GetBGMTable()[3], "");
}

TEST_F(MusicRules, FirstRequestOfBGMZeroLoadsIt) {
    WriteWav("BGM/agrippina.mp3.wav");
    g_.Load();
    g_.GetBGMTable()[0] = "agrippina.mp3.wav";
    EXPECT_EQ(g_.GetCurrentBGM(), CGlobalResources::kNoBGM);
    g_.PlayBGM(0);
    EXPECT_EQ(g_.GetCurrentBGM(), 0);
    EXPECT_TRUE(g_.GetBGMChannel()->IsLoaded());
}

TEST_F(MusicRules, PlayBGMOfTheCurrentIdLeavesTheChannel) {
    WriteWav("BGM/tone.wav");
    g_.Load();
    g_.GetBGMTable()[5] = "tone.wav";
    g_.PlayBGM(5);
    ASSERT_TRUE(g_.GetBGMChannel()->IsLoaded());
    g_.SetBGMPlaying(true);
    EXPECT_TRUE(g_.GetBGMChannel()->IsPlaying());
    EXPECT_TRUE(g_.GetBGMChannel()->GetLoop());
    g_.SetBGMPlaying(false);
    EXPECT_FALSE(g_.GetBGMChannel()->IsPlaying());
    // The same id again: not reopened even though it is stopped.
    ::remove("BGM/tone.wav");
    g_.PlayBGM(5);
    EXPECT_TRUE(g_.GetBGMChannel()->IsLoaded());
    g_.SetBGMPlaying(true);
    EXPECT_TRUE(g_.GetBGMChannel()->IsPlaying());
    // Another id whose file is missing: logged, the channel is silent.
    g_.PlayBGM(6);
    EXPECT_FALSE(g_.GetBGMChannel()->IsLoaded());
    EXPECT_NE(g_ErrorLog.GetLastText().find("./BGM/terror.mp3"), std::string::npos);
    g_.SetBGMPlaying(true);
    EXPECT_FALSE(g_.GetBGMChannel()->IsPlaying());
}

TEST_F(MusicRules, NamesAreCutToFiftyCharacters) {
    const std::string longName(60, 'x');
    EXPECT_EQ(CGlobalResources::MakeSoundPath("./BGM/", longName), "./BGM/" + std::string(50, 'x'));
    EXPECT_EQ(CGlobalResources::MakeSoundPath("./sound/", "se-001.mp3"), "./sound/se-001.mp3");
    const std::string fifty = std::string(46, 'y') + ".wav";
    WriteWav("sound/" + fifty);
    g_.Load();
    g_.GetSoundTable()[7] = fifty + "IGNORED";
    g_.LoadSound(7);
    EXPECT_TRUE(g_.GetSoundChannel()->IsLoaded());
    g_.SetSoundPlaying(true);
    EXPECT_TRUE(g_.GetSoundChannel()->IsPlaying());
    EXPECT_FALSE(g_.GetSoundChannel()->GetLoop());
    g_.SetSoundPlaying(false);
    EXPECT_FALSE(g_.GetSoundChannel()->IsPlaying());
}

TEST_F(MusicRules, SoundEffectByNameAndMissingFile) {
    WriteWav("sound/Hit.wav");
    g_.Load();
    g_.PlaySoundEffect("Hit");
    EXPECT_TRUE(g_.GetSoundChannel()->IsLoaded());
    EXPECT_TRUE(g_.GetSoundChannel()->IsPlaying());
    g_.PlaySoundEffect("Nothing");
    EXPECT_EQ(g_ErrorLog.GetLastText(), std::string("Nothing.wav") + "ファイルが見つかりません");
    EXPECT_FALSE(g_.GetSoundChannel()->IsPlaying());
}

TEST_F(MusicRules, WithoutSoundOutputNoFileIsReportedMissing) {
    WriteWav("sound/Hit.wav");
    ReleaseSoundSystem();  // as when no output device could be opened
    g_.Load();
    g_ErrorLog.Write("before");
    g_.PlaySoundEffect("Hit");
    EXPECT_EQ(g_ErrorLog.GetLastText(), "before");
    EXPECT_FALSE(g_.GetSoundChannel()->IsPlaying());
}

TEST_F(MusicRules, ReleaseStopsAndDropsTheChannels) {
    WriteWav("BGM/tone.wav");
    g_.Load();
    g_.GetBGMTable()[5] = "tone.wav";
    g_.PlayBGM(5);
    g_.SetBGMPlaying(true);
    const size_t channels = CDSNPlaySound::CDirectSoundWrapper::GetInstance()->GetSounds().size();
    g_.Release();
    EXPECT_EQ(g_.GetBGMChannel(), nullptr);
    EXPECT_EQ(CDSNPlaySound::CDirectSoundWrapper::GetInstance()->GetSounds().size(), channels - 2);
    EXPECT_FALSE(g_.IsLoaded());
    g_.Release();  // twice is fine
}

}  // namespace
