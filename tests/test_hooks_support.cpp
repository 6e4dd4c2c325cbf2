#include <cstdlib>
#include <new>

#include "VexaCanvas15.h"
#include "core/kernel_table.h"
#include "test_hooks.h"

namespace {

// Single-threaded by contract: the tests that inject failures allocate from
// one thread.
long g_allowed = -1;
long g_made = 0;
const vc15::memory_detail::BlockAllocator* g_inner = nullptr;

bool Allow() {
    ++g_made;
    if (g_allowed < 0) return true;
    if (g_allowed == 0) return false;
    --g_allowed;
    return true;
}

void* CountingAlloc(size_t bytes) {
    if (!Allow()) return nullptr;
    return g_inner ? g_inner->alloc(bytes) : std::malloc(bytes);
}

void CountingFree(void* block) {
    if (g_inner)
        g_inner->free(block);
    else
        std::free(block);
}

// Installed before main: every block the library makes in a test program
// passes the counter (both sides are malloc/free until a test says
// otherwise, so blocks made before are freed correctly).
const bool g_installed = vcSetAllocator(&CountingAlloc, &CountingFree) == 0;

}  // namespace

// The library makes its objects with the nothrow form; the counter sees
// them here. The ordinary form underneath keeps new and delete paired for
// every runtime (sanitizers included).
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    if (!Allow()) return nullptr;
    try {
        return ::operator new(bytes);
    } catch (...) {
        return nullptr;
    }
}

namespace vc15::testing {

long FailAllocationsAfter(long n) {
    if (!g_installed) std::abort();
    const long made = g_made;
    g_made = 0;
    g_allowed = n;
    return made;
}

void SetBlockAllocator(const memory_detail::BlockAllocator* allocator) { g_inner = allocator; }

}  // namespace vc15::testing

namespace vc15::cpu {

bool ForceLevelForTesting(Level level) {
    const KernelTable* table = kernels::For(level);
    if (!table) return false;
    kernels::detail::g_active.store(table, std::memory_order_relaxed);
    return true;
}

}  // namespace vc15::cpu
