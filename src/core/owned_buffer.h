// Engine-owned pixel and byte buffers. Every large block comes from the allocators in
// allocation.h (malloc underneath, so a failure is a null, never an exception) and is
// released with free; OwnedBuffer ties that release to the owner's lifetime.
#pragma once

#include <cstdlib>
#include <memory>

namespace dro {

struct FreeReleaser {
    void operator()(void* block) const noexcept { std::free(block); }
};

template <class T>
using OwnedBuffer = std::unique_ptr<T[], FreeReleaser>;

template <class T>
OwnedBuffer<T> adoptBuffer(T* block) noexcept {
    return OwnedBuffer<T>(block);
}

}  // namespace dro
