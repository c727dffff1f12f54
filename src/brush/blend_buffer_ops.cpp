#include "brush/blend_buffer_ops.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "brush/blend_buffers.h"
#include "brush/mix_modes.h"
#include "brush/tool_settings.h"
#include "core/canvas.h"
#include "core/mask_state.h"
#include "undo/undo_store.h"

namespace dro {
namespace {

using mix::limit16;

struct Px {
    uint32_t r = 0, g = 0, b = 0, a = 0;
    uint32_t& operator[](int i) noexcept { return i == 0 ? r : i == 1 ? g : i == 2 ? b : a; }
    uint32_t operator[](int i) const noexcept { return i == 0 ? r : i == 1 ? g : i == 2 ? b : a; }
    mix::Rgb rgb() const noexcept { return mix::Rgb{r, g, b}; }
};

inline uint32_t high(uint16_t v) noexcept { return static_cast<uint32_t>(v >> 8); }

inline Px load(const uint16_t* p) noexcept { return Px{p[0], p[1], p[2], p[3]}; }
inline void store(uint16_t* p, const Px& v) noexcept {
    for (int c = 0; c < 4; ++c) p[c] = static_cast<uint16_t>(std::min<uint32_t>(v[c], 65535));
}

SourcePlane planeOf(const LayerSlot* slot) noexcept {
    if (!slot || slot->empty()) return {};
    return SourcePlane{slot->pixels.get(), slot->width, slot->height, slot->rowPitch};
}

// The brush square of the selected buffer over the canvas: side `side` from
// (left, top); the part on the canvas (and on the source) is [x0, x1) x [y0, y1).
struct BrushSquare {
    int32_t left = 0, top = 0, side = 0;
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool pastEdge = false;  // some of the square lies off the canvas

    bool empty() const noexcept { return x1 <= x0 || y1 <= y0; }
};

BrushSquare brushSquare(int32_t x, int32_t y, const SourcePlane* source) noexcept {
    const Canvas& cv = canvas();
    BrushSquare q;
    // The buffer holds maxBrushSize rows; a larger brush is cut to it.
    q.side = std::clamp(toolSettings().size, 0, std::max(cv.maxBrushSize, 0));
    const int64_t left = int64_t{x} - q.side / 2;
    const int64_t top = int64_t{y} - q.side / 2;
    const auto fit = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); };
    q.left = fit(left);
    q.top = fit(top);
    q.pastEdge = left < 0 || top < 0 || left + q.side - 1 >= cv.width || top + q.side - 1 >= cv.height;
    int64_t w = cv.width, h = cv.height;
    if (source) {
        w = std::min<int64_t>(w, source->width);
        h = std::min<int64_t>(h, source->height);
    }
    q.x0 = fit(std::max<int64_t>(left, 0));
    q.y0 = fit(std::max<int64_t>(top, 0));
    q.x1 = fit(std::min<int64_t>(left + q.side, w));
    q.y1 = fit(std::min<int64_t>(top + q.side, h));
    return q;
}

uint16_t* selectedPixels() noexcept { return blendBuffers().selectedBuffer().pixels.get(); }
int64_t bufferValues() noexcept {
    const int64_t m = std::max(canvas().maxBrushSize, 0);
    return m * m * 4;
}
size_t bufferStride() noexcept { return static_cast<size_t>(std::max(canvas().maxBrushSize, 0)) * 4; }

// Source alpha under the mask: m' = 65535 where the mask is 65535, else m·65535 >> 16.
inline uint32_t maskedAlpha(uint32_t a, const uint16_t* mask, size_t index) noexcept {
    if (!mask) return a;
    const uint32_t m = mask[index];
    const uint32_t mm = m == 65535 ? 65535 : (m * 65535) >> 16;
    return static_cast<uint32_t>(uint64_t{a} * mm / 65535);
}

// ---- The mix result b' from the buffer pixel b (source role) and canvas pixel s ----

struct MixKeepBuffer {  // mode 32 and every id without a formula
    static Px result(const Px& b, const Px&, const mix::Context&) noexcept { return b; }
};
struct MixMultiply {  // 33: the channels multiplied
    static Px result(const Px& b, const Px& s, const mix::Context&) noexcept {
        Px o = b;
        for (int c = 0; c < 3; ++c) o[c] = b[c] * s[c] / 65535;
        return o;
    }
};
template <class Mode>
struct MixWith {
    static Px result(const Px& b, const Px& s, const mix::Context& x) noexcept {
        mix::Rgb c;
        switch (Mode::apply(b.rgb(), s.rgb(), c, x)) {
            case mix::Outcome::Keep:
                return s;
            case mix::Outcome::Grey:
                return Px{0x7FFF, 0x7FFF, 0x7FFF, mix::lightness(b.rgb())};
            default:
                return Px{c.r, c.g, c.b, b.a};
        }
    }
};

