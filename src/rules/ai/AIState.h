#pragma once
// The memory of the computer-played side on one battle map: its side, detection
// state, the troop groups that move and fight together, the plan of the current
// enemy phase and the area map of the passable tiles.  The decision steps live
// beside this file; here are the data, its archive and the small records.
#include <cstdint>
#include <list>
#include <vector>

class CStringMap;
class C_FieldTaskInfo;

// One waypoint of a troop: 0 a point of one of the map's routes, 1 an engagement
// point; -1 when a saved point lacks its type.
struct AIMovePoint {
    int32_t x = -2;
    int32_t y = -2;
    int32_t Type = -1;
};

// A troop group: enemy units that move and fight together.
struct AITroop {
    int32_t x = -1;               // centre column (recomputed by every plan)
    int32_t y = -1;               // centre row
    int32_t nContact = 0;         // 0 no contact, 1 engage, 2 sighted (detection test only)
    std::vector<int32_t> MemberID;  // person ids
    std::vector<int32_t> HealerID;  // person ids of the troop's healers
    int32_t nRetreatCount = 0;    // wounded groups sent back in this phase
    int32_t nAverageMove = 0;
    int32_t nMaxMove = 0;
    std::list<AIMovePoint> MoveList;  // waypoints, first to last
    // The opposing unit the troop goes for in this phase and its weighted
    // distance (3 x the distance when only sighted); not saved.
    int32_t nFoeX = -1;
    int32_t nFoeY = -1;
    int32_t nFoeDistance = 0x7fffffff;

    // The saved keys inside the group the caller has entered.
    void Save(CStringMap& archive) const;
    void Load(CStringMap& archive);
};

// One entry of the phase's plan.
struct AIPlanEntry {
    bool bAct = false;        // 0 a move along the troop's plan, 1 an act on the target cell
    int32_t x = -1;           // cell of the person's unit when the entry was made
    int32_t y = -1;
    int32_t destX = -1;       // cell the unit is to approach
    int32_t destY = -1;
    int32_t nOrderKey = 0;    // highest first
    int32_t targetX = -1;     // unit to act on (acts)
    int32_t targetY = -1;
    int32_t nPersonID = -1;
    int32_t nTroop = -1;      // index in m_vTroop
    bool bFollowUp = false;   // a move after an act
};

// Kind 0, the cells, person id and troop -1, order key 0, no follow-up.
void ResetAssignmentRecord(AIPlanEntry& entry);

// A touching area and the border shared with it (inclusive tiles).
struct AIAreaLink {
    int32_t nArea = -1;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// One rectangle of passable tiles and the areas that touch it.
struct AIArea {
    std::vector<int32_t> vnNeighbour;
    std::vector<AIAreaLink> vLink;  // one per neighbour, in the order of vnNeighbour
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;   // inclusive
    int32_t bottom = 0;  // inclusive
};

// A row-major grid of ints (cell x + width * y).
struct IntGrid {
    int32_t nWidth = 0;
    int32_t nHeight = 0;
    std::vector<int32_t> vnCell;
    std::vector<AIArea> vArea;

    // Sizes the grid and fills every cell with `value`.
    void Resize(int width, int height, int value);
    bool IsInside(int x, int y) const { return x >= 0 && y >= 0 && x < nWidth && y < nHeight; }
    // Writes cell (x, y) through out.  A cell outside the grid is logged and
    // writes -1.
    void GetAt(int* out, int x, int y) const;
    void SetAt(int x, int y, int value);
};

// One action chosen by the enemy AI for the enemy-operation task.
struct AIAction {
    int32_t nKind = -1;       // 0 move, 1 act (attack or cannon spell), 2 charge; -1 none
    int32_t nUnit = -1;       // acting unit; -1 no action
    int32_t destX = -1;       // move: destination; act and charge: the unit's own cell
    int32_t destY = -1;
    int32_t targetX = -1;     // act: target unit's cell or the aimed cell
    int32_t targetY = -1;
    bool bSelect[4] = {};     // move: the member slots that move
    int32_t nSkill[4] = {-1, -1, -1, -1};   // act: skill per member; cannon: entry 0
    int32_t nTarget[4] = {-1, -1, -1, -1};  // act: target member slot per member
};

class C_AI {
public:
    C_AI() = default;
    C_AI(const C_AI&) = default;
    C_AI& operator=(const C_AI&) = default;
    virtual ~C_AI() = default;

    // "m_bDetected", "m_bUseView", "NumTroopList" and one group "Troop" + i per troop,
    // inside the group the caller has entered.
    void Save(CStringMap& archive) const;
    // Reads the same keys; the troops are appended and m_bTroopsLoaded is set.
    void Load(CStringMap& archive);

    // The set-up at the first enemy phase of the map: area map, detection state,
    // troop groups (kept from a save unless it is turn 1).
    void BeginPhase(C_FieldTaskInfo& info);
    // Divides the passable tiles into rectangular areas and links the touching ones.
    void BuildAreaMap(C_FieldTaskInfo& info);
    // Once per phase: troops brought up to date, routes, detection, the ordered plan.
    void UpdatePlan(C_FieldTaskInfo& info);
    // The next action of the phase (unit -1 when none); sets *endFlag when the plan
    // is used up.
    AIAction NextAction(AIAction& action, bool* endFlag, C_FieldTaskInfo& info);
    // Attack score of `attacker` standing on (x, y) against `target`; INT_MIN when
    // it cannot attack from there.
    int EvaluateAttack(C_FieldTaskInfo& info, int attacker, int target, int x, int y);
    // Best aim cell of a cannon spell; returns the number of opposing units caught.
    int AimCannon(C_FieldTaskInfo& info, int unit, int skill, int* outX, int* outY);
    // Cheapest chain of areas from `startArea` to `goalArea`, both included; empty
    // when the goal cannot be reached.
    std::vector<int> FindAreaPath(int startArea, int goalArea, int startX, int startY) const;

    bool m_bSide = false;         // the side the AI plays (compared with CUnitList::IsFriend)
    bool m_bPlanDone = true;      // the plan list is used up
    bool m_bInitialized = false;  // the phase set-up has run
    bool m_bTroopsLoaded = false; // the troops came from a save
    bool m_bDetected = false;     // the player's force has been detected
    bool m_bUseView = true;       // detection by sight is in force on this map
    std::list<AIPlanEntry> m_lstPlan;
    std::vector<AITroop> m_vTroop;
    IntGrid m_AreaMap;
};
