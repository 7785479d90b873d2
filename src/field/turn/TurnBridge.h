#pragma once
// The tasks that the turn flow starts and waits on (events, cursor, ranges, map
// drawing, menus, the 3D battle, the minimap glide) and the few helpers of the field
// state the turn tasks share.
#include <cstdint>
#include <string>
#include <vector>

#include "FieldTaskInfo.h"
#include "task/TaskBase.h"
#include "task/TaskController.h"

#include "TaskBattle.h"
#include "TaskEvent.h"
#include "info/TaskMiniMap.h"
#include "map/TaskCursol.h"
#include "map/TaskDispRange.h"
#include "map/TaskDrawMap.h"

namespace turnflow {

// Priorities (kinds) of the field tasks the turn flow adds or removes.
enum Priority : int {
    kDrawMap = 2,
    kRange = 3,
    kSecondRange = 4,
    kCursor = 8,
    kEnemyAction = 9,
    kDrawMapUpper = 10,
    kChargeAnime = 15,
    kSkillMenu = 21,
    kFieldMenu = 22,
    kOperateMenu = 23,
    kConfirmMenu = 24,
    kMoveUnit = 26,
    kMoveMenu = 27,
    kStartTurn = 101,
    kPoisonDamage = 101,
    kEndTurn = 102,
    kOperateUnit = 103,
    kSelectUnit = 104,
    kOperateEnemy = 105,
    kCannonDamage = 120,
    kBattle = 160,
    kEvent = 220,
    kFieldSave = 230,
};

// Adds a task to the field's controller (deletes it when there is no controller).
void AddTask(C_FieldTaskInfo* info, C_TaskBase* task, int priority);
void KillTask(C_FieldTaskInfo* info, int priority);
// Raises a chapter-script event: an event task at `priority` answering into `done`,
// a member of the task `raiser`.
void RaiseEvent(C_FieldTaskInfo* info, const C_TaskBase* raiser, uint8_t* done, const char* name,
                int priority = kEvent);
// Puts the camera on a cell.
void SetCamera(C_FieldTaskInfo* info, int x, int y);
// The two units of the exchange about to be fought, for the "FirstFight" sections.
void SetFightingUnits(C_FieldTaskInfo* info, int acting, int target);
// Asks the minimap to glide the view to a cell.
void GlideMinimap(int x, int y);
void PlaySE(const char* name);
// The upper chip sheet (cell highlights), null when the field has none.
CD3DDrawTexture* UpperSheet(C_FieldTaskInfo* info);

}  // namespace turnflow
