#pragma once
// Travelling spells: a glowing head flies from the caster to the target and impact
// rings open in front of the target.
#include <vector>

#include "effects/BattleEffectBase.h"

struct BeamSpark {
    uint8_t alive = 0;
    int age = 0;
    float size = 0;
    float fade = 0;
    vm::Vec3 position, origin, direction;
};

class CBattleEffect_Beam4 : public CBattleEffectBase {
public:
    static constexpr int kHitFrame = 30;
    static constexpr int kLastFrame = 90;

    CBattleEffect_Beam4(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                        const AttackResult& result);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;
    // Places the head for the current relative frame.
    virtual void UpdateHead();

    vm::Vec3 GetHead() const { return m_vHead; }
    vm::Vec3 GetEnd() const { return m_vEnd; }
    const std::vector<BeamSpark>& GetSparks() const { return m_vSparks; }

protected:
    float HeadParameter() const;

    std::vector<BeamSpark> m_vSparks;
    vm::Vec3 m_vStart, m_vEnd;
    vm::Vec3 m_vHead;
    int m_nTravelFrames = 30;
    vm::Vec3 m_vRingPoint;
    int m_nRingDelay = 25;
    const vm::Matrix* m_pAttacker = nullptr;
    const vm::Matrix* m_pTarget = nullptr;
    bool m_bPointsSet = false;
};

// The same with a head that swings out sideways and up before it arrives.
class CBattleEffect_Beam4b : public CBattleEffect_Beam4 {
public:
    using CBattleEffect_Beam4::CBattleEffect_Beam4;
    void UpdateHead() override;
};

struct OrbitSpark {
    float size = 0;
    float fade = 0;
    float angleY = 0, angleZ = 0;
    float spin = 0;
    int counter = 0;
};

struct BurstRay {
    float width = 0;
    float length = 0;
    float angleZ = 0, angleY = 0;
    float fade = 0;
    float innerOffset = 0;
    int counter = 0;
};

class CBattleEffect_Beam5 : public CBattleEffectBase {
public:
    static constexpr int kHitFrame = 50;
    static constexpr int kLastFrame = 90;

    CBattleEffect_Beam5(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                        const AttackResult& result);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    vm::Vec3 GetHead() const { return m_vHead; }
    const std::vector<OrbitSpark>& GetOrbitSparks() const { return m_vOrbit; }
    const std::vector<BurstRay>& GetRays() const { return m_vRays; }

private:
    std::vector<OrbitSpark> m_vOrbit;
    std::vector<BurstRay> m_vRays;
    vm::Vec3 m_vStart, m_vEnd, m_vHead;
    int m_nTravelFrames = 50;
    vm::Vec3 m_vRingPoint;
    const vm::Matrix* m_pAttacker = nullptr;
    const vm::Matrix* m_pTarget = nullptr;
    bool m_bPointsSet = false;
};
