// Rounding and diving: lock counts and the rounding rule on a small model
// where the direction matters, dives on bundled MIPLIB instances whose
// points must satisfy the file's model, and whole runs with heuristics on
// and off that must reach the same optima.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "frame/problem.h"
#include "lp/lpcomp.h"
#include "mip/heuristics/box_search.h"
#include "mip/heuristics/diving.h"
#include "mip/heuristics/heur_sequence.h"
#include "mip/heuristics/local_branching.h"
#include "mip/heuristics/locks.h"
#include "mip/heuristics/one_opt.h"
#include "mip/heuristics/rins.h"
#include "mip/heuristics/simple_rounding.h"
#include "mip/mip_model.h"
#include "mip/node_lp.h"
#include "support/api_session.h"
#include "support/mip_model_of.h"
#include "support/mip_check.h"
#include "mip/row_model.h"

namespace tvl::mip {
namespace {

using tvltest::mip_of;

TEST(MipHeuristics, LocksAndRoundingDirection) {
  tvltest::ApiSession s("round");
  // r0: x + y + z >= 2       (x, y, z integer in [0, 3])
  // r1: x - y     <= 0.2
  // r2: z         <= 2.6
  const MipModel m = mip_of(s, 3, 3, {1, 1, 1, /**/ 1, -1, 0, /**/ 0, 0, 1}, "GLL", {2, 0.2, 2.6}, {0, 0, 0}, {3, 3, 3}, "III");
  const Locks l = compute_locks(m);
  EXPECT_EQ(l.down, (std::vector<int32_t>{1, 2, 1}));  // r0 for each, r1 for y
  EXPECT_EQ(l.up, (std::vector<int32_t>{1, 0, 1}));    // r1 for x, r2 for z
  // x is locked both ways: down would break r0, up keeps r1 (0.1 <= 0.2);
  // y has no up-lock; z goes down, which r0 can afford after x and y rose.
  std::vector<double> x = {0.7, 0.9, 0.7}, act;
  row_activities(m.lp, x, act);
  ASSERT_TRUE(round_by_locks(m, l, 1e-6, 1e-9, x, act));
  EXPECT_EQ(x, (std::vector<double>{1.0, 1.0, 0.0}));
  EXPECT_LE(max_violation(m, x), 1e-9);
  // Locked both ways with no room on either side: rounding gives up.
  std::vector<double> tight = {0.5, 0.5, 1.0};
  row_activities(m.lp, tight, act);
  EXPECT_FALSE(round_by_locks(m, l, 1e-6, 1e-9, tight, act));
}

// 1-opt moves the costliest column first, as far as rows and bounds let
// it, and leaves columns alone that cannot move a whole step or that could
// move without end.
TEST(MipHeuristics, OneOptShiftsColumnsTowardsLowerCost) {
  const double I = 1e20;
  // x0 + x1 >= 2, x2 - x0 <= 1; costs 1, 2, -1, -1; x3 in no row, unbounded.
  const MipModel m = tvltest::row_model({{1, 1, 0, 0}, {-1, 0, 1, 0}}, {2, -I}, {I, 1}, {1, 2, -1, -1}, {5, 5, 3, I});
  std::vector<double> x = {2, 1, 0, 0};
  ASSERT_TRUE(one_opt(m, x));
  // x1 drops by one (row 0 then tight), x0 cannot drop, x2 rises to 3.
  EXPECT_EQ(x, (std::vector<double>{2, 0, 3, 0}));
  EXPECT_FALSE(one_opt(m, x));  // nothing left to gain
  EXPECT_EQ(x, (std::vector<double>{2, 0, 3, 0}));
  // Less than a whole step of room: no move.
  const MipModel by_bound = tvltest::row_model({{2, 0}}, {-I}, {3}, {0, -1}, {5, 5});
  std::vector<double> y = {0, 1};
  const MipModel frac = tvltest::row_model({{0, 2}}, {-I}, {3}, {0, -1}, {5, 5});
  EXPECT_FALSE(one_opt(frac, y));
  EXPECT_EQ(y, (std::vector<double>{0, 1}));
  EXPECT_TRUE(one_opt(by_bound, y));  // the row holds x0 only: up to the bound
  EXPECT_EQ(y, (std::vector<double>{0, 5}));
}

// The local branching row counts the binaries that leave the incumbent's
// values: +x for a 0, -x for a 1, at most the radius (capped at a fifth of
// the binaries) minus the incumbent's ones; general integers stay out.
TEST(MipHeuristics, LocalBranchingRowAroundTheIncumbent) {
  const double I = 1e20;
  std::vector<double> row(22, 1.0), colup(22, 1.0), x(22, 0.0);
  colup[21] = 7;  // a general integer
  x[0] = x[5] = x[9] = 1.0;
  x[21] = 4.0;
  const MipModel m = tvltest::row_model({row}, {1}, {I}, std::vector<double>(22, 1.0), colup);
  MipModel sub;
  ASSERT_TRUE(local_branching_model(m, x, 10, 20, sub));
  ASSERT_EQ(sub.m(), 2);
  EXPECT_EQ(sub.lp.rowup[1], 4 - 3);  // radius min(10, 21 / 5) less three ones
  for (int32_t j = 0; j < 22; ++j) {
    const int32_t last = sub.lp.a.start[static_cast<size_t>(j) + 1] - 1;
    if (j == 21) {
      EXPECT_EQ(sub.lp.a.index[static_cast<size_t>(last)], 0);
      continue;
    }
    EXPECT_EQ(sub.lp.a.index[static_cast<size_t>(last)], 1) << j;
    EXPECT_EQ(sub.lp.a.value[static_cast<size_t>(last)], x[static_cast<size_t>(j)] == 1.0 ? -1.0 : 1.0) << j;
  }
  EXPECT_EQ(max_violation(sub, x), 0.0);  // the incumbent lies inside
  EXPECT_FALSE(local_branching_model(m, x, 10, 22, sub));  // too few binaries
}

// RINS fixes exactly the integer columns where the LP agrees with the
// incumbent, hands the restricted copy to the sub-MIP search with the
// cutoff, keeps only a feasible answer, and skips neighbourhoods that fix
// too little or everything.
TEST(MipHeuristics, RinsFixesWhereLpAndIncumbentAgree) {
  tvltest::ApiSession s("rins");
  // Four integer columns in [0, 3] and one continuous, one row x0+..+x3 >= 2.
  const MipModel m = mip_of(s, 1, 5, {1, 1, 1, 1, 0}, "G", {2}, {0, 0, 0, 0, 0}, {3, 3, 3, 3, 5}, "IIIIC");
  lp::LpResult lp;
  const std::vector<double> inc = {1, 1, 0, 2, 0};
  HeurInput in;
  in.env = s.env;
  in.model = &m;
  in.lp = &lp;
  in.incumbent = &inc;
  in.cutoff = 3.5;
  std::vector<double> lo, up;
  double cutoff_seen = 0.0;
  std::vector<double> answer;
  Rins rins(
      [&](const MipModel &sub, int64_t nodes, double cutoff, SubMipAim aim) {
        EXPECT_EQ(nodes, 77);
        EXPECT_EQ(aim, SubMipAim::Improve);
        lo = sub.lp.collo, up = sub.lp.colup, cutoff_seen = cutoff;
        return answer;
      },
      77);
  Points found;
  lp.x = {1.0, 0.4, 0.0, 2.0, 1.0};  // agrees on columns 0, 2, 3
  answer = {1, 1, 0, 0, 0};          // objective 2 < 3.5, feasible
  rins.run(in, found);
  EXPECT_EQ(lo, (std::vector<double>{1, 0, 0, 2, 0}));
  EXPECT_EQ(up, (std::vector<double>{1, 3, 0, 2, 5}));
  EXPECT_EQ(cutoff_seen, 3.5);
  ASSERT_EQ(found.size(), 1u);
  answer = {0, 0, 0, 1, 0};  // violates the row: not kept
  rins.run(in, found);
  EXPECT_EQ(found.size(), 1u);
  lo.clear();
  lp.x = {0.5, 0.4, 0.5, 2.5, 1.0};  // nothing agrees: not worth a search
  rins.run(in, found);
  EXPECT_TRUE(lo.empty());
  lp.x = {1.0, 1.0, 0.0, 2.0, 3.0};  // everything agrees: nothing to search
  rins.run(in, found);
  EXPECT_TRUE(lo.empty());
}

TEST(MipHeuristics, BoxSearchBoundsOnlyTheMissingSidesAroundTheRoot) {
  tvltest::ApiSession s("box");
  // x free integer, y integer >= -2 without upper bound, z integer in
  // [0, 4], w continuous and free; x + y + z + w >= 1.
  const double I = 1e20;
  MipModel m = mip_of(s, 1, 4, {1, 1, 1, 1}, "G", {1}, {-I, -2, 0, -I}, {I, I, 4, I}, "IIIC");
  m.lp.cost.assign(4, 0.0);  // a feasibility model
  ASSERT_TRUE(BoxSearch::wanted(m));
  EXPECT_FALSE(BoxSearch::wanted(mip_of(s, 1, 2, {1, 1}, "G", {1}, {0, -I}, {3, I}, "IC")));
  lp::LpResult lp;
  lp.x = {-30.5, 0.2, 1.0, 7.0};
  HeurInput in;
  in.env = s.env;
  in.model = &m;
  in.lp = &lp;
  std::vector<std::vector<double>> los, ups;
  std::vector<double> answer;
  std::vector<std::vector<double>> pulls;
  BoxSearch box(
      [&](const MipModel &sub, int64_t nodes, double, SubMipAim aim) {
        if (aim == SubMipAim::Guided) {
          // Without an objective the whole model comes first, its only
          // half-bounded integer column y pulled down towards -2.
          EXPECT_EQ(sub.lp.collo, m.lp.collo);
          EXPECT_EQ(nodes, 500);
          pulls.push_back(sub.lp.cost);
          return std::vector<double>{};
        }
        EXPECT_EQ(aim, SubMipAim::AnyPoint);
        los.push_back(sub.lp.collo), ups.push_back(sub.lp.colup);
        return answer;
      },
      50);
  Points found;
  box.run(in, found);  // nothing found: both boxes are tried
  ASSERT_EQ(pulls.size(), 1u);
  EXPECT_EQ(pulls[0], (std::vector<double>{0, 1, 0, 0}));
  ASSERT_EQ(los.size(), 2u);
  EXPECT_EQ(los[0], (std::vector<double>{-336, -2, 0, -I}));  // 10 * 30.5 around -30.5
  EXPECT_EQ(ups[0], (std::vector<double>{275, 11, 4, I}));     // y: 10 * max(1, 0.2) beyond 0.2
  EXPECT_EQ(los[1][0], -30531.0);                               // the second box: 1000 times
  EXPECT_EQ(ups[1][1], 1001.0);
  EXPECT_TRUE(found.empty());
  answer = {0, 1, 0, 0};
  box.run(in, found);  // the first box has a point: the second is not tried
  EXPECT_EQ(los.size(), 3u);
  ASSERT_EQ(found.size(), 1u);
  // A model with an objective is not pulled.
  MipModel costed = m;
  costed.lp.cost = {1, 0, 0, 0};
  in.model = &costed;
  box.run(in, found);
  EXPECT_EQ(pulls.size(), 2u);
  EXPECT_EQ(los.size(), 4u);
}

// Part of an infeasible variant of p0033 with bounds dropped and no
// objective (the conflict refiner's check of one member): free and
// half-bounded integer columns.
const char *const kP0033Member =
    "Minimize\n"
    " obj:\n"
    "Subject To\n"
    " R114: C157 + C158 + C159 + C160 <= 1\n"
    " R115: C161 + C162 + C163 <= 1\n"
    " R117: C166 + C167 + C168 + C169 + C171 <= 1\n"
    " R118: - 230 C166 - 200 C172 - 400 C173 <= -5\n"
    " R119: 300 C159 + 300 C160 + 285 C161 + 285 C162 + 265 C164 + 265 C165\n"
    "       + 230 C168 + 230 C169 + 190 C170 + 200 C178 + 400 C179 + 200 C180\n"
    "       + 400 C181 + 200 C182 + 400 C183 + 200 C184 + 400 C185 + 200 C186\n"
    "       + 400 C187 <= 2700\n"
    " R121: - 300 C160 - 200 C186 - 400 C187 <= -100\n"
    " R123: - 300 C157 - 300 C159 - 285 C162 - 265 C165 - 230 C169 - 190 C170\n"
    "       - 200 C182 - 400 C183 - 200 C184 - 400 C185 <= -1656\n"
    " R125: - 285 C161 - 265 C164 - 230 C167 - 230 C168 - 200 C178 - 400 C179\n"
    "       - 200 C180 - 400 C181 <= -1026\n"
    " R127: - 300 C158 - 200 C174 - 400 C175 - 200 C176 - 400 C177 <= -500\n"
    " R128: - 285 C163 - 200 C188 - 400 C189 <= -270\n"
    " c1: 171 C157 + 171 C158 + 171 C159 + 171 C160 + 163 C161 + 162 C162 + 163 C163\n"
    "     + 69 C164 + 69 C165 + 183 C166 + 183 C167 + 183 C168 + 183 C169 + 49 C170\n"
    "     + 183 C171 + 258 C172 + 517 C173 + 250 C174 + 500 C175 + 250 C176\n"
    "     + 500 C177 + 159 C178 + 318 C179 + 159 C180 + 318 C181 + 159 C182\n"
    "     + 318 C183 + 159 C184 + 318 C185 + 114 C186 + 228 C187 + 159 C188\n"
    "     + 318 C189 <= 3085.911\n"
    "Bounds\n"
    "      C157 Free\n"
    "      C158 >= 0\n"
    "      C159 >= 0\n"
    "      C160 >= 0\n"
    "      C161 Free\n"
    "      C162 >= 0\n"
    "      C163 >= 0\n"
    " -Inf <= C164 <= 1\n"
    " -Inf <= C165 <= 1\n"
    "      C166 >= 0\n"
    "      C167 Free\n"
    "      C168 >= 0\n"
    "      C169 >= 0\n"
    " -Inf <= C170 <= 1\n"
    "      C171 >= 0\n"
    "      C172 >= 0\n"
    "      C173 >= 0\n"
    "      C174 Free\n"
    "      C175 Free\n"
    "      C176 Free\n"
    "      C177 Free\n"
    " -Inf <= C178 <= 1\n"
    " -Inf <= C179 <= 1\n"
    " -Inf <= C180 <= 1\n"
    " -Inf <= C181 <= 1\n"
    " -Inf <= C182 <= 1\n"
    " -Inf <= C183 <= 1\n"
    " -Inf <= C184 <= 1\n"
    "      C185 Free\n"
    "      C186 Free\n"
    "      C187 Free\n"
    "      C188 Free\n"
    "      C189 Free\n"
    "Generals\n"
    " C157  C158  C159  C160  C161  C162  C163  C164  C165  C166  C167  C168  C169 \n"
    " C170  C171  C172  C173  C174  C175  C176  C177  C178  C179  C180  C181  C182 \n"
    " C183  C184  C185  C186  C187  C188  C189 \n"
    "End\n";

// Feasible models over free integer columns where branching from the
// relaxation follows a ray for ever, and the box search finds a point at
// the root.  Part of an infeasible variant of flugpl with bounds dropped: a
// chain of rows 0.9 s_t + a_t - s_{t+1} = 0 (without the box search,
// 20,000 nodes and no point).  Part of a variant of p0033 with bounds
// dropped and no objective: r119 and c1 pin a sum of multiples of 5 to
// 2700; best bound ties on every node there, and before the box's search
// went by estimate its 500 nodes, like the main search's millions, stayed
// in the top levels of the tree.  A larger part of that variant (the
// conflict refiner's check of one member): no box finds a point within
// its nodes, but the whole model under a pull of its half-bounded columns
// towards their bounds does, where the search alone met none in millions
// of nodes.
TEST(MipHeuristics, BoxSearchFindsAPointWhereBranchingFollowsARay) {
  const std::vector<std::pair<std::string, std::string>> models = {
      {"chain",
       "Minimize\n obj:\nSubject To\n"
       " a2: 0.9 s1 + a1 - s2 = 0\n d2: 150 s2 - 100 a2 + u2 >= 9000\n"
       " a3: 0.9 s2 + a2 - s3 = 0\n d3: 150 s3 - 100 a3 + u3 >= 8000\n"
       " a4: 0.9 s3 + a3 - s4 = 0\n d4: 150 s4 - 100 a4 + u4 >= 10000\n"
       " a5: 0.9 s4 + a4 - s5 = 0\n d5: 150 s5 - 100 a5 + u5 >= 9000\n"
       " a6: 0.9 s5 + a5 - s6 = 0\n d6: 150 s6 - 100 a6 + u6 >= 12000\n"
       " e6: - 20 s6 + u6 <= 0\n"
       " c: 2700 s1 + 1500 a1 + 2700 s2 + 1500 a2 + 30 u2 + 2700 s3 + 1500 a3 + 30 u3\n"
       "    + 2700 s4 + 1500 a4 + 30 u4 + 2700 s5 + 1500 a5 + 30 u5 + 2700 s6 + 1500 a6 + 30 u6 <= 1200298.5\n"
       "Bounds\n s1 free\n a1 free\n s2 free\n a2 free\n s3 free\n a3 free\n s4 free\n a4 free\n"
       " s5 free\n a5 free\n s6 free\n u6 free\n"
       "Generals\n a1 s2 a2 s3 a3 s4 a4 s5 a5 s6 a6\nEnd\n"},
      {"sum2700",
       "Minimize\n obj:\nSubject To\n"
       " r114: x57 + x58 + x59 + x60 <= 1\n r116: x64 + x65 <= 1\n"
       " r117: x66 + x67 + x68 + x69 + x71 <= 1\n"
       " r119: 300 x59 + 300 x60 + 285 x61 + 285 x62 + 265 x64 + 265 x65 + 230 x68 + 230 x69 + 190 x70\n"
       "  + 200 x78 + 400 x79 + 200 x80 + 400 x81 + 200 x82 + 400 x83 + 200 x84 + 400 x85 + 200 x86\n"
       "  + 400 x87 <= 2700\n"
       " r123: - 300 x57 - 300 x59 - 285 x62 - 265 x65 - 230 x69 - 190 x70 - 200 x82 - 400 x83\n"
       "  - 200 x84 - 400 x85 <= -1656\n"
       " r125: - 285 x61 - 265 x64 - 230 x67 - 230 x68 - 200 x78 - 400 x79 - 200 x80 - 400 x81 <= -1026\n"
       " c1: 300 x59 + 300 x60 + 285 x61 + 285 x62 + 265 x64 + 265 x65 + 230 x68 + 230 x69 + 190 x70\n"
       "  + 200 x78 + 400 x79 + 200 x80 + 400 x81 + 200 x82 + 400 x83 + 200 x84 + 400 x85 + 200 x86\n"
       "  + 400 x87 >= 2697.695\n"
       "Bounds\n x57 free\n x62 <= 1\n x65 free\n x67 free\n x69 <= 1\n x70 <= 1\n x81 free\n"
       " -inf <= x82 <= 1\n -inf <= x83 <= 1\n -inf <= x84 <= 1\n -inf <= x85 <= 1\n"
       "Generals\n x57 x58 x59 x60 x61 x62 x64 x65 x66 x67 x68 x69 x70 x71 x78 x79 x80 x81 x82 x83 x84\n"
       " x85 x86 x87\nEnd\n"},
      {"pulled", kP0033Member}};
  for (const auto &[name, text] : models) {
    SCOPED_TRACE(name);
    const std::string file = std::string(TAVLO_BINARY_DIR) + "/box_" + name + ".lp";
    std::ofstream(file) << text;
    tvltest::ApiSession s("box");
    ASSERT_EQ(TVLreadcopyprob(s.env, s.lp, file.c_str(), nullptr), 0) << s.errors;
    s.set(TVL_PARAM_THREADS, 1);
    s.set(TVL_PARAM_NODELIM, 20000);
    ASSERT_EQ(TVLmipopt(s.env, s.lp), 0) << s.errors;
    EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_OPTIMAL);
    const int n = TVLgetnumcols(s.env, s.lp);
    std::vector<double> x(static_cast<size_t>(n));
    ASSERT_EQ(TVLgetx(s.env, s.lp, x.data(), 0, n - 1), 0);
    const double v = tvltest::mip_violation(file, x);
    EXPECT_GE(v, 0.0);
    EXPECT_LE(v, 1e-6);
    std::remove(file.c_str());
  }
}

// The same model under the pull objective, with a user cutoff far out
// (1e19): reduced-cost fixing once turned that cutoff into upper bounds
// near 5e19 on columns that had none, and the node LPs never met a point
// again (700,000 nodes); with the cutoff at 1e9 the point comes at once.
TEST(MipHeuristics, AFarCutoffPutsNoHugeBoundsOnColumns) {
  std::string text = kP0033Member;
  const std::string flat = " obj:\n";
  text.replace(text.find(flat), flat.size(),
               " obj: - C164 - C165 - C170 - C178 - C179 - C180 - C181 - C182 - C183 - C184\n");
  const std::string file = std::string(TAVLO_BINARY_DIR) + "/far_cutoff.lp";
  std::ofstream(file) << text;
  tvltest::ApiSession s("far");
  ASSERT_EQ(TVLreadcopyprob(s.env, s.lp, file.c_str(), nullptr), 0) << s.errors;
  s.set(TVL_PARAM_THREADS, 1);
  s.set(TVL_PARAM_NODELIM, 20000);
  ASSERT_EQ(TVLsetdblparam(s.env, TVL_PARAM_CUTUP, 1e19), 0);
  ASSERT_EQ(TVLmipopt(s.env, s.lp), 0) << s.errors;
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVLMIP_OPTIMAL);
  std::remove(file.c_str());
}

