// Prints the processor check's verdict (the level every kernel family starts
// at) and the processor bits it rests on, as seen by this process: run under
// Wine, it shows what the Windows DLL chooses there.
#include <cstdint>
#include <cstdio>

#include "core/kernel_table.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

int main() {
    std::printf("detected level: %s\n", vc15::cpu::Name(vc15::kernels::Detected()));
#if defined(__x86_64__) || defined(__i386__)
    unsigned a, b, c, d;
    __cpuid_count(1, 0, a, b, c, d);
    const bool osxsave = (c >> 27) & 1u;
    std::printf("cpuid 1: sse2 %u ssse3 %u osxsave %u avx %u\n", (d >> 26) & 1u, (c >> 9) & 1u, osxsave ? 1u : 0u,
                (c >> 28) & 1u);
    __cpuid_count(7, 0, a, b, c, d);
    std::printf("cpuid 7: avx2 %u avx512f %u avx512bw %u avx512vl %u avx512vbmi2 %u\n", (b >> 5) & 1u, (b >> 16) & 1u,
                (b >> 30) & 1u, (b >> 31) & 1u, (c >> 6) & 1u);
    if (osxsave) {
        uint32_t lo, hi;
        __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(lo), "=d"(hi) : "c"(0));
        std::printf("xcr0: %#x (sse %u, avx %u, avx-512 %u)\n", lo, (lo >> 1) & 1u, (lo >> 2) & 1u,
                    (lo & 0xE0u) == 0xE0u ? 1u : 0u);
    }
#endif
    return 0;
}
