// The tablet on Windows: Wintab32.dll, loaded on first use and resolved by ordinal,
// with a system context that reports status, x, y and normal pressure in screen pixels.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_runtime_library.h"

namespace dro::platform {
namespace {

// The published Wintab records, as far as this context uses them.
struct WintabAxis {
    LONG minimum;
    LONG maximum;
    UINT units;
    DWORD resolution;
};

struct WintabContext {
    char name[40];
    UINT options, status, locks, msgBase, device, pktRate;
    DWORD pktData, pktMode, moveMask;
    DWORD btnDnMask, btnUpMask;
    LONG inOrgX, inOrgY, inOrgZ, inExtX, inExtY, inExtZ;
    LONG outOrgX, outOrgY, outOrgZ, outExtX, outExtY, outExtZ;
    DWORD sensX, sensY, sensZ;
    BOOL sysMode;
    int sysOrgX, sysOrgY, sysExtX, sysExtY;
    DWORD sysSensX, sysSensY;
};

using HCTX = HANDLE;
using InfoFn = UINT(WINAPI*)(UINT, UINT, LPVOID);
using OpenFn = HCTX(WINAPI*)(HWND, WintabContext*, BOOL);
using CloseFn = BOOL(WINAPI*)(HCTX);
using PacketsGetFn = int(WINAPI*)(HCTX, int, LPVOID);
using QueueSizeSetFn = BOOL(WINAPI*)(HCTX, int);

constexpr UINT kDevices = 100, kNormalPressure = 15, kDefaultSystemContext = 3;
constexpr UINT kSystemContextOption = 1;
constexpr DWORD kPacketFields = 0x582;  // status, x, y, normal pressure
constexpr int kQueueSize = 256;

RuntimeLibrary wintab("Wintab32.dll");

UINT info(UINT category, UINT index, LPVOID out) {
    const auto fn = wintab.entry<InfoFn>(20);
    return fn ? fn(category, index, out) : 0;
}
HCTX open(HWND window, WintabContext* context, BOOL enable) {
    const auto fn = wintab.entry<OpenFn>(21);
    return fn ? fn(window, context, enable) : nullptr;
}
void close(HCTX context) {
    if (const auto fn = wintab.entry<CloseFn>(22)) fn(context);
}
int packetsGet(HCTX context, int count, LPVOID packets) {
    const auto fn = wintab.entry<PacketsGetFn>(23);
    return fn ? fn(context, count, packets) : 0;
}
BOOL queueSizeSet(HCTX context, int size) {
    const auto fn = wintab.entry<QueueSizeSetFn>(85);
    return fn ? fn(context, size) : FALSE;
}

HCTX tablet = nullptr;

}  // namespace

TabletOpening openTablet(void* window) noexcept {
    const UINT previous = SetErrorMode(kErrorModeQuiet);
    TabletOpening opening;
    WintabAxis pressure{};
    const UINT found = info(kDevices, kNormalPressure, &pressure);
    if (found == 0) {
        SetErrorMode(previous);
        return opening;
    }
    opening.pressureMinimum = pressure.minimum;
    opening.pressureMaximum = pressure.maximum;
    WintabContext context{};
    info(kDefaultSystemContext, 0, &context);
    lstrcpynA(context.name, "drovane tablet context", sizeof context.name);
    context.options = kSystemContextOption;
    context.pktData = kPacketFields;
    context.moveMask = kPacketFields;
    context.pktMode = 0;
    context.btnUpMask = context.btnDnMask;
    context.outOrgX = context.outOrgY = 0;
    context.outExtX = GetSystemMetrics(SM_CXSCREEN);
    context.outExtY = -GetSystemMetrics(SM_CYSCREEN);  // y grows downward
    tablet = open(static_cast<HWND>(window), &context, TRUE);
    if (tablet) {
        opening.contextOpen = true;
        opening.result = queueSizeSet(tablet, kQueueSize);
    } else {
        opening.result = static_cast<int32_t>(found);
    }
    SetErrorMode(previous);
    return opening;
}

void closeTablet() noexcept {
    if (!tablet) return;
    close(tablet);
    tablet = nullptr;
}

int32_t readTabletPackets(TabletPacket* out, int32_t capacity) noexcept {
    if (!tablet || !out || capacity <= 0) return 0;
    static_assert(sizeof(TabletPacket) == 16, "a Wintab packet of the chosen fields");
    return packetsGet(tablet, capacity, out);
}

void discardTabletPackets() noexcept {
    if (tablet) packetsGet(tablet, 1000, nullptr);
}

void clientOriginOnScreen(void* window, int32_t& x, int32_t& y) noexcept {
    POINT origin{0, 0};
    ClientToScreen(static_cast<HWND>(window), &origin);
    x = origin.x;
    y = origin.y;
}

}  // namespace dro::platform
