#pragma once
// Damage and heal numbers floating over a battle member, and the text strips for
// a miss or a critical hit.  Every member owns one CDamageEffect; the battle's draw
// pass calls its Update once per frame, which turns due results into pop-ups,
// draws them and retires old ones.  All images come from the preloaded texture
// "DamageNumber" (digits 40 x 50 at (40 d, 0), three strips 300 x 60 below).
#include <cstdint>
#include <vector>

#include "FieldRules.h"
#include "math/vmath.h"

struct BattleFormation;
class CD3DDrawTexture;

class CDamageEffect {
public:
    class CDamageEffect_EffectBase {
    public:
        virtual ~CDamageEffect_EffectBase() = default;
        virtual void Touch(int) {}
        virtual void Draw(int frame) {}

        const vm::Matrix* matrix = nullptr;  // the member's world matrix
        int32_t startFrame = 0;
        int32_t age = 0;
        bool fall = false;
    };
    class CNumEffect : public CDamageEffect_EffectBase {
    public:
        void Draw(int frame) override;
        int32_t amount = 0;  // damage positive, healing negative
    };
    class CStringEffect : public CDamageEffect_EffectBase {
    public:
        void Draw(int frame) override;
        int32_t kind = 0;  // strip 0 resisted, 1 critical, 2 dodged
    };

    CDamageEffect() = default;
    ~CDamageEffect();
    CDamageEffect(const CDamageEffect&) = delete;
    CDamageEffect& operator=(const CDamageEffect&) = delete;

    // Appends a result and keeps the pending list sorted by hit frame.
    void QueueHit(const AttackResult& hit);
    // Due results become pop-ups; every pop-up is drawn and the old ones retired.
    void Update(int frame, const BattleFormation& formation);
    // Frees every pop-up; the pending results stay.
    void Reset();

    CNumEffect* numbers[8] = {};
    std::vector<CStringEffect> strings;
    std::vector<AttackResult> pending;
};

// The texture of the numbers (null when it was not preloaded; logged once).
CD3DDrawTexture* GetDamageNumberTexture();
// Number of decimal digits of |value| (1 for 0).
int CountDigits(int value);
// Alpha of a number pop-up at `age`.
int NumberAlpha(int age, bool fall);
