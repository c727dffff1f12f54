// GIF through giflib: the first frame composed onto its logical screen, and 8-bit
// indexed pictures written with an optional transparent index.
#pragma once

#include <cstdint>
#include <optional>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

// RGBA32 of the logical screen (widened to hold the frame when the frame overhangs it):
// transparent outside the first frame and at its transparent index. Later frames are
// not read.
std::optional<PixelImage> decodeGif(ByteSpan bytes);

// Size of the logical screen; GIF has no resolution (unit 0).
std::optional<ImageInfo> readGifInfo(ByteSpan bytes);

// One frame of width x height indices (packed rows, top first) with a palette of
// `colours` RGB entries (1..256) read from paletteRgb. transparentIndex -1 means none.
// False when an index or the transparent index lies outside the palette.
bool writeGif8(FileDest dest, const uint8_t* indices, int32_t width, int32_t height, const uint8_t* paletteRgb,
               int32_t colours, int32_t transparentIndex);

}  // namespace dro::codecs
