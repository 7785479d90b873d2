// Travelling beams and balls.
#include "effects/EffectBeam.h"

#include <algorithm>
#include <cmath>

#include "Draw/gvlD3DObjectBase.h"
#include "app/AppUtil.h"
#include "random/gvlRand.h"

namespace {

constexpr double kPi = 3.1415927410125732;
constexpr double kTwoPi = 6.2831854820251465;
constexpr double kHalfPi = 1.5707963705062866;

// An impact ring d frames after it opens: side and fade.
void RingShape(int d, float& side, double& fade) {
    side = static_cast<float>(0.5 * std::sqrt(2.0 * d) + 0.5);
    fade = Clamp(std::min(d / 10.0, (25 - d) / 30.0), 1, 0);
}

vm::Vec3 Lifted(const vm::Matrix* m) { return (m ? GetMatrixTranslation(*m) : vm::Vec3{}) + vm::Vec3{0, 0, 1.0f}; }

}  // namespace

// ---- Beam4 ------------------------------------------------------------------------------

CBattleEffect_Beam4::CBattleEffect_Beam4(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                                         const AttackResult& result)
    : m_pAttacker(attacker), m_pTarget(target) {
    m_nStartFrame = startFrame;
    m_vTargets.push_back(result);
}

float CBattleEffect_Beam4::HeadParameter() const {
    const float q = static_cast<float>(m_nRelFrame) / static_cast<float>(m_nTravelFrames);
    return q * q;
}

void CBattleEffect_Beam4::UpdateHead() { m_vHead = m_vStart + (m_vEnd - m_vStart) * HeadParameter(); }

void CBattleEffect_Beam4b::UpdateHead() {
    m_vHead = vm::Hermite(m_vStart, vm::Vec3{5.0f, -5.0f, 5.0f}, m_vEnd, vm::Vec3{0, 0, 0}, HeadParameter());
}

void CBattleEffect_Beam4::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 0) return;
    if (!m_bPointsSet) {
        m_bPointsSet = true;
        m_vStart = Lifted(m_pAttacker);
        m_vEnd = Lifted(m_pTarget);
        m_vRingPoint = m_vStart + (m_vEnd - m_vStart) * 0.96f;
    }
    UpdateHead();
    if (rel < m_nTravelFrames) {
        const vm::Matrix turn = MakeRotationFromTo(vm::Vec3{0, 0, 1}, m_vEnd - m_vStart);
        const double deg = kEffectPi / 180.0;
        for (int i = 0; i < 3; ++i) {
            const double a = (g_Rand.Get() % 360) * deg;
            const double b = (g_Rand.Get() % 360) * deg;
            const vm::Vec3 d{static_cast<float>(std::cos(a) * std::cos(b)),
                             static_cast<float>(std::sin(a) * std::cos(b)), static_cast<float>(std::sin(b))};
            BeamSpark s;
            s.alive = 1;
            s.size = 0.1f;
            s.fade = 1.0f;
            s.position = s.origin = m_vHead;
            s.direction = vm::Normalize(vm::TransformCoord(d, turn));
            m_vSparks.push_back(s);
        }
    }
    for (size_t i = 0; i < m_vSparks.size();) {
        BeamSpark& s = m_vSparks[i];
        ++s.age;
        s.size = 0.2f + 0.006f * s.age;
        s.fade = static_cast<float>(Clamp(1.0 - s.age / 30.0, 1, 0));
        const float step = static_cast<float>((s.age - 30) * (s.age - 30)) / 8000.0f;
        s.position = s.position + s.direction * step;
        s.alive = s.age <= 30;
        if (s.alive)
            ++i;
        else
            m_vSparks.erase(m_vSparks.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (rel == kHitFrame) ReleaseTarget(0);
    if (rel > kLastFrame) m_bAlive = false;
}

void CBattleEffect_Beam4::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*, int frame,
                               ParticleList&) {
    const int rel = frame - m_nStartFrame;
    if (rel < 0 || !device || !m_bPointsSet) return;
    CD3DDraw3DPolygons poly;
    poly.SetSquare(1.0f, 1.0f, 0xFFFFFFFF, 0.0f);
    SetEffectStates(device, gfx::BLEND_SRCALPHA, gfx::BLEND_ONE);
    SetEffectTexture(device, "LightBall2");
    const vm::Matrix flipped = MakeFlippedBillboardMatrix(device);
    if (rel < m_nTravelFrames) poly.Draw(CentredBillboard(flipped, 1.0f, m_vHead));
    for (const BeamSpark& s : m_vSparks) {
        poly.SetSquare(s.size, s.size, (uint32_t(AlphaByte(s.fade)) << 24) | 0xFFFFFF, 0.0f);
        poly.Draw(CentredBillboard(flipped, s.size, s.position));
    }
    SetEffectTexture(device, "DamageCircle");
    const vm::Matrix across = MakeRotationFromTo(m_vEnd - m_vStart, vm::Vec3{0, 0, 1});
    for (int k = 0; k <= 16; k += 8) {
        const int d = rel - k - m_nRingDelay;
        if (d <= 0) continue;
        float side;
        double fade;
        RingShape(d, side, fade);
        poly.SetSquare(side, side, (uint32_t(AlphaByte(fade)) << 24) | 0xFFFFFF, 0.0f);
        poly.Draw(vm::Translation(-side / 2, -side / 2, 0) * across *
                  vm::Translation(m_vRingPoint.x, m_vRingPoint.y, m_vRingPoint.z));
    }
    device->SetRenderState(gfx::RS_LIGHTING, 1);
    device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
}

