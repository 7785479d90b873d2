// Map-chip and terrain tables, the map grid and its cell queries, and the demo
// map content.
#include <gtest/gtest.h>

#include <set>

#include "../data_test_util.h"
#include "map/MapData.h"

namespace {

using datatest::LogCapture;
using datatest::Table;

// Writes a UTF-8 text as the game's file (CP932, CR LF) below the current folder.
void WriteGameFile(const std::string& dir, const std::string& name, const std::string& utf8) {
    std::filesystem::create_directories(std::filesystem::path(dir + name).parent_path());
    std::ofstream(dir + name, std::ios::binary) << datatest::GameTextFromUtf8(utf8);
}

const char* kChips =
    "chip,type,under,upper\n"
    "0,0,0,0\n"
    "1,1,1,3\n"
    "2,2,2,0\n"
    "3,3,4,0\n";
const char* kTerrain =
    "id,name,height,i_cost,i_d_guard,i_i_guard,c_cost,c_d_guard,c_i_guard\n"
    "0,plain,0,1,0,0,1,0,0\n"
    "1,forest,1,2,20,10,3,10,5\n"
    "2,mountain,3,3,30,20,99,0,0\n"
    "3,sea,0,99,0,0,99,0,0\n";

TEST(MapChipTable, HeaderWordsFeedTheirMapsAndTheFirstValueStays) {
    LogCapture log;
    CMapChipTable chips(false);
    chips.LoadTable(Table("id,subtype,under_pic,upper+type\n"
                          "5,2,7,9\n"
                          "5,3,8,1\n"
                          "6,4,0,0\n"));
    // "upper+type" feeds both the upper and the type map; the leftmost type column wins.
    EXPECT_EQ(chips.GetType(5), 2);
    EXPECT_EQ(chips.GetUnder(5), 7);
    EXPECT_EQ(chips.GetUpper(5), 9);
    EXPECT_EQ(chips.GetType(6), 4);
    EXPECT_FALSE(chips.HasChip(7));
    EXPECT_EQ(chips.GetType(7), -1);
    EXPECT_EQ(chips.GetUpper(7), 0);
    EXPECT_EQ(log.All(), "");
}

TEST(FieldDataTable, EntriesPerRowLowerRowWinsLowBitsAndClassTwo) {
    LogCapture log;
    CFieldDataTable terrain(false);
    terrain.LoadTable(Table("id,name,height,xi_costx,i_d_guard,i_i_guard,c_cost,c_d_guard,c_i_guard\n"
                            "0,plain,0,1,0,0,1,0,0\n"
                            "1,hill,2,2,10,10,2,5,5\n"
                            "1,cliff,300,-1,7,8,99,1,2\n"));
    // A header and three rows: four entries, the last one (index 3) empty.
    ASSERT_EQ(terrain.GetCount(), 4);
    EXPECT_EQ(terrain.GetName(1), "cliff");
    EXPECT_EQ(terrain.GetHeight(1), 44);          // 300 keeps its low 8 bits
    EXPECT_EQ(terrain.GetMoveCost(1, 0), 255);    // -1 as a byte; "xi_costx" counts as "i_cost"
    EXPECT_EQ(terrain.GetDGuard(1, 0), 7);
    EXPECT_EQ(terrain.GetIGuard(1, 0), 8);
    EXPECT_EQ(terrain.GetMoveCost(1, 1), 99);
    EXPECT_EQ(terrain.GetDGuard(1, 1), 1);
    EXPECT_EQ(terrain.GetIGuard(1, 1), 2);
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(terrain.GetMoveCost(t, 2), 0);
        EXPECT_EQ(terrain.GetDGuard(t, 2), 0);
        EXPECT_EQ(terrain.GetIGuard(t, 2), 0);
    }
    EXPECT_EQ(terrain.GetName(3), "");
    EXPECT_EQ(terrain.GetMoveCost(3, 0), 0);
    EXPECT_EQ(log.All(), "");
}

