// Virtual keys over several devices.
#include <gtest/gtest.h>

#include "input/gvlVirtualKey.h"

namespace {

class TestDevice : public IKeyBase {
public:
    int Input() override {
        ++inputs;
        unsigned char* cur = FlipBuffer();
        for (int i = 0; i < kKeyCount; ++i) cur[i] = failing ? 0 : next[i];
        return result;
    }
    unsigned char next[kKeyCount] = {};
    int result = 0;
    bool failing = false;
    int inputs = 0;
};

struct Rig {
    Rig() {
        smart_ptr<IKeyBase> a, b;
        a.SetUnowned(&dev0);
        b.SetUnowned(&dev1);
        vk.AddDevice(a);
        vk.AddDevice(b);
    }
    TestDevice dev0, dev1;
    CVirtualKey vk;
};

}  // namespace

TEST(VirtualKey, UnassignedKeyIsNeverHeld) {
    Rig r;
    for (int i = 0; i < 256; ++i) r.dev0.next[i] = r.dev1.next[i] = 1;
    r.vk.Input();
    for (int k = 0; k < 256; ++k) EXPECT_FALSE(r.vk.IsPress(k)) << k;
}

TEST(VirtualKey, HeldWhenAnyAssignedKeyOnAnyDeviceIsHeld) {
    Rig r;
    ASSERT_TRUE(r.vk.AssignKey(5, 0, 0x2C));
    ASSERT_TRUE(r.vk.AssignKey(5, 1, 4));

    r.dev1.next[4] = 1;
    r.vk.Input();
    EXPECT_TRUE(r.vk.IsPress(5));
    EXPECT_TRUE(r.vk.IsPush(5));
    EXPECT_EQ(r.vk.GetKeyState()[5], 255);

    // Second key held too: still one hold, no new push.
    r.dev0.next[0x2C] = 1;
    r.vk.Input();
    EXPECT_TRUE(r.vk.IsPress(5));
    EXPECT_FALSE(r.vk.IsPush(5));

    // Release one, the other keeps it held.
    r.dev1.next[4] = 0;
    r.vk.Input();
    EXPECT_TRUE(r.vk.IsPress(5));
    EXPECT_FALSE(r.vk.IsPush(5));

    r.dev0.next[0x2C] = 0;
    r.vk.Input();
    EXPECT_FALSE(r.vk.IsPress(5));
    EXPECT_EQ(r.vk.GetKeyState()[5], 0);

    r.dev0.next[0x2C] = 1;
    r.vk.Input();
    EXPECT_TRUE(r.vk.IsPush(5));
}

TEST(VirtualKey, FailingDeviceDoesNotBlockTheOthersAndResultsAreOred) {
    Rig r;
    r.vk.AssignKey(1, 0, 0xC8);
    r.vk.AssignKey(1, 1, 0);
    r.vk.AssignKey(2, 1, 1);
    r.dev0.failing = true;
    r.dev0.result = 1;
    r.dev1.next[0] = 1;
    r.dev1.next[1] = 1;
    EXPECT_EQ(r.vk.Input(), 1);
    EXPECT_TRUE(r.vk.IsPress(1));
    EXPECT_TRUE(r.vk.IsPress(2));

    r.dev1.result = 2;
    EXPECT_EQ(r.vk.Input(), 3);
    r.dev0.result = 0;
    r.dev1.result = 0;
    EXPECT_EQ(r.vk.Input(), 0);
}

TEST(VirtualKey, EveryDeviceIsReadOncePerInput) {
    Rig r;
    r.vk.Input();
    r.vk.Input();
    EXPECT_EQ(r.dev0.inputs, 2);
    EXPECT_EQ(r.dev1.inputs, 2);
}

TEST(VirtualKey, BadAssignmentsAreRefusedOrSkipped) {
    Rig r;
    EXPECT_FALSE(r.vk.AssignKey(88, 0, 1));
    EXPECT_FALSE(r.vk.AssignKey(-1, 0, 1));
    EXPECT_FALSE(r.vk.AssignKey(3, -1, 1));
    // A device index with no device is kept but never read.
    EXPECT_TRUE(r.vk.AssignKey(3, 7, 1));
    // A key code outside 0..255 is never held.
    EXPECT_TRUE(r.vk.AssignKey(4, 0, 999));
    for (int i = 0; i < 256; ++i) r.dev0.next[i] = 1;
    r.vk.Input();
    EXPECT_FALSE(r.vk.IsPress(3));
    EXPECT_FALSE(r.vk.IsPress(4));
    EXPECT_TRUE(r.vk.GetAssignments(88).empty());
    EXPECT_EQ(r.vk.GetAssignments(3).size(), 1u);
}

TEST(VirtualKey, ClearAssignmentsEmptiesEveryList) {
    Rig r;
    r.vk.AssignKey(0, 0, 1);
    r.vk.AssignKey(87, 1, 2);
    r.vk.ClearAssignments();
    for (int k = 0; k < CVirtualKey::kVirtualKeyCount; ++k) EXPECT_TRUE(r.vk.GetAssignments(k).empty());
}

TEST(VirtualKey, OwnedDevicesAreDeletedWithTheKeys) {
    static int deleted = 0;
    struct Counted : TestDevice {
        ~Counted() override { ++deleted; }
    };
    deleted = 0;
    {
        CVirtualKey vk;
        vk.AddDevice(smart_ptr<IKeyBase>(new Counted));
        vk.AssignKey(0, 0, 1);
        vk.Input();
        EXPECT_EQ(deleted, 0);
    }
    EXPECT_EQ(deleted, 1);
}
