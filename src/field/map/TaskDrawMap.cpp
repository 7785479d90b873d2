// The two map layers: ground chips, then scenery, units and the walking unit.
#include "map/TaskDrawMap.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "FieldTaskInfo.h"
#include "resources/SheetDraw.h"
#include "task/TaskController.h"
#include "util/GameUtil.h"

#include "info/TaskMiniMap.h"

namespace upper_sheet {
RECT UnitBase(bool friendly) { return friendly ? RECT{896, 616, 1008, 672} : RECT{896, 560, 1008, 616}; }
RECT UnitBaseActed(bool friendly) { return friendly ? RECT{896, 864, 1008, 920} : RECT{896, 920, 1008, 976}; }
RECT ActedIcon() { return RECT{896, 840, 936, 864}; }
RECT MovedIcon(bool friendly) { return friendly ? RECT{976, 840, 1016, 864} : RECT{936, 840, 976, 864}; }
RECT HPDigit(int digit, int colour) {
    const int top = 7 * (digit + 10 * colour);
    return RECT{1008, top, 1013, top + 7};
}
RECT RowMark(bool front) { return front ? RECT{1013, 0, 1020, 7} : RECT{1013, 14, 1020, 21}; }
RECT SortieMarker(int i) {
    // The sheet holds nine markers in its last row; further points reuse the last.
    if (i < 0) i = 0;
    if (i > 8) i = 8;
    return RECT{112 * i, 896, 112 * i + 112, 1008};
}
}  // namespace upper_sheet

namespace {

// The layers the ground task owns.
constexpr int kUpperPriority = 10;
constexpr int kMiniMapPriority = 11;

// One rectangle of the bound sheet at (x, y).
void DrawBoundRect(CD3DDrawSquare& square, const CD3DDrawTexture& sheet, int x, int y, const RECT& rc, int alpha) {
    square.SetSourceRect(rc, sheet.GetWidth(), sheet.GetHeight());
    const uint32_t colour = (uint32_t(std::clamp(alpha, 0, 255)) << 24) | 0xFFFFFFu;
    for (TLVertex& v : square.m_vertices) v.color = colour;
    square.DrawWithCurrentTexture(float(x), float(y), 0.0f);
}

int ChipAt(const C_FieldTaskInfo& info, int x, int y) {
    return info.m_MapData.m_byMapChip[static_cast<size_t>(y) * info.m_MapData.m_xSize + x];
}

bool GridUsable(const C_FieldTaskInfo& info) {
    const CMapData& m = info.m_MapData;
    return m.m_xSize > 0 && m.m_ySize > 0 && m.m_byMapChip.size() >= static_cast<size_t>(m.m_xSize) * m.m_ySize;
}

}  // namespace

int HPDigitColour(int hp, int maxHP) {
    // Wide: a table or save may hold hit points near the int limits.
    if (4 * int64_t(hp) <= maxHP) return 2;
    if (2 * int64_t(hp) <= maxHP) return 1;
    return 0;
}

int UnitPulseAlpha(int pulse) { return 190 - std::abs(static_cast<int>((pulse - 300) / 3)); }

void DrawUpperChip(CMapChipTextureBase* sheet, int n, int x, int y, int alpha) {
    if (!sheet || n < 1) return;
    CD3DDrawTexture* tex = sheet->GetTexture();
    if (!BindSheet(tex)) return;
    CD3DDrawSquare square;
    DrawBoundRect(square, *tex, x, y, UpperChipRect(n), alpha);
}

// ---- ground ----------------------------------------------------------------------------------

C_TaskDrawMap::C_TaskDrawMap(C_FieldTaskInfo* info) : m_pFieldTaskInfo(info) {
    if (!info || !info->m_pTaskController) return;
    info->m_pTaskController->KillTask(kUpperPriority);
    info->m_pTaskController->KillTask(kMiniMapPriority);
    info->m_pTaskController->AddTask(new C_TaskDrawMap_Upper(), kUpperPriority);
    info->m_pTaskController->AddTask(new C_TaskFieldMiniMap(), kMiniMapPriority);
}

C_TaskDrawMap::~C_TaskDrawMap() {
    if (!m_pFieldTaskInfo || !m_pFieldTaskInfo->m_pTaskController) return;
    m_pFieldTaskInfo->m_pTaskController->KillTask(kUpperPriority);
    m_pFieldTaskInfo->m_pTaskController->KillTask(kMiniMapPriority);
}

