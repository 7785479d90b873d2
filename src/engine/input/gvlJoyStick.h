#pragma once
// Joysticks as key devices.  The stick maps to four direction keys (0 up,
// 1 down, 2 left, 3 right) and button n to key 4 + n.
#include "input/gvlKeyBase.h"
#include "util/smart_ptr.h"

// A joystick read through the system's joystick driver.
class CWIN32JoyStick : public IJoyStick {
public:
    CWIN32JoyStick();
    ~CWIN32JoyStick() override = default;

    // 0 selected; 1 no such id; 3 capabilities unreadable; 4 position unreadable.
    int SelectDevice(int id) override;
    // 0 read; 1 not valid (nothing changes); 2 the position could not be read.
    int Input() override;
    bool IsValid() override;

    // The stick thresholds taken from the device's range (for diagnostics and tests).
    unsigned GetXLow() const { return m_XLow; }
    unsigned GetXHigh() const { return m_XHigh; }
    unsigned GetYLow() const { return m_YLow; }
    unsigned GetYHigh() const { return m_YHigh; }

private:
    bool m_bValid = false;
    int m_JoyId = 0;
    unsigned m_XLow = 0;
    unsigned m_XHigh = 0;
    unsigned m_YLow = 0;
    unsigned m_YHigh = 0;
    int m_RequestedId = 0;
};

// Stands in when no joystick is selected: always valid, never presses a key.
class CJoyStickNullDevice : public IJoyStick {
public:
    int Input() override;
    bool IsPress(int key) override;
    bool IsPush(int key) override;
    int SelectDevice(int id) override;
    int SetButtonCount(int count) override;
    int GetButtonCount() override;
    bool IsValid() override;
};

// Owns whichever joystick is in use and passes every question on to it.
class CJoyStick : public IJoyStick {
public:
    CJoyStick();
    ~CJoyStick() override = default;

    // A negative id selects the null device and returns 1; otherwise a new
    // system joystick takes the place of the held one: 0 when it could be
    // selected, else 1 (the new, invalid joystick is kept and reads nothing).
    int SelectDevice(int id) override;
    int Input() override;
    bool IsPress(int key) override;
    bool IsPush(int key) override;
    unsigned char* GetKeyState() override;
    // Clears the proxy's own buffers only.
    void Reset() override;
    int SetButtonCount(int count) override;
    int GetButtonCount() override;
    bool IsValid() override;

    IJoyStick* GetDevice() const { return m_Device.Get(); }

private:
    smart_ptr<IJoyStick> m_Device;
};
