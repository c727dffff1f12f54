#include "imaging/effects/effect_registry.h"

namespace dro {

std::string_view controlName(Control c) noexcept {
    static constexpr std::array<std::string_view, 17> kNames{
        "variant", "slider1", "slider2", "slider3", "slider4", "slider5", "slider6", "style1", "style2",
        "flag1",   "flag2",   "flag3",   "flag4",   "flag5",   "flag6",   "color",   "path"};
    return kNames[static_cast<size_t>(c)];
}

const ControlInfo* EffectInfo::control(Control id) const noexcept {
    for (const ControlInfo& c : controls)
        if (c.id == id) return &c;
    return nullptr;
}

EffectRegistry::EffectRegistry() {
    for (int i = 0; i < kEffectCount; ++i) effects_[static_cast<size_t>(i)].name = kEffectNames[static_cast<size_t>(i)];
}

bool EffectRegistry::add(std::string_view name, std::string_view family, std::string_view summary,
                         EffectFunction run, std::initializer_list<ControlInfo> controls) {
    return add(name, family, summary, run, std::span<const ControlInfo>(controls.begin(), controls.size()));
}

bool EffectRegistry::add(std::string_view name, std::string_view family, std::string_view summary,
                         EffectFunction run, std::span<const ControlInfo> controls) {
    const std::optional<int> index = effectIndex(name);
    bool repeated = false;
    for (auto a = controls.begin(); a != controls.end(); ++a)
        for (auto b = a + 1; b != controls.end(); ++b) repeated |= a->id == b->id;
    if (!index || !run || repeated || effects_[static_cast<size_t>(*index)].run) {
        if (rejected_ < kRejectedKept) rejectedNames_[static_cast<size_t>(rejected_)] = name;
        ++rejected_;
        return false;
    }
    EffectInfo& e = effects_[static_cast<size_t>(*index)];
    e.family = family;
    e.summary = summary;
    e.run = run;
    e.controls.assign(controls.begin(), controls.end());
    ++registered_;
    return true;
}

EffectFunction EffectRegistry::find(std::string_view name) const noexcept {
    const std::optional<int> index = effectIndex(name);
    return index ? effects_[static_cast<size_t>(*index)].run : nullptr;
}

std::string describeEffect(const EffectInfo& e) {
    std::string text;
    text.append(e.name).append("\t").append(e.family).append("\t").append(e.built() ? "built" : "not built");
    text.append("\t").append(e.summary).append("\n");
    for (const ControlInfo& c : e.controls) {
        text.append(controlName(c.id)).append("\t").append(std::to_string(c.defaultValue)).append("\t");
        text.append(std::to_string(c.minimum)).append("\t").append(std::to_string(c.maximum)).append("\t");
        text.append(c.meaning).append("\n");
    }
    return text;
}

const EffectRegistry& effectRegistry() noexcept {
    static const EffectRegistry registry = [] {
        EffectRegistry r;
        registerInHouseEffects(r);
        registerMaskEffects(r);
        registerColourAdjustEffects(r);
        registerScriptEffects(r);
        registerToneEffects(r);
        registerColourEffects(r);
        registerBlurEffects(r);
        registerGeometryEffects(r);
        registerSharpenEffects(r);
        registerRankEffects(r);
        registerNoiseEffects(r);
        registerNoiseRemovalEffects(r);
        registerCompoundEffects(r);
        registerClipboardEffects(r);
        registerArtisticEffects(r);
        registerReliefEffects(r);
        registerTransformEffects(r);
        registerWarpEffects(r);
        registerProceduralEffects(r);
        registerScriptCompoundEffects(r);
        return r;
    }();
    return registry;
}

}  // namespace dro
