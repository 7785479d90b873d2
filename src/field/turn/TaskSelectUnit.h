#pragma once
// The idle point of the player's phase: raises "UnitPosition", starts the map cursor
// over every unit and turns its answer into the next task (the operation of an own
// unit, the ranges of another unit, the command menu, or the field menu).
#include <cstdint>

#include "task/TaskBase.h"

class C_FieldTaskInfo;

class C_TaskSelectUnit : public C_FieldTaskBase {
public:
    explicit C_TaskSelectUnit(C_FieldTaskInfo* info);
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo*) override {}

    int32_t m_nCursorResult = 0;  // 1 left click on a unit, 2 right click
    int32_t m_nChosenUnit = -1;
    uint8_t m_bEventDone = 0;
    uint8_t m_bCursorStarted = 0;

protected:
    int DumpSize() const override { return (int)sizeof(*this); }
};
