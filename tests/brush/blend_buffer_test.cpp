#include <algorithm>

#include "brush/blend_buffer_ops.h"
#include "brush/dab_fixture.h"
#include "brush/mix_modes.h"

class BlendBufferTest : public DabFixture {
protected:
    void openBlending(int w, int h, int m) {
        open(w, h, m);
        dro::toolSettings().blendStrength = 128;
        dro::toolSettings().blendStrengthRest = 128;
        dro::toolSettings().size = m;
    }
    uint16_t* bpx(int i, int j) { return blendBuffer() + (static_cast<size_t>(j) * M + i) * 4; }
    std::vector<uint16_t> bvec(int i, int j) { return std::vector<uint16_t>(bpx(i, j), bpx(i, j) + 4); }
};

TEST_F(BlendBufferTest, SelectionClampsIntoTheCount) {
    openBlending(4, 4, 4);
    DRO_SetBlendBufferCount(3);
    DRO_SelectBlendBuffer(-3);
    EXPECT_EQ(dro::blendBuffers().selected, 0);
    DRO_SelectBlendBuffer(25);
    EXPECT_EQ(dro::blendBuffers().selected, 2);
    DRO_SetBlendBufferCount(99);  // at most 20, and buffer 0 is selected again
    EXPECT_EQ(dro::blendBuffers().count, 20);
    EXPECT_EQ(dro::blendBuffers().selected, 0);
    DRO_SetBlendBufferCount(0);
    DRO_SelectBlendBuffer(5);
    EXPECT_EQ(dro::blendBuffers().selected, 0);
    DRO_ClearBlendBuffer();  // no buffer: nothing to do
    DRO_CopyBlendBufferSurface(1, 1, 0, 0);
}

TEST_F(BlendBufferTest, ClearAndFillCoverTheWholeBuffer) {
    openBlending(4, 4, 6);
    const size_t values = 6 * 6 * 4;
    DRO_FillBlendBuffer(1, 2, 3, 0x1AB);
    EXPECT_TRUE(std::all_of(blendBuffer(), blendBuffer() + values, [](uint16_t v) { return v == 0xABAB; }));
    DRO_ClearBlendBuffer();
    EXPECT_TRUE(std::all_of(blendBuffer(), blendBuffer() + values, [](uint16_t v) { return v == 0; }));
    // A new count comes with cleared buffers too.
    DRO_FillBlendBuffer(0, 0, 0, 0xFF);
    DRO_SetBlendBufferCount(2);
    DRO_SelectBlendBuffer(1);
    EXPECT_TRUE(std::all_of(blendBuffer(), blendBuffer() + values, [](uint16_t v) { return v == 0; }));
}

TEST_F(BlendBufferTest, CopyWithoutToolShareIsTheSourcePlusOne) {
    openBlending(8, 8, 4);
    fillRandom(layer(2), 8 * 8 * 4, false);
    for (int i = 0; i < 64; ++i) layer(2)[i * 4 + 3] = static_cast<uint16_t>(1 + i * 1000);
    DRO_CopyBlendBufferSurface(4, 4, 0, 0);  // square (2,2)..(5,5), inside the canvas
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
            const uint16_t* s = px(layer(2), 2 + i, 2 + j);
            for (int c = 0; c < 3; ++c) EXPECT_EQ(bpx(i, j)[c], std::min(s[c] + 1, 0xFF00));
            EXPECT_EQ(bpx(i, j)[3], s[3]);
        }
    }
    // The same through the host-block form.
    const auto before = std::vector<uint16_t>(blendBuffer(), blendBuffer() + 64);
    DRO_ClearBlendBuffer();
    DRO_DoCopyBlendBuffer(4, 4, layer(2), 0, 0);
    EXPECT_EQ(std::vector<uint16_t>(blendBuffer(), blendBuffer() + 64), before);
}

