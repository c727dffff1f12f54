// "Spin" on a 4096 x 4096 RGBA32 image (180 degrees at the centre, fading to none at
// half the diagonal, so every pixel moves) through the transform engine, bilinear on
// premultiplied colour, next to libvips vips_mapim (bilinear) in the same run. libvips
// runs with one worker and no operation cache and is handed the same map as a
// precomputed two-band float index image, built outside its timed loop, so its figure
// is the resampling alone while ours also computes every source point. Ours is
// measured on one thread (omp_set_num_threads(1)) and on every core.
// speedup_vs_vips is libvips' time per call over ours.
#include <benchmark/benchmark.h>
#include <omp.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "bench_support.h"
#include "imaging/lib/transform_chain.h"
#include "imaging/lib/transform_process.h"

#ifdef DROVANE_HAVE_VIPS
#include <vips/vips.h>
#include "vips_peer.h"
#endif

namespace {

constexpr int32_t kEdge = 4096;
constexpr int32_t kPitch = kEdge * 4;
constexpr std::size_t kBytes = std::size_t{kPitch} * kEdge;
constexpr double kDegrees = 180;
constexpr int32_t kTransparent = 0;
constexpr int32_t kPremultipliedBilinear = 1;

const std::vector<uint8_t>& sourceImage() {
    static const std::vector<uint8_t> image = drobench::photoLikePicture(kEdge, kEdge);
    return image;
}

bool addSpin() {
    const double centre = (kEdge - 1) * 0.5;
    is5_ClearAllTransforms();
    return is5_AddSpinTransform(kEdge, kEdge, kDegrees, kEdge * M_SQRT1_2, centre, centre, kTransparent);
}

void report(benchmark::State& state, double seconds, const std::string& name) {
    const double perCall = seconds / static_cast<double>(state.iterations());
    drobench::recordFigure(name, perCall);
    state.counters["Mpix_per_s"] = double(kEdge) * kEdge / perCall / 1e6;
    const double vips = drobench::figure("vips_spin");
    if (vips > 0 && name != "vips_spin") state.counters["speedup_vs_vips"] = vips / perCall;
}

void BM_SpinOurs(benchmark::State& state, bool oneThread) {
    const auto& src = sourceImage();
    std::vector<uint8_t> dst(kBytes, 1);
    if (!addSpin()) return state.SkipWithError("spin not added");
    const int threads = omp_get_max_threads();
    if (oneThread) omp_set_num_threads(1);
    drobench::WallClock clock;
    for (auto _ : state) {
        if (!is5_TransformProcess(src.data(), kEdge, kEdge, 4, kPitch, dst.data(), kPitch, kPremultipliedBilinear, 0,
                                  0)) {
            state.SkipWithError("transform failed");
            break;
        }
        benchmark::DoNotOptimize(dst.data());
    }
    const double seconds = clock.seconds();
    omp_set_num_threads(threads);
    is5_ClearAllTransforms();
    report(state, seconds, oneThread ? "ours1_spin" : "ours_spin");
}

#ifdef DROVANE_HAVE_VIPS
// The spin's source point of every pixel, as libvips' index image wants it.
std::vector<float> spinIndex() {
    std::vector<float> index(std::size_t{kEdge} * kEdge * 2);
    addSpin();
    std::vector<double> xs(kEdge), ys(kEdge);
    for (int32_t y = 0; y < kEdge; ++y) {
        for (int32_t x = 0; x < kEdge; ++x)
            xs[x] = x, ys[x] = y;
        dro::lib::mapPoints(dro::lib::transformChain(), xs.data(), ys.data(), kEdge);
        float* row = index.data() + std::size_t{kEdge} * 2 * y;
        for (int32_t x = 0; x < kEdge; ++x)
            row[2 * x] = float(xs[x]), row[2 * x + 1] = float(ys[x]);
    }
    is5_ClearAllTransforms();
    return index;
}

void BM_SpinVips(benchmark::State& state) {
    if (!drobench::startVips()) return state.SkipWithError("libvips did not start");
    const auto& src = sourceImage();
    const std::vector<float> index = spinIndex();
    std::vector<uint8_t> dst(kBytes, 1);
    VipsInterpolate* bilinear = vips_interpolate_new("bilinear");
    drobench::WallClock clock;
    for (auto _ : state) {
        VipsImage* in = vips_image_new_from_memory(src.data(), kBytes, kEdge, kEdge, 4, VIPS_FORMAT_UCHAR);
        VipsImage* map =
            vips_image_new_from_memory(index.data(), index.size() * sizeof(float), kEdge, kEdge, 2, VIPS_FORMAT_FLOAT);
        VipsImage* moved = nullptr;
        VipsImage* target = nullptr;
        bool ok = in && map && vips_mapim(in, &moved, map, "interpolate", bilinear, nullptr) == 0;
        if (ok) {
            target = vips_image_new_from_memory(dst.data(), kBytes, kEdge, kEdge, 4, VIPS_FORMAT_UCHAR);
            ok = target && vips_image_write(moved, target) == 0;
        }
        for (VipsImage* image : {target, moved, map, in})
            if (image) g_object_unref(image);
        if (!ok) {
            vips_error_clear();
            state.SkipWithError("vips_mapim failed");
            break;
        }
        benchmark::DoNotOptimize(dst.data());
    }
    report(state, clock.seconds(), "vips_spin");
    g_object_unref(bilinear);
}

BENCHMARK(BM_SpinVips)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif  // DROVANE_HAVE_VIPS

BENCHMARK_CAPTURE(BM_SpinOurs, one_thread, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_SpinOurs, omp, false)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
