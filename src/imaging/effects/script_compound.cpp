// Effects built on the procedural interpreter: reliefs made with its emboss, patterns
// folded from a picture through a chain of its distortions, and backgrounds tiled from
// the picture a script file generates.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "core/last_error.h"
#include "core/random_tables.h"
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/filter_frame.h"
#include "imaging/geometry/displacement_bump.h"
#include "imaging/lib/overlay.h"
#include "imaging/lib/resample.h"
#include "imaging/script_image.h"

namespace dro {
namespace {

constexpr std::string_view kScriptFamily = "Procedural textures";
constexpr int32_t kEmbossEffect = 23;
constexpr int32_t kDodge = 14;
constexpr int32_t kLastBlendMode = 30;  // the MERGE_ constants end at silhouette
constexpr int32_t kBicubic = 17;
constexpr int32_t kAreaAverage = 15;

// Grey, inverted, embossed by the interpreter with the light at `values`, written, then
// dodged onto itself: pencil-like strokes along the edges.
void embossRelief(const EffectArgs& a, std::span<const ScriptValue> values) {
    const IplPair pair = iplPair();
    if (!pair) return;
    updateSourceFromLayer();
    FilterSettings s = a.filterSettings(0);
    if (!runFilterFrame("Grayscale", s)) return;
    s.inPlace = 1;
    if (!runFilterFrame("Invert", s)) return;
    if (!runScriptEffect(kEmbossEffect, values, pair.destination, pair.width, pair.height)) return;
    writeBackAndRefresh(pair.destination);
    mergeIntoLayer(pair.destination, kDodge, 255);
}

void colourPencil2(const EffectArgs& a) {
    constexpr std::array values{ScriptValue{0, 180}, ScriptValue{1, 90}};
    embossRelief(a, values);
}

void emboss3(const EffectArgs& a) {
    constexpr std::array values{ScriptValue{0, 45}};
    embossRelief(a, values);
}


void setOpaque(uint8_t* block, int32_t w, int32_t h) noexcept {
    const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
    for (size_t i = 0; i < count; ++i) block[i * 4 + 3] = 255;
}

// A picture scaled by percent (at least one pixel each way).
std::vector<uint8_t> scaled(const uint8_t* image, int32_t w, int32_t h, float percent, int32_t filter, int32_t& tw,
                            int32_t& th) {
    tw = std::max(1, static_cast<int32_t>(static_cast<float>(w) * percent * 0.01f));
    th = std::max(1, static_cast<int32_t>(static_cast<float>(h) * percent * 0.01f));
    std::vector<uint8_t> out(static_cast<size_t>(tw) * static_cast<size_t>(th) * 4);
    if (!is5_ResizeImage(image, w, h, w * 4, out.data(), tw, th, tw * 4, 4, filter, 0)) out.clear();
    return out;
}

// The picture reduced to slider 1 percent, folded through waves, sine, twirl, tilt and
// kaleidoscope, and tiled opaque over the layer.
void patternize(const uint8_t* image, int32_t w, int32_t h, const EffectArgs& a) {
    const IplPair pair = iplPair();
    if (!pair) return;
    int32_t tw = 0, th = 0;
    std::vector<uint8_t> tile = scaled(image, w, h, std::clamp(a.percent[0], 1.0f, 100.0f), kBicubic, tw, th);
    if (tile.empty()) return;
    constexpr std::array sine{ScriptValue{0, 4}, ScriptValue{1, 4}, ScriptValue{2, 0}, ScriptValue{3, 0}, ScriptValue{4, 1}};
    constexpr std::array twirl{ScriptValue{0, 360}, ScriptValue{1, 3}, ScriptValue{2, 3}, ScriptValue{3, 1}};
    const std::array<ScriptEffectCall, 6> chain{{{51, {}}, {16, {}}, {13, sine}, {6, twirl}, {54, {}}, {49, {}}}};
    if (!runScriptEffects(chain, tile.data(), tw, th)) return;
    tileRgba32(pair.destination, pair.width, pair.height, tile.data(), tw, th, 0, 0);
    setOpaque(pair.destination, pair.width, pair.height);
    writeBackAndRefresh(pair.destination);
}

void patternizer(const EffectArgs& a) {
    const IplPair pair = iplPair();
    if (!pair) return;
    updateSourceFromLayer();
    const std::vector<uint8_t> layer(pair.source, pair.source + static_cast<size_t>(pair.width) * pair.height * 4);
    patternize(layer.data(), pair.width, pair.height, a);
}

// The picture of the script at the effect's path; the reason goes to the last error.
ScriptImage scriptPicture(const EffectArgs& a) {
    std::string reason;
    ScriptImage image = generateScriptImage(a.path, &reason);
    if (!image) setLastError((std::string(a.name) + ": " + reason).c_str());
    return image;
}

void patternExplorer(const EffectArgs& a) {
    if (!iplPair()) return;
    const ScriptImage image = scriptPicture(a);
    if (image) patternize(image.pixels.get(), image.width, image.height, a);
}

// The script's picture scaled to slider 1 percent and tiled over the IPL destination
// (from a random offset with flag 2). False when there is no picture.
bool tileScriptPicture(const EffectArgs& a, const IplPair& pair, bool inverted) {
    ScriptImage image = scriptPicture(a);
    if (!image) return false;
    uint8_t* px = image.pixels.get();
    if (inverted)
        for (size_t i = 0; i < static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4; ++i)
            if (i % 4 != 3) px[i] = static_cast<uint8_t>(255 - px[i]);
    int32_t tw = 0, th = 0;
    const std::vector<uint8_t> tile = scaled(px, image.width, image.height, a.percent[0], kAreaAverage, tw, th);
    if (tile.empty()) return false;
    const int32_t x0 = a.flag[1] ? -(nextRandom() % tw) : 0;
    const int32_t y0 = a.flag[1] ? -(nextRandom() % th) : 0;
    tileRgba32(pair.destination, pair.width, pair.height, tile.data(), tw, th, x0, y0);
    return true;
}

int32_t mergeMode(const EffectArgs& a) noexcept { return std::clamp(a.style[0], 0, kLastBlendMode); }
int32_t mergeOpacity(const EffectArgs& a) noexcept { return static_cast<int32_t>(a.percent[1] * 2.559f); }

// The tiled picture (opaque with flag 1) merged in blend mode style 1 at slider 2 opacity.
void backgrounds(const EffectArgs& a) {
    const IplPair pair = iplPair();
    if (!pair || !tileScriptPicture(a, pair, false)) return;
    if (a.flag[0]) setOpaque(pair.destination, pair.width, pair.height);
    mergeIntoLayer(pair.destination, mergeMode(a), mergeOpacity(a));
}

// The inverted picture tiled, lit as a surface of its own lightness (the interpreter's
// bump), made opaque and merged through the mask in blend mode style 1 at slider 2.
void texturizeBump(const EffectArgs& a) {
    const IplPair pair = iplPair();
    if (!pair || !tileScriptPicture(a, pair, true)) return;
    constexpr int32_t kBumpEffect = 27;
    if (!runScriptEffect(kBumpEffect, {}, pair.destination, pair.width, pair.height)) return;
    setOpaque(pair.destination, pair.width, pair.height);
    mergeIntoLayer(pair.destination, mergeMode(a), mergeOpacity(a));
}

// The inverted picture tiled and turned into a grey relief lit from the upper left,
// level ground mid grey (light at 30 degrees), then overlaid on the layer within the
// layer's own alpha: the layer looks pressed into the texture.
void texturizeEmboss(const EffectArgs& a) {
    const IplPair pair = iplPair();
    if (!pair) return;
    updateSourceFromLayer();
    if (!tileScriptPicture(a, pair, true)) return;
    const std::array relief{ScriptValue{0, 135}, ScriptValue{1, 30},
                            ScriptValue{2, static_cast<int32_t>(a.slider[1] / 5)}};
    if (!runScriptEffect(kEmbossEffect, relief, pair.destination, pair.width, pair.height)) return;
    const size_t count = static_cast<size_t>(pair.width) * static_cast<size_t>(pair.height);
    for (size_t i = 0; i < count; ++i) pair.destination[i * 4 + 3] = pair.source[i * 4 + 3];
    constexpr int32_t kOverlay = 11;
    mergeIntoLayer(pair.destination, kOverlay, 255);
}

// The premultiplied layer moved along the slopes of the script's picture, tiled: slider
// 1 the shift in pixels, the colour (with alpha 0) what the shift uncovers.
void displacementBumpEffect(const EffectArgs& a) {
    const IplPair pair = iplPair();
    if (!pair) return;
    updateSourceFromLayer();
    premultiplyForNeighbourhood(pair.source, pair.width, pair.height);
    displacementBump(a.path, a.percent[0], static_cast<uint32_t>(a.colour));
}

constexpr ControlInfo kScriptPath = pathControl("the procedural script (docs/procedural-scripts.md)");

}  // namespace

void registerScriptCompoundEffects(EffectRegistry& r) {
    r.add("Color Pencil 2", kScriptFamily, "grey, inverted, embossed from the left and dodged: pencil strokes",
          colourPencil2);
    r.add("Emboss3", kScriptFamily, "grey, inverted, embossed from the upper right and dodged", emboss3);
    r.add("Patternizer", kScriptFamily, "the layer reduced, folded by waves, twirls and a kaleidoscope, tiled",
          patternizer, {slider(1, 250, "size of the tile: value × 0.1 percent of the layer")});
    r.add("Pattern Explorer", kScriptFamily, "a script's picture folded as by Patternizer and tiled", patternExplorer,
          {kScriptPath, slider(1, 250, "size of the tile: value × 0.1 percent of the script's picture")});
    const std::initializer_list<ControlInfo> background{
        kScriptPath, slider(1, 1000, "size of the tile: value × 0.1 percent of the script's picture"),
        slider(2, 1000, "opacity of the merge: value × 0.2559"),
        style(1, 0, kLastBlendMode, "blend mode of the merge (0 normal … 30 silhouette)"), flag(1, "opaque: every alpha 255"),
        flag(2, "start the tiling at a random offset")};
    for (const char* name : {"Backgrounds Material", "Backgrounds Nature", "Backgrounds Surface", "Backgrounds Other",
                             "Backgrounds Utility"})
        r.add(name, kScriptFamily, "tiles a script's picture over the layer and merges it", backgrounds, background);
    for (const char* name : {"Texturize Emboss Material", "Texturize Emboss Nature", "Texturize Emboss Surface",
                             "Texturize Emboss Other", "Texturize Emboss Utility"})
        r.add(name, kScriptFamily, "presses a script's picture into the layer as a lit relief", texturizeEmboss,
              {kScriptPath, slider(1, 1000, "size of the tile: value × 0.1 percent of the script's picture"),
               slider(2, 500, "depth of the relief: value × 0.2 percent"),
               flag(2, "start the tiling at a random offset")});
    r.add("Texturize Bump Utility", kScriptFamily, "a script's inverted picture, tiled and lit as relief, merged",
          texturizeBump,
          {kScriptPath, slider(1, 1000, "size of the tile: value × 0.1 percent of the script's picture"),
           slider(2, 1000, "opacity of the merge: value × 0.2559"),
           style(1, 0, kLastBlendMode, "blend mode of the merge (0 normal … 30 silhouette)"),
           flag(2, "start the tiling at a random offset")});
    for (const char* name : {"Displacement Bump Material", "Displacement Bump Nature", "Displacement Bump Surface",
                             "Displacement Bump Other", "Displacement Bump Utility"})
        r.add(name, kScriptFamily, "moves the layer along the slopes of a script's picture, tiled",
              displacementBumpEffect,
              {kScriptPath,
               slider(1, 100, "shift in pixels, value × 0.1, where the picture climbs from black to white in two pixels"),
               colourControl("what the shift uncovers (kept transparent)")});
}

}  // namespace dro
