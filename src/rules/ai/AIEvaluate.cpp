// The enemy AI's scoring routines: the attack score of a unit on a cell against
// an opposing unit, the aim of a cannon spell and the cheapest chain of areas.
#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>
#include <vector>

#include "AIInternal.h"
#include "FieldTaskInfo.h"
#include "SkillData.h"
#include "random/gvlRand.h"

using aiutil::Manhattan;

namespace {

// +k below 15, -k above 33, else 0.
int GuardBand(int guard, int k) {
    if (guard < 15) return k;
    if (guard > 33) return -k;
    return 0;
}

// The class matchup of attacker member m (class, attack type) against defender n.
int Matchup(int mClass, int attackType, const PersonRecord& n) {
    switch (mClass) {
    case 1:
        if (n.nClass == 1) return 0;
        if (n.nClass == 2) return -1;
        if (n.nClass == 3) return 1;
        return GuardBand(n.nGur, 1);
    case 2:
        if (n.nClass == 1) return 1;
        if (n.nClass == 2) return 0;
        if (n.nClass == 3) return -1;
        return GuardBand(n.nGur, 1);
    case 3:
        if (n.nClass == 1) return -1;
        if (n.nClass == 2) return 1;
        if (n.nClass == 3) return 0;
        return GuardBand(n.nGurA, 1);
    default:
        if (attackType == 0) return GuardBand(n.nGur, 2);
        if (attackType == 1) return GuardBand(n.nGurA, 2);
        if (attackType == 2) return GuardBand(n.nGurM, 2);
        return 0;
    }
}

int SkillValue(int skill, const PersonRecord& p) {
    const int stat = g_SkillData.GetType(skill) == 2 ? p.nMag : p.nStr;
    return (int)((int64_t)g_SkillData.GetPower(skill) * stat / 100);
}

}  // namespace

int C_AI::EvaluateAttack(C_FieldTaskInfo& info, int attacker, int target, int x, int y) {
    const CUnitList& units = info.m_UnitList;
    if (!units.IsValidUnit(attacker) || !units.IsValidUnit(target) || units.GetMemberCount(attacker) < 1 ||
        units.GetMemberCount(target) < 1)
        return INT_MIN;
    const int tx = units.GetX(target), ty = units.GetY(target);
    const int d = Manhattan(x, y, tx, ty);
    if ((units.GetMemberPerson(attacker, 0).bFriend != 0) == (units.GetMemberPerson(target, 0).bFriend != 0))
        return INT_MIN;
    if (!info.IsLineOfFireClear(x, y, tx, ty, 2, attacker)) return INT_MIN;
    const bool clearLine = info.IsLineOfFireClear(x, y, tx, ty, 1, attacker);

    // Attack value: each member's strongest usable skill.
    int64_t attack = 0, hpA = 0;
    bool any = false;
    int attackType[4] = {0, 0, 0, 0};
    const int countA = std::min(units.GetMemberCount(attacker), 4);
    for (int j = 0; j < countA; ++j) {
        const PersonRecord& m = units.GetMemberPerson(attacker, j);
        hpA += m.nHP;
        int best = 0;
        const int n = m.CountSkills();
        for (int k = 0; k < n; ++k) {
            const int s = m.skill[k];
            if (g_SkillData.GetType(s) == 3) continue;
            if (d < g_SkillData.GetRange1(s) || d > g_SkillData.GetRange2(s)) continue;
            if (m.nMP < g_SkillData.GetMp(s)) continue;
            if (g_SkillData.GetPath(s) == 1 && !clearLine) continue;
            if (!g_SkillData.GetBackAtk(s) && !units.IsMemberForward(attacker, j)) continue;
            any = true;
            const int v = SkillValue(s, m);
            if (v > best) {
                best = v;
                attackType[j] = g_SkillData.GetType(s);
            }
        }
        attack += best;
    }
    if (!any) return INT_MIN;

    // Counter value: the defenders' first skills, only at close quarters.
    int64_t counter = 0, hpT = 0;
    const int countT = std::min(units.GetMemberCount(target), 4);
    for (int j = 0; j < countT; ++j) {
        const PersonRecord& n = units.GetMemberPerson(target, j);
        hpT += n.nHP;
        const int first = n.skill[0];
        if (d < 2 && first >= 0 && (g_SkillData.GetBackAtk(first) || units.IsMemberForward(target, j)))
            counter += SkillValue(first, n);
    }
    // A side without HP left counts as one point, so the ratios stay defined.
    const int64_t T = attack * 10000 / std::max<int64_t>(hpT, 1) - counter * 15000 / std::max<int64_t>(hpA, 1);

    int64_t S = 0;
    for (int j = 0; j < countA; ++j) {
        const PersonRecord& m = units.GetMemberPerson(attacker, j);
        for (int k = 0; k < countT; ++k) S += Matchup(m.nClass, attackType[j], units.GetMemberPerson(target, k));
    }

    const int64_t cannon = units.CountMemberCSkills(target, 0) > 0 ? 1 : 0;
    const double base = (double)((cannon + units.GetCharge(target)) * 1000 + T + 600 * S);
    double score = std::trunc(RandomNormal(base, 300.0));
    // The most negative value is kept for "cannot attack".
    score = std::clamp(score, (double)INT_MIN + 1.0, (double)INT_MAX);
    return (int)score;
}

