// Quality measures of a stored solution (TVLgetdblquality,
// TVLgetintquality) and the infeasibility queries (TVLgetrowinfeas,
// TVLgetcolinfeas).  Everything is computed from the problem's own
// (unscaled) data and the stored values; the problem never holds scaled
// data, so each scaled measure equals its unscaled counterpart.
#include <cmath>
#include <vector>

#include "frame/basis.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/infinity.h"
#include "frame/param.h"
#include "frame/solution_view.h"

namespace tvl {
namespace {

// Running maximum (with its index) and sum of nonnegative amounts.
struct Acc {
  double max = 0.0;
  double sum = 0.0;
  int index = -1;
  void add(double v, int k) {
    sum += v;
    if (v > max) {
      max = v;
      index = k;
    }
  }
};

struct PrimalMeasures {
  Acc infeas, residual, x, slack, intinfeas;
  double obj = 0.0;
};

struct DualMeasures {
  Acc infeas, residual, pi, redcost, compslack;
  double obj = 0.0;
};

// Row activities A x computed column by column from the problem's matrix.
std::vector<double> activities(const LpData *d, const double *x) {
  std::vector<double> ax(static_cast<size_t>(d->nrows), 0.0);
  for (int32_t j = 0; j < d->ncols; ++j) {
    const double xj = x[j];
    if (xj == 0.0) continue;
    const int64_t beg = d->matbeg[j], end = beg + d->matcnt[j];
    for (int64_t p = beg; p < end; ++p) ax[static_cast<size_t>(d->matind[p])] += d->matval[p] * xj;
  }
  return ax;
}

double bound_violation(double v, double lo, double up) {
  if (lo > -kInfBound && v < lo) return lo - v;
  if (up < kInfBound && v > up) return v - up;
  return 0.0;
}

bool is_integer_type(char t) { return t == 'B' || t == 'I' || t == 'N'; }

PrimalMeasures measure_primal(const SolutionView &v) {
  const LpData *d = v.lp->lp;
  const SolutionRecord &s = *v.soln;
  PrimalMeasures pm;
  const std::vector<double> ax = activities(d, s.x.data());
  const char *ctype = v.mip && v.lp->mip ? v.lp->mip->ctype : nullptr;
  for (int32_t j = 0; j < v.n; ++j) {
    const double xj = s.x[static_cast<size_t>(j)];
    pm.infeas.add(bound_violation(xj, d->lb[j], d->ub[j]), j);
    pm.x.add(std::fabs(xj), j);
    pm.obj += d->obj[j] * xj;
    if (ctype && is_integer_type(ctype[j])) pm.intinfeas.add(std::fabs(xj - std::round(xj)), j);
  }
  pm.obj += d->objoffset;
  const bool slacks = static_cast<int32_t>(s.slack.size()) == v.m;
  for (int32_t i = 0; i < v.m; ++i) {
    double lo, up;
    row_range(d, i, &lo, &up);
    pm.infeas.add(bound_violation(ax[static_cast<size_t>(i)], lo, up), v.n + i);
    if (!slacks) continue;
    const double sl = s.slack[static_cast<size_t>(i)];
    pm.residual.add(std::fabs(d->rhs[i] - ax[static_cast<size_t>(i)] - sl), i);
    pm.slack.add(std::fabs(sl), i);
  }
  return pm;
}

// Where a variable sits relative to its bounds: from the stored basis when
// there is one, otherwise from its value.
enum class Pos { Between, Lower, Upper, Fixed };

Pos position_by_value(double v, double lo, double up) {
  const bool at_lo = lo > -kInfBound && std::fabs(v - lo) <= 1e-6 * (1.0 + std::fabs(lo));
  const bool at_up = up < kInfBound && std::fabs(v - up) <= 1e-6 * (1.0 + std::fabs(up));
  if (at_lo && at_up) return Pos::Fixed;
  if (at_lo) return Pos::Lower;
  return at_up ? Pos::Upper : Pos::Between;
}

Pos column_position(const BasisData *b, int32_t j, double x, double lo, double up) {
  if (lo == up) return Pos::Fixed;
  if (!b) return position_by_value(x, lo, up);
  switch (b->cstat[static_cast<size_t>(j)]) {
    case TVL_AT_LOWER: return lo > -kInfBound ? Pos::Lower : Pos::Between;
    case TVL_AT_UPPER: return up < kInfBound ? Pos::Upper : Pos::Between;
    default: return Pos::Between;
  }
}

Pos row_position(const LpData *d, const BasisData *b, int32_t i, double a, double lo, double up) {
  if (lo == up) return Pos::Fixed;
  if (!b) return position_by_value(a, lo, up);
  const int st = b->rstat[static_cast<size_t>(i)];
  if (st != TVL_AT_LOWER && st != TVL_AT_UPPER) return Pos::Between;
  // Status 0 means "at the right-hand side", 2 "at rhs + rngval".
  const double r = d->sense[i] == 'R' && d->rngval ? d->rngval[i] : 0.0;
  bool at_rhs_end_is_upper = d->sense[i] == 'L' || (d->sense[i] == 'R' && r < 0.0);
  bool upper = st == TVL_AT_LOWER ? at_rhs_end_is_upper : !at_rhs_end_is_upper;
  if (upper) return up < kInfBound ? Pos::Upper : Pos::Between;
  return lo > -kInfBound ? Pos::Lower : Pos::Between;
}

// Dual infeasibility of a multiplier r (minimisation form) at position p.
double dual_violation(Pos p, double r) {
  switch (p) {
    case Pos::Fixed: return 0.0;
    case Pos::Lower: return r < 0.0 ? -r : 0.0;
    case Pos::Upper: return r > 0.0 ? r : 0.0;
    default: return std::fabs(r);
  }
}

// Contribution to the dual objective and the complementarity product of a
// multiplier r (minimisation form) on an activity v within [lo, up].
void dual_terms(double r, double v, double lo, double up, double *obj, double *comp) {
  if (r > 0.0) {
    const double b = lo > -kInfBound ? lo : v;
    *obj += r * b;
    *comp = r * (v - b);
  } else if (r < 0.0) {
    const double b = up < kInfBound ? up : v;
    *obj += r * b;
    *comp = -r * (b - v);
  } else {
    *comp = 0.0;
  }
}

DualMeasures measure_dual(const SolutionView &v) {
  const LpData *d = v.lp->lp;
  const SolutionRecord &s = *v.soln;
  const BasisData *b = basis_present(v.lp) ? v.lp->basis : nullptr;
  const double sense = d->objsense;
  DualMeasures dm;
  const std::vector<double> ax = activities(d, s.x.data());
  for (int32_t j = 0; j < v.n; ++j) {
    const double dj = s.dj[static_cast<size_t>(j)], xj = s.x[static_cast<size_t>(j)];
    double resid = d->obj[j] - dj;
    const int64_t beg = d->matbeg[j], end = beg + d->matcnt[j];
    for (int64_t p = beg; p < end; ++p) resid -= d->matval[p] * s.pi[static_cast<size_t>(d->matind[p])];
    dm.residual.add(std::fabs(resid), j);
    dm.redcost.add(std::fabs(dj), j);
    const double r = sense * dj;
    dm.infeas.add(dual_violation(column_position(b, j, xj, d->lb[j], d->ub[j]), r), j);
    double comp;
    dual_terms(r, xj, d->lb[j], d->ub[j], &dm.obj, &comp);
    dm.compslack.add(std::fabs(comp), j);
  }
  for (int32_t i = 0; i < v.m; ++i) {
    const double pi = s.pi[static_cast<size_t>(i)], a = ax[static_cast<size_t>(i)];
    double lo, up;
    row_range(d, i, &lo, &up);
    dm.pi.add(std::fabs(pi), i);
    const double r = sense * pi;
    dm.infeas.add(dual_violation(row_position(d, b, i, a, lo, up), r), v.n + i);
    double comp;
    dual_terms(r, a, lo, up, &dm.obj, &comp);
    dm.compslack.add(std::fabs(comp), v.n + i);
  }
  dm.obj = sense * dm.obj + d->objoffset;
  return dm;
}

bool is_primal_measure(int what) {
  switch (what) {
    case 1: case 2: case 3: case 4: case 9: case 10: case 11: case 12: case 13: case 14:
    case 23: case 24: case 27: case 28: case 31: case 32: case 35: case 36: case 42:
      return true;
    default:
      return false;
  }
}

bool is_dual_measure(int what) {
  switch (what) {
    case 5: case 6: case 7: case 8: case 15: case 16: case 17: case 18: case 19: case 21:
    case 25: case 26: case 29: case 30: case 33: case 34: case 37: case 38: case 41:
      return true;
    default:
      return false;
  }
}

// Value (and index, for maxima) of one primal measure.
void select_primal(const PrimalMeasures &pm, int what, double *val, int *idx) {
  const Acc *acc = nullptr;
  bool sum = false;
  switch (what) {
    case 1: case 2: acc = &pm.infeas; break;
    case 3: case 4: acc = &pm.infeas; sum = true; break;
    case 9: acc = &pm.intinfeas; break;
    case 10: acc = &pm.intinfeas; sum = true; break;
    case 11: case 12: acc = &pm.residual; break;
    case 13: case 14: acc = &pm.residual; sum = true; break;
    case 23: case 24: acc = &pm.x; break;
    case 27: case 28: acc = &pm.slack; break;
    case 31: case 32: acc = &pm.x; sum = true; break;
    case 35: case 36: acc = &pm.slack; sum = true; break;
    default: *val = pm.obj; *idx = -2; return;  // 42 primalobj
  }
  *val = sum ? acc->sum : acc->max;
  *idx = sum ? -2 : acc->index;
}

void select_dual(const DualMeasures &dm, int what, double *val, int *idx) {
  const Acc *acc = nullptr;
  bool sum = false;
  switch (what) {
    case 5: case 6: acc = &dm.infeas; break;
    case 7: case 8: acc = &dm.infeas; sum = true; break;
    case 15: case 16: acc = &dm.residual; break;
    case 17: case 18: acc = &dm.residual; sum = true; break;
    case 19: acc = &dm.compslack; break;
    case 21: acc = &dm.compslack; sum = true; break;
    case 25: case 26: acc = &dm.pi; break;
    case 29: case 30: acc = &dm.redcost; break;
    case 33: case 34: acc = &dm.pi; sum = true; break;
    case 37: case 38: acc = &dm.redcost; sum = true; break;
    default: *val = dm.obj; *idx = -2; return;  // 41 dualobj
  }
  *val = sum ? acc->sum : acc->max;
  *idx = sum ? -2 : acc->index;
}

bool has_quadratic_rows(const tvllp *lp) { return lp->parts && lp->parts->qcons.size > 0; }
bool has_indicators(const tvllp *lp) { return lp->parts && lp->parts->indcons.size > 0; }

// Computes measure `what`; idx receives -2 when it has no index.
int compute_quality(const SolutionView &v, int what, double *val, int *idx, KappaEstimate kappa) {
  *idx = -2;
  if (what >= 52 && what <= 57) return TVLERR_NO_KAPPA_STATISTICS_ARE_AVAILABLE;
  if (int st = need_objective(v)) return st;
  if (is_primal_measure(what)) {
    if (int st = need_primal(v)) return st;
    select_primal(measure_primal(v), what, val, idx);
    return 0;
  }
  if (is_dual_measure(what)) {
    if (int st = need_dual(v)) return st;
    select_dual(measure_dual(v), what, val, idx);
    return 0;
  }
  switch (what) {
    case 39:
      if (!v.soln->has_factor) return TVLERR_NO_LU_FACTORIZATION_EXISTS;
      if (v.soln->kappa < 0.0 && basis_present(v.lp)) {
        // Estimated once from the final basis, then kept with the record.
        const_cast<SolutionRecord *>(v.soln)->kappa = kappa(*v.lp->lp, *v.lp->basis);
      }
      *val = v.soln->kappa;
      return 0;
    case 40: {
      if (need_dual(v) || need_primal(v)) {
        *val = -4.0;
        return 0;
      }
      const double p = measure_primal(v).obj, d = measure_dual(v).obj;
      *val = std::fabs(p - d) / (1e-10 + std::fabs(p));
      return 0;
    }
    case 43: case 44: case 45: case 46: case 47: case 48:
      if (has_quadratic_rows(v.lp)) return TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
      *val = 0.0;
      return 0;
    case 49: case 50:
      if (has_indicators(v.lp)) return TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
      *val = 0.0;
      return 0;
    default:
      return TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
  }
}

// Body of TVLgetrowinfeas / TVLgetcolinfeas: signed violation of each item
// (negative below its lower end, positive above its upper end).
int infeasibilities(const tvlenv *env, const tvllp *lp, const double *x, double *out, int begin,
                    int end, bool rows, const char *fname) {
  SolutionView v;
  int st = open_view(env, lp, &v);
  if (!st && !out) st = TVLERR_NULL_POINTER_FOR_REQUIRED_DATA;
  if (!st && !x) st = need_primal(v);
  if (!st) st = check_range(env, fname, begin, end, rows ? v.m : v.n);
  if (st) return st;
  const LpData *d = v.lp->lp;
  const double *values = x ? x : v.soln->x.data();
  std::vector<double> ax;
  if (rows) ax = activities(d, values);
  for (int k = begin; k <= end; ++k) {
    double lo, up, a;
    if (rows) {
      row_range(d, k, &lo, &up);
      a = ax[static_cast<size_t>(k)];
    } else {
      lo = d->lb[k];
      up = d->ub[k];
      a = values[k];
    }
    double viol = 0.0;
    if (lo > -kInfBound && a < lo) viol = a - lo;
    else if (up < kInfBound && a > up) viol = a - up;
    out[k - begin] = viol;
  }
  return 0;
}

}  // namespace

int dbl_quality(const tvlenv *env, const tvllp *lp, double *quality_p, int what, KappaEstimate kappa) {
  SolutionView v;
  int st = open_view(env, lp, &v);
  if (!st && !quality_p) st = TVLERR_NULL_POINTER_FOR_REQUIRED_DATA;
  int idx;
  double val = 0.0;
  if (!st) st = compute_quality(v, what, &val, &idx, kappa);
  if (st) return st;
  *quality_p = val;
  return 0;
}

int point_quality(const tvlenv *env, const tvllp *lp, const double *x, int what, double *val, int *idx) {
  SolutionView v;
  if (int st = open_view(env, lp, &v)) return st;
  SolutionRecord point;
  point.incumbent = point.has_primal = true;
  point.x.assign(x, x + v.n);
  point.ax = activities(v.lp->lp, x);
  point.slack.resize(point.ax.size());
  for (size_t i = 0; i < point.ax.size(); ++i) point.slack[i] = v.lp->lp->rhs[i] - point.ax[i];
  v.soln = &point;
  v.mip = true;
  return compute_quality(v, what, val, idx, nullptr);
}

int int_quality(const tvlenv *env, const tvllp *lp, int *quality_p, int what, KappaEstimate kappa) {
  SolutionView v;
  int st = open_view(env, lp, &v);
  if (!st && !quality_p) st = TVLERR_NULL_POINTER_FOR_REQUIRED_DATA;
  int idx = -2;
  double val = 0.0;
  if (!st) st = compute_quality(v, what, &val, &idx, kappa);
  if (!st && idx == -2) st = TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
  if (st) return st;
  *quality_p = idx;
  return 0;
}

}  // namespace tvl

extern "C" {

int TVLgetrowinfeas(TVLCENVptr env, TVLCLPptr lp, const double *x, double *infeasout, int begin,
                    int end) {
  return tvl::boundary(env, tvl::infeasibilities(env, lp, x, infeasout, begin, end, true,
                                                 "TVLgetrowinfeas"));
}

int TVLgetcolinfeas(TVLCENVptr env, TVLCLPptr lp, const double *x, double *infeasout, int begin,
                    int end) {
  return tvl::boundary(env, tvl::infeasibilities(env, lp, x, infeasout, begin, end, false,
                                                 "TVLgetcolinfeas"));
}

}  // extern "C"
