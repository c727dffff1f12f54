// The mask maker's dab: the brush laid into the 16-bit selection mask, the tool
// colour's lightness (or the blend buffer's value) as the value painted.
#include <algorithm>

#include "brush/blend_buffers.h"
#include "brush/brush_buffers.h"
#include "brush/dab_job.h"
#include "brush/grain.h"
#include "core/texture_map.h"
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
