// Lanczos3 resize of a 4000 x 3000 RGBA32 picture to half and to double size, ours
// (is5_ResizeImage, filter code 8) next to libvips vips_resize with the Lanczos3 kernel
// on the same pixels in the same run. libvips runs with one worker and no operation
// cache; ours on one thread (omp_set_num_threads(1)). speedup_vs_vips is libvips' time
// per call over ours. The picture's alpha varies, so ours resamples premultiplied
// colour, which libvips' resize does not do: ours does the larger job.
#include <omp.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_support.h"
#include "imaging/lib/resample.h"

#ifdef DROVANE_HAVE_VIPS
#include <vips/vips.h>
#include "vips_peer.h"
#endif

namespace {

constexpr int32_t kWidth = 4000;
constexpr int32_t kHeight = 3000;
constexpr int32_t kLanczos3 = 8;

const std::vector<uint8_t>& sourceImage() {
    static const std::vector<uint8_t> image = drobench::photoLikePicture(kWidth, kHeight);
    return image;
}

std::string figureName(const char* who, int percent) { return std::string(who) + "_resize_" + std::to_string(percent); }

void report(benchmark::State& state, double seconds, const std::string& name) {
    const double perCall = seconds / static_cast<double>(state.iterations());
    drobench::recordFigure(name, perCall);
    state.counters["Mpix_per_s"] = double(kWidth) * kHeight / perCall / 1e6;
}

#ifdef DROVANE_HAVE_VIPS
void BM_ResizeVips(benchmark::State& state, int percent) {
    if (!drobench::vipsReady(state)) return;
    const auto& src = sourceImage();
    const int32_t nw = kWidth * percent / 100, nh = kHeight * percent / 100;
    std::vector<uint8_t> dst(std::size_t(nw) * nh * 4);
    drobench::WallClock clock;
    for (auto _ : state) {
        VipsImage* in = vips_image_new_from_memory(src.data(), src.size(), kWidth, kHeight, 4, VIPS_FORMAT_UCHAR);
        VipsImage* resized = nullptr;
        bool ok = in && vips_resize(in, &resized, percent / 100.0, "kernel", VIPS_KERNEL_LANCZOS3, nullptr) == 0;
        VipsImage* target = nullptr;
        if (ok) {
            target = vips_image_new_from_memory(dst.data(), dst.size(), nw, nh, 4, VIPS_FORMAT_UCHAR);
            ok = target && vips_image_write(resized, target) == 0;
        }
        if (target) g_object_unref(target);
        if (resized) g_object_unref(resized);
        if (in) g_object_unref(in);
        if (!ok) {
            vips_error_clear();
            state.SkipWithError("vips_resize failed");
            break;
        }
    }
    report(state, clock.seconds(), figureName("vips", percent));
}
BENCHMARK_CAPTURE(BM_ResizeVips, half, 50)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ResizeVips, double, 200)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif  // DROVANE_HAVE_VIPS

void BM_ResizeOurs(benchmark::State& state, int percent) {
    const auto& src = sourceImage();
    const int32_t nw = kWidth * percent / 100, nh = kHeight * percent / 100;
    std::vector<uint8_t> dst(std::size_t(nw) * nh * 4, 1);
    const int threads = omp_get_max_threads();
    omp_set_num_threads(1);
    drobench::WallClock clock;
    for (auto _ : state) {
        if (!is5_ResizeImage(src.data(), kWidth, kHeight, kWidth * 4, dst.data(), nw, nh, nw * 4, 4, kLanczos3, 0)) {
            state.SkipWithError("resize failed");
            break;
        }
        benchmark::DoNotOptimize(dst.data());
    }
    const double seconds = clock.seconds();
    omp_set_num_threads(threads);
    report(state, seconds, figureName("ours", percent));
    const double vips = drobench::figure(figureName("vips", percent));
    if (vips > 0) state.counters["speedup_vs_vips"] = vips / (seconds / double(state.iterations()));
}
BENCHMARK_CAPTURE(BM_ResizeOurs, half_1thread, 50)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ResizeOurs, double_1thread, 200)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
