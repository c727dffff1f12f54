#include "imaging/lib/codecs/gif_codec.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace dro::codecs {
namespace {

int readFromMemory(GifFileType* gif, GifByteType* out, int count) {
    if (count <= 0) return 0;
    return static_cast<int>(static_cast<MemorySource*>(gif->UserData)->read(out, static_cast<uint64_t>(count)));
}

class GifReader {
public:
    explicit GifReader(ByteSpan bytes) : reader_{bytes.data(), bytes.size(), 0} {
        int error = 0;
        gif_ = DGifOpen(&reader_, readFromMemory, &error);
    }
    ~GifReader() {
        int error = 0;
        if (gif_) DGifCloseFile(gif_, &error);
    }
    GifReader(const GifReader&) = delete;
    GifReader& operator=(const GifReader&) = delete;
    GifFileType* get() const { return gif_; }

private:
    MemorySource reader_;
    GifFileType* gif_ = nullptr;
};

bool hasSignature(ByteSpan bytes) {
    return bytes.size() >= 6 && (std::memcmp(bytes.data(), "GIF87a", 6) == 0 || std::memcmp(bytes.data(), "GIF89a", 6) == 0);
}

// LZW yields at most a few thousand pixels per byte, so a screen or frame far larger
// than the file could ever fill is refused before it is allocated.
bool plausible(uint64_t pixels, size_t fileBytes) {
    return pixels <= uint64_t{4096} * fileBytes + (uint64_t{1} << 24);
}

// Rows of an interlaced frame arrive in four passes.
constexpr int kPassStart[4] = {0, 4, 2, 1};
constexpr int kPassStep[4] = {8, 8, 4, 2};

int outputToFile(GifFileType* gif, const GifByteType* data, int count) {
    auto* file = static_cast<std::FILE*>(gif->UserData);
    return count <= 0 ? 0 : static_cast<int>(std::fwrite(data, 1, static_cast<size_t>(count), file));
}

}  // namespace

std::optional<ImageInfo> readGifInfo(ByteSpan bytes) {
    if (!hasSignature(bytes)) return std::nullopt;
    GifReader reader(bytes);
    GifFileType* gif = reader.get();
    if (!gif || gif->SWidth <= 0 || gif->SHeight <= 0) return std::nullopt;
    ImageInfo info;
    info.width = gif->SWidth;
    info.height = gif->SHeight;
    return info;
}

std::optional<PixelImage> decodeGif(ByteSpan bytes) {
    if (!hasSignature(bytes)) return std::nullopt;
    GifReader reader(bytes);
    GifFileType* gif = reader.get();
    if (!gif) return std::nullopt;

    int transparent = -1;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) != GIF_OK) return std::nullopt;
        if (record == TERMINATE_RECORD_TYPE) return std::nullopt;  // no frame at all
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) != GIF_OK) return std::nullopt;
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
                GraphicsControlBlock control{};
                if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) transparent = control.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif, &block) != GIF_OK) return std::nullopt;
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(gif) != GIF_OK) return std::nullopt;
        break;
    }

    const GifImageDesc& frame = gif->Image;
    if (frame.Left < 0 || frame.Top < 0 || frame.Width <= 0 || frame.Height <= 0) return std::nullopt;
    const int64_t width = std::max<int64_t>(gif->SWidth, int64_t{frame.Left} + frame.Width);
    const int64_t height = std::max<int64_t>(gif->SHeight, int64_t{frame.Top} + frame.Height);
    const auto size = checkedImageBytes(width, height, 4);
    if (!size || !plausible(uint64_t(width) * uint64_t(height), bytes.size())) return std::nullopt;

    // Local palette first, then the global one; a file with neither reads as grey.
    // Indices past the palette's end show black.
    uint8_t palette[256 * 3] = {};
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (map && map->Colors) {
        const int count = std::clamp(map->ColorCount, 0, 256);
        for (int i = 0; i < count; ++i) {
            palette[i * 3] = map->Colors[i].Red;
            palette[i * 3 + 1] = map->Colors[i].Green;
            palette[i * 3 + 2] = map->Colors[i].Blue;
        }
    } else {
        for (int i = 0; i < 256; ++i) palette[i * 3] = palette[i * 3 + 1] = palette[i * 3 + 2] = static_cast<uint8_t>(i);
    }

    PixelImage image = PixelImage::filled(width, height, 4, 0);  // the screen starts transparent
    std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));
    auto putRow = [&](int row) {
        uint8_t* dst = image.pixels.data() + (static_cast<size_t>(frame.Top + row) * width + frame.Left) * 4;
        for (int x = 0; x < frame.Width; ++x, dst += 4) {
            const int index = line[static_cast<size_t>(x)];
            if (index == transparent) continue;
            std::memcpy(dst, &palette[index * 3], 3);
            dst[3] = 255;
        }
    };
    if (frame.Interlace) {
        for (int pass = 0; pass < 4; ++pass) {
            for (int row = kPassStart[pass]; row < frame.Height; row += kPassStep[pass]) {
                if (DGifGetLine(gif, line.data(), frame.Width) != GIF_OK) return std::nullopt;
                putRow(row);
            }
        }
    } else {
        for (int row = 0; row < frame.Height; ++row) {
            if (DGifGetLine(gif, line.data(), frame.Width) != GIF_OK) return std::nullopt;
            putRow(row);
        }
    }
    return image;
}

bool writeGif8(FileDest dest, const uint8_t* indices, int32_t width, int32_t height, const uint8_t* paletteRgb,
               int32_t colours, int32_t transparentIndex) {
    if (!dest.file || !indices || !paletteRgb || width <= 0 || height <= 0 || width > 65535 || height > 65535)
        return false;
    if (colours < 1 || colours > 256 || transparentIndex < -1 || transparentIndex >= colours) return false;
    if (!checkedImageBytes(width, height, 1)) return false;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    // giflib would mask a stray index into the palette silently; refuse it instead.
    if (std::any_of(indices, indices + count, [&](uint8_t i) { return i >= colours; })) return false;

    const int bits = GifBitSize(colours);
    ColorMapObject* map = GifMakeMapObject(1 << bits, nullptr);
    if (!map) return false;
    for (int i = 0; i < (1 << bits); ++i) {
        const bool used = i < colours;
        map->Colors[i].Red = used ? paletteRgb[i * 3] : 0;
        map->Colors[i].Green = used ? paletteRgb[i * 3 + 1] : 0;
        map->Colors[i].Blue = used ? paletteRgb[i * 3 + 2] : 0;
    }

    int error = 0;
    GifFileType* gif = EGifOpen(dest.file, outputToFile, &error);
    bool ok = gif != nullptr;
    if (ok) {
        EGifSetGifVersion(gif, transparentIndex >= 0);
        ok = EGifPutScreenDesc(gif, width, height, bits, 0, map) == GIF_OK;
    }
    if (ok && transparentIndex >= 0) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.TransparentColor = transparentIndex;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    // giflib masks the line in place, so it gets a copy of each row.
    std::vector<GifPixelType> line(static_cast<size_t>(width));
    for (int32_t y = 0; ok && y < height; ++y) {
        std::memcpy(line.data(), indices + static_cast<size_t>(y) * width, line.size());
        ok = EGifPutLine(gif, line.data(), width) == GIF_OK;
    }
    if (gif && EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    GifFreeMapObject(map);
    return ok && std::fflush(dest.file) == 0;
}

}  // namespace dro::codecs
