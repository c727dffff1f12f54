#include "composite/render.h"

#include <omp.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "brush/paint_layer.h"
#include "brush/tool_settings.h"
#include "composite/alpha_modes.h"
#include "core/blend_mode_table.h"
#include "composite/merge_pixel.h"
#include "composite/render_accumulator.h"
#include "composite/render_kernels.h"
#include "composite/view_state.h"
#include "core/canvas.h"
#include "core/cpu_features.h"
#include "core/mask_state.h"

// GCC on x86-64 compiles the tiled row path again for AVX2 and for AVX-512 (clang
// builds keep the baseline one).
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define DROVANE_RENDER_WIDE 1
#endif

namespace dro {
namespace {

// Canvas pixels composited together, layer by layer: the accumulator and the layer
// tiles stay in the first-level cache.
constexpr int32_t kTile = 128;
constexpr int32_t kMaxListed = kLayerSlotCount - 1;  // slots 1..271
// Below this many output pixels the render stays on the calling thread.
constexpr int64_t kParallelPixels = 1 << 16;

bool gFastPath = true;
bool gThreads = true;
int gVectorWidth = 512;  // the widest build of the tiled rows allowed

const uint16_t kTransparentPixel[4] = {0, 0, 0, 0};

// A plane the render reads: a listed layer, the stroke in progress, the tracing image.
struct Plane {
    const uint16_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowPitch = 0;

    // The pixel at canvas (cx, cy); outside the plane (a layer of another size) it
    // reads as transparent black.
    const uint16_t* at(int32_t cx, int32_t cy) const noexcept {
        if (!pixels || cx >= width || cy >= height) return kTransparentPixel;
        return pixels + static_cast<int64_t>(cy) * rowPitch + int64_t{4} * cx;
    }
};

Plane planeOf(const LayerSlot& slot) noexcept {
    return {slot.pixels.get(), slot.width, slot.height, slot.rowPitch};
}

struct ListedLayer {
    Plane plane;
    int32_t mode;
    int32_t opacity;
};

struct Stroke {
    Plane plane;
    int32_t mode = 0;
    int32_t opacity = 0;
    uint32_t preScale = 0;  // second opacity + 1
    bool alphaLock = false;
    PixelMerge merge = nullptr;
};

struct Finish {
    Plane tracing;  // pixels null when tracing is off
    const uint16_t* mask = nullptr;  // null unless the tint is on
    int32_t maskWidth = 0;
    bool fullRangeTint = false;
    std::array<uint32_t, 3> tintEven{};  // squares with p = 0: the second colour
    std::array<uint32_t, 3> tintOdd{};   // p = 1: the first colour

    // Neither tracing nor the tint: an opaque composite shows as its high bytes.
    bool bare() const noexcept { return !tracing.pixels && !mask; }
};

// Everything one call reads, gathered once; the list is a fixed array.
struct Scene {
    std::array<ListedLayer, kMaxListed> layers;
    int32_t count = 0;
    bool backgroundListed = false;
    int32_t currentPosition = -1;
    Stroke stroke;
    uint32_t alphaLayerOpacity = 65535;
    Finish finish;

