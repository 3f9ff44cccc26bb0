// Queries of a problem's data: counts, per-row and per-column values,
// matrix columns and rows, coefficients, names and name lookups.
#include <algorithm>
#include <cstring>

#include "frame/changecache.h"
#include "frame/error.h"
#include "frame/parts_api.h"
#include "frame/problem.h"

namespace tvl {

// ---- row-wise copy ----

void drop_rowwise(LpData *d) {
  if (!d->rowwise) return;
  mem_free(d->rowwise->beg);
  mem_free(d->rowwise->ind);
  mem_free(d->rowwise->val);
  mem_free(d->rowwise);
}

const RowCopy *matrix_rowwise(LpData *d) {
  if (d->rowwise) return d->rowwise;
  auto *r = static_cast<RowCopy *>(mem_alloc(sizeof(RowCopy)));
  if (!r) return nullptr;
  int64_t nz = 0;
  for (int32_t j = 0; j < d->ncols; ++j) nz += d->matcnt[j];
  r->beg = mem_array<int32_t>(static_cast<size_t>(d->nrows) + 1);
  r->ind = mem_array<int32_t>(static_cast<size_t>(std::max<int64_t>(nz, 1)));
  r->val = mem_array<double>(static_cast<size_t>(std::max<int64_t>(nz, 1)));
  d->rowwise = r;
  if (!r->beg || !r->ind || !r->val) {
    drop_rowwise(d);
    return nullptr;
  }
  std::fill(r->beg, r->beg + d->nrows + 1, 0);
  for (int32_t j = 0; j < d->ncols; ++j)
    for (int32_t t = d->matbeg[j]; t < d->matbeg[j] + d->matcnt[j]; ++t) ++r->beg[d->matind[t] + 1];
  for (int32_t i = 0; i < d->nrows; ++i) r->beg[i + 1] += r->beg[i];
  // Fill using beg as running positions, then shift back.
  for (int32_t j = 0; j < d->ncols; ++j) {
    for (int32_t t = d->matbeg[j]; t < d->matbeg[j] + d->matcnt[j]; ++t) {
      int32_t at = r->beg[d->matind[t]]++;
      r->ind[at] = j;
      r->val[at] = d->matval[t];
    }
  }
  for (int32_t i = d->nrows; i > 0; --i) r->beg[i] = r->beg[i - 1];
  r->beg[0] = 0;
  return r;
}

namespace {

tvllp *mut(TVLCLPptr lp) { return const_cast<tvllp *>(lp); }

// Validation and completion of pending changes shared by the queries.
int enter(const tvlenv *env, tvllp *lp) {
  int st = check_problem(env, lp);
  return st ? st : complete(env, lp);
}

// The begin/end range check of the queries over rows or columns.
int check_range(const tvlenv *env, const char *fname, int begin, int end, int32_t count) {
  if (begin < 0) {
    report(env, 1205, fname, begin, 0);
    return 1200;
  }
  if (end > count - 1) {
    report(env, 1206, fname, end, count - 1);
    return 1200;
  }
  return 0;
}

template <class T>
int get_values(const tvlenv *env, TVLCLPptr clp, const char *fname, T *out, int begin, int end, bool rows,
               const T *(*pick)(const LpData *)) {
  tvllp *lp = mut(clp);
  int st = enter(env, lp);
  if (!st) st = check_range(env, fname, begin, end, rows ? lp->lp->nrows : lp->lp->ncols);
  if (st || !out || begin > end) return st;
  const T *src = pick(lp->lp);
  for (int k = begin; k <= end; ++k) out[k - begin] = src ? src[k] : T{};
  return 0;
}

// A vector source for the surplus convention: count of vector k and copy
// of its entries.
struct VectorSource {
  virtual int64_t count(int32_t k) const = 0;
  virtual void copy(int32_t k, int64_t from, int64_t n, int *ind, double *val) const = 0;
  virtual ~VectorSource() = default;
};

struct ColumnSource : VectorSource {
  const LpData *d;
  explicit ColumnSource(const LpData *dd) : d(dd) {}
  int64_t count(int32_t j) const override { return d->matcnt[j]; }
  void copy(int32_t j, int64_t from, int64_t n, int *ind, double *val) const override {
    std::memcpy(ind, d->matind + d->matbeg[j] + from, sizeof(int) * n);
    std::memcpy(val, d->matval + d->matbeg[j] + from, sizeof(double) * n);
  }
};

struct RowSource : VectorSource {
  const RowCopy *r;
  explicit RowSource(const RowCopy *rr) : r(rr) {}
  int64_t count(int32_t i) const override { return r->beg[i + 1] - r->beg[i]; }
  void copy(int32_t i, int64_t from, int64_t n, int *ind, double *val) const override {
    std::memcpy(ind, r->ind + r->beg[i] + from, sizeof(int) * n);
    std::memcpy(val, r->val + r->beg[i] + from, sizeof(double) * n);
  }
};

// Surplus convention over vectors begin..end.
int surplus_vectors(const VectorSource &src, int *nzcnt_p, int *beg, int *ind, double *val, int space,
                    int *surplus_p, int begin, int end) {
  int64_t total = 0;
  for (int32_t k = begin; k <= end; ++k) total += src.count(k);
  if (space == 0 && surplus_p) {
    if (beg)
      for (int32_t k = begin; k <= end; ++k) beg[k - begin] = 0;
    *surplus_p = static_cast<int>(-total);
    return total > 0 ? -1207 : 0;
  }
  if (!nzcnt_p || !beg || !ind || !val || !surplus_p) return 1004;
  int64_t run = 0;
  for (int32_t k = begin; k <= end; ++k) {
    beg[k - begin] = static_cast<int>(run);
    int64_t c = src.count(k);
    int64_t n = std::min<int64_t>(c, std::max<int64_t>(space - run, 0));
    if (n > 0) src.copy(k, 0, n, ind + run, val + run);
    run += c;
  }
  *surplus_p = static_cast<int>(space - total);
  *nzcnt_p = static_cast<int>(space < total ? space : total);
  return space < total ? 1207 : 0;
}

int get_vectors(const tvlenv *env, TVLCLPptr clp, const char *fname, bool rows, int *nzcnt_p, int *beg,
                int *ind, double *val, int space, int *surplus_p, int begin, int end) {
  tvllp *lp = mut(clp);
  int st = enter(env, lp);
  if (st) return st;
  if (nzcnt_p) *nzcnt_p = 0;
  if (surplus_p) *surplus_p = 0;
  if (space < 0) return 1003;
  if ((st = check_range(env, fname, begin, end, rows ? lp->lp->nrows : lp->lp->ncols)) != 0) return st;
  if (rows) {
    const RowCopy *r = matrix_rowwise(lp->lp);
    if (!r) return 1001;
    return surplus_vectors(RowSource(r), nzcnt_p, beg, ind, val, space, surplus_p, begin, end);
  }
  return surplus_vectors(ColumnSource(lp->lp), nzcnt_p, beg, ind, val, space, surplus_p, begin, end);
}

int get_names(const tvlenv *env, TVLCLPptr clp, const char *fname, bool rows, char **name, char *store,
              int space, int *surplus_p, int begin, int end) {
  tvllp *lp = mut(clp);
  int st = enter(env, lp);
  if (st) return st;
  if (surplus_p) *surplus_p = 0;
  if (space < 0) return 1003;
  const LpData *d = lp->lp;
  if ((st = check_range(env, fname, begin, end, rows ? d->nrows : d->ncols)) != 0) return st;
  const NameTable &t = rows ? d->rownames : d->colnames;
  if (!t.present()) return 1219;
  int64_t total = 0;
  for (int32_t k = begin; k <= end; ++k) total += static_cast<int64_t>(std::strlen(t.get(k))) + 1;
  if (space == 0 && surplus_p) {
    *surplus_p = static_cast<int>(-total);
    return total > 0 ? -1207 : 0;
  }
  if (!name || !store || !surplus_p) return 1004;
  int64_t run = 0;
  for (int32_t k = begin; k <= end; ++k) {
    const char *s = t.get(k);
    int64_t len = static_cast<int64_t>(std::strlen(s)) + 1;
    if (run < space) {
      name[k - begin] = store + run;
      std::memcpy(store + run, s, static_cast<size_t>(std::min<int64_t>(len, space - run)));
    }
    run += len;
  }
  *surplus_p = static_cast<int>(space - total);
  return space < total ? 1207 : 0;
}

int get_single_name(const tvlenv *env, TVLCLPptr clp, bool objective, char *buf, int space, int *surplus_p) {
  tvllp *lp = mut(clp);
  int st = enter(env, lp);
  if (st) return st;
  const char *s = objective ? lp->lp->objname : lp->name;
  return parts_api::single_name(s ? s : "", buf, space, surplus_p);
}

int get_index(const tvlenv *env, TVLCLPptr clp, bool rows, const char *name, int *index_p) {
  tvllp *lp = mut(clp);
  int st = enter(env, lp);
  if (st) return st;
  if (!name || !index_p) return 1004;
  const LpData *d = lp->lp;
  const NameTable &t = rows ? d->rownames : d->colnames;
  if (!t.present()) return 1219;
  int32_t n = rows ? d->nrows : d->ncols;
  for (int32_t k = 0; k < n; ++k) {
    if (std::strcmp(t.get(k), name) == 0) {
      *index_p = k;
      return 0;
    }
  }
  return -1210;
}

int get_coef(const tvlenv *env, TVLCLPptr clp, int i, int j, double *coef_p) {
  tvllp *lp = mut(clp);
  int st = check_problem(env, lp);
  if (st) return st;
  if (!coef_p) return 1004;
  if ((st = complete(env, lp)) != 0) return st;
  const LpData *d = lp->lp;
  if (i < -1 || i >= d->nrows || j < -2 || j >= d->ncols) return 1200;
  if (i == -1 && j < 0) return 1211;
  if (i == -1) {
    *coef_p = d->obj[j];
  } else if (j == -1) {
    *coef_p = d->rhs[i];
  } else if (j == -2) {
    *coef_p = d->rngval ? d->rngval[i] : 0.0;
  } else {
    int64_t pos = find_entry(d, i, j);
    *coef_p = pos >= 0 ? d->matval[pos] : 0.0;
  }
  return 0;
}

const double *pick_obj(const LpData *d) { return d->obj; }
const double *pick_lb(const LpData *d) { return d->lb; }
const double *pick_ub(const LpData *d) { return d->ub; }
const double *pick_rhs(const LpData *d) { return d->rhs; }
const double *pick_rngval(const LpData *d) { return d->rngval; }
const char *pick_sense(const LpData *d) { return d->sense; }

}  // namespace
}  // namespace tvl

