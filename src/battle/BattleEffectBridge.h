#pragma once
// The battle-effect controller and base that the battle plugs its effects into.
#include <cstdint>
#include <vector>

#include "FieldRules.h"
#include "gfx/device.h"
#include "gfx/effect.h"
#include "math/vmath.h"

#if __has_include("effects/BattleEffectController.h")  // BRIDGE
#include "effects/BattleEffectBase.h"
#include "effects/BattleEffectController.h"
#define VORMANT_BATTLE_EFFECTS 1
inline uint32_t GetStageTint(const CBattleEffectController& c) { return c.GetTint(); }
#else
// BRIDGE: a bare stand-in until the effect controller is there; it runs effects
// and passes their results on, without particles or dimming.
#define VORMANT_BATTLE_EFFECTS 0
struct CAddDraw_Particle {};
using ParticleList = std::vector<CAddDraw_Particle>;

class CBattleEffectBase {
public:
    virtual ~CBattleEffectBase() = default;
    virtual void Update(int frame) = 0;
    virtual void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject,
                      const vm::Matrix* base, int frame, ParticleList& particles) = 0;
    std::vector<AttackResult> hits;
    bool alive = true;
    bool darkens = true;
    int32_t startFrame = 0;
};

class CBattleEffectController {
public:
    virtual ~CBattleEffectController() { Clear(); }
    void AddEffect(CBattleEffectBase* effect) {
        if (effect) effects.push_back(effect);
    }
    void Update(int frame) {
        for (size_t i = 0; i < effects.size();) {
            if (!effects[i]->alive) {
                delete effects[i];
                effects.erase(effects.begin() + long(i));
                continue;
            }
            effects[i]->Update(frame);
            hits.insert(hits.begin(), effects[i]->hits.begin(), effects[i]->hits.end());
            effects[i]->hits.clear();
            ++i;
        }
    }
    void TakeHits(std::vector<AttackResult>& out) {
        out.insert(out.begin(), hits.begin(), hits.end());
        hits.clear();
    }
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame) {
        ParticleList particles;
        for (CBattleEffectBase* e : effects)
            if (e->alive) e->Draw(device, shaders, shaderObject, base, frame, particles);
    }
    void Clear() {
        for (CBattleEffectBase* e : effects) delete e;
        effects.clear();
    }
    std::vector<CBattleEffectBase*> effects;
    uint32_t tint = 0;
    std::vector<AttackResult> hits;
    uint32_t GetTint() const { return tint; }
};
inline uint32_t GetStageTint(const CBattleEffectController& c) { return c.GetTint(); }
#endif
