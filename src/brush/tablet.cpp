#include "brush/tablet.h"

#include <algorithm>

namespace dro {
namespace {

constexpr uint32_t kStatusInvert = 0x10;
constexpr int32_t kPressureRisePerEmptyRead = 25;
constexpr int32_t kPressureAfterReset = 10;

constexpr TabletDevice kPlatformDevice{platform::openTablet, platform::closeTablet, platform::readTabletPackets,
                                       platform::discardTabletPackets, platform::clientOriginOnScreen};

TabletState state;
const TabletDevice* device = &kPlatformDevice;

// The packet at index, or null when there is no context or the index is not one of
// the packets read.
const platform::TabletPacket* packetAt(int32_t index) noexcept {
    if (!state.contextOpen || index < 0 || index >= state.packetCount) return nullptr;
    return &state.packets[static_cast<size_t>(index)];
}

int32_t scaledPressure(const platform::TabletPacket& packet) noexcept {
    return static_cast<int32_t>(static_cast<float>(packet.pressure) * state.pressureScale);
}

}  // namespace

TabletState& tabletState() noexcept { return state; }

void resetTablet() noexcept {
    if (state.contextOpen) device->close();
    state = TabletState{};
}

int32_t initTablet(void* window) noexcept {
    if (state.contextOpen) closeTabletContext();
    state.window = window;
    const platform::TabletOpening opening = device->open(window);
    if (opening.result == 0) return 0;
    state.pressureMinimum = opening.pressureMinimum;
    state.pressureMaximum = opening.pressureMaximum;
    state.pressureRange = opening.pressureMaximum - opening.pressureMinimum;
    // A device without a pressure range reports full pressure rather than dividing by 0.
    state.pressureScale = state.pressureRange > 0 ? 100.0f / static_cast<float>(state.pressureRange) : 0.0f;
    state.contextOpen = opening.contextOpen;
    return opening.result;
}

void setTabletOrigin() noexcept {
    if (state.contextOpen) device->clientOrigin(state.window, state.originX, state.originY);
}

void closeTabletContext() noexcept {
    if (!state.contextOpen) return;
    device->close();
    state.contextOpen = false;
    state.packetCount = 0;
}

void resetTabletPressure() noexcept {
    state.lastPressure = kPressureAfterReset;
    if (state.contextOpen) device->discard();
}

void readTabletPackets() noexcept {
    state.packetCount = 0;
    if (!state.contextOpen) return;
    state.packetCount = std::clamp(device->read(state.packets.data(), kTabletPacketCapacity), 0,
                                   kTabletPacketCapacity);
}

int32_t readTabletPressure(int32_t index) noexcept {
    if (const platform::TabletPacket* packet = packetAt(index)) {
        const int32_t p = state.pressureRange > 0 ? std::max(scaledPressure(*packet), 1) : 100;
        state.lastPressure = p;
        return p;
    }
    // No packet (or no tablet: a mouse stroke): report the last pressure and let the
    // next rise toward full, so strokes taper in from the reset value.
    const int32_t reported = state.lastPressure;
    state.lastPressure = std::min(state.lastPressure + kPressureRisePerEmptyRead, 100);
    return reported;
}

int32_t readRawTabletPressure(int32_t index) noexcept {
    const platform::TabletPacket* packet = packetAt(index);
    return packet ? scaledPressure(*packet) : 0;
}

int32_t isPacketInvert(int32_t index) noexcept {
    const platform::TabletPacket* packet = packetAt(index);
    return packet && (packet->status & kStatusInvert) ? 1 : 0;
}

int32_t packetStatus(int32_t index) noexcept {
    const platform::TabletPacket* packet = packetAt(index);
    return packet ? static_cast<int32_t>(packet->status) : 0;
}

int32_t readTabletX(int32_t index) noexcept {
    const platform::TabletPacket* packet = packetAt(index);
    return packet ? packet->x - state.originX : 0;
}

int32_t readTabletY(int32_t index) noexcept {
    const platform::TabletPacket* packet = packetAt(index);
    return packet ? packet->y - state.originY : 0;
}

namespace testhooks {
void useTabletDevice(const TabletDevice* replacement) noexcept {
    resetTablet();
    device = replacement ? replacement : &kPlatformDevice;
}
}  // namespace testhooks

}  // namespace dro
