// Joystick devices: thresholds, direction keys, buttons, selection results and
// the null device.
#include <gtest/gtest.h>

#include "fakes.h"
#include "input/gvlJoyStick.h"

using inputtest::FakeJoysticks;

TEST(Joystick, ThresholdsAreThirdsOfTheRange) {
    FakeJoysticks js;
    CWIN32JoyStick joy;
    ASSERT_EQ(joy.SelectDevice(0), 0);
    EXPECT_TRUE(joy.IsValid());
    EXPECT_EQ(joy.GetXLow(), 21845u);
    EXPECT_EQ(joy.GetXHigh(), 43690u);
    EXPECT_EQ(joy.GetYLow(), 21845u);
    EXPECT_EQ(joy.GetYHigh(), 43690u);

    js.caps.xMin = 100;
    js.caps.xMax = 200;
    js.caps.yMin = 0;
    js.caps.yMax = 10;
    CWIN32JoyStick other;
    ASSERT_EQ(other.SelectDevice(0), 0);
    EXPECT_EQ(other.GetXLow(), 133u);
    EXPECT_EQ(other.GetXHigh(), 166u);
    EXPECT_EQ(other.GetYLow(), 3u);
    EXPECT_EQ(other.GetYHigh(), 6u);
}

TEST(Joystick, StickPressesDirectionsBeyondTheThresholds) {
    FakeJoysticks js;
    CWIN32JoyStick joy;
    ASSERT_EQ(joy.SelectDevice(0), 0);
    js.Centre();
    EXPECT_EQ(joy.Input(), 0);
    for (int k = 0; k < 4; ++k) EXPECT_FALSE(joy.IsPress(k)) << k;

    js.pos.x = 21845;  // exactly at x-low: neither left nor right
    joy.Input();
    EXPECT_FALSE(joy.IsPress(IJoyStick::kKeyLeft));
    EXPECT_FALSE(joy.IsPress(IJoyStick::kKeyRight));
    js.pos.x = 21844;
    joy.Input();
    EXPECT_TRUE(joy.IsPush(IJoyStick::kKeyLeft));
    js.pos.x = 43690;
    joy.Input();
    EXPECT_FALSE(joy.IsPress(IJoyStick::kKeyRight));
    js.pos.x = 43691;
    joy.Input();
    EXPECT_TRUE(joy.IsPress(IJoyStick::kKeyRight));
    EXPECT_FALSE(joy.IsPress(IJoyStick::kKeyLeft));

    js.Centre();
    js.pos.y = 0;
    joy.Input();
    EXPECT_TRUE(joy.IsPress(IJoyStick::kKeyUp));
    EXPECT_FALSE(joy.IsPress(IJoyStick::kKeyDown));
    js.pos.y = 65535;
    joy.Input();
    EXPECT_TRUE(joy.IsPush(IJoyStick::kKeyDown));
    EXPECT_FALSE(joy.IsPress(IJoyStick::kKeyUp));
}

TEST(Joystick, FourButtonsUseTheBasicReadSixTheFullRead) {
    FakeJoysticks js;
    CWIN32JoyStick joy;
    ASSERT_EQ(joy.SelectDevice(0), 0);
    EXPECT_EQ(joy.GetButtonCount(), 6);
    int basic = js.posCalls, full = js.posExCalls;
    joy.Input();
    EXPECT_EQ(js.posExCalls, full + 1);
    EXPECT_EQ(js.posCalls, basic);

    joy.SetButtonCount(4);
    basic = js.posCalls;
    full = js.posExCalls;
    joy.Input();
    EXPECT_EQ(js.posCalls, basic + 1);
    EXPECT_EQ(js.posExCalls, full);
}

TEST(Joystick, ButtonsBeyondTheCountNeverPressAKey) {
    FakeJoysticks js;
    CWIN32JoyStick joy;
    ASSERT_EQ(joy.SelectDevice(0), 0);
    js.Centre();
    js.pos.buttons = 0xFFFFFFFFu;
    joy.Input();
    for (int n = 0; n < 6; ++n) EXPECT_TRUE(joy.IsPress(4 + n)) << n;
    for (int k = 10; k < 256; ++k) EXPECT_FALSE(joy.IsPress(k)) << k;

    joy.SetButtonCount(9);
    js.pos.buttons = 1u << 8;
    joy.Input();
    EXPECT_TRUE(joy.IsPush(12));
    EXPECT_FALSE(joy.IsPress(4));
    // Huge counts stay within the 32 bits of the mask.
    joy.SetButtonCount(1000);
    EXPECT_EQ(joy.GetButtonCount(), 32);
    js.pos.buttons = 0x80000000u;
    joy.Input();
    EXPECT_TRUE(joy.IsPress(35));
    EXPECT_FALSE(joy.IsPress(36));
}

