// Problem object <-> LpModel translation.
#include "lpmodel/lpbuild.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "frame/basis.h"
#include "frame/solution.h"

namespace tvl::lp {

namespace {

double clamp_lower(double v) { return v <= -kInfBound ? -kInfBound : v; }
double clamp_upper(double v) { return v >= kInfBound ? kInfBound : v; }

void build_matrix(const LpData &d, CscMatrix &a) {
  a.m = d.nrows;
  a.n = d.ncols;
  a.start.assign(static_cast<size_t>(d.ncols) + 1, 0);
  int64_t nz = 0;
  for (int32_t j = 0; j < d.ncols; ++j) nz += d.matcnt[j];
  a.index.resize(static_cast<size_t>(nz));
  a.value.resize(static_cast<size_t>(nz));
  int32_t pos = 0;
  for (int32_t j = 0; j < d.ncols; ++j) {
    a.start[static_cast<size_t>(j)] = pos;
    const int64_t beg = d.matbeg[j], end = beg + d.matcnt[j];
    for (int64_t p = beg; p < end; ++p, ++pos) {
      a.index[static_cast<size_t>(pos)] = d.matind[p];
      a.value[static_cast<size_t>(pos)] = d.matval[p];
    }
  }
  a.start[static_cast<size_t>(d.ncols)] = pos;
}

// True when the optimizer's "at lower" of row i corresponds to the row's
// right-hand-side end (the library's row status 0).
bool rhs_is_lower_end(const LpData &d, int32_t i) {
  switch (d.sense[i]) {
    case 'L': return false;
    case 'R': return !(d.rngval && d.rngval[i] < 0.0);
    default: return true;
  }
}

int8_t column_status_in(int st, double lo, double up) {
  if (st == TVL_BASIC) return 1;
  if (st == TVL_AT_UPPER && up < kInfBound) return 2;
  if (st == TVL_FREE_SUPER) return 3;
  if (lo > -kInfBound) return 0;
  return up < kInfBound ? 2 : 3;
}

int8_t row_status_in(const LpData &d, int32_t i, int st, double lo, double up) {
  if (st == TVL_BASIC) return 1;
  if (st == TVL_FREE_SUPER) return 3;
  const bool rhs_low = rhs_is_lower_end(d, i);
  const bool want_lower = st == TVL_AT_UPPER ? !rhs_low : rhs_low;
  if (want_lower && lo > -kInfBound) return 0;
  if (!want_lower && up < kInfBound) return 2;
  if (lo > -kInfBound) return 0;
  return up < kInfBound ? 2 : 3;
}

int row_status_out(const LpData &d, int32_t i, int8_t st) {
  if (st == 1) return TVL_BASIC;
  if (st == 3) return TVL_FREE_SUPER;
  const bool at_lower = st == 0;
  if (d.sense[i] != 'R') return TVL_AT_LOWER;
  return at_lower == rhs_is_lower_end(d, i) ? TVL_AT_LOWER : TVL_AT_UPPER;
}

}  // namespace

void build_model(const LpData &d, LpModel &model) {
  const double s = d.objsense;
  build_matrix(d, model.a);
  model.objsense = d.objsense;
  model.offset = s * d.objoffset;
  model.cost.resize(static_cast<size_t>(d.ncols));
  model.collo.resize(static_cast<size_t>(d.ncols));
  model.colup.resize(static_cast<size_t>(d.ncols));
  for (int32_t j = 0; j < d.ncols; ++j) {
    model.cost[static_cast<size_t>(j)] = s * d.obj[j];
    model.collo[static_cast<size_t>(j)] = clamp_lower(d.lb[j]);
    model.colup[static_cast<size_t>(j)] = clamp_upper(d.ub[j]);
  }
  model.rowlo.resize(static_cast<size_t>(d.nrows));
  model.rowup.resize(static_cast<size_t>(d.nrows));
  for (int32_t i = 0; i < d.nrows; ++i) {
    double lo, up;
    row_range(&d, i, &lo, &up);
    model.rowlo[static_cast<size_t>(i)] = clamp_lower(lo);
    model.rowup[static_cast<size_t>(i)] = clamp_upper(up);
  }
}

bool build_start(const tvllp *lp, const LpModel &model, Basis &basis) {
  if (!basis_present(lp)) return false;
  const LpData &d = *lp->lp;
  const BasisData &b = *lp->basis;
  basis.colstat.resize(static_cast<size_t>(d.ncols));
  basis.rowstat.resize(static_cast<size_t>(d.nrows));
  int32_t basic = 0;
  for (int32_t j = 0; j < d.ncols; ++j) {
    const size_t k = static_cast<size_t>(j);
    basis.colstat[k] = column_status_in(b.cstat[k], model.collo[k], model.colup[k]);
    basic += basis.colstat[k] == 1;
  }
  for (int32_t i = 0; i < d.nrows; ++i) {
    const size_t k = static_cast<size_t>(i);
    basis.rowstat[k] = row_status_in(d, i, b.rstat[k], model.rowlo[k], model.rowup[k]);
    basic += basis.rowstat[k] == 1;
  }
  if (basic != d.nrows) {
    basis.colstat.clear();
    basis.rowstat.clear();
    return false;
  }
  return true;
}

int status_code(LpStatus status) {
  switch (status) {
    case LpStatus::Optimal: return TVL_STAT_OPTIMAL;
    case LpStatus::Infeasible: return TVL_STAT_INFEASIBLE;
    case LpStatus::Unbounded: return TVL_STAT_UNBOUNDED;
    case LpStatus::InfOrUnbd: return TVL_STAT_INForUNBD;
    case LpStatus::IterLimit: return TVL_STAT_ABORT_IT_LIM;
    case LpStatus::TimeLimit: return TVL_STAT_ABORT_TIME_LIM;
    case LpStatus::DetTimeLimit: return TVL_STAT_ABORT_DETTIME_LIM;
    case LpStatus::Aborted: return TVL_STAT_ABORT_USER;
    case LpStatus::ObjLimit: return TVL_STAT_ABORT_OBJ_LIM;
    default: return TVL_STAT_NUM_BEST;
  }
}

namespace {

// Entries of a ray (largest entry 1) at or below 1e-12 are rounding left
// by the solve and the unscaling, in either sign.  On a row whose bound in
// the entry's direction is infinite such an entry would void the proof, so
// it is set to 0 there; the change of A'y stays far inside the tolerance
// that farkas_proof grants the column sums.
void drop_ray_noise(const LpData &d, std::vector<double> &ray) {
  for (int32_t i = 0; i < d.nrows; ++i) {
    double &y = ray[static_cast<size_t>(i)];
    if (y == 0.0 || std::fabs(y) > 1e-12) continue;
    double lo, up;
    row_range(&d, i, &lo, &up);
    if ((y > 0.0 && lo <= -kInfBound) || (y < 0.0 && up >= kInfBound)) y = 0.0;
  }
}

void fill_record(SolutionRecord &s, const LpData &d, const LpModel &model, const LpResult &r,
                 int method) {
  const double sense = d.objsense;
  const size_t n = static_cast<size_t>(d.ncols), m = static_cast<size_t>(d.nrows);
  s.status = status_code(r.status);
  s.method = method;
  s.pfeas = r.primal_feasible;
  s.dfeas = r.dual_feasible;
  s.objval = sense * r.objval;
  s.itcnt = r.iterations;
  s.phase1cnt = r.phase1_iterations;
  s.has_primal = r.x.size() == n && r.rowact.size() == m;
  if (s.has_primal) {
    s.x = r.x;
    s.ax = r.rowact;
    s.slack.resize(m);
    for (size_t i = 0; i < m; ++i) s.slack[i] = d.rhs[i] - r.rowact[i];
  }
  s.has_dual = s.has_primal && r.pi.size() == m && r.dj.size() == n;
  if (s.has_dual) {
    s.pi.resize(m);
    s.dj.resize(n);
    for (size_t i = 0; i < m; ++i) s.pi[i] = sense * r.pi[i];
    for (size_t j = 0; j < n; ++j) s.dj[j] = sense * r.dj[j];
  }
  if (r.status == LpStatus::Infeasible && r.ray.size() == m) {
    // Keep the ray scaled to a largest entry of 1, in the orientation in
    // which it proves infeasibility.
    s.dual_ray = r.ray;
    double largest = 0.0;
    for (double v : s.dual_ray) largest = std::max(largest, std::fabs(v));
    if (largest > 0.0) {
      for (double &v : s.dual_ray) v /= largest;
    }
    std::vector<double> flipped(r.ray.size());
    for (size_t i = 0; i < m; ++i) flipped[i] = -s.dual_ray[i];
    drop_ray_noise(d, s.dual_ray);
    drop_ray_noise(d, flipped);
    if (farkas_proof(d, flipped.data()) > farkas_proof(d, s.dual_ray.data())) s.dual_ray = flipped;
  }
  s.has_factor = r.basis.colstat.size() == n && r.basis.rowstat.size() == m;
  s.kappa = r.kappa > 0.0 ? r.kappa : -1.0;
  (void)model;
}

void fill_basis(BasisData &b, const LpData &d, const Basis &basis) {
  const size_t n = static_cast<size_t>(d.ncols), m = static_cast<size_t>(d.nrows);
  b.cstat.assign(basis.colstat.begin(), basis.colstat.end());
  b.rstat.resize(m);
  for (size_t i = 0; i < m; ++i) {
    b.rstat[i] = static_cast<int8_t>(row_status_out(d, static_cast<int32_t>(i), basis.rowstat[i]));
  }
  b.cprim.clear();
  b.rprim.clear();
  b.cdual.clear();
  b.rdual.clear();
  (void)n;
}

}  // namespace

double farkas_proof(const LpData &d, const double *y) {
  double need = 0.0;  // smallest y'Ax allowed by the row bounds
  for (int32_t i = 0; i < d.nrows; ++i) {
    if (y[i] == 0.0) continue;
    double lo, up;
    row_range(&d, i, &lo, &up);
    const double b = y[i] > 0.0 ? lo : up;
    if (b <= -kInfBound || b >= kInfBound) return -kNoValue;
    need += y[i] * b;
  }
  double reach = 0.0;  // largest y'Ax over the column bounds
  for (int32_t j = 0; j < d.ncols; ++j) {
    double z = 0.0, size = 0.0;
    const int64_t beg = d.matbeg[j], end = beg + d.matcnt[j];
    for (int64_t p = beg; p < end; ++p) {
      const double term = d.matval[p] * y[d.matind[p]];
      z += term;
      size += std::fabs(term);
    }
    // What is left of cancelling terms is rounding, not a direction.
    if (std::fabs(z) <= 1e-9 * std::max(1.0, size)) continue;
    const double b = z > 0.0 ? d.ub[j] : d.lb[j];
    if (b <= -kInfBound || b >= kInfBound) return -kNoValue;
    reach += z * b;
  }
  return need - reach;
}

int store_result(tvllp *lp, const LpModel &model, const LpResult &result, int method) {
  const LpData &d = *lp->lp;
  solution_discard(lp);
  try {
    SolutionRecord *s = solution_of(lp);
    if (!s) return TVLERR_OUT_OF_MEMORY;
    fill_record(*s, d, model, result, method);
    const bool has_basis = result.basis.colstat.size() == static_cast<size_t>(d.ncols) &&
                           result.basis.rowstat.size() == static_cast<size_t>(d.nrows);
    if (has_basis) {
      if (!lp->basis && !(lp->basis = basis_new())) return TVLERR_OUT_OF_MEMORY;
      fill_basis(*lp->basis, d, result.basis);
    }
  } catch (const std::bad_alloc &) {
    solution_discard(lp);
    return TVLERR_OUT_OF_MEMORY;
  }
  // The status of the run is stored either way; a run stopped by an
  // exhausted repair limit also ends the call with "Basis singular".
  return result.basis_singular ? TVLERR_BASIS_SINGULAR : 0;
}

}  // namespace tvl::lp
