// BMP file images, a plain reference decoder written from the file layout
// and record sentinels: shared by the loader's tests and its fuzzer, so free
// of any test framework.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "VexaCanvas15.h"

namespace bmptest {

inline void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}
inline void Put16(std::vector<uint8_t>& v, size_t at, uint16_t x) {
    v[at] = static_cast<uint8_t>(x);
    v[at + 1] = static_cast<uint8_t>(x >> 8);
}

inline uint64_t Stride(int32_t w) { return 3ull * static_cast<uint32_t>(w) + static_cast<uint32_t>(w & 3); }

// A 54-byte header (file header + 40-byte info header) followed by `data`.
inline std::vector<uint8_t> MakeFile(int32_t width, int32_t height, const std::vector<uint8_t>& data,
                                     uint16_t bitCount = 24) {
    // Sized whole and filled by copy: GCC 12 warns (wrongly) about insert here.
    std::vector<uint8_t> f(54 + data.size(), 0);
    std::copy(data.begin(), data.end(), f.begin() + 54);
    f[0] = 'B';
    f[1] = 'M';
    Put32(f, 2, static_cast<uint32_t>(54 + data.size()));
    Put32(f, 10, 54);
    Put32(f, 14, 40);
    Put32(f, 18, static_cast<uint32_t>(width));
    Put32(f, 22, static_cast<uint32_t>(height));
    Put16(f, 26, 1);
    Put16(f, 28, bitCount);
    Put32(f, 34, static_cast<uint32_t>(data.size()));
    return f;
}

// The block the loader must produce from `file`, written from the file
// layout: block row r is file row height-1-r; each pixel's bytes reversed;
// padding as in the file; bytes beyond the file are 0.
inline std::vector<uint8_t> ReferenceBlock(const std::vector<uint8_t>& file, int32_t width, int32_t height) {
    const size_t stride = static_cast<size_t>(Stride(width));
    std::vector<uint8_t> out(stride * static_cast<size_t>(height));
    auto at = [&](size_t off) -> uint8_t { return off < file.size() ? file[off] : 0; };
    for (int32_t r = 0; r < height; ++r) {
        const size_t fileRow = 54 + static_cast<size_t>(height - 1 - r) * stride;
        uint8_t* row = &out[static_cast<size_t>(r) * stride];
        for (int32_t k = 0; k < width; ++k) {
            row[3 * k + 0] = at(fileRow + 3 * k + 2);
            row[3 * k + 1] = at(fileRow + 3 * k + 1);
            row[3 * k + 2] = at(fileRow + 3 * k + 0);
        }
        for (size_t p = 3 * static_cast<size_t>(width); p < stride; ++p) row[p] = at(fileRow + p);
    }
    return out;
}

// A record holding values that no load produces, to see it untouched.
inline ImgData Sentinel() {
    ImgData r;
    r.pixels = reinterpret_cast<uint8_t*>(uintptr_t{0x5A5A5A50});
    r.width = -77;
    r.height = 123456;
    r.reserved1 = 0xDEADBEEF;
    r.format = 0xCAFEF00D;
    r.reserved2 = 0x01020304;
    return r;
}
inline bool SameRecord(const ImgData& a, const ImgData& b) {
    return a.pixels == b.pixels && a.width == b.width && a.height == b.height && a.reserved1 == b.reserved1 &&
           a.format == b.format && a.reserved2 == b.reserved2;
}

}  // namespace bmptest
