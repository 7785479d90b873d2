#include "input/gvlJoyStick.h"

#include <cstring>

#include "input/joystick.h"

// ---- CWIN32JoyStick ------------------------------------------------------------

CWIN32JoyStick::CWIN32JoyStick() { m_ButtonCount = 6; }

int CWIN32JoyStick::SelectDevice(int id) {
    m_RequestedId = id;
    m_bValid = false;

    plat::JoystickDriver& driver = plat::Joysticks();
    if (id < 0 || static_cast<unsigned>(id) >= driver.DeviceCount()) return 1;

    plat::JoystickCaps caps;
    if (!driver.GetCaps(static_cast<unsigned>(id), caps)) return 3;
    // The stick must travel a third of its range from the centre to press a direction.
    m_XLow = (caps.xMax + 2 * caps.xMin) / 3;
    m_XHigh = (caps.xMin + 2 * caps.xMax) / 3;
    m_YLow = (caps.yMax + 2 * caps.yMin) / 3;
    m_YHigh = (caps.yMin + 2 * caps.yMax) / 3;

    plat::JoystickPos pos;
    if (!driver.GetPos(static_cast<unsigned>(id), pos)) return 4;

    m_JoyId = id;
    m_bValid = true;
    Reset();
    return 0;
}

int CWIN32JoyStick::Input() {
    if (!m_bValid) return 1;

    unsigned char* current = FlipBuffer();
    plat::JoystickDriver& driver = plat::Joysticks();
    plat::JoystickPos pos;
    // Only the full read reports buttons beyond the fourth.
    bool ok = m_ButtonCount > 4 ? driver.GetPosEx(static_cast<unsigned>(m_JoyId), pos)
                                : driver.GetPos(static_cast<unsigned>(m_JoyId), pos);
    if (!ok) return 2;  // the buffer keeps the states of two frames ago

    current[kKeyUp] = pos.y < m_YLow ? 1 : 0;
    current[kKeyDown] = pos.y > m_YHigh ? 1 : 0;
    current[kKeyLeft] = pos.x < m_XLow ? 1 : 0;
    current[kKeyRight] = pos.x > m_XHigh ? 1 : 0;
    for (int n = 0; n < m_ButtonCount; ++n) current[kKeyButton0 + n] = (pos.buttons >> n) & 1u;
    return 0;
}

bool CWIN32JoyStick::IsValid() { return m_bValid; }

// ---- CJoyStickNullDevice -------------------------------------------------------

int CJoyStickNullDevice::Input() { return 0; }
bool CJoyStickNullDevice::IsPress(int) { return false; }
bool CJoyStickNullDevice::IsPush(int) { return false; }
int CJoyStickNullDevice::SelectDevice(int) { return 0; }
int CJoyStickNullDevice::SetButtonCount(int) { return 0; }
int CJoyStickNullDevice::GetButtonCount() { return 0; }
bool CJoyStickNullDevice::IsValid() { return true; }

// ---- CJoyStick -----------------------------------------------------------------

CJoyStick::CJoyStick() { m_Device.Set(new CJoyStickNullDevice); }

int CJoyStick::SelectDevice(int id) {
    if (id < 0) {
        m_Device.Set(new CJoyStickNullDevice);
        return 1;
    }
    CWIN32JoyStick* joystick = new CWIN32JoyStick;
    m_Device.Set(joystick);
    return joystick->SelectDevice(id) != 0 ? 1 : 0;
}

int CJoyStick::Input() { return m_Device->Input(); }
bool CJoyStick::IsPress(int key) { return m_Device->IsPress(key); }
bool CJoyStick::IsPush(int key) { return m_Device->IsPush(key); }
unsigned char* CJoyStick::GetKeyState() { return m_Device->GetKeyState(); }
void CJoyStick::Reset() { IKeyBase::Reset(); }
int CJoyStick::SetButtonCount(int count) { return m_Device->SetButtonCount(count); }
int CJoyStick::GetButtonCount() { return m_Device->GetButtonCount(); }
bool CJoyStick::IsValid() { return m_Device->IsValid(); }
