// Win32 file access for the BMP loader: exactly the calls and flag values the
// loader is defined with (read access, shared reading, existing files only,
// normal attributes, the low 32 bits of the size, one read).
#include <windows.h>

#include "pixel/bmp_file.h"

namespace vc15::bmpfile {

Handle Open(const char* path) {
    HANDLE h =
        ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open, so only
    // files get this far.
    return h == INVALID_HANDLE_VALUE ? nullptr : static_cast<Handle>(h);
}

uint64_t Size(Handle file) {
    // Low part only: a file of 4 GiB or more reports its size modulo 2^32.
    return ::GetFileSize(static_cast<HANDLE>(file), nullptr);
}

void Read(Handle file, void* buffer, uint32_t bytes) {
    DWORD got = 0;
    (void)::ReadFile(static_cast<HANDLE>(file), buffer, bytes, &got, nullptr);
}

void Close(Handle file) { ::CloseHandle(static_cast<HANDLE>(file)); }

}  // namespace vc15::bmpfile
