#include "turn/TaskEnemy.h"

#include <algorithm>
#include <cstdlib>

#include "FieldTaskInfo.h"
#include "SkillData.h"
#include "input/gvlInputManager.h"
#include "resources/SheetDraw.h"
#include "turn/TaskChargeAnime.h"
#include "turn/TaskDispDamage.h"
#include "turn/TaskOperateUnit.h"
#include "turn/TaskTurn.h"
#include "turn/TurnBridge.h"

using namespace turnflow;

namespace {

void HighlightCell(C_FieldTaskInfo* info, int kind, int x, int y, unsigned char alpha) {
    CD3DDrawTexture* sheet = UpperSheet(info);
    if (sheet == nullptr) return;
    DrawCellHighlight(sheet, kind, info->GetScreenX((float)x, (float)y) - 56, info->GetScreenY((float)x, (float)y),
                      alpha);
}

}  // namespace

// ---- C_TaskOperateEnemy ---------------------------------------------------------------

C_TaskOperateEnemy::C_TaskOperateEnemy(C_FieldTaskInfo* info) {
    m_bReady = 1;
    m_bPlanDone = 0;
    m_bEventDone = 0;
    m_bPhaseOver = 0;
    info->m_AI.BeginPhase(*info);
}

void C_TaskOperateEnemy::Update(C_FieldTaskInfo* info) {
    if (info->m_nExitState != 0) {
        // The script has ended the mission: no further action, and no action task left
        // to report into this task once it is gone.
        if (!m_bReady) KillTask(info, kEnemyAction);
        KillSelf(info);
        return;
    }
    if (!m_bReady) return;
    // An action taken away while its event runs has answered already: the event's
    // end comes first, and with it the map's end when it has one.
    if (info->IsTurnHeld()) return;
    if (m_bPhaseOver) {
        AddTask(info, new C_TaskStartTurn(info), kStartTurn);
        KillSelf(info);
        return;
    }
    if (!m_bPlanDone) {
        const bool detected = info->m_AI.m_bDetected;
        info->m_AI.UpdatePlan(*info);
        if (info->m_AI.m_bDetected != detected) RaiseEvent(info, this, &m_bEventDone, "Detected");
        else m_bEventDone = 1;
        m_bPlanDone = 1;
    }
    if (!m_bEventDone) return;

    AIAction action;
    bool over = false;
    info->m_AI.NextAction(action, &over, *info);
    if (over) m_bPhaseOver = 1;
    const CUnitList& units = info->m_UnitList;
    if (action.nUnit < 0 || !units.IsValidUnit(action.nUnit)) return;
    C_TaskBase* task = nullptr;
    switch (action.nKind) {
    case 0:
        if (action.destX == units.GetX(action.nUnit) && action.destY == units.GetY(action.nUnit)) return;
        task = new C_TaskMoveEnemy(ReplyTo(info, this, &m_bReady), action.nUnit, action.destX, action.destY,
                                   action.bSelect, info);
        break;
    case 1:
        task = new C_TaskActEnemy(ReplyTo(info, this, &m_bReady), action.nUnit, action.targetX, action.targetY,
                                  action.nTarget, action.nSkill, info);
        break;
    case 2:
        task = new C_TaskChargeEnemy(ReplyTo(info, this, &m_bReady), action.nUnit);
        break;
    default:
        return;
    }
    ++m_nActions;
    AddTask(info, task, kEnemyAction);
}

// ---- C_TaskMoveEnemy ------------------------------------------------------------------

C_TaskMoveEnemy::C_TaskMoveEnemy(const C_TaskReply<uint8_t>& done, int unit, int x, int y, const bool selection[4],
                                 C_FieldTaskInfo* info)
    : m_Done(done), m_nUnit(unit), m_nDestX(x), m_nDestY(y) {
    m_Done.Start(0);
    const CUnitList& units = info->m_UnitList;
    for (int k = 0; k < 4; ++k) m_bSelect[k] = selection[k];
    m_bStays = x == units.GetX(unit) && y == units.GetY(unit) ? 1 : 0;
    std::vector<FieldCell> cells;
    info->CalcUnitMoveArea(unit, cells, 0);
    AddTask(info, new C_TaskDispRange(1, cells, info), kRange);
    SetCamera(info, units.GetX(unit), units.GetY(unit));
    PlaySE("pi73");
    m_eStage = Stage::ShowArea;
}