void C_TaskDrawMap::VisitGroundCells(const C_FieldTaskInfo& info, std::vector<std::pair<int, int>>& cells) {
    cells.clear();
    const int tx = static_cast<int>(info.m_fCameraX), ty = static_cast<int>(info.m_fCameraY);
    for (int r = -21; r <= -2; ++r) {
        for (int c = -5; c <= 3; ++c) {
            const int x = tx - static_cast<int>(-0.5 * r) + c + 6;
            const int y = ty - c + static_cast<int>(0.5 + 0.5 * r) + 4;
            if (x < 0 || y < 0 || x >= info.m_MapData.m_xSize || y >= info.m_MapData.m_ySize) continue;
            cells.emplace_back(x, y);
        }
    }
}

void C_TaskDrawMap::Draw(C_FieldTaskInfo* info) {
    if (!info || !GridUsable(*info)) return;
    CD3DDrawTexture* sheet = info->m_LowerChipTexture.GetTexture();
    if (!BindSheet(sheet)) return;
    CD3DDrawSquare& square = m_Square;
    const CMapChipTable& chips = info->m_MapData.GetChipTable();
    const int tx = static_cast<int>(info->m_fCameraX), ty = static_cast<int>(info->m_fCameraY);
    for (int r = -21; r <= -2; ++r) {
        for (int c = -5; c <= 3; ++c) {
            const int x = tx - static_cast<int>(-0.5 * r) + c + 6;
            const int y = ty - c + static_cast<int>(0.5 + 0.5 * r) + 4;
            if (x < 0 || y < 0 || x >= info->m_MapData.m_xSize || y >= info->m_MapData.m_ySize) continue;
            // A chip that the table lacks shows the ground picture 0 (it was logged
            // when the grid was read).
            const int n = chips.GetUnder(ChipAt(*info, x, y));
            const int sx = info->GetScreenX(float(x), float(y)), sy = info->GetScreenY(float(x), float(y));
            DrawBoundRect(square, *sheet, sx - 56, sy - 8, LowerChipRect(n), 255);
        }
    }
}

// ---- units and scenery --------------------------------------------------------------------------

std::vector<UnitDrawOrder> OrderUnitsForDrawing(const C_FieldTaskInfo& info, int movingUnit) {
    std::vector<UnitDrawOrder> order;
    const int fx = static_cast<int>(std::floor(info.m_fCameraX)), fy = static_cast<int>(std::floor(info.m_fCameraY));
    const CUnitList& units = info.m_UnitList;
    for (int i = 0; i < units.GetCount(); ++i) {
        if (i == movingUnit) continue;
        const int ux = units.m_vUnit[i].x, uy = units.m_vUnit[i].y;
        // A unit off the map would never be met by the pass and would hold back
        // every unit behind it in the order.
        if (!info.IsValidCell(ux, uy)) continue;
        const int a = ux + uy - fx - fy - 10;
        const int b = static_cast<int>(std::floor((ux - uy - fx + fy - 2 + (std::abs(a) % 2)) / 2.0));
        if (a < -22 || a > -1 || b < -5 || b > 3) continue;
        order.push_back(UnitDrawOrder{i, a, b});
    }
    std::stable_sort(order.begin(), order.end(), [](const UnitDrawOrder& l, const UnitDrawOrder& r) {
        return l.a != r.a ? l.a < r.a : l.b < r.b;
    });
    return order;
}

