// A battle from the field on a person table whose strength is at the int limit and
// whose guards are nothing: every blow is as large as a blow can be, so the few blows
// that one member takes in an exchange add up past the int range.  The fallen must
// leave with no hit points, the survivors keep theirs, and the save loads back.
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "../battle/field_battle.h"

namespace {

namespace fs = std::filesystem;
using namespace fieldbattle;

// The demo's person table with the named columns, found by their headers, overwritten.
std::string PersonTableWith(const std::map<std::string, std::string>& columns) {
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
    return out;
}

// Persons of the units at the actor's and the enemy's cells.
std::vector<int> PersonsAt(const C_FieldTaskInfo& info, const Layout& layout) {
    std::vector<int> persons;
    for (auto [x, y] : {std::pair{layout.actorX, layout.actorY}, std::pair{kEnemyX, kEnemyY}}) {
        const int u = info.m_UnitList.FindUnitAt(x, y);
        for (int j = 0; u >= 0 && j < info.m_UnitList.GetMemberCount(u); ++j)
            persons.push_back(info.m_UnitList.GetMember(u, j));
    }
    return persons;
}

TEST(OverflowReplay, BlowsAtTheLimitOnOneMemberFellItWithNoHitPointsLeft) {
    GameCopy game;
    const fs::path data = fs::path(game.path()) / "gamedata";
    fs::remove(data);
    fs::create_directory(data);
    for (const auto& e : fs::directory_iterator(fs::path(VORMANT_GAME_DIR) / "gamedata"))
        if (e.path().filename() != "person.csv") fs::create_symlink(e.path(), data / e.path().filename());
    std::map<std::string, std::string> columns;
    for (const char* h : {"HP", "str", "mag", "dex"}) columns[h] = "2147483647";
    for (const char* h : {"spd", "guard", "guardarrow", "guardmagic"}) columns[h] = "0";
    std::ofstream(data / "person.csv", std::ios::binary) << PersonTableWith(columns);

    Case c{"overflow", {{1, 2, 3, 4}}, Command::Attack};
    c.movesAfter = true;
    const Outcome before = WriteSave(game.path(), c.layout);
    std::vector<int> persons;
    testsupport::ReadFieldSave(game.path(), 0, [&](const C_FieldTaskInfo& info) { persons = PersonsAt(info, c.layout); });
    const testsupport::ReplayResult r = game.Replay(Script(c));
    ASSERT_EQ(r.exitCode, 0) << r.output;

    bool acted = false;
    const Outcome after = ReadSave(game.path(), c.layout, &acted);
    ASSERT_TRUE(acted);
    // Three blows of a billion or more struck one enemy of 2147483647 hit points.
    EXPECT_EQ(after.enemy.size(), before.enemy.size() - 1);
    testsupport::ReadFieldSave(game.path(), 0, [&](const C_FieldTaskInfo& info) {
        const std::vector<int> standing = PersonsAt(info, c.layout);
        for (int p : persons) {
            const PersonRecord& rec = info.m_PersonList.GetPerson(p);
            const bool stands = std::find(standing.begin(), standing.end(), p) != standing.end();
            EXPECT_EQ(rec.bExist, stands ? 1 : 0) << p;
            if (stands) EXPECT_GT(rec.nHP, 0) << p;
            else EXPECT_EQ(rec.nHP, 0) << p;
        }
    });
}

}  // namespace
