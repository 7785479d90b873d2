#pragma once
// One person of either unit on the battle field: it is placed in its formation,
// acts at its scheduled frame (melee motions, or a bow, spear or spell effect),
// takes hits, flinches, falls, and is posed every frame from the keyframe tables.
#include <cstdint>
#include <vector>

#include "BattleWindow.h"
#include "DamagePopup.h"
#include "FieldRules.h"
#include "KeyframeTable.h"
#include "math/vmath.h"

class C_FieldTaskInfo;
class CBattleEffectController;
struct BattleFormation;

struct MotionKey {
    int32_t start = 0;  // battle frame
    int32_t id = 0;     // keyframe id
};

// The pending action record r of the field (null when there is none).
const BattleActionRecord* GetBattleRecord(const C_FieldTaskInfo& field, int r);
// Records 0 and 1 name the same unit (a skill used on one's own unit).
bool IsBattleOnOwnUnit(const C_FieldTaskInfo& field);
// Whether the unit index names a unit of the field.
bool IsValidBattleUnit(const C_FieldTaskInfo& field, int unit);
// The battle category of record 0's first skill (6 = a cannon battle).
int GetBattleCategory(const C_FieldTaskInfo& field);

class BattleMember {
public:
    BattleMember() = default;
    BattleMember(const BattleMember&) = delete;
    BattleMember& operator=(const BattleMember&) = delete;

    void Place(C_FieldTaskInfo& field, const CKeyframe* keyframe, const BattleFormation& formation, int slot);
    void StartAttack(C_FieldTaskInfo& field, BattleFormation& formation, CBattleEffectController& effects);
    void StartCounter(C_FieldTaskInfo& field, int counterStart, BattleFormation& formation,
                      CBattleEffectController& effects);
    void StartArrow(C_FieldTaskInfo& field, int start, BattleFormation& formation, int keyframeId,
                    CBattleEffectController& effects);
    void StartSpear(C_FieldTaskInfo& field, int start, BattleFormation& formation, int keyframeId,
                    CBattleEffectController& effects);
    // Casting motion and the effect chosen by skill id.
    void StartMagic(C_FieldTaskInfo& field, int start, BattleFormation& formation, CBattleEffectController& effects);
    void AddMotion(int start, int id);
    void StartHitReaction(int frame);
    void ReleaseHits(std::vector<AttackResult>& out, int frame) const;
    void QueueHit(const AttackResult& hit);
    void Update(C_FieldTaskInfo& field, int frame, BattleFormation& formation, CBattleEffectController& effects);

    // The member's index in its unit, its record, its skill and that skill's category.
    int MemberIndex() const { return m_nSlot % 4; }
    int Side() const { return m_nPosition >= 4 ? 1 : 0; }

    std::vector<MotionKey> m_vSchedule;
    const CKeyframe* m_pKeyframe = nullptr;
    vm::Vec3 m_BasePos;
    vm::Vec3 m_MotionOffset;
    vm::Matrix m_BaseRot;
    vm::Matrix m_MotionRot;
    bool m_bActive = false;
    double m_dAnimTime = 0.0;
    int32_t m_nMesh = -1;
    int32_t m_nKeyframeBase = 100;
    float m_fAlpha = 1.0f;
    int32_t m_nUnit = -1;
    int32_t m_nSlot = 0;
    int32_t m_nKind = 0;
    int32_t m_nPosition = 0;
    int32_t m_nHP = 0;
    int32_t m_nActionLength = 0;
    int32_t m_nActionStart = 0;
    int32_t m_nHitFrame = -1;
    int32_t m_nApproach = 0;
    int32_t m_nDeathFrame = -1;
    bool m_bSpear = false;
    int32_t m_nSkill = -1;
    int32_t m_nTargetIndex = -1;
    std::vector<AttackResult> m_vOwnResult;
    std::vector<AttackResult> m_vReceived;
    CBattleWindowRow m_WindowRow;
    CDamageEffect m_Popups;
    struct TurnRecord {
        bool active = false;
        int32_t start = 0;
        const vm::Matrix* own = nullptr;
        const vm::Matrix* target = nullptr;
    } m_Turn;
    vm::Matrix m_World;

private:
    // The world matrix of the slot the member's projectile or spell aims at
    // (target index t of its record: slot t + 4 from side 0, t from side 1); when
    // the index names no member, the slot of its first result's target.
    const vm::Matrix* AimedMatrix(const BattleFormation& formation) const;
    // The keyframe-data values of one of the member's motions.
    int MotionLength(int motion) const;
    int MotionHitTime(int motion) const;
    // Writes the hit frame into the member's results.
    void SetHitFrames(int frame);
};
