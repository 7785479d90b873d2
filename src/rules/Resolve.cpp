// Attack resolution: every blow of an exchange rolled once, in a fixed order, into
// the battle action records of the field state; and applying those records to the
// persons and units afterwards.
#include <algorithm>

#include "util/ClampInt.h"
#include "FieldTaskInfo.h"
#include "RulesInternal.h"
#include "SkillData.h"
#include "log/ErrorLog.h"
#include "random/gvlRand.h"

namespace {

int Roll100() { return (int)(g_Rand.Get() % 100u) + 1; }

constexpr int kMaxCharge = 3;

}  // namespace

void C_FieldTaskInfo::ResolveAttack(AttackResult& result, int attackingUnit, int targetUnit, int attackerCode,
                                    int targetCode, int skill, int64_t damageTaken) {
    const int attacker = m_UnitList.GetMember(attackingUnit, attackerCode % 4);
    const int target = m_UnitList.GetMember(targetUnit, targetCode % 4);

    const int hitRate = CalcHitRate(attacker, skill, target);
    const bool miss = hitRate < Roll100();
    int amount = 0;
    bool critical = false;
    int effect = 0;
    if (!miss || g_SkillData.GetType(skill) == 2) {
        critical = g_SkillData.GetCritical(skill) >= Roll100();
        amount = CalcEffectAmount(attacker, skill, target, !miss, true, &critical);
        effect = miss ? 0 : g_SkillData.GetEffect(skill);
    }
    result.nAttacker = attackerCode;
    result.nTarget = targetCode;
    result.nSkill = skill;
    result.nAmount = amount;
    result.nEffect = effect;
    result.bMiss = miss ? 1 : 0;
    result.bCritical = critical ? 1 : 0;
    result.bFall = (int64_t(m_PersonList.GetHP(target)) - amount - damageTaken <= 0) ? 1 : 0;
}

void C_FieldTaskInfo::ResolveBattle(int unitA, int unitB, const int targets[8], const int skills[8]) {
    if (!m_UnitList.IsValidUnit(unitA) || !m_UnitList.IsValidUnit(unitB)) {
        g_ErrorLog.Printf("戦闘解決: 不正なユニット %d, %d", unitA, unitB);
        return;
    }
    BattleActionRecord rec[2];
    rec[0].nUnit = unitA;
    rec[1].nUnit = unitB;
    const int units[2] = {unitA, unitB};
    const bool counters = m_UnitList.GetDistance(unitA, unitB) < 2;

    for (int side = 0; side < 2; ++side) {
        BattleActionRecord& own = rec[side];
        BattleActionRecord& other = rec[1 - side];
        const int self = units[side];
        const int opp = units[1 - side];
        const int oppCount = m_UnitList.GetMemberCount(opp);
        for (int m = 0; m < 4; ++m) {
            const int s = skills[side * 4 + m];
            own.nTargetSlot[m] = -1;
            own.nSkill[m] = -1;
            if ((side == 1 && !counters) || own.bFall[m] || s == -1 || m >= m_UnitList.GetMemberCount(self)) continue;
            if (g_SkillData.IsAllAttack(s)) {
                own.nSkill[m] = s;
                for (int t = 0; t < oppCount; ++t) {
                    AttackResult r;
                    ResolveAttack(r, self, opp, SlotCode(side, m), SlotCode(1 - side, t), s, other.nDamage[t]);
                    other.bHitMissed[t] = r.bMiss;
                    other.bHitCritical[t] = r.bCritical;
                    other.nDamage[t] += r.nAmount;
                    other.nEffect[t] |= g_SkillData.GetEffect(s);
                    other.bFall[t] = r.bFall;
                    own.vResult.push_back(r);
                }
            } else {
                const int t = targets[side * 4 + m];
                if (t < 0 || t >= oppCount) {
                    // A plan that names no member of the other unit: the member holds back.
                    g_ErrorLog.Printf("戦闘解決: 攻撃対象 %d がありません (ユニット %d, メンバー %d)", t, self, m);
                    continue;
                }
                own.nSkill[m] = s;
                AttackResult r;
                ResolveAttack(r, self, opp, SlotCode(side, m), SlotCode(1 - side, t), s, other.nDamage[t]);
                own.nTargetSlot[m] = t;
                own.bMiss[m] = r.bMiss;
                own.bCritical[m] = r.bCritical;
                other.nDamage[t] += r.nAmount;
                other.nEffect[t] |= r.nEffect;
                other.bFall[t] = r.bFall;
                own.vResult.push_back(r);
            }
        }
    }
    m_vBattleAction.push_back(rec[0]);
    m_vBattleAction.push_back(rec[1]);
}

