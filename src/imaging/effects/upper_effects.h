// Effects whose work lives in a layer above imaging: "Lua Filter" runs the script host
// and "Clip Fill" reads the clipboard through io. The registry lists them with their
// controls here; the engine life cycle attaches the actions of script and io when the
// library loads, so imaging never includes those layers.
#pragma once

#include "imaging/effects/effect_registry.h"

namespace dro {

struct UpperEffectActions {
    EffectFunction luaFilter = nullptr;
    EffectFunction clipFill = nullptr;
};

void attachUpperEffectActions(const UpperEffectActions& actions) noexcept;
// The attached actions; an action not attached leaves the layer as it is.
const UpperEffectActions& upperEffectActions() noexcept;

}  // namespace dro
