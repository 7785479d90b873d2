// Composite area spells.
#include "effects/EffectComposite.h"

#include <algorithm>

#include "effects/BattleEffectController.h"
#include "effects/EffectDarkLight.h"
#include "effects/EffectRecover.h"

CBattleEffect_CompositeBase::CBattleEffect_CompositeBase(int startFrame, const vm::Matrix* attacker,
                                                         const std::vector<const vm::Matrix*>& targets,
                                                         const std::vector<AttackResult>& results)
    : m_pAttacker(attacker), m_vTargetMatrices(targets) {
    m_nStartFrame = startFrame;
    m_vTargets = results;
}

CBattleEffect_CompositeBase::~CBattleEffect_CompositeBase() {
    for (CBattleEffectBase*& child : m_pChildren) {
        delete child;
        child = nullptr;
    }
}

void CBattleEffect_CompositeBase::Update(int frame) {
    const int rel = frame - m_nStartFrame;
    m_nRelFrame = rel;
    if (rel < 0) return;
    // One child per target, as far as there are slots and results for them.
    const size_t count = std::min({m_vTargetMatrices.size(), m_vTargets.size(), size_t(kMaxChildren)});
    std::vector<AttackResult> released;
    for (size_t i = 0; i < count; ++i) {
        if (rel == kChildGap * static_cast<int>(i) && !m_pChildren[i]) m_pChildren[i] = MakeChild(frame, i);
        CBattleEffectBase* child = m_pChildren[i];
        if (!child) continue;
        child->Update(frame);
        released.clear();
        CBattleEffectController::CollectHits(child, released);
        if (!released.empty()) {
            m_vHits.insert(m_vHits.end(), released.begin(), released.end());
            if (!child->IsAlive()) {
                delete child;
                m_pChildren[i] = nullptr;
            }
        }
    }
    if (rel > kLastFrame) m_bAlive = false;
}

void CBattleEffect_CompositeBase::Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject,
                                       const vm::Matrix* base, int frame, ParticleList& particles) {
    if (m_nRelFrame < 0 || frame < m_nStartFrame || m_vTargetMatrices.empty()) return;
    for (CBattleEffectBase* child : m_pChildren)
        if (child) child->Draw(device, shaders, shaderObject, base, frame, particles);
}

CBattleEffect_DarkLightAll1::CBattleEffect_DarkLightAll1(int startFrame, const vm::Matrix* attacker,
                                                         const std::vector<const vm::Matrix*>& targets,
                                                         const std::vector<AttackResult>& results, bool dark)
    : CBattleEffect_CompositeBase(startFrame, attacker, targets, results), m_bDark(dark) {}

CBattleEffectBase* CBattleEffect_DarkLightAll1::MakeChild(int frame, size_t i) {
    if (m_bDark) return new CBattleEffect_Dark1(frame, m_pAttacker, m_vTargetMatrices[i], m_vTargets[i]);
    return new CBattleEffect_Light1(frame, m_pAttacker, m_vTargetMatrices[i], m_vTargets[i]);
}

CBattleEffect_PoisonAll1::CBattleEffect_PoisonAll1(int startFrame, const std::vector<const vm::Matrix*>& targets,
                                                   const std::vector<AttackResult>& results)
    : CBattleEffect_CompositeBase(startFrame, nullptr, targets, results) {}

CBattleEffectBase* CBattleEffect_PoisonAll1::MakeChild(int frame, size_t i) {
    return new CBattleEffect_Poison1(frame, nullptr, m_vTargetMatrices[i], m_vTargets[i]);
}

CBattleEffect_RecoverAll1::CBattleEffect_RecoverAll1(int startFrame, const vm::Matrix* attacker,
                                                     const std::vector<const vm::Matrix*>& targets,
                                                     const std::vector<AttackResult>& results)
    : CBattleEffect_CompositeBase(startFrame, attacker, targets, results) {}

CBattleEffectBase* CBattleEffect_RecoverAll1::MakeChild(int frame, size_t i) {
    return new CBattleEffect_Recover1(frame, m_pAttacker, m_vTargetMatrices[i], m_vTargets[i]);
}
