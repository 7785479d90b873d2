// Dark-and-light cannon areas.
#include "effects/EffectDarkLightCannon.h"

#include <algorithm>
#include <cmath>

#include "Draw/gvlD3DObjectBase.h"
#include "app/AppUtil.h"
#include "random/gvlRand.h"
#include "util/GameUtil.h"

namespace {

constexpr double kTwoPi = 2 * kEffectPi;

// translation(-w/2, -w/2, 0) x translation(p): a square lying flat, centred on p.
vm::Matrix FlatSquare(float w, vm::Vec3 p) { return vm::Translation(p.x - w / 2, p.y - w / 2, p.z); }

template <class T, class Dead>
void EraseIf(std::vector<T>& v, Dead dead) {
    v.erase(std::remove_if(v.begin(), v.end(), dead), v.end());
}

}  // namespace

CBattleEffect_CannonAreaBase::CBattleEffect_CannonAreaBase(int startFrame,
                                                           const std::vector<const vm::Matrix*>& targets,
                                                           const std::vector<AttackResult>& results, uint8_t look)
    : m_vTargetMatrices(targets), m_byLook(look) {
    m_nStartFrame = startFrame;
    m_vTargets = results;
}

// ---- spinning band, spark columns and halos ----------------------------------------------

CBattleEffect_DarkLightAll2::CBattleEffect_DarkLightAll2(int startFrame, const std::vector<const vm::Matrix*>& targets,
                                                         const std::vector<AttackResult>& results, uint8_t look)
    : CBattleEffect_CannonAreaBase(startFrame, targets, results, look) {}

void CBattleEffect_DarkLightAll2::Update(int frame) {
    const int r = frame - m_nStartFrame;
    m_nRelFrame = r;
    if (r < 0) return;

    // Half a cylinder of radius 2 and height 0.8 whose alpha rises along it.
    std::vector<Vertex3D>& band = m_Band.m_vertices;
    band.clear();
    const double rise = Clamp(r / 10.0, 1, 0);
    const double fall = r > 60 ? Clamp((120 - r) / 60.0, 1, 0) : 1.0;
    for (int k = 0; k <= 16; ++k) {
        const double a = k * kTwoPi * 0.03125;
        int alpha = static_cast<int>(Clamp(255.0 * k / 17, 255, 0));
        alpha = static_cast<int>(alpha * rise);
        if (r > 60) alpha = static_cast<int>(alpha * fall);
        Vertex3D v;
        v.x = static_cast<float>(2 * std::cos(a));
        v.y = static_cast<float>(2 * std::sin(a));
        v.nz = 1.0f;
        v.specular = 0xFFFFFFFF;
        v.diffuse = (uint32_t(alpha) << 24) | 0xFFFFFF;
        v.z = 0.8f;
        band.push_back(v);
        v.z = 0.0f;
        band.push_back(v);
    }

    if (r >= 40 && r < 48) {
        const uint32_t p = g_Rand.Get() % 1000;
        const uint32_t q = g_Rand.Get() % 1000;
        const vm::Vec3 foot{static_cast<float>(3.0 * q / 1000 - 1.5), static_cast<float>(3.0 * p / 1000 + 1.0), 0};
        for (int j = 0; j >= -11; --j) {
            RisingSpark s;
            s.start = foot;
            s.alive = 1;
            s.d = 0.5f * j;
            s.drawnAlpha = 255;
            if (s.d >= 0) {
                s.baseAlpha = 255;
                s.size = 1.0f;
            } else if (s.d > -4) {
                s.baseAlpha = 176;
                s.size = 0.5f;
            } else {
                s.baseAlpha = static_cast<uint8_t>(Clamp(255.0 * (s.d + 6) / 6, 255, 0));
                s.size = 0.4f;
            }
            s.drawn = vm::Vec3{foot.x, foot.y, 0};
            m_vSparks.push_back(s);
        }
    }
    for (RisingSpark& s : m_vSparks) {
        s.d += 1.0f;
        s.drawnAlpha = s.baseAlpha;
        s.drawn.z = 3.0f * (s.d / 20) * (s.d / 20) - 0.3f;
        if (s.d > 100) s.alive = 0;
    }
    EraseIf(m_vSparks, [](const RisingSpark& s) { return !s.alive; });

    static const int kHaloFrames[4] = {46, 49, 52, 55};
    for (int i = 0; i < 4; ++i)
        if (r == kHaloFrames[i]) {
            HaloRing h;
            h.alive = 1;
            h.size = 0.1f;
            h.alpha = 255;
            h.x = 0.0f;
            h.y = 2.5f;
            h.z = 0.6f * (i + 1);
            m_vHalos.push_back(h);
        }
    for (HaloRing& h : m_vHalos) {
        ++h.age;
        h.size = 0.2f * h.age;
        if (h.size > 4.0f) h.alpha = static_cast<uint8_t>(Clamp(255.0 * (8 - h.size) * 0.25, 255, 0));
        if (h.size > 8.0f) h.alive = 0;
    }
    EraseIf(m_vHalos, [](const HaloRing& h) { return !h.alive; });

    if (r == kHitFrame) ReleaseTargets(m_vTargetMatrices.size());
    if (r > kLastFrame) m_bAlive = false;
}

