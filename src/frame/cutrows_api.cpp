// Public functions of user cuts and lazy constraints: adding rows, freeing
// a pool, counting and querying rows.  The pools are model data carried by
// the model files; the MIP optimizer reads them from the problem.
#include <algorithm>
#include <cstring>

#include "frame/cutrows.h"
#include "frame/error.h"
#include "frame/matrixcheck.h"
#include "frame/parts_api.h"

namespace tvl {
namespace {

using namespace parts_api;

int add_cuts(const tvlenv *env, tvllp *lp, CutPool which, int rcnt, int nzcnt, const double *rhs,
             const char *sense, const int *rmatbeg, const int *rmatind, const double *rmatval, char **names) {
  int st = enter_change(env, lp);
  if (st) return st;
  if (rcnt < 0 || nzcnt < 0) return 1003;
  if (rcnt == 0) return 0;
  if (nzcnt > 0 && (!rmatbeg || !rmatind || !rmatval)) return 1004;
  // The terms must address existing columns whatever data checking says:
  // the writers and the optimizer index by them.
  bool content = datacheck_on(env);
  if (nzcnt > 0 &&
      (st = check_matrix_starts(env, 'c', lp->lp->ncols, rcnt, nzcnt, rmatbeg, rmatind, rmatval, content)) != 0)
    return st;
  if (sense)
    for (int r = 0; r < rcnt; ++r)
      if (sense[r] != 'L' && sense[r] != 'E' && sense[r] != 'G') return report(env, 1215, r);
  if (content) {
    if (rhs && (st = check_numbers(env, rhs, rcnt)) != 0) return st;
    if (names && (st = check_names(env, names, rcnt)) != 0) return st;
  }
  FoldedValues folded(rmatval);
  if (nzcnt > 0 && !content &&
      fold_duplicates(lp->lp->ncols, rcnt, rmatbeg, nullptr, nzcnt, rmatind, rmatval, folded))
    return 1001;
  if (!ensure_parts(lp)) return 1001;
  if (!cutrows_append(*cut_pool(lp, which), rcnt, nzcnt, rhs, sense, rmatbeg, rmatind, folded.val, names))
    return 1001;
  discard_derived(lp, kDropMipState);
  return 0;
}

int free_cuts(const tvlenv *env, tvllp *lp, CutPool which) {
  int st = enter_change(env, lp);
  if (st) return st;
  CutRows *c = cut_pool(lp, which);
  if (!c || c->count() == 0) return 0;
  cutrows_free(*c);
  discard_derived(lp, kDropMipState);
  return 0;
}

int count_cuts(const tvlenv *env, tvllp *lp, CutPool which) {
  int st = enter_query(env, lp);
  if (st) return boundary(env, st), 0;
  CutRows *c = cut_pool(lp, which);
  return c ? static_cast<int>(c->count()) : 0;
}

// Rows begin..end under the surplus convention of the row queries.
int get_cuts(const tvlenv *env, tvllp *lp, CutPool which, const char *fname, int *nzcnt_p, double *rhs, char *sense,
             int *rmatbeg, int *rmatind, double *rmatval, int space, int *surplus_p, int begin, int end) {
  int st = enter_query(env, lp);
  if (st) return st;
  if (nzcnt_p) *nzcnt_p = 0;
  if (surplus_p) *surplus_p = 0;
  if (space < 0) return 1003;
  const CutRows *c = cut_pool(lp, which);
  int64_t count = c ? c->count() : 0;
  if ((st = check_range(env, fname, begin, end, count)) != 0) return st;
  if (begin > end) return 0;
  for (int r = begin; r <= end; ++r) {
    if (rhs) rhs[r - begin] = c->rhs[r];
    if (sense) sense[r - begin] = c->sense[r];
  }
  int64_t base = c->beg[begin], total = c->beg[end + 1] - base;
  if (space == 0 && surplus_p) {
    if (rmatbeg) std::fill(rmatbeg, rmatbeg + (end - begin + 1), 0);
    *surplus_p = static_cast<int>(-total);
    return total > 0 ? -1207 : 0;
  }
  if (!nzcnt_p || !rmatbeg || !rmatind || !rmatval || !surplus_p) return 1004;
  for (int r = begin; r <= end; ++r) rmatbeg[r - begin] = static_cast<int>(c->beg[r] - base);
  int64_t n = std::min<int64_t>(total, space);
  if (n > 0) {
    std::memcpy(rmatind, c->ind.data + base, sizeof(int) * static_cast<size_t>(n));
    std::memcpy(rmatval, c->val.data + base, sizeof(double) * static_cast<size_t>(n));
  }
  *surplus_p = static_cast<int>(space - total);
  *nzcnt_p = static_cast<int>(n);
  return space < total ? 1207 : 0;
}

}  // namespace
}  // namespace tvl

using namespace tvl;

extern "C" {

int TVLaddusercuts(TVLENVptr env, TVLLPptr lp, int rcnt, int nzcnt, const double *rhs, const char *sense,
                   const int *rmatbeg, const int *rmatind, const double *rmatval, char **rowname) {
  return boundary(env, add_cuts(env, lp, CutPool::User, rcnt, nzcnt, rhs, sense, rmatbeg, rmatind, rmatval, rowname));
}

int TVLaddlazyconstraints(TVLENVptr env, TVLLPptr lp, int rcnt, int nzcnt, const double *rhs, const char *sense,
                          const int *rmatbeg, const int *rmatind, const double *rmatval, char **rowname) {
  return boundary(env, add_cuts(env, lp, CutPool::Lazy, rcnt, nzcnt, rhs, sense, rmatbeg, rmatind, rmatval, rowname));
}

int TVLfreeusercuts(TVLENVptr env, TVLLPptr lp) { return boundary(env, free_cuts(env, lp, CutPool::User)); }

int TVLfreelazyconstraints(TVLENVptr env, TVLLPptr lp) { return boundary(env, free_cuts(env, lp, CutPool::Lazy)); }

int TVLgetnumusercuts(TVLCENVptr env, TVLCLPptr lp) { return count_cuts(env, parts_api::mut(lp), CutPool::User); }

int TVLgetnumlazyconstraints(TVLCENVptr env, TVLCLPptr lp) {
  return count_cuts(env, parts_api::mut(lp), CutPool::Lazy);
}

int TVLgetusercuts(TVLCENVptr env, TVLCLPptr lp, int *nzcnt_p, double *rhs, char *sense, int *rmatbeg, int *rmatind,
                   double *rmatval, int space, int *surplus_p, int begin, int end) {
  return boundary(env, get_cuts(env, parts_api::mut(lp), CutPool::User, "TVLgetusercuts", nzcnt_p, rhs, sense,
                                rmatbeg, rmatind, rmatval, space, surplus_p, begin, end));
}

int TVLgetlazyconstraints(TVLCENVptr env, TVLCLPptr lp, int *nzcnt_p, double *rhs, char *sense, int *rmatbeg,
                          int *rmatind, double *rmatval, int space, int *surplus_p, int begin, int end) {
  return boundary(env, get_cuts(env, parts_api::mut(lp), CutPool::Lazy, "TVLgetlazyconstraints", nzcnt_p, rhs,
                                sense, rmatbeg, rmatind, rmatval, space, surplus_p, begin, end));
}

}  // extern "C"
