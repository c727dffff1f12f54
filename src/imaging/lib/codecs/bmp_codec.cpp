#include "imaging/lib/codecs/bmp_codec.h"

#include <cmath>
#include <vector>

#include "imaging/lib/codecs/bgr_row_writer.h"
#include "imaging/lib/codecs/byte_reader.h"

namespace dro::codecs {
namespace {

constexpr size_t kFileHeaderBytes = 14;

struct BmpParts {
    DibFormat format;
    ByteSpan info;
    ByteSpan bits;
};

std::optional<BmpParts> splitBmp(ByteSpan bytes) {
    ByteReader r(bytes);
    if (r.u8() != 'B' || r.u8() != 'M') return std::nullopt;
    r.u32le();
    r.u32le();
    const uint32_t offBits = r.u32le();
    if (!r.ok()) return std::nullopt;
    const ByteSpan info = bytes.subspan(kFileHeaderBytes);
    const auto f = parseDibFormat(info);
    if (!f) return std::nullopt;
    // Writers that leave bfOffBits zero or point it into the header mean "right after
    // the colour table".
    uint64_t bitsAt = offBits;
    if (bitsAt < kFileHeaderBytes + f->headerBytes) bitsAt = kFileHeaderBytes + f->infoBytes;
    if (bitsAt > bytes.size()) return std::nullopt;
    return BmpParts{*f, info, bytes.subspan(static_cast<size_t>(bitsAt))};
}

int32_t pelsPerMeter(double v) {
    if (!(v > 0.0)) return 0;
    return v >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(std::lround(v));
}

class BmpRowWriter final : public BgrRowWriter {
public:
    using BgrRowWriter::BgrRowWriter;

    bool start(Resolution resolution) {
        const uint32_t headerBytes = bits_ == 32 ? 108 : 40;
        const uint64_t stride = ((uint64_t(width_) * uint64_t(bits_) + 31) / 32) * 4;
        const uint64_t image = stride * uint64_t(height_);
        const uint64_t fileBytes = kFileHeaderBytes + headerBytes + image;
        std::vector<uint8_t> h;
        h.reserve(kFileHeaderBytes + headerBytes);
        putU8(h, 'B');
        putU8(h, 'M');
        // Sizes past 4 GiB cannot be stated; readers take them from the header.
        putU32LE(h, fileBytes > UINT32_MAX ? 0 : static_cast<uint32_t>(fileBytes));
        putU32LE(h, 0);
        putU32LE(h, static_cast<uint32_t>(kFileHeaderBytes + headerBytes));
        putU32LE(h, headerBytes);
        putU32LE(h, static_cast<uint32_t>(width_));
        putU32LE(h, static_cast<uint32_t>(height_));  // positive: bottom-up
        putU16LE(h, 1);
        putU16LE(h, static_cast<uint32_t>(bits_));
        putU32LE(h, bits_ == 32 ? kBiBitfields : kBiRgb);
        putU32LE(h, image > UINT32_MAX ? 0 : static_cast<uint32_t>(image));
        putU32LE(h, static_cast<uint32_t>(pelsPerMeter(resolution.x)));
        putU32LE(h, static_cast<uint32_t>(pelsPerMeter(resolution.y)));
        putU32LE(h, 0);
        putU32LE(h, 0);
        if (bits_ == 32) {
            putU32LE(h, 0x00FF0000);
            putU32LE(h, 0x0000FF00);
            putU32LE(h, 0x000000FF);
            putU32LE(h, 0xFF000000);
            putU32LE(h, 0x73524742);  // 'sRGB'
            h.resize(h.size() + 36 + 12, 0);  // endpoints and gamma, unused for sRGB
        }
        return startRows(h, static_cast<size_t>(stride));
    }

    bool rowOrderBottomUp() const noexcept override { return true; }

    bool finish() override { return allRowsWritten() && finishWrites(dest_); }
};

}  // namespace

std::optional<PixelImage> decodeBmp(ByteSpan bytes) {
    const auto parts = splitBmp(bytes);
    if (!parts) return std::nullopt;
    return decodeDibBits(parts->format, parts->info, parts->bits, DibAlpha::FromData);
}

std::optional<ImageInfo> readBmpInfo(ByteSpan bytes) {
    const auto parts = splitBmp(bytes);
    if (!parts) return std::nullopt;
    const DibFormat& f = parts->format;
    return ImageInfo{f.width, f.height, {double(f.xPelsPerMeter), double(f.yPelsPerMeter), 2}};
}

std::unique_ptr<RowWriter> startBmpRows(FileDest dest, int32_t width, int32_t height, int32_t channels,
                                        int32_t bitsPerPixel, Resolution resolution) {
    if (dest.file == nullptr || (channels != 3 && channels != 4) || (bitsPerPixel != 24 && bitsPerPixel != 32) ||
        !checkedImageBytes(width, height, channels))
        return nullptr;
    auto writer = std::make_unique<BmpRowWriter>(dest, width, height, channels, bitsPerPixel);
    if (!writer->start(resolution)) return nullptr;
    return writer;
}

bool writeBmp(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
              int32_t bitsPerPixel, Resolution resolution) {
    if (!validWriterInput(dest, pixels, width, height, channels)) return false;
    auto writer = startBmpRows(dest, width, height, channels, bitsPerPixel, resolution);
    return writeImageRows(writer.get(), pixels, width, height, channels);
}

}  // namespace dro::codecs
