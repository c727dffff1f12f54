// Text into the current layer, the text brush and the choice of their fonts.
#include <stdexcept>

#include "drovane.h"
#include "exports/guarded.h"
#include "imaging/geometry/text_command.h"
#include "io/fonts.h"
#include "io/text_brush.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_IPLText(int32_t red, int32_t green, int32_t blue, int32_t x, int32_t y, int32_t /*unused1*/,
                                  int32_t /*unused2*/, int32_t /*unused3*/, int32_t /*unused4*/, const char* text,
                                  uint8_t smoothAlpha) {
    guarded("IPLText Excpt", [&] {
        if (!drawTextIntoCurrentLayer(fontState().textFont, red, green, blue, x, y, text, smoothAlpha != 0))
            throw std::runtime_error("font");
    });
}
DRO_API int32_t DRO_CALL DRO_ChooseFont(void) {
    return guarded(kNoFailureText, 0, [] { return chooseFontFor(fontState().textFont); });
}
DRO_API int32_t DRO_CALL DRO_ChooseTextBrushFont(void) {
    return guarded(kNoFailureText, 0, [] { return chooseFontFor(fontState().textBrushFont); });
}
DRO_API void DRO_CALL DRO_BuildTextBrushClips(int32_t red, int32_t green, int32_t blue, const char* text,
                                              const char* folder) {
    guarded("BuildTextBrushClips Excpt", [&] { buildTextBrushClips(red, green, blue, text, folder); });
}
DRO_API void DRO_CALL DRO_SetFontFace(const char* face, int32_t pixelHeight, int32_t weight, uint8_t italic) {
    setHostFontFace(face, pixelHeight, weight, italic);
}

}  // extern "C"