TEST_F(BlendBufferTest, CopyOverTheEdgeFillsOffCanvasPixelsWithTheTool) {
    openBlending(6, 6, 4);
    dro::toolSettings().color = {0x1100, 0x2200, 0x3300, 65535};
    std::fill_n(layer(2), 6 * 6 * 4, uint16_t{40000});
    DRO_CopyBlendBufferSurface(0, 0, 64, 0);  // square (-2,-2)..(1,1)
    EXPECT_EQ(bvec(0, 0), (std::vector<uint16_t>{0x1100, 0x2200, 0x3300, 64 << 8}));
    EXPECT_EQ(bvec(1, 3), (std::vector<uint16_t>{0x1100, 0x2200, 0x3300, 64 << 8}));
    const uint16_t mixed = static_cast<uint16_t>(((40000 * 192 + 0x1100 * 64) >> 8) + 1);
    EXPECT_EQ(bvec(2, 2)[0], mixed);
    EXPECT_EQ(bvec(2, 2)[3], (40000 * 192 + 65535 * 64) >> 8);
    // All tool colour: the off-canvas alpha saturates instead of wrapping to 0.
    DRO_CopyBlendBufferSurface(0, 0, 256, 0);
    EXPECT_EQ(bvec(0, 0)[3], 65535);
    // keepColorOutside: off-canvas pixels keep their colour and become opaque.
    bpx(0, 0)[0] = 7;
    DRO_CopyBlendBufferSurface(0, 0, 64, 1);
    EXPECT_EQ(bvec(0, 0), (std::vector<uint16_t>{7, 0x2200, 0x3300, 65535}));
}

TEST_F(BlendBufferTest, CopyReadsAlphaThroughTheMaskAndTransparencyAsTool) {
    openBlending(4, 4, 2);
    dro::toolSettings().color = {0x0100, 0x0200, 0x0300, 65535};
    std::fill_n(layer(2), 64, uint16_t{60000});
    std::vector<uint16_t> mask(16, 65535);
    mask[1 * 4 + 1] = 0;
    mask[1 * 4 + 2] = 30000;
    DRO_SetMaskData16(mask.data());
    DRO_CopyBlendBufferSurface(2, 2, 10, 0);  // square (1,1)..(2,2)
    EXPECT_EQ(bvec(0, 0), (std::vector<uint16_t>{0x0100, 0x0200, 0x0300, 10 << 8}));
    const uint32_t masked = 60000u * ((30000u * 65535u) >> 16) / 65535u;
    EXPECT_EQ(bvec(1, 0)[3], (masked * 246 + 65535 * 10) >> 8);
    EXPECT_EQ(bvec(0, 1)[3], (60000 * 246 + 65535 * 10) >> 8);
}

TEST_F(BlendBufferTest, NothingMovesWhileBlendStrengthIsZero) {
    openBlending(4, 4, 4);
    dro::toolSettings().blendStrength = 0;
    fillRandom(layer(2), 64);
    DRO_CopyBlendBufferSurface(2, 2, 0, 0);
    DRO_MixBlendBufferSurface(2, 2, 100);
    DRO_DoColorBlendBuffer(2, 2, 255, 255, 255, 0, 256);
    DRO_DoCopyBlendBufferMask(2, 2, 0);
    EXPECT_TRUE(std::all_of(blendBuffer(), blendBuffer() + 64, [](uint16_t v) { return v == 0; }));
}

TEST_F(BlendBufferTest, MaskCopyWeighsMaskAgainstToolValue) {
    openBlending(5, 5, 4);
    dro::toolSettings().color = {0x4000, 0x4000, 0x4000, 65535};
    std::vector<uint16_t> mask(25);
    for (int i = 0; i < 25; ++i) mask[i] = static_cast<uint16_t>(i * 2500);
    DRO_SetMaskData16(mask.data());
    DRO_DoCopyBlendBufferMask(1, 1, 100);  // square (-1,-1)..(2,2): prefilled first
    const uint32_t mc = 0xFF00 - 0x4000;
    EXPECT_EQ(blendBuffer()[0], mc);
    EXPECT_EQ(blendBuffer()[3], mc);
    for (int j = 1; j < 4; ++j) {
        for (int i = 1; i < 4; ++i) {
            const uint32_t m = mask[(j - 1) * 5 + (i - 1)];
            EXPECT_EQ(blendBuffer()[j * 16 + i], std::min<uint32_t>(((m * 156 + mc * 100) >> 8) + 1, 0xFF00));
        }
    }
}

