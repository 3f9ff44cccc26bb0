// Quadratic objective: loading (full or diagonal) and queries.  The
// objective is c'x + 1/2 x'Qx with Q stored column-wise, both triangles.
#include <cstdio>

#include "frame/matrixcheck.h"
#include "frame/parts_api.h"

namespace tvl {
namespace {

using namespace parts_api;

const char *col_name(const LpData *d, int32_t j, char *buf) {
  if (d->colnames.present()) return d->colnames.get(j);
  std::snprintf(buf, 32, "x%d", j + 1);
  return buf;
}

// Data checks of a full Q: values, repeated pairs, symmetry.
int check_quad_content(const tvlenv *env, const LpData *d, const int *beg, const int *cnt, const int *ind,
                       const double *val) {
  int32_t n = d->ncols;
  for (int32_t j = 0; j < n; ++j)
    for (int p = beg[j]; p < beg[j] + cnt[j]; ++p)
      if (int st = check_value(env, val[p], p)) return st;
  char b1[32], b2[32];
  IntBuf mark(n, -1);
  if (!mark.ok()) return 1001;
  for (int32_t j = 0; j < n; ++j)
    for (int p = beg[j]; p < beg[j] + cnt[j]; ++p) {
      if (mark[ind[p]] == j) return report(env, 5011, "Q", col_name(d, ind[p], b1), col_name(d, j, b2));
      mark[ind[p]] = j;
    }
  // Symmetry: the value at (i, j) must equal the value at (j, i).
  for (int32_t j = 0; j < n; ++j)
    for (int p = beg[j]; p < beg[j] + cnt[j]; ++p) {
      int32_t i = ind[p];
      double other = 0.0;
      for (int q = beg[i]; q < beg[i] + cnt[i]; ++q)
        if (ind[q] == j) other = val[q];
      if (other != val[p]) return report(env, 5012, "objective");
    }
  return 0;
}

// Installs a new Q given column-wise (zeros dropped).
int install_quad(const tvlenv *env, tvllp *lp, const int *beg, const int *cnt, const int *ind, const double *val) {
  int32_t n = lp->lp->ncols;
  QuadObj fresh;
  bool ok = fresh.qbeg.reserve(int64_t{n} + 1);
  if (ok) fresh.qbeg.push(0);
  for (int32_t j = 0; ok && j < n; ++j) {
    for (int p = beg[j]; ok && p < beg[j] + cnt[j]; ++p)
      if (val[p] != 0.0) ok = fresh.qind.push(ind[p]) && fresh.qval.push(val[p]);
    if (ok) fresh.qbeg.push(static_cast<int32_t>(fresh.qind.size));
  }
  if (!ok || !ensure_qobj(lp)) {
    fresh.qbeg.release(), fresh.qind.release(), fresh.qval.release();
    return 1001;
  }
  QuadObj *q = lp->parts->qobj;
  q->qbeg.release(), q->qind.release(), q->qval.release();
  *q = fresh;
  rederive_type(lp);
  note_change(env, lp, ChangeKind::Objective, kDropOnChange);
  return 0;
}

int copy_quad(const tvlenv *env, tvllp *lp, const int *beg, const int *cnt, const int *ind, const double *val) {
  int st = enter_change(env, lp);
  if (st) return st;
  if (!beg || !cnt || !ind || !val) return 1004;
  int32_t n = lp->lp->ncols;
  for (int32_t j = 0; j < n; ++j) {
    if (cnt[j] < 0 || cnt[j] > n) return report(env, 1227, j);
    if (beg[j] < 0) return 1200;
    for (int p = beg[j]; p < beg[j] + cnt[j]; ++p)
      if (ind[p] < 0 || ind[p] >= n) return report(env, 1201, p);
  }
  if (datacheck_on(env)) {
    if ((st = check_quad_content(env, lp->lp, beg, cnt, ind, val)) != 0) return st;
    return install_quad(env, lp, beg, cnt, ind, val);
  }
  FoldedValues folded(val);
  if (fold_duplicates(n, n, beg, cnt, 0, ind, val, folded)) return 1001;
  return install_quad(env, lp, beg, cnt, ind, folded.val);
}

int copy_qpsep(const tvlenv *env, tvllp *lp, const double *diag) {
  int st = enter_change(env, lp);
  if (st) return st;
  if (!diag) return 1004;
  int32_t n = lp->lp->ncols;
  if (datacheck_on(env))
    for (int32_t j = 0; j < n; ++j)
      if ((st = check_value(env, diag[j], j)) != 0) return st;
  IntBuf beg(n, 0), cnt(n, 1), ind(n, 0);
  if (!beg.ok() || !cnt.ok() || !ind.ok()) return 1001;
  for (int32_t j = 0; j < n; ++j) beg[j] = ind[j] = j;
  return install_quad(env, lp, beg.data(), cnt.data(), ind.data(), diag);
}

int get_quad(const tvlenv *env, tvllp *lp, int *nz_p, int *qbeg, int *qind, double *qval, int space,
             int *surplus_p, int begin, int end) {
  int st = enter_query(env, lp);
  if (st) return st;
  if (nz_p) *nz_p = 0;
  if (surplus_p) *surplus_p = 0;
  if (space < 0) return 1003;
  const QuadObj *q = lp->parts ? lp->parts->qobj : nullptr;
  if (!q) return 5004;
  if ((st = check_range(env, "TVLgetquad", begin, end, lp->lp->ncols)) != 0) return st;
  if (begin > end) return 0;
  int64_t base = q->qbeg[begin], total = q->qbeg[end + 1] - base;
  if (space == 0 && surplus_p) {
    if (qbeg)
      for (int k = begin; k <= end; ++k) qbeg[k - begin] = 0;
    *surplus_p = static_cast<int>(-total);
    return total > 0 ? -1207 : 0;
  }
  if (!nz_p || !qbeg || !qind || !qval || !surplus_p) return 1004;
  for (int k = begin; k <= end; ++k) qbeg[k - begin] = static_cast<int>(q->qbeg[k] - base);
  int64_t n = std::min<int64_t>(total, space);
  if (n > 0) {
    std::memcpy(qind, q->qind.data + base, sizeof(int) * static_cast<size_t>(n));
    std::memcpy(qval, q->qval.data + base, sizeof(double) * static_cast<size_t>(n));
  }
  *surplus_p = static_cast<int>(space - total);
  *nz_p = static_cast<int>(n);
  return space < total ? 1207 : 0;
}

}  // namespace
}  // namespace tvl

