#include <algorithm>
#include <cmath>

#include "brush/dab_render.h"
#include "brush/dab_fixture.h"
#include "brush/mix_modes.h"

using DabTest = DabFixture;

namespace {
std::vector<uint16_t> copyOf(const uint16_t* p, size_t n) { return std::vector<uint16_t>(p, p + n); }
}  // namespace

// ---- Worked values ---------------------------------------------------------------------

TEST_F(DabTest, NormalFullCoverageOverOpaqueAndOverClear) {
    open(8, 8, 4);
    uint16_t* l2 = layer(2);
    // Opaque destination (colour irrelevant at full coverage), and a clear one.
    for (int c = 0; c < 4; ++c) px(l2, 1, 1)[c] = c == 3 ? 65535 : 12345;
    std::fill_n(px(l2, 3, 3), 4, 0);
    setSize(1);
    DRO_DrawDabGrit(1, 1, 0xFF00, 0xFF00, 0xFFFF);
    EXPECT_EQ(copyOf(px(l2, 1, 1), 4), (std::vector<uint16_t>{65278, 65278, 65278, 65535}));
    DRO_DrawDabGrit(3, 3, 0xFF00, 0x1200, 0);
    EXPECT_EQ(copyOf(px(l2, 3, 3), 4), (std::vector<uint16_t>{65280, 0x1200, 0, 65534}));
    EXPECT_EQ(dro::toolSettings().color[1], 0x1200);  // the arguments replaced the colour
}

TEST_F(DabTest, OpacityBelowHundredScalesByAlpha128) {
    open(6, 6, 2);
    dro::ToolSettings& t = dro::toolSettings();
    fillShape([](int, int) { return uint16_t{40000}; });
    setSize(1);
    t.alpha = 99, t.alpha128 = 126;
    DRO_DrawDabGrit(2, 2, 0xFF00, 0xFF00, 0xFF00);  // clear destination: oA = v * sA >> 16
    EXPECT_EQ(px(layer(2), 2, 2)[3], ((40000u * 126 >> 7) * 65535u) >> 16);
    t.alpha = 100, t.alpha128 = 3;  // 100 skips the scaling whatever alpha128 holds
    DRO_DrawDabGrit(4, 4, 0xFF00, 0xFF00, 0xFF00);
    EXPECT_EQ(px(layer(2), 4, 4)[3], (40000u * 65535u) >> 16);
}

TEST_F(DabTest, WhiteOverWhiteStaysWhiteInEveryHighMode) {
    open(4, 4, 2);
    fillShape([](int, int) { return uint16_t{32768}; });
    setSize(1);
    dro::ToolSettings& t = dro::toolSettings();
    t.color = {65535, 65535, 65535, 65535};
    t.mixAmount = 256, t.mixAmountRest = 0;
    for (int mode : {34, 36, 43, 45, 46, 47}) {
        std::fill_n(layer(2), 4 * 16, uint16_t{65535});
        t.mixMode = mode;
        DRO_DrawDabGrit(1, 1, 0xFFFF, 0xFFFF, 0xFFFF);
        EXPECT_EQ(copyOf(px(layer(2), 1, 1), 3), (std::vector<uint16_t>(3, 65535))) << mode;
    }
}

// ---- Locks, erase and targets ------------------------------------------------------------

TEST_F(DabTest, EraseWithBlobLockSparesFaintPixelsAndFloorsTheRest) {
    open(6, 1, 6);
    uint16_t* l2 = layer(2);
    const uint16_t alphas[6] = {0x1FFF, 0x2000, 0x3000, 65535, 0, 0x1000};
    for (int x = 0; x < 6; ++x) std::fill_n(px(l2, x, 0), 4, alphas[x]);
    dro::ToolSettings& t = dro::toolSettings();
    t.blobLocked = 1;
    DRO_SetEraseModeOn();
    DRO_DrawDabGrit(3, 0, 0, 0, 0);
    for (int x : {0, 4, 5}) EXPECT_EQ(px(l2, x, 0)[3], alphas[x]) << x;
    for (int x : {1, 2, 3}) EXPECT_EQ(px(l2, x, 0)[3], 0x2400) << x;
    EXPECT_EQ(px(l2, 3, 0)[0], 65535);  // colour untouched
    EXPECT_EQ(t.eraseModeOn, 0);
    // Without the lock full coverage erases to 0.
    DRO_SetEraseModeOn();
    t.blobLocked = 0;
    DRO_DrawDabGrit(3, 0, 0, 0, 0);
    for (int x = 0; x < 6; ++x) EXPECT_EQ(px(l2, x, 0)[3], 0) << x;
}

