// Polygon warps: the layer's box (the whole canvas, or with flag 1 the bounding box
// of its content) is mapped projectively onto a quadrilateral whose corners the
// sliders move. A slider moves its corners by trunc((50 - p) × size × 0.01) pixels,
// p its percentage and size the box's width for x or height for y, so 500 leaves
// them; each table row below says which corner, along which axis and in which
// direction. Outside the new quadrilateral the layer becomes the colour at alpha 0.
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/canvas.h"
#include "core/fill.h"
#include "core/layer_alpha.h"
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/polygon_warp.h"

namespace dro {
namespace {

constexpr std::string_view kWarps = "Warps";
constexpr int32_t kPremultipliedBicubic = 2;

enum Corner : uint8_t { topLeft, topRight, bottomRight, bottomLeft };
enum class Axis : uint8_t { x, y };

// One corner coordinate a slider moves: by the offset (toward the box's inside
// for slider values below 500 when sign is +1 on the left/top or -1 on the
// right/bottom).
struct CornerMove {
    int slider;
    Corner corner;
    Axis axis;
    int sign;
};

// A warp: its name, what it does (the summary goes on with how a slider moves its
// corners, the same for every warp), its sliders and the corner coordinates they move.
struct WarpRule {
    WarpRule(std::string_view n, std::string_view look, std::vector<ControlInfo> s, std::vector<CornerMove> m)
        : name(n),
          summary(std::string(look) +
                  "; a slider moves its corners by (500 - value) / 1000 of the box's width (x) or height (y)"),
          sliders(std::move(s)),
          moves(std::move(m)) {}

