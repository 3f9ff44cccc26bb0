// MIP presolve: bound tightening from row activities, the LP reductions
// restricted to what keeps integrality (checked on the postsolve steps of
// every bundled MIPLIB instance), and whole runs with presolve on and off
// reaching the same optima with incumbents feasible on the files.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "frame/problem.h"
#include "mip/mip_model.h"
#include "mip/presolve/bound_tighten.h"
#include "mip/presolve/coef_strengthen.h"
#include "mip/presolve/gcd_rows.h"
#include "mip/presolve/lp_reductions.h"
#include "mip/presolve/mip_presolve.h"
#include "presolve/presolve.h"
#include "support/api_session.h"
#include "support/mip_model_of.h"
#include "support/mip_check.h"

namespace tvl::mip {
namespace {

constexpr double I = 1e20;

using tvltest::mip_of;

TEST(MipPresolve, ActivityBoundsRoundIntegerColumnsAndProveInfeasibility) {
  tvltest::ApiSession s("bt");
  // r0: 2x + 3y + z <= 7.5     x, y integer >= 0, z continuous >= 0
  // r1: w - 4y >= 1            w integer in [0, 10]
  const MipModel base = mip_of(s, 2, 4, {2, 3, 1, 0, /**/ 0, -4, 0, 1}, "LG", {7.5, 1.0}, {0, 0, 0, 0},
                               {I, I, I, 10}, "IICI");
  MipModel m = base;
  std::string said;
  ActivityBoundTightening bt(1e-6, [&said](const std::string &t) { said += t; });
  const ReductionOutcome out = bt.apply(m);
  EXPECT_EQ(out.status, 0);
  EXPECT_TRUE(out.changed);
  EXPECT_FALSE(out.step);  // bounds only: no postsolve step
  EXPECT_EQ(m.lp.colup[0], 3.0);    // 2x <= 7.5
  EXPECT_EQ(m.lp.colup[1], 2.0);    // 3y <= 7.5 and 4y <= w - 1 <= 9
  EXPECT_EQ(m.lp.collo[3], 1.0);    // w >= 1 + 4y >= 1
  EXPECT_EQ(m.lp.colup[2], I);      // continuous columns keep their bounds
  EXPECT_EQ(said, "");

  // A bound within the tolerance of an integer rounds to it, not past it.
  MipModel near = base;
  near.lp.rowup[0] = 6.0000000001;  // 2x <= 6 (+ noise): x <= 3
  ActivityBoundTightening(1e-6, nullptr).apply(near);
  EXPECT_EQ(near.lp.colup[0], 3.0);

  // w - 4y >= 1 with w <= 10 and y >= 3 leaves no room for w.
  MipModel none = base;
  none.lp.collo[1] = 3.0;
  ActivityBoundTightening strict(1e-6, [&said](const std::string &t) { said += t; });
  EXPECT_EQ(strict.apply(none).status, 1117);
  EXPECT_NE(said.find("infeasible"), std::string::npos) << said;
}

// A binary's coefficient shrinks by the slack its row keeps when the
// binary sits at its other value; the integer points stay the same.
TEST(MipPresolve, CoefficientStrengtheningKeepsTheIntegerPoints) {
  tvltest::ApiSession s("cs");
  // r0: 5x + 3y + 2z <= 6 (z continuous in [0, 1]) -> 4x + 3y + 2z <= 5
  // r1: -5x + 3y >= -4 (read as 5x - 3y <= 4)  -> -x + y >= 0
  MipModel m = mip_of(s, 2, 3, {5, 3, 2, /**/ -5, 3, 0}, "LG", {6, -4}, {0, 0, 0}, {1, 1, 1}, "BBC");
  const MipModel before = m;
  CoefficientStrengthening cs(1e-6);
  EXPECT_TRUE(cs.apply(m).changed);
  EXPECT_EQ(cs.strengthened(), 3);
  auto entry = [&](const MipModel &mm, int32_t i, int32_t j) {
    for (int32_t p = mm.lp.a.start[static_cast<size_t>(j)]; p < mm.lp.a.start[static_cast<size_t>(j) + 1]; ++p)
      if (mm.lp.a.index[static_cast<size_t>(p)] == i) return mm.lp.a.value[static_cast<size_t>(p)];
    return 0.0;
  };
  EXPECT_EQ(entry(m, 0, 0), 4.0);
  EXPECT_EQ(entry(m, 0, 1), 3.0);
  EXPECT_EQ(entry(m, 0, 2), 2.0);
  EXPECT_EQ(m.lp.rowup[0], 5.0);
  EXPECT_EQ(entry(m, 1, 0), -1.0);
  EXPECT_EQ(entry(m, 1, 1), 1.0);
  EXPECT_EQ(m.lp.rowlo[1], 0.0);
  // Same verdict on every binary point, with z at its extremes.
  for (double x : {0.0, 1.0})
    for (double y : {0.0, 1.0})
      for (double z : {0.0, 0.5, 1.0}) {
        const std::vector<double> p = {x, y, z};
        EXPECT_EQ(max_violation(m, p) <= 1e-9, max_violation(before, p) <= 1e-9) << x << y << z;
      }
  // Equality and ranged rows are left alone: 5x + 3y = 6, 1 <= 5x + 3y <= 6.
  tvltest::ApiSession s2("cs2");
  MipModel two = mip_of(s2, 2, 2, {5, 3, /**/ 5, 3}, "EL", {6, 6}, {0, 0}, {1, 1}, "BB");
  two.lp.rowlo[1] = 1;
  EXPECT_FALSE(CoefficientStrengthening(1e-6).apply(two).changed);
}

TEST(MipPresolve, CoefficientDivisorsRoundRowsToTheirGridAndProveInfeasibility) {
  double scale = 0.0;
  int64_t g = 0;
  ASSERT_TRUE(integer_grid({0.9, 1.0, -1.0}, scale, g));  // 9, 10, -10 after scaling by 10
  EXPECT_EQ(scale, 10.0);
  EXPECT_EQ(g, 1);
  ASSERT_TRUE(integer_grid({1.5, -4.5}, scale, g));
  EXPECT_EQ(scale, 2.0);
  EXPECT_EQ(g, 3);
  EXPECT_FALSE(integer_grid({1.0, std::sqrt(2.0)}, scale, g));
  EXPECT_FALSE(integer_grid({1.0, 0.333333333}, scale, g));  // not 1/3: no grid
  ASSERT_TRUE(integer_grid({1.0, 1.0 / 3.0}, scale, g));
  EXPECT_EQ(scale, 3.0);

  tvltest::ApiSession s("gcd");
  // r0: 2x + 4y <= 7             -> <= 6
  // r1: 1.5x - 4.5y >= -1         -> >= 0 (grid 1.5)
  // r2: 3x + 6y - s = 1, s continuous in [-2.5, 7] and in no other row:
  //     s = 3x + 6y - 1 lies on 3Z - 1, so s in [-1, 5]
  // r3: 2x + 3z <= 4.5, z continuous, an inequality: untouched
  const MipModel base = mip_of(s, 4, 4, {2, 4, 0, 0, /**/ 1.5, -4.5, 0, 0, /**/ 3, 6, -1, 0, /**/ 2, 0, 0, 3},
                               "LGEL", {7.0, -1.0, 1.0, 4.5}, {0, 0, -2.5, 0}, {I, I, 7, I}, "IICC");
  MipModel m = base;
  std::string said;
  GcdRowTightening gcd(1e-6, [&said](const std::string &t) { said += t; });
  const ReductionOutcome out = gcd.apply(m);
  EXPECT_EQ(out.status, 0);
  EXPECT_TRUE(out.changed);
  EXPECT_FALSE(out.step);
  EXPECT_EQ(m.lp.rowup[0], 6.0);
  EXPECT_EQ(m.lp.rowlo[1], 0.0);
  EXPECT_DOUBLE_EQ(m.lp.collo[2], -1.0);
  EXPECT_DOUBLE_EQ(m.lp.colup[2], 5.0);
  EXPECT_EQ(m.lp.rowup[3], 4.5);  // z is continuous: no grid

  // 2x + 4y = 3 has no integer point, whatever the bounds.
  MipModel odd = base;
  odd.lp.rowlo[0] = odd.lp.rowup[0] = 3.0;
  GcdRowTightening strict(1e-6, [&said](const std::string &t) { said += t; });
  EXPECT_EQ(strict.apply(odd).status, 1117);
  EXPECT_NE(said.find("has no integer solution"), std::string::npos) << said;
  // 0.9x + y - w = 0 over integers: 9x = 10(w - y), so x lies on 10 Z.
  const MipModel chain = mip_of(s, 1, 3, {0.9, 1, -1}, "E", {0.0}, {55, -I, -I}, {75, I, I}, "III");
  MipModel c = chain;
  EXPECT_EQ(GcdRowTightening(1e-6, nullptr).apply(c).status, 0);
  EXPECT_EQ(c.lp.collo[0], 60.0);
  EXPECT_EQ(c.lp.colup[0], 70.0);
  c = chain;
  c.lp.collo[0] = 57.0;
  c.lp.colup[0] = 59.0;
  said.clear();
  GcdRowTightening none(1e-6, [&said](const std::string &t) { said += t; });
  EXPECT_EQ(none.apply(c).status, 1117);
  EXPECT_NE(said.find("Integer infeasible column"), std::string::npos) << said;
  // A side within the tolerance of the grid stays where it is.
  MipModel near = base;
  near.lp.rowup[0] = 8.0000000001;
  GcdRowTightening(1e-6, nullptr).apply(near);
  EXPECT_EQ(near.lp.rowup[0], 8.0000000001);
}

// The eliminated column of each step that computes a column from others.
int32_t computed_column(const lp::pre::Step &st) {
  using lp::pre::StepKind;
  switch (st.kind) {
    case StepKind::ColSubstitution: case StepKind::SlackCol: case StepKind::Doubleton:
    case StepKind::FreeSubstitution:
      return st.col;
    case StepKind::DuplicateCol:
      return -2;  // merges two columns; checked separately
    default:
      return -1;
  }
}

// A column parallel to a free one (coefficients and cost lambda times its
// own) is fixed at its finite bound nearest zero: the free column absorbs
// it.  Beside an integer free column only an integer column with an
// integer lambda qualifies; beside a continuous one any column does.  The
// optimum of the model stays where it was.
TEST(MipPresolve, ColumnsParallelToAFreeColumnAreFixed) {
  tvltest::ApiSession s("par");
  //            x0  x1   x2  x3   x4  x5  x6  x7   x8
  // row 0:      2   4    2   3    1   4   1   3    2   >= 3
  // row 1:     -1  -2   -1 -1.5 -0.5 -2   1   3    1   >= -10
  const MipModel base =
      mip_of(s, 2, 9, {2, 4, 2, 3, 1, 4, 1, 3, 2, /**/ -1, -2, -1, -1.5, -0.5, -2, 1, 3, 1}, "GG", {3, -10},
             {-I, 0, -3, 1, 0, 0, -I, 2, 0}, {I, 5, 7, 4, 2, 3, I, 9, 1}, "IIIICIIIB");
  MipModel m = base;
  // x1, x5: 2 x0's column; x1 costs 2 x0's cost, x5 does not.  x7: 3 x6's
  // column and cost.
  m.lp.cost = {1, 2, 1, 1.5, 0.5, 5, 1, 3, 1};
  lp::PresolveSettings primal_only;  // no dual fixing: only the parallel pairs go
  primal_only.reduce = 1;
  primal_only.messages = false;
  auto reduce = [&](MipModel model) {
    ReductionOutcome out = IntegralLpReductions(primal_only).apply(model);
    EXPECT_EQ(out.status, 0);
    return out;
  };
  const ReductionOutcome out = reduce(m);
  ASSERT_TRUE(out.changed);
  ASSERT_NE(out.step, nullptr);
  // Kept: x0, x6 (free); x3 (lambda 1.5); x4 (continuous beside an integer
  // free column); x5 (cost off); x8 (another pattern).
  EXPECT_EQ(out.step->colmap(), (std::vector<int32_t>{0, 3, 4, 5, 6, 8}));
  // x1 rests at 0 (lambda 2), x2 at -3 (lambda 1, its bound nearest zero),
  // x7 at 2 (beside a continuous free column).
  const std::vector<double> full = out.step->undo({1, 1, 0, 0, 1, 0});
  ASSERT_EQ(full.size(), 9u);
  EXPECT_EQ(full[1], 0.0);
  EXPECT_EQ(full[2], -3.0);
  EXPECT_EQ(full[7], 2.0);
  // The free column need not come first among its parallels: with x0
  // bounded and x1 a free continuous column, x1 takes up x0, x2 and x3
  // (any lambda beside a continuous column), and the continuous x4 merges
  // into it once x0 has gone.
  MipModel second = m;
  second.lp.collo[0] = -50;
  second.lp.collo[1] = -I, second.lp.colup[1] = I, second.integer[1] = 0;
  const ReductionOutcome out2 = reduce(second);
  ASSERT_NE(out2.step, nullptr);
  EXPECT_EQ(out2.step->colmap(), (std::vector<int32_t>{1, 5, 6, 8}));
  // Nothing to do without a free column.
  MipModel none = m;
  none.lp.collo[0] = -50, none.lp.collo[6] = -50;
  EXPECT_FALSE(reduce(none).changed);
  // Whole runs with presolve on and off reach the same optimum.
  std::vector<int> idx(9);
  for (int j = 0; j < 9; ++j) idx[j] = j;
  ASSERT_EQ(TVLchgobj(s.env, s.lp, 9, idx.data(), m.lp.cost.data()), 0);
  double with = 0.0, without = 0.0;
  for (int pre : {1, 0}) {
    s.set(TVL_PARAM_PREIND, pre);
    ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
    ASSERT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_OPTIMAL);
    ASSERT_EQ(TVLgetobjval(s.env, s.lp, pre ? &with : &without), 0);
  }
  EXPECT_NEAR(with, without, 1e-9);
}

TEST(MipPresolve, LpReductionsNeverComputeOrMergeIntegerColumnsOfRealInstances) {
  int computed_as_lp = 0;
  for (const char *name : {"egout", "enigma", "flugpl", "gt2", "lseu", "p0033", "rgn", "stein27"}) {
    SCOPED_TRACE(name);
    tvltest::ApiSession s("mip");
    s.read_miplib(name);
    MipModel model;
    build_mip_model(s.lp, model);
    lp::PresolveSettings settings;
    settings.messages = false;
    // As an LP, for comparison: the same reductions may eliminate them.
    lp::PresolvedLp as_lp;
    lp::presolve(model.lp, settings, as_lp);
    for (const lp::pre::Step &st : as_lp.stack.steps) {
      const int32_t j = computed_column(st);
      if (j >= 0 && model.integer[j]) ++computed_as_lp;
      if (j == -2 && (model.integer[st.col] || model.integer[st.col2])) ++computed_as_lp;
    }
    settings.integer = model.integer;
    lp::PresolvedLp pre;
    ASSERT_EQ(lp::presolve(model.lp, settings, pre).status, 0);
    for (const lp::pre::Step &st : pre.stack.steps) {
      const int32_t j = computed_column(st);
      if (j >= 0) {
        EXPECT_FALSE(model.integer[j]) << "column " << j << " kind " << int(st.kind);
      } else if (j == -2) {
        EXPECT_FALSE(model.integer[st.col] || model.integer[st.col2]);
      }
    }
    // Bounds left on integer columns are integers.
    for (size_t k = 0; k < pre.colmap.size(); ++k) {
      if (!model.integer[pre.colmap[k]]) continue;
      for (double b : {pre.reduced.collo[k], pre.reduced.colup[k]})
        if (std::fabs(b) < kInfBound) {
          EXPECT_EQ(b, std::round(b)) << "column " << pre.colmap[k];
        }
    }
  }
  EXPECT_GT(computed_as_lp, 0);  // the restriction matters on these instances
}

struct Solved {
  int status = 0;
  double objective = NAN, violation = -1.0;
  std::string log;
};

Solved solve(const char *name, int preind, int reduce) {
  tvltest::ApiSession s("mip");
  std::string text;
  s.collect_results(text);
  const std::string file = s.read_miplib(name);
  TVLsetintparam(s.env, TVL_PARAM_THREADS, 1);
  TVLsetintparam(s.env, TVL_PARAM_PREIND, preind);
  TVLsetintparam(s.env, TVL_PARAM_REDUCE, reduce);
  TVLsetdblparam(s.env, TVL_PARAM_TILIM, 60.0);
  EXPECT_EQ(TVLmipopt(s.env, s.lp), 0) << s.errors;
  Solved r;
  r.status = TVLgetstat(s.env, s.lp);
  TVLgetobjval(s.env, s.lp, &r.objective);
  std::vector<double> x(static_cast<size_t>(TVLgetnumcols(s.env, s.lp)));
  if (TVLgetx(s.env, s.lp, x.data(), 0, static_cast<int>(x.size()) - 1) == 0)
    r.violation = tvltest::mip_violation(file, x);
  r.log = text;
  return r;
}

TEST(MipPresolve, RunsWithAndWithoutPresolveAgreeOnRealInstances) {
  // egout has continuous columns the reductions compute back, flugpl
  // general integers, p0033 and rgn rows the reductions remove.
  for (const char *name : {"egout", "flugpl", "p0033", "rgn"}) {
    SCOPED_TRACE(name);
    const Solved on = solve(name, 1, 3), off = solve(name, 0, 3), primal = solve(name, 1, 1);
    for (const Solved *r : {&on, &off, &primal}) {
      ASSERT_TRUE(r->status == TVLMIP_OPTIMAL || r->status == TVLMIP_OPTIMAL_TOL) << r->status;
      EXPECT_GE(r->violation, 0.0);
      EXPECT_LE(r->violation, 1e-6);
      // Optimal within the default relative gap of 1e-4.
      EXPECT_NEAR(r->objective, off.objective, 1e-4 * std::max(1.0, std::fabs(off.objective)));
    }
    EXPECT_NE(on.log.find("Presolve time = "), std::string::npos);
    EXPECT_EQ(off.log.find("Presolve time = "), std::string::npos);
    EXPECT_EQ(off.log.find("MIP Presolve"), std::string::npos);
  }
}

TEST(MipPresolve, OptimaOfTheOriginalSurviveCrushAndPostsolve) {
  // With primal reductions only, the reduced model keeps every feasible
  // point: an optimum found without presolve, crushed and mapped back,
  // is the same point (removed columns computed again from their rows).
  int shrunk = 0;
  for (const char *name : {"egout", "p0033", "flugpl"}) {
    SCOPED_TRACE(name);
    tvltest::ApiSession s("mip");
    s.read_miplib(name);
    TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
    TVLsetintparam(s.env, TVL_PARAM_PREIND, 0);
    ASSERT_EQ(TVLmipopt(s.env, s.lp), 0);
    std::vector<double> x(static_cast<size_t>(TVLgetnumcols(s.env, s.lp)));
    ASSERT_EQ(TVLgetx(s.env, s.lp, x.data(), 0, static_cast<int>(x.size()) - 1), 0);
    TVLsetintparam(s.env, TVL_PARAM_PREIND, 1);
    TVLsetintparam(s.env, TVL_PARAM_REDUCE, 1);
    MipModel model;
    build_mip_model(s.lp, model);
    MipPresolve pre(s.env, s.lp);
    ASSERT_EQ(pre.run(model), 0);
    ASSERT_TRUE(pre.reduced());
    shrunk += pre.model().n() < model.n();
    const std::vector<double> reduced = pre.crush(x);
    EXPECT_LE(max_violation(pre.model(), reduced), 1e-6);
    EXPECT_NEAR(objective_of(pre.model(), reduced), objective_of(model, x), 1e-6);
    const std::vector<double> back = pre.postsolve(reduced);
    ASSERT_EQ(back.size(), x.size());
    EXPECT_LE(max_violation(model, back), 1e-6);
    EXPECT_NEAR(objective_of(model, back), objective_of(model, x), 1e-6);
  }
  EXPECT_GT(shrunk, 0);  // columns were removed and computed back
}

}  // namespace
}  // namespace tvl::mip
