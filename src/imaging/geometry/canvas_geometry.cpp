#include "imaging/geometry/canvas_geometry.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "core/canvas.h"
#include "core/fill.h"
#include "imaging/geometry/layer_recreate.h"
#include "imaging/geometry/resample_filter_names.h"
#include "imaging/geometry/seam_resize.h"
#include "imaging/lib/block_geometry.h"
#include "imaging/lib/overlay.h"
#include "imaging/lib/resample.h"
#include "core/mask_state.h"
#include "undo/undo_store.h"

namespace dro {
namespace {

BlockSize canvasSize() noexcept { return {canvas().width, canvas().height}; }

// Which third of the page an anchor pins: 0 start, 1 centre, 2 end.
struct Anchor {
    std::string_view name;
    int column;
    int row;
};
constexpr std::array<Anchor, 9> kAnchors{{{"TL", 0, 0}, {"TC", 1, 0}, {"TR", 2, 0},
                                          {"ML", 0, 1}, {"MC", 1, 1}, {"MR", 2, 1},
                                          {"BL", 0, 2}, {"BC", 1, 2}, {"BR", 2, 2}}};

int32_t anchoredOffset(int third, int32_t size, int32_t newSize) {
    if (third == 0) return 0;
    return third == 1 ? (newSize - size) / 2 : newSize - size;  // halving truncates toward zero
}

// The new page under each layer: the background layer opaque in the chosen colour,
// the layers above it clear, the highest slots opaque white.
bool pageIsOpaque(int32_t slot) noexcept { return slot == kBackgroundSlot || slot >= 254; }

void preparePage(uint8_t* page, BlockSize size, int32_t slot, int32_t red, int32_t green, int32_t blue) {
    if (slot == kBackgroundSlot)
        clearRGBA32(page, size.width * 4, size.width, size.height, red, green, blue, 255);
    else if (slot >= 254)
        clearRGBA32(page, size.width * 4, size.width, size.height, 255, 255, 255, 255);
    else
        std::memset(page, 0, uint64_t(size.width) * uint64_t(size.height) * 4);
}

}  // namespace

PageOffset pageAnchorOffset(const char* anchor, int32_t width, int32_t height, int32_t newWidth,
                            int32_t newHeight) noexcept {
    if (!anchor) return {0, 0};
    for (const Anchor& a : kAnchors)
        if (a.name == anchor) return {anchoredOffset(a.column, width, newWidth), anchoredOffset(a.row, height, newHeight)};
    return {0, 0};
}

bool resizeCanvasLayers(int32_t newWidth, int32_t newHeight, const char* filterName) {
    const BlockSize from = canvasSize();
    return recreateEveryLayer({newWidth, newHeight}, [&](int32_t, const uint8_t* source, uint8_t* result) {
        return is5_ResizeImage(source, from.width, from.height, from.width * 4, result, newWidth, newHeight,
                               newWidth * 4, 4, resampleFilterCode(filterName), 0);
    });
}

bool seamCarveCanvasLayers(int32_t newWidth, int32_t newHeight) {
    const BlockSize from = canvasSize();
    const uint16_t* mask = activeMask();
    return recreateEveryLayer({newWidth, newHeight}, [&](int32_t, const uint8_t* source, uint8_t* result) {
        return seamResizeRgba32(source, from, mask, result, {newWidth, newHeight});
    });
}

bool resizePage(int32_t newWidth, int32_t newHeight, const char* anchor, int32_t red, int32_t green, int32_t blue) {
    const BlockSize from = canvasSize();
    const PageOffset at = pageAnchorOffset(anchor, from.width, from.height, newWidth, newHeight);
    return recreateEveryLayer({newWidth, newHeight}, [&](int32_t slot, const uint8_t* source, uint8_t* result) {
        preparePage(result, {newWidth, newHeight}, slot, red, green, blue);
        // Over an opaque page the layer composites; over a clear one it is copied as is.
        IS3OverlayImage(result, newWidth, newHeight, 4, newWidth * 4, source, from.width, from.height,
                        from.width * 4, at.x, at.y, 1.0, pageIsOpaque(slot) ? 1 : 0);
        return true;
    });
}

bool cropCanvasLayers(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    const BlockSize from = canvasSize();
    // Corners given in either order, and only the part on the canvas.
    const int32_t x0 = std::clamp(std::min(left, right), 0, from.width);
    const int32_t x1 = std::clamp(std::max(left, right), 0, from.width);
    const int32_t y0 = std::clamp(std::min(top, bottom), 0, from.height);
    const int32_t y1 = std::clamp(std::max(top, bottom), 0, from.height);
    if (x0 >= x1 || y0 >= y1) return false;
    const bool ran = recreateEveryLayer({x1 - x0, y1 - y0}, [&](int32_t, const uint8_t* source, uint8_t* result) {
        return IS3CropImage(source, from.width, from.height, 4, from.width * 4, result, (x1 - x0) * 4, x0, y0, x1, y1);
    });
    invalidateDirtyUndoCanvas();
    return ran;
}

bool rotateCanvasLayers(bool clockwise) {
    const BlockSize from = canvasSize();
    const bool ran = recreateEveryLayer({from.height, from.width}, [&](int32_t, const uint8_t* source, uint8_t* result) {
        return IS3QuickRotateImage(source, from.width, from.height, 4, from.width * 4, result, from.height * 4,
                                   clockwise ? 0 : 2);
    });
    invalidateDirtyUndoCanvas();
    return ran;
}

bool flipCanvasLayers(bool horizontal) {
    const bool ran = rewriteEveryLayer([&](uint8_t* block, BlockSize size) {
        return horizontal ? IS3HorizontalFlipImage(block, size.width, size.height, 4, size.width * 4)
                          : IS3VerticalFlipImage(block, size.width * 4, size.height);
    });
    invalidateDirtyUndoCanvas();
    return ran;
}

}  // namespace dro
