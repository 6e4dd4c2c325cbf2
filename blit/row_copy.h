// Row block copy: every copy of pixels in the canvas and the blits goes
// through here, so one place decides how small and large runs are moved.
//
// Sprite runs are short (tens of pixels), where a library call per run costs
// more than the copy, and where a branch per length class costs more than
// moving a few bytes twice. Runs of 16 to 64 bytes therefore take one path
// without branches: four 16-byte pieces whose offsets are chosen so that
// together they cover the run exactly (shorter runs let pieces coincide).
// Runs below 16 bytes use 8-, 4- and 2-byte pieces the same way, runs up to
// 128 bytes eight pieces, and longer rows memcpy, which is fastest there.
// Source and destination never overlap, so writing some destination bytes
// twice with the same value is harmless.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/level_namespace.h"

namespace vc15 {
inline namespace VC15_LEVEL_NAMESPACE {

namespace row_copy_detail {

// One piece of N bytes, moved through a local so that the compiler emits a
// single load and store of that size.
template <size_t N>
inline void Move(unsigned char* d, const unsigned char* s) {
    unsigned char piece[N];
    std::memcpy(piece, s, N);
    std::memcpy(d, piece, N);
}

}  // namespace row_copy_detail

inline void CopyPixels(uint16_t* dst, const uint16_t* src, size_t count) {
    using row_copy_detail::Move;
    const size_t n = count * sizeof(uint16_t);
    auto* d = reinterpret_cast<unsigned char*>(dst);
    const auto* s = reinterpret_cast<const unsigned char*>(src);
    if (n - 16 <= 48) {  // 16 <= n <= 64
        const size_t second = n < 32 ? n - 16 : 16;
        const size_t third = n < 32 ? 0 : n - 32;
        Move<16>(d, s);
        Move<16>(d + second, s + second);
        Move<16>(d + third, s + third);
        Move<16>(d + n - 16, s + n - 16);
        return;
    }
    if (n < 16) {
        if (n >= 8) {
            Move<8>(d, s);
            Move<8>(d + n - 8, s + n - 8);
        } else if (n >= 4) {
            Move<4>(d, s);
            Move<4>(d + n - 4, s + n - 4);
        } else if (n >= 2) {
            Move<2>(d, s);
        }
        return;
    }
    if (n <= 128) {
        Move<16>(d, s);
        Move<16>(d + 16, s + 16);
        Move<16>(d + 32, s + 32);
        Move<16>(d + 48, s + 48);
        Move<16>(d + n - 64, s + n - 64);
        Move<16>(d + n - 48, s + n - 48);
        Move<16>(d + n - 32, s + n - 32);
        Move<16>(d + n - 16, s + n - 16);
        return;
    }
    std::memcpy(d, s, n);
}

}  // namespace VC15_LEVEL_NAMESPACE
}  // namespace vc15
