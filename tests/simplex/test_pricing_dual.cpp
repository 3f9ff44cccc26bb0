// Dual pricing states on Netlib instances: each DPRIIND value runs its own
// weight rule, the steepest-edge updates keep the weights equal to the
// exact norms, the automatic rule's ring decides with hysteresis, and the
// internal state 6 switches to steepest edge in a long warm-started run.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "dual_test_util.h"
#include "simplex/dual_simplex.h"
#include "simplex/dualopt.h"
#include "simplex/pricing_dual_auto.h"
#include "support/api_session.h"

namespace tvl::lp {
namespace {

using testing::load_netlib;
using testing::netlib_optimum;

struct PricedRun {
  LpResult result;
  std::string log;
};

PricedRun run_dual(const LpModel &model, int dpriind, const Basis *start = nullptr, int64_t itlim = 2100000000) {
  tvltest::ApiSession session("pricing");
  SimplexControl ctl;
  ctl.env = session.env;
  ctl.display = 1;
  ctl.pricing = dpriind;
  ctl.itlim = itlim;
  PricedRun run;
  run.result = dual_simplex(model, ctl, start);
  run.log = session.log;
  return run;
}

bool has(const std::string &log, const char *line) { return log.find(line) != std::string::npos; }

// Every value reaches the published optimum; the two exact-norm states
// announce their initialization, the others do not, and the rules differ in
// the path they take (iteration counts).
TEST(DualPricingStates, EachValueRunsItsOwnRuleToTheOptimum) {
  for (const char *name : {"scfxm1", "stocfor1", "bandm"}) {
    LpModel model;
    ASSERT_TRUE(load_netlib(name, model));
    const double ref = netlib_optimum(name);
    int64_t iters[6] = {};
    for (int p = 0; p <= 5; ++p) {
      const PricedRun run = run_dual(model, p);
      ASSERT_EQ(run.result.status, LpStatus::Optimal) << name << " DPRIIND " << p;
      EXPECT_LT(std::fabs(run.result.objval - ref) / std::max(1.0, std::fabs(ref)), 1e-6) << name << " " << p;
      iters[p] = run.result.iterations;
      EXPECT_EQ(has(run.log, "Initializing dual full norms . . .\n"), p == 2) << name << " " << p;
      EXPECT_EQ(has(run.log, "Initializing dual steep norms . . .\n"), p == 0 || p == 3) << name << " " << p;
    }
    EXPECT_NE(iters[1], iters[3]) << name;
    EXPECT_NE(iters[2], iters[3]) << name;
    EXPECT_NE(iters[5], iters[3]) << name;
  }
}

// From an advanced basis the exact slack-space norms (3) and unit norms (4)
// give different paths; the automatic setting starts such a run in state 6
// and takes steepest edge after 100 iterations.
TEST(DualPricingStates, AdvancedStartSeparatesExactFromUnitNormsAndSwitchesFromState6) {
  LpModel model;
  ASSERT_TRUE(load_netlib("scfxm1", model));
  const PricedRun partial = run_dual(model, 1, nullptr, 60);
  ASSERT_EQ(partial.result.status, LpStatus::IterLimit);
  const Basis start = partial.result.basis;
  const PricedRun exact = run_dual(model, 3, &start), unit = run_dual(model, 4, &start);
  ASSERT_EQ(exact.result.status, LpStatus::Optimal);
  ASSERT_EQ(unit.result.status, LpStatus::Optimal);
  EXPECT_TRUE(has(exact.log, "Initializing dual steep norms . . .\n"));
  EXPECT_FALSE(has(unit.log, "Initializing dual"));
  EXPECT_NE(exact.result.iterations, unit.result.iterations);

  const PricedRun automatic = run_dual(model, 0, &start);
  ASSERT_EQ(automatic.result.status, LpStatus::Optimal);
  ASSERT_GT(automatic.result.iterations, 100);
  EXPECT_TRUE(has(automatic.log, "Switched to steepest-edge.\n")) << automatic.log;
  EXPECT_FALSE(has(automatic.log, "Initializing dual"));
  const double ref = netlib_optimum("scfxm1");
  EXPECT_LT(std::fabs(automatic.result.objval - ref) / std::fabs(ref), 1e-6);
}

// The updated steepest-edge weights of both spaces equal the norms computed
// from scratch for the basis reached.
TEST(DualPricingWeights, UpdatesMatchExactNormsAfterPivots) {
  for (const char *name : {"adlittle", "share2b", "scagr7"}) {
    LpModel model;
    ASSERT_TRUE(load_netlib(name, model));
    for (int p : {2, 3}) {
      SimplexLp lp;
      lp.load(model);
      SimplexControl ctl;
      ctl.display = 0;
      ctl.pricing = p;
      ctl.itlim = 40;
      DualSimplex ds(std::move(lp), ctl);
      ASSERT_EQ(ds.run(), LpStatus::IterLimit) << name;
      const std::vector<double> updated = ds.pricing().weights();
      auto exact = make_dual_pricing(p == 2 ? DualPricingRule::FullSteepestEdge : DualPricingRule::SteepestEdge,
                                     ds.lp().m);
      exact->compute_exact(ds.basis_view());
      for (size_t i = 0; i < updated.size(); ++i)
        EXPECT_NEAR(updated[i], exact->weights()[i], 1e-6 * (1.0 + exact->weights()[i])) << name << " " << p << " row " << i;
    }
  }
}

// Three stored ratios above 1.35 switch the weights on, three below 0.5 off;
// a mixed ring keeps the setting, and a decision needs 50 samples of each
// kind without weights, 15 with them.
TEST(DualPricingAuto, RingOfThreeRatiosDecidesWithHysteresis) {
  DualAutoPricing a;
  auto feed = [&](int n, double other, double tau) {
    for (int k = 0; k < n; ++k) {
      a.iteration(0.0, other);
      a.tau_solve(tau);
      a.weight_update(0.0, 0.0);
    }
  };
  using D = DualAutoPricing::Decision;
  feed(49, 100.0, 10.0);  // R = 10
  EXPECT_EQ(a.decide(false), D::Keep);
  EXPECT_EQ(a.stored(), 0);
  feed(1, 100.0, 10.0);
  EXPECT_EQ(a.decide(false), D::Keep);
  feed(50, 100.0, 10.0);
  EXPECT_EQ(a.decide(false), D::Keep);
  feed(50, 100.0, 10.0);
  EXPECT_EQ(a.decide(false), D::SwitchOn);
  EXPECT_NEAR(a.last_ratio(), 10.0, 1e-9);
  // Weights in use: 15 samples suffice; two low ratios are not enough.
  feed(15, 10.0, 100.0);  // R = 0.1
  EXPECT_EQ(a.decide(true), D::Keep);
  feed(15, 10.0, 100.0);
  EXPECT_EQ(a.decide(true), D::Keep);
  feed(15, 10.0, 100.0);
  EXPECT_EQ(a.decide(true), D::SwitchOff);
  // Between the thresholds nothing changes either way.
  for (int k = 0; k < 3; ++k) {
    feed(50, 100.0, 100.0);  // R = 1
    EXPECT_EQ(a.decide(false), D::Keep);
  }
}

}  // namespace
}  // namespace tvl::lp
