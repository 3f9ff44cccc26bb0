// Root probing: on a model built so that only a two-step chain of rows
// reveals them, probing must find the fixing, the global bound and the
// implication, and prove a model infeasible when both values of a binary
// fail; on real instances every implication and every probing result must
// hold at a known optimal solution, and the implied bound cuts and MIR
// cuts that use them must not separate it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "mip/cuts/cut.h"
#include "mip/cuts/tableau.h"
#include "mip/known_optimum.h"
#include "mip/mip_model.h"
#include "mip/probing.h"
#include "mip/row_model.h"

namespace {

using tvl::mip::Implication;
using tvl::mip::MipModel;
using tvl::mip::ProbingResult;

// Columns with bounds [0, up] (integer when `integer`), rows lo <= A x <= up given row-wise.
MipModel build(const std::vector<std::vector<double>> &rows, const std::vector<double> &rlo,
               const std::vector<double> &rup, const std::vector<double> &up, const std::vector<char> &integer) {
  return tvltest::row_model(rows, rlo, rup, std::vector<double>(up.size(), 0.0), up, integer);
}

ProbingResult probe(const MipModel &m) {
  tvl::mip::Prober prober(m, 1e-6);
  return prober.run(m.lp.collo, m.lp.colup, {}, 1000000, [] { return false; });
}

const Implication *find(const ProbingResult &r, int32_t bin, int value, int32_t col, bool upper) {
  for (const Implication &imp : r.implications)
    if (imp.bin == bin && imp.value == value && imp.col == col && (imp.upper != 0) == upper) return &imp;
  return nullptr;
}

TEST(Probing, FindsFixingsGlobalBoundsAndImplicationsBeyondOneRow) {
  // Columns: x (cont. [0,10]), y3, y1, y4 (binary), z (cont. [0,10]);
  // y3 is probed first.
  constexpr double inf = 1e20;
  const MipModel m = build({{1, 0, -10, 0, 0},    // x <= 10 y1
                            {0, 1, 1, 0, 0},      // y1 + y3 <= 1
                            {1, -1, 0, 0, 0},     // x >= y3
                            {0, 0, 0, 10, 1},     // z + 10 y4 <= 12
                            {0, 0, 0, -10, 1}},   // z - 10 y4 <= 5
                           {-inf, -inf, 0, -inf, -inf}, {0, 1, inf, 12, 5}, {10, 1, 1, 1, 10}, {0, 1, 1, 1, 0});
  const ProbingResult r = probe(m);
  ASSERT_FALSE(r.infeasible);
  // y3 = 1 forces y1 = 0, hence x <= 0, against x >= 1: y3 is fixed at 0.
  EXPECT_EQ(r.fixed, 1);
  EXPECT_EQ(r.up[1], 0.0);
  // z <= 2 when y4 = 1 and z <= 5 when y4 = 0: z <= 5 whatever y4.
  EXPECT_NEAR(r.up[4], 5.0, 1e-4);
  EXPECT_NE(std::find(r.changed.begin(), r.changed.end(), 4), r.changed.end());
  const Implication *imp = find(r, 2, 0, 0, true);  // y1 = 0 => x <= 0
  ASSERT_NE(imp, nullptr);
  EXPECT_NEAR(imp->bound, 0.0, 1e-4);
  EXPECT_EQ(imp->other, 10.0);
  const Implication *z1 = find(r, 3, 1, 4, true);  // y4 = 1 => z <= 2
  ASSERT_NE(z1, nullptr);
  EXPECT_NEAR(z1->bound, 2.0, 1e-4);

  // The implied bound cut of y1 = 0 => x <= 0 is x - 10 y1 <= 0; at
  // x = 5, y1 = 0.2 it is violated, at x = 2, y1 = 0.2 it is not.
  auto table = std::make_shared<const std::vector<Implication>>(r.implications);
  auto sep = tvl::mip::make_implied_bound_separator(table);
  for (double xv : {5.0, 2.0}) {
    tvl::lp::LpResult sol;
    sol.x = {xv, 0.0, 0.2, 0.5, 1.0};
    tvl::mip::TableauRows tableau(m.lp, sol.basis);
    tvl::mip::CutContext ctx{m, m.lp, sol, tableau};
    std::vector<tvl::mip::Cut> cuts;
    sep->separate(ctx, cuts);
    bool found = false;
    for (const tvl::mip::Cut &c : cuts) {
      double act = 0.0;
      for (size_t k = 0; k < c.ind.size(); ++k) act += c.val[k] * sol.x[static_cast<size_t>(c.ind[k])];
      EXPECT_GT(act, c.rhs) << "only violated cuts are returned";
      EXPECT_EQ(c.family, tvl::mip::kCutImplied);
      if (c.ind == std::vector<int32_t>{0, 2}) {
        found = true;
        EXPECT_NEAR(c.val[1] / c.val[0], -10.0, 1e-3);
        EXPECT_NEAR(c.rhs, 0.0, 1e-3);
      }
    }
    EXPECT_EQ(found, xv == 5.0);
  }
}

TEST(Probing, ProvesInfeasibilityWhenBothValuesFail) {
  // x1 + x2 = 1 and x1 - x2 = 0: each row alone allows every bound.
  const MipModel m = build({{1, 1}, {1, -1}}, {1, 0}, {1, 0}, {1, 1}, {1, 1});
  EXPECT_TRUE(probe(m).infeasible);
}

TEST(Probing, ImplicationsAndBoundsHoldAtKnownOptimaOfRealInstances) {
  int64_t implications = 0;
  for (const char *name : {"egout", "flugpl", "gt2", "lseu", "p0033", "rgn", "stein27"}) {
    tvltest::ApiSession s("probing");
    MipModel model;
    double optval = 0.0;
    const std::vector<double> opt = tvltest::known_optimum(s, name, model, optval);
    ASSERT_FALSE(opt.empty()) << name;
    const ProbingResult r = probe(model);
    ASSERT_FALSE(r.infeasible) << name;
    for (int32_t j = 0; j < model.n(); ++j) {
      EXPECT_GE(opt[static_cast<size_t>(j)], r.lo[static_cast<size_t>(j)] - 1e-6) << name << " col " << j;
      EXPECT_LE(opt[static_cast<size_t>(j)], r.up[static_cast<size_t>(j)] + 1e-6) << name << " col " << j;
    }
    for (const Implication &imp : r.implications) {
      if (std::fabs(opt[static_cast<size_t>(imp.bin)] - imp.value) > 1e-6) continue;
      const double v = opt[static_cast<size_t>(imp.col)], tol = 1e-6 * std::max(1.0, std::fabs(imp.bound));
      if (imp.upper) EXPECT_LE(v, imp.bound + tol) << name << " implication on col " << imp.col;
      else EXPECT_GE(v, imp.bound - tol) << name << " implication on col " << imp.col;
    }
    implications += static_cast<int64_t>(r.implications.size());
  }
  EXPECT_GT(implications, 100);
}

}  // namespace
