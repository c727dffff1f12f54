// ZSoft PCX: 1-bit mono, 16-colour, 256-colour and 24-bit (three planes) pictures read,
// run-length or plain; 24-bit written.
#pragma once

#include <cstdint>
#include <optional>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

// 1 bit x 1..4 planes and 2/4 bits x 1 plane (header palette; 1 bit x 1 plane is black
// and white), 8 bits x 1 plane (the 256-colour palette at the end of the file, or grey
// without it), 8 bits x 3 or 4 planes (RGB, RGBA). Rows padded to bytes-per-line.
std::optional<PixelImage> decodePcx(ByteSpan bytes);

// Size and the header's dots per inch as {x, y, unit 0}: PCX resolutions are nominal.
std::optional<ImageInfo> readPcxInfo(ByteSpan bytes);

// Version 5, run-length, three 8-bit planes; the alpha of channels 4 is dropped.
// dpi goes into the header's resolution fields (72 when outside 1..65535).
bool writePcx(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
              int32_t dpi = 72);

}  // namespace dro::codecs
