#include "undo/undo_budget.h"

#include <algorithm>
#include <climits>

#include "core/canvas.h"
#include "platform/platform.h"
#include "undo/undo_store.h"

namespace dro {

int32_t automaticBudgetKB(uint64_t freeKB, int32_t usedKB, int32_t canvasWidth, int32_t canvasHeight) noexcept {
    const auto x = static_cast<int64_t>(static_cast<double>(freeKB) * 0.85 + usedKB);
    const int64_t p = int64_t{canvasWidth} * canvasHeight / 1024;
    const int64_t budget = std::max(x - 20 * p, 15 * p);
    return static_cast<int32_t>(std::clamp<int64_t>(budget, INT_MIN, INT_MAX));
}

void recomputeAutomaticBudget() {
    UndoStore& u = undoStore();
    if (!u.undoBudgetAuto) return;
    const platform::MemoryStatus status = platform::memoryStatus();
    const uint64_t freeKB = std::min(status.availPhysical, status.availPageFile) >> 10;
    u.undoBudgetKB = automaticBudgetKB(freeKB, u.undoUsedKB, canvas().width, canvas().height);
}

}  // namespace dro
