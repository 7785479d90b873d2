// The sortie preparation played headless from input scripts: chapter one loaded
// from the title, its story fast-forwarded into the preparation, every window
// walked (briefing pages, a placement, a removal with its refund, a formed troop,
// a hero's and a troop type's level-up, the too-few-heroes alert), a save from the
// preparation; then that save loaded from the title back into the preparation and
// the battle started.  Chapter three's preparation: its tutorial, the cost line, a
// point filled to its eight cards, the start question of two lines.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <stb_image.h>

#include "PartyData.h"
#include "archive/gvlStringMap.h"
#include "game_copy.h"
#include "golden.h"
#include "save/ArchiveManager.h"

namespace {

using RunResult = testsupport::ReplayResult;

// A folder that sees the runnable game's files (linked) and keeps its own saves.
class GameCopy : public testsupport::GameCopy {
public:
    GameCopy() : testsupport::GameCopy({"e2e/sortie/", "VORMANT_SORTIE_SHOTS"}) {}

    ::testing::AssertionResult Shot(const std::string& file, const std::string& golden) const {
        int w = 0, h = 0, n = 0;
        unsigned char* rgba = stbi_load((dir_.path() + file).c_str(), &w, &h, &n, 4);
        if (!rgba) return ::testing::AssertionFailure() << "no picture " << file;
        std::vector<uint32_t> argb(size_t(w) * h);
        for (size_t i = 0; i < argb.size(); ++i)
            argb[i] = uint32_t(rgba[4 * i + 3]) << 24 | uint32_t(rgba[4 * i]) << 16 | uint32_t(rgba[4 * i + 1]) << 8 |
                      uint32_t(rgba[4 * i + 2]);
        stbi_image_free(rgba);
        return testsupport::MatchesGolden("e2e/sortie/" + golden, argb.data(), w, h);
    }
    std::string Log() const {
        std::ifstream in(dir_.path() + "ErrorLog.txt", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }

    // Slot 0: a save between chapters, as the save scene writes it after a map was
    // won: chapter one after the prologue, or chapter three with all five heroes.
    // `infantryLV`: the level of the first troop type (歩兵隊).
    void WriteChapterSave(int chapter, int infantryLV = 1) const {
        testsupport::ScopedCurrentDir cd(dir_.path());
        CArchiveManager::DestroyInstance();
        CArchiveManager::CreateInstance();
        CPartyData party;
        party.Reset();
        party.nMap = chapter;
        party.nMoney = chapter == 1 ? 300 : 2500;
        party.AddHero(5, chapter == 1 ? 2 : 5);  // Leon, a knight since the prologue
        party.AddHero(2, chapter == 1 ? 1 : 4);
        if (chapter > 1) {
            party.AddHero(3, 4);
            party.AddHero(4, 5);
            party.AddHero(31, 5);  // Zaira, who stays at the pass in chapter three
        }
        party.m_Troops.GetEntry(0).nLV = infantryLV;
        party.Backup();
        CArchiveManager* manager = CArchiveManager::GetInstance();
        manager->ClearArchives();
        manager->ClearCurrentArchive();
        manager->SetArchive(PartyDataKey, party.Save());
        manager->SetString(SaveFileChapterKey, std::to_string(chapter));
        manager->SetString(SaveFileDiffKey, "2");
        manager->SetString(SaveFileTypeKey, ChapterSave);
        ASSERT_TRUE(manager->Save(0));
        CArchiveManager::DestroyInstance();
    }
};

// A left click at (x, y) on frame f (pointer moved there ten frames before).
std::string Click(int f, int x, int y) {
    return std::to_string(f - 10) + " move " + std::to_string(x) + " " + std::to_string(y) + "\n" +
           std::to_string(f) + " down left\n" + std::to_string(f + 1) + " up left\n";
}
std::string RightClick(int f, int x, int y) {
    return std::to_string(f - 10) + " move " + std::to_string(x) + " " + std::to_string(y) + "\n" +
           std::to_string(f) + " down right\n" + std::to_string(f + 1) + " up right\n";
}
std::string Shot(int f, const std::string& file) { return std::to_string(f) + " screenshot " + file + "\n"; }

}  // namespace

namespace {

// Through the opening (cut short by a click) to the title menu, "LOAD GAME" and
// slot `row`; a chapter save's story is fast-forwarded with Ctrl.
std::string LoadFromTitle(int row) {
    return "60 move 300 300\n61 down left\n62 up left\n" + Click(100, 500, 330) + Click(121, 320, 100 + 65 * row);
}
const char kFastStory[] = "150 move 80 100\n160 down left\n161 up left\n170 keydown LControl\n";

// The hub's command rows, the position rows, the formation list's rows (opened at
// x 160), the strengthening rows and the prompts' answers, by their middles.
int MainRow(int i) { return 112 + 14 * i; }
int TroopRow(int i) { return 165 + 12 * i; }
int LvupRow(int i) { return 46 + 14 * i; }
constexpr int kYesY = 126, kNoY = 140;
// "はい" under the two-line start question of the later maps: the box grows to the
// question's first line, so the row stays there whatever the counts.
constexpr int kYesUnderTwoLinesY = 140;

// Chapter one's preparation: briefing pages, the too-few-heroes alert, a troop
// formed place by place, its removal (first declined, then confirmed), a hero
// placed, a hero's and a troop type's level-up, and a save into slot 1.
std::string WalkChapterOnePreparation() {
    std::string s;
    s += "400 keyup LControl\n";
    s += Click(420, 368, 253);                       // tab 3
    s += Click(440, 300, 350);                       // the briefing area: page 4
    s += Shot(455, "hub.png");
    s += Click(470, 60, MainRow(4));                 // 作戦開始 with Leon alone
    s += Shot(495, "alert.png");
    s += Click(500, 100, 126);                       // ＯＫ
    s += Click(520, 60, MainRow(0));                 // 編成
    s += Click(545, 150, 32);                        // 出撃地点A
    s += Click(560, 476, 170);                       // (新規追加)
    s += Click(580, 270, TroopRow(4));               // 剣兵 at 0
    s += Click(595, 270, TroopRow(5));               // 弓兵 at 1
    s += Click(610, 270, TroopRow(6));               // (空白) at 2
    s += Shot(625, "forming.png");
    s += Click(630, 270, TroopRow(4));               // 剣兵 at 3: formed
    s += Shot(650, "formed.png");
    s += Click(655, 571, 170);                       // the troop's delete button
    s += Click(680, 320, kNoY);                      // いいえ
    s += Click(700, 571, 170);
    s += Click(725, 320, kYesY);                     // はい: removed, its cost back
    s += Click(745, 476, 170);                       // (新規追加)
    s += Click(765, 270, TroopRow(1));               // セラ
    s += Shot(785, "placed.png");
    s += RightClick(790, 600, 470);                  // back to the positions
    s += RightClick(805, 600, 470);                  // back to the hub
    s += Click(825, 60, MainRow(1));                 // 強化
    s += Click(860, 400, LvupRow(0));                // Leon
    s += Shot(880, "lvup.png");
    s += RightClick(885, 600, 470);                  // leaving the preview asks
    s += Click(905, 320, kYesY);
    s += Click(925, 400, LvupRow(4));                // 歩兵隊
    s += RightClick(945, 600, 470);
    s += Click(965, 320, kYesY);
    s += Shot(980, "after_lvup.png");
    s += RightClick(985, 600, 470);                  // back to the hub
    s += Click(1000, 60, MainRow(2));                // マップ: the map view
    s += Shot(1030, "mapview.png");
    s += RightClick(1040, 480, 120);                 // an empty cell: back to a new hub
    s += Click(1080, 60, MainRow(3));                // セーブ
    s += Click(1105, 320, 167);                      // slot 2 (index 1)
    s += Shot(1125, "saved.png");
    s += "1135 quit\n";
    return s;
}

// Whether the picture shows the preparation's crest (gold at its middle).
bool ShowsPreparation(const std::string& file) {
    int w = 0, h = 0, n = 0;
    unsigned char* rgba = stbi_load(file.c_str(), &w, &h, &n, 4);
    if (!rgba) return false;
    const unsigned char* p = rgba + 4 * (330 * w + 572);
    const bool gold = p[0] > 180 && p[1] > 130 && p[1] < 190 && p[2] < 100;
    stbi_image_free(rgba);
    return gold;
}

// The save loaded from the title: "continue", the preparation as it was saved,
// then the start of the battle.
std::string LoadPreparationAndStart() {
    std::string s = LoadFromTitle(1);
    s += Click(140, 215, 200);                       // continue from the save
    s += Shot(200, "loaded.png");
    s += Click(220, 60, MainRow(4));                 // 作戦開始
    s += Shot(245, "start_prompt.png");
    s += Click(250, 300, kYesY);                     // はい
    s += Shot(330, "battle.png");
    s += "340 quit\n";
    return s;
}

// Chapter three: the story fast-forwarded, its preparation tutorial over the hub, the
// hub with the cost line, the hero range and the roster; point A filled to its eight
// cards (Leon there by order, the other three heroes allowed, four one-soldier troops;
// Zaira is kept back); the two-line question answered "はい".
std::string ChapterThreePreparation() {
    std::string s = "170 keydown LControl\n250 keyup LControl\n";
    for (int f = 270; f <= 350; f += 20) s += Click(f, 600, 40);
    s += Shot(440, "tutorial.png");
    for (int f = 460; f <= 500; f += 20) s += Click(f, 600, 40);
    s += Shot(530, "hub3.png");
    s += Click(550, 60, MainRow(0));                 // 編成
    s += Click(575, 150, 32);                        // 出撃地点A
    // Card n of the grid; the formation list opens right of an even card, left of an odd.
    auto card = [](int n, int* x, int* y) {
        *x = 304 + 192 * (n % 2);
        *y = 170 + 64 * (n / 2);
    };
    auto listX = [](int n) { return n % 2 ? 270 : 500; };
    int f = 595, x = 0, y = 0;
    for (int n = 1; n <= 3; ++n, f += 40) {          // セラ, ガルド, ミナ
        card(n, &x, &y);
        s += Click(f, x, y) + Click(f + 20, listX(n), TroopRow(n));
    }
    for (int n = 4; n <= 7; ++n, f += 100) {         // 剣兵 and three places left empty
        card(n, &x, &y);
        s += Click(f, x, y) + Click(f + 20, listX(n), TroopRow(5));
        for (int k = 0; k < 3; ++k) s += Click(f + 40 + 20 * k, listX(n), TroopRow(7));
    }
    s += Shot(f, "eight_cards.png");                 // f = 1115
    s += RightClick(f + 10, 600, 470) + RightClick(f + 25, 600, 470);
    s += Click(f + 45, 60, MainRow(4));              // 作戦開始
    s += Shot(f + 70, "question.png");
    s += Click(f + 75, 300, kYesUnderTwoLinesY);     // はい
    s += Shot(f + 160, "started.png");
    s += std::to_string(f + 170) + " quit\n";
    return s;
}

TEST(SortieReplay, ChapterOnesPreparationIsWalkedSavedLoadedBackAndTheBattleStarts) {
    GameCopy game;
    game.WriteChapterSave(1);
    RunResult r = game.Replay(LoadFromTitle(0) + kFastStory + WalkChapterOnePreparation());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("frames: 1135"), std::string::npos) << r.output;
    EXPECT_FALSE(ShowsPreparation(game.path() + "mapview.png"));
    EXPECT_TRUE(game.Shot("alert.png", "alert"));
    EXPECT_TRUE(game.Shot("forming.png", "forming"));
    EXPECT_TRUE(game.Shot("placed.png", "placed"));
    EXPECT_TRUE(game.Shot("lvup.png", "lvup"));
    EXPECT_TRUE(game.Has("Save1.dat"));
    EXPECT_TRUE(ShowsPreparation(game.path() + "saved.png"));
    EXPECT_EQ(game.Log(), "");

