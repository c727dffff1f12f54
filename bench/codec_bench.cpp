// PNG and JPEG encode and decode of a 4096 x 4096 RGBA picture through our codec
// functions, each next to the same job done by calling libpng or libjpeg-turbo
// directly with the same settings in the same run.
//
// Settings shared by both sides: PNG 8-bit RGBA, libpng's default filters and zlib
// level; JPEG quality 97, libjpeg's default 4:2:0 sampling, the accurate integer DCT,
// RGBX input. Encoders write to /dev/null, so the disk is not measured. Decoders
// return a freshly allocated RGBA32 block each time, as any decoder that hands over
// an image must; the direct baselines allocate theirs the same way.
//
// The "_exports" pairs do the whole job a host asks for, through the C ABI, on real
// files: DRO_WriteToFileRGBA32 against fopen + the direct encoder + fclose, and
// DRO_ReadFromFile (the picture lands in the engine's import buffer) against fopen + the
// direct decoder into a fresh block. "_exports_copyout" adds DRO_GetNewRGBA32 into a
// host block, for hosts that take the pixels out rather than loading them into a layer.
//
// Times are CPU time of the benchmark thread (user + system, so file reads and writes
// count), which stays meaningful when other processes share the cores. The counter
// "vs_direct" is our time divided by the direct time recorded just before (1.00 = no
// overhead).
#include <filesystem>
#include <benchmark/benchmark.h>

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "bench_support.h"
#include "drovane.h"
#include "imaging/lib/codecs/jpeg_codec.h"
#include "imaging/lib/codecs/png_codec.h"

namespace {

using drobench::mix;
using drobench::ThreadCpuClock;

constexpr int32_t kEdge = 4096;
constexpr size_t kBytes = size_t{kEdge} * kEdge * 4;

// A photograph-like picture: smooth ramps with a little noise, opaque. Pure noise would
// make both codecs spend all their time in the entropy coder.
const std::vector<uint8_t>& picture() {
    static const std::vector<uint8_t> pixels = [] {
        std::vector<uint8_t> px(kBytes);
        for (int32_t y = 0; y < kEdge; ++y) {
            for (int32_t x = 0; x < kEdge; ++x) {
                const uint32_t h = mix(static_cast<uint32_t>(y) * kEdge + static_cast<uint32_t>(x));
                uint8_t* p = &px[(size_t(y) * kEdge + x) * 4];
                p[0] = static_cast<uint8_t>((x >> 4) + (h & 3));
                p[1] = static_cast<uint8_t>((y >> 4) + ((h >> 2) & 3));
                p[2] = static_cast<uint8_t>(((x + y) >> 5) + ((h >> 4) & 3));
                p[3] = 255;
            }
        }
        return px;
    }();
    return pixels;
}

// The same picture packed as RGB24, for the writers that take no alpha.
const std::vector<uint8_t>& pictureRgb() {
    static const std::vector<uint8_t> pixels = [] {
        const auto& rgba = picture();
        std::vector<uint8_t> rgb(size_t{kEdge} * kEdge * 3);
        for (size_t i = 0, n = size_t{kEdge} * kEdge; i < n; ++i) std::memcpy(&rgb[i * 3], &rgba[i * 4], 3);
        return rgb;
    }();
    return pixels;
}

std::FILE* devNull() {
    static std::FILE* file = std::fopen("/dev/null", "wb");
    return file;
}

void finishPair(benchmark::State& state, const std::string& name, double seconds, bool ours) {
    const double perIteration = seconds / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
    if (!ours) {
        drobench::recordFigure(name, perIteration);
    } else if (drobench::figure(name) > 0.0) {
        state.counters["vs_direct"] = perIteration / drobench::figure(name);
    }
}

// ---- direct libpng ----------------------------------------------------------------

bool libpngEncode(std::FILE* file, const uint8_t* pixels) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows(kEdge);
    for (int32_t y = 0; y < kEdge; ++y) rows[y] = const_cast<png_bytep>(pixels + size_t(y) * kEdge * 4);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, kEdge, kEdge, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t at;
};

void readPngSource(png_structp png, png_bytep out, png_size_t n) {
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (n > src->size - src->at) png_error(png, "truncated");
    std::memcpy(out, src->data + src->at, n);
    src->at += n;
}

