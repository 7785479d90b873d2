// Arrows, spears and the hit spray.
#include "effects/EffectPhysical.h"

#include <cmath>

#include "Draw/gvlD3DObjectBase.h"
#include "Draw/gvlSkinnedMesh.h"
#include "app/AppUtil.h"
#include "random/gvlRand.h"

namespace {

struct ArrowRelease {
    int keyframeId;
    int frame;
    float x, y, z;
    float angle;  // degrees about the world z axis
};

// Where and when each bow motion lets go of its arrow.
const ArrowRelease kReleases[] = {
    {190, 54, 0.2f, 0.8f, 0.95f, 0},   {310, 57, 0.25f, 0.8f, 2.1f, 0}, {313, 57, 0.25f, 0.8f, 1.8f, 0},
    {314, 57, 0.25f, 0.8f, 1.8f, 30},  {315, 57, 0.25f, 0.8f, 1.8f, -30}, {580, 58, 0.2f, 0.8f, 1.0f, 0},
    {630, 67, 0.4f, 0.6f, 2.1f, 0},    {633, 67, 0.5f, 0.6f, 1.8f, 0},  {634, 67, 0.5f, 0.6f, 1.8f, 30},
    {635, 67, 0.5f, 0.6f, 1.8f, -30},  {790, 67, 0.2f, 0.7f, 2.1f, 0},  {793, 67, 0.2f, 0.7f, 2.4f, 0},
    {794, 67, 0.2f, 0.7f, 2.4f, 30},   {795, 67, 0.2f, 0.7f, 2.4f, -30}, {870, 67, 0.1f, 0.3f, 0.9f, 0},
};

}  // namespace

CBattleEffect_Arrow::CBattleEffect_Arrow(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                                         int keyframeId, const AttackResult* result)
    : m_pAttacker(attacker), m_pTarget(target) {
    m_nStartFrame = startFrame;
    m_bDarkens = false;
    if (result) m_vTargets.push_back(*result);
    ArrowRelease r{keyframeId, 54, 0.0f, 0.0f, 1.3f, 0};
    for (const ArrowRelease& e : kReleases)
        if (e.keyframeId == keyframeId) r = e;
    m_nReleaseFrame = r.frame;
    const vm::Matrix turn = vm::RotationZ(static_cast<float>(r.angle * 0.01745329238474369));
    m_vReleaseOffset = vm::TransformCoord(vm::Vec3{r.x, r.y, r.z}, turn);
}

CBattleEffect_Spear::CBattleEffect_Spear(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target,
                                         int keyframeId, const AttackResult* result)
    : CBattleEffect_Arrow(startFrame, attacker, target, keyframeId, result) {
    m_vReleaseOffset = vm::Vec3{0.5f, 1.55f, 1.45f};
    m_nReleaseFrame = 35;
    m_nMeshIndex = 3;
}

void CBattleEffect_Arrow::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 1) return;
    if (!m_bPointsSet) {
        // Taken once: the flight does not follow members that move afterwards.
        m_bPointsSet = true;
        if (m_pAttacker) m_vStart = GetMatrixTranslation(*m_pAttacker) + m_vReleaseOffset;
        if (m_pTarget) m_vEnd = GetMatrixTranslation(*m_pTarget) + vm::Vec3{0, 0, 1.3f};
    }
    const int r = m_nReleaseFrame;
    if (rel >= r && rel <= r + 11) {
        const float t = (rel - r) / 10.0f;
        m_vCurrent = m_vStart + (m_vEnd - m_vStart) * t;
        m_bVisible = true;
        if (rel == r + 10) ReleaseTarget(0);
    } else {
        m_bVisible = false;
    }
    // Nothing is left to show after the last step of the flight.
    if (rel > r + 11) m_bAlive = false;
}

