#pragma once
// Scene 1: the logo wait, the opening script and the title menu, run on the scene's
// own task controller; the menu's choice becomes the next scene.
#include <cstdint>

#include "Draw/gvlD3DDrawSquare.h"
#include "scene/SceneBase.h"
#include "task/TaskController.h"
#include "title/TitleTasks.h"

class CPartyData;

class C_TitleScene : public C_SceneBase {
public:
    explicit C_TitleScene(CPartyData* party);
    int Update() override;
    void Draw() override;

    C_TaskController& GetTaskController() { return m_TaskController; }
    C_TitleSceneInfo& GetInfo() { return m_Info; }
    int GetFrame() const { return m_nFrame; }

private:
    CD3DDrawSquare m_Square;  // set up, never drawn
    int32_t m_nFrame = 0;
    C_TaskController m_TaskController;
    C_TitleSceneInfo m_Info;
    CPartyData* m_pPartyData = nullptr;
};
