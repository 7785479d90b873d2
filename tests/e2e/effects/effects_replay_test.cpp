// Spells cast on the field reach their battle effects: a save puts Sera next to the
// enemy, the replay loads it, chooses her unit, its attack, the target and a spell,
// and the battle that follows shows the spell's effect.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stb_image.h>

#include "FieldScene.h"
#include "PartyData.h"
#include "PersonData.h"
#include "game_copy.h"
#include "golden.h"
#include "save/ArchiveManager.h"

namespace {

namespace fs = std::filesystem;

using RunResult = testsupport::ReplayResult;

// Keeps its pictures where VORMANT_EFFECT_SHOTS names a folder (for looking).
class GameCopy : public testsupport::GameCopy {
public:
    ~GameCopy() {
        if (const char* keep = std::getenv("VORMANT_EFFECT_SHOTS"))
            for (const auto& e : fs::directory_iterator(dir_.path()))
                if (e.path().extension() == ".png")
                    fs::copy_file(e.path(), fs::path(keep) / e.path().filename(), fs::copy_options::overwrite_existing);
    }
};

// Where the camera looks (the leader's unit, which the field centres on), where Sera
// stands and the enemy she strikes.
constexpr int kCameraX = 2, kCameraY = 9;
constexpr int kSeraX = 3, kSeraY = 9;
constexpr int kEnemyX = 3, kEnemyY = 8;

// A field save of chapter 0 in slot 1 with a unit of Sera beside the enemy at
// (11, 7), the camera on her, her spells paid for and `charge` of cannon charge.
void WriteSave(const std::string& folder, int charge) {
    testsupport::ScopedCurrentDir cd(folder);
    CArchiveManager::DestroyInstance();
    CPartyData party;
    party.Reset();
    SetDifficulty(party.Difficulty, 3);
    CStringMap record;
    {
        C_FieldScene scene(&party);
        C_FieldTaskInfo& info = scene.GetFieldInfo();
        PersonRecord sera = PersonRecord::CreateFromType(2, 10, 1, 1, 1, 0);
        sera.nMP = 99;
        const int person = info.m_PersonList.AddPerson(sera);
        const int unit = info.m_UnitList.AddUnitAt(person, kSeraX, kSeraY);
        info.m_UnitList.SetCharge(unit, charge);
        for (int u = 0; u < info.m_UnitList.GetCount(); ++u)
            if (!info.m_UnitList.IsFriend(u)) {
                info.m_UnitList.SetUnitPosition(u, kEnemyX, kEnemyY);
                break;
            }
        info.m_fCameraX = float(kCameraX);
        info.m_fCameraY = float(kCameraY);
        info.m_nHoverX = kCameraX;
        info.m_nHoverY = kCameraY;
        info.m_nTurn = 1;
        record = info.Save();
    }
    CArchiveManager::DestroyInstance();
    CArchiveManager::CreateInstance();
    CArchiveManager* manager = CArchiveManager::GetInstance();
    manager->ClearArchives();
    manager->ClearCurrentArchive();
    manager->SetArchive(PartyDataKey, party.Save());
    manager->SetArchive(FieldTaskInfoKey, record);
    manager->SetString(SaveFileChapterKey, std::to_string(party.nMap));
    manager->SetString(SaveFileDiffKey, std::to_string(party.Difficulty));
    manager->SetString(SaveFileTypeKey, FieldSave);
    ASSERT_TRUE(manager->Save(0));
    CArchiveManager::DestroyInstance();
}

// "LOAD GAME", the first slot, and "resume".
const char kLoadFirstSlot[] =
    "60 move 300 300\n"
    "61 down left\n"
    "62 up left\n"
    "90 move 500 330\n"
    "100 down left\n"
    "101 up left\n"
    "120 move 320 100\n"
    "121 down left\n"
    "122 up left\n"
    "140 move 215 200\n"
    "141 down left\n"
    "142 up left\n"
    "150 move 320 240\n";

// The centre of a cell on the screen with the camera on (cx, cy).
int CellX(int x, int y, int cx, int cy) { return 320 + 56 * (x - cx) - 56 * (y - cy); }
int CellY(int x, int y, int cx, int cy) { return 240 + 28 * (x - cx) + 28 * (y - cy) + 28; }

std::string Click(int frame, int x, int y) {
    return std::to_string(frame) + " move " + std::to_string(x) + " " + std::to_string(y) + "\n" +
           std::to_string(frame + 10) + " down left\n" + std::to_string(frame + 11) + " up left\n";
}

// Sera chosen, left where she stands, her attack on the enemy beside her, the spell
// of row `row` of her skill list (row 0 is "wait"), her target (a spell on the whole
// unit has none to choose), OK; pictures of the battle that follows.
std::string CastSpell(int row, bool single) {
    std::string s = kLoadFirstSlot;
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

int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

TEST(EffectsReplay, SpellsCastOnTheFieldPlayTheirEffectsInTheBattle) {
    std::vector<std::vector<uint32_t>> views;
    for (const Spell& spell : kSpells) {
        GameCopy game;
        WriteSave(game.path(), 0);
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
