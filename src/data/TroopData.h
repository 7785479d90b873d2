#pragma once
// Troop types of the party, read from the tagged text "gamedata/Troop.txt".
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class CStringMap;

struct CTroopType {
    int32_t TypeID = 0;
    std::string name;
    int32_t nLV = 0;
    uint8_t m_bCanUse = 0;
    std::vector<std::pair<int32_t, int32_t>> m_vBranch;  // (person type id, level from which it can be formed)
    int32_t nEXP = 0;         // level-up base cost
    double dEXPUP = 0.0;      // level-up growth factor
};

class CTroopTypeTable {
public:
    // Empties the table and reads "gamedata/Troop.txt" (or `path`).
    void LoadFile(const char* path = "gamedata/Troop.txt");
    // Empties the table and reads the given file text.
    void LoadText(const std::vector<unsigned char>& bytes, const char* sourceName = "gamedata/Troop.txt");

    // Troop i.  An index out of range is logged and answers a shared empty record.
    CTroopType& GetEntry(int i);
    const CTroopType& GetEntry(int i) const;
    int GetCount() const { return (int)m_vTroop.size(); }
    bool IsValidIndex(int i) const { return i >= 0 && i < (int)m_vTroop.size(); }
    // Index of the first troop with that TypeID, -1 when none.
    int FindByTypeID(int typeID) const;

    // Writes group "m_Troops" into the archive at its current group.
    void SaveToArchive(CStringMap& archive) const;
    // Reads the level and usable flag of the troops the table already holds.
    void LoadFromArchive(CStringMap& archive);

    std::vector<CTroopType> m_vTroop;
};
