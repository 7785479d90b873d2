#pragma once
// Owns every effect of the running battle cut-in: advances them, removes the
// finished ones, gathers the attack results they release at their hit frames,
// dims the stage while darkening effects play, and draws them with their particle
// requests sorted far to near.
#include <cstdint>
#include <vector>

#include "effects/BattleEffectBase.h"

class CBattleEffectController {
public:
    static constexpr uint32_t kTintStep = 0x03000000;
    static constexpr uint32_t kTintMax = 0x60000000;

    CBattleEffectController() = default;
    virtual ~CBattleEffectController();
    CBattleEffectController(const CBattleEffectController&) = delete;
    CBattleEffectController& operator=(const CBattleEffectController&) = delete;

    // Takes ownership; the effect's own start frame decides when it begins.
    void AddEffect(CBattleEffectBase* effect);
    // One step at the battle frame: updates the live effects, deletes the finished
    // ones, collects their results and moves the stage tint.
    void Update(int frame);
    // Moves the collected results to the front of `out` (in their order) and empties
    // the controller's list.
    void TakeHits(std::vector<AttackResult>& out);
    // Draws every live effect, then their particle requests far to near.
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame);
    // Deletes every effect.
    void Clear();
    // Moves e's released results to the front of `destination` and empties e's list.
    static void CollectHits(CBattleEffectBase* effect, std::vector<AttackResult>& destination);

    uint32_t GetTint() const { return m_dwTint; }
    uint32_t GetFlash() const { return m_dwFlash; }
    const std::vector<CBattleEffectBase*>& GetEffects() const { return m_vEffects; }
    const std::vector<AttackResult>& GetHits() const { return m_vHits; }
    // The particles of the last Draw, in the order the effects appended them.
    const ParticleList& GetLastParticles() const { return m_vParticles; }

private:
    void ScreenTint(int frame);

    std::vector<CBattleEffectBase*> m_vEffects;  // owned, in the order added
    uint32_t m_dwTint = 0;                       // stage dimming colour, alpha = strength
    uint32_t m_dwFlash = 0;                      // the flash colour requested this frame
    std::vector<AttackResult> m_vHits;
    ParticleList m_vParticles;                   // reused by every Draw
    std::vector<std::pair<float, uint32_t>> m_vOrder;  // depth and index of each particle
};
