// Internal failures that end an export early; the export layer records its fixed text.
#pragma once

#include <exception>

namespace dro {

struct AllocationFailure : std::exception {
    const char* what() const noexcept override { return "allocation failed"; }
};

// Throws AllocationFailure when a required block is missing.
template <class Pointer>
void requireAllocated(const Pointer& block) {
    if (!block) throw AllocationFailure{};
}

}  // namespace dro
