// Scanners on Windows: TWAIN through EZTW32.dll, loaded at run time (the host ships it
// beside its program, or it is missing and no scanner is available), its entries by
// ordinal. An acquired image arrives as a packed DIB in global memory.
#include <windows.h>

#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_runtime_library.h"

namespace dro::platform {
namespace {

constexpr WORD kIsAvailable = 26;
constexpr WORD kSelectSource = 38;
constexpr WORD kAcquireNative = 2;
constexpr WORD kFreeNative = 17;
constexpr unsigned kAnyPixelType = 4;

using IsAvailableFn = int(WINAPI*)();
using SelectSourceFn = int(WINAPI*)(HWND);
using AcquireNativeFn = HANDLE(WINAPI*)(HWND, unsigned);
using FreeNativeFn = void(WINAPI*)(HANDLE);

RuntimeLibrary eztwain("EZTW32.dll");

}  // namespace

bool scannerAvailable() noexcept {
    const auto available = eztwain.entry<IsAvailableFn>(kIsAvailable);
    return available && available() != 0;
}

bool selectScannerSource() noexcept {
    const auto select = eztwain.entry<SelectSourceFn>(kSelectSource);
    return select && select(nullptr) != 0;
}

bool acquireScannerImage(PixelAllocator /*allocate*/, std::vector<uint8_t>& dib) noexcept {
    const auto acquire = eztwain.entry<AcquireNativeFn>(kAcquireNative);
    const auto release = eztwain.entry<FreeNativeFn>(kFreeNative);
    if (!acquire || !release) return false;
    const HANDLE bitmap = acquire(nullptr, kAnyPixelType);
    if (!bitmap) return false;
    bool copied = false;
    if (const auto* bytes = static_cast<const uint8_t*>(GlobalLock(bitmap))) {
        try {
            dib.assign(bytes, bytes + GlobalSize(bitmap));
            copied = !dib.empty();
        } catch (...) {
            dib.clear();
        }
        GlobalUnlock(bitmap);
    }
    release(bitmap);
    return copied;
}

}  // namespace dro::platform
