#include "imaging/effects/image_process.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/last_error.h"
#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/working_buffers.h"
#include "undo/undo_store.h"

namespace dro {
namespace {

// A host cannot tell a silent no-op from success, so a name that runs nothing says so.
void reportNotRun(std::string_view name) {
    const bool known = effectIndex(name).has_value();
    std::string text = known ? "IPLImageProc: effect not built: " : "IPLImageProc: unknown effect: ";
    text.append(name.substr(0, kLastErrorCapacity - 64));
    setLastError(text.c_str());
}

}  // namespace

void imageProcess(EffectArgs args) {
    args.scale();
    if (!iplPair()) return;
    try {
        if (const EffectFunction run = effectRegistry().find(args.name))
            run(args);
        else
            reportNotRun(args.name);
    } catch (...) {
        setLastError("IPLImageProc Excpt");
    }
    releaseRgb24Buffers();
    invalidateDirtyUndoCanvas();
}

int32_t describeEffectInto(int32_t index, char* buffer, int32_t bufferSize) {
    if (index < 0 || index >= kEffectCount) return -1;
    const std::string text = describeEffect(effectRegistry().info(index));
    if (buffer && bufferSize > 0) {
        const size_t n = std::min(text.size(), static_cast<size_t>(bufferSize) - 1);
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    return static_cast<int32_t>(text.size());
}

}  // namespace dro
