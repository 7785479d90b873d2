// Mice: button states from window messages, the client-area rule and the
// per-frame edges of CFixMouseIDP.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes.h"
#include "input/gvlMouse.h"
#include "system.h"

using inputtest::FakeCursor;

namespace {

void Send(uint32_t msg, uintptr_t w = 0, int x = 100, int y = 100) {
    FeedMouseMessage(reinterpret_cast<void*>(0x1234), msg, w, plat::MakePointParam(x, y));
}

// A mouse past its two hold frames.
struct Fixed {
    Fixed() {
        mouse.Input();
        mouse.Input();
    }
    FakeCursor cursor;
    CFixMouseIDP mouse;
};

}  // namespace

TEST(Mouse, MessagesSetAndClearButtons) {
    CMouse m;
    m.OnMessage(nullptr, plat::kMsgLButtonDown, plat::kMkLButton, 0);
    EXPECT_TRUE(m.IsLButtonDown());
    m.OnMessage(nullptr, plat::kMsgRButtonDown, plat::kMkRButton, 0);
    EXPECT_TRUE(m.IsRButtonDown());
    m.OnMessage(nullptr, plat::kMsgMButtonDown, 0, 0);
    EXPECT_TRUE(m.IsMButtonDown());
    int mask = 0;
    m.GetInfo(nullptr, nullptr, &mask);
    EXPECT_EQ(mask, 7);
    m.OnMessage(nullptr, plat::kMsgLButtonUp, 0, 0);
    m.OnMessage(nullptr, plat::kMsgMButtonUp, 0, 0);
    m.GetInfo(nullptr, nullptr, &mask);
    EXPECT_EQ(mask, 1);  // right alone
    m.OnMessage(nullptr, plat::kMsgRButtonUp, 0, 0);
    m.OnMessage(nullptr, plat::kMsgLButtonDown, 0, 0);
    m.GetInfo(nullptr, nullptr, &mask);
    EXPECT_EQ(mask, 2);  // left alone
}

TEST(Mouse, MoveTakesTheButtonFlagsAndOtherMessagesAreIgnored) {
    CMouse m;
    m.OnMessage(nullptr, plat::kMsgMouseMove, plat::kMkLButton | plat::kMkMButton, 0);
    EXPECT_TRUE(m.IsLButtonDown());
    EXPECT_FALSE(m.IsRButtonDown());
    EXPECT_TRUE(m.IsMButtonDown());
    m.OnMessage(nullptr, 0x0203 /* left double click */, 0, 0);
    m.OnMessage(nullptr, plat::kMsgKeyDown, 0, 0);
    m.OnMessage(nullptr, plat::kMsgMouseWheel, 0, 0);
    EXPECT_TRUE(m.IsLButtonDown());
    m.OnMessage(nullptr, plat::kMsgMouseMove, plat::kMkRButton, 0);
    EXPECT_FALSE(m.IsLButtonDown());
    EXPECT_TRUE(m.IsRButtonDown());
    EXPECT_FALSE(m.IsMButtonDown());
}

TEST(Mouse, GetPushReportsEdgesOnce) {
    CMouse m;
    bool l = false, r = false;
    m.OnMessage(nullptr, plat::kMsgLButtonDown, 0, 0);
    EXPECT_TRUE(m.GetPush(&l, &r));
    EXPECT_TRUE(l);
    EXPECT_FALSE(r);
    EXPECT_TRUE(m.GetPush(&l, &r));  // still held
    EXPECT_FALSE(l);
    m.ResetPush();
    m.GetPush(&l, &r);
    EXPECT_TRUE(l);
}

TEST(Mouse, RegistryAndFeedReachEveryMouse) {
    FakeCursor cursor;
    size_t before = MouseRegistry().size();
    {
        CMouseIDP a, b;
        EXPECT_EQ(MouseRegistry().size(), before + 2);
        Send(plat::kMsgLButtonDown, plat::kMkLButton);
        EXPECT_TRUE(a.IsLButtonDown());
        EXPECT_TRUE(b.IsLButtonDown());
        EXPECT_EQ(GetMouseWindow(), reinterpret_cast<void*>(0x1234));
    }
    EXPECT_EQ(MouseRegistry().size(), before);
    Send(plat::kMsgLButtonUp);  // no mouse left: nothing happens
}

