// Lightning and the droplet stream.
#include "effects/EffectThunder.h"

#include <cmath>

#include "Draw/gvlD3DObjectBase.h"
#include "app/AppUtil.h"
#include "random/gvlRand.h"

ThunderSpark MakeThunderSpark(float x0, float y0, float z0) {
    ThunderSpark s;
    s.alive = 1;
    s.age = 0;
    s.alpha = 255;
    s.x = static_cast<float>(x0 + RandUnit() * 0.5 - 0.25);
    s.y = static_cast<float>(y0 + RandUnit() * 0.5 - 0.25);
    s.z = static_cast<float>(z0 + RandUnit() * 0.2 - 0.1);
    s.heading = static_cast<float>(RandUnit() * 6.28318530717958);
    s.size = static_cast<float>(0.1 + RandUnit() * 0.5);
    s.rise = 0.045f;
    return s;
}

bool UpdateThunderSpark(ThunderSpark& s) {
    ++s.age;
    s.z += s.rise;
    s.rise -= 0.002f;
    s.x += std::cos(s.heading) * 0.01f;
    s.y += std::sin(s.heading) * 0.01f;
    s.alpha = static_cast<uint8_t>(Clamp((40 - s.age) * 255 / 30.0, 255, 0));
    if (s.alpha == 0) s.alive = 0;
    return s.alive != 0;
}

void DrawThunderBolt(gfx::Device* device, float x, float y) {
    SetEffectTexture(device, "Thunder1");
    CD3DDraw3DPolygons poly;
    const vm::Matrix world =
        vm::Translation(-1.0f, -2.0f, 0) * MakeBillboardMatrix(device) * vm::Translation(x, y, 2.0f);
    DrawFlippedSquare(poly, 2.0f, 4.0f, 0xFFFFFFFF, world);
}

void DrawThunderSparks(gfx::Device* device, const std::vector<ThunderSpark>& sparks) {
    SetEffectTexture(device, "ball2");
    const vm::Matrix billboard = MakeBillboardMatrix(device);
    CD3DDraw3DPolygons poly;
    for (const ThunderSpark& s : sparks)
        DrawFlippedSquare(poly, s.size, s.size, (uint32_t(s.alpha) << 24) + 0xFFFFFF,
                          CentredBillboard(billboard, s.size, vm::Vec3{s.x, s.y, s.z}));
}

// ---- lightning ------------------------------------------------------------------------

CBattleEffect_Thunder1::CBattleEffect_Thunder1(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                                               const AttackResult& result)
    : m_pAttacker(attacker), m_pTarget(target) {
    m_nStartFrame = startFrame;
    m_vTargets.push_back(result);
    m_vSparks.reserve(80);
}

void CBattleEffect_Thunder1::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 0) return;
    m_bBoltVisible = rel >= 20 && rel < 25;
    if (rel >= 20 && rel < 24 && m_pTarget) {
        const vm::Vec3 t = GetMatrixTranslation(*m_pTarget);
        for (int i = 0; i < 16; ++i) m_vSparks.push_back(MakeThunderSpark(t.x, t.y, (rel - 20) * 0.4f));
    }
    for (size_t i = 0; i < m_vSparks.size();) {
        if (UpdateThunderSpark(m_vSparks[i]))
            ++i;
        else
            m_vSparks.erase(m_vSparks.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (rel == kHitFrame) ReleaseTarget(0);
    if (rel > kLastFrame) m_bAlive = false;
}

void CBattleEffect_Thunder1::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*,
                                  int frame, ParticleList&) {
    if (frame - m_nStartFrame < 0 || !device) return;
    SetEffectStates(device, gfx::BLEND_SRCALPHA, gfx::BLEND_ONE);
    if (m_bBoltVisible && m_pTarget) {
        const vm::Vec3 t = GetMatrixTranslation(*m_pTarget);
        DrawThunderBolt(device, t.x, t.y);
    }
    DrawThunderSparks(device, m_vSparks);
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
}

// ---- droplet stream -------------------------------------------------------------------

CBattleEffect_Beam3::CBattleEffect_Beam3(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                                         const AttackResult& result)
    : m_pAttacker(attacker), m_pTarget(target) {
    m_nStartFrame = startFrame;
    m_vTargets.push_back(result);
}

void CBattleEffect_Beam3::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 0) return;
    const double deg = kEffectPi / 180.0;
    for (int i = 0; i < 8; ++i) {
        const int n = i + 8 * rel;
        if (n > kLastDroplet) break;
        const double r1 = (g_Rand.Get() % 360) * deg;
        const double r2 = (g_Rand.Get() % 360) * deg;
        const double r3 = g_Rand.Get() % 100;
        const float speed = static_cast<float>(r3 / 100.0 * 0.015 + 0.005);
        const vm::Vec3 lift{0, 0, 1.0f};
        m_vStart = (m_pAttacker ? GetMatrixTranslation(*m_pAttacker) : vm::Vec3{}) + lift;
        m_vEnd = (m_pTarget ? GetMatrixTranslation(*m_pTarget) : vm::Vec3{}) + lift;
        const vm::Vec3 dir{static_cast<float>(std::cos(r1) * std::cos(r2)),
                           static_cast<float>(std::sin(r1) * std::cos(r2)), static_cast<float>(std::sin(r2))};
        StreamDroplet d;
        d.alive = 1;
        d.alpha = 255;
        d.size = 0.1f;
        d.position = d.origin = m_vStart + (m_vEnd - m_vStart) * (n / 200.0f);
        d.velocity = dir * speed;
        m_vDroplets.push_back(d);
        ++m_nMade;
    }
    for (size_t i = 0; i < m_vDroplets.size();) {
        StreamDroplet& d = m_vDroplets[i];
        ++d.age;
        if (d.age > 3) {
            d.position = d.origin + d.velocity * static_cast<float>(d.age - 3);
            d.alpha = static_cast<uint8_t>(Clamp(279.0 - 8.0 * d.age, 255, 0));
            d.size = static_cast<float>((d.alpha / 255.0 * 0.7 + 0.3) * 0.1);
        }
        d.alive = d.age <= 35;
        if (d.alive)
            ++i;
        else
            m_vDroplets.erase(m_vDroplets.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (rel == kHitFrame) ReleaseTarget(0);
    if (rel > kLastFrame) m_bAlive = false;
}

void CBattleEffect_Beam3::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*, int frame,
                               ParticleList& particles) {
    if (frame - m_nStartFrame < 0 || !device) return;
    const vm::Matrix billboard = MakeBillboardMatrix(device);
    CD3DDrawTexture* texture = FindEffectTexture("water01");
    particles.reserve(particles.size() + m_vDroplets.size());
    for (const StreamDroplet& d : m_vDroplets) {
        CAddDraw_Particle p;
        p.world = CentredBillboard(billboard, d.size, d.position);
        p.texture = texture;
        p.width = p.height = d.size;
        p.source = RECT{0, 0, 63, 63};
        p.colour = (uint32_t(d.alpha) << 24) | 0xFFFFFF;
        particles.push_back(p);
    }
}
