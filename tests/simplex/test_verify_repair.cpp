// The verify-and-repair step on real Netlib instances: its remedies run in
// their fixed order and only while the result fails its check, and kept
// solvers re-solve after bound changes from their warm start.
#include "simplex/verify_repair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "dual_test_util.h"
#include "simplex/dual_simplex.h"
#include "simplex/dualopt.h"
#include "simplex/primopt.h"
#include "simplex/scaling.h"
#include "simplex/simplex_result.h"

namespace tvl::lp {
namespace {

using testing::load_netlib;
using testing::netlib_optimum;

SimplexControl quiet() {
  SimplexControl c;
  c.display = 0;
  return c;
}

// A dual solver on `model` (scaled as the entries scale) that has not run:
// its slack basis is neither primal nor dual feasible.
std::unique_ptr<DualSimplex> unsolved(const LpModel &model, const Scaling &sc) {
  return std::make_unique<DualSimplex>(working_lp(model, sc), quiet(), sc.active());
}

// The row c'x <= z* - 1e-3 max(1, |z*|) makes an optimal LP infeasible.
LpModel with_objective_cut(const LpModel &model, double optimum) {
  LpModel cut = model;
  const int32_t m = cut.a.m;
  CscMatrix &a = cut.a;
  CscMatrix b;
  b.m = m + 1;
  b.n = a.n;
  b.start.push_back(0);
  for (int32_t j = 0; j < a.n; ++j) {
    for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k) {
      b.index.push_back(a.index[k]);
      b.value.push_back(a.value[k]);
    }
    if (cut.cost[j] != 0.0) {
      b.index.push_back(m);
      b.value.push_back(cut.cost[j]);
    }
    b.start.push_back(static_cast<int32_t>(b.index.size()));
  }
  cut.a = b;
  cut.rowlo.push_back(-kInfBound);
  cut.rowup.push_back(optimum - cut.offset - 1e-3 * std::max(1.0, std::fabs(optimum)));
  return cut;
}

// The remedies' result: the manifest optimum with values that pass.
void expect_optimum(const LpModel &model, const LpResult &r, double optimum) {
  EXPECT_EQ(r.status, LpStatus::Optimal);
  EXPECT_NEAR(r.objval, optimum, 1e-6 * std::fabs(optimum));
  EXPECT_LT(testing::primal_violation(model, r), 1e-6);
  EXPECT_LT(testing::dual_violation(model, r), 1e-6);
  EXPECT_FALSE(r.verify.doubtful);
}

// Each remedy runs only when the result before it fails, in the order
// cleanup, switch, unreduced; the first passing result ends the step.
TEST(VerifyRepair, RemediesRunInOrderUntilOneConfirms) {
  LpModel model;
  ASSERT_TRUE(load_netlib("israel", model));
  const double optimum = netlib_optimum("israel");
  const Scaling sc = compute_scaling(model.a, 0);

  // An "optimal" claim for the slack basis: the values fail the check, the
  // cleanup by the same method settles it and nothing else runs.
  {
    auto solver = unsolved(model, sc);
    const LpResult r = verify_and_repair(model, sc, quiet(), SimplexMethod::Dual, *solver, LpStatus::Optimal);
    expect_optimum(model, r, optimum);
    EXPECT_EQ(r.verify.cleanups, 1);
    EXPECT_EQ(r.verify.switches, 0);
    EXPECT_EQ(r.verify.unreduced, 0);
    EXPECT_GT(r.iterations, 0);
  }
  // An infeasibility claim without a ray: no cleanup for a verdict, the
  // primal simplex from the basis finds the optimum.
  {
    auto solver = unsolved(model, sc);
    const LpResult r = verify_and_repair(model, sc, quiet(), SimplexMethod::Dual, *solver, LpStatus::Infeasible);
    expect_optimum(model, r, optimum);
    EXPECT_EQ(r.verify.cleanups, 0);
    EXPECT_EQ(r.verify.switches, 1);
  }
  // The final solve after postsolve expects an optimum.  On an LP made
  // infeasible by an objective cut, "optimal" fails its values, the
  // cleanup and the switch both prove infeasibility, which contradicts the
  // expected optimum, and the unreduced re-solve has the last word.
  {
    const LpModel cut = with_objective_cut(model, optimum);
    const Scaling csc = compute_scaling(cut.a, 0);
    auto solver = unsolved(cut, csc);
    SimplexControl ctl = quiet();
    int unreduced_calls = 0;
    ctl.unreduced = [&] {
      ++unreduced_calls;
      SimplexControl plain = quiet();
      return dual_simplex(cut, plain, nullptr);
    };
    const LpResult r = verify_and_repair(cut, csc, ctl, SimplexMethod::Dual, *solver, LpStatus::Optimal);
    EXPECT_EQ(unreduced_calls, 1);
    EXPECT_EQ(r.verify.cleanups, 1);
    EXPECT_EQ(r.verify.switches, 1);
    EXPECT_EQ(r.verify.unreduced, 1);
    EXPECT_EQ(r.status, LpStatus::Infeasible);
    EXPECT_GT(farkas_margin(cut, r.ray), 0.0);
  }
}

// An entry's own result passes its check on these instances without any
// remedy, with the right objective, for both methods.
TEST(VerifyRepair, EntriesPassTheirCheckWithoutRemedies) {
  for (const char *name : {"afiro", "sc105", "scagr7", "share1b", "israel", "scfxm1"}) {
    LpModel model;
    ASSERT_TRUE(load_netlib(name, model)) << name;
    const double optimum = netlib_optimum(name);
    for (const LpResult &r : {dual_simplex(model, quiet(), nullptr), primal_simplex(model, quiet(), nullptr)}) {
      ASSERT_EQ(r.status, LpStatus::Optimal) << name;
      EXPECT_NEAR(r.objval, optimum, 1e-6 * std::max(1.0, std::fabs(optimum))) << name;
      EXPECT_EQ(r.verify.remedies(), 0) << name;
      EXPECT_FALSE(r.verify.doubtful) << name;
    }
  }
}

// Branching as the MIP does it: one bound change at a time on a kept
// solver, each re-solve a small share of the cold solve's iterations and
// as good as a cold solve of the changed LP.
TEST(VerifyRepair, KeptSolverKeepsItsWarmStartAfterBoundChanges) {
  for (const char *name : {"scfxm1", "bandm", "stocfor1", "scorpion", "capri"}) {
    LpModel model;
    ASSERT_TRUE(load_netlib(name, model)) << name;
    DualOptimizer opt(model, quiet());
    LpResult r = opt.solve();
    ASSERT_EQ(r.status, LpStatus::Optimal) << name;
    const int64_t cold_first = r.iterations;
    for (int depth = 0; depth < 3; ++depth) {
      int jmax = -1;
      for (int j = 0; j < model.a.n; ++j)
        if (r.basis.colstat[j] == kBasic && std::fabs(r.x[j]) > 1e-3 &&
            (jmax < 0 || std::fabs(r.x[j]) > std::fabs(r.x[jmax])))
          jmax = j;
      ASSERT_GE(jmax, 0) << name;
      double lo = model.collo[jmax], up = model.colup[jmax];
      if (r.x[jmax] > 0) up = 0.9 * r.x[jmax];
      else lo = 0.9 * r.x[jmax];
      opt.set_col_bounds(jmax, lo, up);
      model.collo[jmax] = lo;
      model.colup[jmax] = up;
      r = opt.solve();
      const LpResult cold = dual_simplex(model, quiet(), nullptr);
      ASSERT_EQ(r.status, cold.status) << name << " depth " << depth;
      if (cold.status != LpStatus::Optimal) break;
      EXPECT_NEAR(r.objval, cold.objval, 1e-6 * std::max(1.0, std::fabs(cold.objval))) << name;
      EXPECT_LT(testing::primal_violation(model, r), 1e-6) << name;
      EXPECT_LT(testing::dual_violation(model, r), 1e-6) << name;
      EXPECT_EQ(r.verify.remedies(), 0) << name;
      EXPECT_LE(r.iterations, std::max<int64_t>(20, std::min(cold.iterations, cold_first) / 5))
          << name << " depth " << depth << ": warm " << r.iterations << " cold " << cold.iterations;
    }
  }
}

// Rows added and removed between solves, as cuts come and go: the basis
// of the last solve with the new row's slack basic starts the re-solve,
// which ends where a cold solve of the new model does in a fraction of its
// iterations; taking the row out again (its slack basic) goes back to the
// first optimum.  A basis that does not fit is refused, not taken silently.
TEST(VerifyRepair, KeptSolverTakesRowsAddedAndRemoved) {
  int optimal_cuts = 0;
  for (const char *name : {"scfxm1", "bandm", "capri", "stocfor1"}) {
    LpModel model;
    ASSERT_TRUE(load_netlib(name, model)) << name;
    DualOptimizer opt(model, quiet());
    const LpResult first = opt.solve();
    ASSERT_EQ(first.status, LpStatus::Optimal) << name;
    // The cut x_j <= 0.9 x*_j on the basic column with the largest value.
    int jmax = -1;
    for (int j = 0; j < model.a.n; ++j)
      if (first.basis.colstat[j] == kBasic && first.x[j] > 1e-3 && (jmax < 0 || first.x[j] > first.x[jmax])) jmax = j;
    ASSERT_GE(jmax, 0) << name;
    LpModel cut = model;
    CscMatrix b;
    b.m = model.a.m + 1;
    b.n = model.a.n;
    b.start.push_back(0);
    for (int32_t j = 0; j < model.a.n; ++j) {
      for (int32_t k = model.a.start[j]; k < model.a.start[j + 1]; ++k) {
        b.index.push_back(model.a.index[k]);
        b.value.push_back(model.a.value[k]);
      }
      if (j == jmax) {
        b.index.push_back(model.a.m);
        b.value.push_back(1.0);
      }
      b.start.push_back(static_cast<int32_t>(b.index.size()));
    }
    cut.a = b;
    cut.rowlo.push_back(-kInfBound);
    cut.rowup.push_back(0.9 * first.x[jmax]);
    Basis warm = first.basis;
    warm.rowstat.push_back(kBasic);
    ASSERT_TRUE(opt.set_model(cut, warm)) << name;
    const LpResult r = opt.solve();
    const LpResult cold = dual_simplex(cut, quiet(), nullptr);
    ASSERT_EQ(r.status, cold.status) << name;
    if (cold.status != LpStatus::Optimal) continue;
    ++optimal_cuts;
    EXPECT_NEAR(r.objval, cold.objval, 1e-6 * std::max(1.0, std::fabs(cold.objval))) << name;
    EXPECT_LT(testing::primal_violation(cut, r), 1e-6) << name;
    EXPECT_LT(testing::dual_violation(cut, r), 1e-6) << name;
    EXPECT_GT(r.iterations, 0) << name;
    EXPECT_LE(r.iterations, std::max<int64_t>(20, cold.iterations / 5)) << name << ": warm " << r.iterations;

    // Without the cut again, from a basis where its slack is basic.
    Basis back = r.basis;
    const bool cut_slack_basic = back.rowstat.back() == kBasic;
    back.rowstat.pop_back();
    ASSERT_EQ(opt.set_model(model, back), cut_slack_basic) << name;
    const LpResult again = opt.solve();
    ASSERT_EQ(again.status, LpStatus::Optimal) << name;
    EXPECT_NEAR(again.objval, first.objval, 1e-6 * std::max(1.0, std::fabs(first.objval))) << name;
    // A basis for other rows does not fit.
    EXPECT_FALSE(opt.set_basis(warm)) << name;
  }
  EXPECT_GE(optimal_cuts, 2);
}

}  // namespace
}  // namespace tvl::lp