void C_TaskMoveEnemy::StartWalk(C_FieldTaskInfo* info) {
    KillTask(info, kRange);
    CUnitList& units = info->m_UnitList;
    const int count = units.GetMemberCount(m_nUnit);
    bool selected[4] = {};
    int chosen = 0;
    for (int k = 0; k < count && k < 4; ++k) {
        selected[k] = m_bSelect[k];
        chosen += selected[k] ? 1 : 0;
    }
    // A unit standing on the destination takes only as many members as it has room
    // for; the others stay where they are, never on its cell and never lost.
    const int holder = units.FindUnitAt(m_nDestX, m_nDestY);
    if (holder >= 0 && holder != m_nUnit) {
        const bool joinable = units.IsFriend(holder) == units.IsFriend(m_nUnit) && !units.IsHero(holder) &&
                              !units.IsHero(m_nUnit);
        int room = joinable ? kMaxUnitMembers - units.GetMemberCount(holder) : 0;
        for (int k = 0; k < 4; ++k) {
            if (!selected[k]) continue;
            if (room > 0) --room;
            else selected[k] = false, --chosen;
        }
    }
    if (chosen == 0) {
        m_eStage = Stage::Pause;  // nobody moves
        m_nFrame = 0;
        return;
    }
    m_nUnit = units.SplitUnit(m_nUnit, selected);
    m_nDestUnit = units.FindUnitAt(m_nDestX, m_nDestY);
    if (m_nDestUnit == m_nUnit) m_nDestUnit = -1;
    m_nDestUnitID = -1;
    if (m_nDestUnit >= 0) units.GetUnitId(m_nDestUnit, &m_nDestUnitID);
    std::vector<FieldCell> cells;
    for (int k = 0; k < 4; ++k) {
        m_vTree[k].clear();
        if (k < units.GetMemberCount(m_nUnit)) info->SearchPersonMoves(m_nUnit, k, cells, &m_vTree[k]);
    }
    info->BuildMovePath(m_nUnit, m_nDestX, m_nDestY);
    m_eStage = Stage::Walking;
}

void C_TaskMoveEnemy::Arrive(C_FieldTaskInfo* info) {
    CUnitList& units = info->m_UnitList;
    for (int k = 0; k < units.GetMemberCount(m_nUnit) && k < 4; ++k) {
        for (const MoveSearchNode& n : m_vTree[k]) {
            if (n.x != m_nDestX || n.y != m_nDestY) continue;
            units.SetMemberRestMove(m_nUnit, k, n.nRest);
            break;
        }
    }
    if (m_nDestX != units.GetX(m_nUnit) || m_nDestY != units.GetY(m_nUnit)) units.SetCharge(m_nUnit, 0);
    units.SetUnitPosition(m_nUnit, m_nDestX, m_nDestY);
    SetCamera(info, m_nDestX, m_nDestY);
    const int holder = m_nDestUnitID >= 0 ? units.FindUnitById(m_nDestUnitID) : -1;
    if (holder >= 0 && holder != m_nUnit) {
        bool all[4] = {};
        for (int k = 0; k < units.GetMemberCount(m_nUnit) && k < 4; ++k) all[k] = true;
        const int receiver = units.TransferMembers(holder, m_nUnit, all);
        if (receiver >= 0) units.SetMoveEnd(receiver, 1);
    } else if (!m_bStays) {
        units.SetMoveEnd(m_nUnit, 1);
    }
    m_nFrame = 0;
    m_eStage = Stage::Pause;
}

void C_TaskMoveEnemy::Update(C_FieldTaskInfo* info) {
    ++m_nFrame;
    switch (m_eStage) {
    case Stage::ShowArea: {
        IInputManager* input = info->GetInputManager();
        const bool hurried = input != nullptr && input->IsLButtonDown();
        if (m_nFrame > kShowFrames || (m_nFrame > kHurriedFrames && hurried)) StartWalk(info);
        return;
    }
    case Stage::Walking:
        if (C_TaskDrawMap_Upper::WalkOver(info)) Arrive(info);
        return;
    case Stage::Pause:
        if (m_nFrame > kPauseFrames) {
            m_Done.Set(1);
            KillSelf(info);
        }
        return;
    }
}

