// Units: forming, rows, split, transfer and merge, reach, defeated counts, archive.
#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>

#include "../data_test_util.h"
#include "PersonData.h"
#include "SkillData.h"
#include "UnitData.h"
#include "archive/gvlStringMap.h"

namespace {

class UnitTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_SkillData.LoadRows(datatest::Rows(datatest::kSkillCsv));
        CPersonTypeTable::Clear();
        CPersonTypeTable::LoadRows(datatest::Rows("typeID,name,hero,HP\n1,soldier,0,10\n2,hero,1,10\n"));
        units.SetPersonList(&persons);
    }
    void TearDown() override { CPersonTypeTable::Clear(); }

    // A person with the given move and skills (ids of the test skill table).
    int Add(int move, std::initializer_list<int> skills = {}, std::initializer_list<int> passives = {},
            uint8_t bFriend = 1, uint8_t hero = 0, int typeID = 1) {
        PersonRecord p;
        p.nMove = move;
        p.nRestMove = move;
        p.bFriend = bFriend;
        p.hero = hero;
        p.typeID = typeID;
        p.nMaxHP = p.nHP = 20;
        p.nMaxMP = p.nMP = 10;
        int k = 0;
        for (int s : skills) p.skill[k++] = s;
        k = 0;
        for (int s : passives) p.pskill[k++] = s;
        p.name = "P" + std::to_string(persons.GetCount());
        return persons.AddPerson(p);
    }
    // A unit of the given persons: the first two in front, the others behind.
    int Form(std::initializer_list<int> members) {
        int u = -1, k = 0;
        for (int p : members) {
            if (u < 0) {
                u = units.AddUnit(p);
            } else {
                units.AddMember(u, p);
                persons.SetForward(p, k < 2 ? 1 : 0);
            }
            ++k;
        }
        return u;
    }
    std::vector<int32_t> Members(int u) { return units.GetUnit(u).vnPerson; }
    bool Front(int p) { return persons.GetPerson(p).bForward != 0; }

    CPersonList persons;
    CUnitList units;
};

TEST_F(UnitTest, AddUnitPutsThePersonInFrontWithAFreshId) {
    int p = Add(5);
    persons.SetForward(p, 0);
    int next = UnitRecord::PeekNextId();
    int u = units.AddUnitAt(p, 3, 4);
    EXPECT_EQ(u, 0);
    EXPECT_TRUE(Front(p));
    EXPECT_EQ(units.GetX(u), 3);
    EXPECT_EQ(units.GetY(u), 4);
    EXPECT_EQ(units.GetCharge(u), 0);
    EXPECT_FALSE(units.IsActEnd(u));
    int id = 0;
    units.GetUnitId(u, &id);
    EXPECT_EQ(id, next);
    int u2 = units.AddUnit(Add(5));
    EXPECT_EQ(units.GetX(u2), 0);
    units.GetUnitId(u2, &id);
    EXPECT_EQ(id, next + 1);
}

TEST_F(UnitTest, FifthMemberIsRefusedWithItsLogLine) {
    for (int i = 0; i < 18; ++i) Add(5);
    for (int i = 0; i < 3; ++i) units.AddUnit(i);
    int u = Form({3, 4, 5, 6});
    ASSERT_EQ(u, 3);
    datatest::LogCapture log;
    units.AddMember(3, 17);
    EXPECT_EQ(units.GetMemberCount(3), 4);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], "モブに規定を超える人数を追加しようとした。unit=3, person=17");
}

TEST_F(UnitTest, SetMembersTakesRowsFromTheOrderSlots) {
    for (int i = 0; i < 8; ++i) Add(5);
    int u = Form({0, 1});
    const int order[4] = {-1, 5, 7, -1};
    units.SetMembers(u, order);
    EXPECT_EQ(Members(u), (std::vector<int32_t>{5, 7}));
    EXPECT_TRUE(Front(5));
    EXPECT_FALSE(Front(7));
}

TEST_F(UnitTest, RemovingTheOnlyFrontMemberPutsTheNextInFront) {
    for (int i = 0; i < 4; ++i) Add(5);
    int u = Form({0});
    units.AddMember(u, 1);
    units.AddMember(u, 2);
    persons.SetForward(1, 0);
    persons.SetForward(2, 0);
    units.RemoveMember(u, 0);
    EXPECT_EQ(Members(u), (std::vector<int32_t>{1, 2}));
    EXPECT_TRUE(Front(1));
    EXPECT_FALSE(Front(2));
}

