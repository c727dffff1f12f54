// The mask maker's dab: the brush laid into the 16-bit selection mask, the tool
// colour's lightness (or the blend buffer's value) as the value painted.
#include <algorithm>

#include "brush/blend_buffers.h"
#include "brush/brush_buffers.h"
#include "brush/dab_job.h"
#include "brush/grain.h"
#include "core/canvas.h"
#include "core/random_tables.h"
#include "core/mask_state.h"
#include "undo/undo_store.h"

namespace dro {

using namespace dab;

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

    // What the coverage reads; the mask dab's columns run from the sample at skipX on.
    DabJob j;
    j.sq = sq;
    takeCoverageInputs(j, t, cv);
    const uint32_t lastSample = static_cast<uint32_t>(side - 1);
    const uint32_t colBase = std::min(static_cast<uint32_t>(t.scaleTable[static_cast<size_t>(sq.skipX)]), lastSample);
    if (!listColumns(j, 0, colBase)) {
        t.tempDisableBlend = 0;
        return;
    }
    const bool pickUp = fromBuffer && t.blendRemix != 0;

    const BrushBuffers& brush = brushBuffers();
    ByteCursor colors{brush.pixelColorTable.data.get(), brush.pixelColorTable.length};
    ByteCursor lums{brush.pixelBrightnessTable.data.get(), brush.pixelBrightnessTable.length};
    const bool varyColor = t.pixColorVary > 0 && colors.active() && colors.length > 0;
    const bool varyLum = t.pixLumVary > 0 && lums.active() && lums.length > 0;
    const int32_t rowWidth = sq.right - sq.left;

    for (int32_t yy = sq.top; yy < sq.bottom; ++yy) {
        // The cursors run on across rows; a fresh start only when a row would overrun.
        if (varyColor && (colors.pos < 0 || colors.pos + rowWidth > colors.length)) colors.pos = nextRandom() % M;
        if (varyLum && (lums.pos < 0 || lums.pos + rowWidth > lums.length)) lums.pos = nextRandom() % M;
        CoverageScratch scratch;
        const RowCoverage cover = coverageRow(j, yy, scratch);
        uint16_t* dst = plane + static_cast<size_t>(yy) * static_cast<size_t>(cv.width) + static_cast<size_t>(sq.left);
        for (int32_t i = 0; i < rowWidth; ++i, ++dst) {
            const uint32_t v = cover.values[i];
            if (v == 0) continue;

            int64_t s = 0;
            uint16_t* buf = nullptr;
            if (!fromBuffer) {
                s = m;
                if (varyColor) s = limit16(s + colorOffset(colors, t.pixColorVary));
                if (varyLum) s = brighten(static_cast<uint32_t>(m), brightnessFactor(lums, t.pixLumVary));
            } else {
                // The plane DRO_DoCopyBlendBufferMask fills: one 16-bit value per column
                // at the start of each 4M-value row.
                buf = buffer + static_cast<size_t>(cover.rowOf(i)) * static_cast<size_t>(M) * 4 + cover.columns[i];
                s = *buf;
                if (varyColor) s = limit16(s + colorOffset(colors, t.pixColorVary));
                if (varyLum) s = brighten(static_cast<uint32_t>(s), brightnessFactor(lums, t.pixLumVary));
                // Without a tool-colour share there is nothing to mix in: the rest value
                // may be stale or 0 then, and would wipe the buffer's value.
                if (p > 0) s = limit16((int64_t{t.blendPrimaryColorRest} * s + primary) >> 8);
            }
            const int64_t o = *dst;
            if (pickUp) *buf = pickUpChannel(s, o, t.blendStrength, t.blendStrengthRest);
            *dst = static_cast<uint16_t>(limit16((((65536 - int64_t{v}) * o >> 8) + ((int64_t{v} * s) >> 8)) >> 8));
        }
    }
    t.tempDisableBlend = 0;
}

}  // namespace dro
