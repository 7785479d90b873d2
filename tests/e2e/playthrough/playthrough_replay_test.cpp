// The demo played through the real program, headless, as a player would: a new game,
// the prologue's story and its map (a move, an attack with its 3D battle, two enemy
// phases, the map held until the third turn), the save between chapters; then that
// save loaded from the title, chapter one's story, its sortie preparation, its map
// (a move, two enemy phases with their battles, the map won as the cavalry arrives),
// the save after it; then that save loaded, chapter two's story, its preparation, its
// map (a move and an attack with its 3D battle, an enemy phase with a battle, the map
// won as the second turn begins), the save after it; then that save loaded, chapter
// three's story, its preparation (the cost line, Mina placed on the second point, the
// two-line start question answered "はい"), its map (an attack with its 3D battle, the
// cavalry through the gate), the ending's staff roll and back to the title.  A second
// run loses a map: the last hero falls in a battle, the game-over screen, the title.
// A third plays chapter three's later turns from a field save: the events of units in
// areas, a fallen hero and the gate's count, and the wyverns' priest healing.
//
// The replays are timed and their speed printed (frames per wall second); the game
// itself runs at 60 frames per second of its own clock.
#include <gtest/gtest.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "field_save.h"
#include "game_copy.h"
#include "replay_script.h"

namespace {

using RunResult = testsupport::ReplayResult;

// Keeps the pictures and saves where VORMANT_PLAYTHROUGH_SHOTS names a folder (for looking).
class GameCopy : public testsupport::GameCopy {
public:
    GameCopy() : testsupport::GameCopy({"e2e/playthrough/", "VORMANT_PLAYTHROUGH_SHOTS"}) {}

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

