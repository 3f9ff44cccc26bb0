// Gomory mixed-integer cuts from the rows of the optimal simplex tableau.
//
// Follows R. E. Gomory, "An algorithm for integer solutions to linear
// programs", 1963, in the mixed-integer form of G. Cornuejols, "Valid
// inequalities for mixed integer linear programs", Mathematical
// Programming B 112 (2008), section 5.
//
// For a basic integer column x_B with fractional value, the tableau row
// (mip/cuts/tableau.h) is rewritten in the distances t_j >= 0 of the
// nonbasic variables from the bounds they sit at:
//   x_B + sum a_j t_j = xbar,   f0 = xbar - floor(xbar).
// The cut sum g_j t_j >= 1 takes g_j = min(f_j / f0, (1 - f_j) / (1 - f0))
// (f_j the fractional part of a_j) for a t_j that is integer — an integer
// column, or the slack of a model row whose columns and coefficients are
// all integer at an integral bound — and a_j / f0 or -a_j / (1 - f0) for
// the others; it is then written back in the columns (a row's distance
// expands into its entries).  Fixed columns and equality rows have t_j = 0
// and drop out.  Rows with a free nonbasic variable or a nonbasic
// variable at an infinite bound are skipped.
//
// Candidates are the basic integer columns whose fractional part lies in
// [0.001, 0.999], at most TVL_PARAM_FRACCAND of them (those nearest 0.5).  The same tableau row gives the branching degradation
// estimates of the first dual simplex step, down f0 * min d_j / a_j over
// a_j > 0 and up (1 - f0) * min d_j / -a_j over a_j < 0 (d_j the reduced
// cost in the t-space, >= 0 at the optimum).  Candidates are ranked by
// 100 times the smaller plus the larger estimate; when an estimate alone
// reaches the gap to the cutoff, that branch cannot hold a better solution
// and the column's bound is tightened instead of cutting.  A separation
// that runs long reports its progress at most every 10 seconds.
#include <algorithm>
#include <cmath>
#include <utility>

#include "frame/env.h"
#include "frame/error.h"
#include "frame/infinity.h"
#include "mip/cuts/cut.h"
#include "mip/cuts/tableau.h"

namespace tvl::mip {

namespace {

constexpr double kMinFrac = 0.001;
constexpr double kZero = 1e-11;       // tableau entries below are noise
constexpr double kMaxEntry = 1e7;     // rows with larger entries are skipped

double gmi_coefficient(double a, double f0, bool integral) {
  if (integral) {
    double f = a - std::floor(a);
    if (f < kZero || f > 1.0 - kZero) return 0.0;
    return f <= f0 ? f / f0 : (1.0 - f) / (1.0 - f0);
  }
  return a >= 0.0 ? a / f0 : -a / (1.0 - f0);
}

// How a nonbasic variable (status st, tableau entry `entry`, bounds
// [lo, hi]) enters the cut: skipped when basic, fixed or with a zero
// entry; through its distance from the bound it sits at (sign +1 at its
// lower bound, -1 at its upper); or not at all, when its entry is too
// large or it sits at no finite bound (the row then gives no cut).
enum class Shift { Skip, Use, Fail };

Shift shift_of(int st, double entry, double lo, double hi, double &sign, double &bound) {
  if (st == 1 || std::fabs(entry) < kZero || lo == hi) return Shift::Skip;
  if (std::fabs(entry) > kMaxEntry || st == 3) return Shift::Fail;
  if (st == 0 && lo > -kInfBound) {
    sign = 1.0;
    bound = lo;
    return Shift::Use;
  }
  if (st == 2 && hi < kInfBound) {
    sign = -1.0;
    bound = hi;
    return Shift::Use;
  }
  return Shift::Fail;
}

bool is_integral(double v) { return std::fabs(v - std::round(v)) <= 1e-9 * std::max(1.0, std::fabs(v)); }

struct Candidate {
  int32_t col;
  double score;
  Cut cut;
  bool has_cut;
};

class GomorySeparator : public CutSeparator {
 public:
  void separate(const CutContext &ctx, std::vector<Cut> &out) override;

