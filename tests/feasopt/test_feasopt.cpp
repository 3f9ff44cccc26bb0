// The feasibility relaxation on infeasible variants of bundled instances
// (an objective cut past the optimum), in every mode, each result checked
// against a relaxation model written here independently: row activities as
// columns, big-M binaries for the number of relaxed items, and, for the
// squared measure, the first-order certificate of the convex minimum.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "support/api_session.h"
#include "support/solution_check.h"

namespace {

using tvltest::ApiSession;
using tvltest::Data;

struct PrefSet {
  std::vector<double> rng, rhs, lb, ub;
};
const double *ptr(const std::vector<double> &v) { return v.empty() ? nullptr : v.data(); }
int feasopt(ApiSession &s, const PrefSet &p) { return TVLfeasopt(s.env, s.lp, ptr(p.rng), ptr(p.rhs), ptr(p.lb), ptr(p.ub)); }

// A side of a row or a bound that may move, and its cost per unit.
struct Movable {
  bool row = true;
  int index = 0;
  bool low = true;
  double limit = 0.0, weight = 0.0;
};

double pref_at(const std::vector<double> &p, int k) { return p.empty() ? 0.0 : p[static_cast<size_t>(k)]; }

std::vector<Movable> movables(const Data &d, const PrefSet &p) {
  std::vector<Movable> out;
  auto add = [&](bool row, int k, bool low, double limit, double pref) {
    if (pref > 0.0 && std::fabs(limit) < 1e20) out.push_back({row, k, low, limit, 1.0 / pref});
  };
  for (int i = 0; i < d.m; ++i) {
    double lo = 0.0, up = 0.0;
    tvltest::row_bounds(d, i, lo, up);
    const char s = d.rsense[i];
    const bool rhs_low = s == 'G' || s == 'E' || (s == 'R' && d.rng[i] >= 0.0);
    const bool rhs_up = s == 'L' || s == 'E' || (s == 'R' && d.rng[i] < 0.0);
    add(true, i, true, lo, s == 'R' && !rhs_low ? pref_at(p.rng, i) : rhs_low ? pref_at(p.rhs, i) : 0.0);
    add(true, i, false, up, s == 'R' && !rhs_up ? pref_at(p.rng, i) : rhs_up ? pref_at(p.rhs, i) : 0.0);
  }
  for (int j = 0; j < d.n; ++j) {
    add(false, j, true, d.lb[j], pref_at(p.lb, j));
    add(false, j, false, d.ub[j], pref_at(p.ub, j));
  }
  return out;
}

std::vector<double> activity(const Data &d, const std::vector<double> &x) {
  std::vector<double> ax(static_cast<size_t>(d.m), 0.0);
  for (int j = 0; j < d.n; ++j)
    for (int k = d.beg[j]; k < d.beg[j + 1]; ++k) ax[d.ind[k]] += d.val[k] * x[j];
  return ax;
}

double amount(const Movable &mv, const std::vector<double> &x, const std::vector<double> &ax) {
  const double v = mv.row ? ax[mv.index] : x[mv.index];
  return std::max(0.0, mv.low ? mv.limit - v : v - mv.limit);
}

// Measure of kind 0 (sum), 1 (number) or 2 (squares).
double measure(const Data &d, const std::vector<Movable> &mvs, int kind, const std::vector<double> &x) {
  const std::vector<double> ax = activity(d, x);
  double sum = 0.0;
  for (const Movable &mv : mvs) {
    const double v = amount(mv, x, ax);
    sum += kind == 0 ? mv.weight * v : kind == 1 ? (v > 1e-6 ? mv.weight : 0.0) : mv.weight * v * v;
  }
  return sum;
}

// The relaxation written independently: x, an activity column per row
// (a_i x - s_i = 0, the fixed sides as bounds of s_i), a violation column
// e per movable side linked by a row, optionally a binary z per side with
// e <= bigm z, optionally a column t per side above tangents of e^2 at a
// fine grid of points around `center` (an outer approximation of the
// squares, so its optimum bounds the true one), and optionally one row
// sum ebound e + zbound z + tbound t <= bound.
struct Formulation {
  std::vector<double> ecost, zcost, ebound, zbound;
  std::vector<double> center, tcost, tbound;
  double bound = 0.0;
  bool own_objective = false;
  double bigm = 1e4;
};

// Tangent points for side c: steps of 0.1% within 2% of its center, then
// steps of 5% over a factor of about 20 each way; below the mean center
// for a side at 0.
std::vector<double> grid(const std::vector<double> &center, int c) {
  double sum = 0.0;
  int moved = 0;
  for (double v : center)
    if (v > 0.0) sum += v, ++moved;
  std::vector<double> pts;
  const double a = center[c];
  if (a <= 0.0) {
    for (int i = 0; i <= 48; ++i) pts.push_back((moved ? sum / moved : 1.0) * std::pow(1.05, -i));
    return pts;
  }
  for (int i = -10; i <= 10; ++i) pts.push_back(a * (1 + 2e-3 * i));
  for (int i = 0; i <= 48; ++i) pts.push_back(a * 1.02 * std::pow(1.05, i)), pts.push_back(a * 0.98 * std::pow(1.05, -i));
  return pts;
}

struct Solved {
  int stat = 0;
  double obj = 0.0;
};

Solved solve_relaxed(const Data &d, const std::string &ctype, const std::vector<Movable> &mvs, const Formulation &f) {
  ApiSession s("independent");
  const int n = d.n, m = d.m, k = static_cast<int>(mvs.size());
  const bool binaries = !f.zcost.empty() || !f.zbound.empty();
  std::vector<double> obj, lb, ub;
  std::string types;
  for (int j = 0; j < n; ++j) {
    obj.push_back(f.own_objective ? d.obj[j] : 0.0);
    lb.push_back(d.lb[j]);
    ub.push_back(d.ub[j]);
    types.push_back(ctype.empty() ? 'C' : ctype[j] == 'B' ? 'I' : ctype[j]);
  }
  for (int i = 0; i < m; ++i) {
    double lo = 0.0, up = 0.0;
    tvltest::row_bounds(d, i, lo, up);
    obj.push_back(0.0), lb.push_back(lo), ub.push_back(up), types.push_back('C');
  }
  for (const Movable &mv : mvs) {
    double &b = mv.row ? (mv.low ? lb[n + mv.index] : ub[n + mv.index]) : (mv.low ? lb[mv.index] : ub[mv.index]);
    b = mv.low ? -1e20 : 1e20;
  }
  for (int c = 0; c < k; ++c) obj.push_back(f.ecost.empty() ? 0.0 : f.ecost[c]), lb.push_back(0), ub.push_back(1e20), types.push_back('C');
  for (int c = 0; binaries && c < k; ++c) obj.push_back(f.zcost.empty() ? 0.0 : f.zcost[c]), lb.push_back(0), ub.push_back(1), types.push_back('B');
  const int t0 = static_cast<int>(obj.size());
  for (int c = 0; c < static_cast<int>(f.center.size()); ++c) obj.push_back(f.tcost.empty() ? 0.0 : f.tcost[c]), lb.push_back(0), ub.push_back(1e20), types.push_back('C');
  const int ncols = static_cast<int>(obj.size());
  EXPECT_EQ(TVLnewcols(s.env, s.lp, ncols, obj.data(), lb.data(), ub.data(), nullptr, nullptr), 0);
  std::vector<std::vector<std::pair<int, double>>> rows(static_cast<size_t>(m));
  for (int j = 0; j < n; ++j)
    for (int q = d.beg[j]; q < d.beg[j + 1]; ++q) rows[d.ind[q]].push_back({j, d.val[q]});
  std::vector<int> beg, ind;
  std::vector<double> val, rhs;
  std::string sense;
  auto row = [&](std::vector<std::pair<int, double>> terms, char sn, double r) {
    beg.push_back(static_cast<int>(ind.size()));
    for (auto [j, v] : terms) ind.push_back(j), val.push_back(v);
    sense.push_back(sn), rhs.push_back(r);
  };
  for (int i = 0; i < m; ++i) {
    rows[i].push_back({n + i, -1.0});
    row(rows[i], 'E', 0.0);
  }
  for (int c = 0; c < k; ++c) {
    const Movable &mv = mvs[c];
    const int var = mv.row ? n + mv.index : mv.index, e = n + m + c;
    row({{var, 1.0}, {e, mv.low ? 1.0 : -1.0}}, mv.low ? 'G' : 'L', mv.limit);
    if (binaries) row({{e, 1.0}, {n + m + k + c, -f.bigm}}, 'L', 0.0);
  }
  for (int c = 0; c < static_cast<int>(f.center.size()); ++c)
    for (double a : grid(f.center, c)) row({{t0 + c, 1.0}, {n + m + c, -2.0 * a}}, 'G', -a * a);
  if (!f.ebound.empty() || !f.zbound.empty() || !f.tbound.empty()) {
    std::vector<std::pair<int, double>> terms;
    for (int c = 0; c < k; ++c) {
      if (!f.ebound.empty() && f.ebound[c] != 0.0) terms.push_back({n + m + c, f.ebound[c]});
      if (!f.zbound.empty() && f.zbound[c] != 0.0) terms.push_back({n + m + k + c, f.zbound[c]});
      if (!f.tbound.empty() && f.tbound[c] != 0.0) terms.push_back({t0 + c, f.tbound[c]});
    }
    row(terms, 'L', f.bound);
  }
  beg.push_back(static_cast<int>(ind.size()));
  EXPECT_EQ(TVLaddrows(s.env, s.lp, 0, static_cast<int>(rhs.size()), static_cast<int>(ind.size()), rhs.data(),
                       sense.data(), beg.data(), ind.data(), val.data(), nullptr, nullptr),
            0);
  EXPECT_EQ(TVLchgobjsen(s.env, s.lp, f.own_objective ? d.sense : TVL_MIN), 0);
  const bool mip = types.find_first_not_of('C') != std::string::npos;
  if (mip) { EXPECT_EQ(TVLcopyctype(s.env, s.lp, types.data()), 0); }
  if (mip) { EXPECT_EQ(TVLsetdblparam(s.env, TVL_PARAM_EPGAP, 1e-7), 0); }
  if (mip) { EXPECT_EQ(TVLsetdblparam(s.env, TVL_PARAM_EPINT, 1e-9), 0); }
  if (mip) { EXPECT_EQ(TVLsetintparam(s.env, TVL_PARAM_HEURFREQ, -1), 0); }
  EXPECT_EQ(mip ? TVLmipopt(s.env, s.lp) : TVLlpopt(s.env, s.lp), 0);
  Solved out;
  out.stat = TVLgetstat(s.env, s.lp);
  EXPECT_EQ(TVLgetobjval(s.env, s.lp, &out.obj), 0) << "independent model, status " << out.stat;
  return out;
}

// True when x satisfies every side that may not move (within tol), and the
// integrality of integer columns.
void expect_relaxed_feasible(const Data &d, const std::string &ctype, const std::vector<Movable> &mvs,
                             const std::vector<double> &x, const std::string &what) {
  const std::vector<double> ax = activity(d, x);
  auto moves = [&](bool row, int k, bool low) {
    return std::any_of(mvs.begin(), mvs.end(), [&](const Movable &mv) { return mv.row == row && mv.index == k && mv.low == low; });
  };
  for (int i = 0; i < d.m; ++i) {
    double lo = 0.0, up = 0.0;
    tvltest::row_bounds(d, i, lo, up);
    if (!moves(true, i, true)) { EXPECT_GE(ax[i], lo - 1e-6 * (1 + std::fabs(lo))) << what << " row " << i; }
    if (!moves(true, i, false)) { EXPECT_LE(ax[i], up + 1e-6 * (1 + std::fabs(up))) << what << " row " << i; }
  }
  for (int j = 0; j < d.n; ++j) {
    if (!moves(false, j, true)) { EXPECT_GE(x[j], d.lb[j] - 1e-6) << what << " column " << j; }
    if (!moves(false, j, false)) { EXPECT_LE(x[j], d.ub[j] + 1e-6) << what << " column " << j; }
    if (!ctype.empty() && ctype[j] != 'C') { EXPECT_NEAR(x[j], std::round(x[j]), 1e-5) << what << " column " << j; }
  }
}

std::vector<double> violations(const Data &d, const std::vector<Movable> &mvs, const std::vector<double> &x) {
  const std::vector<double> ax = activity(d, x);
  std::vector<double> v;
  for (const Movable &mv : mvs) v.push_back(amount(mv, x, ax));
  return v;
}

double own_objective(const Data &d, const std::vector<double> &x) {
  double v = 0.0;
  for (int j = 0; j < d.n; ++j) v += d.obj[j] * x[j];
  return v;
}

bool near(double a, double b, double rel) { return std::fabs(a - b) <= rel * std::max(1.0, std::max(std::fabs(a), std::fabs(b))); }

// Runs every mode on the problem of `s` and checks each result against
// the independent formulation; the problem must read back unchanged.
void check_all_modes(ApiSession &s, const PrefSet &prefs, const std::string &what) {
  Data d;
  ASSERT_EQ(tvltest::read_data(s.env, s.lp, d), 0);
  std::string ctype;
  const bool mip = TVLgetprobtype(s.env, s.lp) == TVLPROB_MILP;
  if (mip) {
    ctype.resize(static_cast<size_t>(d.n));
    ASSERT_EQ(TVLgetctype(s.env, s.lp, ctype.data(), 0, d.n - 1), 0);
  }
  const std::vector<Movable> mvs = movables(d, prefs);
  const size_t k = mvs.size();
  std::vector<double> weights(k);
  for (size_t c = 0; c < k; ++c) weights[c] = mvs[c].weight;
  const double eprelax = 1e-6;
  double minimum[3] = {0, 0, 0};
  for (int mode = 0; mode < 6; ++mode) {
    const int kind = mode / 2;
    const std::string tag = what + " mode " + std::to_string(mode);
    ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_FEASOPTMODE, mode), 0);
    ASSERT_EQ(feasopt(s, prefs), 0) << tag;
    const int expect = (mip ? TVLMIP_FEASIBLE_RELAXED_SUM : TVL_STAT_FEASIBLE_RELAXED_SUM) + 2 * kind + (mode % 2 ? 0 : 1);
    EXPECT_EQ(TVLgetstat(s.env, s.lp), expect) << tag;
    std::vector<double> x(static_cast<size_t>(d.n));
    double objval = 0.0;
    ASSERT_EQ(TVLgetx(s.env, s.lp, x.data(), 0, d.n - 1), 0) << tag;
    ASSERT_EQ(TVLgetobjval(s.env, s.lp, &objval), 0) << tag;
    expect_relaxed_feasible(d, ctype, mvs, x, tag);
    const double got = measure(d, mvs, kind, x);
    Formulation f;
    if (mode % 2 == 0) {
      EXPECT_TRUE(near(objval, got, 1e-9)) << tag << ": objective " << objval << " measure " << got;
      if (kind == 0) f.ecost = weights;
      if (kind == 1) f.zcost = weights;
      if (kind == 2) {  // an outer approximation around the point bounds the minimum from below
        f.center = violations(d, mvs, x);
        f.tcost = weights;
        const Solved lower = solve_relaxed(d, ctype, mvs, f);
        EXPECT_LE(got - lower.obj, 1e-5 * std::max(1.0, got)) << tag << ": measure " << got << " bound " << lower.obj;
        EXPECT_GE(got - lower.obj, -1e-6 * std::max(1.0, got)) << tag;
        minimum[kind] = got;
        continue;
      }
      const Solved ind = solve_relaxed(d, ctype, mvs, f);
      EXPECT_TRUE(near(got, ind.obj, 1e-6)) << tag << ": measure " << got << " independent " << ind.obj;
      minimum[kind] = ind.obj;
      continue;
    }
    // Phase 2: the measure within its bound, the objective optimal among
    // the relaxations within it.
    const double bound = minimum[kind] * (1 + eprelax) + eprelax;
    EXPECT_LE(got, bound + (kind == 2 ? 1e-5 : 1e-6) * std::max(1.0, bound) + 1e-9) << tag;
    EXPECT_TRUE(near(objval, own_objective(d, x), 1e-9)) << tag;
    f.own_objective = true;
    f.bound = bound;
    if (kind == 0) f.ebound = weights;
    if (kind == 1) f.zbound = weights;
    if (kind == 2) {  // the outer approximation of the measure bound: the objective's optimum is no better
      f.center = violations(d, mvs, x);
      f.tbound = weights;
    }
    const Solved ind = solve_relaxed(d, ctype, mvs, f);
    if (kind == 1) {
      // With only the count bounded, a moved item may move far (the
      // relaxation allows 1e6 (1 + |limit|)): when the optimum depends on
      // the big-M constant, the point must be at least as good as with it.
      Formulation wide = f;
      wide.bigm = 1e5;
      if (!near(solve_relaxed(d, ctype, mvs, wide).obj, ind.obj, 1e-6)) {
        EXPECT_LE(d.sense * (own_objective(d, x) - ind.obj), 1e-6 * std::max(1.0, std::fabs(ind.obj))) << tag;
        continue;
      }
    }
    EXPECT_TRUE(near(own_objective(d, x), ind.obj, kind == 2 ? 1e-5 : 1e-6))
        << tag << ": objective " << own_objective(d, x) << " independent " << ind.obj;
  }
  Data after;
  ASSERT_EQ(tvltest::read_data(s.env, s.lp, after), 0);
  EXPECT_TRUE(d.obj == after.obj && d.lb == after.lb && d.ub == after.ub && d.rhs == after.rhs &&
              d.rsense == after.rsense && d.rng == after.rng && d.beg == after.beg && d.ind == after.ind &&
              d.val == after.val && d.sense == after.sense)
      << what << ": the problem changed";
}

