// The dark area spell with falling rings and rising smoke.
#include "effects/EffectDarkAll5.h"

#include <algorithm>
#include <cmath>

#include "Draw/gvlD3DObjectBase.h"
#include "app/AppUtil.h"
#include "random/gvlRand.h"

CBattleEffect_DarkAll5::CBattleEffect_DarkAll5(int startFrame, const std::vector<const vm::Matrix*>& targets,
                                               const std::vector<AttackResult>& results)
    : m_vTargetMatrices(targets) {
    m_nStartFrame = startFrame;
    m_vTargets = results;
    g_Rand.SetSeed(kSeed);
}

void CBattleEffect_DarkAll5::Update(int frame) {
    const int r = frame - m_nStartFrame;
    m_nRelFrame = r;
    if (r < 0) return;
    if (r < 20 && r % 5 == 0)
        for (int i = 0; i < 12; ++i) {
            DarkRingSpark s;
            s.angle = i * kEffectPiF / 6;
            s.reverse = r % 10 == 0 ? 1 : 0;
            m_vRing.push_back(s);
        }
    for (DarkRingSpark& s : m_vRing) {
        s.angle += s.reverse ? -1.0f : 1.0f;
        const int a = s.age;
        const double scale = 0.5 + a * 0.5 / 60;
        s.x = static_cast<float>(5.0 * std::cos(s.angle) * scale);
        s.y = static_cast<float>(2.5 * std::sin(s.angle) * scale + 1.5);
        s.z = static_cast<float>(3.0 - 0.035 * a);
        s.alpha = static_cast<float>(Clamp(std::min((60 - a) / 15.0, a / 30.0), 1, 0));
        ++s.age;
    }
    m_vRing.erase(std::remove_if(m_vRing.begin(), m_vRing.end(), [](const DarkRingSpark& s) { return s.age > 60; }),
                  m_vRing.end());
    if (r == 50)
        for (int i = 0; i < 50; ++i) {
            const double phi = RandUnit() * 2 * kEffectPi - kEffectPi;
            const double sx = 5.0 * std::cos(phi), sy = 2.5 * std::sin(phi);
            const double lift = 0.5 + RandUnit() * 0.5;
            const double k = RandUnit();
            DarkSmokePuff p;
            p.x = static_cast<float>(k * sx);
            p.y = static_cast<float>(k * sy + 1.5);
            p.z = static_cast<float>(lift);
            p.rise = static_cast<float>(0.02 + RandUnit() * 0.02);
            m_vSmoke.push_back(p);
        }
    size_t out = 0;
    for (size_t i = 0; i < m_vSmoke.size(); ++i) {
        DarkSmokePuff& p = m_vSmoke[i];
        p.z += p.rise;
        p.alpha = static_cast<float>(Clamp(std::min((40 - p.age) / 35.0, p.age / 15.0), 1, 0));
        p.size = 1.0f + 0.1f * p.age;
        if (p.age > 40) continue;
        ++p.age;
        m_vSmoke[out++] = p;
    }
    m_vSmoke.resize(out);
    if (r == kHitFrame) ReleaseTargets(m_vTargetMatrices.size());
    if (r > kLastFrame) m_bAlive = false;
}

void CBattleEffect_DarkAll5::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*,
                                  int frame, ParticleList&) {
    if (frame - m_nStartFrame < 0 || !device) return;
    SetEffectStates(device, gfx::BLEND_SRCALPHA, gfx::BLEND_INVSRCALPHA);
    SetEffectTexture(device, "cloud1");
    const vm::Matrix flipped = MakeFlippedBillboardMatrix(device);
    CD3DDraw3DPolygons poly;
    for (const DarkSmokePuff& p : m_vSmoke) {
        poly.SetSquare(p.size, p.size, uint32_t(AlphaByte(p.alpha)) << 24, 0.0f);
        poly.Draw(CentredBillboard(flipped, p.size, vm::Vec3{p.x, p.y, p.z}));
    }
    device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ONE);
    SetEffectTexture(device, "LightBall2");
    for (const DarkRingSpark& s : m_vRing) {
        poly.SetSquare(s.size, s.size, (uint32_t(AlphaByte(s.alpha)) << 24) | 0xFFFFFF, 0.0f);
        poly.Draw(CentredBillboard(flipped, s.size, vm::Vec3{s.x, s.y, s.z}));
    }
    device->SetRenderState(gfx::RS_LIGHTING, 1);
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
}
