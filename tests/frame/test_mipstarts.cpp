// MIP starts on a problem: adding with its checks, the surplus queries,
// names, deletion, and what column deletion and cloning do to them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "frame/mipstarts.h"
#include "support/api_session.h"

namespace {

using tvltest::ApiSession;

// Three integer columns, no rows.
void load_mip(ApiSession &s) {
  const double obj[] = {1, 2, 3}, lb[] = {0, 0, 0}, ub[] = {5, 5, 5};
  ASSERT_EQ(TVLnewcols(s.env, s.lp, 3, obj, lb, ub, "III", nullptr), 0);
}

TEST(MipStarts, AddQueryNameDelete) {
  ApiSession s("starts");
  load_mip(s);
  EXPECT_EQ(TVLgetnummipstarts(s.env, s.lp), 0);
  int nz = 0, surplus = 0, beg[3], ind[8], eff[3];
  double val[8];
  EXPECT_EQ(TVLgetmipstarts(s.env, s.lp, &nz, beg, ind, val, eff, 8, &surplus, 0, 0), TVLERR_NO_MIP_START_EXISTS);

  const int b[] = {0, 2, 2}, vi[] = {0, 2, 1}, effort[] = {1, 0, 5};
  const double v[] = {1.0, 2.0, 3.0};
  char n0[] = "first";
  char *names[] = {n0, nullptr, nullptr};
  ASSERT_EQ(TVLaddmipstarts(s.env, s.lp, 3, 3, b, vi, v, effort, nullptr), 0);
  ASSERT_EQ(TVLaddmipstarts(s.env, s.lp, 1, 1, b, vi, v, nullptr, names), 0);
  EXPECT_EQ(TVLgetnummipstarts(s.env, s.lp), 4);

  // Size request (the gateway's way of asking for the entry count).
  EXPECT_EQ(TVLgetmipstarts(s.env, s.lp, &nz, nullptr, nullptr, nullptr, nullptr, 0, &surplus, 0, 2),
            TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  EXPECT_EQ(surplus, -3);
  ASSERT_EQ(TVLgetmipstarts(s.env, s.lp, &nz, beg, ind, val, eff, 8, &surplus, 0, 2), 0);
  EXPECT_EQ(nz, 3);
  EXPECT_EQ(surplus, 5);
  EXPECT_EQ(beg[0], 0);
  EXPECT_EQ(beg[1], 2);
  EXPECT_EQ(beg[2], 2);  // start 1 is empty
  EXPECT_EQ(ind[2], 1);
  EXPECT_EQ(val[2], 3.0);
  EXPECT_EQ(eff[2], 5);
  // Too little room: 1207, the entries that fit are filled.
  EXPECT_EQ(TVLgetmipstarts(s.env, s.lp, &nz, beg, ind, val, eff, 2, &surplus, 0, 2), TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  EXPECT_EQ(surplus, -1);
  s.errors.clear();
  EXPECT_EQ(TVLgetmipstarts(s.env, s.lp, &nz, beg, ind, val, eff, 8, &surplus, 0, 4),
            TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_NE(s.errors.find("TVLgetmipstarts: 'end' value 4 is greater than 3"), std::string::npos);

  char *nm[4];
  char store[32];
  ASSERT_EQ(TVLgetmipstartname(s.env, s.lp, nm, store, sizeof store, &surplus, 0, 3), 0);
  EXPECT_STREQ(nm[0], "m1");
  EXPECT_STREQ(nm[2], "m3");
  EXPECT_STREQ(nm[3], "first");
  int which = -1;
  ASSERT_EQ(TVLgetmipstartindex(s.env, s.lp, "first", &which), 0);
  EXPECT_EQ(which, 3);
  EXPECT_EQ(TVLgetmipstartindex(s.env, s.lp, "none", &which), TVLERR_NAME_NOT_FOUND);

  ASSERT_EQ(TVLdelmipstarts(s.env, s.lp, 1, 2), 0);
  ASSERT_EQ(TVLgetmipstartindex(s.env, s.lp, "first", &which), 0);
  EXPECT_EQ(which, 1);
  EXPECT_EQ(TVLdelmipstarts(s.env, s.lp, 1, 2), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  ASSERT_EQ(TVLdelmipstarts(s.env, s.lp, 0, 1), 0);
  EXPECT_EQ(TVLgetnummipstarts(s.env, s.lp), 0);
}

TEST(MipStarts, ArgumentChecks) {
  ApiSession lp("lp");
  ASSERT_EQ(lp.load_small(), 0);
  const int b[] = {0}, vi[] = {0};
  const double v[] = {1.0};
  EXPECT_EQ(TVLaddmipstarts(lp.env, lp.lp, 1, 1, b, vi, v, nullptr, nullptr), TVLERR_NOT_A_MIXED_INTEGER_PROBLEM);
  EXPECT_EQ(TVLgetnummipstarts(lp.env, lp.lp), 0);

  ApiSession s("starts");
  load_mip(s);
  EXPECT_EQ(TVLaddmipstarts(s.env, s.lp, -1, 0, b, vi, v, nullptr, nullptr), TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  EXPECT_EQ(TVLaddmipstarts(s.env, s.lp, 1, 1, b, nullptr, v, nullptr, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  const int far[] = {3};
  EXPECT_EQ(TVLaddmipstarts(s.env, s.lp, 1, 1, b, far, v, nullptr, nullptr), TVLERR_COLUMN_INDEX_OUT_OF_RANGE);
  const int bad_effort[] = {6};
  EXPECT_EQ(TVLaddmipstarts(s.env, s.lp, 1, 1, b, vi, v, bad_effort, nullptr), TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  s.set(TVL_PARAM_DATACHECK, 1);  // values are checked only with data checking on
  const double nan[] = {std::nan("")};
  EXPECT_EQ(TVLaddmipstarts(s.env, s.lp, 1, 1, b, vi, nan, nullptr, nullptr), 1225);
  EXPECT_EQ(TVLgetnummipstarts(s.env, s.lp), 0);  // nothing stored by failures
}

TEST(MipStarts, FollowColumnDeletionAndClone) {
  ApiSession s("starts");
  load_mip(s);
  const int b[] = {0}, vi[] = {0, 1, 2};
  const double v[] = {1.0, 2.0, 3.0};
  ASSERT_EQ(TVLaddmipstarts(s.env, s.lp, 1, 3, b, vi, v, nullptr, nullptr), 0);
  // A bound change keeps the start; deleting column 1 drops its entry.
  const int col = 0;
  const char lu = 'U';
  const double bd = 2.0;
  ASSERT_EQ(TVLchgbds(s.env, s.lp, 1, &col, &lu, &bd), 0);
  ASSERT_EQ(TVLdelcols(s.env, s.lp, 1, 1), 0);
  const tvltest::StartList got = tvltest::get_mipstarts(s.env, s.lp, 0, 0);
  ASSERT_EQ(got.status, 0);
  ASSERT_EQ(got.ind, (std::vector<int>{0, 1}));
  EXPECT_EQ(got.val[1], 3.0);

  int st = 0;
  TVLLPptr copy = TVLcloneprob(s.env, s.lp, &st);
  ASSERT_EQ(st, 0);
  EXPECT_EQ(TVLgetnummipstarts(s.env, copy), 1);
  ASSERT_EQ(TVLdelmipstarts(s.env, s.lp, 0, 0), 0);
  EXPECT_EQ(TVLgetnummipstarts(s.env, copy), 1);
  TVLfreeprob(s.env, &copy);
}

TEST(MipStarts, DriverSeesPendingStarts) {
  ApiSession s("starts");
  load_mip(s);
  const int b[] = {0}, vi[] = {2};
  const double v[] = {4.0};
  ASSERT_EQ(TVLaddmipstarts(s.env, s.lp, 1, 1, b, vi, v, nullptr, nullptr), 0);
  const tvl::MipStartSet *set = tvl::mipstarts_of(s.lp);
  ASSERT_NE(set, nullptr);
  EXPECT_TRUE(set->starts[0].pending);
  tvl::mipstarts_mark_installed(s.lp);
  EXPECT_FALSE(set->starts[0].pending);
  ASSERT_EQ(TVLaddmipstarts(s.env, s.lp, 1, 1, b, vi, v, nullptr, nullptr), 0);
  EXPECT_FALSE(set->starts[0].pending);
  EXPECT_TRUE(set->starts[1].pending);
}

}  // namespace