TEST_F(BlendBufferTest, MixingOverTransparencyOnlyFadesAlpha) {
    openBlending(4, 4, 4);
    for (int i = 0; i < 64; ++i) blendBuffer()[i] = static_cast<uint16_t>(1000 + i * 500);
    const auto before = std::vector<uint16_t>(blendBuffer(), blendBuffer() + 64);
    DRO_MixBlendBufferSurface(2, 2, 64);  // layer 2 is clear
    for (int i = 0; i < 16; ++i) {
        for (int c = 0; c < 3; ++c) EXPECT_EQ(blendBuffer()[i * 4 + c], before[i * 4 + c]);
        EXPECT_EQ(blendBuffer()[i * 4 + 3], (before[i * 4 + 3] * (65536u - (64u << 8))) >> 16);
    }
}

// The mix of every mode against a plain walk of the rules, on more rows than the
// parallel threshold.
TEST_F(BlendBufferTest, MixMatchesThePlainRuleInEveryMode) {
    std::vector<int> modes = {32, 33, 0, 49, 300};
    modes.insert(modes.end(), dro::mix::kMixModeIds.begin(), dro::mix::kMixModeIds.end());
    uint32_t seed = 77;
    for (int mode : modes) {
        rng = seed++;
        openBlending(50, 45, 40);
        dro::ToolSettings& t = dro::toolSettings();
        t.mixMode = mode;
        t.mixContrast16 = static_cast<int>(next() % 17);
        for (auto& ch : t.colorBanks)
            for (auto& v : ch) v = any16();
        fillRandom(layer(2), 50 * 45 * 4);
        fillRandom(blendBuffer(), 40 * 40 * 4);
        std::vector<uint16_t> mask(50 * 45);
        for (auto& v : mask) v = next() % 2 ? 65535 : any16();
        DRO_SetMaskData16(mask.data());
        const int amount = 1 + static_cast<int>(next() % 256);
        const int x = 22, y = 25;  // square (2,5)..(41,44): 40 rows
        std::vector<uint16_t> want(blendBuffer(), blendBuffer() + 40 * 40 * 4);
        const int64_t tt = std::min(amount << 8, 65535);
        for (int j = 0; j < 40; ++j) {
            for (int i = 0; i < 40; ++i) {
                const uint16_t* sp = px(layer(2), 2 + i, 5 + j);
                int64_t s[4] = {sp[0], sp[1], sp[2], sp[3]};
                const int64_t m = mask[(5 + j) * 50 + 2 + i];
                s[3] = s[3] * (m == 65535 ? 65535 : (m * 65535) >> 16) / 65535;
                uint16_t* b = &want[(j * 40 + i) * 4];
                int64_t nb[4] = {b[0], b[1], b[2], b[3]};
                if (s[3] == 0) {
                    nb[3] = (nb[3] * (65536 - tt)) >> 16;
                } else if (nb[3] == 0) {
                    for (int c = 0; c < 4; ++c) nb[c] = s[c];
                } else {
                    int64_t r[4] = {nb[0], nb[1], nb[2], nb[3]};
                    if (mode == 33) {
                        for (int c = 0; c < 3; ++c) r[c] = nb[c] * s[c] / 65535;
                    } else if (dro::mix::mixModeIndex(mode) < dro::mix::kMixModeCount) {
                        int64_t c3[3];
                        const int kind = dabref::modeResult(mode, nb, s, c3, t);
                        if (kind == 2) {
                            for (int c = 0; c < 4; ++c) r[c] = s[c];
                        } else if (kind == 3) {
                            r[0] = r[1] = r[2] = 0x7FFF;
                            r[3] = (nb[0] + nb[1] + nb[2]) / 3;
                        } else {
                            for (int c = 0; c < 3; ++c) r[c] = c3[c];
                        }
                    }
                    for (int c = 0; c < 3; ++c) nb[c] = ((((r[c] * (65536 - tt)) >> 8) + ((s[c] * tt) >> 8)) >> 8) + 1;
                    nb[3] = (((r[3] * (65536 - tt)) >> 8) + ((s[3] * tt) >> 8)) >> 8;
                }
                for (int c = 0; c < 3; ++c) nb[c] = std::min<int64_t>(nb[c], 0xFF00);
                for (int c = 0; c < 4; ++c) b[c] = static_cast<uint16_t>(nb[c]);
            }
        }
        DRO_MixBlendBufferSurface(x, y, amount);
        ASSERT_EQ(std::vector<uint16_t>(blendBuffer(), blendBuffer() + want.size()), want) << "mode " << mode;
        dro::resetEngine();
    }
}

