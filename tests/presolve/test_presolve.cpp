// Presolve reductions on small LPs: every case is solved exhaustively before
// and after presolve; the postsolved solution must be optimal for the
// original problem with a consistent basis.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "presolve/presolve.h"
#include "presolve_check.h"

namespace tvl::lp {
namespace {

using testing::brute_force_solve;
using testing::check_optimal_basis;

constexpr double I = kInfBound;

// Builds an LpModel from a dense row-major matrix.
LpModel make(const std::vector<std::vector<double>> &A, std::vector<double> c, std::vector<double> lo,
             std::vector<double> up, std::vector<double> rlo, std::vector<double> rup) {
  LpModel lp;
  const int m = static_cast<int>(A.size()), n = static_cast<int>(c.size());
  lp.a.m = m;
  lp.a.n = n;
  lp.a.start.assign(1, 0);
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < m; ++i)
      if (A[i][j] != 0.0) { lp.a.index.push_back(i); lp.a.value.push_back(A[i][j]); }
    lp.a.start.push_back(static_cast<int32_t>(lp.a.index.size()));
  }
  lp.cost = std::move(c);
  lp.collo = std::move(lo);
  lp.colup = std::move(up);
  lp.rowlo = std::move(rlo);
  lp.rowup = std::move(rup);
  return lp;
}

std::string dump(const LpModel &lp) {
  std::string s;
  char buf[128];
  for (int j = 0; j < lp.a.n; ++j) {
    std::snprintf(buf, sizeof buf, "col %d c=%g [%g,%g]:", j, lp.cost[j], lp.collo[j], lp.colup[j]);
    s += buf;
    for (int p = lp.a.start[j]; p < lp.a.start[j + 1]; ++p) {
      std::snprintf(buf, sizeof buf, " %d:%g", lp.a.index[p], lp.a.value[p]);
      s += buf;
    }
    s += "\n";
  }
  for (int i = 0; i < lp.a.m; ++i) {
    std::snprintf(buf, sizeof buf, "row %d [%g,%g]\n", i, lp.rowlo[i], lp.rowup[i]);
    s += buf;
  }
  return s;
}

struct PresolveRun {
  PresolveOutcome out;
  PresolvedLp pre;
  std::string log;
};

PresolveRun run_presolve(const LpModel &lp, PresolveSettings s = {}) {
  PresolveRun r;
  s.sink = [&r](const std::string &t) { r.log += t; };
  r.out = presolve(lp, s, r.pre);
  return r;
}

// Presolves, solves the reduced LP exhaustively, postsolves and checks the
// result against the original's optimum.  Returns a failure text or "".
std::string round_trip(const LpModel &lp, const PresolveSettings &s = {}, PresolveRun *keep = nullptr) {
  const LpResult ref = brute_force_solve(lp);
  PresolveRun r = run_presolve(lp, s);
  if (r.out.status != 0) {
    if (ref.status == LpStatus::Optimal) return "presolve status " + std::to_string(r.out.status) + " on a solvable LP";
    return "";
  }
  if (!r.out.reduced_any) return "";
  const LpResult red = brute_force_solve(r.pre.reduced);
  if (ref.status != LpStatus::Optimal) {
    return red.status == LpStatus::Optimal ? "reduced LP solvable, original not" : "";
  }
  if (red.status != LpStatus::Optimal) return "reduced LP not solvable";
  if (std::fabs(red.objval - ref.objval) > 1e-7 * (1 + std::fabs(ref.objval)))
    return "objective " + std::to_string(red.objval) + " vs " + std::to_string(ref.objval);
  LpResult full;
  if (!postsolve(r.pre, red, full)) return "postsolve refused";
  if (std::fabs(full.objval - ref.objval) > 1e-7 * (1 + std::fabs(ref.objval))) return "postsolved objective differs";
  const std::string err = check_optimal_basis(lp, full, 1e-7);
  if (keep) *keep = std::move(r);
  return err;
}

