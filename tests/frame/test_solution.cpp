// Solution record, queries and quality measures on small problems whose
// outcome is known exactly, stored the way the optimizers store theirs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/basis.h"
#include "frame/problem.h"
#include "frame/solution.h"
#include "lpmodel/lpbuild.h"
#include "support/api_session.h"
#include "tavlo.h"

namespace {

struct Fixture : tvltest::ApiSession {
  Fixture() : ApiSession("small") {}
  void load_small() { ASSERT_EQ(ApiSession::load_small(), 0); }
  // The optimizer's result in minimisation form.
  tvl::lp::LpResult small_optimum() const {
    tvl::lp::LpResult r;
    r.status = tvl::lp::LpStatus::Optimal;
    r.objval = -11.0;
    r.x = {3.0, 1.0};
    r.rowact = {4.0, 6.0};
    r.pi = {-2.0, 0.0};
    r.dj = {-1.0, 0.0};
    r.basis.colstat = {2, 1};
    r.basis.rowstat = {2, 1};
    r.iterations = 2;
    r.phase1_iterations = 1;
    r.primal_feasible = r.dual_feasible = true;
    r.kappa = 5.0;
    return r;
  }
  int store(const tvl::lp::LpResult &r) {
    tvl::lp::LpModel model;
    tvl::lp::build_model(*lp->lp, model);
    return tvl::lp::store_result(lp, model, r, TVL_ALG_DUAL);
  }
};

TEST(SolutionQuery, NothingStoredAnswersNoSolution) {
  Fixture f;
  f.load_small();
  double x[2];
  EXPECT_EQ(TVLgetstat(f.env, f.lp), 0);
  EXPECT_EQ(TVLgetx(f.env, f.lp, x, 0, 1), TVLERR_NO_SOLUTION_EXISTS);
  EXPECT_EQ(TVLgetpi(f.env, f.lp, x, 0, 1), TVLERR_NO_SOLUTION_EXISTS);
  double obj = 0.0;
  EXPECT_EQ(TVLgetobjval(f.env, f.lp, &obj), TVLERR_NO_SOLUTION_EXISTS);
  EXPECT_EQ(TVLsolution(f.env, f.lp, nullptr, &obj, nullptr, nullptr, nullptr, nullptr),
            TVLERR_NO_SOLUTION_EXISTS);
  int method = 7, type = 7, pfeas = 7, dfeas = 7;
  EXPECT_EQ(TVLsolninfo(f.env, f.lp, &method, &type, &pfeas, &dfeas), 0);
  EXPECT_EQ(method, -1);
  EXPECT_EQ(type, 0);
  EXPECT_EQ(pfeas, 0);
  EXPECT_EQ(dfeas, 0);
  f.errors.clear();
  EXPECT_EQ(TVLgetitcnt(f.env, f.lp), 0);
  EXPECT_NE(f.errors.find("1217"), std::string::npos);
  EXPECT_EQ(TVLgetmethod(f.env, f.lp), -1);
  EXPECT_EQ(TVLgetdblquality(f.env, f.lp, &obj, TVL_MAX_X), TVLERR_NO_SOLUTION_EXISTS);
  int cstat[2], rstat[2];
  EXPECT_EQ(TVLgetbase(f.env, f.lp, cstat, rstat), TVLERR_NO_BASIS_EXISTS);
  // Handle checks come first.
  EXPECT_EQ(TVLgetx(nullptr, f.lp, x, 0, 1), TVLERR_NO_ENVIRONMENT);
  EXPECT_EQ(TVLgetx(f.env, nullptr, x, 0, 1), TVLERR_NO_PROBLEM_EXISTS);
  EXPECT_EQ(TVLgetstat(f.env, nullptr), 0);
}

TEST(SolutionQuery, StoredOptimumInCallerTerms) {
  Fixture f;
  f.load_small();
  ASSERT_EQ(f.store(f.small_optimum()), 0);
  int stat = 0;
  double obj = 0.0, x[2], pi[2], slack[2], dj[2], ax[2];
  ASSERT_EQ(TVLsolution(f.env, f.lp, &stat, &obj, x, pi, slack, dj), 0);
  EXPECT_EQ(stat, TVL_STAT_OPTIMAL);
  EXPECT_DOUBLE_EQ(obj, 11.0);
  EXPECT_DOUBLE_EQ(x[0], 3.0);
  EXPECT_DOUBLE_EQ(x[1], 1.0);
  EXPECT_DOUBLE_EQ(pi[0], 2.0);  // the maximisation's own sign
  EXPECT_DOUBLE_EQ(pi[1], 0.0);
  EXPECT_DOUBLE_EQ(dj[0], 1.0);
  EXPECT_DOUBLE_EQ(slack[0], 0.0);  // rhs - A x
  EXPECT_DOUBLE_EQ(slack[1], 1.0);
  ASSERT_EQ(TVLgetax(f.env, f.lp, ax, 1, 1), 0);
  EXPECT_DOUBLE_EQ(ax[0], 6.0);
  int method = 0, type = 0, pfeas = 0, dfeas = 0;
  ASSERT_EQ(TVLsolninfo(f.env, f.lp, &method, &type, &pfeas, &dfeas), 0);
  EXPECT_EQ(method, TVL_ALG_DUAL);
  EXPECT_EQ(type, TVL_BASIC_SOLN);
  EXPECT_EQ(pfeas, 1);
  EXPECT_EQ(dfeas, 1);
  EXPECT_EQ(TVLgetmethod(f.env, f.lp), TVL_ALG_DUAL);
  EXPECT_EQ(TVLgetitcnt(f.env, f.lp), 2);
  EXPECT_EQ(TVLgetphase1cnt(f.env, f.lp), 1);
  EXPECT_EQ(TVLgetbaritcnt(f.env, f.lp), 0);
  int cstat[2], rstat[2];
  ASSERT_EQ(TVLgetbase(f.env, f.lp, cstat, rstat), 0);
  EXPECT_EQ(cstat[0], TVL_AT_UPPER);
  EXPECT_EQ(cstat[1], TVL_BASIC);
  EXPECT_EQ(rstat[0], TVL_AT_LOWER);  // an 'L' row at its right-hand side
  EXPECT_EQ(rstat[1], TVL_BASIC);
}

TEST(SolutionQuery, RangeAndArgumentErrorsNameTheFunction) {
  Fixture f;
  f.load_small();
  ASSERT_EQ(f.store(f.small_optimum()), 0);
  double v[4];
  f.errors.clear();
  EXPECT_EQ(TVLgetx(f.env, f.lp, v, -1, 0), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_NE(f.errors.find("TVLgetx: 'begin' value -1 is less than 0"), std::string::npos);
  EXPECT_NE(f.errors.find("1200"), std::string::npos);
  f.errors.clear();
  EXPECT_EQ(TVLgetpi(f.env, f.lp, v, 0, 2), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_NE(f.errors.find("TVLgetpi: 'end' value 2 is greater than 1"), std::string::npos);
  EXPECT_EQ(TVLgetslack(f.env, f.lp, nullptr, 0, 1), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  EXPECT_EQ(TVLgetdj(f.env, f.lp, v, 1, 0), 0);  // empty range
  EXPECT_EQ(TVLgetobjval(f.env, f.lp, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  // A primal-only record refuses duals with 1232.
  tvl::lp::LpResult r = f.small_optimum();
  r.pi.clear();
  r.dj.clear();
  ASSERT_EQ(f.store(r), 0);
  EXPECT_EQ(TVLgetpi(f.env, f.lp, v, 0, 1), TVLERR_NO_DUAL_SOLUTION_EXISTS);
  EXPECT_EQ(TVLsolution(f.env, f.lp, nullptr, nullptr, v, nullptr, nullptr, v),
            TVLERR_NO_DUAL_SOLUTION_EXISTS);
  EXPECT_EQ(TVLgetx(f.env, f.lp, v, 0, 1), 0);
  int type = 0;
  ASSERT_EQ(TVLsolninfo(f.env, f.lp, nullptr, &type, nullptr, nullptr), 0);
  EXPECT_EQ(type, TVL_PRIMAL_SOLN);
  // Changing the data discards the outcome.
  const int idx = 0;
  const double c = 4.0;
  ASSERT_EQ(TVLchgobj(f.env, f.lp, 1, &idx, &c), 0);
  EXPECT_EQ(TVLgetstat(f.env, f.lp), 0);
  EXPECT_EQ(TVLgetx(f.env, f.lp, v, 0, 1), TVLERR_NO_SOLUTION_EXISTS);
}

TEST(SolutionQuality, MeasuresOnTheUnscaledData) {
  Fixture f;
  f.load_small();
  ASSERT_EQ(f.store(f.small_optimum()), 0);
  double q = -1.0;
  int idx = -5;
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_MAX_PRIMAL_INFEAS), 0);
  EXPECT_EQ(q, 0.0);
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_MAX_DUAL_INFEAS), 0);
  EXPECT_EQ(q, 0.0);
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_MAX_DUAL_RESIDUAL), 0);
  EXPECT_EQ(q, 0.0);
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_MAX_PRIMAL_RESIDUAL), 0);
  EXPECT_EQ(q, 0.0);
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_MAX_X), 0);
  EXPECT_EQ(q, 3.0);
  ASSERT_EQ(TVLgetintquality(f.env, f.lp, &idx, TVL_MAX_X), 0);
  EXPECT_EQ(idx, 0);
  ASSERT_EQ(TVLgetintquality(f.env, f.lp, &idx, TVL_MAX_SLACK), 0);
  EXPECT_EQ(idx, 1);
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_SUM_X), 0);
  EXPECT_EQ(q, 4.0);
  EXPECT_EQ(TVLgetintquality(f.env, f.lp, &idx, TVL_SUM_X),
            TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_PRIMAL_OBJ), 0);
  EXPECT_DOUBLE_EQ(q, 11.0);
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_DUAL_OBJ), 0);
  EXPECT_DOUBLE_EQ(q, 11.0);
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_OBJ_GAP), 0);
  EXPECT_NEAR(q, 0.0, 1e-12);
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_KAPPA), 0);
  EXPECT_EQ(q, 5.0);
  EXPECT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_KAPPA_MAX),
            TVLERR_NO_KAPPA_STATISTICS_ARE_AVAILABLE);
  EXPECT_EQ(TVLgetdblquality(f.env, f.lp, nullptr, TVL_MAX_X), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);

  // Primal faults: y = 1.5 breaks both rows by 0.5; the stored activities
  // (4, 6) no longer match A x, so the slacks leave residuals.
  tvl::lp::LpResult r = f.small_optimum();
  r.x = {3.0, 1.5};
  ASSERT_EQ(f.store(r), 0);
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_MAX_PRIMAL_INFEAS), 0);
  EXPECT_DOUBLE_EQ(q, 0.5);
  ASSERT_EQ(TVLgetintquality(f.env, f.lp, &idx, TVL_MAX_PRIMAL_INFEAS), 0);
  EXPECT_EQ(idx, 2);  // row 0 as variable n + 0
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_SUM_PRIMAL_INFEAS), 0);
  EXPECT_DOUBLE_EQ(q, 1.0);
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_MAX_PRIMAL_RESIDUAL), 0);
  EXPECT_DOUBLE_EQ(q, 1.5);  // row 1: 7 - 7.5 - 1
  ASSERT_EQ(TVLgetintquality(f.env, f.lp, &idx, TVL_MAX_PRIMAL_RESIDUAL), 0);
  EXPECT_EQ(idx, 1);
  double infeas[2];
  ASSERT_EQ(TVLgetrowinfeas(f.env, f.lp, nullptr, infeas, 0, 1), 0);
  EXPECT_DOUBLE_EQ(infeas[0], 0.5);
  EXPECT_DOUBLE_EQ(infeas[1], 0.5);

  // Dual faults: the basic y carries a reduced cost of 0.25 that the duals
  // do not explain.
  r = f.small_optimum();
  r.dj = {-1.0, 0.25};
  ASSERT_EQ(f.store(r), 0);
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_MAX_DUAL_RESIDUAL), 0);
  EXPECT_DOUBLE_EQ(q, 0.25);
  ASSERT_EQ(TVLgetintquality(f.env, f.lp, &idx, TVL_MAX_DUAL_RESIDUAL), 0);
  EXPECT_EQ(idx, 1);
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_MAX_DUAL_INFEAS), 0);
  EXPECT_DOUBLE_EQ(q, 0.25);
  ASSERT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_MAX_PRIMAL_INFEAS), 0);
  EXPECT_EQ(q, 0.0);
  // Without a factored basis there is no condition estimate.
  r.basis = tvl::lp::Basis();
  ASSERT_EQ(f.store(r), 0);
  EXPECT_EQ(TVLgetdblquality(f.env, f.lp, &q, TVL_KAPPA), TVLERR_NO_LU_FACTORIZATION_EXISTS);
  const double probe[] = {-1.0, 3.0};
  ASSERT_EQ(TVLgetcolinfeas(f.env, f.lp, probe, infeas, 0, 1), 0);
  EXPECT_DOUBLE_EQ(infeas[0], -1.0);
  EXPECT_DOUBLE_EQ(infeas[1], 0.0);
  ASSERT_EQ(TVLgetrowinfeas(f.env, f.lp, probe, infeas, 1, 1), 0);
  EXPECT_DOUBLE_EQ(infeas[0], 1.0);  // -1 + 9 = 8 > 7
}

