// Pen position and pressure from a graphics tablet. The packet rules here are the
// engine's own; the device behind them is the platform's, and tests put their own in.
#pragma once

#include <array>
#include <cstdint>

#include "core/subsystem_state.h"
#include "platform/platform.h"

namespace dro {

inline constexpr int32_t kTabletPacketCapacity = 256;

struct TabletState {
    void* window = nullptr;
    bool contextOpen = false;
    int32_t pressureMinimum = 0, pressureMaximum = 0, pressureRange = 0;
    float pressureScale = 0.0f;  // 100 / range
    std::array<platform::TabletPacket, kTabletPacketCapacity> packets{};
    int32_t packetCount = 0;
    int32_t lastPressure = 100;
    int32_t originX = 0, originY = 0;
};

inline TabletState& tabletState() noexcept { return subsystemState<TabletState>(); }
// Closes any open device and forgets everything.
void resetTablet() noexcept;

int32_t initTablet(void* window) noexcept;
void setTabletOrigin() noexcept;
void closeTabletContext() noexcept;
void resetTabletPressure() noexcept;
void readTabletPackets() noexcept;
int32_t readTabletPressure(int32_t index) noexcept;
int32_t readRawTabletPressure(int32_t index) noexcept;
int32_t isPacketInvert(int32_t index) noexcept;
int32_t packetStatus(int32_t index) noexcept;
int32_t readTabletX(int32_t index) noexcept;
int32_t readTabletY(int32_t index) noexcept;

// The device the rules above talk to.
struct TabletDevice {
    platform::TabletOpening (*open)(void* window) noexcept;
    void (*close)() noexcept;
    int32_t (*read)(platform::TabletPacket* out, int32_t capacity) noexcept;
    void (*discard)() noexcept;
    void (*clientOrigin)(void* window, int32_t& x, int32_t& y) noexcept;
};

namespace testhooks {
// A stand-in device (null: the platform's again).
void useTabletDevice(const TabletDevice* device) noexcept;
}  // namespace testhooks

}  // namespace dro
