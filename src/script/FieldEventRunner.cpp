// The field-event runner: picks the sections of a raised event by trigger and
// condition, runs their commands one step per call, marks each section as fired in
// the field state when it has run to its end, and ends the map after a "Won" or
// "Lost" section.  "Won", "Lost" and "Value" are raised from within (Win, Lose,
// SetValue) and run inside the same event.
#include <algorithm>
#include <cstdio>
#include <set>

#include "FieldEvent.h"
#include "PartyData.h"
#include "ScenarioScript.h"
#include "input/gvlInputManager.h"
#include "log/ErrorLog.h"

namespace {

constexpr int kKeySkip = 11;
constexpr int kKeyUp = 1, kKeyDown = 2, kKeyLeft = 3, kKeyRight = 4, kKeyZoomIn = 5, kKeyZoomOut = 6;
constexpr int kFieldFrameLimit = 65535;
constexpr int kViewFrames = 30;
// Sections one event task may run (every section runs at most once per field, but a
// section left by its own "SetValue" may be found again and again).
constexpr int kFieldLocateLimit = 1000;

// How many header integers each trigger's test reads.
size_t TriggerArgCount(int trigger) {
    switch (trigger) {
        case kTriggerPhaseStart:
        case kTriggerFirstFight:
        case kTriggerPersonSuffered:
            return 2;
        case kTriggerForceSuffered:
        case kTriggerValue:
            return 3;
        case kTriggerForceSufferedAt:
        case kTriggerUnitPosition:
            return 5;
        default:
            return 0;
    }
}

// The "ForceSuffered" test on (side, whom, count).
bool ForceSufferedHolds(const C_FieldTaskInfo& f, int side, int whom, int count) {
    const CUnitList& units = f.m_UnitList;
    if (whom > 0) return units.GetDefeatedCount(side, whom) >= count;
    if (whom == 0) return units.GetDefeatedTotal(side) >= count;
    if (whom == -1) return units.GetDefeatedHeroCount(side) >= count;
    if (whom == -2 || whom == -3) {
        int left = 0;
        for (int u = 0; u < units.GetCount(); ++u) {
            if (units.GetMemberCount(u) == 0) continue;
            if (int(units.IsFriend(u)) != side) continue;
            if (whom == -2 && !units.IsHero(u)) continue;
            ++left;
        }
        return left <= count;
    }
    return false;
}

}  // namespace

void C_ScenarioScript::ReportFieldOnce(int section, const char* what) {
    if (std::find(m_vReportedSections.begin(), m_vReportedSections.end(), section) != m_vReportedSections.end()) return;
    m_vReportedSections.push_back(section);
    const ScriptSection* s = (section >= 0 && section < int(m_vSections.size())) ? &m_vSections[section] : nullptr;
    g_ErrorLog.Printf("%s(%d): %s", s ? s->strFile.c_str() : "(script)", s ? s->nLine : 0, what);
}

