// Recognising an image file by its first bytes.
#pragma once

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

// The type the bytes announce. TGA has no signature: it is recognised last, by a
// header whose fields all hold legal values.
FileType guessFileType(ByteSpan bytes) noexcept;

}  // namespace dro::codecs
