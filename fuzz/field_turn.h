#pragma once
// A turn of a field save, as the field's fuzz target plays it (and the test that
// checks how far it gets on the seeds): the save taken over by the field scene in the
// player's phase, a few frames with the pointer over the map, a unit selected and the
// selection dropped; one exchange resolved between the first unit the player may move
// and the first enemy band, set beside it; last the turn ended from the field menu and
// the enemy phase played until the player's next phase begins, or until the map ends
// in it (won or lost by the script).  Each phase is cut off after a bound of frames,
// and every frame loop ends once the plain driver's time is up, so that an input whose
// phase never ends costs that bound and no more.
#include <algorithm>
#include <iterator>

#include "FieldTaskInfo.h"
#include "field_frames.h"
#include "resources/GlobalResources.h"
#include "turn/TurnBridge.h"

namespace fuzz {

// How far a turn got.
struct FieldReach {
    bool exchange = false;     // an exchange resolved and its results applied
    bool enemyPhase = false;   // the turn ended: the enemy phase began
    bool enemyBattle = false;  // a battle scene played in the enemy phase
    bool playerPhase = false;  // the player's next phase began
    bool mapEnded = false;     // the map was won or lost: the scene asked for the next one
};

namespace fieldturn {

// The centre of the cell the camera looks at.
constexpr int kCentreX = 320, kCentreY = 268;
// The frames a phase may take.  On the demo's seeds the player's phase below ends
// after 21 to 31 frames (91 when the chapter's lines open it), the enemy phase after
// 51 to 159, or 275 on chapter 0, whose strike back is fought from its 110th frame to
// its 231st.  On chapter 0 with its hero at bay the enemy phase fights two battles
// (from its 83rd frame to its 204th, and from its 244th to its 362nd), the game over
// follows, and the map ends in the 670th frame, once the game-over picture has come
// up (the screen darkens for 60 frames, stays dark for 120, then lightens for 120)
// and is clicked away.  A phase that goes on (a message left waiting, battle after
// battle) is cut off here.
constexpr int kPlayerPhaseFrames = 100, kEnemyPhaseFrames = 700;
// Every so many frames the player's phase clicks (a right click, then a left click
// the next time) and the enemy phase clicks its messages away (not under a fade).
constexpr int kPlayerClickFrames = 5, kEnemyClickFrames = 10;
// Frames the field menu is left open before "ターン終了" is chosen.
constexpr int kMenuFrames = 20;

// The camera, and the cell under the pointer, on (x, y).
inline void LookAt(C_FieldTaskInfo& info, int x, int y) {
    info.m_fCameraX = float(x);
    info.m_fCameraY = float(y);
    info.m_nHoverX = x;
    info.m_nHoverY = y;
}

inline bool IsFreeCell(const C_FieldTaskInfo& info, int x, int y) {
    return info.IsValidCell(x, y) && info.m_UnitList.FindUnitAt(x, y) < 0;
}

// The pointer at (x, y) for `rest` frames, then one frame with the right button pushed.
inline int RightClickAfter(C_FieldScene& scene, FakeInput& input, int x, int y, int rest) {
    input.Move(x, y);
    int next = -1;
    for (int f = 0; f < rest && next < 0 && !TimeIsUp(); ++f) next = PlayFrame(scene, input);
    if (next >= 0 || TimeIsUp()) return next;
    input.ClickRight();
    return PlayFrame(scene, input);
}

// Once the player's unit selection is back: the first unit the player may still
// move and the first enemy band, set on a free cell beside it, fight one exchange the
// way the unit operation settles one (both plans, the resolution, the results applied).
inline int Attack(C_FieldScene& scene, FakeInput& input, FieldReach& reach) {
    C_FieldTaskInfo& info = scene.GetFieldInfo();
    const C_TaskController& tasks = scene.GetTaskController();
    int next = -1;
    for (int tries = 0; tries < 2 && next < 0 && !TimeIsUp() && !tasks.HasTask(turnflow::kSelectUnit); ++tries)
        next = RightClickAfter(scene, input, kCentreX, kCentreY, 10);
    CUnitList& units = info.m_UnitList;
    int actor = -1, enemy = -1;
    for (int u = 0; u < units.GetCount(); ++u) {
        if (actor < 0 && units.IsFriend(u) && units.IsOperable(u) && !units.IsMoveEnd(u)) actor = u;
        if (enemy < 0 && !units.IsFriend(u)) enemy = u;
    }
    if (next >= 0 || TimeIsUp() || actor < 0 || enemy < 0) return next;
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
    reach.exchange = true;
    return PlayFrame(scene, input);
}

// Ends the player's turn from the field menu, opened with a click on a free cell, and
// plays the enemy phase until the player's phase is back.  The player's phase clicks
// right and left in turn on a free cell: the right click opens the menu once the
// unit selection is back, the left click (which chooses nothing there) takes a
// message or a briefing away.  The enemy phase's messages are clicked away too.
inline int EndTurn(C_FieldScene& scene, FakeInput& input, FieldReach& reach) {
    C_FieldTaskInfo& info = scene.GetFieldInfo();
    C_TaskController& tasks = scene.GetTaskController();
    const int w = info.m_MapData.m_xSize, h = info.m_MapData.m_ySize;
    int freeX = -1, freeY = -1;
    for (int c = 0; c < w * h && freeX < 0; ++c)
        if (IsFreeCell(info, c % w, c / w)) freeX = c % w, freeY = c / w;
    if (freeX < 0) return -1;
    int next = -1, playerFrames = 0, enemyFrames = 0, menuFrames = 0, clicks = 0;
    while (next < 0 && !TimeIsUp()) {
        if (!info.m_bPlayerPhase) reach.enemyPhase = true;
        if (reach.enemyPhase && info.m_bPlayerPhase) {
            reach.playerPhase = true;
            break;
        }
        int& frames = reach.enemyPhase ? enemyFrames : playerFrames;
        if (frames == (reach.enemyPhase ? kEnemyPhaseFrames : kPlayerPhaseFrames)) break;
        ++frames;
        reach.enemyBattle = reach.enemyBattle || (reach.enemyPhase && tasks.HasTask(turnflow::kBattle));
        menuFrames = tasks.HasTask(turnflow::kFieldMenu) ? menuFrames + 1 : 0;
        if (menuFrames == kMenuFrames) {
            input.Move(80, 96);  // "ターン終了"
            input.ClickLeft();
        } else if (!reach.enemyPhase && menuFrames == 0 && frames % kPlayerClickFrames == 1) {
            if (tasks.HasTask(turnflow::kSelectUnit)) LookAt(info, freeX, freeY);
            input.Move(kCentreX, kCentreY);
            if (clicks++ % 2 == 0) input.ClickRight();
            else input.ClickLeft();
        } else if (reach.enemyPhase) {
            // The button held hurries the enemies' moves; pushed, it takes a message
            // away.  It is not pushed while a fade covers the screen: a game over is
            // clicked away only once its picture has come up in full.
            if (frames % kEnemyClickFrames == 0 && g_GlobalResources.GetFadeLevel() == 0) input.ClickLeft();
            else input.left = true;
        }
        next = PlayFrame(scene, input);
    }
    return next;
}

}  // namespace fieldturn

// Plays `data` as a field save (the stream of "Save0.dat" before masking) through the
// turn above; `reach` says how far it got.
inline void PlayFieldTurn(const uint8_t* data, size_t size, FieldReach& reach) {
    // The view rests on the key unit in the middle of the screen.
    static const Click kClicks[] = {
        {320, 240, false, false}, {320, 240, true, false}, {352, 272, false, false},
        {352, 272, true, false},  {600, 420, false, false}, {320, 240, false, true},
    };
    PlaySave(data, size, FieldSave, kClicks, std::size(kClicks), SlotFile::Current,
             [&](C_FieldScene& scene, FakeInput& input) {
                 int next = fieldturn::Attack(scene, input, reach);
                 if (next < 0) next = fieldturn::EndTurn(scene, input, reach);
                 reach.mapEnded = scene.GetFieldInfo().m_nExitState != 0;
                 return next;
             });
}

}  // namespace fuzz
