// Complemented mixed-integer rounding (c-MIR) cuts on aggregated rows.
//
// Follows H. Marchand and L. A. Wolsey, "Aggregation and mixed integer
// rounding to solve MIPs", Operations Research 49 (2001).
//
// Every model row is read as the equation  a_i x - r_i = 0  with the row
// activity r_i a continuous variable bounded by the row's range.  Starting
// from a row that is tight at the LP point, up to TVL_PARAM_AGGCUTLIM
// further rows are added, each one eliminating the continuous column of
// the aggregate that lies farthest inside its bounds (the row used is the
// tightest unused row holding it).  After each step both directions of
// the aggregate are tried: every variable is moved to its bound nearest
// the LP point (x = l + x' or x = u - x', x' >= 0; fixed variables become
// constants), continuous terms with a positive coefficient are dropped,
// except that a continuous column y with a variable upper bound
// y <= u z + d (z binary; from a row of two entries, d = 0, or from an
// implication of root probing) and a negative coefficient c is replaced
// by u z + d - y'' when the bound nearest at the LP point is nearer than
// y's lower bound (c y'' is then dropped, c u joins the coefficient of z
// and c d the right-hand side), and likewise a variable lower bound
// y >= l z + d for a positive coefficient,
// and the MIR inequality of the aggregate divided by delta
//   sum_int (floor(a_j/d) + max(0, f_j - f0) / (1 - f0)) x'_j
//     + sum_{cont, c_j < 0} c_j / (d (1 - f0)) y'_j <= floor(beta/d)
// is formed for delta among the coefficients of integer variables strictly
// inside their bounds, then for the best delta halved up to three times;
// the most efficacious cut (violation over norm, in the substituted
// variables) is written back in the columns, activities expanding into
// their rows.
#include <algorithm>
#include <cmath>

#include "frame/infinity.h"
#include "mip/cuts/cut.h"
#include "mip/probing.h"
#include "mip/row_view.h"

namespace tvl::mip {

namespace {

constexpr double kCoefZero = 1e-9;
constexpr int kMaxDeltas = 8;

// One variable of the aggregate after moving it to a bound.
struct Term {
  int32_t var;      // column j < n, or n + i for the activity of row i
  double a;         // coefficient of x' (x' = x - bound, or bound - x when flipped)
  double xs;        // LP value of x'
  double bound;
  bool flip, integer;
};

// y <= k z + d (an upper variable bound) or y >= k z + d (a lower one).
struct VarBound {
  int32_t z;
  double k, d;
};

class MirSeparator : public CutSeparator {
 public:
  MirSeparator(int max_aggr, std::shared_ptr<const std::vector<Implication>> implications)
      : max_aggr_(max_aggr), implications_(std::move(implications)) {}
  void separate(const CutContext &ctx, std::vector<Cut> &out) override;

 private:
  void add_row(const CutContext &ctx, int32_t i, double lambda);
  void clear();
  bool eliminate(const CutContext &ctx);
  // The best MIR cut of the aggregate times `sign`; false when none is violated.
  bool mir_cut(const CutContext &ctx, double sign, Cut &cut, double &efficacy);
  bool substitute(const CutContext &ctx, double sign, std::vector<Term> &terms, double &beta);
  double lower(const CutContext &ctx, int32_t v) const;
  double upper(const CutContext &ctx, int32_t v) const;
  double value(const CutContext &ctx, int32_t v) const;

