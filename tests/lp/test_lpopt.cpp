// The LP entry points end to end on problems built through the interface:
// dispatch and refusals, stored outcome and quality, limits, termination,
// callbacks, warm starts, determinism and infeasibility proofs.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/api_session.h"
#include "tavlo.h"
#include "support/log_text.h"

namespace {

struct Solver : tvltest::ApiSession {
  Solver() : ApiSession("lpopt") {
    TVLsetintparam(env, TVL_PARAM_PREIND, 0);
    // One thread: the automatic method is the dual simplex, whose callbacks,
    // iteration counts and proofs these tests follow.
    TVLsetintparam(env, TVL_PARAM_THREADS, 1);
  }
  void load_small() { ASSERT_EQ(ApiSession::load_small(), 0); }
  // Transportation problem with k sources and k sinks: supplies as 'L'
  // rows, demands as 'G' rows, deterministic costs.
  void load_transport(int k) {
    const int n = k * k, m = 2 * k;
    std::vector<double> obj(n), lb(n, 0.0), ub(n, 1e20), rhs(m), val;
    std::vector<char> sense(m);
    std::vector<int> beg(n), cnt(n, 2), ind;
    for (int i = 0; i < k; ++i) {
      rhs[i] = 10.0 + (i * 7) % 5;
      sense[i] = 'L';
      rhs[k + i] = 8.0 + (i * 3) % 4;
      sense[k + i] = 'G';
    }
    for (int i = 0; i < k; ++i) {
      for (int j = 0; j < k; ++j) {
        const int c = i * k + j;
        obj[c] = 1.0 + (i * 7 + j * 13) % 17;
        beg[c] = static_cast<int>(ind.size());
        ind.push_back(i);
        val.push_back(1.0);
        ind.push_back(k + j);
        val.push_back(1.0);
      }
    }
    ASSERT_EQ(TVLcopylp(env, lp, n, m, TVL_MIN, obj.data(), rhs.data(), sense.data(), beg.data(),
                        cnt.data(), ind.data(), val.data(), lb.data(), ub.data(), nullptr), 0);
  }
  double quality(int what) {
    double q = -1.0;
    EXPECT_EQ(TVLgetdblquality(env, lp, &q, what), 0) << "measure " << what;
    return q;
  }
};

TEST(LpOpt, SmallLpSolvedAndStoredInCallerTerms) {
  Solver s;
  s.load_small();
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL);
  double obj = 0.0, x[2], pi[2], dj[2], slack[2];
  int stat = 0;
  ASSERT_EQ(TVLsolution(s.env, s.lp, &stat, &obj, x, pi, slack, dj), 0);
  EXPECT_NEAR(obj, 11.0, 1e-9);
  EXPECT_NEAR(x[0], 3.0, 1e-9);
  EXPECT_NEAR(x[1], 1.0, 1e-9);
  EXPECT_NEAR(pi[0], 2.0, 1e-9);
  EXPECT_NEAR(pi[1], 0.0, 1e-9);
  EXPECT_NEAR(dj[0], 1.0, 1e-9);
  EXPECT_NEAR(slack[1], 1.0, 1e-9);
  EXPECT_EQ(TVLgetmethod(s.env, s.lp), TVL_ALG_DUAL);
  int type = 0, pfeas = 0, dfeas = 0;
  ASSERT_EQ(TVLsolninfo(s.env, s.lp, nullptr, &type, &pfeas, &dfeas), 0);
  EXPECT_EQ(type, TVL_BASIC_SOLN);
  EXPECT_EQ(pfeas, 1);
  EXPECT_EQ(dfeas, 1);
  int cstat[2], rstat[2];
  ASSERT_EQ(TVLgetbase(s.env, s.lp, cstat, rstat), 0);
  EXPECT_EQ(cstat[0], TVL_AT_UPPER);
  EXPECT_EQ(cstat[1], TVL_BASIC);
  EXPECT_EQ(rstat[0], TVL_AT_LOWER);
  EXPECT_EQ(rstat[1], TVL_BASIC);
  EXPECT_LT(s.quality(TVL_MAX_PRIMAL_INFEAS), 1e-9);
  EXPECT_LT(s.quality(TVL_MAX_DUAL_INFEAS), 1e-9);
  EXPECT_LT(s.quality(TVL_MAX_PRIMAL_RESIDUAL), 1e-9);
  EXPECT_LT(s.quality(TVL_MAX_DUAL_RESIDUAL), 1e-9);
  EXPECT_NEAR(s.quality(TVL_DUAL_OBJ), 11.0, 1e-9);
  // Final basis [a_y, e_1] = [[1, 0], [3, 1]]: ||B||_1 = 4, ||B^-1||_1 = 4.
  EXPECT_NEAR(s.quality(TVL_KAPPA), 16.0, 1e-9);
  EXPECT_TRUE(s.errors.empty()) << s.errors;
}

