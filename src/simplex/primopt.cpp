#include "simplex/primopt.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "simplex/dualopt.h"
#include "simplex/primal_simplex.h"
#include "simplex/scaling.h"
#include "simplex/simplex_lp.h"
#include "simplex/simplex_result.h"

namespace tvl::lp {

namespace {

// Unscaled solution of the solver's current state.
void extract(const LpModel &model, const Scaling &sc, const PrimalSimplex &ps, LpResult &res) {
  const int32_t n = model.a.n;
  unscale_solution(model, sc, ps.x(), ps.row_dual(), ps.status(), res);
  res.iterations += ps.iterations();
  res.phase1_iterations += ps.phase1_iterations();
  res.primal_feasible = ps.primal_feasible();
  res.dual_feasible = ps.dual_feasible();
  res.basis_singular = ps.repairs_exhausted();
  res.ray.clear();
  if (res.status == LpStatus::Unbounded && !ps.ray().empty()) {
    res.ray.resize(n);
    double big = 0.0;
    for (int32_t j = 0; j < n; ++j) {
      res.ray[j] = sc.active() ? ps.ray()[j] * sc.col[j] : ps.ray()[j];
      big = std::max(big, std::fabs(res.ray[j]));
    }
    if (big > 0.0)
      for (double &v : res.ray) v /= big;
  }
}

// LP without rows: the shared closed-form solve, plus a ray when a column
// can run to infinity.
LpResult solve_with_ray(const LpModel &model) {
  LpResult res = solve_without_rows(model);
  if (res.status != LpStatus::Unbounded) return res;
  res.ray.assign(static_cast<size_t>(model.a.n), 0.0);
  for (int32_t j = 0; j < model.a.n; ++j) {
    if (model.cost[j] < 0.0 && model.colup[j] >= kInfBound) res.ray[j] = 1.0;
    else if (model.cost[j] > 0.0 && model.collo[j] <= -kInfBound) res.ray[j] = -1.0;
  }
  return res;
}


}  // namespace

LpResult primal_simplex(const LpModel &model, const SimplexControl &ctl, const Basis *warm_start) {
  if (model.a.m == 0) return solve_with_ray(model);
  const Scaling sc = compute_scaling(model.a, ctl.scaling);
  LpModel scaled = model;
  apply_scaling(sc, scaled);
  SimplexLp lp;
  lp.load(scaled);

  auto ps = std::make_unique<PrimalSimplex>(std::move(lp), ctl, sc.active());
  if (valid_basis(model, warm_start)) ps->set_basis(basis_to_status(model, *warm_start));
  LpResult res;
  res.status = ps->run();
  extract(model, sc, *ps, res);
  // A ray that does not prove unboundedness on the unscaled model took
  // entries below the ratio test's pivot tolerance for zero: the dual
  // settles the verdict from the primal's final basis.
  if (res.status == LpStatus::Unbounded && ctl.settle_verdicts && !proves_unbounded(model, res.ray))
    return settle_with(dual_simplex, model, ctl, res);
  if (res.status != LpStatus::Optimal || !sc.active()) return res;

  // Cleanup on the unscaled problem when unscaling magnified a violation.
  if (primal_violation(model, res) <= ctl.feastol && dual_violation(model, res) <= ctl.opttol) return res;
  SimplexLp raw;
  raw.load(model);
  const std::vector<int8_t> st = ps->status();
  SimplexControl quiet = ctl;
  quiet.pricing = 1;
  quiet.itlim = std::max<int64_t>(0, ctl.itlim - res.iterations);
  ps = std::make_unique<PrimalSimplex>(std::move(raw), quiet, false);
  ps->set_basis(st);
  LpResult clean;
  clean.iterations = res.iterations;
  clean.phase1_iterations = res.phase1_iterations;
  clean.status = ps->run();
  extract(model, Scaling(), *ps, clean);
  return clean;
}

}  // namespace tvl::lp
