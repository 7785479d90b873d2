#pragma once
// Range displays: cells tinted with the cell highlight of the upper sheet, drawn on
// the ground under the units.  C_TaskDispRange (priority 3, or 4 from the damage
// display) shows a fixed list of cells and marks them in the field state's range
// bits, which are the cells the cursor lets the player choose.
// C_TaskDispCannonRange (4) shows the area of a cannon spell around the hover cell
// and follows the pointer.
#include <cstdint>
#include <vector>

#include "FieldTaskInfo.h"
#include "task/TaskBase.h"

// Whether a cell's screen point lies where its highlight can be seen:
// -55 <= X < 696 and -55 <= Y < 536.
bool IsRangeCellVisible(int screenX, int screenY);

// Every map cell whose distance from (cx, cy) lies in [minDistance, maxDistance],
// x outer loop from 0, y inner loop from 0.
void CollectCannonArea(const C_FieldTaskInfo& info, int cx, int cy, int maxDistance, int minDistance,
                       std::vector<FieldCell>& area);

class C_TaskDispRange : public C_FieldTaskBase {
public:
    // Keeps a copy of the cells and marks exactly them in the range bits.
    C_TaskDispRange(int kind, const std::vector<FieldCell>& cells, C_FieldTaskInfo* info);

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override {}
    void Draw(C_FieldTaskInfo* info) override;

    int32_t m_nKind = 0;
    std::vector<FieldCell> m_vCells[2];

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};

class C_TaskDispCannonRange : public C_FieldTaskBase {
public:
    C_TaskDispCannonRange(int kind, int maxDistance, int minDistance)
        : m_nKind(kind), m_nMaxDistance(maxDistance), m_nMinDistance(minDistance) {}

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    // Recomputes the area when the hover cell has moved to another cell.
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    int32_t m_nKind = 0;
    int32_t m_nMaxDistance = 0;
    int32_t m_nMinDistance = 0;
    int32_t m_nCenterX = -1;
    int32_t m_nCenterY = -1;
    std::vector<FieldCell> m_vArea;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }

private:
    std::vector<std::pair<int, int>> m_vScreen;  // scratch list of the draw
};
