// The headless platform: virtual clock, message queue fed by the input script,
// keyboard state, screenshots, message boxes.
#include <gtest/gtest.h>

#include <fstream>

#include <stb_image.h>

#include "core/backend.h"
#include "core/replay_script.h"
#include "golden.h"
#include "system.h"

namespace {

std::string WriteScript(const testsupport::TempDir& dir, const std::string& text) {
    std::string path = dir.path() + "script.txt";
    std::ofstream(path) << text;
    return path;
}

bool InitHeadless(const std::string& script = {}) {
    plat::InitOptions o;
    o.backend = plat::Backend::Headless;
    o.replayScript = script;
    return plat::Init(o);
}

void PresentBlank(uint32_t color = 0xFF000000) {
    std::vector<uint32_t> px(4 * 3, color);
    plat::PresentFrame(px.data(), 4, 3, 4);
}

std::vector<plat::Message> Drain() {
    std::vector<plat::Message> out;
    plat::Message m;
    while (plat::PeekMessage(m)) out.push_back(m);
    return out;
}

class HeadlessTest : public ::testing::Test {
protected:
    void TearDown() override { plat::Shutdown(); }
};

TEST_F(HeadlessTest, ClockMovesOnlyWhenSleeping) {
    ASSERT_TRUE(InitHeadless());
    EXPECT_TRUE(plat::IsHeadless());
    uint32_t t0 = plat::TickCount();
    uint64_t c0 = plat::PerformanceCounter();
    EXPECT_EQ(plat::TickCount(), t0);
    plat::Sleep(0);
    EXPECT_EQ(plat::TickCount(), t0);
    plat::Sleep(17);
    EXPECT_EQ(plat::TickCount(), t0 + 17);
    EXPECT_EQ(plat::TimeGetTime(), t0 + 17);
    EXPECT_EQ(plat::PerformanceCounter() - c0, 17 * plat::PerformanceFrequency() / 1000);
    // A fresh start begins at the same fixed time.
    ASSERT_TRUE(InitHeadless());
    EXPECT_EQ(plat::TickCount(), t0);
}

TEST_F(HeadlessTest, QueueGivesOneMessagePerCallInOrder) {
    ASSERT_TRUE(InitHeadless());
    plat::PostMessage({plat::kMsgKeyDown, 1, 2});
    plat::PostMessage({plat::kMsgKeyUp, 3, 4});
    plat::PostQuitMessage(7);
    plat::Message m;
    ASSERT_TRUE(plat::PeekMessage(m));
    EXPECT_EQ(m.id, plat::kMsgKeyDown);
    ASSERT_TRUE(plat::PeekMessage(m));
    EXPECT_EQ(m.id, plat::kMsgKeyUp);
    ASSERT_TRUE(plat::PeekMessage(m));
    EXPECT_EQ(m.id, plat::kMsgQuit);
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_FALSE(plat::PeekMessage(m));
}

TEST_F(HeadlessTest, ScriptEventsArriveAtTheirFrame) {
    testsupport::TempDir dir;
    std::string script = WriteScript(dir,
                                     "# pointer and buttons\n"
                                     "0 move 100 200\n"
                                     "2 down left\n"
                                     "2 move 110 210\n"
                                     "3 up left\n"
                                     "4 key Z\n"
                                     "9 quit\n");
    ASSERT_TRUE(InitHeadless(script));
    auto msgs = Drain();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].id, plat::kMsgMouseMove);
    EXPECT_EQ(plat::ParamX(msgs[0].lParam), 100);
    EXPECT_EQ(plat::ParamY(msgs[0].lParam), 200);
    int x = 0, y = 0;
    plat::GetCursorPos(x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 200);

    PresentBlank();
    EXPECT_TRUE(Drain().empty());  // nothing at frame 1
    PresentBlank();
    msgs = Drain();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].id, plat::kMsgLButtonDown);
    EXPECT_EQ(msgs[0].wParam, plat::kMkLButton);
    EXPECT_EQ(plat::ParamX(msgs[0].lParam), 100);
    EXPECT_EQ(msgs[1].id, plat::kMsgMouseMove);
    EXPECT_EQ(msgs[1].wParam, plat::kMkLButton);  // held while moving

    PresentBlank();
    msgs = Drain();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].id, plat::kMsgLButtonUp);
    EXPECT_EQ(msgs[0].wParam, 0u);

    PresentBlank();  // frame 4: Z goes down
    msgs = Drain();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].id, plat::kMsgKeyDown);
    EXPECT_EQ(msgs[0].wParam, uint32_t('Z'));
    EXPECT_EQ((msgs[0].lParam >> 16) & 0xFF, 0x2C);
    EXPECT_EQ(plat::KeyboardState()[0x2C], 0x80);
    PresentBlank();  // frame 5: and up again
    msgs = Drain();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].id, plat::kMsgKeyUp);
    EXPECT_EQ(plat::KeyboardState()[0x2C], 0);
    EXPECT_FALSE(plat::ReplayFinished());

    for (int i = 0; i < 4; ++i) PresentBlank();
    msgs = Drain();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].id, plat::kMsgClose);
    EXPECT_TRUE(plat::ReplayFinished());
    EXPECT_TRUE(Drain().empty());  // no second close
}

