// The effect classes of the program, registered with the effect factory by name.
#include "EffectSelect.h"

void RegisterBuiltInBattleEffects() {
#if VORMANT_BATTLE_EFFECTS  // BRIDGE: the effect classes register here once they are built
#endif
}
