// The event task.
#include "TaskEvent.h"

#include <malloc.h>

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "task/TaskController.h"

C_TaskEvent::C_TaskEvent(C_FieldTaskInfo* info, uint8_t* done, const std::string& eventName)
    : m_pDone(done), m_strEvent(eventName) {
    if (info) {
        m_pController = info->m_pTaskController;
        m_Script.LoadChapter(info->m_pPartyData ? info->m_pPartyData->nMap : 0);
    }
    if (m_pDone) *m_pDone = 0;
    // The raiser is usually the task running now; one still being built is found at
    // the first update.
    FindRaiser();
}

C_TaskEvent::~C_TaskEvent() {
    if (!m_bFinished) SignalDone();
}

void C_TaskEvent::FindRaiser() {
    if (m_bRaiserLooked || m_pRaiser) return;
    if (!m_pController || !m_pDone) return;
    // Field tasks are made with new: the block of each live task tells whether the
    // flag is one of its members.
    const char* flag = reinterpret_cast<const char*>(m_pDone);
    for (const C_TaskBase* task : m_pController->GetTasks()) {
        if (task == this) continue;
        const void* start = dynamic_cast<const void*>(task);
        const size_t size = malloc_usable_size(const_cast<void*>(start));
        const char* begin = static_cast<const char*>(start);
        if (flag >= begin && flag < begin + size) {
            m_pRaiser = task;
            m_nRaiserSerial = task->GetSerial();
            return;
        }
    }
}

void C_TaskEvent::SignalDone() {
    if (!m_pDone) return;
    if (!m_pRaiser && !m_bRaiserLooked) {
        // Removed before its first update: the raiser is looked for now.  A flag in
        // no live task may lie in a raiser that is already gone, and is left alone.
        FindRaiser();
        m_bRaiserLooked = true;
        if (!m_pRaiser) return;
    }
    // A raiser that was removed while its event ran has taken its flag with it.
    if (m_pRaiser && !(m_pController && m_pController->HoldsTask(m_pRaiser, m_nRaiserSerial))) return;
    *m_pDone = 1;
}

void C_TaskEvent::Update(C_FieldTaskInfo* info) {
    FindRaiser();
    m_bRaiserLooked = true;
    // The event always reads the program's real input.
    const bool tutorialInput = info->m_bTutorialInput;
    info->m_bTutorialInput = false;
    const int32_t result = m_Script.UpdateFieldEvent(m_strEvent, info);
    if (result != 1) {
        info->m_bTutorialInput = tutorialInput;
        return;
    }
    // Over: the tutorial switch keeps what the last step left.
    m_bFinished = true;
    KillSelf(info);
    SignalDone();
}

void C_TaskEvent::Draw(C_FieldTaskInfo* info) { m_Script.DrawFieldEvent(m_strEvent, info); }
