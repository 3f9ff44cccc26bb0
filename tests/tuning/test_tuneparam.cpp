// The parameter tuner on real instances: the settings it leaves never cost
// more deterministic work than the defaults, the caller's fixed parameters
// survive untouched, and its limits, the termination request, the tuning
// callback and bad arguments end it as documented.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "frame/param.h"
#include "runtime/workcount.h"
#include "support/api_session.h"
#include "tavlo.h"
#include "tuning/tune_knobs.h"

namespace {

struct Solve {
  int rc = -1, stat = -1;
  double obj = 0.0;
  uint64_t work = 0;
};

// Solves the session's problem with the environment's current settings.
Solve solve(tvltest::ApiSession &s, bool mip) {
  Solve r;
  const uint64_t before = tvl::thread_work();
  r.rc = mip ? TVLmipopt(s.env, s.lp) : TVLlpopt(s.env, s.lp);
  r.work = tvl::thread_work() - before;
  r.stat = TVLgetstat(s.env, s.lp);
  TVLgetobjval(s.env, s.lp, &r.obj);
  return r;
}

bool optimal(int stat) { return stat == TVL_STAT_OPTIMAL || stat == TVLMIP_OPTIMAL || stat == TVLMIP_OPTIMAL_TOL; }

int tune(tvltest::ApiSession &s, int *tunestat) {
  return TVLtuneparam(s.env, s.lp, 0, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr, tunestat);
}

int int_param(TVLENVptr env, int num) {
  int v = 0;
  EXPECT_EQ(TVLgetintparam(env, num, &v), 0);
  return v;
}

double dbl_param(TVLENVptr env, int num) {
  double v = 0.0;
  EXPECT_EQ(TVLgetdblparam(env, num, &v), 0);
  return v;
}

struct Instance {
  const char *collection, *name;
  bool mip;
};

// For each instance: the defaults' work, then tuning from a fresh
// environment, then a solve with what the tuning left.
TEST(Tuneparam, LeftSettingsNeverCostMoreWorkThanTheDefaults) {
  const Instance cases[] = {{"miplib", "p0033", true}, {"miplib", "flugpl", true},
                            {"netlib", "afiro", false}, {"netlib", "sc205", false}};
  for (const Instance &c : cases) {
    SCOPED_TRACE(c.name);
    Solve defaults;
    {
      tvltest::ApiSession s(c.name);
      if (c.mip) s.read_miplib(c.name);
      else ASSERT_EQ(s.read_netlib(c.name), 0);
      s.set(TVL_PARAM_MIPDISPLAY, 0);
      s.set(TVL_PARAM_SIMDISPLAY, 0);
      defaults = solve(s, c.mip);
      ASSERT_EQ(defaults.rc, 0);
    }
    tvltest::ApiSession s(c.name);
    if (c.mip) s.read_miplib(c.name);
    else ASSERT_EQ(s.read_netlib(c.name), 0);
    std::string results;
    s.collect_results(results);
    int tunestat = -1;
    ASSERT_EQ(tune(s, &tunestat), 0) << s.errors;
    EXPECT_EQ(tunestat, 0);
    EXPECT_NE(results.find("Tuning: defaults: status"), std::string::npos) << results;
    EXPECT_NE(results.find("Tuning complete"), std::string::npos) << results;
    // The caller's problem was not solved by the tuning.
    EXPECT_EQ(TVLgetstat(s.env, s.lp), 0);
    const Solve tuned = solve(s, c.mip);
    ASSERT_EQ(tuned.rc, 0);
    EXPECT_TRUE(optimal(tuned.stat)) << tuned.stat;
    EXPECT_TRUE(optimal(defaults.stat)) << defaults.stat;
    EXPECT_NEAR(tuned.obj, defaults.obj, 1e-6 * (1.0 + std::fabs(defaults.obj)));
    EXPECT_LE(tuned.work, defaults.work) << results;
  }
}

// When every run stops at the caller's deterministic limit, the gap left
// decides: the settings left never leave a larger gap than the defaults
// under the same limit, and the limit itself is kept.
TEST(Tuneparam, RunsStoppedAtTheLimitCompareByGap) {
  const double ticks = 8.0;
  auto prepare = [&](tvltest::ApiSession &s) {
    s.read_miplib("lseu");
    EXPECT_EQ(TVLsetdblparam(s.env, tvl::kParamDetTimeLimit, ticks), 0);
  };
  double default_gap = 0.0;
  {
    tvltest::ApiSession s("lseu");
    prepare(s);
    s.set(TVL_PARAM_MIPDISPLAY, 0);
    ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
    ASSERT_EQ(TVLgetmiprelgap(s.env, s.lp, &default_gap), 0);
    ASSERT_GT(default_gap, 0.0);  // the limit stops it before optimality
  }
  tvltest::ApiSession s("lseu");
  prepare(s);
  std::string results;
  s.collect_results(results);
  int tunestat = -1;
  ASSERT_EQ(tune(s, &tunestat), 0) << s.errors;
  EXPECT_EQ(tunestat, 0);
  EXPECT_NE(results.find("Tuning: defaults: status 133"), std::string::npos) << results;
  EXPECT_EQ(dbl_param(s.env, tvl::kParamDetTimeLimit), ticks);
  s.set(TVL_PARAM_MIPDISPLAY, 0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  double gap = 0.0;
  ASSERT_EQ(TVLgetmiprelgap(s.env, s.lp, &gap), 0);
  EXPECT_LE(gap, default_gap) << results;
}

// Fixed parameters of all three kinds hold after tuning and are never
// tried; parameters the caller set without fixing return to their
// defaults, the per-run limits stay.
TEST(Tuneparam, FixedParametersAreKeptAndOthersReset) {
  tvltest::ApiSession s("p0033");
  s.read_miplib("p0033");
  std::string results;
  s.collect_results(results);
  ASSERT_EQ(TVLsetdblparam(s.env, TVL_PARAM_EPAGAP, 0.5), 0);  // neither fixed nor tuned: back to the default
  ASSERT_EQ(TVLsetdblparam(s.env, TVL_PARAM_TILIM, 500.0), 0);
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_TUNINGDISPLAY, 2), 0);
  const int inum[] = {TVL_PARAM_VARSEL, TVL_PARAM_CUTPASS}, ival[] = {1, -1};
  const int dnum[] = {TVL_PARAM_EPGAP};
  const double dval[] = {0.01};
  const int snum[] = {TVL_PARAM_WORKDIR};
  char dir[] = "/tmp";
  char *sval[] = {dir};
  int tunestat = -1;
  ASSERT_EQ(TVLtuneparam(s.env, s.lp, 2, inum, ival, 1, dnum, dval, 1, snum, sval, &tunestat), 0) << s.errors;
  EXPECT_EQ(tunestat, 0);
  EXPECT_EQ(int_param(s.env, TVL_PARAM_VARSEL), 1);
  EXPECT_EQ(int_param(s.env, TVL_PARAM_CUTPASS), -1);
  EXPECT_EQ(dbl_param(s.env, TVL_PARAM_EPGAP), 0.01);
  char buf[TVL_STR_PARAM_MAX] = {};
  ASSERT_EQ(TVLgetstrparam(s.env, TVL_PARAM_WORKDIR, buf), 0);
  EXPECT_STREQ(buf, "/tmp");
  EXPECT_EQ(dbl_param(s.env, TVL_PARAM_TILIM), 500.0);
  EXPECT_EQ(int_param(s.env, TVL_PARAM_TUNINGDISPLAY), 2);
  EXPECT_EQ(results.find("TVL_PARAM_VARSEL"), std::string::npos) << results;
  EXPECT_EQ(results.find("TVL_PARAM_CUTPASS "), std::string::npos) << results;
  EXPECT_NE(results.find("run 1: status"), std::string::npos) << results;  // display 2 shows the runs
  EXPECT_EQ(dbl_param(s.env, TVL_PARAM_EPAGAP), 1e-6);
}

