// Per-frame cost of reading input: the whole input manager (mouse sample and
// the 88 virtual keys over keyboard and joystick) and the virtual keys alone.
#include <benchmark/benchmark.h>

#include <cstring>

#include "input/gvlInputManager.h"
#include "input/joystick.h"

namespace {

class BenchKeyboard : public IKeyboardSource {
public:
    bool IsReady() override { return true; }
    bool Acquire(bool) override { return true; }
    ReadResult Read(uint8_t* out, bool) override {
        std::memcpy(out, keys, sizeof(keys));
        return kReadOk;
    }
    uint8_t keys[256] = {};
};

class BenchJoystick : public plat::JoystickDriver {
public:
    unsigned DeviceCount() override { return 1; }
    bool GetCaps(unsigned, plat::JoystickCaps&) override { return true; }
    bool GetPos(unsigned, plat::JoystickPos& p) override {
        p = pos;
        return true;
    }
    bool GetPosEx(unsigned, plat::JoystickPos& p) override {
        p = pos;
        return true;
    }
    plat::JoystickPos pos{32767, 32767, 0};
};

class BenchCursor : public IMouseCursorSource {
public:
    bool GetCursorPos(int& x, int& y) override {
        x = 320;
        y = 240;
        return true;
    }
    void SetCursorPos(int, int) override {}
    int ClientWidth() override { return 640; }
    int ClientHeight() override { return 480; }
};

struct Sources {
    Sources() {
        SetKeyboardSource(&keyboard);
        plat::SetJoystickDriver(&joystick);
        SetMouseCursorSource(&cursor);
    }
    ~Sources() {
        SetKeyboardSource(nullptr);
        plat::SetJoystickDriver(nullptr);
        SetMouseCursorSource(nullptr);
    }
    BenchKeyboard keyboard;
    BenchJoystick joystick;
    BenchCursor cursor;
};

void BM_InputManagerUpdate(benchmark::State& state) {
    Sources sources;
    CInputManager input;
    int frame = 0;
    for (auto _ : state) {
        // Alternate a held key so both edges are exercised.
        sources.keyboard.keys[0x2C] = (++frame & 8) ? 0x80 : 0;
        input.Update();
        benchmark::DoNotOptimize(input.IsPush(5));
    }
}
BENCHMARK(BM_InputManagerUpdate);

void BM_VirtualKeyInputNoKeysHeld(benchmark::State& state) {
    Sources sources;
    CMyKey key(false);
    for (auto _ : state) benchmark::DoNotOptimize(key.Input());
}
BENCHMARK(BM_VirtualKeyInputNoKeysHeld);

}  // namespace

BENCHMARK_MAIN();
