// Cutting planes: the separators on small hand-checked models, and the
// root cut loop on real instances, where no cut it adds may separate a
// known optimal solution and the bound may not pass the optimum.
#include <gtest/gtest.h>

#include <random>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "lp/lpcomp.h"
#include "mip/cuts/cut.h"
#include "mip/cuts/cut_loop.h"
#include "mip/cuts/cut_pool.h"
#include "mip/cuts/tableau.h"
#include "mip/cuts/tree_cuts.h"
#include "mip/mip_model.h"
#include "mip/node_lp.h"
#include "mip/probing.h"
#include "mip/known_optimum.h"
#include "mip/row_model.h"
#include "support/api_session.h"
#include "support/bench_dir.h"

namespace {

using tvl::mip::Cut;
using tvl::mip::MipModel;

// min cost'x over rows lo <= A x <= up given row-wise, all columns integer in [0, colup].
MipModel small_model(const std::vector<std::vector<double>> &rows, const std::vector<double> &lo,
                     const std::vector<double> &up, const std::vector<double> &cost, const std::vector<double> &colup) {
  return tvltest::row_model(rows, lo, up, cost, colup);
}

std::vector<Cut> separate(tvl::mip::CutSeparator &sep, const MipModel &m, const tvl::lp::LpResult &r) {
  tvl::mip::TableauRows tableau(m.lp, r.basis);
  tvl::mip::CutContext ctx{m, m.lp, r, tableau};
  std::vector<Cut> out;
  sep.separate(ctx, out);
  return out;
}

double activity(const Cut &c, const std::vector<double> &x) {
  double s = 0.0;
  for (size_t k = 0; k < c.ind.size(); ++k) s += c.val[k] * x[static_cast<size_t>(c.ind[k])];
  return s;
}

TEST(CutSeparators, GomoryCutsOnTheTwoRowExample) {
  // max x2 subject to 3 x1 + 2 x2 <= 6, -3 x1 + 2 x2 <= 0: the LP optimum
  // is (1, 1.5); the integer points are (0,0), (1,0), (1,1), (2,0).
  const double inf = 1e20;
  MipModel m = small_model({{3, 2}, {-3, 2}}, {-inf, -inf}, {6, 0}, {0, -1}, {10, 10});
  tvltest::ApiSession s("gomory");
  tvl::mip::NodeLp lp(m, tvl::lp::simplex_control(s.env));
  const tvl::lp::LpResult r = lp.solve();
  ASSERT_EQ(r.status, tvl::lp::LpStatus::Optimal);
  ASSERT_NEAR(r.x[1], 1.5, 1e-9);
  auto sep = tvl::mip::make_gomory_separator();
  const std::vector<Cut> cuts = separate(*sep, m, r);
  ASSERT_FALSE(cuts.empty());
  const std::vector<std::vector<double>> points = {{0, 0}, {1, 0}, {1, 1}, {2, 0}};
  for (const Cut &c : cuts) {
    EXPECT_EQ(c.family, tvl::mip::kCutFract);
    EXPECT_GT(activity(c, r.x) - c.rhs, 0.1);  // separates the LP optimum
    for (const auto &p : points) EXPECT_LE(activity(c, p), c.rhs + 1e-9);
  }
  // Both integer rows give the cut x2 <= 1 here; with it the LP bound is
  // the integer optimum.
  std::vector<tvl::mip::LpRow> rows;
  for (const Cut &c : cuts) rows.push_back({c.ind, c.val, -inf, c.rhs});
  lp.add_rows(rows, r.basis);
  const tvl::lp::LpResult after = lp.solve();
  ASSERT_EQ(after.status, tvl::lp::LpStatus::Optimal);
  EXPECT_NEAR(after.objval, -1.0, 1e-9);
}

TEST(CutSeparators, CoverCutsAreMinimalAndLifted) {
  const double inf = 1e20;
  auto cover_of = [&](const std::vector<double> &w, double b, const std::vector<double> &x, bool as_ge) {
    std::vector<double> row = w;
    double lo = -inf, up = b;
    if (as_ge) {  // the same knapsack written as a >= row
      for (double &v : row) v = -v;
      lo = -b;
      up = inf;
    }
    MipModel m = small_model({row}, {lo}, {up}, std::vector<double>(w.size(), -1.0), std::vector<double>(w.size(), 1.0));
    tvl::lp::LpResult r;
    r.x = x;
    r.basis.colstat.assign(w.size(), 0);
    r.basis.rowstat.assign(1, 1);
    auto sep = tvl::mip::make_cover_separator();
    return separate(*sep, m, r);
  };
  // 3 x1 + 3 x2 + 3 x3 + 6 x4 <= 7 at (1, 1, 1/3, 0): the cover {1,2,3}
  // gives x1 + x2 + x3 <= 2, and lifting x4 (which leaves room 1) gives it
  // coefficient 2.
  for (bool as_ge : {false, true}) {
    std::vector<Cut> cuts = cover_of({3, 3, 3, 6}, 7, {1, 1, 1.0 / 3.0, 0}, as_ge);
    ASSERT_EQ(cuts.size(), 1u) << as_ge;
    const Cut &c = cuts[0];
    EXPECT_EQ(c.family, tvl::mip::kCutCover);
    std::vector<double> dense(4, 0.0);
    for (size_t k = 0; k < c.ind.size(); ++k) dense[static_cast<size_t>(c.ind[k])] = c.val[k];
    EXPECT_EQ(dense, (std::vector<double>{1, 1, 1, 2}));
    EXPECT_EQ(c.rhs, 2.0);
  }
  // 5 x1 + 4 x2 + 3 x3 <= 8 at (1, 0.75, 0): the minimal cover {1,2};
  // x3 cannot be lifted (x1 = 1, x3 = 1 fits).
  std::vector<Cut> cuts = cover_of({5, 4, 3}, 8, {1, 0.75, 0}, false);
  ASSERT_EQ(cuts.size(), 1u);
  EXPECT_EQ(cuts[0].ind, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(cuts[0].rhs, 1.0);
  // A point satisfying every cover inequality gets no cut.
  EXPECT_TRUE(cover_of({5, 4, 3}, 8, {0.5, 0.5, 0.5}, false).empty());
}

TEST(CutSeparators, CliqueCutsJoinPairwiseConflictsAndComplements) {
  const double inf = 1e20;
  // x1 + x2 <= 1, x2 + x3 <= 1, x1 + x3 <= 1 (pairwise), 4 x1 + 3 x4 <= 5
  // (x1 and x4 conflict), 2 x3 - 2 x5 >= -1 (x5 = 1 forces x3 = 1: x5 and
  // the complement of x3 conflict).
  MipModel m = small_model({{1, 1, 0, 0, 0}, {0, 1, 1, 0, 0}, {1, 0, 1, 0, 0}, {4, 0, 0, 3, 0}, {0, 0, 2, 0, -2}},
                           {-inf, -inf, -inf, -inf, -1}, {1, 1, 1, 5, inf}, {-1, -1, -1, -1, 0},
                           std::vector<double>(5, 1.0));
  tvl::lp::LpResult r;
  r.basis.colstat.assign(5, 0);
  r.basis.rowstat.assign(5, 1);
  auto sep = tvl::mip::make_clique_separator();
  auto dense = [](const Cut &c) {
    std::vector<double> d(5, 0.0);
    for (size_t k = 0; k < c.ind.size(); ++k) d[static_cast<size_t>(c.ind[k])] = c.val[k];
    return d;
  };
  // At (1/2, 1/2, 1/2, 0, 1/4) the triangle's clique x1 + x2 + x3 <= 1 is
  // violated; x4 conflicts with x1 only and may not join it.
  r.x = {0.5, 0.5, 0.5, 0.0, 0.25};
  std::vector<Cut> cuts = separate(*sep, m, r);
  ASSERT_EQ(cuts.size(), 1u);
  EXPECT_EQ(cuts[0].family, tvl::mip::kCutClique);
  EXPECT_EQ(dense(cuts[0]), (std::vector<double>{1, 1, 1, 0, 0}));
  EXPECT_EQ(cuts[0].rhs, 1.0);
  // At (0, 0, 0.6, 0, 1) the clique over a complemented literal,
  // x5 + (1 - x3) <= 1, is violated.
  r.x = {0.0, 0.0, 0.6, 0.0, 1.0};
  cuts = separate(*sep, m, r);
  ASSERT_EQ(cuts.size(), 1u);
  EXPECT_EQ(dense(cuts[0]), (std::vector<double>{0, 0, -1, 0, 1}));
  EXPECT_EQ(cuts[0].rhs, 0.0);
  // A point that meets every conflict gets no cut.
  r.x = {0.5, 0.0, 0.5, 0.5, 0.0};
  EXPECT_TRUE(separate(*sep, m, r).empty());

  // x3 and x4 each conflict with x1 and x2 but not with each other: the
  // clique x1 + x2 <= 1 grows by one of them, never both (x3 = x4 = 1 is
  // feasible).
  MipModel k = small_model({{1, 1, 0, 0}, {1, 0, 1, 0}, {0, 1, 1, 0}, {1, 0, 0, 1}, {0, 1, 0, 1}},
                           std::vector<double>(5, -inf), std::vector<double>(5, 1.0), {-1, -1, -1, -1},
                           std::vector<double>(4, 1.0));
  auto grow = tvl::mip::make_clique_separator();
  r.basis.colstat.assign(4, 0);
  r.x = {0.6, 0.6, 0.0, 0.0};
  cuts = separate(*grow, k, r);
  ASSERT_EQ(cuts.size(), 1u);
  EXPECT_EQ(cuts[0].ind.size(), 3u);
  double at_x3x4 = 0.0;
  for (size_t p = 0; p < cuts[0].ind.size(); ++p) at_x3x4 += cuts[0].ind[p] >= 2 ? cuts[0].val[p] : 0.0;
  EXPECT_LE(at_x3x4, cuts[0].rhs);
}

// Clique and cover cuts of random packing models hold at every integer
// point of the model (all 2^12 points enumerated), whatever fractional
// point they were separated at.
TEST(CutSeparators, CliqueAndCoverCutsHoldAtEveryFeasiblePointOfRandomPackings) {
  std::mt19937 rng(20261207);
  const int n = 12, m = 9;
  int64_t checked = 0;
  for (int model = 0; model < 25; ++model) {
    std::vector<std::vector<double>> rows(m, std::vector<double>(n, 0.0));
    std::vector<double> lo(m, -1e20), up(m, 1.0);
    for (int i = 0; i < m; ++i) {
      // Packing rows over 3 to 5 columns; the last row a knapsack with
      // weights 2..6 (some of them negative) and a right-hand side of 7.
      const bool knapsack = i == m - 1;
      for (int c = 0, cnt = 3 + static_cast<int>(rng() % 3); c < cnt; ++c) {
        const int j = static_cast<int>(rng() % n);
        rows[i][j] = knapsack ? (rng() % 4 == 0 ? -1.0 : 1.0) * (2.0 + static_cast<double>(rng() % 5)) : 1.0;
      }
      if (knapsack) up[i] = 7.0;
    }
    MipModel mm = small_model(rows, lo, up, std::vector<double>(n, -1.0), std::vector<double>(n, 1.0));
    std::vector<std::vector<double>> feasible;
    for (int bits = 0; bits < (1 << n); ++bits) {
      std::vector<double> x(n);
      for (int j = 0; j < n; ++j) x[j] = (bits >> j) & 1;
      bool ok = true;
      for (int i = 0; i < m && ok; ++i) {
        double a = 0.0;
        for (int j = 0; j < n; ++j) a += rows[i][j] * x[j];
        ok = a <= up[i] + 1e-9;
      }
      if (ok) feasible.push_back(x);
    }
    tvl::lp::LpResult r;
    r.basis.colstat.assign(n, 0);
    r.basis.rowstat.assign(m, 1);
    auto clique = tvl::mip::make_clique_separator();
    auto cover = tvl::mip::make_cover_separator();
    for (int point = 0; point < 8; ++point) {
      r.x.assign(n, 0.0);
      for (int j = 0; j < n; ++j) r.x[j] = static_cast<double>(rng() % 5) / 4.0;
      for (tvl::mip::CutSeparator *sep : {clique.get(), cover.get()}) {
        for (const Cut &c : separate(*sep, mm, r)) {
          for (const std::vector<double> &x : feasible) ASSERT_LE(activity(c, x), c.rhs + 1e-9) << "model " << model;
          ++checked;
        }
      }
    }
  }
  EXPECT_GT(checked, 50);
}

TEST(CutSeparators, MirCutOfAMixedRowAndOfAnAggregate) {
  const double inf = 1e20;
  auto mir_of = [&](MipModel m, const std::vector<double> &x) {
    for (size_t j = 0; j < x.size(); ++j) m.integer[j] = j == 0;
    tvl::mip::complete_mip_model(m);
    tvl::lp::LpResult r;
    r.x = x;
    auto sep = tvl::mip::make_mir_separator(3, nullptr);
    return separate(*sep, m, r);
  };
  // x - y <= 1.5 (x integer, y >= 0 continuous) at x = 1.5, y = 0: the MIR
  // inequality x - 2 y <= 1.
  std::vector<Cut> cuts = mir_of(small_model({{1, -1}}, {-inf}, {1.5}, {-1, 2}, {10, 10}), {1.5, 0});
  ASSERT_EQ(cuts.size(), 1u);
  EXPECT_EQ(cuts[0].family, tvl::mip::kCutMir);
  EXPECT_EQ(cuts[0].ind, (std::vector<int32_t>{0, 1}));
  EXPECT_NEAR(cuts[0].val[0], 1.0, 1e-12);
  EXPECT_NEAR(cuts[0].val[1], -2.0, 1e-12);
  EXPECT_NEAR(cuts[0].rhs, 1.0, 1e-12);
  // Two rows sharing the continuous z (x - z <= 1.5, z = y) at the LP
  // point (1.75, 0.25, 0.25): every cut found is violated there and holds
  // at integer-feasible points.
  cuts = mir_of(small_model({{1, 0, -1}, {0, -1, 1}}, {-inf, 0}, {1.5, 0}, {-1, 0, 2}, {10, 10, 10}), {1.75, 0.25, 0.25});
  ASSERT_FALSE(cuts.empty());
  const std::vector<std::vector<double>> feasible = {{0, 0, 0}, {1, 0, 0}, {2, 0.5, 0.5}, {3, 1.5, 1.5}, {1, 3, 3}};
  for (const Cut &c : cuts) {
    EXPECT_GT(activity(c, {1.75, 0.25, 0.25}) - c.rhs, 1e-3);
    for (const auto &p : feasible) EXPECT_LE(activity(c, p), c.rhs + 1e-9);
  }
}

TEST(CutPool, CleaningScalingAndParallelism) {
  const std::vector<double> lower = {0, 0, 0}, upper = {1, 1e30, 1};
  const std::vector<double> x = {1, 1, 1};
  tvl::mip::CutSelectLimits limits;
  // A tiny coefficient on a bounded column goes, the rhs relaxed by it; the
  // cut is scaled to a largest coefficient of 1.
  Cut c{{0, 2}, {4.0, -1e-8}, 2.0, 0};
  ASSERT_TRUE(tvl::mip::clean_cut(c, x, lower, upper, limits));
  EXPECT_EQ(c.ind, (std::vector<int32_t>{0}));
  EXPECT_DOUBLE_EQ(c.val[0], 1.0);
  EXPECT_DOUBLE_EQ(c.rhs, (2.0 + 1e-8) / 4.0);
  // A tiny coefficient on an unbounded column stays, and the dynamism rejects the cut.
  Cut d{{0, 1}, {4.0, -1e-8}, 2.0, 0};
  EXPECT_FALSE(tvl::mip::clean_cut(d, x, lower, upper, limits));
  // Not violated enough.
  Cut e{{0}, {1.0}, 1.0 - 1e-6, 0};
  EXPECT_FALSE(tvl::mip::clean_cut(e, x, lower, upper, limits));
  // Of two parallel cuts only the more efficacious is taken; an orthogonal one too.
  std::vector<Cut> cands = {{{0, 2}, {1.0, 1.0}, 1.5, 0}, {{0, 2}, {2.0, 2.0}, 2.0, 0}, {{1}, {1.0}, 0.5, 4}};
  const std::vector<Cut> chosen = tvl::mip::select_cuts(cands, {}, x, lower, upper, limits);
  ASSERT_EQ(chosen.size(), 2u);
  EXPECT_DOUBLE_EQ(chosen[0].rhs, 1.0);  // x0 + x2 <= 1 (scaled from 2x <= 2): efficacy 1 / sqrt 2
  EXPECT_DOUBLE_EQ(chosen[1].rhs, 0.5);  // x1 <= 0.5: efficacy 0.5
}

// Rows m0.. of the LP hold at x (within 1e-6 relative)?
void expect_added_rows_hold(const tvl::lp::LpModel &cur, int32_t m0, const std::vector<double> &x,
                            const std::string &what) {
  std::vector<double> act(static_cast<size_t>(cur.a.m), 0.0);
  for (int32_t j = 0; j < cur.a.n; ++j)
    for (int32_t p = cur.a.start[static_cast<size_t>(j)]; p < cur.a.start[static_cast<size_t>(j) + 1]; ++p)
      act[static_cast<size_t>(cur.a.index[static_cast<size_t>(p)])] +=
          cur.a.value[static_cast<size_t>(p)] * x[static_cast<size_t>(j)];
  for (int32_t i = m0; i < cur.a.m; ++i) {
    const double up = cur.rowup[static_cast<size_t>(i)];
    EXPECT_LE(act[static_cast<size_t>(i)], up + 1e-6 * std::max(1.0, std::fabs(up))) << what << " cut row " << i - m0;
  }
}

// Solves the instance with cuts off for an optimal solution, then runs the
// root cut loop on its relaxation and checks every round's cuts against it.
void check_cuts_valid(const std::string &name, int64_t &total) {
  tvltest::ApiSession s("cuts");
  MipModel model;
  double optval = 0.0;
  const std::vector<double> opt = tvltest::known_optimum(s, name, model, optval);
  ASSERT_FALSE(opt.empty()) << name;
  tvl::mip::NodeLp lp(model, tvl::lp::simplex_control(s.env));
  tvl::lp::LpResult r = lp.solve();
  ASSERT_EQ(r.status, tvl::lp::LpStatus::Optimal) << name;
  tvl::mip::CutLoopSettings settings;
  settings.passes = 20;
  settings.fraccuts = settings.covers = settings.mircuts = 1;
  // Probing's implications feed the implied bound cuts and the MIR's variable bounds.
  tvl::mip::Prober prober(model, 1e-6);
  settings.implications = std::make_shared<const std::vector<tvl::mip::Implication>>(
      prober.run(model.lp.collo, model.lp.colup, {}, 1000000, [] { return false; }).implications);
  tvl::mip::RootCutLoop loop(model, settings);
  tvl::mip::MipRecord record;
  const int32_t m0 = model.m();
  const int64_t before = total;
  loop.run(lp, r, tvl::kNoValue, record, [&](const tvl::lp::LpResult &res, int, int64_t count) {
    total += count;
    expect_added_rows_hold(lp.current(), m0, opt, name);
    // The bound stays below the optimum (internal minimisation form).
    EXPECT_LE(res.objval, optval * model.lp.objsense + 1e-6 * std::max(1.0, std::fabs(optval))) << name;
  });
  int64_t counted = 0;
  for (int64_t c : record.cuts) counted += c;
  EXPECT_EQ(counted, total - before) << name;
}

TEST(CutLoop, NoCutSeparatesAKnownOptimumOfRealInstances) {
  int64_t total = 0;
  for (const char *name : {"egout", "enigma", "flugpl", "gt2", "lseu", "p0033", "rgn", "stein27"})
    check_cuts_valid(name, total);
  EXPECT_GT(total, 50);
}

// Cuts separated at a node hold for the whole tree: at nodes that exclude
// the known optimum (a fractional column pushed to the side away from the
// optimum's value, several levels deep) the tree's cuts must still hold
// at the optimum, and a node that contains it may not be cut off.
void check_tree_cuts_valid(const std::string &name, int64_t &total) {
  tvltest::ApiSession s("treecuts");
  MipModel model;
  double optval = 0.0;
  const std::vector<double> opt = tvltest::known_optimum(s, name, model, optval);
  ASSERT_FALSE(opt.empty()) << name;
  tvl::mip::CutLoopSettings settings;
  // At the automatic setting only MIR cuts go to the tree, and only where
  // the root found some and a quarter of the rows holds a full round of 20.
  EXPECT_EQ(tvl::mip::TreeCuts(model, settings, 1).enabled(), model.m() >= 80) << name;
  EXPECT_FALSE(tvl::mip::TreeCuts(model, settings, 0).enabled()) << name;
  settings.mircuts = -1;
  EXPECT_FALSE(tvl::mip::TreeCuts(model, settings, 1).enabled()) << name;
  settings.covers = settings.mircuts = 2;
  for (int away = 1; away >= 0; --away) {
    // A fresh LP and cut set per dive, so that the cuts of one do not
    // hide those of the other.
    tvl::mip::NodeLp lp(model, tvl::lp::simplex_control(s.env));
    tvl::mip::TreeCuts cuts(model, settings, 0);
    ASSERT_TRUE(cuts.enabled());
    tvl::mip::MipRecord record;
    std::vector<tvl::mip::BoundChange> changes;
    tvl::lp::LpResult r = lp.solve();
    for (int depth = 1; depth <= 8 && r.status == tvl::lp::LpStatus::Optimal; ++depth) {
      int32_t col = -1;
      for (int32_t j : model.intcols)
        if (std::fabs(r.x[static_cast<size_t>(j)] - std::round(r.x[static_cast<size_t>(j)])) > 1e-4) col = j;
      if (col < 0) break;
      const double v = r.x[static_cast<size_t>(col)], o = opt[static_cast<size_t>(col)];
      // Toward the optimum's value, or (away) to the other side of v.
      const bool up = away ? o < v : o > v;
      changes.push_back({col, up ? std::ceil(v) : lp.lower(col), up ? lp.upper(col) : std::floor(v)});
      lp.load(changes);
      r = lp.solve();
      if (r.status != tvl::lp::LpStatus::Optimal) break;
      total += cuts.separate(lp, r, tvl::kNoValue, record);
      expect_added_rows_hold(lp.current(), model.m(), opt, name + (away ? " (away)" : ""));
      if (!away) {
        ASSERT_EQ(r.status, tvl::lp::LpStatus::Optimal) << name << ": a node holding the optimum was cut off";
        EXPECT_LE(r.objval, optval * model.lp.objsense + 1e-6 * std::max(1.0, std::fabs(optval))) << name;
      }
    }
  }
}

TEST(TreeCuts, CutsSeparatedBelowTheRootHoldAtAKnownOptimum) {
  int64_t total = 0;
  for (const char *name : {"egout", "gt2", "lseu", "p0033", "rgn", "vpm1", "p0201"})
    check_tree_cuts_valid(name, total);
  EXPECT_GT(total, 20);
}

}  // namespace
