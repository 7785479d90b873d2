// The save-slot screen: rows from the slot summaries, save and load modes, the
// overwrite and continue-or-restart questions, cancelling.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fake_input.h"
#include "golden.h"
#include "save/ArchiveManager.h"
#include "save/ArchiveWindow.h"

namespace {

// Slots in a fresh folder: 1 a chapter save of chapter 4, 3 a field save, 4 an
// inter-mission save; the rest empty.
class SlotWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        cd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
        CArchiveManager::DestroyInstance();
        CArchiveManager::CreateInstance();
        Write(1, ChapterSave, 4, 3);
        Write(3, FieldSave, 2, 5);
        Write(4, IntermissionSave, 0, 1);
    }
    void TearDown() override {
        CArchiveManager::DestroyInstance();
        cd_.reset();
    }
    static void Write(int slot, const char* type, int chapter, int difficulty) {
        CArchiveManager* m = CArchiveManager::GetInstance();
        m->ClearArchives();
        m->ClearCurrentArchive();
        m->SetString(SaveFileChapterKey, std::to_string(chapter));
        m->SetString(SaveFileDiffKey, std::to_string(difficulty));
        m->SetString(SaveFileTypeKey, type);
        ASSERT_TRUE(m->Save(slot));
    }
    // Opens the window in a mode, shown, with its rows built as its first draw does.
    void OpenWindow(int mode) {
        w_.Open(mode);
        w_.m_bShow = true;
        w_.RefreshRows();
    }
    // Row r's middle.
    void PointAtRow(int r) { in_.Move(320, 100 + 65 * r); }
    int Click() {
        in_.ClickLeft();
        int r = w_.Update(&in_);
        in_.Step();
        return r;
    }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
    CArchiveWindow w_;
    FakeInput in_;
};

TEST_F(SlotWindowTest, ConstructionState) {
    CArchiveWindow w;
    EXPECT_EQ(w.m_nMode, -1);
    EXPECT_EQ(w.m_nCursor, 0);
    EXPECT_EQ(w.m_nState, 0);
    EXPECT_TRUE(w.m_bRefresh);
    EXPECT_FALSE(w.m_bShow);
    EXPECT_EQ(w.m_rcRow[5].left, 15);
    EXPECT_EQ(w.m_rcRow[5].top, 395);
    EXPECT_EQ(w.m_rcRow[5].right, 625);
    EXPECT_EQ(w.m_rcRow[5].bottom, 460);
    EXPECT_EQ(w.m_YesText.GetText(), " はい ");
    EXPECT_EQ(w.m_RestartText.GetText(), "章の始めから");
}

TEST_F(SlotWindowTest, RowsFromTheSummaries) {
    OpenWindow(0);
    EXPECT_FALSE(w_.m_bRefresh);
    EXPECT_EQ(w_.m_RowStatus[0].GetText(), "NO DATA");
    EXPECT_EQ(w_.m_RowStatus[0].GetColor(), 0xFF555555u);
    EXPECT_EQ(w_.m_RowStatus[1].GetText(), "Stage5");  // chapter 4
    EXPECT_EQ(w_.m_RowKind[1].GetText(), " ");
    EXPECT_EQ(w_.m_RowDifficulty[1].GetText(), "Expert");
    EXPECT_EQ(w_.m_RowKind[3].GetText(), "フィールド");
    EXPECT_EQ(w_.m_RowKind[4].GetText(), "インターミッション");
    EXPECT_EQ(w_.m_RowStatus[4].GetText(), "Stage1");
    EXPECT_TRUE(w_.m_bUsed[1] && w_.m_bUsed[3] && w_.m_bUsed[4]);
    EXPECT_FALSE(w_.m_bUsed[0] || w_.m_bUsed[2] || w_.m_bUsed[5]);
    EXPECT_TRUE(w_.m_bChapterSave[1]);
    EXPECT_FALSE(w_.m_bChapterSave[3] || w_.m_bChapterSave[4]);
    EXPECT_EQ(w_.m_Title.GetText(), "セーブするファイルを選択してください");
    OpenWindow(1);
    EXPECT_EQ(w_.m_Title.GetText(), "ロードするファイルを選択してください");
    // Any chapter value a damaged index may hold is shown without overflowing.
    Write(2, ChapterSave, 2147483647, 2);
    OpenWindow(1);
    EXPECT_EQ(w_.m_RowStatus[2].GetText(), "Stage2147483648");
}

TEST_F(SlotWindowTest, HiddenWindowAndPendingRefreshTakeNoClick) {
    w_.Open(0);
    PointAtRow(0);
    EXPECT_EQ(Click(), -1);  // not shown
    w_.m_bShow = true;
    EXPECT_EQ(Click(), -1);  // rows not built yet
    w_.RefreshRows();
    EXPECT_EQ(Click(), 0);
}

