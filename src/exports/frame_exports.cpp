// Engine frame: errors, host allocations, start directory, seed and system queries.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/allocation.h"
#include "core/frame.h"
#include "core/system_events.h"
#include "drovane.h"
#include "exports/guarded.h"
#include "platform/platform.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_SetLastError(const char* text) { setLastError(text); }

DRO_API const char* DRO_CALL DRO_GetLastError(void) { return lastError(); }

DRO_API void* DRO_CALL DRO_Alloc(int32_t size) {
    return guarded(kNoFailureText, static_cast<void*>(nullptr), [&] { return allocWithUndoReduce(size); });
}

DRO_API void DRO_CALL DRO_Free(void* block) { std::free(block); }

DRO_API void DRO_CALL DRO_Memcpy(void* destination, const void* source, int32_t count) {
    if (!destination || !source || count <= 0) return;
    std::memmove(destination, source, static_cast<size_t>(count));
}

DRO_API intptr_t DRO_CALL BankAdrs(intptr_t value) { return value; }

DRO_API void DRO_CALL DRO_SetStartDir(const char* directory) { setStartDir(directory); }

DRO_API void DRO_CALL DRO_SetRandomSeed(uint32_t seed) { setRandomSeed(seed); }

DRO_API int32_t DRO_CALL DRO_RenameFile(const char* oldPath, const char* newPath) {
    if (!oldPath || !newPath) return 0;
    return std::rename(oldPath, newPath) == 0 ? 1 : 0;
}

DRO_API int32_t DRO_CALL DRO_IsDisplayChanged(void) { return takeDisplayChanged() ? 1 : 0; }

DRO_API int32_t DRO_CALL DRO_IsCompositionEnabled(void) { return platform::compositionEnabled() ? 1 : 0; }

DRO_API const char* DRO_CALL DRO_GetDirInfo(void) { return dirInfo(); }

DRO_API int32_t DRO_CALL DRO_SetWindowBasePos(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return setWindowBasePos(left, top, right, bottom) ? 1 : 0;
}

DRO_API uint32_t DRO_CALL DRO_GetWindowBackgroundColor(void) {
    return platform::systemColor(platform::SystemColor::ButtonFace);
}

DRO_API uint32_t DRO_CALL DRO_GetWindowTextColor(void) {
    return platform::systemColor(platform::SystemColor::ButtonText);
}

DRO_API int32_t DRO_CALL DRO_GetWindowCaptionSize(void) {
    return platform::systemMetric(platform::SystemMetric::CaptionHeight);
}

DRO_API int32_t DRO_CALL DRO_GetWindowSmallCaptionSize(void) {
    return platform::systemMetric(platform::SystemMetric::SmallCaptionHeight);
}

DRO_API int32_t DRO_CALL DRO_GetWindowFixedFrameSize(void) {
    return platform::systemMetric(platform::SystemMetric::DialogFrameHeight);
}

DRO_API int32_t DRO_CALL DRO_GetTotalPhyMemory(void) { return toMegabytes(platform::memoryStatus().totalPhysical); }
DRO_API int32_t DRO_CALL DRO_GetAvailPhyMemory(void) { return toMegabytes(platform::memoryStatus().availPhysical); }
DRO_API int32_t DRO_CALL DRO_GetTotalPgMemory(void) { return toMegabytes(platform::memoryStatus().totalPageFile); }
DRO_API int32_t DRO_CALL DRO_GetAvailPgMemory(void) { return toMegabytes(platform::memoryStatus().availPageFile); }
DRO_API int32_t DRO_CALL DRO_GetTotalVirMemory(void) { return toMegabytes(platform::memoryStatus().totalVirtual); }
DRO_API int32_t DRO_CALL DRO_GetAvailVirMemory(void) { return toMegabytes(platform::memoryStatus().availVirtual); }

}  // extern "C"
