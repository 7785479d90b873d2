// Damage and heal numbers over the battle members.
#include "DamagePopup.h"

#include <algorithm>
#include <cmath>

#include "BattleCamera.h"
#include "Draw/gvlD3DDrawSquare.h"
#include "MeshControl.h"
#include "SkillData.h"
#include "log/ErrorLog.h"
#include "preload/GlobalPreloadData.h"
#include "util/ClampInt.h"

namespace {

constexpr float kPi = 3.1415927f;

bool ByHitFrame(const AttackResult& a, const AttackResult& b) { return a.nHitFrame < b.nHitFrame; }

// The view's rotation turned back, so that a square drawn through it faces the camera.
vm::Matrix BillboardMatrix(gfx::Device* device) {
    vm::Matrix m = device->GetTransform(gfx::TS_VIEW);
    std::swap(m.m[0][1], m.m[1][0]);
    std::swap(m.m[0][2], m.m[2][0]);
    std::swap(m.m[1][2], m.m[2][1]);
    m.m[3][0] = m.m[3][1] = m.m[3][2] = 0.0f;
    m.m[3][3] = 1.0f;
    return m;
}

// Where a pop-up of a member stands: `height` above its origin, a fifth of the way
// towards the camera.
vm::Vec3 PopupPoint(const vm::Matrix* matrix, float height) {
    vm::Vec3 p = matrix ? vm::Vec3(matrix->m[3][0], matrix->m[3][1], matrix->m[3][2] + height)
                        : vm::Vec3(0, 0, height);
    return p + (g_BattleCamera.m_Eye - p) * 0.2f;
}

int AlphaOf(double value) { return int(std::clamp(value, 0.0, 255.0)); }

void SetPopupStates(gfx::Device* d) {
    d->SetRenderState(gfx::RS_LIGHTING, 0);
    d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    d->SetRenderState(gfx::RS_ZFUNC, gfx::CMP_ALWAYS);
}

void RestorePopupStates(gfx::Device* d) {
    d->SetRenderState(gfx::RS_ZFUNC, gfx::CMP_LESSEQUAL);
    d->SetRenderState(gfx::RS_LIGHTING, 1);
}

}  // namespace

CD3DDrawTexture* GetDamageNumberTexture() {
    const CPreloadBlock* block = g_GlobalPreloadData.GetBlock();
    CD3DDrawTexture* texture = block ? block->TextureCache.Find("DamageNumber") : nullptr;
    if (!texture || !texture->GetTexture()) {
        static bool s_reported = false;
        if (!s_reported) g_ErrorLog.Write("CDamageEffect: テクスチャ DamageNumber がないので数字を表示しません");
        s_reported = true;
        return nullptr;
    }
    return texture;
}

int CountDigits(int value) {
    const long long v = value < 0 ? -(long long)value : value;
    if (v == 0) return 1;
    return int(std::floor(std::log10(double(v)))) + 1;
}

int NumberAlpha(int age, bool fall) {
    if (fall && age > 60) return AlphaOf((80.0 - age) * 16.0);
    if (!fall && age > 100) return AlphaOf((120.0 - age) * 16.0);
    return AlphaOf(age * 16.0);
}

CDamageEffect::~CDamageEffect() {
    for (CNumEffect*& n : numbers) {
        delete n;
        n = nullptr;
    }
}

void CDamageEffect::QueueHit(const AttackResult& hit) {
    pending.push_back(hit);
    std::stable_sort(pending.begin(), pending.end(), ByHitFrame);
}

void CDamageEffect::Reset() {
    for (CNumEffect*& n : numbers) {
        delete n;
        n = nullptr;
    }
    strings.clear();
}

