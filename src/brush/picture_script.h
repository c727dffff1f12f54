// Picture scripts as brush shapes and grains use them: the script at a path run into
// an RGBA32 image of the size its header gives.
#pragma once

#include <cstdint>
#include <optional>

#include "core/owned_buffer.h"

namespace dro {

struct RgbaPicture {
    OwnedBuffer<uint8_t> pixels;  // null when the script could not be rendered
    int32_t width = 0;
    int32_t height = 0;
};

// nullopt when the path is not a script (it is then read as an image file); a picture
// without pixels when it is one but could not be rendered.
std::optional<RgbaPicture> runPictureScript(const char* path);

}  // namespace dro
