// The solution pool and MIP starts inside real MIP solves of the bundled
// MIPLIB instances: every pool member is a feasible solution of the model
// read again from its file and carries its own objective; the capacity and
// the replacement policy hold; an optimal start lets the search cut off at
// once; partial and infeasible starts are completed or repaired; solution
// and MIP-start files written after a solve come back as starts.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/api_session.h"
#include "support/bench_dir.h"
#include "support/mip_check.h"

namespace {

using tvltest::ApiSession;

std::string miplib(const std::string &name) { return tvltest::instance_path("miplib", name); }

std::string temp_path(const std::string &name) {
  return std::string(TAVLO_BINARY_DIR) + "/mippool_" + std::to_string(::getpid()) + "_" + name;
}

struct Mip : ApiSession {
  std::string results;  // the results channel: node log and start lines
  explicit Mip(const std::string &name) : ApiSession(name.c_str()) {
    TVLCHANNELptr res = nullptr;
    TVLgetchannels(env, &res, nullptr, nullptr, nullptr);
    TVLaddfuncdest(env, res, &results, tvltest::collect_text);
    EXPECT_EQ(TVLreadcopyprob(env, lp, miplib(name).c_str(), nullptr), 0);
    TVLsetintparam(env, TVL_PARAM_THREADS, 1);
    TVLsetdblparam(env, TVL_PARAM_TILIM, 120.0);
    // Solutions come from starts and node LPs only, so that what a start
    // changes in the search shows.
    TVLsetintparam(env, TVL_PARAM_HEURFREQ, -1);
    TVLsetintparam(env, TVL_PARAM_FPHEUR, -1);
    TVLsetintparam(env, TVL_PARAM_RINSHEUR, -1);
  }
  int n() { return TVLgetnumcols(env, lp); }
  std::vector<double> x() {
    std::vector<double> v(static_cast<size_t>(n()));
    EXPECT_EQ(TVLgetx(env, lp, v.data(), 0, n() - 1), 0);
    return v;
  }
  double objval() {
    double v = NAN;
    EXPECT_EQ(TVLgetobjval(env, lp, &v), 0);
    return v;
  }
  std::vector<double> pool_x(int k) {
    std::vector<double> v(static_cast<size_t>(n()));
    EXPECT_EQ(TVLgetsolnpoolx(env, lp, k, v.data(), 0, n() - 1), 0);
    return v;
  }
  double objective_of(const std::vector<double> &x) {
    std::vector<double> c(x.size());
    TVLgetobj(env, lp, c.data(), 0, n() - 1);
    double v = 0.0;
    for (size_t j = 0; j < x.size(); ++j) v += c[j] * x[j];
    return v;
  }
  // Adds x as one MIP start over the columns `cols` (all when empty).
  void add_start(const std::vector<double> &x, int effort, std::vector<int> cols = {}) {
    if (cols.empty())
      for (int j = 0; j < n(); ++j) cols.push_back(j);
    std::vector<double> v;
    for (int j : cols) v.push_back(x[static_cast<size_t>(j)]);
    const int beg = 0;
    ASSERT_EQ(TVLaddmipstarts(env, lp, 1, static_cast<int>(cols.size()), &beg, cols.data(), v.data(), &effort,
                              nullptr),
              0);
  }
};

// Each pool member: feasible on the re-read model, its objective the
// objective of its values, and no two members equal.
void expect_pool_sound(Mip &s, const std::string &name) {
  const int count = TVLgetsolnpoolnumsolns(s.env, s.lp);
  std::set<std::vector<double>> seen;
  for (int k = 0; k < count; ++k) {
    SCOPED_TRACE(k);
    const std::vector<double> x = s.pool_x(k);
    const double viol = tvltest::mip_violation(miplib(name), x);
    EXPECT_GE(viol, 0.0);
    EXPECT_LE(viol, 1e-6);
    double obj = NAN;
    ASSERT_EQ(TVLgetsolnpoolobjval(s.env, s.lp, k, &obj), 0);
    EXPECT_NEAR(obj, s.objective_of(x), 1e-6 * std::max(1.0, std::fabs(obj)));
    EXPECT_TRUE(seen.insert(x).second) << "duplicate pool member";
  }
}

double pool_best(Mip &s) {
  double best = 1e300;
  for (int k = 0; k < TVLgetsolnpoolnumsolns(s.env, s.lp); ++k) {
    double v = 0.0;
    TVLgetsolnpoolobjval(s.env, s.lp, k, &v);
    best = std::min(best, v);
  }
  return best;
}

TEST(MipPool, FillsDuringRealSolvesUnderEachPolicy) {
  for (const char *name : {"p0033", "stein27", "lseu"}) {
    SCOPED_TRACE(name);
    Mip s(name);
    TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
    ASSERT_EQ(TVLmipopt(s.env, s.lp), 0) << s.errors;
    ASSERT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_OPTIMAL);
    ASSERT_GE(TVLgetsolnpoolnumsolns(s.env, s.lp), 1);
    expect_pool_sound(s, name);
    // The incumbent is always offered, and nothing in the pool beats it.
    EXPECT_NEAR(pool_best(s), s.objval(), 1e-9 * std::max(1.0, std::fabs(s.objval())));
    // Solution -1 is the incumbent.
    EXPECT_EQ(s.pool_x(-1), s.x());
  }
  // A small pool under each policy: never above capacity, the incumbent
  // kept (position 0 is protected and the incumbent improves on it), and
  // every solution the pool turned away or lost counted as replaced.
  for (int policy : {0, 1, 2}) {
    SCOPED_TRACE(policy);
    Mip s("stein27");
    TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
    TVLsetintparam(s.env, TVL_PARAM_SOLNPOOLCAPACITY, 2);
    TVLsetintparam(s.env, TVL_PARAM_SOLNPOOLREPLACE, policy);
    ASSERT_EQ(TVLmipopt(s.env, s.lp), 0) << s.errors;
    ASSERT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_OPTIMAL);
    EXPECT_LE(TVLgetsolnpoolnumsolns(s.env, s.lp), 2);
    expect_pool_sound(s, "stein27");
    EXPECT_NEAR(pool_best(s), s.objval(), 1e-9);
  }
}

