// The game run from its packed folder (data in ".pck" files, music and sounds loose)
// shows the same frames as the loose folder and misses no file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "golden.h"
#include "replay_run.h"

namespace {

namespace fs = std::filesystem;

// Runs `script` in a scratch folder linked to the files of `gameDir`; returns the
// exit code and leaves the screenshots and the error log in the scratch folder.
int RunIn(const std::string& gameDir, const testsupport::TempDir& scratch, const std::string& script) {
    for (const auto& e : fs::directory_iterator(gameDir)) {
        const std::string name = e.path().filename().string();
        if (name == "ErrorLog.txt" || name.rfind("Save", 0) == 0) continue;
        fs::create_symlink(e.path(), scratch.path() + name);
    }
    std::ofstream(scratch.path() + "input.txt") << script;
    return testsupport::RunReplay(scratch.path(), "input.txt").exitCode;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(PackedGame, PlaysTheSameFramesAsTheLooseFolder) {
    const std::string packed = std::string(VORMANT_BINARY_DIR) + "/game-packed";
    if (!fs::exists(packed + "/vormant-replay")) GTEST_SKIP() << "configure with -DVORMANT_PACK_CONTENT=ON";
    bool hasPack = false;
    for (const auto& e : fs::directory_iterator(packed))
        if (e.path().extension() == ".pck") hasPack = true;
    ASSERT_TRUE(hasPack) << "the packed folder holds no pack file";

    // Loading, logo, the opening's first pictures.
    const std::string script =
        "0 move 320 240\n"
        "8 screenshot a.png\n"
        "120 screenshot b.png\n"
        "400 screenshot c.png\n"
        "401 key Escape\n";
    testsupport::TempDir loose, pck;
    ASSERT_EQ(RunIn(VORMANT_GAME_DIR, loose, script), 0);
    ASSERT_EQ(RunIn(packed, pck, script), 0);
    for (const char* shot : {"a.png", "b.png", "c.png"}) {
        const std::string a = ReadAll(loose.path() + shot), b = ReadAll(pck.path() + shot);
        ASSERT_FALSE(a.empty()) << shot;
        EXPECT_TRUE(a == b) << shot << " differs between the loose and the packed folder";
    }
    const std::string log = ReadAll(pck.path() + "ErrorLog.txt");
    EXPECT_EQ(log.find("not found"), std::string::npos) << log;
}

}  // namespace
