// Primal simplex on Netlib instances and on small LPs: optimality under
// every pricing rule, unboundedness with a checked ray, infeasibility,
// limits, warm starts after bound and objective changes, determinism and
// the iteration log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "dual_test_util.h"
#include "simplex/pricing_primal.h"
#include "simplex/pricing_primal_hybrid.h"
#include "simplex/dualopt.h"
#include "simplex/primopt.h"
#include "tavlo.h"
#include "support/log_text.h"

namespace tvl::lp {
namespace {

using namespace testing;  // the simplex test helpers


void expect_netlib_optimal(const std::string &name, int pricing) {
  LpModel model;
  ASSERT_TRUE(load_netlib(name, model)) << name;
  const double ref = netlib_optimum(name);
  const LpResult r = primal_simplex(model, quiet(pricing), nullptr);
  ASSERT_EQ(r.status, LpStatus::Optimal) << name << " pricing " << pricing;
  EXPECT_LT(std::fabs(r.objval - ref) / std::max(1.0, std::fabs(ref)), 1e-6) << name << " pricing " << pricing;
  EXPECT_LT(primal_violation(model, r), 1e-6) << name;
  EXPECT_LT(dual_violation(model, r), 1e-6) << name;
  EXPECT_TRUE(r.primal_feasible && r.dual_feasible);
}

// The ray must be an improving direction that keeps every bound and row
// satisfied for all step lengths (components along which a bound is
// finite must point away from it).
void expect_valid_ray(const LpModel &m, const LpResult &r) {
  ASSERT_EQ(static_cast<int>(r.ray.size()), m.a.n);
  double slope = 0.0, big = 0.0;
  for (int j = 0; j < m.a.n; ++j) {
    slope += m.cost[j] * r.ray[j];
    big = std::max(big, std::fabs(r.ray[j]));
  }
  ASSERT_GT(big, 0.0);
  EXPECT_LT(slope, -1e-9 * big);
  const double tol = 1e-9 * big;
  for (int j = 0; j < m.a.n; ++j) {
    if (r.ray[j] > tol) {
      EXPECT_GE(m.colup[j], kInfBound) << "column " << j;
    }
    if (r.ray[j] < -tol) {
      EXPECT_LE(m.collo[j], -kInfBound) << "column " << j;
    }
  }
  std::vector<double> ad(m.a.m, 0.0);
  for (int j = 0; j < m.a.n; ++j)
    for (int k = m.a.start[j]; k < m.a.start[j + 1]; ++k) ad[m.a.index[k]] += m.a.value[k] * r.ray[j];
  for (int i = 0; i < m.a.m; ++i) {
    if (ad[i] > 1e-7 * big) {
      EXPECT_GE(m.rowup[i], kInfBound) << "row " << i;
    }
    if (ad[i] < -1e-7 * big) {
      EXPECT_LE(m.rowlo[i], -kInfBound) << "row " << i;
    }
  }
}

TEST(PrimalNetlib, SmallInstancesReachTheKnownOptimum) {
  for (const char *name : {"afiro", "sc50a", "sc50b", "adlittle", "blend", "share2b", "stocfor1", "kb2",
                           "scagr7", "israel", "share1b", "vtpbase", "boeing1", "agg", "beaconfd"})
    expect_netlib_optimal(name, 0);
}

TEST(PrimalNetlib, EveryPricingRuleSolves) {
  for (int pricing : {-1, 1, 2, 3, 4})
    for (const char *name : {"afiro", "adlittle", "share2b", "stocfor1", "lotfi"})
      expect_netlib_optimal(name, pricing);
}

// Partial reduced-cost pricing takes the best candidate of the first
// segment that holds one, the next call going on from there; the segment
// length is TVL_PARAM_PRICELIM when positive.  Full pricing ignores it.
TEST(PrimalPricingLimit, SegmentLengthDecidesTheCandidate) {
  std::vector<double> d = {0.0, -1.0, 0.0, -3.0, -2.0, 0.0, -5.0, 0.0};
  std::vector<int8_t> st(d.size(), kAtLower);
  std::vector<double> lo(d.size(), 0.0), up(d.size(), 1.0);
  const PrimalPricingView v{&d, &st, &lo, &up, 1e-7, nullptr};
  auto picks = [&](bool partial, int32_t segment) {
    std::unique_ptr<PrimalPricing> p = make_primal_dantzig_pricing(8, partial, segment);
    std::vector<int32_t> out;
    for (int k = 0; k < 3; ++k) out.push_back(p->choose(v));
    return out;
  };
  EXPECT_EQ(picks(true, 2), (std::vector<int32_t>{1, 3, 4}));
  EXPECT_EQ(picks(true, 4), (std::vector<int32_t>{3, 6, 3}));
  EXPECT_EQ(picks(true, 100), (std::vector<int32_t>{6, 6, 6}));
  EXPECT_EQ(picks(false, 2), (std::vector<int32_t>{6, 6, 6}));
}

// The kept candidate list: built from the attractive variables, extended
// by touches, pruned by the scan, and stale once the tolerance is lowered.
TEST(PrimalHybrid, CandidateListFollowsReducedCosts) {
  std::vector<double> d = {-1.0, 0.5, -2.0, 0.0, 3.0};
  std::vector<int8_t> st = {kAtLower, kAtLower, kBasic, kAtLower, kAtUpper};
  std::vector<double> lo = {0, 0, 0, 0, 0}, up = {1, 1, 1, 0, 1};
  const PrimalPricingView v{&d, &st, &lo, &up, 1e-7, nullptr};
  PrimalCandidates c;
  EXPECT_FALSE(c.covers(1e-7));
  c.rebuild(v, 5);
  auto listed = [&] {
    std::vector<int32_t> js;
    c.scan(v, [&](int32_t j, double) { js.push_back(j); });
    std::sort(js.begin(), js.end());
    return js;
  };
  EXPECT_EQ(listed(), (std::vector<int32_t>{0, 4}));
  d[1] = -0.7;  // becomes attractive
  d[0] = 0.2;   // no longer
  d[3] = -5.0;  // fixed: never enters
  for (int32_t j : {0, 1, 3}) c.touch(v, j);
  EXPECT_EQ(listed(), (std::vector<int32_t>{1, 4}));
  EXPECT_EQ(c.size(), 2u);
  d[0] = -0.5;
  c.touch(v, 0);
  EXPECT_EQ(listed(), (std::vector<int32_t>{0, 1, 4}));
  EXPECT_TRUE(c.covers(1e-6));
  EXPECT_FALSE(c.covers(1e-9));
}

// Steepest edge is chosen when its extra work is small against a long
// run, and left again when it costs several times devex; no decision is
// taken before every sample holds a window of iterations.
TEST(PrimalHybrid, SwitchFollowsSampledWork) {
  using Choice = PrimalHybridStats::Choice;
  auto sample = [](PrimalHybridStats &h, int iters, double steep) {
    for (int i = 0; i < iters; ++i) {
      h.priced(1000.0, 500.0);
      h.pivoted(800.0, 50.0);
      h.steep_solve(steep);
    }
  };
  PrimalHybridStats cheap(500, 1000, 5000);
  sample(cheap, 3, 100.0);
  EXPECT_EQ(cheap.decide(false, 2.0, false), Choice::Keep);  // window 8 not yet full
  sample(cheap, 10, 100.0);
  EXPECT_EQ(cheap.decide(false, 0.0, false), Choice::Keep);   // short run: devex stays
  sample(cheap, 10, 100.0);
  EXPECT_EQ(cheap.decide(false, 1.0, false), Choice::Steepest);

  PrimalHybridStats dear(500, 1000, 5000);
  sample(dear, 40, 40000.0);
  EXPECT_EQ(dear.decide(true, 0.5, false), Choice::Devex);
  sample(dear, 40, 40000.0);
  EXPECT_EQ(dear.decide(false, 0.5, false), Choice::Keep);
}

TEST(PrimalNetlib, FlippedObjectiveEndsUnboundedWithRay) {
  for (const char *name : {"adlittle", "blend", "stocfor1", "lotfi", "scagr7"}) {
    LpModel model;
    ASSERT_TRUE(load_netlib(name, model));
    for (double &c : model.cost) c = -c;
    for (int pricing : {0, 1, 2}) {
      const LpResult r = primal_simplex(model, quiet(pricing), nullptr);
      ASSERT_EQ(r.status, LpStatus::Unbounded) << name << " pricing " << pricing;
      EXPECT_TRUE(r.primal_feasible);
      EXPECT_FALSE(r.dual_feasible);
      expect_valid_ray(model, r);
      EXPECT_LT(primal_violation(model, r), 1e-6) << name;
    }
  }
}

// The primal's verdict carries its phase-1 duals as the certificate, which
// the verify step accepts without handing the LP to the dual.
TEST(PrimalNetlib, ObjectiveCutMakesInstanceInfeasibleWithCertificate) {
  for (const char *name : {"afiro", "adlittle", "share2b", "sc105"}) {
    LpModel model;
    ASSERT_TRUE(load_netlib(name, model));
    const LpModel cut = testing::with_objective_cut(model, netlib_optimum(name));
    const LpResult r = primal_simplex(cut, quiet(), nullptr);
    EXPECT_EQ(r.status, LpStatus::Infeasible) << name;
    EXPECT_FALSE(r.primal_feasible || r.dual_feasible);
    ASSERT_EQ(static_cast<int>(r.ray.size()), model.a.m + 1) << name;
    EXPECT_GT(farkas_margin(cut, r.ray), 0.0) << name;
    EXPECT_EQ(r.verify.switches, 0) << name;
  }
}

TEST(PrimalSmall, InfeasibleAndUnboundedToys) {
  // x <= 1 and x >= 2.
  LpModel m = dense_model(2, 1, {1, 1}, {1}, {-kInfBound}, {kInfBound}, {-kInfBound, 2}, {1, kInfBound});
  LpResult r = primal_simplex(m, quiet(), nullptr);
  EXPECT_EQ(r.status, LpStatus::Infeasible);
  EXPECT_GT(farkas_margin(m, r.ray), 0.0);
  // x + y = 5 with x, y in [0, 2].
  m = dense_model(1, 2, {1, 1}, {1, 1}, {0, 0}, {2, 2}, {5}, {5});
  r = primal_simplex(m, quiet(), nullptr);
  EXPECT_EQ(r.status, LpStatus::Infeasible);
  EXPECT_GT(farkas_margin(m, r.ray), 0.0);
  // min -x, x >= 0, the only row is about y.
  m = dense_model(1, 2, {0, 1}, {-1, 0}, {0, 0}, {kInfBound, kInfBound}, {-kInfBound}, {3});
  r = primal_simplex(m, quiet(), nullptr);
  ASSERT_EQ(r.status, LpStatus::Unbounded);
  expect_valid_ray(m, r);
  // min -x - y s.t. x - y <= 1: y (and x with it) grows without limit.
  m = dense_model(1, 2, {1, -1}, {-1, -1}, {0, 0}, {kInfBound, kInfBound}, {-kInfBound}, {1});
  r = primal_simplex(m, quiet(), nullptr);
  ASSERT_EQ(r.status, LpStatus::Unbounded);
  expect_valid_ray(m, r);
  // No rows at all: a free column with a cost.
  m = dense_model(0, 2, {}, {1, -2}, {0, -kInfBound}, {1, kInfBound}, {}, {});
  r = primal_simplex(m, quiet(), nullptr);
  ASSERT_EQ(r.status, LpStatus::Unbounded);
  expect_valid_ray(m, r);
}

TEST(PrimalSmall, FreeFixedRangedAndMaximisation) {
  const LpModel m = mixed_bounds_model();
  for (int pricing : {-1, 0, 1, 2, 3, 4}) {
    const LpResult r = primal_simplex(m, quiet(pricing), nullptr);
    ASSERT_EQ(r.status, LpStatus::Optimal) << pricing;
    EXPECT_LT(primal_violation(m, r), 1e-9);
    EXPECT_LT(dual_violation(m, r), 1e-9);
  }
  // max 3x + 2y (cost negated, objsense -1) s.t. x + y <= 4, x + 3y <= 6, x <= 3.
  LpModel mx = dense_model(2, 2, {1, 1, 1, 3}, {-3, -2}, {0, 0}, {3, kInfBound}, {-kInfBound, -kInfBound}, {4, 6});
  mx.objsense = -1;
  mx.offset = 5.0;
  const LpResult r = primal_simplex(mx, quiet(), nullptr);
  ASSERT_EQ(r.status, LpStatus::Optimal);
  EXPECT_NEAR(r.objval, -(3 * 3 + 2 * 1) + 5.0, 1e-9);
  EXPECT_NEAR(r.x[0], 3.0, 1e-9);
  EXPECT_NEAR(r.x[1], 1.0, 1e-9);
}

TEST(PrimalLimits, IterationObjectiveAndAbortStopTheRun) {
  LpModel model;
  ASSERT_TRUE(load_netlib("share2b", model));
  SimplexControl ctl = quiet();
  ctl.itlim = 0;
  LpResult r = primal_simplex(model, ctl, nullptr);
  EXPECT_EQ(r.status, LpStatus::IterLimit);
  EXPECT_EQ(r.iterations, 0);

  // Objective limit above the optimum: phase 2 passes it and stops.
  ctl = quiet();
  ctl.objllim = netlib_optimum("share2b") + 50.0;
  r = primal_simplex(model, ctl, nullptr);
  EXPECT_EQ(r.status, LpStatus::ObjLimit);
  EXPECT_TRUE(r.primal_feasible);
  EXPECT_LT(r.objval, ctl.objllim);

  ctl = quiet();
  int calls = 0;
  ctl.limit_check = [&calls](int64_t, const SimplexProbe &) { return ++calls > 3 ? LpStatus::Aborted : LpStatus::Unknown; };
  r = primal_simplex(model, ctl, nullptr);
  EXPECT_EQ(r.status, LpStatus::Aborted);
  EXPECT_LE(r.iterations, 3);
}

TEST(PrimalWarmStart, BoundAndObjectiveChangesResolveInFewIterations) {
  for (const char *name : {"stocfor1", "share2b", "adlittle", "scfxm1"}) {
    LpModel model;
    ASSERT_TRUE(load_netlib(name, model));
    const LpResult first = primal_simplex(model, quiet(), nullptr);
    ASSERT_EQ(first.status, LpStatus::Optimal);

    // The optimal basis restarts with no iteration.
    const LpResult again = primal_simplex(model, quiet(), &first.basis);
    EXPECT_EQ(again.status, LpStatus::Optimal);
    EXPECT_EQ(again.iterations, 0) << name;

    // Objective change: the basis stays primal feasible (phase 2 at once).
    LpModel recost = model;
    for (int j = 0; j < model.a.n; ++j)
      if (first.basis.colstat[j] != 1) recost.cost[j] *= 0.97;
    const LpResult warm_c = primal_simplex(recost, quiet(), &first.basis);
    const LpResult cold_c = primal_simplex(recost, quiet(), nullptr);
    ASSERT_EQ(warm_c.status, LpStatus::Optimal) << name;
    EXPECT_NEAR(warm_c.objval, cold_c.objval, 1e-6 * std::max(1.0, std::fabs(cold_c.objval))) << name;
    EXPECT_EQ(warm_c.phase1_iterations, 0) << name;
    EXPECT_LT(warm_c.iterations, std::max<int64_t>(10, cold_c.iterations / 4)) << name;

    // Bound change on the largest basic structural.
    int jmax = -1;
    for (int j = 0; j < model.a.n; ++j)
      if (first.basis.colstat[j] == 1 && std::fabs(first.x[j]) > 1e-3 &&
          (jmax < 0 || std::fabs(first.x[j]) > std::fabs(first.x[jmax])))
        jmax = j;
    ASSERT_GE(jmax, 0);
    LpModel changed = model;
    if (first.x[jmax] > 0) changed.colup[jmax] = first.x[jmax] * 0.9;
    else changed.collo[jmax] = first.x[jmax] * 0.9;
    const LpResult warm = primal_simplex(changed, quiet(), &first.basis);
    const LpResult cold = primal_simplex(changed, quiet(), nullptr);
    ASSERT_EQ(warm.status, cold.status) << name;
    if (cold.status == LpStatus::Optimal) {
      EXPECT_NEAR(warm.objval, cold.objval, 1e-6 * std::max(1.0, std::fabs(cold.objval))) << name;
    }
    EXPECT_LT(warm.iterations, std::max<int64_t>(10, cold.iterations / 3)) << name;
  }
}

void collect(void *handle, const char *msg) { static_cast<std::string *>(handle)->append(msg); }

struct LogCapture {
  TVLENVptr env = nullptr;
  std::string logged, other;
  LogCapture() {
    int status = -1;
    env = TVLopenTAVLO(&status);
    TVLCHANNELptr res, warn, err, log;
    TVLgetchannels(env, &res, &warn, &err, &log);
    TVLaddfuncdest(env, log, &logged, collect);
    TVLaddfuncdest(env, res, &other, collect);
    TVLaddfuncdest(env, warn, &other, collect);
    TVLaddfuncdest(env, err, &other, collect);
  }
  ~LogCapture() { TVLcloseTAVLO(&env); }
};

// The default pricing leaves reduced-cost pricing and moves between devex
// and steepest edge by their sampled cost; on these the run goes through
// steepest edge.  grow22 has large values: its final primal values must
// still satisfy the rows tightly.
TEST(PrimalNetlib, HybridPricingReachesSteepestEdgeAndStaysAccurate) {
  for (const char *name : {"degen3", "grow22"}) {
    LogCapture cap;
    SimplexControl ctl = quiet();
    ctl.env = cap.env;
    ctl.display = 1;
    LpModel model;
    ASSERT_TRUE(load_netlib(name, model));
    const LpResult r = primal_simplex(model, ctl, nullptr);
    ASSERT_EQ(r.status, LpStatus::Optimal) << name;
    const double ref = netlib_optimum(name);
    EXPECT_LT(std::fabs(r.objval - ref) / std::max(1.0, std::fabs(ref)), 1e-6) << name;
    EXPECT_LT(primal_violation(model, r), 1e-8) << name;
    EXPECT_NE(cap.logged.find("Switched to steepest-edge.\n"), std::string::npos) << name;
  }
}

TEST(PrimalDeterminism, TwoRunsGiveTheSameIterationsAndLog) {
  for (const char *name : {"israel", "scfxm1", "degen2"}) {
    LpModel model;
    ASSERT_TRUE(load_netlib(name, model));
    LogCapture a, b;
    SimplexControl ca = quiet(), cb = quiet();
    ca.env = a.env;
    cb.env = b.env;
    ca.display = cb.display = 2;
    const LpResult ra = primal_simplex(model, ca, nullptr);
    const LpResult rb = primal_simplex(model, cb, nullptr);
    EXPECT_EQ(ra.iterations, rb.iterations) << name;
    EXPECT_EQ(ra.objval, rb.objval) << name;
    EXPECT_EQ(ra.x, rb.x) << name;
    EXPECT_EQ(ra.basis.colstat, rb.basis.colstat) << name;
    EXPECT_EQ(tvltest::untimed(a.logged), tvltest::untimed(b.logged)) << name;
  }
}

TEST(PrimalLog, LinesGoToTheLogChannelWithTheirTexts) {
  LogCapture cap;
  LpModel model;
  ASSERT_TRUE(load_netlib("adlittle", model));
  SimplexControl ctl = quiet();
  ctl.env = cap.env;
  ctl.display = 1;
  ctl.scaling = -1;
  EXPECT_EQ(primal_simplex(model, ctl, nullptr).status, LpStatus::Optimal);
  EXPECT_EQ(cap.logged.rfind("\nIteration log . . .\n", 0), 0u) << cap.logged;
  EXPECT_NE(cap.logged.find("    Infeasibility = "), std::string::npos) << cap.logged;
  EXPECT_NE(cap.logged.find("    Objective     = "), std::string::npos) << cap.logged;
  EXPECT_TRUE(cap.other.empty());

  cap.logged.clear();
  ctl.scaling = 0;
  primal_simplex(model, ctl, nullptr);
  EXPECT_NE(cap.logged.find("    Scaled infeas = "), std::string::npos) << cap.logged;

  cap.logged.clear();
  ctl.display = 2;
  primal_simplex(model, ctl, nullptr);
  const std::string header = "\nIteration           Objective            In Variable           Out Variable\n";
  EXPECT_NE(cap.logged.find(header), std::string::npos) << cap.logged.substr(0, 300);
  EXPECT_EQ(cap.logged.find(header), cap.logged.rfind(header));

  // Steepest edge announces its initial norms.
  cap.logged.clear();
  ctl.display = 1;
  ctl.pricing = 2;
  primal_simplex(model, ctl, nullptr);
  EXPECT_NE(cap.logged.find("Initializing primal norms . . .\n"), std::string::npos);

  cap.logged.clear();
  ctl.display = 0;
  primal_simplex(model, ctl, nullptr);
  EXPECT_TRUE(cap.logged.empty());
}

TEST(PrimalPerturbation, ShortWindowPerturbsAndRemovesOnDegenerateLp) {
  LogCapture cap;
  LpModel model;
  ASSERT_TRUE(load_netlib("degen2", model));
  SimplexControl ctl = quiet();
  ctl.env = cap.env;
  ctl.display = 1;
  ctl.perlim = 10;
  const LpResult r = primal_simplex(model, ctl, nullptr);
  ASSERT_EQ(r.status, LpStatus::Optimal);
  const double ref = netlib_optimum("degen2");
  EXPECT_LT(std::fabs(r.objval - ref) / std::fabs(ref), 1e-6);
  EXPECT_NE(cap.logged.find("Perturbation started.\n"), std::string::npos);
  EXPECT_NE(cap.logged.find("Removing perturbation.\n"), std::string::npos);
  EXPECT_LT(primal_violation(model, r), 1e-6);
  EXPECT_LT(dual_violation(model, r), 1e-6);
}

}  // namespace
}  // namespace tvl::lp
