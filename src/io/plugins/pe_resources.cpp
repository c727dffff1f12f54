#include "io/plugins/pe_resources.h"

#include <algorithm>
#include <cstdint>

#include "imaging/lib/codecs/byte_reader.h"

namespace dro::plugins {
namespace {

using codecs::ByteReader;
using codecs::ByteSpan;

constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kHighBit = 0x80000000u;
constexpr int kMaxDirectoryEntries = 4096;  // far above any real plug-in

struct Section {
    uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

struct Image {
    ByteSpan file;
    std::vector<Section> sections;
    ByteSpan resources;  // the resource section's bytes from the directory's start
    uint32_t resourceRva = 0;
};

// The file bytes [rva, rva + size) when one section holds them all.
std::optional<ByteSpan> bytesAt(const Image& image, uint32_t rva, uint32_t size) {
    for (const Section& s : image.sections) {
        const uint64_t extent = s.rawSize;  // the bytes the file holds
        if (rva < s.virtualAddress || uint64_t(rva) + size > uint64_t(s.virtualAddress) + extent) continue;
        const uint64_t offset = uint64_t(s.rawOffset) + (rva - s.virtualAddress);
        if (offset + size > image.file.size()) return std::nullopt;
        return image.file.subspan(static_cast<size_t>(offset), size);
    }
    return std::nullopt;
}

std::optional<Image> parseHeaders(ByteSpan file) {
    ByteReader r(file);
    if (r.u16le() != 0x5A4D) return std::nullopt;  // "MZ"
    r.seek(0x3C);
    const uint32_t peOffset = r.u32le();
    r.seek(peOffset);
    if (!r.ok() || r.u32le() != 0x00004550) return std::nullopt;  // "PE\0\0"
    r.skip(2);
    const uint16_t sectionCount = r.u16le();
    r.skip(12);
    const uint16_t optionalSize = r.u16le();
    r.skip(2);
    const size_t optionalStart = r.pos();
    const uint16_t magic = r.u16le();
    if (!r.ok() || (magic != 0x10B && magic != 0x20B)) return std::nullopt;
    const size_t countAt = optionalStart + (magic == 0x10B ? 92 : 108);
    r.seek(countAt);
    const uint32_t directoryCount = r.u32le();
    if (!r.ok() || directoryCount <= kResourceDirectory || countAt + 4 + 8 * 3 > optionalStart + optionalSize)
        return std::nullopt;
    r.skip(8 * kResourceDirectory);
    const uint32_t resourceRva = r.u32le();
    const uint32_t resourceSize = r.u32le();
    r.seek(optionalStart + optionalSize);
    Image image{file, {}, {}, resourceRva};
    for (uint16_t i = 0; i < sectionCount && r.ok(); ++i) {
        r.skip(8);
        Section s{};
        s.virtualSize = r.u32le();
        s.virtualAddress = r.u32le();
        s.rawSize = r.u32le();
        s.rawOffset = r.u32le();
        r.skip(16);
        if (r.ok()) image.sections.push_back(s);
    }
    if (!r.ok() || resourceRva == 0 || resourceSize == 0) return std::nullopt;
    // The directory tree may reach anywhere in its section, so take the section's rest.
    for (const Section& s : image.sections) {
        const uint64_t extent = s.rawSize;  // the bytes the file holds
        if (resourceRva < s.virtualAddress || resourceRva >= uint64_t(s.virtualAddress) + extent) continue;
        const uint64_t from = uint64_t(s.rawOffset) + (resourceRva - s.virtualAddress);
        const uint64_t to = std::min<uint64_t>(uint64_t(s.rawOffset) + extent, file.size());
        if (from >= to) return std::nullopt;
        image.resources = file.subspan(static_cast<size_t>(from), static_cast<size_t>(to - from));
        return image;
    }
    return std::nullopt;
}

struct Entry {
    uint32_t name;    // high bit: offset of a counted UTF-16 name
    uint32_t target;  // high bit: offset of a subdirectory, else of a data entry
};

std::vector<Entry> directoryEntries(ByteSpan resources, uint32_t offset) {
    ByteReader r(resources, offset);
    r.skip(12);
    const int count = r.u16le() + r.u16le();
    std::vector<Entry> entries;
    for (int i = 0; i < count && i < kMaxDirectoryEntries; ++i) {
        const Entry e{r.u32le(), r.u32le()};
        if (!r.ok()) break;
        entries.push_back(e);
    }
    return entries;
}

bool nameMatches(ByteSpan resources, const Entry& e, const std::string& wanted) {
    if (!(e.name & kHighBit)) return false;
    ByteReader r(resources, e.name & ~kHighBit);
    const uint16_t length = r.u16le();
    if (!r.ok() || length != wanted.size()) return false;
    for (char c : wanted) {
        const uint16_t unit = r.u16le();
        const auto lower = [](uint32_t v) { return v >= 'A' && v <= 'Z' ? v + 32 : v; };
        if (!r.ok() || lower(unit) != lower(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

// Every data entry below a directory (names and languages), depth-limited.
void collectData(const Image& image, uint32_t offset, int depth, std::vector<ByteSpan>& out) {
    if (depth > 3) return;
    for (const Entry& e : directoryEntries(image.resources, offset)) {
        const uint32_t target = e.target & ~kHighBit;
        if (target <= offset && (e.target & kHighBit)) continue;  // subdirectories lie further on: no cycles
        if (e.target & kHighBit) {
            collectData(image, target, depth + 1, out);
            continue;
        }
        ByteReader r(image.resources, target);
        const uint32_t rva = r.u32le();
        const uint32_t size = r.u32le();
        if (!r.ok()) continue;
        if (const auto bytes = bytesAt(image, rva, size)) out.push_back(*bytes);
    }
}

std::string pascalString(ByteSpan data) {
    if (data.empty()) return {};
    const size_t length = std::min<size_t>(data[0], data.size() - 1);
    return std::string(reinterpret_cast<const char*>(data.data() + 1), length);
}

}  // namespace

std::vector<ByteSpan> namedTypeResources(ByteSpan file, const std::string& typeName) {
    std::vector<ByteSpan> out;
    const auto image = parseHeaders(file);
    if (!image) return out;
    for (const Entry& type : directoryEntries(image->resources, 0))
        if ((type.target & kHighBit) && nameMatches(image->resources, type, typeName))
            collectData(*image, type.target & ~kHighBit, 1, out);
    return out;
}

// A property list: version (2 bytes), count (4), then properties of vendor, key, id,
// length (4 each) and data padded to 4 bytes. Windows files hold the four-character
// codes as little-endian numbers, so "catg" reads "gtac"; both orders are accepted.
std::optional<PluginDescription> readPiPL(ByteSpan resource) {
    ByteReader r(resource);
    r.skip(2);
    const uint32_t count = r.u32le();
    if (!r.ok()) return std::nullopt;
    PluginDescription description;
    for (uint32_t i = 0; i < count && r.ok(); ++i) {
        r.skip(4);
        const ByteSpan key = r.take(4);
        r.skip(4);
        const uint32_t length = r.u32le();
        const ByteSpan data = r.take(length);
        r.skip((4 - length % 4) % 4 <= r.remaining() ? (4 - length % 4) % 4 : r.remaining());
        if (!r.ok()) break;
        const std::string code(key.begin(), key.end());
        if (code == "catg" || code == "gtac") description.category = pascalString(data);
        if (code == "name" || code == "eman") description.name = pascalString(data);
    }
    if (description.name.empty()) return std::nullopt;
    return description;
}

}  // namespace dro::plugins
