// Chapter events that take the map display away in the middle of a turn ("BlackScreen",
// and "GameOver" from its picture on) on the first map, played through the real
// program with the event lines added to the chapter's file: the player's move and the
// enemy's moves are walked without anything drawing them, and the next turn begins.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "field_save.h"
#include "game_copy.h"
#include "replay_script.h"

namespace {

namespace fs = std::filesystem;

using RunResult = testsupport::ReplayResult;
using testsupport::Click;
using testsupport::Move;
using testsupport::RightClick;
using testsupport::Shot;

// The runnable folder with the first map's chapter file ending in `lines` (each line
// ended by CR LF, as the game's own files are).
class ChapterCopy : public testsupport::GameCopy {
public:
    explicit ChapterCopy(const std::vector<std::string>& lines, const std::string& tag = "")
        : testsupport::GameCopy({"e2e/turn/", "VORMANT_TURN_SHOTS", tag}) {
        const fs::path script = fs::path(path()) / "script", game = fs::path(VORMANT_GAME_DIR) / "script";
        fs::remove(script);  // the link to the game's own folder
        fs::create_directory(script);
        for (const auto& e : fs::directory_iterator(game))
            if (e.path().filename() != "chapter00.txt") fs::create_symlink(e.path(), script / e.path().filename());
        std::ifstream in(game / "chapter00.txt", std::ios::binary);
        std::ofstream out(script / "chapter00.txt", std::ios::binary);
        out << in.rdbuf();
        for (const std::string& line : lines) out << line << "\r\n";
    }
};

// How a run comes to the player's first turn: a new game (the turn from about frame
// 400), or a field save of the first map loaded at the title (from frame 150) in
// which the map's first enemy band stands in front of Leon (2, 9), at (2, 8), so that
// the enemy phase opens with its attack.
enum class Start { NewGame, Save };

std::string Begin(const ChapterCopy& game, Start start) {
    if (start == Start::NewGame) return testsupport::NewGameToField();
    EXPECT_TRUE(testsupport::WriteFieldSave(game.path(), [](C_FieldTaskInfo& info) {
        testsupport::MoveEnemies(info, {{2, 8}});
        testsupport::LookAt(info, 2, 9);
    }));
    return testsupport::LoadFirstSlot();
}

// The field menu from a right click on the empty cell at (x, y) on frame `at`, its last
// item ending the turn.
std::string EndTurn(int at, int x, int y) {
    return RightClick(at, x, y) + Click(at + 50, 80, 96) + Move(at + 65, 320, 200);
}

// The new game's turn from frame `at` on: the leader chosen (its move area), moved two
// cells and its command menu closed, then the end of the turn (its click on frame
// at + 280).
std::string PlayerTurn(int at) {
    return Click(at, 320, 268) + Click(at + 60, 430, 268) + Click(at + 170, 320, 304) + EndTurn(at + 220, 200, 150);
}

// The end of every run: by then the next player's turn has long begun.
constexpr int kLastFrame = 3000;
std::string Ending() { return Shot(kLastFrame, "end.png") + testsupport::At(kLastFrame + 10, "quit"); }

// The left half of the information strip's text rows (the hovered cell and "Turn: 2"):
// the rows above them let the map show through the strip's frame.
std::vector<uint32_t> StripTurn(const testsupport::GameCopy& game) { return game.Crop("end.png", 0, 464, 320, 14); }

// Whether the picture above the strip is mostly the map (rather than black).
bool MapShown(const testsupport::GameCopy& game) {
    const std::vector<uint32_t> p = game.Crop("end.png", 0, 0, 640, 440);
    size_t black = 0;
    for (uint32_t c : p) black += (c & 0xFFFFFFu) == 0;
    return !p.empty() && black < p.size() / 2;
}

TEST(BlankMapReplay, TheTurnGoesOnWhenAnEventTakesTheMapAway) {
    // The new game's turn ends on frame 740, where the enemy phase's "PhaseStart" starts:
    // that click itself would end a game-over sequence there in its first frame, so the
    // sections wait half a second first (the picture then comes on about frame 950).
    // The player's turn starts on about frame 400 (its game-over picture on about 580).
    // From the save the turn ends on frame 250; the enemy's attack is fought until
    // about frame 800, when "PersonSuffered" (Leon has lost HP) is raised.
    const std::string fromSave = EndTurn(200, 480, 200);
    struct Row {
        const char* what;
        Start start;
        std::vector<std::string> lines;
        std::string input;
        bool mapShown;  // at the end
    } rows[] = {
        {"the screen blanked as the enemy phase starts",
         Start::NewGame,
         {"Script PhaseStart(1,1)", "BlackScreen()", "end"},
         PlayerTurn(460),
         false},
        {"the game-over picture as the enemy phase starts, clicked away",
         Start::NewGame,
         {"Script PhaseStart(1,1)", "Wait(30)", "GameOver()", "end"},
         PlayerTurn(460) + Click(980, 320, 200),
         false},
        {"the game-over sequence clicked away before its picture: the map stays",
         Start::NewGame,
         {"Script PhaseStart(1,1)", "Wait(30)", "GameOver()", "end"},
         PlayerTurn(460) + Click(840, 320, 200),
         true},
        {"the screen blanked as the player's turn starts, before the move",
         Start::NewGame,
         {"Script PhaseStart(0,1)", "BlackScreen()", "end"},
         PlayerTurn(460),
         false},
        {"the game-over picture as the player's turn starts, clicked away before the move",
         Start::NewGame,
         {"Script PhaseStart(0,1)", "GameOver()", "end"},
         Click(590, 320, 240) + PlayerTurn(760),
         false},
        {"the screen blanked after an enemy's attack, before the other enemies move",
         Start::Save,
         {"Script PersonSuffered(1,100)", "BlackScreen()", "end"},
         fromSave,
         false},
        {"the game-over picture after an enemy's attack, clicked away",
         Start::Save,
         {"Script PersonSuffered(1,100)", "GameOver()", "end"},
         fromSave + Click(1150, 320, 200),
         false},
    };

    // Turn 2 on the strip as the runs without the event lines show it.
    std::vector<uint32_t> turnTwo[2];
    for (Start start : {Start::NewGame, Start::Save}) {
        ChapterCopy plain({});
        const std::string input = start == Start::NewGame ? PlayerTurn(460) : fromSave;
        const RunResult r = plain.Replay(Begin(plain, start) + input + Ending());
        ASSERT_EQ(r.exitCode, 0) << r.output;
        turnTwo[int(start)] = StripTurn(plain);
        ASSERT_EQ(turnTwo[int(start)].size(), 320u * 14u);
        EXPECT_TRUE(MapShown(plain));
    }

    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ChapterCopy game(row.lines, std::to_string(&row - rows) + "_");
        const RunResult r = game.Replay(Begin(game, row.start) + row.input + Ending());
        ASSERT_EQ(r.exitCode, 0) << r.output;
        EXPECT_NE(r.output.find("frames: " + std::to_string(kLastFrame + 10)), std::string::npos) << r.output;
        EXPECT_TRUE(StripTurn(game) == turnTwo[int(row.start)]);
        EXPECT_EQ(MapShown(game), row.mapShown);
    }
}

}  // namespace
