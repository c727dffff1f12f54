// A canvas with layers filled directly in 16 bits, and renders into host bitmaps.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "brush/paint_layer.h"
#include "composite/render.h"
#include "core/canvas.h"
#include "support/engine_fixture.h"

class RenderTest : public EngineTest {
protected:
    void TearDown() override {
        dro::testhooks::setRenderFastPath(true);
        dro::testhooks::setRenderThreads(true);
        dro::testhooks::setRenderVectorWidth(512);
        EngineTest::TearDown();
    }

    using Plane = std::vector<uint16_t>;

    static Plane solid(int w, int h, uint16_t r, uint16_t g, uint16_t b, uint16_t a) {
        Plane p(static_cast<size_t>(w) * h * 4);
        for (size_t i = 0; i < p.size(); i += 4) {
            p[i] = r;
            p[i + 1] = g;
            p[i + 2] = b;
            p[i + 3] = a;
        }
        return p;
    }

    // Random pixels whose alphas favour the values the rule treats specially: 0,
    // 65535, the plain-copy edge 0xFF00 and the alpha-mode thresholds.
    static Plane randomPlane(int w, int h, uint32_t seed) {
        Plane p(static_cast<size_t>(w) * h * 4);
        static const uint16_t kAlphas[] = {0, 0, 0, 65535, 65535, 0xFF00, 0xFEFF, 0x1FFE, 0x2300, 0x7FFF, 0x8000, 1};
        for (size_t i = 0; i < p.size(); i += 4) {
            for (int c = 0; c < 4; ++c) {
                seed = seed * 1664525u + 1013904223u;
                p[i + c] = static_cast<uint16_t>(seed >> 16);
            }
            if ((seed >> 3) % 3 != 0) p[i + 3] = kAlphas[(seed >> 8) % 12];
            if ((seed >> 5) % 4 == 0) {  // colours of 8-bit origin
                for (int c = 0; c < 3; ++c) p[i + c] &= 0xFF00;
            }
        }
        return p;
    }

    static void setLayer(int index, const Plane& p) { DRO_SetLayerData(p.data(), index); }

    static void fillPaintLayer(const Plane& p) {
        dro::LayerSlot& paint = dro::paintLayer().layer;
        ASSERT_FALSE(paint.empty());
        ASSERT_EQ(p.size(), static_cast<size_t>(paint.width) * paint.height * 4);
        std::memcpy(paint.pixels.get(), p.data(), p.size() * 2);
        paint.extents = {0, 0, paint.width, paint.height};
    }

    // Renders (x, y, w, h) into a bitmap of outW x outH pixels with a positive stride
    // and a guard byte pattern; untouched bytes keep 0xCD.
    static std::vector<uint8_t> renderInto(int outW, int outH, int x, int y, int w, int h) {
        std::vector<uint8_t> out(static_cast<size_t>(outW) * outH * 3, 0xCD);
        DRO_Render(out.data(), outW * 3, x, y, w, h);
        return out;
    }

    static std::vector<uint8_t> renderAll(int w, int h) {
        DRO_SetViewSize(w, h);
        return renderInto(w, h, 0, 0, w, h);
    }

    // Bytes blue, green, red of output pixel (i, j) in a bitmap of outW pixels a row.
    static const uint8_t* px(const std::vector<uint8_t>& out, int outW, int i, int j) {
        return out.data() + (static_cast<size_t>(j) * outW + i) * 3;
    }
};
