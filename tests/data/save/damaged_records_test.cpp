// Saved records whose values were damaged (numbers too large, negative, or not
// numbers at all, keys dropped) load without crashing and leave the lists usable.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../data_test_util.h"
#include "PartyData.h"
#include "PersonData.h"
#include "UnitData.h"
#include "ai/AIState.h"
#include "archive/gvlStringMap.h"
#include "map/MapData.h"

namespace {

const char* kTypes =
    "typeID,name,s_name,hero,HP,HPUP,MP,move,skill1\n"
    "1,剣士,剣,1,30,3.0,6,5,-1\n"
    "2,弓兵,弓,0,20,2.0,0,4,-1\n";

// A record of every kind, as the field and the party write them.
CStringMap BuildRecord() {
    CPersonList persons;
    persons.AddPerson(PersonRecord::CreateFromType(1, 5, 1, 1, 1, 0));
    persons.AddPerson(PersonRecord::CreateFromType(2, 3, 0, 0, 0, 0));
    persons.AddPerson(PersonRecord::CreateFromType(2, 4, 0, 0, 1, 0));
    CUnitList units;
    units.SetPersonList(&persons);
    int u = units.AddUnitAt(0, 1, 1);
    units.AddUnitAt(1, 2, 2);
    units.AddMember(1, 2);
    units.AddDefeated(0, 2);
    units.AddDefeated(1, 1);
    (void)u;
    CMapData map(false);
    map.m_xSize = 3;
    map.m_ySize = 2;
    map.m_byMapChip = {1, 2, 3, 4, 5, 6};
    map.AddSortiePosition(1, 1);
    map.m_vnSortiePos[0].m_vHero.push_back(SortieHeroEntry{1, 3});
    SortieTroopEntry troop;
    troop.nTypeID = {2, 2};
    troop.nLV = {1, 2};
    troop.bForward = {true, false};
    map.m_vnSortiePos[0].m_vTroop.push_back(troop);
    map.AddOperationMessage(0, {"a", "b"});
    map.AddAnabasisRoute({1, 1, 2, 2});
    map.m_vEvent.push_back(MapEvent{1, 2, true});
    C_AI ai;
    AITroop t;
    t.MemberID = {1001, 1002};
    t.HealerID = {1002};
    t.MoveList.push_back(AIMovePoint{1, 2, 0});
    ai.m_vTroop.push_back(t);
    CPartyData party;
    party.AddHero(1, 3);
    party.m_mapUsedPerson[1] = 2;
    party.m_CreatedTroop.push_back(CreatedTroopEntry{{2}, {true}, {1}});
    party.Backup();

    CStringMap archive = party.Save();
    archive.EnterGroup("Person");
    persons.Save(archive);
    archive.LeaveGroup();
    archive.EnterGroup("UnitData");
    units.Save(archive);
    archive.LeaveGroup();
    archive.EnterGroup("MapData");
    map.Save(archive);
    archive.LeaveGroup();
    archive.EnterGroup("AI");
    ai.Save(archive);
    archive.LeaveGroup();
    return archive;
}

const char* const kBadValues[] = {"",           "-1",          "-2147483648", "2147483647", "4294967296",
                                  "99999999999", "x",          "12x",         " 7",         "-",
                                  "3 4 5 ",     "1000000000", "255 256 -1 ", "0"};

TEST(DamagedRecords, EveryReaderSurvivesDamagedValues) {
    CPersonTypeTable::Clear();
    CPersonTypeTable::LoadRows(datatest::Rows(kTypes));
    datatest::LogCapture log;
    const CStringMap original = BuildRecord();
    std::vector<std::string> keys;
    for (const auto& entry : const_cast<CStringMap&>(original).GetMap()) keys.push_back(entry.first);
    ASSERT_GT(keys.size(), 100u);

    std::mt19937 rng(20260);
    for (int round = 0; round < 300; ++round) {
        CStringMap damaged = original;
        const int changes = 1 + static_cast<int>(rng() % 6);
        for (int c = 0; c < changes; ++c) {
            const std::string& key = keys[rng() % keys.size()];
            if (rng() % 5 == 0)
                damaged.GetMap().erase(key);
            else
                damaged.GetMap()[key] = kBadValues[rng() % (sizeof(kBadValues) / sizeof(kBadValues[0]))];
        }

        CPartyData party;
        party.Load(damaged);
        CPersonList persons;
        CUnitList units;
        units.SetPersonList(&persons);
        CMapData map(false);
        C_AI ai;
        damaged.EnterGroup("Person");
        persons.Load(damaged);
        damaged.LeaveGroup();
        damaged.EnterGroup("UnitData");
        units.Load(damaged);
        damaged.LeaveGroup();
        damaged.EnterGroup("MapData");
        map.Load(damaged);
        damaged.LeaveGroup();
        damaged.EnterGroup("AI");
        ai.Load(damaged);
        damaged.LeaveGroup();

        // The lists hold what fits and every query on them stays in range.
        EXPECT_LE(persons.GetCount(), 3) << round;
        EXPECT_LE(static_cast<int64_t>(map.m_xSize) * map.m_ySize, static_cast<int64_t>(map.m_byMapChip.size()))
            << round;
        for (int i = 0; i < units.GetCount(); ++i) {
            EXPECT_LE(units.GetMemberCount(i), kMaxUnitMembers);
            for (int j = 0; j < units.GetMemberCount(i); ++j)
                EXPECT_TRUE(persons.IsValidIndex(units.GetMember(i, j))) << round;
            units.GetAttackRange(i);
            units.GetUnitMove(i);
        }
        for (int y = 0; y < map.m_ySize; ++y)
            for (int x = 0; x < map.m_xSize; ++x) map.GetMoveCost(x, y, 0);
        for (int r = 0; r < map.GetAnabasisRouteCount(); ++r)
            for (int k = 0; k < map.GetAnabasisRouteSize(r); ++k) map.GetAnabasisRoutePoint(r, k);
        EXPECT_GE(party.Difficulty, 1);
        EXPECT_LE(party.Difficulty, 5);
    }
    CPersonTypeTable::Clear();
}

}  // namespace
