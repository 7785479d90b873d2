// The program played headless from input scripts: loading, logo, opening, title
// menu, a new game's first chapter with the difficulty choice and on to its battle
// map; then loading a chapter save from the title, and a damaged save.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stb_image.h>

#include "PartyData.h"
#include "PersonData.h"
#include "golden.h"
#include "replay_run.h"
#include "save/ArchiveManager.h"

namespace {

namespace fs = std::filesystem;

using RunResult = testsupport::ReplayResult;

// A folder that sees the runnable game's files (linked) and keeps its own saves.
class GameCopy {
public:
    // `leaveOut`: a file of the "model" folder that the copy does not have.
    explicit GameCopy(const std::string& leaveOut = "") {
        for (const auto& e : fs::directory_iterator(VORMANT_GAME_DIR)) {
            const std::string name = e.path().filename().string();
            if (name == "ErrorLog.txt" || name.rfind("Save", 0) == 0) continue;
            if (name == "model" && !leaveOut.empty()) {
                fs::create_directory(dir_.path() + "model");
                for (const auto& m : fs::directory_iterator(e.path()))
                    if (m.path().filename().string() != leaveOut)
                        fs::create_symlink(m.path(), dir_.path() + "model/" + m.path().filename().string());
                continue;
            }
            fs::create_symlink(e.path(), dir_.path() + name);
        }
    }
    const std::string& path() const { return dir_.path(); }
    RunResult Replay(const std::string& scriptText) const {
        std::ofstream(dir_.path() + "input.txt") << scriptText;
        return testsupport::RunReplay(dir_.path(), "input.txt");
    }
    ::testing::AssertionResult Shot(const std::string& file, const std::string& golden) const {
        int w = 0, h = 0, n = 0;
        unsigned char* rgba = stbi_load((dir_.path() + file).c_str(), &w, &h, &n, 4);
        if (!rgba) return ::testing::AssertionFailure() << "no picture " << file;
        std::vector<uint32_t> argb(size_t(w) * h);
        for (size_t i = 0; i < argb.size(); ++i)
            argb[i] = uint32_t(rgba[4 * i + 3]) << 24 | uint32_t(rgba[4 * i]) << 16 | uint32_t(rgba[4 * i + 1]) << 8 |
                      uint32_t(rgba[4 * i + 2]);
        stbi_image_free(rgba);
        return testsupport::MatchesGolden("e2e/scenes/" + golden, argb.data(), w, h);
    }
    bool Has(const std::string& file) const { return fs::exists(dir_.path() + file); }

private:
    testsupport::TempDir dir_;
};

// Through the opening (cut short by a click) to the title menu.
const char kToTitle[] =
    "8 screenshot loading.png\n"
    "60 move 300 300\n"
    "61 down left\n"
    "62 up left\n"
    "80 screenshot title.png\n";

// New game, "Expert", the chapter fast-forwarded with Ctrl, and on to the field.
const char kNewGameToField[] =
    "90 move 520 285\n"
    "100 down left\n"
    "101 up left\n"
    "125 screenshot difficulty.png\n"
    "130 move 80 100\n"
    "140 down left\n"
    "141 up left\n"
    "150 keydown LControl\n"
    "300 screenshot story.png\n"
    "420 keyup LControl\n"
    "430 move 320 240\n"
    "450 screenshot field.png\n"
    "500 quit\n";

// A save between chapters in slot 1, as the save screen writes it after the first
// chapter: chapter 0, difficulty "Expert".
void WriteChapterSave(const std::string& folder) {
    testsupport::ScopedCurrentDir cd(folder);
    CArchiveManager::DestroyInstance();
    CArchiveManager::CreateInstance();
    CArchiveManager* manager = CArchiveManager::GetInstance();
    CPartyData party;
    party.Reset();
    SetDifficulty(party.Difficulty, 3);
    manager->ClearArchives();
    manager->ClearCurrentArchive();
    manager->SetArchive(PartyDataKey, party.Save());
    manager->SetString(SaveFileChapterKey, std::to_string(party.nMap));
    manager->SetString(SaveFileDiffKey, std::to_string(party.Difficulty));
    manager->SetString(SaveFileTypeKey, ChapterSave);
    manager->Save(0);
    CArchiveManager::DestroyInstance();
}

// "LOAD GAME", then the first slot; the loaded chapter's story, fast-forwarded.
const char kLoadFirstSlot[] =
    "90 move 500 330\n"
    "100 down left\n"
    "101 up left\n"
    "110 screenshot load.png\n"
    "120 move 320 100\n"
    "121 down left\n"
    "122 up left\n"
    "150 move 80 100\n"
    "160 down left\n"
    "161 up left\n"
    "170 keydown LControl\n"
    "320 screenshot after_load.png\n"
    "330 quit\n";

std::string Utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// The picture of a file as ARGB pixels (empty when missing).
std::vector<uint32_t> Pixels(const std::string& path) {
    int w = 0, h = 0, n = 0;
    unsigned char* rgba = stbi_load(path.c_str(), &w, &h, &n, 4);
    std::vector<uint32_t> argb;
    if (!rgba) return argb;
    argb.resize(size_t(w) * h);
    for (size_t i = 0; i < argb.size(); ++i)
        argb[i] = uint32_t(rgba[4 * i + 3]) << 24 | uint32_t(rgba[4 * i]) << 16 | uint32_t(rgba[4 * i + 1]) << 8 |
                  uint32_t(rgba[4 * i + 2]);
    stbi_image_free(rgba);
    return argb;
}

TEST(ScenesReplay, NewGameGoesThroughTheStoryToTheField) {
    GameCopy game;
    RunResult r = game.Replay(std::string(kToTitle) + kNewGameToField);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("frames: 500"), std::string::npos) << r.output;
    EXPECT_TRUE(game.Shot("loading.png", "loading"));
    EXPECT_TRUE(game.Shot("title.png", "title"));
    EXPECT_TRUE(game.Shot("difficulty.png", "difficulty"));
    EXPECT_TRUE(game.Shot("story.png", "story"));
    // The battle map of chapter 0 (what stands on it grows with the field's tasks):
    // a picture of its own, filled from edge to edge around the centre.
    const std::vector<uint32_t> field = Pixels(game.path() + "field.png");
    const std::vector<uint32_t> story = Pixels(game.path() + "story.png");
    ASSERT_EQ(field.size(), 640u * 480u);
    EXPECT_NE(field, story);
    int black = 0;
    for (int y = 120; y < 360; ++y)
        for (int x = 160; x < 480; ++x) black += (field[size_t(y) * 640 + x] & 0xFFFFFF) == 0;
    EXPECT_LT(black, 320 * 240 * 3 / 10);
    EXPECT_FALSE(game.Has("Save0.dat"));
}

