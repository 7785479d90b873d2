#pragma once
// Effects are made by class name through one factory, and the tables below name the
// effect of a magic or cannon skill.  A member's magic (BattleMember::StartMagic),
// the cannon volleys (C_MeshController_Cannon::StartVolley) and the members'
// projectile and impact effects name the effect they want; a name the factory does
// not know writes one line to the error log and nothing is shown.
#include <string>
#include <vector>

#include "effects/BattleEffectBase.h"
#include "effects/BattleEffectController.h"

// Everything any effect constructor takes; each maker reads the part it needs.
struct BattleEffectArgs {
    int start = 0;                               // battle frame the effect begins at
    const vm::Matrix* caster = nullptr;          // acting member's world matrix
    const vm::Matrix* target = nullptr;          // single target's world matrix
    std::vector<const vm::Matrix*> targets;      // area targets' world matrices
    std::vector<AttackResult> hits;              // results the effect releases
    const AttackResult* first = nullptr;         // single-target result
    int keyframeId = 0;                          // projectile: the shooter's motion
    int flag = 0;                                // variant flag of some effects
};

using BattleEffectMaker = CBattleEffectBase* (*)(const BattleEffectArgs&);

// Adds or replaces the maker of a class name.
void RegisterBattleEffect(const std::string& name, BattleEffectMaker maker);
// Whether the factory can make the name.
bool IsBattleEffectKnown(const std::string& name);
// Every name the factory can make, in alphabetical order.
std::vector<std::string> BattleEffectNames();
// A new effect of that class, or null (an unknown name is logged once).
CBattleEffectBase* MakeBattleEffect(const std::string& name, const BattleEffectArgs& args);
// Makes the effect and hands it to the controller; false when nothing was made.
bool AddBattleEffect(CBattleEffectController& controller, const std::string& name, const BattleEffectArgs& args);

// The effect classes chosen by skill id.
// Single-target magic (category 4).
const char* SingleMagicEffectName(int skill);
// All-attack skills (category 5); *flag receives the variant flag.
const char* AreaEffectName(int skill, int* flag);
// Cannon volleys; *flag receives the variant flag.
const char* CannonEffectName(int skill, int* flag);

// Fills the factory with the effect classes built into the program (called by the
// factory before its first use).
void RegisterBuiltInBattleEffects();
