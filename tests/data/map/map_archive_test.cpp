// The map and mission record in the keyed archive: the grid text, the list groups
// and their order, the older layout, and damaged records.
#include <gtest/gtest.h>

#include "../data_test_util.h"
#include "archive/gvlStringMap.h"
#include "map/MapData.h"

namespace {

void Fill(CMapData& m) {
    m.m_byMapChip = {3, 0, 12, 255, 7, 1};
    m.m_xSize = 3;
    m.m_ySize = 2;
    m.m_nMaxHero = 4;
    m.m_nMinHero = 2;
    m.m_nLocateCost = 30;
    CSortiePosition& p = m.m_vnSortiePos.emplace_back(1, 2);
    p.m_vHero.push_back(SortieHeroEntry{5, 9});
    SortieTroopEntry t;
    t.nTypeID = {11, 12};
    t.nLV = {3, 4};
    t.bForward = {true, false};
    p.m_vTroop.push_back(t);
    m.m_vnSortiePos.emplace_back(0, 1);
    m.AddOperationMessage(5, {"five-a", "five-b"});
    m.AddOperationMessage(2, {"two"});
    m.AddAnabasisRoute({2, 1, 0, 0});
    m.AddAnabasisRoute({});
    m.num_map = 12;
    m.m_vEvent.push_back(MapEvent{3, 4, true});
    m.m_vEvent.push_back(MapEvent{-1, 0, false});
    m.SetMissionName({"北の", "砦を", "奪え"});
}

void ExpectSameRecord(const CMapData& a, const CMapData& b, bool withMessages) {
    EXPECT_EQ(b.m_byMapChip, a.m_byMapChip);
    EXPECT_EQ(b.m_xSize, a.m_xSize);
    EXPECT_EQ(b.m_ySize, a.m_ySize);
    ASSERT_EQ(b.m_vnSortiePos.size(), a.m_vnSortiePos.size());
    for (size_t i = 0; i < a.m_vnSortiePos.size(); ++i) {
        EXPECT_EQ(b.m_vnSortiePos[i].x, a.m_vnSortiePos[i].x);
        EXPECT_EQ(b.m_vnSortiePos[i].y, a.m_vnSortiePos[i].y);
        ASSERT_EQ(b.m_vnSortiePos[i].m_vHero.size(), a.m_vnSortiePos[i].m_vHero.size());
        for (size_t j = 0; j < a.m_vnSortiePos[i].m_vHero.size(); ++j) {
            EXPECT_EQ(b.m_vnSortiePos[i].m_vHero[j].nTypeID, a.m_vnSortiePos[i].m_vHero[j].nTypeID);
            EXPECT_EQ(b.m_vnSortiePos[i].m_vHero[j].nLV, a.m_vnSortiePos[i].m_vHero[j].nLV);
        }
        ASSERT_EQ(b.m_vnSortiePos[i].m_vTroop.size(), a.m_vnSortiePos[i].m_vTroop.size());
        for (size_t j = 0; j < a.m_vnSortiePos[i].m_vTroop.size(); ++j) {
            EXPECT_EQ(b.m_vnSortiePos[i].m_vTroop[j].nTypeID, a.m_vnSortiePos[i].m_vTroop[j].nTypeID);
            EXPECT_EQ(b.m_vnSortiePos[i].m_vTroop[j].nLV, a.m_vnSortiePos[i].m_vTroop[j].nLV);
            EXPECT_EQ(b.m_vnSortiePos[i].m_vTroop[j].bForward, a.m_vnSortiePos[i].m_vTroop[j].bForward);
        }
    }
    if (withMessages) {
        EXPECT_EQ(b.OperationMessage, a.OperationMessage);
    }
    ASSERT_EQ(b.m_vAnabasisRoute.size(), a.m_vAnabasisRoute.size());
    for (size_t r = 0; r < a.m_vAnabasisRoute.size(); ++r) {
        ASSERT_EQ(b.m_vAnabasisRoute[r].size(), a.m_vAnabasisRoute[r].size());
        for (size_t k = 0; k < a.m_vAnabasisRoute[r].size(); ++k) {
            EXPECT_EQ(b.m_vAnabasisRoute[r][k].x, a.m_vAnabasisRoute[r][k].x);
            EXPECT_EQ(b.m_vAnabasisRoute[r][k].y, a.m_vAnabasisRoute[r][k].y);
        }
    }
    EXPECT_EQ(b.num_map, a.num_map);
    ASSERT_EQ(b.m_vEvent.size(), a.m_vEvent.size());
    for (size_t e = 0; e < a.m_vEvent.size(); ++e) {
        EXPECT_EQ(b.m_vEvent[e].nEvent, a.m_vEvent[e].nEvent);
        EXPECT_EQ(b.m_vEvent[e].nTurn, a.m_vEvent[e].nTurn);
        EXPECT_EQ(b.m_vEvent[e].bCPU, a.m_vEvent[e].bCPU);
    }
    EXPECT_EQ(b.MissionName[0], a.MissionName[0]);
    EXPECT_EQ(b.MissionName[1], a.MissionName[1]);
}

TEST(MapArchive, KeysOfTheRecord) {
    CMapData m(false);
    Fill(m);
    CStringMap a;
    a.EnterGroup("MapData");
    m.Save(a);
    a.LeaveGroup();
    EXPECT_EQ(a.GetString("MapData/m_byMapChipSize", ""), "6");
    EXPECT_EQ(a.GetString("MapData/m_byMapChip", ""), "3 0 12 255 7 1 ");
    EXPECT_EQ(a.GetString("MapData/m_vnSortiePosSize", ""), "2");
    EXPECT_EQ(a.GetString("MapData/m_vnSortiePos0/m_vHero0/nLV", ""), "9");
    EXPECT_EQ(a.GetString("MapData/m_vnSortiePos0/m_vTroop0/nTypeIDSize", ""), "2");
    EXPECT_EQ(a.GetString("MapData/m_vnSortiePos0/m_vTroop0/nTypeID1", ""), "12");
    EXPECT_EQ(a.GetString("MapData/m_vnSortiePos0/m_vTroop0/nLV0", ""), "3");
    EXPECT_EQ(a.GetString("MapData/m_vnSortiePos0/m_vTroop0/bForward0", ""), "1");
    EXPECT_EQ(a.GetString("MapData/m_vnSortiePos0/m_vTroop0/bForward1", ""), "0");
    EXPECT_EQ(a.GetString("MapData/m_vnSortiePos1/m_vTroopSize", ""), "0");
    // Operation messages in ascending key order; the group index is no key.
    EXPECT_EQ(a.GetString("MapData/OperationMessageSize", ""), "2");
    EXPECT_EQ(a.GetString("MapData/OperationMessage0/key", ""), "2");
    EXPECT_EQ(a.GetString("MapData/OperationMessage1/key", ""), "5");
    EXPECT_EQ(a.GetString("MapData/OperationMessage1/DataVectorSize", ""), "2");
    EXPECT_EQ(a.GetString("MapData/OperationMessage1/DataVector1", ""), "five-b");
    EXPECT_EQ(a.GetString("MapData/m_vAnabasisRouteSize", ""), "2");
    EXPECT_EQ(a.GetString("MapData/m_vAnabasisRoute0/m_vAnabasisRoute1/y", ""), "0");
    EXPECT_EQ(a.GetString("MapData/m_vAnabasisRoute1/m_vAnabasisRouteSize", ""), "0");
    EXPECT_EQ(a.GetString("MapData/m_vEvent0/bCPU", ""), "1");
    EXPECT_EQ(a.GetString("MapData/m_vEvent1/nEvent", ""), "-1");
    EXPECT_EQ(a.GetString("MapData/MissionName[1]", ""), "砦を奪え");
    EXPECT_EQ(a.GetString("MapData/num_map", ""), "12");
    // The sortie limits are not part of the record.
    EXPECT_EQ(a.GetMap().count("MapData/m_nMaxHero"), 0u);
}

TEST(MapArchive, EmptyGridAndRoundTripKeepingTheLimits) {
    CMapData empty(false);
    CStringMap e;
    empty.Save(e);
    EXPECT_EQ(e.GetString("m_byMapChipSize", ""), "0");
    EXPECT_EQ(e.GetMap().at("m_byMapChip"), "");

    datatest::LogCapture log;
    CMapData m(false);
    Fill(m);
    CStringMap a;
    m.Save(a);
    CMapData back(false);
    back.m_nMaxHero = 8;
    back.m_nLocateCost = 3;
    back.m_vnSortiePos.emplace_back(9, 9);
    back.OperationMessage[40] = {"old"};
    back.Load(a);
    ExpectSameRecord(m, back, true);
    EXPECT_EQ(back.m_nMaxHero, 8);
    EXPECT_EQ(back.m_nLocateCost, 3);
    EXPECT_EQ(back.OperationMessage.count(40), 0u);
    EXPECT_EQ(log.All(), "");
}

TEST(MapArchive, GridTextReadForTheStoredCountOnly) {
    CStringMap a;
    a.SetString("m_byMapChip", "3 0 12 ");
    a.SetInt64("m_byMapChipSize", 2);
    a.SetInt64("m_xSize", 2);
    a.SetInt64("m_ySize", 1);
    CMapData m(false);
    m.Load(a);
    EXPECT_EQ(m.m_byMapChip, (std::vector<uint8_t>{3, 0}));
    // Foreign tokens read as 0, values keep their low bits.
    a.SetString("m_byMapChip", "x 300 ");
    m.Load(a);
    EXPECT_EQ(m.m_byMapChip, (std::vector<uint8_t>{0, 44}));
}

TEST(MapArchive, OlderLayoutStoresTheGridPerElementAndKeepsMessages) {
    CMapData m(false);
    Fill(m);
    CStringMap a;
    m.Save(a);
    CStringMap old;
    for (const auto& [key, value] : a.GetMap())
        if (key.rfind("OperationMessage", 0) != 0 && key != "m_byMapChip") old.SetString(key, value);
    for (int i = 0; i < (int)m.m_byMapChip.size(); ++i) old.SetInt64("m_byMapChip" + std::to_string(i), m.m_byMapChip[i]);
    CMapData back(false);
    back.AddOperationMessage(7, {"kept"});
    back.LoadVersion1(old);
    ExpectSameRecord(m, back, false);
    ASSERT_EQ(back.OperationMessage.size(), 1u);
    EXPECT_EQ(back.OperationMessage[7][0], "kept");
}

TEST(MapArchive, DamagedCountsAndSizesAreCutAndLogged) {
    datatest::LogCapture log;
    CStringMap a;
    a.SetString("m_byMapChip", "1 2 3 4 ");
    a.SetInt64("m_byMapChipSize", 1000000000);
    a.SetInt64("m_xSize", 4);
    a.SetInt64("m_ySize", 50);
    a.SetInt64("m_vnSortiePosSize", -5);
    a.SetInt64("m_vEventSize", 2000000000);
    a.SetInt64("OperationMessageSize", 3);
    a.SetInt64("OperationMessage0/DataVectorSize", 999999);
    CMapData m(false);
    m.Load(a);
    EXPECT_EQ(m.m_byMapChip.size(), 4u);
    EXPECT_EQ(m.m_xSize, 4);
    EXPECT_EQ(m.m_ySize, 1);  // no more rows than the grid holds
    EXPECT_TRUE(m.m_vnSortiePos.empty());
    EXPECT_LE(m.m_vEvent.size(), a.GetMap().size());
    EXPECT_LE(m.OperationMessage.size(), 1u);
    EXPECT_FALSE(log.All().empty());
    // Every cell the size names can be asked.
    for (int x = 0; x < m.m_xSize; ++x) EXPECT_GE(m.GetMapChip(x, m.m_ySize - 1), 0);
}

}  // namespace
