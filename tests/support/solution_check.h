// Independent checks of a solution through the query functions: the
// problem data are read back, and the primal values, row duals and reduced
// costs are checked against them (primal infeasibility of x over bounds
// and rows, dual sign conditions, dual residual |c - A'pi - dj|).  Used by
// the solve harness and the randomized solver tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tavlo.h"

namespace tvltest {

// The problem data, read back through the query functions.
struct Data {
  int m = 0, n = 0, sense = 1;
  std::vector<double> obj, lb, ub, rhs, rng;
  std::vector<char> rsense;
  std::vector<int> beg, ind;
  std::vector<double> val;
};

// Largest violations found; error is set when the data or the values
// cannot be read.
struct Violations {
  double pinf = 0.0, dinf = 0.0, dres = 0.0;
  std::string error;
};

inline int read_data(TVLENVptr env, TVLLPptr lp, Data &d) {
  d.m = TVLgetnumrows(env, lp);
  d.n = TVLgetnumcols(env, lp);
  d.sense = TVLgetobjsen(env, lp);
  const size_t m = static_cast<size_t>(d.m), n = static_cast<size_t>(d.n);
  d.obj.resize(n);
  d.lb.resize(n);
  d.ub.resize(n);
  d.rhs.resize(m);
  d.rng.assign(m, 0.0);
  d.rsense.resize(m);
  int st = 0;
  if (n) {
    st = TVLgetobj(env, lp, d.obj.data(), 0, d.n - 1);
    if (!st) st = TVLgetlb(env, lp, d.lb.data(), 0, d.n - 1);
    if (!st) st = TVLgetub(env, lp, d.ub.data(), 0, d.n - 1);
  }
  if (!st && m) {
    st = TVLgetrhs(env, lp, d.rhs.data(), 0, d.m - 1);
    if (!st) st = TVLgetsense(env, lp, d.rsense.data(), 0, d.m - 1);
    if (!st && std::count(d.rsense.begin(), d.rsense.end(), 'R')) {
      st = TVLgetrngval(env, lp, d.rng.data(), 0, d.m - 1);
    }
  }
  const int nz = TVLgetnumnz(env, lp);
  d.beg.resize(n + 1);
  d.ind.resize(static_cast<size_t>(nz));
  d.val.resize(static_cast<size_t>(nz));
  int got = 0, surplus = 0;
  if (!st && n) {
    st = TVLgetcols(env, lp, &got, d.beg.data(), d.ind.data(), d.val.data(), nz, &surplus, 0,
                    d.n - 1);
  }
  d.beg[n] = nz;
  return st;
}

inline void row_bounds(const Data &d, int i, double &lo, double &up) {
  const double b = d.rhs[static_cast<size_t>(i)], r = d.rng[static_cast<size_t>(i)];
  switch (d.rsense[static_cast<size_t>(i)]) {
    case 'L': lo = -1e20; up = b; break;
    case 'G': lo = b; up = 1e20; break;
    case 'R': lo = r >= 0 ? b : b + r; up = r >= 0 ? b + r : b; break;
    default: lo = up = b; break;
  }
}

inline double violation(double v, double lo, double up) {
  if (lo > -1e20 && v < lo) return lo - v;
  if (up < 1e20 && v > up) return v - up;
  return 0.0;
}

// Dual infeasibility of multiplier r (minimisation form) of an activity v
// within [lo, up]: r > 0 needs v at its lower end, r < 0 at its upper end.
inline double dual_violation(double r, double v, double lo, double up) {
  const double tol_lo = 1e-7 * (1.0 + std::fabs(lo)), tol_up = 1e-7 * (1.0 + std::fabs(up));
  const bool at_lo = lo > -1e20 && v <= lo + tol_lo;
  const bool at_up = up < 1e20 && v >= up - tol_up;
  if (r > 0.0 && !at_lo) return r;
  if (r < 0.0 && !at_up) return -r;
  return 0.0;
}

inline Violations check_solution(TVLENVptr env, TVLLPptr lp) {
  Violations out;
  Data d;
  if (read_data(env, lp, d)) {
    out.error = "cannot read problem data";
    return out;
  }
  const size_t m = static_cast<size_t>(d.m), n = static_cast<size_t>(d.n);
  std::vector<double> x(n), dj(n), pi(m);
  int st = n ? TVLgetx(env, lp, x.data(), 0, d.n - 1) : 0;
  if (!st && n) st = TVLgetdj(env, lp, dj.data(), 0, d.n - 1);
  if (!st && m) st = TVLgetpi(env, lp, pi.data(), 0, d.m - 1);
  if (st) {
    out.error = "no primal/dual values";
    return out;
  }
  std::vector<double> ax(m, 0.0);
  for (size_t j = 0; j < n; ++j) {
    double resid = d.obj[j] - dj[j];
    for (int p = d.beg[j]; p < d.beg[j + 1]; ++p) {
      ax[static_cast<size_t>(d.ind[static_cast<size_t>(p)])] += d.val[static_cast<size_t>(p)] * x[j];
      resid -= d.val[static_cast<size_t>(p)] * pi[static_cast<size_t>(d.ind[static_cast<size_t>(p)])];
    }
    out.dres = std::max(out.dres, std::fabs(resid));
    out.pinf = std::max(out.pinf, violation(x[j], d.lb[j], d.ub[j]));
    out.dinf = std::max(out.dinf, dual_violation(d.sense * dj[j], x[j], d.lb[j], d.ub[j]));
  }
  for (size_t i = 0; i < m; ++i) {
    double lo, up;
    row_bounds(d, static_cast<int>(i), lo, up);
    out.pinf = std::max(out.pinf, violation(ax[i], lo, up));
    out.dinf = std::max(out.dinf, dual_violation(d.sense * pi[i], ax[i], lo, up));
  }
  return out;
}

// What an outcome says about the LP: O optimal, U unbounded, I infeasible,
// B infeasible or unbounded (undecided), E anything else.
inline char outcome_class(int code, int status) {
  if (code == TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE_OR_UNBOUNDED) return 'B';
  if (code == TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE) return 'I';
  if (code == TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_UNBOUNDED) return 'U';
  if (code) return 'E';
  switch (status) {
    case TVL_STAT_OPTIMAL: return 'O';
    case TVL_STAT_UNBOUNDED: return 'U';
    case TVL_STAT_INFEASIBLE: return 'I';
    case TVL_STAT_INForUNBD: return 'B';
    default: return 'E';
  }
}

// Whether two outcome classes can both be right about one LP.
inline bool compatible(char a, char b) {
  if (a == b) return true;
  if (a == 'B') return b == 'I' || b == 'U';
  if (b == 'B') return a == 'I' || a == 'U';
  return false;
}

}  // namespace tvltest
