// libFuzzer target: arbitrary bytes as a BMP file. The decoder must stay
// inside the input (the sanitizers watch every access), give a record that
// agrees with the header and with the reference reading of the rows
// (tests/bmp_reference.h), refuse only what the loader's table says it
// refuses, and leak nothing. The file path in front of the decoder is the
// unit tests' business.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "VexaCanvas15.h"
#include "bmp_reference.h"
#include "pixel/bmp.h"

namespace {

// Blocks above this are refused here as the loader refuses blocks above its
// own limit: the same comparison, at a size that keeps every input fast
// under the sanitizers (a 256 MiB block costs a tenth of a second there).
constexpr uint64_t kFuzzMaxBlock = uint64_t{4} << 20;

[[noreturn]] void Fail(const char* what, int32_t w, int32_t h, size_t size) {
    std::fprintf(stderr, "bmp_decode_fuzzer: %s (width %d, height %d, %zu bytes)\n", what, w, h, size);
    std::abort();
}

int32_t Le32(const uint8_t* d, size_t size, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
        if (at + i < size) v |= static_cast<uint32_t>(d[at + i]) << (8 * i);
    return static_cast<int32_t>(v);
}

// Checks a decoded record against the input it came from.
void CheckRecord(const uint8_t* data, size_t size, const ImgData& rec) {
    const int32_t w = Le32(data, size, 18), h = Le32(data, size, 22);
    if (rec.width != w || rec.height != h) Fail("size fields differ from the header", w, h, size);
    if (rec.format != FORMAT_RGB888 || rec.reserved1 != 0 || rec.reserved2 != 0)
        Fail("format or reserved fields wrong", w, h, size);
    if (h <= 0 || w == 0) {
        if (rec.pixels) Fail("block attached to an image without rows", w, h, size);
        return;
    }
    if (w < 0) Fail("negative width accepted", w, h, size);
    if (!rec.pixels) Fail("no block for an image with rows", w, h, size);
    const uint64_t stride = vc15::BmpStride(w);
    const uint64_t block = stride * static_cast<uint64_t>(h);
    if (block > kFuzzMaxBlock) Fail("block above the limit accepted", w, h, size);
    // The whole block (every byte of it must exist: the sanitizers check)
    // against the reference reading of the file, bytes beyond it being 0.
    const std::vector<uint8_t> want = bmptest::ReferenceBlock(std::vector<uint8_t>(data, data + size), w, h);
    if (std::memcmp(rec.pixels, want.data(), want.size()) != 0) Fail("block differs from the file", w, h, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ImgData rec = bmptest::Sentinel();
    const bool ok = vc15::DecodeBmp(size ? data : nullptr, size, &rec, kFuzzMaxBlock);
    if (ok) {
        CheckRecord(data, size, rec);
        imgFreeBMP(&rec);
        return 0;
    }
    if (!bmptest::SameRecord(rec, bmptest::Sentinel())) Fail("refusal changed the record", 0, 0, size);
    const int32_t w = Le32(data, size, 18), h = Le32(data, size, 22);
    const bool refusable = h > 0 && w != 0 && (w < 0 || vc15::BmpStride(w) * static_cast<uint64_t>(h) > kFuzzMaxBlock);
    if (!refusable) Fail("a loadable image was refused", w, h, size);
    return 0;
}
