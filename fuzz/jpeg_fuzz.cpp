// JPEG files from outside: decoding and the cheap info read must never crash, hang or
// read past the bytes, and what decodes must be self-consistent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/lib/codecs/jpeg_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const dro::codecs::ByteSpan bytes(data, size);
    if (const auto image = dro::codecs::decodeJpeg(bytes)) {
        if (image->pixels.size() != size_t(image->width) * size_t(image->height) * size_t(image->channels)) std::abort();
    }
    (void)dro::codecs::readJpegInfo(bytes);
    return 0;
}