TEST(LpOpt, DispatchAndRefusals) {
  Solver s;
  s.load_small();
  // Network, barrier and sifting are not provided.
  for (int method : {3, 4, 5}) {
    ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_LPMETHOD, method), 0);
    s.errors.clear();
    EXPECT_EQ(TVLlpopt(s.env, s.lp), TVLERR_INVALID_CHOICE_OF_OPTIMIZATION_METHOD) << method;
    EXPECT_NE(s.errors.find("Invalid choice of optimization method"), std::string::npos);
  }
  EXPECT_EQ(TVLgetstat(s.env, s.lp), 0);  // nothing ran
  // Each provided method solves and is recorded as the method used.
  const std::pair<int, int> ran[] = {{1, TVL_ALG_PRIMAL}, {2, TVL_ALG_DUAL}, {6, -1}};
  for (auto [method, used] : ran) {
    ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_LPMETHOD, method), 0);
    ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_ADVIND, 0), 0);
    EXPECT_EQ(TVLlpopt(s.env, s.lp), 0) << method;
    EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL);
    const int got = TVLgetmethod(s.env, s.lp);
    if (used > 0) EXPECT_EQ(got, used) << method;
    else EXPECT_TRUE(got == TVL_ALG_PRIMAL || got == TVL_ALG_DUAL) << got;  // the concurrent winner
  }
  EXPECT_EQ(TVLprimopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetmethod(s.env, s.lp), TVL_ALG_PRIMAL);
  // Automatic choice with one thread: dual without a basis; primal from a
  // stored primal feasible basis (the optimal one), dual from an infeasible one.
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_LPMETHOD, 0), 0);
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_THREADS, 1), 0);
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_ADVIND, 1), 0);
  int infeas = -1;
  EXPECT_EQ(TVLcheckpfeas(s.env, s.lp, &infeas), 0);
  EXPECT_EQ(infeas, 0);
  EXPECT_EQ(TVLlpopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetmethod(s.env, s.lp), TVL_ALG_PRIMAL);
  EXPECT_EQ(TVLgetitcnt(s.env, s.lp), 0);
  // Basis {x basic, y basic}: x + y = 4, x + 3y = 7 gives x = 2.5, y = 1.5,
  // feasible; with x's bound tightened to 2 the basic x violates it.
  const int cstat[] = {TVL_BASIC, TVL_BASIC}, rstat[] = {TVL_AT_LOWER, TVL_AT_LOWER};
  ASSERT_EQ(TVLcopybase(s.env, s.lp, cstat, rstat), 0);
  const int j0 = 0;
  const char up = 'U';
  const double two = 2.0;
  ASSERT_EQ(TVLchgbds(s.env, s.lp, 1, &j0, &up, &two), 0);
  EXPECT_EQ(TVLcheckpfeas(s.env, s.lp, &infeas), 0);
  EXPECT_EQ(infeas, 1);
  EXPECT_EQ(TVLlpopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetmethod(s.env, s.lp), TVL_ALG_DUAL);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL);
  EXPECT_EQ(TVLcheckpfeas(s.env, s.lp, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  EXPECT_EQ(TVLdualopt(nullptr, s.lp), TVLERR_NO_ENVIRONMENT);
  EXPECT_EQ(TVLdualopt(s.env, nullptr), TVLERR_NO_PROBLEM_EXISTS);
  EXPECT_EQ(TVLprimopt(s.env, nullptr), TVLERR_NO_PROBLEM_EXISTS);
  // Mixed-integer problems are not for the LP optimizers.
  const char ctype[] = {'I', 'C'};
  ASSERT_EQ(TVLcopyctype(s.env, s.lp, ctype), 0);
  EXPECT_EQ(TVLdualopt(s.env, s.lp), TVLERR_NOT_AVAILABLE_FOR_MIXED_INTEGER_PROGRAMS);
  EXPECT_EQ(TVLprimopt(s.env, s.lp), TVLERR_NOT_AVAILABLE_FOR_MIXED_INTEGER_PROGRAMS);
  EXPECT_EQ(TVLlpopt(s.env, s.lp), TVLERR_NOT_AVAILABLE_FOR_MIXED_INTEGER_PROGRAMS);
}

TEST(LpOpt, LimitsTerminationAndCallbacks) {
  Solver s;
  s.load_transport(12);
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_ADVIND, 0), 0);
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  ASSERT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL);
  const int full = TVLgetitcnt(s.env, s.lp);
  ASSERT_GT(full, 3);

  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_ITLIM, 2), 0);
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_ABORT_IT_LIM);
  EXPECT_EQ(TVLgetitcnt(s.env, s.lp), 2);
  double x[1];
  EXPECT_EQ(TVLgetx(s.env, s.lp, x, 0, 0), 0);  // the stopped run's point is kept
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_ITLIM, 2100000000), 0);

  volatile int flag = 1;
  ASSERT_EQ(TVLsetterminate(s.env, &flag), 0);
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_ABORT_USER);
  flag = 0;
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL);
  ASSERT_EQ(TVLsetterminate(s.env, nullptr), 0);

  // The LP callback sees every iteration and can stop the run.
  struct Watch {
    int calls = 0, stop_after = 1 << 30, last_it = -1;
  } watch;
  auto cb = [](TVLCENVptr env, void *cbdata, int wherefrom, void *handle) -> int {
    auto *w = static_cast<Watch *>(handle);
    int it = -1;
    if (wherefrom != TVL_CALLBACK_DUAL ||
        TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_ITCOUNT, &it)) {
      return 1;
    }
    w->last_it = it;
    return ++w->calls >= w->stop_after ? 1 : 0;
  };
  ASSERT_EQ(TVLsetlpcallbackfunc(s.env, cb, &watch), 0);
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL);
  EXPECT_GE(watch.calls, full);
  watch = Watch();
  watch.stop_after = 3;
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_ABORT_USER);
  EXPECT_EQ(watch.calls, 3);
  EXPECT_LE(TVLgetitcnt(s.env, s.lp), 3);
  ASSERT_EQ(TVLsetlpcallbackfunc(s.env, nullptr, nullptr), 0);

  ASSERT_EQ(TVLsetdblparam(s.env, TVL_PARAM_TILIM, 0.0), 0);
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_ABORT_TIME_LIM);
  ASSERT_EQ(TVLsetdblparam(s.env, TVL_PARAM_TILIM, 1e75), 0);

  ASSERT_EQ(TVLsetdblparam(s.env, 1127, 1e-6), 0);  // deterministic ticks
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_ABORT_DETTIME_LIM);
}

