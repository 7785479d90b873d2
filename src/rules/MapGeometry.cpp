// Map geometry of the strategy map: the segment test, the obstacle rule and the
// line of fire between two cells, the reach test of the skill menu and the view
// focus on the key unit.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "FieldTaskInfo.h"
#include "RulesInternal.h"

bool SegmentsIntersect(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {
    float ix = 0.0f;
    float iy = 0.0f;
    if (x1 == x2) {
        if (x3 == x4) return false;  // two verticals
        const float a2 = (y4 - y3) / (x4 - x3);
        const float b2 = (y3 * x4 - x3 * y4) / (x4 - x3);
        ix = x2;
        iy = a2 * x2 + b2;
    } else if (x3 == x4) {
        const float a1 = (y2 - y1) / (x2 - x1);
        const float b1 = (x2 * y1 - x1 * y2) / (x2 - x1);
        ix = x3;
        iy = a1 * x3 + b1;
    } else {
        const float a1 = (y2 - y1) / (x2 - x1);
        const float a2 = (y4 - y3) / (x4 - x3);
        const float b1 = (y1 * x2 - x1 * y2) / (x2 - x1);
        const float b2 = (y3 * x4 - x3 * y4) / (x4 - x3);
        if (a1 == a2) return false;
        const float da = a1 - a2;
        ix = (b2 - b1) / da;
        const float n1 = b2 * a1;
        const float n2 = b1 * a2;
        iy = (n1 - n2) / da;
    }
    if (!(std::min(x1, x2) <= ix && ix <= std::max(x1, x2))) return false;
    if (!(std::min(y1, y2) <= iy && iy <= std::max(y1, y2))) return false;
    if (!(std::min(x3, x4) < ix && ix < std::max(x3, x4))) return false;
    if (!(std::min(y3, y4) < iy && iy < std::max(y3, y4))) return false;
    return true;
}

bool LineCutsCell(int x1, int y1, int x2, int y2, int ox, int oy) {
    const float fx1 = (float)x1, fy1 = (float)y1, fx2 = (float)x2, fy2 = (float)y2;
    const float cx = (float)ox, cy = (float)oy;
    if (SegmentsIntersect(fx1, fy1, fx2, fy2, cx + 0.5f, cy - 0.5f, cx - 0.5f, cy + 0.5f)) return true;
    return SegmentsIntersect(fx1, fy1, fx2, fy2, cx + 0.5f, cy + 0.5f, cx - 0.5f, cy - 0.5f);
}

namespace rules {

int HeightThreshold(int mode) { return (mode == 0 || mode == 1) ? 0 : 1; }

bool IsBlockingTerrain(const CMapData& map, int x, int y, int threshold) {
    // A cell whose chip names no terrain has no height and never blocks.
    return map.GetTileHeight(x, y) > threshold;
}

int TerrainTypeAt(const CMapData& map, int x, int y) {
    if (!map.IsValidCell(x, y)) return -1;
    return map.GetChipType(x, y);
}

}  // namespace rules

bool C_FieldTaskInfo::IsLineOfFireClear(int x1, int y1, int x2, int y2, int mode, int excludedUnit) const {
    const int threshold = rules::HeightThreshold(mode);
    const int minX = std::min(x1, x2), maxX = std::max(x1, x2);
    const int minY = std::min(y1, y2), maxY = std::max(y1, y2);

    // The cells of the box, column by column, without the end cell.
    std::vector<FieldCell> box;
    box.reserve((size_t)(maxX - minX + 1) * (size_t)(maxY - minY + 1));
    for (int x = minX; x <= maxX; ++x)
        for (int y = minY; y <= maxY; ++y)
            if (!(x == x2 && y == y2)) box.push_back({x, y});

    // Units in the box block modes 0 and 1, except the excluded unit and the ends.
    std::vector<FieldCell> blockers;
    if (threshold == 0) {
        for (int u = 0; u < m_UnitList.GetCount(); ++u) {
            if (u == excludedUnit) continue;
            const UnitRecord& unit = m_UnitList.m_vUnit[u];
            if (unit.x < minX || unit.x > maxX || unit.y < minY || unit.y > maxY) continue;
            if ((unit.x == x1 && unit.y == y1) || (unit.x == x2 && unit.y == y2)) continue;
            blockers.push_back({unit.x, unit.y});
        }
    }

    // High ground: the shooter sees only its neighbours, and nothing is in the way.
    if (rules::IsBlockingTerrain(m_MapData, x1, y1, threshold)) return std::abs(x1 - x2) + std::abs(y1 - y2) < 2;

    for (size_t i = box.size(); i-- > 0;) {
        const FieldCell& c = box[i];
        bool obstacle = rules::IsBlockingTerrain(m_MapData, c.x, c.y, threshold);
        if (!obstacle) {
            for (const FieldCell& b : blockers)
                if (b.x == c.x && b.y == c.y) {
                    obstacle = true;
                    break;
                }
        }
        if (obstacle && LineCutsCell(x1, y1, x2, y2, c.x, c.y)) return false;
    }
    return true;
}

bool C_FieldTaskInfo::IsInAttackReach(int x1, int y1, int x2, int y2, int range, int mode, int excludedUnit,
                                      bool adjacentOnly, bool overrideAdjacent) const {
    const int d = std::abs(x1 - x2) + std::abs(y1 - y2);
    if (d > range) return false;
    if (adjacentOnly && !overrideAdjacent && d > 1) return false;
    return IsLineOfFireClear(x1, y1, x2, y2, mode, excludedUnit);
}

namespace {
// The commander of the enemy army, by name and by title.
const char* const kKeyUnitName = "ヴォルグ";
const char* const kKeyUnitTitle = "黒騎士";
}  // namespace

void C_FieldTaskInfo::FocusViewOnKeyUnit() {
    int found = -1;
    for (int u = 0; u < m_UnitList.GetCount() && found < 0; ++u) {
        if (m_UnitList.GetMemberCount(u) < 1) continue;
        const std::string& name = m_UnitList.GetMemberPerson(u, 0).name;
        if (name == kKeyUnitName || name == kKeyUnitTitle) found = u;
    }
    if (found < 0) {
        for (int u = 0; u < m_UnitList.GetCount(); ++u) {
            if (m_UnitList.GetMemberCount(u) < 1) continue;
            const PersonRecord& leader = m_UnitList.GetMemberPerson(u, 0);
            if (!leader.bFriend) continue;
            found = u;
            if (leader.hero) break;
        }
    }
    if (found >= 0) {
        const UnitRecord& unit = m_UnitList.m_vUnit[found];
        m_fCameraX = (float)unit.x;
        m_fCameraY = (float)unit.y;
        m_nHoverX = unit.x;
        m_nHoverY = unit.y;
    } else {
        m_fCameraX = m_fCameraY = 0.0f;
        m_nHoverX = m_nHoverY = 0;
    }
}
