// TVLmipopt and the MIP queries through the C interface: argument and kind
// checks, statuses of limits and stops, the queries after a run, the
// parameters a run changes and restores, and the node log.
#include <algorithm>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "frame/derived.h"
#include "mip/mip_driver.h"
#include "mip/mip_state.h"
#include "support/api_session.h"
#include "support/knapsack.h"

namespace {

using tvltest::ApiSession;
using tvltest::load_knapsack;

double enumerate_knapsack(int sense) {
  double best = sense > 0 ? 1e300 : -1e300;
  for (int a = 0; a <= 10; ++a)
    for (int b = 0; b <= 10; ++b)
      for (int c = 0; c <= 10; ++c) {
        if (2 * a + 3 * b + c > 5 || 4 * a + b + 2 * c > 11 || 3 * a + 4 * b + 2 * c > 8 || 3 * a + 2 * c > 7)
          continue;
        const double v = 5 * a + 4 * b + 3 * c;
        best = sense > 0 ? std::min(best, v) : std::max(best, v);
      }
  return best;
}

TEST(MipOpt, KindAndArgumentChecksComeBeforeAnyRun) {
  ApiSession s("lp");
  ASSERT_EQ(s.load_small(), 0);
  double v = 0.0;
  int count = 0;
  // An LP is not a MIP: the optimizer and every query refuse it.
  EXPECT_EQ(TVLmipopt(s.env, s.lp), TVLERR_NOT_A_MIXED_INTEGER_PROBLEM);
  EXPECT_EQ(TVLgetmiprelgap(s.env, s.lp, &v), TVLERR_NOT_A_MIXED_INTEGER_PROBLEM);
  EXPECT_EQ(TVLgetbestobjval(s.env, s.lp, &v), TVLERR_NOT_A_MIXED_INTEGER_PROBLEM);
  EXPECT_EQ(TVLgetnumcuts(s.env, s.lp, 0, &count), TVLERR_NOT_A_MIXED_INTEGER_PROBLEM);
  EXPECT_EQ(TVLgetnodecnt(s.env, s.lp), 0);
  EXPECT_NE(s.errors.find("3003"), std::string::npos);

  ApiSession m("mip");
  load_knapsack(m);
  // A MIP before its first run has no MIP record.
  EXPECT_EQ(TVLgetbestobjval(m.env, m.lp, &v), TVLERR_NO_SOLUTION_EXISTS);
  EXPECT_EQ(TVLgetcutoff(m.env, m.lp, &v), TVLERR_NO_SOLUTION_EXISTS);
  EXPECT_EQ(TVLgetnodeint(m.env, m.lp), -1);
  EXPECT_EQ(TVLgetmipitcnt(m.env, m.lp), 0);
  EXPECT_EQ(TVLgetbestobjval(m.env, m.lp, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  EXPECT_EQ(TVLgetnumcuts(m.env, m.lp, 17, &count), TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  EXPECT_EQ(TVLgetnumcuts(m.env, m.lp, -1, &count), TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  EXPECT_EQ(TVLmipopt(nullptr, m.lp), TVLERR_NO_ENVIRONMENT);
}

TEST(MipOpt, SolvesBothSensesAndAnswersEveryQuery) {
  for (int sense : {TVL_MAX, TVL_MIN}) {
    ApiSession s("mip");
    load_knapsack(s, sense);
    TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
    ASSERT_EQ(TVLmipopt(s.env, s.lp), 0) << s.errors;
    const double best = enumerate_knapsack(sense);
    EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_OPTIMAL);
    int stat = 0;
    double obj = 0.0, x[3], slack[4];
    ASSERT_EQ(TVLsolution(s.env, s.lp, &stat, &obj, x, nullptr, slack, nullptr), 0);
    EXPECT_NEAR(obj, best, 1e-9);
    EXPECT_NEAR(5 * x[0] + 4 * x[1] + 3 * x[2], best, 1e-9);
    EXPECT_NEAR(slack[0], 5.0 - (2 * x[0] + 3 * x[1] + x[2]), 1e-9);
    // Duals do not exist for a MIP.
    double pi[4];
    EXPECT_EQ(TVLsolution(s.env, s.lp, nullptr, nullptr, nullptr, pi, nullptr, nullptr),
              TVLERR_NOT_AVAILABLE_FOR_MIXED_INTEGER_PROGRAMS);
    double bound = 0.0, cutoff = 0.0, gap = -1.0;
    ASSERT_EQ(TVLgetbestobjval(s.env, s.lp, &bound), 0);
    ASSERT_EQ(TVLgetcutoff(s.env, s.lp, &cutoff), 0);
    ASSERT_EQ(TVLgetmiprelgap(s.env, s.lp, &gap), 0);
    EXPECT_EQ(bound, best);   // a proved optimum: the bound meets the incumbent
    EXPECT_EQ(cutoff, best);  // in the user's sense
    EXPECT_EQ(gap, 0.0);
    // Presolve may solve the knapsack alone (no node); its solution counts
    // as found at node 0.
    EXPECT_GE(TVLgetnodecnt(s.env, s.lp), 0);
    EXPECT_EQ(TVLgetnodeleftcnt(s.env, s.lp), 0);
    EXPECT_GE(TVLgetnodeint(s.env, s.lp), 0);
    EXPECT_LT(TVLgetnodeint(s.env, s.lp), std::max(1, TVLgetnodecnt(s.env, s.lp)));
    if (sense == TVL_MAX) {  // the minimum is the slack basis: no iterations
      EXPECT_GT(TVLgetmipitcnt(s.env, s.lp), 0);
    }
    // Cuts are counted by type; only the families the root separates
    // (covers, cliques, Gomory, MIR, implied bounds) can have any.
    int cuts = -1;
    for (int t = 0; t < 17; ++t) {
      ASSERT_EQ(TVLgetnumcuts(s.env, s.lp, t, &cuts), 0);
      if (t != 0 && t != 3 && t != 4 && t != 5 && t != 8) {
        EXPECT_EQ(cuts, 0) << t;
      }
      EXPECT_GE(cuts, 0);
    }
    // A change of the data discards the record.
    ASSERT_EQ(TVLchgobjsen(s.env, s.lp, -sense), 0);
    EXPECT_EQ(TVLgetbestobjval(s.env, s.lp, &bound), TVLERR_NO_SOLUTION_EXISTS);
  }
}

TEST(MipOpt, LimitsEndTheSearchWithTheirStatusAndKeepTheIncumbent) {
  ApiSession s("mip");
  const std::string file = tvltest::instance_path("miplib", "stein27");
  ASSERT_EQ(TVLreadcopyprob(s.env, s.lp, file.c_str(), nullptr), 0);
  TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
  TVLsetintparam(s.env, TVL_PARAM_HEURFREQ, -1);  // no incumbent from the root's heuristics
  TVLsetintparam(s.env, TVL_PARAM_FPHEUR, -1);
  TVLsetintparam(s.env, TVL_PARAM_RINSHEUR, -1);
  // Node limit 0: the root is processed, nothing after it.
  TVLsetintparam(s.env, TVL_PARAM_NODELIM, 0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_NODE_LIM_INFEAS);
  EXPECT_EQ(TVLgetnodecnt(s.env, s.lp), 1);
  EXPECT_GT(TVLgetnodeleftcnt(s.env, s.lp), 0);
  double bound = 0.0;
  ASSERT_EQ(TVLgetbestobjval(s.env, s.lp, &bound), 0);
  EXPECT_GT(bound, 10.0);
  EXPECT_LE(bound, 18.0);
  EXPECT_EQ(TVLgetobjval(s.env, s.lp, &bound), TVLERR_NO_SOLUTION_EXISTS);
  // Solution limit 1: the first incumbent ends the search.
  TVLsetintparam(s.env, TVL_PARAM_NODELIM, 2100000000);
  TVLsetintparam(s.env, TVL_PARAM_INTSOLLIM, 1);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_SOL_LIM);
  double obj = 0.0;
  EXPECT_EQ(TVLgetobjval(s.env, s.lp, &obj), 0);
  EXPECT_GE(obj, 18.0);
  // Iteration limit.
  TVLsetintparam(s.env, TVL_PARAM_INTSOLLIM, 2100000000);
  TVLsetintparam(s.env, TVL_PARAM_ITLIM, 200);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  const int st = TVLgetstat(s.env, s.lp);
  EXPECT_TRUE(st == TVLMIP_ABORT_IT_LIM_FEAS || st == TVLMIP_ABORT_IT_LIM_INFEAS) << st;
  TVLsetintparam(s.env, TVL_PARAM_ITLIM, 2100000000);
  // A terminate request set before the run stops it at the first test.
  volatile int terminate = 1;
  ASSERT_EQ(TVLsetterminate(s.env, &terminate), 0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_ABORT_INFEAS);
  terminate = 0;
  // A gap tolerance of 100%: the first incumbent closes it.
  TVLsetdblparam(s.env, TVL_PARAM_EPGAP, 1.0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_OPTIMAL_TOL);
}

TEST(MipOpt, RunRestoresTheParametersItChanges) {
  ApiSession s("mip");
  load_knapsack(s);
  TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
  TVLsetdblparam(s.env, TVL_PARAM_EPINT, 0.0);
  TVLsetintparam(s.env, TVL_PARAM_CLOCKTYPE, 0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  double epint = -1.0;
  int clock = -1;
  TVLgetdblparam(s.env, TVL_PARAM_EPINT, &epint);
  TVLgetintparam(s.env, TVL_PARAM_CLOCKTYPE, &clock);
  EXPECT_EQ(epint, 0.0);
  EXPECT_EQ(clock, 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_OPTIMAL);
}

TEST(MipOpt, RootCutsThatLeaveNoPointEndTheSearch) {
  // 2 (x1 + ... + x6) = 5 over binaries: without presolve (whose divisor
  // test would see it) the root LP has points, but its cuts leave none,
  // and the search ends at the root instead of branching.
  ApiSession s("parity");
  std::vector<double> obj(6, 1.0), val(6, 2.0), lb(6, 0.0), ub(6, 1.0);
  const double rhs[] = {5.0};
  const char sen[] = {'E'};
  const int beg[] = {0, 1, 2, 3, 4, 5}, cnt[] = {1, 1, 1, 1, 1, 1}, ind[] = {0, 0, 0, 0, 0, 0};
  ASSERT_EQ(TVLcopylp(s.env, s.lp, 6, 1, TVL_MIN, obj.data(), rhs, sen, beg, cnt, ind, val.data(), lb.data(),
                      ub.data(), nullptr), 0);
  const std::string ctype(6, 'B');
  ASSERT_EQ(TVLcopyctype(s.env, s.lp, ctype.c_str()), 0);
  TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
  TVLsetintparam(s.env, TVL_PARAM_PREIND, 0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_INFEASIBLE);
  EXPECT_EQ(TVLgetnodecnt(s.env, s.lp), 1);
}

TEST(MipOpt, InfeasibleMipsAreReportedAsSuch) {
  // x + y = 1.5 with x, y integer has no solution although its LP has.
  ApiSession s("mip");
  const double obj[] = {1.0, 1.0}, rhs[] = {1.5}, lb[] = {0.0, 0.0}, ub[] = {5.0, 5.0};
  const char sen[] = {'E'};
  const int beg[] = {0, 1}, cnt[] = {1, 1}, ind[] = {0, 0};
  const double val[] = {1.0, 1.0};
  ASSERT_EQ(TVLcopylp(s.env, s.lp, 2, 1, TVL_MIN, obj, rhs, sen, beg, cnt, ind, val, lb, ub, nullptr), 0);
  const char ctype[] = {'I', 'I'};
  ASSERT_EQ(TVLcopyctype(s.env, s.lp, ctype), 0);
  TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_INFEASIBLE);
  double v = 0.0;
  EXPECT_EQ(TVLgetobjval(s.env, s.lp, &v), TVLERR_NO_SOLUTION_EXISTS);
  char text[TVL_MSGBUFSIZE];
  ASSERT_NE(TVLgetstatstring(s.env, TVLgetstat(s.env, s.lp), text), nullptr);
  EXPECT_STREQ(text, "integer infeasible");
  // Crossed bounds on an integer column after rounding: infeasible at once.
  const int idx[] = {0};
  const char lu[] = {'L'};
  const double bd[] = {0.5};
  ASSERT_EQ(TVLchgbds(s.env, s.lp, 1, idx, lu, bd), 0);
  const char uu[] = {'U'};
  const double bu[] = {0.7};
  ASSERT_EQ(TVLchgbds(s.env, s.lp, 1, idx, uu, bu), 0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_INFEASIBLE);
}

}  // namespace

namespace {

// Running out of memory during a search that has built a tree ends the
// call with 1001 and the advice that fits the node-file setting; before
// any node exists there is no advice.
int fail_after_nodes(tvlenv *, tvllp *lp) {
  tvl::discard_derived(lp, tvl::kDropMipState);
  auto *record = new tvl::mip::MipRecord();
  record->nodes = 12;
  lp->mipstate = record;
  throw std::bad_alloc();
}

int fail_before_nodes(tvlenv *, tvllp *) { throw std::bad_alloc(); }

TEST(MipOpt, OutOfMemoryAdvisesOnlyOnceATreeExists) {
  ApiSession s("oom");
  load_knapsack(s, TVL_MAX);
  std::string results;
  s.collect_results(results);
  EXPECT_EQ(tvl::mip::mip_entry(s.env, s.lp, fail_after_nodes), TVLERR_OUT_OF_MEMORY);
  EXPECT_EQ(results, "\nConsider using TAVLO node files to reduce memory usage.\n");
  results.clear();
  s.set(TVL_PARAM_NODEFILEIND, 2);
  EXPECT_EQ(tvl::mip::mip_entry(s.env, s.lp, fail_after_nodes), TVLERR_OUT_OF_MEMORY);
  EXPECT_EQ(results, "\nConsider decreasing WorkMem parameter value to reduce memory usage.\n");
  results.clear();
  TVLfreeprob(s.env, &s.lp);
  int st = 0;
  s.lp = TVLcreateprob(s.env, &st, "oom2");
  load_knapsack(s, TVL_MAX);
  EXPECT_EQ(tvl::mip::mip_entry(s.env, s.lp, fail_before_nodes), TVLERR_OUT_OF_MEMORY);
  EXPECT_EQ(results, "");
}

}  // namespace
