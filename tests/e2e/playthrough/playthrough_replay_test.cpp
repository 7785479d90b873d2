// The demo played through the real program, headless, as a player would: a new game,
// the prologue's story and its map (a move, an attack with its 3D battle, two enemy
// phases, the map held until the third turn), the save between chapters; then that
// save loaded from the title, chapter one's story, its sortie preparation, its map
// (a move, two enemy phases with their battles, the map won as the cavalry arrives),
// the ending's staff roll and back to the title.  A second run loses a map: the last
// hero falls in a battle, the game-over screen, the title.
//
// The replays are timed and their speed printed (frames per wall second); the game
// itself runs at 60 frames per second of its own clock.
#include <gtest/gtest.h>

#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <stb_image.h>

#include "FieldScene.h"
#include "PartyData.h"
#include "PersonData.h"
#include "game_copy.h"
#include "golden.h"
#include "save/ArchiveManager.h"

namespace {

namespace fs = std::filesystem;

using RunResult = testsupport::ReplayResult;

class GameCopy : public testsupport::GameCopy {
public:
    // Keeps the pictures where VORMANT_PLAYTHROUGH_SHOTS names a folder (for looking).
    ~GameCopy() {
        if (const char* keep = std::getenv("VORMANT_PLAYTHROUGH_SHOTS"))
            for (const auto& e : fs::directory_iterator(dir_.path()))
                if (e.path().extension() == ".png")
                    fs::copy_file(e.path(), fs::path(keep) / e.path().filename(), fs::copy_options::overwrite_existing);
    }

    // The script played and timed; the speed goes to the test's output.
    RunResult Play(const std::string& script, const char* what) const {
        const double start = Now();
        RunResult r = Replay(script);
        const double seconds = Now() - start;
        long frames = 0;
        if (const size_t at = r.output.find("frames: "); at != std::string::npos)
            frames = std::strtol(r.output.c_str() + at + 8, nullptr, 10);
        std::printf("[ replay   ] %s: %ld frames (%.1f s of game time) in %.2f s: %.0f frames per second, %.1fx real time\n",
                    what, frames, frames / 60.0, seconds, seconds > 0 ? frames / seconds : 0.0,
                    seconds > 0 ? frames / 60.0 / seconds : 0.0);
        return r;
    }

    static double Now() {
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    }

    // The part (x, y, w, h) of a screenshot as opaque ARGB; empty when unreadable.
    std::vector<uint32_t> Crop(const std::string& file, int x, int y, int w, int h) const {
        int iw = 0, ih = 0, n = 0;
        unsigned char* rgba = stbi_load((dir_.path() + file).c_str(), &iw, &ih, &n, 4);
        std::vector<uint32_t> out;
        if (!rgba) return out;
        if (x >= 0 && y >= 0 && x + w <= iw && y + h <= ih)
            for (int j = 0; j < h; ++j)
                for (int i = 0; i < w; ++i) {
                    const unsigned char* p = rgba + 4 * (size_t(y + j) * iw + (x + i));
                    out.push_back(0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | uint32_t(p[2]));
                }
        stbi_image_free(rgba);
        return out;
    }
    ::testing::AssertionResult Shot(const std::string& file, int x, int y, int w, int h,
                                    const std::string& golden) const {
        const std::vector<uint32_t> p = Crop(file, x, y, w, h);
        if (p.empty()) return ::testing::AssertionFailure() << "no picture " << file;
        return testsupport::MatchesGolden("e2e/playthrough/" + golden, p.data(), w, h);
    }

    std::vector<unsigned char> Bytes(const std::string& file) const {
        std::ifstream in(dir_.path() + file, std::ios::binary);
        return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), {});
    }

    // Slot `slot` as the program wrote it: the save's header and its party.
    struct Slot {
        bool loaded = false;
        std::string type, chapter, difficulty;
        CPartyData party;
        bool hasField = false;
        int turn = -1;
    };
    Slot ReadSlot(int slot) const {
        testsupport::ScopedCurrentDir cd(dir_.path());
        Slot s;
        CArchiveManager::DestroyInstance();
        CArchiveManager::CreateInstance();
        CArchiveManager* manager = CArchiveManager::GetInstance();
        s.loaded = manager->Load(slot);
        if (s.loaded) {
            s.type = manager->GetString(SaveFileTypeKey, false);
            s.chapter = manager->GetString(SaveFileChapterKey, false);
            s.difficulty = manager->GetString(SaveFileDiffKey, false);
            if (manager->HasArchive(PartyDataKey)) s.party.Load(manager->GetArchive(PartyDataKey, false));
            s.hasField = manager->HasArchive(FieldTaskInfoKey);
            if (s.hasField) s.turn = manager->GetArchive(FieldTaskInfoKey, false).GetInt("m_nTurn", -1);
        }
        CArchiveManager::DestroyInstance();
        return s;
    }
};