using namespace tvl;

extern "C" {

int TVLgetnumrows(TVLCENVptr env, TVLCLPptr lp) {
  int st = check_problem(env, lp);
  return st ? (boundary(env, st), 0) : total_rows(lp);
}

int TVLgetnumcols(TVLCENVptr env, TVLCLPptr lp) {
  int st = check_problem(env, lp);
  return st ? (boundary(env, st), 0) : total_cols(lp);
}

int TVLgetnumnz(TVLCENVptr env, TVLCLPptr lp) {
  int st = enter(env, mut(lp));
  if (st) return boundary(env, st), 0;
  return static_cast<int>(lp->lp->nonzeros());
}

int TVLgetobjsen(TVLCENVptr env, TVLCLPptr lp) {
  int st = check_problem(env, lp);
  return st ? (boundary(env, st), 0) : lp->lp->objsense;
}

int TVLgetobj(TVLCENVptr env, TVLCLPptr lp, double *obj, int begin, int end) {
  return boundary(env, get_values<double>(env, lp, "TVLgetobj", obj, begin, end, false, pick_obj));
}

int TVLgetlb(TVLCENVptr env, TVLCLPptr lp, double *lb, int begin, int end) {
  return boundary(env, get_values<double>(env, lp, "TVLgetlb", lb, begin, end, false, pick_lb));
}

int TVLgetub(TVLCENVptr env, TVLCLPptr lp, double *ub, int begin, int end) {
  return boundary(env, get_values<double>(env, lp, "TVLgetub", ub, begin, end, false, pick_ub));
}

int TVLgetrhs(TVLCENVptr env, TVLCLPptr lp, double *rhs, int begin, int end) {
  return boundary(env, get_values<double>(env, lp, "TVLgetrhs", rhs, begin, end, true, pick_rhs));
}

int TVLgetrngval(TVLCENVptr env, TVLCLPptr lp, double *rngval, int begin, int end) {
  return boundary(env, get_values<double>(env, lp, "TVLgetrngval", rngval, begin, end, true, pick_rngval));
}

int TVLgetsense(TVLCENVptr env, TVLCLPptr lp, char *sense, int begin, int end) {
  return boundary(env, get_values<char>(env, lp, "TVLgetsense", sense, begin, end, true, pick_sense));
}

int TVLgetctype(TVLCENVptr env, TVLCLPptr clp, char *xctype, int begin, int end) {
  tvllp *lp = mut(clp);
  int st = enter(env, lp);
  if (!st && !lp->mip) st = 3003;
  if (!st) st = check_range(env, "TVLgetctype", begin, end, lp->lp->ncols);
  if (!st && xctype)
    for (int k = begin; k <= end; ++k) xctype[k - begin] = lp->mip->ctype[k];
  return boundary(env, st);
}

int TVLgetcols(TVLCENVptr env, TVLCLPptr lp, int *nzcnt_p, int *cmatbeg, int *cmatind, double *cmatval,
               int cmatspace, int *surplus_p, int begin, int end) {
  return boundary(env, get_vectors(env, lp, "TVLgetcols", false, nzcnt_p, cmatbeg, cmatind, cmatval, cmatspace,
                                   surplus_p, begin, end));
}

int TVLgetrows(TVLCENVptr env, TVLCLPptr lp, int *nzcnt_p, int *rmatbeg, int *rmatind, double *rmatval,
               int rmatspace, int *surplus_p, int begin, int end) {
  return boundary(env, get_vectors(env, lp, "TVLgetrows", true, nzcnt_p, rmatbeg, rmatind, rmatval, rmatspace,
                                   surplus_p, begin, end));
}

int TVLgetcoef(TVLCENVptr env, TVLCLPptr lp, int i, int j, double *coef_p) {
  return boundary(env, get_coef(env, lp, i, j, coef_p));
}

int TVLgetrowname(TVLCENVptr env, TVLCLPptr lp, char **name, char *namestore, int storespace, int *surplus_p,
                  int begin, int end) {
  return boundary(env, get_names(env, lp, "TVLgetrowname", true, name, namestore, storespace, surplus_p, begin,
                                 end));
}

int TVLgetcolname(TVLCENVptr env, TVLCLPptr lp, char **name, char *namestore, int storespace, int *surplus_p,
                  int begin, int end) {
  return boundary(env, get_names(env, lp, "TVLgetcolname", false, name, namestore, storespace, surplus_p, begin,
                                 end));
}

int TVLgetrowindex(TVLCENVptr env, TVLCLPptr lp, const char *lname_str, int *index_p) {
  return boundary(env, get_index(env, lp, true, lname_str, index_p));
}

int TVLgetcolindex(TVLCENVptr env, TVLCLPptr lp, const char *lname_str, int *index_p) {
  return boundary(env, get_index(env, lp, false, lname_str, index_p));
}

int TVLgetprobname(TVLCENVptr env, TVLCLPptr lp, char *buf_str, int bufspace, int *surplus_p) {
  return boundary(env, get_single_name(env, lp, false, buf_str, bufspace, surplus_p));
}

int TVLgetobjname(TVLCENVptr env, TVLCLPptr lp, char *buf_str, int bufspace, int *surplus_p) {
  return boundary(env, get_single_name(env, lp, true, buf_str, bufspace, surplus_p));
}

}  // extern "C"
