// The field-event commands that end the map (won, lost, the game's end, the game-over
// screen), show the mission briefing, clear the map display, move the cursor and glide
// the map view, and drive the tutorial with scripted input and its tasks.
#include <string>

#include "FieldEvent.h"
#include "ScenarioScript.h"
#include "log/ErrorLog.h"
#include "task/TaskController.h"

#include "field/info/TaskFieldTutorial.h"
#include "field/turn/TaskSelectUnit.h"

namespace {

// Task priorities of the field.
constexpr int kPriorityTutorial = 1;
constexpr int kPrioritySelectUnit = 104;
constexpr int kMapDisplayFirst = 1;
constexpr int kMapDisplayEnd = 20;

constexpr int kGameOverMusic = 102;
constexpr int kGameOverMusicFrame = 120;
constexpr int kGameOverPictureFrame = 180;
constexpr int kGameOverLastFrame = 2400;

void LogOnce(bool& done, const char* what) {
    if (done) return;
    done = true;
    g_ErrorLog.Printf("%s", what);
}

bool g_bNoControllerLogged = false;

C_TaskController* ControllerOf(C_FieldTaskInfo& f) {
    if (!f.m_pTaskController) LogOnce(g_bNoControllerLogged, "フィールドにタスクの管理がありません (タスクを足せません)");
    return f.m_pTaskController;
}

}  // namespace

bool C_ScenarioScript::ExecuteFieldViewCommand(const ScriptCommand& c, C_FieldTaskInfo* info, bool pushed,
                                               bool& complete) {
    C_FieldTaskInfo& f = *info;
    switch (c.nCommandID) {
        case kCmdGameOver: {
            const int frame = m_nCommandFrame;
            if (frame == 0) {
                g_GlobalResources.SetFade(0xFF000000, 60);
                g_GlobalResources.SetBGMPlaying(false);
            }
            if (frame == kGameOverMusicFrame) {
                g_GlobalResources.PlayBGM(kGameOverMusic);
                g_GlobalResources.SetBGMPlaying(true);
            }
            if (frame == kGameOverPictureFrame) {
                if (C_TaskController* tc = ControllerOf(f)) tc->KillTaskRange(kMapDisplayFirst, kMapDisplayEnd);
                g_GlobalResources.SetFade(0xFF000000, -120);
                m_GameOver.Load("./graphics/GameOver.png");
                m_bGameOverShown = true;
            }
            if (frame >= kGameOverLastFrame || pushed) {
                m_bGameOverShown = false;
                complete = true;
            }
            return true;
        }
        case kCmdGameEnd:
            f.m_nExitState = 5;
            // A "Won" section that holds the game's end must not advance the party.
            m_strPendingEvent.clear();
            complete = true;
            return true;
        case kCmdCursolMove:
            CheckArgs(2, 0);
            if (!f.m_MapData.IsValidCell(c.Int(0), c.Int(1)))
                ReportCommand("CursolMove のマスがマップの外です (カーソルは動きません)");
            else {
                f.m_nHoverX = c.Int(0);
                f.m_nHoverY = c.Int(1);
            }
            complete = true;
            return true;
        case kCmdWin:
        case kCmdLose:
            // The rest of the section is never run; it counts as run.
            if (m_nSectionCursor >= 0 && m_nSectionCursor < int(m_vSections.size()))
                m_nCommandCursor = int(m_vSections[m_nSectionCursor].vCommands.size());
            RaisePendingEvent(c.nCommandID == kCmdWin ? "Won" : "Lost");
            complete = true;
            return true;
        case kCmdBlackScreen:
            if (C_TaskController* tc = ControllerOf(f)) tc->KillTaskRange(kMapDisplayFirst, kMapDisplayEnd);
            complete = true;
            return true;
        case kCmdMapViewMove:
            CheckArgs(2, 0);
            m_fViewFromX = f.m_fCameraX;
            m_fViewFromY = f.m_fCameraY;
            m_fViewToX = float(c.Int(0));
            m_fViewToY = float(c.Int(1));
            m_nViewFrame = 0;
            m_bViewMoving = true;
            complete = true;
            return true;
        case kCmdMapViewToUnit: {
            CheckArgs(1, 0);
            const int unit = f.FindUnitByPersonType(c.Int(0));
            if (unit >= 0) {
                m_fViewFromX = f.m_fCameraX;
                m_fViewFromY = f.m_fCameraY;
                m_fViewToX = float(f.m_UnitList.GetX(unit));
                m_fViewToY = float(f.m_UnitList.GetY(unit));
            }
            m_nViewFrame = 0;
            m_bViewMoving = true;
            complete = true;
            return true;
        }
        case kCmdMissionArgue: {
            CheckArgs(1, 0);
            if (m_nCommandFrame == 0) {
                if (c.Int(0) == 0) {
                    m_MissionArgueFBack.SetFileName("./graphics/MissionArgueFBack.png");
                    m_bMissionArgueHalf = false;
                } else {
                    m_MissionArgueFBack.SetFileName("./graphics/MissionArgueCBack.png");
                    m_bMissionArgueHalf = true;
                }
                std::string text;
                for (const std::string& line : c.vString) text += line + "\r\n";
                m_MissionArgueText.SetText(text, 32, 0xFFFFFFFF);
                m_MissionArgueText.Render();
                m_bMissionArgueShown = true;
                m_bMissionArgueBackShown = true;
                m_bMissionArgueTextShown = true;
            }
            if (PushAfterShown(pushed, 0) || m_bSkip) {
                m_bMissionArgueShown = false;
                m_bMissionArgueBackShown = false;
                m_bMissionArgueTextShown = false;
                complete = true;
            }
            return true;
        }
        case kCmdStartTutorial:
            complete = true;
            if (C_TaskController* tc = ControllerOf(f)) tc->AddTask(new C_TaskFieldTutorial(), kPriorityTutorial);
            return true;
        case kCmdEndTutorial:
            if (C_TaskController* tc = ControllerOf(f)) tc->KillTask(kPriorityTutorial);
            complete = true;
            return true;
        case kCmdTutorialSetInput:
            CheckArgs(4, 0);
            f.m_TutorialInput.SetState(c.Int(0), c.Int(1), c.Int(2) != 0, c.Int(3) != 0);
            complete = true;
            return true;
        case kCmdTutorialCallCursol:
            complete = true;
            if (C_TaskController* tc = ControllerOf(f)) tc->AddTask(new C_TaskSelectUnit(&f), kPrioritySelectUnit);
            return true;
        case kCmdTutorialSetCharge:
            CheckArgs(2, 0);
            complete = true;
            if (m_bKeepSaved) return true;  // the save holds the charge
            if (!f.m_UnitList.IsValidUnit(c.Int(0)))
                ReportCommand("TutorialSetCharge のユニット番号がユニット表の外です (飛ばします)");
            else
                f.m_UnitList.SetCharge(c.Int(0), c.Int(1));
            return true;
        default:
            return false;
    }
}
