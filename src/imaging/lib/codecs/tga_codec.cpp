#include "imaging/lib/codecs/tga_codec.h"

#include <algorithm>
#include <vector>

#include "imaging/lib/codecs/bgr_row_writer.h"
#include "imaging/lib/codecs/byte_reader.h"

namespace dro::codecs {
namespace {

constexpr size_t kHeaderBytes = 18;

struct TgaHeader {
    uint8_t idLength = 0, mapType = 0, type = 0;
    uint16_t mapFirst = 0, mapLength = 0;
    uint8_t mapBits = 0;
    uint16_t width = 0, height = 0;
    uint8_t depth = 0, descriptor = 0;

    int base() const { return type & 7; }  // 1 mapped, 2 true colour, 3 grey
    bool rle() const { return type & 8; }
    int attributeBits() const { return descriptor & 0x0F; }
};

bool validDepth(int bits) { return bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32; }

std::optional<TgaHeader> parseHeader(ByteSpan bytes) {
    ByteReader r(bytes);
    TgaHeader h;
    h.idLength = r.u8();
    h.mapType = r.u8();
    h.type = r.u8();
    h.mapFirst = r.u16le();
    h.mapLength = r.u16le();
    h.mapBits = r.u8();
    r.u16le();
    r.u16le();
    h.width = r.u16le();
    h.height = r.u16le();
    h.depth = r.u8();
    h.descriptor = r.u8();
    if (!r.ok() || h.width == 0 || h.height == 0 || h.mapType > 1) return std::nullopt;
    if (h.type != 1 && h.type != 2 && h.type != 3 && h.type != 9 && h.type != 10 && h.type != 11) return std::nullopt;
    if (h.mapType == 1 && (h.mapLength == 0 || !validDepth(h.mapBits) || h.mapBits == 8)) return std::nullopt;
    switch (h.base()) {
    case 1:
        if (h.mapType != 1 || (h.depth != 8 && h.depth != 16)) return std::nullopt;
        break;
    case 2:
        if (h.depth != 15 && h.depth != 16 && h.depth != 24 && h.depth != 32) return std::nullopt;
        break;
    default:
        if (h.depth != 8 && h.depth != 16) return std::nullopt;
        break;
    }
    return h;
}

// Converts one stored colour (15/16/24/32 bits, little-endian BGR[A]) to RGBA.
// `alphaBit` says whether bit 15 of a 16-bit colour is alpha.
void colourToRgba(const uint8_t* p, int bits, bool alphaBit, uint8_t* out) {
    if (bits <= 16) {
        const uint32_t v = p[0] | (uint32_t(p[1]) << 8);
        out[0] = scaleToByte((v >> 10) & 31, 31);
        out[1] = scaleToByte((v >> 5) & 31, 31);
        out[2] = scaleToByte(v & 31, 31);
        out[3] = (alphaBit && bits == 16) ? ((v & 0x8000) ? 255 : 0) : 255;
    } else {
        out[0] = p[2];
        out[1] = p[1];
        out[2] = p[0];
        out[3] = bits == 32 ? p[3] : 255;
    }
}

class TgaRowWriter final : public BgrRowWriter {
public:
    using BgrRowWriter::BgrRowWriter;

    bool start() {
        std::vector<uint8_t> h;
        putU8(h, 0);
        putU8(h, 0);
        putU8(h, 2);
        h.resize(h.size() + 5 + 4, 0);  // no colour map, origin 0,0
        putU16LE(h, static_cast<uint32_t>(width_));
        putU16LE(h, static_cast<uint32_t>(height_));
        putU8(h, static_cast<uint32_t>(bits_));
        putU8(h, 0x20 | (bits_ == 32 ? 8 : 0));  // top-left origin, attribute bits
        return startRows(h, static_cast<size_t>(width_) * static_cast<size_t>(bits_ / 8));
    }

