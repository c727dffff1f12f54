// The display render: the specified edge cases, an independent floating-point
// reference for plain blends, agreement with the merged result after a stroke ends,
// and the tiled row path against the plain per-pixel walk.
#include <cmath>
#include <limits>

#include "composite/render_accumulator.h"
#include "composite/render_fixture.h"

namespace {

constexpr int W = 70;  // crosses a checker square boundary and a tile boundary
constexpr int H = 40;

int byteOf(double unit) { return static_cast<int>(unit * 255.0 + 0.5); }

}  // namespace

TEST_F(RenderTest, BackgroundAloneShowsItsColoursWhateverItsAlpha) {
    openCanvas(W, H);
    Plane bg = randomPlane(W, H, 7);
    setLayer(1, bg);
    const auto out = renderAll(W, H);
    for (int j = 0; j < H; ++j) {
        for (int i = 0; i < W; ++i) {
            const uint16_t* p = &bg[(static_cast<size_t>(j) * W + i) * 4];
            const uint8_t* o = px(out, W, i, j);
            ASSERT_EQ(o[0], p[2] >> 8) << i << "," << j;
            ASSERT_EQ(o[1], p[1] >> 8);
            ASSERT_EQ(o[2], p[0] >> 8);
        }
    }
}

TEST_F(RenderTest, TransparentCanvasShowsTheCheckerboard) {
    openCanvas(W, H, 2, 2);
    DRO_SetLayerOptions(1, 0, 0, 100, "Normal");
    const auto out = renderAll(W, H);
    for (int j = 0; j < H; ++j) {
        for (int i = 0; i < W; ++i) {
            const uint8_t expected = ((i / 32 + j / 32) % 2 == 0) ? 0xFF : 0x9F;
            const uint8_t* o = px(out, W, i, j);
            ASSERT_EQ(o[0], expected) << i << "," << j;
            ASSERT_EQ(o[1], expected);
            ASSERT_EQ(o[2], expected);
        }
    }
}

TEST_F(RenderTest, NormalAndMultiplyAgreeWithAFloatingPointReference) {
    openCanvas(W, H, 2, 1);
    const uint16_t bgR = 0xC800, bgG = 0x6400, bgB = 0x1E00;
    setLayer(1, solid(W, H, bgR, bgG, bgB, 65535));
    for (const char* mode : {"Normal", "Multiply"}) {
        for (uint16_t alpha : {uint16_t{0x4000}, uint16_t{0x9000}, uint16_t{0xFFFF}}) {
            const uint16_t r = 0x2000, g = 0xF000, b = 0x8000;
            setLayer(2, solid(W, H, r, g, b, alpha));
            DRO_SetLayerOptions(2, 1, 0, 100, mode);
            const auto out = renderAll(W, H);
            const double sa = alpha / 65535.0;
            const double s[3] = {r / 65280.0, g / 65280.0, b / 65280.0};
            const double d[3] = {bgR / 65280.0, bgG / 65280.0, bgB / 65280.0};
            for (int c = 0; c < 3; ++c) {
                // Destination opaque: Multiply is Sca·Dca + Dca·(1 − Sa), Normal Sca + Dca·(1 − Sa).
                const double sca = s[c] * sa;
                const double rc = std::string(mode) == "Normal" ? sca + d[c] * (1 - sa) : sca * d[c] + d[c] * (1 - sa);
                const int got = px(out, W, 5, 5)[2 - c];
                EXPECT_NEAR(got, byteOf(rc * 65280.0 / 65535.0), 1) << mode << " alpha " << alpha << " channel " << c;
            }
        }
    }
}

TEST_F(RenderTest, Texturize3LayerNeverShows) {
    openCanvas(W, H, 2, 1);
    setLayer(1, randomPlane(W, H, 3));
    const auto without = renderAll(W, H);
    setLayer(2, solid(W, H, 0xFF00, 0, 0, 65535));
    DRO_SetLayerOptions(2, 1, 0, 100, "Texturize3");
    EXPECT_EQ(renderAll(W, H), without);
}

