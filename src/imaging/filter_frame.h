// The in-house filter entry: fills the filter parameter block from the IPL RGBA32
// source and destination and the host's settings, and runs the named filter.
#pragma once

#include <string_view>

#include "imaging/filter_params.h"

namespace dro {

// Does nothing and returns false when either IPL RGBA32 buffer is absent. With in place
// 0 the destination first becomes a copy of the source.
bool runFilterFrame(std::string_view name, const FilterSettings& settings);

}  // namespace dro
