// The menu base: the pointer's hit area, the opening delay, the unfolding draw's
// pieces and the help line's wrapping.
#include <gtest/gtest.h>

#include <random>

#include "menu/InstructWindow.h"
#include "menu/SelectSkillMenu.h"
#include "menu/TaskMenuBase.h"
#include "menu_fixture.h"

namespace {

using menutest::MenuField;

// A menu that records what it would take.
class ProbeMenu : public C_TaskMenuBase {
public:
    explicit ProbeMenu(int items) { m_nItemNum = items; }
    void Update(C_FieldTaskInfo* info) override {
        UpdateCursor(info);
        if (!IsStarted()) return;
        IInputManager* input = info->GetInputManager();
        if (input->IsLButtonPush()) chosen = m_nCursor;
        if (input->IsRButtonPush()) cancelled = true;
    }
    int chosen = -2;
    bool cancelled = false;
};

class MenuBaseTest : public MenuField {};

struct CursorCase {
    int px, py, items, expected;
};

TEST_F(MenuBaseTest, PointerPicksTheItemUnderItWithExclusiveBounds) {
    // Defaults: area from (100, 40), items 20 apart, hit width 174.
    const CursorCase cases[] = {
        {105, 60, 3, -1},  // on the left bound
        {106, 60, 3, 0},   {106, 50, 3, -1},  // on the top bound
        {106, 51, 3, 0},   {200, 69, 3, 0},   {200, 70, 3, 1},  {200, 89, 3, 1},
        {200, 90, 3, 2},   {200, 108, 3, 2},  {200, 109, 3, -1},  // below the last item
        {277, 60, 3, 0},   {278, 60, 3, -1},                        // right bound
        {150, 60, 0, -1},  {150, 45, 3, -1},
        {150, 60 + 20 * 11, 12, -1},  // items beyond ten are never picked
        {150, 60 + 20 * 9, 12, 9},
    };
    for (const CursorCase& c : cases) {
        auto* menu = new ProbeMenu(c.items);
        tasks.AddTask(menu, 20);
        Move(c.px, c.py);
        Frames(10);
        EXPECT_EQ(menu->m_nCursor, c.expected) << c.px << "," << c.py << " items " << c.items;
        tasks.KillTask(20);
    }
}

TEST_F(MenuBaseTest, NothingIsTakenWhileTheMenuOpens) {
    auto* menu = new ProbeMenu(3);
    tasks.AddTask(menu, 20);
    Move(150, 60);
    for (int frame = 1; frame <= 9; ++frame) {
        in.ClickLeft();
        in.ClickRight();
        Frame();
        EXPECT_EQ(menu->chosen, -2) << frame;
        EXPECT_FALSE(menu->cancelled) << frame;
        EXPECT_EQ(menu->m_nCursor, 0) << "the cursor keeps its value while opening";
        EXPECT_EQ(menu->m_nFrame, frame);
    }
    Left(150, 80);  // the tenth update takes the click
    EXPECT_EQ(menu->chosen, 1);
    Frames(5);
    EXPECT_EQ(menu->m_nFrame, 10) << "the count never passes the delay";
}

// ---- wrapping --------------------------------------------------------------------------------------

struct WrapCase {
    std::string text;
    int width;
    std::string expected;
};

TEST(WrapText, BreaksAtTheWidthAndAtSlashes) {
    const std::string a46(46, 'a');
    const WrapCase cases[] = {
        {"", 46, ""},
        {std::string(50, 'a'), 46, a46 + "\n" + "aaaa"},
        {a46, 46, a46},
        {a46 + "/b", 46, a46 + "\n\nb"},  // the limit and the slash: an empty line between
        {"ab/cd", 46, "ab\ncd"},
        {"ab//cd", 46, "ab\n\ncd"},
        {std::string(45, 'a') + "あ", 46, std::string(45, 'a') + "\nあ"},  // never split
        {std::string(44, 'a') + "あい", 46, std::string(44, 'a') + "あ\nい"},
        {"あいうえおかきくけこさしすせそたちつてとなにぬ", 46, "あいうえおかきくけこさしすせそたちつてとなにぬ"},
        {"あいうえおかきくけこさしすせそたちつてとなにぬね", 46, "あいうえおかきくけこさしすせそたちつてとなにぬ\nね"},
        {std::string(35, 'a') + "あ", 36, std::string(35, 'a') + "\nあ"},
        {"abc", 1, "a\nb\nc"},
        {"あい", 1, "あ\nい"},  // no room at all: one character a line, never half of one
    };
    for (const WrapCase& c : cases) EXPECT_EQ(WrapTextBytes(c.text, c.width), c.expected) << c.text;
    EXPECT_EQ(WrapInstructText(std::string(50, 'x')), std::string(46, 'x') + "\n" + std::string(4, 'x'));
    EXPECT_EQ(WrapHelpText(std::string(40, 'x')), std::string(36, 'x') + "\n" + std::string(4, 'x'));
}

TEST(WrapText, NoLineEverHoldsHalfADoubleByteCharacter) {
    std::mt19937 rng(7);
    const char* pieces[] = {"a", "/", " ", "あ", "漢", "ー", "ｱ", "（", "1"};
    for (int round = 0; round < 500; ++round) {
        std::string text;
        const int n = rng() % 80;
        for (int i = 0; i < n; ++i) text += pieces[rng() % 9];
        for (int width : {36, 46, 7}) {
            const std::string out = WrapTextBytes(text, width);
            size_t start = 0;
            while (start <= out.size()) {
                size_t end = out.find('\n', start);
                if (end == std::string::npos) end = out.size();
                const std::string line = out.substr(start, end - start);
                EXPECT_LE((int)line.size(), width) << text;
                for (size_t i = 0; i < line.size(); ++i)
                    if (IsCP932LeadByte((unsigned char)line[i])) {
                        ASSERT_LT(i + 1, line.size()) << "a lead byte ends a line: " << text;
                        ++i;
                    }
                start = end + 1;
            }
            // Nothing is lost but the slashes.
            std::string kept;
            for (char ch : out)
                if (ch != '\n') kept += ch;
            std::string expected;
            for (char ch : text)
                if (ch != '/') expected += ch;
            EXPECT_EQ(kept, expected);
        }
    }
}

TEST(InstructWindow, TheSameTextDoesNotRenderAgain) {
    CInstructWindow window;
    window.SetText("ユニットに指示を出してください。");
    EXPECT_TRUE(window.IsDirty());
    window.Draw(30, 350);
    EXPECT_FALSE(window.IsDirty());
    window.SetText("ユニットに指示を出してください。");
    EXPECT_FALSE(window.IsDirty());
    window.SetText("別の文");
    EXPECT_TRUE(window.IsDirty());
}

}  // namespace
