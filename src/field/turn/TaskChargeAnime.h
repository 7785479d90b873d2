#pragma once
// A unit gathering power for cannon magic: white lines fly in towards the unit for a
// little over a second.  The creator waits on the done byte and applies the charge
// itself; the animation never changes the units.
#include <cstdint>
#include <vector>

#include "Draw/gvlD3DDrawLine.h"
#include "task/TaskBase.h"

class C_FieldTaskInfo;

class C_TaskChargeAnime : public C_FieldTaskBase {
public:
    struct Line {
        int32_t nLife = 10;
        float fAngle = 0;
        float fOuter = 0;
        float fInner = 0;
    };
    static constexpr int kLastBirth = 70;  // lines are born on even counts below this
    static constexpr int kEndFrame = 80;   // the task ends when the counter is above this

    C_TaskChargeAnime(C_FieldTaskInfo* info, int unit, const C_TaskReply<uint8_t>& done);
    ~C_TaskChargeAnime() override { m_Done.SetUnlessAnswered(1); }
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    std::vector<Line> m_vLine;
    C_TaskReply<uint8_t> m_Done;
    int32_t m_nCenterX = 320;
    int32_t m_nCenterY = 240;
    int32_t m_nFrame = 0;

protected:
    int DumpSize() const override { return (int)sizeof(*this); }

private:
    CD3DDraw2DLine m_Line;
};
