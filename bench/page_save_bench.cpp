// Saving the page of a large canvas row by row: the memory the save adds on top of the
// canvas must stay small (two rows and the encoder's own state), whatever the size.
#include <filesystem>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "drovane.h"

namespace {

constexpr int32_t kEdge = 8000;

void paintGradient() {
    constexpr int32_t kBand = 500;  // loaded in bands, so the host side stays small too
    std::vector<uint8_t> band(static_cast<size_t>(kEdge) * kBand * 4);
    for (int32_t top = 0; top < kEdge; top += kBand) {
        for (int32_t y = 0; y < kBand; ++y)
            for (int32_t x = 0; x < kEdge; ++x) {
                uint8_t* p = &band[(static_cast<size_t>(y) * kEdge + x) * 4];
                const uint32_t h = drobench::mix(static_cast<uint32_t>(x * 7 + (top + y) * 13));
                p[0] = static_cast<uint8_t>(x * 255 / kEdge);
                p[1] = static_cast<uint8_t>((top + y) * 255 / kEdge);
                p[2] = static_cast<uint8_t>(h & 31);  // a little noise keeps the encoder honest
                p[3] = 255;
            }
        DRO_LoadRGBA32Layer(band.data(), kEdge * 4, 1, 0, top, kEdge, kBand, 0);
    }
}

void BM_PageSave(benchmark::State& state, const char* extension, bool rgb32) {
    drobench::openCanvas(kEdge, kEdge);
    paintGradient();
    const std::string path =
        (std::filesystem::temp_directory_path() / (std::string("drovane_page_bench") + extension)).string();
    int64_t addedPeak = 0;
    for (auto _ : state) {
        const bool resetOk = drobench::resetPeakRss();
        const int64_t before = drobench::currentRssBytes();
        if (rgb32) DRO_SavePageToFileRGB32(path.c_str(), extension, 300);
        else DRO_SavePageToFileRGB24(path.c_str(), extension, 300);
        if (resetOk) addedPeak = std::max<int64_t>(addedPeak, drobench::peakRssBytes() - before);
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) state.SkipWithError("the page was not written");
    else std::fclose(f);
    std::remove(path.c_str());
    state.counters["added_peak_MB"] = static_cast<double>(addedPeak) / (1 << 20);
    state.counters["Mpix_per_s"] =
        benchmark::Counter(static_cast<double>(kEdge) * kEdge / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    drobench::closeCanvas();
}

BENCHMARK_CAPTURE(BM_PageSave, rgb24_png, ".png", false)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PageSave, rgb24_jpg, ".jpg", false)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PageSave, rgb32_tif, ".tif", true)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