// ---- Beam5 ------------------------------------------------------------------------------

CBattleEffect_Beam5::CBattleEffect_Beam5(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                                         const AttackResult& result)
    : m_pAttacker(attacker), m_pTarget(target) {
    m_nStartFrame = startFrame;
    m_vTargets.push_back(result);
}

void CBattleEffect_Beam5::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 0) return;
    if (!m_bPointsSet) {
        m_bPointsSet = true;
        m_vStart = Lifted(m_pAttacker);
        m_vEnd = Lifted(m_pTarget);
        m_vRingPoint = m_vStart + (m_vEnd - m_vStart) * 0.96f;
        for (int i = 0; i < 10; ++i) {
            OrbitSpark s;
            s.size = 0.2f;
            s.fade = 1.0f;
            s.angleY = static_cast<float>(RandUnit() * kTwoPi - kPi);
            s.angleZ = static_cast<float>(RandUnit() * kPi - kHalfPi);
            m_vOrbit.push_back(s);
        }
    }
    const float q = static_cast<float>(rel) / static_cast<float>(m_nTravelFrames);
    m_vHead = m_vStart + (m_vEnd - m_vStart) * (0.1f + 0.9f * q * q);
    if (rel == m_nTravelFrames)
        for (int i = 0; i < 20; ++i) {
            BurstRay r;
            r.width = static_cast<float>(0.08 + RandUnit() * 0.12);
            r.angleZ = static_cast<float>(RandUnit() * kTwoPi - kPi);
            r.angleY = static_cast<float>(RandUnit() * kPi - kHalfPi);
            r.length = 5.0f;
            r.fade = 1.0f;
            m_vRays.push_back(r);
        }
    for (OrbitSpark& s : m_vOrbit) {
        ++s.counter;
        s.fade = static_cast<float>(Clamp(s.counter / 10.0, 1, 0));
        s.spin = static_cast<float>(s.counter * kEffectPi / 30.0);
    }
    for (size_t i = 0; i < m_vRays.size();) {
        BurstRay& r = m_vRays[i];
        ++r.counter;
        r.length = 1.0f + 0.2f * r.counter;
        r.fade = static_cast<float>(Clamp(std::min(r.counter / 10.0, (30 - r.counter) / 20.0), 1, 0));
        r.innerOffset += 0.005f;
        if (r.counter <= 30)
            ++i;
        else
            m_vRays.erase(m_vRays.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (rel == kHitFrame) ReleaseTarget(0);
    if (rel > kLastFrame) m_bAlive = false;
}

void CBattleEffect_Beam5::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*, int frame,
                               ParticleList&) {
    const int rel = frame - m_nStartFrame;
    if (rel < 0 || !device || !m_bPointsSet) return;
    CD3DDraw3DPolygons poly;
    SetEffectStates(device, gfx::BLEND_SRCALPHA, gfx::BLEND_ONE);
    SetEffectTexture(device, "LightBall2");
    const vm::Matrix flipped = MakeFlippedBillboardMatrix(device);
    if (rel < m_nTravelFrames) {
        poly.SetSquare(1.0f, 1.0f, 0xFFFFFFFF, 0.0f);
        poly.Draw(CentredBillboard(flipped, 1.0f, m_vHead));
        const vm::Vec3 v{0, 0, 1.0f - 0.012f * rel};  // the orbit closes in on the head
        for (const OrbitSpark& s : m_vOrbit) {
            const vm::Matrix turn = vm::RotationX(s.spin) * vm::RotationY(s.angleY) * vm::RotationZ(s.angleZ);
            const vm::Vec3 offset = vm::TransformCoord(v, turn);
            poly.SetSquare(s.size, s.size, (uint32_t(AlphaByte(s.fade)) << 24) | 0xFFFF99, 0.0f);
            poly.Draw(CentredBillboard(flipped, s.size, m_vHead + offset));
        }
    }
    device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ONE);
    if (!m_vRays.empty()) {
        const vm::Vec3 t = m_pTarget ? GetMatrixTranslation(*m_pTarget) : vm::Vec3{};
        const vm::Matrix face = MakeRotationFromTo(vm::Vec3{0, 0, 1}, BattleEye - t) * vm::Translation(t.x, t.y, t.z + 1.0f);
        for (const BurstRay& r : m_vRays) {
            poly.SetSquare(r.width, r.length, (uint32_t(AlphaByte(r.fade)) << 24) | 0xFFFF80, 0.0f);
            poly.Draw(vm::Translation(-r.width / 2, -(r.innerOffset + r.length), 0) * vm::RotationZ(r.angleZ) *
                      vm::RotationY(r.angleY) * face);
        }
    }
    if (rel > m_nTravelFrames) {
        SetEffectTexture(device, "DamageCircle");
        float side;
        double fade;
        RingShape(rel - m_nTravelFrames, side, fade);
        poly.SetSquare(side, side, (uint32_t(AlphaByte(fade)) << 24) | 0xFFFFCC, 0.0f);
        poly.Draw(CentredBillboard(flipped, side, m_vRingPoint));
    }
    device->SetRenderState(gfx::RS_LIGHTING, 1);
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
}
