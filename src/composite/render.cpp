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
#include "composite/blend_mode_table.h"
#include "composite/merge_pixel.h"
#include "composite/render_accumulator.h"
#include "composite/render_kernels.h"
#include "composite/view_state.h"
#include "core/canvas.h"
#include "mask/mask_state.h"

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
    void (*run)(const Stroke&, uint16_t*, const uint16_t*, int32_t, uint32_t) noexcept = nullptr;
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

using StrokeRun = decltype(Stroke::run);
StrokeRun strokeRunFor(int32_t mode) noexcept;

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
        st.run = strokeRunFor(paint.mode);
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

// The stroke pixel q merged onto the layer pixel p (in place) with the paint layer's
// mode, opacities and the alpha lock, as DRO_MergePixel merges it.
inline void mergeStroke(const Stroke& st, uint16_t* p, const uint16_t* q, uint32_t o) noexcept {
    const uint32_t sa = (st.preScale * q[3]) >> 8;
    if (skipsTransparentSource(st.mode, sa)) return;
    WorkPixel d{p[0], p[1], p[2], p[3]};
    if (!st.merge(d, {q[0], q[1], q[2], sa}, st.opacity, st.alphaLock, o)) return;
    p[0] = saturate16(d.r);
    p[1] = saturate16(d.g);
    p[2] = saturate16(d.b);
    p[3] = saturate16(d.a);
}

// mergeSourcePixel, on the lanes where the formula has them.
template <int32_t Mode>
inline bool mergeStrokePixel(WorkPixel& d, WorkPixel src, int32_t opacity, bool alphaLock, uint32_t o) noexcept {
    constexpr int32_t mode = compositingModeAfterRewrite(Mode);
    constexpr int32_t formula = formulaIndex(mode);
    if constexpr (render_kernels::laneFormula(formula)) {
        if (skipsTransparentSource(Mode, src.a)) return false;
        rewriteAlpha<Mode>(src, o);
        return render_kernels::compositeSourceLanes<formula>(d, src, opacity, alphaLock, clearsEmptyDestination(mode));
    } else {
        return mergeSourcePixel<Mode>(d, src, opacity, alphaLock, o);
    }
}

// mergeStroke over a run of pixels, the paint layer's mode compiled in.
template <int32_t Mode>
void mergeStrokeRun(const Stroke& st, uint16_t* p, const uint16_t* q, int32_t n, uint32_t o) noexcept {
    for (int32_t i = 0; i < n; ++i, p += 4, q += 4) {
        const uint32_t sa = (st.preScale * q[3]) >> 8;
        if (skipsTransparentSource(Mode, sa)) continue;
        WorkPixel d{p[0], p[1], p[2], p[3]};
        if (!mergeStrokePixel<Mode>(d, {q[0], q[1], q[2], sa}, st.opacity, st.alphaLock, o)) continue;
        p[0] = saturate16(d.r);
        p[1] = saturate16(d.g);
        p[2] = saturate16(d.b);
        p[3] = saturate16(d.a);
    }
}

// Ids outside 0..53 merge as the unassigned 31 (below) or Alpha Normal (above), as
// the per-pixel rule reads them.
constexpr size_t tableIndex(int32_t mode) noexcept {
    return static_cast<size_t>(mode < 0 ? 31 : (mode > kLastMode ? kFirstAlphaMode : mode));
}

StrokeRun strokeRunFor(int32_t mode) noexcept {
    static constexpr auto table = []<int32_t... M>(std::integer_sequence<int32_t, M...>) {
        return std::array<StrokeRun, sizeof...(M)>{{mergeStrokeRun<M>...}};
    }(std::make_integer_sequence<int32_t, kLastMode + 1>{});
    return table[tableIndex(mode)];
}

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

// ---- The tiled row path -------------------------------------------------------------

