#include "input/gvlKeyInput.h"

#include <cstring>

#include "system.h"

namespace {

// The platform keyboard of the main window.  A foreground reader loses the
// keyboard while another window is active.
class SystemKeyboardSource : public IKeyboardSource {
public:
    bool IsReady() override { return plat::HasMainWindow(); }

    bool Acquire(bool background) override {
        return plat::HasMainWindow() && (background || plat::IsMainWindowActive());
    }

    ReadResult Read(uint8_t* out, bool background) override {
        if (!plat::HasMainWindow()) return kReadFailed;
        if (!background && !plat::IsMainWindowActive()) return kReadLost;
        const uint8_t* state = plat::KeyboardState();
        if (!state) return kReadFailed;
        std::memcpy(out, state, IKeyBase::kKeyCount);
        return kReadOk;
    }
};

IKeyboardSource* g_pKeyboardOverride = nullptr;

}  // namespace

IKeyboardSource& KeyboardSource() {
    static SystemKeyboardSource system;
    if (g_pKeyboardOverride) return *g_pKeyboardOverride;
    return system;
}

void SetKeyboardSource(IKeyboardSource* source) { g_pKeyboardOverride = source; }

CKeyInput::CKeyInput(bool background) : m_bBackground(background) {}

CKeyInput::~CKeyInput() {
    // Nothing is held open: the keyboard is given back simply by no longer reading it.
    m_bAcquired = false;
    m_bInitialized = false;
}

bool CKeyInput::Init() {
    IKeyboardSource& source = KeyboardSource();
    // No window yet: nothing to read the keyboard for.
    if (!source.IsReady()) return false;
    // A refused acquisition is retried by the next Input.
    source.Acquire(m_bBackground);
    m_bAcquired = true;
    m_bInitialized = true;
    return true;
}

int CKeyInput::Input() {
    if (!m_bInitialized) {
        if (Init()) {
            // The first frame reads nothing.
            std::memset(CurrentBuffer(), 0, kKeyCount);
            return 1;
        }
        // No keyboard to read yet: this frame reads as no key held.
        std::memset(FlipBuffer(), 0, kKeyCount);
        return 1;
    }

    unsigned char* current = FlipBuffer();
    IKeyboardSource& source = KeyboardSource();

    if (!m_bAcquired) {
        if (!source.Acquire(m_bBackground)) {
            std::memset(current, 0, kKeyCount);
            return 1;
        }
        m_bAcquired = true;
    }

    IKeyboardSource::ReadResult result = source.Read(current, m_bBackground);
    if (result == IKeyboardSource::kReadLost) {
        if (!source.Acquire(m_bBackground)) {
            std::memset(current, 0, kKeyCount);
            m_bAcquired = false;
            return -1;
        }
        result = source.Read(current, m_bBackground);
    }
    if (result == IKeyboardSource::kReadOk) return 0;

    std::memset(current, 0, kKeyCount);
    m_bAcquired = false;
    return 1;
}

bool CKeyInput::IsPress(int key) {
    if (!IsKeyCode(key)) return false;
    return (CurrentBuffer()[key] & 0x80) != 0;
}

bool CKeyInput::IsPush(int key) {
    if (!IsKeyCode(key)) return false;
    return (CurrentBuffer()[key] & 0x80) != 0 && (OtherBuffer()[key] & 0x80) == 0;
}
