// Person types, levels, the difficulty shift, the stat spread and the person list.
#include <gtest/gtest.h>

#include <cmath>

#include "../data_test_util.h"
#include "PersonData.h"
#include "SkillData.h"
#include "random/gvlRand.h"


namespace {

const char* kHeader =
    "typeID,name,s_name,hero,HP,HPUP,MP,class,str,strUP,guard,guardarrow,guardmagic,mag,magUP,dex,dexUP,"
    "spd,spdUP,move,m_type,attr_light,attr_dark,skill1,skill2,skill3,skill4,skill5,skill6,skill7,skill8,"
    "skill9,skill10,skill11,skill12,cskill1,cskill2,cskill3,cskill4,cskill5,cskill6,pskill1,pskill2,pskill3,"
    "pskill4,marginal,icon,face,model,comment,LocateCost,EXP,EXPUP\n";

// One row: id, name, hero, HP, HPUP, MP, attributes and the skill cells as given.
std::string Row(int id, const std::string& name, int hero, const std::string& hp, const std::string& hpup,
                int mp, const std::string& skills12, const std::string& cskills6, const std::string& pskills4,
                int light = 0, int dark = 0) {
    return std::to_string(id) + "," + name + ",s" + name + "," + std::to_string(hero) + "," + hp + "," + hpup +
           "," + std::to_string(mp) + ",2,10,1.5,3,4,5,6,0.5,7,1,8,1,5,1," + std::to_string(light) + "," +
           std::to_string(dark) + "," + skills12 + "," + cskills6 + "," + pskills4 + ",9,11,12,13,説明,15,30,1.5\n";
}

const std::string kNoSkills12 = "-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1";
const std::string kNoSkills6 = "-1,-1,-1,-1,-1,-1";
const std::string kNoSkills4 = "-1,-1,-1,-1";

class PersonTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_SkillData.LoadRows(datatest::Rows(datatest::kSkillCsv));
        CPersonTypeTable::Clear();
        int d = 0;
        SetDifficulty(d, 2);
    }
    void TearDown() override {
        CPersonTypeTable::Clear();
        int d = 0;
        SetDifficulty(d, 2);
    }
    void LoadTypes(const std::string& rows) { CPersonTypeTable::LoadRows(datatest::Rows(kHeader + rows)); }
};

TEST_F(PersonTest, TypeRowFillsEveryField) {
    LoadTypes(Row(7, "剣士", 1, "30.5", "2.5", 12, "1,2,3,-1,-1,-1,-1,-1,-1,-1,-1,-1", "5,-1,-1,-1,-1,-1",
                  "6,8,-1,-1", 1, 0));
    const PersonRecord& p = CPersonTypeTable::Get(7);
    EXPECT_EQ(p.typeID, 7);
    EXPECT_EQ(p.name, std::string("剣士"));
    EXPECT_EQ(p.s_name, std::string("s剣士"));
    EXPECT_EQ(p.hero, 1);
    EXPECT_DOUBLE_EQ(p.dMaxHP, 30.5);
    EXPECT_DOUBLE_EQ(p.dMaxHPUP, 2.5);
    EXPECT_EQ(p.nMaxHP, 0);  // left to the level computation
    EXPECT_EQ(p.nMP, 12);
    EXPECT_EQ(p.nMaxMP, 12);
    EXPECT_EQ(p.nClass, 2);
    EXPECT_DOUBLE_EQ(p.dStr, 10);
    EXPECT_DOUBLE_EQ(p.dStrUP, 1.5);
    EXPECT_EQ(p.nGur, 3);
    EXPECT_EQ(p.nGurA, 4);
    EXPECT_EQ(p.nGurM, 5);
    EXPECT_DOUBLE_EQ(p.dMag, 6);
    EXPECT_DOUBLE_EQ(p.dMagUP, 0.5);
    EXPECT_DOUBLE_EQ(p.dDex, 7);
    EXPECT_DOUBLE_EQ(p.dSpdUP, 1);
    EXPECT_EQ(p.nMove, 5);
    EXPECT_EQ(p.m_type, 1);
    EXPECT_EQ(p.nAttrLight, 1);
    EXPECT_EQ(p.CountSkills(), 3);
    EXPECT_EQ(p.CountCSkills(), 1);
    EXPECT_EQ(p.CountPassiveSkills(), 2);
    EXPECT_EQ(p.marginal, 9);
    EXPECT_EQ(p.icon, 11);
    EXPECT_EQ(p.face, 12);
    EXPECT_EQ(p.model, 13);
    EXPECT_EQ(p.comment, std::string("説明"));
    EXPECT_EQ(p.LocateCost, 15);
    EXPECT_EQ(p.nEXP, 30);
    EXPECT_DOUBLE_EQ(p.nEXPUP, 1.5);
    EXPECT_EQ(p.nLevel, 1);
    EXPECT_EQ(p.bExist, 1);
}

