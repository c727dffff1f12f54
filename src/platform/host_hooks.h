// What a host (or a test) plugs into the platform layer on every OS: its message box
// callback and the Escape key presses it reports. Each backend asks these first.
#pragma once

namespace dro::platform {

// Gives the message to the host's callback; false when the host set none.
bool deliverToHostCallback(const char* text, const char* caption) noexcept;

// Returns and clears an Escape press reported through pressEscape.
bool takeReportedEscape() noexcept;

}  // namespace dro::platform
