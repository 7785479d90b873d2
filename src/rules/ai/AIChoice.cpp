// The enemy AI's action choice: one move, act or charge per call, taken from the
// plan of the phase.
#include <algorithm>
#include <climits>
#include <vector>

#include "AIInternal.h"
#include "FieldTaskInfo.h"
#include "PersonData.h"
#include "SkillData.h"
#include "random/gvlRand.h"

using aiutil::AreaAt;
using aiutil::Manhattan;

namespace {

using PlanIter = std::list<AIPlanEntry>::iterator;

struct ChoiceContext {
    C_AI& ai;
    C_FieldTaskInfo& info;
    CUnitList& units;
    CPersonList& persons;
    int unit = -1;
    std::vector<PlanIter> consumed;

    void Consume(PlanIter it) {
        if (std::find(consumed.begin(), consumed.end(), it) == consumed.end()) consumed.push_back(it);
    }
    bool IsConsumed(PlanIter it) const { return std::find(consumed.begin(), consumed.end(), it) != consumed.end(); }

    // The member slot of the acting unit that the entry's person fills; -1 when none.
    int SlotOf(const AIPlanEntry& e) const {
        const int person = persons.FindIndexById(e.nPersonID);
        if (person < 0) return -1;
        for (int j = 0; j < units.GetMemberCount(unit) && j < 4; ++j)
            if (units.GetMember(unit, j) == person) return j;
        return -1;
    }
    bool Wounded(int slot) const {
        return units.GetMemberHP(unit, slot) < units.GetMemberMaxHP(unit, slot) / 2;
    }
    bool MemberHasEffect(int slot, int effect) const {
        return persons.HasPassiveSkillEffect(units.GetMember(unit, slot), effect);
    }
    // Free, the acting unit itself, or a unit of its side that it may join.
    bool IsOpen(int x, int y) const {
        const int holder = units.FindUnitAt(x, y);
        return holder < 0 || holder == unit || units.CanJoinRangedUnit(holder, unit);
    }
    bool IsFreeOrSelf(int x, int y) const {
        const int holder = units.FindUnitAt(x, y);
        return holder < 0 || holder == unit;
    }
    // Common move class of the selected members (-1 when they differ) and their
    // passive-terrain flags; effect 11 counts for every flag when `allTerrain`.
    void MoveClass(const bool sel[4], bool allTerrain, int* moveClass, PassiveTerrainFlags* flags) const {
        int cls = -2;
        bool every[4] = {true, true, true, true};
        bool anySelected = false;
        for (int j = 0; j < units.GetMemberCount(unit) && j < 4; ++j) {
            if (!sel[j]) continue;
            anySelected = true;
            const int t = units.GetMemberMoveType(unit, j);
            cls = cls == -2 ? t : (cls == t ? cls : -1);
            const bool all = allTerrain && MemberHasEffect(j, 11);
            for (int k = 0; k < 4; ++k) every[k] = every[k] && (all || MemberHasEffect(j, k));
        }
        *moveClass = cls == -2 ? -1 : cls;
        *flags = aiutil::NoTerrainFlags();
        if (anySelected)
            for (int k = 0; k < 4; ++k) (*flags)[k] = every[k];
    }
};

}  // namespace

