// Tone curves of our imaging library: look-up tables applied per channel, the
// brightness histogram, and the table builders of the tone effects.
#pragma once

#include <array>
#include <cstdint>

namespace dro {

using ToneTable = std::array<uint8_t, 256>;

// Applies one table per channel of an RGBA32 block (bytes 0..3); a null table leaves
// that channel as it is.
void IS40_ApplyLUTsToImage(uint8_t* block, int32_t width, int32_t height, int32_t stride, const ToneTable* red,
                           const ToneTable* green, const ToneTable* blue, const ToneTable* alpha) noexcept;

// Counts of the grey level (77 R + 150 G + 29 B + 128) >> 8 over an RGBA32 block.
std::array<uint32_t, 256> is5_GetBrightnessHistogram(const uint8_t* block, int32_t width, int32_t height,
                                                     int32_t stride) noexcept;

// The levels input table: 0 below black, 255 from white up, between them two straight
// ramps that meet at 127 half way. black ≥ white − 1 (no room for a ramp) gives a step
// at black; white < black is read as the two swapped.
ToneTable levelsInputTable(int32_t black, int32_t white) noexcept;
// The levels output table: entry i = lo + i × (hi − lo) ÷ 255 truncated toward zero, so
// hi < lo is an inverted ramp.
ToneTable levelsOutputTable(int32_t lo, int32_t hi) noexcept;

// (c − 128) × k + 128 + brightness × 255 with k = 1 + contrast below 0 and
// 1 ÷ (1 − 0.99 contrast) above; brightness and contrast −1..1, rounded and clamped.
ToneTable brightnessContrastTable(double brightness, double contrast) noexcept;
// 255 × (c ÷ 255)^(1 ÷ gamma), rounded.
ToneTable gammaTable(double gamma) noexcept;
// The histogram's cumulative share spread over 0..255 (equalisation); an empty
// histogram gives the identity.
ToneTable equalizeTable(const std::array<uint32_t, 256>& counts) noexcept;
// The used range of the histogram stretched to 0..255; a single level is kept.
ToneTable stretchTable(const std::array<uint32_t, 256>& counts) noexcept;

}  // namespace dro
