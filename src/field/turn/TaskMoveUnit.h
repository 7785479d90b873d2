#pragma once
// Moving a unit, or some of its members, to a cell: the move area, the destination
// from the cursor, the member choice (move-unit menu), a split when only some members
// go, a merge into a friendly unit on the destination, the record that undoes it all,
// the walk along the path and the new position and flags.
// C_TaskDispMoveRange only shows the ranges of a unit the player does not operate.
#include <cstdint>
#include <map>
#include <vector>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "FieldRules.h"
#include "UnitData.h"
#include "task/TaskBase.h"

class C_FieldTaskInfo;

// What undoes one move: the units the move left, and the two units as they were.
struct UnitUndoRecord {
    static constexpr int32_t kNone = -1;
    int32_t nUnitID[2] = {kNone, kNone};  // removed by the undo
    UnitRecord Saved[2];                  // re-created by the undo; one without members is skipped
    int32_t nRestMove[2][4] = {};
    uint8_t bForward[2][4] = {};

    // Forgets everything: no unit to remove, nothing to re-create.
    void Clear();
    // Copies unit `unit` into slot k.
    void Snapshot(const C_FieldTaskInfo& info, int k, int unit);
    // Removes the units the move left and re-creates the saved ones; returns the index
    // of the unit re-created from slot 0 (-1 when slot 0 is empty).
    int Restore(C_FieldTaskInfo& info) const;
};

class C_TaskMoveUnit : public C_FieldTaskBase {
public:
    // Answers written to the creator's int.
    enum Answer : int32_t { kRunning = 0, kCancelled = -1, kMoved = 1, kMerged = 2, kStayed = 3 };

    C_TaskMoveUnit(int32_t* answer, C_FieldTaskInfo* info, int32_t* unit, const bool selection[4],
                   UnitUndoRecord* undo, uint8_t afterAttack, uint8_t moveAll);
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    int32_t* m_pAnswer = nullptr;
    bool m_bSelect[4] = {};
    bool m_bReach[4] = {};
    // Person indices in the order the move menu chose: 0-3 the unit that stays, 4-7
    // the unit that moves; -1 in an order's first entry means no new order.
    int32_t m_nOrder[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    int32_t m_nStage = 0;
    int32_t* m_pUnit = nullptr;
    uint8_t m_bAfterAttack = 0;
    uint8_t m_bMoveAll = 0;
    int32_t m_nDestX = 0;
    int32_t m_nDestY = 0;
    std::map<int32_t, int32_t> m_mapRestMove;  // person -> move left at the destination
    std::vector<MoveSearchNode> m_vTree[4];
    int32_t m_nMenuAnswer = 0;
    int32_t m_nCursor = 0;
    int32_t m_nDestUnit = -1;
    int32_t m_nDestUnitID = -1;
    UnitUndoRecord* m_pUndo = nullptr;
    CD3DTextDraw m_Name[4];

protected:
    // Stage 0: the move area, its marks, the range display, the cursor and the names.
    void SetUp(C_FieldTaskInfo* info, int variant);
    bool TreeReaches(int slot, int x, int y, int* rest = nullptr) const;
    int DumpSize() const override { return (int)sizeof(*this); }

private:
    void OnDestination(C_FieldTaskInfo* info);
    void StartMove(C_FieldTaskInfo* info);
    void FinishMove(C_FieldTaskInfo* info);

    CD3DDrawSquare m_Panel;
};

// What the range display keeps for itself; built before the move task it derives from.
struct DispMoveRangeStore {
    int32_t m_nOwnUnit = -1;
    int32_t m_nOwnAnswer = 0;
    UnitUndoRecord m_OwnUndo;
};

class C_TaskDispMoveRange : private DispMoveRangeStore, public C_TaskMoveUnit {
public:
    C_TaskDispMoveRange(C_FieldTaskInfo* info, int unit);
    void Update(C_FieldTaskInfo* info) override;

    using DispMoveRangeStore::m_nOwnUnit;

protected:
    // The dump starts at the task part, which stands after the store.
    int DumpSize() const override { return (int)sizeof(C_TaskMoveUnit); }

private:
    void Finish(C_FieldTaskInfo* info);
};
