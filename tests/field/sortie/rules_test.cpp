// The arithmetic of the preparation: level-up prices, funds, costs and refunds,
// forced heroes, the mission tables' names, duplicate positions and the formation
// positions of a troop's members.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "../../data/data_test_util.h"
#include "PartyData.h"
#include "PersonData.h"
#include "FieldTaskInfo.h"
#include "sortie/SortieRules.h"
#include "sortie/TaskLocateUnit.h"

namespace {

const char* kTypes =
    "typeID,name,s_name,hero,HP,HPUP,MP,class,str,strUP,guard,move,m_type,LocateCost,EXP,EXPUP\n"
    "1,剣士,剣,1,30,3.0,6,1,9,1.2,20,5,0,10,300,1.4\n"
    "10,兵,兵,0,18,1.6,0,1,6,0.8,16,5,0,2,100,1.5\n"
    "11,弓,弓,0,15,1.3,0,2,5,0.7,8,5,0,3,120,1.5\n"
    "12,巨,巨,0,15,1.3,0,2,5,0.7,8,5,0,4,2000000000,3.0\n";

class SortieRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        CPersonTypeTable::Clear();
        CPersonTypeTable::LoadRows(datatest::Rows(kTypes));
    }
    void TearDown() override { CPersonTypeTable::Clear(); }
    datatest::LogCapture log;
};

struct PriceCase {
    double base, growth;
    int level, price;
};

TEST_F(SortieRulesTest, LevelUpPriceIsTruncatedPowerOrNoPriceAtAll) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const PriceCase cases[] = {
        {300, 1.4, 1, 300},       // level 1 costs exactly EXP
        {300, 1.4, 2, 420},       // 1.4 x 300
        {300, 1.4, 3, 587},       // 1.4 x 1.4 is just below 1.96 in double precision
        {100, 1.5, 4, 337},       // 337.5 truncated
        {100, 1.5, 15, 29192},    // 1.5^14 x 100 = 29192.9...
        {0, 1.5, 5, 0},
        {100, nan, 2, sortie::kNoPrice},
        {100, inf, 2, sortie::kNoPrice},
        {-100, 1.5, 2, sortie::kNoPrice},
        {2000000000, 3.0, 2, sortie::kNoPrice},  // beyond an int32
        {2147483647, 1.0, 1, 2147483647},        // the largest that fits
    };
    for (const PriceCase& c : cases)
        EXPECT_EQ(sortie::LevelUpPrice(c.base, c.growth, c.level), c.price)
            << c.base << " " << c.growth << " " << c.level;
}

TEST_F(SortieRulesTest, HeroAndTroopPricesComeFromTheirTables) {
    EXPECT_EQ(sortie::LevelUpCost(1, 1), 300);
    EXPECT_EQ(sortie::LevelUpCost(1, 3), 587);
    EXPECT_EQ(sortie::LevelUpCost(12, 2), sortie::kNoPrice);
    EXPECT_EQ(sortie::LevelUpCost(99, 1), sortie::kNoPrice);  // not in the table: logged
    EXPECT_NE(log.All().find("99"), std::string::npos);
    CTroopType t;
    t.nEXP = 100;
    t.dEXPUP = 1.5;
    t.nLV = 3;
    EXPECT_EQ(sortie::TroopLevelUpCost(t), 225);
}

TEST_F(SortieRulesTest, ARowIsAffordableWithinFundsBelowTheHighestLevel) {
    EXPECT_TRUE(sortie::CanAffordLevelUp(500, 500, 1));   // exactly the funds
    EXPECT_FALSE(sortie::CanAffordLevelUp(501, 500, 1));
    EXPECT_TRUE(sortie::CanAffordLevelUp(0, 0, 14));
    EXPECT_FALSE(sortie::CanAffordLevelUp(0, 1000, 15));  // level 15 is the top
    EXPECT_FALSE(sortie::CanAffordLevelUp(sortie::kNoPrice, 1000, 1));
}

