// Dabs per second: a hard round brush, the same with grain, and a smudge that paints
// from the blend buffer and picks the canvas up into it, at sizes 16, 64 and 256; next
// to libmypaint drawing hard dabs of the same diameter on its fixed tiled surface. The
// hard dab also runs through each of the engine's paths for it, down to the per-pixel walk.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "brush/blend_buffers.h"
#include "brush/brush_buffers.h"
#include "brush/dab_kernels.h"
#include "brush/paint_layer.h"
#include "brush/tool_settings.h"
#include "core/allocation.h"
#include "core/canvas.h"
#include "engine/engine_lifecycle.h"
#include "drovane.h"

#ifdef DROVANE_HAVE_MYPAINT
extern "C" {
#include <mypaint-fixed-tiled-surface.h>
#include <mypaint-surface.h>
}
#endif

namespace {

constexpr int kCanvas = 1024;
constexpr int kMaxBrush = 256;

enum class DabKind { Hard, Grain, Smudge };

// Dab centres along a slow diagonal sweep, spaced a quarter of the size apart as a
// stroke would place them, wrapping inside the canvas.
struct StrokePath {
    int size;
    int i = 0;
    void next(int& x, int& y) {
        const int step = std::max(1, size / 4);
        const int span = kCanvas - size;
        const int t = i++ * step;
        x = size / 2 + t % span;
        y = size / 2 + (t / span * 37 + t / 3) % span;
    }
};

void setUpBrush(int size, DabKind kind) {
    dro::resetEngine();
    DRO_CreateImage(nullptr, kCanvas, kCanvas, kMaxBrush, 0);
    DRO_CreateLayer(1, kCanvas, kCanvas);
    DRO_CreateLayer(2, kCanvas, kCanvas);
    DRO_SetLayerOptions(2, 1, 0, 100, "Normal");
    DRO_SetLayer(2);

    dro::ToolSettings& t = dro::toolSettings();
    t.mixMode = 32;
    t.alpha = 100;
    t.alpha128 = 128;
    t.densityLimit = 255;
    t.size = t.scaleSize = size;
    for (int i = 0; i < size; ++i) t.scaleTable[static_cast<size_t>(i)] = i;
    // Hard disc.
    uint16_t* shape = dro::brushBuffers().brushPlane.get();
    const double r = size * 0.5;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            shape[y * kMaxBrush + x] = std::hypot(x + 0.5 - r, y + 0.5 - r) <= r ? 65535 : 0;

    // A paint layer as the target, as during a stroke.
    dro::LayerSlot& p = dro::paintLayer().layer;
    p.pixels = dro::adoptBuffer(dro::x_NewShortUndoReduce(uint64_t{kCanvas} * kCanvas * 4));
    std::memset(p.pixels.get(), 0, size_t{kCanvas} * kCanvas * 8);
    p.width = p.height = kCanvas;
    p.rowPitch = kCanvas * 4;
    p.extents = dro::Rect{kCanvas, kCanvas, 0, 0};

    if (kind == DabKind::Grain) {
        t.grainCellSize = 4;
        t.drawingLength = 1 << 30;
        dro::BrushBuffers& b = dro::brushBuffers();
        uint32_t s = 7;
        for (auto& g : b.grain) {
            for (int i = 0; i < (kMaxBrush + 25) * (kMaxBrush + 25); ++i) g[i] = static_cast<uint8_t>((s = s * 1664525u + 1013904223u) >> 24);
        }
        t.densityLimit = 128;
    }
    if (kind == DabKind::Smudge) {
        // Fill the layer with a gradient to smudge, and the buffer from it.
        uint16_t* l2 = dro::canvas().layerSlots[2].pixels.get();
        for (int y = 0; y < kCanvas; ++y)
            for (int x = 0; x < kCanvas; ++x) {
                uint16_t* q = l2 + (size_t(y) * kCanvas + x) * 4;
                q[0] = static_cast<uint16_t>(x * 64), q[1] = static_cast<uint16_t>(y * 64), q[2] = 30000, q[3] = 65535;
            }
        t.blendStrength = 128;
        t.blendStrengthRest = 128;
        t.blendRemix = 1;
        DRO_CopyBlendBufferSurface(kCanvas / 2, kCanvas / 2, 0, 0);
    }
}

void BM_Dab(benchmark::State& state, DabKind kind) {
    const int size = static_cast<int>(state.range(0));
    setUpBrush(size, kind);
    StrokePath path{size};
    for (auto _ : state) {
        int x, y;
        path.next(x, y);
        DRO_DrawDabGrit(x, y, 0xC000, 0x4000, 0x2000);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["dabs/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    dro::resetEngine();
}

void BM_DabHard(benchmark::State& s) { BM_Dab(s, DabKind::Hard); }
void BM_DabGrain(benchmark::State& s) { BM_Dab(s, DabKind::Grain); }
void BM_DabSmudge(benchmark::State& s) { BM_Dab(s, DabKind::Smudge); }
BENCHMARK(BM_DabHard)->Arg(16)->Arg(64)->Arg(256)->UseRealTime();
BENCHMARK(BM_DabGrain)->Arg(16)->Arg(64)->Arg(256)->UseRealTime();
BENCHMARK(BM_DabSmudge)->Arg(16)->Arg(64)->Arg(256)->UseRealTime();

// The hard dab through each path the engine has for it: the per-pixel walk (-1), the
// row kernel in plain scalar form (0), and its 256- and 512-bit forms (each falls back
// to the next narrower one on a processor without it).
void BM_DabHardPath(benchmark::State& state) {
    const int path = static_cast<int>(state.range(1));
    dro::testhooks::setDabRowKernels(path >= 0);
    dro::testhooks::setDabVectorWidth(std::max(path, 0));
    BM_Dab(state, DabKind::Hard);
    dro::testhooks::setDabRowKernels(true);
    dro::testhooks::setDabVectorWidth(512);
}
BENCHMARK(BM_DabHardPath)->ArgsProduct({{16, 64, 256}, {-1, 0, 256, 512}})->UseRealTime();

#ifdef DROVANE_HAVE_MYPAINT
// libmypaint: hard, opaque dabs of the same diameter on its fixed tiled surface, one
// atomic section per dab so that every dab is rendered into the tiles before the next.
void BM_DabLibMyPaint(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    MyPaintFixedTiledSurface* fixed = mypaint_fixed_tiled_surface_new(kCanvas, kCanvas);
    MyPaintSurface* surface = reinterpret_cast<MyPaintSurface*>(fixed);
    StrokePath path{size};
    for (auto _ : state) {
        int x, y;
        path.next(x, y);
        mypaint_surface_begin_atomic(surface);
        mypaint_surface_draw_dab(surface, static_cast<float>(x), static_cast<float>(y), size * 0.5f, 0.75f, 0.25f,
                                 0.125f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f);
        mypaint_surface_end_atomic(surface, nullptr);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["dabs/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    mypaint_surface_unref(surface);
}
BENCHMARK(BM_DabLibMyPaint)->Arg(16)->Arg(64)->Arg(256)->UseRealTime();
#endif

}  // namespace
