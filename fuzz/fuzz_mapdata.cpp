// Map data: a grid read from a comma-separated table ("map/mapNN.csv") and the map
// and mission record read back from a keyed archive (the field part of a save), in
// its current and its older layout.  Every cell is then asked about.
#include <string>
#include <vector>

#include "archive/gvlSerialize.h"
#include "archive/gvlStringMap.h"
#include "fuzz_util.h"
#include "map/MapData.h"
#include "table/gvlTableFile.h"

namespace {

CTableFile Table(const char* text) {
    CTableFile t;
    t.LoadFromBytes(reinterpret_cast<const unsigned char*>(text), std::char_traits<char>::length(text));
    return t;
}

// Chips 0 to 3 over four terrains, one of them impassable.
void LoadTables(CMapData& map) {
    map.GetChipTable().LoadTable(Table("chip,type,under,upper\r\n0,0,0,0\r\n1,1,1,0\r\n2,2,2,3\r\n3,3,5,0\r\n"));
    map.GetFieldData().LoadTable(
        Table("id,name,height,i_cost,i_d_guard,i_i_guard,c_cost,c_d_guard,c_i_guard\r\n"
              "0,plain,0,1,0,0,1,0,0\r\n1,wall,4,99,0,0,99,0,0\r\n2,marsh,0,50,10,-10,50,0,0\r\n"
              "3,hill,2,2,20,20,3,20,20\r\n"));
}

void Ask(CMapData& map) {
    const int w = map.m_xSize, h = map.m_ySize;
    int asked = 0;
    for (int y = -1; y <= h && asked < 4096; ++y) {
        for (int x = -1; x <= w && asked < 4096; ++x, ++asked) {
            map.IsValidCell(x, y);
            map.GetMapChip(x, y);
            map.GetChipType(x, y);
            for (int m = 0; m < 3; ++m) {
                map.GetMoveCost(x, y, m);
                map.GetTileDGuard(x, y, m);
                map.GetTileIGuard(x, y, m);
            }
            map.GetTileHeight(x, y);
            map.GetTerrainName(x, y);
            map.GetChipUpper(x, y);
            map.GetChipUnder(x, y);
            map.IsPassable(x, y);
            map.CompareTileLayers(x, y);
        }
    }
    map.SetMapChip(0, 0, 2);
    map.SetMapChip(w, h, 1);
    map.GetMinimapScaleX();
    map.GetMinimapScaleY();
    for (int i = -1; i <= map.GetSortiePositionCount() && i < 32; ++i) {
        CSortiePosition& p = map.GetSortiePosition(i);
        for (const SortieHeroEntry& hero : p.m_vHero) (void)hero;
        for (int t = 0; t < (int)p.m_vTroop.size() && t < 8; ++t)
            for (int s = -1; s <= 4; ++s) p.m_vTroop[t].GetSlotPosition(s), p.m_vTroop[t].FindSlotByPosition(s);
    }
    for (int r = -1; r <= map.GetAnabasisRouteCount() && r < 32; ++r)
        for (int k = -1; k <= map.GetAnabasisRouteSize(r) && k < 64; ++k) map.GetAnabasisRoutePoint(r, k);
    for (int i = -1; i <= 3; ++i) map.GetMissionName(i);
    std::vector<std::string> lines;
    for (const auto& [key, text] : map.OperationMessage) map.GetOperationMessage(key, lines);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    {
        CTableFile table;
        table.LoadFromBytes(data, size);
        CMapData map(false);
        LoadTables(map);
        map.LoadGridTable(table, "map/map99.csv");
        Ask(map);
        // The grid goes into a record and comes back.
        CStringMap archive;
        map.Save(archive);
        CMapData again(false);
        again.Load(archive);
    }
    {
        CSerialize stream;
        stream.SetMode(false);
        stream.GetBuffer().assign(data, data + size);
        CStringMap archive;
        stream.SerializeObject(archive);
        CMapData map(false);
        LoadTables(map);
        map.Load(archive);
        Ask(map);
        CMapData older(false);
        LoadTables(older);
        older.LoadVersion1(archive);
        Ask(older);
    }
    fuzz::EndInput();
    return 0;
}
