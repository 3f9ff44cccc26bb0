// The feasibility pump: its arithmetic pinned (random sequence, rounding
// thresholds, stall flip counts, cycle signature, infeasibility measure)
// and whole pump runs on bundled MIPLIB instances whose completed points
// must satisfy the model read again from its file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "frame/problem.h"
#include "lp/lpcomp.h"
#include "mip/heuristics/feaspump.h"
#include "mip/heuristics/root_pump.h"
#include "mip/mip_model.h"
#include "mip/node_lp.h"
#include "simplex/dualopt.h"
#include "support/api_session.h"
#include "support/mip_check.h"

namespace tvl::mip {
namespace {

TEST(FeasPump, RandomSequenceThresholdsFlipsAndSignature) {
  // s <- s * 6364136223846793005 + 1442695040888963407 mod 2^64; the draw
  // is bits 32..62 (values worked out independently).
  PumpRandom rng(20070101);
  EXPECT_EQ(rng.draw(), 1199450221u);
  EXPECT_EQ(rng.state(), 5151599476273657792ull);
  EXPECT_EQ(rng.draw(), 170919675u);
  EXPECT_DOUBLE_EQ(rng.uniform(), 1733981993 * 4.656612873077393e-10);
  EXPECT_NEAR(1733981993 * 4.656612873077393e-10, 0.8074482870288193, 1e-15);

  // tau = 2u(1-u) up to 0.5, mirrored above: never 0.5-biased at the ends.
  EXPECT_DOUBLE_EQ(pump_threshold(0.0), 0.0);
  EXPECT_DOUBLE_EQ(pump_threshold(0.25), 0.375);
  EXPECT_DOUBLE_EQ(pump_threshold(0.5), 0.5);
  EXPECT_DOUBLE_EQ(pump_threshold(0.75), 0.625);
  EXPECT_NEAR(pump_threshold(0.999), 1.0 - 2.0 * 0.999 * 0.001, 1e-15);

  // T: 10..30 from 21 candidates on (capped by m), r mod m + 1 below.
  EXPECT_EQ(pump_flip_count(0, 21), 10);
  EXPECT_EQ(pump_flip_count(20, 21), 21);  // 20 + 10 = 30 capped at m
  EXPECT_EQ(pump_flip_count(20, 100), 30);
  EXPECT_EQ(pump_flip_count(21, 100), 10);
  EXPECT_EQ(pump_flip_count(7, 5), 3);
  EXPECT_EQ(pump_flip_count(4, 20), 5);
  EXPECT_EQ(pump_flip_count(12345, 1), 1);
  EXPECT_EQ(pump_flip_count(12345, 0), 0);

  // h = sum over the columns in scope, numbered from 1, of
  // (floor(x~ + 0.5) + 0.5) / k; columns outside the scope do not count.
  const std::vector<double> xt = {1.0, 7.0, 0.0, 2.0};
  EXPECT_DOUBLE_EQ(pump_signature(xt, {0, 2, 3}), 1.5 / 1 + 0.5 / 2 + 2.5 / 3);
  EXPECT_NE(pump_signature({0.0, 1.0}, {0, 1}), pump_signature({1.0, 0.0}, {0, 1}));

  // Delta: distance to the nearest integer of the columns in scope, values
  // within tol of an integer count as integral.
  const std::vector<double> x = {0.25, 0.9, 3.0000001, 2.5, 0.4};
  EXPECT_NEAR(pump_infeasibility(x, {0, 1, 2, 3}, 1e-5), 0.25 + 0.1 + 0.5, 1e-12);
  EXPECT_EQ(pump_infeasibility(x, {2}, 1e-5), 0.0);
}

struct Root {
  tvltest::ApiSession s{"pump"};
  MipModel model;
  lp::LpResult lp;
  std::string file;
};

void solve_root(Root &r, const std::string &name) {
  r.file = tvltest::instance_path("miplib", name);
  ASSERT_EQ(TVLreadcopyprob(r.s.env, r.s.lp, r.file.c_str(), nullptr), 0);
  build_mip_model(r.s.lp, r.model);
  lp::SimplexControl ctl = lp::simplex_control(r.s.env);
  ctl.display = 0;
  r.lp = lp::dual_simplex(r.model.lp, ctl, nullptr);
  ASSERT_EQ(r.lp.status, lp::LpStatus::Optimal);
}

// Pure-binary and mixed instances whose root LP is fractional: the pump
// (feasibility only, and with the objective) completes a point that the
// file's model accepts.  It starts from the root LP as the search left it:
// the node LP with the bounds of a dive (here crossed, so that a pump on
// them could find nothing); the pump works on the root's bounds.
TEST(FeasPump, FindsSolutionsOfBundledInstances) {
  for (const char *name : {"lseu", "stein27", "gt2", "egout", "rgn", "markshare1"}) {
    for (int fpheur : {1, 2}) {
      Root r;
      solve_root(r, name);
      NodeLp node(r.model, lp::simplex_control(r.s.env));
      const lp::LpResult root = node.solve();
      ASSERT_EQ(root.status, lp::LpStatus::Optimal);
      for (int32_t j : r.model.intcols) node.set_bounds(j, 1.0, 0.0);
      HeurInput in;
      in.env = r.s.env;
      in.model = &r.model;
      in.lp = &root;
      in.node_lp = &node;
      in.epint = 1e-5;
      Points found;
      run_root_pump(in, fpheur, found);
      EXPECT_EQ(found.size(), 1u) << name << " FPHEUR " << fpheur;
      if (found.empty()) continue;
      EXPECT_LE(tvltest::mip_violation(r.file, found[0]), 1e-6) << name;
    }
  }
}

// An all-zero objective sets alpha to 0 at once; a start that is already
// integral on the columns in scope ends after one LP.
TEST(FeasPump, ZeroObjectiveAndIntegralStart) {
  Root r;
  solve_root(r, "p0033");
  std::fill(r.model.lp.cost.begin(), r.model.lp.cost.end(), 0.0);
  std::vector<char> ctype(static_cast<size_t>(r.model.n()), 'B');
  PumpInput in;
  in.env = r.s.env;
  in.lp = &r.model.lp;
  in.ctype = &ctype;
  in.x = r.lp.x;
  in.basis = r.lp.basis;
  in.start_time = 0.0;
  PumpRandom rng(1);
  PumpState st;
  st.alpha = 1.0;
  feasibility_pump(in, rng, st);
  EXPECT_EQ(st.alpha, 0.0);
  ASSERT_LT(st.best, 1e-10);
  EXPECT_EQ(pump_infeasibility(st.best_x, r.model.intcols, 1e-5), 0.0);

  PumpInput again = in;
  again.x = st.best_x;
  PumpState st2;
  PumpRandom rng2(1);
  feasibility_pump(again, rng2, st2);
  EXPECT_EQ(st2.iterations, 0);
  EXPECT_LT(st2.best, 1e-10);
}

}  // namespace
}  // namespace tvl::mip
