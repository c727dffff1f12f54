// The whole engine's life cycle: creating, resizing and ending the canvas, and every
// subsystem back to its state at load. It sits above every subsystem, which is why it
// may reach them all; nothing below includes it.
#pragma once

#include <cstdint>

namespace dro {

// Each throws AllocationFailure when a buffer the canvas needs cannot be had; the
// export layer turns that into the operation's failure text. Work done stays done.
void createImage(void* window, int32_t width, int32_t height, int32_t maxBrush);
void newSize(void* window, int32_t width, int32_t height, int32_t maxBrush);
void deleteImage();

// Every subsystem back to its state at load: no canvas, no buffers, default settings.
void resetEngine() noexcept;

}  // namespace dro