TEST_F(SortieRulesTest, CostsSumHeroesAndEveryTroopMember) {
    CMapData map(false);
    map.AddSortiePosition(0, 0);
    map.AddSortiePosition(1, 0);
    map.m_vnSortiePos[0].m_vHero.push_back({1, 1});
    SortieTroopEntry t;
    t.nTypeID = {10, 11, 10};
    t.nLV = {1, 1, 1};
    t.bForward = {true, false, false};
    map.m_vnSortiePos[1].m_vTroop.push_back(t);
    EXPECT_EQ(sortie::TroopCost(t), 7);
    EXPECT_EQ(sortie::TotalSortieCost(map), 17);
    EXPECT_EQ(sortie::CountPlacedHeroes(map), 1);
    EXPECT_EQ(sortie::CountPlacedTroops(map), 1);
    EXPECT_TRUE(sortie::IsHeroOnAnyPosition(map, 1));
    EXPECT_FALSE(sortie::IsHeroOnAnyPosition(map, 10));
    map.m_nLocateCost = 20;
    EXPECT_EQ(sortie::RemainingBudget(map, 17), 3);
}

TEST_F(SortieRulesTest, MissionTablesOfMapsBelowTenGetALeadingZero) {
    EXPECT_EQ(sortie::MissionTableBase(0), "map/map00");
    EXPECT_EQ(sortie::MissionTableBase(5), "map/map05");
    EXPECT_EQ(sortie::MissionTableBase(12), "map/map12");
}

TEST_F(SortieRulesTest, ForcedHeroesArePlacedOnceAndOnlyOnPositionsThatExist) {
    CPartyData party;
    party.AddHero(1, 4);
    party.AddHero(10, 2);
    party.AddHero(11, 1);
    party.m_Heros[0].m_bForcePlaced = true;
    party.m_Heros[0].m_nPlaced = 1;
    party.m_Heros[1].m_bForcePlaced = true;
    party.m_Heros[1].m_nPlaced = 7;   // no such position
    party.m_Heros[2].m_bForcePlaced = true;  // forced but not placed: left off
    CMapData map(false);
    map.AddSortiePosition(0, 0);
    map.AddSortiePosition(1, 0);
    sortie::PlaceForcedHeroes(party, map);
    sortie::PlaceForcedHeroes(party, map);  // already listed: not twice
    ASSERT_EQ(map.m_vnSortiePos[1].m_vHero.size(), 1u);
    EXPECT_EQ(map.m_vnSortiePos[1].m_vHero[0].nTypeID, 1);
    EXPECT_EQ(map.m_vnSortiePos[1].m_vHero[0].nLV, 4);
    EXPECT_TRUE(map.m_vnSortiePos[0].m_vHero.empty());
    EXPECT_NE(log.All().find("typeID=10"), std::string::npos) << log.All();
}

TEST_F(SortieRulesTest, PositionsNamedTwiceAreMergedKeepingTheirUnits) {
    CMapData map(false);
    map.AddSortiePosition(1, 12);
    map.AddSortiePosition(2, 13);
    map.m_vnSortiePos[0].m_vHero.push_back({1, 2});
    SortieTroopEntry t;
    t.nTypeID = {10};
    t.nLV = {1};
    t.bForward = {true};
    map.m_vnSortiePos[1].m_vTroop.push_back(t);
    // The initialisation ran again: the same points once more, empty.
    map.AddSortiePosition(1, 12);
    map.AddSortiePosition(2, 13);
    EXPECT_EQ(sortie::MergeDuplicatePositions(map), 2);
    ASSERT_EQ(map.GetSortiePositionCount(), 2);
    EXPECT_EQ(map.m_vnSortiePos[0].m_vHero.size(), 1u);
    EXPECT_EQ(map.m_vnSortiePos[1].m_vTroop.size(), 1u);
    EXPECT_EQ(sortie::MergeDuplicatePositions(map), 0);
}

struct SlotCase {
    std::vector<bool> forward;
    int positions[4];  // of slots 0..3, -1 for no member
};

