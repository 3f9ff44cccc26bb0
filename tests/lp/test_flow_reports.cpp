// What a simplex run reports while it runs, on afiro: the display-2
// iteration lines (exactly one per iteration, in the documented format,
// with the model's own names for the entering and leaving variables), and
// the items the LP callback can ask for.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "simplex/dual_test_util.h"
#include "support/api_session.h"
#include "tavlo.h"

namespace {

using tvl::lp::testing::netlib_optimum;

struct Lp : tvltest::ApiSession {
  explicit Lp(const char *name) : ApiSession(name) { EXPECT_EQ(read_netlib(name), 0) << name; }
  std::set<std::string> names() {
    std::set<std::string> out;
    char buf[64];
    int surplus = 0;
    for (int j = 0; j < TVLgetnumcols(env, lp); ++j) {
      char *p = nullptr;
      EXPECT_EQ(TVLgetcolname(env, lp, &p, buf, sizeof buf, &surplus, j, j), 0);
      out.insert(p);
    }
    for (int i = 0; i < TVLgetnumrows(env, lp); ++i) {
      char *p = nullptr;
      EXPECT_EQ(TVLgetrowname(env, lp, &p, buf, sizeof buf, &surplus, i, i), 0);
      out.insert(std::string(p) + " sla");
    }
    return out;
  }
};

std::string trim(const std::string &s) {
  const size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}

// One display-2 line: "%6d", a three-character phase mark, the value as
// "%20.6f", then the entering and leaving names, each right-aligned in 22.
struct DetailLine {
  int iteration = 0;
  std::string mark, in, out;
  double value = 0.0;
};

bool parse_detail(const std::string &line, DetailLine &d) {
  if (line.size() != 75) return false;
  d.iteration = std::atoi(line.substr(0, 6).c_str());
  d.mark = line.substr(6, 3);
  d.value = std::atof(line.substr(9, 20).c_str());
  d.in = trim(line.substr(30, 22));
  d.out = trim(line.substr(53, 22));
  char again[128];
  std::snprintf(again, sizeof again, "%6d%s%20.6f %22s %22s", d.iteration, d.mark.c_str(), d.value, d.in.c_str(),
                d.out.c_str());
  return line == again;
}

TEST(FlowReports, DisplayTwoShowsEachIterationOnceWithTheModelsNames) {
  struct Case {
    const char *what;
    int method, preind;
    const char *header;
  } const cases[] = {
      {"dual", TVL_ALG_DUAL, 0, "Iteration      Dual Objective            In Variable           Out Variable"},
      {"dual, presolve", TVL_ALG_DUAL, 1, "Iteration      Dual Objective            In Variable           Out Variable"},
      {"primal", TVL_ALG_PRIMAL, 0, "Iteration           Objective            In Variable           Out Variable"},
      {"primal, presolve", TVL_ALG_PRIMAL, 1,
       "Iteration           Objective            In Variable           Out Variable"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    Lp r("afiro");
    r.set(TVL_PARAM_SIMDISPLAY, 2);
    r.set(TVL_PARAM_LPMETHOD, c.method);
    r.set(TVL_PARAM_PREIND, c.preind);
    ASSERT_EQ(TVLlpopt(r.env, r.lp), 0) << r.errors;
    const std::set<std::string> names = r.names();
    std::istringstream in(r.log);
    std::string line;
    int headers = 0, lines = 0, last = 0;
    double last_value = 0.0;
    bool after_header = false;
    while (std::getline(in, line)) {
      if (line == c.header) {
        ++headers;
        after_header = true;
        continue;
      }
      DetailLine d;
      if (!after_header || !parse_detail(line, d)) continue;
      ++lines;
      // Numbered from 1 in each run, one up from the line before.
      if (d.iteration != 1) {
        EXPECT_EQ(d.iteration, last + 1) << line;
      }
      last = d.iteration;
      last_value = d.value;
      EXPECT_TRUE(d.mark == "   " || d.mark == "  I" || d.mark == " sI") << line;
      EXPECT_TRUE(names.count(d.in)) << line;
      const bool flip = d.out == "goes to upper bound" || d.out == "goes to lower bound";
      EXPECT_TRUE(names.count(d.out) || flip) << line;
    }
    EXPECT_EQ(headers, 1) << r.log;
    EXPECT_EQ(lines, TVLgetitcnt(r.env, r.lp)) << r.log;
    // Without perturbation the last line shows the optimum; a perturbed
    // run shows the perturbed objective, and its removal may need no
    // further iteration.
    if (r.log.find("Perturbation started.") == std::string::npos) {
      EXPECT_NEAR(last_value, netlib_optimum("afiro"), 1e-4) << r.log;
    }
  }
}

// What the callback saw, one entry per call.
struct Seen {
  int wherefrom, status, itcount, pfeas, dfeas;
  long long itlong;
  double pobj, dobj, pinf, dinf, endtime;
  TVLCLPptr problem;
};

int record(TVLCENVptr env, void *cbdata, int wherefrom, void *handle) {
  Seen s{};
  s.wherefrom = wherefrom;
  int st = TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_PRIMAL_OBJ, &s.pobj);
  st |= TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_DUAL_OBJ, &s.dobj);
  st |= TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_PRIMAL_INFMEAS, &s.pinf);
  st |= TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_DUAL_INFMEAS, &s.dinf);
  st |= TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_PRIMAL_FEAS, &s.pfeas);
  st |= TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_DUAL_FEAS, &s.dfeas);
  st |= TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_ITCOUNT, &s.itcount);
  st |= TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_ITCOUNT_LONG, &s.itlong);
  st |= TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_ENDTIME, &s.endtime);
  st |= TVLgetcallbackinfo(env, cbdata, wherefrom, TVL_CALLBACK_INFO_USER_PROBLEM, &s.problem);
  s.status = st;
  static_cast<std::vector<Seen> *>(handle)->push_back(s);
  return 0;
}