    bool bottomAt(int32_t k) const noexcept { return k == 0 && backgroundListed; }
    const ListedLayer* maskAbove(int32_t k) const noexcept {
        return k + 1 < count && layers[static_cast<size_t>(k + 1)].mode == kModeLayerMask
                   ? &layers[static_cast<size_t>(k + 1)]
                   : nullptr;
    }
};

void buildScene(Scene& s, const LayerSlot& current) noexcept {
    Canvas& c = canvas();
    const LayerSlot& paint = paintLayer().layer;
    for (int32_t i = 1; i < kLayerSlotCount; ++i) {
        const LayerSlot& slot = c.layerSlots[static_cast<size_t>(i)];
        // "Texturize3" layers act through the texture map, never directly.
        if (slot.empty() || !slot.visible || slot.mode == kModeTexturize3) continue;
        if (i == kBackgroundSlot) s.backgroundListed = true;
        if (!paint.empty() && slot.pixels.get() == current.pixels.get()) s.currentPosition = s.count;
        s.layers[static_cast<size_t>(s.count++)] = {planeOf(slot), slot.mode, slot.opacity};
    }
    s.alphaLayerOpacity = c.alphaLayerOpacity;
    if (s.currentPosition >= 0) {
        Stroke& st = s.stroke;
        st.plane = planeOf(paint);
        st.mode = paint.mode;
        st.opacity = paint.opacity;
        st.preScale = uint32_t{paintLayer().secondOpacity} + 1;
        st.alphaLock = current.alphaLocked != 0 || toolSettings().toolAlphaLocked != 0;
        st.merge = pixelMergeFor(paint.mode);
    }
    const ViewState& v = viewState();
    const LayerSlot& tracing = c.layerSlots[kTracingSlot];
    if (v.tracingMode && !tracing.empty()) s.finish.tracing = planeOf(tracing);
    const MaskState& m = maskState();
    if (m.displayed && m.enabled && m.plane) {
        s.finish.mask = m.plane.get();
        s.finish.maskWidth = c.width;
        s.finish.fullRangeTint = m.fullRangeTint != 0;
        for (int i = 0; i < 3; ++i) {
            s.finish.tintEven[static_cast<size_t>(i)] = static_cast<uint32_t>(m.tintColour2[static_cast<size_t>(i)]);
            s.finish.tintOdd[static_cast<size_t>(i)] = static_cast<uint32_t>(m.tintColour1[static_cast<size_t>(i)]);
        }
    }
}

inline uint16_t saturate16(uint32_t v) noexcept { return static_cast<uint16_t>(std::min(v, 65535u)); }

// A merged pixel back into the 16-bit layer pixel p.
inline void storeSaturated(uint16_t* p, const WorkPixel& d) noexcept {
    p[0] = saturate16(d.r);
    p[1] = saturate16(d.g);
    p[2] = saturate16(d.b);
    p[3] = saturate16(d.a);
}

// The stroke pixel q merged onto the layer pixel p (in place) with the paint layer's
// mode, opacities and the alpha lock, as DRO_MergePixel merges it.
inline void mergeStroke(const Stroke& st, uint16_t* p, const uint16_t* q, uint32_t o) noexcept {
    const uint32_t sa = (st.preScale * q[3]) >> 8;
    if (skipsTransparentSource(st.mode, sa)) return;
    WorkPixel d{p[0], p[1], p[2], p[3]};
    if (st.merge(d, {q[0], q[1], q[2], sa}, st.opacity, st.alphaLock, o)) storeSaturated(p, d);
}

constexpr size_t tableIndex(int32_t mode) noexcept { return static_cast<size_t>(modeTableIndex(mode)); }

// Steps 6 to 9 for one output pixel showing canvas (cx, cy): tracing, checkerboard,
// mask tint, and the three bytes blue, green, red.
inline void finishPixel(uint8_t* out, WorkPixel c, int32_t cx, int32_t cy, const Finish& f) noexcept {
    if (f.tracing.pixels) {
        const uint16_t* t = f.tracing.at(cx, cy);
        c.r = (c.r + t[0]) >> 1;
        c.g = (c.g + t[1]) >> 1;
        c.b = (c.b + t[2]) >> 1;
    }
    const bool oddSquare = (((cx >> 5) + (cy >> 5)) & 1) != 0;
    if (c.a < 65535u) {
        const uint32_t grey = oddSquare ? 0x9FFFu : 65535u;
        const uint32_t t = (grey * (65535u - c.a)) >> 8;
        c.r = (((c.a * c.r) >> 8) + t) >> 8;
        c.g = (((c.a * c.g) >> 8) + t) >> 8;
        c.b = (((c.a * c.b) >> 8) + t) >> 8;
    }
    if (f.mask) {
        uint32_t m = f.mask[static_cast<int64_t>(cy) * f.maskWidth + cx];
        if (m < 65535u) {
            if (!f.fullRangeTint) m = (m >> 1) + 0x7FFFu;
            const uint32_t n = 65535u - m;
            const std::array<uint32_t, 3>& k = oddSquare ? f.tintOdd : f.tintEven;
            out[0] = static_cast<uint8_t>((((m * c.b) >> 8) + ((n * k[2]) >> 8)) >> 16);
            out[1] = static_cast<uint8_t>((((m * c.g) >> 8) + ((n * k[1]) >> 8)) >> 16);
            out[2] = static_cast<uint8_t>((((m * c.r) >> 8) + ((n * k[0]) >> 8)) >> 16);
            return;
        }
    }
    out[0] = static_cast<uint8_t>(c.b >> 8);
    out[1] = static_cast<uint8_t>(c.g >> 8);
    out[2] = static_cast<uint8_t>(c.r >> 8);
}

// ---- The plain per-pixel walk ------------------------------------------------------

WorkPixel compositePlain(const Scene& s, int32_t cx, int32_t cy) noexcept {
    AccumulatorPixel acc{0.0f, 0.0f, 0.0f, 0.0f};
    const uint32_t o = s.alphaLayerOpacity;
    for (int32_t k = 0; k < s.count; ++k) {
        const ListedLayer& layer = s.layers[static_cast<size_t>(k)];
        uint16_t p[4];
        std::memcpy(p, layer.plane.at(cx, cy), sizeof p);
        const bool bottom = s.bottomAt(k);
        uint32_t a = p[3];
        if (bottom) {
            a = 65535;
        } else if (a == 0 && layer.mode < kFirstAlphaMode && k != s.currentPosition) {
            continue;
        }
        if (k == s.currentPosition) {
            mergeStroke(s.stroke, p, s.stroke.plane.at(cx, cy), o);
            a = bottom ? 65535u : p[3];
        }
        if (const ListedLayer* maskLayer = s.maskAbove(k)) {
            const uint16_t* m = maskLayer->plane.at(cx, cy);
            if (m[3] != 0) {
                a = (((uint32_t{m[0]} + m[1] + m[2]) / 3) * a) >> 16;
                if (bottom) a = 65535;
            }
        }
        WorkPixel src{p[0], p[1], p[2], a};
        const int32_t mode = rewriteAlpha(layer.mode, src, o);
        accumulatorCompositeFor(mode)(acc, src, layer.opacity, clearsEmptyDestination(mode));
    }
    return accumulatorTo16(acc);
}

// ---- Geometry -----------------------------------------------------------------------

enum class Sampling { OneToOne, ZoomIn, ZoomOut };

struct Geometry {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
    Sampling sampling = Sampling::OneToOne;
    int32_t zoom = 1;
    float scale = 1.0f;
    int64_t cols = 0;
    int64_t rows = 0;
};

// Truncation toward zero of a float that may lie far outside the int range.
int64_t truncWide(float v) noexcept {
    return static_cast<int64_t>(std::clamp(v, -1.0e15f, 1.0e15f));
}

// The output area, or false when nothing is to be written.
bool planGeometry(Geometry& g, int32_t x, int32_t y, int32_t w, int32_t h) noexcept {
    const Canvas& c = canvas();
    const ViewState& v = viewState();
    if (!pinRectToPlane(x, y, w, h, c.width, c.height)) return false;
    g.x = x;
    g.y = y;
    g.w = w;
    g.h = h;
    g.zoom = v.zoom;
    g.scale = v.scale;
    const float z = static_cast<float>(v.zoom);
    if (v.scale == z) {
        g.sampling = Sampling::OneToOne;
        g.cols = std::min<int64_t>(w, v.viewWidth);
        g.rows = std::min<int64_t>(h, v.viewHeight);
    } else if (v.scale < z) {
        g.sampling = Sampling::ZoomIn;
        g.cols = std::min<int64_t>(int64_t{v.zoom} * w, v.viewWidth);
        g.rows = std::min<int64_t>(int64_t{v.zoom} * h, v.viewHeight);
    } else if (v.scale > z) {
        g.sampling = Sampling::ZoomOut;
        const int64_t lastX = truncWide(static_cast<float>(x) + static_cast<float>(w) / v.scale - 1.0f);
        const int64_t lastY = truncWide(static_cast<float>(y) + static_cast<float>(h) / v.scale - 1.0f);
        g.cols = std::min<int64_t>(lastX, int64_t{x} + v.viewWidth - 1) - x + 1;
        g.rows = std::min<int64_t>(lastY, int64_t{y} + v.viewHeight - 1) - y + 1;
    } else {
        return false;  // a scale that compares with nothing (NaN)
    }
    // A zoom below 1 spans no output.
    return g.cols > 0 && g.rows > 0 && (g.sampling != Sampling::ZoomIn || g.zoom >= 1);
}

// Zoomed-out sampling: successive canvas offsets 0, then the running sum of the scale
// advanced by its integer part, the fraction kept in single precision.
struct Stepper {
    float scale;
    int64_t offset = 0;
    float fraction = 0.0f;

