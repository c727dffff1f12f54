// Truevision TGA: colour-mapped, true-colour and grey pictures, plain or run-length,
// read; 24- and 32-bit uncompressed written with the top-left origin.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

// Types 1, 2, 3, 9, 10, 11; 8/15/16/24/32-bit pixels and colour maps of 15/16/24/32
// bits; all four origins. Alpha: 32-bit pixels (and 16-bit ones with an attribute bit)
// carry it when the descriptor names attribute bits, or, when it names none, as soon as
// any pixel's alpha is non-zero.
std::optional<PixelImage> decodeTga(ByteSpan bytes);

// Size; TGA holds no resolution (unit 0).
std::optional<ImageInfo> readTgaInfo(ByteSpan bytes);

// bitsPerPixel 32 (BGRA, 8 attribute bits) or 24 (BGR), uncompressed, top-left origin.
bool writeTga(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
              int32_t bitsPerPixel);

// The same file one row at a time, top row first.
std::unique_ptr<RowWriter> startTgaRows(FileDest dest, int32_t width, int32_t height, int32_t channels,
                                        int32_t bitsPerPixel);

}  // namespace dro::codecs
