#include "script/lua_filter_effect.h"

#include "imaging/effects/effect_steps.h"
#include "imaging/working_buffer_ops.h"
#include "script/lua_host.h"

namespace dro {

void luaFilterEffect(const EffectArgs& args) {
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

}  // namespace dro
