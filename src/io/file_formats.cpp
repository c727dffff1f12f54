#include "io/file_formats.h"

#include <array>
#include <cctype>
#include <vector>

#include "imaging/lib/codecs/bmp_codec.h"
#include "imaging/lib/codecs/gif_codec.h"
#include "imaging/lib/codecs/jpeg_codec.h"
#include "imaging/lib/codecs/metafile_codec.h"
#include "imaging/lib/codecs/pcx_codec.h"
#include "imaging/lib/codecs/png_codec.h"
#include "imaging/lib/codecs/psd_codec.h"
#include "imaging/lib/codecs/quantize.h"
#include "imaging/lib/codecs/raw_codec.h"
#include "imaging/lib/codecs/tga_codec.h"
#include "imaging/lib/codecs/tiff_codec.h"
#include "imaging/lib/codecs/webp_codec.h"

namespace dro::io {
namespace {

using codecs::Resolution;

struct RasterCodec {
    FileType type;
    std::optional<PixelImage> (*decode)(ByteSpan);
    std::optional<ImageInfo> (*info)(ByteSpan);
};

constexpr std::array kRasterCodecs{
    RasterCodec{FileType::Bmp, codecs::decodeBmp, codecs::readBmpInfo},
    RasterCodec{FileType::Jpeg, codecs::decodeJpeg, codecs::readJpegInfo},
    RasterCodec{FileType::Png, codecs::decodePng, codecs::readPngInfo},
    RasterCodec{FileType::Tiff, codecs::decodeTiff, codecs::readTiffInfo},
    RasterCodec{FileType::Psd, codecs::decodePsd, codecs::readPsdInfo},
    RasterCodec{FileType::Gif, codecs::decodeGif, codecs::readGifInfo},
    RasterCodec{FileType::Tga, codecs::decodeTga, codecs::readTgaInfo},
    RasterCodec{FileType::Pcx, codecs::decodePcx, codecs::readPcxInfo},
    RasterCodec{FileType::WebP, codecs::decodeWebp, codecs::readWebpInfo},
};

const RasterCodec* codecFor(FileType type) {
    for (const auto& codec : kRasterCodecs)
        if (codec.type == type) return &codec;
    return nullptr;
}

Resolution perMetre(int32_t dpi, int unit) {
    const double ppm = static_cast<int32_t>(dotsPerMetre(dpi));  // whole dots per metre
    return {ppm, ppm, unit};
}
Resolution perInch(int32_t dpi, int unit) { return {static_cast<double>(dpi), static_cast<double>(dpi), unit}; }

constexpr int32_t kJpegQuality = 97;
constexpr int32_t kWebJpegQuality = 75;

int32_t rgb24Bmp(FileDest d, const uint8_t* p, int32_t w, int32_t h, int32_t dpi) {
    return codecs::writeBmp(d, p, w, h, 3, 24, perMetre(dpi, 0));
}
int32_t rgb24Png(FileDest d, const uint8_t* p, int32_t w, int32_t h, int32_t dpi) {
    return codecs::writePng(d, p, w, h, 3, perMetre(dpi, 1));
}
int32_t rgb24Emf(FileDest d, const uint8_t* p, int32_t w, int32_t h, int32_t) { return codecs::writeEmf(d, p, w, h); }
int32_t rgb24Jpeg(FileDest d, const uint8_t* p, int32_t w, int32_t h, int32_t dpi) {
    return codecs::writeJpeg(d, p, w, h, 3, kJpegQuality, perInch(dpi, 1));
}
int32_t rgb24Pcx(FileDest d, const uint8_t* p, int32_t w, int32_t h, int32_t dpi) {
    return codecs::writePcx(d, p, w, h, 3, dpi);
}
int32_t rgb24Psd(FileDest d, const uint8_t* p, int32_t w, int32_t h, int32_t dpi) {
    return codecs::writePsd(d, p, w, h, 3, false, perInch(dpi, 2));
}
// GIF: the picture is reduced to a palette of at most 256 colours first.
int32_t rgb24Gif(FileDest d, const uint8_t* p, int32_t w, int32_t h, int32_t) {
    std::vector<uint8_t> indices(static_cast<size_t>(w) * static_cast<size_t>(h));
    std::array<uint8_t, 256 * 3> palette{};
    int32_t colours = 0;
    if (!codecs::quantizeRgbTo8Bit(p, w, h, w * 3, indices.data(), w, 256, palette.data(), colours)) return 0;
    return codecs::writeGif8(d, indices.data(), w, h, palette.data(), colours, -1);
}

int32_t rgba32Png(FileDest d, const uint8_t* p, int32_t w, int32_t h, int32_t dpi) {
    return codecs::writePng(d, p, w, h, 4, perMetre(dpi, 1));
}
int32_t rgba32Tga(FileDest d, const uint8_t* p, int32_t w, int32_t h, int32_t) {
    return codecs::writeTga(d, p, w, h, 4, 32);
}
int32_t rgba32Tiff(FileDest d, const uint8_t* p, int32_t w, int32_t h, int32_t dpi) {
    return codecs::writeTiff(d, p, w, h, 4, codecs::TiffCompression::Lzw, perInch(dpi, 2));
}
// Lossless and exact, so what is written is what comes back.
int32_t rgba32WebP(FileDest d, const uint8_t* p, int32_t w, int32_t h, int32_t dpi) {
    codecs::WebpOptions options;
    options.lossless = true;
    options.resolution = perInch(dpi, 2);
    return codecs::writeWebp(d, p, w, h, 4, options);
}

constexpr std::array kRgb24Writers{
    // No ".wmf": an enhanced metafile under that name is a file that lies about its type.
    BlockWriter{".bmp", rgb24Bmp}, BlockWriter{".png", rgb24Png}, BlockWriter{".emf", rgb24Emf, false},
    BlockWriter{".gif", rgb24Gif, false}, BlockWriter{".jpg", rgb24Jpeg}, BlockWriter{".pcx", rgb24Pcx},
    BlockWriter{".psd", rgb24Psd},
};

constexpr std::array kRgba32Writers{
    BlockWriter{".png", rgba32Png},
    BlockWriter{".tga", rgba32Tga, false},
    BlockWriter{".tif", rgba32Tiff},
    BlockWriter{".webp", rgba32WebP},
};

std::unique_ptr<RowWriter> rgb24BmpRows(FileDest d, int32_t w, int32_t h, int32_t dpi) {
    return codecs::startBmpRows(d, w, h, 3, 24, perMetre(dpi, 0));
}
std::unique_ptr<RowWriter> rgb24PngRows(FileDest d, int32_t w, int32_t h, int32_t dpi) {
    return codecs::startPngRows(d, w, h, 3, perMetre(dpi, 1));
}
std::unique_ptr<RowWriter> rgb24JpegRows(FileDest d, int32_t w, int32_t h, int32_t dpi) {
    return codecs::startJpegRows(d, w, h, 3, kJpegQuality, perInch(dpi, 1));
}
std::unique_ptr<RowWriter> rgb32PngRows(FileDest d, int32_t w, int32_t h, int32_t dpi) {
    return codecs::startPngRows(d, w, h, 4, perMetre(dpi, 1));
}
std::unique_ptr<RowWriter> rgb32TgaRows(FileDest d, int32_t w, int32_t h, int32_t) {
    return codecs::startTgaRows(d, w, h, 4, 32);
}
std::unique_ptr<RowWriter> rgb32TiffRows(FileDest d, int32_t w, int32_t h, int32_t dpi) {
    return codecs::startTiffRows(d, w, h, 4, codecs::TiffCompression::None, perInch(dpi, 2));
}

constexpr std::array kRgb24PageWriters{
    PageWriter{".bmp", rgb24BmpRows},
    PageWriter{".png", rgb24PngRows},
    PageWriter{".jpg", rgb24JpegRows},
};

constexpr std::array kRgb32PageWriters{
    PageWriter{".png", rgb32PngRows},
    PageWriter{".tga", rgb32TgaRows},
    PageWriter{".tif", rgb32TiffRows},
};

}  // namespace

std::optional<PixelImage> decodeRaster(ByteSpan bytes, FileType type) {
    const RasterCodec* codec = codecFor(type);
    return codec ? codec->decode(bytes) : std::nullopt;
}

std::optional<ImageInfo> readRasterInfo(ByteSpan bytes, FileType type) {
    const RasterCodec* codec = codecFor(type);
    return codec ? codec->info(bytes) : std::nullopt;
}

std::optional<PixelImage> renderMetafileFile(ByteSpan bytes, int32_t width, int32_t height, uint32_t background) {
    if (width <= 0 || height <= 0) {
        const auto info = codecs::readMetafileInfo(bytes);
        if (!info) return std::nullopt;
        width = info->width;
        height = info->height;
    }
    return codecs::renderMetafile(bytes, width, height, background);
}

std::optional<PixelImage> decodeCameraRaw(ByteSpan bytes) { return codecs::decodeRaw(bytes); }

std::span<const BlockWriter> rgb24BlockWriters() noexcept { return kRgb24Writers; }
std::span<const BlockWriter> rgba32BlockWriters() noexcept { return kRgba32Writers; }
std::span<const PageWriter> rgb24PageWriters() noexcept { return kRgb24PageWriters; }
std::span<const PageWriter> rgb32PageWriters() noexcept { return kRgb32PageWriters; }

int32_t writeWebPictureJpeg(FileDest dest, const uint8_t* rgb24, int32_t width, int32_t height) {
    return codecs::writeJpeg(dest, rgb24, width, height, 3, kWebJpegQuality, Resolution{});
}

int32_t writeThumbnailBmp(FileDest dest, const uint8_t* rgb24, int32_t width, int32_t height) {
    return codecs::writeBmp(dest, rgb24, width, height, 3, 24, Resolution{});
}

bool sameExtension(const char* a, const char* b) noexcept {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
    return *a == *b;
}

}  // namespace dro::io