    r = game.Replay(LoadPreparationAndStart());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    // The preparation as it was saved: funds after both level-ups, Leon and セラ placed.
    EXPECT_TRUE(game.Shot("loaded.png", "loaded"));
    EXPECT_TRUE(ShowsPreparation(game.path() + "start_prompt.png"));
    EXPECT_FALSE(ShowsPreparation(game.path() + "battle.png"));
}

TEST(SortieReplay, ChapterThreesPreparationAsksItsTwoLineQuestionAndStartsTheBattle) {
    GameCopy game;
    game.WriteChapterSave(3);
    RunResult r = game.Replay(LoadFromTitle(0) + ChapterThreePreparation());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(game.Shot("tutorial.png", "tutorial"));
    EXPECT_TRUE(game.Shot("hub3.png", "hub_cost_limit"));
    EXPECT_TRUE(game.Shot("eight_cards.png", "eight_cards"));
    EXPECT_TRUE(game.Shot("question.png", "two_line_question"));
    EXPECT_FALSE(ShowsPreparation(game.path() + "started.png"));
    EXPECT_EQ(game.Log(), "");
}

// Chapter three with the infantry at level 5: point A's second card opens the
// formation list, where the sword dancer has joined the infantry's soldiers.
std::string ChapterThreeSwordDancer() {
    std::string s = "170 keydown LControl\n250 keyup LControl\n";
    for (int f = 270; f <= 350; f += 20) s += Click(f, 600, 40);
    for (int f = 460; f <= 500; f += 20) s += Click(f, 600, 40);
    s += Click(550, 60, MainRow(0));                 // 編成
    s += Click(575, 150, 32);                        // 出撃地点A
    s += Click(595, 496, 170);                       // the second card
    s += Shot(640, "dancer_list.png");
    s += "650 quit\n";
    return s;
}

TEST(SortieReplay, TheSwordDancerJoinsTheInfantrysSoldiersAtLevelFive) {
    GameCopy game;
    game.WriteChapterSave(3, 5);
    RunResult r = game.Replay(LoadFromTitle(0) + ChapterThreeSwordDancer());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(game.Shot("dancer_list.png", "sword_dancer_list"));
    EXPECT_EQ(game.Log(), "");
}

}  // namespace
