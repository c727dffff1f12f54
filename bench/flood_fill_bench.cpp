// The paint bucket's region fill on the largest canvas, 10000 x 10000 of one colour:
// the scanline fill alone on an RGBA32 block, the whole tool on a canvas, and a memcpy
// of the same bytes as the baseline each is measured against.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench_support.h"
#include "drovane.h"
#include "imaging/lib/draw_flood.h"
#include "mask/fill_in_place.h"

namespace {

constexpr int32_t kEdge = 10000;
constexpr size_t kBlockBytes = size_t{kEdge} * kEdge * 4;  // the RGBA32 tool block
constexpr size_t kLayerBytes = kBlockBytes * 2;           // the RGBA64 layer

void BM_FloodMemcpyBaseline(benchmark::State& state, const char* name, size_t bytes) {
    drobench::runMemcpyBaseline(state, name, bytes, false);
}
BENCHMARK_CAPTURE(BM_FloodMemcpyBaseline, block_400MB, "memcpy_flood_block", kBlockBytes)
    ->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Recolours the whole block, alternating between two colours so every pass fills it all.
void BM_ScanlineFloodFill(benchmark::State& state) {
    std::vector<uint8_t> block(kBlockBytes);
    for (size_t i = 0; i < kBlockBytes; i += 4) std::memcpy(&block[i], "\x40\x80\xC0\xFF", 4);
    const LibPoint seed{kEdge / 2, kEdge / 2};
    uint32_t colours[2] = {0x00FF0000, 0x00C08040};
    int turn = 0;
    const drobench::WallClock clock;
    for (auto _ : state) {
        if (!IS3FloodFillImage(block.data(), kEdge, kEdge, 4, kEdge * 4, &seed, colours[turn], 1, 0, 0)) {
            state.SkipWithError("fill refused");
            break;
        }
        turn ^= 1;
        benchmark::ClobberMemory();
    }
    // Read and written once each, as the memcpy baseline counts its bytes.
    const double bytes = double(kBlockBytes) * 2 * double(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    drobench::reportRatioTo(state, "vs_memcpy", "memcpy_flood_block", bytes / clock.seconds());
}
BENCHMARK(BM_ScanlineFloodFill)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LayerMemcpyBaseline(benchmark::State& state) {
    drobench::runMemcpyBaseline(state, "memcpy_flood_layer", kLayerBytes, false);
}
BENCHMARK(BM_LayerMemcpyBaseline)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(2);

// The whole paint bucket: the region found on the layer and one masked write-back
// (in place: warm, keeping its scratch from fill to fill, or cold, as the first fill on
// a canvas, its scratch fresh each time), or the block route it replaced: tool block
// from the layer, free colour, fill, recolour, write back through the mask.
enum class Route { inPlace, inPlaceCold, block };

void BM_PaintBucketTool(benchmark::State& state, Route route) {
    drobench::openCanvas(kEdge, kEdge);
    dro::testhooks::setFillInPlace(route != Route::block);
    // One fill before timing, as the memcpy's buffers are touched before it is timed.
    DRO_IPLFloodFill(0, 0, 0, kEdge / 2, kEdge / 2, 0, "Paint Connected");
    int turn = 0;
    for (auto _ : state) {
        if (route == Route::inPlaceCold) dro::releaseFillScratch();
        DRO_IPLFloodFill(turn ? 10 : 200, 60, 90, kEdge / 2, kEdge / 2, 0, "Paint Connected");
        turn ^= 1;
    }
    dro::testhooks::setFillInPlace(true);
    drobench::closeCanvas();
    state.SetBytesProcessed(static_cast<int64_t>(double(kLayerBytes) * 2 * double(state.iterations())));
}
BENCHMARK_CAPTURE(BM_PaintBucketTool, in_place, Route::inPlace)
    ->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_PaintBucketTool, in_place_cold, Route::inPlaceCold)
    ->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_PaintBucketTool, block_route, Route::block)
    ->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
