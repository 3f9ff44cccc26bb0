// Pooled name tables of rows and columns and the default names
// ("c1", "c2", ... for rows, "x1", ... for columns).
#pragma once

#include <cstdint>

#include "frame/problem.h"

namespace tvl {

void names_free(NameTable &t);

// Bytes needed to hold the names (each with its NUL).
int64_t names_bytes(char *const *names, int64_t n);

// Builds a table of n given names with room for itemcap items; the pool
// holds the names exactly plus 17 bytes per spare item, rounded up to 4.
bool names_load(NameTable &t, char *const *names, int32_t n, int32_t itemcap, int32_t spare);

// Exact copy of the first n names of src (no stale bytes, no spare room).
bool names_clone(NameTable &dst, const NameTable &src, int32_t n);

// Resizes the offset table to itemcap items.
bool names_reserve_items(NameTable &t, int32_t itemcap);

// Makes room for `extra` more bytes in the pool; on growth the live names
// of items 0..n-1 are compacted and the capacity follows the growth rule
// (reserve parameter `reserve_param`).
bool names_reserve_bytes(const tvlenv *env, NameTable &t, int32_t n, int64_t extra, int reserve_param);

// Stores the name of item k at the end of the pool (room must be reserved).
void names_put(NameTable &t, int32_t k, const char *name);

// Gives a default name to every item among 0..n-1 whose offset is -1.
// Numbers start at `counter`, skip numbers used by existing names of the
// form letter+digits, and `counter` moves past the last number used.
bool names_fill_defaults(const tvlenv *env, NameTable &t, int32_t n, char letter, int64_t &counter,
                         int reserve_param);

// Creates a table of default names for all n items (itemcap offsets).
bool names_create_defaults(const tvlenv *env, NameTable &t, int32_t n, int32_t itemcap, char letter,
                           int64_t &counter, int reserve_param);

// Drops the names of deleted items (delstat -1) and renumbers the others.
void names_delete(NameTable &t, const int32_t *delstat, int32_t oldn);

// Capacity for name bytes by the growth rule.
int64_t names_grown_capacity(const tvlenv *env, int64_t needed, int reserve_param);

}  // namespace tvl
