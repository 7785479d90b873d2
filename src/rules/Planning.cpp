// Planning of an exchange: the skill and target member of every member of the
// acting unit (weighed by noisy expected damage, or healing between units of one
// side) and of the answering unit.
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "FieldTaskInfo.h"
#include "RulesInternal.h"
#include "SkillData.h"
#include "log/ErrorLog.h"
#include "random/gvlRand.h"
#include "util/ClampInt.h"

namespace {

constexpr int kConditionSleep = 1;
constexpr int kConditionSealed = 2;

bool Has(const PersonRecord& p, int condition) { return ((p.nCondition >> (condition - 1)) & 1u) != 0; }

struct PlanContext {
    C_FieldTaskInfo& field;
    int unitA;
    int unitB;
    int x;
    int y;
    bool moved;
    int d;  // distance from (x, y) to B's cell

    // Whether member m's skill reaches B from (x, y).
    bool Reaches(int m, int skill, int excluded) const {
        if (g_SkillData.GetRange2(skill) < d) return false;
        if (moved && !rules::HasPassiveEffect(field.m_UnitList.GetMemberPerson(unitA, m), 10) && d > 1) return false;
        return field.IsLineOfFireClear(x, y, field.m_UnitList.GetX(unitB), field.m_UnitList.GetY(unitB),
                                       g_SkillData.GetPath(skill), excluded);
    }

    // Expected damage of member m's skill on B's member t.
    int Expected(int m, int skill, int t) const {
        const int attacker = field.m_UnitList.GetMember(unitA, m);
        const int target = field.m_UnitList.GetMember(unitB, t);
        const int hit = field.CalcHitRate(attacker, skill, target);
        const int amount = field.CalcEffectAmount(attacker, skill, target, hit != 0, false, nullptr);
        return ClampDoubleToInt(std::ceil((double)hit * amount / 100.0 - 0.5));
    }

    int Noisy(int m, int skill, int t) const { return ClampDoubleToInt(RandomNormal((double)Expected(m, skill, t), 10.0)); }
};

int CountFront(const CUnitList& units, int unit) {
    int n = 0;
    for (int j = 0; j < units.GetMemberCount(unit); ++j)
        if (units.IsMemberForward(unit, j)) ++n;
    return n;
}

}  // namespace

void C_FieldTaskInfo::AssignBattleTargets(int unitA, int unitB, int x, int y, int targets[8], int skills[8], int) {
    if (!m_UnitList.IsValidUnit(unitA) || !m_UnitList.IsValidUnit(unitB) || m_UnitList.GetMemberCount(unitA) < 1 ||
        m_UnitList.GetMemberCount(unitB) < 1) {
        g_ErrorLog.Printf("戦闘計画: 不正なユニット %d, %d", unitA, unitB);
        for (int m = 0; m < 4; ++m) targets[m] = skills[m] = -1;
        return;
    }
    const int bx = m_UnitList.GetX(unitB), by = m_UnitList.GetY(unitB);
    const bool moved = m_UnitList.GetX(unitA) != x || m_UnitList.GetY(unitA) != y || m_UnitList.IsMoveEnd(unitA);
    PlanContext ctx{*this, unitA, unitB, x, y, moved, std::abs(x - bx) + std::abs(y - by)};
    const int countA = m_UnitList.GetMemberCount(unitA);
    const int countB = m_UnitList.GetMemberCount(unitB);
    const bool sameSide = m_UnitList.IsFriend(unitA) == m_UnitList.IsFriend(unitB);

    if (sameSide) {
        // Healing.
        for (int m = 0; m < 4; ++m) targets[m] = skills[m] = -1;
        int missing[4] = {0, 0, 0, 0};
        for (int t = 0; t < countB; ++t)
            missing[t] = ClampToInt32(int64_t(m_UnitList.GetMemberMaxHP(unitB, t)) - m_UnitList.GetMemberHP(unitB, t));
        bool targeted[4] = {false, false, false, false};
        for (int m = 0; m < countA; ++m) {
            const PersonRecord& p = m_UnitList.GetMemberPerson(unitA, m);
            const int n = p.CountSkills();
            for (int k = 0; k < n && !Has(p, kConditionSealed); ++k) {
                const int skill = p.skill[k];
                if (g_SkillData.GetType(skill) != 3 || !ctx.Reaches(m, skill, -1)) continue;
                if (skills[m] != -1) {
                    const bool all = g_SkillData.IsAllAttack(skill);
                    if (!((all && countB > 1) || (!all && countB == 1))) continue;
                }
                skills[m] = skill;
            }
            if (skills[m] == -1) continue;
            const int heal = CalcEffectAmount(m_UnitList.GetMember(unitA, m), skills[m], m_UnitList.GetMember(unitB, 0),
                                              true, false, nullptr);
            if (g_SkillData.IsAllAttack(skills[m])) {
                for (int i = 0; i < 4; ++i) {
                    targets[i] = 0;
                    targeted[i] = true;
                }
                for (int t = 0; t < countB; ++t) missing[t] = std::max(SaturatingAdd(missing[t], heal), 0);
            } else {
                int best = -1;
                int most = 0;
                for (int t = 0; t < countB; ++t) {
                    if (missing[t] > most) {
                        most = missing[t];
                        best = t;
                    }
                }
                if (best < 0) {
                    targets[m] = skills[m] = -1;
                    targeted[m] = false;
                } else {
                    targets[m] = best;
                    targeted[m] = true;
                    missing[best] = std::max(SaturatingAdd(missing[best], heal), 0);
                }
            }
        }
        for (int m = 0; m < 4; ++m)
            if (skills[m] == -1 || !targeted[m] || targets[m] == -1) targets[m] = skills[m] = -1;
        return;
    }

    // Attack.
    // Wide: hit points and amounts from tables and saves may both lie near the int limits.
    int64_t planned[4] = {0, 0, 0, 0};
    bool engaged[4] = {false, false, false, false};
    for (int t = 0; t < countB; ++t) planned[t] = m_UnitList.GetMemberHP(unitB, t);
    const bool frontLine = CountFront(m_UnitList, unitA) > 1 && CountFront(m_UnitList, unitB) > 1;

    for (int m = 0; m < 4; ++m) {
        targets[m] = skills[m] = -1;
        if (m >= countA) continue;
        const PersonRecord& p = m_UnitList.GetMemberPerson(unitA, m);
        if (Has(p, kConditionSleep)) continue;
        const bool front = p.bForward != 0;

        std::vector<int> candidates;
        const int n = p.CountSkills();
        for (int k = 0; k < n; ++k) {
            const int skill = p.skill[k];
            const int type = g_SkillData.GetType(skill);
            if (g_SkillData.GetMp(skill) > p.nMP) continue;
            if (type == 2 && Has(p, kConditionSealed)) continue;
            if (type == 3) continue;
            if (!g_SkillData.GetBackAtk(skill) && !front) continue;
            if (!ctx.Reaches(m, skill, unitA)) continue;
            candidates.push_back(skill);
        }
        if (candidates.empty()) continue;
        skills[m] = candidates[0];
        targets[m] = -1;
        int64_t best = INT_MAX;
        bool weighed = false;

        for (size_t i = 0; i < candidates.size(); ++i) {
            const int c = candidates[i];
            if (g_SkillData.IsAllAttack(c)) {
                int64_t score = 0;
                for (int t = 0; t < countB; ++t) {
                    const int64_t hp = m_UnitList.GetMemberHP(unitB, t);
                    if (hp - ctx.Expected(m, c, t) <= 0) continue;
                    if (hp - ctx.Noisy(m, c, t) <= 0) continue;
                    score += hp - ctx.Noisy(m, c, t);
                }
                const bool take = best < 1 ? score == 0 : score < best;
                if (take) {
                    best = score;
                    skills[m] = c;
                    targets[m] = 0;
                }
                continue;
            }
            const bool backAtk = g_SkillData.GetBackAtk(c);
            const int lastTarget = i == 0 ? countB - 1 : 0;
            for (int t = 0; t <= lastTarget; ++t) {
                if (!backAtk && (!m_UnitList.IsMemberForward(unitB, t) || !front)) continue;
                if (!backAtk && frontLine && engaged[t]) continue;
                if (planned[t] <= 0) {
                    if (!weighed) targets[m] = t;
                    continue;
                }
                weighed = true;
                const int64_t r = planned[t] - ctx.Expected(m, c, t);
                bool take = false;
                if (best > -20) {
                    take = r < best;
                } else if (r < -20) {
                    take = r < best || (targets[m] >= 0 && planned[targets[m]] < planned[t]);
                }
                if (take) {
                    best = planned[t] - ctx.Noisy(m, c, t);
                    skills[m] = c;
                    targets[m] = t;
                }
            }
        }

        if (targets[m] >= 0) {
            const int t = targets[m];
            planned[t] -= ctx.Noisy(m, skills[m], t);
            if (g_SkillData.GetRange2(skills[m]) == 1 && frontLine) engaged[t] = true;
        } else {
            skills[m] = -1;
        }
    }
}

