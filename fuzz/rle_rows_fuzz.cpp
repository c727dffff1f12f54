// Row codes from a host document: decoding must write exactly the requested count and
// never read past the code.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/row_codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int32_t count = 1 + ((data[0] | (data[1] << 8)) % 4096);
    const uint8_t* code = data + 2;
    const size_t codeBytes = size - 2;

    std::vector<uint16_t> pixels(static_cast<size_t>(count) * 4);
    dro::decodeRGBA32Row(code, codeBytes, pixels.data(), count);
    std::vector<uint16_t> values(static_cast<size_t>(count));
    dro::decodeG8Row(code, codeBytes, values.data(), count);

    // What decodes re-encodes within the worst-case size.
    std::vector<uint8_t> again(static_cast<size_t>(count) * 5);
    dro::encodeRGBA64Row(pixels.data(), again.data(), count);
    dro::encodeG16Row(values.data(), again.data(), count);
    return 0;
}
