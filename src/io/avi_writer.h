// The one AVI writer the host records a painting into: opened on a path with a frame
// period, fed RGB24 frames (or BMP files) of the canvas size it was opened at, closed.
// The first failure sets the failed flag and every later frame is refused; a file that
// could not be written whole never appears at the path.
#pragma once

#include <cstdint>

namespace dro::io {

// The host's choice of compression, taken when the first frame arrives (where Windows
// shows its compression dialog): handler "DIB " (or null) for uncompressed frames,
// "MJPG" for MJPEG at quality 1..100. False for any other handler.
bool setAviCompression(const char* handler, int32_t quality) noexcept;

// Finishes a writer that is still open, then opens one at the canvas size.
void createAvi(const char* path, int32_t periodMs);
void writeAviRgb24(const uint8_t* rgb24, int32_t width, int32_t height);
void writeAviBmp(const char* path);
void closeAvi();

// Drops an open writer without finishing its file.
void resetAviWriter() noexcept;

bool aviWriterOpen() noexcept;
bool aviWriterFailed() noexcept;
int32_t aviFrameCount() noexcept;

namespace testhooks {
// The largest file the writer makes before it refuses frames (1 GiB normally).
void setAviByteLimit(uint64_t bytes) noexcept;
}

}  // namespace dro::io
