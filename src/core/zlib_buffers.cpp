#include "core/zlib_buffers.h"

#include <zlib.h>

#include <climits>

namespace dro {

int32_t IS3ZDeflateBuffer(const void* input, uint32_t inputBytes, void* output, uint32_t outputCapacity,
                          int32_t level) noexcept {
    if (!input || !output) return 0;
    uLongf written = outputCapacity;
    const int status = compress2(static_cast<Bytef*>(output), &written, static_cast<const Bytef*>(input),
                                 inputBytes, level);
    if (status != Z_OK || written > INT_MAX) return 0;
    return static_cast<int32_t>(written);
}

int32_t IS3ZInflateBuffer(const void* input, uint32_t inputBytes, void* output, uint32_t outputCapacity,
                          int32_t) noexcept {
    if (!input || !output) return -1;
    uLongf written = outputCapacity;
    uLong consumed = inputBytes;
    const int status = uncompress2(static_cast<Bytef*>(output), &written, static_cast<const Bytef*>(input),
                                   &consumed);
    if (status != Z_OK || written > INT_MAX) return -1;
    return static_cast<int32_t>(written);
}

}  // namespace dro
