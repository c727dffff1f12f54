#include "imaging/lib/codecs/file_bytes.h"

#include <cstdio>
#include <memory>

namespace dro::codecs {

std::optional<FileBytes> readWholeFile(const char* path) {
    if (!path || !*path) return std::nullopt;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), std::fclose);
    if (!file) return std::nullopt;
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return std::nullopt;
    const long size = std::ftell(file.get());
    if (size < 0 || static_cast<uint64_t>(size) > kMaxFileBytes) return std::nullopt;
    if (std::fseek(file.get(), 0, SEEK_SET) != 0) return std::nullopt;
    FileBytes bytes(static_cast<size_t>(size));
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return std::nullopt;
    return bytes;
}

}  // namespace dro::codecs