TEST(Mouse, IdpPositionAndClientRule) {
    FakeCursor cursor;
    CMouseIDP m;
    Send(plat::kMsgLButtonDown, plat::kMkLButton);
    Send(plat::kMsgMButtonDown, plat::kMkLButton | plat::kMkMButton);
    int x = 0, y = 0, mask = 0;
    cursor.x = 639;
    cursor.y = 479;
    EXPECT_EQ(m.GetInfo(&x, &y, &mask), 0);
    EXPECT_EQ(x, 639);
    EXPECT_EQ(y, 479);
    EXPECT_EQ(mask, 6);
    cursor.x = 640;
    m.GetInfo(&x, &y, &mask);
    EXPECT_EQ(x, 640);
    EXPECT_EQ(mask, 4);  // left cleared outside, middle kept
    EXPECT_FALSE(m.IsLButtonDown());

    Send(plat::kMsgLButtonDown, plat::kMkLButton);
    m.SetIgnoreClientRect(true);
    cursor.x = -5;
    m.GetInfo(&x, &y, &mask);
    EXPECT_EQ(mask, 6);

    m.SetXY(12, 34);
    EXPECT_EQ(cursor.x, 12);
    EXPECT_EQ(cursor.y, 34);
}

TEST(FixMouse, NoPushInTheFirstTwoFrames) {
    FakeCursor cursor;
    {
        // Pressed in the first frame: hidden.
        CFixMouseIDP mouse;
        EXPECT_TRUE(mouse.IsHolding());
        Send(plat::kMsgLButtonDown, plat::kMkLButton);
        mouse.Input();
        EXPECT_TRUE(mouse.IsLButtonDown());
        EXPECT_FALSE(mouse.IsLButtonPush());
        bool l = false, r = false;
        EXPECT_TRUE(mouse.GetPush(&l, &r));  // the raw edge ignores the hold
        EXPECT_TRUE(l);
        Send(plat::kMsgLButtonUp);
    }
    {
        // Pressed in the second frame: still hidden; from the third frame edges count.
        CFixMouseIDP mouse;
        mouse.Input();
        Send(plat::kMsgLButtonDown, plat::kMkLButton);
        mouse.Input();
        EXPECT_TRUE(mouse.IsHolding());
        EXPECT_TRUE(mouse.IsLButtonDown());
        EXPECT_FALSE(mouse.IsLButtonPush());
        Send(plat::kMsgLButtonUp);
        mouse.Input();
        EXPECT_FALSE(mouse.IsHolding());
        EXPECT_TRUE(mouse.IsLButtonRelease());
        Send(plat::kMsgLButtonDown, plat::kMkLButton);
        mouse.Input();
        EXPECT_TRUE(mouse.IsLButtonPush());
        mouse.Input();
        EXPECT_FALSE(mouse.IsLButtonPush());
        EXPECT_TRUE(mouse.IsLButtonDown());
        Send(plat::kMsgLButtonUp);
    }
    {
        // Pressed in the third frame: a push in that frame only.
        CFixMouseIDP mouse;
        mouse.Input();
        mouse.Input();
        Send(plat::kMsgLButtonDown, plat::kMkLButton);
        mouse.Input();
        EXPECT_TRUE(mouse.IsLButtonPush());
        mouse.Input();
        EXPECT_FALSE(mouse.IsLButtonPush());
        Send(plat::kMsgLButtonUp);
    }
}

TEST(FixMouse, HoldHidesReleasesToo) {
    FakeCursor cursor;
    Send(plat::kMsgRButtonDown, plat::kMkRButton);  // began before the mouse existed
    CFixMouseIDP mouse;
    Send(plat::kMsgRButtonDown, plat::kMkRButton);
    mouse.Input();
    Send(plat::kMsgRButtonUp);
    mouse.Input();
    EXPECT_FALSE(mouse.IsRButtonPush());
    EXPECT_FALSE(mouse.IsRButtonRelease());
    bool l = true, r = false;
    EXPECT_FALSE(mouse.GetRelease(&l, &r));
    EXPECT_TRUE(r);
}

TEST(FixMouse, EdgesFromMessageSequences) {
    Fixed f;
    auto& m = f.mouse;
    Send(plat::kMsgLButtonDown, plat::kMkLButton);
    m.Input();
    EXPECT_TRUE(m.IsLButtonPush());
    EXPECT_FALSE(m.IsLButtonRelease());
    Send(plat::kMsgMouseMove, plat::kMkLButton, 120, 130);
    m.Input();
    EXPECT_TRUE(m.IsLButtonDown());
    EXPECT_FALSE(m.IsLButtonPush());
    Send(plat::kMsgLButtonUp);
    m.Input();
    EXPECT_FALSE(m.IsLButtonDown());
    EXPECT_TRUE(m.IsLButtonRelease());
    bool l = false, r = true;
    EXPECT_TRUE(m.GetRelease(&l, &r));
    EXPECT_FALSE(r);
    m.Input();
    EXPECT_FALSE(m.IsLButtonRelease());

    Send(plat::kMsgMButtonDown, plat::kMkMButton);
    Send(plat::kMsgRButtonDown, plat::kMkMButton | plat::kMkRButton);
    m.Input();
    EXPECT_TRUE(m.IsMButtonPush());
    EXPECT_TRUE(m.IsRButtonPush());
    EXPECT_FALSE(m.IsLButtonPush());
    int x, y, mask;
    m.GetInfo(&x, &y, &mask);
    EXPECT_EQ(mask, 5);
    Send(plat::kMsgMButtonUp);
    Send(plat::kMsgRButtonUp);
    m.Input();
    EXPECT_TRUE(m.IsMButtonRelease());
    EXPECT_TRUE(m.IsRButtonRelease());
}

