// The whole program played headless from a script, as a developer runs it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <stb_image.h>

#include "golden.h"
#include "replay_run.h"

namespace {

using RunResult = testsupport::ReplayResult;

// Runs vormant-replay on `script` in the runnable folder.
RunResult Replay(const std::string& script) { return testsupport::RunReplay(VORMANT_GAME_DIR, script); }

long FramesOf(const std::string& output) {
    size_t at = output.rfind("frames: ");
    return at == std::string::npos ? -1 : std::stol(output.substr(at + 8));
}

TEST(Replay, RunsAHundredTwentyFramesAndQuitsOnEscape) {
    testsupport::TempDir dir;
    std::string shot = dir.path() + "frame60.png";
    std::string script = dir.path() + "run.txt";
    std::ofstream(script) << "# idle, one picture, then Escape\n"
                          << "10 move 320 240\n"
                          << "60 screenshot " << shot << "\n"
                          << "120 key Escape\n";
    RunResult r = Replay(script);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(FramesOf(r.output), 120) << r.output;
    int w = 0, h = 0, n = 0;
    unsigned char* data = stbi_load(shot.c_str(), &w, &h, &n, 4);
    ASSERT_NE(data, nullptr) << r.output;
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    stbi_image_free(data);
}

TEST(Replay, SameScriptSameFrames) {
    testsupport::TempDir dir;
    std::string script = dir.path() + "run.txt";
    std::ofstream(script) << "5 move 100 100\n6 down left\n7 up left\n30 screenshot " << dir.path()
                          << "a.png\n40 quit\n";
    RunResult a = Replay(script);
    std::ofstream(script) << "5 move 100 100\n6 down left\n7 up left\n30 screenshot " << dir.path()
                          << "b.png\n40 quit\n";
    RunResult b = Replay(script);
    EXPECT_EQ(a.exitCode, 0) << a.output;
    EXPECT_EQ(b.exitCode, 0) << b.output;
    EXPECT_EQ(FramesOf(a.output), FramesOf(b.output));
    std::ifstream fa(dir.path() + "a.png", std::ios::binary), fb(dir.path() + "b.png", std::ios::binary);
    std::string da((std::istreambuf_iterator<char>(fa)), {}), db((std::istreambuf_iterator<char>(fb)), {});
    EXPECT_FALSE(da.empty());
    EXPECT_EQ(da, db);
}

// With "FPS=1" the counter "FPS:60" is drawn in yellow at the top left.
TEST(Replay, FrameRateCounterShowsSixty) {
    testsupport::TempDir dir;
    namespace fs = std::filesystem;
    const fs::path game = VORMANT_GAME_DIR;
    fs::copy_file(game / "vormant-replay", fs::path(dir.path()) / "vormant-replay");
    fs::copy(game / "model", fs::path(dir.path()) / "model", fs::copy_options::recursive);
    std::ofstream(dir.path() + "Zov.ini") << "[general]\r\nWindowMode=1\r\nFPS=1\r\nDefaultVolume=0\r\n";
    std::string shot = dir.path() + "fps.png";
    std::string script = dir.path() + "run.txt";
    std::ofstream(script) << "90 screenshot " << shot << "\n91 quit\n";
    const RunResult r = testsupport::RunReplay(dir.path(), "run.txt");
    const std::string& output = r.output;
    ASSERT_EQ(r.exitCode, 0) << output;

    int w = 0, h = 0, n = 0;
    unsigned char* data = stbi_load(shot.c_str(), &w, &h, &n, 4);
    ASSERT_NE(data, nullptr) << output;
    auto yellowIn = [&](int x0, int x1) {
        int count = 0;
        for (int y = 5; y < 19; ++y)
            for (int x = x0; x < x1; ++x) {
                const unsigned char* px = data + (size_t(y) * w + x) * 4;
                if (px[0] > 128 && px[1] > 128 && px[2] < 64) ++count;
            }
        return count;
    };
    EXPECT_GT(yellowIn(5, 33), 10);   // "FPS:"
    EXPECT_GT(yellowIn(33, 40), 3);   // 6
    EXPECT_GT(yellowIn(40, 47), 3);   // 0
    EXPECT_EQ(yellowIn(47, 80), 0);   // two digits only
    stbi_image_free(data);
}

TEST(Replay, BadScriptIsReported) {
    testsupport::TempDir dir;
    std::string script = dir.path() + "bad.txt";
    std::ofstream(script) << "1 fly\n";
    RunResult r = Replay(script);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.output.find("line 1"), std::string::npos) << r.output;
}

}  // namespace
