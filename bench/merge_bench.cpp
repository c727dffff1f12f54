// The merge core, MergeBlock, on a 2048 x 2048 RGBA64 block, next to memcpy of the
// same bytes and libvips compositing the same 16-bit pixels, all in one run.
//
// Every figure here is single-threaded: MergeBlock runs on the calling thread (it
// has no parallel region), memcpy is one call, and libvips runs with concurrency 1
// and its operation cache off.
//
// Each iteration first restores the destination from a pristine copy (untimed), so
// every pass merges the same pixels: repeated in-place merges would otherwise drift
// the destination toward colours where the branchy modes become predictable. Then
// it reads a 64 MiB scratch block, so that no pass finds its blocks in the 32 MiB
// cache. The same preparation comes before the memcpy and libvips passes, so all
// three start cold from the same state.
//
// Bytes counted per call are the source and destination blocks, 32 MiB each. The
// memcpy baseline copies the source block onto the destination block: it reads and
// writes that same 64 MiB, so "vs_memcpy" is how close a merge comes to a plain copy
// of its source.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "composite/merge_block.h"
#include "composite/merge_pixel.h"
#include "engine/engine_lifecycle.h"

#ifdef DROVANE_HAVE_VIPS
#include <vips/vips.h>
#include "vips_peer.h"
#endif

namespace {

using drobench::mix;

constexpr int32_t kEdge = 2048;
constexpr int64_t kPixels = int64_t{kEdge} * kEdge;
constexpr size_t kBlockValues = static_cast<size_t>(kPixels) * 4;
constexpr size_t kBlockBytes = kBlockValues * sizeof(uint16_t);
constexpr int64_t kCountedBytes = 2 * static_cast<int64_t>(kBlockBytes);  // source + destination

// Source alphas: opaque (the plain-copy shortcut of Normal), one half-transparent
// level, and partial alphas at random that always take the floating-point path.
enum class SourceAlpha { Opaque, Half, Partial };

struct Blocks {
    std::vector<uint16_t> opaque;
    std::vector<uint16_t> half;
    std::vector<uint16_t> partial;
    std::vector<uint16_t> pristine;     // the destination every pass starts from
    std::vector<uint16_t> destination;  // merged into in place
    std::vector<uint16_t> vipsOut;      // what libvips writes

