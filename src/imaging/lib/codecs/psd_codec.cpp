#include "imaging/lib/codecs/psd_codec.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "imaging/lib/codecs/byte_reader.h"

namespace dro::codecs {
namespace {

constexpr int32_t kMaxPsdDimension = 30000;
constexpr uint16_t kResolutionInfo = 0x03ED;
constexpr uint16_t kAlphaNames = 0x03EE;
constexpr uint16_t kUnicodeAlphaNames = 0x0415;

enum Mode : uint16_t { kBitmap = 0, kGrey = 1, kIndexed = 2, kRgb = 3, kDuotone = 8 };

struct PsdLayout {
    uint16_t channels = 0, depth = 0, mode = 0;
    int32_t width = 0, height = 0;
    ByteSpan colourData;
    std::optional<Resolution> resolution;
    std::optional<std::string> firstAlphaName;
    int32_t layerCount = 0;
    size_t imageAt = 0;  // the compression field of the merged image
};

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

void readResource(PsdLayout& l, uint16_t id, ByteSpan data) {
    ByteReader r(data);
    if (id == kResolutionInfo) {
        const double h = r.u32be() / 65536.0;
        const uint16_t hUnit = r.u16be();
        r.u16be();
        const double v = r.u32be() / 65536.0;
        if (!r.ok()) return;
        // The stored values are always per inch; the unit is how the document shows them.
        if (hUnit == 2) l.resolution = Resolution{h / 2.54, v / 2.54, 3};
        else l.resolution = Resolution{h, v, 2};
    } else if (id == kAlphaNames && !l.firstAlphaName) {
        const uint8_t n = r.u8();
        const ByteSpan s = r.take(n);
        if (r.ok()) l.firstAlphaName = std::string(s.begin(), s.end());
    } else if (id == kUnicodeAlphaNames) {
        const uint32_t n = r.u32be();
        std::string name;
        for (uint32_t i = 0; i < n && r.ok(); ++i) {
            const uint16_t c = r.u16be();
            if (r.ok() && c != 0) name.push_back(c < 128 ? static_cast<char>(c) : '?');
        }
        if (r.ok()) l.firstAlphaName = name;  // preferred over the Pascal names
    }
}

std::optional<PsdLayout> parseLayout(ByteSpan bytes) {
    ByteReader r(bytes);
    if (r.u32be() != 0x38425053 || r.u16be() != 1) return std::nullopt;  // "8BPS", version 1
    r.skip(6);
    PsdLayout l;
    l.channels = r.u16be();
    const uint32_t height = r.u32be(), width = r.u32be();
    l.depth = r.u16be();
    l.mode = r.u16be();
    if (!r.ok() || l.channels < 1 || l.channels > 56 || width < 1 || height < 1 || width > kMaxPsdDimension ||
        height > kMaxPsdDimension)
        return std::nullopt;
    l.width = static_cast<int32_t>(width);
    l.height = static_cast<int32_t>(height);
    l.colourData = r.take(r.u32be());

    ByteReader res(r.take(r.u32be()));
    while (r.ok() && res.remaining() >= 12) {
        res.u32be();  // signature: "8BIM" and a few others, all laid out alike
        const uint16_t id = res.u16be();
        const uint8_t nameLength = res.u8();
        res.skip(nameLength + ((nameLength + 1u) & 1u));
        const uint32_t size = res.u32be();
        const ByteSpan data = res.take(size);
        if (!res.ok()) break;
        res.skip(std::min<size_t>(size & 1u, res.remaining()));
        readResource(l, id, data);
    }

    ByteReader layers(r.take(r.u32be()));
    if (layers.remaining() >= 6 && layers.u32be() > 0) l.layerCount = layers.i16be();
    if (!r.ok()) return std::nullopt;
    l.imageAt = r.pos();
    return l;
}

// Unpacks one row into exactly out.size() bytes; false when the code runs out first.
bool unpackBits(ByteSpan code, std::span<uint8_t> out) {
    size_t p = 0, o = 0;
    while (o < out.size()) {
        if (p >= code.size()) return false;
        const int8_t n = static_cast<int8_t>(code[p++]);
        if (n >= 0) {
            const size_t count = static_cast<size_t>(n) + 1;
            if (code.size() - p < count) return false;
            const size_t keep = std::min(count, out.size() - o);
            std::copy_n(code.begin() + static_cast<ptrdiff_t>(p), keep, out.begin() + static_cast<ptrdiff_t>(o));
            p += count;
            o += keep;
        } else if (n != -128) {
            if (p >= code.size()) return false;
            const size_t count = std::min<size_t>(1 - n, out.size() - o);
            std::fill_n(out.begin() + static_cast<ptrdiff_t>(o), count, code[p++]);
            o += count;
        }
    }
    return true;
}

// Photoshop stores the merged colours of a transparent document blended onto white:
// stored = a * colour + (1 - a) * 255. Such data never lies below the white share, and
// a fully transparent pixel is pure white. Other writers store the colours unblended;
// when any pixel breaks that bound the data cannot be matted and is kept as it is.
bool mattedOnWhite(const PixelImage& img) noexcept {
    bool anyTransparency = false;
    for (size_t i = 0; i < img.pixels.size(); i += 4) {
        const int alpha = img.pixels[i + 3];
        if (alpha == 255) continue;
        anyTransparency = true;
        const int whiteShare = 255 - alpha - 1;  // one level for the writer's rounding
        for (int c = 0; c < 3; ++c)
            if (img.pixels[i + c] < whiteShare) return false;
    }
    return anyTransparency;
}

void removeWhiteMatte(PixelImage& img) noexcept {
    for (size_t i = 0; i < img.pixels.size(); i += 4) {
        const int alpha = img.pixels[i + 3];
        if (alpha == 255 || alpha == 0) continue;
        for (int c = 0; c < 3; ++c) {
            const int above = std::max(0, img.pixels[i + c] - (255 - alpha));
            img.pixels[i + c] = static_cast<uint8_t>(std::min(255, (above * 255 + alpha / 2) / alpha));
        }
    }
}

}  // namespace

std::optional<PixelImage> decodePsd(ByteSpan bytes) {
    const auto layout = parseLayout(bytes);
    if (!layout) return std::nullopt;
    const PsdLayout& l = *layout;
    if (l.depth != 8 && l.depth != 16) return std::nullopt;
    int colours = 0;
    switch (l.mode) {
    case kGrey:
    case kDuotone: colours = 1; break;
    case kIndexed: colours = (l.depth == 8 && l.colourData.size() >= 768) ? 1 : 0; break;
    case kRgb: colours = 3; break;
    default: break;
    }
    if (colours == 0 || l.channels < colours) return std::nullopt;
    bool alpha = l.channels > colours;
    if (alpha && l.layerCount >= 0 && l.firstAlphaName) {
        const std::string name = lower(*l.firstAlphaName);
        alpha = name == "alpha" || name == "transparency";
    }
    const int used = colours + (alpha ? 1 : 0);

    if (!checkedImageBytes(l.width, l.height, 4)) return std::nullopt;
    ByteReader r(bytes, l.imageAt);
    const uint16_t compression = r.u16be();
    if (!r.ok() || compression > 1) return std::nullopt;
    const size_t w = static_cast<size_t>(l.width), h = static_cast<size_t>(l.height);
    const size_t sampleBytes = l.depth / 8u, rowBytes = w * sampleBytes;
    const size_t rows = h * l.channels;

    // Where each row of each used channel starts, and how many code bytes it has.
    std::vector<ByteSpan> rowCode(h * static_cast<size_t>(used));
    if (compression == 0) {
        if (r.remaining() / rowBytes < h * static_cast<size_t>(used)) return std::nullopt;
        for (size_t i = 0; i < rowCode.size(); ++i) rowCode[i] = r.take(rowBytes);
    } else {
        if (r.remaining() / 2 < rows) return std::nullopt;
        ByteReader counts(r.take(uint64_t{rows} * 2));
        const ByteSpan code = bytes.subspan(r.pos());
        if (!plausibleExpansion(uint64_t{w} * h, code.size(), 64)) return std::nullopt;
        size_t at = 0;
        for (size_t i = 0; i < h * static_cast<size_t>(used); ++i) {
            const size_t n = counts.u16be();
            if (code.size() - at < n) return std::nullopt;
            rowCode[i] = code.subspan(at, n);
            at += n;
        }
    }

    PixelImage img = PixelImage::filled(l.width, l.height, 4, 255);
    std::vector<uint8_t> row(rowBytes);
    for (int c = 0; c < used; ++c) {
        for (size_t y = 0; y < h; ++y) {
            const ByteSpan code = rowCode[static_cast<size_t>(c) * h + y];
            if (compression == 0) std::copy(code.begin(), code.end(), row.begin());
            else if (!unpackBits(code, row)) return std::nullopt;
            uint8_t* dst = &img.pixels[y * w * 4];
            // 16-bit samples are big-endian: the first byte is the high one.
            for (size_t x = 0; x < w; ++x) {
                const uint8_t v = row[x * sampleBytes];
                if (c == colours) {
                    dst[x * 4 + 3] = v;
                } else if (l.mode == kIndexed) {
                    for (int k = 0; k < 3; ++k) dst[x * 4 + k] = l.colourData[static_cast<size_t>(k) * 256 + v];
                } else if (colours == 1) {
                    dst[x * 4] = dst[x * 4 + 1] = dst[x * 4 + 2] = v;
                } else {
                    dst[x * 4 + c] = v;
                }
            }
        }
    }
    if (alpha && mattedOnWhite(img)) removeWhiteMatte(img);
    return img;
}

std::optional<ImageInfo> readPsdInfo(ByteSpan bytes) {
    const auto l = parseLayout(bytes);
    if (!l) return std::nullopt;
    return ImageInfo{l->width, l->height, l->resolution.value_or(Resolution{})};
}

void packBitsRow(const uint8_t* row, size_t n, std::vector<uint8_t>& out) {
    size_t i = 0;
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < 128 && row[i + run] == row[i]) ++run;
        if (run >= 3 || (run == 2 && i + 2 == n)) {
            putU8(out, static_cast<uint32_t>(257 - run));
            putU8(out, row[i]);
            i += run;
            continue;
        }
        // A literal stretch ends where a run of three begins.
        size_t end = i;
        while (end < n && end - i < 128) {
            if (end + 2 < n && row[end] == row[end + 1] && row[end] == row[end + 2]) break;
            ++end;
        }
        if (end == i) end = i + 1;
        putU8(out, static_cast<uint32_t>(end - i - 1));
        out.insert(out.end(), row + i, row + end);
        i = end;
    }
}

