#include "io/clipboard_dib.h"

#include <cstring>

#include "imaging/lib/codecs/dib_codec.h"

namespace dro::io {
namespace {

constexpr uint32_t kInfoHeaderBytes = 40;

void putU16(uint8_t* p, uint16_t v) noexcept {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void putU32(uint8_t* p, uint32_t v) noexcept {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<uint8_t> encodeClipboardDib(const uint8_t* rgba, int32_t width, int32_t height) {
    const auto bits = codecs::checkedImageBytes(width, height, 4);
    if (!rgba || !bits) return {};
    std::vector<uint8_t> dib(kInfoHeaderBytes + *bits, 0);
    uint8_t* h = dib.data();
    putU32(h, kInfoHeaderBytes);
    putU32(h + 4, static_cast<uint32_t>(width));
    putU32(h + 8, static_cast<uint32_t>(height));  // positive: bottom row first
    putU16(h + 12, 1);
    putU16(h + 14, 32);
    putU32(h + 16, codecs::kBiRgb);
    putU32(h + 20, static_cast<uint32_t>(*bits));
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = rgba + static_cast<size_t>(y) * rowBytes;
        uint8_t* out = h + kInfoHeaderBytes + static_cast<size_t>(height - 1 - y) * rowBytes;
        for (int32_t x = 0; x < width; ++x, in += 4, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = in[3];
        }
    }
    return dib;
}

std::optional<codecs::PixelImage> decodeClipboardDib(codecs::ByteSpan dib) { return codecs::decodeDib(dib); }

}  // namespace dro::io
