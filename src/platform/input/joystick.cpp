// Joysticks through SDL's joystick functions.  Axis values are moved into the
// unsigned range 0..65535 (centre 32767/32768); buttons become a bit mask.
// Headless runs have no joystick.
#include "input/joystick.h"

#include <SDL.h>

#include <map>

#include "system.h"

namespace plat {
namespace {

constexpr unsigned kAxisMax = 65535;
constexpr unsigned kAxisCentre = 32767;

class SdlJoystickDriver : public JoystickDriver {
public:
    ~SdlJoystickDriver() override {
        for (auto& entry : m_Open)
            if (entry.second) SDL_JoystickClose(entry.second);
        if (m_bStarted) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }

    unsigned DeviceCount() override {
        if (!Start()) return 0;
        int n = SDL_NumJoysticks();
        return n > 0 ? static_cast<unsigned>(n) : 0u;
    }

    bool GetCaps(unsigned id, JoystickCaps& caps) override {
        SDL_Joystick* joy = Open(id);
        if (!joy) return false;
        caps.xMin = 0;
        caps.xMax = kAxisMax;
        caps.yMin = 0;
        caps.yMax = kAxisMax;
        int buttons = SDL_JoystickNumButtons(joy);
        caps.buttonCount = buttons > 0 ? static_cast<unsigned>(buttons) : 0u;
        return true;
    }

    bool GetPos(unsigned id, JoystickPos& pos) override { return Read(id, pos, 4); }
    bool GetPosEx(unsigned id, JoystickPos& pos) override { return Read(id, pos, 32); }

private:
    bool Start() {
        if (!m_bStarted) {
            if (m_bFailed) return false;
            if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
                m_bFailed = true;
                return false;
            }
            m_bStarted = true;
        }
        return true;
    }

    SDL_Joystick* Open(unsigned id) {
        if (!Start()) return nullptr;
        auto it = m_Open.find(id);
        if (it != m_Open.end()) {
            if (it->second && SDL_JoystickGetAttached(it->second)) return it->second;
            if (it->second) SDL_JoystickClose(it->second);
            m_Open.erase(it);
        }
        if (static_cast<int>(id) >= SDL_NumJoysticks()) return nullptr;
        SDL_Joystick* joy = SDL_JoystickOpen(static_cast<int>(id));
        if (joy) m_Open[id] = joy;
        return joy;
    }

    static unsigned Axis(SDL_Joystick* joy, int axis) {
        if (axis >= SDL_JoystickNumAxes(joy)) return kAxisCentre;
        return static_cast<unsigned>(static_cast<int>(SDL_JoystickGetAxis(joy, axis)) + 32768);
    }

    bool Read(unsigned id, JoystickPos& pos, int maxButtons) {
        SDL_Joystick* joy = Open(id);
        if (!joy) return false;
        SDL_JoystickUpdate();
        if (!SDL_JoystickGetAttached(joy)) return false;
        pos.x = Axis(joy, 0);
        pos.y = Axis(joy, 1);
        pos.buttons = 0;
        int n = SDL_JoystickNumButtons(joy);
        if (n > maxButtons) n = maxButtons;
        for (int b = 0; b < n; ++b)
            if (SDL_JoystickGetButton(joy, b)) pos.buttons |= 1u << b;
        return true;
    }

    bool m_bStarted = false;
    bool m_bFailed = false;
    std::map<unsigned, SDL_Joystick*> m_Open;
};

// Headless runs stay deterministic: no joystick, whatever is plugged in.
class NoJoystickDriver : public JoystickDriver {
public:
    unsigned DeviceCount() override { return 0; }
    bool GetCaps(unsigned, JoystickCaps&) override { return false; }
    bool GetPos(unsigned, JoystickPos&) override { return false; }
    bool GetPosEx(unsigned, JoystickPos&) override { return false; }
};

JoystickDriver* g_Override = nullptr;

}  // namespace

std::unique_ptr<JoystickDriver> CreateSdlJoystickDriver() { return std::make_unique<SdlJoystickDriver>(); }

JoystickDriver& Joysticks() {
    if (g_Override) return *g_Override;
    if (IsHeadless()) {
        static NoJoystickDriver none;
        return none;
    }
    // Never destroyed: SDL may already be shut down when static objects go.
    static JoystickDriver* system = CreateSdlJoystickDriver().release();
    return *system;
}

void SetJoystickDriver(JoystickDriver* driver) { g_Override = driver; }

}  // namespace plat
