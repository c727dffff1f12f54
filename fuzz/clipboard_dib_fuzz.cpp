// Clipboard DIB bytes from another program: decoding gives nothing or a picture of the
// size it reports, never reads outside the bytes, and what we encode decodes back.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "io/clipboard_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto img = dro::io::decodeClipboardDib(dro::codecs::ByteSpan(data, size));
    if (!img) return 0;
    if (img->pixels.size() != size_t(img->width) * size_t(img->height) * 4) __builtin_trap();
    const auto again = dro::io::encodeClipboardDib(img->pixels.data(), img->width, img->height);
    const auto back = dro::io::decodeClipboardDib(dro::codecs::ByteSpan(again.data(), again.size()));
    if (!back || back->width != img->width || back->height != img->height) __builtin_trap();
    return 0;
}