struct MixJob {
    BrushSquare q;
    const SourcePlane* source = nullptr;
    const uint16_t* mask = nullptr;
    int32_t canvasWidth = 0;
    uint16_t* buffer = nullptr;
    size_t stride = 0;
    uint32_t t = 0;
    mix::Context context;
};

template <class Result>
void mixRow(const MixJob& j, int32_t y) {
    const uint16_t* src = j.source->pixels + static_cast<size_t>(y) * static_cast<size_t>(j.source->pitch);
    uint16_t* buf = j.buffer + static_cast<size_t>(y - j.q.top) * j.stride;
    const size_t maskRow = static_cast<size_t>(y) * static_cast<size_t>(j.canvasWidth);
    const uint32_t keep = 65536 - j.t;
    for (int32_t x = j.q.x0; x < j.q.x1; ++x) {
        Px s = load(src + size_t(x) * 4);
        s.a = maskedAlpha(s.a, j.mask, maskRow + size_t(x));
        uint16_t* bp = buf + size_t(x - j.q.left) * 4;
        Px b = load(bp);
        if (s.a == 0) {
            b.a = (b.a * keep) >> 16;
        } else if (b.a == 0) {
            b = s;
        } else {
            const Px m = Result::result(b, s, j.context);
            for (int c = 0; c < 3; ++c) b[c] = ((((m[c] * keep) >> 8) + ((s[c] * j.t) >> 8)) >> 8) + 1;
            b.a = (((m.a * keep) >> 8) + ((s.a * j.t) >> 8)) >> 8;
        }
        for (int c = 0; c < 3; ++c) b[c] = std::min<uint32_t>(b[c], 0xFF00);
        store(bp, b);
    }
}

using MixRowFunction = void (*)(const MixJob&, int32_t);

#define DRO_MIX_BUFFER_ROW(id, name) &mixRow<MixWith<mix::name>>,
constexpr std::array<MixRowFunction, mix::kMixModeCount + 1> kMixRows = {
    DRO_MIX_MODE_LIST(DRO_MIX_BUFFER_ROW) &mixRow<MixKeepBuffer>};
#undef DRO_MIX_BUFFER_ROW

MixRowFunction mixRowFor(int32_t mode) noexcept {
    if (mode == mix::mixId(mix::MixMode::Multiply)) return &mixRow<MixMultiply>;
    return kMixRows[static_cast<size_t>(mix::mixModeIndex(mode))];
}

// The tool's mask value: 65535 for a colour of lightness below 256, else 0xFF00 − it.
uint32_t toolMaskValue() noexcept {
    const auto& c = toolSettings().color;
    const uint32_t l = (uint32_t{c[0]} + c[1] + c[2]) / 3;
    return l < 256 ? 65535 : 0xFF00 - l;
}

}  // namespace

SourcePlane hostSource(const uint16_t* plane) noexcept {
    const Canvas& cv = canvas();
    if (!plane) return {};
    return SourcePlane{plane, cv.width, cv.height, cv.width * 4};
}
SourcePlane surfaceSource() noexcept { return planeOf(filledCurrentSlot()); }
SourcePlane layerSource(int32_t index) noexcept { return planeOf(filledSlotAt(index)); }
SourcePlane underLayerSource() noexcept { return hostSource(undoStore().backPixels.get()); }
SourcePlane traceSource() noexcept { return layerSource(kTracingSlot); }
SourcePlane historySource() noexcept {
    const UndoStore& u = undoStore();
    if (u.redoCount < 0 || u.redoCount >= u.undoLevels || u.redoCount >= kMaxUndoLevels) return {};
    if (!u.records[static_cast<size_t>(u.redoCount)].holdsStep()) return {};
    return underLayerSource();
}

void selectBlendBuffer(int32_t k) noexcept {
    BlendBuffers& b = blendBuffers();
    b.selected = std::max(0, std::min(k, b.count - 1));
}

// The whole buffer is cleared and filled, not only the part a brush square uses.
void clearBlendBuffer() noexcept {
    if (uint16_t* p = selectedPixels()) std::memset(p, 0, static_cast<size_t>(bufferValues()) * sizeof(uint16_t));
}

