// Reach and move areas of units: the cells a skill reaches from a cell with the
// shadows that obstacles cast, the attack and support areas of a unit, the move
// area of a unit and the range bits shown on the map.
#include <algorithm>
#include <cstdlib>

#include "FieldTaskInfo.h"
#include "RulesInternal.h"
#include "SkillData.h"
#include "log/ErrorLog.h"

namespace rules {

void SortCells(std::vector<FieldCell>& cells) {
    std::sort(cells.begin(), cells.end(),
              [](const FieldCell& a, const FieldCell& b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    cells.erase(std::unique(cells.begin(), cells.end(),
                            [](const FieldCell& a, const FieldCell& b) { return a.x == b.x && a.y == b.y; }),
                cells.end());
}

}  // namespace rules

namespace {

bool Contains(const std::vector<FieldCell>& cells, int x, int y) {
    for (const FieldCell& c : cells)
        if (c.x == x && c.y == y) return true;
    return false;
}

std::vector<FieldCell> Intersect(std::vector<FieldCell> a, std::vector<FieldCell> b) {
    rules::SortCells(a);
    rules::SortCells(b);
    std::vector<FieldCell> out;
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].x == b[j].x && a[i].y == b[j].y) {
            out.push_back(a[i]);
            ++i;
            ++j;
        } else if (a[i].x < b[j].x || (a[i].x == b[j].x && a[i].y < b[j].y)) {
            ++i;
        } else {
            ++j;
        }
    }
    return out;
}

}  // namespace

void C_FieldTaskInfo::CollectCellsInRange(std::vector<FieldCell>& cells, int x, int y, int range, int mode,
                                          int excludedUnit) const {
    cells.clear();
    const int threshold = rules::HeightThreshold(mode);

    std::vector<FieldCell> blockers;
    if (threshold == 0) {
        for (int u = 0; u < m_UnitList.GetCount(); ++u) {
            if (u == excludedUnit) continue;
            const UnitRecord& unit = m_UnitList.m_vUnit[u];
            if (std::abs(unit.x - x) + std::abs(unit.y - y) > range) continue;
            if (unit.x == x && unit.y == y) continue;
            blockers.push_back({unit.x, unit.y});
        }
    }

    if (!m_MapData.IsValidCell(x, y)) return;

    // High ground: the own cell and the four neighbours that are not walls.
    if (rules::IsBlockingTerrain(m_MapData, x, y, threshold)) {
        cells.push_back({x, y});
        static const int kDX[4] = {0, 0, -1, 1};
        static const int kDY[4] = {-1, 1, 0, 0};
        for (int k = 0; k < 4; ++k) {
            const int nx = x + kDX[k], ny = y + kDY[k];
            if (m_MapData.IsValidCell(nx, ny) && m_MapData.GetTileHeight(nx, ny) < 2) cells.push_back({nx, ny});
        }
        return;
    }

    if (range < 0) return;
    for (int d = 0; d <= range; ++d) {
        for (int c = -d; c <= d; ++c) {
            const int ac = std::abs(c);
            const int cx = x + c;
            const int y1 = y + d - ac;
            if (m_MapData.IsValidCell(cx, y1)) cells.push_back({cx, y1});
            if (ac != d) {
                const int y2 = y - d + ac;
                if (m_MapData.IsValidCell(cx, y2)) cells.push_back({cx, y2});
            }
        }
    }

    // Shadows, from the far end of the list back to the centre.
    for (size_t i = cells.size(); i-- > 0;) {
        const FieldCell o = cells[i];
        const bool obstacle = rules::IsBlockingTerrain(m_MapData, o.x, o.y, threshold) || Contains(blockers, o.x, o.y);
        if (!obstacle) continue;
        size_t keep = i + 1;
        for (size_t j = i + 1; j < cells.size(); ++j) {
            if (!LineCutsCell(x, y, cells[j].x, cells[j].y, o.x, o.y)) cells[keep++] = cells[j];
        }
        cells.resize(keep);
        if (m_MapData.GetTileHeight(o.x, o.y) >= 2) cells.erase(cells.begin() + (ptrdiff_t)i);
    }
}

