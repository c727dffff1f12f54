// Effects that run a user's filter script.
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/working_buffer_ops.h"
#include "script/lua_host.h"

namespace dro {
namespace {

// The script at the effect's path on a fresh copy of the layer, settings unscaled.
void luaFilter(const EffectArgs& args) {
    if (!iplPair()) return;
    updateIplSource32();
    LuaFilterArguments a;
    a.path = args.path;
    a.variant = args.variant;
    a.slider = args.slider;
    a.style = args.style;
    a.flag = args.flag;
    runLuaFilter(a);
}

}  // namespace

void registerScriptEffects(EffectRegistry& r) {
    r.add("Lua Filter", "Scripts", "runs a Lua filter script over the layer", luaFilter,
          {pathControl("the script file"), {Control::variant, 0, 0, 1000, "variantVal"},
           slider(1, 500, "sliderVal1 (the script sees value × 0.001)"), slider(2, 500, "sliderVal2"),
           slider(3, 500, "sliderVal3"), slider(4, 500, "sliderVal4"), slider(5, 500, "sliderVal5"),
           slider(6, 500, "sliderVal6"), style(1, 0, 1000, "styleVal1 (seen 1-based)"),
           style(2, 0, 1000, "styleVal2"), flag(1, "flagVal1"), flag(2, "flagVal2"), flag(3, "flagVal3"),
           flag(4, "flagVal4"), flag(5, "flagVal5"), flag(6, "flagVal6")});
}

}  // namespace dro
