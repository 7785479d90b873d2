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

    // New game: map 0, no money, no heroes, troop tables read again, forces 0 and 3,
    // then a backup.  Difficulty, inter-mission flag, used persons and created
    // troops stay.
    void Reset();
    // The map was won: heroes unplaced, next map, its clear bonus, a new backup.
    void AdvanceMap();
    void Backup();
    void RestoreBackup();
    // The whole party (and its backup) as a new archive, and back.  Counts in the
    // archive are checked against what it holds (a damaged save gives shorter lists
    // and a log line, never a crash).
    CStringMap Save();
    void Load(CStringMap archive);
    // Adds `amount` (negative: spends) to the funds, held at the int32 limits with a
    // line in the error log when held.  Every change of the funds goes through here.
    void AddMoney(int32_t amount);
    // Funds granted when the map number is reached (0 outside 0..39).
    static int GetMapClearBonus(int mapNumber);

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
