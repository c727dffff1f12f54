// Windows metafiles, enhanced (EMF) and old-style (WMF, placeable or plain), as far as
// their raster records go: each bitmap record is drawn into a picture of the asked
// size; vector records are passed over. EMF is also written, holding one bitmap.
#pragma once

#include <cstdint>
#include <optional>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

bool isEmf(ByteSpan bytes);
bool isWmf(ByteSpan bytes);

// RGB24 (channels 3) of width x height on the background colour (a Windows COLORREF,
// r | g << 8 | b << 16). The header's frame fills the picture; each raster record's
// bitmap is scaled nearest-neighbour into its destination rectangle, through the
// window and viewport mapping and the raster operation when that ignores the brush.
// EMR_STRETCHDIBITS, EMR_SETDIBITSTODEVICE, EMR_BITBLT and EMR_STRETCHBLT; WMF
// META_STRETCHDIB, META_DIBSTRETCHBLT, META_DIBBITBLT and META_SETDIBTODEV.
std::optional<PixelImage> renderMetafile(ByteSpan bytes, int32_t width, int32_t height,
                                         uint32_t backgroundColorRef);

// The natural size in pixels: the EMF frame on its reference device, the placeable
// WMF box at 96 dots per inch, or the window extent of a plain WMF. Unit 0.
std::optional<ImageInfo> readMetafileInfo(ByteSpan bytes);

// An EMF of one EMR_HEADER, one EMR_STRETCHDIBITS with a 24-bit DIB and EMR_EOF, framed
// for width x height pixels at 96 dots per inch.
bool writeEmf(FileDest dest, const uint8_t* rgb24, int32_t width, int32_t height);

}  // namespace dro::codecs