TEST(Presolve, SingletonRowsFixedAndEmptyColumns) {
  // x0 fixed, x3 empty with positive cost, row 0 a singleton (x1 <= 2),
  // row 2 empty and feasible.
  LpModel lp = make({{0, 1, 0, 0}, {1, 1, 1, 0}, {0, 0, 0, 0}},
                    {1, -1, 2, 3}, {2, 0, 0, -1}, {2, 10, 5, 4}, {-I, -1, -1}, {2, 20, 1});
  PresolveRun r;
  EXPECT_EQ(round_trip(lp, {}, &r), "");
  EXPECT_TRUE(r.out.all_eliminated);
  EXPECT_NE(r.log.find("LP Presolve eliminated 3 rows and 4 columns.\n"), std::string::npos) << r.log;
  EXPECT_NE(r.log.find("All rows and columns eliminated.\n"), std::string::npos);
}

TEST(Presolve, SingletonRowBoundHandsDualBack) {
  // min -x0 - x1, x0 + x1 <= 4, row 1: 2 x0 <= 2 makes x0 <= 1 the active bound.
  LpModel lp = make({{1, 1}, {2, 0}, {0, 1}}, {-1, -2}, {0, 0}, {10, 10}, {-I, -I, -I}, {4, 2, 3.5});
  EXPECT_EQ(round_trip(lp), "");
}

TEST(Presolve, ForcingAndRedundantRows) {
  // Row 0: x0 + x1 <= 0 with x >= 0 forces both to 0; row 1 is redundant
  // (x2 + x3 <= 20 with x <= 5); row 2 relaxes one side.
  LpModel lp = make({{1, 1, 0, 0}, {0, 0, 1, 1}, {1, 0, 1, 2}},
                    {-1, 2, -1, 1}, {0, 0, 0, 0}, {5, 5, 5, 5}, {-I, -5, -100}, {0, 20, 7});
  EXPECT_EQ(round_trip(lp), "");
  // Forcing row at its lower end: maximal activity equals the lower bound.
  LpModel lp2 = make({{1, -1, 0}, {1, 1, 1}}, {3, 1, -1}, {0, 0, 0}, {2, 4, 3}, {2, 0}, {I, 6});
  EXPECT_EQ(round_trip(lp2), "");
}

TEST(Presolve, ColumnSingletonsSlackAndImpliedFree) {
  // x2 is a slack of equality row 0 with a cost; x3 is implied free in
  // inequality row 1 with cost (dual reduction) and x4 with zero cost in row 2.
  LpModel lp = make({{1, 1, 2, 0, 0}, {1, -1, 0, 1, 0}, {1, 2, 0, 0, -1}},
                    {1, 2, -1, 0.5, 0}, {0, 0, 0, -I, -I}, {4, 4, 1.5, I, I}, {3, -2, -1}, {3, 5, 2});
  EXPECT_EQ(round_trip(lp), "");
  PresolveSettings primal_only;
  primal_only.reduce = 1;
  EXPECT_EQ(round_trip(lp, primal_only), "");
}

TEST(Presolve, SlackFoldKeepsTheStartDualFeasible) {
  // Row 0: x0 + x1 + x2 = 4 with x2 a costed singleton in [0, 10]; x0 and x1
  // have no upper bound.  Folding x2 moves its cost onto x0 and x1: with
  // cost 3 both would ask for an infinite bound at the slack basis, so x2
  // stays; with cost -3 their costs only grow and x2 is folded.
  for (const double c2 : {3.0, -3.0}) {
    LpModel lp = make({{1, 1, 1}, {1, 2, 0}}, {1, 2, c2}, {0, 0, 0}, {I, I, 10}, {4, 1}, {4, I});
    PresolveRun r;
    EXPECT_EQ(round_trip(lp, {}, &r), "") << c2;
    ASSERT_TRUE(r.out.reduced_any || c2 > 0) << c2;
    const int cols = r.out.reduced_any ? r.pre.reduced.a.n : lp.a.n;
    EXPECT_EQ(cols, c2 > 0 ? 3 : 2) << c2 << "\n" << dump(r.pre.reduced);
  }
}

