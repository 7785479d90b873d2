// Healing lights.
#include "effects/EffectRecover.h"

#include <cmath>
#include <cstdlib>

#include "Draw/gvlD3DObjectBase.h"
#include "random/gvlRand.h"

const RecoverLook CBattleEffect_Recover1::kLook{3, 0.6f, "RecoverFlare", 0xC8FF00, 100};
const RecoverLook CBattleEffect_Recover2::kLook{5, 4.0f, "LensFlare1", 0xC896FF, 100};
const RecoverLook CBattleEffect_Recover3::kLook{5, 4.0f, "ball4", 0xC896FF, 120};

CBattleEffect_RecoverCommon::CBattleEffect_RecoverCommon(const RecoverLook& look, int startFrame,
                                                         const vm::Matrix* caster, const vm::Matrix* target,
                                                         const AttackResult& result)
    : m_Look(look), m_pCaster(caster), m_pTarget(target) {
    m_nStartFrame = startFrame;
    m_vTargets.push_back(result);
}

void CBattleEffect_RecoverCommon::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 0) return;

    // The chance is drawn every frame, also once the sprites have stopped coming.
    const bool spawn = g_Rand.Get() % m_Look.chance == 0;
    if (spawn && rel < kSpawnFrames && m_pTarget) {
        const vm::Vec3 p = GetMatrixTranslation(*m_pTarget);
        const vm::Vec3 e = BattleEye;
        const double len = vm::Length(p - e);
        const double k = len > 0.0 ? (len - 0.4) / len : 0.0;
        const double bx = e.x + (p.x - e.x) * k, by = e.y + (p.y - e.y) * k;
        const double a = AngleOfXY(e.x - p.x, e.y - p.y) + 1.570796326794895;
        const double r = RandUnit() * 0.8 - 0.4;
        const double dx = r * std::cos(a);
        RecoverParticle s;
        s.x = static_cast<float>(bx + dx);
        s.y = static_cast<float>(by + dx * std::tan(a));
        s.spin = static_cast<float>(RandUnit() * kEffectPi);
        s.z = static_cast<float>(RandUnit() + 0.5);
        s.age = 0;
        s.size = m_Look.size;
        s.alpha = 255;
        m_vSprites.push_back(s);
    }

    for (size_t i = 0; i < m_vSprites.size();) {
        RecoverParticle& s = m_vSprites[i];
        s.alpha = static_cast<uint8_t>(255 - (std::abs(255 - 16 * s.age) % 256));
        ++s.age;
        if (s.age > 32)
            m_vSprites.erase(m_vSprites.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }

    if (rel == kHitFrame) ReleaseTarget(0);
    if (rel > m_Look.endFrame) m_bAlive = false;
}

void CBattleEffect_RecoverCommon::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*,
                                       int frame, ParticleList&) {
    if (frame - m_nStartFrame < 0 || !device) return;
    SetEffectStates(device, gfx::BLEND_SRCALPHA, gfx::BLEND_ONE);
    SetEffectTexture(device, m_Look.texture);
    const vm::Matrix billboard = MakeBillboardMatrix(device);
    CD3DDraw3DPolygons poly;
    for (const RecoverParticle& s : m_vSprites) {
        const vm::Matrix world = vm::Translation(-s.size / 2, -s.size / 2, 0) * vm::RotationZ(s.spin) *
                                 (billboard * vm::Translation(s.x, s.y, s.z));
        DrawFlippedSquare(poly, s.size, s.size, (uint32_t(s.alpha) << 24) + m_Look.rgb, world);
    }
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
}
