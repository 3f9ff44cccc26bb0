// Model parts through the public functions: special ordered sets,
// quadratic objective, quadratic and indicator constraints — storage,
// surplus queries, names, problem types, checks, clone and deletion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tavlo.h"

namespace {

struct Env {
  TVLENVptr env = nullptr;
  std::string err;
  static void fn(void *h, const char *m) { *static_cast<std::string *>(h) += m; }
  Env() {
    int st;
    env = TVLopenTAVLO(&st);
    TVLCHANNELptr r, w, e, l;
    TVLgetchannels(env, &r, &w, &e, &l);
    TVLaddfuncdest(env, e, &err, fn);
  }
  ~Env() { TVLcloseTAVLO(&env); }
};

// Four columns, one row, named.
TVLLPptr four_columns(TVLENVptr env) {
  int st;
  TVLLPptr lp = TVLcreateprob(env, &st, "p");
  double obj[4] = {1, 1, 1, 1}, lb[4] = {0, 0, 0, 0}, ub[4] = {1, 1, 1, 1}, rhs[1] = {2}, val[4] = {1, 1, 1, 1};
  int beg[4] = {0, 1, 2, 3}, cnt[4] = {1, 1, 1, 1}, ind[4] = {0, 0, 0, 0};
  char *cn[4] = {(char *)"a", (char *)"b", (char *)"c", (char *)"d"};
  EXPECT_EQ(TVLcopylpwnames(env, lp, 4, 1, 1, obj, rhs, "L", beg, cnt, ind, val, lb, ub, nullptr, cn, nullptr), 0);
  return lp;
}

}  // namespace

