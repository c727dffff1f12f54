// Camera raw files through LibRaw: demosaiced at full size with the camera's white
// balance, in sRGB, 8 bits per channel.
#pragma once

#include <optional>

#include "imaging/lib/codecs/codec_types.h"
#include "platform/isolated_call.h"

namespace dro::codecs {

// RGB24 (channels 3), rotated as the camera recorded; nullopt for anything LibRaw does
// not take or for sensor sizes beyond our limits. LibRaw parses in a process of its own,
// so a parser fault fails the file, not the host.
std::optional<PixelImage> decodeRaw(ByteSpan bytes);

// The decode as that process runs it; the worker program lists it by name.
extern const platform::IsolatedJob kCameraRawJob;

}  // namespace dro::codecs
