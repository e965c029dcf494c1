#pragma once
// How the allocator hands out memory.

namespace muralto {

// For a short-lived process that builds large lists: big blocks come from the heap and
// freed memory stays there for reuse, so fewer fresh pages have to be faulted in. Not for
// the resident program, whose freed pictures should go back to the system.
void ReuseFreedMemory();

} // namespace muralto
