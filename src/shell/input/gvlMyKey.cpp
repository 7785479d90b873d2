#include "input/gvlMyKey.h"

namespace {

struct KeyBinding {
    int virtualKey;
    int keyboard[2];  // scan codes, 0 = none
    int joystick;     // joystick key code, -1 = none
};

// The game's keys: keyboard scan codes and joystick key codes (0-3 the stick's
// up, down, left, right; 4 onward the buttons from the first).
constexpr KeyBinding kBindings[] = {
    {0, {0x01, 0}, -1},     // Escape
    {1, {0x48, 0xC8}, 0},   // numeric pad 8, up arrow / stick up
    {2, {0x50, 0xD0}, 1},   // numeric pad 2, down arrow / stick down
    {3, {0x4B, 0xCB}, 2},   // numeric pad 4, left arrow / stick left
    {4, {0x4D, 0xCD}, 3},   // numeric pad 6, right arrow / stick right
    {5, {0x2C, 0}, 4},      // Z / button 1
    {6, {0x2D, 0}, 5},      // X / button 2
    {7, {0x2E, 0}, 6},      // C / button 3
    {8, {0x2F, 0}, 7},      // V / button 4
    {9, {0x30, 0}, -1},     // B
    {10, {0x31, 0}, -1},    // N
    {11, {0x1D, 0x9D}, -1}, // left Ctrl, right Ctrl
    {60, {0x3F, 0}, -1},    // F5
};

}  // namespace

CMyKey::CMyKey(bool background) : m_Keyboard(background) {
    // The devices are members: the key map refers to them without owning them.
    smart_ptr<IKeyBase> keyboard;
    keyboard.SetUnowned(&m_Keyboard);
    AddDevice(keyboard);
    smart_ptr<IKeyBase> joystick;
    joystick.SetUnowned(&m_JoyStick);
    AddDevice(joystick);

    if (m_JoyStick.SelectDevice(0) != 0) m_JoyStick.SelectDevice(1);
    m_JoyStick.SetButtonCount(9);

    for (const KeyBinding& binding : kBindings) {
        for (int code : binding.keyboard)
            if (code != 0) AssignKey(binding.virtualKey, kDeviceKeyboard, code);
        if (binding.joystick >= 0) AssignKey(binding.virtualKey, kDeviceJoyStick, binding.joystick);
    }
}

CMyKey::~CMyKey() {
    // Let go of the member devices before they are destroyed.
    ClearAssignments();
}
