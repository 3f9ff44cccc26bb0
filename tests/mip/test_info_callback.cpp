// The informational callback of the MIP search on a MIPLIB instance: what
// it reports, the incumbent it hands out, its restrictions, and a stop it
// asks for.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/api_session.h"
#include "support/mip_check.h"

namespace {

using tvltest::ApiSession;

struct Watch {
  int calls = 0;
  int last_nodes = -1;
  int stop_after_incumbents = 0;  // 0: never stop
  int incumbents_seen = 0;
  bool ordered = true;            // node counts never fall, bound <= best integer
  int blocked_call = 0;           // status of a call not allowed inside
  int no_incumbent = 0;           // status of the incumbent query before one exists
  double gap_without = 0.0;       // gap answered before an incumbent exists
  int wrong_context = 0;
  double best = 0.0, bound = 0.0, gap = 0.0;
  std::vector<double> x;
  int ncols = 0;
};

int watch(TVLCENVptr env, void *cbdata, int wherefrom, void *handle) {
  auto &w = *static_cast<Watch *>(handle);
  ++w.calls;
  int nodes = -1, feasible = -1, left = -1, its = -1;
  double best = 0, bound = 0, gap = 0, cutoff = 0;
  if (TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_NODE_COUNT, &nodes) ||
      TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_NODES_LEFT, &left) ||
      TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_MIP_ITERATIONS, &its) ||
      TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_MIP_FEAS, &feasible) ||
      TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_BEST_INTEGER, &best) ||
      TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_BEST_REMAINING, &bound) ||
      TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_CUTOFF, &cutoff) ||
      TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_MIP_REL_GAP, &gap))
    return 1;
  w.ordered = w.ordered && wherefrom == TVL_CALLBACK_MIP && nodes >= w.last_nodes && left >= 0 && its >= 0;
  w.last_nodes = nodes;
  int display = 0;
  w.blocked_call = TVLgetintparam(env, TVL_PARAM_MIPDISPLAY, &display);
  std::vector<double> x(static_cast<size_t>(w.ncols));
  const int got = TVLgetcallbackincumbent(env, cbdata, wherefrom, x.data(), 0, w.ncols - 1);
  w.wrong_context = TVLgetcallbackincumbent(env, cbdata, TVL_CALLBACK_DUAL, x.data(), 0, 0);
  if (!feasible) {
    w.no_incumbent = got;
    w.gap_without = gap;
    return 0;
  }
  // Minimisation: no open node is better than the incumbent.
  w.ordered = w.ordered && got == 0 && bound <= best + 1e-6 && gap >= 0.0 && gap <= 1.0 && cutoff <= best;
  if (w.x != x) ++w.incumbents_seen;
  w.x = x;
  w.best = best;
  w.bound = bound;
  w.gap = gap;
  return w.stop_after_incumbents > 0 && w.incumbents_seen >= w.stop_after_incumbents;
}

TEST(MipInfoCallback, ReportsTheSearchAndItsIncumbentAndStopsOnRequest) {
  const std::string file = tvltest::instance_path("miplib", "p0033");
  ApiSession s("mip");
  ASSERT_EQ(TVLreadcopyprob(s.env, s.lp, file.c_str(), nullptr), 0);
  TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
  TVLsetintparam(s.env, TVL_PARAM_HEURFREQ, -1);  // the first nodes run without incumbent
  TVLsetintparam(s.env, TVL_PARAM_FPHEUR, -1);
  TVLsetintparam(s.env, TVL_PARAM_RINSHEUR, -1);
  Watch w;
  w.ncols = TVLgetnumcols(s.env, s.lp);
  ASSERT_EQ(TVLsetinfocallbackfunc(s.env, watch, &w), 0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  const int stat = TVLgetstat(s.env, s.lp);
  EXPECT_TRUE(stat == TVLMIP_OPTIMAL || stat == TVLMIP_OPTIMAL_TOL) << stat;
  EXPECT_EQ(w.calls + 1, TVLgetnodecnt(s.env, s.lp)) << "one call before each node after the root";
  EXPECT_TRUE(w.ordered);
  EXPECT_EQ(w.blocked_call, 1804) << "other library calls are refused inside the callback";
  EXPECT_EQ(w.no_incumbent, TVLERR_NO_SOLUTION_EXISTS);
  EXPECT_EQ(w.gap_without, 1e75);
  EXPECT_EQ(w.wrong_context, TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  // The last incumbent seen is integer feasible, and its value is the one
  // reported with it.
  ASSERT_EQ(w.x.size(), 33u);
  EXPECT_LE(tvltest::mip_violation(file, w.x), 1e-6);
  std::vector<double> obj(33);
  TVLgetobj(s.env, s.lp, obj.data(), 0, 32);
  double value = 0.0;
  for (size_t j = 0; j < obj.size(); ++j) value += obj[j] * w.x[j];
  EXPECT_NEAR(value, w.best, 1e-6);
  EXPECT_GE(w.best, 3089.0 - 1e-6);

  // Asked to stop at the first incumbent: the run ends as aborted with it.
  Watch stop;
  stop.ncols = w.ncols;
  stop.stop_after_incumbents = 1;
  ASSERT_EQ(TVLsetinfocallbackfunc(s.env, watch, &stop), 0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_ABORT_FEAS);
  EXPECT_EQ(stop.incumbents_seen, 1);
  EXPECT_LT(stop.calls, w.calls);
  double objval = 0.0;
  ASSERT_EQ(TVLgetobjval(s.env, s.lp, &objval), 0);
  EXPECT_NEAR(objval, stop.best, 1e-9);

  // Removed, the callback is no longer called.
  ASSERT_EQ(TVLsetinfocallbackfunc(s.env, nullptr, nullptr), 0);
  const int before = stop.calls;
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  EXPECT_EQ(stop.calls, before);
}

int count_calls(TVLCENVptr env, void *cbdata, int wherefrom, void *handle) {
  int nodes = -1;
  if (TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_NODE_COUNT, &nodes) || nodes < 0) return 1;
  ++*static_cast<int *>(handle);
  return 0;
}

// The MIP progress callback is called at the same places, ahead of the
// informational one, and may make ordinary library calls.
TEST(MipInfoCallback, ProgressCallbackRunsBeforeEachNodeToo) {
  const std::string file = tvltest::instance_path("miplib", "p0033");
  ApiSession s("mip");
  ASSERT_EQ(TVLreadcopyprob(s.env, s.lp, file.c_str(), nullptr), 0);
  TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
  int progress = 0, info = 0;
  ASSERT_EQ(TVLsetmipcallbackfunc(s.env, count_calls, &progress), 0);
  ASSERT_EQ(TVLsetinfocallbackfunc(s.env, count_calls, &info), 0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_OPTIMAL);
  EXPECT_EQ(progress + 1, TVLgetnodecnt(s.env, s.lp));
  EXPECT_EQ(info, progress);
}

}  // namespace
