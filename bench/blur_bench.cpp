// Gaussian blur of a 4096 x 4096 RGBA32 image at sigma 2 (sampled kernel) and 20
// (recursive filter), next to libvips vips_gaussblur on the same pixels in the same
// run. libvips runs with one worker and no operation cache, on uchar pixels with
// integer precision (its default for uchar), writing into memory we own; our blur is
// measured on one thread (omp_set_num_threads(1)) for the fair comparison, and on
// every core. speedup_vs_vips is libvips' time per call over ours.
#include <benchmark/benchmark.h>
#include <omp.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_support.h"
#include "imaging/lib/blur.h"

#ifdef DROVANE_HAVE_VIPS
#include <vips/vips.h>
#include "vips_peer.h"
#endif

namespace {

constexpr int32_t kEdge = 4096;
constexpr int32_t kPitch = kEdge * 4;
constexpr std::size_t kBytes = std::size_t{kPitch} * kEdge;

// Smooth gradients with hashed detail, opaque and partial alpha: every channel blurs.
const std::vector<uint8_t>& sourceImage() {
    static const std::vector<uint8_t> image = drobench::photoLikePicture(kEdge, kEdge);
    return image;
}

std::string figureName(const char* who, double sigma) { return std::string(who) + "_" + std::to_string(int(sigma)); }

void report(benchmark::State& state, double seconds, const std::string& name) {
    const double perCall = seconds / static_cast<double>(state.iterations());
    drobench::recordFigure(name, perCall);
    state.counters["Mpix_per_s"] = double(kEdge) * kEdge / perCall / 1e6;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes) * 2);
}

void BM_BlurOurs(benchmark::State& state, double sigma, bool oneThread) {
    const auto& src = sourceImage();
    std::vector<uint8_t> dst(kBytes, 1);
    const int threads = omp_get_max_threads();
    if (oneThread) omp_set_num_threads(1);
    drobench::WallClock clock;
    for (auto _ : state) {
        if (!is5_GaussianBlurImage(src.data(), kEdge, kEdge, 4, kPitch, dst.data(), kPitch, sigma, 0x10F)) {
            state.SkipWithError("blur failed");
            break;
        }
        benchmark::DoNotOptimize(dst.data());
    }
    const double seconds = clock.seconds();
    omp_set_num_threads(threads);
    report(state, seconds, figureName(oneThread ? "ours1" : "ours", sigma));
    const double vips = drobench::figure(figureName("vips", sigma));
    if (vips > 0) state.counters["speedup_vs_vips"] = vips / (seconds / double(state.iterations()));
}

#ifdef DROVANE_HAVE_VIPS
void BM_BlurVips(benchmark::State& state, double sigma) {
    if (!drobench::startVips()) {
        state.SkipWithError("libvips did not start");
        return;
    }
    const auto& src = sourceImage();
    std::vector<uint8_t> dst(kBytes, 1);
    drobench::WallClock clock;
    for (auto _ : state) {
        VipsImage* in = vips_image_new_from_memory(src.data(), kBytes, kEdge, kEdge, 4, VIPS_FORMAT_UCHAR);
        VipsImage* blurred = nullptr;
        VipsImage* target = nullptr;
        bool ok = in && vips_gaussblur(in, &blurred, sigma, "precision", VIPS_PRECISION_INTEGER, nullptr) == 0;
        if (ok) {
            target = vips_image_new_from_memory(dst.data(), kBytes, kEdge, kEdge, 4, VIPS_FORMAT_UCHAR);
            ok = target && vips_image_write(blurred, target) == 0;
        }
        for (VipsImage* image : {target, blurred, in})
            if (image) g_object_unref(image);
        if (!ok) {
            vips_error_clear();
            state.SkipWithError("vips_gaussblur failed");
            break;
        }
        benchmark::DoNotOptimize(dst.data());
    }
    report(state, clock.seconds(), figureName("vips", sigma));
}

BENCHMARK_CAPTURE(BM_BlurVips, sigma2, 2.0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_BlurVips, sigma20, 20.0)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif  // DROVANE_HAVE_VIPS

BENCHMARK_CAPTURE(BM_BlurOurs, sigma2_1thread, 2.0, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_BlurOurs, sigma20_1thread, 20.0, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_BlurOurs, sigma2_omp, 2.0, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_BlurOurs, sigma20_omp, 20.0, false)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
