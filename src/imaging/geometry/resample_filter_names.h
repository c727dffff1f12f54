// The resample filter names a host may pass, and the filter code each selects.
#pragma once

#include <cstdint>
#include <string_view>

namespace dro {

// Exact, case-sensitive; an unknown or absent name selects Lanczos3 (code 8).
int32_t resampleFilterCode(std::string_view name) noexcept;
int32_t resampleFilterCode(const char* name) noexcept;

// Every name in table order (for help texts and tests).
struct ResampleFilterName {
    std::string_view name;
    int32_t code;
};
const ResampleFilterName* resampleFilterNames(int32_t* count) noexcept;

}  // namespace dro
