// Crash basis: its shape on Netlib LPs (only equality rows' slacks give
// way, no fixed column enters, the structural block is triangular) and
// primal simplex runs from it that reach the known optima.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "dual_test_util.h"
#include "simplex/crash.h"
#include "simplex/primopt.h"
#include "simplex/scaling.h"
#include "simplex/simplex_result.h"

namespace tvl::lp {
namespace {

using namespace testing;  // the simplex test helpers

// Whether the basic structural columns, restricted to the rows whose slack
// left the basis, can be peeled one column-singleton at a time (a
// triangular block after permutation, hence nonsingular).
bool triangular_block(const SimplexLp &lp, const std::vector<int8_t> &status) {
  std::vector<char> row_open(static_cast<size_t>(lp.m), 0);
  for (int32_t i = 0; i < lp.m; ++i) row_open[i] = status[lp.n + i] != kBasic;
  std::vector<int32_t> cols;
  for (int32_t j = 0; j < lp.n; ++j)
    if (status[j] == kBasic) cols.push_back(j);
  while (!cols.empty()) {
    bool peeled = false;
    for (size_t k = 0; k < cols.size() && !peeled; ++k) {
      int32_t only = -1, count = 0;
      for (int32_t p = lp.a.start[cols[k]]; p < lp.a.start[cols[k] + 1]; ++p)
        if (row_open[lp.a.index[p]]) only = lp.a.index[p], ++count;
      if (count != 1) continue;
      row_open[only] = 0;
      cols.erase(cols.begin() + static_cast<std::ptrdiff_t>(k));
      peeled = true;
    }
    if (!peeled) return false;
  }
  return std::none_of(row_open.begin(), row_open.end(), [](char c) { return c != 0; });
}

TEST(CrashBasis, OnlyEqualitySlacksGiveWayToATriangularBlock) {
  for (const char *name : {"afiro", "adlittle", "sc105", "scagr7", "ship04l", "stair", "pilot4"}) {
    LpModel model;
    ASSERT_TRUE(load_netlib(name, model)) << name;
    const SimplexLp lp = working_lp(model, Scaling());
    EXPECT_TRUE(crash_columns(lp, 0).empty()) << name;
    for (int orientation : {1, -1}) {
      const std::vector<int32_t> columns = crash_columns(lp, orientation);
      ASSERT_EQ(columns.size(), static_cast<size_t>(lp.m)) << name;
      std::vector<int8_t> st(static_cast<size_t>(lp.num_vars()), kAtLower);
      for (int32_t i = 0; i < lp.m; ++i) st[lp.n + i] = kBasic;
      apply_crash(columns, lp.n, st);
      EXPECT_EQ(std::count(st.begin(), st.end(), static_cast<int8_t>(kBasic)), lp.m) << name;
      int32_t structurals = 0;
      for (int32_t j = 0; j < lp.n; ++j) {
        if (st[j] != kBasic) continue;
        ++structurals;
        EXPECT_LT(lp.lower[j], lp.upper[j]) << name << ": fixed column " << j << " made basic";
      }
      EXPECT_GT(structurals, 0) << name;
      for (int32_t i = 0; i < lp.m; ++i) {
        if (lp.lower[lp.n + i] < lp.upper[lp.n + i]) {
          EXPECT_EQ(st[lp.n + i], kBasic) << name << ": inequality row " << i;
        }
      }
      EXPECT_TRUE(triangular_block(lp, st)) << name << " orientation " << orientation;
    }
  }
}

TEST(CrashBasis, PrimalFromEachOrientationReachesTheOptimum) {
  for (int orientation : {1, -1})
    for (const char *name : {"afiro", "adlittle", "sc105", "ship04l", "stair", "standata", "tuff", "ganges"}) {
      LpModel model;
      ASSERT_TRUE(load_netlib(name, model)) << name;
      SimplexControl ctl = quiet();
      ctl.crash = orientation;
      const LpResult r = primal_simplex(model, ctl, nullptr);
      const double ref = netlib_optimum(name);
      ASSERT_EQ(r.status, LpStatus::Optimal) << name << " orientation " << orientation;
      EXPECT_LT(std::fabs(r.objval - ref) / std::max(1.0, std::fabs(ref)), 1e-6) << name;
      EXPECT_LT(testing::primal_violation(model, r), 1e-6) << name;
      EXPECT_LT(testing::dual_violation(model, r), 1e-6) << name;
    }
}

}  // namespace
}  // namespace tvl::lp
