#include "imaging/lib/draw_tool_shapes.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "imaging/lib/draw.h"

namespace {

bool validBlock(const uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride) {
    return image && width > 0 && height > 0 && bytesPerPixel >= 1 && bytesPerPixel <= 4 &&
           stride >= int64_t{width} * bytesPerPixel;
}

// The inclusive rectangle as the exclusive one of the plain fill, kept inside int32.
bool fillInclusive(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                   const LibRect* rect, uint32_t colour) {
    if (!validBlock(image, width, height, bytesPerPixel, stride) || !rect) return false;
    const uint8_t bytes[4] = {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16), uint8_t(colour >> 24)};
    const int32_t right = std::min(rect->right, width - 1) + 1, bottom = std::min(rect->bottom, height - 1) + 1;
    return IS40_FillSolidRect(image, width, height, bytesPerPixel, stride, rect->left, rect->top, right, bottom,
                              bytes);
}

// Share of pixel (dx, dy) from the centre that the ellipse covers, from the implicit
// function's value over its gradient: a signed distance in pixels, good to a fraction
// of a pixel for the radii of 2 and more the tools pass.
double coverage(double dx, double dy, double rx, double ry) {
    const double ax = dx / (rx * rx), ay = dy / (ry * ry);
    const double f = dx * ax + dy * ay - 1.0;
    const double gradient = 2.0 * std::sqrt(ax * ax + ay * ay);
    if (gradient == 0.0) return f <= 0.0 ? 1.0 : 0.0;
    return std::clamp(0.5 - f / gradient, 0.0, 1.0);
}

}  // namespace

bool IS3FillSolidRect(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                      const LibRect* rect, uint32_t colour, int32_t /*flags*/) {
    return fillInclusive(image, width, height, bytesPerPixel, stride, rect, colour);
}

bool IS3FillTransparentRectOnImage(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel,
                                   int32_t stride, const LibRect* rect, uint32_t colour, int32_t /*opaque*/,
                                   int32_t /*flags*/) {
    return fillInclusive(image, width, height, bytesPerPixel, stride, rect, colour);
}

bool IS3DrawEllipseOnImage(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                           uint32_t colour, const LibPoint* centre, int32_t rx, int32_t ry, int32_t filled,
                           int32_t /*opacityPercent*/, int32_t /*reserved1*/, int32_t /*reserved2*/,
                           int32_t edge) {
    if (!validBlock(image, width, height, bytesPerPixel, stride) || !centre || rx < 0 || ry < 0) return false;
    const uint8_t bytes[4] = {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour), uint8_t(colour >> 24)};
    const bool smooth = edge == kEllipseSmoothAlpha && bytesPerPixel == 4 && rx > 0 && ry > 0;
    if (!smooth) {
        return IS40_DrawEllipseOnImage(image, width, height, bytesPerPixel, stride, centre->x, centre->y, rx, ry,
                                       bytes, filled != 0);
    }
    const int64_t cx = centre->x, cy = centre->y;
    const int64_t y0 = std::max<int64_t>(cy - ry - 1, 0), y1 = std::min<int64_t>(cy + ry + 1, height - 1);
    const int64_t x0 = std::max<int64_t>(cx - rx - 1, 0), x1 = std::min<int64_t>(cx + rx + 1, width - 1);
    for (int64_t y = y0; y <= y1; ++y) {
        uint8_t* p = image + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x0) * 4;
        for (int64_t x = x0; x <= x1; ++x, p += 4) {
            const double share = coverage(double(x - cx), double(y - cy), rx, ry);
            if (share <= 0.0) continue;
            const auto alpha = static_cast<uint8_t>(std::lround(share * bytes[3]));
            std::memcpy(p, bytes, 3);
            p[3] = std::max(p[3], alpha);
        }
    }
    return true;
}
