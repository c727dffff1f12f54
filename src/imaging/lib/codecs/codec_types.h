// What every reader and writer of our imaging library speaks: decoded pixel blocks, the
// resolution record, the file type codes, and the size limits that keep hostile files
// from asking for absurd allocations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

namespace dro::codecs {

// Type codes shared with the host-facing file functions. 1, 3, 4, 6, 7, 8 and 10 are
// fixed by callers; the others are ours.
enum class FileType : int {
    Unknown = 0,
    Bmp = 1,
    Jpeg = 3,
    Png = 4,
    Tiff = 6,
    WindowsMetafile = 7,
    EnhancedMetafile = 8,
    Psd = 10,
    Gif = 11,
    Tga = 12,
    Pcx = 13,
    WebP = 14,
};

// Decoders refuse images beyond these before allocating anything for them.
inline constexpr int64_t kMaxImageDimension = 1 << 20;
inline constexpr int64_t kMaxImagePixels = int64_t{1} << 28;  // 1 GiB as RGBA32

// Width x height x channels, or nullopt when the image is empty, too large or the
// product overflows. Every decoder sizes its blocks through this.
// A refusal for size is noted for the host (decode_notes.h).
void noteBeyondLimits(int64_t width, int64_t height);
inline std::optional<size_t> checkedImageBytes(int64_t width, int64_t height, int64_t channels) {
    if (width <= 0 || height <= 0 || channels <= 0) return std::nullopt;
    if (width > kMaxImageDimension || height > kMaxImageDimension || width * height > kMaxImagePixels) {
        noteBeyondLimits(width, height);
        return std::nullopt;
    }
    return static_cast<size_t>(width * height * channels);
}

// Packed rows, top row first; channels 4 = R, G, B, A and 3 = R, G, B.
struct PixelImage {
    int width = 0;
    int height = 0;
    int channels = 4;
    std::vector<uint8_t> pixels;

    // Every byte `fill`. The size must have passed checkedImageBytes.
    static PixelImage filled(int width, int height, int channels, uint8_t fill) {
        const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(channels);
        return {width, height, channels, std::vector<uint8_t>(bytes, fill)};
    }

    bool empty() const noexcept { return pixels.empty(); }
};

// Resolution as the file stores it: unit codes are per format (see each reader).
struct Resolution {
    double x = 0.0;
    double y = 0.0;
    int unit = 0;
};

struct ImageInfo {
    int width = 0;
    int height = 0;
    Resolution resolution;
};

using ByteSpan = std::span<const uint8_t>;

// Where writers put their bytes: a file opened for update, so that writers that must
// seek back (TIFF directories, BMP sizes) can.
struct FileDest {
    std::FILE* file = nullptr;
};

// A file's bytes in memory as the stream a decoding library reads through its callbacks.
// The position may be moved past the end; reads there copy nothing.
struct MemorySource {
    const uint8_t* data;
    uint64_t size;
    uint64_t position;

    uint64_t remaining() const noexcept { return position < size ? size - position : 0; }
    // Copies up to `count` bytes from the position and moves past them; how many were copied.
    uint64_t read(void* out, uint64_t count) noexcept {
        const uint64_t n = count < remaining() ? count : remaining();
        if (n == 0) return 0;
        std::memcpy(out, data + position, n);
        position += n;
        return n;
    }
};

// Writes a whole picture row by row without ever holding it: rows arrive in the order
// rowOrderBottomUp() names, each width x channels bytes.
class RowWriter {
public:
    virtual ~RowWriter() = default;
    virtual bool rowOrderBottomUp() const noexcept { return false; }
    virtual bool writeRow(const uint8_t* row) = 0;
    // Completes the file; false when anything failed on the way.
    virtual bool finish() = 0;
};

// The bookkeeping of a writer that hands rows to a library: how many arrived, whether one
// failed (which ends the file) and whether it was completed. Rows past the height, rows
// after a failure and a second completion are refused.
class RowProgress {
public:
    explicit RowProgress(int32_t height) noexcept : height_(height) {}
    // Records whether setting up the file worked.
    bool started(bool ok) noexcept { return !(failed_ = !ok); }
    bool accepts(const uint8_t* row) const noexcept { return !failed_ && row != nullptr && rows_ < height_; }
    // Records the outcome of writing the next row.
    bool wrote(bool ok) noexcept {
        if (!ok) {
            failed_ = true;
            return false;
        }
        ++rows_;
        return true;
    }
    // True once, when every row arrived and none failed: the writer may complete the file.
    bool finishing() noexcept {
        if (failed_ || finished_ || rows_ != height_) return false;
        finished_ = true;
        return true;
    }
    int32_t rows() const noexcept { return rows_; }
    int32_t height() const noexcept { return height_; }

private:
    int32_t height_;
    int32_t rows_ = 0;
    bool failed_ = false;
    bool finished_ = false;
};

// Feeds a whole top-down image (rows of width x channels bytes) to `writer` in the row
// order it asks for, then completes the file; false for no writer or any failed row.
inline bool writeImageRows(RowWriter* writer, const uint8_t* pixels, int32_t width, int32_t height,
                           int32_t channels) {
    if (writer == nullptr) return false;
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(channels);
    const bool bottomUp = writer->rowOrderBottomUp();
    for (int32_t i = 0; i < height; ++i) {
        const int32_t y = bottomUp ? height - 1 - i : i;
        if (!writer->writeRow(pixels + static_cast<size_t>(y) * rowBytes)) return false;
    }
    return writer->finish();
}

}  // namespace dro::codecs
