#include "turn/TaskMoveUnit.h"

#include <algorithm>

#include "FieldTaskInfo.h"
#include "input/gvlInputManager.h"
#include "turn/TaskSelectUnit.h"
#include "turn/TurnBridge.h"

#include "menu/MoveUnitMenu.h"

using namespace turnflow;

// ---- undo record ------------------------------------------------------------------------

void UnitUndoRecord::Clear() {
    nUnitID[0] = nUnitID[1] = kNone;
    for (int k = 0; k < 2; ++k) {
        Saved[k].vnPerson.clear();
        for (int m = 0; m < 4; ++m) {
            nRestMove[k][m] = 0;
            bForward[k][m] = 0;
        }
    }
}

void UnitUndoRecord::Snapshot(const C_FieldTaskInfo& info, int k, int unit) {
    const CUnitList& units = info.m_UnitList;
    if (!units.IsValidUnit(unit)) {
        Saved[k].vnPerson.clear();
        return;
    }
    Saved[k] = units.GetUnit(unit);
    for (int m = 0; m < 4; ++m) {
        const bool has = m < (int)Saved[k].vnPerson.size();
        const PersonRecord* p = has ? &info.m_PersonList.GetPerson(Saved[k].vnPerson[m]) : nullptr;
        nRestMove[k][m] = p ? p->nRestMove : 0;
        bForward[k][m] = p ? p->bForward : 0;
    }
}

int UnitUndoRecord::Restore(C_FieldTaskInfo& info) const {
    CUnitList& units = info.m_UnitList;
    CPersonList& persons = info.m_PersonList;
    for (int k = 0; k < 2; ++k) {
        if (nUnitID[k] == kNone) continue;
        const int u = units.FindUnitById(nUnitID[k]);
        if (u >= 0) units.RemoveUnit(u);
    }
    int first = -1;
    for (int k = 0; k < 2; ++k) {
        const UnitRecord& r = Saved[k];
        if (r.vnPerson.empty()) continue;
        const int u = units.AddUnit(r.vnPerson[0]);
        if (u < 0) continue;
        for (size_t m = 1; m < r.vnPerson.size(); ++m) units.AddMember(u, r.vnPerson[m]);
        for (int m = 0; m < (int)r.vnPerson.size() && m < 4; ++m) {
            persons.SetRestMove(r.vnPerson[m], nRestMove[k][m]);
            persons.SetForward(r.vnPerson[m], bForward[k][m]);
        }
        if (k == 0) first = u;
        units.SetUnitPosition(u, r.x, r.y);
        units.SetCharge(u, r.nCharge);
        units.SetMoveEnd(u, r.bMoveEnd);
        units.SetActEnd(u, r.bActEnd);
    }
    return first;
}

// ---- C_TaskMoveUnit ---------------------------------------------------------------------

C_TaskMoveUnit::C_TaskMoveUnit(const C_TaskReply<int32_t>& answer, C_FieldTaskInfo*, int unit,
                               const C_TaskReply<int32_t>& movedUnit, const bool selection[4],
                               const C_TaskReply<UnitUndoRecord>& undo, uint8_t afterAttack, uint8_t moveAll)
    : m_Answer(answer), m_nUnit(unit), m_MovedUnit(movedUnit), m_bAfterAttack(afterAttack), m_bMoveAll(moveAll),
      m_UndoReply(undo) {
    m_Answer.Start(kRunning);
    for (int k = 0; k < 4; ++k) m_bSelect[k] = selection[k];
    // A move starts with nothing to undo: an undo never brings back a unit that exists.
    m_Undo.Clear();
    m_UndoReply.Start(m_Undo);
}

void C_TaskMoveUnit::SetUnit(int unit) {
    m_nUnit = unit;
    m_MovedUnit.Set(unit);
}

bool C_TaskMoveUnit::TreeReaches(int slot, int x, int y, int* rest) const {
    for (const MoveSearchNode& n : m_vTree[slot]) {
        if (n.x != x || n.y != y) continue;
        if (rest) *rest = n.nRest;
        return true;
    }
    return false;
}

