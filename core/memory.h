// The library's two allocators, in one place:
//   - MemAlloc/MemFree: every block (pixel buffers, depth planes, temporary
//     rows and tables, blocks handed to hosts), from the allocator a host
//     may install with vcSetAllocator (malloc/free otherwise);
//   - NewObject/DeleteObject: objects, through the C++ runtime's nothrow
//     allocation operator.
// Tests make allocations fail, or put blocks between guard pages, through
// these two public doors, never through a switch inside the library.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace vc15 {

namespace memory_detail {
// The allocator of every block: the host's (vcSetAllocator) or malloc/free.
struct BlockAllocator {
    void* (*alloc)(size_t bytes);
    void (*free)(void* block);
};
const BlockAllocator& Current();
}  // namespace memory_detail

// Blocks made and not yet freed, whatever allocator made them: while any is
// alive the pair cannot change (a block must go back to the one that made it).
void CountBlock(void* block);
void UncountBlock();

inline void* MemAlloc(size_t bytes) {
    void* block = memory_detail::Current().alloc(bytes);
    CountBlock(block);
    return block;
}

// Zeroed memory from the same allocator (with malloc/free, calloc: large
// blocks come back as fresh zero pages that cost nothing until touched).
void* MemAllocZeroed(size_t bytes);

inline void MemFree(void* block) {
    if (!block) return;
    memory_detail::Current().free(block);
    UncountBlock();
}

template <class T, class... Args>
T* NewObject(Args&&... args) {
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

}  // namespace vc15
