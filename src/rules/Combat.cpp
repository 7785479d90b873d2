// Hit rate and effect amount of a skill used by one person on another, and the
// battle category of a skill.  Nothing here draws random numbers.
#include <algorithm>
#include <cmath>

#include "FieldTaskInfo.h"
#include "RulesInternal.h"
#include "SkillData.h"
#include "util/ClampInt.h"

namespace {

constexpr int kConditionSleep = 1;
constexpr int kConditionDazzle = 4;

bool Has(const PersonRecord& p, int condition) { return ((p.nCondition >> (condition - 1)) & 1u) != 0; }

// A divisor of 0 counts as 1.
double Divisor(int value) { return value == 0 ? 1.0 : (double)value; }
int IntDivisor(int value) { return value == 0 ? 1 : value; }

bool AtHalfHPOrLess(const PersonRecord& p) { return int64_t(p.nHP) * 100 / IntDivisor(p.nMaxHP) <= 50; }

// Terrain under a person: the cell of the unit that holds it.
struct TargetTerrain {
    int type = -1;
    int x = -1;
    int y = -1;
};

TargetTerrain TerrainOf(const C_FieldTaskInfo& field, int person) {
    TargetTerrain t;
    const int unit = field.m_UnitList.FindUnitOfPerson(person);
    if (unit < 0) return t;
    t.x = field.m_UnitList.GetX(unit);
    t.y = field.m_UnitList.GetY(unit);
    t.type = rules::TerrainTypeAt(field.m_MapData, t.x, t.y);
    return t;
}

int PassiveHitBonus(const PersonRecord& target, int terrain) {
    int bonus = 0;
    const int n = target.CountPassiveSkills();
    for (int k = 0; k < n; ++k) {
        const int e = g_SkillData.GetEffect(target.pskill[k]);
        const bool all = e == 11;
        if (((e == 0 || all) && terrain == 1) || ((e == 1 || all) && terrain == 4) ||
            ((e == 2 || all) && terrain == 2) || ((e == 3 || all) && terrain == 3))
            bonus += 10;
    }
    return bonus;
}

int PassiveGuardBonus(const PersonRecord& target, int terrain) {
    int bonus = 0;
    const int n = target.CountPassiveSkills();
    for (int k = 0; k < n; ++k) {
        const int e = g_SkillData.GetEffect(target.pskill[k]);
        const bool all = e == 11;
        if (((e == 0 || all) && (terrain == 0 || terrain == 1)) || ((e == 1 || all) && terrain == 4) ||
            ((e == 2 || all) && terrain == 2) || (e == 8 && AtHalfHPOrLess(target)))
            bonus += 10;
    }
    return bonus;
}

int StrengthBonus(const PersonRecord& attacker) {
    int64_t bonus = 0;  // several such skills on a huge strength would not fit an int
    const int n = attacker.CountPassiveSkills();
    for (int k = 0; k < n; ++k)
        if (g_SkillData.GetEffect(attacker.pskill[k]) == 8 && AtHalfHPOrLess(attacker)) bonus += attacker.nStr / 2;
    return ClampToInt32(bonus);
}

int Clamp100(int v) { return std::min(std::max(v, 0), 100); }

// A raw rate truncated toward zero.  Far-apart stats give rates far outside
// 0..100 (or an infinite one); they are brought into int range first, which
// leaves the limited result unchanged.
int TruncRate(double h) { return (int)std::clamp(h, -1000.0, 1000.0); }

// The ceiling of a raw amount as an int.  Absurd table values (a power in the
// billions) are held to a billion either way, so a doubled critical still fits.
int CeilAmount(double raw) { return (int)std::ceil(std::clamp(raw, -1e9, 1e9)); }

}  // namespace

