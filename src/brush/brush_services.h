// What brush shapes and grains need from the layers above brush: picture files read
// as RGBA32 (io) and the "Value Blur" filter (imaging). The engine life cycle attaches
// both when the library loads, so brush never includes those layers.
#pragma once

#include <cstdint>
#include <optional>

#include "imaging/lib/codecs/codec_types.h"

namespace dro {

struct BrushServices {
    // Any image file as RGBA32; nullopt when it cannot be read.
    std::optional<codecs::PixelImage> (*readPicture)(const char* path) = nullptr;
    // "Value Blur" with its two sliders at `slider` over a width x height RGBA32 pair,
    // as the filter table runs it (in single-buffer mode it reads and writes destination).
    void (*valueBlur)(uint8_t* source, uint8_t* destination, int32_t width, int32_t height, int32_t slider) = nullptr;
};

void attachBrushServices(const BrushServices& services) noexcept;

// The attached services; unattached, no picture can be read and a blur leaves the
// picture as it is.
std::optional<codecs::PixelImage> readBrushPicture(const char* path);
void valueBlurBrushPicture(uint8_t* source, uint8_t* destination, int32_t width, int32_t height, int32_t slider);

}  // namespace dro
