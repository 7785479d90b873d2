#pragma once
// Helpers of the field-event runner that the field play may call directly: the free
// cell search used to place new units, the placing of a sortie point's heroes and
// troops as units, and the run of a chapter's "FieldInitialize" sections.
#include <cstdint>
#include <vector>

#include "FieldTaskInfo.h"

// Up to `wanted` free cells near (x0, y0), nearest rings first (Manhattan distance),
// each ring walked clockwise from the cell above; at most 151 probes.  A cell is free
// when it lies on the map, its terrain costs class 0 less than 50 to enter and no
// unit stands on it.
std::vector<FieldCell> FindFreeCells(int x0, int y0, int wanted, const C_FieldTaskInfo& field);

// The cell of probe k around (x0, y0) (ring r holds probes 2r(r-1)+1 .. 2r(r+1)).
FieldCell FreeCellProbe(int x0, int y0, int k);

// "Appear": the heroes of sortie point `position` become one-person units, then its
// troops become units of their members, on the free cells around the point.  Returns
// the number of units made (0 for a point that does not exist, which is logged).
int AppearSortieUnits(C_FieldTaskInfo& field, int position);

// "CreateUnit": a unit near (x, y) of up to four persons (type and level pairs; a pair
// with -1 is skipped).  Nothing is made when no free cell is found (logged).  Returns
// the index of the new unit or -1.
int CreateScriptUnit(C_FieldTaskInfo& field, int x, int y, bool isFriend, const int levels[4], const int types[4]);

// Runs the chapter's "FieldInitialize" sections to their end on a script object of its
// own: their fired flags are cleared first; the loop stops after `passLimit` calls
// (logged).  `restored` marks a field just restored from a save.  Returns the number
// of calls made.
int RunFieldInitialize(C_FieldTaskInfo& field, int chapter, bool restored, int passLimit = 100000);
