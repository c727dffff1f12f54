// Row codes from a host document: decoding must write exactly the requested count and
// never read past the code. The put-line exports take codes with no length: given a
// code that ends in a run of 0, they must stop there.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/row_codecs.h"
#include "drovane.h"

namespace {

constexpr int32_t kCanvasWidth = 300;

// One small canvas for the whole run, with a background layer and the mask.
void openCanvasOnce() {
    static const bool opened = [] {
        DRO_CreateImage(nullptr, kCanvasWidth, 2, 16, 0);
        DRO_CreateLayer(1, kCanvasWidth, 2);
        DRO_SetLayer(1);
        return true;
    }();
    (void)opened;
}

}  // namespace

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

    // The code as a host block closed by one empty record of each kind; whatever the
    // runs say, nothing past the block is read.
    openCanvasOnce();
    std::vector<uint8_t> block(code, code + codeBytes);
    block.insert(block.end(), 5, 0);
    const int32_t row = data[0] & 1;
    DRO_PutRGBA32LayerLineRLE(block.data(), 1, row);
    DRO_PutMaskLineRLE(block.data(), row);
    DRO_RLEUncompressRGBA32ToRGBA64(block.data(), pixels.data(), count);
    DRO_RLEUncompressG8ToG16(block.data(), values.data(), count);
    return 0;
}