 private:
  void mark_integral_rows(const CutContext &ctx);
  // Builds the cut of basic column j; false when the row is unusable.
  bool row_cut(const CutContext &ctx, int32_t j, Candidate &cand);

  std::vector<char> int_row_;        // model row with integer columns and coefficients
  std::vector<double> coef_, alpha_, y_;
  std::vector<int32_t> touched_;
  std::vector<char> in_cut_;
};

void GomorySeparator::mark_integral_rows(const CutContext &ctx) {
  const lp::CscMatrix &a = ctx.lp.a;
  const int32_t m0 = ctx.model.m();
  int_row_.assign(static_cast<size_t>(m0), 1);
  for (int32_t j = 0; j < a.n; ++j) {
    const bool int_col = ctx.model.integer[static_cast<size_t>(j)] != 0;
    for (int32_t p = a.start[static_cast<size_t>(j)]; p < a.start[static_cast<size_t>(j) + 1]; ++p) {
      const int32_t i = a.index[static_cast<size_t>(p)];
      if (i < m0 && (!int_col || !is_integral(a.value[static_cast<size_t>(p)]))) int_row_[static_cast<size_t>(i)] = 0;
    }
  }
}

bool GomorySeparator::row_cut(const CutContext &ctx, int32_t j, Candidate &cand) {
  const lp::LpModel &lp = ctx.lp;
  const lp::LpResult &s = ctx.solution;
  const int32_t n = lp.a.n, m = lp.a.m, m0 = ctx.model.m();
  if (!ctx.tableau.row(j, alpha_, y_)) return false;
  const double xbar = s.x[static_cast<size_t>(j)];
  const double f0 = xbar - std::floor(xbar);
  double rhs = 1.0;  // of  sum coef_ x >= rhs
  double down = kInfBound, up = kInfBound;
  auto add = [&](int32_t k, double v) {
    if (!in_cut_[static_cast<size_t>(k)]) {
      in_cut_[static_cast<size_t>(k)] = 1;
      touched_.push_back(k);
    }
    coef_[static_cast<size_t>(k)] += v;
  };
  // One nonbasic variable with row entry a (in t-space) and reduced cost d:
  // returns its cut coefficient g, updates the degradation estimates.
  auto term = [&](double a, double d, bool integral) {
    if (a > 0.0) down = std::min(down, std::fabs(d) / a);
    else up = std::min(up, std::fabs(d) / -a);
    return gmi_coefficient(a, f0, integral);
  };
  bool ok = true;
  double sign = 0.0, bound = 0.0;
  for (int32_t k = 0; k < n && ok; ++k) {
    const double al = alpha_[static_cast<size_t>(k)];
    const Shift sh = shift_of(s.basis.colstat[static_cast<size_t>(k)], al, lp.collo[static_cast<size_t>(k)],
                              lp.colup[static_cast<size_t>(k)], sign, bound);
    if (sh == Shift::Skip) continue;
    if (sh == Shift::Fail) {
      ok = false;
      break;
    }
    const double g = term(sign * al, s.dj[static_cast<size_t>(k)], ctx.model.integer[static_cast<size_t>(k)] != 0);
    add(k, sign * g);
    rhs += sign * g * bound;
  }
  for (int32_t i = 0; i < m && ok; ++i) {
    const double yi = y_[static_cast<size_t>(i)];
    // The row's slack t is A_i x - lo at its lower side and hi - A_i x at
    // its upper side; its tableau entry is -y_i in the first case.
    const Shift sh = shift_of(s.basis.rowstat[static_cast<size_t>(i)], yi, lp.rowlo[static_cast<size_t>(i)],
                              lp.rowup[static_cast<size_t>(i)], sign, bound);
    if (sh == Shift::Skip) continue;
    if (sh == Shift::Fail) {
      ok = false;
      break;
    }
    const bool integral = i < m0 && int_row_[static_cast<size_t>(i)] && is_integral(bound);
    const double g = term(-sign * yi, s.pi.empty() ? 0.0 : s.pi[static_cast<size_t>(i)], integral);
    if (g == 0.0) continue;
    const RowView &rows = ctx.tableau.rows();
    for (int32_t p = rows.begin(i); p < rows.end(i); ++p)
      add(rows.col[static_cast<size_t>(p)], sign * g * rows.val[static_cast<size_t>(p)]);
    rhs += sign * g * bound;
  }
  if (ok) {
    down *= f0;
    up *= 1.0 - f0;
    cand.score = 100.0 * std::min(down, up) + std::max(down, up);
    const double gap = ctx.cutoff < kNoValue ? ctx.cutoff - s.objval : kInfBound;
    const double margin = 1e-6 * std::max(1.0, std::fabs(ctx.cutoff));
    bool tightened = false;
    if (ctx.bounds && gap < kInfBound && (down >= gap + margin) != (up >= gap + margin)) {
      if (down >= gap + margin) ctx.bounds->push_back({j, std::ceil(xbar), kInfBound});
      else ctx.bounds->push_back({j, -kInfBound, std::floor(xbar)});
      tightened = true;
    }
    // sum coef x >= rhs  becomes  sum -coef x <= -rhs.
    for (int32_t k : touched_) {
      const double v = coef_[static_cast<size_t>(k)];
      if (v != 0.0) {
        cand.cut.ind.push_back(k);
        cand.cut.val.push_back(-v);
      }
    }
    cand.cut.rhs = -rhs;
    cand.cut.family = kCutFract;
    cand.has_cut = !tightened && !cand.cut.ind.empty();
  }
  for (int32_t k : touched_) {
    coef_[static_cast<size_t>(k)] = 0.0;
    in_cut_[static_cast<size_t>(k)] = 0;
  }
  touched_.clear();
  return ok;
}

void GomorySeparator::separate(const CutContext &ctx, std::vector<Cut> &out) {
  const int32_t n = ctx.lp.a.n;
  mark_integral_rows(ctx);
  coef_.assign(static_cast<size_t>(n), 0.0);
  in_cut_.assign(static_cast<size_t>(n), 0);
  std::vector<std::pair<double, int32_t>> pick;  // (distance of the fraction from 0.5, column)
  for (int32_t j : ctx.model.intcols) {
    if (ctx.solution.basis.colstat[static_cast<size_t>(j)] != 1) continue;
    const double v = ctx.solution.x[static_cast<size_t>(j)];
    const double f = v - std::floor(v);
    if (f >= kMinFrac && f <= 1.0 - kMinFrac) pick.push_back({std::fabs(f - 0.5), j});
  }
  std::stable_sort(pick.begin(), pick.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
  if (pick.size() > static_cast<size_t>(std::max(1, ctx.candidates))) pick.resize(static_cast<size_t>(std::max(1, ctx.candidates)));
  const double start = ctx.env ? env_time(ctx.env) : 0.0;
  double last = start;
  std::vector<Candidate> cands;
  for (size_t k = 0; k < pick.size(); ++k) {
    if (ctx.env) {
      const double now = env_time(ctx.env);
      if (now - last >= 10.0) {
        msg_results(ctx.env, "Elapsed time %0.2f sec. for %d of %d candidates for Gomory cuts\n", now - start,
                    static_cast<int>(k), static_cast<int>(pick.size()));
        last = now;
      }
    }
    Candidate c{pick[k].second, 0.0, {}, false};
    if (row_cut(ctx, c.col, c) && c.has_cut) cands.push_back(std::move(c));
  }
  std::stable_sort(cands.begin(), cands.end(), [](const Candidate &a, const Candidate &b) { return a.score > b.score; });
  const size_t limit = static_cast<size_t>(ctx.effort > 0 ? 400 : 150);
  for (size_t k = 0; k < cands.size() && k < limit; ++k) out.push_back(std::move(cands[k].cut));
}

}  // namespace

std::unique_ptr<CutSeparator> make_gomory_separator() { return std::make_unique<GomorySeparator>(); }

}  // namespace tvl::mip
