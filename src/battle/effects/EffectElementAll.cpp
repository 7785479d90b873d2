// Fire, water and thunder areas.
#include "effects/EffectElementAll.h"

#include <cmath>

#include "Draw/gvlD3DObjectBase.h"
#include "app/AppUtil.h"
#include "random/gvlRand.h"

ElementParticle MakeFlame(float x, float y, float z) {
    ElementParticle p;
    p.alive = true;
    p.age = 0;
    p.alpha = 255;
    p.scale = 1.0f;
    p.x = x;
    p.y = y;
    p.z = z;
    p.speed = static_cast<float>((g_Rand.Get() % 100) / 10000.0 + 0.03);
    return p;
}

bool UpdateFlame(ElementParticle& p) {
    ++p.age;
    p.z += p.speed;
    p.alpha = static_cast<uint8_t>(Clamp(p.age < 4 ? p.age * 64.0 : 351.0 - 24.0 * p.age, 255, 0));
    p.scale = p.age >= 1 ? (p.age - 1) * 0.05f + 1.0f : 1.0f;
    if (p.age > 30) p.alive = false;
    return p.alive;
}

CBattleEffect_AreaBase::CBattleEffect_AreaBase(int startFrame, const vm::Matrix* attacker,
                                               const std::vector<const vm::Matrix*>& targets,
                                               const std::vector<AttackResult>& results)
    : m_pAttacker(attacker), m_vTargetMatrices(targets) {
    m_nStartFrame = startFrame;
    m_vTargets = results;
}

void CBattleEffect_AreaBase::RemoveDead() {
    size_t out = 0;
    for (size_t i = 0; i < m_vParticles.size(); ++i)
        if (m_vParticles[i].alive) m_vParticles[out++] = m_vParticles[i];
    m_vParticles.resize(out);
}

// ---- fire -------------------------------------------------------------------------------

void CBattleEffect_FireAll1::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 0) return;
    if (rel < 40) {
        // Two emitters run in from both sides, meet in front of the targets and run on.
        const float t = static_cast<float>(std::pow(rel / 15.0f, 4));
        const float ex[2] = {2 - 2 * t, -2 + 2 * t};
        for (float x : ex) {
            x += static_cast<float>((g_Rand.Get() % 100) / 100.0 - 0.5);
            m_vParticles.push_back(MakeFlame(x, 2.5f * t, 0.5f));
        }
    }
    if (rel >= 16 && rel < 40) {
        const int r = rel - 15;
        for (int j = 0; j < 8; ++j) {
            const double angle = (r + j) * 2 * kEffectPi / 20;
            m_vParticles.push_back(MakeFlame(static_cast<float>(std::cos(angle) * r * 0.15),
                                             static_cast<float>(2.5 + std::sin(angle) * r * 0.15), 1.0f));
        }
    }
    for (ElementParticle& p : m_vParticles) UpdateFlame(p);
    RemoveDead();
    if (rel == kHitFrame) ReleaseTargets(m_vTargetMatrices.size());
    if (rel > kLastFrame) m_bAlive = false;
}

void CBattleEffect_FireAll1::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*,
                                  int frame, ParticleList& particles) {
    if (frame - m_nStartFrame < 0 || !device) return;
    device->SetRenderState(gfx::RS_LIGHTING, 0);
    const vm::Matrix billboard = MakeBillboardMatrix(device);
    CD3DDrawTexture* texture = FindEffectTexture("fire01");
    particles.reserve(particles.size() + m_vParticles.size());
    for (const ElementParticle& f : m_vParticles) {
        CAddDraw_Particle p;
        p.world = CentredBillboard(billboard, f.scale, vm::Vec3{f.x, f.y, f.z});
        p.texture = texture;
        p.width = p.height = f.scale;
        p.source = RECT{0, 0, 63, 63};
        p.colour = (uint32_t(f.alpha) << 24) | 0xFFFFFF;
        particles.push_back(p);
    }
    device->SetRenderState(gfx::RS_LIGHTING, 1);
}

// ---- water ------------------------------------------------------------------------------

