// Pending-change cache of a problem.  Rows and columns added one at a time
// are collected here and merged into the column-wise matrix in one pass
// when the complete problem is needed, so that a sequence of small
// additions costs time proportional to the data added.
#pragma once

#include <cstdint>

#include "frame/problem.h"

namespace tvl {

// Pending names of one kind: per item an offset into the pool, or -1 when
// the item was given without a name.  The offsets are kept only once some
// item came with a name.
struct PendingNames {
  PodVec<int64_t> off;      // empty while no pending item has a name
  PodVec<char> pool;
  int64_t given = 0;  // number of items that came with a name
};

// Columns waiting to be appended.  Row indices of their entries use the
// final numbering (existing rows first, then pending rows in order).
struct PendingCols {
  int32_t count = 0;
  PodVec<double> obj, lb, ub;  // defaults already resolved
  PodVec<char> ctype;       // empty unless some pending column has a type
  PodVec<int32_t> beg;      // count entries into ind/val
  PodVec<int32_t> ind;
  PodVec<double> val;
  PendingNames names;
};

// Rows waiting to be appended; column indices use the final numbering.
struct PendingRows {
  int32_t count = 0;
  PodVec<double> rhs;       // defaults already resolved
  PodVec<char> sense;
  PodVec<double> rngval;    // kept once some pending row is ranged or has a range value
  bool ranged = false;
  PodVec<int32_t> beg;      // count entries into ind/val
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

// Names of a block of new rows or columns: a caller's array (entries may
// be none) or the pending names of the cache.
struct NameSource {
  char *const *arr = nullptr;
  const PendingNames *pend = nullptr;
  bool any() const { return arr || (pend && pend->given > 0); }
  const char *get(int64_t k) const {
    if (arr) return arr[k];
    if (pend && pend->given > 0 && pend->off[k] >= 0) return pend->pool.data + pend->off[k];
    return nullptr;
  }
};

// A block of new columns.  Absent obj/lb/ub take the defaults 0, 0 and
// kInfBound (1.0 for type 'B'); entries are given column-wise by beg/ind/val
// with nzcnt entries in total (row indices in the final numbering).
struct ColBlock {
  int32_t count = 0;
  const double *obj = nullptr, *lb = nullptr, *ub = nullptr;
  const char *ctype = nullptr;
  const int *beg = nullptr, *ind = nullptr;
  const double *val = nullptr;
  int64_t nzcnt = 0;
  NameSource names;
};

// A block of new rows (absent rhs 0, sense 'E', rngval 0), entries
// row-wise with column indices.
struct RowBlock {
  int32_t count = 0;
  const double *rhs = nullptr;
  const char *sense = nullptr;
  const double *rngval = nullptr;
  const int *beg = nullptr, *ind = nullptr;
  const double *val = nullptr;
  int64_t nzcnt = 0;
  NameSource names;
};

// Appends a block to the problem's arrays at once (columns: with their
// types when given).  Returns 0 or 1001; nothing is added on failure of
// the capacity growth.
int append_cols(const tvlenv *env, tvllp *lp, const ColBlock &b);
int append_rows(const tvlenv *env, tvllp *lp, const RowBlock &b);

// Records a block in the cache.  Returns 0 or 1001.
int cache_push_cols(tvllp *lp, const ColBlock &b);
int cache_push_rows(tvllp *lp, const RowBlock &b);
int cache_push_coefs(tvllp *lp, const int *row, const int *col, const double *val, int64_t k);

// Frees the cache record and clears the reference.
void cache_free(ChangeCache *&cache);
// Empties the cache (keeps the record).
void cache_clear(ChangeCache *cache);
// The problem's cache, created when absent (nullptr on allocation failure).
ChangeCache *cache_get(tvllp *lp);
inline bool cache_pending(const tvllp *lp) { return lp->cache && !lp->cache->empty; }

// Records the name (nullptr: none) of pending item k.  False on
// allocation failure.
bool pending_name_push(PendingNames &names, int32_t k, const char *name);

// Applies everything pending to the problem in the order: columns, rows,
// coefficient batch, column types of the pending columns.  The cache is
// emptied whatever the outcome.  Returns 0 or a status.
int cache_apply(const tvlenv *env, tvllp *lp);

}  // namespace tvl