TEST_F(DabTest, ColorLockOnAPaintStrokeChangesOnlyAlpha) {
    open(5, 5, 3);
    makePaintLayer();
    uint16_t* p = dro::paintLayer().layer.pixels.get();
    for (int i = 0; i < 25; ++i) p[i * 4] = 111, p[i * 4 + 1] = 222, p[i * 4 + 2] = 333, p[i * 4 + 3] = 20000;
    dro::toolSettings().colorLocked = 1;
    DRO_DrawDabGrit(2, 2, 0xFF00, 0xFF00, 0xFF00);
    EXPECT_EQ(copyOf(px(p, 2, 2), 3), (std::vector<uint16_t>{111, 222, 333}));
    EXPECT_GT(px(p, 2, 2)[3], 20000);
    // The paint layer took the dab; its extents and the dirty rectangle grew.
    EXPECT_EQ(dro::paintLayer().layer.extents, (dro::Rect{1, 1, 4, 4}));
    EXPECT_EQ(dro::undoStore().dirtyRect, (dro::Rect{1, 1, 4, 4}));
}

TEST_F(DabTest, BackgroundAndLockedLayersKeepAlpha) {
    for (int current : {1, 2}) {
        open(4, 4, 2, current);
        if (current == 2) DRO_SetLayerOptions(2, 1, 1, 100, "Normal");  // layer alpha lock
        uint16_t* l = layer(current);
        std::fill_n(l, 64, uint16_t{30000});
        DRO_DrawDabGrit(1, 1, 0xFF00, 0, 0);
        EXPECT_NE(px(l, 1, 1)[0], 30000) << current;
        EXPECT_EQ(px(l, 1, 1)[3], 30000) << current;
        dro::resetEngine();
    }
    open(4, 4, 2, 2);
    dro::toolSettings().toolAlphaLocked = 1;
    std::fill_n(layer(2), 64, uint16_t{30000});
    DRO_DrawDabGrit(1, 1, 0xFF00, 0, 0);
    EXPECT_EQ(px(layer(2), 1, 1)[3], 30000);
}

TEST_F(DabTest, MaskCapsAlphaOnThePaintLayerInsteadOfCoverage) {
    open(4, 1, 4);
    makePaintLayer();
    std::vector<uint16_t> mask = {65535, 40000, 0, 1000};
    DRO_SetMaskData16(mask.data());
    DRO_DrawDabGrit(2, 0, 0xFF00, 0xFF00, 0xFF00);
    const uint16_t* p = dro::paintLayer().layer.pixels.get();
    EXPECT_EQ(p[3], 65534);
    EXPECT_EQ(p[7], 40000);
    EXPECT_EQ(p[11], 0);
    EXPECT_EQ(p[15], 1000);
    EXPECT_EQ(p[8], 65280);  // colour laid at full coverage even where the mask is 0

    // Straight into the layer the mask scales coverage, and 0 protects.
    dro::paintLayer().layer.pixels.reset();
    DRO_DrawDabGrit(2, 0, 0xFF00, 0xFF00, 0xFF00);
    EXPECT_EQ(px(layer(2), 2, 0)[3], 0);
    EXPECT_EQ(px(layer(2), 1, 0)[3], (((40000u * 65535) >> 16) * 65535) >> 16);
}

TEST_F(DabTest, MaskMakerPaintsTheMaskAndKeepsEraseSet) {
    open(6, 6, 4);
    dro::toolSettings().color = {0, 0, 0, 65535};
    std::vector<uint16_t> zero(36, 0);
    DRO_SetMaskData16(zero.data());
    const auto before = layerPixels(2, 6, 6);
    DRO_SetMaskMakerOn();
    DRO_SetEraseModeOn();
    DRO_DrawDabGrit(2, 2, 0x3000, 0x3000, 0x3000);  // erase makes the mask value 65535
    const auto mask = maskValues(6, 6);
    const uint16_t full = ((65535u * 65535u) >> 8) >> 8;  // full coverage from 0 towards 65535
    EXPECT_EQ(mask[2 * 6 + 2], full);
    EXPECT_EQ(mask[0], full);           // (0,0) is the square's top-left
    EXPECT_EQ(mask[4 * 6 + 4], 0);      // outside the 4 x 4 square
    EXPECT_EQ(layerPixels(2, 6, 6), before);
    EXPECT_EQ(dro::toolSettings().eraseModeOn, 1);
    EXPECT_EQ(dro::toolSettings().maskMakerOn, 1);
    EXPECT_EQ(dro::toolSettings().color[0], 0x3000);
}

