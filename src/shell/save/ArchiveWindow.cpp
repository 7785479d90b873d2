// The save-slot screen and its two questions.
#include "save/ArchiveWindow.h"

#include <algorithm>
#include <string>

#include "input/gvlInputManager.h"
#include "menu/SelectMenu.h"
#include "resources/GlobalResources.h"
#include "save/ArchiveManager.h"
#include "util/GameUtil.h"

namespace {
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kCursorColor = 0x55FFFFFF;
constexpr uint32_t kFrameColor = 0x95000000;
}  // namespace

void MakeRect(RECT& rc, int left, int top, int right, int bottom) {
    rc.left = left;
    rc.top = top;
    rc.right = right;
    rc.bottom = bottom;
}

CArchiveWindow::CArchiveWindow() {
    m_RowCursor.SetSize(600, 60, kCursorColor);
    for (int i = 0; i < kSlots; ++i) MakeRect(m_rcRow[i], 15, 70 + 65 * i, 625, 135 + 65 * i);
    m_QuestionText.SetText("セーブしますか？", 20, kWhite);
    m_YesText.SetText(" はい ", 20, kWhite);
    m_NoText.SetText("いいえ", 20, kWhite);
    m_ContinueText.SetText("  続きから", 20, kWhite);
    m_RestartText.SetText("章の始めから", 20, kWhite);
}

void CArchiveWindow::Open(int mode) {
    m_nMode = mode;
    m_nState = 0;
    m_bRefresh = true;
    m_bLoadRestart = false;
}

int CArchiveWindow::Update(IInputManager* input) {
    if (!m_bShow || !input) return -1;
    switch (m_nState) {
        case 0: {
            for (int i = 0; i < kSlots; ++i)
                if (RectContainsMouse(m_rcRow[i], *input)) m_nCursor = i;
            m_nCursor = std::clamp(m_nCursor, 0, kSlots - 1);
            if (input->IsLButtonPush() && !m_bRefresh) {
                const int r = m_nCursor;
                const bool load = m_nMode == 1;
                if (m_bUsed[r]) {
                    if (!load) {
                        m_nState = 1;
                        m_nChosenSlot = r;
                        m_nButtonCursor = 0;
                        return -1;
                    }
                    if (!m_bChapterSave[r]) {
                        m_nState = 2;
                        m_nChosenSlot = r;
                        m_nButtonCursor = 1;
                        return -1;
                    }
                    m_bShow = false;
                    return r;
                }
                if (load) return -1;
                m_bShow = false;
                return r;
            }
            if (input->IsRButtonPush()) {
                m_bShow = false;
                return kCancel;
            }
            return -1;
        }
        case 1:
            return UpdateQuestion(input, false);
        case 2:
            return UpdateQuestion(input, true);
        default:
            return -1;
    }
}

int CArchiveWindow::UpdateQuestion(IInputManager* input, bool load) {
    if (RectContainsMouse(m_rcButton[0], *input)) m_nButtonCursor = 1;
    if (RectContainsMouse(m_rcButton[1], *input)) m_nButtonCursor = 0;
    if (input->IsLButtonPush() && RectContainsMouse(m_rcButton[0], *input)) {
        m_nState = 0;
        m_bShow = false;
        if (load) m_bLoadRestart = false;
        return m_nChosenSlot;
    }
    if (input->IsLButtonPush() && RectContainsMouse(m_rcButton[1], *input)) {
        m_nState = 0;
        if (!load) return -1;  // back to the list
        m_bLoadRestart = true;
        m_bShow = false;
        return m_nChosenSlot;
    }
    if (input->IsRButtonDown()) m_nState = 0;
    return -1;
}

