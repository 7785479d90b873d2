#pragma once
// The map and mission record of one field: the chip grid and its size, the chip and
// terrain tables, the sortie points with the heroes and troops formed at them, the
// sortie limits, the operation messages, the approach routes of the computer's
// side, the event entries, the mission names and the map number.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Draw/gvlD3DRTSquare.h"
#include "map/MapChipTable.h"

class CStringMap;
struct PersonRecord;

struct SortieHeroEntry {
    int32_t nTypeID = 0;  // person type id
    int32_t nLV = 0;      // level

    // The hero as a person of the player's side at its level.
    PersonRecord MakePerson() const;

    void Save(CStringMap& archive) const;
    void Load(CStringMap& archive);
};

// One troop formed at a sortie point: parallel lists, one element per member.
struct SortieTroopEntry {
    std::vector<int32_t> nTypeID;
    std::vector<int32_t> nLV;
    std::vector<bool> bForward;  // member stands in the front row

    // Formation position (0, 1 front row, 2, 3 back row) of member slot k; -1 for a
    // slot that is not a member.
    int GetSlotPosition(int slot) const;
    // The member slot standing at a formation position, -1 when it is empty.
    int FindSlotByPosition(int position) const;
    // Member k as a person of the player's side at its level.
    PersonRecord MakeMemberPerson(int slot) const;

    void Save(CStringMap& archive) const;
    void Load(CStringMap& archive);
};

class CSortiePosition {
public:
    CSortiePosition() = default;
    CSortiePosition(int px, int py) : x(px), y(py) {}
    CSortiePosition(const CSortiePosition&) = default;
    CSortiePosition& operator=(const CSortiePosition&) = default;
    virtual ~CSortiePosition() = default;

    void Save(CStringMap& archive) const;
    void Load(CStringMap& archive);

    int32_t x = 0;
    int32_t y = 0;
    std::vector<SortieHeroEntry> m_vHero;
    std::vector<SortieTroopEntry> m_vTroop;
};

struct MapEvent {
    int32_t nEvent = 0;
    int32_t nTurn = 0;
    bool bCPU = false;

    void Save(CStringMap& archive) const;
    void Load(CStringMap& archive);
};

struct MapPoint {
    int32_t x = 0;
    int32_t y = 0;
};

class CMapData {
public:
    // Builds the members empty and reads "map/map_chip.csv" and "map/field_data.csv".
    CMapData();
    // Without reading the two tables (`loadTables` false): tests and tools.
    explicit CMapData(bool loadTables);
    // The minimap pictures own device textures: a record is never copied.
    CMapData(const CMapData&) = delete;
    CMapData& operator=(const CMapData&) = delete;
    ~CMapData() = default;

    // Resets the mission members (sortie points removed, limits 10 / 0 / 0, the map
    // number N) and reads the grid "map/mapNN.csv".  A missing file keeps the old
    // grid.  Returns false when the file could not be read.
    bool LoadMapCsv(int mapNumber);
    // The grid file's name for map number N: "map/map03.csv", "map/map12.csv".
    static std::string MapFileName(int mapNumber);
    // Replaces the grid by the rows of a table (row 0 the first row of cells).
    void LoadGridTable(const CTableFile& table, const std::string& sourceName);

    // Sortie points.
    int GetSortiePositionCount() const { return (int)m_vnSortiePos.size(); }
    // Point i; an index out of range is logged and answers a shared empty point.
    CSortiePosition& GetSortiePosition(int i);
    // "AddStartPoint": a new point with empty lists; returns its index.
    int AddSortiePosition(int x, int y);

    // Approach routes.
    int GetAnabasisRouteCount() const { return (int)m_vAnabasisRoute.size(); }
    int GetAnabasisRouteSize(int r) const;
    // Point k of route r; out of range: logged, (-1, -1).
    MapPoint GetAnabasisRoutePoint(int r, int k) const;
    // "AddTargetPos": the arguments taken in pairs (x, y); an odd last one is ignored.
    void AddAnabasisRoute(const std::vector<int>& coordinates);

