#include "turn/TaskOperateUnit.h"

#include <algorithm>
#include <vector>

#include "FieldTaskInfo.h"
#include "SkillData.h"
#include "turn/TaskChargeAnime.h"
#include "turn/TaskDispDamage.h"
#include "turn/TaskSelectUnit.h"
#include "turn/TurnBridge.h"

#include "menu/OperateUnitMenu.h"
#include "menu/ConfBattleMenu.h"
#include "menu/SelectSkillMenu.h"

using namespace turnflow;

C_TaskOperateUnit::C_TaskOperateUnit(C_FieldTaskInfo* info, int unit, uint8_t mode) : m_nUnit(unit) {
    m_Undo.Clear();
    m_bAutoMove = mode;
    const CUnitList& units = info->m_UnitList;
    m_bMovedBefore = units.IsValidUnit(unit) && units.IsMoveEnd(unit) ? 1 : 0;
    m_bNotMoved = m_bMovedBefore ? 0 : 1;
    if (units.IsValidUnit(unit)) {
        info->m_nHoverX = units.GetX(unit);
        info->m_nHoverY = units.GetY(unit);
    }
    if (mode == 1) {
        m_nMenuResult = kMoveAll;
        m_eStage = Stage::WaitCommand;
    } else {
        m_eStage = Stage::OpenCommandMenu;
    }
}

void C_TaskOperateUnit::Close(C_FieldTaskInfo* info) {
    AddTask(info, new C_TaskSelectUnit(info), kSelectUnit);
    KillSelf(info);
}

void C_TaskOperateUnit::Undo(C_FieldTaskInfo* info) {
    m_bNotMoved = 1;
    const int unit = m_Undo.Restore(*info);
    if (unit >= 0) m_nUnit = unit;
    m_Undo.Clear();
}

bool C_TaskOperateUnit::CanMoveAfterAttack(C_FieldTaskInfo* info, int unit) {
    std::vector<FieldCell> cells;
    info->SearchUnitMoves(unit, cells, nullptr);
    if (cells.size() < 2) return false;
    const CUnitList& units = info->m_UnitList;
    for (int m = 0; m < units.GetMemberCount(unit); ++m)
        if (info->m_PersonList.HasPassiveSkillEffect(units.GetMember(unit, m), 10)) return true;
    return false;
}

int C_TaskOperateUnit::ChargeAfter(C_FieldTaskInfo* info, int unit) {
    const CUnitList& units = info->m_UnitList;
    const bool doubled = units.GetMemberCount(unit) > 0 &&
                         info->m_PersonList.HasPassiveSkillEffect(units.GetMember(unit, 0), 9);
    return std::clamp(units.GetCharge(unit) + (doubled ? 2 : 1), 0, kMaxCharge);
}

void C_TaskOperateUnit::StartMove(C_FieldTaskInfo* info, uint8_t afterAttack, uint8_t moveAll) {
    for (bool& s : m_bSelect) s = true;
    AddTask(info,
            new C_TaskMoveUnit(ReplyTo(info, this, &m_nMenuResult), info, m_nUnit, ReplyTo(info, this, &m_nUnit),
                               m_bSelect, ReplyTo(info, this, &m_Undo), afterAttack, moveAll),
            kMoveUnit);
}

void C_TaskOperateUnit::FindUnitAgain(C_FieldTaskInfo* info) {
    const int u = info->m_UnitList.FindUnitById(m_nUnitID);
    m_nUnit = u >= 0 ? u : kUnitGone;
}

void C_TaskOperateUnit::StartBattle(C_FieldTaskInfo* info) {
    KillTask(info, kDrawMap);
    KillTask(info, kDrawMapUpper);
    AddTask(info, new C_TaskBattle(info, ReplyTo(info, this, &m_bBattleOver)), kBattle);
}

// Waits for the running event; when it is over raises `next` (none: null) and goes on.
bool C_TaskOperateUnit::Event(C_FieldTaskInfo* info, const char* next, Stage stage) {
    if (!m_bEventDone) return false;
    if (next != nullptr) RaiseEvent(info, this, &m_bEventDone, next);
    m_eStage = stage;
    return true;
}

void C_TaskOperateUnit::AfterMove(C_FieldTaskInfo* info) {
    const int result = m_nMenuResult;
    if (result != C_TaskMoveUnit::kCancelled) m_bNotMoved = 0;
    bool close = true;
    if (m_eStage == Stage::WaitMove && !info->m_UnitList.IsActEnd(m_nUnit)) {
        m_eStage = Stage::OpenCommandMenu;
        close = result == C_TaskMoveUnit::kCancelled && m_bAutoMove;
    }
    if (result == C_TaskMoveUnit::kStayed) {
        m_bNotMoved = 1;
        m_bAutoMove = 0;
    }
    if (close) Close(info);
}

