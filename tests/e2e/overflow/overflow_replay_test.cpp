// A battle from the field on a person table whose strength is at the int limit and
// whose guards are nothing: every blow is as large as a blow can be, so the few blows
// that one member takes in an exchange add up past the int range.  The fallen must
// leave with no hit points, the survivors keep theirs, and the save loads back.
#include <map>

#include "../battle/field_battle.h"

namespace {

using namespace fieldbattle;

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
    std::map<std::string, std::string> columns;
    for (const char* h : {"HP", "str", "mag", "dex"}) columns[h] = "2147483647";
    for (const char* h : {"spd", "guard", "guardarrow", "guardmagic"}) columns[h] = "0";
    ReplacePersonColumns(game.path(), columns);

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