TEST(ModelParts, SpecialOrderedSetsStoreQueryRenameAndFollowColumns) {
  Env e;
  TVLLPptr lp = four_columns(e.env);
  int nz = 0, surplus = 0;
  EXPECT_EQ(TVLgetsos(e.env, lp, &nz, nullptr, nullptr, nullptr, nullptr, 0, &surplus, 0, 0),
            TVLERR_NO_USER_DEFINED_SOSS_EXIST);
  char type[2] = {'1', '2'};
  int beg[2] = {0, 2}, ind[5] = {0, 1, 1, 2, 3};
  double wt[5] = {1, 2, 1, 2, 3};
  char *names[2] = {(char *)"first", nullptr};
  EXPECT_EQ(TVLcopysos(e.env, lp, -1, 0, type, beg, ind, wt, nullptr), TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  int badind[5] = {0, 1, 1, 2, 9};
  e.err.clear();
  EXPECT_EQ(TVLcopysos(e.env, lp, 2, 5, type, beg, badind, wt, nullptr), TVLERR_COLUMN_INDEX_OUT_OF_RANGE);
  EXPECT_EQ(e.err, "TAVLO Error  1201: Column index 4 out of range.\n");
  ASSERT_EQ(TVLcopysos(e.env, lp, 2, 5, type, beg, ind, wt, names), 0);
  EXPECT_EQ(TVLgetprobtype(e.env, lp), TVLPROB_MILP);
  EXPECT_EQ(TVLgetnumsos(e.env, lp), 2);
  // Size request, then the second set alone.
  char gt[2];
  int gb[2], gi[5];
  double gw[5];
  e.err.clear();
  EXPECT_EQ(TVLgetsos(e.env, lp, &nz, gt, gb, gi, gw, 0, &surplus, 0, 1), TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  EXPECT_EQ(surplus, -5);
  EXPECT_EQ(e.err, "");
  ASSERT_EQ(TVLgetsos(e.env, lp, &nz, gt, gb, gi, gw, 5, &surplus, 1, 1), 0);
  EXPECT_EQ(nz, 3);
  EXPECT_EQ(gt[0], '2');
  EXPECT_EQ(gb[0], 0);
  EXPECT_EQ(std::vector<int>(gi, gi + 3), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(TVLgetsos(e.env, lp, &nz, gt, gb, gi, gw, 5, &surplus, 0, 2), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  // Names: the unnamed set reads as an empty name until renamed.
  char *nm[2];
  char store[32];
  ASSERT_EQ(TVLgetsosname(e.env, lp, nm, store, sizeof store, &surplus, 0, 1), 0);
  EXPECT_STREQ(nm[0], "first");
  EXPECT_STREQ(nm[1], "");
  int which = 1;
  char *newname[1] = {(char *)"second"};
  ASSERT_EQ(TVLEchgsosname(e.env, lp, 1, &which, newname), 0);
  ASSERT_EQ(TVLgetsosname(e.env, lp, nm, store, sizeof store, &surplus, 1, 1), 0);
  EXPECT_STREQ(nm[0], "second");
  // A clone has them too; deleting column b renumbers the members.
  int st;
  TVLLPptr copy = TVLcloneprob(e.env, lp, &st);
  EXPECT_EQ(TVLgetnumsos(e.env, copy), 2);
  ASSERT_EQ(TVLdelcols(e.env, copy, 1, 1), 0);
  ASSERT_EQ(TVLgetsos(e.env, copy, &nz, gt, gb, gi, gw, 5, &surplus, 0, 1), 0);
  EXPECT_EQ(nz, 3);
  EXPECT_EQ(std::vector<int>(gi, gi + 3), (std::vector<int>{0, 1, 2}));
  // Data checking refuses unknown types and repeated weights.
  TVLsetintparam(e.env, TVL_PARAM_DATACHECK, 1);
  char badtype[2] = {'3', '1'};
  EXPECT_EQ(TVLcopysos(e.env, lp, 2, 5, badtype, beg, ind, wt, nullptr), TVLERR_ILLEGAL_SOSTYPE_ENTRY);
  double samewt[5] = {1, 1, 1, 2, 3};
  EXPECT_EQ(TVLcopysos(e.env, lp, 2, 5, type, beg, ind, samewt, nullptr), TVLERR_SET_DOES_NOT_HAVE_UNIQUE_WEIGHTS);
  EXPECT_EQ(TVLgetnumsos(e.env, lp), 2);
  TVLfreeprob(e.env, &copy);
  TVLfreeprob(e.env, &lp);
}

TEST(ModelParts, QuadraticObjectiveLoadsQueriesAndSetsTypes) {
  Env e;
  TVLLPptr lp = four_columns(e.env);
  int nz, surplus;
  EXPECT_EQ(TVLgetquad(e.env, lp, &nz, nullptr, nullptr, nullptr, 0, &surplus, 0, 3), TVLERR_NOT_A_QUADRATIC_PROGRAM);
  // Q: (a,a)=2, (a,b)=(b,a)=1, (d,d)=4, and a stored zero that is dropped.
  int qb[4] = {0, 2, 4, 4}, qc[4] = {2, 2, 0, 1}, qi[5] = {0, 1, 0, 2, 3};
  double qv[5] = {2, 1, 1, 0, 4};
  ASSERT_EQ(TVLcopyquad(e.env, lp, qb, qc, qi, qv), 0);
  EXPECT_EQ(TVLgetprobtype(e.env, lp), TVLPROB_QP);
  EXPECT_EQ(TVLgetnumqpnz(e.env, lp), 4);
  EXPECT_EQ(TVLgetnumquad(e.env, lp), 3);
  int gb[4], gi[4];
  double gv[4];
  EXPECT_EQ(TVLgetquad(e.env, lp, &nz, gb, gi, gv, 0, &surplus, 0, 3), TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  EXPECT_EQ(surplus, -4);
  ASSERT_EQ(TVLgetquad(e.env, lp, &nz, gb, gi, gv, 4, &surplus, 0, 3), 0);
  EXPECT_EQ(std::vector<int>(gb, gb + 4), (std::vector<int>{0, 2, 3, 3}));
  EXPECT_EQ(gv[3], 4.0);
  // Column types make it a MIQP; a diagonal replaces Q.
  ASSERT_EQ(TVLcopyctype(e.env, lp, "CIBC"), 0);
  EXPECT_EQ(TVLgetprobtype(e.env, lp), TVLPROB_MIQP);
  double diag[4] = {1, 0, 3, 0};
  ASSERT_EQ(TVLcopyqpsep(e.env, lp, diag), 0);
  EXPECT_EQ(TVLgetnumqpnz(e.env, lp), 2);
  // With data checking a non-symmetric Q is refused.
  TVLsetintparam(e.env, TVL_PARAM_DATACHECK, 1);
  double asym[5] = {2, 1, 5, 0, 4};
  e.err.clear();
  EXPECT_EQ(TVLcopyquad(e.env, lp, qb, qc, qi, asym), TVLERR_Q_IN_IS_NOT_SYMMETRIC);
  EXPECT_EQ(e.err, "TAVLO Error  5012: Q in objective is not symmetric.\n");
  EXPECT_EQ(TVLgetnumqpnz(e.env, lp), 2);
  TVLfreeprob(e.env, &lp);
}

TEST(ModelParts, QuadraticAndIndicatorConstraints) {
  Env e;
  TVLLPptr lp = four_columns(e.env);
  int li[2] = {0, 3}, qr[2] = {0, 1}, qcol[2] = {0, 2};
  double lv[2] = {1, -1}, qv[2] = {1, 2};
  EXPECT_EQ(TVLaddqconstr(e.env, lp, 2, 2, 5, 'E', li, lv, qr, qcol, qv, "q"), TVLERR_SENSE_MUST_BE_L_OR_G);
  ASSERT_EQ(TVLaddqconstr(e.env, lp, 2, 2, 5, 'L', li, lv, qr, qcol, qv, "q"), 0);
  ASSERT_EQ(TVLaddqconstr(e.env, lp, 0, 1, 1, 'G', nullptr, nullptr, qr, qr, qv, nullptr), 0);
  EXPECT_EQ(TVLgetprobtype(e.env, lp), TVLPROB_QCP);
  EXPECT_EQ(TVLgetnumqconstrs(e.env, lp), 2);
  int lnz, qnz, ls, qs, gli[2], gqr[2], gqc[2];
  double rhs, glv[2], gqv[2];
  char sense;
  EXPECT_EQ(TVLgetqconstr(e.env, lp, &lnz, &qnz, &rhs, &sense, nullptr, nullptr, 0, &ls, nullptr, nullptr, nullptr, 0,
                          &qs, 0),
            TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  EXPECT_EQ(ls, -2);
  EXPECT_EQ(qs, -2);
  EXPECT_EQ(rhs, 5.0);
  EXPECT_EQ(sense, 'L');
  ASSERT_EQ(TVLgetqconstr(e.env, lp, &lnz, &qnz, &rhs, &sense, gli, glv, 2, &ls, gqr, gqc, gqv, 2, &qs, 0), 0);
  EXPECT_EQ(gqc[1], 2);
  EXPECT_EQ(glv[1], -1.0);
  char buf[16];
  int surplus;
  ASSERT_EQ(TVLgetqconstrname(e.env, lp, buf, sizeof buf, &surplus, 0), 0);
  EXPECT_STREQ(buf, "q");
  EXPECT_EQ(TVLgetqconstrname(e.env, lp, buf, sizeof buf, &surplus, 1), TVLERR_NO_NAMES_EXIST);
  int one = 1;
  char *nn[1] = {(char *)"q2"};
  ASSERT_EQ(TVLEchgqcname(e.env, lp, 1, &one, nn), 0);
  ASSERT_EQ(TVLgetqconstrname(e.env, lp, buf, sizeof buf, &surplus, 1), 0);
  EXPECT_STREQ(buf, "q2");
  // Indicators: b = 0 implies a + d >= 1; they make the problem a MIP.
  int ii[2] = {0, 3};
  double iv[2] = {1, 1};
  EXPECT_EQ(TVLEaddindconstr(e.env, lp, 7, 0, 2, 1, 'G', ii, iv, "i"), TVLERR_COLUMN_INDEX_OUT_OF_RANGE);
  ASSERT_EQ(TVLEaddindconstr(e.env, lp, 1, 1, 2, 1, 'G', ii, iv, "i"), 0);
  EXPECT_EQ(TVLgetprobtype(e.env, lp), TVLPROB_MIQCP);
  EXPECT_EQ(TVLgetnumindconstrs(e.env, lp), 1);
  int var, compl_, nz, gi[2];
  double gv[2];
  ASSERT_EQ(TVLgetindconstr(e.env, lp, &var, &compl_, &nz, &rhs, &sense, gi, gv, 2, &surplus, 0), 0);
  EXPECT_EQ(var, 1);
  EXPECT_EQ(compl_, 1);
  EXPECT_EQ(nz, 2);
  EXPECT_EQ(sense, 'G');
  EXPECT_EQ(TVLEgetindicator(e.env, lp, 0, &var, &compl_, &nz, &rhs, &sense, gi, gv, 1, &surplus),
            TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  EXPECT_EQ(surplus, -1);
  ASSERT_EQ(TVLgetindconstrname(e.env, lp, buf, sizeof buf, &surplus, 0), 0);
  EXPECT_STREQ(buf, "i");
  // Loading new LP data drops every part.
  double obj[1] = {1}, lb[1] = {0}, ub[1] = {1}, r[1] = {1}, val[1] = {1};
  int beg[1] = {0}, cnt[1] = {1}, ind[1] = {0};
  ASSERT_EQ(TVLcopylp(e.env, lp, 1, 1, 1, obj, r, "L", beg, cnt, ind, val, lb, ub, nullptr), 0);
  EXPECT_EQ(TVLgetprobtype(e.env, lp), TVLPROB_LP);
  EXPECT_EQ(TVLgetnumqconstrs(e.env, lp), 0);
  EXPECT_EQ(TVLgetnumindconstrs(e.env, lp), 0);
  TVLfreeprob(e.env, &lp);
}