    const std::vector<uint16_t>& source(SourceAlpha kind) const {
        return kind == SourceAlpha::Opaque ? opaque : kind == SourceAlpha::Half ? half : partial;
    }
};

std::vector<uint16_t> noiseBlock(uint32_t seed, SourceAlpha alpha) {
    std::vector<uint16_t> block(kBlockValues);
    for (int64_t p = 0; p < kPixels; ++p) {
        const uint32_t h = mix(static_cast<uint32_t>(p) ^ seed);
        const uint32_t h2 = mix(h + 0x9e3779b9U);
        uint16_t* px = &block[static_cast<size_t>(p) * 4];
        px[0] = static_cast<uint16_t>(h);
        px[1] = static_cast<uint16_t>(h >> 16);
        px[2] = static_cast<uint16_t>(h2);
        switch (alpha) {
            case SourceAlpha::Opaque: px[3] = 65535; break;
            case SourceAlpha::Half: px[3] = 32768; break;
            case SourceAlpha::Partial: px[3] = static_cast<uint16_t>(1 + (h2 >> 16) % 0xFEFE); break;  // 1..0xFEFE
        }
    }
    return block;
}

// Built once and kept for the whole run: 192 MiB, every page touched up front.
Blocks& blocks() {
    static Blocks b = [] {
        Blocks made;
        made.opaque = noiseBlock(0x1b873593U, SourceAlpha::Opaque);
        made.half = noiseBlock(0xcc9e2d51U, SourceAlpha::Half);
        made.partial = noiseBlock(0x85ebca6bU, SourceAlpha::Partial);
        made.pristine = noiseBlock(0xc2b2ae35U, SourceAlpha::Opaque);  // an opaque, noisy layer below
        made.destination = made.pristine;
        made.vipsOut.assign(kBlockValues, 1);
        return made;
    }();
    return b;
}

// Restores the destination, then pushes it and the sources out of the caches.
void prepareDestination(Blocks& b) {
    static std::vector<uint64_t> scratch(size_t{64} << 17, 1);  // 64 MiB
    std::memcpy(b.destination.data(), b.pristine.data(), kBlockBytes);
    uint64_t sum = 0;
    for (size_t i = 0; i < scratch.size(); i += 8) sum += scratch[i];  // one read per 64-byte line
    benchmark::DoNotOptimize(sum);
    benchmark::ClobberMemory();
}

// Reports Mpix/s and GB/s from the timed seconds, records the bandwidth under name
// and, when given, the ratios to figures recorded earlier in this run.
void report(benchmark::State& state, double timedSeconds, const std::string& name, const char* vipsFigure) {
    state.SetItemsProcessed(state.iterations() * kPixels);
    state.SetBytesProcessed(state.iterations() * kCountedBytes);
    if (timedSeconds <= 0) return;
    const double calls = static_cast<double>(state.iterations());
    const double bandwidth = calls * static_cast<double>(kCountedBytes) / timedSeconds;
    state.counters["Mpix_s"] = calls * static_cast<double>(kPixels) / timedSeconds / 1e6;
    drobench::recordFigure(name, bandwidth);
    if (name != "merge_memcpy") drobench::reportRatioTo(state, "vs_memcpy", "merge_memcpy", bandwidth);
    if (vipsFigure) drobench::reportRatioTo(state, "vs_vips", vipsFigure, bandwidth);
}

void BM_MergeMemcpyBaseline(benchmark::State& state) {
    Blocks& b = blocks();
    double timed = 0;
    for (auto _ : state) {
        prepareDestination(b);
        const drobench::WallClock clock;
        std::memcpy(b.destination.data(), b.opaque.data(), kBlockBytes);
        benchmark::ClobberMemory();
        const double seconds = clock.seconds();
        state.SetIterationTime(seconds);
        timed += seconds;
    }
    report(state, timed, "merge_memcpy", nullptr);
}
BENCHMARK(BM_MergeMemcpyBaseline)->UseManualTime()->Unit(benchmark::kMillisecond);

#ifdef DROVANE_HAVE_VIPS

// A 16-bit RGBA image over pixels we own; libvips neither copies nor frees them.
VipsImage* wrapRgba16(const std::vector<uint16_t>& pixels) {
    VipsImage* raw = vips_image_new_from_memory(pixels.data(), kBlockBytes, kEdge, kEdge, 4, VIPS_FORMAT_USHORT);
    if (!raw) return nullptr;
    VipsImage* tagged = nullptr;
    const int failed = vips_copy(raw, &tagged, "interpretation", VIPS_INTERPRETATION_RGB16, nullptr);
    g_object_unref(raw);
    return failed ? nullptr : tagged;
}

// overlay over base with mode, composited in RGB16 from unpremultiplied pixels, cast
// back to 16 bits and written into out (a memory image over our buffer, as
// vips_image_write_to_memory does, without a fresh 32 MiB allocation each pass).
bool vipsComposite(const std::vector<uint16_t>& base, const std::vector<uint16_t>& overlay,
                   std::vector<uint16_t>& out, VipsBlendMode mode) {
    VipsImage* baseImage = wrapRgba16(base);
    VipsImage* overlayImage = wrapRgba16(overlay);
    VipsImage* composed = nullptr;
    VipsImage* narrowed = nullptr;
    VipsImage* target = nullptr;
    bool ok = baseImage && overlayImage &&
              vips_composite2(baseImage, overlayImage, &composed, mode, "compositing_space",
                              VIPS_INTERPRETATION_RGB16, "premultiplied", FALSE, nullptr) == 0 &&
              vips_cast(composed, &narrowed, VIPS_FORMAT_USHORT, nullptr) == 0;
    if (ok) {
        target = vips_image_new_from_memory(out.data(), kBlockBytes, kEdge, kEdge, 4, VIPS_FORMAT_USHORT);
        ok = target && vips_image_write(narrowed, target) == 0;
    }
    for (VipsImage* image : {target, narrowed, composed, overlayImage, baseImage}) {
        if (image) g_object_unref(image);
    }
    if (!ok) vips_error_clear();
    return ok;
}

void BM_MergeVips(benchmark::State& state, VipsBlendMode mode, SourceAlpha alpha, const char* name) {
    if (!drobench::startVips()) {
        state.SkipWithError("libvips did not start");
        return;
    }
    Blocks& b = blocks();
    const std::vector<uint16_t>& source = b.source(alpha);
    double timed = 0;
    bool ok = true;
    for (auto _ : state) {
        prepareDestination(b);
        const drobench::WallClock clock;
        ok = vipsComposite(b.destination, source, b.vipsOut, mode);
        benchmark::ClobberMemory();
        const double seconds = clock.seconds();
        state.SetIterationTime(seconds);
        timed += seconds;
        if (!ok) break;
    }
    if (!ok) {
        state.SkipWithError("vips_composite2 failed");
        return;
    }
    // The base is opaque, so every mode's result is opaque; an opaque source OVER it
    // is the source itself (up to rounding in the float pipeline).
    const size_t probe = static_cast<size_t>(kPixels / 2 + 777) * 4;
    if (b.vipsOut[probe + 3] != 65535) state.SkipWithError("libvips did not composite the block");
    if (alpha == SourceAlpha::Opaque && mode == VIPS_BLEND_MODE_OVER &&
        std::abs(int{b.vipsOut[probe]} - int{source[probe]}) > 1) {
        state.SkipWithError("libvips OVER of an opaque source is not the source");
    }
    report(state, timed, name, nullptr);
}
BENCHMARK_CAPTURE(BM_MergeVips, normal_opaque, VIPS_BLEND_MODE_OVER, SourceAlpha::Opaque, "vips_normal_opaque")
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MergeVips, normal_half, VIPS_BLEND_MODE_OVER, SourceAlpha::Half, "vips_normal_half")
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MergeVips, multiply, VIPS_BLEND_MODE_MULTIPLY, SourceAlpha::Partial, "vips_multiply")
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MergeVips, overlay, VIPS_BLEND_MODE_OVERLAY, SourceAlpha::Partial, "vips_overlay")
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MergeVips, soft_light, VIPS_BLEND_MODE_SOFT_LIGHT, SourceAlpha::Partial, "vips_soft_light")
    ->UseManualTime()->Unit(benchmark::kMillisecond);