void CBattleEffect_WaterAll1::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 0) return;
    if (rel > 10 && rel < 30)
        for (int i = 0; i < 10; ++i) {
            ElementParticle d;
            const double x = (g_Rand.Get() % 1000) / 1000.0 * 8 - 4;
            const double u = (g_Rand.Get() % 1000) / 1000.0;
            d.x = static_cast<float>(x);
            d.y = static_cast<float>(u * (4 - x) + std::fabs(x / 2) - 4);
            d.z = 4.0f;
            d.alive = true;
            d.alpha = 255;
            d.scale = 1.0f;
            m_vParticles.push_back(d);
        }
    for (ElementParticle& d : m_vParticles) {
        ++d.age;
        d.z -= d.age * 0.02f + d.speed;
        d.y += 0.2f;
        if (d.age > 30) d.alive = false;
    }
    RemoveDead();
    if (rel == kHitFrame) ReleaseTargets(m_vTargetMatrices.size());
    if (rel > kLastFrame) m_bAlive = false;
}

void CBattleEffect_WaterAll1::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*,
                                   int frame, ParticleList&) {
    if (frame - m_nStartFrame < 0 || !device) return;
    // One drop: a transparent tail, a blue body and a white head.
    static const Vertex3D kDrop[4] = {
        {0.0f, -0.35f, 0, 0, 0, 1, 0x008080FF, 0xFFFFFFFF, 0, 0},
        {-0.05f, -0.2f, 0, 0, 0, 1, 0xFF8080FF, 0xFFFFFFFF, 0, 0},
        {0.05f, -0.2f, 0, 0, 0, 1, 0xFF8080FF, 0xFFFFFFFF, 0, 0},
        {0.0f, 0.0f, 0, 0, 0, 1, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0},
    };
    CD3DDraw3DPolygons poly;
    poly.m_vertices.assign(kDrop, kDrop + 4);
    SetEffectStates(device, gfx::BLEND_SRCALPHA, gfx::BLEND_ONE);
    device->SetTexture(0, nullptr);
    const vm::Matrix turned = vm::RotationZ(2.6179938f) * MakeBillboardMatrix(device);
    for (const ElementParticle& d : m_vParticles) {
        vm::Matrix world = turned;
        world.m[3][0] = d.x;
        world.m[3][1] = d.y;
        world.m[3][2] = d.z;
        poly.Draw(world);
    }
    device->SetRenderState(gfx::RS_LIGHTING, 1);
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
}

// ---- thunder ----------------------------------------------------------------------------

CBattleEffect_ThunderAll1::CBattleEffect_ThunderAll1(int startFrame, const vm::Matrix* attacker,
                                                     const std::vector<const vm::Matrix*>& targets,
                                                     const std::vector<AttackResult>& results)
    : m_pAttacker(attacker), m_vTargetMatrices(targets) {
    m_nStartFrame = startFrame;
    m_vTargets = results;
}

void CBattleEffect_ThunderAll1::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 0) return;
    m_bFlash = rel >= 20 && rel < 25;
    if (rel >= 20 && rel < 24)
        for (const vm::Matrix* m : m_vTargetMatrices) {
            const vm::Vec3 t = m ? GetMatrixTranslation(*m) : vm::Vec3{};
            for (int i = 0; i < 12; ++i) m_vSparks.push_back(MakeThunderSpark(t.x, t.y, (rel - 20) * 0.4f));
        }
    size_t out = 0;
    for (size_t i = 0; i < m_vSparks.size(); ++i)
        if (UpdateThunderSpark(m_vSparks[i])) m_vSparks[out++] = m_vSparks[i];
    m_vSparks.resize(out);
    if (rel == kHitFrame) ReleaseTargets(m_vTargetMatrices.size());
    if (rel > kLastFrame) m_bAlive = false;
}

void CBattleEffect_ThunderAll1::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*,
                                     int frame, ParticleList&) {
    if (frame - m_nStartFrame < 0 || !device) return;
    SetEffectStates(device, gfx::BLEND_SRCALPHA, gfx::BLEND_ONE);
    if (m_bFlash) DrawThunderBolt(device, 0.0f, 2.5f);
    DrawThunderSparks(device, m_vSparks);
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
}