bool writePsd(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
              bool packBits, Resolution resolution) {
    if (!validWriterInput(dest, pixels, width, height, channels) || width > kMaxPsdDimension ||
        height > kMaxPsdDimension)
        return false;
    std::vector<uint8_t> out;
    putU32BE(out, 0x38425053);
    putU16BE(out, 1);
    out.resize(out.size() + 6, 0);
    putU16BE(out, 3);
    putU32BE(out, static_cast<uint32_t>(height));
    putU32BE(out, static_cast<uint32_t>(width));
    putU16BE(out, 8);
    putU16BE(out, kRgb);
    putU32BE(out, 0);  // no colour mode data

    if (resolution.x > 0.0 && resolution.y > 0.0) {
        const bool cm = resolution.unit == 3;
        auto fixed = [&](double v) {
            const double ppi = (cm ? v * 2.54 : v) * 65536.0 + 0.5;
            return ppi >= 4294967295.0 ? UINT32_MAX : static_cast<uint32_t>(ppi);
        };
        putU32BE(out, 12 + 16);
        putU32BE(out, 0x3842494D);  // "8BIM"
        putU16BE(out, kResolutionInfo);
        putU16BE(out, 0);  // empty name, padded
        putU32BE(out, 16);
        putU32BE(out, fixed(resolution.x));
        putU16BE(out, cm ? 2 : 1);
        putU16BE(out, cm ? 2 : 1);
        putU32BE(out, fixed(resolution.y));
        putU16BE(out, cm ? 2 : 1);
        putU16BE(out, cm ? 2 : 1);
    } else {
        putU32BE(out, 0);
    }
    putU32BE(out, 0);  // no layers
    putU16BE(out, packBits ? 1 : 0);
    if (!writeBytes(dest, out)) return false;

    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    const size_t step = static_cast<size_t>(channels);
    std::vector<uint8_t> plane(w);
    auto gather = [&](size_t c, size_t y) {
        const uint8_t* row = pixels + y * w * step;
        for (size_t x = 0; x < w; ++x) plane[x] = row[x * step + c];
    };
    if (!packBits) {
        for (size_t c = 0; c < 3; ++c)
            for (size_t y = 0; y < h; ++y) {
                gather(c, y);
                if (!writeBytes(dest, plane.data(), w)) return false;
            }
        return finishWrites(dest);
    }
    // The row sizes come first, so every row is packed before any is written.
    std::vector<uint8_t> counts, code;
    for (size_t c = 0; c < 3; ++c)
        for (size_t y = 0; y < h; ++y) {
            gather(c, y);
            const size_t before = code.size();
            packBitsRow(plane.data(), w, code);
            putU16BE(counts, static_cast<uint32_t>(code.size() - before));
        }
    return writeBytes(dest, counts) && writeBytes(dest, code) && finishWrites(dest);
}

}  // namespace dro::codecs