// Every dive rule on instances with a fractional root: every point they
// return satisfies the model of the file; the node LP's bounds are the
// caller's to restore, and the dive stays within its iteration budget.
// The pseudo-cost dive reads the search's costs (here without any
// observation); the guided dive needs an incumbent (the fractional dive's
// first point), does nothing without one, and heads for it.
TEST(MipHeuristics, DivesOnBundledInstances) {
  const std::string must_find = "stein27 egout rgn";  // the others may end at a dead end
  for (const char *name : {"p0033", "lseu", "stein27", "gt2", "egout", "rgn", "flugpl"}) {
    std::vector<double> incumbent;
    for (DiveRule rule : {DiveRule::Fractional, DiveRule::Coefficient, DiveRule::Pseudocost, DiveRule::Guided}) {
      tvltest::ApiSession s("dive");
      const std::string file = tvltest::instance_path("miplib", name);
      ASSERT_EQ(TVLreadcopyprob(s.env, s.lp, file.c_str(), nullptr), 0);
      MipModel model;
      build_mip_model(s.lp, model);
      lp::SimplexControl ctl = lp::simplex_control(s.env);
      NodeLp lp(model, ctl);
      const lp::LpResult root = lp.solve();
      ASSERT_EQ(root.status, lp::LpStatus::Optimal) << name;
      const Locks locks = compute_locks(model);
      Diving dive(rule, locks);
      dive.set_budget(5000, uint64_t{1} << 50);
      HeurInput in;
      in.env = s.env;
      in.model = &model;
      in.lp = &root;
      in.node_lp = &lp;
      const Pseudocosts costs(model.n());
      in.pseudocosts = &costs;
      if (!incumbent.empty()) in.incumbent = &incumbent;
      Points found;
      dive.run(in, found);
      if (rule == DiveRule::Fractional && !found.empty()) incumbent = found.front();
      if (rule == DiveRule::Guided && incumbent.empty()) {
        EXPECT_TRUE(found.empty()) << name;
        EXPECT_EQ(dive.iterations_spent(), 0) << name;
      }
      // The node's bounds are back, for the heuristic that runs next.
      for (int32_t j = 0; j < model.n(); ++j) {
        EXPECT_EQ(lp.lower(j), model.lp.collo[static_cast<size_t>(j)]) << name << " col " << j;
        EXPECT_EQ(lp.upper(j), model.lp.colup[static_cast<size_t>(j)]) << name << " col " << j;
      }
      EXPECT_LE(dive.iterations_spent(), 5000 + 2 * model.m()) << name;
      for (const auto &x : found) EXPECT_LE(tvltest::mip_violation(file, x), 1e-6) << name;
      if (must_find.find(name) != std::string::npos) {
        EXPECT_FALSE(found.empty()) << name;
      }
    }
  }
}

