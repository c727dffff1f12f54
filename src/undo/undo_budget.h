// The automatic undo budget: a share of free memory, bounded by the canvas size.
#pragma once

#include <cstdint>

namespace dro {

// When the budget follows free memory, recomputes undoBudgetKB from the memory status.
void recomputeAutomaticBudget();

// budget = trunc(freeKB * 0.85 + usedKB) - 20p, at least 15p, p = canvas pixels / 1024.
int32_t automaticBudgetKB(uint64_t freeKB, int32_t usedKB, int32_t canvasWidth, int32_t canvasHeight) noexcept;

}  // namespace dro