// n canvas pixels of row cy: columns cx0.. when xs is null, else xs[0..n). Returns the
// plane's own memory when it covers them contiguously, else a copy in tile.
const uint16_t* fetchTile(const Plane& plane, int32_t cy, const int32_t* xs, int32_t cx0, int32_t n,
                          uint16_t* tile) noexcept {
    if (!xs && plane.pixels && cy < plane.height && cx0 + n <= plane.width) {
        return plane.pixels + static_cast<int64_t>(cy) * plane.rowPitch + int64_t{4} * cx0;
    }
    for (int32_t i = 0; i < n; ++i) std::memcpy(tile + 4 * i, plane.at(xs ? xs[i] : cx0 + i, cy), 8);
    return tile;
}

using LayerTileComposite = void (*)(AccumulatorPixel*, const uint16_t*, const uint16_t*, int32_t, int32_t,
                                    uint32_t) noexcept;

template <bool Bottom, int32_t... Modes>
constexpr std::array<LayerTileComposite, sizeof...(Modes)> layerTileComposites(std::integer_sequence<int32_t, Modes...>) {
    return {{render_kernels::compositeLayerTile<Modes, Bottom>...}};
}

constexpr auto kLayerTiles = layerTileComposites<false>(std::make_integer_sequence<int32_t, kLastMode + 1>{});
constexpr auto kBottomLayerTiles = layerTileComposites<true>(std::make_integer_sequence<int32_t, kLastMode + 1>{});


// One tile of a row: n canvas pixels of row cy, columns cx0.. or xs[0..n).
struct Tile {
    int32_t cy;
    const int32_t* xs;
    int32_t cx0;
    int32_t n;
};

// A tile is walked in chunks of kChunk pixels; a layer whose chunk is all transparent
// is not visited there, and a chunk the layer covers with opaque copies does not
// visit the layers below.
constexpr int32_t kChunk = 32;
constexpr int32_t kChunksPerTile = kTile / kChunk;
// With more layers than this, hints for all of them would crowd the cache.
constexpr int32_t kPrefetchedLayers = 16;
static_assert(kTile % kChunk == 0);

// Alpha over a run of pixels: whether any pixel has alpha, whether every pixel has
// at least 0xFF00 (the plain-copy threshold: its high byte is 0xFF), whether every
// pixel is fully opaque.
struct RunAlpha {
    bool any;
    bool allCopy;
    bool allOpaque;
};

inline RunAlpha runAlpha(const uint16_t* p, int32_t n) noexcept {
    uint64_t any = 0;
    uint64_t all = ~uint64_t{0};
    for (int32_t i = 0; i < n; ++i) {
        uint64_t v;
        std::memcpy(&v, p + 4 * i, sizeof v);
        any |= v;
        all &= v;
    }
    // Channels are stored in host order; alpha is the fourth 16-bit value.
    uint16_t anyAlpha;
    uint16_t allAlpha;
    std::memcpy(&anyAlpha, reinterpret_cast<const uint8_t*>(&any) + 6, 2);
    std::memcpy(&allAlpha, reinterpret_cast<const uint8_t*>(&all) + 6, 2);
    return {anyAlpha != 0, (allAlpha & 0xFF00u) == 0xFF00u, allAlpha == 0xFFFFu};
}

// Whether every pixel's alpha, scaled by the Layer Mask pixel above where that one has
// alpha, is at least 0xFF00.
inline bool allCopyUnderMask(const uint16_t* p, const uint16_t* mask, int32_t n) noexcept {
    for (int32_t i = 0; i < n; ++i) {
        uint32_t a = p[4 * i + 3];
        const uint16_t* m = mask + 4 * i;
        if (m[3] != 0) a = (((uint32_t{m[0]} + m[1] + m[2]) / 3) * a) >> 16;
        if (a < 0xFF00u) return false;
    }
    return true;
}

// The pixels a tile reads. Planes are fetched again for each use (a pointer into the
// plane, or for sampled columns a copy into scratch); the current layer with the
// stroke in progress merged in is made once per tile.
class TileSources {
public:
    TileSources(const Scene& s, const Tile& t) noexcept : scene_(s), tile_(t) {}

