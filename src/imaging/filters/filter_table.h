// The filter dispatcher: exact, case-sensitive names of the in-house filters, searched
// in a fixed order.
#pragma once

#include <span>
#include <string_view>

#include "imaging/filter_params.h"

namespace dro {

using FilterFunction = void (*)(FilterParams&);

struct FilterEntry {
    std::string_view name;
    FilterFunction run;
};

inline constexpr int kFilterCount = 25;

std::span<const FilterEntry> filterTable() noexcept;
// The filter of that name, or null.
FilterFunction findFilter(std::string_view name) noexcept;
// Runs the named filter on the block; an unknown name does nothing and returns false.
bool runFilter(std::string_view name, FilterParams& params);

}  // namespace dro
