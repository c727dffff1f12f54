#include "imaging/lib/codecs/jpeg_codec.h"

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

#include "imaging/lib/codecs/decode_notes.h"

namespace dro::codecs {
namespace {

// libjpeg reports errors through error_exit, which jumps back to the setjmp of the call
// in progress. Functions holding a setjmp keep only trivially destructible locals;
// every buffer they fill is owned by their caller.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void noteLibraryMessage(j_common_ptr cinfo, bool warning) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    if (warning) noteDecodeWarning(std::string("libjpeg: ") + text);
    else noteDecodeProblem(std::string("libjpeg: ") + text);
}

[[noreturn]] void jumpOnError(j_common_ptr cinfo) {
    noteLibraryMessage(cinfo, false);
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}
void stayQuiet(j_common_ptr) {}

// Warnings mean the decoder went on over damage: the data ran out (the rest of the
// picture is left grey) or a segment was corrupt. The first one is kept for the host.
void noteWarning(j_common_ptr cinfo, int level) {
    if (level >= 0 || !cinfo->is_decompressor) return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (cinfo->err->msg_code != JWRN_JPEG_EOF) return noteLibraryMessage(cinfo, true);
    if (d->progressive_mode)
        noteDecodeWarning("truncated: the file ends before its last scan; what was decoded is kept");
    else
        noteDecodeWarning("truncated: the data ends near row " + std::to_string(d->output_scanline) + " of " +
                          std::to_string(d->output_height) + "; the rows below are grey");
}

// A hostile progressive file can hold thousands of tiny scans, each costing a pass over
// the whole coefficient buffer; real encoders write a dozen.
constexpr int kMaxScans = 500;

void limitScans(j_common_ptr cinfo) {
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        noteDecodeProblem("more than " + std::to_string(kMaxScans) + " progressive scans");
        jumpOnError(cinfo);
    }
}

void installErrorManager(j_common_ptr cinfo, ErrorManager& errors) {
    cinfo->err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jumpOnError;
    errors.base.output_message = stayQuiet;
    errors.base.emit_message = noteWarning;
}

enum class Layout { Rgba, Grey, Cmyk, InvertedCmyk };

struct Header {
    JDIMENSION width;
    JDIMENSION height;
    bool jfif;
    int densityUnit;
    int densityX;
    int densityY;
    Layout layout;
};

class DecodeSession {
public:
    explicit DecodeSession(ByteSpan bytes) : bytes_(bytes) {
        installErrorManager(reinterpret_cast<j_common_ptr>(&cinfo_), errors_);
        progress_.progress_monitor = limitScans;
        created_ = create();
    }
    ~DecodeSession() {
        if (created_) jpeg_destroy_decompress(&cinfo_);
    }
    DecodeSession(const DecodeSession&) = delete;
    DecodeSession& operator=(const DecodeSession&) = delete;

    bool readHeader(Header& header) {
        if (!created_) return false;
        j_decompress_ptr cinfo = &cinfo_;
        if (setjmp(errors_.jump)) return false;
        jpeg_mem_src(cinfo, bytes_.data(), static_cast<unsigned long>(bytes_.size()));
        if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return false;
        header.width = cinfo->image_width;
        header.height = cinfo->image_height;
        header.jfif = cinfo->saw_JFIF_marker;
        header.densityUnit = cinfo->density_unit;
        header.densityX = cinfo->X_density;
        header.densityY = cinfo->Y_density;
        switch (cinfo->jpeg_color_space) {
            case JCS_GRAYSCALE: header.layout = Layout::Grey; break;
            case JCS_CMYK:
            case JCS_YCCK: header.layout = cinfo->saw_Adobe_marker ? Layout::InvertedCmyk : Layout::Cmyk; break;
            default: header.layout = Layout::Rgba; break;
        }
        return true;
    }