TEST(Joystick, SetButtonCountClearsTheStates) {
    FakeJoysticks js;
    CWIN32JoyStick joy;
    ASSERT_EQ(joy.SelectDevice(0), 0);
    js.pos.buttons = 1;
    joy.Input();
    ASSERT_TRUE(joy.IsPress(4));
    EXPECT_EQ(joy.SetButtonCount(9), 0);
    EXPECT_FALSE(joy.IsPress(4));
}

TEST(Joystick, SelectionResults) {
    FakeJoysticks js;
    js.count = 2;
    CWIN32JoyStick joy;
    EXPECT_EQ(joy.SelectDevice(-1), 1);
    EXPECT_EQ(joy.SelectDevice(2), 1);
    EXPECT_FALSE(joy.IsValid());
    js.capsOk[1] = false;
    EXPECT_EQ(joy.SelectDevice(1), 3);
    js.capsOk[1] = true;
    js.posOk = false;
    EXPECT_EQ(joy.SelectDevice(1), 4);
    EXPECT_FALSE(joy.IsValid());
    js.posOk = true;
    EXPECT_EQ(joy.SelectDevice(1), 0);
    EXPECT_TRUE(joy.IsValid());
}

TEST(Joystick, NoDeviceConnectedReadsNothing) {
    FakeJoysticks js;
    js.count = 0;
    CWIN32JoyStick joy;
    EXPECT_EQ(joy.SelectDevice(0), 1);
    EXPECT_EQ(joy.Input(), 1);
    for (int k = 0; k < 16; ++k) EXPECT_FALSE(joy.IsPress(k));
}

TEST(Joystick, InvalidInputChangesNothingFailedReadKeepsOlderFrame) {
    FakeJoysticks js;
    CWIN32JoyStick joy;
    ASSERT_EQ(joy.SelectDevice(0), 0);
    js.Centre();
    js.pos.buttons = 1;  // frame A: button 1
    joy.Input();
    js.pos.buttons = 2;  // frame B: button 2
    joy.Input();
    ASSERT_TRUE(joy.IsPress(5));
    js.posOk = false;
    EXPECT_EQ(joy.Input(), 2);
    // The new current buffer still holds frame A.
    EXPECT_TRUE(joy.IsPress(4));
    EXPECT_FALSE(joy.IsPress(5));

    CWIN32JoyStick invalid;
    js.count = 0;
    invalid.SelectDevice(0);
    unsigned char* before = invalid.GetKeyState();
    EXPECT_EQ(invalid.Input(), 1);
    EXPECT_EQ(invalid.GetKeyState(), before);  // no flip
}

TEST(Joystick, NullDeviceIsValidAndSilent) {
    CJoyStickNullDevice null;
    EXPECT_EQ(null.Input(), 0);
    EXPECT_TRUE(null.IsValid());
    EXPECT_EQ(null.SelectDevice(3), 0);
    EXPECT_EQ(null.SetButtonCount(9), 0);
    EXPECT_EQ(null.GetButtonCount(), 0);
    EXPECT_FALSE(null.IsPress(0));
    EXPECT_FALSE(null.IsPush(4));
}

TEST(Joystick, ProxyStartsWithTheNullDevice) {
    FakeJoysticks js;
    CJoyStick proxy;
    EXPECT_TRUE(proxy.IsValid());
    EXPECT_EQ(proxy.Input(), 0);
    EXPECT_NE(dynamic_cast<CJoyStickNullDevice*>(proxy.GetDevice()), nullptr);
    EXPECT_EQ(proxy.SelectDevice(-1), 1);
    EXPECT_TRUE(proxy.IsValid());
    EXPECT_FALSE(proxy.IsPress(0));
}

TEST(Joystick, ProxyPassesOnToTheSelectedJoystick) {
    FakeJoysticks js;
    CJoyStick proxy;
    ASSERT_EQ(proxy.SelectDevice(0), 0);
    EXPECT_TRUE(proxy.IsValid());
    EXPECT_NE(dynamic_cast<CWIN32JoyStick*>(proxy.GetDevice()), nullptr);
    EXPECT_EQ(proxy.SetButtonCount(9), 0);
    EXPECT_EQ(proxy.GetButtonCount(), 9);
    js.Centre();
    js.pos.buttons = 1u << 3;
    EXPECT_EQ(proxy.Input(), 0);
    EXPECT_TRUE(proxy.IsPush(7));
    EXPECT_EQ(proxy.GetKeyState(), proxy.GetDevice()->GetKeyState());
    // Resetting the proxy clears only its own buffers.
    proxy.Reset();
    EXPECT_TRUE(proxy.IsPress(7));
}

TEST(Joystick, ProxyKeepsAFailedSelection) {
    FakeJoysticks js;
    js.count = 0;
    CJoyStick proxy;
    EXPECT_EQ(proxy.SelectDevice(0), 1);
    EXPECT_FALSE(proxy.IsValid());
    EXPECT_EQ(proxy.Input(), 1);
    EXPECT_NE(dynamic_cast<CWIN32JoyStick*>(proxy.GetDevice()), nullptr);
}
