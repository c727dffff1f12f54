// A canvas with a brush set up field by field, so dab and blend-buffer tests control
// every input the dab reads.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "brush/blend_buffers.h"
#include "brush/brush_buffers.h"
#include "brush/grain.h"
#include "brush/paint_layer.h"
#include "core/texture_map.h"
#include "brush/tool_settings.h"
#include "core/canvas.h"
#include "core/mask_state.h"
#include "support/engine_fixture.h"
#include "brush/dab_reference.h"
#include "undo/undo_store.h"

class DabFixture : public EngineTest {
protected:
    int W = 0, H = 0, M = 0;
    uint32_t rng = 12345;

    uint32_t next() {
        rng = rng * 1664525u + 1013904223u;
        return rng >> 8;
    }
    uint16_t any16() { return static_cast<uint16_t>(next()); }

    // W x H canvas, background and layer 2 (current), brush box m, normal full tool.
    void open(int w, int h, int m, int current = 2) {
        W = w, H = h, M = m;
        openCanvas(w, h, 2, current, m);
        std::fill_n(layer(2), static_cast<size_t>(w) * h * 4, uint16_t{0});
        dro::ToolSettings& t = dro::toolSettings();
        t.mixMode = 32;
        t.alpha = 100;
        t.alpha128 = 128;
        t.densityLimit = 255;
        t.color = {65280, 32768, 0, 65535};
        setSize(m);
        fillShape([](int, int) { return uint16_t{65535}; });
        dro::undoStore().dirtyRect = dro::Rect{w - 1, h - 1, 0, 0};
    }

    static void setSize(int size, int scaleSize = -1) {
        dro::ToolSettings& t = dro::toolSettings();
        t.size = size;
        t.scaleSize = scaleSize < 0 ? size : scaleSize;
        const double ratio = static_cast<double>(size) / t.scaleSize;
        double run = 0.5 * ratio;
        for (int i = 0; i < t.scaleSize && i < dro::kScaleTableLength; ++i, run += ratio) t.scaleTable[i] = static_cast<int>(run);
    }

    template <class F>
    void fillShape(F f) {
        uint16_t* s = dro::brushBuffers().brushPlane.get();
        for (int y = 0; y < M; ++y)
            for (int x = 0; x < M; ++x) s[y * M + x] = f(x, y);
    }

    static uint16_t* layer(int i) { return dro::canvas().layerSlots[i].pixels.get(); }
    uint16_t* px(uint16_t* plane, int x, int y) { return plane + (static_cast<size_t>(y) * W + x) * 4; }
    static uint16_t* blendBuffer() { return dro::blendBuffers().selectedBuffer().pixels.get(); }

    void fillRandom(uint16_t* plane, size_t values, bool someClear = true) {
        for (size_t i = 0; i < values; i += 4) {
            for (int c = 0; c < 4; ++c) plane[i + c] = any16();
            const uint32_t kind = next() % 8;
            if (someClear && kind == 0) plane[i + 3] = 0;
            if (kind == 1) plane[i + 3] = 65535;
        }
    }

    void makePaintLayer() {
        dro::LayerSlot& p = dro::paintLayer().layer;
        p.pixels = dro::adoptBuffer(static_cast<uint16_t*>(std::calloc(static_cast<size_t>(W) * H * 4, 2)));
        p.width = W, p.height = H, p.rowPitch = W * 4;
        p.extents = dro::Rect{W, H, 0, 0};
    }

    void makeTexture() {
        dro::textureMap().plane = dro::adoptBuffer(static_cast<uint8_t*>(std::malloc(static_cast<size_t>(W) * H)));
        for (int i = 0; i < W * H; ++i) dro::textureMap().plane[i] = static_cast<uint8_t>(4 + next() % 247);
    }

    uint16_t* target() {
        dro::LayerSlot& p = dro::paintLayer().layer;
        return p.pixels ? p.pixels.get() : dro::canvas().currentSlot->pixels.get();
    }

    // Copies of everything the dab reads, for the reference.
    dabref::Inputs capture() {
        dabref::Inputs in;
        in.t = dro::toolSettings();
        in.W = W, in.H = H, in.M = M;
        in.target.assign(target(), target() + static_cast<size_t>(W) * H * 4);
        if (blendBuffer()) in.buffer.assign(blendBuffer(), blendBuffer() + static_cast<size_t>(M) * M * 4);
        in.shape.assign(dro::brushBuffers().brushPlane.get(), dro::brushBuffers().brushPlane.get() + M * M);
        if (in.t.grainCellSize != 0) {
            const uint8_t* g = dro::grainCursor();
            in.grain.assign(g, g + dro::grainCursorBytes());
        }
        if (const uint16_t* m = dro::activeMask()) in.mask.assign(m, m + W * H);
        if (const uint8_t* tx = dro::activeTexture()) in.texture.assign(tx, tx + W * H);
        const dro::BrushBuffers& b = dro::brushBuffers();
        if (b.pixelColorTable.data) in.colorTable.assign(b.pixelColorTable.data.get(), b.pixelColorTable.data.get() + b.pixelColorTable.length);
        if (b.pixelBrightnessTable.data)
            in.lumTable.assign(b.pixelBrightnessTable.data.get(), b.pixelBrightnessTable.data.get() + b.pixelBrightnessTable.length);
        in.paintLayer = !dro::paintLayer().layer.empty();
        const dro::Canvas& cv = dro::canvas();
        in.layerAlphaFree = cv.currentSlot && !cv.currentSlot->alphaLocked && in.t.toolAlphaLocked == 0 && cv.currentLayer >= 2;
        return in;
    }
};
