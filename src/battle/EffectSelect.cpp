// The effect factory and the choice of effect by skill.
#include "EffectSelect.h"

#include <map>
#include <set>

#include "FieldTaskInfo.h"
#include "MeshControl.h"
#include "log/ErrorLog.h"

namespace {

std::map<std::string, BattleEffectMaker>& Makers() {
    static std::map<std::string, BattleEffectMaker> makers;
    return makers;
}

void EnsureBuiltIns() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterBuiltInBattleEffects();
}

}  // namespace

void RegisterBattleEffect(const std::string& name, BattleEffectMaker maker) {
    if (maker) Makers()[name] = maker;
    else Makers().erase(name);
}

bool IsBattleEffectKnown(const std::string& name) {
    EnsureBuiltIns();
    return Makers().count(name) != 0;
}

CBattleEffectBase* MakeBattleEffect(const std::string& name, const BattleEffectArgs& args) {
    EnsureBuiltIns();
    auto it = Makers().find(name);
    if (it == Makers().end()) {
        static std::set<std::string> s_reported;
        if (s_reported.insert(name).second)
            g_ErrorLog.Printf("戦闘エフェクト %s はまだありません (表示しません)", name.c_str());
        return nullptr;
    }
    return it->second(args);
}

bool AddBattleEffect(CBattleEffectController& controller, const std::string& name, const BattleEffectArgs& args) {
    CBattleEffectBase* effect = MakeBattleEffect(name, args);
    if (!effect) return false;
    controller.AddEffect(effect);
    return true;
}

// ---- choice by skill id -----------------------------------------------------------------

const char* SingleMagicEffectName(int skill) {
    switch (skill) {
        case 300: return "CBattleEffect_Beam4";
        case 302: return "CBattleEffect_Beam4b";
        case 303: return "CBattleEffect_Recover1";
        case 304: return "CBattleEffect_Thunder1";
        case 305:
        case 306:
        case 312: return "CBattleEffect_Light1";
        case 307: return "CBattleEffect_Recover2";
        case 308:
        case 309: return "CBattleEffect_Beam3";
        case 311: return "CBattleEffect_Recover3";
        case 405: return "CBattleEffect_Beam5";
        default: return "CBattleEffect_Dark1";
    }
}

const char* AreaEffectName(int skill, int* flag) {
    *flag = 0;
    switch (skill) {
        case 400:
        case 403: return "CBattleEffect_DarkAll5";
        case 402: return "CBattleEffect_PoisonAll1";
        case 407: return "CBattleEffect_BladeAll1";
        case 408: return "CBattleEffect_DarkLightAll1";
        case 411: return "CBattleEffect_FireAll1";
        case 412: return "CBattleEffect_WaterAll1";
        case 413:
        case 416: return "CBattleEffect_ThunderAll1";
        case 415: return "CBattleEffect_RecoverAll1";
        default: *flag = 1; return "CBattleEffect_DarkLightAll1";
    }
}

const char* CannonEffectName(int skill, int* flag) {
    switch (skill) {
        case 401: *flag = 1; return "CBattleEffect_DarkLightAll3";
        case 404: *flag = 0; return "CBattleEffect_PoisonAll2";
        case 409: *flag = 0; return "CBattleEffect_DarkLightAll4";
        case 410: *flag = 0; return "CBattleEffect_DarkLightAll2";
        case 414: *flag = 0; return "CBattleEffect_RockAll1";
        default: *flag = 1; return "CBattleEffect_DarkLightAll4";
    }
}

// ---- magic of a member ---------------------------------------------------------------------

void BattleMember::StartMagic(C_FieldTaskInfo& field, int start, BattleFormation& formation,
                              CBattleEffectController& effects) {
    AddMotion(start, m_nKeyframeBase + 11);
    const int category = GetSkillCategory(&m_nSkill);
    BattleEffectArgs circle;
    circle.start = start;
    circle.caster = &m_World;
    if (category == 6) {
        AddBattleEffect(effects, "CBattleEffect_MagicCircle1", circle);
        return;
    }
    const bool ownUnit = IsBattleOnOwnUnit(field);
    BattleEffectArgs a;
    a.start = start;
    a.caster = &m_World;
    if (category == 5) {
        m_nActionLength = 120;
        // The members of the side it aims at: its own when the skill is used on
        // its own unit, else the other side.
        const int base = ownUnit ? 0 : (m_nPosition < 4 ? 4 : 0);
        const BattleActionRecord* rec = GetBattleRecord(field, ownUnit ? 0 : base / 4);
        const int count = rec && IsValidBattleUnit(field, rec->nUnit) ? field.m_UnitList.GetMemberCount(rec->nUnit) : 0;
        for (int i = 0; i < count && i < 4; ++i) a.targets.push_back(formation.matrix[base + i]);
        a.hits = m_vOwnResult;
        const char* name = AreaEffectName(m_nSkill, &a.flag);
        AddBattleEffect(effects, name, a);
        AddBattleEffect(effects, "CBattleEffect_MagicCircle1", circle);
        return;
    }
    m_nActionLength = 90;
    int slot = -1;
    const int t = m_nTargetIndex;
    if (t >= 0 && t <= 3) slot = ownUnit ? t : (m_nPosition < 4 ? t + 4 : t);
    if ((slot < 0 || !formation.matrix[slot]) && !m_vOwnResult.empty()) slot = m_vOwnResult.front().nTarget;
    a.target = slot >= 0 && slot < 8 ? formation.matrix[slot] : nullptr;
    if (a.target && !m_vOwnResult.empty()) {
        a.first = &m_vOwnResult.front();
        AddBattleEffect(effects, SingleMagicEffectName(m_nSkill), a);
    } else {
        g_ErrorLog.Printf("BattleMember::StartMagic: slot %d has no target", m_nSlot);
    }
    AddBattleEffect(effects, "CBattleEffect_MagicCircle1", circle);
}

// ---- cannon volleys -------------------------------------------------------------------------

void C_MeshController_Cannon::StartVolley(C_FieldTaskInfo* field) {
    const int v = ++m_nVolley;
    for (BattleMember& m : m_Member) m.m_bActive = false;
    const vm::Matrix* targets[4];
    for (int i = 0; i < 4; ++i) targets[i] = &m_Member[4 + i].m_World;
    m_Formation.SetCannonTargets(*field, v, targets);
    for (int i = 0; i < 4; ++i) {
        BattleMember& m = m_Member[4 + i];
        m.Place(*field, &m_Keyframe, m_Formation, 4 * v + i);
        m.m_WindowRow.Setup(*field, m.m_bActive, 4 * v + i, m.m_nPosition);
    }
    m_Effects.Clear();
    BattleEffectArgs a;
    for (int i = 4; i < 8; ++i)
        if (m_Member[i].m_bActive) a.targets.push_back(&m_Member[i].m_World);
    if (const BattleActionRecord* rec = GetBattleRecord(*field, v)) a.hits = rec->vResult;
    a.start = (m_nVolleySpacing + 5) * v + m_nFirstVolleyFrame - 180 + 10;
    const char* name = CannonEffectName(m_nSkill, &a.flag);
    AddBattleEffect(m_Effects, name, a);
    for (BattleMember& m : m_Member) m.m_Popups.Reset();
}
