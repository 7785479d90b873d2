// The turn the field's fuzz target plays, on the field seeds (as the fuzz seeds hold
// them): within the target's bounds of frames each gets as far as the target is there
// to reach.  Chapter 0's seed reaches the exchange, the enemy phase with its battle
// and the player's next phase, also when the player's phase opens with the chapter's
// lines, which wait for clicks; chapter 2's, whose field holds no unit of the
// player's yet, reaches the player's next phase without an exchange; chapter 0 with
// its hero at bay loses the map in the enemy phase, which ends there.
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
    // How the turn ends: with the player's next phase, or with the map's end in the
    // enemy phase.
    enum class Ending { PlayersNextPhase, MapEnded };
    const struct {
        const char* name;
        int map;
        std::function<void(C_FieldTaskInfo&)> arrange;
        bool exchange, enemyBattle;
        Ending ending;
    } cases[] = {
        {"chapter 0", 0, {}, true, true, Ending::PlayersNextPhase},
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
         true, true, Ending::PlayersNextPhase},
        // No unit of the player's stands on the field yet: no exchange, no battle.
        {"chapter 2", 2, {}, false, false, Ending::PlayersNextPhase},
        {"chapter 0, hero at bay", fuzz::kHeroAtBayMap, fuzz::ArrangeHeroAtBay, true, true, Ending::MapEnded},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fuzz::FieldReach reach = PlaySeed(c.map, c.arrange);
        EXPECT_TRUE(reach.enemyPhase);
        EXPECT_EQ(reach.exchange, c.exchange);
        EXPECT_EQ(reach.enemyBattle, c.enemyBattle);
        EXPECT_EQ(reach.playerPhase, c.ending == Ending::PlayersNextPhase);
        EXPECT_EQ(reach.mapEnded, c.ending == Ending::MapEnded);
    }
}

}  // namespace
