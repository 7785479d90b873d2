#pragma once
// The member choice of a move: the unit's members on two sides of four places each,
// the left side staying on the unit's cell, the right side going to the destination
// (where the members of a unit already standing there fill the right side and the
// move becomes a merge).  Two clicks exchange places; the move button confirms.
// The menu answers which members go and the final layout of both sides; the move
// task forms the units.  A menu removed before an answer answers -1 (cancelled).
#include <cstdint>
#include <memory>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "gfx/texture.h"
#include "menu/InstructWindow.h"
#include "menu/TaskMenuBase.h"
#include "resources/UnitPlate.h"

class MoveMenuRow {
public:
    MoveMenuRow() = default;
    MoveMenuRow(int person, bool movable) : m_nPerson(person), m_bMovable(movable) {}

    // Name, HP and MP texts of the row's person, rendered; the HP bar's length.
    void SetTexts(C_FieldTaskInfo* info);
    // The place plate, the row's texts (unless `withTexts` is false) and the cover
    // over the empty part of the HP bar.
    void Draw(CD3DDrawTexture& image, int x, int y, bool withTexts = true);
    bool IsEmpty() const { return m_nPerson < 0; }

    CD3DTextDraw m_NameText;
    CD3DTextDraw m_HPText;
    CD3DTextDraw m_MPText;
    int32_t m_nBar = 0;  // 0 to 93
    int32_t m_nPerson = -1;
    bool m_bMovable = true;
    CD3DDrawSquare m_BarCover;
};

class C_TaskMoveUnitMenu : public C_TaskMenuBase {
public:
    static constexpr int kPlaces = 8;
    static constexpr int kMoveButton = 8;
    static constexpr int kCancelButton = 9;

    // reach[k]: member slot k can reach the destination.  result is 0 while the menu
    // is open, 1 for the move and -1 for a cancel; moved and layout (all -1 while the
    // menu is open) are answered with the move.
    C_TaskMoveUnitMenu(const C_TaskReply<int32_t>& result, C_FieldTaskInfo* info, int unit, int targetX, int targetY,
                       const bool reach[4], const C_TaskReply<bool[4]>& moved,
                       const C_TaskReply<int32_t[kPlaces]>& layout);
    ~C_TaskMoveUnitMenu() override;

    using C_TaskMenuBase::Draw;
    using C_TaskMenuBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    // Exchanges the places m_nCursor and m_nHold; false (nothing changes) when a
    // place that may not cross sides would cross.
    bool SwapPlaces(C_FieldTaskInfo* info);
    // The item under (px, py): the last rectangle holding it, -1 for none.
    int HitTest(int px, int py) const;
    int GetPlacePerson(int place) const { return m_pRow[place] ? m_pRow[place]->m_nPerson : -1; }
    bool IsPlaceMovable(int place) const { return m_pRow[place] && m_pRow[place]->m_bMovable; }

    std::unique_ptr<MoveMenuRow> m_pRow[kPlaces];
    CD3DDrawTexture m_MenuImage;
    gfx::Rect m_rcPlace[10];
    UnitPlate m_Plate[kPlaces];
    C_TaskReply<int32_t> m_Result;
    C_TaskReply<bool[4]> m_Moved;
    int32_t m_nUnit = -1;
    int32_t m_nTargetUnit = -1;
    int32_t m_nTargetX = 0;
    int32_t m_nTargetY = 0;
    C_TaskReply<int32_t[kPlaces]> m_Layout;
    int32_t m_nHold = -1;
    CInstructWindow m_Instruct;
    CD3DDrawSquare m_Square;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }

private:
    void Compact(int side);
    void Finish(C_FieldTaskInfo* info, int result);
};