void CDamageEffect::Update(int frame, const BattleFormation& formation) {
    while (!pending.empty() && pending.front().nHitFrame <= frame) {
        const AttackResult r = pending.front();
        pending.erase(pending.begin());
        if (r.nTarget < 0 || r.nTarget > 7) continue;
        int total = r.nAmount;
        CNumEffect*& slot = numbers[r.nTarget];
        if (slot) {
            total = SaturatingAdd(total, slot->amount);
            delete slot;
        }
        slot = new CNumEffect;
        slot->matrix = formation.matrix[r.nTarget];
        slot->startFrame = frame;
        slot->fall = r.bFall != 0;
        slot->amount = total;
        int kind = -1;
        if (r.bMiss) kind = g_SkillData.GetType(r.nSkill) < 2 ? 2 : 0;
        else if (r.bCritical) kind = 1;
        if (kind >= 0) {
            CStringEffect s;
            s.matrix = formation.matrix[r.nTarget];
            s.startFrame = frame;
            s.fall = r.bFall != 0;
            s.kind = kind;
            strings.push_back(s);
        }
    }
    for (CNumEffect*& n : numbers) {
        if (!n) continue;
        n->Draw(frame);
        if (n->age > 120 || (n->fall && n->age > 80)) {
            delete n;
            n = nullptr;
        }
    }
    for (size_t i = 0; i < strings.size();) {
        strings[i].Draw(frame);
        if (strings[i].age > 60) strings.erase(strings.begin() + long(i));
        else ++i;
    }
}

void CDamageEffect::CNumEffect::Draw(int frame) {
    age = frame - startFrame;
    if (age < 0) return;
    gfx::Device* d = g_pD3DDevice;
    CD3DDrawTexture* texture = GetDamageNumberTexture();
    if (!d || !texture) return;
    const long long magnitude = amount < 0 ? -(long long)amount : amount;
    const int n = CountDigits(amount);
    const vm::Vec3 q = PopupPoint(matrix, 1.0f);
    SetPopupStates(d);
    d->SetTexture(0, texture->GetTexture());
    const float drop = std::pow(1.0f - float(std::clamp(age, 0, 16)) * 0.0625f, 2.0f);
    const vm::Matrix billboard = BillboardMatrix(d);
    const vm::Matrix turn = vm::RotationY(kPi) * vm::RotationZ(kPi);
    const int alpha = NumberAlpha(age, fall);
    const uint32_t c = amount >= 0 ? 0xFFu : 0u;
    const uint32_t colour = (uint32_t(alpha) << 24) | (c << 16) | 0xFF00u | c;
    CD3DDraw3DPolygons digit;
    long long power = 1;
    for (int i = 0; i < n; ++i) {
        const int value = int((magnitude % (power * 10)) / power);
        power *= 10;
        digit.SetSquare(0.2f, 0.25f, colour, 0.0f);
        digit.SetUV(RECT{40 * value, 0, 40 * value + 40, 50}, 512, 256);
        const vm::Matrix world = vm::Translation(-0.1f, -0.125f, 0) * turn * vm::Scaling(1 + 2 * drop, 1, 1) *
                                 vm::Translation(float(n - 1 - 2 * i) * 0.1f, -0.125f, 0) * billboard *
                                 vm::Translation(q.x, q.y, q.z + 0.5f * drop);
        digit.Draw(world);
    }
    RestorePopupStates(d);
}

void CDamageEffect::CStringEffect::Draw(int frame) {
    age = frame - startFrame;
    if (age < 0) return;
    gfx::Device* d = g_pD3DDevice;
    CD3DDrawTexture* texture = GetDamageNumberTexture();
    if (!d || !texture) return;
    const vm::Vec3 q = PopupPoint(matrix, 1.5f);
    SetPopupStates(d);
    CD3DDraw3DPolygons strip;
    strip.SetSquare(1.5f, 0.3f, 0xFFFFFFFFu, 0.0f);
    const int top = kind == 0 ? 50 : kind == 1 ? 110 : 170;
    strip.SetUV(RECT{0, top, 300, top + 60}, 512, 256);
    const float drop = std::pow(1.0f - float(std::clamp(age, 0, 16)) * 0.0625f, 2.0f);
    const vm::Matrix world = vm::Translation(-0.75f, -0.15f, 0) * vm::RotationY(kPi) * vm::RotationZ(kPi) *
                             BillboardMatrix(d) * vm::Translation(q.x, q.y, q.z + 0.5f * drop);
    d->SetTexture(0, texture->GetTexture());
    strip.Draw(world);
    RestorePopupStates(d);
}
