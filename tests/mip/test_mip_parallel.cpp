// The search with several threads on bundled MIPLIB instances: the same
// optima with feasible incumbents, the same node log on every run for a
// given thread count, node and deterministic limits that stop repeated
// runs at the same node, a termination request from another thread and a
// time limit, an
// informational callback that sees a consistent search and stops it, and
// a solution pool filled through the merges, and cuts of the tree
// separated before the team starts.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "support/api_session.h"
#include "support/log_text.h"
#include "support/mip_check.h"
#include "support/bench_dir.h"

namespace {

struct Outcome {
  int status = 0, nodes = 0, pool = 0, left = 0;
  double objective = NAN, bound = NAN, violation = -1.0;
  std::string log;
};

struct Limits {
  int nodelim = -1;         // TVL_PARAM_NODELIM when set
  double ticks = -1.0;      // deterministic time limit when set
  double stop_after = -1.0; // seconds after which another thread requests termination
  double seconds = -1.0;    // TVL_PARAM_TILIM when set (else 120)
  TVLcallbackfunc info = nullptr;
  void *info_handle = nullptr;
  int mircuts = 0;          // TVL_PARAM_MIRCUTS
};

// TVL_PARAM_THREADS goes up to the machine's cores.
bool two_threads_available() {
  tvltest::ApiSession s("threads");
  return TVLsetintparam(s.env, TVL_PARAM_THREADS, 2) == 0;
}

Outcome solve(const std::string &name, int threads, const Limits &limits = {}) {
  tvltest::ApiSession s("parallel");
  Outcome run;
  const std::string file = tvltest::instance_path("miplib", name);
  if (TVLreadcopyprob(s.env, s.lp, file.c_str(), nullptr) != 0) return run;
  s.collect_results(run.log);
  TVLsetintparam(s.env, TVL_PARAM_THREADS, threads);
  TVLsetdblparam(s.env, TVL_PARAM_TILIM, limits.seconds > 0.0 ? limits.seconds : 120.0);
  if (limits.nodelim >= 0) TVLsetintparam(s.env, TVL_PARAM_NODELIM, limits.nodelim);
  TVLsetintparam(s.env, TVL_PARAM_MIRCUTS, limits.mircuts);
  if (limits.ticks >= 0.0) TVLsetdblparam(s.env, 1127, limits.ticks);
  if (limits.info) TVLsetinfocallbackfunc(s.env, limits.info, limits.info_handle);
  volatile int terminate = 0;
  std::thread stopper;
  if (limits.stop_after >= 0.0) {
    TVLsetterminate(s.env, &terminate);
    stopper = std::thread([&terminate, &limits] {
      std::this_thread::sleep_for(std::chrono::duration<double>(limits.stop_after));
      __atomic_store_n(&terminate, 1, __ATOMIC_RELAXED);
    });
  }
  EXPECT_EQ(TVLmipopt(s.env, s.lp), 0) << s.errors;
  if (stopper.joinable()) stopper.join();
  run.status = TVLgetstat(s.env, s.lp);
  run.left = TVLgetnodeleftcnt(s.env, s.lp);
  TVLgetobjval(s.env, s.lp, &run.objective);
  TVLgetbestobjval(s.env, s.lp, &run.bound);
  run.nodes = TVLgetnodecnt(s.env, s.lp);
  run.pool = TVLgetsolnpoolnumsolns(s.env, s.lp);
  std::vector<double> x(static_cast<size_t>(TVLgetnumcols(s.env, s.lp)));
  if (TVLgetx(s.env, s.lp, x.data(), 0, static_cast<int>(x.size()) - 1) == 0)
    run.violation = tvltest::mip_violation(file, x);
  // Every pool member is a point of the model read again from its file.
  for (int k = 0; k < run.pool; ++k) {
    EXPECT_EQ(TVLgetsolnpoolx(s.env, s.lp, k, x.data(), 0, static_cast<int>(x.size()) - 1), 0);
    EXPECT_LE(tvltest::mip_violation(file, x), 1e-6) << name << " pool member " << k;
  }
  return run;
}

void expect_optimal(const std::string &name, const Outcome &run) {
  const double opt = tvltest::published_optimum(name);
  ASSERT_TRUE(run.status == TVLMIP_OPTIMAL || run.status == TVLMIP_OPTIMAL_TOL) << name << " status " << run.status;
  const double tol = run.status == TVLMIP_OPTIMAL ? 1e-6 : 1e-4;
  EXPECT_LE(std::fabs(run.objective - opt), tol * std::max(1.0, std::fabs(opt)));
  EXPECT_GE(run.violation, 0.0);
  EXPECT_LE(run.violation, 1e-6);
  EXPECT_LE(run.bound, run.objective + 1e-6 * std::max(1.0, std::fabs(opt)));
}

// Two runs of the same search: the same nodes, answer and node log.
void expect_repeated(const Outcome &a, const Outcome &b) {
  EXPECT_EQ(a.nodes, b.nodes);
  EXPECT_EQ(a.objective, b.objective);
  EXPECT_EQ(tvltest::untimed(a.log), tvltest::untimed(b.log));
}

TEST(MipParallel, SearchesWithSeveralThreadsReachTheOptimaAndRepeatTheirNodeLogs) {
  // gt2 has general integers, flugpl general integers without a bound.
  if (!two_threads_available()) GTEST_SKIP() << "one core";
  for (const char *name : {"p0033", "flugpl", "lseu", "stein27", "gt2"}) {
    SCOPED_TRACE(name);
    const Outcome a = solve(name, 2), b = solve(name, 2);
    expect_optimal(name, a);
    EXPECT_NE(a.log.find("Parallel mode: deterministic, using up to 2 threads.\n"), std::string::npos);
    expect_repeated(a, b);
  }
}

// The number in the cut summary line that starts with `label`.
int cuts_applied(const std::string &log, const std::string &label) {
  const size_t at = log.find(label + " cuts applied:");
  return at == std::string::npos ? 0 : std::stoi(log.substr(log.find(':', at) + 1));
}

// Cuts of the tree are separated by a search with two threads too, before
// its team starts (every copy of the node LP must hold the same rows), and
// the runs still repeat.  On lseu, MIR cuts at level 2 are separated in
// the tree; the root alone (node limit 1) applies fewer.
TEST(MipParallel, TreeCutsComeBeforeTheTeamAndRunsRepeat) {
  if (!two_threads_available()) GTEST_SKIP() << "one core";
  Limits tree;
  tree.mircuts = 2;
  Limits root = tree;
  root.nodelim = 1;
  const Outcome a = solve("lseu", 2, tree), b = solve("lseu", 2, tree), r = solve("lseu", 2, root);
  expect_optimal("lseu", a);
  expect_repeated(a, b);
  EXPECT_GT(cuts_applied(a.log, "Mixed integer rounding"), cuts_applied(r.log, "Mixed integer rounding"));
  EXPECT_GT(cuts_applied(r.log, "Mixed integer rounding"), 0);
}

TEST(MipParallel, NodeAndDeterministicLimitsStopRepeatedRunsAtTheSameNode) {
  if (!two_threads_available()) GTEST_SKIP() << "one core";
  // stein27 needs thousands of nodes; 150 end the search in the tree.
  Limits nodes;
  nodes.nodelim = 150;
  const Outcome a = solve("stein27", 2, nodes), b = solve("stein27", 2, nodes);
  EXPECT_EQ(a.status, TVLMIP_NODE_LIM_FEAS);
  EXPECT_EQ(a.nodes, 150);
  EXPECT_LE(a.violation, 1e-6);
  expect_repeated(a, b);

  // The workers' work joins the count in a fixed order, so a deterministic
  // limit ends both runs at the same node.
  Limits ticks;
  ticks.ticks = 60.0;
  const Outcome c = solve("stein27", 2, ticks), d = solve("stein27", 2, ticks);
  EXPECT_TRUE(c.status == TVLMIP_DETTIME_LIM_FEAS || c.status == TVLMIP_DETTIME_LIM_INFEAS) << c.status;
  EXPECT_GT(c.nodes, 1);
  expect_repeated(c, d);
}

TEST(MipParallel, ATerminationRequestOrTimeLimitStopsTheWorkersCleanly) {
  if (!two_threads_available()) GTEST_SKIP() << "one core";
  // misc07 takes seconds; the request or the limit comes while the
  // workers search, and reaches them through their own environments.
  Limits stop;
  stop.stop_after = 0.5;
  Limits time;
  time.seconds = 0.5;
  for (const Limits &l : {stop, time}) {
    const bool by_time = l.seconds > 0.0;
    SCOPED_TRACE(by_time ? "time limit" : "termination request");
    const Outcome r = solve("misc07", 2, l);
    const int feasible = by_time ? TVLMIP_TIME_LIM_FEAS : TVLMIP_ABORT_FEAS;
    const int infeasible = by_time ? TVLMIP_TIME_LIM_INFEAS : TVLMIP_ABORT_INFEAS;
    EXPECT_TRUE(r.status == feasible || r.status == infeasible) << r.status;
    EXPECT_GT(r.left, 0);
    if (r.status == feasible) {
      EXPECT_LE(r.violation, 1e-6);
      EXPECT_LE(r.bound, r.objective);
    }
  }
}

struct Watch {
  int calls = 0, stop_at = 0;
  int last_nodes = -1;
  bool ordered = true;  // node counts never fall; the bound never passes the incumbent
};

int watch(TVLCENVptr env, void *cbdata, int wherefrom, void *handle) {
  auto &w = *static_cast<Watch *>(handle);
  ++w.calls;
  int nodes = -1, feasible = 0, left = -1;
  double best = 0.0, bound = 0.0;
  TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_NODE_COUNT, &nodes);
  TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_NODES_LEFT, &left);
  TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_MIP_FEAS, &feasible);
  TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_BEST_INTEGER, &best);
  TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_BEST_REMAINING, &bound);
  w.ordered = w.ordered && nodes >= w.last_nodes && left >= 0 && (!feasible || bound <= best + 1e-6);
  w.last_nodes = nodes;
  return w.stop_at > 0 && w.calls >= w.stop_at;
}

TEST(MipParallel, InformationCallbackSeesAConsistentSearchAndStopsIt) {
  if (!two_threads_available()) GTEST_SKIP() << "one core";
  Watch full;
  Limits l;
  l.info = watch;
  l.info_handle = &full;
  expect_optimal("stein27", solve("stein27", 2, l));
  EXPECT_TRUE(full.ordered);
  ASSERT_GT(full.calls, 40);

  Watch stop;
  stop.stop_at = 40;
  l.info_handle = &stop;
  const Outcome r = solve("stein27", 2, l);
  EXPECT_TRUE(r.status == TVLMIP_ABORT_FEAS || r.status == TVLMIP_ABORT_INFEAS) << r.status;
  EXPECT_EQ(stop.calls, 40);
  EXPECT_TRUE(stop.ordered);
  if (r.status == TVLMIP_ABORT_FEAS) {
    EXPECT_LE(r.violation, 1e-6);
  }
}

}  // namespace
