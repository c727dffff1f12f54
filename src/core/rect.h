// Canvas rectangles, and the one rule for positions and sizes that come from the host.
//
// Those may be anything: sums are taken in 64 bits and held to int32 instead of
// wrapping (signed overflow is undefined, and a wrapped position would land a far-off
// rectangle on the canvas).
#pragma once

#include <algorithm>
#include <cstdint>

namespace dro {

// An inclusive canvas rectangle: left..right by top..bottom.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

inline int32_t saturated(int64_t v) noexcept {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// The last column (or row) of extent of them from start.
inline int32_t lastOf(int32_t start, int32_t extent) noexcept { return saturated(int64_t{start} + extent - 1); }

// Bytes in a row of pixels.
inline int32_t rowBytes(int32_t pixels, int32_t bytesPerPixel) noexcept {
    return saturated(int64_t{pixels} * bytesPerPixel);
}

// A half-open span of a plane: columns left..right - 1, rows top..bottom - 1.
struct PlaneSpan {
    int64_t left = 0;
    int64_t top = 0;
    int64_t right = 0;
    int64_t bottom = 0;

    bool empty() const noexcept { return left >= right || top >= bottom; }
    int64_t width() const noexcept { return right - left; }
    int64_t height() const noexcept { return bottom - top; }
};

// Where the rectangle at (x, y) of width x height meets a plane of the given size; the
// offsets into the rectangle are left - x and top - y.
inline PlaneSpan overlapWithPlane(int32_t x, int32_t y, int32_t width, int32_t height, int64_t planeWidth,
                                  int64_t planeHeight) noexcept {
    return {std::max<int64_t>(x, 0), std::max<int64_t>(y, 0), std::min<int64_t>(int64_t{x} + width, planeWidth),
            std::min<int64_t>(int64_t{y} + height, planeHeight)};
}

// The host-facing rule of the canvas transfers and the render: a negative corner moves
// to 0 with the size kept, and the far edges stop at the plane. False when nothing is
// left.
inline bool pinRectToPlane(int32_t& x, int32_t& y, int32_t& width, int32_t& height, int32_t planeWidth,
                           int32_t planeHeight) noexcept {
    x = std::max(x, 0);
    y = std::max(y, 0);
    if (int64_t{x} + width > planeWidth) width = planeWidth - x;
    if (int64_t{y} + height > planeHeight) height = planeHeight - y;
    return width > 0 && height > 0;
}

}  // namespace dro
