// 24-bit BMP decoding shared by every platform; the loader (imgLoadBMP) adds
// only the file access of pixel/bmp_file.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "VexaCanvas15.h"

namespace vc15 {

// Pixel rows start here: a 14-byte file header and a 40-byte info header.
constexpr size_t kBmpPixelOffset = 54;
// Largest pixel block the loader makes (256 MiB): a bigger image is refused
// before anything is allocated.
constexpr uint64_t kBmpMaxPixelBlock = uint64_t{256} << 20;
// Largest file the loader reads into memory (1 GiB); a bigger one is refused
// before anything is allocated.
constexpr uint64_t kBmpMaxFileSize = uint64_t{1} << 30;

// Row length in bytes of an image `width` pixels wide: 3 * width + (width & 3),
// the file's own padded row. Only meaningful for width >= 0.
constexpr uint64_t BmpStride(int32_t width) {
    return 3u * static_cast<uint64_t>(width) + static_cast<uint64_t>(width & 3);
}

// Decodes `size` bytes of a file. On true the record holds the result (all
// six fields written; a pixel block, if any, belongs to the caller). On false
// the record is untouched and nothing stays allocated. Never reads outside
// [file, file + size); missing bytes read as 0. `file` may be null when size
// is 0. `maxBlock` is the largest pixel block accepted; only the fuzzer asks
// for less than the loader's limit (to keep its inputs fast).
bool DecodeBmp(const uint8_t* file, size_t size, ImgData* record, uint64_t maxBlock = kBmpMaxPixelBlock);

}  // namespace vc15
