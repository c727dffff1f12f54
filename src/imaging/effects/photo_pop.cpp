#include "imaging/effects/photo_pop.h"

#include "imaging/effects/effect_steps.h"
#include "imaging/filter_frame.h"
#include "imaging/lib/colour_ops.h"
#include "imaging/lib/sharpen.h"
#include "undo/undo_store.h"

namespace dro {
namespace {

constexpr double kSharpenAmount = 0.5;

void hyperContrast(int32_t slider) {
    FilterSettings s;
    s.slider[0] = slider;
    if (runFilterFrame("Hyper Contrast", s)) writeBackAndRefresh(iplPair().destination);
}

double saturationFactor(double x) noexcept { return x > 50.0 ? (x - 50.0) * 0.02 * 2.0 + 1.0 : x * 0.02 * 3.0 - 2.0; }

}  // namespace

void photoPop(int32_t amount, double saturation, uint8_t preContrast) {
    const IplPair pair = iplPair();
    if (!pair) return;
    runRgb24Step([](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return IS3SharpenImage(s, w, h, 3, w * 3, d, kSharpenAmount);
    });
    if (preContrast == 1) hyperContrast(1);
    hyperContrast(amount);
    updateSourceFromLayer();
    IS3ModifyImageSaturation(pair.source, pair.width, pair.height, pair.width * 4, saturationFactor(saturation));
    writeBackAndRefresh(pair.source);
}

void photoPopCommand(int32_t amount, double saturation, uint8_t preContrast) {
    if (!iplPair()) return;
    try {
        photoPop(amount, saturation, preContrast);
    } catch (...) {
        releaseRgb24Buffers();
        invalidateDirtyUndoCanvas();
        throw;
    }
    releaseRgb24Buffers();
    invalidateDirtyUndoCanvas();
}

}  // namespace dro
