// How each subsystem keeps its state: one object per process, made on first use (so no
// subsystem depends on the order in which another's statics are initialised) and reset
// by replacing it with a freshly made one, which also frees what it owned.
#pragma once

namespace dro {

template <class State>
State& subsystemState() noexcept {
    static State state;
    return state;
}

template <class State>
void resetSubsystemState() noexcept {
    subsystemState<State>() = State{};
}

}  // namespace dro
