#include "brush/brush_services.h"

namespace dro {
namespace {

BrushServices gServices;  // set once at load, never reset: it names code, not state

}  // namespace

void attachBrushServices(const BrushServices& services) noexcept { gServices = services; }

std::optional<codecs::PixelImage> readBrushPicture(const char* path) {
    if (!gServices.readPicture) return std::nullopt;
    return gServices.readPicture(path);
}

void valueBlurBrushPicture(uint8_t* source, uint8_t* destination, int32_t width, int32_t height, int32_t slider) {
    if (gServices.valueBlur) gServices.valueBlur(source, destination, width, height, slider);
}

}  // namespace dro
