// The walk over a dab row pixel by pixel: the row's coverage (dab_coverage.cpp), then
// source, combine, pick-up and the locks, for every mix mode, rotation and per-pixel
// variation.
#include <algorithm>

#include "brush/dab_combine.h"
#include "brush/dab_job.h"
#include "core/random_tables.h"

namespace dro::dab {
namespace {

template <class Combine>
void dabRow(const DabJob& j, int32_t y) {
    CoverageScratch scratch;
    const RowCoverage cover = coverageRow(j, y, scratch);

    ByteCursor colors{j.colorTable, j.colorTableLength};
    ByteCursor lums{j.lumTable, j.lumTableLength};
    if (j.pixColorVary > 0 && colors.active()) colors.pos = nextRandom() % j.M;
    if (j.pixLumVary > 0 && lums.active()) lums.pos = nextRandom() % j.M;
    const bool varyColor = j.pixColorVary > 0 && colors.active();
    const bool varyLum = j.pixLumVary > 0 && lums.active();

    const int32_t n = j.sq.right - j.sq.left;
    const uint16_t* cap = j.maskAtMerge && j.mask
                              ? j.mask + static_cast<size_t>(y) * static_cast<size_t>(j.canvasWidth) + static_cast<size_t>(j.sq.left)
                              : nullptr;
    uint16_t* dst = j.out.target + static_cast<size_t>(y) * static_cast<size_t>(j.out.targetPitch) +
                    static_cast<size_t>(j.sq.left) * 4;
    for (int32_t i = 0; i < n; ++i, dst += 4) {
        uint32_t v = cover.values[i];
        if (v == 0) continue;

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
            const size_t sample = size_t{cover.rowOf(i)} * static_cast<size_t>(j.M) + cover.columns[i];
            buf = j.out.buffer + sample * 4;
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

        if (j.pickUp) pickUp(buf, {s.r, s.g, s.b, s.a}, {d.r, d.g, d.b, d.a}, j.blendStrength, j.blendStrengthRest);

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
            if (cap && cap[i] < a) a = cap[i];
            dst[3] = static_cast<uint16_t>(std::min<uint32_t>(a, 65535));
        }
    }
}

}  // namespace

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


}  // namespace dro::dab