TEST(MipPool, GapFilterCapacityZeroAndDataChanges) {
  // Absolute pool gap 0: a solution is kept only while no better one was
  // offered before it, so the pool's objectives fall in the order stored.
  Mip s("p0033");
  TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
  TVLsetdblparam(s.env, TVL_PARAM_SOLNPOOLAGAP, 0.0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  const int count = TVLgetsolnpoolnumsolns(s.env, s.lp);
  ASSERT_GE(count, 1);
  double prev = 1e300;
  for (int k = 0; k < count; ++k) {
    double v = 0.0;
    ASSERT_EQ(TVLgetsolnpoolobjval(s.env, s.lp, k, &v), 0);
    EXPECT_LE(v, prev + 1e-9);
    prev = v;
  }
  // A bound change empties the pool until the next optimization.
  const int col = 0;
  const char lu = 'U';
  const double one = 1.0;
  ASSERT_EQ(TVLchgbds(s.env, s.lp, 1, &col, &lu, &one), 0);
  EXPECT_EQ(TVLgetsolnpoolnumsolns(s.env, s.lp), 0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  EXPECT_GE(TVLgetsolnpoolnumsolns(s.env, s.lp), 1);

  // Capacity 0: no pool, the search is unchanged.
  Mip z("p0033");
  TVLsetintparam(z.env, TVL_PARAM_MIPDISPLAY, 0);
  TVLsetintparam(z.env, TVL_PARAM_SOLNPOOLCAPACITY, 0);
  ASSERT_EQ(TVLmipopt(z.env, z.lp), 0);
  EXPECT_EQ(TVLgetstat(z.env, z.lp), TVLMIP_OPTIMAL);
  EXPECT_EQ(TVLgetsolnpoolnumsolns(z.env, z.lp), 0);
  EXPECT_EQ(TVLgetsolnpoolnumreplaced(z.env, z.lp), 0);
}

// The optimal solution of an instance, from a plain solve.
std::vector<double> optimum(const std::string &name, double *obj, int *nodes) {
  Mip s(name);
  TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
  EXPECT_EQ(TVLmipopt(s.env, s.lp), 0);
  const int stat = TVLgetstat(s.env, s.lp);
  EXPECT_TRUE(stat == TVLMIP_OPTIMAL || stat == TVLMIP_OPTIMAL_TOL) << stat;
  *obj = s.objval();
  *nodes = TVLgetnodecnt(s.env, s.lp);
  return s.x();
}

TEST(MipStarts, OptimalStartCutsTheSearchShort) {
  double best = 0.0;
  int plain_nodes = 0;
  const std::vector<double> opt = optimum("p0033", &best, &plain_nodes);
  for (int effort : {TVL_MIPSTART_CHECKFEAS, TVL_MIPSTART_SOLVEFIXED, TVL_MIPSTART_AUTO, TVL_MIPSTART_NOCHECK}) {
    SCOPED_TRACE(effort);
    Mip s("p0033");
    s.add_start(opt, effort);
    ASSERT_EQ(TVLmipopt(s.env, s.lp), 0) << s.errors;
    EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_OPTIMAL);
    EXPECT_NEAR(s.objval(), best, 1e-6);
    // The incumbent came from the start, before the root, with the mark of a
    // solution found outside the tree, and no node improved on it.
    EXPECT_EQ(TVLgetnodeint(s.env, s.lp), 0);
    EXPECT_NE(s.results.find("MIP start 'm1' gave a solution of objective"), std::string::npos) << s.results;
    EXPECT_NE(s.results.find("*     0+"), std::string::npos) << s.results;
    // The tree is not compared with the plain run's: a cutoff known from
    // the start changes which nodes are taken first, and p0033 then takes
    // 15 nodes against 12 without it (the plain run finds the optimum at
    // node 13 and prunes the rest at once).
    // The start is used once: a second run has no pending start.
    s.results.clear();
    ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
    EXPECT_EQ(s.results.find("MIP start"), std::string::npos);
    EXPECT_EQ(TVLgetnummipstarts(s.env, s.lp), 1);
  }
}

TEST(MipStarts, PartialStartsCompletedAndInfeasibleOnesRepaired) {
  double best = 0.0;
  int nodes = 0;
  const std::vector<double> opt = optimum("p0033", &best, &nodes);
  const int n = static_cast<int>(opt.size());
  // Half the columns given: level 3 (and automatic) completes the start by
  // a search with those columns fixed; the completion is feasible and at
  // least as good as what the fixed half allows, here the optimum itself.
  std::vector<int> half;
  for (int j = 0; j < n; j += 2) half.push_back(j);
  for (int effort : {TVL_MIPSTART_SOLVEMIP, TVL_MIPSTART_AUTO}) {
    SCOPED_TRACE(effort);
    Mip s("p0033");
    s.add_start(opt, effort, half);
    TVLsetintparam(s.env, TVL_PARAM_NODELIM, 0);  // only the start can give a solution
    ASSERT_EQ(TVLmipopt(s.env, s.lp), 0) << s.errors;
    EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_NODE_LIM_FEAS);
    EXPECT_NEAR(s.objval(), best, 1e-6);
    EXPECT_LE(tvltest::mip_violation(miplib("p0033"), s.x()), 1e-6);
  }
  // An infeasible start: level 1 rejects it with a line, level 4 repairs it
  // into a feasible solution.
  std::vector<double> bad = opt;
  for (double &v : bad) v = 1.0 - v;
  {
    Mip s("p0033");
    s.add_start(bad, TVL_MIPSTART_CHECKFEAS);
    TVLsetintparam(s.env, TVL_PARAM_NODELIM, 0);
    ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
    EXPECT_NE(s.results.find("MIP start 'm1' gave no solution: infeasible."), std::string::npos) << s.results;
    EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_NODE_LIM_INFEAS);
  }
  {
    Mip s("p0033");
    s.add_start(bad, TVL_MIPSTART_REPAIR);
    TVLsetintparam(s.env, TVL_PARAM_NODELIM, 0);
    ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
    EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_NODE_LIM_FEAS) << s.results;
    EXPECT_LE(tvltest::mip_violation(miplib("p0033"), s.x()), 1e-6);
  }
  // Level 2 needs every integer value; on flugpl (general integers and
  // continuous columns) the continuous part is left to the LP.
  const std::vector<double> fopt = optimum("flugpl", &best, &nodes);
  Mip f("flugpl");
  std::vector<int> ints;
  std::vector<char> ctype(static_cast<size_t>(f.n()));
  TVLgetctype(f.env, f.lp, ctype.data(), 0, f.n() - 1);
  for (int j = 0; j < f.n(); ++j)
    if (ctype[static_cast<size_t>(j)] != 'C') ints.push_back(j);
  ASSERT_LT(ints.size(), fopt.size());
  f.add_start(fopt, TVL_MIPSTART_SOLVEFIXED, ints);
  TVLsetintparam(f.env, TVL_PARAM_NODELIM, 0);
  ASSERT_EQ(TVLmipopt(f.env, f.lp), 0);
  EXPECT_EQ(TVLgetstat(f.env, f.lp), TVLMIP_NODE_LIM_FEAS) << f.results;
  EXPECT_NEAR(f.objval(), best, 1e-6 * std::max(1.0, std::fabs(best)));
}

