// Colour effects: one library colour operation on a fresh copy of the layer, written
// back through the mask. Alpha is never changed.
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/colour_ops.h"
#include "imaging/lib/soft_colour.h"

namespace dro {
namespace {

constexpr std::string_view kColour = "Colour";

template <class Operation>
void onLayer(Operation&& op) {
    runOnLayerCopy([&](const IplPair& p) { op(p.source, p.width, p.height, p.width * 4); });
}

int32_t shiftOf(float percent) noexcept { return static_cast<int32_t>((percent - 50.0f) * 2.54f); }

void colourBalance(const EffectArgs& a) {
    onLayer([&](uint8_t* b, int32_t w, int32_t h, int32_t s) {
        ISE40_AdjustImageColorBalance(b, w, h, s, shiftOf(a.percent[0]), shiftOf(a.percent[1]),
                                      shiftOf(a.percent[2]), a.style[0], a.flag[0] != 0);
    });
}

void duotone(const EffectArgs& a) {
    const uint32_t dark = static_cast<uint32_t>(a.colour);
    const uint32_t light =
        packColour(static_cast<uint32_t>(a.red + 255) / 2, static_cast<uint32_t>(a.green + 255) / 2,
                   static_cast<uint32_t>(a.blue + 255) / 2);
    onLayer([&](uint8_t* b, int32_t w, int32_t h, int32_t s) { ISE3DuotoneImage(b, w, h, s, dark, light, a.percent[0] * 0.01); });
}

// From −10 at 0 % through 1 at 50 % (no change) to 10 at 100 %.
double hyperSaturationFactor(float p) noexcept {
    return p > 50.0f ? (p - 50.0) * 0.02 * 9.0 + 1.0 : p * 0.02 * 11.0 - 10.0;
}

void hyperSaturation(const EffectArgs& a) {
    onLayer([&](uint8_t* b, int32_t w, int32_t h, int32_t s) {
        IS3ModifyImageSaturation(b, w, h, s, hyperSaturationFactor(a.percent[0]));
    });
}

void tint(const EffectArgs& a) {
    onLayer([&](uint8_t* b, int32_t w, int32_t h, int32_t s) {
        ISE3AdjustTint(b, w, h, s, static_cast<uint32_t>(a.colour), a.percent[0] * 0.01);
    });
}

void grayscale(const EffectArgs&) { onLayer(IS3GreyToColourChannels); }
void negative(const EffectArgs&) { onLayer(ISE3InvertImage); }

void posterize(const EffectArgs& a) {
    onLayer([&](uint8_t* b, int32_t w, int32_t h, int32_t s) { ISE3PosterizeRGB(b, w, h, s, a.slider[0]); });
}

int32_t levelOf(float percent) noexcept { return static_cast<int32_t>(percent * 2.55f); }

void solarize(const EffectArgs& a) {
    onLayer([&](uint8_t* b, int32_t w, int32_t h, int32_t s) { ISE3SolarizeImage(b, w, h, s, levelOf(a.percent[0])); });
}

void threshold(const EffectArgs& a) {
    onLayer([&](uint8_t* b, int32_t w, int32_t h, int32_t s) {
        ISE3ThresholdFilter(b, w, h, s, levelOf(a.percent[0]), packColour(0, 0, 0), packColour(255, 255, 255));
    });
}

void watercolourTint(const EffectArgs& a) {
    runRgb24Step([&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return ISE3WatercolorTintRGB(s, w, h, 3, w * 3, d, 1 + static_cast<int32_t>(a.percent[0] * 0.1), a.percent[1] * 0.01);
    });
}

}  // namespace

void registerColourEffects(EffectRegistry& r) {
    r.add("Adjust Color Balance", kColour, "cyan–red, magenta–green and yellow–blue shifts in chosen tones",
          colourBalance,
          {slider(1, 500, "cyan–red: 500 = none, ±127 levels"), slider(2, 500, "magenta–green"),
           slider(3, 500, "yellow–blue"), style(1, 0, 2, "tones: 0 midtones, 1 shadows, 2 highlights"),
           flag(1, "preserve luminosity")});
    r.add("Duotone", kColour, "brightness mapped onto black, the colour, its lighter half-tint and white",
          duotone, {slider(1, 1000, "amount"), colourControl("the dark tone")});
    r.add("Hyper Saturation", kColour, "scales saturation about each pixel's grey", hyperSaturation,
          {slider(1, 500, "factor: 0 → −10, 500 → 1 (none), 1000 → 10")});
    r.add("Tint", kColour, "the pixel's grey in the tint colour", tint,
          {slider(1, 500, "amount"), colourControl("the tint")});
    r.add("Watercolor Tint", kColour, "a watercolour wash: detail washed out, colour livelier and lighter",
          watercolourTint,
          {slider(1, 200, "wash: median radius 1 + value ÷ 100 pixels"), slider(2, 300, "paper: value × 0.1 % toward white")});
    r.add("Grayscale", kColour, "R = G = B = (77 R + 150 G + 29 B + 128) >> 8", grayscale);
    r.add("Negative", kColour, "inverts R, G and B", negative);
    r.add("Posterize", kColour, "evenly spaced levels per channel", posterize,
          {slider(1, 4, "levels per channel", 256, 2)});
    r.add("Solarize", kColour, "inverts channel values above a threshold", solarize,
          {slider(1, 500, "threshold: value × 0.255 levels")});
    r.add("Threshold", kColour, "black or white by grey level", threshold,
          {slider(1, 500, "threshold: value × 0.255 levels")});
}

}  // namespace dro
