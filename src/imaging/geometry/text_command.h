// Text drawn into the current layer through the IPL source (32).
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace dro {

// The text's top-left at (x, y), in the font (the host's text font, which the caller
// looks up) and the colour; smoothAlpha draws on
// premultiplied colour. Only the text's rectangle of the layer is rewritten (through
// the mask); an empty text or a missing IPL source writes nothing. dirtyRect becomes
// the whole canvas. False when the font could not be used.
bool drawTextIntoCurrentLayer(const platform::FontFace& font, int32_t red, int32_t green, int32_t blue, int32_t x,
                              int32_t y, const char* text, bool smoothAlpha);

}  // namespace dro