void CBattleEffect_DarkLightAll2::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*,
                                       int frame, ParticleList& particles) {
    if (frame - m_nStartFrame < 0 || m_nRelFrame < 0 || !device) return;
    const int r = m_nRelFrame;
    device->SetRenderState(gfx::RS_LIGHTING, 0);
    if (!m_Band.m_vertices.empty()) {
        const vm::Matrix at = vm::Translation(0, 2.5f, 0);
        for (int half = 0; half < 2; ++half) {
            const double degrees = 3.0 * r + 180.0 * half;
            const vm::Matrix world = vm::RotationZ(static_cast<float>(degrees * kEffectPi / 180)) * at;
            m_Band.DrawUntextured(world);
            m_Band.FlipFaces();
            m_Band.DrawUntextured(world);
        }
    }
    const vm::Matrix billboard = MakeBillboardMatrix(device);
    CD3DDrawTexture* spark = FindEffectTexture("ball2");
    for (const RisingSpark& s : m_vSparks) {
        if (s.d < 0) continue;
        CAddDraw_Particle p;
        p.world = CentredBillboard(billboard, s.size, s.drawn);
        p.texture = spark;
        p.width = p.height = s.size;
        p.source = RECT{0, 0, 63, 63};
        p.colour = (uint32_t(s.drawnAlpha) << 24) | 0xFFFFFF;
        particles.push_back(p);
    }
    CD3DDrawTexture* halo = FindEffectTexture("DamageCircle");
    for (const HaloRing& h : m_vHalos) {
        CAddDraw_Particle p;
        p.world = FlatSquare(h.size, vm::Vec3{h.x, h.y, h.z});
        p.texture = halo;
        p.width = p.height = h.size;
        p.source = RECT{0, 0, 127, 127};
        p.colour = (uint32_t(h.alpha) << 24) | 0xFFFFFF;
        particles.push_back(p);
    }
    device->SetRenderState(gfx::RS_LIGHTING, 1);
}

// ---- magic circles with flames --------------------------------------------------------------

CBattleEffect_DarkLightAll3::CBattleEffect_DarkLightAll3(int startFrame, const std::vector<const vm::Matrix*>& targets,
                                                         const std::vector<AttackResult>& results, uint8_t look)
    : CBattleEffect_CannonAreaBase(startFrame, targets, results, look) {}

