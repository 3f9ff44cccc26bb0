// Queries: ranges with their messages, the surplus convention for
// vectors and names, coefficients, row-wise access and name lookups.
#include "frame/problem.h"
#include "test_problem_fixture.h"

using probtest::ProblemTest;

TEST_F(ProblemTest, QueryRangesReportBeginAndEnd) {
  load_small();
  double v[8];
  EXPECT_EQ(TVLgetobj(env, lp, v, -1, 2), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(take_errors(),
            "TAVLO Error  1205: TVLgetobj: 'begin' value -1 is less than 0.\n"
            "TAVLO Error  1200: Index is outside range of valid values.\n");
  EXPECT_EQ(TVLgetrhs(env, lp, v, 0, 3), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(take_errors(),
            "TAVLO Error  1206: TVLgetrhs: 'end' value 3 is greater than 2.\n"
            "TAVLO Error  1200: Index is outside range of valid values.\n");
  // An empty range and a none array succeed and copy nothing.
  v[0] = -7;
  EXPECT_EQ(TVLgetobj(env, lp, v, 4, 3), 0);
  EXPECT_EQ(v[0], -7);
  EXPECT_EQ(TVLgetub(env, lp, nullptr, 0, 3), 0);
  ASSERT_EQ(TVLgetub(env, lp, v, 1, 3), 0);
  EXPECT_EQ(v[0], 20);
  EXPECT_EQ(v[2], 1e20);
  char s[3];
  ASSERT_EQ(TVLgetsense(env, lp, s, 0, 2), 0);
  EXPECT_EQ(std::string(s, 3), "LGE");
  ASSERT_EQ(TVLgetrngval(env, lp, v, 0, 2), 0);  // no ranges stored: zeros
  EXPECT_EQ(v[1], 0.0);
  EXPECT_EQ(TVLgetnumrows(nullptr, lp), 0);
  EXPECT_EQ(TVLgetobjsen(env, nullptr), 0);
  EXPECT_EQ(take_errors(), "TAVLO Error  1009: No problem exists.\n");
}

TEST_F(ProblemTest, SurplusConventionForColumnsAndRows) {
  load_small();
  int nz = -1, surplus = 1, beg[4] = {9, 9, 9, 9}, ind[8];
  double val[8];
  // Columns 0..3 hold 6 entries.
  EXPECT_EQ(TVLgetcols(env, lp, &nz, beg, ind, val, 0, &surplus, 0, 3), TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  EXPECT_EQ(surplus, -6);
  EXPECT_EQ(nz, 0);
  EXPECT_EQ(beg[3], 0);
  EXPECT_EQ(error_text(), "");
  EXPECT_EQ(TVLgetcols(env, lp, &nz, beg, ind, val, 0, &surplus, 2, 1), 0);
  EXPECT_EQ(surplus, 0);

  EXPECT_EQ(TVLgetcols(env, lp, &nz, beg, ind, val, 4, &surplus, 0, 3), TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  EXPECT_EQ(nz, 4);
  EXPECT_EQ(surplus, -2);
  EXPECT_EQ((std::vector<int>(beg, beg + 4)), (std::vector<int>{0, 2, 4, 5}));
  EXPECT_EQ((std::vector<int>(ind, ind + 4)), (std::vector<int>{0, 2, 0, 1}));
  EXPECT_EQ(take_errors(), "TAVLO Error  1207: Insufficient array length.\n");

  EXPECT_EQ(TVLgetcols(env, lp, &nz, nullptr, ind, val, 8, &surplus, 0, 3), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  errors.clear();

  // Row-wise: row 2 is 5 x0 + 6 x3, row 1 is 3 x1 + 4 x2.
  ASSERT_EQ(TVLgetrows(env, lp, &nz, beg, ind, val, 8, &surplus, 1, 2), 0);
  EXPECT_EQ(nz, 4);
  EXPECT_EQ(surplus, 4);
  EXPECT_EQ((std::vector<int>(ind, ind + 4)), (std::vector<int>{1, 2, 0, 3}));
  EXPECT_EQ((std::vector<double>(val, val + 4)), (std::vector<double>{3, 4, 5, 6}));
  EXPECT_EQ(beg[1], 2);
  // The row-wise copy follows changes of the matrix.
  ASSERT_EQ(TVLchgcoef(env, lp, 2, 1, 7), 0);
  ASSERT_EQ(TVLgetrows(env, lp, &nz, beg, ind, val, 8, &surplus, 2, 2), 0);
  EXPECT_EQ((std::vector<int>(ind, ind + 3)), (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(val[1], 7);
}

TEST_F(ProblemTest, CoefficientQueries) {
  load_small();
  double v = 0;
  EXPECT_EQ(coef(1, 2), 4.0);
  EXPECT_EQ(coef(0, 3), 0.0);
  EXPECT_EQ(coef(-1, 2), 3.0);   // objective
  EXPECT_EQ(coef(1, -1), 2.0);   // right-hand side
  EXPECT_EQ(TVLgetcoef(env, lp, 3, 0, &v), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(TVLgetcoef(env, lp, 0, -3, &v), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(TVLgetcoef(env, lp, -1, -1, &v), TVLERR_RHS_HAS_NO_COEFFICIENT_IN_OBJ);
  EXPECT_EQ(TVLgetcoef(env, lp, 0, 0, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  EXPECT_EQ(take_errors(),
            "TAVLO Error  1200: Index is outside range of valid values.\n"
            "TAVLO Error  1200: Index is outside range of valid values.\n"
            "TAVLO Error  1211: 'rhs' has no coefficient in 'obj'.\n"
            "TAVLO Error  1004: Null pointer for required data.\n");
}

TEST_F(ProblemTest, NameQueriesAndLookups) {
  load_small();
  int idx = -1, surplus = 0;
  char *ptr[4];
  char store[32];
  EXPECT_EQ(TVLgetcolname(env, lp, ptr, store, 32, &surplus, 0, 3), TVLERR_NO_NAMES_EXIST);
  EXPECT_EQ(TVLgetrowindex(env, lp, "r0", &idx), TVLERR_NO_NAMES_EXIST);
  EXPECT_EQ(take_errors(), "TAVLO Error  1219: No names exist.\nTAVLO Error  1219: No names exist.\n");

  load_small(true);
  EXPECT_EQ(TVLgetcolname(env, lp, ptr, store, 0, &surplus, 1, 3), TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  EXPECT_EQ(surplus, -6);
  ASSERT_EQ(TVLgetcolname(env, lp, ptr, store, 6, &surplus, 1, 3), 0);
  EXPECT_EQ(surplus, 0);
  EXPECT_STREQ(ptr[0], "b");
  EXPECT_STREQ(ptr[2], "d");
  EXPECT_EQ(ptr[1], store + 2);
  EXPECT_EQ(TVLgetrowname(env, lp, ptr, store, 5, &surplus, 0, 2), TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  EXPECT_EQ(surplus, -4);
  EXPECT_STREQ(ptr[0], "r0");
  EXPECT_EQ(take_errors(), "TAVLO Error  1207: Insufficient array length.\n");

  ASSERT_EQ(TVLgetrowindex(env, lp, "r2", &idx), 0);
  EXPECT_EQ(idx, 2);
  EXPECT_EQ(TVLgetcolindex(env, lp, "zz", &idx), TVLERR_NAME_NOT_FOUND);
  EXPECT_EQ(TVLgetcolindex(env, lp, nullptr, &idx), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  EXPECT_EQ(take_errors(), "TAVLO Error  1004: Null pointer for required data.\n");  // 1210 is silent
  // Duplicate names: the lowest index wins.
  int cols[] = {1, 3};
  char *dup[] = {(char *)"same", (char *)"same"};
  ASSERT_EQ(TVLchgcolname(env, lp, 2, cols, dup), 0);
  ASSERT_EQ(TVLgetcolindex(env, lp, "same", &idx), 0);
  EXPECT_EQ(idx, 1);
}
