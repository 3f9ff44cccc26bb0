// Independent check of a conflict through the public interface: the set
// (its rows, and the bounds its column codes name) must be infeasible on
// its own, and dropping any one member must make it feasible.  Each check
// solves a fresh copy of the problem with the optimizer of its type (LP
// optimizer with presolve, or the MIP optimizer), never the refiner's own
// warm-started tests.  Shared by the tests and the conflictcheck harness.
#pragma once

#include <string>
#include <vector>

#include "tavlo.h"

namespace tvltest {

struct ConflictSet {
  int status = -1;
  std::vector<int> rows, rowstat, cols, colstat;
};

inline ConflictSet get_conflict(TVLENVptr env, TVLLPptr lp) {
  ConflictSet c;
  int nr = 0, nc = 0;
  if (TVLgetconflict(env, lp, &c.status, nullptr, nullptr, &nr, nullptr, nullptr, &nc) != 0) return c;
  c.rows.resize(static_cast<size_t>(nr));
  c.rowstat.resize(static_cast<size_t>(nr));
  c.cols.resize(static_cast<size_t>(nc));
  c.colstat.resize(static_cast<size_t>(nc));
  TVLgetconflict(env, lp, &c.status, c.rows.data(), c.rowstat.data(), &nr, c.cols.data(), c.colstat.data(), &nc);
  return c;
}

// The bounds a conflict is checked against: the problem's own, or for a
// MIP start's conflict the start's values on its columns (base: what a
// column keeps when its bound is not in the set).
struct CheckBounds {
  std::vector<double> lo, up, base_lo, base_up;
};

inline CheckBounds problem_bounds(TVLENVptr env, TVLLPptr lp) {
  const int n = TVLgetnumcols(env, lp);
  CheckBounds b;
  b.lo.resize(static_cast<size_t>(n));
  b.up.resize(static_cast<size_t>(n));
  if (n > 0) {
    TVLgetlb(env, lp, b.lo.data(), 0, n - 1);
    TVLgetub(env, lp, b.up.data(), 0, n - 1);
  }
  b.base_lo.assign(static_cast<size_t>(n), -TVL_INFBOUND);
  b.base_up.assign(static_cast<size_t>(n), TVL_INFBOUND);
  return b;
}

// Feasibility of: the rows with keep_row set, column bounds lo/up, zero
// objective.  1 feasible, 0 infeasible, -1 undecided.
inline int subset_feasible(TVLENVptr env, TVLLPptr lp, const std::vector<int> &keep_row,
                           const std::vector<double> &lo, const std::vector<double> &up) {
  int st = 0;
  TVLLPptr c = TVLcloneprob(env, lp, &st);
  if (!c) return -1;
  const int n = TVLgetnumcols(env, c), m = TVLgetnumrows(env, c);
  const bool mip = TVLgetprobtype(env, c) == TVLPROB_MILP;
  std::vector<int> idx(static_cast<size_t>(n));
  std::vector<double> zero(static_cast<size_t>(n), 0.0);
  for (int j = 0; j < n; ++j) idx[static_cast<size_t>(j)] = j;
  if (mip) {
    // A binary column whose bound was dropped is a general integer column.
    std::vector<char> ct(static_cast<size_t>(n));
    TVLgetctype(env, c, ct.data(), 0, n - 1);
    for (int j = 0; j < n; ++j)
      if (ct[static_cast<size_t>(j)] == 'B') ct[static_cast<size_t>(j)] = 'I';
    TVLchgctype(env, c, n, idx.data(), ct.data());
  }
  TVLchgobj(env, c, n, idx.data(), zero.data());
  std::vector<char> l(static_cast<size_t>(n), 'L'), u(static_cast<size_t>(n), 'U');
  TVLchgbds(env, c, n, idx.data(), l.data(), lo.data());
  TVLchgbds(env, c, n, idx.data(), u.data(), up.data());
  std::vector<int> del(static_cast<size_t>(m));
  for (int i = 0; i < m; ++i) del[static_cast<size_t>(i)] = keep_row[static_cast<size_t>(i)] ? 0 : 1;
  TVLdelsetrows(env, c, del.data());
  // With a zero objective "infeasible or unbounded" can only mean
  // infeasible; presolve reports its proof as a status of the call.
  int out = -1;
  const int rc = mip ? TVLmipopt(env, c) : TVLlpopt(env, c);
  if (rc == TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE ||
      rc == TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE_OR_UNBOUNDED) {
    out = 0;
  } else if (rc == 0) {
    const int s = TVLgetstat(env, c);
    if (s == TVL_STAT_INFEASIBLE || s == TVL_STAT_INForUNBD || s == TVLMIP_INFEASIBLE || s == TVLMIP_INForUNBD)
      out = 0;
    else if (s == TVL_STAT_OPTIMAL || s == TVLMIP_OPTIMAL || s == TVLMIP_OPTIMAL_TOL)
      out = 1;
  }
  TVLfreeprob(env, &c);
  return out;
}

// Checks the conflict of `c`; returns a description of every failure
// (empty when the set is infeasible and irreducible).
inline std::string check_conflict(TVLENVptr env, TVLLPptr lp, const ConflictSet &c, const CheckBounds &b) {
  const int m = TVLgetnumrows(env, lp);
  std::vector<int> keep(static_cast<size_t>(m), 0);
  for (int i : c.rows) keep[static_cast<size_t>(i)] = 1;
  std::vector<double> lo = b.base_lo, up = b.base_up;
  for (size_t k = 0; k < c.cols.size(); ++k) {
    const size_t j = static_cast<size_t>(c.cols[k]);
    const int s = c.colstat[k];
    if (s == TVL_CONFLICT_LB || s == TVL_CONFLICT_MEMBER || s == TVL_CONFLICT_POSSIBLE_LB ||
        s == TVL_CONFLICT_POSSIBLE_MEMBER)
      lo[j] = b.lo[j];
    if (s == TVL_CONFLICT_UB || s == TVL_CONFLICT_MEMBER || s == TVL_CONFLICT_POSSIBLE_UB ||
        s == TVL_CONFLICT_POSSIBLE_MEMBER)
      up[j] = b.up[j];
  }
  std::string why;
  if (subset_feasible(env, lp, keep, lo, up) != 0) why += "the set is not infeasible; ";
  for (int i : c.rows) {
    keep[static_cast<size_t>(i)] = 0;
    if (subset_feasible(env, lp, keep, lo, up) != 1) why += "row " + std::to_string(i) + " is not needed; ";
    keep[static_cast<size_t>(i)] = 1;
  }
  for (int j : c.cols) {
    const size_t k = static_cast<size_t>(j);
    for (int side = 0; side < 2; ++side) {
      double &bound = side == 0 ? lo[k] : up[k];
      const double base = side == 0 ? b.base_lo[k] : b.base_up[k];
      if (bound == base) continue;
      const double saved = bound;
      bound = base;
      if (subset_feasible(env, lp, keep, lo, up) != 1)
        why += (side == 0 ? "lower bound of column " : "upper bound of column ") + std::to_string(j) +
               " is not needed; ";
      bound = saved;
    }
  }
  return why;
}

}  // namespace tvltest