    // "OperationMessage": a key already present keeps its lines.
    void AddOperationMessage(int key, const std::vector<std::string>& lines);
    // "MissionName": entry 0 = first, entry 1 = second joined with the third.
    void SetMissionName(const std::vector<std::string>& texts);
    // A copy of mission name i (0 to 2); another index is logged and answers "".
    std::string GetMissionName(int i) const;
    // Copies the lines stored under `key` in OperationMessage; empties `lines` when
    // the key is absent.
    void GetOperationMessage(int key, std::vector<std::string>& lines) const;

    // Cell queries at grid index x + m_xSize * y.  An index outside the grid is
    // logged and answers the values of an impassable cell; a chip that the chip
    // table lacks reads as an impassable terrain too (it was logged when the grid
    // was read or changed).
    bool IsValidCell(int x, int y) const;
    int GetMapChip(int x, int y) const;  // -1 outside the grid
    int GetChipType(int x, int y) const; // terrain index, -1 when unknown
    uint8_t GetMoveCost(int x, int y, int moveClass) const;
    int GetTileDGuard(int x, int y, int moveClass) const;
    int GetTileIGuard(int x, int y, int moveClass) const;
    uint8_t GetTileHeight(int x, int y) const;
    // The name of the cell's terrain ("" for an unknown terrain) and the pictures of
    // the cell's chip ("upper" and "under" of the chip table, 0 when it lacks them).
    std::string GetTerrainName(int x, int y) const;
    int GetChipUpper(int x, int y) const;
    int GetChipUnder(int x, int y) const;
    bool IsPassable(int x, int y) const;
    // The larger of the class-0 and class-1 move costs of the cell's terrain.
    uint8_t CompareTileLayers(int x, int y) const;
    // "GeoChange".
    void SetMapChip(int x, int y, int chip);

    // Record archive inside the group the caller has entered.
    void Save(CStringMap& archive) const;
    void Load(CStringMap& archive);
    // The older layout: the grid one key per element, no operation messages.
    void LoadVersion1(CStringMap& archive);

    // Scale of the 400 x 200 minimap pictures: 400 / (56 (w + h)) and
    // 200 / (56 + 28 (w + h)) in single precision (0 for a map without cells).
    float GetMinimapScaleX() const;
    float GetMinimapScaleY() const;

    const CMapChipTable& GetChipTable() const { return m_ChipTable; }
    CMapChipTable& GetChipTable() { return m_ChipTable; }
    const CFieldDataTable& GetFieldData() const { return m_FieldData; }
    CFieldDataTable& GetFieldData() { return m_FieldData; }

    std::vector<uint8_t> m_byMapChip;            // cell (x, y) at x + m_xSize * y
    std::vector<CSortiePosition> m_vnSortiePos;
    CMapChipTable m_ChipTable;
    int32_t m_xSize = 0;
    int32_t m_ySize = 0;
    int32_t m_nMaxHero = 10;
    int32_t m_nMinHero = 0;
    int32_t m_nLocateCost = 0;
    std::map<int32_t, std::vector<std::string>> OperationMessage;
    std::vector<std::vector<MapPoint>> m_vAnabasisRoute;
    int32_t num_map = 0;
    std::vector<MapEvent> m_vEvent;
    std::string MissionName[3];
    // The minimap pictures (400 x 200 render targets, made by the minimap tasks):
    // the base map, the unit icons and the sortie markers.
    CD3DRTSquare m_MiniMapBase;
    CD3DRTSquare m_MiniMapUnits;
    CD3DRTSquare m_MiniMapSortie;
    CFieldDataTable m_FieldData;

private:
    // Index of the cell, -1 (logged) outside the grid.
    int CellIndex(int x, int y, const char* caller) const;
    // Logs the grid's chips that the chip table lacks (once per chip id).
    void CheckChips(const std::string& sourceName) const;
    void LoadCommon(CStringMap& archive, bool version1);
};
