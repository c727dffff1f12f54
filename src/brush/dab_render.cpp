#include "brush/dab_render.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "brush/blend_buffers.h"
#include "brush/brush_buffers.h"
#include "brush/dab_kernels.h"
#include "brush/grain.h"
#include "brush/mix_modes.h"
#include "brush/paint_layer.h"
#include "brush/texture_map.h"
#include "brush/tool_settings.h"
#include "core/canvas.h"
#include "core/random_tables.h"
#include "mask/mask_state.h"
#include "undo/undo_store.h"

namespace dro {
namespace {

using mix::limit16;

constexpr int32_t kMixNormal = mix::mixId(mix::MixMode::Normal);

// A random byte table walked pixel by pixel. Reads wrap at its end, so a row longer
// than the table (a brush above maxBrushSize) never reads past it.
struct ByteCursor {
    const uint8_t* table = nullptr;
    int32_t length = 0;
    int32_t pos = -1;

    bool active() const noexcept { return table != nullptr; }
    uint8_t next() noexcept {
        if (pos < 0 || pos >= length) pos = 0;
        return table[pos++];
    }
};

// Everything a dab reads, fixed before the pixel loop starts.
struct DabJob {
    DabSquare sq;
    int32_t canvasWidth = 0;
    int32_t M = 0;          // maxBrushSize: stride of the shape, grain and blend planes
    int32_t side = 0;       // shape rows and columns that may be sampled: min(size, M)
    int32_t half = 0;       // size / 2, the centre of rotation
    const int32_t* scale = nullptr;
    bool rotate = false;
    float rotSin = 0.0f;
    float rotCos = 0.0f;

    const uint16_t* shape = nullptr;
    const uint8_t* grain = nullptr;  // null: no grain test
    int64_t grainBytes = 0;
    int32_t densityLimit = 0;
    int32_t alpha128 = 128;
    bool scaleByAlpha = false;
    const uint8_t* texture = nullptr;
    const uint16_t* mask = nullptr;  // null while the mask is not in force
    bool maskAtMerge = false;
    bool solid = false;

    bool fromBuffer = false;
    uint16_t* buffer = nullptr;  // selected blend buffer, stride 4M
    bool imageBrush = false;
    std::array<uint32_t, 4> dab{};      // dab colour after per-dab variation
    std::array<int64_t, 4> primary{};   // blendPrimaryColorStrength x dab colour
    int32_t primaryStrength = 0;
    int32_t primaryRest = 0;
    const uint8_t* colorTable = nullptr;
    int32_t colorTableLength = 0;
    int32_t pixColorVary = 0;
    const uint8_t* lumTable = nullptr;
    int32_t lumTableLength = 0;
    int32_t pixLumVary = 0;

    bool erase = false;
    int32_t mixAmount = 0;
    int32_t mixAmountRest = 0;
    mix::Context modeContext;

    bool pickUp = false;
    int32_t blendStrength = 0;
    int32_t blendStrengthRest = 0;

    bool colorLocked = false;
    bool alphaWritable = false;
    bool blobLocked = false;
    int32_t alphaLevel = 0;

    uint16_t* target = nullptr;
    int32_t targetPitch = 0;  // in 16-bit values

