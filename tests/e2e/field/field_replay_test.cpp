// The battle map played headless: a new game through the first chapter's story onto
// the field, scrolled at the edges and by dragging, the hovered cell following the
// pointer; a field save and a preparation save loaded at the title resume the field,
// and a field save whose record does not hold together starts the chapter afresh.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "field_save.h"
#include "game_copy.h"
#include "replay_script.h"

namespace {

using RunResult = testsupport::ReplayResult;
using testsupport::Differing;
using testsupport::GameCopy;

// The share of black pixels in the middle of the screen (a field fills most of it).
double BlackShare(const std::vector<uint32_t>& p) {
    if (p.size() != 640u * 480u) return 1.0;
    int black = 0;
    for (int y = 120; y < 360; ++y)
        for (int x = 160; x < 480; ++x) black += p[size_t(y) * 640 + x] == 0;
    return black / double(320 * 240);
}

// A save of the field of chapter 0 in slot 1, of turn 2; `damage` spoils its record.
void WriteFieldSave(const std::string& folder, const char* type, bool damage) {
    ASSERT_TRUE(testsupport::WriteFieldSave(
        folder,
        [&](C_FieldTaskInfo& info) {
            info.m_nTurn = 2;
            if (damage) info.m_UnitList.SetUnitPosition(0, 99, 99);
        },
        0, type));
    // Read back: the slot holds the kind and the field record.
    const testsupport::SaveSlot slot = testsupport::ReadSlot(folder, 0);
    ASSERT_TRUE(slot.loaded);
    EXPECT_EQ(slot.type, type);
    EXPECT_TRUE(slot.hasField);
}

// (Frames left undrawn or drawn from a kept copy on the way, from the title through
// the story to the pulsing hovered cell, scrolling and dragging, are compared with
// drawing every call by the replay harness.)
TEST(FieldReplay, NewGameReachesTheFieldWhichScrollsAtTheEdgesAndByDragging) {
    GameCopy game;
    RunResult r = game.Replay(testsupport::NewGameToField() +
                              "450 screenshot field.png\n"
                              // the hovered cell follows the pointer
                              "455 move 420 300\n"
                              "470 screenshot hover.png\n"
                              // edge scrolling to the right, then down
                              "480 move 636 240\n"
                              "510 screenshot right.png\n"
                              "511 move 320 470\n"
                              "540 screenshot down.png\n"
                              // dragging with the middle button
                              "545 move 200 200\n"
                              "550 down middle\n"
                              "551 move 260 230\n"
                              "552 move 330 260\n"
                              "553 up middle\n"
                              "560 screenshot dragged.png\n"
                              "600 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("frames: 600"), std::string::npos) << r.output;
    const auto field = game.Pixels("field.png"), hover = game.Pixels("hover.png"), right = game.Pixels("right.png"),
               down = game.Pixels("down.png"), dragged = game.Pixels("dragged.png");
    ASSERT_EQ(field.size(), 640u * 480u);
    EXPECT_LT(BlackShare(field), 0.3);
    // Hovering another cell moves the highlight only: a small part changes.
    const int hoverChange = Differing(field, hover);
    EXPECT_GT(hoverChange, 100);
    EXPECT_LT(hoverChange, 640 * 480 / 4);
    // Scrolling moves the whole picture.
    EXPECT_GT(Differing(hover, right), 640 * 480 / 3);
    EXPECT_GT(Differing(right, down), 640 * 480 / 3);
    EXPECT_GT(Differing(down, dragged), 640 * 480 / 3);
    const std::string log = game.ErrorLog();
    EXPECT_EQ(log.find("FieldInitialize"), std::string::npos) << log;
}

TEST(FieldReplay, AFieldSaveAndAPreparationSaveResumeTheFieldFromTheTitle) {
    for (const char* type : {FieldSave, IntermissionSave}) {
        GameCopy game;
        WriteFieldSave(game.path(), type, false);
        RunResult r = game.Replay(testsupport::LoadFirstSlot() + "200 screenshot field.png\n" + "230 quit\n");
        ASSERT_EQ(r.exitCode, 0) << type << r.output;
        EXPECT_EQ(r.output.find("[message box]"), std::string::npos) << type << r.output;
        EXPECT_LT(BlackShare(game.Pixels("field.png")), 0.3) << type;
    }
}

TEST(FieldReplay, AFieldSaveThatDoesNotHoldTogetherStartsTheChapterAfresh) {
    GameCopy game;
    WriteFieldSave(game.path(), FieldSave, true);
    RunResult r = game.Replay(testsupport::LoadFirstSlot() + "200 screenshot field.png\n" + "230 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find(reinterpret_cast<const char*>(u8"不正なセーブファイルです。")), std::string::npos)
        << r.output << game.ErrorLog();
    EXPECT_NE(r.output.find("frames: 230"), std::string::npos) << r.output;
    EXPECT_LT(BlackShare(game.Pixels("field.png")), 0.3);
}

}  // namespace
