// Geometry effects: mirroring the layer, and shrinking it onto a cleared canvas.
#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/flip.h"
#include "imaging/lib/overlay.h"
#include "imaging/lib/resample.h"

namespace dro {
namespace {

constexpr std::string_view kGeometry = "Geometry";
constexpr int32_t kBicubic = 17;

void horizontalFlip(const EffectArgs&) {
    runLibraryStep(Premultiply::no, [](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        std::memcpy(d, s, static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
        return IS3HorizontalFlipImage(d, w, h, 4, w * 4);
    });
}

void verticalFlip(const EffectArgs&) {
    runLibraryStep(Premultiply::no, [](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        std::memcpy(d, s, static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
        return IS3VerticalFlipImage(d, w * 4, h);
    });
}

// The layer shrunk to p1 % of its size (at least one pixel) and centred on a cleared
// canvas; resampled premultiplied so transparent pixels lend no colour.
void reduce(const EffectArgs& a) {
    runLibraryStep(Premultiply::yes, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        const double scale = std::clamp(static_cast<double>(a.percent[0]), 1.0, 100.0) * 0.01;
        const int32_t nw = std::max(1, static_cast<int32_t>(w * scale));
        const int32_t nh = std::max(1, static_cast<int32_t>(h * scale));
        std::vector<uint8_t> small(static_cast<size_t>(nw) * static_cast<size_t>(nh) * 4);
        if (!is5_ResizeImage(s, w, h, w * 4, small.data(), nw, nh, nw * 4, 4, kBicubic, 0)) return false;
        std::memset(d, 0, static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
        IS3OverlayImage(d, static_cast<uint32_t>(w), static_cast<uint32_t>(h), 4, static_cast<uint32_t>(w * 4),
                        small.data(), static_cast<uint32_t>(nw), static_cast<uint32_t>(nh),
                        static_cast<uint32_t>(nw * 4), (w - nw) / 2, (h - nh) / 2, 1.0, 0);
        return true;
    });
}

}  // namespace

void registerGeometryEffects(EffectRegistry& r) {
    r.add("Horizontal Flip", kGeometry, "mirrors the layer left to right", horizontalFlip);
    r.add("Vertical Flip", kGeometry, "mirrors the layer top to bottom", verticalFlip);
    r.add("Reduce", kGeometry, "shrinks the layer (bicubic) and centres it on a cleared canvas", reduce,
          {slider(1, 500, "size: value × 0.1 % of the layer, at least 1 %")});
}

}  // namespace dro
