#include "imaging/script_image.h"

#include <cstring>

#include "core/allocation.h"
#include "imaging/lib/grayscale.h"
#include "imaging/lib/procedural.h"

namespace dro {
namespace {

// ISL_Finish whenever ISL_Initialize succeeded, whichever way the caller leaves.
struct IslSession {
    bool open = ISL_Initialize();
    ~IslSession() {
        if (open) ISL_Finish();
    }
};

bool failWith(std::string* reason, const char* text) {
    if (reason) *reason = text && *text ? text : "the script could not be run";
    return false;
}

}  // namespace

bool readScriptImageSize(const char* path, int32_t& width, int32_t& height, std::string* reason) {
    IslSession session;
    if (!session.open) return failWith(reason, ISL_GetLastError());
    if (!ISL_LoadScriptFromFile(path)) return failWith(reason, ISL_GetLastError());
    ISL_InitBuffers();
    IslScriptHeader header;
    if (!ISL_ReadScriptHeaderFromFile(path, &header)) return failWith(reason, ISL_GetLastError());
    width = header.imageWidth();
    height = header.imageHeight();
    return true;
}

ScriptImage generateScriptImage(const char* path, std::string* reason) {
    ScriptImage out;
    IslSession session;
    if (!session.open || !ISL_LoadScriptFromFile(path)) {
        failWith(reason, ISL_GetLastError());
        return out;
    }
    ISL_InitBuffers();
    IslScriptHeader header;
    if (!ISL_ReadScriptHeaderFromFile(path, &header)) {
        failWith(reason, ISL_GetLastError());
        return out;
    }
    const int32_t w = header.imageWidth(), h = header.imageHeight();
    if (w <= 0 || h <= 0) {
        failWith(reason, "the script's size is not usable");
        return out;
    }
    const uint64_t bytes = uint64_t(w) * uint64_t(h) * 4;
    OwnedBuffer<uint8_t> image = adoptBuffer(x_NewCharUndoReduce(bytes));
    if (!image) {
        failWith(reason, "not enough memory for the script's image");
        return out;
    }
    std::memset(image.get(), 0, bytes);
    if (!ISL_ExecuteScript(image.get(), w, h)) {
        failWith(reason, ISL_GetLastError());
        return out;
    }
    IS3RGBAToBGRA(image.get(), w, h, w * 4);
    out.pixels = std::move(image);
    out.width = w;
    out.height = h;
    return out;
}

bool runScriptEffect(int32_t number, std::span<const ScriptValue> values, uint8_t* rgba, int32_t width, int32_t height) {
    const ScriptEffectCall call{number, values};
    return runScriptEffects({&call, 1}, rgba, width, height);
}

bool runScriptEffects(std::span<const ScriptEffectCall> calls, uint8_t* rgba, int32_t width, int32_t height) {
    if (!rgba || width <= 0 || height <= 0) return false;
    IslSession session;
    if (!session.open) return false;
    int32_t added = 0;
    for (const ScriptEffectCall& call : calls) {
        if (!ISL_AddEffect(call.number, 1)) return false;
        for (const ScriptValue& v : call.values)
            if (!ISL_SetEffectValue(added, v.index, v.value)) return false;
        ++added;
    }
    IS3RGBAToBGRA(rgba, width, height, width * 4);
    const bool ok = ISL_ExecuteScriptOnImage(rgba, width, height);
    IS3RGBAToBGRA(rgba, width, height, width * 4);
    return ok;
}

}  // namespace dro
