// The process heap of the command-line solver.
//
// A solve allocates and frees work arrays of tens of kilobytes to
// megabytes many times (each refactorization, each presolve pass, every
// copy of the model).  Under the C library's defaults, blocks above 128 KB
// come from fresh memory maps and the top of the heap is handed back to the
// system as soon as 128 KB lie free, so the same memory is faulted in again
// and again: on a virtual machine each such page fault costs some
// microseconds, which on a small LP is a fifth of the whole run (cycle:
// 2,000 faults in a 56 ms process).  The solver therefore
//   - keeps blocks up to 32 MB in the heap and never trims it below 512 MB,
//     so that freed memory is reused instead of faulted in again;
//   - grows the heap 64 MB at a time and asks the kernel to back that range
//     with transparent huge pages where the system allows it on request
//     (one fault per 2 MB, and fewer TLB misses in the sparse kernels).
// This is a policy of the executable, not of the library: a program that
// links libtavlo keeps its own allocator settings.  Elsewhere than with
// the GNU C library the function does nothing.
#include "tavlo_cli.h"

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#endif

namespace tavlo_cli {

void prepare_heap() {
#if defined(__GLIBC__)
  constexpr int kMapThreshold = 32 << 20;   // the largest value the allocator accepts
  constexpr int kTrimThreshold = 512 << 20;
  constexpr int kTopPad = 64 << 20;
  constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
  if (!mallopt(M_MMAP_THRESHOLD, kMapThreshold) || !mallopt(M_TRIM_THRESHOLD, kTrimThreshold) ||
      !mallopt(M_TOP_PAD, kTopPad))
    return;
  // A block larger than any free room grows the heap by itself plus the
  // pad; freeing it leaves the whole range as free top of the heap.
  void *probe = std::malloc(size_t{1} << 20);
  if (!probe) return;
  const uintptr_t lo = (reinterpret_cast<uintptr_t>(probe) + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t hi = reinterpret_cast<uintptr_t>(sbrk(0)) & ~(kHugePage - 1);
  std::free(probe);
  if (hi > lo) madvise(reinterpret_cast<void *>(lo), hi - lo, MADV_HUGEPAGE);
#endif
}

}  // namespace tavlo_cli
