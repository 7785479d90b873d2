// Spells cast on the field reach their battle effects: a save puts Sera next to the
// enemy, the replay loads it, chooses her unit, its attack, the target and a spell,
// and the battle that follows shows the spell's effect.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "field_save.h"
#include "game_copy.h"
#include "replay_script.h"

namespace {

using RunResult = testsupport::ReplayResult;
using testsupport::CellX;
using testsupport::CellY;
using testsupport::Click;
using testsupport::Differing;

// Keeps its pictures where VORMANT_EFFECT_SHOTS names a folder (for looking).
class GameCopy : public testsupport::GameCopy {
public:
    GameCopy() : testsupport::GameCopy({"e2e/effects/", "VORMANT_EFFECT_SHOTS"}) {}
};

// Where the camera looks (the leader's unit, which the field centres on), where Sera
// stands and the enemy she strikes.
constexpr int kCameraX = 2, kCameraY = 9;
constexpr int kSeraX = 3, kSeraY = 9;
constexpr int kEnemyX = 3, kEnemyY = 8;

// A field save of chapter 0 in slot 1 with a unit of Sera beside the first enemy band,
// the camera on the leader, her spells paid for and `charge` of cannon charge.
::testing::AssertionResult WriteSave(const std::string& folder, int charge) {
    return testsupport::WriteFieldSave(folder, [&](C_FieldTaskInfo& info) {
        const int unit = testsupport::AddUnit(info, {2}, 10, kSeraX, kSeraY, 99);
        info.m_UnitList.SetCharge(unit, charge);
        testsupport::MoveEnemies(info, {{kEnemyX, kEnemyY}});
        testsupport::LookAt(info, kCameraX, kCameraY);
    });
}

// Sera chosen, left where she stands, her attack on the enemy beside her, the spell
// of row `row` of her skill list (row 0 is "wait"), her target (a spell on the whole
// unit has none to choose), OK; pictures of the battle that follows.
std::string CastSpell(int row, bool single) {
    std::string s = testsupport::LoadFirstSlot();
    s += Click(210, CellX(kSeraX, kSeraY, kCameraX, kCameraY), CellY(kSeraX, kSeraY, kCameraX, kCameraY));
    s += Click(250, CellX(kSeraX, kSeraY, kCameraX, kCameraY), CellY(kSeraX, kSeraY, kCameraX, kCameraY));
    s += Click(300, 242, 279);  // ATTACK; the camera goes to her
    s += Click(350, CellX(kEnemyX, kEnemyY, kSeraX, kSeraY), CellY(kEnemyX, kEnemyY, kSeraX, kSeraY));
    s += Click(430, 190, 89);   // her skill line in the battle confirmation
    s += "470 screenshot list.png\n";
    s += Click(480, 100, 88 + 158 * row / 10);
    if (single) s += Click(520, 398, 75);  // the first enemy
    s += "545 screenshot confirm.png\n";
    s += Click(550, 359, 296);  // OK
    s += "620 screenshot cast.png\n650 screenshot effect.png\n";
    s += "1100 screenshot after.png\n1110 quit\n";
    return s;
}

struct Spell {
    int row;
    bool single;
    const char* name;  // for the messages
};

// Spells of five effects: the travelling beam, the light ball, the droplet stream,
// the light orb and the composite light area.
const Spell kSpells[] = {{1, true, "光弾 (Beam4)"},
                         {3, true, "目眩まし (Light1)"},
                         {7, true, "水流 (Beam3)"},
                         {8, true, "光球 (Beam5)"},
                         {9, false, "光の波動 (DarkLightAll1)"}};

// Rows 0..319 of a screenshot (the 3D view of a battle).
std::vector<uint32_t> View(const std::vector<uint32_t>& p) {
    return p.size() == 640u * 480u ? std::vector<uint32_t>(p.begin(), p.begin() + 640 * 320) : p;
}

TEST(EffectsReplay, SpellsCastOnTheFieldPlayTheirEffectsInTheBattle) {
    std::vector<std::vector<uint32_t>> views;
    for (const Spell& spell : kSpells) {
        GameCopy game;
        ASSERT_TRUE(WriteSave(game.path(), 0));
        const RunResult r = game.Replay(CastSpell(spell.row, spell.single));
        ASSERT_EQ(r.exitCode, 0) << spell.name << r.output;
        EXPECT_NE(r.output.find("frames: 1110"), std::string::npos) << r.output;
        const std::string log = game.ErrorLog();
        // Every effect the battle asks for exists.
        EXPECT_EQ(log.find(reinterpret_cast<const char*>(u8"戦闘エフェクト")), std::string::npos) << spell.name << log;
        const auto confirm = game.Pixels("confirm.png"), cast = game.Pixels("cast.png"),
                   effect = game.Pixels("effect.png"), after = game.Pixels("after.png");
        ASSERT_EQ(effect.size(), 640u * 480u) << spell.name;
        // The battle replaced the field: its black band under the 3D view.
        EXPECT_EQ(effect[size_t(475) * 640 + 5] & 0xFFFFFF, 0u) << spell.name;
        EXPECT_GT(Differing(confirm, effect), 640 * 480 / 3) << spell.name;
        // The spell moves on the stage between two frames of the cast.
        EXPECT_GT(Differing(View(cast), View(effect)), 2000) << spell.name;
        // And the field is back once the battle is over.
        EXPECT_GT(Differing(effect, after), 640 * 480 / 3) << spell.name;
        views.push_back(View(effect));
    }
    // Each spell looks different at the same moment of its battle.
    for (size_t i = 0; i < views.size(); ++i)
        for (size_t j = i + 1; j < views.size(); ++j)
            EXPECT_GT(Differing(views[i], views[j]), 500) << kSpells[i].name << " / " << kSpells[j].name;
}

}  // namespace
