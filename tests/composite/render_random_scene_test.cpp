// The render's fast path against the plain per-pixel walk on random scenes: layer
// counts, modes, opacities, visibility, layer masks, layers of other sizes, a stroke
// in the current layer, tracing, the mask tint, all three sampling paths, clipping,
// view limits and both stride signs. The planes come in runs (transparent, opaque,
// just below and above the copy threshold, noise), so whole runs start at an opaque
// layer, end just short of one, or sit under a layer mask.
#include <algorithm>
#include <string>

#include "brush/tool_settings.h"
#include "core/blend_mode_table.h"
#include "composite/render_fixture.h"

namespace {

struct Rng {
    uint32_t state;
    uint32_t next() {
        state = state * 1664525u + 1013904223u;
        uint32_t x = state;
        x ^= x >> 15;
        x *= 0x2C1B3C6Du;
        x ^= x >> 12;
        return x;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
    bool chance(int percent) { return below(100) < percent; }
};

// Alphas the rule treats specially: none, full, the opaque-copy edge 0xFF00 and the
// values either side of it, the alpha-mode thresholds.
constexpr uint16_t kEdgeAlphas[] = {0xFF00, 0xFEFF, 0xFF01, 0xFFFE, 0x1FFE, 0x1FFF, 0x23FF, 0x2FFF,
                                    0x7F00, 0x7FFF, 0x8000, 0x8FFF, 1};

std::vector<uint16_t> runsPlane(Rng& rng, int w, int h, bool greyish) {
    std::vector<uint16_t> p(static_cast<size_t>(w) * h * 4);
    size_t i = 0;
    while (i < p.size()) {
        const int kind = rng.below(6);
        // Now and then a run as long as a tile, so that whole stretches are opaque or empty.
        const int longest = rng.chance(25) ? 160 : 48;
        const size_t run = std::min<size_t>(static_cast<size_t>(1 + rng.below(longest)), (p.size() - i) / 4);
        uint16_t colour[3];
        for (uint16_t& c : colour) c = static_cast<uint16_t>(rng.next());
        if (greyish || rng.chance(40)) {  // 8-bit colours, or a grey that masks fully
            const uint16_t g = rng.chance(50) ? 0xFFFF : static_cast<uint16_t>(rng.next() & 0xFF00);
            for (uint16_t& c : colour) c = greyish ? g : static_cast<uint16_t>(c & 0xFF00);
        }
        for (size_t k = 0; k < run; ++k, i += 4) {
            uint16_t a = 0;
            switch (kind) {
            case 0: a = 0; break;
            case 1: a = 65535; break;
            case 2: a = kEdgeAlphas[rng.below(4)]; break;
            case 3: a = kEdgeAlphas[rng.below(static_cast<int>(std::size(kEdgeAlphas)))]; break;
            default: a = static_cast<uint16_t>(rng.next()); break;
            }
            for (int c = 0; c < 3; ++c) p[i + c] = kind == 5 ? static_cast<uint16_t>(rng.next()) : colour[c];
            p[i + 3] = a;
        }
    }
    return p;
}

int randomMode(Rng& rng) {
    const int pick = rng.below(100);
    if (pick < 50) return 0;
    if (pick < 60) return dro::kModeLayerMask;
    if (pick < 70) return rng.chance(50) ? 1 : 11;  // Multiply, Overlay
    return rng.below(58) - 2;                       // every id and some outside the table
}

void fillSlot(int index, const std::vector<uint16_t>& p) {
    dro::LayerSlot& slot = dro::canvas().layerSlots[static_cast<size_t>(index)];
    ASSERT_EQ(p.size(), static_cast<size_t>(slot.width) * slot.height * 4);
    std::copy(p.begin(), p.end(), slot.pixels.get());
}

// Builds one random scene on a fresh engine; returns the canvas size.
void buildScene(Rng& rng, int& w, int& h) {
    w = 1 + rng.below(rng.chance(30) ? 300 : 70);
    h = 1 + rng.below(rng.chance(30) ? 40 : 12);
    DRO_CreateImage(nullptr, w, h, 64, 0);
    const int top = 1 + rng.below(8);
    std::vector<int> made;
    for (int i = 1; i <= top; ++i) {
        if (i > 1 && rng.chance(20)) continue;  // gaps in the slot table
        // Now and then a layer of another size, as after a new canvas size.
        const bool odd = rng.chance(10);
        const int lw = odd ? 1 + rng.below(w + 8) : w;
        const int lh = odd ? 1 + rng.below(h + 4) : h;
        ASSERT_EQ(DRO_CreateLayer(i, lw, lh), 1);
        dro::LayerSlot& slot = dro::canvas().layerSlots[static_cast<size_t>(i)];
        slot.mode = i == 1 && rng.chance(70) ? 0 : randomMode(rng);
        fillSlot(i, runsPlane(rng, lw, lh, slot.mode == dro::kModeLayerMask));
        slot.visible = static_cast<uint8_t>(rng.chance(85) ? 1 + rng.below(2) : 0);
        // Full, and either side of where opacity starts to scale alpha.
        static const uint16_t kOpacities[] = {256, 256, 256, 256, 256, 255, 255, 254, 253};
        slot.opacity = rng.chance(70) ? kOpacities[rng.below(9)] : static_cast<uint16_t>(rng.below(257));
        slot.alphaLocked = static_cast<uint8_t>(rng.chance(20));
        made.push_back(i);
    }
    DRO_SetLayer(made[static_cast<size_t>(rng.below(static_cast<int>(made.size())))]);
    DRO_SetAlphaLayerOpacity(rng.below(101));
    dro::toolSettings().toolAlphaLocked = rng.chance(15) ? 1 : 0;
    if (rng.chance(65)) {
        static const char* kStrokeModes[] = {"Normal", "Normal", "Multiply", "Overlay", "Color", "Alpha Shader",
                                             "Luminance Alpha", "Alpha Smooth Lum3", "Texturize2"};
        const char* mode = kStrokeModes[rng.below(static_cast<int>(std::size(kStrokeModes)))];
        DRO_CreatePaintLayer(rng.chance(60) ? 100 : rng.below(101), rng.chance(60) ? 100 : rng.below(101), mode);
        const dro::LayerSlot& paint = dro::paintLayer().layer;
        ASSERT_FALSE(paint.empty());
        std::copy_n(runsPlane(rng, paint.width, paint.height, false).data(),
                    static_cast<size_t>(paint.width) * paint.height * 4, paint.pixels.get());
    }
    if (rng.chance(30)) {
        ASSERT_EQ(DRO_CreateLayer(0, w, h), 1);
        fillSlot(0, runsPlane(rng, w, h, false));
        DRO_SetTracingMode(1);
    }
    if (rng.chance(30)) {
        std::vector<uint16_t> mask(static_cast<size_t>(w) * h);
        for (uint16_t& m : mask) m = rng.chance(50) ? 65535 : static_cast<uint16_t>(rng.next());
        DRO_SetMaskData16(mask.data());
        DRO_SetMaskOptions(rng.below(256), rng.below(256), rng.below(256), rng.below(256), rng.below(256),
                           rng.below(256), static_cast<uint8_t>(rng.chance(50)));
        DRO_DisplayMask(1);
    }
}

struct Frame {
    std::vector<uint8_t> bytes;
    int64_t origin = 0;  // where output row 0 starts
    int32_t stride = 0;
};

Frame renderFrame(int outW, int outH, bool upward, int pad, int x, int y, int cw, int ch, bool fast) {
    Frame f;
    const int rowBytes = outW * 3 + pad;
    f.bytes.assign(static_cast<size_t>(rowBytes) * outH + 16, 0xCD);
    f.stride = upward ? -rowBytes : rowBytes;
    f.origin = upward ? int64_t{rowBytes} * (outH - 1) : 0;
    dro::testhooks::setRenderFastPath(fast);
    DRO_Render(f.bytes.data() + f.origin, f.stride, x, y, cw, ch);
    return f;
}

}  // namespace

TEST_F(RenderTest, FastPathMatchesThePlainWalkOnRandomScenes) {
    Rng rng{20240611u};
    for (int scene = 0; scene < 150; ++scene) {
        dro::resetEngine();
        int w = 0;
        int h = 0;
        buildScene(rng, w, h);
        if (HasFatalFailure()) return;
        for (int view = 0; view < 4; ++view) {
            int zoom = 1;
            float scale = 1.0f;
            switch (rng.below(4)) {
            case 0: break;
            case 1: zoom = 2 + rng.below(3); scale = rng.chance(50) ? 1.0f : 0.5f; break;
            case 2: scale = 1.0f + static_cast<float>(1 + rng.below(300)) / 100.0f; break;
            default: zoom = 3; scale = 3.0f; break;  // equal: 1:1 again
            }
            const int x = rng.below(w + 4) - 2;
            const int y = rng.below(h + 4) - 2;
            const int cw = rng.chance(50) ? w : 1 + rng.below(w + 6);
            const int ch = rng.chance(50) ? h : 1 + rng.below(h + 6);
            // The host bitmap holds the largest output any path makes of this rectangle.
            const int outW = std::max(1, std::min(zoom * (w + 6), 1 + rng.below(zoom * (w + 6))));
            const int outH = std::max(1, std::min(zoom * (h + 6), 1 + rng.below(zoom * (h + 6))));
            DRO_SetScale(zoom, scale);
            DRO_SetViewSize(outW, outH);
            const bool upward = rng.chance(30);
            const int pad = rng.below(5);
            SCOPED_TRACE(::testing::Message() << "scene " << scene << " view " << view << ": canvas " << w << "x" << h
                                              << ", zoom " << zoom << " scale " << scale << ", rect " << x << ","
                                              << y << " " << cw << "x" << ch << ", out " << outW << "x" << outH
                                              << (upward ? " upward" : ""));
            const Frame plain = renderFrame(outW, outH, upward, pad, x, y, cw, ch, false);
            // Every build of the tiled rows this processor runs.
            for (const int bits : {512, 256, 128}) {
                dro::testhooks::setRenderVectorWidth(bits);
                if (dro::testhooks::renderVectorWidth() != bits) continue;
                const Frame fast = renderFrame(outW, outH, upward, pad, x, y, cw, ch, true);
                dro::testhooks::setRenderVectorWidth(512);
                ASSERT_EQ(fast.bytes, plain.bytes) << bits << "-bit build";
            }
        }
    }
}

// Opaque Normal layers hide everything under them: whatever lies below, the result
// is the top opaque layer and what is above it.
TEST_F(RenderTest, EverythingUnderAnOpaqueNormalLayerIsHidden) {
    const int w = 131, h = 9;
    Rng rng{77u};
    openCanvas(w, h, 5, 4);
    const Plane cover = solid(w, h, 0x3400, 0x9C00, 0xF100, 65535);
    const Plane above = runsPlane(rng, w, h, false);
    std::vector<uint8_t> reference;
    for (int trial = 0; trial < 6; ++trial) {
        for (int i = 1; i <= 3; ++i) {
            setLayer(i, runsPlane(rng, w, h, false));
            dro::canvas().layerSlots[static_cast<size_t>(i)].mode = randomMode(rng);
        }
        setLayer(4, cover);
        setLayer(5, above);
        DRO_SetLayerOptions(5, 1, 0, 100, "Multiply");
        const auto out = renderAll(w, h);
        if (trial == 0) reference = out;
        ASSERT_EQ(out, reference) << trial;
    }
    // An opacity just below full lets the layers below show again.
    DRO_SetLayerOptions(4, 1, 0, 99, "Normal");
    EXPECT_NE(renderAll(w, h), reference);
}
