// Four named effects on a 4096 x 4096 RGBA32 image, each through the library call its
// registry entry makes, next to the closest libvips pipeline on the same pixels in the
// same run. libvips runs with one worker and no operation cache, on uchar pixels with
// integer precision where it offers one, writing into memory we own; ours runs on one
// thread (omp_set_num_threads(1)) and on every core. speedup_vs_vips is libvips' time
// per call over ours. What each pair compares:
// - Unsharp Mask at its defaults (radius 2, amount 1, threshold 0): our unsharp mask
//   (Gaussian of standard deviation 2, then c + 1 × (c − blurred)) against vips_gaussblur
//   at sigma 2 followed by subtract, linear, add and cast back to uchar. vips_sharpen is
//   not the same job: it sharpens only L* of LabS with a nonlinear curve.
// - Median 5 x 5 (window radius 2, slider 200): our running-histogram median against
//   vips_rank 5 x 5 at index 12, the middle of 25.
// - Motion Blur at its defaults (length 10 pixels, angle 0): ours takes 10 nearest samples
//   along the horizontal line through each pixel; vips_conv with a 1-row mask holding a 1
//   at each offset ours visits, scale 10, integer precision.
// - Brightness and Contrast at brightness +0.2 and contrast +0.2 (sliders 600 and 600):
//   our table from the settings applied to R, G and B of a fresh copy of the layer (as
//   the effect does), against vips_linear with k = 1 ÷ (1 − 0.99 × 0.2) and offset
//   128 − 128 k + 0.2 × 255 on R, G and B, alpha passed through, uchar output; and,
//   as the stricter peer doing exactly our job, vips_maplut with our table (identity on
//   alpha), reported as speedup_vs_vips_maplut.
// The engine runs Unsharp Mask on RGB24; here both sides work all four bands so that
// each does the same job.
#include <benchmark/benchmark.h>
#include <omp.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "bench_support.h"
#include "imaging/lib/convolve.h"
#include "imaging/lib/rank.h"
#include "imaging/lib/sharpen.h"
#include "imaging/lib/tone.h"

#ifdef DROVANE_HAVE_VIPS
#include <vips/vips.h>
#include "vips_peer.h"
#endif

namespace {

constexpr int32_t kEdge = 4096;
constexpr int32_t kPitch = kEdge * 4;
constexpr std::size_t kBytes = std::size_t{kPitch} * kEdge;

constexpr double kUnsharpRadius = 2.0, kUnsharpAmount = 1.0;
constexpr int32_t kUnsharpThreshold = 0;
constexpr int32_t kMedianRadius = 2;
constexpr double kMotionLength = 10.0, kMotionAngle = 0.0;
constexpr double kBrightness = 0.2, kContrast = 0.2;

const std::vector<uint8_t>& sourceImage() {
    static const std::vector<uint8_t> image = drobench::photoLikePicture(kEdge, kEdge);
    return image;
}

using OurEffect = std::function<bool(const uint8_t* source, uint8_t* destination)>;

const OurEffect kUnsharp = [](const uint8_t* s, uint8_t* d) {
    return dro::IS3UnsharpMaskImage(s, kEdge, kEdge, 4, kPitch, d, kUnsharpRadius, kUnsharpAmount, kUnsharpThreshold);
};
const OurEffect kMedian = [](const uint8_t* s, uint8_t* d) {
    return dro::rankFilter(s, kEdge, kEdge, 4, kPitch, d, kMedianRadius, dro::RankKind::median);
};
const OurEffect kMotion = [](const uint8_t* s, uint8_t* d) {
    return dro::ISE3MotionBlur(s, kEdge, kEdge, 4, kPitch, d, dro::MotionMode::linear, kMotionAngle, kMotionLength,
                               (kEdge - 1) * 0.5, (kEdge - 1) * 0.5, false);
};
// The effect computes its table and applies it in place to a copy of the layer.
const OurEffect kBrightnessContrast = [](const uint8_t* s, uint8_t* d) {
    const dro::ToneTable table = dro::brightnessContrastTable(kBrightness, kContrast);
    std::memcpy(d, s, kBytes);
    dro::IS40_ApplyLUTsToImage(d, kEdge, kEdge, kPitch, &table, &table, &table, nullptr);
    return true;
};

void report(benchmark::State& state, double seconds, const std::string& name) {
    const double perCall = seconds / static_cast<double>(state.iterations());
    drobench::recordFigure(name, perCall);
    state.counters["Mpix_per_s"] = double(kEdge) * kEdge / perCall / 1e6;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes) * 2);
}

