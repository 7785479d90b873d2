// The game's key map and the input manager.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "../../engine/input/fakes.h"
#include "input/gvlInputManager.h"
#include "input/gvlMyKey.h"
#include "system.h"

using inputtest::FakeCursor;
using inputtest::FakeJoysticks;
using inputtest::FakeKeyboard;

namespace {

using Assign = std::vector<std::pair<int, int>>;  // (device, key code)

Assign AssignmentsOf(const CVirtualKey& key, int vk) {
    Assign out;
    for (const auto& info : key.GetAssignments(vk)) out.emplace_back(info->m_Device, info->m_Key);
    return out;
}

void SendMouse(uint32_t msg, uintptr_t w, int x, int y) {
    FeedMouseMessage(nullptr, msg, w, plat::MakePointParam(x, y));
}

}  // namespace

TEST(KeyMap, EveryEntryOfTheTable) {
    FakeKeyboard kb;
    FakeJoysticks js;
    CMyKey key(false);
    ASSERT_EQ(key.GetDeviceCount(), 2);
    const Assign expected[88] = {
        /* 0 */ {{0, 0x01}},
        /* 1 */ {{0, 0x48}, {0, 0xC8}, {1, 0}},
        /* 2 */ {{0, 0x50}, {0, 0xD0}, {1, 1}},
        /* 3 */ {{0, 0x4B}, {0, 0xCB}, {1, 2}},
        /* 4 */ {{0, 0x4D}, {0, 0xCD}, {1, 3}},
        /* 5 */ {{0, 0x2C}, {1, 4}},
        /* 6 */ {{0, 0x2D}, {1, 5}},
        /* 7 */ {{0, 0x2E}, {1, 6}},
        /* 8 */ {{0, 0x2F}, {1, 7}},
        /* 9 */ {{0, 0x30}},
        /* 10 */ {{0, 0x31}},
        /* 11 */ {{0, 0x1D}, {0, 0x9D}},
    };
    for (int vk = 0; vk < 88; ++vk) {
        Assign want = vk == 60 ? Assign{{0, 0x3F}} : expected[vk];
        EXPECT_EQ(AssignmentsOf(key, vk), want) << "virtual key " << vk;
    }
}

TEST(KeyMap, SelectsJoystickZeroElseOneAndReadsNineButtons) {
    FakeKeyboard kb;
    FakeJoysticks js;
    js.count = 2;
    {
        CMyKey key(false);
        EXPECT_TRUE(key.GetJoyStick().IsValid());
        EXPECT_EQ(key.GetJoyStick().GetButtonCount(), 9);
    }
    js.capsOk[0] = false;  // joystick 0 unusable: number 1 is taken
    {
        CMyKey key(false);
        EXPECT_TRUE(key.GetJoyStick().IsValid());
        js.Centre();
        js.pos.buttons = 1u << 8;  // ninth button
        key.Input();
        EXPECT_TRUE(key.GetJoyStick().IsPress(12));
    }
}

TEST(KeyMap, JoystickDrivesTheSameVirtualKeys) {
    FakeKeyboard kb;
    FakeJoysticks js;
    CMyKey key(false);
    js.Centre();
    key.Input();
    js.pos.buttons = 1;  // button 1
    js.pos.y = 0;        // stick up
    key.Input();
    EXPECT_TRUE(key.IsPush(5));
    EXPECT_TRUE(key.IsPush(1));
    js.pos.buttons = 0;
    kb.Down(0x2C);  // Z takes over while the button is released
    key.Input();
    EXPECT_TRUE(key.IsPress(5));
    EXPECT_FALSE(key.IsPush(5));
}

TEST(KeyMap, WorksFromTheKeyboardAloneWithNoJoystick) {
    FakeKeyboard kb;
    FakeJoysticks js;
    js.count = 0;
    CMyKey key(false);
    EXPECT_FALSE(key.GetJoyStick().IsValid());
    key.Input();  // keyboard set-up frame
    const int scans[] = {0x01, 0xC8, 0x50, 0xCB, 0x4D, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x9D};
    for (int vk = 0; vk < 12; ++vk) {
        kb.Down(scans[vk]);
        EXPECT_EQ(key.Input(), 1);  // the missing joystick reports 1 but blocks nothing
        EXPECT_TRUE(key.IsPush(vk)) << vk;
        kb.Up(scans[vk]);
        key.Input();
        EXPECT_FALSE(key.IsPress(vk)) << vk;
    }
    kb.Down(0x3F);
    key.Input();
    EXPECT_TRUE(key.IsPush(60));
}

