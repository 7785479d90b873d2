#pragma once
// Rings of light sparks spiral down around the target side, then black smoke rises
// out of it; every target is hit at once.
#include <vector>

#include "effects/BattleEffectBase.h"

struct DarkRingSpark {
    int age = 0;
    uint8_t reverse = 0;  // 1: the angle decreases
    float angle = 0;
    float size = 0.4f;
    float alpha = 0;
    float x = 0, y = 0, z = 0;
};

struct DarkSmokePuff {
    float size = 0;
    float alpha = 0;
    float rise = 0;
    float x = 0, y = 0, z = 0;
    int age = 0;
};

class CBattleEffect_DarkAll5 : public CBattleEffectBase {
public:
    static constexpr int kHitFrame = 60;
    static constexpr int kLastFrame = 115;
    static constexpr uint32_t kSeed = 1400;

    // Reseeds the generator: the smoke rises the same way every time.
    CBattleEffect_DarkAll5(int startFrame, const std::vector<const vm::Matrix*>& targets,
                           const std::vector<AttackResult>& results);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    const std::vector<DarkRingSpark>& GetRingSparks() const { return m_vRing; }
    const std::vector<DarkSmokePuff>& GetSmoke() const { return m_vSmoke; }

private:
    std::vector<DarkRingSpark> m_vRing;
    std::vector<DarkSmokePuff> m_vSmoke;
    std::vector<const vm::Matrix*> m_vTargetMatrices;
};
