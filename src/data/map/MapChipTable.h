#pragma once
// The two tables that give map chips their meaning: the map-chip table
// ("map/map_chip.csv": chip id -> terrain index and the lower and upper pictures)
// and the terrain table ("map/field_data.csv": per terrain its name, height and,
// for each movement class, the move cost and the two defence bonuses).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CTableFile;

// A move cost of this value marks a terrain that the class cannot enter.
constexpr uint8_t kImpassableCost = 99;
constexpr int kMoveClassCount = 3;

// The int that the map holds for the key.  A missing key answers `fallback` and
// sets *found (when given) to false.
int LookupByKey(const std::map<int, int>& map, int key, int fallback = 0, bool* found = nullptr);

class CMapChipTable {
public:
    // Reads "map/map_chip.csv".
    CMapChipTable();
    // An empty table (`load` false), e.g. for tools.
    explicit CMapChipTable(bool load);

    // Empties the maps and reads them from the table (row 0 the header, column 0
    // the chip id; headers containing "type", "upper", "under" feed those maps).
    void LoadTable(const CTableFile& table);

    bool HasChip(int chip) const { return m_mapType.count(chip) != 0; }
    // Terrain index of the chip; -1 when the table lacks it.
    int GetType(int chip) const { return LookupByKey(m_mapType, chip, -1); }
    // Picture numbers; 0 when the table lacks the chip (no picture).
    int GetUpper(int chip) const { return LookupByKey(m_mapUpper, chip, 0); }
    int GetUnder(int chip) const { return LookupByKey(m_mapUnder, chip, 0); }

    std::map<int, int> m_mapType;   // chip id -> terrain index
    std::map<int, int> m_mapUpper;  // chip id -> upper-layer picture (0 none)
    std::map<int, int> m_mapUnder;  // chip id -> lower-layer picture
};

struct FieldDataRecord {
    uint8_t cost = 0;     // move cost for this class, 99 = cannot enter
    uint8_t height = 0;   // filled in the class-0 record only
    int32_t d_guard = 0;  // defence bonus against type-0 skills (percent points)
    int32_t i_guard = 0;  // defence bonus against type-1 and type-2 skills
};

class CFieldDataTable {
public:
    // Reads "map/field_data.csv".
    CFieldDataTable();
    explicit CFieldDataTable(bool load);

    // One entry per row of the table (header included), then the rows' values.
    void LoadTable(const CTableFile& table);

    int GetCount() const { return (int)m_vName.size(); }
    bool IsValid(int terrain, int moveClass) const {
        return terrain >= 0 && terrain < GetCount() && moveClass >= 0 && moveClass < kMoveClassCount;
    }
    // A terrain or class outside the table answers an impassable cost, no
    // defence and no height.
    uint8_t GetMoveCost(int terrain, int moveClass) const;
    int GetDGuard(int terrain, int moveClass) const;
    int GetIGuard(int terrain, int moveClass) const;
    uint8_t GetHeight(int terrain) const;
    std::string GetName(int terrain) const;

    std::vector<std::string> m_vName;
    std::vector<std::vector<FieldDataRecord>> m_vRecord;  // [terrain][class 0..2]
};
