// The engine-wide record of the current tool. It lives for the whole process and
// survives the canvas being created or deleted. Every field starts at zero; the
// setters store values and compute the derived ones once, so that dab loops only
// read integers.
#pragma once

#include <array>
#include <cstdint>

#include "core/subsystem_state.h"

namespace dro {

inline constexpr int kScaleTableLength = 1000;
inline constexpr int kMaxScaleSize = 999;
inline constexpr int kColorBankCount = 4;

struct ToolSettings {
    // Set by DRO_SetTool (arguments 1-13 and 16).
    float shapeGain = 0.0f;          // factor on every shape value when the shape is built
    int32_t grainCellSize = 0;       // side of a grain cell; 0 = dabs ignore grain
    int32_t grainCellThreshold = 0;  // a cell is placed where a random byte is below this
    int32_t grainFillThreshold = 0;  // inside a cell, a pixel is set where a byte is below this
    uint8_t edgeSoftness = 0;        // soft rim of the round shape, in 255ths of the radius
    int32_t colorVary = 0;           // per-dab random colour offset range, 0 = off
    int32_t grainInterval = 0;       // DecDrawingLength steps between grain changes
    int32_t blendStrength = 0;       // 0-256; above 0 the dab paints from the blend buffer
    int32_t blendStrengthRest = 0;   // 256 - blendStrength, refreshed only for values above 0
    int32_t blendPrimaryColorStrength = 0;  // 0-256 share of the tool colour in blended colour
    int32_t blendPrimaryColorRest = 0;      // 256 - the above, refreshed only for values above 0
    uint8_t blendRemix = 0;          // each dab writes the canvas colour back (smudge pick-up)
    uint8_t unusedArg11 = 0;         // accepted by DRO_SetTool, read by nothing
    uint8_t invertShape = 0;         // the round shape is built as 65535 - value
    uint8_t unusedArg13 = 0;         // accepted by DRO_SetTool, read by nothing
    int32_t shapeParam = 0;          // rotation in degrees of a shape image

    // Mix mode of the dab against the destination.
    int32_t mixMode = 0;         // 32 = normal; DRO_SetTool sets 32
    int32_t mixAmount = 0;       // 0-256 weight of the mix result against the plain colour
    int32_t mixAmountRest = 0;   // 256 - mixAmount
    int32_t mixContrast16 = 0;   // trunc(16 * (mixAmount - 127) / 127)

    // One-shot and sticky flags.
    uint8_t tempDisableBlend = 0;  // one-shot: the next dab ignores the blend buffer
    uint8_t maskMakerOn = 0;       // dabs paint into the mask until the tool changes
    uint8_t eraseModeOn = 0;       // one-shot: the next dab erases

    // Colours: bank channels are stored by channel (4 reds, 4 greens, 4 blues, 4 alphas).
    std::array<std::array<uint16_t, kColorBankCount>, 4> colorBanks{};
    std::array<uint16_t, 4> color{};  // R, G, B, A of the current tool colour

    // Size and the nearest-neighbour map from drawn column/row to shape column/row.
    int32_t size = 0;       // brush size in canvas pixels
    int32_t scaleSize = 0;  // side of the dab as drawn, 1-999, never above size
    std::array<int32_t, kScaleTableLength> scaleTable{};

    int32_t densityLimit = 0;    // density - 1; a grain pixel paints only at or below it
    int32_t alpha = 0;           // tool opacity in percent
    int32_t alpha128 = 0;        // trunc(alpha * 1.28)
    int32_t solidBrushMode = 0;  // every covered pixel gets full coverage
    int32_t imageBrushMode = 0;  // blend-buffer alpha scales coverage
    int32_t alphaLevel = 0;      // above 0: fixed alpha written to painted pixels
    int32_t blobLocked = 0;      // alpha written only where both alphas exceed 0x1FFF
    int32_t colorLocked = 0;     // dabs never change colour channels
    int32_t toolAlphaLocked = 0; // dabs and the paint-layer merge keep the target alpha

    int32_t rotateBrushMode = 0;  // 1 = sample the shape rotated
    int32_t rotateAngle = 0;      // degrees
    float rotateRadians = 0.0f;   // rotateAngle * (1/180) * 3.14159
    float rotateSin = 0.0f;
    float rotateCos = 0.0f;

    int32_t shapeBlur = 0;     // 0-100, blur when a shape image is scaled
    int32_t pixColorVary = 0;  // per-pixel random colour offset range, 0 = off
    int32_t pixLumVary = 0;    // per-pixel random brightness range, 0 = off
    int32_t drawingLength = 0; // countdown until the next grain change
    // The random seed lives with the engine frame (FrameState::randomSeed).
};

inline ToolSettings& toolSettings() noexcept { return subsystemState<ToolSettings>(); }
inline void resetToolSettings() noexcept { resetSubsystemState<ToolSettings>(); }

// The side a dab may use: size kept within the brush box (maxBrushSize) and the scale
// table, so shape, grain and scale-table reads stay inside their buffers.
int32_t usableBrushSize() noexcept;

// The small setters: they store values and derive the integers the dab loops read.
void setToolColor(int32_t red, int32_t green, int32_t blue) noexcept;        // 0-255 each
void setToolColor16(int32_t red, int32_t green, int32_t blue) noexcept;      // 0-65535 each
void setColorBanks(const std::array<int32_t, 12>& rgbTriples) noexcept;      // r0 g0 b0 ... r3 g3 b3
void setBlendStrength(int32_t value) noexcept;
void setBlendPrimaryColorStrength(int32_t value) noexcept;
void setDensity(int32_t value) noexcept;
void setToolAlpha(int32_t percent) noexcept;
void setRotateBrushMode(int32_t mode, int32_t degrees) noexcept;
void setBrushSize(int32_t size) noexcept;
void setScaleSize(int32_t size) noexcept;
void setPixColorVary(int32_t value);
void setPixLumVary(int32_t value);
void setMixMode(int32_t mode, int32_t amount) noexcept;
void decDrawingLength() noexcept;

// Everything DRO_SetTool takes, in its order.
struct ToolDescription {
    float shapeGain = 0.0f;
    int32_t grainCellSize = 0;
    int32_t grainCellThreshold = 0;
    int32_t grainFillThreshold = 0;
    int32_t edgeSoftness = 0;
    int32_t colorVary = 0;
    int32_t grainInterval = 0;
    int32_t blendStrength = 0;
    int32_t blendPrimaryColorStrength = 0;
    int32_t blendRemix = 0;
    int32_t unused11 = 0;
    int32_t invertShape = 0;
    int32_t unused13 = 0;
    const char* grainSource = nullptr;  // "" or one character: none
    const char* shapeSource = nullptr;  // handed to the shape builder
    int32_t shapeParam = 0;
};

// Reseeds the random generator, stores the description, rebuilds grain and shape and
// clears the one-shot flags and the mask maker.
void setTool(const ToolDescription& tool);

}  // namespace dro
