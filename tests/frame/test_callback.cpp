// Callback registration, termination requests, the limit check and the
// clock record of a run.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "frame/callback.h"
#include "frame/env.h"
#include "frame/solution.h"
#include "runtime/clock.h"
#include "runtime/workcount.h"
#include "tavlo.h"

namespace {

struct Env {
  TVLENVptr env = nullptr;
  Env() {
    int st = 0;
    env = TVLopenTAVLO(&st);
  }
  ~Env() { TVLcloseTAVLO(&env); }
};

int count_calls(TVLCENVptr, void *, int, void *handle) {
  ++*static_cast<int *>(handle);
  return 0;
}

int stop_now(TVLCENVptr) { return 0; }
int stop_with_42(TVLCENVptr) { return 42; }

TEST(Callback, SettersGettersAndInvalidEnvironment) {
  Env e;
  int calls = 0;
  TVLcallbackfunc f = nullptr;
  void *h = nullptr;
  EXPECT_EQ(TVLgetlpcallbackfunc(e.env, &f, &h), 0);
  EXPECT_EQ(f, nullptr);
  EXPECT_EQ(TVLsetlpcallbackfunc(e.env, count_calls, &calls), 0);
  EXPECT_EQ(TVLgetlpcallbackfunc(e.env, &f, &h), 0);
  EXPECT_EQ(f, &count_calls);
  EXPECT_EQ(h, &calls);
  EXPECT_EQ(TVLgetlpcallbackfunc(e.env, nullptr, nullptr), 0);
  EXPECT_EQ(TVLsetmipcallbackfunc(e.env, count_calls, nullptr), 0);
  EXPECT_EQ(TVLgetinfocallbackfunc(e.env, &f, &h), 0);
  EXPECT_EQ(f, nullptr);  // each kind has its own slot
  // Registrations survive a reset of the parameters.
  EXPECT_EQ(TVLsetdefaults(e.env), 0);
  EXPECT_EQ(TVLgetlpcallbackfunc(e.env, &f, &h), 0);
  EXPECT_EQ(f, &count_calls);
  int flag = 0;
  EXPECT_EQ(TVLsetterminate(nullptr, &flag), TVLERR_NO_ENVIRONMENT);
  EXPECT_EQ(TVLsetlpcallbackfunc(nullptr, count_calls, nullptr), TVLERR_NO_ENVIRONMENT);
  double t = 0.0;
  EXPECT_EQ(TVLgettime(e.env, &t), 0);
  EXPECT_GT(t, 0.0);
  EXPECT_EQ(TVLgettime(e.env, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
}

TEST(Callback, TerminationRequestFunctionAndParents) {
  Env e;
  EXPECT_EQ(tvl::limit_check(e.env), 0);
  volatile int flag = 0;
  ASSERT_EQ(TVLsetterminate(e.env, &flag), 0);
  EXPECT_EQ(tvl::limit_check(e.env), 0);
  flag = 1;
  EXPECT_EQ(tvl::limit_check(e.env), 13);
  // A termination function decides alone, before the request is consulted.
  ASSERT_EQ(TVLEsetterminatefunc(e.env, stop_now), 0);
  EXPECT_EQ(tvl::limit_check(e.env), 0);
  ASSERT_EQ(TVLEsetterminatefunc(e.env, stop_with_42), 0);
  EXPECT_EQ(tvl::limit_check(e.env), 42);
  ASSERT_EQ(TVLEsetterminatefunc(e.env, nullptr), 0);
  flag = 0;
  // A child inherits the registrations; a request set on the parent only
  // still stops the child's run.
  int st = 0;
  TVLENVptr child = TVLparenv(e.env, &st);
  ASSERT_NE(child, nullptr);
  ASSERT_EQ(TVLsetterminate(child, nullptr), 0);
  EXPECT_EQ(tvl::limit_check(child), 0);
  flag = 1;
  EXPECT_EQ(tvl::limit_check(child), 13);
  flag = 0;
  ASSERT_EQ(TVLfreeparenv(e.env, &child), 0);
  ASSERT_EQ(TVLsetterminate(e.env, nullptr), 0);
}

TEST(Callback, RequestFromAnotherThreadStopsPolling) {
  Env e;
  volatile int flag = 0;
  ASSERT_EQ(TVLsetterminate(e.env, &flag), 0);
  std::thread setter([&flag] {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    flag = 1;
  });
  int st = 0;
  for (long k = 0; k < 2000000000L && st == 0; ++k) st = tvl::limit_check(e.env);
  setter.join();
  EXPECT_EQ(st, 13);
}

TEST(Callback, RunClockDeadlinesWorkLimitsAndNesting) {
  Env e;
  {
    // Without a time limit the clock is never read by the check.
    tvl::RunScope run(e.env);
    const tvl::RunClock *rc = e.env->callbacks->run;
    ASSERT_NE(rc, nullptr);
    const double start = rc->last;
    for (int k = 0; k < 5000; ++k) ASSERT_EQ(tvl::limit_check(e.env), 0);
    EXPECT_EQ(rc->last, start);
    EXPECT_EQ(rc->checks, 0);
  }
  EXPECT_EQ(e.env->callbacks->run, nullptr);
  ASSERT_EQ(TVLsetdblparam(e.env, TVL_PARAM_TILIM, 0.0), 0);
  {
    tvl::RunScope run(e.env);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(tvl::limit_check(e.env), 11);
  }
  ASSERT_EQ(TVLsetdblparam(e.env, TVL_PARAM_TILIM, 0.02), 0);
  {
    // The clock is read on some checks only; once a reading is past the
    // deadline every later check reports it, not just the one that read it
    // (which may belong to a step that only stops itself).
    tvl::RunScope run(e.env);
    for (int k = 0; k < 200; ++k) ASSERT_EQ(tvl::limit_check(e.env), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    int st = 0;
    for (int k = 0; k < 5000 && st == 0; ++k) st = tvl::limit_check(e.env);
    ASSERT_EQ(st, 11);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(tvl::limit_check(e.env), 11) << k;
  }
  ASSERT_EQ(TVLsetdblparam(e.env, TVL_PARAM_TILIM, 1000.0), 0);
  {
    tvl::RunScope outer(e.env);
    ASSERT_EQ(TVLsetdblparam(e.env, TVL_PARAM_TILIM, 1e75), 0);
    tvl::RunScope inner(e.env);
    // The inner run keeps the enclosing deadline.
    EXPECT_LT(e.env->callbacks->run->deadline, 1e75);
    EXPECT_NE(e.env->callbacks->run->outer, nullptr);
    EXPECT_EQ(tvl::limit_check(e.env), 0);
  }
  // Deterministic limit in ticks of work.
  ASSERT_EQ(TVLsetdblparam(e.env, 1127, 2.0), 0);
  {
    tvl::RunScope run(e.env);
    EXPECT_EQ(tvl::limit_check(e.env), 0);
    tvl::work_add(static_cast<uint64_t>(3 * tvl::kWorkPerTick));
    EXPECT_EQ(tvl::limit_check(e.env), 900);
  }
}

TEST(Callback, ChildSeesParentLimitsWithoutTouchingItsRecord) {
  Env e;
  ASSERT_EQ(TVLsetdblparam(e.env, TVL_PARAM_TILIM, 10.0), 0);
  ASSERT_EQ(TVLsetdblparam(e.env, 1127, 5.0), 0);
  double seconds = 0.0, ticks = 0.0;
  tvl::run_remaining(e.env, &seconds, &ticks);
  EXPECT_EQ(seconds, 1e75);  // no run in progress
  EXPECT_EQ(ticks, 1e75);
  {
    tvl::RunScope run(e.env);
    tvl::work_add(static_cast<uint64_t>(2 * tvl::kWorkPerTick));
    tvl::run_remaining(e.env, &seconds, &ticks);
    EXPECT_GT(seconds, 9.0);
    EXPECT_LE(seconds, 10.0);
    EXPECT_NEAR(ticks, 3.0, 1e-9);
  }
  ASSERT_EQ(TVLsetdblparam(e.env, TVL_PARAM_TILIM, 0.0), 0);
  tvl::RunScope run(e.env);
  int st = 0;
  TVLENVptr child = TVLparenv(e.env, &st);
  ASSERT_NE(child, nullptr);
  const tvl::RunClock before = *e.env->callbacks->run;
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  // With and without a deadline of its own, the child stops at the
  // parent's deadline; the parent's record is only read.
  EXPECT_EQ(tvl::limit_check(child), 11);
  ASSERT_EQ(TVLsetdblparam(child, TVL_PARAM_TILIM, 100.0), 0);
  {
    tvl::RunScope own(child);
    EXPECT_EQ(tvl::limit_check(child), 11);
  }
  EXPECT_EQ(e.env->callbacks->run->checks, before.checks);
  EXPECT_EQ(e.env->callbacks->run->last, before.last);
  ASSERT_EQ(TVLfreeparenv(e.env, &child), 0);
}

TEST(Callback, CallbackInfoContextsAndInfoCallbackRefusal) {
  Env e;
  tvl::LpProgress progress;
  tvl::lp_progress_init(progress);
  progress.iterations = 17;
  int calls = 0;
  ASSERT_EQ(TVLsetlpcallbackfunc(e.env, count_calls, &calls), 0);
  EXPECT_EQ(tvl::call_lp_callback(e.env, TVL_CALLBACK_DUAL, progress), 0);
  EXPECT_EQ(calls, 1);
  int it = 0;
  EXPECT_EQ(TVLgetcallbackinfo(e.env, &progress.data, TVL_CALLBACK_DUAL,
                               TVL_CALLBACK_INFO_ITCOUNT, &it), 0);
  EXPECT_EQ(it, 17);
  long long itl = 0;
  EXPECT_EQ(TVLgetcallbackinfo(e.env, &progress.data, TVL_CALLBACK_DUAL,
                               TVL_CALLBACK_INFO_ITCOUNT_LONG, &itl), 0);
  EXPECT_EQ(itl, 17);
  double d = 0.0;
  EXPECT_EQ(TVLgetcallbackinfo(e.env, &progress.data, 50, TVL_CALLBACK_INFO_ITCOUNT, &it),
            TVLERR_ERROR_DURING_CALLBACK);
  EXPECT_EQ(TVLgetcallbackinfo(e.env, &progress.data, TVL_CALLBACK_DUAL, 999, &d),
            TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  EXPECT_EQ(TVLgetcallbackinfo(e.env, &progress.data, TVL_CALLBACK_DUAL,
                               TVL_CALLBACK_INFO_ITCOUNT, nullptr),
            TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  // Inside an informational callback only MIP items may be asked, and the
  // clock stays readable.
  e.env->in_info_callback = true;
  EXPECT_EQ(TVLgetcallbackinfo(e.env, &progress.data, TVL_CALLBACK_DUAL,
                               TVL_CALLBACK_INFO_ITCOUNT, &it),
            TVLERR_CALLING_ROUTINES_FROM_INFO_CALLBACK);
  EXPECT_EQ(TVLgettime(e.env, &d), 0);
  EXPECT_EQ(TVLsetlpcallbackfunc(e.env, nullptr, nullptr),
            TVLERR_CALLING_ROUTINES_FROM_INFO_CALLBACK);
  e.env->in_info_callback = false;
}

TEST(SolutionStatus, TextsShortTextsAndUnknownCodes) {
  char buf[64];
  EXPECT_STREQ(TVLgetstatstring(nullptr, 1, buf), "optimal");
  EXPECT_STREQ(TVLgetstatstring(nullptr, 101, buf), "integer optimal solution");
  EXPECT_STREQ(TVLgetstatstring(nullptr, 134, buf),
               "deterministic time limit exceeded, no integer solution");
  EXPECT_EQ(std::string(buf).size(), 54u);  // the longest text
  EXPECT_EQ(TVLgetstatstring(nullptr, 999, buf), nullptr);
  EXPECT_STREQ(buf, "Unknown status value");
  EXPECT_STREQ(TVLgetstatstring(nullptr, 11, buf), "time limit exceeded");
  EXPECT_STREQ(TVLgetstatstring(nullptr, 107, buf), "time limit exceeded");
  EXPECT_STREQ(tvl::solution_status_brief(11), "time lim exceeded");
  EXPECT_STREQ(tvl::solution_status_brief(107), "time lim exc, feas");
  EXPECT_STREQ(tvl::solution_status_brief(998), "Unknown stat value");
  EXPECT_STREQ(TVLgetstatstring(nullptr, 900, buf), "deterministic time limit exceeded");
}

}  // namespace
