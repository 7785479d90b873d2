// The save window, the yes/no box and the alert box of the sortie preparation.
#include "sortie/LocateUnitPrompts.h"

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "archive/gvlStringMap.h"
#include "input/gvlInputManager.h"
#include "save/ArchiveManager.h"

// ---- inter-mission save ---------------------------------------------------------------

bool SaveInterMission(C_FieldTaskInfo* info, int slot) {
    if (!info || !info->m_pPartyData) return false;
    CArchiveManager::CreateInstance();
    CArchiveManager* manager = CArchiveManager::GetInstance();
    manager->ClearArchives();
    manager->ClearCurrentArchive();
    manager->SetArchive(PartyDataKey, info->m_pPartyData->Save());
    manager->SetArchive(FieldTaskInfoKey, info->Save());
    manager->SetString(SaveFileChapterKey, Int64ToString(info->m_pPartyData->nMap));
    manager->SetString(SaveFileDiffKey, Int64ToString(info->m_pPartyData->Difficulty));
    manager->SetString(SaveFileTypeKey, IntermissionSave);
    return manager->Save(slot);
}

// ---- save window ----------------------------------------------------------------------

C_TaskLocateUnitSave::C_TaskLocateUnitSave() {
    m_ArchiveWindow.Open(0);
    m_ArchiveWindow.m_bShow = true;
}

void C_TaskLocateUnitSave::Update(C_FieldTaskInfo* info) {
    // Nothing is chosen while the window does not have the focus.
    int r = -1;
    if (IsActive()) r = m_ArchiveWindow.Update(info->GetInputManager());
    m_nLastResult = r;
    if (r >= 0) {
        SaveInterMission(info, r);
        CloseChild();
        KillSelf(info);
    } else if (r == CArchiveWindow::kCancel) {
        CloseChild();
        KillSelf(info);
    }
    UpdateActivation();
}

void C_TaskLocateUnitSave::Draw(C_FieldTaskInfo*) { m_ArchiveWindow.Draw(); }

// ---- yes/no ---------------------------------------------------------------------------

C_TaskLocateUnitMenuYesNo::C_TaskLocateUnitMenuYesNo() {
    AddItem("Title", true);
    AddItem("はい", true);
    AddItem("いいえ", true);
    m_dwCursorColor = 0x800080FF;
    m_bAutoHeight = true;
    m_bFitWidth = true;  // a question of two lines keeps them whole
    m_nWinHeight = 80;
}

void C_TaskLocateUnitMenuYesNo::Update(C_FieldTaskInfo* info) {
    if (m_nFrame < m_nOpenFrames) {
        ++m_nFrame;
        UpdateActivation();
        return;
    }
    MoveCursor(info);
    if (m_nSelect == 0) m_nSelect = 1;  // the bar starts on "はい"
    if (IsActive()) {
        const int c = FindItemLeftPressed(info);
        IInputManager* in = info->GetInputManager();
        if (c == 1) {
            m_nAnswer = 1;
            if (m_Callback) m_Callback->Invoke();
            CloseChild();
            KillSelf(info);
        } else if (c == 2 || (in && in->IsRButtonPush())) {
            m_nAnswer = 2;
            CloseChild();
            KillSelf(info);
        }
    }
    UpdateActivation();
}

// ---- alert ----------------------------------------------------------------------------

C_TaskLocateUnitMenuAlert::C_TaskLocateUnitMenuAlert(bool callOnOk) : m_bCallOnOk(callOnOk) {
    AddItem("Title", true);
    AddItem("ＯＫ", true);
    m_dwCursorColor = 0x800080FF;
    m_bAutoHeight = true;
    m_bFitWidth = true;
    m_nWinHeight = 80;
}

void C_TaskLocateUnitMenuAlert::Update(C_FieldTaskInfo* info) {
    if (m_nFrame < m_nOpenFrames) {
        ++m_nFrame;
        UpdateActivation();
        return;
    }
    MoveCursor(info);
    if (m_nSelect == 0) m_nSelect = 1;
    if (IsActive()) {
        if (FindItemLeftPressed(info) == 1) {
            if (m_bCallOnOk && m_Callback) m_Callback->Invoke();
            m_bClosed = true;
            CloseChild();
            KillSelf(info);
        } else if (FindItemRightPressed(info) > 0) {
            m_bClosed = true;
            CloseChild();
            KillSelf(info);
        }
    }
    UpdateActivation();
}
