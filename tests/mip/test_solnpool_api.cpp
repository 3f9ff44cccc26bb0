// Solution pool and filter functions through the C interface: error codes
// and messages, answers of stored solutions, the incumbent index -1,
// deletions, and invalidation when the data change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/problem.h"
#include "mip/solnpool.h"
#include "support/api_session.h"

namespace {

using tvltest::ApiSession;

// max 3x + 2y + z, r0: x + y + z <= 4, r1: x + 3y <= 7; x in [0,3] integer,
// y continuous, z binary.
void load_mip(ApiSession &s) {
  ASSERT_EQ(s.load_small(), 0);
  const double obj = 1.0, lb = 0.0, ub = 1.0;
  const int beg = 0, ind = 0;
  const double val = 1.0;
  ASSERT_EQ(TVLaddcols(s.env, s.lp, 1, 1, &obj, &beg, &ind, &val, &lb, &ub, nullptr), 0);
  const int cols[] = {0, 2};
  ASSERT_EQ(TVLchgctype(s.env, s.lp, 2, cols, "IB"), 0);
}

// Prepares the pool as the optimizer does and offers solutions
// (objective values in the caller's sense).
void offer(ApiSession &s, std::vector<std::vector<double>> xs) {
  ASSERT_EQ(tvl::solnpool_prepare(s.env, s.lp), 0);
  const double obj[] = {3, 2, 1};
  for (auto &x : xs) {
    double f = obj[0] * x[0] + obj[1] * x[1] + obj[2] * x[2];
    EXPECT_EQ(tvl::solnpool_offer(s.lp, x.data(), -f), tvl::kPoolAppended);
  }
}

TEST(SolnPoolApi, StoredSolutionsAnswerTheirQueries) {
  ApiSession s("pool");
  load_mip(s);
  offer(s, {{3, 1, 0}, {2, 1.5, 0}, {1, 2, 1}});
  EXPECT_EQ(TVLgetsolnpoolnumsolns(s.env, s.lp), 3);
  EXPECT_EQ(TVLgetsolnpoolnumreplaced(s.env, s.lp), 0);
  double v = 0;
  ASSERT_EQ(TVLgetsolnpoolobjval(s.env, s.lp, 1, &v), 0);
  EXPECT_DOUBLE_EQ(v, 9.0);  // maximisation: the caller's sense
  ASSERT_EQ(TVLgetsolnpoolmeanobjval(s.env, s.lp, &v), 0);
  EXPECT_DOUBLE_EQ(v, (11.0 + 9.0 + 8.0) / 3);
  double x[2];
  ASSERT_EQ(TVLgetsolnpoolx(s.env, s.lp, 2, x, 1, 2), 0);
  EXPECT_EQ(x[0], 2.0);
  EXPECT_EQ(x[1], 1.0);
  double slack[2];
  ASSERT_EQ(TVLgetsolnpoolslack(s.env, s.lp, 2, slack, 0, 1), 0);
  EXPECT_DOUBLE_EQ(slack[0], 4.0 - 4.0);
  EXPECT_DOUBLE_EQ(slack[1], 7.0 - 7.0);
  char name[16];
  int surplus = 0;
  ASSERT_EQ(TVLgetsolnpoolsolnname(s.env, s.lp, name, sizeof name, &surplus, 1), 0);
  EXPECT_STREQ(name, "p2");
  ASSERT_EQ(TVLgetsolnpoolsolnname(s.env, s.lp, name, sizeof name, &surplus, -1), 0);
  EXPECT_STREQ(name, "incumbent");
  int idx = 7;
  ASSERT_EQ(TVLgetsolnpoolsolnindex(s.env, s.lp, "p3", &idx), 0);
  EXPECT_EQ(idx, 2);
  ASSERT_EQ(TVLgetsolnpoolsolnindex(s.env, s.lp, "incumbent", &idx), 0);
  EXPECT_EQ(idx, -1);
  EXPECT_EQ(TVLgetsolnpoolsolnindex(s.env, s.lp, "p9", &idx), TVLERR_NAME_NOT_FOUND);

  // Deleting position 1 by set: the flags become the new positions.
  int del[] = {0, 1, 0};
  ASSERT_EQ(TVLdelsetsolnpoolsolns(s.env, s.lp, del), 0);
  EXPECT_EQ(del[0], 0);
  EXPECT_EQ(del[1], -1);
  EXPECT_EQ(del[2], 1);
  ASSERT_EQ(TVLgetsolnpoolobjval(s.env, s.lp, 1, &v), 0);
  EXPECT_DOUBLE_EQ(v, 8.0);
  ASSERT_EQ(TVLdelsolnpoolsolns(s.env, s.lp, 0, 1), 0);
  EXPECT_EQ(TVLgetsolnpoolnumsolns(s.env, s.lp), 0);
  EXPECT_EQ(TVLdelsolnpoolsolns(s.env, s.lp, 0, 0), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(TVLgetsolnpoolmeanobjval(s.env, s.lp, &v), TVLERR_NO_SOLUTION_EXISTS);
}

TEST(SolnPoolApi, ErrorsAndMessages) {
  ApiSession s("pool");
  ASSERT_EQ(s.load_small(), 0);
  double v = 0;
  // Not a MIP: 3003, but index -1 is the plain query (no solution yet).
  EXPECT_EQ(TVLgetsolnpoolobjval(s.env, s.lp, 0, &v), TVLERR_NOT_A_MIXED_INTEGER_PROBLEM);
  EXPECT_EQ(TVLgetsolnpoolnumsolns(s.env, s.lp), 0);
  EXPECT_NE(s.errors.find("TAVLO Error  3003: Not a mixed-integer problem.\n"), std::string::npos);
  EXPECT_EQ(TVLgetsolnpoolobjval(s.env, s.lp, -1, &v), TVLERR_NO_SOLUTION_EXISTS);

  ApiSession m("pool");
  load_mip(m);
  // A MIP without a pool (none created yet), and with capacity 0 none can be.
  EXPECT_EQ(TVLgetsolnpoolnumsolns(m.env, m.lp), 0);
  EXPECT_NE(m.errors.find("TAVLO Error  3024: No solution pool exists.\n"), std::string::npos);
  m.set(TVL_PARAM_SOLNPOOLCAPACITY, 0);
  ASSERT_EQ(tvl::solnpool_prepare(m.env, m.lp), 0);
  EXPECT_EQ(TVLgetsolnpoolnumreplaced(m.env, m.lp), 0);
  const int ind = 2;
  const double ref = 1.0;
  EXPECT_EQ(TVLaddsolnpoolrngfilter(m.env, m.lp, 0, 1, 1, &ind, &ref, nullptr), TVLERR_NO_SOLUTION_POOL_EXISTS);

  m.set(TVL_PARAM_SOLNPOOLCAPACITY, 5);
  offer(m, {{3, 1, 0}});
  EXPECT_EQ(TVLgetsolnpoolobjval(m.env, m.lp, 1, &v), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(TVLgetsolnpoolobjval(m.env, m.lp, -2, &v), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  double x[3];
  m.errors.clear();
  EXPECT_EQ(TVLgetsolnpoolx(m.env, m.lp, 0, x, 0, 3), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_NE(m.errors.find("TVLgetsolnpoolx: 'end' value 3 is greater than 2"), std::string::npos);
  m.errors.clear();
  EXPECT_EQ(TVLgetsolnpoolslack(m.env, m.lp, 0, x, -1, 0), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_NE(m.errors.find("TVLgetsolnpoolslack: 'begin' value -1 is less than 0"), std::string::npos);
  EXPECT_EQ(TVLgetsolnpoolx(m.env, m.lp, 0, nullptr, 0, 1), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  // No quadratic constraints: an empty range is fine, any index is not.
  EXPECT_EQ(TVLgetsolnpoolqconstrslack(m.env, m.lp, 0, x, 0, -1), 0);
  EXPECT_EQ(TVLgetsolnpoolqconstrslack(m.env, m.lp, 0, x, 0, 0), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);

  // A bound change invalidates the stored solutions until the next run.
  const char lu = 'U';
  const double bd = 2.0;
  const int col = 0;
  ASSERT_EQ(TVLchgbds(m.env, m.lp, 1, &col, &lu, &bd), 0);
  EXPECT_EQ(TVLgetsolnpoolobjval(m.env, m.lp, 0, &v), TVLERR_NO_SOLUTION_POOL_EXISTS);
  ASSERT_EQ(tvl::solnpool_prepare(m.env, m.lp), 0);
  EXPECT_EQ(TVLgetsolnpoolnumsolns(m.env, m.lp), 0);
}

// Quality measures of a stored point that breaks a bound, both rows and
// integrality: the primal measures are computed from its own columns, dual
// ones do not exist for it, and indices are checked.
TEST(SolnPoolApi, QualityOfAStoredSolution) {
  ApiSession s("pool");
  load_mip(s);
  offer(s, {{3, 1, 0}, {3.5, 2, 1}});
  auto dbl = [&](int soln, int what) {
    double v = -1;
    EXPECT_EQ(TVLgetsolnpooldblquality(s.env, s.lp, soln, &v, what), 0) << what;
    return v;
  };
  auto idx = [&](int soln, int what) {
    int k = -9;
    EXPECT_EQ(TVLgetsolnpoolintquality(s.env, s.lp, soln, &k, what), 0) << what;
    return k;
  };
  // x = 3.5 > 3; r0: 6.5 <= 4 and r1: 9.5 <= 7 are both 2.5 over; the
  // first of the largest violations (row 0, after the 3 columns) is named.
  EXPECT_DOUBLE_EQ(dbl(1, TVL_MAX_PRIMAL_INFEAS), 2.5);
  EXPECT_EQ(idx(1, TVL_MAX_PRIMAL_INFEAS), 3);
  EXPECT_DOUBLE_EQ(dbl(1, TVL_SUM_PRIMAL_INFEAS), 5.5);
  EXPECT_DOUBLE_EQ(dbl(1, TVL_MAX_INT_INFEAS), 0.5);
  EXPECT_EQ(idx(1, TVL_MAX_INT_INFEAS), 0);
  EXPECT_DOUBLE_EQ(dbl(1, TVL_PRIMAL_OBJ), 3 * 3.5 + 2 * 2 + 1);
  EXPECT_DOUBLE_EQ(dbl(1, TVL_MAX_PRIMAL_RESIDUAL), 0.0);
  EXPECT_DOUBLE_EQ(dbl(0, TVL_MAX_PRIMAL_INFEAS), 0.0);
  EXPECT_DOUBLE_EQ(dbl(0, TVL_MAX_X), 3.0);

  double v = 0;
  int k = 0;
  EXPECT_EQ(TVLgetsolnpoolintquality(s.env, s.lp, 1, &k, TVL_SUM_PRIMAL_INFEAS),
            TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  EXPECT_EQ(TVLgetsolnpooldblquality(s.env, s.lp, 1, &v, TVL_MAX_DUAL_INFEAS),
            TVLERR_NOT_AVAILABLE_FOR_MIXED_INTEGER_PROGRAMS);
  EXPECT_EQ(TVLgetsolnpooldblquality(s.env, s.lp, 2, &v, TVL_MAX_X), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(TVLgetsolnpooldblquality(s.env, s.lp, 0, nullptr, TVL_MAX_X), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  // -1 is the incumbent, and there is none: the problem's own answer.
  EXPECT_EQ(TVLgetsolnpooldblquality(s.env, s.lp, -1, &v, TVL_MAX_X), TVLERR_NO_SOLUTION_EXISTS);
}

TEST(SolnPoolApi, FilterListFunctions) {
  ApiSession s("filters");
  load_mip(s);
  const int cols[] = {2, 0};
  const double ref[] = {1.0, 0.0}, wt[] = {2.0, 3.0};
  // Checks in order: count, arrays, indices, the 0-1 rule.
  EXPECT_EQ(TVLaddsolnpooldivfilter(s.env, s.lp, 0, 1, -1, cols, nullptr, ref, nullptr), TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  EXPECT_EQ(TVLaddsolnpooldivfilter(s.env, s.lp, 0, 1, 1, cols, nullptr, nullptr, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  const int bad = 3;
  EXPECT_EQ(TVLaddsolnpoolrngfilter(s.env, s.lp, 0, 1, 1, &bad, ref, nullptr), TVLERR_COLUMN_INDEX_OUT_OF_RANGE);
  s.errors.clear();
  EXPECT_EQ(TVLaddsolnpooldivfilter(s.env, s.lp, 0, 1, 2, cols, wt, ref, "div"), TVLERR_DIVERSITY_FILTER_HAS_NON_BINARY_VARIABLE);
  EXPECT_EQ(s.errors, "TAVLO Error  3414: Diversity filter has non-binary variable.\n");
  EXPECT_EQ(TVLgetsolnpoolnumfilters(s.env, s.lp), 0);  // the failed call created nothing

  ASSERT_EQ(TVLaddsolnpooldivfilter(s.env, s.lp, 1, 5, 1, cols, wt, ref, "div"), 0);
  ASSERT_EQ(TVLaddsolnpoolrngfilter(s.env, s.lp, -1, 4, 2, cols, wt, nullptr), 0);
  EXPECT_EQ(TVLgetsolnpoolnumfilters(s.env, s.lp), 2);
  EXPECT_EQ(TVLgetsolnpoolnumsolns(s.env, s.lp), 0);  // the pool now exists
  int type = 0, nz = 0, surplus = 0, ind[2];
  double lo = 0, up = 0, val[2], rv[2];
  ASSERT_EQ(TVLgetsolnpoolfiltertype(s.env, s.lp, &type, 1), 0);
  EXPECT_EQ(type, TVL_FILTER_RANGE);
  ASSERT_EQ(TVLgetsolnpooldivfilter(s.env, s.lp, &lo, &up, &nz, ind, val, rv, 2, &surplus, 0), 0);
  EXPECT_EQ(lo, 1.0);
  EXPECT_EQ(up, 5.0);
  EXPECT_EQ(nz, 1);
  EXPECT_EQ(surplus, 1);
  EXPECT_EQ(ind[0], 2);
  EXPECT_EQ(val[0], 2.0);
  EXPECT_EQ(rv[0], 1.0);
  // Size request, then a range filter through the generic query.
  EXPECT_EQ(TVLgetsolnpoolrngfilter(s.env, s.lp, &lo, &up, &nz, ind, val, 0, &surplus, 1), TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  EXPECT_EQ(surplus, -2);
  ASSERT_EQ(TVLgetsolnpoolfilter(s.env, s.lp, &type, &lo, &up, &nz, ind, val, nullptr, 2, &surplus, 1), 0);
  EXPECT_EQ(type, TVL_FILTER_RANGE);
  EXPECT_EQ(nz, 2);
  EXPECT_EQ(val[1], 3.0);
  EXPECT_EQ(TVLgetsolnpoolrngfilter(s.env, s.lp, &lo, &up, &nz, ind, val, 2, &surplus, 0), TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  EXPECT_EQ(TVLgetsolnpoolfiltertype(s.env, s.lp, &type, 2), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);

  char name[8];
  ASSERT_EQ(TVLgetsolnpoolfiltername(s.env, s.lp, name, sizeof name, &surplus, 0), 0);
  EXPECT_STREQ(name, "div");
  EXPECT_EQ(TVLgetsolnpoolfiltername(s.env, s.lp, name, sizeof name, &surplus, 1), TVLERR_NO_NAMES_EXIST);
  int which = -1;
  ASSERT_EQ(TVLgetsolnpoolfilterindex(s.env, s.lp, "div", &which), 0);
  EXPECT_EQ(which, 0);

  // The filters act on offered solutions: z = 1 is at distance 0 from the
  // reference and rejected unless it improves the pool.
  offer(s, {{0, 0, 0}});
  double z1[] = {0, 0, 1};
  EXPECT_EQ(tvl::solnpool_offer(s.lp, z1, 1.0), tvl::kPoolFiltered);

  // Filters outlive a data change and follow deleted columns.
  ASSERT_EQ(TVLdelcols(s.env, s.lp, 0, 0), 0);
  ASSERT_EQ(TVLgetsolnpoolrngfilter(s.env, s.lp, &lo, &up, &nz, ind, val, 2, &surplus, 1), 0);
  EXPECT_EQ(nz, 1);
  EXPECT_EQ(ind[0], 1);
  ASSERT_EQ(TVLdelsolnpoolfilters(s.env, s.lp, 0, 0), 0);
  EXPECT_EQ(TVLgetsolnpoolnumfilters(s.env, s.lp), 1);
  int delstat[] = {1};
  ASSERT_EQ(TVLdelsetsolnpoolfilters(s.env, s.lp, delstat), 0);
  EXPECT_EQ(delstat[0], -1);
  EXPECT_EQ(TVLgetsolnpoolnumfilters(s.env, s.lp), 0);
}

}  // namespace
