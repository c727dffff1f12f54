#include "io/clip_fill_effect.h"

#include <vector>

#include "composite/layer_merge.h"
#include "core/canvas.h"
#include "core/mask_texture_adjust.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/resample.h"
#include "io/clipboard.h"

namespace dro::io {
namespace {

constexpr int32_t kClipFillFilter = 17;  // bicubic

}  // namespace

void clipFillEffect(const EffectArgs& args) {
    LayerSlot* slot = filledCurrentSlot();
    if (!iplPair() || !slot || !readClipboardIntoImport()) return;
    Clip clip = takeImportedClip();
    for (size_t i = 3; i < clip.pixels.size(); i += 4) clip.pixels[i] = 255;
    const Canvas& c = canvas();
    std::vector<uint8_t> block(static_cast<size_t>(c.width) * c.height * 4, 0);
    if (!is5_ResizeImage(clip.pixels.data(), clip.width, clip.height, clip.width * 4, block.data(), c.width,
                         c.height, c.width * 4, 4, kClipFillFilter, 0))
        return;
    adjustRGBA32RectByMaskAndTexture(block.data(), 0, 0, c.width, c.height);
    const auto opacity = static_cast<int32_t>(args.percent[1] * 2.559);
    MergeRGBA32Block(block.data(), *slot, args.style[0], 0, opacity, slot->alphaLocked != 0);
}

}  // namespace dro::io
