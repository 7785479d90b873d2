#include "input/gvlMouse.h"

#include <algorithm>

#include "system.h"

namespace {

void* g_pMouseWindow = nullptr;

class SystemCursorSource : public IMouseCursorSource {
public:
    bool GetCursorPos(int& x, int& y) override { return plat::GetCursorPos(x, y); }
    void SetCursorPos(int x, int y) override { plat::SetCursorPos(x, y); }
    int ClientWidth() override { return plat::ClientWidth(); }
    int ClientHeight() override { return plat::ClientHeight(); }
};

IMouseCursorSource* g_pCursorOverride = nullptr;

}  // namespace

IMouseCursorSource& MouseCursorSource() {
    static SystemCursorSource system;
    if (g_pCursorOverride) return *g_pCursorOverride;
    return system;
}

void SetMouseCursorSource(IMouseCursorSource* source) { g_pCursorOverride = source; }

std::vector<CMouse*>& MouseRegistry() {
    static std::vector<CMouse*> registry;
    return registry;
}

void* GetMouseWindow() { return g_pMouseWindow; }

void FeedMouseMessage(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    g_pMouseWindow = window;
    // A copy, so that a mouse created or destroyed by a caller never disturbs the walk.
    std::vector<CMouse*> mice = MouseRegistry();
    for (CMouse* mouse : mice) {
        auto& live = MouseRegistry();
        if (std::find(live.begin(), live.end(), mouse) != live.end()) mouse->OnMessage(window, message, wParam, lParam);
    }
}

// ---- CMouse --------------------------------------------------------------------

int CMouse::GetXY(int*, int*) { return 0; }
bool CMouse::IsRButtonDown() { return m_bRButton; }
bool CMouse::IsLButtonDown() { return m_bLButton; }

int CMouse::GetInfo(int*, int*, int* mask) {
    if (mask)
        *mask = (m_bRButton ? kMouseMaskRight : 0) | (m_bLButton ? kMouseMaskLeft : 0) |
                (m_bMButton ? kMouseMaskMiddle : 0);
    return 0;
}

bool CMouse::GetPush(bool* left, bool* right) {
    if (left) *left = m_bLButton && !m_bPrevLButton;
    if (right) *right = m_bRButton && !m_bPrevRButton;
    m_bPrevLButton = m_bLButton;
    m_bPrevRButton = m_bRButton;
    return m_bLButton;
}

void CMouse::ResetPush() {
    m_bPrevLButton = false;
    m_bPrevRButton = false;
}

int CMouse::SetXY(int, int) { return 0; }
void CMouse::SetIgnoreClientRect(bool ignore) { m_bIgnoreClientRect = ignore; }

int CMouse::TakePressedSinceLastLook() {
    int pressed = m_PressedSinceLook;
    m_PressedSinceLook = 0;
    return pressed;
}

void CMouse::OnMessage(void*, uint32_t message, uintptr_t wParam, intptr_t) {
    if (message < plat::kMsgMouseMove || message > plat::kMsgMButtonUp) return;
    switch (message) {
        case plat::kMsgMouseMove:
            m_bLButton = (wParam & plat::kMkLButton) != 0;
            m_bRButton = (wParam & plat::kMkRButton) != 0;
            m_bMButton = (wParam & plat::kMkMButton) != 0;
            break;
        case plat::kMsgLButtonDown:
            m_bLButton = true;
            m_PressedSinceLook |= kMouseMaskLeft;
            break;
        case plat::kMsgLButtonUp: m_bLButton = false; break;
        case plat::kMsgRButtonDown:
            m_bRButton = true;
            m_PressedSinceLook |= kMouseMaskRight;
            break;
        case plat::kMsgRButtonUp: m_bRButton = false; break;
        case plat::kMsgMButtonDown:
            m_bMButton = true;
            m_PressedSinceLook |= kMouseMaskMiddle;
            break;
        case plat::kMsgMButtonUp: m_bMButton = false; break;
        default: break;  // double clicks change nothing
    }
}

// ---- CMouseIDP -----------------------------------------------------------------

CMouseIDP::CMouseIDP() { MouseRegistry().push_back(this); }

CMouseIDP::~CMouseIDP() {
    auto& registry = MouseRegistry();
    registry.erase(std::remove(registry.begin(), registry.end(), static_cast<CMouse*>(this)), registry.end());
}

