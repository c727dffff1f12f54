// System messages that reach the engine's hidden window. The host polls the result
// with DRO_IsDisplayChanged.
#pragma once

#include <cstdint>

namespace dro {

inline constexpr uint32_t kMsgSettingChange = 0x1A;
inline constexpr uint32_t kMsgActivateApp = 0x1C;
inline constexpr uint32_t kMsgUserChanged = 0x54;
inline constexpr uint32_t kMsgDisplayChange = 0x7E;
inline constexpr uint32_t kMsgPowerBroadcast = 0x218;

// Notes a message for the host; returns whether it raised the display-changed flag.
bool onSystemMessage(uint32_t message, uintptr_t wParam) noexcept;

// Returns and clears the display-changed flag.
bool takeDisplayChanged() noexcept;

}  // namespace dro
