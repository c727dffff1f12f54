#include "brush/picture_script.h"

#include <cstring>

#include "core/allocation.h"
#include "imaging/lib/grayscale.h"
#include "imaging/lib/procedural.h"

namespace dro {

std::optional<RgbaPicture> runPictureScript(const char* path) {
    if (!ISL_Initialize()) return std::nullopt;
    struct FinishOnExit {
        ~FinishOnExit() { ISL_Finish(); }
    } finish;
    if (!ISL_LoadScriptFromFile(path)) return std::nullopt;
    RgbaPicture out;
    ISL_InitBuffers();
    IslScriptHeader header;
    if (!ISL_ReadScriptHeaderFromFile(path, &header)) return out;
    const int32_t w = header.imageWidth();
    const int32_t h = header.imageHeight();
    if (w <= 0 || h <= 0 || int64_t{w} * h > (int64_t{1} << 26)) return out;
    const uint64_t bytes = uint64_t(w) * uint64_t(h) * 4;
    OwnedBuffer<uint8_t> image = adoptBuffer(x_NewCharUndoReduce(bytes));
    if (!image) return out;
    std::memset(image.get(), 0, bytes);
    if (!ISL_ExecuteScript(image.get(), w, h)) return out;
    IS3RGBAToBGRA(image.get(), w, h, w * 4);
    out.pixels = std::move(image);
    out.width = w;
    out.height = h;
    return out;
}

}  // namespace dro
