// Hue, saturation and lightness (or value) shifts of the current layer.
#include "imaging/color/buffer_adjust.h"
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/filters/pixel_access.h"
#include "imaging/working_buffer_ops.h"

namespace dro {
namespace {

using Adjust = void (*)(uint8_t*, int32_t, int32_t, int32_t, int32_t, int32_t) noexcept;

// Hue from p1 (50 % = no shift, 0..100 % = -180..180 degrees); the other two from p2
// and p3 (50 % = no shift, 0..100 % = -100..100 hundredths).
template <Adjust adjust>
void shiftColours(const EffectArgs& args) {
    const IplPair pair = iplPair();
    if (!pair) return;
    updateIplSource32();
    const auto& p = args.percent;
    adjust(pair.source, pair.width, pair.height, filters::truncInt(p[0] * 3.6 - 180.0),
           filters::truncInt(p[1] * 2.0 - 100.0), filters::truncInt(p[2] * 2.0 - 100.0));
    writeBackAndRefresh(pair.source);
}

}  // namespace

void registerColourAdjustEffects(EffectRegistry& r) {
    r.add("Adjust HSL", "Colour", "shifts hue, saturation and lightness", shiftColours<processBufferHslAdjust>,
          {slider(1, 500, "hue: 500 = none, 0..1000 = −180..180 degrees"), slider(2, 500, "saturation: 500 = none"),
           slider(3, 500, "lightness: 500 = none")});
    r.add("Adjust HSV", "Colour", "shifts hue, saturation and value", shiftColours<processBufferHsvAdjust>,
          {slider(1, 500, "hue: 500 = none, 0..1000 = −180..180 degrees"), slider(2, 500, "saturation: 500 = none"),
           slider(3, 500, "value: 500 = none")});
}

}  // namespace dro
