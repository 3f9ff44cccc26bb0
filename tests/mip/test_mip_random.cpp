// Small random integer programs against exhaustive enumeration: mixed
// row senses with equalities, negative coefficients and bounds below zero,
// solved under the default settings and with presolve, cuts, heuristics
// each switched off and with two search threads.  Every run must report
// the enumerated optimum, or infeasibility when no point exists.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "support/api_session.h"

namespace {

struct SmallMip {
  int n = 0, m = 0;
  std::vector<double> cost, lb, ub, rhs;
  std::vector<char> sense;
  std::vector<std::vector<double>> a;  // a[i][j]
};

// Rows are built around a random point of the box, so that most models
// are feasible; equality rows hold there exactly.
SmallMip random_mip(std::mt19937 &rng) {
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  SmallMip p;
  p.n = pick(3, 8);
  p.m = pick(2, 5);
  std::vector<double> x0(static_cast<size_t>(p.n));
  for (int j = 0; j < p.n; ++j) {
    const int lo = pick(-2, 0);
    p.lb.push_back(lo);
    p.ub.push_back(lo + pick(1, 4));
    p.cost.push_back(pick(-9, 9));
    x0[static_cast<size_t>(j)] = pick(lo, lo + static_cast<int>(p.ub.back() - lo));
  }
  for (int i = 0; i < p.m; ++i) {
    std::vector<double> row(static_cast<size_t>(p.n), 0.0);
    double act = 0.0;
    for (int j = 0; j < p.n; ++j) {
      if (pick(0, 9) < 6) row[static_cast<size_t>(j)] = pick(-6, 6);
      act += row[static_cast<size_t>(j)] * x0[static_cast<size_t>(j)];
    }
    const char s = "LLGGE"[pick(0, 4)];
    p.sense.push_back(s);
    // Tight or slightly violated at x0, so that some models are infeasible.
    p.rhs.push_back(s == 'E' ? act : s == 'L' ? act + pick(-2, 3) : act - pick(-2, 3));
    p.a.push_back(row);
  }
  return p;
}

// Minimum over every integer point of the box (1e300 when none).
double enumerate(const SmallMip &p) {
  std::vector<double> x(p.lb);
  double best = 1e300;
  for (;;) {
    bool ok = true;
    for (int i = 0; i < p.m && ok; ++i) {
      double act = 0.0;
      for (int j = 0; j < p.n; ++j) act += p.a[static_cast<size_t>(i)][static_cast<size_t>(j)] * x[static_cast<size_t>(j)];
      const double r = p.rhs[static_cast<size_t>(i)];
      const char s = p.sense[static_cast<size_t>(i)];
      ok = s == 'L' ? act <= r + 1e-9 : s == 'G' ? act >= r - 1e-9 : std::fabs(act - r) <= 1e-9;
    }
    if (ok) {
      double v = 0.0;
      for (int j = 0; j < p.n; ++j) v += p.cost[static_cast<size_t>(j)] * x[static_cast<size_t>(j)];
      best = std::min(best, v);
    }
    int j = 0;
    while (j < p.n && x[static_cast<size_t>(j)] >= p.ub[static_cast<size_t>(j)]) {
      x[static_cast<size_t>(j)] = p.lb[static_cast<size_t>(j)];
      ++j;
    }
    if (j == p.n) return best;
    x[static_cast<size_t>(j)] += 1.0;
  }
}

void load(tvltest::ApiSession &s, const SmallMip &p) {
  std::vector<int> beg, cnt, ind;
  std::vector<double> val;
  for (int j = 0; j < p.n; ++j) {
    beg.push_back(static_cast<int>(ind.size()));
    for (int i = 0; i < p.m; ++i) {
      const double v = p.a[static_cast<size_t>(i)][static_cast<size_t>(j)];
      if (v == 0.0) continue;
      ind.push_back(i);
      val.push_back(v);
    }
    cnt.push_back(static_cast<int>(ind.size()) - beg.back());
  }
  ind.push_back(0);  // keeps data() valid for an empty matrix
  val.push_back(0.0);
  ASSERT_EQ(TVLcopylp(s.env, s.lp, p.n, p.m, TVL_MIN, p.cost.data(), p.rhs.data(), p.sense.data(), beg.data(),
                      cnt.data(), ind.data(), val.data(), p.lb.data(), p.ub.data(), nullptr),
            0)
      << s.errors;
  const std::vector<char> ctype(static_cast<size_t>(p.n), 'I');
  ASSERT_EQ(TVLcopyctype(s.env, s.lp, ctype.data()), 0);
}

TEST(MipRandom, SmallIntegerProgramsMatchEnumerationUnderEverySetting) {
  struct Setting {
    const char *name;
    int param, value;
  };
  const Setting settings[] = {{"default", TVL_PARAM_MIPDISPLAY, 0},
                              {"no presolve", TVL_PARAM_PREIND, 0},
                              {"no cuts", TVL_PARAM_CUTPASS, -1},
                              {"no heuristics", TVL_PARAM_HEURFREQ, -1},
                              {"two threads", TVL_PARAM_THREADS, 2}};
  std::mt19937 rng(20261208);
  int feasible = 0, infeasible = 0;
  for (int trial = 0; trial < 300; ++trial) {
    const SmallMip p = random_mip(rng);
    const double best = enumerate(p);
    (best < 1e299 ? feasible : infeasible) += 1;
    for (const Setting &set : settings) {
      tvltest::ApiSession s("random");
      load(s, p);
      TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
      TVLsetintparam(s.env, TVL_PARAM_THREADS, 1);
      TVLsetintparam(s.env, set.param, set.value);
      ASSERT_EQ(TVLmipopt(s.env, s.lp), 0) << s.errors;
      const int stat = TVLgetstat(s.env, s.lp);
      const std::string what = "trial " + std::to_string(trial) + ", " + set.name;
      if (best >= 1e299) {
        EXPECT_TRUE(stat == TVLMIP_INFEASIBLE || stat == TVLMIP_INForUNBD) << what << ": status " << stat;
        continue;
      }
      ASSERT_TRUE(stat == TVLMIP_OPTIMAL || stat == TVLMIP_OPTIMAL_TOL) << what << ": status " << stat;
      double obj = 0.0;
      ASSERT_EQ(TVLgetobjval(s.env, s.lp, &obj), 0);
      EXPECT_NEAR(obj, best, 1e-6) << what;
    }
  }
  // The generator makes both kinds.
  EXPECT_GT(feasible, 100);
  EXPECT_GT(infeasible, 15);
}

}  // namespace