    bool finish() override {
        if (!allRowsWritten()) return false;
        // The version 2 footer, without extension or developer areas.
        static const char kSignature[] = "TRUEVISION-XFILE.";
        std::vector<uint8_t> footer(8, 0);
        footer.insert(footer.end(), kSignature, kSignature + sizeof kSignature);
        return writeBytes(dest_, footer) && finishWrites(dest_);
    }
};

}  // namespace

std::optional<PixelImage> decodeTga(ByteSpan bytes) {
    const auto hdr = parseHeader(bytes);
    if (!hdr || !checkedImageBytes(hdr->width, hdr->height, 4)) return std::nullopt;
    const TgaHeader& h = *hdr;

    ByteReader r(bytes, kHeaderBytes);
    r.skip(h.idLength);
    const size_t mapEntryBytes = (h.mapBits + 7u) / 8u;
    const ByteSpan map = h.mapType == 1 ? r.take(uint64_t{h.mapLength} * mapEntryBytes) : ByteSpan{};
    if (!r.ok()) return std::nullopt;
    const ByteSpan data = bytes.subspan(r.pos());

    const size_t pixelBytes = (h.depth + 7u) / 8u;
    const uint64_t count = uint64_t{h.width} * h.height;
    if (h.rle() ? !plausibleExpansion(count, data.size(), 64) : count * pixelBytes > data.size())
        return std::nullopt;

    // When the descriptor names no attribute bits, a 32-bit alpha byte still counts if
    // any pixel uses it; otherwise it is opaque filler.
    const bool alphaDeclared = h.attributeBits() > 0;
    bool anyAlpha = false;
    auto toRgba = [&](const uint8_t* p, uint8_t* out) {
        if (h.base() == 1) {
            const uint32_t index = pixelBytes == 1 ? p[0] : (p[0] | (uint32_t(p[1]) << 8));
            if (index < h.mapFirst || index - h.mapFirst >= h.mapLength) {
                out[0] = out[1] = out[2] = 0;
                out[3] = 255;
            } else {
                colourToRgba(&map[(index - h.mapFirst) * mapEntryBytes], h.mapBits, alphaDeclared, out);
            }
        } else if (h.base() == 2) {
            colourToRgba(p, h.depth, alphaDeclared, out);
        } else {
            out[0] = out[1] = out[2] = p[0];
            out[3] = h.depth == 16 ? p[1] : 255;
        }
        anyAlpha |= out[3] != 0;
    };

    PixelImage img = PixelImage::filled(h.width, h.height, 4, 0);
    const bool rightToLeft = h.descriptor & 0x10, topDown = h.descriptor & 0x20;
    auto place = [&](uint64_t i) {
        const size_t fx = static_cast<size_t>(i % h.width), fy = static_cast<size_t>(i / h.width);
        const size_t x = rightToLeft ? h.width - 1 - fx : fx, y = topDown ? fy : h.height - 1 - fy;
        return &img.pixels[(y * h.width + x) * 4];
    };

    if (!h.rle()) {
        for (uint64_t i = 0; i < count; ++i) toRgba(&data[static_cast<size_t>(i) * pixelBytes], place(i));
    } else {
        size_t p = 0;
        uint64_t i = 0;
        while (i < count) {
            if (p >= data.size()) return std::nullopt;
            const uint8_t packet = data[p++];
            const uint64_t n = std::min<uint64_t>((packet & 0x7Fu) + 1u, count - i);
            if (packet & 0x80) {
                if (data.size() - p < pixelBytes) return std::nullopt;
                uint8_t px[4];
                toRgba(&data[p], px);
                p += pixelBytes;
                for (uint64_t k = 0; k < n; ++k) std::copy_n(px, 4, place(i++));
            } else {
                if ((data.size() - p) / pixelBytes < n) return std::nullopt;
                for (uint64_t k = 0; k < n; ++k, p += pixelBytes) toRgba(&data[p], place(i++));
            }
        }
    }
    const bool alphaBearing = (h.base() == 2 && h.depth == 32) || (h.base() == 1 && h.mapBits == 32);
    if (alphaBearing && !alphaDeclared && !anyAlpha)
        for (size_t k = 3; k < img.pixels.size(); k += 4) img.pixels[k] = 255;
    return img;
}

std::optional<ImageInfo> readTgaInfo(ByteSpan bytes) {
    const auto h = parseHeader(bytes);
    if (!h) return std::nullopt;
    return ImageInfo{h->width, h->height, {}};
}

std::unique_ptr<RowWriter> startTgaRows(FileDest dest, int32_t width, int32_t height, int32_t channels,
                                        int32_t bitsPerPixel) {
    // The header holds 16-bit sizes.
    if (dest.file == nullptr || (channels != 3 && channels != 4) || (bitsPerPixel != 24 && bitsPerPixel != 32) ||
        width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF || !checkedImageBytes(width, height, channels))
        return nullptr;
    auto writer = std::make_unique<TgaRowWriter>(dest, width, height, channels, bitsPerPixel);
    if (!writer->start()) return nullptr;
    return writer;
}

bool writeTga(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
              int32_t bitsPerPixel) {
    if (!validWriterInput(dest, pixels, width, height, channels)) return false;
    auto writer = startTgaRows(dest, width, height, channels, bitsPerPixel);
    return writeImageRows(writer.get(), pixels, width, height, channels);
}

}  // namespace dro::codecs
