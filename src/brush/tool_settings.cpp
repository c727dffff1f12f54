#include "brush/tool_settings.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "brush/brush_buffers.h"
#include "brush/brush_shape.h"
#include "brush/grain.h"
#include "brush/mix_modes.h"
#include "core/canvas.h"
#include "core/frame_state.h"
#include "core/last_error.h"
#include "core/random_tables.h"

namespace dro {
namespace {

// Host integers are arbitrary; derived values wrap as 32-bit arithmetic does instead
// of overflowing.
int32_t wrap32(int64_t v) noexcept { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

uint16_t byteToChannel(int32_t v) noexcept { return static_cast<uint16_t>(static_cast<uint32_t>(v) << 8); }

int32_t truncToInt(double v) noexcept {
    if (!(v == v)) return 0;
    return static_cast<int32_t>(std::clamp(v, double{INT_MIN}, double{INT_MAX}));
}

// Grain images and scripts are read into windows of at most 600 pixels.
constexpr int32_t kGrainSourceLimit = 600;

// Per-pixel tables hold 3 * maxBrushSize bytes: a random start below maxBrushSize
// plus a dab row always fits.
bool buildPixelTable(RandomByteArray& table, int32_t modulus) {
    const int64_t length = int64_t{3} * canvas().maxBrushSize;
    if (length <= 0 || length > INT_MAX) return false;
    return MakeRandArrayByte(table, modulus, static_cast<int32_t>(length));
}

bool namesSource(const char* path) noexcept { return path && path[0] != '\0' && path[1] != '\0'; }

}  // namespace

int32_t usableBrushSize() noexcept {
    const int32_t box = std::min(canvas().maxBrushSize, kScaleTableLength);
    return std::clamp(toolSettings().size, 0, std::max(box, 0));
}

void setToolColor(int32_t red, int32_t green, int32_t blue) noexcept {
    toolSettings().color = {byteToChannel(red), byteToChannel(green), byteToChannel(blue), 65535};
}

void setToolColor16(int32_t red, int32_t green, int32_t blue) noexcept {
    toolSettings().color = {static_cast<uint16_t>(red), static_cast<uint16_t>(green), static_cast<uint16_t>(blue),
                            65535};
}

void setColorBanks(const std::array<int32_t, 12>& rgb) noexcept {
    auto& banks = toolSettings().colorBanks;
    for (int k = 0; k < kColorBankCount; ++k) {
        for (int channel = 0; channel < 3; ++channel) banks[channel][k] = byteToChannel(rgb[k * 3 + channel]);
        banks[3][k] = 65535;
    }
}

void setBlendStrength(int32_t value) noexcept {
    ToolSettings& t = toolSettings();
    t.blendStrength = value;
    if (value > 0) t.blendStrengthRest = 256 - value;
}

void setBlendPrimaryColorStrength(int32_t value) noexcept {
    ToolSettings& t = toolSettings();
    t.blendPrimaryColorStrength = value;
    if (value > 0) t.blendPrimaryColorRest = 256 - value;
}

void setDensity(int32_t value) noexcept { toolSettings().densityLimit = wrap32(int64_t{value} - 1); }

void setToolAlpha(int32_t percent) noexcept {
    toolSettings().alpha = percent;
    toolSettings().alpha128 = truncToInt(percent * 1.28);
}

void setRotateBrushMode(int32_t mode, int32_t degrees) noexcept {
    ToolSettings& t = toolSettings();
    t.rotateBrushMode = mode;
    t.rotateAngle = degrees;
    // The constant 3.14159, not full pi: stored angles must match what hosts expect.
    t.rotateRadians = static_cast<float>(degrees * (1.0 / 180.0) * 3.14159);
    t.rotateSin = std::sin(t.rotateRadians);
    t.rotateCos = std::cos(t.rotateRadians);
}

void setBrushSize(int32_t size) noexcept {
    ToolSettings& t = toolSettings();
    // Within the scale table, and within the brush box once a canvas gives one.
    int32_t limit = kScaleTableLength;
    if (canvas().maxBrushSize > 0) limit = std::min(limit, canvas().maxBrushSize);
    size = std::clamp(size, 0, limit);
    t.size = size;
    t.scaleSize = size;
    for (int32_t i = 0; i < size; ++i) t.scaleTable[i] = i;
}

void setScaleSize(int32_t n) noexcept {
    ToolSettings& t = toolSettings();
    if (n < 1) n = 1;
    if (n > t.size) n = t.size;
    if (n > kMaxScaleSize) n = kMaxScaleSize;
    t.scaleSize = n;
    if (n <= 0) return;
    const double ratio = static_cast<double>(t.size) / n;
    double running = 0.5 * ratio;
    for (int32_t i = 0; i < n; ++i, running += ratio) {
        // The running sum never reaches size; the cap guards against rounding drift.
        t.scaleTable[i] = std::min(static_cast<int32_t>(running), t.size - 1);
    }
}

void setPixColorVary(int32_t value) {
    toolSettings().pixColorVary = value;
    if (value > 0) buildPixelTable(brushBuffers().pixelColorTable, 1000);
}

void setPixLumVary(int32_t value) {
    toolSettings().pixLumVary = value;
    if (value > 0) buildPixelTable(brushBuffers().pixelBrightnessTable, 256);
}

void setMixMode(int32_t mode, int32_t amount) noexcept {
    ToolSettings& t = toolSettings();
    t.mixMode = mode;
    t.mixAmount = amount;
    t.mixAmountRest = wrap32(256 - int64_t{amount});
    t.mixContrast16 = wrap32(16 * (int64_t{amount} - 127) / 127);
}

void decDrawingLength() noexcept { toolSettings().drawingLength = wrap32(int64_t{toolSettings().drawingLength} - 1); }

void setTool(const ToolDescription& d) {
    ToolSettings& t = toolSettings();
    // The same seed and settings always give the same grain.
    seedRandom(frameState().randomSeed);

    t.shapeGain = d.shapeGain;
    t.grainCellSize = d.grainCellSize;
    t.grainCellThreshold = d.grainCellThreshold;
    t.grainFillThreshold = d.grainFillThreshold;
    t.edgeSoftness = static_cast<uint8_t>(d.edgeSoftness);
    t.colorVary = d.colorVary;
    t.grainInterval = d.grainInterval;
    t.blendStrength = d.blendStrength;
    t.blendPrimaryColorStrength = d.blendPrimaryColorStrength;
    t.blendRemix = static_cast<uint8_t>(d.blendRemix);
    t.unusedArg11 = static_cast<uint8_t>(d.unused11);
    t.invertShape = static_cast<uint8_t>(d.invertShape);
    t.unusedArg13 = static_cast<uint8_t>(d.unused13);
    t.shapeParam = d.shapeParam;
    t.mixMode = mix::mixId(mix::MixMode::Normal);

    if (t.grainCellSize != 0) {
        buildRandomGrain();
        t.drawingLength = t.grainInterval;
    }
    // Grain from a file replaces whatever grain there is, on or off.
    if (namesSource(d.grainSource) && t.size + 25 < kGrainSourceLimit) buildGrainFromFile(d.grainSource);

    // The shape builder keeps its own failure text and does not end the tool change.
    try {
        setBrushShape(d.shapeSource, d.shapeParam);
    } catch (...) {
        setLastError("SetBrushShape Excpt");
    }

    if (t.blendStrength > 0) t.blendStrengthRest = 256 - t.blendStrength;
    if (t.blendPrimaryColorStrength > 0) t.blendPrimaryColorRest = 256 - t.blendPrimaryColorStrength;
    t.tempDisableBlend = 0;
    t.maskMakerOn = 0;
    t.eraseModeOn = 0;
}

}  // namespace dro
