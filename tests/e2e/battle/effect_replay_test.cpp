// Healing, area and cannon spells given on the field play their effects in the battle
// that follows, and the field keeps the battle's results: each case loads a save, gives
// the command with clicks, and saves again from the field menu afterwards.  Spells on
// a whole unit strike (or heal) every member of it.
#include "field_battle.h"

namespace {

using namespace fieldbattle;

// Sera heals a wounded friend of two members with the spell of a skill row; the monk
// heals the whole unit.
const Layout kHealer{{2}, 10, kActorX, kActorY, 0, {10, 10}};
const Layout kMonk{{15}, 10, kActorX, kActorY, 0, {10, 10}};
const Layout kCharged(int type) { return Layout{{type}, 10, kActorX, kActorY, 3}; }

const Case kCases[] = {
    // healing
    {"Recover1", kHealer, Command::Support, 0, false, 580},
    {"Recover2", kHealer, Command::Support, 4, true, 610, true},
    {"Recover3", kHealer, Command::Support, 6, true, 610},
    {"RecoverAll1", kMonk, Command::Support, 2, false, 610, true, true},
    // spells on the whole enemy unit
    {"DarkAll5", {{22}}, Command::Attack, 2, false, 580, true, true},
    {"FireAll1", {{22}}, Command::Attack, 3, false, 580, true, true},
    {"WaterAll1", {{13}}, Command::Attack, 6, false, 580, false, true},
    {"ThunderAll1", {{13}}, Command::Attack, 7, false, 580, true, true},
    {"PoisonAll1", {{31}}, Command::Attack, 2, false, 580, false, true},
    {"DarkLightAll1_dark", {{31}}, Command::Attack, 5, false, 580, false, true},
    {"BladeAll1", {{16}}, Command::Attack, 2, false, 580, true, true},
    // single-target spells not met elsewhere
    {"Thunder1", {{31}}, Command::Attack, 4, true, 580},
    {"Beam4b", {{13}}, Command::Attack, 5, true, 580},
    // cannon spells
    {"DarkLightAll2", kCharged(1), Command::Cannon, 4, false, 570, true, true},
    {"RockAll1", kCharged(4), Command::Cannon, 3, false, 570, true, true},
    {"DarkLightAll3", kCharged(16), Command::Cannon, 3, false, 570, false, true},
    {"PoisonAll2", kCharged(31), Command::Cannon, 7, false, 570, true, true},
};

class EffectReplay : public ::testing::TestWithParam<Case> {};

TEST_P(EffectReplay, PlaysFromTheFieldAndTheFieldKeepsTheResult) { Play(GetParam()); }

INSTANTIATE_TEST_SUITE_P(FromTheField, EffectReplay, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

}  // namespace
