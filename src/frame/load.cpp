// LP data storage (allocation, capacity growth, copies) and wholesale
// loading of LP data and column types.
#include <algorithm>
#include <cstring>

#include "frame/changecache.h"
#include "frame/derived.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/matrixcheck.h"
#include "frame/names.h"
#include "frame/param.h"
#include "frame/problem.h"

namespace tvl {

LpData *lpdata_new() {
  auto *d = static_cast<LpData *>(mem_alloc(sizeof(LpData)));
  if (d) *d = LpData{};
  return d;
}

static void free_arrays(LpData *d) {
  mem_free(d->obj);
  mem_free(d->lb);
  mem_free(d->ub);
  mem_free(d->matbeg);
  mem_free(d->matcnt);
  mem_free(d->matind);
  mem_free(d->matval);
  mem_free(d->rhs);
  mem_free(d->sense);
  mem_free(d->rngval);
  names_free(d->rownames);
  names_free(d->colnames);
  drop_rowwise(d);
}

void lpdata_free(LpData *&d) {
  if (!d) return;
  free_arrays(d);
  mem_free(d->objname);
  mem_free(d);
}

template <class T>
static bool alloc_copy(T *&dst, const T *src, int64_t n, int64_t cap) {
  dst = mem_array<T>(static_cast<size_t>(std::max<int64_t>(cap, 1)));
  if (!dst) return false;
  if (src && n > 0) std::memcpy(static_cast<void *>(dst), src, static_cast<size_t>(n) * sizeof(T));
  return true;
}

// Allocates the per-row, per-column and nonzero arrays at the given
// capacities (contents undefined).
static bool alloc_arrays(LpData *d, int32_t rowcap, int32_t colcap, int64_t nzcap, bool ranged) {
  bool ok = alloc_copy<double>(d->obj, nullptr, 0, colcap) && alloc_copy<double>(d->lb, nullptr, 0, colcap) &&
            alloc_copy<double>(d->ub, nullptr, 0, colcap) &&
            alloc_copy<int32_t>(d->matbeg, nullptr, 0, colcap) &&
            alloc_copy<int32_t>(d->matcnt, nullptr, 0, colcap) &&
            alloc_copy<int32_t>(d->matind, nullptr, 0, nzcap) &&
            alloc_copy<double>(d->matval, nullptr, 0, nzcap) &&
            alloc_copy<double>(d->rhs, nullptr, 0, rowcap) && alloc_copy<char>(d->sense, nullptr, 0, rowcap);
  if (ok && ranged) ok = alloc_copy<double>(d->rngval, nullptr, 0, rowcap);
  d->rowcap = rowcap;
  d->colcap = colcap;
  d->nzcap = nzcap;
  return ok;
}

// memcpy that accepts the null arrays of an empty model (no rows, columns
// or nonzeros), which memcpy itself must never be given.
static void copy_bytes(void *dst, const void *src, size_t bytes) {
  if (bytes > 0) std::memcpy(dst, src, bytes);
}

LpData *lpdata_clone(const LpData *s) {
  LpData *d = lpdata_new();
  if (!d) return nullptr;
  int32_t n = s->ncols, m = s->nrows;
  bool ok = alloc_arrays(d, m, n, s->nonzeros(), s->rngval != nullptr);
  if (ok) {
    d->nrows = m;
    d->ncols = n;
    d->objsense = s->objsense;
    d->objoffset = s->objoffset;
    copy_bytes(d->obj, s->obj, sizeof(double) * n);
    copy_bytes(d->lb, s->lb, sizeof(double) * n);
    copy_bytes(d->ub, s->ub, sizeof(double) * n);
    copy_bytes(d->rhs, s->rhs, sizeof(double) * m);
    copy_bytes(d->sense, s->sense, static_cast<size_t>(m));
    if (s->rngval) copy_bytes(d->rngval, s->rngval, sizeof(double) * m);
    int64_t pos = 0;
    for (int32_t j = 0; j < n; ++j) {
      d->matbeg[j] = static_cast<int32_t>(pos);
      d->matcnt[j] = s->matcnt[j];
      copy_bytes(d->matind + pos, s->matind + s->matbeg[j], sizeof(int32_t) * s->matcnt[j]);
      copy_bytes(d->matval + pos, s->matval + s->matbeg[j], sizeof(double) * s->matcnt[j]);
      pos += s->matcnt[j];
    }
    ok = names_clone(d->rownames, s->rownames, m) && names_clone(d->colnames, s->colnames, n);
    d->rowname_counter = s->rowname_counter;
    d->colname_counter = s->colname_counter;
  }
  if (ok && s->objname) {
    size_t len = std::strlen(s->objname) + 1;
    ok = alloc_copy<char>(d->objname, s->objname, static_cast<int64_t>(len), static_cast<int64_t>(len));
  }
  if (!ok) lpdata_free(d);
  return d;
}

// New capacity for rows or columns: needed + reserve, or the larger of
// needed + 100 and 1.2 times needed.
static int64_t grown(const tvlenv *env, int64_t needed, int reserve_param, int64_t slack) {
  int32_t r = param_int(env, reserve_param);
  if (r >= 0) return needed + r;
  return std::max(needed + slack, needed + needed / 5);
}

bool grow_rows(const tvlenv *env, tvllp *lp, int64_t needed) {
  LpData *d = lp->lp;
  if (needed <= d->rowcap) return true;
  int64_t cap = grown(env, needed, kParamRowReserve, 100);
  if (cap > kNoLimit) return false;
  size_t c = static_cast<size_t>(cap);
  if (!mem_grow(d->rhs, c) || !mem_grow(d->sense, c)) return false;
  if (d->rngval && !mem_grow(d->rngval, c)) return false;
  if (d->rownames.present() && !names_reserve_items(d->rownames, static_cast<int32_t>(cap))) return false;
  d->rowcap = static_cast<int32_t>(cap);
  return true;
}

bool grow_cols(const tvlenv *env, tvllp *lp, int64_t needed) {
  LpData *d = lp->lp;
  if (needed <= d->colcap) return true;
  int64_t cap = grown(env, needed, kParamColReserve, 100);
  if (cap > kNoLimit) return false;
  size_t c = static_cast<size_t>(cap);
  if (!mem_grow(d->obj, c) || !mem_grow(d->lb, c) || !mem_grow(d->ub, c) || !mem_grow(d->matbeg, c) ||
      !mem_grow(d->matcnt, c))
    return false;
  if (d->colnames.present() && !names_reserve_items(d->colnames, static_cast<int32_t>(cap))) return false;
  if (lp->mip && !mem_grow(lp->mip->ctype, c)) return false;
  d->colcap = static_cast<int32_t>(cap);
  return true;
}

bool grow_nz(const tvlenv *env, LpData *d, int64_t needed) {
  if (needed <= d->nzcap) return true;
  if (needed > kNoLimit) return false;
  int64_t cap = std::min<int64_t>(grown(env, needed, kParamNzReserve, 500), kNoLimit);
  if (!mem_grow(d->matind, static_cast<size_t>(cap)) || !mem_grow(d->matval, static_cast<size_t>(cap)))
    return false;
  d->nzcap = cap;
  return true;
}

bool ensure_rngval(LpData *d) {
  if (d->rngval) return true;
  double *r = mem_array<double>(static_cast<size_t>(std::max(d->rowcap, 1)));
  if (!r) return false;
  std::fill(r, r + d->rowcap, 0.0);
  d->rngval = r;
  return true;
}

// ---- loading LP data ----

namespace {

struct LoadArgs {
  int numcols, numrows, objsense;
  const double *obj, *rhs;
  const char *sense;
  const int *matbeg, *matcnt, *matind;
  const double *matval, *lb, *ub, *rngval;
  char **colname, **rowname;
};

int count_ranged(const LoadArgs &a) {
  int r = 0;
  for (int i = 0; i < a.numrows; ++i) r += a.sense[i] == 'R';
  return r;
}

// Argument checks in their documented order.  The structural ones run on
// every call: the objective sense, the senses, a ranged row needs range
// values, the layout and index ranges of the matrix, and no none entry in
// a name array (the names are read).  `content` adds the numeric checks
// and repeated row indices (data checking on).
int check_load(const tvlenv *env, const LoadArgs &a, bool content) {
  if (a.objsense != 1 && a.objsense != -1) return 1003;
  int st = content ? check_numbers(env, a.obj, a.numcols) : 0;
  if (!st && content) st = check_numbers(env, a.rhs, a.numrows);
  if (!st) st = check_senses(env, a.sense, a.numrows);
  if (!st && !a.rngval && count_ranged(a) > 0) st = 1003;
  if (!st)
    st = check_matrix(env, 'r', a.numrows, a.numcols, a.matbeg, a.matcnt, a.matind, a.matval, content);
  if (!st && content) st = check_numbers(env, a.lb, a.numcols);
  if (!st && content) st = check_numbers(env, a.ub, a.numcols);
  if (!st && content && a.rngval) st = check_numbers(env, a.rngval, a.numrows);
  if (!st && a.colname) st = check_names(env, a.colname, a.numcols);
  if (!st && a.rowname) st = check_names(env, a.rowname, a.numrows);
  return st;
}

// Builds the new LP data block from the caller's arrays.
LpData *build(const LoadArgs &a, const LpData *old) {
  LpData *d = lpdata_new();
  if (!d) return nullptr;
  int nr = count_ranged(a);
  int64_t nz = 0;
  for (int j = 0; j < a.numcols; ++j) nz = std::max<int64_t>(nz, int64_t{a.matbeg[j]} + a.matcnt[j]);
  bool ok = alloc_arrays(d, a.numrows, a.numcols + nr, nz + nr, a.rngval != nullptr);
  if (ok) {
    d->nrows = a.numrows;
    d->ncols = a.numcols;
    d->objsense = a.objsense;
    std::memcpy(d->obj, a.obj, sizeof(double) * a.numcols);
    std::memcpy(d->lb, a.lb, sizeof(double) * a.numcols);
    std::memcpy(d->ub, a.ub, sizeof(double) * a.numcols);
    std::memcpy(d->rhs, a.rhs, sizeof(double) * a.numrows);
    std::memcpy(d->sense, a.sense, static_cast<size_t>(a.numrows));
    if (a.rngval) std::memcpy(d->rngval, a.rngval, sizeof(double) * a.numrows);
    for (int j = 0; j < a.numcols; ++j) {
      int32_t b = a.matbeg[j], w = b;
      for (int32_t t = b; t < b + a.matcnt[j]; ++t) {
        if (a.matval[t] == 0.0) continue;
        d->matind[w] = a.matind[t];
        d->matval[w++] = a.matval[t];
      }
      d->matbeg[j] = b;
      d->matcnt[j] = w - b;
    }
    if (a.colname) ok = names_load(d->colnames, a.colname, a.numcols, a.numcols + nr, nr);
    if (ok && a.rowname) ok = names_load(d->rownames, a.rowname, a.numrows, a.numrows, 0);
  }
  if (ok && old->objname) {
    d->objname = old->objname;  // the objective name belongs to the problem, not to the data
  }
  if (!ok) lpdata_free(d);
  return d;
}

int load(tvlenv *env, tvllp *lp, const LoadArgs &a) {
  int st = check_modifiable(env, lp);
  if (st) return st;
  if (a.numcols < 0 || a.numrows < 0) return 1003;
  if (!a.obj || !a.rhs || !a.sense || !a.matbeg || !a.matcnt || !a.matind || !a.matval || !a.lb || !a.ub)
    return 1004;
  bool content = datacheck_on(env);
  if ((st = check_load(env, a, content)) != 0) return st;
  FoldedValues folded(a.matval);
  if (!content && fold_duplicates(a.numrows, a.numcols, a.matbeg, a.matcnt, 0, a.matind, a.matval, folded))
    return 1001;
  LoadArgs stored = a;
  stored.matval = folded.val;
  cache_free(lp->cache);
  if (!is_node_type(lp->type) && (st = convert_type(env, lp, 0)) != 0) return st;
  discard_derived(lp, kDropAll);
  LpData *d = build(stored, lp->lp);
  if (!d) return 1001;
  lp->lp->objname = nullptr;  // moved into the new block
  lpdata_free(lp->lp);
  lp->lp = d;
  if (lp->parts && lp->parts->qobj && !parts_add_cols(lp->parts, 0, d->ncols)) return 1001;
  return 0;
}

}  // namespace

// ---- column types ----

static int store_ctypes(const tvlenv *env, tvllp *lp, int cnt, const int *indices, const char *ctype) {
  if (!ensure_mip(lp)) return 1001;
  note_change(env, lp, ChangeKind::Other, kDropOnChange);
  drop_mip_derived(env, lp, false);
  MipData *m = lp->mip;
  for (int k = 0; k < cnt; ++k) {
    int j = indices ? indices[k] : k;
    m->nnoncont += (ctype[k] != 'C') - (m->ctype[j] != 'C');
    m->ctype[j] = ctype[k];
  }
  rederive_type(lp);
  return 0;
}

}  // namespace tvl

