// Device-independent bitmaps: the header, colour table and pixel bits that BMP files,
// metafile raster records and the clipboard all carry. One decoder serves them all.
#pragma once

#include <cstdint>
#include <optional>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

inline constexpr uint32_t kBiRgb = 0;
inline constexpr uint32_t kBiRle8 = 1;
inline constexpr uint32_t kBiRle4 = 2;
inline constexpr uint32_t kBiBitfields = 3;
inline constexpr uint32_t kBiAlphaBitfields = 6;

// What the header says about the bits.
struct DibFormat {
    int32_t width = 0;
    int32_t height = 0;  // always positive; topDown says where row 0 is
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t compression = kBiRgb;
    uint32_t masks[4] = {};  // red, green, blue, alpha, for 16 and 32 bits
    bool core = false;       // OS/2 core header: 3-byte colour table entries
    uint32_t headerBytes = 0;
    uint32_t paletteOffset = 0;  // from the header's start
    uint32_t paletteEntries = 0;
    uint64_t infoBytes = 0;  // header, masks and colour table: where packed bits start
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;

    uint64_t rowBytes() const noexcept {
        return ((uint64_t(uint32_t(width)) * bitCount + 31) / 32) * 4;
    }
};

// Parses the header at the start of `info` (12-byte core, OS/2 2.x, 40, 52, 56, 108 or
// 124 bytes). The colour table must lie within `info`.
std::optional<DibFormat> parseDibFormat(ByteSpan info);

// How the fourth byte of 32-bit pixels (or an alpha mask) is treated.
enum class DibAlpha {
    FromData,  // used when any pixel's alpha is non-zero, else the picture is opaque
    Ignore,    // opaque, as a raster operation on a device context treats it
};

// Decodes the bits as RGBA32, top row first. Pixels that run-length data skips (delta,
// end of line, end of bitmap) stay transparent black.
std::optional<PixelImage> decodeDibBits(const DibFormat& format, ByteSpan info, ByteSpan bits,
                                        DibAlpha alpha);

// A packed DIB (header, masks, colour table, bits), as the clipboard holds it.
std::optional<PixelImage> decodeDib(ByteSpan dibBytes);

}  // namespace dro::codecs
