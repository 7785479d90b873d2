// The event task.
#include "TaskEvent.h"

#include "FieldTaskInfo.h"
#include "PartyData.h"

C_TaskEvent::C_TaskEvent(C_FieldTaskInfo* info, const C_TaskReply<uint8_t>& done, const std::string& eventName)
    : m_Done(done), m_strEvent(eventName) {
    if (info) {
        m_Script.LoadChapter(info->m_pPartyData ? info->m_pPartyData->nMap : 0);
        info->NoteRaisedEvent(this, m_Done.Waiter());
    }
    m_Done.Start(0);
}

C_TaskEvent::~C_TaskEvent() {
    m_Done.SetUnlessAnswered(1);
}

void C_TaskEvent::Update(C_FieldTaskInfo* info) {
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
    m_Done.Set(1);
}

void C_TaskEvent::Draw(C_FieldTaskInfo* info) { m_Script.DrawFieldEvent(m_strEvent, info); }
