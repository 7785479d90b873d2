#pragma once
// Joysticks as the game reads them: numbered devices with an X and a Y axis in
// an unsigned range reported by the device's capabilities, and a mask of
// buttons (bit n = button n + 1).
//
// The system driver reads joysticks through SDL; in headless mode it reports no
// device.  Tests may put a driver of their own in its place.
#include <cstdint>
#include <memory>

namespace plat {

struct JoystickCaps {
    unsigned xMin = 0, xMax = 65535;
    unsigned yMin = 0, yMax = 65535;
    unsigned buttonCount = 0;
};

struct JoystickPos {
    unsigned x = 0, y = 0;
    uint32_t buttons = 0;  // bit n: button n + 1 held
};

class JoystickDriver {
public:
    virtual ~JoystickDriver() = default;
    // How many joystick ids exist (0 when none is connected).
    virtual unsigned DeviceCount() = 0;
    // Capabilities of joystick `id`; false when it cannot be queried.
    virtual bool GetCaps(unsigned id, JoystickCaps& caps) = 0;
    // Basic read: position and the first four buttons only.
    virtual bool GetPos(unsigned id, JoystickPos& pos) = 0;
    // Full read: position and every button (up to 32).
    virtual bool GetPosEx(unsigned id, JoystickPos& pos) = 0;
};

// A driver reading SDL's joysticks (starts SDL's joystick subsystem on first use).
std::unique_ptr<JoystickDriver> CreateSdlJoystickDriver();

// The driver in use: a test's replacement, else none in headless runs, else SDL's.
JoystickDriver& Joysticks();
// Replaces the driver; nullptr puts the system's back.  The caller keeps ownership.
void SetJoystickDriver(JoystickDriver* driver);

}  // namespace plat