// Node log lines that report a heuristic incumbent: '*', the node number
// in six places, '+', and a blank objective field (no node LP value).
int heuristic_lines(const std::string &log) {
  int k = 0;
  for (size_t p = 0; (p = log.find('*', p)) != std::string::npos; ++p) {
    if ((p > 0 && log[p - 1] != '\n') || p + 33 >= log.size() || log[p + 7] != '+') continue;
    EXPECT_EQ(log.substr(p + 14, 19), std::string(19, ' ')) << log.substr(p, 80);
    ++k;
  }
  return k;
}

struct Outcome {
  int status = 0;
  double objective = NAN;
  double violation = -1.0;
  std::string log;
};

Outcome solve(const std::string &name, int heurfreq, int fpheur, int rins, int lbheur = 0) {
  tvltest::ApiSession s("heur");
  const std::string file = tvltest::instance_path("miplib", name);
  Outcome o;
  if (TVLreadcopyprob(s.env, s.lp, file.c_str(), nullptr) != 0) return o;
  TVLCHANNELptr res = nullptr;
  TVLgetchannels(s.env, &res, nullptr, nullptr, nullptr);
  TVLaddfuncdest(s.env, res, &o.log, tvltest::collect_text);
  TVLsetintparam(s.env, TVL_PARAM_HEURFREQ, heurfreq);
  TVLsetintparam(s.env, TVL_PARAM_FPHEUR, fpheur);
  TVLsetintparam(s.env, TVL_PARAM_RINSHEUR, rins);
  TVLsetintparam(s.env, TVL_PARAM_LBHEUR, lbheur);
  TVLsetdblparam(s.env, TVL_PARAM_TILIM, 120.0);
  EXPECT_EQ(TVLmipopt(s.env, s.lp), 0);
  o.status = TVLgetstat(s.env, s.lp);
  TVLgetobjval(s.env, s.lp, &o.objective);
  std::vector<double> x(static_cast<size_t>(TVLgetnumcols(s.env, s.lp)));
  if (TVLgetx(s.env, s.lp, x.data(), 0, static_cast<int>(x.size()) - 1) == 0)
    o.violation = tvltest::mip_violation(file, x);
  return o;
}

// Heuristic incumbents carry the '+' mark; switched off, none appears; the
// optimum is the same either way.
TEST(MipHeuristics, RunsWithAndWithoutHeuristicsAgree) {
  for (const char *name : {"stein27", "lseu", "gt2"}) {
    const Outcome on = solve(name, 0, 2, 0, 1), off = solve(name, -1, -1, -1);
    ASSERT_TRUE(on.status == TVLMIP_OPTIMAL || on.status == TVLMIP_OPTIMAL_TOL) << name << on.log;
    ASSERT_TRUE(off.status == TVLMIP_OPTIMAL || off.status == TVLMIP_OPTIMAL_TOL) << name;
    EXPECT_NEAR(on.objective, off.objective, 1e-6 * std::max(1.0, std::fabs(off.objective))) << name;
    EXPECT_LE(on.violation, 1e-6);
    EXPECT_GE(heuristic_lines(on.log), 1) << name;
    EXPECT_EQ(heuristic_lines(off.log), 0) << name << off.log;
  }
}

}  // namespace
}  // namespace tvl::mip
