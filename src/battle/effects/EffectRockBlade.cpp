// Rock and blade areas.
#include "effects/EffectRockBlade.h"

#include <algorithm>
#include <cmath>

#include "Draw/gvlD3DObjectBase.h"
#include "Draw/gvlSkinnedMesh.h"
#include "app/AppUtil.h"
#include "random/gvlRand.h"

namespace {
constexpr double kTwoPi = 2 * kEffectPi;
constexpr int kRockMesh = 2;

template <class T, class Dead>
void EraseIf(std::vector<T>& v, Dead dead) {
    v.erase(std::remove_if(v.begin(), v.end(), dead), v.end());
}
}  // namespace

// ---- rocks ------------------------------------------------------------------------------

CBattleEffect_RockAll1::CBattleEffect_RockAll1(int startFrame, const std::vector<const vm::Matrix*>& targets,
                                               const std::vector<AttackResult>& results)
    : m_vTargetMatrices(targets) {
    m_nStartFrame = startFrame;
    m_vTargets = results;
}

void CBattleEffect_RockAll1::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 0) return;
    if (rel >= 10 && rel < 23)
        for (int i = 0; i < 3; ++i) {
            FallingRock r;
            const double a = RandUnit() - 0.5, b = 2 * RandUnit() - 1, c = 6 * RandUnit() - 3;
            r.x = static_cast<float>(c);
            r.y = static_cast<float>(b);
            r.z = static_cast<float>(a + 1.5);
            r.alive = true;
            r.scale = static_cast<float>(RandUnit() + 1.0);
            r.angle = static_cast<float>(RandUnit() * kTwoPi);
            m_vRocks.push_back(r);
        }
    for (FallingRock& r : m_vRocks) {
        ++r.age;
        r.y += r.vy;
        r.z += r.vz;
        if (r.scale * 0.25f * 0.5f > r.z) {
            // The bottom touches the ground: bounce, losing speed only the first time.
            r.z -= 2 * r.vz;
            r.vz = r.bounced ? -r.vz : -r.vz * 0.6f;
            r.bounced = true;
        }
        r.vz += r.gravity;
        r.angle = static_cast<float>(-r.age * kTwoPi / 40);
        if (r.age > 80) r.alive = false;
    }
    EraseIf(m_vRocks, [](const FallingRock& r) { return !r.alive; });
    if (rel == kHitFrame) ReleaseTargets(m_vTargetMatrices.size());
    if (rel > kLastFrame) m_bAlive = false;
}

void CBattleEffect_RockAll1::Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject,
                                  const vm::Matrix* base, int frame, ParticleList&) {
    if (frame - m_nStartFrame < 0 || !device) return;
    CD3DSkinnedMesh* mesh = GetEffectMesh(kRockMesh);
    if (!mesh || !mesh->IsLoaded()) return;
    for (const FallingRock& r : m_vRocks) {
        const vm::Matrix world =
            vm::Scaling(r.scale, r.scale, r.scale) * vm::RotationX(r.angle) * vm::Translation(r.x, r.y, r.z);
        mesh->m_fAlpha = r.alpha / 255.0f;
        mesh->UpdateFrameMatrices(mesh->m_pFrameRoot, &world);
        mesh->DrawFrames(device, shaders, shaderObject, base ? *base : vm::Matrix{});
    }
    mesh->m_fAlpha = 1.0f;
}

// ---- blades -----------------------------------------------------------------------------

CBattleEffect_BladeAll1::CBattleEffect_BladeAll1(int startFrame, const std::vector<const vm::Matrix*>& targets,
                                                 const std::vector<AttackResult>& results)
    : m_vTargetMatrices(targets) {
    m_nStartFrame = startFrame;
    m_vTargets = results;
    g_Rand.SetSeed(kSeed);
}

