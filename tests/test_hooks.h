// Test hooks, built into the test programs only: they reach the library
// through its public allocator hook, the C++ runtime's nothrow allocation
// operator and the level the processor check reports, never through a
// switch compiled into the library.
#pragma once

#include "core/cpu.h"
#include "core/memory.h"

namespace vc15::testing {

// Lets `n` more allocations (blocks and objects) succeed, then fails every
// later one; a negative n turns injection off. Returns the number of
// allocations made since the last call.
long FailAllocationsAfter(long n);

// Routes the library's blocks through `allocator` (null: back to malloc).
// Every block must be freed by the allocator that made it, so a test
// installs one only while no block of the other kind is alive.
void SetBlockAllocator(const memory_detail::BlockAllocator* allocator);

}  // namespace vc15::testing

namespace vc15::cpu {
// Every kernel family uses `level` from now on. False (and nothing changes)
// when the processor lacks it.
bool ForceLevelForTesting(Level level);
}  // namespace vc15::cpu