void C_TaskOperateUnit::Update(C_FieldTaskInfo* info) {
    CUnitList& units = info->m_UnitList;
    std::vector<FieldCell> cells;
    switch (m_eStage) {
    // ---- command and move ----
    case Stage::OpenCommandMenu:
        info->m_nHoverX = units.GetX(m_nUnit);
        info->m_nHoverY = units.GetY(m_nUnit);
        SetCamera(info, info->m_nHoverX, info->m_nHoverY);
        m_nMenuResult = kOpen;
        AddTask(info, new CTaskOperateUnitMenu(ReplyTo(info, this, &m_nMenuResult), info, m_nUnit), kOperateMenu);
        m_eStage = Stage::WaitCommand;
        return;
    case Stage::WaitCommand:
        switch (m_nMenuResult) {
        case kCancel:
            if (m_bMovedBefore || m_bNotMoved) {
                Close(info);
                return;
            }
            Undo(info);
            if (m_bAutoMove) m_nMenuResult = kMoveAll;
            else m_eStage = Stage::OpenCommandMenu;
            return;
        case kMoveAll:
        case kMove:
            StartMove(info, 0, m_nMenuResult == kMoveAll ? 1 : 0);
            m_eStage = Stage::WaitMove;
            return;
        case kAttack:
        case kSupport:
            m_bSupport = m_nMenuResult == kSupport ? 1 : 0;
            m_eStage = Stage::ShowTargets;
            return;
        case kCannon:
            m_eStage = Stage::OpenSkillMenu;
            return;
        case kClose:
            Close(info);
            return;
        default:
            return;
        }
    case Stage::WaitMove:
    case Stage::WaitMoveAfterAttack:
        if (m_nMenuResult != 0) AfterMove(info);
        return;

    // ---- attack and support ----
    case Stage::ShowTargets: {
        info->CalcUnitAreasFor(cells, m_nUnit, m_bSupport != 0, m_bNotMoved == 0);
        std::vector<int32_t> candidates;
        for (const FieldCell& c : cells) {
            const int u = units.FindUnitAt(c.x, c.y);
            if (u >= 0 && units.IsFriend(u) == (m_bSupport != 0)) candidates.push_back(u);
        }
        AddTask(info, new C_TaskDispRange(2, cells, info), kRange);
        AddTask(info,
                new C_TaskCursol(ReplyTo(info, this, &m_nCursorResult), ReplyTo(info, this, &m_nTarget), candidates,
                                 info),
                kCursor);
        m_eStage = Stage::ChooseTarget;
        return;
    }
    case Stage::ChooseTarget:
        if (m_nCursorResult == 1) {
            KillTask(info, kRange);
            m_eStage = Stage::OpenConfirm;
        } else if (m_nCursorResult == 2) {
            KillTask(info, kRange);
            m_eStage = Stage::OpenCommandMenu;
        }
        return;
    case Stage::OpenConfirm:
        for (int k = 0; k < 8; ++k) m_nSkill[k] = m_nTargets[k] = -1;
        info->AssignBattleTargets(m_nUnit, m_nTarget, units.GetX(m_nUnit), units.GetY(m_nUnit), m_nTargets, m_nSkill,
                                  -1);
        m_nMenuResult = 0;
        AddTask(info,
                new C_TaskConfBattleMenu(info, ReplyTo(info, this, &m_nMenuResult), m_nUnit, m_nTarget,
                                         ReplyTo(info, this, &m_nSkill), ReplyTo(info, this, &m_nTargets)),
                kConfirmMenu);
        m_eStage = Stage::WaitConfirm;
        return;
    case Stage::WaitConfirm:
        if (m_nMenuResult == -1) {
            m_eStage = Stage::OpenCommandMenu;
        } else if (m_nMenuResult == 1) {
            SetFightingUnits(info, m_nUnit, m_nTarget);
            RaiseEvent(info, this, &m_bEventDone, "FirstFight");
            m_eStage = Stage::WaitFirstFight;
        }
        return;
    case Stage::WaitFirstFight:
        if (m_bEventDone) m_eStage = Stage::Fight;
        return;
    case Stage::Fight:
        info->AssignCounterTargets(m_nUnit, m_nTarget, m_nTargets, m_nSkill);
        info->m_vBattleAction.clear();
        info->ResolveBattle(m_nUnit, m_nTarget, m_nTargets, m_nSkill);
        StartBattle(info);
        m_eStage = Stage::WaitBattle;
        return;
    case Stage::WaitBattle:
        if (m_bBattleOver) m_eStage = Stage::ApplyBattle;
        return;
    case Stage::ApplyBattle:
        AddTask(info, new C_TaskDrawMap(info), kDrawMap);
        units.GetUnitId(m_nUnit, &m_nUnitID);
        units.SetActEndAndMoveEnd(m_nUnit, 1);
        info->ApplyAllActions();
        FindUnitAgain(info);
        RaiseEvent(info, this, &m_bEventDone, "PersonSuffered");
        m_eStage = Stage::WaitPersonSuffered;
        return;
    case Stage::WaitPersonSuffered:
        Event(info, "ForceSuffered", Stage::WaitForceSuffered);
        return;
    case Stage::WaitForceSuffered:
        Event(info, "ForceSufferedAt", Stage::WaitForceSufferedAt);
        return;
    case Stage::WaitForceSufferedAt:
        Event(info, nullptr, Stage::OfferMoveAfterAttack);
        return;
    case Stage::OfferMoveAfterAttack:
        if (m_nUnit != kUnitGone) FindUnitAgain(info);  // the events may have moved units
        if (m_nUnit == kUnitGone || !CanMoveAfterAttack(info, m_nUnit)) {
            Close(info);
            return;
        }
        StartMove(info, 1, 0);
        m_eStage = Stage::WaitMoveAfterAttack;
        return;

    // ---- cannon magic ----
    case Stage::OpenSkillMenu:
        m_nMenuResult = 0;
        m_nSkillRow = 0;
        AddTask(info, new C_TaskSelectSkillMenu(info, ReplyTo(info, this, &m_nMenuResult), m_nUnit, 0, -1,
                                                ReplyTo(info, this, &m_nSkillRow), true),
                kSkillMenu);
        m_eStage = Stage::WaitSkillMenu;
        return;
    case Stage::WaitSkillMenu:
        if (m_nMenuResult == 1 && m_nSkillRow == 0) {
            AddTask(info, new C_TaskChargeAnime(info, m_nUnit, ReplyTo(info, this, &m_bBattleOver)), kChargeAnime);
            m_eStage = Stage::WaitCharge;
        } else if (m_nMenuResult == 1) {
            m_nSkill[0] = units.GetMemberSkillByIndex(m_nUnit, 0, m_nSkillRow - 1);
            m_eStage = Stage::ShowCannonReach;
        } else if (m_nMenuResult == -1) {
            m_eStage = Stage::OpenCommandMenu;
        }
        return;
    case Stage::ShowCannonReach: {
        const int skill = m_nSkill[0];
        info->CollectCellsInRange(cells, units.GetX(m_nUnit), units.GetY(m_nUnit), g_SkillData.GetRange2(skill),
                                  g_SkillData.GetPath(skill), m_nUnit);
        AddTask(info, new C_TaskDispRange(2, cells, info), kRange);
        AddTask(info, new C_TaskCursol(ReplyTo(info, this, &m_nCursorResult), info), kCursor);
        // The area shown is the area the spell strikes (its nearest ring is "region1" - 1).
        AddTask(info,
                new C_TaskDispCannonRange(1, g_SkillData.GetRegion2(skill) - 1, g_SkillData.GetRegion1(skill) - 1),
                kSecondRange);
        m_eStage = Stage::AimCannon;
        return;
    }
    case Stage::AimCannon:
        if (m_nCursorResult == 1) {
            KillTask(info, kRange);
            KillTask(info, kSecondRange);
            const int skill = m_nSkill[0];
            const bool friendly = g_SkillData.GetTarget(skill) != 0;
            info->m_vBattleAction.clear();
            for (int u = 0; u < units.GetCount(); ++u) {
                if (units.IsInRange(u, info->m_nHoverX, info->m_nHoverY, g_SkillData.GetRegion2(skill) - 1,
                                    g_SkillData.GetRegion1(skill) - 1) &&
                    units.IsFriend(u) == friendly)
                    info->ResolveSkillOnUnit(m_nUnit, u, skill);
            }
            if (info->m_vBattleAction.empty()) {
                m_eStage = Stage::ShowCannonReach;  // nobody there: aim again
                return;
            }
            StartBattle(info);
            m_eStage = Stage::WaitCannonBattle;
        } else if (m_nCursorResult == 2) {
            KillTask(info, kRange);
            KillTask(info, kSecondRange);
            m_eStage = Stage::OpenSkillMenu;
        }
        return;
    case Stage::WaitCannonBattle:
        if (!m_bBattleOver) return;
        AddTask(info, new C_TaskDrawMap(info), kDrawMap);
        units.SetActEndAndMoveEnd(m_nUnit, 1);
        units.GetUnitId(m_nUnit, &m_nUnitID);
        AddTask(info, new C_TaskDispCannonDamage(info, ReplyTo(info, this, &m_bBattleOver)), kCannonDamage);
        m_eStage = Stage::WaitCannonDamage;
        return;
    case Stage::WaitCannonDamage:
        if (!m_bBattleOver) return;
        FindUnitAgain(info);
        RaiseEvent(info, this, &m_bEventDone, "ForceSuffered");
        m_eStage = Stage::WaitCannonForceSuffered;
        return;
    case Stage::WaitCannonForceSuffered:
        Event(info, "ForceSufferedAt", Stage::WaitCannonForceSufferedAt);
        return;
    case Stage::WaitCannonForceSufferedAt:
        Event(info, "PersonSuffered", Stage::WaitCannonPersonSuffered);
        return;
    case Stage::WaitCannonPersonSuffered:
        if (m_bEventDone) Close(info);
        return;
    case Stage::WaitCharge:
        if (!m_bBattleOver) return;
        units.SetCharge(m_nUnit, ChargeAfter(info, m_nUnit));
        units.SetActEndAndMoveEnd(m_nUnit, 1);
        KillTask(info, kOperateMenu);
        Close(info);
        return;
    }
}
