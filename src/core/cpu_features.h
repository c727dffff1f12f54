// What the running processor offers beyond the baseline the engine is built for, asked
// once and remembered. Kernels compiled for wider vectors are chosen with these; on
// other architectures every answer is false.
#pragma once

namespace dro {

bool hasAvx2() noexcept;
// AVX-512 F, BW and VL together, the set the 512-bit kernels use.
bool hasAvx512() noexcept;

// One row kernel compiled twice from the same [[gnu::always_inline]] body: for the
// baseline and with AVX2, so each copy is vectorised for its own instruction set and
// the two give the same bytes. pick() names the copy for this processor.
template <auto Body>
struct BaselineAndAvx2;

template <class... Args, void (*Body)(Args...) noexcept>
struct BaselineAndAvx2<Body> {
    using Kernel = void (*)(Args...) noexcept;
    static void baseline(Args... args) noexcept { Body(args...); }
#if defined(__x86_64__) || defined(__i386__)
    [[gnu::target("avx2")]] static void avx2(Args... args) noexcept { Body(args...); }
    static Kernel pick() noexcept { return hasAvx2() ? avx2 : baseline; }
#else
    static Kernel pick() noexcept { return baseline; }
#endif
};

}  // namespace dro