    const uint16_t* layer(int32_t k) noexcept {
        if (k == scene_.currentPosition) return current();
        return fetch(scene_.layers[static_cast<size_t>(k)].plane, layerTile_);
    }

    // The pixels of the Layer Mask layer right above layer k, or null.
    const uint16_t* maskAbove(int32_t k) noexcept {
        const ListedLayer* m = scene_.maskAbove(k);
        return m ? fetch(m->plane, maskTile_) : nullptr;
    }

    // Layer k's pixels where they stay valid for the whole tile (the plane's own
    // memory or the merged current layer), else null: a copy in the shared scratch
    // is overwritten by the next layer's fetch.
    const uint16_t* lasting(int32_t k) noexcept {
        const uint16_t* p = layer(k);
        return p == layerTile_ ? nullptr : p;
    }

private:
    const uint16_t* fetch(const Plane& plane, uint16_t* tile) const noexcept {
        return fetchTile(plane, tile_.cy, tile_.xs, tile_.cx0, tile_.n, tile);
    }

    // The stroke merges only into chunks where it has pixels to merge: transparent
    // stroke pixels of a compositing mode leave the layer pixel as it is.
    const uint16_t* current() noexcept {
        if (current_) return current_;
        const int32_t k = scene_.currentPosition;
        const Stroke& st = scene_.stroke;
        const uint16_t* src = fetch(scene_.layers[static_cast<size_t>(k)].plane, currentTile_);
        const uint16_t* q = fetch(st.plane, strokeTile_);
        const uint32_t o = scene_.alphaLayerOpacity;
        current_ = src;
        for (int32_t c0 = 0; c0 < tile_.n; c0 += kChunk) {
            const int32_t m = std::min(kChunk, tile_.n - c0);
            if (st.mode < kFirstAlphaMode && !runAlpha(q + 4 * c0, m).any) continue;
            if (current_ != currentTile_) {
                if (src != currentTile_) std::memcpy(currentTile_, src, static_cast<size_t>(tile_.n) * 8);
                current_ = currentTile_;
            }
            st.run(st, currentTile_ + 4 * c0, q + 4 * c0, m, o);
        }
        return current_;
    }

    const Scene& scene_;
    const Tile& tile_;
    const uint16_t* current_ = nullptr;
    uint16_t layerTile_[kTile * 4];
    uint16_t maskTile_[kTile * 4];
    uint16_t strokeTile_[kTile * 4];
    uint16_t currentTile_[kTile * 4];
};

// Per chunk, the list position where the walk starts and which layers above it have
// pixels there.
struct ChunkPlan {
    std::array<int32_t, kChunksPerTile> start{};
    std::array<std::array<uint64_t, (kMaxListed + 63) / 64>, kChunksPerTile> visible{};
    // The start layer composites each pixel of the chunk to the layer pixel itself,
    // fully opaque: Normal at full opacity with alpha 65535 (or the bottom layer).
    std::array<bool, kChunksPerTile> opaqueStart{};

    // Whether no layer above the start is visible in chunk c.
    bool startAlone(int32_t c) const noexcept {
        const auto& words = visible[static_cast<size_t>(c)];
        const auto k = static_cast<size_t>(start[static_cast<size_t>(c)]);
        // The start's word without the bits of the start and the layers below it.
        uint64_t above = words[k >> 6] & ~((uint64_t{2} << (k & 63)) - 1);
        for (size_t w = (k >> 6) + 1; w < words.size(); ++w) above |= words[w];
        return above == 0;
    }

    bool visits(int32_t c, int32_t k) const noexcept {
        const auto chunk = static_cast<size_t>(c);
        return k >= start[chunk] && ((visible[chunk][static_cast<size_t>(k >> 6)] >> (k & 63)) & 1u) != 0;
    }
};

