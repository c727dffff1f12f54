// Text drawn with FreeType onto RGBA32 blocks (the imaging library's entry names).
// Text is UTF-8 (bytes that are not valid UTF-8 count as Latin-1); '\n' starts a line.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Drawing modes: plain RGBA (text laid over straight colour), or premultiplied
// (the block holds premultiplied colour, as does the result).
inline constexpr int32_t kTextModePlain = 1;
inline constexpr int32_t kTextModePremultiplied = 4;

// The pixel size of the text's box in the font: the widest line's advance and the
// line height times the number of lines. False when the font cannot be loaded.
bool is5_GetTextLineSize2(const char* text, const dro::platform::FontFace& font, int32_t* width, int32_t* height);

// Draws text with its first line's top at (left, top), clipped to the rectangle
// [left, right) x [top, bottom) and to the block; colour is R | G << 8 | B << 16 | A << 24.
// Any mode other than the premultiplied one draws plain. False when nothing could be
// drawn (bad block or font).
bool is5_DrawSmoothTextOnRGBA2(uint8_t* block, int32_t width, int32_t height, int32_t stride, const char* text,
                               const dro::platform::FontFace& font, int32_t mode, int32_t left, int32_t top,
                               int32_t right, int32_t bottom, uint32_t colour);
