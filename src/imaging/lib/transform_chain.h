// The imaging library's transform list: distortions are added one after another and
// then applied to an image in one pass (is5_TransformProcess). Every transform is an
// inverse map: it tells, for a point of the result, which point of its input lands
// there, so every result pixel is sampled exactly once and nothing is left as a hole.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/subsystem_state.h"
#include "imaging/lib/edge_mode.h"

namespace dro::lib {

enum class TransformKind : uint8_t {
    offset,
    elliptical,
    lens,
    marble,
    pinch,
    ripple,
    spin,
    spinWave,
    wave,
    wow,
    zigZag,
    random,
    bumpMap,
};

// One transform. The meaning of a .. d per kind is in the Add… entry that builds it;
// every kind is the identity when its strength `a` is 0.
struct Transform {
    TransformKind kind = TransformKind::offset;
    double centreX = 0, centreY = 0;  // centre of the radial kinds
    double a = 0, b = 0, c = 0, d = 0;
    // The spin's cosine and sine at evenly spaced distances from the centre up to its
    // radius, so each point costs a lookup instead of a sine and a cosine.
    std::vector<double> turnTable;
    double tableStepsPerPixel = 0;
    // The bump map's heights (one grey byte a pixel, rows of mapWidth), shared by the
    // copies of the transform.
    std::shared_ptr<const std::vector<uint8_t>> heights;
    int32_t mapWidth = 0, mapHeight = 0;
};

struct TransformChain {
    std::vector<Transform> transforms;  // in the order they were added
    EdgeMode edge = EdgeMode::transparent;
    int32_t width = 0, height = 0;  // the image size the transforms were added for
};

// The library's one list (its state, cleared by is5_ClearAllTransforms).
inline TransformChain& transformChain() noexcept { return subsystemState<TransformChain>(); }

// Rewrites xs, ys (count points of one result row) in place into the points of the
// input image that land there, running the chain's transforms from the last added
// to the first (the last one added is the outermost).
void mapPoints(const TransformChain& chain, double* xs, double* ys, int32_t count) noexcept;

// One transform's inverse map over count points.
void mapRadial(const Transform& t, double* xs, double* ys, int32_t count) noexcept;
// Builds what a newly added transform precomputes (the spin's table); may throw
// std::bad_alloc.
void prepareTransform(Transform& t);
void mapPlanar(const Transform& t, double* xs, double* ys, int32_t count) noexcept;

}  // namespace dro::lib

// The library's entries. width and height are the image's; edge is an EdgeMode
// value and applies to the whole chain (the last transform added decides). Each
// returns false, adding nothing, for a non-positive size or a non-finite value.
bool is5_ClearAllTransforms() noexcept;
// Moves the image by dx, dy pixels.
bool is5_AddOffsetTransform(int32_t width, int32_t height, int32_t dx, int32_t dy, int32_t edge) noexcept;
// Fits the image into its inscribed ellipse; strength 0..1 blends from none to all.
bool is5_AddEllipticalTransform(int32_t width, int32_t height, double strength, int32_t edge) noexcept;
// Magnifies (strength > 0) or shrinks (< 0) a disc of radius pixels about a centre;
// strength -2..2.
bool is5_AddLensTransform(int32_t width, int32_t height, double strength, double radius, double centreX, double centreY,
                          int32_t edge) noexcept;
// Pulls the content of a disc toward its centre (strength > 0) or pushes it outward
// (< 0); strength -0.9..0.9.
bool is5_AddPinchTransform(int32_t width, int32_t height, double strength, double radius, double centreX,
                           double centreY, int32_t edge) noexcept;
// Turns a disc about its centre by degrees at the centre, fading to none at its rim.
bool is5_AddSpinTransform(int32_t width, int32_t height, double degrees, double radius, double centreX, double centreY,
                          int32_t edge) noexcept;
// Turns rings about a centre back and forth: degrees × sin(2π r / wavelength).
bool is5_AddSpinWaveTransform(int32_t width, int32_t height, double degrees, double wavelength, double centreX,
                              double centreY, int32_t edge) noexcept;
// Circular ripples: the radius moves by amplitude × sin(2π r / wavelength) pixels.
bool is5_AddRippleTransform(int32_t width, int32_t height, double amplitude, double wavelength, double centreX,
                            double centreY, int32_t edge) noexcept;
// A flower: the radius scales by 1 + strength × sin(petals × angle); strength 0..0.9.
bool is5_AddWowTransform(int32_t width, int32_t height, double strength, int32_t petals, double centreX, double centreY,
                         int32_t edge) noexcept;
// Sine waves: x moves by amplitude × sin(2π y / wavelength), y likewise by x.
bool is5_AddWaveTransform(int32_t width, int32_t height, double amplitudeX, double amplitudeY, double wavelength,
                          int32_t edge) noexcept;
// Triangle waves: as the wave, with straight zig-zag segments.
bool is5_AddZigZagTransform(int32_t width, int32_t height, double amplitudeX, double amplitudeY, double wavelength,
                            int32_t edge) noexcept;
// Turbulent veins: smooth noise of the given feature size moves each point by up to
// amplitude pixels.
bool is5_AddMarbleTransform(int32_t width, int32_t height, double amplitude, double featureSize, uint32_t seed,
                            int32_t edge) noexcept;
// Frosted glass: each point moves by a random amount of up to radius pixels, the same
// for the same point and seed.
bool is5_AddRandomTransform(int32_t width, int32_t height, double radius, uint32_t seed, int32_t edge) noexcept;
// Displacement by a bump map (grey heights, mapWidth x mapHeight, rows mapWidth bytes
// apart; copied): each point moves along the map's slope, by strength pixels where the
// height climbs from black to white across two pixels. Uncovered places take the
// background colour. A map smaller than the image reads as its edge beyond it.
bool is5_AddBumpMapDisplacementTransform(int32_t width, int32_t height, float strength, const uint8_t* grey,
                                         int32_t mapWidth, int32_t mapHeight) noexcept;
