// A whole player's turn played through the real program from prepared field saves:
// a move undone, a unit split through the member menu and joined again, an attack
// whose skill and target are changed in the confirmation, cannon magic and a charge,
// a save from the field menu read back (positions, HP, charge) and loaded at the title.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "field_save.h"
#include "game_copy.h"
#include "replay_script.h"

namespace {

using RunResult = testsupport::ReplayResult;
using testsupport::At;
using testsupport::Click;
using testsupport::Differing;
using testsupport::Move;
using testsupport::RightClick;
using testsupport::Shot;

// Keeps its pictures and saves where VORMANT_TURN_SHOTS names a folder (for looking).
class GameCopy : public testsupport::GameCopy {
public:
    GameCopy() : testsupport::GameCopy({"e2e/turn/", "VORMANT_TURN_SHOTS"}) {}
};

// One person of a prepared unit: its type, level and the cell of its unit.
struct Placed {
    int type, level, x, y;
};

// A field save of chapter 0 in slot `slot` (0 = "Save0.dat"): the map's own units,
// the heroes of `heroes` (each a unit of one), the enemy bands moved to `enemyAt`
// (in list order), the camera on (cx, cy).  `prepare` may change the field further.
template <class Prepare>
void WriteSave(const std::string& folder, int slot, const std::vector<Placed>& heroes,
               const std::vector<std::pair<int, int>>& enemyAt, int cx, int cy, Prepare prepare) {
    ASSERT_TRUE(testsupport::WriteFieldSave(
        folder,
        [&](C_FieldTaskInfo& info) {
            for (const Placed& h : heroes) testsupport::AddUnit(info, {h.type}, h.level, h.x, h.y);
            testsupport::MoveEnemies(info, enemyAt);
            prepare(info);
            testsupport::LookAt(info, cx, cy);
        },
        slot));
}

// Where the camera looks after a load: Leon's unit (made by the chapter's start at
// (2, 9)), which the field centres on.
constexpr int kCameraX = 2, kCameraY = 9;

// The centre of a cell on the screen with the camera on Leon.
int CellX(int x, int y) { return testsupport::CellX(x, y, kCameraX, kCameraY); }
int CellY(int x, int y) { return testsupport::CellY(x, y, kCameraX, kCameraY); }

// The unit of the field whose first member is of type `type`; -1 when none.
int UnitOfType(const CUnitList& units, int type) {
    for (int u = 0; u < units.GetCount(); ++u)
        if (units.GetMemberCount(u) > 0 && units.GetMemberTypeID(u, 0) == type) return u;
    return -1;
}

// The moves: the map's band of a swordsman and an archer moved to (3, 9), Leon, and
// Sera at (3, 11).
constexpr int kBandX = 3, kBandY = 9;
void WriteSaveA(const std::string& folder, int slot) {
    WriteSave(folder, slot, {{2, 1, 3, 11}}, {}, kCameraX, kCameraY, [](C_FieldTaskInfo& info) {
        info.m_UnitList.SetUnitPosition(UnitOfType(info.m_UnitList, 10), kBandX, kBandY);
    });
}

// The fights: the first enemy band (two bandits, both in the front row) in front of
// Leon at (2, 8), the second at (1, 7); Sera at (3, 11) with a full charge; Mina at
// (1, 9), whose cannon magic needs one charge.
void WriteSaveB(const std::string& folder, int slot) {
    WriteSave(folder, slot, {{2, 1, 3, 11}, {4, 1, 1, 9}}, {{2, 8}, {1, 7}}, kCameraX, kCameraY,
              [](C_FieldTaskInfo& info) {
                  CUnitList& units = info.m_UnitList;
                  units.SetCharge(UnitOfType(units, 2), 3);
                  const int band = UnitOfType(units, 20);
                  for (int j = 0; j < units.GetMemberCount(band); ++j) units.GetMemberPerson(band, j).bForward = 1;
              });
}

// One unit of a save as the field reads it back.
struct SavedUnit {
    int x = -1, y = -1, charge = 0;
    bool moved = false, acted = false, isFriend = false;
    std::vector<int> types, hp;  // per member slot
};

// The units of save `slot`, read back through the field as a load at the title does.
std::vector<SavedUnit> ReadSave(const std::string& folder, int slot) {
    std::vector<SavedUnit> out;
    testsupport::ReadFieldSave(folder, slot, [&](const C_FieldTaskInfo& info) {
        const CUnitList& units = info.m_UnitList;
        for (int u = 0; u < units.GetCount(); ++u) {
            SavedUnit s;
            s.x = units.GetX(u);
            s.y = units.GetY(u);
            s.charge = units.GetCharge(u);
            s.moved = units.IsMoveEnd(u);
            s.acted = units.IsActEnd(u);
            s.isFriend = units.IsFriend(u);
            for (int j = 0; j < units.GetMemberCount(u); ++j) {
                s.types.push_back(units.GetMemberTypeID(u, j));
                s.hp.push_back(units.GetMemberHP(u, j));
            }
            out.push_back(s);
        }
    });
    return out;
}

// The saved unit whose first member is of type `type` (nullptr when none).
const SavedUnit* Find(const std::vector<SavedUnit>& units, int type) {
    for (const SavedUnit& u : units)
        if (!u.types.empty() && u.types[0] == type) return &u;
    return nullptr;
}
const SavedUnit* FindAt(const std::vector<SavedUnit>& units, int x, int y) {
    for (const SavedUnit& u : units)
        if (u.x == x && u.y == y) return &u;
    return nullptr;
}

std::string Dump(const std::vector<SavedUnit>& units) {
    std::string t;
    for (const SavedUnit& u : units) {
        t += "(" + std::to_string(u.x) + "," + std::to_string(u.y) + ") charge " + std::to_string(u.charge) +
             (u.moved ? " moved" : "") + (u.acted ? " acted" : "") + (u.isFriend ? " friend" : " enemy") + ":";
        for (size_t j = 0; j < u.types.size(); ++j)
            t += " " + std::to_string(u.types[j]) + "/" + std::to_string(u.hp[j]);
        t += "\n";
    }
    return t;
}


// ---- scripts -------------------------------------------------------------------------------------

// Through the opening to the title menu, "LOAD GAME", file `file` (1 to 6) and
// "resume"; the field from about frame 150.
std::string LoadAtTheTitle(int file) {
    return Click(50, 300, 300) + Click(90, 500, 330) + Click(110, 320, 100 + 66 * (file - 1)) + Click(130, 215, 200) +
           Move(150, 320, 240);
}

// The field menu opened by a right click on the empty cell at (x, y), its "セーブ",
// and file `file` of the save window (an empty one: no question is asked).
std::string SaveFromTheField(int frame, int x, int y, int file) {
    return RightClick(frame, x, y) + Click(frame + 20, 80, 76) + Click(frame + 60, 320, 100 + 66 * (file - 1));
}

// Command panel buttons (the panel at (30, 40)).
constexpr int kMoveAllX = 81, kMoveX = 161, kAttackX = 241, kCannonX = 321, kButtonY = 279;
constexpr int kCloseX = 321, kCloseY = 304;
// Member menu: the places of the right side's front row, the left side's first place,
// the move button.
constexpr int kRightFrontX = 540, kRightFront0Y = 105, kRightFront1Y = 170, kLeftFirstX = 97, kLeftFirstY = 105;
constexpr int kMoveButtonX = 255, kMoveButtonY = 268;

// Moves (the camera on Leon at (2, 9), then on the unit in hand: the commands put the
// camera on their unit).
//  1. A left click on the band at (3, 9): its move area; the cell below it (3, 10);
//     the command panel after the walk is cancelled with the right button: the move
//     is undone and the area shown again; a second right click gives the move up.
//  2. Saved to file 2 from the field menu.
//  3. The band's command panel (right click), "move" with the choice of members, the
//     cell (2, 6): the member menu puts both on the right ("go"); the swordsman is put
//     back on the left, the archer goes alone; its panel is closed.
//  4. The swordsman's panel, "move all", the archer's cell: the member menu of a join;
//     the swordsman is put on the right beside the archer, and the two are one unit
//     at (2, 6) again; its panel is closed.
//  5. The field menu's other view, and saved to file 3.
std::string MovesScript() {
    std::string s = LoadAtTheTitle(1);
    s += Click(160, 376, 296) + Shot(190, "move_area.png");
    s += Click(200, 320, 324) + Shot(270, "moved.png");
    s += RightClick(280, 320, 324) + Shot(310, "undone.png");
    s += RightClick(310, 320, 324) + Shot(340, "given_up.png");
    s += SaveFromTheField(350, 480, 200, 2);
    // The camera is on (3, 10) since the walk.
    s += RightClick(450, 376, 240) + Click(480, kMoveX, kButtonY);
    s += Click(510, 432, 156) + Shot(545, "split_menu.png");
    s += Click(550, kRightFrontX, kRightFront0Y) + Click(570, kLeftFirstX, kLeftFirstY);
    s += Click(590, kMoveButtonX, kMoveButtonY) + Click(670, kCloseX, kCloseY) + Shot(700, "split.png");
    // The camera is on the archer at (2, 6): the swordsman stands at (3, 9).
    s += RightClick(710, 208, 380) + Click(740, kMoveAllX, kButtonY);
    s += Click(770, 432, 156);
    s += Click(800, kLeftFirstX, kLeftFirstY) + Click(820, kRightFrontX, kRightFront1Y);
    s += Move(840, kMoveButtonX, kMoveButtonY) + Shot(845, "join_menu.png") + Click(840, kMoveButtonX, kMoveButtonY);
    s += Shot(920, "joined_panel.png") + Click(930, kCloseX, kCloseY);
    s += RightClick(960, 500, 180) + Click(990, 80, 60) + Shot(1010, "operation.png");
    s += Click(1020, 80, 76) + Click(1060, 320, 232) + Shot(1100, "saved.png");
    s += At(1110, "quit");
    return s;
}

// File 3 loaded at the title; the panel of the joined unit at (2, 6) (the camera on
// Leon again).
std::string LoadJoinedScript() {
    return LoadAtTheTitle(3) + RightClick(180, CellX(2, 6), CellY(2, 6)) + Move(200, 600, 20) +
           Shot(215, "loaded_panel.png") + At(220, "quit");
}

// Fights (the camera on Leon at (2, 9)):
//  1. Leon's panel, "attack", the bandits in front of him: the confirmation plans his
//     first skill on the first bandit; his skill line opens the skill menu, the
//     second skill ("強打") is taken, then the second bandit as his target; "ＯＫ".
//     The battle; the move that his passive skill allows after it is given up.
//  2. Saved to file 2.
//  3. Sera's panel, "cannon": the skill menu in cannon mode; her cannon magic (row 10),
//     its reach, the bandits' cell (both enemy bands stand within its area); the
//     battle and the cannon damage display.
//  4. Mina's panel, "cannon", the charge row: the charge animation.
//  5. Saved to file 3.
std::string FightsScript() {
    std::string s = LoadAtTheTitle(1);
    s += RightClick(160, CellX(2, 9), CellY(2, 9)) + Click(180, kAttackX, kButtonY);
    s += Click(210, CellX(2, 8), CellY(2, 8)) + Shot(250, "planned.png");
    s += Click(260, 190, 89) + Move(290, 150, 120) + Shot(295, "skills.png") + Click(290, 150, 120);
    s += Click(310, 398, 123) + Move(330, 359, 296) + Shot(338, "confirmation.png") + Click(330, 359, 296);
    s += Shot(500, "battle.png");
    s += RightClick(760, 200, 420);
    s += SaveFromTheField(790, 500, 200, 2);
    s += RightClick(890, CellX(3, 11), CellY(3, 11)) + Click(920, kCannonX, kButtonY);
    s += Move(950, 150, 248) + Shot(955, "cannon_skills.png") + Click(950, 150, 248);
    // The camera is on Sera at (3, 11).
    s += Move(980, 432, 156) + Shot(990, "cannon_reach.png") + Click(980, 432, 156);
    s += Shot(1490, "cannon_damage.png");
    // The camera is on the cell aimed at, (2, 8): Mina stands at (1, 9).
    s += RightClick(1590, 208, 268) + Click(1620, kCannonX, kButtonY);
    s += Click(1650, 150, 88) + Shot(1680, "charge.png");
    s += SaveFromTheField(1760, 500, 200, 3) + Shot(1870, "saved.png");
    s += At(1880, "quit");
    return s;
}

}  // namespace