    // The row kernel's share: sample columns of the clipped square (all in the shape),
    // whether they run one by one, and the Normal rule's per-dab constants.
    std::array<uint32_t, kScaleTableLength> columns{};
    bool contiguous = false;
    uint32_t lastColumn = 0;
    ToolNormalRow normal;
};

// Per-pixel colour offset from the pixel colour table: (q/2 − byte mod q) × 256.
inline int64_t colorOffset(ByteCursor& cursor, int32_t q) noexcept {
    return (int64_t{q / 2} - cursor.next() % q) * 256;
}

// Brightness factor f = (128 − n/2 + byte mod n) / 256 applied to a channel C.
inline uint32_t brighten(uint32_t c, double f) noexcept {
    if (f > 0.5) return limit16(static_cast<int64_t>(c + (65535.0 - c) * (f - 0.5) * 2));
    return limit16(static_cast<int64_t>(c - c * (0.5 - f) * 2));
}
inline double brightnessFactor(ByteCursor& cursor, int32_t n) noexcept {
    return (128 - n / 2 + cursor.next() % n) / 256.0;
}

// Where the sample of drawn position (sc, sr) is read: itself, or turned about the
// brush centre when the turned position stays inside the shape.
inline void samplePosition(const DabJob& j, uint32_t& col, uint32_t& row) noexcept {
    const int32_t cx = static_cast<int32_t>(col) - j.half;
    const int32_t cy = static_cast<int32_t>(row) - j.half;
    const int32_t u = static_cast<int32_t>(static_cast<float>(cx) * j.rotCos - static_cast<float>(cy) * j.rotSin) + j.half;
    const int32_t w = static_cast<int32_t>(static_cast<float>(cx) * j.rotSin + static_cast<float>(cy) * j.rotCos) + j.half;
    if (u >= 0 && u < j.side && w >= 0 && w < j.side) {
        col = static_cast<uint32_t>(u);
        row = static_cast<uint32_t>(w);
    }
}

struct Pixel {
    uint32_t r = 0, g = 0, b = 0, a = 0;
    uint32_t& operator[](int i) noexcept { return i == 0 ? r : i == 1 ? g : i == 2 ? b : a; }
    uint32_t operator[](int i) const noexcept { return i == 0 ? r : i == 1 ? g : i == 2 ? b : a; }
    mix::Rgb rgb() const noexcept { return mix::Rgb{r, g, b}; }
};

// ---- Combining a source S with the destination D at coverage v ------------------------
// Each combine leaves the colour in O, the alpha in oA, and D as the combination used
// it (the pick-up reads that).

// Modes below 34: a transparent destination takes the source as it is.
template <class Rest>
struct LowMode {
    static void combine(const DabJob& j, const Pixel& s, Pixel& d, uint32_t v, Pixel& o) noexcept {
        if (d.a == 0) {
            o = s;
            o.a = (v * s.a) >> 16;
            d.r = d.g = d.b = 0;
            return;
        }
        Rest::combine(j, s, d, v, o);
    }
};

// Mix mode Normal from the blend buffer: the buffer colour laid over by coverage alone.
struct BufferNormal {
    static void combine(const DabJob&, const Pixel& s, const Pixel& d, uint32_t v, Pixel& o) noexcept {
        const uint32_t i = 65536 - v;
        o.a = (((i * d.a) >> 8) + ((v * s.a) >> 8)) >> 8;
        for (int c = 0; c < 3; ++c) o[c] = s.a == 0 ? d[c] : (((i * d[c]) >> 8) + ((v * s[c]) >> 8)) >> 8;
    }
};

// Erasing lowers the alpha by coverage and keeps the colour.
struct Erase {
    static void combine(const DabJob&, const Pixel&, const Pixel& d, uint32_t v, Pixel& o) noexcept {
        o = d;
        o.a = ((65535 - v) * d.a) >> 16;
    }
};

// Mix mode Normal, the tool colour over the destination; colour sums masked to the high half
// before the division by the new alpha.
struct Normal {
    static void combine(const DabJob&, const Pixel& s, const Pixel& d, uint32_t v, Pixel& o) noexcept {
        const uint32_t a = (v * s.a) >> 16;
        o.a = (((65535 - d.a) * a) >> 16) + d.a;
        for (int c = 0; c < 3; ++c) {
            const uint32_t dp = (d[c] * d.a) >> 16;
            const uint32_t sum = (((65535 - a) * dp) & 0xFFFF0000u) + ((a * s[c]) & 0xFFFF0000u);
            o[c] = std::min<uint32_t>(sum / o.a, 65535);
        }
    }
};

// Every other id below 34 (33 is multiply).
struct Multiply {
    static void combine(const DabJob&, const Pixel& s, const Pixel& d, uint32_t v, Pixel& o) noexcept {
        const uint64_t a = uint64_t{v} * s.a / 65535;
        o.a = static_cast<uint32_t>(((65535 - d.a) * a) / 65535 + d.a);
        for (int c = 0; c < 3; ++c) {
            const uint64_t dp = (uint64_t{d[c]} * d.a) >> 16;
            const uint64_t sp = (a * s[c]) >> 16;
            const uint64_t sum = (65535 - a) * dp / 65535 + (65535 - uint64_t{d.a}) * sp / 65535 + dp * sp / 65535;
            o[c] = static_cast<uint32_t>(std::min<uint64_t>(sum * 65535 / o.a, 65535));
        }
    }
};

// Modes 34 and up: pre-mix a partly transparent destination towards the source, take
// the mode's result, weigh it by the amount and lay it down by coverage.
template <class Mode>
struct HighMode {
    static void combine(const DabJob& j, const Pixel& s, Pixel& d, uint32_t v, Pixel& o) noexcept {
        if (d.a == 0) {
            d.r = s.r;
            d.g = s.g;
            d.b = s.b;
        } else if (d.a < 65535) {
            const uint32_t k = std::min<uint32_t>(3 * (((65535 - d.a) * v) >> 16), 65535);
            for (int c = 0; c < 3; ++c) d[c] = ((((65535 - k) * d[c]) >> 8) + ((k * s[c]) >> 8)) >> 8;
        }
        o.a = j.erase ? 0 : s.a;

        mix::Rgb c;
        const mix::Outcome outcome = Mode::apply(s.rgb(), d.rgb(), c, j.modeContext);
        switch (outcome) {
            case mix::Outcome::Amount:
                for (int ch = 0; ch < 3; ++ch) {
                    o[ch] = limit16((((int64_t{s[ch]} * j.mixAmountRest) >> 4) + ((int64_t{c[ch]} * j.mixAmount) >> 4)) >> 4);
                }
                break;
            case mix::Outcome::Direct:
                o.r = c.r, o.g = c.g, o.b = c.b;
                break;
            case mix::Outcome::Keep:
                o.r = c.r, o.g = c.g, o.b = c.b;
                o.a = d.a;
                break;
            case mix::Outcome::Grey:
                o.r = c.r, o.g = c.g, o.b = c.b;
                d.r = d.g = d.b = 0x7FFF;
                o.a = mix::lightness(s.rgb());
                break;
        }
        if (v < 65535) {
            const uint32_t i = 65536 - v;
            o.a = (((o.a * v) >> 8) + ((i * d.a) >> 8)) >> 8;
            for (int ch = 0; ch < 3; ++ch) o[ch] = std::min<uint32_t>(((((o[ch] * v) >> 8) + ((i * d[ch]) >> 8)) >> 8) + 1, 65535);
        }
    }
};

// ---- The row loop ---------------------------------------------------------------------

// The shape row that canvas row y of the dab samples.
uint32_t shapeRowAt(const DabJob& j, int32_t y) noexcept {
    const int32_t k = y - j.sq.top + j.sq.skipY;
    return std::min(static_cast<uint32_t>(j.scale[k]), static_cast<uint32_t>(j.side - 1));
}

template <class Combine>
void dabRow(const DabJob& j, int32_t y) {
    const uint32_t lastSample = static_cast<uint32_t>(j.side - 1);
    const uint32_t shapeRow = shapeRowAt(j, y);

    ByteCursor colors{j.colorTable, j.colorTableLength};
    ByteCursor lums{j.lumTable, j.lumTableLength};
    if (j.pixColorVary > 0 && colors.active()) colors.pos = nextRandom() % j.M;
    if (j.pixLumVary > 0 && lums.active()) lums.pos = nextRandom() % j.M;
    const bool varyColor = j.pixColorVary > 0 && colors.active();
    const bool varyLum = j.pixLumVary > 0 && lums.active();

    const size_t canvasRow = static_cast<size_t>(y) * static_cast<size_t>(j.canvasWidth);
    uint16_t* dst = j.target + static_cast<size_t>(y) * static_cast<size_t>(j.targetPitch) +
                    static_cast<size_t>(j.sq.left) * 4;
    for (int32_t x = j.sq.left; x < j.sq.right; ++x, dst += 4) {
        uint32_t col = std::min(static_cast<uint32_t>(j.scale[x - j.sq.left + j.sq.skipX]), lastSample);
        uint32_t row = shapeRow;
        if (j.rotate) samplePosition(j, col, row);
        const size_t sample = static_cast<size_t>(row) * static_cast<size_t>(j.M) + col;

        if (j.grain) {
            const uint8_t g = static_cast<int64_t>(sample) < j.grainBytes ? j.grain[sample] : 255;
            if (g > j.densityLimit) continue;
        }
        uint32_t v = j.shape[sample];
        if (j.scaleByAlpha) v = (v * static_cast<uint32_t>(j.alpha128)) >> 7;
        if (j.texture) {
            const uint32_t t = j.texture[canvasRow + static_cast<size_t>(x)];
            if (t < 255) v = (t * v) >> 8;
        }
        uint32_t m = 65535;
        if (j.mask) {
            m = j.mask[canvasRow + static_cast<size_t>(x)];
            if (!j.maskAtMerge && m < 65535) v = (m * v) >> 16;
        }
        if (v == 0) continue;
        if (j.solid) v = 65535;

        Pixel s;
        uint16_t* buf = nullptr;
        if (!j.fromBuffer) {
            s = Pixel{j.dab[0], j.dab[1], j.dab[2], j.dab[3]};
            if (varyColor) {
                const int64_t off = colorOffset(colors, j.pixColorVary);
                for (int c = 0; c < 4; ++c) s[c] = limit16(s[c] + off);
            }
            if (varyLum) {
                const double f = brightnessFactor(lums, j.pixLumVary);
                for (int c = 0; c < 3; ++c) s[c] = brighten(j.dab[static_cast<size_t>(c)], f);
            }
        } else {
            buf = j.buffer + static_cast<size_t>(row) * static_cast<size_t>(j.M) * 4 + size_t{col} * 4;
            s = Pixel{buf[0], buf[1], buf[2], buf[3]};
            if (j.imageBrush && s.a < 65535) {
                v = std::max<uint32_t>((v * s.a) >> 16, 1);
                s.a = 65535;
            }
            if (varyColor) {
                const int64_t off = colorOffset(colors, j.pixColorVary);
                for (int c = 0; c < 3; ++c) s[c] = limit16(s[c] + off);
            }
            if (varyLum) {
                const double f = brightnessFactor(lums, j.pixLumVary);
                for (int c = 0; c < 3; ++c) s[c] = brighten(s[c], f);
            }
            if (j.primaryStrength != 0) {
                for (int c = 0; c < 4; ++c) s[c] = limit16((int64_t{j.primaryRest} * s[c] + j.primary[static_cast<size_t>(c)]) >> 8);
            }
        }

        Pixel d{dst[0], dst[1], dst[2], dst[3]};
        const uint32_t destAlpha = d.a;
        Pixel o;
        Combine::combine(j, s, d, v, o);

        if (j.pickUp) {
            const int64_t b = j.blendStrength;
            const int64_t rest = j.blendStrengthRest;
            if (s.a == 0) {
                buf[0] = static_cast<uint16_t>(d.r), buf[1] = static_cast<uint16_t>(d.g);
                buf[2] = static_cast<uint16_t>(d.b), buf[3] = static_cast<uint16_t>(limit16((d.a * rest) >> 8));
            } else if (d.a == 0) {
                buf[0] = static_cast<uint16_t>(s.r), buf[1] = static_cast<uint16_t>(s.g);
                buf[2] = static_cast<uint16_t>(s.b), buf[3] = static_cast<uint16_t>(limit16((s.a * b) >> 8));
            } else {
                for (int c = 0; c < 3; ++c) buf[c] = static_cast<uint16_t>(limit16(((d[c] * rest + b * s[c]) >> 8) + 1));
                buf[3] = static_cast<uint16_t>(limit16((s.a * b + d.a * rest) >> 8));
            }
        }

        if (j.erase) {
            if (!j.blobLocked) {
                dst[3] = static_cast<uint16_t>(o.a);
            } else if (destAlpha > 0x1FFF) {
                dst[3] = static_cast<uint16_t>(std::max<uint32_t>(o.a, 0x2400));
            }
            continue;
        }
        if (!j.colorLocked) {
            dst[0] = static_cast<uint16_t>(o.r);
            dst[1] = static_cast<uint16_t>(o.g);
            dst[2] = static_cast<uint16_t>(o.b);
        }
        if (j.alphaWritable && (!j.blobLocked || (destAlpha > 0x1FFF && o.a > 0x1FFF))) {
            uint32_t a = j.alphaLevel > 0 ? static_cast<uint32_t>(j.alphaLevel) : o.a;
            if (j.maskAtMerge && j.mask && m < a) a = m;
            dst[3] = static_cast<uint16_t>(std::min<uint32_t>(a, 65535));
        }
    }
}

// ---- The row kernel of the common dab ----------------------------------------------------
// Tool colour in mode Normal, no rotation and no per-pixel variation: coverage is worked
// out for the whole row first, in plain loops over the row, then laid down by the kernel
// over the span between the first and last covered pixel.

// Passes over a coverage row in place; restrict lets the compiler vectorise them
// (byte pointers may otherwise alias the row).
void grainPass(uint16_t* __restrict cov, const uint8_t* __restrict grain, int32_t n, uint8_t limit) noexcept {
    for (int32_t i = 0; i < n; ++i) cov[i] = grain[i] > limit ? 0 : cov[i];
}
void opacityPass(uint16_t* __restrict cov, int32_t n, uint32_t alpha128) noexcept {
    for (int32_t i = 0; i < n; ++i) cov[i] = static_cast<uint16_t>((cov[i] * alpha128) >> 7);
}
void texturePass(uint16_t* __restrict cov, const uint8_t* __restrict texture, int32_t n) noexcept {
    for (int32_t i = 0; i < n; ++i) {
        cov[i] = texture[i] < 255 ? static_cast<uint16_t>((uint32_t{texture[i]} * cov[i]) >> 8) : cov[i];
    }
}
void maskPass(uint16_t* __restrict cov, const uint16_t* __restrict mask, int32_t n) noexcept {
    for (int32_t i = 0; i < n; ++i) {
        cov[i] = mask[i] < 65535 ? static_cast<uint16_t>((uint32_t{mask[i]} * cov[i]) >> 16) : cov[i];
    }
}

// The row's coverage: the shape row itself when nothing changes it, else cov filled.
const uint16_t* coverageRow(const DabJob& j, int32_t y, uint32_t shapeRow, uint16_t* cov, int32_t n) {
    const size_t base = static_cast<size_t>(shapeRow) * static_cast<size_t>(j.M);
    const uint16_t* shape = j.shape + base;
    const uint32_t* cols = j.columns.data();
    const bool masked = j.mask && !j.maskAtMerge;
    if (j.contiguous && !j.grain && !j.scaleByAlpha && !j.texture && !masked && !j.solid) return shape + cols[0];
    if (j.contiguous) {
        std::memcpy(cov, shape + cols[0], static_cast<size_t>(n) * sizeof *cov);
    } else {
        for (int32_t i = 0; i < n; ++i) cov[i] = shape[cols[i]];
    }
    if (j.grain && j.densityLimit < 255) {
        const uint8_t* g = j.grain + base;
        if (j.densityLimit < 0) {
            std::fill_n(cov, n, uint16_t{0});
        } else if (static_cast<int64_t>(base + j.lastColumn) < j.grainBytes) {
            const uint8_t limit = static_cast<uint8_t>(j.densityLimit);
            if (j.contiguous) {
                grainPass(cov, g + cols[0], n, limit);
            } else {
                for (int32_t i = 0; i < n; ++i) cov[i] = g[cols[i]] > limit ? 0 : cov[i];
            }
        } else {
            // The row runs past the grain buffers: what lies beyond counts as 255.
            for (int32_t i = 0; i < n; ++i) {
                const size_t sample = base + cols[i];
                const int32_t value = static_cast<int64_t>(sample) < j.grainBytes ? j.grain[sample] : 255;
                if (value > j.densityLimit) cov[i] = 0;
            }
        }
    }
    if (j.scaleByAlpha) opacityPass(cov, n, static_cast<uint32_t>(j.alpha128));
    const size_t canvasAt =
        static_cast<size_t>(y) * static_cast<size_t>(j.canvasWidth) + static_cast<size_t>(j.sq.left);
    if (j.texture) texturePass(cov, j.texture + canvasAt, n);
    if (masked) maskPass(cov, j.mask + canvasAt, n);
    if (j.solid) {
        for (int32_t i = 0; i < n; ++i) cov[i] = cov[i] != 0 ? 65535 : 0;
    }
    return cov;
}

// The first covered pixel of a row (n if none) and the last (given one exists), eight
// values at a time: a round brush's rows start and end with long runs of zero.
int32_t firstCovered(const uint16_t* cov, int32_t n) noexcept {
    int32_t i = 0;
    for (uint64_t lo, hi; i + 8 <= n; i += 8) {
        std::memcpy(&lo, cov + i, 8);
        std::memcpy(&hi, cov + i + 4, 8);
        if ((lo | hi) != 0) break;
    }
    while (i < n && cov[i] == 0) ++i;
    return i;
}
int32_t lastCovered(const uint16_t* cov, int32_t n) noexcept {
    int32_t end = n;
    for (uint64_t lo, hi; end >= 8; end -= 8) {
        std::memcpy(&lo, cov + end - 8, 8);
        std::memcpy(&hi, cov + end - 4, 8);
        if ((lo | hi) != 0) break;
    }
    while (end > 0 && cov[end - 1] == 0) --end;
    return end - 1;
}

void toolNormalDabRow(const DabJob& j, int32_t y) {
    const uint32_t shapeRow = shapeRowAt(j, y);
    const int32_t n = j.sq.right - j.sq.left;
    std::array<uint16_t, kScaleTableLength> scratch;
    const uint16_t* cov = coverageRow(j, y, shapeRow, scratch.data(), n);

    int32_t first = firstCovered(cov, n);
    if (first == n) return;
    int32_t last = lastCovered(cov, n);
    // Round the span up to whole groups of eight with uncovered pixels of the square,
    // which the kernel leaves as they are, so that no short tail is left over.
    const int32_t short8 = (8 - (last - first + 1) % 8) % 8;
    const int32_t right = std::min(short8, n - 1 - last);
    last += right;
    first -= std::min(short8 - right, first);

    const size_t canvasAt =
        static_cast<size_t>(y) * static_cast<size_t>(j.canvasWidth) + static_cast<size_t>(j.sq.left + first);
    const uint16_t* cap = j.maskAtMerge && j.mask ? j.mask + canvasAt : nullptr;
    uint16_t* dst = j.target + static_cast<size_t>(y) * static_cast<size_t>(j.targetPitch) +
                    static_cast<size_t>(j.sq.left + first) * 4;
    toolNormalRow(j.normal, cov + first, cap, dst, last - first + 1);
}

// Mode Normal from the blend buffer (the smudge), no rotation and no per-pixel
// variation: the same rule as the walk over the row's coverage, with every per-dab
// decision taken before the row. Pixels stay in order, since with repeated sample
// columns a pixel reads what the one before it picked up.
template <bool PickUp>
void bufferNormalDabRow(const DabJob& j, int32_t y) {
    const uint32_t shapeRow = shapeRowAt(j, y);
    const int32_t n = j.sq.right - j.sq.left;
    std::array<uint16_t, kScaleTableLength> scratch;
    const uint16_t* cov = coverageRow(j, y, shapeRow, scratch.data(), n);

    uint16_t* const bufferRow = j.buffer + static_cast<size_t>(shapeRow) * static_cast<size_t>(j.M) * 4;
    uint16_t* dst =
        j.target + static_cast<size_t>(y) * static_cast<size_t>(j.targetPitch) + static_cast<size_t>(j.sq.left) * 4;
    const int64_t rest = j.primaryRest;
    const uint32_t b = static_cast<uint32_t>(j.blendStrength), bRest = static_cast<uint32_t>(j.blendStrengthRest);
    for (int32_t i = 0; i < n; ++i, dst += 4) {
        uint32_t v = cov[i];
        if (v == 0) continue;
        uint16_t* buf = bufferRow + size_t{j.columns[static_cast<size_t>(i)]} * 4;
        uint32_t s[4] = {buf[0], buf[1], buf[2], buf[3]};
        if (j.imageBrush && s[3] < 65535) {
            v = std::max<uint32_t>((v * s[3]) >> 16, 1);
            s[3] = 65535;
        }
        if (j.primaryStrength != 0) {
            for (size_t c = 0; c < 4; ++c) s[c] = limit16((rest * s[c] + j.primary[c]) >> 8);
        }
        uint32_t d[4] = {dst[0], dst[1], dst[2], dst[3]};
        const uint32_t dA = d[3];
        uint32_t o[3], oA;
        if (dA == 0) {
            o[0] = s[0], o[1] = s[1], o[2] = s[2];
            oA = (v * s[3]) >> 16;
            d[0] = d[1] = d[2] = 0;
        } else {
            const uint32_t inv = 65536 - v;
            oA = (((inv * dA) >> 8) + ((v * s[3]) >> 8)) >> 8;
            for (int c = 0; c < 3; ++c) o[c] = s[3] == 0 ? d[c] : (((inv * d[c]) >> 8) + ((v * s[c]) >> 8)) >> 8;
        }
        if constexpr (PickUp) {
            if (s[3] == 0) {
                for (int c = 0; c < 3; ++c) buf[c] = static_cast<uint16_t>(d[c]);
                buf[3] = static_cast<uint16_t>(limit16((int64_t{dA} * bRest) >> 8));
            } else if (dA == 0) {
                for (int c = 0; c < 3; ++c) buf[c] = static_cast<uint16_t>(s[c]);
                buf[3] = static_cast<uint16_t>(limit16((int64_t{s[3]} * b) >> 8));
            } else {
                for (int c = 0; c < 3; ++c) {
                    buf[c] = static_cast<uint16_t>(limit16(((int64_t{d[c]} * bRest + int64_t{b} * s[c]) >> 8) + 1));
                }
                buf[3] = static_cast<uint16_t>(limit16((int64_t{s[3]} * b + int64_t{dA} * bRest) >> 8));
            }
        }
        if (!j.colorLocked) {
            for (int c = 0; c < 3; ++c) dst[c] = static_cast<uint16_t>(o[c]);
        }
        if (j.alphaWritable && (!j.blobLocked || (dA > 0x1FFF && oA > 0x1FFF))) {
            const uint32_t a = j.alphaLevel > 0 ? static_cast<uint32_t>(j.alphaLevel) : oA;
            dst[3] = static_cast<uint16_t>(std::min<uint32_t>(a, 65535));
        }
    }
}

// Sample columns of the clipped square; false when they cannot be listed (the square
// is wider than the scale table).
bool listColumns(DabJob& j) noexcept {
    const int32_t n = j.sq.right - j.sq.left;
    if (n <= 0 || n > kScaleTableLength || j.sq.skipX > kScaleTableLength - n) return false;
    const uint32_t lastSample = static_cast<uint32_t>(j.side - 1);
    j.contiguous = true;
    j.lastColumn = 0;
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t c = std::min(static_cast<uint32_t>(j.scale[i + j.sq.skipX]), lastSample);
        j.columns[static_cast<size_t>(i)] = c;
        j.lastColumn = std::max(j.lastColumn, c);
        if (c != j.columns[0] + static_cast<uint32_t>(i)) j.contiguous = false;
    }
    return true;
}

// Whether two of the dab's rows read the same row of the shape and blend buffer.
bool rowsShareSamples(const DabJob& j) noexcept {
    const int32_t rows = j.sq.bottom - j.sq.top;
    if (rows <= 0 || rows > kScaleTableLength || j.sq.skipY > kScaleTableLength - rows) return true;
    std::array<uint32_t, kScaleTableLength> sampled;
    bool rising = true;  // the usual scale table: each row samples further down
    const uint32_t lastSample = static_cast<uint32_t>(j.side - 1);
    for (int32_t k = 0; k < rows; ++k) {
        // Clamped as the rows clamp them: entries past the shape sample its last row.
        sampled[static_cast<size_t>(k)] = std::min(static_cast<uint32_t>(j.scale[j.sq.skipY + k]), lastSample);
        if (k > 0 && sampled[static_cast<size_t>(k)] <= sampled[static_cast<size_t>(k - 1)]) rising = false;
    }
    if (rising) return false;
    std::sort(sampled.begin(), sampled.begin() + rows);
    return std::adjacent_find(sampled.begin(), sampled.begin() + rows) != sampled.begin() + rows;
}

using RowFunction = void (*)(const DabJob&, int32_t);

#define DRO_MIX_ROW(id, name) &dabRow<HighMode<mix::name>>,
constexpr std::array<RowFunction, mix::kMixModeCount + 1> kHighRows = {
    DRO_MIX_MODE_LIST(DRO_MIX_ROW) &dabRow<HighMode<mix::Plain>>};
#undef DRO_MIX_ROW

RowFunction rowFunctionFor(const DabJob& j, int32_t mixMode) noexcept {
    if (mixMode >= mix::kFirstListedMixMode) return kHighRows[static_cast<size_t>(mix::mixModeIndex(mixMode))];
    if (j.fromBuffer && mixMode == kMixNormal) return &dabRow<LowMode<BufferNormal>>;
    if (j.erase) return &dabRow<LowMode<Erase>>;
    if (mixMode == kMixNormal) return &dabRow<LowMode<Normal>>;
    return &dabRow<LowMode<Multiply>>;
}

// The target of a dab: the paint layer while it exists, else the current layer.
LayerSlot* dabTarget(bool& onPaintLayer) noexcept {
    LayerSlot& paint = paintLayer().layer;
    onPaintLayer = !paint.empty();
    if (onPaintLayer) return &paint;
    return filledCurrentSlot();
}

void widenExtents(Rect& extents, const DabSquare& sq) noexcept {
    extents.left = std::min(extents.left, sq.left);
    extents.top = std::min(extents.top, sq.top);
    extents.right = std::max(extents.right, sq.right);
    extents.bottom = std::max(extents.bottom, sq.bottom);
}

// Sides a dab may draw and sample: the scale table holds 1000 entries and the shape,
// grain and blend planes maxBrushSize rows, whatever size the host set.
int32_t drawnSide(const ToolSettings& t) noexcept { return std::clamp(t.scaleSize, 0, kScaleTableLength); }
int32_t sampleSide(const ToolSettings& t) noexcept { return std::min(t.size, canvas().maxBrushSize); }

void clearOneShotFlags(ToolSettings& t) noexcept {
    t.tempDisableBlend = 0;
    t.maskMakerOn = 0;
    t.eraseModeOn = 0;
}

}  // namespace

