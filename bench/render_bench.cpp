// DRO_Render of a 1920 x 1080 view at 1:1, next to memcpy of the same output bytes.
//
// Scenes, built the way a painting looks while the user paints:
//   Normal: four Normal layers (the opaque background and three layers of soft-edged
//           strokes covering part of the canvas) and a stroke in progress in the
//           paint layer, shown inside the current layer 3.
//   Blend:  the background and three stroke layers in Multiply, Overlay, Multiply.
// Every figure is given on one thread and on all OpenMP threads. "fps" is frames per
// second; "x_memcpy" is how many memcpys of the 6.2 MB output one frame costs (the
// memcpy baseline of the same thread count runs first in this file).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "bench_support.h"
#include "brush/paint_layer.h"
#include "composite/render.h"
#include "drovane.h"

namespace {

using drobench::mix;

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;
constexpr size_t kOutputBytes = size_t{kWidth} * kHeight * 3;

// Soft round strokes: opaque cores, a falling alpha rim, transparent elsewhere;
// 8-bit colours widened as the host loads them.
std::vector<uint16_t> strokeLayer(uint32_t seed, int discs) {
    std::vector<uint16_t> p(size_t{kWidth} * kHeight * 4, 0);
    for (int d = 0; d < discs; ++d) {
        const uint32_t h = mix(seed * 977u + static_cast<uint32_t>(d));
        const int cx = static_cast<int>(h % kWidth);
        const int cy = static_cast<int>((h >> 11) % kHeight);
        const int radius = 20 + static_cast<int>(mix(h) % 110);
        const uint16_t rgb[3] = {static_cast<uint16_t>((h & 0xFF) << 8), static_cast<uint16_t>(h & 0xFF00),
                                 static_cast<uint16_t>((h >> 8) & 0xFF00)};
        for (int y = std::max(0, cy - radius); y < std::min(kHeight, cy + radius); ++y) {
            for (int x = std::max(0, cx - radius); x < std::min(kWidth, cx + radius); ++x) {
                const double r = std::hypot(x - cx, y - cy) / radius;
                if (r >= 1.0) continue;
                const double cover = r < 0.7 ? 1.0 : (1.0 - r) / 0.3;
                uint16_t* px = &p[(size_t{static_cast<size_t>(y)} * kWidth + x) * 4];
                const auto a = static_cast<uint16_t>(cover * 65535.0);
                if (a <= px[3]) continue;
                px[0] = rgb[0];
                px[1] = rgb[1];
                px[2] = rgb[2];
                px[3] = a;
            }
        }
    }
    return p;
}

void buildScene(bool blendModes) {
    drobench::openCanvas(kWidth, kHeight);
    std::vector<uint16_t> background(size_t{kWidth} * kHeight * 4);
    for (size_t i = 0; i < background.size(); i += 4) {
        const uint32_t h = mix(static_cast<uint32_t>(i));
        background[i] = static_cast<uint16_t>(0xE000 + (h & 0x0F00));
        background[i + 1] = static_cast<uint16_t>(0xD800 + ((h >> 8) & 0x0F00));
        background[i + 2] = 0xC800;
        background[i + 3] = 65535;
    }
    DRO_SetLayerData(background.data(), 1);
    const char* modes[3] = {"Normal", "Normal", "Normal"};
    if (blendModes) {
        modes[0] = "Multiply";
        modes[1] = "Overlay";
        modes[2] = "Multiply";
    }
    for (int layer = 2; layer <= 4; ++layer) {
        DRO_CreateLayer(layer, kWidth, kHeight);
        DRO_SetLayerData(strokeLayer(static_cast<uint32_t>(layer), 60).data(), layer);
        DRO_SetLayerOptions(layer, 1, 0, 100, modes[layer - 2]);
    }
    DRO_SetLayer(3);
    if (!blendModes) {
        // A stroke in progress: a long band of dabs across the middle of the view.
        DRO_CreatePaintLayer(100, 100, "Normal");
        dro::LayerSlot& paint = dro::paintLayer().layer;
        const std::vector<uint16_t> stroke = strokeLayer(99, 25);
        std::copy(stroke.begin(), stroke.end(), paint.pixels.get());
        paint.extents = {0, 0, kWidth, kHeight};
    }
    DRO_SetScale(1, 1.0f);
    DRO_SetViewSize(kWidth, kHeight);
}

void BM_RenderOutputMemcpy(benchmark::State& state) {
    const bool allThreads = state.range(0) != 0;
    drobench::runMemcpyBaseline(state, allThreads ? "render_memcpy_all" : "render_memcpy_one", kOutputBytes, allThreads);
}

void BM_Render(benchmark::State& state, bool blendModes) {
    const bool allThreads = state.range(0) != 0;
    buildScene(blendModes);
    dro::testhooks::setRenderThreads(allThreads);
    dro::testhooks::setRenderVectorWidth(static_cast<int>(state.range(1)));
    state.counters["vector_bits"] = dro::testhooks::renderVectorWidth();
    std::vector<uint8_t> out(kOutputBytes, 0);
    DRO_Render(out.data(), kWidth * 3, 0, 0, kWidth, kHeight);  // faults the output in
    const drobench::WallClock clock;
    for (auto _ : state) {
        DRO_Render(out.data(), kWidth * 3, 0, 0, kWidth, kHeight);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    const double seconds = clock.seconds();
    dro::testhooks::setRenderThreads(true);
    dro::testhooks::setRenderVectorWidth(512);
    drobench::closeCanvas();
    if (seconds <= 0) return;
    const double fps = static_cast<double>(state.iterations()) / seconds;
    state.counters["fps"] = fps;
    // The baseline's bandwidth counts the bytes read and written by each copy.
    const double memcpyPerSecond = drobench::figure(allThreads ? "render_memcpy_all" : "render_memcpy_one");
    if (memcpyPerSecond > 0) state.counters["x_memcpy"] = memcpyPerSecond / (2.0 * kOutputBytes) / fps;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kOutputBytes));
}

}  // namespace

BENCHMARK(BM_RenderOutputMemcpy)->ArgName("all_threads")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();
// Arguments: all OpenMP threads or one; the widest vectors the render may use (the
// counter vector_bits says what this processor ran).
BENCHMARK_CAPTURE(BM_Render, normal_4_layers_and_stroke, false)
    ->ArgNames({"all_threads", "max_bits"})->ArgsProduct({{0, 1}, {512}})->Args({0, 256})->Args({0, 128})
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Render, multiply_overlay_4_layers, true)
    ->ArgNames({"all_threads", "max_bits"})->ArgsProduct({{0, 1}, {512}})->Args({0, 256})->Args({0, 128})
    ->Unit(benchmark::kMillisecond)->UseRealTime();
