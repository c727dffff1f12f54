// Effects that run a user's filter script; the script host does the work
// (script/lua_filter_effect.cpp).
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/effects/upper_effects.h"

namespace dro {

void registerScriptEffects(EffectRegistry& r) {
    r.add("Lua Filter", "Scripts", "runs a Lua filter script over the layer",
          [](const EffectArgs& args) {
              if (const EffectFunction run = upperEffectActions().luaFilter) run(args);
          },
          {pathControl("the script file"), {Control::variant, 0, 0, 1000, "variantVal"},
           slider(1, 500, "sliderVal1 (the script sees value × 0.001)"), slider(2, 500, "sliderVal2"),
           slider(3, 500, "sliderVal3"), slider(4, 500, "sliderVal4"), slider(5, 500, "sliderVal5"),
           slider(6, 500, "sliderVal6"), style(1, 0, 1000, "styleVal1 (seen 1-based)"),
           style(2, 0, 1000, "styleVal2"), flag(1, "flagVal1"), flag(2, "flagVal2"), flag(3, "flagVal3"),
           flag(4, "flagVal4"), flag(5, "flagVal5"), flag(6, "flagVal6")});
}

}  // namespace dro
