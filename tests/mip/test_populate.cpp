// TVLpopulate: on a small integer program whose feasible points can be
// listed, the pool ends up holding exactly those points (all of them, or
// all within the pool gap); on a bundled MIPLIB instance with many optimal
// solutions the populate limit ends the call with that many new, distinct,
// feasible solutions; the phases, the capacity-0 warning and the kind check.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "support/api_session.h"
#include "support/knapsack.h"
#include "support/mip_check.h"

namespace {

using tvltest::ApiSession;
using tvltest::load_knapsack;

struct Session : ApiSession {
  std::string warnings, results;
  explicit Session(const char *name) : ApiSession(name) {
    TVLCHANNELptr w = nullptr, r = nullptr;
    TVLgetchannels(env, &r, &w, nullptr, nullptr);
    TVLaddfuncdest(env, w, &warnings, tvltest::collect_text);
    TVLaddfuncdest(env, r, &results, tvltest::collect_text);
    TVLsetintparam(env, TVL_PARAM_THREADS, 1);
  }
  std::set<std::vector<double>> pool() {
    std::set<std::vector<double>> all;
    const int n = TVLgetnumcols(env, lp);
    for (int k = 0; k < TVLgetsolnpoolnumsolns(env, lp); ++k) {
      std::vector<double> x(static_cast<size_t>(n));
      EXPECT_EQ(TVLgetsolnpoolx(env, lp, k, x.data(), 0, n - 1), 0);
      all.insert(x);
    }
    return all;
  }
};

// The feasible points of the knapsack with objective at least `floor`.
std::set<std::vector<double>> knapsack_points(double floor) {
  std::set<std::vector<double>> pts;
  for (int a = 0; a <= 10; ++a)
    for (int b = 0; b <= 10; ++b)
      for (int c = 0; c <= 10; ++c)
        if (2 * a + 3 * b + c <= 5 && 4 * a + b + 2 * c <= 11 && 3 * a + 4 * b + 2 * c <= 8 && 3 * a + 2 * c <= 7 &&
            5 * a + 4 * b + 3 * c >= floor)
          pts.insert({double(a), double(b), double(c)});
  return pts;
}

TEST(Populate, EnumeratesEveryFeasiblePointOrEveryOneWithinThePoolGap) {
  // Unlimited: every one of the 12 feasible points, and 129.
  Session s("knapsack");
  load_knapsack(s);
  TVLsetintparam(s.env, TVL_PARAM_POPULATELIM, 1000);
  ASSERT_EQ(TVLpopulate(s.env, s.lp), 0) << s.errors;
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_OPTIMAL_POPULATED);
  EXPECT_EQ(s.pool(), knapsack_points(-1.0));
  EXPECT_NE(s.results.find("\nPopulate: phase I \n"), std::string::npos);
  EXPECT_NE(s.results.find("\nPopulate: phase II \n"), std::string::npos);
  double obj = 0.0;
  ASSERT_EQ(TVLgetobjval(s.env, s.lp, &obj), 0);
  EXPECT_EQ(obj, 11.0);
  // The parameters populate changed for phase II are back.
  double bttol = 0.0;
  int lim = 0;
  TVLgetdblparam(s.env, TVL_PARAM_BTTOL, &bttol);
  TVLgetintparam(s.env, TVL_PARAM_POPULATELIM, &lim);
  EXPECT_EQ(bttol, 0.9999);
  EXPECT_EQ(lim, 1000);

  // Absolute pool gap 2 on a fresh problem: every point of objective 9 or
  // more is found, the search ends with 130, and a point below that is
  // only kept if phase I met it as an incumbent on the way.
  Session g("knapsack");
  load_knapsack(g);
  TVLsetintparam(g.env, TVL_PARAM_POPULATELIM, 1000);
  TVLsetdblparam(g.env, TVL_PARAM_SOLNPOOLAGAP, 2.0);
  ASSERT_EQ(TVLpopulate(g.env, g.lp), 0) << g.errors;
  EXPECT_EQ(TVLgetstat(g.env, g.lp), TVLMIP_OPTIMAL_POPULATED_TOL);
  const std::set<std::vector<double>> got = g.pool(), near = knapsack_points(9.0);
  for (const std::vector<double> &p : near) EXPECT_TRUE(got.count(p)) << p[0] << p[1] << p[2];

