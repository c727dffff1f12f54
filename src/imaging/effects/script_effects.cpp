// Effects that run a user's filter: a Lua script (the script host does the work,
// script/lua_filter_effect.cpp), or a Photoshop-format plug-in.
#include <string>
#include <utility>

#include "core/canvas.h"
#include "core/last_error.h"
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/effects/upper_effects.h"
#include "platform/platform.h"

namespace dro {
namespace {

constexpr const char* kAdobePlugins = "Adobe Compatible Plug-ins";

// Plug-ins see B, G, R, A; the engine keeps R, G, B, A.
void swapRedAndBlue(uint8_t* block, int32_t width, int32_t height) noexcept {
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) std::swap(block[i * 4], block[i * 4 + 2]);
}

// The plug-in at the effect's path from the source into the destination, written back
// through the mask when it reports success. Flag 1 keeps the layer's alpha: the plug-in
// is asked to leave alpha alone and the write-back locks it besides.
void photoshopPlugin(const EffectArgs& args) {
    const IplPair pair = iplPair();
    LayerSlot* slot = filledCurrentSlot();
    if (!pair || !slot) return;
    updateSourceFromLayer();
    swapRedAndBlue(pair.source, pair.width, pair.height);
    const platform::PluginBlock source{pair.source, pair.width, pair.height, pair.width * 4};
    const platform::PluginBlock destination{pair.destination, pair.width, pair.height, pair.width * 4};
    const bool keepAlpha = args.flag[0] != 0;
    if (const char* why = platform::runPhotoshopPlugin(args.path, source, destination, keepAlpha)) {
        updateSourceFromLayer();
        setLastError((std::string(kAdobePlugins) + ": " + why).c_str());
        return;
    }
    swapRedAndBlue(pair.destination, pair.width, pair.height);
    struct RestoreAlphaLock {
        LayerSlot& slot;
        uint8_t was;
        ~RestoreAlphaLock() { slot.alphaLocked = was; }
    } restore{*slot, slot->alphaLocked};
    if (keepAlpha) slot->alphaLocked = 1;
    writeBackAndRefresh(pair.destination);
}

}  // namespace

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
    r.add(kAdobePlugins, "Scripts", "runs a Photoshop-format filter plug-in (.8bf; Windows only) over the layer",
          photoshopPlugin, {pathControl("the plug-in file"), flag(1, "keep the layer's alpha")});
}

}  // namespace dro