    testsupport::SaveSlot ReadSlot(int slot) const { return testsupport::ReadSlot(path(), slot); }
};

using testsupport::Script;
using testsupport::Sorted;

// The hub's command rows and the formation list's rows, by their middles.
int MainRow(int i) { return 112 + 14 * i; }
int TroopRow(int i) { return 165 + 12 * i; }
// "はい" under the start question: one line (the first maps) or two (the later ones,
// which count the units; the box grows to their first line, so the row stays put
// whatever the counts).
constexpr int kYesY = 126, kYesUnderTwoLinesY = 140;

// "LOAD GAME", the slot on row `slotY`, the chapter's story fast-forwarded until
// frame `storyEnd`.
void LoadChapterSave(Script& s, int slotY, int storyEnd) {
    s.Click(61, 300, 300).Click(100, 500, 330).Click(121, 320, slotY);
    s.Click(160, 80, 100);
    s.Event(170, "keydown LControl").Event(storyEnd, "keyup LControl");
}

// The sortie preparation from frame f: Sera placed beside Leon, the battle started
// ("はい" at f + 155).
void SortieWithSera(Script& s, int f) {
    s.Click(f, 60, MainRow(0));               // 編成
    s.Click(f + 25, 150, 32);                 // 出撃地点A
    s.Click(f + 40, 476, 170);                // (新規追加)
    s.Click(f + 60, 270, TroopRow(1));        // セラ
    s.RightClick(f + 90, 600, 470).RightClick(f + 105, 600, 470);
    s.Click(f + 125, 60, MainRow(4));         // 作戦開始
    s.Click(f + 155, 300, kYesY);             // はい
}

// New game to the save between chapters.  The opening is cut short, "NEW GAME",
// difficulty "Expert", the prologue's story fast-forwarded with Ctrl.
std::string PrologueScript() {
    Script s;
    s.Click(61, 300, 300).Click(100, 520, 285).Click(140, 80, 100);
    s.Event(150, "keydown LControl").Event(420, "keyup LControl").Event(430, "move 320 240");
    s.Shot(440, "p_field.png");
    // Turn 1: Leon (the camera's unit) chosen; the view scrolled east along the edge;
    // Leon sent four cells east and north; his command menu closed.  The step onto
    // the hill raises an event of a line and a message: the click that closed the
    // menu leaves the line on screen, one click takes it away, one the message.
    s.Click(470, 320, 268);
    s.Event(490, "move 635 240").Event(520, "move 320 240");
    s.Click(550, 320, 324);
    s.Click(640, 320, 304);
    s.Shot(680, "p_hill.png");
    s.Click(690, 320, 240).Click(750, 320, 240);
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
    s.SaveAndQuit(3040, 100, "p_saved.png");
    return Sorted(s.Text());
}

// The first save loaded from the title to the next save.  "LOAD GAME", the first slot;
// chapter one's story fast-forwarded; the preparation: Sera placed beside Leon, the
// battle started.  The briefing, the knight's line and the reminder of the controls
// are clicked through.
std::string ChapterOneScript() {
    Script s;
    LoadChapterSave(s, 100, 400);
    SortieWithSera(s, 420);
    s.Shot(565, "c_start.png");
    for (int f = 640; f < 960; f += 40) s.Click(f, 320, 20);
    // Turn 1 ends at once (the camera is at the fort): the enemy phase opens with
    // Zaira's line, which the click that ended the turn leaves on screen; one click
    // on the same place takes it away.
    s.EndTurn(1000, 470, 150);
    s.Click(1080, 80, 96);
    // Turn 2 (from about 1750): the minimap takes the view to the heroes; Leon four
    // cells east, his menu closed; the end of the turn.
    s.Click(1790, 425, 362);
    s.Event(1820, "move 320 240");
    s.Click(1840, 152, 234);
    s.Click(1880, 488, 262);
    s.Click(1990, 320, 304);
    s.EndTurn(2030);
    // The second enemy phase: the knight's line as the gate opens, then two battles.
    s.Click(2140, 320, 20);
    s.Shot(2630, "c_battle.png");
    // Turn 3: the cavalry arrives, the map is won; the story after it.
    for (int f = 3610; f < 3790; f += 30) s.Click(f, 320, 20);
    // The save between chapters: the second slot.
    s.SaveAndQuit(3820, 170, "c_saved.png");
    return Sorted(s.Text());
}

// The second save loaded from the title to the third save.  "LOAD GAME", the second
// slot; chapter two's story fast-forwarded; the preparation as in chapter one: Sera
// placed beside Leon, the battle started.
std::string ChapterTwoScript() {
    Script s;
    LoadChapterSave(s, 165, 300);
    SortieWithSera(s, 320);
    // Turn 1: Leon's line about the scouts clicked away.  Leon (the camera's unit)
    // two cells north-west, next to the scouts; his attack, the target, OK: the battle.
    s.Click(560, 320, 20);
    s.Event(640, "move 320 240");
    s.Attack(700, 320, 268, 320, 160, 265, 241);
    s.Shot(1240, "d_battle.png");
    // The struck unit's range cleared; the end of the turn.  The enemy phase: the
    // scouts strike back, the garrison moves.
    s.RightClick(1450, 200, 150);
    s.EndTurn(1490);
    s.Shot(1800, "d_enemy_battle.png");
    // Turn 2 (from about 3350): word that the main force took the gate, the map is won;
    // the story after it: Leon's line, Zaira's.
    s.Shot(3390, "d_won.png");
    s.Click(3400, 320, 20).Click(3440, 320, 20).Click(3480, 320, 20);
    // The save between chapters: the third slot.
    s.SaveAndQuit(3520, 235, "d_saved.png");
    return Sorted(s.Text());
}

// The third save loaded from the title to the end.  "LOAD GAME", the third slot;
// chapter three's story and the preparation's tutorial fast-forwarded.
std::string ChapterThreeScript() {
    Script s;
    LoadChapterSave(s, 230, 300);
    // The preparation: Leon stands on point A by the story's order; Mina on point B
    // ("編成", 出撃地点B, (新規追加) in the left column, the fourth hero); the battle
    // started: the question of two lines, "はい".
    s.Click(320, 60, MainRow(0));
    s.Click(345, 150, 46);
    s.Click(360, 280, 170);
    s.Click(380, 500, TroopRow(3));
    s.RightClick(410, 600, 470).RightClick(425, 600, 470);
    s.Shot(435, "e_hub.png");
    s.Click(445, 60, MainRow(4));
    s.Shot(470, "e_question.png");
    s.Click(475, 300, kYesUnderTwoLinesY);
    // Turn 1: the heroes come on, Leon's line.  The camera is on Volg at the gate: the
    // minimap takes it to the camp (cell (5, 11) in the middle).  Leon two cells
    // north-east along the road, next to the scouts; his attack, the target, OK.
    s.Shot(570, "e_field.png");
    s.Click(580, 320, 20);
    s.Event(640, "move 320 240");
    s.Click(650, 443, 363);
    s.Event(670, "move 320 240");
    s.Attack(700, 96, 324, 320, 324, 376, 240);
    // The first fight raises Leon's line about the scouts: the click on OK leaves it
    // on screen, one more takes it away and the battle begins.
    s.Click(1070, 359, 296);
    s.Shot(1270, "e_battle.png");
    // The struck unit's range cleared; the minimap to the road (cell (11, 8) in the
    // middle); Mina seven cells up the road into the gate; her menu closed: Leon's line,
    // the map is won, the story after it.
    s.RightClick(1450, 200, 150);
    s.Click(1480, 497, 369);
    s.Event(1500, "move 320 240");
    s.Click(1530, 152, 352);
    s.Click(1570, 544, 156);
    s.Click(1690, 322, 304);
    s.Shot(1720, "e_gate.png");
    s.Click(1730, 320, 20).Click(1770, 320, 20);
    s.Shot(1910, "e_continued.png");
    s.Click(1930, 320, 20);
    // The staff roll, four times as fast with the button held; the end card.
    s.Event(2050, "down left");
    s.Shot(2390, "e_roll.png");
    s.Shot(3150, "e_end.png");
    s.Event(3420, "up left");
    s.Click(3430, 320, 20);
    // The title: its opening cut short, the menu.
    s.Click(3570, 300, 300);
    s.Shot(3630, "e_title.png");
    s.Event(3640, "quit");
    return Sorted(s.Text());
}

// Plays one part of the game: it ends cleanly after `frames` frames and leaves
// nothing in the error log.
::testing::AssertionResult PlaysCleanly(const GameCopy& game, const std::string& script, const char* what,
                                        int frames) {
    const RunResult r = game.Play(script, what);
    if (r.exitCode != 0) return ::testing::AssertionFailure() << what << ": exit " << r.exitCode << "\n" << r.output;
    if (r.output.find("frames: " + std::to_string(frames)) == std::string::npos)
        return ::testing::AssertionFailure() << what << ": not " << frames << " frames\n" << r.output;
    const std::string log = game.ErrorLog();
    if (!log.empty()) return ::testing::AssertionFailure() << what << ": error log\n" << log;
    return ::testing::AssertionSuccess();
}

// The save between chapters in row `row`: chapter `chapter` of "Expert" without a
// field, the party on that map with `money`; no later row used; the slot index lists
// every row so far (`expected` gains this one).
testsupport::SaveSlot CheckChapterSave(const GameCopy& game, int row, int chapter, int money,
                                       SaveSlotInfo* expected) {
    testsupport::SaveSlot slot = game.ReadSlot(row);
    EXPECT_TRUE(slot.loaded);
    EXPECT_EQ(slot.type, ChapterSave);
    EXPECT_EQ(slot.chapter, std::to_string(chapter));
    EXPECT_EQ(slot.difficulty, "3");
    EXPECT_FALSE(slot.hasField);
    EXPECT_EQ(slot.party.nMap, chapter);
    EXPECT_EQ(slot.party.nMoney, money);
    for (int i = row + 1; i < kSaveSlotCount; ++i) EXPECT_FALSE(game.Has(CArchiveManager::SlotFileName(i))) << i;
    expected[row].nChapter = chapter;
    expected[row].strSaveType = ChapterSave;
    expected[row].nDifficulty = 3;
    EXPECT_EQ(game.Bytes("SaveIndex.dat"), CArchiveManager::BuildIndexBytes(expected));
    return slot;
}

TEST(PlaythroughReplay, ANewGamePlaysEveryChapterToTheStaffRollAndBackToTheTitle) {
    GameCopy game;
    // Part one: the prologue, to the save between chapters.
    ASSERT_TRUE(PlaysCleanly(game, PrologueScript(), "new game to the first save", 3070));
    // The step onto the hill: Leon's line stays on screen after the click that raised it.
    EXPECT_TRUE(game.Shot("p_hill.png", 0, 350, 640, 130, "prologue_hill_line"));
    // The 3D battle of Leon's attack: the names and hit points under the stage.
    EXPECT_TRUE(game.Shot("p_battle.png", 0, 320, 640, 160, "prologue_battle_panels"));
    // The third turn's message: the map is held.
    EXPECT_TRUE(game.Shot("p_held.png", 100, 420, 440, 50, "prologue_held"));
    // The slot screen with the new save in the first row.
    EXPECT_TRUE(game.Shot("p_saved.png", 0, 0, 640, 130, "saved_slot"));

    // The slot and the slot index: "Stage2" of "Expert" in the first row.
    SaveSlotInfo expected[kSaveSlotCount];
    testsupport::SaveSlot slot = CheckChapterSave(game, 0, 1, 300, expected);
    ASSERT_EQ(slot.party.m_Heros.size(), 2u);
    EXPECT_EQ(slot.party.m_Heros[0].m_typeID, 5);  // Leon, a knight since the prologue's end
    EXPECT_EQ(slot.party.m_Heros[1].m_typeID, 2);  // Sera

    // Part two: from that save to the save after chapter one.
    const std::vector<unsigned char> first = game.Bytes("Save0.dat");
    ASSERT_TRUE(PlaysCleanly(game, ChapterOneScript(), "first save to the second", 3850));
    EXPECT_TRUE(game.Shot("c_battle.png", 0, 320, 640, 160, "chapter1_battle_panels"));
    // The first save is as it was; the second row holds chapter two's.
    EXPECT_EQ(game.Bytes("Save0.dat"), first);
    slot = CheckChapterSave(game, 1, 2, 1800, expected);
    ASSERT_EQ(slot.party.m_Heros.size(), 5u);
    EXPECT_EQ(slot.party.m_Heros[0].m_typeID, 5);   // Leon
    EXPECT_EQ(slot.party.m_Heros[1].m_typeID, 2);   // Sera
    EXPECT_EQ(slot.party.m_Heros[2].m_typeID, 3);   // Gard
    EXPECT_EQ(slot.party.m_Heros[3].m_typeID, 4);   // Mina
    EXPECT_EQ(slot.party.m_Heros[4].m_typeID, 31);  // Zaira, since chapter one's end

    // Part three: from that save to the save after chapter two.
    const std::vector<unsigned char> second = game.Bytes("Save1.dat");
    ASSERT_TRUE(PlaysCleanly(game, ChapterTwoScript(), "second save to the third", 3550));
    EXPECT_TRUE(game.Shot("d_battle.png", 0, 320, 640, 160, "chapter2_battle_panels"));
    // The scouts' counter-attack in the enemy phase: Leon defends.
    EXPECT_TRUE(game.Shot("d_enemy_battle.png", 0, 320, 640, 160, "chapter2_enemy_battle_panels"));
    // The second turn's message: the gate is taken, the map won.
    EXPECT_TRUE(game.Shot("d_won.png", 0, 400, 460, 80, "chapter2_won"));
    EXPECT_EQ(game.Bytes("Save0.dat"), first);
    EXPECT_EQ(game.Bytes("Save1.dat"), second);
    slot = CheckChapterSave(game, 2, 3, 3080, expected);  // with chapter two's reward of 800
    ASSERT_EQ(slot.party.m_Heros.size(), 5u);
    EXPECT_EQ(slot.party.m_Heros[4].m_typeID, 31);  // Zaira, who stays at the pass
    const std::vector<unsigned char> index = game.Bytes("SaveIndex.dat");

    // Part four: from that save to the title.
    const std::vector<unsigned char> third = game.Bytes("Save2.dat");
    ASSERT_TRUE(PlaysCleanly(game, ChapterThreeScript(), "third save to the title", 3640));
    // The preparation of a later map: the remaining cost over its limit, the heroes'
    // range and the roster (Leon on A by order, Mina on B, Zaira kept back); the
    // start question on two lines over its answers.
    EXPECT_TRUE(game.Shot("e_hub.png", 0, 240, 165, 150, "chapter3_hub_cost"));
    EXPECT_TRUE(game.Shot("e_question.png", 160, 88, 300, 104, "chapter3_question"));
    // The field as the first turn begins: the heroes on their points, Leon's line.
    EXPECT_TRUE(game.Shot("e_field.png", 0, 0, 640, 480, "chapter3_field"));
    EXPECT_TRUE(game.Shot("e_battle.png", 0, 320, 640, 160, "chapter3_battle_panels"));
    // Mina on the gate: Leon's line as the map is won.
    EXPECT_TRUE(game.Shot("e_gate.png", 0, 0, 640, 480, "chapter3_gate"));
    EXPECT_TRUE(game.Shot("e_continued.png", 0, 440, 240, 40, "to_be_continued"));
    EXPECT_TRUE(game.Shot("e_roll.png", 160, 0, 320, 480, "staff_roll"));
    EXPECT_TRUE(game.Shot("e_end.png", 480, 380, 160, 100, "end_card"));
    EXPECT_TRUE(game.Shot("e_title.png", 400, 270, 230, 175, "title_menu"));
    // Nothing saved on the way: the saves and their summary are as they were.
    EXPECT_EQ(game.Bytes("Save0.dat"), first);
    EXPECT_EQ(game.Bytes("Save1.dat"), second);
    EXPECT_EQ(game.Bytes("Save2.dat"), third);
    EXPECT_EQ(game.Bytes("SaveIndex.dat"), index);
    for (int i = 3; i < kSaveSlotCount; ++i) EXPECT_FALSE(game.Has(CArchiveManager::SlotFileName(i))) << i;
}

// ---- a map lost -------------------------------------------------------------------------

// Where Leon stands (the camera's unit) and the enemy beside him.
constexpr int kLeonX = 2, kLeonY = 9;
constexpr int kEnemyX = 3, kEnemyY = 9;

// A field save of the prologue's first turn in slot 0: Leon, the only hero on the
// map, worn down to one hit point, an enemy band beside him.
::testing::AssertionResult WriteLastStandSave(const std::string& folder) {
    return testsupport::WriteFieldSave(folder, [](C_FieldTaskInfo& info) {
        CUnitList& units = info.m_UnitList;
        int heroes = 0;
        for (int u = 0; u < units.GetCount(); ++u) {
            if (!units.IsFriend(u) || !units.IsHero(u)) continue;
            ++heroes;
            EXPECT_EQ(units.GetX(u), kLeonX);
            EXPECT_EQ(units.GetY(u), kLeonY);
            for (int j = 0; j < units.GetMemberCount(u); ++j) info.m_PersonList.SetHP(units.GetMember(u, j), 1);
        }
        EXPECT_EQ(heroes, 1);
        testsupport::MoveEnemies(info, {{kEnemyX, kEnemyY}});
        testsupport::LookAt(info, kLeonX, kLeonY);
    });
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
    ASSERT_TRUE(WriteLastStandSave(game.path()));
    const std::vector<unsigned char> save = game.Bytes("Save0.dat"), index = game.Bytes("SaveIndex.dat");
    ASSERT_TRUE(PlaysCleanly(game, LastStandScript(), "a map lost", 1410));
    // Leon's last battle: his hit points run out.
    EXPECT_TRUE(game.Shot("l_battle.png", 0, 320, 640, 160, "last_stand_battle_panels"));
    // The game-over picture, its title and band centred on the screen.
    EXPECT_TRUE(game.Shot("l_game_over.png", 0, 260, 640, 140, "game_over"));
    EXPECT_TRUE(game.Shot("l_title.png", 400, 270, 230, 175, "title_menu"));
    // The loss changes no save.
    EXPECT_EQ(game.Bytes("Save0.dat"), save);
    EXPECT_EQ(game.Bytes("SaveIndex.dat"), index);
}

// ---- chapter three's later turns ----------------------------------------------------

// Sera, worn down to one hit point, on the city's road beside the wyverns and their
// priest.
constexpr int kSeraX = 12, kSeraY = 10;

// A field save of chapter three's first turn in slot 0: the four heroes in the camp,
// the scouts among them; Sera and the wyverns on the city's road.
::testing::AssertionResult WriteGateSave(const std::string& folder) {
    return testsupport::WriteFieldSave(
        folder,
        [](C_FieldTaskInfo& info) {
            testsupport::AddUnit(info, {5}, 9, 4, 14);
            testsupport::AddUnit(info, {4}, 8, 3, 15);
            testsupport::AddUnit(info, {3}, 8, 2, 14);
            const int sera = testsupport::AddUnit(info, {2}, 8, kSeraX, kSeraY);
            info.m_PersonList.SetHP(info.m_UnitList.GetMember(sera, 0), 1);
            // The script's scouts and wyverns come first in the list, then the map's
            // guards and Volg, who stay.
            testsupport::MoveEnemies(info, {{6, 14}, {kSeraX + 1, kSeraY}, {8, 6}, {15, 6}, {12, 2}});
            // Four enemies already down: the first battle from the second turn on
            // raises Leon's call.
            for (int i = 0; i < 4; ++i) info.m_UnitList.AddDefeated(0, 20);
        },
        0, FieldSave, 3);
}

// "LOAD GAME", the first slot, "resume": the wyverns over the road raise a line of
// Leon's (the one hero sure to be on the field), the scouts in the camp another.  The
// minimap takes the camera to Sera; she attacks the wyverns where she stands, their
// priest heals in the battle and she falls to the counter: Leon's line.  The turn
// ended; the enemy's phase (Volg's line, a battle); the second turn counts the gate
// down: Leon's line at the gate.  That turn ended, the enemy's battle raises his call
// with four enemies down.
std::string GateScript() {
    Script s;
    s.Click(61, 300, 300).Click(100, 500, 330).Click(121, 320, 100).Click(141, 215, 200);
    s.Shot(180, "g_wyverns.png").Click(200, 320, 20);
    s.Shot(225, "g_camp.png").Click(240, 320, 20);
    s.Click(270, 491, 378);
    s.Event(280, "move 320 240");
    s.Click(310, 320, 268).Click(350, 320, 268).Click(420, 242, 279);  // Sera, stays, ATTACK
    s.Click(480, 376, 296).Click(580, 359, 296);                       // the wyverns, OK
    s.Shot(800, "g_battle.png");
    s.Shot(1100, "g_fallen.png").Click(1150, 320, 20);
    s.EndTurn(1200);
    s.Click(1350, 320, 20);
    s.Shot(2560, "g_gate.png").Click(2600, 320, 20);
    s.EndTurn(2820);
    s.Shot(3480, "g_spirits.png").Click(3520, 320, 20);
    s.Event(3600, "quit");
    return Sorted(s.Text());
}

TEST(PlaythroughReplay, ChapterThreesLaterTurnsRaiseTheirEvents) {
    GameCopy game;
    ASSERT_TRUE(WriteGateSave(game.path()));
    ASSERT_TRUE(PlaysCleanly(game, GateScript(), "chapter three's later turns", 3600));
    // Each line in its window: a unit kind in an area, any enemy in an area, a hero
    // fallen, a value counted down, enemies fallen from the second turn on.
    const std::pair<const char*, const char*> lines[] = {{"g_wyverns.png", "chapter3_wyverns_line"},
                                                         {"g_camp.png", "chapter3_camp_line"},
                                                         {"g_fallen.png", "chapter3_fallen_line"},
                                                         {"g_gate.png", "chapter3_gate_count_line"},
                                                         {"g_spirits.png", "chapter3_spirits_line"}};
    for (const auto& [file, golden] : lines) EXPECT_TRUE(game.Shot(file, 0, 355, 640, 125, golden)) << file;
    // The priest's healing in the battle.
    EXPECT_TRUE(game.Shot("g_battle.png", 0, 320, 640, 160, "chapter3_priest_battle_panels"));
}

}  // namespace
