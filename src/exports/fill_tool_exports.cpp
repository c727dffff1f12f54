// Fill, shape and selection tools.
#include "drovane.h"
#include "exports/guarded.h"
#include "imaging/tools/fill_tools.h"
#include "imaging/tools/shape_tools.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_IPLFloodFill(int32_t red, int32_t green, int32_t blue, int32_t x, int32_t y,
                                       int32_t tolerance, const char* mode) {
    guarded("IPLFloodFill Excpt", [&] { floodFill(red, green, blue, x, y, tolerance, mode); });
}

DRO_API void DRO_CALL DRO_IPLRectangle(int32_t red, int32_t green, int32_t blue, int32_t x0, int32_t y0, int32_t x1,
                                       int32_t y1, int32_t opacity) {
    guarded("IPLRectangle Excpt", [&] { drawRectangle(red, green, blue, x0, y0, x1, y1, opacity); });
}

DRO_API void DRO_CALL DRO_IPLEllipse(int32_t red, int32_t green, int32_t blue, int32_t x0, int32_t y0, int32_t x1,
                                     int32_t y1, int32_t opacity) {
    guarded("IPLEllipse Excpt", [&] { drawEllipse(red, green, blue, x0, y0, x1, y1, opacity); });
}

DRO_API void DRO_CALL DRO_IPLGradient(int32_t r1, int32_t g1, int32_t b1, int32_t r2, int32_t g2, int32_t b2,
                                      int32_t r3, int32_t g3, int32_t b3, int32_t r4, int32_t g4, int32_t b4,
                                      int32_t count, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                      const char* type) {
    guarded("IPLGradient Excpt", [&] {
        const int32_t colours[4][3] = {{r1, g1, b1}, {r2, g2, b2}, {r3, g3, b3}, {r4, g4, b4}};
        drawGradient(colours, count, x0, y0, x1, y1, type);
    });
}

DRO_API void DRO_CALL DRO_IPLMaskRectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t strength,
                                           int32_t black, const char* operation) {
    guarded("IPLMaskRectangle Excpt", [&] { maskRectangle(x0, y0, x1, y1, strength, black, operation); });
}

DRO_API void DRO_CALL DRO_IPLMaskEllipse(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t strength,
                                         int32_t black, const char* operation) {
    guarded("IPLMaskEllipse Excpt", [&] { maskEllipse(x0, y0, x1, y1, strength, black, operation); });
}

DRO_API void DRO_CALL DRO_IPLMaskWand(int32_t x, int32_t y, int32_t tolerance, int32_t strength, const char* mode) {
    guarded("IPLMaskWand Excpt", [&] { maskWand(x, y, tolerance, strength, mode); });
}

}  // extern "C"
