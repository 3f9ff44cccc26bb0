#include "simplex/primopt.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "simplex/crash.h"
#include "simplex/primal_simplex.h"
#include "simplex/scaling.h"
#include "simplex/simplex_lp.h"
#include "simplex/simplex_result.h"
#include "simplex/verify_repair.h"

namespace tvl::lp {

namespace {

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
  SimplexLp wl = working_lp(model, sc);
  const bool warm = valid_basis(model, warm_start);
  const std::vector<int32_t> crash = warm ? std::vector<int32_t>() : crash_columns(wl, ctl.crash);
  PrimalSimplex ps(std::move(wl), ctl, sc.active());
  if (warm) {
    ps.set_basis(basis_to_status(model, *warm_start));
  } else if (!crash.empty()) {
    // The nonbasic columns stay where the primal's slack basis put them.
    std::vector<int8_t> start = ps.status();
    apply_crash(crash, model.a.n, start);
    ps.set_basis(start);
  }
  const LpStatus st = ps.run();
  return verify_and_repair(model, sc, ctl, SimplexMethod::Primal, ps, st);
}

}  // namespace tvl::lp
