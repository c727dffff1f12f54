// The effects that are implemented, by name. Each family file registers its own names
// explicitly; a name must be one of the effect names, and each may be registered once.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "imaging/effects/effect_args.h"
#include "imaging/effects/effect_names.h"

namespace dro {

using EffectFunction = void (*)(const EffectArgs&);

class EffectRegistry {
public:
    // False (and the name is remembered as rejected) for a name that is not an effect
    // name or is already registered.
    bool add(std::string_view name, EffectFunction run) noexcept;

    // The effect of that exact name, or null when it is unknown or not implemented.
    EffectFunction find(std::string_view name) const noexcept;
    EffectFunction at(int index) const noexcept { return functions_[static_cast<size_t>(index)]; }
    int registeredCount() const noexcept { return registered_; }

    static constexpr int kRejectedKept = 16;
    int rejectedCount() const noexcept { return rejected_; }
    std::string_view rejected(int i) const noexcept { return rejectedNames_[static_cast<size_t>(i)]; }

private:
    std::array<EffectFunction, kEffectCount> functions_{};
    int registered_ = 0;
    std::array<std::string_view, kRejectedKept> rejectedNames_{};
    int rejected_ = 0;
};

// Built once from every family.
const EffectRegistry& effectRegistry() noexcept;

// The families; one line each in effect_registry.cpp.
void registerInHouseEffects(EffectRegistry& registry);
void registerMaskEffects(EffectRegistry& registry);
void registerColourAdjustEffects(EffectRegistry& registry);
void registerScriptEffects(EffectRegistry& registry);
void registerClipboardEffects(EffectRegistry& registry);

}  // namespace dro
