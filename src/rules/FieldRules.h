#pragma once
// Records and free functions of the tactics rules: the nodes of the movement
// search, the outcome of one blow, one unit's share of an exchange, the battle
// category of a skill and the segment test under every line-of-fire decision.
// The rule operations themselves are members of the field state (C_FieldTaskInfo).
#include <cstdint>
#include <map>
#include <vector>

// One node of the movement search tree.
struct MoveSearchNode {
    int32_t x = 0;         // column
    int32_t y = 0;         // row
    int32_t nRest = 0;     // move points left after entering the cell
    int32_t nParent = -1;  // index in the closed list of the node it was reached from; -1 at the start
};

// Passive-terrain flags of a mover: key k set means the terrain type that passive
// effect k names costs one point less (0 -> type 1, 1 -> type 4, 2 -> type 2,
// 3 -> type 3).
using PassiveTerrainFlags = std::map<int, bool>;

// The terrain type that passive-skill effect k (0..3) names.
int PassiveTerrainType(int key);

// Slot codes of an exchange: side x 4 + member slot.  Side 0 is the unit that acts.
inline int SlotCode(int side, int slot) { return side * 4 + slot; }

// One blow.
struct AttackResult {
    int32_t nAttacker = 0;  // slot code of the member that strikes
    int32_t nTarget = 0;    // slot code of the member struck
    int32_t nSkill = -1;    // skill used
    int32_t nAmount = 0;    // damage, negative for healing
    int32_t nEffect = 0;    // the skill's "effect" when the blow hit, else 0
    uint8_t bMiss = 0;
    uint8_t bCritical = 0;
    uint8_t bFall = 0;      // the target's HP is used up by this blow and the ones before it
    int32_t nHitFrame = 0;  // filled by the battle scene
};

// One unit's share of an exchange (or of a unit-wide skill).
struct BattleActionRecord {
    std::vector<AttackResult> vResult;        // blows struck by this unit, in resolution order
    int32_t nUnit = -1;                       // index in the unit list
    int32_t nTargetSlot[4] = {-1, -1, -1, -1};  // single-target blow: struck member slot
    int32_t nSkill[4] = {-1, -1, -1, -1};       // skill each member used; entry 0 gives the category
    uint8_t bMiss[4] = {};
    uint8_t bCritical[4] = {};
    uint8_t bFall[4] = {};                    // the member falls in this exchange
    int64_t nDamage[4] = {};                  // total amount taken (see below)
    int32_t nEffect[4] = {};                  // OR of the effect values laid on the member
    uint8_t bHitMissed[4] = {};               // all-target blow on the member missed
    uint8_t bHitCritical[4] = {};             // all-target blow on the member was critical
    // A blow is held to 2e9 either way and a member takes at most one blow from each
    // of the four members facing it, so a total never leaves +-8e9: wide enough here,
    // while a few blows at the stat limits would wrap an int.
};

// Battle category of a skill: 0 none (id -1), 1 melee, 2 melee with back attack,
// 3 bow, 4 single-target magic, 5 all-target, 6 cannon.  A null pointer counts as
// no skill.
int GetSkillCategory(const int* skill);

// Pending order of the battle actions: cannon records first, then larger unit
// indices first.  Stable, so equal records keep their order.
void SortPendingActions(std::vector<BattleActionRecord>& actions);

// Whether segment P1-P2 meets segment P3-P4: closed bounds on the first segment,
// open bounds on the second (a line through an end point of the second segment
// does not count).  Parallel segments never meet.
bool SegmentsIntersect(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4);

// Whether the line between the centres (x1, y1) and (x2, y2) crosses either
// diagonal of the unit square centred on (ox, oy).
bool LineCutsCell(int x1, int y1, int x2, int y2, int ox, int oy);
