#pragma once
// The battle window under the 3D view: one cell per battle member with its name,
// HP as text and as a gauge, and its skill while it acts or the running total of
// damage or healing after it has been hit.  Cells shake when the member takes
// damage; the gauge fades between the old and the new HP.
#include <cstdint>
#include <string>
#include <vector>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "FieldRules.h"

class C_FieldTaskInfo;

// Left and top of the cell of display slot s (0..7).
int GetWindowColumnX(int displaySlot);
int GetWindowRowY(int displaySlot);
// Gauge width in pixels of `hp` out of `maxHp` (130 for a full gauge, 0 when maxHp <= 0).
int GaugeWidth(int64_t hp, int maxHp);

class CBattleWindowRow {
public:
    CBattleWindowRow() = default;

    void Setup(C_FieldTaskInfo& field, bool shown, int slotCode, int displaySlot);
    void QueueHit(const AttackResult& hit);
    void Draw(int frame);

    bool shown = false;
    int32_t actFrame = 0;
    int32_t displaySlot = 0;
    int32_t mode = 0;       // 0 name and HP, 1 skill line, 2 damage or healing line
    int32_t shake = 0;
    int32_t hp = 0;
    int32_t prevHp = 0;
    int32_t maxHp = 0;
    int32_t gaugeFade = 0;
    int32_t total = 0;
    std::string name;
    CD3DDrawTexture cell;
    CD3DTextDraw skillText;
    CD3DTextDraw nameText;
    CD3DTextDraw hpText;
    CD3DTextDraw amountText;
    bool rendered = false;
    std::vector<AttackResult> results;

private:
    // Applies the first due result (at most one per frame).
    void ApplyDue(int frame);
};