TEST(ScenesReplay, AChapterSaveLoadsFromTheTitle) {
    GameCopy game;
    WriteChapterSave(game.path());
    ASSERT_TRUE(game.Has("Save0.dat"));
    ASSERT_TRUE(game.Has("SaveIndex.dat"));
    RunResult r = game.Replay(std::string(kToTitle) + kLoadFirstSlot);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(game.Shot("load.png", "load_window"));
    EXPECT_TRUE(game.Shot("after_load.png", "story_after_load"));
}

TEST(ScenesReplay, DamagedSaveShowsTheMessageAndStaysOnTheTitle) {
    GameCopy game;
    WriteChapterSave(game.path());
    ASSERT_TRUE(game.Has("Save0.dat"));
    std::ofstream(game.path() + "Save0.dat", std::ios::binary | std::ios::trunc) << "\x0A not a save";
    RunResult r = game.Replay(std::string(kToTitle) + kLoadFirstSlot);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find(Utf8(u8"不正なセーブファイルです。")), std::string::npos) << r.output;
    EXPECT_TRUE(game.Shot("after_load.png", "title_after_damaged_load"));
}

TEST(ScenesReplay, TutorialTopicsAndBackToTheTitle) {
    GameCopy game;
    RunResult r = game.Replay(std::string(kToTitle) +
                              "90 move 450 370\n"
                              "100 down left\n"
                              "101 up left\n"
                              "110 move 80 75\n"
                              "130 screenshot tutorial.png\n"
                              "140 down right\n"
                              "141 up right\n"
                              "200 move 300 300\n"
                              "201 down left\n"
                              "202 up left\n"
                              "220 screenshot title_again.png\n"
                              "230 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(game.Shot("tutorial.png", "tutorial"));
    EXPECT_TRUE(game.Shot("title_again.png", "title_after_tutorial"));
}

TEST(ScenesReplay, MissingMeshEndsTheProgramWithAMessage) {
    GameCopy game("wizard.x");
    RunResult r = game.Replay("100 quit\n");
    EXPECT_NE(r.output.find("model\\wizard.x"), std::string::npos) << r.output;
    EXPECT_LT(std::stol(r.output.substr(r.output.rfind("frames: ") + 8)), 20) << r.output;
    std::ifstream log(game.path() + "ErrorLog.txt");
    std::string text((std::istreambuf_iterator<char>(log)), {});
    EXPECT_NE(text.find("model\\wizard.x"), std::string::npos) << text;
}

}  // namespace