// Decodes to RGBA32 from whatever source attach gives the reader.
template <class Attach>
std::vector<uint8_t> libpngDecodeFrom(Attach attach) {
    std::vector<uint8_t> out(kBytes);
    std::vector<png_bytep> rows(kEdge);
    for (int32_t y = 0; y < kEdge; ++y) rows[y] = out.data() + size_t(y) * kEdge * 4;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return {};
    }
    attach(png);
    png_read_info(png, info);
    png_read_update_info(png, info);
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return out;
}

std::vector<uint8_t> libpngDecode(const std::vector<uint8_t>& file) {
    PngSource src{file.data(), file.size(), 0};
    return libpngDecodeFrom([&](png_structp png) { png_set_read_fn(png, &src, readPngSource); });
}

std::vector<uint8_t> libpngDecodeFile(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return {};
    auto out = libpngDecodeFrom([&](png_structp png) { png_init_io(png, file); });
    std::fclose(file);
    return out;
}

// ---- direct libjpeg-turbo ---------------------------------------------------------

struct JpegErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void jpegJump(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1); }

bool libjpegEncodeChannels(std::FILE* file, const uint8_t* pixels, int channels) {
    jpeg_compress_struct cinfo{};
    JpegErrors errors{};
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jpegJump;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = kEdge;
    cinfo.image_height = kEdge;
    cinfo.input_components = channels;
    cinfo.in_color_space = channels == 4 ? JCS_EXT_RGBX : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 97, TRUE);
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + size_t(cinfo.next_scanline) * kEdge * channels);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

bool libjpegEncode(std::FILE* file, const uint8_t* pixels) { return libjpegEncodeChannels(file, pixels, 4); }

// Decodes to RGBA32 from whatever source attach gives the decompressor.
template <class Attach>
std::vector<uint8_t> libjpegDecodeFrom(Attach attach) {
    std::vector<uint8_t> out(kBytes);
    jpeg_decompress_struct cinfo{};
    JpegErrors errors{};
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jpegJump;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    jpeg_create_decompress(&cinfo);
    attach(&cinfo);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_RGBA;
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.data() + size_t(cinfo.output_scanline) * kEdge * 4;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return out;
}

std::vector<uint8_t> libjpegDecode(const std::vector<uint8_t>& file) {
    return libjpegDecodeFrom(
        [&](j_decompress_ptr cinfo) { jpeg_mem_src(cinfo, file.data(), static_cast<unsigned long>(file.size())); });
}

std::vector<uint8_t> libjpegDecodeFile(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return {};
    auto out = libjpegDecodeFrom([&](j_decompress_ptr cinfo) { jpeg_stdio_src(cinfo, file); });
    std::fclose(file);
    return out;
}

// ---- encoded inputs for the decoders ----------------------------------------------

std::vector<uint8_t> encodedWith(bool (*encode)(std::FILE*, const uint8_t*)) {
    std::FILE* file = std::tmpfile();
    std::vector<uint8_t> bytes;
    if (file && encode(file, picture().data())) {
        bytes.resize(static_cast<size_t>(std::ftell(file)));
        std::rewind(file);
        if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) bytes.clear();
    }
    if (file) std::fclose(file);
    return bytes;
}

const std::vector<uint8_t>& pngFile() {
    static const std::vector<uint8_t> bytes = encodedWith(libpngEncode);
    return bytes;
}

const std::vector<uint8_t>& jpegFile() {
    static const std::vector<uint8_t> bytes = encodedWith(libjpegEncode);
    return bytes;
}

// ---- benchmarks -------------------------------------------------------------------

void BM_CodecPngEncode_direct(benchmark::State& state) {
    const uint8_t* px = picture().data();
    ThreadCpuClock clock;
    for (auto _ : state) {
        if (!libpngEncode(devNull(), px)) state.SkipWithError("libpng failed");
    }
    finishPair(state, "png-encode", clock.seconds(), false);
}

void BM_CodecPngEncode_ours(benchmark::State& state) {
    const uint8_t* px = picture().data();
    ThreadCpuClock clock;
    for (auto _ : state) {
        if (!dro::codecs::writePng({devNull()}, px, kEdge, kEdge, 4, {})) state.SkipWithError("writePng failed");
    }
    finishPair(state, "png-encode", clock.seconds(), true);
}

