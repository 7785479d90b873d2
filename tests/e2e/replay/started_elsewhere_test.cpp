// The game started from another folder than its own, as a desktop launcher or a player
// typing its whole path starts it: it plays the content of its own folder and keeps its
// saves and its log there (which folders hold content, loose or packed, is the
// shell's GameFolder test).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "game_copy.h"
#include "replay_script.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// The copy without `file` of `folder` (the rest of that folder linked).
void LeaveOut(const testsupport::GameCopy& game, const std::string& folder, const std::string& file) {
    const fs::path to = fs::path(game.path()) / folder;
    fs::remove(to);
    fs::create_directory(to);
    for (const auto& e : fs::directory_iterator(fs::path(VORMANT_GAME_DIR) / folder))
        if (e.path().filename() != file) fs::create_symlink(e.path(), to / e.path().filename());
}

// A new game to the field, then the field menu's "セーブ" into the first slot; the title
// is taken as `titleShot` on the way.
std::string PlayToASave(const std::string& titleShot) {
    return testsupport::NewGameToField() + "80 screenshot " + titleShot +
           "\n"
           "460 move 480 200\n470 down right\n471 up right\n"
           "500 move 80 76\n510 down left\n511 up left\n"
           "550 move 320 100\n560 down left\n561 up left\n"
           "600 quit\n";
}

// Where a run played: the copy got the save and the log's line for the title's music,
// left out of it (LeaveOut).  The line names the code that wrote it from the source
// root, "src/...(line)".
::testing::AssertionResult PlayedIn(const testsupport::GameCopy& game) {
    if (!game.Has("Save0.dat")) return ::testing::AssertionFailure() << "no save in " << game.path();
    const std::string log = game.ErrorLog();
    if (!std::regex_search(log, std::regex(R"( : src/[A-Za-z_/]+\.cpp\(\d+\): [^\r]*zov_Title\.mp3\r\n)")))
        return ::testing::AssertionFailure() << "the log lacks the music's line: " << log;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult PlayedNotIn(const std::string& folder) {
    for (const char* file : {"Save0.dat", "SaveIndex.dat", "ErrorLog.txt"})
        if (fs::exists(folder + file)) return ::testing::AssertionFailure() << folder << file << " was written";
    return ::testing::AssertionSuccess();
}

TEST(StartedElsewhere, PlaysAndSavesInTheGamesOwnFolder) {
    std::string title;  // the title's picture of the first run

    // Typed from the root: "cd / && <game folder>/vormant-replay", the program a link in
    // a folder of the game's files (the folder it was started by holds the content).
    {
        testsupport::GameCopy game({"e2e/scenes/"});
        LeaveOut(game, "BGM", "zov_Title.mp3");
        std::ofstream(game.path() + "input.txt") << PlayToASave(game.path() + "title.png");
        const auto r = testsupport::RunCommand("cd / && '" + game.path() + "vormant-replay' '" + game.path() + "input.txt'");
        ASSERT_EQ(r.exitCode, 0) << r.output;
        EXPECT_NE(r.output.find("frames: 600"), std::string::npos) << r.output;
        EXPECT_EQ(r.output.find("[message box]"), std::string::npos) << r.output;
        EXPECT_TRUE(game.Shot("title.png", 0, 0, 640, 480, "title"));
        EXPECT_TRUE(PlayedIn(game));
        title = ReadAll(game.path() + "title.png");
    }

    // Through a link in another folder, from an empty folder: the program file's own
    // folder (the link followed) holds the content.  The script's picture named without
    // a folder lands where the replay was started.
    {
        testsupport::GameCopy game({"e2e/scenes/"});
        LeaveOut(game, "BGM", "zov_Title.mp3");
        fs::remove(game.path() + "vormant-replay");
        fs::copy_file(std::string(VORMANT_GAME_DIR) + "/vormant-replay", game.path() + "vormant-replay");
        testsupport::TempDir away, links;
        fs::create_symlink(game.path() + "vormant-replay", links.path() + "vormant-replay");
        std::ofstream(away.path() + "input.txt") << PlayToASave("title.png");
        const auto r = testsupport::RunCommand("cd '" + away.path() + "' && '" + links.path() + "vormant-replay' input.txt");
        ASSERT_EQ(r.exitCode, 0) << r.output;
        EXPECT_NE(r.output.find("frames: 600"), std::string::npos) << r.output;
        EXPECT_TRUE(ReadAll(away.path() + "title.png") == title) << "the title differs from the first run's";
        EXPECT_TRUE(PlayedIn(game));
        EXPECT_TRUE(PlayedNotIn(away.path()));
    }
}

// A start that fails gives its reason once: the box names the missing file and so
// does the log's last line, in the game's folder though started from another.
TEST(StartedElsewhere, AFailedStartGivesOneReason) {
    testsupport::GameCopy game;
    LeaveOut(game, "model", "SkinnedMesh.fx");
    std::ofstream(game.path() + "input.txt") << "100 quit\n";
    testsupport::TempDir away;
    const auto r = testsupport::RunCommand("cd '" + away.path() + "' && '" + game.path() + "vormant-replay' '" +
                                           game.path() + "input.txt'");
    const std::string box = reinterpret_cast<const char*>(u8"起動に必要なファイル model\\SkinnedMesh.fx が見つかりません。");
    EXPECT_NE(r.output.find("[message box] "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(box), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("frames: 0"), std::string::npos) << r.output;
    std::string log = game.ErrorLog();
    ASSERT_TRUE(log.ends_with("\r\n")) << "no log in the game's folder: " << log;
    log.resize(log.size() - 2);
    const std::string lastLine = log.substr(log.rfind("\r\n") == std::string::npos ? 0 : log.rfind("\r\n") + 2);
    EXPECT_NE(lastLine.find("起動に必要なファイル model\\SkinnedMesh.fx が見つかりません。"), std::string::npos) << lastLine;
    EXPECT_TRUE(PlayedNotIn(away.path()));
}

}  // namespace
