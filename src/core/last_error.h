// The engine's one error channel: a fixed text per failure, never cleared.
#pragma once

namespace dro {

inline constexpr int kLastErrorCapacity = 512;  // 511 characters and the terminator

void setLastError(const char* text) noexcept;
const char* lastError() noexcept;

}  // namespace dro