// ---- script writing ----------------------------------------------------------------------

class Script {
public:
    Script& Event(int frame, const std::string& what) {
        text_ += std::to_string(frame) + " " + what + "\n";
        return *this;
    }
    // A click at (x, y) on frame f, the pointer moved there ten frames before.
    Script& Click(int f, int x, int y, const char* button = "left") {
        Event(f - 10, "move " + std::to_string(x) + " " + std::to_string(y));
        Event(f, std::string("down ") + button);
        return Event(f + 1, std::string("up ") + button);
    }
    Script& RightClick(int f, int x, int y) { return Click(f, x, y, "right"); }
    Script& Shot(int f, const std::string& file) { return Event(f, "screenshot " + file); }
    // A right click on a cell without a unit opens the field menu; its last item
    // ends the turn.
    Script& EndTurn(int f, int x = 200, int y = 150) {
        RightClick(f, x, y);
        return Click(f + 50, 80, 96);
    }
    std::string Text() const { return text_; }

private:
    std::string text_;
};

// The replay takes its events in frame order; a script is written as play goes (a
// click's pointer move falls before the frame of the click), so it is sorted by frame,
// events of one frame keeping their order.
std::string Sorted(const std::string& text) {
    size_t at = 0;
    int order = 0;
    std::vector<std::pair<std::pair<int, int>, std::string>> keyed;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (line.empty()) continue;
        keyed.push_back({{std::stoi(line), order++}, line});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out;
    for (const auto& k : keyed) out += k.second + "\n";
    return out;
}

// The hub's command rows and the formation list's rows, by their middles.
int MainRow(int i) { return 112 + 14 * i; }
int TroopRow(int i) { return 165 + 12 * i; }

// New game to the save between chapters.  The opening is cut short, "NEW GAME",
// difficulty "Expert", the prologue's story fast-forwarded with Ctrl.
std::string PrologueScript() {
    Script s;
    s.Click(61, 300, 300).Click(100, 520, 285).Click(140, 80, 100);
    s.Event(150, "keydown LControl").Event(420, "keyup LControl").Event(430, "move 320 240");
    s.Shot(440, "p_field.png");
    // Turn 1: Leon (the camera's unit) chosen; the view scrolled east along the edge;
    // Leon sent four cells east and north; his command menu closed.  The step onto
    // the hill raises an event of a line and a message.
    s.Click(470, 320, 268);
    s.Event(490, "move 635 240").Event(520, "move 320 240");
    s.Click(550, 320, 324);
    s.Click(640, 320, 304);
    s.Click(690, 320, 240).Click(730, 320, 240);
    s.EndTurn(790);
    s.Shot(830, "p_enemy_phase.png");
    // Turn 2 (from about 1350, the camera back on Leon): a step to the enemy that
    // came over the bridge, his attack, the target, OK: the battle.
    s.Click(1380, 320, 268);
    s.Click(1410, 376, 296);
    s.Click(1540, 242, 279);
    s.Click(1590, 376, 296);
    s.Shot(1690, "p_confirm.png");
    s.Click(1700, 359, 296);
    s.Shot(1900, "p_battle.png");
    // After the battle the struck unit's range shows: a right click clears it, the
    // next opens the field menu.  The second enemy phase brings a battle of its own.
    s.RightClick(2200, 200, 150);
    s.EndTurn(2240);
    // Turn 3: the villagers are safe, the map is won.
    s.Shot(2930, "p_held.png");
    for (int f = 2950; f < 3020; f += 20) s.Click(f, 320, 20);
    // The save between chapters: the first slot.
    s.Click(3040, 320, 100);
    s.Shot(3060, "p_saved.png");
    s.Event(3070, "quit");
    return Sorted(s.Text());
}