// Adds the cut "objective at least `gap` better than the optimum".
void add_objective_cut(ApiSession &s, double opt, double gap) {
  const int n = TVLgetnumcols(s.env, s.lp);
  std::vector<double> obj(static_cast<size_t>(n));
  ASSERT_EQ(TVLgetobj(s.env, s.lp, obj.data(), 0, n - 1), 0);
  std::vector<int> ind;
  std::vector<double> val;
  for (int j = 0; j < n; ++j)
    if (obj[j] != 0.0) ind.push_back(j), val.push_back(obj[j]);
  const bool min = TVLgetobjsen(s.env, s.lp) == TVL_MIN;
  const double rhs = min ? opt - gap : opt + gap;
  const char sense = min ? 'L' : 'G';
  const int beg = 0;
  ASSERT_EQ(TVLaddrows(s.env, s.lp, 0, 1, static_cast<int>(ind.size()), &rhs, &sense, &beg, ind.data(), val.data(),
                       nullptr, nullptr),
            0);
}

// Preferences of the bench variants: every row's rhs with varied weights,
// the finite upper bounds of every fourth column.
PrefSet bench_prefs(ApiSession &s) {
  const int m = TVLgetnumrows(s.env, s.lp), n = TVLgetnumcols(s.env, s.lp);
  PrefSet p;
  for (int i = 0; i < m; ++i) p.rhs.push_back(1.0 + i % 3);
  for (int j = 0; j < n; ++j) p.ub.push_back(j % 4 == 0 ? 2.0 : 0.0);
  return p;
}

