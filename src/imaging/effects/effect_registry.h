// The one table of effects: for every effect name, its family, what it does, what each
// of its controls means with default and range, and the function that runs it. Each
// family file registers its effects with one add() call each; a name without a
// function is known but not built, and the dispatcher reports it as not run.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/effects/effect_args.h"
#include "imaging/effects/effect_names.h"

namespace dro {

using EffectFunction = void (*)(const EffectArgs&);

// The host's settings an effect can read; the text forms are the command-line option
// names without their dashes.
enum class Control : uint8_t {
    variant,
    slider1, slider2, slider3, slider4, slider5, slider6,
    style1, style2,
    flag1, flag2, flag3, flag4, flag5, flag6,
    colour,
    path,
};
std::string_view controlName(Control c) noexcept;

struct ControlInfo {
    Control id = Control::slider1;
    int32_t defaultValue = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;  // flags 0..1; the colour's range is per channel
    std::string_view meaning;
};

struct EffectInfo {
    std::string_view name;
    std::string_view family;   // empty for a name not built
    std::string_view summary;  // one line: what it does
    EffectFunction run = nullptr;
    std::vector<ControlInfo> controls;

    bool built() const noexcept { return run != nullptr; }
    const ControlInfo* control(Control id) const noexcept;
};

// Shorthands for the registration lines. Sliders run 0..1000 unless said.
constexpr ControlInfo slider(int n, int32_t defaultValue, std::string_view meaning, int32_t maximum = 1000,
                             int32_t minimum = 0) noexcept {
    return {static_cast<Control>(static_cast<int>(Control::slider1) + n - 1), defaultValue, minimum, maximum, meaning};
}
constexpr ControlInfo flag(int n, std::string_view meaning) noexcept {
    return {static_cast<Control>(static_cast<int>(Control::flag1) + n - 1), 0, 0, 1, meaning};
}
constexpr ControlInfo style(int n, int32_t defaultValue, int32_t maximum, std::string_view meaning) noexcept {
    return {static_cast<Control>(static_cast<int>(Control::style1) + n - 1), defaultValue, 0, maximum, meaning};
}
constexpr ControlInfo colourControl(std::string_view meaning) noexcept {
    return {Control::colour, 0, 0, 255, meaning};
}
constexpr ControlInfo pathControl(std::string_view meaning) noexcept { return {Control::path, 0, 0, 0, meaning}; }

class EffectRegistry {
public:
    EffectRegistry();

    // False (and the name is remembered as rejected) for a name that is not an effect
    // name, is already registered, has no function or repeats a control.
    bool add(std::string_view name, std::string_view family, std::string_view summary, EffectFunction run,
             std::initializer_list<ControlInfo> controls = {});
    // The same with controls built at run time (the meanings must outlive the registry).
    bool add(std::string_view name, std::string_view family, std::string_view summary, EffectFunction run,
             std::span<const ControlInfo> controls);

    // The effect of that exact name, or null when it is unknown or not built.
    EffectFunction find(std::string_view name) const noexcept;
    EffectFunction at(int index) const noexcept { return effects_[static_cast<size_t>(index)].run; }
    // Every effect name in dispatch order, built or not.
    const EffectInfo& info(int index) const noexcept { return effects_[static_cast<size_t>(index)]; }
    int registeredCount() const noexcept { return registered_; }

    static constexpr int kRejectedKept = 16;
    int rejectedCount() const noexcept { return rejected_; }
    std::string_view rejected(int i) const noexcept { return rejectedNames_[static_cast<size_t>(i)]; }

private:
    std::array<EffectInfo, kEffectCount> effects_{};
    int registered_ = 0;
    std::array<std::string_view, kRejectedKept> rejectedNames_{};
    int rejected_ = 0;
};

// Built once from every family.
const EffectRegistry& effectRegistry() noexcept;

// One effect as text for hosts: a first line "name<TAB>family<TAB>built|not built<TAB>
// summary", then one line per control "control<TAB>default<TAB>min<TAB>max<TAB>meaning".
std::string describeEffect(const EffectInfo& effect);

// The families; one line each in effect_registry.cpp.
void registerInHouseEffects(EffectRegistry& registry);
void registerMaskEffects(EffectRegistry& registry);
void registerColourAdjustEffects(EffectRegistry& registry);
void registerScriptEffects(EffectRegistry& registry);
void registerToneEffects(EffectRegistry& registry);
void registerColourEffects(EffectRegistry& registry);
void registerBlurEffects(EffectRegistry& registry);
void registerGeometryEffects(EffectRegistry& registry);
void registerSharpenEffects(EffectRegistry& registry);
void registerRankEffects(EffectRegistry& registry);
void registerNoiseEffects(EffectRegistry& registry);
void registerNoiseRemovalEffects(EffectRegistry& registry);
void registerCompoundEffects(EffectRegistry& registry);
void registerClipboardEffects(EffectRegistry& registry);
void registerArtisticEffects(EffectRegistry& registry);
void registerReliefEffects(EffectRegistry& registry);
void registerTransformEffects(EffectRegistry& registry);
void registerWarpEffects(EffectRegistry& registry);
void registerProceduralEffects(EffectRegistry& registry);
void registerScriptCompoundEffects(EffectRegistry& registry);

}  // namespace dro
