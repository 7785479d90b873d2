#pragma once
// Stand-ins for the keyboard, joystick and cursor so key devices and mice can be
// driven frame by frame without a window.
#include <cstring>
#include <vector>

#include "input/gvlKeyInput.h"
#include "input/gvlMouse.h"
#include "input/joystick.h"

namespace inputtest {

class FakeKeyboard : public IKeyboardSource {
public:
    FakeKeyboard() { SetKeyboardSource(this); }
    ~FakeKeyboard() override { SetKeyboardSource(nullptr); }

    void Down(int scan) { keys[scan] = 0x80; }
    void Up(int scan) { keys[scan] = 0; }

    bool IsReady() override { return ready; }
    bool Acquire(bool background) override {
        ++acquireCalls;
        lastBackground = background;
        return acquireOk;
    }
    ReadResult Read(uint8_t* out, bool) override {
        ++readCalls;
        ReadResult r = kReadOk;
        if (!results.empty()) {
            r = results.front();
            results.erase(results.begin());
        }
        if (r == kReadOk) std::memcpy(out, keys, sizeof(keys));
        return r;
    }

    uint8_t keys[256] = {};
    bool ready = true;
    bool acquireOk = true;
    bool lastBackground = false;
    int acquireCalls = 0;
    int readCalls = 0;
    std::vector<ReadResult> results;  // next read results (default kReadOk)
};

class FakeJoysticks : public plat::JoystickDriver {
public:
    FakeJoysticks() { plat::SetJoystickDriver(this); }
    ~FakeJoysticks() override { plat::SetJoystickDriver(nullptr); }

    unsigned DeviceCount() override { return count; }
    bool GetCaps(unsigned id, plat::JoystickCaps& c) override {
        if (id >= count || !capsOk[id]) return false;
        c = caps;
        return true;
    }
    bool GetPos(unsigned id, plat::JoystickPos& p) override {
        ++posCalls;
        if (id >= count || !posOk) return false;
        p = pos;
        p.buttons &= 0xF;  // the basic read knows four buttons
        return true;
    }
    bool GetPosEx(unsigned id, plat::JoystickPos& p) override {
        ++posExCalls;
        if (id >= count || !posOk) return false;
        p = pos;
        return true;
    }

    void Centre() {
        pos.x = (caps.xMin + caps.xMax) / 2;
        pos.y = (caps.yMin + caps.yMax) / 2;
    }

    unsigned count = 1;
    bool capsOk[4] = {true, true, true, true};
    bool posOk = true;
    plat::JoystickCaps caps;
    plat::JoystickPos pos{32767, 32767, 0};
    int posCalls = 0;
    int posExCalls = 0;
};

class FakeCursor : public IMouseCursorSource {
public:
    FakeCursor() { SetMouseCursorSource(this); }
    ~FakeCursor() override { SetMouseCursorSource(nullptr); }

    bool GetCursorPos(int& ox, int& oy) override {
        ox = x;
        oy = y;
        return true;
    }
    void SetCursorPos(int nx, int ny) override {
        x = nx;
        y = ny;
        ++setCalls;
    }
    int ClientWidth() override { return width; }
    int ClientHeight() override { return height; }

    int x = 100, y = 100;
    int width = 640, height = 480;
    int setCalls = 0;
};

}  // namespace inputtest
