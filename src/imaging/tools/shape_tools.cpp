#include "imaging/tools/shape_tools.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/mask_texture_adjust.h"
#include "composite/layer_merge.h"
#include "core/canvas.h"
#include "core/fill.h"
#include "core/rgba_blocks.h"
#include "imaging/lib/draw_gradient.h"
#include "imaging/lib/draw_tool_shapes.h"
#include "imaging/working_buffer_ops.h"
#include "mask/mask_combine.h"
#include "imaging/tools/tool_frame.h"

namespace dro {
namespace {

// The tool destination (32), released when this leaves scope; null without a canvas.
class ToolDestination {
public:
    ToolDestination() {
        allocateDestinationBuffer(workingBuffers().toolDestination32, 4);
        block_ = canvasBlock(workingBuffers().toolDestination32, 4);
    }
    ~ToolDestination() { workingBuffers().toolDestination32.release(); }
    ToolDestination(const ToolDestination&) = delete;
    ToolDestination& operator=(const ToolDestination&) = delete;
    uint8_t* block() const noexcept { return block_; }

private:
    uint8_t* block_ = nullptr;
};

// The horizontal extent of a dragged shape: the end the drag moved toward is left out.
struct DragColumns {
    int32_t left, right;
};
DragColumns dragColumns(int32_t x0, int32_t x1) {
    if (x0 < x1) return {x0, x1 - 1};
    return {static_cast<int32_t>(std::min<int64_t>(int64_t{x1} + 1, INT32_MAX)), x0};
}

// Merges a finished tool destination into the current layer at the given opacity.
void mergeIntoCurrent(uint8_t* block, int32_t opacity) {
    const Canvas& c = canvas();
    LayerSlot* slot = filledCurrentSlot();
    if (!slot) return;
    adjustRGBA32RectByMaskAndTexture(block, 0, 0, c.width, c.height);
    MergeRGBA32Block(block, *slot, 0, 0, opacity, slot->alphaLocked != 0);
}

template <class Draw>
void drawShape(int32_t r, int32_t g, int32_t b, int32_t opacityPercent, Draw&& draw) {
    InvalidateCanvasOnExit invalidate;
    const ToolDestination destination;
    uint8_t* block = destination.block();
    if (!block) return;
    const Canvas& c = canvas();
    clearRGBA32(block, c.width * 4, c.width, c.height, r, g, b, 0);
    if (draw(block, c.width, c.height)) mergeIntoCurrent(block, percentTo255(opacityPercent));
}

// A black RGB24 canvas image drawn on, then combined into the mask.
template <class Draw>
void maskShape(int32_t strengthPercent, int32_t black, const char* operation, Draw&& draw) {
    InvalidateCanvasOnExit invalidate;
    const Canvas& c = canvas();
    if (c.width <= 0 || c.height <= 0) return;
    const int32_t e = percentTo255(strengthPercent);
    const OwnedBuffer<uint8_t> image = canvasScratch(3);
    if (draw(image.get(), c.width, c.height, static_cast<uint32_t>(e | e << 8 | e << 16))) {
        combineMask(image.get(), c.width * 3, black == 1 ? 1 : 0, e, operation);
    }
}

int32_t radius(int64_t extent) { return static_cast<int32_t>(std::clamp<int64_t>(extent / 2, 2, INT32_MAX)); }

}  // namespace

void drawRectangle(int32_t r, int32_t g, int32_t b, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                   int32_t opacityPercent) {
    const DragColumns cols = dragColumns(x0, x1);
    const LibRect rect = {cols.left, std::min(y0, y1), cols.right, std::max(y0, y1)};
    const uint32_t colour = (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16 | 0xFFu << 24;
    drawShape(r, g, b, opacityPercent, [&](uint8_t* block, int32_t w, int32_t h) {
        return IS3FillSolidRect(block, w, h, 4, w * 4, &rect, colour, 0);
    });
}

void drawEllipse(int32_t r, int32_t g, int32_t b, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                 int32_t opacityPercent) {
    const DragColumns cols = dragColumns(x0, x1);
    const int32_t top = std::min(y0, y1);
    const int32_t rx = radius(int64_t{cols.right} - cols.left);
    const int32_t ry = radius(int64_t{std::max(y0, y1)} - top);
    const LibPoint centre = {static_cast<int32_t>(std::min<int64_t>(int64_t{cols.left} + rx, INT32_MAX)),
                        static_cast<int32_t>(std::min<int64_t>(int64_t{top} + ry, INT32_MAX))};
    const uint32_t colour = (b & 0xFF) | (g & 0xFF) << 8 | (r & 0xFF) << 16 | 0xFFu << 24;
    drawShape(r, g, b, opacityPercent, [&](uint8_t* block, int32_t w, int32_t h) {
        return IS3DrawEllipseOnImage(block, w, h, 4, w * 4, colour, &centre, rx,
                                     ry, 1, 100, 0, 0, kEllipseSmoothAlpha);
    });
}

void drawGradient(const int32_t (&colours)[4][3], int32_t count, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                  const char* type) {
    InvalidateCanvasOnExit invalidate;
    if (count < 0) return;
    count = std::min(count, 4);
    uint8_t stops[4][4] = {};
    double positions[4] = {};
    const auto stop = [&](int k, const int32_t(&rgb)[3], int32_t alphaByte, double position) {
        stops[k][0] = static_cast<uint8_t>(rgb[2]);
        stops[k][1] = static_cast<uint8_t>(rgb[1]);
        stops[k][2] = static_cast<uint8_t>(rgb[0]);
        stops[k][3] = static_cast<uint8_t>(alphaByte);
        positions[k] = position;
    };
    if (count < 2) {
        // One colour fades: from opaque (count 0) or to opaque (count 1).
        stop(0, colours[0], count == 0 ? 255 : 0, 0);
        stop(1, colours[0], count == 0 ? 0 : 255, 100);
        count = 2;
    } else {
        const int32_t step = 100 / (count - 1);
        for (int k = 0; k < count; ++k) stop(k, colours[k], 0, k * step);
    }
    const ToolDestination destination;
    uint8_t* block = destination.block();
    if (!block) return;
    const Canvas& c = canvas();
    const bool linear = type && std::strcmp(type, "Linear") == 0;
    bool drawn;
    if (linear) {
        drawn = ISE3GradientFillImageLinear(block, c.width, c.height, 4, c.width * 4, x0, y0, x1, y1, &stops[0][0],
                                            positions, count, 1, 1.0, 0);
    } else {
        const int64_t dx = int64_t{x1} - x0, dy = int64_t{y1} - y0;
        const double reach = std::fabs(std::sqrt(double(dx) * double(dx) + double(dy) * double(dy)));
        drawn = ISE3GradientFillImageRadial(block, c.width, c.height, 4, c.width * 4, reach, x0, y0, &stops[0][0],
                                            positions, count, 0, 1.0, 0);
    }
    if (!drawn) return;
    invertAlphaRGBA32(block);  // the stops' alpha byte is a transparency
    mergeIntoCurrent(block, 255);
}

void maskRectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t strengthPercent, int32_t black,
                   const char* operation) {
    const LibRect rect = {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
    maskShape(strengthPercent, black, operation, [&](uint8_t* image, int32_t w, int32_t h, uint32_t grey) {
        return IS3FillTransparentRectOnImage(image, w, h, 3, w * 3, &rect, grey, 1, 0);
    });
}

void maskEllipse(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t strengthPercent, int32_t black,
                 const char* operation) {
    const int32_t rx = radius(std::llabs(int64_t{x1} - x0));
    const int32_t ry = radius(std::llabs(int64_t{y1} - y0));
    const LibPoint centre = {static_cast<int32_t>(std::min<int64_t>(int64_t{std::min(x0, x1)} + rx, INT32_MAX)),
                        static_cast<int32_t>(std::min<int64_t>(int64_t{std::min(y0, y1)} + ry, INT32_MAX))};
    maskShape(strengthPercent, black, operation, [&](uint8_t* image, int32_t w, int32_t h, uint32_t grey) {
        return IS3DrawEllipseOnImage(image, w, h, 3, w * 3, grey, &centre, rx, ry, 1,
                                     1, 0, 0, kEllipseHardEdge);
    });
}

}  // namespace dro
