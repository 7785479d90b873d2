// The tutorial's input switch.
#include "info/TaskFieldTutorial.h"

#include "FieldTaskInfo.h"
#include "task/TaskController.h"

namespace {
constexpr int kSelectUnitPriority = 104;
constexpr int kCursorPriority = 8;

// The scripted selection ends with the tutorial.  The tasks that wait on the ones
// ending here hold their answers themselves: a cursor that ends answers "cancelled"
// to a creator that goes on living, and an event raised by a task that ends here
// no longer writes to it.
void EndScriptedSelection(C_TaskController& controller) {
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