void C_TaskMoveUnit::SetUp(C_FieldTaskInfo* info, int variant) {
    const int unit = m_nUnit;
    std::vector<FieldCell> cells;
    for (auto& tree : m_vTree) tree.clear();
    info->CalcUnitMoveArea(unit, cells, variant, m_vTree);
    info->MarkRangeCells(cells);
    AddTask(info, new C_TaskDispRange(1, cells, info), kRange);
    AddTask(info, new C_TaskCursol(ReplyTo(info, this, &m_nCursor), info), kCursor);
    CUnitList& units = info->m_UnitList;
    for (int m = 0; m < 4; ++m) {
        const std::string name = m < units.GetMemberCount(unit) ? units.GetMemberName(unit, m) : std::string();
        m_Name[m].SetText(name, 10, 0xFFFFFFFF);
        m_Name[m].SetMaxWidth(140);  // the panel's width less its margins
        m_Name[m].Render();
    }
}

void C_TaskMoveUnit::Update(C_FieldTaskInfo* info) {
    switch (m_eStage) {
    case Stage::ShowArea:
        SetUp(info, m_bAfterAttack ? 2 : (m_bMoveAll ? 1 : 0));
        m_eStage = Stage::ChooseCell;
        return;
    case Stage::ChooseCell:
        if (m_nCursor == 2) {
            PlaySE("cancel");
            KillTask(info, kRange);
            m_Answer.Set(kCancelled);
            KillSelf(info);
        } else if (m_nCursor == 1) {
            OnDestination(info);
        }
        return;
    case Stage::OpenMenu:
        AddTask(info, new C_TaskMoveUnitMenu(ReplyTo(info, this, &m_nMenuAnswer), info, m_nUnit, m_nDestX, m_nDestY,
                                             m_bReach, ReplyTo(info, this, &m_bSelect), ReplyTo(info, this, &m_nOrder)),
                kMoveMenu);
        m_eStage = Stage::WaitMenu;
        return;
    case Stage::WaitMenu:
        if (m_nMenuAnswer == 1) {
            StartMove(info);
        } else if (m_nMenuAnswer == -1) {
            PlaySE("cancel");
            KillTask(info, kRange);
            const CUnitList& units = info->m_UnitList;
            if (units.GetMemberCount(m_nUnit) >= 2 && !units.IsHero(m_nUnit)) {
                m_eStage = Stage::ShowArea;  // choose the destination again
            } else {
                m_Answer.Set(kCancelled);
                KillSelf(info);
            }
        }
        return;
    case Stage::Walking:
        if (C_TaskDrawMap_Upper::WalkOver(info)) FinishMove(info);
        return;
    }
}

void C_TaskMoveUnit::OnDestination(C_FieldTaskInfo* info) {
    CUnitList& units = info->m_UnitList;
    const int unit = m_nUnit;
    KillTask(info, kRange);
    m_nDestX = info->m_nHoverX;
    m_nDestY = info->m_nHoverY;
    m_nDestUnit = units.FindUnitAt(m_nDestX, m_nDestY);
    m_nDestUnitID = -1;
    if (m_nDestX == units.GetX(unit) && m_nDestY == units.GetY(unit)) {
        m_Answer.Set(kStayed);
        KillSelf(info);
        return;
    }
    if (m_nDestUnit >= 0) {
        if (units.IsFriend(m_nDestUnit) != units.IsFriend(unit) || units.GetMemberCount(m_nDestUnit) >= 4 ||
            units.IsHero(m_nDestUnit) || units.IsHero(unit)) {
            m_eStage = Stage::ShowArea;  // the area and the cursor again
            return;
        }
        units.GetUnitId(m_nDestUnit, &m_nDestUnitID);
    }
    m_mapRestMove.clear();
    for (int m = 0; m < 4; ++m) {
        m_bReach[m] = false;
        if (m >= units.GetMemberCount(unit)) continue;
        int rest = 0;
        if (!TreeReaches(m, m_nDestX, m_nDestY, &rest)) continue;
        const int person = units.GetMember(unit, m);
        m_mapRestMove[person] = rest;
        m_bReach[m] = !m_bAfterAttack || info->m_PersonList.HasPassiveSkillEffect(person, 10);
    }
    PlaySE("ok");
    for (int k = 0; k < 8; ++k) m_nOrder[k] = -1;
    if (units.IsHero(unit)) {
        for (int k = 0; k < 4; ++k) m_bSelect[k] = k == 0;
        m_nOrder[4] = units.GetMember(unit, 0);
        m_nMenuAnswer = 1;
        m_eStage = Stage::WaitMenu;
    } else if (m_bMoveAll) {
        for (int m = 0; m < 4; ++m) {
            m_bSelect[m] = m < units.GetMemberCount(unit);
            if (!m_bSelect[m]) continue;
            const int pos = units.GetSlotPosition(unit, m);
            if (pos >= 0 && pos < 4) m_nOrder[4 + pos] = units.GetMember(unit, m);
        }
        m_nMenuAnswer = 1;
        // Into a unit on the destination the menu chooses the merged order.
        m_eStage = m_nDestUnit < 0 ? Stage::WaitMenu : Stage::OpenMenu;
    } else {
        m_eStage = Stage::OpenMenu;
    }
}

