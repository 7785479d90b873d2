// A field save played: the save's party and field taken over by the field scene in
// the player's phase, then a few frames with the pointer over the map, a unit
// selected and the selection dropped (the map, the units' hit point digits, the
// ranges, the minimap and the information strip drawn each frame).  Then the first
// unit the player may move strikes the first enemy band, set beside it, and the
// results are applied.  Last the turn is ended from the field menu and the enemy
// phase plays (the band beside the player's unit strikes back through the battle
// scene) until the player's next turn begins, within a bound of frames, so that an
// input whose phase never ends costs that bound and no more.
#include <algorithm>
#include <iterator>

#include "FieldTaskInfo.h"
#include "field_frames.h"
#include "turn/TurnBridge.h"

namespace {

// The centre of the cell the camera looks at.
constexpr int kCentreX = 320, kCentreY = 268;
// The end of the player's turn and the enemy phase: the demo's phases take a few
// hundred frames, a battle about 500.  An input whose phase goes on past this is
// cut off there, so that a phase that never ends costs no more.
constexpr int kTurnFrames = 3000;

// The camera, and the cell under the pointer, on (x, y).
void LookAt(C_FieldTaskInfo& info, int x, int y) {
    info.m_fCameraX = float(x);
    info.m_fCameraY = float(y);
    info.m_nHoverX = x;
    info.m_nHoverY = y;
}

bool IsFreeCell(const C_FieldTaskInfo& info, int x, int y) {
    return info.IsValidCell(x, y) && info.m_UnitList.FindUnitAt(x, y) < 0;
}

// The pointer at (x, y) for `rest` frames, then one frame with the right button pushed.
int RightClickAfter(C_FieldScene& scene, FakeInput& input, int x, int y, int rest) {
    input.Move(x, y);
    int next = -1;
    for (int f = 0; f < rest && next < 0; ++f) next = fuzz::PlayFrame(scene, input);
    if (next >= 0) return next;
    input.ClickRight();
    return fuzz::PlayFrame(scene, input);
}

// Once the player's unit selection is back: the first unit the player may still
// move and the first enemy band, set on a free cell beside it, fight one exchange the way
// the unit operation settles one (both plans, the resolution, the results applied).
int Attack(C_FieldScene& scene, FakeInput& input) {
    C_FieldTaskInfo& info = scene.GetFieldInfo();
    int next = -1;
    for (int tries = 0; tries < 5 && next < 0 && !scene.GetTaskController().HasTask(turnflow::kSelectUnit); ++tries)
        next = RightClickAfter(scene, input, kCentreX, kCentreY, 20);
    CUnitList& units = info.m_UnitList;
    int actor = -1, enemy = -1;
    for (int u = 0; u < units.GetCount(); ++u) {
        if (actor < 0 && units.IsFriend(u) && units.IsOperable(u) && !units.IsMoveEnd(u)) actor = u;
        if (enemy < 0 && !units.IsFriend(u)) enemy = u;
    }
    if (next >= 0 || actor < 0 || enemy < 0) return next;
    const int x = units.GetX(actor), y = units.GetY(actor);
    const int beside[4][2] = {{x, y - 1}, {x + 1, y}, {x, y + 1}, {x - 1, y}};
    const auto cell = std::find_if(std::begin(beside), std::end(beside),
                                   [&](const int* c) { return IsFreeCell(info, c[0], c[1]); });
    if (cell == std::end(beside)) return next;
    units.SetUnitPosition(enemy, (*cell)[0], (*cell)[1]);
    int targets[8], skills[8];
    std::fill(std::begin(targets), std::end(targets), -1);
    std::fill(std::begin(skills), std::end(skills), -1);
    info.AssignBattleTargets(actor, enemy, x, y, targets, skills, -1);
    info.AssignCounterTargets(actor, enemy, targets, skills);
    info.m_vBattleAction.clear();
    info.ResolveBattle(actor, enemy, targets, skills);
    info.ApplyAllActions();
    return fuzz::PlayFrame(scene, input);
}

// Ends the player's turn from the field menu, opened with the right button on a free
// cell, and plays the enemy phase until the player's phase is back; the phase's
// messages are clicked away.
int EndTurn(C_FieldScene& scene, FakeInput& input) {
    C_FieldTaskInfo& info = scene.GetFieldInfo();
    C_TaskController& tasks = scene.GetTaskController();
    int freeX = -1, freeY = -1;
    for (int c = 0; c < info.m_MapData.m_xSize * info.m_MapData.m_ySize && freeX < 0; ++c)
        if (IsFreeCell(info, c % info.m_MapData.m_xSize, c / info.m_MapData.m_xSize))
            freeX = c % info.m_MapData.m_xSize, freeY = c / info.m_MapData.m_xSize;
    if (freeX < 0) return -1;
    bool enemyPhase = false;
    int next = -1;
    for (int f = 0, menuFrames = 0; f < kTurnFrames && next < 0; ++f) {
        enemyPhase = enemyPhase || !info.m_bPlayerPhase;
        if (enemyPhase && info.m_bPlayerPhase) break;
        menuFrames = tasks.HasTask(turnflow::kFieldMenu) ? menuFrames + 1 : 0;
        if (menuFrames == 20) {
            input.Move(80, 96);  // "ターン終了"
            input.ClickLeft();
        } else if (!enemyPhase && menuFrames == 0 && f % 20 == 19) {
            if (tasks.HasTask(turnflow::kSelectUnit)) LookAt(info, freeX, freeY);
            input.Move(kCentreX, kCentreY);
            input.ClickRight();
        } else if (enemyPhase && f % 30 == 29) {
            input.ClickLeft();  // a message of the phase's events
        }
        next = fuzz::PlayFrame(scene, input);
    }
    return next;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The view rests on the key unit in the middle of the screen.
    static const fuzz::Click kClicks[] = {
        {320, 240, false, false}, {320, 240, true, false}, {352, 272, false, false},
        {352, 272, true, false},  {600, 420, false, false}, {320, 240, false, true},
    };
    fuzz::PlaySave(data, size, FieldSave, kClicks, std::size(kClicks), fuzz::SlotFile::Current,
                   [](C_FieldScene& scene, FakeInput& input) {
        const int next = Attack(scene, input);
        return next < 0 ? EndTurn(scene, input) : next;
    });
    return 0;
}
