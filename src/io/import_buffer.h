// NewRGBA: the one import buffer that file reads, the clipboard and screen capture
// fill, and from which the host fetches pixels of a size it did not know beforehand.
#pragma once

#include <cstdint>

#include "core/owned_buffer.h"

namespace dro {

struct ImportBuffer {
    int32_t width = 0;
    int32_t height = 0;
    OwnedBuffer<uint8_t> data;  // width x height RGBA32, packed, top row first
};

ImportBuffer& importBuffer() noexcept;
void resetImportBuffer() noexcept;

// CreateNewRGBA: drops the old block, records the size and allocates an uncleared
// block. Returns the block, or null when it could not be allocated (no block then).
uint8_t* createNewRgba(int32_t width, int32_t height);
void deleteNewRgba() noexcept;

// The host-facing reads of the buffer; each does nothing without a block.
void copyNewRgba32(uint8_t* destination);
void copyNewRgb24(uint8_t* destination);
void copyResizedNewRgb24(uint8_t* destination, int32_t width, int32_t height);
bool newRgbaHasTransparency() noexcept;
void loadNewRgbaIntoCurrentLayer();

}  // namespace dro
