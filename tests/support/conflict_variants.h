// Infeasible variants of a feasible model, for the conflict refiner's
// tests and harness.  Each is made on the problem in place from the
// optimum of an LP (or MIP) solve of the model:
//   objcut  a row  c'x <= z* - d  (>= z* + d when maximising): the
//           objective cut below the optimum;
//   row     a row  a_i'x >= M + d  where M is the largest value of the
//           densest row's activity a_i'x over the model;
//   bound   the lower bound of a column raised to M + d, M the largest
//           value that column takes over the model (the column of the
//           largest objective coefficient).
// d = max(1, 1e-3 |value|).  Each answers false when the model is not
// fit for it (no optimum, an unbounded maximum).
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tavlo.h"

namespace tvltest {

inline double variant_gap(double v) { return std::max(1.0, 1e-3 * std::fabs(v)); }

// Optimum of the linear objective `obj` (without the model's objective
// constant, which a row of the same coefficients does not have) under
// sense `sense`, on a copy.
inline bool optimum_of(TVLENVptr env, TVLLPptr lp, const std::vector<double> &obj, int sense, double &value) {
  int st = 0;
  TVLLPptr c = TVLcloneprob(env, lp, &st);
  if (!c) return false;
  const int n = TVLgetnumcols(env, c);
  std::vector<int> idx(static_cast<size_t>(n));
  for (int j = 0; j < n; ++j) idx[static_cast<size_t>(j)] = j;
  TVLchgobj(env, c, n, idx.data(), obj.data());
  TVLchgobjsen(env, c, sense);
  const bool mip = TVLgetprobtype(env, c) == TVLPROB_MILP;
  const int rc = mip ? TVLmipopt(env, c) : TVLlpopt(env, c);
  const int s = TVLgetstat(env, c);
  std::vector<double> x(static_cast<size_t>(n));
  const bool ok = rc == 0 && (mip ? (s == TVLMIP_OPTIMAL || s == TVLMIP_OPTIMAL_TOL) : s == TVL_STAT_OPTIMAL) &&
                  TVLgetx(env, c, x.data(), 0, n - 1) == 0;
  TVLfreeprob(env, &c);
  value = 0.0;
  for (int j = 0; j < n; ++j) value += obj[static_cast<size_t>(j)] * x[static_cast<size_t>(j)];
  return ok;
}

inline void add_row(TVLENVptr env, TVLLPptr lp, const std::vector<int> &ind, const std::vector<double> &val,
                    char sense, double rhs) {
  const int beg = 0;
  TVLaddrows(env, lp, 0, 1, static_cast<int>(ind.size()), &rhs, &sense, &beg, ind.data(), val.data(), nullptr,
             nullptr);
}

inline bool make_variant(TVLENVptr env, TVLLPptr lp, const std::string &kind) {
  const int n = TVLgetnumcols(env, lp), m = TVLgetnumrows(env, lp);
  std::vector<double> obj(static_cast<size_t>(n));
  TVLgetobj(env, lp, obj.data(), 0, n - 1);
  double v = 0.0;
  if (kind == "objcut") {
    const int sense = TVLgetobjsen(env, lp);
    if (!optimum_of(env, lp, obj, sense, v)) return false;
    std::vector<int> ind;
    std::vector<double> val;
    for (int j = 0; j < n; ++j)
      if (obj[static_cast<size_t>(j)] != 0.0) ind.push_back(j), val.push_back(obj[static_cast<size_t>(j)]);
    add_row(env, lp, ind, val, sense == TVL_MIN ? 'L' : 'G', sense == TVL_MIN ? v - variant_gap(v) : v + variant_gap(v));
    return true;
  }
  if (kind == "row") {
    // The densest row.
    int best = -1, best_nz = -1;
    for (int i = 0; i < m; ++i) {
      int nz = 0, surplus = 0, beg = 0;
      TVLgetrows(env, lp, &nz, &beg, nullptr, nullptr, 0, &surplus, i, i);
      if (-surplus > best_nz) best_nz = -surplus, best = i;
    }
    if (best < 0 || best_nz <= 0) return false;
    std::vector<int> ind(static_cast<size_t>(best_nz));
    std::vector<double> val(static_cast<size_t>(best_nz));
    int nz = 0, beg = 0, surplus = 0;
    TVLgetrows(env, lp, &nz, &beg, ind.data(), val.data(), best_nz, &surplus, best, best);
    std::vector<double> a(static_cast<size_t>(n), 0.0);
    for (int k = 0; k < nz; ++k) a[static_cast<size_t>(ind[static_cast<size_t>(k)])] = val[static_cast<size_t>(k)];
    if (!optimum_of(env, lp, a, TVL_MAX, v)) return false;
    add_row(env, lp, ind, val, 'G', v + variant_gap(v));
    return true;
  }
  if (kind == "bound") {
    // Among the columns of largest objective weight, the first whose
    // largest value lies strictly inside its own bounds, so that the rows
    // and not the column's own upper bound are what the new bound meets.
    std::vector<int> order(static_cast<size_t>(n));
    for (int j = 0; j < n; ++j) order[static_cast<size_t>(j)] = j;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return std::fabs(obj[static_cast<size_t>(a)]) > std::fabs(obj[static_cast<size_t>(b)]);
    });
    std::vector<double> up(static_cast<size_t>(n));
    TVLgetub(env, lp, up.data(), 0, n - 1);
    for (size_t k = 0; k < order.size() && k < 10; ++k) {
      const int col = order[k];
      std::vector<double> e(static_cast<size_t>(n), 0.0);
      e[static_cast<size_t>(col)] = 1.0;
      if (!optimum_of(env, lp, e, TVL_MAX, v) || v >= up[static_cast<size_t>(col)] - 1e-6) continue;
      const double lb = v + variant_gap(v);
      const char l = 'L';
      TVLchgbds(env, lp, 1, &col, &l, &lb);
      return true;
    }
    return false;
  }
  return false;
}

}  // namespace tvltest
