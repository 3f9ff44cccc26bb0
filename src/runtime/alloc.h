// The library's allocator (malloc-style; size 0 is served as one byte).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "tavlo.h"

namespace tvl {

void *mem_alloc(size_t size);
void *mem_calloc(size_t count, size_t size);
void *mem_realloc(void *ptr, size_t size);
void mem_release(void *ptr);

// Releases and clears the caller's reference.
template <class T>
inline void mem_free(T *&ptr) {
  mem_release(const_cast<void *>(static_cast<const void *>(ptr)));
  ptr = nullptr;
}

// Typed array allocation helpers.
template <class T>
inline T *mem_array(size_t count) { return static_cast<T *>(mem_alloc(count * sizeof(T))); }
template <class T>
inline bool mem_grow(T *&ptr, size_t count) {
  void *p = mem_realloc(ptr, count * sizeof(T));
  if (!p) return false;
  ptr = static_cast<T *>(p);
  return true;
}

// Copy of a C string in library memory; a null string gives null.  When
// the allocation fails the result is null and *ok (if given) becomes false.
inline char *mem_strdup(const char *s, bool *ok = nullptr) {
  if (!s) return nullptr;
  const size_t len = std::strlen(s) + 1;
  char *p = mem_array<char>(len);
  if (p) {
    std::memcpy(p, s, len);
  } else if (ok) {
    *ok = false;
  }
  return p;
}

}  // namespace tvl
