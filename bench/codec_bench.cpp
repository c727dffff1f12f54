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
// The counter "vs_direct" is our time divided by the direct time recorded just before
// (1.00 = no overhead).
#include <benchmark/benchmark.h>

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "bench_support.h"
#include "imaging/lib/codecs/jpeg_codec.h"
#include "imaging/lib/codecs/png_codec.h"

namespace {

using drobench::mix;
using drobench::WallClock;

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

std::vector<uint8_t> libpngDecode(const std::vector<uint8_t>& file) {
    std::vector<uint8_t> out(kBytes);
    std::vector<png_bytep> rows(kEdge);
    for (int32_t y = 0; y < kEdge; ++y) rows[y] = out.data() + size_t(y) * kEdge * 4;
    PngSource src{file.data(), file.size(), 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return {};
    }
    png_set_read_fn(png, &src, readPngSource);
    png_read_info(png, info);
    png_read_update_info(png, info);
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return out;
}

// ---- direct libjpeg-turbo ---------------------------------------------------------

struct JpegErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void jpegJump(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1); }

bool libjpegEncode(std::FILE* file, const uint8_t* pixels) {
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
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_RGBX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 97, TRUE);
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + size_t(cinfo.next_scanline) * kEdge * 4);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

std::vector<uint8_t> libjpegDecode(const std::vector<uint8_t>& file) {
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
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
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
    WallClock clock;
    for (auto _ : state) {
        if (!libpngEncode(devNull(), px)) state.SkipWithError("libpng failed");
    }
    finishPair(state, "png-encode", clock.seconds(), false);
}

void BM_CodecPngEncode_ours(benchmark::State& state) {
    const uint8_t* px = picture().data();
    WallClock clock;
    for (auto _ : state) {
        if (!dro::codecs::writePng({devNull()}, px, kEdge, kEdge, 4, {})) state.SkipWithError("writePng failed");
    }
    finishPair(state, "png-encode", clock.seconds(), true);
}

void BM_CodecPngDecode_direct(benchmark::State& state) {
    const auto& file = pngFile();
    WallClock clock;
    for (auto _ : state) {
        auto out = libpngDecode(file);
        benchmark::DoNotOptimize(out.data());
        if (out.empty()) state.SkipWithError("libpng failed");
    }
    finishPair(state, "png-decode", clock.seconds(), false);
}

void BM_CodecPngDecode_ours(benchmark::State& state) {
    const auto& file = pngFile();
    WallClock clock;
    for (auto _ : state) {
        auto image = dro::codecs::decodePng({file.data(), file.size()});
        benchmark::DoNotOptimize(image);
        if (!image) state.SkipWithError("decodePng failed");
    }
    finishPair(state, "png-decode", clock.seconds(), true);
}

void BM_CodecJpegEncode_direct(benchmark::State& state) {
    const uint8_t* px = picture().data();
    WallClock clock;
    for (auto _ : state) {
        if (!libjpegEncode(devNull(), px)) state.SkipWithError("libjpeg failed");
    }
    finishPair(state, "jpeg-encode", clock.seconds(), false);
}

void BM_CodecJpegEncode_ours(benchmark::State& state) {
    const uint8_t* px = picture().data();
    WallClock clock;
    for (auto _ : state) {
        if (!dro::codecs::writeJpeg({devNull()}, px, kEdge, kEdge, 4, 97, {})) state.SkipWithError("writeJpeg failed");
    }
    finishPair(state, "jpeg-encode", clock.seconds(), true);
}

void BM_CodecJpegDecode_direct(benchmark::State& state) {
    const auto& file = jpegFile();
    WallClock clock;
    for (auto _ : state) {
        auto out = libjpegDecode(file);
        benchmark::DoNotOptimize(out.data());
        if (out.empty()) state.SkipWithError("libjpeg failed");
    }
    finishPair(state, "jpeg-decode", clock.seconds(), false);
}

void BM_CodecJpegDecode_ours(benchmark::State& state) {
    const auto& file = jpegFile();
    WallClock clock;
    for (auto _ : state) {
        auto image = dro::codecs::decodeJpeg({file.data(), file.size()});
        benchmark::DoNotOptimize(image);
        if (!image) state.SkipWithError("decodeJpeg failed");
    }
    finishPair(state, "jpeg-decode", clock.seconds(), true);
}

}  // namespace

BENCHMARK(BM_CodecPngEncode_direct)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CodecPngEncode_ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CodecPngDecode_direct)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CodecPngDecode_ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CodecJpegEncode_direct)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CodecJpegEncode_ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CodecJpegDecode_direct)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CodecJpegDecode_ours)->Unit(benchmark::kMillisecond)->UseRealTime();
