#pragma once
// The strategy map in two layers.  C_TaskDrawMap (priority 2) draws the ground
// chips of the cells around the camera; C_TaskDrawMap_Upper (priority 10) draws
// the scenery chips, the units (bases, figures, state icons and HP numbers) in
// depth order, the sortie markers of the preparation and the unit that walks
// along the field state's move path, whose step it also advances.  Tasks between
// the two priorities (ranges 3 and 4, the cursor 8) draw on the ground under the
// units.  The ground task owns the upper layer and the minimap (11).
#include <cstdint>
#include <vector>

#include "Draw/gvlD3DDrawSquare.h"
#include "map/MapChipTexture.h"
#include "task/TaskBase.h"

class C_FieldTaskInfo;

// Source rectangles of the upper sheet.
namespace upper_sheet {
RECT UnitBase(bool friendly);
RECT UnitBaseActed(bool friendly);
RECT ActedIcon();
RECT MovedIcon(bool friendly);
// HP digit d (0..9) in colour 0 normal, 1 half, 2 quarter.
RECT HPDigit(int digit, int colour);
RECT RowMark(bool front);
RECT SortieMarker(int i);
}  // namespace upper_sheet

// Colour of a member's HP digits: 2 when 4 HP <= max, 1 when 2 HP <= max, else 0.
int HPDigitColour(int hp, int maxHP);
// Alpha of the bases' pulse for a pulse counter 0..600: 190 - |trunc((p - 300) / 3)|.
int UnitPulseAlpha(int pulse);

// Upper chip n of the sheet at (x, y) with alpha (nothing for n < 1).
void DrawUpperChip(CMapChipTextureBase* sheet, int n, int x, int y, int alpha);

// A unit kept for the depth-ordered upper pass: its row a and column b in the
// window around the camera (fx, fy = floor of the camera).
struct UnitDrawOrder {
    int unit = 0;
    int a = 0;
    int b = 0;
};
// The units inside the window, not the moving one (-1 for none), sorted by row
// then column (ties in list order).
std::vector<UnitDrawOrder> OrderUnitsForDrawing(const C_FieldTaskInfo& info, int movingUnit);

class C_TaskDrawMap : public C_FieldTaskBase {
public:
    // Removes any upper layer and minimap and adds new ones (10, 11).
    explicit C_TaskDrawMap(C_FieldTaskInfo* info);
    // Removes the upper layer and the minimap with the ground.
    ~C_TaskDrawMap() override;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override {}
    void Draw(C_FieldTaskInfo* info) override;

    // The cells the ground pass visits for a camera (in drawing order, on the map).
    static void VisitGroundCells(const C_FieldTaskInfo& info, std::vector<std::pair<int, int>>& cells);

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }

private:
    C_FieldTaskInfo* m_pFieldTaskInfo = nullptr;
    CD3DDrawSquare m_Square;  // the chips' quad
};

class C_TaskDrawMap_Upper : public C_FieldTaskBase {
public:
    C_TaskDrawMap_Upper() = default;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override {}
    void Draw(C_FieldTaskInfo* info) override;

    // One unit at its screen point (X, Y): base, figures, marks.
    void DrawUnit(C_FieldTaskInfo* info, int unit, int x, int y, int alpha);
    // Its state icon and the HP line of each member.
    void DrawUnitMarks(C_FieldTaskInfo* info, int unit, int x, int y);
    // The walking unit's step: camera along the path, path shortened.
    void StepMove(C_FieldTaskInfo* info);
    // Whether the walk along the field state's move path is over.  This layer walks
    // the path as it draws it; while the field has no upper layer (a chapter event
    // has taken the map display away) nothing would, and the unit arrives at once.
    static bool WalkOver(C_FieldTaskInfo* info);

    int32_t m_nStepFrames = 12;
    int32_t m_nPulse = 0;
    int32_t m_nStepFrame = 0;

protected:
    CD3DDrawSquare m_Square;  // the quad of chips, bases, icons and digits

    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};
