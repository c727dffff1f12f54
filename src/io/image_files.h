// Reading and writing image files for the host: the import buffer reads, the
// size-checked reads, block and page writes, resolution queries, thumbnails.
#pragma once

#include <cstdint>
#include <optional>

#include "imaging/lib/codecs/codec_types.h"

namespace dro {

// Any image file as RGBA32 (metafiles drawn at their own size on white); nullopt when
// it cannot be read. For engine parts that load pictures: brush shapes, grain.
std::optional<codecs::PixelImage> readImageFileRgba32(const char* path);

int32_t readFromFile(const char* path);
int32_t readFromFileRaw(const char* path);
int32_t readFromFileRgba32(uint8_t* destination, int32_t width, int32_t height, const char* path);
int32_t readFromFileRgb24(uint8_t* destination, int32_t width, int32_t height, const char* path);

int32_t writeToFileRgb24(const uint8_t* block, int32_t width, int32_t height, const char* path,
                         const char* extension, int32_t dpi);
int32_t writeToFileRgba32(const uint8_t* block, int32_t width, int32_t height, const char* path,
                          const char* extension, int32_t dpi);

// The flattened visible layers, composited and written one row at a time.
void savePageToFileRgb24(const char* path, const char* extension, int32_t dpi);
void savePageToFileRgb32(const char* path, const char* extension, int32_t dpi);

int32_t dpiFromFile(const char* path);
int32_t pngWidth(const char* path);
int32_t pngHeight(const char* path);

void makeThumbnail(const char* source, const char* destination, int32_t edge);
void makeWebPicture(const char* source, const char* destination, int32_t maxWidth, int32_t maxHeight);

}  // namespace dro
