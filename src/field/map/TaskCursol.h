#pragma once
// The map cursor.  While a C_TaskCursol (priority 8) lives the player scrolls the
// map at the screen edges or by dragging with the middle button, the cell under
// the pointer becomes the field state's hover cell and blinks, a left click on a
// cell of the shown range (or on a candidate unit there) chooses it and a right
// click cancels.  The result goes to integers that the creator owns; the cursor
// then ends itself.  A cursor removed before it has an answer answers "cancelled",
// so that its creator never waits for it in vain.  It brings the scrolling-edge shade C_TaskScrollMap (12) and
// the information panel (19) with it and takes them away when it ends.
#include <cstdint>
#include <vector>

#include "Draw/gvlD3DDrawSquare.h"
#include "task/TaskBase.h"

class C_FieldTaskInfo;

// Edge scrolling: -1 when the pointer is left of x 10 (above y 10), 1 right of 630
// (from y 450 down), else 0.
int EdgeScrollX(int pointerX);
int EdgeScrollY(int pointerY);

class C_TaskCursol : public C_FieldTaskBase {
public:
    // Plain form: any marked cell can be chosen.
    C_TaskCursol(const C_TaskReply<int32_t>& result, C_FieldTaskInfo* info);
    // Unit form: a marked cell holding one of the candidate units.
    C_TaskCursol(const C_TaskReply<int32_t>& result, const C_TaskReply<int32_t>& chosenUnit,
                 const std::vector<int32_t>& candidates, C_FieldTaskInfo* info);
    ~C_TaskCursol() override;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    // Alpha of the hover highlight for a blink counter (-30..30): (|n| + 20) x 5.
    static int BlinkAlpha(int blink) { return ((blink < 0 ? -blink : blink) + 20) * 5; }

    bool m_bDragging = false;
    float m_fDragCameraX = 0.0f;
    float m_fDragCameraY = 0.0f;
    int32_t m_nDragX = 0;
    int32_t m_nDragY = 0;
    C_TaskReply<int32_t> m_Result;
    C_TaskReply<int32_t> m_ChosenUnit;  // empty in the plain form
    std::vector<int32_t> m_vCandidate;
    int32_t m_nScrollX = 0;
    int32_t m_nScrollY = 0;
    int32_t m_nBlink = 0;
    C_FieldTaskInfo* m_pFieldTaskInfo = nullptr;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }

private:
    void Start(C_FieldTaskInfo* info);
    void Answer(C_FieldTaskInfo* info, int32_t result);
};

class C_TaskScrollMap : public C_FieldTaskBase {
public:
    C_TaskScrollMap(const int32_t* scrollX, const int32_t* scrollY) : m_pScrollX(scrollX), m_pScrollY(scrollY) {}

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override {}
    void Draw(C_FieldTaskInfo* info) override;

    const int32_t* m_pScrollX = nullptr;
    const int32_t* m_pScrollY = nullptr;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }

private:
    CD3DDrawSquare m_Square;
};
