#pragma once
// The arithmetic of the sortie preparation, apart from its windows: sortie costs and
// limits, the heroes allowed on a position, the level-up prices and the tables of a
// mission.
#include <cstdint>
#include <string>

#include "PersonData.h"
#include "TroopData.h"
#include "map/MapData.h"

class CPartyData;
struct HeroEntry;
class C_FieldTaskInfo;

namespace sortie {

constexpr int kMaxLevel = 15;         // a row at this level cannot be strengthened
constexpr int kNoPrice = -1;          // the price cannot be paid at any funds
constexpr int kMaxCards = 8;          // cards the sortied-unit list shows per position

// The sortie cost of a person type (0, logged, for a type the table lacks).
int LocateCostOf(int typeID);
// Sum over every position of the costs of its heroes and troop members.
int TotalSortieCost(CMapData& map);
// The refund of one troop: the sum of its members' costs.
int TroopCost(const SortieTroopEntry& troop);
// Hero entries and troop entries over all positions.
int CountPlacedHeroes(const CMapData& map);
int CountPlacedTroops(const CMapData& map);
bool IsHeroOnAnyPosition(const CMapData& map, int typeID);

// trunc(growth ^ (level - 1) x base) in double precision; kNoPrice when the result
// is not a number, negative or beyond an int32.
int LevelUpPrice(double base, double growth, int level);
// The hero price of a person type at a level (columns EXP and EXPUP).
int LevelUpCost(int typeID, int level);
// The price of a troop type at its current level ("EXP" of Troop.txt).
int TroopLevelUpCost(const CTroopType& troop);
// A row can be chosen: a real price within the funds and below the highest level.
bool CanAffordLevelUp(int price, int money, int level);

// The budget left under the map's cost limit.
int RemainingBudget(const CMapData& map, int sortieCost);

// Whether hero `h` of the party may be put on a position now.
bool CanPlaceHero(const C_FieldTaskInfo& info, const HeroEntry& h, int sortieCost, int nextPosition);

// The base name of the mission tables of a map: "map/map05", "map/map12".
std::string MissionTableBase(int mapNumber);

// Puts the force-placed heroes on their positions (once each); a hero whose
// position does not exist is logged and left off.
void PlaceForcedHeroes(CPartyData& party, CMapData& map);

// Merges positions that name the same cell into the first of them (a loaded
// preparation runs the chapter's initialisation again, which adds its positions
// anew).  Returns the number of positions removed.
int MergeDuplicatePositions(CMapData& map);

}  // namespace sortie