#endif  // DROVANE_HAVE_VIPS

// One pixel of the merged block must equal the per-pixel rule applied on its own.
bool mergedPixelMatchesRule(const Blocks& b, const std::vector<uint16_t>& source, int32_t mode, size_t pixel) {
    const size_t i = pixel * 4;
    uint32_t d[4] = {b.pristine[i], b.pristine[i + 1], b.pristine[i + 2], b.pristine[i + 3]};
    dro::mergePixel(d[0], d[1], d[2], d[3], source[i], source[i + 1], source[i + 2], source[i + 3], mode, 256,
                    false);
    for (int k = 0; k < 4; ++k) {
        if (b.destination[i + static_cast<size_t>(k)] != d[k]) return false;
    }
    return true;
}

void BM_MergeBlock(benchmark::State& state, int32_t mode, SourceAlpha alpha, const char* name,
                   const char* vipsFigure) {
    dro::resetEngine();  // the alpha-layer opacity at its load value
    Blocks& b = blocks();
    const std::vector<uint16_t>& source = b.source(alpha);
    dro::MergeBlockCall call;
    call.source = source.data();
    call.width = kEdge;
    call.height = kEdge;
    call.sourceStride = kEdge * 4;
    call.destination = b.destination.data();
    call.destinationStride = kEdge * 4;
    call.mode = mode;
    call.opacity = 256;
    call.preOpacity = 255;
    double timed = 0;
    for (auto _ : state) {
        prepareDestination(b);
        const drobench::WallClock clock;
        dro::MergeBlock(call);
        benchmark::ClobberMemory();
        const double seconds = clock.seconds();
        state.SetIterationTime(seconds);
        timed += seconds;
    }
    for (size_t pixel : {size_t{0}, size_t{12345}, static_cast<size_t>(kPixels - 1)}) {
        if (!mergedPixelMatchesRule(b, source, mode, pixel)) {
            state.SkipWithError("the merged block does not follow the per-pixel rule");
            break;
        }
    }
    report(state, timed, name, vipsFigure);
}
BENCHMARK_CAPTURE(BM_MergeBlock, normal_opaque, 0, SourceAlpha::Opaque, "merge_normal_opaque", "vips_normal_opaque")
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MergeBlock, normal_half, 0, SourceAlpha::Half, "merge_normal_half", "vips_normal_half")
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MergeBlock, multiply, 1, SourceAlpha::Partial, "merge_multiply", "vips_multiply")
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MergeBlock, overlay, 11, SourceAlpha::Partial, "merge_overlay", "vips_overlay")
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MergeBlock, soft_light, 13, SourceAlpha::Partial, "merge_soft_light", "vips_soft_light")
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MergeBlock, hsl_color, 26, SourceAlpha::Partial, "merge_hsl_color", nullptr)
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MergeBlock, alpha_smooth_lum, 44, SourceAlpha::Partial, "merge_alpha_smooth_lum", nullptr)
    ->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
