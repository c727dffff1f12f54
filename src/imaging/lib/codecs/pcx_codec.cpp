#include "imaging/lib/codecs/pcx_codec.h"

#include <algorithm>
#include <vector>

#include "imaging/lib/codecs/byte_reader.h"

namespace dro::codecs {
namespace {

constexpr size_t kHeaderBytes = 128;
constexpr size_t kPaletteBytes = 768;

struct PcxHeader {
    uint8_t encoding = 0, bits = 0, planes = 0;
    int32_t width = 0, height = 0;
    uint16_t hdpi = 0, vdpi = 0;
    uint16_t bytesPerLine = 0;
    const uint8_t* headerPalette = nullptr;  // 16 RGB entries
};

std::optional<PcxHeader> parseHeader(ByteSpan bytes) {
    ByteReader r(bytes);
    PcxHeader h;
    const uint8_t maker = r.u8();
    r.u8();  // version: every one we know shares this layout
    h.encoding = r.u8();
    h.bits = r.u8();
    const uint16_t xmin = r.u16le(), ymin = r.u16le(), xmax = r.u16le(), ymax = r.u16le();
    h.hdpi = r.u16le();
    h.vdpi = r.u16le();
    r.skip(48 + 1);
    h.planes = r.u8();
    h.bytesPerLine = r.u16le();
    if (!r.ok() || bytes.size() < kHeaderBytes || maker != 10 || h.encoding > 1) return std::nullopt;
    if (xmax < xmin || ymax < ymin) return std::nullopt;
    h.width = xmax - xmin + 1;
    h.height = ymax - ymin + 1;
    h.headerPalette = bytes.data() + 16;
    const bool known = (h.bits == 1 && h.planes >= 1 && h.planes <= 4) ||
                       ((h.bits == 2 || h.bits == 4) && h.planes == 1) ||
                       (h.bits == 8 && (h.planes == 1 || h.planes == 3 || h.planes == 4));
    if (!known) return std::nullopt;
    // A line must hold the pixels it claims.
    if (uint64_t{h.bytesPerLine} * 8 < uint64_t(h.width) * h.bits) return std::nullopt;
    return h;
}

void runs(std::vector<uint8_t>& out, const uint8_t* line, size_t n) {
    for (size_t i = 0; i < n;) {
        size_t run = 1;
        while (i + run < n && run < 63 && line[i + run] == line[i]) ++run;
        if (run > 1 || line[i] >= 0xC0) putU8(out, 0xC0 | static_cast<uint32_t>(run));
        putU8(out, line[i]);
        i += run;
    }
}

}  // namespace

std::optional<PixelImage> decodePcx(ByteSpan bytes) {
    const auto hdr = parseHeader(bytes);
    if (!hdr || !checkedImageBytes(hdr->width, hdr->height, 4)) return std::nullopt;
    const PcxHeader& h = *hdr;

    ByteSpan data = bytes.subspan(kHeaderBytes);
    const uint8_t* palette256 = nullptr;
    if (h.bits == 8 && h.planes == 1 && data.size() >= kPaletteBytes + 1 &&
        data[data.size() - kPaletteBytes - 1] == 0x0C) {
        palette256 = data.data() + data.size() - kPaletteBytes;
        data = data.first(data.size() - kPaletteBytes - 1);
    }

    const size_t line = size_t{h.bytesPerLine} * h.planes;
    const uint64_t planeBytes = uint64_t{line} * uint64_t(h.height);
    if (h.encoding == 1 ? !plausibleExpansion(planeBytes, data.size(), 32) : planeBytes > data.size())
        return std::nullopt;
    std::vector<uint8_t> planes(static_cast<size_t>(planeBytes));
    if (h.encoding == 0) {
        std::copy_n(data.begin(), planes.size(), planes.begin());
    } else {
        size_t p = 0, o = 0;
        while (o < planes.size()) {
            if (p >= data.size()) return std::nullopt;
            uint8_t b = data[p++];
            size_t n = 1;
            if (b >= 0xC0) {
                n = b & 0x3F;
                if (p >= data.size()) return std::nullopt;
                b = data[p++];
            }
            n = std::min(n, planes.size() - o);
            std::fill_n(planes.begin() + static_cast<ptrdiff_t>(o), n, b);
            o += n;
        }
    }

    uint8_t pal[256 * 3] = {};
    if (palette256) {
        std::copy_n(palette256, kPaletteBytes, pal);
    } else if (h.bits == 8 && h.planes == 1) {
        for (int i = 0; i < 256; ++i) pal[i * 3] = pal[i * 3 + 1] = pal[i * 3 + 2] = static_cast<uint8_t>(i);
    } else if (h.bits == 1 && h.planes == 1) {
        pal[3] = pal[4] = pal[5] = 255;  // mono: the header palette is unreliable here
    } else {
        std::copy_n(h.headerPalette, 48, pal);
    }

    PixelImage img = PixelImage::filled(h.width, h.height, 4, 255);
    const size_t w = static_cast<size_t>(h.width), bpl = h.bytesPerLine;
    for (size_t y = 0; y < static_cast<size_t>(h.height); ++y) {
        const uint8_t* src = &planes[y * line];
        uint8_t* dst = &img.pixels[y * w * 4];
        for (size_t x = 0; x < w; ++x, dst += 4) {
            if (h.bits == 8 && h.planes >= 3) {
                for (size_t c = 0; c < h.planes; ++c) dst[c] = src[c * bpl + x];
                continue;
            }
            uint32_t index = 0;
            if (h.bits == 8) {
                index = src[x];
            } else if (h.bits == 1) {
                for (size_t p = 0; p < h.planes; ++p)
                    index |= static_cast<uint32_t>((src[p * bpl + x / 8] >> (7 - x % 8)) & 1) << p;
            } else {
                const unsigned per = 8 / h.bits, shift = 8 - h.bits * (1 + static_cast<unsigned>(x % per));
                index = (src[x / per] >> shift) & ((1u << h.bits) - 1);
            }
            std::copy_n(&pal[index * 3], 3, dst);
        }
    }
    return img;
}

std::optional<ImageInfo> readPcxInfo(ByteSpan bytes) {
    const auto h = parseHeader(bytes);
    if (!h) return std::nullopt;
    return ImageInfo{h->width, h->height, {double(h->hdpi), double(h->vdpi), 0}};
}

bool writePcx(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels, int32_t dpi) {
    // Bytes per line is even and must fit the header's 16 bits.
    if (!validWriterInput(dest, pixels, width, height, channels) || width > 0xFFFE || height > 0xFFFF) return false;
    const size_t w = static_cast<size_t>(width), bpl = (w + 1) & ~size_t{1};
    std::vector<uint8_t> out;
    putU8(out, 10);
    putU8(out, 5);
    putU8(out, 1);
    putU8(out, 8);
    putU16LE(out, 0);
    putU16LE(out, 0);
    putU16LE(out, static_cast<uint32_t>(width - 1));
    putU16LE(out, static_cast<uint32_t>(height - 1));
    const auto storedDpi = static_cast<uint32_t>(dpi > 0 && dpi <= 0xFFFF ? dpi : 72);
    putU16LE(out, storedDpi);
    putU16LE(out, storedDpi);
    out.resize(out.size() + 48 + 1, 0);
    putU8(out, 3);
    putU16LE(out, static_cast<uint32_t>(bpl));
    putU16LE(out, 1);
    out.resize(kHeaderBytes, 0);
    if (!writeBytes(dest, out)) return false;

    std::vector<uint8_t> plane(bpl, 0);
    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
        out.clear();
        const uint8_t* row = pixels + y * w * static_cast<size_t>(channels);
        for (size_t c = 0; c < 3; ++c) {
            for (size_t x = 0; x < w; ++x) plane[x] = row[x * static_cast<size_t>(channels) + c];
            runs(out, plane.data(), bpl);
        }
        if (!writeBytes(dest, out)) return false;
    }
    return finishWrites(dest);
}

}  // namespace dro::codecs
