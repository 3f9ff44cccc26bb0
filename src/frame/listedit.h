// Edits of the small lists that hang on a problem beside its model (MIP
// starts, the solution pool's solutions and filters): deletion by flags
// or by a range, and renumbering of column entries when columns go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "frame/problem.h"

namespace tvl {

// Keeps the items whose flag in del is zero, in their order; del[k]
// becomes the new position of item k, or -1 when it was removed.
template <class T>
void erase_flagged(std::vector<T> &items, int32_t *del) {
  size_t out = 0;
  int32_t next = 0;
  for (size_t k = 0; k < items.size(); ++k) {
    if (del[k]) {
      del[k] = -1;
      continue;
    }
    del[k] = next++;
    if (out != k) items[out] = std::move(items[k]);
    ++out;
  }
  items.resize(out);
}

// Deletes items begin..end of n through the deleter of the matching
// "delete set" function, which takes one flag per item: 1200 for a range
// that is empty or reaches outside 0..n-1, 1001 when the flags cannot be
// allocated.
template <class DeleteFlagged>
int delete_range_by_flags(int32_t n, int32_t begin, int32_t end, DeleteFlagged &&delete_flagged) {
  if (begin < 0 || begin > end || end >= n) return 1200;
  Scratch<int32_t> del(n);
  if (!del.ok()) return 1001;
  for (int32_t k = 0; k < n; ++k) del[k] = k >= begin && k <= end;
  delete_flagged(del.p);
  return 0;
}

// The two deletion entries of a list: items begin..end, or (by_flags)
// those flagged in delstat, whose entries become the new positions as
// the deleter leaves them (1004 when delstat is none).
template <class DeleteFlagged>
int delete_range_or_flagged(int32_t n, int32_t begin, int32_t end, int32_t *delstat, bool by_flags,
                            DeleteFlagged &&delete_flagged) {
  if (!by_flags) return delete_range_by_flags(n, begin, end, delete_flagged);
  if (!delstat) return 1004;
  delete_flagged(delstat);
  return 0;
}

// Column indices of a sparse list after a column deletion (delstat[j]:
// new index of old column j, -1 when deleted).  Entries on deleted
// columns, or outside 0..oldn-1, are dropped; kept entry k moves to
// position out through move(out, k), which carries the entry's other
// data along.  ind is shrunk; the count kept is returned so that the
// caller shrinks its parallel arrays alike.
template <class Move>
size_t renumber_column_entries(std::vector<int32_t> &ind, const int32_t *delstat, int32_t oldn, Move &&move) {
  size_t out = 0;
  for (size_t k = 0; k < ind.size(); ++k) {
    int32_t j = ind[k];
    int32_t nj = j >= 0 && j < oldn ? delstat[j] : -1;
    if (nj < 0) continue;
    ind[out] = nj;
    move(out, k);
    ++out;
  }
  ind.resize(out);
  return out;
}

}  // namespace tvl
