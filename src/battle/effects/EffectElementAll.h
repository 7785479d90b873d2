#pragma once
// Fire, water and thunder over the whole target side; every target is hit on
// the same frame.
#include <vector>

#include "effects/BattleEffectBase.h"
#include "effects/EffectThunder.h"

// A fire flame or a water drop.
struct ElementParticle {
    bool alive = false;
    int age = 0;
    uint8_t alpha = 0;
    float speed = 0;  // rise per update of a flame, extra fall of a drop
    float scale = 0;
    float x = 0, y = 0, z = 0;
};
// A flame at (x, y, z) rising at a drawn speed (one draw of the generator).
ElementParticle MakeFlame(float x, float y, float z);
// One step of a flame; false once it has burnt out.
bool UpdateFlame(ElementParticle& p);

// The shared layout of the area effects: the caster and one matrix per target.
class CBattleEffect_AreaBase : public CBattleEffectBase {
public:
    static constexpr int kLastFrame = 200;
    const std::vector<ElementParticle>& GetParticles() const { return m_vParticles; }

protected:
    CBattleEffect_AreaBase(int startFrame, const vm::Matrix* attacker, const std::vector<const vm::Matrix*>& targets,
                           const std::vector<AttackResult>& results);
    // Erases the records whose alive flag is clear, keeping the others' order.
    void RemoveDead();

    std::vector<ElementParticle> m_vParticles;
    const vm::Matrix* m_pAttacker = nullptr;
    std::vector<const vm::Matrix*> m_vTargetMatrices;
};

class CBattleEffect_FireAll1 : public CBattleEffect_AreaBase {
public:
    static constexpr int kHitFrame = 30;
    CBattleEffect_FireAll1(int startFrame, const vm::Matrix* attacker, const std::vector<const vm::Matrix*>& targets,
                           const std::vector<AttackResult>& results)
        : CBattleEffect_AreaBase(startFrame, attacker, targets, results) {}
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;
};

class CBattleEffect_WaterAll1 : public CBattleEffect_AreaBase {
public:
    static constexpr int kHitFrame = 100;
    CBattleEffect_WaterAll1(int startFrame, const vm::Matrix* attacker, const std::vector<const vm::Matrix*>& targets,
                            const std::vector<AttackResult>& results)
        : CBattleEffect_AreaBase(startFrame, attacker, targets, results) {}
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;
};

class CBattleEffect_ThunderAll1 : public CBattleEffectBase {
public:
    static constexpr int kHitFrame = 20;
    static constexpr int kLastFrame = 200;

    CBattleEffect_ThunderAll1(int startFrame, const vm::Matrix* attacker,
                              const std::vector<const vm::Matrix*>& targets, const std::vector<AttackResult>& results);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    const std::vector<ThunderSpark>& GetSparks() const { return m_vSparks; }
    bool IsFlashing() const { return m_bFlash; }

private:
    std::vector<ThunderSpark> m_vSparks;
    bool m_bFlash = false;
    const vm::Matrix* m_pAttacker = nullptr;
    std::vector<const vm::Matrix*> m_vTargetMatrices;
};
