// The party and game progress: new game, map advance with its bonus, backup and
// restore, and the party's archive with its backup.
#include <gtest/gtest.h>

#include "../data_test_util.h"
#include "PartyData.h"
#include "PersonData.h"
#include "archive/gvlStringMap.h"

namespace {

class PartyTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(log.Dir() + "gamedata");
        std::string troop = datatest::ReadFile(std::string(VORMANT_SOURCE_DIR) + "/content/gamedata/Troop.txt");
        ASSERT_FALSE(troop.empty());
        std::ofstream(log.Dir() + "gamedata/Troop.txt", std::ios::binary) << datatest::GameTextFromUtf8(troop);
    }

    // A party in the middle of a game.
    void Fill(CPartyData& p) {
        p.Reset();
        SetDifficulty(p.Difficulty, 4);
        p.nMap = 6;
        p.nMoney = 1234;
        p.toInterMission = true;
        p.ForceID0 = 2;
        p.ForceID1 = 7;
        p.AddHero(1, 5);
        p.AddHero(3, 8);
        p.m_Heros[1].m_nPlaced = 2;
        p.m_Heros[1].m_bForcePlaced = true;
        p.m_Heros[0].m_bCanUse = false;
        p.m_mapUsedPerson[11] = 2;
        p.m_mapUsedPerson[4] = 1;
        CreatedTroopEntry t;
        t.TypeID = {11, 12, 13};
        t.bForward = {true, false, true};
        t.nLV = {3, 4, 5};
        p.m_CreatedTroop.push_back(t);
        p.m_CreatedTroop.push_back(CreatedTroopEntry());
        ASSERT_GT(p.m_Troops.GetCount(), 0);
        p.m_Troops.m_vTroop[0].m_bCanUse = 1;
        p.m_Troops.m_vTroop[0].nLV = 6;
        p.Backup();
        p.nMoney = 99;  // the backup keeps 1234
        p.AddHero(2, 1);
    }

    datatest::LogCapture log;
};

void ExpectHeroesEqual(const std::vector<HeroEntry>& a, const std::vector<HeroEntry>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].m_typeID, b[i].m_typeID);
        EXPECT_EQ(a[i].m_LV, b[i].m_LV);
        EXPECT_EQ(a[i].m_nPlaced, b[i].m_nPlaced);
        EXPECT_EQ(a[i].m_bCanUse, b[i].m_bCanUse);
        EXPECT_EQ(a[i].m_bForcePlaced, b[i].m_bForcePlaced);
    }
}

void ExpectTroopsEqual(const std::vector<CreatedTroopEntry>& a, const std::vector<CreatedTroopEntry>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].TypeID, b[i].TypeID);
        EXPECT_EQ(a[i].bForward, b[i].bForward);
        EXPECT_EQ(a[i].nLV, b[i].nLV);
    }
}

TEST_F(PartyTest, ResetKeepsDifficultyFlagsUsedPersonsAndCreatedTroops) {
    CPartyData p;
    Fill(p);
    p.Reset();
    EXPECT_EQ(p.nMap, 0);
    EXPECT_EQ(p.nMoney, 0);
    EXPECT_TRUE(p.m_Heros.empty());
    EXPECT_EQ(p.ForceID0, 0);
    EXPECT_EQ(p.ForceID1, 3);
    EXPECT_EQ(p.Difficulty, 4);
    EXPECT_TRUE(p.toInterMission);
    EXPECT_EQ(p.m_mapUsedPerson.size(), 2u);
    EXPECT_EQ(p.m_CreatedTroop.size(), 2u);
    // The troop table is read again: the unlock is gone.
    CTroopTypeTable fresh;
    fresh.LoadFile();
    EXPECT_EQ(p.m_Troops.m_vTroop[0].nLV, fresh.m_vTroop[0].nLV);
    EXPECT_EQ(p.m_Troops.m_vTroop[0].m_bCanUse, fresh.m_vTroop[0].m_bCanUse);
    EXPECT_EQ(p.m_Backup.nMap, 0);
    EXPECT_EQ(p.m_Backup.ForceID1, 3);
    EXPECT_EQ(log.All(), "");
}

TEST_F(PartyTest, AdvanceMapAddsTheBonusOfTheNewMapAndTakesABackup) {
    CPartyData p;
    p.Reset();
    p.AddHero(1, 3);
    p.m_Heros[0].m_nPlaced = 4;
    p.m_Heros[0].m_bForcePlaced = true;
    p.nMap = 2;
    p.AdvanceMap();
    EXPECT_EQ(p.nMap, 3);
    EXPECT_EQ(p.nMoney, 480);
    EXPECT_EQ(p.m_Heros[0].m_nPlaced, -1);
    EXPECT_FALSE(p.m_Heros[0].m_bForcePlaced);
    EXPECT_EQ(p.m_Backup.nMoney, 480);
    p.nMap = 5;
    p.AdvanceMap();
    EXPECT_EQ(p.nMoney, 480);  // map 6 gives nothing
    p.nMap = 15;
    p.AdvanceMap();
    EXPECT_EQ(p.nMoney, 500480);
    EXPECT_EQ(CPartyData::GetMapClearBonus(19), 10000000);
    EXPECT_EQ(CPartyData::GetMapClearBonus(39), 0);
    EXPECT_EQ(CPartyData::GetMapClearBonus(40), 0);
    EXPECT_EQ(CPartyData::GetMapClearBonus(-1), 0);
}

