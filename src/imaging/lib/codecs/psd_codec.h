// Photoshop documents: the merged picture read, 24-bit RGB written.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

// The merged image of an 8- or 16-bit RGB, greyscale, duotone or indexed document, raw
// or PackBits. A channel after the colour channels is taken as alpha when the document
// marks it as transparency (a negative layer count, or an alpha channel named "alpha"
// or "transparency"), not when its first alpha channel has any other name, and when
// the document says nothing about it.
std::optional<PixelImage> decodePsd(ByteSpan bytes);

// Size and the ResolutionInfo resource: {pixels per inch, unit 2}, or {pixels per cm,
// unit 3} when the document shows centimetres; unit 0 without the resource.
std::optional<ImageInfo> readPsdInfo(ByteSpan bytes);

// Three 8-bit channels, raw or PackBits. A resolution above zero adds ResolutionInfo:
// unit 3 means pixels per centimetre, any other unit pixels per inch.
bool writePsd(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
              bool packBits, Resolution resolution);

// PackBits of one row, appended to out (exposed for tests).
void packBitsRow(const uint8_t* row, size_t n, std::vector<uint8_t>& out);

}  // namespace dro::codecs
