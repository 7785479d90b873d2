#pragma once
// The battle-effect controller and base that the battle plugs its effects into.
#include <cstdint>
#include <vector>

#include "FieldRules.h"
#include "gfx/device.h"
#include "gfx/effect.h"
#include "math/vmath.h"

#include "effects/BattleEffectBase.h"
#include "effects/BattleEffectController.h"

// The stage-dimming colour the battle draws over the field.
inline uint32_t GetStageTint(const CBattleEffectController& c) { return c.GetTint(); }

