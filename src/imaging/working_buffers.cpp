#include "imaging/working_buffers.h"

namespace dro {

WorkingBuffers& workingBuffers() noexcept {
    static WorkingBuffers state;
    return state;
}

void resetWorkingBuffers() noexcept { workingBuffers() = WorkingBuffers{}; }

}  // namespace dro
