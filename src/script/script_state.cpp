#include "script/script_state.h"

#include "script/script_recorder.h"

namespace dro {

void resetScriptState() noexcept {
    closePaintFile();
    resetSubsystemState<ScriptState>();
}

namespace testhooks {
void useFastPixelFunctions(bool on) noexcept { scriptState().fastPixelFunctions = on; }
}  // namespace testhooks

}  // namespace dro
