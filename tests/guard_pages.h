// Test allocator that puts every block the library allocates between
// inaccessible pages, so that a write (or read) one element past either end
// faults at once, without sanitizers and under Wine too. A block sits either
// against its trailing guard page (overruns fault) or right after its leading
// one (underruns fault).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vc15test {

enum class GuardSide { After, Before };

// Routes the library's block allocator through guarded pages while alive.
// Every block made meanwhile must be freed before it ends (release canvases
// and BMP blocks first).
class GuardPages {
public:
    explicit GuardPages(GuardSide side = GuardSide::After);
    ~GuardPages();
    GuardPages(const GuardPages&) = delete;
    GuardPages& operator=(const GuardPages&) = delete;

    // Blocks made and not yet freed.
    static size_t Live();
};

// A test's own block of `bytes` ending at (After) or starting at (Before) an
// inaccessible page; freed at destruction.
class GuardedBuffer {
public:
    GuardedBuffer(size_t bytes, GuardSide side);
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;
    uint8_t* data() const { return data_; }

private:
    uint8_t* data_;
};

}  // namespace vc15test
