// The display render: every visible layer, the stroke in progress inside the current
// layer and the tracing image, over a checkerboard where the result is not opaque,
// tinted by the selection mask on display, as 24-bit BGR pixels at one of three
// sampling scales.
#pragma once

#include <cstdint>

namespace dro {

// Renders the canvas rectangle (x, y, w, h) into out; output row k starts at
// out + k * stride bytes (stride may be negative). Writes nothing without current
// layer pixels, a view size or an output pointer. Allocates nothing.
void render(uint8_t* out, int32_t stride, int32_t x, int32_t y, int32_t w, int32_t h) noexcept;

// View setters.
void setScale(int32_t zoom, float scale) noexcept;
void setOffset(int32_t x, int32_t y) noexcept;
void setViewSize(int32_t width, int32_t height) noexcept;
void setAreaOfInterest(int32_t x0, int32_t y0, int32_t x1, int32_t y1) noexcept;
void setTracingMode(uint8_t mode) noexcept;

namespace testhooks {
// Off: every output pixel is composited by the plain per-pixel walk, the reference
// the tiled row path is checked against.
void setRenderFastPath(bool on) noexcept;
// Off: the render stays on the calling thread whatever its size.
void setRenderThreads(bool on) noexcept;
// The widest vectors (128, 256 or 512 bits) the tiled row path may use, and the width
// of the build it runs on this processor under that limit.
void setRenderVectorWidth(int bits) noexcept;
int renderVectorWidth() noexcept;
}  // namespace testhooks

}  // namespace dro
