// The tutorial scene and its topic menu.
#include "scene/TutorialScene.h"

#include <string>
#include <vector>

#include "PartyData.h"
#include "input/gvlInputManager.h"
#include "resources/GlobalResources.h"

CTutorialMenu::CTutorialMenu() {
    static const char* const kTopics[4] = {"本ゲームの基礎", "移動コマンド", "攻撃コマンド", "砲撃魔法コマンド"};
    for (int i = 0; i < 4; ++i) {
        m_ItemText[i].SetText(kTopics[i], 14, 0xFFFFFFFF);
        m_bEnable[i] = true;
    }
    m_nItemNum = 4;
    m_nX = 40;
    m_nWidth = 150;
    m_nHeight = 110;
    m_bTextDirty = true;
}

void CTutorialMenu::Update(C_FieldTaskInfo* info) {
    UpdateCursor(info);
    if (!IsStarted() || !info) return;
    IInputManager* input = info->GetInputManager();
    if (!input) return;
    if (!input->IsLButtonPush()) {
        // A right click leaves the tutorial for the title.
        info->m_nExitState = input->IsRButtonPush() ? 1 : 0;
        return;
    }
    if (m_nCursor < 0 || m_nCursor >= m_nItemNum || !m_bEnable[m_nCursor]) return;
    CPartyData* party = info->m_pPartyData;
    if (!party) return;
    party->Reset();
    for (int k = 0; k < m_nCursor + 30; ++k) party->AdvanceMap();
}

void CTutorialMenu::Draw(C_FieldTaskInfo* info) { C_TaskMenuBase::Draw(info); }

C_TutorialScene::C_TutorialScene(CPartyData* party) {
    if (party) party->Reset();
    m_FieldInfo.SetInputManager(g_pInputManager);
    m_FieldInfo.m_pPartyData = party;
    m_FieldInfo.m_nExitState = 0;
    g_GlobalResources.SetSerif(CGlobalResources::kNoSpeaker,
                               std::vector<std::string>{"本ゲームの基本的な操作方法について、解説します。",
                                                        "知りたい項目を選んでください。"});
}

int C_TutorialScene::Update() {
    ++m_nFrame;
    m_Menu.Update(&m_FieldInfo);
    CPartyData* party = m_FieldInfo.m_pPartyData;
    if (party && party->nMap != 0) return kSceneStory;
    if (m_FieldInfo.m_nExitState != 0) return kSceneTitle;
    return -1;
}

void C_TutorialScene::Draw() {
    m_Menu.Draw(&m_FieldInfo);
    g_GlobalResources.DrawSerifShown(false);
}
