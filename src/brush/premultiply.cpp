#include "brush/premultiply.h"

#include <cstddef>

namespace dro {

// Every quotient below is taken in integers. Evaluating C / (a / 255) in floating
// point lands just under a whole number for some pairs (a = 33, C = 33 gives 254.99…)
// and would lose a level on the way back from premultiplied colour.

namespace {

constexpr int64_t kParallelPixels = 1000;

bool validBlock(const void* block, int32_t width, int32_t height) noexcept {
    return block && width > 0 && height > 0;
}

std::size_t pixelCount(int32_t width, int32_t height) noexcept {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

inline void premultiplyPixel32(uint8_t* px) noexcept {
    const uint32_t a = px[3];
    if (a == 0 || a == 255) return;
    for (int c = 0; c < 3; ++c) px[c] = static_cast<uint8_t>((px[c] + 1u) * a / 255u);
}

inline void unpremultiplyPixel32(uint8_t* px) noexcept {
    const uint32_t a = px[3];
    if (a == 0 || a == 255) return;
    // Alpha 254 is taken as opaque; its colours are scaled first so nothing shifts.
    for (int c = 0; c < 3; ++c) {
        const uint32_t v = px[c] * 255u / a;
        px[c] = static_cast<uint8_t>(v > 255u ? 255u : v);
    }
    if (a == 254) px[3] = 255;
}

inline void premultiplyPixel64(uint16_t* px) noexcept {
    const uint64_t a = px[3];
    if (a == 0) return;
    for (int c = 0; c < 3; ++c) px[c] = static_cast<uint16_t>(px[c] * a / 65535u);
}

inline void unpremultiplyPixel64(uint16_t* px) noexcept {
    const uint64_t a = px[3];
    if (a == 0) return;
    for (int c = 0; c < 3; ++c) {
        const uint64_t v = px[c] * uint64_t{65535} / a;
        px[c] = static_cast<uint16_t>(v > 65535u ? 65535u : v);
    }
}

// Both walks leave a null or empty block alone.
template <class T, void (*Pixel)(T*) noexcept>
void serialRows(T* block, int32_t width, int32_t height) noexcept {
    if (!validBlock(block, width, height)) return;
    const std::size_t count = pixelCount(width, height);
    for (std::size_t i = 0; i < count; ++i) Pixel(block + i * 4);
}

// Rows split across threads once the block passes 1000 pixels; each row is written
// by one iteration only.
template <class T, void (*Pixel)(T*) noexcept>
void parallelRows(T* block, int32_t width, int32_t height) noexcept {
    if (!validBlock(block, width, height)) return;
    const std::size_t rowElements = static_cast<std::size_t>(width) * 4;
    const bool parallel = static_cast<int64_t>(width) * height > kParallelPixels;
#pragma omp parallel for schedule(static) if (parallel)
    for (int32_t y = 0; y < height; ++y) {
        T* row = block + static_cast<std::size_t>(y) * rowElements;
        for (int32_t x = 0; x < width; ++x) Pixel(row + static_cast<std::size_t>(x) * 4);
    }
}

}  // namespace

void premultiplyRgba32(uint8_t* block, int32_t width, int32_t height) noexcept {
    serialRows<uint8_t, premultiplyPixel32>(block, width, height);
}

void unpremultiplyRgba32(uint8_t* block, int32_t width, int32_t height) noexcept {
    parallelRows<uint8_t, unpremultiplyPixel32>(block, width, height);
}

void premultiplyRgba64(uint16_t* block, int32_t width, int32_t height) noexcept {
    parallelRows<uint16_t, premultiplyPixel64>(block, width, height);
}

void unpremultiplyRgba64(uint16_t* block, int32_t width, int32_t height) noexcept {
    serialRows<uint16_t, unpremultiplyPixel64>(block, width, height);
}

}  // namespace dro