TEST(TurnPlayReplay, AMoveUndoneAUnitSplitAndJoinedSavedAndLoadedAtTheTitle) {
    GameCopy game;
    WriteSaveA(game.path(), 0);
    const std::vector<SavedUnit> before = ReadSave(game.path(), 0);
    const RunResult r = game.Replay(MovesScript());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("frames: 1110"), std::string::npos) << r.output;

    // After the undo: the band stands where it stood, not moved, and nothing else
    // was made or lost.
    const std::vector<SavedUnit> undone = ReadSave(game.path(), 1);
    ASSERT_EQ(undone.size(), before.size()) << Dump(undone);
    const SavedUnit* band = FindAt(undone, kBandX, kBandY);
    ASSERT_NE(band, nullptr) << Dump(undone);
    EXPECT_EQ(band->types, (std::vector<int>{10, 12}));
    EXPECT_EQ(band->hp, FindAt(before, kBandX, kBandY)->hp);
    EXPECT_FALSE(band->moved);
    EXPECT_FALSE(band->acted);

    // After the split and the join: one unit of both at (2, 6), the archer (who went
    // first) leading; the cell it left is empty.
    const std::vector<SavedUnit> joined = ReadSave(game.path(), 2);
    ASSERT_EQ(joined.size(), before.size()) << Dump(joined);
    EXPECT_EQ(FindAt(joined, kBandX, kBandY), nullptr) << Dump(joined);
    const SavedUnit* one = FindAt(joined, 2, 6);
    ASSERT_NE(one, nullptr) << Dump(joined);
    EXPECT_EQ(one->types, (std::vector<int>{12, 10}));
    EXPECT_TRUE(one->moved);
    EXPECT_FALSE(one->acted);

    // The member menu of the join (what stays, what goes, both cells), as drawn.
    EXPECT_TRUE(game.Shot("join_menu.png", 10, 15, 620, 355, "join_menu"));
    // The split's menu put both members on the "go" side first; the join's shows the
    // archer's unit there.
    EXPECT_GT(Differing(game.Crop("split_menu.png", 460, 70, 160, 130), game.Crop("join_menu.png", 460, 70, 160, 130)),
              1000);
    // The undone move shows the area again; giving it up leaves the field as loaded.
    EXPECT_GT(Differing(game.Crop("moved.png", 0, 0, 640, 300), game.Crop("undone.png", 0, 0, 640, 300)), 10000);

    // File 3 loaded at the title: the joined unit's panel shows both members as the
    // panel after the join did.
    const RunResult l = game.Replay(LoadJoinedScript());
    ASSERT_EQ(l.exitCode, 0) << l.output;
    EXPECT_EQ(game.ErrorLog().find("不正なセーブファイルです"), std::string::npos);
    const auto plates = game.Crop("loaded_panel.png", 45, 100, 320, 132);
    ASSERT_FALSE(plates.empty());
    EXPECT_EQ(Differing(plates, game.Crop("joined_panel.png", 45, 100, 320, 132)), 0);
}

