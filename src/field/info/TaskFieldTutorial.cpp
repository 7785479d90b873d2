// The tutorial's input switch.
#include "info/TaskFieldTutorial.h"

#include <malloc.h>

#include <cstdint>
#include <vector>

#include "FieldTaskInfo.h"
#include "task/TaskController.h"

#include "TaskEvent.h"
#include "map/TaskCursol.h"

namespace {
constexpr int kSelectUnitPriority = 104;
constexpr int kCursorPriority = 8;

// Where a late write of a task that outlives the ones ending here goes.
int64_t g_nOrphanResult = 0;

// The task object holds the address (its whole allocation counts).
bool Holds(const C_TaskBase* task, const void* address) {
    if (!task || !address) return false;
    const auto* begin = reinterpret_cast<const unsigned char*>(task);
    const auto* p = reinterpret_cast<const unsigned char*>(address);
    const size_t size = malloc_usable_size(const_cast<C_TaskBase*>(task));
    return p >= begin && p < begin + size;
}

bool HeldByAny(const std::vector<C_TaskBase*>& tasks, const void* address) {
    for (const C_TaskBase* t : tasks)
        if (Holds(t, address)) return true;
    return false;
}

// An event raised by a task that ends here would report its end into freed memory:
// its completion flag is pointed at a harmless place instead.
void DetachEvent(C_TaskEvent* event, const std::vector<C_TaskBase*>& ending) {
    if (HeldByAny(ending, event->m_pDone)) event->m_pDone = reinterpret_cast<uint8_t*>(&g_nOrphanResult);
}

// A cursor that ends here answers "cancelled" to a creator that goes on living, so
// that no task waits for its answer for ever; a creator that ends with it is not
// written to.
void CancelCursor(C_TaskCursol* cursor, const std::vector<C_TaskBase*>& ending) {
    if (cursor->m_pResult && !HeldByAny(ending, cursor->m_pResult)) *cursor->m_pResult = 2;
    if (HeldByAny(ending, cursor->m_pResult)) cursor->m_pResult = reinterpret_cast<int32_t*>(&g_nOrphanResult);
    if (HeldByAny(ending, cursor->m_pChosenUnit))
        cursor->m_pChosenUnit = reinterpret_cast<int32_t*>(&g_nOrphanResult);
}

void EndScriptedSelection(C_TaskController& controller) {
    std::vector<C_TaskBase*> ending;
    for (C_TaskBase* t : controller.GetTasks())
        if (t->GetPriority() == kSelectUnitPriority || t->GetPriority() == kCursorPriority) ending.push_back(t);
    if (ending.empty()) return;
    for (C_TaskBase* t : controller.GetTasks()) {
        if (auto* event = dynamic_cast<C_TaskEvent*>(t)) DetachEvent(event, ending);
        if (auto* cursor = dynamic_cast<C_TaskCursol*>(t)) CancelCursor(cursor, ending);
    }
    controller.KillTask(kSelectUnitPriority);
    controller.KillTask(kCursorPriority);
}
}  // namespace

C_TaskFieldTutorial::C_TaskFieldTutorial() = default;

C_TaskFieldTutorial::~C_TaskFieldTutorial() {
    // Ended before its first update: the field state of the update pass that runs.
    C_FieldTaskInfo* info = m_pInfo;
    if (!info && C_TaskController::GetRunning()) info = static_cast<C_FieldTaskInfo*>(g_pTaskUpdateArg);
    if (!info) return;
    info->m_bTutorialInput = false;
    if (info->m_pTaskController) EndScriptedSelection(*info->m_pTaskController);
}

void C_TaskFieldTutorial::Update(C_FieldTaskInfo* info) {
    if (!info) return;
    m_pInfo = info;
    m_bStarted = true;
    info->m_bTutorialInput = false;
    if (IInputManager* real = info->GetInputManager()) {
        m_nRealX = real->GetX();
        m_nRealY = real->GetY();
    }
    info->m_bTutorialInput = true;
}

void C_TaskFieldTutorial::Draw(C_FieldTaskInfo*) { m_Mark.Draw(580, 0); }