void C_TaskMoveUnit::StartMove(C_FieldTaskInfo* info) {
    CUnitList& units = info->m_UnitList;
    int unit = m_nUnit;
    const int count = units.GetMemberCount(unit);
    bool selected[4] = {};
    bool any = false, all = true;
    for (int m = 0; m < 4; ++m) {
        selected[m] = m < count && m_bSelect[m];
        any = any || selected[m];
        if (m < count && !selected[m]) all = false;
    }
    if (m_nDestUnit >= 0) m_nDestUnit = units.FindUnitById(m_nDestUnitID);
    if (!any || (m_nDestUnit >= 0 && !units.CanJoinUnits(m_nDestUnit, unit, selected))) {
        m_eStage = Stage::OpenMenu;  // the member menu again
        return;
    }
    PlaySE("ok");
    m_Undo.Snapshot(*info, 0, unit);
    units.GetUnitId(unit, &m_Undo.nUnitID[0]);
    m_Undo.nUnitID[1] = UnitUndoRecord::kNone;
    if (!all) {
        if (units.IsMoveEnd(unit)) units.SetActEndAndMoveEnd(unit, 1);
        const int staying = unit;
        unit = units.SplitUnit(unit, selected);
        SetUnit(unit);
        units.GetUnitId(unit, &m_Undo.nUnitID[1]);
        if (m_nOrder[0] != -1) units.SetMembers(staying, &m_nOrder[0]);
    }
    m_UndoReply.Set(m_Undo);
    if (m_nDestUnit < 0 && m_nOrder[4] != -1) units.SetMembers(unit, &m_nOrder[4]);
    info->BuildMovePath(unit, m_nDestX, m_nDestY);
    m_eStage = Stage::Walking;
}