TEST_F(DabTest, DabsOffTheCanvasPaintNothingButMeetTheDirtyBounds) {
    open(10, 10, 8);
    const auto before = layerPixels(2, 10, 10);
    DRO_DrawDabGrit(-50, -50, 0xFF00, 0, 0);
    DRO_DrawDabGrit(400, 3, 0xFF00, 0, 0);
    EXPECT_EQ(layerPixels(2, 10, 10), before);
    const dro::Rect d = dro::undoStore().dirtyRect;
    EXPECT_EQ(d.left, 0);   // the clipped left of the first dab
    EXPECT_EQ(d.top, 0);
    EXPECT_EQ(d.right, 10);  // the second dab's right, clamped to the width
    EXPECT_EQ(d.bottom, 7);
}

// ---- Against the plain reference ---------------------------------------------------------

struct Scenario {
    int mode;
    bool paintLayer, fromBuffer, pickUp, mask, texture, grain, rotate, erase;
};

class DabReferenceTest : public DabFixture {
protected:
    // One random dab under the given scenario, compared with the reference.
    void check(const Scenario& s, int w, int h, int m, int size, int scaleSize, int x, int y, uint32_t seed) {
        rng = seed;
        open(w, h, m);
        fillRandom(layer(2), size_t(w) * h * 4);
        if (s.paintLayer) {
            makePaintLayer();
            fillRandom(dro::paintLayer().layer.pixels.get(), size_t(w) * h * 4);
        }
        fillRandom(blendBuffer(), size_t(m) * m * 4);
        fillShape([&](int, int) { return next() % 4 == 0 ? uint16_t{0} : any16(); });
        if (s.mask) {
            std::vector<uint16_t> mk(size_t(w) * h);
            for (auto& v : mk) v = next() % 3 == 0 ? 65535 : any16();
            DRO_SetMaskData16(mk.data());
        } else {
            DRO_EnableMask(0);
        }
        if (s.texture) makeTexture();
        dro::ToolSettings& t = dro::toolSettings();
        setSize(size, scaleSize);
        t.mixMode = s.mode;
        t.mixAmount = static_cast<int>(next() % 257), t.mixAmountRest = 256 - t.mixAmount;
        t.mixContrast16 = static_cast<int>(next() % 20);
        for (auto& ch : t.colorBanks)
            for (auto& v : ch) v = any16();
        t.alpha = static_cast<int>(next() % 2 ? 100 : next() % 100);
        t.alpha128 = static_cast<int>(t.alpha * 1.28);
        t.blendStrength = s.fromBuffer ? static_cast<int>(1 + next() % 256) : 0;
        t.blendStrengthRest = 256 - t.blendStrength;
        t.blendRemix = s.pickUp;
        t.blendPrimaryColorStrength = static_cast<int>(next() % 3 == 0 ? 0 : next() % 257);
        t.blendPrimaryColorRest = 256 - t.blendPrimaryColorStrength;
        t.imageBrushMode = static_cast<int>(next() % 2);
        t.solidBrushMode = next() % 6 == 0;
        t.alphaLevel = next() % 5 == 0 ? static_cast<int>(next() % 65536) : 0;
        t.blobLocked = next() % 5 == 0;
        t.colorLocked = next() % 7 == 0;
        t.colorVary = next() % 3 == 0 ? static_cast<int>(next() % 200) : 0;
        t.pixColorVary = next() % 3 == 0 ? static_cast<int>(1 + next() % 200) : 0;
        t.pixLumVary = next() % 3 == 0 ? static_cast<int>(1 + next() % 200) : 0;
        if (scaleSize > dro::kDabParallelRows) t.pixColorVary = t.pixLumVary = 0;  // per-thread streams
        dro::MakeRandArrayByte(dro::brushBuffers().pixelColorTable, 1000, 3 * m);
        dro::MakeRandArrayByte(dro::brushBuffers().pixelBrightnessTable, 256, 3 * m);
        if (s.grain) {
            t.grainCellSize = 3;
            t.drawingLength = 1000;  // no grain change during the dab
            dro::BrushBuffers& b = dro::brushBuffers();
            for (int i = 0; i < (m + 25) * (m + 25); ++i) b.grain[19][i] = static_cast<uint8_t>(next());
            b.grainBuffer = 19;
            b.grainOffset = static_cast<int>(next() % 25) * m + static_cast<int>(next() % 25);
            t.densityLimit = static_cast<int>(next() % 256);
        }
        if (s.rotate) {
            t.rotateBrushMode = 1;
            t.rotateRadians = static_cast<float>((next() % 360) * (1.0 / 180) * 3.14159);
            t.rotateSin = std::sin(t.rotateRadians), t.rotateCos = std::cos(t.rotateRadians);
        }
        t.eraseModeOn = s.erase;
        t.color = {static_cast<uint16_t>(next() & 0xFF00), static_cast<uint16_t>(next() & 0xFF00),
                   static_cast<uint16_t>(next() & 0xFF00), 65535};

        dabref::Inputs in = capture();
        dro::seedRandom(seed);
        dabref::dab(in, x, y);
        dro::seedRandom(seed);
        DRO_DrawDabGrit(x, y, t.color[0], t.color[1], t.color[2]);

        const std::vector<uint16_t> got = copyOf(target(), size_t(w) * h * 4);
        ASSERT_EQ(got.size(), in.target.size());
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i], in.target[i]) << "mode " << s.mode << " pixel " << (i / 4) % w << "," << i / 4 / w
                                            << " channel " << i % 4 << " seed " << seed;
        }
        EXPECT_EQ(copyOf(blendBuffer(), size_t(m) * m * 4), in.buffer) << "blend buffer, mode " << s.mode;
        dro::resetEngine();
    }
};