TEST_F(UnitTest, RemovingTheLastMemberErasesTheUnit) {
    for (int i = 0; i < 3; ++i) units.AddUnit(Add(5));
    int id2 = units.GetUnit(2).nUnitID;
    units.RemoveMember(1, 0);
    EXPECT_EQ(units.GetCount(), 2);
    EXPECT_EQ(units.GetMember(1, 0), 2);
    EXPECT_EQ(units.GetUnit(1).nUnitID, id2);
    EXPECT_EQ(units.FindUnitById(id2), 1);
}

TEST_F(UnitTest, SortKeepsOrderWithinEachRow) {
    for (int i = 0; i < 4; ++i) Add(5);
    int u = Form({0, 1, 2, 3});
    persons.SetForward(0, 0);
    persons.SetForward(1, 1);
    persons.SetForward(2, 0);
    persons.SetForward(3, 1);
    units.SortMembersFrontFirst(u);
    EXPECT_EQ(Members(u), (std::vector<int32_t>{1, 3, 0, 2}));
}

TEST_F(UnitTest, SplitOfAllNoneOrASingleMemberChangesNothing) {
    for (int i = 0; i < 4; ++i) Add(5);
    int u = Form({0, 1, 2});
    int single = units.AddUnit(3);
    const bool all[4] = {true, true, true, false};
    const bool none[4] = {false, false, false, false};
    const bool one[4] = {true, false, false, false};
    EXPECT_EQ(units.SplitUnit(u, all), u);
    EXPECT_EQ(units.SplitUnit(u, none), u);
    EXPECT_EQ(units.SplitUnit(single, one), single);
    EXPECT_EQ(units.GetCount(), 2);
    EXPECT_EQ(Members(u), (std::vector<int32_t>{0, 1, 2}));
}

TEST_F(UnitTest, SplitMovesTheSelectedMembersToANewUnitOnTheSameCell) {
    int a = Add(5), b = Add(5), c = Add(5);
    int u = Form({a, b, c});
    units.SetUnitPosition(u, 6, 2);
    units.SetActEnd(u, 1);
    units.SetMoveEnd(u, 0);
    const bool sel[4] = {false, true, true, false};
    int n = units.SplitUnit(u, sel);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(Members(n), (std::vector<int32_t>{b, c}));
    EXPECT_TRUE(Front(b));
    EXPECT_FALSE(Front(c));
    EXPECT_EQ(units.GetX(n), 6);
    EXPECT_EQ(units.GetY(n), 2);
    EXPECT_TRUE(units.IsActEnd(n));
    EXPECT_TRUE(units.IsMoveEnd(n));
    EXPECT_EQ(units.GetCharge(n), 0);
    EXPECT_EQ(Members(u), (std::vector<int32_t>{a}));
}

TEST_F(UnitTest, SplitOfABackMemberPutsItInFront) {
    int a = Add(5), b = Add(5), c = Add(5);
    int u = Form({a, b, c});
    const bool sel[4] = {false, false, true, false};
    int n = units.SplitUnit(u, sel);
    EXPECT_EQ(Members(n), (std::vector<int32_t>{c}));
    EXPECT_TRUE(Front(c));
    EXPECT_EQ(Members(u), (std::vector<int32_t>{a, b}));
}

TEST_F(UnitTest, TransferIntoAFullFrontRowGoesBehind) {
    int t1 = Add(5), t2 = Add(5), s1 = Add(5), s2 = Add(5);
    int target = Form({t1, t2});
    int source = Form({s1, s2});
    const bool sel[4] = {true, false, false, false};
    int r = units.TransferMembers(target, source, sel);
    EXPECT_EQ(r, target);
    EXPECT_EQ(Members(target), (std::vector<int32_t>{t1, t2, s1}));
    EXPECT_FALSE(Front(s1));
    EXPECT_EQ(Members(source), (std::vector<int32_t>{s2}));
    EXPECT_TRUE(Front(s2));
}

TEST_F(UnitTest, TransferOfEveryMemberErasesTheSource) {
    int s1 = Add(5), t1 = Add(5);
    int source = Form({s1});
    int target = Form({t1});
    const bool sel[4] = {true, false, false, false};
    int r = units.TransferMembers(target, source, sel);
    EXPECT_EQ(units.GetCount(), 1);
    EXPECT_EQ(r, 0);  // the target moved down into the erased source's place
    EXPECT_EQ(Members(0), (std::vector<int32_t>{t1, s1}));
}