AIAction C_AI::NextAction(AIAction& action, bool* endFlag, C_FieldTaskInfo& info) {
    action = AIAction{};
    CUnitList& units = info.m_UnitList;
    CPersonList& persons = info.m_PersonList;

    // The first entry whose person and unit are still there.
    int unit = -1;
    while (!m_lstPlan.empty()) {
        const AIPlanEntry& e = m_lstPlan.front();
        const int person = persons.FindIndexById(e.nPersonID);
        if (person >= 0 && persons.GetPerson(person).bExist != 0) {
            unit = units.FindUnitAt(e.x, e.y);
            if (unit >= 0 && units.GetMemberCount(unit) > 0) break;
        }
        unit = -1;
        m_lstPlan.pop_front();
    }

    if (unit >= 0) {
        ChoiceContext ctx{*this, info, units, persons, unit, {}};
        const PlanIter currentIt = m_lstPlan.begin();
        AIPlanEntry current = *currentIt;  // the destination may change for this call only
        const int ux = units.GetX(unit), uy = units.GetY(unit);
        const int count = std::min(units.GetMemberCount(unit), 4);
        bool* sel = action.bSelect;
        AITroop* troop = current.nTroop >= 0 && current.nTroop < (int)m_vTroop.size()
                             ? &m_vTroop[(size_t)current.nTroop] : nullptr;
        auto healersEnough = [&](int troopIndex) {
            if (troopIndex < 0 || troopIndex >= (int)m_vTroop.size()) return false;
            const AITroop& t = m_vTroop[(size_t)troopIndex];
            return (int64_t)t.HealerID.size() >= 2 * (int64_t)t.nRetreatCount;
        };
        auto resultMove = [&](int x, int y) {
            action.nKind = 0;
            action.nUnit = unit;
            action.destX = x;
            action.destY = y;
        };
        bool decided = false;
        bool walk = false;

        if (current.bAct) {
            // An act planned by an earlier call: attack or heal the unit on the target cell.
            ctx.Consume(currentIt);
            const int target = units.FindUnitAt(current.targetX, current.targetY);
            int targets[8], skills[8];
            bool anySkill = false;
            if (target >= 0) {
                for (int k = 0; k < 8; ++k) targets[k] = skills[k] = -1;
                info.AssignBattleTargets(unit, target, ux, uy, targets, skills);
                for (int k = 0; k < count; ++k) anySkill |= skills[k] >= 0;
            }
            if (!anySkill) {
                // The target is gone, or no member has a skill for it: nothing happens.
                resultMove(ux, uy);
                for (int k = 0; k < 4; ++k) sel[k] = true;
            } else {
                action.nKind = 1;
                action.nUnit = unit;
                action.destX = ux;
                action.destY = uy;
                action.targetX = current.targetX;
                action.targetY = current.targetY;
                for (int k = 0; k < 4; ++k) {
                    action.nSkill[k] = skills[k];
                    action.nTarget[k] = targets[k];
                }
                // Members that keep moving after an act go back toward the troop's centre.
                for (int j = 0; j < count; ++j) {
                    if (!ctx.MemberHasEffect(j, 10)) continue;
                    AIPlanEntry e;
                    ResetAssignmentRecord(e);
                    e.nOrderKey = 0;
                    e.nPersonID = units.GetMemberPerson(unit, j).nID;
                    e.x = ux;
                    e.y = uy;
                    e.destX = troop ? std::max(0, (int)troop->x) : 0;
                    e.destY = troop ? std::max(0, (int)troop->y) : 0;
                    e.nTroop = current.nTroop;
                    e.bFollowUp = true;
                    m_lstPlan.push_front(e);
                }
            }
            decided = true;
        } else if (current.nOrderKey < 0) {
            // A healer: move to where a wounded unit of its side is in reach.
            int minRange1 = INT_MAX, maxRange2 = 0;
            for (PlanIter it = m_lstPlan.begin(); it != m_lstPlan.end(); ++it) {
                if (it->nOrderKey >= 0) continue;
                const int slot = ctx.SlotOf(*it);
                if (slot < 0) continue;
                sel[slot] = true;
                ctx.Consume(it);
                const PersonRecord& p = units.GetMemberPerson(unit, slot);
                const int n = p.CountSkills();
                for (int k = 0; k < n; ++k) {
                    if (g_SkillData.GetType(p.skill[k]) != 3) continue;
                    minRange1 = std::min(minRange1, g_SkillData.GetRange1(p.skill[k]));
                    maxRange2 = std::max(maxRange2, g_SkillData.GetRange2(p.skill[k]));
                }
            }
            std::vector<FieldCell> cells;
            std::vector<MoveSearchNode> nodes;
            info.SearchUnitMoves(unit, cells, &nodes);
            int best = INT_MAX, bestNode = -1, bestUnit = -1;
            for (int w = 0; w < units.GetCount(); ++w) {
                if (units.GetMemberCount(w) < 1 || units.IsFriend(w) != m_bSide) continue;
                bool wounded = false;
                for (int j = 0; j < units.GetMemberCount(w) && !wounded; ++j)
                    wounded = units.GetMemberHP(w, j) < units.GetMemberMaxHP(w, j) / 2;
                if (!wounded) continue;
                for (size_t c = 0; c < nodes.size(); ++c) {
                    const MoveSearchNode& node = nodes[c];
                    if (!ctx.IsFreeOrSelf(node.x, node.y)) continue;
                    const int d = Manhattan(node.x, node.y, units.GetX(w), units.GetY(w));
                    if (d < minRange1 || d > maxRange2) continue;
                    if (node.nRest < best) {
                        best = node.nRest;
                        bestNode = (int)c;
                        bestUnit = w;
                    }
                }
            }
            if (bestNode >= 0) {
                const MoveSearchNode& node = nodes[(size_t)bestNode];
                resultMove(node.x, node.y);
                AIPlanEntry e;
                ResetAssignmentRecord(e);
                e.bAct = true;
                e.x = node.x;
                e.y = node.y;
                e.targetX = units.GetX(bestUnit);
                e.targetY = units.GetY(bestUnit);
                e.nPersonID = current.nPersonID;
                e.nTroop = current.nTroop;
                e.nOrderKey = 0;
                m_lstPlan.push_front(e);
                decided = true;
            } else {
                walk = true;
            }
        } else if (current.nOrderKey == 0) {
            walk = true;
        } else {
            // Engaged.  Wounded members go back first while the troop has healers enough.
            std::vector<PlanIter> noted;
            for (PlanIter it = m_lstPlan.begin(); it != m_lstPlan.end(); ++it) {
                const int slot = ctx.SlotOf(*it);
                if (slot < 0 || !ctx.Wounded(slot)) continue;
                noted.push_back(it);
                sel[slot] = true;
            }
            const AITroop* notedTroop = !noted.empty() && noted.front()->nTroop >= 0 &&
                                                noted.front()->nTroop < (int)m_vTroop.size()
                                            ? &m_vTroop[(size_t)noted.front()->nTroop] : nullptr;
            if (notedTroop != nullptr && !notedTroop->HealerID.empty() && healersEnough(noted.front()->nTroop)) {
                walk = true;
            } else {
                for (PlanIter it = m_lstPlan.begin(); it != m_lstPlan.end(); ++it) {
                    const int slot = ctx.SlotOf(*it);
                    if (slot < 0) continue;
                    sel[slot] = true;
                    ctx.Consume(it);
                }
                // Cannon spells first.
                struct Candidate {
                    int skill, x, y, charge;
                };
                std::vector<Candidate> candidates;
                const int nc = units.CountMemberCSkills(unit, 0);
                for (int k = 0; k < nc; ++k) {
                    const int s = units.GetMemberCSkill(unit, 0, k);
                    if (units.GetMemberMP(unit, 0) < g_SkillData.GetMp(s)) continue;
                    int ax = -1, ay = -1;
                    if (AimCannon(info, unit, s, &ax, &ay) > 2) candidates.push_back({s, ax, ay, g_SkillData.GetCharge(s)});
                }
                if (!candidates.empty()) {
                    std::vector<Candidate> ready;
                    for (const Candidate& c : candidates)
                        if (c.charge <= units.GetCharge(unit)) ready.push_back(c);
                    bool fire = false;
                    if (ready.size() == candidates.size())
                        fire = true;
                    else if (!ready.empty())
                        fire = RandomChance((double)ready.size() / (double)(candidates.size() + 1));
                    if (fire) {
                        // The first ready spell stands when none is preferred over it.
                        const Candidate* chosen = &ready.front();
                        int r = 0;
                        for (const Candidate& c : ready) {
                            if (c.charge > r) {
                                chosen = &c;
                                r = c.charge;
                            } else if (c.charge != 0 && RandomChance(0.5)) {
                                chosen = &c;
                                r = c.charge;
                            } else {
                                r = 0;
                            }
                        }
                        action.nKind = 1;
                        action.nUnit = unit;
                        action.destX = ux;
                        action.destY = uy;
                        action.targetX = chosen->x;
                        action.targetY = chosen->y;
                        action.nSkill[0] = chosen->skill;
                    } else {
                        action.nKind = 2;
                        action.nUnit = unit;
                        action.destX = ux;
                        action.destY = uy;
                    }
                    decided = true;
                } else {
                    // Attack search over the unit's reachable cells.
                    std::vector<FieldCell> cells;
                    info.SearchUnitMoves(unit, cells);
                    const int reachHere = units.GetAttackRange(unit);
                    const int reachMoved = units.GetAttackRangeEffect10(unit);
                    int best = INT_MIN, bestX = -1, bestY = -1, bestTarget = -1;
                    for (int t = 0; t < units.GetCount(); ++t) {
                        if (units.GetMemberCount(t) < 1 || units.IsFriend(t) == m_bSide) continue;
                        const int tx = units.GetX(t), ty = units.GetY(t);
                        for (const FieldCell& c : cells) {
                            if (!ctx.IsFreeOrSelf(c.x, c.y)) continue;
                            const int reach = (c.x == ux && c.y == uy) ? reachHere : reachMoved;
                            if (Manhattan(c.x, c.y, tx, ty) > reach) continue;
                            const int score = EvaluateAttack(info, unit, t, c.x, c.y);
                            if (score > best) {
                                best = score;
                                bestX = c.x;
                                bestY = c.y;
                                bestTarget = t;
                            }
                        }
                    }
                    if (bestTarget >= 0) {
                        resultMove(bestX, bestY);
                        AIPlanEntry e;
                        ResetAssignmentRecord(e);
                        e.bAct = true;
                        e.x = bestX;
                        e.y = bestY;
                        e.targetX = units.GetX(bestTarget);
                        e.targetY = units.GetY(bestTarget);
                        e.nPersonID = current.nPersonID;
                        e.nTroop = current.nTroop;
                        e.nOrderKey = 0;
                        m_lstPlan.push_front(e);
                        decided = true;
                    }
                }

                if (!decided) {
                    // Approach: the cell next to an opposing unit that leaves the most points.
                    int moveClass = -1;
                    PassiveTerrainFlags flags;
                    ctx.MoveClass(sel, false, &moveClass, &flags);
                    std::vector<FieldCell> cells;
                    std::vector<MoveSearchNode> nodes;
                    info.SearchMoveTree(current.x, current.y, cells, std::max(36, units.GetUnitMove(unit)),
                                        units.IsFriend(unit) ? 1 : 0, moveClass, flags, &nodes);
                    int bestRest = INT_MIN, ax = -1, ay = -1;
                    for (int t = 0; t < units.GetCount(); ++t) {
                        if (units.GetMemberCount(t) < 1 || units.IsFriend(t) == m_bSide) continue;
                        for (const MoveSearchNode& node : nodes) {
                            if (Manhattan(node.x, node.y, units.GetX(t), units.GetY(t)) != 1) continue;
                            if (node.nRest > bestRest) {
                                bestRest = node.nRest;
                                ax = node.x;
                                ay = node.y;
                            }
                        }
                    }
                    if (ax < 0) {
                        walk = true;
                    } else {
                        std::vector<FieldCell> own;
                        info.SearchUnitMoves(unit, own);
                        int bx = ux, by = uy;
                        if (!own.empty()) {
                            bx = own[0].x;
                            by = own[0].y;
                        }
                        for (size_t c = 1; c < own.size(); ++c) {
                            if (!ctx.IsOpen(own[c].x, own[c].y)) continue;
                            if (Manhattan(own[c].x, own[c].y, ax, ay) < Manhattan(bx, by, ax, ay)) {
                                bx = own[c].x;
                                by = own[c].y;
                            }
                        }
                        resultMove(bx, by);
                        decided = true;
                    }
                }
            }
        }

        if (walk && !decided) {
            // Toward the destination: the wounded back to the troop's centre, or the
            // members with entries together along the area chain.
            ctx.consumed.clear();
            bool woundedGroup = false;
            bool wasSelected[4];
            for (PlanIter it = m_lstPlan.begin(); it != m_lstPlan.end(); ++it) {
                const int slot = ctx.SlotOf(*it);
                if (slot < 0) continue;
                if (ctx.Wounded(slot) && healersEnough(it->nTroop)) {
                    ctx.Consume(it);
                    sel[slot] = true;
                    woundedGroup = true;
                } else if (current.bFollowUp) {
                    for (int k = 0; k < 4; ++k) wasSelected[k] = sel[k];
                    bool any = false;
                    for (int j = slot; j < count; ++j)
                        if (ctx.MemberHasEffect(j, 10)) {
                            sel[j] = true;
                            any = true;
                        }
                    if (any && !wasSelected[slot]) ctx.Consume(it);
                }
            }
            const int firstTroop = ctx.consumed.empty() ? -1 : ctx.consumed.front()->nTroop;
            const bool troopValid = firstTroop >= 0 && firstTroop < (int)m_vTroop.size();
            if (!ctx.consumed.empty() && troopValid &&
                (!m_vTroop[(size_t)firstTroop].HealerID.empty() || current.bFollowUp)) {
                AITroop& t = m_vTroop[(size_t)firstTroop];
                current.destX = std::max(0, (int)t.x);
                current.destY = std::max(0, (int)t.y);
                if (woundedGroup) ++t.nRetreatCount;
            } else {
                ctx.consumed.clear();
                for (PlanIter it = m_lstPlan.begin(); it != m_lstPlan.end(); ++it) {
                    const int slot = ctx.SlotOf(*it);
                    if (slot < 0) continue;
                    ctx.Consume(it);
                    sel[slot] = true;
                }
            }

            // The chain of areas to the destination.
            const int startArea = AreaAt(m_AreaMap, current.x, current.y);
            const int destArea = AreaAt(m_AreaMap, current.destX, current.destY);
            std::vector<int> chain = FindAreaPath(startArea, destArea, current.x, current.y);
            while (!chain.empty() && chain.front() == startArea) chain.erase(chain.begin());
            int wx = current.x, wy = current.y;
            int points = units.GetUnitRestMove(unit);
            int mode = chain.empty() ? 2 : 0;

            const int w = info.m_MapData.m_xSize, h = info.m_MapData.m_ySize;
            int guard = std::max(1, w * h) + 4;
            std::vector<FieldCell> cells;
            std::vector<MoveSearchNode> nodes;
            while (points > 0 && guard-- > 0) {
                int moveClass = -1;
                PassiveTerrainFlags flags;
                ctx.MoveClass(sel, true, &moveClass, &flags);
                cells.clear();
                nodes.clear();
                info.SearchMoveTree(wx, wy, cells, points, units.IsFriend(unit) ? 1 : 0, moveClass, flags, &nodes);
                const int walkArea = AreaAt(m_AreaMap, wx, wy);
                // Without areas to follow (no chain, or the walk or the destination off
                // every area) the unit heads straight for the destination.
                const bool direct = walkArea < 0 || destArea < 0 || (chain.empty() && walkArea != destArea);
                int choice = -1;
                if (direct) {
                    mode = 2;
                    int bestD = Manhattan(wx, wy, current.destX, current.destY);
                    for (size_t c = 0; c < nodes.size(); ++c) {
                        if (!ctx.IsOpen(nodes[c].x, nodes[c].y)) continue;
                        const int d = Manhattan(nodes[c].x, nodes[c].y, current.destX, current.destY);
                        if (d < bestD) {
                            bestD = d;
                            choice = (int)c;
                        }
                    }
                } else {
                    int bestD = INT_MAX, choiceK = -1, choiceFar = 0;
                    for (size_t c = 0; c < nodes.size(); ++c) {
                        const MoveSearchNode& node = nodes[c];
                        if (!ctx.IsOpen(node.x, node.y)) continue;
                        const int area = AreaAt(m_AreaMap, node.x, node.y);
                        if (destArea == walkArea) {
                            mode = 2;
                            if (area != walkArea) continue;
                            const int d = Manhattan(node.x, node.y, current.destX, current.destY);
                            if (d < bestD) {
                                bestD = d;
                                choice = (int)c;
                            }
                        } else if (area == destArea) {
                            choice = (int)c;
                            mode = 1;
                            break;
                        } else if (mode == 0 && area != walkArea) {
                            const auto pos = std::find(chain.begin(), chain.end(), area);
                            if (pos == chain.end()) continue;
                            const int k = (int)(pos - chain.begin());
                            const int far = Manhattan(node.x, node.y, wx, wy);
                            if (k >= choiceK && far > choiceFar) {
                                choice = (int)c;
                                choiceK = k;
                                choiceFar = far;
                            }
                        }
                    }
                    if (choice < 0 && mode == 0) {
                        // Head for the middle of the border with the first area of the
                        // chain.  Once the walk stands in that area there is no such
                        // border, and the walk ends.
                        const AIAreaLink* link = nullptr;
                        const int next = chain.empty() ? -1 : chain.front();
                        if (walkArea >= 0 && walkArea < (int)m_AreaMap.vArea.size())
                            for (const AIAreaLink& l : m_AreaMap.vArea[(size_t)walkArea].vLink)
                                if (l.nArea == next) {
                                    link = &l;
                                    break;
                                }
                        if (link == nullptr) break;
                        const int mx = (link->left + link->right) / 2, my = (link->top + link->bottom) / 2;
                        int best = INT_MAX;
                        for (size_t c = 0; c < nodes.size(); ++c) {
                            if (!ctx.IsOpen(nodes[c].x, nodes[c].y)) continue;
                            const int d = Manhattan(nodes[c].x, nodes[c].y, mx, my);
                            if (d < best) {
                                best = d;
                                choice = (int)c;
                            }
                        }
                    }
                }
                if (choice < 0) break;
                const MoveSearchNode node = nodes[(size_t)choice];
                const int before = points;
                points = mode == 2 ? 0 : node.nRest;
                if (node.x == wx && node.y == wy) {
                    points = 0;
                } else {
                    wx = node.x;
                    wy = node.y;
                    const auto pos = std::find(chain.begin(), chain.end(), AreaAt(m_AreaMap, wx, wy));
                    if (pos != chain.end()) chain.erase(chain.begin(), pos);
                }
                // Steps that cost nothing must not walk forever.
                if (points >= before) break;
            }
            resultMove(wx, wy);
        }

        // Guard: a call that consumes nothing would be made again and again.
        if (ctx.consumed.empty() && !current.bAct) {
            bool pushedOnly = m_lstPlan.begin() != currentIt;
            if (!pushedOnly) ctx.Consume(currentIt);
        }

        // A move onto another unit (a join): that unit's entries are spent too.
        std::vector<PlanIter> erase = ctx.consumed;
        if (action.nKind == 0) {
            const int holder = units.FindUnitAt(action.destX, action.destY);
            if (holder >= 0 && holder != unit) {
                for (PlanIter it = m_lstPlan.begin(); it != m_lstPlan.end(); ++it) {
                    const int person = persons.FindIndexById(it->nPersonID);
                    if (person < 0) continue;
                    for (int j = 0; j < units.GetMemberCount(holder); ++j)
                        if (units.GetMember(holder, j) == person && std::find(erase.begin(), erase.end(), it) == erase.end())
                            erase.push_back(it);
                }
            }
        }
        for (PlanIter it : erase) m_lstPlan.erase(it);
    }

    if (m_lstPlan.empty()) {
        m_bPlanDone = true;
        if (endFlag) *endFlag = true;
    }
    return action;
}
