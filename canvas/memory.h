// The library's two allocators, in one place so a test can make the Nth
// allocation fail and check that every caller turns that into its specified
// result without leaking.
//   - MemAlloc/MemFree: the general-purpose allocator (pixel buffers, depth
//     planes, temporary rows and tables, blocks handed to hosts).
//   - NewObject/DeleteObject: objects, through the ordinary allocation
//     operator (never throwing).
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>
#include <utility>

namespace vc15 {

namespace memory_detail {
// False when the next allocation must fail (test injection); counts calls.
bool AllowAllocation();
}  // namespace memory_detail

inline void* MemAlloc(size_t bytes) {
    if (!memory_detail::AllowAllocation()) return nullptr;
    return std::malloc(bytes);
}

inline void MemFree(void* block) { std::free(block); }

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
}  // namespace testing

}  // namespace vc15
