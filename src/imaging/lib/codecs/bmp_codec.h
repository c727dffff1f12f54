// Windows bitmaps: every header generation and depth read, 24- and 32-bit written,
// whole or one row at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "imaging/lib/codecs/codec_types.h"
#include "imaging/lib/codecs/dib_codec.h"

namespace dro::codecs {

// 1/2/4/8-bit palette, RLE4/RLE8, 16/32-bit with masks (alpha masks of V4/V5 headers),
// 24-bit, top-down and OS/2 core headers. 32-bit alpha is used when any pixel's alpha
// is non-zero, else the picture is opaque.
std::optional<PixelImage> decodeBmp(ByteSpan bytes);

// Size and {x pixels per metre, y pixels per metre, unit 2}.
std::optional<ImageInfo> readBmpInfo(ByteSpan bytes);

// bitsPerPixel 24 (alpha dropped) or 32 (channels 3 get alpha 255): rows padded to four
// bytes, bottom row first; resolution.x and .y (pixels per metre) become
// biXPelsPerMeter and biYPelsPerMeter.
bool writeBmp(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
              int32_t bitsPerPixel, Resolution resolution);

// The same file, one row at a time, bottom row first; nothing but one row is held.
std::unique_ptr<RowWriter> startBmpRows(FileDest dest, int32_t width, int32_t height, int32_t channels,
                                        int32_t bitsPerPixel, Resolution resolution);

}  // namespace dro::codecs
