// The message box drawn in the game window with the game's font: its picture, how it
// is answered, its modal loop in the live window, and the terminate signal.
#include <gtest/gtest.h>

#include <SDL.h>

#include <csignal>
#include <cstdlib>

#include "core/message_box.h"
#include "golden.h"
#include "system.h"

namespace {

using plat::detail::WindowMessageBox;

plat::Message Mouse(uint32_t id, int x, int y) { return plat::Message{id, 0, plat::MakePointParam(x, y)}; }
plat::Message Key(uint32_t id, uint32_t vk) { return plat::Message{id, vk, 0}; }

TEST(WindowMessageBoxTest, PictureOfAJapaneseQuestion) {
    WindowMessageBox box("セーブファイル 3 は壊れています。\n上書きしてよろしいですか？", "確認",
                         plat::kMbYesNo | plat::kMbIconQuestion, 640, 480);
    ASSERT_TRUE(box.IsReady());
    ASSERT_EQ(box.ButtonCount(), 2);
    EXPECT_EQ(box.Lines().size(), 2u);
    plat::Frame background;
    background.width = 640;
    background.height = 480;
    background.pixels.assign(640 * 480, 0xFF3060A0);
    box.OnMessage(Mouse(plat::kMsgMouseMove, box.ButtonBox(1).left + 5, box.ButtonBox(1).top + 5));
    std::vector<uint32_t> picture;
    box.Compose(background, picture);
    EXPECT_EQ(picture[0], 0xFF183050u);  // the game's picture, dimmed
    const WindowMessageBox::Box& f = box.FrameBox();
    std::vector<uint32_t> crop;
    for (int y = f.top; y < f.bottom + 4; ++y)
        for (int x = f.left; x < f.right + 4; ++x) crop.push_back(picture[size_t(y) * 640 + x]);
    EXPECT_TRUE(testsupport::MatchesGolden("platform/core/message_box_question", crop.data(), f.right - f.left + 4,
                                           f.bottom - f.top + 4));
}

TEST(WindowMessageBoxTest, LongLinesBreakInsideTheWindow) {
    std::string text;
    for (int i = 0; i < 80; ++i) text += "あ";
    WindowMessageBox box(text, "エラー", plat::kMbIconError, 640, 480);
    ASSERT_TRUE(box.IsReady());
    EXPECT_GE(box.Lines().size(), 3u);
    EXPECT_GE(box.FrameBox().left, 0);
    EXPECT_LE(box.FrameBox().right, 640);
}

TEST(WindowMessageBoxTest, AnsweredByAClickOnAButtonOrByTheKeys) {
    WindowMessageBox box("よろしいですか？", "確認", plat::kMbYesNo, 640, 480);
    ASSERT_TRUE(box.IsReady());
    const auto yes = box.ButtonBox(0), no = box.ButtonBox(1);
    // Pressed on one button, released on the other: nothing.
    EXPECT_EQ(box.OnMessage(Mouse(plat::kMsgLButtonDown, yes.left + 2, yes.top + 2)), 0);
    EXPECT_EQ(box.OnMessage(Mouse(plat::kMsgLButtonUp, no.left + 2, no.top + 2)), 0);
    // A click without a move before it: the press carries its position.
    EXPECT_EQ(box.OnMessage(Mouse(plat::kMsgLButtonDown, no.left + 2, no.top + 2)), 0);
    EXPECT_EQ(box.OnMessage(Mouse(plat::kMsgLButtonUp, no.left + 2, no.top + 2)), plat::kIdNo);
    // Keys answer on their release.
    WindowMessageBox keys("よろしいですか？", "確認", plat::kMbYesNo, 640, 480);
    EXPECT_EQ(keys.OnMessage(Key(plat::kMsgKeyUp, plat::kVkReturn)), 0);  // went down elsewhere
    EXPECT_EQ(keys.OnMessage(Key(plat::kMsgKeyDown, plat::kVkReturn)), 0);
    EXPECT_EQ(keys.OnMessage(Key(plat::kMsgKeyUp, plat::kVkReturn)), plat::kIdYes);
    EXPECT_EQ(keys.OnMessage(Key(plat::kMsgKeyDown, plat::kVkEscape)), 0);
    EXPECT_EQ(keys.OnMessage(Key(plat::kMsgKeyUp, plat::kVkEscape)), plat::kIdNo);
    EXPECT_EQ(keys.OnMessage(plat::Message{plat::kMsgClose, 0, 0}), plat::kIdNo);
    WindowMessageBox ok("エラーです。", "エラー", plat::kMbIconError, 640, 480);
    EXPECT_EQ(ok.ButtonCount(), 1);
    EXPECT_EQ(ok.OnMessage(Key(plat::kMsgKeyDown, plat::kVkEscape)), 0);
    EXPECT_EQ(ok.OnMessage(Key(plat::kMsgKeyUp, plat::kVkEscape)), plat::kIdOk);
}

// The live back end on the off-screen video driver, with a window.
class LiveBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        plat::InitOptions o;
        o.backend = plat::Backend::Live;
        if (!plat::Init(o)) GTEST_SKIP() << "no video driver";
        if (!plat::CreateMainWindow("VORMANT", 640, 480, false)) GTEST_SKIP() << "no window";
        std::vector<uint32_t> px(640 * 480, 0xFF336699);
        plat::PresentFrame(px.data(), 640, 480, 640);
    }
    void TearDown() override {
        plat::detail::ClearTerminateRequest();
        plat::Shutdown();
    }
    void PushButton(bool down, int x, int y) {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = SDL_GetWindowID(SDL_GetWindowFromID(1));
        e.button.button = SDL_BUTTON_LEFT;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.button.x = x;
        e.button.y = y;
        e.common.timestamp = SDL_GetTicks();
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
};

