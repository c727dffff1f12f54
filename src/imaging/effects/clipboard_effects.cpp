// Effects that take their picture from the clipboard; io does the work
// (io/clip_fill_effect.cpp).
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/effects/upper_effects.h"

namespace dro {
namespace {

constexpr int32_t kLastBlendMode = 30;
constexpr std::string_view kClipboard = "Clipboard";

}  // namespace

void registerClipboardEffects(EffectRegistry& r) {
    r.add("Clip Fill", kClipboard, "stretches the clipboard's picture over the canvas and merges it",
          [](const EffectArgs& args) {
              if (const EffectFunction run = upperEffectActions().clipFill) run(args);
          },
          {slider(2, 1000, "opacity of the merge: value × 0.2559"),
           style(1, 0, kLastBlendMode, "blend mode of the merge (0 normal … 30 silhouette)")});
}

}  // namespace dro
