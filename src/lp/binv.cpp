// Basis solves for callers: TVLftran, TVLbtran, TVLgetbhead, TVLbinvrow,
// TVLbinvcol, TVLbinvarow, TVLbinvacol.  They answer from the factor of
// the final basis of the last optimizer run (binv_store.h), in the
// problem's unscaled terms.  Checks, in order: environment and problem
// (1002, 1806, 1804, 1009; pending changes are applied, which drops the
// factor), required arrays (1004), index arguments (1200), then the factor
// (1258, or 1217 for TVLgetbhead without a basic solution).  On failure the
// output arrays are left untouched.
#include <algorithm>
#include <new>
#include <vector>

#include "frame/basis.h"
#include "frame/error.h"
#include "frame/solution_view.h"
#include "lp/binv_store.h"

namespace tvl::lp {

namespace {

// One basis-solve call: the answering problem and its factor.
struct BinvCall {
  SolutionView view;
  FactorData *fd = nullptr;
};

// Validation of environment, problem and the required array.
int open_call(const tvlenv *env, const tvllp *lp, const void *array, BinvCall &call) {
  if (int st = open_view(env, lp, &call.view)) return st;
  return array ? 0 : TVLERR_NULL_POINTER_FOR_REQUIRED_DATA;
}

int check_index(int k, int32_t count) {
  return k >= 0 && k < count ? 0 : TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES;
}

int need_factor(const tvlenv *env, BinvCall &call) { return binv_factor(env, call.view.lp, &call.fd); }

// Runs `body(call, scratch)` on a scratch vector of `len` entries, then
// copies the scratch to `out`; nothing is written when a check fails.
template <class Body>
int with_scratch(double *out, int32_t len, Body body) {
  try {
    std::vector<double> tmp(static_cast<size_t>(len), 0.0);
    body(tmp.data());
    std::copy(tmp.begin(), tmp.end(), out);
  } catch (const std::bad_alloc &) {
    return TVLERR_OUT_OF_MEMORY;
  }
  return 0;
}

// Column j of the problem's matrix as a dense vector over the rows.
void load_column(const LpData &d, int32_t j, double *x) {
  const int64_t beg = d.matbeg[j], end = beg + d.matcnt[j];
  for (int64_t p = beg; p < end; ++p) x[d.matind[p]] = d.matval[p];
}

// TVLftran (transpose false) and TVLbtran (true).
int solve_call(const tvlenv *env, const tvllp *lp, double *v, bool transpose) {
  BinvCall call;
  if (int st = open_call(env, lp, v, call)) return st;
  if (int st = need_factor(env, call)) return st;
  return with_scratch(v, call.view.m, [&](double *t) {
    std::copy(v, v + call.view.m, t);
    binv_solve(*call.fd, t, transpose);
  });
}

int bhead_call(const tvlenv *env, const tvllp *lp, int *head, double *x) {
  BinvCall call;
  if (int st = open_view(env, lp, &call.view)) return st;
  if (need_primal(call.view) || call.view.mip || !basis_present(call.view.lp)) {
    return TVLERR_NO_SOLUTION_EXISTS;
  }
  if (int st = need_factor(env, call)) return st;
  const FactorData &fd = *call.fd;
  const SolutionRecord &s = *call.view.soln;
  for (int32_t k = 0; k < fd.m; ++k) {
    const int32_t var = fd.head[static_cast<size_t>(k)];
    const bool slack = var >= fd.n;
    if (head) head[k] = slack ? -(var - fd.n) - 1 : var;
    if (x) x[k] = slack ? s.slack[static_cast<size_t>(var - fd.n)] : s.x[static_cast<size_t>(var)];
  }
  return 0;
}

// Row i of B^-1: B^-T e_i.
void binv_row(FactorData &fd, int32_t i, double *y) {
  y[i] = 1.0;
  binv_solve(fd, y, true);
}

int binvrow_call(const tvlenv *env, const tvllp *lp, int i, double *y) {
  BinvCall call;
  if (int st = open_call(env, lp, y, call)) return st;
  if (int st = check_index(i, call.view.m)) return st;
  if (int st = need_factor(env, call)) return st;
  return with_scratch(y, call.view.m, [&](double *t) { binv_row(*call.fd, i, t); });
}

int binvcol_call(const tvlenv *env, const tvllp *lp, int j, double *x) {
  BinvCall call;
  if (int st = open_call(env, lp, x, call)) return st;
  if (int st = check_index(j, call.view.m)) return st;
  if (int st = need_factor(env, call)) return st;
  return with_scratch(x, call.view.m, [&](double *t) {
    t[j] = 1.0;
    binv_solve(*call.fd, t, false);
  });
}

int binvarow_call(const tvlenv *env, const tvllp *lp, int i, double *z) {
  BinvCall call;
  if (int st = open_call(env, lp, z, call)) return st;
  if (int st = check_index(i, call.view.m)) return st;
  if (int st = need_factor(env, call)) return st;
  const LpData &d = *call.view.lp->lp;
  return with_scratch(z, call.view.n, [&](double *t) {
    std::vector<double> y(static_cast<size_t>(call.view.m), 0.0);
    binv_row(*call.fd, i, y.data());
    for (int32_t j = 0; j < d.ncols; ++j) {
      double s = 0.0;
      const int64_t beg = d.matbeg[j], end = beg + d.matcnt[j];
      for (int64_t p = beg; p < end; ++p) s += d.matval[p] * y[static_cast<size_t>(d.matind[p])];
      t[j] = s;
    }
  });
}

int binvacol_call(const tvlenv *env, const tvllp *lp, int j, double *x) {
  BinvCall call;
  if (int st = open_call(env, lp, x, call)) return st;
  if (int st = check_index(j, call.view.n)) return st;
  if (int st = need_factor(env, call)) return st;
  return with_scratch(x, call.view.m, [&](double *t) {
    load_column(*call.view.lp->lp, j, t);
    binv_solve(*call.fd, t, false);
  });
}

}  // namespace

}  // namespace tvl::lp

extern "C" {

int TVLftran(TVLCENVptr env, TVLCLPptr lp, double *x) {
  return tvl::boundary(env, tvl::lp::solve_call(env, lp, x, false));
}

int TVLbtran(TVLCENVptr env, TVLCLPptr lp, double *y) {
  return tvl::boundary(env, tvl::lp::solve_call(env, lp, y, true));
}

int TVLgetbhead(TVLCENVptr env, TVLCLPptr lp, int *head, double *x) {
  return tvl::boundary(env, tvl::lp::bhead_call(env, lp, head, x));
}

int TVLbinvrow(TVLCENVptr env, TVLCLPptr lp, int i, double *y) {
  return tvl::boundary(env, tvl::lp::binvrow_call(env, lp, i, y));
}

int TVLbinvcol(TVLCENVptr env, TVLCLPptr lp, int j, double *x) {
  return tvl::boundary(env, tvl::lp::binvcol_call(env, lp, j, x));
}

int TVLbinvarow(TVLCENVptr env, TVLCLPptr lp, int i, double *z) {
  return tvl::boundary(env, tvl::lp::binvarow_call(env, lp, i, z));
}

int TVLbinvacol(TVLCENVptr env, TVLCLPptr lp, int j, double *x) {
  return tvl::boundary(env, tvl::lp::binvacol_call(env, lp, j, x));
}

}  // extern "C"
