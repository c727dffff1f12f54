// Lua filter scripts, and the host's hook for the message boxes they show.
#include "drovane.h"
#include "exports/guarded.h"
#include "platform/platform.h"
#include "script/lua_host.h"

using namespace dro;

namespace {

struct HostMessageCallback {
    DRO_MessageCallback callback = nullptr;
    void* user = nullptr;
};

HostMessageCallback& hostMessageCallback() noexcept {
    static HostMessageCallback state;
    return state;
}

// Adapts the platform's callback to the host's calling convention.
void forwardMessage(const char* text, const char* caption, void*) {
    const HostMessageCallback& host = hostMessageCallback();
    if (host.callback) host.callback(text, caption, host.user);
}

}  // namespace

extern "C" {

DRO_API void DRO_CALL DRO_LuaFilterRun(const char* path, int32_t variant, int32_t slider1, int32_t slider2,
                                       int32_t slider3, int32_t slider4, int32_t slider5, int32_t slider6,
                                       int32_t style1, int32_t style2, uint8_t flag1, uint8_t flag2, uint8_t flag3,
                                       uint8_t flag4, uint8_t flag5, uint8_t flag6) {
    guarded("LuaFilterRun Excpt", [&] {
        runLuaFilter({path, variant, {slider1, slider2, slider3, slider4, slider5, slider6}, {style1, style2},
                      {flag1, flag2, flag3, flag4, flag5, flag6}, false});
    });
}

DRO_API void DRO_CALL DRO_LuaFilterRunSandboxed(const char* path, int32_t variant, int32_t slider1,
                                                int32_t slider2, int32_t slider3, int32_t slider4, int32_t slider5,
                                                int32_t slider6, int32_t style1, int32_t style2, uint8_t flag1,
                                                uint8_t flag2, uint8_t flag3, uint8_t flag4, uint8_t flag5,
                                                uint8_t flag6) {
    guarded("LuaFilterRun Excpt", [&] {
        runLuaFilter({path, variant, {slider1, slider2, slider3, slider4, slider5, slider6}, {style1, style2},
                      {flag1, flag2, flag3, flag4, flag5, flag6}, true});
    });
}

DRO_API void DRO_CALL DRO_SetMessageCallback(DRO_MessageCallback callback, void* user) {
    hostMessageCallback() = {callback, user};
    platform::setMessageCallback(callback ? forwardMessage : nullptr, nullptr);
}

DRO_API void DRO_CALL DRO_PressEscape(void) { platform::pressEscape(); }

}  // extern "C"
