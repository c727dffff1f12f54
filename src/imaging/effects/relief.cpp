// Relief and glow effects: the picture lit as a raised surface, a bevelled frame, and
// glows shaped by the layer's alpha.
#include <vector>

#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/glow.h"
#include "imaging/lib/grayscale.h"
#include "imaging/lib/relief.h"

namespace dro {
namespace {

constexpr std::string_view kRelief = "Relief and glow";

void bevel(const EffectArgs& a) {
    runLibraryStep(Premultiply::no, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return ISE3ShadeBevelEdge(s, w, h, 4, w * 4, d, 1 + static_cast<int32_t>(a.percent[0] * 0.5), a.percent[1] * 0.01);
    });
}

// The grey of the picture embossed, in RGB24.
void emboss(const EffectArgs& a) {
    runRgb24Step([&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        std::vector<uint8_t> grey(static_cast<size_t>(w) * static_cast<size_t>(h)), greyRgb(grey.size() * 3);
        if (!IS3ImageToGrayScale8Bit(s, w, h, 3, w * 3, grey.data(), w, 0)) return false;
        for (size_t i = 0; i < grey.size(); ++i) greyRgb[i * 3] = greyRgb[i * 3 + 1] = greyRgb[i * 3 + 2] = grey[i];
        return IS3EmbossRGB(greyRgb.data(), w, h, 3, w * 3, d, a.percent[0] * 3.6,
                            1 + static_cast<int32_t>(a.percent[1] * 0.1), a.percent[2] * 0.05);
    });
}

template <bool (*glowCall)(const uint8_t*, int32_t, int32_t, uint8_t*, double, uint32_t, double) noexcept>
void glow(const EffectArgs& a) {
    runLibraryStep(Premultiply::no, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return glowCall(s, w, h, d, 0.5 + a.percent[0] * 0.2, static_cast<uint32_t>(a.colour), a.percent[1] * 0.01);
    });
}

constexpr ControlInfo kGlowRadius = slider(1, 150, "reach: Gaussian radius 0.5 + value × 0.02 pixels");
constexpr ControlInfo kGlowOpacity = slider(2, 800, "strength: value × 0.1 %");

}  // namespace

void registerReliefEffects(EffectRegistry& r) {
    r.add("Bevel", kRelief, "a raised frame: top and left edges lit, bottom and right shaded", bevel,
          {slider(1, 100, "frame width: 1 + value × 0.05 pixels"), slider(2, 500, "light and shade: value × 0.1 %")});
    r.add("Emboss", kRelief, "the picture's grey lit from one side as a raised surface on middle grey", emboss,
          {slider(1, 375, "light direction: value × 0.36 degrees, 0 from the right, 250 from above"),
           slider(2, 0, "relief offset: 1 + value ÷ 100 pixels"), slider(3, 200, "depth: value × 0.005")});
    r.add("Glow Inner", kRelief, "a soft rim of the colour inside the shape's edge (the layer's alpha)",
          glow<ISE40_InnerGlowRGBA>, {kGlowRadius, kGlowOpacity, colourControl("the glow")});
    r.add("Glow Outer", kRelief, "a soft halo of the colour around the shape (the layer's alpha)",
          glow<ISE40_OuterGlowRGBA>, {kGlowRadius, kGlowOpacity, colourControl("the glow")});
}

}  // namespace dro
