#pragma once
// Helpers shared by the rule operations of the field state.
#include <vector>

#include "FieldTaskInfo.h"

namespace rules {

// Terrain above this height blocks a line of fire of the mode (0 for modes 0 and
// 1, 1 for the others).
int HeightThreshold(int mode);
bool IsBlockingTerrain(const CMapData& map, int x, int y, int threshold);
// Terrain type of a cell; -1 outside the map or for an unknown chip.
int TerrainTypeAt(const CMapData& map, int x, int y);

// Cells in ascending order of x, then y, without duplicates.
void SortCells(std::vector<FieldCell>& cells);

// Whether the person holds a passive skill of the effect.
bool HasPassiveEffect(const PersonRecord& person, int effect);

}  // namespace rules