TEST(Presolve, DoubletonEquationTransfersBounds) {
  // 2 x0 - x1 = 1 with x0 in [0, 1] bounds x1 to [-1, 1]; the objective
  // drives x1 to the bound inherited from x0.
  LpModel lp = make({{2, -1, 0}, {1, 1, 1}, {0, 1, -1}},
                    {1, -3, 1}, {0, -5, 0}, {1, 5, 4}, {1, -I, -2}, {1, 4, 3});
  PresolveRun r;
  EXPECT_EQ(round_trip(lp, {}, &r), "");
  EXPECT_GE(r.pre.counts.aggregations, 1);
  PresolveSettings noagg;
  noagg.aggind = 0;
  PresolveRun r2 = run_presolve(lp, noagg);
  EXPECT_EQ(r2.pre.counts.aggregations, 0);
  EXPECT_EQ(r2.log.find("Tried aggregator"), std::string::npos);
  EXPECT_NE(r.log.find("Tried aggregator 1 time.\n"), std::string::npos) << r.log;
}

TEST(Presolve, DuplicateRowsAndColumns) {
  // Row 1 = 2 * row 0 with a tighter upper bound; column 3 = -1 * column 2
  // with cost -1 * cost 2.
  LpModel lp = make({{1, 2, 1, -1}, {2, 4, 2, -2}, {1, 0, 1, -1}, {0, 1, 3, -3}},
                    {-1, -1, 1, -1}, {0, 0, 0, 0}, {3, 3, 2, 2}, {-I, -I, 0.5, -I}, {6, 8, I, 7});
  EXPECT_EQ(round_trip(lp), "");
}

TEST(Presolve, DependentEqualityRows) {
  // Row 2 = row 0 + 2 row 1 and row 3 = row 0 - row 1:
  // with consistent right-hand sides both go, the optimum stays.  Rows have
  // three or more entries so that no other family touches them first.
  const std::vector<std::vector<double>> a = {
      {1, 2, 1, 0, 1}, {0, 1, 1, 1, -1}, {1, 4, 3, 2, -1}, {1, 1, 0, -1, 2}, {1, 1, 1, 1, 1}};
  const std::vector<double> c = {1, -1, 2, -2, 1}, lo = {0, 0, 0, 0, 0}, up = {4, 4, 4, 4, 4};
  LpModel lp = make(a, c, lo, up, {3, 1, 5, 2, -I}, {3, 1, 5, 2, 8});
  for (const int depind : {1, 2, 3}) {
    PresolveSettings s;
    s.depind = depind;
    PresolveRun r;
    EXPECT_EQ(round_trip(lp, s, &r), "") << depind;
    EXPECT_GE(r.pre.counts.rows_removed, 2) << depind;
  }
  // With the checker first and nothing else on, exactly the two go.
  PresolveSettings only;
  only.depind = 1;
  only.prepass = 0;
  only.aggind = 0;
  PresolveRun r = run_presolve(lp, only);
  ASSERT_EQ(r.out.status, 0);
  EXPECT_EQ(r.pre.rowmap, (std::vector<int32_t>{0, 1, 4}));
  // The automatic setting leaves them to the other families.
  only.depind = -1;
  EXPECT_FALSE(run_presolve(lp, only).out.reduced_any);
  // An inconsistent right-hand side on row 2 is infeasible.
  LpModel bad = make(a, c, lo, up, {3, 1, 6, 2, -I}, {3, 1, 6, 2, 8});
  only.depind = 1;
  PresolveRun rb = run_presolve(bad, only);
  EXPECT_EQ(rb.out.status, 1101);
  EXPECT_EQ(rb.log, "Row 'R3' is dependent and infeasible.\n");
}