    // Decodes every row into out (width x 4 per row); scratch holds one row of the
    // file's own components for grey and CMYK.
    bool readPixels(Layout layout, uint8_t* out, uint8_t* scratch) {
        j_decompress_ptr cinfo = &cinfo_;
        if (setjmp(errors_.jump)) return false;
        cinfo->progress = &progress_;
        cinfo->dct_method = JDCT_ISLOW;
        cinfo->out_color_space = layout == Layout::Rgba   ? JCS_EXT_RGBA
                                 : layout == Layout::Grey ? JCS_GRAYSCALE
                                                          : JCS_CMYK;
        if (!jpeg_start_decompress(cinfo)) return false;
        const size_t width = cinfo->output_width;
        const int expected = layout == Layout::Rgba ? 4 : layout == Layout::Grey ? 1 : 4;
        if (cinfo->output_components != expected || cinfo->output_width != cinfo->image_width ||
            cinfo->output_height != cinfo->image_height) {
            return false;
        }
        while (cinfo->output_scanline < cinfo->output_height) {
            uint8_t* row = out + size_t{cinfo->output_scanline} * width * 4;
            JSAMPROW target = layout == Layout::Rgba ? row : scratch;
            if (jpeg_read_scanlines(cinfo, &target, 1) != 1) return false;
            if (layout == Layout::Grey) {
                for (size_t x = 0; x < width; ++x) {
                    row[x * 4] = row[x * 4 + 1] = row[x * 4 + 2] = scratch[x];
                    row[x * 4 + 3] = 255;
                }
            } else if (layout != Layout::Rgba) {
                const bool inverted = layout == Layout::InvertedCmyk;
                for (size_t x = 0; x < width; ++x) {
                    const uint8_t* s = scratch + x * 4;
                    // Inverted files store 255 - ink, so their bytes are the light left.
                    const unsigned k = inverted ? s[3] : 255u - s[3];
                    for (int c = 0; c < 3; ++c) {
                        const unsigned light = inverted ? s[c] : 255u - s[c];
                        row[x * 4 + c] = static_cast<uint8_t>((light * k + 127) / 255);
                    }
                    row[x * 4 + 3] = 255;
                }
            }
        }
        jpeg_finish_decompress(cinfo);
        return true;
    }

private:
    bool create() {
        j_decompress_ptr cinfo = &cinfo_;
        if (setjmp(errors_.jump)) return false;
        jpeg_create_decompress(cinfo);
        return true;
    }

    ByteSpan bytes_;
    jpeg_decompress_struct cinfo_{};
    ErrorManager errors_{};
    jpeg_progress_mgr progress_{};
    bool created_ = false;
};

struct EncodeSettings {
    int quality;
    bool fullChroma;
};

class JpegRowWriter final : public RowWriter {
public:
    JpegRowWriter(std::FILE* file, int32_t width, int32_t height, int32_t channels)
        : file_(file), width_(width), channels_(channels), progress_(height) {
        installErrorManager(reinterpret_cast<j_common_ptr>(&cinfo_), errors_);
        created_ = create();
    }
    ~JpegRowWriter() override {
        if (created_) jpeg_destroy_compress(&cinfo_);
    }
    JpegRowWriter(const JpegRowWriter&) = delete;
    JpegRowWriter& operator=(const JpegRowWriter&) = delete;

    bool start(EncodeSettings settings, Resolution resolution) {
        return progress_.started(created_ && begin(settings, resolution));
    }

    bool writeRow(const uint8_t* row) override { return progress_.accepts(row) && progress_.wrote(put(row)); }

    bool finish() override { return progress_.finishing() && end() && std::fflush(file_) == 0;
    }

private:
    bool create() {
        j_compress_ptr cinfo = &cinfo_;
        if (setjmp(errors_.jump)) return false;
        jpeg_create_compress(cinfo);
        return true;
    }

    bool begin(EncodeSettings settings, Resolution resolution) {
        j_compress_ptr cinfo = &cinfo_;
        if (setjmp(errors_.jump)) return false;
        jpeg_stdio_dest(cinfo, file_);
        cinfo->image_width = static_cast<JDIMENSION>(width_);
        cinfo->image_height = static_cast<JDIMENSION>(progress_.height());
        cinfo->input_components = channels_;
        // The 4-byte input form skips the alpha byte inside the colour converter.
        cinfo->in_color_space = channels_ == 4 ? JCS_EXT_RGBX : JCS_RGB;
        jpeg_set_defaults(cinfo);
        jpeg_set_quality(cinfo, settings.quality, TRUE);
        cinfo->dct_method = JDCT_ISLOW;
        cinfo->smoothing_factor = 0;
        if (settings.fullChroma) {
            for (int c = 0; c < cinfo->num_components; ++c) {
                cinfo->comp_info[c].h_samp_factor = 1;
                cinfo->comp_info[c].v_samp_factor = 1;
            }
        }
        if (resolution.x > 0.0 && resolution.y > 0.0) {
            cinfo->write_JFIF_header = TRUE;
            cinfo->density_unit = static_cast<UINT8>(resolution.unit >= 0 && resolution.unit <= 2 ? resolution.unit : 0);
            cinfo->X_density = static_cast<UINT16>(std::lround(std::fmin(resolution.x, 65535.0)));
            cinfo->Y_density = static_cast<UINT16>(std::lround(std::fmin(resolution.y, 65535.0)));
        }
        jpeg_start_compress(cinfo, TRUE);
        return true;
    }

