#include "imaging/lib/codecs/tiff_codec.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <sys/types.h>
#include <vector>

namespace dro::codecs {
namespace {

// ---- libtiff plumbing -------------------------------------------------------------

int silence(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// Per-handle handlers keep libtiff quiet without touching its process-wide ones; the
// allocation cap stops a forged strip size before libtiff allocates for it.
class OpenOptions {
public:
    OpenOptions() : options_(TIFFOpenOptionsAlloc()) {
        if (!options_) return;
        TIFFOpenOptionsSetErrorHandlerExtR(options_, silence, nullptr);
        TIFFOpenOptionsSetWarningHandlerExtR(options_, silence, nullptr);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options_, tmsize_t{1} << 30);
    }
    ~OpenOptions() {
        if (options_) TIFFOpenOptionsFree(options_);
    }
    OpenOptions(const OpenOptions&) = delete;
    OpenOptions& operator=(const OpenOptions&) = delete;
    TIFFOpenOptions* get() const { return options_; }

private:
    TIFFOpenOptions* options_;
};

tmsize_t memoryRead(thandle_t handle, void* out, tmsize_t count) {
    if (count <= 0) return 0;
    return static_cast<tmsize_t>(static_cast<MemorySource*>(handle)->read(out, static_cast<uint64_t>(count)));
}
tmsize_t memoryWrite(thandle_t, void*, tmsize_t) { return 0; }
toff_t memorySeek(thandle_t handle, toff_t offset, int whence) {
    auto* file = static_cast<MemorySource*>(handle);
    const uint64_t base = whence == SEEK_CUR ? file->position : whence == SEEK_END ? file->size : 0;
    if (offset > UINT64_MAX - base) return static_cast<toff_t>(-1);
    file->position = base + offset;
    return file->position;
}
int memoryClose(thandle_t) { return 0; }
toff_t memorySize(thandle_t handle) { return static_cast<MemorySource*>(handle)->size; }
int memoryMap(thandle_t handle, void** base, toff_t* size) {
    auto* file = static_cast<MemorySource*>(handle);
    *base = const_cast<uint8_t*>(file->data);  // libtiff only reads a mapping opened for reading
    *size = file->size;
    return 1;
}
void memoryUnmap(thandle_t, void*, toff_t) {}

// Writing goes through the caller's FILE*, with offsets counted from where the file
// stood when the writer started.
struct StdioFile {
    std::FILE* file;
    off_t base;
};

tmsize_t stdioRead(thandle_t handle, void* out, tmsize_t count) {
    auto* f = static_cast<StdioFile*>(handle);
    return count <= 0 ? 0 : static_cast<tmsize_t>(std::fread(out, 1, static_cast<size_t>(count), f->file));
}
tmsize_t stdioWrite(thandle_t handle, void* data, tmsize_t count) {
    auto* f = static_cast<StdioFile*>(handle);
    return count <= 0 ? 0 : static_cast<tmsize_t>(std::fwrite(data, 1, static_cast<size_t>(count), f->file));
}
toff_t stdioSeek(thandle_t handle, toff_t offset, int whence) {
    auto* f = static_cast<StdioFile*>(handle);
    const off_t target = whence == SEEK_SET ? f->base + static_cast<off_t>(offset) : static_cast<off_t>(offset);
    if (fseeko(f->file, target, whence) != 0) return static_cast<toff_t>(-1);
    const off_t now = ftello(f->file);
    return now < f->base ? static_cast<toff_t>(-1) : static_cast<toff_t>(now - f->base);
}
int stdioClose(thandle_t) { return 0; }
toff_t stdioSize(thandle_t handle) {
    auto* f = static_cast<StdioFile*>(handle);
    const off_t here = ftello(f->file);
    if (here < 0 || fseeko(f->file, 0, SEEK_END) != 0) return 0;
    const off_t end = ftello(f->file);
    fseeko(f->file, here, SEEK_SET);
    return end < f->base ? 0 : static_cast<toff_t>(end - f->base);
}
int stdioMap(thandle_t, void**, toff_t*) { return 0; }
void stdioUnmap(thandle_t, void*, toff_t) {}

class TiffHandle {
public:
    explicit TiffHandle(TIFF* tif) : tif_(tif) {}
    ~TiffHandle() {
        if (tif_) TIFFClose(tif_);
    }
    TiffHandle(const TiffHandle&) = delete;
    TiffHandle& operator=(const TiffHandle&) = delete;
    TIFF* get() const { return tif_; }
    // Closes now, for writers that must know the file is complete.
    void close() {
        if (tif_) TIFFClose(tif_);
        tif_ = nullptr;
    }

private:
    TIFF* tif_;
};

TIFF* openMemory(MemorySource& file, const OpenOptions& options) {
    if (!options.get()) return nullptr;
    return TIFFClientOpenExt("memory", "r", &file, memoryRead, memoryWrite, memorySeek, memoryClose, memorySize,
                             memoryMap, memoryUnmap, options.get());
}

bool looksLikeTiff(ByteSpan bytes) {
    if (bytes.size() < 8) return false;
    return (bytes[0] == 'I' && bytes[1] == 'I' && (bytes[2] == 42 || bytes[2] == 43) && bytes[3] == 0) ||
           (bytes[0] == 'M' && bytes[1] == 'M' && bytes[2] == 0 && (bytes[3] == 42 || bytes[3] == 43));
}

// A TIFF opened from bytes in memory, with the size of its first image. The handle
// reads through `file` and `options`, so all three live and die together.
class MemoryTiff {
public:
    explicit MemoryTiff(ByteSpan bytes)
        : file_{bytes.data(), bytes.size(), 0}, tif_(looksLikeTiff(bytes) ? openMemory(file_, options_) : nullptr) {
        if (tif_.get() && TIFFGetField(tif_.get(), TIFFTAG_IMAGEWIDTH, &width_) &&
            TIFFGetField(tif_.get(), TIFFTAG_IMAGELENGTH, &height_))
            sized_ = true;
    }
    // False when the bytes are no TIFF, libtiff refused them or the size fields are missing.
    bool ok() const noexcept { return sized_; }
    TIFF* get() const noexcept { return tif_.get(); }
    uint32_t width() const noexcept { return width_; }
    uint32_t height() const noexcept { return height_; }

private:
    OpenOptions options_;
    MemorySource file_;
    TiffHandle tif_;
    uint32_t width_ = 0, height_ = 0;
    bool sized_ = false;
};

// ---- decoding ---------------------------------------------------------------------

enum class Colour { Grey, GreyInverted, Palette, Rgb, Cmyk };

struct Layout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bits = 0;
    uint16_t samples = 0;
    bool separate = false;
    Colour colour = Colour::Rgb;
    int colourSamples = 0;
    bool alpha = false;
    bool associated = false;
    // Palette entries narrowed to 8 bits.
    std::vector<uint8_t> palette;
};

uint32_t sampleAt(const uint8_t* row, uint64_t index, int bits) {
    if (bits == 8) return row[index];
    if (bits == 16) {
        uint16_t v;
        std::memcpy(&v, row + index * 2, 2);  // libtiff hands samples over in host order
        return v;
    }
    const uint64_t bit = index * static_cast<uint64_t>(bits);
    const int shift = 8 - bits - static_cast<int>(bit % 8);
    return (row[bit / 8] >> shift) & ((1u << bits) - 1);
}

uint8_t toByte(uint32_t v, int bits) {
    if (bits == 8) return static_cast<uint8_t>(v);
    if (bits == 16) return static_cast<uint8_t>(v >> 8);
    return static_cast<uint8_t>(v * 255 / ((1u << bits) - 1));
}

void unpremultiply(uint8_t* px) {
    const unsigned a = px[3];
    for (int c = 0; c < 3; ++c) {
        px[c] = a == 0 ? 0 : static_cast<uint8_t>(std::min(255u, (px[c] * 255u + a / 2) / a));
    }
}

// Reads the tags that decide whether the direct path can take the file; false sends it
// to libtiff's RGBA conversion.
bool directLayout(TIFF* tif, Layout& layout) {
    uint16_t photometric = 0, planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT;
    uint16_t orientation = ORIENTATION_TOPLEFT, compression = COMPRESSION_NONE;
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) return false;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &layout.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &layout.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (format != SAMPLEFORMAT_UINT || orientation != ORIENTATION_TOPLEFT) return false;
    layout.separate = planar == PLANARCONFIG_SEPARATE;