// Funds from a save or a script near the int32 limits: held there, one log line
// each time; a script may still take them below zero.
TEST_F(PartyTest, MoneyIsHeldAtTheIntLimits) {
    struct Case {
        int32_t money, amount, expected;
        bool logged;
    };
    const Case cases[] = {
        {100, 500, 600, false},           {100, -500, -400, false},
        {INT32_MAX, 500, INT32_MAX, true}, {INT32_MAX - 10, 10, INT32_MAX, false},
        {INT32_MIN, -1, INT32_MIN, true},  {INT32_MIN + 5, INT32_MIN, INT32_MIN, true},
        {INT32_MAX, INT32_MIN, -1, false}, {2000000000, 2000000000, INT32_MAX, true},
    };
    for (const Case& c : cases) {
        datatest::LogCapture capture;
        CPartyData p;
        p.nMoney = c.money;
        p.AddMoney(c.amount);
        EXPECT_EQ(p.nMoney, c.expected) << c.money << " + " << c.amount;
        EXPECT_EQ(capture.Lines().size(), c.logged ? 1u : 0u) << c.money << " + " << c.amount;
    }
    // The clear bonus of the next map, and the map number itself, are held too.
    CPartyData p;
    p.nMap = 18;
    p.nMoney = INT32_MAX - 5;
    p.AdvanceMap();
    EXPECT_EQ(p.nMoney, INT32_MAX);
    EXPECT_EQ(p.m_Backup.nMoney, INT32_MAX);
    p.nMap = INT32_MAX;
    p.AdvanceMap();
    EXPECT_EQ(p.nMap, INT32_MAX);
}

TEST_F(PartyTest, RestoreBackupPutsTheStartOfTheMapBack) {
    CPartyData p;
    Fill(p);
    p.m_mapUsedPerson[50] = 1;
    SetDifficulty(p.Difficulty, 1);
    p.RestoreBackup();
    EXPECT_EQ(p.nMoney, 1234);
    EXPECT_EQ(p.m_Heros.size(), 2u);
    EXPECT_EQ(p.m_mapUsedPerson.count(50), 0u);
    EXPECT_EQ(p.Difficulty, 4);
    EXPECT_EQ(GetCurrentDifficulty(), 4);
    EXPECT_EQ(p.m_Troops.m_vTroop[0].nLV, 6);
}

TEST_F(PartyTest, SavedKeysAndGroupNames) {
    CPartyData p;
    Fill(p);
    CStringMap a = p.Save();
    EXPECT_EQ(a.GetString("m_HerosSize", ""), "3");
    EXPECT_EQ(a.GetString("m_Heros0/m_typeID", ""), "1");
    EXPECT_EQ(a.GetString("m_Heros1/m_nPlaced", ""), "2");
    EXPECT_EQ(a.GetString("m_Heros1/m_bForcePlaced", ""), "1");
    EXPECT_EQ(a.GetString("m_mapUsedPersonSize", ""), "2");
    EXPECT_EQ(a.GetString("m_mapUsedPerson0/first", ""), "4");  // ascending key order
    EXPECT_EQ(a.GetString("m_mapUsedPerson1/second", ""), "2");
    EXPECT_EQ(a.GetString("m_CreatedTroop0/NumPerson", ""), "3");
    EXPECT_EQ(a.GetString("m_CreatedTroop0/1/TypeID", ""), "12");
    EXPECT_EQ(a.GetString("m_CreatedTroop0/1/bForward", ""), "0");
    EXPECT_EQ(a.GetString("m_CreatedTroop0/2/nLV", ""), "5");
    EXPECT_EQ(a.GetString("toInterMission", ""), "1");
    EXPECT_EQ(a.GetString("Difficulty", ""), "4");
    EXPECT_EQ(a.GetString("BackupParty.m_HerosSize", ""), "2");
    EXPECT_EQ(a.GetString("BackupParty.m_Heros1/m_typeID", ""), "3");
    EXPECT_EQ(a.GetString("BackupParty.nMoney", ""), "1234");
    EXPECT_EQ(a.GetString("BackupParty/m_Troops/0/nLV", ""), "6");
    EXPECT_EQ(a.GetString("m_Troops/0/nLV", ""), "6");
    EXPECT_EQ(a.GetString("BackupParty.m_CreatedTroop0/0/TypeID", ""), "11");
    EXPECT_EQ(a.GetMap().count("BackupParty.m_mapUsedPersonSize"), 0u);
}