TEST(MipFiles, SolutionAndPoolFilesAfterASolveComeBackAsStarts) {
  Mip s("lseu");
  TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
  const double best = s.objval();
  const std::string sol = temp_path("lseu.sol"), mst = temp_path("lseu.mst");
  ASSERT_EQ(TVLsolwrite(s.env, s.lp, sol.c_str()), 0);
  std::ifstream in(sol);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("solutionMethodString=\"mip\""), std::string::npos);
  EXPECT_NE(text.str().find("MIPNodes=\"" + std::to_string(TVLgetnodecnt(s.env, s.lp)) + "\""), std::string::npos);
  EXPECT_NE(text.str().find("MIPIterations=\"" + std::to_string(TVLgetmipitcnt(s.env, s.lp)) + "\""),
            std::string::npos);
  EXPECT_NE(text.str().find("solutionStatusValue=\"101\""), std::string::npos);
  ASSERT_EQ(TVLmstwritesolnpoolall(s.env, s.lp, mst.c_str()), 0);

  // The solution file read into a fresh problem becomes its MIP start.
  Mip t("lseu");
  ASSERT_EQ(TVLreadcopysol(t.env, t.lp, sol.c_str()), 0);
  ASSERT_EQ(TVLgetnummipstarts(t.env, t.lp), 1);
  ASSERT_EQ(TVLmipopt(t.env, t.lp), 0);
  EXPECT_EQ(TVLgetnodeint(t.env, t.lp), 0);
  EXPECT_NEAR(t.objval(), best, 1e-6);

  // The pool as MIP starts: one start per pool solution, each feasible.
  Mip u("lseu");
  ASSERT_EQ(TVLreadcopymipstarts(u.env, u.lp, mst.c_str()), 0);
  EXPECT_EQ(TVLgetnummipstarts(u.env, u.lp), TVLgetsolnpoolnumsolns(s.env, s.lp));
  TVLsetintparam(u.env, TVL_PARAM_NODELIM, 0);
  ASSERT_EQ(TVLmipopt(u.env, u.lp), 0);
  EXPECT_NEAR(u.objval(), best, 1e-6);
  EXPECT_EQ(u.results.find("gave no solution"), std::string::npos) << u.results;
  std::remove(sol.c_str());
  std::remove(mst.c_str());
}

}  // namespace
