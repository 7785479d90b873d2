// The effect classes of the program, registered with the effect factory by name.
#include "EffectSelect.h"

#include "effects/BattleEffects.h"

namespace {

// Single-target effects take (start, caster, target, result).
template <class T>
CBattleEffectBase* Single(const BattleEffectArgs& a) {
    if (!a.first) return nullptr;
    return new T(a.start, a.caster, a.target, *a.first);
}
// Area effects without a caster: (start, targets, hits).
template <class T>
CBattleEffectBase* Area(const BattleEffectArgs& a) {
    return new T(a.start, a.targets, a.hits);
}
// Area effects from the caster: (start, caster, targets, hits).
template <class T>
CBattleEffectBase* CasterArea(const BattleEffectArgs& a) {
    return new T(a.start, a.caster, a.targets, a.hits);
}
// Cannon looks: (start, targets, hits, flag).
template <class T>
CBattleEffectBase* Cannon(const BattleEffectArgs& a) {
    return new T(a.start, a.targets, a.hits, uint8_t(a.flag));
}

}  // namespace

void RegisterBuiltInBattleEffects() {
    RegisterBattleEffect("CBattleEffect_Arrow", [](const BattleEffectArgs& a) -> CBattleEffectBase* {
        return new CBattleEffect_Arrow(a.start, a.caster, a.target, a.keyframeId, a.first);
    });
    RegisterBattleEffect("CBattleEffect_Spear", [](const BattleEffectArgs& a) -> CBattleEffectBase* {
        return new CBattleEffect_Spear(a.start, a.caster, a.target, a.keyframeId, a.first);
    });
    RegisterBattleEffect("CBattleEffect_Damage3", [](const BattleEffectArgs& a) -> CBattleEffectBase* {
        return new CBattleEffect_Damage3(a.start, a.caster, a.target);
    });
    RegisterBattleEffect("CBattleEffect_MagicCircle1", [](const BattleEffectArgs& a) -> CBattleEffectBase* {
        return new CBattleEffect_MagicCircle1(a.start, a.caster);
    });
    RegisterBattleEffect("CBattleEffect_Beam4", Single<CBattleEffect_Beam4>);
    RegisterBattleEffect("CBattleEffect_Beam4b", Single<CBattleEffect_Beam4b>);
    RegisterBattleEffect("CBattleEffect_Beam5", Single<CBattleEffect_Beam5>);
    RegisterBattleEffect("CBattleEffect_Thunder1", Single<CBattleEffect_Thunder1>);
    RegisterBattleEffect("CBattleEffect_Beam3", Single<CBattleEffect_Beam3>);
    RegisterBattleEffect("CBattleEffect_Dark1", Single<CBattleEffect_Dark1>);
    RegisterBattleEffect("CBattleEffect_Light1", Single<CBattleEffect_Light1>);
    RegisterBattleEffect("CBattleEffect_Poison1", Single<CBattleEffect_Poison1>);
    RegisterBattleEffect("CBattleEffect_Recover1", Single<CBattleEffect_Recover1>);
    RegisterBattleEffect("CBattleEffect_Recover2", Single<CBattleEffect_Recover2>);
    RegisterBattleEffect("CBattleEffect_Recover3", Single<CBattleEffect_Recover3>);
    RegisterBattleEffect("CBattleEffect_DarkLightAll1", [](const BattleEffectArgs& a) -> CBattleEffectBase* {
        return new CBattleEffect_DarkLightAll1(a.start, a.caster, a.targets, a.hits, a.flag != 0);
    });
    RegisterBattleEffect("CBattleEffect_PoisonAll1", Area<CBattleEffect_PoisonAll1>);
    RegisterBattleEffect("CBattleEffect_RecoverAll1", CasterArea<CBattleEffect_RecoverAll1>);
    RegisterBattleEffect("CBattleEffect_FireAll1", CasterArea<CBattleEffect_FireAll1>);
    RegisterBattleEffect("CBattleEffect_WaterAll1", CasterArea<CBattleEffect_WaterAll1>);
    RegisterBattleEffect("CBattleEffect_ThunderAll1", CasterArea<CBattleEffect_ThunderAll1>);
    RegisterBattleEffect("CBattleEffect_RockAll1", Area<CBattleEffect_RockAll1>);
    RegisterBattleEffect("CBattleEffect_BladeAll1", Area<CBattleEffect_BladeAll1>);
    RegisterBattleEffect("CBattleEffect_DarkAll5", Area<CBattleEffect_DarkAll5>);
    RegisterBattleEffect("CBattleEffect_DarkLightAll2", Cannon<CBattleEffect_DarkLightAll2>);
    RegisterBattleEffect("CBattleEffect_DarkLightAll3", Cannon<CBattleEffect_DarkLightAll3>);
    RegisterBattleEffect("CBattleEffect_DarkLightAll4", Cannon<CBattleEffect_DarkLightAll4>);
    RegisterBattleEffect("CBattleEffect_PoisonAll2", Area<CBattleEffect_PoisonAll2>);
}
