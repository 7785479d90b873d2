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

#if __has_include("TaskEvent.h")
#include "TaskEvent.h"
#else
// BRIDGE: stand-in until the event task exists: every event ends in its first frame.
class C_TaskEvent : public C_FieldTaskBase {
public:
    C_TaskEvent(C_FieldTaskInfo*, uint8_t* done, std::string) : m_pDone(done) { *m_pDone = 0; }
    void Update(C_FieldTaskInfo* info) override {
        *m_pDone = 1;
        KillSelf(info);
    }
    void Draw(C_FieldTaskInfo*) override {}
    uint8_t* m_pDone;
};
#endif

#if __has_include("map/TaskCursol.h")
#include "map/TaskCursol.h"
#else
// BRIDGE: stand-in until the map cursor exists (answers nothing).
class C_TaskCursol : public C_FieldTaskBase {
public:
    C_TaskCursol(int32_t* result, C_FieldTaskInfo*) { *result = 0; }
    C_TaskCursol(int32_t* result, int32_t* chosen, std::vector<int32_t>, C_FieldTaskInfo*) {
        *result = 0;
        *chosen = -1;
    }
    void Update(C_FieldTaskInfo*) override {}
    void Draw(C_FieldTaskInfo*) override {}
};
#endif

#if __has_include("map/TaskDispRange.h")
#include "map/TaskDispRange.h"
#else
// BRIDGE: stand-in until the range displays exist: marks the cells, draws nothing.
class C_TaskDispRange : public C_FieldTaskBase {
public:
    C_TaskDispRange(int, const std::vector<FieldCell>& cells, C_FieldTaskInfo* info) {
        const int w = info->m_MapData.m_xSize, h = info->m_MapData.m_ySize;
        info->m_vbRangeCell.assign((size_t)(w > 0 ? w : 0) * (h > 0 ? h : 0), false);
        for (const FieldCell& c : cells)
            if (c.x >= 0 && c.y >= 0 && c.x < w && c.y < h) info->m_vbRangeCell[(size_t)c.y * w + c.x] = true;
    }
    void Update(C_FieldTaskInfo*) override {}
    void Draw(C_FieldTaskInfo*) override {}
};
class C_TaskDispCannonRange : public C_FieldTaskBase {
public:
    C_TaskDispCannonRange(int, int, int) {}
    void Update(C_FieldTaskInfo*) override {}
    void Draw(C_FieldTaskInfo*) override {}
};
#endif

#if __has_include("map/TaskDrawMap.h")
#include "map/TaskDrawMap.h"
#else
// BRIDGE: stand-in until the map drawing exists.
class C_TaskDrawMap : public C_FieldTaskBase {
public:
    explicit C_TaskDrawMap(C_FieldTaskInfo*) {}
    void Update(C_FieldTaskInfo*) override {}
    void Draw(C_FieldTaskInfo*) override {}
};
#endif

#if __has_include("TaskBattle.h")
#include "TaskBattle.h"
#else
// BRIDGE: stand-in until the 3D battle exists: the exchange is over at once.
class C_TaskBattle : public C_FieldTaskBase {
public:
    C_TaskBattle(C_FieldTaskInfo*, uint8_t* battleOver) : m_pOver(battleOver) { *m_pOver = 0; }
    void Update(C_FieldTaskInfo* info) override {
        *m_pOver = 1;
        KillSelf(info);
    }
    void Draw(C_FieldTaskInfo*) override {}
    uint8_t* m_pOver;
};
#endif

#if __has_include("info/TaskMiniMap.h")
#include "info/TaskMiniMap.h"
#define TURN_HAS_MINIMAP 1
#endif

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
// Raises a chapter-script event: an event task at `priority` answering into `done`.
void RaiseEvent(C_FieldTaskInfo* info, uint8_t* done, const char* name, int priority = kEvent);
// Puts the camera on a cell.
void SetCamera(C_FieldTaskInfo* info, int x, int y);
// Screen point of a cell's top corner under the current camera.
int CellScreenX(const C_FieldTaskInfo* info, float x, float y);
int CellScreenY(const C_FieldTaskInfo* info, float x, float y);
// The two units of the exchange about to be fought, for the "FirstFight" sections.
void SetFightingUnits(C_FieldTaskInfo* info, int acting, int target);
// Asks the minimap to glide the view to a cell.
void GlideMinimap(int x, int y);
void PlaySE(const char* name);
// The upper chip sheet (cell highlights), null when the field has none.
CD3DDrawTexture* UpperSheet(C_FieldTaskInfo* info);

}  // namespace turnflow
