// The four file operations the BMP loader needs, over Win32 files on Windows
// (pixel/file_win32.cpp) and POSIX files elsewhere (pixel/file_posix.cpp).
#pragma once

#include <cstdint>

namespace vc15::bmpfile {

using Handle = void*;

// Opens an existing file for reading, letting others read it at the same
// time. Null when it can't be opened. Only regular files open: a directory,
// a device or a pipe gives null (so nothing can block or never end).
Handle Open(const char* path);

// Size of the open file. On Windows only the low 32 bits of the size are
// asked for; elsewhere the real size.
uint64_t Size(Handle file);

// Reads up to `bytes` bytes from the start of the file (the file has just
// been opened) into `buffer`. The count actually read is not reported: the
// caller zeroes the buffer first, so bytes that were not read stay 0.
void Read(Handle file, void* buffer, uint32_t bytes);

void Close(Handle file);

}  // namespace vc15::bmpfile
