// Distortions on the transform engine: each clears the transform list, adds its one
// transform built from the sliders, and runs the list over the premultiplied layer,
// so colour and alpha move together. The edge rule (style 1) says what fills the
// places the distortion uncovers; "background" uses the colour, opaque.
#include <algorithm>
#include <cmath>

#include "core/allocation.h"
#include "core/owned_buffer.h"
#include "core/rgba_blocks.h"
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/blur.h"
#include "imaging/lib/transform_chain.h"
#include "imaging/lib/transform_process.h"

namespace dro {
namespace {

constexpr std::string_view kTransforms = "Transforms";
enum ProcessMode : int32_t { straightBilinear = 0, premultipliedBicubic = 2 };
enum Edge : int32_t { transparent = 0, wrap = 1, background = 2, repeatEdge = 3 };

// The settings every distortion reads the same way.
struct Frame {
    const EffectArgs& a;
    int32_t w, h;
    double p(int slider) const { return a.percent[static_cast<size_t>(slider - 1)]; }
    double centreX() const { return p(3) * 0.01 * (w - 1); }
    double centreY() const { return p(4) * 0.01 * (h - 1); }
    double radius() const { return p(2) * 0.01 * std::max(w, h); }
    double pixels(int slider, double perPercent) const { return p(slider) * perPercent; }
    double wavelength(int slider) const { return p(slider) + 2; }
    int32_t edge() const { return std::clamp(a.style[0], 0, 3); }
};

using AddTransform = bool (*)(const Frame&);

// Clears the list, adds the transform and runs it from source to destination.
template <AddTransform add, ProcessMode mode = premultipliedBicubic>
void distort(const EffectArgs& a) {
    runLibraryStep(Premultiply::yes, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        is5_ClearAllTransforms();
        if (!add(Frame{a, w, h})) return false;
        const uint32_t background = static_cast<uint32_t>(a.colour & 0xFFFFFF) | 0xFF000000u;
        const bool done = is5_TransformProcess(s, w, h, 4, w * 4, d, w * 4, mode, background, 0);
        is5_ClearAllTransforms();
        return done;
    });
}

bool elliptical(const Frame& f) {
    return is5_AddEllipticalTransform(f.w, f.h, f.p(1) * 0.01, f.edge());
}
bool lens(const Frame& f) {
    return is5_AddLensTransform(f.w, f.h, (f.p(1) - 50) / 25, f.radius(), f.centreX(), f.centreY(), f.edge());
}
bool pinch(const Frame& f) {
    return is5_AddPinchTransform(f.w, f.h, (f.p(1) - 50) / 50 * 0.9, f.radius(), f.centreX(), f.centreY(), f.edge());
}
bool spin(const Frame& f) {
    return is5_AddSpinTransform(f.w, f.h, (f.p(1) - 50) * 14.4, f.radius(), f.centreX(), f.centreY(), f.edge());
}
bool spinWave(const Frame& f) {
    return is5_AddSpinWaveTransform(f.w, f.h, f.p(1) * 0.9, f.wavelength(2), f.centreX(), f.centreY(), f.edge());
}
bool ripple(const Frame& f) {
    return is5_AddRippleTransform(f.w, f.h, f.pixels(1, 0.2), f.wavelength(2), f.centreX(), f.centreY(), f.edge());
}
bool wow(const Frame& f) {
    const auto petals = 2 + static_cast<int32_t>(f.p(2) * 0.18);
    return is5_AddWowTransform(f.w, f.h, f.p(1) * 0.009, petals, f.centreX(), f.centreY(), f.edge());
}
bool wave(const Frame& f) {
    return is5_AddWaveTransform(f.w, f.h, f.pixels(1, 0.2), f.pixels(2, 0.2), f.wavelength(3), f.edge());
}
bool zigZag(const Frame& f) {
    return is5_AddZigZagTransform(f.w, f.h, f.pixels(1, 0.2), f.pixels(2, 0.2), f.wavelength(3), f.edge());
}
bool marble(const Frame& f) {
    return is5_AddMarbleTransform(f.w, f.h, f.pixels(1, 0.5), f.pixels(2, 2) + 2, static_cast<uint32_t>(f.a.slider[4]),
                                  f.edge());
}
bool offset(const Frame& f) {
    // Beyond the size a shift only wraps again or leaves nothing: kept within the int range.
    const auto shift = [&](double share, int32_t size) {
        double v = std::trunc(share * 0.01 * size);
        if (std::fabs(v) > size) v = f.edge() == wrap ? std::fmod(v, size) : std::copysign(size, v);
        return static_cast<int32_t>(v);
    };
    const int32_t dx = shift(f.p(1), f.w), dy = shift(f.p(2), f.h);
    return is5_AddOffsetTransform(f.w, f.h, dx, dy, f.edge());
}
bool frostedGlass(const Frame& f) {
    return is5_AddRandomTransform(f.w, f.h, f.pixels(1, 0.1), static_cast<uint32_t>(f.a.slider[4]), f.edge());
}

// The layer's silhouette moved by (p1 - 50, p2 - 50) × 0.2 pixels in black,
// blurred and faded by p4; the shadow is merged into the layer, then the layer's
// own pixels over it, so the layer shows over its shadow.
void dropShadow(const EffectArgs& a) {
    const IplPair pair = iplPair();
    if (!pair) return;
    updateSourceFromLayer();
    const int32_t w = pair.width, h = pair.height;
    const size_t bytes = size_t(w) * size_t(h) * 4;
    auto layer = adoptBuffer(x_NewCharUndoReduce(bytes));
    if (!layer) return;
    std::copy(pair.source, pair.source + bytes, layer.get());
    const auto dx = static_cast<int32_t>((a.percent[0] - 50) * 0.2f),
               dy = static_cast<int32_t>((a.percent[1] - 50) * 0.2f);
    is5_ClearAllTransforms();
    const bool moved =
        is5_AddOffsetTransform(w, h, dx, dy, transparent) &&
        is5_TransformProcess(pair.source, w, h, 4, w * 4, pair.destination, w * 4, straightBilinear, 0, 0);
    is5_ClearAllTransforms();
    if (!moved) return;
    setColorRGBA32(pair.destination, w, h, 0, 0, 0);
    const int32_t opacity = std::clamp(static_cast<int32_t>(a.percent[3] * 2.559f), 0, 255);
    for (size_t i = 3; i < bytes; i += 4)
        pair.destination[i] = static_cast<uint8_t>((opacity + 1) * pair.destination[i] >> 8);
    premultiplyForNeighbourhood(pair.destination, w, h);
    const double radius = a.percent[2] * 0.2;
    if (radius > 0 && !is5_GaussianBlurImage(pair.destination, w, h, 4, w * 4, pair.destination, w * 4, radius, 271))
        return;
    unpremultiplyBlock(pair.destination, w, h);
    mergeIntoLayer(pair.destination, 0, 255);
    mergeIntoLayer(layer.get(), 0, 255);
}

constexpr ControlInfo kEdge(int32_t defaultValue) {
    return style(1, defaultValue, 3, "edge: 0 transparent, 1 wrap around, 2 the colour, 3 repeat the edge pixels");
}
constexpr ControlInfo kBackground = colourControl("colour of the uncovered places with edge 2");
constexpr ControlInfo kCentreX = slider(3, 500, "centre x: value × 0.1 % of the width");
constexpr ControlInfo kCentreY = slider(4, 500, "centre y: value × 0.1 % of the height");
constexpr ControlInfo kRadius = slider(2, 500, "radius: value × 0.1 % of the longer side");

}  // namespace