void CArchiveWindow::RefreshRows() {
    if (!m_bRefresh) return;
    CArchiveManager::CreateInstance();
    CArchiveManager* manager = CArchiveManager::GetInstance();
    // A save file that went away since the last look leaves its slot empty.
    if (manager) manager->SyncWithFiles();
    int w = 0, h = 0;
    if (m_nMode == 1) {
        m_RestartText.GetTextSize(w, h);
        m_LoadButtonCursor.SetSize(float(w + 20), float(h + 20), kCursorColor);
        m_Title.SetText("ロードするファイルを選択してください", 28, kWhite);
        MakeRect(m_rcButton[0], 200, 190, 230 + w, 210 + h);
        MakeRect(m_rcButton[1], 350, 190, 360 + w, 210 + h);
    } else {
        m_YesText.GetTextSize(w, h);
        m_SaveButtonCursor.SetSize(float(w + 20), float(h + 20), kCursorColor);
        m_Title.SetText("セーブするファイルを選択してください", 28, kWhite);
        MakeRect(m_rcButton[0], 230, 190, 250 + w, 210 + h);
        MakeRect(m_rcButton[1], 320, 190, 340 + w, 210 + h);
    }
    m_Title.Render();
    m_QuestionText.Render();
    m_YesText.Render();
    m_NoText.Render();
    m_ContinueText.Render();
    m_RestartText.Render();
    for (int i = 0; i < kSlots; ++i) {
        const SaveSlotInfo info = manager ? manager->GetSlotInfo(i) : SaveSlotInfo{};
        m_RowLabel[i].SetText("File " + std::to_string(i + 1), 20, kWhite);
        if (info.nChapter == -1) {
            m_RowStatus[i].SetText("NO DATA", 28, 0xFF555555);
            m_bUsed[i] = false;
            m_bChapterSave[i] = false;
            // An empty slot shows no kind or difficulty left over from an earlier look.
            m_RowKind[i].SetText("", 18, kWhite);
            m_RowDifficulty[i].SetText("", 18, kWhite);
        } else {
            m_bUsed[i] = true;
            m_RowStatus[i].SetText("Stage" + std::to_string(static_cast<long long>(info.nChapter) + 1), 28, kWhite);
            if (info.strSaveType == ChapterSave) {
                m_RowKind[i].SetText(" ", 28, kWhite);
                m_bChapterSave[i] = true;
            } else if (info.strSaveType == IntermissionSave) {
                m_RowKind[i].SetText("インターミッション", 18, kWhite);
                m_bChapterSave[i] = false;
            } else if (info.strSaveType == FieldSave) {
                m_RowKind[i].SetText("フィールド", 18, kWhite);
                m_bChapterSave[i] = false;
            }
            m_RowDifficulty[i].SetText(GetDifficultyName(info.nDifficulty), 18, kWhite);
        }
        m_RowLabel[i].Render();
        m_RowStatus[i].Render();
        m_RowKind[i].Render();
        m_RowDifficulty[i].Render();
        int sh = 0;
        m_RowStatus[i].GetTextSize(m_nStatusWidth[i], sh);
        m_RowKind[i].GetTextSize(m_nKindWidth[i], m_nKindHeight[i]);
    }
    m_RowCursor.SetSize(600, 60, kCursorColor);
    m_bRefresh = false;
}

void CArchiveWindow::Draw() {
    if (!m_bShow) return;
    RefreshRows();
    g_GlobalResources.DrawWindow(0, 10, 10, 620, 460, 0, kFrameColor);
    DrawTextAt(m_Title, 84, 20);
    for (int i = 0; i < kSlots; ++i) {
        const int y = 65 * i;
        DrawTextAt(m_RowLabel[i], 60, 70 + y);
        DrawTextAt(m_RowStatus[i], 320 - m_nStatusWidth[i] / 2, 100 + y);
        DrawTextAt(m_RowKind[i], 620 - m_nKindWidth[i], 120 + y - m_nKindHeight[i]);
        DrawTextAt(m_RowDifficulty[i], 60, 100 + y);
    }
    m_RowCursor.Draw(20, float(70 + 65 * m_nCursor));
    if (m_nState == 1) {
        g_GlobalResources.DrawWindow(0, 200, 140, 240, 100, 0, kFrameColor);
        DrawTextAt(m_QuestionText, 240, 160);
        DrawTextAt(m_YesText, 240, 200);
        DrawTextAt(m_NoText, 330, 200);
        if (m_nButtonCursor == 1) m_SaveButtonCursor.Draw(230, 190);
        else m_SaveButtonCursor.Draw(320, 190);
    } else if (m_nState == 2) {
        g_GlobalResources.DrawWindow(0, 190, 140, 310, 100, 0, kFrameColor);
        DrawTextAt(m_ContinueText, 210, 200);
        DrawTextAt(m_RestartText, 360, 200);
        if (m_nButtonCursor == 1) m_LoadButtonCursor.Draw(200, 190);
        else m_LoadButtonCursor.Draw(350, 190);
    }
}
