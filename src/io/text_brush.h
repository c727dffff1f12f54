// The text brush: each character of a text rendered into its own PNG, for use as a
// brush image.
#pragma once

#include <cstdint>

namespace dro {

// Writes folder/clip0.png, clip1.png ... (100 dpi) in textBrushFont; nothing for an
// empty text. Throws on failure; files already written stay.
void buildTextBrushClips(int32_t red, int32_t green, int32_t blue, const char* text, const char* folder);

}  // namespace dro
