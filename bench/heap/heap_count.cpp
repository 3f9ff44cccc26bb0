#include "heap_count.h"

#include <malloc.h>

#include <atomic>
#include <cerrno>
#include <cstddef>

namespace {

std::atomic<int64_t> g_live{0};
std::atomic<int64_t> g_peak{0};

void add(int64_t delta) {
  const int64_t now = g_live.fetch_add(delta, std::memory_order_relaxed) + delta;
  int64_t peak = g_peak.load(std::memory_order_relaxed);
  while (now > peak && !g_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
}

int64_t usable(void *p) { return p ? static_cast<int64_t>(malloc_usable_size(p)) : 0; }

}  // namespace

namespace heapcount {

int64_t live_bytes() { return g_live.load(std::memory_order_relaxed); }
int64_t peak_bytes() { return g_peak.load(std::memory_order_relaxed); }
void reset_peak() { g_peak.store(g_live.load(std::memory_order_relaxed), std::memory_order_relaxed); }

}  // namespace heapcount

#if !defined(__SANITIZE_ADDRESS__)

// The C library's own entry points (glibc exports them for allocators that
// wrap it).
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *ptr, size_t size);
void *__libc_memalign(size_t alignment, size_t size);
void __libc_free(void *ptr);
}

namespace {

void *noted(void *p) {
  add(usable(p));
  return p;
}

}  // namespace

extern "C" {

void *malloc(size_t size) { return noted(__libc_malloc(size)); }
void *calloc(size_t count, size_t size) { return noted(__libc_calloc(count, size)); }

void *realloc(void *ptr, size_t size) {
  const int64_t before = usable(ptr);
  void *p = __libc_realloc(ptr, size);
  if (p != nullptr)
    add(usable(p) - before);
  else if (size == 0)
    add(-before);  // realloc(ptr, 0) released the block
  return p;
}

void free(void *ptr) {
  add(-usable(ptr));
  __libc_free(ptr);
}

void *memalign(size_t alignment, size_t size) { return noted(__libc_memalign(alignment, size)); }
void *aligned_alloc(size_t alignment, size_t size) { return noted(__libc_memalign(alignment, size)); }

int posix_memalign(void **out, size_t alignment, size_t size) {
  if (alignment < sizeof(void *) || (alignment & (alignment - 1)) != 0) return EINVAL;
  void *p = noted(__libc_memalign(alignment, size));
  if (p == nullptr) return ENOMEM;
  *out = p;
  return 0;
}

}  // extern "C"

#endif
