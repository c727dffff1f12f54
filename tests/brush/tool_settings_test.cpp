// The tool record: setters, derived values, the scale table and DRO_SetTool's order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "brush/brush_buffers.h"
#include "brush/tool_settings.h"
#include "core/canvas.h"
#include "support/engine_fixture.h"

namespace {

using dro::toolSettings;

// The C runtime's generator, written out independently of the engine's.
struct MsvcRand {
    uint32_t state;
    int next() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};

class ToolSettingsTest : public EngineTest {
protected:
    static void setToolPlain(int32_t grainCellSize, const char* grain = "", const char* shape = "") {
        DRO_SetTool(1.0f, grainCellSize, 128, 128, 0, 0, 7, 0, 0, 0, 0, 0, 0, grain, shape, 0);
    }
};

TEST_F(ToolSettingsTest, ColoursAreWidenedByShiftAndOpaque) {
    DRO_SetColor(255, 0, 128);
    EXPECT_EQ(toolSettings().color, (std::array<uint16_t, 4>{65280, 0, 32768, 65535}));
    DRO_SetColor16(65535, 0x12345, -1);
    EXPECT_EQ(toolSettings().color, (std::array<uint16_t, 4>{65535, 0x2345, 65535, 65535}));

    DRO_SetColorBanks(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 255);
    const auto& banks = toolSettings().colorBanks;
    // Stored by channel: all reds, then all greens, blues and alphas.
    EXPECT_EQ(banks[0], (std::array<uint16_t, 4>{256, 1024, 1792, 2560}));
    EXPECT_EQ(banks[1], (std::array<uint16_t, 4>{512, 1280, 2048, 2816}));
    EXPECT_EQ(banks[2], (std::array<uint16_t, 4>{768, 1536, 2304, 65280}));
    EXPECT_EQ(banks[3], (std::array<uint16_t, 4>{65535, 65535, 65535, 65535}));
}

TEST_F(ToolSettingsTest, DerivedValuesFollowTheirSetters) {
    DRO_SetBlendStrength(100);
    EXPECT_EQ(toolSettings().blendStrengthRest, 156);
    DRO_SetBlendStrength(0);  // zero keeps the previous rest
    EXPECT_EQ(toolSettings().blendStrength, 0);
    EXPECT_EQ(toolSettings().blendStrengthRest, 156);
    DRO_SetBlendPrimaryColorStrength(56);
    DRO_SetBlendPrimaryColorStrength(-3);
    EXPECT_EQ(toolSettings().blendPrimaryColorStrength, -3);
    EXPECT_EQ(toolSettings().blendPrimaryColorRest, 200);

    DRO_SetAlpha(50);
    EXPECT_EQ(toolSettings().alpha128, 64);
    DRO_SetAlpha(100);
    EXPECT_EQ(toolSettings().alpha128, 128);
    DRO_SetAlpha(75);
    EXPECT_EQ(toolSettings().alpha128, 96);

    DRO_SetDensity(256);
    EXPECT_EQ(toolSettings().densityLimit, 255);
    DRO_SetDensity(0);
    EXPECT_EQ(toolSettings().densityLimit, -1);
    DRO_SetDensity(INT32_MIN);  // wraps like 32-bit arithmetic, no overflow trap
    EXPECT_EQ(toolSettings().densityLimit, INT32_MAX);

    for (const auto& [amount, contrast] : {std::pair{0, -16}, {127, 0}, {200, 9}, {254, 16}, {256, 16}, {63, -8}}) {
        DRO_SetMixMode(7, amount);
        EXPECT_EQ(toolSettings().mixMode, 7);
        EXPECT_EQ(toolSettings().mixAmountRest, 256 - amount);
        EXPECT_EQ(toolSettings().mixContrast16, contrast) << amount;
    }

    DRO_SetBlendRemix(0x101);  // low byte only
    EXPECT_EQ(toolSettings().blendRemix, 1);
}

TEST_F(ToolSettingsTest, RotationUsesTheShortPiAsFloats) {
    DRO_SetRotateBrushMode(1, 90);
    const auto& t = toolSettings();
    EXPECT_EQ(t.rotateBrushMode, 1);
    EXPECT_EQ(t.rotateAngle, 90);
    EXPECT_EQ(t.rotateRadians, static_cast<float>(1.570795));
    EXPECT_FLOAT_EQ(t.rotateSin, 1.0f);
    EXPECT_NEAR(t.rotateCos, 0.0f, 1e-5f);
    EXPECT_NE(t.rotateCos, 0.0f);  // 3.14159 falls short of pi: the cosine is not exactly 0
}

TEST_F(ToolSettingsTest, ScaleTableSamplesTheShapeByNearestNeighbour) {
    DRO_SetSize(10);
    EXPECT_EQ(toolSettings().scaleSize, 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(toolSettings().scaleTable[i], i);

    DRO_SetScaleSize(0);
    EXPECT_EQ(toolSettings().scaleSize, 1);
    EXPECT_EQ(toolSettings().scaleTable[0], 5);
    DRO_SetScaleSize(50);
    EXPECT_EQ(toolSettings().scaleSize, 10);

    // Against the exact centre of each drawn pixel, floor((2i + 1) * size / 2n): the
    // running float sum may fall one short only where that value is a whole number.
    for (int size : {1, 7, 64, 333, 1000}) {
        DRO_SetSize(size);
        for (int n : {1, 2, 3, size / 3, size / 2, size - 1, size}) {
            if (n < 1) continue;
            DRO_SetScaleSize(n);
            const auto& t = toolSettings();
            const int drawn = std::min({n, size, 999});
            ASSERT_EQ(t.scaleSize, drawn);
            int previous = -1;
            for (int i = 0; i < drawn; ++i) {
                const int64_t numerator = int64_t{2 * i + 1} * size;
                const int exact = static_cast<int>(numerator / (2 * drawn));
                const int v = t.scaleTable[i];
                if (numerator % (2 * drawn) == 0) {
                    EXPECT_TRUE(v == exact || v == exact - 1) << size << " " << n << " " << i;
                } else {
                    EXPECT_EQ(v, exact) << size << " " << n << " " << i;
                }
                EXPECT_GE(v, previous);
                EXPECT_LT(v, size);
                previous = v;
            }
        }
    }
}

TEST_F(ToolSettingsTest, SizeStaysWithinTheScaleTableAndTheBrushBox) {
    DRO_SetSize(2000);  // no canvas: the scale table's length is the limit
    EXPECT_EQ(toolSettings().size, 1000);
    DRO_SetScaleSize(5000);
    EXPECT_EQ(toolSettings().scaleSize, 999);
    DRO_SetSize(-4);
    EXPECT_EQ(toolSettings().size, 0);
    DRO_SetScaleSize(3);
    EXPECT_EQ(toolSettings().scaleSize, 0);

    openCanvas(32, 32, 1, 1, 48);
    DRO_SetSize(100);  // above maxBrushSize: the shape and grain planes are 48 wide
    EXPECT_EQ(toolSettings().size, 48);
    EXPECT_EQ(dro::usableBrushSize(), 48);
}

TEST_F(ToolSettingsTest, PixelTablesAreBuiltFromTheSeedForTheBrushBox) {
    DRO_SetPixColorVary(10);  // no canvas: no table, no crash
    EXPECT_FALSE(dro::brushBuffers().pixelColorTable.data);

    openCanvas(16, 16, 1, 1, 20);
    DRO_SetRandomSeed(77);
    DRO_SetPixColorVary(10);
    DRO_SetPixLumVary(30);
    const auto& colour = dro::brushBuffers().pixelColorTable;
    const auto& lum = dro::brushBuffers().pixelBrightnessTable;
    ASSERT_TRUE(colour.data);
    ASSERT_TRUE(lum.data);
    EXPECT_EQ(colour.length, 60);
    EXPECT_EQ(lum.length, 60);
    MsvcRand r{77};
    for (int i = 0; i < 60; ++i) EXPECT_EQ(colour.data[i], static_cast<uint8_t>(r.next() % 1000));
    r = MsvcRand{77};
    for (int i = 0; i < 60; ++i) EXPECT_EQ(lum.data[i], static_cast<uint8_t>(r.next() % 256));

    DRO_SetPixColorVary(0);  // off keeps the table
    EXPECT_EQ(toolSettings().pixColorVary, 0);
    EXPECT_TRUE(colour.data);
    DRO_DeleteImage();
    EXPECT_FALSE(colour.data);  // sized for that canvas's brush box
}

TEST_F(ToolSettingsTest, FlagsAndCountdown) {
    DRO_TempDisableBlend();
    DRO_SetMaskMakerOn();
    DRO_SetEraseModeOn();
    EXPECT_EQ(toolSettings().tempDisableBlend, 1);
    toolSettings().drawingLength = 2;
    DRO_DecDrawingLength();
    DRO_DecDrawingLength();
    DRO_DecDrawingLength();
    EXPECT_EQ(toolSettings().drawingLength, -1);

    setToolPlain(0);
    const auto& t = toolSettings();
    EXPECT_EQ(t.tempDisableBlend, 0);
    EXPECT_EQ(t.maskMakerOn, 0);
    EXPECT_EQ(t.eraseModeOn, 0);
    EXPECT_EQ(t.mixMode, 32);
    EXPECT_EQ(t.drawingLength, -1);  // no grain was built, so the countdown is untouched
}

TEST_F(ToolSettingsTest, SetToolStoresItsArgumentsAndLowBytes) {
    DRO_SetMixMode(5, 200);
    DRO_SetTool(0.75f, 3, 40, 50, 0x1FF, 12, 9, 64, 32, 0x201, 0x1234, 0x301, 0x5678, "", "", 45);
    const auto& t = toolSettings();
    EXPECT_EQ(t.shapeGain, 0.75f);
    EXPECT_EQ(t.grainCellSize, 3);
    EXPECT_EQ(t.grainCellThreshold, 40);
    EXPECT_EQ(t.grainFillThreshold, 50);
    EXPECT_EQ(t.edgeSoftness, 0xFF);
    EXPECT_EQ(t.colorVary, 12);
    EXPECT_EQ(t.grainInterval, 9);
    EXPECT_EQ(t.blendStrength, 64);
    EXPECT_EQ(t.blendStrengthRest, 192);
    EXPECT_EQ(t.blendPrimaryColorStrength, 32);
    EXPECT_EQ(t.blendPrimaryColorRest, 224);
    EXPECT_EQ(t.blendRemix, 1);
    EXPECT_EQ(t.invertShape, 1);
    EXPECT_EQ(t.shapeParam, 45);
    EXPECT_EQ(t.mixMode, 32);
    EXPECT_EQ(t.mixAmount, 200);  // only the mode is reset
    EXPECT_EQ(t.drawingLength, 9);  // grain was built (without a canvas there is none to fill)
}

TEST_F(ToolSettingsTest, SameSeedAndSettingsGiveTheSameGrain) {
    openCanvas(16, 16, 1, 1, 40);
    DRO_SetSize(30);
    auto snapshot = [] {
        std::vector<uint8_t> all;
        const int64_t bytes = dro::grainBufferBytes();
        for (const auto& g : dro::brushBuffers().grain) all.insert(all.end(), g.get(), g.get() + bytes);
        return all;
    };
    DRO_SetRandomSeed(5);
    setToolPlain(4);
    const auto first = snapshot();
    DRO_SetPixColorVary(3);  // moves the generator on in between: SetTool reseeds
    setToolPlain(4);
    EXPECT_EQ(snapshot(), first);
    DRO_SetRandomSeed(6);
    setToolPlain(4);
    EXPECT_NE(snapshot(), first);
}

TEST_F(ToolSettingsTest, BuildsTheShapeItNames) {
    openCanvas(16, 16, 1, 1, 16);
    DRO_SetSize(8);
    std::memset(dro::brushBuffers().brushPlane.get(), 0x55, 16 * 16 * 2);
    setToolPlain(0, "", "x");  // a one-character path means the round shape
    const uint16_t* plane = dro::brushBuffers().brushPlane.get();
    EXPECT_EQ(plane[4 * 16 + 4], 65535);
    EXPECT_EQ(plane[0], 0);
    EXPECT_EQ(plane[15 * 16 + 15], 0);  // beyond size the plane is cleared
}

TEST_F(ToolSettingsTest, NullAndAbsentInputsAreHarmless) {
    DRO_SetTool(1.0f, 5, 255, 255, 0, 0, 1, 0, 0, 0, 0, 0, 0, nullptr, nullptr, 0);
    DRO_SetBrushShape(nullptr, 0);
    DRO_SetBrushShape_ORIGINAL(nullptr, 0);
    DRO_UnloadBrushShape();
    DRO_SetPixLumVary(5);
    openCanvas(8, 8, 1, 1, 8);
    DRO_SetSize(8);
    DRO_SetTool(1.0f, 5, 255, 255, 0, 0, 1, 0, 0, 0, 0, 0, 0, nullptr, nullptr, 0);
    DRO_SetTool(1.0f, 5, 255, 255, 0, 0, 1, 0, 0, 0, 0, 0, 0, "/nonexistent/grain.png", "/nonexistent/s.png", 0);
    EXPECT_EQ(dro::brushBuffers().brushPlane[4 * 8 + 4], 65535);
}

}  // namespace