void CBattleEffect_BladeAll1::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 0) return;
    if (rel == kHitFrame)
        for (size_t k = 0; k < 5 * m_vTargetMatrices.size(); ++k) {
            const double heading = RandUnit() * kTwoPi - kEffectPi;
            const double pitch = RandUnit() * kEffectPi - kEffectPi / 2;
            const double reach = RandUnit() + 0.5;
            BladeSlash s;
            s.offset = vm::Vec3{static_cast<float>(std::cos(heading) * std::cos(pitch) * reach),
                                static_cast<float>(std::sin(heading) * std::cos(pitch) * reach),
                                static_cast<float>(std::sin(pitch) * reach)};
            s.width = static_cast<float>(RandUnit() * 0.1 + 0.15);
            s.angle = static_cast<float>(RandUnit() * kTwoPi - kEffectPi);
            m_vSlashes.push_back(s);
        }
    for (BladeSlash& s : m_vSlashes) {
        s.height = s.age * 0.3f + 1.0f;
        s.fade = static_cast<float>(Clamp((30 - s.age) / 15.0, 1, 0));
        ++s.age;
    }
    EraseIf(m_vSlashes, [](const BladeSlash& s) { return s.age > 30; });
    if (rel == 20)
        for (int i = 0; i < 40; ++i) {
            BladeDisc d;
            d.spin = static_cast<float>(RandUnit() * kTwoPi - kEffectPi);
            d.tilt = static_cast<float>(RandUnit() * kTwoPi - kEffectPi);
            d.size = static_cast<float>(RandUnit() + 2.0);
            const double heading = RandUnit() * kTwoPi - kEffectPi;
            const double pitch = RandUnit() * kTwoPi / 3 - kEffectPi / 3;
            const double speed = RandUnit() * 0.05 + 0.15;
            d.velocity = vm::Vec3{static_cast<float>(std::cos(heading) * std::cos(pitch) * speed),
                                  static_cast<float>(std::sin(heading) * std::cos(pitch) * speed),
                                  static_cast<float>(std::sin(pitch) * speed)};
            m_vDiscs.push_back(d);
        }
    for (BladeDisc& d : m_vDiscs) {
        d.spin += 0.5f;
        d.fade = static_cast<float>(Clamp(std::min(d.age / 10.0, (60 - d.age) / 20.0), 1, 0));
        if (d.age <= 60) ++d.age;
        else d.age = -1;  // marks the disc for removal
    }
    EraseIf(m_vDiscs, [](const BladeDisc& d) { return d.age < 0; });
    if (rel == kHitFrame) ReleaseTargets(m_vTargetMatrices.size());
    if (rel > kLastFrame) m_bAlive = false;
}

void CBattleEffect_BladeAll1::Draw(gfx::Device* device, gfx::VertexShader**, gfx::Effect*, const vm::Matrix*,
                                   int frame, ParticleList&) {
    if (frame - m_nStartFrame < 0 || !device) return;
    SetEffectStates(device, gfx::BLEND_SRCALPHA, gfx::BLEND_ONE);
    CD3DDraw3DPolygons poly;
    SetEffectTexture(device, "BladeCircle");
    const vm::Vec3 origin{0, 2.5f, 1.0f};
    for (const BladeDisc& d : m_vDiscs) {
        const vm::Vec3 p = origin + d.velocity * static_cast<float>(d.age);
        poly.SetSquare(d.size, d.size, (uint32_t(AlphaByte(d.fade)) << 24) | 0xFFFFFF, 0.0f);
        poly.Draw(vm::Translation(-d.size / 2, -d.size / 2, 0) * vm::RotationZ(d.spin) * vm::RotationX(d.tilt) *
                  vm::Translation(p.x, p.y, p.z));
    }
    SetEffectTexture(device, "LightBall2");
    const size_t n = m_vTargetMatrices.size();
    for (size_t k = 0; k < m_vSlashes.size() && n > 0; ++k) {
        const BladeSlash& s = m_vSlashes[k];
        const vm::Matrix* m = m_vTargetMatrices[k % n];
        const vm::Vec3 p = m ? GetMatrixTranslation(*m) : vm::Vec3{};
        const vm::Vec3 at = p + s.offset + vm::Vec3{0, 0, 1.0f};
        poly.SetSquare(s.width, s.height, (uint32_t(AlphaByte(s.fade)) << 24) | 0xFFFFFF, 0.0f);
        poly.Draw(vm::Translation(-s.width / 2, -s.height / 2, 0) * vm::RotationZ(s.angle) *
                  MakeRotationFromTo(vm::Vec3{0, 0, 1}, BattleEye - p) * vm::Translation(at.x, at.y, at.z));
    }
    device->SetRenderState(gfx::RS_LIGHTING, 1);
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
}