TEST(LpOpt, WarmStartAndDeterminism) {
  Solver s;
  s.load_transport(10);
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  ASSERT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL);
  const int cold = TVLgetitcnt(s.env, s.lp);
  double obj1 = 0.0;
  ASSERT_EQ(TVLgetobjval(s.env, s.lp, &obj1), 0);
  // Re-solving from the stored optimal basis takes no iterations.
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetitcnt(s.env, s.lp), 0);
  // A small cost change keeps the basis as a warm start.
  const int idx = 0;
  const double c = 30.0;
  ASSERT_EQ(TVLchgobj(s.env, s.lp, 1, &idx, &c), 0);
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL);
  EXPECT_LT(TVLgetitcnt(s.env, s.lp), cold);

  // Two cold runs give the same iterations, objective and log.
  auto cold_run = [](std::string &log, int &its, double &obj) {
    Solver t;
    t.load_transport(10);
    ASSERT_EQ(TVLlpopt(t.env, t.lp), 0);
    its = TVLgetitcnt(t.env, t.lp);
    ASSERT_EQ(TVLgetobjval(t.env, t.lp, &obj), 0);
    log = t.log;
  };
  std::string log1, log2;
  int it1 = 0, it2 = 0;
  double o1 = 0.0, o2 = 0.0;
  cold_run(log1, it1, o1);
  cold_run(log2, it2, o2);
  EXPECT_EQ(it1, cold);
  EXPECT_EQ(it1, it2);
  EXPECT_EQ(o1, o2);
  EXPECT_EQ(o1, obj1);
  EXPECT_EQ(tvltest::untimed(log1), tvltest::untimed(log2));
}

