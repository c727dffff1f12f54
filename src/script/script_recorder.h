// The paint script file: "scripts/luapaint.srp" under the start directory, one token
// per line, each line ended by CR LF on every platform.
#pragma once

#include <cstddef>
#include <string>

namespace dro {

// Where the file goes: the start directory with the relative path appended as it is
// (the start directory ends with its separator).
std::string paintFilePath();

// Starts a new file at that path (closing one that is open); false when it cannot be
// created, leaving none open.
bool openPaintFile() noexcept;
void closePaintFile() noexcept;
bool paintFileOpen() noexcept;

// One line: the bytes as given, then CR LF. Nothing when no file is open.
void writePaintLine(const char* text, std::size_t length) noexcept;
void writePaintLine(const char* text) noexcept;

}  // namespace dro