bool C_ScenarioScript::FieldTriggerHolds(const ScriptSection& sec, int index, C_FieldTaskInfo* info) {
    const std::vector<int32_t>& a = sec.vTriggerArgs;
    if (a.size() < TriggerArgCount(sec.nTriggerID)) {
        ReportFieldOnce(index, "トリガーの引数が足りません (このセクションは実行されません)");
        return false;
    }
    const C_FieldTaskInfo& f = *info;
    switch (sec.nTriggerID) {
        case kTriggerPhaseStart:
            return f.m_nTurn == a[1] && ((f.m_bPlayerPhase && a[0] == 0) || (!f.m_bPlayerPhase && a[0] == 1));
        case kTriggerWon:
        case kTriggerLost:
        case kTriggerIMTutorial:
        case kTriggerFieldInitialize:
        case kTriggerDetected:
            return true;
        case kTriggerFirstFight: {
            std::set<int> types;
            for (int side = 0; side < 2; ++side) {
                const int u = f.m_nFightingUnit[side];
                if (!f.m_UnitList.IsValidUnit(u)) continue;
                for (int j = 0; j < f.m_UnitList.GetMemberCount(u); ++j) types.insert(f.m_UnitList.GetMemberTypeID(u, j));
            }
            return types.count(a[0]) != 0 && types.count(a[1]) != 0;
        }
        case kTriggerUnitPosition: {
            const int whom = a[0];
            for (int u = 0; u < f.m_UnitList.GetCount(); ++u) {
                if (f.m_UnitList.GetMemberCount(u) == 0) continue;
                bool qualifies;
                if (whom == -1)
                    qualifies = f.m_UnitList.IsFriend(u);
                else if (whom == -2)
                    qualifies = !f.m_UnitList.IsFriend(u);
                else
                    qualifies = f.m_UnitList.GetMemberTypeID(u, 0) == whom;
                if (!qualifies) continue;
                const int x = f.m_UnitList.GetX(u), y = f.m_UnitList.GetY(u);
                if (a[1] <= x && x <= a[3] && a[2] <= y && y <= a[4]) return true;
            }
            return false;
        }
        case kTriggerValue: {
            const int i = a[1];
            if (i < 0 || i >= kEventValueCount) {
                ReportFieldOnce(index, "Value の変数番号が 0 から 49 の外です (このセクションは実行されません)");
                return false;
            }
            const int v = f.EventValue[i];
            if (a[0] == 0) return v == a[2];
            if (a[0] == 1) return v >= a[2];
            if (a[0] == 2) return v <= a[2];
            return false;
        }
        case kTriggerPersonSuffered: {
            const CPersonList& persons = f.m_PersonList;
            for (int p = 0; p < persons.GetCount(); ++p) {
                const PersonRecord& r = persons.m_vPerson[p];
                if (r.typeID != a[0]) continue;
                // A person without hit points to lose counts as fallen.
                const int64_t percent = r.nMaxHP > 0 ? int64_t(r.nHP) * 100 / r.nMaxHP : 0;
                return percent <= a[1];
            }
            return a[1] <= 0;
        }
        case kTriggerForceSuffered:
            return ForceSufferedHolds(f, a[0], a[1], a[2]);
        case kTriggerForceSufferedAt:
            if (a[3] != -1 && a[3] > f.m_nTurn) return false;
            if (a[4] != -1 && f.m_nTurn > a[4]) return false;
            return ForceSufferedHolds(f, a[0], a[1], a[2]);
        default:
            // "Main" and "Flag" never run on the field.
            return false;
    }
}

bool C_ScenarioScript::LocateFieldSection(const std::string& eventName, C_FieldTaskInfo* info) {
    m_nSectionIndex = 0;
    std::string name = eventName;
    if (m_bEventPending) {
        m_bEventPending = false;
        name = m_strPendingEvent;
    }
    m_nTriggerLookup = LookupTrigger(name);
    if (m_nTriggerLookup < 0) return false;
    for (int i = 0; i < int(m_vSections.size()); ++i) {
        m_nSectionIndex = i;
        const ScriptSection& sec = m_vSections[i];
        if (sec.nTriggerID != m_nTriggerLookup) continue;
        if (i >= kEventHandlerFlagCount) {
            // The field state has no fired flag for it: it could never count as run.
            ReportFieldOnce(i, "200 番目より後のセクションはフィールドでは実行されません");
            continue;
        }
        if (info->EventHandlerFlag[i]) continue;
        if (!FieldTriggerHolds(sec, i, info)) continue;
        m_nSectionCursor = i;
        m_nCommandCursor = 0;
        m_nCommandFrame = 0;
        return true;
    }
    m_nSectionIndex = int(m_vSections.size());
    return false;
}

void C_ScenarioScript::RaisePendingEvent(const char* name) {
    m_strPendingEvent = name;
    m_bEventPending = true;
    m_nSectionFrame = 0;
}

void C_ScenarioScript::FinishFieldSection(C_FieldTaskInfo* info) {
    if (m_nSectionIndex >= 0 && m_nSectionIndex < kEventHandlerFlagCount) info->EventHandlerFlag[m_nSectionIndex] = true;
    if (m_bEventPending) return;
    // The map ends once: a later section of the same event (the stored name keeps
    // its value) must not win it again or advance the party a second time.
    if (m_strPendingEvent == "Won") {
        if (info->m_nExitState == 0) {
            info->m_nExitState = 1;
            if (info->m_pPartyData)
                info->m_pPartyData->AdvanceMap();
            else
                g_ErrorLog.Printf("フィールドにパーティのデータがありません (次のマップへ進めません)");
        }
    } else if (m_strPendingEvent == "Lost") {
        if (info->m_nExitState == 0) info->m_nExitState = 2;
    }
    info->FocusViewOnKeyUnit();
    m_nSectionFrame = 0;
}

