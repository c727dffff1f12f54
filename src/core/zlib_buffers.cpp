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
    z_stream stream{};
    stream.next_in = static_cast<Bytef*>(const_cast<void*>(input));
    stream.avail_in = inputBytes;
    stream.next_out = static_cast<Bytef*>(output);
    stream.avail_out = outputCapacity;
    if (inflateInit(&stream) != Z_OK) return -1;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Almost every mutation breaks the Adler-32 trailer; the fuzzer wants what follows it.
    inflateValidate(&stream, 0);
#endif
    // Only a whole stream that fits counts: a short output or a cut input is a failure.
    const int status = inflate(&stream, Z_FINISH);
    const uLong written = stream.total_out;
    inflateEnd(&stream);
    if (status != Z_STREAM_END || written > INT_MAX) return -1;
    return static_cast<int32_t>(written);
}

}  // namespace dro
