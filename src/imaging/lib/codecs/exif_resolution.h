// The resolution in an EXIF block (a little TIFF file of its own), for formats such as
// WebP whose only place for a dpi is their EXIF chunk. Units are EXIF's: 2 inch, 3 cm.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

// An EXIF block holding just XResolution, YResolution and ResolutionUnit.
std::vector<uint8_t> exifWithResolution(Resolution resolution);

// The resolution named by the first directory of an EXIF block; nullopt when it has none
// or the block is damaged.
std::optional<Resolution> resolutionFromExif(ByteSpan exif);

}  // namespace dro::codecs
