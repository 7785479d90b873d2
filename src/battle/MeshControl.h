#pragma once
// The content of one battle: both sides' members in their formation, when each of
// them acts, where every released hit goes, the effects, and the frame at which the
// battle is over.  C_MeshController plays an exchange of blows (the acting unit's
// members act, then the answering unit's members answer); C_MeshController_Cannon
// plays a cannon shot (the caster casts, then each target unit in its own volley).
#include <cstdint>
#include <vector>

#include "effects/BattleEffectBase.h"
#include "effects/BattleEffectController.h"
#include "BattleMember.h"
#include "KeyframeTable.h"
#include "util/smart_ptr.h"

class C_FieldTaskInfo;

struct BattleFormation {
    // Kinds and swap flags of both sides from the pending records.
    void Build(const C_FieldTaskInfo& field, const vm::Matrix* const matrices[8]);
    // A cannon volley's target unit as slots 4..7.
    void SetCannonTargets(const C_FieldTaskInfo& field, int volley, const vm::Matrix* const matrices[4]);

    int32_t kind[2] = {0, 0};      // where the front row stands (0..3)
    uint8_t swap[2] = {0, 0};      // the two places of each row exchanged
    const vm::Matrix* matrix[8] = {};
    int32_t approach[4] = {0, 0, 0, 0};
};

class C_MeshController : public smart_obj {
public:
    C_MeshController() = default;
    ~C_MeshController() override = default;
    C_MeshController(const C_MeshController&) = delete;
    C_MeshController& operator=(const C_MeshController&) = delete;

    // Builds the battle; returns the end frame.
    virtual int Setup(C_FieldTaskInfo* field);
    // One battle frame (from 1).
    virtual void Update(C_FieldTaskInfo* field, int frame);
    // True while the whole screen is to be blanked (between cannon volleys).
    virtual bool QueryState() { return false; }

    // Queues each released result at the member its target code names.
    void RouteHits(std::vector<AttackResult>& hits, int frame);
    // The member a target slot code names (null when none).
    BattleMember* MemberOfSlot(int slotCode);

    CKeyframe m_Keyframe;
    std::vector<AttackResult> m_vResult;
    int32_t m_nEndFrame = 0;
    BattleMember m_Member[8];
    BattleFormation m_Formation;
    CBattleEffectController m_Effects;
};

class C_MeshController_Cannon : public C_MeshController {
public:
    int Setup(C_FieldTaskInfo* field) override;
    void Update(C_FieldTaskInfo* field, int frame) override;
    bool QueryState() override { return m_bBetweenVolleys; }
    // Places the next target unit and starts its effect.
    void StartVolley(C_FieldTaskInfo* field);

    int32_t m_nSkill = -1;
    int32_t m_nVolley = 0;
    int32_t m_nFirstVolleyFrame = 120;
    int32_t m_nVolleySpacing = 180;
    bool m_bBetweenVolleys = false;
};