void fillBlendBuffer(int32_t, int32_t, int32_t, int32_t a4) noexcept {
    if (uint16_t* p = selectedPixels()) std::memset(p, a4 & 0xFF, static_cast<size_t>(bufferValues()) * sizeof(uint16_t));
}

void filterBlendBuffer(int32_t kind, int32_t level) noexcept {
    uint16_t* p = selectedPixels();
    if (!p || kind < 289 || kind > 292) return;
    const int64_t threshold = static_cast<int64_t>(level * 655.35);
    const int32_t side = std::clamp(toolSettings().size, 0, std::max(canvas().maxBrushSize, 0));
    for (int32_t y = 0; y < side; ++y) {
        uint16_t* row = p + static_cast<size_t>(y) * bufferStride();
        for (int32_t x = 0; x < side; ++x) {
            uint16_t* px = row + size_t(x) * 4;
            const uint32_t grey = (uint32_t{px[0]} + px[1] + px[2]) / 3;
            for (int c = 0; c < 3; ++c) {
                const uint32_t v = px[c];
                switch (kind) {
                    case 289: px[c] = static_cast<uint16_t>(grey); break;
                    case 290: px[c] = static_cast<uint16_t>(65535 - v); break;
                    case 291: if (v < threshold) px[c] = 0; break;
                    default: if (v > threshold) px[c] = 65280; break;
                }
            }
        }
    }
}

void copyBlendBuffer(int32_t x, int32_t y, const SourcePlane& source, int32_t share, int32_t keepColorOutside) noexcept {
    const ToolSettings& t = toolSettings();
    uint16_t* buffer = selectedPixels();
    if (t.blendStrength == 0 || !buffer || !source) return;
    share = std::clamp(share, 0, 256);
    const bool keep = (keepColorOutside & 0xFF) != 0;
    const BrushSquare q = brushSquare(x, y, &source);
    const size_t stride = bufferStride();
    const uint32_t toolC[3] = {t.color[0], t.color[1], t.color[2]};
    // share 256 means all tool colour: an alpha of 65536 would wrap to 0.
    const uint32_t outsideAlpha = std::min<uint32_t>(static_cast<uint32_t>(share) << 8, 65535);
    const uint32_t hiddenAlpha = std::min<uint32_t>(static_cast<uint32_t>(keep ? 256 - share : share) << 8, 65535);

    if (q.pastEdge) {
        for (int32_t j = 0; j < q.side; ++j) {
            uint16_t* row = buffer + size_t(j) * stride;
            for (int32_t i = 0; i < q.side; ++i) {
                uint16_t* px = row + size_t(i) * 4;
                if (keep) {
                    px[3] = 65535;
                } else {
                    store(px, Px{toolC[0], toolC[1], toolC[2], outsideAlpha});
                }
            }
        }
    }
    const uint16_t* mask = activeMask();
    const int32_t w = canvas().width;
    for (int32_t cy = q.y0; cy < q.y1; ++cy) {
        const uint16_t* src = source.pixels + static_cast<size_t>(cy) * static_cast<size_t>(source.pitch);
        uint16_t* buf = buffer + static_cast<size_t>(cy - q.top) * stride;
        for (int32_t cx = q.x0; cx < q.x1; ++cx) {
            Px s = load(src + size_t(cx) * 4);
            s.a = maskedAlpha(s.a, mask, static_cast<size_t>(cy) * static_cast<size_t>(w) + size_t(cx));
            uint16_t* px = buf + size_t(cx - q.left) * 4;
            if (s.a == 0) {
                store(px, Px{toolC[0], toolC[1], toolC[2], hiddenAlpha});
                continue;
            }
            Px o;
            for (int c = 0; c < 3; ++c) {
                o[c] = std::min<uint32_t>(((s[c] * static_cast<uint32_t>(256 - share) + toolC[c] * static_cast<uint32_t>(share)) >> 8) + 1, 0xFF00);
            }
            o.a = (s.a * static_cast<uint32_t>(256 - share) + 65535u * static_cast<uint32_t>(share)) >> 8;
            store(px, o);
        }
    }
}

