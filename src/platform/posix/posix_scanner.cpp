// Scanners through SANE: each call opens SANE, does its work and closes it again, so no
// device stays claimed between the host's calls.
#include <sane/sane.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace dro::platform {
namespace {

// The device chosen by selectScannerSource; empty for "the first one".
std::string chosenDevice;

struct SaneSession {
    bool ok = false;
    SaneSession() {
        SANE_Int version = 0;
        ok = sane_init(&version, nullptr) == SANE_STATUS_GOOD;
    }
    ~SaneSession() {
        if (ok) sane_exit();
    }
};

std::vector<std::string> deviceNames() {
    const SANE_Device** devices = nullptr;
    std::vector<std::string> names;
    if (sane_get_devices(&devices, SANE_TRUE) != SANE_STATUS_GOOD || !devices) return names;
    for (int i = 0; devices[i]; ++i) names.emplace_back(devices[i]->name);
    return names;
}

// Samples of one line widened to RGBA32.
void convertLine(const SANE_Parameters& p, const uint8_t* line, uint8_t* out) {
    for (int x = 0; x < p.pixels_per_line; ++x) {
        uint8_t rgb[3];
        if (p.format == SANE_FRAME_RGB) {
            for (int c = 0; c < 3; ++c) rgb[c] = p.depth == 16 ? line[(x * 3 + c) * 2 + 1] : line[x * 3 + c];
        } else {
            uint8_t v = 0;
            if (p.depth == 1) v = (line[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;  // 1 is black
            else v = p.depth == 16 ? line[x * 2 + 1] : line[x];
            rgb[0] = rgb[1] = rgb[2] = v;
        }
        std::memcpy(out + x * 4, rgb, 3);
        out[x * 4 + 3] = 255;
    }
}

bool readImage(SANE_Handle handle, PixelAllocator allocate) {
    if (sane_start(handle) != SANE_STATUS_GOOD) return false;
    SANE_Parameters p{};
    if (sane_get_parameters(handle, &p) != SANE_STATUS_GOOD || !p.last_frame ||
        (p.format != SANE_FRAME_RGB && p.format != SANE_FRAME_GRAY) ||
        (p.depth != 1 && p.depth != 8 && p.depth != 16) || p.pixels_per_line <= 0 || p.bytes_per_line <= 0)
        return false;
    // Hand scanners may not know their length: read everything, then count the lines.
    std::vector<uint8_t> data;
    std::vector<uint8_t> chunk(64 * 1024);
    for (;;) {
        SANE_Int got = 0;
        const SANE_Status status = sane_read(handle, chunk.data(), static_cast<SANE_Int>(chunk.size()), &got);
        if (status == SANE_STATUS_EOF) break;
        if (status != SANE_STATUS_GOOD) return false;
        data.insert(data.end(), chunk.begin(), chunk.begin() + got);
    }
    const auto lines = static_cast<int32_t>(data.size() / static_cast<size_t>(p.bytes_per_line));
    if (lines <= 0) return false;
    uint8_t* out = allocate(p.pixels_per_line, lines);
    if (!out) return false;
    for (int32_t y = 0; y < lines; ++y)
        convertLine(p, data.data() + static_cast<size_t>(y) * p.bytes_per_line,
                    out + static_cast<size_t>(y) * p.pixels_per_line * 4);
    return true;
}

}  // namespace

bool scannerAvailable() noexcept {
    try {
        SaneSession session;
        return session.ok && !deviceNames().empty();
    } catch (...) {
        return false;
    }
}

bool selectScannerSource() noexcept {
    try {
        SaneSession session;
        if (!session.ok) return false;
        const auto names = deviceNames();
        const char* wanted = std::getenv("DROVANE_SCANNER");
        for (const auto& name : names)
            if (!wanted || !*wanted || name == wanted) {
                chosenDevice = name;
                return true;
            }
        return false;
    } catch (...) {
        return false;
    }
}

bool acquireScannerImage(PixelAllocator allocate, std::vector<uint8_t>& /*dib*/) noexcept {
    try {
        SaneSession session;
        if (!session.ok || !allocate) return false;
        const auto names = deviceNames();
        if (names.empty()) return false;
        std::string device = names.front();
        for (const auto& name : names)
            if (name == chosenDevice) device = name;
        SANE_Handle handle = nullptr;
        if (sane_open(device.c_str(), &handle) != SANE_STATUS_GOOD) return false;
        const bool acquired = readImage(handle, allocate);
        sane_cancel(handle);
        sane_close(handle);
        return acquired;
    } catch (...) {
        return false;
    }
}

}  // namespace dro::platform
