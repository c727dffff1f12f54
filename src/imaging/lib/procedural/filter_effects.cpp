#include "imaging/lib/procedural/filter_effects.h"

#include <algorithm>

#include "imaging/lib/grayscale.h"
#include "imaging/lib/procedural_ops/procedural_ops.h"
#include "imaging/lib/rotate.h"

namespace dro::procedural {
namespace {

namespace ops = procedural_ops;

constexpr int32_t kMaxSeed = 2147483647;
constexpr ValueRule centreX(int32_t index) { return {"centrex", index, 50, -1000, 1000}; }
constexpr ValueRule centreY(int32_t index) { return {"centrey", index, 50, -1000, 1000}; }
// 0 clamp to the nearest edge pixel, 1 wrap, 2 transparent.
constexpr ValueRule edgeMode(int32_t index, int32_t byDefault) { return {"edge", index, byDefault, 0, 2}; }

constexpr std::array kColorizeValues{ValueRule{"red", 0, 255, 0, 255}, ValueRule{"green", 1, 160, 0, 255},
                                     ValueRule{"blue", 2, 64, 0, 255}, ValueRule{"amount", 3, 100, 0, 100}};
constexpr std::array kTwirlValues{ValueRule{"angle", 0, 180, -3600, 3600}, ValueRule{"across", 1, 1, 1, 64},
                                  ValueRule{"down", 2, 1, 1, 64}, ValueRule{"alternate", 3, 0, 0, 1}, edgeMode(4, 0)};
constexpr std::array kSineValues{ValueRule{"wavesdown", 0, 4, 0, 100}, ValueRule{"wavesacross", 1, 4, 0, 100},
                                 ValueRule{"phasex", 2, 0, -360, 360}, ValueRule{"phasey", 3, 0, -360, 360},
                                 ValueRule{"amplitude", 4, 1, 0, 100}, edgeMode(5, 1)};
constexpr std::array kKaleidoscopeValues{ValueRule{"segments", 0, 6, 0, 64}, ValueRule{"angle", 1, 0, -360, 360},
                                         centreX(2), centreY(3)};
constexpr std::array kScratchValues{ValueRule{"count", 0, 40, 0, 5000},  ValueRule{"length", 1, 30, 0, 100},
                                    ValueRule{"width", 2, 1, 1, 64},     ValueRule{"angle", 3, 90, -360, 360},
                                    ValueRule{"spread", 4, 10, 0, 180}, ValueRule{"seed", 5, 1, 0, kMaxSeed}};
constexpr std::array kWavesValues{ValueRule{"wavelength", 0, 24, 1, 4096}, ValueRule{"amplitude", 1, 4, 0, 1000},
                                  ValueRule{"phase", 2, 0, -360, 360},     centreX(3),
                                  centreY(4),                              edgeMode(5, 0)};
constexpr std::array kDividerValues{ValueRule{"across", 0, 2, 1, 64}, ValueRule{"down", 1, 2, 1, 64},
                                    ValueRule{"gap", 2, 0, 0, 256}, ValueRule{"mirror", 3, 0, 0, 1}};
constexpr std::array kCarpetValues{ValueRule{"across", 0, 4, 1, 64}, ValueRule{"down", 1, 4, 1, 64},
                                   ValueRule{"region", 2, 50, 1, 100}};
constexpr std::array kGlassValues{ValueRule{"block", 0, 24, 1, 1024}, ValueRule{"strength", 1, 50, 0, 100},
                                  edgeMode(2, 0)};
constexpr std::array kVoxelValues{ValueRule{"block", 0, 8, 1, 1024}, ValueRule{"depth", 1, 50, 0, 100}};
constexpr std::array kZoomValues{ValueRule{"scale", 0, 200, 1, 1000}, centreX(1), centreY(2), edgeMode(3, 2)};
constexpr std::array kRotateValues{ValueRule{"degrees", 3, 0, -3600, 3600}, ValueRule{"scale", 4, 100, 1, 1000}};
constexpr std::array kTiltValues{ValueRule{"anglex", 0, 30, -89, 89}, ValueRule{"angley", 1, 0, -89, 89},
                                 ValueRule{"distance", 2, 150, 1, 1000}, edgeMode(3, 1)};
constexpr std::array kSeamlessValues{ValueRule{"overlap", 0, 25, 0, 50}};
constexpr std::array kEdgeValues{ValueRule{"strength", 0, 100, 0, 1000}, ValueRule{"invert", 1, 0, 0, 1}};
constexpr std::array kReliefValues{ValueRule{"azimuth", 0, 135, -360, 360}, ValueRule{"elevation", 1, 45, 1, 90},
                                   ValueRule{"depth", 2, 100, 0, 1000}};
constexpr std::array kRankValues{ValueRule{"radius", 0, 1, 0, 64}};

// The operations read red first; the interpreter's images hold blue first. Swapping
// around the call keeps colour-weighted work (lightness, the colorize tone) right.
template <class Params, bool (*Op)(uint8_t*, int32_t, int32_t, int32_t, const Params&) noexcept>
bool inRgbOrder(uint8_t* image, int32_t width, int32_t height, const Params& p) {
    IS3RGBAToBGRA(image, width, height, width * 4);
    const bool ok = Op(image, width, height, width * 4, p);
    IS3RGBAToBGRA(image, width, height, width * 4);
    return ok;
}

ops::SampleEdge edgeOf(int32_t v) noexcept { return ops::sampleEdgeFromValue(v); }

bool colorize(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::ColorizeParams, ops::colorize>(im, w, h, {v[0], v[1], v[2], v[3]});
}
bool twirl(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::TwirlParams, ops::twirl>(im, w, h, {v[0], v[1], v[2], v[3], edgeOf(v[4])});
}
bool sineDistortion(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::SineDistortionParams, ops::sineDistortion>(im, w, h,
                                                                      {v[0], v[1], v[2], v[3], v[4], edgeOf(v[5])});
}
bool kaleidoscope(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::KaleidoscopeParams, ops::kaleidoscope>(im, w, h, {v[0], v[1], v[2], v[3]});
}
bool scratch(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::ScratchParams, ops::scratch>(im, w, h, {v[0], v[1], v[2], v[3], v[4], v[5]});
}
bool waves(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::WavesParams, ops::waves>(im, w, h, {v[0], v[1], v[2], v[3], v[4], edgeOf(v[5])});
}
bool divider(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::DividerParams, ops::divider>(im, w, h, {v[0], v[1], v[2], v[3]});
}
bool carpet(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::CarpetParams, ops::carpet>(im, w, h, {v[0], v[1], v[2]});
}
bool glass(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::GlassParams, ops::glass>(im, w, h, {v[0], v[1], edgeOf(v[2])});
}
bool voxel(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::VoxelParams, ops::voxel>(im, w, h, {v[0], v[1]});
}
bool zoom(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::ZoomParams, ops::zoom>(im, w, h, {v[0], v[1], v[2], edgeOf(v[3])});
}
// The turn image brushes and brush shapes use too.
bool rotate(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) { return rotateRgba32(im, w, h, v[3], v[4]); }
bool tilt(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::TiltParams, ops::tilt>(im, w, h, {v[0], v[1], v[2], edgeOf(v[3])});
}
bool seamless(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::SeamlessParams, ops::seamless>(im, w, h, {v[0]});
}
bool edge(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::EdgeParams, ops::edge>(im, w, h, {v[0], v[1]});
}
bool bump(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::BumpParams, ops::bump>(im, w, h, {v[0], v[1], v[2]});
}
bool emboss(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return inRgbOrder<ops::EmbossParams, ops::emboss>(im, w, h, {v[0], std::max(v[1], 0), v[2]});
}
bool maximum(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return ops::maximum(im, w, h, w * 4, {v[0]});
}
bool minimum(uint8_t* im, int32_t w, int32_t h, const EffectValues& v) {
    return ops::minimum(im, w, h, w * 4, {v[0]});
}

constexpr EffectKind F = EffectKind::filter;

// The host names are those of the effect list; "Emboss2" is the host name of 23.
const std::array kFilters{
    EffectEntry{6, "twirl", "Twirl", F, twirl, kTwirlValues, "turns cells about their centres"},
    EffectEntry{13, "sine", "Sine Distortion", F, sineDistortion, kSineValues, "shifts rows and columns along sines"},
    EffectEntry{16, "waves", "Waves", F, waves, kWavesValues, "circular waves around a centre"},
    EffectEntry{17, "divider", "Divider", F, divider, kDividerValues, "a grid of reduced copies"},
    EffectEntry{18, "carpet", "Carpet", F, carpet, kCarpetValues, "a grid of mirrored motifs"},
    EffectEntry{19, "edge", "Edge", F, edge, kEdgeValues, "Sobel edges of each channel"},
    EffectEntry{22, "voxel", "Voxel", F, voxel, kVoxelValues, "raised, lit blocks"},
    EffectEntry{23, "emboss", "Emboss2", F, emboss, kReliefValues, "lightness as a lit grey relief"},
    EffectEntry{25, "maximum", "Maximum", F, maximum, kRankValues, "largest value of each window"},
    EffectEntry{26, "minimum", "Minimum", F, minimum, kRankValues, "smallest value of each window"},
    EffectEntry{27, "bump", "Bump", F, bump, kReliefValues, "lights the colour as a surface of its lightness"},
    EffectEntry{28, "colorize", "Colorize", F, colorize, kColorizeValues, "tones the image in one colour"},
    EffectEntry{39, "glass", "Glass", F, glass, kGlassValues, "seen through square glass blocks"},
    EffectEntry{49, "kaleidoscope", "Kaleidoscope", F, kaleidoscope, kKaleidoscopeValues, "mirrors a wedge around a centre"},
    EffectEntry{50, "zoom", "Zoom", F, zoom, kZoomValues, "scales about a centre"},
    EffectEntry{51, "rotate", "Rotate", F, rotate, kRotateValues, "turns and scales about the centre"},
    EffectEntry{52, "seamless", "Seamless", F, seamless, kSeamlessValues, "blends the borders so the image tiles"},
    EffectEntry{54, "tilt", "Tilt", F, tilt, kTiltValues, "a plane tilted away in perspective"},
    EffectEntry{56, "scratch", "Scratch", F, scratch, kScratchValues, "strokes that drag the paint along"},
};

}  // namespace

std::span<const EffectEntry> filterEffects() noexcept { return kFilters; }

}  // namespace dro::procedural