// The time budget, the termination request and the tuning callback end
// the tuning early with their status; what the environment holds is then
// the base settings or better.
TEST(Tuneparam, BudgetTerminationAndCallbackStopIt) {
  {
    tvltest::ApiSession s("lseu");
    s.read_miplib("lseu");
    ASSERT_EQ(TVLsetdblparam(s.env, TVL_PARAM_TUNINGTILIM, 1.0), 0);
    ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_TUNINGREPEAT, 100000), 0);
    int tunestat = -1;
    ASSERT_EQ(tune(s, &tunestat), 0) << s.errors;
    EXPECT_EQ(tunestat, TVL_TUNE_TILIM);
  }
  {
    tvltest::ApiSession s("p0033");
    s.read_miplib("p0033");
    s.set(TVL_PARAM_NODESEL, 0);
    volatile int stop = 1;
    ASSERT_EQ(TVLsetterminate(s.env, &stop), 0);
    int tunestat = -1;
    ASSERT_EQ(tune(s, &tunestat), 0) << s.errors;
    EXPECT_EQ(tunestat, TVL_TUNE_ABORT);
    EXPECT_EQ(int_param(s.env, TVL_PARAM_NODESEL), 1);
    ASSERT_EQ(TVLsetterminate(s.env, nullptr), 0);
  }
  {
    struct Seen {
      int calls = 0;
      double last = -1.0;
      bool monotone = true;
    } seen;
    auto cb = [](TVLCENVptr env, void *cbdata, int wherefrom, void *handle) -> int {
      auto *w = static_cast<Seen *>(handle);
      double progress = -1.0;
      if (wherefrom != TVL_CALLBACK_TUNING ||
          TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_TUNING_PROGRESS, &progress) != 0)
        return 1;
      w->monotone = w->monotone && progress >= w->last && progress <= 1.0;
      w->last = progress;
      return ++w->calls >= 4;
    };
    tvltest::ApiSession s("afiro");
    ASSERT_EQ(s.read_netlib("afiro"), 0);
    ASSERT_EQ(TVLsettuningcallbackfunc(s.env, cb, &seen), 0);
    int tunestat = -1;
    ASSERT_EQ(tune(s, &tunestat), 0) << s.errors;
    EXPECT_EQ(tunestat, TVL_TUNE_ABORT);
    EXPECT_EQ(seen.calls, 4);
    EXPECT_TRUE(seen.monotone);
    EXPECT_GT(seen.last, 0.0);
    // The caller's callback is back in place.
    TVLcallbackfunc f = nullptr;
    ASSERT_EQ(TVLgettuningcallbackfunc(s.env, &f, nullptr), 0);
    EXPECT_NE(f, nullptr);
  }
}

