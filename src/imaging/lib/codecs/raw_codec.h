// Camera raw files through LibRaw: demosaiced at full size with the camera's white
// balance, in sRGB, 8 bits per channel.
#pragma once

#include <optional>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

// RGB24 (channels 3), rotated as the camera recorded; nullopt for anything LibRaw does
// not take or for sensor sizes beyond our limits.
std::optional<PixelImage> decodeRaw(ByteSpan bytes);

}  // namespace dro::codecs
