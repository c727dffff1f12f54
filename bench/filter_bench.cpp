// In-house filters on a 4096 x 4096 RGBA32 picture through the filter frame, next to
// memcpy of the same bytes in the same run.
//
// Bytes counted per call: the 64 MiB picture read once and written once (128 MiB).
// The frame's own copy of source to destination is part of the call. The memcpy
// baselines copy 64 MiB, the same read + written total, on one thread and on all.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench_support.h"
#include "drovane.h"
#include "imaging/filter_frame.h"
#include "imaging/filters/filter_functions.h"

namespace {

constexpr int32_t kEdge = 4096;
constexpr int64_t kPixels = int64_t{kEdge} * kEdge;
constexpr int64_t kCountedBytes = kPixels * 4 * 2;

void BM_FilterMemcpy(benchmark::State& state, const char* name, bool allThreads) {
    drobench::runMemcpyBaseline(state, name, static_cast<size_t>(kCountedBytes / 2), allThreads);
}
BENCHMARK_CAPTURE(BM_FilterMemcpy, picture_64MiB_1thread, "filter_memcpy", false)
    ->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FilterMemcpy, picture_64MiB_omp, "filter_memcpy_omp", true)
    ->UseRealTime()->Unit(benchmark::kMillisecond);

// A photograph-like picture: smooth gradients with a little noise, opaque.
std::vector<uint8_t> makePicture() {
    std::vector<uint8_t> px(static_cast<size_t>(kPixels) * 4);
    for (int32_t y = 0; y < kEdge; ++y) {
        for (int32_t x = 0; x < kEdge; ++x) {
            const uint32_t n = drobench::mix(static_cast<uint32_t>(y * kEdge + x)) & 15;
            uint8_t* p = &px[(static_cast<size_t>(y) * kEdge + x) * 4];
            p[0] = static_cast<uint8_t>((x >> 4) + n);
            p[1] = static_cast<uint8_t>((y >> 4) + n);
            p[2] = static_cast<uint8_t>(((x + y) >> 5) + n);
            p[3] = 255;
        }
    }
    return px;
}

// The picture is put back into the source before every call (untimed): "Box Blur"
// uses the source as scratch. fast = false runs the plain rule the fast paths replace.
void BM_Filter(benchmark::State& state, const char* filter, int32_t slider1, int32_t slider2, bool fast = true) {
    dro::filters::testhooks::setFilterFastPath(fast);
    drobench::openCanvas(kEdge, kEdge);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
    const std::vector<uint8_t> picture = makePicture();
    dro::FilterSettings settings;
    settings.slider = {slider1, slider2, 0, 0, 0, 0};
    double filterSeconds = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        DRO_IPLSetSrcBuffer32(picture.data());
        state.ResumeTiming();
        const drobench::WallClock clock;
        benchmark::DoNotOptimize(dro::runFilterFrame(filter, settings));
        benchmark::ClobberMemory();
        filterSeconds += clock.seconds();
    }
    state.SetBytesProcessed(state.iterations() * kCountedBytes);
    if (filterSeconds > 0.0) {
        const double bandwidth = static_cast<double>(state.iterations() * kCountedBytes) / filterSeconds;
        drobench::reportRatioTo(state, "vs_memcpy", "filter_memcpy", bandwidth);
        drobench::reportRatioTo(state, "vs_memcpy_omp", "filter_memcpy_omp", bandwidth);
    }
    drobench::closeCanvas();
    dro::filters::testhooks::setFilterFastPath(true);
}

}  // namespace

// Radius trunc(slider * 0.001 * 100 + 1): 95 gives 10, 495 gives 50.
BENCHMARK_CAPTURE(BM_Filter, box_blur_r10, "Box Blur", 95, 0)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, box_blur_r50, "Box Blur", 495, 0)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, value_blur, "Value Blur", 500, 500)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, box_blur_r10_plain, "Box Blur", 95, 0, false)
    ->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, value_blur_plain, "Value Blur", 500, 500, false)
    ->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, hyper_contrast, "Hyper Contrast", 300, 0)->UseRealTime()->Unit(benchmark::kMillisecond);