TEST_F(RenderTest, LayerMaskScalesTheLayerBelowAndShowsNothingItself) {
    openCanvas(W, H, 3, 1);
    setLayer(1, solid(W, H, 0xFF00, 0xFF00, 0xFF00, 65535));
    setLayer(2, solid(W, H, 0xFF00, 0, 0, 65535));
    // The mask layer is grey where it covers (left half) and transparent elsewhere.
    Plane mask = solid(W, H, 0x8000, 0x8000, 0x8000, 65535);
    for (int j = 0; j < H; ++j) {
        for (int i = W / 2; i < W; ++i) mask[(static_cast<size_t>(j) * W + i) * 4 + 3] = 0;
    }
    setLayer(3, mask);
    DRO_SetLayerOptions(3, 1, 0, 100, "Layer Mask");
    const auto out = renderAll(W, H);
    // Left: red at alpha 0x8000 * 65535 >> 16 over white.
    const double sa = ((0x8000u * 65535u) >> 16) / 65535.0;
    const uint8_t* left = px(out, W, 3, 3);
    EXPECT_NEAR(left[2], 255, 1);
    EXPECT_NEAR(left[1], byteOf((1 - sa) * 65280.0 / 65535.0), 1);
    EXPECT_NEAR(left[0], byteOf((1 - sa) * 65280.0 / 65535.0), 1);
    // Right: no masking, plain opaque red.
    const uint8_t* right = px(out, W, W - 3, 3);
    EXPECT_EQ(right[2], 0xFF);
    EXPECT_EQ(right[1], 0);
    EXPECT_EQ(right[0], 0);
}

TEST_F(RenderTest, SamplingPathDependsOnlyOnHowScaleComparesWithZoom) {
    openCanvas(W, H, 2, 2);
    setLayer(1, randomPlane(W, H, 11));
    setLayer(2, randomPlane(W, H, 12));
    DRO_SetScale(1, 1.0f);
    const auto oneToOne = renderAll(W, H);
    DRO_SetScale(2, 2.0f);
    EXPECT_EQ(renderAll(W, H), oneToOne);
}

TEST_F(RenderTest, ZoomInRepeatsEachCanvasPixel) {
    openCanvas(W, H, 2, 2);
    setLayer(1, randomPlane(W, H, 21));
    setLayer(2, randomPlane(W, H, 22));
    const auto base = renderAll(W, H);
    const int zoom = 3;
    const int x = 5, y = 4, w = 20, h = 9;
    const int outW = 50, outH = 30;  // the view cuts the zoomed 60 x 27 to 50 x 27
    DRO_SetScale(zoom, 1.0f);
    DRO_SetViewSize(outW, outH);
    const auto out = renderInto(outW, outH, x, y, w, h);
    for (int j = 0; j < outH; ++j) {
        for (int i = 0; i < outW; ++i) {
            const uint8_t* o = px(out, outW, i, j);
            if (j >= zoom * h) {
                ASSERT_EQ(o[0], 0xCD) << "row " << j << " lies below the zoomed rectangle";
                continue;
            }
            const uint8_t* b = px(base, W, x + i / zoom, y + j / zoom);
            ASSERT_EQ(0, std::memcmp(o, b, 3)) << i << "," << j;
        }
    }
}

TEST_F(RenderTest, ZoomOutTakesOneCanvasPixelPerScaleStep) {
    openCanvas(W, H, 2, 2);
    setLayer(1, randomPlane(W, H, 31));
    setLayer(2, randomPlane(W, H, 32));
    const auto base = renderAll(W, H);
    const int x = 3, y = 2, w = 61, h = 37;
    DRO_SetScale(1, 2.0f);
    DRO_SetViewSize(W, H);
    const auto out = renderInto(W, H, x, y, w, h);
    // The last column is trunc(x + w / S − 1), the last row trunc(y + h / S − 1).
    const int cols = static_cast<int>(x + w / 2.0f - 1) - x + 1;
    const int rows = static_cast<int>(y + h / 2.0f - 1) - y + 1;
    for (int j = 0; j < H; ++j) {
        for (int i = 0; i < W; ++i) {
            const uint8_t* o = px(out, W, i, j);
            if (i >= cols || j >= rows) {
                ASSERT_EQ(o[0], 0xCD) << i << "," << j;
                continue;
            }
            ASSERT_EQ(0, std::memcmp(o, px(base, W, x + 2 * i, y + 2 * j), 3)) << i << "," << j;
        }
    }
}