TEST(FieldDataTable, BrokenRowsAreLoggedAndOutsideQueriesAreImpassable) {
    LogCapture log;
    CFieldDataTable terrain(false);
    terrain.LoadTable(Table("id,name,height,i_cost\n"
                            "0,plain,0,1\n"
                            "9,far,1,1\n"
                            "1,short\n"));
    EXPECT_EQ(terrain.GetCount(), 4);
    EXPECT_EQ(terrain.GetName(1), "short");
    EXPECT_EQ(terrain.GetMoveCost(1, 0), 0);
    EXPECT_NE(log.All().find("9"), std::string::npos);
    EXPECT_EQ(log.Lines().size(), 2u);
    EXPECT_EQ(terrain.GetMoveCost(-1, 0), kImpassableCost);
    EXPECT_EQ(terrain.GetMoveCost(0, 3), kImpassableCost);
    EXPECT_EQ(terrain.GetHeight(17), 0);
}

class MapDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteGameFile(log.Dir(), "map/map_chip.csv", kChips);
        WriteGameFile(log.Dir(), "map/field_data.csv", kTerrain);
    }
    LogCapture log;
};

TEST_F(MapDataTest, GridFileNamesAndCellValues) {
    EXPECT_EQ(CMapData::MapFileName(0), "map/map00.csv");
    EXPECT_EQ(CMapData::MapFileName(3), "map/map03.csv");
    EXPECT_EQ(CMapData::MapFileName(12), "map/map12.csv");
    EXPECT_EQ(CMapData::MapFileName(100), "map/map100.csv");

    WriteGameFile(log.Dir(), "map/map03.csv", "0,1,2,3,0\n3,2,1,0,1,9,9\n1,1,1,1,1\n");
    CMapData map;
    map.m_nLocateCost = 7;
    map.m_nMaxHero = 3;
    map.AddSortiePosition(1, 1);
    ASSERT_TRUE(map.LoadMapCsv(3));
    // Three rows of 5, 7 and 5 cells: a 5 by 3 map; the extra cells are not read.
    EXPECT_EQ(map.m_xSize, 5);
    EXPECT_EQ(map.m_ySize, 3);
    EXPECT_EQ(map.m_byMapChip.size(), 15u);
    EXPECT_EQ(map.num_map, 3);
    EXPECT_EQ(map.m_nLocateCost, 0);
    EXPECT_EQ(map.m_nMaxHero, 10);
    EXPECT_EQ(map.m_nMinHero, 0);
    EXPECT_EQ(map.GetSortiePositionCount(), 0);

    // Chip 1 -> forest, 2 -> mountain (class 1 cannot enter), 3 -> sea.
    EXPECT_EQ(map.GetChipType(1, 0), 1);
    EXPECT_EQ(map.GetMoveCost(1, 0, 0), 2);
    EXPECT_EQ(map.GetMoveCost(1, 0, 1), 3);
    EXPECT_EQ(map.GetTileDGuard(1, 0, 0), 20);
    EXPECT_EQ(map.GetTileIGuard(1, 0, 1), 5);
    EXPECT_EQ(map.GetTileHeight(2, 0), 3);
    EXPECT_TRUE(map.IsPassable(1, 0));
    EXPECT_FALSE(map.IsPassable(2, 0));   // 99 for class 1
    EXPECT_FALSE(map.IsPassable(3, 0));
    EXPECT_EQ(map.CompareTileLayers(1, 0), 3);
    EXPECT_EQ(map.CompareTileLayers(2, 0), 99);
    // Only the flat index counts: (width, 0) is the cell (0, 1).
    EXPECT_EQ(map.GetMapChip(5, 0), map.GetMapChip(0, 1));
    EXPECT_EQ(map.GetMapChip(0, 1), 3);
    EXPECT_EQ(log.All(), "");
}

TEST_F(MapDataTest, ChipValuesKeepTheirLowBits) {
    WriteGameFile(log.Dir(), "map/map07.csv", "300,-1\n");
    CMapData map;
    ASSERT_TRUE(map.LoadMapCsv(7));
    EXPECT_EQ(map.m_byMapChip[0], 44);
    EXPECT_EQ(map.m_byMapChip[1], 255);
}

