// The dual and primal ratio tests on hand-made rows and columns: bound
// flipping over several breakpoints, Harris' two passes against tiny
// pivots, ties, bound flips of the entering variable, unbounded steps and
// phase-1 breakpoints.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "simplex/ratio_dual.h"
#include "simplex/ratio_primal.h"
#include "simplex/simplex_lp.h"

namespace {

using namespace tvl::lp;

constexpr double kInfinite = kWorkInf;

// Nonbasic variables with a pivot row entry each, for the dual ratio test.
struct DualRow {
  std::vector<double> dual, lower, upper;
  std::vector<int8_t> status;
  HVector row;
  explicit DualRow(int32_t size) {
    dual.assign(size, 0.0);
    lower.assign(size, 0.0);
    upper.assign(size, kInfinite);
    status.assign(size, kBasic);
    row.setup(size);
  }
  // Nonbasic j with reduced cost d, bounds [lo, up], status s and row entry alpha.
  void add(int32_t j, double alpha, double d, int8_t s, double lo = 0.0, double up = kInfinite) {
    row.array[j] = alpha;
    row.index[row.count++] = j;
    dual[j] = d;
    status[j] = s;
    lower[j] = lo;
    upper[j] = up;
  }
  DualRatioInput input(double move_out, double infeasibility, double dual_tol = 1e-9) const {
    DualRatioInput in;
    in.row = &row;
    in.dual = &dual;
    in.status = &status;
    in.lower = &lower;
    in.upper = &upper;
    in.move_out = move_out;
    in.infeasibility = infeasibility;
    in.dual_tol = dual_tol;
    in.primal_tol = 1e-7;
    return in;
  }
};

// Boxed breakpoints at ratios 0.1, 0.2, 0.3, 0.4 (range 1, |alpha| 1, each
// absorbing one unit of slope), listed out of order, and optionally a
// variable without upper bound at ratio 0.5.
DualRow four_boxed(bool with_unbounded) {
  DualRow r(8);
  r.add(3, 1.0, 0.3, kAtLower, 0.0, 1.0);
  r.add(0, 1.0, 0.1, kAtLower, 0.0, 1.0);
  // At its upper bound: a negative entry and a nonpositive reduced cost.
  r.add(6, -1.0, -0.4, kAtUpper, -1.0, 0.0);
  r.add(1, 1.0, 0.2, kAtLower, 0.0, 1.0);
  if (with_unbounded) r.add(5, 1.0, 0.5, kAtLower);
  // Entries of the wrong sign never enter: they would move their reduced
  // costs away from zero.
  r.add(2, -1.0, 0.01, kAtLower, 0.0, 1.0);
  r.add(7, 1.0, -0.01, kAtUpper, 0.0, 1.0);
  return r;
}

TEST(DualRatio, BoundFlippingPassesBreakpointsWhileTheSlopeStaysPositive) {
  DualRatioTest test;
  DualRatioResult out;
  {
    // Slope 10: all four boxed breakpoints are passed (flipped) and the
    // variable without upper bound enters.
    const DualRow r = four_boxed(true);
    ASSERT_TRUE(test.run(r.input(1.0, 10.0), out));
    EXPECT_EQ(out.enter, 5);
    EXPECT_EQ(out.alpha, 1.0);
    EXPECT_EQ(out.flips, (std::vector<int32_t>{0, 1, 3, 6}));
  }
  {
    // Slope 2.5: two flips leave 0.5, which the third breakpoint absorbs.
    const DualRow r = four_boxed(true);
    ASSERT_TRUE(test.run(r.input(1.0, 2.5), out));
    EXPECT_EQ(out.enter, 3);
    EXPECT_EQ(out.flips, (std::vector<int32_t>{0, 1}));
  }
  {
    // Slope 0.5: the first breakpoint already absorbs it, nothing flips.
    const DualRow r = four_boxed(true);
    ASSERT_TRUE(test.run(r.input(1.0, 0.5), out));
    EXPECT_EQ(out.enter, 0);
    EXPECT_TRUE(out.flips.empty());
  }
  {
    // Slope exactly 4 and no unbounded candidate: the flips make the
    // leaving variable feasible, so the last breakpoint enters instead of
    // being flipped.
    const DualRow r = four_boxed(false);
    ASSERT_TRUE(test.run(r.input(1.0, 4.0), out));
    EXPECT_EQ(out.enter, 6);
    EXPECT_EQ(out.alpha, -1.0);
    EXPECT_EQ(out.flips, (std::vector<int32_t>{0, 1, 3}));
  }
  {
    // Slope 10 and only boxed candidates: every breakpoint passed with the
    // slope still positive means the dual is unbounded along this row.
    const DualRow r = four_boxed(false);
    EXPECT_FALSE(test.run(r.input(1.0, 10.0), out));
    EXPECT_EQ(out.enter, -1);
    EXPECT_TRUE(out.flips.empty());
  }
  {
    // Leaving below its lower bound (move_out -1) mirrors the signs: the
    // wrong-sign entries above are now the only candidates.
    const DualRow r = four_boxed(true);
    ASSERT_TRUE(test.run(r.input(-1.0, 0.5), out));
    // Both have ratio 0.01 and |alpha| 1; without a long step the group
    // keeps the row's order and the first listed enters.
    EXPECT_EQ(out.enter, 2);
  }
}

TEST(DualRatio, HarrisPassPrefersALargePivotWithinTheTolerance) {
  DualRatioTest test;
  DualRatioResult out;
  {
    // Textbook ratio picks j=0 (ratio 0, pivot 1e-3); Harris' bound
    // (0 + 1e-7) / 1e-3 = 1e-4 admits j=1 (ratio 5e-5, pivot 1) and the
    // larger pivot wins.  j=2 lies beyond the bound.
    DualRow r(3);
    r.add(0, 1e-3, 0.0, kAtLower);
    r.add(1, 1.0, 5e-5, kAtLower);
    r.add(2, 4.0, 1e-3, kAtLower);
    ASSERT_TRUE(test.run(r.input(1.0, 1.0, 1e-7), out));
    EXPECT_EQ(out.enter, 1);
    // With a tighter tolerance the bound is (0 + 1e-12) / 1e-3 = 1e-9 and
    // only the tiny pivot qualifies.
    ASSERT_TRUE(test.run(r.input(1.0, 1.0, 1e-12), out));
    EXPECT_EQ(out.enter, 0);
  }
  {
    // A reduced cost slightly on the wrong side (within the tolerance)
    // still counts, at a negative ratio; entries below the pivot
    // tolerance never enter.
    DualRow r(3);
    r.add(0, 2.0, -5e-8, kAtLower);
    r.add(1, 1e-12, 0.0, kAtLower);
    r.add(2, 1.0, 1e-3, kAtLower);
    ASSERT_TRUE(test.run(r.input(1.0, 1.0, 1e-7), out));
    EXPECT_EQ(out.enter, 0);
  }
  {
    // Fixed variables and basic ones never enter; a free nonbasic variable
    // enters with either sign of its entry.
    DualRow r(4);
    r.add(0, 1.0, 0.0, kAtLower, 2.0, 2.0);
    r.add(1, 5.0, 0.0, kBasic);
    r.add(2, -3.0, 0.0, kFreeNb, -kInfinite, kInfinite);
    ASSERT_TRUE(test.run(r.input(1.0, 1.0), out));
    EXPECT_EQ(out.enter, 2);
    // Without the free variable nothing can enter: the row proves
    // primal infeasibility.
    r.status[2] = kBasic;
    EXPECT_FALSE(test.run(r.input(1.0, 1.0), out));
    EXPECT_EQ(out.enter, -1);
  }
}

TEST(DualRatio, TiesGoToTheSmallerRatioThenTheLowerIndex) {
  DualRatioTest test;
  DualRatioResult out;
  // One boxed breakpoint to pass forces the long step; behind it, three
  // candidates with equal |alpha| within one Harris group: 4 and 2 tie at
  // ratio 0.5, 6 has a slightly larger ratio.  The listing order of the
  // row must not matter.
  for (const bool reversed : {false, true}) {
    DualRow r(8);
    auto add_all = [&](std::vector<int32_t> order) {
      for (int32_t j : order) {
        if (j == 0) r.add(0, 1.0, 0.1, kAtLower, 0.0, 1.0);
        if (j == 2) r.add(2, 2.0, 1.0, kAtLower);
        if (j == 4) r.add(4, 2.0, 1.0, kAtLower);
        if (j == 6) r.add(6, 2.0, 1.0 + 1e-10, kAtLower);
      }
    };
    add_all(reversed ? std::vector<int32_t>{6, 4, 2, 0} : std::vector<int32_t>{0, 2, 4, 6});
    ASSERT_TRUE(test.run(r.input(1.0, 5.0, 1e-7), out)) << reversed;
    EXPECT_EQ(out.enter, 2) << reversed;
    EXPECT_EQ(out.flips, std::vector<int32_t>{0}) << reversed;
    // A slope the first group absorbs takes the short step: the same three
    // tie there, and the lower index wins again (the row-wise pivot row
    // lists its entries in an order that depends on earlier pivots).
    ASSERT_TRUE(test.run(r.input(1.0, 0.5, 1e-7), out)) << reversed;
    EXPECT_EQ(out.enter, 0) << reversed;
    DualRow t(8);
    for (int32_t j : reversed ? std::vector<int32_t>{6, 4, 2} : std::vector<int32_t>{2, 4, 6})
      t.add(j, 2.0, j == 6 ? 1.0 + 1e-10 : 1.0, kAtLower);
    ASSERT_TRUE(test.run(t.input(1.0, 0.5, 1e-7), out)) << reversed;
    EXPECT_EQ(out.enter, 2) << reversed;
    EXPECT_TRUE(out.flips.empty()) << reversed;
  }
}

// The fused form (candidates offered while the row is computed) chooses as
// run() does, including after a test on a longer row (its buffer is reused
// without clearing).
TEST(DualRatio, OfferedCandidatesChooseAsTheWholeRowDoes) {
  DualRatioTest whole, fused;
  DualRatioResult a, b;
  DualRow wide(64);
  for (int32_t j = 0; j < 64; ++j) wide.add(j, 1.0 + j % 3, 0.01 * (j % 7), kAtLower, 0.0, 1.0);
  for (const bool with_unbounded : {true, false}) {
    for (const double slope : {0.5, 2.5, 4.0, 10.0}) {
      for (const double move_out : {1.0, -1.0}) {
        fused.begin(wide.input(1.0, 30.0));
        for (int32_t k = 0; k < wide.row.count; ++k) fused.offer(wide.row.index[k], wide.row.array[wide.row.index[k]]);
        fused.finish(wide.input(1.0, 30.0), b);
        const DualRow r = four_boxed(with_unbounded);
        const DualRatioInput in = r.input(move_out, slope);
        const bool found = whole.run(in, a);
        fused.begin(in);
        for (int32_t k = 0; k < r.row.count; ++k) fused.offer(r.row.index[k], r.row.array[r.row.index[k]]);
        EXPECT_EQ(fused.finish(in, b), found);
        EXPECT_EQ(b.enter, a.enter);
        if (found) {
          EXPECT_EQ(b.alpha, a.alpha);
        }
        EXPECT_EQ(b.flips, a.flips);
      }
    }
  }
}

// Basic variables by position with a FTRAN'd entering column.
struct PrimalColumn {
  std::vector<int32_t> head;
  std::vector<double> x, lower, upper;
  HVector column;
  explicit PrimalColumn(int32_t m) : head(m), x(m, 0.0), lower(m, 0.0), upper(m, kInfinite) {
    for (int32_t i = 0; i < m; ++i) head[i] = i;
    column.setup(m);
  }
  void set(int32_t pos, double alpha, double value, double lo = 0.0, double up = kInfinite) {
    column.array[pos] = alpha;
    column.index[column.count++] = pos;
    x[pos] = value;
    lower[pos] = lo;
    upper[pos] = up;
  }
  PrimalRatioInput input(double direction, double range = kInfinite, int phase = 2, double slope = 0.0) const {
    PrimalRatioInput in;
    in.column = &column;
    in.head = &head;
    in.x = &x;
    in.lower = &lower;
    in.upper = &upper;
    in.direction = direction;
    in.range = range;
    in.phase = phase;
    in.slope = slope;
    in.feastol = 1e-6;
    return in;
  }
};

TEST(PrimalRatio, HarrisPassesTiesFlipsAndUnboundedSteps) {
  PrimalRatioTest test;
  PrimalRatioResult out;
  {
    // The entering variable increases: a positive entry drives its basic
    // variable down to its lower bound.  Position 0 blocks at once with a
    // tiny pivot; Harris' bound min(0 + 1e-6/1e-3, 5e-7 + 1e-6) = 1.5e-6
    // admits position 1 (pivot 1), which leaves at its own ratio.
    PrimalColumn c(3);
    c.set(0, 1e-3, 0.0);
    c.set(1, 1.0, 5e-7);
    c.set(2, -1.0, 0.0, 0.0, 1.0);  // rises to its upper bound at 1
    test.run(c.input(1.0), out);
    EXPECT_EQ(out.kind, PrimalStep::Pivot);
    EXPECT_EQ(out.pos, 1);
    EXPECT_DOUBLE_EQ(out.theta, 5e-7);
    EXPECT_EQ(out.bound, 0.0);
    EXPECT_FALSE(out.to_upper);
    EXPECT_FALSE(out.shift);
    EXPECT_EQ(out.max_alpha, 1.0);
    // Decreasing instead, position 2 falls and position 1 and 0 rise
    // without bound: position 2 blocks at its lower bound after 0 steps.
    test.run(c.input(-1.0), out);
    EXPECT_EQ(out.kind, PrimalStep::Pivot);
    EXPECT_EQ(out.pos, 2);
    EXPECT_EQ(out.theta, 0.0);
  }
  {
    // Degenerate ties: four positions block at ratio 0; the largest pivot
    // leaves, and among equal pivots the first listed in the column.
    PrimalColumn c(4);
    c.set(3, 2.0, 0.0);
    c.set(0, 3.0, 0.0);
    c.set(1, 3.0, 0.0);
    c.set(2, 0.5, 0.0);
    test.run(c.input(1.0), out);
    EXPECT_EQ(out.kind, PrimalStep::Pivot);
    EXPECT_EQ(out.pos, 0);
    EXPECT_EQ(out.theta, 0.0);
  }
  {
    // A basic variable already slightly below its bound (within the
    // tolerance) leaves with a zero step and asks for its bound to move.
    PrimalColumn c(2);
    c.set(0, 1.0, -5e-7);
    c.set(1, 1.0, 3.0);
    test.run(c.input(1.0), out);
    EXPECT_EQ(out.kind, PrimalStep::Pivot);
    EXPECT_EQ(out.pos, 0);
    EXPECT_EQ(out.theta, 0.0);
    EXPECT_TRUE(out.shift);
    // An entering range below the blocking ratio is a bound flip.
    PrimalColumn f(1);
    f.set(0, 1.0, 3.0);
    test.run(f.input(1.0, 2.0), out);
    EXPECT_EQ(out.kind, PrimalStep::Flip);
    EXPECT_EQ(out.theta, 2.0);
    test.run(f.input(1.0, 4.0), out);
    EXPECT_EQ(out.kind, PrimalStep::Pivot);
    EXPECT_EQ(out.theta, 3.0);
  }
  {
    // Nothing blocks: the basic variables move away from their finite
    // bounds, and entries below the candidate tolerance are ignored.
    PrimalColumn c(3);
    c.set(0, -1.0, 0.0);
    c.set(1, 1.0, 0.0, -kInfinite, kInfinite);
    c.set(2, 1e-14, 0.0);
    test.run(c.input(1.0), out);
    EXPECT_EQ(out.kind, PrimalStep::Unbounded);
    EXPECT_EQ(out.pos, -1);
  }
}

TEST(PrimalRatio, PhaseOnePassesBreakpointsWhileTheInfeasibilityFalls) {
  PrimalRatioTest test;
  PrimalRatioResult out;
  // Three basic variables below their lower bound 0 rise as the entering
  // variable increases (negative entries); each becomes feasible at a
  // breakpoint (ratios 2, 5 and 3.5) and then stops counting.  The slope
  // starts at -|d_q| = -3 and gains |alpha| per breakpoint: -2 after
  // position 0, 0 after position 2, where the step ends.
  PrimalColumn c(4);
  c.set(0, -1.0, -2.0);
  c.set(1, -1.0, -5.0);
  c.set(2, -2.0, -7.0);
  c.set(3, 1.0, 10.0);  // blocks at ratio 10 in any case
  test.run(c.input(1.0, kInfinite, 1, 3.0), out);
  EXPECT_EQ(out.kind, PrimalStep::Pivot);
  EXPECT_EQ(out.pos, 2);
  EXPECT_DOUBLE_EQ(out.theta, 3.5);
  EXPECT_EQ(out.bound, 0.0);
  EXPECT_FALSE(out.to_upper);
  // A steeper start (slope -10) passes all three; the hard block ends it.
  test.run(c.input(1.0, kInfinite, 1, 10.0), out);
  EXPECT_EQ(out.kind, PrimalStep::Pivot);
  EXPECT_EQ(out.pos, 3);
  EXPECT_DOUBLE_EQ(out.theta, 10.0);
  // In phase 2 the same infeasible variables do not block at their
  // breakpoints: only the hard block does.
  test.run(c.input(1.0, kInfinite, 2, 3.0), out);
  EXPECT_EQ(out.pos, 3);
}

}  // namespace
