#pragma once
// Single-target dark, light and poison spells: a ball flies to the target and
// bursts into eight expanding rings, or a cloud of dark puffs gathers and sinks.
#include <string>
#include <vector>

#include "effects/BattleEffectBase.h"

class CBattleEffect_Dark1 : public CBattleEffectBase {
public:
    static constexpr int kHitFrame = 45;
    static constexpr int kLastFrame = 120;
    static constexpr int kRings = 8;

    CBattleEffect_Dark1(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                        const AttackResult& result);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    float GetBallSize() const { return m_fBallSize; }
    const vm::Matrix& GetBallMatrix() const { return m_BallMatrix; }
    int GetRingAge(int i) const { return m_nRingAge[i]; }
    const std::string& GetTextureName() const { return m_strTexture; }
    uint32_t GetRingColour() const { return m_dwRingColour; }

protected:
    const vm::Matrix* m_pAttacker = nullptr;
    const vm::Matrix* m_pTarget = nullptr;
    vm::Matrix m_BallMatrix;
    vm::Matrix m_RingMatrix[kRings];
    float m_fBallSize = 0.8f;
    int m_nRingAge[kRings] = {};
    std::string m_strTexture = "DarkBall";
    uint32_t m_dwRingColour = 0x000000;
};

class CBattleEffect_Light1 : public CBattleEffect_Dark1 {
public:
    CBattleEffect_Light1(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                         const AttackResult& result);
};

struct PoisonPuff {
    float x = 0, y = 0, z = 0;
    int age = 0;
    float scale = 0;
    uint8_t alpha = 0;
};

class CBattleEffect_Poison1 : public CBattleEffectBase {
public:
    static constexpr int kHitFrame = 90;
    static constexpr int kLastFrame = 100;

    CBattleEffect_Poison1(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                          const AttackResult& result);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    const std::vector<PoisonPuff>& GetPuffs() const { return m_vPuffs; }

private:
    std::vector<PoisonPuff> m_vPuffs;
    const vm::Matrix* m_pAttacker = nullptr;  // may be null; not read
    const vm::Matrix* m_pTarget = nullptr;
};