TEST(Feasopt, NetlibObjectiveCutEveryMode) {
  for (const char *name : {"afiro", "sc50a"}) {
    ApiSession s(name);
    ASSERT_EQ(s.read_netlib(name), 0);
    ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
    double opt = 0.0;
    ASSERT_EQ(TVLgetobjval(s.env, s.lp, &opt), 0);
    add_objective_cut(s, opt, 0.05 * std::fabs(opt) + 1.0);
    ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
    ASSERT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_INFEASIBLE) << name;
    check_all_modes(s, bench_prefs(s), name);
    EXPECT_EQ(TVLgetmethod(s.env, s.lp), TVL_ALG_FEASOPT);
  }
}

TEST(Feasopt, MipObjectiveCutEveryMode) {
  ApiSession s("p0033");
  s.read_miplib("p0033");
  add_objective_cut(s, 3089.0, 100.0);
  // Every fourth row and the cut may move, no bound.
  PrefSet prefs;
  const int m = TVLgetnumrows(s.env, s.lp);
  for (int i = 0; i < m; ++i) prefs.rhs.push_back(i % 4 == 0 || i == m - 1 ? 1.0 + i % 3 : 0.0);
  check_all_modes(s, prefs, "p0033");
  int method = 0, type = 0;
  ASSERT_EQ(TVLsolninfo(s.env, s.lp, &method, &type, nullptr, nullptr), 0);
  EXPECT_EQ(method, TVL_ALG_FEASOPT);
}

