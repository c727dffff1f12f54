#include "brush/brush_shape.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "brush/brush_buffers.h"
#include "brush/brush_services.h"
#include "brush/picture_script.h"
#include "brush/tool_settings.h"
#include "core/allocation.h"
#include "imaging/lib/grayscale.h"
#include "imaging/lib/procedural.h"
#include "imaging/lib/resample.h"

namespace dro {
namespace {

enum class Variant { Current, Original };

// A brush box edge M: the shape buffer is M x M values with row stride M.
int32_t boxEdge() noexcept { return brushBuffers().brushPlane ? brushBuffers().grainEdge : 0; }

uint16_t saturated16(double v) noexcept {
    if (!(v > 0.0)) return 0;
    return v >= 65535.0 ? 65535 : static_cast<uint16_t>(v);
}

bool pathNamesFile(const char* path) noexcept { return path && path[0] != '\0' && path[1] != '\0'; }

RgbaPicture shapeFromImageFile(const char* path) {
    RgbaPicture out;
    const std::optional<codecs::PixelImage> picture = readBrushPicture(path);
    if (!picture || picture->empty() || picture->channels != 4 || picture->width <= 0 || picture->height <= 0) {
        return out;
    }
    const uint64_t bytes = uint64_t(picture->width) * uint64_t(picture->height) * 4;
    if (picture->pixels.size() < bytes) return out;
    out.pixels = adoptBuffer(x_NewCharUndoReduce(bytes));
    if (!out.pixels) return out;
    std::memcpy(out.pixels.get(), picture->pixels.data(), bytes);
    out.width = picture->width;
    out.height = picture->height;
    return out;
}

// Effect 51 of the script library: the turn image brushes use too.
void turnShapeImage(uint8_t* image, int32_t width, int32_t height, int32_t degrees) {
    if (!ISL_Initialize()) return;
    if (ISL_AddEffect(kIslEffectRotate, 1)) {
        ISL_SetEffectValue(0, 3, degrees);
        ISL_SetEffectValue(0, 4, 100);
        ISL_ExecuteScriptOnImage(image, width, height);
    }
    ISL_Finish();
}

// Makes sure the cache holds the image of path turned by shapeParam; false when the
// file gives no image.
bool loadShapeImage(const char* path, int32_t shapeParam, Variant variant) {
    BrushBuffers& b = brushBuffers();
    if (b.shapeImage && b.shapePath == path && b.shapeImageParam == shapeParam) return true;
    b.releaseShape();
    RgbaPicture image;
    std::optional<RgbaPicture> scripted;
    if (variant == Variant::Current) scripted = runPictureScript(path);
    image = scripted ? std::move(*scripted) : shapeFromImageFile(path);
    if (!image.pixels) return false;
    b.shapePath = path;
    turnShapeImage(image.pixels.get(), image.width, image.height, shapeParam);
    b.shapeImage = std::move(image.pixels);
    b.shapeWidth = image.width;
    b.shapeHeight = image.height;
    b.shapeImageParam = shapeParam;
    return true;
}

// Scales the cached shape image to size x size RGBA32.
bool scaleShapeImage(uint8_t* rgba, int32_t size, Variant variant) {
    const BrushBuffers& b = brushBuffers();
    const int32_t w = b.shapeWidth;
    const int32_t h = b.shapeHeight;
    const uint8_t* image = b.shapeImage.get();
    if (variant == Variant::Original) {
        const int32_t method = (w < 5 || h < 5 || size < 5) ? 17 : 8;
        return is5_ResizeImage(image, w, h, w * 4, rgba, size, size, size * 4, 4, method, 0);
    }
    const int32_t blur = toolSettings().shapeBlur;
    if (blur < 1) {
        return is5_ResizeImage(image, w, h, w * 4, rgba, size, size, size * 4, 4, size < w ? 15 : 8, 0);
    }
    const uint64_t bytes = uint64_t(w) * uint64_t(h) * 4;
    OwnedBuffer<uint8_t> copy = adoptBuffer(x_NewCharUndoReduce(bytes));
    if (!copy) return false;
    std::memcpy(copy.get(), image, bytes);
    // Value Blur works in single-buffer mode: it reads and writes the copy only.
    valueBlurBrushPicture(const_cast<uint8_t*>(image), copy.get(), w, h, (100 - blur) * 10);
    if (size < w) return IS3DecimateImage(copy.get(), w, h, w * 4, rgba, size, size, size * 4, 4, 1);
    return IS3ResizeImage(copy.get(), w, h, w * 4, rgba, size, size, size * 4, 4);
}

bool shapeFromFile(const char* path, int32_t shapeParam, Variant variant) {
    if (!loadShapeImage(path, shapeParam, variant)) return false;
    const int32_t size = shapeEdge();
    if (size <= 0) return false;
    const uint64_t pixels = uint64_t(size) * uint64_t(size);
    OwnedBuffer<uint8_t> rgba = adoptBuffer(x_NewCharUndoReduce(pixels * 4));
    OwnedBuffer<uint8_t> grey = adoptBuffer(x_NewCharUndoReduce(pixels));
    if (!rgba || !grey) return false;
    bool built = false;
    if (scaleShapeImage(rgba.get(), size, variant) &&
        IS3ImageToGrayScale8Bit(rgba.get(), size, size, 4, size * 4, grey.get(), size, 0)) {
        const int32_t m = boxEdge();
        const float gain = toolSettings().shapeGain;
        uint16_t* plane = brushBuffers().brushPlane.get();
        for (int32_t y = 0; y < size; ++y) {
            for (int32_t x = 0; x < size; ++x) {
                const float v = static_cast<float>(grey[int64_t{y} * size + x] * 256) * gain;
                plane[int64_t{y} * m + x] = saturated16(std::trunc(v));
            }
        }
        built = true;
    }
    toolSettings().drawingLength = toolSettings().grainInterval;
    return built;
}

// A disc of radius size / 2 with a linear rim edgeSoftness / 255 of the radius wide.
void roundShape(Variant variant) {
    const ToolSettings& t = toolSettings();
    const int32_t size = shapeEdge();
    const int32_t m = boxEdge();
    uint16_t* plane = brushBuffers().brushPlane.get();
    const double r = size * 0.5;
    const double soft = t.edgeSoftness * (1.0 / 255.0) * r;
    const double inner = r - soft;
    const double centre = variant == Variant::Original ? static_cast<double>(size / 2) : r;
    const double pixelOffset = variant == Variant::Original ? 0.0 : 0.5;
    for (int32_t y = 0; y < size; ++y) {
        const double dy = y + pixelOffset - centre;
        for (int32_t x = 0; x < size; ++x) {
            const double dx = x + pixelOffset - centre;
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d > r) continue;
            double v = 65535.0;
            if (t.edgeSoftness > 0 && d > inner) v = std::clamp((soft - (d - inner)) / soft * 65535.0, 0.0, 65535.0);
            if (t.invertShape) v = std::fabs(v - 65535.0);
            plane[int64_t{y} * m + x] = saturated16(std::trunc(v * t.shapeGain));
        }
    }
}

void buildShape(const char* path, int32_t shapeParam, Variant variant) {
    BrushBuffers& b = brushBuffers();
    const int32_t m = boxEdge();
    if (m <= 0) return;
    std::memset(b.brushPlane.get(), 0, uint64_t(m) * uint64_t(m) * sizeof(uint16_t));
    if (pathNamesFile(path) && shapeFromFile(path, shapeParam, variant)) return;
    roundShape(variant);
}

}  // namespace

int32_t shapeEdge() noexcept {
    const int32_t limit = std::min(boxEdge(), kScaleTableLength);
    return std::clamp(toolSettings().size, 0, limit);
}

void setBrushShape(const char* path, int32_t shapeParam) { buildShape(path, shapeParam, Variant::Current); }

void setBrushShapeOriginal(const char* path, int32_t shapeParam) {
    buildShape(path, shapeParam, Variant::Original);
}

void unloadBrushShape() noexcept { brushBuffers().releaseShape(); }

}  // namespace dro
