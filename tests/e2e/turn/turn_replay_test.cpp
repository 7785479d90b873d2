// A player's turn played headless: a unit selected and moved, its command menu
// closed, the field menu's end of turn, a whole enemy phase (the same frames on every
// run) and the hand-back to turn 2; a save made from the field menu and loaded back
// from the title into the player's phase.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "field_save.h"
#include "game_copy.h"
#include "replay_script.h"

namespace {

namespace fs = std::filesystem;

using RunResult = testsupport::ReplayResult;

class GameCopy : public testsupport::GameCopy {
public:
    GameCopy() : testsupport::GameCopy({"e2e/turn/"}) {}
};

// The leader's unit chosen (its move area and member names), moved two cells, its
// command menu closed; a right click on an empty cell opens the field menu, whose
// last item ends the turn.  The enemy phase follows, then turn 2 from about 1270.
const char kPlayerTurn[] =
    "460 move 320 268\n"
    "470 down left\n"
    "471 up left\n"
    "490 screenshot move_area.png\n"
    "500 move 430 268\n"
    "530 down left\n"
    "531 up left\n"
    "630 move 320 304\n"
    "640 down left\n"
    "641 up left\n"
    "680 move 200 150\n"
    "690 down right\n"
    "691 up right\n"
    "730 move 80 96\n"
    "740 down left\n"
    "741 up left\n"
    "745 move 320 200\n"
    "760 screenshot enemy_logo.png\n"
    "910 screenshot enemy_910.png\n"
    "1000 screenshot enemy_1000.png\n"
    "1090 screenshot enemy_1090.png\n"
    "1180 screenshot enemy_1180.png\n"
    "1400 screenshot turn2.png\n"
    "1410 quit\n";

TEST(TurnReplay, AMoveTheEndOfTheTurnAWholeEnemyPhaseAndTurnTwo) {
    GameCopy first, second;
    const RunResult a = first.Replay(testsupport::NewGameToField() + kPlayerTurn);
    ASSERT_EQ(a.exitCode, 0) << a.output;
    EXPECT_NE(a.output.find("frames: 1410"), std::string::npos) << a.output;
    // The member names of the moving unit under the move area.
    EXPECT_TRUE(first.Shot("move_area.png", 20, 400, 150, 50, "move_names"));
    // The enemy phase's logo.
    EXPECT_TRUE(first.Shot("enemy_logo.png", 64, 176, 512, 128, "enemy_logo"));
    // Turn 2 on the information strip.
    EXPECT_TRUE(first.Shot("turn2.png", 0, 460, 640, 20, "strip_turn2"));

    // The same input gives the same enemy phase, frame for frame.
    const RunResult b = second.Replay(testsupport::NewGameToField() + kPlayerTurn);
    ASSERT_EQ(b.exitCode, 0) << b.output;
    for (const char* shot : {"enemy_910.png", "enemy_1000.png", "enemy_1090.png", "enemy_1180.png", "turn2.png"}) {
        const std::vector<uint32_t> p = first.Whole(shot), q = second.Whole(shot);
        ASSERT_EQ(p.size(), 640u * 480u) << shot;
        EXPECT_TRUE(p == q) << shot;
    }
    // The enemy moved between those frames.
    EXPECT_FALSE(first.Whole("enemy_910.png") == first.Whole("enemy_1090.png"));
}

// A right click on an empty grass cell east of the leader (the camera starts on the
// leader beside the sea; the black above the map is no cell and opens nothing), the
// field menu's "セーブ", the first slot of the save window.
const char kSaveFromField[] =
    "460 move 480 200\n"
    "470 down right\n"
    "471 up right\n"
    "500 move 80 76\n"
    "510 down left\n"
    "511 up left\n"
    "550 move 320 100\n"
    "560 down left\n"
    "561 up left\n"
    "600 screenshot after_save.png\n"
    "610 quit\n";

TEST(TurnReplay, AFieldSaveFromTheFieldMenuLoadsBackIntoThePlayersPhase) {
    GameCopy game;
    RunResult r = game.Replay(testsupport::NewGameToField() + kSaveFromField);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    ASSERT_TRUE(fs::exists(game.path() + "Save0.dat"));
    EXPECT_FALSE(fs::exists(game.path() + "Save1.dat"));
    testsupport::SaveSlot slot = testsupport::ReadSlot(game.path(), 0);
    ASSERT_TRUE(slot.loaded);
    EXPECT_EQ(slot.type, FieldSave);
    EXPECT_EQ(slot.chapter, "0");
    ASSERT_TRUE(slot.hasParty);
    ASSERT_TRUE(slot.hasField);
    EXPECT_EQ(slot.field.GetInt("m_nTurn", -1), 1);
    EXPECT_EQ(slot.field.GetInt("IsInterMission", -1), 0);
    const std::vector<uint32_t> saved = game.Crop("after_save.png", 0, 460, 640, 20);

    r = game.Replay(testsupport::LoadFirstSlot() + "250 screenshot loaded.png\n260 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(game.ErrorLog().find("不正なセーブファイルです"), std::string::npos);
    // The same turn and losses on the strip as when it was saved (the pointer's cell
    // aside: the strip's left part shows the hovered cell).
    const std::vector<uint32_t> loaded = game.Crop("loaded.png", 0, 460, 640, 20);
    ASSERT_EQ(loaded.size(), saved.size());
    int differing = 0;
    for (size_t i = 0; i < loaded.size(); ++i)
        if (i % 640 >= 170) differing += loaded[i] != saved[i];
    EXPECT_EQ(differing, 0);
}

}  // namespace
