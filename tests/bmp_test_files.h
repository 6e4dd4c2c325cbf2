// Helpers of the BMP loader tests: file images in a temporary directory (the
// file images, the reference decoder and the sentinels are in
// bmp_reference.h, which the fuzzer shares).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "VexaCanvas15.h"
#include "bmp_reference.h"

namespace bmptest {

// A file in a private temporary directory, removed at destruction.
class TempFile {
public:
    explicit TempFile(const std::string& name) {
        static int serial = 0;
        std::error_code ec;
        dir_ = std::filesystem::temp_directory_path(ec) /
               ("vc15_bmp_" + std::to_string(reinterpret_cast<uintptr_t>(this) & 0xFFFFFF) + "_" +
                std::to_string(++serial));
        std::filesystem::create_directories(dir_, ec);
        path_ = dir_ / name;
    }
    ~TempFile() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void Write(const std::vector<uint8_t>& bytes) const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good()) << path_.string();
    }
    std::string Name() const { return path_.string(); }
    const std::filesystem::path& Path() const { return path_; }
    const std::filesystem::path& Dir() const { return dir_; }

private:
    std::filesystem::path dir_;
    std::filesystem::path path_;
};

}  // namespace bmptest
