// TIFF through libtiff: the first directory decoded to RGBA32 (strips or tiles; 1 to 16
// bits; grey, palette, RGB, RGBA, CMYK; the common compressions), RGB24 or RGBA32
// written with the resolution, uncompressed or LZW.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

// 16-bit samples keep their high byte; associated alpha is divided out, so the result
// is always straight RGBA. Orientations other than top-left and exotic photometrics
// go through libtiff's own RGBA conversion.
std::optional<PixelImage> decodeTiff(ByteSpan bytes);

// Size and {XResolution, YResolution, ResolutionUnit: 1 none, 2 inch, 3 cm}; a zero
// resolution with unit 0 when the file has no XResolution.
std::optional<ImageInfo> readTiffInfo(ByteSpan bytes);

enum class TiffCompression { None, Lzw };

// channels 3 = RGB, 4 = RGBA with an unassociated alpha extra sample. A resolution with
// x and y above zero is written with its unit: 2 inch, 3 cm, anything else none.
bool writeTiff(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
               TiffCompression compression, Resolution resolution);

// The same file written row by row (top row first) in strips; the directory is written
// by finish().
std::unique_ptr<RowWriter> startTiffRows(FileDest dest, int32_t width, int32_t height, int32_t channels,
                                         TiffCompression compression, Resolution resolution);

}  // namespace dro::codecs