void registerTransformEffects(EffectRegistry& r) {
    r.add("Elliptical", kTransforms, "fits the layer into its inscribed ellipse", distort<elliptical>,
          {slider(1, 1000, "strength: value × 0.1 %; 0 leaves the layer"), kEdge(transparent), kBackground});
    r.add("Lens", kTransforms, "magnifies or shrinks a disc like a lens", distort<lens>,
          {slider(1, 750, "power: above 500 magnifies, below shrinks; 500 leaves the layer"), kRadius, kCentreX,
           kCentreY, kEdge(repeatEdge), kBackground});
    r.add("Marble", kTransforms, "moves the layer along turbulent veins", distort<marble>,
          {slider(1, 200, "amplitude: value × 0.05 pixels; 0 leaves the layer"),
           slider(2, 200, "vein size: value × 0.2 + 2 pixels"), slider(5, 0, "pattern: the noise seed"),
           kEdge(repeatEdge), kBackground});
    r.add("Offset", kTransforms, "moves the layer by a share of its size", distort<offset, straightBilinear>,
          {slider(1, 500, "right by value × 0.1 % of the width"), slider(2, 500, "down by value × 0.1 % of the height"),
           kEdge(wrap), kBackground});
    r.add("Pinch", kTransforms, "pulls a disc toward its centre or pushes it outward", distort<pinch>,
          {slider(1, 750, "pinch: above 500 pulls in, below pushes out; 500 leaves the layer"), kRadius, kCentreX,
           kCentreY, kEdge(repeatEdge), kBackground});
    r.add("Ripple", kTransforms, "circular ripples about a centre", distort<ripple>,
          {slider(1, 100, "amplitude: value × 0.02 pixels; 0 leaves the layer"),
           slider(2, 200, "wavelength: value × 0.1 + 2 pixels"), kCentreX, kCentreY, kEdge(repeatEdge), kBackground});
    r.add("Spin", kTransforms, "turns a disc about its centre, most at the centre, none at the rim", distort<spin>,
          {slider(1, 750, "turn: (value - 500) × 1.44 degrees at the centre"), kRadius, kCentreX, kCentreY,
           kEdge(repeatEdge), kBackground});
    r.add("Spin Wave", kTransforms, "turns rings about a centre back and forth", distort<spinWave>,
          {slider(1, 100, "turn: value × 0.09 degrees at the crests; 0 leaves the layer"),
           slider(2, 300, "wavelength: value × 0.1 + 2 pixels"), kCentreX, kCentreY, kEdge(repeatEdge), kBackground});
    r.add("Wave", kTransforms, "sine waves across and down the layer", distort<wave>,
          {slider(1, 200, "sideways amplitude: value × 0.02 pixels"),
           slider(2, 200, "up-down amplitude: value × 0.02 pixels"),
           slider(3, 300, "wavelength: value × 0.1 + 2 pixels"), kEdge(repeatEdge), kBackground});
    r.add("Wow", kTransforms, "a flower: the radius swells and shrinks with the angle", distort<wow>,
          {slider(1, 300, "strength: value × 0.09 %; 0 leaves the layer"), slider(2, 300, "petals: 2 + value × 0.018"),
           kCentreX, kCentreY, kEdge(repeatEdge), kBackground});
    r.add("Zig Zag", kTransforms, "straight-edged zig-zag waves across and down the layer", distort<zigZag>,
          {slider(1, 200, "sideways amplitude: value × 0.02 pixels"),
           slider(2, 200, "up-down amplitude: value × 0.02 pixels"),
           slider(3, 300, "wavelength: value × 0.1 + 2 pixels"), kEdge(repeatEdge), kBackground});
    r.add("Frosted Glass", kTransforms, "scatters each pixel by a random step, as seen through frosted glass",
          distort<frostedGlass>,
          {slider(1, 300, "scatter: up to value × 0.01 pixels"), slider(5, 0, "pattern: the random seed"),
           kEdge(repeatEdge), kBackground});
    r.add("Drop Shadow", kTransforms, "the layer over a blurred, offset shadow of its own shape", dropShadow,
          {slider(1, 650, "shadow right by (value - 500) × 0.02 pixels"),
           slider(2, 650, "shadow down by (value - 500) × 0.02 pixels"),
           slider(3, 200, "softness: blur radius value × 0.02 pixels"), slider(4, 700, "opacity: value × 0.1 %")});
}

}  // namespace dro