int C_FieldTaskInfo::CalcHitRate(int attacker, int skill, int target) const {
    const PersonRecord& a = m_PersonList.GetPerson(attacker);
    const PersonRecord& t = m_PersonList.GetPerson(target);
    const int bonus = PassiveHitBonus(t, TerrainOf(*this, target).type);
    const int type = g_SkillData.GetType(skill);
    if (type < 0) return 100;
    if (type == 0 || type == 1) {
        if (Has(a, kConditionDazzle)) return 10;
        if (Has(t, kConditionSleep)) return 100;
        const double dex = (double)a.nDex;
        const double spd = (double)t.nSpd;
        const double x = dex >= spd ? dex / Divisor(t.nSpd) : 2.0 - spd / Divisor(a.nDex);
        const double y = 1.86 * x;
        const double h = 95.0 + 20.0 * std::log(y + std::sqrt(1.0 + y * y)) / 1.37921347655502;
        return Clamp100(TruncRate(h));
    }
    if (type == 2) {
        const double c = (double)a.nMag;
        const double d = (double)t.nMag;
        const double r = c >= d ? c / Divisor(t.nMag) - 1.0 : 1.0 - d / Divisor(a.nMag);
        const double h = 4.166666666666667 * r * r * r + 5.0 * r * r + 20.0 * r + 90.0;
        return Clamp100(TruncRate(h) + bonus);
    }
    return 100;
}

int C_FieldTaskInfo::CalcEffectAmount(int attacker, int skill, int target, bool hit, bool criticalAllowed,
                                      const bool* critical) const {
    const PersonRecord& a = m_PersonList.GetPerson(attacker);
    const PersonRecord& t = m_PersonList.GetPerson(target);
    const int type = g_SkillData.GetType(skill);
    const TargetTerrain terrain = TerrainOf(*this, target);
    const int guardBonus = type == 2 ? 0 : PassiveGuardBonus(t, terrain.type);
    const int strBonus = StrengthBonus(a);
    const int power = g_SkillData.GetPower(skill);
    if (power == 0) return 0;
    const bool doubled = criticalAllowed && critical != nullptr && *critical;

    if (type == 3) {
        int amount = CeilAmount((double)power * a.nMag * 5.0 / 100.0 - 0.5);
        amount = std::max(amount, 1);
        amount = -amount;
        return doubled ? amount * 2 : amount;
    }
    if (type < 0 || type > 3) return 0;

    // Worked out in double precision throughout, so extreme guard and terrain values
    // never wrap around.
    double T = 0, A = 0, G = 0;
    const bool onMap = terrain.x >= 0;
    if (type == 0) {
        if (!hit) return 0;
        T = (double)guardBonus + (onMap ? m_MapData.GetTileDGuard(terrain.x, terrain.y, t.m_type) : 0);
        A = (double)a.nStr + strBonus;
        G = t.nGur;
    } else if (type == 1) {
        if (!hit) return 0;
        T = (double)guardBonus + (onMap ? m_MapData.GetTileIGuard(terrain.x, terrain.y, t.m_type) : 0);
        A = (double)a.nStr + strBonus;
        G = t.nGurA;
    } else {
        T = m_MapData.GetFieldData().GetIGuard(terrain.type, t.m_type);
        A = a.nMag;
        G = t.nGurM;
    }
    const double raw = (double)power * A / 100.0 * 5.0 * (100.0 - G - T) / 100.0 - 0.5;
    int amount = CeilAmount(raw);
    if (type == 2 && !hit) {
        amount = CeilAmount(amount * 0.5 - 0.5);
        return std::max(amount, 1);
    }
    amount = std::max(amount, 1);
    return doubled ? amount * 2 : amount;
}

int GetSkillCategory(const int* skill) {
    if (skill == nullptr || *skill == -1) return 0;
    const int id = *skill;
    switch (g_SkillData.GetType(id)) {
        case 0:
            return g_SkillData.GetBackAtk(id) ? 2 : 1;
        case 1:
            return 3;
        case 2:
        case 3:
            if (g_SkillData.IsCannon(id)) return 6;
            if (g_SkillData.IsAllAttack(id)) return 5;
            return 4;
        default:
            return 0;
    }
}

void SortPendingActions(std::vector<BattleActionRecord>& actions) {
    std::stable_sort(actions.begin(), actions.end(), [](const BattleActionRecord& a, const BattleActionRecord& b) {
        const bool ca = GetSkillCategory(&a.nSkill[0]) == 6;
        const bool cb = GetSkillCategory(&b.nSkill[0]) == 6;
        if (ca != cb) return ca;
        return a.nUnit > b.nUnit;
    });
}
