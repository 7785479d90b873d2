// The game played on tables filled to their limits: every person with the longest
// names a row holds and stats at the int limit.  A battle given from the field shows
// them in the plates, the battle confirmation and the battle window, each cut at its
// window's edge, and the field's save of such a game loads back equal.
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "../battle/field_battle.h"

namespace {

namespace fs = std::filesystem;
using namespace fieldbattle;

// The demo's person table with long names and every stat, cost and experience value
// at the int limit, its columns found by their headers.
std::string ExtremePersonTable() {
    auto repeat = [](const char* s, int n) {
        std::string r;
        while (n-- > 0) r += s;
        return r;
    };
    std::map<std::string, std::string> extreme{{"name", repeat("長", 40)}, {"s_name", repeat("短", 20)}};
    for (const char* h : {"HP", "MP", "str", "mag", "dex", "spd", "guard", "guardarrow", "guardmagic", "LocateCost", "EXP"})
        extreme[h] = "2147483647";
    std::ifstream in(fs::path(VORMANT_GAME_DIR) / "gamedata" / "person.csv", std::ios::binary);
    std::vector<std::string> header;
    std::string out;
    for (std::string line; std::getline(in, line);) {
        std::stringstream row(line.substr(0, line.find('\r')));
        std::vector<std::string> cells;
        for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
        const bool isHeader = header.empty();
        if (isHeader) header = cells;
        for (size_t c = 0; c < cells.size(); ++c) {
            const auto e = extreme.find(header[std::min(c, header.size() - 1)]);
            out += (c ? "," : "") + (isHeader || e == extreme.end() ? cells[c] : e->second);
        }
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

