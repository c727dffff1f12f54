#include "composite/view_state.h"

namespace dro {

ViewState& viewState() noexcept {
    static ViewState state;
    return state;
}

void resetViewState() noexcept { viewState() = ViewState{}; }

}  // namespace dro
