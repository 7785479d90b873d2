// The runners of the title's opening and of the story scene: one command step per
// call on the "Main" section.
#include "PartyData.h"
#include "PersonData.h"
#include "ScenarioScript.h"
#include "ScriptDifficultyMenu.h"
#include "input/gvlInputManager.h"
#include "task/TaskBase.h"

namespace {

constexpr int kKeySkip = 11;
constexpr int kKeyUp = 1, kKeyDown = 2, kKeyLeft = 3, kKeyRight = 4, kKeyZoomIn = 5, kKeyZoomOut = 6;
constexpr int kFrameLimit = 65536;

}  // namespace

bool C_ScenarioScript::LocateSection(const std::string& sectionName) {
    if (!m_bEventPending) m_nTriggerLookup = LookupTrigger(sectionName);
    if (m_nTriggerLookup < 0) return false;
    for (size_t i = 0; i < m_vSections.size(); ++i) {
        if (m_vSections[i].nTriggerID != m_nTriggerLookup) continue;
        if (m_vSections[i].vCommands.empty()) return false;
        m_nSectionCursor = int32_t(i);
        m_nCommandCursor = 0;
        return true;
    }
    return false;
}

bool C_ScenarioScript::AtSectionEnd() const {
    if (m_nSectionCursor < 0 || m_nSectionCursor >= int(m_vSections.size())) return true;
    return m_nCommandCursor >= int(m_vSections[m_nSectionCursor].vCommands.size());
}

void C_ScenarioScript::StepCommand(bool complete) {
    ++m_nCommandFrame;
    if (complete) {
        m_nCommandFrame = 0;
        ++m_nCommandCursor;
    }
}

int32_t C_ScenarioScript::UpdateEventScript(std::string sectionName, void* info) {
    if (m_nSectionFrame == 0 && !LocateSection(sectionName)) return 1;
    if (AtSectionEnd()) return 1;
    IInputManager* input = info ? static_cast<C_TitleTaskInfo*>(info)->pInputManager : nullptr;

    if (m_nSectionFrame != kFrameLimit) ++m_nSectionFrame;
    m_bSkip = false;
    const bool pushed = input && input->IsLButtonPush();

    bool complete = false;
    const bool handled = ExecuteCommand(pushed, false, true, complete, false, false, false, false, false, false);
    switch (GetCurrentCommand()->nCommandID) {
        case kCmdSubAppear:
            complete = true;
            break;
        case kCmdRVTLogo:
            g_GlobalResources.StartLogo();
            m_bLogoRunning = true;
            complete = true;
            break;
        default:
            if (!handled) complete = true;
            break;
    }
    StepCommand(complete);

    // A push cuts the opening short once the command has run for five frames.
    if (input && input->IsLButtonPush() && m_nCommandFrame > 4) {
        m_nBackground = -1;
        m_bStrMapShown = false;
        g_GlobalResources.ResetStrategyMapAlpha();
        g_GlobalResources.PlayBGM(14);
        g_GlobalResources.SetBGMPlaying(true);
        g_GlobalResources.SetFade(0, -100);
        return 1;
    }
    if (AtSectionEnd()) {
        m_nBackground = -1;
        m_bStrMapShown = false;
        g_GlobalResources.ResetStrategyMapAlpha();
        return 1;
    }
    return 0;
}

int32_t C_ScenarioScript::UpdateStory(std::string sectionName, void* storyInfo) {
    if (m_nSectionFrame == 0 && !LocateSection(sectionName)) return 1;
    if (AtSectionEnd()) return 1;
    C_StoryInfo* info = static_cast<C_StoryInfo*>(storyInfo);
    IInputManager* input = info ? info->pInputManager : nullptr;
    CPartyData* party = info ? info->pPartyData : nullptr;

    if (m_nSectionFrame != kFrameLimit) ++m_nSectionFrame;
    bool pushed = false, up = false, left = false, right = false, down = false, zin = false, zout = false;
    m_bSkip = false;
    if (input) {
        m_bSkip = input->IsPress(kKeySkip);
        pushed = input->IsLButtonPush();
        up = input->IsPress(kKeyUp);
        left = input->IsPress(kKeyLeft);
        right = input->IsPress(kKeyRight);
        down = input->IsPress(kKeyDown);
        zin = input->IsPress(kKeyZoomIn);
        zout = input->IsPress(kKeyZoomOut);
    }

    bool complete = false;
    const bool handled = ExecuteCommand(pushed, m_bSkip, false, complete, up, left, right, down, zin, zout);
    const ScriptCommand& c = *GetCurrentCommand();
    const bool partyCommand = c.nCommandID == kCmdAddHero || c.nCommandID == kCmdPlusMoney ||
                              c.nCommandID == kCmdHeroForcedPosition || c.nCommandID == kCmdHeroForcedPosReset ||
                              c.nCommandID == kCmdInterMission || c.nCommandID == kCmdSelectDifficulty;
    if (partyCommand && !party) {
        ReportCommand("ストーリーにパーティのデータがありません (コマンドを飛ばします)");
        complete = true;
    } else {
        switch (c.nCommandID) {
            case kCmdSelectDifficulty:
                SelectDifficulty(input, party, complete);
                break;
            case kCmdAddHero:
                CheckArgs(2, 0);
                party->AddHero(c.Int(0), c.Int(1));
                complete = true;
                break;
            case kCmdPlusMoney:
                CheckArgs(1, 0);
                party->AddMoney(c.Int(0));
                complete = true;
                break;
            case kCmdHeroForcedPosition:
                CheckArgs(2, 0);
                for (HeroEntry& h : party->m_Heros) {
                    if (h.m_typeID != c.Int(0)) continue;
                    h.m_bForcePlaced = true;
                    h.m_nPlaced = c.Int(1);
                    break;
                }
                complete = true;
                break;
            case kCmdHeroForcedPosReset:
                for (HeroEntry& h : party->m_Heros) {
                    h.m_bForcePlaced = false;
                    h.m_nPlaced = -1;
                }
                complete = true;
                break;
            case kCmdInterMission:
                CheckArgs(1, 0);
                party->toInterMission = c.Int(0) != 0;
                complete = true;
                break;
            default:
                if (!handled) complete = true;
                break;
        }
    }
    StepCommand(complete);
    return AtSectionEnd() ? 1 : 0;
}

void C_ScenarioScript::SelectDifficulty(IInputManager* input, CPartyData* party, bool& complete) {
    if (m_nCommandFrame == 0 || !m_pDifficultyMenu) {
        delete m_pDifficultyMenu;
        m_pDifficultyMenu = CreateScriptDifficultyMenu();
        m_pDifficultyMenu->Reset();
        g_GlobalResources.SetSerif(CGlobalResources::kNoSpeaker, {"ゲームを開始する前に、難易度を選択してください。",
                                                                  "(Standardが一般的な難易度です)"});
        m_bSerifShown = true;
    }
    m_pDifficultyMenu->Update(input);
    const int result = m_pDifficultyMenu->GetResult();
    if (result != 0) {
        SetDifficulty(party->Difficulty, result);
        delete m_pDifficultyMenu;
        m_pDifficultyMenu = nullptr;
        m_bSerifShown = false;
        complete = true;
    }
}
