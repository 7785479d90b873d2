// The difficulty menu: opening delay, the rows under the pointer, the one choice;
// difficulty names and right-aligned numbers.
#include <gtest/gtest.h>

#include "fake_input.h"
#include "menu/SelectMenu.h"

namespace {

// Row r of the difficulty menu lies at y 50 + 20 r .. 69 + 20 r (x 45 .. 214 exclusive).
void Open(CSelectDifficulty& menu, FakeInput& in) {
    for (int i = 0; i < 10; ++i) menu.Update(&in);
}

TEST(SelectDifficulty, Layout) {
    CSelectDifficulty m;
    EXPECT_EQ(m.m_nRowCount, 5);
    EXPECT_EQ(m.m_nX, 40);
    EXPECT_EQ(m.m_nY, 40);
    EXPECT_EQ(m.m_nWindowWidth, 150);
    EXPECT_EQ(m.m_nWindowHeight, 130);
    EXPECT_EQ(m.m_nHitWidth, 174);
    EXPECT_EQ(m.m_nRowHeight, 20);
    EXPECT_EQ(m.m_nOpenDelay, 10);
    EXPECT_TRUE(m.m_bNeedRender);
    EXPECT_EQ(m.m_Text[0].GetText(), "Novice");
    EXPECT_EQ(m.m_Text[4].GetText(), "Chaotic");
    EXPECT_EQ(m.m_Text[2].GetFontHeight(), 14);
}

TEST(SelectDifficulty, ClicksDuringTheOpeningFramesAreIgnored) {
    CSelectDifficulty m;
    FakeInput in;
    in.Move(100, 100);
    for (int i = 0; i < 9; ++i) {
        in.ClickLeft();
        m.Update(&in);
        in.Step();
        EXPECT_EQ(m.GetResult(), 0) << "frame " << i + 1;
        EXPECT_FALSE(m.IsOpen());
    }
    in.ClickLeft();
    m.Update(&in);  // the tenth update opens the menu and takes the click
    EXPECT_TRUE(m.IsOpen());
    EXPECT_EQ(m.GetResult(), 3);
}

TEST(SelectDifficulty, HitRectangleEdges) {
    CSelectDifficulty m;
    FakeInput in;
    Open(m, in);
    struct Case {
        int x, y, row;
    } cases[] = {
        {45, 60, -1},  {46, 60, 0},   {217, 60, 0},  {218, 60, -1}, {100, 50, -1}, {100, 51, 0},
        {100, 69, 0},  {100, 70, 1},  {100, 148, 4}, {100, 149, -1}, {100, 10, -1},
    };
    for (const Case& c : cases) {
        in.Move(c.x, c.y);
        m.Update(&in);
        EXPECT_EQ(m.m_nCursor, c.row) << c.x << "," << c.y;
    }
}

TEST(SelectDifficulty, OneChoiceUntilReset) {
    CSelectDifficulty m;
    FakeInput in;
    Open(m, in);
    in.Move(300, 300);  // outside every row: nothing chosen
    in.ClickLeft();
    m.Update(&in);
    in.Step();
    EXPECT_EQ(m.GetResult(), 0);
    in.Move(80, 90);  // row 2, "Expert"
    in.ClickLeft();
    m.Update(&in);
    in.Step();
    EXPECT_EQ(m.GetResult(), 3);
    in.Move(80, 55);
    in.ClickLeft();
    m.Update(&in);
    in.Step();
    EXPECT_EQ(m.GetResult(), 3);
    m.Reset();
    EXPECT_EQ(m.GetResult(), 0);
    in.ClickLeft();
    m.Update(&in);
    EXPECT_EQ(m.GetResult(), 1);
}

TEST(SelectDifficulty, DisabledRowIsNotChosen) {
    CSelectDifficulty m;
    FakeInput in;
    Open(m, in);
    m.m_bEnabled[4] = false;
    in.Move(80, 140);
    in.ClickLeft();
    m.Update(&in);
    EXPECT_EQ(m.m_nCursor, 4);
    EXPECT_EQ(m.GetResult(), 0);
}

TEST(DifficultyName, KnownAndUnknown) {
    EXPECT_EQ(GetDifficultyName(1), "Novice");
    EXPECT_EQ(GetDifficultyName(2), "Standard");
    EXPECT_EQ(GetDifficultyName(3), "Expert");
    EXPECT_EQ(GetDifficultyName(4), "Master");
    EXPECT_EQ(GetDifficultyName(5), "Chaotic");
    EXPECT_EQ(GetDifficultyName(0), "error");
    EXPECT_EQ(GetDifficultyName(6), "error");
    EXPECT_EQ(GetDifficultyName(-1), "error");
}

TEST(FormatNumber, RightAligned) {
    EXPECT_EQ(FormatNumber(7, 3), "  7");
    EXPECT_EQ(FormatNumber(123, 3), "123");
    EXPECT_EQ(FormatNumber(12345, 3), "12345");
    EXPECT_EQ(FormatNumber(-5, 3), "  -5");
    EXPECT_EQ(FormatNumber(42, -1), "42");
    EXPECT_EQ(FormatNumber(0, 1), "0");
    EXPECT_EQ(FormatNumber(99, 5), "   99");
    EXPECT_EQ(FormatNumber(2147483647, 12), "  2147483647");
    EXPECT_EQ(FormatNumber(5, 0), "5");
}

}  // namespace
