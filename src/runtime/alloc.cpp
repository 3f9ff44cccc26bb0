// The library's allocator.  Every allocation of the library goes through
// these functions so that accounting and failure injection live in one place.
#include "runtime/alloc.h"

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace tvl {

// Byte accounting of live library allocations (usable sizes), for
// benchmarks that measure the memory of library objects.
static std::atomic<int64_t> g_live{0};
static std::atomic<int64_t> g_peak{0};

static void *counted(void *p, int64_t before) {
  if (!p) return p;
  int64_t delta = static_cast<int64_t>(malloc_usable_size(p)) - before;
  int64_t now = g_live.fetch_add(delta) + delta;
  int64_t peak = g_peak.load(std::memory_order_relaxed);
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
  return p;
}

void *mem_alloc(size_t size) { return counted(std::malloc(size == 0 ? 1 : size), 0); }

void *mem_calloc(size_t count, size_t size) {
  if (count == 0 || size == 0) return counted(std::calloc(1, 1), 0);
  return counted(std::calloc(count, size), 0);
}

void *mem_realloc(void *ptr, size_t size) {
  int64_t before = ptr ? static_cast<int64_t>(malloc_usable_size(ptr)) : 0;
  void *p = std::realloc(ptr, size == 0 ? 1 : size);
  return p ? counted(p, before) : p;
}

void mem_release(void *ptr) {
  if (ptr) g_live.fetch_sub(static_cast<int64_t>(malloc_usable_size(ptr)));
  std::free(ptr);
}

int64_t mem_live_bytes() { return g_live.load(); }
int64_t mem_peak_bytes() { return g_peak.load(); }
void mem_reset_peak() { g_peak.store(g_live.load()); }

}  // namespace tvl

extern "C" {
void *TVLmalloc(size_t size) { return tvl::mem_alloc(size); }
void *TVLrealloc(void *ptr, size_t size) { return tvl::mem_realloc(ptr, size); }
void TVLfree(void *ptr) { tvl::mem_release(ptr); }
FILE *TVLfopen(const char *filename_str, const char *type_str) { return std::fopen(filename_str, type_str); }
int TVLfclose(FILE *stream) { return std::fclose(stream); }
int TVLfputs(const char *s_str, FILE *stream) { return std::fputs(s_str, stream); }
int TVLputenv(char *envsetting_str) { return putenv(envsetting_str); }
}
