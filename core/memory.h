// The library's two allocators, in one place so a test can make the Nth
// allocation fail, or put blocks between guard pages, and check that every
// caller turns that into its specified result without leaking or overrunning.
//   - MemAlloc/MemFree: the general-purpose allocator (pixel buffers, depth
//     planes, temporary rows and tables, blocks handed to hosts).
//   - NewObject/DeleteObject: objects, through the ordinary allocation
//     operator (never throwing).
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace vc15 {

namespace memory_detail {
// False when the next allocation must fail (test injection); counts calls.
bool AllowAllocation();

// A replacement for malloc/free that a test installs; null means malloc.
struct BlockAllocator {
    void* (*alloc)(size_t bytes);
    void (*free)(void* block);
};
extern const BlockAllocator* g_blockAllocator;
}  // namespace memory_detail

inline void* MemAlloc(size_t bytes) {
    if (!memory_detail::AllowAllocation()) return nullptr;
    const memory_detail::BlockAllocator* a = memory_detail::g_blockAllocator;
    return a ? a->alloc(bytes) : std::malloc(bytes);
}

// Zeroed memory from the same allocator (calloc: large blocks come back as
// fresh zero pages that cost nothing until touched).
inline void* MemAllocZeroed(size_t bytes) {
    if (!memory_detail::AllowAllocation()) return nullptr;
    const memory_detail::BlockAllocator* a = memory_detail::g_blockAllocator;
    if (!a) return std::calloc(bytes, 1);
    void* block = a->alloc(bytes);
    if (block) std::memset(block, 0, bytes);
    return block;
}

inline void MemFree(void* block) {
    const memory_detail::BlockAllocator* a = memory_detail::g_blockAllocator;
    if (a)
        a->free(block);
    else
        std::free(block);
}

template <class T, class... Args>
T* NewObject(Args&&... args) {
    if (!memory_detail::AllowAllocation()) return nullptr;
    return new (std::nothrow) T(std::forward<Args>(args)...);
}

// Destroys an object the way a host's delete would: through its table.
template <class T>
void DeleteObject(T* object) {
    if (!object) return;
#if VC15_EXPLICIT_DELETING_SLOT
    object->vcDeletingDestructor(1u);
#else
    delete object;
#endif
}

namespace testing {
// Lets `n` more allocations succeed, then fails every later one; a negative
// n turns injection off. Returns the number of allocations made since the
// last call.
long FailAllocationsAfter(long n);

// Routes MemAlloc/MemFree through `allocator` (null: back to malloc). Every
// block must be freed by the allocator that made it, so a test installs one
// only while no block of the other kind is alive.
void SetBlockAllocator(const memory_detail::BlockAllocator* allocator);
}  // namespace testing

}  // namespace vc15
