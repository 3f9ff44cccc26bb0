// Continuous columns that the objective granularity may count as integral,
// and the granularity that follows: a wrong mark prunes nodes that hold
// the optimum, a missed one costs whole levels of the tree.
#include <gtest/gtest.h>

#include "mip/implied_integers.h"
#include "row_model.h"

namespace {

using tvl::mip::implied_integer_columns;
using tvl::mip::MipModel;
using tvltest::row_model;

constexpr double kInf = 1e20;

// Two integer columns x1, x2, deviations s1 - t1 and s2 - t2 of two
// integer rows from their targets, and d >= every deviation, minimised:
// the least-maximum-deviation form.  Columns: x1 x2 s1 t1 s2 t2 d.
MipModel deviation_model(double s1_coef, double d_cost, double x1_cost) {
  const std::vector<std::vector<double>> rows = {
      {3, 5, s1_coef, -1, 0, 0, 0},
      {2, 4, 0, 0, 1, -1, 0},
      {0, 0, -1, 0, 0, 0, 1},
      {0, 0, 0, -1, 0, 0, 1},
      {0, 0, 0, 0, -1, 0, 1},
      {0, 0, 0, 0, 0, -1, 1},
  };
  return row_model(rows, {7, 5, 0, 0, 0, 0}, {7, 5, kInf, kInf, kInf, kInf}, {x1_cost, 0, 0, 0, 0, 0, d_cost},
                   {1, 1, kInf, kInf, kInf, kInf, kInf}, {1, 1, 0, 0, 0, 0, 0});
}

TEST(ImpliedIntegers, DeviationColumnsOfAnIntegerModelAreIntegralAtTheOptimum) {
  const MipModel m = deviation_model(1.0, 1.0, 0.0);
  EXPECT_EQ(implied_integer_columns(m), (std::vector<char>{0, 0, 1, 1, 1, 1, 1}));
  EXPECT_DOUBLE_EQ(m.granularity, 1.0);
  // The step is the divisor of all costs, integer columns' included.
  const MipModel q = deviation_model(1.0, 0.5, 0.25);
  EXPECT_DOUBLE_EQ(q.granularity, 0.25);
}

TEST(ImpliedIntegers, NoMarksWhereTheContinuousPartCanBeFractional) {
  // A continuous entry of another magnitude in a row: s1 = 2 (7 - 3 x1 - 5 x2 + t1)
  // may be fractional, and so may d; the block has no marks.
  const MipModel half = deviation_model(0.5, 1.0, 0.0);
  EXPECT_EQ(implied_integer_columns(half), std::vector<char>(7, 0));
  EXPECT_DOUBLE_EQ(half.granularity, 0.0);

  // An odd cycle: x + y <= 1, y + z <= 1, x + z <= 1 has the vertex
  // (1/2, 1/2, 1/2); the block is not totally unimodular either way round.
  const std::vector<std::vector<double>> cycle = {{1, 1, 0, 1}, {0, 1, 1, 0}, {1, 0, 1, 0}};
  const MipModel odd = row_model(cycle, {-kInf, -kInf, -kInf}, {1, 1, 1}, {-1, -1, -1, -1}, {kInf, kInf, kInf, 1},
                                 {0, 0, 0, 1});
  EXPECT_EQ(implied_integer_columns(odd), std::vector<char>(4, 0));
  EXPECT_DOUBLE_EQ(odd.granularity, 0.0);

  // An integer column's coefficient or a side that is not a multiple of
  // the continuous entry's magnitude, or a fractional bound: x1 + 2 y = 1,
  // 2 x1 + 2 y = 3 and 2 x1 + 2 y = 2 with y <= 2.5 leave y unmarked;
  // 2 x1 + 2 y = 2 with y <= 3 marks it.
  auto marks = [](std::vector<double> row, double rhs, double yup) {
    return implied_integer_columns(row_model({row}, {rhs}, {rhs}, {0, 1}, {1, yup}, {1, 0}));
  };
  EXPECT_EQ(marks({1, 2}, 1, 3), (std::vector<char>{0, 0}));
  EXPECT_EQ(marks({2, 2}, 3, 3), (std::vector<char>{0, 0}));
  EXPECT_EQ(marks({2, 2}, 2, 2.5), (std::vector<char>{0, 0}));
  EXPECT_EQ(marks({2, 2}, 2, 3), (std::vector<char>{0, 1}));
}

}  // namespace
