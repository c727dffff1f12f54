// Metafile bytes from anywhere, rendered at a size the first bytes choose: the picture
// always has that size, and no record reaches outside the bytes. Packed DIBs, as the
// clipboard hands them over, share the target.
#include <cstddef>
#include <cstdint>

#include "imaging/lib/codecs/dib_codec.h"
#include "imaging/lib/codecs/metafile_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int32_t w = 1 + data[0] % 64, h = 1 + data[1] % 64;
    const dro::codecs::ByteSpan bytes(data + 2, size - 2);
    if (const auto img = dro::codecs::renderMetafile(bytes, w, h, 0x808080)) {
        if (img->width != w || img->height != h || img->pixels.size() != size_t(w) * size_t(h) * 3) __builtin_trap();
    }
    (void)dro::codecs::readMetafileInfo(bytes);
    (void)dro::codecs::decodeDib(bytes);
    return 0;
}
