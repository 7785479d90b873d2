#pragma once
// Battles started from the field by a player's command, played through vormant-replay:
// a field save of chapter 0 puts a unit of the demo's people beside the first enemy
// unit (and, for support spells, a wounded friend beside it), the replay loads it,
// gives the command with clicks, and saves again from the field menu once the battle
// is over, so that the test reads the results back from the save.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "field_save.h"
#include "game_copy.h"
#include "replay_script.h"

namespace fieldbattle {

using testsupport::CellX;
using testsupport::CellY;
using testsupport::Click;
using testsupport::Shot;

// Keeps its pictures where VORMANT_BATTLE_SHOTS names a folder (for looking).
class GameCopy : public testsupport::GameCopy {
public:
    explicit GameCopy(std::string tag = "")
        : testsupport::GameCopy({"e2e/battle/", "VORMANT_BATTLE_SHOTS", std::move(tag)}) {}
};

// Where the camera looks when the save is loaded, where the acting unit stands, the
// enemy it strikes and the friend a support spell heals.
constexpr int kCameraX = 2, kCameraY = 9;
constexpr int kActorX = 3, kActorY = 9;
constexpr int kEnemyX = 3, kEnemyY = 8;
constexpr int kFriendX = 4, kFriendY = 9;

struct Layout {
    std::vector<int> actor;         // person types of the acting unit, front first
    int level = 10;
    int actorX = kActorX, actorY = kActorY;
    int charge = 0;                 // cannon charge of the acting unit
    std::vector<int> wounded;       // person types of a wounded friend (none when empty)
    int woundedHP = 3;              // the friend's members' HP
};

// Members' HP of the units at the actor's, the enemy's and the friend's cells.
struct Outcome {
    std::vector<int> actor, enemy, wounded;
};

using testsupport::MemberHP;

// Gives the copied game folder the demo's person table with the named columns (found by
// their headers) overwritten in every row; the other data files stay the game's own.
inline void ReplacePersonColumns(const std::string& folder, const std::map<std::string, std::string>& columns) {
    namespace fs = std::filesystem;
    const fs::path data = fs::path(folder) / "gamedata";
    fs::remove(data);
    fs::create_directory(data);
    for (const auto& e : fs::directory_iterator(fs::path(VORMANT_GAME_DIR) / "gamedata"))
        if (e.path().filename() != "person.csv") fs::create_symlink(e.path(), data / e.path().filename());
    std::ifstream in(fs::path(VORMANT_GAME_DIR) / "gamedata" / "person.csv", std::ios::binary);
    std::vector<std::string> header, cells;
    std::string out;
    for (std::string line; std::getline(in, line); out += "\r\n", cells.clear()) {
        std::stringstream row(line.substr(0, line.find('\r')));
        for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
        const bool isHeader = header.empty();
        if (isHeader) header = cells;
        for (size_t c = 0; c < cells.size(); ++c) {
            const auto e = columns.find(!isHeader && c < header.size() ? header[c] : "");
            out += (c ? "," : "") + (e == columns.end() ? cells[c] : e->second);
        }
    }
    std::ofstream(data / "person.csv", std::ios::binary) << out;
}

// Writes the field save of `layout` into slot 1 of `folder` and gives the HP as saved.
inline Outcome WriteSave(const std::string& folder, const Layout& layout) {
    Outcome before;
    EXPECT_TRUE(testsupport::WriteFieldSave(folder, [&](C_FieldTaskInfo& info) {
        const int unit = testsupport::AddUnit(info, layout.actor, layout.level, layout.actorX, layout.actorY, 99);
        info.m_UnitList.SetCharge(unit, layout.charge);
        const int friendUnit = testsupport::AddUnit(info, layout.wounded, layout.level, kFriendX, kFriendY);
        if (friendUnit >= 0)
            for (int j = 0; j < info.m_UnitList.GetMemberCount(friendUnit); ++j)
                info.m_UnitList.SetMemberHP(friendUnit, j, layout.woundedHP);
        testsupport::MoveEnemies(info, {{kEnemyX, kEnemyY}});
        testsupport::LookAt(info, kCameraX, kCameraY);
        before.actor = MemberHP(info, layout.actorX, layout.actorY);
        before.enemy = MemberHP(info, kEnemyX, kEnemyY);
        before.wounded = MemberHP(info, kFriendX, kFriendY);
    }));
    return before;
}

// The HP in the save of slot 1 (empty lists when it cannot be read), and the turn flag
// of the acting unit.
inline Outcome ReadSave(const std::string& folder, const Layout& layout, bool* acted = nullptr) {
    Outcome after;
    testsupport::ReadFieldSave(folder, 0, [&](const C_FieldTaskInfo& info) {
        after.actor = MemberHP(info, layout.actorX, layout.actorY);
        after.enemy = MemberHP(info, kEnemyX, kEnemyY);
        after.wounded = MemberHP(info, kFriendX, kFriendY);
        const int u = info.m_UnitList.FindUnitAt(layout.actorX, layout.actorY);
        if (acted) *acted = u >= 0 && info.m_UnitList.IsActEnd(u);
    });
    return after;
}

inline int Sum(const std::vector<int>& v) {
    int s = 0;
    for (int x : v) s += x;
    return s;
}

enum class Command { Attack, Support, Cannon };

// One battle given from the field: who acts, the command, the skill and the pictures.
struct Case {
    const char* name;                 // for the messages and the golden's name
    Layout layout;
    Command command = Command::Attack;
    int row = 0;                      // skill row: 0 keeps the one the menu chose
    bool single = false;              // the chosen spell asks for its target
    int look = 0;                     // the frame of the battle's picture "look.png"
    bool golden = false;              // compared with its golden image
    bool all = false;                 // every member on the other side is struck (or healed)
    bool movesAfter = false;          // the unit may still move after its blow
};

inline void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// The part of the battle's 3D view that the pictures compare: both sides and the
// space between them.
constexpr int kViewX = 120, kViewY = 20, kViewW = 400, kViewH = 280;

// The battle is over and the field back by this frame; the replay ends at the other.
constexpr int kSaveFrame = 1000;
constexpr int kQuitFrame = kSaveFrame + 200;

// The whole replay of a case: the load, the command, pictures at `shots`, and the
// save from the field menu after the battle (a right click ends a move that the unit
// may still make; another one opens the menu).
inline std::string Script(const Case& c) {
    std::string s = testsupport::LoadFirstSlot();
    const int ax = CellX(c.layout.actorX, c.layout.actorY, kCameraX, kCameraY);
    const int ay = CellY(c.layout.actorX, c.layout.actorY, kCameraX, kCameraY);
    s += Click(210, ax, ay);
    s += Click(250, ax, ay);
    // From here the camera is on the acting unit.
    const int ex = CellX(kEnemyX, kEnemyY, c.layout.actorX, c.layout.actorY);
    const int ey = CellY(kEnemyX, kEnemyY, c.layout.actorX, c.layout.actorY);
    if (c.command == Command::Cannon) {
        s += Click(300, 321, 279);                    // CANNON
        s += Click(340, 100, 88 + 158 * c.row / 10);  // the spell in the skill list
        s += Click(390, ex, ey);                      // the enemy's cell
    } else {
        if (c.command == Command::Attack) {
            s += Click(300, 242, 279);  // ATTACK
            s += Click(350, ex, ey);
        } else {
            s += Click(300, 241, 304);  // SUPPORT
            s += Click(350, CellX(kFriendX, kFriendY, c.layout.actorX, c.layout.actorY),
                       CellY(kFriendX, kFriendY, c.layout.actorX, c.layout.actorY));
        }
        if (c.row > 0) {
            s += Click(400, 190, 89);  // the skill line of the battle confirmation
            s += Click(440, 100, 88 + 158 * c.row / 10);
            if (c.single) s += Click(470, 398, 75);  // the first member on the other side
        }
        s += Click(500, 359, 296);  // OK
    }
    s += Shot(c.look, "look.png");
    if (c.movesAfter) s += Click(kSaveFrame - 40, 480, 150, "right");  // the move after the blow: none
    s += Click(kSaveFrame, 480, 150, "right");  // the field menu, from an empty cell
    s += Click(kSaveFrame + 80, 80, 76);    // "セーブ"
    s += Click(kSaveFrame + 120, 320, 100); // the first slot
    s += Click(kSaveFrame + 160, 270, 210); // "はい": over the save that was loaded
    s += Shot(kSaveFrame + 195, "saved.png");
    s += std::to_string(kQuitFrame) + " quit\n";
    return s;
}

}  // namespace fieldbattle

