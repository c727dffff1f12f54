// One RGB24 frame compressed as a baseline JPEG in memory, as MJPEG video carries it.
#pragma once

#include <cstdint>
#include <vector>

namespace dro::io {

// width x height RGB24, packed rows top first; quality 1..100 (clamped). Empty on failure.
std::vector<uint8_t> compressMjpegFrame(const uint8_t* rgb24, int32_t width, int32_t height, int32_t quality);

}  // namespace dro::io