void BM_CodecPngDecode_direct(benchmark::State& state) {
    const auto& file = pngFile();
    ThreadCpuClock clock;
    for (auto _ : state) {
        auto out = libpngDecode(file);
        benchmark::DoNotOptimize(out.data());
        if (out.empty()) state.SkipWithError("libpng failed");
    }
    finishPair(state, "png-decode", clock.seconds(), false);
}

void BM_CodecPngDecode_ours(benchmark::State& state) {
    const auto& file = pngFile();
    ThreadCpuClock clock;
    for (auto _ : state) {
        auto image = dro::codecs::decodePng({file.data(), file.size()});
        benchmark::DoNotOptimize(image);
        if (!image) state.SkipWithError("decodePng failed");
    }
    finishPair(state, "png-decode", clock.seconds(), true);
}

void BM_CodecJpegEncode_direct(benchmark::State& state) {
    const uint8_t* px = picture().data();
    ThreadCpuClock clock;
    for (auto _ : state) {
        if (!libjpegEncode(devNull(), px)) state.SkipWithError("libjpeg failed");
    }
    finishPair(state, "jpeg-encode", clock.seconds(), false);
}

void BM_CodecJpegEncode_ours(benchmark::State& state) {
    const uint8_t* px = picture().data();
    ThreadCpuClock clock;
    for (auto _ : state) {
        if (!dro::codecs::writeJpeg({devNull()}, px, kEdge, kEdge, 4, 97, {})) state.SkipWithError("writeJpeg failed");
    }
    finishPair(state, "jpeg-encode", clock.seconds(), true);
}

void BM_CodecJpegDecode_direct(benchmark::State& state) {
    const auto& file = jpegFile();
    ThreadCpuClock clock;
    for (auto _ : state) {
        auto out = libjpegDecode(file);
        benchmark::DoNotOptimize(out.data());
        if (out.empty()) state.SkipWithError("libjpeg failed");
    }
    finishPair(state, "jpeg-decode", clock.seconds(), false);
}

void BM_CodecJpegDecode_ours(benchmark::State& state) {
    const auto& file = jpegFile();
    ThreadCpuClock clock;
    for (auto _ : state) {
        auto image = dro::codecs::decodeJpeg({file.data(), file.size()});
        benchmark::DoNotOptimize(image);
        if (!image) state.SkipWithError("decodeJpeg failed");
    }
    finishPair(state, "jpeg-decode", clock.seconds(), true);
}

// ---- the same jobs through the exports, on files -----------------------------------

std::string benchPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("drovane_codec_bench_") + name)).string();
}

// Writes bytes to a file once per run, for the decoders to read.
const std::string& inputFile(const char* name, const std::vector<uint8_t>& bytes) {
    static std::map<std::string, std::string> written;
    auto [it, fresh] = written.try_emplace(name, benchPath(name));
    if (fresh) {
        std::FILE* file = std::fopen(it->second.c_str(), "wb");
        if (file) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
    }
    return it->second;
}

void encodeFileDirect(benchmark::State& state, const char* figureName, const char* fileName,
                      bool (*encode)(std::FILE*, const uint8_t*)) {
    const uint8_t* px = picture().data();
    const std::string path = benchPath(fileName);
    ThreadCpuClock clock;
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        const bool ok = file && encode(file, px);
        if (file) std::fclose(file);
        if (!ok) state.SkipWithError("direct encoder failed");
    }
    finishPair(state, figureName, clock.seconds(), false);
    std::remove(path.c_str());
}

void encodeFileExports(benchmark::State& state, const char* figureName, const char* fileName,
                       const char* extension) {
    const uint8_t* px = picture().data();
    const std::string path = benchPath(fileName);
    ThreadCpuClock clock;
    for (auto _ : state) {
        if (!DRO_WriteToFileRGBA32(px, kEdge, kEdge, path.c_str(), extension, 72))
            state.SkipWithError("DRO_WriteToFileRGBA32 failed");
    }
    finishPair(state, figureName, clock.seconds(), true);
    std::remove(path.c_str());
}

