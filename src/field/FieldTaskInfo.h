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
#include "input/gvlInputManager.h"
#include "map/MapData.h"

class C_TaskController;
class CPartyData;
class CArchiveManager;
class CStringMap;

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

    // The saved record.
    CStringMap Save();
    void Load(CStringMap archive);
    void LoadVersion1(CStringMap archive);

    // After a load: when the save-file manager's header names a field or
    // preparation save, consumes the kind and restores this state from
    // "FieldTaskInfoKey" by the save's version (10, or 1 for the older files); any
    // other version shows "不正なセーブファイルです。" and leaves the state as built.
    // Returns 0 no field save, 1 restored, -1 rejected; *kind (when given) receives
    // the kind of save ("" when none).
    int RestoreFromArchiveManager(CArchiveManager& manager, std::string* kind = nullptr);

    C_TaskController* m_pTaskController = nullptr;  // stands first: tasks reach the controller through it
    CPartyData* m_pPartyData = nullptr;
    std::vector<int32_t> m_vBannedHero;              // hero types barred from this map's sortie
    int32_t BGMSet[kBGMSetCount] = {};
    bool EventHandlerFlag[kEventHandlerFlagCount] = {};
    int32_t EventValue[kEventValueCount] = {};
    int32_t m_nHoverX = -1;
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

private:
    void LoadRecord(CStringMap& archive, bool version1);
};
