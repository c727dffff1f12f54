// Camera raw files from outside: LibRaw behind our size checks must never crash or read
// past the bytes, and what decodes must be self-consistent RGB24.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/lib/codecs/raw_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const auto image = dro::codecs::decodeRaw(dro::codecs::ByteSpan(data, size))) {
        if (image->channels != 3 ||
            image->pixels.size() != size_t(image->width) * size_t(image->height) * 3) {
            std::abort();
        }
    }
    return 0;
}
