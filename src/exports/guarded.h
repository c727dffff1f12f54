// The failure convention of every export: run the work, and if anything escapes,
// record the operation's fixed text and return the neutral value. Nothing is ever
// thrown across the C boundary.
#pragma once

#include <type_traits>

#include "core/last_error.h"

namespace dro {

// For exports whose failures have no text of their own.
inline constexpr const char* kNoFailureText = nullptr;

template <class Result, class Work>
Result guarded(const char* failureText, Result fallback, Work&& work) noexcept {
    try {
        return static_cast<Result>(work());
    } catch (...) {
        if (failureText) setLastError(failureText);
        return fallback;
    }
}

template <class Work>
void guarded(const char* failureText, Work&& work) noexcept {
    try {
        work();
    } catch (...) {
        if (failureText) setLastError(failureText);
    }
}

}  // namespace dro
