// Which preference moves which side, what an absent or non-positive
// preference means, the statuses of stopped runs and the parts the
// relaxation refuses.
#include <gtest/gtest.h>

#include <vector>

#include "support/api_session.h"

namespace {

using tvltest::ApiSession;

// One column x (lb 8, ub 20) and one ranged row on x whose range is
// [2, 5] either as rhs 2 range +3 or as rhs 5 range -3: infeasible, since
// x >= 8.  Returns the measure (objective value in mode 0), or -1 when the
// relaxation is infeasible.
double ranged_case(double rhs, double rng, const std::vector<double> &rngpref, const std::vector<double> &rhspref,
                   double lbpref, int *stat) {
  ApiSession s("ranged");
  const double obj = 1.0, lb = 8.0, ub = 20.0, val = 1.0;
  const char sense = 'R';
  const int beg = 0, cnt = 1, ind = 0;
  EXPECT_EQ(TVLcopylp(s.env, s.lp, 1, 1, TVL_MIN, &obj, &rhs, &sense, &beg, &cnt, &ind, &val, &lb, &ub, &rng), 0);
  EXPECT_EQ(TVLfeasopt(s.env, s.lp, rngpref.empty() ? nullptr : rngpref.data(),
                       rhspref.empty() ? nullptr : rhspref.data(), &lbpref, nullptr),
            0);
  *stat = TVLgetstat(s.env, s.lp);
  double v = -1.0;
  if (*stat == TVL_STAT_OPTIMAL_RELAXED_SUM) { EXPECT_EQ(TVLgetobjval(s.env, s.lp, &v), 0); }
  else { EXPECT_EQ(TVLgetobjval(s.env, s.lp, &v), TVLERR_NO_SOLUTION_EXISTS); }
  return *stat == TVL_STAT_OPTIMAL_RELAXED_SUM ? v : -1.0;
}

TEST(FeasoptPrefs, RangeAndRhsPreferencesMoveTheirOwnEnd) {
  int stat = 0;
  // rhs 2, range +3: rhs is the lower end, the range preference moves 5 up.
  EXPECT_NEAR(ranged_case(2, 3, {1.0}, {}, 0.0, &stat), 3.0, 1e-9);
  EXPECT_EQ(ranged_case(2, 3, {}, {1.0}, 0.0, &stat), -1.0);
  EXPECT_EQ(stat, TVL_STAT_INFEASIBLE);
  // rhs 5, range -3: rhs is the upper end.
  EXPECT_NEAR(ranged_case(5, -3, {}, {1.0}, 0.0, &stat), 3.0, 1e-9);
  EXPECT_EQ(ranged_case(5, -3, {1.0}, {}, 0.0, &stat), -1.0);
  // The cheaper of two relaxations wins: moving lb 8 -> 5 costs 3 / pref.
  EXPECT_NEAR(ranged_case(2, 3, {1.0}, {}, 0.5, &stat), 3.0, 1e-9);
  EXPECT_NEAR(ranged_case(2, 3, {1.0}, {}, 4.0, &stat), 0.75, 1e-9);
  // Preferences <= 0 keep their item fixed.
  EXPECT_NEAR(ranged_case(2, 3, {0.0}, {-1.0}, 4.0, &stat), 0.75, 1e-9);
  EXPECT_EQ(ranged_case(2, 3, {-2.0}, {0.0}, 0.0, &stat), -1.0);
}

// x + y <= 1 and x + y >= 3 with x, y in [0, 10].
void load_contradiction(ApiSession &s) {
  const double obj[] = {1.0, 2.0}, rhs[] = {1.0, 3.0}, lb[] = {0.0, 0.0}, ub[] = {10.0, 10.0};
  const char sense[] = {'L', 'G'};
  const int beg[] = {0, 2}, cnt[] = {2, 2}, ind[] = {0, 1, 0, 1};
  const double val[] = {1.0, 1.0, 1.0, 1.0};
  ASSERT_EQ(TVLcopylp(s.env, s.lp, 2, 2, TVL_MAX, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr), 0);
}

TEST(FeasoptPrefs, SolutionQueriesAfterARelaxation) {
  ApiSession s("contradiction");
  load_contradiction(s);
  // No array: nothing may move.
  ASSERT_EQ(TVLfeasopt(s.env, s.lp, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_INFEASIBLE);
  double x[2] = {0, 0};
  EXPECT_EQ(TVLgetx(s.env, s.lp, x, 0, 1), TVLERR_NO_SOLUTION_EXISTS);
  // Moving the first row costs 1 per unit, the second 1/4: the second moves.
  const double rhspref[] = {1.0, 4.0};
  ASSERT_EQ(TVLfeasopt(s.env, s.lp, nullptr, rhspref, nullptr, nullptr), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL_RELAXED_SUM);
  double obj = 0.0, slack[2] = {0, 0}, infeas[2] = {0, 0};
  ASSERT_EQ(TVLsolution(s.env, s.lp, nullptr, &obj, x, nullptr, slack, nullptr), 0);
  EXPECT_NEAR(obj, 0.5, 1e-9);
  EXPECT_NEAR(x[0] + x[1], 1.0, 1e-9);
  EXPECT_NEAR(slack[1], 2.0, 1e-9);  // against the unrelaxed rhs 3
  ASSERT_EQ(TVLgetrowinfeas(s.env, s.lp, nullptr, infeas, 0, 1), 0);
  EXPECT_NEAR(infeas[1], -2.0, 1e-9);
  EXPECT_EQ(TVLgetmethod(s.env, s.lp), TVL_ALG_FEASOPT);
  // Phase 2 maximises x + 2y among the minimal relaxations: y = 1, and the
  // objective value is the problem's own.
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_FEASOPTMODE, 1), 0);
  ASSERT_EQ(TVLfeasopt(s.env, s.lp, nullptr, rhspref, nullptr, nullptr), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_FEASIBLE_RELAXED_SUM);
  ASSERT_EQ(TVLsolution(s.env, s.lp, nullptr, &obj, x, nullptr, nullptr, nullptr), 0);
  EXPECT_NEAR(x[1], 1.0, 1e-5);
  EXPECT_NEAR(obj, 2.0, 1e-5);
  // Minimum number: one row moves, whichever is cheaper to count.
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_FEASOPTMODE, 2), 0);
  ASSERT_EQ(TVLfeasopt(s.env, s.lp, nullptr, rhspref, nullptr, nullptr), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL_RELAXED_INF);
  ASSERT_EQ(TVLgetobjval(s.env, s.lp, &obj), 0);
  EXPECT_NEAR(obj, 0.25, 1e-9);
  // Squares: violations split 2 = a + b minimising a^2 + b^2 / 4, so
  // a = 0.4, b = 1.6, measure 0.8.
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_FEASOPTMODE, 4), 0);
  ASSERT_EQ(TVLfeasopt(s.env, s.lp, nullptr, rhspref, nullptr, nullptr), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL_RELAXED_QUAD);
  ASSERT_EQ(TVLgetobjval(s.env, s.lp, &obj), 0);
  EXPECT_NEAR(obj, 0.8, 1e-6);
  ASSERT_EQ(TVLgetrowinfeas(s.env, s.lp, nullptr, infeas, 0, 1), 0);
  EXPECT_NEAR(infeas[0], 0.4, 1e-3);
}

