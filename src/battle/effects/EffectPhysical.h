#pragma once
// Physical attack effects: the flying arrow, the thrown spear and the spray of
// sparks where a physical blow lands.
#include "effects/BattleEffectBase.h"

class CBattleEffect_Arrow : public CBattleEffectBase {
public:
    // keyframeId: the attacker's keyframe base id plus its attack motion, which
    // chooses the release frame and the launch point.
    CBattleEffect_Arrow(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target, int keyframeId,
                        const AttackResult* result);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    int GetReleaseFrame() const { return m_nReleaseFrame; }
    vm::Vec3 GetReleaseOffset() const { return m_vReleaseOffset; }
    vm::Vec3 GetCurrent() const { return m_vCurrent; }
    bool IsVisible() const { return m_bVisible; }
    int GetMeshIndex() const { return m_nMeshIndex; }

protected:
    const vm::Matrix* m_pAttacker = nullptr;
    const vm::Matrix* m_pTarget = nullptr;
    vm::Vec3 m_vReleaseOffset;
    vm::Vec3 m_vStart, m_vEnd, m_vCurrent;
    int m_nReleaseFrame = 54;
    bool m_bVisible = false;
    int m_nMeshIndex = 0;
    bool m_bPointsSet = false;
};

class CBattleEffect_Spear : public CBattleEffect_Arrow {
public:
    CBattleEffect_Spear(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target, int keyframeId,
                        const AttackResult* result);
};

struct HitSpark {
    float x = 0, y = 0, z = 0;  // unit direction
    float size = 0;
};

class CBattleEffect_Damage3 : public CBattleEffectBase {
public:
    static constexpr int kSparks = 10;
    static constexpr int kLastFrame = 38;  // fully transparent afterwards

    CBattleEffect_Damage3(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    vm::Vec3 GetCentre() const { return m_vCentre; }
    const HitSpark* GetSparks() const { return m_Sparks; }

private:
    const vm::Matrix* m_pAttacker = nullptr;
    const vm::Matrix* m_pTarget = nullptr;
    vm::Vec3 m_vCentre;
    HitSpark m_Sparks[kSparks];
};
