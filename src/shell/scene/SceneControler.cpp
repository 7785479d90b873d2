// Scene switching.
#include "scene/SceneControler.h"

#include <map>

#include "log/ErrorLog.h"
#include "scene/SceneTable.h"

namespace {

std::map<int, C_SceneControler::SceneCreator>& SceneTable() {
    static std::map<int, C_SceneControler::SceneCreator> table = BuiltInScenes();
    return table;
}

}  // namespace

void C_SceneControler::RegisterScene(int id, SceneCreator creator) {
    if (creator) SceneTable()[id] = creator;
    else SceneTable().erase(id);
}

C_SceneControler::SceneCreator C_SceneControler::FindScene(int id) {
    // 7 and 8 never name a scene.
    if (id == kSceneUnused || id == kSceneExit) return nullptr;
    auto it = SceneTable().find(id);
    return it == SceneTable().end() ? nullptr : it->second;
}

C_SceneControler::C_SceneControler() { g_pInputManager = &m_InputManager; }

C_SceneControler::~C_SceneControler() {
    delete m_pScene;
    m_pScene = nullptr;
    if (g_pInputManager == &m_InputManager) g_pInputManager = nullptr;
}

HRESULT C_SceneControler::Update() {
    m_InputManager.Update();
    if (m_nNext != m_nCurrent && m_nNext != -1) {
        if (m_nNext == kSceneExit) {
            delete m_pScene;
            m_pScene = nullptr;
            m_nCurrent = kSceneExit;
            return E_FAIL;
        }
        SceneCreator create = FindScene(m_nNext);
        if (!create) {
            // An id without a scene: keep the scene that runs (never be left with none).
            g_ErrorLog.Printf("Scene id %d has no scene; scene %d stays.", m_nNext, m_nCurrent);
            m_nNext = m_nCurrent;
        } else {
            delete m_pScene;  // the old scene goes before the new one is built
            m_pScene = nullptr;
            m_nCurrent = m_nNext;
            m_pScene = create(&m_PartyData);
        }
    }
    if (m_pScene) m_nNext = m_pScene->Update();
    return S_OK;
}

void C_SceneControler::Draw() {
    if (m_pScene) m_pScene->Draw();
}