TEST(FeasoptPrefs, LimitsAndAbortBeforeARelaxation) {
  ApiSession s("afiro");
  ASSERT_EQ(s.read_netlib("afiro"), 0);
  const int m = TVLgetnumrows(s.env, s.lp);
  // A contradicting row: x1 >= 1000 where x1 <= 500 follows from the model.
  std::vector<double> rhspref(static_cast<size_t>(m) + 1, 1.0);
  const double rhs = 1e4, val = 1.0;
  const char sense = 'G';
  const int beg = 0, ind = 0;
  ASSERT_EQ(TVLaddrows(s.env, s.lp, 0, 1, 1, &rhs, &sense, &beg, &ind, &val, nullptr, nullptr), 0);
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_ITLIM, 0), 0);
  for (int mode : {0, 1, 4}) {
    ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_FEASOPTMODE, mode), 0);
    ASSERT_EQ(TVLfeasopt(s.env, s.lp, nullptr, rhspref.data(), nullptr, nullptr), 0);
    EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_ABORT_RELAXED) << mode;
    double x = 0.0;
    EXPECT_EQ(TVLgetx(s.env, s.lp, &x, 0, 0), TVLERR_NO_SOLUTION_EXISTS);
  }
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_ITLIM, 2100000000), 0);
  volatile int stop = 1;
  ASSERT_EQ(TVLsetterminate(s.env, &stop), 0);
  ASSERT_EQ(TVLfeasopt(s.env, s.lp, nullptr, rhspref.data(), nullptr, nullptr), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_ABORT_RELAXED);
  stop = 0;
  ASSERT_EQ(TVLfeasopt(s.env, s.lp, nullptr, rhspref.data(), nullptr, nullptr), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL_RELAXED_QUAD);
}

