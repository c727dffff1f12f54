// A dab's set-up: the target, the clipped square, the dab colour and every input of
// the pixel loop gathered into one job, then the rows run (dab_normal_rows.cpp,
// dab_rows.cpp, each on the coverage of dab_coverage.cpp), on several threads for a
// large dab.
#include "brush/dab_render.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "brush/blend_buffers.h"
#include "brush/brush_buffers.h"
#include "brush/dab_job.h"
#include "brush/grain.h"
#include "brush/paint_layer.h"
#include "core/texture_map.h"
#include "brush/tool_settings.h"
#include "core/canvas.h"
#include "core/random_tables.h"
#include "core/mask_state.h"
#include "undo/undo_store.h"

namespace dro {

using namespace dab;

namespace {

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

void dab::takeCoverageInputs(DabJob& j, const ToolSettings& t, const Canvas& cv) noexcept {
    j.canvasWidth = cv.width;
    j.M = cv.maxBrushSize;
    j.side = sampleSide(t);
    j.half = t.size / 2;
    j.scale = t.scaleTable.data();
    j.rotate = t.rotateBrushMode == 1;
    j.rotSin = t.rotateSin;
    j.rotCos = t.rotateCos;
    j.shape = brushBuffers().brushPlane.get();
    if (t.grainCellSize != 0) {
        j.grain = grainCursor();
        j.grainBytes = grainCursorBytes();
    }
    j.densityLimit = t.densityLimit;
    j.scaleByAlpha = t.alpha < 100;
    j.alpha128 = std::clamp(t.alpha128, 0, 128);
    j.texture = activeTexture();
    j.solid = t.solidBrushMode != 0;
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
    takeCoverageInputs(j, t, cv);
    j.mask = activeMask();

    j.fromBuffer = !paintsToolColor;
    LayerSlot& selected = blendBuffers().selectedBuffer();
    j.out.buffer = selected.pixels.get();
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

    j.out.target = target->pixels.get();
    j.out.targetPitch = target->rowPitch;
    // A layer smaller than the canvas is painted only where it has pixels.
    j.sq.right = std::min(j.sq.right, target->width);
    j.sq.bottom = std::min(j.sq.bottom, target->height);

    const bool canSample = j.shape && j.side > 0 && j.M > 0 && (!j.fromBuffer || j.out.buffer);
    const int32_t rows = j.sq.bottom - j.sq.top;
    // The square fits the scale table by construction: its width and skip add up to at
    // most the drawn side.
    if (canSample && rows > 0 && listColumns(j, j.sq.skipX, 0)) {
        RowFunction rowFn = normalRowKernelFor(j, t.mixMode);
        if (!rowFn) rowFn = rowFunctionFor(j, t.mixMode);
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

}  // namespace dro