DabSquare dabSquare(int32_t x, int32_t y, int32_t side, int32_t width, int32_t height) noexcept {
    DabSquare s;
    const int64_t left = int64_t{x} - side / 2;
    const int64_t top = int64_t{y} - side / 2;
    const int64_t right = left + side;
    const int64_t bottom = top + side;
    const auto fit = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); };
    s.skipX = left < 0 ? fit(-left) : 0;
    s.skipY = top < 0 ? fit(-top) : 0;
    s.left = fit(std::max<int64_t>(left, 0));
    s.top = fit(std::max<int64_t>(top, 0));
    s.right = fit(std::min<int64_t>(right, width));
    s.bottom = fit(std::min<int64_t>(bottom, height));
    return s;
}

void drawDabGrit(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) {
    ToolSettings& t = toolSettings();
    t.color = {static_cast<uint16_t>(r & 0xFF00), static_cast<uint16_t>(g & 0xFF00), static_cast<uint16_t>(b & 0xFF00),
               65535};
    if (t.maskMakerOn) {
        drawDabGritMask(x, y);
        return;
    }
    const Canvas& cv = canvas();
    bool onPaintLayer = false;
    LayerSlot* target = dabTarget(onPaintLayer);
    if (!target || cv.width <= 0 || cv.height <= 0) {
        clearOneShotFlags(t);
        return;
    }

    DabJob j;
    const bool paintsToolColor = t.blendStrength == 0 || t.tempDisableBlend;
    j.erase = t.eraseModeOn != 0;
    j.maskAtMerge = onPaintLayer && paintsToolColor && !j.erase;
    j.sq = dabSquare(x, y, drawnSide(t), cv.width, cv.height);

    // Dab colour, per-dab variation, erasing.
    std::array<int64_t, 4> dab = {t.color[0], t.color[1], t.color[2], 65535};
    if (t.colorVary > 0) {
        const int64_t off = (int64_t{t.colorVary / 2} - nextRandom() % t.colorVary) * 256;
        for (auto& c : dab) c = limit16(c + off);
    }
    if (j.erase) dab = {65535, 65535, 65535, 0};
    for (size_t c = 0; c < 4; ++c) j.dab[c] = static_cast<uint32_t>(dab[c]);

    advanceGrain();

    j.primaryStrength = t.blendPrimaryColorStrength;
    j.primaryRest = t.blendPrimaryColorRest;
    if (j.primaryStrength > 0) {
        for (size_t c = 0; c < 4; ++c) j.primary[c] = int64_t{j.primaryStrength} * j.dab[c];
    }

    widenDirtyRect(j.sq.asRect());
    if (onPaintLayer) widenExtents(target->extents, j.sq);

    // Inputs of the pixel loop.
    BrushBuffers& brush = brushBuffers();
    j.canvasWidth = cv.width;
    j.M = cv.maxBrushSize;
    j.side = sampleSide(t);
    j.half = t.size / 2;
    j.scale = t.scaleTable.data();
    j.rotate = t.rotateBrushMode == 1;
    j.rotSin = t.rotateSin;
    j.rotCos = t.rotateCos;
    j.shape = brush.brushPlane.get();
    if (t.grainCellSize != 0) {
        j.grain = grainCursor();
        j.grainBytes = grainCursorBytes();
    }
    j.densityLimit = t.densityLimit;
    j.scaleByAlpha = t.alpha < 100;
    j.alpha128 = std::clamp(t.alpha128, 0, 128);
    j.texture = activeTexture();
    j.mask = activeMask();
    j.solid = t.solidBrushMode != 0;

    j.fromBuffer = !paintsToolColor;
    LayerSlot& selected = blendBuffers().selectedBuffer();
    j.buffer = selected.pixels.get();
    j.imageBrush = t.imageBrushMode != 0;
    j.pixColorVary = t.pixColorVary;
    j.pixLumVary = t.pixLumVary;
    if (brush.pixelColorTable.data && brush.pixelColorTable.length > 0) {
        j.colorTable = brush.pixelColorTable.data.get();
        j.colorTableLength = brush.pixelColorTable.length;
    }
    if (brush.pixelBrightnessTable.data && brush.pixelBrightnessTable.length > 0) {
        j.lumTable = brush.pixelBrightnessTable.data.get();
        j.lumTableLength = brush.pixelBrightnessTable.length;
    }

    j.mixAmount = t.mixAmount;
    j.mixAmountRest = t.mixAmountRest;
    j.modeContext.banks = &t.colorBanks;
    j.modeContext.toolColor = {t.color[0], t.color[1], t.color[2]};
    j.modeContext.posterShift = t.mixContrast16 & 31;

    j.pickUp = t.blendStrength != 0 && t.blendRemix != 0 && !t.tempDisableBlend;
    j.blendStrength = t.blendStrength;
    j.blendStrengthRest = t.blendStrengthRest;

    j.colorLocked = t.colorLocked != 0;
    const LayerSlot* current = cv.currentSlot;
    const bool layerAlphaFree = current && !current->alphaLocked && t.toolAlphaLocked == 0 && cv.currentLayer >= 2;
    j.alphaWritable = layerAlphaFree || onPaintLayer;
    j.blobLocked = t.blobLocked != 0;
    j.alphaLevel = t.alphaLevel;

    j.target = target->pixels.get();
    j.targetPitch = target->rowPitch;
    // A layer smaller than the canvas is painted only where it has pixels.
    j.sq.right = std::min(j.sq.right, target->width);
    j.sq.bottom = std::min(j.sq.bottom, target->height);

    const bool canSample = j.shape && j.side > 0 && j.M > 0 && (!j.fromBuffer || j.buffer);
    const int32_t rows = j.sq.bottom - j.sq.top;
    if (canSample && rows > 0 && j.sq.right > j.sq.left) {
        RowFunction rowFn = rowFunctionFor(j, t.mixMode);
        const bool varies = (j.pixColorVary > 0 && j.colorTable) || (j.pixLumVary > 0 && j.lumTable);
        if (testhooks::dabRowKernels() && t.mixMode == kMixNormal && !j.fromBuffer && !j.erase && !j.rotate && !varies &&
            listColumns(j)) {
            j.normal.source[0] = j.dab[0], j.normal.source[1] = j.dab[1];
            j.normal.source[2] = j.dab[2], j.normal.source[3] = j.dab[3];
            j.normal.writeColor = !j.colorLocked;
            j.normal.writeAlpha = j.alphaWritable;
            j.normal.blobLocked = j.blobLocked;
            j.normal.alphaLevel = j.alphaLevel > 0 ? static_cast<uint32_t>(j.alphaLevel) : 0;
            rowFn = &toolNormalDabRow;
        } else if (testhooks::dabRowKernels() && t.mixMode == kMixNormal && j.fromBuffer && !j.erase && !j.rotate && !varies &&
                   listColumns(j)) {
            rowFn = j.pickUp ? &bufferNormalDabRow<true> : &bufferNormalDabRow<false>;
        }
        // Turned samples, and rows that sample the same shape row, meet in one buffer
        // pixel from two rows; pick-up then stays on one thread so that no buffer pixel
        // is written by two.
        const bool parallel = rows > kDabParallelRows && !(j.pickUp && (j.rotate || rowsShareSamples(j)));
        if (parallel) {
#pragma omp parallel for schedule(static)
            for (int32_t yy = j.sq.top; yy < j.sq.bottom; ++yy) rowFn(j, yy);
        } else {
            // Entering a parallel region costs more than a small dab's pixels.
            for (int32_t yy = j.sq.top; yy < j.sq.bottom; ++yy) rowFn(j, yy);
        }
    }
    clearOneShotFlags(t);
}