int CMouseIDP::GetXY(int* x, int* y) {
    IMouseCursorSource& source = MouseCursorSource();
    int cx = 0, cy = 0;
    if (!source.GetCursorPos(cx, cy)) cx = cy = 0;
    if (x) *x = cx;
    if (y) *y = cy;
    if (!m_bIgnoreClientRect) {
        const int width = source.ClientWidth();
        const int height = source.ClientHeight();
        if (cx < 0 || cx >= width || cy < 0 || cy >= height) {
            // Outside the client area the left and right buttons do not count.
            m_bLButton = false;
            m_bRButton = false;
            m_PressedSinceLook &= kMouseMaskMiddle;
        }
    }
    return 0;
}

int CMouseIDP::GetInfo(int* x, int* y, int* mask) {
    int result = GetXY(x, y);
    if (mask)
        *mask = (m_bRButton ? kMouseMaskRight : 0) | (m_bLButton ? kMouseMaskLeft : 0) |
                (m_bMButton ? kMouseMaskMiddle : 0);
    return result;
}

int CMouseIDP::SetXY(int x, int y) {
    MouseCursorSource().SetCursorPos(x, y);
    return 0;
}

// ---- CFixMouseIDP --------------------------------------------------------------

int CFixMouseIDP::Input() {
    // Edges are hidden in every frame that begins with the counter above 0,
    // which is the first two frames after construction.
    m_bHolding = m_Hold != 0;
    if (m_Hold != 0) --m_Hold;

    m_bPrevRButton = m_bRButton;
    m_bPrevLButton = m_bLButton;
    m_bPrevMButton = m_bMButton;

    int mask = 0;
    if (m_Mouse.GetInfo(&m_X, &m_Y, &mask) != 0) {
        m_Mask = 0;
        m_bRButton = m_bLButton = m_bMButton = false;
        m_Mouse.TakePressedSinceLastLook();
        return 1;
    }
    // A button pressed and released again between two frames still counts as
    // down for this one frame, so that a quick click is never lost.
    mask |= m_Mouse.TakePressedSinceLastLook();
    m_Mask = mask;
    m_bRButton = (mask & kMouseMaskRight) != 0;
    m_bLButton = (mask & kMouseMaskLeft) != 0;
    m_bMButton = (mask & kMouseMaskMiddle) != 0;
    return 0;
}

int CFixMouseIDP::GetXY(int* x, int* y) {
    if (x) *x = m_X;
    if (y) *y = m_Y;
    return 0;
}

bool CFixMouseIDP::IsRButtonDown() { return m_bRButton; }
bool CFixMouseIDP::IsLButtonDown() { return m_bLButton; }
bool CFixMouseIDP::IsMButtonDown() { return m_bMButton; }

int CFixMouseIDP::GetInfo(int* x, int* y, int* mask) {
    if (x) *x = m_X;
    if (y) *y = m_Y;
    if (mask) *mask = m_Mask;
    return 0;
}

bool CFixMouseIDP::GetPush(bool* left, bool* right) {
    bool l = m_bLButton && !m_bPrevLButton;
    bool r = m_bRButton && !m_bPrevRButton;
    if (left) *left = l;
    if (right) *right = r;
    return l;
}

bool CFixMouseIDP::IsRButtonPush() { return !m_bHolding && m_bRButton && !m_bPrevRButton; }
bool CFixMouseIDP::IsLButtonPush() { return !m_bHolding && m_bLButton && !m_bPrevLButton; }
bool CFixMouseIDP::IsMButtonPush() { return !m_bHolding && m_bMButton && !m_bPrevMButton; }

bool CFixMouseIDP::GetRelease(bool* left, bool* right) {
    bool l = !m_bLButton && m_bPrevLButton;
    bool r = !m_bRButton && m_bPrevRButton;
    if (left) *left = l;
    if (right) *right = r;
    return l;
}

bool CFixMouseIDP::IsRButtonRelease() { return !m_bHolding && !m_bRButton && m_bPrevRButton; }
bool CFixMouseIDP::IsLButtonRelease() { return !m_bHolding && !m_bLButton && m_bPrevLButton; }
bool CFixMouseIDP::IsMButtonRelease() { return !m_bHolding && !m_bMButton && m_bPrevMButton; }

void CFixMouseIDP::ResetButtons() {
    m_bRButton = m_bLButton = m_bMButton = false;
    m_bPrevRButton = m_bPrevLButton = m_bPrevMButton = false;
}

void CFixMouseIDP::SetXY(int x, int y) {
    m_X = x;
    m_Y = y;
    m_Mouse.SetXY(x, y);
}

bool CFixMouseIDP::IsHolding() { return m_bHolding; }

void CFixMouseIDP::SetIgnoreClientRect(bool ignore) { m_Mouse.SetIgnoreClientRect(ignore); }
