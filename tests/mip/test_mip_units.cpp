// Pieces of the search that decide correctness on their own: the pruning
// cutoff, the objective granularity it relies on, and the order in which
// the node queue hands out nodes.
#include <gtest/gtest.h>

#include <memory>

#include "mip/incumbent.h"
#include "mip/mip_state.h"
#include "mip/node_queue.h"

namespace {

using namespace tvl::mip;

TEST(MipCutoff, RuleAndPruningMargin) {
  CutoffSettings s;
  // Default: a relative 1e-10 below the value.
  EXPECT_DOUBLE_EQ(pruning_cutoff(s, 100.0), 100.0 - 1e-8);
  s.objdif = 2.5;
  EXPECT_DOUBLE_EQ(pruning_cutoff(s, 100.0), 97.5);
  s.objdif = 0.0;
  s.relobjdif = 0.01;
  EXPECT_DOUBLE_EQ(pruning_cutoff(s, -200.0), -202.0);
  // Granularity 1 (offset 0.5): the next achievable value below v.
  s.relobjdif = 0.0;
  s.granularity = 1.0;
  s.offset = 0.5;
  EXPECT_DOUBLE_EQ(pruning_cutoff(s, 10.5), 9.5);
  // A node whose bound is exactly that value may still hold a better
  // solution and survives; anything above by more than rounding noise goes.
  IncumbentRecord rec;
  Incumbent inc(rec, s);
  EXPECT_FALSE(inc.prunes(1e30));  // no incumbent, no user cutoff
  ASSERT_TRUE(inc.offer({1.0}, 10.5, 3));
  EXPECT_FALSE(inc.offer({2.0}, 10.5, 4));  // not strictly better
  EXPECT_EQ(rec.updates, 1);
  EXPECT_EQ(rec.node, 3);
  EXPECT_FALSE(inc.prunes(9.5));
  EXPECT_FALSE(inc.prunes(9.5 + 1e-7));
  EXPECT_TRUE(inc.prunes(9.6));
  // A user cutoff prunes before any incumbent exists.
  CutoffSettings u;
  u.user_cutoff = 50.0;
  IncumbentRecord rec2;
  Incumbent cut(rec2, u);
  EXPECT_TRUE(cut.prunes(50.1));
  EXPECT_FALSE(cut.prunes(49.0));
}

TEST(MipGap, RelativeGapFollowsTheZeroRules) {
  EXPECT_EQ(relative_gap(1, 0.0, -1e-12), 0.0);
  EXPECT_NEAR(relative_gap(1, 100.0, 99.995), 5e-5, 1e-12);
  EXPECT_NEAR(relative_gap(-1, 90.0, 100.0), 10.0 / 90.0, 1e-12);
}

std::unique_ptr<Node> node(double bound, int depth, double estimate = 0.0) {
  auto n = std::make_unique<Node>();
  n->bound = bound;
  n->depth = depth;
  n->estimate = estimate;
  return n;
}

TEST(MipNodeQueue, SelectionModesAndPruning) {
  // Best bound: smallest bound first; the best bound is tracked throughout.
  NodeQueue bb(kBestBound, 7, 1);
  bb.push(node(5.0, 1), 1e75);
  bb.push(node(3.0, 4), 1e75);
  bb.push(node(4.0, 2), 1e75);
  EXPECT_EQ(bb.best_bound(), 3.0);
  EXPECT_EQ(bb.pop()->bound, 3.0);
  EXPECT_EQ(bb.best_bound(), 4.0);
  // Pruning removes the nodes at or above the threshold only.
  EXPECT_EQ(bb.prune([](double b) { return b >= 5.0; }), 1);
  EXPECT_EQ(bb.size(), 1);
  EXPECT_EQ(bb.pop()->bound, 4.0);
  EXPECT_EQ(bb.pop(), nullptr);

  // Depth first: the deepest node first, whatever its bound.
  NodeQueue df(kDepthFirst, 7, 1);
  df.push(node(1.0, 1), 1e75);
  df.push(node(9.0, 3), 1e75);
  df.push(node(2.0, 2), 1e75);
  EXPECT_EQ(df.pop()->depth, 3);
  EXPECT_EQ(df.pop()->depth, 2);
  EXPECT_EQ(df.best_bound(), 1.0);

  // Best estimate with interval 3: selections 0, 3, 6 take the best-bound
  // node, the others the best estimate.
  NodeQueue be(kBestEstimate, 3, 1);
  for (int k = 0; k < 6; ++k) be.push(node(k, 1, 10.0 - 2.0 * k), 1e75);  // estimate + bound = 10 - k
  EXPECT_EQ(be.pop()->bound, 0.0);  // selection 0: best bound
  EXPECT_EQ(be.pop()->bound, 5.0);  // best estimate
  EXPECT_EQ(be.pop()->bound, 4.0);
  EXPECT_EQ(be.pop()->bound, 1.0);  // selection 3: best bound
  EXPECT_EQ(be.pop()->bound, 3.0);
  EXPECT_EQ(be.pop()->bound, 2.0);
  EXPECT_TRUE(be.empty());
}

TEST(MipNodeQueue, BestBoundGoesByEstimateUntilTheFirstIncumbent) {
  // No incumbent: the estimate's order, every third selection by bound.
  NodeQueue q(kBestBound, 3, 1);
  q.set_estimate_first(true);
  for (int k = 0; k < 6; ++k) q.push(node(k, 1, 10.0 - 2.0 * k), 1e75);  // estimate + bound = 10 - k
  EXPECT_EQ(q.pop()->bound, 0.0);  // selection 0: best bound
  EXPECT_EQ(q.pop()->bound, 5.0);  // best estimate
  EXPECT_EQ(q.pop()->bound, 4.0);
  // A push under an incumbent re-keys every open node by bound.
  q.push(node(2.5, 2, 100.0), 50.0);
  EXPECT_EQ(q.pop()->bound, 1.0);
  EXPECT_EQ(q.pop()->bound, 2.0);
  EXPECT_EQ(q.pop()->bound, 2.5);
  EXPECT_EQ(q.pop()->bound, 3.0);
  EXPECT_TRUE(q.empty());
}

}  // namespace
