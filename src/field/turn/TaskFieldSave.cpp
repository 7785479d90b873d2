#include "turn/TaskFieldSave.h"

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "archive/gvlStringMap.h"
#include "log/ErrorLog.h"
#include "save/ArchiveManager.h"
#include "turn/TaskSelectUnit.h"
#include "turn/TurnBridge.h"

using namespace turnflow;

C_TaskFieldSave::C_TaskFieldSave() {
    m_Window.Open(0);
    m_Window.m_bShow = true;
}

bool C_TaskFieldSave::SaveToSlot(C_FieldTaskInfo* info, int slot) {
    if (info->m_pPartyData == nullptr) {
        g_ErrorLog.Write("フィールドのセーブ: パーティーデータがありません。");
        return false;
    }
    CArchiveManager::CreateInstance();
    CArchiveManager* manager = CArchiveManager::GetInstance();
    manager->ClearArchives();
    manager->ClearCurrentArchive();
    manager->SetArchive(PartyDataKey, info->m_pPartyData->Save());
    manager->SetArchive(FieldTaskInfoKey, info->Save());
    manager->SetString(SaveFileChapterKey, Int64ToString(info->m_pPartyData->nMap));
    manager->SetString(SaveFileDiffKey, Int64ToString(info->m_pPartyData->Difficulty));
    manager->SetString(SaveFileTypeKey, FieldSave);
    return manager->Save(slot);
}

void C_TaskFieldSave::Update(C_FieldTaskInfo* info) {
    const int r = m_Window.Update(info->GetInputManager());
    if (r == -1) return;
    if (r >= 0) SaveToSlot(info, r);
    AddTask(info, new C_TaskSelectUnit(info), kSelectUnit);
    KillSelf(info);
}

void C_TaskFieldSave::Draw(C_FieldTaskInfo*) { m_Window.Draw(); }
