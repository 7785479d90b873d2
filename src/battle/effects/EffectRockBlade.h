#pragma once
// Rocks rolling over the target side, and whirling blade discs with slashes on
// every target; all targets are hit on one frame.
#include <vector>

#include "effects/BattleEffectBase.h"

struct FallingRock {
    bool alive = false;
    int age = 0;
    uint8_t alpha = 255;
    float scale = 1;
    float angle = 0;       // about the x axis
    float vz = 0;          // vertical speed per update
    float vy = 0.08f;      // drift along y per update
    float gravity = -0.005f;
    bool bounced = false;
    float x = 0, y = 0, z = 0;
};

class CBattleEffect_RockAll1 : public CBattleEffectBase {
public:
    static constexpr int kHitFrame = 40;
    static constexpr int kLastFrame = 120;

    CBattleEffect_RockAll1(int startFrame, const std::vector<const vm::Matrix*>& targets,
                           const std::vector<AttackResult>& results);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    const std::vector<FallingRock>& GetRocks() const { return m_vRocks; }

private:
    std::vector<FallingRock> m_vRocks;
    std::vector<const vm::Matrix*> m_vTargetMatrices;
};

struct BladeDisc {
    float spin = 0, tilt = 0;
    float size = 0;
    float fade = 0;
    vm::Vec3 velocity;
    int age = 0;
};

struct BladeSlash {
    int age = 0;
    float width = 0, height = 0;
    float angle = 0;
    float fade = 0;
    vm::Vec3 offset;
};

class CBattleEffect_BladeAll1 : public CBattleEffectBase {
public:
    static constexpr int kHitFrame = 32;
    static constexpr int kLastFrame = 130;
    static constexpr uint32_t kSeed = 1000;

    // Reseeds the generator: the blades fly the same way every time.
    CBattleEffect_BladeAll1(int startFrame, const std::vector<const vm::Matrix*>& targets,
                            const std::vector<AttackResult>& results);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    const std::vector<BladeSlash>& GetSlashes() const { return m_vSlashes; }
    const std::vector<BladeDisc>& GetDiscs() const { return m_vDiscs; }

private:
    std::vector<BladeSlash> m_vSlashes;
    std::vector<BladeDisc> m_vDiscs;
    std::vector<const vm::Matrix*> m_vTargetMatrices;
};
