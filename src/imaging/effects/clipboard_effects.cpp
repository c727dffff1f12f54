// Effects that take their picture from the clipboard.
#include <vector>

#include "core/mask_texture_adjust.h"
#include "composite/layer_merge.h"
#include "core/canvas.h"
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/resample.h"
#include "io/clipboard.h"

namespace dro {
namespace {

constexpr int32_t kClipFillFilter = 17;  // bicubic
constexpr int32_t kLastBlendMode = 30;

// The clipboard's picture stretched over the whole canvas and merged into the current
// layer by the blend mode of style 1 at slider 2 percent. Without a picture on the
// clipboard nothing changes.
void clipFill(const EffectArgs& args) {
    LayerSlot* slot = filledCurrentSlot();
    if (!iplPair() || !slot || !io::readClipboardIntoImport()) return;
    io::Clip clip = io::takeImportedClip();
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

constexpr std::string_view kClipboard = "Clipboard";

}  // namespace

void registerClipboardEffects(EffectRegistry& r) {
    r.add("Clip Fill", kClipboard, "stretches the clipboard's picture over the canvas and merges it", clipFill,
          {slider(2, 1000, "opacity of the merge: value × 0.2559"),
           style(1, 0, kLastBlendMode, "blend mode of the merge (0 normal … 30 silhouette)")});
}

}  // namespace dro
