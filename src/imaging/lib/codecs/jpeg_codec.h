// JPEG through libjpeg-turbo: grey, RGB/YCbCr, CMYK and YCCK, baseline and progressive
// decoded to RGBA32; RGB24 (or RGBA32 with alpha dropped) written with a quality and
// a JFIF density.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

// Alpha is 255. Adobe CMYK (stored inverted) converts as R = C * K / 255, which is
// what ImageMagick shows for such files.
std::optional<PixelImage> decodeJpeg(ByteSpan bytes);

// Size and the JFIF density: {density, JFIF unit: 0 aspect only, 1 per inch, 2 per cm};
// a zero resolution when the file has no JFIF marker.
std::optional<ImageInfo> readJpegInfo(ByteSpan bytes);

// quality 1..100 (out-of-range values are clamped), channels 3 or 4 (alpha ignored).
// A resolution with x and y above zero becomes the JFIF density with its unit
// (1 = per inch); otherwise the JFIF header carries no density.
bool writeJpeg(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
               int32_t quality, Resolution resolution);

// Row by row, top row first, with full-resolution chroma (4:4:4) and the accurate
// integer DCT, as the page writer asks.
std::unique_ptr<RowWriter> startJpegRows(FileDest dest, int32_t width, int32_t height, int32_t channels,
                                         int32_t quality, Resolution resolution);

}  // namespace dro::codecs
