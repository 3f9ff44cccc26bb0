// Deterministic time limits on Netlib instances: the kernels count their
// work in the thread's counter, so a limit stops repeated runs at the same
// iteration with the same work and values, whether another solve ran
// before in the same thread or the run happens on a fresh thread.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "frame/param.h"
#include "runtime/workcount.h"
#include "support/api_session.h"
#include "tavlo.h"

namespace {

struct Outcome {
  int rc = -1, status = -1, iterations = -1;
  uint64_t work = 0;
  std::vector<double> x;
};

// One run on a freshly read copy of the instance.
Outcome solve(const std::string &name, int method, int presolve, double ticks) {
  tvltest::ApiSession s(name.c_str());
  Outcome o;
  if (s.read_netlib(name) != 0) return o;
  s.set(TVL_PARAM_LPMETHOD, method);
  s.set(TVL_PARAM_PREIND, presolve);
  EXPECT_EQ(TVLsetdblparam(s.env, tvl::kParamDetTimeLimit, ticks), 0);
  const uint64_t before = tvl::thread_work();
  o.rc = TVLlpopt(s.env, s.lp);
  o.work = tvl::thread_work() - before;
  o.status = TVLgetstat(s.env, s.lp);
  o.iterations = TVLgetitcnt(s.env, s.lp);
  o.x.assign(static_cast<size_t>(TVLgetnumcols(s.env, s.lp)), 0.0);
  if (TVLgetx(s.env, s.lp, o.x.data(), 0, static_cast<int>(o.x.size()) - 1) != 0) o.x.clear();
  return o;
}

Outcome solve_on_new_thread(const std::string &name, int method, int presolve, double ticks) {
  Outcome o;
  std::thread t([&] { o = solve(name, method, presolve, ticks); });
  t.join();
  return o;
}

void expect_same(const Outcome &a, const Outcome &b, const std::string &what) {
  EXPECT_EQ(a.rc, b.rc) << what;
  EXPECT_EQ(a.status, b.status) << what;
  EXPECT_EQ(a.iterations, b.iterations) << what;
  EXPECT_EQ(a.work, b.work) << what;
  EXPECT_EQ(a.x, b.x) << what;  // bitwise: the same pivots in the same order
}

struct Case {
  const char *name;
  int method;
  int presolve;
};

TEST(DeterministicLimit, RepeatedRunsStopAtTheSameIterationOnNetlib) {
  const Case cases[] = {
      {"afiro", TVL_ALG_DUAL, 1},   {"sc205", TVL_ALG_DUAL, 1},     {"scagr7", TVL_ALG_PRIMAL, 1},
      {"bandm", TVL_ALG_DUAL, 0},   {"e226", TVL_ALG_PRIMAL, 0},    {"share1b", TVL_ALG_DUAL, 1},
      {"degen2", TVL_ALG_DUAL, 0},  {"scagr7", TVL_ALG_CONCURRENT, 0},
  };
  for (const Case &c : cases) {
    const char *method = c.method == TVL_ALG_DUAL ? " dual" : c.method == TVL_ALG_PRIMAL ? " primal" : " concurrent";
    const std::string tag = std::string(c.name) + method + (c.presolve ? " presolve" : "");
    const Outcome full = solve(c.name, c.method, c.presolve, 1e75);
    ASSERT_EQ(full.rc, 0) << tag;
    ASSERT_EQ(full.status, TVL_STAT_OPTIMAL) << tag;
    ASSERT_GT(full.work, 0u) << tag;
    // A run without a limit repeats itself exactly as well.
    expect_same(full, solve(c.name, c.method, c.presolve, 1e75), tag + " unlimited");
    int last_iterations = 0;
    for (const double share : {0.2, 0.5, 0.8}) {
      const double ticks = share * static_cast<double>(full.work) / tvl::kWorkPerTick;
      const std::string what = tag + " share " + std::to_string(share);
      const Outcome first = solve(c.name, c.method, c.presolve, ticks);
      // The limit counts from the start of the run: the counter already
      // advanced by the runs above, and a new thread's starts at zero.
      const Outcome again = solve(c.name, c.method, c.presolve, ticks);
      const Outcome fresh = solve_on_new_thread(c.name, c.method, c.presolve, ticks);
      expect_same(first, again, what);
      expect_same(first, fresh, what + " new thread");
      EXPECT_TRUE(first.status == TVL_STAT_ABORT_DETTIME_LIM || first.rc == 9025) << what;
      // A run stops as soon as a check sees the limit, which may come after
      // the last iteration (the work of the final solves counts too).
      EXPECT_GE(first.work + 2, static_cast<uint64_t>(share * static_cast<double>(full.work))) << what;
      EXPECT_LE(first.iterations, full.iterations) << what;
      // A larger limit never stops a method earlier; under the concurrent
      // method the count is that of the run kept, which may be the dual
      // at one limit and the primal at the next.
      if (c.method != TVL_ALG_CONCURRENT) {
        EXPECT_GE(first.iterations, last_iterations) << what;
      }
      last_iterations = first.iterations;
    }
  }
}

}  // namespace
