// The effect factory and the choice of effect by skill.
#include "EffectSelect.h"

#include <map>
#include <set>

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

std::vector<std::string> BattleEffectNames() {
    EnsureBuiltIns();
    std::vector<std::string> names;
    for (const auto& entry : Makers()) names.push_back(entry.first);
    return names;
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
