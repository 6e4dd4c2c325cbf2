#include <cstdint>
#include <cstdlib>
#include <map>

#include "core/memory.h"
#include "guard_pages.h"
#include "test_hooks.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace vc15test {

namespace {

struct Mapping {
    uint8_t* base;
    size_t length;
};

GuardSide g_side = GuardSide::After;
std::map<void*, Mapping>& Blocks() {
    static std::map<void*, Mapping> blocks;
    return blocks;
}

size_t PageSize() {
#if defined(_WIN32)
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
#else
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
}

uint8_t* MapPages(size_t length) {
#if defined(_WIN32)
    return static_cast<uint8_t*>(VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
#else
    void* p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : static_cast<uint8_t*>(p);
#endif
}

bool Protect(uint8_t* page, size_t length) {
#if defined(_WIN32)
    DWORD old;
    return VirtualProtect(page, length, PAGE_NOACCESS, &old) != 0;
#else
    return mprotect(page, length, PROT_NONE) == 0;
#endif
}

void Unmap(const Mapping& m) {
#if defined(_WIN32)
    VirtualFree(m.base, 0, MEM_RELEASE);
#else
    munmap(m.base, m.length);
#endif
}

void* GuardedAlloc(size_t bytes) {
    const size_t page = PageSize();
    const size_t n = bytes ? bytes : 1;
    if (n > SIZE_MAX / 2) return nullptr;
    const size_t dataPages = (n + page - 1) / page;
    const size_t length = (dataPages + 2) * page;
    uint8_t* base = MapPages(length);
    if (!base) return nullptr;
    uint8_t* data = base + page;
    if (!Protect(base, page) || !Protect(data + dataPages * page, page)) {
        Unmap({base, length});
        return nullptr;
    }
    // Ending at a page boundary, a block of n elements of T stays aligned
    // for T (pixel rows, depth bytes, pointer tables).
    void* block = g_side == GuardSide::Before ? data : data + dataPages * page - n;
    Blocks()[block] = Mapping{base, length};
    return block;
}

void GuardedFree(void* block) {
    if (!block) return;
    auto it = Blocks().find(block);
    if (it == Blocks().end()) std::abort();  // not ours: a mixed-up free
    Unmap(it->second);
    Blocks().erase(it);
}

const vc15::memory_detail::BlockAllocator kGuarded = {&GuardedAlloc, &GuardedFree};

}  // namespace

GuardPages::GuardPages(GuardSide side) {
    g_side = side;
    vc15::testing::SetBlockAllocator(&kGuarded);
}

GuardPages::~GuardPages() { vc15::testing::SetBlockAllocator(nullptr); }

size_t GuardPages::Live() { return Blocks().size(); }

GuardedBuffer::GuardedBuffer(size_t bytes, GuardSide side) {
    const GuardSide was = g_side;
    g_side = side;
    data_ = static_cast<uint8_t*>(GuardedAlloc(bytes));
    g_side = was;
}

GuardedBuffer::~GuardedBuffer() { GuardedFree(data_); }

}  // namespace vc15test
