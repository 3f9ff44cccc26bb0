// The library's allocator.  Every allocation of the library goes through
// these functions, so that its policy (a size of 0 is served as one byte)
// lives in one place.
#include "runtime/alloc.h"

#include <cstdio>
#include <cstdlib>

namespace tvl {

void *mem_alloc(size_t size) { return std::malloc(size == 0 ? 1 : size); }

void *mem_calloc(size_t count, size_t size) {
  if (count == 0 || size == 0) return std::calloc(1, 1);
  return std::calloc(count, size);
}

void *mem_realloc(void *ptr, size_t size) { return std::realloc(ptr, size == 0 ? 1 : size); }

void mem_release(void *ptr) { std::free(ptr); }

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