TEST(TurnPlayReplay, AnAttackWithAnotherSkillAndTargetCannonMagicAndACharge) {
    GameCopy game;
    WriteSaveB(game.path(), 0);
    const std::vector<SavedUnit> before = ReadSave(game.path(), 0);
    const RunResult r = game.Replay(FightsScript());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("frames: 1880"), std::string::npos) << r.output;

    // The confirmation after the change: "強打" and the arrow to the second bandit.
    EXPECT_TRUE(game.Shot("confirmation.png", 100, 30, 389, 295, "confirmation"));
    EXPECT_GT(Differing(game.Crop("planned.png", 100, 30, 389, 295), game.Crop("confirmation.png", 100, 30, 389, 295)),
              300);
    // The skill menu of the cannon: the charge row, Sera's cannon magic chosen, its help.
    EXPECT_TRUE(game.Shot("cannon_skills.png", 20, 40, 592, 264, "cannon_skills"));
    // The cannon damage display: the amounts beside the struck units' plates.
    EXPECT_TRUE(game.Shot("cannon_damage.png", 290, 60, 330, 160, "cannon_damage"));
    // The charge animation's lines around Mina.
    EXPECT_TRUE(game.Shot("charge.png", 200, 140, 240, 200, "charge"));

    // After the attack: only the second bandit (the chosen target) was struck; Leon
    // has moved and acted (the battle ends his turn).
    const std::vector<SavedUnit> attacked = ReadSave(game.path(), 1);
    const SavedUnit* bandits = FindAt(attacked, 2, 8);
    ASSERT_NE(bandits, nullptr) << Dump(attacked);
    ASSERT_EQ(bandits->hp.size(), 2u) << Dump(attacked);
    EXPECT_EQ(bandits->hp[0], FindAt(before, 2, 8)->hp[0]) << Dump(attacked);
    EXPECT_LT(bandits->hp[1], FindAt(before, 2, 8)->hp[1]) << Dump(attacked);
    const SavedUnit* leon = Find(attacked, 1);
    ASSERT_NE(leon, nullptr);
    EXPECT_TRUE(leon->acted);

    // After the cannon and the charge: the archer at (1, 7) (15 HP) is gone, the
    // bandits lost more; Sera spent her charge, Mina has one; both have acted.
    const std::vector<SavedUnit> after = ReadSave(game.path(), 2);
    EXPECT_EQ(FindAt(after, 1, 7), nullptr) << Dump(after);
    const SavedUnit* hit = FindAt(after, 2, 8);
    ASSERT_NE(hit, nullptr) << Dump(after);
    int left = 0, had = 0;
    for (int hp : hit->hp) left += hp;
    for (int hp : bandits->hp) had += hp;
    EXPECT_LT(left, had) << Dump(after);
    const SavedUnit* sera = Find(after, 2);
    const SavedUnit* mina = Find(after, 4);
    ASSERT_TRUE(sera && mina) << Dump(after);
    EXPECT_EQ(sera->charge, 0);
    EXPECT_TRUE(sera->acted);
    EXPECT_EQ(mina->charge, 1);
    EXPECT_TRUE(mina->acted);
    EXPECT_EQ(mina->x, 1);
    EXPECT_EQ(mina->y, 9);
}
