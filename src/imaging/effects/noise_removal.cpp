// Noise removal worked in RGB24, so alpha is kept as it is.
#include <algorithm>

#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/denoise.h"

namespace dro {
namespace {

constexpr std::string_view kNoiseRemoval = "Noise removal";

// Spatial sigma 0.5..10.5 pixels from p1; range sigma 1..101 levels from p2.
void bilateral(const EffectArgs& a) {
    runRgb24Step([&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return is5_BilateralFilterImage(s, w, h, 3, w * 3, d, 0.5 + a.percent[0] * 0.1, 1.0 + a.percent[1]);
    });
}

void dustAndScratches(const EffectArgs& a) {
    runRgb24Step([&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return ISE3DustAndScratches(s, w, h, 3, w * 3, d, std::max(1, static_cast<int32_t>(a.percent[0] * 0.1f)),
                                    static_cast<int32_t>(a.percent[1] * 2.55f));
    });
}

void despeckle(const EffectArgs& a) {
    runRgb24Step([&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return IS3DespeckleImage(s, w, h, 3, w * 3, d, static_cast<int32_t>(a.percent[0] * 2.55f));
    });
}

}  // namespace

void registerNoiseRemovalEffects(EffectRegistry& r) {
    r.add("Surface Blur", kNoiseRemoval, "bilateral filter: smooths areas, keeps edges", bilateral,
          {slider(1, 100, "spatial reach: σ = 0.5 + value × 0.01 pixels"),
           slider(2, 250, "edge tolerance: σ = 1 + value × 0.1 levels")});
    r.add("Noise Reduction 2", kNoiseRemoval, "bilateral filter: smooths areas, keeps edges", bilateral,
          {slider(1, 200, "spatial reach: σ = 0.5 + value × 0.01 pixels"),
           slider(2, 150, "edge tolerance: σ = 1 + value × 0.1 levels")});
    r.add("Dust and Scratches", kNoiseRemoval, "median where a pixel stands out from it", dustAndScratches,
          {slider(1, 100, "window radius: value ÷ 100 pixels, at least 1"),
           slider(2, 100, "threshold: value × 0.255 levels")});
    r.add("Despeckle", kNoiseRemoval, "3 × 3 median in smooth areas, edges kept", despeckle,
          {slider(1, 200, "edge threshold: value × 0.255 levels")});
}

}  // namespace dro
