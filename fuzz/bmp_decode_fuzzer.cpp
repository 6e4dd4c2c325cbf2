// libFuzzer target: arbitrary bytes as a BMP file. The decoder must stay
// inside the input (the sanitizers watch every access), give a record that
// agrees with the header and with the reference reading of the rows
// (tests/bmp_reference.h), refuse only what the loader's table says it
// refuses, and leak nothing. About one input in 64 also goes through a file
// and imgLoadBMP, which must give the same.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
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

std::string TempPath() {
    static std::string path;
    if (path.empty()) {
        std::error_code ec;
        path = (std::filesystem::temp_directory_path(ec) /
                ("vc15_bmp_fuzz_" + std::to_string(static_cast<long>(::getpid())) + ".bmp"))
                   .string();
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ImgData rec = bmptest::Sentinel();
    const bool ok = vc15::DecodeBmp(size ? data : nullptr, size, &rec, kFuzzMaxBlock);
    if (ok) {
        CheckRecord(data, size, rec);
    } else {
        if (!bmptest::SameRecord(rec, bmptest::Sentinel())) Fail("refusal changed the record", 0, 0, size);
        const int32_t w = Le32(data, size, 18), h = Le32(data, size, 22);
        const bool refusable =
            h > 0 && w != 0 && (w < 0 || vc15::BmpStride(w) * static_cast<uint64_t>(h) > kFuzzMaxBlock);
        if (!refusable) Fail("a loadable image was refused", w, h, size);
    }

    // Now and then the same bytes through a file, when the loader's limit
    // and ours agree on the result.
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    const int32_t hw = Le32(data, size, 18), hh = Le32(data, size, 22);
    const bool sameLimit =
        ok || hh <= 0 || hw <= 0 || vc15::BmpStride(hw) * static_cast<uint64_t>(hh) > vc15::kBmpMaxPixelBlock;
    if ((hash & 63) == 0 && sameLimit) {
        const std::string path = TempPath();
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            const bool written = std::fwrite(data, 1, size, f) == size;
            std::fclose(f);
            if (written) {
                ImgData viaFile = bmptest::Sentinel();
                const bool okFile = imgLoadBMP(path.c_str(), &viaFile);
                if (okFile != ok) Fail("file load and buffer decode disagree", rec.width, rec.height, size);
                if (okFile) {
                    if (viaFile.width != rec.width || viaFile.height != rec.height ||
                        (viaFile.pixels == nullptr) != (rec.pixels == nullptr))
                        Fail("file load record differs", rec.width, rec.height, size);
                    if (rec.pixels) {
                        const size_t n =
                            static_cast<size_t>(vc15::BmpStride(rec.width) * static_cast<uint64_t>(rec.height));
                        // Compare the part that can hold file bytes; the rest is 0 in both.
                        const size_t cmp = n < size ? n : size;
                        if (std::memcmp(viaFile.pixels + (n - cmp), rec.pixels + (n - cmp), cmp) != 0)
                            Fail("file load pixels differ", rec.width, rec.height, size);
                    }
                    imgFreeBMP(&viaFile);
                } else if (!bmptest::SameRecord(viaFile, bmptest::Sentinel())) {
                    Fail("refused file load changed the record", 0, 0, size);
                }
            }
            std::remove(path.c_str());
        }
    }
    if (ok) imgFreeBMP(&rec);
    return 0;
}
