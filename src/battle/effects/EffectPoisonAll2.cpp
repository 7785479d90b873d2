// The poison area of the cannon volleys.
#include "effects/EffectPoisonAll2.h"

#include <algorithm>
#include <cmath>

#include "Draw/gvlD3DObjectBase.h"
#include "app/AppUtil.h"
#include "random/gvlRand.h"

CBattleEffect_PoisonAll2::CBattleEffect_PoisonAll2(int startFrame, const std::vector<const vm::Matrix*>& targets,
                                                   const std::vector<AttackResult>& results)
    : m_vTargetMatrices(targets) {
    m_nStartFrame = startFrame;
    m_vTargets = results;
}

void CBattleEffect_PoisonAll2::Update(int frame) {
    const int r = frame - m_nStartFrame;
    m_nRelFrame = r;
    if (r < 0) return;
    if (r < kBurstFrame)
        for (int stream = 0; stream < 2; ++stream) {
            const double jitter = 0.2 * RandUnit() - 0.1;
            const double a = jitter + (stream == 0 ? 0.07 * r : -0.07 * r) + kEffectPi;
            PoisonOrbitPuff p;
            p.x = static_cast<float>(4.0 * std::sin(a));
            p.y = static_cast<float>(1.5 * std::cos(a) + 2.5);
            p.z = static_cast<float>(2.0 + 0.5 * RandUnit());
            p.size = 1.0f;
            p.alpha = 255;
            m_vOrbit.push_back(p);
        }
    const double fade = Clamp(std::min(r / 20.0, (180 - r) / 60.0), 1, 0);
    size_t out = 0;
    for (size_t i = 0; i < m_vOrbit.size(); ++i) {
        PoisonOrbitPuff& p = m_vOrbit[i];
        const int a = p.age;
        p.z -= 0.02f;
        p.alpha = static_cast<uint8_t>(Clamp(std::min(a / 20.0, (50 - a) / 20.0), 1, 0) * 255 * fade);
        p.size = a / 20.0f + 0.8f;
        ++p.age;
        if (p.age <= 50) m_vOrbit[out++] = p;
    }
    m_vOrbit.resize(out);
    if (r == kBurstFrame)
        for (const vm::Matrix* m : m_vTargetMatrices) {
            const vm::Vec3 t = m ? GetMatrixTranslation(*m) : vm::Vec3{};
            const double lift = 1.5 - 0.8 * RandUnit();
            for (int i = 0; i < 10; ++i) {
                PoisonBurstPuff p;
                p.x = t.x;
                p.y = t.y;
                p.z = static_cast<float>(t.z + lift);
                p.size = 1.0f;
                p.alpha = 255;
                p.heading = static_cast<float>(2 * kEffectPi * RandUnit() - kEffectPi);
                p.groundSpeed = 0.08f;
                p.verticalSpeed = 0.05f;
                m_vBurst.push_back(p);
            }
        }
    out = 0;
    for (size_t i = 0; i < m_vBurst.size(); ++i) {
        PoisonBurstPuff& p = m_vBurst[i];
        const int a = p.age;
        p.x += std::cos(p.heading) * p.groundSpeed;
        p.y += std::sin(p.heading) * p.groundSpeed;
        p.z += p.verticalSpeed;
        p.verticalSpeed = static_cast<float>(Clamp(p.verticalSpeed - 0.002, 1.0, -0.02));
        p.alpha = static_cast<uint8_t>(Clamp(std::min(a / 20.0, (60 - a) / 40.0), 1, 0) * 255);
        p.size = a / 30.0f + 1.2f;
        ++p.age;
        if (p.age <= 60) m_vBurst[out++] = p;
    }
    m_vBurst.resize(out);
    // Every result lands, whatever the number of targets.
    if (r == kHitFrame) ReleaseTargets(m_vTargets.size());
    if (r > kLastFrame) m_bAlive = false;
}

void CBattleEffect_PoisonAll2::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*,
                                    int frame, ParticleList&) {
    if (frame - m_nStartFrame < 0 || !device) return;
    SetEffectStates(device, gfx::BLEND_SRCALPHA, gfx::BLEND_INVSRCALPHA);
    SetEffectTexture(device, "cloud1");
    const vm::Matrix billboard = MakeBillboardMatrix(device);
    CD3DDraw3DPolygons poly;
    for (const PoisonOrbitPuff& p : m_vOrbit)
        DrawFlippedSquare(poly, p.size, p.size, uint32_t(p.alpha) << 24,
                          CentredBillboard(billboard, p.size, vm::Vec3{p.x, p.y, p.z}));
    for (const PoisonBurstPuff& p : m_vBurst)
        DrawFlippedSquare(poly, p.size, p.size, (uint32_t(p.alpha) << 24) | 0x002000,
                          CentredBillboard(billboard, p.size, vm::Vec3{p.x, p.y, p.z}));
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
}
