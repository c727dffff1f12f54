#include "core/rgba_blocks.h"

#include "core/canvas.h"

namespace dro {
namespace {

int64_t pixelCount(int32_t width, int32_t height) noexcept {
    return width > 0 && height > 0 ? int64_t{width} * height : 0;
}

int64_t canvasPixels() noexcept { return pixelCount(canvas().width, canvas().height); }

template <class Visit>
void forEachPixel(uint8_t* block, int64_t count, Visit visit) {
    if (!block) return;
    for (int64_t i = 0; i < count; ++i) visit(block + i * 4);
}

}  // namespace

void invertAlphaRGBA32(uint8_t* block) noexcept {
    forEachPixel(block, canvasPixels(), [](uint8_t* p) { p[3] = static_cast<uint8_t>(255 - p[3]); });
}

void clearAlphaOfColorRGBA32(uint8_t* block, int32_t red, int32_t green, int32_t blue) noexcept {
    forEachPixel(block, canvasPixels(), [=](uint8_t* p) {
        if (p[0] == red && p[1] == green && p[2] == blue) p[3] = 0;
    });
}

void setColorOfTransparentRGBA32(uint8_t* block, int32_t width, int32_t height, int32_t red, int32_t green,
                                 int32_t blue) noexcept {
    forEachPixel(block, pixelCount(width, height), [=](uint8_t* p) {
        if (p[3] != 0) return;
        p[0] = static_cast<uint8_t>(red);
        p[1] = static_cast<uint8_t>(green);
        p[2] = static_cast<uint8_t>(blue);
    });
}

void setColorRGBA32(uint8_t* block, int32_t width, int32_t height, int32_t red, int32_t green,
                    int32_t blue) noexcept {
    forEachPixel(block, pixelCount(width, height), [=](uint8_t* p) {
        p[0] = static_cast<uint8_t>(red);
        p[1] = static_cast<uint8_t>(green);
        p[2] = static_cast<uint8_t>(blue);
    });
}

}  // namespace dro