void C_TaskDrawMap_Upper::Draw(C_FieldTaskInfo* info) {
    if (!info) return;
    CD3DDrawTexture* sheet = info->m_UpperChipTexture.GetTexture();
    if (!GridUsable(*info) || !BindSheet(sheet)) {
        // Nothing can be drawn, but a walking unit must still arrive.
        StepMove(info);
        return;
    }
    CD3DDrawSquare& square = m_Square;
    const CMapChipTable& chips = info->m_MapData.GetChipTable();
    const int w = info->m_MapData.m_xSize, h = info->m_MapData.m_ySize;
    const int fx = static_cast<int>(std::floor(info->m_fCameraX)), fy = static_cast<int>(std::floor(info->m_fCameraY));

    // 1. The walking unit (a path of one cell is a unit standing still).
    const std::vector<FieldCell>& path = info->m_vMovePath;
    const bool moving = path.size() >= 2 && info->m_UnitList.IsValidUnit(info->m_nMovingUnit);
    const int movingUnit = moving ? info->m_nMovingUnit : -1;
    int movingRow = 1000;
    if (moving) {
        const int mx = std::min(path[0].x, path[1].x), my = std::min(path[0].y, path[1].y);
        movingRow = static_cast<int>(mx + my - info->m_fCameraX - info->m_fCameraY - 10);
    }

    // 2. Scenery, opaque.
    for (int r = -22; r <= -1; ++r) {
        int x = fx - static_cast<int>(-0.5 * r) + 1;
        int y = fy + static_cast<int>(0.5 + 0.5 * r) + 9;
        for (int k = 0; k < 9; ++k, ++x, --y) {
            if (x < 0 || y < 0 || x >= w || y >= h) continue;
            const int n = chips.GetUpper(ChipAt(*info, x, y));
            if (n < 1) continue;
            DrawBoundRect(square, *sheet, info->GetScreenX(float(x), float(y)) - 56,
                          info->GetScreenY(float(x), float(y)) - 56, UpperChipRect(n), 255);
        }
    }

    // 3. Units in depth order.
    std::vector<UnitDrawOrder> order = OrderUnitsForDrawing(*info, movingUnit);
    size_t next = 0;

    // 4. Units, and scenery in front of them drawn see-through.  Marks live in a
    // window of rows -22..1 and columns -6..4 (row r, column c at [r + 22][c + 6]).
    bool marks[24][11] = {};
    auto mark = [&](int r, int c) {
        if (r >= -22 && r <= 1 && c >= -6 && c <= 4) marks[r + 22][c + 6] = true;
    };
    for (int r = -22; r <= -1; ++r) {
        if (moving && r == movingRow) {
            DrawUnit(info, movingUnit, 320, 240, 255);
            BindSheet(sheet);
        }
        for (int c = -5; c <= 3; ++c) {
            const int x = static_cast<int>(c + fx + std::floor(0.5 * r) + 6);
            const int y = static_cast<int>(fy - c + std::floor(0.5 * r + 0.5) + 4);
            if (x < 0 || y < 0 || x >= w || y >= h) continue;
            const int sx = info->GetScreenX(float(x), float(y)), sy = info->GetScreenY(float(x), float(y));
            // Every waiting unit of this cell (two units may share a cell while a
            // unit is split).
            bool drewUnit = false;
            while (next < order.size() && info->m_UnitList.m_vUnit[order[next].unit].x == x &&
                   info->m_UnitList.m_vUnit[order[next].unit].y == y) {
                DrawUnit(info, order[next].unit, sx, sy, 255);
                ++next;
                drewUnit = true;
            }
            if (drewUnit) {
                // The three cells in front: (x + 1, y + 1) two rows down, (x + 1, y)
                // and (x, y + 1) one row down.
                mark(r + 2, c);
                if (r % 2 == 0) {
                    mark(r + 1, c);
                    mark(r + 1, c + 1);
                } else {
                    mark(r + 1, c - 1);
                    mark(r + 1, c);
                }
                BindSheet(sheet);
            }
            if (marks[r + 22][c + 6]) {
                const int n = chips.GetUpper(ChipAt(*info, x, y));
                if (n >= 1) DrawBoundRect(square, *sheet, sx - 56, sy - 56, UpperChipRect(n), 100);
            }
        }
    }

    // 5. Sortie markers of the preparation.
    if (info->IsInterMission) {
        const std::vector<CSortiePosition>& points = info->m_MapData.m_vnSortiePos;
        for (size_t i = 0; i < points.size(); ++i) {
            const int px = points[i].x, py = points[i].y;
            DrawBoundRect(square, *sheet, info->GetScreenX(float(px), float(py)) - 56,
                          info->GetScreenY(float(px), float(py)) - 56, upper_sheet::SortieMarker(int(i)), 255);
        }
    }

    // 6. The step of the walking unit.
    StepMove(info);
}

