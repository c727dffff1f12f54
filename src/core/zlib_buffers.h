// zlib streams of whole buffers.
#pragma once

#include <cstdint>

namespace dro {

// Compresses input into output at the given zlib level (passed through unchanged).
// Returns the compressed size, or 0 when it failed or did not fit.
int32_t IS3ZDeflateBuffer(const void* input, uint32_t inputBytes, void* output, uint32_t outputCapacity,
                          int32_t level) noexcept;

// Inflates input into output. Returns the inflated size, or -1 when the stream is
// corrupt or does not fit in outputCapacity.
int32_t IS3ZInflateBuffer(const void* input, uint32_t inputBytes, void* output, uint32_t outputCapacity,
                          int32_t flags) noexcept;

}  // namespace dro
