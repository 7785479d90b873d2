// The demo tables under content/gamedata load without a single log line and hang
// together: every skill a person names exists and sits in the right list, every
// troop branch names a person type.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "../data_test_util.h"
#include "PersonData.h"
#include "SkillData.h"
#include "TroopData.h"
#include "menu/SelectSkillMenu.h"

namespace {

std::string ContentFile(const std::string& name) {
    return datatest::ReadFile(std::string(VORMANT_SOURCE_DIR) + "/content/gamedata/" + name);
}

class ContentTables : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(log.Dir() + "gamedata");
        for (const char* name : {"skill.csv", "person.csv", "Troop.txt"}) {
            std::string text = ContentFile(name);
            ASSERT_FALSE(text.empty()) << name;
            std::ofstream(log.Dir() + "gamedata/" + name, std::ios::binary) << datatest::GameTextFromUtf8(text);
        }
        g_SkillData.Load("gamedata/skill.csv");
        CPersonTypeTable::Clear();
        CPersonTypeTable::LoadCsv();
        troops.LoadFile();
    }
    void TearDown() override { CPersonTypeTable::Clear(); }

    datatest::LogCapture log;
    CTroopTypeTable troops;
};

TEST_F(ContentTables, LoadWithoutLogLines) {
    EXPECT_GT(g_SkillData.GetCount(), 20);
    EXPECT_GT(CPersonTypeTable::GetCount(), 10);
    EXPECT_GE(troops.GetCount(), 3);
    EXPECT_EQ(g_SkillData.GetName(100), "斬撃");
    EXPECT_EQ(CPersonTypeTable::Get(1).name, "レオン");
    EXPECT_EQ(troops.GetEntry(0).name, "歩兵隊");
    EXPECT_EQ(troops.GetEntry(1).name, "弓兵隊");
    EXPECT_TRUE(log.Lines().empty()) << log.All();
}

TEST_F(ContentTables, SkillsCoverEveryKind) {
    std::set<int> types, passiveEffects;
    bool cannon = false, allAttack = false, condition = false, backAttack = false, indirect = false;
    for (int id : g_SkillData.GetIds()) {
        EXPECT_NE(g_SkillData.GetName(id), "NoData!");
        if (g_SkillData.IsPassive(id)) {
            passiveEffects.insert(g_SkillData.GetEffect(id));
            continue;
        }
        types.insert(g_SkillData.GetType(id));
        cannon |= g_SkillData.IsCannon(id);
        allAttack |= g_SkillData.IsAllAttack(id) && !g_SkillData.IsCannon(id);
        condition |= g_SkillData.GetEffect(id) != 0;
        backAttack |= g_SkillData.GetBackAtk(id);
        indirect |= g_SkillData.GetPath(id) == 2;
        if (g_SkillData.IsCannon(id)) {
            EXPECT_GT(g_SkillData.GetCharge(id), 0) << id;
        }
        EXPECT_LE(g_SkillData.GetRange1(id), g_SkillData.GetRange2(id)) << id;
    }
    EXPECT_EQ(types, (std::set<int>{0, 1, 2, 3}));
    for (int e = 0; e <= 11; ++e) EXPECT_TRUE(passiveEffects.count(e)) << "passive effect " << e;
    EXPECT_TRUE(cannon);
    EXPECT_TRUE(allAttack);
    EXPECT_TRUE(condition);
    EXPECT_TRUE(backAttack);
    EXPECT_TRUE(indirect);
}

// The skill window wraps a help text by bytes; a line that begins with a stop or a
// closing bracket reads as a stray mark under the text, so the texts are worded to
// end their lines on whole phrases.
TEST_F(ContentTables, SkillHelpLinesNeverStartWithClosingPunctuation) {
    const std::string closing[] = {"。", "、", "）", "」", "！", "？"};
    for (int id : g_SkillData.GetIds()) {
        const std::string wrapped = WrapHelpText(g_SkillData.GetComment(id));
        for (size_t at = wrapped.find('\n'); at != std::string::npos; at = wrapped.find('\n', at + 1))
            for (const std::string& mark : closing)
                EXPECT_NE(wrapped.compare(at + 1, mark.size(), mark), 0) << "skill " << id << ": " << wrapped;
    }
}

TEST_F(ContentTables, PersonsUseKnownSkillsInTheirLists) {
    bool hero = false, soldier = false, class0 = false, class1 = false, coin = false;
    for (const auto& [id, p] : CPersonTypeTable::GetMap()) {
        EXPECT_FALSE(p.name.empty()) << id;
        EXPECT_FALSE(p.s_name.empty()) << id;
        EXPECT_GE((int)p.dMaxHP, 1) << id;
        EXPECT_GT(p.nMove, 0) << id;
        EXPECT_GT(p.CountSkills(), 0) << id;
        for (int k = 0; k < p.CountSkills(); ++k) {
            EXPECT_TRUE(g_SkillData.HasSkill(p.skill[k])) << id;
            EXPECT_FALSE(g_SkillData.IsPassive(p.skill[k])) << id;
            EXPECT_FALSE(g_SkillData.IsCannon(p.skill[k])) << id;
        }
        for (int k = 0; k < p.CountCSkills(); ++k) EXPECT_TRUE(g_SkillData.IsCannon(p.cskill[k])) << id;
        for (int k = 0; k < p.CountPassiveSkills(); ++k) EXPECT_TRUE(g_SkillData.IsPassive(p.pskill[k])) << id;
        hero |= p.hero != 0;
        soldier |= p.hero == 0;
        class0 |= p.m_type == 0;
        class1 |= p.m_type == 1;
        coin |= p.nAttrLight == 2 || p.nAttrDark == 2;
        PersonRecord made = PersonRecord::CreateFromType(id, 10, 0, 0, 1, 1);
        EXPECT_GT(made.nMaxHP, 0) << id;
    }
    EXPECT_TRUE(hero && soldier && class0 && class1 && coin);
}

