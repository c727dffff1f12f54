// Whole files in and out of memory. Decoders work on the bytes of a file, which keeps
// every read inside a known length.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace dro::codecs {

// Files larger than this are refused rather than read.
inline constexpr uint64_t kMaxFileBytes = uint64_t{2} << 30;

// Leaves new elements uninitialised: a file's bytes are read over them at once, so
// clearing them first would only cost a pass over a large block.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() noexcept = default;
    template <class U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using FileBytes = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

// The file's bytes, or nullopt when it cannot be opened, read, or is too large.
std::optional<FileBytes> readWholeFile(const char* path);

}  // namespace dro::codecs
