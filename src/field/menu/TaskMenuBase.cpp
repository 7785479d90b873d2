// The field's menu base.
#include "menu/TaskMenuBase.h"

#include <algorithm>
#include <cmath>

#include "FieldTaskInfo.h"
#include "input/gvlInputManager.h"
#include "resources/GlobalResources.h"

IInputManager* C_TaskMenuBase::InputOf(C_FieldTaskInfo* info) {
    return info ? info->GetInputManager() : g_pInputManager;
}

float C_TaskMenuBase::GetOpenRatio() const {
    if (m_nOpenFrames <= 0) return 1.0f;
    return std::clamp(float(m_nFrame) / float(m_nOpenFrames), 0.0f, 1.0f);
}

void C_TaskMenuBase::UpdateCursor(C_FieldTaskInfo* info) {
    m_nFrame = std::clamp(m_nFrame + 1, 0, std::max(0, m_nOpenFrames));
    if (m_nFrame < m_nOpenFrames) return;
    IInputManager* input = InputOf(info);
    if (!input) return;
    const int px = input->GetX(), py = input->GetY();
    // The base draws at most ten items: the pointer never picks one it does not show.
    const int items = std::clamp(m_nItemNum, 0, kMaxItems);
    m_nCursor = -1;
    if (m_nLineHeight > 0 && m_nX + 5 < px && px < m_nX + m_nItemWidth + 4 && m_nY + 10 < py &&
        py < m_nY + items * m_nLineHeight + 9)
        m_nCursor = (py - m_nY - 10) / m_nLineHeight;
    m_nCursor = std::clamp(m_nCursor, -1, items - 1);
}

void C_TaskMenuBase::Draw(C_FieldTaskInfo*) {
    const int items = std::clamp(m_nItemNum, 0, kMaxItems);
    if (m_bTextDirty) {
        for (int i = 0; i < items; ++i) m_ItemText[i].Render();
        m_bTextDirty = false;
    }
    g_GlobalResources.DrawWindowEx(m_nX - 8, m_nY - 8, m_nWidth, m_nHeight, GetOpenRatio(), 0x95000000, 0);
    if (!IsStarted()) return;
    // Every item at full strength: a menu that greys out what it disables draws that itself.
    for (int i = 0; i < items; ++i) {
        CD3DRTSquare& rt = m_ItemText[i].GetRenderTarget();
        if (rt.GetTexture()) rt.Draw(m_nX + 5, m_nY + i * m_nLineHeight + 11, 255);
    }
    if (m_nCursor >= 0 && m_nCursor < items)
        DrawMenuQuad(m_CursorBar, m_nX + 5, m_nY + m_nCursor * m_nLineHeight + 8, m_nWidth - 24, m_nLineHeight,
                     0x60FFFFFF);
}

void C_TaskMenuBase::DrawOpening(CD3DDrawTexture& texture, int x, int y, int width, int height, int top, int bottom,
                                 const RECT* src) {
    const int sx = src ? src->left : 0, sy = src ? src->top : 0;
    if (IsStarted()) {
        const RECT whole{sx, sy, sx + width, sy + height};
        texture.Draw(x, y, 255, &whole);
        return;
    }
    const double t = GetOpenRatio();
    const int m = height - top - bottom;
    const int yy = static_cast<int>((1.0 - t) * m * 0.5 + y);
    const int d = yy - y;
    // The middle slice grows from the middle line; the frame strips ride on its edges.
    const RECT middle{sx, sy + top + d, sx + width, sy + height - bottom - d};
    if (middle.bottom > middle.top) texture.Draw(x, yy + top, 255, &middle);
    const RECT upper{sx, sy, sx + width, sy + top};
    if (top > 0) texture.Draw(x, yy, 255, &upper);
    const RECT lower{sx, sy + height - bottom, sx + width, sy + height};
    if (bottom > 0) texture.Draw(x, 2 * y - yy - bottom + height, 255, &lower);
}

void DrawMenuQuad(CD3DDrawSquare& square, int x, int y, int width, int height, uint32_t color) {
    if (width <= 0 || height <= 0) return;
    square.SetSize(float(width), float(height), color);
    square.Draw(float(x), float(y));
}
