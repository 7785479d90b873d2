// Movement search: the best-first search of the cells a mover can reach with its
// move points, its wrappers for one person and for a whole unit, and the path
// that a moving unit follows.
#include <algorithm>

#include "FieldTaskInfo.h"
#include "RulesInternal.h"
#include "SkillData.h"
#include "log/ErrorLog.h"

int PassiveTerrainType(int key) {
    static const int kType[4] = {1, 4, 2, 3};
    return (key >= 0 && key < 4) ? kType[key] : -1;
}

namespace rules {

bool HasPassiveEffect(const PersonRecord& person, int effect) {
    const int n = person.CountPassiveSkills();
    for (int k = 0; k < n; ++k)
        if (g_SkillData.GetEffect(person.pskill[k]) == effect) return true;
    return false;
}

}  // namespace rules

void C_FieldTaskInfo::SearchMoveTree(int startX, int startY, std::vector<FieldCell>& cells, int movePoints, int side,
                                     int moveClass, PassiveTerrainFlags passiveTerrain,
                                     std::vector<MoveSearchNode>* nodes) const {
    const int w = m_MapData.m_xSize;
    const int h = m_MapData.m_ySize;

    // The terrain types that cost one point less, in the order the flags are tested.
    int cheaperType[4];
    int cheaperCount = 0;
    static const int kKeyOrder[4] = {3, 0, 1, 2};
    for (int key : kKeyOrder) {
        auto it = passiveTerrain.find(key);
        if (it != passiveTerrain.end() && it->second) cheaperType[cheaperCount++] = PassiveTerrainType(key);
    }

    std::vector<MoveSearchNode> closed;
    std::vector<MoveSearchNode> open;
    // Closed-list membership by cell (only for cells inside the map).
    std::vector<char> inClosed((size_t)std::max(w, 0) * (size_t)std::max(h, 0), 0);

    closed.push_back({startX, startY, movePoints, -1});
    if (startX >= 0 && startY >= 0 && startX < w && startY < h) inClosed[(size_t)startY * w + startX] = 1;
    int current = 0;

    static const int kDX[4] = {0, 1, 0, -1};
    static const int kDY[4] = {-1, 0, 1, 0};
    for (;;) {
        const MoveSearchNode cur = closed[current];
        // Nothing goes on through a cell held by the other side (the cell itself is reached).
        const int holder = m_UnitList.FindUnitAt(cur.x, cur.y);
        const bool heldByOther = holder >= 0 && (m_UnitList.IsFriend(holder) ? 1 : 0) != (side ? 1 : 0);

        for (int k = 0; k < 4; ++k) {
            MoveSearchNode n{cur.x + kDX[k], cur.y + kDY[k], cur.nRest, current};
            if (n.x < 0 || n.y < 0 || n.x >= w || n.y >= h) continue;
            if (moveClass == -1) {
                if (!m_MapData.IsPassable(n.x, n.y)) continue;
            } else if (m_MapData.GetMoveCost(n.x, n.y, moveClass) == kImpassableCost) {
                continue;
            }
            if (n.nRest < 1) continue;
            const int cost = (moveClass == -1) ? (int)m_MapData.CompareTileLayers(n.x, n.y)
                                               : (int)m_MapData.GetMoveCost(n.x, n.y, moveClass);
            bool cheaper = false;
            if (cheaperCount > 0) {
                const int type = m_MapData.GetChipType(n.x, n.y);
                for (int i = 0; i < cheaperCount && !cheaper; ++i) cheaper = cheaperType[i] == type;
            }
            // The passive saves one point of a step, but a free step never gains points.
            n.nRest -= cheaper ? std::max(cost - 1, 0) : cost;
            if (n.nRest < 0) continue;
            if (heldByOther) continue;
            if (inClosed[(size_t)n.y * w + n.x]) continue;
            bool keepOld = false;
            for (size_t i = 0; i < open.size();) {
                if (open[i].x == n.x && open[i].y == n.y) {
                    if (open[i].nRest >= n.nRest) {
                        keepOld = true;
                        break;
                    }
                    open.erase(open.begin() + (ptrdiff_t)i);
                    continue;
                }
                ++i;
            }
            if (keepOld) continue;
            open.push_back(n);
        }
        if (open.empty()) break;

        // The open node with the most points left; the front-most among equals.
        size_t best = 0;
        int bestRest = 0;
        for (size_t i = 0; i < open.size(); ++i) {
            if (open[i].nRest > bestRest) {
                bestRest = open[i].nRest;
                best = i;
            }
        }
        const MoveSearchNode next = open[best];
        open.erase(open.begin() + (ptrdiff_t)best);
        closed.push_back(next);
        inClosed[(size_t)next.y * w + next.x] = 1;
        current = (int)closed.size() - 1;
    }

    cells.clear();
    cells.reserve(closed.size());
    for (const MoveSearchNode& n : closed) cells.push_back({n.x, n.y});
    if (nodes) *nodes = closed;
}

