// The enemy phase set-up (area map, detection state, troop groups) and the plan
// of each phase (troops brought up to date, routes, detection, acting order).
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <tuple>
#include <vector>

#include "AIInternal.h"
#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "SkillData.h"
#include "log/ErrorLog.h"

namespace aiutil {

int RoundHalfDown(int64_t num, int64_t den) {
    if (den <= 0) return 0;
    // ceil((2 num - den) / (2 den)): the smallest integer not below num/den - 0.5.
    const int64_t a = 2 * num - den;
    const int64_t b = 2 * den;
    const int64_t q = a >= 0 ? (a + b - 1) / b : -((-a) / b);
    return (int)q;
}

PassiveTerrainFlags NoTerrainFlags() { return {{0, false}, {1, false}, {2, false}, {3, false}}; }

int AreaAt(const IntGrid& grid, int x, int y) {
    if (!grid.IsInside(x, y)) return -1;
    int area = -1;
    grid.GetAt(&area, x, y);
    return area;
}

}  // namespace aiutil

using aiutil::AreaAt;
using aiutil::Manhattan;
using aiutil::RoundHalfDown;

// ---- set-up --------------------------------------------------------------------------------

void C_AI::BeginPhase(C_FieldTaskInfo& info) {
    if (m_bInitialized) return;
    m_bInitialized = true;

    BuildAreaMap(info);
    m_bDetected = !m_bUseView;

    if (!m_bTroopsLoaded || info.m_nTurn == 1) {
        const CUnitList& units = info.m_UnitList;
        const CPersonList& persons = info.m_PersonList;
        m_vTroop.clear();

        // One troop per enemy unit, centred on the unit.
        std::vector<AITroop> work;
        for (int u = 0; u < units.GetCount(); ++u) {
            if (units.GetMemberCount(u) < 1) continue;
            if (units.GetMemberPerson(u, 0).bFriend != 0) continue;
            AITroop troop;
            troop.x = units.GetX(u);
            troop.y = units.GetY(u);
            for (int j = 0; j < units.GetMemberCount(u); ++j) troop.MemberID.push_back(units.GetMemberPerson(u, j).nID);
            work.push_back(std::move(troop));
        }

        // Troops within 12 move points of one another become one.  Every merge
        // shortens the list, so the passes end.
        bool merged = true;
        // Searches from one centre give the same cells while nothing moves.
        std::map<std::pair<int, int>, std::vector<FieldCell>> searched;
        while (merged) {
            merged = false;
            for (size_t a = 0; a < work.size() && !merged; ++a) {
                auto found = searched.find({work[a].x, work[a].y});
                if (found == searched.end()) {
                    found = searched.emplace(std::make_pair(work[a].x, work[a].y), std::vector<FieldCell>()).first;
                    info.SearchMoveTree(work[a].x, work[a].y, found->second, 12, 0, -1, aiutil::NoTerrainFlags());
                }
                const std::vector<FieldCell>& cells = found->second;
                for (size_t c = 0; c < cells.size() && !merged; ++c) {
                    for (size_t b = a + 1; b < work.size(); ++b) {
                        if (work[b].x != cells[c].x || work[b].y != cells[c].y) continue;
                        AITroop& A = work[a];
                        const AITroop& B = work[b];
                        const int64_t nA = (int64_t)A.MemberID.size();
                        const int64_t nB = (int64_t)B.MemberID.size();
                        if (nA + nB > 0) {
                            A.x = RoundHalfDown(nA * A.x + nB * B.x, nA + nB);
                            A.y = RoundHalfDown(nA * A.y + nB * B.y, nA + nB);
                        }
                        A.MemberID.insert(A.MemberID.end(), B.MemberID.begin(), B.MemberID.end());
                        work.erase(work.begin() + (ptrdiff_t)b);
                        merged = true;
                        break;
                    }
                }
            }
        }

        for (AITroop& troop : work) m_vTroop.push_back(troop);

        // Healers: members holding a healing skill, each listed once.
        for (AITroop& troop : m_vTroop) {
            for (int32_t id : troop.MemberID) {
                const int person = persons.FindIndexById(id);
                if (person < 0) continue;
                const int n = persons.CountSkills(person);
                for (int k = 0; k < n; ++k) {
                    if (g_SkillData.GetType(persons.GetSkill(person, k)) == 3) {
                        troop.HealerID.push_back(id);
                        break;
                    }
                }
            }
        }
    }
    m_bTroopsLoaded = false;
}

