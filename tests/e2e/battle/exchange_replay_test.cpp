// Exchanges of blows given on the field play as 3D battles and come back to the field
// with their results: a melee, a bow, a spear and a magic exchange and a cannon shot,
// each from a save, by clicks, with a picture of the battle at a chosen frame (the
// blow landing, the arrow and the spear in flight, the dark spell on its target, the
// cannon's light over the enemy unit).
#include "field_battle.h"

namespace {

using namespace fieldbattle;

// Leon and Mina may still move after their blow; Gard shoots from two cells away.
const Case kExchanges[] = {
    {"melee", {{1}}, Command::Attack, 0, false, 600, true, false, true},
    {"bow", {{3}, 10, 3, 10}, Command::Attack, 0, false, 600, true},
    {"spear", {{4}}, Command::Attack, 0, false, 580, true, false, true},
    {"magic", {{31}}, Command::Attack, 0, false, 600, true},
    {"cannon", {{1}, 10, kActorX, kActorY, 3}, Command::Cannon, 3, false, 580, true, true},
};

class ExchangeReplay : public ::testing::TestWithParam<Case> {};

TEST_P(ExchangeReplay, PlaysAsABattleAndTheFieldKeepsTheResult) { Play(GetParam()); }

INSTANTIATE_TEST_SUITE_P(FromTheField, ExchangeReplay, ::testing::ValuesIn(kExchanges),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

}  // namespace
