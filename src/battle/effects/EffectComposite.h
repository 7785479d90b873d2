#pragma once
// Area spells that play one single-target effect on every member of the target
// side, the children starting ten frames apart.
#include <vector>

#include "effects/BattleEffectBase.h"

class CBattleEffect_CompositeBase : public CBattleEffectBase {
public:
    static constexpr int kMaxChildren = 4;
    static constexpr int kChildGap = 10;
    static constexpr int kLastFrame = 200;

    ~CBattleEffect_CompositeBase() override;
    void Update(int frame) override;
    void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject, const vm::Matrix* base,
              int frame, ParticleList& particles) override;

    const CBattleEffectBase* GetChild(int i) const { return m_pChildren[i]; }
    size_t GetTargetCount() const { return m_vTargetMatrices.size(); }

protected:
    CBattleEffect_CompositeBase(int startFrame, const vm::Matrix* attacker,
                                const std::vector<const vm::Matrix*>& targets, const std::vector<AttackResult>& results);
    // The child for target i, starting at `frame`.
    virtual CBattleEffectBase* MakeChild(int frame, size_t i) = 0;

    const vm::Matrix* m_pAttacker = nullptr;
    std::vector<const vm::Matrix*> m_vTargetMatrices;
    CBattleEffectBase* m_pChildren[kMaxChildren] = {};
};

class CBattleEffect_DarkLightAll1 : public CBattleEffect_CompositeBase {
public:
    // dark: dark balls on every target, else light ones.
    CBattleEffect_DarkLightAll1(int startFrame, const vm::Matrix* attacker,
                                const std::vector<const vm::Matrix*>& targets, const std::vector<AttackResult>& results,
                                bool dark);
    bool IsDark() const { return m_bDark; }

protected:
    CBattleEffectBase* MakeChild(int frame, size_t i) override;
    bool m_bDark = true;
};

class CBattleEffect_PoisonAll1 : public CBattleEffect_CompositeBase {
public:
    CBattleEffect_PoisonAll1(int startFrame, const std::vector<const vm::Matrix*>& targets,
                             const std::vector<AttackResult>& results);

protected:
    CBattleEffectBase* MakeChild(int frame, size_t i) override;
};

class CBattleEffect_RecoverAll1 : public CBattleEffect_CompositeBase {
public:
    CBattleEffect_RecoverAll1(int startFrame, const vm::Matrix* attacker,
                              const std::vector<const vm::Matrix*>& targets, const std::vector<AttackResult>& results);

protected:
    CBattleEffectBase* MakeChild(int frame, size_t i) override;
};
