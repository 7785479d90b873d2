// The commands that every runner shares: the text windows, the strategy map with its
// camera, force fields and markers, music, the background, pictures, waits, fades,
// the chapter telop and the to-be-continued screen.
#include <algorithm>

#include "ScenarioScript.h"
#include "log/ErrorLog.h"

namespace {

// How many integers and strings each shared command reads.
struct ArgNeed {
    int32_t id;
    size_t ints, strings;
};
const ArgNeed kNeeds[] = {
    {kCmdMessage, 0, 1},        {kCmdSerif, 1, 1},          {kCmdPlace, 0, 1},
    {kCmdStrategyMap, 1, 0},    {kCmdStrMapBaseLoad, 0, 1}, {kCmdStrMapMove, 3, 0},
    {kCmdMakeForcesField, 6, 1}, {kCmdForcesFieldAlpha, 2, 0}, {kCmdDeleteForcesField, 1, 0},
    {kCmdBGM, 1, 0},            {kCmdSoundEffect, 1, 0},    {kCmdBackGround, 1, 0},
    {kCmdWait, 1, 0},           {kCmdFadeIn, 4, 0},         {kCmdFadeOut, 4, 0},
    {kCmdChapterTitleTerop, 0, 1}, {kCmdSetPicture, 6, 1},  {kCmdMovePicture, 6, 0},
    {kCmdErasePicture, 6, 0},   {kCmdSetMarker, 6, 1},      {kCmdMoveMarker, 5, 0},
    {kCmdEraseMarker, 1, 0},    {kCmdTutorialWait, 1, 0},
};

}  // namespace

void C_ScenarioScript::ReportCommand(const char* what) const {
    const ScriptCommand* c = GetCurrentCommand();
    const ScriptSection* s =
        (m_nSectionCursor >= 0 && m_nSectionCursor < int(m_vSections.size())) ? &m_vSections[m_nSectionCursor] : nullptr;
    g_ErrorLog.Printf("%s(%d): %s", s ? s->strFile.c_str() : "(script)", c ? c->nLine : 0, what);
}

void C_ScenarioScript::CheckArgs(size_t ints, size_t strings) const {
    const ScriptCommand* c = GetCurrentCommand();
    if (!c || (c->vInt.size() >= ints && c->vString.size() >= strings)) return;
    if (m_nReportedSection == m_nSectionCursor && m_nReportedCommand == m_nCommandCursor) return;
    m_nReportedSection = m_nSectionCursor;
    m_nReportedCommand = m_nCommandCursor;
    char text[160];
    std::snprintf(text, sizeof text, "コマンド %d の引数が足りません (数値 %zu/%zu 個, 文字列 %zu/%zu 個; 足りない分は 0 と空文字列)",
                  c->nCommandID, c->vInt.size(), ints, c->vString.size(), strings);
    ReportCommand(text);
}