TEST_F(SortieRulesTest, TroopMembersStandAtPositionsByTheSecondMembersRow) {
    const SlotCase cases[] = {
        {{true}, {0, -1, -1, -1}},
        {{true, true}, {0, 1, -1, -1}},
        {{true, false}, {0, 2, -1, -1}},
        {{true, true, false}, {0, 1, 2, -1}},
        {{true, false, false}, {0, 2, 3, -1}},
        {{true, true, false, false}, {0, 1, 2, 3}},
    };
    for (const SlotCase& c : cases) {
        SortieTroopEntry t;
        for (bool f : c.forward) {
            t.nTypeID.push_back(10);
            t.nLV.push_back(1);
            t.bForward.push_back(f);
        }
        for (int k = 0; k < 4; ++k) EXPECT_EQ(t.GetSlotPosition(k), c.positions[k]) << c.forward.size() << " " << k;
        for (int p = 0; p < 4; ++p) {
            int expect = -1;
            for (int k = 0; k < 4; ++k)
                if (c.positions[k] == p) expect = k;
            EXPECT_EQ(t.FindSlotByPosition(p), expect) << c.forward.size() << " position " << p;
        }
    }
    SortieTroopEntry empty;
    EXPECT_EQ(empty.FindSlotByPosition(0), -1);
    EXPECT_EQ(empty.GetSlotPosition(0), -1);
}

TEST_F(SortieRulesTest, PlacedPersonsAreOfThePlayersSideAtTheirLevel) {
    SortieHeroEntry h{1, 3};
    PersonRecord p = h.MakePerson();
    EXPECT_EQ(p.typeID, 1);
    EXPECT_EQ(p.nLevel, 3);
    EXPECT_EQ(p.bFriend, 1);
    EXPECT_EQ(p.bOperate, 1);
    SortieTroopEntry t;
    t.nTypeID = {10, 11};
    t.nLV = {2, 5};
    t.bForward = {true, false};
    PersonRecord m = t.MakeMemberPerson(1);
    EXPECT_EQ(m.typeID, 11);
    EXPECT_EQ(m.nLevel, 5);
    EXPECT_EQ(m.bForward, 0);
    EXPECT_EQ(t.MakeMemberPerson(4).nHP, 0);  // no such member: logged, empty
}

}  // namespace

namespace {

class MissionUnitsTest : public SortieRulesTest {};

TEST_F(MissionUnitsTest, UnitRowsMakeUnitsAndSkipPersonsTheTableLacks) {
    C_FieldTaskInfo info;
    CTableFile persons = datatest::Table("ptype,LV,operate,friend\n10,3,0,0\n11,2,0,0\n1,5,1,1\n");
    CTableFile units = datatest::Table(
        "leader,member1,member2,member3,x,y\n"
        "0,1,1,-1,4,5\n"    // three persons: leader and first member in front
        "2,-1,1,1,6,7\n"    // -1 ends the member list early
        "9,0,-1,-1,1,1\n"   // no person row 10: the unit is left out
        "0,7,-1,-1,2,2\n"   // no row 8 for the member: the leader stands alone
        "0,1\n");           // too few columns
    C_TaskLocateUnit::AddMissionUnits(&info, persons, units, "map/map07_person.csv", "map/map07_unit.csv");
    ASSERT_EQ(info.m_UnitList.GetCount(), 3);
    EXPECT_EQ(info.m_UnitList.GetMemberCount(0), 3);
    EXPECT_EQ(info.m_UnitList.GetX(0), 4);
    EXPECT_EQ(info.m_UnitList.GetY(0), 5);
    EXPECT_TRUE(info.m_UnitList.IsMemberForward(0, 0));
    EXPECT_TRUE(info.m_UnitList.IsMemberForward(0, 1));
    EXPECT_FALSE(info.m_UnitList.IsMemberForward(0, 2));
    EXPECT_EQ(info.m_UnitList.GetMemberCount(1), 1);
    EXPECT_EQ(info.m_UnitList.GetMemberCount(2), 1);
    EXPECT_EQ(info.m_UnitList.GetX(2), 2);
    const std::string all = log.All();
    EXPECT_NE(all.find("人物 9 の行がありません"), std::string::npos) << all;
    EXPECT_NE(all.find("人物 7 の行がありません"), std::string::npos) << all;
    EXPECT_NE(all.find("5 行目の列が足りません"), std::string::npos) << all;
}

}  // namespace
