#pragma once
// The casting aura: a ring-shaped curtain of white light around the caster that
// rises from the ground, holds and fades, with "warp02" as it starts.
#include "effects/BattleEffectBase.h"

class CBattleEffect_MagicCircle1 : public CBattleEffectBase {
public:
    static constexpr int kLastFrame = 100;
    static constexpr int kVertices = 42;

    CBattleEffect_MagicCircle1(int startFrame, const vm::Matrix* caster);
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    const CD3DDraw3DPolygons& GetCurtain(int i) const { return m_Curtains[i]; }

private:
    const vm::Matrix* m_pCaster = nullptr;
    CD3DDraw3DPolygons m_Curtains[2];
};
