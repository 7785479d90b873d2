#pragma once
// The state of one battle map while it is played: persons, units, map and mission
// data, the turn, the script flags and values, the enemy AI state and the input
// switch of the tutorial.  The field scene owns one and hands it to every field
// task; its saved record ("Person", "UnitData", "MapData", the plain keys and "AI")
// is written by Save and read back by Load / LoadVersion1.
#include <cstdint>
#include <vector>

#include "PersonData.h"
#include "UnitData.h"
#include "ai/AIState.h"
#include "FieldRules.h"
#include "input/gvlInputManager.h"
#include "map/MapChipTexture.h"
#include "map/MapData.h"
#include "task/TaskBase.h"

class C_TaskController;
class CPartyData;
class CArchiveManager;
class CStringMap;
struct UnitPlate;

// Program-wide state shared by the field tasks.
// Set while a map cursor (C_TaskCursol) exists; the information panel and the
// minimap read it.
extern bool g_bFieldCursorActive;
// The minimap's screen rectangle (edges included), written by the minimap; the
// cursor takes no hover cell inside it.  Empty (right < left) while no minimap shows.
extern RECT g_rcFieldMiniMap;

// The tutorial's scripted input: pointer and buttons set by the chapter script.
// Nothing calls its Update during play, so a pressed query answers true in every
// frame in which the script keeps the button set.  The keyboard is dead.
class CInputManagerDummy_forTutorial : public IInputManager {
public:
    void Update() override;
    bool IsLButtonDown() override { return m_bLeft; }
    bool IsRButtonDown() override { return m_bRight; }
    bool IsMButtonDown() override { return m_bMiddle; }
    bool IsLButtonPush() override { return m_bLeft && !m_bPrevLeft; }
    bool IsRButtonPush() override { return m_bRight && !m_bPrevRight; }
    bool IsMButtonPush() override { return m_bMiddle && !m_bPrevMiddle; }
    int GetX() override { return m_nX; }
    int GetY() override { return m_nY; }
    void GetXY(int* x, int* y) override;
    bool IsPush(int) override { return false; }
    bool IsPress(int) override { return false; }
    IKeyBase* GetKey() override { return nullptr; }
    CFixMouseIDP* GetMouse() override { return nullptr; }

    // The "TutorialSetInput" command: pointer and the left and right buttons.
    void SetState(int x, int y, uint8_t left, uint8_t right);

    bool m_bLeft = false;
    bool m_bRight = false;
    bool m_bMiddle = false;
    bool m_bPrevLeft = false;
    bool m_bPrevRight = false;
    bool m_bPrevMiddle = false;
    int32_t m_nX = 320;
    int32_t m_nY = 240;
};

// A cell of a path.
struct FieldCell {
    int32_t x = 0;
    int32_t y = 0;
};

constexpr int kBGMSetCount = 10;
constexpr int kEventHandlerFlagCount = 200;
constexpr int kEventValueCount = 50;

class C_FieldTaskInfo {
public:
    // Builds the lists, the map data (which reads the chip and terrain tables) and
    // the AI state; binds the unit list to the person list.
    C_FieldTaskInfo();
    virtual ~C_FieldTaskInfo();
    C_FieldTaskInfo(const C_FieldTaskInfo&) = delete;
    C_FieldTaskInfo& operator=(const C_FieldTaskInfo&) = delete;

    // Stores the real input manager; BGMSet[0] = 1, BGMSet[1] = 2.
    void SetInputManager(IInputManager* input);
    // The scripted tutorial input while m_bTutorialInput is set, else the real one.
    IInputManager* GetInputManager();

    // Prepares the state for a new map (data part): binds the unit list, clears the
    // camera, hover cell, turn, exit state, script flags and values, sets the player
    // phase and the inter-mission flag, and sets the AI's view by the party's map
    // number (5, 10 and 15 use sight; on the others the AI starts detected).
    void Reset();

    // At the start of a turn: each held condition 1..4 of every person wears off by
    // a 30 % chance; then every person gains 2 MP.
    void RecoverConditions();

    // Index of the first unit with a member of that person type; -1 when none.
    int FindUnitByPersonType(int typeID) const;