TEST(FeasoptPrefs, MipNodeLimitKeepsTheBestRelaxationFound) {
  ApiSession s("p0033");
  s.read_miplib("p0033");
  const int m = TVLgetnumrows(s.env, s.lp);
  std::vector<double> rhspref(static_cast<size_t>(m), 1.0);
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_FEASOPTMODE, 2), 0);
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_NODELIM, 0), 0);
  ASSERT_EQ(TVLfeasopt(s.env, s.lp, nullptr, rhspref.data(), nullptr, nullptr), 0);
  const int stat = TVLgetstat(s.env, s.lp);
  double obj = -1.0;
  if (stat == TVLMIP_ABORT_RELAXED) {
    EXPECT_EQ(TVLgetobjval(s.env, s.lp, &obj), TVLERR_NO_SOLUTION_EXISTS);
  } else {
    // p0033 is feasible: any relaxation found is the empty one or worse.
    EXPECT_TRUE(stat == TVLMIP_FEASIBLE_RELAXED_INF || stat == TVLMIP_OPTIMAL_RELAXED_INF) << stat;
    EXPECT_EQ(TVLgetobjval(s.env, s.lp, &obj), 0);
    EXPECT_GE(obj, 0.0);
  }
}

TEST(FeasoptPrefs, RefusedParts) {
  ApiSession s("parts");
  load_contradiction(s);
  const double rhspref[] = {1.0, 1.0};
  // An indicator constraint cannot be relaxed.
  const int ind = 0;
  const double val = 1.0;
  ASSERT_EQ(TVLchgprobtype(s.env, s.lp, TVLPROB_MILP), 0);
  const int z = 1;
  const char b = 'B';
  ASSERT_EQ(TVLchgctype(s.env, s.lp, 1, &z, &b), 0);
  ASSERT_EQ(TVLEaddindconstr(s.env, s.lp, 1, 0, 1, 0.5, 'L', &ind, &val, nullptr), 0);
  EXPECT_EQ(TVLfeasopt(s.env, s.lp, nullptr, rhspref, nullptr, nullptr), TVLERR_CONSTRAINT_TYPE_UNSUPPORTED_BY_TVLFEASOPT);
  EXPECT_NE(s.errors.find("Constraint type unsupported by TVLfeasopt"), std::string::npos) << s.errors;
  // Bounds of a semi-continuous column are not a plain interval.
  ApiSession t("semicont");
  load_contradiction(t);
  ASSERT_EQ(TVLchgprobtype(t.env, t.lp, TVLPROB_MILP), 0);
  const char sc = 'S';
  ASSERT_EQ(TVLchgctype(t.env, t.lp, 1, &ind, &sc), 0);
  const double lbpref[] = {1.0, 0.0};
  EXPECT_EQ(TVLfeasopt(t.env, t.lp, nullptr, nullptr, lbpref, nullptr), TVLERR_CONSTRAINT_TYPE_UNSUPPORTED_BY_TVLFEASOPT);
  EXPECT_EQ(TVLfeasopt(t.env, t.lp, nullptr, rhspref, nullptr, nullptr), 0);
  EXPECT_EQ(TVLgetstat(t.env, t.lp), TVLMIP_OPTIMAL_RELAXED_SUM);
}

}  // namespace