int32_t C_ScenarioScript::UpdateFieldEvent(std::string eventName, C_FieldTaskInfo* info) {
    if (!info) {
        g_ErrorLog.Printf("フィールドイベント %s にフィールドの状態がありません", eventName.c_str());
        return 1;
    }
    // The field scene runs "FieldInitialize" in a loop without drawing or input:
    // nothing may wait there.
    const bool instant = eventName == "FieldInitialize";

    // 8. The view glide: frames 1 to 30 from the start point to the end point.
    auto glide = [&](bool jump) {
        if (m_nViewFrame != kViewFrames) ++m_nViewFrame;
        if (jump) m_nViewFrame = kViewFrames;
        if (m_bViewMoving) {
            info->m_fCameraX = float(m_fViewFromX + (m_fViewToX - m_fViewFromX) * m_nViewFrame / 30.0);
            info->m_fCameraY = float(m_fViewFromY + (m_fViewToY - m_fViewFromY) * m_nViewFrame / 30.0);
        }
    };

    // A field taken over from a save keeps what the save holds when its
    // "FieldInitialize" runs again.
    m_bKeepSaved = instant && (m_bFieldRestored || info->m_bRestoredFromSave);

    // 1. Locate.  With nothing (more) to run the event is over, but a glide started by
    // its last command first reaches its end point rather than stopping part way.
    if (m_nSectionFrame == 0 && m_nFieldLocates >= kFieldLocateLimit) {
        // A "Value" section whose "SetValue" raises its own trigger again before its
        // end would run for ever; the event task must end.
        if (m_nFieldLocates == kFieldLocateLimit) {
            ++m_nFieldLocates;
            g_ErrorLog.Printf("フィールドイベント %s が %d 個のセクションを実行しても終わりません (打ち切ります)",
                              eventName.c_str(), kFieldLocateLimit);
        }
        return 1;
    }
    if (m_nSectionFrame == 0) {
        if (!LocateFieldSection(eventName, info)) {
            if (!m_bViewMoving || m_nViewFrame >= kViewFrames) return 1;
            IInputManager* input = info->GetInputManager();
            glide(instant || (input && input->IsPress(kKeySkip)));
            return 0;
        }
        ++m_nFieldLocates;
    }

    // 2. Frames of the section.
    if (m_nSectionFrame != kFieldFrameLimit) ++m_nSectionFrame;

    // 3. Input, from the tutorial's scripted input while it is switched on.  The
    // click that raised the event is the push of the first call; the windows and the
    // briefing screen take only a push from a later frame than the one that showed
    // them (PushAfterShown), so it never takes away the line it brought up.
    IInputManager* input = info->GetInputManager();
    bool pushed = false, up = false, left = false, right = false, down = false, zin = false, zout = false;
    m_bSkip = false;
    if (input && !instant) {
        m_bSkip = input->IsPress(kKeySkip);
        pushed = input->IsLButtonPush();
        up = input->IsPress(kKeyUp);
        left = input->IsPress(kKeyLeft);
        right = input->IsPress(kKeyRight);
        down = input->IsPress(kKeyDown);
        zin = input->IsPress(kKeyZoomIn);
        zout = input->IsPress(kKeyZoomOut);
    }

    // 4-6. One step of the current command.  (A section without commands has none
    // and counts as run at once.)
    if (const ScriptCommand* current = GetCurrentCommand()) {
        const ScriptCommand c = *current;
        bool complete = false;
        const bool handled = ExecuteCommand(pushed, m_bSkip, false, complete, up, left, right, down, zin, zout);
        bool own = ExecuteFieldDataCommand(c, info, complete);
        if (!own) own = ExecuteFieldViewCommand(c, info, pushed, complete);
        if (!own && !handled) complete = true;
        if (instant) complete = true;
        ++m_nCommandFrame;
        if (complete) {
            m_nCommandFrame = 0;
            if (!AtSectionEnd()) ++m_nCommandCursor;
        }
    }

    // 7. The end of the section.
    if (AtSectionEnd()) FinishFieldSection(info);

    glide(m_bSkip || instant);
    return 0;
}

int RunFieldInitialize(C_FieldTaskInfo& field, int chapter, bool restored, int passLimit) {
    C_ScenarioScript script;
    script.LoadChapter(chapter);
    const std::vector<ScriptSection>& sections = script.GetSections();
    for (int i = 0; i < int(sections.size()) && i < kEventHandlerFlagCount; ++i)
        if (sections[i].nTriggerID == kTriggerFieldInitialize) field.EventHandlerFlag[i] = false;
    script.SetFieldRestored(restored);
    int passes = 0;
    while (passes < passLimit) {
        ++passes;
        if (script.UpdateFieldEvent("FieldInitialize", &field) != 0) return passes;
    }
    g_ErrorLog.Printf("%s の FieldInitialize が %d 回で終わりませんでした (打ち切ります)",
                      C_ScenarioScript::ChapterFileName(chapter).c_str(), passLimit);
    return passes;
}