TEST(LpOpt, InfeasibleWithProof) {
  Solver s;
  // x + y >= 3, x - y = 0 with x, y in [0, 1].
  const double obj[] = {1.0, 1.0}, rhs[] = {3.0, 0.0}, lb[] = {0.0, 0.0}, ub[] = {1.0, 1.0};
  const char sense[] = {'G', 'E'};
  const int beg[] = {0, 2}, cnt[] = {2, 2}, ind[] = {0, 1, 0, 1};
  const double val[] = {1.0, 1.0, 1.0, -1.0};
  ASSERT_EQ(TVLcopylp(s.env, s.lp, 2, 2, TVL_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub,
                      nullptr), 0);
  ASSERT_EQ(TVLdualopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_INFEASIBLE);
  double y[2], proof = 0.0;
  ASSERT_EQ(TVLdualfarkas(s.env, s.lp, y, &proof), 0);
  EXPECT_GT(proof, 1e-6);
  EXPECT_GT(y[0], 0.0);
  // Loosening the bounds makes it feasible; the proof goes with the outcome.
  const int idx[] = {0, 1};
  const char lu[] = {'U', 'U'};
  const double bd[] = {2.0, 2.0};
  ASSERT_EQ(TVLchgbds(s.env, s.lp, 2, idx, lu, bd), 0);
  ASSERT_EQ(TVLdualopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL);
  EXPECT_EQ(TVLdualfarkas(s.env, s.lp, y, &proof), TVLERR_DUAL_UNBOUNDED_SOLUTION_REQUIRED);
}

TEST(LpOpt, CrossedBoundsAreInfeasible) {
  Solver s;
  // min x + y  s.t.  x + y >= 4,  x - y <= 1  with x in [3, 2]: no pivot
  // is needed to see it, and no bound choice of x may pass for a solution.
  const double obj[] = {1.0, 1.0}, rhs[] = {4.0, 1.0}, lb[] = {3.0, 0.0}, ub[] = {2.0, 1e20};
  const char sense[] = {'G', 'L'};
  const int beg[] = {0, 2}, cnt[] = {2, 2}, ind[] = {0, 1, 0, 1};
  const double val[] = {1.0, 1.0, 1.0, -1.0};
  ASSERT_EQ(TVLcopylp(s.env, s.lp, 2, 2, TVL_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr), 0);
  for (auto optimize : {TVLdualopt, TVLprimopt}) {
    ASSERT_EQ(optimize(s.env, s.lp), 0);
    EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_INFEASIBLE);
  }
}

}  // namespace

namespace {

TEST(LpOpt, UnboundedOutcomeAndBasisFollowingRowAndColumnChanges) {
  Solver s;
  // min -x  s.t.  x - y <= 1,  x, y >= 0: x = y + 1 grows without bound.
  const double obj[] = {-1.0, 0.0}, rhs[] = {1.0}, lb[] = {0.0, 0.0}, ub[] = {1e20, 1e20};
  const char sense[] = {'L'};
  const int beg[] = {0, 1}, cnt[] = {1, 1}, ind[] = {0, 0};
  const double val[] = {1.0, -1.0};
  ASSERT_EQ(TVLcopylp(s.env, s.lp, 2, 1, TVL_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub,
                      nullptr), 0);
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  const int stat = TVLgetstat(s.env, s.lp);
  EXPECT_TRUE(stat == TVL_STAT_UNBOUNDED || stat == TVL_STAT_INForUNBD) << stat;
  double y[1];
  EXPECT_EQ(TVLdualfarkas(s.env, s.lp, y, nullptr), TVLERR_DUAL_UNBOUNDED_SOLUTION_REQUIRED);

  // Bounding y makes it optimal; the stored basis then follows added and
  // deleted rows and columns.
  const int j = 1;
  const char u = 'U';
  const double five = 5.0;
  ASSERT_EQ(TVLchgbds(s.env, s.lp, 1, &j, &u, &five), 0);
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  ASSERT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL);
  ASSERT_EQ(TVLnewrows(s.env, s.lp, 2, nullptr, nullptr, nullptr, nullptr), 0);
  int cstat[3], rstat[3];
  ASSERT_EQ(TVLgetbase(s.env, s.lp, cstat, rstat), 0);
  EXPECT_EQ(rstat[1], TVL_BASIC);  // new rows enter basic
  EXPECT_EQ(rstat[2], TVL_BASIC);
  ASSERT_EQ(TVLnewcols(s.env, s.lp, 1, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(TVLgetbase(s.env, s.lp, cstat, rstat), 0);
  EXPECT_EQ(cstat[2], TVL_AT_LOWER);  // new columns at their lower bound
  ASSERT_EQ(TVLdelrows(s.env, s.lp, 1, 2), 0);
  ASSERT_EQ(TVLdelcols(s.env, s.lp, 2, 2), 0);
  ASSERT_EQ(TVLgetbase(s.env, s.lp, cstat, rstat), 0);
  // The kept basis is a warm start: the re-solve needs no iterations.
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL);
  EXPECT_EQ(TVLgetitcnt(s.env, s.lp), 0);
  double obj_value = 0.0;
  ASSERT_EQ(TVLgetobjval(s.env, s.lp, &obj_value), 0);
  EXPECT_NEAR(obj_value, -6.0, 1e-9);
}

}  // namespace