bool C_ScenarioScript::ExecuteCommand(bool pushed, bool skip, bool autoAdvance, bool& complete, bool up, bool left,
                                      bool right, bool down, bool zoomIn, bool zoomOut) {
    // The camera keys steer the strategy map whatever the command is.
    if (up) g_GlobalResources.MoveMapCamera(0, -3, 0);
    if (down) g_GlobalResources.MoveMapCamera(0, 3, 0);
    if (right) g_GlobalResources.MoveMapCamera(3, 0, 0);
    if (left) g_GlobalResources.MoveMapCamera(-3, 0, 0);
    if (zoomIn) g_GlobalResources.MoveMapCamera(0, 0, 1);
    if (zoomOut) g_GlobalResources.MoveMapCamera(0, 0, -1);

    const ScriptCommand* pc = GetCurrentCommand();
    if (!pc) return false;
    const ScriptCommand& c = *pc;
    for (const ArgNeed& n : kNeeds)
        if (n.id == c.nCommandID) CheckArgs(n.ints, n.strings);

    switch (c.nCommandID) {
        case kCmdMessage:
            WindowCommand(0, pushed, skip, autoAdvance, complete);
            return true;
        case kCmdSerif:
            WindowCommand(1, pushed, skip, autoAdvance, complete);
            return true;
        case kCmdPlace:
            WindowCommand(2, pushed, skip, autoAdvance, complete);
            return true;
        case kCmdMessageErase:
            m_bMessageShown = false;
            complete = true;
            return true;
        case kCmdSerifErase:
            m_bSerifShown = false;
            complete = true;
            return true;
        case kCmdPlaceErase:
            m_bPlaceShown = false;
            complete = true;
            return true;
        case kCmdStrMapOn:
            m_bStrMapShown = true;
            complete = true;
            return true;
        case kCmdStrMapOff:
            m_bStrMapShown = false;
            complete = true;
            return true;
        case kCmdStrategyMap:
            m_bStrMapShown = c.Int(0) == 1;
            complete = true;
            return true;
        case kCmdStrMapBaseLoad:
            g_GlobalResources.LoadStrategyMapBase(c.Str(0));
            complete = true;
            return true;
        case kCmdStrMapMove:
            g_GlobalResources.StartMapCameraMove(c.Int(0), c.Int(1), c.Int(2));
            m_bStrMapShown = true;
            complete = true;
            return true;
        case kCmdMakeForcesField:
            g_GlobalResources.MakeForcesField(c.Int(0), c.Str(0), c.Int(1), c.Int(2), c.Int(3), c.Int(4), c.Int(5));
            complete = true;
            return true;
        case kCmdForcesFieldAlpha:
            g_GlobalResources.SetForcesFieldAlpha(c.Int(0), c.Int(1));
            complete = true;
            return true;
        case kCmdDeleteForcesField:
            g_GlobalResources.DeleteForcesField(c.Int(0));
            complete = true;
            return true;
        case kCmdBGM:
            if (c.Int(0) == -1) {
                g_GlobalResources.SetBGMPlaying(false);
            } else {
                g_GlobalResources.PlayBGM(c.Int(0));
                g_GlobalResources.SetBGMPlaying(true);
            }
            complete = true;
            return true;
        case kCmdSoundEffect:
            g_GlobalResources.LoadSound(c.Int(0));
            g_GlobalResources.SetSoundPlaying(true);
            complete = true;
            return true;
        case kCmdBackGround:
            m_nPrevBackground = m_nBackground;
            m_nBackground = c.Int(0);
            if (m_nBackground < -1) {
                ReportCommand("背景番号が負です (背景なしとして扱います)");
                m_nBackground = -1;
            }
            m_nBackgroundFade = 255;
            complete = true;
            return true;
        case kCmdWait:
            if (m_nCommandFrame >= c.Int(0) || skip) complete = true;
            return true;
        case kCmdFadeIn:
        case kCmdFadeOut: {
            const uint32_t color = (((uint32_t(c.Int(0)) << 8) | uint32_t(c.Int(1))) << 8) | uint32_t(c.Int(2));
            // 0 holds the fade where it is; the sign gives the direction, so the
            // length is held where it can be negated.
            const int frames = std::max(c.Int(3), -INT32_MAX);
            g_GlobalResources.SetFade(color, c.nCommandID == kCmdFadeIn ? -frames : frames);
            complete = true;
            return true;
        }
        case kCmdChapterTitleTerop:
            ChapterTelop(skip, complete);
            return true;
        case kCmdSetPicture:
            SetPicture(c);
            complete = true;
            return true;
        case kCmdMovePicture:
        case kCmdErasePicture:
            MovePicture(c);
            complete = true;
            return true;
        case kCmdSetMarker:
            g_GlobalResources.SetMarker(c.Str(0), c.Int(0), c.Int(1), c.Int(2), c.Int(3), c.Int(4), c.Int(5));
            complete = true;
            return true;
        case kCmdMoveMarker:
            if (g_GlobalResources.GetMarkers().count(c.Int(0)) == 0)
                ReportCommand("MoveMarker: その番号のマーカーはありません");
            g_GlobalResources.MoveMarker(c.Int(0), c.Int(1), c.Int(2), c.Int(3), std::max(1, c.Int(4)));
            complete = true;
            return true;
        case kCmdEraseMarker:
            if (g_GlobalResources.GetMarkers().count(c.Int(0)) == 0)
                ReportCommand("EraseMarker: その番号のマーカーはありません");
            g_GlobalResources.EraseMarker(c.Int(0));
            complete = true;
            return true;
        case kCmdToBeContinued:
            ToBeContinued(pushed, complete);
            return true;
        case kCmdTutorialWait:
            if (m_nCommandFrame >= c.Int(0)) complete = true;
            return true;
        default:
            return false;
    }
}