void C_TaskMoveEnemy::Draw(C_FieldTaskInfo* info) {
    if (m_eStage != Stage::ShowArea || !info->m_UnitList.IsValidUnit(m_nUnit)) return;
    HighlightCell(info, 0, info->m_UnitList.GetX(m_nUnit), info->m_UnitList.GetY(m_nUnit), 255);
}

// ---- C_TaskChargeEnemy ----------------------------------------------------------------

C_TaskChargeEnemy::C_TaskChargeEnemy(const C_TaskReply<uint8_t>& done, int unit) : m_Done(done), m_nUnit(unit) {
    m_Done.Start(0);
}

void C_TaskChargeEnemy::Update(C_FieldTaskInfo* info) {
    CUnitList& units = info->m_UnitList;
    if (m_eStage == Stage::StartAnime) {
        SetCamera(info, units.GetX(m_nUnit), units.GetY(m_nUnit));
        AddTask(info, new C_TaskChargeAnime(info, m_nUnit, ReplyTo(info, this, &m_bAnimeDone)), kChargeAnime);
        m_eStage = Stage::WaitAnime;
        return;
    }
    if (!m_bAnimeDone) return;
    // The same rule as the player's charge, within 0..3.
    units.SetCharge(m_nUnit, C_TaskOperateUnit::ChargeAfter(info, m_nUnit));
    units.SetActEndAndMoveEnd(m_nUnit, 1);
    m_Done.Set(1);
    KillSelf(info);
}

// ---- C_TaskActEnemy -------------------------------------------------------------------

C_TaskActEnemy::C_TaskActEnemy(const C_TaskReply<uint8_t>& done, int unit, int x, int y, const int targets[4],
                               const int skills[4], C_FieldTaskInfo* info)
    : m_Done(done), m_nUnit(unit), m_nTargetX(x), m_nTargetY(y) {
    m_Done.Start(0);
    for (int k = 0; k < 4; ++k) {
        m_nSkill[k] = skills[k];
        m_nTargets[k] = targets[k];
    }
    CUnitList& units = info->m_UnitList;
    const int ux = units.GetX(unit), uy = units.GetY(unit);
    std::vector<FieldCell> cells;
    if (m_nSkill[0] != -1 && g_SkillData.IsCannon(m_nSkill[0])) {
        SetCamera(info, ux, uy);
        info->CollectCellsInRange(cells, ux, uy, g_SkillData.GetRange2(m_nSkill[0]), g_SkillData.GetPath(m_nSkill[0]),
                                  unit);
        m_eStage = Stage::ShowCannonReach;
    } else {
        m_nTargetUnit = units.FindUnitAt(x, y);
        int k = 0;
        while (k < 4 && m_nSkill[k] == -1) ++k;
        if (k == 4 || m_nTargetUnit < 0 || m_nTargetUnit == unit) {
            // Nothing to strike with, or nobody to strike: the action ends at once.
            m_eStage = Stage::Done;
            return;
        }
        info->CalcUnitAreasFor(cells, unit, g_SkillData.GetType(m_nSkill[k]) == 3, units.IsMoveEnd(unit));
        SetCamera(info, ux, uy);
        m_eStage = Stage::ShowAttackArea;
    }
    PlaySE("pi73");
    AddTask(info, new C_TaskDispRange(2, cells, info), kRange);
}

bool C_TaskActEnemy::Event(C_FieldTaskInfo* info, const char* next, Stage stage) {
    if (!m_bEventDone) return false;
    if (next != nullptr) RaiseEvent(info, this, &m_bEventDone, next);
    m_eStage = stage;
    return true;
}

