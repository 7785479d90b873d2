#pragma once
// Small free functions that every part of the game calls: zero-filled allocation,
// clamping and sign, rectangle tests, an integer power, string comparisons, a table
// cell as an integer, and the member figures of a unit standing as a group.
#include <cstddef>
#include <string>

#include "app/AppUtil.h"  // Clamp (value, upper, lower) and ShowErrorMessage
#include "gfx/texture.h"
#include "table/gvlTableFile.h"

class IInputManager;
class CD3DDrawTexture;

// Allocates `size` bytes with the ordinary allocation (release with operator delete)
// and fills them with zero bytes.  Scenes, tasks and most game objects are placed in
// such a block before their constructors run.
void* NewZeroed(size_t size);

// 1 above 0, -1 below 0, 0 at 0.
int Sign(double value);

// left <= x <= right and top <= y <= bottom (every bound inclusive).
bool IsPointInRect(int left, int top, int right, int bottom, int x, int y);
bool RectContainsPoint(const gfx::Rect& rc, int x, int y);
// The same test for the pointer of the input manager.
bool RectContainsMouse(const gfx::Rect& rc, IInputManager& input);

// base to the power of |exponent| by repeated squaring in double precision; a negative
// exponent gives the reciprocal; exponent 0 gives 1.
float PowInt(float base, int exponent);

// Same length and same characters.
bool StringEquals(const std::string& a, const char* b);
bool StringNotEquals(const std::string& a, const char* b);

// The cell's text converted by the atoi rule.
inline int GetTableInt(const CTableFile& table, int row, int column) { return CTableFile::GetInt(table, row, column); }

// Where one member figure of a unit group stands, relative to the group's point.
struct FigurePlacement {
    int slot = 0;
    int dx = 0;
    int dy = 0;
};

// The group arrangement (1 to 6, 0 = nothing to draw) for the four member figure
// numbers of a unit (-1 = empty slot), and the figures in drawing order (back first).
// Returns the number of placements written to `out` (at most 4).
int ArrangeUnitFigures(const int figures[4], FigurePlacement out[4], int* arrangement = nullptr);

// Draws the members' figures of a unit standing at (x, y) as cells of the sheet
// (DrawSheetCell); -1 marks an empty slot.
void DrawUnitFigures(CD3DDrawTexture* sheet, int x, int y, unsigned char alpha, const int figures[4]);
void DrawUnitFigures(CD3DDrawTexture* sheet, int x, int y, unsigned char alpha, int f0, int f1, int f2, int f3);
