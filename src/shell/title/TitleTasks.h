#pragma once
// The title scene's tasks: the short wait before the opening, the opening script and
// the title menu (new game, load, tutorial, quit).
#include <cstdint>

#include "Draw/gvlD3DDrawSquare.h"
#include "ScenarioScript.h"
#include "save/ArchiveWindow.h"
#include "task/TaskBase.h"

// The title's task info with the slot screen's restart choice.
struct C_TitleSceneInfo : C_TitleTaskInfo {
    bool bRestart = false;  // the loaded chapter starts again from its beginning
};

enum : int {
    kTitleExitNone = -1,
    kTitleExitNewGame = 0,
    kTitleExitLoad = 1,
    kTitleExitTutorial = 2,
    kTitleExitQuit = 3,
};

enum : int {
    kPriorityTitleMenu = 9,
    kPriorityTitleLogo = 10,
    kPriorityTitleOpening = 10,
};

// Waits 31 frames, then starts the opening script.
class C_TaskRVTLogo : public C_TitleTaskBase {
public:
    using C_TitleTaskBase::Draw;
    using C_TitleTaskBase::Update;
    void Update(C_TitleTaskInfo* info) override;
    void Draw(C_TitleTaskInfo*) override {}
    int32_t m_nCounter = 0;
};

// Plays "opening.txt"; when its "Main" section has ended, starts the menu.
class C_TaskEventScript : public C_TitleTaskBase {
public:
    using C_TitleTaskBase::Draw;
    using C_TitleTaskBase::Update;
    C_TaskEventScript();
    void Update(C_TitleTaskInfo* info) override;
    void Draw(C_TitleTaskInfo* info) override;
    C_ScenarioScript m_Script;
};

// The title menu.  Its choice goes into the info's exit code.
class C_TaskTitleMenu : public C_TitleTaskBase {
public:
    static constexpr int kItems = 4;

    using C_TitleTaskBase::Draw;
    using C_TitleTaskBase::Update;
    C_TaskTitleMenu();
    void Update(C_TitleTaskInfo* info) override;
    void Draw(C_TitleTaskInfo* info) override;

    // The item whose hover region holds (x, y); -1 when none.
    static int ItemAt(int x, int y);

    int32_t m_nFirstUpdate = 0;
    int32_t m_nHover = -1;
    CD3DDrawTexture m_MenuTexture;
    CD3DDrawTexture m_BackTexture;
    bool m_bLoadWindow = false;
    int32_t m_nStartX = 0;
    int32_t m_nStartY = 0;
    bool m_bPointerFollowed = false;  // the pointer has moved or pressed since the menu appeared
    CArchiveWindow m_ArchiveWindow;
};
