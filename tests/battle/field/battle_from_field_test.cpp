// A battle started by the field: the enemy's act task raises its events, puts the
// map away, plays the exchange as a 3D battle on the device, then brings the map
// back and applies the results.
#include <gtest/gtest.h>

#include "../battle_scene.h"
#include "turn/TaskEnemy.h"

namespace {

using battletest::BattleStage;

// The battle window's band: black between the two sides' cells.
bool ShowsABattle(const uint32_t* p) {
    for (int y = 322; y < 478; ++y)
        if ((p[size_t(y) * 640 + 318] & 0xFFFFFF) != 0) return false;
    return true;
}

TEST(BattleFromField, AnEnemyAttackPlaysAsABattleAndIsApplied) {
    BattleStage s;
    C_FieldTaskInfo& f = s.Field();
    ASSERT_TRUE(f.m_MapData.LoadMapCsv(0));
    const int ally = s.AddUnit({1}, {1}, true);      // at (0, 1)
    const int enemy = s.AddUnit({20}, {1}, false);   // at (0, 2)
    const int hp = f.m_UnitList.GetMemberHP(ally, 0);
    uint8_t done = 0;
    const int targets[4] = {0, -1, -1, -1};
    const int skills[4] = {100, -1, -1, -1};
    f.m_pTaskController->AddTask(new C_TaskActEnemy(&done, enemy, 0, 1, targets, skills, &f), 9);
    int first = -1, last = -1, frames = 0;
    while (!done && frames < 1500) {
        s.Frame();
        ++frames;
        if (ShowsABattle(s.Pixels())) {
            if (first < 0) first = frames;
            last = frames;
            if (frames - first == 60) s.Save("from_field_60");
        }
    }
    ASSERT_TRUE(done) << s.Log();
    ASSERT_GT(first, 0);
    // The battle lasted its whole schedule, then the field applied the exchange.
    EXPECT_GT(last - first, 150);
    EXPECT_TRUE(f.m_vBattleAction.empty());
    EXPECT_LT(f.m_UnitList.GetMemberHP(ally, 0), hp);
    EXPECT_TRUE(f.m_pTaskController->HasTask(2));  // the map drawing is back
}

}  // namespace
