#include "imaging/lib/codecs/exif_resolution.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace dro::codecs {
namespace {

constexpr uint16_t kXResolution = 0x011A;
constexpr uint16_t kYResolution = 0x011B;
constexpr uint16_t kResolutionUnit = 0x0128;
constexpr uint16_t kShort = 3;
constexpr uint16_t kRational = 5;

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// Reads EXIF's integers in the block's own byte order, within its bounds.
class ExifReader {
public:
    explicit ExifReader(ByteSpan bytes) : bytes_(bytes) {}
    bool start() {
        if (bytes_.size() < 8) return false;
        if (std::memcmp(bytes_.data(), "II*\0", 4) == 0) little_ = true;
        else if (std::memcmp(bytes_.data(), "MM\0*", 4) == 0) little_ = false;
        else return false;
        return true;
    }
    std::optional<uint32_t> u16(size_t at) const { return read(at, 2); }
    std::optional<uint32_t> u32(size_t at) const { return read(at, 4); }

private:
    std::optional<uint32_t> read(size_t at, size_t n) const {
        if (at > bytes_.size() || bytes_.size() - at < n) return std::nullopt;
        uint32_t v = 0;
        for (size_t i = 0; i < n; ++i) v |= uint32_t(bytes_[at + (little_ ? i : n - 1 - i)]) << (8 * i);
        return v;
    }
    ByteSpan bytes_;
    bool little_ = true;
};

}  // namespace

std::vector<uint8_t> exifWithResolution(Resolution resolution) {
    // Whole dots per unit over 1; an IFD of three entries, then the two rationals.
    constexpr uint32_t kIfdAt = 8, kEntries = 3;
    constexpr uint32_t kRationalsAt = kIfdAt + 2 + kEntries * 12 + 4;
    auto whole = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 4294967295.0))); };
    std::vector<uint8_t> out = {'I', 'I', '*', 0};
    put32(out, kIfdAt);
    put16(out, kEntries);
    for (auto [tag, at] : {std::pair{kXResolution, kRationalsAt}, std::pair{kYResolution, kRationalsAt + 8}}) {
        put16(out, tag);
        put16(out, kRational);
        put32(out, 1);
        put32(out, at);
    }
    put16(out, kResolutionUnit);
    put16(out, kShort);
    put32(out, 1);
    put32(out, static_cast<uint32_t>(resolution.unit == 3 ? 3 : 2));
    put32(out, 0);  // no further directory
    for (double v : {resolution.x, resolution.y}) {
        put32(out, whole(v));
        put32(out, 1);
    }
    return out;
}

std::optional<Resolution> resolutionFromExif(ByteSpan exif) {
    ExifReader in(exif);
    if (!in.start()) return std::nullopt;
    const auto ifd = in.u32(4);
    const auto count = ifd ? in.u16(*ifd) : std::nullopt;
    if (!count) return std::nullopt;
    Resolution found{0.0, 0.0, 2};  // EXIF's default unit is the inch
    for (uint32_t i = 0; i < *count; ++i) {
        const size_t entry = size_t(*ifd) + 2 + size_t(i) * 12;
        const auto tag = in.u16(entry), type = in.u16(entry + 2), value = in.u32(entry + 8);
        if (!tag || !type || !value) return std::nullopt;
        if (*tag == kResolutionUnit && *type == kShort) {
            found.unit = static_cast<int>(*in.u16(entry + 8));
        } else if ((*tag == kXResolution || *tag == kYResolution) && *type == kRational) {
            const auto numerator = in.u32(*value), denominator = in.u32(size_t(*value) + 4);
            if (!numerator || !denominator || *denominator == 0) return std::nullopt;
            (*tag == kXResolution ? found.x : found.y) = double(*numerator) / double(*denominator);
        }
    }
    if (found.x <= 0.0) return std::nullopt;
    if (found.y <= 0.0) found.y = found.x;
    return found;
}

}  // namespace dro::codecs
