// What the running processor offers beyond the baseline the engine is built for, asked
// once and remembered. Kernels compiled for wider vectors are chosen with these; on
// other architectures every answer is false.
#pragma once

namespace dro {

bool hasAvx2() noexcept;
// AVX-512 F, BW and VL together, the set the 512-bit kernels use.
bool hasAvx512() noexcept;

}  // namespace dro
