#pragma once
// Damage shown on the strategy map, one unit at a time, when no 3D battle is played
// for it: the camera centres on the unit, its cell is marked, its member plates come
// in at the right, and after half a second a sound plays and a number pops up over
// each affected member's plate.  When a unit's display ends the change is applied
// and the next unit follows; with none left the creator's done flag is set.
//   C_TaskDispCannonDamage  the pending records of a cannon spell
//   C_TaskDispPoisonDamage  the turn-start poison, auras, regeneration, magic recovery
#include <cstdint>
#include <memory>
#include <vector>

#include "Draw/gvlD3DDrawSquare.h"
#include "resources/UnitPlate.h"
#include "task/TaskBase.h"

class C_FieldTaskInfo;

// What one member receives.
struct FieldDamageEntry {
    enum Kind : int32_t { kNone = -1, kHPDamage = 0, kHPRecovery = 1, kMPDamage = 2, kMPRecovery = 3 };
    int32_t nKind = kNone;
    int32_t nAmount = 0;    // subtracted from HP or MP: positive damage, negative recovery
    uint8_t bPoisoned = 0;  // the member receives Poison with this change
};

class C_TaskDispFieldDamage : public C_FieldTaskBase {
public:
    static constexpr int kShowFrame = 30;   // sound and new values
    static constexpr int kLastFrame = 120;  // the unit's display ends after this

    C_TaskDispFieldDamage(C_FieldTaskInfo* info, const C_TaskReply<uint8_t>& done);
    ~C_TaskDispFieldDamage() override;

    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    // Fills the entries for the next unit and returns its index; -1 when none is left.
    virtual int PrepareNext(C_FieldTaskInfo* info) = 0;
    // Applies the shown change to the unit.
    virtual void ApplyCurrent(C_FieldTaskInfo* info, int unit) = 0;

    // Alpha of the flash and of the digits at a frame of a unit's display.
    static int FlashAlpha(int frame);
    static int DigitAlpha(int frame);
    static int DigitSlide(int frame);
    // Number of decimal digits of |amount| (0 for 0).
    static int DigitCount(int amount);

    // Between two units the next one is prepared (or the task ends); a unit is shown
    // for its frames, then its change is applied.
    enum class Step : int32_t { Prepare, Show };

    int32_t m_nUnit = -1;
    Step m_eStep = Step::Prepare;
    int32_t m_nFrame = 0;
    C_TaskReply<uint8_t> m_Done;
    std::unique_ptr<UnitPlate[]> m_pPlates;
    FieldDamageEntry m_Entry[4];

protected:
    void ResetEntries();
    int DumpSize() const override { return (int)sizeof(*this); }

private:
    void StepPrepare(C_FieldTaskInfo* info);
    void DrawPlates(C_FieldTaskInfo* info);

    CD3DDrawSquare m_Flash;
    CD3DDrawSquare m_Digit;
};

class C_TaskDispCannonDamage : public C_TaskDispFieldDamage {
public:
    // Applies the caster's record (its cost) at once, without showing it.
    C_TaskDispCannonDamage(C_FieldTaskInfo* info, const C_TaskReply<uint8_t>& done);
    int PrepareNext(C_FieldTaskInfo* info) override;
    void ApplyCurrent(C_FieldTaskInfo* info, int unit) override;

protected:
    int DumpSize() const override { return (int)sizeof(*this); }
};

class C_TaskDispPoisonDamage : public C_TaskDispFieldDamage {
public:
    C_TaskDispPoisonDamage(C_FieldTaskInfo* info, const C_TaskReply<uint8_t>& done);
    int PrepareNext(C_FieldTaskInfo* info) override;
    void ApplyCurrent(C_FieldTaskInfo* info, int unit) override;

    // Fills the entries of one effect (0 poison, 1 damaging aura, 2 healing aura,
    // 3 regeneration, 4 magic recovery) for a unit; false when nobody is affected.
    bool ComputeEffect(C_FieldTaskInfo* info, int unit, int effect);

    int32_t m_nCurrentUnit = 0;
    int32_t m_nCurrentEffect = -1;
    std::vector<int32_t> m_vDamageAura;
    std::vector<int32_t> m_vHealAura;

protected:
    int DumpSize() const override { return (int)sizeof(*this); }
};
