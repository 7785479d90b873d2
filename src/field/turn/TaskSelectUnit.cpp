#include "turn/TaskSelectUnit.h"

#include <vector>

#include "FieldTaskInfo.h"
#include "turn/TaskMoveUnit.h"
#include "turn/TaskOperateUnit.h"
#include "turn/TurnBridge.h"

#include "menu/TaskFieldMenu.h"

using namespace turnflow;

C_TaskSelectUnit::C_TaskSelectUnit(C_FieldTaskInfo* info) {
    m_bEventDone = 0;
    m_bCursorStarted = 0;
    RaiseEvent(info, this, &m_bEventDone, "UnitPosition");
    const int w = info->m_MapData.m_xSize, h = info->m_MapData.m_ySize;
    info->m_vbRangeCell.clear();
    info->m_vbRangeCell.resize((size_t)(w > 0 ? w : 0) * (size_t)(h > 0 ? h : 0), true);
}

void C_TaskSelectUnit::Update(C_FieldTaskInfo* info) {
    CUnitList& units = info->m_UnitList;
    if (!m_bCursorStarted) {
        if (!m_bEventDone) return;
        std::vector<int32_t> candidates;
        for (int u = 0; u < units.GetCount(); ++u) candidates.push_back(u);
        AddTask(info,
                new C_TaskCursol(ReplyTo(info, this, &m_nCursorResult), ReplyTo(info, this, &m_nChosenUnit),
                                 candidates, info),
                kCursor);
        m_bCursorStarted = 1;
        return;
    }
    if (m_nCursorResult == 1 && units.IsValidUnit(m_nChosenUnit) && !units.IsMoveEnd(m_nChosenUnit)) {
        PlaySE("ok");
        if (units.IsOperable(m_nChosenUnit) && !info->m_bSortieFlag)
            AddTask(info, new C_TaskOperateUnit(info, m_nChosenUnit, 1), kOperateUnit);
        else
            AddTask(info, new C_TaskDispMoveRange(info, m_nChosenUnit), kMoveUnit);
        KillSelf(info);
        return;
    }
    if (m_nCursorResult == 1 || m_nCursorResult == 2) {
        const int unit = units.FindUnitAt(info->m_nHoverX, info->m_nHoverY);
        PlaySE("ok");
        if (unit < 0) {
            if (info->IsInterMission) {
                KillTask(info, kDrawMap);
                info->m_bSortieFlag = false;
            } else {
                AddTask(info, new C_TaskFieldMenu(info), kFieldMenu);
            }
        } else {
            AddTask(info, new C_TaskOperateUnit(info, unit, 0), kOperateUnit);
        }
        KillSelf(info);
    }
}