// The save loaded from the title to the end.  "LOAD GAME", the first slot; chapter
// one's story fast-forwarded; the preparation: Sera placed beside Leon, the battle
// started.  The briefing, the knight's line and the reminder of the controls are
// clicked through.
std::string ChapterOneScript() {
    Script s;
    s.Click(61, 300, 300).Click(100, 500, 330).Click(121, 320, 100);
    s.Click(160, 80, 100);
    s.Event(170, "keydown LControl").Event(400, "keyup LControl");
    s.Click(420, 60, MainRow(0));     // 編成
    s.Click(445, 150, 32);            // 出撃地点A
    s.Click(460, 476, 170);           // (新規追加)
    s.Click(480, 270, TroopRow(1));   // セラ
    s.RightClick(510, 600, 470).RightClick(525, 600, 470);
    s.Click(545, 60, MainRow(4));     // 作戦開始
    s.Shot(565, "c_start.png");
    s.Click(575, 300, 126);           // はい
    for (int f = 640; f < 960; f += 40) s.Click(f, 320, 20);
    // Turn 1 ends at once (the camera is at the fort); the first enemy phase.
    s.EndTurn(1000, 470, 150);
    // Turn 2 (from about 1720): the minimap takes the view to the heroes; Leon four
    // cells east, his menu closed; the end of the turn.
    s.Click(1760, 425, 362);
    s.Event(1790, "move 320 240");
    s.Click(1810, 152, 234);
    s.Click(1850, 488, 262);
    s.Click(1960, 320, 304);
    s.EndTurn(2000);
    // The second enemy phase: the knight's line as the gate opens, then two battles.
    s.Click(2110, 320, 20);
    s.Shot(2600, "c_battle.png");
    // Turn 3: the cavalry arrives, the map is won; the story after it.
    for (int f = 3580; f < 3830; f += 30) s.Click(f, 320, 20);
    s.Shot(3880, "c_continued.png");
    s.Click(3900, 320, 20);
    // The staff roll, four times as fast with the button held; the end card.
    s.Event(4020, "down left");
    s.Shot(4360, "c_roll.png");
    s.Shot(5120, "c_end.png");
    s.Event(5390, "up left");
    s.Click(5400, 320, 20);
    // The title: its opening cut short, the menu.
    s.Click(5540, 300, 300);
    s.Shot(5600, "c_title.png");
    s.Event(5610, "quit");
    return Sorted(s.Text());
}

TEST(PlaythroughReplay, ANewGamePlaysBothChaptersToTheStaffRollAndBackToTheTitle) {
    GameCopy game;
    // Part one: the prologue, to the save between chapters.
    RunResult r = game.Play(PrologueScript(), "new game to the first save");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("frames: 3070"), std::string::npos) << r.output;
    EXPECT_EQ(game.ErrorLog(), "");
    // The 3D battle of Leon's attack: the names and hit points under the stage.
    EXPECT_TRUE(game.Shot("p_battle.png", 0, 320, 640, 160, "prologue_battle_panels"));
    // The third turn's message: the map is held.
    EXPECT_TRUE(game.Shot("p_held.png", 100, 420, 440, 50, "prologue_held"));
    // The slot screen with the new save in the first row.
    EXPECT_TRUE(game.Shot("p_saved.png", 0, 0, 640, 130, "saved_slot"));

    GameCopy::Slot slot = game.ReadSlot(0);
    ASSERT_TRUE(slot.loaded);
    EXPECT_EQ(slot.type, ChapterSave);
    EXPECT_EQ(slot.chapter, "1");
    EXPECT_EQ(slot.difficulty, "3");
    EXPECT_FALSE(slot.hasField);
    EXPECT_EQ(slot.party.nMap, 1);
    EXPECT_EQ(slot.party.nMoney, 300);
    ASSERT_EQ(slot.party.m_Heros.size(), 2u);
    EXPECT_EQ(slot.party.m_Heros[0].m_typeID, 5);  // Leon, a knight since the prologue's end
    EXPECT_EQ(slot.party.m_Heros[1].m_typeID, 2);  // Sera
    for (int i = 1; i < kSaveSlotCount; ++i) EXPECT_FALSE(game.Has(CArchiveManager::SlotFileName(i))) << i;
    // The slot index says the same: "Stage2" of "Expert" in the first row.
    SaveSlotInfo expected[kSaveSlotCount];
    expected[0].nChapter = 1;
    expected[0].strSaveType = ChapterSave;
    expected[0].nDifficulty = 3;
    const std::vector<unsigned char> index = game.Bytes("SaveIndex.dat");
    EXPECT_EQ(index, CArchiveManager::BuildIndexBytes(expected));

    // Part two: from that save to the title.
    r = game.Play(ChapterOneScript(), "first save to the title");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("frames: 5610"), std::string::npos) << r.output;
    EXPECT_EQ(game.ErrorLog(), "");
    EXPECT_TRUE(game.Shot("c_battle.png", 0, 320, 640, 160, "chapter1_battle_panels"));
    EXPECT_TRUE(game.Shot("c_continued.png", 0, 440, 240, 40, "to_be_continued"));
    EXPECT_TRUE(game.Shot("c_roll.png", 160, 0, 320, 480, "staff_roll"));
    EXPECT_TRUE(game.Shot("c_end.png", 480, 380, 160, 100, "end_card"));
    EXPECT_TRUE(game.Shot("c_title.png", 400, 270, 230, 175, "title_menu"));
    // Nothing saved on the way: the first save and its summary are as they were.
    EXPECT_EQ(game.ReadSlot(0).chapter, "1");
    EXPECT_EQ(game.Bytes("SaveIndex.dat"), index);
    for (int i = 1; i < kSaveSlotCount; ++i) EXPECT_FALSE(game.Has(CArchiveManager::SlotFileName(i))) << i;
}

