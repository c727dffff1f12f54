// NewRGBA: the one import buffer that file reads, the clipboard and screen capture
// fill, and from which the host fetches pixels of a size it did not know beforehand.
#pragma once

#include <cstdint>
#include <vector>

#include "core/subsystem_state.h"

namespace dro {

struct ImportBuffer {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;  // width x height RGBA32, packed, top row first; empty = no block

    bool hasBlock() const noexcept { return !pixels.empty(); }
};

inline ImportBuffer& importBuffer() noexcept { return subsystemState<ImportBuffer>(); }
inline void resetImportBuffer() noexcept { resetSubsystemState<ImportBuffer>(); }

// CreateNewRGBA: drops the old block, records the size and allocates a block
// (dropping undo steps when memory is short). Returns the block, or null when it could
// not be allocated (no block then).
uint8_t* createNewRgba(int32_t width, int32_t height);
// Makes a decoded width x height RGBA32 picture the block without copying it.
void adoptNewRgba(int32_t width, int32_t height, std::vector<uint8_t>&& rgba) noexcept;
void deleteNewRgba() noexcept;

// The host-facing reads of the buffer; each does nothing without a block.
void copyNewRgba32(uint8_t* destination);
void copyNewRgb24(uint8_t* destination);
void copyResizedNewRgb24(uint8_t* destination, int32_t width, int32_t height);
bool newRgbaHasTransparency() noexcept;
void loadNewRgbaIntoCurrentLayer();

}  // namespace dro
