// Rank and mean filters of our imaging library over a (2r + 1)² window, on 8-bit blocks
// of 1, 3 or 4 bytes per pixel (each channel on its own). Windows at the edges extend the
// edge pixels. Source and destination must not overlap.
#pragma once

#include <cstdint>

namespace dro {

enum class RankKind : uint8_t { median, maximum, minimum, midpoint, arithmeticMean, geometricMean, harmonicMean };

// Median: the middle value of the window, found with a running histogram per channel
// (cost grows with r, not r²). Maximum, minimum and midpoint ((max + min + 1) ÷ 2): two
// separable passes. The means: arithmetic, geometric (of c + 1, minus 1) and harmonic
// (of c + 1, minus 1), rounded.
bool rankFilter(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                uint8_t* destination, int32_t radius, RankKind kind) noexcept;

}  // namespace dro
