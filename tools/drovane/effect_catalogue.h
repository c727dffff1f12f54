// The engine's effect table as the command line sees it, read through
// DRO_DescribeEffect; the tool keeps no list of its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cli {

struct EffectControl {
    std::string name;  // slider1..6, style1..2, flag1..6, color, variant, path
    int defaultValue = 0;
    int minimum = 0;
    int maximum = 0;
    std::string meaning;
};

struct EffectEntry {
    std::string name;
    std::string family;
    bool built = false;
    std::string summary;
    std::vector<EffectControl> controls;

    const EffectControl* control(const std::string& controlName) const;
};

// Every effect name of the engine in dispatch order.
std::vector<EffectEntry> effectCatalogue();
std::optional<EffectEntry> findEffect(const std::string& name);

// docs/effects.md: the built effects by family with their controls, then the names
// not built yet.
std::string effectCatalogueMarkdown(const std::vector<EffectEntry>& effects);

}  // namespace cli