TEST_F(RenderTest, MaskTintOnDisplay) {
    openCanvas(W, H);
    setLayer(1, solid(W, H, 0xFF00, 0xFF00, 0xFF00, 65535));
    std::vector<uint16_t> mask(static_cast<size_t>(W) * H, 65535);
    mask[static_cast<size_t>(1) * W + 1] = 0;    // in a square with p = 0
    mask[static_cast<size_t>(1) * W + 33] = 0;   // p = 1
    DRO_SetMaskData16(mask.data());
    DRO_SetMaskOptions(200, 0, 0, 0, 0, 100, 0);
    DRO_EnableMask(1);
    DRO_DisplayMask(1);
    auto out = renderAll(W, H);
    // Half strength: halfway between white and the tint (the second colour on p = 0).
    const uint8_t* even = px(out, W, 1, 1);
    EXPECT_NEAR(even[2], (255 + 0) / 2, 1);
    EXPECT_NEAR(even[0], (255 + 100) / 2, 1);
    const uint8_t* odd = px(out, W, 33, 1);
    EXPECT_NEAR(odd[2], (255 + 200) / 2, 1);
    EXPECT_NEAR(odd[0], (255 + 0) / 2, 1);
    // Fully selected pixels are not tinted.
    EXPECT_EQ(px(out, W, 2, 1)[0], 0xFF);

    DRO_SetMaskOptions(200, 0, 0, 0, 0, 100, 1);  // full range: only the tint colour
    out = renderAll(W, H);
    EXPECT_NEAR(px(out, W, 1, 1)[0], 100, 1);
    EXPECT_NEAR(px(out, W, 1, 1)[2], 0, 1);
    EXPECT_NEAR(px(out, W, 33, 1)[2], 200, 1);

    DRO_EnableMask(0);  // the tint needs the mask in force as well
    out = renderAll(W, H);
    EXPECT_EQ(px(out, W, 1, 1)[0], 0xFF);
}

TEST_F(RenderTest, TracingAveragesTheTracingImageIn) {
    openCanvas(W, H);
    ASSERT_EQ(DRO_CreateLayer(0, W, H), 1);
    setLayer(1, solid(W, H, 0xFF00, 0x0000, 0x8000, 65535));
    setLayer(0, solid(W, H, 0x0000, 0xFF00, 0x8000, 65535));
    const auto plain = renderAll(W, H);
    EXPECT_EQ(px(plain, W, 0, 0)[1], 0);
    DRO_SetTracingMode(1);
    const auto traced = renderAll(W, H);
    EXPECT_EQ(px(traced, W, 0, 0)[2], 0x7F);
    EXPECT_EQ(px(traced, W, 0, 0)[1], 0x7F);
    EXPECT_EQ(px(traced, W, 0, 0)[0], 0x80);
}

// The stroke shown during painting is the stroke that merging leaves in the layer:
// inside its layer, under every layer above.
TEST_F(RenderTest, StrokeInProgressMatchesTheMergedLayer) {
    for (const char* mode : {"Normal", "Multiply", "Overlay", "Color", "HSL Hue", "Alpha Shader", "Luminance Alpha"}) {
        for (uint8_t locked : {uint8_t{0}, uint8_t{1}}) {
            SCOPED_TRACE(std::string(mode) + (locked ? " alpha locked" : ""));
            dro::resetEngine();
            openCanvas(W, H, 3, 2);
            setLayer(1, randomPlane(W, H, 41));
            setLayer(2, randomPlane(W, H, 42));
            Plane upper = randomPlane(W, H, 43);
            setLayer(3, upper);
            DRO_SetLayerOptions(2, 1, locked, 90, "Normal");
            DRO_CreatePaintLayer(70, 85, mode);
            fillPaintLayer(randomPlane(W, H, 44));
            const auto during = renderAll(W, H);
            DRO_MergePaintLayer(2);
            EXPECT_EQ(renderAll(W, H), during);
        }
    }
}

TEST_F(RenderTest, StrokeIsHiddenWithAHiddenCurrentLayer) {
    openCanvas(W, H, 2, 2);
    setLayer(1, randomPlane(W, H, 51));
    DRO_SetLayerOptions(2, 0, 0, 100, "Normal");
    const auto without = renderAll(W, H);
    DRO_CreatePaintLayer(100, 100, "Normal");
    fillPaintLayer(solid(W, H, 0xFF00, 0, 0, 65535));
    EXPECT_EQ(renderAll(W, H), without);
}

