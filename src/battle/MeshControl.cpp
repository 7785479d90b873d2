// The formation, the action schedule of both sides and the routing of hits.
#include "MeshControl.h"

#include <algorithm>

#include "EffectSelect.h"
#include "FieldTaskInfo.h"
#include "log/ErrorLog.h"

namespace {

// Front members of the record's unit, and those of them whose skill is a melee one.
void CountFront(const C_FieldTaskInfo& field, const BattleActionRecord* rec, int& forward, int& melee) {
    forward = melee = 0;
    if (!rec || !IsValidBattleUnit(field, rec->nUnit)) return;
    const int count = std::min(4, field.m_UnitList.GetMemberCount(rec->nUnit));
    for (int i = 0; i < count; ++i) {
        if (!field.m_UnitList.GetMemberPerson(rec->nUnit, i).bForward) continue;
        ++forward;
        if (GetSkillCategory(&rec->nSkill[i]) == 1) ++melee;
    }
}

int TargetIndex(const BattleActionRecord* rec, int member) { return rec ? rec->nTargetSlot[member] : -1; }

int MemberCount(const C_FieldTaskInfo& field, const BattleActionRecord* rec) {
    if (!rec || !IsValidBattleUnit(field, rec->nUnit)) return 0;
    return std::min(4, field.m_UnitList.GetMemberCount(rec->nUnit));
}

}  // namespace

// ---- formation ------------------------------------------------------------------------

void BattleFormation::Build(const C_FieldTaskInfo& field, const vm::Matrix* const matrices[8]) {
    for (int i = 0; i < 8; ++i) matrix[i] = matrices[i];
    const BattleActionRecord* r0 = GetBattleRecord(field, 0);
    const BattleActionRecord* r1 = GetBattleRecord(field, 1);
    int fwd0, melee0, fwd1, melee1;
    CountFront(field, r0, fwd0, melee0);
    CountFront(field, r1, fwd1, melee1);
    swap[0] = swap[1] = 0;
    auto set = [&](int k0, int k1) {
        kind[0] = k0;
        kind[1] = k1;
    };
    if (fwd0 == 1 && fwd1 == 1) {
        set(0, 0);
    } else if (fwd0 == 1 && melee0 == 0) {
        set(0, 2);
    } else if (fwd0 == 1) {
        set(1, 3);
        swap[1] = TargetIndex(r0, 0) == 1;
    } else if (fwd1 == 1 && melee0 == 0 && melee1 == 1) {
        set(3, 1);
        swap[0] = TargetIndex(r1, 0) == 1;
    } else if (fwd1 == 1) {
        set(2, 0);
    } else if (melee0 == 1 && r0 && GetSkillCategory(&r0->nSkill[0]) == 1) {
        set(2, 3);
        swap[1] = TargetIndex(r0, 0) == 0;
    } else if (melee0 == 1) {
        set(2, 3);
        swap[0] = 1;
        swap[1] = TargetIndex(r0, 1) == 0;
    } else if (melee0 == 2) {
        set(2, 2);
        swap[1] = TargetIndex(r0, 0) == 1;
    } else {
        set(2, 2);
        swap[0] = TargetIndex(r1, 0) == 1 || TargetIndex(r1, 1) == 0;
    }
}

void BattleFormation::SetCannonTargets(const C_FieldTaskInfo& field, int volley,
                                       const vm::Matrix* const matrices[4]) {
    for (int i = 0; i < 4; ++i) matrix[4 + i] = matrices[i];
    kind[1] = 2;
    const BattleActionRecord* rec = GetBattleRecord(field, volley);
    if (MemberCount(field, rec) >= 2 && !field.m_UnitList.GetMemberPerson(rec->nUnit, 1).bForward) kind[1] = 0;
    swap[0] = swap[1] = 0;
}

// ---- plain controller --------------------------------------------------------------------

int C_MeshController::Setup(C_FieldTaskInfo* field) {
    const vm::Matrix* matrices[8];
    for (int i = 0; i < 8; ++i) matrices[i] = &m_Member[i].m_World;
    m_Formation.Build(*field, matrices);

    m_vResult.clear();
    for (int r = 0; r < 2; ++r)
        if (const BattleActionRecord* rec = GetBattleRecord(*field, r))
            m_vResult.insert(m_vResult.end(), rec->vResult.begin(), rec->vResult.end());

    for (int s = 0; s < 8; ++s) {
        m_Member[s].Place(*field, &m_Keyframe, m_Formation, s);
        m_Member[s].m_WindowRow.Setup(*field, m_Member[s].m_bActive, s, m_Member[s].m_nPosition);
    }

    const int n = MemberCount(*field, GetBattleRecord(*field, 0));
    for (int i = 0; i < n; ++i) {
        m_Member[i].StartAttack(*field, m_Formation, m_Effects);
        m_Formation.approach[i] = m_Member[i].m_nApproach;
    }

    int attack = 10;
    for (int s = 0; s < 4; ++s) attack = std::min(1000, std::max(attack, m_Member[s].m_nActionLength));
    const int counterStart = 3 * (n + 25) + attack;

    const int answering = MemberCount(*field, GetBattleRecord(*field, 1));
    for (int i = 0; i < answering; ++i) m_Member[4 + i].StartCounter(*field, counterStart, m_Formation, m_Effects);
    int answer = 0;
    for (int i = 0; i < answering; ++i)
        answer = std::min(1000, std::max(answer, m_Member[4 + i].m_nActionLength + 3 * i));

    m_nEndFrame = counterStart + answer + (answer > 9 ? 120 : 30);
    return m_nEndFrame;
}

