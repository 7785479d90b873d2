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
    // Answers to the creator.
    enum Answer : int32_t { kRunning = 0, kCancelled = -1, kMoved = 1, kMerged = 2, kStayed = 3 };

    // What the move is doing or waiting for.
    enum class Stage : int32_t {
        ShowArea,    // the move area, the cursor and the names are shown in the next update
        ChooseCell,  // waits for the cursor: a destination, or a cancel
        OpenMenu,    // the member menu opens in the next update
        WaitMenu,    // waits for the member menu (a hero or a whole unit answers it at once)
        Walking,     // the figure walks the path
    };

    // `unit` moves; `movedUnit` learns the unit that moved (another one after a split
    // or a merge) and `undo` what takes the move back.  The answers reach only a live
    // waiter.
    C_TaskMoveUnit(const C_TaskReply<int32_t>& answer, C_FieldTaskInfo* info, int unit,
                   const C_TaskReply<int32_t>& movedUnit, const bool selection[4],
                   const C_TaskReply<UnitUndoRecord>& undo, uint8_t afterAttack, uint8_t moveAll);
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    C_TaskReply<int32_t> m_Answer;
    bool m_bSelect[4] = {};
    bool m_bReach[4] = {};
    // Person indices in the order the move menu chose: 0-3 the unit that stays, 4-7
    // the unit that moves; -1 in an order's first entry means no new order.
    int32_t m_nOrder[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    Stage m_eStage = Stage::ShowArea;
    int32_t m_nUnit = -1;
    C_TaskReply<int32_t> m_MovedUnit;
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
    UnitUndoRecord m_Undo;
    C_TaskReply<UnitUndoRecord> m_UndoReply;
    CD3DTextDraw m_Name[4];

protected:
    // The move area, its marks, the range display, the cursor and the names.
    void SetUp(C_FieldTaskInfo* info, int variant);
    bool TreeReaches(int slot, int x, int y, int* rest = nullptr) const;
    int DumpSize() const override { return (int)sizeof(*this); }

private:
    void OnDestination(C_FieldTaskInfo* info);
    void StartMove(C_FieldTaskInfo* info);
    void FinishMove(C_FieldTaskInfo* info);
    // The moving unit changed (a split or a merge): the creator learns it.
    void SetUnit(int unit);

    CD3DDrawSquare m_Panel;
};

class C_TaskDispMoveRange : public C_TaskMoveUnit {
public:
    // One range after the other, each shown until a click.
    enum class RangeStage : int32_t {
        SetUp,       // the move area is shown in the next update
        MoveArea,    // the move area
        AttackArea,  // the attack area
        SightArea,   // the cells within 12, while the enemy has not found the player
    };

    C_TaskDispMoveRange(C_FieldTaskInfo* info, int unit);
    void Update(C_FieldTaskInfo* info) override;

    RangeStage m_eRangeStage = RangeStage::SetUp;

protected:
    int DumpSize() const override { return (int)sizeof(*this); }

private:
    void Finish(C_FieldTaskInfo* info);
};