// Bad arguments are refused before anything changes.
TEST(Tuneparam, BadArgumentsAreRefusedAndChangeNothing) {
  tvltest::ApiSession s("afiro");
  ASSERT_EQ(s.read_netlib("afiro"), 0);
  s.set(TVL_PARAM_NODESEL, 2);
  const int good[] = {TVL_PARAM_LPMETHOD}, one[] = {1};
  const int dnum[] = {TVL_PARAM_LPMETHOD};
  const double dval[] = {1.0};
  const int bigval[] = {99};
  int tunestat = 7;
  auto call = [&](int ic, const int *in, const int *iv, int dc, const int *dn, const double *dv, int sc,
                  const int *sn, char **sv) {
    return TVLtuneparam(s.env, s.lp, ic, in, iv, dc, dn, dv, sc, sn, sv, &tunestat);
  };
  EXPECT_EQ(call(-1, good, one, 0, nullptr, nullptr, 0, nullptr, nullptr), TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  EXPECT_EQ(call(0, nullptr, nullptr, -2, nullptr, nullptr, 0, nullptr, nullptr),
            TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  EXPECT_EQ(call(1, nullptr, one, 0, nullptr, nullptr, 0, nullptr, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  EXPECT_EQ(call(0, nullptr, nullptr, 0, nullptr, nullptr, 1, good, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  // A double parameter number in the integer group and the reverse.
  const int epgap[] = {TVL_PARAM_EPGAP};
  EXPECT_EQ(call(1, epgap, one, 0, nullptr, nullptr, 0, nullptr, nullptr),
            TVLERR_BAD_PARAMETER_NUMBER_TO_TAVLO_PARAMETER_ROUTINE);
  EXPECT_EQ(call(0, nullptr, nullptr, 1, dnum, dval, 0, nullptr, nullptr),
            TVLERR_BAD_PARAMETER_NUMBER_TO_TAVLO_PARAMETER_ROUTINE);
  const int nothing[] = {4242};
  EXPECT_EQ(call(1, nothing, one, 0, nullptr, nullptr, 0, nullptr, nullptr),
            TVLERR_BAD_PARAMETER_NUMBER_TO_TAVLO_PARAMETER_ROUTINE);
  EXPECT_EQ(call(1, good, bigval, 0, nullptr, nullptr, 0, nullptr, nullptr), TVLERR_PARAMETER_VALUE_TOO_BIG);
  EXPECT_EQ(tunestat, 7);
  EXPECT_EQ(int_param(s.env, TVL_PARAM_NODESEL), 2);
  EXPECT_EQ(TVLtuneparam(nullptr, s.lp, 0, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr, &tunestat),
            TVLERR_NO_ENVIRONMENT);
  EXPECT_EQ(TVLtuneparam(s.env, nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr, &tunestat),
            TVLERR_NO_PROBLEM_EXISTS);
}

// Every value the tuner tries is one the parameter accepts, differs from
// its default, and belongs to a parameter the library reads (the table
// marks the others NO_EFFECT): a knob without effect only spends budget.
TEST(Tuneparam, KnobsAreParametersWithEffectAndValidValues) {
  std::ifstream def(std::string(TAVLO_SOURCE_DIR) + "/src/frame/params.def");
  std::stringstream table;
  table << def.rdbuf();
  ASSERT_FALSE(table.str().empty());
  int st = 0;
  TVLENVptr env = TVLopenTAVLO(&st);
  ASSERT_NE(env, nullptr);
  for (bool mip : {false, true}) {
    for (const tvl::tuning::Knob &k : tvl::tuning::knobs_for(mip)) {
      char name[TVL_STR_PARAM_MAX] = {};
      ASSERT_EQ(TVLgetparamname(env, k.param, name), 0) << k.param;
      const std::string text = table.str();
      const size_t at = text.find("\"" + std::string(name) + "\"");
      ASSERT_NE(at, std::string::npos) << name;
      EXPECT_EQ(text.substr(at, text.find('\n', at) - at).find("NO_EFFECT"), std::string::npos) << name;
      int def_value = 0, lo = 0, hi = 0;
      ASSERT_EQ(TVLinfointparam(env, k.param, &def_value, &lo, &hi), 0) << name;
      for (int v : k.values) {
        EXPECT_NE(v, def_value) << name;
        EXPECT_TRUE(v >= lo && v <= hi) << name << " " << v;
      }
    }
  }
  TVLcloseTAVLO(&env);
}

}  // namespace