TEST_F(LiveBoxTest, ModalInTheWindowAnsweredByTheMouseKeepingTheGamesMessages) {
    plat::PostMessage(plat::Message{plat::kMsgKeyDown, 'Z', 0});  // waiting for the game
    WindowMessageBox layout("上書きしますか？", "確認", plat::kMbYesNo, 640, 480);
    ASSERT_TRUE(layout.IsReady());
    const auto no = layout.ButtonBox(1);
    PushButton(true, no.left + 4, no.top + 4);
    PushButton(false, no.left + 4, no.top + 4);
    EXPECT_EQ(plat::MessageBox("上書きしますか？", "確認", plat::kMbYesNo), plat::kIdNo);
    EXPECT_EQ(plat::RecordedMessageBoxes().back().text, "上書きしますか？");
    plat::Message m;
    ASSERT_TRUE(plat::PeekMessage(m));
    EXPECT_EQ(m.id, uint32_t(plat::kMsgKeyDown));  // the game's message is still there
    while (plat::PeekMessage(m)) EXPECT_NE(m.id, uint32_t(plat::kMsgLButtonUp));  // the box's clicks are not
}

TEST_F(LiveBoxTest, ATerminateSignalAnswersTheBoxAndClosesTheProgram) {
    std::raise(SIGTERM);
    EXPECT_TRUE(plat::detail::TerminateRequested());
    EXPECT_EQ(plat::MessageBox("エラーです。", "エラー", plat::kMbIconError), plat::kIdOk);
    plat::Message m;
    bool closed = false;
    while (plat::PeekMessage(m)) closed |= m.id == plat::kMsgClose;
    EXPECT_TRUE(closed);
}

// Before a window exists the system's box is used; with no way to show it (the
// off-screen driver has none) it answers at once, and the text is recorded.
TEST(SystemBoxTest, BeforeAWindowTheSystemsBoxAnswersAndRecords) {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    plat::InitOptions o;
    o.backend = plat::Backend::Live;
    if (!plat::Init(o)) GTEST_SKIP() << "no video driver";
    EXPECT_EQ(plat::MessageBox("このプログラムは既に起動されています。", "エラー", plat::kMbIconError), plat::kIdOk);
    EXPECT_EQ(plat::MessageBox("よろしいですか？", "確認", plat::kMbYesNo), plat::kIdNo);
    EXPECT_EQ(plat::RecordedMessageBoxes().size(), 2u);
    plat::Shutdown();
}

}  // namespace
