// The field's menu base.
#include "TaskMenuBase.h"

#include <algorithm>

#include "FieldTaskInfo.h"
#include "input/gvlInputManager.h"
#include "resources/GlobalResources.h"

void C_TaskMenuBase::UpdateCursor(C_FieldTaskInfo* info) {
    m_nFrame = std::clamp(m_nFrame + 1, 0, m_nOpenFrames);
    if (m_nFrame < m_nOpenFrames) return;
    IInputManager* input = info ? info->GetInputManager() : g_pInputManager;
    if (!input) return;
    const int px = input->GetX(), py = input->GetY();
    m_nCursor = -1;
    if (m_nX + 5 < px && px < m_nX + m_nItemWidth + 4 && m_nY + 10 < py && py < m_nY + m_nItemNum * m_nLineHeight + 9)
        m_nCursor = (py - m_nY - 10) / std::max(1, m_nLineHeight);
    m_nCursor = std::clamp(m_nCursor, -1, m_nItemNum - 1);
}

void C_TaskMenuBase::Draw(C_FieldTaskInfo*) {
    const int items = std::clamp(m_nItemNum, 0, kMaxItems);
    if (m_bTextDirty) {
        for (int i = 0; i < items; ++i) m_ItemText[i].Render();
        m_bTextDirty = false;
    }
    const float open = m_nOpenFrames > 0 ? float(m_nFrame) / float(m_nOpenFrames) : 1.0f;
    g_GlobalResources.DrawWindowEx(m_nX - 8, m_nY - 8, m_nWidth, m_nHeight, open, 0x95000000, 0);
    if (!IsStarted()) return;
    // Every item at full strength: a menu that greys out what it disables draws that itself.
    for (int i = 0; i < items; ++i) {
        CD3DRTSquare& rt = m_ItemText[i].GetRenderTarget();
        if (rt.GetTexture()) rt.Draw(m_nX + 5, m_nY + i * m_nLineHeight + 11, 255);
    }
    if (m_nCursor >= 0 && m_nCursor < items) {
        m_CursorBar.SetSize(float(m_nWidth - 24), float(m_nLineHeight), 0x60FFFFFF);
        m_CursorBar.Draw(float(m_nX + 5), float(m_nY + m_nCursor * m_nLineHeight + 8));
    }
}
