// 24-bit BMP loader.
//
// The loader reads the whole file into a zeroed buffer, takes the width
// (offset 18) and height (offset 22) as stored, and copies height rows of
// stride = 3 * width + (width & 3) bytes from offset 54, bottom row first,
// into a top-down block, exchanging bytes 0 and 2 of every pixel (B,G,R ->
// R,G,B) and copying the row padding unchanged. No other header field is
// read: any file is decoded as if it were an uncompressed 24-bit BMP.
//
// A BMP comes from outside the program, so every size taken from it is
// checked before it is used. What each kind of file yields:
//
//   file                                      result  record     pixels
//   ----------------------------------------  ------  ---------  ----------------
//   null file name or record (not opened)     false   untouched  nothing made
//   can't be opened: missing, no access, a    false   untouched  nothing made
//     directory; on POSIX also a device or
//     pipe (only regular files are read)
//   larger than 1 GiB (the size as the        false   untouched  nothing made
//     platform reports it; on Windows the
//     low 32 bits only)
//   file buffer can't be allocated            false   untouched  nothing made
//   empty, or shorter than the header         true    missing bytes read as 0, so
//                                                     e.g. an empty file is 0 x 0
//   shorter than 54 + height * stride         true    all set    missing bytes are 0
//   height 0 or negative (any width)          true    all set    null (no rows)
//   width 0 (height above 0)                  true    all set    null (rows of 0 bytes)
//   width negative (height above 0)           false   untouched  nothing made
//   height * stride above 256 MiB             false   untouched  nothing made
//   pixel block can't be allocated            false   untouched  nothing kept
//
// "all set": pixels, width and height as stored, format FORMAT_RGB888, the
// two reserved fields 0. On every false result the record keeps what it
// held and nothing stays allocated. The work done is bounded by the file's
// size: rows the file does not reach are left as the zeroed block gives them.
#include "pixel/bmp.h"

#include <cstdlib>
#include <cstring>

#include "core/memory.h"
#include "pixel/bmp_file.h"

namespace vc15 {

namespace {

// Zeroed memory from the library's general-purpose allocator, honouring the
// allocation-failure injection. Large blocks come back as fresh zero pages,
// so rows the file never reaches cost nothing.
void* BmpAlloc(size_t bytes) { return MemAllocZeroed(bytes); }

// Little-endian signed 32-bit at `offset`; bytes beyond the file read as 0.
int32_t ReadLe32(const uint8_t* file, size_t size, size_t offset) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
        if (offset + i < size) v |= static_cast<uint32_t>(file[offset + i]) << (8 * i);
    return static_cast<int32_t>(v);
}

}  // namespace

bool DecodeBmp(const uint8_t* file, size_t size, ImgData* record, uint64_t maxBlock) {
    const int32_t width = ReadLe32(file, size, 18);
    const int32_t height = ReadLe32(file, size, 22);

    uint8_t* block = nullptr;
    if (height > 0 && width != 0) {
        if (width < 0) return false;  // no usable row length
        const uint64_t stride = BmpStride(width);
        // stride < 2^33 and height < 2^31: the product cannot wrap.
        const uint64_t blockBytes = stride * static_cast<uint64_t>(height);
        if (blockBytes > maxBlock || blockBytes > kBmpMaxPixelBlock) return false;
        block = static_cast<uint8_t*>(BmpAlloc(static_cast<size_t>(blockBytes)));
        if (!block) return false;

        // Only the rows the file holds are copied; later rows (the image's
        // top ones) stay 0, as do the missing bytes of a partial row.
        const size_t rowBytes = static_cast<size_t>(stride);
        const size_t available = size > kBmpPixelOffset ? size - kBmpPixelOffset : 0;
        for (int32_t i = 0; i < height; ++i) {
            const size_t offset = static_cast<size_t>(i) * rowBytes;
            if (offset >= available) break;
            const size_t n = available - offset < rowBytes ? available - offset : rowBytes;
            uint8_t* row = block + static_cast<size_t>(height - 1 - i) * rowBytes;
            std::memcpy(row, file + kBmpPixelOffset + offset, n);
            // B,G,R -> R,G,B for every pixel that has a byte from the file;
            // padding (past 3 * width) is not touched.
            for (size_t k = 0; k < static_cast<size_t>(width) && 3 * k < n; ++k) {
                const uint8_t b = row[3 * k];
                row[3 * k] = row[3 * k + 2];
                row[3 * k + 2] = b;
            }
        }
    }

    std::memset(record, 0, sizeof *record);
    record->pixels = block;
    record->width = width;
    record->height = height;
    record->format = FORMAT_RGB888;
    return true;
}

}  // namespace vc15

extern "C" {

VC15_API bool VC15_CALL imgLoadBMP(const char* filename, ImgData* record) {
    if (!filename || !record) return false;  // nothing opened, nothing written
    vc15::bmpfile::Handle file = vc15::bmpfile::Open(filename);
    if (!file) return false;
    const uint64_t size = vc15::bmpfile::Size(file);
    if (size > vc15::kBmpMaxFileSize) {
        vc15::bmpfile::Close(file);
        return false;
    }
    uint8_t* buffer = nullptr;
    if (size > 0) {
        buffer = static_cast<uint8_t*>(vc15::BmpAlloc(static_cast<size_t>(size)));
        if (!buffer) {
            vc15::bmpfile::Close(file);
            return false;
        }
        // The buffer is already 0: whatever the read does not deliver stays 0.
        vc15::bmpfile::Read(file, buffer, static_cast<uint32_t>(size));
    }
    vc15::bmpfile::Close(file);
    const bool ok = vc15::DecodeBmp(buffer, static_cast<size_t>(size), record);
    vc15::MemFree(buffer);
    return ok;
}

VC15_API void VC15_CALL imgFreeBMP(ImgData* record) {
    if (!record) return;
    vc15::MemFree(record->pixels);
    record->pixels = nullptr;
}

}  // extern "C"
