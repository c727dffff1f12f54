// The procedural "Twirl" on a 4096 x 4096 RGBA32 picture, ours next to libvips
// vips_mapim (bilinear) on the same pixels in the same run. libvips runs with one worker
// and no operation cache; ours on one thread (omp_set_num_threads(1)). libvips gets its
// coordinate map built once, outside the timed loop, while ours computes the twirl per
// pixel inside it; ours also samples premultiplied colour so colour and alpha move
// together, which mapim does not do. speedup_vs_vips is libvips' time per call over ours;
// cpu_speedup_vs_vips the same on process CPU time (all threads), the figure that holds
// when other processes crowd the cores.
#include <omp.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "bench_support.h"
#include "imaging/lib/procedural_ops/procedural_ops.h"

#ifdef DROVANE_HAVE_VIPS
#include <vips/vips.h>
#include "vips_peer.h"
#endif

namespace {

constexpr int32_t kSize = 4096;
constexpr int32_t kTwirlDegrees = 180;

const std::vector<uint8_t>& sourceImage() {
    static const std::vector<uint8_t> image = drobench::photoLikePicture(kSize, kSize);
    return image;
}

// Process CPU time, libvips' worker threads included.
double processCpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

void report(benchmark::State& state, double seconds, double cpuSeconds, const std::string& name) {
    const double perCall = seconds / static_cast<double>(state.iterations());
    const double cpuPerCall = cpuSeconds / static_cast<double>(state.iterations());
    drobench::recordFigure(name, perCall);
    drobench::recordFigure(name + "_cpu", cpuPerCall);
    state.counters["Mpix_per_s"] = double(kSize) * kSize / perCall / 1e6;
    state.counters["cpu_ms"] = cpuPerCall * 1e3;
}

#ifdef DROVANE_HAVE_VIPS
// The same inverse map as ours, one cell over the whole picture: (x, y) per pixel.
std::vector<float> twirlCoordinates() {
    std::vector<float> map(std::size_t(kSize) * kSize * 2);
    const double centre = kSize * 0.5, radius = kSize * 0.5, turn = kTwirlDegrees * 3.14159265358979323846 / 180.0;
    for (int32_t y = 0; y < kSize; ++y)
        for (int32_t x = 0; x < kSize; ++x) {
            const double dx = x + 0.5 - centre, dy = y + 0.5 - centre, r = std::hypot(dx, dy);
            double sx = x, sy = y;
            if (r < radius) {
                const double t = 1.0 - r / radius, a = turn * t * t;
                sx = centre + dx * std::cos(a) - dy * std::sin(a) - 0.5;
                sy = centre + dx * std::sin(a) + dy * std::cos(a) - 0.5;
            }
            float* out = map.data() + (std::size_t(y) * kSize + x) * 2;
            out[0] = float(sx);
            out[1] = float(sy);
        }
    return map;
}

void BM_TwirlVipsMapim(benchmark::State& state) {
    if (!drobench::vipsReady(state)) return;
    const auto& src = sourceImage();
    const std::vector<float> coordinates = twirlCoordinates();
    std::vector<uint8_t> dst(src.size());
    VipsInterpolate* bilinear = vips_interpolate_new("bilinear");
    const double cpuStart = processCpuSeconds();
    drobench::WallClock clock;
    for (auto _ : state) {
        VipsImage* in = vips_image_new_from_memory(src.data(), src.size(), kSize, kSize, 4, VIPS_FORMAT_UCHAR);
        VipsImage* index = vips_image_new_from_memory(coordinates.data(), coordinates.size() * sizeof(float), kSize,
                                                      kSize, 2, VIPS_FORMAT_FLOAT);
        VipsImage* mapped = nullptr;
        bool ok = in && index && vips_mapim(in, &mapped, index, "interpolate", bilinear, nullptr) == 0;
        VipsImage* target = nullptr;
        if (ok) {
            target = vips_image_new_from_memory(dst.data(), dst.size(), kSize, kSize, 4, VIPS_FORMAT_UCHAR);
            ok = target && vips_image_write(mapped, target) == 0;
        }
        for (VipsImage* image : {target, mapped, index, in})
            if (image) g_object_unref(image);
        if (!ok) {
            vips_error_clear();
            state.SkipWithError("vips_mapim failed");
            break;
        }
    }
    const double seconds = clock.seconds();
    const double cpuSeconds = processCpuSeconds() - cpuStart;
    g_object_unref(bilinear);
    report(state, seconds, cpuSeconds, "vips_twirl");
}
BENCHMARK(BM_TwirlVipsMapim)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif  // DROVANE_HAVE_VIPS

void BM_TwirlOurs(benchmark::State& state, int32_t degrees) {
    const auto& src = sourceImage();
    std::vector<uint8_t> image(src.size());
    const int threads = omp_get_max_threads();
    omp_set_num_threads(1);
    double seconds = 0, cpuSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(image.data(), src.data(), src.size());
        state.ResumeTiming();
        const double cpuStart = processCpuSeconds();
        drobench::WallClock clock;
        const bool ok = dro::procedural_ops::twirl(image.data(), kSize, kSize, kSize * 4,
                                                   dro::procedural_ops::TwirlParams{.angle = degrees});
        seconds += clock.seconds();
        cpuSeconds += processCpuSeconds() - cpuStart;
        if (!ok) {
            state.SkipWithError("twirl failed");
            break;
        }
        benchmark::DoNotOptimize(image.data());
    }
    omp_set_num_threads(threads);
    report(state, seconds, cpuSeconds, degrees == 0 ? "ours_twirl_neutral" : "ours_twirl");
    if (degrees == 0) return;
    const double vips = drobench::figure("vips_twirl"), vipsCpu = drobench::figure("vips_twirl_cpu");
    if (vips > 0) state.counters["speedup_vs_vips"] = vips / (seconds / double(state.iterations()));
    if (vipsCpu > 0) state.counters["cpu_speedup_vs_vips"] = vipsCpu / (cpuSeconds / double(state.iterations()));
}
BENCHMARK_CAPTURE(BM_TwirlOurs, 1thread, kTwirlDegrees)->Unit(benchmark::kMillisecond)->UseRealTime();
// No turn: the working copy and an identity resample only, what every distortion pays.
BENCHMARK_CAPTURE(BM_TwirlOurs, neutral_1thread, 0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
