// The live back end on the system library's off-screen video driver: events become
// the game's messages and keyboard state.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "core/backend.h"
#include "system.h"
#include "text.h"

namespace {

class LiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        plat::InitOptions o;
        o.backend = plat::Backend::Live;
        if (!plat::Init(o)) GTEST_SKIP() << "no video driver";
        ASSERT_FALSE(plat::IsHeadless());
        if (!plat::CreateMainWindow("VORMANT テスト", 640, 480, false)) GTEST_SKIP() << "no window";
        window = SDL_GetWindowFromID(1);
        if (!window) window = SDL_GetMouseFocus();
    }
    void TearDown() override { plat::Shutdown(); }

    void Push(SDL_Event e) {
        e.common.timestamp = SDL_GetTicks();
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    bool Next(plat::Message& m) { return plat::PeekMessage(m); }
    uint32_t WindowId() const { return window ? SDL_GetWindowID(window) : 0; }

    SDL_Window* window = nullptr;
};

TEST_F(LiveTest, WindowCaptionAndSize) {
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(std::string(SDL_GetWindowTitle(window)), plat::Cp932ToUtf8("VORMANT テスト"));
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_TRUE(plat::IsMainWindowActive());
    std::vector<uint32_t> px(640 * 480, 0xFF336699);
    EXPECT_TRUE(plat::PresentFrame(px.data(), 640, 480, 640));
    EXPECT_EQ(plat::PresentedFrameCount(), 1u);
}

TEST_F(LiveTest, KeysBecomeMessagesAndKeyboardState) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = WindowId();
    e.key.state = SDL_PRESSED;
    e.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    Push(e);
    e.key.keysym.scancode = SDL_SCANCODE_UP;
    Push(e);
    plat::Message m;
    ASSERT_TRUE(Next(m));
    EXPECT_EQ(m.id, plat::kMsgKeyDown);
    EXPECT_EQ(m.wParam, plat::kVkEscape);
    EXPECT_EQ((m.lParam >> 16) & 0xFF, 0x01);
    EXPECT_EQ(plat::KeyboardState()[0x01], 0x80);
    ASSERT_TRUE(Next(m));
    EXPECT_EQ(m.wParam, 0x26u);
    EXPECT_EQ(plat::KeyboardState()[0xC8], 0x80);
    e.type = SDL_KEYUP;
    e.key.state = SDL_RELEASED;
    Push(e);
    ASSERT_TRUE(Next(m));
    EXPECT_EQ(m.id, plat::kMsgKeyUp);
    EXPECT_EQ(plat::KeyboardState()[0xC8], 0);
    EXPECT_EQ(plat::KeyboardState()[0x01], 0x80);
}

TEST_F(LiveTest, MouseBecomesClientMessages) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = WindowId();
    e.motion.x = 100;
    e.motion.y = 50;
    Push(e);
    SDL_Event b{};
    b.type = SDL_MOUSEBUTTONDOWN;
    b.button.windowID = WindowId();
    b.button.button = SDL_BUTTON_RIGHT;
    b.button.state = SDL_PRESSED;
    b.button.x = 101;
    b.button.y = 51;
    Push(b);
    b.type = SDL_MOUSEBUTTONUP;
    b.button.state = SDL_RELEASED;
    Push(b);
    plat::Message m;
    // The system may add its own pointer events; look for ours in order.
    std::vector<plat::Message> got;
    while (Next(m))
        if (m.id >= plat::kMsgMouseMove && m.id <= plat::kMsgMButtonUp) got.push_back(m);
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got[0].id, plat::kMsgMouseMove);
    EXPECT_EQ(plat::ParamX(got[0].lParam), 100);
    EXPECT_EQ(plat::ParamY(got[0].lParam), 50);
    EXPECT_EQ(got[1].id, plat::kMsgRButtonDown);
    EXPECT_EQ(got[1].wParam, plat::kMkRButton);
    EXPECT_EQ(plat::ParamX(got[1].lParam), 101);
    EXPECT_EQ(got[2].id, plat::kMsgRButtonUp);
    EXPECT_EQ(got[2].wParam, 0u);
    int x = 0, y = 0;
    plat::GetCursorPos(x, y);
    EXPECT_EQ(x, 101);
    EXPECT_EQ(y, 51);
}

TEST_F(LiveTest, MoveCarriesTheButtonsReallyHeld) {
    // A left press whose release never reached the window (let go outside it).
    SDL_Event b{};
    b.type = SDL_MOUSEBUTTONDOWN;
    b.button.windowID = WindowId();
    b.button.button = SDL_BUTTON_LEFT;
    b.button.state = SDL_PRESSED;
    b.button.x = 10;
    b.button.y = 10;
    Push(b);
    SDL_Event mv{};
    mv.type = SDL_MOUSEMOTION;
    mv.motion.windowID = WindowId();
    mv.motion.x = 20;
    mv.motion.y = 20;
    mv.motion.state = 0;  // nothing is held any more
    Push(mv);
    mv.motion.x = 30;
    mv.motion.state = SDL_BUTTON_RMASK | SDL_BUTTON_MMASK;
    Push(mv);
    plat::Message m;
    std::vector<plat::Message> got;
    while (Next(m))
        if (m.id >= plat::kMsgMouseMove && m.id <= plat::kMsgMButtonUp) got.push_back(m);
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got[0].id, plat::kMsgLButtonDown);
    EXPECT_EQ(got[0].wParam, plat::kMkLButton);
    EXPECT_EQ(got[1].id, plat::kMsgMouseMove);
    EXPECT_EQ(got[1].wParam, 0u);
    EXPECT_EQ(got[2].id, plat::kMsgMouseMove);
    EXPECT_EQ(got[2].wParam, uintptr_t(plat::kMkRButton | plat::kMkMButton));
}

TEST_F(LiveTest, CloseAndFocus) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = WindowId();
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    Push(e);
    plat::Message m;
    while (Next(m)) {
    }
    EXPECT_FALSE(plat::IsMainWindowActive());
    e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    Push(e);
    while (Next(m)) {
    }
    EXPECT_TRUE(plat::IsMainWindowActive());
    SDL_Event q{};
    q.type = SDL_QUIT;
    Push(q);
    bool closed = false;
    while (Next(m)) closed |= m.id == plat::kMsgClose;
    EXPECT_TRUE(closed);
}

}  // namespace
