// Start and stop of the imaging library's modules. DRO_IPLInit starts them in a fixed
// order and DRO_IPLExit stops those that have a stop step, in its own order. A module
// may be started again after a stop; starting a running module does nothing.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/subsystem_state.h"

namespace dro {

enum class LibraryModule : uint8_t { is5, IS40, ISE40, IS3, ISE3, SARAW };
inline constexpr int kLibraryModuleCount = 6;

struct LibraryModuleState {
    bool running[kLibraryModuleCount] = {};
    // Worker threads the library's OpenMP kernels may use, fixed when is5 starts (0
    // while it is stopped: kernels then use the runtime's default).
    int32_t workerThreads = 0;
    // Every start and stop step in the order it ran, for diagnostics.
    char journal[64] = {};
    int32_t journalLength = 0;
};

inline LibraryModuleState& libraryModuleState() noexcept { return subsystemState<LibraryModuleState>(); }
void resetLibraryModules() noexcept;

void initialiseImagingLibraries() noexcept;
void shutDownImagingLibraries() noexcept;

bool libraryModuleRunning(LibraryModule module) noexcept;

}  // namespace dro