void C_FieldTaskInfo::AssignCounterTargets(int unitA, int unitB, int targets[8], int skills[8]) {
    for (int d = 4; d < 8; ++d) targets[d] = skills[d] = -1;
    if (!m_UnitList.IsValidUnit(unitA) || !m_UnitList.IsValidUnit(unitB) || m_UnitList.GetMemberCount(unitA) < 1) {
        g_ErrorLog.Printf("反撃計画: 不正なユニット %d, %d", unitA, unitB);
        return;
    }
    if (m_UnitList.IsFriend(unitA) == m_UnitList.IsFriend(unitB)) return;
    const int dist = m_UnitList.GetDistance(unitA, unitB);
    if (dist > 2) return;
    const int countA = m_UnitList.GetMemberCount(unitA);
    const int countB = m_UnitList.GetMemberCount(unitB);

    for (int d = 0; d < countB; ++d) {
        std::vector<int> cand;
        for (int a = 0; a < countA; ++a)
            if (targets[a] == d && skills[a] != -1 && !g_SkillData.GetBackAtk(skills[a])) cand.push_back(a);
        if (cand.empty())
            for (int a = 0; a < countA; ++a)
                if (skills[a] != -1 && !g_SkillData.GetBackAtk(skills[a])) cand.push_back(a);
        const bool back = !m_UnitList.IsMemberForward(unitB, d);
        if (cand.empty()) {
            if (back) {
                for (int a = 0; a < countA; ++a)
                    if (m_UnitList.IsMemberForward(unitA, a)) cand.push_back(a);
            } else {
                const int slot = m_UnitList.FindSlotByPosition(unitA, m_UnitList.GetSlotPosition(unitB, d));
                cand.push_back(slot >= 0 ? slot : 0);
            }
        }
        if (cand.empty()) cand.push_back(0);  // a unit without a front row: its leader answers
        targets[4 + d] = cand[g_Rand.Get() % (uint32_t)cand.size()];
        const int skill = m_UnitList.GetMemberPerson(unitB, d).skill[0];
        skills[4 + d] = skill;
        if (skill == -1 || (!g_SkillData.GetBackAtk(skill) && back) || dist < g_SkillData.GetRange1(skill) ||
            dist > g_SkillData.GetRange2(skill)) {
            targets[4 + d] = skills[4 + d] = -1;
        }
    }
}
