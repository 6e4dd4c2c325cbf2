// The WebAssembly SIMD128 level: the 128-bit slots (levels/fill_128.h); the
// conversions of 3- and 4-byte pixels keep the scalar forms for now.
#include "simd/simd128.h"
// The kernels after the structs they are instantiated with.
#include "levels/fill_128.h"

namespace vc15::kernels {

void FillSimd128(KernelTable& t) { Fill128<simd::Simd128V128>(t); }

}  // namespace vc15::kernels
