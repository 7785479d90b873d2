#pragma once
// The party and the campaign's progress: everything that outlives one battle map.
#include <cstdint>
#include <map>
#include <vector>

#include "TroopData.h"

class CStringMap;
class IStringMap;

struct HeroEntry {
    int32_t m_typeID = -1;        // person type id
    int32_t m_LV = 1;
    int32_t m_nPlaced = -1;       // sortie position, -1 not placed
    bool m_bCanUse = false;
    bool m_bForcePlaced = false;  // the story fixed the placement

    void Save(IStringMap& archive) const;
    void Load(IStringMap& archive);
};

struct CreatedTroopEntry {
    std::vector<int32_t> TypeID;  // person type id of each member
    std::vector<bool> bForward;   // member stands in front
    std::vector<int32_t> nLV;     // level of each member
};

struct CPartyBackup {
    bool toInterMission = false;
    int32_t ForceID0 = 0;
    int32_t ForceID1 = 0;
    std::vector<HeroEntry> m_Heros;
    std::map<int, int> m_mapUsedPerson;
    CTroopTypeTable m_Troops;
    std::vector<CreatedTroopEntry> m_CreatedTroop;
    int32_t nMoney = 0;
    int32_t nMap = 0;
    int32_t Difficulty = 2;
};

class CPartyData {
public:
    CPartyData();

    // One more person of the type was used: m_mapUsedPerson[typeID] + 1.
    void AddUsedPerson(int typeID);
    // Appends a usable, unplaced hero (no check for one of the same type).
    void AddHero(int typeID, int level);

    bool toInterMission = false;
    int32_t ForceID0 = 0;
    int32_t ForceID1 = 0;
    int32_t Difficulty = 2;
    std::vector<HeroEntry> m_Heros;
    std::map<int, int> m_mapUsedPerson;
    CTroopTypeTable m_Troops;
    std::vector<CreatedTroopEntry> m_CreatedTroop;
    int32_t nMoney = 0;
    int32_t nMap = 0;
    CPartyBackup m_Backup;
};
