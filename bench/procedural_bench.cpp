// The "Plasma" generator of the procedural interpreter filling a 4096 x 4096 RGBA32
// picture, next to libvips vips_fractsurf (a fractal surface of the same size, one
// worker, no cache, written into memory) in the same run. Ours is measured on one
// thread (omp_set_num_threads(1)) and on every core. speedup_vs_vips is libvips' time
// per call over ours.
#include <benchmark/benchmark.h>
#include <omp.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_support.h"
#include "imaging/lib/procedural/effect_table.h"
#include "imaging/lib/procedural/generators.h"

#ifdef DROVANE_HAVE_VIPS
#include <vips/vips.h>
#include "vips_peer.h"
#endif

namespace {

constexpr int32_t kEdge = 4096;
constexpr std::size_t kBytes = std::size_t{kEdge} * kEdge * 4;

void report(benchmark::State& state, double seconds, const std::string& name) {
    const double perCall = seconds / static_cast<double>(state.iterations());
    drobench::recordFigure(name, perCall);
    state.counters["Mpix_per_s"] = double(kEdge) * kEdge / perCall / 1e6;
}

#ifdef DROVANE_HAVE_VIPS
void BM_FractalSurfaceVips(benchmark::State& state) {
    if (!drobench::vipsReady(state)) return;
    drobench::WallClock clock;
    for (auto _ : state) {
        VipsImage* surface = nullptr;
        size_t size = 0;
        void* pixels = nullptr;
        if (vips_fractsurf(&surface, kEdge, kEdge, 2.5, nullptr) == 0) pixels = vips_image_write_to_memory(surface, &size);
        if (surface) g_object_unref(surface);
        if (!pixels) {
            vips_error_clear();
            state.SkipWithError("vips_fractsurf failed");
            break;
        }
        benchmark::DoNotOptimize(pixels);
        g_free(pixels);
    }
    report(state, clock.seconds(), "vips_fractsurf");
}
BENCHMARK(BM_FractalSurfaceVips)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif  // DROVANE_HAVE_VIPS

void BM_PlasmaOurs(benchmark::State& state, bool oneThread) {
    const dro::procedural::EffectEntry* plasma = dro::procedural::effectByName("plasma");
    std::vector<uint8_t> image(kBytes, 1);
    const dro::procedural::EffectValues values = plasma->defaults();
    const int threads = omp_get_max_threads();
    if (oneThread) omp_set_num_threads(1);
    drobench::WallClock clock;
    for (auto _ : state) {
        if (!dro::procedural::generatePlasma(image.data(), kEdge, kEdge, values)) {
            state.SkipWithError("plasma failed");
            break;
        }
        benchmark::DoNotOptimize(image.data());
    }
    const double seconds = clock.seconds();
    omp_set_num_threads(threads);
    report(state, seconds, oneThread ? "plasma1" : "plasma");
    const double vips = drobench::figure("vips_fractsurf");
    if (vips > 0) state.counters["speedup_vs_vips"] = vips / (seconds / double(state.iterations()));
}
BENCHMARK_CAPTURE(BM_PlasmaOurs, 1thread, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PlasmaOurs, omp, false)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