void C_AI::BuildAreaMap(C_FieldTaskInfo& info) {
    const CMapData& map = info.m_MapData;
    const int w = std::max(0, (int)map.m_xSize);
    const int h = std::max(0, (int)map.m_ySize);
    m_AreaMap.Resize(w, h, -1);
    m_AreaMap.vArea.clear();
    if (w == 0 || h == 0) return;

    std::vector<char> passable((size_t)w * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) passable[(size_t)y * w + x] = map.IsPassable(x, y) ? 1 : 0;
    auto open = [&](int x, int y) {
        return passable[(size_t)y * w + x] && m_AreaMap.vnCell[(size_t)y * w + x] < 0;
    };
    // The side of the largest passable square whose top-left corner is each cell.  A
    // square that cannot be passable is passed over without looking at its cells:
    // without this a large open map took minutes (the scans grew with the fifth
    // power of its side).  Areas only ever take cells away, so the answer is the same.
    std::vector<int> square((size_t)(w + 1) * (h + 1), 0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = w - 1; x >= 0; --x)
            if (passable[(size_t)y * w + x])
                square[(size_t)y * (w + 1) + x] =
                    1 + std::min({square[(size_t)y * (w + 1) + x + 1], square[(size_t)(y + 1) * (w + 1) + x],
                                  square[(size_t)(y + 1) * (w + 1) + x + 1]});

    for (int s = std::min(w, h); s >= 1; --s) {
        for (int x0 = 0; x0 + s <= w; ++x0) {
            for (int y0 = 0; y0 + s <= h; ++y0) {
                if (square[(size_t)y0 * (w + 1) + x0] < s || !open(x0, y0)) continue;
                bool all = true;
                for (int y = y0; y < y0 + s && all; ++y)
                    for (int x = x0; x < x0 + s && all; ++x) all = open(x, y);
                if (!all) continue;

                AIArea area;
                area.left = x0;
                area.top = y0;
                area.right = x0 + s - 1;
                area.bottom = y0 + s - 1;
                // Grow one row or column at a time until every side is blocked.
                int blocked = 0;
                while (blocked != 15) {
                    if (!(blocked & 1)) {
                        bool ok = area.left - 1 >= 0;
                        for (int y = area.top; y <= area.bottom && ok; ++y) ok = open(area.left - 1, y);
                        if (ok) --area.left; else blocked |= 1;
                    }
                    if (!(blocked & 2)) {
                        bool ok = area.right + 1 < w;
                        for (int y = area.top; y <= area.bottom && ok; ++y) ok = open(area.right + 1, y);
                        if (ok) ++area.right; else blocked |= 2;
                    }
                    if (!(blocked & 4)) {
                        bool ok = area.top - 1 >= 0;
                        for (int x = area.left; x <= area.right && ok; ++x) ok = open(x, area.top - 1);
                        if (ok) --area.top; else blocked |= 4;
                    }
                    if (!(blocked & 8)) {
                        bool ok = area.bottom + 1 < h;
                        for (int x = area.left; x <= area.right && ok; ++x) ok = open(x, area.bottom + 1);
                        if (ok) ++area.bottom; else blocked |= 8;
                    }
                }
                const int index = (int)m_AreaMap.vArea.size();
                for (int y = area.top; y <= area.bottom; ++y)
                    for (int x = area.left; x <= area.right; ++x) m_AreaMap.vnCell[(size_t)y * w + x] = index;
                m_AreaMap.vArea.push_back(area);
            }
        }
    }

    // Links between areas that share an edge.  Rectangles are taken half-open
    // ([left, right + 1) x [top, bottom + 1)); area i is widened by one tile toward
    // area j, so the shared border is the row or column of j's tiles along it.
    std::vector<AIArea>& areas = m_AreaMap.vArea;
    if (areas.size() < 2) return;
    for (size_t i = 0; i < areas.size(); ++i) {
        for (size_t j = i + 1; j < areas.size(); ++j) {
            const AIArea& a = areas[i];
            const AIArea& b = areas[j];
            const int bl = b.left, bt = b.top, br = b.right + 1, bb = b.bottom + 1;
            const int widened[4][4] = {
                {a.left - 1, a.top, a.right + 1, a.bottom + 1},  // toward the left
                {a.left, a.top, a.right + 2, a.bottom + 1},      // toward the right
                {a.left, a.top - 1, a.right + 1, a.bottom + 1},  // upward
                {a.left, a.top, a.right + 1, a.bottom + 2},      // downward
            };
            for (const auto& r : widened) {
                const int il = std::max(r[0], bl), it = std::max(r[1], bt);
                const int ir = std::min(r[2], br), ib = std::min(r[3], bb);
                if (il >= ir || it >= ib) continue;
                AIAreaLink link;
                link.left = il;
                link.top = it;
                link.right = ir - 1;
                link.bottom = ib - 1;
                link.nArea = (int)j;
                areas[i].vnNeighbour.push_back((int)j);
                areas[i].vLink.push_back(link);
                link.nArea = (int)i;
                areas[j].vnNeighbour.push_back((int)i);
                areas[j].vLink.push_back(link);
                break;
            }
        }
    }
}