BattleMember* C_MeshController::MemberOfSlot(int slotCode) {
    if (slotCode < 0) return nullptr;
    if (slotCode < 8) return &m_Member[slotCode];
    return nullptr;
}

void C_MeshController::RouteHits(std::vector<AttackResult>& hits, int frame) {
    for (const AttackResult& h : hits) {
        AttackResult hit = h;
        hit.nHitFrame = frame;
        BattleMember* target = MemberOfSlot(hit.nTarget);
        if (!target) {
            g_ErrorLog.Printf("C_MeshController: a result aims at slot %d, which no member holds", hit.nTarget);
            continue;
        }
        target->QueueHit(hit);
    }
}

void C_MeshController::Update(C_FieldTaskInfo* field, int frame) {
    m_Effects.Update(frame);
    std::vector<AttackResult> hits;
    m_Effects.TakeHits(hits);
    for (const BattleMember& m : m_Member) m.ReleaseHits(hits, frame);
    RouteHits(hits, frame);
    for (BattleMember& m : m_Member)
        if (m.m_bActive) m.Update(*field, frame, m_Formation, m_Effects);
}

// ---- cannon controller --------------------------------------------------------------------

int C_MeshController_Cannon::Setup(C_FieldTaskInfo* field) {
    const BattleActionRecord* r0 = GetBattleRecord(*field, 0);
    m_nSkill = r0 ? r0->nSkill[0] : -1;
    m_nVolley = 0;
    for (int i = 0; i < 8; ++i) m_Formation.matrix[i] = i < 4 ? &m_Member[i].m_World : nullptr;
    m_Formation.kind[0] = m_Formation.kind[1] = 0;
    m_Formation.swap[0] = m_Formation.swap[1] = 0;
    m_vResult.clear();
    m_Member[0].Place(*field, &m_Keyframe, m_Formation, 0);
    m_Member[0].StartAttack(*field, m_Formation, m_Effects);
    m_nFirstVolleyFrame = 120;
    m_nVolleySpacing = 180;
    m_nEndFrame = 305;
    m_Member[0].m_WindowRow.Setup(*field, m_Member[0].m_bActive, 0, m_Member[0].m_nPosition);
    return m_nEndFrame;
}

void C_MeshController_Cannon::StartVolley(C_FieldTaskInfo* field) {
    const int v = ++m_nVolley;
    for (BattleMember& m : m_Member) m.m_bActive = false;
    const vm::Matrix* targets[4];
    for (int i = 0; i < 4; ++i) targets[i] = &m_Member[4 + i].m_World;
    m_Formation.SetCannonTargets(*field, v, targets);
    for (int i = 0; i < 4; ++i) {
        BattleMember& m = m_Member[4 + i];
        m.Place(*field, &m_Keyframe, m_Formation, 4 * v + i);
        m.m_WindowRow.Setup(*field, m.m_bActive, 4 * v + i, m.m_nPosition);
    }
    m_Effects.Clear();
    BattleEffectArgs a;
    for (int i = 4; i < 8; ++i)
        if (m_Member[i].m_bActive) a.targets.push_back(&m_Member[i].m_World);
    if (const BattleActionRecord* rec = GetBattleRecord(*field, v)) a.hits = rec->vResult;
    a.start = (m_nVolleySpacing + 5) * v + m_nFirstVolleyFrame - 180 + 10;
    const char* name = CannonEffectName(m_nSkill, &a.flag);
    AddBattleEffect(m_Effects, name, a);
    for (BattleMember& m : m_Member) m.m_Popups.Reset();
}

void C_MeshController_Cannon::Update(C_FieldTaskInfo* field, int frame) {
    const int t = (m_nVolleySpacing + 5) * m_nVolley + m_nFirstVolleyFrame;
    m_bBetweenVolleys = t < frame;
    if (t + 5 < frame) StartVolley(field);
    m_Effects.Update(frame);
    std::vector<AttackResult> hits;
    m_Effects.TakeHits(hits);
    if (m_nVolley != 0) {
        // Volley v shows record v's unit as members 4..7 (slots 4v..4v+3).
        for (AttackResult& h : hits)
            if (h.nTarget >= 4) h.nTarget = 4 + h.nTarget % 4;
        RouteHits(hits, frame);
    }
    for (BattleMember& m : m_Member)
        if (m.m_bActive) m.Update(*field, frame, m_Formation, m_Effects);
}
