// The effect classes of the program, registered with the effect factory by name.
#include "EffectSelect.h"

// BRIDGE: each group of effects registers once its header is there.
#if __has_include("effects/EffectPhysical.h")
#include "effects/EffectPhysical.h"
#define HAS_EFFECT_PHYSICAL 1
#endif
#if __has_include("effects/EffectMagicCircle.h")
#include "effects/EffectMagicCircle.h"
#define HAS_EFFECT_MAGIC_CIRCLE 1
#endif
#if __has_include("effects/EffectBeam.h")
#include "effects/EffectBeam.h"
#define HAS_EFFECT_BEAM 1
#endif
#if __has_include("effects/EffectThunder.h")
#include "effects/EffectThunder.h"
#define HAS_EFFECT_THUNDER 1
#endif
#if __has_include("effects/EffectDarkLight.h")
#include "effects/EffectDarkLight.h"
#define HAS_EFFECT_DARK_LIGHT 1
#endif
#if __has_include("effects/EffectRecover.h")
#include "effects/EffectRecover.h"
#define HAS_EFFECT_RECOVER 1
#endif
#if __has_include("effects/EffectComposite.h")
#include "effects/EffectComposite.h"
#define HAS_EFFECT_COMPOSITE 1
#endif
#if __has_include("effects/EffectElementAll.h")
#include "effects/EffectElementAll.h"
#define HAS_EFFECT_ELEMENT_ALL 1
#endif
#if __has_include("effects/EffectRockBlade.h")
#include "effects/EffectRockBlade.h"
#define HAS_EFFECT_ROCK_BLADE 1
#endif
#if __has_include("effects/EffectDarkAll5.h")
#include "effects/EffectDarkAll5.h"
#define HAS_EFFECT_DARK_ALL5 1
#endif
#if __has_include("effects/EffectDarkLightCannon.h")
#include "effects/EffectDarkLightCannon.h"
#define HAS_EFFECT_DARK_LIGHT_CANNON 1
#endif
#if __has_include("effects/EffectPoisonAll2.h")
#include "effects/EffectPoisonAll2.h"
#define HAS_EFFECT_POISON_ALL2 1
#endif

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
#ifdef HAS_EFFECT_PHYSICAL
    RegisterBattleEffect("CBattleEffect_Arrow", [](const BattleEffectArgs& a) -> CBattleEffectBase* {
        return new CBattleEffect_Arrow(a.start, a.caster, a.target, a.keyframeId, a.first);
    });
    RegisterBattleEffect("CBattleEffect_Spear", [](const BattleEffectArgs& a) -> CBattleEffectBase* {
        return new CBattleEffect_Spear(a.start, a.caster, a.target, a.keyframeId, a.first);
    });
    RegisterBattleEffect("CBattleEffect_Damage3", [](const BattleEffectArgs& a) -> CBattleEffectBase* {
        return new CBattleEffect_Damage3(a.start, a.caster, a.target);
    });
#endif
#ifdef HAS_EFFECT_MAGIC_CIRCLE
    RegisterBattleEffect("CBattleEffect_MagicCircle1", [](const BattleEffectArgs& a) -> CBattleEffectBase* {
        return new CBattleEffect_MagicCircle1(a.start, a.caster);
    });
#endif
#ifdef HAS_EFFECT_BEAM
    RegisterBattleEffect("CBattleEffect_Beam4", Single<CBattleEffect_Beam4>);
    RegisterBattleEffect("CBattleEffect_Beam4b", Single<CBattleEffect_Beam4b>);
    RegisterBattleEffect("CBattleEffect_Beam5", Single<CBattleEffect_Beam5>);
#endif
#ifdef HAS_EFFECT_THUNDER
    RegisterBattleEffect("CBattleEffect_Thunder1", Single<CBattleEffect_Thunder1>);
    RegisterBattleEffect("CBattleEffect_Beam3", Single<CBattleEffect_Beam3>);
#endif
#ifdef HAS_EFFECT_DARK_LIGHT
    RegisterBattleEffect("CBattleEffect_Dark1", Single<CBattleEffect_Dark1>);
    RegisterBattleEffect("CBattleEffect_Light1", Single<CBattleEffect_Light1>);
    RegisterBattleEffect("CBattleEffect_Poison1", Single<CBattleEffect_Poison1>);
#endif
#ifdef HAS_EFFECT_RECOVER
    RegisterBattleEffect("CBattleEffect_Recover1", Single<CBattleEffect_Recover1>);
    RegisterBattleEffect("CBattleEffect_Recover2", Single<CBattleEffect_Recover2>);
    RegisterBattleEffect("CBattleEffect_Recover3", Single<CBattleEffect_Recover3>);
#endif
#ifdef HAS_EFFECT_COMPOSITE
    RegisterBattleEffect("CBattleEffect_DarkLightAll1", [](const BattleEffectArgs& a) -> CBattleEffectBase* {
        return new CBattleEffect_DarkLightAll1(a.start, a.caster, a.targets, a.hits, a.flag != 0);
    });
    RegisterBattleEffect("CBattleEffect_PoisonAll1", Area<CBattleEffect_PoisonAll1>);
    RegisterBattleEffect("CBattleEffect_RecoverAll1", CasterArea<CBattleEffect_RecoverAll1>);
#endif
#ifdef HAS_EFFECT_ELEMENT_ALL
    RegisterBattleEffect("CBattleEffect_FireAll1", CasterArea<CBattleEffect_FireAll1>);
    RegisterBattleEffect("CBattleEffect_WaterAll1", CasterArea<CBattleEffect_WaterAll1>);
    RegisterBattleEffect("CBattleEffect_ThunderAll1", CasterArea<CBattleEffect_ThunderAll1>);
#endif
#ifdef HAS_EFFECT_ROCK_BLADE
    RegisterBattleEffect("CBattleEffect_RockAll1", Area<CBattleEffect_RockAll1>);
    RegisterBattleEffect("CBattleEffect_BladeAll1", Area<CBattleEffect_BladeAll1>);
#endif
#ifdef HAS_EFFECT_DARK_ALL5
    RegisterBattleEffect("CBattleEffect_DarkAll5", Area<CBattleEffect_DarkAll5>);
#endif
#ifdef HAS_EFFECT_DARK_LIGHT_CANNON
    RegisterBattleEffect("CBattleEffect_DarkLightAll2", Cannon<CBattleEffect_DarkLightAll2>);
    RegisterBattleEffect("CBattleEffect_DarkLightAll3", Cannon<CBattleEffect_DarkLightAll3>);
    RegisterBattleEffect("CBattleEffect_DarkLightAll4", Cannon<CBattleEffect_DarkLightAll4>);
#endif
#ifdef HAS_EFFECT_POISON_ALL2
    RegisterBattleEffect("CBattleEffect_PoisonAll2", Area<CBattleEffect_PoisonAll2>);
#endif
}