    bool put(const uint8_t* row) {
        j_compress_ptr cinfo = &cinfo_;
        if (setjmp(errors_.jump)) return false;
        JSAMPROW rows[1] = {const_cast<JSAMPROW>(row)};
        return jpeg_write_scanlines(cinfo, rows, 1) == 1;
    }

    bool end() {
        j_compress_ptr cinfo = &cinfo_;
        if (setjmp(errors_.jump)) return false;
        jpeg_finish_compress(cinfo);
        return true;
    }

    jpeg_compress_struct cinfo_{};
    ErrorManager errors_{};
    std::FILE* file_;
    int32_t width_;
    int32_t channels_;
    RowProgress progress_;
    bool created_ = false;
};

bool sizeFits(int32_t width, int32_t height, int32_t channels) {
    // JPEG frames hold 16-bit dimensions (libjpeg refuses above 65500).
    return (channels == 3 || channels == 4) && width <= 65500 && height <= 65500 &&
           checkedImageBytes(width, height, channels).has_value();
}

std::unique_ptr<RowWriter> startRows(FileDest dest, int32_t width, int32_t height, int32_t channels,
                                     EncodeSettings settings, Resolution resolution) {
    if (!dest.file || !sizeFits(width, height, channels)) return nullptr;
    auto writer = std::make_unique<JpegRowWriter>(dest.file, width, height, channels);
    if (!writer->start(settings, resolution)) return nullptr;
    return writer;
}

}  // namespace

std::optional<ImageInfo> readJpegInfo(ByteSpan bytes) {
    if (bytes.size() < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8) return std::nullopt;
    DecodeSession session(bytes);
    Header header{};
    if (!session.readHeader(header)) return std::nullopt;
    ImageInfo info;
    info.width = static_cast<int>(header.width);
    info.height = static_cast<int>(header.height);
    if (header.jfif) info.resolution = {double(header.densityX), double(header.densityY), header.densityUnit};
    return info;
}

std::optional<PixelImage> decodeJpeg(ByteSpan bytes) {
    if (bytes.size() < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8) return std::nullopt;
    DecodeSession session(bytes);
    Header header{};
    if (!session.readHeader(header)) return std::nullopt;
    const auto size = checkedImageBytes(header.width, header.height, 4);
    if (!size) return std::nullopt;
    // Every block costs the entropy coder at least a bit or two, so a few bytes cannot
    // honestly describe millions of pixels; missing data would only be invented.
    const uint64_t pixels = uint64_t{header.width} * header.height;
    if (pixels > uint64_t{4096} * bytes.size() + (uint64_t{1} << 24)) return std::nullopt;

    PixelImage image = PixelImage::filled(header.width, header.height, 4, 0);
    std::vector<uint8_t> scratch(header.layout == Layout::Rgba ? 0 : size_t{header.width} * 4);
    if (!session.readPixels(header.layout, image.pixels.data(), scratch.data())) return std::nullopt;
    return image;
}

bool writeJpeg(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
               int32_t quality, Resolution resolution) {
    if (!pixels) return false;
    auto writer = startRows(dest, width, height, channels, {quality, false}, resolution);
    return writeImageRows(writer.get(), pixels, width, height, channels);
}

std::unique_ptr<RowWriter> startJpegRows(FileDest dest, int32_t width, int32_t height, int32_t channels,
                                         int32_t quality, Resolution resolution) {
    return startRows(dest, width, height, channels, {quality, true}, resolution);
}

}  // namespace dro::codecs
