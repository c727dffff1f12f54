// The module the engine's code lives in: drovane.dll, or a program the engine is
// linked into statically (the test program).
#pragma once
#include <windows.h>

namespace dro::platform {

inline HMODULE thisModule() noexcept {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&thisModule), &module);
    return module;
}

}  // namespace dro::platform