    switch (photometric) {
        case PHOTOMETRIC_MINISBLACK: layout.colour = Colour::Grey; layout.colourSamples = 1; break;
        case PHOTOMETRIC_MINISWHITE: layout.colour = Colour::GreyInverted; layout.colourSamples = 1; break;
        case PHOTOMETRIC_PALETTE: layout.colour = Colour::Palette; layout.colourSamples = 1; break;
        case PHOTOMETRIC_RGB: layout.colour = Colour::Rgb; layout.colourSamples = 3; break;
        case PHOTOMETRIC_SEPARATED: {
            uint16_t inkSet = INKSET_CMYK;
            TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkSet);
            if (inkSet != INKSET_CMYK) return false;
            layout.colour = Colour::Cmyk;
            layout.colourSamples = 4;
            break;
        }
        case PHOTOMETRIC_YCBCR:
            // libjpeg converts JPEG-compressed YCbCr itself; other YCbCr goes the slow way.
            if (compression != COMPRESSION_JPEG || layout.separate) return false;
            if (!TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB)) return false;
            layout.colour = Colour::Rgb;
            layout.colourSamples = 3;
            break;
        default: return false;
    }
    const bool lowBits = layout.bits == 1 || layout.bits == 2 || layout.bits == 4;
    if (!(layout.bits == 8 || layout.bits == 16 || (lowBits && layout.colourSamples == 1))) return false;
    if (layout.colour == Colour::Palette && layout.bits == 16) return false;
    if (layout.samples < layout.colourSamples) return false;

    // Any extra sample counts as alpha, associated only when the file says so.
    uint16_t extraCount = 0;
    uint16_t* extraKinds = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds);
    layout.alpha = layout.samples > layout.colourSamples;
    layout.associated = layout.alpha && extraCount > 0 && extraKinds && extraKinds[0] == EXTRASAMPLE_ASSOCALPHA;

    if (layout.colour == Colour::Palette) {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue) return false;
        const size_t entries = size_t{1} << layout.bits;
        // Some writers store 8-bit values in the 16-bit map; keep those as they are.
        bool eightBit = true;
        for (size_t i = 0; i < entries; ++i) eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
        layout.palette.resize(entries * 3);
        for (size_t i = 0; i < entries; ++i) {
            layout.palette[i * 3] = static_cast<uint8_t>(eightBit ? red[i] : red[i] >> 8);
            layout.palette[i * 3 + 1] = static_cast<uint8_t>(eightBit ? green[i] : green[i] >> 8);
            layout.palette[i * 3 + 2] = static_cast<uint8_t>(eightBit ? blue[i] : blue[i] >> 8);
        }
    }
    return true;
}

