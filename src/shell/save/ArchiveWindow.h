#pragma once
// The save-slot screen: six slots with their summaries, for saving (mode 0) and
// loading (mode 1).  Its owner embeds it, opens it, sets m_bShow, calls Update and
// Draw every frame while it is shown and acts on the slot number Update returns.
// Saving over a used slot asks "セーブしますか？"; loading a field or preparation
// save asks whether to continue from it or to start its chapter again.
#include <climits>
#include <cstdint>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"

class IInputManager;

// Sets a rectangle's four edges.
void MakeRect(RECT& rc, int left, int top, int right, int bottom);

class CArchiveWindow {
public:
    static constexpr int kSlots = 6;
    static constexpr int kCancel = INT_MIN;  // the player backed out

    CArchiveWindow();
    virtual ~CArchiveWindow() = default;
    CArchiveWindow(const CArchiveWindow&) = delete;
    CArchiveWindow& operator=(const CArchiveWindow&) = delete;

    // 0 save, 1 load.  The owner sets m_bShow afterwards.
    void Open(int mode);
    // -1 while nothing is decided, a slot 0..5, or kCancel; the window hides itself
    // when it returns a slot or kCancel.
    int Update(IInputManager* input);
    void Draw();
    // Rebuilds the row texts from the slot summaries when a refresh is pending.
    void RefreshRows();

    bool m_bLoadRestart = false;  // load decision: true = start the chapter again
    int32_t m_nCursor = 0;
    int32_t m_nMode = -1;
    bool m_bShow = false;
    bool m_bRefresh = true;
    bool m_bUsed[kSlots] = {};
    bool m_bChapterSave[kSlots] = {};
    int32_t m_nState = 0;        // 0 list, 1 overwrite question, 2 continue-or-restart question
    int32_t m_nChosenSlot = 0;
    int32_t m_nButtonCursor = 0;  // 1: the first button is highlighted
    CD3DDrawSquare m_RowCursor;
    CD3DTextDraw m_Title;
    CD3DTextDraw m_RowLabel[kSlots];
    CD3DTextDraw m_RowStatus[kSlots];
    CD3DTextDraw m_RowKind[kSlots];
    CD3DTextDraw m_RowDifficulty[kSlots];
    RECT m_rcRow[kSlots] = {};
    CD3DTextDraw m_QuestionText;
    CD3DTextDraw m_YesText;
    CD3DTextDraw m_NoText;
    CD3DDrawSquare m_SaveButtonCursor;
    RECT m_rcButton[2] = {};
    CD3DTextDraw m_ContinueText;
    CD3DTextDraw m_RestartText;
    CD3DDrawSquare m_LoadButtonCursor;

private:
    int UpdateQuestion(IInputManager* input, bool load);
    // Measured sizes of the texts placed by their size (kept from the last refresh).
    int m_nStatusWidth[kSlots] = {};
    int m_nKindWidth[kSlots] = {};
    int m_nKindHeight[kSlots] = {};
};
