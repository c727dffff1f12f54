// WebP through libwebp: lossy, lossless and alpha decoded to RGBA32 (the first frame of
// an animation, composed on its canvas); lossless (bit-exact) or lossy written.
#pragma once

#include <cstdint>
#include <optional>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

std::optional<PixelImage> decodeWebp(ByteSpan bytes);

// Canvas size; WebP carries no resolution (unit 0).
std::optional<ImageInfo> readWebpInfo(ByteSpan bytes);

struct WebpOptions {
    bool lossless = true;
    // Lossy: 0..100 picture quality. Lossless: 0..100 effort (bigger is smaller and slower).
    float quality = 75.0f;
    // Stored in an EXIF chunk when x > 0 (units as EXIF's: 2 inch, 3 cm).
    Resolution resolution;
};

// Lossless keeps every RGBA byte, including the colour under transparent pixels.
bool writeWebp(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
               WebpOptions options);

}  // namespace dro::codecs
