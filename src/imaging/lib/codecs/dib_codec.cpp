#include "imaging/lib/codecs/dib_codec.h"

#include <algorithm>
#include <array>
#include <bit>

#include "imaging/lib/codecs/byte_reader.h"

namespace dro::codecs {
namespace {

constexpr uint32_t kMaxPaletteEntries = 1u << 16;

bool isOs2InfoHeader(uint32_t size) { return size >= 16 && size <= 64 && size != 40 && size != 52 && size != 56; }

bool validCombination(uint16_t bits, uint32_t compression) {
    switch (compression) {
    case kBiRgb: return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kBiRle8: return bits == 8;
    case kBiRle4: return bits == 4;
    case kBiBitfields:
    case kBiAlphaBitfields: return bits == 16 || bits == 32;
    default: return false;
    }
}

using Palette = std::array<uint8_t, 256 * 4>;

Palette readPalette(const DibFormat& f, ByteSpan info) {
    Palette pal{};
    for (size_t i = 0; i < 256; ++i) pal[i * 4 + 3] = 255;  // indices past the table: opaque black
    const uint32_t entrySize = f.core ? 3 : 4;
    const uint32_t n = std::min<uint32_t>(f.paletteEntries, 256);
    for (uint32_t i = 0; i < n; ++i) {
        const size_t at = f.paletteOffset + size_t{i} * entrySize;  // inside info: checked by the parser
        pal[i * 4 + 0] = info[at + 2];
        pal[i * 4 + 1] = info[at + 1];
        pal[i * 4 + 2] = info[at + 0];
    }
    return pal;
}

// One colour channel taken out of a packed pixel through its mask.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m) : mask(m) {
        if (m != 0) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    uint8_t operator()(uint32_t px) const { return mask ? scaleToByte((px & mask) >> shift, max) : 0; }
};

void putIndexed(uint8_t* dst, const Palette& pal, uint32_t index) {
    std::copy_n(&pal[(index & 0xFF) * 4], 4, dst);
}

// Run-length bits. The cursor walks rows in file order; what falls outside the picture
// is consumed and dropped.
void decodeRle(const DibFormat& f, const Palette& pal, ByteSpan bits, PixelImage& img) {
    const bool four = f.compression == kBiRle4;
    const int64_t w = f.width, h = f.height;
    int64_t x = 0, y = 0;  // y counts rows in file order
    auto put = [&](uint32_t index) {
        if (x < w && y < h) {
            const int64_t row = f.topDown ? y : h - 1 - y;
            putIndexed(&img.pixels[static_cast<size_t>((row * w + x) * 4)], pal, index);
        }
        ++x;
    };
    size_t p = 0;
    while (p + 1 < bits.size() && y < h) {
        const uint8_t count = bits[p], value = bits[p + 1];
        p += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (p + 1 >= bits.size()) break;
            x += bits[p];
            y += bits[p + 1];
            p += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const size_t bytes = four ? (value + 1u) / 2 : value;
            if (bits.size() - p < bytes) break;
            for (int i = 0; i < value; ++i)
                put(four ? ((i & 1) ? (bits[p + i / 2] & 0x0F) : (bits[p + i / 2] >> 4)) : bits[p + i]);
            p += (bytes + 1) & ~size_t{1};
        }
    }
}

}  // namespace

