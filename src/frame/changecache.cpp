// Pending-change cache and the storage edits that merge new rows, columns
// and coefficients into the column-wise matrix.
#include "frame/changecache.h"

#include <algorithm>
#include <cstring>

#include "frame/derived.h"
#include "frame/names.h"
#include "frame/param.h"

namespace tvl {

// ---- cache record ----

static void release_names(PendingNames &n) {
  n.off.release();
  n.pool.release();
  n.given = 0;
}

void cache_clear(ChangeCache *c) {
  PendingCols &pc = c->cols;
  pc.obj.release(), pc.lb.release(), pc.ub.release(), pc.ctype.release();
  pc.beg.release(), pc.ind.release(), pc.val.release();
  release_names(pc.names);
  pc.count = 0;
  PendingRows &pr = c->rows;
  pr.rhs.release(), pr.sense.release(), pr.rngval.release();
  pr.beg.release(), pr.ind.release(), pr.val.release();
  release_names(pr.names);
  pr.count = 0;
  pr.ranged = false;
  c->coefs.row.release(), c->coefs.col.release(), c->coefs.val.release();
  c->empty = true;
}

void cache_free(ChangeCache *&cache) {
  if (!cache) return;
  cache_clear(cache);
  mem_free(cache);
}

ChangeCache *cache_get(tvllp *lp) {
  if (lp->cache) return lp->cache;
  auto *c = static_cast<ChangeCache *>(mem_alloc(sizeof(ChangeCache)));
  if (c) *c = ChangeCache{};
  lp->cache = c;
  return c;
}

bool pending_name_push(PendingNames &names, int32_t k, const char *name) {
  if (!name) return names.given == 0 || names.off.push(-1);
  if (names.given == 0 && !names.off.resize(k, -1)) return false;
  if (!names.off.push(names.pool.size)) return false;
  ++names.given;
  return names.pool.append(name, static_cast<int64_t>(std::strlen(name)) + 1);
}

// Copies the nonzero entries of one vector into pending storage.
static bool push_entries(PodVec<int32_t> &beg, PodVec<int32_t> &ind, PodVec<double> &val, const int *bi,
                         const double *bv, int64_t cnt) {
  if (!beg.push(static_cast<int32_t>(ind.size))) return false;
  if (!ind.reserve(ind.size + cnt) || !val.reserve(val.size + cnt)) return false;
  for (int64_t t = 0; t < cnt; ++t) {
    if (bv[t] == 0.0) continue;
    ind.data[ind.size++] = bi[t];
    val.data[val.size++] = bv[t];
  }
  return true;
}

static int64_t vector_count(const int *beg, int64_t k, int64_t count, int64_t nzcnt) {
  if (!beg) return 0;
  return (k + 1 < count ? beg[k + 1] : nzcnt) - beg[k];
}

int cache_push_cols(tvllp *lp, const ColBlock &b) {
  ChangeCache *c = cache_get(lp);
  if (!c) return 1001;
  PendingCols &pc = c->cols;
  for (int32_t k = 0; k < b.count; ++k) {
    char type = b.ctype ? b.ctype[k] : 'C';
    double ub = b.ub ? b.ub[k] : type == 'B' ? 1.0 : kInfBound;
    if (b.ctype && pc.ctype.size < pc.count && !pc.ctype.resize(pc.count, 'C')) return 1001;
    bool ok = pc.obj.push(b.obj ? b.obj[k] : 0.0) && pc.lb.push(b.lb ? b.lb[k] : 0.0) && pc.ub.push(ub) &&
              (!(b.ctype || pc.ctype.size) || pc.ctype.push(type));
    int64_t cnt = vector_count(b.beg, k, b.count, b.nzcnt);
    ok = ok && push_entries(pc.beg, pc.ind, pc.val, b.ind + (b.beg ? b.beg[k] : 0),
                            b.val + (b.beg ? b.beg[k] : 0), cnt);
    ok = ok && pending_name_push(pc.names, pc.count, b.names.get(k));
    if (!ok) return 1001;
    ++pc.count;
  }
  c->empty = false;
  return 0;
}

int cache_push_rows(tvllp *lp, const RowBlock &b) {
  ChangeCache *c = cache_get(lp);
  if (!c) return 1001;
  PendingRows &pr = c->rows;
  for (int32_t k = 0; k < b.count; ++k) {
    char sense = b.sense ? b.sense[k] : 'E';
    if (!pr.ranged && (b.rngval || sense == 'R')) {  // range values from here on
      if (!pr.rngval.resize(pr.count, 0.0)) return 1001;
      pr.ranged = true;
    }
    bool ok = pr.rhs.push(b.rhs ? b.rhs[k] : 0.0) && pr.sense.push(sense) &&
              (!pr.ranged || pr.rngval.push(b.rngval ? b.rngval[k] : 0.0));
    int64_t cnt = vector_count(b.beg, k, b.count, b.nzcnt);
    ok = ok && push_entries(pr.beg, pr.ind, pr.val, b.ind + (b.beg ? b.beg[k] : 0),
                            b.val + (b.beg ? b.beg[k] : 0), cnt);
    ok = ok && pending_name_push(pr.names, pr.count, b.names.get(k));
    if (!ok) return 1001;
    ++pr.count;
  }
  c->empty = false;
  return 0;
}

int cache_push_coefs(tvllp *lp, const int *row, const int *col, const double *val, int64_t k) {
  ChangeCache *c = cache_get(lp);
  if (!c) return 1001;
  if (!c->coefs.row.append(row, k) || !c->coefs.col.append(col, k) || !c->coefs.val.append(val, k))
    return 1001;
  c->empty = false;
  return 0;
}

// ---- matrix storage edits ----

int64_t find_entry(const LpData *d, int32_t i, int32_t j) {
  const int32_t *ind = d->matind + d->matbeg[j];
  for (int32_t t = 0; t < d->matcnt[j]; ++t)
    if (ind[t] == i) return int64_t{d->matbeg[j]} + t;
  return -1;
}

bool ensure_column_room(const tvlenv *env, LpData *d, const int32_t *cols, const int32_t *extra, int64_t k) {
  int32_t n = d->ncols;
  if (k == 0 || n == 0) return true;
  Scratch<int64_t> shortfall(k);
  if (!shortfall.ok()) return false;
  int64_t total = 0;
  int32_t first = -1;
  for (int64_t p = 0; p < k; ++p) {
    int32_t j = cols[p];
    shortfall[p] = 0;
    if (j == n - 1) continue;
    int64_t have = int64_t{d->matbeg[j + 1]} - d->matbeg[j] - d->matcnt[j];
    if (extra[p] > have) {
      shortfall[p] = extra[p] - have;
      total += shortfall[p];
      if (first < 0) first = j;
    }
  }
  int64_t last_extra = cols[k - 1] == n - 1 ? extra[k - 1] : 0;
  if (!grow_nz(env, d, d->nzend() + total + last_extra)) return false;
  if (total == 0) return true;
  int64_t shift = total;
  int64_t p = k - 1;
  for (int32_t j = n - 1; j > first; --j) {
    while (p >= 0 && cols[p] >= j) shift -= shortfall[p--];
    if (shift == 0) continue;
    int32_t b = d->matbeg[j], c = d->matcnt[j];
    std::memmove(d->matind + b + shift, d->matind + b, sizeof(int32_t) * c);
    std::memmove(d->matval + b + shift, d->matval + b, sizeof(double) * c);
    d->matbeg[j] = static_cast<int32_t>(b + shift);
  }
  return true;
}

// Room for the given per-column additions (dense counts over all columns).
static bool ensure_room_dense(const tvlenv *env, LpData *d, const int32_t *add) {
  int64_t k = 0;
  for (int32_t j = 0; j < d->ncols; ++j) k += add[j] > 0;
  Scratch<int32_t> cols(k), extra(k);
  if (!cols.ok() || !extra.ok()) return false;
  int64_t p = 0;
  for (int32_t j = 0; j < d->ncols; ++j)
    if (add[j] > 0) cols[p] = j, extra[p++] = add[j];
  return ensure_column_room(env, d, cols.p, extra.p, k);
}

static void remove_at(LpData *d, int32_t j, int64_t pos) {
  int64_t last = int64_t{d->matbeg[j]} + d->matcnt[j] - 1;
  d->matind[pos] = d->matind[last];
  d->matval[pos] = d->matval[last];
  --d->matcnt[j];
}

int apply_coefs(const tvlenv *env, LpData *d, const int32_t *row, const int32_t *col, const double *val,
                int64_t k) {
  Scratch<int32_t> ins(k);
  if (!ins.ok()) return 1001;
  int64_t nins = 0;
  for (int64_t t = 0; t < k; ++t)
    if (val[t] != 0.0 && find_entry(d, row[t], col[t]) < 0) ins[nins++] = col[t];
  if (nins > 0) {
    std::sort(ins.p, ins.p + nins);
    Scratch<int32_t> cols(nins), extra(nins);
    if (!cols.ok() || !extra.ok()) return 1001;
    int64_t q = 0;
    for (int64_t t = 0; t < nins; ++t) {
      if (q > 0 && cols[q - 1] == ins[t]) {
        ++extra[q - 1];
      } else {
        cols[q] = ins[t];
        extra[q++] = 1;
      }
    }
    if (!ensure_column_room(env, d, cols.p, extra.p, q)) return 1001;
  }
  for (int64_t t = 0; t < k; ++t) {
    int32_t i = row[t], j = col[t];
    int64_t pos = find_entry(d, i, j);
    if (pos >= 0) {
      if (val[t] == 0.0) remove_at(d, j, pos);
      else d->matval[pos] = val[t];
    } else if (val[t] != 0.0) {
      int64_t at = int64_t{d->matbeg[j]} + d->matcnt[j]++;
      d->matind[at] = i;
      d->matval[at] = val[t];
    }
  }
  drop_rowwise(d);
  return 0;
}

// ---- appending blocks ----

// Adds the names of `count` new items after the first oldn; creates
// default names where needed.
static bool append_names(const tvlenv *env, NameTable &t, int32_t oldn, int32_t itemcap, int32_t count,
                         const NameSource &src, char letter, int64_t &counter, int reserve_param) {
  if (!t.present() && !src.any()) return true;
  if (!t.present() && !names_create_defaults(env, t, oldn, itemcap, letter, counter, reserve_param))
    return false;
  int64_t bytes = 0, missing = 0;
  for (int32_t k = 0; k < count; ++k) {
    const char *s = src.get(k);
    if (s) bytes += static_cast<int64_t>(std::strlen(s)) + 1;
    else ++missing;
  }
  if (!names_reserve_bytes(env, t, oldn, bytes, reserve_param)) return false;
  for (int32_t k = 0; k < count; ++k) {
    const char *s = src.get(k);
    if (s) names_put(t, oldn + k, s);
    else t.off[oldn + k] = -1;
  }
  return missing == 0 || names_fill_defaults(env, t, oldn + count, letter, counter, reserve_param);
}

static int64_t nonzeros(const double *val, int64_t n) {
  int64_t c = 0;
  for (int64_t t = 0; t < n; ++t) c += val[t] != 0.0;
  return c;
}

int append_cols(const tvlenv *env, tvllp *lp, const ColBlock &b) {
  LpData *d = lp->lp;
  int32_t n = d->ncols;
  int64_t nnz = b.val ? nonzeros(b.val, b.nzcnt) : 0;
  if (!grow_cols(env, lp, int64_t{n} + b.count) || !grow_nz(env, d, d->nzend() + nnz)) return 1001;
  if (b.ctype && !ensure_mip(lp)) return 1001;
  if (!parts_add_cols(lp->parts, n, n + b.count)) return 1001;
  if (!append_names(env, d->colnames, n, d->colcap, b.count, b.names, 'x', d->colname_counter,
                    kParamColReserve))
    return 1001;
  int64_t pos = d->nzend();
  for (int32_t k = 0; k < b.count; ++k) {
    int32_t j = n + k;
    char type = b.ctype ? b.ctype[k] : 'C';
    d->obj[j] = b.obj ? b.obj[k] : 0.0;
    d->lb[j] = b.lb ? b.lb[k] : 0.0;
    d->ub[j] = b.ub ? b.ub[k] : type == 'B' ? 1.0 : kInfBound;
    d->matbeg[j] = static_cast<int32_t>(pos);
    int64_t cnt = vector_count(b.beg, k, b.count, b.nzcnt);
    for (int64_t t = b.beg ? b.beg[k] : 0, e = t + cnt; t < e; ++t) {
      if (b.val[t] == 0.0) continue;
      d->matind[pos] = b.ind[t];
      d->matval[pos++] = b.val[t];
    }
    d->matcnt[j] = static_cast<int32_t>(pos - d->matbeg[j]);
    if (lp->mip) {
      lp->mip->ctype[j] = type;
      lp->mip->nnoncont += type != 'C';
    }
  }
  d->ncols = n + b.count;
  drop_rowwise(d);
  extend_derived_cols(lp, n, d->ncols);
  note_change(env, lp, ChangeKind::AddCols, kDropOnChange);
  if (b.ctype) {
    drop_mip_derived(env, lp, false);
    rederive_type(lp);
  }
  return 0;
}

// Merges row-wise entries of new rows (first new row index m) into the
// column-wise storage.
static int merge_row_entries(const tvlenv *env, LpData *d, int32_t m, const RowBlock &b) {
  if (!b.beg || b.nzcnt <= 0) return 0;
  Scratch<int32_t> add(d->ncols);
  if (!add.ok()) return 1001;
  std::fill(add.p, add.p + d->ncols, 0);
  for (int64_t t = 0; t < b.nzcnt; ++t) add[b.ind[t]] += b.val[t] != 0.0;
  if (!ensure_room_dense(env, d, add.p)) return 1001;
  for (int32_t k = 0; k < b.count; ++k) {
    int64_t cnt = vector_count(b.beg, k, b.count, b.nzcnt);
    for (int64_t t = b.beg[k], e = t + cnt; t < e; ++t) {
      if (b.val[t] == 0.0) continue;
      int32_t j = b.ind[t];
      int64_t at = int64_t{d->matbeg[j]} + d->matcnt[j]++;
      d->matind[at] = m + k;
      d->matval[at] = b.val[t];
    }
  }
  return 0;
}

int append_rows(const tvlenv *env, tvllp *lp, const RowBlock &b) {
  LpData *d = lp->lp;
  int32_t m = d->nrows;
  if (!grow_rows(env, lp, int64_t{m} + b.count)) return 1001;
  bool ranged = b.rngval != nullptr;
  for (int32_t k = 0; b.sense && !ranged && k < b.count; ++k) ranged = b.sense[k] == 'R';
  if (ranged && !ensure_rngval(d)) return 1001;
  if (!append_names(env, d->rownames, m, d->rowcap, b.count, b.names, 'c', d->rowname_counter,
                    kParamRowReserve))
    return 1001;
  if (merge_row_entries(env, d, m, b)) return 1001;
  for (int32_t k = 0; k < b.count; ++k) {
    d->rhs[m + k] = b.rhs ? b.rhs[k] : 0.0;
    d->sense[m + k] = b.sense ? b.sense[k] : 'E';
    if (d->rngval) d->rngval[m + k] = b.rngval ? b.rngval[k] : 0.0;
  }
  d->nrows = m + b.count;
  drop_rowwise(d);
  extend_derived_rows(lp, m, d->nrows);
  note_change(env, lp, ChangeKind::AddRows, kDropOnChange);
  return 0;
}

// ---- applying the cache ----

static int apply_pending(const tvlenv *env, tvllp *lp, ChangeCache *c) {
  PendingCols &pc = c->cols;
  int32_t n0 = lp->lp->ncols;
  if (pc.count > 0) {
    ColBlock b;
    b.count = pc.count;
    b.obj = pc.obj.data, b.lb = pc.lb.data, b.ub = pc.ub.data;
    b.beg = pc.beg.data, b.ind = pc.ind.data, b.val = pc.val.data, b.nzcnt = pc.ind.size;
    b.names.pend = &pc.names;
    int st = append_cols(env, lp, b);
    if (st) return st;
  }
  PendingRows &pr = c->rows;
  if (pr.count > 0) {
    RowBlock b;
    b.count = pr.count;
    b.rhs = pr.rhs.data, b.sense = pr.sense.data, b.rngval = pr.ranged ? pr.rngval.data : nullptr;
    b.beg = pr.beg.data, b.ind = pr.ind.data, b.val = pr.val.data, b.nzcnt = pr.ind.size;
    b.names.pend = &pr.names;
    int st = append_rows(env, lp, b);
    if (st) return st;
  }
  if (c->coefs.row.size > 0) {
    int st = apply_coefs(env, lp->lp, c->coefs.row.data, c->coefs.col.data, c->coefs.val.data,
                         c->coefs.row.size);
    if (st) return st;
    note_change(env, lp, ChangeKind::Other, kDropOnChange);
  }
  if (pc.ctype.size > 0) {
    if (!pc.ctype.resize(pc.count, 'C') || !ensure_mip(lp)) return 1001;
    MipData *m = lp->mip;
    for (int32_t k = 0; k < pc.count; ++k) {
      m->nnoncont += (pc.ctype[k] != 'C') - (m->ctype[n0 + k] != 'C');
      m->ctype[n0 + k] = pc.ctype[k];
    }
    drop_mip_derived(env, lp, false);
    note_change(env, lp, ChangeKind::Other, kDropOnChange);
    rederive_type(lp);
  }
  return 0;
}

int cache_apply(const tvlenv *env, tvllp *lp) {
  ChangeCache *c = lp->cache;
  if (!c || c->empty) return 0;
  int st = apply_pending(env, lp, c);
  cache_clear(c);
  return st;
}

}  // namespace tvl
