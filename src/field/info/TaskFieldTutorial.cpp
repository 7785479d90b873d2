// The tutorial's input switch.
#include "info/TaskFieldTutorial.h"

#include <malloc.h>

#include <cstdint>
#include <type_traits>
#include <vector>

#include "FieldTaskInfo.h"
#include "task/TaskController.h"

#if __has_include("TaskEvent.h")  // BRIDGE: the event task of the field core
#include "TaskEvent.h"
#define VORMANT_HAVE_TASK_EVENT 1
#endif
#if __has_include("map/TaskCursol.h")  // BRIDGE: the map cursor of the field core
#include "map/TaskCursol.h"
#define VORMANT_HAVE_TASK_CURSOL 1
#endif

namespace {
constexpr int kSelectUnitPriority = 104;
constexpr int kCursorPriority = 8;
constexpr int kEventPriority = 220;

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

[[maybe_unused]] bool HeldByAny(const std::vector<C_TaskBase*>& tasks, const void* address) {
    for (const C_TaskBase* t : tasks)
        if (Holds(t, address)) return true;
    return false;
}

// An event raised by a task that ends here would report its end into freed memory:
// its completion flag is pointed at a harmless place instead.
template <class Event>
void DetachEvent(Event* event, const std::vector<C_TaskBase*>& ending) {
    if constexpr (requires { event->m_pDone; }) {
        auto& done = event->m_pDone;
        if (HeldByAny(ending, done)) done = reinterpret_cast<std::remove_reference_t<decltype(done)>>(&g_nOrphanResult);
    }
}

// A cursor that ends here answers "cancelled" to a creator that goes on living, so
// that no task waits for its answer for ever; a creator that ends with it is not
// written to.
template <class Cursor>
void CancelCursor(Cursor* cursor, const std::vector<C_TaskBase*>& ending) {
    if constexpr (requires { cursor->m_pResult; }) {
        auto& result = cursor->m_pResult;
        if (result && !HeldByAny(ending, result)) *result = 2;
        if (HeldByAny(ending, result)) result = reinterpret_cast<std::remove_reference_t<decltype(result)>>(&g_nOrphanResult);
    }
    if constexpr (requires { cursor->m_pChosenUnit; }) {
        auto& chosen = cursor->m_pChosenUnit;
        if (HeldByAny(ending, chosen)) chosen = reinterpret_cast<std::remove_reference_t<decltype(chosen)>>(&g_nOrphanResult);
    }
}

void EndScriptedSelection(C_TaskController& controller) {
    std::vector<C_TaskBase*> ending;
    for (C_TaskBase* t : controller.GetTasks())
        if (t->GetPriority() == kSelectUnitPriority || t->GetPriority() == kCursorPriority) ending.push_back(t);
    if (ending.empty()) return;
    for (C_TaskBase* t : controller.GetTasks()) {
#ifdef VORMANT_HAVE_TASK_EVENT
        if (t->GetPriority() == kEventPriority)
            if (auto* event = dynamic_cast<C_TaskEvent*>(t)) DetachEvent(event, ending);
#endif
#ifdef VORMANT_HAVE_TASK_CURSOL
        if (t->GetPriority() == kCursorPriority)
            if (auto* cursor = dynamic_cast<C_TaskCursol*>(t)) CancelCursor(cursor, ending);
#endif
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
