// Node bound propagation: along dives that agree with a known optimal
// solution no bound may exclude it (on real instances, where the rows are
// varied enough to exercise every derivation), while fixings that
// contradict a row are proved infeasible without an LP.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "lp/lpcomp.h"
#include "mip/mip_model.h"
#include "mip/node_lp.h"
#include "mip/propagation.h"
#include "mip/known_optimum.h"
#include "mip/row_model.h"

namespace {

using tvl::mip::BoundChange;
using tvl::mip::MipModel;

// Fixes random integer columns, one at a time, at the optimal solution's
// values and propagates after each; returns the number of bounds derived.
int64_t dive_along_optimum(const std::string &name) {
  tvltest::ApiSession s("propagation");
  MipModel model;
  double optval = 0.0;
  const std::vector<double> opt = tvltest::known_optimum(s, name, model, optval);
  if (opt.empty()) return 0;

  tvl::mip::NodeLp lp(model, tvl::lp::simplex_control(s.env));
  tvl::mip::NodePropagator prop(model, 1e-6);
  std::mt19937 rng(7);
  for (int dive = 0; dive < 20; ++dive) {
    std::vector<BoundChange> changes;
    lp.load(changes);
    std::vector<int32_t> order = model.intcols;
    std::shuffle(order.begin(), order.end(), rng);
    for (size_t k = 0; k < order.size() && k < 30; ++k) {
      const int32_t j = order[k];
      const double v = std::round(opt[static_cast<size_t>(j)]);
      if (lp.lower(j) == lp.upper(j)) continue;
      lp.set_bounds(j, v, v);
      changes.push_back({j, v, v});
      EXPECT_TRUE(prop.run(lp, {j}, changes)) << name << ": the optimum's own fixings proved infeasible";
      for (int32_t c = 0; c < model.n(); ++c) {
        EXPECT_GE(opt[static_cast<size_t>(c)], lp.lower(c) - 1e-6) << name << " column " << c;
        EXPECT_LE(opt[static_cast<size_t>(c)], lp.upper(c) + 1e-6) << name << " column " << c;
      }
      if (testing::Test::HasFailure()) return prop.tightened();
    }
    // What the node LP holds is exactly what the changes record.
    std::vector<double> lo(static_cast<size_t>(model.n())), up(lo.size());
    for (int32_t c = 0; c < model.n(); ++c) lo[static_cast<size_t>(c)] = lp.lower(c), up[static_cast<size_t>(c)] = lp.upper(c);
    lp.load(changes);
    for (int32_t c = 0; c < model.n(); ++c) {
      EXPECT_EQ(lp.lower(c), lo[static_cast<size_t>(c)]);
      EXPECT_EQ(lp.upper(c), up[static_cast<size_t>(c)]);
    }
  }
  return prop.tightened();
}

TEST(NodePropagation, NeverExcludesAKnownOptimumAndDerivesBounds) {
  int64_t derived = 0;
  for (const char *name : {"enigma", "flugpl", "gt2", "lseu", "p0033", "stein27"}) derived += dive_along_optimum(name);
  EXPECT_GT(derived, 100);
}

TEST(NodePropagation, ContradictingFixingsAreInfeasibleAndChainsAreFollowed) {
  // x0 + x1 + x2 = 1 (set partitioning), x2 - x3 <= 0, x3 + x4 <= 1; binaries.
  MipModel model;
  tvl::lp::LpModel &m = model.lp;
  m.a.m = 3;
  m.a.n = 5;
  m.a.start = {0, 1, 2, 4, 6, 7};
  m.a.index = {0, 0, 0, 1, 1, 2, 2};
  m.a.value = {1, 1, 1, 1, -1, 1, 1};
  m.rowlo = {1, -1e20, -1e20};
  m.rowup = {1, 0, 1};
  m.collo.assign(5, 0.0);
  m.colup.assign(5, 1.0);
  m.cost.assign(5, 0.0);
  m.objsense = 1;
  model.integer.assign(5, 1);
  tvl::mip::complete_mip_model(model);
  tvltest::ApiSession s("propagation-small");
  tvl::mip::NodeLp lp(model, tvl::lp::simplex_control(s.env));
  tvl::mip::NodePropagator prop(model, 1e-6);

  // x4 = 1 forces x3 = 0, then x2 = 0; with x0 = 0 the partition needs x1 = 1.
  std::vector<BoundChange> changes = {{4, 1, 1}, {0, 0, 0}};
  lp.load(changes);
  ASSERT_TRUE(prop.run(lp, {4, 0}, changes));
  EXPECT_EQ(lp.upper(3), 0.0);
  EXPECT_EQ(lp.upper(2), 0.0);
  EXPECT_EQ(lp.lower(1), 1.0);
  EXPECT_EQ(changes.size(), 5u);

  // x0 = 1 and x1 = 1 break the partition.
  changes = {{0, 1, 1}, {1, 1, 1}};
  lp.load(changes);
  EXPECT_FALSE(prop.run(lp, {0, 1}, changes));
  EXPECT_EQ(prop.cutoffs(), 1);
  // The propagator is usable again after a cutoff: the queue was emptied.
  changes = {{2, 1, 1}};
  lp.load(changes);
  ASSERT_TRUE(prop.run(lp, {2}, changes));
  EXPECT_EQ(lp.lower(3), 1.0);
  EXPECT_EQ(lp.upper(4), 0.0);
  EXPECT_EQ(lp.upper(0), 0.0);
}

// A node's bound changes apply within the root bounds, which may have
// been tightened after the node was made (reduced-cost fixing against a
// new incumbent): a change that overlaps them is cut to the overlap, one
// that misses them entirely marks the node as beyond the cutoff.
TEST(NodeLp, NodeChangesApplyWithinTightenedRootBounds) {
  tvltest::ApiSession s("nodelp");
  const MipModel m = tvltest::row_model({{1, 1, 1}}, {-1e20}, {4}, {-1, -1, -1}, {3, 3, 3});
  tvl::mip::NodeLp lp(m, tvl::lp::simplex_control(s.env));
  const std::vector<BoundChange> node = {{0, 1, 3}, {1, 2, 3}, {2, 0, 1}};
  EXPECT_TRUE(lp.load(node));
  lp.tighten_root(0, 0, 2);
  lp.tighten_root(1, 0, 1);
  EXPECT_FALSE(lp.load(node));
  EXPECT_EQ(lp.lower(0), 1);  // [1, 3] within [0, 2]
  EXPECT_EQ(lp.upper(0), 2);
  EXPECT_EQ(lp.lower(1), 2);  // [2, 3] misses [0, 1]: applied as it is
  EXPECT_EQ(lp.upper(1), 3);
  EXPECT_TRUE(lp.load({{0, 0, 1}, {2, 1, 1}}));
  EXPECT_EQ(lp.upper(1), 1);  // back at the tightened root bound
  EXPECT_EQ(lp.lower(2), 1);
  const tvl::lp::LpResult r = lp.solve();
  ASSERT_EQ(r.status, tvl::lp::LpStatus::Optimal);
  EXPECT_NEAR(r.objval, -3.0, 1e-9);  // x = (1, 1, 1): the root bounds bind, not the row
}

}  // namespace
