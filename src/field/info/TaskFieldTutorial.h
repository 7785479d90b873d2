#pragma once
// The tutorial's input switch: while this task lives (priority 1, the first task of
// every frame) the field tasks read the chapter script's scripted pointer and buttons
// (the field state's CInputManagerDummy_forTutorial) instead of the player's.  The
// script's "StartTutorial" adds it and "EndTutorial" removes it; removing it gives the
// field back the real input and ends the unit selection and the cursor that the
// script had started.
#include <cstdint>

#include "Draw/gvlD3DDrawSquare.h"
#include "task/TaskBase.h"

class C_TaskFieldTutorial : public C_FieldTaskBase {
public:
    C_TaskFieldTutorial();
    ~C_TaskFieldTutorial() override;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    bool m_bStarted = false;
    int32_t m_nRealX = 0;
    int32_t m_nRealY = 0;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }

private:
    C_FieldTaskInfo* m_pInfo = nullptr;  // the field state of the last update
    CD3DDrawSquare m_Mark{60, 20, 0xC0000000};
};
