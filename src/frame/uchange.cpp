// Modification of a problem: adding and deleting rows and columns, item
// changes (objective, right-hand sides, senses, ranges, bounds,
// coefficients, names) and completion of pending changes.
#include <algorithm>
#include <cstring>

#include "frame/changecache.h"
#include "frame/derived.h"
#include "frame/error.h"
#include "frame/mipstarts.h"
#include "frame/matrixcheck.h"
#include "frame/names.h"
#include "frame/param.h"
#include "frame/problem.h"

namespace tvl {
namespace {

// ---- adding rows and columns ----

bool any_ranged(const char *sense, int n) {
  for (int k = 0; sense && k < n; ++k)
    if (sense[k] == 'R') return true;
  return false;
}

// Whether a block of new items can go straight into the arrays: the cache
// is empty, the capacities suffice and no default names are needed.
bool fits_directly(const tvllp *lp, const NameTable &t, int32_t have, int32_t cap, int cnt, char **names) {
  if (cache_pending(lp)) return false;
  if (int64_t{have} + cnt > cap) return false;
  if (t.present() != (names != nullptr)) return false;
  return !names || t.used + names_bytes(names, cnt) <= t.cap;
}

int newrows(tvlenv *env, tvllp *lp, int rcnt, const double *rhs, const char *sense, const double *rngval,
            char **rowname) {
  int st = check_modifiable(env, lp);
  if (st) return st;
  if (rcnt < 0) return 1003;
  if (rcnt == 0) return 0;
  if (sense && (st = check_senses(env, sense, rcnt)) != 0) return st;
  if (!rngval && any_ranged(sense, rcnt)) return 1003;
  if (datacheck_on(env)) {
    if (rhs && (st = check_numbers(env, rhs, rcnt)) != 0) return st;
    if (rngval && (st = check_numbers(env, rngval, rcnt)) != 0) return st;
    if (rowname && (st = check_names(env, rowname, rcnt)) != 0) return st;
  }
  RowBlock b;
  b.count = rcnt, b.rhs = rhs, b.sense = sense, b.rngval = rngval, b.names.arr = rowname;
  const LpData *d = lp->lp;
  bool direct = fits_directly(lp, d->rownames, d->nrows, d->rowcap, rcnt, rowname) &&
                (d->rngval || !(rngval || any_ranged(sense, rcnt)));
  return direct ? append_rows(env, lp, b) : cache_push_rows(lp, b);
}

int newcols(tvlenv *env, tvllp *lp, int ccnt, const double *obj, const double *lb, const double *ub,
            const char *ctype, char **colname) {
  int st = check_modifiable(env, lp);
  if (st) return st;
  if (ccnt < 0) return 1003;
  if (ccnt == 0) return 0;
  if (datacheck_on(env)) {
    if (obj && (st = check_numbers(env, obj, ccnt)) != 0) return st;
    if (lb && (st = check_numbers(env, lb, ccnt)) != 0) return st;
    if (ub && (st = check_numbers(env, ub, ccnt)) != 0) return st;
  }
  if (ctype && (st = check_ctypes(env, ctype, ccnt)) != 0) return st;
  if (datacheck_on(env) && colname && (st = check_names(env, colname, ccnt)) != 0) return st;
  ColBlock b;
  b.count = ccnt, b.obj = obj, b.lb = lb, b.ub = ub, b.ctype = ctype, b.names.arr = colname;
  const LpData *d = lp->lp;
  bool direct = fits_directly(lp, d->colnames, d->ncols, d->colcap, ccnt, colname);
  return direct ? append_cols(env, lp, b) : cache_push_cols(lp, b);
}

int addrows(tvlenv *env, tvllp *lp, int ccnt, int rcnt, int nzcnt, const double *rhs, const char *sense,
            const int *rmatbeg, const int *rmatind, const double *rmatval, char **colname, char **rowname) {
  int st = check_modifiable(env, lp);
  if (st) return st;
  if (ccnt < 0 || rcnt < 0 || nzcnt < 0) return 1003;
  if (rcnt == 0) return 0;
  if (nzcnt > 0 && (!rmatbeg || !rmatind || !rmatval)) return 1004;
  bool content = datacheck_on(env);
  if (sense && (st = check_senses(env, sense, rcnt)) != 0) return st;
  if (content && rhs && (st = check_numbers(env, rhs, rcnt)) != 0) return st;
  if (nzcnt > 0 && (st = check_matrix_starts(env, 'c', total_cols(lp) + ccnt, rcnt, nzcnt, rmatbeg, rmatind,
                                             rmatval, content)) != 0)
    return st;
  if (content) {
    if (colname && (st = check_names(env, colname, ccnt)) != 0) return st;
    if (rowname && (st = check_names(env, rowname, rcnt)) != 0) return st;
  }
  FoldedValues folded(rmatval);
  if (nzcnt > 0 && !content &&
      fold_duplicates(total_cols(lp) + ccnt, rcnt, rmatbeg, nullptr, nzcnt, rmatind, rmatval, folded))
    return 1001;
  if (ccnt > 0) {
    ColBlock cb;
    cb.count = ccnt, cb.names.arr = colname;
    if ((st = cache_push_cols(lp, cb)) != 0) return st;
  }
  RowBlock b;
  b.count = rcnt, b.rhs = rhs, b.sense = sense, b.names.arr = rowname;
  if (nzcnt > 0) b.beg = rmatbeg, b.ind = rmatind, b.val = folded.val, b.nzcnt = nzcnt;
  return cache_push_rows(lp, b);
}

int addcols(tvlenv *env, tvllp *lp, int ccnt, int nzcnt, const double *obj, const int *cmatbeg,
            const int *cmatind, const double *cmatval, const double *lb, const double *ub, char **colname) {
  int st = check_modifiable(env, lp);
  if (st) return st;
  if (ccnt < 0 || nzcnt < 0) return 1003;
  if (ccnt == 0) return 0;
  if (nzcnt > 0 && (!cmatbeg || !cmatind || !cmatval)) return 1004;
  bool content = datacheck_on(env);
  if (content && obj && (st = check_numbers(env, obj, ccnt)) != 0) return st;
  if (nzcnt > 0 &&
      (st = check_matrix_starts(env, 'r', total_rows(lp), ccnt, nzcnt, cmatbeg, cmatind, cmatval, content)) != 0)
    return st;
  if (content) {
    if (lb && (st = check_numbers(env, lb, ccnt)) != 0) return st;
    if (ub && (st = check_numbers(env, ub, ccnt)) != 0) return st;
    if (colname && (st = check_names(env, colname, ccnt)) != 0) return st;
  }
  FoldedValues folded(cmatval);
  if (nzcnt > 0 && !content &&
      fold_duplicates(total_rows(lp), ccnt, cmatbeg, nullptr, nzcnt, cmatind, cmatval, folded))
    return 1001;
  ColBlock b;
  b.count = ccnt, b.obj = obj, b.lb = lb, b.ub = ub, b.names.arr = colname;
  if (nzcnt > 0) b.beg = cmatbeg, b.ind = cmatind, b.val = folded.val, b.nzcnt = nzcnt;
  const LpData *d = lp->lp;
  bool names_ok = d->colnames.present() == (colname != nullptr);
  return !cache_pending(lp) && names_ok ? append_cols(env, lp, b) : cache_push_cols(lp, b);
}

// ---- deleting rows and columns ----

// Turns marks (1 = delete) into new indices (-1 for deleted); returns the
// number of items kept.
int32_t renumber(int32_t *delstat, int32_t n) {
  int32_t k = 0;
  for (int32_t i = 0; i < n; ++i) delstat[i] = delstat[i] == 1 ? -1 : k++;
  return k;
}

template <class T>
void compact(T *a, const int32_t *delstat, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    if (delstat[i] >= 0) a[delstat[i]] = a[i];
}

void delete_rows(const tvlenv *env, tvllp *lp, int32_t *delstat) {
  LpData *d = lp->lp;
  int32_t m = d->nrows, kept = renumber(delstat, m);
  if (kept == m) return;
  compact(d->rhs, delstat, m);
  compact(d->sense, delstat, m);
  if (d->rngval) compact(d->rngval, delstat, m);
  names_delete(d->rownames, delstat, m);
  for (int32_t j = 0; j < d->ncols; ++j) {
    int32_t b = d->matbeg[j], w = b;
    for (int32_t t = b; t < b + d->matcnt[j]; ++t) {
      int32_t ni = delstat[d->matind[t]];
      if (ni < 0) continue;
      d->matind[w] = ni;
      d->matval[w++] = d->matval[t];
    }
    d->matcnt[j] = w - b;
  }
  d->nrows = kept;
  drop_rowwise(d);
  adjust_derived_rows(lp, delstat, m);
  note_change(env, lp, ChangeKind::Other, kDropOnChange);
}

void delete_cols(const tvlenv *env, tvllp *lp, int32_t *delstat) {
  LpData *d = lp->lp;
  int32_t n = d->ncols, kept = renumber(delstat, n);
  if (kept == n) return;
  compact(d->obj, delstat, n);
  compact(d->lb, delstat, n);
  compact(d->ub, delstat, n);
  names_delete(d->colnames, delstat, n);
  if (lp->mip) {
    compact(lp->mip->ctype, delstat, n);
    lp->mip->nnoncont = 0;
    for (int32_t j = 0; j < kept; ++j) lp->mip->nnoncont += lp->mip->ctype[j] != 'C';
  }
  int64_t pos = 0;
  for (int32_t j = 0; j < n; ++j) {
    if (delstat[j] < 0) continue;
    int32_t b = d->matbeg[j], c = d->matcnt[j];
    // A model without nonzeros may have no matrix arrays at all.
    if (c > 0) {
      std::memmove(d->matind + pos, d->matind + b, sizeof(int32_t) * c);
      std::memmove(d->matval + pos, d->matval + b, sizeof(double) * c);
    }
    d->matbeg[delstat[j]] = static_cast<int32_t>(pos);
    d->matcnt[delstat[j]] = c;
    pos += c;
  }
  d->ncols = kept;
  parts_delete_cols(lp->parts, delstat, n);
  mipstarts_delete_cols(lp, delstat, n);
  drop_rowwise(d);
  drop_mip_derived(env, lp, true);
  adjust_derived_cols(lp, delstat, n);
  note_change(env, lp, ChangeKind::Other, kDropOnChange);
}

using Deleter = void (*)(const tvlenv *, tvllp *, int32_t *);

int delete_range(tvlenv *env, tvllp *lp, int begin, int end, bool rows, Deleter del) {
  int st = check_modifiable(env, lp);
  if (!st) st = complete(env, lp);
  if (st) return st;
  int32_t count = rows ? lp->lp->nrows : lp->lp->ncols;
  if (begin < 0 || begin > end || end >= count) return 1200;
  Scratch<int32_t> delstat(count);
  if (!delstat.ok()) return 1001;
  for (int32_t i = 0; i < count; ++i) delstat[i] = i >= begin && i <= end;
  del(env, lp, delstat.p);
  return 0;
}

int delete_set(tvlenv *env, tvllp *lp, int *delstat, Deleter del) {
  int st = check_modifiable(env, lp);
  if (!st && !delstat) st = 1004;
  if (!st) st = complete(env, lp);
  if (!st) del(env, lp, delstat);
  return st;
}

// ---- item changes ----

// Completes pending changes when an index refers to a pending row (column).
int prepare(const tvlenv *env, tvllp *lp, const int *indices, int cnt, bool rows) {
  if (!cache_pending(lp)) return 0;
  int32_t have = rows ? lp->lp->nrows : lp->lp->ncols;
  for (int k = 0; k < cnt; ++k)
    if (indices[k] >= have) return complete(env, lp);
  return 0;
}

// Common argument handling of the item changes: fixed types, count,
// required arrays, indices, then (data checking on) repetitions.  Without
// data checking a repeated index takes the last of its values.
int check_items(const tvlenv *env, tvllp *lp, int cnt, const int *indices, const void *values, bool rows) {
  int st = check_modifiable(env, lp);
  if (st) return st;
  if (cnt < 0) return 1003;
  if (cnt == 0) return 0;
  if (!indices || !values) return 1004;
  st = check_indices(env, rows ? 'r' : 'c', indices, cnt, rows ? total_rows(lp) : total_cols(lp));
  if (!st && datacheck_on(env)) st = check_unique(env, indices, cnt, 0);
  return st;
}

int change_doubles(tvlenv *env, tvllp *lp, int cnt, const int *indices, const double *values, bool rows,
                   ChangeKind kind) {
  int st = check_items(env, lp, cnt, indices, values, rows);
  if (!st && cnt > 0 && datacheck_on(env)) st = check_numbers(env, values, cnt);
  if (!st && cnt > 0) st = prepare(env, lp, indices, cnt, rows);
  if (st || cnt == 0) return st;
  LpData *d = lp->lp;
  double *target = kind == ChangeKind::Obj ? d->obj : kind == ChangeKind::Rhs ? d->rhs : nullptr;
  if (!target) {  // range values
    if (!ensure_rngval(d)) return 1001;
    target = d->rngval;
  }
  for (int k = 0; k < cnt; ++k) target[indices[k]] = values[k];
  note_change(env, lp, kind, kDropOnChange);
  return 0;
}

int change_senses(tvlenv *env, tvllp *lp, int cnt, const int *indices, const char *sense) {
  int st = check_items(env, lp, cnt, indices, sense, true);
  if (!st && cnt > 0) st = check_senses(env, sense, cnt);
  if (!st && cnt > 0) st = prepare(env, lp, indices, cnt, true);
  if (st || cnt == 0) return st;
  LpData *d = lp->lp;
  for (int k = 0; k < cnt; ++k)
    if (sense[k] == 'R' && !ensure_rngval(d)) return 1001;
  for (int k = 0; k < cnt; ++k) d->sense[indices[k]] = sense[k];
  note_change(env, lp, ChangeKind::Other, kDropOnChange);
  return 0;
}

int change_bounds(tvlenv *env, tvllp *lp, int cnt, const int *indices, const char *lu, const double *bd) {
  int st = check_items(env, lp, cnt, indices, lu, false);
  if (!st && cnt > 0 && !bd) st = 1004;
  if (!st && cnt > 0) st = check_bound_kinds(env, lu, cnt);
  if (!st && cnt > 0 && datacheck_on(env)) st = check_numbers(env, bd, cnt);
  if (!st && cnt > 0) st = prepare(env, lp, indices, cnt, false);
  if (st || cnt == 0) return st;
  LpData *d = lp->lp;
  for (int k = 0; k < cnt; ++k) {
    int j = indices[k];
    if (lu[k] == 'L' || lu[k] == 'B') d->lb[j] = bd[k];
    if (lu[k] == 'U' || lu[k] == 'B') d->ub[j] = bd[k];
  }
  note_change(env, lp, ChangeKind::Bounds, kDropOnChange);
  return 0;
}

int change_coef(tvlenv *env, tvllp *lp, int i, int j, double v) {
  int st = check_modifiable(env, lp);
  if (st) return st;
  if (i < -1 || i >= total_rows(lp) || j < -2 || j >= total_cols(lp)) return 1200;
  if (i == -1 && j < 0) return 1211;
  if (datacheck_on(env) && (st = check_numbers(env, &v, 1)) != 0) return st;
  if (i >= 0 && j >= 0 && cache_pending(lp)) {
    st = cache_push_coefs(lp, &i, &j, &v, 1);
    if (!st) note_change(env, lp, ChangeKind::Other, kDropOnChange);
    return st;
  }
  if ((st = complete(env, lp)) != 0) return st;
  LpData *d = lp->lp;
  ChangeKind kind = ChangeKind::Other;
  if (j == -2) {
    if (d->sense[i] != 'R') return 1216;
    if (!ensure_rngval(d)) return 1001;
    d->rngval[i] = v;
  } else if (i == -1) {
    d->obj[j] = v;
    kind = ChangeKind::Obj;
  } else if (j == -1) {
    d->rhs[i] = v;
    kind = ChangeKind::Rhs;
  } else if ((st = apply_coefs(env, d, &i, &j, &v, 1)) != 0) {
    return st;
  }
  note_change(env, lp, kind, kDropOnChange);
  return 0;
}

int change_coefs(tvlenv *env, tvllp *lp, int k, const int *row, const int *col, const double *val) {
  int st = check_modifiable(env, lp);
  if (st) return st;
  if (k < 0) return 1003;
  if (k == 0) return 0;
  if (!row || !col || !val) return 1004;
  st = check_indices(env, 'r', row, k, total_rows(lp));
  if (!st) st = check_indices(env, 'c', col, k, total_cols(lp));
  if (!st && datacheck_on(env)) {
    st = check_unique_pairs(env, row, col, k);
    if (!st) st = check_numbers(env, val, k);
  }
  if (st) return st;
  st = cache_pending(lp) ? cache_push_coefs(lp, row, col, val, k) : apply_coefs(env, lp->lp, row, col, val, k);
  if (!st) note_change(env, lp, ChangeKind::Other, kDropOnChange);
  return st;
}

// ---- names ----

int change_names(tvlenv *env, tvllp *lp, int cnt, const int *indices, char *const *names, bool rows) {
  int st = check_items(env, lp, cnt, indices, names, rows);
  if (!st && cnt > 0 && datacheck_on(env)) st = check_names(env, names, cnt);
  if (!st && cnt > 0) st = prepare(env, lp, indices, cnt, rows);
  if (st || cnt == 0) return st;
  LpData *d = lp->lp;
  NameTable &t = rows ? d->rownames : d->colnames;
  int32_t n = rows ? d->nrows : d->ncols;
  int reserve = rows ? kParamRowReserve : kParamColReserve;
  if (!t.present() &&
      !names_create_defaults(env, t, n, rows ? d->rowcap : d->colcap, rows ? 'c' : 'x',
                             rows ? d->rowname_counter : d->colname_counter, reserve))
    return 1219;
  int64_t bytes = 0;
  for (int k = 0; k < cnt; ++k) bytes += names[k] ? static_cast<int64_t>(std::strlen(names[k])) + 1 : 0;
  if (!names_reserve_bytes(env, t, n, bytes, reserve)) return 1001;
  for (int k = 0; k < cnt; ++k)
    if (names[k]) names_put(t, indices[k], names[k]);
  return 0;
}

}  // namespace
}  // namespace tvl