TEST(FlowReports, CallbackAnswersEveryContinuousItemDuringTheRun) {
  for (const int method : {TVL_ALG_DUAL, TVL_ALG_PRIMAL}) {
    SCOPED_TRACE(method);
    Lp r("afiro");
    r.set(TVL_PARAM_LPMETHOD, method);
    ASSERT_EQ(TVLsetdblparam(r.env, TVL_PARAM_TILIM, 1000.0), 0);
    std::vector<Seen> seen;
    ASSERT_EQ(TVLsetlpcallbackfunc(r.env, record, &seen), 0);
    double before = 0.0;
    ASSERT_EQ(TVLgettime(r.env, &before), 0);
    ASSERT_EQ(TVLlpopt(r.env, r.lp), 0) << r.errors;
    ASSERT_FALSE(seen.empty());
    const int where = method == TVL_ALG_DUAL ? TVL_CALLBACK_DUAL : TVL_CALLBACK_PRIMAL;
    int last_it = 0;
    bool reached_feasible = false;
    for (const Seen &s : seen) {
      if (s.wherefrom == TVL_CALLBACK_PRESOLVE) continue;
      ASSERT_EQ(s.wherefrom, where);
      ASSERT_EQ(s.status, 0);
      EXPECT_EQ(s.problem, r.lp);
      EXPECT_EQ(s.itlong, s.itcount);
      EXPECT_GE(s.itcount, last_it);
      last_it = s.itcount;
      EXPECT_GE(s.endtime, before + 1000.0);
      EXPECT_LT(s.endtime, before + 1100.0);
      EXPECT_GE(s.pinf, 0.0);
      EXPECT_GE(s.dinf, 0.0);
      EXPECT_EQ(s.pfeas, s.pinf == 0.0 ? 1 : s.pfeas);
      EXPECT_EQ(s.dfeas, s.dinf == 0.0 ? 1 : s.dfeas);
      // The method keeps its own side feasible once it got there.
      const int own = method == TVL_ALG_DUAL ? s.dfeas : s.pfeas;
      if (reached_feasible) {
        EXPECT_EQ(own, 1);
      }
      reached_feasible = reached_feasible || own == 1;
    }
    EXPECT_TRUE(reached_feasible);
    // The last check comes after the last iteration, at the optimum.
    const Seen &end = seen.back();
    EXPECT_NEAR(end.pobj, netlib_optimum("afiro"), 1e-4);
    EXPECT_NEAR(end.dobj, netlib_optimum("afiro"), 1e-4);
    EXPECT_EQ(end.pfeas, 1);
    EXPECT_EQ(end.dfeas, 1);
    EXPECT_EQ(TVLgetitcnt(r.env, r.lp), last_it);
    // An item of the mixed-integer contexts is not provided; a nonzero
    // answer of the callback stops the run.
    int nodes = 0;
    ASSERT_EQ(TVLsetlpcallbackfunc(
                  r.env,
                  [](TVLCENVptr e, void *d, int w, void *h) {
                    int count = 0;
                    *static_cast<int *>(h) = TVLgetcallbackinfo(e, d, w, TVL_CALLBACK_INFO_NODE_COUNT, &count);
                    return 1;
                  },
                  &nodes),
              0);
    r.set(TVL_PARAM_PREIND, 0);
    ASSERT_EQ(TVLlpopt(r.env, r.lp), 0);
    EXPECT_EQ(nodes, TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
    EXPECT_EQ(TVLgetstat(r.env, r.lp), TVL_STAT_ABORT_USER);
  }
}

// The concurrent method calls the caller's callback on the caller's thread;
// the iterate it reports is the dual worker's, taken by that worker on
// request.  A termination function that sleeps slows the workers down so
// that the callback interval passes during the run.
TEST(FlowReports, ConcurrentCallbackSeesTheDualWorkersIterate) {
  Lp r("afiro");
  r.set(TVL_PARAM_LPMETHOD, TVL_ALG_CONCURRENT);
  r.set(TVL_PARAM_THREADS, 2);
  r.set(TVL_PARAM_PREIND, 0);
  ASSERT_EQ(TVLEsetterminatefunc(r.env,
                                 [](TVLCENVptr) {
                                   std::this_thread::sleep_for(std::chrono::milliseconds(10));
                                   return 0;
                                 }),
            0);
  std::vector<Seen> seen;
  ASSERT_EQ(TVLsetlpcallbackfunc(r.env, record, &seen), 0);
  ASSERT_EQ(TVLlpopt(r.env, r.lp), 0) << r.errors;
  ASSERT_FALSE(seen.empty());
  for (const Seen &s : seen) {
    EXPECT_EQ(s.wherefrom, TVL_CALLBACK_DUAL);
    EXPECT_EQ(s.status, 0);
    EXPECT_GE(s.pinf, 0.0);
    EXPECT_EQ(s.problem, r.lp);
  }
}

}  // namespace
