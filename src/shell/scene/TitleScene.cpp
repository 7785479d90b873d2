// The title scene.
#include "scene/TitleScene.h"

#include "PartyData.h"
#include "input/gvlInputManager.h"
#include "log/ErrorLog.h"
#include "save/ArchiveManager.h"
#include "scene/SceneControler.h"

C_TitleScene::C_TitleScene(CPartyData* party) : m_Square(640, 480, 0xFF000000, 0), m_pPartyData(party) {
    m_Info.pTaskController = &m_TaskController;
    m_Info.pInputManager = g_pInputManager;
    m_Info.nExitCode = kTitleExitNone;
    m_Info.bRestart = false;
    // Every entry to the title starts a new game's party.
    if (m_pPartyData) m_pPartyData->Reset();
    m_TaskController.AddTask(new C_TaskRVTLogo, kPriorityTitleLogo);
}

int C_TitleScene::Update() {
    ++m_nFrame;
    m_TaskController.Update(static_cast<C_TitleTaskInfo*>(&m_Info));
    switch (m_Info.nExitCode) {
        case kTitleExitNewGame: {
            CArchiveManager::CreateInstance();
            CArchiveManager* manager = CArchiveManager::GetInstance();
            manager->ClearArchives();
            manager->ClearCurrentArchive();
            return kSceneStory;
        }
        case kTitleExitLoad: {
            CArchiveManager::CreateInstance();
            CArchiveManager* manager = CArchiveManager::GetInstance();
            if (m_pPartyData) m_pPartyData->Load(manager->GetArchive(PartyDataKey, true));
            const std::string type = manager->GetString(SaveFileTypeKey, false);
            const bool fieldSave = type == IntermissionSave || type == FieldSave;
            bool restart = m_Info.bRestart;
            if (fieldSave && !restart && !C_SceneControler::FindScene(kSceneField)) {
                // This build has no battle map to continue on: start the chapter again.
                g_ErrorLog.Printf("フィールドのセーブを章の始めから再開します (フィールドの場面がありません)。");
                restart = true;
            }
            if (restart) {
                manager->GetString(SaveFileTypeKey, true);
                if (m_pPartyData) m_pPartyData->RestoreBackup();
                return kSceneStory;
            }
            return fieldSave ? kSceneField : kSceneStory;
        }
        case kTitleExitTutorial:
            return kSceneTutorial;
        case kTitleExitQuit:
            return kSceneExit;
        default:
            return -1;
    }
}

void C_TitleScene::Draw() { m_TaskController.Draw(static_cast<C_TitleTaskInfo*>(&m_Info)); }
