#include "core/memory.h"

namespace vc15 {

namespace {
// Single-threaded by contract (every allocating call comes from one thread).
long g_allowed = -1;
long g_made = 0;
}  // namespace

const memory_detail::BlockAllocator* memory_detail::g_blockAllocator = nullptr;

bool memory_detail::AllowAllocation() {
    ++g_made;
    if (g_allowed < 0) return true;
    if (g_allowed == 0) return false;
    --g_allowed;
    return true;
}

long testing::FailAllocationsAfter(long n) {
    const long made = g_made;
    g_made = 0;
    g_allowed = n;
    return made;
}

void testing::SetBlockAllocator(const memory_detail::BlockAllocator* allocator) {
    memory_detail::g_blockAllocator = allocator;
}

}  // namespace vc15
