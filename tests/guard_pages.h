// Test allocator that puts every block the library allocates between
// inaccessible pages, so that a write (or read) one element past either end
// faults at once, without sanitizers and under Wine too. A block sits either
// against its trailing guard page (overruns fault) or right after its leading
// one (underruns fault).
#pragma once

#include <cstddef>

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

}  // namespace vc15test
