// Heap accounting for memory benchmarks.  A program that links
// heap_count.cpp has its malloc family replaced by thin wrappers around the
// C library's allocator that keep the bytes held (usable sizes) and their
// peak, so that the memory of library objects is measured from outside the
// library, including what its containers allocate.  Under AddressSanitizer
// the sanitizer owns the allocator: nothing is replaced and every count is 0.
#pragma once

#include <cstdint>

namespace heapcount {

// Bytes held by live heap blocks of the whole program.
int64_t live_bytes();
// Highest value of live_bytes() since the last reset_peak().
int64_t peak_bytes();
void reset_peak();

}  // namespace heapcount