// ---- a map lost -------------------------------------------------------------------------

// Where Leon stands (the camera's unit) and the enemy beside him.
constexpr int kLeonX = 2, kLeonY = 9;
constexpr int kEnemyX = 3, kEnemyY = 9;

// A field save of the prologue's first turn in slot 0: Leon, the only hero on the
// map, worn down to one hit point, an enemy band beside him.
void WriteLastStandSave(const std::string& folder) {
    testsupport::ScopedCurrentDir cd(folder);
    CArchiveManager::DestroyInstance();
    CPartyData party;
    party.Reset();
    SetDifficulty(party.Difficulty, 3);
    CStringMap record;
    {
        C_FieldScene scene(&party);
        C_FieldTaskInfo& info = scene.GetFieldInfo();
        CUnitList& units = info.m_UnitList;
        int heroes = 0;
        for (int u = 0; u < units.GetCount(); ++u) {
            if (!units.IsFriend(u) || !units.IsHero(u)) continue;
            ++heroes;
            ASSERT_EQ(units.GetX(u), kLeonX);
            ASSERT_EQ(units.GetY(u), kLeonY);
            for (int j = 0; j < units.GetMemberCount(u); ++j) info.m_PersonList.SetHP(units.GetMember(u, j), 1);
        }
        ASSERT_EQ(heroes, 1);
        for (int u = 0; u < units.GetCount(); ++u)
            if (!units.IsFriend(u)) {
                units.SetUnitPosition(u, kEnemyX, kEnemyY);
                break;
            }
        info.m_fCameraX = float(kLeonX);
        info.m_fCameraY = float(kLeonY);
        info.m_nHoverX = kLeonX;
        info.m_nHoverY = kLeonY;
        info.m_nTurn = 1;
        record = info.Save();
    }
    CArchiveManager::DestroyInstance();
    CArchiveManager::CreateInstance();
    CArchiveManager* manager = CArchiveManager::GetInstance();
    manager->ClearArchives();
    manager->ClearCurrentArchive();
    manager->SetArchive(PartyDataKey, party.Save());
    manager->SetArchive(FieldTaskInfoKey, record);
    manager->SetString(SaveFileChapterKey, std::to_string(party.nMap));
    manager->SetString(SaveFileDiffKey, std::to_string(party.Difficulty));
    manager->SetString(SaveFileTypeKey, FieldSave);
    ASSERT_TRUE(manager->Save(0));
    CArchiveManager::DestroyInstance();
}

// "LOAD GAME", the first slot, "resume"; Leon's attack on the enemy beside him; the
// counter fells him; the game-over screen clicked away; the title.
std::string LastStandScript() {
    Script s;
    s.Click(61, 300, 300).Click(100, 500, 330).Click(121, 320, 100).Click(141, 215, 200);
    s.Event(150, "move 320 240");
    s.Click(210, 320, 268);        // Leon
    s.Click(250, 320, 268);        // stays where he is
    s.Click(300, 242, 279);        // ATTACK
    s.Click(350, 376, 296);        // the enemy
    s.Click(450, 359, 296);        // OK
    s.Shot(650, "l_battle.png");
    s.Shot(1150, "l_game_over.png");
    s.Click(1200, 320, 240);
    s.Click(1340, 300, 300);       // the title's opening cut short
    s.Shot(1400, "l_title.png");
    s.Event(1410, "quit");
    return Sorted(s.Text());
}

TEST(PlaythroughReplay, AMapLostShowsTheGameOverScreenAndReturnsToTheTitle) {
    GameCopy game;
    WriteLastStandSave(game.path());
    const std::vector<unsigned char> save = game.Bytes("Save0.dat"), index = game.Bytes("SaveIndex.dat");
    RunResult r = game.Play(LastStandScript(), "a map lost");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("frames: 1410"), std::string::npos) << r.output;
    EXPECT_EQ(game.ErrorLog(), "");
    // Leon's last battle: his hit points run out.
    EXPECT_TRUE(game.Shot("l_battle.png", 0, 320, 640, 160, "last_stand_battle_panels"));
    EXPECT_TRUE(game.Shot("l_game_over.png", 0, 260, 560, 140, "game_over"));
    EXPECT_TRUE(game.Shot("l_title.png", 400, 270, 230, 175, "title_menu"));
    // The loss changes no save.
    EXPECT_EQ(game.Bytes("Save0.dat"), save);
    EXPECT_EQ(game.Bytes("SaveIndex.dat"), index);
}

}  // namespace
