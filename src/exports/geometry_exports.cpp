// Canvas geometry, pan and the RGB24 blur.
#include <exception>

#include "drovane.h"
#include "exports/guarded.h"
#include "imaging/geometry/canvas_geometry.h"
#include "imaging/geometry/layer_moves.h"

using namespace dro;

namespace {

// A command that could not start (bad size, no canvas, no memory) reports its text.
struct CommandNotRun : std::exception {};
void require(bool ran) {
    if (!ran) throw CommandNotRun{};
}

}  // namespace

extern "C" {

DRO_API void DRO_CALL DRO_IPLResize(int32_t newWidth, int32_t newHeight, const char* filter) {
    guarded("IPLResize Excpt", [&] { require(resizeCanvasLayers(newWidth, newHeight, filter)); });
}
DRO_API void DRO_CALL DRO_IPLSeamCarvingRGBA(int32_t newWidth, int32_t newHeight, int32_t /*unused*/) {
    guarded("IPLResize Excpt", [&] { require(seamCarveCanvasLayers(newWidth, newHeight)); });
}
DRO_API void DRO_CALL DRO_IPLResizePage(int32_t newWidth, int32_t newHeight, const char* anchor, int32_t red,
                                        int32_t green, int32_t blue) {
    guarded("IPLResizePage Excpt", [&] { require(resizePage(newWidth, newHeight, anchor, red, green, blue)); });
}
DRO_API void DRO_CALL DRO_IPLCrop(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    guarded("IPLCrop Excpt", [&] { require(cropCanvasLayers(left, top, right, bottom)); });
}
DRO_API void DRO_CALL DRO_IPLRotateLeft(void) {
    guarded("IPLRotateLeft Excpt", [] { require(rotateCanvasLayers(false)); });
}
DRO_API void DRO_CALL DRO_IPLRotateRight(void) {
    guarded("IPLRotateRight Excpt", [] { require(rotateCanvasLayers(true)); });
}
DRO_API void DRO_CALL DRO_IPLFlipHorizontal(void) {
    guarded("IPLFlipHorizontal Excpt", [] { require(flipCanvasLayers(true)); });
}
// Hosts match this failure text as it has always been spelt.
DRO_API void DRO_CALL DRO_IPLFlipVertical(void) {
    guarded("IPLVlipVertical Excpt", [] { require(flipCanvasLayers(false)); });
}
DRO_API void DRO_CALL DRO_IPLPan(int32_t dx, int32_t dy, int32_t edgeMode, int32_t red, int32_t green, int32_t blue,
                                 int32_t alpha, uint8_t applyMaskAndTexture) {
    guarded("IPLPan Excpt", [&] {
        const uint8_t background[4] = {static_cast<uint8_t>(red), static_cast<uint8_t>(green),
                                       static_cast<uint8_t>(blue), static_cast<uint8_t>(alpha)};
        panCurrentLayer(dx, dy, edgeMode, background, applyMaskAndTexture != 0);
    });
}
DRO_API void DRO_CALL DRO_BlurMoreBufferRGB24(uint8_t* block, int32_t width, int32_t height, int32_t radius,
                                              int32_t strength) {
    if (!block) return;
    guarded("BlurMoreBuffer Excpt", [&] { require(blurMoreRgb24(block, width, height, radius, strength)); });
}

}  // extern "C"
