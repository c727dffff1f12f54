#include "imaging/geometry/text_command.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "brush/premultiply.h"
#include "core/canvas.h"
#include "core/rgba_blocks.h"
#include "core/transfer_load.h"
#include "imaging/lib/text.h"
#include "imaging/working_buffer_ops.h"
#include "undo/undo_store.h"

namespace dro {
namespace {

struct Area {
    int32_t left, top, width, height;
};

// Copies a rectangle between a canvas-sized block and a packed one.
void copyArea(uint8_t* canvasBlock, int32_t canvasWidth, const Area& a, uint8_t* packed, bool toPacked) {
    for (int32_t row = 0; row < a.height; ++row) {
        uint8_t* inCanvas = canvasBlock + (static_cast<ptrdiff_t>(a.top + row) * canvasWidth + a.left) * 4;
        uint8_t* inPacked = packed + static_cast<ptrdiff_t>(row) * a.width * 4;
        if (toPacked) std::memcpy(inPacked, inCanvas, static_cast<size_t>(a.width) * 4);
        else std::memcpy(inCanvas, inPacked, static_cast<size_t>(a.width) * 4);
    }
}

bool drawText(uint8_t* source, const platform::FontFace& font, int32_t red, int32_t green, int32_t blue, int32_t x,
              int32_t y, const char* text, bool smoothAlpha) {
    const Canvas& c = canvas();
    int32_t textWidth = 0, textHeight = 0;
    if (!is5_GetTextLineSize2(text, font, &textWidth, &textHeight)) return false;
    // Glyphs may overhang their advance a little; a margin of a line height keeps them.
    const int32_t margin = std::max(textHeight, 1);
    const int32_t left = std::clamp(x - margin, 0, c.width), right = std::clamp(x + textWidth + margin, 0, c.width);
    const int32_t top = std::clamp(y, 0, c.height), bottom = std::clamp(y + textHeight + margin, 0, c.height);
    if (left >= right || top >= bottom) return true;
    const Area area{left, top, right - left, bottom - top};
    const uint32_t colour = static_cast<uint32_t>(red & 0xFF) | static_cast<uint32_t>(green & 0xFF) << 8 |
                            static_cast<uint32_t>(blue & 0xFF) << 16 | 0xFFu << 24;

    std::vector<uint8_t> patch(static_cast<size_t>(area.width) * area.height * 4);
    copyArea(source, c.width, area, patch.data(), true);
    // The text's rectangle on the canvas is (x, y) to the canvas's far corner.
    const int32_t px = x - left, py = y - top, pr = c.width - left, pb = c.height - top;
    if (smoothAlpha) {
        setColorOfTransparentRGBA32(patch.data(), area.width, area.height, 0, 0, 0);
        premultiplyRgba32(patch.data(), area.width, area.height);
        is5_DrawSmoothTextOnRGBA2(patch.data(), area.width, area.height, area.width * 4, text, font,
                                  kTextModePremultiplied, px, py, pr, pb, colour);
        unpremultiplyRgba32(patch.data(), area.width, area.height);
    } else {
        is5_DrawSmoothTextOnRGBA2(patch.data(), area.width, area.height, area.width * 4, text, font, kTextModePlain,
                                  px, py, pr, pb, colour);
    }
    copyArea(source, c.width, area, patch.data(), false);
    loadRGBA32Layer(patch.data(), area.width * 4, c.currentLayer, area.left, area.top, area.width, area.height, true);
    return true;
}

}  // namespace

bool drawTextIntoCurrentLayer(const platform::FontFace& font, int32_t red, int32_t green, int32_t blue, int32_t x,
                              int32_t y, const char* text, bool smoothAlpha) {
    bool drawn = true;
    if (uint8_t* source = canvasBlock(workingBuffers().iplSource32, 4); source && text && *text && filledCurrentSlot()) {
        updateIplSource32();
        drawn = drawText(source, font, red, green, blue, x, y, text, smoothAlpha);
    }
    invalidateDirtyUndoCanvas();
    return drawn;
}

}  // namespace dro
