// Whole files in and out of memory. Decoders work on the bytes of a file, which keeps
// every read inside a known length.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace dro::codecs {

// Files larger than this are refused rather than read.
inline constexpr uint64_t kMaxFileBytes = uint64_t{2} << 30;

// The file's bytes, or nullopt when it cannot be opened, read, or is too large.
std::optional<std::vector<uint8_t>> readWholeFile(const char* path);

}  // namespace dro::codecs
