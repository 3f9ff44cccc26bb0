// Bounds implied by the rows: one row at a time, chains of rows (a bound
// derived in one pass tightens the next), infinite contributions (a row
// with one unbounded entry bounds only that entry), negative coefficients,
// equality and free rows.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dual_test_util.h"
#include "simplex/implied_bounds.h"
#include "simplex/simplex_lp.h"

namespace tvl::lp {
namespace {

using namespace testing;

TEST(ImpliedBounds, RowsChainsAndUnboundedEntries) {
  // Columns x0..x5, all >= 0 with no upper bound except x4 (free).
  //   r0:  x0 + x1        <= 4    -> x0, x1 <= 4
  //   r1: -x0 + x2        <= 1    -> x2 <= 1 + x0 <= 5 (second pass)
  //   r2:  x3 + 2 x4      =  6    -> x4 <= 3; x3 unbounded (x4 has no lower bound)
  //   r3: -x5             >= -2   -> x5 <= 2
  //   r4:  x0 - x5 + x3   free    -> nothing
  const double inf = kInfBound;
  const LpModel model = dense_model(5, 6,
                                    {1, 1, 0, 0, 0, 0,   //
                                     -1, 0, 1, 0, 0, 0,  //
                                     0, 0, 0, 1, 2, 0,   //
                                     0, 0, 0, 0, 0, -1,  //
                                     1, 0, 0, 1, 0, -1},
                                    {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, -inf, 0}, {inf, inf, inf, inf, inf, inf},
                                    {-inf, -inf, 6, -2, -inf}, {4, 1, 6, inf, inf});
  SimplexLp lp;
  lp.load(model);
  std::vector<double> lo, up;
  implied_bounds(lp, lo, up);
  ASSERT_EQ(lo.size(), 6u);
  EXPECT_DOUBLE_EQ(up[0], 4.0);
  EXPECT_DOUBLE_EQ(up[1], 4.0);
  EXPECT_DOUBLE_EQ(up[2], 5.0);
  EXPECT_TRUE(std::isinf(up[3]));
  EXPECT_DOUBLE_EQ(up[4], 3.0);
  EXPECT_TRUE(std::isinf(lo[4]) && lo[4] < 0);
  EXPECT_DOUBLE_EQ(up[5], 2.0);
  // Lower bounds no tighter than the columns' own: r1 gives x0 >= -1, and
  // r2 with the derived x4 <= 3 gives x3 >= 0.
  EXPECT_LE(lo[0], 0.0);
  EXPECT_LE(lo[3], 0.0);
}

}  // namespace
}  // namespace tvl::lp
