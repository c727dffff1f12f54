// The host effects that run one built-in effect of the procedural interpreter: the
// generators ("Lines" ... "Fibers") and the distortions and filters ("Twirl" ...
// "Minimum"). Their controls come from the interpreter's table: each named value
// becomes a slider over its range in table order; a generator's seed is the variant
// and its colour style is style 2 through the host's style table; a seed of a filter is
// the variant too, and red, green and blue values take the colour argument.
#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/procedural/effect_table.h"
#include "imaging/script_image.h"

namespace dro {
namespace {

using procedural::EffectEntry;
using procedural::EffectKind;
using procedural::ValueRule;

constexpr std::string_view kGenerators = "Procedural generators";
constexpr std::string_view kDistortions = "Procedural distortions";
constexpr int32_t kSliders = 6;

enum class Source : uint8_t { variant, style2, red, green, blue, slider };

Source sourceOf(const EffectEntry& e, const ValueRule& v) noexcept {
    if (e.kind == EffectKind::generator && v.index == procedural::kStyleValue) return Source::style2;
    if (v.name == "seed") return Source::variant;
    if (v.name == "red") return Source::red;
    if (v.name == "green") return Source::green;
    if (v.name == "blue") return Source::blue;
    return Source::slider;
}

// Slider 0..1000 over the value's range, rounded; the default's slider rounds back to it
// for ranges up to 1000 wide.
int32_t fromSlider(int32_t slider, const ValueRule& v) noexcept {
    const int64_t s = std::clamp(slider, 0, 1000);
    const int64_t span = int64_t{v.maximum} - v.minimum;
    return static_cast<int32_t>(v.minimum + (s * span + 500) / 1000);
}

int32_t toSlider(const ValueRule& v) noexcept {
    const int64_t span = int64_t{v.maximum} - v.minimum;
    return span > 0 ? static_cast<int32_t>(((int64_t{v.defaultValue} - v.minimum) * 1000 + span / 2) / span) : 0;
}

std::vector<ScriptValue> hostValues(const EffectEntry& e, const EffectArgs& a) {
    std::vector<ScriptValue> out;
    int32_t slider = 0;
    for (const ValueRule& v : e.values) {
        int32_t value = v.defaultValue;
        switch (sourceOf(e, v)) {
            case Source::variant: value = a.variant; break;
            case Source::style2: value = procedural::generatorStyleFromHost(a.style[1]); break;
            case Source::red: value = a.red; break;
            case Source::green: value = a.green; break;
            case Source::blue: value = a.blue; break;
            case Source::slider:
                if (slider < kSliders) value = fromSlider(a.slider[static_cast<size_t>(slider++)], v);
                break;
        }
        out.push_back({v.index, value});
    }
    return out;
}

const EffectEntry* entryOf(std::string_view hostName) noexcept {
    for (const EffectEntry& e : procedural::effectTable())
        if (e.hostName == hostName) return &e;
    return nullptr;
}

void runHostEffect(const EffectArgs& a) {
    const EffectEntry* e = entryOf(a.name);
    if (!e) return;
    const std::vector<ScriptValue> values = hostValues(*e, a);
    // Minimum works on premultiplied colour so transparent pixels lend none; the
    // distortions sample premultiplied colour with alpha themselves.
    const Premultiply premultiply = e->number == 26 ? Premultiply::yes : Premultiply::no;
    runLibraryStep(premultiply, [&](const uint8_t* source, uint8_t* destination, int32_t w, int32_t h) {
        std::memcpy(destination, source, static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
        return runScriptEffect(e->number, values, destination, w, h);
    });
}

// Meanings of the generated controls live as long as the registry.
std::string_view keep(std::string text) {
    static std::deque<std::string> texts;
    return texts.emplace_back(std::move(text));
}

std::vector<ControlInfo> controlsOf(const EffectEntry& e) {
    std::vector<ControlInfo> out;
    bool colour = false;
    int32_t sliders = 0;
    for (const ValueRule& v : e.values) {
        const std::string range = std::to_string(v.minimum) + ".." + std::to_string(v.maximum);
        switch (sourceOf(e, v)) {
            case Source::variant:
                out.push_back({Control::variant, v.defaultValue, v.minimum, v.maximum, keep("the seed")});
                break;
            case Source::style2:
                out.push_back(style(2, 0, procedural::kStyleCount - 1,
                                    "colour style: 0 grey, 1-12 fire, ice, earth, forest, sunset, ocean, rainbow, "
                                    "metal, candy, lava, moss, dusk; 13 inverted grey, 14 random hues, 15 black "
                                    "and white, 16 sepia, 17 neon"));
                break;
            case Source::red:
            case Source::green:
            case Source::blue:
                if (!colour) out.push_back(colourControl("the colour"));
                colour = true;
                break;
            case Source::slider:
                if (sliders >= kSliders) break;
                out.push_back(slider(++sliders, toSlider(v), keep(std::string(v.name) + ": " + range + " over the slider")));
                break;
        }
    }
    return out;
}

}  // namespace

void registerProceduralEffects(EffectRegistry& r) {
    for (const EffectEntry& e : procedural::effectTable()) {
        if (e.hostName.empty()) continue;
        const std::vector<ControlInfo> controls = controlsOf(e);
        r.add(e.hostName, e.kind == EffectKind::generator ? kGenerators : kDistortions, e.summary, runHostEffect,
              controls);
    }
}

}  // namespace dro
