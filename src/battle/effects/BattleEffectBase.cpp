// The effect base, the particle depth rule and the effects' matrix helpers.
#include "effects/BattleEffectBase.h"

#include <cmath>

#include "Draw/gvlD3DObjectBase.h"
#include "Draw/gvlSkinnedMesh.h"
#include "preload/GlobalPreloadData.h"
#include "random/gvlRand.h"

vm::Vec3 BattleEye{0.0f, -10.0f, 3.0f};
vm::Vec3 BattleTarget{0.0f, 0.0f, 1.0f};

void CBattleEffectBase::ReleaseTarget(size_t i) {
    if (i < m_vTargets.size()) m_vHits.push_back(m_vTargets[i]);
}

void CBattleEffectBase::ReleaseTargets(size_t count) {
    for (size_t i = 0; i < count && i < m_vTargets.size(); ++i) m_vHits.push_back(m_vTargets[i]);
}

vm::Matrix MakeBillboardMatrix(const gfx::Device* device) {
    vm::Matrix m = device ? device->GetTransform(gfx::TS_VIEW) : vm::Matrix{};
    std::swap(m.m[0][1], m.m[1][0]);
    std::swap(m.m[0][2], m.m[2][0]);
    std::swap(m.m[1][2], m.m[2][1]);
    m.m[3][0] = m.m[3][1] = m.m[3][2] = 0.0f;
    m.m[3][3] = 1.0f;
    return m;
}

vm::Matrix MakeFlippedBillboardMatrix(const gfx::Device* device) {
    return vm::RotationY(kEffectPiF) * vm::RotationZ(kEffectPiF) * MakeBillboardMatrix(device);
}

vm::Matrix MakeRotationFromTo(vm::Vec3 a, vm::Vec3 b) {
    const vm::Vec3 na = vm::Normalize(a), nb = vm::Normalize(b);
    const vm::Vec3 axis = vm::Cross(na, nb);
    if (vm::LengthSq(axis) <= 1e-12f) {
        // Parallel or zero directions: no turn.  Opposite ones: half a turn about any
        // axis across the direction.
        if (vm::Dot(na, nb) < 0.0f) {
            vm::Vec3 across = std::fabs(na.x) < 0.9f ? vm::Vec3{1, 0, 0} : vm::Vec3{0, 1, 0};
            return vm::RotationAxis(vm::Cross(na, across), kEffectPiF);
        }
        return vm::Matrix{};
    }
    const float d = std::fmax(-1.0f, std::fmin(1.0f, vm::Dot(na, nb)));
    return vm::RotationAxis(axis, std::acos(d));
}

double AngleOfXY(double x, double y) {
    if (x != 0.0) return std::atan(y / x);
    if (y == 0.0) return 0.0;  // no direction at all: any angle will do
    return (y > 0 ? 1.0 : -1.0) * 1.570796326794895;
}

float ViewDepth(float x, float y, float z) {
    const vm::Vec3 line = BattleTarget - BattleEye;
    const vm::Vec3 rel = vm::Vec3{x, y, z} - BattleEye;
    const float len = vm::Length(line);
    if (!(len > 0.0f)) return vm::Length(rel);
    return std::fabs(vm::Dot(rel, line)) / len;
}

bool CompareParticleDepth(const CAddDraw_Particle& a, const CAddDraw_Particle& b) {
    const float da = ViewDepth(a.world.m[3][0], a.world.m[3][1], a.world.m[3][2]);
    const float db = ViewDepth(b.world.m[3][0], b.world.m[3][1], b.world.m[3][2]);
    if (std::isnan(da) || std::isnan(db)) return false;
    return da < db;
}

uint8_t AlphaByte(double f) {
    if (f >= 1.0) return 255;
    if (!(f > 0.0)) return 0;
    return static_cast<uint8_t>(f * 255.0 + 0.5);
}

double RandUnit() { return g_Rand.Get() / 4294967295.0; }

CD3DDrawTexture* FindEffectTexture(const char* name) {
    CPreloadBlock* block = g_GlobalPreloadData.GetBlock();
    return block ? block->TextureCache.Find(name) : nullptr;
}

void SetEffectTexture(gfx::Device* device, const char* name) {
    if (!device) return;
    CD3DDrawTexture* t = FindEffectTexture(name);
    device->SetTexture(0, t ? t->GetTexture() : nullptr);
}

CD3DSkinnedMesh* GetEffectMesh(int index) {
    CPreloadBlock* block = g_GlobalPreloadData.GetBlock();
    if (!block || index < 0 || index >= CPreloadBlock::kEffectMeshes) return nullptr;
    return &block->EffectMesh[index];
}

void SetEffectStates(gfx::Device* device, uint32_t srcBlend, uint32_t destBlend) {
    if (!device) return;
    device->SetRenderState(gfx::RS_LIGHTING, 0);
    device->SetRenderState(gfx::RS_SRCBLEND, srcBlend);
    device->SetRenderState(gfx::RS_DESTBLEND, destBlend);
    device->SetRenderState(gfx::RS_ZWRITEENABLE, 0);
}

vm::Matrix CentredBillboard(const vm::Matrix& billboard, float size, vm::Vec3 p) {
    vm::Matrix m = billboard;
    // translation(-s/2, -s/2, 0) x billboard x translation(p), written out.
    const float h = -size * 0.5f;
    for (int c = 0; c < 3; ++c) m.m[3][c] = h * billboard.m[0][c] + h * billboard.m[1][c];
    m.m[3][0] += p.x;
    m.m[3][1] += p.y;
    m.m[3][2] += p.z;
    return m;
}

void DrawFlippedSquare(CD3DDraw3DPolygons& poly, float width, float height, uint32_t colour,
                       const vm::Matrix& world) {
    if ((colour >> 24) == 0) return;  // blends to nothing (depth writes are off for these)
    poly.SetSquare(width, height, colour, 0.0f);
    poly.FlipFaces();
    poly.Draw(world);
}