  // Two search threads meet the same points (the workers' solutions reach
  // the pool when their rounds are merged).
  Session two("knapsack");
  load_knapsack(two);
  if (TVLsetintparam(two.env, TVL_PARAM_THREADS, 2) != 0) GTEST_SKIP() << "one core";
  TVLsetintparam(two.env, TVL_PARAM_POPULATELIM, 1000);
  ASSERT_EQ(TVLpopulate(two.env, two.lp), 0) << two.errors;
  EXPECT_EQ(TVLgetstat(two.env, two.lp), TVLMIP_OPTIMAL_POPULATED);
  EXPECT_EQ(two.pool(), knapsack_points(-1.0));

  // A second populate (status 129 is neither a verdict that ends populate
  // nor one that skips phase I) searches again and finds nothing new.
  const int before = TVLgetsolnpoolnumsolns(s.env, s.lp);
  ASSERT_EQ(TVLpopulate(s.env, s.lp), 0);
  EXPECT_EQ(TVLgetsolnpoolnumsolns(s.env, s.lp), before);
}

TEST(Populate, LimitEndsTheCallWithDistinctFeasibleSolutionsOfARealInstance) {
  // stein27 has many optimal solutions (objective 18).
  const std::string file = tvltest::instance_path("miplib", "stein27");
  Session s("stein27");
  ASSERT_EQ(TVLreadcopyprob(s.env, s.lp, file.c_str(), nullptr), 0);
  TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  ASSERT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_OPTIMAL);
  const int after_opt = TVLgetsolnpoolnumsolns(s.env, s.lp);
  // Optimal already: populate goes straight to phase II; the absolute gap
  // 0 keeps it to optimal solutions; 10 new ones end it with 128.
  TVLsetintparam(s.env, TVL_PARAM_POPULATELIM, 10);
  TVLsetdblparam(s.env, TVL_PARAM_SOLNPOOLAGAP, 0.0);
  ASSERT_EQ(TVLpopulate(s.env, s.lp), 0) << s.errors;
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_POPULATESOL_LIM);
  const int count = TVLgetsolnpoolnumsolns(s.env, s.lp);
  EXPECT_EQ(count, after_opt + 10);
  EXPECT_EQ(s.pool().size(), static_cast<size_t>(count));
  int optimal = 0;
  for (int k = 0; k < count; ++k) {
    std::vector<double> x(27);
    ASSERT_EQ(TVLgetsolnpoolx(s.env, s.lp, k, x.data(), 0, 26), 0);
    EXPECT_LE(tvltest::mip_violation(file, x), 1e-6);
    double v = 0.0;
    ASSERT_EQ(TVLgetsolnpoolobjval(s.env, s.lp, k, &v), 0);
    optimal += v == 18.0;
  }
  EXPECT_GE(optimal, 10);
  double obj = 0.0;
  ASSERT_EQ(TVLgetobjval(s.env, s.lp, &obj), 0);
  EXPECT_EQ(obj, 18.0);
  // The optimality proved before populate still stands: phase II's new
  // tree, stopped by the limit, does not weaken the bound.
  double bound = 0.0, gap = 1.0;
  ASSERT_EQ(TVLgetbestobjval(s.env, s.lp, &bound), 0);
  ASSERT_EQ(TVLgetmiprelgap(s.env, s.lp, &gap), 0);
  EXPECT_EQ(bound, 18.0);
  EXPECT_EQ(gap, 0.0);
}

TEST(Populate, CapacityZeroAndNonMipProblems) {
  Session s("knapsack");
  load_knapsack(s);
  TVLsetintparam(s.env, TVL_PARAM_SOLNPOOLCAPACITY, 0);
  EXPECT_EQ(TVLpopulate(s.env, s.lp), 0);
  EXPECT_EQ(s.warnings, "Warning: the solution pool needs a positive capacity in order to be populated.\n");
  EXPECT_EQ(TVLgetnodecnt(s.env, s.lp), 0);  // nothing was optimized
  Session l("lp");
  ASSERT_EQ(l.load_small(), 0);
  EXPECT_EQ(TVLpopulate(l.env, l.lp), TVLERR_NOT_A_MIXED_INTEGER_PROBLEM);
}

}  // namespace
