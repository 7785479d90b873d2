#include "input/gvlKeyBase.h"

#include <cstring>

bool IKeyBase::IsPress(int key) {
    if (!IsKeyCode(key)) return false;
    return CurrentBuffer()[key] != 0;
}

bool IKeyBase::IsPush(int key) {
    if (!IsKeyCode(key)) return false;
    return CurrentBuffer()[key] != 0 && OtherBuffer()[key] == 0;
}

unsigned char* IKeyBase::GetKeyState() { return CurrentBuffer(); }

void IKeyBase::Reset() { std::memset(m_Keys, 0, sizeof(m_Keys)); }

int IJoyStick::SetButtonCount(int count) {
    // Button n is bit n of a 32-bit mask.
    if (count < 0) count = 0;
    if (count > 32) count = 32;
    m_ButtonCount = count;
    Reset();
    return 0;
}

int IJoyStick::GetButtonCount() { return m_ButtonCount; }

bool IJoyStick::IsValid() { return false; }