TEST(Feasopt, FeasibleModelNeedsNoRelaxation) {
  ApiSession s("adlittle");
  ASSERT_EQ(s.read_netlib("adlittle"), 0);
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  double opt = 0.0;
  ASSERT_EQ(TVLgetobjval(s.env, s.lp, &opt), 0);
  const PrefSet prefs = bench_prefs(s);
  check_all_modes(s, prefs, "adlittle");
  // Mode 0: measure 0 and a feasible point.
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_FEASOPTMODE, 0), 0);
  ASSERT_EQ(feasopt(s, prefs), 0);
  double obj = -1.0;
  ASSERT_EQ(TVLgetobjval(s.env, s.lp, &obj), 0);
  EXPECT_NEAR(obj, 0.0, 1e-9);
  int pfeas = 0;
  ASSERT_EQ(TVLsolninfo(s.env, s.lp, nullptr, nullptr, &pfeas, nullptr), 0);
  EXPECT_EQ(pfeas, 1);
  // Mode 1: the problem's own optimum, up to what the tolerance on the
  // measure (1e-6) lets the objective gain.
  ASSERT_EQ(TVLsetintparam(s.env, TVL_PARAM_FEASOPTMODE, 1), 0);
  ASSERT_EQ(feasopt(s, prefs), 0);
  ASSERT_EQ(TVLgetobjval(s.env, s.lp, &obj), 0);
  EXPECT_TRUE(near(obj, opt, 1e-5)) << obj << " " << opt;
}

}  // namespace
