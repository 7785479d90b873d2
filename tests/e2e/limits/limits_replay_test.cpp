// A battle from the field on a person table at its limits (names of 40 and 20
// characters, stats at the int limit): the plates, the battle confirmation and the
// battle window keep every text in its box, and the save afterwards loads back equal.
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "../battle/field_battle.h"

namespace {

namespace fs = std::filesystem;
using namespace fieldbattle;

// The demo's person table with those columns, found by their headers, overwritten.
std::string ExtremePersonTable() {
    std::map<std::string, std::string> extreme;
    for (int k = 0; k < 40; ++k) extreme["name"] += "長", extreme["s_name"] += k < 20 ? "短" : "";
    for (const char* h : {"HP", "MP", "str", "mag", "dex", "spd", "guard", "guardarrow", "guardmagic", "LocateCost", "EXP"})
        extreme[h] = "2147483647";
    std::ifstream in(fs::path(VORMANT_GAME_DIR) / "gamedata" / "person.csv", std::ios::binary);
    std::vector<std::string> header, cells;
    std::string out;
    for (std::string line; std::getline(in, line); out += "\r\n", cells.clear()) {
        std::stringstream row(line.substr(0, line.find('\r')));
        for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
        const bool isHeader = header.empty();
        if (isHeader) header = cells;
        for (size_t c = 0; c < cells.size(); ++c) {
            const auto e = extreme.find(!isHeader && c < header.size() ? header[c] : "");
            out += (c ? "," : "") + (e == extreme.end() ? cells[c] : e->second);
        }
    }
    return out;
}

TEST(LimitsReplay, LongNamesAndStatsAtTheIntLimitStayInTheirWindowsAndSaveBackEqual) {
    GameCopy game;  // its person table replaced by the extreme one
    const fs::path data = fs::path(game.path()) / "gamedata";
    fs::remove(data);
    fs::create_directory(data);
    for (const auto& e : fs::directory_iterator(fs::path(VORMANT_GAME_DIR) / "gamedata"))
        if (e.path().filename() != "person.csv") fs::create_symlink(e.path(), data / e.path().filename());
    std::ofstream(data / "person.csv", std::ios::binary) << ExtremePersonTable();

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