void C_FieldTaskInfo::SearchPersonMoves(int unit, int slot, std::vector<FieldCell>& cells,
                                        std::vector<MoveSearchNode>* nodes) const {
    if (!m_UnitList.IsValidUnit(unit) || slot < 0 || slot >= m_UnitList.GetMemberCount(unit)) {
        g_ErrorLog.Printf("移動範囲: 不正なユニット %d / メンバー %d", unit, slot);
        cells.clear();
        if (nodes) nodes->clear();
        return;
    }
    const PersonRecord& person = m_UnitList.GetMemberPerson(unit, slot);
    const PersonRecord& leader = m_UnitList.GetMemberPerson(unit, 0);
    PassiveTerrainFlags flags;
    const bool all = rules::HasPassiveEffect(person, 11);
    for (int key = 0; key < 4; ++key) flags[key] = all || rules::HasPassiveEffect(person, key);
    SearchMoveTree(m_UnitList.GetX(unit), m_UnitList.GetY(unit), cells, person.nRestMove, leader.bFriend,
                   person.m_type, flags, nodes);
}

void C_FieldTaskInfo::SearchUnitMoves(int unit, std::vector<FieldCell>& cells,
                                      std::vector<MoveSearchNode>* nodes) const {
    const int count = m_UnitList.IsValidUnit(unit) ? m_UnitList.GetMemberCount(unit) : 0;
    if (count < 1) {
        g_ErrorLog.Printf("移動範囲: 不正なユニット %d", unit);
        cells.clear();
        if (nodes) nodes->clear();
        return;
    }
    const PersonRecord& leader = m_UnitList.GetMemberPerson(unit, 0);
    int moveClass = leader.m_type;
    PassiveTerrainFlags flags;
    for (int key = 0; key < 4; ++key) flags[key] = true;
    for (int j = 0; j < count; ++j) {
        const PersonRecord& p = m_UnitList.GetMemberPerson(unit, j);
        if (p.m_type != leader.m_type) moveClass = -1;
        const bool all = rules::HasPassiveEffect(p, 11);
        for (int key = 0; key < 4; ++key)
            if (!(all || rules::HasPassiveEffect(p, key))) flags[key] = false;
    }
    SearchMoveTree(m_UnitList.GetX(unit), m_UnitList.GetY(unit), cells, m_UnitList.GetUnitRestMove(unit),
                   leader.bFriend, moveClass, flags, nodes);
}

void C_FieldTaskInfo::BuildMovePath(int unit, int targetX, int targetY) {
    std::vector<FieldCell> cells;
    std::vector<MoveSearchNode> nodes;
    SearchPersonMoves(unit, 0, cells, &nodes);
    m_nMovingUnit = unit;
    int at = -1;
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].x == targetX && nodes[i].y == targetY) {
            at = (int)i;
            break;
        }
    }
    if (at < 0) {
        // Not reachable: the unit stays where it is.
        g_ErrorLog.Printf("移動経路: (%d, %d) には移動できません (ユニット %d)", targetX, targetY, unit);
        return;
    }
    for (int i = at; i >= 0; i = nodes[(size_t)i].nParent) m_vMovePath.push_back({nodes[(size_t)i].x, nodes[(size_t)i].y});
    std::reverse(m_vMovePath.begin(), m_vMovePath.end());
}
