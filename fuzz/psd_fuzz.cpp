// Psd bytes from anywhere: decoding gives nothing or a picture of the size it reports,
// and never reads outside the bytes.
#include <cstddef>
#include <cstdint>

#include "imaging/lib/codecs/psd_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const dro::codecs::ByteSpan bytes(data, size);
    if (const auto img = dro::codecs::decodePsd(bytes)) {
        if (img->pixels.size() != size_t(img->width) * size_t(img->height) * 4) __builtin_trap();
    }
    (void)dro::codecs::readPsdInfo(bytes);
    return 0;
}
