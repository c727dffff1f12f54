// The largest canvas the engine accepts, 10000 x 10000, with four layers and undo on:
// created, painted by transfers, saved, undone, and checked to read back as before.
// One iteration; the stage times and the process's peak RSS are the figures.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "bench_support.h"
#include "drovane.h"
#include "undo/undo_store.h"

namespace {

constexpr int32_t kEdge = 10000;
constexpr int32_t kLayers = 4;
constexpr int32_t kBlock = 512;
constexpr int32_t kProbe = 16;  // the side of the square compared after undo
// Where 512 x 512 blocks land: a corner, the middle (over the probe), an edge and a
// place that runs off the canvas and is clipped.
constexpr std::array<std::array<int32_t, 2>, 4> kBlockCorners{{{0, 0}, {4800, 4800}, {9488, 0}, {9800, 9700}}};
constexpr int32_t kProbeX = 5000;
constexpr int32_t kProbeY = 5000;

std::vector<uint8_t> opaquePattern(int64_t width, int64_t height, uint32_t seed) {
    std::vector<uint8_t> block(static_cast<size_t>(width * height) * 4);
    for (int64_t p = 0; p < width * height; ++p) {
        const uint32_t h = drobench::mix(static_cast<uint32_t>(p) ^ seed);
        uint8_t* px = &block[static_cast<size_t>(p) * 4];
        px[0] = static_cast<uint8_t>(h);
        px[1] = static_cast<uint8_t>(h >> 8);
        px[2] = static_cast<uint8_t>(h >> 16);
        px[3] = 255;
    }
    return block;
}

std::vector<uint16_t> probeSquare() {
    std::vector<uint16_t> square(size_t{kProbe} * kProbe * 4);
    DRO_GetRGBA64LayerRect(square.data(), kProbe * 8, 1, kProbeX, kProbeY, kProbe, kProbe);
    return square;
}

void loadBlocks(const std::vector<uint8_t>& block, int32_t layer, bool saveEach) {
    for (const auto& corner : kBlockCorners) {
        DRO_LoadRGBA32Layer(block.data(), kBlock * 4, layer, corner[0], corner[1], kBlock, kBlock, 0);
        if (!saveEach) continue;
        dro::widenDirtyRect(dro::Rect{corner[0], corner[1], corner[0] + kBlock - 1, corner[1] + kBlock - 1});
        DRO_SaveUndoBuffer(1, 1);
    }
}

// Runs the scenario; returns null on success, else what went wrong.
const char* runScenario(benchmark::State& state) {
    const drobench::WallClock createClock;
    drobench::openCanvas(kEdge, kEdge);
    for (int32_t layer = 2; layer <= kLayers; ++layer) {
        DRO_CreateLayer(layer, kEdge, kEdge);
        DRO_SetLayerOptions(layer, 1, 0, 100, "Normal");
    }
    DRO_SetLayer(1);
    DRO_SetUndoLevels(50);
    DRO_SetUndoMB(4096);
    state.counters["create_s"] = createClock.seconds();
    if (DRO_GetLayerCount() != kLayers) return "the layers could not all be created";

    const std::vector<uint8_t> wholeBlock = opaquePattern(kEdge, kEdge, 0x51ed270bU);
    const std::vector<uint8_t> smallBlock = opaquePattern(kBlock, kBlock, 0x2545f491U);

    // Layers 2..4 are painted without undo, as a host fills layers it is not editing.
    const drobench::WallClock paintClock;
    for (int32_t layer = 2; layer <= kLayers; ++layer) {
        DRO_LoadRGBA32Layer(wholeBlock.data(), kEdge * 4, layer, 0, 0, kEdge, kEdge, 0);
        loadBlocks(smallBlock, layer, false);
    }
    state.counters["paint_layers_2to4_s"] = paintClock.seconds();

    // The current layer: a whole-layer load saved as one step, then each block saved
    // as its own step.
    const std::vector<uint16_t> before = probeSquare();
    const drobench::WallClock loadClock;
    DRO_LoadRGBA32Layer(wholeBlock.data(), kEdge * 4, 1, 0, 0, kEdge, kEdge, 0);
    state.counters["whole_load_s"] = loadClock.seconds();
    const drobench::WallClock wholeSaveClock;
    DRO_InvalidateDirtyUndoCanvas();
    DRO_SaveUndoBuffer(1, 1);
    state.counters["whole_save_s"] = wholeSaveClock.seconds();
    const std::vector<uint16_t> afterWhole = probeSquare();
    const drobench::WallClock blockClock;
    loadBlocks(smallBlock, 1, true);
    state.counters["block_steps_s"] = blockClock.seconds();
    const std::vector<uint16_t> afterBlocks = probeSquare();
    if (afterWhole == before || afterBlocks == afterWhole) return "painting did not change the probed pixels";
    if (DRO_GetUndoCount() != 1 + static_cast<int32_t>(kBlockCorners.size())) return "not every step was recorded";

    const drobench::WallClock undoClock;
    for (size_t i = 0; i < kBlockCorners.size(); ++i) DRO_Undo();
    state.counters["undo_blocks_s"] = undoClock.seconds();
    if (probeSquare() != afterWhole) return "undoing the blocks did not restore the whole-layer load";
    const drobench::WallClock wholeUndoClock;
    DRO_Undo();
    state.counters["undo_whole_s"] = wholeUndoClock.seconds();
    if (probeSquare() != before) return "undoing the whole-layer load did not restore the layer";
    return nullptr;
}

void BM_BigCanvas(benchmark::State& state) {
    drobench::closeCanvas();
    // The high-water mark is per process: start it here so earlier benchmarks do not count.
    const bool fresh = drobench::resetPeakRss();
    const int64_t faults = drobench::minorPageFaults();
    for (auto _ : state) {
        if (const char* failure = runScenario(state)) {
            state.SkipWithError(failure);
            break;
        }
    }
    state.counters["peak_rss_MiB"] = static_cast<double>(drobench::peakRssBytes()) / (1 << 20);
    state.counters["peak_rss_is_this_run"] = fresh ? 1 : 0;
    state.counters["page_faults"] = static_cast<double>(drobench::minorPageFaults() - faults);
    drobench::closeCanvas();
}
BENCHMARK(BM_BigCanvas)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