TEST(Presolve, InfeasibilityAndUnboundednessDetection) {
  // Empty greater-equal row with rhs 1.
  LpModel lp = make({{0, 0}, {1, 1}}, {1, 1}, {0, 0}, {1, 1}, {1, 0}, {I, 2});
  PresolveSettings s;
  s.rowname = [](int32_t i) { return "c" + std::to_string(i + 1); };
  PresolveRun r = run_presolve(lp, s);
  EXPECT_EQ(r.out.status, 1101);
  EXPECT_EQ(r.log, "Infeasibility row 'c1':  0 >= 1.\n");
  s.messages = false;
  PresolveRun quiet = run_presolve(lp, s);
  EXPECT_EQ(quiet.out.status, 1101);
  EXPECT_EQ(quiet.log, "");
  // Crossing bounds from two singleton rows.
  LpModel lp2 = make({{1, 1}, {1, 0}, {1, 0}}, {1, 1}, {0, 0}, {9, 9}, {-I, 5, -I}, {I, I, 3});
  EXPECT_EQ(run_presolve(lp2).out.status, 1117);
  // Forcing row beyond its bound.
  LpModel lp3 = make({{1, 1}}, {1, 1}, {1, 1}, {2, 2}, {-I}, {1});
  PresolveSettings primal;
  primal.reduce = 1;
  PresolveRun r3 = run_presolve(lp3, primal);
  EXPECT_EQ(r3.out.status, 1117);
  EXPECT_EQ(r3.log, "Row 'R1' infeasible, all entries at implied bounds.\n");
  // Empty column with negative cost and no upper bound.
  LpModel lp4 = make({{1, 0}}, {1, -1}, {0, 0}, {1, I}, {0}, {1});
  PresolveRun r4 = run_presolve(lp4, primal);
  EXPECT_EQ(r4.out.status, 1101);
  EXPECT_EQ(r4.log, "Dual infeasible due to empty column 'C2'.\n");
  EXPECT_EQ(run_presolve(lp4).log, "Primal unbounded due to dual bounds, variable 'C2'.\n");
  // Inconsistent duplicate rows.
  LpModel lp5 = make({{1, 1, 1}, {2, 2, 2}}, {1, 1, 1}, {-I, -I, -I}, {I, I, I}, {1, -I}, {I, 1});
  PresolveRun r5 = run_presolve(lp5, primal);
  EXPECT_EQ(r5.out.status, 1117);
  EXPECT_EQ(r5.log, "Tried aggregator 1 time.\nConstraints 'R1' and 'R2' are inconsistent.\n");
}

TEST(Presolve, NothingToReduceAndSettings) {
  LpModel lp = make({{1, 2}, {3, 1}}, {-1, -1}, {0, 0}, {I, I}, {-I, -I}, {4, 6});
  PresolveRun r = run_presolve(lp);
  EXPECT_FALSE(r.out.reduced_any);
  EXPECT_EQ(r.log, "Tried aggregator 1 time.\nNo LP presolve or aggregator reductions.\n");
  // No reductions at all when the families are off and passes are 0.
  LpModel lp2 = make({{1, 0}, {1, 1}}, {1, 1}, {0, 0}, {1, 1}, {0, 0}, {1, 2});
  PresolveSettings none;
  none.reduce = 0;
  none.prepass = 0;
  none.aggind = 0;
  EXPECT_FALSE(run_presolve(lp2, none).out.reduced_any);
}

TEST(Presolve, AbortsAndLimits) {
  LpModel lp = make({{1, 0}, {1, 1}}, {1, 1}, {0, 0}, {1, 1}, {0, 0}, {1, 2});
  PresolveSettings s;
  s.lp_callback = [] { return 1; };
  EXPECT_EQ(run_presolve(lp, s).out.status, 1106);
  s.lp_callback = nullptr;
  s.termination = [] { return 11; };
  EXPECT_EQ(run_presolve(lp, s).out.status, 1123);
  s.termination = [] { return 900; };
  EXPECT_EQ(run_presolve(lp, s).out.status, 9025);
}

TEST(Presolve, CrushBasisKeepsBasicCount) {
  LpModel lp = make({{1, 1, 0, 1}, {0, 1, 1, 1}, {2, 0, 0, 0}, {1, 2, 1, 1}},
                    {-1, -1, -1, 1}, {0, 0, 0, 0}, {3, 3, 3, 3}, {-I, -I, -I, -I}, {4, 4, 2, 7});
  PresolveRun r = run_presolve(lp);
  ASSERT_TRUE(r.out.reduced_any);
  // Too many basics (all) and too few (none, rows at their infinite lower bounds).
  for (int8_t fill : {1, 0}) {
  Basis full;
  full.colstat.assign(4, fill);
  full.rowstat.assign(4, fill);
  const Basis b = crush_basis(r.pre, full);
  int basic = 0;
  for (int8_t s : b.colstat) basic += s == 1;
  for (int8_t s : b.rowstat) basic += s == 1;
  EXPECT_EQ(basic, r.pre.reduced.a.m);
  // Nonbasic statuses only name finite bounds.
  for (size_t j = 0; j < b.colstat.size(); ++j) {
    EXPECT_TRUE(b.colstat[j] != 0 || r.pre.reduced.collo[j] > -kInfBound);
    EXPECT_TRUE(b.colstat[j] != 2 || r.pre.reduced.colup[j] < kInfBound);
  }
  for (size_t i = 0; i < b.rowstat.size(); ++i) {
    EXPECT_TRUE(b.rowstat[i] != 0 || r.pre.reduced.rowlo[i] > -kInfBound);
    EXPECT_TRUE(b.rowstat[i] != 2 || r.pre.reduced.rowup[i] < kInfBound);
  }
  }
}