TEST_F(PartyTest, SaveAndLoadGiveTheSameParty) {
    CPartyData p;
    Fill(p);
    CPartyData q;
    q.Load(p.Save());
    EXPECT_EQ(q.Difficulty, 4);
    EXPECT_EQ(q.nMap, p.nMap);
    EXPECT_EQ(q.nMoney, 99);
    EXPECT_EQ(q.toInterMission, true);
    EXPECT_EQ(q.ForceID0, 2);
    EXPECT_EQ(q.ForceID1, 7);
    EXPECT_EQ(q.m_mapUsedPerson, p.m_mapUsedPerson);
    ExpectHeroesEqual(q.m_Heros, p.m_Heros);
    ExpectTroopsEqual(q.m_CreatedTroop, p.m_CreatedTroop);
    EXPECT_EQ(q.m_Troops.m_vTroop[0].nLV, 6);
    EXPECT_EQ(q.m_Troops.m_vTroop[0].m_bCanUse, 1);
    // The backup.
    EXPECT_EQ(q.m_Backup.Difficulty, 4);
    EXPECT_EQ(q.m_Backup.nMoney, 1234);
    EXPECT_EQ(q.m_Backup.nMap, 6);
    EXPECT_EQ(q.m_Backup.ForceID1, 7);
    EXPECT_TRUE(q.m_Backup.toInterMission);
    ExpectHeroesEqual(q.m_Backup.m_Heros, p.m_Backup.m_Heros);
    ExpectTroopsEqual(q.m_Backup.m_CreatedTroop, p.m_Backup.m_CreatedTroop);
    EXPECT_EQ(q.m_Backup.m_Troops.m_vTroop[0].nLV, 6);
    // The backup's used persons are not archived: what the reset copied stays.
    EXPECT_TRUE(q.m_Backup.m_mapUsedPerson.empty());
    EXPECT_EQ(log.All(), "");
}

TEST_F(PartyTest, MissingKeysTakeTheirDefaultsAndDifficultyIsClamped) {
    CPartyData p;
    CStringMap a;
    a.SetInt64("Difficulty", 9);
    p.Load(a);
    EXPECT_EQ(p.Difficulty, 5);
    EXPECT_EQ(p.nMap, -1);
    EXPECT_EQ(p.ForceID1, 0);
    EXPECT_TRUE(p.m_Heros.empty());  // no hero count: no heroes
    EXPECT_EQ(p.m_Backup.Difficulty, 2);
    EXPECT_EQ(GetCurrentDifficulty(), 2);  // the backup's difficulty is set last
    a.SetInt64("Difficulty", 0);
    a.SetInt64("BackupParty.Difficulty", 0);
    p.Load(a);
    EXPECT_EQ(p.Difficulty, 1);
    EXPECT_EQ(p.m_Backup.nMap, -1);
    // A hero without placement is not placed.
    a.SetInt64("m_HerosSize", 1);
    a.SetInt64("m_Heros0/m_typeID", 3);
    p.Load(a);
    ASSERT_EQ(p.m_Heros.size(), 1u);
    EXPECT_EQ(p.m_Heros[0].m_LV, 0);
    EXPECT_LT(p.m_Heros[0].m_nPlaced, 0);
}

TEST_F(PartyTest, LoadKeepsUsedPersonsAlreadyHeld) {
    CPartyData p;
    p.m_mapUsedPerson[4] = 9;
    CStringMap a;
    a.SetInt64("m_mapUsedPersonSize", 2);
    a.SetInt64("m_mapUsedPerson0/first", 4);
    a.SetInt64("m_mapUsedPerson0/second", 1);
    a.SetInt64("m_mapUsedPerson1/first", 5);
    a.SetInt64("m_mapUsedPerson1/second", 2);
    p.Load(a);
    EXPECT_EQ(p.m_mapUsedPerson[4], 9);
    EXPECT_EQ(p.m_mapUsedPerson[5], 2);
    // The backup holds the map as it was before the load read it.
    EXPECT_EQ(p.m_Backup.m_mapUsedPerson.size(), 1u);
}

TEST_F(PartyTest, DamagedCountsAreCutAndLogged) {
    CPartyData p;
    CStringMap a;
    a.SetInt64("m_HerosSize", 2000000000);
    a.SetInt64("m_CreatedTroopSize", -4);
    a.SetInt64("m_mapUsedPersonSize", 1000000);
    p.Load(a);
    EXPECT_LE(p.m_Heros.size(), a.GetMap().size());
    EXPECT_TRUE(p.m_CreatedTroop.empty());
    EXPECT_LE(p.m_mapUsedPerson.size(), 1u);
    EXPECT_EQ(log.Lines().size(), 3u);
}

}  // namespace