  int max_aggr_;
  RowView rows_;
  std::vector<double> act_;       // row activities at the LP point
  std::vector<double> coef_;      // aggregate over columns and activities
  std::vector<char> in_;
  std::vector<int32_t> touched_;
  std::vector<char> used_;
  std::vector<int32_t> used_list_;
  std::vector<double> expand_;    // scratch for writing a cut back in the columns
  // Variable bounds of the continuous columns, per side (0 upper, 1
  // lower), column by column: vb_[s][vb_start_[s][j] .. vb_start_[s][j+1]).
  std::shared_ptr<const std::vector<Implication>> implications_;
  std::vector<int32_t> vb_start_[2];
  std::vector<VarBound> vb_[2];
  std::vector<double> extra_;     // coefficients moved onto binaries by variable bounds
  void find_variable_bounds(const CutContext &ctx);
  // The variable bound of column y on `side` nearest at the LP point; null when none.
  const VarBound *nearest_bound(const CutContext &ctx, int32_t y, int side) const;
};

void MirSeparator::find_variable_bounds(const CutContext &ctx) {
  const int32_t n = ctx.model.n();
  extra_.assign(static_cast<size_t>(n), 0.0);
  const lp::LpModel &lp = ctx.model.lp;
  auto binary = [&](int32_t z) { return is_binary(ctx.model, lp.collo, lp.colup, z); };
  struct Entry {
    int32_t y;
    VarBound b;
  };
  std::vector<Entry> found[2];
  // Rows of two entries a y + b z <= 0 (rowup 0) or >= 0 (rowlo 0): y <= or >= (-b/a) z.
  for (int32_t i = 0; i < ctx.model.m(); ++i) {
    if (rows_.end(i) - rows_.begin(i) != 2) continue;
    int32_t y = rows_.col[static_cast<size_t>(rows_.begin(i))], z = rows_.col[static_cast<size_t>(rows_.begin(i)) + 1];
    double a = rows_.val[static_cast<size_t>(rows_.begin(i))], b = rows_.val[static_cast<size_t>(rows_.begin(i)) + 1];
    if (ctx.model.integer[static_cast<size_t>(y)]) {
      std::swap(y, z);
      std::swap(a, b);
    }
    if (ctx.model.integer[static_cast<size_t>(y)] || !binary(z)) continue;
    for (int side = 0; side < 2; ++side) {
      const double rhs = side == 0 ? lp.rowup[static_cast<size_t>(i)] : lp.rowlo[static_cast<size_t>(i)];
      if (rhs != 0.0) continue;
      const bool upper = (side == 0) == (a > 0.0);
      found[upper ? 0 : 1].push_back({y, {z, -b / a, 0.0}});
    }
  }
  // Implications z = v => y <= b (y <= U otherwise) give y <= U + (b - U) z
  // (v = 1) or y <= b + (U - b) z (v = 0); lower bounds alike.
  if (implications_) {
    for (const Implication &imp : *implications_) {
      if (ctx.model.integer[static_cast<size_t>(imp.col)] || !binary(imp.bin) ||
          std::fabs(imp.other) >= kInfBound)
        continue;
      const double gap = imp.bound - imp.other;
      const VarBound vb = imp.value == 1 ? VarBound{imp.bin, gap, imp.other} : VarBound{imp.bin, -gap, imp.bound};
      found[imp.upper ? 0 : 1].push_back({imp.col, vb});
    }
  }
  for (int side = 0; side < 2; ++side) {
    std::vector<int32_t> &start = vb_start_[side];
    start.assign(static_cast<size_t>(n) + 1, 0);
    for (const Entry &e : found[side]) ++start[static_cast<size_t>(e.y) + 1];
    for (int32_t j = 0; j < n; ++j) start[static_cast<size_t>(j) + 1] += start[static_cast<size_t>(j)];
    vb_[side].resize(found[side].size());
    std::vector<int32_t> fill(start.begin(), start.end() - 1);
    for (const Entry &e : found[side]) vb_[side][static_cast<size_t>(fill[static_cast<size_t>(e.y)]++)] = e.b;
  }
}

const VarBound *MirSeparator::nearest_bound(const CutContext &ctx, int32_t y, int side) const {
  const VarBound *best = nullptr;
  double best_val = 0.0;
  for (int32_t p = vb_start_[side][static_cast<size_t>(y)]; p < vb_start_[side][static_cast<size_t>(y) + 1]; ++p) {
    const VarBound &b = vb_[side][static_cast<size_t>(p)];
    const double v = b.k * value(ctx, b.z) + b.d;
    if (!best || (side == 0 ? v < best_val : v > best_val)) {
      best = &b;
      best_val = v;
    }
  }
  return best;
}

double MirSeparator::lower(const CutContext &ctx, int32_t v) const {
  const int32_t n = ctx.model.n();
  return v < n ? ctx.lp.collo[static_cast<size_t>(v)] : ctx.model.lp.rowlo[static_cast<size_t>(v - n)];
}

double MirSeparator::upper(const CutContext &ctx, int32_t v) const {
  const int32_t n = ctx.model.n();
  return v < n ? ctx.lp.colup[static_cast<size_t>(v)] : ctx.model.lp.rowup[static_cast<size_t>(v - n)];
}

double MirSeparator::value(const CutContext &ctx, int32_t v) const {
  const int32_t n = ctx.model.n();
  return v < n ? ctx.solution.x[static_cast<size_t>(v)] : act_[static_cast<size_t>(v - n)];
}

void MirSeparator::add_row(const CutContext &ctx, int32_t i, double lambda) {
  const int32_t n = ctx.model.n();
  auto add = [&](int32_t v, double a) {
    if (!in_[static_cast<size_t>(v)]) {
      in_[static_cast<size_t>(v)] = 1;
      touched_.push_back(v);
    }
    coef_[static_cast<size_t>(v)] += a;
  };
  for (int32_t p = rows_.begin(i); p < rows_.end(i); ++p)
    add(rows_.col[static_cast<size_t>(p)], lambda * rows_.val[static_cast<size_t>(p)]);
  add(n + i, -lambda);
  used_[static_cast<size_t>(i)] = 1;
  used_list_.push_back(i);
}

void MirSeparator::clear() {
  for (int32_t v : touched_) {
    coef_[static_cast<size_t>(v)] = 0.0;
    in_[static_cast<size_t>(v)] = 0;
  }
  touched_.clear();
  for (int32_t i : used_list_) used_[static_cast<size_t>(i)] = 0;
  used_list_.clear();
}

bool MirSeparator::eliminate(const CutContext &ctx) {
  const int32_t n = ctx.model.n();
  int32_t best = -1;
  double best_dist = 1e-6;
  for (int32_t v : touched_) {
    if (v >= n || ctx.model.integer[static_cast<size_t>(v)] || std::fabs(coef_[static_cast<size_t>(v)]) < kCoefZero)
      continue;
    const double x = value(ctx, v);
    const double dist = std::min(x - lower(ctx, v), upper(ctx, v) - x);
    if (dist > best_dist) {
      best_dist = dist;
      best = v;
    }
  }
  if (best < 0) return false;
  const lp::CscMatrix &a = ctx.model.lp.a;
  int32_t row = -1;
  double row_coef = 0.0, row_slack = kInfBound;
  for (int32_t p = a.start[static_cast<size_t>(best)]; p < a.start[static_cast<size_t>(best) + 1]; ++p) {
    const int32_t i = a.index[static_cast<size_t>(p)];
    const double v = a.value[static_cast<size_t>(p)];
    if (used_[static_cast<size_t>(i)] || std::fabs(v) < 1e-6) continue;
    const double r = act_[static_cast<size_t>(i)];
    const double slack = std::min(r - ctx.model.lp.rowlo[static_cast<size_t>(i)], ctx.model.lp.rowup[static_cast<size_t>(i)] - r);
    if (slack < row_slack) {
      row_slack = slack;
      row = i;
      row_coef = v;
    }
  }
  if (row < 0) return false;
  add_row(ctx, row, -coef_[static_cast<size_t>(best)] / row_coef);
  coef_[static_cast<size_t>(best)] = 0.0;
  return true;
}

bool MirSeparator::substitute(const CutContext &ctx, double sign, std::vector<Term> &terms, double &beta) {
  const int32_t n = ctx.model.n();
  terms.clear();
  beta = 0.0;
  bool any_integer = false;
  // Continuous columns first: those replaced through a variable bound move
  // their coefficient onto the binary.
  std::vector<int32_t> extra_cols;
  auto move_to = [&](int32_t z, double v) {
    if (extra_[static_cast<size_t>(z)] == 0.0) extra_cols.push_back(z);
    extra_[static_cast<size_t>(z)] += v;
  };
  std::vector<char> skip(touched_.size(), 0);
  for (size_t k = 0; k < touched_.size(); ++k) {
    const int32_t v = touched_[k];
    const double c = sign * coef_[static_cast<size_t>(v)];
    if (v >= n || ctx.model.integer[static_cast<size_t>(v)] || std::fabs(c) < kCoefZero) continue;
    const double x = value(ctx, v), lo = lower(ctx, v), up = upper(ctx, v);
    const int side = c < 0.0 ? 0 : 1;
    const VarBound *vb = nearest_bound(ctx, v, side);
    if (!vb) continue;
    const double d = side == 0 ? vb->k * value(ctx, vb->z) + vb->d - x : x - vb->k * value(ctx, vb->z) - vb->d;
    if (side == 0 ? (lo <= -kInfBound || d <= x - lo) : (up >= kInfBound || d <= up - x)) {
      move_to(vb->z, c * vb->k);
      beta -= c * vb->d;
      skip[k] = 1;
    }
  }
  auto add_term = [&](int32_t v, double c) {
    if (std::fabs(c) < kCoefZero) return true;
    const double lo = lower(ctx, v), up = upper(ctx, v), x = value(ctx, v);
    const bool integer = v < n && ctx.model.integer[static_cast<size_t>(v)];
    if (lo == up) {
      beta -= c * lo;
      return true;
    }
    const bool has_lo = lo > -kInfBound, has_up = up < kInfBound;
    if (!has_lo && !has_up) return false;
    const bool flip = !has_lo || (has_up && up - x < x - lo);
    Term t{v, flip ? -c : c, flip ? up - x : x - lo, flip ? up : lo, flip, integer};
    beta -= c * t.bound;
    if (!integer && t.a > 0.0) return true;  // a nonnegative continuous term can go
    any_integer = any_integer || integer;
    terms.push_back(t);
    return true;
  };
  bool ok = true;
  for (size_t k = 0; k < touched_.size() && ok; ++k) {
    const int32_t v = touched_[k];
    if (skip[k]) continue;
    double c = sign * coef_[static_cast<size_t>(v)];
    if (v < n && extra_[static_cast<size_t>(v)] != 0.0) {
      c += extra_[static_cast<size_t>(v)];
      extra_[static_cast<size_t>(v)] = 0.0;
    }
    ok = add_term(v, c);
  }
  // Binaries that entered only through a variable bound.
  for (int32_t z : extra_cols) {
    const double c = extra_[static_cast<size_t>(z)];
    extra_[static_cast<size_t>(z)] = 0.0;
    if (c != 0.0 && ok) ok = add_term(z, c);
  }
  return ok && any_integer;
}

bool MirSeparator::mir_cut(const CutContext &ctx, double sign, Cut &cut, double &efficacy) {
  std::vector<Term> terms;
  double beta = 0.0;
  if (!substitute(ctx, sign, terms, beta)) return false;
  std::vector<double> deltas;
  for (const Term &t : terms) {
    if (!t.integer || t.xs <= 1e-6 || std::fabs(t.a) < 1e-6) continue;
    const double d = std::fabs(t.a);
    if (std::none_of(deltas.begin(), deltas.end(), [&](double e) { return std::fabs(e - d) <= 1e-9 * d; }))
      deltas.push_back(d);
    if (static_cast<int>(deltas.size()) >= kMaxDeltas) break;
  }
  auto score = [&](double d) {
    const double b = beta / d, f0 = b - std::floor(b);
    if (f0 < 0.01 || f0 > 0.99) return -1.0;
    double lhs = 0.0, norm = 0.0;
    for (const Term &t : terms) {
      double g;
      if (t.integer) {
        const double q = t.a / d, f = q - std::floor(q);
        g = std::floor(q) + std::max(0.0, f - f0) / (1.0 - f0);
      } else {
        g = t.a / (d * (1.0 - f0));
      }
      lhs += g * t.xs;
      norm += g * g;
    }
    return norm > 0.0 ? (lhs - std::floor(b)) / std::sqrt(norm) : -1.0;
  };
  double best_d = 0.0, best = 1e-6;
  for (double d : deltas) {
    const double s = score(d);
    if (s > best) {
      best = s;
      best_d = d;
    }
  }
  if (best_d == 0.0) return false;
  const double base = best_d;
  for (double div : {2.0, 4.0, 8.0}) {
    const double s = score(base / div);
    if (s > best) {
      best = s;
      best_d = base / div;
    }
  }
  // The cut in the substituted variables, times delta, written back.
  const int32_t n = ctx.model.n();
  const double d = best_d, b = beta / d, f0 = b - std::floor(b);
  double rhs = d * std::floor(b);
  std::vector<int32_t> cols;
  auto put = [&](int32_t j, double v) {
    if (expand_[static_cast<size_t>(j)] == 0.0) cols.push_back(j);
    expand_[static_cast<size_t>(j)] += v;
    if (expand_[static_cast<size_t>(j)] == 0.0) expand_[static_cast<size_t>(j)] = 1e-300;  // keep it listed once
  };
  for (const Term &t : terms) {
    double g;
    if (t.integer) {
      const double q = t.a / d, f = q - std::floor(q);
      g = d * (std::floor(q) + std::max(0.0, f - f0) / (1.0 - f0));
    } else {
      g = t.a / (1.0 - f0);
    }
    if (g == 0.0) continue;
    // g x' with x' = x - bound, or bound - x.
    const double s = t.flip ? -g : g;
    rhs += s * t.bound;
    if (t.var < n) {
      put(t.var, s);
    } else {
      const int32_t i = t.var - n;
      for (int32_t p = rows_.begin(i); p < rows_.end(i); ++p)
        put(rows_.col[static_cast<size_t>(p)], s * rows_.val[static_cast<size_t>(p)]);
    }
  }
  cut.ind.clear();
  cut.val.clear();
  for (int32_t j : cols) {
    const double v = expand_[static_cast<size_t>(j)];
    expand_[static_cast<size_t>(j)] = 0.0;
    if (std::fabs(v) < 1e-12) continue;
    cut.ind.push_back(j);
    cut.val.push_back(v);
  }
  cut.rhs = rhs;
  cut.family = kCutMir;
  efficacy = best;
  return !cut.ind.empty();
}

void MirSeparator::separate(const CutContext &ctx, std::vector<Cut> &out) {
  const int32_t n = ctx.model.n(), m0 = ctx.model.m();
  if (rows_.start.empty()) {
    rows_.build(ctx.model.lp.a);
    find_variable_bounds(ctx);
  }
  act_.assign(static_cast<size_t>(m0), 0.0);
  for (int32_t i = 0; i < m0; ++i)
    for (int32_t p = rows_.begin(i); p < rows_.end(i); ++p)
      act_[static_cast<size_t>(i)] += rows_.val[static_cast<size_t>(p)] * ctx.solution.x[static_cast<size_t>(rows_.col[static_cast<size_t>(p)])];
  coef_.assign(static_cast<size_t>(n + m0), 0.0);
  in_.assign(static_cast<size_t>(n + m0), 0);
  used_.assign(static_cast<size_t>(m0), 0);
  expand_.assign(static_cast<size_t>(n), 0.0);
  struct Found {
    Cut cut;
    double efficacy;
  };
  std::vector<Found> found;
  for (int32_t i = 0; i < m0; ++i) {
    const double r = act_[static_cast<size_t>(i)];
    const double lo = ctx.model.lp.rowlo[static_cast<size_t>(i)], up = ctx.model.lp.rowup[static_cast<size_t>(i)];
    const double tol = 1e-6 * std::max(1.0, std::fabs(r));
    if (r - lo > tol && up - r > tol) continue;  // start from tight rows only
    add_row(ctx, i, 1.0);
    for (int step = 0; step <= max_aggr_; ++step) {
      Cut best;
      double best_eff = 0.0;
      for (double sign : {1.0, -1.0}) {
        Cut c;
        double eff = 0.0;
        if (mir_cut(ctx, sign, c, eff) && eff > best_eff) {
          best = std::move(c);
          best_eff = eff;
        }
      }
      if (best_eff > 0.0) {
        found.push_back({std::move(best), best_eff});
        break;
      }
      if (step == max_aggr_ || !eliminate(ctx)) break;
    }
    clear();
  }
  std::stable_sort(found.begin(), found.end(), [](const Found &a, const Found &b) { return a.efficacy > b.efficacy; });
  const size_t limit = static_cast<size_t>(ctx.effort > 0 ? 500 : 200);
  for (size_t k = 0; k < found.size() && k < limit; ++k) out.push_back(std::move(found[k].cut));
}

}  // namespace

std::unique_ptr<CutSeparator> make_mir_separator(int max_aggregation,
                                                std::shared_ptr<const std::vector<Implication>> implications) {
  return std::make_unique<MirSeparator>(max_aggregation, std::move(implications));
}

}  // namespace tvl::mip
