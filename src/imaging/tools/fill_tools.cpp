#include "imaging/tools/fill_tools.h"

#include <array>
#include <string_view>

#include "core/canvas.h"
#include "core/free_color.h"
#include "core/pixel_access.h"
#include "core/rgba_blocks.h"
#include "core/transfer_read.h"
#include "imaging/lib/draw_flood.h"
#include "mask/fill_in_place.h"
#include "mask/mask_builders.h"
#include "mask/mask_to_image.h"
#include "imaging/tools/tool_frame.h"

namespace dro {
namespace {

enum class FillMode { PaintNonConnected, EraseNonConnected, PaintConnected, EraseConnected, PaintAlphaConnected,
                      PaintAlphaNonConnected, Unknown };
enum class WandMode { NonConnected, ColorRange, LuminanceRange, HueRange, HslRange, Connected, AlphaConnected,
                      AlphaNonConnected, Unknown };

template <class Id, std::size_t N>
Id lookup(const std::array<std::pair<std::string_view, Id>, N>& table, const char* text) {
    if (!text) return Id::Unknown;
    for (const auto& [name, id] : table) {
        if (name == text) return id;
    }
    return Id::Unknown;
}

constexpr std::array<std::pair<std::string_view, FillMode>, 6> kFillModes{{
    {"Paint Non-connected", FillMode::PaintNonConnected},
    {"Erase Non-connected", FillMode::EraseNonConnected},
    {"Paint Connected", FillMode::PaintConnected},
    {"Erase Connected", FillMode::EraseConnected},
    {"Paint Alpha Connected", FillMode::PaintAlphaConnected},
    {"Paint Alpha Non-Connected", FillMode::PaintAlphaNonConnected},
}};

constexpr std::array<std::pair<std::string_view, WandMode>, 8> kWandModes{{
    {"Non-connected", WandMode::NonConnected},
    {"Color Range", WandMode::ColorRange},
    {"Luminance Range", WandMode::LuminanceRange},
    {"Hue Range", WandMode::HueRange},
    {"HSL Range", WandMode::HslRange},
    {"Connected", WandMode::Connected},
    {"Alpha Connected", WandMode::AlphaConnected},
    {"Alpha Non-connected", WandMode::AlphaNonConnected},
}};

// Layers the erase modes paint instead: the background and the slots above 253.
bool erasePaintsInstead(int32_t layer) noexcept { return layer == kBackgroundSlot || layer > 253; }

struct Block {
    uint8_t* pixels;
    int32_t width, height;
};

Block toolBlock(const ToolSource& source) {
    return {source.block(), canvas().width, canvas().height};
}

uint8_t red(uint32_t c) { return c & 0xFF; }
uint8_t green(uint32_t c) { return (c >> 8) & 0xFF; }
uint8_t blue(uint32_t c) { return (c >> 16) & 0xFF; }

uint32_t freeMarker(const Block& b) { return static_cast<uint32_t>(x_FindFreeColor(b.pixels, b.width, b.height)); }

bool replace(const Block& b, uint32_t from, uint32_t to, int32_t tolerance, int32_t flags) {
    return IS3ColorReplaceImage(b.pixels, b.width, b.height, 4, b.width * 4, from, to, tolerance, flags);
}

bool floodWith(const Block& b, int32_t x, int32_t y, uint32_t colour, int32_t tolerance) {
    const LibPoint point{x, y};
    return IS3FloodFillImage(b.pixels, b.width, b.height, 4, b.width * 4, &point, colour, 1, tolerance, 0);
}

// The region of the layer's alpha connected to (x, y), as a flood map; null when the
// library finds none.
OwnedBuffer<uint8_t> alphaRegion(int32_t x, int32_t y, int32_t tolerance) {
    OwnedBuffer<uint8_t> grey = canvasScratch(3);
    OwnedBuffer<uint8_t> map = canvasScratch(1);
    const Canvas& c = canvas();
    getRGB24FromAlpha(grey.get(), c.width * 3);
    const LibPoint point{x, y};
    if (!IS3GetColorMatchMaskFromImage(grey.get(), c.width, c.height, 3, c.width * 3, map.get(), c.width, &point,
                                       0xFF0000FF, 1, tolerance, 0)) {
        map.reset();
    }
    return map;
}

int32_t alphaAt(int32_t x, int32_t y) noexcept { return currentChannelAt(x, y, 3) >> 8; }

// Erasing turns the region transparent; on an alpha-locked layer the write-back could
// only recolour it with the marker, so the layer is left as it is.
bool eraseAllowed() noexcept {
    const LayerSlot* slot = filledCurrentSlot();
    return slot && !slot->alphaLocked;
}

}  // namespace

void floodFill(int32_t r, int32_t g, int32_t b, int32_t x, int32_t y, int32_t tolerance, const char* mode) {
    if (!insideCanvas(x, y)) return;
    InvalidateCanvasOnExit invalidate;
    const ToolTolerance tol = ToolTolerance::from(tolerance);
    const uint32_t paint = (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16;
    const uint32_t opaquePaint = paint | 0xFFu << 24;
    const int32_t layer = canvas().currentLayer;

    FillMode id = lookup(kFillModes, mode);
    if (id == FillMode::EraseNonConnected && erasePaintsInstead(layer)) id = FillMode::PaintNonConnected;
    if (id == FillMode::EraseConnected && erasePaintsInstead(layer)) id = FillMode::PaintConnected;
    if (id == FillMode::PaintConnected && paintConnectedInPlace(opaquePaint, x, y, tol.library)) {
        releaseToolSource();
        return;
    }
    const ToolSource source;
    const Block block = toolBlock(source);
    if (!block.pixels) return;
    const uint32_t key = keyColourAt(x, y);
    switch (id) {
        case FillMode::PaintNonConnected:
            if (replace(block, key, paint, tol.library, 0)) source.writeBack();
            break;
        case FillMode::EraseNonConnected: {
            if (!eraseAllowed()) break;
            const uint32_t marker = freeMarker(block);
            if (!replace(block, key, marker, tol.library, 0)) break;
            clearAlphaOfColorRGBA32(block.pixels, red(marker), green(marker), blue(marker));
            source.writeBack();
            break;
        }
        case FillMode::PaintConnected: {
            const uint32_t marker = freeMarker(block);
            if (floodWith(block, x, y, marker, tol.library) &&
                replace(block, marker, opaquePaint, 0, kReplaceSetsAlpha)) {
                source.writeBack();
            }
            break;
        }
        case FillMode::EraseConnected: {
            if (!eraseAllowed()) break;
            const uint32_t marker = freeMarker(block);
            if (!floodWith(block, x, y, marker, tol.library)) break;
            clearAlphaOfColorRGBA32(block.pixels, red(marker), green(marker), blue(marker));
            source.writeBack();
            break;
        }
        case FillMode::PaintAlphaConnected: {
            if (layer <= kBackgroundSlot) break;
            const OwnedBuffer<uint8_t> map = alphaRegion(x, y, tol.library);
            if (!map) break;
            colorRGBA32FromFloodMask(block.pixels, map.get(), r, g, b, 255);
            source.writeBack();
            break;
        }
        case FillMode::PaintAlphaNonConnected:
            replaceFromRGBAImageAlphaRange(block.pixels, alphaAt(x, y), tol.percent, r, g, b, 255);
            source.writeBack();
            break;
        case FillMode::Unknown:
            break;
    }
}

void maskWand(int32_t x, int32_t y, int32_t tolerance, int32_t strengthPercent, const char* mode) {
    if (!insideCanvas(x, y)) return;
    InvalidateCanvasOnExit invalidate;
    const int32_t amount = percentTo255(strengthPercent);
    const ToolSource source;
    const Block block = toolBlock(source);
    if (!block.pixels) return;
    const ToolTolerance tol = ToolTolerance::from(tolerance);
    const uint32_t key = keyColourAt(x, y);
    const int32_t kr = red(key), kg = green(key), kb = blue(key);

    switch (lookup(kWandModes, mode)) {
        case WandMode::NonConnected: {
            const uint32_t marker = freeMarker(block);
            if (replace(block, key, marker, tol.library, 0)) {
                createMaskFromRGBAImageColor(block.pixels, red(marker), green(marker), blue(marker), amount);
            }
            break;
        }
        case WandMode::ColorRange:
            createMaskFromRGBAImageColorRange(block.pixels, kr, kg, kb, tol.percent, amount);
            break;
        case WandMode::LuminanceRange:
            createMaskFromRGBAImageLuminanceRange(block.pixels, kr, kg, kb, tol.percent, amount);
            break;
        case WandMode::HueRange:
            createMaskFromRGBAImageHueRange(block.pixels, kr, kg, kb, tol.percent, amount);
            break;
        case WandMode::HslRange:
            createMaskFromRGBAImageHSLRange(block.pixels, kr, kg, kb, tol.fraction, tol.fraction, tol.fraction,
                                            amount);
            break;
        case WandMode::Connected: {
            const uint32_t marker = freeMarker(block);
            if (floodWith(block, x, y, marker, tol.library)) {
                createMaskFromRGBAImageColor(block.pixels, red(marker), green(marker), blue(marker), amount);
            }
            break;
        }
        case WandMode::AlphaConnected: {
            if (canvas().currentLayer <= kBackgroundSlot) break;
            const OwnedBuffer<uint8_t> map = alphaRegion(x, y, tol.library);
            if (map) createMaskFromFloodMask(map.get(), amount);
            break;
        }
        case WandMode::AlphaNonConnected:
            createMaskFromRGBAImageAlphaRange(block.pixels, alphaAt(x, y), tol.percent, amount);
            break;
        case WandMode::Unknown:
            break;
    }
}

}  // namespace dro
