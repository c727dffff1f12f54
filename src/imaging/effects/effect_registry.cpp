#include "imaging/effects/effect_registry.h"

namespace dro {

bool EffectRegistry::add(std::string_view name, EffectFunction run) noexcept {
    const std::optional<int> index = effectIndex(name);
    if (!index || !run || functions_[static_cast<size_t>(*index)]) {
        if (rejected_ < kRejectedKept) rejectedNames_[static_cast<size_t>(rejected_)] = name;
        ++rejected_;
        return false;
    }
    functions_[static_cast<size_t>(*index)] = run;
    ++registered_;
    return true;
}

EffectFunction EffectRegistry::find(std::string_view name) const noexcept {
    const std::optional<int> index = effectIndex(name);
    return index ? functions_[static_cast<size_t>(*index)] : nullptr;
}

const EffectRegistry& effectRegistry() noexcept {
    static const EffectRegistry registry = [] {
        EffectRegistry r;
        registerInHouseEffects(r);
        registerMaskEffects(r);
        registerColourAdjustEffects(r);
        registerScriptEffects(r);
        registerClipboardEffects(r);
        return r;
    }();
    return registry;
}

}  // namespace dro