namespace {

// Every start-up failure names its file, in the log and in a message box.
TEST(ScenesReplay, MissingEffectEndsTheStartWithAMessageNamingIt) {
    for (const char* file : {"SkinnedMesh.fx", "skinmesh2.vsh"}) {
        GameCopy game(file);
        RunResult r = game.Replay("100 quit\n");
        EXPECT_NE(r.output.find("[message box]"), std::string::npos) << r.output;
        EXPECT_NE(r.output.find(std::string("model\\") + file), std::string::npos) << r.output;
        std::ifstream log(game.path() + "ErrorLog.txt");
        std::string text((std::istreambuf_iterator<char>(log)), {});
        EXPECT_NE(text.find(std::string("model\\") + file), std::string::npos) << text;
    }
}

}  // namespace

namespace {

// A region of a screenshot against a cropped golden.
::testing::AssertionResult RegionMatches(const std::string& file, int left, int top, int width, int height,
                                         const std::string& golden) {
    int w = 0, h = 0, n = 0;
    unsigned char* rgba = stbi_load(file.c_str(), &w, &h, &n, 4);
    if (!rgba) return ::testing::AssertionFailure() << "no picture " << file;
    std::vector<uint32_t> argb;
    for (int y = top; y < top + height && y < h; ++y)
        for (int x = left; x < left + width && x < w; ++x) {
            const unsigned char* p = rgba + 4 * (size_t(y) * w + x);
            argb.push_back(uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
        }
    stbi_image_free(rgba);
    return testsupport::MatchesGolden("e2e/scenes/" + golden, argb.data(), width, height);
}

// Our pictures fit the places the game draws them: the logo's words below its badge
// and clear of each other; the chapter number and title inside the banner.
TEST(ScenesReplay, LogoAndChapterTitleFitTheirPlaces) {
    GameCopy game;
    RunResult r = game.Replay(
        "150 screenshot logo.png\n"
        "160 move 300 300\n161 down left\n162 up left\n"
        "190 move 520 285\n200 down left\n201 up left\n"
        "230 move 80 100\n240 down left\n241 up left\n"
        "420 screenshot telop.png\n"
        "430 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(RegionMatches(game.path() + "logo.png", 180, 150, 280, 170, "logo_words"));
    EXPECT_TRUE(RegionMatches(game.path() + "telop.png", 170, 185, 250, 110, "chapter_title"));
}

// The opening left to play to its end (it ends on a fade to black) and then a new
// game: the title, the difficulty choice and the chapter title after it look as they
// do after a cut-short opening.
TEST(ScenesReplay, AnOpeningPlayedOutLeadsToAVisibleDifficultyChoice) {
    GameCopy game;
    RunResult r = game.Replay(
        "1800 screenshot title.png\n"
        "1810 move 520 285\n1820 down left\n1821 up left\n"
        "1845 screenshot difficulty.png\n"
        "1900 screenshot difficulty_later.png\n"
        "1910 move 80 100\n1920 down left\n1921 up left\n"
        "2100 screenshot telop.png\n"
        "2110 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(game.Shot("title.png", "title"));
    EXPECT_TRUE(game.Shot("difficulty.png", "difficulty"));
    EXPECT_TRUE(game.Shot("difficulty_later.png", "difficulty"));
    EXPECT_TRUE(RegionMatches(game.path() + "telop.png", 170, 185, 250, 110, "chapter_title"));
}

}  // namespace
