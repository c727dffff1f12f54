// The view of an 8-bit pixel block that the artistic filters of our imaging library
// share: argument checks done once, edge-clamped reads, and the grey plane.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace dro {

struct PixelBlock {
    const uint8_t* pixels = nullptr;
    int32_t width = 0, height = 0, bytesPerPixel = 0, stride = 0;

    // 3 or 4 bytes per pixel, a positive size and a stride that holds a row.
    bool valid() const noexcept {
        return pixels && width > 0 && height > 0 && (bytesPerPixel == 3 || bytesPerPixel == 4) &&
               stride >= width * bytesPerPixel;
    }
    size_t offset(int32_t x, int32_t y) const noexcept {
        return static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(x) * static_cast<size_t>(bytesPerPixel);
    }
    const uint8_t* at(int32_t x, int32_t y) const noexcept { return pixels + offset(x, y); }
    // Coordinates outside the block read the nearest edge pixel.
    const uint8_t* clamped(int32_t x, int32_t y) const noexcept {
        return at(std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1));
    }
    size_t pixelCount() const noexcept { return static_cast<size_t>(width) * static_cast<size_t>(height); }
    // Copies the block into a destination of the same layout.
    void copyTo(uint8_t* destination) const noexcept;
    // (77 R + 150 G + 29 B + 128) >> 8 per pixel, width × height bytes without padding.
    std::vector<uint8_t> grey() const;
};

inline uint8_t clampByte(double v) noexcept { return static_cast<uint8_t>(std::clamp(v + 0.5, 0.0, 255.0)); }

}  // namespace dro
