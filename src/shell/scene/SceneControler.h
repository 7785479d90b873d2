#pragma once
// The scene controller: owns the current scene, the input manager and the party data
// every scene shares, and switches scenes by id.
#include "PartyData.h"
#include "hresult.h"
#include "input/gvlInputManager.h"
#include "scene/SceneBase.h"

class C_SceneControler {
public:
    // Makes the scene of one id around the shared party data.
    using SceneCreator = C_SceneBase* (*)(CPartyData* party);

    C_SceneControler();
    virtual ~C_SceneControler();
    C_SceneControler(const C_SceneControler&) = delete;
    C_SceneControler& operator=(const C_SceneControler&) = delete;

    // Once per frame while the window is active: input, a pending switch, the scene's
    // update.  0, or E_FAIL when the next scene id is 8 (the end of the program).
    HRESULT Update();
    void Draw();

    int GetCurrentId() const { return m_nCurrent; }
    int GetNextId() const { return m_nNext; }
    C_SceneBase* GetScene() const { return m_pScene; }
    CPartyData& GetPartyData() { return m_PartyData; }
    CInputManager& GetInputManager() { return m_InputManager; }

    // The scene table: starts with the scenes built into the program (SceneTable.cpp);
    // RegisterScene replaces or (with null) removes one.  An id without a creator is
    // logged and ignored when asked for.
    static void RegisterScene(int id, SceneCreator creator);
    static SceneCreator FindScene(int id);

private:
    int32_t m_nCurrent = -1;
    int32_t m_nNext = kSceneLoading;
    CInputManager m_InputManager;
    C_SceneBase* m_pScene = nullptr;
    CPartyData m_PartyData;
};