using namespace tvl;

extern "C" {

int TVLcopylpwnames(TVLENVptr env, TVLLPptr lp, int numcols, int numrows, int objsense, const double *obj,
                    const double *rhs, const char *sense, const int *matbeg, const int *matcnt,
                    const int *matind, const double *matval, const double *lb, const double *ub,
                    const double *rngval, char **colname, char **rowname) {
  LoadArgs a{numcols, numrows, objsense, obj, rhs, sense, matbeg, matcnt, matind, matval, lb, ub, rngval,
             colname, rowname};
  return boundary(env, load(env, lp, a));
}

int TVLcopylp(TVLENVptr env, TVLLPptr lp, int numcols, int numrows, int objsense, const double *obj,
              const double *rhs, const char *sense, const int *matbeg, const int *matcnt, const int *matind,
              const double *matval, const double *lb, const double *ub, const double *rngval) {
  LoadArgs a{numcols, numrows, objsense, obj, rhs, sense, matbeg, matcnt, matind, matval, lb, ub, rngval,
             nullptr, nullptr};
  return boundary(env, load(env, lp, a));
}

int TVLcopyctype(TVLENVptr env, TVLLPptr lp, const char *xctype) {
  int st = check_modifiable(env, lp);
  if (!st && !xctype) st = 1004;
  if (!st) st = complete(env, lp);
  if (!st) st = check_ctypes(env, xctype, lp->lp->ncols);
  if (!st) st = store_ctypes(env, lp, lp->lp->ncols, nullptr, xctype);
  return boundary(env, st);
}

int TVLchgctype(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, const char *xctype) {
  int st = check_modifiable(env, lp);
  if (!st && cnt < 0) st = 1003;
  if (st || cnt == 0) return boundary(env, st);
  if (!indices || !xctype) st = 1004;
  if (!st) st = check_indices(env, 'c', indices, cnt, total_cols(lp));
  if (!st) st = check_ctypes(env, xctype, cnt);
  if (!st) st = complete(env, lp);
  if (!st) st = store_ctypes(env, lp, cnt, indices, xctype);
  return boundary(env, st);
}

}  // extern "C"