// One strip or tile: where it lands in the image and how its rows are laid out.
struct Unit {
    uint32_t x0, y0, columns, rows;
    uint32_t pixelsPerRow;  // the tile width, or the image width for strips
};

void convertUnit(const Layout& layout, const Unit& unit, const std::vector<std::vector<uint8_t>>& planes,
                 uint64_t rowBytes, uint8_t* out) {
    const int needed = layout.colourSamples + (layout.alpha ? 1 : 0);
    for (uint32_t r = 0; r < unit.rows; ++r) {
        uint8_t* dst = out + (uint64_t{unit.y0 + r} * layout.width + unit.x0) * 4;
        for (uint32_t x = 0; x < unit.columns; ++x, dst += 4) {
            uint32_t raw[5] = {0, 0, 0, 0, 0};
            for (int s = 0; s < needed; ++s) {
                const uint8_t* row = planes[layout.separate ? s : 0].data() + r * rowBytes;
                raw[s] = sampleAt(row, layout.separate ? x : uint64_t{x} * layout.samples + s, layout.bits);
            }
            switch (layout.colour) {
                case Colour::Grey:
                case Colour::GreyInverted: {
                    const uint8_t g = toByte(raw[0], layout.bits);
                    dst[0] = dst[1] = dst[2] = layout.colour == Colour::Grey ? g : static_cast<uint8_t>(255 - g);
                    break;
                }
                case Colour::Palette: std::memcpy(dst, &layout.palette[raw[0] * 3], 3); break;
                case Colour::Rgb:
                    for (int c = 0; c < 3; ++c) dst[c] = toByte(raw[c], layout.bits);
                    break;
                case Colour::Cmyk: {
                    const unsigned k = 255u - toByte(raw[3], layout.bits);
                    for (int c = 0; c < 3; ++c) {
                        dst[c] = static_cast<uint8_t>(((255u - toByte(raw[c], layout.bits)) * k + 127) / 255);
                    }
                    break;
                }
            }
            dst[3] = layout.alpha ? toByte(raw[layout.colourSamples], layout.bits) : 255;
            if (layout.associated) unpremultiply(dst);
        }
    }
}

