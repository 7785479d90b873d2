#pragma once
// One unit of the player through one operation: its move (with undo), its command
// menu, an attack or support magic with the battle confirmation, the 3D battle, the
// results and the script events after them, the move after an attack that a passive
// skill grants, and cannon magic with its charge.  Ends with a new unit selection.
#include <cstdint>

#include "task/TaskBase.h"
#include "turn/TaskMoveUnit.h"

class C_FieldTaskInfo;

class C_TaskOperateUnit : public C_FieldTaskBase {
public:
    static constexpr int32_t kUnitGone = 10000;
    static constexpr int kMaxCharge = 3;

    // Command-menu results.
    enum MenuResult : int32_t {
        kCancel = -1, kOpen = 0, kMoveAll = 1, kMove = 2, kAttack = 3, kCannon = 4, kSupport = 5, kClose = 6
    };

    // What the operation is doing or waiting for.
    enum class Stage : int32_t {
        // The command menu and the move.
        OpenCommandMenu,
        WaitCommand,
        WaitMove,
        // An attack or support magic: target, confirmation, "FirstFight", the battle,
        // the results and the events after them, a move after the attack.
        ShowTargets,
        ChooseTarget,
        OpenConfirm,
        WaitConfirm,
        WaitFirstFight,
        Fight,
        WaitBattle,
        ApplyBattle,
        WaitPersonSuffered,
        WaitForceSuffered,
        WaitForceSufferedAt,
        OfferMoveAfterAttack,
        WaitMoveAfterAttack,
        // Cannon magic: the skill menu, the charge, the aimed cell, the battle, the
        // damage display and the events after it.
        OpenSkillMenu,
        WaitSkillMenu,
        WaitCharge,
        ShowCannonReach,
        AimCannon,
        WaitCannonBattle,
        WaitCannonDamage,
        WaitCannonForceSuffered,
        WaitCannonForceSufferedAt,
        WaitCannonPersonSuffered,
    };

    // mode 1: the operation opens with the move; 0: with the command menu.
    C_TaskOperateUnit(C_FieldTaskInfo* info, int unit, uint8_t mode);
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo*) override {}

    // Takes back the move of this operation.
    void Undo(C_FieldTaskInfo* info);
    // Whether a passive skill lets the unit move again after its attack.
    static bool CanMoveAfterAttack(C_FieldTaskInfo* info, int unit);
    // The charge after charging once: +2 with a leader's passive skill of effect 9,
    // else +1, never above 3.
    static int ChargeAfter(C_FieldTaskInfo* info, int unit);

    UnitUndoRecord m_Undo;
    Stage m_eStage = Stage::OpenCommandMenu;
    int32_t m_nUnit = -1;
    int32_t m_nUnitID = -1;
    bool m_bSelect[4] = {true, true, true, true};
    int32_t m_nTarget = -1;
    int32_t m_nSkill[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    int32_t m_nTargets[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    uint8_t m_bSupport = 0;
    uint8_t m_bNotMoved = 0;
    uint8_t m_bMovedBefore = 0;
    uint8_t m_bAutoMove = 0;
    int32_t m_nCursorResult = 0;
    int32_t m_nMenuResult = 0;
    int32_t m_nSkillRow = 0;
    uint8_t m_bBattleOver = 0;
    uint8_t m_bEventDone = 0;

protected:
    int DumpSize() const override { return (int)sizeof(*this); }

private:
    void Close(C_FieldTaskInfo* info);
    void StartMove(C_FieldTaskInfo* info, uint8_t afterAttack, uint8_t moveAll);
    void AfterMove(C_FieldTaskInfo* info);
    void FindUnitAgain(C_FieldTaskInfo* info);
    void StartBattle(C_FieldTaskInfo* info);
    bool Event(C_FieldTaskInfo* info, const char* next, Stage stage);
};
