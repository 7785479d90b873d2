// A battle from the field on a person table at its limits (names of 40 and 20
// characters, stats at the int limit): the plates, the battle confirmation and the
// battle window keep every text in its box, and the save afterwards loads back equal.
#include <map>

#include "../battle/field_battle.h"

namespace {

using namespace fieldbattle;

// Names of 40 and 20 characters and stats at the int limit.
std::map<std::string, std::string> ExtremeColumns() {
    std::map<std::string, std::string> extreme;
    for (int k = 0; k < 40; ++k) extreme["name"] += "長", extreme["s_name"] += k < 20 ? "短" : "";
    for (const char* h : {"HP", "MP", "str", "mag", "dex", "spd", "guard", "guardarrow", "guardmagic", "LocateCost", "EXP"})
        extreme[h] = "2147483647";
    return extreme;
}

TEST(LimitsReplay, LongNamesAndStatsAtTheIntLimitStayInTheirWindowsAndSaveBackEqual) {
    GameCopy game;
    ReplacePersonColumns(game.path(), ExtremeColumns());

    const Case c{"limits", {{1, 2, 3, 4}}, Command::Attack, 0, false, 560};
    WriteSave(game.path(), c.layout);
    const testsupport::ReplayResult r = game.Replay(Script(c) + Shot(260, "plates.png") + Shot(480, "confirm.png"));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(game.Shot("plates.png", 0, 60, 190, 290, "limits_plates"));
    EXPECT_TRUE(game.Shot("confirm.png", 100, 30, 390, 295, "limits_confirm"));
    EXPECT_TRUE(game.Shot("look.png", 0, 320, 640, 160, "limits_battle_window"));
    const CStringMap saved = testsupport::ReadSlot(game.path(), 0).field;
    testsupport::ReadFieldSave(game.path(), 0, [&](const C_FieldTaskInfo& info) {
        EXPECT_TRUE(const_cast<C_FieldTaskInfo&>(info).Save().GetMap() == saved.GetMap());
        for (int hp : MemberHP(info, c.layout.actorX, c.layout.actorY)) EXPECT_GT(hp, 2147483647 - 1000);
    });
}

}  // namespace
