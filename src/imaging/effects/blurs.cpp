// Blurs: one library call from the premultiplied layer to the destination, so that
// transparent pixels lend no colour to their neighbours.
#include <algorithm>

#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/blur.h"
#include "imaging/lib/convolve.h"

namespace dro {
namespace {

constexpr std::string_view kBlur = "Blurs";
constexpr uint32_t kAllChannels = 271;  // the four channels (bits 0..3) and 0x100

void blur(const EffectArgs&) {
    runLibraryStep(Premultiply::yes, [](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return IS3BlurImage(s, w, h, 4, w * 4, d);
    });
}

void blurMore(const EffectArgs&) {
    runLibraryStep(Premultiply::yes, [](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return ISE40_BlurImage(s, w, h, 4, w * 4, d);
    });
}

// p1 × 0.4 + 0.6 pixels; with flag 1 relative to the image, p1 × 0.05 % of its longer side.
void gaussianBlur(const EffectArgs& a) {
    runLibraryStep(Premultiply::yes, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        const double radius =
            a.flag[0] ? a.percent[0] * 0.01 * 0.05 * std::max(w, h) : a.percent[0] * 0.4 + 0.6;
        return is5_GaussianBlurImage(s, w, h, 4, w * 4, d, w * 4, radius, kAllChannels);
    });
}

// The centre of the radial and zoom blurs: the middle of the image, or for the second
// versions sliders 3 and 4 as percentages of the width and height.
template <MotionMode mode, bool movableCentre>
void motionBlur(const EffectArgs& a) {
    runLibraryStep(Premultiply::yes, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        const double cx = movableCentre ? a.percent[2] * 0.01 * (w - 1) : (w - 1) * 0.5;
        const double cy = movableCentre ? a.percent[3] * 0.01 * (h - 1) : (h - 1) * 0.5;
        const double angle = mode == MotionMode::radial ? a.percent[0] * 0.9 : a.percent[1] * 3.6;
        const double length = mode == MotionMode::linear ? a.percent[0] : a.percent[0] * 0.5;
        return ISE3MotionBlur(s, w, h, 4, w * 4, d, mode, angle, length, cx, cy, movableCentre);
    });
}

}  // namespace

void registerBlurEffects(EffectRegistry& r) {
    r.add("Blur", kBlur, "3 × 3 binomial blur", blur);
    r.add("Blur More", kBlur, "5 × 5 binomial blur", blurMore);
    r.add("Gaussian Blur", kBlur, "Gaussian blur, cost independent of the radius", gaussianBlur,
          {slider(1, 50, "radius: value × 0.04 + 0.6 pixels"),
           flag(1, "radius relative to the image: value × 0.005 % of the longer side")});
    r.add("Motion Blur", kBlur, "mean along a line through each pixel", motionBlur<MotionMode::linear, false>,
          {slider(1, 100, "length: value × 0.1 pixels"), slider(2, 0, "angle: value × 0.36 degrees")});
    r.add("Motion Blur 2", kBlur, "mean along a line, sampled smoothly between pixels",
          motionBlur<MotionMode::linear, true>,
          {slider(1, 100, "length: value × 0.1 pixels"), slider(2, 0, "angle: value × 0.36 degrees")});
    r.add("Radial Blur", kBlur, "mean along an arc about the image centre", motionBlur<MotionMode::radial, false>,
          {slider(1, 100, "arc: value × 0.09 degrees")});
    r.add("Radial Blur 2", kBlur, "mean along an arc about a chosen centre, sampled smoothly",
          motionBlur<MotionMode::radial, true>,
          {slider(1, 100, "arc: value × 0.09 degrees"), slider(3, 500, "centre x: share of the width"),
           slider(4, 500, "centre y: share of the height")});
    r.add("Zoom Blur", kBlur, "mean along the ray toward the image centre", motionBlur<MotionMode::zoom, false>,
          {slider(1, 100, "length: value × 0.05 % of the distance to the centre")});
    r.add("Zoom Blur 2", kBlur, "mean along the ray toward a chosen centre, sampled smoothly",
          motionBlur<MotionMode::zoom, true>,
          {slider(1, 100, "length: value × 0.05 % of the distance to the centre"),
           slider(3, 500, "centre x: share of the width"), slider(4, 500, "centre y: share of the height")});
}

}  // namespace dro
