// The game played on tables filled to their limits: every person with the longest
// names a row holds and stats at the int limit.  A battle given from the field shows
// them in the plates, the battle confirmation and the battle window, each cut at its
// window's edge, and the field's save of such a game loads back equal.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "../battle/field_battle.h"

namespace {

namespace fs = std::filesystem;
using namespace fieldbattle;

// The demo's person table with every name, short name and comment long and every stat,
// cost and experience value at the int limit.
std::string ExtremePersonTable() {
    std::ifstream in(fs::path(VORMANT_GAME_DIR) / "gamedata" / "person.csv", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    std::istringstream lines(text);
    std::string line, out, header;
    std::vector<std::string> columns;
    while (std::getline(lines, line, '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> cells;
        std::stringstream row(line);
        for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
        if (columns.empty()) {
            columns = cells;
        } else if (cells.size() == columns.size()) {
            for (size_t c = 0; c < cells.size(); ++c) {
                const std::string& h = columns[c];
                std::string repeat;
                if (h == "name") repeat = "長";
                if (h == "s_name") repeat = "短";
                if (h == "comment") repeat = "説";
                if (!repeat.empty()) {
                    cells[c].clear();
                    for (int k = 0; k < (h == "comment" ? 120 : h == "name" ? 40 : 20); ++k) cells[c] += repeat;
                }
                for (const char* big : {"HP", "MP", "str", "mag", "dex", "spd", "guard", "guardarrow", "guardmagic",
                                        "LocateCost", "EXP"})
                    if (h == big) cells[c] = "2147483647";
            }
        }
        for (size_t c = 0; c < cells.size(); ++c) out += (c ? "," : "") + cells[c];
        out += "\r\n";
    }
    return out;
}

// A copy of the game whose person table is the extreme one.
class ExtremeCopy : public testsupport::GameCopy {
public:
    ExtremeCopy() : testsupport::GameCopy({"e2e/limits/", "VORMANT_LIMITS_SHOTS"}) {
        const fs::path data = fs::path(path()) / "gamedata";
        fs::remove(data);
        fs::create_directory(data);
        for (const auto& e : fs::directory_iterator(fs::path(VORMANT_GAME_DIR) / "gamedata"))
            if (e.path().filename() != "person.csv") fs::create_symlink(e.path(), data / e.path().filename());
        std::ofstream(data / "person.csv", std::ios::binary) << ExtremePersonTable();
    }
};

// Four heroes beside an enemy band, all of the extreme table: the hovered unit's plates,
// the battle confirmation and the battle window show every name and number within its
// box, and the save after the battle loads back into the same record.
TEST(LimitsReplay, LongNamesAndStatsAtTheIntLimitStayInTheirWindowsAndSaveBackEqual) {
    ExtremeCopy game;
    const Case c{"limits", {{1, 2, 3, 4}}, Command::Attack, 0, false, 560};
    WriteSave(game.path(), c.layout);
    const testsupport::ReplayResult r = game.Replay(Script(c) + Shot(260, "plates.png") + Shot(480, "confirm.png"));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("frames: " + std::to_string(kQuitFrame)), std::string::npos) << r.output;
    EXPECT_TRUE(game.Shot("plates.png", 0, 60, 190, 290, "plates"));
    EXPECT_TRUE(game.Shot("confirm.png", 100, 30, 390, 295, "confirm"));
    EXPECT_TRUE(game.Shot("look.png", 0, 320, 640, 160, "battle_window"));

    const testsupport::SaveSlot slot = testsupport::ReadSlot(game.path(), 0);
    ASSERT_TRUE(slot.hasField);
    std::vector<int> hp;
    testsupport::ReadFieldSave(game.path(), 0, [&](const C_FieldTaskInfo& info) {
        hp = MemberHP(info, c.layout.actorX, c.layout.actorY);
        EXPECT_TRUE(const_cast<C_FieldTaskInfo&>(info).Save().GetMap() == slot.field.GetMap());
    });
    EXPECT_EQ(hp.size(), 4u);
    for (int v : hp) EXPECT_GT(v, 2147483647 - 1000);
}

}  // namespace
