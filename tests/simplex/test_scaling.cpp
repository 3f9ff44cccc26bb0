// Scaling of a badly scaled matrix: the factors are powers of two, the
// scaled magnitudes are close to 1, and unscaling restores every entry,
// cost and bound bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "frame/infinity.h"
#include "simplex/scaling.h"

namespace {

using namespace tvl::lp;
using tvl::kInfBound;

bool power_of_two(double v) {
  int e = 0;
  return v > 0.0 && std::frexp(v, &e) == 0.5;
}

// A 5 x 5 matrix D1 B D2: B has entries in [1, 3] that are not exact
// binary fractions (1/3, 0.1 multiples); D1 and D2 spread rows and columns
// over twelve decades.  Column 4 is empty.
LpModel badly_scaled() {
  const double row_mag[] = {1e-6, 1e-2, 1.0, 1e3, 1e6};
  const double col_mag[] = {1e-4, 1.0, 1e2, 1e5, 1.0};
  const double b[5][4] = {{1.0, 0.0, 2.1, 1.0 / 3.0 + 1.0},
                          {3.0, 1.7, 0.0, 2.0},
                          {0.0, 2.2, 1.1, 0.0},
                          {1.3, 0.0, 2.9, 1.0},
                          {2.0, 1.0, 0.0, 1.9}};
  LpModel lp;
  lp.a.m = 5;
  lp.a.n = 5;
  lp.a.start.push_back(0);
  for (int j = 0; j < 5; ++j) {
    for (int i = 0; j < 4 && i < 5; ++i) {
      if (b[i][j] == 0.0) continue;
      lp.a.index.push_back(i);
      lp.a.value.push_back((j % 2 ? -1.0 : 1.0) * b[i][j] * row_mag[i] * col_mag[j]);
    }
    lp.a.start.push_back(static_cast<int32_t>(lp.a.index.size()));
    lp.cost.push_back(0.1 * (j + 1) * col_mag[j]);
    lp.collo.push_back(j == 1 ? -kInfBound : -0.3 / col_mag[j]);
    lp.colup.push_back(j == 2 ? kInfBound : 7.7 / col_mag[j]);
  }
  for (int i = 0; i < 5; ++i) {
    lp.rowlo.push_back(i == 0 ? -kInfBound : -1.1 * row_mag[i]);
    lp.rowup.push_back(i == 3 ? kInfBound : 0.7 * row_mag[i]);
  }
  return lp;
}

// Largest over smallest magnitude of the entries scaled by r and c.
double spread(const CscMatrix &a, const std::vector<double> &r, const std::vector<double> &c) {
  double lo = INFINITY, hi = 0.0;
  for (int32_t j = 0; j < a.n; ++j) {
    for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k) {
      const double v = std::fabs(a.value[k]) * r[a.index[k]] * c[j];
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  }
  return hi / lo;
}

TEST(Scaling, PowersOfTwoBringTheMagnitudesNearOneAndUnscaleExactly) {
  const LpModel orig = badly_scaled();
  const std::vector<double> ones_r(5, 1.0), ones_c(5, 1.0);
  ASSERT_GT(spread(orig.a, ones_r, ones_c), 1e12);

  for (const int mode : {0, 1}) {
    const Scaling s = compute_scaling(orig.a, mode);
    ASSERT_TRUE(s.active());
    ASSERT_EQ(s.row.size(), 5u);
    ASSERT_EQ(s.col.size(), 5u);
    for (double f : s.row) EXPECT_TRUE(power_of_two(f)) << f;
    for (double f : s.col) EXPECT_TRUE(power_of_two(f)) << f;
    EXPECT_EQ(s.col[4], 1.0);  // the empty column is left alone
    // B's own spread is 3 / 1 (times the rounding of each factor to a
    // power of two, at most sqrt 2 per factor).
    EXPECT_LT(spread(orig.a, s.row, s.col), 3.0 * 4.0) << mode;

    LpModel scaled = orig;
    apply_scaling(s, scaled);
    const CscMatrix &a = scaled.a;
    // Equilibrated columns: largest entry 1 up to the rounding of the row
    // and column factors; rows are balanced by the geometric passes.
    std::vector<double> rowmax(5, 0.0);
    for (int32_t j = 0; j < 4; ++j) {
      double colmax = 0.0;
      for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k) {
        colmax = std::max(colmax, std::fabs(a.value[k]));
        rowmax[a.index[k]] = std::max(rowmax[a.index[k]], std::fabs(a.value[k]));
      }
      EXPECT_GE(colmax, 0.5) << j;
      EXPECT_LE(colmax, 2.0) << j;
    }
    for (int32_t i = 0; i < 5; ++i) {
      EXPECT_GE(rowmax[i], 0.125) << i;
      EXPECT_LE(rowmax[i], 2.0) << i;
    }

    // Unscaling (x = C x', row activity = R^-1 (R A C) x') multiplies by
    // powers of two only: every value comes back exactly, and infinite
    // bounds stay infinite.
    for (int32_t j = 0; j < a.n; ++j) {
      const double cj = s.col[j];
      for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k)
        EXPECT_EQ(a.value[k] / (s.row[a.index[k]] * cj), orig.a.value[k]);
      EXPECT_EQ(scaled.cost[j] / cj, orig.cost[j]);
      EXPECT_EQ(scaled.collo[j] <= -kInfBound ? -kInfBound : scaled.collo[j] * cj, orig.collo[j]);
      EXPECT_EQ(scaled.colup[j] >= kInfBound ? kInfBound : scaled.colup[j] * cj, orig.colup[j]);
    }
    for (int32_t i = 0; i < a.m; ++i) {
      EXPECT_EQ(scaled.rowlo[i] <= -kInfBound ? -kInfBound : scaled.rowlo[i] / s.row[i], orig.rowlo[i]);
      EXPECT_EQ(scaled.rowup[i] >= kInfBound ? kInfBound : scaled.rowup[i] / s.row[i], orig.rowup[i]);
    }
    EXPECT_EQ(scaled.collo[1], -kInfBound);
    EXPECT_EQ(scaled.colup[2], kInfBound);
    EXPECT_EQ(scaled.rowlo[0], -kInfBound);
    EXPECT_EQ(scaled.rowup[3], kInfBound);
  }

  // Mode -1 leaves the problem as it is.
  const Scaling none = compute_scaling(orig.a, -1);
  EXPECT_FALSE(none.active());
  LpModel same = orig;
  apply_scaling(none, same);
  EXPECT_EQ(same.a.value, orig.a.value);
  EXPECT_EQ(same.cost, orig.cost);
}

}  // namespace