void BM_EffectOurs(benchmark::State& state, const char* effect, const OurEffect* run, bool oneThread) {
    const auto& src = sourceImage();
    std::vector<uint8_t> dst(kBytes, 1);
    const int threads = omp_get_max_threads();
    if (oneThread) omp_set_num_threads(1);
    drobench::WallClock clock;
    for (auto _ : state) {
        if (!(*run)(src.data(), dst.data())) {
            state.SkipWithError("effect failed");
            break;
        }
        benchmark::DoNotOptimize(dst.data());
    }
    const double seconds = clock.seconds();
    omp_set_num_threads(threads);
    report(state, seconds, std::string(oneThread ? "ours1_" : "ours_") + effect);
    const double vips = drobench::figure(std::string("vips_") + effect);
    if (vips > 0) state.counters["speedup_vs_vips"] = vips / (seconds / double(state.iterations()));
    const double maplut = drobench::figure(std::string("vips_maplut_") + effect);
    if (maplut > 0) state.counters["speedup_vs_vips_maplut"] = maplut / (seconds / double(state.iterations()));
}

#ifdef DROVANE_HAVE_VIPS
// Builds the pipeline from in; returns its end (owned) or null. Intermediates may be
// released as soon as the next stage holds them.
using VipsEffect = VipsImage* (*)(VipsImage* in);

VipsImage* releaseInto(VipsImage* result, std::initializer_list<VipsImage*> stages) {
    for (VipsImage* image : stages)
        if (image) g_object_unref(image);
    return result;
}

VipsImage* vipsUnsharp(VipsImage* in) {
    VipsImage *blurred = nullptr, *difference = nullptr, *scaled = nullptr, *sum = nullptr, *out = nullptr;
    const bool ok = vips_gaussblur(in, &blurred, kUnsharpRadius, "precision", VIPS_PRECISION_INTEGER, nullptr) == 0 &&
                    vips_subtract(in, blurred, &difference, nullptr) == 0 &&
                    vips_linear1(difference, &scaled, kUnsharpAmount, 0.0, nullptr) == 0 &&
                    vips_add(in, scaled, &sum, nullptr) == 0 && vips_cast_uchar(sum, &out, nullptr) == 0;
    return releaseInto(ok ? out : nullptr, {blurred, difference, scaled, sum});
}

VipsImage* vipsMedian(VipsImage* in) {
    const int window = 2 * kMedianRadius + 1;
    VipsImage* out = nullptr;
    return vips_rank(in, &out, window, window, window * window / 2, nullptr) == 0 ? out : nullptr;
}

// The row offsets our nearest-sampled line visits: n = ceil(length) samples at
// (i ÷ (n − 1) − 0.5) × length, rounded; at length 10 that is −5..−1 and 1..5 (the
// centre falls between two samples), so the mask is 11 wide with a 0 in the middle.
VipsImage* vipsMotion(VipsImage* in) {
    const int samples = static_cast<int>(std::ceil(kMotionLength));
    const int reach = static_cast<int>(std::lround(0.5 * kMotionLength));
    std::vector<double> weights(static_cast<std::size_t>(2 * reach + 1), 0.0);
    for (int i = 0; i < samples; ++i) {
        const double t = samples == 1 ? 0.0 : (i / double(samples - 1) - 0.5) * kMotionLength;
        weights[static_cast<std::size_t>(std::lround(t) + reach)] += 1.0;
    }
    VipsImage* mask = vips_image_new_matrix_from_array(2 * reach + 1, 1, weights.data(), 2 * reach + 1);
    if (!mask) return nullptr;
    vips_image_set_double(mask, "scale", samples);
    VipsImage* out = nullptr;
    const bool ok = vips_conv(in, &out, mask, "precision", VIPS_PRECISION_INTEGER, nullptr) == 0;
    return releaseInto(ok ? out : nullptr, {mask});
}