TEST_F(PersonTest, SkillListEndsAtTheFirstNegativeEntry) {
    LoadTypes(Row(1, "a", 0, "10", "1", 0, "1,2,-1,4,7,-1,-1,-1,-1,-1,-1,-1", kNoSkills6, kNoSkills4) +
              Row(2, "b", 0, "10", "1", 0, "1,2,3,4,5,6,7,8,9,10,1,2", "3,-1,-1,-1,-1,-1", kNoSkills4));
    EXPECT_EQ(CPersonTypeTable::Get(1).CountSkills(), 2);
    EXPECT_EQ(CPersonTypeTable::Get(2).CountSkills(), 12);
    EXPECT_EQ(CPersonTypeTable::Get(2).CountCSkills(), 1);
}

TEST_F(PersonTest, RunningIndexWalksSkillThenCSkillThenPassive) {
    LoadTypes(Row(1, "a", 0, "10", "1", 0, "1,2,3,-1,-1,-1,-1,-1,-1,-1,-1,-1", "5,9,-1,-1,-1,-1",
                  "6,-1,-1,-1"));
    const PersonRecord& p = CPersonTypeTable::Get(1);
    const int expected[] = {1, 2, 3, 5, 9, 6};
    for (int n = 0; n < 6; ++n) EXPECT_EQ(p.GetSkillByIndex(n), expected[n]) << n;
    datatest::LogCapture log;
    EXPECT_EQ(p.GetSkillByIndex(6), -1);
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST_F(PersonTest, FirstRowOfADuplicatedTypeCounts) {
    LoadTypes(Row(7, "first", 0, "10", "1", 0, kNoSkills12, kNoSkills6, kNoSkills4) +
              Row(7, "second", 0, "20", "1", 0, kNoSkills12, kNoSkills6, kNoSkills4));
    EXPECT_EQ(CPersonTypeTable::Get(7).name, "first");
    EXPECT_EQ(CPersonTypeTable::GetCount(), 1);
}

TEST_F(PersonTest, ColumnOrderIsFreeAndExtraColumnsAreIgnored) {
    CPersonTypeTable::LoadRows(datatest::Rows("extra,MP,HP,typeID,name,hero\nzz,3,25,4,n,256\n"));
    const PersonRecord& p = CPersonTypeTable::Get(4);
    EXPECT_EQ(p.nMaxMP, 3);
    EXPECT_DOUBLE_EQ(p.dMaxHP, 25);
    EXPECT_EQ(p.name, "n");
    EXPECT_EQ(p.hero, 1);  // any non-zero number is a hero
    EXPECT_EQ(p.CountSkills(), 0);
}

TEST_F(PersonTest, UnknownTypeLookupAddsAConstructedRecord) {
    LoadTypes(Row(1, "a", 0, "10", "1", 0, kNoSkills12, kNoSkills6, kNoSkills4));
    EXPECT_FALSE(CPersonTypeTable::Has(999));
    PersonRecord& p = CPersonTypeTable::Get(999);
    EXPECT_TRUE(p.name.empty());
    EXPECT_EQ(p.nLevel, 1);
    EXPECT_EQ(p.CountSkills() + p.CountCSkills() + p.CountPassiveSkills(), 0);
    EXPECT_TRUE(CPersonTypeTable::Has(999));
}

TEST_F(PersonTest, TableIsLoadedOnlyOnce) {
    LoadTypes(Row(1, "a", 0, "10", "1", 0, kNoSkills12, kNoSkills6, kNoSkills4));
    LoadTypes(Row(2, "b", 0, "10", "1", 0, kNoSkills12, kNoSkills6, kNoSkills4));
    EXPECT_TRUE(CPersonTypeTable::Has(1));
    EXPECT_FALSE(CPersonTypeTable::Has(2));
}

TEST_F(PersonTest, BadRowsAreLoggedAndNeverMakeAZeroHpPerson) {
    datatest::LogCapture log;
    LoadTypes(Row(1, "ok", 0, "10", "1", 0, "1,,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1", kNoSkills6, kNoSkills4) +
              Row(2, "nohp", 0, "0", "3", 0, kNoSkills12, kNoSkills6, kNoSkills4) +
              Row(3, "unknown skill", 0, "10", "1", 0, "1,555,2,-1,-1,-1,-1,-1,-1,-1,-1,-1", kNoSkills6,
                  kNoSkills4) +
              ",noid,x\n");
    // An empty skill cell is no skill (not skill 0).
    EXPECT_EQ(CPersonTypeTable::Get(1).CountSkills(), 1);
    // A type without base HP is logged but kept: its growth and the level
    // formula still give its persons hit points.
    ASSERT_TRUE(CPersonTypeTable::Has(2));
    EXPECT_EQ(CPersonTypeTable::Get(2).name, "nohp");
    // An unknown skill is dropped; the skills after it close up.
    const PersonRecord& p3 = CPersonTypeTable::Get(3);
    ASSERT_EQ(p3.CountSkills(), 2);
    EXPECT_EQ(p3.skill[1], 2);
    EXPECT_EQ(CPersonTypeTable::GetCount(), 3);
    std::string all = log.All();
    EXPECT_NE(all.find("typeID=1"), std::string::npos) << all;
    EXPECT_NE(all.find("typeID=2"), std::string::npos) << all;
    EXPECT_NE(all.find("555"), std::string::npos) << all;
    EXPECT_EQ(log.Lines().size(), 4u) << all;
    PersonRecord weak = PersonRecord::CreateFromType(2, 1, 1, 1, 1, 0);
    EXPECT_EQ(weak.nMaxHP, 1);
    EXPECT_EQ(weak.nHP, 1);
    EXPECT_EQ(PersonRecord::CreateFromType(2, 3, 1, 1, 1, 0).nMaxHP, 6);  // 0 + 3 x 2
}

TEST_F(PersonTest, LevelFormulaTruncatesTowardZero) {
    PersonRecord p;
    p.bFriend = 1;
    p.dMaxHP = 30;
    p.dMaxHPUP = 2.5;
    p.dStr = -1.5;
    p.dMag = 2.9;
    p.dMagUP = 0.55;
    p.SetLevel(4, 1);
    EXPECT_EQ(p.nMaxHP, 37);
    EXPECT_EQ(p.nHP, 37);
    EXPECT_EQ(p.nMag, 4);  // 2.9 + 1.65 = 4.55
    EXPECT_EQ(p.nLevel, 4);
    p.SetLevel(1, 0);
    EXPECT_EQ(p.nStr, -1);
}

// Absurd levels and growth rates from a damaged table or save are held to the int
// range instead of overflowing.
TEST_F(PersonTest, AbsurdLevelsAndGrowthStayInRange) {
    PersonRecord p;
    p.bFriend = 1;
    p.dMaxHP = 30;
    p.dMaxHPUP = 1e9;
    p.dStrUP = -1e9;
    p.dMag = std::nan("");
    p.SetLevel(2147483647, 1);
    EXPECT_EQ(p.nMaxHP, 2147483647);
    EXPECT_EQ(p.nStr, -2147483647 - 1);
    EXPECT_EQ(p.nMag, 0);
    int field = 0;
    SetDifficulty(field, 5);
    EXPECT_EQ(AdjustLevelForDifficulty(2147483647), 2147483647);
    SetDifficulty(field, 1);
    EXPECT_EQ(AdjustLevelForDifficulty(-2147483647), 1);
    SetDifficulty(field, 2);
}

TEST_F(PersonTest, DifficultyShiftTable) {
    const int levels[] = {1, 5, 6, 10, 11, 20, 25};
    const int expected[7][5] = {{1, 1, 2, 2, 3},       {4, 5, 6, 6, 7},       {5, 6, 7, 8, 8},
                                {9, 10, 11, 12, 13},   {9, 11, 13, 14, 15},   {18, 20, 22, 24, 26},
                                {22, 25, 28, 30, 33}};
    int field = 0;
    for (int i = 0; i < 7; ++i) {
        for (int d = 1; d <= 5; ++d) {
            SetDifficulty(field, d);
            EXPECT_EQ(AdjustLevelForDifficulty(levels[i]), expected[i][d - 1]) << levels[i] << " at " << d;
        }
    }
    SetDifficulty(field, 1);
    EXPECT_EQ(AdjustLevelForDifficulty(15), 13);
    SetDifficulty(field, 5);
    EXPECT_EQ(AdjustLevelForDifficulty(7), 10);
    SetDifficulty(field, 2);
    EXPECT_EQ(AdjustLevelForDifficulty(7), 7);
}

TEST_F(PersonTest, SetDifficultyClampsAndSetsTheCurrentValue) {
    int field = 0;
    EXPECT_EQ(SetDifficulty(field, 7), 5);
    EXPECT_EQ(field, 5);
    EXPECT_EQ(GetCurrentDifficulty(), 5);
    EXPECT_EQ(SetDifficulty(field, 0), 1);
    EXPECT_EQ(GetValue(field), 1);
    EXPECT_EQ(GetCurrentDifficulty(), 1);
}

TEST_F(PersonTest, OnlyEnemiesAreShifted) {
    LoadTypes(Row(1, "a", 0, "10", "1", 0, kNoSkills12, kNoSkills6, kNoSkills4));
    int field = 0;
    SetDifficulty(field, 5);
    EXPECT_EQ(PersonRecord::CreateFromType(1, 7, 1, 1, 1, 1).nLevel, 7);
    EXPECT_EQ(PersonRecord::CreateFromType(1, 7, 0, 0, 1, 1).nLevel, 10);
    EXPECT_EQ(PersonRecord::CreateFromType(1, 7, 0, 0, 1, 0).nLevel, 7);
}

TEST_F(PersonTest, CreateFromTypeSetsFlagsRestMoveAndLevel) {
    LoadTypes(Row(3, "a", 0, "10", "2", 4, kNoSkills12, kNoSkills6, kNoSkills4));
    PersonRecord p = PersonRecord::CreateFromType(3, 3, 1, 1, 0, 1);
    EXPECT_EQ(p.bFriend, 1);
    EXPECT_EQ(p.bOperate, 1);
    EXPECT_EQ(p.bForward, 0);
    EXPECT_EQ(p.nRestMove, 5);
    EXPECT_EQ(p.nMaxHP, 14);
    EXPECT_EQ(p.nMP, 4);
    EXPECT_EQ(p.typeID, 3);
}

TEST_F(PersonTest, UnknownTypeIsLoggedAndStillHasHitPoints) {
    LoadTypes(Row(3, "a", 0, "10", "2", 4, kNoSkills12, kNoSkills6, kNoSkills4));
    datatest::LogCapture log;
    PersonRecord p = PersonRecord::CreateFromType(404, 1, 1, 1, 1, 0);
    EXPECT_GE(p.nHP, 1);
    EXPECT_EQ(log.Lines().size(), 2u) << log.All();  // unknown type, no hit points
}

TEST_F(PersonTest, StatSpreadDrawsInOrderFromTheGlobalGenerator) {
    PersonRecord p;
    p.nMaxHP = 40;
    p.nMaxMP = 10;
    p.nStr = 12;
    p.nMag = 8;
    p.nDex = 9;
    p.nSpd = 7;
    p.nGur = 3;
    p.nGurA = 2;
    p.nGurM = 1;
    const double sigma[9] = {4.0, 0.0, 0.95, 0.95, 0.95, 0.95, 1.2, 1.2, 1.2};
    const int means[9] = {40, 10, 12, 8, 9, 7, 3, 2, 1};
    g_Rand.SetSeed(20261207);
    int expected[9];
    for (int k = 0; k < 9; ++k) {
        int v = (int)(RandomNormal(means[k], sigma[k]) + 0.5);
        expected[k] = v < 0 ? 0 : v;
    }
    uint32_t after = g_Rand.Get();

    g_Rand.SetSeed(20261207);
    PersonRecord q = PersonRecord::RandomizeStats(p, 4.0, 0.0, 0.95, 0.95, 0.95, 0.95, 1.2, 1.2, 1.2);
    EXPECT_EQ(g_Rand.Get(), after);
    const int got[9] = {q.nMaxHP, q.nMaxMP, q.nStr, q.nMag, q.nDex, q.nSpd, q.nGur, q.nGurA, q.nGurM};
    for (int k = 0; k < 9; ++k) EXPECT_EQ(got[k], std::max(expected[k], k == 0 ? 1 : 0)) << k;
    EXPECT_EQ(q.nHP, q.nMaxHP);
    EXPECT_EQ(q.nMP, 10);  // deviation 0 keeps a whole stat
}

TEST_F(PersonTest, NoMpMeansNoMpSpread) {
    PersonRecord p;
    p.nMaxHP = 20;
    g_Rand.SetSeed(5);
    PersonRecord q = PersonRecord::RandomizeStats(p, 4, 3, 1, 1, 1, 1, 1, 1, 1);
    EXPECT_EQ(q.nMaxMP, 0);
    EXPECT_EQ(q.nMP, 0);
}

TEST_F(PersonTest, SpreadNeverLeavesALivingPersonWithoutHitPoints) {
    PersonRecord p;
    p.nMaxHP = 1;
    g_Rand.SetSeed(77);
    for (int i = 0; i < 2000; ++i) {
        PersonRecord q = PersonRecord::RandomizeStats(p, 4.0, 0, 0, 0, 0, 0, 0, 0, 0);
        ASSERT_GE(q.nMaxHP, 1);
        ASSERT_EQ(q.nHP, q.nMaxHP);
    }
}

TEST_F(PersonTest, MissionRowMakesHeroesExactlyAndSpreadsOthers) {
    LoadTypes(Row(1, "hero", 1, "30", "2.5", 0, kNoSkills12, kNoSkills6, kNoSkills4) +
              Row(2, "soldier", 0, "30", "2.5", 0, kNoSkills12, kNoSkills6, kNoSkills4));
    CTableFile table = datatest::Table("x,ptype,LV,operate,friend\n0,1,4,1,1\n0,2,4,0,0\n");
    g_Rand.SetSeed(1);
    bool ok = false;
    PersonRecord hero = PersonRecord::CreateFromMissionRow(table, 1, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(hero.nMaxHP, 37);
    EXPECT_EQ(hero.nStr, 14);  // 10 + 1.5 x 3
    EXPECT_EQ(hero.bOperate, 1);
    EXPECT_EQ(hero.bFriend, 1);
    EXPECT_EQ(hero.nRestMove, 5);
    EXPECT_EQ(g_Rand.Get(), [] {
        CRand r;
        r.SetSeed(1);
        return r.Get();
    }());  // no draw for a hero

    int field = 0;
    SetDifficulty(field, 3);
    g_Rand.SetSeed(9);
    PersonRecord soldier = PersonRecord::CreateFromMissionRow(table, 2, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(soldier.nLevel, 5);  // 4 shifted by one at difficulty 3
    PersonRecord expected = CPersonTypeTable::Get(2);
    expected.bFriend = 0;
    expected.SetLevel(5, 0);
    g_Rand.SetSeed(9);
    expected = PersonRecord::RandomizeStats(expected, 4.0, 0.0, 0.95, 0.95, 0.95, 0.95, 1.2, 1.2, 1.2);
    EXPECT_EQ(soldier.nMaxHP, expected.nMaxHP);
    EXPECT_EQ(soldier.nStr, expected.nStr);
    EXPECT_EQ(soldier.nGurM, expected.nGurM);
}

TEST_F(PersonTest, AttributeTwoIsAFairCoinBeforeTheSpread) {
    LoadTypes(Row(1, "hero", 1, "30", "1", 0, kNoSkills12, kNoSkills6, kNoSkills4, 2, 2));
    CTableFile table = datatest::Table("ptype,LV,operate,friend\n1,1,0,0\n");
    for (uint32_t seed = 1; seed < 20; ++seed) {
        g_Rand.SetSeed(seed);
        PersonRecord p = PersonRecord::CreateFromMissionRow(table, 1);
        CRand r;
        r.SetSeed(seed);
        bool dark = r.Get() & 1u;
        EXPECT_EQ(p.nAttrDark, dark ? 1 : 0);
        EXPECT_EQ(p.nAttrLight, dark ? 0 : 1);
    }
}

TEST_F(PersonTest, BadMissionRowsAreLogged) {
    LoadTypes(Row(1, "a", 0, "30", "1", 0, kNoSkills12, kNoSkills6, kNoSkills4));
    datatest::LogCapture log;
    CTableFile table = datatest::Table("ptype,LV,operate,friend\n55,1,0,0\n1,1,0\n");
    bool ok = true;
    PersonRecord unknown = PersonRecord::CreateFromMissionRow(table, 1, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(unknown.bExist, 0);
    PersonRecord shortRow = PersonRecord::CreateFromMissionRow(table, 2, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(shortRow.bExist, 0);
    EXPECT_EQ(log.Lines().size(), 2u) << log.All();
    EXPECT_FALSE(CPersonTypeTable::Has(55));
}

TEST_F(PersonTest, PersonListIdsHpMpAndConditions) {
    LoadTypes(Row(1, "a", 0, "40", "0", 10, "3,4,1,-1,-1,-1,-1,-1,-1,-1,-1,-1", kNoSkills6, "8,6,-1,-1"));
    CPersonList list;
    EXPECT_EQ(list.FindIndexById(1001), -1);
    int i = list.AddPerson(PersonRecord::CreateFromType(1, 1, 1, 1, 1, 0));
    EXPECT_EQ(i, 0);
    EXPECT_EQ(list.GetID(0), 1001);
    EXPECT_EQ(list.AddPerson(list.GetPerson(0)), 1);
    EXPECT_EQ(list.GetID(1), 1002);
    EXPECT_EQ(list.FindIndexById(1002), 1);

    list.SetHP(0, 500);
    EXPECT_EQ(list.GetHP(0), 40);
    EXPECT_EQ(list.GetPerson(0).bExist, 1);
    list.SetHP(0, -3);
    EXPECT_EQ(list.GetHP(0), 0);
    EXPECT_EQ(list.GetPerson(0).bExist, 0);
    list.SetHP(0, 10);
    EXPECT_EQ(list.GetPerson(0).bExist, 0);  // never brought back here
    list.SetHP(1, 0);
    EXPECT_EQ(list.GetPerson(1).bExist, 0);

    EXPECT_EQ(list.SetMP(1, -1), 0);
    EXPECT_EQ(list.SetMP(1, 99), 10);

    list.GetPerson(1).nCondition = 0b1011;
    list.SetCondition(1, 2, 0);
    EXPECT_EQ(list.GetPerson(1).nCondition, 0b1001);
    EXPECT_TRUE(list.HasCondition(1, 4));
    EXPECT_FALSE(list.HasCondition(1, 2));
    list.SetCondition(1, 2, 1);
    EXPECT_TRUE(list.HasCondition(1, 2));

    EXPECT_TRUE(list.HasPassiveSkillEffect(1, 6));
    EXPECT_TRUE(list.HasPassiveSkillEffect(1, 10));
    EXPECT_FALSE(list.HasPassiveSkillEffect(1, 7));
    // Heal (type 3) costs 4 MP.
    list.SetMP(1, 4);
    EXPECT_TRUE(list.HasAffordableType3Skill(1));
    list.SetMP(1, 3);
    EXPECT_FALSE(list.HasAffordableType3Skill(1));
}

TEST_F(PersonTest, IndexOutOfRangeIsLoggedAndNeutral) {
    LoadTypes(Row(1, "a", 0, "40", "0", 10, kNoSkills12, kNoSkills6, kNoSkills4));
    CPersonList list;
    datatest::LogCapture log;
    EXPECT_EQ(list.GetHP(3), 0);
    EXPECT_EQ(list.GetName(-1), "");
    EXPECT_EQ(list.GetPerson(7).bExist, 0);
    list.SetHP(9, 5);
    EXPECT_EQ(log.Lines().size(), 4u) << log.All();
}

TEST_F(PersonTest, RandomChanceComparesOneDraw) {
    g_Rand.SetSeed(3);
    CRand r;
    r.SetSeed(3);
    for (int i = 0; i < 50; ++i) {
        double p = i / 50.0;
        EXPECT_EQ(RandomChance(p), r.Get() / 4294967295.0 <= p);
    }
    EXPECT_TRUE(RandomChance(1.0));
}

}  // namespace
