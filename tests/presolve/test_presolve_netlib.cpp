// Presolve on real instances: a fast subset of the Netlib collection.  Every
// instance must presolve without a spurious infeasibility verdict into a
// well-formed, smaller LP.  (The whole collection runs in bench_presolve.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "simplex/dualopt.h"
#include "support/netlib_lp.h"
#include "presolve_check.h"
#include "presolve/presolve.h"

namespace tvl::lp {
namespace {

const char *const kSubset[] = {"afiro", "adlittle", "blend", "sc50a", "sc105", "kb2", "scagr7",
                               "stocfor1", "share2b", "vtpbase", "seba", "beaconfd", "brandy", "agg",
                               "scfxm1"};

// Columns whose cost asks for an infinite bound: dual infeasible at the
// dual simplex's slack start.
int start_dual_infeasible_count(const LpModel &lp) {
  int count = 0;
  for (int j = 0; j < lp.a.n; ++j)
    count += (lp.cost[j] < 0 && lp.colup[j] >= kInfBound) || (lp.cost[j] > 0 && lp.collo[j] <= -kInfBound);
  return count;
}

// CSC well-formed: sorted distinct row indices in range, no zero values,
// finite data, lo <= up everywhere.
std::string well_formed(const LpModel &lp) {
  const CscMatrix &a = lp.a;
  if (static_cast<int>(a.start.size()) != a.n + 1 || a.start[0] != 0) return "bad starts";
  for (int j = 0; j < a.n; ++j) {
    for (int p = a.start[j]; p < a.start[j + 1]; ++p) {
      if (a.index[p] < 0 || a.index[p] >= a.m) return "row index out of range";
      if (p > a.start[j] && a.index[p] <= a.index[p - 1]) return "row indices not increasing";
      if (a.value[p] == 0.0 || !std::isfinite(a.value[p])) return "zero or non-finite value";
    }
    if (!(lp.collo[j] <= lp.colup[j])) return "column bounds cross";
  }
  for (int i = 0; i < a.m; ++i)
    if (!(lp.rowlo[i] <= lp.rowup[i])) return "row bounds cross";
  return "";
}

TEST(PresolveNetlib, SubsetPresolvesToWellFormedSmallerLps) {
  int64_t nz_before = 0, nz_after = 0;
  int more_for_primal = 0;
  for (const char *name : kSubset) {
    LpModel lp;
    std::vector<std::string> rn, cn;
    ASSERT_TRUE(testing::load_mps(testing::netlib_dir() + "/" + name + ".mps.gz", lp, &rn, &cn)) << name;
    PresolveSettings s;
    std::string log;
    s.sink = [&log](const std::string &t) { log += t; };
    s.rowname = [&rn](int32_t i) { return rn[i]; };
    s.colname = [&cn](int32_t j) { return cn[j]; };
    PresolvedLp pre;
    const PresolveOutcome out = presolve(lp, s, pre);
    ASSERT_EQ(out.status, 0) << name << "\n" << log;
    ASSERT_TRUE(out.reduced_any) << name;
    EXPECT_EQ(well_formed(pre.reduced), "") << name;
    EXPECT_LE(pre.reduced.a.m, lp.a.m);
    EXPECT_LE(pre.reduced.a.n, lp.a.n) << name;
    EXPECT_EQ(pre.reduced.a.m + pre.counts.rows_removed, lp.a.m);
    EXPECT_EQ(pre.reduced.a.n + pre.counts.cols_removed, lp.a.n);
    // Eliminations move costs between columns; they must not leave the
    // dual simplex more dual infeasibilities to start from.
    EXPECT_LE(start_dual_infeasible_count(pre.reduced), start_dual_infeasible_count(lp)) << name;
    const std::string summary = "Reduced LP has " + std::to_string(pre.reduced.a.m) + " rows, " +
                                std::to_string(pre.reduced.a.n) + " columns, and " +
                                std::to_string(pre.reduced.a.index.size()) + " nonzeros.\n";
    EXPECT_NE(log.find(summary), std::string::npos) << name << "\n" << log;
    nz_before += static_cast<int64_t>(lp.a.index.size());
    nz_after += static_cast<int64_t>(pre.reduced.a.index.size());
    // For the primal simplex the substitutions are not held back.
    PresolveSettings primal = s;
    primal.dual_start = false;
    PresolvedLp pre_primal;
    ASSERT_EQ(presolve(lp, primal, pre_primal).status, 0) << name;
    more_for_primal += start_dual_infeasible_count(pre_primal.reduced) > start_dual_infeasible_count(lp);
  }
  EXPECT_LT(nz_after, nz_before * 9 / 10);
  EXPECT_GT(more_for_primal, 0);
}

// Presolve, dual simplex on the reduced LP, postsolve: the reduced optimum
// is the published one, the postsolved solution is optimal for the original
// LP with a consistent basis, and a final solve from that basis needs no
// iteration.
TEST(PresolveNetlib, PostsolvedBasisIsOptimalForTheOriginal) {
  std::vector<testing::NetlibEntry> manifest = testing::netlib_manifest();
  for (const char *name : {"afiro", "adlittle", "blend", "sc50a", "sc105", "kb2", "scagr7", "stocfor1",
                           "share2b", "vtpbase", "seba", "beaconfd", "scorpion", "lotfi"}) {
    double ref = 0.0;
    for (const auto &e : manifest)
      if (e.name == name) ref = e.optimum;
    LpModel lp;
    ASSERT_TRUE(testing::load_mps(testing::netlib_dir() + "/" + name + ".mps.gz", lp)) << name;
    PresolveSettings s;
    s.messages = false;
    PresolvedLp pre;
    const PresolveOutcome out = presolve(lp, s, pre);
    ASSERT_EQ(out.status, 0) << name;
    SimplexControl ctl;
    ctl.display = 0;
    const LpResult red = dual_simplex(pre.reduced, ctl, nullptr);
    ASSERT_EQ(red.status, LpStatus::Optimal) << name;
    EXPECT_LT(std::fabs(red.objval - ref) / std::max(1.0, std::fabs(ref)), 1e-6) << name;
    LpResult full;
    ASSERT_TRUE(postsolve(pre, red, full)) << name;
    EXPECT_LT(std::fabs(full.objval - ref) / std::max(1.0, std::fabs(ref)), 1e-6) << name;
    EXPECT_EQ(testing::check_optimal_basis(lp, full, 1e-6), "") << name;
    const LpResult fin = dual_simplex(lp, ctl, &full.basis);
    EXPECT_EQ(fin.status, LpStatus::Optimal) << name;
    EXPECT_LE(fin.iterations, 5) << name;
  }
}

TEST(PresolveNetlib, DependentRowsGoAndTheOptimumStays) {
  std::vector<testing::NetlibEntry> manifest = testing::netlib_manifest();
  for (const char *name : {"scorpion", "degen2"}) {
    double ref = 0.0;
    for (const auto &e : manifest)
      if (e.name == name) ref = e.optimum;
    LpModel lp;
    ASSERT_TRUE(testing::load_mps(testing::netlib_dir() + "/" + name + ".mps.gz", lp)) << name;
    PresolveSettings plain, dep;
    plain.messages = dep.messages = false;
    dep.depind = 3;
    PresolvedLp pre_plain, pre;
    ASSERT_EQ(presolve(lp, plain, pre_plain).status, 0) << name;
    ASSERT_EQ(presolve(lp, dep, pre).status, 0) << name;
    EXPECT_LT(pre.reduced.a.m, pre_plain.reduced.a.m) << name;
    SimplexControl ctl;
    ctl.display = 0;
    const LpResult red = dual_simplex(pre.reduced, ctl, nullptr);
    ASSERT_EQ(red.status, LpStatus::Optimal) << name;
    LpResult full;
    ASSERT_TRUE(postsolve(pre, red, full)) << name;
    EXPECT_LT(std::fabs(full.objval - ref) / std::max(1.0, std::fabs(ref)), 1e-6) << name;
    const LpResult fin = dual_simplex(lp, ctl, &full.basis);
    EXPECT_EQ(fin.status, LpStatus::Optimal) << name;
    EXPECT_LE(fin.iterations, 5) << name;
  }
}

}  // namespace
}  // namespace tvl::lp