TEST_F(MapDataTest, MissingFileKeepsTheGridButResetsTheMission) {
    WriteGameFile(log.Dir(), "map/map01.csv", "0,0\n0,0\n");
    CMapData map;
    ASSERT_TRUE(map.LoadMapCsv(1));
    map.AddSortiePosition(0, 0);
    map.m_nMinHero = 2;
    EXPECT_FALSE(map.LoadMapCsv(2));
    EXPECT_EQ(map.m_xSize, 2);
    EXPECT_EQ(map.m_byMapChip.size(), 4u);
    EXPECT_EQ(map.num_map, 2);
    EXPECT_EQ(map.GetSortiePositionCount(), 0);
    EXPECT_EQ(map.m_nMinHero, 0);
    EXPECT_EQ(map.m_nMaxHero, 10);
}

TEST_F(MapDataTest, ShortRowsAndUnknownChipsAreLoggedAndSafe) {
    WriteGameFile(log.Dir(), "map/map04.csv", "0,1,2\n1\n0,77,0\n");
    CMapData map;
    ASSERT_TRUE(map.LoadMapCsv(4));
    EXPECT_EQ(map.m_xSize, 3);
    EXPECT_EQ(map.m_ySize, 3);
    // The short row's missing cells are chip 0.
    EXPECT_EQ(map.GetMapChip(0, 1), 1);
    EXPECT_EQ(map.GetMapChip(1, 1), 0);
    EXPECT_EQ(map.GetMapChip(2, 1), 0);
    // An unknown chip reads as an impassable terrain without defence.
    EXPECT_EQ(map.GetChipType(1, 2), -1);
    EXPECT_EQ(map.GetMoveCost(1, 2, 0), 99);
    EXPECT_FALSE(map.IsPassable(1, 2));
    EXPECT_EQ(map.GetTileDGuard(1, 2, 0), 0);
    std::string all = log.All();
    EXPECT_NE(all.find("map/map04.csv"), std::string::npos);
    EXPECT_NE(all.find("77"), std::string::npos);
    EXPECT_EQ(log.Lines().size(), 2u);
    // A cell outside the grid is logged and impassable.
    EXPECT_EQ(map.GetMapChip(3, 2), -1);
    EXPECT_EQ(map.GetMoveCost(-1, 0, 0), 99);
    EXPECT_EQ(log.Lines().size(), 4u);
    // Changing a cell to an unknown chip is logged too.
    map.SetMapChip(0, 0, 3);
    EXPECT_EQ(map.GetChipType(0, 0), 3);
    map.SetMapChip(0, 0, 200);
    EXPECT_EQ(log.Lines().size(), 5u);
}

TEST_F(MapDataTest, ScriptCommandsOnTheRecord) {
    CMapData map;
    map.SetMissionName({"A", "B", "C"});
    EXPECT_EQ(map.MissionName[0], "A");
    EXPECT_EQ(map.MissionName[1], "BC");
    map.SetMissionName({"A", "B"});
    EXPECT_EQ(map.MissionName[1], "B");
    EXPECT_EQ(map.GetMissionName(0), "A");
    EXPECT_EQ(map.GetMissionName(1), "B");
    EXPECT_EQ(map.GetMissionName(2), "");
    {
        datatest::LogCapture log;
        EXPECT_EQ(map.GetMissionName(3), "");
        EXPECT_EQ(map.GetMissionName(-1), "");
        EXPECT_EQ(log.Lines().size(), 2u);
    }

    map.AddOperationMessage(4, {"first"});
    map.AddOperationMessage(4, {"second"});
    ASSERT_EQ(map.OperationMessage.size(), 1u);
    EXPECT_EQ(map.OperationMessage[4][0], "first");

    map.AddAnabasisRoute({1, 2, 3, 4, 5});
    EXPECT_EQ(map.GetAnabasisRouteCount(), 1);
    EXPECT_EQ(map.GetAnabasisRouteSize(0), 2);
    EXPECT_EQ(map.GetAnabasisRoutePoint(0, 1).x, 3);
    EXPECT_EQ(map.GetAnabasisRoutePoint(0, 1).y, 4);
    EXPECT_EQ(log.All(), "");
    EXPECT_EQ(map.GetAnabasisRoutePoint(0, 2).x, -1);
    EXPECT_EQ(map.GetAnabasisRouteSize(3), 0);
    EXPECT_EQ(map.GetSortiePosition(0).x, -1);
    EXPECT_EQ(log.Lines().size(), 3u);
}