bool readDirect(TIFF* tif, const Layout& layout, uint8_t* out) {
    const bool tiled = TIFFIsTiled(tif);
    uint32_t unitWidth = layout.width, unitHeight = 0;
    if (tiled) {
        if (!TIFFGetField(tif, TIFFTAG_TILEWIDTH, &unitWidth) || !TIFFGetField(tif, TIFFTAG_TILELENGTH, &unitHeight))
            return false;
    } else {
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unitHeight);
        unitHeight = std::min(unitHeight, layout.height);
    }
    if (unitWidth == 0 || unitHeight == 0) return false;
    const uint64_t samplesPerRow = uint64_t{unitWidth} * (layout.separate ? 1 : layout.samples);
    const uint64_t rowBytes = (samplesPerRow * layout.bits + 7) / 8;
    const uint64_t unitBytes = tiled ? TIFFTileSize64(tif) : TIFFStripSize64(tif);
    if (unitBytes == 0 || unitBytes > (uint64_t{1} << 30) || unitBytes < rowBytes) return false;

    const int planeCount = layout.separate ? layout.colourSamples + (layout.alpha ? 1 : 0) : 1;
    std::vector<std::vector<uint8_t>> planes(planeCount, std::vector<uint8_t>(unitBytes));
    for (uint32_t y0 = 0; y0 < layout.height; y0 += unitHeight) {
        for (uint32_t x0 = 0; x0 < layout.width; x0 += unitWidth) {
            const Unit unit{x0, y0, std::min(unitWidth, layout.width - x0), std::min(unitHeight, layout.height - y0),
                            unitWidth};
            for (int p = 0; p < planeCount; ++p) {
                const auto sample = static_cast<uint16_t>(p);
                const tmsize_t got =
                    tiled ? TIFFReadEncodedTile(tif, TIFFComputeTile(tif, x0, y0, 0, sample), planes[p].data(),
                                                static_cast<tmsize_t>(unitBytes))
                          : TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, y0, sample), planes[p].data(),
                                                 static_cast<tmsize_t>(unitBytes));
                if (got < 0 || static_cast<uint64_t>(got) < uint64_t{unit.rows} * rowBytes) return false;
            }
            convertUnit(layout, unit, planes, rowBytes, out);
        }
    }
    return true;
}

// libtiff's own conversion for whatever the direct path does not take (YCbCr, LogLuv,
// CIELab, other orientations ...). It premultiplies any alpha; that is undone here.
bool readThroughLibtiff(TIFF* tif, uint32_t width, uint32_t height, uint8_t* out) {
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tif, message)) return false;
    TIFFRGBAImage image{};
    if (!TIFFRGBAImageBegin(&image, tif, 0, message)) return false;
    image.req_orientation = ORIENTATION_TOPLEFT;
    const bool ok = image.width == width && image.height == height &&
                    TIFFRGBAImageGet(&image, reinterpret_cast<uint32_t*>(out), width, height);
    const bool alpha = image.alpha != 0;
    TIFFRGBAImageEnd(&image);
    if (!ok) return false;
    // The raster holds ABGR words; on any host their bytes are unpacked to R, G, B, A.
    const uint64_t count = uint64_t{width} * height;
    for (uint64_t i = 0; i < count; ++i) {
        uint8_t* px = out + i * 4;
        uint32_t w;
        std::memcpy(&w, px, 4);
        px[0] = static_cast<uint8_t>(TIFFGetR(w));
        px[1] = static_cast<uint8_t>(TIFFGetG(w));
        px[2] = static_cast<uint8_t>(TIFFGetB(w));
        px[3] = static_cast<uint8_t>(TIFFGetA(w));
        if (alpha) unpremultiply(px);
    }
    return true;
}

// ---- writing ----------------------------------------------------------------------

class TiffRowWriter final : public RowWriter {
public:
    TiffRowWriter(std::FILE* file, int32_t width, int32_t height, int32_t channels)
        : file_{file, 0}, progress_(height), row_(static_cast<size_t>(width) * channels) {}