TEST_F(BlendBufferTest, ColourTintsOpaquePixelsAndPaintsClearOnes) {
    openBlending(6, 6, 4);
    for (int i = 0; i < 16; ++i) {
        uint16_t* p = blendBuffer() + i * 4;
        p[0] = 10000, p[1] = 50000, p[2] = 65535, p[3] = i % 2 ? 30000 : 0;
    }
    DRO_DoColorBlendBuffer(2, 2, 255, 0, 300, 12345, 128);  // blue above 255 is cut
    const uint32_t f = 128 << 8;
    EXPECT_EQ(bvec(0, 0), (std::vector<uint16_t>{255 << 8, 0, 255 << 8, 0}));
    auto tint = [&](uint32_t c, uint32_t C) { return std::min<uint32_t>(((c * f + ((C * (65536 - f)) >> 8)) >> 8) + 1, 0xFF00); };
    EXPECT_EQ(bvec(1, 0), (std::vector<uint16_t>{static_cast<uint16_t>(tint(255, 10000)), static_cast<uint16_t>(tint(0, 50000)),
                                                 static_cast<uint16_t>(tint(255, 65535)), 30000}));
}

TEST_F(BlendBufferTest, FiltersWorkOnTheBrushSquare) {
    openBlending(4, 4, 4);
    dro::toolSettings().size = 3;
    for (int i = 0; i < 64; ++i) blendBuffer()[i] = static_cast<uint16_t>(i * 1000 + 1);
    const auto before = std::vector<uint16_t>(blendBuffer(), blendBuffer() + 64);
    DRO_FilterBlendBuffer(290, 0);
    DRO_FilterBlendBuffer(290, 0);
    EXPECT_EQ(std::vector<uint16_t>(blendBuffer(), blendBuffer() + 64), before);  // invert twice

    DRO_FilterBlendBuffer(289, 0);
    EXPECT_EQ(bvec(1, 1), (std::vector<uint16_t>{21001, 21001, 21001, 23001}));  // grey of the originals
    EXPECT_EQ(bvec(3, 0), std::vector<uint16_t>(before.begin() + 12, before.begin() + 16));  // outside size 3

    for (int i = 0; i < 64; ++i) blendBuffer()[i] = static_cast<uint16_t>(i * 1000 + 1);
    DRO_FilterBlendBuffer(292, 50);  // T = 32767
    EXPECT_EQ(bvec(0, 2), (std::vector<uint16_t>{32001, 65280, 65280, 35001}));
    DRO_FilterBlendBuffer(291, 50);
    EXPECT_EQ(bvec(0, 1)[0], 0);
    EXPECT_EQ(bvec(0, 1)[3], 19001);  // alpha unchanged
}

TEST_F(BlendBufferTest, PointReadersClampOrReportOutside) {
    open(3, 2, 2);
    uint16_t* l2 = layer(2);
    for (int i = 0; i < 6; ++i) {
        l2[i * 4] = static_cast<uint16_t>(0x1000 * (i + 1)), l2[i * 4 + 1] = 0x2200, l2[i * 4 + 2] = 0x33FF, l2[i * 4 + 3] = 0xAB00;
    }
    EXPECT_EQ(DRO_GetRGBAAtSurface(1, 0), 0x202233ABu);
    EXPECT_EQ(DRO_GetRGBAAtSurface(-5, 9), 0x402233ABu);  // clamped to (0, 1)
    EXPECT_EQ(DRO_GetRGBAAtLayer(99, 99, 2), 0x602233ABu);
    EXPECT_EQ(DRO_GetColorAtSurface(2, 1), 0xAB602233u);
    EXPECT_EQ(DRO_GetColorAtSurface(3, 0), 0x00FFFFFFu);
    EXPECT_EQ(DRO_GetColorAt(0, 0, l2), 0xAB102233u);
    EXPECT_EQ(DRO_GetRGBAAt(0, 0, nullptr), 0u);
    EXPECT_EQ(DRO_GetColorAt(0, 0, nullptr), 0u);
    EXPECT_EQ(DRO_GetColorAtTrace(0, 0), 0u);  // no tracing image
    EXPECT_EQ(DRO_GetRGBAAtTrace(0, 0), 0u);
    EXPECT_EQ(DRO_GetColorAtLayer(0, 0, 300), 0u);
    EXPECT_EQ(DRO_GetColorAtLayer(0, 0, -1), 0u);
}