TEST_F(DabReferenceTest, EveryModeMatchesBitForBit) {
    std::vector<int> modes = {0, 5, 32, 33, 34, 49, 100, 248, 263, 424, 426};
    modes.insert(modes.end(), dro::mix::kMixModeIds.begin(), dro::mix::kMixModeIds.end());
    uint32_t seed = 1;
    for (int mode : modes) {
        for (int variant = 0; variant < 6; ++variant, ++seed) {
            Scenario s{mode, variant % 2 == 1, variant >= 2, variant >= 4, variant != 3, variant % 3 == 0,
                       variant == 1 || variant == 4, variant == 5, false};
            // Odd sizes, unaligned starts, squares over each edge.
            const int size = 5 + static_cast<int>(seed % 11);
            const int x = static_cast<int>(seed * 7 % 23) - 3, y = static_cast<int>(seed * 5 % 19) - 3;
            check(s, 21, 17, 16, std::min(size, 16), std::max(1, size - static_cast<int>(seed % 4)), x, y, seed);
            if (HasFatalFailure()) return;
        }
    }
}

TEST_F(DabReferenceTest, ErasingMatchesInLowAndHighModes) {
    uint32_t seed = 500;
    for (int mode : {32, 33, 34, 40, 256, 340}) {
        for (bool fromBuffer : {false, true}) {
            check({mode, seed % 2 == 0, fromBuffer, false, true, false, false, false, true}, 13, 11, 12, 9, 9, 6, 5, seed);
            ++seed;
            if (HasFatalFailure()) return;
        }
    }
}

TEST_F(DabReferenceTest, ParallelRowsMatchTheSerialWalk) {
    // More than 35 rows: the rows are shared among threads; without per-pixel random
    // streams the result is the reference's exactly.
    uint32_t seed = 900;
    for (int mode : {32, 33, 44, 252}) {
        for (bool fromBuffer : {false, true}) {
            rng = seed;
            Scenario s{mode, fromBuffer, fromBuffer, fromBuffer, true, true, true, false, false};
            check(s, 90, 70, 64, 64, 61, 40, 33, seed++);
            if (HasFatalFailure()) return;
        }
    }
}

// ---- Bounds --------------------------------------------------------------------------------

