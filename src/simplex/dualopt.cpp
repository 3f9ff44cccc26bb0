#include "simplex/dualopt.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "simplex/dual_simplex.h"
#include "simplex/primopt.h"
#include "simplex/scaling.h"
#include "simplex/simplex_lp.h"
#include "simplex/simplex_result.h"

namespace tvl::lp {

namespace {

// Unscaled solution of the solver's current state.
void extract(const LpModel &model, const Scaling &sc, const DualSimplex &ds, LpResult &res) {
  const int32_t m = model.a.m;
  unscale_solution(model, sc, ds.x(), ds.row_dual(), ds.status(), res);
  res.iterations += ds.iterations();
  res.phase1_iterations += ds.phase1_iterations();
  res.primal_feasible = ds.primal_feasible();
  res.dual_feasible = ds.dual_feasible();
  res.basis_singular = ds.repairs_exhausted();
  res.ray.clear();
  if (res.status == LpStatus::Infeasible && !ds.ray().empty()) {
    res.ray.resize(m);
    for (int32_t i = 0; i < m; ++i) res.ray[i] = sc.active() ? ds.ray()[i] * sc.row[i] : ds.ray()[i];
    double margin = farkas_margin(model, res.ray);
    for (double &v : res.ray) v = -v;
    if (farkas_margin(model, res.ray) < margin)
      for (double &v : res.ray) v = -v;
  }
}

}  // namespace

double farkas_margin(const LpModel &model, const std::vector<double> &ray) {
  const CscMatrix &a = model.a;
  double ymax = 0.0;
  for (double v : ray) ymax = std::max(ymax, std::fabs(v));
  if (ymax == 0.0) return -kInfBound;
  const double ztol = 1e-9 * ymax;
  // sup over the column box of (A'y)'x.
  double sup = 0.0;
  for (int32_t j = 0; j < a.n; ++j) {
    double z = 0.0;
    for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k) z += a.value[k] * ray[a.index[k]];
    if (std::fabs(z) <= ztol) continue;
    const double b = z > 0.0 ? model.colup[j] : model.collo[j];
    if (std::fabs(b) >= kInfBound) return -kInfBound;
    sup += z * b;
  }
  // inf over the row box of y'r.
  double inf = 0.0;
  for (int32_t i = 0; i < a.m; ++i) {
    const double y = ray[i];
    if (std::fabs(y) <= ztol) continue;
    const double b = y > 0.0 ? model.rowlo[i] : model.rowup[i];
    if (std::fabs(b) >= kInfBound) return -kInfBound;
    inf += y * b;
  }
  return inf - sup;
}

namespace {

std::unique_ptr<DualSimplex> make_solver(const LpModel &model, const Scaling &sc, const SimplexControl &ctl) {
  LpModel scaled = model;
  apply_scaling(sc, scaled);
  SimplexLp lp;
  lp.load(scaled);
  return std::make_unique<DualSimplex>(std::move(lp), ctl, sc.active());
}

// Verdicts of the dual that the primal simplex settles, started from the
// dual's final basis.  "Unbounded" comes from a phase 1 that could not make
// the reduced costs dual feasible: that shows dual infeasibility only up to
// the tolerances of a possibly badly scaled problem and says nothing of
// primal feasibility.  "Infeasible" without a dual ray that proves it on
// the unscaled problem came from a ratio test that skipped pivots below
// its tolerance.  The primal answers unbounded from a feasible point (with
// a primal ray), optimal after all, or infeasible.
bool needs_settling(const LpModel &model, const SimplexControl &ctl, const LpResult &res) {
  if (!ctl.settle_verdicts) return false;
  if (res.status == LpStatus::Unbounded) return true;
  return res.status == LpStatus::Infeasible && !(farkas_margin(model, res.ray) > 0.0);
}


// The solve on the unscaled problem from the final basis of a scaled run,
// for violations that unscaling magnified beyond the tolerances.
LpResult clean_unscaled(const LpModel &model, const SimplexControl &ctl, const DualSimplex &solver, const LpResult &res) {
  SimplexLp raw;
  raw.load(model);
  DualSimplex clean_solver(std::move(raw), ctl, false);
  clean_solver.set_basis(solver.status());
  LpResult clean;
  clean.iterations = res.iterations;
  clean.phase1_iterations = res.phase1_iterations;
  clean.status = clean_solver.run();
  extract(model, Scaling(), clean_solver, clean);
  return clean;
}

// Runs the solver and unscales, cleans up on the unscaled problem when
// needed, and has the primal simplex settle doubtful verdicts and finish
// an "optimal" end whose values still break bounds (the final polish can
// leave them so).
LpResult run_and_clean(const LpModel &model, const Scaling &sc, const SimplexControl &ctl, DualSimplex &solver) {
  LpResult res;
  res.status = solver.run();
  extract(model, sc, solver, res);
  if (needs_settling(model, ctl, res)) return settle_with(primal_simplex, model, ctl, res);
  if (res.status != LpStatus::Optimal) return res;
  if (sc.active() && (primal_violation(model, res) > ctl.feastol || dual_violation(model, res) > ctl.opttol))
    res = clean_unscaled(model, ctl, solver, res);
  if (res.status == LpStatus::Optimal && ctl.settle_verdicts && primal_violation(model, res) > ctl.feastol)
    return settle_with(primal_simplex, model, ctl, res);
  return res;
}

}  // namespace

LpResult dual_simplex(const LpModel &model, const SimplexControl &ctl, const Basis *warm_start) {
  if (model.a.m == 0) return solve_without_rows(model);
  const Scaling sc = compute_scaling(model.a, ctl.scaling);
  std::unique_ptr<DualSimplex> ds = make_solver(model, sc, ctl);
  if (valid_basis(model, warm_start)) ds->set_basis(basis_to_status(model, *warm_start));
  return run_and_clean(model, sc, ctl, *ds);
}

DualOptimizer::DualOptimizer(const LpModel &model, const SimplexControl &ctl)
    : model_(model), ctl_(ctl), scaling_(std::make_unique<Scaling>(compute_scaling(model.a, ctl.scaling))) {
  if (model_.a.m > 0) solver_ = make_solver(model_, *scaling_, ctl_);
}

DualOptimizer::~DualOptimizer() = default;

void DualOptimizer::set_col_bounds(int32_t j, double lower, double upper) {
  model_.collo[j] = lower;
  model_.colup[j] = upper;
  if (!solver_) return;
  const double c = scaling_->active() ? scaling_->col[j] : 1.0;
  solver_->set_bounds(j, lower <= -kInfBound ? lower : lower / c, upper >= kInfBound ? upper : upper / c);
}

void DualOptimizer::set_basis(const Basis &basis) {
  if (solver_ && valid_basis(model_, &basis)) solver_->set_basis(basis_to_status(model_, basis));
}

LpResult DualOptimizer::solve() {
  if (!solver_) return solve_without_rows(model_);
  return run_and_clean(model_, *scaling_, ctl_, *solver_);
}


}  // namespace tvl::lp