VipsImage* vipsBrightnessContrast(VipsImage* in) {
    const double k = 1.0 / (1.0 - 0.99 * kContrast);
    const double offset = 128.0 - 128.0 * k + kBrightness * 255.0;
    double a[4] = {k, k, k, 1.0}, b[4] = {offset, offset, offset, 0.0};
    VipsImage* out = nullptr;
    return vips_linear(in, &out, a, b, 4, "uchar", TRUE, nullptr) == 0 ? out : nullptr;
}

// Our table as a 256 x 1 four-band uchar image: one lookup per band.
VipsImage* vipsBrightnessContrastLut(VipsImage* in) {
    const dro::ToneTable table = dro::brightnessContrastTable(kBrightness, kContrast);
    uint8_t lut[256 * 4];
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 4; ++c) lut[i * 4 + c] = c < 3 ? table[static_cast<std::size_t>(i)] : uint8_t(i);
    VipsImage* lutImage = vips_image_new_from_memory_copy(lut, sizeof lut, 256, 1, 4, VIPS_FORMAT_UCHAR);
    if (!lutImage) return nullptr;
    VipsImage* out = nullptr;
    const bool ok = vips_maplut(in, &out, lutImage, nullptr) == 0;
    return releaseInto(ok ? out : nullptr, {lutImage});
}

void BM_EffectVips(benchmark::State& state, const char* effect, VipsEffect build) {
    if (!drobench::vipsReady(state)) return;
    const auto& src = sourceImage();
    std::vector<uint8_t> dst(kBytes, 1);
    drobench::WallClock clock;
    for (auto _ : state) {
        VipsImage* in = vips_image_new_from_memory(src.data(), kBytes, kEdge, kEdge, 4, VIPS_FORMAT_UCHAR);
        VipsImage* result = in ? build(in) : nullptr;
        VipsImage* target = nullptr;
        bool ok = result != nullptr;
        if (ok) {
            target = vips_image_new_from_memory(dst.data(), kBytes, kEdge, kEdge, 4, VIPS_FORMAT_UCHAR);
            ok = target && vips_image_write(result, target) == 0;
        }
        releaseInto(nullptr, {target, result, in});
        if (!ok) {
            vips_error_clear();
            state.SkipWithError("libvips pipeline failed");
            break;
        }
        benchmark::DoNotOptimize(dst.data());
    }
    report(state, clock.seconds(), std::string("vips_") + effect);
}

// Each peer runs first so that ours can report the ratio.
BENCHMARK_CAPTURE(BM_EffectVips, unsharp, "unsharp", vipsUnsharp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_EffectVips, median5x5, "median5x5", vipsMedian)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_EffectVips, motion10, "motion10", vipsMotion)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_EffectVips, brightness_contrast, "brightness_contrast", vipsBrightnessContrast)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_EffectVips, maplut_brightness_contrast, "maplut_brightness_contrast", vipsBrightnessContrastLut)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
#endif  // DROVANE_HAVE_VIPS

BENCHMARK_CAPTURE(BM_EffectOurs, unsharp_1thread, "unsharp", &kUnsharp, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_EffectOurs, unsharp_omp, "unsharp", &kUnsharp, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_EffectOurs, median5x5_1thread, "median5x5", &kMedian, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_EffectOurs, median5x5_omp, "median5x5", &kMedian, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_EffectOurs, motion10_1thread, "motion10", &kMotion, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_EffectOurs, motion10_omp, "motion10", &kMotion, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_EffectOurs, brightness_contrast_1thread, "brightness_contrast", &kBrightnessContrast, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_EffectOurs, brightness_contrast_omp, "brightness_contrast", &kBrightnessContrast, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