int C_AI::AimCannon(C_FieldTaskInfo& info, int unit, int skill, int* outX, int* outY) {
    const CUnitList& units = info.m_UnitList;
    if (outX) *outX = -1;
    if (outY) *outY = -1;
    if (!units.IsValidUnit(unit) || units.GetMemberCount(unit) < 1 || units.CountMemberCSkills(unit, 0) < 1) return 0;
    const int ux = units.GetX(unit), uy = units.GetY(unit);
    const int range1 = g_SkillData.GetRange1(skill);
    const int range2 = g_SkillData.GetRange2(skill);
    const int region1 = g_SkillData.GetRegion1(skill);
    const int region2 = g_SkillData.GetRegion2(skill);
    const bool side = units.IsFriend(unit);
    const int w = info.m_MapData.m_xSize, h = info.m_MapData.m_ySize;
    int best = 0;
    if (range2 < 0) return 0;
    for (int cx = ux - range2; cx <= ux + range2; ++cx) {
        const int rest = range2 - std::abs(cx - ux);
        for (int cy = uy - rest; cy <= uy + rest; ++cy) {
            if (cx < 0 || cy < 0 || cx >= w || cy >= h) continue;
            if (std::abs(cx - ux) < range1 && std::abs(cy - uy) < range1) continue;
            if (!info.IsLineOfFireClear(ux, uy, cx, cy, 2, -1)) continue;
            int count = 0;
            for (int v = 0; v < units.GetCount(); ++v) {
                if (units.GetMemberCount(v) < 1 || units.IsFriend(v) == side) continue;
                if (units.IsInRange(v, cx, cy, region2 - 1, region1 - 1)) ++count;
            }
            if (count > best || (count == best && (g_Rand.Get() & 1u) == 0)) {
                best = count;
                if (outX) *outX = cx;
                if (outY) *outY = cy;
            }
        }
    }
    return best;
}

std::vector<int> C_AI::FindAreaPath(int startArea, int goalArea, int startX, int startY) const {
    const std::vector<AIArea>& areas = m_AreaMap.vArea;
    const int n = (int)areas.size();
    std::vector<int> chain;
    if (startArea < 0 || goalArea < 0 || startArea >= n || goalArea >= n) return chain;

    // An area not reached yet costs more than any path (a true "unreachable"), so
    // a long chain is never mistaken for a dearer one than no chain at all.
    const double kUnreached = std::numeric_limits<double>::infinity();
    std::vector<double> cost((size_t)n, kUnreached);
    std::vector<int> previous((size_t)n, -1);
    std::vector<double> entryX((size_t)n, 0.0), entryY((size_t)n, 0.0);
    std::vector<char> done((size_t)n, 0);
    cost[(size_t)startArea] = 0.0;
    entryX[(size_t)startArea] = startX;
    entryY[(size_t)startArea] = startY;

    using Item = std::pair<double, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
    open.push({0.0, startArea});
    // Each area is settled once; the guard only bounds broken link lists.
    long guard = (long)n * 8 + 16;
    for (const AIArea& a : areas) guard += (long)a.vLink.size();
    while (!open.empty() && guard-- > 0) {
        const auto [c, a] = open.top();
        open.pop();
        if (done[(size_t)a] || c > cost[(size_t)a]) continue;
        done[(size_t)a] = 1;
        if (a == goalArea) break;
        for (const AIAreaLink& link : areas[(size_t)a].vLink) {
            const int b = link.nArea;
            if (b < 0 || b >= n || done[(size_t)b]) continue;
            const double mx = (link.left + link.right + 1) * 0.5;
            const double my = (link.top + link.bottom + 1) * 0.5;
            const double step = std::fabs(entryX[(size_t)a] - mx) + std::fabs(entryY[(size_t)a] - my);
            const double nc = c + step;
            if (nc < cost[(size_t)b]) {
                cost[(size_t)b] = nc;
                previous[(size_t)b] = a;
                entryX[(size_t)b] = mx;
                entryY[(size_t)b] = my;
                open.push({nc, b});
            }
        }
    }
    if (cost[(size_t)goalArea] == kUnreached) return chain;
    for (int a = goalArea, steps = 0; a >= 0 && steps <= n; a = previous[(size_t)a], ++steps) {
        chain.push_back(a);
        if (a == startArea) break;
    }
    if (chain.empty() || chain.back() != startArea) return {};
    std::reverse(chain.begin(), chain.end());
    return chain;
}
