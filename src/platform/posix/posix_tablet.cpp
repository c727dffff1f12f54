// The tablet on Linux: the first evdev device that reports pen pressure (a pen tool
// and an absolute pressure axis), read without blocking. Each synchronisation report
// of the device becomes one packet of the pen's state at that moment.
#include <dirent.h>
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace dro::platform {
namespace {

constexpr int32_t kQueueSize = 256;
constexpr uint32_t kStatusInvert = 0x10;

struct PenDevice {
    int fd = -1;
    libevdev* device = nullptr;
    TabletPacket pen;  // the state the next report captures
    std::array<TabletPacket, kQueueSize> queue;
    int32_t head = 0, count = 0;
    int32_t minX = 0, minY = 0;

    void close() noexcept {
        if (device) libevdev_free(device);
        if (fd >= 0) ::close(fd);
        *this = PenDevice{};
    }
} pen;

bool isPen(const libevdev* device) {
    return libevdev_has_event_code(device, EV_ABS, ABS_PRESSURE) && libevdev_has_event_code(device, EV_ABS, ABS_X) &&
           libevdev_has_event_code(device, EV_KEY, BTN_TOOL_PEN);
}

bool openFirstPen() {
    DIR* dir = opendir("/dev/input");
    if (!dir) return false;
    bool found = false;
    while (dirent* entry = readdir(dir)) {
        if (std::strncmp(entry->d_name, "event", 5) != 0) continue;
        const std::string path = std::string("/dev/input/") + entry->d_name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        libevdev* device = nullptr;
        if (libevdev_new_from_fd(fd, &device) == 0 && isPen(device)) {
            pen.fd = fd;
            pen.device = device;
            pen.minX = libevdev_get_abs_minimum(device, ABS_X);
            pen.minY = libevdev_has_event_code(device, EV_ABS, ABS_Y) ? libevdev_get_abs_minimum(device, ABS_Y) : 0;
            found = true;
            break;
        }
        if (device) libevdev_free(device);
        ::close(fd);
    }
    closedir(dir);
    return found;
}

void queuePacket() {
    const int32_t tail = (pen.head + pen.count) % kQueueSize;
    pen.queue[static_cast<size_t>(tail)] = pen.pen;
    if (pen.count < kQueueSize) {
        ++pen.count;
    } else {
        pen.head = (pen.head + 1) % kQueueSize;  // full: the oldest packet goes
    }
}

void apply(const input_event& event) {
    if (event.type == EV_SYN && event.code == SYN_REPORT) {
        queuePacket();
    } else if (event.type == EV_ABS && event.code == ABS_X) {
        pen.pen.x = event.value - pen.minX;
    } else if (event.type == EV_ABS && event.code == ABS_Y) {
        pen.pen.y = event.value - pen.minY;
    } else if (event.type == EV_ABS && event.code == ABS_PRESSURE) {
        pen.pen.pressure = static_cast<uint32_t>(std::max(event.value, 0));
    } else if (event.type == EV_KEY && event.code == BTN_TOOL_RUBBER) {
        pen.pen.status = event.value ? (pen.pen.status | kStatusInvert) : (pen.pen.status & ~kStatusInvert);
    }
}

// Everything the device has reported since the last call, as packets.
void drain() {
    if (!pen.device) return;
    input_event event;
    unsigned flags = LIBEVDEV_READ_FLAG_NORMAL;
    for (;;) {
        const int rc = libevdev_next_event(pen.device, flags, &event);
        if (rc == LIBEVDEV_READ_STATUS_SYNC) {
            flags = LIBEVDEV_READ_FLAG_SYNC;  // events were dropped: catch up on the state
            apply(event);
        } else if (rc == LIBEVDEV_READ_STATUS_SUCCESS) {
            apply(event);
        } else if (rc == -EAGAIN && flags == LIBEVDEV_READ_FLAG_SYNC) {
            flags = LIBEVDEV_READ_FLAG_NORMAL;
        } else {
            return;  // -EAGAIN: nothing more; anything else: the device went away
        }
    }
}

}  // namespace

TabletOpening openTablet(void* /*window*/) noexcept {
    pen.close();
    if (!openFirstPen()) return {};
    TabletOpening opening;
    opening.pressureMinimum = libevdev_get_abs_minimum(pen.device, ABS_PRESSURE);
    opening.pressureMaximum = libevdev_get_abs_maximum(pen.device, ABS_PRESSURE);
    opening.contextOpen = true;
    opening.result = 1;
    return opening;
}

void closeTablet() noexcept { pen.close(); }

int32_t readTabletPackets(TabletPacket* out, int32_t capacity) noexcept {
    if (!out || capacity <= 0) return 0;
    drain();
    const int32_t n = std::min(capacity, pen.count);
    for (int32_t i = 0; i < n; ++i) out[i] = pen.queue[static_cast<size_t>((pen.head + i) % kQueueSize)];
    pen.head = (pen.head + n) % kQueueSize;
    pen.count -= n;
    return n;
}

void discardTabletPackets() noexcept {
    drain();
    pen.head = pen.count = 0;
}

// Without the host's toolkit there is no window to ask; positions stay the device's.
void clientOriginOnScreen(void* /*window*/, int32_t& x, int32_t& y) noexcept { x = y = 0; }

}  // namespace dro::platform