// ---- the plan of a phase -------------------------------------------------------------------

namespace {

struct PlanPerson {
    int32_t id = -1;
    int32_t person = -1;
    int32_t x = -1;
    int32_t y = -1;
    int32_t unit = -1;
    int32_t move = 0;
    int32_t troop = -1;
};

bool HasPassiveOfType(const CPersonList& persons, int person, int type) {
    const int n = persons.CountPassiveSkills(person);
    for (int k = 0; k < n; ++k)
        if (g_SkillData.GetType(persons.GetPassiveSkill(person, k)) == type) return true;
    return false;
}

bool Contains(const std::vector<int32_t>& v, int32_t id) { return std::find(v.begin(), v.end(), id) != v.end(); }

}  // namespace

void C_AI::UpdatePlan(C_FieldTaskInfo& info) {
    if (!m_bPlanDone) return;
    m_bPlanDone = false;
    m_lstPlan.clear();

    const CUnitList& units = info.m_UnitList;
    const CPersonList& persons = info.m_PersonList;
    const CMapData& map = info.m_MapData;

    // The AI's own persons, in unit and slot order.
    std::vector<PlanPerson> table;
    std::map<int, size_t> byId;
    for (int u = 0; u < units.GetCount(); ++u) {
        for (int j = 0; j < units.GetMemberCount(u); ++j) {
            const PersonRecord& p = units.GetMemberPerson(u, j);
            if (p.bOperate != 0 || (p.bFriend != 0) != m_bSide) continue;
            PlanPerson pp;
            pp.id = p.nID;
            pp.person = units.GetMember(u, j);
            pp.x = units.GetX(u);
            pp.y = units.GetY(u);
            pp.unit = u;
            pp.move = units.GetUnitMove(u);
            if (byId.count(pp.id) == 0) {
                byId[pp.id] = table.size();
                table.push_back(pp);
            }
        }
    }
    auto personGone = [&](int32_t id) {
        const int i = persons.FindIndexById(id);
        return i < 0 || persons.GetPerson(i).bExist == 0;
    };

    // Troops: members still alive, centre, moves, a route for those without one.
    std::map<std::tuple<int, int, int>, std::vector<char>> routeReach;
    for (size_t t = 0; t < m_vTroop.size(); ++t) {
        AITroop& troop = m_vTroop[t];
        troop.nRetreatCount = 0;
        troop.nContact = 0;
        troop.nFoeX = troop.nFoeY = -1;
        troop.nFoeDistance = INT_MAX;

        int64_t sumX = 0, sumY = 0, count = 0, sumMove = 0;
        int maxMove = 0;
        for (size_t k = 0; k < troop.MemberID.size();) {
            const int32_t id = troop.MemberID[k];
            if (personGone(id)) {
                troop.MemberID.erase(troop.MemberID.begin() + (ptrdiff_t)k);
                continue;
            }
            auto it = byId.find(id);
            if (it != byId.end()) {
                PlanPerson& pp = table[it->second];
                pp.troop = (int)t;
                sumX += pp.x;
                sumY += pp.y;
                ++count;
                if (pp.move > 0) {
                    sumMove += pp.move;
                    maxMove = std::max(maxMove, (int)pp.move);
                }
            }
            ++k;
        }
        for (size_t k = 0; k < troop.HealerID.size();) {
            const int32_t id = troop.HealerID[k];
            if (personGone(id)) {
                troop.HealerID.erase(troop.HealerID.begin() + (ptrdiff_t)k);
                continue;
            }
            auto it = byId.find(id);
            if (it != byId.end()) table[it->second].troop = (int)t;
            ++k;
        }
        if (count > 0) {
            troop.x = RoundHalfDown(sumX, count);
            troop.y = RoundHalfDown(sumY, count);
            troop.nAverageMove = (int)((sumMove + count - 1) / count);
        } else {
            troop.nAverageMove = 0;
        }
        troop.nMaxMove = maxMove;

        if (troop.MoveList.empty() && map.GetAnabasisRouteCount() > 0 && count > 0) {
            std::vector<FieldCell> cells;
            for (int r = 0; r < map.GetAnabasisRouteCount(); ++r) {
                const int size = map.GetAnabasisRouteSize(r);
                if (size < 2) continue;
                for (int k = 1; k < size; ++k) {
                    const MapPoint p0 = map.GetAnabasisRoutePoint(r, k - 1);
                    const MapPoint p1 = map.GetAnabasisRoutePoint(r, k);
                    if (p0.x < 0 || p0.y < 0 || p1.x < 0 || p1.y < 0) continue;
                    const int dx = p1.x - p0.x, dy = p1.y - p0.y;
                    const int samples = std::max(1, (std::abs(dx) + std::abs(dy)) / 2);
                    for (int s = 0; s < samples; ++s) {
                        const int sx = p0.x + dx * s / samples;
                        const int sy = p0.y + dy * s / samples;
                        // The cells reached from a sample are the same for every troop
                        // of this plan: searched once, kept by sample.
                        std::vector<char>& reached = routeReach[std::make_tuple(r, k, s)];
                        if (reached.empty()) {
                            reached.assign((size_t)std::max(1, map.m_xSize * map.m_ySize), 0);
                            cells.clear();
                            info.SearchMoveTree(sx, sy, cells, 12, 0, -1, aiutil::NoTerrainFlags());
                            for (const FieldCell& c : cells)
                                if (c.x >= 0 && c.y >= 0 && c.x < map.m_xSize && c.y < map.m_ySize)
                                    reached[(size_t)c.y * map.m_xSize + c.x] = 1;
                        }
                        const bool found = troop.x >= 0 && troop.y >= 0 && troop.x < map.m_xSize &&
                                           troop.y < map.m_ySize && reached[(size_t)troop.y * map.m_xSize + troop.x];
                        if (!found) continue;
                        std::list<AIMovePoint> tail;
                        for (int q = k; q < size; ++q) {
                            const MapPoint pq = map.GetAnabasisRoutePoint(r, q);
                            if (pq.x < 0 || pq.y < 0) continue;
                            tail.push_back({pq.x, pq.y, 0});
                        }
                        if (tail.size() > troop.MoveList.size()) troop.MoveList = std::move(tail);
                        break;
                    }
                }
            }
        }
    }

    // Detection between the AI's units and the opposing units within 12 tiles.
    auto troopOfUnit = [&](int u) {
        for (int j = 0; j < units.GetMemberCount(u); ++j) {
            auto it = byId.find(units.GetMemberPerson(u, j).nID);
            if (it != byId.end() && table[it->second].troop >= 0) return (int)table[it->second].troop;
        }
        return -1;
    };
    for (int i = 0; i < units.GetCount(); ++i) {
        if (units.GetMemberCount(i) < 1 || units.IsFriend(i) != m_bSide) continue;
        const int troopIndex = troopOfUnit(i);
        const int ix = units.GetX(i), iy = units.GetY(i);
        for (int j = 0; j < units.GetCount(); ++j) {
            if (units.GetMemberCount(j) < 1 || units.IsFriend(j) == m_bSide) continue;
            const int jx = units.GetX(j), jy = units.GetY(j);
            const int d = Manhattan(ix, iy, jx, jy);
            if (d > 12) continue;
            int state = -1;  // -1: the troop's state stays
            int weighted;
            if (info.IsLineOfFireClear(ix, iy, jx, jy, 3, -1)) {
                if (units.IsActEnd(j) || info.IsLineOfFireClear(ix, iy, jx, jy, 1, -1)) {
                    m_bDetected = true;
                    state = 1;
                    weighted = d;
                } else {
                    state = m_bDetected ? 1 : 2;
                    weighted = 3 * d;
                }
            } else {
                if (m_bDetected) state = 1;
                weighted = 3 * d;
            }
            if (troopIndex < 0) continue;
            AITroop& troop = m_vTroop[(size_t)troopIndex];
            if (state >= 0) troop.nContact = state;
            if (weighted < troop.nFoeDistance) {
                troop.nFoeDistance = weighted;
                troop.nFoeX = jx;
                troop.nFoeY = jy;
            }
        }
    }
    for (AITroop& troop : m_vTroop) {
        if (troop.nContact == 2) troop.nContact = m_bDetected ? 1 : 0;
        if (troop.nContact == 1 && troop.nFoeX >= 0) {
            if (troop.MoveList.empty() ||
                Manhattan(troop.MoveList.front().x, troop.MoveList.front().y, troop.nFoeX, troop.nFoeY) > 6)
                troop.MoveList.push_front({troop.nFoeX, troop.nFoeY, 1});
        } else if (troop.nContact != 1) {
            while (!troop.MoveList.empty() && troop.MoveList.front().Type == 1) troop.MoveList.pop_front();
        }
    }

    // Troops without contact support an engaged troop in their area.
    bool anyIdle = false, anyEngaged = false;
    for (const AITroop& troop : m_vTroop) {
        anyIdle |= troop.nContact == 0;
        anyEngaged |= troop.nContact == 1;
    }
    if (anyIdle && anyEngaged) {
        for (AITroop& a : m_vTroop) {
            if (a.nContact != 0) continue;
            const int areaA = AreaAt(m_AreaMap, a.x, a.y);
            if (areaA < 0) continue;
            const AITroop* nearest = nullptr;
            int best = INT_MAX;
            for (const AITroop& b : m_vTroop) {
                if (b.nContact != 1 || AreaAt(m_AreaMap, b.x, b.y) != areaA) continue;
                const int d = Manhattan(a.x, a.y, b.x, b.y);
                if (d < best) {
                    best = d;
                    nearest = &b;
                }
            }
            if (nearest != nullptr && (a.MoveList.empty() || a.MoveList.front().Type == 0))
                a.MoveList.push_front({nearest->x, nearest->y, 1});
        }
    }

    // Waypoints already reached are dropped.
    for (AITroop& troop : m_vTroop) {
        for (auto it = troop.MoveList.begin(); it != troop.MoveList.end();) {
            if (Manhattan(it->x, it->y, troop.x, troop.y) <= 5) {
                it = troop.MoveList.erase(it);
            } else if (it->Type == 1) {
                ++it;
            } else {
                break;
            }
        }
    }

    // One entry per person of a troop.
    const int mapNumber = info.m_pPartyData != nullptr ? info.m_pPartyData->nMap : 0;
    for (const PlanPerson& pp : table) {
        if (pp.troop < 0) continue;
        const AITroop& troop = m_vTroop[(size_t)pp.troop];
        AIPlanEntry e;
        ResetAssignmentRecord(e);
        e.x = pp.x;
        e.y = pp.y;
        e.nPersonID = pp.id;
        e.nTroop = pp.troop;
        if (Contains(troop.HealerID, pp.id))
            e.nOrderKey = -1;
        else
            e.nOrderKey = HasPassiveOfType(persons, pp.person, 1) ? 0 : troop.nContact;
        if (troop.MoveList.empty()) {
            e.destX = troop.x;
            e.destY = troop.y;
        } else {
            auto it = troop.MoveList.begin();
            e.destX = it->x;
            e.destY = it->y;
            for (++it; it != troop.MoveList.end(); ++it) {
                const bool closer = Manhattan(e.x, e.y, it->x, it->y) <= Manhattan(e.destX, e.destY, it->x, it->y) + 2;
                const bool engage = mapNumber == 11 && it->Type == 1 && e.nOrderKey == 0;
                if (!closer && !engage) break;
                e.destX = it->x;
                e.destY = it->y;
            }
        }
        if (e.destX < 0) e.destX = 0;
        if (e.destY < 0) e.destY = 0;
        m_lstPlan.push_back(e);
    }

    // Highest key first; equal keys keep their order (list sort is stable).
    m_lstPlan.sort([](const AIPlanEntry& a, const AIPlanEntry& b) { return a.nOrderKey > b.nOrderKey; });
}