void C_FieldTaskInfo::ResolveSkillOnUnit(int castingUnit, int targetUnit, int skill) {
    if (!m_UnitList.IsValidUnit(castingUnit) || !m_UnitList.IsValidUnit(targetUnit) ||
        m_UnitList.GetMemberCount(castingUnit) < 1) {
        g_ErrorLog.Printf("魔法解決: 不正なユニット %d, %d", castingUnit, targetUnit);
        return;
    }
    if (m_vBattleAction.empty()) {
        // The caster's record carries the cost, once however many units are hit.
        BattleActionRecord caster;
        caster.nUnit = castingUnit;
        caster.nSkill[0] = skill;
        m_vBattleAction.push_back(caster);
    }
    BattleActionRecord rt;
    rt.nUnit = targetUnit;
    const int count = m_UnitList.GetMemberCount(targetUnit);
    for (int t = 0; t < count; ++t) {
        AttackResult r;
        ResolveAttack(r, castingUnit, targetUnit, 0, SlotCode(1, t), skill, rt.nDamage[t]);
        rt.bHitMissed[t] = r.bMiss;
        rt.bHitCritical[t] = r.bCritical;
        rt.nDamage[t] += r.nAmount;
        rt.nEffect[t] |= r.nEffect;
        rt.bFall[t] = r.bFall;
        rt.vResult.push_back(r);
    }
    m_vBattleAction.push_back(rt);
}

namespace {

// Pays a member's skill: its MP and the unit's charge (kept within 0..3).
void PayCost(C_FieldTaskInfo& field, int unit, int slot, int skill) {
    const int person = field.m_UnitList.GetMember(unit, slot);
    field.m_PersonList.SetMP(person, SaturatingSub(field.m_UnitList.GetMemberMP(unit, slot), g_SkillData.GetMp(skill)));
    const int charge = field.m_UnitList.GetCharge(unit) - g_SkillData.GetCharge(skill);
    field.m_UnitList.SetCharge(unit, std::min(std::max(charge, 0), kMaxCharge));
}

}  // namespace

void C_FieldTaskInfo::ApplyNextAction() {
    if (m_vBattleAction.empty()) {
        g_ErrorLog.Write("戦闘結果の適用: 適用する結果がありません。");
        return;
    }
    const BattleActionRecord r = m_vBattleAction.front();
    const int u = r.nUnit;
    if (!m_UnitList.IsValidUnit(u) || m_UnitList.GetMemberCount(u) < 1) {
        g_ErrorLog.Printf("戦闘結果の適用: ユニット %d がありません。", u);
        m_vBattleAction.erase(m_vBattleAction.begin());
        return;
    }

    if (GetSkillCategory(&r.nSkill[0]) == 6) {
        PayCost(*this, u, 0, r.nSkill[0]);
        SortPendingActions(m_vBattleAction);
        m_vBattleAction.erase(m_vBattleAction.begin());
        return;
    }

    for (int m = 3; m >= 0; --m) {
        if (!m_UnitList.IsValidUnit(u) || m >= m_UnitList.GetMemberCount(u)) continue;
        const int p = m_UnitList.GetMember(u, m);
        m_UnitList.SetMemberHP(u, m, ClampToInt32(m_PersonList.GetHP(p) - r.nDamage[m]));
        PersonRecord& person = m_PersonList.GetPerson(p);
        person.nCondition = (uint16_t)(person.nCondition | (uint16_t)(r.nEffect[m] & 0xFFFF));
        if (r.nSkill[m] != -1) PayCost(*this, u, m, r.nSkill[m]);
        if (r.bFall[m]) {
            const int side = m_UnitList.GetMemberPerson(u, 0).bFriend ? 1 : 0;
            m_UnitList.AddDefeated(side, m_UnitList.GetMemberTypeID(u, m));
            person.bExist = 0;
            m_UnitList.RemoveMember(u, m);
        }
    }
    m_vBattleAction.erase(m_vBattleAction.begin());
}

void C_FieldTaskInfo::ApplyAllActions() {
    SortPendingActions(m_vBattleAction);
    while (!m_vBattleAction.empty()) ApplyNextAction();
}