void copyBlendBufferMask(int32_t x, int32_t y, int32_t share) noexcept {
    const ToolSettings& t = toolSettings();
    uint16_t* buffer = selectedPixels();
    const uint16_t* mask = maskState().plane.get();
    if (t.blendStrength == 0 || !buffer || !mask) return;
    share = std::clamp(share, 0, 256);
    const BrushSquare q = brushSquare(x, y, nullptr);
    const size_t stride = bufferStride();
    const uint32_t mc = toolMaskValue();
    if (q.pastEdge) {
        for (int32_t j = 0; j < q.side; ++j) std::fill_n(buffer + size_t(j) * stride, q.side, static_cast<uint16_t>(mc));
    }
    const int32_t w = canvas().width;
    for (int32_t cy = q.y0; cy < q.y1; ++cy) {
        const uint16_t* m = mask + static_cast<size_t>(cy) * static_cast<size_t>(w);
        uint16_t* buf = buffer + static_cast<size_t>(cy - q.top) * stride;
        for (int32_t cx = q.x0; cx < q.x1; ++cx) {
            const uint32_t v = ((m[cx] * static_cast<uint32_t>(256 - share) + mc * static_cast<uint32_t>(share)) >> 8) + 1;
            buf[cx - q.left] = static_cast<uint16_t>(std::min<uint32_t>(v, 0xFF00));
        }
    }
}

void mixBlendBuffer(int32_t x, int32_t y, const SourcePlane& source, int32_t amount) noexcept {
    const ToolSettings& t = toolSettings();
    MixJob j;
    j.buffer = selectedPixels();
    if (t.blendStrength == 0 || !j.buffer || !source) return;
    j.q = brushSquare(x, y, &source);
    if (j.q.empty()) return;
    j.source = &source;
    j.mask = activeMask();
    j.canvasWidth = canvas().width;
    j.stride = bufferStride();
    j.t = static_cast<uint32_t>(std::clamp<int64_t>(int64_t{amount} << 8, 0, 65535));
    j.context.banks = &t.colorBanks;
    j.context.toolColor = {t.color[0], t.color[1], t.color[2]};
    j.context.posterShift = t.mixContrast16 & 31;
    const MixRowFunction rowFn = mixRowFor(t.mixMode);
    const bool parallel = j.q.y1 - j.q.y0 > kMixParallelRows;
#pragma omp parallel for schedule(static) if (parallel)
    for (int32_t yy = j.q.y0; yy < j.q.y1; ++yy) rowFn(j, yy);
}

void colorBlendBuffer(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b, int32_t amount) noexcept {
    uint16_t* buffer = selectedPixels();
    if (toolSettings().blendStrength == 0 || !buffer) return;
    const BrushSquare q = brushSquare(x, y, nullptr);
    const uint32_t f = static_cast<uint32_t>(std::clamp<int64_t>(int64_t{amount} << 8, 0, 65535));
    const uint32_t tint[3] = {static_cast<uint32_t>(std::clamp(r, 0, 255)), static_cast<uint32_t>(std::clamp(g, 0, 255)),
                              static_cast<uint32_t>(std::clamp(b, 0, 255))};
    const size_t stride = bufferStride();
    for (int32_t cy = q.y0; cy < q.y1; ++cy) {
        uint16_t* buf = buffer + static_cast<size_t>(cy - q.top) * stride;
        for (int32_t cx = q.x0; cx < q.x1; ++cx) {
            uint16_t* px = buf + size_t(cx - q.left) * 4;
            for (int c = 0; c < 3; ++c) {
                const uint32_t v = px[3] == 0 ? tint[c] << 8 : std::min<uint32_t>(((tint[c] * f + ((px[c] * (65536 - f)) >> 8)) >> 8) + 1, 0xFF00);
                px[c] = static_cast<uint16_t>(v);
            }
        }
    }
}

uint32_t rgbaAt(const SourcePlane& source, int32_t x, int32_t y) noexcept {
    const Canvas& cv = canvas();
    const int32_t w = std::min(cv.width, source.width);
    const int32_t h = std::min(cv.height, source.height);
    if (!source || w <= 0 || h <= 0) return 0;
    x = std::clamp(x, 0, w - 1);
    y = std::clamp(y, 0, h - 1);
    const uint16_t* p = source.pixels + static_cast<size_t>(y) * static_cast<size_t>(source.pitch) + size_t(x) * 4;
    return high(p[0]) << 24 | high(p[1]) << 16 | high(p[2]) << 8 | high(p[3]);
}

uint32_t colorAt(const SourcePlane& source, int32_t x, int32_t y) noexcept {
    if (!source) return 0;
    const Canvas& cv = canvas();
    if (x < 0 || y < 0 || x >= std::min(cv.width, source.width) || y >= std::min(cv.height, source.height)) return 0x00FFFFFF;
    const uint16_t* p = source.pixels + static_cast<size_t>(y) * static_cast<size_t>(source.pitch) + size_t(x) * 4;
    return high(p[3]) << 24 | high(p[0]) << 16 | high(p[1]) << 8 | high(p[2]);
}

}  // namespace dro
