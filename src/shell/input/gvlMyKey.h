#pragma once
// The game's key map: virtual keys over the keyboard (device 0) and a joystick
// (device 1).
#include "input/gvlJoyStick.h"
#include "input/gvlKeyInput.h"
#include "input/gvlVirtualKey.h"

class CMyKey : public CVirtualKey {
public:
    enum { kDeviceKeyboard = 0, kDeviceJoyStick = 1 };

    explicit CMyKey(bool background);
    ~CMyKey() override;

    CKeyInput& GetKeyboard() { return m_Keyboard; }
    CJoyStick& GetJoyStick() { return m_JoyStick; }

private:
    CKeyInput m_Keyboard;
    CJoyStick m_JoyStick;
};
