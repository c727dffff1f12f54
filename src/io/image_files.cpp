#include "io/image_files.h"

#include <array>
#include <cstring>
#include <optional>
#include <utility>

#include "brush/tool_settings.h"
#include "composite/layer_merge.h"
#include "core/allocation.h"
#include "core/canvas.h"
#include "core/failure.h"
#include "core/owned_buffer.h"
#include "core/rgba_blocks.h"
#include "core/transfer_read.h"
#include "imaging/lib/codecs/file_bytes.h"
#include "imaging/lib/codecs/file_type.h"
#include "imaging/lib/resample.h"
#include "io/file_formats.h"
#include "io/file_message.h"
#include "io/file_reading.h"
#include "io/import_buffer.h"
#include "io/output_file.h"
#include "mask/mask_conversions.h"

namespace dro {
namespace {

using codecs::ByteSpan;
using codecs::FileType;
using codecs::PixelImage;

// The current tool colour as a Windows colour value, the background metafiles are
// drawn on.
uint32_t toolColorRef() noexcept {
    const auto& c = toolSettings().color;
    return uint32_t{static_cast<uint8_t>(c[0] >> 8)} | uint32_t{static_cast<uint8_t>(c[1] >> 8)} << 8 |
           uint32_t{static_cast<uint8_t>(c[2] >> 8)} << 16;
}

bool isMetafile(FileType type) noexcept {
    return type == FileType::WindowsMetafile || type == FileType::EnhancedMetafile;
}

// A file as the import functions see it: raster files as RGBA32, metafiles drawn at
// the canvas size (or their own size when no canvas is open) as RGB24.
std::optional<PixelImage> decodeForImport(const char* path) {
    io::clearFileMessage();
    const auto bytes = io::readFileReporting(path);
    if (!bytes) return std::nullopt;
    const FileType type = codecs::guessFileType(*bytes);
    return io::decodeReporting(*bytes, type, [&](ByteSpan b) {
        if (isMetafile(type)) return io::renderMetafileFile(b, canvas().width, canvas().height, toolColorRef());
        return io::decodeRaster(b, type);
    });
}

void copyRgb24ToRgba32(const uint8_t* rgb, uint8_t* rgba, uint64_t pixels) noexcept {
    for (uint64_t i = 0; i < pixels; ++i, rgb += 3, rgba += 4) {
        std::memcpy(rgba, rgb, 3);
        rgba[3] = 255;
    }
}

uint64_t pixelsOf(const PixelImage& image) noexcept {
    return static_cast<uint64_t>(image.width) * static_cast<uint64_t>(image.height);
}

// Writes an image into the destination in the wanted channel count.
void copyConverted(const PixelImage& image, uint8_t* destination, int32_t channels) noexcept {
    if (image.channels == channels) std::memcpy(destination, image.pixels.data(), image.pixels.size());
    else if (channels == 4) copyRgb24ToRgba32(image.pixels.data(), destination, pixelsOf(image));
    else rgbaToRgb(destination, image.width, image.height, image.pixels.data());
}

int32_t readExpectedSize(uint8_t* destination, int32_t width, int32_t height, const char* path,
                         int32_t channels) {
    if (!destination) return 0;
    const auto image = decodeForImport(path);
    if (!image) return 0;
    if (image->width != width || image->height != height) {
        io::reportFileFailure("the picture is " + std::to_string(image->width) + " x " +
                              std::to_string(image->height) + ", not the " + std::to_string(width) + " x " +
                              std::to_string(height) + " expected");
        return 0;
    }
    copyConverted(*image, destination, channels);
    return 1;
}

constexpr int32_t kDefaultDpi = 72;

// Names the extensions that are written, so a host can tell the user what to pick.
template <class Entry>
void reportUnknownExtension(std::span<const Entry> writers, const char* extension) {
    std::string known;
    for (const Entry& entry : writers) known += std::string(known.empty() ? "" : " ") + entry.extension;
    io::reportFileFailure("unknown extension '" + std::string(extension ? extension : "") + "' (written: " + known +
                          ")");
}

bool validBlock(const uint8_t* block, int32_t width, int32_t height, int32_t channels) noexcept {
    return block && codecs::checkedImageBytes(width, height, channels).has_value();
}

int32_t writeBlock(std::span<const io::BlockWriter> writers, const uint8_t* block, int32_t width, int32_t height,
                   const char* path, const char* extension, int32_t dpi, int32_t channels) {
    io::clearFileMessage();
    if (!validBlock(block, width, height, channels)) {
        io::reportFileFailure("no picture, or a size the writers do not take");
        return 0;
    }
    const io::BlockWriter* writer = io::findByExtension(writers, extension);
    if (!writer) {
        reportUnknownExtension(writers, extension);
        return 0;
    }
    OutputFile file(path);
    if (!file.isOpen()) return 0;
    const int32_t result = writer->write(file.dest(), block, width, height, dpi);
    if (!file.commit(result != 0)) return 0;
    // 72 is what every reader assumes of a file without a resolution: nothing is lost.
    if (!writer->storesResolution && dpi != kDefaultDpi)
        io::reportFileWarning(std::string(writer->extension) + " files are written without a resolution; " +
                              std::to_string(dpi) + " dpi was not stored");
    return result;
}

void savePage(std::span<const io::PageWriter> writers, const char* path, const char* extension, int32_t dpi,
              int32_t channels) {
    io::clearFileMessage();
    const Canvas& c = canvas();
    if (c.width <= 0 || c.height <= 0) return io::reportFileFailure("no canvas is open");
    const io::PageWriter* start = io::findByExtension(writers, extension);
    if (!start) return reportUnknownExtension(writers, extension);
    OwnedBuffer<uint8_t> mergedRow(x_NewCharUndoReduce(static_cast<uint64_t>(c.width) * 8));
    OwnedBuffer<uint8_t> outputRow(x_NewCharUndoReduce(static_cast<uint64_t>(c.width) * channels));
    if (!mergedRow || !outputRow) return io::reportFileFailure("out of memory");
    auto* merged = reinterpret_cast<uint16_t*>(mergedRow.get());

    OutputFile file(path);
    if (!file.isOpen()) return;
    auto writer = start->start(file.dest(), c.width, c.height, dpi);
    if (!writer) {
        file.commit(false);
        return;
    }
    const bool bottomUp = writer->rowOrderBottomUp();
    for (int32_t i = 0; i < c.height; ++i) {
        const int32_t y = bottomUp ? c.height - 1 - i : i;
        mergeRect(merged, 0, y, c.width, 1);
        if (channels == 3) rgba64ToRGB24Rect(outputRow.get(), c.width * 3, merged, c.width * 8, c.width, 1);
        else rgba64ToRGBA32Rect(outputRow.get(), c.width * 4, merged, c.width * 8, c.width, 1);
        if (!writer->writeRow(outputRow.get())) {
            file.commit(false);
            return;
        }
    }
    file.commit(writer->finish());
}

// Dots per inch from a stored resolution: the factor that turns each type's unit into
// inches; anything not listed reads as 72.
struct ResolutionUnit {
    FileType type;
    int32_t unit;
    double toDotsPerInch;
};
constexpr std::array kResolutionUnits{
    ResolutionUnit{FileType::Bmp, 1, 2.5400000025908},   ResolutionUnit{FileType::Bmp, 2, 0.025400000025908},
    ResolutionUnit{FileType::Jpeg, 1, 1.0},              ResolutionUnit{FileType::Jpeg, 2, 2.5400000025908},
    ResolutionUnit{FileType::Png, 1, 0.025400000025908}, ResolutionUnit{FileType::Tiff, 2, 1.0},
    ResolutionUnit{FileType::Tiff, 3, 2.5400000025908},  ResolutionUnit{FileType::Psd, 2, 1.0},
    ResolutionUnit{FileType::Psd, 3, 2.5400000025908},  ResolutionUnit{FileType::Pcx, 0, 1.0},
    ResolutionUnit{FileType::WebP, 2, 1.0},             ResolutionUnit{FileType::WebP, 3, 2.5400000025908},
};

// Resolutions near a common value are reported as that value; all others as 72.
constexpr std::array kCommonDpis{72, 96, 150, 200, 300, 450, 600};

int32_t snapDpi(int32_t raw) noexcept {
    for (int32_t common : kCommonDpis)
        if (raw >= common - 1 && raw <= common + 1) return common;
    return kDefaultDpi;
}

int32_t rawDpi(const char* path) {
    const auto bytes = codecs::readWholeFile(path);
    if (!bytes) return kDefaultDpi;
    const FileType type = codecs::guessFileType(*bytes);
    const auto info = io::readRasterInfo(*bytes, type);
    if (!info) return kDefaultDpi;
    for (const auto& u : kResolutionUnits)
        if (u.type == type && u.unit == info->resolution.unit)
            return static_cast<int32_t>(info->resolution.x * u.toDotsPerInch);
    return kDefaultDpi;
}

std::optional<io::ImageInfo> pngInfo(const char* path) {
    const auto bytes = codecs::readWholeFile(path);
    if (!bytes || codecs::guessFileType(*bytes) != FileType::Png) return std::nullopt;
    return io::readRasterInfo(*bytes, FileType::Png);
}

}  // namespace

std::optional<PixelImage> readImageFileRgba32(const char* path) {
    const auto bytes = io::readFileReporting(path);
    if (!bytes) return std::nullopt;
    const FileType type = codecs::guessFileType(*bytes);
    if (!isMetafile(type)) return io::decodeReporting(*bytes, type, [&](ByteSpan b) { return io::decodeRaster(b, type); });
    auto drawn = io::decodeReporting(*bytes, type, [](ByteSpan b) { return io::renderMetafileFile(b, 0, 0, 0xFFFFFF); });
    if (!drawn) return std::nullopt;
    PixelImage rgba{drawn->width, drawn->height, 4, std::vector<uint8_t>(pixelsOf(*drawn) * 4)};
    copyRgb24ToRgba32(drawn->pixels.data(), rgba.pixels.data(), pixelsOf(*drawn));
    return rgba;
}

namespace {

struct Size {
    int32_t width;
    int32_t height;
};

// Shrinks with an area average when both sides get smaller, else resamples; writes the
// RGB24 result through the writer. Sizes below one pixel are raised to one.
void writeScaled(PixelImage& image, Size target, const char* destination,
                 int32_t (*write)(codecs::FileDest, const uint8_t*, int32_t, int32_t)) {
    target.width = std::max(target.width, 1);
    target.height = std::max(target.height, 1);
    const int32_t w = image.width;
    const int32_t h = image.height;
    OwnedBuffer<uint8_t> rgb(x_NewCharUndoReduce(pixelsOf(image) * 3));
    requireAllocated(rgb.get());
    rgbaToRgb(rgb.get(), w, h, image.pixels.data());
    image.pixels = {};

    const auto resultBytes = codecs::checkedImageBytes(target.width, target.height, 3);
    if (!resultBytes) return;
    OwnedBuffer<uint8_t> result(x_NewCharUndoReduce(*resultBytes));
    requireAllocated(result.get());
    const bool scaled =
        (w > target.width && h > target.height)
            ? IS3DecimateImage(rgb.get(), w, h, w * 3, result.get(), target.width, target.height, target.width * 3,
                               3, 1)
            : IS3ResizeImage(rgb.get(), w, h, w * 3, result.get(), target.width, target.height, target.width * 3, 3);
    if (!scaled) return;
    OutputFile file(destination);
    if (file.isOpen()) file.commit(write(file.dest(), result.get(), target.width, target.height) != 0);
}

// Copies an RGB24 picture into a new opaque RGBA32 block (alpha 255, whatever the fresh
// block held); 0 with the reason reported when the block cannot be had.
int32_t copyIntoNewBlock(const PixelImage& image) {
    uint8_t* block = createNewRgba(image.width, image.height);
    if (!block) {
        io::reportFileFailure("out of memory");
        return 0;
    }
    copyRgb24ToRgba32(image.pixels.data(), block, pixelsOf(image));
    return 1;
}

}  // namespace

int32_t readFromFile(const char* path) {
    auto image = decodeForImport(path);
    if (!image) return 0;
    if (image->pixels.size() != pixelsOf(*image) * static_cast<uint64_t>(image->channels)) return 0;
    if (image->channels == 4) {
        // The decoded picture becomes the block: no second copy of a large picture.
        adoptNewRgba(image->width, image->height, std::move(image->pixels));
        return 1;
    }
    return copyIntoNewBlock(*image);
}

int32_t readFromFileRaw(const char* path) {
    io::clearFileMessage();
    const auto bytes = io::readFileReporting(path);
    if (!bytes) return 0;
    const auto image = io::decodeReporting(*bytes, FileType::Unknown, io::decodeCameraRaw);
    if (!image) return 0;
    // Raw photographs are opaque.
    return copyIntoNewBlock(*image);
}

int32_t readFromFileRgba32(uint8_t* destination, int32_t width, int32_t height, const char* path) {
    return readExpectedSize(destination, width, height, path, 4);
}

int32_t readFromFileRgb24(uint8_t* destination, int32_t width, int32_t height, const char* path) {
    return readExpectedSize(destination, width, height, path, 3);
}

int32_t writeToFileRgb24(const uint8_t* block, int32_t width, int32_t height, const char* path,
                         const char* extension, int32_t dpi) {
    return writeBlock(io::rgb24BlockWriters(), block, width, height, path, extension, dpi, 3);
}

int32_t writeToFileRgba32(const uint8_t* block, int32_t width, int32_t height, const char* path,
                          const char* extension, int32_t dpi) {
    return writeBlock(io::rgba32BlockWriters(), block, width, height, path, extension, dpi, 4);
}

void savePageToFileRgb24(const char* path, const char* extension, int32_t dpi) {
    savePage(io::rgb24PageWriters(), path, extension, dpi, 3);
}

void savePageToFileRgb32(const char* path, const char* extension, int32_t dpi) {
    savePage(io::rgb32PageWriters(), path, extension, dpi, 4);
}

int32_t dpiFromFile(const char* path) { return snapDpi(rawDpi(path)); }

int32_t pngWidth(const char* path) {
    const auto info = pngInfo(path);
    return info ? info->width : 0;
}

int32_t pngHeight(const char* path) {
    const auto info = pngInfo(path);
    return info ? info->height : 0;
}

void makeThumbnail(const char* source, const char* destination, int32_t edge) {
    io::clearFileMessage();
    if (edge <= 0) return;
    auto image = readImageFileRgba32(source);
    if (!image) return;
    setColorOfTransparentRGBA32(image->pixels.data(), image->width, image->height, 255, 255, 255);
    const double w = image->width;
    const double h = image->height;
    // The longer side becomes edge, also when that enlarges the picture.
    const Size target = w > h ? Size{edge, static_cast<int32_t>(edge / w * h)}
                              : Size{static_cast<int32_t>(edge / h * w), edge};
    writeScaled(*image, target, destination, io::writeThumbnailBmp);
}

void makeWebPicture(const char* source, const char* destination, int32_t maxWidth, int32_t maxHeight) {
    io::clearFileMessage();
    if (maxWidth <= 0 || maxHeight <= 0) return;
    auto image = readImageFileRgba32(source);
    if (!image) return;
    const int32_t w = image->width;
    const int32_t h = image->height;
    Size target{w, h};
    // Fitted into the box, never enlarged.
    if (static_cast<double>(maxWidth) / maxHeight > static_cast<double>(w) / h) {
        if (h > maxHeight) target = {static_cast<int32_t>(w * (static_cast<double>(maxHeight) / h)), maxHeight};
    } else if (w > maxWidth) {
        target = {maxWidth, static_cast<int32_t>(h * (static_cast<double>(maxWidth) / w))};
    }
    writeScaled(*image, target, destination, io::writeWebPictureJpeg);
}

}  // namespace dro