// Walks the layers from the top. A chunk starts at the topmost layer that copies
// every pixel of it outright (Normal, full opacity, alpha at least 0xFF00 after its
// Layer Mask): the copy overwrites the accumulator whatever it holds, so nothing below
// can change those pixels. A layer is visible in a chunk unless it is a compositing
// mode with no alpha there (which changes nothing, Layer Mask or not). Returns the
// lowest start.
int32_t planChunks(const Scene& s, TileSources& sources, int32_t n, ChunkPlan& plan) noexcept {
    const int32_t chunks = (n + kChunk - 1) / kChunk;
    int32_t open = chunks;
    for (int32_t c = 0; c < chunks; ++c) plan.start[c] = -1;
    for (int32_t k = s.count - 1; k >= 0 && open > 0; --k) {
        const ListedLayer& layer = s.layers[static_cast<size_t>(k)];
        const bool bottom = s.bottomAt(k);
        // Below 255 opacity scales 65535 to at most 0xFEFF: never a copy.
        const bool copies = layer.mode == kModeNormal && layer.opacity >= 255;
        // The bottom and the alpha modes are visible wherever they lie, and position 0
        // starts every chunk still open: then the pixels are not read here, and their
        // first read is the composite's own.
        const bool readsAlpha = !bottom && layer.mode < kFirstAlphaMode;
        if (!readsAlpha && !(copies && k != 0)) {
            for (int32_t c = 0; c < chunks; ++c) {
                if (plan.start[c] >= 0) continue;
                plan.visible[c][k >> 6] |= uint64_t{1} << (k & 63);
                if (k == 0) {
                    plan.start[c] = 0;
                    plan.opaqueStart[c] = bottom && copies;
                    --open;
                }
            }
            continue;
        }
        const uint16_t* src = sources.layer(k);
        const uint16_t* mask = copies && !bottom ? sources.maskAbove(k) : nullptr;
        for (int32_t c = 0; c < chunks; ++c) {
            if (plan.start[c] >= 0) continue;
            const int32_t i0 = c * kChunk;
            const int32_t m = std::min(kChunk, n - i0);
            const RunAlpha run = runAlpha(src + 4 * i0, m);
            if (bottom || run.any || layer.mode >= kFirstAlphaMode) plan.visible[c][k >> 6] |= uint64_t{1} << (k & 63);
            // Position 0 starts every walk that gets down to it.
            const bool starts =
                k == 0 || (copies && run.allCopy && (!mask || allCopyUnderMask(src + 4 * i0, mask + 4 * i0, m)));
            if (starts) {
                plan.start[c] = k;
                plan.opaqueStart[c] = copies && run.allOpaque && !mask;
                --open;
            }
        }
    }
    int32_t lowest = s.count;
    for (int32_t c = 0; c < chunks; ++c) lowest = std::min(lowest, plan.start[c]);
    return lowest;
}

// Asks for the cache lines of the next tile of every plane the tile reads, so that
// they arrive while this one is composited. A hint only: it never faults, and the
// address is formed as an integer so that it may lie past a plane's end.
void prefetchNextTile(const Scene& s, const Tile& tile) noexcept {
    if (tile.xs) return;
    const auto ahead = [&](const Plane& plane) {
        if (!plane.pixels) return;
        const uintptr_t from = reinterpret_cast<uintptr_t>(plane.pixels) +
                               (static_cast<uintptr_t>(tile.cy) * static_cast<uintptr_t>(plane.rowPitch) +
                                static_cast<uintptr_t>(tile.cx0 + tile.n) * 4u) * sizeof(uint16_t);
        for (uintptr_t b = 0; b < static_cast<uintptr_t>(kTile) * 8u; b += 64) {
            __builtin_prefetch(reinterpret_cast<const void*>(from + b));
        }
    };
    for (int32_t k = 0; k < s.count; ++k) ahead(s.layers[static_cast<size_t>(k)].plane);
    if (s.currentPosition >= 0) ahead(s.stroke.plane);
}

// Per chunk of a tile, the layer pixels that are the composite outright, or null
// where the accumulators hold it.
using OpaqueChunks = std::array<const uint16_t*, kChunksPerTile>;

