#pragma once
// A lightning strike with a shower of sparks, and a stream of droplets sprayed
// from the caster through the target.
#include <vector>

#include "effects/BattleEffectBase.h"

struct ThunderSpark {
    uint8_t alive = 0;
    int age = 0;
    uint8_t alpha = 0;
    float heading = 0;  // radians
    float rise = 0;     // vertical speed per update
    float size = 0;
    float x = 0, y = 0, z = 0;
};
// A spark jittered about (x0, y0, z0); five draws of the generator.
ThunderSpark MakeThunderSpark(float x0, float y0, float z0);
// One step; false once the spark has faded out.
bool UpdateThunderSpark(ThunderSpark& s);

// The bolt: a camera-facing square 2 wide and 4 high, centred 2 above (x, y).
void DrawThunderBolt(gfx::Device* device, float x, float y);
// Every spark as an additive camera-facing square of texture "ball2".
void DrawThunderSparks(gfx::Device* device, const std::vector<ThunderSpark>& sparks);

class CBattleEffect_Thunder1 : public CBattleEffectBase {
public:
    static constexpr int kHitFrame = 20;
    static constexpr int kLastFrame = 200;

    CBattleEffect_Thunder1(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                           const AttackResult& result);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    const std::vector<ThunderSpark>& GetSparks() const { return m_vSparks; }
    bool IsBoltVisible() const { return m_bBoltVisible; }

private:
    std::vector<ThunderSpark> m_vSparks;
    const vm::Matrix* m_pAttacker = nullptr;
    const vm::Matrix* m_pTarget = nullptr;
    bool m_bBoltVisible = false;
};

struct StreamDroplet {
    uint8_t alive = 0;
    int age = 0;
    uint8_t alpha = 0;
    float size = 0;
    vm::Vec3 position, origin, velocity;
};

class CBattleEffect_Beam3 : public CBattleEffectBase {
public:
    static constexpr int kHitFrame = 30;
    static constexpr int kLastFrame = 90;
    static constexpr int kLastDroplet = 400;

    CBattleEffect_Beam3(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                        const AttackResult& result);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    const std::vector<StreamDroplet>& GetDroplets() const { return m_vDroplets; }
    int GetDropletsMade() const { return m_nMade; }

private:
    std::vector<StreamDroplet> m_vDroplets;
    vm::Vec3 m_vStart, m_vEnd;
    const vm::Matrix* m_pAttacker = nullptr;
    const vm::Matrix* m_pTarget = nullptr;
    int m_nMade = 0;
};
