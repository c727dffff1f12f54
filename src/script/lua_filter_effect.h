// The action of the effect "Lua Filter" (listed in imaging/effects/script_effects.cpp).
#pragma once

#include "imaging/effects/effect_args.h"

namespace dro {

// The script at the effect's path on a fresh copy of the layer, settings unscaled.
void luaFilterEffect(const EffectArgs& args);

}  // namespace dro
