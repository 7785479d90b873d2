// A player's turn played headless: a unit selected and moved, its command menu
// closed, the field menu's end of turn, a whole enemy phase (the same frames on every
// run) and the hand-back to turn 2; a save made from the field menu and loaded back
// from the title into the player's phase.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stb_image.h>

#include "archive/gvlStringMap.h"
#include "game_copy.h"
#include "golden.h"
#include "save/ArchiveManager.h"

namespace {

namespace fs = std::filesystem;

using RunResult = testsupport::ReplayResult;

// A folder that sees the runnable game's files (linked) and keeps its own saves.
class GameCopy : public testsupport::GameCopy {
public:
    // The part (x, y, w, h) of a screenshot as opaque ARGB; empty when unreadable.
    std::vector<uint32_t> Crop(const std::string& file, int x, int y, int w, int h) const {
        int iw = 0, ih = 0, n = 0;
        unsigned char* rgba = stbi_load((dir_.path() + file).c_str(), &iw, &ih, &n, 4);
        std::vector<uint32_t> out;
        if (!rgba) return out;
        if (x >= 0 && y >= 0 && x + w <= iw && y + h <= ih) {
            for (int j = 0; j < h; ++j)
                for (int i = 0; i < w; ++i) {
                    const unsigned char* p = rgba + 4 * (size_t(y + j) * iw + (x + i));
                    out.push_back(0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | uint32_t(p[2]));
                }
        }
        stbi_image_free(rgba);
        return out;
    }
    std::vector<uint32_t> Whole(const std::string& file) const { return Crop(file, 0, 0, 640, 480); }
    ::testing::AssertionResult Shot(const std::string& file, int x, int y, int w, int h,
                                    const std::string& golden) const {
        const std::vector<uint32_t> p = Crop(file, x, y, w, h);
        if (p.empty()) return ::testing::AssertionFailure() << "no picture " << file;
        return testsupport::MatchesGolden("e2e/turn/" + golden, p.data(), w, h);
    }

};

// Through the opening to the title menu; a new game of difficulty "Expert" with the
// story fast-forwarded; the player's phase of turn 1 from frame 430 on.
const char kNewGameToField[] =
    "60 move 300 300\n"
    "61 down left\n"
    "62 up left\n"
    "90 move 520 285\n"
    "100 down left\n"
    "101 up left\n"
    "130 move 80 100\n"
    "140 down left\n"
    "141 up left\n"
    "150 keydown LControl\n"
    "420 keyup LControl\n"
    "430 move 320 240\n";

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
    const RunResult a = first.Replay(std::string(kNewGameToField) + kPlayerTurn);
    ASSERT_EQ(a.exitCode, 0) << a.output;
    EXPECT_NE(a.output.find("frames: 1410"), std::string::npos) << a.output;
    // The member names of the moving unit under the move area.
    EXPECT_TRUE(first.Shot("move_area.png", 20, 400, 150, 50, "move_names"));
    // The enemy phase's logo.
    EXPECT_TRUE(first.Shot("enemy_logo.png", 64, 176, 512, 128, "enemy_logo"));
    // Turn 2 on the information strip.
    EXPECT_TRUE(first.Shot("turn2.png", 0, 460, 640, 20, "strip_turn2"));

    // The same input gives the same enemy phase, frame for frame.
    const RunResult b = second.Replay(std::string(kNewGameToField) + kPlayerTurn);
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

// "LOAD GAME", the first slot, and "resume" rather than the chapter's start.
const char kLoadFirstSlot[] =
    "60 move 300 300\n"
    "61 down left\n"
    "62 up left\n"
    "90 move 500 330\n"
    "100 down left\n"
    "101 up left\n"
    "120 move 320 100\n"
    "121 down left\n"
    "122 up left\n"
    "140 move 215 200\n"
    "141 down left\n"
    "142 up left\n"
    "150 move 320 240\n"
    "250 screenshot loaded.png\n"
    "260 quit\n";

TEST(TurnReplay, AFieldSaveFromTheFieldMenuLoadsBackIntoThePlayersPhase) {
    GameCopy game;
    RunResult r = game.Replay(std::string(kNewGameToField) + kSaveFromField);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    ASSERT_TRUE(fs::exists(game.path() + "Save0.dat"));
    EXPECT_FALSE(fs::exists(game.path() + "Save1.dat"));
    {
        testsupport::ScopedCurrentDir cd(game.path());
        CArchiveManager::DestroyInstance();
        CArchiveManager::CreateInstance();
        CArchiveManager* manager = CArchiveManager::GetInstance();
        ASSERT_TRUE(manager->Load(0));
        EXPECT_EQ(manager->GetString(SaveFileTypeKey, false), FieldSave);
        EXPECT_EQ(manager->GetString(SaveFileChapterKey, false), "0");
        ASSERT_TRUE(manager->HasArchive(PartyDataKey));
        ASSERT_TRUE(manager->HasArchive(FieldTaskInfoKey));
        CStringMap record = manager->GetArchive(FieldTaskInfoKey, false);
        EXPECT_EQ(record.GetInt("m_nTurn", -1), 1);
        EXPECT_EQ(record.GetInt("IsInterMission", -1), 0);
        CArchiveManager::DestroyInstance();
    }
    const std::vector<uint32_t> saved = game.Crop("after_save.png", 0, 460, 640, 20);

    r = game.Replay(kLoadFirstSlot);
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
