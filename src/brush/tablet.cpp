#include "brush/tablet.h"

#include <algorithm>

namespace dro {
namespace {

constexpr uint32_t kStatusInvert = 0x10;
constexpr int32_t kPressureRisePerEmptyRead = 25;
constexpr int32_t kPressureAfterReset = 10;

constexpr TabletDevice kPlatformDevice{platform::openTablet, platform::closeTablet, platform::readTabletPackets,
                                       platform::discardTabletPackets, platform::clientOriginOnScreen};

const TabletDevice* device = &kPlatformDevice;

// The packet at index, or null when there is no context or the index is not one of
// the packets read.
const platform::TabletPacket* packetAt(int32_t index) noexcept {
    TabletState& t = tabletState();
    if (!t.contextOpen || index < 0 || index >= t.packetCount) return nullptr;
    return &t.packets[static_cast<size_t>(index)];
}

int32_t scaledPressure(const platform::TabletPacket& packet) noexcept {
    return static_cast<int32_t>(static_cast<float>(packet.pressure) * tabletState().pressureScale);
}

}  // namespace

void resetTablet() noexcept {
    if (tabletState().contextOpen) device->close();
    resetSubsystemState<TabletState>();
}

int32_t initTablet(void* window) noexcept {
    TabletState& t = tabletState();
    if (t.contextOpen) closeTabletContext();
    t.window = window;
    const platform::TabletOpening opening = device->open(window);
    if (opening.result == 0) return 0;
    t.pressureMinimum = opening.pressureMinimum;
    t.pressureMaximum = opening.pressureMaximum;
    t.pressureRange = opening.pressureMaximum - opening.pressureMinimum;
    // A device without a pressure range reports full pressure rather than dividing by 0.
    t.pressureScale = t.pressureRange > 0 ? 100.0f / static_cast<float>(t.pressureRange) : 0.0f;
    t.contextOpen = opening.contextOpen;
    return opening.result;
}

void setTabletOrigin() noexcept {
    TabletState& t = tabletState();
    if (t.contextOpen) device->clientOrigin(t.window, t.originX, t.originY);
}

void closeTabletContext() noexcept {
    TabletState& t = tabletState();
    if (!t.contextOpen) return;
    device->close();
    t.contextOpen = false;
    t.packetCount = 0;
}

void resetTabletPressure() noexcept {
    TabletState& t = tabletState();
    t.lastPressure = kPressureAfterReset;
    if (t.contextOpen) device->discard();
}

void readTabletPackets() noexcept {
    TabletState& t = tabletState();
    t.packetCount = 0;
    if (!t.contextOpen) return;
    t.packetCount = std::clamp(device->read(t.packets.data(), kTabletPacketCapacity), 0, kTabletPacketCapacity);
}

int32_t readTabletPressure(int32_t index) noexcept {
    TabletState& t = tabletState();
    if (const platform::TabletPacket* packet = packetAt(index)) {
        const int32_t p = t.pressureRange > 0 ? std::max(scaledPressure(*packet), 1) : 100;
        t.lastPressure = p;
        return p;
    }
    // No packet (or no tablet: a mouse stroke): report the last pressure and let the
    // next rise toward full, so strokes taper in from the reset value.
    const int32_t reported = t.lastPressure;
    t.lastPressure = std::min(t.lastPressure + kPressureRisePerEmptyRead, 100);
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
    return packet ? packet->x - tabletState().originX : 0;
}

int32_t readTabletY(int32_t index) noexcept {
    const platform::TabletPacket* packet = packetAt(index);
    return packet ? packet->y - tabletState().originY : 0;
}

namespace testhooks {
void useTabletDevice(const TabletDevice* replacement) noexcept {
    resetTablet();
    device = replacement ? replacement : &kPlatformDevice;
}
}  // namespace testhooks

}  // namespace dro
