// Dual simplex on Netlib instances and on small LPs that exercise phase 1,
// infeasibility certificates, unboundedness, limits, warm starts and the log.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "dual_test_util.h"
#include "simplex/dualopt.h"
#include "simplex/perturb.h"
#include "simplex/simplex_lp.h"
#include "support/api_session.h"
#include "tavlo.h"

namespace tvl::lp {
namespace {

using namespace testing;  // the simplex test helpers


// Primal objective minus dual objective (bounds weighted by the duals):
// zero at an optimal pair.
double duality_gap(const LpModel &m, const LpResult &r) {
  double dual = m.offset;
  for (int i = 0; i < m.a.m; ++i) dual += r.pi[i] * (r.pi[i] > 0.0 ? m.rowlo[i] : m.rowup[i]);
  for (int j = 0; j < m.a.n; ++j) {
    if (r.dj[j] == 0.0) continue;
    dual += r.dj[j] * (r.dj[j] > 0.0 ? m.collo[j] : m.colup[j]);
  }
  return r.objval - dual;
}

void expect_netlib_optimal(const std::string &name, int pricing) {
  LpModel model;
  ASSERT_TRUE(load_netlib(name, model)) << name;
  const double ref = netlib_optimum(name);
  const LpResult r = dual_simplex(model, quiet(pricing), nullptr);
  ASSERT_EQ(r.status, LpStatus::Optimal) << name << " pricing " << pricing;
  EXPECT_LT(std::fabs(r.objval - ref) / std::max(1.0, std::fabs(ref)), 1e-6) << name;
  EXPECT_LT(primal_violation(model, r), 1e-6) << name;
  EXPECT_LT(dual_violation(model, r), 1e-6) << name;
  EXPECT_TRUE(r.primal_feasible && r.dual_feasible);
}

TEST(DualNetlib, SmallInstancesReachTheKnownOptimum) {
  for (const char *name : {"afiro", "sc50a", "sc50b", "adlittle", "blend", "share2b", "stocfor1",
                           "kb2", "scagr7", "israel", "share1b", "vtpbase", "boeing1"})
    expect_netlib_optimal(name, 0);
}

// On these the costs restored after the perturbation leave more than 1% of
// the variables dual infeasible: the primal cleanup with steepest edge
// takes the perturbed optimum to the true one.
TEST(DualNetlib, CleanupAfterRemovalReachesTheKnownOptimum) {
  for (const char *name : {"brandy", "etamacro", "tuff"}) expect_netlib_optimal(name, 0);
}

TEST(DualNetlib, EveryPricingRuleSolves) {
  for (int pricing : {1, 2, 4, 5})
    for (const char *name : {"afiro", "adlittle", "share2b", "stocfor1", "lotfi"})
      expect_netlib_optimal(name, pricing);
}

TEST(DualNetlib, ObjectiveCutMakesInstanceInfeasibleWithCertificate) {
  for (const char *name : {"afiro", "adlittle", "share2b", "sc105"}) {
    LpModel model;
    ASSERT_TRUE(load_netlib(name, model));
    const LpModel cut = testing::with_objective_cut(model, netlib_optimum(name));
    const LpResult r = dual_simplex(cut, quiet(), nullptr);
    ASSERT_EQ(r.status, LpStatus::Infeasible) << name;
    ASSERT_EQ(static_cast<int>(r.ray.size()), model.a.m + 1);
    EXPECT_GT(farkas_margin(cut, r.ray), 0.0) << name;
    EXPECT_FALSE(r.primal_feasible || r.dual_feasible);
  }
}

TEST(DualSmall, ContradictoryRowsAreInfeasible) {
  // x <= 1 and x >= 2.
  const LpModel m = dense_model(2, 1, {1, 1}, {1}, {-kInfBound}, {kInfBound}, {-kInfBound, 2}, {1, kInfBound});
  const LpResult r = dual_simplex(m, quiet(), nullptr);
  ASSERT_EQ(r.status, LpStatus::Infeasible);
  EXPECT_GT(farkas_margin(m, r.ray), 0.0);
}

TEST(DualSmall, ContradictoryBoundsAreInfeasible) {
  // x + y = 5 with x, y in [0, 2].
  const LpModel m = dense_model(1, 2, {1, 1}, {1, 1}, {0, 0}, {2, 2}, {5}, {5});
  const LpResult r = dual_simplex(m, quiet(), nullptr);
  ASSERT_EQ(r.status, LpStatus::Infeasible);
  EXPECT_GT(farkas_margin(m, r.ray), 0.0);
}

TEST(DualSmall, UnboundedRayDirectionIsDualInfeasible) {
  // min -x - y  s.t.  x - y <= 1, x, y >= 0: y grows without limit.
  const LpModel m = dense_model(1, 2, {1, -1}, {-1, -1}, {0, 0}, {kInfBound, kInfBound}, {-kInfBound}, {1});
  const LpResult r = dual_simplex(m, quiet(), nullptr);
  EXPECT_EQ(r.status, LpStatus::Unbounded);
  EXPECT_FALSE(r.dual_feasible);
}

TEST(DualSmall, OptimumBeyondTheStartingBoxIsStillFound) {
  // min -x - 2y + 10z  s.t.  x + y - z <= 4e7, y - x <= 1e7, x, y, z >= 0:
  // no row bounds x or y from above (z is unbounded), so the start boxes
  // them far below their optimal values (x = 1.5e7, y = 2.5e7, z = 0), the
  // box binds and phase 1 has to finish the job; the objective limit must
  // not fire on the boxed problem's bound.
  const LpModel m = dense_model(2, 3, {1, 1, -1, -1, 1, 0}, {-1, -2, 10}, {0, 0, 0}, {kInfBound, kInfBound, kInfBound},
                                {-kInfBound, -kInfBound}, {4e7, 1e7});
  SimplexControl ctl = quiet();
  ctl.objulim = -6e7;
  const LpResult r = dual_simplex(m, ctl, nullptr);
  ASSERT_EQ(r.status, LpStatus::Optimal);
  EXPECT_NEAR(r.objval, -6.5e7, 1e-6 * 6.5e7);
  EXPECT_NEAR(r.x[0], 1.5e7, 1.0);
  EXPECT_NEAR(r.x[1], 2.5e7, 1.0);
  EXPECT_NEAR(r.x[2], 0.0, 1e-6);
  EXPECT_TRUE(r.primal_feasible && r.dual_feasible);
}

TEST(DualSmall, ImpliedBoundsAtTheOptimumLeaveAnOptimalBasis) {
  // min -x - 2y  s.t.  x + y <= 4e7, y - x <= 1e7, x, y >= 0: the rows
  // imply x, y <= 4e7, so the start boxes x and y there (widened by a
  // margin); the optimum x = 1.5e7, y = 2.5e7 lies inside, and the final
  // basis must be optimal for the true (infinite) upper bounds.  The same
  // with the rows making y's bound the one the optimum reaches (y <= 3).
  const LpModel m = dense_model(2, 2, {1, 1, -1, 1}, {-1, -2}, {0, 0}, {kInfBound, kInfBound}, {-kInfBound, -kInfBound}, {4e7, 1e7});
  const LpResult r = dual_simplex(m, quiet(), nullptr);
  ASSERT_EQ(r.status, LpStatus::Optimal);
  EXPECT_NEAR(r.objval, -6.5e7, 1e-6 * 6.5e7);
  EXPECT_NEAR(duality_gap(m, r), 0.0, 1e-6 * 6.5e7);
  EXPECT_LT(dual_violation(m, r), 1e-9);
  const LpModel t = dense_model(2, 2, {0, 1, 1, 1}, {-1, -1}, {0, 0}, {kInfBound, kInfBound}, {-kInfBound, -kInfBound}, {3, 5});
  const LpResult rt = dual_simplex(t, quiet(), nullptr);
  ASSERT_EQ(rt.status, LpStatus::Optimal);
  EXPECT_NEAR(rt.objval, -5.0, 1e-9);
  EXPECT_LT(primal_violation(t, rt), 1e-9);
  EXPECT_LT(dual_violation(t, rt), 1e-9);
}

TEST(DualSmall, FreeFixedAndRangedVariablesGiveCertifiedOptimum) {
  const LpModel m = mixed_bounds_model();
  for (int pricing : {0, 1, 5}) {
    const LpResult r = dual_simplex(m, quiet(pricing), nullptr);
    ASSERT_EQ(r.status, LpStatus::Optimal);
    EXPECT_LT(primal_violation(m, r), 1e-9);
    EXPECT_LT(dual_violation(m, r), 1e-9);
    EXPECT_NEAR(duality_gap(m, r), 0.0, 1e-9);
  }
}

TEST(DualSmall, MaximisationFormAndOffsetCarryThrough) {
  // max 3x + 2y (cost negated, objsense -1) s.t. x + y <= 4, x + 3y <= 6, x <= 3.
  LpModel m = dense_model(2, 2, {1, 1, 1, 3}, {-3, -2}, {0, 0}, {3, kInfBound}, {-kInfBound, -kInfBound}, {4, 6});
  m.objsense = -1;
  m.offset = 5.0;
  const LpResult r = dual_simplex(m, quiet(), nullptr);
  ASSERT_EQ(r.status, LpStatus::Optimal);
  EXPECT_NEAR(r.objval, -(3 * 3 + 2 * 1) + 5.0, 1e-9);
  EXPECT_NEAR(r.x[0], 3.0, 1e-9);
  EXPECT_NEAR(r.x[1], 1.0, 1e-9);
  EXPECT_NEAR(duality_gap(m, r), 0.0, 1e-9);
}

TEST(DualLimits, IterationAndObjectiveLimitsStopTheRun) {
  // min x + y  s.t. x + y >= 2, x - y >= -1: the slack basis is dual feasible.
  const LpModel m = dense_model(2, 2, {1, 1, 1, -1}, {1, 1}, {0, 0}, {kInfBound, kInfBound}, {2, -1}, {kInfBound, kInfBound});
  SimplexControl ctl = quiet();
  ctl.itlim = 0;
  LpResult r = dual_simplex(m, ctl, nullptr);
  EXPECT_EQ(r.status, LpStatus::IterLimit);
  EXPECT_EQ(r.iterations, 0);
  EXPECT_TRUE(r.dual_feasible);
  EXPECT_FALSE(r.primal_feasible);

  ctl = quiet();
  ctl.objulim = 1.0;
  r = dual_simplex(m, ctl, nullptr);
  EXPECT_EQ(r.status, LpStatus::ObjLimit);

  ctl = quiet();
  int calls = 0;
  ctl.limit_check = [&calls](int64_t, const tvl::lp::SimplexProbe &) { return ++calls > 1 ? LpStatus::Aborted : LpStatus::Unknown; };
  LpModel big;
  ASSERT_TRUE(load_netlib("share2b", big));
  r = dual_simplex(big, ctl, nullptr);
  EXPECT_EQ(r.status, LpStatus::Aborted);
  EXPECT_LE(r.iterations, 1);
}

TEST(DualWarmStart, BoundChangeResolvesInFewIterations) {
  for (const char *name : {"stocfor1", "share2b", "adlittle"}) {
    LpModel model;
    ASSERT_TRUE(load_netlib(name, model));
    const LpResult first = dual_simplex(model, quiet(), nullptr);
    ASSERT_EQ(first.status, LpStatus::Optimal);
    // Cut the largest basic structural value in half, as a branching step would.
    int jmax = -1;
    for (int j = 0; j < model.a.n; ++j) {
      if (first.basis.colstat[j] == 1 && std::fabs(first.x[j]) > 1e-3 &&
          (jmax < 0 || std::fabs(first.x[j]) > std::fabs(first.x[jmax])))
        jmax = j;
    }
    ASSERT_GE(jmax, 0);
    LpModel changed = model;
    if (first.x[jmax] > 0) changed.colup[jmax] = std::floor(first.x[jmax] / 2);
    else changed.collo[jmax] = std::ceil(first.x[jmax] / 2);
    const LpResult warm = dual_simplex(changed, quiet(), &first.basis);
    const LpResult cold = dual_simplex(changed, quiet(), nullptr);
    ASSERT_EQ(warm.status, cold.status) << name;
    if (cold.status == LpStatus::Optimal) {
      EXPECT_NEAR(warm.objval, cold.objval, 1e-6 * std::max(1.0, std::fabs(cold.objval))) << name;
    }
    EXPECT_LT(warm.iterations, std::max<int64_t>(10, cold.iterations / 3)) << name;

    // The optimal basis itself restarts with no iteration.
    const LpResult again = dual_simplex(model, quiet(), &first.basis);
    EXPECT_EQ(again.status, LpStatus::Optimal);
    EXPECT_EQ(again.iterations, 0) << name;
  }
}

TEST(DualWarmStart, KeptSolverFollowsBranchingBoundChanges) {
  LpModel model;
  ASSERT_TRUE(load_netlib("stocfor1", model));
  DualOptimizer opt(model, quiet());
  LpResult r = opt.solve();
  ASSERT_EQ(r.status, LpStatus::Optimal);
  // Three nested "branches": halve the upper bound of the largest basic column.
  for (int depth = 0; depth < 3; ++depth) {
    int jmax = -1;
    for (int j = 0; j < model.a.n; ++j) {
      if (r.basis.colstat[j] == 1 && r.x[j] > 1e-3 && (jmax < 0 || r.x[j] > r.x[jmax])) jmax = j;
    }
    ASSERT_GE(jmax, 0);
    const double up = r.x[jmax] / 2;
    opt.set_col_bounds(jmax, model.collo[jmax], up);
    model.colup[jmax] = up;
    r = opt.solve();
    const LpResult cold = dual_simplex(model, quiet(), nullptr);
    ASSERT_EQ(r.status, cold.status);
    if (cold.status != LpStatus::Optimal) break;
    EXPECT_NEAR(r.objval, cold.objval, 1e-6 * std::max(1.0, std::fabs(cold.objval)));
    EXPECT_LT(primal_violation(model, r), 1e-6);
    EXPECT_LT(dual_violation(model, r), 1e-6);
    EXPECT_LT(r.iterations, std::max<int64_t>(10, cold.iterations / 3));
  }
}

// Node LPs of a search fix many columns and release them again; the dual
// pivot rows then skip the fixed ones.  On the relaxation of a model whose
// knapsack rows hold at zero, each warm solve after fixing a share of the
// columns at zero (basic ones too, which then leave the basis) or after
// releasing them again gives the cold solve's answer.
TEST(DualWarmStart, FixingAndReleasingColumnsFollowsColdSolves) {
  LpModel model;
  ASSERT_TRUE(read_model_file(tvltest::instance_path("miplib", "lseu"), model));
  const LpModel original = model;
  DualOptimizer opt(model, quiet());
  LpResult r = opt.solve();
  ASSERT_EQ(r.status, LpStatus::Optimal);
  int64_t warm_iterations = 0;
  for (int round = 0; round < 8; ++round) {
    for (int j = 0; j < model.a.n; ++j) {
      const bool fix = round % 2 == 0 && (j + round) % 3 == 0;
      model.collo[j] = original.collo[j];
      model.colup[j] = fix ? original.collo[j] : original.colup[j];
      opt.set_col_bounds(j, model.collo[j], model.colup[j]);
    }
    r = opt.solve();
    warm_iterations += r.iterations;
    const LpResult cold = dual_simplex(model, quiet(), nullptr);
    ASSERT_EQ(r.status, LpStatus::Optimal) << round;
    ASSERT_EQ(cold.status, LpStatus::Optimal) << round;
    EXPECT_NEAR(r.objval, cold.objval, 1e-6 * std::max(1.0, std::fabs(cold.objval))) << round;
    EXPECT_LT(primal_violation(model, r), 1e-6) << round;
    EXPECT_LT(dual_violation(model, r), 1e-6) << round;
  }
  EXPECT_GT(warm_iterations, 8);
}

// Strong branching's use of the kept solver: trials from one kept basis
// give the cold solves' answers, and after each the kept basis comes back
// with its factor, so that solving the unchanged LP again takes no
// iteration.
TEST(DualWarmStart, TrialsReturnToTheKeptBasis) {
  LpModel model;
  ASSERT_TRUE(load_netlib("scfxm1", model));
  DualOptimizer opt(model, quiet());
  const LpResult root = opt.solve();
  ASSERT_EQ(root.status, LpStatus::Optimal);
  opt.keep_state();
  int tried = 0;
  for (int j = 0; j < model.a.n && tried < 6; ++j) {
    if (root.basis.colstat[j] != 1 || root.x[j] < 1e-3) continue;
    ++tried;
    const double up = root.x[j] / 2, old = model.colup[j];
    opt.set_col_bounds(j, model.collo[j], up);
    model.colup[j] = up;
    const LpResult trial = opt.trial_solve();
    const LpResult cold = dual_simplex(model, quiet(), nullptr);
    ASSERT_EQ(trial.status, cold.status) << j;
    if (cold.status == LpStatus::Optimal) {
      EXPECT_NEAR(trial.objval, cold.objval, 1e-6 * std::max(1.0, std::fabs(cold.objval))) << j;
    }
    EXPECT_GT(trial.iterations, 0) << j;
    ASSERT_TRUE(opt.restore_state());
    opt.set_col_bounds(j, model.collo[j], old);
    model.colup[j] = old;
  }
  EXPECT_EQ(tried, 6);
  const LpResult again = opt.solve();
  ASSERT_EQ(again.status, LpStatus::Optimal);
  EXPECT_EQ(again.iterations, 0);
  EXPECT_NEAR(again.objval, root.objval, 1e-9 * std::max(1.0, std::fabs(root.objval)));
}

TEST(DualDeterminism, TwoRunsAreIdentical) {
  for (const char *name : {"israel", "scfxm1"}) {
    LpModel model;
    ASSERT_TRUE(load_netlib(name, model));
    const LpResult a = dual_simplex(model, quiet(), nullptr);
    const LpResult b = dual_simplex(model, quiet(), nullptr);
    EXPECT_EQ(a.iterations, b.iterations) << name;
    EXPECT_EQ(a.objval, b.objval) << name;
    EXPECT_EQ(a.x, b.x) << name;
    EXPECT_EQ(a.basis.colstat, b.basis.colstat) << name;
  }
}

// Every perturbed cost moves toward dual feasibility of its bound by at
// least the given least change; basic, free and fixed variables keep their
// costs; the same seed gives the same costs.
TEST(DualPerturbation, CostsMoveTheFeasibleWayByAtLeastTheLeastChange) {
  const std::vector<double> base = {0.0, 3.0, -2.0, 1e-9, 5.0, 0.0, 7.0};
  const std::vector<double> lower = {0.0, 0.0, 0.0, -kWorkInf, 1.0, 0.0, 2.0};
  const std::vector<double> upper = {1.0, kWorkInf, 4.0, kWorkInf, 1.0, 9.0, 3.0};
  const std::vector<int8_t> status = {kAtLower, kAtLower, kAtUpper, kFreeNb, kAtLower, kBasic, kAtUpper};
  const double least = 1e-6;
  std::vector<double> cost = base, again = base;
  SimplexRandom rng, rng2;
  perturb_costs(base, lower, upper, status, 1e-9, least, rng, cost);
  perturb_costs(base, lower, upper, status, 1e-9, least, rng2, again);
  EXPECT_EQ(cost, again);
  for (size_t j : {0u, 1u}) EXPECT_GE(cost[j] - base[j], least) << j;
  for (size_t j : {2u, 6u}) EXPECT_GE(base[j] - cost[j], least) << j;
  for (size_t j : {3u, 4u, 5u}) EXPECT_EQ(cost[j], base[j]) << j;
  // A relative change larger than the least one wins.
  cost = base;
  perturb_costs(base, lower, upper, status, 1e-3, least, rng, cost);
  EXPECT_GE(cost[1] - base[1], 3e-3);
}

// Few nonzero costs raise the relative magnitude to its floor, many leave
// the requested one, a larger request always wins, and the floor falls
// monotonically across the ramp between the two shares.
TEST(DualPerturbation, MagnitudeGrowsWhenFewVariablesCarryACost) {
  auto costs = [](int nonzero, int total) {
    std::vector<double> c(static_cast<size_t>(total), 0.0);
    for (int j = 0; j < nonzero; ++j) c[static_cast<size_t>(j)] = 1.0 + j;
    return c;
  };
  EXPECT_EQ(perturbation_magnitude(costs(5, 100), 1e-6), kTiedMagnitude);
  EXPECT_EQ(perturbation_magnitude(costs(20, 100), 1e-6), 1e-6);
  EXPECT_EQ(perturbation_magnitude(costs(5, 100), 1e-2), 1e-2);
  EXPECT_EQ(perturbation_magnitude({}, 1e-6), 1e-6);
  double previous = 1.0;
  for (int nz = 100; nz <= 150; nz += 10) {
    const double mag = perturbation_magnitude(costs(nz, 1000), 1e-9);
    EXPECT_LE(mag, previous) << nz;
    previous = mag;
  }
  EXPECT_LT(previous, 1e-5);
}

// grow7 starts with every nonbasic structural at a zero reduced cost: the
// dual perturbs before its first iteration, removes the perturbation at the
// end and still reaches the known optimum.
TEST(DualPerturbation, DegenerateStartIsPerturbedAtOnceAndRemoved) {
  tvltest::ApiSession session("grow7");
  const std::string &logged = session.log;
  LpModel model;
  ASSERT_TRUE(load_netlib("grow7", model));
  SimplexControl ctl;
  ctl.env = session.env;
  ctl.display = 1;
  const LpResult r = dual_simplex(model, ctl, nullptr);
  ASSERT_EQ(r.status, LpStatus::Optimal);
  const double ref = netlib_optimum("grow7");
  EXPECT_LT(std::fabs(r.objval - ref) / std::fabs(ref), 1e-6);
  EXPECT_LT(dual_violation(model, r), 1e-6);
  const size_t started = logged.find("Perturbation started.\n");
  ASSERT_NE(started, std::string::npos) << logged;
  EXPECT_LT(started, logged.find("Iteration:")) << logged;
  EXPECT_NE(logged.find("Removing perturbation.\n"), std::string::npos) << logged;
}

TEST(DualLog, IterationLogGoesToTheLogChannel) {
  tvltest::ApiSession session("afiro");
  std::string &logged = session.log, &other = session.errors;
  TVLCHANNELptr res = nullptr;
  TVLgetchannels(session.env, &res, nullptr, nullptr, nullptr);
  TVLaddfuncdest(session.env, res, &other, tvltest::collect_text);
  LpModel model;
  ASSERT_TRUE(load_netlib("afiro", model));
  SimplexControl ctl;
  ctl.env = session.env;
  ctl.display = 1;
  const LpResult r = dual_simplex(model, ctl, nullptr);
  EXPECT_EQ(r.status, LpStatus::Optimal);
  EXPECT_EQ(logged.rfind("\nIteration log . . .\n", 0), 0u) << logged;
  EXPECT_NE(logged.find("Iteration:"), std::string::npos);
  EXPECT_NE(logged.find("Dual objective     ="), std::string::npos);
  EXPECT_TRUE(other.empty());

  logged.clear();
  ctl.display = 2;
  dual_simplex(model, ctl, nullptr);
  const std::string header = "\nIteration      Dual Objective            In Variable           Out Variable\n";
  EXPECT_NE(logged.find(header), std::string::npos);
  EXPECT_EQ(logged.find(header), logged.rfind(header));

  logged.clear();
  ctl.display = 0;
  dual_simplex(model, ctl, nullptr);
  EXPECT_TRUE(logged.empty());
}

}  // namespace
}  // namespace tvl::lp