void C_TaskActEnemy::Update(C_FieldTaskInfo* info) {
    CUnitList& units = info->m_UnitList;
    ++m_nFrame;
    switch (m_eStage) {
    case Stage::ShowAttackArea:
        if (m_nFrame <= kAttackWait) return;
        info->AssignCounterTargets(m_nUnit, m_nTargetUnit, m_nTargets, m_nSkill);
        info->m_vBattleAction.clear();
        info->ResolveBattle(m_nUnit, m_nTargetUnit, m_nTargets, m_nSkill);
        SetFightingUnits(info, m_nUnit, m_nTargetUnit);
        RaiseEvent(info, this, &m_bEventDone, "FirstFight");
        m_eStage = Stage::WaitFirstFight;
        return;
    case Stage::WaitFirstFight:
        if (!m_bEventDone) return;
        KillTask(info, kRange);
        KillTask(info, kDrawMap);
        KillTask(info, kDrawMapUpper);
        AddTask(info, new C_TaskBattle(info, ReplyTo(info, this, &m_bBattleOver)), kBattle);
        m_eStage = Stage::WaitBattle;
        return;
    case Stage::WaitBattle:
        if (!m_bBattleOver) return;
        units.SetActEndAndMoveEnd(m_nUnit, 1);
        info->ApplyAllActions();
        AddTask(info, new C_TaskDrawMap(info), kDrawMap);
        m_eStage = Stage::RaiseForceSuffered;
        return;
    case Stage::ShowCannonReach:
        if (m_nFrame <= kCannonShow) return;
        m_nFrame = 0;
        PlaySE("pi73");
        GlideMinimap(m_nTargetX, m_nTargetY);
        m_eStage = Stage::AimCannon;
        return;
    case Stage::AimCannon: {
        if (m_nFrame <= kCannonAim) return;
        const int skill = m_nSkill[0];
        // Seen from the enemy's side: an attacking spell ("target" 0) strikes the player's units.
        const bool friendly = g_SkillData.GetTarget(skill) != 0;
        info->m_vBattleAction.clear();
        for (int u = 0; u < units.GetCount(); ++u) {
            if (units.IsInRange(u, m_nTargetX, m_nTargetY, g_SkillData.GetRegion2(skill) - 1,
                                g_SkillData.GetRegion1(skill) - 1) &&
                units.IsFriend(u) != friendly)
                info->ResolveSkillOnUnit(m_nUnit, u, skill);
        }
        KillTask(info, kRange);
        if (info->m_vBattleAction.empty()) {
            // A shot that hits nobody: no battle and no damage to show.
            units.SetActEndAndMoveEnd(m_nUnit, 1);
            m_bEventDone = 1;
            m_eStage = Stage::RaiseForceSuffered;
            return;
        }
        KillTask(info, kDrawMap);
        KillTask(info, kDrawMapUpper);
        AddTask(info, new C_TaskBattle(info, ReplyTo(info, this, &m_bBattleOver)), kBattle);
        m_bEventDone = 0;
        m_eStage = Stage::WaitCannonBattle;
        return;
    }
    case Stage::WaitCannonBattle:
        if (!m_bBattleOver) return;
        AddTask(info, new C_TaskDrawMap(info), kDrawMap);
        units.SetActEndAndMoveEnd(m_nUnit, 1);
        AddTask(info, new C_TaskDispCannonDamage(info, ReplyTo(info, this, &m_bBattleOver)), kCannonDamage);
        m_eStage = Stage::WaitCannonDamage;
        return;
    case Stage::WaitCannonDamage:
        if (m_bBattleOver) m_eStage = Stage::RaiseForceSuffered;
        return;
    case Stage::RaiseForceSuffered:
        m_nUnit = -1;
        RaiseEvent(info, this, &m_bEventDone, "ForceSuffered");
        m_eStage = Stage::WaitForceSuffered;
        return;
    case Stage::WaitForceSuffered:
        Event(info, "ForceSufferedAt", Stage::WaitForceSufferedAt);
        return;
    case Stage::WaitForceSufferedAt:
        Event(info, "PersonSuffered", Stage::WaitPersonSuffered);
        return;
    case Stage::WaitPersonSuffered:
        Event(info, nullptr, Stage::Done);
        return;
    case Stage::Done:
        m_Done.Set(1);
        KillSelf(info);
        return;
    }
}

void C_TaskActEnemy::Draw(C_FieldTaskInfo* info) {
    if (m_eStage == Stage::ShowAttackArea || m_eStage == Stage::WaitFirstFight) {
        if (m_nTargetUnit >= 0) HighlightCell(info, 2, m_nTargetX, m_nTargetY, 255);
    } else if (m_eStage == Stage::AimCannon) {
        const int reach = g_SkillData.GetRegion2(m_nSkill[0]) - 1;
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx)
                if (std::abs(dx) + std::abs(dy) <= reach) HighlightCell(info, 2, m_nTargetX + dx, m_nTargetY + dy, 120);
    }
}
