#include "imaging/library_modules.h"

#include <array>

#include <omp.h>

#include "imaging/lib/transform_chain.h"

namespace dro {
namespace {

using Step = void (*)(LibraryModuleState&);

struct ModuleEntry {
    LibraryModule module;
    std::string_view name;
    Step start;
    Step stop;  // null: the module has no stop step
};

void startThreads(LibraryModuleState& s) { s.workerThreads = omp_get_max_threads() > 0 ? omp_get_max_threads() : 1; }
void stopThreads(LibraryModuleState& s) { s.workerThreads = 0; }
void nothing(LibraryModuleState&) {}

constexpr std::array kModules{
    ModuleEntry{LibraryModule::is5, "is5", startThreads, stopThreads},
    ModuleEntry{LibraryModule::IS40, "IS40", nothing, nothing},
    ModuleEntry{LibraryModule::ISE40, "ISE40", nothing, nullptr},
    ModuleEntry{LibraryModule::IS3, "IS3", nothing, nothing},
    ModuleEntry{LibraryModule::ISE3, "ISE3", nothing, nullptr},
    ModuleEntry{LibraryModule::SARAW, "SARAW", nothing, nothing},
};
static_assert(kModules.size() == kLibraryModuleCount);

constexpr std::array kStartOrder{LibraryModule::is5, LibraryModule::IS40, LibraryModule::ISE40,
                                 LibraryModule::IS3, LibraryModule::ISE3, LibraryModule::SARAW};
constexpr std::array kStopOrder{LibraryModule::SARAW, LibraryModule::is5, LibraryModule::IS40, LibraryModule::IS3};
static_assert(kStartOrder.size() == kLibraryModuleCount);

constexpr bool tableInEnumOrder() {
    for (size_t i = 0; i < kModules.size(); ++i)
        if (static_cast<size_t>(kModules[i].module) != i) return false;
    return true;
}
static_assert(tableInEnumOrder());

void note(LibraryModuleState& s, LibraryModule m, char what) noexcept {
    if (s.journalLength + 2 >= static_cast<int32_t>(sizeof s.journal)) return;
    s.journal[s.journalLength++] = what;
    s.journal[s.journalLength++] = static_cast<char>('0' + static_cast<int>(m));
    s.journal[s.journalLength] = '\0';
}

}  // namespace

void resetLibraryModules() noexcept {
    resetSubsystemState<LibraryModuleState>();
    is5_ClearAllTransforms();
}

void initialiseImagingLibraries() noexcept {
    LibraryModuleState& s = libraryModuleState();
    for (LibraryModule m : kStartOrder) {
        const auto i = static_cast<size_t>(m);
        if (s.running[i]) continue;
        kModules[i].start(s);
        s.running[i] = true;
        note(s, m, '+');
    }
}

void shutDownImagingLibraries() noexcept {
    LibraryModuleState& s = libraryModuleState();
    for (LibraryModule m : kStopOrder) {
        const auto i = static_cast<size_t>(m);
        if (!s.running[i] || !kModules[i].stop) continue;
        kModules[i].stop(s);
        s.running[i] = false;
        note(s, m, '-');
    }
}

bool libraryModuleRunning(LibraryModule module) noexcept {
    return libraryModuleState().running[static_cast<size_t>(module)];
}

}  // namespace dro
