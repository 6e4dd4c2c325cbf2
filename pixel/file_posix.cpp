// POSIX file access for the BMP loader, with the same four operations as the
// Win32 layer.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "pixel/bmp_file.h"

namespace vc15::bmpfile {

namespace {

// The handle carries the descriptor itself (plus one, so that descriptor 0
// is not the null handle): opening allocates nothing.
Handle ToHandle(int fd) { return reinterpret_cast<Handle>(static_cast<intptr_t>(fd) + 1); }
int ToFd(Handle h) { return static_cast<int>(reinterpret_cast<intptr_t>(h) - 1); }

}  // namespace

Handle Open(const char* path) {
    if (!path) return nullptr;
    // O_NONBLOCK so that opening a FIFO cannot wait for a writer; it is
    // refused just below anyway.
    int fd;
    do {
        fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return nullptr;
    struct stat st;
    // Directories open for reading on POSIX, and devices or pipes may never
    // end: only regular files are files here, as on Windows.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl != -1) (void)::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    return ToHandle(fd);
}

uint64_t Size(Handle file) {
    struct stat st;
    if (::fstat(ToFd(file), &st) != 0 || st.st_size < 0) return 0;
    return static_cast<uint64_t>(st.st_size);
}

void Read(Handle file, void* buffer, uint32_t bytes) {
    const int fd = ToFd(file);
    auto* p = static_cast<unsigned char*>(buffer);
    uint32_t done = 0;
    // read() may return less than asked; stop at the end of the file or on an
    // error (the rest of the buffer then stays 0). Bounded by `bytes`.
    while (done < bytes) {
        const ssize_t n = ::read(fd, p + done, bytes - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<uint32_t>(n);
    }
}

void Close(Handle file) { ::close(ToFd(file)); }

}  // namespace vc15::bmpfile
