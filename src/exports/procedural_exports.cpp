// Extension: procedural image scripts for hosts (docs/procedural-scripts.md).
#include <cstring>
#include <string>

#include "core/last_error.h"
#include "drovane.h"
#include "exports/guarded.h"
#include "imaging/script_image.h"

using namespace dro;

extern "C" {

DRO_API int32_t DRO_CALL DRO_ProceduralScriptSize(const char* path, int32_t* width, int32_t* height) {
    return guarded("ProceduralScriptSize Excpt", 0, [&] {
        std::string reason;
        int32_t w = 0, h = 0;
        if (!readScriptImageSize(path, w, h, &reason)) {
            setLastError(reason.c_str());
            return 0;
        }
        if (width) *width = w;
        if (height) *height = h;
        return 1;
    });
}

DRO_API int32_t DRO_CALL DRO_RenderProceduralScript(const char* path, uint8_t* rgba, int32_t width, int32_t height) {
    return guarded("RenderProceduralScript Excpt", 0, [&] {
        if (!rgba) return 0;
        std::string reason;
        const ScriptImage image = generateScriptImage(path, &reason);
        if (!image) {
            setLastError(reason.c_str());
            return 0;
        }
        if (image.width != width || image.height != height) {
            setLastError("the block is not the script's size");
            return 0;
        }
        std::memcpy(rgba, image.pixels.get(), static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
        return 1;
    });
}

}  // extern "C"