TEST_F(HeadlessTest, ScriptWithoutQuitEndsWithACloseRequest) {
    testsupport::TempDir dir;
    ASSERT_TRUE(InitHeadless(WriteScript(dir, "1 keydown Escape\n")));
    EXPECT_TRUE(Drain().empty());
    PresentBlank();
    auto msgs = Drain();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].id, plat::kMsgKeyDown);
    EXPECT_EQ(msgs[0].wParam, plat::kVkEscape);
    EXPECT_EQ(plat::KeyboardState()[0x01], 0x80);
    EXPECT_EQ(msgs[1].id, plat::kMsgClose);
}

TEST_F(HeadlessTest, ScreenshotWritesThePresentedFrame) {
    testsupport::TempDir dir;
    std::string png = dir.path() + "shot.png";
    ASSERT_TRUE(InitHeadless(WriteScript(dir, "2 screenshot " + png + "\n3 quit\n")));
    PresentBlank(0xFF102030);
    std::vector<uint32_t> px(4 * 3, 0xFF405060);
    px[5] = 0x80FF0000;
    plat::PresentFrame(px.data(), 4, 3, 4);
    Drain();
    EXPECT_EQ(plat::PresentedFrameCount(), 2u);
    int w = 0, h = 0, n = 0;
    unsigned char* data = stbi_load(png.c_str(), &w, &h, &n, 4);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 3);
    EXPECT_EQ(data[0], 0x40);
    EXPECT_EQ(data[1], 0x50);
    EXPECT_EQ(data[2], 0x60);
    EXPECT_EQ(data[5 * 4 + 0], 0xFF);
    EXPECT_EQ(data[5 * 4 + 3], 0xFF);  // the screen is opaque
    stbi_image_free(data);
}

TEST_F(HeadlessTest, BadScriptFailsToStart) {
    testsupport::TempDir dir;
    EXPECT_FALSE(InitHeadless(WriteScript(dir, "1 jump\n")));
    EXPECT_FALSE(InitHeadless(dir.path() + "missing.txt"));
}

TEST_F(HeadlessTest, MessageBoxesAreRecordedAndAnswered) {
    ASSERT_TRUE(InitHeadless());
    EXPECT_EQ(plat::MessageBox("テキスト", "エラー", plat::kMbIconError), plat::kIdOk);
    EXPECT_EQ(plat::MessageBox("q", "c", plat::kMbYesNo), plat::kIdYes);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 2u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "テキスト");
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].caption, "エラー");
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].flags, plat::kMbIconError);
}

TEST_F(HeadlessTest, WindowIsActiveAndHasAHandle) {
    ASSERT_TRUE(InitHeadless());
    EXPECT_EQ(plat::MainWindowHandle(), nullptr);
    ASSERT_TRUE(plat::CreateMainWindow("VORMANT", 640, 480, false));
    EXPECT_NE(plat::MainWindowHandle(), nullptr);
    EXPECT_TRUE(plat::IsMainWindowActive());
    EXPECT_EQ(plat::ClientWidth(), 640);
    EXPECT_EQ(plat::ClientHeight(), 480);
}

TEST(ReplayScript, ParsesEveryEventAndSortsByFrame) {
    std::vector<plat::ReplayEvent> ev;
    std::string error;
    ASSERT_TRUE(plat::ParseReplayScript("5 quit\n"
                                        "1 move -3 7   # comment\n"
                                        "\n"
                                        "1 down right\n"
                                        "2 key up\n"
                                        "3 keydown 0x2c\n"
                                        "4 screenshot a.png\n",
                                        ev, error))
        << error;
    ASSERT_EQ(ev.size(), 7u);
    EXPECT_EQ(ev[0].kind, plat::ReplayEvent::Move);
    EXPECT_EQ(ev[0].x, -3);
    EXPECT_EQ(ev[1].kind, plat::ReplayEvent::ButtonDown);
    EXPECT_EQ(ev[1].button, 1);
    EXPECT_EQ(ev[2].kind, plat::ReplayEvent::KeyDown);
    EXPECT_EQ(ev[2].scanCode, 0xC8);
    EXPECT_EQ(ev[2].virtualKey, 0x26u);
    EXPECT_EQ(ev[3].kind, plat::ReplayEvent::KeyUp);
    EXPECT_EQ(ev[3].frame, 3u);
    EXPECT_EQ(ev[4].scanCode, 0x2C);
    EXPECT_EQ(ev[4].virtualKey, uint32_t('Z'));
    EXPECT_EQ(ev[5].path, "a.png");
    EXPECT_EQ(ev[6].kind, plat::ReplayEvent::Quit);
}