// Random tiny LPs with planted structure: each seed adds some of a fixed
// column, a singleton row, a doubleton equation, a duplicate row, a duplicate
// column, a slack column and an empty row.
LpModel random_lp(std::mt19937 &g) {
  std::uniform_int_distribution<int> coef(-3, 3), small(0, 9);
  const int n = 3 + static_cast<int>(g() % 3), m = 2 + static_cast<int>(g() % 3);
  std::vector<std::vector<double>> A(m, std::vector<double>(n, 0.0));
  for (auto &row : A)
    for (double &v : row) v = small(g) < 5 ? coef(g) : 0.0;
  std::vector<double> c(n), lo(n), up(n), x0(n);
  for (int j = 0; j < n; ++j) {
    c[j] = coef(g);
    const int kind = small(g);
    lo[j] = kind < 7 ? -static_cast<double>(small(g) % 3) : -I;
    up[j] = kind == 8 ? I : (lo[j] > -I ? lo[j] : 0.0) + 1 + small(g) % 4;
    if (kind == 9) up[j] = lo[j] = 1.0;
    x0[j] = lo[j] > -I ? lo[j] + (up[j] < I ? (up[j] - lo[j]) * 0.5 : 1.0) : up[j] - 1.0;
    if (up[j] >= I && lo[j] <= -I) x0[j] = 0.0;
  }
  const int plant = small(g);
  if (plant == 0 && m >= 2) { for (int j = 0; j < n; ++j) A[1][j] = -2 * A[0][j]; }
  if (plant == 1 && n >= 2) { for (int i = 0; i < m; ++i) A[i][1] = 2 * A[i][0]; c[1] = 2 * c[0]; }
  if (plant == 2) { for (int j = 0; j < n; ++j) A[0][j] = j == 0 ? 2 : 0; }
  if (plant == 3) { for (int j = 0; j < n; ++j) A[0][j] = j < 2 ? coef(g) + 4 : 0; }
  if (plant == 4) { for (int i = 0; i < m; ++i) A[i][n - 1] = i == 0 ? 1 : 0; }
  if (plant == 5) { for (int j = 0; j < n; ++j) A[m - 1][j] = 0; }
  std::vector<double> rlo(m), rup(m);
  for (int i = 0; i < m; ++i) {
    double act = 0;
    for (int j = 0; j < n; ++j) act += A[i][j] * x0[j];
    const int t = small(g);
    rlo[i] = t < 3 ? act - small(g) % 3 : (t < 6 ? -I : act);
    rup[i] = t < 3 ? I : (t < 6 ? act + small(g) % 3 : act + (t == 9 ? 1 : 0));
  }
  return make(A, c, lo, up, rlo, rup);
}

TEST(Presolve, RandomTinyLpsRoundTrip) {
  std::mt19937 g(12345);
  int reduced = 0;
  int kinds[10] = {};
  for (int trial = 0; trial < 2000; ++trial) {
    const LpModel lp = random_lp(g);
    PresolveSettings s;
    s.reduce = 1 + trial % 3;
    PresolveRun r;
    const std::string err = round_trip(lp, s, &r);
    ASSERT_EQ(err, "") << "trial " << trial << "\n" << dump(lp);
    reduced += r.out.reduced_any;
    for (const auto &st : r.pre.stack.steps) ++kinds[static_cast<int>(st.kind)];
  }
  EXPECT_GT(reduced, 100);
  // Every reduction family took part.
  for (int k = 0; k < 10; ++k) EXPECT_GT(kinds[k], 0) << "step kind " << k;
}

}  // namespace
}  // namespace tvl::lp
