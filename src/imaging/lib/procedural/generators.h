// The generators of the procedural interpreter. Each fills every pixel of the image
// (alpha 255) and gives the same picture for the same size and values.
#pragma once

#include "imaging/lib/procedural/effect_table.h"

namespace dro::procedural {

bool generateLines(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);
bool generateCircles(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);
bool generateRectangles(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);
bool generateSplines(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);
bool generatePoints(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);
bool generateWorms(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);
bool generateTrees(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);
bool generateFibers(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);

bool generatePlasma(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);
bool generateSinePlasma(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);
bool generateFractalPlasma(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);
bool generatePerlinNoise(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);
bool generateNoise(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);
bool generateBlobs(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);
bool generatePattern(uint8_t* image, int32_t width, int32_t height, const EffectValues& v);

}  // namespace dro::procedural
