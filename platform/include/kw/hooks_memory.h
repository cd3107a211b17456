// Test hooks for the layer's memory blocks.
#pragma once
#include <cstddef>
#include <cstdint>

namespace kw::hooks {

// Makes allocations fail: the `n`-th allocation from now (1 = the next one)
// and, when `sticky`, every one after it. n = 0 turns failure off.
void MemoryFailAt(uint64_t n, bool sticky = false);
// Allocations made so far (heap, global and local, including reallocations).
uint64_t MemoryAllocationCount();
// Blocks currently live, for leak checks.
size_t MemoryLiveBlocks();

}  // namespace kw::hooks
