// Sharpening effects, worked in RGB24: alpha is kept as it is.
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/sharpen.h"

namespace dro {
namespace {

constexpr std::string_view kSharpen = "Sharpen";

void sharpen(const EffectArgs& a) {
    runRgb24Step([&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return IS3SharpenImage(s, w, h, 3, w * 3, d, a.percent[0] * 0.04);
    });
}

void sharpenMore(const EffectArgs& a) {
    runRgb24Step([&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return ISE3SharpenImage(s, w, h, 3, w * 3, d, a.percent[0] * 0.08);
    });
}

void unsharpMask(const EffectArgs& a) {
    runRgb24Step([&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return IS3UnsharpMaskImage(s, w, h, 3, w * 3, d, a.percent[0] * 0.2 + 0.5, a.percent[1] * 0.05,
                                   static_cast<int32_t>(a.percent[2] * 2.55f));
    });
}

}  // namespace

void registerSharpenEffects(EffectRegistry& r) {
    r.add("Sharpen", kSharpen, "pushes each pixel away from the mean of its four side neighbours", sharpen,
          {slider(1, 250, "amount: value × 0.004")});
    r.add("Sharpen More", kSharpen, "pushes each pixel away from the mean of all eight neighbours", sharpenMore,
          {slider(1, 250, "amount: value × 0.008")});
    r.add("Unsharp Mask", kSharpen, "adds back the difference from a Gaussian blur where it exceeds a threshold",
          unsharpMask,
          {slider(1, 75, "radius: value × 0.02 + 0.5 pixels"), slider(2, 200, "amount: value × 0.005"),
           slider(3, 0, "threshold: value × 0.255 levels")});
}

}  // namespace dro