void C_FieldTaskInfo::CalcUnitAreas(std::vector<FieldCell>& cells, int unit, int x, int y, bool support,
                                    bool restricted) const {
    cells.clear();
    if (!m_UnitList.IsValidUnit(unit)) {
        g_ErrorLog.Printf("射程: 不正なユニット %d", unit);
        return;
    }
    int r1 = -1;
    int r2 = -1;
    const int count = m_UnitList.GetMemberCount(unit);
    for (int j = 0; j < count; ++j) {
        const PersonRecord& p = m_UnitList.GetMemberPerson(unit, j);
        if (restricted && !rules::HasPassiveEffect(p, 10)) {
            r1 = std::max(r1, 1);
            continue;
        }
        const int n = p.CountSkills();
        for (int k = 0; k < n; ++k) {
            const int skill = p.skill[k];
            const bool isSupport = g_SkillData.GetType(skill) == 3;
            if (isSupport != support) continue;
            const int v = std::min(g_SkillData.GetRange2(skill), 100);
            if (g_SkillData.GetPath(skill) == 2)
                r2 = std::max(r2, v);
            else
                r1 = std::max(r1, v);
        }
    }
    std::vector<FieldCell> part;
    if (r1 >= 0) {
        CollectCellsInRange(part, x, y, r1, 1, unit);
        cells.insert(cells.end(), part.begin(), part.end());
    }
    if (r2 >= 0) {
        CollectCellsInRange(part, x, y, r2, 2, unit);
        cells.insert(cells.end(), part.begin(), part.end());
    }
    rules::SortCells(cells);
}

void C_FieldTaskInfo::CalcUnitAreasFor(std::vector<FieldCell>& cells, int unit, bool support, bool restricted) const {
    if (!m_UnitList.IsValidUnit(unit)) {
        cells.clear();
        g_ErrorLog.Printf("射程: 不正なユニット %d", unit);
        return;
    }
    CalcUnitAreas(cells, unit, m_UnitList.GetX(unit), m_UnitList.GetY(unit), support, restricted);
}

void C_FieldTaskInfo::CalcUnitMoveArea(int unit, std::vector<FieldCell>& cells, int mode,
                                       std::vector<MoveSearchNode>* trees) const {
    if (mode < 0 || mode > 2) return;
    const int count = m_UnitList.IsValidUnit(unit) ? m_UnitList.GetMemberCount(unit) : 0;
    if (count < 1) {
        g_ErrorLog.Printf("移動範囲: 不正なユニット %d", unit);
        cells.clear();
        return;
    }
    std::vector<FieldCell> part;
    auto search = [&](int j) { SearchPersonMoves(unit, j, part, trees ? &trees[j] : nullptr); };

    if (mode == 0) {
        cells.clear();
        for (int j = 0; j < count; ++j) {
            search(j);
            cells.insert(cells.end(), part.begin(), part.end());
        }
        rules::SortCells(cells);
    } else if (mode == 1) {
        search(0);
        cells = part;
        for (int j = 1; j < count; ++j) {
            search(j);
            cells = Intersect(cells, part);
        }
    } else {
        if (rules::HasPassiveEffect(m_UnitList.GetMemberPerson(unit, 0), 10)) {
            search(0);
            cells = part;
        }
        for (int j = 1; j < count; ++j) {
            if (!rules::HasPassiveEffect(m_UnitList.GetMemberPerson(unit, j), 10)) continue;
            search(j);
            cells = Intersect(cells, part);
        }
    }
}

void C_FieldTaskInfo::MarkRangeCells(const std::vector<FieldCell>& cells) {
    const size_t total = (size_t)std::max(m_MapData.m_xSize, 0) * (size_t)std::max(m_MapData.m_ySize, 0);
    if (m_vbRangeCell.size() < total) m_vbRangeCell.resize(total);
    for (size_t i = 0; i < total; ++i) m_vbRangeCell[i] = false;
    for (const FieldCell& c : cells) {
        if (!m_MapData.IsValidCell(c.x, c.y)) continue;
        m_vbRangeCell[(size_t)c.y * m_MapData.m_xSize + c.x] = true;
    }
}
