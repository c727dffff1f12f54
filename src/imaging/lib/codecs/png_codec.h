// PNG through libpng: every colour type and depth decoded to RGBA32, 8-bit RGB24 or
// RGBA32 written with the resolution as a pHYs chunk.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

// Palette, grey, grey + alpha, RGB and RGBA at every legal depth, with tRNS and
// interlacing; 16-bit samples keep their high byte.
std::optional<PixelImage> decodePng(ByteSpan bytes);

// Size and pHYs: {pixels per metre, unit 1}, or unit 0 when the file names no unit
// (and a zero resolution when there is no pHYs).
std::optional<ImageInfo> readPngInfo(ByteSpan bytes);
bool readPngDims(ByteSpan bytes, int32_t& width, int32_t& height);

// Colour type 2 (channels 3) or 6 (channels 4), 8 bits, packed rows top first. A
// resolution with x and y above zero becomes pHYs (rounded), per metre for unit 1.
bool writePng(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
              Resolution resolution);

// The same file written one row at a time, top row first.
std::unique_ptr<RowWriter> startPngRows(FileDest dest, int32_t width, int32_t height, int32_t channels,
                                        Resolution resolution);

}  // namespace dro::codecs