void C_TaskMoveUnit::FinishMove(C_FieldTaskInfo* info) {
    CUnitList& units = info->m_UnitList;
    int unit = m_nUnit;
    for (int m = 0; m < units.GetMemberCount(unit) && m < 4; ++m) {
        auto it = m_mapRestMove.find(units.GetMember(unit, m));
        if (it != m_mapRestMove.end()) units.SetMemberRestMove(unit, m, it->second);
    }
    bool merged = false;
    const int dest = m_nDestUnitID >= 0 ? units.FindUnitById(m_nDestUnitID) : -1;
    if (dest >= 0 && dest != unit) {
        for (int m = 0; m < 4; ++m) m_bSelect[m] = m < units.GetMemberCount(unit);
        m_Undo.Snapshot(*info, 1, dest);
        // Without an order from the menu the members keep the receiver's order first.
        int order[4] = {-1, -1, -1, -1};
        if (m_nOrder[4] != -1) {
            for (int k = 0; k < 4; ++k) order[k] = m_nOrder[4 + k];
        } else {
            int n = 0;
            for (int j = 0; j < units.GetMemberCount(dest) && n < 4; ++j) order[n++] = units.GetMember(dest, j);
            for (int j = 0; j < units.GetMemberCount(unit) && n < 4; ++j) order[n++] = units.GetMember(unit, j);
        }
        const bool splitOff = m_Undo.nUnitID[1] != UnitUndoRecord::kNone;
        const int mergedUnit = units.MergeUnits(dest, unit, order);
        if (mergedUnit >= 0) {
            unit = mergedUnit;
            SetUnit(unit);
            int id = UnitUndoRecord::kNone;
            units.GetUnitId(unit, &id);
            if (!splitOff) m_Undo.nUnitID[0] = UnitUndoRecord::kNone;
            m_Undo.nUnitID[1] = id;
            merged = true;
        }
        m_UndoReply.Set(m_Undo);
    }
    units.SetUnitPosition(unit, m_nDestX, m_nDestY);
    units.SetMoveEnd(unit, 1);
    units.SetCharge(unit, 0);
    SetCamera(info, units.GetX(unit), units.GetY(unit));
    m_Answer.Set(merged ? kMerged : kMoved);
    KillSelf(info);
}

void C_TaskMoveUnit::Draw(C_FieldTaskInfo* info) {
    if (m_eStage == Stage::WaitMenu || m_eStage == Stage::Walking || m_Name[0].GetText().empty()) return;
    m_Panel.SetSize(150, 50, 0xC0000000);
    m_Panel.Draw(20, 400);
    for (int m = 0; m < 4; ++m) {
        if (m_Name[m].GetText().empty()) continue;
        const bool reach = TreeReaches(m, info->m_nHoverX, info->m_nHoverY);
        m_Name[m].GetRenderTarget().Draw(25, 405 + 10 * m, reach ? 255 : 128);
    }
}

// ---- C_TaskDispMoveRange ----------------------------------------------------------------

namespace {
const bool kAllMembers[4] = {true, true, true, true};
}

// Nobody waits on the answers of a range display.
C_TaskDispMoveRange::C_TaskDispMoveRange(C_FieldTaskInfo* info, int unit)
    : C_TaskMoveUnit({}, info, unit, {}, kAllMembers, {}, 0, 1) {}

void C_TaskDispMoveRange::Update(C_FieldTaskInfo* info) {
    const int unit = m_nUnit;
    std::vector<FieldCell> cells;
    switch (m_eRangeStage) {
    case RangeStage::SetUp:
        SetUp(info, 1);
        m_eRangeStage = RangeStage::MoveArea;
        return;
    case RangeStage::MoveArea:
        if (m_nCursor == 0) return;
        KillTask(info, kRange);
        info->CalcUnitAreasFor(cells, unit, false, false);
        AddTask(info, new C_TaskDispRange(2, cells, info), kRange);
        AddTask(info, new C_TaskCursol(ReplyTo(info, this, &m_nCursor), info), kCursor);
        m_eRangeStage = RangeStage::AttackArea;
        return;
    case RangeStage::AttackArea:
        if (m_nCursor == 0) return;
        if (info->m_AI.m_bDetected) {
            Finish(info);
            return;
        }
        KillTask(info, kRange);
        info->CollectCellsInRange(cells, info->m_UnitList.GetX(unit), info->m_UnitList.GetY(unit), 12, 1, unit);
        AddTask(info, new C_TaskDispRange(3, cells, info), kRange);
        AddTask(info, new C_TaskCursol(ReplyTo(info, this, &m_nCursor), info), kCursor);
        m_eRangeStage = RangeStage::SightArea;
        return;
    case RangeStage::SightArea:
        if (m_nCursor != 0) Finish(info);
        return;
    }
}

void C_TaskDispMoveRange::Finish(C_FieldTaskInfo* info) {
    PlaySE("ok");
    KillTask(info, kRange);
    AddTask(info, new C_TaskSelectUnit(info), kSelectUnit);
    KillSelf(info);
}
