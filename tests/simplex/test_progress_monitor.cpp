// The progress monitor shared by the simplex methods: stall detection over
// the window, the remedies it asks for, the window doubling after repeated
// small perturbations, the fast-progress grace of the check interval; and
// on Netlib instances the perturbation lines a stalled run prints.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "dual_test_util.h"
#include "simplex/dualopt.h"
#include "simplex/primopt.h"
#include "simplex/progress_monitor.h"
#include "support/api_session.h"

namespace tvl::lp {
namespace {

using A = ProgressMonitor::Action;

// Feeds the value v at every iteration from `from` to `to` and returns the
// first action other than None with its iteration (None and `to` if none).
A feed(ProgressMonitor &pm, int64_t from, int64_t to, int phase, double v, bool perturbed, int64_t &at,
       bool &moved) {
  for (int64_t it = from; it <= to; ++it) {
    if (!pm.due(it, phase)) continue;
    const A a = pm.observe(it, phase, v, perturbed, moved);
    if (a != A::None) {
      at = it;
      return a;
    }
  }
  at = to;
  return A::None;
}

TEST(ProgressMonitor, StallsPerturbFirstThenAdjustTolerancesAndWindowsDouble) {
  EXPECT_EQ(ProgressMonitor::check_interval(4999), 501);
  EXPECT_EQ(ProgressMonitor::check_interval(5000), 1000);
  EXPECT_EQ(ProgressMonitor::check_interval(60000), 10000);
  EXPECT_EQ(ProgressMonitor::check_interval(100000), 20000);

  ProgressMonitor pm(10, 100);
  pm.start(0, 2, 5.0);
  int64_t at = 0;
  bool moved = true;
  // A value that never moves: a stall once the window has passed.
  EXPECT_EQ(feed(pm, 1, 100, 2, 5.0, false, at, moved), A::Perturb);
  EXPECT_EQ(at, 10);
  // While perturbed the next stall adjusts the tolerances; nothing moved.
  EXPECT_EQ(feed(pm, 11, 100, 2, 5.0, true, at, moved), A::AdjustTolerances);
  EXPECT_EQ(at, 20);
  EXPECT_FALSE(moved);
  // A phase change records progress: the window starts again there.
  EXPECT_EQ(feed(pm, 21, 25, 1, 0.0, true, at, moved), A::None);
  EXPECT_EQ(feed(pm, 26, 100, 1, 0.0, true, at, moved), A::AdjustTolerances);
  EXPECT_EQ(at, 31);

  pm.perturbed(1, 1e-6);
  EXPECT_EQ(pm.window(), 10);
  pm.perturbed(2, 1e-5);
  EXPECT_EQ(pm.window(), 10);
  pm.perturbed(2, 1e-7);
  EXPECT_EQ(pm.window(), 20);
}

// Until the first check the average progress is 1e-6 per iteration, so a
// run that moved at all since its start is not stalled; the check at P
// measures the real average, after which a flat window is a stall.
TEST(ProgressMonitor, CheckIntervalSetsTheAverageThatAStallIsMeasuredAgainst) {
  ProgressMonitor pm(10, 100);  // check interval 501
  pm.start(0, 2, 5.0);
  int64_t at = 0;
  bool moved = true;
  for (int64_t it = 1; it <= 30; ++it)
    if (pm.due(it, 2)) {
      ASSERT_EQ(pm.observe(it, 2, 5.0 + it, false, moved), A::None);
    }
  EXPECT_EQ(feed(pm, 31, 509, 2, 35.0, false, at, moved), A::None);
  EXPECT_NEAR(pm.average(), 30.0 / 501.0, 1e-12);
  EXPECT_EQ(feed(pm, 510, 600, 2, 35.0, false, at, moved), A::Perturb);
  EXPECT_EQ(at, 510);
  // A value that fell back below its reference still counts as progress
  // when it rose since the last check faster than ten times the average.
  ProgressMonitor fall(10, 100);
  fall.start(0, 2, 0.0);
  EXPECT_EQ(fall.observe(10, 2, 100.0, false, moved), A::None);
  EXPECT_EQ(fall.observe(20, 2, 50.0, false, moved), A::None);
  EXPECT_EQ(fall.observe(30, 2, 50.0, false, moved), A::None);
  EXPECT_EQ(fall.observe(501, 2, 50.0, false, moved), A::Perturb);
}

// finnis under the dual stalls near its optimum: by default the ratio
// test's cost shifts carry it through and are removed at the end; with a
// window of 2 the monitor perturbs after the first iterations were logged,
// and removes the perturbation before the final status.  Both reach the
// published optimum.
TEST(ProgressMonitorNetlib, DualStallPerturbsMidRunWithItsLines) {
  const double ref = testing::netlib_optimum("finnis");
  for (int perlim : {0, 2}) {
    tvltest::ApiSession session("finnis");
    ASSERT_EQ(session.read_netlib("finnis"), 0);
    session.set(TVL_PARAM_PREIND, 0);
    session.set(TVL_PARAM_LPMETHOD, 2);
    session.set(TVL_PARAM_THREADS, 1);
    session.set(TVL_PARAM_PERLIM, perlim);
    ASSERT_EQ(TVLlpopt(session.env, session.lp), 0);
    ASSERT_EQ(TVLgetstat(session.env, session.lp), TVL_STAT_OPTIMAL);
    double obj = 0.0;
    TVLgetobjval(session.env, session.lp, &obj);
    EXPECT_LT(std::fabs(obj - ref) / std::fabs(ref), 1e-6) << perlim;
    const std::string &log = session.log;
    const size_t first_line = log.find("Iteration:"), started = log.find("Perturbation started.\n");
    if (perlim == 0) {
      EXPECT_EQ(started, std::string::npos) << log;
      EXPECT_NE(log.find("Removing shift ("), std::string::npos) << log;
      continue;
    }
    ASSERT_NE(started, std::string::npos) << log;
    EXPECT_GT(started, first_line) << log;
    EXPECT_GT(log.find("Removing perturbation.\n"), started) << log;
    EXPECT_NE(log.find("Removing perturbation.\n"), std::string::npos) << log;
  }
}

}  // namespace
}  // namespace tvl::lp
