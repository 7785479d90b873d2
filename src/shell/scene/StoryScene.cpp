// The story scene.
#include "scene/StoryScene.h"

#include "PartyData.h"
#include "input/gvlInputManager.h"
#include "log/ErrorLog.h"
#include "scene/SceneControler.h"

C_StoryScene::C_StoryScene(CPartyData* party) {
    m_Info.pInputManager = g_pInputManager;
    m_Info.pPartyData = party;
    m_Info.pPartyData2 = party;
    m_Info.nValue = 100;
    m_Info.nRunner0 = 0;
    m_Info.nRunner1 = 0;
    m_Script.LoadChapter(party ? party->nMap : 0);
}

int C_StoryScene::Update() {
    if (!m_Script.UpdateStory("Main", &m_Info)) return -1;
    // The chapter's story leads onto its battle map.
    return kSceneField;
}

void C_StoryScene::Draw() { m_Script.Draw("Main", &m_Info); }