TEST_F(BlendBufferTest, HistoryReadsTheBackBufferOnlyWithAStepToUndo) {
    open(4, 4, 2);
    DRO_SetUndoLevels(5);
    DRO_SetUndoMB(64);
    std::fill_n(layer(2), 64, uint16_t{0x5500});
    DRO_SetLayer(2);  // fills the back buffer
    EXPECT_EQ(DRO_GetColorAtUnderLayer(1, 1), 0x55555555u);
    EXPECT_EQ(DRO_GetColorAtHistory(1, 1), 0u);  // nothing saved yet
    std::fill_n(layer(2), 64, uint16_t{0x7700});
    DRO_InvalidateDirtyUndoCanvas();
    DRO_SaveUndoBuffer(1, 0);
    EXPECT_EQ(DRO_GetColorAtHistory(1, 1), 0x77777777u);  // the back buffer follows the save
    EXPECT_EQ(DRO_GetColorAtHistory(9, 1), 0x00FFFFFFu);
}

TEST_F(BlendBufferTest, EveryEntryIsSafeWithoutACanvas) {
    DRO_SetBlendBufferCount(3);
    DRO_SelectBlendBuffer(2);
    DRO_ClearBlendBuffer();
    DRO_FillBlendBuffer(1, 2, 3, 4);
    DRO_FilterBlendBuffer(289, 10);
    DRO_DoCopyBlendBuffer(0, 0, nullptr, 10, 0);
    DRO_CopyBlendBufferSurface(0, 0, 10, 0);
    DRO_CopyBlendBufferLayer(5, 0, 0, 10);
    DRO_CopyBlendBufferUnderLayer(0, 0, 10);
    DRO_CopyBlendBufferHistory(0, 0, 10);
    DRO_CopyBlendBufferTrace(0, 0, 10);
    DRO_DoCopyBlendBufferMask(0, 0, 10);
    DRO_DoMixBlendBuffer(0, 0, nullptr, 10);
    DRO_MixBlendBufferSurface(0, 0, 10);
    DRO_MixBlendBufferLayer(1, 0, 0, 10);
    DRO_MixBlendBufferUnderLayer(0, 0, 10);
    DRO_MixBlendBufferHistory(0, 0, 10);
    DRO_MixBlendBufferTrace(0, 0, 10);
    DRO_DoColorBlendBuffer(0, 0, 1, 2, 3, 0, 10);
    EXPECT_EQ(DRO_GetRGBAAtSurface(0, 0), 0u);
    EXPECT_EQ(DRO_GetRGBAAtUnderLayer(0, 0), 0u);
    EXPECT_EQ(DRO_GetColorAtSurface(0, 0), 0u);
    EXPECT_EQ(DRO_GetColorAtHistory(0, 0), 0u);
    EXPECT_EQ(DRO_GetColorAtUnderLayer(0, 0), 0u);
}

TEST_F(BlendBufferTest, HugeBrushSquaresAndArgumentsStayInBounds) {
    openBlending(10, 10, 6);
    dro::ToolSettings& t = dro::toolSettings();
    t.size = 900;  // far above the buffer's 6 x 6
    fillRandom(layer(2), 400);
    DRO_CopyBlendBufferSurface(5, 5, -40, 1);
    DRO_CopyBlendBufferSurface(INT32_MAX, INT32_MIN, 999, 0);
    DRO_DoCopyBlendBufferMask(5, 5, 1000);
    DRO_MixBlendBufferSurface(5, 5, -7);
    DRO_MixBlendBufferSurface(5, 5, INT32_MAX);
    DRO_DoColorBlendBuffer(INT32_MIN, 5, -1, 999, 5, 0, INT32_MIN);
    DRO_FilterBlendBuffer(291, INT32_MAX);
    t.size = -5;
    DRO_CopyBlendBufferSurface(5, 5, 10, 0);
    DRO_MixBlendBufferSurface(5, 5, 10);
    SUCCEED();
}