TEST_F(ContentTables, TroopBranchesNamePersonTypes) {
    bool locked = false;
    std::set<int> ids;
    for (int i = 0; i < troops.GetCount(); ++i) {
        const CTroopType& t = troops.GetEntry(i);
        EXPECT_TRUE(ids.insert(t.TypeID).second) << t.TypeID;
        EXPECT_FALSE(t.name.empty());
        EXPECT_EQ(t.name.back() == ' ', false);
        EXPECT_GT(t.nLV, 0);
        EXPECT_GT(t.nEXP, 0);
        EXPECT_GT(t.dEXPUP, 1.0);
        EXPECT_FALSE(t.m_vBranch.empty());
        for (const auto& [type, level] : t.m_vBranch) {
            EXPECT_TRUE(CPersonTypeTable::Has(type)) << type;
            EXPECT_EQ(CPersonTypeTable::Get(type).hero, 0) << type;
            EXPECT_GE(level, 1);
        }
        locked |= t.m_bCanUse == 0;
    }
    EXPECT_TRUE(locked);
    EXPECT_TRUE(log.Lines().empty()) << log.All();
}

// Unit figures sit on the upper chip sheet: 16 classes a row, six colour rows, the
// even rows friendly.  Every figure exists, every soldier a troop can hold wears a
// friendly colour, and only the forms of one person (one short name) share a figure.
TEST_F(ContentTables, PersonFiguresExistAndTroopSoldiersWearFriendlyColours) {
    std::set<int> troopSoldiers;
    for (int i = 0; i < troops.GetCount(); ++i)
        for (const auto& branch : troops.GetEntry(i).m_vBranch) troopSoldiers.insert(branch.first);
    std::map<int, std::string> wearer;
    for (const auto& [type, person] : CPersonTypeTable::GetMap()) {
        EXPECT_TRUE(person.icon >= 0 && person.icon < 96) << type << " figure " << person.icon;
        if (troopSoldiers.count(type)) {
            EXPECT_EQ(person.icon / 16 % 2, 0) << type;
        }
        const auto [it, added] = wearer.emplace(person.icon, person.s_name);
        EXPECT_TRUE(added || it->second == person.s_name) << type << " shares figure " << person.icon;
    }
}

// Each side wears its own colours: every person that a map's person list or a
// script's "CreateUnit" puts on the field wears a friendly colour (even row) on the
// player's side and an enemy colour (odd row) on the enemy's.
TEST_F(ContentTables, EveryPersonOnTheFieldWearsItsSidesColour) {
    std::vector<std::pair<int, bool>> fielded;  // person type, friendly
    const std::string content = std::string(VORMANT_SOURCE_DIR) + "/content/";
    for (const char* folder : {"map", "script"})
        for (const auto& file : std::filesystem::directory_iterator(content + folder)) {
            const bool persons = file.path().string().find("_person.csv") != std::string::npos;
            std::istringstream lines(datatest::ReadFile(file.path().string()));
            int a[11];
            for (std::string line; std::getline(lines, line);) {
                if (persons && std::sscanf(line.c_str(), "%d,%d,%d,%d", &a[0], &a[1], &a[2], &a[3]) == 4)
                    fielded.emplace_back(a[0], a[3] != 0);  // ptype,LV,operate,friend
                if (std::sscanf(line.c_str(), "CreateUnit(%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d)", &a[0], &a[1], &a[2],
                                &a[3], &a[4], &a[5], &a[6], &a[7], &a[8], &a[9], &a[10]) == 11)
                    for (int k = 4; k <= 10; k += 2)  // x, y, friend, then level and type of each member
                        if (a[k - 1] != -1 && a[k] != -1) fielded.emplace_back(a[k], a[2] != 0);
            }
        }
    EXPECT_GT(fielded.size(), 40u);
    for (const auto& [type, isFriend] : fielded) {
        ASSERT_TRUE(CPersonTypeTable::GetMap().count(type)) << type;
        EXPECT_EQ(CPersonTypeTable::Get(type).icon / 16 % 2, isFriend ? 0 : 1) << type << " friend " << isFriend;
    }
}

}  // namespace

namespace {

// When the content build has run, the tables in the runnable folder are the same
// bytes as the ones the tests above converted and loaded.
TEST(ContentBuild, RunnableFolderHoldsTheConvertedTables) {
    std::string dir = std::string(VORMANT_GAME_DIR) + "/gamedata/";
    if (!std::filesystem::exists(dir + "skill.csv")) GTEST_SKIP() << "content not built";
    for (const char* name : {"skill.csv", "person.csv", "Troop.txt"}) {
        std::string built = datatest::ReadFile(dir + name);
        EXPECT_EQ(built, datatest::GameTextFromUtf8(ContentFile(name))) << name;
    }
}

}  // namespace
