// Module start of the shared library: the hidden window for system events. The
// engine's state needs no other set-up; it starts zeroed as every subsystem defines.
#include "core/system_events.h"
#include "platform/platform.h"

namespace {

[[gnu::constructor]] void startModule() { dro::platform::startSystemEventWindow(dro::onSystemMessage); }

}  // namespace
