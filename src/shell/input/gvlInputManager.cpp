#include "input/gvlInputManager.h"

IInputManager* g_pInputManager = nullptr;

CInputManager::CInputManager() : m_Key(false) {}

CInputManager::~CInputManager() {
    if (g_pInputManager == this) g_pInputManager = nullptr;
}

void CInputManager::Update() {
    m_Mouse.Input();
    m_Key.Input();
    m_PrevX = m_X;
    m_PrevY = m_Y;
    m_Mouse.GetXY(&m_X, &m_Y);
}

bool CInputManager::IsLButtonDown() { return m_Mouse.IsLButtonDown(); }
bool CInputManager::IsRButtonDown() { return m_Mouse.IsRButtonDown(); }
bool CInputManager::IsMButtonDown() { return m_Mouse.IsMButtonDown(); }
bool CInputManager::IsLButtonPush() { return m_Mouse.IsLButtonPush(); }
bool CInputManager::IsRButtonPush() { return m_Mouse.IsRButtonPush(); }
bool CInputManager::IsMButtonPush() { return m_Mouse.IsMButtonPush(); }
int CInputManager::GetX() { return m_X; }
int CInputManager::GetY() { return m_Y; }

void CInputManager::GetXY(int* x, int* y) {
    if (x) *x = m_X;
    if (y) *y = m_Y;
}

bool CInputManager::IsPush(int virtualKey) { return m_Key.IsPush(virtualKey); }
bool CInputManager::IsPress(int virtualKey) { return m_Key.IsPress(virtualKey); }
IKeyBase* CInputManager::GetKey() { return &m_Key; }
CFixMouseIDP* CInputManager::GetMouse() { return &m_Mouse; }
