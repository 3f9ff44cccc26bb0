// Pending-change cache of a problem.  Rows and columns added one at a time
// are collected here and merged into the column-wise matrix in one pass
// when the complete problem is needed, so that a sequence of small
// additions costs time proportional to the data added.
#pragma once

#include <cstdint>

#include "frame/problem.h"

namespace tvl {

// Pending names of one kind: per item an offset into the pool, or -1 when
// the item was given without a name.
struct PendingNames {
  PodVec<int64_t> off;
  PodVec<char> pool;
  int64_t given = 0;  // number of items that came with a name
};

// Columns waiting to be appended.  Row indices of their entries use the
// final numbering (existing rows first, then pending rows in order).
struct PendingCols {
  int32_t count = 0;
  PodVec<double> obj, lb, ub;
  PodVec<char> ctype;       // empty unless some pending column has a type
  PodVec<int64_t> beg;      // count+1 entries into ind/val
  PodVec<int32_t> ind;
  PodVec<double> val;
  PendingNames names;
};

// Rows waiting to be appended; column indices use the final numbering.
struct PendingRows {
  int32_t count = 0;
  PodVec<double> rhs;
  PodVec<char> sense;
  PodVec<double> rngval;    // empty unless some pending row is ranged
  PodVec<int64_t> beg;      // count+1 entries into ind/val
  PodVec<int32_t> ind;
  PodVec<double> val;
  PendingNames names;
};

// A batch of coefficient changes, applied after the pending rows.
struct PendingCoefs {
  PodVec<int32_t> row;
  PodVec<int32_t> col;
  PodVec<double> val;
};

struct ChangeCache {
  bool empty = true;
  PendingCols cols;
  PendingRows rows;
  PendingCoefs coefs;
};

// Frees the cache record and clears the reference.
void cache_free(ChangeCache *&cache);
// Empties the cache (keeps the record).
void cache_clear(ChangeCache *cache);
// The problem's cache, created when absent (nullptr on allocation failure).
ChangeCache *cache_get(tvllp *lp);
inline bool cache_pending(const tvllp *lp) { return lp->cache && !lp->cache->empty; }

// Appends one pending name (nullptr: no name).  False on allocation failure.
bool pending_name_push(PendingNames &names, const char *name);

// Applies everything pending to the problem in the order: columns, rows,
// coefficient batch, column types of the pending columns.  The cache is
// emptied whatever the outcome.  Returns 0 or a status.
int cache_apply(const tvlenv *env, tvllp *lp);

}  // namespace tvl