void drawDabGritMask(int32_t x, int32_t y) {
    ToolSettings& t = toolSettings();
    const Canvas& cv = canvas();
    uint16_t* plane = maskState().plane.get();
    if (!plane || cv.width <= 0 || cv.height <= 0) {
        t.tempDisableBlend = 0;
        return;
    }

    const int64_t l = (int64_t{t.color[0]} + t.color[1] + t.color[2]) / 3;
    int64_t m = l <= 255 ? 65535 : 0xFF00 - l;
    if (t.colorVary > 0) m = limit16(m + (int64_t{t.colorVary / 2} - nextRandom() % t.colorVary) * 256);
    if (t.eraseModeOn) m = 65535;

    advanceGrain();
    const int64_t p = t.blendPrimaryColorStrength;
    const int64_t primary = p > 0 ? p * m : 0;

    const DabSquare sq = dabSquare(x, y, drawnSide(t), cv.width, cv.height);
    widenDirtyRect(sq.asRect());
    // Off the canvas the skips can run past the scale table: nothing to read then.
    if (sq.right <= sq.left || sq.bottom <= sq.top) {
        t.tempDisableBlend = 0;
        return;
    }

    const int32_t M = cv.maxBrushSize;
    const int32_t side = sampleSide(t);
    const uint16_t* shape = brushBuffers().brushPlane.get();
    const bool fromBuffer = t.blendStrength != 0 && !t.tempDisableBlend;
    uint16_t* buffer = blendBuffers().selectedBuffer().pixels.get();
    if (!shape || side <= 0 || M <= 0 || (fromBuffer && !buffer)) {
        t.tempDisableBlend = 0;
        return;
    }

    DabJob j;  // for the turned sample position only
    j.side = side;
    j.half = t.size / 2;
    j.rotSin = t.rotateSin;
    j.rotCos = t.rotateCos;
    const bool rotate = t.rotateBrushMode == 1;
    const uint8_t* grain = t.grainCellSize != 0 ? grainCursor() : nullptr;
    const int64_t grainBytes = grain ? grainCursorBytes() : 0;
    const bool scaleByAlpha = t.alpha < 100;
    const uint32_t alpha128 = static_cast<uint32_t>(std::clamp(t.alpha128, 0, 128));
    const uint8_t* texture = activeTexture();
    const bool pickUp = fromBuffer && t.blendRemix != 0;

    const BrushBuffers& brush = brushBuffers();
    ByteCursor colors{brush.pixelColorTable.data.get(), brush.pixelColorTable.length};
    ByteCursor lums{brush.pixelBrightnessTable.data.get(), brush.pixelBrightnessTable.length};
    const bool varyColor = t.pixColorVary > 0 && colors.active() && colors.length > 0;
    const bool varyLum = t.pixLumVary > 0 && lums.active() && lums.length > 0;
    const int32_t rowWidth = sq.right - sq.left;
    const uint32_t lastSample = static_cast<uint32_t>(side - 1);
    const auto sampleAt = [&](int32_t i) { return std::min(static_cast<uint32_t>(t.scaleTable[static_cast<size_t>(i)]), lastSample); };
    const uint32_t colBase = sampleAt(sq.skipX);

    for (int32_t yy = sq.top; yy < sq.bottom; ++yy) {
        // The cursors run on across rows; a fresh start only when a row would overrun.
        if (varyColor && (colors.pos < 0 || colors.pos + rowWidth > colors.length)) colors.pos = nextRandom() % M;
        if (varyLum && (lums.pos < 0 || lums.pos + rowWidth > lums.length)) lums.pos = nextRandom() % M;
        const uint32_t shapeRow = sampleAt(sq.skipY + (yy - sq.top));
        uint16_t* dst = plane + static_cast<size_t>(yy) * static_cast<size_t>(cv.width) + static_cast<size_t>(sq.left);
        for (int32_t xx = sq.left; xx < sq.right; ++xx, ++dst) {
            uint32_t col = std::min(static_cast<uint32_t>(t.scaleTable[static_cast<size_t>(xx - sq.left)]) + colBase, lastSample);
            uint32_t row = shapeRow;
            if (rotate) samplePosition(j, col, row);
            const size_t sample = static_cast<size_t>(row) * static_cast<size_t>(M) + col;
            if (grain) {
                const uint8_t g = static_cast<int64_t>(sample) < grainBytes ? grain[sample] : 255;
                if (g > t.densityLimit) continue;
            }
            uint32_t v = shape[sample];
            if (scaleByAlpha) v = ((v * alpha128) >> 7) & 0xFFFF;
            if (texture) {
                const uint32_t tex = texture[static_cast<size_t>(yy) * static_cast<size_t>(cv.width) + static_cast<size_t>(xx)];
                if (tex < 255) v = (tex * v) >> 8;
            }
            if (v == 0) continue;
            if (t.solidBrushMode != 0) v = 65535;

            int64_t s = 0;
            uint16_t* buf = nullptr;
            if (!fromBuffer) {
                s = m;
                if (varyColor) s = limit16(s + colorOffset(colors, t.pixColorVary));
                if (varyLum) s = brighten(static_cast<uint32_t>(m), brightnessFactor(lums, t.pixLumVary));
            } else {
                buf = buffer + static_cast<size_t>(row) * static_cast<size_t>(M) * 4 + col;
                s = *buf;
                if (varyColor) s = limit16(s + colorOffset(colors, t.pixColorVary));
                if (varyLum) s = brighten(static_cast<uint32_t>(s), brightnessFactor(lums, t.pixLumVary));
                // Without a tool-colour share there is nothing to mix in: the rest value
                // may be stale or 0 then, and would wipe the buffer's value.
                if (p > 0) s = limit16((int64_t{t.blendPrimaryColorRest} * s + primary) >> 8);
            }
            const int64_t o = *dst;
            if (pickUp) *buf = static_cast<uint16_t>(limit16(((int64_t{t.blendStrengthRest} * o + t.blendStrength * s) >> 8) + 1));
            *dst = static_cast<uint16_t>(limit16((((65536 - int64_t{v}) * o >> 8) + ((int64_t{v} * s) >> 8)) >> 8));
        }
    }
    t.tempDisableBlend = 0;
}

}  // namespace dro
