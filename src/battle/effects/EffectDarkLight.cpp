// Dark and light balls, and the poison cloud.
#include "effects/EffectDarkLight.h"

#include <cmath>

#include "Draw/gvlD3DObjectBase.h"
#include "app/AppUtil.h"
#include "random/gvlRand.h"
#include "system.h"

// ---- dark and light balls ------------------------------------------------------------

CBattleEffect_Dark1::CBattleEffect_Dark1(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                                         const AttackResult& result)
    : m_pAttacker(attacker), m_pTarget(target) {
    m_nStartFrame = startFrame;
    m_vTargets.push_back(result);
}

CBattleEffect_Light1::CBattleEffect_Light1(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                                           const AttackResult& result)
    : CBattleEffect_Dark1(startFrame, attacker, target, result) {
    m_strTexture = "LightBall";
    m_dwRingColour = 0xFFFFFF;
}

void CBattleEffect_Dark1::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 0) return;
    const vm::Vec3 a = m_pAttacker ? GetMatrixTranslation(*m_pAttacker) : vm::Vec3{};
    const vm::Vec3 b = m_pTarget ? GetMatrixTranslation(*m_pTarget) : vm::Vec3{};
    if (rel < 40) {
        float t;
        if (rel < 15) {
            m_fBallSize = 0.8f;
            t = rel / 15.0f * 0.2f;
        } else {
            m_fBallSize = (40 - rel) * 0.6f / 25.0f + 0.2f;
            t = std::sqrt((rel - 15) / 25.0f) * 0.8f + 0.2f;
        }
        const vm::Vec3 centre = a + (b - a) * t + vm::Vec3{0, 0, 1.0f};
        m_BallMatrix = CentredBillboard(MakeBillboardMatrix(g_pD3DDevice), m_fBallSize, centre);
    } else {
        // Reseeded from the clock on every step from here on (the virtual clock in a
        // replay, so a replay still draws the same numbers).
        g_Rand.SetSeed(plat::TickCount());
    }
    if (rel == 40) {
        static const float kTurns[kRings][3] = {
            {0, 0, 0},          {1.5707964f, 0, 0},  {0, 1.5707964f, 0},  {0, 0, 1.5707964f},
            {0.7853982f, 0, 0}, {0, 0.7853982f, 0},  {-0.7853982f, 0, 0}, {0, -0.7853982f, 0},
        };
        const vm::Matrix at = vm::Translation(b.x, b.y, b.z + 1.2f);
        for (int i = 0; i < kRings; ++i) {
            m_RingMatrix[i] = vm::RotationYawPitchRoll(kTurns[i][0], kTurns[i][1], kTurns[i][2]) * at;
            m_nRingAge[i] = -4 * i;
        }
    }
    if (rel == kHitFrame) ReleaseTarget(0);
    if (rel > kLastFrame) m_bAlive = false;
}

void CBattleEffect_Dark1::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*, int frame,
                               ParticleList&) {
    const int rel = m_nRelFrame;
    if (rel < 0 || frame < m_nStartFrame || !device) return;
    SetEffectStates(device, gfx::BLEND_SRCALPHA, gfx::BLEND_INVSRCALPHA);
    CD3DDraw3DPolygons poly;
    if (rel < 40) {
        if (m_strTexture == "DarkBall") {
            // The scene behind is multiplied by the ball.
            device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_DESTCOLOR);
            device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ZERO);
        } else {
            device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
            device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ONE);
        }
        SetEffectTexture(device, m_strTexture.c_str());
        DrawFlippedSquare(poly, m_fBallSize, m_fBallSize, 0xFFFFFFFF, m_BallMatrix);
    } else {
        device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
        device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
        SetEffectTexture(device, "DamageCircle");
        for (int i = 0; i < kRings; ++i) {
            const int age = m_nRingAge[i];
            if (age >= 0 && age < 40) {
                const float scale = age * 0.12f + 0.6f;
                const double a = age < 5 ? Clamp(age * 60.0, 200, 0) : Clamp(735.0 - 24.0 * age, 200, 0);
                const uint32_t colour = (static_cast<uint32_t>(a) << 24) + m_dwRingColour;
                const vm::Matrix world = vm::Translation(-scale / 2, -scale / 2, 0) * m_RingMatrix[i];
                poly.SetSquare(scale, scale, colour, 0.0f);
                poly.Draw(world);
                poly.FlipFaces();
                poly.Draw(world);
            }
            ++m_nRingAge[i];  // the rings age with every drawn frame
        }
    }
    device->SetRenderState(gfx::RS_LIGHTING, 1);
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
}

// ---- poison cloud ---------------------------------------------------------------------

CBattleEffect_Poison1::CBattleEffect_Poison1(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                                             const AttackResult& result)
    : m_pAttacker(attacker), m_pTarget(target) {
    m_nStartFrame = startFrame;
    m_vTargets.push_back(result);
}

void CBattleEffect_Poison1::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 0) return;
    if (rel < 50) {
        const vm::Vec3 t = m_pTarget ? GetMatrixTranslation(*m_pTarget) : vm::Vec3{};
        const float angle = static_cast<float>(g_Rand.Get() % 360) * 0.017453292f;
        const double u = RandUnit();
        PoisonPuff p;
        p.x = std::cos(angle) * 0.5f + t.x;
        p.y = std::sin(angle) * 0.5f + t.y;
        p.z = static_cast<float>(u + 1.5);
        p.age = 0;
        p.scale = 1.0f;
        p.alpha = 255;
        m_vPuffs.push_back(p);
    }
    for (size_t i = 0; i < m_vPuffs.size();) {
        PoisonPuff& p = m_vPuffs[i];
        p.z -= 0.03f;
        p.alpha = static_cast<uint8_t>(static_cast<int>(p.age * 255 / 30.0));
        if (p.age > 30) p.alpha = static_cast<uint8_t>(static_cast<int>((30 - p.age) * 255 / 10.0));
        p.scale = p.age / 40.0f + 0.5f;
        ++p.age;
        if (p.age > 40)
            m_vPuffs.erase(m_vPuffs.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
    if (rel == kHitFrame) ReleaseTarget(0);
    if (rel > kLastFrame) m_bAlive = false;
}

void CBattleEffect_Poison1::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*, int frame,
                                 ParticleList&) {
    m_nRelFrame = frame - m_nStartFrame;
    if (m_nRelFrame < 0 || !device) return;
    SetEffectStates(device, gfx::BLEND_SRCALPHA, gfx::BLEND_INVSRCALPHA);
    SetEffectTexture(device, "cloud1");
    const vm::Matrix billboard = MakeBillboardMatrix(device);
    CD3DDraw3DPolygons poly;
    for (const PoisonPuff& p : m_vPuffs)
        DrawFlippedSquare(poly, p.scale, p.scale, uint32_t(p.alpha) << 24,
                          CentredBillboard(billboard, p.scale, vm::Vec3{p.x, p.y, p.z}));
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
}
