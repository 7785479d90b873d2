// The map cursor and its scrolling-edge shade.
#include "map/TaskCursol.h"

#include <algorithm>

#include "FieldTaskInfo.h"
#include "input/gvlInputManager.h"
#include "resources/SheetDraw.h"
#include "task/TaskController.h"
#include "util/GameUtil.h"

#include "info/TaskMiniInfo.h"
#include "info/TaskMiniMap.h"

namespace {
constexpr float kScrollStep = 0.1f;

float ClampF(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }
}  // namespace

int EdgeScrollX(int pointerX) { return pointerX < 10 ? -1 : (pointerX > 630 ? 1 : 0); }
int EdgeScrollY(int pointerY) { return pointerY < 10 ? -1 : (pointerY >= 450 ? 1 : 0); }

C_TaskCursol::C_TaskCursol(const C_TaskReply<int32_t>& result, C_FieldTaskInfo* info)
    : m_Result(result), m_pFieldTaskInfo(info) {
    Start(info);
}

C_TaskCursol::C_TaskCursol(const C_TaskReply<int32_t>& result, const C_TaskReply<int32_t>& chosenUnit,
                           const std::vector<int32_t>& candidates, C_FieldTaskInfo* info)
    : m_Result(result), m_ChosenUnit(chosenUnit), m_vCandidate(candidates), m_pFieldTaskInfo(info) {
    m_ChosenUnit.Start(-1);
    Start(info);
}

void C_TaskCursol::Start(C_FieldTaskInfo* info) {
    m_Result.Start(0);
    m_nBlink = 0;
    m_nScrollX = m_nScrollY = 0;
    g_bFieldCursorActive = true;
    if (!info || !info->m_pTaskController) return;
    info->m_pTaskController->AddTask(new C_TaskScrollMap(&m_nScrollX, &m_nScrollY), 12);
    info->m_pTaskController->AddTask(new C_TaskMiniInfo(), 19);
}

C_TaskCursol::~C_TaskCursol() {
    // Removed from outside before an answer: the creator reads "cancelled".
    m_Result.SetUnlessAnswered(2);
    if (m_pFieldTaskInfo && m_pFieldTaskInfo->m_pTaskController) {
        m_pFieldTaskInfo->m_pTaskController->KillTask(12);
        m_pFieldTaskInfo->m_pTaskController->KillTask(19);
    }
    g_bFieldCursorActive = false;
}

void C_TaskCursol::Answer(C_FieldTaskInfo* info, int32_t result) {
    m_Result.Set(result);
    KillSelf(info);
}

void C_TaskCursol::Update(C_FieldTaskInfo* info) {
    IInputManager* input = info ? info->GetInputManager() : nullptr;
    if (!input) return;
    const int px = input->GetX(), py = input->GetY();
    const int w = info->m_MapData.m_xSize, h = info->m_MapData.m_ySize;

    // 1. Drag with the middle button: the map follows the pointer.
    if (!m_bDragging && input->IsMButtonPush()) {
        m_bDragging = true;
        m_nDragX = px;
        m_nDragY = py;
        m_fDragCameraX = info->m_fCameraX;
        m_fDragCameraY = info->m_fCameraY;
    }
    if (m_bDragging) {
        const float ex = float(px - m_nDragX), ey = float(py - m_nDragY);
        info->m_fCameraX = m_fDragCameraX - ex / 112.0f - ey / 56.0f;
        info->m_fCameraY = m_fDragCameraY + ex / 112.0f - ey / 56.0f;
        m_bDragging = input->IsMButtonDown();
        info->m_fCameraX = ClampF(info->m_fCameraX, 0.0f, float(w - 1));
        info->m_fCameraY = ClampF(info->m_fCameraY, 0.0f, float(h - 1));
        return;
    }

    // 2. Edge scrolling.
    m_nScrollX = EdgeScrollX(px);
    m_nScrollY = EdgeScrollY(py);
    if (m_nScrollX != 0) {
        info->m_fCameraX += kScrollStep * float(m_nScrollX);
        info->m_fCameraY -= kScrollStep * float(m_nScrollX);
    }
    if (m_nScrollY != 0) {
        info->m_fCameraX += kScrollStep * float(m_nScrollY);
        info->m_fCameraY += kScrollStep * float(m_nScrollY);
    }

    // 3. The cell under the pointer.
    const bool overMiniMap = IsPointInMiniMap(px, py);
    // The pointer rests on the view (not at a scrolling edge, not on the minimap).
    const bool onView = m_nScrollX == 0 && m_nScrollY == 0 && !overMiniMap;
    if (!onView || w <= 0 || h <= 0) {
        info->m_nHoverX = info->m_nHoverY = -1;
    } else {
        // The cell whose diamond holds the pointer, held on the map: a pointer beside
        // the map is over the nearest border cell, which a click there chooses when it
        // is marked.
        int cx = 0, cy = 0;
        info->ScreenToCell(px, py, &cx, &cy);
        info->m_nHoverX = std::clamp(cx, 0, w - 1);
        info->m_nHoverY = std::clamp(cy, 0, h - 1);
    }

    // 4. The camera stays on the map (one cell of margin before its corner).
    info->m_fCameraX = ClampF(info->m_fCameraX, -1.0f, float(w - 1));
    info->m_fCameraY = ClampF(info->m_fCameraY, -1.0f, float(h - 1));

    // 5. Clicks, while there is a hover cell: a left click chooses it, a right click
    // cancels.
    if (!onView) return;
    const bool onCell = info->IsValidCell(info->m_nHoverX, info->m_nHoverY);
    if (onCell && input->IsLButtonPush() && info->IsRangeCell(info->m_nHoverX, info->m_nHoverY)) {
        if (m_ChosenUnit.Empty()) {
            Answer(info, 1);
        } else {
            const int unit = info->m_UnitList.FindUnitAt(info->m_nHoverX, info->m_nHoverY);
            if (unit >= 0 && std::find(m_vCandidate.begin(), m_vCandidate.end(), unit) != m_vCandidate.end()) {
                m_ChosenUnit.Set(unit);
                Answer(info, 1);
            }
        }
    }
    if (input->IsRButtonPush()) Answer(info, 2);
}

void C_TaskCursol::Draw(C_FieldTaskInfo* info) {
    if (++m_nBlink > 30) m_nBlink = -30;
    if (!info || m_nScrollX != 0 || m_nScrollY != 0) return;
    if (!info->IsValidCell(info->m_nHoverX, info->m_nHoverY)) return;
    const int x = info->GetScreenX(float(info->m_nHoverX), float(info->m_nHoverY));
    const int y = info->GetScreenY(float(info->m_nHoverX), float(info->m_nHoverY));
    DrawCellHighlight(info->m_UpperChipTexture.GetTexture(), 0, x - 56, y,
                      static_cast<unsigned char>(BlinkAlpha(m_nBlink)));
}

void C_TaskScrollMap::Draw(C_FieldTaskInfo* info) {
    const int sx = m_pScrollX ? *m_pScrollX : 0, sy = m_pScrollY ? *m_pScrollY : 0;
    constexpr uint32_t kShade = 0x60FFFFFF;
    if (sx == -1) {
        m_Square.SetSize(10, 460, kShade);
        m_Square.Draw(0, 0);
    }
    if (sy == 1) {
        m_Square.SetSize(640, 10, kShade);
        m_Square.Draw(0, 450);
    }
    if (sx == 1) {
        m_Square.SetSize(10, 460, kShade);
        m_Square.Draw(630, 0);
    }
    if (sy == -1) {
        m_Square.SetSize(640, 10, kShade);
        m_Square.Draw(0, 0);
    }
}
