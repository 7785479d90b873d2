#pragma once
// Rectangles of any picture sheet (unit figures, isometric cell highlights) and the
// arrow line.  These draw straight to the device, ending the sprite batch first.
#include <cstdint>
#include <utility>
#include <vector>

#include "Draw/gvlD3DDrawSquare.h"

// One end of an arrow line: a pre-transformed coloured vertex.
struct ArrowVertex {
    float x = 0, y = 0, z = 0, rhw = 1.0f;
    uint32_t color = 0xFFFFFFFF;
};

// Binds a sheet for a pass of direct draws (alpha blended, texture times colour),
// ending the sprite batch first; false when there is no device or texture.
bool BindSheet(const CD3DDrawTexture* sheet);
// The rectangle (left, top)-(right, bottom) of `sheet` at (x, y), white with `alpha`.
// The sheet's texture is bound to the device for the draw; a sheet without a texture
// draws nothing.
void DrawTextureRect(CD3DDrawTexture* sheet, float x, float y, int left, int top, int right, int bottom,
                     unsigned char alpha);
// Cell n of the sheet's 48x64 grid: column n mod 16, row n / 16 + 8.
void DrawSheetCell(CD3DDrawTexture* sheet, int n, int x, int y, unsigned char alpha);
// One 112x56 isometric highlight per cell: kinds 0 to 2 are pictures of the sheet,
// kinds 3 and 4 tinted squares (yellow, green) over the sheet's first highlight.
void DrawCellHighlights(CD3DDrawTexture* sheet, int kind, const std::vector<std::pair<int, int>>& cells,
                        unsigned char alpha);
void DrawCellHighlight(CD3DDrawTexture* sheet, int kind, int x, int y, unsigned char alpha);
// A line from `start` to `end` with a two-stroke arrowhead (10 pixels, 20 degrees to
// either side) at the end.  A line of zero length draws no head.
void DrawArrowLine(const ArrowVertex& start, const ArrowVertex& end);
// The arrowhead's two stroke ends; false for a line of zero length.
bool ArrowHeadPoints(const ArrowVertex& start, const ArrowVertex& end, float out[2][2]);

// Releases the square shared by the sheet draws (program end).
void ReleaseSheetDrawObjects();
