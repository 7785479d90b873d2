#pragma once
// Healing lights: glowing sprites rise in a thin sheet between the camera and the
// healed member; the healing lands at relative frame 60.
#include <vector>

#include "effects/BattleEffectBase.h"

struct RecoverParticle {
    float x = 0, y = 0, z = 0;
    int age = 0;
    float size = 0;
    float spin = 0;
    uint8_t alpha = 0;
};

// What tells the three healing effects apart.
struct RecoverLook {
    uint32_t chance;      // one sprite in `chance` frames on average
    float size;           // edge of a sprite
    const char* texture;
    uint32_t rgb;
    int endFrame;         // alive until relative frame endFrame
};

class CBattleEffect_RecoverCommon : public CBattleEffectBase {
public:
    static constexpr int kHitFrame = 60;
    static constexpr int kSpawnFrames = 70;

    CBattleEffect_RecoverCommon(const RecoverLook& look, int startFrame, const vm::Matrix* caster,
                                const vm::Matrix* target, const AttackResult& result);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    const std::vector<RecoverParticle>& GetSprites() const { return m_vSprites; }

protected:
    RecoverLook m_Look;
    std::vector<RecoverParticle> m_vSprites;
    const vm::Matrix* m_pCaster = nullptr;
    const vm::Matrix* m_pTarget = nullptr;
};

class CBattleEffect_Recover1 : public CBattleEffect_RecoverCommon {
public:
    static const RecoverLook kLook;
    CBattleEffect_Recover1(int startFrame, const vm::Matrix* caster, const vm::Matrix* target,
                           const AttackResult& result)
        : CBattleEffect_RecoverCommon(kLook, startFrame, caster, target, result) {}
};

class CBattleEffect_Recover2 : public CBattleEffect_RecoverCommon {
public:
    static const RecoverLook kLook;
    CBattleEffect_Recover2(int startFrame, const vm::Matrix* caster, const vm::Matrix* target,
                           const AttackResult& result)
        : CBattleEffect_RecoverCommon(kLook, startFrame, caster, target, result) {}
};

class CBattleEffect_Recover3 : public CBattleEffect_RecoverCommon {
public:
    static const RecoverLook kLook;
    CBattleEffect_Recover3(int startFrame, const vm::Matrix* caster, const vm::Matrix* target,
                           const AttackResult& result)
        : CBattleEffect_RecoverCommon(kLook, startFrame, caster, target, result) {}
};
