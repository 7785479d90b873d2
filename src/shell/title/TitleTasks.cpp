// The title scene's tasks.
#include "title/TitleTasks.h"

#include "input/gvlInputManager.h"
#include "log/ErrorLog.h"
#include "resources/GlobalResources.h"
#include "save/ArchiveManager.h"
#include "task/TaskController.h"

namespace {

struct MenuItem {
    RECT src;
    int x, y;
    int hoverLeft, hoverTop, hoverRight, hoverBottom;  // right and bottom outside
};

const MenuItem kMenuItems[C_TaskTitleMenu::kItems] = {
    {{308, 0, 512, 56}, 480, 255, 480, 270, 580, 302},
    {{308, 56, 512, 112}, 460, 300, 460, 315, 610, 347},
    {{308, 112, 512, 168}, 440, 345, 440, 360, 580, 392},
    {{308, 168, 512, 224}, 420, 390, 420, 405, 500, 437},
};

C_TitleSceneInfo* SceneInfo(C_TitleTaskInfo* info) { return static_cast<C_TitleSceneInfo*>(info); }

IInputManager* InputOf(C_TitleTaskInfo* info) {
    return info && info->pInputManager ? info->pInputManager : g_pInputManager;
}

}  // namespace

// ---- logo wait -----------------------------------------------------------------------

void C_TaskRVTLogo::Update(C_TitleTaskInfo* info) {
    ++m_nCounter;
    if (m_nCounter <= 30) return;
    // Same priority, added after this task: the opening's first update runs in this pass.
    if (info && info->pTaskController) info->pTaskController->AddTask(new C_TaskEventScript, kPriorityTitleOpening);
    KillSelf(info);
}

// ---- opening ---------------------------------------------------------------------------

C_TaskEventScript::C_TaskEventScript() { m_Script.LoadScript("opening.txt"); }

void C_TaskEventScript::Update(C_TitleTaskInfo* info) {
    if (!m_Script.UpdateEventScript("Main", info)) return;
    if (info && info->pTaskController) info->pTaskController->AddTask(new C_TaskTitleMenu, kPriorityTitleMenu);
    KillSelf(info);
}

void C_TaskEventScript::Draw(C_TitleTaskInfo* info) { m_Script.Draw("Main", info); }

// ---- menu ------------------------------------------------------------------------------

C_TaskTitleMenu::C_TaskTitleMenu() {
    m_MenuTexture.Load("./graphics/title00.png");
    m_BackTexture.Load("./graphics/title01.png");
    m_ArchiveWindow.Open(1);
    if (g_pInputManager) {
        m_nStartX = g_pInputManager->GetX();
        m_nStartY = g_pInputManager->GetY();
    }
}

int C_TaskTitleMenu::ItemAt(int x, int y) {
    for (int i = 0; i < kItems; ++i) {
        const MenuItem& m = kMenuItems[i];
        if (m.hoverLeft <= x && x < m.hoverRight && m.hoverTop <= y && y < m.hoverBottom) return i;
    }
    return -1;
}

void C_TaskTitleMenu::Update(C_TitleTaskInfo* info) {
    IInputManager* input = InputOf(info);
    m_nHover = -1;
    if (!input || !info) return;
    if (m_bLoadWindow) {
        const int slot = m_ArchiveWindow.Update(input);
        if (slot == CArchiveWindow::kCancel) {
            m_bLoadWindow = false;
        } else if (slot >= 0) {
            m_bLoadWindow = false;
            CArchiveManager::CreateInstance();
            // A slot that cannot be read has shown its message; the title stays.  Any
            // other save loads: the title scene continues an "IntermissionSave" or a
            // "FieldSave" on the field and starts the saved chapter's story for every
            // other kind, and the party clamps its difficulty to 1 to 5.
            if (CArchiveManager::GetInstance()->Load(slot)) {
                g_GlobalResources.SetBGMPlaying(false);
                SceneInfo(info)->bRestart = m_ArchiveWindow.m_bLoadRestart;
                m_ArchiveWindow.m_bLoadRestart = false;
                info->nExitCode = kTitleExitLoad;
            } else {
                m_ArchiveWindow.m_bLoadRestart = false;
                g_ErrorLog.Printf("File %d を読み込めなかったため、タイトルに戻ります。", slot + 1);
            }
        }
    } else {
        const int x = input->GetX(), y = input->GetY();
        // A pointer resting where it was when the menu appeared highlights nothing until
        // it moves; a press carries its own position, so it takes the item under the
        // pointer either way.  Once moved or pressed, the pointer is followed.
        if (x != m_nStartX || y != m_nStartY || input->IsLButtonPush()) {
            m_bPointerFollowed = true;
        }
        if (m_bPointerFollowed) m_nHover = ItemAt(x, y);
        if (m_nFirstUpdate && input->IsLButtonPush()) {
            switch (m_nHover) {
                case 0:
                    info->nExitCode = kTitleExitNewGame;
                    break;
                case 1:
                    m_bLoadWindow = true;
                    // Opened afresh each time: the rows show the save files as they
                    // are now.
                    m_ArchiveWindow.Open(1);
                    m_ArchiveWindow.m_bShow = true;
                    break;
                case 2:
                    info->nExitCode = kTitleExitTutorial;
                    g_GlobalResources.PlayBGM(8);
                    g_GlobalResources.SetBGMPlaying(false);
                    break;
                case 3:
                    info->nExitCode = kTitleExitQuit;
                    break;
                default:
                    break;
            }
        }
    }
    m_nFirstUpdate = 1;
}

void C_TaskTitleMenu::Draw(C_TitleTaskInfo*) {
    const RECT back{0, 0, 1024, 512};
    m_BackTexture.Draw(0, 0, 255, &back);
    for (int i = 0; i < kItems; ++i)
        m_MenuTexture.Draw(kMenuItems[i].x, kMenuItems[i].y, i == m_nHover ? 255 : 127, &kMenuItems[i].src);
    if (m_bLoadWindow) m_ArchiveWindow.Draw();
}