TEST_F(SlotWindowTest, CursorFollowsRowsAndStaysOutside) {
    OpenWindow(0);
    PointAtRow(2);
    w_.Update(&in_);
    EXPECT_EQ(w_.m_nCursor, 2);
    in_.Move(5, 5);
    w_.Update(&in_);
    EXPECT_EQ(w_.m_nCursor, 2);
    in_.Move(15, 395);  // rows' edges are inside
    w_.Update(&in_);
    EXPECT_EQ(w_.m_nCursor, 5);
    in_.Move(625, 135);  // the shared edge of rows 0 and 1: the later row wins
    w_.Update(&in_);
    EXPECT_EQ(w_.m_nCursor, 1);
}

TEST_F(SlotWindowTest, SaveOnEmptySlotAtOnce) {
    OpenWindow(0);
    PointAtRow(2);
    EXPECT_EQ(Click(), 2);
    EXPECT_FALSE(w_.m_bShow);
}

TEST_F(SlotWindowTest, SaveOnUsedSlotAsksFirst) {
    OpenWindow(0);
    PointAtRow(1);
    EXPECT_EQ(Click(), -1);
    EXPECT_EQ(w_.m_nState, 1);
    EXPECT_EQ(w_.m_nButtonCursor, 0);  // "いいえ" highlighted
    EXPECT_TRUE(w_.m_bShow);
    // "いいえ": back to the list, still shown.
    in_.Move(w_.m_rcButton[1].left + 1, w_.m_rcButton[1].top + 1);
    EXPECT_EQ(Click(), -1);
    EXPECT_EQ(w_.m_nState, 0);
    EXPECT_TRUE(w_.m_bShow);
    // Again, then " はい ".
    PointAtRow(1);
    Click();
    in_.Move(w_.m_rcButton[0].left, w_.m_rcButton[0].bottom);
    w_.Update(&in_);
    EXPECT_EQ(w_.m_nButtonCursor, 1);
    EXPECT_EQ(Click(), 1);
    EXPECT_FALSE(w_.m_bShow);
    EXPECT_EQ(w_.m_nState, 0);
}

TEST_F(SlotWindowTest, SaveButtonsLaidOutByTheYesText) {
    OpenWindow(0);
    int w = 0, h = 0;
    w_.m_YesText.GetTextSize(w, h);
    EXPECT_GT(w, 0);
    EXPECT_EQ(w_.m_rcButton[0].left, 230);
    EXPECT_EQ(w_.m_rcButton[0].right, 250 + w);
    EXPECT_EQ(w_.m_rcButton[0].bottom, 210 + h);
    EXPECT_EQ(w_.m_rcButton[1].left, 320);
    EXPECT_EQ(w_.m_rcButton[1].right, 340 + w);
}

TEST_F(SlotWindowTest, RightButtonHeldLeavesTheQuestion) {
    OpenWindow(0);
    PointAtRow(3);
    Click();
    ASSERT_EQ(w_.m_nState, 1);
    in_.Move(0, 0);
    in_.right = true;  // held, pushed in an earlier frame
    EXPECT_EQ(w_.Update(&in_), -1);
    EXPECT_EQ(w_.m_nState, 0);
    EXPECT_TRUE(w_.m_bShow);
}

TEST_F(SlotWindowTest, RightClickInTheListCancels) {
    OpenWindow(0);
    in_.ClickRight();
    EXPECT_EQ(w_.Update(&in_), CArchiveWindow::kCancel);
    EXPECT_EQ(CArchiveWindow::kCancel, -2147483647 - 1);
    EXPECT_FALSE(w_.m_bShow);
}

TEST_F(SlotWindowTest, LoadModeSlots) {
    OpenWindow(1);
    PointAtRow(0);
    EXPECT_EQ(Click(), -1);  // empty: nothing happens
    EXPECT_EQ(w_.m_nState, 0);
    EXPECT_TRUE(w_.m_bShow);
    PointAtRow(1);
    EXPECT_EQ(Click(), 1);  // chapter save: at once
    EXPECT_FALSE(w_.m_bLoadRestart);
    EXPECT_FALSE(w_.m_bShow);
}

TEST_F(SlotWindowTest, LoadFieldSaveContinueOrRestart) {
    OpenWindow(1);
    PointAtRow(3);
    EXPECT_EQ(Click(), -1);
    EXPECT_EQ(w_.m_nState, 2);
    EXPECT_EQ(w_.m_nButtonCursor, 1);  // "  続きから" highlighted
    int w = 0, h = 0;
    w_.m_RestartText.GetTextSize(w, h);
    EXPECT_EQ(w_.m_rcButton[0].left, 200);
    EXPECT_EQ(w_.m_rcButton[0].right, 230 + w);
    EXPECT_EQ(w_.m_rcButton[1].left, 350);
    EXPECT_EQ(w_.m_rcButton[1].right, 360 + w);
    // "章の始めから"
    in_.Move(355, 200);
    EXPECT_EQ(Click(), 3);
    EXPECT_TRUE(w_.m_bLoadRestart);
    EXPECT_FALSE(w_.m_bShow);
    // Opening again forgets the choice; "  続きから" continues.
    OpenWindow(1);
    EXPECT_FALSE(w_.m_bLoadRestart);
    PointAtRow(4);
    Click();
    in_.Move(205, 200);
    EXPECT_EQ(Click(), 4);
    EXPECT_FALSE(w_.m_bLoadRestart);
}

}  // namespace
