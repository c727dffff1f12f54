// Copy, paste and screen grabs through the clipboard's CF_DIB images. Every incoming
// image passes through the import buffer (NewRGBA); pastes go into the current layer
// through the mask (and, for the transformed paste, the texture).
#pragma once

#include <cstdint>

#include "io/clip_transform.h"

namespace dro::io {

// Puts an RGBA32 block on the clipboard; false when the clipboard did not take it.
bool putOnClipboard(const uint8_t* rgba, int32_t width, int32_t height);
// Reads the clipboard into the import buffer; false (buffer untouched) when it holds
// no image we can read.
bool readClipboardIntoImport();
// The import buffer's picture moved out as a clip (the buffer keeps its size, no block).
Clip takeImportedClip() noexcept;

void toClipboard();
// Any two opposite corners; the rectangle spans from the smaller to the larger value
// (the larger edge excluded) and is cut to the canvas. Nothing when that is empty.
void toClipboardRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
void rgba32ToClipboardRect(const uint8_t* block, int32_t x, int32_t y, int32_t width, int32_t height,
                           bool applyMask);

int32_t fromClipboard();
int32_t fromClipboardInto(int32_t x, int32_t y, int32_t centre);
void fromClipboardIntoTransformed(int32_t x, int32_t y, int32_t size, int32_t angle, int32_t centre,
                                  int32_t filtered, int32_t opacity);
// Places the import buffer on the current layer at (x, y) through the mask; 1 when
// anything was placed. Releases the buffer.
int32_t pasteImportInto(int32_t x, int32_t y);

void clipboardFlip(int32_t direction);
int32_t fromClipboardToFile(const char* path, const char* extension, int32_t dpi);
void toClipboardFromFile(const char* path);
void fromClipboardToImageBrush(int32_t side);
void fromClipboardToImageBrushFile(const char* path, int32_t side);
void fromClipboardToShapeFile(const char* path, int32_t side, int32_t angle);

int32_t screenCapture();
int32_t screenCaptureInto();

}  // namespace dro::io