using namespace tvl;

extern "C" {

int TVLnewrows(TVLENVptr env, TVLLPptr lp, int rcnt, const double *rhs, const char *sense,
               const double *rngval, char **rowname) {
  return boundary(env, newrows(env, lp, rcnt, rhs, sense, rngval, rowname));
}

int TVLnewcols(TVLENVptr env, TVLLPptr lp, int ccnt, const double *obj, const double *lb, const double *ub,
               const char *xctype, char **colname) {
  return boundary(env, newcols(env, lp, ccnt, obj, lb, ub, xctype, colname));
}

int TVLaddrows(TVLENVptr env, TVLLPptr lp, int ccnt, int rcnt, int nzcnt, const double *rhs, const char *sense,
               const int *rmatbeg, const int *rmatind, const double *rmatval, char **colname, char **rowname) {
  return boundary(env, addrows(env, lp, ccnt, rcnt, nzcnt, rhs, sense, rmatbeg, rmatind, rmatval, colname, rowname));
}

int TVLaddcols(TVLENVptr env, TVLLPptr lp, int ccnt, int nzcnt, const double *obj, const int *cmatbeg,
               const int *cmatind, const double *cmatval, const double *lb, const double *ub, char **colname) {
  return boundary(env, addcols(env, lp, ccnt, nzcnt, obj, cmatbeg, cmatind, cmatval, lb, ub, colname));
}

int TVLdelrows(TVLENVptr env, TVLLPptr lp, int begin, int end) {
  return boundary(env, delete_range(env, lp, begin, end, true, delete_rows));
}

int TVLdelcols(TVLENVptr env, TVLLPptr lp, int begin, int end) {
  return boundary(env, delete_range(env, lp, begin, end, false, delete_cols));
}

int TVLdelsetrows(TVLENVptr env, TVLLPptr lp, int *delstat) {
  return boundary(env, delete_set(env, lp, delstat, delete_rows));
}

int TVLdelsetcols(TVLENVptr env, TVLLPptr lp, int *delstat) {
  return boundary(env, delete_set(env, lp, delstat, delete_cols));
}

int TVLchgobj(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, const double *values) {
  return boundary(env, change_doubles(env, lp, cnt, indices, values, false, ChangeKind::Obj));
}

int TVLchgrhs(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, const double *values) {
  return boundary(env, change_doubles(env, lp, cnt, indices, values, true, ChangeKind::Rhs));
}

int TVLchgrngval(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, const double *values) {
  return boundary(env, change_doubles(env, lp, cnt, indices, values, true, ChangeKind::Other));
}

int TVLchgsense(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, const char *sense) {
  return boundary(env, change_senses(env, lp, cnt, indices, sense));
}

int TVLchgbds(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, const char *lu, const double *bd) {
  return boundary(env, change_bounds(env, lp, cnt, indices, lu, bd));
}

int TVLtightenbds(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, const char *lu, const double *bd) {
  return boundary(env, change_bounds(env, lp, cnt, indices, lu, bd));
}

int TVLchgcoef(TVLENVptr env, TVLLPptr lp, int i, int j, double newvalue) {
  return boundary(env, change_coef(env, lp, i, j, newvalue));
}

int TVLchgcoeflist(TVLENVptr env, TVLLPptr lp, int numcoefs, const int *rowlist, const int *collist,
                   const double *vallist) {
  return boundary(env, change_coefs(env, lp, numcoefs, rowlist, collist, vallist));
}

int TVLchgobjsen(TVLENVptr env, TVLLPptr lp, int maxormin) {
  int st = check_modifiable(env, lp);
  if (!st && maxormin != 1 && maxormin != -1) st = 1003;
  if (!st) {
    lp->lp->objsense = maxormin;
    note_change(env, lp, ChangeKind::Objective, kDropOnChange);
  }
  return boundary(env, st);
}

int TVLchgrowname(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, char **newname) {
  return boundary(env, change_names(env, lp, cnt, indices, newname, true));
}

int TVLchgcolname(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, char **newname) {
  return boundary(env, change_names(env, lp, cnt, indices, newname, false));
}

int TVLchgname(TVLENVptr env, TVLLPptr lp, int key, int ij, const char *newname_str) {
  int st = check_modifiable(env, lp);
  if (!st && key != 'r' && key != 'c') return 0;
  if (!st && !newname_str) st = 1004;
  if (st) return boundary(env, st);
  char *name = const_cast<char *>(newname_str);
  return boundary(env, change_names(env, lp, 1, &ij, &name, key == 'r'));
}

int TVLcompletelp(TVLENVptr env, TVLLPptr lp) {
  int st = check_problem(env, lp);
  if (!st) st = complete(env, lp);
  return boundary(env, st);
}

}  // extern "C"
