// The turn the field's fuzz target plays, on the field seeds (as the fuzz seeds hold
// them): within the target's bounds of frames a phase each gets as far as the target
// is there to reach.  Chapter 0's seed reaches the exchange and the enemy phase with
// its battle, also when the player's phase opens with the chapter's lines, which wait
// for clicks; chapter 2's, whose enemy phase is short, reaches the player's next phase.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "field_turn.h"
#include "random/gvlRand.h"
#include "seeds/field_seed.h"

namespace {

// Map `map`'s field seed, changed by `arrange` before it is saved, played as the
// target plays its input.
fuzz::FieldReach PlaySeed(int map, const std::function<void(C_FieldTaskInfo&)>& arrange) {
    g_Rand.SetSeed(4357);
    CPartyData party = fuzz::SeedParty();
    CStringMap field, mapRecord;
    EXPECT_TRUE(fuzz::FieldSeedRecords(map, party, field, mapRecord, arrange));
    const std::vector<unsigned char> stream = fuzz::FieldSeedStream(party, field, map, FieldSave);
    fuzz::FieldReach reach;
    fuzz::PlayFieldTurn(stream.data(), stream.size(), reach);
    return reach;
}

TEST(FieldFuzzTurn, TheFieldSeedsReachTheExchangeTheEnemyBattleAndThePlayersNextPhase) {
    // The target's world: the scratch folder seeing the game's files, the device.
    fuzz::FieldWorld();
    // What each must reach (what is not named may be cut off by the bounds).
    const struct {
        const char* name;
        int map;
        std::function<void(C_FieldTaskInfo&)> arrange;
        bool exchange, enemyBattle, playerPhase;
    } cases[] = {
        {"chapter 0", 0, {}, true, true, false},
        // A unit of the player's on the bridge: the chapter's lines for the hill and
        // the bridge, and the villagers' escape, open the player's phase.
        {"chapter 0, lines opening the phase", 0,
         [](C_FieldTaskInfo& info) {
             for (int u = 0; u < info.m_UnitList.GetCount(); ++u)
                 if (info.m_UnitList.IsFriend(u)) {
                     ASSERT_LT(info.m_UnitList.FindUnitAt(9, 5), 0);
                     info.m_UnitList.SetUnitPosition(u, 9, 5);
                     break;
                 }
         },
         true, true, false},
        // No unit of the player's stands on the field yet: no exchange.
        {"chapter 2", 2, {}, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fuzz::FieldReach reach = PlaySeed(c.map, c.arrange);
        EXPECT_TRUE(reach.enemyPhase);
        EXPECT_TRUE(reach.exchange || !c.exchange);
        EXPECT_TRUE(reach.enemyBattle || !c.enemyBattle);
        EXPECT_TRUE(reach.playerPhase || !c.playerPhase);
    }
}

}  // namespace