    std::string_view name;
    std::string summary;
    std::vector<ControlInfo> sliders;
    std::vector<CornerMove> moves;
};

const std::vector<WarpRule>& warpRules() {
    static const std::vector<WarpRule> rules{
        {"Perspective",
         "keystone: the top edge's ends and the left edge's ends move together or apart",
         {slider(1, 350, "top-left and top-right corners toward each other below 500, apart above"),
          slider(2, 500, "top-left and bottom-left corners toward each other below 500, apart above")},
         {{1, topLeft, Axis::x, 1},
          {1, topRight, Axis::x, -1},
          {2, topLeft, Axis::y, 1},
          {2, bottomLeft, Axis::y, -1}}},
        {"Warp",
         "each corner moves along its diagonal",
         {slider(1, 400, "top-left corner inward below 500, outward above"),
          slider(2, 500, "top-right corner inward below 500, outward above"),
          slider(3, 400, "bottom-right corner inward below 500, outward above"),
          slider(4, 500, "bottom-left corner inward below 500, outward above")},
         {{1, topLeft, Axis::x, 1},
          {1, topLeft, Axis::y, 1},
          {2, topRight, Axis::x, -1},
          {2, topRight, Axis::y, 1},
          {3, bottomRight, Axis::x, -1},
          {3, bottomRight, Axis::y, -1},
          {4, bottomLeft, Axis::x, 1},
          {4, bottomLeft, Axis::y, -1}}},
        {"Warp Edge",
         "the two corners of each edge move toward each other or apart",
         {slider(1, 400, "top edge: top-left and top-right corners together below 500, apart above"),
          slider(2, 500, "right edge: top-right and bottom-right corners together below 500"),
          slider(3, 500, "bottom edge: bottom-left and bottom-right corners together below 500"),
          slider(4, 500, "left edge: top-left and bottom-left corners together below 500")},
         {{1, topLeft, Axis::x, 1},
          {1, topRight, Axis::x, -1},
          {2, topRight, Axis::y, 1},
          {2, bottomRight, Axis::y, -1},
          {3, bottomLeft, Axis::x, 1},
          {3, bottomRight, Axis::x, -1},
          {4, topLeft, Axis::y, 1},
          {4, bottomLeft, Axis::y, -1}}},
        {"Warp 3 Point",
         "three corners move freely; the bottom-left corner stays",
         {slider(1, 600, "top-left corner: right above 500, left below"),
          slider(2, 500, "top-left corner: down above 500, up below"),
          slider(3, 500, "top-right corner: right above 500, left below"),
          slider(4, 600, "top-right corner: down above 500, up below"),
          slider(5, 500, "bottom-right corner: right above 500, left below"),
          slider(6, 500, "bottom-right corner: down above 500, up below")},
         {{1, topLeft, Axis::x, -1},
          {2, topLeft, Axis::y, -1},
          {3, topRight, Axis::x, -1},
          {4, topRight, Axis::y, -1},
          {5, bottomRight, Axis::x, -1},
          {6, bottomRight, Axis::y, -1}}},
        {"Stretch",
         "squeezes or stretches the layer about its middle",
         {slider(1, 600, "width: the left corners and the right corners together below 500, apart above"),
          slider(2, 500, "height: the top corners and the bottom corners together below 500, apart above")},
         {{1, topLeft, Axis::x, 1},
          {1, bottomLeft, Axis::x, 1},
          {1, topRight, Axis::x, -1},
          {1, bottomRight, Axis::x, -1},
          {2, topLeft, Axis::y, 1},
          {2, topRight, Axis::y, 1},
          {2, bottomLeft, Axis::y, -1},
          {2, bottomRight, Axis::y, -1}}},
        {"Stretch Edge",
         "moves each edge (both its corners) inward or outward",
         {slider(1, 400, "top edge (top-left, top-right): inward below 500, outward above"),
          slider(2, 500, "right edge (top-right, bottom-right): inward below 500, outward above"),
          slider(3, 500, "bottom edge (bottom-left, bottom-right): inward below 500, outward above"),
          slider(4, 500, "left edge (top-left, bottom-left): inward below 500, outward above")},
         {{1, topLeft, Axis::y, 1},
          {1, topRight, Axis::y, 1},
          {2, topRight, Axis::x, -1},
          {2, bottomRight, Axis::x, -1},
          {3, bottomLeft, Axis::y, -1},
          {3, bottomRight, Axis::y, -1},
          {4, topLeft, Axis::x, 1},
          {4, bottomLeft, Axis::x, 1}}},
        {"Vertical Pivot",
         "turns the layer about its vertical axis: one side shortens as the other grows",
         {slider(1, 350, "below 500 the left edge's corners move together and the right edge's apart; above, the "
                 "reverse")},
         {{1, topLeft, Axis::y, 1},
          {1, bottomLeft, Axis::y, -1},
          {1, topRight, Axis::y, -1},
          {1, bottomRight, Axis::y, 1}}},
        {"Horizontal Pivot",
         "turns the layer about its horizontal axis: one edge narrows as the other widens",
         {slider(1, 350, "below 500 the top edge's corners move together and the bottom edge's apart; above, the "
                 "reverse")},
         {{1, topLeft, Axis::x, 1},
          {1, topRight, Axis::x, -1},
          {1, bottomLeft, Axis::x, -1},
          {1, bottomRight, Axis::x, 1}}},
        {"Skew",
         "slants the layer: opposite edges slide against each other",
         {slider(1, 600, "top corners right and bottom corners left above 500, the reverse below"),
          slider(2, 500, "right corners up and left corners down above 500, the reverse below")},
         {{1, topLeft, Axis::x, -1},
          {1, topRight, Axis::x, -1},
          {1, bottomLeft, Axis::x, 1},
          {1, bottomRight, Axis::x, 1},
          {2, topLeft, Axis::y, -1},
          {2, bottomLeft, Axis::y, -1},
          {2, topRight, Axis::y, 1},
          {2, bottomRight, Axis::y, 1}}},
    };
    return rules;
}

const WarpRule* ruleFor(std::string_view name) {
    for (const WarpRule& r : warpRules())
        if (r.name == name) return &r;
    return nullptr;
}

// The box to warp: the canvas, or the layer's content clipped to it; false when
// there is no content.
bool warpBox(const EffectArgs& a, int32_t w, int32_t h, Rect& box) {
    box = {0, 0, w - 1, h - 1};
    if (!a.flag[0]) return true;
    Rect content;
    if (!findDataExtentsLayer(canvas().currentLayer, content)) return false;
    box = {std::max(content.left, 0), std::max(content.top, 0), std::min(content.right, w - 1),
           std::min(content.bottom, h - 1)};
    return box.left <= box.right && box.top <= box.bottom;
}

lib::Quad boxCorners(const Rect& b) {
    return {{{double(b.left), double(b.top)},
             {double(b.right), double(b.top)},
             {double(b.right), double(b.bottom)},
             {double(b.left), double(b.bottom)}}};
}

// Two corners moved onto one point (an edge squeezed to nothing) leave no projective
// map; a hundredth of a pixel apart, along their old edge, the quad is a triangle to
// the eye and the map exists.
void separateMergedCorners(const lib::Quad& from, lib::Quad& to) {
    for (size_t i = 0; i < 4; ++i)
        for (size_t j = i + 1; j < 4; ++j) {
            if (to[i].x != to[j].x || to[i].y != to[j].y) continue;
            const double ex = from[j].x - from[i].x, ey = from[j].y - from[i].y;
            const double length = std::hypot(ex, ey);
            if (length == 0) continue;
            to[j].x += 0.01 * ex / length;
            to[j].y += 0.01 * ey / length;
        }
}

void polygonWarp(const EffectArgs& a) {
    const WarpRule* rule = ruleFor(a.name);
    if (!rule) return;
    runLibraryStep(Premultiply::yes, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        Rect box;
        if (!warpBox(a, w, h, box)) return false;
        const lib::Quad from = boxCorners(box);
        lib::Quad to = from;
        const int32_t size[2] = {box.right - box.left + 1, box.bottom - box.top + 1};
        for (const CornerMove& m : rule->moves) {
            const auto axis = static_cast<size_t>(m.axis);
            // Far beyond any canvas the quad is refused; the clamp keeps the cast defined.
            const float move =
                (50 - a.percent[static_cast<size_t>(m.slider - 1)]) * static_cast<float>(size[axis]) * 0.01f;
            const auto offset = static_cast<int32_t>(std::clamp(move, -1e9f, 1e9f));
            double& coordinate = m.axis == Axis::x ? to[m.corner].x : to[m.corner].y;
            coordinate += m.sign * offset;
        }
        separateMergedCorners(from, to);
        clearRGBA32(d, w * 4, w, h, a.red, a.green, a.blue, 0);
        return is5_PolygonWarpImage(s, w, h, w * 4, from.data(), d, w, h, w * 4, to.data(), 32, 0, 0,
                                    kPremultipliedBicubic, 0);
    });
}

constexpr ControlInfo kContentBox = flag(1, "warp the bounding box of the layer's content instead of the canvas");
constexpr ControlInfo kClearColour = colourControl("colour given to the uncovered places (at alpha 0)");

}  // namespace

void registerWarpEffects(EffectRegistry& r) {
    for (const WarpRule& rule : warpRules()) {
        std::vector<ControlInfo> controls = rule.sliders;
        controls.push_back(kContentBox);
        controls.push_back(kClearColour);
        r.add(rule.name, kWarps, rule.summary, polygonWarp, controls);
    }
}

}  // namespace dro