TEST(FixMouse, ClickInsideOneFrameIsNotLost) {
    Fixed f;
    auto& m = f.mouse;
    Send(plat::kMsgLButtonDown, plat::kMkLButton);
    Send(plat::kMsgLButtonUp);
    m.Input();
    EXPECT_TRUE(m.IsLButtonDown());
    EXPECT_TRUE(m.IsLButtonPush());
    m.Input();
    EXPECT_FALSE(m.IsLButtonDown());
    EXPECT_TRUE(m.IsLButtonRelease());
    m.Input();
    EXPECT_FALSE(m.IsLButtonPush());
    EXPECT_FALSE(m.IsLButtonRelease());

    // The same for the right and middle buttons.
    Send(plat::kMsgRButtonDown, plat::kMkRButton);
    Send(plat::kMsgRButtonUp);
    Send(plat::kMsgMButtonDown, plat::kMkMButton);
    Send(plat::kMsgMButtonUp);
    m.Input();
    EXPECT_TRUE(m.IsRButtonPush());
    EXPECT_TRUE(m.IsMButtonPush());
    m.Input();
    EXPECT_TRUE(m.IsRButtonRelease());
    EXPECT_TRUE(m.IsMButtonRelease());
}

TEST(FixMouse, QuickClickOutsideTheClientAreaDoesNotCount) {
    Fixed f;
    f.cursor.x = 700;
    Send(plat::kMsgLButtonDown, plat::kMkLButton);
    Send(plat::kMsgLButtonUp);
    f.mouse.Input();
    EXPECT_FALSE(f.mouse.IsLButtonDown());
    EXPECT_FALSE(f.mouse.IsLButtonPush());
}

TEST(FixMouse, LeavingTheClientAreaReleasesLeftButKeepsMiddle) {
    Fixed f;
    auto& m = f.mouse;
    Send(plat::kMsgLButtonDown, plat::kMkLButton);
    Send(plat::kMsgMButtonDown, plat::kMkLButton | plat::kMkMButton);
    m.Input();
    ASSERT_TRUE(m.IsLButtonDown());
    f.cursor.y = 480;
    m.Input();
    EXPECT_FALSE(m.IsLButtonDown());
    EXPECT_TRUE(m.IsLButtonRelease());
    EXPECT_TRUE(m.IsMButtonDown());
    f.cursor.y = 100;
    m.Input();
    EXPECT_FALSE(m.IsLButtonDown());  // cleared until pressed again

    m.SetIgnoreClientRect(true);
    Send(plat::kMsgLButtonDown, plat::kMkLButton);
    f.cursor.x = -1;
    m.Input();
    EXPECT_TRUE(m.IsLButtonDown());
}

TEST(FixMouse, ResetButtonsGivesAPushNextFrame) {
    Fixed f;
    auto& m = f.mouse;
    Send(plat::kMsgLButtonDown, plat::kMkLButton);
    m.Input();
    m.Input();
    ASSERT_FALSE(m.IsLButtonPush());
    m.ResetButtons();
    EXPECT_FALSE(m.IsLButtonDown());
    m.Input();
    EXPECT_TRUE(m.IsLButtonPush());
}

TEST(FixMouse, PositionMaskAndSetXY) {
    Fixed f;
    auto& m = f.mouse;
    f.cursor.x = 321;
    f.cursor.y = 123;
    Send(plat::kMsgRButtonDown, plat::kMkRButton);
    EXPECT_EQ(m.Input(), 0);
    int x = 0, y = 0, mask = 0;
    m.GetXY(&x, &y);
    EXPECT_EQ(x, 321);
    EXPECT_EQ(y, 123);
    m.GetInfo(&x, &y, &mask);
    EXPECT_EQ(mask, 1);
    // The position stays that of the sample until the next frame.
    f.cursor.x = 5;
    m.GetXY(&x, &y);
    EXPECT_EQ(x, 321);
    m.SetXY(50, 60);
    m.GetXY(&x, &y);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 60);
    EXPECT_EQ(f.cursor.x, 50);
    EXPECT_EQ(f.cursor.y, 60);
}