void decodeFileDirect(benchmark::State& state, const char* figureName, const std::string& path,
                      std::vector<uint8_t> (*decode)(const char*)) {
    ThreadCpuClock clock;
    for (auto _ : state) {
        auto out = decode(path.c_str());
        benchmark::DoNotOptimize(out.data());
        if (out.empty()) state.SkipWithError("direct decoder failed");
    }
    finishPair(state, figureName, clock.seconds(), false);
}

void decodeFileExports(benchmark::State& state, const char* figureName, const std::string& path, bool copyOut) {
    ThreadCpuClock clock;
    for (auto _ : state) {
        if (!DRO_ReadFromFile(path.c_str())) state.SkipWithError("DRO_ReadFromFile failed");
        if (copyOut) {
            std::vector<uint8_t> out(size_t(DRO_GetNewRGBAWidth()) * size_t(DRO_GetNewRGBAHeight()) * 4);
            DRO_GetNewRGBA32(out.data());
            benchmark::DoNotOptimize(out.data());
        }
    }
    finishPair(state, figureName, clock.seconds(), true);
    DRO_DeleteNewRGBA();
}

void BM_CodecPngEncode_file_direct(benchmark::State& state) {
    encodeFileDirect(state, "png-encode-file", "direct.png", libpngEncode);
}
void BM_CodecPngEncode_exports(benchmark::State& state) {
    encodeFileExports(state, "png-encode-file", "exports.png", ".png");
}
void BM_CodecPngDecode_file_direct(benchmark::State& state) {
    decodeFileDirect(state, "png-decode-file", inputFile("input.png", pngFile()), libpngDecodeFile);
}
void BM_CodecPngDecode_exports(benchmark::State& state) {
    decodeFileExports(state, "png-decode-file", inputFile("input.png", pngFile()), false);
}
void BM_CodecPngDecode_exports_copyout(benchmark::State& state) {
    decodeFileExports(state, "png-decode-file", inputFile("input.png", pngFile()), true);
}
// JPEG holds no alpha, so a host writes it from RGB24 (DRO_WriteToFileRGB24).
void BM_CodecJpegEncode_file_direct(benchmark::State& state) {
    const uint8_t* px = pictureRgb().data();
    const std::string path = benchPath("direct.jpg");
    ThreadCpuClock clock;
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        const bool ok = file && libjpegEncodeChannels(file, px, 3);
        if (file) std::fclose(file);
        if (!ok) state.SkipWithError("libjpeg failed");
    }
    finishPair(state, "jpeg-encode-file", clock.seconds(), false);
    std::remove(path.c_str());
}
void BM_CodecJpegEncode_exports(benchmark::State& state) {
    const uint8_t* px = pictureRgb().data();
    const std::string path = benchPath("exports.jpg");
    ThreadCpuClock clock;
    for (auto _ : state) {
        if (!DRO_WriteToFileRGB24(px, kEdge, kEdge, path.c_str(), ".jpg", 72))
            state.SkipWithError("DRO_WriteToFileRGB24 failed");
    }
    finishPair(state, "jpeg-encode-file", clock.seconds(), true);
    std::remove(path.c_str());
}
void BM_CodecJpegDecode_file_direct(benchmark::State& state) {
    decodeFileDirect(state, "jpeg-decode-file", inputFile("input.jpg", jpegFile()), libjpegDecodeFile);
}
void BM_CodecJpegDecode_exports(benchmark::State& state) {
    decodeFileExports(state, "jpeg-decode-file", inputFile("input.jpg", jpegFile()), false);
}
void BM_CodecJpegDecode_exports_copyout(benchmark::State& state) {
    decodeFileExports(state, "jpeg-decode-file", inputFile("input.jpg", jpegFile()), true);
}

}  // namespace

BENCHMARK(BM_CodecPngEncode_direct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecPngEncode_ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecPngDecode_direct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecPngDecode_ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecJpegEncode_direct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecJpegEncode_ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecJpegDecode_direct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecJpegDecode_ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecPngEncode_file_direct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecPngEncode_exports)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecPngDecode_file_direct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecPngDecode_exports)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecPngDecode_exports_copyout)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecJpegEncode_file_direct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecJpegEncode_exports)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecJpegDecode_file_direct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecJpegDecode_exports)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecJpegDecode_exports_copyout)->Unit(benchmark::kMillisecond);