void CBattleEffect_Arrow::Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject,
                               const vm::Matrix* base, int, ParticleList&) {
    if (!m_bVisible || !device) return;
    CD3DSkinnedMesh* mesh = GetEffectMesh(m_nMeshIndex);
    if (!mesh || !mesh->IsLoaded()) return;
    const vm::Matrix world = vm::RotationX(1.5707964f) *
                             MakeRotationFromTo(vm::Vec3{0, 1, 0}, m_vEnd - m_vStart) *
                             vm::Translation(m_vCurrent.x, m_vCurrent.y, m_vCurrent.z);
    mesh->UpdateFrameMatrices(mesh->m_pFrameRoot, &world);
    mesh->DrawFrames(device, shaders, shaderObject, base ? *base : vm::Matrix{});
}

CBattleEffect_Damage3::CBattleEffect_Damage3(int startFrame, const vm::Matrix* attacker, const vm::Matrix* target)
    : m_pAttacker(attacker), m_pTarget(target) {
    m_nStartFrame = startFrame;
    m_bDarkens = false;
}

void CBattleEffect_Damage3::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel == 0) {
        const vm::Vec3 lift{0, 0, 1.0f};
        const vm::Vec3 t = (m_pTarget ? GetMatrixTranslation(*m_pTarget) : vm::Vec3{}) + lift;
        const vm::Vec3 a = (m_pAttacker ? GetMatrixTranslation(*m_pAttacker) : vm::Vec3{}) + lift;
        const vm::Vec3 e = BattleEye;
        const vm::Vec3 t2 = t + vm::Normalize(e - t) * 0.1f;
        const vm::Vec3 a2 = a + vm::Normalize(e - a) * 0.1f;
        m_vCentre = t2 * 0.75f + a2 * 0.25f;
        const vm::Matrix r = MakeRotationFromTo(vm::Vec3{0, 0, 1}, m_vCentre - e);
        const double deg = kEffectPi / 180.0;
        for (HitSpark& s : m_Sparks) {
            const double a1 = (g_Rand.Get() % 360) * deg;
            const double b1 = (g_Rand.Get() % 70 + 20) * deg;
            const vm::Vec3 d{static_cast<float>(std::cos(a1) * std::cos(b1)),
                             static_cast<float>(std::sin(a1) * std::cos(b1)), static_cast<float>(std::sin(b1))};
            const vm::Vec3 dir = vm::Normalize(vm::TransformCoord(d, r));
            s.x = dir.x;
            s.y = dir.y;
            s.z = dir.z;
            s.size = (g_Rand.Get() % 20) / 100.0f + 0.1f;
        }
    }
    // The sparks are gone once they have faded; past that they would fall back
    // through the burst towards the camera.
    if (rel > kLastFrame) m_bAlive = false;
}

void CBattleEffect_Damage3::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*,
                                 int frame, ParticleList& particles) {
    // Not before the burst has been placed by the update of the start frame.
    const int rel = frame - m_nStartFrame;
    if (rel < 0 || rel > m_nRelFrame || !device) return;
    const float f = static_cast<float>(rel);
    uint32_t colour = 0xFFFFFFFF;
    if (rel >= 20) {
        const uint32_t alpha = static_cast<uint32_t>(Clamp(535.0 - 14.0 * rel, 255, 0));
        colour = (alpha << 24) + 0xFFFFFF;
    }
    const float s = 0.1f * f * (1.4f - 0.02f * f) + 0.05f;
    device->SetRenderState(gfx::RS_LIGHTING, 0);
    const vm::Matrix billboard = MakeBillboardMatrix(device);
    CD3DDrawTexture* texture = FindEffectTexture("ball");
    for (const HitSpark& sp : m_Sparks) {
        CAddDraw_Particle p;
        p.world = CentredBillboard(billboard, sp.size, m_vCentre + vm::Vec3{sp.x, sp.y, sp.z} * s);
        p.texture = texture;
        p.width = p.height = sp.size;
        p.source = RECT{0, 0, 31, 31};
        p.colour = colour;
        particles.push_back(p);
    }
    device->SetRenderState(gfx::RS_LIGHTING, 1);
}
