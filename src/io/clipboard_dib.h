// Images as the clipboard carries them: a packed DIB of 32-bit pixels (BGRA, bottom row
// first) behind a 40-byte BITMAPINFOHEADER, so that alpha survives a round trip.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::io {

// width x height RGBA32, packed rows top first. Empty for an empty or oversized image.
std::vector<uint8_t> encodeClipboardDib(const uint8_t* rgba, int32_t width, int32_t height);

// Any packed DIB the clipboard may hold, as RGBA32 (opaque where the DIB has no alpha,
// and when every alpha byte of a 32-bit DIB is zero, as other programs write them).
// Untrusted bytes: the DIB decoder's limits hold.
std::optional<codecs::PixelImage> decodeClipboardDib(codecs::ByteSpan dib);

}  // namespace dro::io