TEST(MapData, MinimapScales) {
    CMapData map(false);
    EXPECT_EQ(map.GetMinimapScaleX(), 0.0f);
    EXPECT_EQ(map.GetMinimapScaleY(), 0.0f);
    map.m_xSize = 20;
    map.m_ySize = 15;
    EXPECT_FLOAT_EQ(map.GetMinimapScaleX(), 400.0f / (56.0f * 35.0f));
    EXPECT_FLOAT_EQ(map.GetMinimapScaleY(), 200.0f / (56.0f + 28.0f * 35.0f));
    EXPECT_FALSE(map.m_MiniMapBase.IsSizeSet());
}

// ---- the demo content ---------------------------------------------------------------

std::string ContentMapFile(const std::string& name) {
    return datatest::ReadFile(std::string(VORMANT_SOURCE_DIR) + "/content/map/" + name);
}

TEST(ContentMaps, TablesAndGridsLoadCleanlyAndCoverEveryTerrain) {
    LogCapture log;
    for (const char* name : {"map_chip.csv", "field_data.csv", "map00.csv", "map01.csv"}) {
        std::string text = ContentMapFile(name);
        ASSERT_FALSE(text.empty()) << name;
        WriteGameFile(log.Dir(), std::string("map/") + name, text);
    }
    CMapData map;
    const CFieldDataTable& terrain = map.GetFieldData();
    ASSERT_GT(terrain.GetCount(), 8);
    std::set<std::pair<int, int>> sizes;
    std::set<int> terrainsUsed;
    bool impassable = false, classDiffers = false, guarded = false, high = false;
    for (int m : {0, 1}) {
        ASSERT_TRUE(map.LoadMapCsv(m));
        sizes.insert({map.m_xSize, map.m_ySize});
        ASSERT_EQ(map.m_byMapChip.size(), static_cast<size_t>(map.m_xSize * map.m_ySize));
        for (int y = 0; y < map.m_ySize; ++y) {
            for (int x = 0; x < map.m_xSize; ++x) {
                int t = map.GetChipType(x, y);
                ASSERT_GE(t, 0) << "map " << m << " (" << x << ", " << y << ")";
                ASSERT_LT(t, terrain.GetCount());
                terrainsUsed.insert(t);
                impassable |= !map.IsPassable(x, y);
                classDiffers |= map.GetMoveCost(x, y, 0) != map.GetMoveCost(x, y, 1);
                guarded |= map.GetTileDGuard(x, y, 0) > 0 && map.GetTileIGuard(x, y, 1) > 0;
                high |= map.GetTileHeight(x, y) > 0;
            }
        }
    }
    EXPECT_EQ(sizes.size(), 2u);
    // Every named terrain of the table stands somewhere on the demo maps.
    for (int t = 0; t < terrain.GetCount(); ++t)
        if (!terrain.GetName(t).empty()) {
            EXPECT_TRUE(terrainsUsed.count(t)) << "terrain " << t;
        }
    EXPECT_TRUE(impassable);
    EXPECT_TRUE(classDiffers);
    EXPECT_TRUE(guarded);
    EXPECT_TRUE(high);
    // Every chip's pictures lie on the sheets (72 lower, 31 upper pictures).
    for (const auto& [chip, under] : map.GetChipTable().m_mapUnder) EXPECT_LT(under, 72) << chip;
    for (const auto& [chip, upper] : map.GetChipTable().m_mapUpper) EXPECT_LT(upper, 32) << chip;
    EXPECT_EQ(log.All(), "");
}

}  // namespace
