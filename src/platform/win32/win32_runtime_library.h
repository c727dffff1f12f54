// A DLL the engine uses when the system has it (Wintab32.dll, EZTW32.dll): loaded on
// first use without the system's "missing DLL" dialog, entries found by ordinal, and
// released when the engine unloads. Absent, every entry is null.
#pragma once
#include <windows.h>

namespace dro::platform {

// No "insert a disk" or "missing DLL" dialog while a library that may be absent loads.
constexpr UINT kErrorModeQuiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;  // 0x8001

class RuntimeLibrary {
public:
    explicit constexpr RuntimeLibrary(const char* name) noexcept : name_(name) {}
    RuntimeLibrary(const RuntimeLibrary&) = delete;
    RuntimeLibrary& operator=(const RuntimeLibrary&) = delete;
    ~RuntimeLibrary() {
        if (library_) FreeLibrary(library_);
    }

    // The entry exported under ordinal, as a function of type Fn; null when missing.
    template <class Fn>
    Fn entry(WORD ordinal) noexcept {
        if (!tried_) {
            tried_ = true;
            const UINT previous = SetErrorMode(kErrorModeQuiet);
            library_ = LoadLibraryA(name_);
            SetErrorMode(previous);
        }
        if (!library_) return nullptr;
        // Through void*: a FARPROC converts to any function type only by this detour
        // without GCC's function-type-cast warning.
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library_, MAKEINTRESOURCEA(ordinal))));
    }

private:
    const char* name_;
    HMODULE library_ = nullptr;
    bool tried_ = false;
};

}  // namespace dro::platform
