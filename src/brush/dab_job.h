// The dab's job: every input of the pixel loop fixed once per dab, what the loop
// writes, and the small per-pixel helpers the row functions share.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "brush/dab_kernels.h"
#include "brush/dab_render.h"
#include "brush/mix_modes.h"
#include "brush/tool_settings.h"
#include "core/canvas.h"

namespace dro::dab {

using mix::limit16;

inline constexpr int32_t kMixNormal = mix::mixId(mix::MixMode::Normal);

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

// What a dab writes: the target plane, and the blend buffer, which it also reads
// and, with pick-up, writes.
struct DabOutputs {
    uint16_t* target = nullptr;
    int32_t targetPitch = 0;  // in 16-bit values
    uint16_t* buffer = nullptr;  // selected blend buffer, stride 4M
};

// Everything a dab reads, fixed before the pixel loop starts, and where it writes.
struct DabJob {
    DabOutputs out;

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


    // Sample columns of the clipped square (all in the shape), whether they run one by
    // one, and the Normal row kernel's per-dab constants.
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

struct Pixel {
    uint32_t r = 0, g = 0, b = 0, a = 0;
    uint32_t& operator[](int i) noexcept { return i == 0 ? r : i == 1 ? g : i == 2 ? b : a; }
    uint32_t operator[](int i) const noexcept { return i == 0 ? r : i == 1 ? g : i == 2 ? b : a; }
    mix::Rgb rgb() const noexcept { return mix::Rgb{r, g, b}; }
};

// One channel of the pick-up where both the source s and the destination d hold
// something: the buffer keeps strength/256 of what it gave and takes the rest from d.
inline uint16_t pickUpChannel(int64_t s, int64_t d, int64_t strength, int64_t rest) noexcept {
    return static_cast<uint16_t>(mix::limit16(((d * rest + strength * s) >> 8) + 1));
}

// The pick-up: the blend buffer pixel buf takes up what the dab met. s is the source
// as the combine read it, d the destination as the combine left it.
inline void pickUp(uint16_t* buf, const std::array<uint32_t, 4>& s, const std::array<uint32_t, 4>& d,
                   int64_t strength, int64_t rest) noexcept {
    if (s[3] == 0) {
        for (size_t c = 0; c < 3; ++c) buf[c] = static_cast<uint16_t>(d[c]);
        buf[3] = static_cast<uint16_t>(mix::limit16((d[3] * rest) >> 8));
    } else if (d[3] == 0) {
        for (size_t c = 0; c < 3; ++c) buf[c] = static_cast<uint16_t>(s[c]);
        buf[3] = static_cast<uint16_t>(mix::limit16((s[3] * strength) >> 8));
    } else {
        for (size_t c = 0; c < 3; ++c) buf[c] = pickUpChannel(s[c], d[c], strength, rest);
        buf[3] = static_cast<uint16_t>(mix::limit16((s[3] * strength + d[3] * rest) >> 8));
    }
}

// ---- Coverage (dab_coverage.cpp): the one place a dab row's coverage is worked out,
// for the paint dabs' kernels and walk and for the mask dab.

// One row's coverage: per pixel of the clipped square, the shape value after grain,
// opacity, texture, the mask (unless it caps alpha at the merge instead) and the solid
// rule, 0 where the pixel stays untouched; and where each pixel samples the shape,
// grain and blend planes.
struct RowCoverage {
    const uint16_t* values = nullptr;
    const uint32_t* columns = nullptr;  // shape column of each pixel
    const uint32_t* rows = nullptr;     // shape row of each pixel, or null: all on shapeRow
    uint32_t shapeRow = 0;

    uint32_t rowOf(int32_t i) const noexcept { return rows ? rows[i] : shapeRow; }
};
// Room for a row's coverage, and for its sample positions when the brush is turned.
struct CoverageScratch {
    std::array<uint16_t, kScaleTableLength> values;
    std::array<uint32_t, kScaleTableLength> columns;
    std::array<uint32_t, kScaleTableLength> rows;
};
RowCoverage coverageRow(const DabJob& j, int32_t y, CoverageScratch& scratch) noexcept;
// Fills what the coverage reads from the tool, the brush buffers, the grain cursor and
// the texture (dab_render.cpp); the paint dab adds the mask.
void takeCoverageInputs(DabJob& j, const ToolSettings& t, const Canvas& cv) noexcept;
// Lists the sample columns of the clipped square, min(scale[firstEntry + i] + shift,
// side − 1) for its pixels i; false when they do not fit the scale table.
bool listColumns(DabJob& j, int32_t firstEntry, uint32_t shift) noexcept;

// Sides a dab may draw and sample: the scale table holds 1000 entries and the shape,
// grain and blend planes maxBrushSize rows, whatever size the host set.
inline int32_t drawnSide(const ToolSettings& t) noexcept { return std::clamp(t.scaleSize, 0, kScaleTableLength); }
int32_t sampleSide(const ToolSettings& t) noexcept;

using RowFunction = void (*)(const DabJob&, int32_t);

// The walk over a row's pixels for the job's mix mode (dab_rows.cpp).
RowFunction rowFunctionFor(const DabJob& j, int32_t mixMode) noexcept;
// The row kernels of the common Normal dabs, or null when the job needs the walk
// (dab_normal_rows.cpp). Both need the job's sample columns listed.
RowFunction normalRowKernelFor(DabJob& j, int32_t mixMode) noexcept;
// Whether two of the dab's rows read the same row of the shape and blend buffer.
bool rowsShareSamples(const DabJob& j) noexcept;

}  // namespace dro::dab