TEST_F(UnitTest, TransferBeyondFourMembersIsRefusedWhole) {
    for (int i = 0; i < 6; ++i) Add(5);
    int target = Form({0, 1, 2});
    int source = Form({3, 4});
    datatest::LogCapture log;
    const bool sel[4] = {true, true, false, false};
    EXPECT_EQ(units.TransferMembers(target, source, sel), target);
    EXPECT_EQ(units.GetMemberCount(target), 3);
    EXPECT_EQ(units.GetMemberCount(source), 2);
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST_F(UnitTest, MergeTakesTheGivenOrderAndFindsTheTargetAgain) {
    for (int i = 0; i < 4; ++i) Add(5);
    int source = Form({0, 1});
    int target = Form({2, 3});
    const int order[4] = {3, 0, 2, 1};
    int r = units.MergeUnits(target, source, order);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(units.GetCount(), 1);
    EXPECT_EQ(Members(r), (std::vector<int32_t>{3, 0, 2, 1}));
    EXPECT_TRUE(Front(3));
    EXPECT_TRUE(Front(0));
    EXPECT_FALSE(Front(2));
    EXPECT_FALSE(Front(1));
}

TEST_F(UnitTest, JoinRules) {
    int a = units.AddUnit(Add(5, {1}));
    int b = units.AddUnit(Add(5, {2}));
    int enemy = units.AddUnit(Add(5, {1}, {}, 0));
    int hero = units.AddUnit(Add(5, {1}, {}, 1, 1));
    int three = Form({Add(5), Add(5), Add(5)});
    EXPECT_TRUE(units.CanJoinUnits(a, b));
    EXPECT_FALSE(units.CanJoinUnits(a, a));
    EXPECT_FALSE(units.CanJoinUnits(a, enemy));
    EXPECT_FALSE(units.CanJoinUnits(a, hero));
    EXPECT_FALSE(units.CanJoinUnits(hero, a));
    units.AddMember(b, Add(5));
    EXPECT_FALSE(units.CanJoinUnits(three, b));
    const bool one[4] = {true, false, false, false};
    EXPECT_TRUE(units.CanJoinUnits(three, b, one));
    // Ranged: the joining unit's shortest attack reach must exceed 1.
    EXPECT_TRUE(units.CanJoinRangedUnit(a, b, one));   // bow, range 3
    EXPECT_FALSE(units.CanJoinRangedUnit(b, a));       // sword, range 1
}

TEST_F(UnitTest, MoveIsTheSmallestOfTheMembersAndAtMostOneHundred) {
    int u = Form({Add(5), Add(7), Add(4)});
    EXPECT_EQ(units.GetUnitMove(u), 4);
    int far = units.AddUnit(Add(150));
    EXPECT_EQ(units.GetUnitMove(far), 100);
    units.SetMemberRestMove(u, 1, 2);
    EXPECT_EQ(units.GetUnitRestMove(u), 2);
    EXPECT_EQ(persons.GetPerson(units.GetMember(u, 1)).nRestMove, 2);
}

TEST_F(UnitTest, RangeAndDistance) {
    int u = units.AddUnitAt(Add(5), 5, 5);
    int v = units.AddUnitAt(Add(5), 7, 4);
    EXPECT_EQ(units.GetDistance(u, v), 3);
    EXPECT_FALSE(units.IsInRange(u, 6, 5, 3, 2));
    EXPECT_TRUE(units.IsInRange(u, 6, 6, 3, 2));
    EXPECT_TRUE(units.IsInRange(u, 7, 6, 3, 2));
    EXPECT_FALSE(units.IsInRange(u, 8, 6, 3, 2));
    EXPECT_EQ(units.FindUnitAt(7, 4), v);
    EXPECT_EQ(units.FindUnitAt(0, 0), -1);
    EXPECT_EQ(units.GetPersonNameAt(7, 4), "P1");
    EXPECT_EQ(units.GetPersonNameAt(1, 1), "");
    EXPECT_EQ(units.FindUnitOfPerson(1), v);
    EXPECT_EQ(units.FindUnitOfPerson(9), -1);
}

TEST_F(UnitTest, AttackReachCountsOnlyUsableAttackSkills) {
    // Fire costs 5 MP and reaches 2; the cannon (9), heal (type 3) and passives never count.
    int p = Add(5, {1, 3, 5, 4}, {6});
    int u = units.AddUnit(p);
    EXPECT_EQ(units.GetAttackRange(u), 2);
    persons.SetMP(p, 4);
    EXPECT_EQ(units.GetAttackRange(u), 1);
    persons.SetMP(p, 10);
    persons.SetCondition(p, 2, 1);  // sealed: no magic
    EXPECT_EQ(units.GetAttackRange(u), 1);
    // Thunder reaches 5 but costs 30 MP: the shortest reach ignores the cost.
    int q = Add(5, {9, 7});
    int v = units.AddUnit(q);
    EXPECT_EQ(units.GetAttackRange(v), 2);
    EXPECT_EQ(units.GetMinAttackRange(v), 2);
    int none = units.AddUnit(Add(5, {4, 5}));
    EXPECT_EQ(units.GetMinAttackRange(none), INT_MAX);
    EXPECT_EQ(units.GetAttackRange(none), 0);
    EXPECT_TRUE(units.HasAffordableType3Skill(none));
}

TEST_F(UnitTest, ReachAfterMovingNeedsThePassiveOfEffectTen) {
    int archer = Add(5, {2});
    int swift = Add(5, {2}, {6});
    int u = units.AddUnit(archer);
    EXPECT_EQ(units.GetAttackRangeEffect10(u), 1);
    units.AddMember(u, swift);
    EXPECT_EQ(units.GetAttackRangeEffect10(u), 3);
    EXPECT_EQ(units.GetAttackRange(u), 3);
}

TEST_F(UnitTest, MemberNamesAndSkillCounts) {
    int p = Add(5, {1, 3, 5}, {6, 8});
    persons.GetPerson(p).cskill[0] = 5;
    persons.GetPerson(p).s_name = "short";
    int u = units.AddUnitAt(p, 2, 2);
    EXPECT_EQ(units.CountAllMemberSkills(u, 0), 6);
    EXPECT_EQ(units.GetMemberSkillByIndex(u, 0, 3), 5);
    EXPECT_EQ(units.GetMemberSkillByIndex(u, 0, 5), 8);
    EXPECT_EQ(units.GetMemberName(u, 0), "P0");
    EXPECT_EQ(units.GetMemberShortName(u, 0), "short");
    EXPECT_EQ(units.GetPersonNameAt(2, 2), "P0");
}

TEST_F(UnitTest, SlotPositions) {
    int u = Form({Add(5), Add(5), Add(5), Add(5)});
    persons.SetForward(units.GetMember(u, 1), 0);
    EXPECT_EQ(units.GetSlotPosition(u, 0), 0);
    EXPECT_EQ(units.GetSlotPosition(u, 1), 2);
    EXPECT_EQ(units.GetSlotPosition(u, 2), 3);
    EXPECT_EQ(units.GetSlotPosition(u, 3), 3);
    EXPECT_EQ(units.FindSlotByPosition(u, 1), -1);
    EXPECT_EQ(units.FindSlotByPosition(u, 2), 1);
    persons.SetForward(units.GetMember(u, 1), 1);
    EXPECT_EQ(units.GetSlotPosition(u, 1), 1);
    EXPECT_EQ(units.GetSlotPosition(u, 2), 2);
    EXPECT_EQ(units.FindSlotByPosition(u, 1), 1);
}

TEST_F(UnitTest, IdsStayWithTheirUnits) {
    UnitRecord first;
    UnitRecord second;
    EXPECT_EQ(second.nUnitID, first.nUnitID + 1);
    UnitRecord copy = second;
    EXPECT_EQ(copy.nUnitID, second.nUnitID);

    int p = Add(5);
    std::vector<int> ids;
    for (int i = 0; i < 600; ++i) {
        int u = units.AddUnit(p);
        int id = 0;
        units.GetUnitId(u, &id);
        ids.push_back(id);
    }
    for (int i = 0; i < 100; ++i) units.RemoveUnit(0);
    for (int i = 0; i < 500; ++i) EXPECT_EQ(units.GetUnit(i).nUnitID, ids[i + 100]);
    EXPECT_EQ(units.FindUnitById(ids[599]), 499);
}

TEST_F(UnitTest, DefeatedCounts) {
    units.AddDefeated(0, 1);
    units.AddDefeated(0, 1);
    units.AddDefeated(0, 2);
    units.AddDefeated(1, 2);
    EXPECT_EQ(units.GetDefeatedCount(0, 1), 2);
    EXPECT_EQ(units.GetDefeatedCount(0, 3), 0);
    EXPECT_EQ(units.GetDefeatedTotal(0), 3);
    EXPECT_EQ(units.GetDefeatedHeroCount(0), 1);
    EXPECT_EQ(units.GetDefeatedHeroCount(1), 1);
    EXPECT_EQ(units.GetDefeatedTotal(1), 1);
}

TEST_F(UnitTest, SetMemberHpBelowOneClearsExist) {
    int u = units.AddUnit(Add(5));
    units.SetMemberHP(u, 0, 50);
    EXPECT_EQ(units.GetMemberHP(u, 0), 20);
    units.SetMemberHP(u, 0, 0);
    EXPECT_EQ(units.GetMemberHP(u, 0), 0);
    EXPECT_EQ(persons.GetPerson(0).bExist, 0);
}

TEST_F(UnitTest, SaveThenLoadGivesTheSameUnitsWithNewIds) {
    int u = Form({Add(5), Add(5), Add(5)});
    units.SetUnitPosition(u, 4, 9);
    units.SetCharge(u, 3);
    units.SetActEnd(u, 1);
    int v = units.AddUnitAt(Add(5), 1, 2);
    units.SetMoveEnd(v, 1);
    units.AddDefeated(0, 7);
    units.AddDefeated(0, 3);
    units.AddDefeated(1, 2);

    CStringMap archive;
    archive.EnterGroup("UnitData");
    units.Save(archive);
    archive.LeaveGroup();
    EXPECT_EQ(archive.GetString("UnitData/OneUnitDataSize", ""), "2");
    EXPECT_EQ(archive.GetString("UnitData/Defeated0/MapSize", ""), "2");
    EXPECT_EQ(archive.GetString("UnitData/Defeated0/MapData0/key", ""), "3");
    EXPECT_EQ(archive.GetString("UnitData/Defeated0/MapData1/Data", ""), "1");
    EXPECT_EQ(archive.GetString("UnitData/m_vUnit0/vnPersonSize", ""), "3");
    EXPECT_EQ(archive.GetString("UnitData/m_vUnit0/vnPerson2", ""), "2");
    EXPECT_EQ(archive.GetString("UnitData/m_vUnit0/nCharge", ""), "3");
    EXPECT_EQ(archive.GetString("UnitData/m_vUnit1/bMoveEnd", ""), "1");

    CUnitList loaded;
    loaded.SetPersonList(&persons);
    int firstNew = UnitRecord::PeekNextId();
    archive.EnterGroup("UnitData");
    loaded.Load(archive);
    archive.LeaveGroup();
    ASSERT_EQ(loaded.GetCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const UnitRecord& a = units.GetUnit(i);
        const UnitRecord& b = loaded.GetUnit(i);
        EXPECT_EQ(a.x, b.x);
        EXPECT_EQ(a.y, b.y);
        EXPECT_EQ(a.nCharge, b.nCharge);
        EXPECT_EQ(a.vnPerson, b.vnPerson);
        EXPECT_EQ(a.bActEnd, b.bActEnd);
        EXPECT_EQ(a.bMoveEnd, b.bMoveEnd);
        EXPECT_GE(b.nUnitID, firstNew);
    }
    EXPECT_NE(loaded.GetUnit(0).nUnitID, loaded.GetUnit(1).nUnitID);
    EXPECT_EQ(loaded.GetDefeatedCount(0, 7), 1);
    EXPECT_EQ(loaded.GetDefeatedTotal(0), 2);
    EXPECT_EQ(loaded.GetDefeatedCount(1, 2), 1);
}

TEST_F(UnitTest, LoadingWithoutKeysGivesAnEmptyList) {
    units.AddUnit(Add(5));
    units.AddDefeated(1, 1);
    CStringMap empty;
    units.Load(empty);
    EXPECT_EQ(units.GetCount(), 0);
    EXPECT_EQ(units.GetDefeatedTotal(1), 0);
}

TEST_F(UnitTest, DamagedSaveIsLoggedNotTrusted) {
    Add(5);
    CStringMap archive;
    archive.SetInt64("OneUnitDataSize", 2);
    archive.SetInt64("m_vUnit0/vnPersonSize", 9);
    archive.SetInt64("m_vUnit0/vnPerson0", 0);
    archive.SetInt64("m_vUnit1/vnPersonSize", 1);
    archive.SetInt64("m_vUnit1/vnPerson0", 44);
    datatest::LogCapture log;
    units.Load(archive);
    EXPECT_EQ(units.GetCount(), 1);  // the unit of nobody is dropped
    EXPECT_EQ(Members(0), (std::vector<int32_t>{0}));
    EXPECT_EQ(log.Lines().size(), 5u) << log.All();  // size, three repeats, person 44
}

TEST_F(UnitTest, IndexOutOfRangeIsLoggedAndNeutral) {
    units.AddUnit(Add(5));
    datatest::LogCapture log;
    EXPECT_EQ(units.GetX(4), 0);
    EXPECT_EQ(units.GetMember(0, 2), -1);
    EXPECT_EQ(units.GetMemberHP(0, 3), 0);
    EXPECT_FALSE(units.IsFriend(-1));
    units.RemoveMember(2, 0);
    EXPECT_EQ(units.GetCount(), 1);
    EXPECT_EQ(log.Lines().size(), 5u) << log.All();
}

}  // namespace
