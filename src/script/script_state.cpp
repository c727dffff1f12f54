#include "script/script_state.h"

#include "script/script_recorder.h"

namespace dro {

ScriptState& scriptState() noexcept {
    static ScriptState state;
    return state;
}

void resetScriptState() noexcept {
    closePaintFile();
    scriptState() = ScriptState{};
}

namespace testhooks {
void useFastPixelFunctions(bool on) noexcept { scriptState().fastPixelFunctions = on; }
}  // namespace testhooks

}  // namespace dro
