// The whole simplex flow on Netlib instances: presolve, reduced solve,
// postsolve and cleanup under the main configurations; infeasible and
// unbounded variants with and without presolve for both simplex methods;
// determinism and the flow's messages; warm starts after a bound change.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "simplex/dual_test_util.h"
#include "tavlo.h"
#include "support/api_session.h"
#include "support/log_text.h"

namespace {

using tvl::lp::testing::netlib_optimum;

struct Lp : tvltest::ApiSession {
  Lp() : ApiSession("flow") {}
  explicit Lp(const std::string &name) : Lp() { EXPECT_EQ(read_netlib(name), 0) << name; }
  double objective() {
    double obj = NAN;
    EXPECT_EQ(TVLgetobjval(env, lp, &obj), 0);
    return obj;
  }
  double measure(int what) {
    double q = 1e75;
    EXPECT_EQ(TVLgetdblquality(env, lp, &q, what), 0);
    return q;
  }
  int cols() { return TVLgetnumcols(env, lp); }
};


// The log without lines that carry timings.
using tvltest::untimed;

const char *const kSubset[] = {"afiro", "sc50a", "kb2", "blend", "adlittle", "share2b", "sc105", "stocfor1",
                               "scagr7", "israel", "boeing1", "sc205"};

struct Config {
  const char *what;
  int param, value;
};

TEST(LpOptFlow, SubsetOptimalUnderEachConfiguration) {
  const Config configs[] = {{"defaults", TVL_PARAM_SIMDISPLAY, 1},
                            {"no presolve", TVL_PARAM_PREIND, 0},
                            {"primal", TVL_PARAM_LPMETHOD, 1},
                            {"dual", TVL_PARAM_LPMETHOD, 2}};
  for (const Config &c : configs) {
    for (const char *name : kSubset) {
      SCOPED_TRACE(std::string(c.what) + " " + name);
      Lp r(name);
      r.set(c.param, c.value);
      ASSERT_EQ(TVLlpopt(r.env, r.lp), 0) << r.errors;
      ASSERT_EQ(TVLgetstat(r.env, r.lp), TVL_STAT_OPTIMAL);
      const double ref = netlib_optimum(name);
      EXPECT_LE(std::fabs(r.objective() - ref), 1e-6 * std::max(1.0, std::fabs(ref)));
      EXPECT_LT(r.measure(TVL_MAX_PRIMAL_INFEAS), 1e-6);
      EXPECT_LT(r.measure(TVL_MAX_DUAL_INFEAS), 1e-6);
      EXPECT_LT(r.measure(TVL_MAX_DUAL_RESIDUAL), 1e-6);
      const int method = TVLgetmethod(r.env, r.lp);
      if (c.param == TVL_PARAM_LPMETHOD) EXPECT_EQ(method, c.value);
      else EXPECT_TRUE(method == TVL_ALG_PRIMAL || method == TVL_ALG_DUAL);  // concurrent winner
      const bool presolved = c.param != TVL_PARAM_PREIND;
      EXPECT_EQ(r.log.find("Presolve time = ") != std::string::npos, presolved);
      if (presolved) {
        EXPECT_TRUE(r.log.find("LP Presolve eliminated") != std::string::npos ||
                    r.log.find("No LP presolve or aggregator reductions.") != std::string::npos);
      }
      EXPECT_TRUE(r.errors.empty()) << r.errors;
    }
  }
}

// Outcome of a variant: the solution status after a completed call, or
// the presolve status that ended the call.
int outcome(Lp &r, bool primal) {
  const int st = primal ? TVLprimopt(r.env, r.lp) : TVLdualopt(r.env, r.lp);
  return st != 0 ? st : TVLgetstat(r.env, r.lp);
}

TEST(LpOptFlow, InfeasibleAndUnboundedVariantsWithAndWithoutPresolve) {
  for (int presolve : {1, 0}) {
    for (bool primal : {false, true}) {
      SCOPED_TRACE(std::string(primal ? "primal" : "dual") + (presolve ? " presolve" : " no presolve"));
      // The objective as a constraint beyond the optimum: infeasible.
      for (const char *name : {"afiro", "sc105"}) {
        Lp r(name);
        r.set(TVL_PARAM_PREIND, presolve);
        r.set(TVL_PARAM_ADVIND, 0);
        ASSERT_EQ(TVLlpopt(r.env, r.lp), 0);
        const int n = r.cols();
        std::vector<double> c(static_cast<size_t>(n));
        std::vector<int> ind;
        std::vector<double> val;
        ASSERT_EQ(TVLgetobj(r.env, r.lp, c.data(), 0, n - 1), 0);
        for (int j = 0; j < n; ++j)
          if (c[static_cast<size_t>(j)] != 0.0) {
            ind.push_back(j);
            val.push_back(c[static_cast<size_t>(j)]);
          }
        const double rhs = netlib_optimum(name) - 1e-2 * std::max(1.0, std::fabs(netlib_optimum(name)));
        const char sense = 'L';
        const int beg = 0;
        ASSERT_EQ(TVLaddrows(r.env, r.lp, 0, 1, static_cast<int>(ind.size()), &rhs, &sense, &beg, ind.data(),
                             val.data(), nullptr, nullptr), 0);
        const int st = outcome(r, primal);
        EXPECT_TRUE(st == TVL_STAT_INFEASIBLE || st == TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE ||
                    st == TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE_OR_UNBOUNDED) << name << " " << st;
        if (st == TVL_STAT_INFEASIBLE && !primal) {
          double proof = 0.0;
          EXPECT_EQ(TVLdualfarkas(r.env, r.lp, nullptr, &proof), 0);
          EXPECT_GT(proof, 0.0);
        }
      }
      // Flipped objective sense: maximising these is unbounded.
      for (const char *name : {"adlittle", "stocfor1"}) {
        Lp r(name);
        r.set(TVL_PARAM_PREIND, presolve);
        ASSERT_EQ(TVLchgobjsen(r.env, r.lp, TVL_MAX), 0);
        const int st = outcome(r, primal);
        EXPECT_TRUE(st == TVL_STAT_UNBOUNDED || st == TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_UNBOUNDED ||
                    st == TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE_OR_UNBOUNDED) << name << " " << st;
      }
    }
  }
}

TEST(LpOptFlow, DeterministicRunsAndMessages) {
  std::string first;
  int first_its = -1;
  for (int run = 0; run < 2; ++run) {
    Lp r("share2b");
    r.set(TVL_PARAM_THREADS, 1);  // the concurrent race is not repeatable
    ASSERT_EQ(TVLlpopt(r.env, r.lp), 0);
    const std::string log = untimed(r.log);
    if (run == 0) {
      first = log;
      first_its = TVLgetitcnt(r.env, r.lp);
      EXPECT_NE(r.log.find("Presolve time = "), std::string::npos);
      EXPECT_NE(r.log.find("Reduced LP has "), std::string::npos);
    } else {
      EXPECT_EQ(TVLgetitcnt(r.env, r.lp), first_its);
      EXPECT_EQ(log, first);
    }
  }
  // Display off: neither the flow nor presolve says anything, and a
  // presolve outcome is not reported as an error.
  Lp quiet("share2b");
  quiet.set(TVL_PARAM_SIMDISPLAY, 0);
  ASSERT_EQ(TVLlpopt(quiet.env, quiet.lp), 0);
  EXPECT_TRUE(quiet.log.empty()) << quiet.log;
  // An empty greater-equal row with rhs 1: presolve proves infeasibility.
  for (int display : {1, 0}) {
    Lp r;
    const double obj[] = {1.0}, rhs[] = {1.0, 0.0};
    const char sense[] = {'G', 'G'};
    const int beg[] = {0}, cnt[] = {1}, ind[] = {1};
    const double val[] = {1.0}, lb[] = {0.0}, ub[] = {10.0};
    ASSERT_EQ(TVLcopylp(r.env, r.lp, 1, 2, TVL_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr), 0);
    r.set(TVL_PARAM_SIMDISPLAY, display);
    EXPECT_EQ(TVLdualopt(r.env, r.lp), TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE_OR_UNBOUNDED);
    EXPECT_EQ(r.log.find("Infeasibility row 'c1':  0 >= 1.") != std::string::npos, display == 1) << r.log;
    EXPECT_EQ(r.errors.empty(), display == 0) << r.errors;
    // The verdict is the stored status too, whichever method ran.
    EXPECT_EQ(TVLgetstat(r.env, r.lp), TVL_STAT_INForUNBD);
    r.set(TVL_PARAM_LPMETHOD, TVL_ALG_CONCURRENT);
    EXPECT_EQ(TVLlpopt(r.env, r.lp), TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE_OR_UNBOUNDED);
    EXPECT_EQ(TVLgetstat(r.env, r.lp), TVL_STAT_INForUNBD);
  }
}

TEST(LpOptFlow, FullyReducedLpNeedsNoIteration) {
  // min x + 2y  s.t.  x >= 1, y >= 2 (singleton rows), 0 <= x, y <= 5.
  Lp r;
  const double obj[] = {1.0, 2.0}, rhs[] = {1.0, 2.0}, lb[] = {0.0, 0.0}, ub[] = {5.0, 5.0};
  const char sense[] = {'G', 'G'};
  const int beg[] = {0, 1}, cnt[] = {1, 1}, ind[] = {0, 1};
  const double val[] = {1.0, 1.0};
  ASSERT_EQ(TVLcopylp(r.env, r.lp, 2, 2, TVL_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr), 0);
  for (bool primal : {false, true}) {
    ASSERT_EQ(primal ? TVLprimopt(r.env, r.lp) : TVLdualopt(r.env, r.lp), 0);
    EXPECT_EQ(TVLgetstat(r.env, r.lp), TVL_STAT_OPTIMAL);
    EXPECT_DOUBLE_EQ(r.objective(), 5.0);
    EXPECT_EQ(TVLgetitcnt(r.env, r.lp), 0);
    r.set(TVL_PARAM_ADVIND, 0);  // the stored reduced copy serves the second call
  }
  EXPECT_NE(r.log.find("All rows and columns eliminated."), std::string::npos) << r.log;
  EXPECT_EQ(r.log.find("Iteration log"), std::string::npos) << r.log;
  double pi[2] = {0.0, 0.0};
  ASSERT_EQ(TVLgetpi(r.env, r.lp, pi, 0, 1), 0);
  EXPECT_DOUBLE_EQ(pi[0], 1.0);
  EXPECT_DOUBLE_EQ(pi[1], 2.0);
}

// Cold solve, then one bound of a basic column moved into its range; the
// re-solve starts from the stored basis.  Returns {cold, warm} iterations.
std::pair<int, int> warm_after_bound_change(const std::string &name) {
  Lp r(name);
  r.set(TVL_PARAM_SIMDISPLAY, 0);
  r.set(TVL_PARAM_THREADS, 1);  // repeatable counts: no concurrent race
  EXPECT_EQ(TVLlpopt(r.env, r.lp), 0);
  const int cold = TVLgetitcnt(r.env, r.lp);
  const int n = r.cols();
  std::vector<double> x(static_cast<size_t>(n)), lb(static_cast<size_t>(n));
  std::vector<int> cstat(static_cast<size_t>(n));
  EXPECT_EQ(TVLgetx(r.env, r.lp, x.data(), 0, n - 1), 0);
  EXPECT_EQ(TVLgetlb(r.env, r.lp, lb.data(), 0, n - 1), 0);
  EXPECT_EQ(TVLgetbase(r.env, r.lp, cstat.data(), nullptr), 0);
  // The basic column farthest from its lower bound gets an upper bound 1%
  // of that distance below its value (a branching-like cut of the vertex).
  int pick = -1;
  for (int j = 0; j < n; ++j) {
    const size_t k = static_cast<size_t>(j);
    if (cstat[k] == TVL_BASIC && lb[k] > -1e20 &&
        (pick < 0 || x[k] - lb[k] > x[static_cast<size_t>(pick)] - lb[static_cast<size_t>(pick)]))
      pick = j;
  }
  EXPECT_GE(pick, 0);
  const size_t p = static_cast<size_t>(pick);
  const double ub = lb[p] + 0.99 * (x[p] - lb[p]);
  const char which = 'U';
  EXPECT_EQ(TVLchgbds(r.env, r.lp, 1, &pick, &which, &ub), 0);
  EXPECT_EQ(TVLlpopt(r.env, r.lp), 0);
  EXPECT_EQ(TVLgetstat(r.env, r.lp), TVL_STAT_OPTIMAL);
  return {cold, TVLgetitcnt(r.env, r.lp)};
}

TEST(LpOptFlow, WarmStartAfterBoundChange) {
  for (const char *name : {"afiro", "sc205", "share1b", "adlittle", "scfxm1", "ship04l"}) {
    const auto [cold, warm] = warm_after_bound_change(name);
    RecordProperty(name, std::to_string(warm) + "/" + std::to_string(cold));
    std::printf("warm %s %d %d\n", name, warm, cold);
    EXPECT_LE(warm * 100, 5 * cold + 300) << name << ": " << warm << " of " << cold;
  }
}

}  // namespace
