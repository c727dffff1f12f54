// Allocation, release, refresh and host copies of the six working buffers. Every
// block is tightly packed at the canvas's size; a buffer whose recorded size does not
// match the canvas (a tool buffer from an earlier canvas) is replaced on allocation
// and never read or written as if it matched.
#pragma once

#include <cstdint>

#include "imaging/working_buffers.h"

namespace dro {

// Bytes a canvas-sized block of bytesPerPixel needs; 0 without a canvas.
uint64_t canvasBlockBytes(int32_t bytesPerPixel) noexcept;
// The buffer's block when it is present and sized for the canvas at bytesPerPixel.
uint8_t* canvasBlock(const WorkingBuffer& buffer, int32_t bytesPerPixel) noexcept;

// Keep or replace the block, then fill it from the current layer (RGBA32 or RGB24).
// A failed allocation leaves the block null with the wanted size recorded and throws
// AllocationFailure for the export's text.
void allocateSourceBuffer(WorkingBuffer& buffer, int32_t bytesPerPixel);
// Keep (old contents) or replace the block; a new block starts zeroed.
void allocateDestinationBuffer(WorkingBuffer& buffer, int32_t bytesPerPixel);

// Copies a host block of canvas size into a present RGBA32 buffer.
void setBuffer32(WorkingBuffer& buffer, const uint8_t* block) noexcept;
// Re-reads the current layer into the IPL source (32) when it exists.
void updateIplSource32() noexcept;
// Scales the IPL source (32)'s alpha by the mask when the mask is in force.
void applyMaskToAlphaIplSource() noexcept;

}  // namespace dro