    // Screen point (top corner of the diamond) of the cell (x, y) under the camera:
    // X = trunc(56 dx + 320 - 56 dy), Y = trunc(28 dx + 240 + 28 dy) with
    // dx = x - camera x, dy = y - camera y in double precision.
    int GetScreenX(float x, float y) const;
    int GetScreenY(float x, float y) const;
    // The cell under the screen point (X, Y): the inverse of the projection,
    // rounded down and unclamped (it may lie off the map).
    void ScreenToCell(int sx, int sy, int* cellX, int* cellY) const;
    bool IsValidCell(int x, int y) const { return x >= 0 && y >= 0 && x < m_MapData.m_xSize && y < m_MapData.m_ySize; }
    // Sizes the range bits to the map (width x height), all clear.
    void ResetRangeCells();
    // Whether the range bit of a cell is set (false off the map or off the bits).
    bool IsRangeCell(int x, int y) const;

    // The plates of a unit's members beside the map (the information panel and the
    // damage display): slide counter 0..15, plates to the left or the right.
    void DrawUnitPlates(int unit, UnitPlate* plates, int slide, bool left);

    // The saved record.
    CStringMap Save();
    void Load(CStringMap archive);
    void LoadVersion1(CStringMap archive);

    // After a load: when the save-file manager's header names a field or
    // preparation save, consumes the kind and restores this state from
    // "FieldTaskInfoKey" by the save's version (10, or 1 for the older files); any
    // other version, or a save without that record, shows "不正なセーブファイルです。"
    // and leaves the state as built.
    // Returns 0 no field save, 1 restored, -1 rejected; *kind (when given) receives
    // the kind of save ("" when none).  A record that does not hold together (a
    // grid that does not match its size, units off the map or naming persons that
    // do not exist) is rejected the same way and the state is rebuilt empty.
    int RestoreFromArchiveManager(CArchiveManager& manager, std::string* kind = nullptr);
    // Whether the persons, units and map of the state hold together; the first
    // fault is written to *why.
    bool CheckConsistency(std::string* why = nullptr) const;
    // Whether the unit list holds every unit and member of the record it was read
    // from (members naming no person are left out by the list).
    bool CheckUnitsKept(CStringMap& record, std::string* why = nullptr) const;
    // Empties persons, units, mission lists, AI, path and actions: what a refused
    // save may have left, before the field is built again from the map file.
    void ClearForNewField();

    C_TaskController* m_pTaskController = nullptr;  // stands first: tasks reach the controller through it
    CPartyData* m_pPartyData = nullptr;
    std::vector<int32_t> m_vBannedHero;              // hero types barred from this map's sortie
    int32_t BGMSet[kBGMSetCount] = {};
    bool EventHandlerFlag[kEventHandlerFlagCount] = {};
    int32_t EventValue[kEventValueCount] = {};
    int32_t m_nHoverX = -1;                          // -1 while the pointer is over no cell
    int32_t m_nHoverY = -1;
    float m_fCameraX = 0.0f;
    float m_fCameraY = 0.0f;
    int32_t m_nTurn = 0;
    int32_t m_nExitState = 0;
    std::vector<bool> m_vbRangeCell;
    bool m_bPlayerPhase = false;
    bool IsInterMission = false;
    bool m_bSortieFlag = false;
    CPersonList m_PersonList;
    CUnitList m_UnitList;
    CMapData m_MapData;
    std::vector<FieldCell> m_vMovePath;
    int32_t m_nMovingUnit = -1;
    bool m_bTutorialInput = false;
    IInputManager* m_pInputManager = nullptr;
    CInputManagerDummy_forTutorial m_TutorialInput;
    C_AI m_AI;
    CLowerMapChipTexture m_LowerChipTexture;
    CUpperMapChipTexture m_UpperChipTexture;
    std::vector<BattleActionRecord> m_vBattleAction;  // resolved actions waiting to be applied
    // Set by the field scene when the state was taken over from a field or
    // preparation save (before "FieldInitialize" runs): the initialisation must not
    // add again what the save already holds.
    bool m_bRestoredFromSave = false;

    // ---- tactics rules (defined under src/rules/) ----
    // Map geometry and line of fire.  Modes 0 and 1 are blocked by terrain higher
    // than 0 and by units (other than `excludedUnit`), mode 2 only by terrain
    // higher than 1.
    bool IsLineOfFireClear(int x1, int y1, int x2, int y2, int mode, int excludedUnit) const;
    bool IsInAttackReach(int x1, int y1, int x2, int y2, int range, int mode, int excludedUnit,
                         bool adjacentOnly, bool overrideAdjacent) const;
    // Centres the camera and the hover cell on the key unit of the map.
    void FocusViewOnKeyUnit();

