#pragma once
// The dark-and-light area spells of the cannon volleys: a spinning band with
// rising spark columns and halo waves; magic circles gliding to every target with
// flames; sparks spiralling in with a white flash.
#include <vector>

#include "effects/BattleEffectBase.h"
#include "effects/EffectElementAll.h"

struct RisingSpark {
    vm::Vec3 start;
    uint8_t alive = 0;
    float d = 0;  // delay clock: not drawn while below 0
    uint8_t drawnAlpha = 0;
    uint8_t baseAlpha = 0;
    float size = 0;
    vm::Vec3 drawn;
};

struct HaloRing {
    int age = 0;
    uint8_t alive = 0;
    float size = 0;
    uint8_t alpha = 0;
    float x = 0, y = 0, z = 0;
};

struct MagicCircleMarker {
    vm::Vec3 current, goal;
    uint8_t alive = 0;
    int age = 0;
    uint8_t alpha = 0;
    float size = 2.0f;
    float spin = 0;
};

struct GatherSpark {
    uint8_t alive = 0;
    int age = 0;
    int lifetime = 0;
    uint8_t alpha = 255;
    float size = 0;
    vm::Vec3 current, outer, inner;
};

// The layout the three share: the target matrices and the look (1 dark, 0 light).
class CBattleEffect_CannonAreaBase : public CBattleEffectBase {
public:
    uint8_t GetLook() const { return m_byLook; }

protected:
    CBattleEffect_CannonAreaBase(int startFrame, const std::vector<const vm::Matrix*>& targets,
                                 const std::vector<AttackResult>& results, uint8_t look);
    std::vector<const vm::Matrix*> m_vTargetMatrices;
    uint8_t m_byLook = 0;
};

class CBattleEffect_DarkLightAll2 : public CBattleEffect_CannonAreaBase {
public:
    static constexpr int kHitFrame = 100;
    static constexpr int kLastFrame = 120;

    CBattleEffect_DarkLightAll2(int startFrame, const std::vector<const vm::Matrix*>& targets,
                                const std::vector<AttackResult>& results, uint8_t look);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    const std::vector<RisingSpark>& GetSparks() const { return m_vSparks; }
    const std::vector<HaloRing>& GetHalos() const { return m_vHalos; }
    const CD3DDraw3DPolygons& GetBand() const { return m_Band; }

private:
    std::vector<RisingSpark> m_vSparks;
    std::vector<HaloRing> m_vHalos;
    CD3DDraw3DPolygons m_Band;
};

class CBattleEffect_DarkLightAll3 : public CBattleEffect_CannonAreaBase {
public:
    static constexpr int kHitFrame = 30;
    static constexpr int kLastFrame = 130;

    CBattleEffect_DarkLightAll3(int startFrame, const std::vector<const vm::Matrix*>& targets,
                                const std::vector<AttackResult>& results, uint8_t look);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    const std::vector<ElementParticle>& GetFlames() const { return m_vFlames; }
    const std::vector<MagicCircleMarker>& GetMarkers() const { return m_vMarkers; }

private:
    std::vector<ElementParticle> m_vFlames;
    std::vector<MagicCircleMarker> m_vMarkers;
};

class CBattleEffect_DarkLightAll4 : public CBattleEffect_CannonAreaBase {
public:
    static constexpr int kHitFrame = 100;
    static constexpr int kLastFrame = 130;

    CBattleEffect_DarkLightAll4(int startFrame, const std::vector<const vm::Matrix*>& targets,
                                const std::vector<AttackResult>& results, uint8_t look);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    const std::vector<GatherSpark>& GetSparks() const { return m_vSparks; }

private:
    std::vector<GatherSpark> m_vSparks;
};