TEST(SolutionBasis, CopyGetStartAndRowConventions) {
  Fixture f;
  // Rows: 'L', 'G', 'E', 'R' with range 2, 'R' with range -2; column j
  // appears in row j only, so the five columns can form the basis.
  const double obj[] = {1, 1, 1, 1, 1}, rhs[] = {1.0, 2.0, 3.0, 4.0, 5.0};
  const double lb[] = {0, 0, 0, 0, 0}, ub[] = {10, 10, 10, 10, 10};
  const double rng[] = {0.0, 0.0, 0.0, 2.0, -2.0};
  const char sense[] = {'L', 'G', 'E', 'R', 'R'};
  const int beg[] = {0, 1, 2, 3, 4}, cnt[] = {1, 1, 1, 1, 1}, ind[] = {0, 1, 2, 3, 4};
  const double val[] = {1.0, 1.0, 1.0, 1.0, 1.0};
  ASSERT_EQ(TVLcopylp(f.env, f.lp, 5, 5, TVL_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub, rng), 0);
  tvl::lp::LpModel model;
  tvl::lp::build_model(*f.lp->lp, model);
  EXPECT_EQ(model.rowlo[0], -1e20);
  EXPECT_EQ(model.rowup[0], 1.0);
  EXPECT_EQ(model.rowlo[1], 2.0);
  EXPECT_EQ(model.rowup[1], 1e20);
  EXPECT_EQ(model.rowlo[3], 4.0);
  EXPECT_EQ(model.rowup[3], 6.0);
  EXPECT_EQ(model.rowlo[4], 3.0);  // negative range: [rhs + r, rhs]
  EXPECT_EQ(model.rowup[4], 5.0);

  const int cstat[] = {TVL_BASIC, TVL_BASIC, TVL_BASIC, TVL_BASIC, TVL_BASIC};
  const int rstat[] = {TVL_AT_LOWER, TVL_AT_LOWER, TVL_AT_LOWER, TVL_AT_UPPER, TVL_AT_UPPER};
  EXPECT_EQ(TVLcopybase(f.env, f.lp, nullptr, rstat), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  ASSERT_EQ(TVLcopybase(f.env, f.lp, cstat, rstat), 0);
  tvl::lp::Basis start;
  ASSERT_TRUE(tvl::lp::build_start(f.lp, model, start));
  // Activity view: 'L' at rhs is the upper end, 'G'/'E' the lower end;
  // status 2 of a ranged row is rhs + r: the upper end for r >= 0, the
  // lower end for r < 0.
  EXPECT_EQ(start.rowstat, (std::vector<int8_t>{2, 0, 0, 2, 0}));
  // Back to the library's codes.
  tvl::lp::LpResult r;
  r.status = tvl::lp::LpStatus::Optimal;
  r.x = {1.0, 1.0, 1.0, 1.0, 1.0};
  r.rowact = {1.0, 1.0, 1.0, 1.0, 1.0};
  r.basis = start;
  ASSERT_EQ(tvl::lp::store_result(f.lp, model, r, TVL_ALG_DUAL), 0);
  int cs[5], rs[5];
  ASSERT_EQ(TVLgetbase(f.env, f.lp, cs, rs), 0);
  EXPECT_EQ(std::vector<int>(rs, rs + 5), std::vector<int>(rstat, rstat + 5));
  // A basis with the wrong number of basic variables is not used as a start.
  const int allbasic[] = {TVL_BASIC, TVL_BASIC, TVL_BASIC, TVL_BASIC, TVL_BASIC};
  ASSERT_EQ(TVLcopybase(f.env, f.lp, cstat, allbasic), 0);
  EXPECT_FALSE(tvl::lp::build_start(f.lp, model, start));
  // Statuses are checked with data checking on.
  ASSERT_EQ(TVLsetintparam(f.env, TVL_PARAM_DATACHECK, 1), 0);
  const int bad[] = {0, 0, 7, 0, 0};
  f.errors.clear();
  EXPECT_EQ(TVLcopybase(f.env, f.lp, bad, rstat), TVLERR_INVALID_STATUS_ENTRY_FOR_BASIS_SPECIFICATION);
  EXPECT_EQ(f.errors, "TAVLO Error  1253: Invalid status entry 2 for basis specification.\n");
  // A start with values only holds no basis.
  const double xs[] = {2, 2, 2, 2, 2};
  ASSERT_EQ(TVLcopystart(f.env, f.lp, nullptr, nullptr, xs, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(TVLgetbase(f.env, f.lp, cs, rs), TVLERR_NO_BASIS_EXISTS);
}

TEST(SolutionFarkas, ProofOfInconsistentRows) {
  Fixture f;
  // x + y >= 3 with x, y in [0, 1]: y = (1) gives need 3 > reach 2.
  const double obj[] = {1.0, 1.0}, rhs[] = {3.0}, lb[] = {0.0, 0.0}, ub[] = {1.0, 1.0};
  const char sense[] = {'G'};
  const int beg[] = {0, 1}, cnt[] = {1, 1}, ind[] = {0, 0};
  const double val[] = {1.0, 1.0};
  ASSERT_EQ(TVLcopylp(f.env, f.lp, 2, 1, TVL_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr), 0);
  const double y[] = {1.0}, ny[] = {-1.0};
  EXPECT_DOUBLE_EQ(tvl::lp::farkas_proof(*f.lp->lp, y), 1.0);
  EXPECT_LT(tvl::lp::farkas_proof(*f.lp->lp, ny), 0.0);
  // The stored ray is turned into its proving orientation.
  tvl::lp::LpModel model;
  tvl::lp::build_model(*f.lp->lp, model);
  tvl::lp::LpResult r;
  r.status = tvl::lp::LpStatus::Infeasible;
  r.ray = {-1.0};
  ASSERT_EQ(tvl::lp::store_result(f.lp, model, r, TVL_ALG_DUAL), 0);
  EXPECT_EQ(TVLgetstat(f.env, f.lp), TVL_STAT_INFEASIBLE);
  double ray[1], proof = 0.0;
  ASSERT_EQ(TVLdualfarkas(f.env, f.lp, ray, &proof), 0);
  EXPECT_EQ(ray[0], 1.0);
  EXPECT_DOUBLE_EQ(proof, 1.0);
}

}  // namespace