TEST_F(RenderTest, StrokeOverTransparentLayerPixelsShows) {
    openCanvas(W, H, 2, 2);
    setLayer(1, solid(W, H, 0xFF00, 0xFF00, 0xFF00, 65535));
    DRO_CreatePaintLayer(100, 100, "Normal");
    fillPaintLayer(solid(W, H, 0, 0, 0xFF00, 65535));
    const auto out = renderAll(W, H);
    EXPECT_EQ(px(out, W, 10, 10)[0], 0xFF);
    EXPECT_EQ(px(out, W, 10, 10)[1], 0);
    EXPECT_EQ(px(out, W, 10, 10)[2], 0);
}

TEST_F(RenderTest, NegativeStrideWritesRowsUpward) {
    openCanvas(W, H, 2, 2);
    setLayer(1, randomPlane(W, H, 61));
    setLayer(2, randomPlane(W, H, 62));
    const auto down = renderAll(W, H);
    std::vector<uint8_t> up(down.size(), 0);
    DRO_Render(up.data() + static_cast<size_t>(H - 1) * W * 3, -W * 3, 0, 0, W, H);
    for (int j = 0; j < H; ++j) {
        ASSERT_EQ(0, std::memcmp(px(down, W, 0, j), px(up, W, 0, H - 1 - j), W * 3)) << j;
    }
}

// Every mode, opacity, layer mask, stroke, tracing and tint at once, on all three
// sampling paths: the tiled path gives the plain walk's bytes.
TEST_F(RenderTest, TiledRowsMatchThePlainPerPixelWalk) {
    const int w = 301, h = 23;  // odd width: partial tiles
    openCanvas(w, h, 6, 3);
    ASSERT_EQ(DRO_CreateLayer(0, w, h), 1);
    for (int i = 0; i <= 6; ++i) setLayer(i, randomPlane(w, h, 100 + i));
    std::vector<uint16_t> mask(static_cast<size_t>(w) * h);
    uint32_t seed = 5;
    for (auto& m : mask) m = static_cast<uint16_t>((seed = seed * 1664525u + 1013904223u) >> 16) | ((seed >> 3) & 1 ? 0xFFFF : 0);
    DRO_SetMaskData16(mask.data());
    DRO_SetMaskOptions(10, 200, 30, 250, 5, 90, 0);
    DRO_DisplayMask(1);
    DRO_SetTracingMode(1);
    DRO_SetAlphaLayerOpacity(60);
    DRO_CreatePaintLayer(80, 60, "Overlay");
    fillPaintLayer(randomPlane(w, h, 99));

    struct View {
        int zoom;
        float scale;
        int x, y, cw, ch;
    };
    const View views[] = {{1, 1.0f, 0, 0, w, h}, {3, 1.0f, 7, 2, 150, 15}, {1, 1.7f, 5, 1, 290, 22},
                          {1, 3.0f, 0, 0, w, h}};
    for (int mode = -1; mode <= 55; ++mode) {
        // Layer 2 under the current layer takes every id; a Layer Mask above the
        // current layer 3 and above layer 5 alternately.
        dro::canvas().layerSlots[2].mode = mode;
        dro::canvas().layerSlots[4].mode = (mode % 2) ? 51 : 11;
        dro::canvas().layerSlots[5].mode = (mode % 3) ? 44 : 1;
        dro::canvas().layerSlots[6].mode = (mode % 4) == 0 ? 51 : 22;
        dro::canvas().layerSlots[3].opacity = static_cast<uint16_t>(mode * 5 % 257);
        dro::paintLayer().layer.mode = (mode + 13) % 54;
        for (const View& v : views) {
            SCOPED_TRACE(::testing::Message() << "mode " << mode << " zoom " << v.zoom << " scale " << v.scale);
            DRO_SetScale(v.zoom, v.scale);
            DRO_SetViewSize(w, h);
            dro::testhooks::setRenderFastPath(true);
            const auto fast = renderInto(w, h, v.x, v.y, v.cw, v.ch);
            dro::testhooks::setRenderFastPath(false);
            const auto plain = renderInto(w, h, v.x, v.y, v.cw, v.ch);
            ASSERT_EQ(fast, plain);
        }
    }
}