    bool start(int32_t width, int32_t channels, TiffCompression compression, Resolution resolution) {
        file_.base = ftello(file_.file);
        if (file_.base < 0 || !options_.get()) return false;
        TIFF* tif = TIFFClientOpenExt("output", "w", &file_, stdioRead, stdioWrite, stdioSeek, stdioClose,
                                      stdioSize, stdioMap, stdioUnmap, options_.get());
        if (!tif) return false;
        handle_ = std::make_unique<TiffHandle>(tif);
        bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width)) &&
                  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(progress_.height())) &&
                  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) &&
                  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, channels) &&
                  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
                  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
                  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
        if (ok && channels == 4) {
            const uint16_t kinds[1] = {EXTRASAMPLE_UNASSALPHA};
            ok = TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, kinds);
        }
        if (ok && compression == TiffCompression::Lzw) {
            ok = TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW) &&
                 TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        } else if (ok) {
            ok = TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        }
        if (ok && resolution.x > 0.0 && resolution.y > 0.0) {
            const uint16_t unit = resolution.unit == 2 ? RESUNIT_INCH : resolution.unit == 3 ? RESUNIT_CENTIMETER
                                                                                            : RESUNIT_NONE;
            ok = TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(resolution.x)) &&
                 TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(resolution.y)) &&
                 TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, unit);
        }
        ok = ok && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
        return progress_.started(ok);
    }

    bool writeRow(const uint8_t* row) override {
        if (!handle_ || !progress_.accepts(row)) return false;
        // The predictor works in place, so libtiff gets a copy of the caller's row.
        std::memcpy(row_.data(), row, row_.size());
        return progress_.wrote(
            TIFFWriteScanline(handle_->get(), row_.data(), static_cast<uint32_t>(progress_.rows()), 0) == 1);
    }

    bool finish() override {
        if (!handle_ || !progress_.finishing()) return false;
        const bool flushed = TIFFFlush(handle_->get()) == 1;
        handle_->close();
        handle_.reset();
        return flushed && std::fflush(file_.file) == 0 && !std::ferror(file_.file);
    }

private:
    OpenOptions options_;
    StdioFile file_;
    std::unique_ptr<TiffHandle> handle_;
    RowProgress progress_;
    std::vector<uint8_t> row_;
};

bool sizeFits(int32_t width, int32_t height, int32_t channels) {
    return (channels == 3 || channels == 4) && checkedImageBytes(width, height, channels).has_value();
}

}  // namespace

std::optional<ImageInfo> readTiffInfo(ByteSpan bytes) {
    const MemoryTiff tif(bytes);
    if (!tif.ok()) return std::nullopt;
    const uint32_t width = tif.width(), height = tif.height();
    if (width == 0 || height == 0 || width > kMaxImageDimension || height > kMaxImageDimension) return std::nullopt;
    ImageInfo info;
    info.width = static_cast<int>(width);
    info.height = static_cast<int>(height);
    float x = 0.0f, y = 0.0f;
    uint16_t unit = RESUNIT_INCH;
    if (TIFFGetField(tif.get(), TIFFTAG_XRESOLUTION, &x)) {
        if (!TIFFGetField(tif.get(), TIFFTAG_YRESOLUTION, &y)) y = x;
        TIFFGetFieldDefaulted(tif.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
        info.resolution = {x, y, unit};
    }
    return info;
}

std::optional<PixelImage> decodeTiff(ByteSpan bytes) {
    const MemoryTiff tif(bytes);
    if (!tif.ok()) return std::nullopt;
    const uint32_t width = tif.width(), height = tif.height();
    const auto size = checkedImageBytes(width, height, 4);
    if (!size) return std::nullopt;
    // No TIFF compression packs millions of pixels into a few bytes (uniform CCITT pages
    // come closest), so a tiny file announcing a huge image is refused before allocation.
    if (uint64_t{width} * height > uint64_t{8192} * bytes.size() + (uint64_t{1} << 24)) return std::nullopt;

    PixelImage image = PixelImage::filled(width, height, 4, 0);
    Layout layout;
    layout.width = width;
    layout.height = height;
    const bool ok = directLayout(tif.get(), layout) ? readDirect(tif.get(), layout, image.pixels.data())
                                                    : readThroughLibtiff(tif.get(), width, height, image.pixels.data());
    if (!ok) return std::nullopt;
    return image;
}

bool writeTiff(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
               TiffCompression compression, Resolution resolution) {
    if (!pixels) return false;
    auto writer = startTiffRows(dest, width, height, channels, compression, resolution);
    return writeImageRows(writer.get(), pixels, width, height, channels);
}

std::unique_ptr<RowWriter> startTiffRows(FileDest dest, int32_t width, int32_t height, int32_t channels,
                                         TiffCompression compression, Resolution resolution) {
    if (!dest.file || !sizeFits(width, height, channels)) return nullptr;
    auto writer = std::make_unique<TiffRowWriter>(dest.file, width, height, channels);
    if (!writer->start(width, channels, compression, resolution)) return nullptr;
    return writer;
}

}  // namespace dro::codecs
