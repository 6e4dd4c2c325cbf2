#include "core/memory.h"

#include <atomic>

#include "VexaCanvas15.h"

namespace vc15 {

namespace {

constexpr memory_detail::BlockAllocator kSystem = {&std::malloc, &std::free};

// Two slots, so the pair a reader gets is always one that was installed
// whole; published with one atomic pointer.
memory_detail::BlockAllocator g_slots[2];
std::atomic<const memory_detail::BlockAllocator*> g_current{&kSystem};
std::atomic<int> g_next{0};
std::atomic<size_t> g_live{0};

}  // namespace

const memory_detail::BlockAllocator& memory_detail::Current() { return *g_current.load(std::memory_order_acquire); }

void CountBlock(void* block) {
    if (block) g_live.fetch_add(1, std::memory_order_relaxed);
}

void UncountBlock() { g_live.fetch_sub(1, std::memory_order_relaxed); }

void* MemAllocZeroed(size_t bytes) {
    const memory_detail::BlockAllocator& a = memory_detail::Current();
    void* block = &a == &kSystem ? std::calloc(bytes, 1) : a.alloc(bytes);
    if (block && &a != &kSystem) std::memset(block, 0, bytes);
    CountBlock(block);
    return block;
}

}  // namespace vc15

extern "C" VC15_API int32_t VC15_CALL vcSetAllocator(void* (*alloc)(size_t bytes), void (*release)(void* block)) {
    using namespace vc15;
    if (!alloc != !release) return -1;
    const memory_detail::BlockAllocator& now = memory_detail::Current();
    const bool same = alloc ? now.alloc == alloc && now.free == release : &now == &kSystem;
    // A live block would be freed by the new pair: refused, unless the pair
    // stays what it is.
    if (!same && g_live.load(std::memory_order_relaxed) != 0) return -1;
    if (!alloc) {
        g_current.store(&kSystem, std::memory_order_release);
        return 0;
    }
    // Alternating slots: the slot written now is not the one published.
    memory_detail::BlockAllocator& slot = g_slots[g_next.fetch_xor(1, std::memory_order_relaxed)];
    slot = memory_detail::BlockAllocator{alloc, release};
    g_current.store(&slot, std::memory_order_release);
    return 0;
}