TEST(ReplayScript, RejectsBadLinesNamingThem) {
    std::vector<plat::ReplayEvent> ev;
    std::string error;
    EXPECT_FALSE(plat::ParseReplayScript("1 move 3\n", ev, error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
    EXPECT_FALSE(plat::ParseReplayScript("\n-1 quit\n", ev, error));
    EXPECT_NE(error.find("line 2"), std::string::npos);
    EXPECT_FALSE(plat::ParseReplayScript("1 key NoSuchKey\n", ev, error));
    EXPECT_FALSE(plat::ParseReplayScript("1 down sideways\n", ev, error));
    EXPECT_FALSE(plat::ParseReplayScript("x quit\n", ev, error));
    EXPECT_FALSE(plat::ParseReplayScript("1 quit now\n", ev, error));
}

TEST(KeyNames, ScanCodesAndVirtualKeys) {
    plat::detail::KeyInfo k;
    ASSERT_TRUE(plat::detail::FindKeyByName("escape", k));
    EXPECT_EQ(k.scanCode, 0x01);
    EXPECT_EQ(k.virtualKey, plat::kVkEscape);
    ASSERT_TRUE(plat::detail::FindKeyByName("Return", k));
    EXPECT_EQ(k.scanCode, 0x1C);
    EXPECT_EQ(k.virtualKey, plat::kVkReturn);
    ASSERT_TRUE(plat::detail::FindKeyByName("Down", k));
    EXPECT_EQ(k.scanCode, 0xD0);
    EXPECT_TRUE(k.extended);
    ASSERT_TRUE(plat::detail::FindKeyByName("F5", k));
    EXPECT_EQ(k.scanCode, 0x3F);
    ASSERT_TRUE(plat::detail::FindKeyByName("RControl", k));
    EXPECT_EQ(k.scanCode, 0x9D);
    EXPECT_FALSE(plat::detail::FindKeyByName("0x100", k));
    EXPECT_FALSE(plat::detail::FindKeyByName("", k));
    intptr_t up = plat::detail::KeyMessageParam(k, false);
    EXPECT_EQ((up >> 16) & 0xFF, 0x9D);
    EXPECT_TRUE(up & (intptr_t(1) << 24));
    EXPECT_TRUE(up & (intptr_t(1) << 31));
}

}  // namespace

namespace {
// Frame hashes: a line a presented frame, the colour's hash then the depth's; one
// pixel changed in either changes that hash only, and the file is complete at Shutdown.
TEST_F(HeadlessTest, FrameHashesNameEachFramesColourAndDepth) {
    testsupport::TempDir dir;
    plat::InitOptions o;
    o.backend = plat::Backend::Headless;
    o.frameHashes = dir.path() + "hashes.txt";
    ASSERT_TRUE(plat::Init(o));
    std::vector<uint32_t> color(5 * 3, 0xFF102030);  // pitch 5, width 4
    std::vector<float> depth(5 * 3, 1.0f);
    plat::PresentFrame(color.data(), 4, 3, 5, nullptr, depth.data());
    color[6] = 0xFF102031;
    plat::PresentFrame(color.data(), 4, 3, 5, nullptr, depth.data());
    depth[6] = 0.5f;
    plat::PresentFrame(color.data(), 4, 3, 5, nullptr, depth.data());
    color[4] = depth[4] = 0;  // beyond the width
    plat::PresentFrame(color.data(), 4, 3, 5, nullptr, depth.data());
    plat::Shutdown();
    std::ifstream in(o.frameHashes);
    std::vector<std::pair<std::string, std::string>> f;
    for (std::string c, z; in >> c >> z;) f.emplace_back(c, z);
    ASSERT_EQ(f.size(), 4u);
    EXPECT_NE(f[1].first, f[0].first);
    EXPECT_EQ(f[1].second, f[0].second);
    EXPECT_EQ(f[2].first, f[1].first);
    EXPECT_NE(f[2].second, f[1].second);
    EXPECT_EQ(f[3], f[2]);
}
}  // namespace