void CBattleEffect_DarkLightAll3::Update(int frame) {
    const int r = frame - m_nStartFrame;
    m_nRelFrame = r;
    if (r < 0) return;
    if (r == 0)
        for (const vm::Matrix* m : m_vTargetMatrices) {
            const vm::Vec3 t = m ? GetMatrixTranslation(*m) : vm::Vec3{};
            MagicCircleMarker c;
            // Slightly different heights keep overlapping circles apart in depth.
            c.goal = vm::Vec3{t.x, t.y, static_cast<float>(0.1 + (g_Rand.Get() % 1000) / 1000.0 / 100)};
            c.alive = 1;
            c.alpha = 255;
            c.size = 2.0f;
            m_vMarkers.push_back(c);
        }
    for (MagicCircleMarker& c : m_vMarkers) {
        ++c.age;
        if (c.age < 30) {
            const double u = 1.0 - c.age / 30.0;
            const float t = static_cast<float>(1.0 - u * u);
            c.current = vm::Vec3{c.goal.x * t, c.goal.y * t, c.goal.z};
            c.alpha = 255;
            c.spin += 0.6283185f;
        } else if (c.age < 60) {
            c.current = c.goal;
            c.alpha = 255;
        } else {
            c.current = c.goal;
            c.alpha = static_cast<uint8_t>(Clamp((80 - c.age) / 20.0 * 255, 255, 0));
        }
        if (c.age > 80) c.alive = 0;
    }
    EraseIf(m_vMarkers, [](const MagicCircleMarker& c) { return !c.alive; });
    if (r >= 30 && r < 50)
        for (const vm::Matrix* m : m_vTargetMatrices) {
            const vm::Vec3 t = m ? GetMatrixTranslation(*m) : vm::Vec3{};
            for (int i = 0; i < 3; ++i) {
                const uint32_t a = g_Rand.Get() % 100, b = g_Rand.Get() % 100, c = g_Rand.Get() % 100;
                m_vFlames.push_back(MakeFlame(static_cast<float>(c / 200.0 + t.x - 0.25),
                                              static_cast<float>(b / 200.0 + t.y - 0.25),
                                              static_cast<float>(0.25 + a / 200.0 + 0.1 * (r - 40))));
            }
        }
    for (ElementParticle& f : m_vFlames) UpdateFlame(f);
    EraseIf(m_vFlames, [](const ElementParticle& f) { return !f.alive; });
    if (r == kHitFrame) ReleaseTargets(m_vTargetMatrices.size());
    if (r >= kLastFrame + 1) m_bAlive = false;
}

void CBattleEffect_DarkLightAll3::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*,
                                       int frame, ParticleList& particles) {
    if (frame - m_nStartFrame < 0 || !device) return;
    SetEffectStates(device, gfx::BLEND_SRCALPHA, m_byLook ? gfx::BLEND_INVSRCALPHA : gfx::BLEND_ONE);
    CD3DDrawTexture* circle = FindEffectTexture("MagicCircle1");
    for (const MagicCircleMarker& c : m_vMarkers) {
        CAddDraw_Particle p;
        p.world = vm::Translation(-c.size / 2, -c.size / 2, 0) * vm::RotationZ(c.spin) *
                  vm::Translation(c.current.x, c.current.y, c.current.z);
        p.texture = circle;
        p.width = p.height = c.size;
        p.source = RECT{0, 0, 127, 127};
        p.colour = (uint32_t(c.alpha) << 24) | 0xFFFFFF;
        particles.push_back(p);
    }
    SetEffectTexture(device, "fire01");
    const vm::Matrix billboard = MakeBillboardMatrix(device);
    CD3DDraw3DPolygons poly;
    for (const ElementParticle& f : m_vFlames) {
        const uint32_t colour = m_byLook ? uint32_t(f.alpha) << 24 : (uint32_t(f.alpha) << 24) | 0xFFFFFF;
        DrawFlippedSquare(poly, f.scale, f.scale, colour, CentredBillboard(billboard, f.scale, vm::Vec3{f.x, f.y, f.z}));
    }
    device->SetRenderState(gfx::RS_LIGHTING, 1);
}

// ---- sparks gathering with a flash ----------------------------------------------------------

CBattleEffect_DarkLightAll4::CBattleEffect_DarkLightAll4(int startFrame, const std::vector<const vm::Matrix*>& targets,
                                                         const std::vector<AttackResult>& results, uint8_t look)
    : CBattleEffect_CannonAreaBase(startFrame, targets, results, look) {}