    // Movement.  `side` is the mover's bFriend, `moveClass` 0, 1 or -1 (members
    // of different classes).  Cells come in order of expansion, the start first.
    void SearchMoveTree(int startX, int startY, std::vector<FieldCell>& cells, int movePoints, int side,
                        int moveClass, PassiveTerrainFlags passiveTerrain,
                        std::vector<MoveSearchNode>* nodes = nullptr) const;
    void SearchPersonMoves(int unit, int slot, std::vector<FieldCell>& cells,
                           std::vector<MoveSearchNode>* nodes = nullptr) const;
    void SearchUnitMoves(int unit, std::vector<FieldCell>& cells, std::vector<MoveSearchNode>* nodes = nullptr) const;
    // Appends the path of member slot 0 from the unit's cell to the target to
    // m_vMovePath and sets m_nMovingUnit.
    void BuildMovePath(int unit, int targetX, int targetY);

    // Reach, move and attack areas.
    void CollectCellsInRange(std::vector<FieldCell>& cells, int x, int y, int range, int mode, int excludedUnit) const;
    void CalcUnitAreas(std::vector<FieldCell>& cells, int unit, int x, int y, bool support, bool restricted) const;
    void CalcUnitAreasFor(std::vector<FieldCell>& cells, int unit, bool support, bool restricted) const;
    // Mode 0 union of the members' areas, 1 the cells every member reaches,
    // 2 the cells the members with the "keep reach after moving" passive reach.
    // `trees` (when given) is an array of four node lists, one per member slot.
    void CalcUnitMoveArea(int unit, std::vector<FieldCell>& cells, int mode,
                          std::vector<MoveSearchNode>* trees = nullptr) const;
    void MarkRangeCells(const std::vector<FieldCell>& cells);

    // Hit rate 0..100 and effect amount (damage, negative for healing) between
    // two persons (person-list indices).
    int CalcHitRate(int attacker, int skill, int target) const;
    int CalcEffectAmount(int attacker, int skill, int target, bool hit, bool criticalAllowed,
                         const bool* critical) const;

    // Resolution of blows and exchanges into m_vBattleAction.
    void ResolveAttack(AttackResult& result, int attackingUnit, int targetUnit, int attackerCode, int targetCode,
                       int skill, int64_t damageTaken);
    void ResolveBattle(int unitA, int unitB, const int targets[8], const int skills[8]);
    void ResolveSkillOnUnit(int castingUnit, int targetUnit, int skill);

    // Planning of an exchange: entries 0..3 for the acting unit A as if it stood
    // on (x, y), entries 4..7 for the answering unit B.
    void AssignBattleTargets(int unitA, int unitB, int x, int y, int targets[8], int skills[8], int unused = 0);
    void AssignCounterTargets(int unitA, int unitB, int targets[8], int skills[8]);

    // Applying the resolved actions to persons and units.
    void ApplyNextAction();
    void ApplyAllActions();

private:
    void LoadRecord(CStringMap& archive, bool version1);

public:
    // ---- field events ----
    // The two units of the exchange about to be fought (unit indices, -1 none): the
    // tasks that raise "FirstFight" store them first; its trigger test reads them.
    int32_t m_nFightingUnit[2] = {-1, -1};

    // ---- the turn's hold ----
    // Notes an event task raised on this field (it must be in the controller, or go
    // into it before the next check) and the task that waits for it, if any.
    void NoteRaisedEvent(const C_TaskBase* event, const C_TaskHandle* waiter);
    // Whether the turn must stand still rather than go on to a next action or turn:
    // the script has ended the map, or an event still runs whose waiting task was
    // taken away (a blanked screen or the game-over picture remove the map's tasks,
    // the enemy's action among them).  Such an event may yet end the map ("Won" or
    // "Lost" run inside it), and nothing of the next action may show before that.
    bool IsTurnHeld();

private:
    struct RaisedEvent {
        C_TaskHandle event;
        C_TaskHandle waiter;  // the task that waits for it
    };
    std::vector<RaisedEvent> m_vRaisedEvents;  // events waited for; ended ones are dropped at the next check
};

// A member of the waiting task `waiter` that a partner task it starts (a menu, the
// cursor, an animation) answers into.
template <class T>
C_TaskReply<T> ReplyTo(C_FieldTaskInfo* info, const C_TaskBase* waiter, T* member) {
    return C_TaskReply<T>(C_TaskHandle(info ? info->m_pTaskController : nullptr, waiter), member);
}
