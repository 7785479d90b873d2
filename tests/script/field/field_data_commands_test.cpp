// The field-event commands for units, party and map: the free-cell search, units made
// by "CreateUnit" and from sortie points by "Appear", the party and mission commands,
// and what a field restored from a save keeps when "FieldInitialize" runs again.
#include <algorithm>
#include <cstdlib>

#include "archive/gvlStringMap.h"
#include "field_fixture.h"

namespace fieldtest {
namespace {

using Cells = std::vector<std::pair<int, int>>;

Cells AsPairs(const std::vector<FieldCell>& cells) {
    Cells out;
    for (const FieldCell& c : cells) out.push_back({c.x, c.y});
    return out;
}

TEST_F(FieldEventTest, FreeCellProbesWalkEachRingClockwiseFromAbove) {
    struct Case {
        int k, x, y;
    };
    const Case cases[] = {{0, 5, 5}, {1, 5, 4}, {2, 6, 5}, {3, 5, 6}, {4, 4, 5},  {5, 5, 3},
                          {6, 6, 4}, {7, 7, 5}, {8, 6, 6}, {9, 5, 7}, {10, 4, 6}, {11, 3, 5}, {12, 4, 4}};
    for (const Case& c : cases) {
        const FieldCell cell = FreeCellProbe(5, 5, c.k);
        EXPECT_EQ(cell.x, c.x) << "probe " << c.k;
        EXPECT_EQ(cell.y, c.y) << "probe " << c.k;
    }
    // 151 probes: rings 0 to 8 whole (145 cells) and the first six of ring 9, each once.
    std::set<std::pair<int, int>> seen;
    for (int k = 0; k < 151; ++k) {
        const FieldCell c = FreeCellProbe(0, 0, k);
        const int r = std::abs(c.x) + std::abs(c.y);
        EXPECT_LE(r, 9);
        if (k > 0) {
            const FieldCell prev = FreeCellProbe(0, 0, k - 1);
            EXPECT_GE(r, std::abs(prev.x) + std::abs(prev.y));
        }
        seen.insert({c.x, c.y});
    }
    EXPECT_EQ(seen.size(), 151u);
    EXPECT_EQ(FreeCellProbe(0, 0, 145).x, 0);
    EXPECT_EQ(FreeCellProbe(0, 0, 145).y, -9);
    EXPECT_EQ(FreeCellProbe(0, 0, 150).x, 5);
    EXPECT_EQ(FreeCellProbe(0, 0, 150).y, -4);
}

TEST_F(FieldEventTest, FindFreeCellsSkipsOffMapWallsMarshesAndUnits) {
    EXPECT_EQ(AsPairs(FindFreeCells(5, 5, 3, *field)), (Cells{{5, 5}, {5, 4}, {6, 5}}));
    EXPECT_EQ(AsPairs(FindFreeCells(0, 0, 3, *field)), (Cells{{0, 0}, {1, 0}, {0, 1}}));
    EXPECT_TRUE(FindFreeCells(5, 5, 0, *field).empty());
    field->m_MapData.SetMapChip(5, 5, 1);  // wall, cost 99
    field->m_MapData.SetMapChip(5, 4, 2);  // marsh, cost 50
    AddUnit(1, 6, 5, true);
    EXPECT_EQ(AsPairs(FindFreeCells(5, 5, 2, *field)), (Cells{{5, 6}, {4, 5}}));
}

TEST_F(FieldEventTest, FindFreeCellsReachesOnlyTheFirstProbesOfRingNine) {
    // A 20 x 20 field walled everywhere but two cells at distance 9 from (9, 9).
    field->m_MapData.m_xSize = field->m_MapData.m_ySize = 20;
    field->m_MapData.m_byMapChip.assign(400, 1);
    field->m_MapData.SetMapChip(14, 5, 0);  // ring 9, the sixth probe of the ring
    field->m_MapData.SetMapChip(9, 18, 0);  // ring 9, far along the ring
    EXPECT_EQ(AsPairs(FindFreeCells(9, 9, 5, *field)), (Cells{{14, 5}}));
}

TEST_F(FieldEventTest, CreateUnitFormsRowsAndSkipsMembersLeftOut) {
    Load({"Script FieldInitialize()", "CreateUnit(3,3,1,5,1,4,2,6,10,7,11)", "CreateUnit(3,3,0,2,10,-1,11,3,11,-1,-1)",
          "end"});
    Run("FieldInitialize");
    ASSERT_EQ(field->m_UnitList.GetCount(), 2);
    const CUnitList& u = field->m_UnitList;
    EXPECT_EQ(u.GetX(0), 3);
    EXPECT_EQ(u.GetY(0), 3);
    ASSERT_EQ(u.GetMemberCount(0), 4);
    EXPECT_EQ(u.GetMemberTypeID(0, 0), 1);
    EXPECT_EQ(u.GetMemberTypeID(0, 3), 11);
    EXPECT_TRUE(u.IsMemberForward(0, 0));
    EXPECT_TRUE(u.IsMemberForward(0, 1));
    EXPECT_FALSE(u.IsMemberForward(0, 2));
    EXPECT_FALSE(u.IsMemberForward(0, 3));
    EXPECT_EQ(u.GetMemberPerson(0, 1).nLevel, 4);
    EXPECT_TRUE(u.IsFriend(0));
    EXPECT_TRUE(u.IsOperable(0));
    // The second stands on the next free cell; member 1 left out, member 2 in the back row.
    EXPECT_EQ(u.GetX(1), 3);
    EXPECT_EQ(u.GetY(1), 2);
    ASSERT_EQ(u.GetMemberCount(1), 2);
    EXPECT_EQ(u.GetMemberTypeID(1, 1), 11);
    EXPECT_FALSE(u.IsMemberForward(1, 1));
    EXPECT_FALSE(u.IsFriend(1));
    EXPECT_FALSE(u.IsOperable(1));
    EXPECT_FALSE(u.IsActEnd(1));
    EXPECT_FALSE(u.IsMoveEnd(1));
}

TEST_F(FieldEventTest, CreateUnitWithoutAFreeCellMakesNothing) {
    field->m_MapData.m_byMapChip.assign(100, 1);
    field->m_MapData.SetMapChip(0, 0, 0);
    const int existing = AddUnit(1, 0, 0, true);
    Load({"Script FieldInitialize()", "CreateUnit(1,1,0,1,10,1,11,-1,-1,-1,-1)", "CreateUnit(0,0,1,1,99)", "end"});
    Run("FieldInitialize");
    EXPECT_EQ(field->m_UnitList.GetCount(), 1);
    EXPECT_EQ(field->m_UnitList.GetMemberCount(existing), 1);
    EXPECT_EQ(field->m_PersonList.GetCount(), 1);
    EXPECT_NE(log.All().find("CreateUnit"), std::string::npos);
}

// A start far off the map (up to the int limits) finds no cell and makes nothing; one
// just off it still finds the nearest cell of the map.
TEST_F(FieldEventTest, CreateUnitFarOffTheMapMakesNothing) {
    const struct {
        const char* command;
        int units;
    } cases[] = {
        {"CreateUnit(2147483647,2,1,1,1)", 0},           {"CreateUnit(-2147483648,-2147483648,1,1,1)", 0},
        {"CreateUnit(5,2147483647,1,1,1)", 0},           {"CreateUnit(12,2,1,1,1)", 1},
        {"CreateUnit(-2,-1,1,1,1)", 1},
    };
    for (const auto& c : cases) {
        NewField();
        Load({"Script FieldInitialize()", c.command, "end"});
        Run("FieldInitialize");
        EXPECT_EQ(field->m_UnitList.GetCount(), c.units) << c.command;
    }
}

TEST_F(FieldEventTest, CreateUnitOfAnUnknownTypeOrWithFewArgumentsIsLogged) {
    Load({"Script FieldInitialize()", "CreateUnit(1,1,1,1,99)", "CreateUnit(1,1,1)", "CreateUnit(2,2,1,1,1,1)", "end"});
    Run("FieldInitialize");
    ASSERT_EQ(field->m_UnitList.GetCount(), 1);
    EXPECT_EQ(field->m_UnitList.GetMemberCount(0), 1);  // the pair cut short is left out
    EXPECT_NE(log.All().find("99"), std::string::npos);
}

TEST_F(FieldEventTest, AppearPlacesHeroesThenTroopsOnTheFreeCells) {
    CSortiePosition& p = field->m_MapData.m_vnSortiePos.emplace_back(4, 4);
    p.m_vHero.push_back(SortieHeroEntry{1, 3});
    p.m_vHero.push_back(SortieHeroEntry{2, 2});
    SortieTroopEntry t;
    t.nTypeID = {10, 11, 10};
    t.nLV = {1, 2, 3};
    t.bForward = {false, false, true};
    p.m_vTroop.push_back(t);
    AddUnit(10, 4, 3, false);  // takes the second probe

    Load({"Script FieldInitialize()", "Appear(0)", "end"});
    Run("FieldInitialize");
    const CUnitList& u = field->m_UnitList;
    ASSERT_EQ(u.GetCount(), 4);
    EXPECT_EQ(std::make_pair(u.GetX(1), u.GetY(1)), std::make_pair(4, 4));
    EXPECT_EQ(u.GetMemberTypeID(1, 0), 1);
    EXPECT_EQ(u.GetMemberPerson(1, 0).nLevel, 3);
    EXPECT_EQ(u.GetMemberCount(1), 1);
    EXPECT_EQ(std::make_pair(u.GetX(2), u.GetY(2)), std::make_pair(5, 4));
    EXPECT_EQ(u.GetMemberTypeID(2, 0), 2);
    EXPECT_EQ(std::make_pair(u.GetX(3), u.GetY(3)), std::make_pair(4, 5));
    ASSERT_EQ(u.GetMemberCount(3), 3);
    EXPECT_TRUE(u.IsMemberForward(3, 0));  // the founder stands in front whatever the entry says
    EXPECT_FALSE(u.IsMemberForward(3, 1));
    EXPECT_TRUE(u.IsMemberForward(3, 2));
    EXPECT_EQ(u.GetMemberPerson(3, 2).nLevel, 3);
    EXPECT_TRUE(u.IsFriend(3));
}

TEST_F(FieldEventTest, AppearWithTooFewCellsDropsTheLastAndABadPointIsLogged) {
    field->m_MapData.m_byMapChip.assign(100, 1);
    field->m_MapData.SetMapChip(0, 0, 0);
    field->m_MapData.SetMapChip(1, 0, 0);
    CSortiePosition& p = field->m_MapData.m_vnSortiePos.emplace_back(0, 0);
    p.m_vHero = {SortieHeroEntry{1, 1}, SortieHeroEntry{2, 1}, SortieHeroEntry{1, 1}};
    EXPECT_EQ(AppearSortieUnits(*field, 0), 2);
    EXPECT_EQ(field->m_UnitList.GetCount(), 2);
    EXPECT_EQ(AppearSortieUnits(*field, 3), 0);
    EXPECT_EQ(AppearSortieUnits(*field, -1), 0);
    EXPECT_NE(log.All().find("Appear"), std::string::npos);
}

TEST_F(FieldEventTest, PartyCommandsChangeHeroesMoneyForcesAndTroops) {
    party.m_Troops.m_vTroop.resize(3);
    field->m_vBannedHero = {7};
    Load({"Script FieldInitialize()", "AddHero(1,3)", "AddHero(1,5)", "AddHero(2,1)", "PlusMoney(500)", "PlusMoney(-120)",
          "HeroForcedPosition(1,2)", "HeroForcedPosition(9,1)", "ChangeHero(2,4)", "SetForces(0,7)", "SetForces(1,9)",
          "SetForces(2,1)", "TroopCanUse(2,0)", "TroopCanUse(5,0)", "end"});
    Run("FieldInitialize");
    ASSERT_EQ(party.m_Heros.size(), 3u);
    EXPECT_EQ(party.m_Heros[0].m_LV, 3);
    EXPECT_TRUE(party.m_Heros[0].m_bForcePlaced);
    EXPECT_EQ(party.m_Heros[0].m_nPlaced, 2);
    EXPECT_FALSE(party.m_Heros[1].m_bForcePlaced);  // only the first of the type
    EXPECT_EQ(party.m_Heros[2].m_typeID, 4);
    EXPECT_TRUE(party.m_Heros[2].m_bCanUse);
    EXPECT_EQ(party.nMoney, 380);
    EXPECT_EQ(party.ForceID0, 7);
    EXPECT_EQ(party.ForceID1, 9);
    EXPECT_EQ(party.m_Troops.m_vTroop[2].m_bCanUse, 1);
    EXPECT_EQ(party.m_Troops.m_vTroop[0].m_bCanUse, 0);

    field->EventHandlerFlag[0] = false;
    Load({"Script Detected()", "HeroForcedPosReset()", "end"});
    Run("Detected");
    EXPECT_FALSE(party.m_Heros[0].m_bForcePlaced);
    EXPECT_EQ(party.m_Heros[0].m_nPlaced, -1);
    EXPECT_TRUE(field->m_vBannedHero.empty());
}

TEST_F(FieldEventTest, MissionCommandsSetPointsLimitsRoutesChipsTextsAndValues) {
    Load({"Script FieldInitialize()", "AddStartPoint(2,9)", "AddStartPoint(3,9)", "SetMaxHero(4)", "SetMinHero(2)",
          "SetLocateCost(30)", "SysBGMSet(0,5)", "SysBGMSet(9,8)", "SysBGMSet(10,1)", "OperationMessage(1)", "/",
          "first", "/", "OperationMessage(1)", "/", "second", "/", "MissionName(\"序章\",\"村を\",\"守れ\")",
          "AddTargetPos(1,2,3,4,5)", "AddTargetPos()", "GeoChange(2,3,1)", "GeoChange(20,3,1)", "BannedHero(3)",
          "BannedHero(4)", "DeleteUnit(0)", "SetValue(0,4,10)", "end"});
    AddUnit(1, 0, 0, true);
    Run("FieldInitialize");
    const CMapData& m = field->m_MapData;
    ASSERT_EQ(m.GetSortiePositionCount(), 2);
    EXPECT_EQ(m.m_vnSortiePos[1].x, 3);
    EXPECT_TRUE(m.m_vnSortiePos[1].m_vHero.empty());
    EXPECT_EQ(m.m_nMaxHero, 4);
    EXPECT_EQ(m.m_nMinHero, 2);
    EXPECT_EQ(m.m_nLocateCost, 30);
    EXPECT_EQ(field->BGMSet[0], 5);
    EXPECT_EQ(field->BGMSet[9], 8);
    EXPECT_EQ(m.OperationMessage.at(1), std::vector<std::string>({"first"}));
    EXPECT_EQ(m.MissionName[0], "序章");
    EXPECT_EQ(m.MissionName[1], "村を守れ");
    ASSERT_EQ(m.GetAnabasisRouteCount(), 2);
    EXPECT_EQ(m.GetAnabasisRouteSize(0), 2);
    EXPECT_EQ(m.GetAnabasisRoutePoint(0, 1).x, 3);
    EXPECT_EQ(m.GetAnabasisRoutePoint(0, 1).y, 4);
    EXPECT_EQ(m.GetAnabasisRouteSize(1), 0);
    EXPECT_EQ(m.GetMapChip(2, 3), 1);
    EXPECT_EQ(field->m_vBannedHero, std::vector<int32_t>({3, 4}));
    EXPECT_EQ(field->m_UnitList.GetCount(), 1);
    EXPECT_EQ(field->EventValue[4], 10);
    EXPECT_NE(log.All().find("SysBGMSet"), std::string::npos);
    EXPECT_NE(log.All().find("GeoChange"), std::string::npos);
}

TEST_F(FieldEventTest, SetValueOperations) {
    struct Case {
        const char* command;
        int before, after;
    };
    const Case cases[] = {{"SetValue(0,4,3)", 10, 3}, {"SetValue(1,4,3)", 10, 13}, {"SetValue(2,4,3)", 10, 7},
                          {"SetValue(5,4,3)", 10, 10}, {"SetValue(0,50,3)", 10, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        field->EventValue[4] = c.before;
        field->EventHandlerFlag[0] = false;
        Load({"Script Detected()", c.command, "end", "Script Value(3,0,0)", "end"});
        EXPECT_EQ(Run("Detected"), 2);  // the command, then "Value" is looked for
        EXPECT_EQ(field->EventValue[4], c.after);
    }
}

TEST_F(FieldEventTest, RestoredFieldKeepsWhatTheSaveHoldsAndTakesTheLimitsAgain) {
    const std::vector<std::string> init = {
        "Script FieldInitialize()", "AddHero(1,1)", "PlusMoney(300)", "HeroForcedPosition(1,0)", "SetForces(0,5)",
        "ChangeHero(1,2)", "TroopCanUse(0,0)", "SysBGMSet(0,9)", "AddStartPoint(2,9)", "AddTargetPos(1,1,2,2)",
        "CreateUnit(2,2,1,1,1,-1,-1,-1,-1,-1,-1)", "GeoChange(1,1,1)", "TutorialSetCharge(0,3)", "HeroForcedPosReset()",
        "BannedHero(2)", "SetMaxHero(3)", "SetMinHero(1)", "SetLocateCost(40)", "OperationMessage(0)", "/", "text", "/",
        "SetValue(0,1,4)", "end"};
    Write("script/chapter03.txt", Crlf(init));
    party.m_Troops.m_vTroop.resize(1);
    RunFieldInitialize(*field, 3, false);
    EXPECT_EQ(field->m_UnitList.GetCount(), 1);
    EXPECT_EQ(party.nMoney, 300);
    EXPECT_EQ(field->m_UnitList.GetCharge(0), 3);

    // Saved (party and field) and restored: running the section again changes nothing
    // that the save holds, and sets again what it does not.
    CPartyData savedParty = party;
    CStringMap savedField = field->Save();
    NewField();
    field->Load(savedField);
    party = savedParty;
    field->m_vBannedHero.clear();
    field->m_MapData.m_nMaxHero = 10;
    field->m_MapData.m_nLocateCost = 0;
    field->m_UnitList.SetCharge(0, 1);
    RunFieldInitialize(*field, 3, true);
    EXPECT_EQ(field->m_UnitList.GetCount(), 1);
    EXPECT_EQ(party.m_Heros.size(), 1u);
    EXPECT_EQ(party.nMoney, 300);
    EXPECT_EQ(field->m_MapData.GetSortiePositionCount(), 1);
    EXPECT_EQ(field->m_MapData.GetAnabasisRouteCount(), 1);
    EXPECT_EQ(field->BGMSet[0], 9);
    EXPECT_EQ(field->EventValue[1], 4);
    EXPECT_EQ(field->m_UnitList.GetCharge(0), 1);
    EXPECT_EQ(field->m_vBannedHero, std::vector<int32_t>({2}));
    EXPECT_EQ(field->m_MapData.m_nMaxHero, 3);
    EXPECT_EQ(field->m_MapData.m_nMinHero, 1);
    EXPECT_EQ(field->m_MapData.m_nLocateCost, 40);
    EXPECT_EQ(field->m_MapData.OperationMessage.size(), 1u);
}

}  // namespace
}  // namespace fieldtest