using namespace tvl;

extern "C" {

int TVLcopyquad(TVLENVptr env, TVLLPptr lp, const int *qmatbeg, const int *qmatcnt, const int *qmatind,
                const double *qmatval) {
  return boundary(env, copy_quad(env, lp, qmatbeg, qmatcnt, qmatind, qmatval));
}

int TVLcopyqpsep(TVLENVptr env, TVLLPptr lp, const double *qsepvec) {
  return boundary(env, copy_qpsep(env, lp, qsepvec));
}

int TVLgetquad(TVLCENVptr env, TVLCLPptr lp, int *nzcnt_p, int *qmatbeg, int *qmatind, double *qmatval,
               int qmatspace, int *surplus_p, int begin, int end) {
  return boundary(env, get_quad(env, parts_api::mut(lp), nzcnt_p, qmatbeg, qmatind, qmatval, qmatspace,
                                surplus_p, begin, end));
}

int TVLgetnumquad(TVLCENVptr env, TVLCLPptr lp) {
  int st = parts_api::enter_query(env, parts_api::mut(lp));
  if (st) return boundary(env, st), 0;
  const QuadObj *q = lp->parts ? lp->parts->qobj : nullptr;
  if (!q) return 0;
  int cols = 0;
  for (int32_t j = 0; j < lp->lp->ncols; ++j) cols += q->qbeg[j + 1] > q->qbeg[j];
  return cols;
}

int TVLgetnumqpnz(TVLCENVptr env, TVLCLPptr lp) {
  int st = parts_api::enter_query(env, parts_api::mut(lp));
  if (st) return boundary(env, st), 0;
  const QuadObj *q = lp->parts ? lp->parts->qobj : nullptr;
  return q ? static_cast<int>(q->qind.size) : 0;
}

}  // extern "C"