void C_TaskDrawMap_Upper::StepMove(C_FieldTaskInfo* info) {
    std::vector<FieldCell>& path = info->m_vMovePath;
    if (path.empty()) return;
    if (path.size() < 2) {
        // Nothing to walk: the unit stands where it is and the move is over.
        path.clear();
        m_nStepFrame = 0;
        return;
    }
    const float t = float(m_nStepFrame) / float(m_nStepFrames > 0 ? m_nStepFrames : 1);
    info->m_fCameraX = (1.0f - t) * float(path[0].x) + t * float(path[1].x);
    info->m_fCameraY = (1.0f - t) * float(path[0].y) + t * float(path[1].y);
    ++m_nStepFrame;
    if (IInputManager* input = info->GetInputManager(); input && input->IsLButtonDown()) m_nStepFrame += 5;
    if (m_nStepFrame > m_nStepFrames) {
        m_nStepFrame = 0;
        path.erase(path.begin());
    }
    if (path.size() == 1) path.clear();
}

bool C_TaskDrawMap_Upper::WalkOver(C_FieldTaskInfo* info) {
    std::vector<FieldCell>& path = info->m_vMovePath;
    const C_TaskController* tasks = info->m_pTaskController;
    if (!path.empty() && (tasks == nullptr || !tasks->HasTask(kUpperPriority))) path.clear();
    return path.empty();
}

void C_TaskDrawMap_Upper::DrawUnit(C_FieldTaskInfo* info, int unit, int x, int y, int alpha) {
    if (++m_nPulse > 600) m_nPulse = 0;
    CUnitList& units = info->m_UnitList;
    if (!units.IsValidUnit(unit) || units.GetMemberCount(unit) < 1) return;
    CD3DDrawTexture* sheet = info->m_UpperChipTexture.GetTexture();
    const int pulseAlpha = UnitPulseAlpha(m_nPulse);
    const UnitRecord& record = units.m_vUnit[unit];
    const bool friendly = units.GetMemberPerson(unit, 0).bFriend != 0;

    RECT base = upper_sheet::UnitBase(friendly);
    int baseAlpha = 180;
    if (!record.bMoveEnd) {
        baseAlpha = friendly && info->m_bPlayerPhase ? pulseAlpha : 180;
    } else if (record.bActEnd) {
        base = upper_sheet::UnitBaseActed(friendly);
        baseAlpha = 170;
    }
    if (BindSheet(sheet)) DrawBoundRect(m_Square, *sheet, x - 56, y, base, baseAlpha);

    int figures[4] = {-1, -1, -1, -1};
    for (int j = 0; j < units.GetMemberCount(unit); ++j) {
        const int slot = units.GetSlotPosition(unit, j);
        if (slot >= 0 && slot < 4) figures[slot] = units.GetMemberPerson(unit, j).icon;
    }
    DrawUnitFigures(sheet, x, y, static_cast<unsigned char>(std::clamp(alpha, 0, 255)), figures);
    DrawUnitMarks(info, unit, x, y);
}

void C_TaskDrawMap_Upper::DrawUnitMarks(C_FieldTaskInfo* info, int unit, int x, int y) {
    CUnitList& units = info->m_UnitList;
    if (!units.IsValidUnit(unit)) return;
    CD3DDrawTexture* sheet = info->m_UpperChipTexture.GetTexture();
    if (!BindSheet(sheet)) return;
    CD3DDrawSquare& square = m_Square;
    const UnitRecord& record = units.m_vUnit[unit];
    const bool friendly = units.GetMemberCount(unit) > 0 && units.GetMemberPerson(unit, 0).bFriend != 0;
    if (record.bActEnd)
        DrawBoundRect(square, *sheet, x, y + 20, upper_sheet::ActedIcon(), 255);
    else if (record.bMoveEnd)
        DrawBoundRect(square, *sheet, x, y + 20, upper_sheet::MovedIcon(friendly), 255);

    const int n = units.GetMemberCount(unit);
    for (int j = 0; j < n; ++j) {
        const PersonRecord& person = units.GetMemberPerson(unit, j);
        const int lineY = y + 40 + 7 * (j - n);
        const int colour = HPDigitColour(person.nHP, person.nMaxHP);
        int hp = person.nHP > 0 ? person.nHP : 0;
        int digits = 0;
        do {
            DrawBoundRect(square, *sheet, x - 12 - 4 * digits, lineY, upper_sheet::HPDigit(hp % 10, colour), 255);
            hp /= 10;
            ++digits;
        } while (hp > 0);
        DrawBoundRect(square, *sheet, x - 14 - std::max(16, 4 * digits), lineY,
                      upper_sheet::RowMark(person.bForward != 0), 255);
    }
}
