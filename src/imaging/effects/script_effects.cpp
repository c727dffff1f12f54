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

void registerScriptEffects(EffectRegistry& r) { r.add("Lua Filter", luaFilter); }

}  // namespace dro