TEST(KeyMap, UpArrowAndPad8TogetherAreOneHold) {
    FakeKeyboard kb;
    FakeJoysticks js;
    js.count = 0;
    CMyKey key(false);
    key.Input();
    kb.Down(0xC8);
    key.Input();
    EXPECT_TRUE(key.IsPush(1));
    kb.Down(0x48);
    key.Input();
    EXPECT_TRUE(key.IsPress(1));
    EXPECT_FALSE(key.IsPush(1));
    kb.Up(0xC8);
    key.Input();
    EXPECT_TRUE(key.IsPress(1));
    EXPECT_FALSE(key.IsPush(1));
    kb.Up(0x48);
    key.Input();
    EXPECT_FALSE(key.IsPress(1));
}

TEST(InputManager, KeysPushExactlyOneFramePerPress) {
    FakeKeyboard kb;
    FakeJoysticks js;
    FakeCursor cursor;
    CInputManager input;
    EXPECT_EQ(input.GetKey()->GetKeyState()[5], 0);
    input.Update();
    int pushes = 0;
    kb.Down(0x2C);
    for (int frame = 0; frame < 5; ++frame) {
        input.Update();
        EXPECT_TRUE(input.IsPress(5));
        pushes += input.IsPush(5);
    }
    EXPECT_EQ(pushes, 1);
    kb.Up(0x2C);
    input.Update();
    EXPECT_FALSE(input.IsPress(5));
    EXPECT_FALSE(input.IsPush(88));
    EXPECT_FALSE(input.IsPush(-3));
}

TEST(InputManager, UsesAForegroundKeyboard) {
    FakeKeyboard kb;
    FakeJoysticks js;
    CInputManager input;
    input.Update();
    EXPECT_FALSE(kb.lastBackground);
    EXPECT_GE(kb.acquireCalls, 1);
}

TEST(InputManager, PositionAndPreviousPosition) {
    FakeKeyboard kb;
    FakeJoysticks js;
    FakeCursor cursor;
    CInputManager input;
    EXPECT_EQ(input.GetX(), 0);
    EXPECT_EQ(input.GetPrevX(), 0);
    cursor.x = 10;
    cursor.y = 20;
    input.Update();
    cursor.x = 30;
    cursor.y = 40;
    input.Update();
    EXPECT_EQ(input.GetPrevX(), 10);
    EXPECT_EQ(input.GetPrevY(), 20);
    EXPECT_EQ(input.GetX(), 30);
    EXPECT_EQ(input.GetY(), 40);
    int x = 0, y = 0;
    input.GetXY(&x, &y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
}

TEST(InputManager, MouseButtonsComeFromTheFrameSample) {
    FakeKeyboard kb;
    FakeJoysticks js;
    FakeCursor cursor;
    CInputManager input;
    input.Update();
    input.Update();
    SendMouse(plat::kMsgLButtonDown, plat::kMkLButton, 50, 60);
    SendMouse(plat::kMsgLButtonUp, 0, 50, 60);  // a quick click inside one frame
    EXPECT_FALSE(input.IsLButtonDown());        // not seen before the next update
    input.Update();
    EXPECT_TRUE(input.IsLButtonDown());
    EXPECT_TRUE(input.IsLButtonPush());
    EXPECT_FALSE(input.IsRButtonPush());
    input.Update();
    EXPECT_FALSE(input.IsLButtonPush());
    EXPECT_TRUE(input.GetMouse()->IsLButtonRelease());

    SendMouse(plat::kMsgRButtonDown, plat::kMkRButton, 50, 60);
    SendMouse(plat::kMsgMButtonDown, plat::kMkRButton | plat::kMkMButton, 50, 60);
    input.Update();
    EXPECT_TRUE(input.IsRButtonDown());
    EXPECT_TRUE(input.IsMButtonDown());
    EXPECT_TRUE(input.IsRButtonPush());
    EXPECT_TRUE(input.IsMButtonPush());
    input.Update();
    EXPECT_TRUE(input.IsRButtonDown());
    EXPECT_FALSE(input.IsRButtonPush());
    SendMouse(plat::kMsgRButtonUp, plat::kMkMButton, 50, 60);
    SendMouse(plat::kMsgMButtonUp, 0, 50, 60);
    input.Update();
}

TEST(InputManager, GlobalPointerIsClearedWhenItsManagerGoes) {
    FakeKeyboard kb;
    FakeJoysticks js;
    {
        CInputManager input;
        g_pInputManager = &input;
        EXPECT_EQ(g_pInputManager->GetMouse(), input.GetMouse());
    }
    EXPECT_EQ(g_pInputManager, nullptr);
}