TEST_F(RenderTest, ThreadedRenderGivesTheSameBytes) {
    const int w = 400, h = 300;
    openCanvas(w, h, 3, 2);
    for (int i = 1; i <= 3; ++i) setLayer(i, randomPlane(w, h, 200 + i));
    DRO_CreatePaintLayer(100, 100, "Normal");
    fillPaintLayer(randomPlane(w, h, 204));
    for (float scale : {1.0f, 0.5f, 1.3f}) {
        DRO_SetScale(1, scale);
        dro::testhooks::setRenderThreads(true);
        const auto threaded = renderAll(w, h);
        dro::testhooks::setRenderThreads(false);
        EXPECT_EQ(renderAll(w, h), threaded) << scale;
    }
}

TEST_F(RenderTest, WritesNothingWithoutSomethingToShowOrSomewhereToShowIt) {
    std::vector<uint8_t> out(W * H * 3, 0xCD);
    const std::vector<uint8_t> untouched = out;
    DRO_SetViewSize(W, H);
    DRO_Render(out.data(), W * 3, 0, 0, W, H);  // before any canvas
    EXPECT_EQ(out, untouched);
    DRO_CreateImage(nullptr, W, H, 32, 0);
    DRO_Render(out.data(), W * 3, 0, 0, W, H);  // no current layer
    EXPECT_EQ(out, untouched);
    ASSERT_EQ(DRO_CreateLayer(1, W, H), 1);
    DRO_SetLayerOptions(1, 1, 0, 100, "Normal");
    DRO_SetLayer(1);
    DRO_Render(nullptr, W * 3, 0, 0, W, H);
    DRO_SetViewSize(0, 0);
    DRO_Render(out.data(), W * 3, 0, 0, W, H);
    EXPECT_EQ(out, untouched);
    DRO_SetViewSize(W, H);
    DRO_Render(out.data(), W * 3, W, 0, 10, 10);  // right of the canvas
    DRO_Render(out.data(), W * 3, 0, 0, 0, H);
    for (float scale : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        DRO_SetScale(1, scale);
        DRO_Render(out.data(), W * 3, 0, 0, W, H);
    }
    DRO_SetScale(0, -1.0f);  // zooming in by nothing
    DRO_Render(out.data(), W * 3, 0, 0, W, H);
    EXPECT_EQ(out, untouched);
}

TEST_F(RenderTest, RectangleIsClippedToTheCanvasAndTheView) {
    openCanvas(W, H);
    setLayer(1, randomPlane(W, H, 71));
    const auto base = renderAll(W, H);
    DRO_SetViewSize(10, 8);
    const auto out = renderInto(W, H, -5, -9, 1000, 1000);  // becomes 0, 0, W, H; the view cuts it
    for (int j = 0; j < H; ++j) {
        for (int i = 0; i < W; ++i) {
            const uint8_t* o = px(out, W, i, j);
            if (i < 10 && j < 8) {
                ASSERT_EQ(0, std::memcmp(o, px(base, W, i, j), 3));
            } else {
                ASSERT_EQ(o[0], 0xCD);
            }
        }
    }
}

// After a new size the layers keep their old planes until the host recreates them;
// the render reads what lies outside a plane as transparent, never past it.
TEST_F(RenderTest, LayersSmallerThanTheCanvasAreNeverOverrun) {
    openCanvas(20, 10, 2, 2);
    setLayer(1, solid(20, 10, 0xFF00, 0, 0, 65535));
    DRO_NewSize(nullptr, 50, 30, 32, 0);
    DRO_SetLayer(2);
    DRO_CreatePaintLayer(100, 100, "Normal");
    const auto out = renderAll(50, 30);
    EXPECT_EQ(px(out, 50, 5, 5)[2], 0xFF);
    EXPECT_EQ(px(out, 50, 40, 5)[2], 0x00);  // opaque background pixel read as black
}

// The copy path reads its quotients from tables; they must be the divisions' floats.
TEST(RenderQuotients, TablesHoldTheDivisionsExactly) {
    for (uint32_t v = 0; v <= 65535u; ++v) {
        volatile float c = static_cast<float>(v) / 65280.0f;
        volatile float a = static_cast<float>(v) / 65535.0f;
        ASSERT_EQ(dro::colourUnit(v), c) << v;
        ASSERT_EQ(dro::alphaUnit(v), a) << v;
    }
    EXPECT_EQ(dro::colourUnit(70000), 70000.0f / 65280.0f);
}