    void advance() noexcept {
        fraction += scale;
        const int64_t whole = truncWide(fraction);
        offset += whole;
        fraction -= static_cast<float>(whole);
    }
};

// Canvas row shown by output row k, for the rows not zoomed out.
int32_t canvasRow(const Geometry& g, int64_t k) noexcept {
    return g.sampling == Sampling::ZoomIn ? g.y + static_cast<int32_t>(k / g.zoom) : g.y + static_cast<int32_t>(k);
}

int32_t clampToSpan(int64_t offset, int32_t origin, int32_t extent) noexcept {
    return origin + static_cast<int32_t>(std::clamp<int64_t>(offset, 0, extent - 1));
}

// ---- Rows ---------------------------------------------------------------------------

void renderRowPlain(const Scene& s, const Geometry& g, uint8_t* row, int32_t cy) noexcept {
    Stepper columns{g.scale};
    for (int64_t i = 0; i < g.cols; ++i) {
        int32_t cx;
        if (g.sampling == Sampling::ZoomOut) {
            cx = clampToSpan(columns.offset, g.x, g.w);
            columns.advance();
        } else if (g.sampling == Sampling::ZoomIn) {
            cx = g.x + static_cast<int32_t>(i / g.zoom);
        } else {
            cx = g.x + static_cast<int32_t>(i);
        }
        finishPixel(row + 3 * i, compositePlain(s, cx, cy), cx, cy, s.finish);
    }
}

// ---- The tiled row path -------------------------------------------------------------

// Compiled once for any processor of the architecture and, with GCC on x86-64, once
// each for processors with AVX2 and with AVX-512; renderRows takes the widest copy the
// running processor can run. The compiler may not fuse multiplies and adds (the build
// says so), so every copy gives the same bits.
namespace baseline {
constexpr int32_t kCopiedPerStep = 1;
#include "composite/render_tiled_rows.inc"
}  // namespace baseline

#if defined(DROVANE_RENDER_WIDE)
#pragma GCC push_options
#pragma GCC target("avx2")
namespace avx2 {
constexpr int32_t kCopiedPerStep = 2;
#include "composite/render_tiled_rows.inc"
}  // namespace avx2
#pragma GCC pop_options
#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512bw,avx512vl")
namespace avx512 {
constexpr int32_t kCopiedPerStep = 4;
#include "composite/render_tiled_rows.inc"
#include "core/rect.h"
}  // namespace avx512
#pragma GCC pop_options
#endif

using TiledRow = void (*)(const Scene&, const Geometry&, uint8_t*, int32_t) noexcept;

TiledRow tiledRowForThisProcessor() noexcept {
#if defined(DROVANE_RENDER_WIDE)
    if (gVectorWidth >= 512 && hasAvx512()) return avx512::renderRowFast;
    if (gVectorWidth >= 256 && hasAvx2()) return avx2::renderRowFast;
#endif
    return baseline::renderRowFast;
}

// Output rows [k0, k1).
void renderRows(const Scene& s, const Geometry& g, uint8_t* out, int64_t stride, int64_t k0, int64_t k1) noexcept {
    Stepper rows{g.scale};
    if (g.sampling == Sampling::ZoomOut) {
        for (int64_t k = 0; k < k0; ++k) rows.advance();
    }
    const TiledRow tiledRow = tiledRowForThisProcessor();
    int32_t previousRow = -1;
    const uint8_t* previous = nullptr;
    for (int64_t k = k0; k < k1; ++k) {
        int32_t cy;
        if (g.sampling == Sampling::ZoomOut) {
            cy = clampToSpan(rows.offset, g.y, g.h);
            rows.advance();
        } else {
            cy = canvasRow(g, k);
        }
        uint8_t* row = out + k * stride;
        if (!gFastPath) {
            renderRowPlain(s, g, row, cy);
            continue;
        }
        // Rows showing the same canvas row are the same bytes.
        if (cy == previousRow) {
            if (row != previous) std::memmove(row, previous, static_cast<size_t>(g.cols) * 3);
            continue;
        }
        tiledRow(s, g, row, cy);
        previousRow = cy;
        previous = row;
    }
}

UnitQuotients makeUnitQuotients() noexcept {
    UnitQuotients q{};
    for (uint32_t v = 0; v <= 65535u; ++v) {
        q.colour[v] = static_cast<float>(v) / 65280.0f;
        q.alpha[v] = static_cast<float>(v) / 65535.0f;
    }
    return q;
}

}  // namespace

const UnitQuotients kUnitQuotients = makeUnitQuotients();

AccumulatorComposite accumulatorCompositeFor(int32_t mode) noexcept {
    static constexpr auto table = []<int32_t... F>(std::integer_sequence<int32_t, F...>) {
        return std::array<AccumulatorComposite, sizeof...(F)>{{compositeOntoAccumulator<F>...}};
    }(std::make_integer_sequence<int32_t, kNormalFormulaIndex + 1>{});
    return table[static_cast<size_t>(formulaIndex(mode))];
}

void render(uint8_t* out, int32_t stride, int32_t x, int32_t y, int32_t w, int32_t h) noexcept {
    const LayerSlot* current = filledCurrentSlot();
    if (!out || !current) return;
    Geometry g;
    if (!planGeometry(g, x, y, w, h)) return;
    Scene scene;
    buildScene(scene, *current);
    const int64_t pitch = stride;
    const int64_t rows = g.rows;
    if (gThreads && rows > 1 && g.cols * rows > kParallelPixels && omp_get_max_threads() > 1) {
#pragma omp parallel
        {
            const int64_t threads = omp_get_num_threads();
            const int64_t t = omp_get_thread_num();
            renderRows(scene, g, out, pitch, rows * t / threads, rows * (t + 1) / threads);
        }
    } else {
        renderRows(scene, g, out, pitch, 0, rows);
    }
}

void setScale(int32_t zoom, float scale) noexcept {
    viewState().zoom = zoom;
    viewState().scale = scale;
}

void setOffset(int32_t x, int32_t y) noexcept {
    viewState().offsetX = x;
    viewState().offsetY = y;
}

void setViewSize(int32_t width, int32_t height) noexcept {
    viewState().viewWidth = width;
    viewState().viewHeight = height;
}

void setAreaOfInterest(int32_t x0, int32_t y0, int32_t x1, int32_t y1) noexcept {
    ViewState& v = viewState();
    v.aoiX0 = x0;
    v.aoiY0 = y0;
    v.aoiX1 = x1;
    v.aoiY1 = y1;
}

void setTracingMode(uint8_t mode) noexcept { viewState().tracingMode = mode; }

namespace testhooks {
void setRenderFastPath(bool on) noexcept { gFastPath = on; }
void setRenderThreads(bool on) noexcept { gThreads = on; }
void setRenderVectorWidth(int bits) noexcept { gVectorWidth = bits; }
int renderVectorWidth() noexcept {
    const TiledRow row = tiledRowForThisProcessor();
#if defined(DROVANE_RENDER_WIDE)
    if (row == avx512::renderRowFast) return 512;
    if (row == avx2::renderRowFast) return 256;
#endif
    return row == baseline::renderRowFast ? 128 : 0;
}
}  // namespace testhooks

}  // namespace dro
