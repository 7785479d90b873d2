#pragma once
// Two streams of black poison smoke circle the target side in opposite directions
// and sink; then dark green puffs burst out of every target and fall.
#include <vector>

#include "effects/BattleEffectBase.h"

struct PoisonOrbitPuff {
    float x = 0, y = 0, z = 0;
    int age = 0;
    float size = 0;
    uint8_t alpha = 0;
};

struct PoisonBurstPuff {
    float x = 0, y = 0, z = 0;
    int age = 0;
    float size = 0;
    uint8_t alpha = 0;
    float heading = 0;
    float groundSpeed = 0;
    float verticalSpeed = 0;
};

class CBattleEffect_PoisonAll2 : public CBattleEffectBase {
public:
    static constexpr int kHitFrame = 120;
    static constexpr int kBurstFrame = 150;
    static constexpr int kLastFrame = 210;

    CBattleEffect_PoisonAll2(int startFrame, const std::vector<const vm::Matrix*>& targets,
                             const std::vector<AttackResult>& results);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    const std::vector<PoisonOrbitPuff>& GetOrbit() const { return m_vOrbit; }
    const std::vector<PoisonBurstPuff>& GetBurst() const { return m_vBurst; }

private:
    std::vector<PoisonOrbitPuff> m_vOrbit;
    std::vector<PoisonBurstPuff> m_vBurst;
    std::vector<const vm::Matrix*> m_vTargetMatrices;
};
