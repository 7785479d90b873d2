// The battle-effect controller.
#include "effects/BattleEffectController.h"

#include <algorithm>
#include <cmath>

#include "Draw/gvlD3DObjectBase.h"

CBattleEffectController::~CBattleEffectController() { Clear(); }

void CBattleEffectController::AddEffect(CBattleEffectBase* effect) {
    if (effect) m_vEffects.push_back(effect);
}

void CBattleEffectController::Update(int frame) {
    for (size_t i = 0; i < m_vEffects.size();) {
        CBattleEffectBase* e = m_vEffects[i];
        if (e->IsAlive()) {
            e->Update(frame);
            CollectHits(e, m_vHits);
            ++i;
        } else {
            delete e;
            m_vEffects.erase(m_vEffects.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    ScreenTint(frame);
}

void CBattleEffectController::ScreenTint(int frame) {
    bool wanted = false;
    for (const CBattleEffectBase* e : m_vEffects)
        if (e->GetStartFrame() < frame && e->Darkens()) {
            wanted = true;
            break;
        }
    // The tint never wraps below 0 or above full strength.
    if (wanted)
        m_dwTint = static_cast<uint32_t>(std::min<uint64_t>(uint64_t(m_dwTint) + kTintStep, kTintMax));
    else if (m_dwTint != 0)
        m_dwTint = std::min(m_dwTint >= kTintStep ? m_dwTint - kTintStep : 0u, kTintMax);
    m_dwFlash = 0;
    for (CBattleEffectBase* e : m_vEffects) {
        if (e->m_dwTintRequest != 0) m_dwTint = e->m_dwTintRequest;
        if (e->m_dwFlashRequest != 0) m_dwFlash = e->m_dwFlashRequest;
        e->m_dwTintRequest = 0;
        e->m_dwFlashRequest = 0;
    }
}

void CBattleEffectController::TakeHits(std::vector<AttackResult>& out) {
    out.insert(out.begin(), m_vHits.begin(), m_vHits.end());
    m_vHits.clear();
}

void CBattleEffectController::CollectHits(CBattleEffectBase* effect, std::vector<AttackResult>& destination) {
    if (!effect || effect->m_vHits.empty()) return;
    destination.insert(destination.begin(), effect->m_vHits.begin(), effect->m_vHits.end());
    effect->m_vHits.clear();
}

void CBattleEffectController::Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject,
                                   const vm::Matrix* base, int frame) {
    m_vParticles.clear();
    for (CBattleEffectBase* e : m_vEffects)
        if (e->IsAlive()) e->Draw(device, shaders, shaderObject, base, frame, m_vParticles);

    // Far to near.  A depth that is not a number sorts as the nearest.
    m_vOrder.clear();
    m_vOrder.reserve(m_vParticles.size());
    for (size_t i = 0; i < m_vParticles.size(); ++i) {
        const vm::Matrix& w = m_vParticles[i].world;
        float d = ViewDepth(w.m[3][0], w.m[3][1], w.m[3][2]);
        if (std::isnan(d)) d = -1.0f;
        m_vOrder.emplace_back(d, static_cast<uint32_t>(i));
    }
    std::sort(m_vOrder.begin(), m_vOrder.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });

    CD3DDrawSquare square;
    if (device) device->SetRenderState(gfx::RS_LIGHTING, 0);
    for (const auto& o : m_vOrder) {
        const CAddDraw_Particle& p = m_vParticles[o.second];
        // Nothing to draw without a texture; a fully transparent one would only
        // write depth where nearer particles come next.
        if (!p.texture || (p.colour >> 24) == 0) continue;
        square.SetSizeExact(p.width, p.height, p.colour, 0.0f);
        square.DrawInWorld(p.texture, p.world, &p.source);
    }
    if (device) device->SetRenderState(gfx::RS_LIGHTING, 1);
}

void CBattleEffectController::Clear() {
    for (CBattleEffectBase* e : m_vEffects) delete e;
    m_vEffects.clear();
}
