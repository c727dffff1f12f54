#include "core/cpu_features.h"

namespace dro {

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
bool hasAvx2() noexcept {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}

bool hasAvx512() noexcept {
    static const bool avx512 =
        __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
    return avx512;
}
#else
bool hasAvx2() noexcept { return false; }
bool hasAvx512() noexcept { return false; }
#endif

}  // namespace dro
