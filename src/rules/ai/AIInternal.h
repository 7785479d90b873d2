#pragma once
// Small helpers shared by the enemy AI's decision steps.
#include <cstdint>
#include <cstdlib>

#include "AIState.h"
#include "FieldRules.h"

namespace aiutil {

inline int Manhattan(int x1, int y1, int x2, int y2) { return std::abs(x1 - x2) + std::abs(y1 - y2); }

// num / den to the nearest integer, halves going down (den > 0; 0 otherwise).
int RoundHalfDown(int64_t num, int64_t den);

// Passive-terrain flags 0 to 3, all clear.
PassiveTerrainFlags NoTerrainFlags();

// The area index of a tile; -1 outside the grid or for a tile without area.
int AreaAt(const IntGrid& grid, int x, int y);

}  // namespace aiutil