TEST_F(DabTest, OversizedBrushesStayInsideEveryPlane) {
    open(30, 20, 8);
    dro::ToolSettings& t = dro::toolSettings();
    // A size far above maxBrushSize and a scale size above the table's 1000 entries:
    // the dab must read only the 8 x 8 shape, grain and buffer (the sanitizer build
    // checks), and write only the canvas.
    t.size = 5000;
    t.scaleSize = 4000;
    for (int i = 0; i < dro::kScaleTableLength; ++i) t.scaleTable[i] = i * 5;
    t.grainCellSize = 4;
    t.drawingLength = 5;
    t.blendStrength = 100, t.blendStrengthRest = 156, t.blendRemix = 1;
    t.pixColorVary = 50;
    dro::MakeRandArrayByte(dro::brushBuffers().pixelColorTable, 1000, 3 * 8);
    t.rotateBrushMode = 1, t.rotateSin = 0.5f, t.rotateCos = 0.8660254f;
    DRO_DrawDabGrit(15, 10, 0xFF00, 0, 0);
    DRO_DrawDabGrit(-1000000000, 2000000000, 0xFF00, 0, 0);
    t.maskMakerOn = 1;
    DRO_DrawDabGrit(15, 10, 0xFF00, 0, 0);
    DRO_DrawDabGritMask(INT32_MIN, INT32_MAX);
    EXPECT_EQ(dro::undoStore().dirtyRect.left, 0);
    EXPECT_LE(dro::undoStore().dirtyRect.right, 30);
}

TEST_F(DabTest, NothingHappensWithoutACanvas) {
    DRO_DrawDabGrit(1, 1, 0xFF00, 0, 0);
    DRO_SetMaskMakerOn();
    DRO_DrawDabGrit(1, 1, 0xFF00, 0, 0);
    DRO_DrawDabGritMask(1, 1);
    EXPECT_EQ(dro::toolSettings().color[0], 0xFF00);
    openCanvas(4, 4, 1, 1, 4);
    DRO_DeleteImage();
    DRO_DrawDabGrit(1, 1, 0xFF00, 0, 0);
    DRO_DrawDabGritMask(1, 1);
}

// ---- Mask dabs -----------------------------------------------------------------------------

TEST_F(DabTest, MaskDabLaysTheToolValueByCoverage) {
    open(5, 5, 5);
    fillShape([](int x, int) { return static_cast<uint16_t>(x * 16000); });
    std::vector<uint16_t> mask(25, 10000);
    DRO_SetMaskData16(mask.data());
    dro::toolSettings().color = {0x8000, 0x8000, 0x8000, 65535};
    DRO_DrawDabGritMask(2, 2);
    const auto got = maskValues(5, 5);
    const int64_t s = 0xFF00 - 0x8000;
    for (int x = 0; x < 5; ++x) {
        const int64_t v = x * 16000;
        const int64_t want = (((65536 - v) * 10000 >> 8) + (v * s >> 8)) >> 8;
        EXPECT_EQ(got[2 * 5 + x], x == 0 ? 10000 : want) << x;  // coverage 0 skips
    }
    // Dark tool colours give a fully editable value.
    dro::toolSettings().color = {0, 0x100, 0, 65535};
    fillShape([](int, int) { return uint16_t{65535}; });
    const int64_t o = maskValues(5, 5)[12];
    DRO_DrawDabGritMask(2, 2);
    EXPECT_EQ(maskValues(5, 5)[12], ((o >> 8) + (int64_t{65535} * 65535 >> 8)) >> 8);
}

TEST_F(DabTest, MaskDabFromTheBufferKeepsItsValueWithoutAToolShare) {
    open(4, 4, 4);
    dro::ToolSettings& t = dro::toolSettings();
    t.blendStrength = 128, t.blendStrengthRest = 128, t.blendRemix = 1;
    t.blendPrimaryColorStrength = 0, t.blendPrimaryColorRest = 0;  // as at load
    uint16_t* b = blendBuffer();
    for (int j = 0; j < 4; ++j) std::fill_n(b + j * 16, 4, uint16_t{50000});
    std::vector<uint16_t> mask(16, 0);
    DRO_SetMaskData16(mask.data());
    DRO_DrawDabGritMask(2, 2);
    const auto got = maskValues(4, 4);
    EXPECT_EQ(got[5], ((65535u * 50000u) >> 8) >> 8);
    // Pick-up wrote the old mask value back, weighted with the buffer's.
    EXPECT_EQ(b[1 * 16 + 1], ((128 * 0 + 128 * 50000) >> 8) + 1);
}