void compositeTile(const Scene& s, const Tile& tile, AccumulatorPixel* acc, OpaqueChunks& opaque) noexcept {
    opaque.fill(nullptr);
    // Every pixel is written by its first layer: the bottom writes every pixel it is
    // composited into, a chunk starting higher starts with copies. Only a walk that
    // starts at another bottom layer, one that may skip pixels, needs the empty start.
    if (!s.backgroundListed) std::fill(acc, acc + tile.n, AccumulatorPixel{0.0f, 0.0f, 0.0f, 0.0f});
    if (s.count == 0) return;
    if (s.count <= kPrefetchedLayers) prefetchNextTile(s, tile);
    TileSources sources(s, tile);
    ChunkPlan plan{};
    int32_t first = planChunks(s, sources, tile.n, plan);
    const int32_t chunks = (tile.n + kChunk - 1) / kChunk;
    // A chunk whose only visible layer copies opaque pixels shows those pixels: the
    // finish reads them and the walk skips the chunk.
    if (s.finish.bare()) {
        first = s.count;
        for (int32_t c = 0; c < chunks; ++c) {
            const int32_t k = plan.start[c];
            if (plan.opaqueStart[c] && plan.startAlone(c)) {
                if (const uint16_t* pixels = sources.lasting(k)) {
                    opaque[c] = pixels + 4 * c * kChunk;
                    plan.start[c] = s.count;
                }
            }
            first = std::min(first, plan.start[c]);
        }
    }
    const uint32_t o = s.alphaLayerOpacity;
    for (int32_t k = first; k < s.count; ++k) {
        const ListedLayer& layer = s.layers[static_cast<size_t>(k)];
        const bool bottom = s.bottomAt(k);
        const LayerTileComposite composite = (bottom ? kBottomLayerTiles : kLayerTiles)[tableIndex(layer.mode)];
        const uint16_t* src = nullptr;
        const uint16_t* mask = nullptr;
        // Runs of consecutive chunks this layer is composited into.
        for (int32_t c = 0; c < chunks;) {
            if (!plan.visits(c, k)) {
                ++c;
                continue;
            }
            int32_t end = c + 1;
            while (end < chunks && plan.visits(end, k)) ++end;
            if (!src) {
                src = sources.layer(k);
                mask = bottom ? nullptr : sources.maskAbove(k);
            }
            const int32_t i0 = c * kChunk;
            const int32_t m = std::min(end * kChunk, tile.n) - i0;
            composite(acc + i0, src + 4 * i0, mask ? mask + 4 * i0 : nullptr, m, layer.opacity, o);
            c = end;
        }
    }
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
    x = std::max(x, 0);
    y = std::max(y, 0);
    if (int64_t{x} + w > c.width) w = c.width - x;
    if (int64_t{y} + h > c.height) h = c.height - y;
    if (w <= 0 || h <= 0) return false;
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

// The output bytes of an opaque pixel as one word: the high bytes of blue, green and
// red, then a spare byte that the next pixel's store overwrites.
inline uint32_t opaqueWord(uint32_t r, uint32_t g, uint32_t b) noexcept {
    return (b >> 8) | (g & 0xFF00u) | ((r & 0xFF00u) << 8);
}

// Steps 6 to 9 for the n composites of a tile: output pixel j at out + j * step
// shows canvas column column(j) of row cy. An opaque pixel with neither tracing nor
// tint is just its high bytes, stored as one 32-bit word where the byte after them is
// written again later in this tile. A chunk of opaque layer pixels finishes to the
// same bytes as their copies in the accumulators would: a 16-bit value taken to a
// float unit and back may lose one, but never across a multiple of 256.
template <class Column>
inline void finishTile(uint8_t* out, int64_t step, const AccumulatorPixel* acc, const OpaqueChunks& opaque,
                       int32_t n, int32_t cy, const Finish& f, Column column) noexcept {
    static_assert(std::endian::native == std::endian::little);
    const bool bare = f.bare();
    const auto put = [&](int32_t j, uint32_t word) {
        if (j + 1 < n) {
            std::memcpy(out + j * step, &word, 4);
        } else {
            std::memcpy(out + j * step, &word, 3);
        }
    };
    const auto one = [&](int32_t j) {
        const WorkPixel c = render_kernels::to16(acc[j]);
        if (bare && c.a >= 65535u) {
            put(j, opaqueWord(c.r, c.g, c.b));
        } else {
            finishPixel(out + j * step, c, column(j), cy, f);
        }
    };
    for (int32_t j0 = 0; j0 < n; j0 += kChunk) {
        const int32_t end = std::min(j0 + kChunk, n);
        if (const uint16_t* p = opaque[static_cast<size_t>(j0 / kChunk)]) {
            for (int32_t j = j0; j < end; ++j, p += 4) put(j, opaqueWord(p[0], p[1], p[2]));
            continue;
        }
        int32_t j = j0;
        if (bare && step == 3) {
            // Four adjacent opaque pixels at a time.
            for (; j + 4 <= end; j += 4) {
                uint32_t words[4];
                if (!render_kernels::opaqueWords4(acc + j, words)) {
                    for (int32_t i = j; i < j + 4; ++i) one(i);
                    continue;
                }
                for (int32_t i = 0; i < 4; ++i) put(j + i, words[i]);
            }
        }
        for (; j < end; ++j) one(j);
    }
}

void renderRowFast(const Scene& s, const Geometry& g, uint8_t* row, int32_t cy) noexcept {
    AccumulatorPixel acc[kTile];
    OpaqueChunks opaque;
    if (g.sampling == Sampling::ZoomOut) {
        int32_t xs[kTile];
        Stepper columns{g.scale};
        for (int64_t i0 = 0; i0 < g.cols; i0 += kTile) {
            const auto n = static_cast<int32_t>(std::min<int64_t>(kTile, g.cols - i0));
            for (int32_t j = 0; j < n; ++j) {
                xs[j] = clampToSpan(columns.offset, g.x, g.w);
                columns.advance();
            }
            compositeTile(s, Tile{cy, xs, 0, n}, acc, opaque);
            finishTile(row + 3 * i0, 3, acc, opaque, n, cy, s.finish, [&](int32_t j) { return xs[j]; });
        }
        return;
    }
    const int64_t zoom = g.sampling == Sampling::ZoomIn ? g.zoom : 1;
    // Each canvas pixel is composited once and written to its zoom copies.
    const int64_t canvasCols = (g.cols + zoom - 1) / zoom;
    for (int64_t c0 = 0; c0 < canvasCols; c0 += kTile) {
        const auto n = static_cast<int32_t>(std::min<int64_t>(kTile, canvasCols - c0));
        const int32_t cx0 = g.x + static_cast<int32_t>(c0);
        compositeTile(s, Tile{cy, nullptr, cx0, n}, acc, opaque);
        uint8_t* out = row + 3 * c0 * zoom;
        finishTile(out, 3 * zoom, acc, opaque, n, cy, s.finish, [&](int32_t j) { return cx0 + j; });
        if (zoom == 1) continue;
        for (int32_t j = 0; j < n; ++j) {
            uint8_t* first = out + 3 * j * zoom;
            const int64_t copies = std::min<int64_t>(zoom, g.cols - (c0 + j) * zoom);
            for (int64_t r = 1; r < copies; ++r) std::memcpy(first + 3 * r, first, 3);
        }
    }
}

// Output rows [k0, k1).
void renderRows(const Scene& s, const Geometry& g, uint8_t* out, int64_t stride, int64_t k0, int64_t k1) noexcept {
    Stepper rows{g.scale};
    if (g.sampling == Sampling::ZoomOut) {
        for (int64_t k = 0; k < k0; ++k) rows.advance();
    }
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
        renderRowFast(s, g, row, cy);
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
}  // namespace testhooks

}  // namespace dro
