// Keyboard device: held and newly pushed keys across frames, set-up and
// acquisition failures.
#include <gtest/gtest.h>

#include "fakes.h"
#include "input/gvlKeyInput.h"

using inputtest::FakeKeyboard;

namespace {

// A device whose next states are written by the test.
class ScriptedDevice : public IKeyBase {
public:
    int Input() override {
        unsigned char* cur = FlipBuffer();
        for (int i = 0; i < kKeyCount; ++i) cur[i] = next[i];
        return 0;
    }
    unsigned char next[kKeyCount] = {};
};

constexpr int kZ = 0x2C;
constexpr int kUp = 0xC8;

}  // namespace

TEST(KeyBase, PressAndPushFollowTheTwoFrames) {
    ScriptedDevice d;
    d.next[5] = 1;
    d.Input();
    EXPECT_TRUE(d.IsPress(5));
    EXPECT_TRUE(d.IsPush(5));
    d.Input();
    EXPECT_TRUE(d.IsPress(5));
    EXPECT_FALSE(d.IsPush(5));
    d.next[5] = 0;
    d.Input();
    EXPECT_FALSE(d.IsPress(5));
    EXPECT_FALSE(d.IsPush(5));
    // Codes outside 0..255 are never held.
    EXPECT_FALSE(d.IsPress(-1));
    EXPECT_FALSE(d.IsPush(256));
    d.next[7] = 3;
    d.Input();
    EXPECT_EQ(d.GetKeyState()[7], 3);
    d.Reset();
    EXPECT_FALSE(d.IsPress(7));
    d.Input();  // after a reset the held key is new again
    EXPECT_TRUE(d.IsPush(7));
}

TEST(KeyInput, FirstInputReadsNothingThenHeldAndPushedAcrossFrames) {
    FakeKeyboard kb;
    CKeyInput key(false);
    kb.Down(kZ);
    EXPECT_EQ(key.Input(), 1);  // set-up frame
    EXPECT_FALSE(key.IsPress(kZ));
    EXPECT_FALSE(key.IsPush(kZ));

    EXPECT_EQ(key.Input(), 0);
    EXPECT_TRUE(key.IsPress(kZ));
    EXPECT_TRUE(key.IsPush(kZ));
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(key.Input(), 0);
        EXPECT_TRUE(key.IsPress(kZ));
        EXPECT_FALSE(key.IsPush(kZ)) << frame;
    }
    kb.Down(kUp);
    EXPECT_EQ(key.Input(), 0);
    EXPECT_TRUE(key.IsPush(kUp));
    EXPECT_FALSE(key.IsPush(kZ));
    kb.Up(kZ);
    key.Input();
    EXPECT_FALSE(key.IsPress(kZ));
    EXPECT_TRUE(key.IsPress(kUp));
    kb.Down(kZ);
    key.Input();
    EXPECT_TRUE(key.IsPush(kZ));  // pressed again: a new push
}

TEST(KeyInput, OnlyBit7CountsAsHeld) {
    FakeKeyboard kb;
    CKeyInput key(false);
    key.Input();
    kb.keys[kZ] = 0x01;
    key.Input();
    EXPECT_FALSE(key.IsPress(kZ));
    kb.keys[kZ] = 0x81;
    key.Input();
    EXPECT_TRUE(key.IsPush(kZ));
}

TEST(KeyInput, NoWindowReadsNoKeyAndRetriesLater) {
    FakeKeyboard kb;
    kb.ready = false;
    kb.Down(kZ);
    CKeyInput key(false);
    EXPECT_EQ(key.Input(), 1);
    EXPECT_EQ(key.Input(), 1);
    EXPECT_FALSE(key.IsPress(kZ));
    EXPECT_EQ(kb.readCalls, 0);
    kb.ready = true;
    EXPECT_EQ(key.Input(), 1);  // set up now, nothing read in this frame
    EXPECT_FALSE(key.IsPress(kZ));
    EXPECT_EQ(key.Input(), 0);
    EXPECT_TRUE(key.IsPush(kZ));
}

TEST(KeyInput, PassesTheBackgroundFlagWhenAcquiring) {
    FakeKeyboard kb;
    CKeyInput bg(true);
    bg.Input();
    EXPECT_TRUE(kb.lastBackground);
    CKeyInput fg(false);
    fg.Input();
    EXPECT_FALSE(kb.lastBackground);
}

TEST(KeyInput, LostKeyboardIsAcquiredAgainAndReadInTheSameFrame) {
    FakeKeyboard kb;
    CKeyInput key(false);
    key.Input();
    kb.Down(kZ);
    kb.results = {IKeyboardSource::kReadLost};
    EXPECT_EQ(key.Input(), 0);
    EXPECT_TRUE(key.IsPush(kZ));
}

TEST(KeyInput, LostAndNotAcquirableClearsTheFrameAndRecoversLater) {
    FakeKeyboard kb;
    CKeyInput key(false);
    key.Input();
    kb.Down(kZ);
    key.Input();
    ASSERT_TRUE(key.IsPress(kZ));

    kb.results = {IKeyboardSource::kReadLost};
    kb.acquireOk = false;
    EXPECT_EQ(key.Input(), -1);
    EXPECT_FALSE(key.IsPress(kZ));
    // Still not acquirable: 1 and nothing held.
    EXPECT_EQ(key.Input(), 1);
    EXPECT_FALSE(key.IsPress(kZ));

    kb.acquireOk = true;
    EXPECT_EQ(key.Input(), 0);
    EXPECT_TRUE(key.IsPress(kZ));
    EXPECT_TRUE(key.IsPush(kZ));  // the key comes back as a new press
}

TEST(KeyInput, OtherReadFailureClearsTheFrame) {
    FakeKeyboard kb;
    CKeyInput key(false);
    key.Input();
    kb.Down(kZ);
    key.Input();
    kb.results = {IKeyboardSource::kReadFailed};
    EXPECT_EQ(key.Input(), 1);
    EXPECT_FALSE(key.IsPress(kZ));
    EXPECT_EQ(key.Input(), 0);
    EXPECT_TRUE(key.IsPress(kZ));
}
