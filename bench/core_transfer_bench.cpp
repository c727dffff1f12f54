// Whole-layer transfers between the host's RGBA32 blocks and a 4096 x 4096 RGBA64
// layer, next to memcpy moving the same number of bytes.
//
// Bytes counted per call are what the call must read plus what it must write:
//   read out (DRO_GetRGBA32Layer):  128 MiB of layer in + 64 MiB of block out = 192 MiB
//   load (unmasked):                 64 MiB of block in + 128 MiB of layer out = 192 MiB
//   load (masked):                  the same + 32 MiB of mask in              = 224 MiB
// The masked load also reads the layer where coverage is partial; that is not counted,
// so its figure flatters nothing. The memcpy baselines copy half the counted bytes,
// which is the same read + written total.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench_support.h"
#include "drovane.h"

namespace {

using drobench::mix;

constexpr int32_t kEdge = 4096;
constexpr int64_t kPixels = int64_t{kEdge} * kEdge;
constexpr int32_t kBlockPitch = kEdge * 4;
constexpr int64_t kTransferBytes = kPixels * 8 + kPixels * 4;
constexpr int64_t kMaskedTransferBytes = kTransferBytes + kPixels * 2;

// Host pixels with every kind of alpha the load rule tells apart: transparent, opaque
// and partial.
std::vector<uint8_t> makeHostBlock() {
    std::vector<uint8_t> block(static_cast<size_t>(kPixels) * 4);
    for (int64_t p = 0; p < kPixels; ++p) {
        const uint32_t h = mix(static_cast<uint32_t>(p));
        uint8_t* px = &block[static_cast<size_t>(p) * 4];
        px[0] = static_cast<uint8_t>(h);
        px[1] = static_cast<uint8_t>(h >> 8);
        px[2] = static_cast<uint8_t>(h >> 16);
        const uint32_t kind = (h >> 24) & 7;
        px[3] = kind == 0 ? 0 : kind < 6 ? 255 : static_cast<uint8_t>(1 + (h >> 25) % 254);
    }
    return block;
}

// A selection as painting produces it: a protected third, an editable third and a
// feathered third ramping from 0 to 65535 along each row.
std::vector<uint16_t> makeRegionMask() {
    std::vector<uint16_t> mask(static_cast<size_t>(kPixels));
    constexpr int32_t third = kEdge / 3;
    for (int32_t y = 0; y < kEdge; ++y) {
        for (int32_t x = 0; x < kEdge; ++x) {
            uint16_t m = 0;
            if (x >= third && x < 2 * third) m = 65535;
            else if (x >= 2 * third) m = static_cast<uint16_t>(int64_t{x - 2 * third} * 65535 / (kEdge - 2 * third));
            mask[static_cast<size_t>(y) * kEdge + x] = m;
        }
    }
    return mask;
}

// The worst case for a per-pixel branch: 0, 65535 and partial values at random.
std::vector<uint16_t> makeNoiseMask() {
    std::vector<uint16_t> mask(static_cast<size_t>(kPixels));
    for (int64_t p = 0; p < kPixels; ++p) {
        const uint32_t h = mix(static_cast<uint32_t>(p) ^ 0x9e3779b9U);
        const uint32_t kind = h % 3;
        mask[static_cast<size_t>(p)] = kind == 0 ? 0 : kind == 1 ? 65535 : static_cast<uint16_t>(1 + (h >> 8) % 65534);
    }
    return mask;
}

// The first opaque source pixel at or after index from: one whose value any working
// transfer must carry through unchanged.
int64_t firstOpaquePixel(const std::vector<uint8_t>& block, int64_t from) {
    for (int64_t p = from; p < kPixels; ++p) {
        if (block[static_cast<size_t>(p) * 4 + 3] == 255) return p;
    }
    return from;
}

void reportTransfer(benchmark::State& state, const drobench::WallClock& clock, int64_t bytesPerCall,
                    const char* singleBaseline, const char* threadedBaseline) {
    const double seconds = clock.seconds();
    state.SetBytesProcessed(state.iterations() * bytesPerCall);
    state.SetItemsProcessed(state.iterations() * kPixels);
    if (seconds <= 0) return;
    const double bandwidth = static_cast<double>(state.iterations()) * static_cast<double>(bytesPerCall) / seconds;
    drobench::reportRatioTo(state, "vs_memcpy", singleBaseline, bandwidth);
    drobench::reportRatioTo(state, "vs_memcpy_omp", threadedBaseline, bandwidth);
}

void BM_MemcpyBaseline(benchmark::State& state, const char* name, int64_t countedBytes, bool allThreads) {
    drobench::runMemcpyBaseline(state, name, static_cast<size_t>(countedBytes / 2), allThreads);
}
BENCHMARK_CAPTURE(BM_MemcpyBaseline, transfer_96MiB_1thread, "memcpy_transfer", kTransferBytes, false)
    ->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MemcpyBaseline, transfer_96MiB_omp, "memcpy_transfer_omp", kTransferBytes, true)
    ->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MemcpyBaseline, masked_112MiB_1thread, "memcpy_masked", kMaskedTransferBytes, false)
    ->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MemcpyBaseline, masked_112MiB_omp, "memcpy_masked_omp", kMaskedTransferBytes, true)
    ->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_GetRGBA32Layer(benchmark::State& state) {
    drobench::openCanvas(kEdge, kEdge);
    const std::vector<uint8_t> source = makeHostBlock();
    DRO_LoadRGBA32Layer(source.data(), kBlockPitch, 1, 0, 0, kEdge, kEdge, 0);
    std::vector<uint8_t> out(static_cast<size_t>(kPixels) * 4);
    const drobench::WallClock clock;
    for (auto _ : state) {
        DRO_GetRGBA32Layer(out.data(), kBlockPitch, 1);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    reportTransfer(state, clock, kTransferBytes, "memcpy_transfer", "memcpy_transfer_omp");
    // An opaque source pixel survives the round trip; a call that did nothing would not.
    const auto probe = static_cast<size_t>(firstOpaquePixel(source, 12345)) * 4;
    if (out[probe] != source[probe] || out[probe + 3] != 255) {
        state.SkipWithError("the layer was not read out");
    }
    drobench::closeCanvas();
}
BENCHMARK(BM_GetRGBA32Layer)->UseRealTime()->Unit(benchmark::kMillisecond);

enum class MaskKind { None, Regions, Noise };

void BM_LoadRGBA32Layer(benchmark::State& state, MaskKind kind) {
    drobench::openCanvas(kEdge, kEdge);
    const std::vector<uint8_t> source = makeHostBlock();
    if (kind != MaskKind::None) {
        const std::vector<uint16_t> mask = kind == MaskKind::Regions ? makeRegionMask() : makeNoiseMask();
        DRO_SetMaskData16(mask.data());
    }
    const uint8_t useMask = kind == MaskKind::None ? 0 : 1;
    const drobench::WallClock clock;
    for (auto _ : state) {
        DRO_LoadRGBA32Layer(source.data(), kBlockPitch, 1, 0, 0, kEdge, kEdge, useMask);
        benchmark::ClobberMemory();
    }
    if (kind == MaskKind::None) {
        reportTransfer(state, clock, kTransferBytes, "memcpy_transfer", "memcpy_transfer_omp");
    } else {
        reportTransfer(state, clock, kMaskedTransferBytes, "memcpy_masked", "memcpy_masked_omp");
    }
    // An opaque pixel where the selection is fully editable (always so unmasked) must
    // hold the widened source afterwards.
    const int64_t probe = firstOpaquePixel(source, int64_t{7} * kEdge + kEdge / 2);
    const auto x = static_cast<int32_t>(probe % kEdge);
    const auto y = static_cast<int32_t>(probe / kEdge);
    const auto p = static_cast<size_t>(probe) * 4;
    if (kind != MaskKind::Noise && DRO_GetRed64(x, y) != source[p] * 256) {
        state.SkipWithError("the block was not loaded");
    }
    drobench::closeCanvas();
}
BENCHMARK_CAPTURE(BM_LoadRGBA32Layer, unmasked, MaskKind::None)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadRGBA32Layer, masked_regions, MaskKind::Regions)
    ->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadRGBA32Layer, masked_noise, MaskKind::Noise)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