void CBattleEffect_DarkLightAll4::Update(int frame) {
    const int r = frame - m_nStartFrame;
    m_nRelFrame = r;
    if (r < 0) return;
    if (r < 30)
        for (int i = 0; i < 3; ++i) {
            const double s = 2 * RandUnit() - 1;
            const double r1 = Sign(s) * 6.0 + s;
            const double r2 = 1.2 * RandUnit() - 0.6;
            const double t1 = kTwoPi * RandUnit(), p1 = kEffectPi * RandUnit();
            const double t2 = kTwoPi * RandUnit(), p2 = kEffectPi * RandUnit();
            GatherSpark g;
            g.outer = vm::Vec3{static_cast<float>(r1 * std::cos(t1) * std::cos(p1)),
                               static_cast<float>(std::fabs(r1 * std::sin(t1) * std::cos(p1) + 2.5)),
                               static_cast<float>(r1 * std::sin(p1) + 1.0)};
            g.inner = vm::Vec3{static_cast<float>(r2 * std::cos(t2) * std::cos(p2)),
                               static_cast<float>(r2 * std::sin(t2) * std::cos(p2) + 2.5),
                               static_cast<float>(r2 * std::sin(p2) + 1.0)};
            g.lifetime = static_cast<int>(90 - r / 1.7);
            g.alive = 1;
            g.alpha = 255;
            g.size = static_cast<float>(0.5 + 1.5 * RandUnit());
            g.current = g.outer;
            m_vSparks.push_back(g);
        }
    for (GatherSpark& g : m_vSparks) {
        ++g.age;
        if (g.age < 60) {
            // Spiralling in: one turn about the vertical through the inner point.
            const float t = g.age / 60.0f;
            const vm::Vec3 p = g.outer + (g.inner - g.outer) * t;
            const vm::Matrix turn = vm::Translation(-g.inner.x, -g.inner.y, -g.inner.z) *
                                    vm::RotationZ(static_cast<float>(kTwoPi * g.age / 60)) *
                                    vm::Translation(g.inner.x, g.inner.y, g.inner.z);
            g.current = vm::TransformCoord(p, turn);
        } else if (g.age >= g.lifetime) {
            g.current = g.outer + (g.inner - g.outer) * ((g.lifetime - g.age + 10) / 10.0f);
        }
        if (g.age > 800) g.alive = 0;
    }
    EraseIf(m_vSparks, [](const GatherSpark& g) { return !g.alive; });

    if (r >= 60 && r < 90)
        m_dwFlashRequest = (uint32_t(Clamp(16.0 * (r - 60), 255, 0)) << 24) | 0xFFFFFF;
    else if (r >= 90 && r < 130)
        m_dwFlashRequest = (uint32_t(Clamp(3135.0 - 32.0 * r, 255, 0)) << 24) | 0xFFFFFF;

    if (r == kHitFrame) ReleaseTargets(m_vTargetMatrices.size());
    if (r > kLastFrame) m_bAlive = false;
}

void CBattleEffect_DarkLightAll4::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*,
                                       int frame, ParticleList&) {
    if (frame - m_nStartFrame < 0 || !device) return;
    const bool dark = m_byLook != 0;
    SetEffectStates(device, gfx::BLEND_SRCALPHA, dark ? gfx::BLEND_INVSRCALPHA : gfx::BLEND_ONE);
    SetEffectTexture(device, dark ? "cloud1" : "ball4");
    const vm::Matrix billboard = MakeBillboardMatrix(device);
    CD3DDraw3DPolygons poly;
    for (const GatherSpark& g : m_vSparks) {
        // The dark squares are three times the size on the same corner offset.
        const vm::Matrix world = CentredBillboard(billboard, g.size, g.current);
        if (dark)
            DrawFlippedSquare(poly, 3 * g.size, 3 * g.size, uint32_t(g.alpha) << 24, world);
        else
            DrawFlippedSquare(poly, g.size, g.size, (uint32_t(g.alpha) << 24) | 0xFFFFFF, world);
    }
    if (!dark) {
        device->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
        device->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    }
    device->SetRenderState(gfx::RS_LIGHTING, 1);
    device->SetTexture(0, nullptr);
}
