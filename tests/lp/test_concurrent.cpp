// The concurrent method (TVL_PARAM_LPMETHOD 6) on Netlib instances: same
// optimum as the dual simplex, winner reported, one ordered log, stops by
// time limit, termination request and progress callback, the one-thread
// path, warm starts and errors reported once.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "simplex/dual_test_util.h"
#include "support/api_session.h"
#include "tavlo.h"
#include "support/log_text.h"

namespace {

using tvl::lp::testing::netlib_dir;
using tvl::lp::testing::netlib_optimum;

size_t count_of(const std::string &text, const std::string &what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

bool have_netlib() { return std::ifstream(netlib_dir() + "/manifest.csv").good(); }

// One environment and one Netlib problem, with the log and error channels
// collected, set up for the concurrent method on two threads.
struct Session : tvltest::ApiSession {
  bool races = false;
  explicit Session(const std::string &name, int method = TVL_ALG_CONCURRENT) : ApiSession(name.c_str()) {
    TVLsetintparam(env, TVL_PARAM_PREIND, 0);
    TVLsetintparam(env, TVL_PARAM_LPMETHOD, method);
    // Refused on a machine with one processor: method 6 then runs the dual.
    races = TVLsetintparam(env, TVL_PARAM_THREADS, 2) == 0;
    EXPECT_EQ(read_netlib(name), 0) << name;
  }
  double objective() const {
    double obj = NAN;
    EXPECT_EQ(TVLgetobjval(env, lp, &obj), 0);
    return obj;
  }
  int basic_count() const {
    const int n = TVLgetnumcols(env, lp), m = TVLgetnumrows(env, lp);
    std::vector<int> cstat(static_cast<size_t>(n)), rstat(static_cast<size_t>(m));
    if (TVLgetbase(env, lp, cstat.data(), rstat.data()) != 0) return -1;
    return static_cast<int>(std::count(cstat.begin(), cstat.end(), 1) +
                            std::count(rstat.begin(), rstat.end(), 1));
  }
};

const char *const kFastSubset[] = {"afiro", "sc50a",  "blend",    "adlittle",
                                   "share2b", "israel", "stocfor1", "scagr7"};

TEST(Concurrent, SameOptimumAsTheDualWithWinnerBasisAndOneLog) {
  if (!have_netlib()) GTEST_SKIP() << "Netlib instances not found";
  for (const char *name : kFastSubset) {
    SCOPED_TRACE(name);
    Session dual(name, TVL_ALG_DUAL);
    ASSERT_EQ(TVLlpopt(dual.env, dual.lp), 0);
    Session conc(name);
    if (!conc.races) GTEST_SKIP() << "one processor: no race";
    ASSERT_EQ(TVLlpopt(conc.env, conc.lp), 0);
    ASSERT_EQ(TVLgetstat(conc.env, conc.lp), TVL_STAT_OPTIMAL);
    const double ref = netlib_optimum(name), obj = conc.objective();
    EXPECT_LE(std::fabs(obj - ref), 1e-6 * std::max(1.0, std::fabs(ref)));
    EXPECT_LE(std::fabs(obj - dual.objective()), 1e-9 * std::max(1.0, std::fabs(ref)));
    const int method = TVLgetmethod(conc.env, conc.lp);
    EXPECT_TRUE(method == TVL_ALG_PRIMAL || method == TVL_ALG_DUAL) << method;
    EXPECT_GT(TVLgetitcnt(conc.env, conc.lp), 0);
    const int m = TVLgetnumrows(conc.env, conc.lp);
    EXPECT_EQ(conc.basic_count(), m);
    // The winner's basis serves the basis solves of the caller's problem.
    std::vector<int> head(static_cast<size_t>(m));
    EXPECT_EQ(TVLgetbhead(conc.env, conc.lp, head.data(), nullptr), 0);
    // The log names the streamed method first; the dual's log follows (the
    // whole of it when the dual wins), then the primal's only when it wins,
    // then the winner line.
    const std::string announced =
        "Concurrent optimizer: dual simplex and primal simplex in parallel; the log below is the dual simplex's.\n";
    EXPECT_EQ(conc.log.substr(0, announced.size()), announced);
    const std::string line = std::string("Concurrent optimizer: ") +
                             (method == TVL_ALG_PRIMAL ? "primal" : "dual") + " simplex finished first.\n";
    ASSERT_GE(conc.log.size(), line.size());
    EXPECT_EQ(conc.log.substr(conc.log.size() - line.size()), line);
    const std::string primal_head = "Concurrent optimizer: log of the primal simplex, which is kept:";
    if (method == TVL_ALG_DUAL) {
      EXPECT_EQ(count_of(conc.log, "Iteration log"), count_of(dual.log, "Iteration log"));
      EXPECT_EQ(count_of(conc.log, "Concurrent optimizer"), 2u);
    } else {
      EXPECT_EQ(count_of(conc.log, primal_head), 1u);
      EXPECT_EQ(count_of(conc.log, "Concurrent optimizer"), 3u);
    }
    EXPECT_EQ(conc.errors, "");
  }
}

TEST(Concurrent, RepeatedRunsAreDeterministicAndWarmStartsStayWarm) {
  if (!have_netlib()) GTEST_SKIP() << "Netlib instances not found";
  // Deterministic mode (the default): the same winner, iterations and log
  // every time.  Opportunistic mode: at least the same optimum.
  for (const char *name : {"israel", "adlittle", "brandy", "sc205"}) {
    SCOPED_TRACE(name);
    Session ref(name);
    ASSERT_EQ(TVLlpopt(ref.env, ref.lp), 0);
    for (int run = 0; run < 2; ++run) {
      Session again(name);
      ASSERT_EQ(TVLlpopt(again.env, again.lp), 0);
      EXPECT_EQ(TVLgetmethod(again.env, again.lp), TVLgetmethod(ref.env, ref.lp));
      EXPECT_EQ(TVLgetitcnt(again.env, again.lp), TVLgetitcnt(ref.env, ref.lp));
      EXPECT_EQ(tvltest::untimed(again.log), tvltest::untimed(ref.log));
      Session opportunistic(name);
      ASSERT_EQ(TVLsetintparam(opportunistic.env, TVL_PARAM_PARALLELMODE, -1), 0);
      ASSERT_EQ(TVLlpopt(opportunistic.env, opportunistic.lp), 0);
      EXPECT_LE(std::fabs(opportunistic.objective() - ref.objective()), 1e-9 * std::fabs(ref.objective()));
    }
  }
  Session first("adlittle");
  ASSERT_EQ(TVLlpopt(first.env, first.lp), 0);
  // A changed bound re-solved concurrently starts from the kept basis.
  const int cold = TVLgetitcnt(first.env, first.lp);
  const int col = 0;
  const char lu = 'U';
  double x0 = 0.0;
  ASSERT_EQ(TVLgetx(first.env, first.lp, &x0, col, col), 0);
  const double ub = 0.5 * x0;
  ASSERT_EQ(TVLchgbds(first.env, first.lp, 1, &col, &lu, &ub), 0);
  ASSERT_EQ(TVLlpopt(first.env, first.lp), 0);
  EXPECT_TRUE(TVLgetstat(first.env, first.lp) == TVL_STAT_OPTIMAL ||
              TVLgetstat(first.env, first.lp) == TVL_STAT_INFEASIBLE);
  EXPECT_LT(TVLgetitcnt(first.env, first.lp), cold / 2);
}

// Slow enough (seconds) that a stop arrives in the middle of a run;
// a run that was not stopped would end optimal.
constexpr const char *kSlowInstance = "pilot87";

TEST(Concurrent, TimeLimitAndTerminationRequestStopBothWorkers) {
  if (!have_netlib()) GTEST_SKIP() << "Netlib instances not found";
  {
    Session run("afiro");
    ASSERT_EQ(TVLsetdblparam(run.env, TVL_PARAM_TILIM, 0.0), 0);
    ASSERT_EQ(TVLlpopt(run.env, run.lp), 0);
    EXPECT_EQ(TVLgetstat(run.env, run.lp), TVL_STAT_ABORT_TIME_LIM);
  }
  {
    Session run("afiro");
    volatile int terminate = 1;
    ASSERT_EQ(TVLsetterminate(run.env, &terminate), 0);
    ASSERT_EQ(TVLlpopt(run.env, run.lp), 0);
    EXPECT_EQ(TVLgetstat(run.env, run.lp), TVL_STAT_ABORT_USER);
  }
}

TEST(Concurrent, TerminationAndCallbackStopBothWorkersMidRun) {
  if (!std::ifstream(netlib_dir() + "/" + kSlowInstance + ".mps.gz").good()) {
    GTEST_SKIP() << kSlowInstance << " not found";
  }
  {
    // The caller's termination request, set from another thread mid-run.
    Session run(kSlowInstance);
    volatile int terminate = 0;
    ASSERT_EQ(TVLsetterminate(run.env, &terminate), 0);
    std::thread setter([&terminate] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      __atomic_store_n(&terminate, 1, __ATOMIC_RELAXED);
    });
    ASSERT_EQ(TVLlpopt(run.env, run.lp), 0);
    setter.join();
    EXPECT_EQ(TVLgetstat(run.env, run.lp), TVL_STAT_ABORT_USER);
  }
  {
    // The progress callback runs on the caller's thread only; its nonzero
    // answer stops every worker.
    struct Calls {
      std::thread::id caller = std::this_thread::get_id();
      int calls = 0, foreign = 0;
    } calls;
    auto cb = [](TVLCENVptr, void *, int wherefrom, void *handle) {
      auto *c = static_cast<Calls *>(handle);
      ++c->calls;
      if (std::this_thread::get_id() != c->caller) ++c->foreign;
      return wherefrom == TVL_CALLBACK_DUAL && c->calls >= 2 ? 1 : 0;
    };
    Session run(kSlowInstance);
    ASSERT_EQ(TVLsetlpcallbackfunc(run.env, cb, &calls), 0);
    ASSERT_EQ(TVLlpopt(run.env, run.lp), 0);
    EXPECT_EQ(TVLgetstat(run.env, run.lp), TVL_STAT_ABORT_USER);
    EXPECT_EQ(calls.calls, 2);
    EXPECT_EQ(calls.foreign, 0);
  }
  {
    // The dual's log is streamed: the progress callback, on the caller's
    // thread, sees its iteration lines while the race runs, and stops it
    // then.  Every line arrives on the caller's thread.
    struct Watch {
      Session *run = nullptr;
      std::thread::id caller = std::this_thread::get_id();
      int foreign = 0;
    } watch;
    auto on_log = [](void *handle, const char *) {
      auto *w = static_cast<Watch *>(handle);
      if (std::this_thread::get_id() != w->caller) ++w->foreign;
    };
    auto cb = [](TVLCENVptr, void *, int, void *handle) {
      return static_cast<Watch *>(handle)->run->log.find("Iteration:") != std::string::npos ? 1 : 0;
    };
    Session run(kSlowInstance);
    watch.run = &run;
    TVLCHANNELptr logc = nullptr;
    TVLgetchannels(run.env, nullptr, nullptr, nullptr, &logc);
    ASSERT_EQ(TVLaddfuncdest(run.env, logc, &watch, on_log), 0);
    ASSERT_EQ(TVLsetlpcallbackfunc(run.env, cb, &watch), 0);
    ASSERT_EQ(TVLlpopt(run.env, run.lp), 0);
    EXPECT_EQ(TVLgetstat(run.env, run.lp), TVL_STAT_ABORT_USER);
    EXPECT_EQ(watch.foreign, 0);
  }
}

TEST(Concurrent, OneThreadRunsTheDualAloneAndErrorsAreReportedOnce) {
  if (!have_netlib()) GTEST_SKIP() << "Netlib instances not found";
  Session dual("share2b", TVL_ALG_DUAL);
  ASSERT_EQ(TVLsetintparam(dual.env, TVL_PARAM_SIMDISPLAY, 2), 0);
  ASSERT_EQ(TVLlpopt(dual.env, dual.lp), 0);
  Session one("share2b");
  ASSERT_EQ(TVLsetintparam(one.env, TVL_PARAM_SIMDISPLAY, 2), 0);
  ASSERT_EQ(TVLsetintparam(one.env, TVL_PARAM_THREADS, 1), 0);
  ASSERT_EQ(TVLlpopt(one.env, one.lp), 0);
  EXPECT_EQ(TVLgetmethod(one.env, one.lp), TVL_ALG_DUAL);
  EXPECT_EQ(TVLgetitcnt(one.env, one.lp), TVLgetitcnt(dual.env, dual.lp));
  EXPECT_EQ(tvltest::untimed(one.log), tvltest::untimed(dual.log));

  for (int threads : {1, 2}) {
    SCOPED_TRACE(threads);
    Session mip("afiro");
    TVLsetintparam(mip.env, TVL_PARAM_THREADS, threads);
    const int col = 0;
    const char type = 'I';
    ASSERT_EQ(TVLchgctype(mip.env, mip.lp, 1, &col, &type), 0);
    EXPECT_EQ(TVLlpopt(mip.env, mip.lp), TVLERR_NOT_AVAILABLE_FOR_MIXED_INTEGER_PROGRAMS);
    EXPECT_EQ(count_of(mip.errors, "TAVLO Error"), 1u) << mip.errors;
    EXPECT_EQ(count_of(mip.errors, "1017"), 1u) << mip.errors;
  }
}

// The automatic choice races only problems of at least 20,000 nonzeros:
// a 100 x 200 dense LP races, a 100 x 199 one runs the dual alone.
TEST(Concurrent, AutomaticChoiceRacesOnlyProblemsOfSomeSize) {
  for (int cols : {199, 200}) {
    SCOPED_TRACE(cols);
    tvltest::ApiSession s("dense");
    ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_SIMDISPLAY, 1), 0);
    if (TVLsetintparam(s.env, TVL_PARAM_THREADS, 2) != 0) GTEST_SKIP() << "one processor: no race";
    const int rows = 100;
    std::vector<double> obj(static_cast<size_t>(cols), 1.0), rhs(rows, 100.0), val;
    const std::vector<double> lb(static_cast<size_t>(cols), 0.0), ub(static_cast<size_t>(cols), 1e20);
    std::vector<int> beg, cnt, ind;
    for (int j = 0; j < cols; ++j) {
      beg.push_back(static_cast<int>(ind.size()));
      cnt.push_back(rows);
      for (int i = 0; i < rows; ++i) {
        ind.push_back(i);
        val.push_back(1.0 + ((i * 7 + j * 13) % 10));
      }
    }
    const std::vector<char> sense(rows, 'L');
    ASSERT_EQ(TVLcopylp(s.env, s.lp, cols, rows, TVL_MAX, obj.data(), rhs.data(), sense.data(), beg.data(),
                        cnt.data(), ind.data(), val.data(), lb.data(), ub.data(), nullptr),
              0);
    ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
    EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL);
    EXPECT_EQ(count_of(s.log, "Concurrent optimizer: dual simplex and primal simplex in parallel"), cols == 200 ? 1u : 0u)
        << s.log;
  }
}

}  // namespace
