// Each lesson of the title's tutorial menu played headless: the lesson's story, its
// practice map driven by the scripted pointer, its end, the way back to the lesson
// menu and, with a right click, to the title.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game_copy.h"

namespace {

using RunResult = testsupport::ReplayResult;
using testsupport::GameCopy;

// Past the opening to the title, its "TUTORIAL", lesson k of the menu chosen; the
// messages are fast-forwarded (the scripted pointer keeps its own pace).  The lesson
// is over and the menu back by frame 1400; a right click returns to the title.
std::string PlayLesson(int k) {
    const std::string y = std::to_string(60 + 20 * k);
    return "60 move 300 300\n61 down left\n62 up left\n"
           "90 move 450 370\n100 down left\n101 up left\n"
           "120 move 80 " + y + "\n125 screenshot menu.png\n130 down left\n131 up left\n"
           "150 keydown LControl\n"
           "300 screenshot field.png\n"
           "1400 screenshot menu_again.png\n"
           "1500 keyup LControl\n"
           "1550 down right\n1551 up right\n"
           "1700 screenshot title.png\n"
           "1710 quit\n";
}

class TutorialReplay : public ::testing::TestWithParam<int> {};

TEST_P(TutorialReplay, LessonPlaysToItsEndAndBackToTheTitle) {
    GameCopy game;
    const RunResult r = game.Replay(PlayLesson(GetParam()));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("frames: 1710"), std::string::npos) << r.output;
    const std::vector<uint32_t> menu = game.Whole("menu.png"), field = game.Whole("field.png"),
                                again = game.Whole("menu_again.png"), title = game.Whole("title.png");
    ASSERT_EQ(menu.size(), 640u * 480u);
    ASSERT_EQ(field.size(), menu.size());
    // The practice map stood in between, and the lesson ended back on the same menu.
    EXPECT_FALSE(field == menu);
    EXPECT_TRUE(again == menu);
    // The right click left the menu for the title.
    EXPECT_FALSE(title == menu);
}

INSTANTIATE_TEST_SUITE_P(Lessons, TutorialReplay, ::testing::Values(0, 1, 2, 3));

}  // namespace
