// Problem life cycle, problem types and conversions, column types,
// cloning, problem and objective names.
#include <cstring>

#include "frame/changecache.h"
#include "frame/problem.h"
#include "test_problem_fixture.h"

using probtest::ProblemTest;

TEST_F(ProblemTest, CreateFreeAndEnvironmentOwnership) {
  int st = -1;
  EXPECT_EQ(TVLcreateprob(env, &st, nullptr), nullptr);
  EXPECT_EQ(st, TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  EXPECT_EQ(take_errors(), "TAVLO Error  1004: Null pointer for required data.\n");

  EXPECT_EQ(TVLgetnumrows(env, lp), 0);
  EXPECT_EQ(TVLgetnumcols(env, lp), 0);
  EXPECT_EQ(TVLgetobjsen(env, lp), 1);
  EXPECT_EQ(TVLgetprobtype(env, lp), TVLPROB_LP);
  char buf[16];
  int surplus = 0;
  ASSERT_EQ(TVLgetprobname(env, lp, buf, sizeof buf, &surplus), 0);
  EXPECT_STREQ(buf, "test");
  EXPECT_EQ(surplus, 11);

  EXPECT_EQ(TVLfreeprob(env, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  TVLLPptr extra = TVLcreateprob(env, &st, "extra");
  ASSERT_NE(extra, nullptr);
  ASSERT_EQ(TVLfreeprob(env, &extra), 0);
  EXPECT_EQ(extra, nullptr);

  // A problem of another environment is refused; problems left alive are
  // freed when their environment closes (checked by the leak sanitizer).
  TVLENVptr other = TVLopenTAVLO(&st);
  TVLLPptr foreign = TVLcreateprob(other, &st, "foreign");
  TVLcreateprob(other, &st, "left behind");
  EXPECT_EQ(TVLgetnumcols(env, foreign), 0);
  EXPECT_EQ(TVLchgobjsen(env, foreign, -1), TVLERR_PROBLEM_IS_NOT_MEMBER_OF_THIS_ENVIRONMENT);
  EXPECT_EQ(TVLcloseTAVLO(&other), 0);
  errors.clear();
}

TEST_F(ProblemTest, TypeConversionsCreateAndFreeParts) {
  load_small();
  EXPECT_EQ(TVLchgprobtype(env, lp, 99), TVLERR_UNKNOWN_PROBLEM_TYPE_PROBLEM_NOT_CHANGED);
  EXPECT_EQ(take_errors(), "TAVLO Error  1022: Unknown problem type.  Problem not changed.\n");
  EXPECT_EQ(TVLgetprobtype(env, lp), TVLPROB_LP);

  ASSERT_EQ(TVLchgprobtype(env, lp, TVLPROB_MILP), 0);
  char ct[4];
  ASSERT_EQ(TVLgetctype(env, lp, ct, 0, 3), 0);
  EXPECT_EQ(std::string(ct, 4), "CCCC");
  EXPECT_EQ(TVLchgprobtype(env, lp, TVLPROB_FIXEDMIQP), TVLERR_NOT_A_MIQP_OR_FIXED_MIQP);
  EXPECT_EQ(TVLchgprobtype(env, lp, TVLPROB_FIXEDMIQCP), TVLERR_NOT_A_MIQCP_OR_FIXED_MIQCP);
  // No incumbent exists to fix the integer columns at.
  EXPECT_EQ(TVLchgprobtype(env, lp, TVLPROB_FIXEDMILP), TVLERR_NO_SOLUTION_EXISTS);
  EXPECT_EQ(TVLgetprobtype(env, lp), TVLPROB_MILP);

  ASSERT_EQ(TVLchgprobtype(env, lp, TVLPROB_MIQP), 0);
  ASSERT_NE(lp->parts, nullptr);
  ASSERT_NE(lp->parts->qobj, nullptr);
  EXPECT_EQ(lp->parts->qobj->qbeg.size, 5);

  datacheck(1);
  ASSERT_EQ(TVLchgprobtype(env, lp, TVLPROB_LP), 0);
  EXPECT_EQ(warnings, (std::vector<std::string>{"Freeing MIP data.\n", "Freeing QP data.\n"}));
  EXPECT_EQ(lp->mip, nullptr);
  EXPECT_EQ(lp->parts, nullptr);
  EXPECT_EQ(TVLchgprobtype(env, lp, TVLPROB_FIXEDMILP), TVLERR_NOT_A_MILP_OR_FIXED_MILP);

  // Adding columns keeps the quadratic objective sized to the columns, and
  // a derived type follows the data.
  ASSERT_EQ(TVLchgprobtype(env, lp, TVLPROB_QP), 0);
  ASSERT_EQ(TVLnewcols(env, lp, 2, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(TVLcompletelp(env, lp), 0);
  EXPECT_EQ(lp->parts->qobj->qbeg.size, 7);
  char b[] = "B";
  int j = 5;
  ASSERT_EQ(TVLchgctype(env, lp, 1, &j, b), 0);
  EXPECT_EQ(TVLgetprobtype(env, lp), TVLPROB_MIQP);
}

TEST_F(ProblemTest, FixedTypesRefuseModification) {
  load_small();
  probtest::Snapshot before = snapshot();
  lp->type = TVLPROB_FIXEDMILP;  // as the MIP optimizer leaves it
  double v = 1;
  int i = 0;
  char s = 'L';
  EXPECT_EQ(TVLchgobj(env, lp, 1, &i, &v), TVLERR_NOT_A_SINGLE_PROBLEM);
  EXPECT_EQ(TVLchgsense(env, lp, 1, &i, &s), TVLERR_NOT_A_SINGLE_PROBLEM);
  EXPECT_EQ(TVLnewrows(env, lp, 1, nullptr, nullptr, nullptr, nullptr), TVLERR_NOT_A_SINGLE_PROBLEM);
  EXPECT_EQ(TVLdelcols(env, lp, 0, 0), TVLERR_NOT_A_SINGLE_PROBLEM);
  EXPECT_EQ(TVLchgcoef(env, lp, 0, 0, 2), TVLERR_NOT_A_SINGLE_PROBLEM);
  std::string line = "TAVLO Error  1023: Not a single problem.\n";
  EXPECT_EQ(take_errors(), line + line + line + line + line);
  lp->type = TVLPROB_LP;
  EXPECT_EQ(snapshot(), before);
}

TEST_F(ProblemTest, ColumnTypesAndBinaryDefaults) {
  load_small();
  datacheck(1);
  char bad[] = "CCXC";
  EXPECT_EQ(TVLcopyctype(env, lp, bad), TVLERR_ILLEGAL_CTYPE_ENTRY);
  EXPECT_EQ(take_errors(), "TAVLO Error  3021: Illegal ctype entry 2.\n");
  EXPECT_EQ(TVLgetprobtype(env, lp), TVLPROB_LP);
  EXPECT_EQ(TVLcopyctype(env, lp, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  errors.clear();

  int idx[] = {1, 4};
  char two[] = "IB";
  EXPECT_EQ(TVLchgctype(env, lp, 2, idx, two), TVLERR_COLUMN_INDEX_OUT_OF_RANGE);
  EXPECT_EQ(take_errors(), "TAVLO Error  1201: Column index 1 out of range.\n");
  EXPECT_EQ(TVLchgctype(env, lp, -1, idx, two), TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  EXPECT_EQ(TVLchgctype(env, lp, 0, nullptr, nullptr), 0);
  EXPECT_EQ(TVLgetprobtype(env, lp), TVLPROB_LP);

  char b[] = "B";
  ASSERT_EQ(TVLnewcols(env, lp, 1, nullptr, nullptr, nullptr, b, nullptr), 0);
  EXPECT_EQ(TVLgetprobtype(env, lp), TVLPROB_MILP);
  double lb, ub;
  ASSERT_EQ(TVLgetlb(env, lp, &lb, 4, 4), 0);
  ASSERT_EQ(TVLgetub(env, lp, &ub, 4, 4), 0);
  EXPECT_EQ(lb, 0.0);
  EXPECT_EQ(ub, 1.0);
  EXPECT_EQ(lp->mip->nnoncont, 1);
  int k = 4;
  char c[] = "C";
  ASSERT_EQ(TVLchgctype(env, lp, 1, &k, c), 0);
  EXPECT_EQ(lp->mip->nnoncont, 0);
}

TEST_F(ProblemTest, CloneIsCompleteAndIndependent) {
  load_small(true);
  char ct[] = "CIBC";
  ASSERT_EQ(TVLcopyctype(env, lp, ct), 0);
  ASSERT_EQ(TVLcopyobjname(env, lp, "profit"), 0);
  ASSERT_TRUE(tvl::ensure_parts(lp));
  tvl::SosData &sos = lp->parts->sos;
  sos.sostype.push('1');
  sos.sosbeg.push(0);
  sos.sosbeg.push(2);
  int32_t members[] = {1, 2};
  double wts[] = {1, 2};
  sos.sosind.append(members, 2);
  sos.soswt.append(wts, 2);
  // A pending row is completed in the source before copying.
  double rhs = 3;
  int rb = 0, ri = 3;
  double rv = 1;
  ASSERT_EQ(TVLaddrows(env, lp, 0, 1, 1, &rhs, nullptr, &rb, &ri, &rv, nullptr, nullptr), 0);
  ASSERT_TRUE(tvl::cache_pending(lp));

  int st = -1;
  TVLLPptr copy = TVLcloneprob(env, lp, &st);
  ASSERT_EQ(st, 0);
  EXPECT_FALSE(tvl::cache_pending(lp));
  probtest::Snapshot orig = snapshot();
  std::swap(lp, copy);
  probtest::Snapshot cloned = snapshot();
  EXPECT_EQ(cloned, orig);
  EXPECT_EQ(lp->lp->colcap, 4);
  EXPECT_EQ(lp->lp->nzcap, 7);
  ASSERT_NE(lp->parts, nullptr);
  EXPECT_EQ(lp->parts->sos.count(), 1);
  EXPECT_EQ(lp->parts->sos.sosind[1], 2);
  char buf[16];
  int surplus;
  ASSERT_EQ(TVLgetobjname(env, lp, buf, sizeof buf, &surplus), 0);
  EXPECT_STREQ(buf, "profit");
  char out[4];
  ASSERT_EQ(TVLgetctype(env, lp, out, 0, 3), 0);
  EXPECT_EQ(std::string(out, 4), "CIBC");

  // Changing the clone leaves the source alone.
  int j = 0;
  double v = 42;
  ASSERT_EQ(TVLchgobj(env, lp, 1, &j, &v), 0);
  ASSERT_EQ(TVLchgcoef(env, lp, 0, 3, 9), 0);
  ASSERT_EQ(TVLdelrows(env, lp, 0, 1), 0);
  ASSERT_EQ(TVLchgcolname(env, lp, 1, &j, std::vector<char *>{(char *)"zz"}.data()), 0);
  std::swap(lp, copy);
  EXPECT_EQ(snapshot(), orig);
  EXPECT_EQ(TVLfreeprob(env, &copy), 0);

  EXPECT_EQ(TVLcloneprob(env, nullptr, &st), nullptr);
  EXPECT_EQ(st, TVLERR_NO_PROBLEM_EXISTS);
}

TEST_F(ProblemTest, ProblemAndObjectiveNames) {
  char buf[8];
  int surplus = 0;
  EXPECT_EQ(TVLgetobjname(env, lp, buf, 0, &surplus), TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  EXPECT_EQ(surplus, -1);  // no objective name: an empty text
  ASSERT_EQ(TVLcopyobjname(env, lp, "objective"), 0);
  EXPECT_EQ(TVLgetobjname(env, lp, buf, 0, &surplus), TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  EXPECT_EQ(surplus, -10);
  EXPECT_EQ(error_text(), "");  // size requests print nothing
  EXPECT_EQ(TVLgetobjname(env, lp, buf, sizeof buf, &surplus), TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  EXPECT_EQ(surplus, -2);
  EXPECT_EQ(std::string(buf, 8), "objectiv");
  EXPECT_EQ(take_errors(), "TAVLO Error  1207: Insufficient array length.\n");
  ASSERT_EQ(TVLcopyobjname(env, lp, nullptr), 0);
  EXPECT_EQ(lp->lp->objname, nullptr);

  EXPECT_EQ(TVLchgprobname(env, lp, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  ASSERT_EQ(TVLchgprobname(env, lp, "renamed"), 0);
  char name[16];
  ASSERT_EQ(TVLgetprobname(env, lp, name, sizeof name, &surplus), 0);
  EXPECT_STREQ(name, "renamed");
  tvllp fake{};
  EXPECT_EQ(TVLcopyobjname(env, &fake, "x"), TVLERR_PROBLEM_IS_NOT_MEMBER_OF_THIS_ENVIRONMENT);
  fake.env = lp->env;
  EXPECT_EQ(TVLcopyobjname(env, &fake, "x"), TVLERR_NOT_A_SINGLE_PROBLEM);
  EXPECT_EQ(TVLgetprobtype(env, &fake), -1);
  errors.clear();
}
