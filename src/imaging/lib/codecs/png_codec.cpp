#include "imaging/lib/codecs/png_codec.h"

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/lib/codecs/decode_notes.h"

namespace dro::codecs {
namespace {

// libpng reports errors by longjmp. Every function that calls into libpng under a
// setjmp holds only trivially destructible locals, so a jump never skips a destructor;
// the buffers it fills are allocated by its caller.

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (count > reader->remaining()) {
        noteDecodeProblem("truncated: the data ends after " + std::to_string(reader->size) + " bytes");
        png_error(png, "truncated");
    }
    reader->read(out, count);
}

void failQuietly(png_structp png, png_const_charp message) {
    noteDecodeProblem(std::string("libpng: ") + message);
    png_longjmp(png, 1);
}
void ignoreWarning(png_structp, png_const_charp) {}

uint32_t bigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Deflate never expands more than 1032:1, so a file whose IDAT chunks cannot hold the
// image it announces is refused before its pixels are allocated.
uint64_t idatBytes(ByteSpan bytes) {
    uint64_t total = 0;
    size_t at = 8;
    while (bytes.size() >= 12 && at <= bytes.size() - 12) {
        const uint64_t length = bigEndian32(&bytes[at]);
        if (std::memcmp(&bytes[at + 4], "IDAT", 4) == 0) total += length;
        if (std::memcmp(&bytes[at + 4], "IEND", 4) == 0) break;
        if (length > bytes.size() - at - 12) {
            total += bytes.size() - at - 12;  // a cut-off last chunk still holds data
            break;
        }
        at += 12 + static_cast<size_t>(length);
    }
    return total;
}

struct Header {
    png_uint_32 width;
    png_uint_32 height;
    int bitDepth;
    int colourType;
    int channelsInFile;
    png_uint_32 resX;
    png_uint_32 resY;
    int resUnit;
    bool hasPhys;
};

class ReadSession {
public:
    explicit ReadSession(ByteSpan bytes) : reader_{bytes.data(), bytes.size(), 0} {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failQuietly, ignoreWarning);
        if (png_) info_ = png_create_info_struct(png_);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
        // Almost every mutation breaks a checksum; the fuzzer wants the code behind it.
        if (png_) {
            png_set_crc_action(png_, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
            png_set_option(png_, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
        }
#endif
    }
    ~ReadSession() {
        if (png_) png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
    }
    ReadSession(const ReadSession&) = delete;
    ReadSession& operator=(const ReadSession&) = delete;

    bool ok() const { return png_ && info_; }

    // Signature, header chunks and the transforms that make every file RGBA 8-bit.
    bool readHeader(Header& header, bool forPixels) {
        png_structp png = png_;
        png_infop info = info_;
        if (setjmp(png_jmpbuf(png))) return false;
        png_set_user_limits(png, static_cast<png_uint_32>(kMaxImageDimension),
                            static_cast<png_uint_32>(kMaxImageDimension));
        png_set_read_fn(png, &reader_, readFromMemory);
        png_read_info(png, info);
        png_get_IHDR(png, info, &header.width, &header.height, &header.bitDepth, &header.colourType, nullptr,
                     nullptr, nullptr);
        header.channelsInFile = png_get_channels(png, info);
        header.hasPhys =
            png_get_pHYs(png, info, &header.resX, &header.resY, &header.resUnit) & PNG_INFO_pHYs;
        if (!forPixels) return true;

        const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
        png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to alpha
        if (header.bitDepth == 16) png_set_strip_16(png);  // keeps the high byte
        if (!(header.colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
        if (!(header.colourType & PNG_COLOR_MASK_ALPHA) && !hasTrns) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        return png_get_channels(png, info) == 4 && png_get_bit_depth(png, info) == 8 &&
               png_get_rowbytes(png, info) == size_t{header.width} * 4;
    }

    bool readRows(png_bytepp rows) {
        png_structp png = png_;
        if (setjmp(png_jmpbuf(png))) return false;
        png_read_image(png, rows);
        return true;
    }

private:
    MemorySource reader_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

bool sizeFits(int32_t width, int32_t height, int32_t channels) {
    return (channels == 3 || channels == 4) && checkedImageBytes(width, height, channels).has_value();
}

void writeToFile(png_structp png, png_bytep data, png_size_t count) {
    auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, count, file) != count) png_error(png, "write failed");
}

void flushFile(png_structp png) { std::fflush(static_cast<std::FILE*>(png_get_io_ptr(png))); }

class WriteSession {
public:
    WriteSession() {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failQuietly, ignoreWarning);
        if (png_) info_ = png_create_info_struct(png_);
    }
    ~WriteSession() {
        if (png_) png_destroy_write_struct(&png_, info_ ? &info_ : nullptr);
    }
    WriteSession(const WriteSession&) = delete;
    WriteSession& operator=(const WriteSession&) = delete;

    bool ok() const { return png_ && info_; }

    bool writeHeader(std::FILE* file, int32_t width, int32_t height, int32_t channels, Resolution resolution) {
        png_structp png = png_;
        png_infop info = info_;
        if (setjmp(png_jmpbuf(png))) return false;
        png_set_write_fn(png, file, writeToFile, flushFile);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (resolution.x > 0.0 && resolution.y > 0.0 && resolution.x < 4294967295.0 &&
            resolution.y < 4294967295.0) {
            png_set_pHYs(png, info, static_cast<png_uint_32>(std::lround(resolution.x)),
                         static_cast<png_uint_32>(std::lround(resolution.y)),
                         resolution.unit == 1 ? PNG_RESOLUTION_METER : PNG_RESOLUTION_UNKNOWN);
        }
        png_write_info(png, info);
        return true;
    }

    bool writeRow(const uint8_t* row) {
        png_structp png = png_;
        if (setjmp(png_jmpbuf(png))) return false;
        png_write_row(png, const_cast<png_bytep>(row));
        return true;
    }

    bool writeEnd() {
        png_structp png = png_;
        if (setjmp(png_jmpbuf(png))) return false;
        png_write_end(png, nullptr);
        return true;
    }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

class PngRowWriter final : public RowWriter {
public:
    PngRowWriter(std::FILE* file, int32_t height) : file_(file), progress_(height) {}

    bool start(int32_t width, int32_t channels, Resolution resolution) {
        return progress_.started(session_.ok() &&
                                 session_.writeHeader(file_, width, progress_.height(), channels, resolution));
    }

    bool writeRow(const uint8_t* row) override {
        return progress_.accepts(row) && progress_.wrote(session_.writeRow(row));
    }

    bool finish() override { return progress_.finishing() && session_.writeEnd() && std::fflush(file_) == 0; }

private:
    WriteSession session_;
    std::FILE* file_;
    RowProgress progress_;
};

}  // namespace

std::optional<ImageInfo> readPngInfo(ByteSpan bytes) {
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) return std::nullopt;
    ReadSession session(bytes);
    Header header{};
    if (!session.ok() || !session.readHeader(header, false)) return std::nullopt;
    ImageInfo info;
    info.width = static_cast<int>(header.width);
    info.height = static_cast<int>(header.height);
    if (header.hasPhys) {
        info.resolution = {static_cast<double>(header.resX), static_cast<double>(header.resY),
                           header.resUnit == PNG_RESOLUTION_METER ? 1 : 0};
    }
    return info;
}

bool readPngDims(ByteSpan bytes, int32_t& width, int32_t& height) {
    const auto info = readPngInfo(bytes);
    if (!info) return false;
    width = info->width;
    height = info->height;
    return true;
}

std::optional<PixelImage> decodePng(ByteSpan bytes) {
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) return std::nullopt;
    ReadSession session(bytes);
    Header header{};
    if (!session.ok() || !session.readHeader(header, true)) return std::nullopt;
    const auto size = checkedImageBytes(header.width, header.height, 4);
    if (!size) return std::nullopt;
    const uint64_t bitsPerRow = uint64_t{header.width} * header.channelsInFile * header.bitDepth;
    const uint64_t leastRawBytes = uint64_t{header.height} * (1 + (bitsPerRow + 7) / 8);
    if (leastRawBytes > idatBytes(bytes) * 1032 + 1024) return std::nullopt;

    PixelImage image = PixelImage::filled(header.width, header.height, 4, 0);
    std::vector<png_bytep> rows(header.height);
    for (size_t y = 0; y < rows.size(); ++y) rows[y] = image.pixels.data() + y * header.width * 4;
    if (!session.readRows(rows.data())) return std::nullopt;
    return image;
}

bool writePng(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
              Resolution resolution) {
    if (!dest.file || !pixels || !sizeFits(width, height, channels)) return false;
    auto writer = startPngRows(dest, width, height, channels, resolution);
    return writeImageRows(writer.get(), pixels, width, height, channels);
}

std::unique_ptr<RowWriter> startPngRows(FileDest dest, int32_t width, int32_t height, int32_t channels,
                                        Resolution resolution) {
    if (!dest.file || !sizeFits(width, height, channels)) return nullptr;
    auto writer = std::make_unique<PngRowWriter>(dest.file, height);
    if (!writer->start(width, channels, resolution)) return nullptr;
    return writer;
}

}  // namespace dro::codecs