namespace fieldbattle {

// Plays a case and checks what every case shares: the replay ran to its end, every
// effect the battle asked for exists, the picture shows the battle (its black band
// under the 3D view; its golden when the case has one), and the field's save holds
// the battle's result.
inline void Play(const Case& c) {
    GameCopy game(std::string(c.name) + "_");
    const Outcome before = WriteSave(game.path(), c.layout);
    const testsupport::ReplayResult r = game.Replay(Script(c));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("frames: " + std::to_string(kQuitFrame)), std::string::npos) << r.output;
    const std::string log = game.ErrorLog();
    EXPECT_EQ(log.find(reinterpret_cast<const char*>(u8"戦闘エフェクト")), std::string::npos) << log;
    const std::vector<uint32_t> band = game.Crop("look.png", 0, 470, 8, 8);
    ASSERT_EQ(band.size(), 64u);
    for (uint32_t p : band) EXPECT_EQ(p & 0xFFFFFF, 0u);
    if (c.golden) {
        EXPECT_TRUE(game.Shot("look.png", kViewX, kViewY, kViewW, kViewH, c.name));
    }

    bool acted = false;
    Outcome after = ReadSave(game.path(), c.layout, &acted);
    EXPECT_TRUE(acted);
    // A member who fell leaves the unit (and the unit goes when all fell): the fallen
    // count as HP 0 after the survivors, who keep their order.
    ASSERT_LE(after.enemy.size(), before.enemy.size());
    const size_t survivors = after.enemy.size();
    after.enemy.resize(before.enemy.size(), 0);
    ASSERT_EQ(after.wounded.size(), before.wounded.size());
    if (c.command == Command::Support) {
        EXPECT_GT(Sum(after.wounded), Sum(before.wounded));
        EXPECT_EQ(Sum(after.enemy), Sum(before.enemy));
        for (size_t j = 0; c.all && j < after.wounded.size(); ++j) {
            EXPECT_GT(after.wounded[j], before.wounded[j]) << j;
        }
    } else {
        EXPECT_LT(Sum(after.enemy), Sum(before.enemy));
        const int most = *std::max_element(before.enemy.begin(), before.enemy.end());
        for (size_t j = 0; c.all && j < after.enemy.size(); ++j) {
            EXPECT_LT(after.enemy[j], survivors == before.enemy.size() ? before.enemy[j] : most) << j;
        }
    }
}

}  // namespace fieldbattle
