// Range displays.
#include "map/TaskDispRange.h"

#include <cstdlib>

#include "resources/SheetDraw.h"

bool IsRangeCellVisible(int screenX, int screenY) {
    return screenX >= -55 && screenX < 696 && screenY >= -55 && screenY < 536;
}

void CollectCannonArea(const C_FieldTaskInfo& info, int cx, int cy, int maxDistance, int minDistance,
                       std::vector<FieldCell>& area) {
    area.clear();
    const int w = info.m_MapData.m_xSize, h = info.m_MapData.m_ySize;
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) {
            const int d = std::abs(x - cx) + std::abs(y - cy);
            if (d >= minDistance && d <= maxDistance) area.push_back(FieldCell{x, y});
        }
    }
}

// ---- fixed cells -----------------------------------------------------------------------------

C_TaskDispRange::C_TaskDispRange(int kind, const std::vector<FieldCell>& cells, C_FieldTaskInfo* info)
    : m_nKind(kind) {
    m_vCells[0] = cells;
    if (!info) return;
    info->ResetRangeCells();
    for (const FieldCell& c : cells) {
        // A cell off the map is shown nowhere and marks nothing.
        if (!info->IsValidCell(c.x, c.y)) continue;
        info->m_vbRangeCell[static_cast<size_t>(c.y) * info->m_MapData.m_xSize + c.x] = true;
    }
}

void C_TaskDispRange::Draw(C_FieldTaskInfo* info) {
    EndSpriteBatch();
    CD3DDrawTexture* sheet = info->m_UpperChipTexture.GetTexture();
    std::vector<std::pair<int, int>> points;
    points.reserve(m_vCells[0].size());
    for (const FieldCell& c : m_vCells[0]) {
        const int x = info->GetScreenX(float(c.x), float(c.y)), y = info->GetScreenY(float(c.x), float(c.y));
        if (IsRangeCellVisible(x, y)) points.emplace_back(x - 56, y);
    }
    DrawCellHighlights(sheet, m_nKind, points, 120);
}

// ---- cannon area ------------------------------------------------------------------------------

void C_TaskDispCannonRange::Update(C_FieldTaskInfo* info) {
    if (info->m_nHoverX == m_nCenterX && info->m_nHoverY == m_nCenterY) return;
    m_nCenterX = info->m_nHoverX;
    m_nCenterY = info->m_nHoverY;
    // With no hover cell (-1, -1) the area is measured from that point off the map's
    // corner, as the player sees nothing to aim at.
    CollectCannonArea(*info, m_nCenterX, m_nCenterY, m_nMaxDistance, m_nMinDistance, m_vArea);
}

void C_TaskDispCannonRange::Draw(C_FieldTaskInfo* info) {
    m_vScreen.clear();
    for (const FieldCell& c : m_vArea) {
        const int x = info->GetScreenX(float(c.x), float(c.y)), y = info->GetScreenY(float(c.x), float(c.y));
        if (IsRangeCellVisible(x, y)) m_vScreen.emplace_back(x - 56, y);
    }
    EndSpriteBatch();
    DrawCellHighlights(info->m_UpperChipTexture.GetTexture(), m_nKind, m_vScreen, 120);
}
