// The casting aura.
#include "effects/EffectMagicCircle.h"

#include <cmath>

#include "Draw/gvlD3DObjectBase.h"
#include "app/AppUtil.h"
#include "resources/GlobalResources.h"

CBattleEffect_MagicCircle1::CBattleEffect_MagicCircle1(int startFrame, const vm::Matrix* caster) : m_pCaster(caster) {
    m_nStartFrame = startFrame;
    m_bDarkens = false;
}

void CBattleEffect_MagicCircle1::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 0) return;
    if (rel == 0) g_GlobalResources.PlaySoundEffect("warp02");

    const vm::Vec3 c = m_pCaster ? GetMatrixTranslation(*m_pCaster) : vm::Vec3{};
    const float top = static_cast<float>(Clamp(0.04 * rel, 2.0, 0));
    uint32_t bottomAlpha = 0x7F;
    if (rel > 90) bottomAlpha = static_cast<uint32_t>(Clamp(1477.0 - 15.0 * rel, 127, 0));
    for (int curtain = 0; curtain < 2; ++curtain) {
        const double sign = curtain == 0 ? -1.0 : 1.0;
        std::vector<Vertex3D>& v = m_Curtains[curtain].m_vertices;
        v.clear();
        for (int k = 0; k < kVertices; ++k) {
            const int i = k / 2;
            const double angle = (i / 20.0) * 6.28318530717958 * sign;
            Vertex3D p;
            p.x = static_cast<float>(c.x + 0.7 * std::cos(angle));
            p.y = static_cast<float>(c.y + 0.7 * std::sin(angle));
            p.nz = 1.0f;
            p.specular = 0xFFFFFFFF;
            if (k % 2 == 0) {
                p.z = top;  // the top edge fades to nothing
                p.diffuse = 0x00FFFFFF;
            } else {
                p.z = 0.0f;
                p.diffuse = (bottomAlpha << 24) | 0xFFFFFF;
            }
            v.push_back(p);
        }
    }
    if (rel > kLastFrame) m_bAlive = false;
}

void CBattleEffect_MagicCircle1::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*,
                                      int frame, ParticleList&) {
    if (frame - m_nStartFrame < 0 || !device || m_Curtains[0].m_vertices.empty()) return;
    SetEffectStates(device, gfx::BLEND_SRCALPHA, gfx::BLEND_ONE);
    device->SetTexture(0, nullptr);
    const vm::Matrix identity;
    m_Curtains[0].Draw(identity);
    m_Curtains[1].Draw(identity);
    device->SetRenderState(gfx::RS_LIGHTING, 1);
    device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
}
