// The pop-up row menu and the difficulty choice.
#include "menu/SelectMenu.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "input/gvlInputManager.h"
#include "resources/GlobalResources.h"

CSelectMenuBase::CSelectMenuBase() {}

void CSelectMenuBase::Reset() { m_nResult = 0; }

void CSelectMenuBase::UpdateCursor(IInputManager* input) {
    m_nFrame = std::clamp(m_nFrame + 1, 0, m_nOpenDelay);
    if (m_nFrame < m_nOpenDelay) return;
    if (!input) return;
    const int px = input->GetX(), py = input->GetY();
    m_nCursor = -1;
    if (m_nX + 5 < px && px < m_nX + m_nHitWidth + 4 && m_nY + 10 < py && py < m_nY + m_nRowCount * m_nRowHeight + 9)
        m_nCursor = (py - m_nY - 10) / std::max(1, m_nRowHeight);
    m_nCursor = std::clamp(m_nCursor, -1, m_nRowCount - 1);
}

void CSelectMenuBase::Draw() {
    const int rows = std::clamp(m_nRowCount, 0, kMaxRows);
    if (m_bNeedRender) {
        for (int i = 0; i < rows; ++i) m_Text[i].Render();
        m_bNeedRender = false;
    }
    const float open = m_nOpenDelay > 0 ? float(m_nFrame) / float(m_nOpenDelay) : 1.0f;
    g_GlobalResources.DrawWindowEx(m_nX - 8, m_nY - 8, m_nWindowWidth, m_nWindowHeight, open, 0x95000000, 0);
    if (!IsOpen()) return;
    for (int i = 0; i < rows; ++i) DrawTextAt(m_Text[i], m_nX + 5, m_nY + i * m_nRowHeight + 11, 255);
    if (m_nCursor >= 0 && m_nCursor < rows) {
        m_CursorSquare.SetSize(float(m_nWindowWidth - 24), float(m_nRowHeight), 0x60FFFFFF);
        m_CursorSquare.Draw(float(m_nX + 5), float(m_nY + m_nCursor * m_nRowHeight + 8));
    }
}

CSelectDifficulty::CSelectDifficulty() {
    for (int i = 0; i < 5; ++i) m_Text[i].SetText(GetDifficultyName(i + 1), 14, 0xFFFFFFFF);
    m_nRowCount = 5;
    m_nX = 40;
    m_nWindowWidth = 150;
    m_nWindowHeight = 130;
    m_bNeedRender = true;
}

void CSelectDifficulty::Update(IInputManager* input) {
    UpdateCursor(input);
    if (!IsOpen() || m_nResult != 0 || !input || !input->IsLButtonPush()) return;
    if (m_nCursor < 0 || m_nCursor >= m_nRowCount || !m_bEnabled[m_nCursor]) return;
    m_nResult = m_nCursor + 1;
}

std::string GetDifficultyName(int difficulty) {
    switch (difficulty) {
        case 1: return "Novice";
        case 2: return "Standard";
        case 3: return "Expert";
        case 4: return "Master";
        case 5: return "Chaotic";
        default: return "error";
    }
}

std::string FormatNumber(int value, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", value);
    std::string text = buf;
    if (width == -1) return text;
    int digits = width;
    long long power = 10;
    for (int k = 1; k <= width - 1; ++k, power *= 10) {
        if (value / power == 0) {
            digits = k;
            break;
        }
    }
    return std::string(size_t(std::max(0, width - digits)), ' ') + text;
}

std::string FormatNumberCapped(int value, int width, int maxDigits) {
    long long most = 1;
    for (int k = 0; k < maxDigits && most <= INT32_MAX; ++k) most *= 10;
    const long long held = std::clamp<long long>(value, -(most - 1), most - 1);
    return FormatNumber(int(held), width);
}

void DrawTextAt(CD3DTextDraw& text, double x, double y, unsigned char alpha) {
    CD3DRTSquare& rt = text.GetRenderTarget();
    if (!rt.GetTexture()) return;
    rt.Draw(x, y, alpha);
}
