// Whole-canvas geometry: every layer slot gets the new size; the canvas size itself
// follows when the host calls DRO_NewSize, as hosts have always done it.
#pragma once

#include <cstdint>

namespace dro {

// Each returns false when the command could not run at all (the caller reports it).
bool resizeCanvasLayers(int32_t newWidth, int32_t newHeight, const char* filterName);
bool seamCarveCanvasLayers(int32_t newWidth, int32_t newHeight);
bool resizePage(int32_t newWidth, int32_t newHeight, const char* anchor, int32_t red, int32_t green, int32_t blue);
// Right and bottom exclusive; the rectangle is normalised and clipped to the canvas.
bool cropCanvasLayers(int32_t left, int32_t top, int32_t right, int32_t bottom);
bool rotateCanvasLayers(bool clockwise);
bool flipCanvasLayers(bool horizontal);

// Where the old page's top-left corner lands in the new page for an anchor name.
struct PageOffset {
    int32_t x;
    int32_t y;
};
PageOffset pageAnchorOffset(const char* anchor, int32_t width, int32_t height, int32_t newWidth,
                            int32_t newHeight) noexcept;

}  // namespace dro
