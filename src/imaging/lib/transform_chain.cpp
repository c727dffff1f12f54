#include "imaging/lib/transform_chain.h"

#include <cmath>
#include <initializer_list>
#include <utility>

namespace dro::lib {

void mapPoints(const TransformChain& chain, double* xs, double* ys, int32_t count) noexcept {
    for (auto t = chain.transforms.rbegin(); t != chain.transforms.rend(); ++t) {
        switch (t->kind) {
            case TransformKind::elliptical:
            case TransformKind::lens:
            case TransformKind::pinch:
            case TransformKind::ripple:
            case TransformKind::spin:
            case TransformKind::spinWave:
            case TransformKind::wow:
                mapRadial(*t, xs, ys, count);
                break;
            default:
                mapPlanar(*t, xs, ys, count);
                break;
        }
    }
}

namespace {

bool add(int32_t width, int32_t height, int32_t edge, const Transform& t, std::initializer_list<double> values) {
    if (width <= 0 || height <= 0) return false;
    for (double v : values)
        if (!std::isfinite(v)) return false;
    TransformChain& chain = transformChain();
    try {
        Transform prepared = t;
        prepareTransform(prepared);
        chain.transforms.push_back(std::move(prepared));
    } catch (...) {
        return false;
    }
    chain.edge = edgeModeFromValue(edge);
    chain.width = width;
    chain.height = height;
    return true;
}

Transform make(TransformKind kind, double cx, double cy, double a, double b, double c) {
    Transform t;
    t.kind = kind;
    t.centreX = cx, t.centreY = cy;
    t.a = a, t.b = b, t.c = c;
    return t;
}

// A radial transform about (cx, cy) with its two values; all four must be finite.
bool addRadial(TransformKind kind, int32_t width, int32_t height, int32_t edge, double a, double b, double cx,
               double cy) {
    return add(width, height, edge, make(kind, cx, cy, a, b, 0), {a, b, cx, cy});
}

}  // namespace
}  // namespace dro::lib

using dro::lib::add;
using dro::lib::make;
using dro::lib::addRadial;
using dro::lib::Transform;
using dro::lib::TransformKind;

bool is5_ClearAllTransforms() noexcept {
    dro::resetSubsystemState<dro::lib::TransformChain>();
    return true;
}

bool is5_AddOffsetTransform(int32_t width, int32_t height, int32_t dx, int32_t dy, int32_t edge) noexcept {
    return add(width, height, edge, make(TransformKind::offset, 0, 0, double(dx), double(dy), 0), {});
}

bool is5_AddEllipticalTransform(int32_t width, int32_t height, double strength, int32_t edge) noexcept {
    const Transform t = make(TransformKind::elliptical, (width - 1) * 0.5, (height - 1) * 0.5, strength, 0, 0);
    return add(width, height, edge, t, {strength});
}

bool is5_AddLensTransform(int32_t width, int32_t height, double strength, double radius, double centreX, double centreY,
                          int32_t edge) noexcept {
    return addRadial(TransformKind::lens, width, height, edge, strength, radius, centreX, centreY);
}

bool is5_AddPinchTransform(int32_t width, int32_t height, double strength, double radius, double centreX,
                           double centreY, int32_t edge) noexcept {
    return addRadial(TransformKind::pinch, width, height, edge, strength, radius, centreX, centreY);
}

bool is5_AddSpinTransform(int32_t width, int32_t height, double degrees, double radius, double centreX, double centreY,
                          int32_t edge) noexcept {
    return addRadial(TransformKind::spin, width, height, edge, degrees, radius, centreX, centreY);
}

bool is5_AddSpinWaveTransform(int32_t width, int32_t height, double degrees, double wavelength, double centreX,
                              double centreY, int32_t edge) noexcept {
    return addRadial(TransformKind::spinWave, width, height, edge, degrees, wavelength, centreX, centreY);
}

bool is5_AddRippleTransform(int32_t width, int32_t height, double amplitude, double wavelength, double centreX,
                            double centreY, int32_t edge) noexcept {
    return addRadial(TransformKind::ripple, width, height, edge, amplitude, wavelength, centreX, centreY);
}

bool is5_AddWowTransform(int32_t width, int32_t height, double strength, int32_t petals, double centreX, double centreY,
                         int32_t edge) noexcept {
    return addRadial(TransformKind::wow, width, height, edge, strength, double(petals), centreX, centreY);
}

bool is5_AddWaveTransform(int32_t width, int32_t height, double amplitudeX, double amplitudeY, double wavelength,
                          int32_t edge) noexcept {
    return add(width, height, edge, make(TransformKind::wave, 0, 0, amplitudeX, amplitudeY, wavelength),
               {amplitudeX, amplitudeY, wavelength});
}

bool is5_AddZigZagTransform(int32_t width, int32_t height, double amplitudeX, double amplitudeY, double wavelength,
                            int32_t edge) noexcept {
    return add(width, height, edge, make(TransformKind::zigZag, 0, 0, amplitudeX, amplitudeY, wavelength),
               {amplitudeX, amplitudeY, wavelength});
}

bool is5_AddMarbleTransform(int32_t width, int32_t height, double amplitude, double featureSize, uint32_t seed,
                            int32_t edge) noexcept {
    return add(width, height, edge, make(TransformKind::marble, 0, 0, amplitude, featureSize, double(seed)),
               {amplitude, featureSize});
}

bool is5_AddRandomTransform(int32_t width, int32_t height, double radius, uint32_t seed, int32_t edge) noexcept {
    return add(width, height, edge, make(TransformKind::random, 0, 0, radius, double(seed), 0), {radius});
}

bool is5_AddBumpMapDisplacementTransform(int32_t width, int32_t height, float strength, const uint8_t* grey,
                                         int32_t mapWidth, int32_t mapHeight) noexcept {
    using namespace dro::lib;
    if (!grey || mapWidth <= 0 || mapHeight <= 0) return false;
    Transform t = make(TransformKind::bumpMap, 0, 0, strength, 0, 0);
    try {
        t.heights = std::make_shared<const std::vector<uint8_t>>(
            grey, grey + static_cast<size_t>(mapWidth) * static_cast<size_t>(mapHeight));
    } catch (...) {
        return false;
    }
    t.mapWidth = mapWidth;
    t.mapHeight = mapHeight;
    constexpr int32_t kBackgroundEdge = static_cast<int32_t>(EdgeMode::background);
    return add(width, height, kBackgroundEdge, t, {double(strength)});
}