std::optional<DibFormat> parseDibFormat(ByteSpan info) {
    ByteReader r(info);
    DibFormat f;
    f.headerBytes = r.u32le();
    if (!r.ok()) return std::nullopt;
    int64_t height = 0;
    uint32_t colorsUsed = 0;
    if (f.headerBytes == 12) {
        f.core = true;
        f.width = r.u16le();
        height = r.i16le();
        r.u16le();
        f.bitCount = r.u16le();
    } else if (f.headerBytes == 40 || f.headerBytes == 52 || f.headerBytes == 56 || f.headerBytes == 108 ||
               f.headerBytes == 124 || isOs2InfoHeader(f.headerBytes)) {
        if (info.size() < f.headerBytes) return std::nullopt;
        f.width = r.i32le();
        height = r.i32le();
        r.u16le();
        f.bitCount = r.u16le();
        if (f.headerBytes >= 20) f.compression = r.u32le();
        if (f.headerBytes >= 24) r.u32le();
        if (f.headerBytes >= 28) f.xPelsPerMeter = r.i32le();
        if (f.headerBytes >= 32) f.yPelsPerMeter = r.i32le();
        if (f.headerBytes >= 36) colorsUsed = r.u32le();
        // OS/2 2.x numbers its compressions differently: 3 is Huffman, 4 is RLE24.
        if (isOs2InfoHeader(f.headerBytes) && f.compression > kBiRle4) return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (!r.ok() || f.width <= 0 || height == 0 || height == INT32_MIN) return std::nullopt;
    f.topDown = height < 0;
    f.height = static_cast<int32_t>(height < 0 ? -height : height);
    if (!validCombination(f.bitCount, f.compression)) return std::nullopt;
    if (f.topDown && (f.compression == kBiRle4 || f.compression == kBiRle8)) return std::nullopt;
    if (!checkedImageBytes(f.width, f.height, 4)) return std::nullopt;

    f.paletteOffset = f.headerBytes;
    if (f.compression == kBiBitfields || f.compression == kBiAlphaBitfields) {
        const int maskCount = f.compression == kBiAlphaBitfields ? 4 : 3;
        size_t at = 40;
        if (f.headerBytes == 40) f.paletteOffset += static_cast<uint32_t>(maskCount * 4);
        else if (f.headerBytes < 52) return std::nullopt;
        r.seek(at);
        for (int i = 0; i < maskCount; ++i) f.masks[i] = r.u32le();
        if (f.headerBytes >= 56 && maskCount == 3) f.masks[3] = r.u32le();
        if (!r.ok()) return std::nullopt;
    } else if (f.bitCount == 16) {
        f.masks[0] = 0x7C00;
        f.masks[1] = 0x03E0;
        f.masks[2] = 0x001F;
    } else if (f.bitCount == 32) {
        f.masks[0] = 0x00FF0000;
        f.masks[1] = 0x0000FF00;
        f.masks[2] = 0x000000FF;
        f.masks[3] = 0xFF000000;
    }

    if (f.bitCount <= 8) f.paletteEntries = colorsUsed == 0 ? (1u << f.bitCount) : colorsUsed;
    else f.paletteEntries = colorsUsed;
    if (f.paletteEntries > kMaxPaletteEntries) return std::nullopt;
    f.infoBytes = uint64_t{f.paletteOffset} + uint64_t{f.paletteEntries} * (f.core ? 3 : 4);
    if (f.bitCount <= 8 && f.infoBytes > info.size()) return std::nullopt;
    return f;
}

std::optional<PixelImage> decodeDibBits(const DibFormat& f, ByteSpan info, ByteSpan bits, DibAlpha alpha) {
    if (!checkedImageBytes(f.width, f.height, 4)) return std::nullopt;
    if (f.bitCount <= 8 && f.infoBytes > info.size()) return std::nullopt;
    const bool rle = f.compression == kBiRle4 || f.compression == kBiRle8;
    const uint64_t stride = f.rowBytes();
    if (rle) {
        if (!plausibleExpansion(uint64_t(f.width) * uint64_t(f.height), bits.size(), 512)) return std::nullopt;
    } else if (stride * uint64_t(f.height) > bits.size()) {
        return std::nullopt;
    }

    PixelImage img = PixelImage::filled(f.width, f.height, 4, 0);
    const Palette pal = f.bitCount <= 8 ? readPalette(f, info) : Palette{};
    if (rle) {
        decodeRle(f, pal, bits, img);
        return img;
    }

    const Channel red(f.masks[0]), green(f.masks[1]), blue(f.masks[2]);
    const Channel alphaChannel(alpha == DibAlpha::FromData ? f.masks[3] : 0);
    bool anyAlpha = false;
    const size_t w = static_cast<size_t>(f.width);
    for (size_t y = 0; y < static_cast<size_t>(f.height); ++y) {
        const size_t fileRow = f.topDown ? y : static_cast<size_t>(f.height) - 1 - y;
        const uint8_t* src = bits.data() + fileRow * stride;
        uint8_t* dst = &img.pixels[y * w * 4];
        switch (f.bitCount) {
        case 1:
        case 2:
        case 4:
        case 8: {
            const unsigned bpp = f.bitCount, perByte = 8 / bpp, mask = (1u << bpp) - 1;
            for (size_t x = 0; x < w; ++x) {
                const unsigned shift = 8 - bpp * (1 + static_cast<unsigned>(x % perByte));
                putIndexed(dst + x * 4, pal, (src[x / perByte] >> shift) & mask);
            }
            break;
        }
        case 24:
            for (size_t x = 0; x < w; ++x) {
                dst[x * 4 + 0] = src[x * 3 + 2];
                dst[x * 4 + 1] = src[x * 3 + 1];
                dst[x * 4 + 2] = src[x * 3 + 0];
                dst[x * 4 + 3] = 255;
            }
            break;
        default: {  // 16 and 32 bits through masks
            const bool wide = f.bitCount == 32;
            for (size_t x = 0; x < w; ++x) {
                const uint8_t* s = src + x * (wide ? 4 : 2);
                const uint32_t px = wide ? (uint32_t(s[0]) | uint32_t(s[1]) << 8 | uint32_t(s[2]) << 16 |
                                            uint32_t(s[3]) << 24)
                                         : (uint32_t(s[0]) | uint32_t(s[1]) << 8);
                dst[x * 4 + 0] = red(px);
                dst[x * 4 + 1] = green(px);
                dst[x * 4 + 2] = blue(px);
                dst[x * 4 + 3] = alphaChannel(px);
                anyAlpha |= dst[x * 4 + 3] != 0;
            }
            break;
        }
        }
    }
    // An alpha channel that is zero everywhere is an unused one, not an invisible picture.
    if ((f.bitCount == 16 || f.bitCount == 32) && !anyAlpha)
        for (size_t i = 3; i < img.pixels.size(); i += 4) img.pixels[i] = 255;
    return img;
}

std::optional<PixelImage> decodeDib(ByteSpan dibBytes) {
    const auto f = parseDibFormat(dibBytes);
    if (!f || f->infoBytes > dibBytes.size()) return std::nullopt;
    return decodeDibBits(*f, dibBytes, dibBytes.subspan(static_cast<size_t>(f->infoBytes)), DibAlpha::FromData);
}

}  // namespace dro::codecs