// which: 0 message, 1 serif, 2 place.
void C_ScenarioScript::WindowCommand(int which, bool pushed, bool skip, bool autoAdvance, bool& complete) {
    const ScriptCommand& c = *GetCurrentCommand();
    bool* flags[3] = {&m_bMessageShown, &m_bSerifShown, &m_bPlaceShown};
    if (m_nCommandFrame == 0) {
        bool other = false;
        for (int i = 0; i < 3; ++i)
            if (i != which && *flags[i]) other = true;
        if (other) {
            for (int i = 0; i < 3; ++i)
                if (i != which) *flags[i] = false;
            m_bWindowSwitch = true;
        } else {
            m_bWindowSwitch = false;
        }
    }
    const int openFrame = m_bWindowSwitch ? 15 : 0;
    if (m_nCommandFrame == openFrame) {
        switch (which) {
            case 0:
                g_GlobalResources.SetMessage(c.vString);
                m_bMessageShown = true;
                break;
            case 1:
                g_GlobalResources.SetSerif(c.vInt.empty() ? CGlobalResources::kNoSpeaker : c.vInt[0], c.vString);
                m_bSerifShown = true;
                break;
            default:
                g_GlobalResources.SetPlace(c.vString);
                m_bPlaceShown = true;
                break;
        }
    }
    if (PushAfterShown(pushed, openFrame) || skip || autoAdvance) complete = true;
}

void C_ScenarioScript::ChapterTelop(bool skip, bool& complete) {
    const ScriptCommand& c = *GetCurrentCommand();
    if (!m_bTelopRunning) {
        g_GlobalResources.StartChapterTelop(c.Str(0), c.Str(1), c.Str(2));
        m_bTelopRunning = true;
    }
    if (skip) g_GlobalResources.SkipChapterTelop();
    if (g_GlobalResources.IsChapterTelopDone()) {
        m_bTelopRunning = false;
        complete = true;
    }
}

void C_ScenarioScript::ToBeContinued(bool pushed, bool& complete) {
    m_bToBeContinuedShown = true;
    if (m_nCommandFrame == 0) {
        g_GlobalResources.SetFadeFrom(0);
        g_GlobalResources.SetFadeTo(150);
        g_GlobalResources.SetFade(0, 90);
    }
    if (m_nCommandFrame > 100 && pushed) {
        g_GlobalResources.SetFadeFrom(0);
        g_GlobalResources.SetFadeTo(255);
        m_bToBeContinuedShown = false;
        complete = true;
    }
}

void C_ScenarioScript::SetPicture(const ScriptCommand& c) {
    const int32_t id = c.Int(0);
    ScriptPicture& pic = m_mapPicture[id];
    m_nPictureCursor = id;
    ScriptPictureKey key;
    key.x = double(c.Int(1));
    key.y = double(c.Int(2));
    key.scale = double(c.Int(3));
    key.alpha = 0;
    pic.current = key;
    pic.start = key;
    key.alpha = uint8_t(c.Int(4));
    pic.target = key;
    pic.nFrame = 0;
    pic.nDuration = c.Int(5);
    if (pic.nDuration < 1) {
        if (pic.nDuration < 0) ReportCommand("SetPicture: フレーム数が負です (1 として扱います)");
        pic.nDuration = 1;
    }
    if (c.vString.empty() || c.vString[0].empty()) ReportCommand("SetPicture: 画像ファイル名がありません");
    pic.texture = smart_ptr<CD3DDrawTexture>(new CD3DDrawTexture(c.Str(0)));
}

void C_ScenarioScript::MovePicture(const ScriptCommand& c) {
    const int32_t id = c.Int(0);
    auto it = m_mapPicture.find(id);
    if (it == m_mapPicture.end()) {
        ReportCommand("MovePicture/ErasePicture: その番号の絵はありません (無視します)");
        return;
    }
    m_nPictureCursor = id;
    ScriptPicture& pic = it->second;
    pic.current = pic.target;
    pic.start = pic.target;
    pic.nFrame = 0;
    pic.nDuration = c.Int(5);
    if (pic.nDuration < 1) {
        if (pic.nDuration < 0) ReportCommand("MovePicture: フレーム数が負です (1 として扱います)");
        pic.nDuration = 1;
    }
    pic.target.x = double(c.Int(1));
    pic.target.y = double(c.Int(2));
    pic.target.scale = double(c.Int(3));
    pic.target.alpha = uint8_t(c.Int(4));
}
