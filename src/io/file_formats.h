// The tables that bind file types and extensions to our imaging library's readers and
// writers. Extensions include the dot and are matched without regard to case.
#pragma once

#include <memory>
#include <optional>
#include <span>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::io {

using codecs::ByteSpan;
using codecs::FileDest;
using codecs::FileType;
using codecs::ImageInfo;
using codecs::PixelImage;
using codecs::RowWriter;

// A raster file as RGBA32; nullopt for metafiles, unknown types and bad files.
std::optional<PixelImage> decodeRaster(ByteSpan bytes, FileType type);
// Size and resolution as the file stores them.
std::optional<ImageInfo> readRasterInfo(ByteSpan bytes, FileType type);
// A metafile's raster records drawn at width x height on a COLORREF background, RGB24.
// Non-positive sizes draw at the size the file declares.
std::optional<PixelImage> renderMetafileFile(ByteSpan bytes, int32_t width, int32_t height, uint32_t background);
// A camera raw file as RGB24.
std::optional<PixelImage> decodeCameraRaw(ByteSpan bytes);

// Writers of whole blocks; they return the writer's result, non-zero on success.
struct BlockWriter {
    const char* extension;
    int32_t (*write)(FileDest dest, const uint8_t* block, int32_t width, int32_t height, int32_t dpi);
    bool storesResolution = true;  // false: the format has no place for the dpi
};
std::span<const BlockWriter> rgb24BlockWriters() noexcept;
std::span<const BlockWriter> rgba32BlockWriters() noexcept;

// Writers that take the page a row at a time.
struct PageWriter {
    const char* extension;
    std::unique_ptr<RowWriter> (*start)(FileDest dest, int32_t width, int32_t height, int32_t dpi);
};
std::span<const PageWriter> rgb24PageWriters() noexcept;
std::span<const PageWriter> rgb32PageWriters() noexcept;

// The JPEG writer of web pictures and the BMP writer of thumbnails (no resolution).
int32_t writeWebPictureJpeg(FileDest dest, const uint8_t* rgb24, int32_t width, int32_t height);
int32_t writeThumbnailBmp(FileDest dest, const uint8_t* rgb24, int32_t width, int32_t height);

bool sameExtension(const char* a, const char* b) noexcept;

template <class Entry>
const Entry* findByExtension(std::span<const Entry> table, const char* extension) noexcept {
    if (!extension) return nullptr;
    for (const Entry& entry : table)
        if (sameExtension(entry.extension, extension)) return &entry;
    return nullptr;
}

// Dots per inch as dots per metre, truncated for the whole-block writers.
inline double dotsPerMetre(int32_t dpi) noexcept { return dpi * 39.3700787; }

}  // namespace dro::io
