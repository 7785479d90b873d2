// The save scene between chapters.
#include "scene/SaveScene.h"

#include <string>

#include "PartyData.h"
#include "input/gvlInputManager.h"
#include "menu/SelectMenu.h"
#include "resources/GlobalResources.h"
#include "save/ArchiveManager.h"
#include "util/GameUtil.h"

C_SaveScene::C_SaveScene(CPartyData* party) : m_pPartyData(party) {
    m_ArchiveWindow.Open(0);
    m_ArchiveWindow.m_bShow = true;
}

int C_SaveScene::Update() {
    IInputManager* input = g_pInputManager;
    if (m_nState == 0) {
        const int r = m_ArchiveWindow.Update(input);
        if (r == -1) return -1;
        if (r == CArchiveWindow::kCancel) {
            // The window stays on screen under the prompt and takes input again after "いいえ".
            m_nState = 1;
            m_ArchiveWindow.m_bShow = true;
            return -1;
        }
        if (r >= 0) {
            SaveToSlot(r);
            // The window stays open for further saves, showing the new summary.
            m_ArchiveWindow.m_bRefresh = true;
            m_ArchiveWindow.m_bShow = true;
            return -1;
        }
        return kSceneStory;
    }
    // The choices have no place until the prompt's first draw has laid them out.
    if (!input || !m_bPromptReady) return -1;
    if (RectContainsMouse(m_rcGo, *input)) m_bCursorOnGo = true;
    if (RectContainsMouse(m_rcNo, *input)) m_bCursorOnGo = false;
    if (RectContainsMouse(m_rcGo, *input) && input->IsLButtonPush()) {
        CArchiveManager::CreateInstance();
        CArchiveManager* manager = CArchiveManager::GetInstance();
        manager->ClearArchives();
        manager->ClearCurrentArchive();
        return kSceneStory;
    }
    if (RectContainsMouse(m_rcNo, *input) && input->IsLButtonPush()) m_nState = 0;
    return -1;
}

void C_SaveScene::SaveToSlot(int slot) {
    CArchiveManager::CreateInstance();
    CArchiveManager* manager = CArchiveManager::GetInstance();
    manager->ClearArchives();
    manager->ClearCurrentArchive();
    if (!m_pPartyData) return;
    manager->SetArchive(PartyDataKey, m_pPartyData->Save());
    manager->SetString(SaveFileChapterKey, std::to_string(m_pPartyData->nMap));
    manager->SetString(SaveFileDiffKey, std::to_string(m_pPartyData->Difficulty));
    manager->SetString(SaveFileTypeKey, ChapterSave);
    manager->Save(slot);
}

void C_SaveScene::Draw() {
    m_ArchiveWindow.Draw();
    if (m_nState != 1) return;
    if (!m_bPromptReady) {
        m_Question.SetText("次に進みますか？", 20, 0xFFFFFFFF);
        m_GoText.SetText("すすむ", 20, 0xFFFFFFFF);
        m_NoText.SetText("いいえ", 20, 0xFFFFFFFF);
        m_Question.Render();
        m_GoText.Render();
        m_NoText.Render();
        int w = 0, h = 0;
        m_NoText.GetTextSize(w, h);
        m_Cursor.SetSize(float(w + 20), float(h + 20), 0x55FFFFFF);
        m_rcGo = RECT{230, 190, 230 + w + 20, 190 + h + 20};
        m_rcNo = RECT{320, 190, 320 + w + 20, 190 + h + 20};
        m_bPromptReady = true;
    }
    g_GlobalResources.DrawWindow(0, 200, 140, 240, 100, 0, 0x95000000);
    DrawTextAt(m_Question, 240, 160);
    DrawTextAt(m_GoText, 240, 200);
    DrawTextAt(m_NoText, 330, 200);
    m_Cursor.Draw(m_bCursorOnGo ? 230.0f : 320.0f, 190.0f);
}
